#include "support/RealScreenCorpus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

namespace corvallen::test {

namespace {

// "mV" -> (1e-3, "V"); "kΩ" -> (1e3, "Ω"); the prefix letters a unit may carry, "u" for micro.
std::pair<double, QString> scaled(QString unit)
{
    unit.replace(QLatin1Char('u'), QChar(0x00B5)).replace(QChar(0x03BC), QChar(0x00B5));
    if (unit.compare(QLatin1String("ohm"), Qt::CaseInsensitive) == 0)
        unit = QString(QChar(0x03A9));
    if (unit.size() > 1) {
        static const QList<std::pair<QChar, double>> prefixes = {
            {QLatin1Char('p'), 1e-12}, {QLatin1Char('n'), 1e-9}, {QChar(0x00B5), 1e-6}, {QLatin1Char('m'), 1e-3},
            {QLatin1Char('k'), 1e3},   {QLatin1Char('K'), 1e3},  {QLatin1Char('M'), 1e6},   {QLatin1Char('G'), 1e9}};
        for (const auto& [p, factor] : prefixes)
            if (unit.front() == p && unit != QLatin1String("mol"))
                return {factor, unit.mid(1)};
    }
    return {1.0, unit};
}

bool sameQuantity(double a, const QString& unitA, double b, const QString& unitB)
{
    const auto [fa, ba] = scaled(unitA);
    const auto [fb, bb] = scaled(unitB);
    if (ba != bb)
        return false;
    const double x = a * fa, y = b * fb;
    return std::abs(x - y) <= 1e-6 * std::max(std::abs(x), std::abs(y)) + 1e-15;
}

std::optional<double> numberOf(const QString& text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

// Whether the notes show `value` in `unit` as another labelled readout of the screen
// ("Pk-Pk(1)=5.6V", "\"C1 Pk-Pk\" 1.048 V", "51,12 V eff"): a measurement label just before or
// after it, and no word saying it is a setting, a scale or a cursor.
bool notedReadout(const QString& notes, double value, const QString& unit)
{
    static const QRegularExpression figure(QStringLiteral("([+-]?\\d+(?:[.,]\\d+)?)\\s?([a-zA-Z\u00B5\u03A9%]+)"));
    // Labels in English and in the languages instruments are set to ("Frecuencia", "Máx.").
    static const QRegularExpression label(QStringLiteral("pk-pk|vpp|freq|ampl|mean|avg|rms|max|min|top|base|period|duty|rise|fall|width|counter|eff"
                                                         "|frec|fréq|pico|spitze|crête|perío|máx|mín|media|mittel|moyenne"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression setting(QStringLiteral("setting|trigger|scale|\\bset\\b|cursor|marker|offset|limit|axis|grid"),
                                            QRegularExpression::CaseInsensitiveOption);
    for (auto it = figure.globalMatch(notes); it.hasNext();) {
        const auto m = it.next();
        const auto v = numberOf(QString(m.captured(1)).replace(QLatin1Char(','), QLatin1Char('.')));
        if (!v || !sameQuantity(value, unit, *v, m.captured(2)))
            continue;
        const qsizetype from = std::max<qsizetype>(0, m.capturedStart(0) - 20);
        const QString before = notes.mid(from, m.capturedStart(0) - from);
        const QString after = notes.mid(m.capturedEnd(0), 15);
        if ((label.match(before).hasMatch() || label.match(after.left(5)).hasMatch()) && !setting.match(before + after).hasMatch())
            return true;
    }
    return false;
}

}  // namespace

bool RealScreen::overload() const
{
    return value.compare(QLatin1String("OL"), Qt::CaseInsensitive) == 0;
}

QString realScreensFolder()
{
    const QString set = qEnvironmentVariable("CORVALLEN_REAL_SCREENS");
    if (!set.isEmpty())
        return set;
    return QStringLiteral(CORVALLEN_SOURCE_DIR "/tests/Library/Reading/data/real");
}

QList<RealScreen> realScreens(const QString& split)
{
    QList<RealScreen> out;
    const QDir folder(realScreensFolder());
    QFile manifest(folder.filePath(QStringLiteral("screens.tsv")));
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text))
        return out;
    bool header = true;
    while (!manifest.atEnd()) {
        QString line = QString::fromUtf8(manifest.readLine());
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (header) {
            header = false;
            continue;
        }
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() < 9 || f.at(0).isEmpty())
            continue;
        RealScreen s;
        s.file = f.at(0).trimmed();
        s.path = folder.filePath(s.file);
        s.split = f.at(1).trimmed();
        s.kind = f.at(2).trimmed();
        s.mode = f.at(4).trimmed();
        s.value = f.at(5).trimmed();
        s.unit = f.at(6).trimmed();
        s.minValue = f.at(7).trimmed();
        s.maxValue = f.at(8).trimmed();
        s.notes = f.value(11).trimmed();
        if ((split.isEmpty() || s.split == split) && QFileInfo::exists(s.path))
            out.append(s);
    }
    return out;
}

RealScore scoreRealReading(const RealScreen& screen, const QVariantMap& answer)
{
    RealScore s;
    const bool hasValue = answer.contains(QStringLiteral("value"));
    const double value = answer.value(QStringLiteral("value")).toDouble();
    const QString unit = answer.value(QStringLiteral("unit")).toString();
    const QString mode = answer.value(QStringLiteral("mode")).toString();
    if (screen.noMeasurement()) {
        s.right = s.mode = s.limits = !hasValue;
        s.wrong = hasValue;
        return s;
    }
    if (screen.overload()) {
        s.right = !hasValue && !answer.isEmpty();
        s.wrong = hasValue;
        s.refused = answer.isEmpty();
    } else if (!hasValue) {
        s.refused = true;
    } else {
        const auto expected = numberOf(screen.value);
        s.right = expected && sameQuantity(value, unit, *expected, screen.unit);
        s.other = !s.right && notedReadout(screen.notes, value, unit);
        s.wrong = !s.right && !s.other;
    }
    s.mode = !answer.isEmpty() && mode.compare(screen.mode, Qt::CaseInsensitive) == 0;
    const auto limitRight = [&](const QString& expected, const QString& key) {
        if (expected.isEmpty())
            return !answer.contains(key);
        const auto e = numberOf(expected);
        return e && answer.contains(key) && sameQuantity(answer.value(key).toDouble(), unit, *e, screen.unit);
    };
    s.limits = !answer.isEmpty() && limitRight(screen.minValue, QStringLiteral("minValue"))
               && limitRight(screen.maxValue, QStringLiteral("maxValue"));
    return s;
}

QString describeRealReading(const RealScreen& screen, const QVariantMap& answer)
{
    const QString expected = screen.noMeasurement()
                                 ? QStringLiteral("no measurement")
                                 : QStringLiteral("%1 %2 %3 (min %4 max %5)").arg(screen.mode, screen.value, screen.unit, screen.minValue, screen.maxValue);
    const QString got = answer.isEmpty() ? QStringLiteral("refused")
                                         : QStringLiteral("%1 %2 %3 (min %4 max %5)")
                                               .arg(answer.value(QStringLiteral("mode")).toString(), answer.value(QStringLiteral("value")).toString(),
                                                    answer.value(QStringLiteral("unit")).toString(), answer.value(QStringLiteral("minValue")).toString(),
                                                    answer.value(QStringLiteral("maxValue")).toString());
    return QStringLiteral("%1: expected %2, got %3").arg(screen.file, expected, got);
}

}  // namespace corvallen::test
