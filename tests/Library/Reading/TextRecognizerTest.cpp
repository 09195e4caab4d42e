#include "Corvallen/Library/Reading/TextRecognizer.h"

#include "Corvallen/Library/Reading/BenchScreenReader.h"
#include "Corvallen/Library/Reading/ScreenSegmenter.h"
#include "support/RealScreenCorpus.h"
#include "support/SegmentDigits.h"

#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <thread>
#include <vector>

using namespace corvallen::test;

namespace {

TEST(TextRecognizer, ReadsPrintedLinesAndNothingFromABlankImage)
{
    QImage image(900, 260, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(56);
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(QPointF(40, 100), QStringLiteral("VOLTAGE 12.5"));
        p.drawText(QPointF(40, 200), QStringLiteral("RIPPLE LOW"));
    }
    const QString text = TextRecognizer::recognizeLines(image, TextRecognizer::Layout::Document)->join(QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2) << text.toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("VOLTAGE")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("RIPPLE")));

    QImage blank(400, 200, QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_TRUE(TextRecognizer::recognizeLines(blank, TextRecognizer::Layout::Document)->isEmpty());
    EXPECT_TRUE(TextRecognizer::recognizeLines(QImage(), TextRecognizer::Layout::Document)->isEmpty());
}

// The screen's words joined, as the reader sees them.
QString screenWords(const QImage& image)
{
    const auto screen = TextRecognizer::recognizeScreen(image);
    return screen ? screen->lines().join(QLatin1Char(' ')) : QString();
}

TEST(TextRecognizer, ScreensKeepMicroAndReadSlantedLcdDigitsWhole)
{
    // µ has no letter in the recogniser's alphabet and comes out as p (or u); its open top tells
    // it from a real p, which stays p.
    for (const auto& [unit, want] : {std::pair{QStringLiteral("\u00B5A"), QStringLiteral("\u00B5A")}, std::pair{QStringLiteral("pF"), QStringLiteral("pF")}}) {
        QImage image(480, 272, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter p(&image);
        p.setPen(Qt::white);
        QFont big(QStringLiteral("DejaVu Sans"));
        big.setPixelSize(70);
        p.setFont(big);
        p.drawText(QPointF(60, 160), QStringLiteral("5.92"));
        QFont small = big;
        small.setPixelSize(34);
        p.setFont(small);
        p.drawText(QPointF(260, 160), unit);
        p.end();
        const auto screen = TextRecognizer::recognizeScreen(image);
        ASSERT_TRUE(screen);
        EXPECT_EQ(BenchScreenReader::read(*screen).value(QStringLiteral("unit")).toString(), want)
            << screen->lines().join(QLatin1Char(' ')).toStdString();
    }

    // In a table's small print it may come out as "US", both letters read as capitals: the
    // figure's unit is µs still.
    for (const int size : {14, 17, 20}) {
        QImage image(480, 272, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setPen(Qt::black);
        QFont mono(QStringLiteral("DejaVu Sans Mono"));
        mono.setPixelSize(size);
        p.setFont(mono);
        p.drawText(QPointF(40, 120), QStringLiteral("18.85 \u00B5s"));
        p.end();
        const QString words = screenWords(image);
        EXPECT_TRUE(words.split(QLatin1Char(' ')).contains(QStringLiteral("\u00B5s"))) << size << ": " << words.toStdString();
    }

    // A program's small figure with its unit set as a subscript right after it, at letter
    // spacing: the unit is read at its own size, not lost into the figure.
    for (const int size : {11, 13}) {
        QImage image(480, 272, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setPen(QColor(40, 40, 40));
        QFont figure(QStringLiteral("DejaVu Sans"));
        figure.setPixelSize(20);
        p.setFont(figure);
        p.drawText(QPointF(60, 120), QStringLiteral("58.99"));
        QFont small = figure;
        small.setPixelSize(size);
        p.setFont(small);
        p.drawText(QPointF(60 + QFontMetricsF(figure).horizontalAdvance(QStringLiteral("58.99")), 120), QStringLiteral("\u00B5A"));
        p.end();
        const auto screen = TextRecognizer::recognizeScreen(image);
        ASSERT_TRUE(screen);
        const QVariantMap reading = BenchScreenReader::read(*screen);
        EXPECT_EQ(reading.value(QStringLiteral("value")).toDouble(), 58.99) << screen->lines().join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(reading.value(QStringLiteral("unit")).toString(), QStringLiteral("\u00B5A")) << size;
    }

    // An italic LCD face whose thin bars don't touch falls apart into many small glyphs; the
    // number is still read whole, with its sign and point.
    if (QFontDatabase::families().contains(QStringLiteral("DSEG7 Classic"))) {
        QImage image(480, 272, QImage::Format_RGB32);
        image.fill(QColor(10, 14, 30));
        QPainter p(&image);
        p.setPen(QColor(255, 220, 40));
        QFont lcd(QStringLiteral("DSEG7 Classic"));
        lcd.setPixelSize(80);
        lcd.setItalic(true);
        lcd.setWeight(QFont::Light);
        p.setFont(lcd);
        p.drawText(QPointF(40, 170), QStringLiteral("-17.25"));
        p.end();
        EXPECT_TRUE(screenWords(image).contains(QStringLiteral("-17.25"))) << screenWords(image).toStdString();
    }
}


// A screen drawn by `paint` on a dark background, read as the analysis reads it.
template <typename Paint>
QVariantMap readScreen(QSize size, Paint paint, QString* words = nullptr)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(8, 12, 28));
    {
        QPainter p(&image);
        p.setPen(QColor(235, 240, 245));
        paint(p, image);
    }
    const auto screen = TextRecognizer::recognizeScreen(image);
    if (!screen)
        return {};
    if (words)
        *words = screen->lines().join(QLatin1Char(' '));
    return BenchScreenReader::read(*screen);
}

QFont face(const char* family, int pixels, bool bold = false, bool smooth = true)
{
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setStyleStrategy(smooth ? QFont::PreferAntialias : QFont::NoAntialias);
    return f;
}

TEST(TextRecognizer, UnitsTheRecogniserHasNoLettersForSurviveTheirShapes)
{
    // Ω, which the recogniser reads as 0, O or Q, stands on two feet; a real zero beside it and
    // the O of a status word are left alone.
    QString words;
    const auto ohms = readScreen(QSize(480, 272), [](QPainter& p, QImage&) {
        p.setFont(face("DejaVu Sans", 14));
        p.drawText(QPointF(8, 20), QStringLiteral("AUTO"));
        p.setFont(face("DejaVu Sans", 72, true));
        p.drawText(QPointF(60, 160), QStringLiteral("10.0"));
        p.drawText(QPointF(300, 160), QStringLiteral("\u03A9"));
    }, &words);
    EXPECT_EQ(ohms.value(QStringLiteral("unit")).toString(), QStringLiteral("\u03A9")) << words.toStdString();
    EXPECT_EQ(ohms.value(QStringLiteral("value")).toDouble(), 10.0) << words.toStdString();
    EXPECT_TRUE(words.contains(QStringLiteral("AUTO"))) << words.toStdString();

    // A bold m whose strokes reach all four sides of its box is a letter, not a box drawn
    // around something.
    const auto milli = readScreen(QSize(480, 272), [](QPainter& p, QImage&) {
        p.setFont(face("DejaVu Sans Mono", 64, true));
        p.drawText(QPointF(40, 160), QStringLiteral("62588 mA"));
    }, &words);
    EXPECT_EQ(milli.value(QStringLiteral("unit")).toString(), QStringLiteral("mA")) << words.toStdString();

    // A thin minus sign as long as a digit is wide is no rule across the screen.
    const auto negative = readScreen(QSize(480, 272), [](QPainter& p, QImage&) {
        p.setFont(face("DejaVu Sans Mono", 14));
        p.drawText(QPointF(8, 20), QStringLiteral("AUTO"));
        QFont thin = face("DejaVu Sans Mono", 56);
        thin.setWeight(QFont::ExtraLight);
        p.setFont(thin);
        p.drawText(QPointF(130, 170), QStringLiteral("\u221262.44 V"));
    }, &words);
    EXPECT_EQ(negative.value(QStringLiteral("value")).toDouble(), -62.44) << words.toStdString();

    // µ in hard-edged small print still shows its two stems.
    const auto micro = readScreen(QSize(320, 240), [](QPainter& p, QImage&) {
        p.setFont(face("DejaVu Sans Mono", 48, false, false));
        p.drawText(QPointF(30, 140), QStringLiteral("-0.143"));
        p.setFont(face("DejaVu Sans Mono", 16, true, false));
        p.drawText(QPointF(230, 140), QStringLiteral("\u00B5A"));
    }, &words);
    EXPECT_EQ(micro.value(QStringLiteral("unit")).toString(), QStringLiteral("\u00B5A")) << words.toStdString();
}

TEST(TextRecognizer, SmallLimitBoxesKeepLabelsApartFromTheirValues)
{
    // MAX drawn over its value in a box, softened as a scaler leaves it: the two lines stay two
    // (they used to run together as one bar-like blob), and the value keeps its point.
    QString words;
    const auto m = readScreen(QSize(480, 272), [](QPainter& p, QImage& image) {
        p.setFont(face("DejaVu Sans", 16, true));
        p.drawText(QPointF(20, 40), QStringLiteral("VAC"));
        p.setFont(face("DejaVu Serif", 72, true));
        p.drawText(QPointF(120, 165), QStringLiteral("3.706 V"));
        p.setPen(QColor(150, 160, 170));
        p.drawRect(QRect(12, 212, 222, 54));
        p.drawRect(QRect(244, 212, 222, 54));
        p.setPen(QColor(235, 240, 245));
        p.setFont(face("DejaVu Sans", 15));
        p.drawText(QPointF(108, 232), QStringLiteral("MIN"));
        p.drawText(QPointF(338, 232), QStringLiteral("MAX"));
        p.drawText(QPointF(104, 260), QStringLiteral("3.451"));
        p.drawText(QPointF(336, 260), QStringLiteral("3.980"));
        p.end();
        image = image.scaled(image.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }, &words);
    EXPECT_EQ(m.value(QStringLiteral("value")).toDouble(), 3.706) << words.toStdString();
    EXPECT_EQ(m.value(QStringLiteral("minValue")).toDouble(), 3.451) << words.toStdString();
    EXPECT_EQ(m.value(QStringLiteral("maxValue")).toDouble(), 3.98) << words.toStdString();
}

// A seven-segment figure, white on black, its point dropped by `drop` of the digits' height.
void segmentFigure(QPainter& p, QImage& image, const char* figure, double drop)
{
    image.fill(Qt::black);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    corvallen::test::paintSegments(p, QString::fromLatin1(figure), QPointF(30, 50), 80, corvallen::test::SegmentStyle::Gapped, drop);
}

TEST(TextRecognizer, DrawnLayoutsKeepTheirReadingInTheText)
{
    // Layouts where a reading's text was lost: a program's dark readout panel joined to a light
    // window's frame lines (read against the panel, not set aside with the frame); a scope's
    // strip of small print right above channel badges of its colour (a line of its own); a
    // screen crowded with lone icons larger than the reading (read after it, within a
    // capture's work); a web page's tall rimmed tiles on a dark page (their rounded edges are
    // no value fields' rims); a program's event log, stamped like a log of readings, over its
    // readout panel (its messages are not read ahead of the panel's figures); a status line of
    // small print just over the foot of a program's window (the bar below it has no rim to cut
    // the print's feet off); segment figures whose point hangs just below, or wholly below, the
    // digits' foot (no mark under them).
    using Paint = std::function<void(QPainter&, QImage&)>;
    struct Row {
        const char* name;
        QSize size;
        Paint paint;
        QString want;
    };
    const QList<Row> rows = {
        {"dark panel in a light window", QSize(600, 400),
         [](QPainter& p, QImage& image) {
             image.fill(QColor(240, 240, 240));
             p.setPen(QColor(20, 20, 20));
             p.drawRect(QRect(0, 0, 599, 399));
             p.drawLine(0, 30, 599, 30);
             p.fillRect(QRect(1, 31, 598, 150), QColor(0, 0, 0));
             p.setPen(QColor(30, 160, 230));
             p.setFont(face("DejaVu Sans", 64));
             p.drawText(QPointF(20, 120), QStringLiteral("4.190V"));
             p.setPen(QColor(20, 20, 20));
             p.setFont(face("DejaVu Sans", 14));
             p.drawText(QPointF(10, 20), QStringLiteral("Power Supply"));
             p.drawText(QPointF(20, 230), QStringLiteral("Voltage"));
         },
         QStringLiteral("4.190")},
        {"strip above wide badges", QSize(800, 480),
         [](QPainter& p, QImage&) {
             p.setPen(QColor(255, 255, 0));
             p.setFont(face("DejaVu Sans", 12));
             p.drawText(QPointF(600, 14), QStringLiteral("2.00MSa/s"));
             p.setFont(face("DejaVu Sans Mono", 11));
             p.drawText(QPointF(65, 450), QStringLiteral("Ampl=5.64 V"));
             QPolygon badge;
             badge << QPoint(0, 454) << QPoint(140, 454) << QPoint(112, 479) << QPoint(0, 479);
             p.setBrush(QColor(255, 255, 0));
             p.drawPolygon(badge);
             p.setPen(QColor(0, 0, 0));
             p.drawText(QPointF(60, 472), QStringLiteral("2.00 V"));
         },
         QStringLiteral("5.64")},
        {"lone icons larger than the reading", QSize(800, 480),
         [](QPainter& p, QImage&) {
             p.setFont(face("DejaVu Sans", 28));
             for (int i = 0; i < 2; ++i)
                 p.drawText(QPointF(10, 30 + i * 40), QStringLiteral("Coupling Bandwidth Limit Probe Invert Volts per Div Unit"));
             p.setFont(face("DejaVu Sans", 30));
             for (int i = 0; i < 91; ++i)
                 p.drawText(QPointF(10 + (i % 13) * 60, 180 + (i / 13) * 45), QStringLiteral("@"));
             p.setPen(QColor(255, 255, 0));
             p.setFont(face("DejaVu Sans", 26));
             p.drawText(QPointF(10, 125), QStringLiteral("Vpp 731 mV"));
         },
         QStringLiteral("731")},
        {"rounded tiles on a dark page", QSize(443, 962),
         [](QPainter& p, QImage& image) {
             image.fill(QColor(0, 0, 0));
             p.setRenderHint(QPainter::Antialiasing);
             p.setPen(QPen(QColor(230, 130, 40), 2));
             p.setBrush(QColor(58, 46, 36));
             p.drawRoundedRect(QRect(13, 43, 417, 199), 14, 14);
             p.setBrush(QColor(255, 255, 255));
             p.drawRoundedRect(QRect(240, 260, 86, 25), 3, 3);
             p.drawRoundedRect(QRect(25, 335, 393, 305), 14, 14);
             p.drawRoundedRect(QRect(25, 659, 393, 305), 14, 14);
             p.setFont(face("DejaVu Sans Mono", 22));
             p.drawText(QPointF(120, 96), QStringLiteral("Voltage: 0.13 V"));
             p.drawText(QPointF(115, 152), QStringLiteral("Current: 1.566 A"));
             p.setFont(face("DejaVu Sans", 11));
             p.drawText(QPointF(60, 276), QStringLiteral("History Range:"));
         },
         QStringLiteral("0.13")},
        {"event log over a readout panel", QSize(900, 420),
         [](QPainter& p, QImage& image) {
             image.fill(QColor(255, 255, 255));
             p.setPen(QColor(0, 0, 0));
             p.setFont(face("DejaVu Sans", 30));
             p.drawText(QPointF(10, 40), QStringLiteral("Bench supply remote control panel, channel one"));
             p.drawText(QPointF(10, 350), QStringLiteral("Overvoltage protection and its alarm state"));
             p.drawText(QPointF(10, 395), QStringLiteral("Overcurrent protection and its alarm state"));
             p.setFont(face("DejaVu Sans Mono", 13));
             const QStringList messages = {
                 QStringLiteral("connected to the supply"),
                 QStringLiteral("identity query answered,"),
                 QStringLiteral("output switched on by th"),
                 QStringLiteral("limits written to the su"),
                 QStringLiteral("autoread started with th"),
             };
             for (int i = 0; i < messages.size(); ++i)
                 p.drawText(QPointF(10, 80 + i * 20), QStringLiteral("2024-05-01 10:21:0%1     ").arg(i) + messages.at(i));
             p.drawText(QPointF(10, 300), QStringLiteral("Voltage [V]:"));
             p.drawText(QPointF(160, 300), QStringLiteral("4.7683"));
         },
         QStringLiteral("4.7683")},
        {"status line just over the window's foot", QSize(600, 400),
         [](QPainter& p, QImage& image) {
             image.fill(QColor(49, 54, 59));
             p.fillRect(QRect(20, 20, 560, 310), QColor(0, 0, 0));
             p.setPen(QColor(90, 90, 90));
             for (int x = 20; x < 580; x += 56)
                 p.drawLine(x, 20, x, 329);
             for (int y = 20; y < 330; y += 62)
                 p.drawLine(20, y, 579, y);
             p.setPen(QColor(230, 230, 230));
             p.setFont(face("DejaVu Sans", 12));
             p.drawText(QPointF(200, 354), QStringLiteral("A0: Vavg=2.609V, Vpp=4.216V; A1: Vavg=2.589V"));
         },
         QStringLiteral("2.609V")},
        {"segment point just below the foot", QSize(900, 200), [](QPainter& p, QImage& image) { segmentFigure(p, image, "12.34", 0.06); },
         QStringLiteral("12.34")},
        {"segment point wholly below the foot", QSize(900, 200), [](QPainter& p, QImage& image) { segmentFigure(p, image, "28.05", 0.14); },
         QStringLiteral("28.05")},
        {"segment figure over a bar graph's scale", QSize(900, 240),
         [](QPainter& p, QImage& image) {
             segmentFigure(p, image, "0.0003", 0);
             p.fillRect(QRect(20, 150, 560, 6), Qt::white);
             for (int x = 20; x <= 580; x += 28)
                 p.fillRect(QRect(x, 156, 3, 24), Qt::white);
         },
         QStringLiteral("0.0003")},
    };
    for (const Row& row : rows) {
        QString words;
        readScreen(row.size, row.paint, &words);
        EXPECT_TRUE(words.contains(row.want)) << row.name << ": " << words.toStdString();
    }
}

TEST(TextRecognizer, NumberedBadgesBesideAReadingAreNoPartOfIt)
{
    // A write-up numbers the parts of a program's window with filled discs holding a digit,
    // drawn beside the figure or its unit; read with them, the figure gained a digit or was
    // marked unreadable, the unit ended in one.
    struct Row {
        const char* name;
        QPoint badge;
    };
    const QList<Row> rows = {{"before the figure", {30, 118}}, {"after the unit", {400, 118}}, {"alone above", {200, 40}}};
    for (const Row& row : rows) {
        QString words;
        const auto m = readScreen(QSize(480, 272), [&](QPainter& p, QImage&) {
            p.setFont(face("DejaVu Sans Mono", 44));
            p.drawText(QPointF(70, 150), QStringLiteral("9.3526"));
            p.setFont(face("DejaVu Sans", 30));
            p.drawText(QPointF(300, 150), QStringLiteral("V DC"));
            p.setBrush(QColor(235, 240, 245));
            p.drawEllipse(QRect(row.badge, QSize(30, 30)));
            p.setPen(QColor(8, 12, 28));
            p.setFont(face("DejaVu Sans", 20, true));
            p.drawText(QRect(row.badge, QSize(30, 30)), Qt::AlignCenter, QStringLiteral("4"));
        }, &words);
        EXPECT_EQ(words.toStdString(), "9.3526 VDC") << row.name;
        EXPECT_EQ(m.value(QStringLiteral("value")).toDouble(), 9.3526) << row.name << ": " << words.toStdString();
    }
}

TEST(TextRecognizer, AGlowRoundLargeStrokesJoinsNothing)
{
    // Two upright strokes of a lit display's digits (a 1 and the foot of the next), 12 pixels
    // apart, drawn with a glow that fades over `glow` pixels round them: each stays a glyph of
    // its own, as wide as its stroke.
    for (const int glow : {0, 6, 9}) {
        QImage image(240, 160, QImage::Format_RGB32);
        const QList<QRect> strokes = {QRect(100, 40, 6, 60), QRect(118, 70, 6, 30)};
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                int off = 99;
                for (const QRect& r : strokes)
                    off = std::min(off, std::max({r.left() - x, x - r.right(), r.top() - y, y - r.bottom(), 0}));
                const int red = off == 0 ? 240 : off <= glow ? 110 - 45 * off / glow : 20;
                image.setPixel(x, y, qRgb(red, 20, 20));
            }
        QList<QRect> glyphs;
        for (const ScreenSegmenter::Run& run : ScreenSegmenter::scan(image).runs)
            glyphs += run.glyphs;
        ASSERT_EQ(glyphs.size(), 2) << "glow " << glow;
        for (const QRect& g : glyphs)
            EXPECT_LE(g.width(), 8) << "glow " << glow << ": " << g.x() << "," << g.y() << " " << g.width() << "x" << g.height();
    }
}

TEST(TextRecognizer, APanelJoinedToItsWindowsLinesIsABoxOfItsOwn)
{
    // A program's dark readout panel in a light window, touching the window's frame line and a
    // rule across the window: panel and lines are one drawing, set aside as line art, and the
    // panel is found in it (what stays once its lines are worn away) with its print inside it.
    // Panels of several sizes, odd and even, as low as a line of print allows.
    struct Row {
        QRect panel;
    };
    const std::array<Row, 4> rows = {{{QRect(40, 60, 301, 90)}, {QRect(40, 60, 300, 41)}, {QRect(41, 61, 220, 57)}, {QRect(40, 60, 401, 120)}}};
    for (const Row& row : rows) {
        QImage image(480, 240, QImage::Format_RGB32);
        image.fill(QColor(236, 236, 236));
        {
            QPainter p(&image);
            p.setPen(QPen(QColor(90, 90, 90), 1));
            p.drawRect(QRect(row.panel.left() - 1, 10, 460 - row.panel.left(), 220));  // the window's frame, the panel's left edge on it
            p.drawLine(row.panel.left(), row.panel.bottom() + 1, 470, row.panel.bottom() + 1);  // a rule under the panel
            p.fillRect(row.panel, QColor(24, 28, 40));
            p.setPen(Qt::white);
            p.setFont(face("DejaVu Sans", 18));
            p.drawText(row.panel, Qt::AlignCenter, QStringLiteral("12.345 V"));
        }
        const ScreenSegmenter::Scan scan = ScreenSegmenter::scan(image);
        const std::string at = std::to_string(row.panel.width()) + "x" + std::to_string(row.panel.height());
        const auto panel = std::find_if(scan.frames.begin(), scan.frames.end(), [&](const QRect& f) {
            return std::abs(f.left() - row.panel.left()) <= 3 && std::abs(f.top() - row.panel.top()) <= 3
                   && std::abs(f.right() - row.panel.right()) <= 3 && std::abs(f.bottom() - row.panel.bottom()) <= 3;
        });
        ASSERT_NE(panel, scan.frames.end()) << at;
        const auto print = std::count_if(scan.runs.begin(), scan.runs.end(), [&](const ScreenSegmenter::Run& r) {
            return panel->contains(r.box) && r.glyphs.size() >= 5;
        });
        EXPECT_GE(print, 1) << at;
    }
}

TEST(TextRecognizer, AStripOfAnotherColourInADrawingIsABoxOfItsOwn)
{
    // A scope program's plot: a grid whose lines run into a dark side bar and a readout strip
    // over the grid, all one drawing. The side bar is the drawing's commonest colour; the strip,
    // of a colour of its own, is found as a panel all the same, its print read against its fill.
    // A grey strip is a window's toolbar or title bar, and a block of that colour much less wide
    // than a strip a table or a menu open over the plot: no readout strip, they stay as they were.
    struct Row {
        QColor strip;
        QRect box;
        bool found;
    };
    const std::array<Row, 4> rows = {{{QColor(200, 200, 0), QRect(0, 0, 380, 34), true},
                                      {QColor(200, 200, 0), QRect(0, 206, 380, 34), true},
                                      {QColor(190, 190, 190), QRect(0, 0, 380, 34), false},
                                      {QColor(200, 200, 0), QRect(100, 60, 200, 120), false}}};
    for (const Row& row : rows) {
        QImage image(640, 240, QImage::Format_RGB32);
        image.fill(QColor(248, 252, 248));
        const QRect& strip = row.box;
        {
            QPainter p(&image);
            p.fillRect(QRect(460, 0, 180, 240), QColor(33, 37, 42));
            p.setPen(QPen(QColor(0, 152, 0), 3));
            for (int x = 20; x < 460; x += 70)
                p.drawLine(x, 0, x, 239);
            for (int y = 20; y < 240; y += 50)
                p.drawLine(0, y, 459, y);
            p.fillRect(strip, row.strip);
            p.setPen(Qt::black);
            p.setFont(face("DejaVu Sans Mono", 24));
            p.drawText(strip, Qt::AlignCenter, QStringLiteral("1.1V 705Hz"));
        }
        const ScreenSegmenter::Scan scan = ScreenSegmenter::scan(image);
        const std::string at = std::to_string(row.strip.red()) + "," + std::to_string(row.strip.green()) + "," + std::to_string(row.strip.blue())
                               + " at " + std::to_string(row.box.top()) + " " + std::to_string(row.box.width()) + "x" + std::to_string(row.box.height());
        const bool framed = std::any_of(scan.frames.begin(), scan.frames.end(), [&](const QRect& f) {
            return std::abs(f.left() - strip.left()) <= 3 && std::abs(f.top() - strip.top()) <= 3 && std::abs(f.right() - strip.right()) <= 3
                   && std::abs(f.bottom() - strip.bottom()) <= 3;
        });
        EXPECT_EQ(framed, row.found) << at;
        if (!row.found)
            continue;
        const auto print = std::count_if(scan.runs.begin(), scan.runs.end(), [&](const ScreenSegmenter::Run& r) {
            return strip.contains(r.box) && r.glyphs.size() >= 4;
        });
        EXPECT_GE(print, 2) << at;
    }
}

TEST(TextRecognizer, AValuesFieldInsideItsCardTakesTheCardsLabel)
{
    // A dashboard's card: its label names the unit in brackets, its value stands under it,
    // alone on the card or in a filled field of its own inside it.
    for (const bool field : {false, true}) {
        QString words;
        const auto m = readScreen(QSize(480, 220), [&](QPainter& p, QImage&) {
            p.fillRect(QRect(40, 30, 400, 150), QColor(26, 188, 156));
            if (field)
                p.fillRect(QRect(80, 110, 320, 44), QColor(153, 153, 153));
            p.setPen(Qt::white);
            p.setFont(face("DejaVu Sans", 28));
            p.drawText(QRect(40, 40, 400, 50), Qt::AlignCenter, QStringLiteral("Voltage (V):"));
            p.setFont(face("DejaVu Sans", 26, true));
            p.drawText(QRect(80, 110, 320, 44), Qt::AlignCenter, QStringLiteral("4.25"));
        }, &words);
        EXPECT_EQ(m.value(QStringLiteral("value")).toDouble(), 4.25) << "field " << field << ": " << words.toStdString();
        EXPECT_EQ(m.value(QStringLiteral("unit")).toString(), QStringLiteral("V")) << "field " << field << ": " << words.toStdString();
    }
}

TEST(TextRecognizer, ReadoutBoxesJoinedByATraceKeepTheirText)
{
    // A scope's side panel of readout boxes, lighter than the screen, with the trace drawn on
    // down through them: boxes, trace and text are one solid shape (too narrow to be set aside as
    // a drawing) until each box is found and its text read against its own fill.
    QImage image(640, 400, QImage::Format_RGB32);
    image.fill(QColor(16, 16, 16));
    {
        QPainter p(&image);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(14);
        p.setFont(f);
        const QStringList labels = {QStringLiteral("Vpp(C1)"), QStringLiteral("Freq(C1)"), QStringLiteral("Vamp(C1)")};
        const QStringList values = {QStringLiteral("88.216mV"), QStringLiteral("55.040kHz"), QStringLiteral("53.749mV")};
        for (int i = 0; i < 3; ++i) {
            const QRect box(470, 60 + i * 100, 140, 80);
            p.fillRect(box, QColor(73, 84, 87));
            p.setPen(Qt::white);
            p.drawText(QPointF(box.left() + 8, box.top() + 24), labels.at(i));
            p.drawText(QPointF(box.left() + 8, box.top() + 56), values.at(i));
        }
        p.setPen(QPen(QColor(255, 255, 0), 2));
        QPolygonF trace;
        for (int y = 50; y < 350; y += 6)
            trace << QPointF(y % 12 == 0 ? 588 : 602, y);
        p.drawPolyline(trace);
    }
    const QString words = screenWords(image);
    for (const QString& value : {QStringLiteral("88.216"), QStringLiteral("55.040"), QStringLiteral("53.749")})
        EXPECT_TRUE(words.contains(value)) << value.toStdString() << " in: " << words.toStdString();
}

TEST(TextRecognizer, APhotographedDisplaysTextIsReadInsideItsWindow)
{
    // A small display photographed on its board: its window stands in a lighter, busier
    // picture, its lit characters blurred by a glow that joins them.
    struct Case {
        QColor picture, window, print, glow;
        const char* why;
        QRect board = QRect(120, 40, 760, 300);
    };
    const QList<Case> cases = {
        {QColor(226, 228, 231), QColor(14, 16, 20), QColor(130, 225, 240), QColor(45, 70, 80), "an OLED's black window with cyan print"},
        {QColor(228, 226, 220), QColor(10, 10, 12), QColor(235, 235, 235), QColor(70, 70, 70), "an OLED's black window with white print"},
        {QColor(40, 40, 44), QColor(200, 215, 90), QColor(30, 40, 20), QColor(150, 160, 70), "a backlit LCD's green window with dark print stays read",
         QRect(260, 80, 540, 230)},
    };
    for (const Case& c : cases) {
        QImage image(1000, 380, QImage::Format_RGB32);
        image.fill(c.picture);
        {
            QPainter p(&image);
            p.fillRect(c.board, QColor(30, 80, 160));
            for (int x = c.board.left() + 20; x < c.board.right() - 20; x += 24)
                p.fillRect(QRect(x, c.board.top() + 8, 10, 10), QColor(200, 200, 190));  // its pads
            p.fillRect(QRect(300, 100, 460, 190), c.window);
            QFont f(QStringLiteral("DejaVu Sans Mono"));
            f.setPixelSize(44);
            p.setFont(f);
            const QList<std::pair<QPointF, QString>> lines = {{QPointF(330, 170), QStringLiteral("5080mV 2047mW")},
                                                               {QPointF(330, 250), QStringLiteral("403mA   7mAh")}};
            p.setPen(c.glow);
            for (const auto& [at, text] : lines)
                for (int dx = -3; dx <= 3; dx += 3)
                    for (int dy = -3; dy <= 3; dy += 3)
                        p.drawText(at + QPointF(dx, dy), text);
            p.setPen(c.print);
            for (const auto& [at, text] : lines)
                p.drawText(at, text);
        }
        const QString words = screenWords(image);
        EXPECT_TRUE(words.contains(QStringLiteral("5080"))) << c.why << " in: " << words.toStdString();
        EXPECT_TRUE(words.contains(QStringLiteral("403"))) << c.why << " in: " << words.toStdString();
    }
}

TEST(TextRecognizer, RealScreensHaveTheirReadingInTheText)
{
    // Screens saved by real instruments, where a reading's small print used to go unread or was
    // read at the wrong size: the work a capture may spend ran out on larger things first, the
    // reading's run was not known for one, or it was joined to a larger shape.
    struct Row {
        const char* file;
        QString want;
        const char* why;
    };
    const QList<Row> rows = {
        {"der-de5000-01.png", QStringLiteral("221.7"), "a point a little wider than a third of the line's height is still a point"},
        {"fresh-sigrok-lcd-01.png", QStringLiteral("1.0001 kHz"), "of a column of unit lamps beside segment digits, only the lit lamp's label is read"},
        {"fresh-sigrok-lcd-02.png", QStringLiteral("89.3499 kHz"),
         "a program's window shot on a desktop whose wallpaper is the commonest colour: its lamps' labels read against the window's own body"},
        {"fresh-hantek-openhantek-01.png", QStringLiteral("2.041"), "cursor lines and ticks standing alone are read last"},
        {"blind-rigol-ds1000z-02.png", QStringLiteral("606"), "a value after an equals sign in a scope's strip"},
        {"fresh-rigol-ds1000z-02.png", QStringLiteral("87.6"), "a small m is no minus sign of the tall badge a little way after it"},
        {"fresh-dps-control-01.png", QStringLiteral("2.56 V"), "a lone unit a little way after its figure is read with the figure"},
        {"fresh-rigol-ds1000z-01.png", QStringLiteral("116"), "a strip's text touching its cell's rim, the strip faint against the screen"},
        {"blind-smuview-02.png", QStringLiteral("7,400"), "a large decimal comma hanging below the digits joins their figure"},
        {"blind-smuview-01.png", QStringLiteral("9,3526"), "a large decimal comma the recogniser passed over is put back"},
        {"fresh-siglent-sds1000xe-01.png", QStringLiteral("16.40V"), "no digit made up in the gap between a figure's last digit and its unit"},
        {"fresh-tek-tbs1000-01.png", QStringLiteral("14.8V"), "a small V with straight arms after a figure is no 4"},
        {"blind-openmodern-01.png", QStringLiteral("1.4982879"), "eight segment digits and a point are one number, none of them read twice"},
        {"openhantek-6022-03.png", QStringLiteral("51,06V"), "drop-down boxes, each one wide lone shape, are read after the small print"},
        {"blind-rigol-ds1000z-01.png", QStringLiteral("354.6Hz"), "a grid's dots right of a trace as tall as the screen are no unit of it"},
        {"riden-gui-03.png", QStringLiteral("68.07 Volts"), "a unit a quarter of its figure's height, past the figure's widest gap between digits"},
        {"blind-rigol-ds1000z-03.png", QStringLiteral("Freq"), "a strip cell's label in a colour of its own, touching the cell's rim"},
        {"wild2-hantek-dso5102p-02.png", QStringLiteral("3.32V"), "a figure's first digit, off the next by its point, in a cell joined to a menu's frame"},
        {"siglent-sds1000xe-01.png", QStringLiteral("Mean"), "the label just before a strip's value is read with the value, before the work runs out"},
        {"fresh-siglent-sds1000xe-01.png", QStringLiteral("Min"), "so is a short label before the channel's tag (\"[1]=\") before a strip's value"},
        {"wild6-siglent-sds1000xe-04.png", QStringLiteral("100.105Hz"), "a narrow first digit a little apart from the next, in a strip joined to the grid"},
        {"wild-gwinstek-openwave1kb-02.jpg", QStringLiteral("100.001kHz"), "a slashed zero in small print is a zero, not the 8 or 6 it is nearest unslashed"},
        {"wild5-gwinstek-gds1000b-01.png", QStringLiteral("14.0"), "a small letter in the instrument's own face ends the figure before it"},
        {"wild5-gwinstek-gds1000b-01.png", QStringLiteral("14.0mV"), "an m in the instrument's own face, its middle stem half-way down, is no n"},
        {"wild7-hp-34401admmjs-01.png", QStringLiteral("179.7225"), "a pixel face's 1 passed over in large print at every size is read on its own"},
        {"wild4-keysight-msox4154a-01.png", QStringLiteral("2.4mV"), "a V of one-pixel arms after a figure's prefix, which the recogniser breaks up"},
        {"wild8-homemade-jkbmscan-02.png", QStringLiteral("40.88V"), "a character display's dots read against its character set (the slashed zero is no 8)"},
        {"wild8-homemade-jkbmscan-01.png", QStringLiteral("52.28V"), "a point on its line's baseline is no dot over the next line's digit just below it"},
        {"wild3-arminjo-batterytester-01.png", QStringLiteral("0.000\u03A9"), "a character display's Omega, which the recogniser has no letter for"},
        {"wild2-hantek-dso5102p-02.png", QStringLiteral("500.0ns"), "a 5 read as a 9 at some sizes, its bowl open, is read again"},
        {"wild2-hantek-dso5102p-04.png", QStringLiteral("20.00ms"), "a side panel's large print and rims leave strips of its colour too thin to stay worn away"},
        {"wild9-hantek-dso-02.png", QStringLiteral("19.23Hz"), "an arrow drawn onto a side panel's field, touching its rim, does not cut the panel across"},
        {"wild10-hantek-dso-01.jpg", QStringLiteral("26.66MHz"), "a value's field whose rim runs the side panel's width to the screen's edge is the panel's"},
        {"fluke-123-01.png", QStringLiteral("0,007"), "a blocky face's round point, touching the digits on both sides at a corner, is a point of its own"},
        {"blind-qtdmm-01.png", QStringLiteral("0L DC"), "a mode label in a display's narrow face, read as letters with confidence, is no segment number"},
        {"wild-lecroy-93xx-01.png", QStringLiteral("18.85 \u00B5s"),
         "a unit a space after a statistics table's figure, the stem of its \u00B5 hanging below the figure's foot, is read with it"},
        {"wild-lecroy-93xx-01.png", QStringLiteral("period(3)"), "a statistics table's row name past the measurement's icon, read though the work ran out"},
        {"wild9-wagiminator-usb-tester-photo-01.jpg", QStringLiteral("5080 mV"),
         "a photographed display's segment face, each digit two halves a dot apart, the line under it no half of its digits; "
         "its unit's m on three stems read as an n, its V, blurred rim and all, as a bracket"},
        {"wild12-go-multimeter-fs9721-01.png", QStringLiteral("127 V"), "a log's top lines, under its column of date stamps, are read whole before the lines below"},
        {"wild2-hp-3456aprog-02.png", QStringLiteral("-0.5136"), "a log's top line whose record number came out short, a pitch over its column's head, is read too"},
        {"wild-owon-rustymeter-03.png", QStringLiteral("YDC 0.0015"), "a log table's top row, stamped in Unix time, is read with its unit column"},
        {"rigol-dp832-04.png", QStringLiteral("Voltage:"), "an event log's long lines of prose are no records read first: a panel's labels are read"},
        {"wild8-rigol-ds1000z-10.png", QStringLiteral("18.50ms"), "a scope's strip dimmed under an open menu, at half the brightness of its other print"},
        {"wild8-rigol-ds1000z-07.png", QStringLiteral("Min:1.19"), "a statistics box's last line, read down the box's column once the work ran out"},
        {"wild5-rigol-ds1000z-02.png", QStringLiteral("Max:-131mV"), "a colon the recogniser lost before a minus, its dot still standing before the minus"},
        {"wild15-nordic-ppk-04.png", QStringLiteral("max"), "a tile's caption centred under its figure and unit is read with the figure"},
        {"wild10-nordic-ppk-program-01.png", QStringLiteral("average"), "a tile's caption, its letters run into one wide glyph, is read with its figure"},
        {"wild22-eevblog-121gwapp-01.png", QStringLiteral("0.034"), "a display's digits drawn touching into one wide glyph over a scale's ticks, decoded before the search's work runs out"},
        {"wild14-aalaei-powermeter-01.png", QStringLiteral("5.06"), "a row of segment tiles, each figure's unit a small letter between them, decoded tile by tile"},
        {"wild14-aalaei-powermeter-01.png", QStringLiteral("V 5.06"), "a field's letter just before its figure, level with its middle, is read with the figure"},
        {"wild14-siglent-sds1000xe-02.png", QStringLiteral("Measure"),
         "a line under a figure in print nearly its size is no tile's caption: the work goes to the scope's own marks first"},
        {"wild5-rigol-dho-02.png", QStringLiteral("4.07104kHz"),
         "a point smoothed grey by a picture scaled down, no glyph, is a faint mark on the baseline in a wide gap between digits"},
        {"wild2-hp-34401aprog-03.png", QStringLiteral("17352 "), "a log's record number in small print gains no point between its digits"},
        {"wild-riden-rdusb-02.png", QStringLiteral("13:55:58 5.06V"),
         "a web table's top row is read from its time stamp on: its rows three lines of print apart, its times' upper dots too faint for "
         "glyphs, its rows running on far past a record"},
        {"wild14-siglent-matlabmeas-01.png", QStringLiteral("3.020000"),
         "a point widened by coloured fringes, in a monospaced cell of its own, joins the digits a word space either side of it"},
        {"wild29-powermeter-web-settings-01.png", QStringLiteral("1.088AU+224.176V"),
         "an equals sign's two bars, close enough to pass for a digit's segments, are marks of their line between two quantities"},
        {"wild-gwinstek-openwave3ka-01.png", QStringLiteral("10.0002MHz"),
         "a counter's figure in a pixel face joined to its box by faint ink, its first digit a 1 with a foot as wide as its cell"},
        {"wild-gwinstek-openwave1kb-01.jpg", QStringLiteral("99.9942kHz"),
         "a window's long lines with points in them (an address, a path) are no readouts read ahead of the strip's figures"},
        {"wild29-fnirsi-open5012h-emu-01.png", QStringLiteral(" 2.03 "),
         "a slashed zero in a face of thick pixels, its top and bottom bars two rows deep with their corners cut, is no 8"},
    };
    for (const Row& row : rows) {
        QImage image;
        ASSERT_TRUE(image.load(QDir(realScreensFolder()).filePath(QString::fromLatin1(row.file)))) << row.file;
        const QString words = screenWords(image);
        EXPECT_TRUE(words.contains(row.want)) << row.file << " (" << row.why << "): " << words.toStdString();
    }
    // A large figure the recogniser reads short of a glyph at every size, where the glyph it
    // passed over is no digit of it (an icon beside a clock's "16:58" read alone as an 8), is
    // kept as a word no figure can be read from.
    QImage shortOfADigit;
    ASSERT_TRUE(shortOfADigit.load(QDir(realScreensFolder()).filePath(QStringLiteral("wild8-ks-bmsapp-01.png"))));
    const auto screen = TextRecognizer::recognizeScreen(shortOfADigit);
    ASSERT_TRUE(screen);
    const QStringList split = screen->lines().join(QLatin1Char(' ')).split(QLatin1Char(' '));
    EXPECT_FALSE(split.contains(QStringLiteral("16.58")) || split.contains(QStringLiteral("16.588"))) << split.join(QLatin1Char(' ')).toStdString();
}

TEST(TextRecognizer, ZerosDrawnWithAMarkInsideStayZeros)
{
    // A PC-style bitmap face draws the zero with a slash inside, its sides whole from top to
    // bottom; the recogniser takes it for an eight. The eight beside it keeps its waist.
    struct Case {
        std::vector<const char*> rows;
        const char* figure;
    };
    const Case cases[] = {
        {{".#####...........#####....###....#####..##....##", "##...##.........##...##..##.....##...##.##....##",
          ".....##.........##...##.##......##...##.##....##", ".....##.........##..###.##......##...##.##....##",
          "..####..........##.####.######...#####..##....##", ".....##.........####.##.##...##.##...##.##....##",
          ".....##.........###..##.##...##.##...##.##....##", ".....##.........##...##.##...##.##...##..##..##.",
          "##...##....##...##...##.##...##.##...##...####..", ".#####.....##....#####...#####...#####.....##..."},
         "3.068"},
        // ...and in the smallest print, its slash taken for a 6's bowl, for a six: a 6 is open
        // at the right over its bowl, where the zero keeps its side whole ("Prd=11.05ms", its
        // point perhaps read as a comma).
        {{"####...........#.........#.....#.......###..#####...............",
          "#...#..........#........##....##......#...#.#...................",
          "#...#.#.#...####.######..#.....#......#..##.####..####...####...",
          "#...#.##.#.#...#.........#.....#......#.#.#.....#.#.#.#.#.......",
          "####..#....#...#.######..#.....#......##..#.....#.#.#.#..###....",
          "#.....#....#...#.........#.....#....#.#...#.#...#.#.#.#.....#...",
          "#.....#.....####........###...###...#..###...###..#.#.#.####...."},
         "05ms"},
    };
    for (const Case& c : cases) {
        QString words;
        readScreen(QSize(320, 240), [&](QPainter& p, QImage&) {
            for (int y = 0; y < int(c.rows.size()); ++y)
                for (int x = 0; c.rows.at(size_t(y))[x]; ++x)
                    if (c.rows.at(size_t(y))[x] == '#')
                        p.fillRect(100 + x, 100 + y, 1, 1, p.pen().color());
        }, &words);
        EXPECT_TRUE(words.contains(QString::fromLatin1(c.figure))) << c.figure << " read " << words.toStdString();
    }
}

TEST(TextRecognizer, APointSmoothedGreyIsPutBackOnlyWhereItStandsOnTheBaseline)
{
    // Small print drawn smaller than its own pixels greys a one-pixel point (under half the
    // digits' ink) in a gap wider than the figure's others. A bare gap, or a faint stroke hanging
    // below the baseline as a comma's tail does, is no point.
    // "40712" with the gap after its 4 marked 'P': the mark's column, from the baseline down.
    static const char* const figure[] = {"...#.....###..#####...#....###.", "..##....#...#.....#..##...#...#", ".#.#....#...#....#....#.......#",
                                         "#..#....#...#...#.....#......#.", "#####...#...#..#......#.....#..", "...#....#...#..#......#....#...",
                                         "...#..P..###...#.....###..#####", "......P........................", "......P........................"};
    struct Case {
        int markedRows;  // how many of the mark's rows are greyed, from the baseline down
        const char* want;
        const char* not_;
    };
    const Case cases[] = {{1, "4.0712", "40712"}, {0, "40712", "4.0712"}, {3, "40712", "4.0712"}};
    for (const Case& c : cases) {
        QString words;
        readScreen(QSize(320, 240), [&](QPainter& p, QImage&) {
            for (int y = 0; y < 9; ++y)
                for (int x = 0; figure[y][x]; ++x)
                    if (figure[y][x] == '#' || (figure[y][x] == 'P' && y - 6 < c.markedRows))
                        p.fillRect(100 + x, 100 + y, 1, 1, figure[y][x] == '#' ? p.pen().color() : QColor(96, 100, 112));
        }, &words);
        EXPECT_TRUE(words.contains(QString::fromLatin1(c.want)) && !words.contains(QString::fromLatin1(c.not_))) << c.want << " read " << words.toStdString();
    }
}

// The words of a screen with their places, as one string to compare readings by.
QString placedWords(const TextRecognizer::ScreenText& screen)
{
    QStringList out;
    for (const TextRecognizer::ScreenWord& w : screen.words)
        out.append(QStringLiteral("%1@%2,%3,%4,%5/%6").arg(w.text).arg(w.box.x()).arg(w.box.y()).arg(w.box.width()).arg(w.box.height()).arg(w.row));
    return out.join(QLatin1Char(' '));
}

TEST(TextRecognizer, RepeatedPrintReadsAlikeWhereverAndWhenceverItIsRead)
{
    // Print repeated pixel for pixel (a label on every channel, a table's units) is read once
    // and taken over where it comes again: every copy must still be read as the first one, and
    // the screen read the same alone, again, and on two threads at once.
    struct Case {
        const char* name;
        const char* text;
        int copies;
        int pixels;
        bool bold;
    };
    const std::vector<Case> cases = {
        {"labels in small print", "CH1", 4, 14, false},
        {"readouts in bold print", "12.50V", 3, 22, true},
    };
    for (const Case& c : cases) {
        QImage image(640, 360, QImage::Format_RGB32);
        image.fill(QColor(8, 12, 28));
        {
            QPainter p(&image);
            p.setPen(QColor(235, 240, 245));
            p.setFont(face("DejaVu Sans", c.pixels, c.bold));
            for (int k = 0; k < c.copies; ++k)
                p.drawText(QPoint(40 + 150 * (k % 4), 60 + 120 * (k / 4)), QString::fromLatin1(c.text));
            p.setFont(face("DejaVu Sans", 64, true));
            p.drawText(QPoint(120, 300), QStringLiteral("4.096"));
        }
        const auto alone = TextRecognizer::recognizeScreen(image);
        ASSERT_TRUE(alone) << c.name;
        const QString expected = placedWords(*alone);
        EXPECT_EQ(alone->lines().join(QLatin1Char(' ')).count(QString::fromLatin1(c.text)), c.copies) << c.name << ": " << expected.toStdString();
        const auto again = TextRecognizer::recognizeScreen(image);
        ASSERT_TRUE(again) << c.name;
        EXPECT_EQ(placedWords(*again), expected) << c.name;
        std::array<QString, 2> together;
        std::vector<std::thread> threads;
        for (QString& read : together)
            threads.emplace_back([&image, &read] {
                const auto screen = TextRecognizer::recognizeScreen(image);
                read = screen ? placedWords(*screen) : QStringLiteral("(no reading)");
            });
        for (std::thread& t : threads)
            t.join();
        for (const QString& read : together)
            EXPECT_EQ(read, expected) << c.name;
    }
}

}  // namespace

TEST(TextRecognizer, CapturesAreReadAtABoundedSize)
{
    // Screenshots are read whole, a high-density display's at half size, a camera's large photo
    // at about what a screenshot is read at whole. A JPEG read smaller, and any capture read at
    // less than half, is decoded at its reading size, dark where it was drawn dark.
    struct Row {
        QSize size, read;
        const char* format;  // nullptr: not written to a file
        QSize decoded;
    };
    const QList<Row> rows = {
        {QSize(2000, 1500), QSize(2000, 1500), "JPG", QSize(2000, 1500)},
        {QSize(2400, 1500), QSize(1200, 750), "JPG", QSize(1200, 750)},
        {QSize(2400, 1500), QSize(1200, 750), "PNG", QSize(2400, 1500)},
        {QSize(4000, 3000), QSize(2000, 1500), nullptr, {}},
        {QSize(8000, 6000), QSize(2000, 1500), nullptr, {}},
        {QSize(3000, 5000), QSize(1341, 2236), "PNG", QSize(1341, 2236)},
    };
    const QTemporaryDir dir;
    for (const Row& row : rows) {
        EXPECT_EQ(TextRecognizer::readingSize(row.size), row.read) << row.size.width();
        // (A capture decoded at its reading size is read as it is, not made smaller again.)
        EXPECT_EQ(TextRecognizer::readingSize(row.read), row.read) << row.size.width();
        if (!row.format)
            continue;
        QImage image(row.size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter(&image).fillRect(QRect(QPoint(0, 0), row.size / 2), Qt::black);
        const QString path = dir.filePath(QStringLiteral("capture.") + QLatin1String(row.format));
        ASSERT_TRUE(image.save(path, row.format)) << row.size.width();
        const QImage loaded = TextRecognizer::loadCapture(path);
        EXPECT_EQ(loaded.size(), row.decoded) << row.size.width();
        EXPECT_LT(qGray(loaded.pixel(row.decoded.width() / 4, row.decoded.height() / 4)), 64) << row.size.width();
    }
}
