#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QLocale>
#include <QString>

#include <memory>

#include <vector>

class Component;
class PersistentModel;
class Project;
class ProjectComponent;

// The rows of a project's parts list: its lines that have a component, by the component's name
// (case-insensitive, in the user's locale; equal names in no particular order).
//
// refresh() brings the rows up to date with the store after a change. It looks at every line
// once (no sorting) to find what changed: a few lines added, removed or renamed are moved in
// place, so the other rows, the scroll position and a row being edited stay where they are.
// When many changed the list is sorted afresh; a long list is then read a slice per turn of the
// event loop and sorted on a worker from a copy of the names, and the rows shown until then stay
// (their lines are still valid objects; a row whose line was removed meanwhile answers nothing).
// Main thread only.
class PartsListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit PartsListModel(Project* project, QObject* parent = nullptr);
    ~PartsListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    // The component's name for the display and accessibility roles.
    QVariant data(const QModelIndex& index, int role) const override;

    ProjectComponent* line(int row) const;
    // The row showing the line, or -1.
    int rowOf(const ProjectComponent* line) const;
    // The lines in the order shown.
    QList<ProjectComponent*> lines() const;

    // The project's lines that have a component and the sum of their quantities, as of the last
    // refresh (also while the rows wait for a sort).
    qsizetype partCount() const { return m_partCount; }
    qint64 itemCount() const { return m_itemCount; }
    // True while a long list is being sorted on a worker.
    bool isSorting() const { return m_sorting; }

    // From this many changed lines on, the list is sorted afresh rather than changed in place;
    // from sortOnWorkerFrom lines on, that sort runs on a worker.
    static constexpr qsizetype moveInPlaceUpTo = 64;
    static constexpr qsizetype sortOnWorkerFrom = 20000;

public Q_SLOTS:
    void refresh();

Q_SIGNALS:
    // After each refresh and when a sort is done: the counts or the rows may have changed.
    void contentsChanged();
    void sortingChanged(bool sorting);

private:
    struct Row {
        ProjectComponent* line = nullptr;
        Component* component = nullptr;
        QString name;  // shares its text with the component's, so a rename shows as other text
    };
    bool isShown(const Row& row) const;
    // Reads the rows' names only (never their pointers), so it runs on any thread.
    static std::vector<Row> sortedByName(std::vector<Row> rows, const QLocale& locale);
    // A line of the project as the last refresh saw it: the component its row shows and the
    // name the row is sorted by (no component: the line has no row).
    struct Seen {
        ProjectComponent* line = nullptr;
        Component* component = nullptr;
        QString name;
    };
    struct Collecting {
        std::vector<PersistentModel*> lines;
        qsizetype next = 0;
        std::vector<Seen> seen;
        qsizetype parts = 0;
        qint64 items = 0;
    };
    // A long list shown for the first time is read a slice per turn of the event loop; a long
    // list is sorted on a worker.
    void collect(const QList<PersistentModel*>& source);
    void collectSlice(const std::shared_ptr<Collecting>& collecting, quint64 generation);
    void sortOnWorker(std::vector<Row> rows);
    static constexpr int collectMilliseconds = 20;
    void install(std::vector<Row> rows);
    void insertInPlace(Row row);

    Project* m_project;
    std::vector<Row> m_rows;
    // The project's lines in the project's order, as the last refresh saw them.
    std::vector<Seen> m_seen;
    qsizetype m_partCount = 0;
    qint64 m_itemCount = 0;
    bool m_sorting = false;
    bool m_changedWhileSorting = false;
    quint64 m_sortGeneration = 0;
};
