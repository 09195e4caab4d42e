#include "Corvallen/Platform/Views/ScreenPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

TEST(ScreenPlacement, AWindowTallerThanTheScreenOpensWhollyOnIt)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget main;
    main.resize(available.width() / 2, available.height() / 2);
    main.show();
    QWidget viewer(nullptr, Qt::Window);
    viewer.resize(available.width() / 2, available.height() + 300);
    placeOnScreen(&viewer, &main);
    viewer.show();
    EXPECT_TRUE(available.contains(viewer.frameGeometry())) << viewer.frameGeometry().y() << " " << viewer.frameGeometry().height();
    EXPECT_EQ(viewer.width(), available.width() / 2);
}
