#include "Corvallen/Widgets/NumericFieldLogic.h"

#include "Corvallen/Platform/IcuLocale.h"

#include <unicode/numberformatter.h>

#include <charconv>
#include <cmath>
#include <system_error>

QString NumericFieldLogic::sanitize(const QString& text, const QLocale& locale)
{
    const QString separator = IcuLocale::decimalSeparator(locale);
    // A point or comma that is neither the locale's decimal separator nor its grouping one can only
    // mean the decimal point ("12.5" from a French keypad, or typed in Latin digits in Egypt):
    // once a digit is typed it counts as the locale's separator instead of vanishing (12.5 → 125).
    const QString grouping = IcuLocale::groupingSeparator(locale);
    auto isOtherPoint = [&](QChar c) {
        return (c == u'.' || c == u',') && QString(c) != separator && QString(c) != grouping;
    };
    QString out;
    out.reserve(text.size());
    bool hasSeparator = false, hasDigit = false;
    qsizetype i = 0;
    while (i < text.size()) {
        const bool other = hasDigit && isOtherPoint(text[i]);
        if (other || QStringView(text).mid(i).startsWith(separator)) {
            if (!hasSeparator)
                out += separator;
            hasSeparator = true;
            i += other ? 1 : separator.size();
            continue;
        }
        char32_t c = text[i].unicode();
        qsizetype width = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            width = 2;
        }
        if (QChar::category(c) == QChar::Number_DecimalDigit) {
            out += QStringView(text).mid(i, width);
            hasDigit = true;
        }
        i += width;
    }
    return out;
}

QString NumericFieldLogic::displayText(std::optional<double> value, int fractionDigits, const QLocale& locale)
{
    if (!value || !std::isfinite(*value))
        return {};
    using namespace icu::number;
    // Rounding works on the shortest decimal that reads back as the double, so that a typed
    // 2.675 rounds as the user sees it rather than as its binary neighbour.
    const LocalizedNumberFormatter formatter = NumberFormatter::withLocale(IcuLocale::locale(locale))
                                                   .grouping(UNUM_GROUPING_OFF)
                                                   .precision(Precision::maxFraction(std::max(0, fractionDigits)))
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
    const QString shown = displayText(value, m_fractionDigits, m_locale);
    if (shown != m_text) {
        m_text = shown;
        update.text = shown;
    }
    return update;
}

NumericFieldLogic::Update NumericFieldLogic::textEdited(const QString& newText)
{
    Update update;
    const QString clean = sanitize(newText, m_locale);
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
    if (focused)
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
