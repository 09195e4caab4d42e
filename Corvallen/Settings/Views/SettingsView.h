#pragma once

#include "Corvallen/Platform/UpdaterController.h"

#include "Corvallen/Settings/SettingsPane.h"
#include "Corvallen/Settings/Views/BackupSettings.h"
#include "Corvallen/Settings/Views/BusinessSettings.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class ModelContext;
class QLabel;
class QListWidget;
class QScrollArea;
class SettingsStore;

// The Settings window's content: the four panes in a fixed list on the left, the chosen pane on
// the right. Each switch builds the pane afresh, so a pane keeps nothing between visits; a new
// window starts on General.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    SettingsView(ModelContext& context, UpdaterController* updater, QWidget* parent = nullptr);
    // The same over other settings and with the questions of the Business and Storage panes
    // answered by the caller (tests).
    SettingsView(ModelContext& context, UpdaterController* updater, SettingsStore& settings,
                 BusinessSettings::ImagePicker logoPicker, BackupSettings::Hooks backupHooks, QWidget* parent = nullptr);

    std::optional<SettingsPane> pane() const { return m_pane; }
    // Selects a pane; none shows the General pane under the title "Settings".
    void setPane(std::optional<SettingsPane> pane);
    // The widget of the pane shown now.
    QWidget* paneWidget() const { return m_current; }
    QString title() const;

private:
    void showPane();

    ModelContext& m_context;
    QPointer<UpdaterController> m_updater;
    SettingsStore& m_settings;
    BusinessSettings::ImagePicker m_logoPicker;
    BackupSettings::Hooks m_backupHooks;
    std::optional<SettingsPane> m_pane = SettingsPane::general;
    QListWidget* m_list;
    QLabel* m_title;
    QScrollArea* m_scroll;
    QPointer<QWidget> m_current;
};
