#include "Corvallen/Settings/Views/SettingsView.h"

#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Settings/Views/AboutSettings.h"
#include "Corvallen/Settings/Views/GeneralSettings.h"
#include "Corvallen/Settings/Views/SettingsStyle.h"
#include "Corvallen/Widgets/Views/SourceList.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

SettingsView::SettingsView(ModelContext& context, UpdaterController* updater, QWidget* parent)
    : SettingsView(context, updater, SettingsStore::shared(), {}, {}, parent)
{
}

SettingsView::SettingsView(ModelContext& context, UpdaterController* updater, SettingsStore& settings,
                           BusinessSettings::ImagePicker logoPicker, BackupSettings::Hooks backupHooks, QWidget* parent)
    : QWidget(parent), m_context(context), m_updater(updater), m_settings(settings), m_logoPicker(std::move(logoPicker)),
      m_backupHooks(std::move(backupHooks))
{
    setObjectName(QStringLiteral("SettingsView"));
    setMinimumSize(660, 440);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("paneList"));
    m_list->setFixedWidth(215);
    m_list->setIconSize(QSize(20, 20));
    m_list->setSpacing(5);
    m_list->setFrameShape(QFrame::NoFrame);
    for (SettingsPane pane : SettingsPanes::all()) {
        auto* item = new QListWidgetItem(SettingsStyle::paneTile(pane), SettingsPanes::title(pane), m_list);
        item->setData(Qt::UserRole, SettingsPanes::rawValue(pane));
    }
    SourceList::keepCurrentSelected(m_list);
    layout->addWidget(m_list);

    auto* detail = new QWidget(this);
    auto* detailLayout = new QVBoxLayout(detail);
    detailLayout->setContentsMargins(16, 12, 16, 0);
    m_title = SettingsStyle::label(QString(), SettingsStyle::TextStyle::headline, 1, QFont::Normal, detail);
    m_title->setObjectName(QStringLiteral("paneTitle"));
    detailLayout->addWidget(m_title);
    m_scroll = new QScrollArea(detail);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    detailLayout->addWidget(m_scroll, 1);
    layout->addWidget(detail, 1);

    connect(m_list, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        m_pane = item ? SettingsPanes::fromRaw(item->data(Qt::UserRole).toString()) : std::nullopt;
        showPane();
    });
    setPane(SettingsPane::general);
}

void SettingsView::setPane(std::optional<SettingsPane> pane)
{
    m_pane = pane;
    {
        const QSignalBlocker block(m_list);
        m_list->setCurrentItem(nullptr);
        if (pane)
            m_list->setCurrentRow(int(SettingsPanes::all().indexOf(*pane)));
    }
    showPane();
}

QString SettingsView::title() const { return m_title->text(); }

void SettingsView::showPane()
{
    const SettingsPane pane = m_pane.value_or(SettingsPane::general);
    QWidget* widget = nullptr;
    switch (pane) {
    case SettingsPane::general: widget = new GeneralSettings(m_settings, m_updater); break;
    case SettingsPane::business: widget = new BusinessSettings(m_settings, m_logoPicker); break;
    case SettingsPane::storage: widget = new BackupSettings(m_context, m_backupHooks); break;
    case SettingsPane::about: widget = new AboutSettings; break;
    }
    // The previous pane goes with its state; setWidget deletes it.
    m_scroll->setWidget(widget);
    m_current = widget;
    m_title->setText(m_pane ? SettingsPanes::title(*m_pane) : tr("Settings"));
}
