#include "Corvallen/Platform/ColorContrast.h"

#include <gtest/gtest.h>

TEST(ColorContrast, RatiosAsTheGuidelinesMeasureThem)
{
    EXPECT_NEAR(ColorContrast::ratio(Qt::black, Qt::white), 21.0, 0.01);
    EXPECT_NEAR(ColorContrast::ratio(Qt::white, Qt::white), 1.0, 0.001);
    // #767676 on white is the well-known grey that just reaches 4.5:1.
    EXPECT_NEAR(ColorContrast::ratio(QColor(0x76, 0x76, 0x76), Qt::white), 4.54, 0.01);
    EXPECT_EQ(ColorContrast::composite(QColor(255, 0, 0, 0), QColor(10, 20, 30)), QColor(10, 20, 30));
}

TEST(ColorContrast, StatusColoursOnSelectedAndUnselectedRowsBecomeReadable)
{
    const QColor red(0xFF, 0x3B, 0x30), green(0x34, 0xC7, 0x59), blue(0x00, 0x7A, 0xFF);
    const QColor lightRow(Qt::white), darkRow(0x1E, 0x1E, 0x20), lightSelection(0x00, 0x68, 0xD9),
        darkSelection(0x15, 0x70, 0xE0), unfocusedDark(0x46, 0x46, 0x4A);
    for (const QColor& text : {red, green, blue})
        for (const QColor& row : {lightRow, darkRow, lightSelection, darkSelection, unfocusedDark}) {
            // The badge's tinted capsule lies between the text and the row.
            QColor tint = text;
            tint.setAlphaF(0.18);
            const QColor background = ColorContrast::composite(tint, row);
            const QColor shown = ColorContrast::readableOn(text, background);
            EXPECT_GE(ColorContrast::ratio(shown, background), 4.5) << text.name().toStdString() << " on " << row.name().toStdString();
        }
    // A colour that reads already is kept as it is.
    EXPECT_EQ(ColorContrast::readableOn(Qt::black, Qt::white), QColor(Qt::black));
}
