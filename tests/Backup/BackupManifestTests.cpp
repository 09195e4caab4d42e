#include "Corvallen/Backup/BackupManifest.h"
#include "Corvallen/Backup/BackupSelection.h"
#include "Corvallen/Backup/RestoreSummary.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

std::optional<BackupManifest> decode(const char* json) { return BackupManifest::fromJson(QByteArray(json)); }

TEST(BackupManifest, ReadsWithOnlyTheRequiredKeysAndIgnoresUnknownOnes)
{
    const auto m = decode(R"({"schemaVersion":1,"createdAt":"2025-03-01T09:30:00Z","appVersion":"1.2",
                              "counts":{"projects":3},"somethingNew":[1,2],"AppVersion":"ignored"})");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->schemaVersion, 1);
    EXPECT_EQ(m->createdAt, QDateTime(QDate(2025, 3, 1), QTime(9, 30, 0), Qt::UTC));
    EXPECT_EQ(m->appVersion, QStringLiteral("1.2"));
    EXPECT_FALSE(m->exportedBy);
    EXPECT_FALSE(m->appBuild);
    EXPECT_FALSE(m->buildChannel);
    EXPECT_FALSE(m->osVersion);
    EXPECT_EQ(m->counts.value(QStringLiteral("projects")), 3);
}

TEST(BackupManifest, RefusesMissingOrMistypedRequiredKeys)
{
    EXPECT_FALSE(decode(R"({"schemaVersion":1,"appVersion":"1","counts":{}})"));                               // no createdAt
    EXPECT_FALSE(decode(R"({"schemaVersion":1,"createdAt":"2025-03-01T09:30:00Z","appVersion":"1"})"));        // no counts
    EXPECT_FALSE(decode(R"({"schemaVersion":"1","createdAt":"2025-03-01T09:30:00Z","appVersion":"1","counts":{}})"));
    EXPECT_FALSE(decode(R"({"schemaVersion":1.5,"createdAt":"2025-03-01T09:30:00Z","appVersion":"1","counts":{}})"));
    EXPECT_FALSE(decode(R"({"schemaVersion":1,"createdAt":"2025-03-01T09:30:00.250Z","appVersion":"1","counts":{}})"));
    EXPECT_FALSE(decode(R"({"schemaVersion":1,"createdAt":"2025-03-01 09:30:00","appVersion":"1","counts":{}})"));
    EXPECT_FALSE(decode("{\"schemaVersion\":1,\"createdAt\":\"2025-03-01T09:30:00Z\\n\",\"appVersion\":\"1\",\"counts\":{}}"));
    EXPECT_FALSE(decode(R"({"schemaVersion":1,"createdAt":"２025-03-01T09:30:00Z","appVersion":"1","counts":{}})"));
    EXPECT_FALSE(decode(R"({"schemaVersion":1,"createdAt":"2025-03-01T09:30:00Z","appVersion":"1","counts":{"x":"2"}})"));
    EXPECT_FALSE(decode(R"({"schemaVersion":1,"createdAt":"2025-03-01T09:30:00Z","appVersion":null,"counts":{}})"));
    EXPECT_FALSE(decode(R"([])"));
    EXPECT_FALSE(decode("not json"));
}

TEST(BackupManifest, NullOptionalTextsReadAsAbsentAndOffsetsAreHonoured)
{
    const auto m = decode(R"({"schemaVersion":1,"createdAt":"2025-03-01T10:30:00+01:00","appVersion":"1",
                              "exportedBy":null,"counts":{}})");
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->exportedBy);
    EXPECT_EQ(m->createdAt, QDateTime(QDate(2025, 3, 1), QTime(9, 30, 0), Qt::UTC));
}

TEST(BackupManifest, WritesWholeSecondsInUtcAndLeavesAbsentFieldsOut)
{
    BackupManifest m;
    m.createdAt = QDateTime(QDate(2025, 3, 1), QTime(10, 30, 0, 750), QTimeZone(3600));
    m.appVersion = QStringLiteral("1.0");
    m.appBuild = QStringLiteral("42");
    m.counts.insert(QStringLiteral("settings"), 1);
    const QByteArray json = m.toJson();
    EXPECT_TRUE(json.contains("\"createdAt\": \"2025-03-01T09:30:00Z\"")) << json.constData();
    EXPECT_FALSE(json.contains("exportedBy"));
    EXPECT_FALSE(json.contains("null"));
    const auto back = BackupManifest::fromJson(json);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->appBuild, QStringLiteral("42"));
    EXPECT_EQ(back->createdAt, QDateTime(QDate(2025, 3, 1), QTime(9, 30, 0), Qt::UTC));
}

TEST(BackupManifest, OffersASectionForEveryCountKeyWhateverItsValue)
{
    BackupManifest m;
    EXPECT_TRUE(m.availableSelection().isEmpty());
    m.counts.insert(QStringLiteral("settings"), 0);
    m.counts.insert(QStringLiteral("files"), 7);
    m.counts.insert(QStringLiteral("tags"), 4);  // not a section
    const BackupSelection expected{false, false, false, true, true};
    EXPECT_EQ(m.availableSelection(), expected);
}

TEST(RestoreSummary, Texts)
{
    EXPECT_EQ(RestoreSummary{}.description(), QStringLiteral("Nothing restored."));
    EXPECT_EQ((RestoreSummary{2, 14, 0, 0, true, 0}).description(), QStringLiteral("Restored 2 projects, 14 components, settings."));
    EXPECT_EQ((RestoreSummary{0, 0, 0, 0, false, 3}).description(),
              QStringLiteral("Nothing restored. 3 link(s) skipped (target data not included)."));
    EXPECT_EQ((RestoreSummary{1, 0, 0, 0, false, 0}).description(), QStringLiteral("Restored 1 project."));
    EXPECT_EQ((RestoreSummary{1, 1, 1, 1, false, 1}).description(),
              QStringLiteral("Restored 1 project, 1 component, 1 capture, 1 file. 1 link(s) skipped (target data not included)."));
    EXPECT_EQ((RestoreSummary{0, 0, 0, 0, true, 0}).description(), QStringLiteral("Restored settings."));
    EXPECT_EQ((RestoreSummary{0, 0, 5, 2, false, 1}).description(),
              QStringLiteral("Restored 5 captures, 2 files. 1 link(s) skipped (target data not included)."));
    EXPECT_EQ((RestoreSummary{-1, 0, 0, 0, false, -2}).description(), QStringLiteral("Nothing restored."));
}

}  // namespace
