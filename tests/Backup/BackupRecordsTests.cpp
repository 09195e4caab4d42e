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
    const QByteArray commas = "\"" + QByteArray(",").repeated(int(BackupJson::maxStringBytes)) + "\"";
    const QByteArray text = "[" + (commas + ",").repeated(int(BackupJson::maxValues / BackupJson::maxStringBytes)) + commas + "]";
    ASSERT_TRUE(BackupJson::parseArray(text));
    EXPECT_EQ(BackupJson::parseArray(text)->size(), BackupJson::maxValues / BackupJson::maxStringBytes + 1);
    // Nested objects and arrays cost the parser far more than plain values: a file of them is
    // refused at its own cap, well before the value cap.
    const qint64 units = BackupJson::maxContainers / 2 + 1;
    ASSERT_LT(3 * units, BackupJson::maxValues);
    EXPECT_FALSE(BackupJson::parseArray("[" + QByteArray(R"({"a":[]},)").repeated(int(units)) + "{}]"));
    // Brackets inside strings are text, not containers.
    const QByteArray brackets = "\"" + QByteArray("{[").repeated(int(BackupJson::maxContainers / 2)) + "\"";
    EXPECT_TRUE(BackupJson::parseArray("[" + brackets + "," + brackets + "," + brackets + "]"));
}

// Record files are parsed one record at a time, and stay as strict as a parse of the whole file:
// anything but one JSON array of objects is unreadable.
TEST(BackupRecords, RecordFilesReadOneRecordAtATimeAsStrictlyAsAWhole)
{
    const QByteArray tag = R"({"id":"T","name":"a], {b","colorHex":"#FF0000"})";
    const QList<std::pair<QByteArray, int>> readable{
        {"[]", 0}, {" \n[ ]\t", 0}, {"[" + tag + "]", 1}, {"[ " + tag + " ,\n" + tag + " ]\n", 2},
        {R"([{"id":"T\"]","name":"\\","colorHex":"{"}])", 1},
    };
    for (const auto& [json, count] : readable) {
        const std::optional<QList<TagDTO>> tags = decodeArray<TagDTO>(json);
        ASSERT_TRUE(tags) << json.toStdString();
        EXPECT_EQ(tags->size(), count) << json.toStdString();
    }
    EXPECT_EQ(decodeArray<TagDTO>("[" + tag + "]")->first().name, QStringLiteral("a], {b"));
    for (const QByteArray& json : QList<QByteArray>{QByteArray(""), QByteArray("{}"), "[" + tag, "[" + tag + ",]", "[," + tag + "]", "[" + tag + " " + tag + "]",
                                   "[" + tag + "]x", "[" + tag + "][]", "[" + tag + "}", "[[]]", "[1]", "[\"x\"]", "[" + tag + ",null]",
                                   QByteArray(R"([{"id":"T","name":"n","colorHex":"#FF0000"])"), QByteArray(R"([{"id":"T"}])"),
                                   QByteArray(R"([{"id":"T", "name":"n", "colorHex":"#FF0000"}}])")})
        EXPECT_FALSE(decodeArray<TagDTO>(json)) << json.toStdString();
}

}  // namespace
