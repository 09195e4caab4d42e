#pragma once

#include <QProxyStyle>

// The application's style: Fusion, with what it draws poorly in our palettes mended.
// - Segments (buttons with the property "segment"): the chosen segment is filled with the
//   accent colour and its text drawn in the highlighted-text colour, in the light and the dark
//   theme alike; the others sit on the button colour inside a hairline.
// - Check boxes: the box has a clearly visible edge in both themes; a ticked box is filled with
//   the accent colour.
// - Drop-down buttons (tool buttons that open a menu): room is kept for the arrow, which stands
//   centred at the right instead of over the text.
// - Drop-down lists: a choice too long for the field is cut with "…".
// - Prominent buttons (push buttons with the property "prominent", the main action of a window
//   or an empty page): filled with the accent colour, their text in the highlighted-text colour.
class AppStyle : public QProxyStyle {
    Q_OBJECT
public:
    AppStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;

    // The width kept for the arrow of a drop-down button.
    static constexpr int menuArrowRoom = 14;
};
