// Every page, sheet, pane and window of Corvallen, opened at its minimum and its default size, in
// the light and the dark theme, with long texts in the store: nothing may be cut, pushed out of
// its place or scroll sideways, and every symbol draws. Each screen is also written as a picture
// (see LayoutAudit::screenshot) so a person can look at them.
#include "LayoutAudit.h"

#include "Corvallen/Devices/Views/DevicesView.h"
#include "Corvallen/Devices/Views/ManageDevicesSheet.h"
#include "Corvallen/Documents/Views/DocumentBrowser.h"
#include "Corvallen/Inventory/Views/InventoryView.h"
#include "Corvallen/Inventory/Views/ManageInventorySheet.h"
#include "Corvallen/Library/Views/CaptureBrowser.h"
#include "Corvallen/Library/Views/CaptureGrid.h"
#include "Corvallen/Library/Views/CompareView.h"
#include "Corvallen/Library/Views/LibraryView.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/Views/AppStyle.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Platform/Views/ThemeManager.h"
#include "Corvallen/Platform/WindowRouter.h"
#include "Corvallen/Projects/BomImport.h"
#include "Corvallen/Projects/Views/AddFromInventorySheet.h"
#include "Corvallen/Projects/Views/BomImportSheet.h"
#include "Corvallen/Projects/Views/ProjectWorkspaceView.h"
#include "Corvallen/Settings/Views/SettingsView.h"
#include "Corvallen/Shell/Views/AppShell.h"
#include "Corvallen/Shell/Views/CorvallenApp.h"
#include "Corvallen/Shell/Views/MainWindow.h"
#include "Corvallen/Shell/Views/ShellPages.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "Corvallen/Sync/SyncLocation.h"
#include "Corvallen/Sync/Views/SyncLocationsView.h"
#include "support/TestEnvironment.h"

#include <QLocale>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <gtest/gtest.h>

namespace {

const QString kLong = QStringLiteral("Tektronix-style programmable bench supply with remote sense and a very long name");

QString writeImage(const QString& folder, const QString& name)
{
    QDir().mkpath(folder);
    QImage image(480, 272, QImage::Format_RGB32);
    image.fill(QColor(20, 40, 60));
    QPainter p(&image);
    p.setPen(Qt::yellow);
    p.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("12.345 V DC"));
    p.end();
    image.save(folder + QLatin1Char('/') + name);
    return name;
}

QString writePdf(const QString& folder, const QString& name)
{
    QDir().mkpath(folder);
    QPdfWriter pdf(folder + QLatin1Char('/') + name);
    QPainter p(&pdf);
    p.drawText(QPointF(200, 400), QStringLiteral("Schematic, sheet 1"));
    return name;
}

// A store full of long names: what a real workshop's store looks like after a year.
void seed(ModelContext& ctx)
{
    auto* project = ctx.insert(new Project(QStringLiteral("Restoration of a 1968 valve amplifier for the village hall"),
                                           QStringLiteral("Recap, new rectifier, rewire the mains input and add a fuse holder."),
                                           QStringLiteral("Customer wants the original look kept.")));
    ctx.insert(new Project(QStringLiteral("Bench power supply"), QString(), QString()));
    for (TermKind kind : {TermKind::category, TermKind::manufacturer, TermKind::location, TermKind::bin})
        ctx.insert(new TaxonomyTerm(kind, QStringLiteral("Long term name for the %1 list, as people type them").arg(int(kind)),
                                    std::nullopt));
    Component* first = nullptr;
    for (int i = 0; i < 6; ++i) {
        auto* c = ctx.insert(new Component(i == 0 ? kLong : QStringLiteral("Resistor %1 kΩ metal film 0.1 %").arg(i)));
        c->setPartNumber(QStringLiteral("MFR-25FBF52-%1K-LONG-ORDERING-CODE").arg(i));
        c->setManufacturer(QStringLiteral("Long term name for the %1 list, as people type them").arg(int(TermKind::manufacturer)));
        c->setCategory(QStringLiteral("Passive components and other long categories"));
        c->setLocation(QStringLiteral("Shelf above the soldering station, left"));
        c->setBin(QStringLiteral("Drawer 14, second row"));
        c->setQty(i == 1 ? 0 : 3 * i);
        c->setMinQty(5);
        c->setTags(QStringLiteral("audio,vintage,through-hole,needs-checking,spare"));
        c->setNotes(QStringLiteral("Bought at the rally; check the tolerance before use in the output stage."));
        c->setPurchasePrice(1234.5);
        c->setResellPrice(2345.75);
        c->setShoppingURL(QStringLiteral("https://shop.example.com/very/long/path/to/the/component/page?ref=1234567890"));
        if (i == 2)
            c->setStatusOverride(QStringLiteral("ordered"));
        if (!first)
            first = c;
        if (i < 3)
            ctx.insert(new ProjectComponent(c, project, 2));
    }
    auto* tag = ctx.insert(new Tag(QStringLiteral("oscilloscope-measurements-long"), QStringLiteral("#4DABF7")));
    for (int i = 0; i < 5; ++i) {
        auto* capture = ctx.insert(new Capture(writeImage(DeviceStorage::capturesFolder(), QStringLiteral("scope_%1.png").arg(i))));
        capture->setTitle(i == 0 ? QStringLiteral("Ripple on the 300 V rail after replacing every electrolytic capacitor")
                                 : QStringLiteral("Capture %1").arg(i));
        capture->setMode(QStringLiteral("DC V"));
        capture->setValue(12.345);
        capture->setUnit(QStringLiteral("V"));
        capture->setSummary(QStringLiteral("The reading shows a steady twelve volts with little ripple."));
        capture->addTag(tag);
        if (i < 2)
            capture->setProject(project);
    }
    auto* doc = ctx.insert(new Document(writePdf(DocumentFileStore::documentsFolder(), QStringLiteral("A1B2.pdf")),
                                        QStringLiteral("Service manual for the amplifier, all chapters and appendices")));
    doc->setTags(QStringLiteral("manual,amplifier,scanned"));
    doc->setNotes(QStringLiteral("Pages 12 to 14 hold the power supply."));
    ctx.insert(new ProjectDocument(doc, project));
    ctx.save();

    SyncLocation location = SyncLocation::makeNew();
    location.name = QStringLiteral("Bench multimeter USB drive in the front panel socket");
    SyncLocation::upsert(location);
    SyncLocation folder = SyncLocation::makeNew();
    folder.name = QStringLiteral("Scope");
    folder.symbol = QStringLiteral("gauge.with.dots.needle.bottom.50percent");
    SyncLocation::upsert(folder);
}

struct Theme {
    const char* name;
    QPalette palette;
};

QList<Theme> themes() { return {{"light", ThemeManager::lightPalette()}, {"dark", ThemeManager::darkPalette()}}; }

class LayoutCheck : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        QApplication::setStyle(new AppStyle());
        SymbolIcons::followPalette(*qApp);
        SettingsStore::shared().setText(QStringLiteral("lastWelcomeVersion"), QStringLiteral("1.0.0"));
        auto container = ModelContainer::open(corvallen::test::freshFolder(QStringLiteral("store")) + QStringLiteral("/Corvallen.store"),
                                              corvallenSchema());
        seed(container->mainContext());
        app = new CorvallenApp(std::move(container));
        app->show();
        LayoutAudit::settle();
    }
    static void TearDownTestSuite()
    {
        delete app;
        app = nullptr;
        ThemeManager::applyPalette(ThemeManager::lightPalette());
    }

    ModelContext& ctx() { return app->container().mainContext(); }
    AppShell* shell() { return app->mainWindow()->shell(); }
    // The symbols without a drawing that the screens of this test asked for (another test of the
    // program may have asked for a made-up name on purpose before).
    void SetUp() override { missingBefore = SymbolIcons::missing(); }
    QStringList newlyMissing() const
    {
        QStringList names = SymbolIcons::missing();
        for (const QString& n : missingBefore)
            names.removeAll(n);
        return names;
    }
    QStringList missingBefore;

    // Audits a window at each size in both themes; `open` brings the screen up again after a
    // change of theme or size where it needs to.
    void check(QWidget* window, const QString& name, const QList<QSize>& sizes, const std::function<void()>& open = {})
    {
        for (const Theme& theme : themes()) {
            ThemeManager::applyPalette(theme.palette);
            for (const QSize& size : sizes) {
                QStringList found;
                if (size.isValid())
                    found << LayoutAudit::resizeTo(window, size);
                if (open)
                    open();
                found << LayoutAudit::problems(window);
                const QString shot = QStringLiteral("%1-%2-%3x%4").arg(name, QLatin1String(theme.name)).arg(window->width()).arg(window->height());
                LayoutAudit::screenshot(window, shot);
                EXPECT_TRUE(found.isEmpty()) << shot.toStdString() << ":\n  " << found.join(QStringLiteral("\n  ")).toStdString();
            }
        }
    }

    template <typename T>
    T* page()
    {
        LayoutAudit::settle();
        return qobject_cast<T*>(shell()->page());
    }

    static inline CorvallenApp* app = nullptr;
};

const QList<QSize> kMainSizes = {QSize(860, 540), QSize(1120, 740)};

}  // namespace

TEST_F(LayoutCheck, DashboardLibraryAndDevices)
{
    QWidget* window = app->mainWindow();
    check(window, QStringLiteral("dashboard"), kMainSizes, [&] { shell()->navigation().selectSection(Destination::dashboard()); });
    check(window, QStringLiteral("devices"), kMainSizes, [&] { shell()->navigation().selectSection(Destination::devices()); });
    check(window, QStringLiteral("devices-lcr-p1"), kMainSizes, [&] {
        auto* devices = page<DevicesView>();
        ASSERT_TRUE(devices);
        devices->select(BenchDevice::lcrP1);  // the firmware page
    });
    check(window, QStringLiteral("library-capture"), kMainSizes, [&] {
        shell()->navigation().selectSection(Destination::library());
        auto* library = page<LibraryView>();
        ASSERT_TRUE(library);
        CaptureBrowser* browser = library->captureBrowser();
        browser->selection().clear();
        browser->grid()->toggleSelection(ctx().fetch<Capture>({}, {}).value(0));
    });
    check(window, QStringLiteral("library-bulk"), kMainSizes, [&] {
        auto* library = page<LibraryView>();
        ASSERT_TRUE(library);
        CaptureBrowser* browser = library->captureBrowser();
        const QList<Capture*> captures = ctx().fetch<Capture>({}, {});
        browser->selection().clear();
        browser->grid()->toggleSelection(captures.value(0));
        browser->grid()->toggleSelection(captures.value(1));
    });
    check(window, QStringLiteral("library-documents"), kMainSizes, [&] {
        auto* library = page<LibraryView>();
        ASSERT_TRUE(library);
        library->setMode(LibraryFilter::Mode::documents);
        auto* browser = library->documentsWidget()->findChild<DocumentBrowser*>();
        ASSERT_TRUE(browser);
        browser->list()->setCurrentRow(0);  // the document inspector beside the list
    });
    EXPECT_TRUE(newlyMissing().isEmpty()) << newlyMissing().join(QStringLiteral(", ")).toStdString();
}

TEST_F(LayoutCheck, InventoryWithAComponentOpen)
{
    QWidget* window = app->mainWindow();
    check(window, QStringLiteral("inventory"), kMainSizes, [&] {
        Component* component = ctx().fetch<Component>({}, {}).value(0);
        shell()->navigation().revealInInventory(component);
    });
    check(window, QStringLiteral("inventory-empty"), kMainSizes, [&] {
        shell()->navigation().selectSection(Destination::inventory());
    });
    EXPECT_TRUE(newlyMissing().isEmpty()) << newlyMissing().join(QStringLiteral(", ")).toStdString();
}

TEST_F(LayoutCheck, ProjectFacets)
{
    QWidget* window = app->mainWindow();
    Project* project = nullptr;
    for (Project* p : ctx().fetch<Project>({}, {}))
        if (p->name().startsWith(QStringLiteral("Restoration")))
            project = p;
    ASSERT_TRUE(project);
    for (ProjectFacet facet : {ProjectFacet::overview, ProjectFacet::captures, ProjectFacet::parts, ProjectFacet::files, ProjectFacet::notes})
        check(window, QStringLiteral("project-%1").arg(int(facet)), kMainSizes, [&] {
            shell()->navigation().openProject(project);
            auto* workspace = page<ProjectWorkspaceView>();
            ASSERT_TRUE(workspace);
            workspace->setFacet(facet);
        });
    EXPECT_TRUE(newlyMissing().isEmpty()) << newlyMissing().join(QStringLiteral(", ")).toStdString();
}

// Dates and figures as other locales write them can be wider than English: the overview's
// tiles still show them whole at the smallest window.
TEST_F(LayoutCheck, ProjectOverviewInOtherLocales)
{
    QWidget* window = app->mainWindow();
    Project* project = ctx().fetch<Project>({}, {}).value(0);
    ASSERT_TRUE(project);
    for (const char* localeName : {"ja_JP", "ar_EG", "fr_FR"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(localeName)));
        check(window, QStringLiteral("project-overview-%1").arg(QLatin1String(localeName)), {kMainSizes.first()}, [&] {
            shell()->navigation().openProject(project);
            auto* workspace = page<ProjectWorkspaceView>();
            ASSERT_TRUE(workspace);
            workspace->setFacet(ProjectFacet::overview);
        });
    }
    QLocale::setDefault(QLocale::c());
}

TEST_F(LayoutCheck, SyncLocations)
{
    QWidget* window = app->mainWindow();
    check(window, QStringLiteral("sync-locations"), kMainSizes, [&] {
        shell()->navigation().selectSection(Destination::syncLocations());
        auto* view = page<SyncLocationsView>();
        ASSERT_TRUE(view);
        view->select(SyncLocation::loadAll().value(0).id);
    });
    EXPECT_TRUE(newlyMissing().isEmpty()) << newlyMissing().join(QStringLiteral(", ")).toStdString();
}

TEST_F(LayoutCheck, AuxiliaryWindows)
{
    struct Window {
        QString name;
        std::function<QWidget*()> open;
        QSize defaultSize;
    };
    const QList<Window> windows = {
        {QStringLiteral("help"), [] { return app->openWindow(QStringLiteral("help")); }, QSize(820, 560)},
        {QStringLiteral("changelog"), [] { return app->openWindow(QStringLiteral("changelog")); }, QSize(620, 560)},
        {QStringLiteral("capture-viewer"), [] { return app->openCaptureViewer(QStringLiteral("scope_0.png")); }, QSize(820, 560)},
        {QStringLiteral("doc-viewer"),
         [] { return app->openDocumentViewer({QStringLiteral("A1B2.pdf"), QStringLiteral("L.markup.pdf"), QString()}); },
         QSize(900, 640)},
    };
    for (const Window& w : windows) {
        QWidget* window = w.open();
        ASSERT_TRUE(window) << w.name.toStdString();
        window->show();
        LayoutAudit::settle();
        // A long message in a viewer's tool row (after copying text) must not push it out of shape.
        for (QLabel* status : window->findChildren<QLabel*>(QStringLiteral("markupStatus"))) {
            status->setText(QStringLiteral("Text copied to the clipboard — 214 characters from the page"));
            status->show();
        }
        check(window, w.name, {window->minimumSizeHint().expandedTo(window->minimumSize()), w.defaultSize});
        window->close();
    }
    QWidget* welcome = app->openWindow(QStringLiteral("welcome"));
    welcome->show();
    check(welcome, QStringLiteral("welcome"), {QSize()});
    EXPECT_EQ(welcome->width(), 520);
    welcome->close();
    EXPECT_TRUE(newlyMissing().isEmpty()) << newlyMissing().join(QStringLiteral(", ")).toStdString();
}

TEST_F(LayoutCheck, SettingsPanes)
{
    QWidget* window = app->openWindow(QStringLiteral("settings"));
    ASSERT_TRUE(window);
    window->show();
    auto* settings = window->findChild<SettingsView*>();
    ASSERT_TRUE(settings);
    for (SettingsPane pane : {SettingsPane::general, SettingsPane::business, SettingsPane::storage, SettingsPane::about})
        check(window, QStringLiteral("settings-%1").arg(int(pane)),
              {window->minimumSizeHint().expandedTo(window->minimumSize()), QSize(680, 460)},
              [&] { settings->setPane(pane); });
    window->close();
    EXPECT_TRUE(newlyMissing().isEmpty()) << newlyMissing().join(QStringLiteral(", ")).toStdString();
}

TEST_F(LayoutCheck, Sheets)
{
    Project* project = nullptr;
    for (Project* p : ctx().fetch<Project>({}, {}))
        if (p->name().startsWith(QStringLiteral("Restoration")))
            project = p;
    ASSERT_TRUE(project);
    Component* component = ctx().fetch<Component>({}, {}).value(0);
    QWidget* main = app->mainWindow();
    // Each sheet at the size it opens with, then at its smallest.
    const auto checkSheet = [&](QWidget* sheet, const QString& name) {
        ASSERT_TRUE(sheet) << name.toStdString();
        sheet->show();
        LayoutAudit::settle();
        check(sheet, name, {QSize(), sheet->minimumSizeHint().expandedTo(sheet->minimumSize()).boundedTo(sheet->maximumSize())});
        sheet->close();
        LayoutAudit::settle();
    };

    shell()->navigation().editProject(project);
    checkSheet(shell()->editSheet(), QStringLiteral("sheet-project-edit"));
    checkSheet(ShellPages::addPartSheet(component, project, ctx(), main), QStringLiteral("sheet-add-part"));
    checkSheet(new AddFromInventorySheet(project, ctx(), main), QStringLiteral("sheet-add-from-inventory"));
    BomImport::Match known{QUuid::createUuid(), component->name(), component->partNumber(), component->manufacturer(),
                           component->category(), 4, component};
    BomImport::Match unknown{QUuid::createUuid(), QStringLiteral("Electrolytic capacitor 470 µF 450 V, snap-in, 105 °C"),
                             QStringLiteral("EKMH451VSN471MQ40S"), QStringLiteral("Long maker name of the capacitor"),
                             QStringLiteral("Capacitors"), 2, nullptr};
    checkSheet(new BomImportSheet({known, unknown}, project, ctx(), main), QStringLiteral("sheet-bom-import"));

    shell()->navigation().selectSection(Destination::inventory());
    auto* inventory = page<InventoryView>();
    ASSERT_TRUE(inventory);
    checkSheet(inventory->openManageSheet(), QStringLiteral("sheet-manage-inventory"));

    shell()->navigation().selectSection(Destination::syncLocations());
    auto* sync = page<SyncLocationsView>();
    ASSERT_TRUE(sync);
    sync->editLocation(SyncLocation::loadAll().value(0));
    checkSheet(sync->editor(), QStringLiteral("sheet-sync-location"));
    sync->showManageSheet();
    checkSheet(sync->manageSheet(), QStringLiteral("sheet-manage-locations"));

    shell()->navigation().selectSection(Destination::devices());
    auto* devices = page<DevicesView>();
    ASSERT_TRUE(devices);
    devices->openManageDevices();
    checkSheet(devices->manageSheet(), QStringLiteral("sheet-manage-devices"));
    EXPECT_TRUE(newlyMissing().isEmpty()) << newlyMissing().join(QStringLiteral(", ")).toStdString();
}
