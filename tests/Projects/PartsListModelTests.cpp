// The rows of the parts list: their order in several locales, and how they follow the store
// without losing their place, also for a project of tens of thousands of parts.
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Projects/PartsListModel.h"
#include "Corvallen/Projects/ProjectContents.h"
#include "Corvallen/Projects/StockAllocation.h"
#include "support/EventLoop.h"
#include "support/TestStore.h"

#include <QLocale>

#include <random>

#include <gtest/gtest.h>

using namespace corvallen::test;

namespace {

class PartsListModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = openTestStore();
        ASSERT_TRUE(store);
        project = ctx().insert(new Project(QStringLiteral("Amp"), QString(), QString()));
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
    ModelContext& ctx() { return store->mainContext(); }
    ProjectComponent* add(const QString& name, qint64 quantity = 1)
    {
        Component* c = ctx().insert(new Component(name));
        return StockAllocation::setPartUnsaved(c, project, quantity, ctx());
    }
    static QStringList names(const QList<ProjectComponent*>& lines)
    {
        QStringList out;
        for (const ProjectComponent* line : lines)
            out << line->component()->name();
        return out;
    }
    // What the list must show: the lines sorted one comparison at a time, as the project's other
    // views sort them.
    QStringList expected() const { return names(ProjectContents::partLines(project)); }

    // The model's signals, as a view sees them.
    struct Recorder {
        explicit Recorder(PartsListModel& model)
        {
            QObject::connect(&model, &QAbstractItemModel::rowsInserted, [this](const QModelIndex&, int first, int last) {
                events << QStringLiteral("+%1-%2").arg(first).arg(last);
            });
            QObject::connect(&model, &QAbstractItemModel::rowsRemoved, [this](const QModelIndex&, int first, int last) {
                events << QStringLiteral("-%1-%2").arg(first).arg(last);
            });
            QObject::connect(&model, &QAbstractItemModel::modelReset, [this] { events << QStringLiteral("reset"); });
        }
        QStringList take() { return std::exchange(events, {}); }
        QStringList events;
    };

    std::unique_ptr<ModelContainer> store;
    Project* project = nullptr;
};

TEST_F(PartsListModelTest, RowsFollowTheStoreInPlace)
{
    ProjectComponent* resistor = add(QStringLiteral("resistor"), 3);
    add(QStringLiteral("Capacitor"), 2);
    ProjectComponent* led = add(QStringLiteral("LED"), 1);
    PartsListModel model(project);
    EXPECT_EQ(names(model.lines()), (QStringList{"Capacitor", "LED", "resistor"}));
    EXPECT_EQ(model.partCount(), 3);
    EXPECT_EQ(model.itemCount(), 6);
    EXPECT_EQ(model.index(2).data().toString(), QStringLiteral("resistor"));
    Recorder recorder(model);

    // A line added, a name changed, a line removed: each moves one row, the others stay.
    add(QStringLiteral("diode"), 4);
    model.refresh();
    EXPECT_EQ(recorder.take(), QStringList{"+1-1"});
    resistor->component()->setName(QStringLiteral("Amplifier"));
    model.refresh();
    EXPECT_EQ(recorder.take(), (QStringList{"-3-3", "+0-0"}));
    EXPECT_EQ(names(model.lines()), (QStringList{"Amplifier", "Capacitor", "diode", "LED"}));
    StockAllocation::removePart(led, ctx());
    model.refresh();
    EXPECT_EQ(recorder.take(), QStringList{"-3-3"});

    // Quantities are counted, not moved.
    bool changed = false;
    QObject::connect(&model, &QAbstractItemModel::dataChanged, [&] { changed = true; });
    StockAllocation::setQuantity(resistor, 10, ctx());
    model.refresh();
    EXPECT_TRUE(changed);
    EXPECT_TRUE(recorder.take().isEmpty());
    EXPECT_EQ(model.itemCount(), 16);

    // A line whose component is deleted, or taken away, is neither shown nor counted.
    ctx().deleteObject(resistor->component());
    model.lines().value(0)->setComponent(nullptr);
    model.refresh();
    EXPECT_EQ(names(model.lines()), QStringList{"diode"});
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.partCount(), 1);
    EXPECT_EQ(model.itemCount(), 4);
    EXPECT_EQ(model.rowOf(model.line(0)), 0);

    // So is every line of a deleted project.
    ctx().deleteObject(project);
    model.refresh();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.partCount(), 0);
}

// Any mix of additions, removals, renames, deleted components and lines given another component
// or none, a few or many at a time, leaves exactly the project's lines with a component, in
// order: no row is lost, doubled or left stale.
TEST_F(PartsListModelTest, NoMixOfChangesLosesOrDoublesARow)
{
    std::mt19937 random(20261207);
    const auto pick = [&](qsizetype n) { return qsizetype(std::uniform_int_distribution<qsizetype>(0, n - 1)(random)); };
    int serial = 0;
    const QStringList words{"resistor", "Cap", "diode", "LED", "zener", "Amp", "mosfet", "Relay"};
    const auto freshName = [&] { return words[pick(words.size())] + QStringLiteral(" %1").arg(++serial); };
    const auto liveLines = [&] { return ProjectContents::partLines(project); };
    for (int i = 0; i < 12; ++i)
        add(freshName(), 1 + pick(5));
    PartsListModel model(project);
    for (int step = 0; step < 300; ++step) {
        // Mostly a few changes (moved in place), sometimes more than that (sorted afresh).
        const int changes = pick(10) == 0 ? int(PartsListModel::moveInPlaceUpTo) + 1 + int(pick(20)) : 1 + int(pick(4));
        for (int k = 0; k < changes; ++k) {
            const QList<ProjectComponent*> lines = liveLines();
            const qsizetype op = lines.isEmpty() ? 0 : pick(6);
            if (op == 0) {
                add(freshName(), 1 + pick(5));
            } else {
                ProjectComponent* line = lines[pick(lines.size())];
                switch (op) {
                case 1: StockAllocation::removePart(line, ctx()); break;
                case 2: line->component()->setName(freshName()); break;
                case 3: ctx().deleteObject(line->component()); break;
                case 4: line->setComponent(pick(2) ? ctx().insert(new Component(freshName())) : nullptr); break;
                default: StockAllocation::setQuantity(line, 1 + pick(9), ctx()); break;
                }
            }
        }
        model.refresh();
        ASSERT_EQ(names(model.lines()), expected()) << "after step " << step;
        ASSERT_EQ(model.rowCount(), expected().size());
        ASSERT_EQ(model.partCount(), expected().size());
    }
}

TEST_F(PartsListModelTest, ManyChangesAreSortedAfreshInTheLocalesOrder)
{
    const QStringList words{"Äpfel", "apple", "Banana", "zebra", "Zander", "øre", "Ørsted", "ab 10", "AB 9", "_spare", "µC", "10k"};
    for (const char* locale : {"de_DE", "sv_SE", "ja_JP", "C"}) {
        SCOPED_TRACE(locale);
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        for (ProjectComponent* line : project->parts())
            StockAllocation::removePart(line, ctx());
        PartsListModel model(project);
        Recorder recorder(model);
        for (int i = 0; i < PartsListModel::moveInPlaceUpTo + 10; ++i)
            add(words[i % words.size()] + QStringLiteral(" %1").arg(i));
        model.refresh();
        EXPECT_EQ(recorder.take(), QStringList{"reset"});
        EXPECT_EQ(names(model.lines()), expected());
        // And rows moved in place afterwards land where a full sort puts them.
        add(QStringLiteral("zz"));
        add(QStringLiteral("Ärger"));
        model.refresh();
        EXPECT_EQ(recorder.take().size(), 2);
        EXPECT_EQ(names(model.lines()), expected());
    }
}

TEST_F(PartsListModelTest, ALongListIsReadInSlicesAndSortedOnAWorker)
{
    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    const int count = int(PartsListModel::sortOnWorkerFrom) + 500;
    QList<ProjectComponent*> lines;
    for (int i = 0; i < count; ++i) {
        // Mixed case and accents, so that only the locale's order is right.
        const QString name = (i % 3 ? QStringLiteral("Teil ") : i % 2 ? QStringLiteral("ätzer ") : QStringLiteral("Bauteil "))
                             + QString::number((i * 7919) % count);
        lines << add(i % 5 ? name : name.toUpper(), 2);
    }
    PartsListModel model(project);
    ASSERT_TRUE(model.isSorting());
    EXPECT_EQ(model.rowCount(), 0);

    // Changes made while the list is read and sorted are in it once it is shown.
    StockAllocation::removePart(lines[10], ctx());
    add(QStringLiteral("Zwischenlage"), 1);
    model.refresh();
    ASSERT_TRUE(waitUntil([&] { return !model.isSorting(); }));
    EXPECT_EQ(model.rowCount(), count);
    EXPECT_EQ(model.partCount(), count);
    EXPECT_EQ(model.itemCount(), 2 * count - 1);
    EXPECT_EQ(names(model.lines()), expected());
    EXPECT_EQ(model.rowOf(lines[10]), -1);

    // A second long change sorts again; the rows shown meanwhile stay valid to read.
    for (int i = 20; i < 220; ++i)
        lines[i]->component()->setName(QStringLiteral("renamed %1").arg(i));
    model.refresh();
    EXPECT_TRUE(model.isSorting());
    EXPECT_EQ(model.rowCount(), count);
    for (int row = 0; row < model.rowCount(); row += 997)
        EXPECT_TRUE(model.line(row));
    ASSERT_TRUE(waitUntil([&] { return !model.isSorting(); }));
    EXPECT_EQ(names(model.lines()), expected());
}

}  // namespace
