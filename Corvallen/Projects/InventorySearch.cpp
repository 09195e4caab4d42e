#include "Corvallen/Projects/InventorySearch.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/TagList.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Projects/AddFromInventory.h"
#include "Corvallen/Model/TextCompare.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QHash>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {
constexpr int sliceMilliseconds = 15;
}  // namespace

InventorySearch::InventorySearch(Project* project, ModelContext& context, QObject* parent)
    : QObject(parent), m_project(project), m_context(context)
{
    reload();
}

namespace {
// Half a million entries take a moment to free: that is done on a worker too.
template <typename T>
void releaseOnWorker(std::shared_ptr<T>& entries)
{
    if (entries && entries.use_count() == 1)
        (void)QtConcurrent::run([entries = std::move(entries)]() mutable { entries.reset(); });
    entries.reset();
}
}  // namespace

InventorySearch::~InventorySearch() { releaseOnWorker(m_entries); }

void InventorySearch::setQuery(const QString& search)
{
    const QString query = AddFromInventory::preparedQuery(search);
    if (query == m_query && m_entries)
        return;
    m_query = query;
    answer();
}

void InventorySearch::reload()
{
    const quint64 generation = ++m_generation;
    m_ready = false;
    m_toCopy = m_context.fetch<Component>();
    m_copied = 0;
    m_copy.clear();
    m_copy.reserve(size_t(m_toCopy.size()));
    copySlice(generation);
}

void InventorySearch::copySlice(quint64 generation)
{
    if (generation != m_generation)
        return;
    const bool onWorker = m_toCopy.size() >= onWorkerFrom;
    QElapsedTimer clock;
    clock.start();
    for (; m_copied < m_toCopy.size(); ++m_copied) {
        if (onWorker && m_copied % 256 == 255 && clock.elapsed() >= sliceMilliseconds) {
            // A timer, not a queued call: input, painting and other timers run between slices.
            QTimer::singleShot(1, this, [this, generation] { copySlice(generation); });
            return;
        }
        Component* c = m_toCopy[m_copied];
        if (c->isDeleted())
            continue;
        Entry entry;
        entry.component = c;
        entry.name = c->name();
        entry.partNumber = c->partNumber().value_or(QString());
        entry.category = c->category().value_or(QString());
        entry.tagsText = c->tags().value_or(QString());
        for (const PersistentModel* m : c->toManyValue(Component::ProjectUses)) {
            const auto* line = static_cast<const ProjectComponent*>(m);
            if (!line->isDeleted() && line->project() == m_project) {
                entry.onProject = true;
                break;
            }
        }
        m_copy.push_back(std::move(entry));
    }
    m_toCopy.clear();
    if (!onWorker) {
        releaseOnWorker(m_entries);
        m_entries = prepared(std::exchange(m_copy, {}));
        answer();
        return;
    }
    auto* watcher = new QFutureWatcher<std::shared_ptr<const Entries>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation != m_generation)
            return;
        releaseOnWorker(m_entries);
        m_entries = watcher->result();
        answer();
    });
    watcher->setFuture(QtConcurrent::run([entries = std::exchange(m_copy, {})]() mutable { return prepared(std::move(entries)); }));
}

void InventorySearch::answer()
{
    if (!m_entries)
        return;  // the inventory is still being read; it answers when it is in
    const quint64 asked = ++m_queryGeneration;
    m_nothingToAdd = std::all_of(m_entries->begin(), m_entries->end(), [](const Entry& e) { return e.onProject; });
    if (qsizetype(m_entries->size()) < onWorkerFrom) {
        m_shown = matching(*m_entries, m_query);
        m_ready = true;
        Q_EMIT shownChanged();
        return;
    }
    m_ready = false;
    auto* watcher = new QFutureWatcher<QList<Component*>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, asked, entries = m_entries.get()] {
        watcher->deleteLater();
        if (asked != m_queryGeneration || entries != m_entries.get())
            return;
        m_shown = watcher->result();
        m_ready = true;
        Q_EMIT shownChanged();
    });
    watcher->setFuture(QtConcurrent::run([entries = m_entries, query = m_query] { return matching(*entries, query); }));
}

std::shared_ptr<const InventorySearch::Entries> InventorySearch::prepared(Entries entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    // Categories repeat across an inventory: each is lower-cased once.
    QHash<QString, QString> lowered;
    auto lower = [&](const QString& text) {
        auto it = lowered.constFind(text);
        if (it == lowered.constEnd())
            it = lowered.insert(text, TextCompare::searchLowered(text));
        return *it;
    };
    for (Entry& e : entries) {
        e.lowerName = TextCompare::searchLowered(e.name);
        e.partNumber = TextCompare::searchLowered(e.partNumber);
        e.category = lower(e.category);
        e.tags = tagListFromText(e.tagsText.isEmpty() ? std::nullopt : std::optional<QString>(e.tagsText));
        for (QString& tag : e.tags)
            tag = TextCompare::searchLowered(tag);
        e.tagsText.clear();
    }
    return std::make_shared<const Entries>(std::move(entries));
}

QList<Component*> InventorySearch::matching(const Entries& entries, const QString& query)
{
    QList<Component*> out;
    for (const Entry& e : entries) {
        if (e.onProject)
            continue;
        bool hit = query.isEmpty() || e.lowerName.contains(query) || e.partNumber.contains(query) || e.category.contains(query);
        for (qsizetype i = 0; !hit && i < e.tags.size(); ++i)
            hit = e.tags[i].contains(query);
        if (hit)
            out.append(e.component);
    }
    return out;
}
