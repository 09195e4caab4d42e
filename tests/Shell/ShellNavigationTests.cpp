#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/DragString.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Shell/ShellNavigation.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

class ShellNavigationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        storePath = corvallen::test::freshFolder(QStringLiteral("store")) + QStringLiteral("/Corvallen.store");
        container = ModelContainer::open(storePath, corvallenSchema());
        ASSERT_TRUE(container);
        nav = std::make_unique<ShellNavigation>(ctx());
    }
    ModelContext& ctx() { return container->mainContext(); }
    Project* project(const QString& name)
    {
        Project* p = ctx().insert(new Project(name, QString(), QString()));
        ctx().save();
        return p;
    }
    static QString documentsFolder() { return AppPaths::dataFolder() + QStringLiteral("/documents"); }
    static QString touchMarkup(const QString& markupName)
    {
        QDir().mkpath(documentsFolder());
        const QString path = documentsFolder() + QLatin1Char('/') + markupName + QStringLiteral(".markup.pdf");
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("%PDF-1.4\n");
        return path;
    }

    QString storePath;
    std::unique_ptr<ModelContainer> container;
    std::unique_ptr<ShellNavigation> nav;
};

}  // namespace

TEST_F(ShellNavigationTest, StartsOnTheDashboardAndEveryProjectOpeningRebuildsThePage)
{
    EXPECT_EQ(nav->destination(), Destination::dashboard());
    EXPECT_FALSE(nav->railCollapsed());
    EXPECT_EQ(nav->projectNav(), 0);
    Project* amp = project(QStringLiteral("Amp"));
    int rebuilt = 0;
    QObject::connect(nav.get(), &ShellNavigation::pageIdentityChanged, [&] { ++rebuilt; });
    nav->openProject(amp);
    nav->openProject(amp);
    EXPECT_EQ(nav->destination(), Destination::forProject(amp));
    EXPECT_EQ(nav->projectNav(), 2);
    EXPECT_EQ(rebuilt, 2);
    EXPECT_EQ(nav->workspaceID().project, amp->persistentModelID());

    // Collapsing the rail doesn't change the page, and choosing a page doesn't touch the rail.
    nav->setRailCollapsed(true);
    EXPECT_EQ(rebuilt, 2);
    nav->selectSection(Destination::library());
    EXPECT_TRUE(nav->railCollapsed());
}

TEST_F(ShellNavigationTest, InventoryFilterAndSelection)
{
    Component* part = ctx().insert(new Component(QStringLiteral("NE555")));
    ctx().save();
    nav->showInventory(InventoryStatusFilter::low);
    EXPECT_EQ(nav->destination(), Destination::inventory());
    EXPECT_EQ(nav->inventoryFilter(), InventoryStatusFilter::low);

    // The sidebar's Inventory shows it unfiltered, and rebuilds it.
    int rebuilt = 0;
    QObject::connect(nav.get(), &ShellNavigation::pageIdentityChanged, [&] { ++rebuilt; });
    nav->selectSection(Destination::inventory());
    EXPECT_EQ(nav->inventoryDeepLink(), InventoryDeepLink{});
    EXPECT_EQ(rebuilt, 1);

    // Revealing selects the part with filter all; a stock tile afterwards keeps the selection.
    nav->showInventory(InventoryStatusFilter::out);
    nav->revealInInventory(part);
    EXPECT_EQ(nav->inventoryFilter(), InventoryStatusFilter::all);
    EXPECT_EQ(nav->inventorySelection(), part->persistentModelID());
    nav->showInventory(InventoryStatusFilter::low);
    EXPECT_EQ(nav->inventorySelection(), part->persistentModelID());
    // The same filter again is the same page.
    const int before = rebuilt;
    nav->showInventory(InventoryStatusFilter::low);
    EXPECT_EQ(rebuilt, before);
}

TEST_F(ShellNavigationTest, NewProjectTwiceMakesTwoAndOpensTheSecond)
{
    Project* first = nav->newProject();
    Project* second = nav->newProject();
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->name(), QStringLiteral("New Project"));
    EXPECT_EQ(second->name(), QStringLiteral("New Project"));
    EXPECT_EQ(second->details(), QString());
    EXPECT_EQ(nav->destination(), Destination::forProject(second));
    EXPECT_FALSE(ctx().hasChanges());
}

TEST_F(ShellNavigationTest, DeletingTheShownProjectReturnsToTheDashboardAndRemovesItsMarkups)
{
    Project* amp = project(QStringLiteral("Amp"));
    Project* psu = project(QStringLiteral("PSU"));
    Document* doc = ctx().insert(new Document(QStringLiteral("F.pdf"), QStringLiteral("Datasheet")));
    ProjectDocument* ampLink = ctx().insert(new ProjectDocument(doc, amp));
    ProjectDocument* psuLink = ctx().insert(new ProjectDocument(doc, psu));
    Capture* capture = ctx().insert(new Capture(QStringLiteral("c.png")));
    capture->setProject(amp);
    Component* part = ctx().insert(new Component(QStringLiteral("LM317")));
    part->setQty(5);
    ctx().insert(new ProjectComponent(part, amp, 2));
    ASSERT_TRUE(ctx().save());
    ASSERT_FALSE(ampLink->markupFileName().isEmpty());
    const QString ampMarkup = touchMarkup(ampLink->markupFileName());
    const QString psuMarkup = touchMarkup(psuLink->markupFileName());

    nav->openProject(amp);
    nav->editProject(amp);
    nav->deleteProject(amp);
    EXPECT_EQ(nav->destination(), Destination::dashboard());
    EXPECT_EQ(nav->editingProject(), nullptr);
    EXPECT_TRUE(amp->isDeleted());
    EXPECT_FALSE(ctx().hasChanges());
    EXPECT_FALSE(QFile::exists(ampMarkup));
    EXPECT_TRUE(QFile::exists(psuMarkup));  // another project's markup stays
    EXPECT_FALSE(doc->isDeleted());
    EXPECT_EQ(capture->project(), nullptr);
    EXPECT_FALSE(capture->isDeleted());
    EXPECT_EQ(part->qty(), 5);

    // Deleting a project that isn't shown leaves the page alone.
    nav->showLibrary();
    nav->deleteProject(psu);
    EXPECT_EQ(nav->destination(), Destination::library());
    // A second delete of the same project is harmless.
    nav->deleteProject(psu);
}

TEST_F(ShellNavigationTest, PartDropsAskForAQuantityAndChangeNothing)
{
    Project* amp = project(QStringLiteral("Amp"));
    Component* a = ctx().insert(new Component(QStringLiteral("A")));
    Component* b = ctx().insert(new Component(QStringLiteral("B")));
    Capture* capture = ctx().insert(new Capture(QStringLiteral("c.png")));
    ASSERT_TRUE(ctx().save());

    nav->handlePartDrop(DragString::forComponent(*a), amp);
    ASSERT_TRUE(nav->pendingPart());
    const QUuid firstId = nav->pendingPart()->id;
    nav->handlePartDrop(DragString::forComponent(*b), amp);
    ASSERT_TRUE(nav->pendingPart());
    EXPECT_EQ(nav->pendingPart()->component, b);  // only the last request remains
    EXPECT_EQ(nav->pendingPart()->project, amp);
    EXPECT_NE(nav->pendingPart()->id, firstId);
    EXPECT_TRUE(amp->parts().isEmpty());
    EXPECT_FALSE(ctx().hasChanges());

    nav->closeAddPartSheet();
    // A capture's identifier under the part prefix is the wrong kind: nothing happens.
    const QString wrongKind = DragString::encode(DragString::partPrefix(), capture->persistentModelID());
    nav->handlePartDrop(wrongKind, amp);
    EXPECT_FALSE(nav->pendingPart());
}

TEST_F(ShellNavigationTest, CaptureDropsMoveTheCaptureAndIgnoreWhatIsGone)
{
    Project* a = project(QStringLiteral("A"));
    Project* b = project(QStringLiteral("B"));
    Capture* capture = ctx().insert(new Capture(QStringLiteral("c.png")));
    capture->setProject(a);
    ASSERT_TRUE(ctx().save());
    const QString text = DragString::forCapture(*capture);

    nav->handleCaptureDrop(text, b);
    EXPECT_EQ(capture->project(), b);
    EXPECT_FALSE(a->captures().contains(capture));
    EXPECT_FALSE(ctx().hasChanges());

    // A capture deleted since the drag began, or a broken string: nothing happens, no crash.
    ctx().deleteObject(capture);
    ASSERT_TRUE(ctx().save());
    nav->handleCaptureDrop(text, a);
    nav->handleCaptureDrop(QStringLiteral("corvallen-capture:%%%"), a);
    nav->handleCaptureDrop(QStringLiteral("corvallen-capture:"), a);
    EXPECT_TRUE(a->captures().isEmpty());
    EXPECT_FALSE(ctx().hasChanges());

    // A part deleted since the drag began opens no sheet.
    Component* part = ctx().insert(new Component(QStringLiteral("X")));
    ASSERT_TRUE(ctx().save());
    const QString partText = DragString::forComponent(*part);
    ctx().deleteObject(part);
    nav->handlePartDrop(partText, a);
    EXPECT_FALSE(nav->pendingPart());
}

TEST_F(ShellNavigationTest, DocumentDropsAttachOnceByExactFileName)
{
    Project* amp = project(QStringLiteral("Amp"));
    Document* doc = ctx().insert(new Document(QStringLiteral("ABC.pdf"), QStringLiteral("Manual")));
    ASSERT_TRUE(ctx().save());

    nav->handleFileDrop(QStringLiteral("ABC.pdf"), amp);
    nav->handleFileDrop(QStringLiteral("ABC.pdf"), amp);
    EXPECT_EQ(doc->attachments().size(), 1);
    EXPECT_EQ(amp->attachments().size(), 1);
    EXPECT_FALSE(ctx().hasChanges());

    nav->handleFileDrop(QStringLiteral("abc.pdf"), amp);
    nav->handleFileDrop(QStringLiteral("a word from another app"), amp);
    EXPECT_EQ(amp->attachments().size(), 1);
}

TEST_F(ShellNavigationTest, ReferencesDeletedElsewhereAreDropped)
{
    Project* amp = project(QStringLiteral("Amp"));
    nav->openProject(amp);
    nav->editProject(amp);
    ctx().deleteObject(amp);
    nav->dropDeletedReferences();
    EXPECT_EQ(nav->destination(), Destination::dashboard());
    EXPECT_EQ(nav->editingProject(), nullptr);
    // Drops on a deleted project change nothing.
    Capture* capture = ctx().insert(new Capture(QStringLiteral("c.png")));
    nav->handleCaptureDrop(DragString::forCapture(*capture), amp);
    EXPECT_EQ(capture->project(), nullptr);
}
