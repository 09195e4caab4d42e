#include "Corvallen/Devices/Views/ManageDevicesSheet.h"

#include "Corvallen/Devices/BenchDevice.h"
#include "Corvallen/Devices/DeviceVisibility.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Platform/SettingsStore.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}
}  // namespace

ManageDevicesSheet::ManageDevicesSheet(SettingsStore* store, QWidget* parent)
    : QDialog(parent), m_store(store ? *store : SettingsStore::shared())
{
    setObjectName(QStringLiteral("ManageDevicesSheet"));
    setWindowTitle(tr("Manage Devices"));
    setFixedSize(380, 300);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* title = new QLabel(tr("Manage Devices"), this);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(title);
    layout->addWidget(divider(this));

    auto* form = new QWidget(this);
    auto* rows = new QVBoxLayout(form);
    rows->setContentsMargins(16, 12, 16, 12);
    rows->setSpacing(10);
    for (BenchDevice device : BenchDevice::allCases()) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        auto* icon = new QLabel(form);
        icon->setPixmap(symbolIcon(device.symbolName()).pixmap(18, 18));
        row->addWidget(icon);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        texts->addWidget(new QLabel(device.displayName(), form));
        auto* subtitle = new QLabel(device.subtitle(), form);
        QFont f = subtitle->font();
        f.setPointSizeF(f.pointSizeF() * 0.85);
        subtitle->setFont(f);
        subtitle->setForegroundRole(QPalette::PlaceholderText);
        texts->addWidget(subtitle);
        row->addLayout(texts, 1);
        auto* toggle = new QCheckBox(form);
        toggle->setObjectName(QStringLiteral("toggle.") + device.rawValue());
        toggle->setAccessibleName(device.displayName());
        row->addWidget(toggle);
        rows->addLayout(row);
        m_toggles.insert(device.rawValue(), toggle);

        const QString id = device.rawValue();
        connect(toggle, &QCheckBox::toggled, this, [this, id](bool shown) {
            DeviceVisibility::setHidden(id, !shown, &m_store);
        });
    }
    rows->addStretch(1);
    layout->addWidget(form, 1);
    layout->addWidget(divider(this));

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

    // The other list may write the key while the sheet is open.
    connect(&m_store, &SettingsStore::changed, this, [this](const QString& key) {
        if (key == DeviceVisibility::settingsKey())
            refresh();
    });
    refresh();
}

void ManageDevicesSheet::refresh()
{
    const QSet<QString> hidden = DeviceVisibility::hiddenIDs(&m_store);
    for (auto it = m_toggles.begin(); it != m_toggles.end(); ++it) {
        const QSignalBlocker block(it.value());
        it.value()->setChecked(!hidden.contains(it.key()));
    }
}
