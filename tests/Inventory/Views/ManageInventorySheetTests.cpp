#include "Corvallen/Inventory/Views/ManageInventorySheet.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "support/TestStore.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include "KeyInput.h"
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

class ManageInventorySheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        container = corvallen::test::openTestStore();
        ASSERT_TRUE(container);
    }
    ModelContext& ctx() { return container->mainContext(); }
    Component* part(const QString& name, const QString& category)
    {
        auto* c = ctx().insert(new Component(name));
        c->setCategory(category);
        return c;
    }
    std::unique_ptr<ManageInventorySheet> open()
    {
        auto sheet = std::make_unique<ManageInventorySheet>(ctx());
        sheet->setAttribute(Qt::WA_DeleteOnClose, false);
        sheet->show();
        settle();
        return sheet;
    }
    std::unique_ptr<ModelContainer> container;
};

TEST_F(ManageInventorySheetTest, SeedsOnOpeningAndShowsCountsAndUsage)
{
    part(QStringLiteral("a"), QStringLiteral("Resistors"));
    part(QStringLiteral("b"), QStringLiteral("resistors"));
    part(QStringLiteral("c"), QStringLiteral("Caps"));
    ASSERT_TRUE(ctx().save());
    auto sheet = open();
    EXPECT_EQ(sheet->kindCount(TermKind::category), QStringLiteral("2"));
    EXPECT_EQ(sheet->kindCount(TermKind::manufacturer), QStringLiteral("0"));
    TermListPane* pane = sheet->pane();
    ASSERT_EQ(pane->rowCount(), 2);
    EXPECT_EQ(pane->rowField(0)->text(), QStringLiteral("Caps"));
    EXPECT_EQ(pane->rowUsage(0)->text(), QStringLiteral("1 part"));
    EXPECT_EQ(pane->rowUsage(1)->text(), QStringLiteral("2 parts"));

    sheet->kindButton(TermKind::manufacturer)->click();
    EXPECT_TRUE(pane->showsEmptyState());
    EXPECT_EQ(pane->emptyTitle(), QStringLiteral("No manufacturers"));
    EXPECT_EQ(pane->newNameField()->placeholderText(), QStringLiteral("Add manufacturer…"));
    EXPECT_FALSE(pane->newParentPicker()->isVisible());
}

TEST_F(ManageInventorySheetTest, LongNamesShowTheirBeginning)
{
    const QString longName = QStringLiteral("Passive components and other long categories that need more room");
    part(QStringLiteral("a"), longName);
    ASSERT_TRUE(ctx().save());
    auto sheet = open();
    TermListPane* pane = sheet->pane();
    ASSERT_EQ(pane->rowCount(), 1);
    QLineEdit* field = pane->rowField(0);
    EXPECT_EQ(field->cursorPosition(), 0);
    // After an edit that leaves the field, too.
    field->setFocus();
    field->end(false);
    inventory::test::keyClicks(field, QStringLiteral(" too"));
    pane->newNameField()->setFocus();
    EXPECT_EQ(field->cursorPosition(), 0);
}

TEST_F(ManageInventorySheetTest, AddingWithAParentAndRefusingBlankNames)
{
    ctx().insert(new TaxonomyTerm(TermKind::location, QStringLiteral("Drawer 3"), std::nullopt));
    ASSERT_TRUE(ctx().save());
    auto sheet = open();
    sheet->setKind(TermKind::bin);
    TermListPane* pane = sheet->pane();
    EXPECT_TRUE(pane->newParentPicker()->isVisible());
    EXPECT_EQ(pane->newParentPicker()->itemText(0), QStringLiteral("No location"));

    pane->newNameField()->setText(QStringLiteral("   "));
    EXPECT_FALSE(pane->addButton()->isEnabled());
    inventory::test::keyClick(pane->newNameField(), Qt::Key_Return);
    EXPECT_EQ(pane->newNameField()->text(), QStringLiteral("   "));

    pane->newNameField()->setText(QStringLiteral(" A1 "));
    pane->newParentPicker()->setCurrentIndex(1);
    pane->addButton()->click();
    settle();
    EXPECT_TRUE(pane->newNameField()->text().isEmpty());
    const QList<TaxonomyTerm*> bins = TaxonomyTerm::terms(TermKind::bin, ctx());
    ASSERT_EQ(bins.size(), 1);
    EXPECT_EQ(bins.first()->name(), QStringLiteral("A1"));
    EXPECT_EQ(bins.first()->parent(), std::optional<QString>(QStringLiteral("Drawer 3")));
    EXPECT_EQ(sheet->kindCount(TermKind::bin), QStringLiteral("1"));
    EXPECT_EQ(pane->rowParentPicker(0)->currentText(), QStringLiteral("Drawer 3"));

    // The row's picker clears the parent and saves.
    pane->rowParentPicker(0)->setCurrentIndex(0);
    Q_EMIT pane->rowParentPicker(0)->activated(0);
    EXPECT_FALSE(bins.first()->parent());
    EXPECT_FALSE(ctx().hasChanges());
}

TEST_F(ManageInventorySheetTest, RenameInPlaceRewritesComponents)
{
    auto* c = part(QStringLiteral("a"), QStringLiteral("resistors"));
    ASSERT_TRUE(ctx().save());
    auto sheet = open();
    TermListPane* pane = sheet->pane();
    ASSERT_EQ(pane->rowCount(), 1);

    pane->rowField(0)->setText(QStringLiteral("Resistors"));
    pane->commitRename(0);
    EXPECT_EQ(pane->rowField(0)->text(), QStringLiteral("resistors")) << "a case change alone is not applied";
    pane->rowField(0)->setText(QString());
    pane->commitRename(0);
    EXPECT_EQ(pane->rowField(0)->text(), QStringLiteral("resistors"));

    pane->rowField(0)->setText(QStringLiteral("Passives"));
    pane->rowField(0)->setFocus();
    inventory::test::keyClick(pane->rowField(0), Qt::Key_Return);
    settle();
    EXPECT_TRUE(sheet->isVisible()) << "Return in a name field does not close the sheet";
    EXPECT_EQ(c->category(), std::optional<QString>(QStringLiteral("Passives")));
    EXPECT_EQ(pane->rowField(0)->text(), QStringLiteral("Passives"));
}

TEST_F(ManageInventorySheetTest, RenamingOntoAnotherTermLeavesOneRowForTheName)
{
    auto* a = part(QStringLiteral("a"), QStringLiteral("Caps"));
    auto* b = part(QStringLiteral("b"), QStringLiteral("Capacitors"));
    ASSERT_TRUE(ctx().save());
    auto sheet = open();
    TermListPane* pane = sheet->pane();
    ASSERT_EQ(pane->rowCount(), 2);
    ASSERT_EQ(pane->rowField(1)->text(), QStringLiteral("Caps"));

    pane->rowField(1)->setText(QStringLiteral("capacitors"));
    pane->rowField(1)->setFocus();
    inventory::test::keyClick(pane->rowField(1), Qt::Key_Return);
    settle();
    ASSERT_EQ(pane->rowCount(), 1);
    EXPECT_EQ(pane->rowField(0)->text(), QStringLiteral("Capacitors"));
    EXPECT_EQ(pane->rowUsage(0)->text(), QStringLiteral("2 parts"));
    EXPECT_EQ(sheet->kindCount(TermKind::category), QStringLiteral("1"));
    EXPECT_EQ(a->category(), b->category());
}

TEST_F(ManageInventorySheetTest, DeleteAsksWithTheUsageAndCancelKeepsEverything)
{
    auto* a = part(QStringLiteral("a"), QStringLiteral("Resistors"));
    part(QStringLiteral("b"), QStringLiteral("Resistors"));
    part(QStringLiteral("c"), QStringLiteral("RESISTORS"));
    auto* sub = ctx().insert(new TaxonomyTerm(TermKind::subcategory, QStringLiteral("Carbon"), QStringLiteral("Resistors")));
    a->setSubcategory(QStringLiteral("Carbon"));
    ASSERT_TRUE(ctx().save());
    auto sheet = open();
    TermListPane* pane = sheet->pane();
    TaxonomyTerm* term = pane->rowTerm(0);

    QMessageBox* box = pane->requestDelete(term);
    EXPECT_EQ(box->text(), QStringLiteral("Delete \u201CResistors\u201D?"));
    EXPECT_EQ(box->informativeText(),
              QStringLiteral("\u201CResistors\u201D is used by 3 part(s). Deleting it clears the category on those parts."));
    box->button(QMessageBox::Cancel)->click();
    settle();
    EXPECT_FALSE(pane->pendingDelete());
    EXPECT_FALSE(term->isDeleted());

    box = pane->requestDelete(term);
    for (QAbstractButton* b : box->buttons())
        if (b->text() == QStringLiteral("Delete"))
            b->click();
    settle();
    EXPECT_TRUE(term->isDeleted());
    EXPECT_FALSE(a->category());
    EXPECT_EQ(a->subcategory(), std::optional<QString>(QStringLiteral("Carbon")));
    EXPECT_FALSE(sub->parent());
    EXPECT_TRUE(pane->showsEmptyState());
    EXPECT_EQ(sheet->kindCount(TermKind::category), QStringLiteral("0"));
}

// A store may hold one name twice in a list (written before renames merged). Deleting the
// repeat tidies the list; the parts keep the name the other entry still carries.
TEST_F(ManageInventorySheetTest, DeletingARepeatedNameTakesItFromNoPart)
{
    auto* a = part(QStringLiteral("a"), QStringLiteral("Resistors"));
    ctx().insert(new TaxonomyTerm(TermKind::category, QStringLiteral("Resistors"), std::nullopt));
    ctx().insert(new TaxonomyTerm(TermKind::category, QStringLiteral("resistors"), std::nullopt));
    auto* sub = ctx().insert(new TaxonomyTerm(TermKind::subcategory, QStringLiteral("Carbon"), QStringLiteral("Resistors")));
    ASSERT_TRUE(ctx().save());
    auto sheet = open();
    TermListPane* pane = sheet->pane();
    ASSERT_EQ(pane->rowCount(), 2);
    QMessageBox* box = pane->requestDelete(pane->rowTerm(1));
    EXPECT_EQ(box->informativeText(),
              QStringLiteral("Another entry of the list is also named \u201Cresistors\u201D. Deleting this one changes no parts."));
    for (QAbstractButton* b : box->buttons())
        if (b->text() == QStringLiteral("Delete"))
            b->click();
    settle();
    ASSERT_EQ(pane->rowCount(), 1);
    EXPECT_EQ(a->category(), QStringLiteral("Resistors"));
    EXPECT_EQ(sub->parent(), QStringLiteral("Resistors"));
    EXPECT_EQ(pane->rowUsage(0)->text(), QStringLiteral("1 part"));

    // The last entry for the name clears it as before.
    box = pane->requestDelete(pane->rowTerm(0));
    EXPECT_EQ(box->informativeText(),
              QStringLiteral("\u201CResistors\u201D is used by 1 part(s). Deleting it clears the category on those parts."));
}

}  // namespace

TEST_F(ManageInventorySheetTest, AHalfTypedRenameSurvivesChangesElsewhere)
{
    part(QStringLiteral("a"), QStringLiteral("Caps"));
    part(QStringLiteral("b"), QStringLiteral("Resistors"));
    ASSERT_TRUE(ctx().save());
    auto sheet = open();
    QApplication::setActiveWindow(sheet.get());
    TermListPane* pane = sheet->pane();
    ASSERT_EQ(pane->rowCount(), 2);
    QLineEdit* field = pane->rowField(1);
    field->setFocus();
    field->setText(QStringLiteral("Resist"));  // typing, not yet committed

    // A change that leaves the list as it is (another part uses "Caps"): the same row, the
    // draft and the focus stay, and the usage count follows.
    part(QStringLiteral("c"), QStringLiteral("Caps"));
    ASSERT_TRUE(ctx().save());
    settle();
    EXPECT_EQ(pane->rowField(1), field);
    EXPECT_EQ(field->text(), QStringLiteral("Resist"));
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(pane->rowUsage(0)->text(), QStringLiteral("2 parts"));

    // A change that adds a row before it: the draft moves with its term and keeps the focus.
    ctx().insert(new TaxonomyTerm(TermKind::category, QStringLiteral("Batteries"), std::nullopt));
    ASSERT_TRUE(ctx().save());
    settle();
    ASSERT_EQ(pane->rowCount(), 3);
    EXPECT_EQ(pane->rowTerm(2)->name(), QStringLiteral("Resistors"));
    EXPECT_EQ(pane->rowField(2)->text(), QStringLiteral("Resist"));
    EXPECT_TRUE(pane->rowField(2)->hasFocus());
    // Rows nobody edits show their names.
    EXPECT_EQ(pane->rowField(0)->text(), QStringLiteral("Batteries"));
}
