#include "Corvallen/Shell/Views/CorvallenApp.h"

#include "Corvallen/Backup/BackupController.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/UpdaterController.h"
#include "Corvallen/Platform/Views/DestructiveQuestions.h"
#include "Corvallen/Platform/Views/ScreenPlacement.h"
#include "Corvallen/Platform/Views/WheelGuard.h"
#include "Corvallen/Platform/WindowRouter.h"
#include "Corvallen/Shell/UnsavedChangesNote.h"
#include "Corvallen/Shell/Views/MainWindow.h"
#include "Corvallen/Shell/Views/MenuBarExtra.h"
#include "Corvallen/Shell/Views/ShellPages.h"
#include "Corvallen/Shell/Views/WelcomeView.h"
#include "Corvallen/Sync/AppModel.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace {

CorvallenApp* g_instance = nullptr;

QWidget* auxiliaryWindow(const QString& name, const QString& title, QWidget* content, QSize size)
{
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(name);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(title);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    content->setParent(window);
    layout->addWidget(content);
    if (size.isValid())
        window->resize(size);
    // Esc and Ctrl+W close an auxiliary window, as in other desktop programs; the window's own
    // close handling (unsaved markup) still has its say.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)}) {
        auto* shortcut = new QShortcut(keys, window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
    }
    return window;
}

}  // namespace

CorvallenApp::CorvallenApp(std::unique_ptr<ModelContainer> container, QObject* parent)
    : QObject(parent), m_container(std::move(container)), m_router(std::make_unique<WindowRouter>())
{
    g_instance = this;
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        WheelGuard::install(*app);
        DestructiveQuestions::install(*app);
        keepDialogsOnScreen(*app);
    }
    m_router->makeCurrent();
    m_model = std::make_unique<AppModel>(m_container->mainContext());
    registerWindows();
    BackupController::shared().setQuitForRelaunch([this] { return quitForRelaunch(); });
    m_mainWindow = new MainWindow(m_container->mainContext(), *m_model, m_router.get());
    m_mainWindow->setAttribute(Qt::WA_DeleteOnClose, false);
    // The start-up benchmark times whole launches of the real program: it asks to be told of
    // the first paint and has the program quit right after it. Told before the launch's
    // remaining work runs, as that work comes after the paint the user sees.
    if (qEnvironmentVariableIsSet("CORVALLEN_QUIT_AFTER_FIRST_PAINT"))
        connect(m_mainWindow, &MainWindow::firstPainted, this, [] {
            std::fputs("first-paint\n", stdout);
            std::fflush(stdout);
            QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
        });
    connect(m_mainWindow, &MainWindow::firstPainted, this, &CorvallenApp::finishLaunch);
}

bool CorvallenApp::saveOrNoteUnsavedChanges()
{
    return UnsavedChangesNote::saveOrNote(m_container->mainContext(), m_mainWindow && m_mainWindow->quitsWithoutSaving());
}

CorvallenApp::~CorvallenApp()
{
    BackupController::shared().setQuitForRelaunch({});
    // Windows go before the model and the store they show.
    for (const QString& id : {QStringLiteral("settings"), QStringLiteral("welcome"), QStringLiteral("help"),
                              QStringLiteral("changelog"), QStringLiteral("capture-viewer"), QStringLiteral("doc-viewer")})
        for (QObject* w : m_router->windows(id))
            delete w;
    delete m_mainWindow;
    m_menuBarExtra.reset();
    delete m_updater;
    m_model.reset();
    if (g_instance == this)
        g_instance = nullptr;
}

CorvallenApp* CorvallenApp::instance() { return g_instance; }

void CorvallenApp::bringForward()
{
    if (!m_mainWindow)
        return;
    if (m_mainWindow->isMinimized())
        m_mainWindow->showNormal();
    else
        m_mainWindow->show();
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}

void CorvallenApp::show()
{
    if (!m_mainWindow)
        return;
    // On a screen smaller than the window's usual size, all of it still opens on the screen.
    if (!m_mainWindow->isVisible())
        placeOnScreen(m_mainWindow);
    m_mainWindow->show();
}

void CorvallenApp::registerWindows()
{
    m_router->setPresenters(
        [](QObject* o) {
            if (auto* w = qobject_cast<QWidget*>(o)) {
                placeOnScreen(w);
                w->show();
            }
        },
        [](QObject* o) {
            if (auto* w = qobject_cast<QWidget*>(o)) {
                if (w->isMinimized())
                    w->showNormal();
                w->raise();
                w->activateWindow();
            }
        });
    ModelContext& context = m_container->mainContext();
    m_router->registerSingle(QStringLiteral("settings"), [this, &context]() -> QObject* {
        QWidget* content = ShellPages::settingsContent(context, m_updater);
        QWidget* w = auxiliaryWindow(QStringLiteral("SettingsWindow"), tr("Settings"), content, QSize(680, 460));
        w->setMinimumSize(content->minimumSizeHint());
        return w;
    });
    m_router->registerGroup(QStringLiteral("welcome"), [this]() -> QObject* {
        auto window = std::make_shared<QPointer<QWidget>>();
        auto* view = new WelcomeView([this](const QString& id) { openWindow(id); }, [window] {
            if (*window)
                (*window)->close();
        });
        QWidget* w = auxiliaryWindow(QStringLiteral("WelcomeWindow"), tr("Welcome to Corvallen"), view, QSize());
        *window = w;
        // The window is exactly as large as its content.
        w->layout()->setSizeConstraint(QLayout::SetFixedSize);
        return w;
    });
    // The viewers, one window per value: a capture's file name, a document target's coding.
    m_router->registerKeyed(QStringLiteral("capture-viewer"), [&context](const QString& fileName) -> QObject* {
        return auxiliaryWindow(QStringLiteral("CaptureViewerWindow"), fileName, ShellPages::imageViewerContent(fileName, context),
                               QSize(820, 560));
    });
    m_router->registerKeyed(QStringLiteral("doc-viewer"), [&context](const QString& key) -> QObject* {
        const auto target = DocViewerTarget::fromJson(key.toUtf8());
        if (!target)
            return nullptr;
        const QString title = target->scopeLabel.isEmpty() ? target->fileName
                                                           : target->fileName + QStringLiteral(" \u2014 ") + target->scopeLabel;
        return auxiliaryWindow(QStringLiteral("DocumentViewerWindow"), title, ShellPages::documentViewerContent(*target, context),
                               QSize(900, 640));
    });
    m_router->registerGroup(QStringLiteral("help"), []() -> QObject* {
        return auxiliaryWindow(QStringLiteral("HelpWindow"), tr("Corvallen Help"), ShellPages::helpContent(), QSize(820, 560));
    });
    m_router->registerSingle(QStringLiteral("changelog"), []() -> QObject* {
        return auxiliaryWindow(QStringLiteral("ChangelogWindow"), tr("Release Notes"), ShellPages::changelogContent(), QSize(620, 560));
    });
}

QWidget* CorvallenApp::openWindow(const QString& id) { return qobject_cast<QWidget*>(m_router->open(id)); }

bool CorvallenApp::quitForRelaunch()
{
    // The windows that may want to keep the user's work (a document with unsaved markup) are
    // asked first; if one stays open, the main and Settings windows stay as they are and say why.
    const QList<QObject*> settings = m_router->windows(QStringLiteral("settings"));
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != m_mainWindow && !settings.contains(w) && w->isVisible() && !w->close())
            return false;
    // exit(), not quit(): nothing is left to ask, and the main window's question about changes
    // that can't be saved has no point, as the restore replaces the whole store at the next launch.
    QCoreApplication::exit(0);
    return true;
}

QWidget* CorvallenApp::openCaptureViewer(const QString& fileName)
{
    return qobject_cast<QWidget*>(m_router->openKeyed(QStringLiteral("capture-viewer"), fileName));
}

QWidget* CorvallenApp::openDocumentViewer(const DocViewerTarget& target)
{
    return qobject_cast<QWidget*>(m_router->openKeyed(QStringLiteral("doc-viewer"), QString::fromUtf8(target.toJson())));
}

void CorvallenApp::finishLaunch()
{
    if (m_finished)
        return;
    m_finished = true;
    // What can wait until the window is on screen: the library reconcile and term seeding, the
    // update controller (it may go on the network) and the status-area item. The reconcile and
    // the seeding read every capture and component, so they also wait for the store's readers
    // to bring those in, rather than hold the window still while they finish.
    ModelContext& context = m_container->mainContext();
    // The first screen took only what it needed; the rest of the records now come in on
    // worker threads.
    context.loadInBackground();
    if (context.isFullyLoaded())
        m_model->start();
    else
        connect(&context, &ModelContext::finishedLoading, m_model.get(), &AppModel::start, Qt::SingleShotConnection);
    m_updater = new UpdaterController(this);
    connect(m_updater, &UpdaterController::checkFinished, this, [this](const UpdateCheckResult& result) {
        if (!result.userInitiated && result.kind != UpdateCheckResult::Kind::UpdateAvailable)
            return;
        auto* box = new QMessageBox(m_mainWindow);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowTitle(tr("Software Update"));
        box->setIcon(result.kind == UpdateCheckResult::Kind::Failed ? QMessageBox::Warning : QMessageBox::Information);
        box->setTextFormat(Qt::PlainText);
        box->setText(result.message);
        if (!result.notes.isEmpty())
            box->setInformativeText(result.notes);
        if (result.kind == UpdateCheckResult::Kind::UpdateAvailable && result.downloadUrl.isValid()) {
            QPushButton* download = box->addButton(tr("Open Download Page"), QMessageBox::AcceptRole);
            const QUrl url = result.downloadUrl;
            connect(download, &QPushButton::clicked, box, [url] { QDesktopServices::openUrl(url); });
        }
        box->addButton(QMessageBox::Close);
        box->open();
    });
    if (m_mainWindow)
        m_mainWindow->setUpdater(m_updater);
    m_menuBarExtra = std::make_unique<MenuBarExtra>(*m_model);
    tellOfUnreadableSettings();
    Q_EMIT ready();
}

void CorvallenApp::tellOfUnreadableSettings()
{
    // Only the launch that found the file damaged knows of it, so this is said once.
    const SettingsStore& settings = SettingsStore::shared();
    const QString kept = settings.unreadableFileKeptAs();
    if (kept.isEmpty() || !m_mainWindow)
        return;
    auto* box = new QMessageBox(m_mainWindow);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("UnreadableSettingsNotice"));
    box->setWindowTitle(tr("Settings"));
    box->setIcon(QMessageBox::Warning);
    box->setTextFormat(Qt::PlainText);
    box->setText(tr("Your settings couldn\u2019t be read, so Corvallen started with its default settings."));
    if (kept == settings.filePath())
        box->setInformativeText(tr("The settings file \u201C%1\u201D is left as it is, and changes to settings made now are "
                                   "kept only until Corvallen quits.")
                                    .arg(QDir::toNativeSeparators(kept)));
    else
        box->setInformativeText(tr("The damaged file was kept as \u201C%1\u201D in %2.")
                                    .arg(QFileInfo(kept).fileName(), QDir::toNativeSeparators(QFileInfo(kept).absolutePath())));
    box->addButton(QMessageBox::Ok);
    box->open();
}
