// Exports checked the way a reader sees them: the PDF is written, read back with poppler, and
// its text boxes are compared with what the project holds. A lost, cut or overprinted row shows
// up here whatever list of texts the builder believes it printed.

#include "Corvallen/Exports/BusinessProfile.h"
#include "Corvallen/Exports/MoneyFormatter.h"
#include "Corvallen/Exports/ProjectSheetBlocks.h"
#include "Corvallen/Exports/QuoteBlocks.h"
#include "Corvallen/Exports/SheetBuilders.h"
#include "Corvallen/Exports/SheetRenderer.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "support/TestStore.h"

#include <QFile>
#include <QLocale>

#include <poppler/qt6/poppler-qt6.h>

#include <gtest/gtest.h>

namespace {

struct Box {
    QString text;
    QRectF rect;  // points, origin at the top-left corner of the page
};

struct RenderedPage {
    QString text;
    QList<Box> boxes;
};

QString squeezed(QString s)
{
    // Compatibility form: the PDF's text carries the font's ligatures ("ﬁ") as single letters.
    s = s.normalized(QString::NormalizationForm_KC);
    s.removeIf([](QChar c) { return c.isSpace(); });
    return s;
}

QList<RenderedPage> readPdf(const QString& path)
{
    QList<RenderedPage> out;
    auto doc = Poppler::Document::load(path);
    if (!doc)
        return out;
    for (int i = 0; i < doc->numPages(); ++i) {
        RenderedPage page;
        auto p = doc->page(i);
        page.text = p->text(QRectF());
        for (const auto& box : p->textList())
            page.boxes.append({box->text(), box->boundingBox()});
        out.append(page);
    }
    return out;
}

double footerTop()
{
    SheetRenderer::MeasureDevice measure;
    return SheetRenderer::footerTop(measure.device());
}

class SheetPaginationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        container = corvallen::test::openTestStore();
        ctx = &container->mainContext();
        project = ctx->insert(new Project(QStringLiteral("Valve amplifier"), QStringLiteral("Full restoration"), {}));
        for (const char* key : {"business.currency", "business.name", "business.email", "business.address", "business.vatRate"})
            SettingsStore::shared().remove(QString::fromLatin1(key));
    }
    void TearDown() override
    {
        for (const QString& f : written)
            QFile::remove(f);
        QLocale::setDefault(QLocale::c());
    }

    ProjectComponent* addPart(const QString& name, qint64 qty, double price, const QString& maker = {},
                              const QString& category = {})
    {
        auto* c = ctx->insert(new Component(name));
        c->setResellPrice(price);
        if (!maker.isEmpty())
            c->setManufacturer(maker);
        if (!category.isEmpty())
            c->setCategory(category);
        return ctx->insert(new ProjectComponent(c, project, qty));
    }

    QList<RenderedPage> render(const QString& path)
    {
        written << path;
        return readPdf(path);
    }

    // Nothing but the footer's own credit and page number lies in the footer band, every text
    // stays inside the page's margins, and no two texts on one line run into each other.
    void expectCleanPages(const QList<RenderedPage>& pages)
    {
        const double band = footerTop();
        for (int i = 0; i < pages.size(); ++i) {
            QString inBand;
            for (const Box& b : pages[i].boxes) {
                if (b.rect.bottom() > band - 0.5) {
                    EXPECT_GE(b.rect.top(), band) << "page " << i + 1 << ": \"" << b.text.toStdString()
                                                  << "\" reaches into the footer";
                    inBand += b.text;
                }
                EXPECT_GE(b.rect.left(), SheetRenderer::margin - 1) << b.text.toStdString();
                EXPECT_LE(b.rect.right(), SheetRenderer::pageWidth - SheetRenderer::margin + 1) << b.text.toStdString();
            }
            EXPECT_EQ(squeezed(inBand),
                      squeezed(QStringLiteral("Generated with Corvallen · corvallen.app") + QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages.size())));
            for (int a = 0; a < pages[i].boxes.size(); ++a) {
                for (int b = a + 1; b < pages[i].boxes.size(); ++b) {
                    const QRectF overlap = pages[i].boxes[a].rect.intersected(pages[i].boxes[b].rect);
                    EXPECT_TRUE(overlap.width() < 0.5 || overlap.height() < 1.5)
                        << "page " << i + 1 << ": \"" << pages[i].boxes[a].text.toStdString() << "\" runs into \""
                        << pages[i].boxes[b].text.toStdString() << "\"";
                }
            }
        }
    }

    // How many pages show the text (spaces and line breaks ignored).
    static int pagesShowing(const QList<RenderedPage>& pages, const QString& text)
    {
        int n = 0;
        for (const RenderedPage& p : pages)
            n += squeezed(p.text).contains(squeezed(text)) ? 1 : 0;
        return n;
    }

    // How many pages show the name (or its first `prefix` characters) in the table's first text
    // column, read top to bottom: the column runs from the box holding the name's start to the
    // quantity column, so wrapped lines are read back in order without the other columns' texts.
    static int pagesShowingInColumn(const QList<RenderedPage>& pages, const QString& name, int prefix = -1)
    {
        const QString expected = squeezed(prefix < 0 ? name : name.left(prefix));
        int n = 0;
        for (const RenderedPage& p : pages) {
            double right = SheetRenderer::pageWidth;
            for (const Box& b : p.boxes)
                if (b.text.compare(QStringLiteral("QTY"), Qt::CaseInsensitive) == 0)
                    right = b.rect.left();
            for (const Box& first : p.boxes) {
                const QString start = squeezed(first.text);
                if (start.size() < std::min<qsizetype>(4, expected.size()) || !expected.startsWith(start))
                    continue;
                QList<Box> column;
                for (const Box& b : p.boxes)
                    if (b.rect.left() >= first.rect.left() - 1 && b.rect.right() <= right + 1 && b.rect.top() >= first.rect.top() - 1)
                        column.append(b);
                std::stable_sort(column.begin(), column.end(), [](const Box& a, const Box& b) {
                    return std::abs(a.rect.top() - b.rect.top()) > 2 ? a.rect.top() < b.rect.top() : a.rect.left() < b.rect.left();
                });
                QString text;
                for (const Box& b : column)
                    text += b.text;
                if (squeezed(text).startsWith(expected))
                    ++n;
            }
        }
        return n;
    }

    // The whole document's text, pages in order, without spaces and line breaks.
    static QString documentText(const QList<RenderedPage>& pages)
    {
        QString out;
        for (const RenderedPage& p : pages)
            out += squeezed(p.text);
        return out;
    }

    // Every marker appears exactly once in the document's text, in the order given.
    static void expectEachOnceInOrder(const QString& document, const QStringList& markers)
    {
        qsizetype at = 0;
        for (const QString& marker : markers) {
            const QString m = squeezed(marker);
            const qsizetype found = document.indexOf(m, at);
            ASSERT_GE(found, 0) << marker.toStdString() << " is missing or out of order";
            EXPECT_EQ(document.indexOf(m, found + m.size()), -1) << marker.toStdString() << " is printed twice";
            at = found + m.size();
        }
    }

    // A text of `length` characters made of ordinary words, starting with `start`.
    static QString wordsOfLength(const QString& start, int length)
    {
        static const QStringList words{QStringLiteral("carbon"), QStringLiteral("film"), QStringLiteral("resistor"),
                                       QStringLiteral("tolerance"), QStringLiteral("matched"), QStringLiteral("pair")};
        QString out = start;
        for (int i = 0; out.size() < length; ++i)
            out += QLatin1Char(' ') + words[i % words.size()];
        return out.left(length);
    }

    // Two hundred lines of description, each starting with its own marker.
    static QStringList descriptionLines()
    {
        QStringList lines;
        for (int i = 1; i <= 200; ++i)
            lines << QStringLiteral("Step%1: check the joints on the %2 board.")
                         .arg(i, 3, 10, QLatin1Char('0'))
                         .arg(i % 2 ? QStringLiteral("power supply") : QStringLiteral("output stage"));
        return lines;
    }

    std::unique_ptr<ModelContainer> container;
    ModelContext* ctx = nullptr;
    Project* project = nullptr;
    QStringList written;
};

TEST_F(SheetPaginationTest, ProjectSheetKeepsEveryRowOfALongPartsList)
{
    // Two-line rows (name and manufacturer), some names long enough to wrap, some categories too.
    QStringList names, makers;
    for (int i = 1; i <= 34; ++i) {
        QString name = QStringLiteral("Part%1").arg(i, 2, 10, QLatin1Char('0'));
        if (i % 5 == 0)
            name += QStringLiteral(" precision metal film resistor for the phase splitter stage, matched pair, low noise");
        if (i == 17)
            name += QStringLiteral(" ") + QString(90, QLatin1Char('X'));  // one word wider than the column
        const QString maker = QStringLiteral("Maker%1 Components Ltd").arg(i);
        const QString category = i % 7 == 0 ? QStringLiteral("Passive components and electromechanical parts") : QStringLiteral("Resistors");
        addPart(name, i * 1000, 1, maker, category);
        names << name;
        makers << maker;
    }
    const auto pages = render(SheetBuilders::makeProjectSheetPDF(project));
    ASSERT_GE(pages.size(), 2);
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_EQ(pagesShowingInColumn(pages, names[i]), 1) << names[i].toStdString();
        EXPECT_EQ(pagesShowing(pages, makers[i]), 1) << makers[i].toStdString();
    }
    // The quantities print whole (no grouping in the table).
    EXPECT_EQ(pagesShowing(pages, QStringLiteral("34000")), 1);
    expectCleanPages(pages);
}

TEST_F(SheetPaginationTest, ProjectSheetLeavesRoomBetweenOverviewAndTable)
{
    addPart(QStringLiteral("ECC83"), 2, 12);
    const auto pages = render(SheetBuilders::makeProjectSheetPDF(project));
    ASSERT_EQ(pages.size(), 1);
    double figuresBottom = -1, titleTop = -1;
    for (const Box& b : pages[0].boxes) {
        if (b.text == QStringLiteral("PARTS"))
            figuresBottom = b.rect.bottom();
        if (b.text == QStringLiteral("Bill"))
            titleTop = b.rect.top();
    }
    ASSERT_GT(figuresBottom, 0);
    ASSERT_GT(titleTop, 0);
    // 12 points between the blocks and 6 above the title; glyph boxes take a little of it.
    EXPECT_GE(titleTop - figuresBottom, 14.0);
    expectCleanPages(pages);
}

TEST_F(SheetPaginationTest, ItemisedQuoteKeepsEveryLineAndEndsWithTotalsThatAddUp)
{
    SettingsStore::shared().setText(QStringLiteral("business.vatRate"), QStringLiteral("20"));
    QStringList names;
    double sum = 0;
    for (int i = 1; i <= 41; ++i) {
        QString name = QStringLiteral("Line%1").arg(i, 2, 10, QLatin1Char('0'));
        if (i % 4 == 0)
            name += QStringLiteral(" output transformer with interleaved windings and a long descriptive catalogue name");
        addPart(name, 2, 1.25 * i);
        names << name;
        sum += 2 * 1.25 * i;
    }
    project->setLabourFlat(150);
    const auto pages = render(SheetBuilders::makeQuotePDF(project, QDateTime(QDate(2026, 12, 7), QTime(9, 0))));
    ASSERT_GE(pages.size(), 3);
    for (const QString& name : names)
        EXPECT_EQ(pagesShowingInColumn(pages, name), 1) << name.toStdString();
    // Totals stand on the last page only, and the rows there add up to the total.
    const double subtotal = sum + 150;
    EXPECT_EQ(pagesShowing(pages, QStringLiteral("Subtotal")), 1);
    EXPECT_TRUE(squeezed(pages.last().text).contains(squeezed(MoneyFormatter::text(subtotal))));
    EXPECT_TRUE(squeezed(pages.last().text).contains(squeezed(MoneyFormatter::text(subtotal * 0.2))));
    EXPECT_TRUE(squeezed(pages.last().text).contains(squeezed(MoneyFormatter::text(subtotal * 1.2))));
    expectCleanPages(pages);
}

TEST_F(SheetPaginationTest, LargeAmountsAndLongHeadersPrintWhole)
{
    struct Case {
        const char* currency;
        double price;
    };
    for (const Case& c : {Case{"GBP", 1.4e9}, Case{"KRW", 1250000}, Case{"JPY", 98765432}}) {
        SCOPED_TRACE(c.currency);
        SettingsStore::shared().setText(QStringLiteral("business.currency"), QString::fromLatin1(c.currency));
        SettingsStore::shared().setText(QStringLiteral("business.vatRate"), QStringLiteral("20"));
        SettingsStore::shared().setText(QStringLiteral("business.name"),
                                        QStringLiteral("Northern Valve and Vintage Audio Restoration Workshop Limited"));
        SettingsStore::shared().setText(QStringLiteral("business.email"),
                                        QStringLiteral("restoration.enquiries.and.quotations@northern-valve-vintage-audio.example"));
        for (ProjectComponent* line : project->parts())
            ctx->deleteObject(line);
        addPart(QStringLiteral("Console"), 1, c.price);
        const auto pages = render(SheetBuilders::makeQuotePDF(project, QDateTime::currentDateTime()));
        ASSERT_EQ(pages.size(), 1);
        const QString text = squeezed(pages[0].text);
        EXPECT_TRUE(text.contains(squeezed(MoneyFormatter::text(c.price)))) << text.toStdString();
        EXPECT_TRUE(text.contains(squeezed(MoneyFormatter::text(c.price * 0.2))));
        EXPECT_TRUE(text.contains(squeezed(MoneyFormatter::text(c.price * 1.2))));
        // The name wraps in its own column at the left, the address in its column at the right.
        double contactLeft = SheetRenderer::pageWidth;
        for (const Box& b : pages[0].boxes)
            if (b.text.startsWith(QStringLiteral("restoration.enquiries")))
                contactLeft = b.rect.left();
        ASSERT_LT(contactLeft, SheetRenderer::pageWidth);
        QString name, contact;
        for (const Box& b : pages[0].boxes) {
            if (b.rect.top() > 120)
                continue;
            (b.rect.right() < contactLeft ? name : contact) += b.text;
        }
        EXPECT_EQ(squeezed(name), squeezed(QStringLiteral("Northern Valve and Vintage Audio Restoration Workshop Limited")));
        EXPECT_EQ(squeezed(contact), squeezed(QStringLiteral("restoration.enquiries.and.quotations@northern-valve-vintage-audio.example")));
        EXPECT_GT(contactLeft, SheetRenderer::pageWidth / 2 - 40);
        expectCleanPages(pages);
    }
}

TEST_F(SheetPaginationTest, ProjectSheetWithExtremeTextsAndManyCapturesKeepsEverythingClearOfTheFooter)
{
    // A business whose name and address alone could fill a page.
    SettingsStore::shared().setText(QStringLiteral("business.name"), wordsOfLength(QStringLiteral("Workshop"), 10000));
    QStringList address;
    for (int i = 1; i <= 40; ++i)
        address << QStringLiteral("Address line %1").arg(i);
    SettingsStore::shared().setText(QStringLiteral("business.address"), address.join(QLatin1Char('\n')));
    const QStringList description = descriptionLines();
    project->setName(wordsOfLength(QStringLiteral("Restoration"), 10000));
    project->setDetails(description.join(QLatin1Char('\n')));

    // Names of 10,000 characters (words, and one single unbroken word), a manufacturer and a
    // category as long, among ordinary rows.
    QStringList names;
    for (int i = 1; i <= 30; ++i)
        names << QStringLiteral("Row%1 valve socket").arg(i, 2, 10, QLatin1Char('0'));
    names[3] = wordsOfLength(QStringLiteral("Row04"), 10000);
    names[9] = QStringLiteral("Row10") + QString(9995, QLatin1Char('x'));
    names[20] = wordsOfLength(QStringLiteral("Row21"), 10000);
    for (int i = 0; i < names.size(); ++i) {
        const QString maker = i == 20 ? wordsOfLength(QStringLiteral("Maker"), 10000) : QStringLiteral("Maker %1").arg(i + 1);
        const QString category = i == 9 ? wordsOfLength(QStringLiteral("Passive"), 10000) : QStringLiteral("Sockets");
        addPart(names[i], 1, 1, maker, category);
    }
    QStringList titles;
    const QDateTime newest(QDate(2026, 12, 7), QTime(12, 0));
    for (int i = 1; i <= 500; ++i) {
        auto* capture = ctx->insert(new Capture(QStringLiteral("missing-%1.png").arg(i)));
        capture->setTitle(QStringLiteral("Capture %1").arg(i, 3, 10, QLatin1Char('0')));
        capture->setImportedAt(newest.addSecs(-i));  // newest first: printed in this order
        capture->setValue(i * 0.5);
        capture->setUnit(QStringLiteral("mV"));
        capture->setProject(project);
        titles << capture->title();
    }

    const auto pages = render(SheetBuilders::makeProjectSheetPDF(project));
    ASSERT_GT(pages.size(), 80);
    expectCleanPages(pages);
    const QString document = documentText(pages);

    // The description runs on over pages whole: every line once, in order.
    expectEachOnceInOrder(document, description);
    // Every row starts where a reader looks for it; the longest entries end in "…" instead of
    // running on for pages.
    for (const QString& name : names)
        EXPECT_EQ(pagesShowingInColumn(pages, name, 200), 1) << name.left(40).toStdString();
    EXPECT_TRUE(document.contains(squeezed(wordsOfLength(QStringLiteral("Maker"), 100))));
    for (const RenderedPage& page : pages)
        if (squeezed(page.text).contains(squeezed(names[9].left(30))))
            EXPECT_TRUE(page.text.contains(QStringLiteral("x…")));
    // Captures: all 500, newest first, each with its reading.
    expectEachOnceInOrder(document, titles);
    EXPECT_TRUE(document.contains(squeezed(QStringLiteral("250 mV"))));
    EXPECT_TRUE(squeezed(pages.last().text).contains(squeezed(titles.last())));
}

TEST_F(SheetPaginationTest, ADescriptionRunsOnWholeWhateverItsShape)
{
    // One long paragraph of numbered words: every word is printed once, in order.
    QStringList words;
    for (int i = 1; words.join(QLatin1Char(' ')).size() < 10000; ++i)
        words << QStringLiteral("w%1").arg(i, 4, 10, QLatin1Char('0'));
    project->setDetails(words.join(QLatin1Char(' ')));
    auto pages = render(SheetBuilders::makeQuotePDF(project, QDateTime(QDate(2026, 12, 7), QTime(9, 0))));
    ASSERT_GE(pages.size(), 2);
    expectCleanPages(pages);
    expectEachOnceInOrder(documentText(pages), words);

    // A single word of 10,000 letters breaks where the lines end, and the pieces the pages
    // print make up the whole of it.
    QString word;
    for (int i = 0; word.size() < 10000; ++i)
        word += QChar(u'a' + (i * 7 + i / 26) % 26);
    project->setDetails(word);
    addPart(QStringLiteral("ECC83"), 2, 12);
    const auto entries = SheetBuilders::projectSheetPages(project);
    pages = render(SheetBuilders::makeProjectSheetPDF(project));
    ASSERT_EQ(pages.size(), entries.size());
    ASSERT_GE(pages.size(), 2);
    expectCleanPages(pages);
    QString printed;
    for (int i = 0; i < entries.size(); ++i) {
        auto* overview = dynamic_cast<SheetOverview*>(entries[i].view.get());
        if (auto* stack = dynamic_cast<SheetStack*>(entries[i].view.get()))
            overview = dynamic_cast<SheetOverview*>(stack->child(0).get());
        ASSERT_TRUE(overview) << "page " << i + 1;
        EXPECT_TRUE(squeezed(pages[i].text).contains(overview->description())) << "page " << i + 1;
        printed += overview->description();
    }
    EXPECT_EQ(printed, word);
    EXPECT_EQ(pagesShowingInColumn(pages, QStringLiteral("ECC83")), 1);
}

// Wherever the pages break, the totals share their page with the quote's last line (or, for a
// quote without lines, with the end of its head): they never stand alone on a page.
TEST_F(SheetPaginationTest, QuoteTotalsNeverStandAloneOnAPage)
{
    SettingsStore::shared().setText(QStringLiteral("business.vatRate"), QStringLiteral("20"));
    project->setLabourFlat(80);
    const QStringList description = descriptionLines();
    const struct {
        int lines;
        int descriptionLines;
        bool combined;
    } rows[] = {
        // Line counts around each page's capacity without a description, and descriptions ending
        // at every height of the first pages with no line, one line, and all lines combined.
        {1, 0, false},   {16, 0, false},  {17, 0, false},  {40, 0, false},  {41, 0, false},  {64, 0, false},
        {65, 0, false},  {0, 20, false},  {0, 32, false},  {0, 36, false},  {0, 40, false},  {0, 44, false},
        {0, 90, false},  {0, 100, false}, {1, 36, false},  {1, 40, false},  {1, 44, false},  {1, 95, false},
        {12, 36, true},  {12, 40, true},  {12, 44, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.lines) + " lines, " + std::to_string(row.descriptionLines) + " description lines"
                     + (row.combined ? ", combined" : ""));
        for (ProjectComponent* line : project->parts())
            ctx->deleteObject(line);
        for (int i = 1; i <= row.lines; ++i)
            addPart(QStringLiteral("Line%1 valve").arg(i), 1, 2);
        project->setDetails(description.mid(0, row.descriptionLines).join(QLatin1Char('\n')));
        project->setQuoteCombined(row.combined);
        const auto pages = SheetBuilders::quotePages(project, QDate(2026, 12, 7), BusinessProfile::load());
        int totalsPages = 0;
        for (int i = 0; i < pages.size(); ++i) {
            auto* stack = dynamic_cast<SheetStack*>(pages[i].view.get());
            bool totals = false, beside = false;
            for (int k = 0; stack && k < stack->count(); ++k) {
                totals |= dynamic_cast<SheetQuoteTotals*>(stack->child(k).get()) != nullptr;
                beside |= dynamic_cast<SheetQuoteTable*>(stack->child(k).get()) != nullptr
                          || dynamic_cast<SheetQuoteHeader*>(stack->child(k).get()) != nullptr;
            }
            if (!totals)
                continue;
            ++totalsPages;
            EXPECT_EQ(i, pages.size() - 1) << "the totals close the quote";
            EXPECT_TRUE(beside) << "page " << i + 1 << " of " << pages.size() << " holds the totals alone";
        }
        EXPECT_EQ(totalsPages, 1);
    }
}

TEST_F(SheetPaginationTest, QuoteWithExtremeTextsKeepsEveryLineAndItsTotals)
{
    SettingsStore::shared().setText(QStringLiteral("business.vatRate"), QStringLiteral("20"));
    const QStringList description = descriptionLines();
    project->setName(wordsOfLength(QStringLiteral("Restoration"), 10000));
    project->setDetails(description.join(QLatin1Char('\n')));
    QStringList names;
    double sum = 0;
    for (int i = 1; i <= 40; ++i) {
        QString name = QStringLiteral("Line%1 output transformer").arg(i, 2, 10, QLatin1Char('0'));
        if (i == 5 || i == 39)
            name = wordsOfLength(name, 10000);
        if (i == 40)
            name = QStringLiteral("Line40") + QString(9994, QLatin1Char('y'));
        addPart(name, 3, 2.5 * i);
        names << name;
        sum += 3 * 2.5 * i;
    }
    project->setLabourFlat(80);
    const double subtotal = sum + 80;
    for (bool combined : {false, true}) {
        SCOPED_TRACE(combined ? "combined" : "itemised");
        project->setQuoteCombined(combined);
        const auto pages = render(SheetBuilders::makeQuotePDF(project, QDateTime(QDate(2026, 12, 7), QTime(9, 0))));
        ASSERT_GE(pages.size(), combined ? 4 : 6);
        expectCleanPages(pages);
        const QString document = documentText(pages);
        expectEachOnceInOrder(document, description);
        if (combined) {
            EXPECT_EQ(pagesShowing(pages, QStringLiteral("Components (120 items)")), 1);
        } else {
            for (const QString& name : names)
                EXPECT_EQ(pagesShowingInColumn(pages, name, 200), 1) << name.left(40).toStdString();
        }
        // The totals close the quote, after every line, and add up.
        const QString last = squeezed(pages.last().text);
        EXPECT_EQ(pagesShowing(pages, QStringLiteral("Subtotal")), 1);
        EXPECT_TRUE(last.contains(squeezed(QStringLiteral("Subtotal") + MoneyFormatter::text(subtotal))));
        EXPECT_TRUE(last.contains(squeezed(MoneyFormatter::text(subtotal * 0.2))));
        EXPECT_TRUE(last.contains(squeezed(QStringLiteral("Total") + MoneyFormatter::text(subtotal * 1.2))));
        EXPECT_GT(document.indexOf(squeezed(QStringLiteral("Subtotal"))),
                  document.indexOf(squeezed(combined ? QStringLiteral("Components") : QStringLiteral("Line40"))));
    }
}

}  // namespace
