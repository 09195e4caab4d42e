#include "Corvallen/Documents/Views/DocumentBrowser.h"
#include "Corvallen/Documents/Views/DocumentInspectorView.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Store/ModelContext.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"
#include "support/TestStore.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>

#include <gtest/gtest.h>

namespace {

class DocumentBrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        container = corvallen::test::openTestStore();
        ctx = &container->mainContext();
    }
    QString source(const QString& name)
    {
        const QString path = QDir(corvallen::test::freshFolder(QStringLiteral("in"))).filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("not really a pdf");
        return path;
    }
    std::unique_ptr<ModelContainer> container;
    ModelContext* ctx = nullptr;
};

TEST_F(DocumentBrowserTest, LibraryScopeListsImportsAndSwitchesInspectorPanes)
{
    DocumentBrowser browser(*ctx, nullptr, [this] { return ctx->fetch<Document>(); }, QStringLiteral("No documents"),
                            QStringLiteral("Add schematics."));
    browser.resize(1000, 600);
    browser.show();
    EXPECT_EQ(browser.countLabel()->text(), QStringLiteral("0 documents"));
    auto* empty = browser.findChild<QStackedWidget*>(QStringLiteral("documentListStack"))->currentWidget();
    ASSERT_TRUE(qobject_cast<QLabel*>(empty));
    EXPECT_TRUE(qobject_cast<QLabel*>(empty)->text().contains(QStringLiteral("No documents")));

    bool imported = false;
    QObject::connect(&browser, &DocumentBrowser::importFinished, [&] { imported = true; });
    browser.importFiles({source(QStringLiteral("Amp schematic.pdf")), source(QStringLiteral("TL072 datasheet.pdf"))});
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return imported; }));
    QApplication::processEvents();
    EXPECT_EQ(browser.countLabel()->text(), QStringLiteral("2 documents"));
    EXPECT_EQ(browser.list()->count(), 2);
    // The last import is selected and shown in the inspector.
    EXPECT_EQ(browser.model().selectedIDs.size(), 1);
    EXPECT_TRUE(qobject_cast<DocumentInspectorView*>(browser.inspectorPane()));

    browser.list()->selectAll();
    QApplication::processEvents();
    EXPECT_TRUE(qobject_cast<DocumentBulkPanelView*>(browser.inspectorPane()));
    browser.list()->clearSelection();
    QApplication::processEvents();
    EXPECT_EQ(browser.inspectorPane()->objectName(), QStringLiteral("noSelection"));

    // Dragging a row carries the stored file name.
    EXPECT_EQ(browser.list()->item(0)->data(Qt::UserRole).toString().size(), 40);  // UUID + ".pdf"
}

// A click on a row as the mouse gives it, with the keys held.
void clickRow(QListWidget* list, int row, Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    const QPointF at = list->visualItemRect(list->item(row)).center();
    const QPointF global = list->viewport()->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, keys);
    QApplication::sendEvent(list->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, keys);
    QApplication::sendEvent(list->viewport(), &release);
    QApplication::processEvents();
}

TEST_F(DocumentBrowserTest, AWidePhotosPreviewKeepsTheInspectorInsideItsColumn)
{
    DocumentBrowser browser(*ctx, nullptr, [this] { return ctx->fetch<Document>(); }, QStringLiteral("No documents"),
                            QStringLiteral("Add schematics."));
    browser.resize(1000, 600);
    browser.show();
    const QString photo = QDir(corvallen::test::freshFolder(QStringLiteral("in"))).filePath(QStringLiteral("bench.png"));
    QImage wide(1600, 900, QImage::Format_RGB32);
    wide.fill(Qt::darkCyan);
    ASSERT_TRUE(wide.save(photo));
    bool imported = false;
    QObject::connect(&browser, &DocumentBrowser::importFinished, [&] { imported = true; });
    browser.importFiles({photo});
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return imported; }));
    // The picture is drawn off the main thread; the inspector shows it once it is in.
    QPushButton* preview = nullptr;
    ASSERT_TRUE(corvallen::test::waitUntil([&] {
        for (QPushButton* b : browser.inspectorPane()->findChildren<QPushButton*>())
            if (b->iconSize().width() > 100)
                preview = b;
        return preview != nullptr;
    }));
    QApplication::processEvents();
    // The inspector's column is about 300 wide: its content (20 px margins each side and a scroll
    // bar) must not need more, or the fields are cut and the pane scrolls sideways.
    auto* scroll = browser.inspectorPane()->findChild<QScrollArea*>();
    ASSERT_TRUE(scroll);
    EXPECT_LE(scroll->widget()->minimumSizeHint().width(), 280) << preview->iconSize().width();
}

TEST_F(DocumentBrowserTest, ASelectedRowKeepsItsPicture)
{
    ctx->insert(new Document(QStringLiteral("a.pdf"), QStringLiteral("a")));
    ASSERT_TRUE(ctx->save());
    DocumentBrowser browser(*ctx, nullptr, [this] { return ctx->fetch<Document>(); }, QStringLiteral("No documents"), QString());
    browser.show();
    QApplication::processEvents();
    ASSERT_EQ(browser.list()->count(), 1);
    const QIcon icon = browser.list()->item(0)->icon();
    const QSize size = browser.list()->iconSize();
    EXPECT_EQ(icon.pixmap(size, QIcon::Selected).toImage(), icon.pixmap(size, QIcon::Normal).toImage());
}

TEST_F(DocumentBrowserTest, ClicksWithShiftAndCtrlBuildTheSelection)
{
    for (const QString& name : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")})
        ctx->insert(new Document(name + QStringLiteral(".pdf"), name));
    ASSERT_TRUE(ctx->save());
    DocumentBrowser browser(*ctx, nullptr, [this] { return ctx->fetch<Document>(); }, QStringLiteral("No documents"), QString());
    browser.resize(1000, 600);
    browser.show();
    // The store's notice of the new records reloads the list once; the clicks come after it.
    QApplication::processEvents();
    QApplication::processEvents();
    QListWidget* list = browser.list();
    ASSERT_EQ(list->count(), 4);
    const auto selectedRows = [&] {
        QStringList names;
        for (const Document* d : browser.model().selectedDocuments())
            names << d->fileName();
        QList<int> rows;
        for (int i = 0; i < list->count(); ++i)
            if (names.contains(list->item(i)->data(Qt::UserRole).toString()))
                rows << i;
        return rows;
    };

    clickRow(list, 0);
    EXPECT_EQ(selectedRows(), QList<int>{0});
    EXPECT_TRUE(qobject_cast<DocumentInspectorView*>(browser.inspectorPane()));
    clickRow(list, 2, Qt::ShiftModifier);
    EXPECT_EQ(selectedRows(), (QList<int>{0, 1, 2}));
    EXPECT_TRUE(qobject_cast<DocumentBulkPanelView*>(browser.inspectorPane()));
    clickRow(list, 1, Qt::ControlModifier);
    EXPECT_EQ(selectedRows(), (QList<int>{0, 2}));
    clickRow(list, 3);
    EXPECT_EQ(selectedRows(), QList<int>{3});

    // A store change in between (here another record saved) rebuilds the list; the row last
    // clicked stays the anchor of the next Shift-click.
    clickRow(list, 0);
    ctx->insert(new Project(QStringLiteral("Elsewhere"), {}, {}));
    ASSERT_TRUE(ctx->save());
    QApplication::processEvents();
    QApplication::processEvents();
    ASSERT_EQ(list->count(), 4);
    clickRow(list, 2, Qt::ShiftModifier);
    EXPECT_EQ(selectedRows(), (QList<int>{0, 1, 2}));
}

TEST_F(DocumentBrowserTest, FilterWithoutMatchesSaysSo)
{
    auto* d = ctx->insert(new Document(QStringLiteral("x.pdf"), QStringLiteral("X")));
    d->setType(DocType::datasheet);
    DocumentBrowser browser(*ctx, nullptr, [d] { return QList<Document*>{d}; }, QStringLiteral("No documents"), QString());
    browser.model().typeFilter = DocType::pinout;
    browser.reload();
    auto* empty = qobject_cast<QLabel*>(browser.findChild<QStackedWidget*>(QStringLiteral("documentListStack"))->currentWidget());
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->text().contains(QStringLiteral("Nothing matches")));
    EXPECT_EQ(browser.countLabel()->text(), QStringLiteral("0 of 1"));
}

TEST_F(DocumentBrowserTest, EditingInTheInspectorKeepsThePaneAndWritesTheDocument)
{
    auto* d = ctx->insert(new Document(QStringLiteral("x.pdf"), QStringLiteral("Old")));
    DocumentBrowser browser(*ctx, nullptr, [this] { return ctx->fetch<Document>(); }, QStringLiteral("No documents"), QString());
    browser.show();
    browser.list()->item(0)->setSelected(true);
    QApplication::processEvents();
    QWidget* pane = browser.inspectorPane();
    auto* title = pane->findChild<QLineEdit*>(QStringLiteral("titleField"));
    ASSERT_TRUE(title);
    title->setFocus();
    title->selectAll();
    title->insert(QStringLiteral("Amp service manual"));
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(d->title(), QStringLiteral("Amp service manual"));
    EXPECT_EQ(browser.inspectorPane(), pane);
    EXPECT_TRUE(browser.list()->item(0)->text().startsWith(QStringLiteral("Amp service manual")));
}

}  // namespace
