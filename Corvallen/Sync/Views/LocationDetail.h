#pragma once

#include "Corvallen/Sync/ConnectionState.h"
#include "Corvallen/Sync/SyncLocation.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class AppModel;
class QLabel;
#include <QMessageBox>
class QPushButton;
class QVBoxLayout;

// The right-hand column of the sync locations page for one location: its name and connection
// state, what is scanned, how many images a scan finds now, the actions that fit the state
// (choose, grant, sync, full resync, eject, reconnect), the last outcome line, and edit and
// remove. Every action is the application model's; edit and remove go back to the page.
class LocationDetail : public QWidget {
    Q_OBJECT
public:
    LocationDetail(AppModel& model, const SyncLocation& location, std::function<void()> onEdit,
                   std::function<void()> onRemove, QWidget* parent = nullptr);

    SyncLocation location() const { return m_location; }
    // A newer copy of the same location (after a save or a reload).
    void setLocation(const SyncLocation& location);

    // "Entire drive/folder" or the subfolder.
    static QString sourceDescription(const SyncLocation& location);
    static QString statusText(ConnectionState state);

    std::optional<qint64> imageCount() const { return m_imageCount; }
    // Counts the files a scan would find, on a worker thread; the row shows when it is done.
    void refreshImageCount();
    // The open removal question, if any.
    QMessageBox* removeConfirmation() const { return m_confirm; }
    void askToRemove();

Q_SIGNALS:
    void imageCountChanged();

private:
    void refresh();
    void grantAction();
    void syncAction(bool full);
    void ejectAction();

    AppModel& m_model;
    SyncLocation m_location;
    std::function<void()> m_onEdit;
    std::function<void()> m_onRemove;
    std::optional<qint64> m_imageCount;
    quint64 m_countGeneration = 0;
    QPointer<QMessageBox> m_confirm;

    QLabel* m_icon = nullptr;
    QLabel* m_name = nullptr;
    QLabel* m_badgeIcon = nullptr;
    QLabel* m_badge = nullptr;
    QLabel* m_source = nullptr;
    QWidget* m_countRow = nullptr;
    QLabel* m_count = nullptr;
    QWidget* m_controls = nullptr;
    QVBoxLayout* m_controlsLayout = nullptr;
    QLabel* m_summary = nullptr;
    std::optional<ConnectionState> m_shownState;
};
