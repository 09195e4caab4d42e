// The translucent background: when a compositor is assumed, and how the setting switches the
// painted surface live between the translucent tint and the solid window colour.
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Shell/Views/VisualEffectView.h"

#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

QProcessEnvironment env(std::initializer_list<std::pair<const char*, const char*>> vars)
{
    QProcessEnvironment e;
    for (const auto& [k, v] : vars)
        e.insert(QString::fromLatin1(k), QString::fromLatin1(v));
    return e;
}

TEST(VisualEffectView, CompositorRule)
{
    EXPECT_TRUE(VisualEffectView::compositorLikely(QStringLiteral("wayland"), env({})));
    EXPECT_TRUE(VisualEffectView::compositorLikely(QStringLiteral("wayland-egl"), env({})));
    EXPECT_TRUE(VisualEffectView::compositorLikely(QStringLiteral("xcb"), env({{"WAYLAND_DISPLAY", "wayland-0"}})));
    EXPECT_TRUE(VisualEffectView::compositorLikely(QStringLiteral("xcb"), env({{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}})));
    EXPECT_TRUE(VisualEffectView::compositorLikely(QStringLiteral("xcb"), env({{"XDG_CURRENT_DESKTOP", "KDE"}})));
    EXPECT_FALSE(VisualEffectView::compositorLikely(QStringLiteral("xcb"), env({{"XDG_CURRENT_DESKTOP", "i3"}})));
    EXPECT_FALSE(VisualEffectView::compositorLikely(QStringLiteral("xcb"), env({})));
    EXPECT_FALSE(VisualEffectView::compositorLikely(QStringLiteral("offscreen"), env({{"WAYLAND_DISPLAY", "w"}})));
    EXPECT_FALSE(VisualEffectView::compositorLikely(QStringLiteral("vnc"), env({})));
}

class VisualEffectViewSetting : public testing::Test {
protected:
    void TearDown() override { SettingsStore::shared().remove(QStringLiteral("windowTranslucency")); }
};

TEST_F(VisualEffectViewSetting, SolidWithoutCompositor)
{
    SettingsStore::shared().setBool(QStringLiteral("windowTranslucency"), true);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* background = new VisualEffectView(VisualEffectView::Material::UnderWindowBackground);
    layout->addWidget(background);
    window.resize(200, 150);
    window.show();
    // The offscreen platform has nothing behind the window: the solid colour, setting or not.
    EXPECT_FALSE(window.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_FALSE(background->isTranslucent());
    EXPECT_EQ(background->fillColor(), background->palette().color(QPalette::Window));
    EXPECT_EQ(background->grab().toImage().pixelColor(5, 5), background->palette().color(QPalette::Window));
}

TEST_F(VisualEffectViewSetting, SettingSwitchesTheSurfaceLive)
{
    QWidget window;
    window.setAttribute(Qt::WA_TranslucentBackground);  // as on a composited desktop
    auto* layout = new QVBoxLayout(&window);
    auto* body = new VisualEffectView(VisualEffectView::Material::UnderWindowBackground);
    auto* sidebar = new VisualEffectView(VisualEffectView::Material::Sidebar);
    layout->addWidget(sidebar);
    layout->addWidget(body);
    window.resize(300, 200);
    window.show();

    EXPECT_TRUE(VisualEffectView::translucencySetting()) << "on by default";
    EXPECT_TRUE(body->isTranslucent());
    EXPECT_LT(body->fillColor().alpha(), 255);
    EXPECT_LT(sidebar->fillColor().alpha(), 255);
    EXPECT_NE(sidebar->fillColor().rgb(), body->fillColor().rgb()) << "the sidebar sits a shade apart";

    SettingsStore::shared().setBool(QStringLiteral("windowTranslucency"), false);
    EXPECT_FALSE(body->isTranslucent());
    EXPECT_EQ(body->fillColor(), body->palette().color(QPalette::Window));
    EXPECT_EQ(body->fillColor().alpha(), 255);
    EXPECT_EQ(sidebar->fillColor().alpha(), 255);

    SettingsStore::shared().setBool(QStringLiteral("windowTranslucency"), true);
    EXPECT_TRUE(body->isTranslucent());

    // Changing the surface's values updates the same widget.
    const QColor sidebarTint = sidebar->fillColor();
    sidebar->setMaterial(VisualEffectView::Material::UnderWindowBackground);
    EXPECT_EQ(sidebar->material(), VisualEffectView::Material::UnderWindowBackground);
    EXPECT_NE(sidebar->fillColor(), sidebarTint);
    sidebar->setState(VisualEffectView::State::Active);
    const int activeAlpha = sidebar->fillColor().alpha();
    sidebar->setState(VisualEffectView::State::Inactive);
    EXPECT_GT(sidebar->fillColor().alpha(), activeAlpha) << "an inactive window looks calmer";
}

}  // namespace
