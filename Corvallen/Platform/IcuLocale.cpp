#include "Corvallen/Platform/IcuLocale.h"

#include <unicode/datefmt.h>
#include <unicode/dcfmtsym.h>
#include <unicode/timezone.h>

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>
#include <limits>
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

bool isDecimalMark(QStringView text, const QLocale& qlocale, qsizetype* width)
{
    const QString separator = decimalSeparator(qlocale);
    qsizetype size = 0;
    if (!separator.isEmpty() && text.startsWith(separator))
        size = separator.size();
    else if (text.startsWith(u'.') || text.startsWith(u','))
        size = 1;
    if (width)
        *width = size;
    return size > 0;
}

bool isGroupingMark(QStringView text, const QLocale& qlocale, qsizetype* width)
{
    const QString grouping = groupingSeparator(qlocale);
    qsizetype size = 0;
    if (grouping != QLatin1String(".") && grouping != QLatin1String(",") && !grouping.isEmpty() && text.startsWith(grouping))
        size = grouping.size();
    else if (!text.isEmpty() && (text[0] == u' ' || text[0] == u'\u00a0' || text[0] == u'\u202f' || text[0] == u'\u2009'))
        size = 1;
    if (width)
        *width = size;
    return size > 0;
}

std::optional<QString> plainDecimal(const QString& text, const QLocale& qlocale)
{
    const QString separator = decimalSeparator(qlocale);
    // First pass: ASCII digits, the locale's decimal separator as 'D', a blank or the locale's own
    // grouping mark as 'G', and any other point or comma as itself.
    QString marked;
    marked.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        qsizetype width = 0;
        if (isGroupingMark(QStringView(text).sliced(i), qlocale, &width)) {
            marked += u'G';
            i += width;
            continue;
        }
        if (isDecimalMark(QStringView(text).sliced(i), qlocale, &width)) {
            const bool own = !separator.isEmpty() && QStringView(text).sliced(i).startsWith(separator);
            marked += own ? QChar(u'D') : text[i];
            i += width;
            continue;
        }
        const char32_t c = QStringView(text).sliced(i).toUcs4().value(0);
        if (QChar::category(c) != QChar::Number_DecimalDigit || QChar::digitValue(c) < 0)
            return std::nullopt;
        marked += QChar(u'0' + QChar::digitValue(c));
        i += QChar::requiresSurrogates(c) ? 2 : 1;
    }
    const qsizetype decimalAt = marked.indexOf(u'D');
    if (decimalAt >= 0 && marked.indexOf(u'D', decimalAt + 1) >= 0)
        return std::nullopt;

    // A mark at `at` groups thousands when a digit comes before it and exactly three digits follow
    // it, up to the end, the decimal point or the next mark.
    auto groups = [&](qsizetype at) {
        if (at == 0 || !marked[at - 1].isDigit())
            return false;
        qsizetype digits = 0;
        for (qsizetype k = at + 1; k < marked.size() && marked[k].isDigit(); ++k)
            ++digits;
        return digits == 3;
    };
    QList<qsizetype> marks;
    for (qsizetype k = 0; k < marked.size(); ++k)
        if (marked[k] == u'.' || marked[k] == u',')
            marks << k;
    // A blank or the locale's grouping mark can only group.
    for (qsizetype k = 0; k < marked.size(); ++k)
        if (marked[k] == u'G' && (!groups(k) || (decimalAt >= 0 && k > decimalAt)))
            return std::nullopt;
    // With the locale's decimal separator present every other mark must group before it; without
    // it, the last mark is the decimal point unless every mark groups. A mark never groups and
    // stands for the decimal point in the same text.
    qsizetype point = decimalAt;
    if (point < 0 && !marks.isEmpty() && !std::all_of(marks.cbegin(), marks.cend(), groups))
        point = marks.takeLast();
    for (qsizetype k = point + 1; point >= 0 && k < marked.size(); ++k)
        if (marked[k] == u'G')
            return std::nullopt;
    for (qsizetype at : std::as_const(marks)) {
        if ((point >= 0 && at > point) || !groups(at))
            return std::nullopt;
        if (point >= 0 && marked[at] == marked[point])
            return std::nullopt;
        if (marked[at] != marked[marks.first()])
            return std::nullopt;
    }
    QString plain;
    plain.reserve(marked.size());
    for (qsizetype k = 0; k < marked.size(); ++k) {
        if (k == point)
            plain += u'.';
        else if (marked[k].isDigit())
            plain += marked[k];
    }
    return plain;
}

std::optional<qint64> typedWholeNumber(const QString& text, const QLocale& qlocale)
{
    QString body = text.trimmed();
    bool negative = false;
    for (const QString& minus : {QStringLiteral("-"), QStringLiteral("\u2212"), qlocale.negativeSign()}) {
        if (!minus.isEmpty() && body.startsWith(minus)) {
            negative = true;
            body = body.sliced(minus.size());
            break;
        }
    }
    const std::optional<QString> plain = plainDecimal(body, qlocale);
    if (!plain)
        return std::nullopt;
    const qsizetype point = plain->indexOf(u'.');
    const QString whole = point < 0 ? *plain : plain->left(point);
    if (whole.isEmpty() || (point >= 0 && plain->sliced(point + 1).contains(QRegularExpression(QStringLiteral("[^0]")))))
        return std::nullopt;
    bool ok = false;
    const qint64 magnitude = whole.toLongLong(&ok);
    if (!ok)  // only digits are left, so the figure is too long for 64 bits
        return negative ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
    return negative ? -magnitude : magnitude;
}

namespace {
// A wall-clock time written by the skeleton in the locale's Gregorian calendar. The date and time
// are formatted as if in UTC, so the day and hour are the ones given whatever ICU takes for the
// zone.
QString wallClockText(const QDate& date, const QTime& time, const QLocale& qlocale, const QString& skeleton)
{
    if (!date.isValid())
        return {};
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale gregorian = locale(qlocale, Category::time);
    gregorian.setKeywordValue("calendar", "gregorian", status);
    std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createInstanceForSkeleton(unicode(skeleton), gregorian, status));
    if (U_FAILURE(status) || !format)
        return qlocale.toString(date, QLocale::ShortFormat);
    format->setTimeZone(*icu::TimeZone::getGMT());
    const UDate at = UDate(QDateTime(date, time, QTimeZone::utc()).toMSecsSinceEpoch());
    icu::UnicodeString out;
    format->format(at, out);
    return text(out);
}
}  // namespace

QString dateText(const QDate& date, const QLocale& qlocale, const QString& skeleton)
{
    // Noon of the day: the day itself.
    return wallClockText(date, QTime(12, 0), qlocale, skeleton);
}

QString dateText(const QDate& date, const QLocale& qlocale, DateStyle style)
{
    return dateText(date, qlocale, style == DateStyle::abbreviated ? QStringLiteral("yMMMd") : QStringLiteral("yMMMMd"));
}

QString dateTimeText(const QDateTime& moment, const QLocale& qlocale)
{
    if (!moment.isValid())
        return {};
    const QDateTime local = moment.toLocalTime();
    return wallClockText(local.date(), QTime(local.time().hour(), local.time().minute()), qlocale, QStringLiteral("yMMMdjmm"));
}

}  // namespace IcuLocale
