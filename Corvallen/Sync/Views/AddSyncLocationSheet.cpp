#include "Corvallen/Sync/Views/AddSyncLocationSheet.h"

#include "Corvallen/Model/TextTrim.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Sync/AppModel.h"
#include "Corvallen/Sync/Views/SyncViewStyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

QStringList AddSyncLocationSheet::symbolChoices()
{
    return {QStringLiteral("externaldrive"), QStringLiteral("sdcard"), QStringLiteral("folder"), QStringLiteral("wave.square"),
            QStringLiteral("cpu"), QStringLiteral("gauge.with.dots.needle.bottom.50percent"), QStringLiteral("camera"),
            QStringLiteral("waveform.path.ecg"), QStringLiteral("ruler"), QStringLiteral("memorychip")};
}

AddSyncLocationSheet::AddSyncLocationSheet(AppModel& model, const SyncLocation& location, bool isNew,
                                           std::function<void(const SyncLocation&)> onSave, QWidget* parent)
    : QDialog(parent), m_model(model), m_draft(location), m_isNew(isNew), m_onSave(std::move(onSave))
{
    setObjectName(QStringLiteral("AddSyncLocationSheet"));
    setWindowTitle(isNew ? tr("Add Sync Location") : tr("Edit Sync Location"));
    setMinimumSize(440, 420);
    setMaximumSize(900, 1100);
    resize(540, 600);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* title = new QLabel(windowTitle(), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setFont(SyncViewStyle::headlineFont(title->font()));
    title->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(title);
    layout->addWidget(SyncViewStyle::divider(this));

    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* content = new QWidget(scroll);
    auto* sections = new QVBoxLayout(content);
    sections->setContentsMargins(16, 12, 16, 12);
    sections->setSpacing(6);

    // Location
    auto* locationHeader = SyncViewStyle::caption(tr("Location"), content);
    sections->addWidget(locationHeader);
    QFrame* locationSection = SyncViewStyle::section(content);
    auto* locationForm = new QFormLayout(locationSection);
    m_name = new QLineEdit(m_draft.name, locationSection);
    m_name->setObjectName(QStringLiteral("nameField"));
    m_name->setPlaceholderText(tr("Bench scope"));
    locationForm->addRow(tr("Name"), m_name);
    m_icon = new QComboBox(locationSection);
    m_icon->setObjectName(QStringLiteral("iconPicker"));
    // Named as well, as an icon theme may draw several of them alike.
    const QStringList choiceNames{tr("Drive"), tr("Memory card"), tr("Folder"),  tr("Signal"), tr("Chip"),
                                  tr("Gauge"), tr("Camera"),      tr("Waveform"), tr("Ruler"), tr("Memory")};
    for (qsizetype i = 0; i < symbolChoices().size(); ++i)
        m_icon->addItem(SyncViewStyle::locationIcon(symbolChoices().at(i)), choiceNames.at(i), symbolChoices().at(i));
    // A symbol from elsewhere stays until the user picks another.
    if (!symbolChoices().contains(m_draft.symbol))
        m_icon->addItem(SyncViewStyle::locationIcon(m_draft.symbol), m_draft.symbol, m_draft.symbol);
    for (int i = 0; i < m_icon->count(); ++i)
        m_icon->setItemData(i, m_icon->itemData(i), Qt::ToolTipRole);
    m_icon->setCurrentIndex(m_icon->findData(m_draft.symbol));
    locationForm->addRow(tr("Icon"), m_icon);
    sections->addWidget(locationSection);
    sections->addSpacing(10);

    // Drive or folder
    sections->addWidget(SyncViewStyle::caption(tr("Drive or folder"), content));
    QFrame* driveSection = SyncViewStyle::section(content);
    auto* driveRows = new QVBoxLayout(driveSection);
    m_choose = new QPushButton(symbolIcon(QStringLiteral("externaldrive.badge.plus")), QString(), driveSection);
    m_choose->setObjectName(QStringLiteral("chooseFolderButton"));
    auto* chooseRow = new QHBoxLayout;
    chooseRow->addWidget(m_choose);
    chooseRow->addStretch(1);
    driveRows->addLayout(chooseRow);
    m_sourceRow = new QWidget(driveSection);
    auto* sourceLayout = new QHBoxLayout(m_sourceRow);
    sourceLayout->setContentsMargins(0, 0, 0, 0);
    sourceLayout->addWidget(new QLabel(tr("Source"), m_sourceRow));
    sourceLayout->addStretch(1);
    m_source = new QLabel(m_sourceRow);
    m_source->setObjectName(QStringLiteral("sourceValue"));
    m_source->setTextFormat(Qt::PlainText);
    m_source->setForegroundRole(QPalette::PlaceholderText);
    sourceLayout->addWidget(m_source);
    driveRows->addWidget(m_sourceRow);
    m_wholeDrive = new QCheckBox(tr("Scan everything inside it"), driveSection);
    m_wholeDrive->setObjectName(QStringLiteral("scanWholeDriveToggle"));
    m_wholeDrive->setChecked(m_draft.scanWholeDrive);
    driveRows->addWidget(m_wholeDrive);
    m_subfolderRows = new QWidget(driveSection);
    auto* subfolderLayout = new QVBoxLayout(m_subfolderRows);
    subfolderLayout->setContentsMargins(0, 0, 0, 0);
    auto* subfolderForm = new QFormLayout;
    m_subfolder = new QLineEdit(m_draft.subfolder, m_subfolderRows);
    m_subfolder->setObjectName(QStringLiteral("subfolderField"));
    m_subfolder->setPlaceholderText(tr("e.g. DCIM"));
    subfolderForm->addRow(tr("Subfolder"), m_subfolder);
    subfolderLayout->addLayout(subfolderForm);
    subfolderLayout->addWidget(SyncViewStyle::caption(tr("Only import images from this subfolder."), m_subfolderRows));
    m_subfolderProblem = new QLabel(m_subfolderRows);
    m_subfolderProblem->setObjectName(QStringLiteral("subfolderProblem"));
    m_subfolderProblem->setWordWrap(true);
    m_subfolderProblem->setFont(SyncViewStyle::captionFont(m_subfolderProblem->font()));
    QPalette warning = m_subfolderProblem->palette();
    warning.setColor(QPalette::WindowText, QColor(0xe8, 0x8a, 0x1a));  // the orange of "Needs permission"
    m_subfolderProblem->setPalette(warning);
    subfolderLayout->addWidget(m_subfolderProblem);
    driveRows->addWidget(m_subfolderRows);
    auto* typesRow = new QHBoxLayout;
    typesRow->addWidget(new QLabel(tr("Import types"), driveSection));
    typesRow->addStretch(1);
    auto* types = new QLabel(tr("All image types"), driveSection);
    types->setForegroundRole(QPalette::PlaceholderText);
    typesRow->addWidget(types);
    driveRows->addLayout(typesRow);
    m_autoSync = new QCheckBox(tr("Sync automatically when connected"), driveSection);
    m_autoSync->setObjectName(QStringLiteral("autoSyncToggle"));
    m_autoSync->setChecked(m_draft.autoSync);
    driveRows->addWidget(m_autoSync);
    m_eject = new QCheckBox(tr("Eject after sync"), driveSection);
    m_eject->setObjectName(QStringLiteral("ejectToggle"));
    m_eject->setChecked(m_draft.ejectAfterSync);
    driveRows->addWidget(m_eject);
    sections->addWidget(driveSection);
    sections->addStretch(1);
    scroll->setWidget(content);
    layout->addWidget(scroll, 1);
    layout->addWidget(SyncViewStyle::divider(this));

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(16, 10, 16, 10);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    m_confirm = new QPushButton(isNew ? tr("Add Location") : tr("Save"), this);
    m_confirm->setObjectName(QStringLiteral("saveButton"));
    m_confirm->setDefault(true);
    buttons->addWidget(m_confirm);
    layout->addLayout(buttons);

    connect(m_name, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_draft.name = text;
        refresh();
    });
    connect(m_icon, &QComboBox::activated, this, [this](int index) { m_draft.symbol = m_icon->itemData(index).toString(); });
    connect(m_wholeDrive, &QCheckBox::toggled, this, [this](bool on) {
        m_draft.scanWholeDrive = on;
        refresh();
    });
    connect(m_subfolder, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_draft.subfolder = text;
        refresh();
    });
    connect(m_autoSync, &QCheckBox::toggled, this, [this](bool on) { m_draft.autoSync = on; });
    connect(m_eject, &QCheckBox::toggled, this, [this](bool on) { m_draft.ejectAfterSync = on; });
    connect(m_choose, &QPushButton::clicked, this, &AddSyncLocationSheet::chooseFolder);
    connect(cancel, &QPushButton::clicked, this, &AddSyncLocationSheet::reject);
    connect(m_confirm, &QPushButton::clicked, this, &AddSyncLocationSheet::save);

    loadConnectedPath();
    // The name comes first, and is required: the typing goes there from the start.
    m_name->setFocus(Qt::OtherFocusReason);
}

void AddSyncLocationSheet::refresh()
{
    m_choose->setText(m_connectedPath ? tr("Change\u2026") : tr("Choose Drive or Folder\u2026"));
    m_sourceRow->setVisible(m_connectedPath.has_value());
    if (m_connectedPath) {
        QString shown = QFileInfo(*m_connectedPath).fileName();
        m_source->setText(shown.isEmpty() ? *m_connectedPath : shown);
    }
    m_subfolderRows->setVisible(!m_draft.scanWholeDrive);
    const QString problem = subfolderProblem();
    m_subfolderProblem->setText(problem);
    m_subfolderProblem->setVisible(!problem.isEmpty());
    m_confirm->setEnabled(!trimHorizontalSpace(m_draft.name).isEmpty() && problem.isEmpty());
}

QString AddSyncLocationSheet::subfolderProblem() const
{
    // Ignored while the whole drive is scanned, so it doesn't hold up saving then.
    return m_draft.scanWholeDrive ? QString() : SyncLocation::subfolderProblem(m_draft.subfolder);
}

void AddSyncLocationSheet::loadConnectedPath()
{
    SettingsStore& settings = m_model.settings();
    if (FolderGrants::hasGrant(m_draft.id, settings))
        m_connectedPath = FolderGrants::resolveGrant(m_draft.id, settings, FolderGrants::snapshotOf(m_model.volumeMonitor()));
    refresh();
}

void AddSyncLocationSheet::chooseFolder()
{
    const QString name = trimHorizontalSpace(m_draft.name);
    const FolderGrants::StoredGrant before = FolderGrants::storedGrant(m_draft.id, m_model.settings());
    const auto picked = FolderGrants::requestGrant(m_draft.id, name, m_model.settings(), m_model.volumeMonitor());
    if (!picked)
        return;
    if (!m_grantBefore)
        m_grantBefore = before;
    m_connectedPath = *picked;
    if (const auto volume = FolderGrants::volumeName(*picked, m_model.volumeMonitor()))
        m_draft.volumeName = volume;
    refresh();
}

void AddSyncLocationSheet::save()
{
    if (trimHorizontalSpace(m_draft.name).isEmpty() || !subfolderProblem().isEmpty())
        return;
    m_draft.name = trimHorizontalSpace(m_draft.name);
    m_answered = true;
    if (m_onSave)
        m_onSave(m_draft);
    accept();
}

void AddSyncLocationSheet::reject()
{
    // A folder chosen here is undone with the rest: a new location's grant would belong to
    // nobody, and a saved location keeps the folder it had.
    m_answered = true;
    if (m_grantBefore)
        FolderGrants::restoreGrant(m_draft.id, *m_grantBefore, m_model.settings());
    QDialog::reject();
}

AddSyncLocationSheet::~AddSyncLocationSheet()
{
    // Gone without an answer (the page was rebuilt, the program quit): as a cancel, so a folder
    // chosen for a location that was never saved leaves no grant behind.
    if (!m_answered && m_grantBefore)
        FolderGrants::restoreGrant(m_draft.id, *m_grantBefore, m_model.settings());
}
