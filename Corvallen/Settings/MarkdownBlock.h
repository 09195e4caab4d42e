#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One block of the small Markdown subset of the help articles and the release notes: a heading
// ("# ", "## ", "### "), a paragraph (one line of text) or a run of "- " list items.
struct MarkdownBlock {
    enum class Kind { heading, paragraph, bullets };
    Kind kind = Kind::paragraph;
    QString text;       // heading and paragraph
    int level = 0;      // heading: 1 to 3
    QStringList items;  // bullets

    static MarkdownBlock heading(const QString& text, int level) { return {Kind::heading, text, level, {}}; }
    static MarkdownBlock paragraph(const QString& text) { return {Kind::paragraph, text, 0, {}}; }
    static MarkdownBlock bullets(const QStringList& items) { return {Kind::bullets, {}, 0, items}; }

    // The blocks of a text. Every non-empty line is a block of its own (lines are never joined);
    // consecutive item lines form one list, which an empty line or any other block ends. Lines
    // are trimmed of spaces and tabs before the markers are tested; a marker counts only with its
    // space.
    static QList<MarkdownBlock> parse(const QString& markdown);

    // One line's inline Markdown (strong emphasis, emphasis, code, strikethrough, links) as rich
    // text for a label; everything else is shown as written, HTML escaped.
    static QString inlineHtml(const QString& line);

    friend bool operator==(const MarkdownBlock&, const MarkdownBlock&) = default;
};
