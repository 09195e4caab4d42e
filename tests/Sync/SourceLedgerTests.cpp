// The file a location's syncs keep about its files: what a stored entry must hold to be trusted,
// and keys that survive being written and read back.
#include "Corvallen/Sync/SourceLedger.h"

#include "Sync/SyncTestKit.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace synctest;

namespace {

struct StoredEntry {
    const char* name;
    QByteArray json;  // the value stored under the file's key
    bool kept;
};

class LedgerEntries : public ::testing::TestWithParam<StoredEntry> {};

TEST_P(LedgerEntries, OnlyEntriesWithNumbersInRangeAreTrusted)
{
    const QString id = QStringLiteral("ledger-entries");
    QDir().mkpath(QFileInfo(SourceLedger::fileFor(id)).absolutePath());
    writeFile(SourceLedger::fileFor(id), "{\"files\":{\"DCIM/a.png\":" + GetParam().json + "}}");
    EXPECT_EQ(SourceLedger::load(id).entries().contains(QStringLiteral("DCIM/a.png")), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Ledger, LedgerEntries,
    ::testing::Values(
        StoredEntry{"hashed", R"({"size":12,"modified":1700000000000,"hash":"ab"})", true},
        StoredEntry{"unreadable", R"({"size":0,"modified":-5,"unreadable":true})", true},
        StoredEntry{"negativeSize", R"({"size":-1,"modified":1,"hash":"ab"})", false},
        StoredEntry{"hugeSize", R"({"size":1e300,"modified":1,"hash":"ab"})", false},
        StoredEntry{"hugeTime", R"({"size":1,"modified":1e300,"hash":"ab"})", false},
        StoredEntry{"hugeNegativeTime", R"({"size":1,"modified":-1e19,"hash":"ab"})", false},
        StoredEntry{"timeAsText", R"({"size":1,"modified":"soon","hash":"ab"})", false},
        StoredEntry{"noTime", R"({"size":1,"hash":"ab"})", false},
        StoredEntry{"noHash", R"({"size":1,"modified":1})", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Ledger, KeysAndHashesSurviveWritingAndReading)
{
    const QString folder = corvallen::test::freshFolder();
    writeFile(folder + QStringLiteral("/x"), "data");
    const QFileInfo info(folder + QStringLiteral("/x"));
    const QStringList keys{QStringLiteral("plain.png"), QStringLiteral("quote\"back\\slash.png"),
                           QStringLiteral("tab\tnew\nline\x01.png"), QStringLiteral("\u00fcml\u00e4ut/\u65e5\u672c.png"),
                           QStringLiteral("\U0001F600.png")};
    SourceLedger ledger = SourceLedger::load(QStringLiteral("ledger-keys"));
    for (const QString& key : keys)
        ledger.recordHash(key, info, key + QStringLiteral("#hash"));
    ledger.recordUnreadable(QStringLiteral("bad.jpg"), info);
    ledger.save();

    const SourceLedger back = SourceLedger::load(QStringLiteral("ledger-keys"));
    EXPECT_EQ(back.entries().size(), keys.size() + 1);
    for (const QString& key : keys) {
        EXPECT_TRUE(back.isSettled(key, info, {key + QStringLiteral("#hash")})) << key.toStdString();
        EXPECT_EQ(back.entries().value(key).size, 4);
    }
    EXPECT_TRUE(back.isSettled(QStringLiteral("bad.jpg"), info, {}));
}

}  // namespace
