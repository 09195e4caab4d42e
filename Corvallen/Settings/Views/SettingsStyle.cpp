#include "Corvallen/Settings/Views/SettingsStyle.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Platform/Views/ThemeManager.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace SettingsStyle {

namespace {

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
        if (watched == m_label && !m_applying &&
            (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange))
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
    case TextStyle::headline:
        size = base * 1.1;
        if (weight == QFont::Normal)
            weight = QFont::DemiBold;
        break;
    case TextStyle::body: break;
    case TextStyle::callout: size = base * 0.95; break;
    case TextStyle::caption: size = base * 0.9; break;
    }
    f.setPointSizeF(size);
    f.setWeight(weight);
    return f;
}

void setGrade(QLabel* label, int grade)
{
    if (auto* tint = label->findChild<GradeTint*>(QString(), Qt::FindDirectChildrenOnly)) {
        tint->setGrade(grade);
        return;
    }
    new GradeTint(label, grade);
}

QLabel* label(const QString& text, TextStyle style, int grade, QFont::Weight weight, QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setTextFormat(Qt::PlainText);
    l->setText(text);
    l->setFont(font(style, weight));
    if (grade != 1)
        setGrade(l, grade);
    return l;
}

QLabel* caption(const QString& text, QWidget* parent)
{
    QLabel* l = label(text, TextStyle::caption, 2, QFont::Normal, parent);
    l->setWordWrap(true);
    return l;
}

QGroupBox* section(const QString& title, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    box->setFlat(false);
    return box;
}

QIcon paneTile(SettingsPane pane, int size)
{
    QIcon glyph = symbolIcon(SettingsPanes::symbol(pane), Qt::white);
    if (glyph.isNull()) {
        QString plain = SettingsPanes::symbol(pane);
        plain.remove(QStringLiteral(".fill"));
        glyph = symbolIcon(plain, Qt::white);
    }
    QIcon icon;
    for (qreal dpr : {1.0, 2.0}) {
        QPixmap pixmap(QSize(size, size) * dpr);
        pixmap.setDevicePixelRatio(dpr);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(0, 0, size, size), size * 0.25, size * 0.25);
        p.fillPath(path, SettingsPanes::tileColor(pane));
        const int inset = size / 5;
        const QRect inner(inset, inset, size - 2 * inset, size - 2 * inset);
        if (!glyph.isNull()) {
            glyph.paint(&p, inner);
        } else {
            p.setPen(Qt::white);
            QFont f = font(TextStyle::caption, QFont::DemiBold);
            f.setPixelSize(size * 11 / 20);
            p.setFont(f);
            p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, SettingsPanes::title(pane).left(1));
        }
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace SettingsStyle
