#include "Corvallen/Model/TextTrim.h"

namespace {
template <class Pred>
QString trimWith(const QString& s, Pred pred)
{
    qsizetype b = 0, e = s.size();
    while (b < e && pred(s.at(b)))
        ++b;
    while (e > b && pred(s.at(e - 1)))
        --e;
    return s.mid(b, e - b);
}
}  // namespace

bool isHorizontalSpace(QChar c) { return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space; }

bool isSpaceOrNewline(QChar c)
{
    return isHorizontalSpace(c) || c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x0B)
        || c == QChar(0x0C) || c == QChar(0x85) || c.category() == QChar::Separator_Line
        || c.category() == QChar::Separator_Paragraph;
}

QString trimHorizontalSpace(const QString& s) { return trimWith(s, isHorizontalSpace); }
QString trimWhitespaceAndNewlines(const QString& s) { return trimWith(s, isSpaceOrNewline); }
