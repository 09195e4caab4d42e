#include "Corvallen/Sync/Views/SyncLocationsView.h"

#include "Corvallen/Platform/Views/ElidedLabel.h"
#include "Corvallen/Devices/DeviceVisibility.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Sync/AppModel.h"
#include "Corvallen/Sync/Views/AddSyncLocationSheet.h"
#include "Corvallen/Sync/Views/LocationDetail.h"
#include "Corvallen/Sync/Views/ManageLocationsSheet.h"
#include "Corvallen/Sync/Views/SyncViewStyle.h"
#include "Corvallen/Sync/Views/SyncWidgetPrompts.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace {

// The dialogs of the sync engine come with its views.
const bool kPromptsInstalled = [] {
    SyncWidgetPrompts::install();
    return true;
}();

// One location in the list: the whole rectangle takes the click; tinted when selected.
class LocationRow : public QAbstractButton {
public:
    LocationRow(const SyncLocation& location, ConnectionState state, bool selected, QWidget* parent)
        : QAbstractButton(parent), m_state(state)
    {
        setObjectName(QStringLiteral("locationRow.") + location.id);
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(8, 5, 8, 5);
        row->setSpacing(10);
        auto* icon = m_icon = new QLabel(this);
        icon->setFixedWidth(22);
        icon->setAlignment(Qt::AlignCenter);
        row->addWidget(icon);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        QLabel* name = m_name = new ElidedLabel(QString(), this);
        name->setObjectName(QStringLiteral("rowName"));
        name->setTextFormat(Qt::PlainText);
        auto* kind = m_kind = new QLabel(this);
        kind->setObjectName(QStringLiteral("rowKind"));
        kind->setFont(SyncViewStyle::captionFont(kind->font()));
        kind->setForegroundRole(QPalette::PlaceholderText);
        for (QLabel* l : {name, kind}) {
            l->setMinimumWidth(1);
            l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            texts->addWidget(l);
        }
        row->addLayout(texts, 1);
        row->addSpacing(12);  // room for the dot
        for (QLabel* label : {icon, name, kind})
            label->setAttribute(Qt::WA_TransparentForMouseEvents);
        setLocation(location, state, selected);
    }

    // Shows the location's current name, kind, symbol, connection and selection in place.
    void setLocation(const SyncLocation& location, ConnectionState state, bool selected)
    {
        m_state = state;
        setChecked(selected);
        setAccessibleName(SyncViewStyle::shownName(location.name));
        if (m_symbol != location.symbol) {
            m_symbol = location.symbol;
            m_icon->setPixmap(SyncViewStyle::locationIcon(location.symbol).pixmap(16, 16));
        }
        m_name->setText(SyncViewStyle::shownName(location.name));
        m_kind->setText(SyncLocationsView::kindLabel(location));
        update();
    }

    ConnectionState state() const { return m_state; }
    QSize sizeHint() const override { return layout()->sizeHint(); }
    std::function<void()> onDeleteKey;

protected:
    // Delete on a focused row asks to remove its location, as the detail's button does.
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && onDeleteKey) {
            onDeleteKey();
            return;
        }
        QAbstractButton::keyPressEvent(event);
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        if (isChecked()) {
            QColor tint = palette().color(QPalette::Highlight);
            tint.setAlphaF(0.18);
            QPainterPath path;
            path.addRoundedRect(QRectF(rect()), 6, 6);
            p.fillPath(path, tint);
        }
        QColor dot;
        switch (m_state) {
        case ConnectionState::connected: dot = QColor(0x2f, 0xa8, 0x4f); break;
        case ConnectionState::needsPermission: dot = QColor(0xe8, 0x8a, 0x1a); break;
        default:
            dot = palette().color(QPalette::PlaceholderText);
            dot.setAlphaF(0.4);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        p.drawEllipse(QRectF(width() - 8 - 7, (height() - 7) / 2.0, 7, 7));
    }

private:
    ConnectionState m_state;
    QString m_symbol;
    QLabel* m_icon = nullptr;
    QLabel* m_name = nullptr;
    QLabel* m_kind = nullptr;
};

}  // namespace

SyncLocationsView::SyncLocationsView(AppModel& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_locations(SyncLocation::loadAll(model.settings()))
{
    Q_UNUSED(kPromptsInstalled)
    setObjectName(QStringLiteral("SyncLocationsView"));
    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);

    auto* column = new QWidget(this);
    column->setObjectName(QStringLiteral("locationColumn"));
    column->setFixedWidth(210);
    column->setAutoFillBackground(true);
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(0);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(12, 12, 12, 8);
    auto* title = new QLabel(tr("Sync Locations"), column);
    title->setFont(SyncViewStyle::headlineFont(title->font()));
    header->addWidget(title);
    header->addStretch(1);
    auto* add = new QToolButton(column);
    add->setObjectName(QStringLiteral("addLocationButton"));
    add->setAutoRaise(true);
    add->setIcon(symbolIcon(QStringLiteral("plus")));
    add->setToolTip(tr("Add a drive or folder"));
    add->setAccessibleName(tr("Add a drive or folder"));
    header->addWidget(add);
    auto* manage = new QToolButton(column);
    manage->setObjectName(QStringLiteral("manageLocationsButton"));
    manage->setAutoRaise(true);
    manage->setIcon(symbolIcon(QStringLiteral("slider.horizontal.3")));
    manage->setToolTip(tr("Manage locations"));
    manage->setAccessibleName(tr("Manage locations"));
    header->addWidget(manage);
    columnLayout->addLayout(header);
    m_listArea = new QWidget(column);
    m_listLayout = new QVBoxLayout(m_listArea);
    m_listLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->addWidget(m_listArea, 1);
    page->addWidget(column);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    page->addWidget(line);

    m_detailArea = new QWidget(this);
    m_detailLayout = new QVBoxLayout(m_detailArea);
    m_detailLayout->setContentsMargins(0, 0, 0, 0);
    m_placeholder = new QWidget(m_detailArea);
    m_placeholder->setObjectName(QStringLiteral("detailPlaceholder"));
    auto* placeholderLayout = new QVBoxLayout(m_placeholder);
    placeholderLayout->setSpacing(8);
    placeholderLayout->addStretch(1);
    auto* bigIcon = new QLabel(m_placeholder);
    bigIcon->setPixmap(symbolIcon(QStringLiteral("externaldrive")).pixmap(34, 34));
    bigIcon->setAlignment(Qt::AlignCenter);
    placeholderLayout->addWidget(bigIcon);
    auto* prompt = new QLabel(tr("Select a sync location"), m_placeholder);
    prompt->setAlignment(Qt::AlignCenter);
    prompt->setForegroundRole(QPalette::PlaceholderText);
    placeholderLayout->addWidget(prompt);
    placeholderLayout->addStretch(1);
    m_detailLayout->addWidget(m_placeholder);
    page->addWidget(m_detailArea, 1);

    connect(add, &QToolButton::clicked, this, &SyncLocationsView::addLocation);
    connect(manage, &QToolButton::clicked, this, &SyncLocationsView::showManageSheet);
    // Dots follow the connection states; the list is read again when the connected set
    // changes (the model may have rewritten a location).
    connect(&m_model, &AppModel::changed, this, &SyncLocationsView::rebuildList);
    connect(&m_model, &AppModel::connectedLocationIDsChanged, this, &SyncLocationsView::reloadLocations);
    connect(&m_model.settings(), &SettingsStore::changed, this, [this](const QString& key) {
        if (key != DeviceVisibility::settingsKey())
            return;
        reconcileSelection();
        rebuildList();
        rebuildDetail();
    });

    reconcileSelection();
    rebuildList();
    rebuildDetail();
}

QSet<QString> SyncLocationsView::hiddenIDs() const { return DeviceVisibility::hiddenIDs(&m_model.settings()); }

QList<SyncLocation> SyncLocationsView::visibleLocations() const
{
    const QSet<QString> hidden = hiddenIDs();
    QList<SyncLocation> out;
    for (const SyncLocation& l : m_locations)
        if (!hidden.contains(l.id))
            out << l;
    return out;
}

QString SyncLocationsView::kindLabel(const SyncLocation& location)
{
    return location.scanWholeDrive || location.subfolder.isEmpty() ? tr("Drive") : tr("Folder");
}

void SyncLocationsView::select(const QString& id)
{
    m_selection = id;
    rebuildList();
    rebuildDetail();
}

void SyncLocationsView::addLocation() { openEditor(SyncLocation::makeNew()); }

void SyncLocationsView::editLocation(const SyncLocation& location) { openEditor(location); }

void SyncLocationsView::openEditor(const SyncLocation& location)
{
    if (m_editor)
        return;
    bool isNew = true;
    for (const SyncLocation& l : m_locations)
        if (l.id == location.id)
            isNew = false;
    auto* sheet = new AddSyncLocationSheet(m_model, location, isNew, [this](const SyncLocation& l) { saveLocation(l); }, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    m_editor = sheet;
    sheet->open();
}

void SyncLocationsView::saveLocation(const SyncLocation& location)
{
    SyncLocation::upsert(location, m_model.settings());
    m_locations = SyncLocation::loadAll(m_model.settings());
    m_selection = location.id;
    m_model.refreshConnected();
    rebuildList();
    rebuildDetail();
    if (m_model.connectedLocationIDs().contains(location.id) && location.autoSync)
        m_model.sync(location, false);
}

void SyncLocationsView::removeLocation(const SyncLocation& location)
{
    SyncLocation::remove(location.id, m_model.settings());
    m_locations = SyncLocation::loadAll(m_model.settings());
    m_selection.reset();
    reconcileSelection();
    rebuildList();
    rebuildDetail();
}

void SyncLocationsView::showManageSheet()
{
    if (m_manage)
        return;
    auto* sheet = new ManageLocationsSheet(m_model.settings(), m_locations, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    m_manage = sheet;
    sheet->open();
}

void SyncLocationsView::reconcileSelection()
{
    const QList<SyncLocation> visible = visibleLocations();
    if (m_selection && std::none_of(visible.begin(), visible.end(), [&](const SyncLocation& l) { return l.id == *m_selection; }))
        m_selection.reset();
    if (!m_selection && !visible.isEmpty())
        m_selection = visible.first().id;
}

void SyncLocationsView::reloadLocations()
{
    m_locations = SyncLocation::loadAll(m_model.settings());
    rebuildList();
    rebuildDetail();
}

void SyncLocationsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    const auto before = m_selection;
    reconcileSelection();
    if (before != m_selection) {
        rebuildList();
        rebuildDetail();
    }
}

void SyncLocationsView::rebuildList()
{
    const QList<SyncLocation> visible = visibleLocations();
    QStringList ids;
    for (const SyncLocation& l : visible)
        ids << l.id;
    // The same locations in the same order (most changes: a connection, a progress post, a
    // rename): the rows are updated in place, so the focus, the scroll position and a click in
    // progress stay.
    if (!visible.isEmpty() && ids == m_rowIDs && m_rows.size() == visible.size() && !m_rows.contains(nullptr)) {
        for (int i = 0; i < visible.size(); ++i)
            static_cast<LocationRow*>(m_rows.at(i).data())
                ->setLocation(visible.at(i), m_model.connectionState(visible.at(i)), m_selection == visible.at(i).id);
        return;
    }
    QString focusedID;
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i) && m_rows.at(i)->hasFocus())
            focusedID = m_rowIDs.value(i);
    const int scrolled = m_listScroll ? m_listScroll->verticalScrollBar()->value() : 0;
    m_rows.clear();
    m_rowIDs.clear();
    m_listScroll = nullptr;
    while (QLayoutItem* item = m_listLayout->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            // Out of the tree at once (a click on it may still be running); freed later.
            w->hide();
            w->setParent(nullptr);
            w->deleteLater();
        }
        delete item;
    }
    if (visible.isEmpty()) {
        auto* empty = new QWidget(m_listArea);
        empty->setObjectName(QStringLiteral("emptyList"));
        auto* layout = new QVBoxLayout(empty);
        layout->setContentsMargins(12, 0, 12, 0);
        layout->setSpacing(6);
        QLabel* text = SyncViewStyle::caption(tr("No sync locations yet."), empty);
        text->setObjectName(QStringLiteral("emptyLabel"));
        layout->addWidget(text);
        auto* button = new QPushButton(tr("Add a Location\u2026"), empty);
        button->setObjectName(QStringLiteral("addLocationEmptyButton"));
        connect(button, &QPushButton::clicked, this, &SyncLocationsView::addLocation);
        auto* row = new QHBoxLayout;
        row->addWidget(button);
        row->addStretch(1);
        layout->addLayout(row);
        layout->addStretch(1);
        m_listLayout->addWidget(empty);
        return;
    }
    auto* scroll = new QScrollArea(m_listArea);
    scroll->setObjectName(QStringLiteral("locationList"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* rows = new QWidget(scroll);
    auto* layout = new QVBoxLayout(rows);
    layout->setContentsMargins(8, 2, 8, 0);
    layout->setSpacing(2);
    for (const SyncLocation& l : visible) {
        auto* row = new LocationRow(l, m_model.connectionState(l), m_selection == l.id, rows);
        const QString id = l.id;
        connect(row, &QAbstractButton::clicked, this, [this, id] { select(id); });
        row->onDeleteKey = [this, id] {
            // Once the key is handled: selecting may rebuild the rows.
            QMetaObject::invokeMethod(
                this,
                [this, id] {
                    select(id);
                    if (m_detail && m_detail->location().id == id)
                        m_detail->askToRemove();
                },
                Qt::QueuedConnection);
        };
        layout->addWidget(row);
        m_rows << row;
        m_rowIDs << id;
    }
    layout->addStretch(1);
    scroll->setWidget(rows);
    m_listLayout->addWidget(scroll);
    m_listScroll = scroll;
    if (isVisible())
        scroll->show();  // now, so the focus can go back to the row that had it
    scroll->verticalScrollBar()->setValue(scrolled);
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rowIDs.at(i) == focusedID)
            m_rows.at(i)->setFocus(Qt::OtherFocusReason);
}

void SyncLocationsView::rebuildDetail()
{
    std::optional<SyncLocation> shown;
    if (m_selection)
        for (const SyncLocation& l : m_locations)
            if (l.id == *m_selection) {
                shown = l;
                break;
            }
    if (m_detail && (!shown || m_detail->location().id != shown->id)) {
        m_detail->hide();
        m_detail->deleteLater();
        m_detail = nullptr;
    }
    m_placeholder->setVisible(!shown);
    if (!shown)
        return;
    if (m_detail) {
        m_detail->setLocation(*shown);
        return;
    }
    const SyncLocation location = *shown;
    m_detail = new LocationDetail(
        m_model, location,
        [this, id = location.id] {
            for (const SyncLocation& l : m_locations)
                if (l.id == id) {
                    editLocation(l);
                    return;
                }
        },
        [this, id = location.id] {
            for (const SyncLocation& l : m_locations)
                if (l.id == id) {
                    removeLocation(l);
                    return;
                }
        },
        m_detailArea);
    m_detailLayout->addWidget(m_detail);
    m_detail->show();
}
