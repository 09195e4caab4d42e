#include "Corvallen/Exports/BusinessProfile.h"
#include "Corvallen/Exports/MoneyFormatter.h"
#include "Corvallen/Exports/ProjectSheetBlocks.h"
#include "Corvallen/Exports/QuoteBlocks.h"
#include "Corvallen/Exports/SheetBuilders.h"
#include "Corvallen/Exports/SheetFormat.h"
#include "Corvallen/Exports/SheetProject.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/DomainError.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "support/IcuExpect.h"
#include "support/TestStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QTimeZone>

#include <cmath>
#include <ctime>
#include <thread>

#include <poppler/qt6/poppler-qt6.h>

#include <gtest/gtest.h>

namespace {

// The text of every page of a written PDF, as a reader would extract it.
QStringList pdfPageTexts(const QString& path)
{
    QStringList out;
    auto doc = Poppler::Document::load(path);
    if (!doc)
        return out;
    for (int i = 0; i < doc->numPages(); ++i) {
        auto page = doc->page(i);
        out << (page ? page->text(QRectF()) : QString());
    }
    return out;
}

class SheetBuildersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        container = corvallen::test::openTestStore();
        ctx = &container->mainContext();
        project = ctx->insert(new Project(QStringLiteral("Bench PSU"), QStringLiteral("Rebuild of a linear supply"), {}));
        SettingsStore::shared().remove(QStringLiteral("business.currency"));
        SettingsStore::shared().remove(QStringLiteral("business.name"));
        SettingsStore::shared().remove(QStringLiteral("business.vatRate"));
    }
    void TearDown() override
    {
        for (const QString& f : written)
            QFile::remove(f);
        QLocale::setDefault(QLocale::c());
    }

    ProjectComponent* addPart(const QString& name, qint64 qty, std::optional<double> price, bool withComponent = true)
    {
        Component* c = nullptr;
        if (withComponent) {
            c = ctx->insert(new Component(name));
            c->setResellPrice(price);
        }
        return ctx->insert(new ProjectComponent(c, project, qty));
    }
    Capture* addCapture(const QString& title, const QDateTime& when)
    {
        auto* c = ctx->insert(new Capture(title + QStringLiteral(".png")));
        c->setTitle(title);
        c->setImportedAt(when);
        c->setProject(project);
        return c;
    }
    QString keep(const QString& path)
    {
        written << path;
        return path;
    }

    std::unique_ptr<ModelContainer> container;
    ModelContext* ctx = nullptr;
    Project* project = nullptr;
    QStringList written;
};

TEST(SheetFormat, NumbersAndDatesFollowTheLocale)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(SheetFormat::numberText(2.5, 2), QStringLiteral("2.5"));
    EXPECT_EQ(SheetFormat::numberText(20, 2), QStringLiteral("20"));
    EXPECT_EQ(SheetFormat::numberText(17.125, 2), QStringLiteral("17.13"));
    EXPECT_EQ(SheetFormat::longDateText(QDate(2026, 12, 6)), QStringLiteral("6 December 2026"));
    QLocale::setDefault(QLocale::c());
}

// The sheet's and quote's date is the locale's long date without the weekday: what ICU writes for
// day, month name and year, never a weekday's leftover comma (Arabic "،") or particle. A figure
// that rounds to nothing carries no sign, whatever minus sign the locale writes.
TEST(SheetFormat, DatesAndZeroesInEveryLocale)
{
    const QDate day(2026, 12, 7);
    for (const QString& name : corvallen::test::icuTestLocales() + QStringList{QStringLiteral("sv_SE"), QStringLiteral("ne_NP")}) {
        const QLocale locale(name);
        QLocale::setDefault(locale);
        const QString date = SheetFormat::longDateText(day);
        EXPECT_EQ(date, corvallen::test::icuDate(day, QStringLiteral("yMMMMd"), name)) << name.toStdString();
        EXPECT_FALSE(date.front().isPunct() || date.front().isSpace() || date.back().isPunct() || date.back().isSpace())
            << name.toStdString() << ": " << date.toStdString();
        if (name != QLatin1String("C"))
            EXPECT_FALSE(date.contains(locale.dayName(day.dayOfWeek()))) << name.toStdString();
        EXPECT_EQ(SheetFormat::numberText(-0.001, 2), locale.zeroDigit()) << name.toStdString();
        EXPECT_EQ(SheetFormat::numberText(-2.5, 2), locale.toString(-2.5, 'f', 1)) << name.toStdString();
    }
    QLocale::setDefault(QLocale::c());
}

TEST_F(SheetBuildersTest, CaptureReadingsAreTrimmedAndOptional)
{
    Capture* c = addCapture(QStringLiteral("Ripple"), QDateTime::currentDateTime());
    EXPECT_FALSE(SheetFormat::captureReadingText(c));
    c->setUnit(QStringLiteral("V"));
    EXPECT_FALSE(SheetFormat::captureReadingText(c));
    c->setValue(3.3);
    EXPECT_EQ(*SheetFormat::captureReadingText(c), QStringLiteral("3.3 V"));
    c->setUnit(std::nullopt);
    EXPECT_EQ(*SheetFormat::captureReadingText(c), QStringLiteral("3.3"));
}

TEST_F(SheetBuildersTest, PartsSortByNameIgnoringCaseWithMissingComponentsFirst)
{
    addPart(QStringLiteral("beta"), 1, 1);
    addPart(QStringLiteral("Alpha"), 1, 1);
    addPart({}, 1, {}, false);
    addPart(QStringLiteral("alpha2"), 1, 1);
    QStringList names;
    for (const SheetPart& p : SheetBuilders::sortedParts(*SheetProject::of(project)))
        names << (p.hasComponent ? p.name : QStringLiteral("—"));
    EXPECT_EQ(names, (QStringList{QStringLiteral("—"), QStringLiteral("Alpha"), QStringLiteral("alpha2"), QStringLiteral("beta")}));

    const QDateTime monday(QDate(2026, 11, 30), QTime(9, 0));
    addCapture(QStringLiteral("Mon"), monday);
    addCapture(QStringLiteral("Wed"), monday.addDays(2));
    addCapture(QStringLiteral("Tue"), monday.addDays(1));
    QStringList titles;
    for (const SheetCapture& c : SheetBuilders::sortedCaptures(*SheetProject::of(project)))
        titles << c.title;
    EXPECT_EQ(titles, (QStringList{QStringLiteral("Wed"), QStringLiteral("Tue"), QStringLiteral("Mon")}));
}

TEST(SheetChunks, SplitsIntoAFirstChunkAndFurtherChunks)
{
    QList<SheetPart> parts;
    EXPECT_TRUE(SheetBuilders::chunkParts(parts, 16, 24).isEmpty());
    for (int i = 0; i < 41; ++i)
        parts.append({true, QString::number(i + 1)});
    const auto chunks = SheetBuilders::chunkParts(parts, 16, 24);
    ASSERT_EQ(chunks.size(), 3);
    EXPECT_EQ(chunks[0].size(), 16);
    EXPECT_EQ(chunks[1].size(), 24);
    EXPECT_EQ(chunks[2].size(), 1);
    EXPECT_EQ(chunks[2].first().name, parts.last().name);
    EXPECT_EQ(SheetBuilders::chunkParts(parts.mid(0, 16), 16, 24).size(), 1);
}

TEST_F(SheetBuildersTest, ProjectSheetPagesFollowPartsAndCaptures)
{
    EXPECT_EQ(SheetBuilders::projectSheetPages(project).size(), 1);
    const QStringList emptyTexts = SheetBuilders::projectSheetPages(project).first().view->texts();
    EXPECT_FALSE(emptyTexts.contains(QStringLiteral("Bill of Materials")));

    for (int i = 0; i < 13; ++i)
        addPart(QStringLiteral("Part %1").arg(i, 2, 10, QLatin1Char('0')), 1, 1);
    auto pages = SheetBuilders::projectSheetPages(project);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(pages[0].fullHeader);
    EXPECT_FALSE(pages[1].fullHeader);
    auto* table = dynamic_cast<SheetBOMTable*>(pages[1].view.get());
    ASSERT_TRUE(table);
    EXPECT_EQ(table->rows().size(), 1);
    EXPECT_EQ(table->startNumber(), 13);

    for (int i = 13; i < 35; ++i)
        addPart(QStringLiteral("Part %1").arg(i, 2, 10, QLatin1Char('0')), 1, 1);
    pages = SheetBuilders::projectSheetPages(project);
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(dynamic_cast<SheetBOMTable*>(pages[2].view.get())->startNumber(), 35);

    for (int i = 0; i < 7; ++i)
        addCapture(QStringLiteral("Capture %1").arg(i), QDateTime::currentDateTime().addSecs(-i));
    pages = SheetBuilders::projectSheetPages(project);
    ASSERT_EQ(pages.size(), 5);
    auto* firstCaptures = dynamic_cast<SheetCaptures*>(pages[3].view.get());
    auto* secondCaptures = dynamic_cast<SheetCaptures*>(pages[4].view.get());
    ASSERT_TRUE(firstCaptures && secondCaptures);
    EXPECT_EQ(firstCaptures->captures().size(), 6);
    EXPECT_TRUE(firstCaptures->showTitle());
    EXPECT_EQ(secondCaptures->captures().size(), 1);
    EXPECT_FALSE(secondCaptures->showTitle());
}

TEST_F(SheetBuildersTest, ProjectSheetPdfHasA4PagesWithTheRightLines)
{
    SettingsStore::shared().setText(QStringLiteral("business.name"), QStringLiteral("Volt & Solder"));
    ProjectComponent* line = addPart(QStringLiteral("LM317"), 4, 0.9);
    line->component()->setManufacturer(QStringLiteral("Texas Instruments"));
    line->component()->setCategory(QStringLiteral("Regulators"));
    for (int i = 0; i < 3; ++i)
        addPart(QStringLiteral("R%1").arg(i), 1, 0.1);
    auto* cap = addCapture(QStringLiteral("Output ripple"), QDateTime::currentDateTime());
    cap->setValue(12.5);
    cap->setUnit(QStringLiteral("mV"));

    const QString path = keep(SheetBuilders::makeProjectSheetPDF(project));
    EXPECT_TRUE(QFileInfo(path).fileName().startsWith(QStringLiteral("ProjectSheet-")));
    auto doc = Poppler::Document::load(path);
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->numPages(), 2);
    EXPECT_EQ(doc->page(0)->pageSizeF(), QSizeF(595, 842));
    const QStringList texts = pdfPageTexts(path);
    EXPECT_TRUE(texts[0].contains(QStringLiteral("Volt & Solder")));
    EXPECT_TRUE(texts[0].contains(QStringLiteral("Bench PSU")));
    EXPECT_TRUE(texts[0].contains(QStringLiteral("Bill of Materials")));
    EXPECT_TRUE(texts[0].contains(QStringLiteral("LM317")));
    EXPECT_TRUE(texts[0].contains(QStringLiteral("Texas Instruments")));
    EXPECT_TRUE(texts[0].contains(QStringLiteral("Page 1 of 2")));
    EXPECT_TRUE(texts[1].contains(QStringLiteral("Output ripple")));
    EXPECT_TRUE(texts[1].contains(QStringLiteral("12.5 mV")));
    EXPECT_TRUE(texts[1].contains(QStringLiteral("Page 2 of 2")));
    // Later pages carry the business name in the slim header, not the project's.
    EXPECT_TRUE(texts[1].contains(QStringLiteral("Volt & Solder")));
}

TEST_F(SheetBuildersTest, CaptureTilesShowOnlyPicturesOfTheCapturesFolderAtPrintResolution)
{
    // A photo-sized capture of green noise (it doesn't compress), and a record whose name leads
    // out of the captures folder to a red picture.
    const QDir captures(DeviceStorage::capturesFolder());
    QImage photo(1800, 1200, QImage::Format_RGB32);
    std::srand(7);
    for (int y = 0; y < photo.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x)
            line[x] = qRgb(0, 100 + std::rand() % 156, 0);
    }
    ASSERT_TRUE(photo.save(captures.filePath(QStringLiteral("Photo.png"))));
    QImage red(400, 300, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(captures.filePath(QStringLiteral("../outside.png"))));
    addCapture(QStringLiteral("Photo"), QDateTime::currentDateTime());
    Capture* outside = ctx->insert(new Capture(QStringLiteral("../outside.png")));
    outside->setTitle(QStringLiteral("Outside"));
    outside->setProject(project);

    const SheetProjectPtr copy = SheetProject::of(project);
    ASSERT_EQ(copy->captures.size(), 2);
    for (const SheetCapture& c : copy->captures)
        if (c.title == QStringLiteral("Outside"))
            EXPECT_TRUE(c.imagePath.isEmpty());

    const QString path = keep(SheetBuilders::makeProjectSheetPDF(copy, BusinessProfile::load()));
    EXPECT_LT(QFileInfo(path).size(), 1024 * 1024) << "the photo is printed at its tile's resolution, not its own";
    auto doc = Poppler::Document::load(path);
    ASSERT_TRUE(doc);
    const QImage page = doc->page(doc->numPages() - 1)->renderToImage(36, 36);
    int green = 0, reddish = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            green += c.green() > 80 && c.red() < 40 && c.blue() < 40;
            reddish += c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
    EXPECT_GT(green, 100) << "the photo's tile shows it";
    EXPECT_EQ(reddish, 0) << "nothing from outside the captures folder";
    QFile::remove(captures.filePath(QStringLiteral("Photo.png")));
    QFile::remove(captures.filePath(QStringLiteral("../outside.png")));
}

TEST_F(SheetBuildersTest, QuotePagesSplitItemisedLinesAndKeepTotalsLast)
{
    for (int i = 0; i < 17; ++i)
        addPart(QStringLiteral("P%1").arg(i, 2, 10, QLatin1Char('0')), 1, 2);
    BusinessProfile profile;
    auto pages = SheetBuilders::quotePages(project, QDate(2026, 12, 7), profile);
    ASSERT_EQ(pages.size(), 2);
    const QStringList first = pages[0].view->texts();
    const QStringList second = pages[1].view->texts();
    EXPECT_TRUE(first.contains(QStringLiteral("QUOTE")));
    EXPECT_FALSE(first.contains(QStringLiteral("Total")));
    EXPECT_FALSE(second.contains(QStringLiteral("QUOTE")));
    EXPECT_TRUE(second.contains(QStringLiteral("Total")));

    project->setQuoteCombined(true);
    pages = SheetBuilders::quotePages(project, QDate(2026, 12, 7), profile);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].view->texts().contains(QStringLiteral("Components (17 items)")));
}

// Quantities are written in the locale's digits like the prices beside them (never Latin digits
// beside Arabic ones), ungrouped so that a column of them reads whole.
TEST_F(SheetBuildersTest, QuantitiesAreWrittenInTheLocalesDigits)
{
    addPart(QStringLiteral("Resistor"), 1250, 0.02);
    for (const char* localeName : {"de_DE", "ar_EG", "hi_IN", "C"}) {
        SCOPED_TRACE(localeName);
        QLocale locale{QString::fromLatin1(localeName)};
        QLocale::setDefault(locale);
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        const QString quantity = locale.toString(1250);
        const QStringList sheet = SheetBuilders::projectSheetPages(project).last().view->texts();
        EXPECT_TRUE(sheet.contains(quantity)) << sheet.join(u'|').toStdString();
        const QStringList quote = SheetBuilders::quotePages(project, QDate(2026, 12, 7), BusinessProfile()).first().view->texts();
        EXPECT_TRUE(quote.contains(quantity)) << quote.join(u'|').toStdString();
        project->setQuoteCombined(true);
        const QStringList combined = SheetBuilders::quotePages(project, QDate(2026, 12, 7), BusinessProfile()).first().view->texts();
        EXPECT_TRUE(combined.contains(QStringLiteral("Components (%1 items)").arg(quantity))) << combined.join(u'|').toStdString();
        project->setQuoteCombined(false);
    }
}

// A project made late in the evening west of Greenwich is stored, and read back, as the next day
// in UTC: the sheet still prints the local day the project was made, as the overview shows it.
TEST_F(SheetBuildersTest, TheSheetDatesAProjectByTheLocalDay)
{
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "America/New_York");
    tzset();
    const QDateTime madeUtc(QDate(2026, 12, 8), QTime(3, 0), QTimeZone::utc());  // 7 December, 22:00 in New York
    project->setCreatedAt(madeUtc);
    const QStringList texts = SheetBuilders::projectSheetPages(project).first().view->texts();
    const QString localDay = SheetFormat::longDateText(madeUtc.toLocalTime().date());
    EXPECT_EQ(madeUtc.toLocalTime().date(), QDate(2026, 12, 7));
    EXPECT_TRUE(texts.contains(localDay)) << texts.join(u'|').toStdString();
    EXPECT_FALSE(texts.contains(SheetFormat::longDateText(QDate(2026, 12, 8))));
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    tzset();
}

TEST_F(SheetBuildersTest, QuoteWithoutPartsHasHeadAndTotalsOnly)
{
    BusinessProfile profile;
    for (bool combined : {false, true}) {
        project->setQuoteCombined(combined);
        const auto pages = SheetBuilders::quotePages(project, QDate(2026, 12, 7), profile);
        ASSERT_EQ(pages.size(), 1);
        const QStringList texts = pages[0].view->texts();
        EXPECT_FALSE(texts.contains(QStringLiteral("ITEM")));
        EXPECT_TRUE(texts.contains(QStringLiteral("Subtotal")));
    }
}

TEST_F(SheetBuildersTest, QuoteTotalsAddLabourAndVat)
{
    addPart(QStringLiteral("Relay"), 2, 10);  // 20
    addPart({}, 3, {}, false);                 // shown at 0
    project->setLabourHours(3);
    project->setLabourRate(40);  // 120
    BusinessProfile profile;
    profile.vatRate = 20;
    SheetQuoteTotals totals(SheetProject::of(project), profile);
    const auto rows = totals.rows();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0].label, QStringLiteral("Labour — 3 h"));
    EXPECT_EQ(rows[0].amount, QStringLiteral("£120.00"));
    EXPECT_EQ(rows[1].amount, QStringLiteral("£140.00"));
    EXPECT_EQ(rows[2].label, QStringLiteral("VAT @ 20%"));
    EXPECT_EQ(rows[2].amount, QStringLiteral("£28.00"));
    EXPECT_EQ(rows[3].label, QStringLiteral("Total"));
    EXPECT_EQ(rows[3].amount, QStringLiteral("£168.00"));

    // A negative flat amount from older data is shown where it is counted.
    project->setLabourFlat(-10);
    profile.vatRate = 0;
    const auto flat = SheetQuoteTotals(SheetProject::of(project), profile).rows();
    ASSERT_EQ(flat.size(), 3);
    EXPECT_EQ(flat[0].label, QStringLiteral("Labour"));
    EXPECT_EQ(flat[0].amount, MoneyFormatter::text(-10));
    EXPECT_EQ(flat[1].amount, QStringLiteral("£10.00"));


    SheetQuoteTable table(SheetBuilders::sortedParts(*SheetProject::of(project)), false);
    const auto lines = table.lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].label, QStringLiteral("—"));
    EXPECT_EQ(lines[0].amount, QStringLiteral("£0.00"));
    EXPECT_EQ(lines[1].unit, QStringLiteral("£10.00"));
    EXPECT_EQ(SheetQuoteTable({}, true).lines().first().label, QStringLiteral("Components (0 items)"));

    // The rows add up to the total to the penny, each figure counted as it is written.
    project->setLabourFlat({});
    project->setLabourHours({});
    addPart(QStringLiteral("Fuse"), 3, 3.335);
    profile.vatRate = 17.5;
    const auto f = SheetQuoteTotals(SheetProject::of(project), profile).figures();
    EXPECT_DOUBLE_EQ(f.subtotal + f.vat, f.total);
    EXPECT_DOUBLE_EQ(std::round(f.vat * 100) / 100, f.vat);
    EXPECT_DOUBLE_EQ(std::round(f.subtotal * 100) / 100, f.subtotal);
}

TEST_F(SheetBuildersTest, AnExportPrintsTheProjectAsItWasWhenItWasChosenAndBuildsOffTheMainThread)
{
    SettingsStore::shared().setText(QStringLiteral("business.currency"), QStringLiteral("EUR"));
    ProjectComponent* kept = addPart(QStringLiteral("LM317"), 2, 1.5);
    ProjectComponent* dropped = addPart(QStringLiteral("Heatsink"), 1, 4);
    auto* ripple = addCapture(QStringLiteral("Output ripple"), QDateTime::currentDateTime());
    ripple->setValue(12.5);
    ripple->setUnit(QStringLiteral("mV"));
    const SheetProjectPtr copy = SheetProject::of(project);
    const BusinessProfile profile = BusinessProfile::load();
    const QString euros = MoneyFormatter(QStringLiteral("EUR")).format(3);

    // What happens in the store and the settings afterwards is not in the export: it was copied.
    kept->component()->setName(QStringLiteral("renamed"));
    ctx->deleteObject(dropped);
    project->setName(QStringLiteral("Other"));
    SettingsStore::shared().setText(QStringLiteral("business.currency"), QStringLiteral("JPY"));

    QString sheet, quote;
    std::thread worker([&] {
        sheet = SheetBuilders::makeProjectSheetPDF(copy, profile);
        quote = SheetBuilders::makeQuotePDF(copy, QDateTime(QDate(2026, 12, 7), QTime(9, 0)), profile);
    });
    worker.join();
    const QString sheetText = pdfPageTexts(keep(sheet)).join(u'\n');
    const QString quoteText = pdfPageTexts(keep(quote)).join(u'\n');
    for (const QString& text : {sheetText, quoteText}) {
        EXPECT_TRUE(text.contains(QStringLiteral("Bench PSU")));
        EXPECT_TRUE(text.contains(QStringLiteral("LM317")));
        EXPECT_TRUE(text.contains(QStringLiteral("Heatsink")));
        EXPECT_FALSE(text.contains(QStringLiteral("renamed")));
    }
    EXPECT_TRUE(sheetText.contains(QStringLiteral("12.5 mV")));
    EXPECT_TRUE(quoteText.simplified().contains(euros.simplified())) << quoteText.toStdString();
}

TEST_F(SheetBuildersTest, ALongProjectIsCopiedASliceAtATime)
{
    QList<ProjectComponent*> lines;
    for (int i = 0; i < 1000; ++i)
        lines << addPart(QStringLiteral("Part %1").arg(i), 2, 0.5);
    SheetProjectReader reader(project);
    int slices = 1;
    EXPECT_FALSE(reader.read(0));
    // A line deleted before its turn is left out; the total counts what was copied.
    ctx->deleteObject(lines.last());
    while (!reader.read(0))
        ++slices;
    EXPECT_GT(slices, 2);
    const SheetProjectPtr copy = reader.result();
    ASSERT_EQ(copy->parts.size(), 999);
    EXPECT_EQ(copy->parts.first().name, QStringLiteral("Part 0"));
    EXPECT_DOUBLE_EQ(copy->partsResellTotal, 999.0);
    EXPECT_EQ(SheetProject::of(project)->parts.size(), 999);
}

TEST_F(SheetBuildersTest, QuotePdfCarriesDateLinesAndTotals)
{
    SettingsStore::shared().setText(QStringLiteral("business.vatRate"), QStringLiteral("12.5"));
    addPart(QStringLiteral("Transformer"), 1, 1200);
    const QString path = keep(SheetBuilders::makeQuotePDF(project, QDateTime(QDate(2026, 12, 6), QTime(10, 0))));
    EXPECT_TRUE(QFileInfo(path).fileName().startsWith(QStringLiteral("Quote-")));
    const QStringList texts = pdfPageTexts(path);
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].contains(QStringLiteral("6 December 2026")));
    EXPECT_TRUE(texts[0].contains(QStringLiteral("Transformer")));
    EXPECT_TRUE(texts[0].contains(QStringLiteral("£1,200.00")));
    EXPECT_TRUE(texts[0].contains(QStringLiteral("VAT @ 12.5%")));
    EXPECT_TRUE(texts[0].contains(QStringLiteral("£1,350.00")));
    EXPECT_TRUE(texts[0].contains(QStringLiteral("Page 1 of 1")));
    // Two exports never share a file.
    const QString again = keep(SheetBuilders::makeQuotePDF(project, QDateTime::currentDateTime()));
    EXPECT_NE(path, again);
}

}  // namespace
