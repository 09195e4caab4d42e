#include "Corvallen/Shell/Views/StatusBar.h"
#include "Corvallen/Platform/Views/LiteralText.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Shell/StatusTexts.h"
#include "Corvallen/Sync/AppModel.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QToolButton>
#include <QWidgetAction>

namespace {

// The 8-point status dot: green when something is connected, the secondary grade otherwise.
class Dot : public QWidget {
public:
    explicit Dot(bool connected, QWidget* parent = nullptr) : QWidget(parent), m_connected(connected) { setFixedSize(8, 8); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(m_connected ? QColor(0x34, 0xC7, 0x59) : ViewStyle::secondary(palette()));
        p.drawEllipse(rect());
    }

private:
    bool m_connected;
};

QIcon greenDotIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x34, 0xC7, 0x59));
    p.drawEllipse(QRectF(4, 4, 8, 8));
    return QIcon(pm);
}

}  // namespace

StatusBar::StatusBar(AppModel& model, QWidget* parent)
    : QWidget(parent), m_model(model)
{
    setObjectName(QStringLiteral("StatusBar"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(8);

    m_dot = new Dot(false, this);
    row->addWidget(m_dot);
    m_noLocation = ViewStyle::label(StatusTexts::noLocationConnected(), ViewStyle::TextStyle::caption, QFont::Normal, true, this);
    row->addWidget(m_noLocation);

    m_locationButton = new QToolButton(this);
    m_locationButton->setAutoRaise(true);
    m_locationButton->setPopupMode(QToolButton::InstantPopup);
    m_locationButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_locationButton->setIcon(greenDotIcon());
    m_locationButton->setIconSize(QSize(12, 12));
    m_locationButton->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    m_locationMenu = new QMenu(m_locationButton);
    m_locationButton->setMenu(m_locationMenu);
    row->addWidget(m_locationButton);

    row->addStretch(1);

    m_busy = new QProgressBar(this);
    m_busy->setRange(0, 0);  // indeterminate
    m_busy->setTextVisible(false);
    m_busy->setFixedSize(16, 16);
    row->addWidget(m_busy);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 1000);
    m_bar->setTextVisible(false);
    m_bar->setFixedWidth(120);
    m_bar->setMaximumHeight(8);
    row->addWidget(m_bar);
    m_progressText = ViewStyle::label(QString(), ViewStyle::TextStyle::caption, QFont::Normal, true, this);
    {
        // Digits of one width, so the counts don't jitter as they climb.
        QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setPointSizeF(m_progressText->font().pointSizeF());
        m_progressText->setFont(f);
    }
    row->addWidget(m_progressText);
    m_stop = new QToolButton(this);
    m_stop->setAutoRaise(true);
    m_stop->setIcon(symbolIcon(QStringLiteral("xmark.circle.fill")));
    m_stop->setToolTip(tr("Stop syncing"));
    m_stop->setAccessibleName(tr("Stop syncing"));
    connect(m_stop, &QToolButton::clicked, this, &StatusBar::stopSyncing);
    row->addWidget(m_stop);

    m_summary = ViewStyle::label(QString(), ViewStyle::TextStyle::caption, QFont::Normal, true, this);
    m_summary->setTextFormat(Qt::PlainText);
    row->addWidget(m_summary);

    connect(&m_model, &AppModel::changed, this, &StatusBar::refresh);
    refresh();
}

void StatusBar::stopSyncing()
{
    if (const auto task = m_model.currentSyncTask())
        task->cancel();
}

QString StatusBar::locationText() const
{
    return m_locationButton->isVisibleTo(this) ? m_locationButton->text() : m_noLocation->text();
}

QString StatusBar::syncText() const
{
    if (m_summary->isVisibleTo(this))
        return m_summary->text();
    if (m_progressText->isVisibleTo(this))
        return m_progressText->text();
    return {};
}

void StatusBar::refresh()
{
    const QList<SyncLocation> connected = m_model.connectedLocations();
    const bool any = !connected.isEmpty();
    m_dot->setVisible(!any);
    m_noLocation->setVisible(!any);
    m_locationButton->setVisible(any);
    m_locationMenu->clear();
    if (any) {
        m_locationButton->setText(literalText(StatusTexts::connectedText(connected)));
        for (const SyncLocation& location : connected) {
            m_locationMenu->addSection(StatusTexts::sectionTitle(location));
            m_locationMenu->addAction(symbolIcon(QStringLiteral("arrow.triangle.2.circlepath")), tr("Sync New"), this,
                                      [this, location] { m_model.sync(location, false); });
            m_locationMenu->addAction(symbolIcon(QStringLiteral("eject")), tr("Eject"), this,
                                      [this, location] { m_model.eject(location); });
        }
    }

    const auto progress = m_model.syncProgress();
    const StatusTexts::SyncItem item = StatusTexts::syncItem(progress, m_model.lastSyncSummary());
    const bool showProgress = item == StatusTexts::SyncItem::progress;
    const bool scanning = showProgress && progress->phase == SyncProgress::Phase::scanning;
    m_busy->setVisible(showProgress && scanning);
    m_bar->setVisible(showProgress && !scanning);
    m_progressText->setVisible(showProgress);
    m_stop->setVisible(showProgress);
    if (showProgress) {
        if (scanning) {
            m_progressText->setText(StatusTexts::scanningText(*progress));
        } else {
            m_bar->setValue(int(StatusTexts::importFraction(*progress) * 1000.0 + 0.5));
            m_progressText->setText(StatusTexts::importingText(*progress));
        }
    }
    m_summary->setVisible(item == StatusTexts::SyncItem::summary);
    m_summary->setText(item == StatusTexts::SyncItem::summary ? m_model.lastSyncSummary() : QString());
}
