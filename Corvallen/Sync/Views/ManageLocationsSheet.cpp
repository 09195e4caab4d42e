#include "Corvallen/Sync/Views/ManageLocationsSheet.h"

#include "Corvallen/Platform/Views/ElidedLabel.h"

#include "Corvallen/Devices/DeviceVisibility.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Sync/Views/SyncViewStyle.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

ManageLocationsSheet::ManageLocationsSheet(SettingsStore& settings, const QList<SyncLocation>& locations, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_locations(locations)
{
    setObjectName(QStringLiteral("ManageLocationsSheet"));
    setWindowTitle(tr("Manage Sync Locations"));
    setFixedSize(380, 320);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* title = new QLabel(tr("Manage Sync Locations"), this);
    title->setFont(SyncViewStyle::headlineFont(title->font()));
    title->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(title);
    layout->addWidget(SyncViewStyle::divider(this));

    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* form = new QWidget(scroll);
    auto* rows = new QVBoxLayout(form);
    rows->setContentsMargins(16, 12, 16, 12);
    rows->setSpacing(10);
    if (m_locations.isEmpty()) {
        auto* empty = new QLabel(tr("No sync locations yet."), form);
        empty->setObjectName(QStringLiteral("emptyLabel"));
        empty->setForegroundRole(QPalette::PlaceholderText);
        rows->addWidget(empty);
    }
    for (const SyncLocation& location : m_locations) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        auto* icon = new QLabel(form);
        icon->setPixmap(SyncViewStyle::locationIcon(location.symbol).pixmap(16, 16));
        row->addWidget(icon);
        auto* name = new ElidedLabel(SyncViewStyle::shownName(location.name), form);
        name->setTextFormat(Qt::PlainText);
        row->addWidget(name, 1);
        auto* toggle = new QCheckBox(form);
        toggle->setObjectName(QStringLiteral("toggle.") + location.id);
        toggle->setAccessibleName(SyncViewStyle::shownName(location.name));
        row->addWidget(toggle);
        rows->addLayout(row);
        m_toggles.insert(location.id, toggle);
        connect(toggle, &QCheckBox::toggled, this, [this, location](bool shown) { setShown(shown, location); });
    }
    rows->addStretch(1);
    scroll->setWidget(form);
    layout->addWidget(scroll, 1);
    layout->addWidget(SyncViewStyle::divider(this));

    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(16, 10, 16, 10);
    footer->addStretch(1);
    auto* done = new QPushButton(tr("Done"), this);
    done->setObjectName(QStringLiteral("doneButton"));
    done->setDefault(true);
    done->setAutoDefault(true);
    footer->addWidget(done);
    layout->addLayout(footer);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);

    // The Devices page writes the same key.
    connect(&m_settings, &SettingsStore::changed, this, [this](const QString& key) {
        if (key == DeviceVisibility::settingsKey())
            refresh();
    });
    refresh();
}

bool ManageLocationsSheet::isShown(const SyncLocation& location) const
{
    return !DeviceVisibility::hiddenIDs(&m_settings).contains(location.id);
}

void ManageLocationsSheet::setShown(bool shown, const SyncLocation& location)
{
    DeviceVisibility::setHidden(location.id, !shown, &m_settings);
}

void ManageLocationsSheet::refresh()
{
    for (const SyncLocation& location : m_locations) {
        QCheckBox* toggle = m_toggles.value(location.id);
        const QSignalBlocker block(toggle);
        toggle->setChecked(isShown(location));
    }
}
