#include "Corvallen/Platform/JsonText.h"

#include <cmath>

QByteArray jsonStringLiteral(const QString& s)
{
    static const char hex[] = "0123456789abcdef";
    const QByteArray utf8 = s.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 0xf];
            } else {
                out += ch;
            }
        }
    }
    out += '"';
    return out;
}

std::optional<qint64> wholeNumberFrom(double d)
{
    // 2^63 is exact as a double; every double below it and at or above -2^63 converts safely.
    constexpr double limit = 9223372036854775808.0;
    if (!std::isfinite(d) || d >= limit || d < -limit)
        return std::nullopt;
    return qint64(d);
}
