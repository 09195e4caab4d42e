#include "Corvallen/Projects/PartsListModel.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/TextCompare.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QLocale>
#include <QSet>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <limits>

namespace {

bool isLive(const ProjectComponent* line)
{
    if (!line || line->isDeleted())
        return false;
    const Component* c = line->component();
    return c && !c->isDeleted();
}

qint64 saturatingAdd(qint64 a, qint64 b)
{
    qint64 out = 0;
    if (__builtin_add_overflow(a, b, &out))
        return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    return out;
}

// Whether a stored name is still the text a row was sorted by: the same shared text (a quick
// pointer check, true unless the name was set again since), else the same characters.
bool sameText(const Component* component, const QString& shown)
{
    const QString* stored = component->storedValue<QString>(Component::A_name);
    if (!stored)
        return component->name() == shown;
    if (stored->constData() == shown.constData() && stored->size() == shown.size())
        return true;
    return *stored == shown;
}

}  // namespace

PartsListModel::PartsListModel(Project* project, QObject* parent) : QAbstractListModel(parent), m_project(project)
{
    refresh();
}

PartsListModel::~PartsListModel() = default;

int PartsListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

QVariant PartsListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const Row& row = m_rows[size_t(index.row())];
    if ((role == Qt::DisplayRole || role == Qt::AccessibleTextRole) && isShown(row))
        return row.component->name();
    return {};
}

ProjectComponent* PartsListModel::line(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)].line : nullptr;
}

int PartsListModel::rowOf(const ProjectComponent* line) const
{
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].line == line)
            return int(i);
    }
    return -1;
}

QList<ProjectComponent*> PartsListModel::lines() const
{
    QList<ProjectComponent*> out;
    out.reserve(qsizetype(m_rows.size()));
    for (const Row& row : m_rows) {
        if (isShown(row))
            out.append(row.line);
    }
    return out;
}

bool PartsListModel::isShown(const Row& row) const
{
    return !row.line->isDeleted() && row.line->project() == m_project && row.line->component() == row.component
           && !row.component->isDeleted();
}

void PartsListModel::refresh()
{
    if (m_sorting) {
        m_changedWhileSorting = true;  // looked at when the sort is in
        return;
    }
    static const QList<PersistentModel*> noLines;
    const QList<PersistentModel*>& source = m_project && !m_project->isDeleted() ? m_project->toManyValue(Project::Parts) : noLines;
    if (m_rows.empty() && source.size() >= sortOnWorkerFrom) {
        collect(source);
        return;
    }

    // One pass over the project's lines, beside what was seen of them last time: a line seen
    // before is compared with what its row shows (its component and the name's text).
    // What moves is noted only while it may still be moved in place.
    QSet<const ProjectComponent*> leaving;
    std::vector<Row> arriving;
    qsizetype changes = 0;
    auto leave = [&](const ProjectComponent* line) {
        if (++changes <= moveInPlaceUpTo)
            leaving.insert(line);
    };
    qsizetype parts = 0;
    qint64 items = 0;
    auto look = [&](ProjectComponent* line, const Seen& last, Seen& next) {
        Component* now = isLive(line) ? line->component() : nullptr;
        bool moved = last.component != now;
        if (now) {
            ++parts;
            items = saturatingAdd(items, line->quantity());
            if (!moved && !sameText(now, last.name))
                moved = true;
        }
        if (!moved) {
            if (&next != &last)
                next = last;
            return;
        }
        if (last.component)
            leave(line);
        next = {line, now, now ? now->name() : QString()};
        if (now && ++changes <= moveInPlaceUpTo)
            arriving.push_back({line, now, next.name});
    };
    const bool sameLines = m_seen.size() == size_t(source.size())
                           && std::equal(source.begin(), source.end(), m_seen.begin(),
                                         [](const PersistentModel* m, const Seen& s) { return m == s.line; });
    if (sameLines) {
        // The usual case (a quantity, a name, the stock changed): what was seen is kept in place.
        for (Seen& s : m_seen)
            look(s.line, s, s);
    } else {
        // Lines come at the end of the list and leave from anywhere: the two lists are walked
        // side by side, and what no longer lines up has left.
        std::vector<Seen> seen(size_t(source.size()));
        size_t before = 0;
        for (qsizetype j = 0; j < source.size(); ++j) {
            auto* line = static_cast<ProjectComponent*>(source[j]);
            while (before < m_seen.size() && m_seen[before].line != line) {
                if (m_seen[before].component)
                    leave(m_seen[before].line);
                ++before;
            }
            const Seen last = before < m_seen.size() ? m_seen[before++] : Seen{line, nullptr, {}};
            look(line, last, seen[size_t(j)]);
        }
        for (; before < m_seen.size(); ++before) {
            if (m_seen[before].component)
                leave(m_seen[before].line);
        }
        m_seen = std::move(seen);
    }
    m_partCount = parts;
    m_itemCount = items;

    if (changes > moveInPlaceUpTo) {
        std::vector<Row> all;
        all.reserve(size_t(parts));
        for (const Seen& s : m_seen) {
            if (s.component)
                all.push_back({s.line, s.component, s.name});
        }
        if (parts >= sortOnWorkerFrom) {
            Q_EMIT contentsChanged();
            sortOnWorker(std::move(all));
            return;
        }
        install(sortedByName(std::move(all), QLocale()));
        Q_EMIT contentsChanged();
        return;
    }

    // Few changes: rows leave and come one block at a time, so the others keep their place.
    if (!leaving.isEmpty()) {
        std::vector<qsizetype> rows;
        for (size_t i = 0; i < m_rows.size(); ++i) {
            if (leaving.contains(m_rows[i].line))
                rows.push_back(qsizetype(i));
        }
        for (auto it = rows.rbegin(); it != rows.rend();) {
            const qsizetype last = *it;
            qsizetype first = last;
            for (++it; it != rows.rend() && *it == first - 1; ++it)
                first = *it;
            beginRemoveRows({}, int(first), int(last));
            m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
            endRemoveRows();
        }
    }
    for (Row& row : arriving)
        insertInPlace(std::move(row));
    // Quantities and stock are read when a row is drawn: every row may show something new.
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1));
    Q_EMIT contentsChanged();
}

std::vector<PartsListModel::Row> PartsListModel::sortedByName(std::vector<Row> rows, const QLocale& locale)
{
    const std::vector<qsizetype> order = TextCompare::caseInsensitiveOrder(
        qsizetype(rows.size()), [&rows](qsizetype i) -> const QString& { return rows[size_t(i)].name; }, locale);
    // The rows are moved into their places along the permutation's cycles: a long list is not
    // held twice.
    std::vector<bool> placed(rows.size());
    for (size_t start = 0; start < rows.size(); ++start) {
        if (placed[start])
            continue;
        Row held = std::move(rows[start]);
        size_t at = start;
        for (;;) {
            placed[at] = true;
            const auto from = size_t(order[at]);
            if (from == start) {
                rows[at] = std::move(held);
                break;
            }
            rows[at] = std::move(rows[from]);
            at = from;
        }
    }
    return rows;
}

void PartsListModel::insertInPlace(Row row)
{
    const auto at = std::upper_bound(m_rows.begin(), m_rows.end(), row, [](const Row& a, const Row& b) {
        return TextCompare::localizedCaseInsensitiveCompare(a.name, b.name) < 0;
    });
    const int position = int(at - m_rows.begin());
    beginInsertRows({}, position, position);
    m_rows.insert(at, std::move(row));
    endInsertRows();
}

void PartsListModel::install(std::vector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void PartsListModel::collect(const QList<PersistentModel*>& source)
{
    m_sorting = true;
    m_changedWhileSorting = false;
    ++m_sortGeneration;
    Q_EMIT sortingChanged(true);
    auto collecting = std::make_shared<Collecting>();
    collecting->lines.assign(source.begin(), source.end());
    collecting->seen.reserve(collecting->lines.size());
    collectSlice(collecting, m_sortGeneration);
}

void PartsListModel::collectSlice(const std::shared_ptr<Collecting>& collecting, quint64 generation)
{
    if (generation != m_sortGeneration)
        return;
    QElapsedTimer clock;
    clock.start();
    qsizetype looked = 0;
    for (; collecting->next < collecting->lines.size(); ++collecting->next) {
        if (++looked % 256 == 0 && clock.elapsed() >= collectMilliseconds) {
            // A timer, not a queued call: input, painting and other timers run between slices.
            QTimer::singleShot(1, this, [this, collecting, generation] { collectSlice(collecting, generation); });
            return;
        }
        auto* line = static_cast<ProjectComponent*>(collecting->lines[size_t(collecting->next)]);
        Component* now = isLive(line) ? line->component() : nullptr;
        if (now) {
            ++collecting->parts;
            collecting->items = saturatingAdd(collecting->items, line->quantity());
        }
        collecting->seen.push_back({line, now, now ? now->name() : QString()});
    }
    m_seen = std::move(collecting->seen);
    m_partCount = collecting->parts;
    m_itemCount = collecting->items;
    std::vector<Row> all;
    all.reserve(size_t(m_partCount));
    for (const Seen& s : m_seen) {
        if (s.component)
            all.push_back({s.line, s.component, s.name});
    }
    Q_EMIT contentsChanged();
    sortOnWorker(std::move(all));
}

void PartsListModel::sortOnWorker(std::vector<Row> rows)
{
    if (!m_sorting) {
        m_sorting = true;
        m_changedWhileSorting = false;
        ++m_sortGeneration;
        Q_EMIT sortingChanged(true);
    }
    const quint64 generation = m_sortGeneration;
    // The worker reads the rows' names only; it never follows their pointers.
    auto* watcher = new QFutureWatcher<std::vector<Row>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation != m_sortGeneration)
            return;
        install(watcher->future().takeResult());
        m_sorting = false;
        Q_EMIT sortingChanged(false);
        // What changed while the rows were read and sorted is moved in place now.
        if (m_changedWhileSorting)
            refresh();
        else
            Q_EMIT contentsChanged();
    });
    watcher->setFuture(QtConcurrent::run(
        [rows = std::move(rows), locale = QLocale()]() mutable { return sortedByName(std::move(rows), locale); }));
}
