// Names read from records become paths only when they are one plain file name.
#include "Corvallen/Platform/AppPaths.h"

#include <gtest/gtest.h>

namespace {

TEST(AppPathsTest, OnlyOnePlainComponentIsAFileName)
{
    for (const QString& ok : {QStringLiteral("A1B2.pdf"), QStringLiteral("x"), QStringLiteral("...pdf"), QStringLiteral("a b.markup.pdf"),
                              QStringLiteral(".hidden")})
        EXPECT_TRUE(AppPaths::isPlainFileName(ok)) << ok.toStdString();
    for (const QString& bad : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../x"), QStringLiteral("a/b"),
                               QStringLiteral("/etc/passwd"), QStringLiteral("x/"), QString(QStringLiteral("a")) + QChar(u'\0') + QStringLiteral("b")})
        EXPECT_FALSE(AppPaths::isPlainFileName(bad)) << bad.toStdString();
}

TEST(AppPathsTest, FoldersFollowTheXdgVariables)
{
    EXPECT_EQ(AppPaths::dataFolder(), qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Corvallen"));
    EXPECT_EQ(AppPaths::configFolder(), qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Corvallen"));
}

}  // namespace
