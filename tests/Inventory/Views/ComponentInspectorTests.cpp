#include "Corvallen/Inventory/Views/AttachmentControl.h"
#include "Corvallen/Inventory/Views/ComboField.h"
#include "Corvallen/Inventory/Views/ComponentInspector.h"
#include "Corvallen/Inventory/Views/ShoppingLinkField.h"
#include "Corvallen/Inventory/Views/StatusBadge.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/ComponentFileStore.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Widgets/Views/NumericField.h"
#include "Corvallen/Widgets/Views/TagEditor.h"
#include "support/EventLoop.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestStore.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QProgressBar>
#include <QPushButton>
#include "KeyInput.h"
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class ComponentInspectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        container = corvallen::test::openTestStore();
        ASSERT_TRUE(container);
        component = ctx().insert(new Component(QStringLiteral("NE555")));
        component->setQty(10);
        component->setMinQty(2);
        component->setUpdatedAt(QDateTime::currentDateTime().addDays(-5));
        ASSERT_TRUE(ctx().save());
        inspector = std::make_unique<ComponentInspector>(ctx(), component, [this] { ++doneCalls; });
        inspector->resize(420, 900);
        inspector->show();
        QCoreApplication::processEvents();
    }
    void type(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        if (text.isEmpty())
            inventory::test::keyClick(field, Qt::Key_Backspace);
        else
            inventory::test::keyClicks(field, text);
    }
    ModelContext& ctx() { return container->mainContext(); }
    std::unique_ptr<ModelContainer> container;
    Component* component = nullptr;
    std::unique_ptr<ComponentInspector> inspector;
    int doneCalls = 0;
};

TEST_F(ComponentInspectorTest, EditsWriteTheComponentAndDoneStampsAndSaves)
{
    type(inspector->textField(QStringLiteral("Part number")), QStringLiteral(" "));
    EXPECT_EQ(component->partNumber(), std::optional<QString>(QStringLiteral(" ")));
    type(inspector->textField(QStringLiteral("Part number")), QString());
    EXPECT_FALSE(component->partNumber());
    type(inspector->textField(QStringLiteral("Name")), QString());
    EXPECT_EQ(component->name(), QString());

    QLineEdit* qty = inspector->textField(QStringLiteral("Quantity"));
    type(qty, QStringLiteral("0"));
    inventory::test::keyClick(qty, Qt::Key_Return);
    EXPECT_EQ(component->qty(), 0);
    EXPECT_EQ(inspector->badge()->status(), StockStatus::out);
    // Return in a field is Done: committed, saved, and the inspector told.
    EXPECT_EQ(doneCalls, 1);
    EXPECT_FALSE(ctx().hasChanges());
    inspector->onOrderToggle()->click();
    EXPECT_EQ(component->statusOverride(), std::optional<QString>(QStringLiteral("ordered")));
    EXPECT_EQ(inspector->badge()->status(), StockStatus::ordered);

    ComboField* category = inspector->comboField(TermKind::category);
    type(category->lineEdit(), QStringLiteral("Timers"));
    EXPECT_EQ(inspector->activeKind(), std::optional<TermKind>(TermKind::category));
    EXPECT_TRUE(inspector->comboField(TermKind::location)->chevronHidden());
    EXPECT_EQ(component->category(), std::optional<QString>(QStringLiteral("Timers")));
    type(inspector->comboField(TermKind::subcategory)->lineEdit(), QStringLiteral("Bipolar"));
    EXPECT_EQ(inspector->activeKind(), std::optional<TermKind>(TermKind::subcategory));
    inspector->tagEditor()->setInput(QStringLiteral("DIP-8"));
    inspector->tagEditor()->addInput();
    EXPECT_TRUE(component->tags().has_value());
    EXPECT_TRUE(ctx().hasChanges());

    inspector->doneButton()->click();
    EXPECT_EQ(doneCalls, 2);
    EXPECT_FALSE(ctx().hasChanges());
    EXPECT_GT(component->updatedAt(), QDateTime::currentDateTime().addDays(-1));
    EXPECT_EQ(component->tags()->toLower(), *component->tags());
    const QList<TaxonomyTerm*> subs = TaxonomyTerm::terms(TermKind::subcategory, ctx());
    ASSERT_EQ(subs.size(), 1);
    EXPECT_EQ(subs.first()->parent(), std::optional<QString>(QStringLiteral("Timers")));
}

TEST_F(ComponentInspectorTest, ReturnCommitsFromEveryOneLineFieldAndQuantitiesStayInRange)
{
    // The typed figure is taken before Done runs, and held within a billion either way.
    QLineEdit* qty = inspector->textField(QStringLiteral("Quantity"));
    type(qty, QStringLiteral("-99999999999999999999"));
    inventory::test::keyClick(qty, Qt::Key_Return);
    EXPECT_EQ(component->qty(), -Component::maxQuantity);
    EXPECT_EQ(doneCalls, 1);
    QLineEdit* reorder = inspector->textField(QStringLiteral("Reorder at (min qty)"));
    type(reorder, QStringLiteral("5000000000"));
    inventory::test::keyClick(reorder, Qt::Key_Return);
    EXPECT_EQ(component->minQty(), Component::maxQuantity);
    EXPECT_EQ(doneCalls, 2);
    // Text that is no whole number keeps the stored figure, stays as typed and holds Done back
    // until it is mended; a figure grouped as people type it is taken.
    for (const QString& refused : {QStringLiteral("lots"), QStringLiteral("1,5")}) {
        type(reorder, refused);
        inventory::test::keyClick(reorder, Qt::Key_Return);
        EXPECT_EQ(component->minQty(), Component::maxQuantity);
        EXPECT_EQ(reorder->text(), refused);
        EXPECT_EQ(doneCalls, 2);
    }
    type(reorder, QStringLiteral("1,500"));
    inventory::test::keyClick(reorder, Qt::Key_Return);
    EXPECT_EQ(component->minQty(), 1500);
    EXPECT_EQ(doneCalls, 3);

    int expected = 4;
    for (QLineEdit* field : {inspector->textField(QStringLiteral("Voltage")), inspector->textField(QStringLiteral("Unit")),
                             inspector->comboField(TermKind::manufacturer)->lineEdit(), inspector->priceField(true)->lineEdit()}) {
        type(field, QStringLiteral("5"));
        component->setUpdatedAt(QDateTime::currentDateTime().addDays(-5));
        inventory::test::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(doneCalls, expected++);
        EXPECT_GT(component->updatedAt(), QDateTime::currentDateTime().addDays(-1));
        EXPECT_FALSE(ctx().hasChanges());
    }
    EXPECT_EQ(component->resellPrice(), 5.0);
    EXPECT_EQ(TaxonomyTerm::terms(TermKind::manufacturer, ctx()).size(), 1);
}

// The free stock moves under an open inspector when a project takes or gives back parts. A
// figure the user never touched must not be written back over that move when the field is
// committed (Return), or the stock and what projects hold drift apart.
TEST_F(ComponentInspectorTest, AnUntouchedQuantityFollowsTheStockAndIsNeverWrittenBack)
{
    QLineEdit* qty = inspector->textField(QStringLiteral("Quantity"));
    qty->setFocus();
    ASSERT_TRUE(qty->hasFocus());
    // What a parts list does when it takes four: the free stock moves and the store saves.
    const auto stockMoves = [&](qint64 to) {
        component->setQty(to);
        ASSERT_TRUE(ctx().save());
        QCoreApplication::processEvents();
    };
    stockMoves(6);
    ASSERT_EQ(component->qty(), 6);
    EXPECT_EQ(qty->text(), QLocale().toString(6));
    inventory::test::keyClick(qty, Qt::Key_Return);
    EXPECT_EQ(component->qty(), 6);
    EXPECT_EQ(doneCalls, 1);

    // A figure the user typed is theirs: it stands even when the stock moved meanwhile.
    type(qty, QStringLiteral("20"));
    stockMoves(5);
    EXPECT_EQ(qty->text(), QStringLiteral("20"));
    inventory::test::keyClick(qty, Qt::Key_Return);
    EXPECT_EQ(component->qty(), 20);
}

TEST_F(ComponentInspectorTest, ComboFieldOffersTermsAndSuggestsWhileFocused)
{
    for (const QString& n : {QStringLiteral("Resistor"), QStringLiteral("Capacitor"), QStringLiteral("Varistor")})
        ctx().insert(new TaxonomyTerm(TermKind::category, n, std::nullopt));
    ASSERT_TRUE(ctx().save());
    QCoreApplication::processEvents();
    ComboField* category = inspector->comboField(TermKind::category);
    EXPECT_EQ(category->options(), (QStringList{"Capacitor", "Resistor", "Varistor"}));

    type(category->lineEdit(), QStringLiteral("istor"));
    EXPECT_EQ(category->suggestions(), (QStringList{"Resistor", "Varistor"}));
    ASSERT_TRUE(category->suggestionList());
    EXPECT_TRUE(category->suggestionList()->isVisible());

    category->pickSuggestion(QStringLiteral("Varistor"));
    EXPECT_EQ(component->category(), std::optional<QString>(QStringLiteral("Varistor")));
    EXPECT_FALSE(category->suggestionList()->isVisible());
    EXPECT_FALSE(inspector->activeKind());

    QMenu* menu = category->buildMenu();
    EXPECT_EQ(menu->actions().last()->text(), QStringLiteral("Clear"));
    menu->actions().last()->trigger();
    EXPECT_FALSE(component->category());
}

TEST_F(ComponentInspectorTest, ComboFieldsLineUpWithTextFieldsAndShowALongNameFromItsStart)
{
    ctx().insert(new TaxonomyTerm(TermKind::manufacturer, QStringLiteral("Acme"), std::nullopt));
    ASSERT_TRUE(ctx().save());
    QCoreApplication::processEvents();
    QLineEdit* name = inspector->textField(QStringLiteral("Name"));
    ASSERT_TRUE(name);
    const auto rightEdge = [&](QWidget* w) { return w->mapTo(inspector.get(), QPoint(w->width(), 0)).x(); };
    for (const TermKind kind : {TermKind::category, TermKind::manufacturer, TermKind::bin}) {
        ComboField* combo = inspector->comboField(kind);
        EXPECT_EQ(rightEdge(combo->lineEdit()), rightEdge(name)) << int(kind);
        // The chevron, where there is one, inside the field's box.
        const QRect box(combo->lineEdit()->mapTo(inspector.get(), QPoint()), combo->lineEdit()->size());
        const QToolButton* chevron = combo->chevron();
        if (chevron->isVisibleTo(inspector.get()))
            EXPECT_TRUE(box.contains(QRect(chevron->mapTo(inspector.get(), QPoint()), chevron->size()))) << int(kind);
    }

    ComboField* maker = inspector->comboField(TermKind::manufacturer);
    type(maker->lineEdit(), QStringLiteral("Long term name for the maker of this rather specific part"));
    name->setFocus();
    EXPECT_EQ(maker->lineEdit()->cursorPosition(), 0);
}

TEST_F(ComponentInspectorTest, MarginLineNeedsBothPrices)
{
    NumericField* purchase = inspector->priceField(false);
    NumericField* resell = inspector->priceField(true);
    purchase->lineEdit()->setFocus();
    inventory::test::keyClicks(purchase->lineEdit(), QStringLiteral("3"));
    EXPECT_EQ(component->purchasePrice(), std::optional<double>(3.0));
    EXPECT_FALSE(inspector->marginLabel()->isVisible());
    resell->lineEdit()->setFocus();
    inventory::test::keyClicks(resell->lineEdit(), QStringLiteral("2"));
    EXPECT_TRUE(inspector->marginLabel()->isVisible());
    EXPECT_TRUE(inspector->marginLabel()->text().endsWith(QStringLiteral("(-33%)")));

    // A price shows the currency's decimals ("3.10", not "3.1") once the user leaves it.
    type(resell->lineEdit(), QStringLiteral("3.1"));
    purchase->lineEdit()->setFocus();
    EXPECT_EQ(resell->text(), QStringLiteral("3.10"));
    // A price that is no number keeps the inspector open on it.
    type(resell->lineEdit(), QStringLiteral("3,1,0"));
    inspector->doneButton()->click();
    EXPECT_EQ(doneCalls, 0);
    EXPECT_EQ(resell->text(), QStringLiteral("3,1,0"));
}

TEST_F(ComponentInspectorTest, ShoppingLinkSwitchesBetweenEditingAndTheLink)
{
    ShoppingLinkField* link = inspector->shoppingLink();
    EXPECT_TRUE(link->isEditMode());
    link->field()->setFocus();
    inventory::test::keyClicks(link->field(), QStringLiteral("https://shop.example/ne555"));
    EXPECT_TRUE(link->isEditMode()) << "the field stays while typing";
    EXPECT_EQ(component->shoppingURL(), std::optional<QString>(QStringLiteral("https://shop.example/ne555")));
    link->saveButton()->click();
    EXPECT_FALSE(link->isEditMode());
    EXPECT_TRUE(link->linkButton()->isVisible());
    link->editButton()->click();
    link->field()->selectAll();
    inventory::test::keyClick(link->field(), Qt::Key_Backspace);
    link->saveButton()->click();
    EXPECT_TRUE(link->isEditMode());
    EXPECT_FALSE(component->shoppingURL());
}

TEST_F(ComponentInspectorTest, PhotoControlShowsPreviewOrPlaceholderAndOffersRemove)
{
    AttachmentControl* photo = inspector->attachment(2);
    ASSERT_TRUE(photo);
    EXPECT_EQ(photo->preview()->text(), QStringLiteral("No photo"));

    QImage image(400, 100, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString name = QStringLiteral("WIDE.png");
    ASSERT_TRUE(image.save(QDir(ComponentFileStore::componentsFolderURL()).filePath(name)));
    component->setPhotoFile(name);
    QCoreApplication::processEvents();
    EXPECT_TRUE(photo->showsPhoto());
    // A wide photo is as wide as the control allows and keeps its proportions.
    const QPixmap shown = photo->preview()->pixmap();
    EXPECT_LE(shown.width(), std::max(100, photo->width()));
    EXPECT_LT(shown.height(), 170);
    EXPECT_NEAR(double(shown.width()) / shown.height(), 4.0, 0.1);

    // Not an image: the placeholder, and Remove is still offered.
    QFile junk(QDir(ComponentFileStore::componentsFolderURL()).filePath(QStringLiteral("JUNK.png")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not an image");
    junk.close();
    component->setPhotoFile(QStringLiteral("JUNK.png"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(photo->showsPhoto());
    const QList<QAction*> actions = photo->actionsButton()->menu()->actions();
    EXPECT_TRUE(actions.last()->isVisible());
    actions.last()->trigger();
    EXPECT_FALSE(component->photoFile());
}

TEST_F(ComponentInspectorTest, LinkAlertStartsWithTheRememberedLinkAndReportsFailures)
{
    component->setDatasheetURL(QStringLiteral("ftp://old.example/sheet.pdf"));
    AttachmentControl* datasheet = inspector->attachment(0);
    QDialog* alert = datasheet->showLinkAlert();
    EXPECT_EQ(alert->windowTitle(), QStringLiteral("Add datasheet from link"));
    EXPECT_EQ(datasheet->linkField()->text(), QStringLiteral("ftp://old.example/sheet.pdf"));
    QPushButton* download = nullptr;
    for (QPushButton* b : alert->findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("Download"))
            download = b;
    ASSERT_TRUE(download);
    download->click();
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return !datasheet->controller().busy(); }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(datasheet->errorLabel()->isVisible());
    EXPECT_EQ(datasheet->errorLabel()->text(), QStringLiteral("Not a valid web link."));
    EXPECT_FALSE(component->datasheetFile());
    EXPECT_FALSE(datasheet->openButton()->isVisible());
}

TEST_F(ComponentInspectorTest, DroppedWebLinkDownloadsWithProgressAndThenOffersOpen)
{
    corvallen::test::LoopbackHttpServer server;
    corvallen::test::LoopbackHttpServer::Response pdf;
    pdf.headers = {{"Content-Type", "application/pdf"}};
    pdf.body = QByteArray(32 * 1024, 'p');
    server.route("/manual", pdf);

    AttachmentControl* manual = inspector->attachment(1);
    QMimeData data;
    data.setUrls({QUrl(server.url(QStringLiteral("/manual")))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(manual, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(manual, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_TRUE(manual->controller().busy());
    EXPECT_TRUE(manual->progressBar()->isVisible());

    ASSERT_TRUE(corvallen::test::waitUntil([&] { return !manual->controller().busy(); }));
    EXPECT_FALSE(manual->progressBar()->isVisible());
    EXPECT_FALSE(manual->errorLabel()->isVisible());
    ASSERT_TRUE(component->manualFile().has_value());
    EXPECT_TRUE(component->manualFile()->endsWith(QStringLiteral(".pdf")));
    EXPECT_TRUE(manual->openButton()->isVisible());
}

}  // namespace
