#pragma once

#include "Corvallen/Model/TermKind.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class ModelContext;
class TaxonomyTerm;

// The term manager's work that needs no window: the lists per kind, adding, renaming,
// re-parenting and deleting terms, and the sheet's texts.
namespace TermManager {

// The terms of a kind among `terms` (exact kind text), sorted case-insensitively, stable.
QList<TaxonomyTerm*> termsOf(TermKind kind, const QList<TaxonomyTerm*>& terms);
// Every term of the context, ascending by name.
QList<TaxonomyTerm*> allTerms(ModelContext& context);
// The names a subcategory (categories) or bin (locations) may take as parent; empty otherwise.
QStringList parentNames(TermKind kind, ModelContext& context);

// How many components use each of `terms` (all of one kind), as usageCount gives it, counted in
// one pass over the components: a list of many terms over a large inventory stays quick.
QHash<const TaxonomyTerm*, qsizetype> usageCounts(TermKind kind, const QList<TaxonomyTerm*>& terms, ModelContext& context);

// Whether the add field's text may be added (not blank after trimming spaces and tabs).
bool canAdd(const QString& newName);
// Finds or creates the term (an empty parent counts as none) and saves. False when the name is
// blank and nothing was done (the fields then keep their text).
bool add(const QString& newName, const QString& newParent, TermKind kind, ModelContext& context);
// Renames through the term operation when the draft is not blank; returns the term's name as it
// now stands, for the row's field.
QString commitRename(TaxonomyTerm* term, const QString& draft, ModelContext& context);
// The row's parent picker: empty means none. Saves.
void setParent(TaxonomyTerm* term, const QString& parent, ModelContext& context);
// Deletes the term through the term operation (clears it on the components; saves).
void deleteTerm(TaxonomyTerm* term, ModelContext& context);

// Texts.
QString symbol(TermKind kind);
QString addPlaceholder(TermKind kind);       // "Add category…"
QString noParentTitle(TermKind kind);        // "No category" for subcategory
QString emptyTitle(TermKind kind);           // "No categories"
QString emptyDescription();
QString usageLabel(qsizetype usage);         // "unused", "1 part", "2 parts"
QString deleteTitle(const TaxonomyTerm* term, TermKind kind);
QString deleteMessage(const QString& name, qsizetype usage, TermKind kind);
// The message for a term whose name another entry of the list also carries.
QString deleteRepeatMessage(const QString& name);

}  // namespace TermManager
