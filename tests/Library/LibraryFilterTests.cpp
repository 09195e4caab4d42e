// What the Library lists for its scope and search, and the mode it keeps across launches.
#include "Corvallen/Library/LibraryFilter.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "support/TestEnvironment.h"
#include "support/TestStore.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace LibraryFilter;

namespace {

QStringList titles(const QList<Capture*>& list)
{
    QStringList out;
    for (const Capture* c : list)
        out << c->title();
    return out;
}

}  // namespace

TEST(LibraryFilter, CaptureSearchAndScope)
{
    auto container = corvallen::test::openTestStore();
    ModelContext& context = container->mainContext();
    Project* project = context.insert(new Project(QStringLiteral("Amp"), {}, {}));
    auto* a = context.insert(new Capture(QStringLiteral("a.png")));
    a->setTitle(QStringLiteral("Ripple Probe"));
    auto* b = context.insert(new Capture(QStringLiteral("b.png")));
    b->setTitle(QStringLiteral("second"));
    b->setNotes(QStringLiteral("Bench PSU noise"));
    b->setProject(project);
    auto* c = context.insert(new Capture(QStringLiteral("c.png")));
    c->setTitle(QStringLiteral("third"));
    c->setMode(QStringLiteral("AC Voltage"));
    auto* d = context.insert(new Capture(QStringLiteral("d.png")));
    d->setTitle(QStringLiteral("fourth"));
    d->setTags({context.insert(new Tag(QStringLiteral("mains"), QStringLiteral("#FF6B6B")))});
    const QList<Capture*> all = {a, b, c, d};

    EXPECT_EQ(filterCaptures(all, Scope::all, QString()).size(), 4);
    EXPECT_EQ(titles(filterCaptures(all, Scope::unfiled, QString())), QStringList({"Ripple Probe", "third", "fourth"}));
    // Case and surrounding spaces and tabs make no difference; the order is the list's.
    EXPECT_EQ(titles(filterCaptures(all, Scope::all, QStringLiteral("  \tPROBE "))), QStringList({"Ripple Probe"}));
    EXPECT_EQ(titles(filterCaptures(all, Scope::all, QStringLiteral("noise"))), QStringList({"second"}));
    EXPECT_TRUE(filterCaptures(all, Scope::unfiled, QStringLiteral("noise")).isEmpty());
    EXPECT_EQ(titles(filterCaptures(all, Scope::all, QStringLiteral("ac volt"))), QStringList({"third"}));
    EXPECT_EQ(titles(filterCaptures(all, Scope::all, QStringLiteral("main"))), QStringList({"fourth"}));
    EXPECT_TRUE(filterCaptures(all, Scope::all, QStringLiteral("zzz")).isEmpty());
    // A line break is part of the term, not trimmed.
    EXPECT_TRUE(filterCaptures(all, Scope::all, QStringLiteral("third\n")).isEmpty());
    // Turkish capital İ and dotless ı are found by a plain i.
    d->setNotes(QStringLiteral("İSTASYON ışığı"));
    EXPECT_EQ(titles(filterCaptures(all, Scope::all, QStringLiteral("istasyon"))), QStringList({"fourth"}));
    EXPECT_EQ(titles(filterCaptures(all, Scope::all, QStringLiteral("IŞIĞI"))), QStringList({"fourth"}));
}

TEST(LibraryFilter, DocumentSearchFindsTypeLabelsAndTags)
{
    auto container = corvallen::test::openTestStore();
    ModelContext& context = container->mainContext();
    auto* manual = context.insert(new Document(QStringLiteral("m.pdf"), QStringLiteral("Scope handbook")));
    manual->setType(DocType::serviceManual);
    auto* sheet = context.insert(new Document(QStringLiteral("s.pdf"), QStringLiteral("LM317")));
    sheet->setType(DocType::datasheet);
    sheet->setTags(QStringLiteral(" Regulator , power"));
    Project* project = context.insert(new Project(QStringLiteral("PSU"), {}, {}));
    context.insert(new ProjectDocument(sheet, project));
    const QList<Document*> all = {manual, sheet};

    ASSERT_EQ(filterDocuments(all, Scope::all, QStringLiteral("manual")).size(), 1);
    EXPECT_EQ(filterDocuments(all, Scope::all, QStringLiteral("manual")).first(), manual);
    EXPECT_EQ(filterDocuments(all, Scope::all, QStringLiteral("REGUL")).value(0), sheet);
    manual->setTitle(QStringLiteral("DİJİTAL osiloskop"));
    EXPECT_EQ(filterDocuments(all, Scope::all, QStringLiteral("dijital")).value(0), manual);
    EXPECT_EQ(filterDocuments(all, Scope::unfiled, QString()), QList<Document*>({manual}));
}

TEST(LibraryFilter, ModeIsKeptInSettingsAndUnknownValuesMeanCaptures)
{
    SettingsStore settings(QDir(corvallen::test::freshFolder()).filePath(QStringLiteral("s.json")));
    EXPECT_EQ(storedMode(settings), Mode::captures);
    storeMode(Mode::documents, settings);
    EXPECT_EQ(settings.textValue(QStringLiteral("libraryMode")), QStringLiteral("Documents"));
    EXPECT_EQ(storedMode(settings), Mode::documents);
    settings.setText(QStringLiteral("libraryMode"), QStringLiteral("documents"));
    EXPECT_EQ(storedMode(settings), Mode::captures);
    EXPECT_EQ(captureEmptyMessage(Scope::all), QStringLiteral("Add a storage device in Devices to sync captures."));
    EXPECT_EQ(captureEmptyMessage(Scope::unfiled), QStringLiteral("No unfiled captures — everything is filed to a project."));
}
