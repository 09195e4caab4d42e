// The Library page as the main window makes it: the documents browser keeps what the user set
// up in it while only the scope changes, and starts afresh when the mode changes.
#include "Corvallen/Documents/Views/DocumentBrowser.h"
#include "Corvallen/Library/LibraryFilter.h"
#include "Corvallen/Library/Views/LibraryView.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Shell/Views/ShellPages.h"
#include "Corvallen/Sync/AppModel.h"
#include "support/EventLoop.h"
#include "support/TestStore.h"

#include <QStackedWidget>
#include <gtest/gtest.h>

using namespace LibraryFilter;
using DocSort = DocumentBrowserModel::DocSort;

TEST(LibraryPage, TheDocumentsBrowserKeepsItsStateAcrossScopesAndStartsAfreshAcrossModes)
{
    auto container = corvallen::test::openTestStore();
    ASSERT_TRUE(container);
    ModelContext& ctx = container->mainContext();
    auto* first = ctx.insert(new Document(QStringLiteral("a.pdf"), QStringLiteral("Amp schematic")));
    ctx.insert(new Document(QStringLiteral("b.pdf"), QStringLiteral("Board manual")));
    ASSERT_TRUE(ctx.save());
    AppModel model(ctx);
    std::unique_ptr<QWidget> page(ShellPages::libraryPage(ctx, model));
    auto* library = qobject_cast<LibraryView*>(page.get());
    ASSERT_TRUE(library);
    library->setMode(Mode::documents);
    corvallen::test::processEvents();
    // The browser on show (one being replaced may linger until the event loop deletes it).
    auto* holder = page->findChild<QStackedWidget*>(QStringLiteral("LibraryDocuments"));
    ASSERT_TRUE(holder);
    const auto browser = [&] { return qobject_cast<DocumentBrowser*>(holder->currentWidget()); };
    ASSERT_TRUE(browser());
    DocumentBrowser* before = browser();
    before->model().selectedIDs = {first->persistentModelID()};
    before->model().sort = DocSort::title;
    before->model().typeFilter = DocType::other;
    before->reload();

    library->setScope(Scope::unfiled);
    corvallen::test::processEvents();
    ASSERT_EQ(browser(), before);
    EXPECT_EQ(before->model().selectedIDs.size(), 1);
    EXPECT_EQ(before->model().sort, DocSort::title);
    EXPECT_EQ(before->model().typeFilter, DocType::other);

    library->setMode(Mode::captures);
    library->setMode(Mode::documents);
    corvallen::test::processEvents();
    ASSERT_TRUE(browser());
    EXPECT_TRUE(browser()->model().selectedIDs.isEmpty());
    EXPECT_EQ(browser()->model().sort, DocSort::recent);
    EXPECT_FALSE(browser()->model().typeFilter);
    library->setMode(Mode::captures);  // the stored mode back to its default
}
