#include "Corvallen/Devices/Views/DevicesView.h"

#include "Corvallen/Devices/DeviceVisibility.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Devices/Views/LCRP1View.h"
#include "Corvallen/Devices/Views/ManageDevicesSheet.h"
#include "Corvallen/Platform/SettingsStore.h"

#include <QAbstractButton>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QFont captionFont(QFont f)
{
    f.setPointSizeF(f.pointSizeF() * 0.85);
    return f;
}

// One device in the column: icon, name and subtitle; a tinted rounded background when selected.
// The whole rectangle takes the click.
class DeviceRow : public QAbstractButton {
public:
    DeviceRow(BenchDevice device, QWidget* parent) : QAbstractButton(parent), m_device(device)
    {
        setObjectName(QStringLiteral("deviceRow.") + device.rawValue());
        setCheckable(true);
        setAccessibleName(device.displayName());
        setCursor(Qt::PointingHandCursor);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(8, 5, 8, 5);
        row->setSpacing(10);
        auto* icon = new QLabel(this);
        icon->setPixmap(symbolIcon(device.symbolName()).pixmap(18, 18));
        icon->setFixedWidth(22);
        icon->setAlignment(Qt::AlignCenter);
        row->addWidget(icon);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        auto* name = new QLabel(device.displayName(), this);
        auto* subtitle = new QLabel(device.subtitle(), this);
        subtitle->setFont(captionFont(subtitle->font()));
        subtitle->setForegroundRole(QPalette::PlaceholderText);
        texts->addWidget(name);
        texts->addWidget(subtitle);
        row->addLayout(texts, 1);
        for (QLabel* label : {icon, name, subtitle})
            label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    BenchDevice device() const { return m_device; }

    QSize sizeHint() const override { return layout()->sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!isChecked())
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor tint = palette().color(QPalette::Highlight);
        tint.setAlphaF(0.18);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 6, 6);
        p.fillPath(path, tint);
    }

private:
    BenchDevice m_device;
};

}  // namespace

DevicesView::DevicesView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DevicesView"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Device column.
    auto* column = new QWidget(this);
    column->setObjectName(QStringLiteral("deviceColumn"));
    column->setFixedWidth(210);
    column->setBackgroundRole(QPalette::Window);
    column->setAutoFillBackground(true);
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(12, 12, 12, 8);
    auto* title = new QLabel(tr("Devices"), column);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    header->addWidget(title);
    header->addStretch(1);
    auto* manage = new QToolButton(column);
    manage->setObjectName(QStringLiteral("manageDevicesButton"));
    manage->setAutoRaise(true);
    manage->setIcon(symbolIcon(QStringLiteral("slider.horizontal.3")));
    manage->setToolTip(tr("Manage devices"));
    manage->setAccessibleName(tr("Manage devices"));
    header->addWidget(manage);
    columnLayout->addLayout(header);
    connect(manage, &QToolButton::clicked, this, &DevicesView::openManageDevices);

    m_emptyState = new QWidget(column);
    m_emptyState->setObjectName(QStringLiteral("allHiddenState"));
    auto* emptyLayout = new QVBoxLayout(m_emptyState);
    emptyLayout->setContentsMargins(12, 0, 12, 0);
    emptyLayout->setSpacing(6);
    auto* allHidden = new QLabel(tr("All devices are hidden."), m_emptyState);
    allHidden->setObjectName(QStringLiteral("allHiddenLabel"));
    allHidden->setFont(captionFont(allHidden->font()));
    allHidden->setForegroundRole(QPalette::PlaceholderText);
    emptyLayout->addWidget(allHidden);
    auto* manageAgain = new QPushButton(tr("Manage Devices…"), m_emptyState);
    manageAgain->setObjectName(QStringLiteral("manageDevicesFallbackButton"));
    emptyLayout->addWidget(manageAgain, 0, Qt::AlignLeft);
    columnLayout->addWidget(m_emptyState);
    connect(manageAgain, &QPushButton::clicked, this, &DevicesView::openManageDevices);

    auto* scroll = new QScrollArea(column);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_rowsArea = scroll;
    auto* rowsWidget = new QWidget(scroll);
    m_rowsLayout = new QVBoxLayout(rowsWidget);
    m_rowsLayout->setContentsMargins(8, 2, 8, 0);
    m_rowsLayout->setSpacing(2);
    m_rowsLayout->addStretch(1);
    scroll->setWidget(rowsWidget);
    columnLayout->addWidget(scroll, 1);
    columnLayout->addStretch(0);
    layout->addWidget(column);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Sunken);
    layout->addWidget(divider);

    // Detail area.
    m_detailStack = new QStackedWidget(this);
    m_placeholder = new QWidget(m_detailStack);
    m_placeholder->setObjectName(QStringLiteral("noSelectionPlaceholder"));
    auto* placeholderLayout = new QVBoxLayout(m_placeholder);
    placeholderLayout->setSpacing(8);
    placeholderLayout->addStretch(1);
    auto* chip = new QLabel(m_placeholder);
    chip->setPixmap(symbolIcon(QStringLiteral("cpu")).pixmap(32, 32));
    chip->setAlignment(Qt::AlignCenter);
    chip->setEnabled(false);
    placeholderLayout->addWidget(chip);
    auto* prompt = new QLabel(tr("Select a device"), m_placeholder);
    prompt->setObjectName(QStringLiteral("selectDeviceLabel"));
    prompt->setAlignment(Qt::AlignCenter);
    prompt->setForegroundRole(QPalette::PlaceholderText);
    placeholderLayout->addWidget(prompt);
    placeholderLayout->addStretch(1);
    m_detailStack->addWidget(m_placeholder);
    layout->addWidget(m_detailStack, 1);

    connect(&SettingsStore::shared(), &SettingsStore::changed, this, [this](const QString& key) {
        if (key != DeviceVisibility::settingsKey())
            return;
        rebuildColumn();
        ensureSelection();
    });

    rebuildColumn();
    ensureSelection();
}

QSet<QString> DevicesView::hiddenIDs() const { return DeviceVisibility::hiddenIDs(); }

QList<BenchDevice> DevicesView::visibleDevices() const
{
    const QSet<QString> hidden = hiddenIDs();
    QList<BenchDevice> visible;
    for (BenchDevice device : BenchDevice::allCases()) {
        if (!hidden.contains(device.rawValue()))
            visible << device;
    }
    return visible;
}

void DevicesView::rebuildColumn()
{
    qDeleteAll(m_rows);
    m_rows.clear();
    const QList<BenchDevice> visible = visibleDevices();
    m_emptyState->setVisible(visible.isEmpty());
    m_rowsArea->setVisible(!visible.isEmpty());
    for (BenchDevice device : visible) {
        auto* row = new DeviceRow(device, m_rowsLayout->parentWidget());
        row->setChecked(m_selection == device);
        connect(row, &QAbstractButton::clicked, this, [this, device]() { select(device); });
        m_rowsLayout->insertWidget(m_rowsLayout->count() - 1, row);
        m_rows << row;
    }
}

void DevicesView::ensureSelection()
{
    const QList<BenchDevice> visible = visibleDevices();
    std::optional<BenchDevice> next = m_selection;
    if (next && !visible.contains(*next))
        next.reset();
    if (!next && !visible.isEmpty())
        next = visible.first();
    if (next != m_selection) {
        m_selection = next;
        showDetail();
        Q_EMIT selectionChanged();
    } else if (m_selection && !m_detail) {
        showDetail();
    }
}

void DevicesView::select(BenchDevice device)
{
    if (!visibleDevices().contains(device))
        return;
    if (m_selection != device) {
        m_selection = device;
        showDetail();
        Q_EMIT selectionChanged();
    }
    for (QAbstractButton* row : m_rows)
        row->setChecked(static_cast<DeviceRow*>(row)->device() == device);
}

void DevicesView::showDetail()
{
    for (QAbstractButton* row : m_rows)
        row->setChecked(m_selection && static_cast<DeviceRow*>(row)->device() == *m_selection);
    if (m_detail) {
        m_detailStack->removeWidget(m_detail);
        // The page may be in the middle of a signal of its own; let it finish first. A running
        // flash is unaffected: it belongs to the application's controller.
        m_detail->hide();
        m_detail->deleteLater();
        m_detail = nullptr;
    }
    if (!m_selection) {
        m_detailStack->setCurrentWidget(m_placeholder);
        return;
    }
    switch (m_selection->kind()) {
    case BenchDevice::lcrP1: m_detail = new LCRP1View(m_detailStack); break;
    }
    m_detailStack->addWidget(m_detail);
    m_detailStack->setCurrentWidget(m_detail);
}

void DevicesView::openManageDevices()
{
    if (m_sheet) {
        m_sheet->raise();
        m_sheet->activateWindow();
        return;
    }
    auto* sheet = new ManageDevicesSheet(nullptr, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    m_sheet = sheet;
    sheet->open();
}
