#pragma once

#include "Corvallen/Platform/ColorSchemePreference.h"

#include <QObject>
#include <QPalette>
#include <QPointer>

class QApplication;
class QWidget;
class SettingsStore;

// The application's look: the Fusion style (through AppStyle) with our own light and dark palettes, chosen by the
// setting "appTheme" ("system", "light" or "dark"; default "system", which follows the desktop's
// colour-scheme preference). Every change of the setting or of the desktop preference restyles
// every open window at once.
class ThemeManager : public QObject {
    Q_OBJECT
public:
    static ThemeManager& shared();
    // A manager over other settings and another desktop preference (tests).
    ThemeManager(SettingsStore& settings, ColorSchemePreference* desktop, QObject* parent = nullptr);

    // Sets the Fusion style and the palette of the current choice, then follows the setting and
    // the desktop preference. Call once, before the first window is shown.
    void install(QApplication& app);

    static QString settingKey();  // "appTheme"
    // The scheme for a stored choice: "light" and "dark" force it; anything else (the default
    // "system", unknown texts) follows the desktop.
    static ColorScheme schemeFor(const QString& appTheme, ColorScheme desktop);
    static QPalette lightPalette();
    static QPalette darkPalette();
    static QPalette paletteFor(ColorScheme scheme);
    // Gives every window the palette at once. Widgets under a style sheet keep the palette they
    // were polished with, so their style sheets are applied again to take the new one.
    static void applyPalette(const QPalette& palette);

    // The graded foreground colours of a palette: level 1 primary (the text colour), 2 secondary,
    // 3 tertiary, 4 quaternary (fainter each step).
    static QColor foreground(const QPalette& palette, int level);
    // Hairline separators and unfocused frames.
    static QColor separator(const QPalette& palette);
    // The red of destructive actions and errors, darkened or lightened until it reads (4.5:1)
    // on the palette's `background`.
    static QColor red(const QPalette& palette, QPalette::ColorRole background = QPalette::Window);
    // Draws a widget's text (`textRole`) in that red on `background`, now and after every theme
    // change.
    static void makeRed(QWidget* widget, QPalette::ColorRole textRole = QPalette::WindowText,
                        QPalette::ColorRole background = QPalette::Window);
    // The accent colour (tint, focus rings, selections).
    static QColor accent(const QPalette& palette) { return palette.color(QPalette::Active, QPalette::Highlight); }

    ColorScheme currentScheme() const { return m_scheme; }
    // The desktop's own scheme, whatever the setting.
    ColorScheme desktopScheme() const;

    // Keeps a window on the desktop's scheme rather than the app's choice (the menu-bar panel).
    void followDesktopScheme(QWidget* window);

Q_SIGNALS:
    void schemeChanged(ColorScheme scheme);

private:
    void apply();

    SettingsStore& m_settings;
    ColorSchemePreference* m_desktop;
    bool m_installed = false;
    ColorScheme m_scheme = ColorScheme::Light;
    QList<QPointer<QWidget>> m_desktopFollowers;
};
