// The "hiddenDeviceIDs" value that the Devices page and the sync-location list share: how it
// is read, how it is written, and that each list's edits keep the other list's identifiers.
#include "Corvallen/Devices/DeviceVisibility.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {
using IDs = QSet<QString>;
const QString kSync = QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
}  // namespace

TEST(HiddenIDsParsing, SplitsAtEveryCommaDropsEmptiesAndKeepsPiecesAsWritten)
{
    using DeviceVisibility::parseHiddenIDs;
    EXPECT_EQ(parseHiddenIDs(QString()), IDs());
    EXPECT_EQ(parseHiddenIDs(QStringLiteral(",,,")), IDs());
    for (const char* raw : {"lcrP1", ",lcrP1", "lcrP1,", ",,lcrP1,,", "lcrP1,lcrP1"})
        EXPECT_EQ(parseHiddenIDs(QLatin1String(raw)), IDs{QStringLiteral("lcrP1")}) << raw;
    // No trimming, no case folding: these name nothing we know and hide nothing.
    EXPECT_EQ(parseHiddenIDs(QStringLiteral("lcrP1 ")), IDs{QStringLiteral("lcrP1 ")});
    EXPECT_EQ(parseHiddenIDs(QStringLiteral("LCRP1, lcrP1")), (IDs{QStringLiteral("LCRP1"), QStringLiteral(" lcrP1")}));
    EXPECT_EQ(parseHiddenIDs(kSync + QStringLiteral(",lcrP1")), (IDs{kSync, QStringLiteral("lcrP1")}));
}

TEST(HiddenIDsWriting, SortedInPlainOrderJoinedByCommasNothingAtTheEnds)
{
    using DeviceVisibility::writeHiddenIDs;
    EXPECT_EQ(writeHiddenIDs(IDs()), QString());
    EXPECT_EQ(writeHiddenIDs(IDs{QStringLiteral("lcrP1")}), QStringLiteral("lcrP1"));
    // Code-unit order: upper case before lower case, digits before letters.
    EXPECT_EQ(writeHiddenIDs(IDs{QStringLiteral("lcrP1"), kSync, QStringLiteral("0abc"), QStringLiteral("Zeta")}),
              QStringLiteral("0abc,") + kSync + QStringLiteral(",Zeta,lcrP1"));
}

TEST(HiddenIDsEditing, EachListKeepsTheOthersIdentifiers)
{
    using DeviceVisibility::withVisibility;
    const QString both = withVisibility(kSync, QStringLiteral("lcrP1"), true);
    EXPECT_EQ(both, kSync + QStringLiteral(",lcrP1"));
    EXPECT_EQ(withVisibility(both, QStringLiteral("lcrP1"), false), kSync);
    // The sync-location list edits the same value the same way.
    EXPECT_EQ(withVisibility(both, kSync, false), QStringLiteral("lcrP1"));
    // Unknown identifiers survive and the value comes back normalised.
    EXPECT_EQ(withVisibility(QStringLiteral(",zz,,aa,zz"), QStringLiteral("lcrP1"), false), QStringLiteral("aa,zz"));
    // Hiding twice or showing what isn't hidden changes nothing.
    EXPECT_EQ(withVisibility(both, QStringLiteral("lcrP1"), true), both);
    EXPECT_EQ(withVisibility(kSync, QStringLiteral("lcrP1"), false), kSync);
}

TEST(HiddenIDsSettings, StoredAsTextUnderTheSharedKeyAndReadBackByAnotherStore)
{
    const QString file = corvallen::test::freshFolder() + QStringLiteral("/settings.json");
    SettingsStore store(file);
    EXPECT_TRUE(DeviceVisibility::hiddenIDs(&store).isEmpty()) << "absent key means nothing hidden";

    store.setText(QStringLiteral("hiddenDeviceIDs"), kSync);
    DeviceVisibility::setHidden(QStringLiteral("lcrP1"), true, &store);
    EXPECT_EQ(store.typeOf(QStringLiteral("hiddenDeviceIDs")), SettingsStore::Type::Text);

    SettingsStore reread(file);
    EXPECT_EQ(reread.textValue(QStringLiteral("hiddenDeviceIDs")), kSync + QStringLiteral(",lcrP1"));
    EXPECT_TRUE(DeviceVisibility::isHidden(QStringLiteral("lcrP1"), &reread));

    DeviceVisibility::setHidden(QStringLiteral("lcrP1"), false, &store);
    SettingsStore again(file);
    EXPECT_EQ(again.textValue(QStringLiteral("hiddenDeviceIDs")), kSync);
}
