#include "Corvallen/Devices/Views/ManufacturerCard.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ManufacturerCard::ManufacturerCard(const QUrl& url, QWidget* parent)
    : QGroupBox(tr("Manufacturer"), parent), m_url(url)
{
    auto* button = new QPushButton(this);
    button->setObjectName(QStringLiteral("manufacturerButton"));
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setToolTip(url.toString());

    auto* row = new QHBoxLayout(button);
    row->setSpacing(10);
    auto* icon = new QLabel(button);
    icon->setPixmap(symbolIcon(QStringLiteral("building.2")).pixmap(18, 18));
    icon->setFixedWidth(22);
    icon->setAlignment(Qt::AlignCenter);
    row->addWidget(icon);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    auto* name = new QLabel(QStringLiteral("FNIRSI"), button);
    QFont nameFont = name->font();
    nameFont.setWeight(QFont::Medium);
    name->setFont(nameFont);
    auto* caption = new QLabel(tr("Official manufacturer's page"), button);
    QFont captionFont = caption->font();
    captionFont.setPointSizeF(captionFont.pointSizeF() * 0.85);
    caption->setFont(captionFont);
    caption->setForegroundRole(QPalette::PlaceholderText);
    texts->addWidget(name);
    texts->addWidget(caption);
    row->addLayout(texts);
    row->addStretch(1);
    auto* external = new QLabel(button);
    external->setPixmap(symbolIcon(QStringLiteral("arrow.up.right.square")).pixmap(16, 16));
    row->addWidget(external);
    // The labels must not swallow clicks: the whole row is the button.
    for (QLabel* label : {icon, name, caption, external})
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    button->setMinimumHeight(row->sizeHint().height() + 4);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this]() { QDesktopServices::openUrl(m_url); });
}
