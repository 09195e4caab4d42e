#include "Corvallen/Shell/Views/MainWindow.h"

#include "Corvallen/Shell/AppInfo.h"
#include "Corvallen/Shell/UpdaterController.h"
#include "Corvallen/Shell/WindowRouter.h"
#include "Corvallen/Shell/Views/AppShell.h"
#include "Corvallen/Sync/AppModel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

MainWindow::MainWindow(ModelContext& context, AppModel& model, WindowRouter* router, QWidget* parent)
    : QMainWindow(parent), m_context(context), m_model(model), m_router(router)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Corvallen"));
    setMinimumSize(860, 540);
    resize(1120, 740);
    buildMenus();
    rebuildContent();
    connect(&m_model, &AppModel::wakeTokenChanged, this, &MainWindow::rebuildContent);
}

void MainWindow::rebuildContent()
{
    m_shell = new AppShell(m_context, m_model, m_router, this);
    setCentralWidget(m_shell);  // deletes the previous content with all its view state
}

void MainWindow::buildMenus()
{
    auto open = [this](const QString& id) {
        if (m_router)
            m_router->open(id);
    };

    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* quit = file->addAction(tr("&Quit"), QKeySequence::Quit, this, [] { QApplication::quit(); });
    quit->setMenuRole(QAction::QuitRole);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    m_settings = edit->addAction(tr("Settings\u2026"), QKeySequence(Qt::CTRL | Qt::Key_Comma), this,
                                 [open] { open(QStringLiteral("settings")); });
    m_settings->setMenuRole(QAction::PreferencesRole);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    m_help = help->addAction(tr("Corvallen Help"), this, [open] { open(QStringLiteral("help")); });
    m_help->setShortcuts({QKeySequence(Qt::Key_F1), QKeySequence(Qt::CTRL | Qt::Key_Question)});
    help->addAction(tr("Welcome to Corvallen"), this, [open] { open(QStringLiteral("welcome")); });
    help->addAction(tr("Release Notes"), this, [open] { open(QStringLiteral("changelog")); });
    help->addSeparator();
    help->addAction(tr("Corvallen Website"), this, [] { QDesktopServices::openUrl(AppInfo::websiteURL()); });
    help->addSeparator();
    QAction* about = help->addAction(tr("About Corvallen"), this, [this] {
        QMessageBox::about(this, tr("About Corvallen"),
                           tr("<b>Corvallen</b> %1<br>A workshop companion for people who build and repair electronics.")
                               .arg((AppInfo::version() + QStringLiteral(" (") + AppInfo::build() + u')').toHtmlEscaped()));
    });
    about->setMenuRole(QAction::AboutRole);
    m_checkForUpdates = help->addAction(tr("Check for Updates\u2026"), this, [this] {
        if (m_updater && m_updater->canCheckForUpdates())
            m_updater->checkForUpdates();
    });
    m_checkForUpdates->setEnabled(false);
}

void MainWindow::setUpdater(UpdaterController* updater)
{
    m_updater = updater;
    m_checkForUpdates->setEnabled(updater && updater->canCheckForUpdates());
    if (updater)
        connect(updater, &UpdaterController::canCheckForUpdatesChanged, m_checkForUpdates, &QAction::setEnabled);
}

bool MainWindow::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    if (!m_painted && (event->type() == QEvent::UpdateRequest || event->type() == QEvent::Paint)) {
        m_painted = true;
        // After this turn of the event loop, when the frame is on screen.
        QTimer::singleShot(0, this, &MainWindow::firstPainted);
    }
    return handled;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}
