#pragma once

#include "Corvallen/Settings/MarkdownBlock.h"

#include <QList>
#include <QString>
#include <QWidget>

class QLabel;

// Shows a text in the small Markdown subset of the help articles and release notes: headings,
// one paragraph per line, and bullet lists whose items, like paragraphs, carry inline emphasis,
// code and links (a link opens in the desktop's browser). Headings are shown as written.
class MarkdownText : public QWidget {
    Q_OBJECT
public:
    explicit MarkdownText(const QString& markdown, QWidget* parent = nullptr);

    QString markdown() const { return m_markdown; }
    // Shows another text in place.
    void setMarkdown(const QString& markdown);

    static QList<MarkdownBlock> parse(const QString& markdown) { return MarkdownBlock::parse(markdown); }
    // The view of one block.
    static QWidget* blockView(const MarkdownBlock& block, QWidget* parent = nullptr);
    // A wrapping label of one line with its inline Markdown.
    static QLabel* inlineText(const QString& line, QWidget* parent = nullptr);

private:
    void rebuild();

    QString m_markdown;
};
