// Every tag name gets one palette colour by the sum of its code points, and a typed tag name
// becomes one stored tag: found when it exists (keeping its colour), else created, not saved.
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Model/TagPalette.h"
#include "Corvallen/Store/ModelContainer.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

TEST(TagPalette, TenColoursInOrder)
{
    const QStringList expected = {"#FF6B6B", "#FF922B", "#FAB005", "#82C91E", "#20C997",
                                  "#4DABF7", "#5C7CFA", "#9775FA", "#F06595", "#E64980"};
    EXPECT_EQ(tagPalette(), expected);
}

TEST(TagPalette, ColourGoesByCodePointSum)
{
    EXPECT_EQ(unicodeScalarSum(QStringLiteral("abc")), 294);
    EXPECT_EQ(paletteHex(QStringLiteral("abc")), QStringLiteral("#20C997"));
    EXPECT_EQ(paletteHex(QStringLiteral("A")), QStringLiteral("#4DABF7"));
    EXPECT_EQ(paletteHex(QStringLiteral("a")), QStringLiteral("#9775FA"));
    EXPECT_EQ(paletteHex(QStringLiteral("resistor")), QStringLiteral("#FF922B"));
    EXPECT_EQ(paletteHex(QString()), QStringLiteral("#FF6B6B"));
    // Precomposed é (233) and e + combining acute (101 + 769 = 870) are different names here.
    EXPECT_EQ(paletteHex(QString::fromUtf8("\u00e9")), QStringLiteral("#82C91E"));
    EXPECT_EQ(paletteHex(QString::fromUtf8("e\u0301")), QStringLiteral("#FF6B6B"));
    // Outside the basic plane a code point counts once, not as two UTF-16 units.
    EXPECT_EQ(unicodeScalarSum(QString::fromUtf8("\U0001F50C")), 0x1F50C);
    EXPECT_EQ(paletteColor(QStringLiteral("abc")), QColor(32, 201, 151));
}

class TagFindOrCreate : public testing::Test {
protected:
    void SetUp() override
    {
        m_path = corvallen::test::freshFolder(QStringLiteral("tags")) + QStringLiteral("/Corvallen.store");
        reopen();
    }
    void reopen()
    {
        m_container.reset();
        QString error;
        m_container = ModelContainer::open(m_path, corvallenSchema(), &error);
        ASSERT_TRUE(m_container) << error.toStdString();
        m_container->mainContext().setAutosaveEnabled(false);
    }
    ModelContext& context() { return m_container->mainContext(); }

    QString m_path;
    std::unique_ptr<ModelContainer> m_container;
};

TEST_F(TagFindOrCreate, CreatesWithPaletteColourAndFindsAgain)
{
    Tag* made = findOrCreateTag(QStringLiteral("resistor"), context());
    ASSERT_TRUE(made);
    EXPECT_EQ(made->name(), QStringLiteral("resistor"));
    EXPECT_EQ(made->colorHex(), QStringLiteral("#FF922B"));
    EXPECT_TRUE(made->captures().isEmpty());
    EXPECT_TRUE(context().hasChanges()) << "inserted but left for the caller to save";

    EXPECT_EQ(findOrCreateTag(QStringLiteral("resistor"), context()), made);
    EXPECT_EQ(context().fetchCount<Tag>(), 1);
}

TEST_F(TagFindOrCreate, StoredTagKeepsItsColourAndCaseMakesAnotherTag)
{
    Tag* stored = findOrCreateTag(QStringLiteral("resistor"), context());
    stored->setColorHex(QStringLiteral("#123456"));
    ASSERT_TRUE(context().save());
    reopen();

    Tag* found = findOrCreateTag(QStringLiteral("resistor"), context());
    EXPECT_EQ(found->colorHex(), QStringLiteral("#123456"));
    EXPECT_FALSE(context().hasChanges());

    Tag* capital = findOrCreateTag(QStringLiteral("Resistor"), context());
    EXPECT_NE(capital, found);
    EXPECT_EQ(capital->colorHex(), QStringLiteral("#E64980"));  // 891 - 32 = 859
    EXPECT_EQ(context().fetchCount<Tag>(), 2);

    // Not saved by the operation: reopening without a save drops it.
    reopen();
    EXPECT_EQ(context().fetchCount<Tag>(), 1);
}

TEST_F(TagFindOrCreate, NamesAreNotTrimmed)
{
    Tag* plain = findOrCreateTag(QStringLiteral("probe"), context());
    Tag* spaced = findOrCreateTag(QStringLiteral(" probe"), context());
    EXPECT_NE(plain, spaced);
    EXPECT_EQ(spaced->name(), QStringLiteral(" probe"));
}

}  // namespace
