#pragma once

#include "Corvallen/Shell/UpdaterController.h"

#include <QMainWindow>
#include <QPointer>

class AppModel;
class AppShell;
class ModelContext;
class QAction;
class WindowRouter;

// The main window: the application's menus and, as its content, an AppShell. Each system wake
// replaces the content with a fresh one (back on the dashboard, nothing open). Closing it quits
// Corvallen. Announces its first paint, after which the start-up's deferred work runs.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(ModelContext& context, AppModel& model, WindowRouter* router, QWidget* parent = nullptr);

    AppShell* shell() const { return m_shell; }

    // "Check for Updates…" follows the controller once there is one.
    void setUpdater(UpdaterController* updater);

    QAction* settingsAction() const { return m_settings; }
    QAction* helpAction() const { return m_help; }
    QAction* checkForUpdatesAction() const { return m_checkForUpdates; }

    bool hasPainted() const { return m_painted; }

Q_SIGNALS:
    void firstPainted();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void rebuildContent();

    ModelContext& m_context;
    AppModel& m_model;
    QPointer<WindowRouter> m_router;
    QPointer<UpdaterController> m_updater;
    AppShell* m_shell = nullptr;
    QAction* m_settings = nullptr;
    QAction* m_help = nullptr;
    QAction* m_checkForUpdates = nullptr;
    bool m_painted = false;
};
