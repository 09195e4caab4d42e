#include "Corvallen/Settings/ChangelogText.h"
#include "Corvallen/Settings/MarkdownBlock.h"
#include "support/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(ChangelogText, DropsTheTitleAndIntroductionBeforeTheFirstRelease)
{
    EXPECT_EQ(ChangelogText::trimmed(QStringLiteral("# Notes\nIntro line\n\n## 1.1\n- x\n\n## 1.0\n- y\n\n")),
              QStringLiteral("## 1.1\n- x\n\n## 1.0\n- y"));
    // Shown whole: a leading empty line, a "## " start, no release heading, no "# " title.
    EXPECT_EQ(ChangelogText::trimmed(QStringLiteral("\n# Notes\n## 1.0\n")), QStringLiteral("# Notes\n## 1.0"));
    EXPECT_EQ(ChangelogText::trimmed(QStringLiteral("## 1.0\n- a")), QStringLiteral("## 1.0\n- a"));
    EXPECT_EQ(ChangelogText::trimmed(QStringLiteral("# Notes\nNothing yet.\n")), QStringLiteral("# Notes\nNothing yet."));
    EXPECT_EQ(ChangelogText::trimmed(QStringLiteral("Intro\n## 1.0")), QStringLiteral("Intro\n## 1.0"));
    EXPECT_EQ(ChangelogText::trimmed(QStringLiteral("# Notes\r\nIntro\r\n## 1.0\r\n- a\r\n")), QStringLiteral("## 1.0\n- a"));
    EXPECT_EQ(ChangelogText::trimmed(QString()), QString());
    EXPECT_EQ(ChangelogText::trimmed(ChangelogText::fallbackText()), ChangelogText::fallbackText());
}

TEST(ChangelogText, MissingOrUndecodableResourceGivesTheFallback)
{
    EXPECT_EQ(ChangelogText::readResource(QStringLiteral(":/no-such.md")), ChangelogText::fallbackText());
    const QString path = corvallen::test::freshFolder() + QStringLiteral("/bad.md");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("## 1.0\n\xff\xfe broken");
    f.close();
    EXPECT_EQ(ChangelogText::readResource(path), ChangelogText::fallbackText());
    const QList<MarkdownBlock> blocks = MarkdownBlock::parse(ChangelogText::fallbackText());
    EXPECT_EQ(blocks, (QList<MarkdownBlock>{MarkdownBlock::heading(QStringLiteral("Changelog"), 1),
                                            MarkdownBlock::paragraph(QStringLiteral("Release notes are unavailable."))}));
}

TEST(ChangelogText, TheShippedNotesStartAtTheNewestRelease)
{
    EXPECT_NE(ChangelogText::rawText(), ChangelogText::fallbackText());
    EXPECT_TRUE(ChangelogText::trimmedText().startsWith(QStringLiteral("## ")));
    // Read once per run.
    EXPECT_EQ(&ChangelogText::trimmedText(), &ChangelogText::trimmedText());
}

}  // namespace
