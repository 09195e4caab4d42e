#include "Corvallen/Sync/Views/SyncViewStyle.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHash>
#include <QLabel>

namespace SyncViewStyle {

QIcon symbol(const QString& name)
{
    QIcon icon = symbolIcon(name);
    if (!icon.isNull())
        return icon;
    static const QHash<QString, QString> themeNames = {
        {QStringLiteral("sdcard"), QStringLiteral("media-flash")},
        {QStringLiteral("wave.square"), QStringLiteral("audio-x-generic")},
        {QStringLiteral("gauge.with.dots.needle.bottom.50percent"), QStringLiteral("utilities-system-monitor")},
        {QStringLiteral("camera"), QStringLiteral("camera-photo")},
        {QStringLiteral("ruler"), QStringLiteral("measure")},
        {QStringLiteral("memorychip"), QStringLiteral("media-flash")},
        {QStringLiteral("lock.open"), QStringLiteral("object-unlocked")},
        {QStringLiteral("arrow.triangle.2.circlepath.circle"), QStringLiteral("view-refresh")},
    };
    const QString theme = themeNames.value(name);
    if (!theme.isEmpty())
        icon = QIcon::fromTheme(theme);
    return icon;
}

QIcon locationIcon(const QString& name)
{
    const QIcon icon = symbol(name);
    return icon.isNull() ? symbolIcon(QStringLiteral("externaldrive")) : icon;
}

QFont captionFont(QFont base)
{
    base.setPointSizeF(base.pointSizeF() * 0.85);
    return base;
}

QFont headlineFont(QFont base)
{
    base.setBold(true);
    return base;
}

QLabel* caption(const QString& text, QWidget* parent, bool secondary)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(captionFont(label->font()));
    if (secondary)
        label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QFrame* section(QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(QStringLiteral("syncSection"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setStyleSheet(QStringLiteral("QFrame#syncSection { border: 1px solid palette(mid); border-radius: 8px; "
                                        "background: palette(base); }"));
    return frame;
}

QString shownName(const QString& name)
{
    return name.isEmpty() ? QCoreApplication::translate("SyncLocationsView", "Untitled location") : name;
}

}  // namespace SyncViewStyle
