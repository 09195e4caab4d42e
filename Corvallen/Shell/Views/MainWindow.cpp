#include "Corvallen/Shell/Views/MainWindow.h"

#include "Corvallen/Platform/AppInfo.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/UpdaterController.h"
#include "Corvallen/Platform/WindowRouter.h"
#include "Corvallen/Shell/Views/AppShell.h"
#include "Corvallen/Shell/Views/SaveFailureBanner.h"
#include "Corvallen/Sync/AppModel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

MainWindow::MainWindow(ModelContext& context, AppModel& model, WindowRouter* router, QWidget* parent)
    : QMainWindow(parent), m_context(context), m_model(model), m_saveMonitor(context), m_router(router)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Corvallen"));
    setMinimumSize(860, 540);
    resize(1120, 740);
    buildMenus();
    auto* host = new QWidget(this);
    m_column = new QVBoxLayout(host);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(0);
    m_banner = new SaveFailureBanner(m_saveMonitor, host);
    m_column->addWidget(m_banner);
    setCentralWidget(host);
    rebuildContent();
    connect(&m_model, &AppModel::wakeTokenChanged, this, &MainWindow::rebuildContent);
}

void MainWindow::rebuildContent()
{
    // The previous content goes with all its view state.
    delete m_shell;
    m_shell = new AppShell(m_context, m_model, m_router, centralWidget());
    m_column->addWidget(m_shell, 1);
}

void MainWindow::buildMenus()
{
    auto open = [this](const QString& id) {
        if (m_router)
            m_router->open(id);
    };

    QMenu* file = menuBar()->addMenu(tr("&File"));
    // Ctrl+N, where a desktop user looks for "new"; the same as the sidebar's plus button.
    m_newProject = file->addAction(tr("New Project"), QKeySequence::New, this, [this] {
        if (m_shell)
            m_shell->navigation().newProject();
    });
    file->addSeparator();
    m_quit = file->addAction(tr("&Quit"), QKeySequence::Quit, this, &MainWindow::requestQuit);
    m_quit->setMenuRole(QAction::QuitRole);
    // Ctrl+Q quits from any of the program's windows (Help, a viewer, the welcome window).
    m_quit->setShortcutContext(Qt::ApplicationShortcut);

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
    // Changes that can't be saved are never dropped without asking.
    if (!m_quitWithoutSaving && !m_saveMonitor.saveBeforeQuit()) {
        event->ignore();
        askBeforeQuitting();
        return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void MainWindow::requestQuit()
{
    // The question about changes that can't be saved comes before any window goes: a quit
    // the user then cancels leaves every window as it was.
    if (!m_quitWithoutSaving && !m_saveMonitor.saveBeforeQuit()) {
        askBeforeQuitting();
        return;
    }
    // The other windows next (a document with unsaved markup may keep its own open), this one last.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && !w->parentWidget() && w->isVisible() && !w->close())
            return;
    close();
}

void MainWindow::askBeforeQuitting()
{
    if (m_quitQuestion) {
        m_quitQuestion->raise();
        return;
    }
    auto* box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("QuitWithUnsavedChanges"));
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::Warning);
    box->setTextFormat(Qt::PlainText);
    box->setText(tr("Your changes couldn\u2019t be saved."));
    box->setInformativeText(m_saveMonitor.reason() + u' '
                            + tr("If you quit now, the changes made since the last save are lost."));
    QPushButton* retry = box->addButton(tr("Try Again"), QMessageBox::AcceptRole);
    QPushButton* discard = box->addButton(tr("Quit Without Saving"), QMessageBox::DestructiveRole);
    box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(retry);
    connect(box, &QMessageBox::buttonClicked, this, [this, retry, discard](QAbstractButton* clicked) {
        if (clicked == retry) {
            QTimer::singleShot(0, this, &QWidget::close);  // saves again; asks again if it fails
        } else if (clicked == discard) {
            // Nothing may save behind the user's back on the way out.
            m_quitWithoutSaving = true;
            m_context.setAutosaveEnabled(false);
            QTimer::singleShot(0, this, &QWidget::close);
        }
    });
    m_quitQuestion = box;
    box->open();
}
