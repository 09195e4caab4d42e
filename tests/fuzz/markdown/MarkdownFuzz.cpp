// The Markdown of the help articles and release notes: any text parses into blocks and renders
// line by line without crashing, and the rich text made holds no markup but the few tags the
// renderer writes itself (everything else in a line is escaped).
#include "Corvallen/Settings/MarkdownBlock.h"
#include "FuzzSupport.h"

#include <QRegularExpression>

namespace {

void checkHtml(const QString& line)
{
    static const QRegularExpression ownTag(QStringLiteral("^<(?:/?(?:b|i|s|code)|a href=\"[^\"<>]*\"|/a)>"));
    const QString html = MarkdownBlock::inlineHtml(line);
    for (qsizetype i = html.indexOf(u'<'); i >= 0; i = html.indexOf(u'<', i + 1)) {
        if (!ownTag.match(QStringView(html).mid(i)).hasMatch())
            fuzz::fail("only the renderer's own tags are markup", line + QStringLiteral("\n=> ") + html);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));
    for (const MarkdownBlock& block : MarkdownBlock::parse(text)) {
        if (block.kind == MarkdownBlock::Kind::bullets) {
            for (const QString& item : block.items)
                checkHtml(item);
        } else {
            checkHtml(block.text);
        }
    }
    // The whole text as one line, as a crafted single line would come.
    checkHtml(text);
    return 0;
}
