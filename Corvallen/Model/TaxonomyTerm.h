#pragma once

#include "Corvallen/Model/TermKind.h"
#include "Corvallen/Store/PersistentModel.h"

class Component;
class ModelContext;

// One entry of one of the five term lists. Linked to components by name only.
class TaxonomyTerm : public PersistentModel {
public:
    enum Attribute { KindRaw, Name, Parent, Notes, CreatedAt };

    static const EntityDescriptor& descriptor();
    const EntityDescriptor& entity() const override { return descriptor(); }

    TaxonomyTerm(TermKind kind, const QString& name, const std::optional<QString>& parent);
    TaxonomyTerm();

    QString kindRaw() const { return text(KindRaw); }
    void setKindRaw(const QString& v) { setAttributeValue(KindRaw, v); }
    QString name() const { return text(Name); }
    void setName(const QString& v) { setAttributeValue(Name, v); }
    std::optional<QString> parent() const { return optText(Parent); }
    void setParent(const std::optional<QString>& v) { setOptText(Parent, v); }
    std::optional<QString> notes() const { return optText(Notes); }
    void setNotes(const std::optional<QString>& v) { setOptText(Notes, v); }
    QDateTime createdAt() const { return date(CreatedAt); }
    void setCreatedAt(const QDateTime& v) { setAttributeValue(CreatedAt, v); }

    // The kind of the term; a raw value matching no kind counts as a category.
    TermKind kind() const;

    // Term operations over the main context (see TaxonomyTerm.cpp for the rules).
    static QList<TaxonomyTerm*> terms(TermKind kind, ModelContext& context);
    static TaxonomyTerm* findOrCreate(const std::optional<QString>& name, TermKind kind,
                                      const std::optional<QString>& parent, ModelContext& context);
    static void seedFromComponents(ModelContext& context);
    // The same for some components only: those whose values may be new to the term lists.
    static void seedFromComponents(ModelContext& context, const QList<Component*>& components);
    qsizetype usageCount(ModelContext& context) const;
    // Deleting a term clears its name from the parts and child terms, unless another term of the
    // kind carries the same name (a repeat left by an older store): then only the repeat goes.
    static void deleteTerm(TaxonomyTerm* term, ModelContext& context);
    // Another term of the same kind whose name matches this one's, if any.
    static TaxonomyTerm* repeatOf(const TaxonomyTerm* term, ModelContext& context);
    // Renaming to the name of another term of the same kind merges the two: the components and
    // child terms take that term's spelling and the renamed term goes, so a list never holds
    // one name twice. Gives the term that now carries the name.
    static TaxonomyTerm* rename(TaxonomyTerm* term, const QString& newName, ModelContext& context);

    // Locale-aware, case-insensitive equality of two names.
    static bool namesMatch(const QString& a, const QString& b);
};
