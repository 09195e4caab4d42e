#include "Corvallen/Shell/Views/PlaceholderPage.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QLabel>
#include <QVBoxLayout>

PlaceholderPage::PlaceholderPage(const QString& pageName, const QString& title, const QString& symbol, QWidget* parent)
    : QWidget(parent), m_title(title)
{
    setObjectName(pageName);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(10);
    layout->addStretch(1);
    auto* icon = new QLabel(this);
    icon->setPixmap(symbolIcon(symbol).pixmap(48, 48));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    auto* heading = ViewStyle::label(title, ViewStyle::TextStyle::title3, QFont::DemiBold, false, this);
    heading->setAlignment(Qt::AlignCenter);
    layout->addWidget(heading);
    auto* note = ViewStyle::label(tr("This part of Corvallen is not available in this version yet."),
                                   ViewStyle::TextStyle::callout, QFont::Normal, true, this);
    note->setAlignment(Qt::AlignCenter);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch(2);
}
