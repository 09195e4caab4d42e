#pragma once

#include <QProcessEnvironment>
#include <QWidget>

// The background of the main window and the sidebar. While the setting "windowTranslucency"
// (default true) is on and a compositor can blend the window with the desktop behind it, it
// paints a translucent tint of the window colour; otherwise, and while the setting is off, the
// solid window colour. Use it as the background whatever the setting: a change of the setting
// or of the theme applies at once. It clears the window's own background so the desktop shows
// through; put it behind everything else of the window (or of the sidebar).
class VisualEffectView : public QWidget {
    Q_OBJECT
public:
    // The kinds of surface, numbered like the desktop materials they stand for.
    enum class Material { Sidebar = 7, UnderWindowBackground = 21 };
    enum class BlendingMode { BehindWindow = 0, WithinWindow = 1 };
    enum class State { FollowsWindowActiveState = 0, Active = 1, Inactive = 2 };

    explicit VisualEffectView(Material material = Material::UnderWindowBackground,
                              BlendingMode blending = BlendingMode::BehindWindow,
                              State state = State::FollowsWindowActiveState, QWidget* parent = nullptr);

    Material material() const { return m_material; }
    BlendingMode blendingMode() const { return m_blending; }
    State state() const { return m_state; }
    // Updates the surface in place.
    void setMaterial(Material material);
    void setBlendingMode(BlendingMode blending);
    void setState(State state);

    // The setting "windowTranslucency" (default true).
    static bool translucencySetting();
    // Whether this session has a compositor that blends windows with what lies behind them.
    static bool compositorAvailable();
    // The rule behind compositorAvailable(): Wayland always composites; an X11 session composites
    // when it runs under a Wayland compositor (XWayland) or its desktop composites by default.
    static bool compositorLikely(const QString& platformName, const QProcessEnvironment& environment);
    // Translucent right now: the setting is on and a compositor runs.
    bool isTranslucent() const;
    // The colour painted right now.
    QColor fillColor() const;

    // Gives a top-level window an alpha channel while it is not yet shown, so that it can later be
    // drawn translucent. VisualEffectView does this for its own window when it is added to it
    // before the window is first shown.
    static void prepareWindow(QWidget* window);

protected:
    void paintEvent(QPaintEvent*) override;
    bool event(QEvent* event) override;

private:
    void prepareOwnWindow();

    Material m_material;
    BlendingMode m_blending;
    State m_state;
};
