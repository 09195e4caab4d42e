#include "Corvallen/Platform/Views/ScreenPlacement.h"

#include <QApplication>
#include <QDialog>
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

TEST(ScreenPlacement, ADialogTallerThanTheScreenIsCutDownToItAsItShows)
{
    keepDialogsOnScreen(*qApp);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget main;
    main.resize(available.width() / 2, available.height() / 2);
    main.show();
    QDialog sheet(&main);
    sheet.resize(available.width() / 2, available.height() + 200);
    sheet.show();
    EXPECT_TRUE(available.contains(sheet.frameGeometry())) << sheet.frameGeometry().y() << " " << sheet.frameGeometry().height();
    // A dialog that fits keeps its size.
    QDialog small(&main);
    small.resize(200, 150);
    small.show();
    EXPECT_EQ(small.size(), QSize(200, 150));
}
