#include "Corvallen/Sync/Views/LocationDetail.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Platform/Views/ThemeManager.h"

#include "Corvallen/Platform/Views/ElidedLabel.h"

#include "Corvallen/Sync/AppModel.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "Corvallen/Sync/FolderGrants.h"
#include "Corvallen/Sync/Views/SyncViewStyle.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QThreadPool>
#include <QVBoxLayout>

namespace {

QPushButton* actionButton(const QString& name, const QString& symbol, const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(symbolIcon(symbol), text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QWidget* labelledRow(const QString& label, QLabel* value, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(label, row));
    layout->addStretch(1);
    value->setParent(row);
    value->setTextFormat(Qt::PlainText);
    value->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(value);
    return row;
}

QLabel* iconCaption(const QString& symbol, const QString& text, const QColor& color, QWidget* parent, QHBoxLayout** rowOut)
{
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(parent);
    icon->setPixmap(symbolIcon(symbol).pixmap(12, 12));
    row->addWidget(icon);
    QLabel* label = SyncViewStyle::caption(text, parent, !color.isValid());
    if (color.isValid()) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, color);
        label->setPalette(p);
    }
    row->addWidget(label, 1);
    *rowOut = row;
    return label;
}

}  // namespace

LocationDetail::LocationDetail(AppModel& model, const SyncLocation& location, std::function<void()> onEdit,
                               std::function<void()> onRemove, QWidget* parent)
    : QWidget(parent), m_model(model), m_location(location), m_onEdit(std::move(onEdit)), m_onRemove(std::move(onRemove))
{
    setObjectName(QStringLiteral("LocationDetail"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    outer->addWidget(scroll);
    auto* content = new QWidget(scroll);
    auto* sections = new QVBoxLayout(content);
    sections->setContentsMargins(16, 16, 16, 16);
    sections->setSpacing(6);

    // Who and how it stands.
    QFrame* head = SyncViewStyle::section(content);
    auto* headRow = new QHBoxLayout(head);
    headRow->setSpacing(12);
    m_icon = new QLabel(head);
    m_icon->setFixedWidth(34);
    m_icon->setAlignment(Qt::AlignCenter);
    headRow->addWidget(m_icon);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    m_name = new ElidedLabel(QString(), head);
    m_name->setObjectName(QStringLiteral("nameLabel"));
    m_name->setTextFormat(Qt::PlainText);
    m_name->setFont(SyncViewStyle::headlineFont(m_name->font()));
    texts->addWidget(m_name);
    auto* badgeRow = new QHBoxLayout;
    badgeRow->setSpacing(4);
    m_badgeIcon = new QLabel(head);
    badgeRow->addWidget(m_badgeIcon);
    m_badge = SyncViewStyle::caption(QString(), head, false);
    m_badge->setObjectName(QStringLiteral("statusBadge"));
    m_badge->setWordWrap(false);
    badgeRow->addWidget(m_badge);
    badgeRow->addStretch(1);
    texts->addLayout(badgeRow);
    headRow->addLayout(texts, 1);
    sections->addWidget(head);
    sections->addSpacing(10);

    // Sync
    sections->addWidget(SyncViewStyle::caption(tr("Sync"), content));
    QFrame* sync = SyncViewStyle::section(content);
    auto* syncRows = new QVBoxLayout(sync);
    m_source = new ElidedLabel(QString(), nullptr, Qt::ElideMiddle);  // a folder path can be long
    m_source->setObjectName(QStringLiteral("sourceValue"));
    syncRows->addWidget(labelledRow(tr("Source"), m_source, sync));
    m_count = new QLabel;
    m_count->setObjectName(QStringLiteral("imageCountValue"));
    m_countRow = labelledRow(tr("Images found"), m_count, sync);
    m_countRow->setObjectName(QStringLiteral("imageCountRow"));
    syncRows->addWidget(m_countRow);
    m_controls = new QWidget(sync);
    m_controls->setObjectName(QStringLiteral("stateControls"));
    m_controlsLayout = new QVBoxLayout(m_controls);
    m_controlsLayout->setContentsMargins(0, 0, 0, 0);
    syncRows->addWidget(m_controls);
    m_summary = SyncViewStyle::caption(QString(), sync);
    m_summary->setObjectName(QStringLiteral("summaryLabel"));
    syncRows->addWidget(m_summary);
    sections->addWidget(sync);
    sections->addSpacing(10);

    // Edit and remove
    QFrame* manage = SyncViewStyle::section(content);
    auto* manageRows = new QVBoxLayout(manage);
    auto* edit = actionButton(QStringLiteral("editButton"), QStringLiteral("pencil"), tr("Edit Location\u2026"), manage);
    auto* remove = actionButton(QStringLiteral("removeButton"), QStringLiteral("trash"), tr("Remove Location"), manage);
    ThemeManager::makeRed(remove, QPalette::ButtonText, QPalette::Button);
    for (QPushButton* b : {edit, remove}) {
        auto* row = new QHBoxLayout;
        row->addWidget(b);
        row->addStretch(1);
        manageRows->addLayout(row);
    }
    sections->addWidget(manage);
    sections->addWidget(SyncViewStyle::caption(
        tr("Removing forgets the drive and its settings. Captures already imported into your Library are kept."), content));
    sections->addStretch(1);
    scroll->setWidget(content);

    connect(edit, &QPushButton::clicked, this, [this] {
        if (m_onEdit)
            m_onEdit();
    });
    connect(remove, &QPushButton::clicked, this, &LocationDetail::askToRemove);
    connect(&m_model, &AppModel::changed, this, &LocationDetail::refresh);
    connect(&m_model, &AppModel::connectedLocationIDsChanged, this, &LocationDetail::refreshImageCount);

    refresh();
    refreshImageCount();
}

void LocationDetail::setLocation(const SyncLocation& location)
{
    if (location == m_location)
        return;
    m_location = location;
    m_shownState.reset();
    refresh();
}

QString LocationDetail::sourceDescription(const SyncLocation& location)
{
    if (location.scanWholeDrive || location.subfolder.isEmpty())
        return tr("Entire drive/folder");
    return location.subfolder;
}

QString LocationDetail::statusText(ConnectionState state)
{
    switch (state) {
    case ConnectionState::notSetUp: return tr("Not connected yet");
    case ConnectionState::connected: return tr("Connected");
    case ConnectionState::needsPermission: return tr("Needs permission");
    case ConnectionState::notConnected: return tr("Not connected");
    }
    return {};
}

void LocationDetail::refresh()
{
    const ConnectionState state = m_model.connectionState(m_location);
    m_icon->setPixmap(SyncViewStyle::locationIcon(m_location.symbol).pixmap(26, 26));
    m_name->setText(SyncViewStyle::shownName(m_location.name));
    m_badge->setText(statusText(state));
    QColor badgeColor;
    QString badgeSymbol;
    switch (state) {
    case ConnectionState::notSetUp: break;
    case ConnectionState::connected:
        badgeColor = QColor(0x2f, 0xa8, 0x4f);
        badgeSymbol = QStringLiteral("checkmark.circle.fill");
        break;
    case ConnectionState::needsPermission:
        badgeColor = QColor(0xe8, 0x8a, 0x1a);
        badgeSymbol = QStringLiteral("lock.fill");
        break;
    case ConnectionState::notConnected: badgeSymbol = QStringLiteral("externaldrive.badge.xmark"); break;
    }
    QPalette p = palette();
    if (badgeColor.isValid())
        p.setColor(QPalette::WindowText, badgeColor);
    m_badge->setPalette(p);
    m_badge->setForegroundRole(badgeColor.isValid() ? QPalette::WindowText : QPalette::PlaceholderText);
    m_badgeIcon->setVisible(!badgeSymbol.isEmpty());
    if (!badgeSymbol.isEmpty())
        m_badgeIcon->setPixmap(symbolIcon(badgeSymbol).pixmap(12, 12));

    m_source->setText(sourceDescription(m_location));
    m_countRow->setVisible(m_imageCount.has_value());
    if (m_imageCount)
        m_count->setText(QString::number(*m_imageCount));
    const QString summary = m_model.lastSyncSummary();
    m_summary->setText(summary);
    m_summary->setVisible(!summary.isEmpty());

    // The controls change only with the state, so a click in progress is never cut short.
    if (m_shownState == state)
        return;
    m_shownState = state;
    while (QLayoutItem* item = m_controlsLayout->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            // Out of the tree at once (a click on it may still be running); freed later.
            w->hide();
            w->setParent(nullptr);
            w->deleteLater();
        }
        if (QLayout* l = item->layout()) {
            while (QLayoutItem* inner = l->takeAt(0)) {
                if (QWidget* w = inner->widget()) {
                    w->hide();
                    w->setParent(nullptr);
                    w->deleteLater();
                }
                delete inner;
            }
        }
        delete item;
    }
    auto addRow = [this](const QList<QPushButton*>& buttons) {
        auto* row = new QHBoxLayout;
        for (QPushButton* b : buttons)
            row->addWidget(b);
        row->addStretch(1);
        m_controlsLayout->addLayout(row);
    };
    switch (state) {
    case ConnectionState::notSetUp: {
        auto* choose = actionButton(QStringLiteral("chooseButton"), QStringLiteral("externaldrive.badge.plus"),
                                    tr("Choose Drive or Folder\u2026"), m_controls);
        connect(choose, &QPushButton::clicked, this, &LocationDetail::grantAction);
        addRow({choose});
        m_controlsLayout->addWidget(SyncViewStyle::caption(
            tr("Pick this location's drive or folder once \u2014 Corvallen remembers it and syncs on demand."), m_controls));
        break;
    }
    case ConnectionState::needsPermission: {
        QHBoxLayout* row = nullptr;
        iconCaption(QStringLiteral("lock.fill"), tr("The drive is connected, but Corvallen doesn't have permission to read it."),
                    QColor(0xe8, 0x8a, 0x1a), m_controls, &row);
        m_controlsLayout->addLayout(row);
        auto* grant = actionButton(QStringLiteral("grantButton"), QStringLiteral("lock.open"), tr("Grant Access\u2026"), m_controls);
        grant->setDefault(true);
        connect(grant, &QPushButton::clicked, this, &LocationDetail::grantAction);
        addRow({grant});
        m_controlsLayout->addWidget(SyncViewStyle::caption(
            tr("Linux needs you to pick this drive once more. Pick the same drive to restore access."), m_controls));
        break;
    }
    case ConnectionState::connected: {
        auto* syncNew = actionButton(QStringLiteral("syncButton"), QStringLiteral("arrow.triangle.2.circlepath"), tr("Sync New"), m_controls);
        auto* full = actionButton(QStringLiteral("fullResyncButton"), QStringLiteral("arrow.clockwise"), tr("Full Resync"), m_controls);
        full->setToolTip(tr("Re-import everything, even images synced before"));
        auto* eject = actionButton(QStringLiteral("ejectButton"), QStringLiteral("eject"), tr("Eject"), m_controls);
        auto* reconnect = actionButton(QStringLiteral("reconnectButton"), QStringLiteral("arrow.triangle.2.circlepath.circle"),
                                       tr("Reconnect\u2026"), m_controls);
        reconnect->setToolTip(tr("Pick the drive again if it moved or the grant expired"));
        connect(syncNew, &QPushButton::clicked, this, [this] { syncAction(false); });
        connect(full, &QPushButton::clicked, this, [this] { syncAction(true); });
        connect(eject, &QPushButton::clicked, this, &LocationDetail::ejectAction);
        connect(reconnect, &QPushButton::clicked, this, &LocationDetail::grantAction);
        addRow({syncNew, full, eject, reconnect});
        break;
    }
    case ConnectionState::notConnected: {
        QHBoxLayout* row = nullptr;
        iconCaption(QStringLiteral("externaldrive.badge.xmark"),
                    tr("Not connected \u2014 plug in the drive or mount it, then Sync."), QColor(), m_controls, &row);
        m_controlsLayout->addLayout(row);
        auto* reconnect = actionButton(QStringLiteral("reconnectButton"), QStringLiteral("arrow.triangle.2.circlepath.circle"),
                                       tr("Reconnect\u2026"), m_controls);
        reconnect->setToolTip(tr("Pick the drive again if it moved or was replaced"));
        connect(reconnect, &QPushButton::clicked, this, &LocationDetail::grantAction);
        addRow({reconnect});
        break;
    }
    }
}

void LocationDetail::grantAction()
{
    const SyncLocation copy = m_location;
    m_model.grantAccessAndSync(copy);
    refreshImageCount();
}

void LocationDetail::syncAction(bool full)
{
    const SyncLocation copy = m_location;
    m_model.sync(copy, full);
    refreshImageCount();
}

void LocationDetail::ejectAction()
{
    const SyncLocation copy = m_location;
    m_model.eject(copy);
    refreshImageCount();
}

void LocationDetail::refreshImageCount()
{
    const quint64 generation = ++m_countGeneration;
    const auto path = FolderGrants::resolveGrant(m_location.id, m_model.settings(), FolderGrants::snapshotOf(m_model.volumeMonitor()));
    if (!path) {
        m_imageCount.reset();
        refresh();
        Q_EMIT imageCountChanged();
        return;
    }
    // A whole drive can hold thousands of files: walked on a worker thread, shown when done.
    const SyncLocation::ScanOptions options = m_location.scanOptions();
    QPointer<LocationDetail> self(this);
    const QString root = *path;
    QThreadPool::globalInstance()->start([self, generation, root, options] {
        const qint64 count = DeviceStorage::scanImageFiles(root, options.subfolder, options.extensions).size();
        QMetaObject::invokeMethod(
            qApp,
            [self, generation, count] {
                if (!self || generation != self->m_countGeneration)
                    return;  // gone, or a newer count is on its way
                self->m_imageCount = count;
                self->refresh();
                Q_EMIT self->imageCountChanged();
            },
            Qt::QueuedConnection);
    });
}

void LocationDetail::askToRemove()
{
    if (m_confirm)
        return;
    auto* box = new QMessageBox(this);
    m_confirm = box;
    box->setObjectName(QStringLiteral("removeConfirmation"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIcon(QMessageBox::Warning);
    box->setTextFormat(Qt::PlainText);
    const QString name = m_location.name.isEmpty() ? tr("this location") : m_location.name;
    box->setText(tr("Remove ") + name + QStringLiteral("?"));
    QPushButton* remove = box->addButton(tr("Remove Location"), QMessageBox::DestructiveRole);
    remove->setObjectName(QStringLiteral("confirmRemoveButton"));
    QPushButton* cancel = box->addButton(tr("Cancel"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelRemoveButton"));
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    connect(box, &QMessageBox::buttonClicked, this, [this, remove](QAbstractButton* clicked) {
        if (clicked == remove && m_onRemove)
            QMetaObject::invokeMethod(this, [this] { m_onRemove(); }, Qt::QueuedConnection);
    });
    box->open();
}
