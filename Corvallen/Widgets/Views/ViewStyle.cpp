#include "Corvallen/Widgets/Views/ViewStyle.h"

#include "Corvallen/Platform/Views/ElidedLabel.h"

#include "Corvallen/Platform/Views/ThemeManager.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>

namespace ViewStyle {

namespace {

// Keeps a label's text at a foreground grade of whatever palette it has.
class GradeTint : public QObject {
public:
    GradeTint(QLabel* label, int grade) : QObject(label), m_label(label), m_grade(grade)
    {
        apply();
        label->installEventFilter(this);
    }
    void setGrade(int grade)
    {
        m_grade = grade;
        apply();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_label && !m_applying
            && (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange))
            apply();
        return false;
    }

private:
    void apply()
    {
        m_applying = true;
        QPalette p = m_label->palette();
        const QColor c = ThemeManager::foreground(QApplication::palette(m_label), m_grade);
        p.setColor(QPalette::WindowText, c);
        p.setColor(QPalette::Text, c);
        m_label->setPalette(p);
        m_applying = false;
    }
    QLabel* m_label;
    int m_grade;
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
    case TextStyle::title2: size = base * 1.6; break;
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
QColor secondary(const QPalette& palette) { return ThemeManager::foreground(palette, 2); }
QColor tertiary(const QPalette& palette) { return ThemeManager::foreground(palette, 3); }
QColor quaternary(const QPalette& palette) { return ThemeManager::foreground(palette, 4); }
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

QLabel* elidedLabel(const QString& text, TextStyle style, QFont::Weight weight, bool secondaryColor, QWidget* parent)
{
    auto* l = new ElidedLabel(text, parent);
    l->setFont(font(style, weight));
    if (secondaryColor)
        makeSecondary(l);
    return l;
}

void makeSegment(QAbstractButton* button)
{
    button->setProperty("segment", true);
    button->setCheckable(true);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void makeProminent(QAbstractButton* button) { button->setProperty("prominent", true); }

void setGrade(QLabel* label, int grade)
{
    if (auto* tint = label->findChild<GradeTint*>(QString(), Qt::FindDirectChildrenOnly)) {
        tint->setGrade(grade);
        return;
    }
    new GradeTint(label, grade);
}

void makeSecondary(QLabel* label) { setGrade(label, 2); }

namespace {

class StartAtRest : public QObject {
public:
    explicit StartAtRest(QLineEdit* field) : QObject(field)
    {
        setObjectName(QStringLiteral("showStartAtRest"));
        field->installEventFilter(this);
        QObject::connect(field, &QLineEdit::textChanged, this, [field] {
            if (!field->hasFocus())
                field->setCursorPosition(0);
        });
        field->setCursorPosition(0);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut)
            static_cast<QLineEdit*>(watched)->setCursorPosition(0);
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void showStartAtRest(QLineEdit* field)
{
    if (field && !field->findChild<QObject*>(QStringLiteral("showStartAtRest"), Qt::FindDirectChildrenOnly))
        new StartAtRest(field);
}

}  // namespace ViewStyle
