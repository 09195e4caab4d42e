// The parts list and the sheets around it, driven through their controls against a real store.
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Projects/PartsListModel.h"
#include "Corvallen/Projects/StockAllocation.h"
#include "Corvallen/Projects/Views/AddFromInventorySheet.h"
#include "Corvallen/Projects/Views/AddPartSheet.h"
#include "Corvallen/Projects/Views/BomImportSheet.h"
#include "Corvallen/Projects/Views/ProjectEditSheet.h"
#include "Corvallen/Projects/Views/ProjectExportMenu.h"
#include "Corvallen/Inventory/Views/StatusBadge.h"
#include "Corvallen/Platform/ColorContrast.h"
#include "Corvallen/Projects/Views/ProjectPartsView.h"
#include "Corvallen/Projects/Views/QtyStepper.h"
#include "Corvallen/Widgets/Views/NumericField.h"
#include "support/EventLoop.h"
#include "support/IcuExpect.h"
#include "support/TestEnvironment.h"
#include "support/TestStore.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QContextMenuEvent>
#include <QSet>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include "ViewInput.h"
#include <QToolButton>
#include <QProgressBar>
#include <QProgressDialog>
#include <QTableView>
#include <QUuid>

#include <gtest/gtest.h>

using namespace corvallen::test;

namespace {

class PartsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = openTestStore(&path);
        ASSERT_TRUE(store);
        project = ctx().insert(new Project(QStringLiteral("Amp"), QString(), QString()));
        ASSERT_TRUE(ctx().save());
    }
    ModelContext& ctx() { return store->mainContext(); }
    Component* component(const QString& name, qint64 qty)
    {
        Component* c = ctx().insert(new Component(name));
        c->setQty(qty);
        return c;
    }
    std::unique_ptr<ProjectPartsView> makeView()
    {
        auto v = std::make_unique<ProjectPartsView>(project, ctx(), [this](Component* c) { revealed = c; });
        v->resize(800, 500);
        v->show();
        processEvents();
        return v;
    }
    QString writeFile(const QByteArray& bytes)
    {
        const QString file = freshFolder() + QStringLiteral("/bom.csv");
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return file;
    }
    static int rows(ProjectPartsView& v) { return v.list()->model()->rowCount(); }
    // Moves the pointer over a row; the row under it comes alive.
    static QWidget* hover(ProjectPartsView& v, int row)
    {
        QListView* list = v.list();
        const QModelIndex index = list->model()->index(row, 0);
        list->scrollTo(index);
        projects_test::mouseMove(list->viewport(), list->visualRect(index).center());
        processEvents();
        return v.liveRow(row);
    }
    QString path;
    std::unique_ptr<ModelContainer> store;
    Project* project = nullptr;
    Component* revealed = nullptr;
};

TEST_F(PartsTest, EmptyListShowsItsStateAndDisablesTheShoppingList)
{
    auto v = makeView();
    EXPECT_TRUE(v->showsEmptyState());
    EXPECT_EQ(v->summaryText(), QStringLiteral("0 parts · 0 items"));
    EXPECT_FALSE(v->shoppingListButton()->isEnabled());
}

TEST_F(PartsTest, RowsFollowTheStoreAndTheirControlsMoveStock)
{
    Component* r = component(QStringLiteral("resistor"), 10);
    Component* c = component(QStringLiteral("Capacitor"), 1);
    StockAllocation::setPart(r, project, 3, ctx());
    auto v = makeView();
    ASSERT_EQ(rows(*v), 1);
    StockAllocation::setPart(c, project, 2, ctx());
    processEvents();
    ASSERT_EQ(rows(*v), 2);
    EXPECT_EQ(v->shownLines()[0]->component(), c);
    EXPECT_EQ(v->summaryText(), QStringLiteral("2 parts · 5 items"));
    EXPECT_TRUE(v->shoppingListButton()->isEnabled());

    // The row under the pointer comes alive, with its own controls.
    QWidget* row = hover(*v, 1);
    ASSERT_TRUE(row);
    auto* stepper = row->findChild<QtyStepper*>();
    ASSERT_TRUE(stepper);
    stepper->plusButton()->click();
    EXPECT_EQ(r->qty(), 6);
    EXPECT_FALSE(ctx().hasChanges());
    processEvents();
    EXPECT_EQ(row->findChild<QLabel*>(QStringLiteral("stock"))->text(), QStringLiteral("6 pcs in stock"));
    EXPECT_EQ(v->summaryText(), QStringLiteral("2 parts · 6 items"));

    // Typing 0 and Return leaves the line at 1; the row stays alive while it holds the focus.
    stepper->field()->setFocus();
    hover(*v, 0);
    ASSERT_EQ(v->liveRow(1), row);
    stepper->field()->selectAll();
    projects_test::keyClicks(stepper->field(), QStringLiteral("0"));
    projects_test::keyClick(stepper->field(), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(StockAllocation::lineFor(r, project)->quantity(), 1);
    EXPECT_EQ(r->qty(), 9);
    stepper->minusButton()->click();
    EXPECT_EQ(StockAllocation::lineFor(r, project)->quantity(), 1);

    // The context menu reveals, copies and removes.
    QWidget* capRow = hover(*v, 0);
    ASSERT_TRUE(capRow);
    QApplication::clipboard()->setText(QStringLiteral("old"));
    QMetaObject::invokeMethod(capRow, [capRow] { Q_EMIT capRow->customContextMenuRequested(QPoint(5, 5)); });
    processEvents();
    auto* menu = capRow->findChild<QMenu*>();
    ASSERT_TRUE(menu);
    QStringList titles;
    for (QAction* a : menu->actions())
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("View in Inventory"), QStringLiteral("Copy Name"), QString(),
                                   QStringLiteral("Remove from Project")}));
    menu->actions()[0]->trigger();
    EXPECT_EQ(revealed, c);
    menu->actions()[1]->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Capacitor"));
    menu->actions()[3]->trigger();
    menu->close();
    EXPECT_EQ(c->qty(), 1);
    processEvents();
    EXPECT_EQ(rows(*v), 1);

    // The remove button returns the stock, once.
    QWidget* last = hover(*v, 0);
    ASSERT_TRUE(last);
    auto* remove = last->findChild<QToolButton*>(QStringLiteral("removePart"));
    remove->click();
    remove->click();
    EXPECT_EQ(r->qty(), 10);
    processEvents();
    EXPECT_TRUE(v->showsEmptyState());
    EXPECT_EQ(v->summaryText(), QStringLiteral("0 parts · 0 items"));
}

TEST_F(PartsTest, TheKeyboardReachesEveryRowAndItsControls)
{
    for (const char* name : {"alpha", "beta", "gamma"})
        StockAllocation::setPart(component(QString::fromLatin1(name), 5), project, 2, ctx());
    auto v = makeView();
    v->addFromInventoryButton()->setFocus();
    QWidget* list = v->list();
    list->setFocus(Qt::TabFocusReason);
    projects_test::keyClick(list, Qt::Key_Down);
    projects_test::keyClick(list, Qt::Key_Down);
    processEvents();
    const int current = v->list()->currentIndex().row();
    ASSERT_GE(current, 0);
    QWidget* row = v->liveRow(current);
    ASSERT_TRUE(row);
    EXPECT_EQ(v->shownLines()[current], v->model()->line(current));

    // Tab goes from the list into the current row: −1, the quantity, +1, remove.
    auto* stepper = row->findChild<QtyStepper*>();
    QWidget* remove = row->findChild<QToolButton*>(QStringLiteral("removePart"));
    QList<QWidget*> tabbed;
    for (int i = 0; i < 4; ++i) {
        projects_test::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        tabbed << QApplication::focusWidget();
    }
    EXPECT_EQ(tabbed, (QList<QWidget*>{stepper->minusButton(), stepper->field(), stepper->plusButton(), remove}));
    stepper->field()->setFocus(Qt::TabFocusReason);
    stepper->field()->selectAll();
    projects_test::keyClicks(stepper->field(), QStringLiteral("7"));
    projects_test::keyClick(stepper->field(), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(v->model()->line(current)->quantity(), 7);

    // The menu key opens the current row's menu.
    list->setFocus();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(4, 4), list->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(list, &menuKey);
    auto* menu = list->findChild<QMenu*>();
    ASSERT_TRUE(menu);
    menu->actions().last()->trigger();
    menu->close();
    processEvents();
    EXPECT_EQ(rows(*v), 2);
    EXPECT_EQ(v->summaryText(), QStringLiteral("2 parts · 4 items"));
}

TEST_F(PartsTest, ARowAtRestIsDrawnAsItsLiveRowLooks)
{
    Component* c = component(QStringLiteral("Op-amp"), -2);
    c->setCategory(QStringLiteral("ICs"));
    c->setLocation(QStringLiteral("Drawer B"));
    StockAllocation::setPart(c, project, 4, ctx());
    StockAllocation::setPart(component(QStringLiteral("Zener"), 8), project, 1, ctx());
    auto v = makeView();
    QWidget* viewport = v->list()->viewport();
    const QRect rect = v->list()->visualRect(v->model()->index(0));
    // The whole window is drawn, as on screen, where the list lies below the header.
    const QRect inWindow(viewport->mapTo(v.get(), rect.topLeft()), rect.size());
    ASSERT_FALSE(v->liveRow(0));
    const QImage atRest = v->grab(inWindow).toImage();
    // The pointer over the gap beside the name, where nothing reacts to it.
    projects_test::mouseMove(viewport, rect.center() - QPoint(rect.width() / 4, 0));
    processEvents();
    ASSERT_TRUE(v->liveRow(0));
    const QImage live = v->grab(inWindow).toImage();
    EXPECT_EQ(atRest, live);
    // And something was drawn: text, buttons and the badge, not a plain background.
    QSet<QRgb> colours;
    for (int y = 0; y < atRest.height(); ++y)
        for (int x = 0; x < atRest.width(); ++x)
            colours.insert(atRest.pixel(x, y));
    EXPECT_GT(colours.size(), 20);
}

TEST_F(PartsTest, ImportingABomPreviewsThenAllocates)
{
    Component* op = component(QStringLiteral("LM358"), 10);
    auto v = makeView();
    v->importBomFile(writeFile("Name,Qty,Mfr\nLM358,2,TI\nBuzzer,4,Murata\n"));
    ASSERT_TRUE(waitUntil([&] { return v->openSheet() != nullptr; }));
    auto* sheet = qobject_cast<BomImportSheet*>(v->openSheet());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->importButton()->text(), QStringLiteral("Import 2 parts"));
    EXPECT_TRUE(sheet->summaryText().startsWith(QStringLiteral("2 parts · 6 items · 1 new to inventory.")));
    auto cell = [&](int row, int column) { return sheet->table()->model()->index(row, column).data().toString(); };
    EXPECT_EQ(cell(0, 3), QStringLiteral("10"));
    EXPECT_EQ(cell(1, 3), QStringLiteral("—"));
    EXPECT_EQ(cell(0, 2), QStringLiteral("in inventory"));
    EXPECT_EQ(cell(1, 2), QStringLiteral("NEW"));
    EXPECT_EQ(cell(1, 0), QStringLiteral("Buzzer\nMurata"));
    EXPECT_EQ(ctx().fetchCount<Component>(), 1);  // nothing written before "Import"
    sheet->importButton()->click();
    EXPECT_EQ(op->qty(), 8);
    EXPECT_EQ(ctx().fetchCount<Component>(), 2);
    processEvents();
    EXPECT_EQ(rows(*v), 2);
}

TEST_F(PartsTest, ALongImportShowsProgressAndCannotBeCancelledHalfWay)
{
    QList<BomImport::Match> matches;
    for (int i = 0; i < 30000; ++i)
        matches.append({QUuid::createUuid(), QStringLiteral("part %1").arg(i), std::nullopt, std::nullopt, std::nullopt, 2, nullptr});
    BomImportSheet sheet(matches, project, ctx());
    sheet.show();
    EXPECT_EQ(sheet.table()->model()->rowCount(), 30000);
    bool accepted = false;
    QObject::connect(&sheet, &QDialog::accepted, [&] { accepted = true; });
    sheet.importButton()->click();
    if (sheet.isImporting()) {
        EXPECT_TRUE(sheet.progressBar()->isVisible());
        EXPECT_FALSE(sheet.importButton()->isEnabled());
        sheet.reject();  // Escape: half an import is not left behind
        EXPECT_TRUE(sheet.isVisible());
    }
    ASSERT_TRUE(waitUntil([&] { return accepted; }));
    EXPECT_EQ(project->parts().size(), 30000);
    EXPECT_FALSE(ctx().hasChanges());
}

TEST_F(PartsTest, UnreadableOrEmptyFilesEndInTheImportFailedAlert)
{
    auto v = makeView();
    v->importBomFile(writeFile(""));
    ASSERT_TRUE(waitUntil([&] { return v->openAlert() != nullptr; }));
    EXPECT_EQ(v->openAlert()->windowTitle(), QStringLiteral("Import failed"));
    EXPECT_EQ(v->openAlert()->text(), QStringLiteral("That file is empty."));
    v->openAlert()->close();
    processEvents();
    v->importBomFile(freshFolder() + QStringLiteral("/missing.csv"));
    ASSERT_TRUE(waitUntil([&] { return v->openAlert() != nullptr && !v->isBusy(); }));
    EXPECT_FALSE(v->openAlert()->text().isEmpty());
    EXPECT_EQ(v->openSheet(), nullptr);
}

TEST_F(PartsTest, ShoppingListWritesTheShortPartsOrSaysThereIsNothingToBuy)
{
    Component* r = component(QStringLiteral("10k resistor"), 2);
    r->setPartNumber(QStringLiteral("RC0603"));
    StockAllocation::setPart(r, project, 2, ctx());
    auto v = makeView();
    const QString file = freshFolder() + QStringLiteral("/Amp — shopping list.csv");
    v->exportShoppingListTo(file);
    ASSERT_TRUE(v->openAlert());
    EXPECT_EQ(v->openAlert()->text(), QStringLiteral("Nothing to buy"));
    EXPECT_EQ(v->openAlert()->informativeText(), QStringLiteral("Every part in this project's BOM is covered by stock."));
    EXPECT_FALSE(QFile::exists(file));
    v->openAlert()->close();

    StockAllocation::setPart(r, project, 5, ctx());
    processEvents();
    // A saved list is confirmed as the sheet and the quote are: shown where it was saved.
    QString revealedPath;
    ProjectExportMenu::setRevealHandler([&](const QString& p) { revealedPath = p; });
    v->exportShoppingListTo(file);
    ASSERT_TRUE(waitUntil([&] { return !v->isBusy(); }));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("name,part_number,manufacturer,needed,in_stock\n10k resistor,RC0603,,3,-3\n"));
    EXPECT_EQ(revealedPath, file);

    revealedPath.clear();
    v->exportShoppingListTo(freshFolder() + QStringLiteral("/gone/x.csv"));
    ASSERT_TRUE(waitUntil([&] { return !v->isBusy(); }));
    ASSERT_TRUE(v->openAlert());
    EXPECT_EQ(v->openAlert()->windowTitle(), QStringLiteral("Export failed"));
    EXPECT_TRUE(revealedPath.isEmpty());
    ProjectExportMenu::setRevealHandler({});
}

TEST_F(PartsTest, AddFromInventoryListsWhatIsMissingAndAddsOneOfEach)
{
    EXPECT_EQ(AddFromInventorySheet(project, ctx()).contentState(), QStringLiteral("nothingToAdd"));
    Component* a = component(QStringLiteral("alpha"), 0);
    Component* b = component(QStringLiteral("beta"), 3);
    Component* g = component(QStringLiteral("gamma"), 3);
    StockAllocation::setPart(g, project, 1, ctx());
    AddFromInventorySheet sheet(project, ctx());
    sheet.show();
    processEvents();
    EXPECT_EQ(sheet.contentState(), QStringLiteral("list"));
    ASSERT_EQ(sheet.list()->model()->rowCount(), 2);
    EXPECT_FALSE(sheet.addButton()->isEnabled());
    sheet.list()->selectAll();
    EXPECT_TRUE(sheet.addButton()->isEnabled());
    projects_test::keyClicks(sheet.searchField(), QStringLiteral("zzz"));
    EXPECT_EQ(sheet.contentState(), QStringLiteral("noMatches"));
    EXPECT_FALSE(sheet.addButton()->isEnabled()) << "with every selected row hidden, Add would add nothing";
    sheet.searchField()->setText(QStringLiteral("bet"));
    EXPECT_TRUE(sheet.addButton()->isEnabled()) << "a selected row shows again";
    sheet.searchField()->setText(QStringLiteral("alp"));
    ASSERT_EQ(sheet.list()->model()->rowCount(), 1);
    EXPECT_TRUE(sheet.list()->selectionModel()->isSelected(sheet.list()->model()->index(0, 0)));
    sheet.addButton()->click();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(a->qty(), -1);
    EXPECT_EQ(b->qty(), 3);  // hidden by the search: not added
    EXPECT_EQ(project->parts().size(), 2);
}

TEST_F(PartsTest, AddFromInventoryRowsReadWhenSelected)
{
    component(QStringLiteral("alpha"), 5);
    AddFromInventorySheet sheet(project, ctx());
    sheet.show();
    processEvents();
    QListView* list = sheet.list();
    list->setFocus();
    list->selectionModel()->select(list->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
    processEvents();
    const QRect row = list->visualRect(list->model()->index(0, 0));
    const QImage shot = list->viewport()->grab(row).toImage();
    const QColor fill = list->palette().color(QPalette::Active, QPalette::Highlight);
    // The strongest contrast any pixel of a stretch of the row has with a background.
    const auto strongest = [&](int fromX, int toX, const QColor& background) {
        qreal most = 1;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = std::max(0, fromX); x < std::min(shot.width(), toX); ++x)
                most = std::max(most, ColorContrast::ratio(shot.pixelColor(x, y), background));
        return most;
    };
    // The symbol at the start stands out from the selection; the badge's label from its capsule.
    EXPECT_GE(strongest(0, 34, fill), 3.0);
    // The capsule stands on the list's own colour, not mixed into the selection's.
    const QColor capsule = ColorContrast::composite(StatusBadge::fill(StockStatus::inStock), list->palette().color(QPalette::Base));
    EXPECT_GE(strongest(shot.width() - 80, shot.width(), fill), 3.0);
    EXPECT_GE(strongest(shot.width() - 80, shot.width(), capsule), 4.0);  // the glyphs are smoothed
}

TEST_F(PartsTest, AddPartSheetAddsOrUpdatesTheLine)
{
    Component* c = component(QStringLiteral("LM358"), 10);
    {
        AddPartSheet sheet(c, project, ctx());
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Add part"));
        EXPECT_EQ(sheet.confirmButton()->text(), QStringLiteral("Add"));
        EXPECT_EQ(sheet.quantity(), 1);
        sheet.stepper()->minusButton()->click();
        sheet.confirmButton()->click();
        EXPECT_EQ(c->qty(), 9);
    }
    StockAllocation::setPart(c, project, 4, ctx());
    {
        AddPartSheet sheet(c, project, ctx());
        EXPECT_EQ(sheet.confirmButton()->text(), QStringLiteral("Update"));
        EXPECT_EQ(sheet.quantity(), 4);
        sheet.stepper()->plusButton()->click();
        sheet.stepper()->plusButton()->click();
        EXPECT_EQ(c->qty(), 6);  // nothing changes before "Update"
        sheet.confirmButton()->click();
        EXPECT_EQ(c->qty(), 4);
        EXPECT_EQ(c->projectUses().size(), 1);
    }
    project->setName(QString());
    AddPartSheet unnamed(c, project, ctx());
    EXPECT_EQ(unnamed.findChild<QLabel*>(QStringLiteral("projectCaption"))->text(), QStringLiteral("to project"));
    unnamed.reject();
    EXPECT_EQ(c->qty(), 4);
}

TEST_F(PartsTest, EditSheetWritesIntoTheProjectAndTheStoreSavesItByItself)
{
    SettingsStore::shared().setText(QStringLiteral("business.currency"), QStringLiteral("GBP"));
    ctx().setAutosaveDelay(1);
    ctx().setAutosaveEnabled(true);
    Component* c = component(QStringLiteral("part"), 10);
    c->setPurchasePrice(1.25);
    c->setResellPrice(2);
    StockAllocation::setPart(c, project, 10, ctx());
    ProjectEditSheet sheet(project, ctx());
    sheet.show();
    processEvents();
    EXPECT_TRUE(sheet.rateField()->findChild<QLabel*>() != nullptr);

    sheet.nameField()->selectAll();
    projects_test::keyClicks(sheet.nameField(), QStringLiteral("Amp v2"));
    sheet.descriptionField()->setFocus();
    projects_test::keyClicks(sheet.descriptionField(), QStringLiteral("Class A"));
    sheet.notesField()->setFocus();
    projects_test::keyClicks(sheet.notesField(), QStringLiteral("bias"));
    // Tab leaves the notes for the next field rather than typing into them.
    projects_test::keyClick(sheet.notesField(), Qt::Key_Tab, QStringLiteral("\t"));
    sheet.hoursField()->lineEdit()->setFocus();
    projects_test::keyClicks(sheet.hoursField()->lineEdit(), QStringLiteral("2"));
    sheet.rateField()->lineEdit()->setFocus();
    projects_test::keyClicks(sheet.rateField()->lineEdit(), QStringLiteral("15"));
    sheet.combinedButton()->click();
    EXPECT_EQ(project->name(), QStringLiteral("Amp v2"));
    EXPECT_EQ(project->details(), QStringLiteral("Class A"));
    EXPECT_EQ(project->notes(), QStringLiteral("bias"));
    EXPECT_EQ(project->labourHours(), 2.0);
    EXPECT_EQ(project->labourRate(), 15.0);
    EXPECT_TRUE(project->quoteCombined());
    processEvents();
    EXPECT_TRUE(sheet.marginLine().startsWith(QStringLiteral("Parts cost "))) << sheet.marginLine().toStdString();
    // Labour 2 × 15, as the user's locale writes pounds.
    EXPECT_TRUE(sheet.marginLine().endsWith(corvallen::test::icuCurrency(30, QStringLiteral("GBP"), QLocale().name())))
        << sheet.marginLine().toStdString();

    // Flat set to 0 wins over hours times rate; cleared, it falls back.
    sheet.flatField()->lineEdit()->setFocus();
    projects_test::keyClicks(sheet.flatField()->lineEdit(), QStringLiteral("0"));
    EXPECT_EQ(project->labourTotal(), 0.0);
    projects_test::keyClick(sheet.flatField()->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(project->labourFlat(), std::nullopt);
    EXPECT_EQ(project->labourTotal(), 30.0);

    sheet.accept();
    ASSERT_TRUE(waitUntil([&] { return !ctx().hasChanges(); }));
    store.reset();
    store = reopenTestStore(path);
    ASSERT_TRUE(store);
    const auto projects = ctx().fetch<Project>();
    ASSERT_EQ(projects.size(), 1);
    EXPECT_EQ(projects[0]->name(), QStringLiteral("Amp v2"));
    EXPECT_EQ(projects[0]->details(), QStringLiteral("Class A"));
    EXPECT_EQ(projects[0]->labourRate(), 15.0);
    EXPECT_TRUE(projects[0]->quoteCombined());
}

// A point or comma is read as people type it, in the locale of the sheet; a text that is no
// number keeps its sheet open instead of closing as if it had been taken.
TEST_F(PartsTest, TypedFiguresAreReadAsTypedOrKeepTheirSheetOpen)
{
    QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
    {
        ProjectEditSheet sheet(project, ctx());
        sheet.show();
        processEvents();
        sheet.hoursField()->lineEdit()->setFocus();
        projects_test::keyClicks(sheet.hoursField()->lineEdit(), QStringLiteral("1,5"));
        sheet.rateField()->lineEdit()->setFocus();
        projects_test::keyClicks(sheet.rateField()->lineEdit(), QStringLiteral("25"));
        EXPECT_EQ(project->labourHours(), 1.5);
        EXPECT_EQ(project->labourTotal(), 37.5);
        // The rate, a sum of money, shows the currency's decimals once the user leaves it.
        sheet.hoursField()->lineEdit()->setFocus();
        EXPECT_EQ(sheet.rateField()->text(), QStringLiteral("25.00"));

        EXPECT_EQ(sheet.hoursField()->text(), QStringLiteral("1.5"));
        sheet.hoursField()->lineEdit()->selectAll();
        projects_test::keyClicks(sheet.hoursField()->lineEdit(), QStringLiteral("1,23,4"));
        EXPECT_FALSE(sheet.hoursField()->isReadable());
        sheet.accept();
        EXPECT_TRUE(sheet.isVisible()) << "the sheet stays open on the unreadable figure";
        EXPECT_EQ(sheet.hoursField()->text(), QStringLiteral("1,23,4"));
        projects_test::keyClick(sheet.hoursField()->lineEdit(), Qt::Key_Backspace);
        projects_test::keyClick(sheet.hoursField()->lineEdit(), Qt::Key_Backspace);
        EXPECT_TRUE(sheet.hoursField()->isReadable());
        sheet.accept();
        EXPECT_FALSE(sheet.isVisible());
    }
    QLocale::setDefault(QLocale::c());

    // A quantity too large for any line keeps the add-part sheet open with nothing changed.
    Component* c = component(QStringLiteral("LM317T"), 10);
    AddPartSheet sheet(c, project, ctx());
    sheet.show();
    processEvents();
    sheet.stepper()->field()->setFocus();
    sheet.stepper()->field()->selectAll();
    projects_test::keyClicks(sheet.stepper()->field(), QStringLiteral("12345678901234567890"));
    sheet.confirmButton()->click();
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.stepper()->field()->text(), QStringLiteral("12345678901234567890"));
    EXPECT_EQ(c->qty(), 10);
    EXPECT_FALSE(StockAllocation::lineFor(c, project));
}

TEST_F(PartsTest, ExportsReplaceTheChosenFileOrShowWhyNot)
{
    QString revealedPath;
    ProjectExportMenu::setRevealHandler([&](const QString& p) { revealedPath = p; });
    ProjectExportMenu menu(project);
    QStringList items;
    for (QAction* a : menu.menu()->actions())
        items << a->text();
    EXPECT_EQ(items, (QStringList{QStringLiteral("Project Sheet (PDF)…"), QStringLiteral("Quote (PDF)…")}));

    const QString dest = freshFolder() + QStringLiteral("/Amp — Quote.pdf");
    {
        QFile old(dest);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    menu.exportTo(ProjectExportMenu::Kind::quote, dest);
    ASSERT_TRUE(waitUntil([&] { return !menu.isBusy(); }));
    ASSERT_EQ(menu.openAlert(), nullptr);
    QFile f(dest);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("%PDF"));
    EXPECT_EQ(revealedPath, dest);

    // A destination that cannot be written shows an alert and reveals nothing.
    revealedPath.clear();
    menu.exportTo(ProjectExportMenu::Kind::projectSheet, freshFolder() + QStringLiteral("/gone/x.pdf"));
    ASSERT_TRUE(waitUntil([&] { return !menu.isBusy(); }));
    ASSERT_TRUE(menu.openAlert());
    EXPECT_FALSE(menu.openAlert()->text().isEmpty());
    EXPECT_TRUE(revealedPath.isEmpty());

    // A saved export that no file manager could show says where it is.
    menu.reportCannotShow(dest);
    ASSERT_TRUE(menu.openAlert());
    EXPECT_TRUE(menu.openAlert()->text().contains(dest));
    ProjectExportMenu::setRevealHandler({});
}

TEST_F(PartsTest, ALongExportShowsItsProgressAndCanBeStopped)
{
    // Enough parts that the export takes seconds, long after Cancel is clicked.
    for (int i = 0; i < 20000; ++i)
        StockAllocation::setPartUnsaved(component(QStringLiteral("Part %1").arg(i), 1), project, 1, ctx());
    ASSERT_TRUE(ctx().save());
    QString revealedPath;
    ProjectExportMenu::setRevealHandler([&](const QString& p) { revealedPath = p; });
    ProjectExportMenu menu(project);
    const QString dest = freshFolder() + QStringLiteral("/Amp — Project Sheet.pdf");
    menu.exportTo(ProjectExportMenu::Kind::projectSheet, dest);
    EXPECT_TRUE(menu.isBusy());
    EXPECT_FALSE(menu.isEnabled());
    ASSERT_TRUE(waitUntil([&] { return menu.progress() != nullptr; }));
    auto* cancel = menu.progress()->findChild<QPushButton*>();
    ASSERT_TRUE(cancel);
    cancel->click();
    ASSERT_TRUE(waitUntil([&] { return !menu.isBusy(); }));
    EXPECT_TRUE(menu.isEnabled());
    EXPECT_FALSE(QFile::exists(dest));
    EXPECT_EQ(menu.openAlert(), nullptr);
    EXPECT_TRUE(revealedPath.isEmpty());
    EXPECT_TRUE(QDir(QDir::tempPath()).entryList({QStringLiteral("ProjectSheet-*")}).isEmpty());
    ProjectExportMenu::setRevealHandler({});
}

}  // namespace
