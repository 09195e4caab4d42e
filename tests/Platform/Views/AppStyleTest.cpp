// What the application style mends in Fusion: the chosen segment reads as chosen, an empty check
// box is visible, drop-down buttons keep their arrow off the text, and cut labels say so.
#include "Corvallen/Platform/ColorContrast.h"
#include "Corvallen/Platform/Views/AppStyle.h"
#include "Corvallen/Platform/Views/ElidedLabel.h"
#include "Corvallen/Platform/Views/ThemeManager.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// The share of a widget's pixels close to a colour.
double shareOf(QWidget* w, const QColor& c)
{
    const QImage image = w->grab().toImage();
    int near = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            if (std::abs(p.red() - c.red()) + std::abs(p.green() - c.green()) + std::abs(p.blue() - c.blue()) < 30)
                ++near;
        }
    return double(near) / (image.width() * image.height());
}

// The largest difference in lightness between any pixel of the widget and its background.
int strongestEdge(QWidget* w, const QColor& background)
{
    const QImage image = w->grab().toImage();
    int most = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            most = std::max(most, std::abs(image.pixelColor(x, y).lightness() - background.lightness()));
    return most;
}

class AppStyleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        style = new AppStyle();
        QApplication::setStyle(style);
    }
    void TearDown() override { QApplication::setPalette(ThemeManager::lightPalette()); }
    AppStyle* style = nullptr;
};

}  // namespace

TEST_F(AppStyleTest, TheChosenSegmentIsFilledWithTheAccentInBothThemes)
{
    for (const QPalette& palette : {ThemeManager::lightPalette(), ThemeManager::darkPalette()}) {
        QApplication::setPalette(palette);
        QWidget box;
        auto* row = new QHBoxLayout(&box);
        QToolButton* chosen = new QToolButton(&box);
        QToolButton* other = new QToolButton(&box);
        for (QToolButton* b : {chosen, other}) {
            b->setProperty("segment", true);
            b->setCheckable(true);
            b->setText(QStringLiteral("In stock"));
            row->addWidget(b);
        }
        chosen->setChecked(true);
        box.show();
        const QColor accent = palette.color(QPalette::Active, QPalette::Highlight);
        EXPECT_GT(shareOf(chosen, accent), 0.4);
        EXPECT_LT(shareOf(other, accent), 0.05);
    }
}

TEST_F(AppStyleTest, AProminentButtonIsFilledWithTheAccent)
{
    for (const QPalette& palette : {ThemeManager::lightPalette(), ThemeManager::darkPalette()}) {
        QApplication::setPalette(palette);
        QPushButton plain(QStringLiteral("Open Help"));
        QPushButton prominent(QStringLiteral("Get Started"));
        prominent.setProperty("prominent", true);
        for (QPushButton* b : {&plain, &prominent}) {
            b->resize(b->sizeHint());
            b->show();
        }
        const QColor accent = palette.color(QPalette::Active, QPalette::Highlight);
        EXPECT_GT(shareOf(&prominent, accent), 0.5);
        EXPECT_LT(shareOf(&plain, accent), 0.1);
    }
}

TEST_F(AppStyleTest, AnEmptyCheckBoxShowsItsEdgeInTheDark)
{
    QApplication::setPalette(ThemeManager::darkPalette());
    QCheckBox box;
    box.resize(box.sizeHint());
    box.show();
    // Half the lightness range between the box's edge and the window behind it, at least.
    EXPECT_GT(strongestEdge(&box, ThemeManager::darkPalette().color(QPalette::Window)), 60);
}

TEST_F(AppStyleTest, DividersAreQuietHairlinesInBothThemes)
{
    for (const QPalette& palette : {ThemeManager::lightPalette(), ThemeManager::darkPalette()})
        for (const QFrame::Shadow shadow : {QFrame::Plain, QFrame::Sunken, QFrame::Raised}) {
            QApplication::setPalette(palette);
            QWidget box;
            box.setAutoFillBackground(true);
            auto* layout = new QHBoxLayout(&box);
            auto* line = new QFrame(&box);
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(shadow);
            layout->addWidget(line);
            box.resize(120, 20);
            const QColor background = palette.color(QPalette::Window);
            // Far less than the text's contrast with the window, in either direction.
            EXPECT_LE(strongestEdge(&box, background), 45) << int(shadow);
            EXPECT_GT(strongestEdge(&box, background), 5) << int(shadow);
        }
}

TEST_F(AppStyleTest, DropDownButtonsKeepRoomForTheirArrow)
{
    QToolButton plain;
    plain.setText(QStringLiteral("Category: All"));
    plain.setToolButtonStyle(Qt::ToolButtonTextOnly);
    QToolButton dropDown;
    dropDown.setText(plain.text());
    dropDown.setToolButtonStyle(Qt::ToolButtonTextOnly);
    dropDown.setPopupMode(QToolButton::InstantPopup);
    dropDown.setMenu(new QMenu(&dropDown));
    EXPECT_GE(dropDown.sizeHint().width(), plain.sizeHint().width() + AppStyle::menuArrowRoom);
}

TEST(ThemePalettes, TextOnTheAccentAndOnUnfocusedSelectionsReads)
{
    for (const QPalette& palette : {ThemeManager::lightPalette(), ThemeManager::darkPalette()})
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            EXPECT_GE(ColorContrast::ratio(palette.color(group, QPalette::HighlightedText), palette.color(group, QPalette::Highlight)), 4.5);
            EXPECT_GE(ColorContrast::ratio(palette.color(group, QPalette::Text), palette.color(group, QPalette::Base)), 4.5);
        }
}

TEST(ElidedLabel, CutsWithAnEllipsisOnlyWhenShort)
{
    ElidedLabel label(QStringLiteral("Ripple on the 300 V rail after replacing every capacitor"));
    label.resize(label.sizeHint());
    EXPECT_EQ(label.shownText(), label.text());
    label.resize(label.sizeHint().width() / 2, label.height());
    EXPECT_TRUE(label.shownText().endsWith(QChar(0x2026)));
    EXPECT_LE(label.fontMetrics().horizontalAdvance(label.shownText()), label.width());
    EXPECT_EQ(label.text(), QStringLiteral("Ripple on the 300 V rail after replacing every capacitor"));
    // It can be squeezed to a few letters; a layout never has to cut it.
    EXPECT_LT(label.minimumSizeHint().width(), label.sizeHint().width() / 4);
}
