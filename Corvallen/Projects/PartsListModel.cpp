#include "Corvallen/Projects/PartsListModel.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/TextCompare.h"

#include <QFutureWatcher>
#include <QLocale>
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
bool sameText(const QVariant& stored, const QString& shown)
{
    if (stored.metaType().id() == QMetaType::QString) {
        const auto* text = static_cast<const QString*>(stored.constData());
        if (text->constData() == shown.constData() && text->size() == shown.size())
            return true;
        return *text == shown;
    }
    return stored.toString() == shown;
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

    // Rows whose line left the project (or lost its component) and rows whose name changed.
    std::vector<qsizetype> leaving;
    std::vector<Row> renamed;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const Row& row = m_rows[i];
        if (!isShown(row)) {
            leaving.push_back(qsizetype(i));
        } else if (!sameText(row.component->attributeValue(Component::A_name), row.name)) {
            leaving.push_back(qsizetype(i));
            renamed.push_back({row.line, row.component, row.component->name()});
        }
    }

    // The counts; a list shown for the first time takes its rows on the way.
    std::vector<Row> all;
    const bool firstFill = m_rows.empty();
    if (firstFill)
        all.reserve(size_t(source.size()));
    qsizetype parts = 0;
    qint64 items = 0;
    for (PersistentModel* m : source) {
        auto* line = static_cast<ProjectComponent*>(m);
        if (!isLive(line))
            continue;
        ++parts;
        items = saturatingAdd(items, line->quantity());
        if (firstFill)
            all.push_back({line, line->component(), line->component()->name()});
    }
    m_partCount = parts;
    m_itemCount = items;
    const bool sameSource = m_source.size() == size_t(source.size()) && std::equal(m_source.begin(), m_source.end(), source.begin());
    const bool appended = !sameSource && source.size() > qsizetype(m_source.size())
                          && std::equal(m_source.begin(), m_source.end(), source.begin());
    const qsizetype previousSources = qsizetype(m_source.size());
    if (!sameSource)
        m_source.assign(source.begin(), source.end());

    // Every row still shown is one of the project's live lines, so the lines that came are as
    // many as the live lines beyond those rows.
    const qsizetype stayed = qsizetype(m_rows.size() - leaving.size() + renamed.size());
    const qsizetype arriving = parts - stayed;
    if (qsizetype(leaving.size()) + arriving > moveInPlaceUpTo) {
        if (!firstFill) {
            all.reserve(size_t(parts));
            for (PersistentModel* m : source) {
                auto* line = static_cast<ProjectComponent*>(m);
                if (isLive(line))
                    all.push_back({line, line->component(), line->component()->name()});
            }
        }
        if (qsizetype(all.size()) >= sortOnWorkerFrom) {
            Q_EMIT contentsChanged();
            startSort(std::move(all));
            return;
        }
        install(sortedByName(std::move(all), QLocale()));
        Q_EMIT contentsChanged();
        return;
    }

    std::vector<Row> arrived;
    if (firstFill) {
        arrived = std::move(all);
    } else if (arriving > 0) {
        if (appended) {
            // Lines were only added at the end of the project's list (the usual case).
            for (qsizetype i = previousSources; i < source.size(); ++i) {
                auto* line = static_cast<ProjectComponent*>(source[i]);
                if (isLive(line))
                    arrived.push_back({line, line->component(), line->component()->name()});
            }
        }
        if (qsizetype(arrived.size()) != arriving) {
            arrived.clear();
            std::vector<const ProjectComponent*> shown;
            shown.reserve(m_rows.size());
            for (const Row& row : m_rows)
                shown.push_back(row.line);
            std::sort(shown.begin(), shown.end());
            for (PersistentModel* m : source) {
                auto* line = static_cast<ProjectComponent*>(m);
                if (isLive(line) && !std::binary_search(shown.begin(), shown.end(), line))
                    arrived.push_back({line, line->component(), line->component()->name()});
            }
        }
    }

    // Few changes: rows leave and come one block at a time, so the others keep their place.
    for (auto it = leaving.rbegin(); it != leaving.rend();) {
        const qsizetype last = *it;
        qsizetype first = last;
        for (++it; it != leaving.rend() && *it == first - 1; ++it)
            first = *it;
        beginRemoveRows({}, int(first), int(last));
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        endRemoveRows();
    }
    for (Row& row : renamed)
        insertInPlace(std::move(row));
    for (Row& row : arrived)
        insertInPlace(std::move(row));
    // Quantities and stock are read when a row is drawn: every row may show something new.
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1));
    Q_EMIT contentsChanged();
}

std::vector<PartsListModel::Row> PartsListModel::sortedByName(std::vector<Row> rows, const QLocale& locale)
{
    QList<QString> names;
    names.reserve(qsizetype(rows.size()));
    for (const Row& row : rows)
        names.append(row.name);
    std::vector<Row> sorted;
    sorted.reserve(rows.size());
    for (qsizetype i : TextCompare::caseInsensitiveOrder(names, locale))
        sorted.push_back(std::move(rows[size_t(i)]));
    return sorted;
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

void PartsListModel::startSort(std::vector<Row> rows)
{
    m_sorting = true;
    m_changedWhileSorting = false;
    const quint64 generation = ++m_sortGeneration;
    Q_EMIT sortingChanged(true);
    // The worker reads the rows' names only; it never follows their pointers.
    auto* watcher = new QFutureWatcher<std::vector<Row>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation != m_sortGeneration)
            return;
        install(watcher->future().takeResult());
        m_sorting = false;
        Q_EMIT sortingChanged(false);
        // What changed while the worker sorted is moved in place now.
        if (m_changedWhileSorting)
            refresh();
        else
            Q_EMIT contentsChanged();
    });
    watcher->setFuture(QtConcurrent::run(
        [rows = std::move(rows), locale = QLocale()]() mutable { return sortedByName(std::move(rows), locale); }));
}
