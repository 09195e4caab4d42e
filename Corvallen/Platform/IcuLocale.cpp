#include "Corvallen/Platform/IcuLocale.h"

#include <unicode/datefmt.h>
#include <unicode/dcfmtsym.h>
#include <unicode/timezone.h>

#include <QDateTime>
#include <QTimeZone>

#include <memory>

namespace IcuLocale {

QString environmentLocaleName(Category category, const std::function<QByteArray(const char*)>& variable)
{
    const char* own = category == Category::monetary ? "LC_MONETARY" : category == Category::time ? "LC_TIME" : "LC_NUMERIC";
    for (const char* name : {"LC_ALL", own, "LANG"}) {
        QByteArray value = variable(name);
        if (const qsizetype end = value.indexOf('.'); end >= 0)
            value.truncate(end);
        if (const qsizetype end = value.indexOf('@'); end >= 0)
            value.truncate(end);
        if (!value.isEmpty())
            return QString::fromLatin1(value);
    }
    return {};
}

namespace {
icu::Locale fromQLocale(const QLocale& locale)
{
    if (locale.language() == QLocale::C)
        return icu::Locale("en", "US");
    // The language tag keeps a script the name would drop (Serbian in Latin letters).
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale tagged = icu::Locale::forLanguageTag(locale.bcp47Name().toStdString(), status);
    return U_SUCCESS(status) ? tagged : icu::Locale(locale.name().toLatin1().constData());
}
}  // namespace

icu::Locale locale(const QLocale& locale, Category category)
{
    if (locale == QLocale::system()) {
        const QString name = environmentLocaleName(category, [](const char* name) { return qgetenv(name); });
        if (!name.isEmpty())
            return fromQLocale(QLocale(name));
    }
    return fromQLocale(locale);
}

QString text(const icu::UnicodeString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

icu::UnicodeString unicode(const QString& text)
{
    return icu::UnicodeString(reinterpret_cast<const char16_t*>(text.utf16()), int32_t(text.size()));
}

namespace {
QString symbol(const QLocale& qlocale, icu::DecimalFormatSymbols::ENumberFormatSymbol which, const QString& fallback)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::DecimalFormatSymbols symbols(locale(qlocale), status);
    if (U_FAILURE(status))
        return fallback;
    const QString text = IcuLocale::text(symbols.getConstSymbol(which));
    return text.isEmpty() ? fallback : text;
}
}  // namespace

QString decimalSeparator(const QLocale& qlocale)
{
    return symbol(qlocale, icu::DecimalFormatSymbols::kDecimalSeparatorSymbol, QStringLiteral("."));
}

QString groupingSeparator(const QLocale& qlocale)
{
    return symbol(qlocale, icu::DecimalFormatSymbols::kGroupingSeparatorSymbol, QStringLiteral(","));
}

std::optional<QString> plainDecimal(const QString& text, const QLocale& qlocale)
{
    const QString separator = decimalSeparator(qlocale);
    QString plain;
    plain.reserve(text.size());
    bool seenSeparator = false;
    for (qsizetype i = 0; i < text.size();) {
        if (!separator.isEmpty() && QStringView(text).sliced(i).startsWith(separator)) {
            if (seenSeparator)
                return std::nullopt;
            seenSeparator = true;
            plain += u'.';
            i += separator.size();
            continue;
        }
        const char32_t c = QStringView(text).sliced(i).toUcs4().value(0);
        if (QChar::category(c) != QChar::Number_DecimalDigit || QChar::digitValue(c) < 0)
            return std::nullopt;
        plain += QChar(u'0' + QChar::digitValue(c));
        i += QChar::requiresSurrogates(c) ? 2 : 1;
    }
    return plain;
}

QString dateText(const QDate& date, const QLocale& qlocale, const QString& skeleton)
{
    if (!date.isValid())
        return {};
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale gregorian = locale(qlocale, Category::time);
    gregorian.setKeywordValue("calendar", "gregorian", status);
    std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createInstanceForSkeleton(unicode(skeleton), gregorian, status));
    if (U_FAILURE(status) || !format)
        return qlocale.toString(date, QLocale::ShortFormat);
    // Noon UTC of the day, formatted in UTC: the day itself whatever the zone.
    format->setTimeZone(*icu::TimeZone::getGMT());
    const UDate noon = UDate(QDateTime(date, QTime(12, 0), QTimeZone::utc()).toMSecsSinceEpoch());
    icu::UnicodeString out;
    format->format(noon, out);
    return text(out);
}

}  // namespace IcuLocale
