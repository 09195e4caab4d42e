// The shopping list a user opens in a spreadsheet or hands to a supplier: exact bytes matter.
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Projects/BomImport.h"
#include "Corvallen/Projects/ProjectContents.h"
#include "Corvallen/Projects/ShoppingList.h"
#include "Corvallen/Projects/StockAllocation.h"
#include "support/TestEnvironment.h"
#include "support/TestStore.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace corvallen::test;

namespace {

class ShoppingListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = openTestStore();
        ASSERT_TRUE(store);
        project = ctx().insert(new Project(QStringLiteral("Amp build"), QString(), QString()));
    }
    ModelContext& ctx() { return store->mainContext(); }
    Component* onProject(const QString& name, qint64 stock, qint64 held)
    {
        Component* c = ctx().insert(new Component(name));
        c->setQty(stock);
        StockAllocation::setPart(c, project, held, ctx());
        return c;
    }
    std::unique_ptr<ModelContainer> store;
    Project* project = nullptr;
};

TEST_F(ShoppingListTest, ListsTheWholeShortfallInPartsListOrder)
{
    Component* r = onProject(QStringLiteral("resistor"), 6, 5);
    Project* other = ctx().insert(new Project(QStringLiteral("Other"), QString(), QString()));
    StockAllocation::setPart(r, other, 4, ctx());  // qty now -3
    Component* c = onProject(QStringLiteral("Capacitor, 100n"), 1, 3);
    c->setPartNumber(QStringLiteral("CL10\"B\""));
    c->setManufacturer(QStringLiteral("Sam\nsung"));
    Component* enough = onProject(QStringLiteral("exact"), 2, 2);  // qty 0 is not short
    Q_UNUSED(enough);
    // A second line of one component (as a restored store may hold) buys its shortfall only once.
    ctx().insert(new ProjectComponent(c, project, 1));

    const auto shortOnes = ShoppingList::shortItems(ProjectContents::partLines(project));
    ASSERT_EQ(shortOnes.size(), 2);
    EXPECT_EQ(ShoppingList::csv(shortOnes),
              QByteArray("name,part_number,manufacturer,needed,in_stock\n"
                         "\"Capacitor, 100n\",\"CL10\"\"B\"\"\",\"Sam\nsung\",2,-2\n"
                         "resistor,,,3,-3\n"));
}

TEST_F(ShoppingListTest, EscapingQuotesOnlyWhatCsvNeeds)
{
    EXPECT_EQ(ShoppingList::escapeField(QStringLiteral("10k resistor")), QStringLiteral("10k resistor"));
    EXPECT_EQ(ShoppingList::escapeField(QStringLiteral("a\rb")), QStringLiteral("\"a\rb\""));
    EXPECT_EQ(ShoppingList::escapeField(QStringLiteral("\"")), QStringLiteral("\"\"\"\""));
    EXPECT_EQ(ShoppingList::csv({}), QByteArray(ShoppingList::header));
    // UTF-8, no byte-order mark.
    Component* c = ctx().insert(new Component(QStringLiteral("Überträger µ")));
    c->setQty(-1);
    const QByteArray bytes = ShoppingList::csv({ShoppingList::item(*c)});
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(bytes.endsWith(QStringLiteral("Überträger µ,,,1,-1\n").toUtf8()));

    // Line breaks of either kind stay inside their field when a CSV reader reads the file back.
    Component* odd = ctx().insert(new Component(QStringLiteral("a\rb")));
    odd->setManufacturer(QStringLiteral("x\ny"));
    odd->setQty(-2);
    const QList<QStringList> rows = BomImport::tokenize(QString::fromUtf8(ShoppingList::csv({ShoppingList::item(*odd)})));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1], (QStringList{"a\rb", "", "x\ny", "2", "-2"}));
}

// A part's name, number or maker comes from anywhere (a pasted web page, an imported BOM); the
// list is opened in a spreadsheet, which must show such a text, never evaluate it.
TEST_F(ShoppingListTest, TextsThatASpreadsheetWouldEvaluateStayText)
{
    EXPECT_EQ(ShoppingList::escapeField(QStringLiteral("=HYPERLINK(\"x\")")), QStringLiteral("\"'=HYPERLINK(\"\"x\"\")\""));
    EXPECT_EQ(ShoppingList::escapeField(QStringLiteral("+5V LDO")), QStringLiteral("'+5V LDO"));
    EXPECT_EQ(ShoppingList::escapeField(QStringLiteral("-12V rail")), QStringLiteral("'-12V rail"));
    EXPECT_EQ(ShoppingList::escapeField(QStringLiteral("@SUM(A1)")), QStringLiteral("'@SUM(A1)"));
    EXPECT_EQ(ShoppingList::escapeField(QStringLiteral("\t=1+1")), QStringLiteral("'\t=1+1"));
    EXPECT_EQ(ShoppingList::escapeField(QStringLiteral("=1,2")), QStringLiteral("\"'=1,2\""));
    // Only the start counts: a sign inside a text is left alone.
    EXPECT_EQ(ShoppingList::escapeField(QStringLiteral("LM7805 +5V")), QStringLiteral("LM7805 +5V"));

    // The whole row: every text column is guarded, the numbers (negative in_stock) are not.
    Component* c = ctx().insert(new Component(QStringLiteral("=cmd|' /C calc'!A0")));
    c->setPartNumber(QStringLiteral("-R1"));
    c->setManufacturer(QStringLiteral("@maker"));
    c->setQty(-4);
    const QList<QStringList> rows = BomImport::tokenize(QString::fromUtf8(ShoppingList::csv({ShoppingList::item(*c)})));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1], (QStringList{"'=cmd|' /C calc'!A0", "'-R1", "'@maker", "4", "-4"}));
}

TEST_F(ShoppingListTest, ProposedNameAndAtomicWrite)
{
    EXPECT_EQ(ShoppingList::proposedFileName(project), QStringLiteral("Amp build — shopping list.csv"));
    project->setName(QString());
    EXPECT_EQ(ShoppingList::proposedFileName(project), QStringLiteral("Project — shopping list.csv"));

    const QString folder = freshFolder();
    const QString path = folder + QStringLiteral("/list.csv");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old content that is longer than the new one\n");
    old.close();
    EXPECT_EQ(ShoppingList::write(path, "a,b\n"), QString());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("a,b\n"));

    EXPECT_FALSE(ShoppingList::write(folder + QStringLiteral("/no/such/folder/x.csv"), "x").isEmpty());
}

}  // namespace
