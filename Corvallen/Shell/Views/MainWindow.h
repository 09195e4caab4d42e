#pragma once

#include "Corvallen/Platform/UpdaterController.h"
#include "Corvallen/Shell/SaveFailureMonitor.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

class AppModel;
class AppShell;
class ModelContext;
class QAction;
class QVBoxLayout;
class SaveFailureBanner;
class WindowRouter;

// The main window: the application's menus and, as its content, an AppShell. Each system wake
// replaces the content with a fresh one (back on the dashboard, nothing open). Closing it quits
// Corvallen. Announces its first paint, after which the start-up's deferred work runs.
//
// While saving fails, a notice across the top says why, with "Try Again". Closing (or quitting)
// first saves what is pending; when that fails it asks: try again, quit without saving, or
// cancel.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(ModelContext& context, AppModel& model, WindowRouter* router, QWidget* parent = nullptr);

    AppShell* shell() const { return m_shell; }

    // "Check for Updates…" follows the controller once there is one.
    void setUpdater(UpdaterController* updater);

    QAction* settingsAction() const { return m_settings; }
    QAction* newProjectAction() const { return m_newProject; }
    QAction* helpAction() const { return m_help; }
    QAction* checkForUpdatesAction() const { return m_checkForUpdates; }
    QAction* quitAction() const { return m_quit; }
    // File > Quit: asks about changes that can't be saved before any window closes.
    void requestQuit();

    bool hasPainted() const { return m_painted; }

    SaveFailureMonitor& saveMonitor() { return m_saveMonitor; }
    SaveFailureBanner* saveFailureBanner() const { return m_banner; }
    // The open question before quitting with changes that couldn't be saved, for tests.
    QMessageBox* quitQuestion() const { return m_quitQuestion; }

Q_SIGNALS:
    void firstPainted();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void rebuildContent();
    void askBeforeQuitting();

    ModelContext& m_context;
    AppModel& m_model;
    SaveFailureMonitor m_saveMonitor;
    QVBoxLayout* m_column = nullptr;
    SaveFailureBanner* m_banner = nullptr;
    QPointer<QMessageBox> m_quitQuestion;
    bool m_quitWithoutSaving = false;
    QPointer<WindowRouter> m_router;
    QPointer<UpdaterController> m_updater;
    AppShell* m_shell = nullptr;
    QAction* m_settings = nullptr;
    QAction* m_newProject = nullptr;
    QAction* m_help = nullptr;
    QAction* m_checkForUpdates = nullptr;
    QAction* m_quit = nullptr;
    bool m_painted = false;
};
