#include "Corvallen/Library/Reading/SevenSegmentDecoder.h"
#include "support/SegmentDigits.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using Style = corvallen::test::SegmentStyle;

// A grey image thresholded as the reader thresholds a line.
std::vector<bool> maskOf(const QImage& image)
{
    std::vector<bool> mask(size_t(image.width()) * size_t(image.height()));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            mask[size_t(y) * size_t(image.width()) + size_t(x)] = image.constScanLine(y)[x] > 127;
    return mask;
}

// `text` printed white on black in an ordinary screen face, its baseline at `at`.
QImage printed(const QString& text, int pixels, QSize size, QPointF at)
{
    QImage image(size, QImage::Format_Grayscale8);
    image.fill(0);
    QPainter p(&image);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(at, text);
    return image;
}

// Draws `text` as LCD segments, optionally slanted, and returns the thresholded mask.
std::vector<bool> segmentMask(const QString& text, int height, double slant, int* width, Style style = Style::Gapped)
{
    const double pitch = corvallen::test::segmentPitch(height);
    QImage image(int(pitch * text.size() + height * (slant + 0.3)), height + 8, QImage::Format_Grayscale8);
    image.fill(0);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.setTransform(QTransform(1, 0, -slant, 1, slant * (height + 4), 0));
    corvallen::test::paintSegments(p, text, QPointF(4, 4), height, style);
    p.end();
    *width = image.width();
    return maskOf(image);
}

std::optional<QString> decoded(const QString& text, int height, double slant = 0, Style style = Style::Gapped)
{
    int width = 0;
    const auto mask = segmentMask(text, height, slant, &width, style);
    const auto r = SevenSegmentDecoder::decode(mask, width, height + 8);
    if (!r)
        return std::nullopt;
    if (style != Style::Blocky)
        EXPECT_TRUE(r->separateSegments);
    return r->text;
}

}  // namespace

TEST(SevenSegmentDecoder, ReadsEveryDigitWithPointAndSign)
{
    EXPECT_EQ(decoded(QStringLiteral("0123456789"), 60), QStringLiteral("0123456789"));
    EXPECT_EQ(decoded(QStringLiteral("-40.25"), 80), QStringLiteral("-40.25"));
    EXPECT_EQ(decoded(QStringLiteral("1.111"), 40), QStringLiteral("1.111"));
    // Slanted like most LCD fonts, and small.
    EXPECT_EQ(decoded(QStringLiteral("-9.187"), 90, 0.1), QStringLiteral("-9.187"));
    EXPECT_EQ(decoded(QStringLiteral("86.02"), 30), QStringLiteral("86.02"));
    // The overload mark.
    EXPECT_EQ(decoded(QStringLiteral("0.L"), 60), QStringLiteral("0.L"));
}

TEST(SevenSegmentDecoder, ReadsThinAndBlockyFaces)
{
    // Thin bars standing apart: a digit's left-hand bars are cut off from the rest by empty
    // columns, and must not be read as a one beside a three.
    EXPECT_EQ(decoded(QStringLiteral("1558.7"), 70, 0, Style::Apart), QStringLiteral("1558.7"));
    EXPECT_EQ(decoded(QStringLiteral("-20.69"), 50, 0.08, Style::Apart), QStringLiteral("-20.69"));
    // Blocky bars drawn between the verticals: a 3 or 7 is narrower than an 8, and its segments
    // are placed from its right edge.
    EXPECT_EQ(decoded(QStringLiteral("84.3"), 78, 0, Style::Blocky), QStringLiteral("84.3"));
    EXPECT_EQ(decoded(QStringLiteral("0.L"), 60, 0, Style::Blocky), QStringLiteral("0.L"));
    EXPECT_EQ(decoded(QStringLiteral("3707"), 64, 0.07, Style::Blocky), QStringLiteral("3707"));
    // A sign drawn as a short block before the first digit.
    EXPECT_EQ(decoded(QStringLiteral("~32.1"), 60), QStringLiteral("-32.1"));
}

TEST(SevenSegmentDecoder, RefusesWhatIsNotASegmentNumber)
{
    // Printed letters are not segments.
    const QImage image = printed(QStringLiteral("AUTO"), 64, QSize(300, 80), QPointF(4, 70));
    EXPECT_FALSE(SevenSegmentDecoder::decode(maskOf(image), image.width(), image.height()));

    // A printed zero with a dot in its middle (as many screen faces draw it) lights the places
    // of all seven segments, but its middle is no bar across the digit: it is not an 8.
    QImage zero(60, 80, QImage::Format_Grayscale8);
    zero.fill(0);
    {
        QPainter p(&zero);
        p.setPen(QPen(Qt::white, 9));
        p.drawRoundedRect(QRectF(10, 8, 38, 62), 16, 16);
        p.fillRect(QRectF(25, 33, 9, 12), Qt::white);
    }
    const auto dotted = SevenSegmentDecoder::decode(maskOf(zero), zero.width(), zero.height());
    EXPECT_TRUE(!dotted || dotted->text != QLatin1String("8")) << dotted->text.toStdString();

    // Small letters run together before the digits, level with their middle, are no minus sign:
    // a sign is one solid bar.
    for (const char* word : {"me", "oe", "ne"}) {
        int w = 0;
        const int height = 60;
        std::vector<bool> digits = segmentMask(QStringLiteral("07"), height, 0, &w);
        const QImage letters = printed(QString::fromLatin1(word), 16, QSize(w + 40, height + 8), QPointF(2, 4 + height / 2.0 + 6));
        std::vector<bool> mask = maskOf(letters);
        for (int y = 0; y < letters.height(); ++y)
            for (int x = 40; x < letters.width(); ++x)
                mask[size_t(y) * size_t(letters.width()) + size_t(x)] = digits[size_t(y) * size_t(w) + size_t(x - 40)];
        const auto r = SevenSegmentDecoder::decode(mask, letters.width(), letters.height());
        EXPECT_TRUE(!r || !r->text.startsWith(QLatin1Char('-'))) << word << ": " << r->text.toStdString();
    }

    // Too small or empty patches give nothing.
    EXPECT_FALSE(SevenSegmentDecoder::decode(std::vector<bool>(40, false), 8, 5));
    EXPECT_FALSE(SevenSegmentDecoder::decode(std::vector<bool>(400, false), 20, 20));
}
