// The five term lists kept in step with the components' term fields: listing, find-or-create,
// seeding, counting, deleting and renaming, with names matched case-insensitively in the
// user's locale.
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "support/TestStore.h"

#include <QLocale>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvallen::test;
using ::testing::ElementsAre;

namespace {

class TaxonomyTermTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = openTestStore();
        ASSERT_TRUE(store);
        QObject::connect(&ctx(), &ModelContext::didSave, [this] { ++saves; });
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
    ModelContext& ctx() { return store->mainContext(); }

    TaxonomyTerm* term(TermKind kind, const QString& name, const std::optional<QString>& parent = std::nullopt)
    {
        return ctx().insert(new TaxonomyTerm(kind, name, parent));
    }
    Component* component(const QString& name, std::initializer_list<std::pair<TermKind, QString>> fields)
    {
        Component* c = ctx().insert(new Component(name));
        for (const auto& [kind, value] : fields)
            c->setValue(value, kind);
        return c;
    }
    QStringList names(TermKind kind)
    {
        QStringList out;
        for (TaxonomyTerm* t : TaxonomyTerm::terms(kind, ctx()))
            out << t->name();
        return out;
    }
    void saveNow() { ASSERT_TRUE(ctx().save()); saves = 0; }

    std::unique_ptr<ModelContainer> store;
    int saves = 0;
};

TEST_F(TaxonomyTermTest, AListHoldsItsKindOnlyInLocaleOrderIncludingUnsavedTerms)
{
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    term(TermKind::manufacturer, QStringLiteral("texas"));
    term(TermKind::manufacturer, QStringLiteral("Analog"));
    term(TermKind::manufacturer, QStringLiteral("Ämter"));
    term(TermKind::manufacturer, QStringLiteral("bourns"));
    term(TermKind::category, QStringLiteral("Zener"));
    TaxonomyTerm* odd = term(TermKind::category, QStringLiteral("Odd"));
    odd->setKindRaw(QStringLiteral("Category"));  // matches no kind
    EXPECT_THAT(names(TermKind::manufacturer), ElementsAre(QStringLiteral("Ämter"), QStringLiteral("Analog"), QStringLiteral("bourns"),
                                                           QStringLiteral("texas")));
    EXPECT_THAT(names(TermKind::category), ElementsAre(QStringLiteral("Zener")));
    for (TermKind k : TermKinds::allCases())
        EXPECT_FALSE(names(k).contains(QStringLiteral("Odd")));
}

TEST_F(TaxonomyTermTest, FindOrCreateNeedsANonBlankName)
{
    EXPECT_EQ(TaxonomyTerm::findOrCreate(std::nullopt, TermKind::category, std::nullopt, ctx()), nullptr);
    EXPECT_EQ(TaxonomyTerm::findOrCreate(QString(), TermKind::category, std::nullopt, ctx()), nullptr);
    EXPECT_EQ(TaxonomyTerm::findOrCreate(QStringLiteral(" \t\n "), TermKind::category, QStringLiteral("P"), ctx()), nullptr);
    EXPECT_EQ(ctx().fetchCount<TaxonomyTerm>(), 0);
}

TEST_F(TaxonomyTermTest, FindOrCreateMatchesWithinOneKindIgnoringCase)
{
    TaxonomyTerm* resistors = term(TermKind::category, QStringLiteral("Resistors"));
    saveNow();
    EXPECT_EQ(TaxonomyTerm::findOrCreate(QStringLiteral(" resistors "), TermKind::category, std::nullopt, ctx()), resistors);
    EXPECT_EQ(resistors->name(), QStringLiteral("Resistors")) << "the first written form stays";

    const QDateTime before = QDateTime::currentDateTimeUtc();
    TaxonomyTerm* maker = TaxonomyTerm::findOrCreate(QStringLiteral(" resistors "), TermKind::manufacturer, QStringLiteral("  "), ctx());
    ASSERT_NE(maker, nullptr);
    EXPECT_NE(maker, resistors);
    EXPECT_EQ(maker->kindRaw(), QStringLiteral("manufacturer"));
    EXPECT_EQ(maker->name(), QStringLiteral("resistors"));
    EXPECT_FALSE(maker->parent().has_value());
    EXPECT_FALSE(maker->notes().has_value());
    EXPECT_GE(maker->createdAt(), before);
    EXPECT_TRUE(ctx().hasChanges()) << "find-or-create leaves saving to its caller";
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(TaxonomyTerm::findOrCreate(QStringLiteral("RESISTORS"), TermKind::manufacturer, std::nullopt, ctx()), maker)
        << "an unsaved term is found too";
}

// The same maker pasted from a web page (a no-break space) or typed with a double blank is no
// second term, and its parts count, rename and clear with the term.
TEST_F(TaxonomyTermTest, BlanksInsideANameCountAsOneSpace)
{
    TaxonomyTerm* ti = term(TermKind::manufacturer, QStringLiteral("Texas Instruments"));
    Component* pasted = component(QStringLiteral("a"), {{TermKind::manufacturer, QStringLiteral("Texas\u00A0Instruments")}});
    component(QStringLiteral("b"), {{TermKind::manufacturer, QStringLiteral("texas  instruments")}});
    component(QStringLiteral("c"), {{TermKind::manufacturer, QStringLiteral("TexasInstruments")}});
    EXPECT_EQ(TaxonomyTerm::findOrCreate(QStringLiteral("Texas\t Instruments"), TermKind::manufacturer, std::nullopt, ctx()), ti);
    TaxonomyTerm::seedFromComponents(ctx());
    EXPECT_EQ(names(TermKind::manufacturer), (QStringList{"Texas Instruments", "TexasInstruments"}));
    EXPECT_EQ(ti->usageCount(ctx()), 2);
    TaxonomyTerm::rename(ti, QStringLiteral("TI"), ctx());
    EXPECT_EQ(pasted->manufacturer(), QStringLiteral("TI"));
    EXPECT_EQ(ti->usageCount(ctx()), 2);
}

TEST_F(TaxonomyTermTest, FindOrCreateFillsOnlyAMissingParent)
{
    TaxonomyTerm* film = term(TermKind::subcategory, QStringLiteral("Film"));
    TaxonomyTerm::findOrCreate(QStringLiteral("film"), TermKind::subcategory, QStringLiteral("   "), ctx());
    EXPECT_FALSE(film->parent().has_value());
    TaxonomyTerm::findOrCreate(QStringLiteral("film"), TermKind::subcategory, QStringLiteral("  Passives \n"), ctx());
    EXPECT_EQ(film->parent(), QStringLiteral("Passives"));
    TaxonomyTerm::findOrCreate(QStringLiteral("FILM"), TermKind::subcategory, QStringLiteral("Actives"), ctx());
    EXPECT_EQ(film->parent(), QStringLiteral("Passives"));
    TaxonomyTerm* emptyParent = term(TermKind::bin, QStringLiteral("A1"), QString());
    TaxonomyTerm::findOrCreate(QStringLiteral("a1"), TermKind::bin, QStringLiteral("Shelf"), ctx());
    EXPECT_EQ(emptyParent->parent(), QString()) << "an empty parent is still a parent";
    TaxonomyTerm* made = TaxonomyTerm::findOrCreate(QStringLiteral(" Ceramic "), TermKind::subcategory, QStringLiteral(" Passives "), ctx());
    EXPECT_EQ(made->name(), QStringLiteral("Ceramic"));
    EXPECT_EQ(made->parent(), QStringLiteral("Passives"));
}

TEST_F(TaxonomyTermTest, SeedingCreatesOneTermPerNameFromTheFirstComponentAndSavesOnce)
{
    component(QStringLiteral("u1"), {{TermKind::category, QStringLiteral("ICs")}, {TermKind::subcategory, QStringLiteral("Op-amps")}});
    component(QStringLiteral("u2"), {{TermKind::category, QStringLiteral("ics")}, {TermKind::manufacturer, QStringLiteral(" ")}});
    Component* c3 = component(QStringLiteral("r1"), {{TermKind::location, QStringLiteral("Drawer 3")}});
    c3->setBin(QStringLiteral("A1"));
    saveNow();

    TaxonomyTerm::seedFromComponents(ctx());
    EXPECT_THAT(names(TermKind::category), ElementsAre(QStringLiteral("ICs")));
    EXPECT_THAT(names(TermKind::manufacturer), ElementsAre());
    EXPECT_THAT(names(TermKind::location), ElementsAre(QStringLiteral("Drawer 3")));
    ASSERT_EQ(TaxonomyTerm::terms(TermKind::bin, ctx()).size(), 1);
    EXPECT_EQ(TaxonomyTerm::terms(TermKind::bin, ctx())[0]->parent(), QStringLiteral("Drawer 3"));
    EXPECT_EQ(TaxonomyTerm::terms(TermKind::subcategory, ctx())[0]->parent(), QStringLiteral("ICs"));
    EXPECT_EQ(saves, 1);
    EXPECT_FALSE(ctx().hasChanges());

    // Nothing new: no save, even when a parent gets filled in.
    TaxonomyTerm::terms(TermKind::subcategory, ctx())[0]->setParent(std::nullopt);
    TaxonomyTerm::seedFromComponents(ctx());
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(TaxonomyTerm::terms(TermKind::subcategory, ctx())[0]->parent(), QStringLiteral("ICs"));
    EXPECT_TRUE(ctx().hasChanges());
}

TEST_F(TaxonomyTermTest, SeedingWithoutUsableValuesSavesNothing)
{
    TaxonomyTerm::seedFromComponents(ctx());
    Component* c = ctx().insert(new Component(QStringLiteral("blank")));
    c->setCategory(QStringLiteral("  "));
    TaxonomyTerm::seedFromComponents(ctx());
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(ctx().fetchCount<TaxonomyTerm>(), 0);
}

// A value with a stray blank around it (typed, and left so by closing the inspector without
// Done) is still a use of the term: the term manager must not call it unused, then miss it when
// the term is renamed or deleted.
TEST_F(TaxonomyTermTest, UsageCountMatchesNamesIgnoringCaseAndStrayBlanks)
{
    TaxonomyTerm* r = term(TermKind::category, QStringLiteral("Resistors"));
    component(QStringLiteral("a"), {{TermKind::category, QStringLiteral("resistors")}});
    component(QStringLiteral("b"), {{TermKind::category, QStringLiteral("RESISTORS")}});
    ctx().insert(new Component(QStringLiteral("c")))->setCategory(QStringLiteral(" Resistors"));
    component(QStringLiteral("d"), {{TermKind::manufacturer, QStringLiteral("Resistors")}});
    component(QStringLiteral("e"), {{TermKind::category, QStringLiteral("Resistor")}});
    EXPECT_EQ(r->usageCount(ctx()), 3);

    r->setKindRaw(QStringLiteral("nonsense"));  // counts as a category
    EXPECT_EQ(r->usageCount(ctx()), 3);
}

TEST_F(TaxonomyTermTest, DeletingACategoryClearsComponentsAndOrphansSubcategories)
{
    TaxonomyTerm* passives = term(TermKind::category, QStringLiteral("Passives"));
    TaxonomyTerm* film = term(TermKind::subcategory, QStringLiteral("Film"), QStringLiteral("passives"));
    TaxonomyTerm* other = term(TermKind::subcategory, QStringLiteral("Logic"), QStringLiteral("Actives"));
    Component* a = component(QStringLiteral("a"), {{TermKind::category, QStringLiteral("PASSIVES")}, {TermKind::subcategory, QStringLiteral("Film")}});
    Component* b = component(QStringLiteral("b"), {{TermKind::category, QStringLiteral("Actives")}});
    const QDateTime old = QDateTime::fromMSecsSinceEpoch(0, Qt::UTC);
    a->setUpdatedAt(old);
    b->setUpdatedAt(old);
    saveNow();

    TaxonomyTerm::deleteTerm(passives, ctx());
    EXPECT_TRUE(passives->isDeleted());
    EXPECT_FALSE(a->category().has_value());
    EXPECT_GT(a->updatedAt(), old);
    EXPECT_EQ(a->subcategory(), QStringLiteral("Film"));
    EXPECT_EQ(b->category(), QStringLiteral("Actives"));
    EXPECT_EQ(b->updatedAt(), old);
    EXPECT_FALSE(film->isDeleted());
    EXPECT_FALSE(film->parent().has_value());
    EXPECT_EQ(other->parent(), QStringLiteral("Actives"));
    EXPECT_EQ(saves, 1);
    EXPECT_FALSE(ctx().hasChanges());
}

TEST_F(TaxonomyTermTest, DeletingAManufacturerOrBinTouchesNoOtherTerm)
{
    TaxonomyTerm* ti = term(TermKind::manufacturer, QStringLiteral("TI"));
    TaxonomyTerm* bin = term(TermKind::bin, QStringLiteral("A1"), QStringLiteral("TI"));
    TaxonomyTerm* cat = term(TermKind::category, QStringLiteral("TI"));
    Component* c = component(QStringLiteral("c"), {{TermKind::manufacturer, QStringLiteral("ti")}, {TermKind::bin, QStringLiteral("A1")},
                                                   {TermKind::category, QStringLiteral("TI")}});
    TaxonomyTerm::deleteTerm(ti, ctx());
    EXPECT_EQ(bin->parent(), QStringLiteral("TI"));
    EXPECT_FALSE(c->manufacturer().has_value());
    EXPECT_EQ(c->category(), QStringLiteral("TI"));
    TaxonomyTerm::deleteTerm(bin, ctx());
    EXPECT_FALSE(c->bin().has_value());
    EXPECT_FALSE(cat->isDeleted());
}

TEST_F(TaxonomyTermTest, RenamingALocationRewritesComponentsAndBins)
{
    TaxonomyTerm* shelf = term(TermKind::location, QStringLiteral("Shelf"));
    TaxonomyTerm* bin = term(TermKind::bin, QStringLiteral("B2"), QStringLiteral("SHELF"));
    TaxonomyTerm* elsewhere = term(TermKind::bin, QStringLiteral("B3"), QStringLiteral("Attic"));
    Component* a = component(QStringLiteral("a"), {{TermKind::location, QStringLiteral("shelf")}});
    Component* b = component(QStringLiteral("b"), {{TermKind::location, QStringLiteral("Attic")}});
    saveNow();

    TaxonomyTerm::rename(shelf, QStringLiteral("  Cabinet \n"), ctx());
    EXPECT_EQ(shelf->name(), QStringLiteral("Cabinet"));
    EXPECT_EQ(a->location(), QStringLiteral("Cabinet"));
    EXPECT_EQ(b->location(), QStringLiteral("Attic"));
    EXPECT_EQ(bin->parent(), QStringLiteral("Cabinet"));
    EXPECT_EQ(elsewhere->parent(), QStringLiteral("Attic"));
    EXPECT_EQ(saves, 1);
}

TEST_F(TaxonomyTermTest, ACaseOnlyOrBlankRenameChangesNothing)
{
    TaxonomyTerm* r = term(TermKind::category, QStringLiteral("resistors"));
    Component* c = component(QStringLiteral("c"), {{TermKind::category, QStringLiteral("resistors")}});
    saveNow();
    TaxonomyTerm::rename(r, QStringLiteral("Resistors"), ctx());
    TaxonomyTerm::rename(r, QStringLiteral(" \n"), ctx());
    EXPECT_EQ(r->name(), QStringLiteral("resistors"));
    EXPECT_EQ(c->category(), QStringLiteral("resistors"));
    EXPECT_EQ(saves, 0);
    EXPECT_FALSE(ctx().hasChanges());
}

// Two entries for one name would split its parts between them, and deleting the stray one
// would clear the category of every part of both: a rename onto a name the kind already has
// merges into that term.
TEST_F(TaxonomyTermTest, ARenameOntoAnotherTermsNameMergesIntoIt)
{
    TaxonomyTerm* ti = term(TermKind::manufacturer, QStringLiteral("TI"));
    TaxonomyTerm* texas = term(TermKind::manufacturer, QStringLiteral("Texas Instruments"));
    TaxonomyTerm* murata = term(TermKind::manufacturer, QStringLiteral("Murata"));
    Component* a = component(QStringLiteral("a"), {{TermKind::manufacturer, QStringLiteral("ti")}});
    Component* b = component(QStringLiteral("b"), {{TermKind::manufacturer, QStringLiteral("Texas Instruments")}});
    saveNow();
    EXPECT_EQ(TaxonomyTerm::rename(ti, QStringLiteral(" texas instruments "), ctx()), texas);
    EXPECT_TRUE(ti->isDeleted());
    EXPECT_EQ(names(TermKind::manufacturer), (QStringList{"Murata", "Texas Instruments"}));
    EXPECT_EQ(a->manufacturer(), QStringLiteral("Texas Instruments")) << "the parts take the existing spelling";
    EXPECT_EQ(b->manufacturer(), QStringLiteral("Texas Instruments"));
    EXPECT_EQ(texas->usageCount(ctx()), 2);
    EXPECT_FALSE(ctx().hasChanges());
    EXPECT_EQ(murata->usageCount(ctx()), 0);

    // A category merge carries its subcategories along; the kept term takes the merged one's
    // parent only when it has none. Terms of another kind with the name are no match.
    TaxonomyTerm* caps = term(TermKind::category, QStringLiteral("Caps"));
    TaxonomyTerm* capacitors = term(TermKind::category, QStringLiteral("Capacitors"));
    term(TermKind::subcategory, QStringLiteral("Caps"));
    TaxonomyTerm* ceramic = term(TermKind::subcategory, QStringLiteral("Ceramic"), QStringLiteral("caps"));
    TaxonomyTerm* shelfA1 = term(TermKind::bin, QStringLiteral("A1"), QStringLiteral("Shelf"));
    TaxonomyTerm* a1 = term(TermKind::bin, QStringLiteral("a1"));
    Component* c = component(QStringLiteral("c"), {{TermKind::category, QStringLiteral("Caps")}, {TermKind::subcategory, QStringLiteral("Ceramic")}});
    EXPECT_EQ(TaxonomyTerm::rename(caps, QStringLiteral("CAPACITORS"), ctx()), capacitors);
    EXPECT_EQ(c->category(), QStringLiteral("Capacitors"));
    EXPECT_EQ(c->subcategory(), QStringLiteral("Ceramic"));
    EXPECT_EQ(ceramic->parent(), QStringLiteral("Capacitors"));
    EXPECT_EQ(names(TermKind::subcategory), (QStringList{"Caps", "Ceramic"}));
    EXPECT_EQ(TaxonomyTerm::rename(a1, QStringLiteral("A2"), ctx()), a1);
    EXPECT_EQ(TaxonomyTerm::rename(shelfA1, QStringLiteral("a2"), ctx()), a1);
    EXPECT_EQ(a1->parent(), QStringLiteral("Shelf"));
    EXPECT_EQ(names(TermKind::bin), QStringList{"A2"});
}

TEST_F(TaxonomyTermTest, ATermOfUnknownKindIsHandledAsACategory)
{
    TaxonomyTerm* odd = term(TermKind::category, QStringLiteral("Caps"));
    odd->setKindRaw(QStringLiteral("Category"));
    TaxonomyTerm* child = term(TermKind::subcategory, QStringLiteral("Ceramic"), QStringLiteral("Caps"));
    Component* c = component(QStringLiteral("c"), {{TermKind::category, QStringLiteral("caps")}});
    TaxonomyTerm::rename(odd, QStringLiteral("Capacitors"), ctx());
    EXPECT_EQ(c->category(), QStringLiteral("Capacitors"));
    EXPECT_EQ(child->parent(), QStringLiteral("Capacitors"));
    TaxonomyTerm::deleteTerm(odd, ctx());
    EXPECT_FALSE(c->category().has_value());
    EXPECT_FALSE(child->parent().has_value());
}

TEST_F(TaxonomyTermTest, MatchingFollowsTheUsersLocale)
{
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    EXPECT_TRUE(TaxonomyTerm::namesMatch(QStringLiteral("ÄRGER"), QStringLiteral("ärger")));
    EXPECT_FALSE(TaxonomyTerm::namesMatch(QStringLiteral("Résistor"), QStringLiteral("Resistor"))) << "accents count";
    EXPECT_TRUE(TaxonomyTerm::namesMatch(QStringLiteral("Caf\u00E9"), QStringLiteral("CAFE\u0301"))) << "composed and decomposed forms";
    EXPECT_TRUE(TaxonomyTerm::namesMatch(QStringLiteral("ICs"), QStringLiteral("ics")));
    EXPECT_TRUE(TaxonomyTerm::namesMatch(QStringLiteral("DIODE"), QStringLiteral("diode")));

    // In Turkish the capital of "i" is "İ" and the capital "I" belongs to dotless "ı".
    QLocale::setDefault(QLocale(QStringLiteral("tr_TR")));
    EXPECT_TRUE(TaxonomyTerm::namesMatch(QStringLiteral("DİYOT"), QStringLiteral("diyot")));
    EXPECT_TRUE(TaxonomyTerm::namesMatch(QStringLiteral("KIRMIZI"), QStringLiteral("kırmızı")));
    EXPECT_FALSE(TaxonomyTerm::namesMatch(QStringLiteral("DIODE"), QStringLiteral("diode")));

    // Without a language (C or POSIX) the composed and decomposed forms of one name still
    // match, and letter case still doesn't count.
    QLocale::setDefault(QLocale::c());
    EXPECT_TRUE(TaxonomyTerm::namesMatch(QStringLiteral("Caf\u00E9"), QStringLiteral("CAFE\u0301")));
    EXPECT_TRUE(TaxonomyTerm::namesMatch(QStringLiteral("Ärger"), QStringLiteral("A\u0308RGER")));
    EXPECT_FALSE(TaxonomyTerm::namesMatch(QStringLiteral("Résistor"), QStringLiteral("Resistor")));

    // Find-or-create uses the same rule.
    QLocale::setDefault(QLocale(QStringLiteral("tr_TR")));
    term(TermKind::category, QStringLiteral("Kırmızı"));
    EXPECT_EQ(TaxonomyTerm::findOrCreate(QStringLiteral("KIRMIZI"), TermKind::category, std::nullopt, ctx())->name(), QStringLiteral("Kırmızı"));
}

}  // namespace
