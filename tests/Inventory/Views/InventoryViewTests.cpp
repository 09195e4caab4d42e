#include "Corvallen/Inventory/Views/ComponentInspector.h"
#include "Corvallen/Inventory/Views/InventoryView.h"
#include "Corvallen/Inventory/Views/ManageInventorySheet.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/DragString.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Platform/ColorContrast.h"
#include "Corvallen/Platform/Views/ThemeManager.h"
#include "support/TestStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

class InventoryViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        container = corvallen::test::openTestStore();
        ASSERT_TRUE(container);
    }
    ModelContext& ctx() { return container->mainContext(); }
    Component* part(const QString& name, qint64 qty)
    {
        auto* c = ctx().insert(new Component(name));
        c->setQty(qty);
        return c;
    }
    std::unique_ptr<InventoryView> page(InventoryStatusFilter filter = InventoryStatusFilter::all,
                                        std::optional<PersistentIdentifier> selection = std::nullopt)
    {
        auto view = std::make_unique<InventoryView>(ctx(), filter, selection);
        view->resize(1100, 700);
        view->show();
        settle();
        return view;
    }
    QStringList menuEntries(InventoryView& view, int index)
    {
        QMenu* menu = view.menuButton(index)->menu();
        Q_EMIT menu->aboutToShow();
        QStringList out;
        for (QAction* a : menu->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    }
    std::unique_ptr<ModelContainer> container;
};

TEST_F(InventoryViewTest, EmptyStoreShowsItsEmptyStateAndBareMenus)
{
    auto view = page();
    EXPECT_TRUE(view->showsEmptyState());
    EXPECT_EQ(view->emptyTitle(), QStringLiteral("No components yet"));
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("0 of 0"));
    EXPECT_EQ(view->menuButton(0)->text(), QStringLiteral("Category: All"));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(menuEntries(*view, i), QStringList{"All"});
    EXPECT_FALSE(view->clearButton()->isVisible());
    EXPECT_FALSE(view->inspectorColumn()->isVisible());
}

TEST_F(InventoryViewTest, FiltersSearchAndCountsFollowTheStore)
{
    part(QStringLiteral("Capacitor"), 0)->setCategory(QStringLiteral("Caps"));
    part(QStringLiteral("Resistor"), 100)->setCategory(QStringLiteral("Passives"));
    part(QStringLiteral("Regulator"), 3)->setTags(QStringLiteral("LDO"));
    ASSERT_TRUE(ctx().save());
    auto view = page(InventoryStatusFilter::out);
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("1 of 3"));
    EXPECT_TRUE(view->segment(InventoryStatusFilter::out)->isChecked());
    EXPECT_TRUE(view->clearButton()->isVisible());

    view->segment(InventoryStatusFilter::all)->click();
    EXPECT_EQ(view->shownComponents().size(), 3);
    EXPECT_EQ(menuEntries(*view, 0), (QStringList{"All", "-", "Caps", "Passives"}));
    EXPECT_EQ(menuEntries(*view, 3), (QStringList{"All", "-", "ldo"}));

    // Picking a menu value narrows the list and shows in the label.
    view->menuButton(0)->menu()->actions().at(3)->trigger();
    EXPECT_EQ(view->menuButton(0)->text(), QStringLiteral("Category: Passives"));
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("1 of 3"));

    view->searchField()->setText(QStringLiteral("zzz"));
    EXPECT_TRUE(view->showsEmptyState());
    EXPECT_EQ(view->emptyTitle(), QStringLiteral("Nothing matches"));
    view->clearButton()->click();
    EXPECT_EQ(view->searchField()->text(), QStringLiteral("zzz"));
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("0 of 3"));
    view->setSearch(QStringLiteral("re"));
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("2 of 3"));

    // A change made elsewhere reaches the page without any refresh action.
    part(QStringLiteral("Relay"), 2);
    settle();
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("3 of 4"));
}

TEST_F(InventoryViewTest, AddSelectsTheNewComponentEvenWhenFiltersHideIt)
{
    part(QStringLiteral("Resistor"), 100);
    ASSERT_TRUE(ctx().save());
    auto view = page(InventoryStatusFilter::inStock);
    Component* added = view->addComponent();
    EXPECT_EQ(added->name(), QStringLiteral("New component"));
    EXPECT_FALSE(ctx().hasChanges());
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("1 of 2"));
    EXPECT_EQ(view->selectedID(), added->persistentModelID());
    ASSERT_TRUE(view->inspector());
    EXPECT_EQ(view->inspector()->component(), added);
    EXPECT_TRUE(view->inspectorColumn()->isVisible());
}

TEST_F(InventoryViewTest, DeletingTheSelectedComponentClosesTheInspector)
{
    auto* keep = part(QStringLiteral("Keep"), 5);
    auto* other = part(QStringLiteral("Other"), 5);
    ASSERT_TRUE(ctx().save());
    auto view = page(InventoryStatusFilter::all, keep->persistentModelID());
    ASSERT_TRUE(view->inspector());
    EXPECT_EQ(view->listView()->currentIndex().row(), 0);

    view->deleteComponent(other);
    EXPECT_EQ(view->selectedID(), keep->persistentModelID());
    EXPECT_TRUE(view->inspector());
    view->deleteComponent(keep);
    EXPECT_FALSE(view->selectedID());
    EXPECT_FALSE(view->inspector());
    EXPECT_EQ(ctx().fetchCount<Component>(), 0);
}

// Deleting a part from the Inventory also takes it off every parts list that holds it; the row's
// "Delete" says so first, and goes ahead at once only for a part no project holds.
TEST_F(InventoryViewTest, DeletingAPartThatProjectsHoldAsksFirst)
{
    auto* regulator = part(QStringLiteral("LM317"), 5);
    auto* spare = part(QStringLiteral("Spare"), 5);
    auto* psu = ctx().insert(new Project(QStringLiteral("PSU"), QString(), QString()));
    auto* amp = ctx().insert(new Project(QStringLiteral("Amp"), QString(), QString()));
    auto* ampLine = ctx().insert(new ProjectComponent(regulator, amp, 2));
    ctx().insert(new ProjectComponent(regulator, psu, 1));
    ASSERT_TRUE(ctx().save());
    auto view = page();

    // The row's own context menu, as a right click opens it.
    const auto chooseDelete = [&](int row) {
        QTimer::singleShot(0, [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_TRUE(menu);
            for (QAction* a : menu->actions())
                if (a->text() == QStringLiteral("Delete"))
                    a->trigger();
            menu->close();
        });
        QListView* list = view->listView();
        Q_EMIT list->customContextMenuRequested(list->visualRect(list->model()->index(row, 0)).center());
        settle();
        return view->findChild<QMessageBox*>();
    };

    QMessageBox* box = chooseDelete(0);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text(), QStringLiteral("Delete \u201CLM317\u201D?"));
    EXPECT_EQ(box->informativeText(),
              QStringLiteral("It is on the parts lists of 2 projects: \u201CAmp\u201D, \u201CPSU\u201D. Deleting it takes it off those lists."));
    box->button(QMessageBox::Cancel)->click();
    settle();
    EXPECT_FALSE(regulator->isDeleted());
    EXPECT_FALSE(ampLine->isDeleted());

    ctx().deleteObject(psu);
    ASSERT_TRUE(ctx().save());
    box = chooseDelete(0);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->informativeText(), QStringLiteral("It is on the parts list of \u201CAmp\u201D. Deleting it takes it off that list."));
    box->findChild<QPushButton*>(QStringLiteral("DeleteButton"))->click();
    settle();
    EXPECT_TRUE(regulator->isDeleted());
    EXPECT_TRUE(ampLine->isDeleted());
    EXPECT_FALSE(ctx().hasChanges());

    // A part on no parts list goes at once.
    EXPECT_FALSE(chooseDelete(0));
    EXPECT_TRUE(spare->isDeleted());
    EXPECT_EQ(ctx().fetchCount<Component>(), 0);
}

TEST_F(InventoryViewTest, ClickingARowOpensItAndDoneClosesIt)
{
    auto* a = part(QStringLiteral("A"), 5);
    auto* b = part(QStringLiteral("B"), 5);
    ASSERT_TRUE(ctx().save());
    // Opened by a click on the row, by the keyboard and by a link from elsewhere (the list
    // never had a current row of its own then).
    enum class Opened { click, keyboard, link };
    for (const Opened how : {Opened::click, Opened::keyboard, Opened::link}) {
        SCOPED_TRACE(int(how));
        auto view = page();
        QListView* list = view->listView();
        if (how == Opened::click) {
            const QPoint at = list->visualRect(list->model()->index(1, 0)).center();
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent e(type, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(list->viewport(), &e);
            }
        } else if (how == Opened::keyboard) {
            list->setCurrentIndex(list->model()->index(1, 0));
        } else {
            view->select(b->persistentModelID());
        }
        EXPECT_EQ(view->selectedID(), b->persistentModelID());
        ASSERT_TRUE(view->inspector());
        view->show();
        QApplication::setActiveWindow(view.get());
        view->inspector()->doneButton()->setFocus();
        view->inspector()->doneButton()->click();
        settle();
        // Closed, with no other component taking its place.
        EXPECT_FALSE(view->selectedID());
        EXPECT_FALSE(view->inspector());
        EXPECT_TRUE(list->selectionModel()->selectedIndexes().isEmpty());
        // The keyboard goes on in the list.
        EXPECT_TRUE(list->hasFocus());
        list->clearFocus();
        list->setFocus(Qt::TabFocusReason);
        settle();
        EXPECT_FALSE(view->selectedID());
        EXPECT_FALSE(view->inspector());
        EXPECT_EQ(a->name(), QStringLiteral("A"));
    }
}

TEST_F(InventoryViewTest, DeepLinkOpensTheSelectedComponentScrolledIntoView)
{
    Component* target = nullptr;
    for (int i = 0; i < 200; ++i) {
        Component* c = part(QStringLiteral("Part %1").arg(i, 3, 10, QLatin1Char('0')), 5);
        if (i == 150)
            target = c;
    }
    target->setCategory(QStringLiteral("Hidden"));
    ASSERT_TRUE(ctx().save());
    auto view = page(InventoryStatusFilter::all, target->persistentModelID());
    settle();
    QListView* list = view->listView();
    const QRect row = list->visualRect(list->model()->index(150, 0));
    EXPECT_TRUE(list->viewport()->rect().contains(row.center()));
    ASSERT_TRUE(view->inspector());
    EXPECT_EQ(view->inspector()->component(), target);

    // A selected component that the filters hide stays open in the inspector.
    view->setValueFilter(TermKind::category, QStringLiteral("Other"));
    EXPECT_TRUE(view->showsEmptyState());
    ASSERT_TRUE(view->inspector());
    EXPECT_EQ(view->inspector()->component(), target);

    // When the list comes back it is centred on the selection again.
    list->scrollToTop();
    view->clearFilters();
    settle();
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualRect(list->model()->index(150, 0)).center()));
}

TEST_F(InventoryViewTest, DragItemCarriesThePartString)
{
    auto* c = part(QStringLiteral("LM317"), 5);
    ASSERT_TRUE(ctx().save());
    std::unique_ptr<QMimeData> data(InventoryView::dragMimeData(*c));
    EXPECT_EQ(DragString::route(data->text()), DragString::DropKind::part);
    EXPECT_EQ(DragString::decode(data->text(), DragString::partPrefix()), c->persistentModelID());
}

TEST_F(InventoryViewTest, ManageOpensTheTermSheetSeededFromComponents)
{
    part(QStringLiteral("R"), 5)->setManufacturer(QStringLiteral("Yageo"));
    ASSERT_TRUE(ctx().save());
    auto view = page();
    ManageInventorySheet* sheet = view->openManageSheet();
    ASSERT_TRUE(sheet);
    settle();
    EXPECT_EQ(sheet->kindCount(TermKind::manufacturer), QStringLiteral("1"));
    sheet->accept();
    settle();
    EXPECT_FALSE(view->manageSheet());
}

}  // namespace

TEST_F(InventoryViewTest, ASelectedRowInAnUnfocusedListReadsInBothThemes)
{
    part(QStringLiteral("Tektronix-style programmable bench supply"), 0);
    ASSERT_TRUE(ctx().save());
    const QPalette before = QApplication::palette();
    for (const QPalette& palette : {ThemeManager::lightPalette(), ThemeManager::darkPalette()}) {
        QApplication::setPalette(palette);
        auto view = page();
        QListView* list = view->listView();
        const QModelIndex row = list->model()->index(0, 0);
        list->selectionModel()->select(row, QItemSelectionModel::ClearAndSelect);
        {
            // The window is not the active one: the selection takes its paler, unfocused fill.
            QApplication::setActiveWindow(nullptr);
            settle();
            const QRect rect = list->visualRect(row);
            const QImage image = list->viewport()->grab(rect).toImage();
            // The fill of the row, and the strongest contrast any of its drawing has on it: the name.
            const QColor fill = image.pixelColor(image.width() / 2, 2);
            qreal strongest = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width() / 2; ++x)
                    strongest = std::max(strongest, ColorContrast::ratio(image.pixelColor(x, y), fill));
            EXPECT_GE(strongest, 4.5) << (palette.color(QPalette::Window).lightness() < 128 ? "dark" : "light");
        }
    }
    QApplication::setPalette(before);
}
