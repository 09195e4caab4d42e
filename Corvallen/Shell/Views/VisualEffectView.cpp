#include "Corvallen/Shell/Views/VisualEffectView.h"

#include "Corvallen/Platform/SettingsStore.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>

namespace {

const QString kSettingKey = QStringLiteral("windowTranslucency");

}  // namespace

VisualEffectView::VisualEffectView(Material material, BlendingMode blending, State state, QWidget* parent)
    : QWidget(parent), m_material(material), m_blending(blending), m_state(state)
{
    setAutoFillBackground(false);
    connect(&SettingsStore::shared(), &SettingsStore::changed, this, [this](const QString& key) {
        if (key == kSettingKey)
            update();
    });
    prepareOwnWindow();
}

void VisualEffectView::setMaterial(Material material)
{
    if (material == m_material)
        return;
    m_material = material;
    update();
}

void VisualEffectView::setBlendingMode(BlendingMode blending)
{
    if (blending == m_blending)
        return;
    m_blending = blending;
    update();
}

void VisualEffectView::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    update();
}

bool VisualEffectView::translucencySetting() { return SettingsStore::shared().boolValue(kSettingKey, true); }

bool VisualEffectView::compositorLikely(const QString& platformName, const QProcessEnvironment& env)
{
    if (platformName.startsWith(QLatin1String("wayland")))
        return true;  // every Wayland compositor blends
    if (platformName != QLatin1String("xcb"))
        return false;  // offscreen, VNC, framebuffers: nothing behind the window
    // An X11 client inside a Wayland session (XWayland) is composited by the Wayland compositor.
    if (!env.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty()
        || env.value(QStringLiteral("XDG_SESSION_TYPE")).compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0)
        return true;
    // The large desktops composite their X11 sessions by default; plain window managers do not.
    const QStringList desktops =
        env.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    static const QStringList compositing = {QStringLiteral("GNOME"),    QStringLiteral("KDE"),
                                            QStringLiteral("Unity"),    QStringLiteral("Pantheon"),
                                            QStringLiteral("Budgie"),   QStringLiteral("Cinnamon"),
                                            QStringLiteral("Deepin"),   QStringLiteral("DDE")};
    for (const QString& d : desktops) {
        for (const QString& c : compositing) {
            if (d.compare(c, Qt::CaseInsensitive) == 0 || d.endsWith(QLatin1Char('-') + c, Qt::CaseInsensitive))
                return true;
        }
    }
    return false;
}

bool VisualEffectView::compositorAvailable()
{
    return compositorLikely(QGuiApplication::platformName(), QProcessEnvironment::systemEnvironment());
}

bool VisualEffectView::isTranslucent() const
{
    const QWidget* w = window();
    return translucencySetting() && w && w->testAttribute(Qt::WA_TranslucentBackground);
}

QColor VisualEffectView::fillColor() const
{
    QColor c = palette().color(QPalette::Active, QPalette::Window);
    if (m_material == Material::Sidebar) {
        // The sidebar sits a shade apart from the window body.
        c = c.lightness() < 128 ? c.lighter(112) : c.darker(104);
    }
    if (!isTranslucent())
        return c;
    const bool active = m_state == State::Active
        || (m_state == State::FollowsWindowActiveState && window() && window()->isActiveWindow());
    qreal alpha = m_material == Material::Sidebar ? 0.72 : 0.84;
    if (!active)
        alpha = std::min(1.0, alpha + 0.12);  // an inactive window looks calmer, nearly solid
    if (m_blending == BlendingMode::WithinWindow)
        alpha = std::min(1.0, alpha + 0.08);
    c.setAlphaF(alpha);
    return c;
}

void VisualEffectView::prepareWindow(QWidget* window)
{
    if (!window || !window->isWindow() || window->testAttribute(Qt::WA_WState_Created))
        return;
    if (compositorAvailable())
        window->setAttribute(Qt::WA_TranslucentBackground);
}

void VisualEffectView::prepareOwnWindow()
{
    QWidget* w = window();
    if (w && w != this)
        prepareWindow(w);
}

bool VisualEffectView::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::Polish:
        prepareOwnWindow();
        break;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        update();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void VisualEffectView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // Replaces what is there: the translucent tint must not pile on top of an earlier paint.
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), fillColor());
}
