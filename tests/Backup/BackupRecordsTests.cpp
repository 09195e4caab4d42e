#include "Corvallen/Backup/BackupJson.h"
#include "Corvallen/Backup/BackupRecords.h"

#include <gtest/gtest.h>

using namespace BackupData;

namespace {

QByteArray project(const QByteArray& extra, const QByteArray& quantity = "1")
{
    return R"([{"id":"P","name":"p","details":"","notes":"","createdAt":"2025-01-01T00:00:00Z",)" + extra +
           R"("bom":[{"component":"C","quantity":)" + quantity + R"(,"addedAt":"2025-01-01T00:00:00Z"}],"attachments":[]}])";
}

QByteArray component(const QByteArray& qty, const QByteArray& extra = {})
{
    return R"([{"id":"C","name":"n","qty":)" + qty +
           R"(,"unit":"pcs","minQty":0,"createdAt":"2025-01-01T00:00:00Z","updatedAt":"2025-01-01T00:00:00Z")" + extra + "}]";
}

// A value the program could never hold makes its whole file unreadable, as a value of the
// wrong type does; values at the bounds read.
TEST(BackupRecords, ValuesOutsideTheProgramsBoundsMakeTheirFileUnreadable)
{
    for (const char* q : {"1", "1000000000"})
        EXPECT_TRUE(decodeArray<ProjectDTO>(project({}, q))) << q;
    for (const char* q : {"0", "-3", "1000000001", "9223372036854775807"})
        EXPECT_FALSE(decodeArray<ProjectDTO>(project({}, q))) << q;
    EXPECT_TRUE(decodeArray<ProjectDTO>(project(R"("labourHours":12.5,"labourRate":-40,"labourFlat":0,)")));
    EXPECT_FALSE(decodeArray<ProjectDTO>(project(R"("labourRate":1e300,)")));

    for (const char* q : {"0", "-1000000000000", "1000000000000"})
        EXPECT_TRUE(decodeArray<ComponentDTO>(component(q))) << q;
    for (const char* q : {"1000000000001", "-9223372036854775807"})
        EXPECT_FALSE(decodeArray<ComponentDTO>(component(q))) << q;
    EXPECT_TRUE(decodeArray<ComponentDTO>(component("5", R"(,"purchasePrice":0.35,"resellPrice":9999999999.99)")));
    EXPECT_FALSE(decodeArray<ComponentDTO>(component("5", R"(,"purchasePrice":1e20)")));
}

TEST(BackupRecords, FilesOverTheValueCapAreRefusedBeforeParsing)
{
    // A small archive can unpack to an enormous array of tiny values; it is refused without
    // building it, while strings may hold any number of commas.
    QByteArray many = "[" + QByteArray("0,").repeated(int(BackupJson::maxValues)) + "0]";
    EXPECT_FALSE(BackupJson::parseArray(many));
    const QByteArray text = "[\"" + QByteArray(",").repeated(int(BackupJson::maxValues) + 10) + "\"]";
    ASSERT_TRUE(BackupJson::parseArray(text));
    EXPECT_EQ(BackupJson::parseArray(text)->size(), 1);
    // Nested objects and arrays cost the parser far more than plain values: a file of them is
    // refused at its own cap, well before the value cap.
    const qint64 units = BackupJson::maxContainers / 2 + 1;
    ASSERT_LT(3 * units, BackupJson::maxValues);
    EXPECT_FALSE(BackupJson::parseArray("[" + QByteArray(R"({"a":[]},)").repeated(int(units)) + "{}]"));
    // Brackets inside strings are text, not containers.
    EXPECT_TRUE(BackupJson::parseArray("[\"" + QByteArray("{[").repeated(int(BackupJson::maxContainers)) + "\"]"));
}

}  // namespace
