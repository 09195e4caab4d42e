#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/DragString.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/WindowRouter.h"
#include "Corvallen/Shell/Views/AppShell.h"
#include "Corvallen/Shell/Views/DashboardView.h"
#include "Corvallen/Shell/Views/PlaceholderPage.h"
#include "Corvallen/Shell/Views/ShellSidebar.h"
#include "Corvallen/Sync/AppModel.h"
#include "Corvallen/Widgets/Views/StatTile.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

class AppShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        container = ModelContainer::open(corvallen::test::freshFolder(QStringLiteral("store")) + QStringLiteral("/Corvallen.store"),
                                         corvallenSchema());
        ASSERT_TRUE(container);
        model = std::make_unique<AppModel>(ctx());
        router = std::make_unique<WindowRouter>();
        for (const QString& id : {QStringLiteral("settings"), QStringLiteral("welcome"), QStringLiteral("help")})
            router->registerGroup(id, [this, id] {
                opened << id;
                return new QObject(router.get());
            });
        shell = std::make_unique<AppShell>(ctx(), *model, router.get());
        shell->resize(1000, 700);
    }
    void TearDown() override
    {
        shell.reset();
        settle();
    }
    ModelContext& ctx() { return container->mainContext(); }
    ShellSidebar* sidebar() { return shell->sidebar(); }
    QString pageName() { return shell->page() ? shell->page()->objectName() : QString(); }
    Project* storedProject(const QString& name)
    {
        Project* p = ctx().insert(new Project(name, QString(), QString()));
        ctx().save();
        settle();
        return p;
    }

    std::unique_ptr<ModelContainer> container;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<WindowRouter> router;
    std::unique_ptr<AppShell> shell;
    QStringList opened;
};

}  // namespace

TEST_F(AppShellTest, SidebarClicksVisitEveryDestination)
{
    EXPECT_EQ(pageName(), QStringLiteral("DashboardView"));
    const QList<std::pair<Destination::Kind, QString>> pages = {
        {Destination::Kind::library, QStringLiteral("LibraryView")},
        {Destination::Kind::inventory, QStringLiteral("InventoryView")},
        {Destination::Kind::devices, QStringLiteral("DevicesView")},
        {Destination::Kind::syncLocations, QStringLiteral("SyncLocationsView")},
        {Destination::Kind::dashboard, QStringLiteral("DashboardView")}};
    for (const auto& [kind, name] : pages) {
        QAbstractButton* row = sidebar()->sectionButton(kind);
        ASSERT_TRUE(row);
        row->click();
        settle();
        EXPECT_EQ(shell->navigation().destination().kind, kind);
        EXPECT_EQ(pageName(), name);
    }
    // The Devices page is the real one, not a stand-in.
    sidebar()->sectionButton(Destination::Kind::devices)->click();
    EXPECT_EQ(qobject_cast<PlaceholderPage*>(shell->page()), nullptr);

    sidebar()->settingsButton()->click();
    EXPECT_EQ(opened, QStringList{QStringLiteral("settings")});
}

TEST_F(AppShellTest, CollapsingTheRailKeepsThePage)
{
    sidebar()->sectionButton(Destination::Kind::library)->click();
    EXPECT_EQ(sidebar()->width(), ShellSidebar::expandedWidth);
    sidebar()->collapseButton()->click();
    EXPECT_TRUE(shell->navigation().railCollapsed());
    EXPECT_TRUE(sidebar()->collapsed());
    EXPECT_EQ(pageName(), QStringLiteral("LibraryView"));
    // The collapsed rail still offers New Project.
    ASSERT_TRUE(sidebar()->newProjectButton());
    sidebar()->newProjectButton()->click();
    settle();
    EXPECT_EQ(ctx().fetchCount<Project>(), 1);
    EXPECT_TRUE(sidebar()->collapsed());
}

TEST_F(AppShellTest, NewProjectFromTheSidebarOpensItAndListsIt)
{
    sidebar()->newProjectButton()->click();
    settle();
    const QList<Project*> projects = ctx().fetch<Project>();
    ASSERT_EQ(projects.size(), 1);
    Project* project = projects.first();
    EXPECT_EQ(project->name(), QStringLiteral("New Project"));
    EXPECT_FALSE(ctx().hasChanges());
    EXPECT_EQ(shell->navigation().destination(), Destination::forProject(project));
    EXPECT_EQ(pageName(), QStringLiteral("ProjectWorkspaceView"));
    QAbstractButton* row = sidebar()->projectButton(project);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->text(), QStringLiteral("New Project"));

    // Clicking the dashboard and then the row opens it again.
    sidebar()->sectionButton(Destination::Kind::dashboard)->click();
    row->click();
    EXPECT_EQ(shell->navigation().destination(), Destination::forProject(project));
}

TEST_F(AppShellTest, DeletingAProjectAsksFirst)
{
    Project* amp = storedProject(QStringLiteral("Amp"));
    shell->navigation().openProject(amp);

    std::unique_ptr<QMenu> menu(sidebar()->projectMenu(amp));
    QAction* remove = menu->findChild<QAction*>(QStringLiteral("DeleteProjectAction"));
    ASSERT_TRUE(remove);
    remove->trigger();
    QMessageBox* question = shell->deleteQuestion();
    ASSERT_TRUE(question);
    EXPECT_EQ(question->text(), QStringLiteral("Delete \u201CAmp\u201D?"));

    // Cancel keeps everything.
    question->findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
    settle();
    EXPECT_FALSE(amp->isDeleted());
    EXPECT_EQ(shell->navigation().destination(), Destination::forProject(amp));

    // Delete removes it, returns to the dashboard and takes the row away.
    remove->trigger();
    question = shell->deleteQuestion();
    ASSERT_TRUE(question);
    question->findChild<QPushButton*>(QStringLiteral("DeleteButton"))->click();
    settle();
    EXPECT_TRUE(amp->isDeleted());
    EXPECT_FALSE(ctx().hasChanges());
    EXPECT_EQ(shell->navigation().destination(), Destination::dashboard());
    EXPECT_EQ(pageName(), QStringLiteral("DashboardView"));
    EXPECT_EQ(sidebar()->projectButton(amp), nullptr);
}

TEST_F(AppShellTest, EditAndRenameOpenTheSameSheet)
{
    Project* amp = storedProject(QStringLiteral("Amp"));
    std::unique_ptr<QMenu> menu(sidebar()->projectMenu(amp));
    const QList<QAction*> actions = menu->actions();
    ASSERT_GE(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Edit\u2026"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("Rename"));
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_EQ(actions[3]->text(), QStringLiteral("Delete"));

    actions[1]->trigger();
    ASSERT_TRUE(shell->editSheet());
    EXPECT_EQ(shell->navigation().editingProject(), amp);
    shell->editSheet()->reject();
    settle();
    EXPECT_EQ(shell->navigation().editingProject(), nullptr);
    actions[0]->trigger();
    EXPECT_EQ(shell->navigation().editingProject(), amp);
}

namespace {

void pressKey(QWidget* w, int key, const QString& text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

}  // namespace

TEST_F(AppShellTest, ProjectRowKeysAskBeforeDeletingAndRenameThroughTheSheet)
{
    Project* amp = storedProject(QStringLiteral("Amp"));
    shell->show();
    settle();
    QAbstractButton* row = sidebar()->projectButton(amp);
    ASSERT_TRUE(row);

    // Delete on the focused row asks; Esc on the question keeps the project.
    pressKey(row, Qt::Key_Delete);
    QMessageBox* question = shell->deleteQuestion();
    ASSERT_TRUE(question);
    EXPECT_EQ(question->text(), QStringLiteral("Delete \u201CAmp\u201D?"));
    pressKey(question, Qt::Key_Escape);
    settle();
    EXPECT_FALSE(amp->isDeleted());

    // A mouse user clicks the row, then presses Delete: the key reaches that row.
    Project* other = storedProject(QStringLiteral("Other"));
    QApplication::setActiveWindow(shell.get());
    QAbstractButton* otherRow = sidebar()->projectButton(other);
    ASSERT_TRUE(otherRow);
    // Through the window, as the window system delivers a click (a click sent to the widget
    // itself skips the focus handling).
    QWindow* window = shell->windowHandle();
    ASSERT_TRUE(window);
    const QPointF inside(otherRow->mapTo(shell.get(), otherRow->rect().center()));
    QMouseEvent press(QEvent::MouseButtonPress, inside, window->mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, window->mapToGlobal(inside), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window, &release);
    settle();
    ASSERT_TRUE(QApplication::focusWidget());
    EXPECT_EQ(QApplication::focusWidget(), sidebar()->projectButton(other));
    pressKey(QApplication::focusWidget(), Qt::Key_Delete);
    ASSERT_TRUE(shell->deleteQuestion());
    EXPECT_EQ(shell->deleteQuestion()->text(), QStringLiteral("Delete \u201COther\u201D?"));
    pressKey(shell->deleteQuestion(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(other->isDeleted());
    row = sidebar()->projectButton(amp);

    // F2 renames: a name of only blanks becomes no name, shown as "Untitled", however the
    // sheet is closed.
    pressKey(row, Qt::Key_F2);
    QDialog* sheet = shell->editSheet();
    ASSERT_TRUE(sheet);
    auto* name = sheet->findChild<QLineEdit*>(QStringLiteral("name"));
    ASSERT_TRUE(name);
    name->selectAll();
    for (QChar c : QStringLiteral("   "))
        pressKey(name, 0, QString(c));
    EXPECT_EQ(amp->name(), QStringLiteral("   "));
    pressKey(name, Qt::Key_Escape);
    settle();
    EXPECT_EQ(shell->editSheet(), nullptr);
    EXPECT_EQ(amp->name(), QString());
    row = sidebar()->projectButton(amp);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->accessibleName(), QStringLiteral("Untitled"));

    // A name with blanks around words stays exactly as typed.
    pressKey(row, Qt::Key_F2);
    ASSERT_TRUE(shell->editSheet());
    name = shell->editSheet()->findChild<QLineEdit*>(QStringLiteral("name"));
    for (QChar c : QStringLiteral(" R&D "))
        pressKey(name, 0, QString(c));
    shell->editSheet()->findChild<QPushButton*>(QStringLiteral("done"))->click();
    settle();
    EXPECT_EQ(amp->name(), QStringLiteral(" R&D "));
}

TEST_F(AppShellTest, AStoredNameOfOnlyBlanksShowsAsUntitled)
{
    // As a store written before blank names were cleared, or a restored backup, may hold.
    Project* blank = storedProject(QStringLiteral("  "));
    QAbstractButton* row = sidebar()->projectButton(blank);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->accessibleName(), QStringLiteral("Untitled"));
    QStringList dashboardNames;
    for (QAbstractButton* b : shell->page()->findChildren<QAbstractButton*>())
        dashboardNames << b->accessibleName();
    EXPECT_TRUE(dashboardNames.contains(QStringLiteral("Untitled Project"))) << dashboardNames.join(u'|').toStdString();
    std::unique_ptr<QMenu> menu(sidebar()->projectMenu(blank));
    menu->findChild<QAction*>(QStringLiteral("DeleteProjectAction"))->trigger();
    ASSERT_TRUE(shell->deleteQuestion());
    EXPECT_EQ(shell->deleteQuestion()->text(), QStringLiteral("Delete \u201CUntitled\u201D?"));
}

TEST_F(AppShellTest, ATooltipShowsANameThatLooksLikeMarkupAsWritten)
{
    // The tooltip label guesses the format the way QToolTip does; what it draws must be the name.
    auto shownTip = [](const QString& tip) {
        if (!Qt::mightBeRichText(tip))
            return tip;
        QTextDocument doc;
        doc.setHtml(tip);
        return doc.toPlainText();
    };
    const QString marked = QStringLiteral("<b>Amp</b> & <img src=\"/tmp/x.png\"> v2");
    Project* p = storedProject(marked);
    QAbstractButton* row = sidebar()->projectButton(p);
    ASSERT_TRUE(row);
    EXPECT_EQ(shownTip(row->toolTip()), marked);
    p->setName(QStringLiteral("<h1>Big</h1>"));
    ctx().save();
    settle();
    EXPECT_EQ(shownTip(sidebar()->projectButton(p)->toolTip()), QStringLiteral("<h1>Big</h1>"));
    // Plain names stay plain text.
    p->setName(QStringLiteral("R&D amp"));
    ctx().save();
    settle();
    EXPECT_EQ(sidebar()->projectButton(p)->toolTip(), QStringLiteral("R&D amp"));
}

TEST_F(AppShellTest, DropsOnProjectRowsRouteByPrefixAndFlash)
{
    Project* a = storedProject(QStringLiteral("A"));
    Project* b = storedProject(QStringLiteral("B"));
    Capture* capture = ctx().insert(new Capture(QStringLiteral("scope.png")));
    Component* part = ctx().insert(new Component(QStringLiteral("NE555")));
    Document* doc = ctx().insert(new Document(QStringLiteral("F00D.pdf"), QStringLiteral("Datasheet")));
    ASSERT_TRUE(ctx().save());
    settle();

    EXPECT_FALSE(sidebar()->handleDrop({}, a));  // nothing to drop: refused, no flash
    EXPECT_FALSE(sidebar()->flashID());

    sidebar()->setDropTarget(true, a);
    EXPECT_EQ(sidebar()->dropTargetID(), a->persistentModelID());
    EXPECT_TRUE(sidebar()->handleDrop({DragString::forCapture(*capture), QStringLiteral("F00D.pdf"),
                                       DragString::forComponent(*part), QStringLiteral("just some words")},
                                      a));
    settle();
    EXPECT_FALSE(sidebar()->dropTargetID());
    EXPECT_EQ(sidebar()->flashID(), a->persistentModelID());
    EXPECT_EQ(capture->project(), a);
    EXPECT_EQ(doc->attachments().size(), 1);
    ASSERT_TRUE(shell->navigation().pendingPart());
    EXPECT_EQ(shell->navigation().pendingPart()->component, part);
    ASSERT_TRUE(shell->addPartSheet());

    // A flash on B takes over; A's pending clean-up leaves B alone.
    sidebar()->handleDrop({QStringLiteral("corvallen-capture:not base64!")}, b);
    EXPECT_EQ(sidebar()->flashID(), b->persistentModelID());
    EXPECT_EQ(capture->project(), a);
    EXPECT_TRUE(b->captures().isEmpty());

    // Closing the add-part sheet without confirming changes nothing.
    shell->addPartSheet()->reject();
    settle();
    EXPECT_FALSE(shell->navigation().pendingPart());
    EXPECT_TRUE(a->parts().isEmpty());
}

TEST_F(AppShellTest, RealDragAndDropOnARow)
{
    Project* a = storedProject(QStringLiteral("A"));
    Capture* capture = ctx().insert(new Capture(QStringLiteral("c.png")));
    ctx().save();
    settle();
    shell->show();
    settle();
    QAbstractButton* row = sidebar()->projectButton(a);
    ASSERT_TRUE(row);
    QMimeData mime;
    mime.setText(DragString::forCapture(*capture));
    const QPointF at = QPointF(row->rect().center());
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(row, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(sidebar()->dropTargetID(), a->persistentModelID());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(row, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(capture->project(), a);
    // Items without text are not taken.
    QMimeData image;
    image.setImageData(QImage(4, 4, QImage::Format_RGB32));
    QDragEnterEvent imageEnter(at.toPoint(), Qt::CopyAction, &image, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(row, &imageEnter);
    EXPECT_FALSE(imageEnter.isAccepted());
}

TEST_F(AppShellTest, DashboardActionsNavigate)
{
    auto* dashboard = qobject_cast<DashboardView*>(shell->page());
    ASSERT_TRUE(dashboard);
    ASSERT_TRUE(dashboard->emptyState()->isVisibleTo(dashboard));
    dashboard->findChild<QPushButton*>(QStringLiteral("DashboardNewProject"))->click();
    settle();
    EXPECT_EQ(ctx().fetchCount<Project>(), 1);
    EXPECT_EQ(pageName(), QStringLiteral("ProjectWorkspaceView"));

    sidebar()->sectionButton(Destination::Kind::dashboard)->click();
    dashboard = qobject_cast<DashboardView*>(shell->page());
    dashboard->tile(2)->click();  // Low stock
    EXPECT_EQ(shell->navigation().destination(), Destination::inventory());
    EXPECT_EQ(shell->navigation().inventoryFilter(), InventoryStatusFilter::low);
    // The sidebar's Inventory shows it unfiltered.
    sidebar()->sectionButton(Destination::Kind::inventory)->click();
    EXPECT_EQ(shell->navigation().inventoryFilter(), InventoryStatusFilter::all);

    sidebar()->sectionButton(Destination::Kind::dashboard)->click();
    dashboard = qobject_cast<DashboardView*>(shell->page());
    dashboard->tile(1)->click();  // Captures
    EXPECT_EQ(pageName(), QStringLiteral("LibraryView"));
    sidebar()->sectionButton(Destination::Kind::dashboard)->click();
    dashboard = qobject_cast<DashboardView*>(shell->page());
    dashboard->tile(0)->click();  // Projects: not a button
    EXPECT_EQ(pageName(), QStringLiteral("DashboardView"));
}

TEST_F(AppShellTest, WelcomeOpensOnFirstShowOnly)
{
    SettingsStore::shared().remove(QStringLiteral("lastWelcomeVersion"));
    shell->show();
    settle();
    EXPECT_EQ(opened.count(QStringLiteral("welcome")), 1);
    EXPECT_FALSE(SettingsStore::shared().textValue(QStringLiteral("lastWelcomeVersion")).isEmpty());
    // A new main window content (another window, or after a wake) doesn't open it again.
    AppShell second(ctx(), *model, router.get());
    second.show();
    settle();
    EXPECT_EQ(opened.count(QStringLiteral("welcome")), 1);
}

TEST_F(AppShellTest, AProjectDeletedElsewhereLeavesThePage)
{
    Project* amp = storedProject(QStringLiteral("Amp"));
    shell->navigation().openProject(amp);
    ctx().deleteObject(amp);
    ctx().save();
    settle();
    EXPECT_EQ(shell->navigation().destination(), Destination::dashboard());
    EXPECT_EQ(sidebar()->projectButton(amp), nullptr);
}

TEST_F(AppShellTest, ProjectRowsSurviveChangesToTheProjects)
{
    Project* a = storedProject(QStringLiteral("Amp"));
    Project* b = storedProject(QStringLiteral("Bench"));
    shell->show();
    settle();
    QAbstractButton* rowA = sidebar()->projectButton(a);
    QAbstractButton* rowB = sidebar()->projectButton(b);
    ASSERT_TRUE(rowA && rowB);
    QApplication::setActiveWindow(shell.get());
    rowA->setFocus();
    sidebar()->setDropTarget(true, a);  // a drag hovers over A

    // Renaming one project, adding another: the rows stay the same widgets, the focus and the
    // drag highlight stay where they were, and the renamed row shows the new name.
    b->setName(QStringLiteral("Bench supply"));
    Project* c = storedProject(QStringLiteral("Clock"));
    ctx().save();
    settle();
    EXPECT_EQ(sidebar()->projectButton(a), rowA);
    EXPECT_EQ(sidebar()->projectButton(b), rowB);
    EXPECT_EQ(rowB->text(), QStringLiteral("Bench supply"));
    ASSERT_TRUE(sidebar()->projectButton(c));
    EXPECT_TRUE(rowA->hasFocus());
    EXPECT_EQ(sidebar()->dropTargetID(), a->persistentModelID());
    EXPECT_GT(sidebar()->rowBackground(a).alphaF(), 0.2);

    // A deleted project's row goes; the others stay.
    ctx().deleteObject(b);
    ctx().save();
    settle();
    EXPECT_EQ(sidebar()->projectButton(b), nullptr);
    EXPECT_EQ(sidebar()->projectButton(a), rowA);
}

TEST_F(AppShellTest, AFlashFadesOutInsteadOfBlinkingOff)
{
    Project* a = storedProject(QStringLiteral("Amp"));
    settle();
    ASSERT_TRUE(sidebar()->handleDrop({QStringLiteral("nothing")}, a));
    const qreal flashing = sidebar()->rowBackground(a).alphaF();
    EXPECT_NEAR(flashing, 0.45, 0.01);
    // After the flash (0.5 s) the fill goes down through the values between, not off at once,
    // and comes to rest at none (the project is not the page shown).
    QList<qreal> seen;
    ASSERT_TRUE(corvallen::test::waitUntil(
        [&] {
            seen << sidebar()->rowBackground(a).alphaF();
            return !sidebar()->flashID() && sidebar()->rowBackground(a).alpha() == 0;
        },
        3000));
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](qreal alpha) { return alpha > 0.02 && alpha < 0.43; }));
}
