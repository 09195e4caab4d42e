#include "Corvallen/Platform/Views/ThemeManager.h"

#include "Corvallen/Platform/ColorContrast.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/Views/AppStyle.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

void setAll(QPalette& p, QPalette::ColorRole role, const QColor& active, const QColor& disabled)
{
    p.setColor(QPalette::Active, role, active);
    p.setColor(QPalette::Inactive, role, active);
    p.setColor(QPalette::Disabled, role, disabled);
}

void setAll(QPalette& p, QPalette::ColorRole role, const QColor& c) { setAll(p, role, c, c); }

QColor withAlpha(QColor c, qreal alpha)
{
    c.setAlphaF(alpha);
    return c;
}

}  // namespace

ThemeManager& ThemeManager::shared()
{
    static ThemeManager* instance = new ThemeManager(SettingsStore::shared(), new ColorSchemePreference());
    return *instance;
}

ThemeManager::ThemeManager(SettingsStore& settings, ColorSchemePreference* desktop, QObject* parent)
    : QObject(parent), m_settings(settings), m_desktop(desktop)
{
    if (m_desktop && !m_desktop->parent())
        m_desktop->setParent(this);
}

QString ThemeManager::settingKey() { return QStringLiteral("appTheme"); }

ColorScheme ThemeManager::schemeFor(const QString& appTheme, ColorScheme desktop)
{
    if (appTheme == QLatin1String("light"))
        return ColorScheme::Light;
    if (appTheme == QLatin1String("dark"))
        return ColorScheme::Dark;
    return desktop;
}

QPalette ThemeManager::lightPalette()
{
    QPalette p;
    const QColor text(0x1D, 0x1D, 0x1F);
    const QColor disabledText(0x1D, 0x1D, 0x1F, 0x60);
    setAll(p, QPalette::Window, QColor(0xEC, 0xEC, 0xEC));
    setAll(p, QPalette::WindowText, text, disabledText);
    setAll(p, QPalette::Base, QColor(0xFF, 0xFF, 0xFF), QColor(0xF4, 0xF4, 0xF4));
    setAll(p, QPalette::AlternateBase, QColor(0xF4, 0xF5, 0xF5));
    setAll(p, QPalette::Text, text, disabledText);
    setAll(p, QPalette::Button, QColor(0xF9, 0xF9, 0xF9), QColor(0xF0, 0xF0, 0xF0));
    setAll(p, QPalette::ButtonText, text, disabledText);
    setAll(p, QPalette::BrightText, QColor(0xFF, 0xFF, 0xFF));
    setAll(p, QPalette::Light, QColor(0xFF, 0xFF, 0xFF));
    setAll(p, QPalette::Midlight, QColor(0xE3, 0xE3, 0xE3));
    setAll(p, QPalette::Mid, QColor(0xC4, 0xC4, 0xC4));
    setAll(p, QPalette::Dark, QColor(0x9F, 0x9F, 0x9F));
    setAll(p, QPalette::Shadow, QColor(0x00, 0x00, 0x00, 0x50));
    // The accent is a shade deep enough for white text on it to read (4.5:1): selected rows,
    // chosen segments, prominent buttons.
    setAll(p, QPalette::Highlight, QColor(0x00, 0x68, 0xD9), QColor(0xC8, 0xC8, 0xC8));
    p.setColor(QPalette::Inactive, QPalette::Highlight, QColor(0xD0, 0xD8, 0xE4));
    setAll(p, QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF), disabledText);
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, text);
    setAll(p, QPalette::Link, QColor(0x00, 0x68, 0xDA));
    setAll(p, QPalette::LinkVisited, QColor(0x80, 0x40, 0xC0));
    setAll(p, QPalette::ToolTipBase, QColor(0xFB, 0xFB, 0xFB));
    setAll(p, QPalette::ToolTipText, text);
    setAll(p, QPalette::PlaceholderText, withAlpha(text, 0.45), withAlpha(text, 0.25));
    return p;
}

QPalette ThemeManager::darkPalette()
{
    QPalette p;
    const QColor text(0xEC, 0xEC, 0xEE);
    const QColor disabledText(0xEC, 0xEC, 0xEE, 0x60);
    setAll(p, QPalette::Window, QColor(0x2B, 0x2B, 0x2D));
    setAll(p, QPalette::WindowText, text, disabledText);
    setAll(p, QPalette::Base, QColor(0x1E, 0x1E, 0x20), QColor(0x26, 0x26, 0x28));
    setAll(p, QPalette::AlternateBase, QColor(0x26, 0x26, 0x29));
    setAll(p, QPalette::Text, text, disabledText);
    setAll(p, QPalette::Button, QColor(0x3C, 0x3C, 0x3F), QColor(0x33, 0x33, 0x35));
    setAll(p, QPalette::ButtonText, text, disabledText);
    setAll(p, QPalette::BrightText, QColor(0xFF, 0xFF, 0xFF));
    setAll(p, QPalette::Light, QColor(0x4A, 0x4A, 0x4D));
    setAll(p, QPalette::Midlight, QColor(0x40, 0x40, 0x43));
    setAll(p, QPalette::Mid, QColor(0x2F, 0x2F, 0x31));
    setAll(p, QPalette::Dark, QColor(0x18, 0x18, 0x19));
    setAll(p, QPalette::Shadow, QColor(0x00, 0x00, 0x00, 0x90));
    setAll(p, QPalette::Highlight, QColor(0x15, 0x70, 0xE0), QColor(0x50, 0x50, 0x52));
    p.setColor(QPalette::Inactive, QPalette::Highlight, QColor(0x46, 0x46, 0x4A));
    setAll(p, QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF), disabledText);
    setAll(p, QPalette::Link, QColor(0x41, 0x9C, 0xFF));
    setAll(p, QPalette::LinkVisited, QColor(0xB0, 0x80, 0xF0));
    setAll(p, QPalette::ToolTipBase, QColor(0x3A, 0x3A, 0x3C));
    setAll(p, QPalette::ToolTipText, text);
    setAll(p, QPalette::PlaceholderText, withAlpha(text, 0.45), withAlpha(text, 0.25));
    return p;
}

QPalette ThemeManager::paletteFor(ColorScheme scheme)
{
    return scheme == ColorScheme::Dark ? darkPalette() : lightPalette();
}

QColor ThemeManager::foreground(const QPalette& palette, int level)
{
    QColor c = palette.color(QPalette::WindowText);
    static constexpr qreal alphas[] = {1.0, 0.55, 0.3, 0.12};
    c.setAlphaF(c.alphaF() * alphas[qBound(1, level, 4) - 1]);
    return c;
}

QColor ThemeManager::separator(const QPalette& palette)
{
    QColor c = palette.color(QPalette::WindowText);
    c.setAlphaF(0.16);
    return c;
}

QColor ThemeManager::red(const QPalette& palette, QPalette::ColorRole background)
{
    return ColorContrast::readableOn(QColor(0xFF, 0x3B, 0x30), palette.color(QPalette::Active, background));
}

namespace {

// Keeps a widget's text red on its background through theme changes.
class RedText : public QObject {
public:
    RedText(QWidget* widget, QPalette::ColorRole text, QPalette::ColorRole background)
        : QObject(widget), m_widget(widget), m_text(text), m_background(background)
    {
        apply();
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_widget && event->type() == QEvent::ApplicationPaletteChange)
            apply();
        return false;
    }

private:
    void apply()
    {
        QPalette p = m_widget->palette();
        const QColor red = ThemeManager::red(QApplication::palette(m_widget), m_background);
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            p.setColor(group, m_text, red);
        m_widget->setPalette(p);
    }

    QWidget* m_widget;
    QPalette::ColorRole m_text;
    QPalette::ColorRole m_background;
};

}  // namespace

void ThemeManager::makeRed(QWidget* widget, QPalette::ColorRole textRole, QPalette::ColorRole background)
{
    new RedText(widget, textRole, background);
}

void ThemeManager::applyPalette(const QPalette& palette)
{
    QApplication::setPalette(palette);
    for (QWidget* w : QApplication::allWidgets())
        if (!w->styleSheet().isEmpty())
            w->setStyleSheet(w->styleSheet());
}

ColorScheme ThemeManager::desktopScheme() const
{
    return m_desktop ? m_desktop->scheme() : ColorScheme::Light;
}

void ThemeManager::install(QApplication& app)
{
    app.setStyle(new AppStyle());
    SymbolIcons::followPalette(app);
    if (!m_installed) {
        m_installed = true;
        connect(&m_settings, &SettingsStore::changed, this, [this](const QString& key) {
            if (key == settingKey())
                apply();
        });
        if (m_desktop)
            connect(m_desktop, &ColorSchemePreference::schemeChanged, this, [this] { apply(); });
    }
    // The first application of the palette always happens, so the scheme signal below is only
    // sent on later changes.
    m_scheme = schemeFor(m_settings.textValue(settingKey(), QStringLiteral("system")), desktopScheme());
    QApplication::setPalette(paletteFor(m_scheme));
    apply();
}

void ThemeManager::apply()
{
    const ColorScheme scheme = schemeFor(m_settings.textValue(settingKey(), QStringLiteral("system")), desktopScheme());
    const bool changed = scheme != m_scheme;
    m_scheme = scheme;
    if (changed)
        applyPalette(paletteFor(scheme));  // reaches every open window at once

    const QPalette desktop = paletteFor(desktopScheme());
    for (auto it = m_desktopFollowers.begin(); it != m_desktopFollowers.end();) {
        if (!*it) {
            it = m_desktopFollowers.erase(it);
            continue;
        }
        (*it)->setPalette(desktop);
        ++it;
    }
    if (changed)
        Q_EMIT schemeChanged(scheme);
}

void ThemeManager::followDesktopScheme(QWidget* window)
{
    if (!window)
        return;
    m_desktopFollowers.append(window);
    window->setPalette(paletteFor(desktopScheme()));
}
