// The grid's click rules and the browser's select all / none.
#include "Corvallen/Library/CaptureSelection.h"
#include "Corvallen/Model/Capture.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>

namespace {

struct Grid {
    std::unique_ptr<ModelContainer> container = corvallen::test::openTestStore();
    QList<Capture*> captures;
    CaptureSelection selection;

    explicit Grid(int n)
    {
        for (int i = 0; i < n; ++i)
            captures.append(container->mainContext().insert(new Capture(QStringLiteral("c%1.png").arg(i + 1))));
    }
    PersistentIdentifier id(int cardNumber) const { return captures.at(cardNumber - 1)->persistentModelID(); }
    QList<int> selectedCards() const
    {
        QList<int> out;
        for (int i = 0; i < captures.size(); ++i)
            if (selection.isSelected(captures.at(i)->persistentModelID()))
                out.append(i + 1);
        return out;
    }
    bool click(int card, Qt::KeyboardModifiers m = {}) { return selection.handleImageClick(captures, id(card), m); }
};

}  // namespace

TEST(CaptureSelection, PlainCtrlAndShiftClicks)
{
    Grid g(6);
    // Shift-click with no anchor yet selects the clicked card alone and anchors there.
    EXPECT_FALSE(g.click(4, Qt::ShiftModifier));
    EXPECT_EQ(g.selectedCards(), QList<int>({4}));

    EXPECT_TRUE(g.click(2));
    EXPECT_EQ(g.selectedCards(), QList<int>({2}));
    g.click(5, Qt::ShiftModifier);
    EXPECT_EQ(g.selectedCards(), QList<int>({2, 3, 4, 5}));
    g.click(1, Qt::ShiftModifier);  // same anchor: the range shrinks to 1..2
    EXPECT_EQ(g.selectedCards(), QList<int>({1, 2}));
    g.click(4, Qt::ShiftModifier | Qt::ControlModifier);  // Shift wins
    EXPECT_EQ(g.selectedCards(), QList<int>({2, 3, 4}));

    EXPECT_FALSE(g.click(3, Qt::ControlModifier));
    EXPECT_EQ(g.selectedCards(), QList<int>({2, 4}));
    EXPECT_EQ(g.selection.anchorID(), g.id(3));
    g.click(6, Qt::MetaModifier);
    EXPECT_EQ(g.selectedCards(), QList<int>({2, 4, 6}));

    // A plain click in a larger selection leaves that capture alone.
    EXPECT_TRUE(g.click(4));
    EXPECT_EQ(g.selectedCards(), QList<int>({4}));
    EXPECT_TRUE(g.click(4));
    EXPECT_EQ(g.selectedCards(), QList<int>({4}));
}

TEST(CaptureSelection, AnchorThatLeftTheListAndRenameState)
{
    Grid g(5);
    g.click(2);
    g.selection.startRename(g.id(3));
    QList<Capture*> filtered = g.captures;
    filtered.removeAt(1);  // card 2 filtered out
    g.selection.selectRange(filtered, g.id(4));
    EXPECT_EQ(g.selectedCards(), QList<int>({4}));
    EXPECT_EQ(g.selection.anchorID(), g.id(4));

    g.selection.startRename(g.id(3));
    g.selection.toggleSelection(g.id(1));
    EXPECT_FALSE(g.selection.editingID());
    EXPECT_EQ(g.selectedCards(), QList<int>({1, 4}));
    g.selection.startRename(g.id(3));
    g.selection.endRename();
    EXPECT_EQ(g.selectedCards(), QList<int>({1, 4}));
}

TEST(CaptureSelection, SelectAllTakesWhatIsShownAndHiddenSelectionsCountForNothing)
{
    Grid g(4);
    g.selection.toggleSelectAll(g.captures);
    EXPECT_EQ(g.selectedCards(), QList<int>({1, 2, 3, 4}));
    g.selection.toggleSelectAll(g.captures);
    EXPECT_TRUE(g.selectedCards().isEmpty());

    g.click(1);
    g.click(3, Qt::ControlModifier);
    const QList<Capture*> shown = {g.captures.at(2), g.captures.at(3)};
    EXPECT_EQ(g.selection.selectedCaptures(shown), QList<Capture*>({g.captures.at(2)}));
    // Two identifiers selected and two captures shown, but only one of them is selected:
    // select all selects exactly the shown two (the hidden card 1 drops out).
    g.selection.toggleSelectAll(shown);
    EXPECT_EQ(g.selectedCards(), QList<int>({3, 4}));
    g.selection.toggleSelectAll(shown);
    EXPECT_EQ(g.selection.count(), 0);
    g.selection.toggleSelectAll({});
    EXPECT_EQ(g.selection.count(), 0);
}
