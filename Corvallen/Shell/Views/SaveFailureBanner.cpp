#include "Corvallen/Shell/Views/SaveFailureBanner.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Shell/SaveFailureMonitor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

SaveFailureBanner::SaveFailureBanner(SaveFailureMonitor& monitor, QWidget* parent) : QFrame(parent), m_monitor(monitor)
{
    setObjectName(QStringLiteral("SaveFailureBanner"));
    setAccessibleName(tr("Saving failed"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 8, 10, 8);
    row->setSpacing(10);
    m_icon = new QLabel(this);
    m_icon->setFixedSize(18, 18);
    row->addWidget(m_icon, 0, Qt::AlignTop);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("saveFailureMessage"));
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(m_message, 1);
    m_tryAgain = new QPushButton(tr("Try Again"), this);
    row->addWidget(m_tryAgain, 0, Qt::AlignVCenter);
    connect(m_tryAgain, &QPushButton::clicked, &m_monitor, &SaveFailureMonitor::retryNow);
    connect(&m_monitor, &SaveFailureMonitor::stateChanged, this, &SaveFailureBanner::refresh);
    restyle();
    refresh();
}

void SaveFailureBanner::refresh()
{
    m_message->setText(m_monitor.message());
    setVisible(m_monitor.isFailing());
}

void SaveFailureBanner::restyle()
{
    // A warm tint over whatever the window's background is, so it reads in light and dark.
    setStyleSheet(QStringLiteral("#SaveFailureBanner { background: rgba(255, 149, 0, 46); "
                                 "border-bottom: 1px solid rgba(255, 149, 0, 140); }"));
    m_icon->setPixmap(symbolIcon(QStringLiteral("exclamationmark.triangle"), QColor(255, 149, 0)).pixmap(QSize(18, 18), devicePixelRatioF()));
}
