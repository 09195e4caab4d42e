// The theme: "appTheme" picks our light or dark palette, "system" follows the desktop's
// colour-scheme preference (read from a portal on a private session bus here), and every change
// restyles open windows at once.
#include "Corvallen/Platform/ColorSchemePreference.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/Views/AppStyle.h"
#include "Corvallen/Platform/Views/ThemeManager.h"
#include "support/EventLoop.h"
#include "support/PrivateBus.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusVariant>
#include <QStyle>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

using corvallen::test::PrivateBus;
using corvallen::test::waitUntil;

}  // namespace

// Stands in for xdg-desktop-portal's Settings interface.
class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    explicit FakePortal(uint value) : m_value(value) {}

public Q_SLOTS:
    QDBusVariant Read(const QString& ns, const QString& key)
    {
        if (ns != QLatin1String("org.freedesktop.appearance") || key != QLatin1String("color-scheme"))
            return QDBusVariant(QVariant::fromValue(QDBusVariant(QString())));
        // Read answers a variant holding a variant.
        return QDBusVariant(QVariant::fromValue(QDBusVariant(m_value)));
    }
    void change(uint value)
    {
        m_value = value;
        Q_EMIT SettingChanged(QStringLiteral("org.freedesktop.appearance"), QStringLiteral("color-scheme"),
                              QDBusVariant(value));
    }

Q_SIGNALS:
    void SettingChanged(const QString& ns, const QString& key, const QDBusVariant& value);

private:
    uint m_value;
};

namespace {

class ThemeTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_settings = std::make_unique<SettingsStore>(corvallen::test::freshFolder(QStringLiteral("theme"))
                                                     + QStringLiteral("/settings.json"));
    }

    std::unique_ptr<SettingsStore> m_settings;
};

TEST(ThemeMapping, ChoiceToScheme)
{
    EXPECT_EQ(ThemeManager::schemeFor(QStringLiteral("light"), ColorScheme::Dark), ColorScheme::Light);
    EXPECT_EQ(ThemeManager::schemeFor(QStringLiteral("dark"), ColorScheme::Light), ColorScheme::Dark);
    EXPECT_EQ(ThemeManager::schemeFor(QStringLiteral("system"), ColorScheme::Dark), ColorScheme::Dark);
    EXPECT_EQ(ThemeManager::schemeFor(QStringLiteral("system"), ColorScheme::Light), ColorScheme::Light);
    EXPECT_EQ(ThemeManager::schemeFor(QStringLiteral("sepia"), ColorScheme::Dark), ColorScheme::Dark);
    EXPECT_EQ(ThemeManager::schemeFor(QString(), ColorScheme::Light), ColorScheme::Light);
    // The palettes are what their names say.
    EXPECT_GT(ThemeManager::lightPalette().color(QPalette::Window).lightness(), 200);
    EXPECT_LT(ThemeManager::darkPalette().color(QPalette::Window).lightness(), 60);
    EXPECT_LT(ThemeManager::darkPalette().color(QPalette::Base).lightness(),
              ThemeManager::darkPalette().color(QPalette::Text).lightness());
}

TEST(ThemeMapping, PortalValues)
{
    EXPECT_EQ(ColorSchemePreference::schemeFor(1u, false), ColorScheme::Dark);
    EXPECT_EQ(ColorSchemePreference::schemeFor(2u, true), ColorScheme::Light);
    EXPECT_EQ(ColorSchemePreference::schemeFor(0u, true), ColorScheme::Dark);
    EXPECT_EQ(ColorSchemePreference::schemeFor(std::nullopt, false), ColorScheme::Light);
    EXPECT_EQ(ColorSchemePreference::valueFromReply(QVariant::fromValue(QDBusVariant(uint(1)))), 1u);
    EXPECT_EQ(ColorSchemePreference::valueFromReply(QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(uint(2)))))), 2u);
    EXPECT_FALSE(ColorSchemePreference::valueFromReply(QVariant::fromValue(QDBusVariant(QStringLiteral("dark")))));
}

TEST_F(ThemeTest, SettingRestylesOpenWindowsAtOnce)
{
    // Without a portal the desktop's palette decides; make it a light one whatever ran before.
    QApplication::setPalette(ThemeManager::lightPalette());
    auto* desktop = new ColorSchemePreference(QDBusConnection(QStringLiteral("corvallen-no-bus")));
    EXPECT_FALSE(desktop->portalValue());
    ThemeManager theme(*m_settings, desktop);
    theme.install(*qApp);
    auto* style = qobject_cast<AppStyle*>(QApplication::style());
    ASSERT_TRUE(style);
    EXPECT_EQ(style->baseStyle()->name().toLower(), QStringLiteral("fusion"));
    EXPECT_FALSE(m_settings->contains(QStringLiteral("appTheme"))) << "the default is read, never written";
    EXPECT_EQ(theme.desktopScheme(), ColorScheme::Light);
    EXPECT_EQ(theme.currentScheme(), ColorScheme::Light);

    QWidget window;
    window.show();
    QWidget panel;  // the menu-bar panel keeps to the desktop's scheme
    theme.followDesktopScheme(&panel);
    QList<ColorScheme> changes;
    QObject::connect(&theme, &ThemeManager::schemeChanged, &theme, [&](ColorScheme s) { changes.append(s); });

    m_settings->setText(QStringLiteral("appTheme"), QStringLiteral("dark"));
    EXPECT_EQ(theme.currentScheme(), ColorScheme::Dark);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.palette().color(QPalette::Window), ThemeManager::darkPalette().color(QPalette::Window));
    EXPECT_EQ(panel.palette().color(QPalette::Window), ThemeManager::paletteFor(theme.desktopScheme()).color(QPalette::Window));

    m_settings->setText(QStringLiteral("appTheme"), QStringLiteral("light"));
    QCoreApplication::processEvents();
    EXPECT_EQ(window.palette().color(QPalette::Window), ThemeManager::lightPalette().color(QPalette::Window));
    QWidget later;  // a window opened afterwards gets the same look
    EXPECT_EQ(later.palette().color(QPalette::Window), ThemeManager::lightPalette().color(QPalette::Window));

    m_settings->remove(QStringLiteral("appTheme"));
    EXPECT_EQ(theme.currentScheme(), theme.desktopScheme());
    EXPECT_EQ(changes.value(0), ColorScheme::Dark);
    EXPECT_EQ(changes.value(1), ColorScheme::Light);
}

// A private session bus with a stand-in portal, so the desktop preference is real D-Bus traffic.
class PortalBus : public testing::Test {
protected:
    void SetUp() override
    {
        if (!PrivateBus::available())
            GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(m_bus.start());
        m_address = m_bus.address();

        m_service = QDBusConnection::connectToBus(m_address, QStringLiteral("portal-service"));
        ASSERT_TRUE(m_service.isConnected()) << m_service.lastError().message().toStdString();
        m_portal = new FakePortal(1);  // prefers dark
        ASSERT_TRUE(m_service.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), m_portal,
                                             QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        // Served from its own thread: the preference asks it with a blocking call.
        m_portal->moveToThread(&m_portalThread);
        m_portalThread.start();
        ASSERT_TRUE(m_service.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        m_client = QDBusConnection::connectToBus(m_address, QStringLiteral("portal-client"));
        ASSERT_TRUE(m_client.isConnected());
    }

    void TearDown() override
    {
        if (m_portal) {
            m_service.unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"));
            QMetaObject::invokeMethod(m_portal, "deleteLater");
        }
        m_portalThread.quit();
        m_portalThread.wait();
        QDBusConnection::disconnectFromBus(QStringLiteral("portal-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("portal-service"));
    }

    void portalChanges(uint value)
    {
        // A round trip first: the bus handles a connection's messages in order, so the client's
        // subscription to the signal is in place before the signal goes out.
        m_client.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.portal.Desktop"));
        QMetaObject::invokeMethod(m_portal, [p = m_portal, value] { p->change(value); });
    }

    PrivateBus m_bus;  // stopped after the connections are closed
    QString m_address;
    QDBusConnection m_service{QString()};
    QDBusConnection m_client{QString()};
    QThread m_portalThread;
    FakePortal* m_portal = nullptr;
};

TEST_F(PortalBus, DesktopPreferenceIsReadAndFollowed)
{
    ColorSchemePreference preference(m_client);
    EXPECT_EQ(preference.portalValue(), 1u);
    EXPECT_EQ(preference.scheme(), ColorScheme::Dark);

    QList<ColorScheme> seen;
    QObject::connect(&preference, &ColorSchemePreference::schemeChanged, &preference,
                     [&](ColorScheme s) { seen.append(s); });
    portalChanges(2);
    ASSERT_TRUE(waitUntil([&] { return !seen.isEmpty(); }));
    EXPECT_EQ(seen, QList<ColorScheme>{ColorScheme::Light});
    EXPECT_EQ(preference.portalValue(), 2u);
}

TEST_F(PortalBus, SystemThemeFollowsTheDesktopLive)
{
    SettingsStore settings(corvallen::test::freshFolder(QStringLiteral("theme")) + QStringLiteral("/settings.json"));
    auto* desktop = new ColorSchemePreference(m_client);
    ThemeManager theme(settings, desktop);
    theme.install(*qApp);
    QWidget window;
    window.show();
    EXPECT_EQ(theme.currentScheme(), ColorScheme::Dark);
    EXPECT_EQ(window.palette().color(QPalette::Window), ThemeManager::darkPalette().color(QPalette::Window));

    portalChanges(2);
    ASSERT_TRUE(waitUntil([&] { return theme.currentScheme() == ColorScheme::Light; }));
    EXPECT_EQ(window.palette().color(QPalette::Window), ThemeManager::lightPalette().color(QPalette::Window));

    // A forced choice ignores the desktop.
    settings.setText(QStringLiteral("appTheme"), QStringLiteral("dark"));
    portalChanges(2);
    portalChanges(1);
    portalChanges(2);
    ASSERT_TRUE(waitUntil([&] { return desktop->scheme() == ColorScheme::Light && desktop->portalValue() == 2u; }));
    EXPECT_EQ(theme.currentScheme(), ColorScheme::Dark);
}

}  // namespace

#include "ThemeManagerTest.moc"
