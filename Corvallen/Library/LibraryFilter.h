#pragma once

#include <QList>
#include <QString>

class Capture;
class Document;
class ModelContext;
class SettingsStore;

// What the Library page shows: its mode (kept across launches in "libraryMode"), its scope and
// the search, and the lists they give.
namespace LibraryFilter {

enum class Mode { captures, documents };
enum class Scope { all, unfiled };

QString rawValue(Mode mode);    // "Captures", "Documents"
QString rawValue(Scope scope);  // "All", "Unfiled"
// A missing or unknown stored value counts as captures.
Mode modeFromRaw(const QString& raw);
QString settingsKey();  // "libraryMode"
Mode storedMode(const SettingsStore& settings);
void storeMode(Mode mode, SettingsStore& settings);

// The search lower-cased, then trimmed of spaces and tabs at both ends (line breaks stay).
QString queryTerm(const QString& search);

// A capture matches when the scope lets it in (unfiled: no project) and the term is empty or a
// substring of its lower-cased title, notes, mode or one of its tag names.
bool matches(const Capture& capture, Scope scope, const QString& term);
// A document matches when the scope lets it in (unfiled: no project attachments) and the term
// is empty or a substring of its lower-cased title, type label, notes or one of its tags.
bool matches(const Document& document, Scope scope, const QString& term);

// The items of the list that match, in the list's order.
QList<Capture*> filterCaptures(const QList<Capture*>& captures, Scope scope, const QString& search);
QList<Document*> filterDocuments(const QList<Document*>& documents, Scope scope, const QString& search);

// Every live capture, newest import first; every live document, newest first.
QList<Capture*> allCapturesNewestFirst(const ModelContext& context);
QList<Document*> allDocumentsNewestFirst(const ModelContext& context);

// The empty-state texts, by scope.
QString captureEmptyTitle();
QString captureEmptyMessage(Scope scope);
QString documentEmptyTitle();
QString documentEmptyMessage(Scope scope);

}  // namespace LibraryFilter
