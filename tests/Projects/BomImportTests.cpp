// Reading bills of materials the way real exports write them (spreadsheets, EDA tools) and
// resolving them against the inventory.
#include "Corvallen/Model/Component.h"
#include "Corvallen/Projects/BomFileReader.h"
#include "Corvallen/Projects/BomImport.h"
#include "Corvallen/Projects/StockAllocation.h"
#include "support/TestEnvironment.h"
#include "support/TestStore.h"

#include <QFile>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvallen::test;
using BomImport::ImportError;

namespace {

QList<BomImport::Row> parse(const char* text) { return BomImport::parse(QByteArray(text)); }

ImportError::Kind failure(const QByteArray& bytes)
{
    try {
        BomImport::parse(bytes);
    } catch (const ImportError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "parsed without error: " << bytes.constData();
    return ImportError::Kind::tooLarge;
}

TEST(BomParse, ErrorsCarryTheirSentences)
{
    EXPECT_EQ(ImportError(ImportError::Kind::empty).description(), QStringLiteral("That file is empty."));
    EXPECT_EQ(ImportError(ImportError::Kind::noRows).description(),
              QStringLiteral("No parts found — the file needs a header row (e.g. Part, Qty) and at least one part below it."));
    EXPECT_EQ(failure(""), ImportError::Kind::empty);
    EXPECT_EQ(failure(" \n\r\n\t "), ImportError::Kind::empty);
    EXPECT_EQ(failure("Name,Qty\n"), ImportError::Kind::noRows);
    EXPECT_EQ(failure("Name,Qty"), ImportError::Kind::noRows);
    EXPECT_EQ(failure("Footprint,Qty\n0603,4\n"), ImportError::Kind::noRows);
    // A leading blank line is the header row and names no column.
    EXPECT_EQ(failure("\nName,Qty\nR1,2\n"), ImportError::Kind::noRows);
}

TEST(BomParse, HeadersAreRecognisedThroughTheAliasTable)
{
    EXPECT_EQ(BomImport::headerAliases().size(), 32);
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("  Qty ")), QStringLiteral("qty"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("QTY")), QStringLiteral("qty"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Quantity")), QStringLiteral("qty"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Part Number")), QStringLiteral("part_number"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Mfr Part Number")), QStringLiteral("part_number"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Part")), QStringLiteral("part_number"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Value")), QStringLiteral("name"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Type")), QStringLiteral("category"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Part-Number")), QStringLiteral("part-number"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Qty (pcs)")), QStringLiteral("qty_(pcs)"));
}

TEST(BomParse, ReferencesCountWhenThereIsNoQuantity)
{
    const auto rows = parse("Reference,Value,Footprint\n\"R1, R2;R3 R4\",10k,0603\nR5-R8,4k7,0603\n");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].name, QStringLiteral("10k"));
    EXPECT_EQ(rows[0].quantity, 4);
    EXPECT_EQ(rows[0].partNumber, std::nullopt);
    EXPECT_EQ(rows[1].quantity, 1);
}

TEST(BomParse, QuantityKeepsOnlyDigits)
{
    auto q = [](const QString& qty, const QString& refs = QString()) {
        QHash<QString, QString> m{{QStringLiteral("qty"), qty}};
        if (!refs.isEmpty())
            m.insert(QStringLiteral("references"), refs);
        return BomImport::quantity(m);
    };
    EXPECT_EQ(q(QStringLiteral("10 pcs")), 10);
    EXPECT_EQ(q(QStringLiteral("1,000")), 1000);
    EXPECT_EQ(q(QStringLiteral("-3")), 3);
    EXPECT_EQ(q(QStringLiteral("2.5")), 25);
    EXPECT_EQ(q(QStringLiteral("0"), QStringLiteral("C1 C2")), 2);
    EXPECT_EQ(q(QStringLiteral("0")), 1);
    EXPECT_EQ(q(QStringLiteral("99999999999999999999")), 1);  // does not fit: not a number
    EXPECT_EQ(q(QString::fromUtf8("½"), QStringLiteral("U1")), 1);
    EXPECT_EQ(q(QString::fromUtf8("１２")), 1);  // full-width digits are not ASCII
    EXPECT_EQ(BomImport::quantity({}), 1);
}

TEST(BomParse, FieldsAreTrimmedAndLaterColumnsWin)
{
    const auto rows = parse("Value,Description,Part Number,Qty,Mfr,Type\n"
                            " 10k , Resistor 10k ,  RC0603 , 4 , Yageo , Resistors \n"
                            "4k7,,RC0603-4K7,2,,\n"
                            ",,LM358DR,1,TI,\n"
                            ",,,3,TI,\n");
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], (BomImport::Row{QStringLiteral("Resistor 10k"), QStringLiteral("RC0603"), 4,
                                       QStringLiteral("Yageo"), QStringLiteral("Resistors")}));
    EXPECT_EQ(rows[1].name, QStringLiteral("4k7"));  // the blank later cell does not replace it
    EXPECT_EQ(rows[1].manufacturer, std::nullopt);
    EXPECT_EQ(rows[2].name, QStringLiteral("LM358DR"));  // a blank name falls back to the part number
}

TEST(BomParse, QuotingFollowsCsvRules)
{
    const auto rows = parse("Name,Qty,Notes\r\n"
                            "\"Cap, 100n\",2,x\r\n"
                            "\"The \"\"big\"\" one\",1\r\n"
                            "\"Two\nlines\",1\r\n"
                            "\"ab\"cd,1\r\n"
                            ",,\r\n"
                            "   \r\n"
                            "\r\n"
                            "last,5");
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0].name, QStringLiteral("Cap, 100n"));
    EXPECT_EQ(rows[0].quantity, 2);
    EXPECT_EQ(rows[1].name, QStringLiteral("The \"big\" one"));
    EXPECT_EQ(rows[2].name, QStringLiteral("Two\nlines"));
    EXPECT_EQ(rows[3].name, QStringLiteral("abcd"));
    EXPECT_EQ(rows[4].name, QStringLiteral("last"));
    EXPECT_EQ(rows[4].quantity, 5);
}

TEST(BomParse, TokenizerRowsAndEnds)
{
    using L = QList<QStringList>;
    EXPECT_EQ(BomImport::tokenize(QStringLiteral("a,b\n")), (L{{"a", "b"}}));
    EXPECT_EQ(BomImport::tokenize(QStringLiteral("a\n\nb")), (L{{"a"}, {""}, {"b"}}));
    EXPECT_EQ(BomImport::tokenize(QStringLiteral("a,")), (L{{"a", ""}}));
    EXPECT_EQ(BomImport::tokenize(QStringLiteral("\"open")), (L{{"open"}}));
    EXPECT_EQ(BomImport::tokenize(QStringLiteral("\"a\"")), (L{{"a"}}));
    EXPECT_TRUE(BomImport::tokenize(QString()).isEmpty());
}

TEST(BomParse, EncodingsThatSpreadsheetsWrite)
{
    // A UTF-8 byte-order mark would otherwise hide the first column.
    auto rows = BomImport::parse(QByteArray("\xEF\xBB\xBFName,Qty\nLM358,2\n"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].quantity, 2);

    // Windows-1252 (not valid UTF-8) is read instead of being called empty.
    rows = BomImport::parse(QByteArray("Name,Qty\nR 10\xB5 \x96 \x80,3\n"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].name, QString::fromUtf8("R 10µ – €"));

    // UTF-16 with its byte-order mark.
    const QString text = QStringLiteral("Name,Qty\nÜberträger,1\n");
    QByteArray le("\xFF\xFE", 2);
    le.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    rows = BomImport::parse(le);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].name, QStringLiteral("Überträger"));

    EXPECT_EQ(BomImport::decode(QByteArray("\xEF\xBB\xBF")), QString());
    EXPECT_EQ(failure(QByteArray("\xEF\xBB\xBF  \n")), ImportError::Kind::empty);
}

TEST(BomParse, ReadingAFileRefusesHugeFilesAndReportsMissingOnes)
{
    const QString folder = freshFolder();
    const QString good = folder + QStringLiteral("/bom.csv");
    QFile f(good);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Part,Qty\nRC0603,2\n");
    f.close();
    auto result = BomFileReader::read(good).result();
    EXPECT_TRUE(result.error.isEmpty());
    ASSERT_EQ(result.rows.size(), 1);
    EXPECT_EQ(result.rows[0].name, QStringLiteral("RC0603"));

    const QString empty = folder + QStringLiteral("/empty.csv");
    QFile e(empty);
    ASSERT_TRUE(e.open(QIODevice::WriteOnly));
    e.close();
    EXPECT_EQ(BomFileReader::readNow(empty).error, QStringLiteral("That file is empty."));

    EXPECT_FALSE(BomFileReader::readNow(folder + QStringLiteral("/missing.csv")).error.isEmpty());

    const QString huge = folder + QStringLiteral("/huge.csv");
    QFile h(huge);
    ASSERT_TRUE(h.open(QIODevice::WriteOnly));
    ASSERT_TRUE(h.resize(BomImport::maxFileBytes + 1));
    h.close();
    result = BomFileReader::readNow(huge);
    EXPECT_TRUE(result.rows.isEmpty());
    EXPECT_EQ(result.error, ImportError(ImportError::Kind::tooLarge).description());
}

class BomMatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = openTestStore();
        ASSERT_TRUE(store);
    }
    Component* component(const QString& name, const std::optional<QString>& pn = std::nullopt)
    {
        Component* c = store->mainContext().insert(new Component(name));
        c->setPartNumber(pn);
        return c;
    }
    static BomImport::Row row(const QString& name, const std::optional<QString>& pn, qint64 qty)
    {
        return BomImport::Row{name, pn, qty, std::nullopt, std::nullopt};
    }
    std::unique_ptr<ModelContainer> store;
};

TEST_F(BomMatchTest, PartNumbersWinOverNamesAndMissesFallBackToTheName)
{
    Component* a = component(QStringLiteral("Op amp"), QStringLiteral("LM358DR"));
    Component* b = component(QStringLiteral("LM358"));
    a->setManufacturer(QStringLiteral("TI"));
    const auto m = BomImport::match({row(QStringLiteral("LM358"), QStringLiteral("lm358dr"), 2),
                                     row(QStringLiteral("lm358"), QStringLiteral("NOPE"), 3)},
                                    {a, b});
    ASSERT_EQ(m.size(), 2);
    EXPECT_EQ(m[0].existing, a);
    EXPECT_EQ(m[0].name, QStringLiteral("Op amp"));
    EXPECT_EQ(m[0].partNumber, QStringLiteral("lm358dr"));  // the file's own part number is shown
    EXPECT_EQ(m[0].manufacturer, QStringLiteral("TI"));     // absent in the file: the component's
    EXPECT_EQ(m[1].existing, b);
    EXPECT_EQ(m[1].quantity, 3);
    EXPECT_NE(m[0].id, m[1].id);
}

TEST_F(BomMatchTest, RowsOfOnePartMergeAndKeepFirstAppearanceOrder)
{
    Component* r = component(QStringLiteral("10k"), QStringLiteral("RC0603"));
    const auto m = BomImport::match({row(QStringLiteral("LM358"), std::nullopt, 2),
                                     row(QStringLiteral("10k"), std::nullopt, 1),
                                     row(QStringLiteral("lm358"), std::nullopt, 3),
                                     row(QStringLiteral("ten k"), QStringLiteral("rc0603"), 4),
                                     row(QStringLiteral("X"), QStringLiteral("A"), 1),
                                     row(QStringLiteral("X"), QStringLiteral("B"), 1)},
                                    {r});
    ASSERT_EQ(m.size(), 4);
    EXPECT_EQ(m[0].name, QStringLiteral("LM358"));
    EXPECT_EQ(m[0].quantity, 5);
    EXPECT_EQ(m[0].existing, nullptr);
    EXPECT_EQ(m[1].existing, r);
    EXPECT_EQ(m[1].quantity, 5);
    EXPECT_EQ(m[2].partNumber, QStringLiteral("A"));
    EXPECT_EQ(m[3].partNumber, QStringLiteral("B"));
}

TEST_F(BomMatchTest, NamesAreNotTrimmedOnTheInventorySideAndLaterDuplicatesWin)
{
    Component* spaced = component(QStringLiteral(" LM358"));
    Component* first = component(QStringLiteral("NE555"));
    Component* second = component(QStringLiteral("ne555"));
    const auto m = BomImport::match({row(QStringLiteral("LM358"), std::nullopt, 1), row(QStringLiteral("NE555"), std::nullopt, 1)},
                                    {spaced, first, second});
    ASSERT_EQ(m.size(), 2);
    EXPECT_EQ(m[0].existing, nullptr);
    EXPECT_EQ(m[1].existing, second);
}

TEST_F(BomMatchTest, NamesThatLookAlikeAcrossTheSeparatorStayApart)
{
    const auto m = BomImport::match({row(QStringLiteral("a|b"), std::nullopt, 1), row(QStringLiteral("a"), QStringLiteral("b"), 1)}, {});
    EXPECT_EQ(m.size(), 2);
}

TEST_F(BomMatchTest, QuantitiesStopAtWhatALineCanHold)
{
    const qint64 big = std::numeric_limits<qint64>::max() - 1;
    auto m = BomImport::match({row(QStringLiteral("a"), std::nullopt, big), row(QStringLiteral("A"), std::nullopt, big)}, {});
    ASSERT_EQ(m.size(), 1);
    EXPECT_EQ(m[0].quantity, StockAllocation::maxLineQuantity);
    m = BomImport::match({row(QStringLiteral("b"), std::nullopt, 7), row(QStringLiteral("B"), std::nullopt, 5)}, {});
    EXPECT_EQ(m[0].quantity, 12);
}

}  // namespace
