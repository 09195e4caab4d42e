#include "Corvallen/Shell/Views/ShellPages.h"

#include "Corvallen/Devices/Views/DevicesView.h"
#include "Corvallen/Devices/Views/ManageDevicesSheet.h"  // DevicesView.h reads its sheet through a QPointer
#include "Corvallen/Inventory/Views/InventoryView.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Settings/HelpTopic.h"
#include "Corvallen/Settings/Views/ChangelogView.h"
#include "Corvallen/Settings/Views/HelpView.h"
#include "Corvallen/Settings/Views/SettingsView.h"
#include "Corvallen/Shell/Views/PlaceholderPage.h"
#include "Corvallen/Sync/Views/SyncLocationsView.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace ShellPages {

namespace {

QDialog* placeholderSheet(const QString& name, const QString& title, const QString& symbol, QWidget* parent)
{
    auto* sheet = new QDialog(parent);
    sheet->setObjectName(name);
    sheet->setWindowTitle(title);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(sheet);
    layout->addWidget(new PlaceholderPage(name + QStringLiteral("Content"), title, symbol, sheet));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, sheet);
    QObject::connect(buttons, &QDialogButtonBox::rejected, sheet, &QDialog::reject);
    layout->addWidget(buttons);
    sheet->resize(460, 320);
    return sheet;
}

}  // namespace

QWidget* libraryPage(ModelContext&, AppModel&)
{
    return new PlaceholderPage(QStringLiteral("LibraryView"), QObject::tr("Library"), QStringLiteral("photo.stack"));
}

QWidget* inventoryPage(ModelContext& context, InventoryStatusFilter filter, std::optional<PersistentIdentifier> selection)
{
    return new InventoryView(context, filter, selection);
}

QWidget* devicesPage() { return new DevicesView; }

QWidget* syncLocationsPage(AppModel& model) { return new SyncLocationsView(model); }

QWidget* projectWorkspace(Project* project, ModelContext&, std::function<void(Component*)>)
{
    const QString name = project && !project->name().isEmpty() ? project->name() : QObject::tr("Untitled Project");
    return new PlaceholderPage(QStringLiteral("ProjectWorkspaceView"), name, QStringLiteral("folder"));
}

QDialog* projectEditSheet(Project*, ModelContext&, QWidget* parent)
{
    return placeholderSheet(QStringLiteral("ProjectEditSheet"), QObject::tr("Edit Project"), QStringLiteral("folder"), parent);
}

QDialog* addPartSheet(Component*, Project*, ModelContext&, QWidget* parent)
{
    return placeholderSheet(QStringLiteral("AddPartSheet"), QObject::tr("Add Part"), QStringLiteral("shippingbox"), parent);
}

QWidget* settingsContent(ModelContext& context, UpdaterController* updater) { return new SettingsView(context, updater); }

QWidget* helpContent() { return new HelpView(HelpTopic::firstTopicId()); }

QWidget* changelogContent() { return new ChangelogView; }

QWidget* imageViewerContent(const QString& captureFileName, ModelContext&)
{
    return new PlaceholderPage(QStringLiteral("ImageViewerWindow"), captureFileName, QStringLiteral("photo"));
}

QWidget* documentViewerContent(const DocViewerTarget& target, ModelContext&)
{
    return new PlaceholderPage(QStringLiteral("DocumentViewerWindow"), target.fileName, QStringLiteral("doc.text"));
}

}  // namespace ShellPages
