#include "Corvallen/Shell/NumericFieldLogic.h"

#include <QList>
#include <QTextBoundaryFinder>

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

QString NumericFieldLogic::sanitize(const QString& text)
{
    QString out;
    out.reserve(text.size());
    bool hasPoint = false;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = finder.toNextBoundary();
        if (end <= start)
            end = text.size();
        const QStringView character = QStringView(text).mid(start, end - start);
        if (character == u".") {
            if (!hasPoint)
                out += character;
            hasPoint = true;
        } else {
            // A character counts as numeric by its first code point (digits of any script,
            // superscripts, fractions, Roman numerals).
            const char32_t first = character.toUcs4().value(0);
            if (QChar::isNumber(first))
                out += character;
        }
        start = end;
    }
    return out;
}

namespace {

// Rounds a plain decimal digit text (no sign, "digits[.digits]") half-to-even at `places`
// fraction digits.
std::string roundDecimal(const std::string& plain, int places)
{
    std::string intPart = plain, frac;
    if (const auto dot = plain.find('.'); dot != std::string::npos) {
        intPart = plain.substr(0, dot);
        frac = plain.substr(dot + 1);
    }
    if (int(frac.size()) <= places)
        return frac.empty() ? intPart : intPart + "." + frac;

    std::string digits = intPart + frac.substr(0, size_t(places));
    const char next = frac[size_t(places)];
    const bool restNonZero = frac.find_first_not_of('0', size_t(places) + 1) != std::string::npos;
    bool roundUp = false;
    if (next > '5' || (next == '5' && restNonZero))
        roundUp = true;
    else if (next == '5') {
        const char last = digits.empty() ? '0' : digits.back();
        roundUp = ((last - '0') % 2) == 1;
    }
    if (roundUp) {
        int i = int(digits.size()) - 1;
        for (; i >= 0; --i) {
            if (digits[size_t(i)] == '9') {
                digits[size_t(i)] = '0';
            } else {
                ++digits[size_t(i)];
                break;
            }
        }
        if (i < 0)
            digits.insert(digits.begin(), '1');
    }
    const size_t intLen = digits.size() - size_t(places);
    std::string out = digits.substr(0, intLen);
    if (out.empty())
        out = "0";
    if (places > 0)
        out += "." + digits.substr(intLen);
    return out;
}

}  // namespace

QString NumericFieldLogic::displayText(std::optional<double> value, int fractionDigits)
{
    if (!value || !std::isfinite(*value))
        return {};
    const int places = fractionDigits < 0 ? 0 : fractionDigits;
    const double v = *value;
    // The shortest decimal that reads back as this double, so that a typed 2.675 rounds as the
    // user sees it rather than as its binary neighbour.
    char buffer[400];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(v), std::chars_format::fixed);
    if (res.ec != std::errc())
        return {};
    std::string text = roundDecimal(std::string(buffer, res.ptr), places);
    if (const auto dot = text.find('.'); dot != std::string::npos) {
        while (!text.empty() && text.back() == '0')
            text.pop_back();
        if (!text.empty() && text.back() == '.')
            text.pop_back();
    }
    const bool isZero = text.find_first_not_of("0.") == std::string::npos;
    if (std::signbit(v) && !isZero)
        text.insert(text.begin(), '-');
    return QString::fromStdString(text);
}

std::optional<double> NumericFieldLogic::parse(const QString& text)
{
    bool seenPoint = false, seenDigit = false;
    for (QChar c : text) {
        if (c == u'.') {
            if (seenPoint)
                return std::nullopt;
            seenPoint = true;
        } else if (c >= u'0' && c <= u'9') {
            seenDigit = true;
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit)
        return std::nullopt;
    const QByteArray ascii = text.toLatin1();
    double value = 0;
    const auto res = std::from_chars(ascii.constData(), ascii.constData() + ascii.size(), value,
                                     std::chars_format::fixed);
    if (res.ec != std::errc() || res.ptr != ascii.constData() + ascii.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

NumericFieldLogic::Update NumericFieldLogic::textEdited(const QString& newText)
{
    Update update;
    const QString clean = sanitize(newText);
    if (clean != newText)
        update.text = clean;
    m_text = clean;
    const std::optional<double> newValue = clean.isEmpty() ? std::nullopt : parse(clean);
    if (newValue != m_value) {
        m_value = newValue;
        update.valueChanged = true;
    }
    return update;
}

NumericFieldLogic::Update NumericFieldLogic::focusChanged(bool focused)
{
    Update update;
    m_focused = focused;
    if (!focused) {
        const QString shown = displayText(m_value, m_fractionDigits);
        if (shown != m_text) {
            m_text = shown;
            update.text = shown;
        }
    }
    return update;
}

NumericFieldLogic::Update NumericFieldLogic::valueChanged(std::optional<double> newValue)
{
    Update update;
    m_value = newValue;
    if (m_focused)
        return update;  // never overwrite what the user is typing
    const std::optional<double> current = parse(sanitize(m_text));
    if (current && newValue && *current == *newValue)
        return update;
    if (!current && !newValue)
        return update;
    const QString shown = displayText(newValue, m_fractionDigits);
    if (shown != m_text) {
        m_text = shown;
        update.text = shown;
    }
    return update;
}

NumericFieldLogic::Update NumericFieldLogic::appeared()
{
    Update update;
    const QString shown = displayText(m_value, m_fractionDigits);
    if (shown != m_text) {
        m_text = shown;
        update.text = shown;
    }
    return update;
}
