// The one-line tag row: the pills that fit, the "+N" pill for the rest, and the popup with all.
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Model/TagPalette.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Widgets/Views/TagPill.h"
#include "Corvallen/Widgets/Views/TagRow.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace {

class TagRowTest : public testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        m_container = ModelContainer::open(corvallen::test::freshFolder(QStringLiteral("row"))
                                               + QStringLiteral("/Corvallen.store"),
                                           corvallenSchema(), &error);
        ASSERT_TRUE(m_container) << error.toStdString();
        for (const char* name : {"abc", "de", "f"})
            m_tags.append(findOrCreateTag(QString::fromLatin1(name), m_container->mainContext()));
    }
    void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    static QList<TagPill*> shownPills(TagRow& row)
    {
        QList<TagPill*> out;
        for (TagPill* p : row.findChildren<TagPill*>(Qt::FindDirectChildrenOnly))
            if (!p->isHidden())
                out.append(p);
        return out;
    }

    std::unique_ptr<ModelContainer> m_container;
    QList<Tag*> m_tags;
};

TEST_F(TagRowTest, ShowsWhatFitsAndCountsTheRest)
{
    TagRow row(m_tags);
    row.show();
    EXPECT_EQ(row.height(), 20);
    row.resize(111, 20);
    EXPECT_EQ(row.visibleCount(), 3);
    EXPECT_EQ(row.hiddenCount(), 0);
    EXPECT_TRUE(row.overflowPill()->isHidden());
    EXPECT_EQ(shownPills(row).size(), 3);

    row.resize(110, 20);
    EXPECT_EQ(row.visibleCount(), 2);
    EXPECT_EQ(row.hiddenCount(), 1);
    EXPECT_FALSE(row.overflowPill()->isHidden());
    EXPECT_EQ(static_cast<QLabel*>(row.overflowPill())->text(), QStringLiteral("+1"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QList<TagPill*> pills = shownPills(row);
    ASSERT_EQ(pills.size(), 2);
    EXPECT_EQ(pills[0]->tag(), m_tags[0]);
    EXPECT_EQ(pills[1]->tag(), m_tags[1]);

    row.resize(0, 20);
    EXPECT_EQ(row.visibleCount(), 0);
    EXPECT_EQ(static_cast<QLabel*>(row.overflowPill())->text(), QStringLiteral("+3"));
}

// The row decides what fits by an estimate of each name's width; a name of wide letters is wider
// than its estimate, and its pill is narrowed to the row (its name then ends in "…") instead of
// running past the row's edge, where it would be cut.
TEST_F(TagRowTest, APillWiderThanItsEstimateStaysInsideTheRow)
{
    Tag* wide = findOrCreateTag(QStringLiteral("WWWWWWWWWWWWWW"), m_container->mainContext());
    TagRow row({wide});
    row.show();
    row.resize(115, 20);
    ASSERT_EQ(row.visibleCount(), 1);
    const QList<TagPill*> pills = shownPills(row);
    ASSERT_EQ(pills.size(), 1);
    ASSERT_GT(pills[0]->sizeHint().width(), row.width());  // the case this test is about
    EXPECT_LE(pills[0]->geometry().right(), row.width() - 1);

    // Beside a "+N" pill, the narrowed pill leaves the "+N" pill its room.
    TagRow two({wide, m_tags[0], m_tags[1], m_tags[2]});
    two.show();
    two.resize(145, 20);
    ASSERT_EQ(two.visibleCount(), 1);
    EXPECT_FALSE(two.overflowPill()->isHidden());
    EXPECT_LE(two.overflowPill()->geometry().right(), two.width() - 1);
    EXPECT_LT(shownPills(two)[0]->geometry().right(), two.overflowPill()->geometry().left());
}

TEST_F(TagRowTest, OverflowPillOpensPopupWithAllTags)
{
    TagRow row(m_tags);
    row.resize(60, 20);  // not even the first tag fits beside the reserve
    row.show();
    EXPECT_EQ(row.visibleCount(), 0);
    EXPECT_FALSE(row.isShowingAll());

    QWidget* overflow = row.overflowPill();
    const QPoint at = overflow->rect().center();
    QMouseEvent press(QEvent::MouseButtonPress, at, overflow->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(overflow, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, overflow->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(overflow, &release);

    ASSERT_TRUE(row.isShowingAll());
    const QList<TagPill*> all = row.popup()->findChildren<TagPill*>();
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all[0]->name(), QStringLiteral("abc"));
    EXPECT_EQ(all[2]->name(), QStringLiteral("f"));

    row.setShowAll(false);
    EXPECT_FALSE(row.isShowingAll());
}

}  // namespace
