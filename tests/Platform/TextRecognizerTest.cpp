#include "Corvallen/Platform/TextRecognizer.h"

#include <QFont>
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

}  // namespace
