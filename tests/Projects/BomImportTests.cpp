// Reading bills of materials the way real exports write them (spreadsheets, EDA tools) and
// resolving them against the inventory.
#include "Corvallen/Model/Component.h"
#include "Corvallen/Projects/BomFileReader.h"
#include "Corvallen/Projects/BomImport.h"
#include "Corvallen/Projects/BomImportPlan.h"
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
    // A leading blank line stands above the header row, and the message says on which line that is.
    EXPECT_EQ(failure("\nName,Qty\nR1,2\n"), ImportError::Kind::linesAboveHeader);
}

TEST(BomParse, HeadersAreRecognisedThroughTheAliasTable)
{
    EXPECT_EQ(BomImport::headerAliases().size(), 63);
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("  Qty ")), QStringLiteral("qty"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("QTY")), QStringLiteral("qty"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Quantity")), QStringLiteral("qty"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Part Number")), QStringLiteral("part_number"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Mfr Part Number")), QStringLiteral("part_number"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Part")), QStringLiteral("part_number"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Value")), QStringLiteral("name"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Type")), QStringLiteral("category"));
    // Headings of real exports, onto the same keys.
    for (const auto& [heading, key] : {std::pair{"Component Name", "name"}, {"BOM Qty", "qty"}, {"Part #", "part_number"},
                                       {"LCSC Part #", "part_number"}, {"Example Part", "part_number"},
                                       {"Reference(s)", "references"}, {"Mfr. #", "part_number"}, {"Parts", "references"},
                                       {"P/N", "part_number"}, {"manf#", "part_number"}, {"PN", "part_number"},
                                       {"Reference\nDesignator", "references"}, {"Manufacturer\r\nPart Number", "part_number"},
                                       {"Plain Name", "name"}, {"Item Description", "name"},
                                       {"Supplier Name", "supplier_name"}, {"Footprint Name", "footprint_name"},
                                       {"SKU", "part_number"}, {"Value/Description", "name"},
                                       {"Ref / Designator", "references"}, {"Qty/Board", "qty/board"},
                                       {"Value/Part", "name"},
                                       // Part-number headings are read by their words: owner, "Part", number.
                                       {"Mfg Part #", "part_number"}, {"Mfr. Part No.", "part_number"},
                                       {"LCSC Part No.", "part_number"}, {"Mouser #", "part_number"},
                                       {"Manufacturer", "manufacturer"}, {"JLCPCB", "part_number"},
                                       {"Digikey", "digikey"}, {"Supplier Part #", "part_number"},
                                       {"Vendor ID", "part_number"}, {"Part ID", "part_id"}, {"Qty Needed", "qty"},
                                       {"Customer Part Number", "customer_part_number"}, {"#", "#"}, {"No.", "no."},
                                       {"Part No./Value", "name"}, {"RS Components Part No.", "part_number"},
                                       {"Order Code", "part_number"}, {"Order No.", "part_number"},
                                       {"Order #", "order_#"}, {"Order ID", "order_id"}, {"Order", "order"}})
        EXPECT_EQ(BomImport::headerKey(QString::fromLatin1(heading)), QString::fromLatin1(key)) << heading;
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Part-Number")), QStringLiteral("part-number"));
    EXPECT_EQ(BomImport::headerKey(QStringLiteral("Qty (pcs)")), QStringLiteral("qty_(pcs)"));
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

// Where two columns mean the same, the one whose cells carry the information is read.
TEST(BomParse, OfTwoColumnsOfOneMeaningTheOneThatTellsLinesApartIsRead)
{
    using Lines = QList<std::tuple<QString, QString, qint64>>;  // name, part number ("" none), quantity
    const std::pair<const char*, Lines> cases[] = {
        // A footprint's device names every capacitor alike; the value tells them apart.
        {"Qty,Value,Device,Parts\n1,1.2nF,CAP_CERAMIC_0805MP,C12\n8,100nF,CAP_CERAMIC_0805MP,\"C1, C2\"\n",
         {{"1.2nF", "", 1}, {"100nF", "", 8}}},
        // A column counting the lines is neither a name nor a part number.
        {"Component,Value,Part,Qty\n1,10k,RC0603-10K,2\n2,4k7,RC0603-4K7,1\n", {{"10k", "RC0603-10K", 2}, {"4k7", "RC0603-4K7", 1}}},
        {"Part,Value,Qty\n1,LM358,2\n2,NE555,1\n3,LM358,1\n", {{"LM358", "", 3}, {"NE555", "", 1}}},
        // A maker's number outranks the bare heading "Part", which then names the line.
        {"#,MPN,Part,BOM Qty\n1,402870,Case type 2,1\n2,,Silicone pads,4\n",
         {{"Case type 2", "402870", 1}, {"Silicone pads", "", 4}}},
        // An EDA parts list's "Part" column holds reference designators.
        {"Part,Value,Package\nC1,100 nF,0805\nC2,100 nF,0805\nR1,10k,0805\n", {{"100 nF", "", 2}, {"10k", "", 1}}},
        // Two LEDs of one value are two parts when their shop numbers differ.
        {"Comment,Designator,Footprint,LCSC Part #\nLED,\"D1,D2\",0603,C2290\nLED,D3,0603,C2286\n",
         {{"LED", "C2290", 2}, {"LED", "C2286", 1}}},
        // Eagle's own designators ("U$1") are designators too.
        {"Part,Value,MPN\nC1,100n,CL05\nU$1,BOARD,\nR1,10k,\n", {{"100n", "CL05", 1}, {"BOARD", "", 1}, {"10k", "", 1}}},
        // "ANY" in a part-number column names no part.
        {"Reference,Value,MPN\nC1,1u,ANY\nC2,1u,any\nU1,RGB,UHD1\n", {{"1u", "", 2}, {"RGB", "UHD1", 1}}},
        // A design tool's first numbered alternative stands in where no column says it plainly.
        {"Name,Manufacturer 1,Manufacturer Part Number 1\nCap 100n,Yageo,CC0603\n", {{"Cap 100n", "CC0603", 1}}},
        {"Value,PN,PN_1\n10k,RC1,ALT1\n4k7,RC2,ALT2\n", {{"10k", "RC1", 1}, {"4k7", "RC2", 1}}},
        // A generic description folds different values into one line; a value folds only places.
        {"Reference,Quantity,Value/Part,Description\nC1,5,10uF,Ceramic Capacitor\nC2,4,22uF,Ceramic Capacitor\n"
         "C3,17,100nF,Ceramic Capacitor\nJ1,1,Conn_01x04,I2C Header\nJ4,1,Conn_01x04,UART Header\n",
         {{"10uF", "", 5}, {"22uF", "", 4}, {"100nF", "", 17}, {"Conn_01x04", "", 2}}},
        // A description that labels each place on the board names no part; the value does.
        {"Ref,Qty,Description,Value,Part Number\nC1,1,Input decoupling,10uF,GRM21\nC2,1,LDO input,10uF,GRM21\n"
         "C3,1,LDO output,10uF,GRM21\nR1,1,Pull-up,10k,CRCW\nR2,1,Divider,10k,CRCW\nU1,1,Regulator,TPS7A47,TPS7A47\n",
         {{"10uF", "GRM21", 3}, {"10k", "CRCW", 2}, {"TPS7A47", "TPS7A47", 1}}},
        // An assembly house's numbers stand in for a maker's only where the maker's are missing.
        {"Value,JLCPCB,Mfg Part #\n100n,C1525,CL05B104\n10k,C25744,\n", {{"100n", "CL05B104", 1}, {"10k", "C25744", 1}}},
        // A second heading row naming the sellers is no part; a cell's closing line break is no part of it.
        {"Qty,MPN,Description,SKU,SKU\n,,,Digi-Key,Mouser\n12,VJ0805,\"0.1uF 25V\n\",720-1537,77-VJ\n",
         {{"0.1uF 25V", "VJ0805", 12}}},
        {"Qty,MPN,Description,SKU,SKU\n,,,RS Components,Onlinecomponents.com\n2,NCP1117,LDO,NCP-1,\n", {{"LDO", "NCP1117", 2}}},
        // Some shop's numbers are the part numbers only where the list has none of its own.
        {"Comment,Vendor,Vendor ID,Quantity\n100n,Digikey,399-1-ND,1\n", {{"100n", "399-1-ND", 1}}},
        {"Part,Quantity,Supplier Part #\n74LS00,1,595-SN74LS00N\n", {{"74LS00", "74LS00", 1}}},
        {"Order code,Quantity,Description\n885012207098,12,MLCC 0.1uF\n", {{"MLCC 0.1uF", "885012207098", 12}}},
        {"Part,Amount,RS Components Part No.,Comment\nFuse 1A,2,563-558,\nPCB,2,,See docs\nLead,4,233-4651,\n",
         {{"Fuse 1A", "563-558", 2}, {"PCB", "", 2}, {"Lead", "233-4651", 4}}},
        // A description on a few lines is a note; the value names the lines, and so does a bare
        // "Part" beside the numbers.
        {"Value,Device,DESCRIPTION\n10k,R-EU,\nICM-20601,ICM-20601,IMU\n1k,R-EU,\n", {{"10k", "", 1}, {"ICM-20601", "", 1}, {"1k", "", 1}}},
        {"Part,Qty,Part No,Description\nSpeaker,1,,\nMotor,1,307-103,Pico Vibe\nPCB,1,,\n",
         {{"Speaker", "", 1}, {"Motor", "307-103", 1}, {"PCB", "", 1}}},
        // An untitled column of whole numbers holds the quantities; one counting the lines does not.
        {",,Name,Source\n,Mechanical,,\n,4,Shaft,Misumi\n,22,Screw,McMaster\n", {{"Shaft", "", 4}, {"Screw", "", 22}}},
        {",Name\n1,Shaft\n2,Screw\n", {{"Shaft", "", 1}, {"Screw", "", 1}}},
        // A line without a name is the kind of part its type says.
        {"RefDes,Type,Value,Quantity\nC1,CAP_0603,100n,1\nTP1,Test Point,,1\nTP2,Test Point,,1\n", {{"100n", "", 1}, {"Test Point", "", 2}}},
    };
    for (const auto& [csv, expected] : cases) {
        Lines got;
        for (const auto& m : BomImport::match(BomImport::parse(QByteArray(csv)), {}))
            got.append({m.name, m.partNumber.value_or(QString()), m.quantity});
        EXPECT_EQ(got, expected) << csv;
    }
}

// Lines marked not to be fitted and lines that sum the list up are left out and counted.
TEST(BomParse, NotFittedAndSummaryLinesAreLeftOutAndCounted)
{
    const std::tuple<const char*, QStringList, BomImport::LeftOut> cases[] = {
        {"Name,Qty,DNP\nR1,1,DNP\nR2,1,\nR3,1,no\n", {"R2", "R3"}, {1, 0}},
        {"Name,Qty,Fitted\nA,1,Not Fitted\nB,1,Fitted\n", {"B"}, {1, 0}},
        {"Value,Qty\n10k DNP,1\n(DNF),1\nDNP-5,1\ndo not fit,2\n", {"DNP-5"}, {3, 0}},
        // A quantity of 0 with no reference places the part nowhere; with references they count.
        {"Comment,Designator,LCSC,Quantity\n100k,,C100048,0\n1k,R21,C103209,0\n", {"1k"}, {1, 0}},
        {"Item,Qty,Price\nLM317T,2,1.00\nTotal EGP,,40\nTotal USD (actual),,2\nShipping,1,5\n", {"LM317T"}, {0, 3}},
        {"Reference,Value,Qty\nR1,10k,1\nPCB shipping,EuroPacket,1\nTOTAL PRICE,,\n", {"10k"}, {0, 2}},
        // A line that names a part number is a part, whatever its name says.
        {"Name,MPN,Qty\nTotal station,TS-1,1\n", {"Total station"}, {0, 0}},
        // A DNP column needs a mark: a part number that slid into it on a row with a cell too many is none.
        {"Qty,Value,PARTNO,DNP\n1,25MHz,,SX3M25\n1,10k,RC1,x\n", {"25MHz"}, {1, 0}},
        // The mark alone in the part-number or the value cell.
        {"Value,PN\n10k,RC0201\nFiducial,DNP\nNP,RC0402\n", {"10k"}, {2, 0}},
        // Notes below the list, and a "Total" in a first column the import doesn't read.
        {"Component,Value,Qty\n1,10k,2\n2,4k7,1\n\nComponent Count:,3\nBoM Date:,8/24/2022\n", {"10k", "4k7"}, {0, 2}},
        {"Identifier,Plain Name,Part Number,Price\nU1,MCU,PIC16,$2\nTotal,,,$3.94\n", {"MCU"}, {0, 1}},
        {"Component,Part_Number,Qty,Supplier\nSSD,MZ-77E1T0B,1,Amazon\n,SUBTOTAL,1,TOTAL: $473.00\n", {"SSD"}, {0, 1}},
        // A sum labelled in a column the import doesn't read; headings over groups of lines.
        {"Quantity,Item,Unit Price,Price\n1,ATSAM4E,$11.09,$11.09\n,,Total:,$56.37\n", {"ATSAM4E"}, {0, 1}},
        {"Item,Qty Needed,Unit Cost\nPower,,\n9V battery,1,2.5\n,,\nSensors,,\nO2 sensor,1,59\n,Cost,61.5\n", {"9V battery", "O2 sensor"}, {0, 1}},
        {"Part,Qty,link\n,,\nIdler BOM,,\n,,\nF623 bearing,4,\nM3 nut,2,\n", {"F623 bearing", "M3 nut"}, {0, 0}},
        {"Name,Qty\nA,1\nB\n", {"A", "B"}, {0, 0}},
        {"MPN,Qty\nABC123,\n", {"ABC123"}, {0, 0}},
        {"Item,Qty,Note\nBolt,2,total of 4 bags\n", {"Bolt"}, {0, 0}},
        // A notes column marks a line only with a cell that is nothing but the mark.
        {"Reference,Value,Notes\nC1,1uF,\nP1,USB pads,DNP\nR1,10k,DNP on 3V3 boards\n", {"1uF", "10k"}, {1, 0}},
        {"Name,Qty,Remarks\nJ1,1,not fitted\nJ2,1,fitted\n", {"J2"}, {1, 0}},
        // References that say "as above" make the line the above one's alternative.
        {"Qty,Value,Parts\n4,LUXEON,\"LED-1, LED-2\"\n\xE2\x80\x9E,Deep red,\xE2\x80\x9E\n", {"LUXEON"}, {1, 0}},
        {"Qty,Value,Parts\n2,10k,R1 R2\n1,Deep red,\"\xE2\x80\x9E R3\"\n", {"10k", "Deep red"}, {0, 0}},
    };
    for (const auto& [csv, names, left] : cases) {
        BomImport::LeftOut leftOut;
        QStringList got;
        for (const BomImport::Row& r : BomImport::parse(QByteArray(csv), &leftOut))
            got << r.name;
        EXPECT_EQ(got, names) << csv;
        EXPECT_EQ(leftOut, left) << csv;
    }
    // The preview says what was left out, after its fixed sentence.
    BomImport::MatchList list;
    list.leftOut = {2, 1};
    EXPECT_EQ(BomImportPlan::summaryText(list),
              QStringLiteral("0 parts · 0 items. Importing allocates stock — parts you're short on show as Out. "
                             "Left out: 2 lines marked not fitted, 1 total line."));
}

// Files the import doesn't read are refused with the reason found.
TEST(BomParse, FormatsOutsideTheRulesAreRefusedForWhatTheyAre)
{
    const std::pair<QByteArray, ImportError::Kind> cases[] = {
        {"Qty;Value;Device;Parts\n1;10k;R-EU;R1\n", ImportError::Kind::semicolons},
        {"\"ID\";\"Name\";\"Quantity\"\n\"1\";\"10k\";\"2\"\n", ImportError::Kind::semicolons},
        {"Name\tQty\nLM358\t2\n", ImportError::Kind::tabs},
        {"BILL OF MATERIALS\n---\n\nQty\t\tPart\t\tPackage\n1\t\tAMS1117\t\tSOT-223\n", ImportError::Kind::tabs},
        {"Bill of materials\nQty;Value;Parts\n1;10k;R1\n", ImportError::Kind::semicolons},
        {"Type,Value\nResistor,\n", ImportError::Kind::noRows},
        {QByteArray("PK\x03\x04\x14\x00\x06\x00[Content_Types].xml", 31), ImportError::Kind::workbook},
        {QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\x00\x00", 10), ImportError::Kind::workbook},
        {"\"Source:\",\"board.sch\"\n\"Tool:\",\"Eeschema\"\n\"Ref\",\"Qnty\",\"Value\"\n\"C1\",\"1\",\"10n\"\n",
         ImportError::Kind::linesAboveHeader},
        {"Colour,Weight\nred,2\n", ImportError::Kind::noKnownHeader},
        {"Name,Qty\n,,\n", ImportError::Kind::noRows},
    };
    for (const auto& [bytes, kind] : cases)
        EXPECT_EQ(failure(bytes), kind) << bytes.constData();
    try {
        BomImport::parse("Title\n\nName,Qty\nA,1\n");
        ADD_FAILURE();
    } catch (const ImportError& e) {
        EXPECT_EQ(e.line(), 3);
        EXPECT_TRUE(e.description().contains(QStringLiteral("line 3"))) << e.description().toStdString();
    }
    EXPECT_TRUE(ImportError(ImportError::Kind::semicolons).description().startsWith(QStringLiteral("This file separates its cells with semicolons")));
    EXPECT_TRUE(ImportError(ImportError::Kind::workbook).description().startsWith(QStringLiteral("This is a spreadsheet workbook, not a CSV file")));
    EXPECT_TRUE(ImportError(ImportError::Kind::noKnownHeader).description().startsWith(QStringLiteral("No column the import knows (Part, Qty,")));
}

// An invisible byte-order mark at the start of any cell is no part of it.
TEST(BomParse, ByteOrderMarksInsideTheTextAreDropped)
{
    const auto m = BomImport::match(
        BomImport::parse("Name,Qty\n\xEF\xBB\xBFLM358,1\nLM358,2\n\xEF\xBB\xBF\n\"\xEF\xBB\xBFNE555\",1\n"), {});
    ASSERT_EQ(m.size(), 2);
    EXPECT_EQ(m[0].name, QStringLiteral("LM358"));
    EXPECT_EQ(m[0].quantity, 3);
    EXPECT_EQ(m[1].name, QStringLiteral("NE555"));
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

TEST(BomParse, ReadingAFileRefusesHugeFilesAndReportsMissingOnes)
{
    const QString folder = freshFolder();
    const QString good = folder + QStringLiteral("/bom.csv");
    QFile f(good);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Part,Qty\nRC0603,2\n");
    f.close();
    auto result = BomFileReader::read(good, BomImport::Matcher({})).result();
    EXPECT_TRUE(result.error.isEmpty());
    ASSERT_EQ(result.matches.size(), 1);
    EXPECT_EQ(result.matches.name(0), QStringLiteral("RC0603"));

    const QString empty = folder + QStringLiteral("/empty.csv");
    QFile e(empty);
    ASSERT_TRUE(e.open(QIODevice::WriteOnly));
    e.close();
    EXPECT_EQ(BomFileReader::readNow(empty, BomImport::Matcher({})).error, QStringLiteral("That file is empty."));

    EXPECT_FALSE(BomFileReader::readNow(folder + QStringLiteral("/missing.csv"), BomImport::Matcher({})).error.isEmpty());

    const QString huge = folder + QStringLiteral("/huge.csv");
    QFile h(huge);
    ASSERT_TRUE(h.open(QIODevice::WriteOnly));
    ASSERT_TRUE(h.resize(BomImport::maxFileBytes + 1));
    h.close();
    result = BomFileReader::readNow(huge, BomImport::Matcher({}));
    EXPECT_TRUE(result.matches.isEmpty());
    EXPECT_EQ(result.error, ImportError(ImportError::Kind::tooLarge).description());
}

TEST(BomParse, ALongFileReportsProgressAndCanBeStopped)
{
    QByteArray csv("Name,Qty\n");
    for (int i = 0; i < 60000; ++i)
        csv += "part " + QByteArray::number(i) + ",1\n";
    const QString path = freshFolder() + QStringLiteral("/long.csv");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(csv);
    f.close();
    QList<int> reports;
    auto result = BomFileReader::readNow(path, BomImport::Matcher({}), [&](int done) {
        reports << done;
        return true;
    });
    EXPECT_EQ(result.matches.size(), 60000);  // every line, once
    ASSERT_GE(reports.size(), 2);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_EQ(reports.last(), BomFileReader::progressRange);

    result = BomFileReader::readNow(path, BomImport::Matcher({}), [](int) { return false; });
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.matches.isEmpty());
    EXPECT_TRUE(result.error.isEmpty());
}

// The rules of reading bills of materials, each group with real files as its data.
QByteArray bomFile(const char* name)
{
    QFile f(QStringLiteral(CORVALLEN_TEST_DATA "/bom/") + QString::fromLatin1(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

using Expected = QList<std::pair<QString, qint64>>;

Expected namesAndQuantities(const QList<BomImport::Row>& rows)
{
    Expected out;
    for (const BomImport::Row& r : rows)
        out.append({r.name, r.quantity});
    return out;
}

TEST(BomQuoting, AQuoteOpensOnlyAtTheStartOfAField)
{
    // Inch marks inside a value are characters: no line after them is swallowed.
    EXPECT_EQ(namesAndQuantities(BomImport::parse(bomFile("quoting/inch-marks.csv"))),
              (Expected{{QStringLiteral("0.1\" header"), 2},
                        {QStringLiteral("3.5\" drive bay"), 1},
                        {QStringLiteral("R 10k"), 4},
                        {QStringLiteral("12\" ribbon \"grey\""), 1},
                        {QStringLiteral("LM358"), 1}}));
    // Quoted fields hold commas, doubled quotes and line breaks; blanks may stand before the
    // opening quote; text after the closing quote joins the field.
    EXPECT_EQ(namesAndQuantities(BomImport::parse(bomFile("quoting/quoted-fields.csv"))),
              (Expected{{QStringLiteral("Cap, 100n"), 2},
                        {QStringLiteral("The \"big\" one"), 1},
                        {QStringLiteral("Two\nlines"), 1},
                        {QStringLiteral("padded, quoted"), 3},
                        {QStringLiteral("abcd"), 1},
                        {QStringLiteral("abc\"d\""), 1},
                        {QStringLiteral("last"), 5}}));
}

TEST(BomQuantities, TheFirstNumberInTheCellRoundedUp)
{
    EXPECT_EQ(namesAndQuantities(BomImport::parse(bomFile("quantities/first-number.csv"))),
              (Expected{{QStringLiteral("pcs ten"), 10},
                        {QStringLiteral("thousand"), 1000},
                        {QStringLiteral("half"), 3},
                        {QStringLiteral("percent"), 5},
                        {QStringLiteral("negative"), 3},
                        {QStringLiteral("million"), 1234567},
                        {QStringLiteral("decimal comma"), 2},
                        {QStringLiteral("zero point five"), 1},
                        {QStringLiteral("times"), 4},
                        {QStringLiteral("four point oh"), 4},
                        {QStringLiteral("four decimals after a comma"), 2}}));
}

TEST(BomQuantities, WithoutAUsableNumberReferencesCountThenOne)
{
    // 0, nothing, a word, a fraction sign, full-width digits and a number beyond 64 bits give
    // no quantity; a reference range such as R5-R8 is one reference.
    EXPECT_EQ(namesAndQuantities(BomImport::parse(bomFile("quantities/fallbacks.csv"))),
              (Expected{{QStringLiteral("10k"), 4},
                        {QStringLiteral("4k7"), 1},
                        {QStringLiteral("100n"), 2},
                        {QStringLiteral("NE555"), 1},
                        {QStringLiteral("LM358"), 1},
                        {QStringLiteral("TL072"), 1}}));
}

// A line may list thousands of designators; the cell is cut for keeping, but every one of them
// counts, whether the list fits the cell or not.
TEST(BomQuantities, EveryReferenceOfALongListCounts)
{
    QByteArray references;
    for (int i = 1; i <= 3000; ++i)
        references += (i > 1 ? ", C" : "C") + QByteArray::number(i);
    ASSERT_GT(references.size(), BomImport::maxCellLength);
    const auto rows = BomImport::parse("Designator,Comment\n\"" + references + "\",100n\nR1;R2 R3,10k\n");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].name, QStringLiteral("100n"));
    EXPECT_EQ(rows[0].quantity, 3000);
    EXPECT_EQ(rows[1].quantity, 3);
}

TEST(BomEncodings, EveryEncodingASpreadsheetWritesGivesTheSameParts)
{
    const QList<BomImport::Row> expected{
        {QString::fromUtf8("Überträger"), std::nullopt, 2, QString::fromUtf8("Würth"), std::nullopt},
        {QString::fromUtf8("R 10µ – €"), std::nullopt, 3, QStringLiteral("Yageo"), std::nullopt}};
    for (const char* file : {"encodings/utf8-bom.csv", "encodings/utf16le.csv", "encodings/utf16be.csv",
                             "encodings/windows-1252.csv"})
        EXPECT_EQ(BomImport::parse(bomFile(file)), expected) << file;
}

// A UTF-8 file with a cell typed in another program: each reads as it was written, also where a
// character falls across two of the slices a long file is read in.
TEST(BomEncodings, Utf8WithStrayWindows1252BytesReadsBoth)
{
    EXPECT_EQ(BomImport::decode("Name,Qty\nRGB 120\xC2\xB0,1\nRES\xA0" "10K \x80,2\n"),
              QString::fromUtf8("Name,Qty\nRGB 120°,1\nRES\u00A010K €,2\n"));
    QByteArray bytes("Name,Qty\n");
    while (bytes.size() < 256 * 1024 - 20)
        bytes += "f,1\n";
    bytes += QByteArray(256 * 1024 - 1 - bytes.size(), 'g') + "\xC2\xB0,1\nB\xA0,1\n";
    const auto rows = BomImport::parse(bytes);
    ASSERT_GE(rows.size(), 2);
    EXPECT_TRUE(rows[rows.size() - 2].name.endsWith(QChar(0xB0))) << rows[rows.size() - 2].name.right(4).toStdString();
    EXPECT_EQ(rows.last().name, QStringLiteral("B"));
}

TEST(BomEncodings, DamagedUtf16IsADecodingFailureNotReplacementCharacters)
{
    for (const char* file : {"encodings/utf16-odd-byte.csv", "encodings/utf16-lone-surrogate.csv"}) {
        EXPECT_FALSE(BomImport::decode(bomFile(file)).contains(QChar(0xFFFD))) << file;
        // Read as Windows-1252 instead, the header names no column: no made-up parts.
        EXPECT_EQ(failure(bomFile(file)), ImportError::Kind::noKnownHeader) << file;
    }
}

TEST(BomEncodings, RunsOfByteOrderMarksAreSkippedWithoutCopies)
{
    for (int marks : {1, 20000, 40000}) {
        QByteArray bytes;
        for (int i = 0; i < marks; ++i)
            bytes += "\xEF\xBB\xBF";
        bytes += "Name,Qty\nLM358,2\n";
        const auto rows = BomImport::parse(bytes);
        ASSERT_EQ(rows.size(), 1) << marks;
        EXPECT_EQ(rows[0].quantity, 2);
    }
    EXPECT_EQ(BomImport::decode(QByteArray("\xEF\xBB\xBF")), QString());
    EXPECT_EQ(failure(QByteArray("\xEF\xBB\xBF  \n")), ImportError::Kind::empty);
    // UTF-16 that repeats its mark.
    QByteArray utf16("\xFF\xFE\xFF\xFE", 4);
    const QString text = QStringLiteral("Name,Qty\nLM358,2\n");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    EXPECT_EQ(BomImport::decode(utf16), text);
}

TEST(BomLimits, OverlongCellsAreCutWithAnEllipsis)
{
    QByteArray csv("Name,Qty\n");
    csv += QByteArray(10 * 1024 * 1024, 'x') + ",2\n";
    // A quote that never closes takes the rest of the file, cut all the same.
    csv += "ok,1\n\"" + QByteArray(200000, 'y') + "\n";
    const auto rows = BomImport::parse(csv);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].name.size(), BomImport::maxCellLength);
    EXPECT_TRUE(rows[0].name.endsWith(QChar(0x2026)));
    EXPECT_EQ(rows[0].name.count(u'x'), BomImport::maxCellLength - 1);
    EXPECT_EQ(rows[0].quantity, 2);
    EXPECT_EQ(rows[1].name, QStringLiteral("ok"));
    EXPECT_EQ(rows[2].name.size(), BomImport::maxCellLength);
    // A cell of exactly the limit stays whole.
    const QByteArray exact(BomImport::maxCellLength, 'z');
    EXPECT_EQ(BomImport::parse("Name\n" + exact + "\n")[0].name, QString::fromLatin1(exact));
}

// Only the columns an import reads are kept: a header or a line of hundreds of thousands of
// cells (a file that is one long line, a spreadsheet's stray columns) is read cell by cell, and
// the columns that matter are found wherever they stand.
TEST(BomLimits, EndlessRowsAreReadCellByCell)
{
    QByteArray header;
    for (int c = 0; c < 200000; ++c)
        header += "Note " + QByteArray::number(c) + ',';
    QByteArray filler;
    for (int c = 0; c < 200000; ++c)
        filler += "n,";
    const auto rows = BomImport::parse(header + "Value,Qty,Description\n" + filler + "10k,3,\n" + filler + "4k7,,Resistor 4k7");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].name, QStringLiteral("10k"));  // the later, blank name column does not replace it
    EXPECT_EQ(rows[0].quantity, 3);
    EXPECT_EQ(rows[1].name, QStringLiteral("Resistor 4k7"));
    EXPECT_EQ(rows[1].quantity, 1);
    // Cells under no heading are looked at for quantities, one by one.
    const auto untitled = BomImport::parse(QByteArray(200000, ',') + "Value\n" + filler + "10k\n");
    ASSERT_EQ(untitled.size(), 1);
    EXPECT_EQ(untitled[0].name, QStringLiteral("10k"));
    // A file that is one line of cells is a header without parts, however long.
    try {
        BomImport::parse(header + header);
        ADD_FAILURE() << "a header alone gave parts";
    } catch (const BomImport::ImportError& e) {
        EXPECT_EQ(e.kind(), BomImport::ImportError::Kind::noKnownHeader);
    }
}

// Bills of materials exported by real design tools and shops, from public hardware repositories
// (real-boms/expected.tsv names each file's origin and licence). Each line of the manifest says
// what a person expects of one file: the parts it gives (lines, pieces, lines left out, a few
// lines by name, part number and quantity) or the reason it is refused.
const char* kindName(ImportError::Kind kind)
{
    switch (kind) {
    case ImportError::Kind::empty: return "empty";
    case ImportError::Kind::noRows: return "noRows";
    case ImportError::Kind::tooLarge: return "tooLarge";
    case ImportError::Kind::semicolons: return "semicolons";
    case ImportError::Kind::tabs: return "tabs";
    case ImportError::Kind::workbook: return "workbook";
    case ImportError::Kind::linesAboveHeader: return "linesAboveHeader";
    case ImportError::Kind::noKnownHeader: return "noKnownHeader";
    }
    return "?";
}

TEST(BomRealFiles, EveryFileImportsAsAPersonExpectsOrIsRefusedForItsReason)
{
    QFile manifest(QStringLiteral(CORVALLEN_TEST_DATA "/real-boms/expected.tsv"));
    ASSERT_TRUE(manifest.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(manifest.readAll()).split(u'\n', Qt::SkipEmptyParts);
    int files = 0;
    for (const QString& line : lines.mid(1)) {
        // file, split, origin, licence, expect, lines, pieces, not fitted, totals, samples
        const QStringList f = line.split(u'\t');
        ASSERT_EQ(f.size(), 10) << line.toStdString();
        const std::string file = f[0].toStdString();
        ++files;
        QFile data(QStringLiteral(CORVALLEN_TEST_DATA "/real-boms/") + f[0]);
        ASSERT_TRUE(data.open(QIODevice::ReadOnly)) << file;
        BomImport::LeftOut leftOut;
        QList<BomImport::Match> matches;
        QString refusal = QStringLiteral("parts");
        try {
            matches = BomImport::match(BomImport::parse(data.readAll(), &leftOut), {});
        } catch (const ImportError& e) {
            refusal = QString::fromLatin1(kindName(e.kind()));
        }
        QStringList got;
        qint64 pieces = 0;
        for (const auto& m : matches) {
            pieces += m.quantity;
            got << m.name + u'|' + m.partNumber.value_or(QStringLiteral("-")) + u'|' + QString::number(m.quantity);
        }
        EXPECT_EQ(refusal, f[4]) << file;
        if (f[4] != QStringLiteral("parts"))
            continue;
        // "?" marks a count the import is known to get wrong (real-boms/README.md says why).
        if (f[5] != QStringLiteral("?"))
            EXPECT_EQ(matches.size(), f[5].toLongLong()) << file << "\n  " << got.join(QStringLiteral("\n  ")).toStdString();
        const QString unchecked = QStringLiteral("?");
        if (f[6] != unchecked)
            EXPECT_EQ(pieces, f[6].toLongLong()) << file;
        if (f[7] != unchecked)
            EXPECT_EQ(leftOut.notFitted, f[7].toLongLong()) << file;
        EXPECT_EQ(leftOut.summaries, f[8].toLongLong()) << file;
        for (const QString& sample : f[9].split(QStringLiteral(" ;; "), Qt::SkipEmptyParts))
            EXPECT_TRUE(got.contains(sample)) << file << ": no line " << sample.toStdString();
    }
    EXPECT_GE(files, 183);
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

// A list that names a part by its number finds the part whose number it is, after the name.
TEST_F(BomMatchTest, ANameThatIsAnInventoryPartNumberFindsThatPart)
{
    Component* regulator = component(QStringLiteral("LM317T adjustable regulator"), QStringLiteral("LM317T"));
    Component* named = component(QStringLiteral("NE555"), QStringLiteral("NE555P"));
    Component* numbered = component(QStringLiteral("Timer"), QStringLiteral("ne555"));
    const auto m = BomImport::match({row(QStringLiteral("lm317t"), std::nullopt, 1), row(QStringLiteral("NE555"), std::nullopt, 2),
                                     row(QStringLiteral("LM317T"), QStringLiteral("LM317T-DG"), 1)},
                                    {regulator, named, numbered});
    ASSERT_EQ(m.size(), 3);
    EXPECT_EQ(m[0].existing, regulator);
    EXPECT_EQ(m[1].existing, named);  // the name's own match comes first
    EXPECT_EQ(m[2].existing, nullptr);  // a row with its own part number is not taken for another
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

// Matches keep their texts compactly; whatever the script, a name or part number comes back
// exactly as the file wrote it, and names that differ only in case still merge.
TEST_F(BomMatchTest, TextsOfEveryScriptComeBackAsWritten)
{
    const QString greek = QStringLiteral("Ωmega Äöü filter");
    const QString cjk = QStringLiteral("抵抗器 10kΩ");
    const QString astral = QStringLiteral("LED \U0001F534 red");
    const auto m = BomImport::match({row(greek, QStringLiteral("ΩF-1"), 1),
                                     row(cjk, std::nullopt, 2),
                                     row(QStringLiteral("ωMEGA äÖÜ FILTER"), QStringLiteral("ωf-1"), 3),
                                     row(astral, QStringLiteral("\U0001F534-5mm"), 4)},
                                    {});
    ASSERT_EQ(m.size(), 3);
    EXPECT_EQ(m[0].name, greek);
    EXPECT_EQ(m[0].partNumber, QStringLiteral("ΩF-1"));
    EXPECT_EQ(m[0].quantity, 4);
    EXPECT_EQ(m[1].name, cjk);
    EXPECT_EQ(m[1].partNumber, std::nullopt);
    EXPECT_EQ(m[2].name, astral);
    EXPECT_EQ(m[2].partNumber, QStringLiteral("\U0001F534-5mm"));
    const BomImport::MatchList list(m);
    EXPECT_EQ(list.name(1), cjk);
    EXPECT_EQ(list.partNumber(2), m[2].partNumber);
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
