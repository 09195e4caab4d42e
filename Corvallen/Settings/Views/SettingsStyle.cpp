#include "Corvallen/Settings/Views/SettingsStyle.h"
#include "Corvallen/Platform/Views/LiteralText.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Platform/Views/ThemeManager.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace SettingsStyle {

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
    auto* box = new QGroupBox(literalText(title), parent);
    box->setFlat(false);
    return box;
}

QIcon paneTile(SettingsPane pane, int size)
{
    const QIcon glyph = symbolIcon(SettingsPanes::symbol(pane), Qt::white);
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
