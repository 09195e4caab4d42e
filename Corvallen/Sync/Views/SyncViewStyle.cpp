#include "Corvallen/Sync/Views/SyncViewStyle.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>

namespace SyncViewStyle {

QIcon locationIcon(const QString& name)
{
    const QIcon icon = symbolIcon(name);
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
