#include "Corvallen/Widgets/NumericFieldLogic.h"

#include "Corvallen/Platform/IcuLocale.h"

#include <unicode/numberformatter.h>

#include <charconv>
#include <cmath>
#include <system_error>

QString NumericFieldLogic::sanitize(const QString& text, const QLocale& locale)
{
    // Points and commas stay as typed: which of them groups and which is the decimal point is
    // only known once the digits after them are (parse()).
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype width = 0;
        if (IcuLocale::isDecimalMark(QStringView(text).sliced(i), locale, &width)) {
            out += QStringView(text).sliced(i, width);
            i += width;
            continue;
        }
        // A blank (or the locale's own grouping mark) stays only between digits, where it groups;
        // anywhere else it is dropped like any other character.
        if (IcuLocale::isGroupingMark(QStringView(text).sliced(i), locale, &width)) {
            const bool afterDigit = !out.isEmpty() && QChar::category(out.back().unicode()) == QChar::Number_DecimalDigit;
            const bool beforeDigit = i + width < text.size() && text[i + width].isDigit();
            if (afterDigit && beforeDigit)
                out += QStringView(text).sliced(i, width);
            i += width;
            continue;
        }
        char32_t c = text[i].unicode();
        width = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            width = 2;
        }
        if (QChar::category(c) == QChar::Number_DecimalDigit)
            out += QStringView(text).mid(i, width);
        i += width;
    }
    return out;
}

QString NumericFieldLogic::displayText(std::optional<double> value, int fractionDigits, const QLocale& locale,
                                       bool fixedFraction)
{
    if (!value || !std::isfinite(*value))
        return {};
    using namespace icu::number;
    // Rounding works on the shortest decimal that reads back as the double, so that a typed
    // 2.675 rounds as the user sees it rather than as its binary neighbour.
    const LocalizedNumberFormatter formatter = NumberFormatter::withLocale(IcuLocale::locale(locale))
                                                   .grouping(UNUM_GROUPING_OFF)
                                                   .precision(fixedFraction ? Precision::fixedFraction(std::max(0, fractionDigits))
                                                                            : Precision::maxFraction(std::max(0, fractionDigits)))
                                                   .roundingMode(UNUM_ROUND_HALFEVEN)
                                                   .sign(UNUM_SIGN_NEGATIVE);
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString out = formatter.formatDouble(*value, status).toString(status);
    return U_SUCCESS(status) ? IcuLocale::text(out) : QString();
}

std::optional<double> NumericFieldLogic::parse(const QString& text, const QLocale& locale)
{
    const std::optional<QString> plain = IcuLocale::plainDecimal(text, locale);
    if (!plain || plain->count(u'.') == plain->size())
        return std::nullopt;  // not a number, or no digit in it
    const QByteArray ascii = plain->toLatin1();
    double value = 0;
    const auto res = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value, std::chars_format::fixed);
    if (res.ec != std::errc() || res.ptr != ascii.data() + ascii.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

NumericFieldLogic::Update NumericFieldLogic::rewrite(std::optional<double> value)
{
    Update update;
    const QString shown = displayText(value, m_fractionDigits, m_locale, m_fixedFraction);
    if (shown != m_text) {
        m_text = shown;
        update.text = shown;
    }
    return update;
}

NumericFieldLogic::Update NumericFieldLogic::textEdited(const QString& newText)
{
    Update update;
    QString clean = sanitize(newText, m_locale);
    // A second decimal separator typed into a number can never come to mean anything: the
    // keystroke is refused like a letter. (Pasted text with two stays, unreadable, to be mended.)
    const QString separator = IcuLocale::decimalSeparator(m_locale);
    if (clean.count(separator) == 2 && m_text.count(separator) == 1) {
        for (qsizetype at = clean.indexOf(separator); at >= 0; at = clean.indexOf(separator, at + 1)) {
            if (QString(clean).remove(at, separator.size()) == m_text) {
                clean = m_text;
                break;
            }
        }
    }
    if (clean != newText)
        update.text = clean;
    // A keystroke that was dropped entirely (a superscript, a fraction sign, a letter) leaves
    // the number as it was, also one the shown text had rounded.
    if (clean == m_text)
        return update;
    m_text = clean;
    const std::optional<double> newValue = clean.isEmpty() ? std::nullopt : parse(clean, m_locale);
    if (newValue != m_value) {
        m_value = newValue;
        update.valueChanged = true;
    }
    return update;
}

NumericFieldLogic::Update NumericFieldLogic::focusChanged(bool focused)
{
    m_focused = focused;
    // An unreadable text stays for the user to mend instead of vanishing.
    if (focused || !readable())
        return {};
    return rewrite(m_value);
}

NumericFieldLogic::Update NumericFieldLogic::valueChanged(std::optional<double> newValue)
{
    m_value = newValue;
    if (m_focused)
        return {};  // never overwrite what the user is typing
    const std::optional<double> current = parse(sanitize(m_text, m_locale), m_locale);
    if (current && newValue && *current == *newValue)
        return {};
    if (!current && !newValue)
        return {};
    return rewrite(newValue);
}

NumericFieldLogic::Update NumericFieldLogic::appeared() { return rewrite(m_value); }
