#pragma once

#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>
#include <QVariant>

#include <optional>

enum class ColorScheme { Light, Dark };

// The desktop's light-or-dark preference: the "color-scheme" setting of the
// "org.freedesktop.appearance" namespace, read from xdg-desktop-portal's Settings interface on
// the session bus and followed through its SettingChanged signal. Where no portal answers, or it
// says "no preference", the platform palette decides (a dark window colour means dark).
class ColorSchemePreference : public QObject {
    Q_OBJECT
public:
    // Watches the user's session bus.
    explicit ColorSchemePreference(QObject* parent = nullptr);
    // Watches another bus (tests run a private one).
    explicit ColorSchemePreference(const QDBusConnection& bus, QObject* parent = nullptr);

    ColorScheme scheme() const;
    // The portal's value: 0 no preference, 1 prefer dark, 2 prefer light; none until it answered.
    std::optional<uint> portalValue() const { return m_portalValue; }

    // The portal value inside a Read/ReadOne reply or a SettingChanged argument (variants may
    // be nested); none when it isn't a number.
    static std::optional<uint> valueFromReply(const QVariant& reply);
    // The scheme for a portal value, falling back to the palette's darkness.
    static ColorScheme schemeFor(std::optional<uint> portalValue, bool paletteIsDark);

Q_SIGNALS:
    void schemeChanged(ColorScheme scheme);

private Q_SLOTS:
    void settingChanged(const QString& ns, const QString& key, const QDBusVariant& value);

private:
    void start();
    void setPortalValue(std::optional<uint> value);

    QDBusConnection m_bus;
    std::optional<uint> m_portalValue;
    bool m_paletteIsDark = false;
};
