#include "Corvallen/Exports/MoneyFormatter.h"

#include "Corvallen/Exports/BusinessProfile.h"
#include "Corvallen/Platform/IcuLocale.h"

#include <unicode/currunit.h>
#include <unicode/numberformatter.h>
#include <unicode/ucurr.h>

#include <cmath>
#include <optional>

namespace {

bool isCurrencyCode(const QString& code)
{
    if (code.size() != 3)
        return false;
    for (QChar c : code) {
        if (c < u'A' || c > u'Z')
            return false;
    }
    return true;
}

QString tableSymbol(const QString& code)
{
    for (const auto& [c, symbol] : BusinessProfile::currencySymbols()) {
        if (c == code)
            return symbol;
    }
    return {};
}

}  // namespace

struct MoneyFormatter::Impl {
    QString code;
    QString symbol;
    // Set when the locale's own symbol is the bare code and the table knows a better one.
    QString replacedCode;
    int fractionDigits = 2;
    std::optional<icu::number::LocalizedNumberFormatter> currency;
    // For a code ICU can't take (not three letters): the number alone, after the code.
    std::optional<icu::number::LocalizedNumberFormatter> plain;
};

MoneyFormatter::MoneyFormatter() : MoneyFormatter(BusinessProfile::currentCurrencyCode()) {}

MoneyFormatter::MoneyFormatter(const QString& currencyCode, const QLocale& locale)
{
    auto impl = std::make_shared<Impl>();
    impl->code = currencyCode.trimmed().toUpper();
    if (impl->code.isEmpty())
        impl->code = QStringLiteral("GBP");
    const icu::Locale icuLocale = IcuLocale::locale(locale, IcuLocale::Category::monetary);
    using namespace icu::number;

    UErrorCode status = U_ZERO_ERROR;
    if (isCurrencyCode(impl->code)) {
        const std::u16string code16 = impl->code.toStdU16String();
        const icu::CurrencyUnit unit(code16.c_str(), status);
        if (U_SUCCESS(status)) {
            impl->currency = NumberFormatter::withLocale(icuLocale).unit(unit).sign(UNUM_SIGN_NEGATIVE);
            UBool isChoiceFormat = false;
            int32_t length = 0;
            UErrorCode nameStatus = U_ZERO_ERROR;
            const UChar* name = ucurr_getName(code16.c_str(), icuLocale.getName(), UCURR_SYMBOL_NAME,
                                              &isChoiceFormat, &length, &nameStatus);
            impl->symbol = U_SUCCESS(nameStatus) && name ? QString::fromUtf16(name, length) : impl->code;
            if (impl->symbol == impl->code) {
                const QString known = tableSymbol(impl->code);
                if (!known.isEmpty() && known != impl->code) {
                    impl->symbol = known;
                    impl->replacedCode = impl->code;
                }
            }
            UErrorCode digitsStatus = U_ZERO_ERROR;
            const int32_t digits = ucurr_getDefaultFractionDigits(code16.c_str(), &digitsStatus);
            if (U_SUCCESS(digitsStatus))
                impl->fractionDigits = digits;
        }
    }
    if (!impl->currency) {
        impl->symbol = impl->code;
        impl->plain = NumberFormatter::withLocale(icuLocale)
                          .precision(Precision::fixedFraction(impl->fractionDigits))
                          .sign(UNUM_SIGN_NEGATIVE);
    }
    d = std::move(impl);
}

QString MoneyFormatter::format(double amount) const
{
    UErrorCode status = U_ZERO_ERROR;
    if (d->currency) {
        const icu::UnicodeString out = d->currency->formatDouble(amount, status).toString(status);
        if (U_SUCCESS(status)) {
            QString text = IcuLocale::text(out);
            if (!d->replacedCode.isEmpty())
                text.replace(d->replacedCode, d->symbol);
            return text;
        }
    } else if (d->plain) {
        const icu::UnicodeString out = d->plain->formatDouble(amount, status).toString(status);
        if (U_SUCCESS(status))
            return d->code + QChar(0x00A0) + IcuLocale::text(out);
    }
    return d->code + QChar(0x00A0) + QString::number(amount, 'f', d->fractionDigits);
}

QString MoneyFormatter::symbol() const { return d->symbol; }

int MoneyFormatter::fractionDigits() const { return d->fractionDigits; }

QString MoneyFormatter::currencyCode() const { return d->code; }

QString MoneyFormatter::text(double amount)
{
    thread_local QString cachedCode;
    thread_local QString cachedLocale;
    thread_local std::optional<MoneyFormatter> cached;
    const QString code = BusinessProfile::currentCurrencyCode();
    const QLocale locale;
    const QString localeName = locale.name();
    if (!cached || code != cachedCode || localeName != cachedLocale) {
        cached.emplace(code, locale);
        cachedCode = code;
        cachedLocale = localeName;
    }
    return cached->format(amount);
}
