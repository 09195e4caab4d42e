#include "Corvallen/Shell/Views/AppShell.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Platform/AppInfo.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/WindowRouter.h"
#include "Corvallen/Shell/Views/DashboardView.h"
#include "Corvallen/Shell/Views/ShellPages.h"
#include "Corvallen/Shell/Views/ShellSidebar.h"
#include "Corvallen/Shell/Views/StatusBar.h"
#include "Corvallen/Shell/Views/VisualEffectView.h"
#include "Corvallen/Shell/WelcomeCheck.h"
#include "Corvallen/Sync/AppModel.h"

#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QResizeEvent>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QFrame* line(QFrame::Shape shape, QWidget* parent)
{
    auto* l = new QFrame(parent);
    l->setFrameShape(shape);
    l->setFrameShadow(QFrame::Plain);
    if (shape == QFrame::HLine)
        l->setFixedHeight(1);
    else
        l->setFixedWidth(1);
    QPalette p = l->palette();
    QColor c = p.color(QPalette::WindowText);
    c.setAlphaF(0.14f);
    p.setColor(QPalette::WindowText, c);
    l->setPalette(p);
    return l;
}

}  // namespace

AppShell::AppShell(ModelContext& context, AppModel& model, WindowRouter* router, QWidget* parent)
    : QWidget(parent), m_context(context), m_model(model), m_router(router), m_nav(context)
{
    setObjectName(QStringLiteral("AppShell"));
    m_background = new VisualEffectView(VisualEffectView::Material::UnderWindowBackground,
                                        VisualEffectView::BlendingMode::BehindWindow,
                                        VisualEffectView::State::FollowsWindowActiveState, this);
    m_background->lower();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_sidebar = new ShellSidebar(this);
    row->addWidget(m_sidebar);
    row->addWidget(line(QFrame::VLine, this));
    m_pageHost = new QWidget(this);
    m_pageLayout = new QStackedLayout(m_pageHost);
    m_pageLayout->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_pageHost, 1);
    column->addLayout(row, 1);
    column->addWidget(line(QFrame::HLine, this));
    m_statusBar = new StatusBar(model, this);
    column->addWidget(m_statusBar);

    // The sidebar hands every action back here.
    connect(m_sidebar, &ShellSidebar::collapsedChanged, &m_nav, &ShellNavigation::setRailCollapsed);
    connect(m_sidebar, &ShellSidebar::newProjectRequested, this, [this] { m_nav.newProject(); });
    connect(m_sidebar, &ShellSidebar::editProjectRequested, &m_nav, &ShellNavigation::editProject);
    connect(m_sidebar, &ShellSidebar::deleteProjectRequested, this, &AppShell::confirmDeleteProject);
    connect(m_sidebar, &ShellSidebar::attachFileDropped, &m_nav, &ShellNavigation::handleFileDrop);
    connect(m_sidebar, &ShellSidebar::partDropped, &m_nav, &ShellNavigation::handlePartDrop);
    connect(m_sidebar, &ShellSidebar::captureDropped, &m_nav, &ShellNavigation::handleCaptureDrop);
    connect(m_sidebar, &ShellSidebar::projectSelected, &m_nav, &ShellNavigation::openProject);
    connect(m_sidebar, &ShellSidebar::sectionSelected, &m_nav, &ShellNavigation::selectSection);
    connect(m_sidebar, &ShellSidebar::settingsRequested, this, [this] {
        if (m_router)
            m_router->open(QStringLiteral("settings"));
    });

    connect(&m_nav, &ShellNavigation::destinationChanged, this, [this] { m_sidebar->setDestination(m_nav.destination()); });
    connect(&m_nav, &ShellNavigation::railCollapsedChanged, m_sidebar, &ShellSidebar::setCollapsed);
    connect(&m_nav, &ShellNavigation::pageIdentityChanged, this, &AppShell::rebuildPage);
    connect(&m_nav, &ShellNavigation::editingProjectChanged, this, &AppShell::showEditSheet);
    connect(&m_nav, &ShellNavigation::pendingPartChanged, this, &AppShell::showAddPartSheet);

    connect(&m_context, &ModelContext::changed, this, [this](const QString& entity) {
        m_nav.dropDeletedReferences();
        if (entity == QLatin1String("Project"))
            reloadProjects();
    });

    reloadProjects();
    m_sidebar->setDestination(m_nav.destination());
    rebuildPage();
}

AppShell::~AppShell()
{
    // Sheets and questions are children of the window, not of this content: close them with it.
    delete m_deleteQuestion;
    delete m_editSheet;
    delete m_addPartSheet;
}

void AppShell::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_background->setGeometry(rect());
}

void AppShell::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_welcomeChecked) {
        m_welcomeChecked = true;
        checkWelcome();
    }
}

void AppShell::reloadProjects()
{
    m_sidebar->setProjects(
        m_context.fetch<Project>({}, [](const Project* a, const Project* b) { return a->createdAt() > b->createdAt(); }));
}

void AppShell::rebuildPage()
{
    QWidget* next = nullptr;
    const Destination d = m_nav.destination();
    switch (d.kind) {
    case Destination::Kind::dashboard: {
        DashboardView::Actions actions;
        actions.onOpenProject = [this](Project* p) { m_nav.openProject(p); };
        actions.onOpenLibrary = [this] { m_nav.showLibrary(); };
        actions.onNewProject = [this] { m_nav.newProject(); };
        actions.onOpenInventory = [this](InventoryStatusFilter f) { m_nav.showInventory(f); };
        next = new DashboardView(m_context, actions);
        break;
    }
    case Destination::Kind::library: next = ShellPages::libraryPage(m_context, m_model); break;
    case Destination::Kind::inventory:
        next = ShellPages::inventoryPage(m_context, m_nav.inventoryFilter(), m_nav.inventorySelection());
        break;
    case Destination::Kind::devices: next = ShellPages::devicesPage(); break;
    case Destination::Kind::syncLocations: next = ShellPages::syncLocationsPage(m_model); break;
    case Destination::Kind::project:
        next = ShellPages::projectWorkspace(d.project, m_context, [this](Component* c) { m_nav.revealInInventory(c); });
        break;
    }
    QWidget* previous = m_page;
    m_page = next;
    m_pageLayout->addWidget(next);
    m_pageLayout->setCurrentWidget(next);
    if (previous) {
        m_pageLayout->removeWidget(previous);
        previous->deleteLater();
    }
    Q_EMIT pageChanged(next);
}

void AppShell::confirmDeleteProject(Project* project)
{
    if (!project || project->isDeleted())
        return;
    delete m_deleteQuestion;
    const QString name = project->name().trimmed().isEmpty() ? tr("Untitled") : project->name();
    auto* box = new QMessageBox(window());
    box->setObjectName(QStringLiteral("DeleteProjectQuestion"));
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(tr("Delete Project"));
    box->setTextFormat(Qt::PlainText);
    box->setText(tr("Delete \u201C%1\u201D?").arg(name));
    box->setInformativeText(tr("Its parts list, notes and document attachments are deleted. Its captures and documents stay in the Library."));
    QPushButton* remove = box->addButton(tr("Delete"), QMessageBox::DestructiveRole);
    remove->setObjectName(QStringLiteral("DeleteButton"));
    QPushButton* cancel = box->addButton(QMessageBox::Cancel);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::buttonClicked, this, [this, project, remove](QAbstractButton* clicked) {
        if (clicked == remove && !project->isDeleted())
            m_nav.deleteProject(project);
    });
    m_deleteQuestion = box;
    box->open();
}

void AppShell::checkWelcome()
{
    if (!WelcomeCheck::run(SettingsStore::shared(), AppInfo::version()) || !m_router)
        return;
    // Opened once the main window is on screen, so the welcome window comes up in front of it.
    QTimer::singleShot(0, this, [router = m_router, shell = QPointer<AppShell>(this)] {
        if (!router)
            return;
        if (auto* w = qobject_cast<QWidget*>(router->open(QStringLiteral("welcome")))) {
            // Centred over the main window, where the eye is (once the window manager has placed it).
            if (QWidget* main = shell ? shell->window() : nullptr; main && main->isVisible())
                QTimer::singleShot(0, w, [w, main = QPointer<QWidget>(main)] {
                    if (main)
                        w->move(main->frameGeometry().center() - QPoint(w->frameGeometry().width() / 2,
                                                                        w->frameGeometry().height() / 2));
                });
            w->raise();
            w->activateWindow();
        }
    });
}

void AppShell::showEditSheet()
{
    Project* project = m_nav.editingProject();
    if (QDialog* old = m_editSheet) {
        m_editSheet = nullptr;
        old->disconnect(this);
        old->close();
    }
    if (!project)
        return;
    QDialog* sheet = ShellPages::projectEditSheet(project, m_context, window());
    m_editSheet = sheet;
    connect(sheet, &QDialog::finished, this, [this, sheet] {
        if (m_editSheet == sheet)
            m_nav.closeEditSheet();
    });
    sheet->open();
}

void AppShell::showAddPartSheet()
{
    const auto pending = m_nav.pendingPart();
    if (QDialog* old = m_addPartSheet) {
        m_addPartSheet = nullptr;
        old->disconnect(this);
        old->close();
    }
    if (!pending)
        return;
    QDialog* sheet = ShellPages::addPartSheet(pending->component, pending->project, m_context, window());
    m_addPartSheet = sheet;
    connect(sheet, &QDialog::finished, this, [this, sheet] {
        if (m_addPartSheet == sheet)
            m_nav.closeAddPartSheet();
    });
    sheet->open();
}
