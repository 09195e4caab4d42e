#include "Corvallen/Settings/Views/BackupSettings.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Platform/Views/LiteralText.h"

#include "Corvallen/Platform/AppInfo.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Settings/BackupPaneTexts.h"
#include "Corvallen/Settings/Views/SettingsStyle.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace {

struct Flag {
    bool BackupSelection::*member;
    const char* label;
};
// The five data types in their fixed order.
const Flag kFlags[] = {
    {&BackupSelection::projects, QT_TRANSLATE_NOOP("BackupSettings", "Projects")},
    {&BackupSelection::inventory, QT_TRANSLATE_NOOP("BackupSettings", "Inventory")},
    {&BackupSelection::captures, QT_TRANSLATE_NOOP("BackupSettings", "Captures")},
    {&BackupSelection::files, QT_TRANSLATE_NOOP("BackupSettings", "Files")},
    {&BackupSelection::settings, QT_TRANSLATE_NOOP("BackupSettings", "Settings")},
};

QString defaultDestination(QWidget* parent, const QString& suggested)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(BackupSettings::tr("ZIP archives (*.zip)"));
    dialog.setDefaultSuffix(QStringLiteral("zip"));
    dialog.setDirectory(AppPaths::saveFolder());
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString defaultArchive(QWidget* parent)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDirectory(AppPaths::saveFolder());
    dialog.setNameFilter(BackupSettings::tr("ZIP archives (*.zip)"));
    dialog.setLabelText(QFileDialog::Accept, BackupSettings::tr("Choose"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

bool defaultConfirm(QWidget* parent)
{
    QMessageBox box(parent);
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(BackupSettings::confirmTitle());
    box.setText(BackupSettings::confirmTitle());
    box.setInformativeText(BackupSettings::confirmMessage());
    QPushButton* restore = box.addButton(literalText(BackupSettings::tr("Restore & Relaunch")), QMessageBox::DestructiveRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == restore;
}

QPushButton* linkStyleButton(const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setFlat(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setFont(SettingsStyle::font(SettingsStyle::TextStyle::caption));
    QPalette p = b->palette();
    p.setColor(QPalette::ButtonText, p.color(QPalette::Active, QPalette::Highlight));
    b->setPalette(p);
    return b;
}

}  // namespace

BackupSettings::BackupSettings(ModelContext& context, QWidget* parent) : BackupSettings(context, Hooks(), parent) {}

BackupSettings::BackupSettings(ModelContext& context, Hooks hooks, QWidget* parent)
    : QWidget(parent), m_context(context), m_hooks(std::move(hooks)),
      m_controller(m_hooks.controller ? m_hooks.controller : &BackupController::shared())
{
    setObjectName(QStringLiteral("BackupSettings"));
    if (!m_hooks.chooseDestination)
        m_hooks.chooseDestination = defaultDestination;
    if (!m_hooks.chooseArchive)
        m_hooks.chooseArchive = defaultArchive;
    if (!m_hooks.confirmLegacyRestore)
        m_hooks.confirmLegacyRestore = defaultConfirm;

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(12);
    auto* backup = SettingsStyle::section(tr("Backup"), this);
    auto* v = new QVBoxLayout(backup);
    v->addWidget(SettingsStyle::caption(
        tr("Export a .zip of the data you choose \u2014 save it to a synced cloud folder or an external drive for an "
           "off-machine copy. Restoring brings the chosen types back; each one replaces what's currently in the app."),
        backup));
    buildSelectionToggles(backup, v);

    auto* selectRow = new QHBoxLayout;
    QPushButton* all = linkStyleButton(tr("Select all"), backup);
    all->setObjectName(QStringLiteral("selectAll"));
    QPushButton* none = linkStyleButton(tr("Select none"), backup);
    none->setObjectName(QStringLiteral("selectNone"));
    selectRow->addWidget(all);
    selectRow->addWidget(none);
    selectRow->addStretch(1);
    v->addLayout(selectRow);
    connect(all, &QPushButton::clicked, this, [this] { setSelection(BackupSelection::all()); });
    connect(none, &QPushButton::clicked, this, [this] { setSelection(BackupSelection{}); });

    m_exportButton = new QPushButton(symbolIcon(QStringLiteral("square.and.arrow.up")), tr("Export Backup (.zip)\u2026"), backup);
    m_exportButton->setObjectName(QStringLiteral("exportBackup"));
    m_restoreButton = new QPushButton(symbolIcon(QStringLiteral("square.and.arrow.down")), tr("Restore from Backup\u2026"), backup);
    m_restoreButton->setObjectName(QStringLiteral("restoreBackup"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_exportButton);
    buttons->addWidget(m_restoreButton);
    buttons->addStretch(1);
    v->addLayout(buttons);
    connect(m_exportButton, &QPushButton::clicked, this, &BackupSettings::exportBackup);
    connect(m_restoreButton, &QPushButton::clicked, this, &BackupSettings::chooseRestoreArchive);

    m_progress = new QProgressBar(backup);
    m_progress->setObjectName(QStringLiteral("backupProgress"));
    m_progress->setMaximumHeight(8);
    m_progress->setTextVisible(false);
    m_progress->setVisible(false);
    v->addWidget(m_progress);
    m_statusLabel = SettingsStyle::caption(QString(), backup);
    m_statusLabel->setObjectName(QStringLiteral("backupStatus"));
    m_statusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_statusLabel->setVisible(false);
    v->addWidget(m_statusLabel);
    layout->addWidget(backup);

    auto* cloud = SettingsStyle::section(QString(), this);
    auto* cloudRow = new QHBoxLayout(cloud);
    auto* cloudIcon = new QLabel(cloud);
    cloudIcon->setPixmap(symbolIcon(QStringLiteral("icloud")).pixmap(16, 16));
    cloudRow->addWidget(cloudIcon);
    cloudRow->addWidget(SettingsStyle::label(tr("Automatic cloud backup \u2014 coming soon"), SettingsStyle::TextStyle::body, 2,
                                             QFont::Normal, cloud));
    cloudRow->addStretch(1);
    layout->addWidget(cloud);
    layout->addStretch(1);
    showSelection();

    connect(m_controller, &BackupController::changed, this, &BackupSettings::showController);
    // Asked from an event of its own, never from inside the controller's notification.
    connect(m_controller, &BackupController::choiceReady, this, &BackupSettings::presentChoice, Qt::QueuedConnection);
    showController();
    // An archive inspected while no pane was open is asked about once this pane is up.
    if (m_controller->pendingChoice())
        QMetaObject::invokeMethod(this, &BackupSettings::presentChoice, Qt::QueuedConnection);
}

BackupSettings::~BackupSettings() = default;

QString BackupSettings::confirmTitle() { return tr("Restore from this backup?"); }

QString BackupSettings::confirmMessage()
{
    return tr("This is an older full backup. It replaces your current projects, captures, and inventory with the contents of "
              "the backup. A snapshot of your current data is saved first, and Corvallen will relaunch to finish.");
}

void BackupSettings::buildSelectionToggles(QWidget* parent, QVBoxLayout* layout)
{
    for (const Flag& flag : kFlags) {
        auto* box = new QCheckBox(tr(flag.label), parent);
        box->setObjectName(QStringLiteral("export") + QString::fromLatin1(flag.label));
        layout->addWidget(box);
        m_toggles << box;
        const auto member = flag.member;
        connect(box, &QCheckBox::toggled, this, [this, member](bool on) {
            BackupSelection s = m_selection;
            s.*member = on;
            setSelection(s);
        });
    }
}

void BackupSettings::setSelection(const BackupSelection& selection)
{
    m_selection = selection;
    showSelection();
}

void BackupSettings::showSelection()
{
    for (int i = 0; i < m_toggles.size(); ++i) {
        const QSignalBlocker block(m_toggles[i]);
        m_toggles[i]->setChecked(m_selection.*(kFlags[i].member));
    }
    m_exportButton->setEnabled(!isWorking() && !m_selection.isEmpty());
    m_restoreButton->setEnabled(!isWorking());
}

bool BackupSettings::isWorking() const { return m_controller->isWorking(); }

void BackupSettings::setStatus(const QString& status)
{
    m_status = status;
    m_statusLabel->setText(status);
    m_statusLabel->setVisible(!status.isEmpty());
}

void BackupSettings::showController()
{
    const bool working = m_controller->isWorking();
    const double progress = m_controller->progress();
    m_progress->setRange(0, progress < 0 ? 0 : 1000);
    if (progress >= 0)
        m_progress->setValue(int(progress * 1000));
    m_progress->setVisible(working);
    // The running job's status, or an outcome no pane has shown yet; an inspection has none
    // and leaves the pane's line as it is.
    if (!m_controller->status().isEmpty() && (working || !m_controller->isOutcomeShown()))
        setStatus(m_controller->status());
    if (!working)
        m_controller->markOutcomeShown();
    showSelection();
}

void BackupSettings::exportBackup()
{
    if (isWorking())
        return;
    if (m_selection.isEmpty()) {
        setStatus(tr("Pick at least one type to export."));
        return;
    }
    const QString destination =
        m_hooks.chooseDestination(this, BackupPaneTexts::suggestedFileName(QDateTime::currentDateTime()));
    if (destination.isEmpty())
        return;
    m_controller->exportBackup(m_context, m_selection, destination, AppInfo::version(), AppInfo::build());
}

void BackupSettings::chooseRestoreArchive()
{
    if (isWorking())
        return;
    const QString archive = m_hooks.chooseArchive(this);
    if (archive.isEmpty())
        return;
    m_controller->inspect(archive);
}

void BackupSettings::presentChoice()
{
    if (isWorking() || m_sheet)
        return;
    std::optional<BackupController::Choice> choice = m_controller->takePendingChoice();
    if (!choice)
        return;
    if (choice->info.isLegacy) {
        if (m_hooks.confirmLegacyRestore(this))
            m_controller->stageLegacyRestore(choice->archive);
        return;
    }
    m_restoreArchive = choice->archive;
    m_restoreInfo = choice->info;
    m_restoreSelection = choice->info.manifest ? choice->info.manifest->availableSelection() : BackupSelection::all();
    openRestoreSheet();
}

void BackupSettings::openRestoreSheet()
{
    delete m_sheet;
    auto* sheet = new QDialog(this);
    m_sheet = sheet;
    sheet->setObjectName(QStringLiteral("RestoreSheet"));
    sheet->setWindowTitle(tr("Restore from backup"));
    sheet->setWindowModality(Qt::WindowModal);
    sheet->setFixedWidth(400);
    auto* v = new QVBoxLayout(sheet);
    v->setContentsMargins(20, 20, 20, 20);
    v->setSpacing(14);
    v->addWidget(SettingsStyle::label(tr("Restore from backup"), SettingsStyle::TextStyle::headline, 1, QFont::Normal, sheet));
    v->addWidget(SettingsStyle::caption(tr("Pick what to restore. Each selected type replaces what's currently in Corvallen "
                                           "\u2014 a snapshot of your current data is saved first."),
                                        sheet));
    const BackupSelection available =
        m_restoreInfo && m_restoreInfo->manifest ? m_restoreInfo->manifest->availableSelection() : BackupSelection::all();
    auto* toggles = new QVBoxLayout;
    toggles->setSpacing(8);
    auto* restore = new QPushButton(tr("Restore"), sheet);
    restore->setObjectName(QStringLiteral("confirmRestore"));
    auto updateRestore = [this, restore] { restore->setEnabled(!m_restoreSelection.isEmpty()); };
    for (const Flag& flag : kFlags) {
        if (!(available.*(flag.member)))
            continue;
        auto* box = new QCheckBox(tr(flag.label), sheet);
        box->setObjectName(QStringLiteral("restore") + QString::fromLatin1(flag.label));
        box->setChecked(m_restoreSelection.*(flag.member));
        const auto member = flag.member;
        connect(box, &QCheckBox::toggled, sheet, [this, member, updateRestore](bool on) {
            m_restoreSelection.*member = on;
            updateRestore();
        });
        toggles->addWidget(box);
    }
    v->addLayout(toggles);
    if (m_restoreInfo && m_restoreInfo->manifest) {
        auto* lines = new QVBoxLayout;
        lines->setSpacing(2);
        QLabel* summary = SettingsStyle::label(BackupPaneTexts::manifestSummaryText(*m_restoreInfo->manifest),
                                               SettingsStyle::TextStyle::caption, 3, QFont::Normal, sheet);
        summary->setObjectName(QStringLiteral("manifestSummary"));
        QLabel* origin = SettingsStyle::label(BackupPaneTexts::manifestOriginText(*m_restoreInfo->manifest),
                                              SettingsStyle::TextStyle::caption, 3, QFont::Normal, sheet);
        origin->setObjectName(QStringLiteral("manifestOrigin"));
        summary->setWordWrap(true);
        origin->setWordWrap(true);
        lines->addWidget(summary);
        lines->addWidget(origin);
        v->addLayout(lines);
    }
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* cancel = new QPushButton(tr("Cancel"), sheet);
    cancel->setObjectName(QStringLiteral("cancelRestore"));
    row->addWidget(cancel);
    row->addWidget(restore);
    restore->setDefault(true);
    v->addLayout(row);
    updateRestore();
    connect(cancel, &QPushButton::clicked, this, &BackupSettings::closeRestoreSheet);
    connect(sheet, &QDialog::rejected, this, [this] {
        m_restoreArchive.reset();
        m_restoreInfo.reset();
    });
    connect(restore, &QPushButton::clicked, this, &BackupSettings::restoreSelected);
    sheet->open();
}

void BackupSettings::closeRestoreSheet()
{
    if (m_sheet) {
        QDialog* sheet = m_sheet;
        m_sheet = nullptr;
        sheet->hide();
        sheet->deleteLater();
    }
    m_restoreArchive.reset();
    m_restoreInfo.reset();
}

void BackupSettings::restoreSelected()
{
    if (!m_restoreArchive)
        return;
    const QString archive = *m_restoreArchive;
    const BackupSelection selection = m_restoreSelection;
    closeRestoreSheet();
    if (selection.isEmpty())
        return;
    m_controller->restore(m_context, archive, selection);
}
