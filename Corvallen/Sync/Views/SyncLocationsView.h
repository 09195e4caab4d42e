#pragma once

#include "Corvallen/Sync/SyncLocation.h"
#include "Corvallen/Sync/Views/AddSyncLocationSheet.h"
#include "Corvallen/Sync/Views/LocationDetail.h"
#include "Corvallen/Sync/Views/ManageLocationsSheet.h"

#include <QPointer>
#include <QSet>
#include <QWidget>

#include <optional>

class AppModel;
class QScrollArea;
class QVBoxLayout;
class QAbstractButton;

// The sync locations page: the saved locations the user hasn't hidden, each with its symbol,
// name, kind and connection dot, and the detail of the selected one. Locations are added with
// the editor sheet, edited and removed from their detail, and hidden or shown in the manage
// sheet. The page keeps no copy of the saved list beyond a reload: after every change and
// whenever the connected set changes it reads the list again.
class SyncLocationsView : public QWidget {
    Q_OBJECT
public:
    explicit SyncLocationsView(AppModel& model, QWidget* parent = nullptr);

    std::optional<QString> selection() const { return m_selection; }
    QList<SyncLocation> locations() const { return m_locations; }
    QSet<QString> hiddenIDs() const;
    QList<SyncLocation> visibleLocations() const;
    static QString kindLabel(const SyncLocation& location);

    void select(const QString& id);
    void addLocation();
    void editLocation(const SyncLocation& location);
    void removeLocation(const SyncLocation& location);
    void saveLocation(const SyncLocation& location);
    void showManageSheet();
    void reconcileSelection();
    void reloadLocations();

    // What is open now (tests drive them).
    AddSyncLocationSheet* editor() const { return m_editor; }
    ManageLocationsSheet* manageSheet() const { return m_manage; }
    LocationDetail* detail() const { return m_detail; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void rebuildList();
    void rebuildDetail();
    void openEditor(const SyncLocation& location);

    AppModel& m_model;
    std::optional<QString> m_selection;
    QList<SyncLocation> m_locations;

    QWidget* m_listArea = nullptr;
    QVBoxLayout* m_listLayout = nullptr;
    QPointer<QScrollArea> m_listScroll;     // the list of rows, while there are any
    QList<QPointer<QAbstractButton>> m_rows;  // the rows, in list order
    QStringList m_rowIDs;                   // the locations they show
    QWidget* m_detailArea = nullptr;
    QVBoxLayout* m_detailLayout = nullptr;
    QWidget* m_placeholder = nullptr;
    QPointer<LocationDetail> m_detail;
    QPointer<AddSyncLocationSheet> m_editor;
    QPointer<ManageLocationsSheet> m_manage;
};
