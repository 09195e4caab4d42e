#include "Corvallen/Shell/Views/ShellStyle.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>

namespace ShellStyle {

namespace {

// Keeps a label's text at the secondary grade of whatever palette it has.
class SecondaryTint : public QObject {
public:
    explicit SecondaryTint(QLabel* label) : QObject(label), m_label(label) { apply(); label->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_label && (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) && !m_applying)
            apply();
        return false;
    }

private:
    void apply()
    {
        m_applying = true;
        QPalette p = m_label->palette();
        const QColor c = secondary(QApplication::palette(m_label));
        p.setColor(QPalette::WindowText, c);
        p.setColor(QPalette::Text, c);
        m_label->setPalette(p);
        m_applying = false;
    }
    QLabel* m_label;
    bool m_applying = false;
};

}  // namespace

QFont font(TextStyle style, QFont::Weight weight)
{
    QFont f = QApplication::font();
    const double base = f.pointSizeF() > 0 ? f.pointSizeF() : 10.0;
    double size = base;
    switch (style) {
    case TextStyle::largeTitle: size = base * 2.0; break;
    case TextStyle::title3: size = base * 1.45; break;
    case TextStyle::headline: size = base * 1.1; if (weight == QFont::Normal) weight = QFont::DemiBold; break;
    case TextStyle::body: size = base; break;
    case TextStyle::callout: size = base * 0.95; break;
    case TextStyle::caption: size = base * 0.9; break;
    case TextStyle::caption2: size = base * 0.82; break;
    }
    f.setPointSizeF(size);
    f.setWeight(weight);
    return f;
}

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

// The active group's accent even in a window in the background: tinted symbols and markers
// would otherwise fade to grey whenever another window has the focus.
QColor accent(const QPalette& palette) { return palette.color(QPalette::Active, QPalette::Highlight); }
QColor secondary(const QPalette& palette) { return withAlpha(palette.color(QPalette::WindowText), 0.62); }
QColor tertiary(const QPalette& palette) { return withAlpha(palette.color(QPalette::WindowText), 0.38); }
QColor quaternary(const QPalette& palette) { return withAlpha(palette.color(QPalette::WindowText), 0.16); }
QColor cardFill(const QPalette& palette) { return withAlpha(palette.color(QPalette::WindowText), 0.065); }

QLabel* label(const QString& text, TextStyle style, QFont::Weight weight, bool secondaryColor, QWidget* parent)
{
    auto* l = new QLabel(parent);
    // Names and summaries come from the user and the store: never read them as markup.
    l->setTextFormat(Qt::PlainText);
    l->setText(text);
    l->setFont(font(style, weight));
    if (secondaryColor)
        makeSecondary(l);
    return l;
}

void makeSecondary(QLabel* label) { new SecondaryTint(label); }

}  // namespace ShellStyle
