#include "Corvallen/Platform/ColorSchemePreference.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPalette>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kNamespace = QStringLiteral("org.freedesktop.appearance");
const QString kKey = QStringLiteral("color-scheme");
// A running portal answers at once; one that still has to be started is waited for in the
// background instead of holding up the start.
constexpr int kRunningPortalTimeoutMs = 500;

bool paletteIsDark()
{
    if (!QGuiApplication::instance())
        return false;
    // The palette the platform gives, before any palette of ours is set.
    const QPalette p = QGuiApplication::palette();
    return p.color(QPalette::Window).lightness() < p.color(QPalette::WindowText).lightness();
}

}  // namespace

ColorSchemePreference::ColorSchemePreference(QObject* parent)
    : ColorSchemePreference(QDBusConnection::sessionBus(), parent)
{
}

ColorSchemePreference::ColorSchemePreference(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus), m_paletteIsDark(paletteIsDark())
{
    start();
}

std::optional<uint> ColorSchemePreference::valueFromReply(const QVariant& reply)
{
    QVariant v = reply;
    // Read wraps the value in a variant of a variant; ReadOne and SettingChanged in one.
    for (int depth = 0; depth < 4; ++depth) {
        if (v.canConvert<QDBusVariant>() && v.userType() == qMetaTypeId<QDBusVariant>()) {
            v = v.value<QDBusVariant>().variant();
            continue;
        }
        if (v.userType() == qMetaTypeId<QDBusArgument>()) {
            const QDBusArgument arg = v.value<QDBusArgument>();
            if (arg.currentType() == QDBusArgument::VariantType) {
                QDBusVariant inner;
                arg >> inner;
                v = inner.variant();
                continue;
            }
            return std::nullopt;
        }
        break;
    }
    switch (v.typeId()) {
    case QMetaType::UInt:
    case QMetaType::Int:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::ULongLong:
    case QMetaType::LongLong: {
        const qlonglong n = v.toLongLong();
        if (n < 0)
            return std::nullopt;
        return uint(n);
    }
    default:
        return std::nullopt;
    }
}

ColorScheme ColorSchemePreference::schemeFor(std::optional<uint> portalValue, bool paletteIsDark)
{
    if (portalValue == 1u)
        return ColorScheme::Dark;
    if (portalValue == 2u)
        return ColorScheme::Light;
    return paletteIsDark ? ColorScheme::Dark : ColorScheme::Light;
}

ColorScheme ColorSchemePreference::scheme() const { return schemeFor(m_portalValue, m_paletteIsDark); }

void ColorSchemePreference::setPortalValue(std::optional<uint> value)
{
    const ColorScheme before = scheme();
    m_portalValue = value;
    if (scheme() != before)
        Q_EMIT schemeChanged(scheme());
}

void ColorSchemePreference::settingChanged(const QString& ns, const QString& key, const QDBusVariant& value)
{
    if (ns != kNamespace || key != kKey)
        return;
    setPortalValue(valueFromReply(value.variant()));
}

void ColorSchemePreference::start()
{
    if (!m_bus.isConnected())
        return;
    // The signal's value type must be known by name before the bus can deliver it to a slot.
    qRegisterMetaType<QDBusVariant>();
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("SettingChanged"), this,
                  SLOT(settingChanged(QString, QString, QDBusVariant)));

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Read"));
    call << kNamespace << kKey;
    const bool running = m_bus.interface() && m_bus.interface()->isServiceRegistered(kService).value();
    if (running) {
        const QDBusMessage reply = m_bus.call(call, QDBus::Block, kRunningPortalTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            m_portalValue = valueFromReply(reply.arguments().constFirst());
        return;
    }
    // Not running yet: the bus may start it; take its answer when it comes.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusMessage reply = w->reply();
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            setPortalValue(valueFromReply(reply.arguments().constFirst()));
    });
}
