#include "Corvallen/Platform/TextRecognizer.h"

#include "Corvallen/Platform/BenchScreenReader.h"

#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

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

}  // namespace
