#include "Corvallen/Platform/Views/WheelGuard.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// One notch of the wheel, downwards, over the middle of a widget.
void turnWheel(QWidget* over)
{
    const QPointF local(over->width() / 2.0, over->height() / 2.0);
    QWheelEvent wheel(local, over->mapToGlobal(local), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &wheel);
}

struct Page {
    QScrollArea area;
    QWidget* content = new QWidget;
    QComboBox* combo = new QComboBox;
    QSpinBox* spin = new QSpinBox;
    QSlider* slider = new QSlider(Qt::Horizontal);

    Page()
    {
        auto* layout = new QVBoxLayout(content);
        combo->addItems({QStringLiteral("EUR"), QStringLiteral("GBP"), QStringLiteral("USD")});
        spin->setRange(0, 100);
        slider->setRange(0, 100);
        layout->addWidget(combo);
        layout->addWidget(spin);
        layout->addWidget(slider);
        layout->addSpacing(2000);
        area.setWidget(content);
        area.setWidgetResizable(true);
        area.resize(300, 200);
        area.show();
        QApplication::setActiveWindow(&area);
        QCoreApplication::processEvents();
    }
};

}  // namespace

TEST(WheelGuard, UnfocusedControlsScrollThePageAndFocusedOnesTakeTheWheel)
{
    WheelGuard::install(*qApp);
    WheelGuard::install(*qApp);  // a second install adds no second guard
    Page page;
    QScrollBar* bar = page.area.verticalScrollBar();

    // A wheel turn never gives these controls the focus.
    EXPECT_EQ(page.combo->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(page.spin->focusPolicy(), Qt::StrongFocus);

    page.area.setFocus();
    turnWheel(page.combo);
    EXPECT_EQ(page.combo->currentIndex(), 0);
    const int afterCombo = bar->value();
    EXPECT_GT(afterCombo, 0);

    // The spin box's text field is where the pointer is; the page scrolls, the number stays.
    turnWheel(page.spin->findChild<QLineEdit*>());
    EXPECT_EQ(page.spin->value(), 0);
    EXPECT_GT(bar->value(), afterCombo);

    turnWheel(page.slider);
    EXPECT_EQ(page.slider->value(), 0);

    // The scroll bar itself still scrolls.
    const int beforeBar = bar->value();
    turnWheel(bar);
    EXPECT_GT(bar->value(), beforeBar);

    // With the focus, the control takes the wheel and the page stays.
    page.combo->setFocus();
    ASSERT_TRUE(page.combo->hasFocus());
    const int still = bar->value();
    turnWheel(page.combo);
    EXPECT_EQ(page.combo->currentIndex(), 1);
    EXPECT_EQ(bar->value(), still);
}
