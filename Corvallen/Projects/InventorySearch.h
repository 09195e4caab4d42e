#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class Component;
class ModelContext;
class Project;

// The search of the add-from-inventory sheet, for an inventory of any size: the components not
// on the project whose lower-cased name, part number, category or one of whose tags holds the
// query (AddFromInventory::matches), in name order.
//
// The components' texts are copied on the main thread, a slice per turn of the event loop; a long
// inventory is then sorted and lower-cased once, and every query answered, on a worker from that
// copy, so neither opening the sheet nor typing waits for half a million components. A short
// inventory is answered at once. Main thread only.
class InventorySearch : public QObject {
    Q_OBJECT
public:
    InventorySearch(Project* project, ModelContext& context, QObject* parent = nullptr);
    ~InventorySearch() override;

    // The search text as typed.
    void setQuery(const QString& search);
    // Reads the inventory again (after the store changed).
    void reload();

    // The answer to the latest query (the previous one while it is worked out).
    const QList<Component*>& shown() const { return m_shown; }
    // Every component is on the project already (also for an empty inventory).
    bool nothingToAdd() const { return m_nothingToAdd; }
    // False while the inventory is read or the latest query answered.
    bool isReady() const { return m_ready; }

    // From this many components on, the work runs on a worker.
    static constexpr qsizetype onWorkerFrom = 20000;

Q_SIGNALS:
    void shownChanged();

private:
    struct Entry {
        Component* component = nullptr;
        QString name;  // as stored: the order
        QString lowerName;
        QString partNumber;  // lower-cased, as the others below
        QString category;
        QString tagsText;  // as stored; read into `tags` on the way
        QStringList tags;
        bool onProject = false;
    };
    using Entries = std::vector<Entry>;

    void copySlice(quint64 generation);
    void answer();
    static std::shared_ptr<const Entries> prepared(Entries entries);
    static QList<Component*> matching(const Entries& entries, const QString& query);

    Project* m_project;
    ModelContext& m_context;
    QString m_query;
    quint64 m_generation = 0;       // of the inventory's copy
    quint64 m_queryGeneration = 0;  // of the answers
    QList<Component*> m_toCopy;
    qsizetype m_copied = 0;
    Entries m_copy;
    std::shared_ptr<const Entries> m_entries;
    QList<Component*> m_shown;
    bool m_nothingToAdd = true;
    bool m_ready = false;
};
