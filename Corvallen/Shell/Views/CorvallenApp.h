#pragma once

#include "Corvallen/Documents/DocViewerTarget.h"
#include "Corvallen/Platform/UpdaterController.h"
#include "Corvallen/Shell/Views/MainWindow.h"

#include <QObject>
#include <QPointer>

#include <memory>

class AppModel;
class MenuBarExtra;
class ModelContainer;
class QWidget;
class WindowRouter;

// The running application once its store is open: the one application model and update
// controller, the main window, the auxiliary windows by identifier ("settings", "welcome",
// "help", "changelog", and the viewers keyed by value, "capture-viewer" and "doc-viewer"), and
// the item in the desktop's status area. The first paint of the main window comes first; the
// model's start-up pass, the update controller and the status item follow right after it.
class CorvallenApp : public QObject {
    Q_OBJECT
public:
    explicit CorvallenApp(std::unique_ptr<ModelContainer> container, QObject* parent = nullptr);
    ~CorvallenApp() override;

    // The one instance, for views that open windows.
    static CorvallenApp* instance();

    ModelContainer& container() const { return *m_container; }
    AppModel& model() const { return *m_model; }
    // Null until the main window has painted.
    UpdaterController* updater() const { return m_updater; }
    WindowRouter& router() const { return *m_router; }
    MainWindow* mainWindow() const { return m_mainWindow; }

    // Shows the main window (once).
    void show();
    // Once the event loop is over, however the run ended (a quit, or the system's request to
    // end): what is still pending is saved, or noted for the next launch to tell the user of
    // (see UnsavedChangesNote); changes the user chose to drop are not. True when nothing was
    // left unsaved.
    bool saveOrNoteUnsavedChanges();
    // A later launch asked for this copy: the main window comes forward, restored if minimised.
    void bringForward();

    // A window by identifier: a new one for each request, except the Settings and release-notes
    // windows, of which the open one comes to the front.
    QWidget* openWindow(const QString& id);
    // One window per capture file name; an open one comes to the front. Pages below the shell
    // reach the same through WindowRouter::current()->openKeyed("capture-viewer", fileName) and
    // ("doc-viewer", the target's toJson()).
    QWidget* openCaptureViewer(const QString& fileName);
    // One window per target; an open one comes to the front.
    QWidget* openDocumentViewer(const DocViewerTarget& target);

    // Ends the application for the relaunch after a staged restore: every window but the main
    // and Settings windows is closed first, and if one refuses (its question about unsaved work
    // was cancelled) nothing quits and this returns false.
    bool quitForRelaunch();

Q_SIGNALS:
    // The main window is on screen and the deferred start-up work has run.
    void ready();

private:
    void registerWindows();
    void finishLaunch();
    void tellOfUnreadableSettings();

    std::unique_ptr<ModelContainer> m_container;
    std::unique_ptr<AppModel> m_model;
    QPointer<UpdaterController> m_updater;
    std::unique_ptr<WindowRouter> m_router;
    QPointer<MainWindow> m_mainWindow;
    std::unique_ptr<MenuBarExtra> m_menuBarExtra;
    bool m_finished = false;
};
