#include "Corvallen/Settings/HelpTopic.h"
#include "Corvallen/Settings/Views/ChangelogView.h"
#include "Corvallen/Settings/Views/HelpView.h"
#include "Corvallen/Settings/Views/MarkdownText.h"

#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>

#include <gtest/gtest.h>

namespace {

QList<QLabel*> labels(QWidget* w, const QString& name) { return w->findChildren<QLabel*>(name); }

TEST(MarkdownTextView, ShowsEachBlockInItsOwnStyle)
{
    MarkdownText empty(QString{});
    EXPECT_TRUE(empty.findChildren<QWidget*>().isEmpty());

    MarkdownText text(QStringLiteral("# Title **raw**\n\nIntro with **bold** and `code`.\n- one\n- *two*\n\n### Small\nEnd"));
    const QList<QLabel*> headings = labels(&text, QStringLiteral("markdownHeading"));
    ASSERT_EQ(headings.size(), 2);
    EXPECT_EQ(headings[0]->text(), QStringLiteral("Title **raw**"));  // headings get no inline markup
    EXPECT_EQ(headings[0]->textFormat(), Qt::PlainText);
    EXPECT_TRUE(headings[0]->font().bold());
    EXPECT_EQ(headings[1]->property("level").toInt(), 3);
    EXPECT_GT(headings[0]->font().pointSizeF(), headings[1]->font().pointSizeF());

    const QList<QLabel*> paragraphs = labels(&text, QStringLiteral("markdownParagraph"));
    ASSERT_EQ(paragraphs.size(), 2);
    EXPECT_TRUE(paragraphs[0]->text().contains(QStringLiteral("<b>bold</b>")));
    EXPECT_TRUE(paragraphs[0]->text().contains(QStringLiteral("<code>code</code>")));
    EXPECT_TRUE(paragraphs[0]->wordWrap());
    EXPECT_TRUE(paragraphs[0]->openExternalLinks());

    const QList<QWidget*> lists = text.findChildren<QWidget*>(QStringLiteral("markdownBullets"));
    ASSERT_EQ(lists.size(), 1);
    const QList<QLabel*> items = labels(lists.first(), QStringLiteral("markdownItem"));
    ASSERT_EQ(items.size(), 2);
    EXPECT_TRUE(items[1]->text().contains(QStringLiteral("<i>two</i>")));

    text.setMarkdown(QStringLiteral("Only this."));
    EXPECT_EQ(labels(&text, QStringLiteral("markdownParagraph")).size(), 1);
    EXPECT_TRUE(labels(&text, QStringLiteral("markdownHeading")).isEmpty());
}

TEST(MarkdownTextView, WrappedLinesAreAsTallAsTheirTextAtTheWidthTheyGet)
{
    // No gaps: every wrapped line and list gets the height its text needs at the real width,
    // not the height it would need in a narrow column.
    HelpView help(QStringLiteral("devices"));
    help.resize(830, 560);
    help.show();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    MarkdownText* article = help.article();
    EXPECT_EQ(article->height(), article->heightForWidth(article->width()));
    const QList<QWidget*> lists = article->findChildren<QWidget*>(QStringLiteral("markdownBullets"));
    ASSERT_FALSE(lists.isEmpty());
    for (QWidget* list : lists) {
        EXPECT_TRUE(list->hasHeightForWidth());
        EXPECT_EQ(list->height(), list->heightForWidth(list->width()));
    }
    for (QLabel* paragraph : labels(article, QStringLiteral("markdownParagraph")))
        EXPECT_EQ(paragraph->height(), paragraph->heightForWidth(paragraph->width()));
}

TEST(HelpWindow, OpensOnItsTopicAndFollowsTheList)
{
    HelpView help;
    EXPECT_EQ(help.selection(), QStringLiteral("getting-started"));
    EXPECT_EQ(help.shownTitle(), QStringLiteral("Getting Started"));
    auto* list = help.findChild<QListWidget*>(QStringLiteral("topicList"));
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count(), 10);
    EXPECT_EQ(list->currentRow(), 0);

    list->setCurrentRow(5);
    EXPECT_EQ(help.selection(), QStringLiteral("projects"));
    EXPECT_EQ(help.shownTitle(), QStringLiteral("Projects"));
    EXPECT_EQ(help.article()->markdown(), HelpTopic::find(QStringLiteral("projects"))->body);

    help.setSelection(QStringLiteral("no-such-topic"));
    EXPECT_EQ(help.shownTitle(), QStringLiteral("Select a topic"));
    EXPECT_EQ(list->currentItem(), nullptr);
    HelpView none{QString()};
    EXPECT_EQ(none.shownTitle(), QStringLiteral("Select a topic"));
}

TEST(HelpWindow, EveryTopicRendersItsArticle)
{
    HelpView help;
    for (const HelpTopic& topic : HelpTopic::all()) {
        SCOPED_TRACE(topic.id.toStdString());
        help.setSelection(topic.id);
        EXPECT_EQ(help.shownTitle(), topic.title);
        int headings = 0;
        for (const MarkdownBlock& b : MarkdownBlock::parse(topic.body))
            headings += b.kind == MarkdownBlock::Kind::heading;
        EXPECT_EQ(labels(help.article(), QStringLiteral("markdownHeading")).size(), headings);
        EXPECT_FALSE(labels(help.article(), QStringLiteral("markdownParagraph")).isEmpty());
        EXPECT_FALSE(help.article()->findChildren<QWidget*>(QStringLiteral("markdownBullets")).isEmpty());
    }
}

TEST(ReleaseNotesWindow, ShowsTheShippedNotesFromTheNewestRelease)
{
    ChangelogView view;
    auto* title = view.findChild<QLabel*>(QStringLiteral("changelogTitle"));
    ASSERT_TRUE(title);
    EXPECT_EQ(title->text(), QStringLiteral("Release Notes"));
    const QList<QLabel*> headings = labels(view.notes(), QStringLiteral("markdownHeading"));
    ASSERT_FALSE(headings.isEmpty());
    EXPECT_EQ(headings.first()->property("level").toInt(), 2);

    ChangelogView empty{QString()};
    EXPECT_TRUE(empty.notes()->findChildren<QLabel*>().isEmpty());
}

}  // namespace
