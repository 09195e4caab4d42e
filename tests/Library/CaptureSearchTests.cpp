// The Library's search, kept ready between keystrokes: whatever is typed and however the store
// changes between two searches, it lists exactly what the plain filter over all captures,
// newest first, lists.
#include "Corvallen/Library/CaptureSearch.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/Tag.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>

using namespace LibraryFilter;

namespace {

const QDateTime kBase(QDate(2024, 6, 1), QTime(10, 0), Qt::UTC);

// The file names in list order, as one text (readable when a comparison fails).
std::string names(const QList<Capture*>& list)
{
    QStringList out;
    for (const Capture* c : list)
        out << c->fileName();
    return out.join(QLatin1Char(' ')).toStdString();
}

// Every search term and scope gives what the plain filter gives.
void expectSameAsFilter(CaptureSearch& search, const ModelContext& context, const char* when)
{
    const QStringList terms = {
        QString(), QStringLiteral("  "), QStringLiteral("r"), QStringLiteral("RIPPLE"), QStringLiteral(" probe "),
        QStringLiteral("ripple\tprobe"), QStringLiteral("dc v"), QStringLiteral("psu"), QStringLiteral("warm"),
        QStringLiteral("STRASSE"), QStringLiteral("straße"), QStringLiteral("ß"), QStringLiteral("İ"), QStringLiteral("i̇"),
        QStringLiteral("ΣΟΣ"), QStringLiteral("ς"), QStringLiteral("é"), QStringLiteral("🔥"), QStringLiteral("probe noise"),
        QString(QChar(0x1f)), QStringLiteral("a") + QChar(0x1f) + QStringLiteral("b"), QString(QChar(0xD83D)),
        QString(QChar::ReplacementCharacter), QStringLiteral("missing"),
    };
    for (const Scope scope : {Scope::all, Scope::unfiled})
        for (const QString& term : terms)
            EXPECT_EQ(names(search.results(scope, term)), names(filterCaptures(allCapturesNewestFirst(context), scope, term)))
                << when << ": \"" << term.toStdString() << "\" " << (scope == Scope::all ? "all" : "unfiled");
}

}  // namespace

TEST(CaptureSearch, ListsWhatThePlainFilterListsWhateverIsTypedAndChanged)
{
    auto store = corvallen::test::openTestStore();
    ModelContext& ctx = store->mainContext();
    Project* amp = ctx.insert(new Project(QStringLiteral("Amp"), {}, {}));
    Tag* warm = ctx.insert(new Tag(QStringLiteral("Warm-up"), QStringLiteral("#FF0000")));
    const QStringList titles = {QStringLiteral("Ripple Probe"), QStringLiteral("STRASSE 5"), QStringLiteral("Straße 6"),
                                QStringLiteral("İstanbul bench"), QStringLiteral("ΟΔΟΣ"), QStringLiteral("Café 🔥"),
                                QStringLiteral("a"), QStringLiteral("b")};
    QList<Capture*> captures;
    for (int i = 0; i < titles.size(); ++i) {
        Capture* c = ctx.insert(new Capture(QStringLiteral("c%1.png").arg(i)));
        c->setTitle(titles[i]);
        c->setImportedAt(kBase.addSecs(i == 3 ? 60 : i * 60));  // two share a date
        if (i % 2)
            c->setNotes(QStringLiteral("Bench PSU noise, probe %1").arg(i));
        if (i % 3 == 0)
            c->setMode(QStringLiteral("DC V"));
        if (i % 4 == 0)
            c->setProject(amp);
        if (i == 2)
            c->addTag(warm);
        captures << c;
    }
    Capture* undated = ctx.insert(new Capture);
    undated->setFileName(QStringLiteral("undated.png"));
    undated->setTitle(QStringLiteral("Ripple without a date"));

    CaptureSearch search(ctx);
    expectSameAsFilter(search, ctx, "as made");
    // Newest first, equal dates in store order, no date last.
    EXPECT_EQ(names(search.results(Scope::all, {})), "c7.png c6.png c5.png c4.png c2.png c1.png c3.png c0.png undated.png");

    captures[0]->setTitle(QStringLiteral("Warm start"));
    expectSameAsFilter(search, ctx, "after a rename");
    captures[5]->addTag(warm);
    captures[1]->removeTag(warm);
    expectSameAsFilter(search, ctx, "after tagging");
    warm->setName(QStringLiteral("Cold"));
    expectSameAsFilter(search, ctx, "after a tag rename");
    ctx.deleteObject(captures[6]);
    captures[2]->setProject(nullptr);
    captures[3]->setProject(amp);
    expectSameAsFilter(search, ctx, "after a deletion and filing");
    Capture* fresh = ctx.insert(new Capture(QStringLiteral("fresh.png")));
    fresh->setTitle(QStringLiteral("Ripple again"));
    fresh->setImportedAt(kBase.addDays(1));
    captures[7]->setImportedAt(kBase.addDays(-1));
    expectSameAsFilter(search, ctx, "after an insert and a new date");
    EXPECT_EQ(search.results(Scope::all, QStringLiteral("ripple")).value(0), fresh);
    ASSERT_TRUE(ctx.save());
    captures[4]->setTitle(QStringLiteral("Changed, then taken back"));
    ctx.deleteObject(warm);
    ctx.rollback();
    expectSameAsFilter(search, ctx, "after a rollback");
    ctx.deleteObject(warm);
    expectSameAsFilter(search, ctx, "after deleting a tag");
}
