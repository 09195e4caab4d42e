#include "Corvallen/Settings/MarkdownBlock.h"

#include <gtest/gtest.h>

void PrintTo(const MarkdownBlock& b, std::ostream* os)
{
    *os << int(b.kind) << ":" << b.level << ":" << b.text.toStdString() << ":" << b.items.join(u'|').toStdString();
}

namespace {

using Kind = MarkdownBlock::Kind;

QList<MarkdownBlock> parse(const char* text) { return MarkdownBlock::parse(QString::fromUtf8(text)); }
QString html(const char* line) { return MarkdownBlock::inlineHtml(QString::fromUtf8(line)); }

TEST(MarkdownBlocks, HeadingsParagraphsAndLists)
{
    EXPECT_TRUE(parse("").isEmpty());
    EXPECT_TRUE(parse("\n\n  \t\n").isEmpty());

    EXPECT_EQ(parse("# One\n## Two\n### Three"),
              (QList<MarkdownBlock>{MarkdownBlock::heading(QStringLiteral("One"), 1), MarkdownBlock::heading(QStringLiteral("Two"), 2),
                                    MarkdownBlock::heading(QStringLiteral("Three"), 3)}));
    // A level-1 heading, an empty line and one text line.
    EXPECT_EQ(parse("# Title\n\nSome text."),
              (QList<MarkdownBlock>{MarkdownBlock::heading(QStringLiteral("Title"), 1),
                                    MarkdownBlock::paragraph(QStringLiteral("Some text."))}));
    // Lines are never joined.
    EXPECT_EQ(parse("first line\nsecond line"),
              (QList<MarkdownBlock>{MarkdownBlock::paragraph(QStringLiteral("first line")),
                                    MarkdownBlock::paragraph(QStringLiteral("second line"))}));
}

TEST(MarkdownBlocks, ListsEndAtBlankLinesAndOtherBlocks)
{
    EXPECT_EQ(parse("- a\n- b\n\n- c"), (QList<MarkdownBlock>{MarkdownBlock::bullets({QStringLiteral("a"), QStringLiteral("b")}),
                                                               MarkdownBlock::bullets({QStringLiteral("c")})}));
    EXPECT_EQ(parse("- a\ntext"), (QList<MarkdownBlock>{MarkdownBlock::bullets({QStringLiteral("a")}),
                                                         MarkdownBlock::paragraph(QStringLiteral("text"))}));
    EXPECT_EQ(parse("text\n- a"), (QList<MarkdownBlock>{MarkdownBlock::paragraph(QStringLiteral("text")),
                                                         MarkdownBlock::bullets({QStringLiteral("a")})}));
    EXPECT_EQ(parse("- a\n## H\n- b"), (QList<MarkdownBlock>{MarkdownBlock::bullets({QStringLiteral("a")}),
                                                              MarkdownBlock::heading(QStringLiteral("H"), 2),
                                                              MarkdownBlock::bullets({QStringLiteral("b")})}));
    // CR LF line endings read like LF ones.
    EXPECT_EQ(parse("- a\r\n- b\r\n"), (QList<MarkdownBlock>{MarkdownBlock::bullets({QStringLiteral("a"), QStringLiteral("b")})}));
}

TEST(MarkdownBlocks, MarkersCountOnlyWithTheirSpaceAfterTrimming)
{
    EXPECT_EQ(parse("   - indented\n\t- tabbed"),
              (QList<MarkdownBlock>{MarkdownBlock::bullets({QStringLiteral("indented"), QStringLiteral("tabbed")})}));
    // The text after a marker is not trimmed again.
    EXPECT_EQ(parse("##   spaced"), (QList<MarkdownBlock>{MarkdownBlock::heading(QStringLiteral("  spaced"), 2)}));
    for (const char* plain : {"#### four", "#word", "-word", "* star item", "1. numbered", "##", "-"})
        EXPECT_EQ(parse(plain), (QList<MarkdownBlock>{MarkdownBlock::paragraph(QString::fromUtf8(plain))})) << plain;
    // A line led or closed by a non-breaking space is trimmed like one with plain blanks; a
    // line of such spaces alone is blank.
    EXPECT_EQ(parse("\u00A0- item\u00A0\n\u00A0\u2003\n\u00A0## Title"),
              (QList<MarkdownBlock>{MarkdownBlock::bullets({QStringLiteral("item")}), MarkdownBlock::heading(QStringLiteral("Title"), 2)}));
    // Headings keep their inline markers as written.
    EXPECT_EQ(parse("## **Bold** heading"), (QList<MarkdownBlock>{MarkdownBlock::heading(QStringLiteral("**Bold** heading"), 2)}));
}

TEST(MarkdownInline, EmphasisCodeStrikethroughAndLinks)
{
    EXPECT_EQ(html("plain"), QStringLiteral("plain"));
    EXPECT_EQ(html("**bold** and *it* and _it_ and __b__"),
              QStringLiteral("<b>bold</b> and <i>it</i> and <i>it</i> and <b>b</b>"));
    EXPECT_EQ(html("***both***"), QStringLiteral("<i><b>both</b></i>"));
    EXPECT_EQ(html("**bold *nested* bold**"), QStringLiteral("<b>bold <i>nested</i> bold</b>"));
    EXPECT_EQ(html("`a < b && *c*`"), QStringLiteral("<code>a &lt; b &amp;&amp; *c*</code>"));
    EXPECT_EQ(html("`` a`b ``"), QStringLiteral("<code>a`b</code>"));
    EXPECT_EQ(html("~~gone~~"), QStringLiteral("<s>gone</s>"));
    EXPECT_EQ(html("see [the *site*](https://example.org/a_(b)) now"),
              QStringLiteral("see <a href=\"https://example.org/a_(b)\">the <i>site</i></a> now"));
    EXPECT_EQ(html("[t](<https://x.org/a b> \"title\")"), QStringLiteral("<a href=\"https://x.org/a b\">t</a>"));
    EXPECT_EQ(html("<https://example.org>"), QStringLiteral("<a href=\"https://example.org\">https://example.org</a>"));
}

TEST(MarkdownInline, UnmatchedMarkersAndMarkupStayAsWritten)
{
    EXPECT_EQ(html("2 * 3 * 4"), QStringLiteral("2 * 3 * 4"));
    EXPECT_EQ(html("**open"), QStringLiteral("**open"));
    EXPECT_EQ(html("snake_case_name"), QStringLiteral("snake_case_name"));
    EXPECT_EQ(html("`unclosed"), QStringLiteral("`unclosed"));
    EXPECT_EQ(html("[not a link] (x)"), QStringLiteral("[not a link] (x)"));
    EXPECT_EQ(html("\\*escaped\\*"), QStringLiteral("*escaped*"));
    // Raw HTML in a line is text, never markup.
    EXPECT_EQ(html("<b>x</b> & \"q\""), QStringLiteral("&lt;b&gt;x&lt;/b&gt; &amp; &quot;q&quot;"));
    EXPECT_EQ(html("[x](javascript:alert(\"1\"))"), QStringLiteral("<a href=\"javascript:alert(&quot;1&quot;)\">x</a>"));
}

TEST(MarkdownInline, LinksNestedThousandsDeepAreShownAsWrittenBelowAFewLevels)
{
    const int depth = 20000;
    const QString line = QStringLiteral("[").repeated(depth) + QStringLiteral("x") + QStringLiteral("](u)").repeated(depth);
    const QString out = MarkdownBlock::inlineHtml(line);
    EXPECT_EQ(out.count(QStringLiteral("<a href=\"u\">")), 8);
    EXPECT_TRUE(out.contains(QStringLiteral("[").repeated(depth - 8) + QStringLiteral("x") + QStringLiteral("](u)").repeated(depth - 8) + QStringLiteral("</a>")));
}

}  // namespace
