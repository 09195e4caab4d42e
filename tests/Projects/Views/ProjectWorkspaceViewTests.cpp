// The project pane as the user drives it: facets, the overview tiles, rename, notes.
#include "Corvallen/Documents/Views/DocumentBrowser.h"
#include "Corvallen/Library/Views/CaptureBrowser.h"
#include "Corvallen/Library/Views/CompareView.h"  // CaptureBrowser.h holds its sheet through a QPointer
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Projects/StockAllocation.h"
#include "Corvallen/Projects/Views/ProjectOverviewView.h"
#include "Corvallen/Projects/Views/ProjectPartsView.h"
#include "Corvallen/Projects/Views/ProjectWorkspaceView.h"
#include "Corvallen/Widgets/Views/StatTile.h"
#include "support/EventLoop.h"
#include "support/TestStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTextCursor>
#include "ViewInput.h"

#include <gtest/gtest.h>

using namespace corvallen::test;

namespace {

class WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = openTestStore(&path);
        ASSERT_TRUE(store);
        project = ctx().insert(new Project(QStringLiteral("Amp build"), QString(), QString()));
        ASSERT_TRUE(ctx().save());
    }
    ModelContext& ctx() { return store->mainContext(); }
    std::unique_ptr<ProjectWorkspaceView> makeView()
    {
        auto v = std::make_unique<ProjectWorkspaceView>(project, ctx(), [this](Component* c) { revealed = c; });
        v->resize(900, 600);
        v->show();
        processEvents();
        return v;
    }
    ProjectOverviewView* overviewOf(ProjectWorkspaceView& v)
    {
        auto* scroll = qobject_cast<QScrollArea*>(v.facetContent());
        return scroll ? qobject_cast<ProjectOverviewView*>(scroll->widget()) : nullptr;
    }
    QString path;
    std::unique_ptr<ModelContainer> store;
    Project* project = nullptr;
    Component* revealed = nullptr;
};

TEST_F(WorkspaceTest, StartsOnTheOverviewAndSwitchesFacets)
{
    auto v = makeView();
    EXPECT_EQ(v->facet(), ProjectFacet::overview);
    EXPECT_TRUE(v->facetButton(ProjectFacet::overview)->isChecked());
    ASSERT_TRUE(overviewOf(*v));

    v->facetButton(ProjectFacet::parts)->click();
    EXPECT_EQ(v->facet(), ProjectFacet::parts);
    EXPECT_TRUE(qobject_cast<ProjectPartsView*>(v->facetContent()));

    v->facetButton(ProjectFacet::notes)->click();
    auto* notes = qobject_cast<QPlainTextEdit*>(v->facetContent());
    ASSERT_TRUE(notes);

    v->facetButton(ProjectFacet::captures)->click();
    auto* captures = qobject_cast<CaptureBrowser*>(v->facetContent());
    ASSERT_TRUE(captures);
    EXPECT_TRUE(captures->isShowingEmptyState());

    v->facetButton(ProjectFacet::files)->click();
    auto* files = qobject_cast<DocumentBrowser*>(v->facetContent());
    ASSERT_TRUE(files);
    EXPECT_EQ(files->model().fileTo(), project);
    EXPECT_EQ(files->list()->count(), 0);

    // A pane built anew starts on the overview again.
    v.reset();
    auto again = makeView();
    EXPECT_EQ(again->facet(), ProjectFacet::overview);
    EXPECT_FALSE(again->isRenaming());
}

TEST_F(WorkspaceTest, OverviewTilesCountAndOpenTheirFacet)
{
    Component* c = ctx().insert(new Component(QStringLiteral("10k")));
    StockAllocation::setPart(c, project, 25, ctx());
    auto* cap = new Capture;
    cap->setFileName(QStringLiteral("a.png"));
    cap = ctx().insert(cap);
    cap->setProject(project);
    ASSERT_TRUE(ctx().save());

    auto v = makeView();
    ProjectOverviewView* overview = overviewOf(*v);
    ASSERT_TRUE(overview);
    EXPECT_FALSE(overview->showsDescription());
    EXPECT_EQ(overview->tile(QStringLiteral("Parts"))->value(), QStringLiteral("1"));
    EXPECT_EQ(overview->tile(QStringLiteral("Captures"))->value(), QStringLiteral("1"));
    EXPECT_EQ(overview->tile(QStringLiteral("Files"))->value(), QStringLiteral("0"));
    EXPECT_EQ(overview->tile(QStringLiteral("Files"))->toolTip(), QStringLiteral("View Files"));

    // A change made elsewhere shows at once.
    project->setDetails(QStringLiteral("A long description"));
    processEvents();
    EXPECT_TRUE(overview->showsDescription());
    EXPECT_FALSE(v->descriptionLabel()->isHidden());

    overview->tile(QStringLiteral("Files"))->click();
    processEvents();
    EXPECT_EQ(v->facet(), ProjectFacet::files);
    EXPECT_TRUE(v->facetButton(ProjectFacet::files)->isChecked());
}

TEST_F(WorkspaceTest, RenameKeepsExactlyWhatWasTypedAndSaves)
{
    auto v = makeView();
    EXPECT_EQ(v->nameLabel()->text(), QStringLiteral("Amp build"));
    v->beginRename();
    processEvents();
    EXPECT_TRUE(v->isRenaming());
    EXPECT_TRUE(v->nameField()->isVisible());
    v->nameField()->selectAll();
    projects_test::keyClicks(v->nameField(), QStringLiteral("  Amp v2 "));
    EXPECT_EQ(project->name(), QStringLiteral("  Amp v2 "));
    projects_test::keyClick(v->nameField(), Qt::Key_Escape);
    EXPECT_FALSE(v->isRenaming());
    EXPECT_EQ(project->name(), QStringLiteral("  Amp v2 "));
    EXPECT_FALSE(ctx().hasChanges());

    // An empty name is kept and shown as "Untitled Project".
    v->beginRename();
    processEvents();
    v->nameField()->selectAll();
    projects_test::keyClick(v->nameField(), Qt::Key_Backspace);
    EXPECT_EQ(v->nameField()->placeholderText(), QStringLiteral("Project name"));
    projects_test::keyClick(v->nameField(), Qt::Key_Return, QStringLiteral("\r"));
    processEvents();
    EXPECT_FALSE(v->isRenaming());
    EXPECT_EQ(project->name(), QString());
    EXPECT_EQ(v->nameLabel()->text(), QStringLiteral("Untitled Project"));

    // A name of only blanks is no name: the header shows "Untitled Project", not an empty row.
    v->beginRename();
    processEvents();
    projects_test::keyClicks(v->nameField(), QStringLiteral("   "));
    projects_test::keyClick(v->nameField(), Qt::Key_Return, QStringLiteral("\r"));
    processEvents();
    EXPECT_EQ(project->name(), QString());
    EXPECT_EQ(v->nameLabel()->text(), QStringLiteral("Untitled Project"));
    EXPECT_FALSE(ctx().hasChanges());

    // A click elsewhere in the pane ends a rename.
    v->beginRename();
    processEvents();
    projects_test::keyClicks(v->nameField(), QStringLiteral("X"));
    QWidget* divider = v->findChild<QWidget*>(QStringLiteral("headerDivider"));
    ASSERT_TRUE(divider);
    projects_test::mouseClick(divider);
    processEvents();
    EXPECT_FALSE(v->isRenaming());
    EXPECT_EQ(project->name(), QStringLiteral("X"));
    EXPECT_FALSE(ctx().hasChanges());
}

TEST_F(WorkspaceTest, CapturesFacetListsTheNewestImportFirstAndFollowsFiling)
{
    const QDateTime base(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
    auto capture = [&](const QString& file, int day) {
        auto* c = new Capture;
        c->setFileName(file);
        c->setImportedAt(base.addDays(day));
        return ctx().insert(c);
    };
    Capture* older = capture(QStringLiteral("a.png"), 0);
    Capture* newer = capture(QStringLiteral("b.png"), 2);
    older->setProject(project);
    newer->setProject(project);
    ASSERT_TRUE(ctx().save());
    auto v = makeView();
    v->setFacet(ProjectFacet::captures);
    auto* browser = qobject_cast<CaptureBrowser*>(v->facetContent());
    ASSERT_TRUE(browser);
    EXPECT_EQ(browser->captures(), (QList<Capture*>{newer, older}));
    Capture* newest = capture(QStringLiteral("c.png"), 5);
    newest->setProject(project);
    processEvents();
    EXPECT_EQ(browser->captures(), (QList<Capture*>{newest, newer, older}));
}

TEST_F(WorkspaceTest, FilesFacetHandsTheBrowserTheProjectsDocumentsByLibraryDate)
{
    const QDateTime base(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
    auto attach = [&](const QString& file, int day) {
        auto* d = new Document;
        d->setFileName(file);
        d->setTitle(file);
        d->setAddedAt(base.addDays(day));
        d = ctx().insert(d);
        auto* link = ctx().insert(new ProjectDocument);
        link->setDocument(d);
        link->setProject(project);
        return d;
    };
    Document* newer = attach(QStringLiteral("newer.pdf"), 3);
    Document* older = attach(QStringLiteral("older.pdf"), 1);
    ASSERT_TRUE(ctx().save());
    auto v = makeView();
    v->setFacet(ProjectFacet::files);
    auto* browser = qobject_cast<DocumentBrowser*>(v->facetContent());
    ASSERT_TRUE(browser);
    EXPECT_EQ(browser->model().documents, (QList<Document*>{newer, older}));
}

TEST_F(WorkspaceTest, NotesSaveOnEveryChange)
{
    auto v = makeView();
    v->setFacet(ProjectFacet::notes);
    auto* notes = qobject_cast<QPlainTextEdit*>(v->facetContent());
    ASSERT_TRUE(notes);
    notes->setFocus();
    projects_test::keyClicks(notes, QStringLiteral("Check C12"));
    EXPECT_EQ(project->notes(), QStringLiteral("Check C12"));
    EXPECT_FALSE(ctx().hasChanges());

    // Notes changed elsewhere while the facet is open show here, and typing goes on from them.
    project->setNotes(QStringLiteral("Check C12 and R4"));
    ctx().flushNotifications();
    processEvents();
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("Check C12 and R4"));
    notes->moveCursor(QTextCursor::End);
    projects_test::keyClicks(notes, QStringLiteral("!"));
    EXPECT_EQ(project->notes(), QStringLiteral("Check C12 and R4!"));

    v->setFacet(ProjectFacet::overview);
    v.reset();
    store.reset();
    store = reopenTestStore(path);
    ASSERT_TRUE(store);
    const auto projects = ctx().fetch<Project>();
    ASSERT_EQ(projects.size(), 1);
    EXPECT_EQ(projects.first()->notes(), QStringLiteral("Check C12 and R4!"));
}

}  // namespace
