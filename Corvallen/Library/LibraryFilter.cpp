#include "Corvallen/Library/LibraryFilter.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Model/TextCompare.h"

#include <QObject>

#include <algorithm>
#include <limits>
#include <vector>

namespace LibraryFilter {

QString rawValue(Mode mode)
{
    return mode == Mode::documents ? QStringLiteral("Documents") : QStringLiteral("Captures");
}

QString rawValue(Scope scope)
{
    return scope == Scope::unfiled ? QStringLiteral("Unfiled") : QStringLiteral("All");
}

Mode modeFromRaw(const QString& raw)
{
    return raw == QLatin1String("Documents") ? Mode::documents : Mode::captures;
}

QString settingsKey()
{
    return QStringLiteral("libraryMode");
}

Mode storedMode(const SettingsStore& settings)
{
    return modeFromRaw(settings.textValue(settingsKey(), QStringLiteral("Captures")));
}

void storeMode(Mode mode, SettingsStore& settings)
{
    settings.setText(settingsKey(), rawValue(mode));
}

QString queryTerm(const QString& search)
{
    const QString lower = TextCompare::searchLowered(search);
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    qsizetype start = 0;
    qsizetype end = lower.size();
    while (start < end && blank(lower.at(start)))
        ++start;
    while (end > start && blank(lower.at(end - 1)))
        --end;
    return lower.mid(start, end - start);
}

bool matches(const Capture& capture, Scope scope, const QString& term)
{
    if (scope == Scope::unfiled && capture.project())
        return false;
    if (term.isEmpty())
        return true;
    if (TextCompare::searchLowered(capture.title()).contains(term) || TextCompare::searchLowered(capture.notes()).contains(term))
        return true;
    if (const auto mode = capture.mode(); mode && TextCompare::searchLowered(*mode).contains(term))
        return true;
    for (const Tag* tag : capture.tags())
        if (TextCompare::searchLowered(tag->name()).contains(term))
            return true;
    return false;
}

bool matches(const Document& document, Scope scope, const QString& term)
{
    if (scope == Scope::unfiled && !document.attachments().isEmpty())
        return false;
    if (term.isEmpty())
        return true;
    if (TextCompare::searchLowered(document.title()).contains(term))
        return true;
    const DocType type = DocTypes::fromRawValue(document.typeRaw()).value_or(DocType::other);
    if (DocTypes::label(type).toLower().contains(term) || TextCompare::searchLowered(document.notes()).contains(term))
        return true;
    for (const QString& tag : document.tagList())
        if (TextCompare::searchLowered(tag).contains(term))
            return true;
    return false;
}

QList<Capture*> filterCaptures(const QList<Capture*>& captures, Scope scope, const QString& search)
{
    const QString term = queryTerm(search);
    QList<Capture*> out;
    for (Capture* c : captures)
        if (matches(*c, scope, term))
            out.append(c);
    return out;
}

QList<Document*> filterDocuments(const QList<Document*>& documents, Scope scope, const QString& search)
{
    const QString term = queryTerm(search);
    QList<Document*> out;
    for (Document* d : documents)
        if (matches(*d, scope, term))
            out.append(d);
    return out;
}

QList<Capture*> allCapturesNewestFirst(const ModelContext& context)
{
    // Sorted on the dates' milliseconds, worked out once per capture rather than once per
    // comparison; equal dates keep store order, and captures without a date come last.
    const QList<Capture*> all = context.fetch<Capture>();
    std::vector<std::pair<qint64, Capture*>> keyed;
    keyed.reserve(size_t(all.size()));
    for (Capture* c : all) {
        const QDateTime d = c->importedAt();
        keyed.emplace_back(d.isValid() ? d.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min(), c);
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    QList<Capture*> out;
    out.reserve(all.size());
    for (const auto& k : keyed)
        out.append(k.second);
    return out;
}

QList<Document*> allDocumentsNewestFirst(const ModelContext& context)
{
    return context.fetch<Document>({}, [](const Document* a, const Document* b) { return a->addedAt() > b->addedAt(); });
}

QString captureEmptyTitle()
{
    return QObject::tr("No captures");
}

QString captureEmptyMessage(Scope scope)
{
    return scope == Scope::unfiled ? QObject::tr("No unfiled captures — everything is filed to a project.")
                                   : QObject::tr("Add a storage device in Devices to sync captures.");
}

QString documentEmptyTitle()
{
    return QObject::tr("No documents");
}

QString documentEmptyMessage(Scope scope)
{
    return scope == Scope::unfiled
               ? QObject::tr("No unfiled documents — everything is filed to a project.")
               : QObject::tr("Add schematics, service manuals, datasheets and other reference files — drag them in or use Add.");
}

}  // namespace LibraryFilter
