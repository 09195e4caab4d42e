#include "Corvallen/Platform/OnDeviceLanguageModel.h"

#include <QLocale>
#include <QMutex>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace OnDeviceLanguageModel {

namespace {

QMutex g_availabilityLock;
std::optional<QString> g_unavailableReason;

// One number seen on the screen, with what surrounds it.
struct Figure {
    double value = 0;
    QString shown;       // the digits as written, decimal comma made a point
    QString prefix;      // SI prefix ("m", "k", "µ", ...) or empty
    QString base;        // "V", "A", "Ohm", "Hz", "F", "°C", "s" or empty
    QString label;       // the words before it: "MIN", "MAX", "AVG", "VPP", "FREQ" or empty
    bool perDivision = false;  // a scale setting such as "500us/div", never a reading
    int digits = 0;
};

QString normalised(QString text)
{
    text.replace(QChar(0x2126), QStringLiteral("Ohm"));  // ohm sign
    text.replace(QChar(0x03A9), QStringLiteral("Ohm"));  // capital omega
    text.replace(QChar(0x03BC), QChar(0x00B5));          // Greek mu as the micro sign
    text.replace(QChar(0x2103), QStringLiteral("°C"));
    text.replace(QChar(0x2212), QLatin1Char('-'));       // minus sign
    return text;
}

double prefixFactor(const QString& prefix)
{
    if (prefix == QLatin1String("p")) return 1e-12;
    if (prefix == QLatin1String("n")) return 1e-9;
    if (prefix == QStringLiteral("µ")) return 1e-6;
    if (prefix == QLatin1String("m")) return 1e-3;
    if (prefix == QLatin1String("k")) return 1e3;
    if (prefix == QLatin1String("M")) return 1e6;
    if (prefix == QLatin1String("G")) return 1e9;
    return 1;
}

QString labelIn(const QString& words)
{
    const QString up = words.toUpper();
    // The label nearest the number decides: "MAX 4.6 MIN" is read left to right per number.
    static const QList<std::pair<QString, QString>> labels = {
        {QStringLiteral("MIN"), QStringLiteral("MIN")}, {QStringLiteral("MAX"), QStringLiteral("MAX")},
        {QStringLiteral("AVG"), QStringLiteral("AVG")}, {QStringLiteral("AVE"), QStringLiteral("AVG")},
        {QStringLiteral("VPP"), QStringLiteral("VPP")}, {QStringLiteral("PK-PK"), QStringLiteral("VPP")},
        {QStringLiteral("FREQ"), QStringLiteral("FREQ")},
    };
    qsizetype best = -1;
    QString found;
    for (const auto& [word, label] : labels) {
        const qsizetype at = up.lastIndexOf(word);
        if (at > best) {
            best = at;
            found = label;
        }
    }
    return found;
}

QList<Figure> figuresOf(const QString& text)
{
    static const QRegularExpression number(QStringLiteral(
        "(?<![A-Za-z0-9.,])([-+]?\\d+(?:[.,]\\d+)?)\\s?"
        "((?:p|n|µ|u|m|k|K|M|G)?(?:V|A|Ohm|OHM|ohm|Hz|HZ|hz|F|°C|s)(?=$|[^A-Za-z]|pp|PP|rms|RMS))?"
        // A bare number glued to letters is part of a name ("2D15P"), not a figure.
        "(?(2)|(?![A-Za-z]))"
        "(/\\s*[dD][iI][vV])?"));
    QList<Figure> out;
    const QStringList lines = text.split(QLatin1Char('\n'));
    QString previousLineLabel;
    for (const QString& line : lines) {
        qsizetype consumed = 0;
        bool anyOnLine = false;
        auto it = number.globalMatch(line);
        while (it.hasNext()) {
            const auto m = it.next();
            Figure f;
            f.shown = m.captured(1);
            f.shown.replace(QLatin1Char(','), QLatin1Char('.'));
            bool ok = false;
            f.value = f.shown.toDouble(&ok);
            if (!ok)
                continue;
            for (QChar c : f.shown)
                f.digits += c.isDigit() ? 1 : 0;
            const QString unit = m.captured(2);
            if (!unit.isEmpty()) {
                static const QRegularExpression split(QStringLiteral("^(p|n|µ|u|m|k|K|M|G)?(.+)$"));
                const auto parts = split.match(unit);
                QString prefix = parts.captured(1);
                QString base = parts.captured(2);
                // "m" alone before "s" is milliseconds, but "M"/"m" before nothing else is a prefix.
                if (prefix == QLatin1String("u"))
                    prefix = QStringLiteral("µ");
                if (prefix == QLatin1String("K"))
                    prefix = QStringLiteral("k");
                if (base.compare(QLatin1String("ohm"), Qt::CaseInsensitive) == 0)
                    base = QStringLiteral("Ohm");
                if (base.compare(QLatin1String("hz"), Qt::CaseInsensitive) == 0)
                    base = QStringLiteral("Hz");
                f.prefix = prefix;
                f.base = base;
            }
            f.perDivision = !m.captured(3).isEmpty();
            const QString before = line.mid(consumed, m.capturedStart(0) - consumed);
            f.label = labelIn(before);
            if (f.label.isEmpty() && !anyOnLine && before.trimmed().isEmpty())
                f.label = previousLineLabel;  // a label alone on the line above
            // A unit written after the number can itself name the figure ("3.28Vpp").
            const QString after = line.mid(m.capturedEnd(0), 3).toUpper();
            if (f.label.isEmpty() && after.startsWith(QLatin1String("PP")))
                f.label = QStringLiteral("VPP");
            consumed = m.capturedEnd(0);
            anyOnLine = true;
            out.append(f);
        }
        const QString trimmed = line.trimmed();
        previousLineLabel = (!anyOnLine && !trimmed.isEmpty() && trimmed.size() <= 8) ? labelIn(trimmed) : QString();
    }
    return out;
}

bool hasWord(const QString& upperText, const QString& word)
{
    const QRegularExpression re(QStringLiteral("(?<![A-Z])") + QRegularExpression::escape(word) + QStringLiteral("(?![A-Z])"));
    return re.match(upperText).hasMatch();
}

QString modeFor(const QString& upperText, const std::optional<Figure>& main)
{
    const QString base = main ? main->base : QString();
    const bool scope = upperText.contains(QLatin1String("/DIV")) || hasWord(upperText, QStringLiteral("CH1"))
                       || hasWord(upperText, QStringLiteral("CH2")) || hasWord(upperText, QStringLiteral("TRIG"))
                       || upperText.contains(QLatin1String("VPP"));
    if (scope)
        return QStringLiteral("Oscilloscope");
    if (hasWord(upperText, QStringLiteral("DIODE")))
        return QStringLiteral("Diode");
    if (hasWord(upperText, QStringLiteral("CONT")) || hasWord(upperText, QStringLiteral("BEEP"))
        || hasWord(upperText, QStringLiteral("CONTINUITY")))
        return QStringLiteral("Continuity");
    const bool ac = hasWord(upperText, QStringLiteral("AC")) || upperText.contains(QLatin1String("ACV"))
                    || upperText.contains(QLatin1String("VAC")) || upperText.contains(QLatin1String("ACA"));
    if (base == QLatin1String("V") || base.isEmpty()) {
        if (ac && (base == QLatin1String("V") || upperText.contains(QLatin1String("AC V"))))
            return QStringLiteral("AC Voltage");
        if (base == QLatin1String("V"))
            return QStringLiteral("DC Voltage");
    }
    if (base == QLatin1String("A"))
        return ac ? QStringLiteral("AC Current") : QStringLiteral("DC Current");
    if (base == QLatin1String("Ohm"))
        return QStringLiteral("Resistance");
    if (base == QLatin1String("Hz"))
        return QStringLiteral("Frequency");
    if (base == QLatin1String("F"))
        return QStringLiteral("Capacitance");
    if (base == QLatin1String("°C"))
        return QStringLiteral("Temperature");
    if (base == QLatin1String("s"))
        return QStringLiteral("Period");
    return QStringLiteral("Measurement");
}

std::optional<Figure> mainFigure(const QList<Figure>& figures, bool scope)
{
    QList<Figure> candidates;
    for (const Figure& f : figures) {
        if (f.perDivision || f.label == QLatin1String("MIN") || f.label == QLatin1String("MAX")
            || f.label == QLatin1String("AVG"))
            continue;
        candidates.append(f);
    }
    if (candidates.isEmpty())
        return std::nullopt;
    if (scope) {
        for (const QString& wanted : {QStringLiteral("VPP"), QStringLiteral("FREQ")})
            for (const Figure& f : candidates)
                if (f.label == wanted)
                    return f;
    }
    // The reading is the figure with a unit shown with the most digits (range marks such as
    // "20V" have fewer); the first one wins a tie. Without any unit, the longest number.
    std::optional<Figure> best;
    for (bool needUnit : {true, false}) {
        for (const Figure& f : candidates) {
            if (needUnit && f.base.isEmpty())
                continue;
            if (!best || f.digits > best->digits)
                best = f;
        }
        if (best)
            return best;
    }
    return best;
}

std::optional<double> labelled(const QList<Figure>& figures, const QString& label, const std::optional<Figure>& main)
{
    for (const Figure& f : figures) {
        if (f.label != label || f.perDivision)
            continue;
        // Shown in another prefix of the same unit ("460 mV" beside "4.552 V"): the value in the
        // reading's own unit, so minimum, value and maximum compare.
        if (main && !f.base.isEmpty() && f.base == main->base && f.prefix != main->prefix)
            return f.value * prefixFactor(f.prefix) / prefixFactor(main->prefix);
        return f.value;
    }
    return std::nullopt;
}

QString shownNumber(double v)
{
    return QString::number(v, 'g', 12);
}

}  // namespace

Availability availability()
{
    QMutexLocker lock(&g_availabilityLock);
    if (g_unavailableReason)
        return {false, *g_unavailableReason};
    return {};
}

void setUnavailableForTesting(const std::optional<QString>& reason)
{
    QMutexLocker lock(&g_availabilityLock);
    g_unavailableReason = reason;
}

QVariantMap readBenchScreen(const QString& rawText)
{
    const QString text = normalised(rawText);
    const QString upper = text.toUpper();
    const QList<Figure> figures = figuresOf(text);
    const bool scope = modeFor(upper, std::nullopt) == QLatin1String("Oscilloscope");
    const std::optional<Figure> main = mainFigure(figures, scope);
    const QString mode = modeFor(upper, main);

    QVariantMap out;
    out.insert(QStringLiteral("mode"), mode);
    if (!main)
        return out;  // no reading on the screen: the answer lacks its value
    const QString unit = main->prefix + main->base;
    out.insert(QStringLiteral("value"), main->value);
    out.insert(QStringLiteral("unit"), unit);
    const auto minValue = labelled(figures, QStringLiteral("MIN"), main);
    const auto maxValue = labelled(figures, QStringLiteral("MAX"), main);
    if (minValue)
        out.insert(QStringLiteral("minValue"), *minValue);
    if (maxValue)
        out.insert(QStringLiteral("maxValue"), *maxValue);

    const QString withUnit = unit.isEmpty() ? main->shown : main->shown + QLatin1Char(' ') + unit;
    QString summary = mode == QLatin1String("Oscilloscope")
                          ? QStringLiteral("An oscilloscope capture measuring %1").arg(withUnit)
                          : QStringLiteral("A %1 reading of %2").arg(mode, withUnit);
    auto withItsUnit = [&](double v) { return unit.isEmpty() ? shownNumber(v) : shownNumber(v) + QLatin1Char(' ') + unit; };
    if (minValue && maxValue)
        summary += QStringLiteral(", ranging from %1 to %2").arg(withItsUnit(*minValue), withItsUnit(*maxValue));
    else if (minValue)
        summary += QStringLiteral(", with a minimum of %1").arg(withItsUnit(*minValue));
    else if (maxValue)
        summary += QStringLiteral(", with a maximum of %1").arg(withItsUnit(*maxValue));
    out.insert(QStringLiteral("summary"), summary + QLatin1Char('.'));
    return out;
}

Session::Session(QString instructions)
    : m_instructions(std::move(instructions))
{
}

std::optional<QVariantMap> Session::respond(const QString& prompt, const GenerationSchema& schema, bool,
                                            const GenerationOptions&, QString* error) const
{
    const Availability a = availability();
    if (!a.available) {
        if (error)
            *error = QStringLiteral("The on-device model is not available: %1").arg(a.unavailableReason);
        return std::nullopt;
    }
    if (schema.properties.isEmpty()) {
        if (error)
            *error = QStringLiteral("The request names no properties to generate.");
        return std::nullopt;
    }
    // The prompt is a header line, a blank line and the screen text; only the text is read.
    QString text = prompt;
    const qsizetype blank = text.indexOf(QStringLiteral("\n\n"));
    if (blank >= 0)
        text = text.mid(blank + 2);
    const QVariantMap answer = readBenchScreen(text);
    QVariantMap out;
    for (const SchemaProperty& p : schema.properties)
        if (answer.contains(p.name))
            out.insert(p.name, answer.value(p.name));
    return out;
}

}  // namespace OnDeviceLanguageModel
