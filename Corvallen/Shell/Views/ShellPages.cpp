#include "Corvallen/Shell/Views/ShellPages.h"

#include "Corvallen/Devices/Views/DevicesView.h"
#include "Corvallen/Devices/Views/ManageDevicesSheet.h"  // DevicesView.h reads its sheet through a QPointer
#include "Corvallen/Inventory/Views/InventoryView.h"
#include "Corvallen/Documents/Views/DocumentBrowser.h"
#include "Corvallen/Library/Views/ImageViewerWindow.h"
#include "Corvallen/Library/Views/LibraryView.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Projects/Views/AddPartSheet.h"
#include "Corvallen/Projects/Views/ProjectEditSheet.h"
#include "Corvallen/Projects/Views/ProjectWorkspaceView.h"
#include "Corvallen/Settings/HelpTopic.h"
#include "Corvallen/Settings/Views/ChangelogView.h"
#include "Corvallen/Settings/Views/HelpView.h"
#include "Corvallen/Settings/Views/SettingsView.h"
#include "Corvallen/Shell/Views/PlaceholderPage.h"
#include "Corvallen/Sync/Views/SyncLocationsView.h"
#include "Corvallen/Documents/Views/DocumentViewerWindow.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <memory>

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

QWidget* libraryPage(ModelContext& context, AppModel&)
{
    // The documents side of the Library: the documents browser for the library (no project).
    // A change of scope changes only its empty-state texts, so its selection, filter and sort
    // stay; coming back to the documents mode makes a new one.
    auto documents = [](ModelContext& ctx, QWidget* parent) {
        auto* holder = new QStackedWidget(parent);
        holder->setObjectName(QStringLiteral("LibraryDocuments"));
        auto shown = std::make_shared<QList<Document*>>();
        LibraryView::DocumentsPane pane;
        pane.widget = holder;
        pane.setDocuments = [holder, shown, &ctx](const QList<Document*>& list, const QString& title, const QString& message) {
            *shown = list;
            auto* browser = qobject_cast<DocumentBrowser*>(holder->currentWidget());
            if (browser) {
                browser->setEmptyTexts(title, message);
            } else {
                browser = new DocumentBrowser(ctx, nullptr, [shown] { return *shown; }, title, message, holder);
                holder->addWidget(browser);
                holder->setCurrentWidget(browser);
            }
            browser->reload();
        };
        pane.reset = [holder] {
            if (QWidget* browser = holder->currentWidget()) {
                holder->removeWidget(browser);
                browser->hide();
                browser->setParent(nullptr);
                browser->deleteLater();
            }
        };
        return pane;
    };
    return new LibraryView(context, SettingsStore::shared(), documents);
}

QWidget* inventoryPage(ModelContext& context, InventoryStatusFilter filter, std::optional<PersistentIdentifier> selection)
{
    return new InventoryView(context, filter, selection);
}

QWidget* devicesPage() { return new DevicesView; }

QWidget* syncLocationsPage(AppModel& model) { return new SyncLocationsView(model); }

QWidget* projectWorkspace(Project* project, ModelContext& context, std::function<void(Component*)> onRevealInInventory)
{
    return new ProjectWorkspaceView(project, context, std::move(onRevealInInventory));
}

QDialog* projectEditSheet(Project* project, ModelContext& context, QWidget* parent)
{
    auto* sheet = new ProjectEditSheet(project, context, parent);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    return sheet;
}

QDialog* addPartSheet(Component* component, Project* project, ModelContext& context, QWidget* parent)
{
    auto* sheet = new AddPartSheet(component, project, context, parent);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    return sheet;
}

QWidget* settingsContent(ModelContext& context, UpdaterController* updater) { return new SettingsView(context, updater); }

QWidget* helpContent() { return new HelpView(HelpTopic::firstTopicId()); }

QWidget* changelogContent() { return new ChangelogView; }

QWidget* imageViewerContent(const QString& captureFileName, ModelContext& context)
{
    return new ImageViewerWindow(captureFileName, context);
}

QWidget* documentViewerContent(const DocViewerTarget& target, ModelContext& context)
{
    return new DocumentViewerWindow(target, context);
}

}  // namespace ShellPages
