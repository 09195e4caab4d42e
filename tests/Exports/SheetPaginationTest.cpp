// Exports checked the way a reader sees them: the PDF is written, read back with poppler, and
// its text boxes are compared with what the project holds. A lost, cut or overprinted row shows
// up here whatever list of texts the builder believes it printed.

#include "Corvallen/Exports/BusinessProfile.h"
#include "Corvallen/Exports/SheetBuilders.h"
#include "Corvallen/Exports/SheetFormat.h"
#include "Corvallen/Exports/SheetRenderer.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Platform/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "support/TestStore.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>

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
    return s.normalized(QString::NormalizationForm_KC).remove(QRegularExpression(QStringLiteral("\\s")));
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

    // How many pages show the name in the table's first text column, read top to bottom: the
    // column runs from the name's first word to the quantity column, so wrapped lines are read
    // back in order without the other columns' texts.
    static int pagesShowingInColumn(const QList<RenderedPage>& pages, const QString& name)
    {
        const QString firstWord = name.section(QLatin1Char(' '), 0, 0);
        int n = 0;
        for (const RenderedPage& p : pages) {
            double right = SheetRenderer::pageWidth;
            for (const Box& b : p.boxes)
                if (b.text.compare(QStringLiteral("QTY"), Qt::CaseInsensitive) == 0)
                    right = b.rect.left();
            for (const Box& first : p.boxes) {
                if (first.text != firstWord)
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
                if (squeezed(text).startsWith(squeezed(name)))
                    ++n;

            }
        }
        return n;
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
    EXPECT_TRUE(squeezed(pages.last().text).contains(squeezed(SheetFormat::moneyText(subtotal))));
    EXPECT_TRUE(squeezed(pages.last().text).contains(squeezed(SheetFormat::moneyText(subtotal * 0.2))));
    EXPECT_TRUE(squeezed(pages.last().text).contains(squeezed(SheetFormat::moneyText(subtotal * 1.2))));
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
        EXPECT_TRUE(text.contains(squeezed(SheetFormat::moneyText(c.price)))) << text.toStdString();
        EXPECT_TRUE(text.contains(squeezed(SheetFormat::moneyText(c.price * 0.2))));
        EXPECT_TRUE(text.contains(squeezed(SheetFormat::moneyText(c.price * 1.2))));
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

}  // namespace
