#include "Corvallen/Model/HexColor.h"

#include <limits>

namespace {

int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Reads a hexadecimal number the lenient way stored colour texts have always been read: blanks
// and line breaks skipped, an optional 0x/0X, then digits up to the first other character.
// Overflow saturates at all bits set; no digits give 0.
quint64 scanHex(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i].isSpace())
        ++i;
    if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')
        && i + 2 < s.size() && hexDigitValue(s[i + 2]) >= 0)
        i += 2;
    quint64 value = 0;
    bool overflow = false;
    for (; i < s.size(); ++i) {
        const int d = hexDigitValue(s[i]);
        if (d < 0)
            break;
        if (value > (std::numeric_limits<quint64>::max() >> 4))
            overflow = true;
        value = (value << 4) | quint64(d);
    }
    return overflow ? std::numeric_limits<quint64>::max() : value;
}

}  // namespace

QColor colorFromHex(const QString& hex)
{
    QStringView rest(hex);
    if (rest.startsWith(u'#'))
        rest = rest.mid(1);
    const quint64 n = scanHex(rest);
    return QColor::fromRgb(int((n >> 16) & 0xFF), int((n >> 8) & 0xFF), int(n & 0xFF));
}

QString hexFromColor(const QColor& color)
{
    const QColor c = color.toRgb();
    return QStringLiteral("#%1%2%3")
        .arg(c.red(), 2, 16, QLatin1Char('0'))
        .arg(c.green(), 2, 16, QLatin1Char('0'))
        .arg(c.blue(), 2, 16, QLatin1Char('0'))
        .toUpper();
}
