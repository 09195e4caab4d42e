#include "support/IcuExpect.h"

#include <unicode/udat.h>
#include <unicode/udatpg.h>
#include <unicode/unum.h>

#include <QDateTime>
#include <QTimeZone>

namespace corvallen::test {

namespace {

QByteArray icuLocaleName(const QString& name)
{
    return name == QLatin1String("C") || name == QLatin1String("POSIX") ? QByteArray("en_US") : name.toLatin1();
}

QString formatWith(UNumberFormat* fmt, double value)
{
    UErrorCode status = U_ZERO_ERROR;
    UChar buffer[256];
    const int32_t n = unum_formatDouble(fmt, value, buffer, 256, nullptr, &status);
    unum_close(fmt);
    return U_SUCCESS(status) ? QString::fromUtf16(buffer, n) : QStringLiteral("<icu error>");
}

}  // namespace

QString icuCurrency(double amount, const QString& currencyCode, const QString& localeName)
{
    UErrorCode status = U_ZERO_ERROR;
    UNumberFormat* fmt = unum_open(UNUM_CURRENCY, nullptr, 0, icuLocaleName(localeName).constData(), nullptr, &status);
    const std::u16string code = currencyCode.toStdU16String();
    unum_setTextAttribute(fmt, UNUM_CURRENCY_CODE, code.c_str(), int32_t(code.size()), &status);
    // The locale's own rule for when grouping starts (Polish leaves 4-digit amounts ungrouped).
    unum_setAttribute(fmt, UNUM_MINIMUM_GROUPING_DIGITS, UNUM_MINIMUM_GROUPING_DIGITS_AUTO);
    if (U_FAILURE(status))
        return QStringLiteral("<icu error>");
    return formatWith(fmt, amount);
}

QString icuDecimal(double value, int maxFractionDigits, const QString& localeName)
{
    UErrorCode status = U_ZERO_ERROR;
    UNumberFormat* fmt = unum_open(UNUM_DECIMAL, nullptr, 0, icuLocaleName(localeName).constData(), nullptr, &status);
    if (U_FAILURE(status))
        return QStringLiteral("<icu error>");
    unum_setAttribute(fmt, UNUM_GROUPING_USED, 0);
    unum_setAttribute(fmt, UNUM_MIN_FRACTION_DIGITS, 0);
    unum_setAttribute(fmt, UNUM_MAX_FRACTION_DIGITS, maxFractionDigits);
    unum_setAttribute(fmt, UNUM_ROUNDING_MODE, UNUM_ROUND_HALFEVEN);
    return formatWith(fmt, value);
}

namespace {
QString icuSymbol(const QString& localeName, UNumberFormatSymbol symbol)
{
    UErrorCode status = U_ZERO_ERROR;
    UNumberFormat* fmt = unum_open(UNUM_DECIMAL, nullptr, 0, icuLocaleName(localeName).constData(), nullptr, &status);
    UChar buffer[16];
    const int32_t n = unum_getSymbol(fmt, symbol, buffer, 16, &status);
    unum_close(fmt);
    return U_SUCCESS(status) ? QString::fromUtf16(buffer, n) : QStringLiteral("<icu error>");
}
}  // namespace

QString icuDecimalSeparator(const QString& localeName) { return icuSymbol(localeName, UNUM_DECIMAL_SEPARATOR_SYMBOL); }

QString icuGroupingSeparator(const QString& localeName) { return icuSymbol(localeName, UNUM_GROUPING_SEPARATOR_SYMBOL); }

QString icuDate(const QDate& date, const QString& skeleton, const QString& localeName, const QTime& time)
{
    UErrorCode status = U_ZERO_ERROR;
    const QByteArray locale = icuLocaleName(localeName) + "@calendar=gregorian";
    UDateTimePatternGenerator* generator = udatpg_open(locale.constData(), &status);
    UChar pattern[128];
    const std::u16string wanted = skeleton.toStdU16String();
    const int32_t patternLength = udatpg_getBestPattern(generator, wanted.c_str(), int32_t(wanted.size()), pattern, 128, &status);
    udatpg_close(generator);
    const UChar utc[] = u"UTC";
    UDateFormat* format = udat_open(UDAT_PATTERN, UDAT_PATTERN, locale.constData(), utc, 3, pattern, patternLength, &status);
    UChar buffer[256];
    const UDate at = UDate(QDateTime(date, time, QTimeZone::utc()).toMSecsSinceEpoch());
    const int32_t n = udat_format(format, at, buffer, 256, nullptr, &status);
    udat_close(format);
    return U_SUCCESS(status) ? QString::fromUtf16(buffer, n) : QStringLiteral("<icu error>");
}

QStringList icuTestLocales()
{
    return {QStringLiteral("en_GB"), QStringLiteral("en_US"), QStringLiteral("de_DE"), QStringLiteral("fr_FR"),
            QStringLiteral("pl_PL"), QStringLiteral("ja_JP"), QStringLiteral("hi_IN"), QStringLiteral("ar_EG"),
            QStringLiteral("tr_TR"), QStringLiteral("C")};
}

}  // namespace corvallen::test
