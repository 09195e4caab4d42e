#include "Corvallen/Settings/MarkdownBlock.h"

#include "Corvallen/Model/TextTrim.h"

#include <QRegularExpression>

#include <vector>

namespace {

// ---- inline text

bool isAsciiPunctuation(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x21 && u <= 0x2f) || (u >= 0x3a && u <= 0x40) || (u >= 0x5b && u <= 0x60) || (u >= 0x7b && u <= 0x7e);
}

bool isPunctuation(QChar c) { return isAsciiPunctuation(c) || c.isPunct() || c.isSymbol(); }

QString escaped(const QString& s) { return s.toHtmlEscaped(); }

// Links inside link text are read up to this depth; deeper brackets are shown as written.
constexpr int maxLinkDepth = 8;

// The scans for closing markers (code spans, brackets, link destinations, emphasis openers) may
// look far ahead or back, and a crafted line can make every marker scan the whole line. They
// share one budget proportional to the line's length; once it is spent, markers that would need
// another scan are shown as written. Ordinary text never comes near it.
struct ScanBudget {
    qint64 left;
    explicit ScanBudget(qsizetype length) : left(64 * (qint64(length) + 64)) {}
    bool spend() { return --left >= 0; }
};

struct Node {
    bool delimiter = false;
    QString html;  // text nodes: ready-made rich text
    QChar ch;
    int count = 0;
    int originalCount = 0;
    bool canOpen = false;
    bool canClose = false;
    QStringList openTags;  // innermost first
    QStringList closeTags;
};

// The end of a code span that starts with `run` backticks at `from`, or -1 when none closes it.
qsizetype codeSpanEnd(const QString& s, qsizetype from, int run, ScanBudget& budget)
{
    qsizetype i = from;
    while (i < s.size()) {
        if (!budget.spend())
            return -1;
        if (s[i] != u'`') {
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < s.size() && s[j] == u'`')
            ++j;
        if (j - i == run)
            return i;
        i = j;
    }
    return -1;
}

// The index of the "]" that closes the "[" at `open`, or -1.
qsizetype closingBracket(const QString& s, qsizetype open, ScanBudget& budget)
{
    int depth = 0;
    for (qsizetype i = open; i < s.size(); ++i) {
        if (!budget.spend())
            return -1;
        const QChar c = s[i];
        if (c == u'\\' && i + 1 < s.size()) {
            ++i;
        } else if (c == u'`') {
            qsizetype j = i;
            while (j < s.size() && s[j] == u'`')
                ++j;
            const qsizetype end = codeSpanEnd(s, j, int(j - i), budget);
            i = end < 0 ? j - 1 : end + (j - i) - 1;
        } else if (c == u'[') {
            ++depth;
        } else if (c == u']') {
            if (--depth == 0)
                return i;
        }
    }
    return -1;
}

// Reads "(destination "optional title")" at `from`; the index after ")" or -1.
qsizetype linkDestination(const QString& s, qsizetype from, QString* destination, ScanBudget& budget)
{
    if (from >= s.size() || s[from] != u'(')
        return -1;
    qsizetype i = from + 1;
    auto skipBlanks = [&] {
        while (i < s.size() && (s[i] == u' ' || s[i] == u'\t'))
            ++i;
    };
    // Charged for every character it passes; out of budget, no destination.
    auto more = [&] { return i < s.size() && budget.spend(); };
    skipBlanks();
    QString dest;
    if (i < s.size() && s[i] == u'<') {
        ++i;
        while (more() && s[i] != u'>') {
            if (s[i] == u'<')
                return -1;
            dest += s[i++];
        }
        if (i >= s.size() || budget.left < 0)
            return -1;
        ++i;
    } else {
        int parens = 0;
        while (more()) {
            const QChar c = s[i];
            if (c == u' ' || c == u'\t' || c.category() == QChar::Other_Control)
                break;
            if (c == u'\\' && i + 1 < s.size() && isAsciiPunctuation(s[i + 1])) {
                dest += s[i + 1];
                i += 2;
                continue;
            }
            if (c == u'(')
                ++parens;
            if (c == u')') {
                if (parens == 0)
                    break;
                --parens;
            }
            dest += c;
            ++i;
        }
        if (parens != 0 || budget.left < 0)
            return -1;
    }
    skipBlanks();
    if (i < s.size() && (s[i] == u'"' || s[i] == u'\'')) {
        const QChar quote = s[i++];
        while (more() && s[i] != quote) {
            if (s[i] == u'\\')
                ++i;
            ++i;
        }
        if (i >= s.size() || budget.left < 0)
            return -1;
        ++i;
        skipBlanks();
    }
    if (i >= s.size() || s[i] != u')')
        return -1;
    *destination = dest;
    return i + 1;
}

QString linkHtml(const QString& destination, const QString& textHtml)
{
    return QStringLiteral("<a href=\"") + escaped(destination) + QStringLiteral("\">") + textHtml + QStringLiteral("</a>");
}

void processEmphasis(std::vector<Node>& nodes, ScanBudget& budget)
{
    for (size_t c = 0; c < nodes.size(); ++c) {
        Node& closer = nodes[c];
        while (closer.delimiter && closer.canClose && closer.count > 0) {
            bool matched = false;
            for (size_t k = c; k-- > 0 && budget.spend();) {
                Node& opener = nodes[k];
                if (!opener.delimiter || opener.ch != closer.ch || !opener.canOpen || opener.count <= 0)
                    continue;
                if (closer.ch == u'~') {
                    if (opener.count != closer.count)
                        continue;
                } else if ((opener.canClose || closer.canOpen) && (opener.originalCount + closer.originalCount) % 3 == 0 &&
                           !(opener.originalCount % 3 == 0 && closer.originalCount % 3 == 0)) {
                    continue;
                }
                int used = 1;
                QString tag;
                if (closer.ch == u'~') {
                    used = closer.count;
                    tag = QStringLiteral("s");
                } else {
                    used = (opener.count >= 2 && closer.count >= 2) ? 2 : 1;
                    tag = used == 2 ? QStringLiteral("b") : QStringLiteral("i");
                }
                opener.openTags.append(u'<' + tag + u'>');
                closer.closeTags.append(QStringLiteral("</") + tag + u'>');
                opener.count -= used;
                closer.count -= used;
                // Delimiters between the pair can no longer pair with anything outside it.
                for (size_t m = k + 1; m < c && budget.spend(); ++m) {
                    if (nodes[m].delimiter)
                        nodes[m].canOpen = nodes[m].canClose = false;
                }
                matched = true;
                break;
            }
            if (!matched)
                break;
        }
    }
}

}  // namespace

QList<MarkdownBlock> MarkdownBlock::parse(const QString& markdown)
{
    QList<MarkdownBlock> blocks;
    QStringList pending;
    auto flush = [&] {
        if (!pending.isEmpty()) {
            blocks << bullets(pending);
            pending.clear();
        }
    };
    if (markdown.isEmpty())
        return blocks;
    for (QString raw : markdown.split(u'\n')) {
        // A text saved with CR LF line endings reads the same as one with LF.
        if (raw.endsWith(u'\r'))
            raw.chop(1);
        const QString line = trimHorizontalSpace(raw);
        if (line.isEmpty()) {
            flush();
        } else if (line.startsWith(QLatin1String("### "))) {
            flush();
            blocks << heading(line.mid(4), 3);
        } else if (line.startsWith(QLatin1String("## "))) {
            flush();
            blocks << heading(line.mid(3), 2);
        } else if (line.startsWith(QLatin1String("# "))) {
            flush();
            blocks << heading(line.mid(2), 1);
        } else if (line.startsWith(QLatin1String("- "))) {
            pending << line.mid(2);
        } else {
            flush();
            blocks << paragraph(line);
        }
    }
    flush();
    return blocks;
}

namespace {

QString inlineHtmlAt(const QString& s, int linkDepth, ScanBudget& budget)
{
    std::vector<Node> nodes;
    QString text;
    auto flushText = [&] {
        if (!text.isEmpty()) {
            Node n;
            n.html = escaped(text);
            nodes.push_back(n);
            text.clear();
        }
    };
    auto pushHtml = [&](const QString& html) {
        flushText();
        Node n;
        n.html = html;
        nodes.push_back(n);
    };
    static const QRegularExpression autolink(QStringLiteral("^<([A-Za-z][A-Za-z0-9+.-]{1,31}:[^\\s<>]*)>"));

    qsizetype i = 0;
    while (i < s.size()) {
        const QChar c = s[i];
        if (c == u'\\' && i + 1 < s.size() && isAsciiPunctuation(s[i + 1])) {
            text += s[i + 1];
            i += 2;
        } else if (c == u'`') {
            qsizetype j = i;
            while (j < s.size() && s[j] == u'`')
                ++j;
            const int run = int(j - i);
            const qsizetype end = codeSpanEnd(s, j, run, budget);
            if (end < 0) {
                text += s.mid(i, run);
                i = j;
                continue;
            }
            QString code = s.mid(j, end - j);
            if (code.size() >= 2 && code.startsWith(u' ') && code.endsWith(u' ') && !code.trimmed().isEmpty())
                code = code.mid(1, code.size() - 2);
            pushHtml(QStringLiteral("<code>") + escaped(code) + QStringLiteral("</code>"));
            i = end + run;
        } else if (c == u'[' && linkDepth < maxLinkDepth) {
            const qsizetype close = closingBracket(s, i, budget);
            QString destination;
            const qsizetype after = close < 0 ? -1 : linkDestination(s, close + 1, &destination, budget);
            if (after < 0) {
                text += c;
                ++i;
                continue;
            }
            pushHtml(linkHtml(destination, inlineHtmlAt(s.mid(i + 1, close - i - 1), linkDepth + 1, budget)));
            i = after;
        } else if (c == u'<') {
            const auto m = autolink.match(QStringView(s).mid(i));
            if (m.hasMatch()) {
                pushHtml(linkHtml(m.captured(1), escaped(m.captured(1))));
                i += m.capturedLength(0);
            } else {
                text += c;
                ++i;
            }
        } else if (c == u'*' || c == u'_' || c == u'~') {
            qsizetype j = i;
            while (j < s.size() && s[j] == c)
                ++j;
            const int run = int(j - i);
            if (c == u'~' && run > 2) {
                text += s.mid(i, run);
                i = j;
                continue;
            }
            const QChar before = i > 0 ? s[i - 1] : QChar(u' ');
            const QChar after = j < s.size() ? s[j] : QChar(u' ');
            const bool beforeSpace = before.isSpace();
            const bool afterSpace = after.isSpace();
            const bool beforePunct = isPunctuation(before);
            const bool afterPunct = isPunctuation(after);
            const bool left = !afterSpace && (!afterPunct || beforeSpace || beforePunct);
            const bool right = !beforeSpace && (!beforePunct || afterSpace || afterPunct);
            flushText();
            Node n;
            n.delimiter = true;
            n.ch = c;
            n.count = n.originalCount = run;
            if (c == u'_') {
                n.canOpen = left && (!right || beforePunct);
                n.canClose = right && (!left || afterPunct);
            } else {
                n.canOpen = left;
                n.canClose = right;
            }
            nodes.push_back(n);
            i = j;
        } else {
            text += c;
            ++i;
        }
    }
    flushText();
    processEmphasis(nodes, budget);

    QString html;
    for (const Node& n : nodes) {
        if (!n.delimiter) {
            html += n.html;
            continue;
        }
        html += n.closeTags.join(QString());
        html += QString(n.count, n.ch);
        for (auto tag = n.openTags.crbegin(); tag != n.openTags.crend(); ++tag)
            html += *tag;
    }
    return html;
}

}  // namespace

QString MarkdownBlock::inlineHtml(const QString& line)
{
    ScanBudget budget(line.size());
    return inlineHtmlAt(line, 0, budget);
}
