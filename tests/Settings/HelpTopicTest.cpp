#include "Corvallen/Devices/SerialPort.h"
#include "Corvallen/Settings/HelpTopic.h"
#include "Corvallen/Settings/MarkdownBlock.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(HelpTopics, TenTopicsInOrderWithTheirTitlesAndIcons)
{
    const QList<HelpTopic>& topics = HelpTopic::all();
    ASSERT_EQ(topics.size(), 10);
    const QStringList ids{QStringLiteral("getting-started"), QStringLiteral("devices"), QStringLiteral("captures"),
                          QStringLiteral("inventory"), QStringLiteral("organizing"), QStringLiteral("projects"),
                          QStringLiteral("files"), QStringLiteral("exports"), QStringLiteral("ai"), QStringLiteral("backup")};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(topics[i].id, ids[i]);
    EXPECT_EQ(topics[1].title, QStringLiteral("Sync Locations & Devices"));
    EXPECT_EQ(topics[7].title, QStringLiteral("Branded Exports & Quotes"));
    EXPECT_EQ(topics[9].icon, QStringLiteral("arrow.clockwise.circle"));
    EXPECT_EQ(HelpTopic::find(QStringLiteral("ai"))->title, QStringLiteral("AI Features"));
    EXPECT_FALSE(HelpTopic::find(QStringLiteral("nope")));
    EXPECT_EQ(HelpTopic::firstTopicId(), topics.first().id);
}

TEST(HelpTopics, EveryArticleShipsAndUsesOnlyTheSubset)
{
    const QMap<QString, QStringList> headings{
        {QStringLiteral("getting-started"), {QStringLiteral("The sidebar"), QStringLiteral("First steps")}},
        {QStringLiteral("devices"),
         {QStringLiteral("Sync Locations"), QStringLiteral("Sync captures"), QStringLiteral("Manage locations"),
          QStringLiteral("Devices"), QStringLiteral("LCR-P1 firmware"), QStringLiteral("Live instruments")}},
        {QStringLiteral("captures"), {QStringLiteral("Inspect & compare"), QStringLiteral("Analyse"), QStringLiteral("Delete")}},
        {QStringLiteral("inventory"),
         {QStringLiteral("Add & edit"), QStringLiteral("Import & export"), QStringLiteral("Find things"),
          QStringLiteral("Attachments"), QStringLiteral("Pricing")}},
        {QStringLiteral("organizing"), {QStringLiteral("Suggestions while typing"), QStringLiteral("Manage the lists")}},
        {QStringLiteral("projects"),
         {QStringLiteral("Overview"), QStringLiteral("Parts (bill of materials)"), QStringLiteral("Captures, Files & Notes"),
          QStringLiteral("Export")}},
        {QStringLiteral("files"), {QStringLiteral("The markup viewer"), QStringLiteral("Shared files, separate markup")}},
        {QStringLiteral("exports"), {QStringLiteral("Your branding"), QStringLiteral("Project Sheet"), QStringLiteral("Customer Quote")}},
        {QStringLiteral("ai"), {QStringLiteral("Today"), QStringLiteral("Coming next")}},
        {QStringLiteral("backup"), {}},
    };
    static const QRegularExpression otherPlatform(QStringLiteral("\\b(mac|macos|finder|siri|spotlight|icloud|cmd)\\b"),
                                                  QRegularExpression::CaseInsensitiveOption);
    for (const HelpTopic& topic : HelpTopic::all()) {
        SCOPED_TRACE(topic.id.toStdString());
        ASSERT_FALSE(topic.body.isEmpty());
        EXPECT_LT(topic.body.size(), 2000);
        const QList<MarkdownBlock> blocks = MarkdownBlock::parse(topic.body);
        ASSERT_FALSE(blocks.isEmpty());
        EXPECT_EQ(blocks.first().kind, MarkdownBlock::Kind::paragraph);
        QStringList found;
        for (const MarkdownBlock& b : blocks) {
            if (b.kind == MarkdownBlock::Kind::heading) {
                EXPECT_GE(b.level, 2);
                found << b.text;
            }
        }
        EXPECT_EQ(found, headings.value(topic.id));
        EXPECT_FALSE(topic.body.contains(QStringLiteral("](")));
        EXPECT_FALSE(otherPlatform.match(topic.body).hasMatch()) << otherPlatform.match(topic.body).captured(0).toStdString();
    }
    int paragraphs = 0;
    for (const MarkdownBlock& b : MarkdownBlock::parse(HelpTopic::find(QStringLiteral("backup"))->body))
        paragraphs += b.kind == MarkdownBlock::Kind::paragraph;
    EXPECT_EQ(paragraphs, 2);
}

// What the article promises about a flash to an instrument that stops taking data is the wait
// the serial line really applies.
TEST(HelpTopics, TheDevicesArticleGivesTheFlashersStallLimit)
{
    const QString body = HelpTopic::find(QStringLiteral("devices"))->body;
    EXPECT_TRUE(body.contains(QStringLiteral("takes no data for %1 seconds").arg(SerialPort::defaultStallMillis / 1000)))
        << body.toStdString();
}

}  // namespace
