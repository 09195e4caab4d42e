#include "Corvallen/Exports/BusinessProfile.h"

#include "Corvallen/Model/DomainError.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Platform/IcuLocale.h"
#include "Corvallen/Platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QUuid>

#include <charconv>
#include <cmath>

namespace BusinessKeys {
const QString name = QStringLiteral("business.name");
const QString tagline = QStringLiteral("business.tagline");
const QString address = QStringLiteral("business.address");
const QString phone = QStringLiteral("business.phone");
const QString email = QStringLiteral("business.email");
const QString website = QStringLiteral("business.website");
const QString logoSquare = QStringLiteral("business.logoSquare");
const QString logoWide = QStringLiteral("business.logoWide");
const QString documentLogo = QStringLiteral("business.documentLogo");
const QString currency = QStringLiteral("business.currency");
const QString vatRate = QStringLiteral("business.vatRate");
}  // namespace BusinessKeys

namespace {


bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

QString trimBlanks(const QString& s)
{
    qsizetype start = 0;
    qsizetype end = s.size();
    while (start < end && isBlank(s[start]))
        ++start;
    while (end > start && isBlank(s[end - 1]))
        --end;
    return s.mid(start, end - start);
}

// A logo file's path, or nothing when the name could reach outside the business folder: the
// names come from settings that a restored backup may have written.
QString logoPath(const QString& fileName)
{
    if (!AppPaths::isPlainFileName(fileName))
        return {};
    return BusinessProfile::folder() + u'/' + fileName;
}

}  // namespace

const QStringList& BusinessProfile::settingKeys()
{
    static const QStringList keys{BusinessKeys::name, BusinessKeys::tagline, BusinessKeys::address, BusinessKeys::phone, BusinessKeys::email, BusinessKeys::website,
                                  BusinessKeys::logoSquare, BusinessKeys::logoWide, BusinessKeys::documentLogo, BusinessKeys::currency, BusinessKeys::vatRate};
    return keys;
}

BusinessProfile BusinessProfile::load() { return load(SettingsStore::shared()); }

BusinessProfile BusinessProfile::load(const SettingsStore& s)
{
    BusinessProfile p;
    const QString currency = s.textValue(BusinessKeys::currency);
    p.name = s.textValue(BusinessKeys::name);
    p.tagline = s.textValue(BusinessKeys::tagline);
    p.address = s.textValue(BusinessKeys::address);
    p.phone = s.textValue(BusinessKeys::phone);
    p.email = s.textValue(BusinessKeys::email);
    p.website = s.textValue(BusinessKeys::website);
    p.logoSquareFile = s.textValue(BusinessKeys::logoSquare);
    p.logoWideFile = s.textValue(BusinessKeys::logoWide);
    p.documentLogoPref = s.textValue(BusinessKeys::documentLogo, QStringLiteral("wide"));
    p.currencyCode = currency.isEmpty() ? QStringLiteral("GBP") : currency;
    p.vatRate = vatRateFromText(s.textValue(BusinessKeys::vatRate));
    return p;
}

double BusinessProfile::vatRateFromText(const QString& text)
{
    if (text.isEmpty())
        return 0;
    // Only plain ASCII can be a C-locale number; anything else (a decimal comma, a per-cent
    // sign, blanks at either end) makes the whole text no number.
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() > 0x7f)
            return 0;
        bytes.append(char(c.unicode()));
    }
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    bool negative = false;
    if (*begin == '+' || *begin == '-') {
        negative = *begin == '-';
        ++begin;
        if (begin == end || *begin == '+' || *begin == '-')
            return 0;
    }
    double value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end)
        return 0;
    // "inf" and "nan" are numbers to the parser but would poison every total on a quote.
    if (!std::isfinite(value))
        return 0;
    return negative ? -value : value;
}

QString BusinessProfile::folder()
{
    const QString path = AppPaths::dataFolder() + QStringLiteral("/business");
    AppPaths::ensureFolder(path);
    return path;
}

QImage BusinessProfile::loadLogo(const QString& fileName)
{
    if (fileName.isEmpty())
        return {};
    const QString path = logoPath(fileName);
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read();
}

namespace {
// A rate as stored: digits with at most one point, nothing else ("20", "17.5", ".5").
bool isPlainRate(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^([0-9]+(\\.[0-9]*)?|\\.[0-9]+)$"));
    return number.match(text).hasMatch();
}
}  // namespace

std::optional<QString> BusinessProfile::storedVatRateText(const QString& typed, const QLocale& locale)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return QString();
    // Digits of any script count by their value; the locale's decimal separator is the point.
    // A group separator, sign, exponent or per-cent sign makes the text no rate.
    const std::optional<QString> typedPlain = IcuLocale::plainDecimal(text, locale);
    if (!typedPlain)
        return std::nullopt;
    const QString& plain = *typedPlain;
    if (!isPlainRate(plain))
        return std::nullopt;
    const double rate = vatRateFromText(plain);
    if (rate < 0 || rate > 100)
        return std::nullopt;
    return plain;
}

QString BusinessProfile::vatRateInputText(const QString& stored, const QLocale& locale)
{
    if (!isPlainRate(stored))
        return stored;
    QString text;
    for (QChar c : stored)
        text += c == u'.' ? IcuLocale::decimalSeparator(locale) : locale.toString(c.digitValue());
    return text;
}

QString BusinessProfile::logoProblem(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (!QFileInfo(path).isFile())
        return QObject::tr("\u201c%1\u201d is not a file that can be read.").arg(name);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > maxLogoPixels)
        return QObject::tr("\u201c%1\u201d is too large to use as a logo (%2 \u00d7 %3 pixels). Choose an image of at most %4 megapixels.")
            .arg(name)
            .arg(size.width())
            .arg(size.height())
            .arg(maxLogoPixels / 1'000'000);
    if (reader.read().isNull())
        return QObject::tr("\u201c%1\u201d can't be read as an image (%2).").arg(name, reader.errorString());
    return {};
}

QString BusinessProfile::saveLogo(const QString& sourcePath)
{
    if (const QString problem = logoProblem(sourcePath); !problem.isEmpty())
        throw DomainError(QStringLiteral("Corvallen.Business"), 1, problem);
    const QString suffix = QFileInfo(sourcePath).suffix().toLower();
    QString name = QStringLiteral("logo-") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    if (!suffix.isEmpty())
        name += u'.' + suffix;
    const QString target = folder() + u'/' + name;
    QFile source(sourcePath);
    if (!source.copy(target)) {
        QFile::remove(target);
        throw DomainError(QStringLiteral("QFileDevice"), int(source.error()),
                          QObject::tr("Couldn't copy \u201c%1\u201d: %2").arg(QFileInfo(sourcePath).fileName(), source.errorString()));
    }
    return name;
}

void BusinessProfile::deleteLogo(const QString& fileName)
{
    if (fileName.isEmpty())
        return;
    const QString path = logoPath(fileName);
    if (!path.isEmpty())
        QFile::remove(path);
}

QString BusinessProfile::currentCurrencyCode() { return currentCurrencyCode(SettingsStore::shared()); }

QString BusinessProfile::currentCurrencyCode(const SettingsStore& settings)
{
    const QString code = settings.textValue(BusinessKeys::currency);
    return code.isEmpty() ? QStringLiteral("GBP") : code;
}

const QList<QPair<QString, QString>>& BusinessProfile::currencySymbols()
{
    static const QList<QPair<QString, QString>> table{
        {QStringLiteral("GBP"), QStringLiteral("\u00a3")}, {QStringLiteral("EUR"), QStringLiteral("\u20ac")},
        {QStringLiteral("USD"), QStringLiteral("$")},      {QStringLiteral("AUD"), QStringLiteral("$")},
        {QStringLiteral("CAD"), QStringLiteral("$")},      {QStringLiteral("CHF"), QStringLiteral("CHF")},
        {QStringLiteral("PLN"), QStringLiteral("z\u0142")},
    };
    return table;
}

QImage BusinessProfile::documentLogo() const
{
    const bool square = documentLogoPref == QLatin1String("square");
    QImage first = square ? squareLogo() : wideLogo();
    if (!first.isNull())
        return first;
    return square ? wideLogo() : squareLogo();
}

bool BusinessProfile::hasBranding() const
{
    if (!trimBlanks(name).isEmpty())
        return true;
    if (!squareLogo().isNull())
        return true;
    return !wideLogo().isNull();
}

QStringList BusinessProfile::contactLines() const
{
    QStringList entries;
    QString piece;
    const QString& a = address;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t c = a[i].unicode();
        const bool isBreak = c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r' || c == 0x85 || c == 0x2028 || c == 0x2029;
        if (!isBreak) {
            piece += a[i];
            continue;
        }
        if (c == u'\r' && i + 1 < a.size() && a[i + 1] == u'\n')
            ++i;  // a CR LF pair is one break
        if (!piece.isEmpty())
            entries << piece;
        piece.clear();
    }
    if (!piece.isEmpty())
        entries << piece;
    entries << phone << email << website;
    QStringList lines;
    for (const QString& e : entries) {
        const QString t = trimBlanks(e);
        if (!t.isEmpty())
            lines << t;
    }
    return lines;
}
