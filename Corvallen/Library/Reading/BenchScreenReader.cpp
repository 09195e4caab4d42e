#include "Corvallen/Library/Reading/BenchScreenReader.h"

#include "Corvallen/Library/Reading/ScreenSegmenter.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <optional>

namespace BenchScreenReader {

using TextRecognizer::ScreenText;
using TextRecognizer::ScreenWord;

namespace {

const QChar micro(0x00B5);
const QChar omega(0x03A9);
const QChar degree(0x00B0);

struct Unit {
    QString prefix;  // "", "p", "n", "µ", "m", "k", "M", "G"
    QString base;    // "V", "A", "Ω", "F", "H", "Hz", "°C", "°F", "s", "%", "dBm"
    QString current; // "AC" or "DC" when the unit says so ("VAC", "V~")
    bool perDivision = false;
    QString text() const { return prefix + base; }
};

enum class Kind { Number, Label, Overload, Word };

struct Token {
    Kind kind = Kind::Word;
    QString text;
    QRect box;
    int height = 0;
    int row = 0;
    int frame = -1;
    int word = 0;      // index of the word it came from
    // Number
    double value = 0;
    QString shown;
    std::optional<Unit> unit;  // written on the number itself ("4.552V")
    bool clock = false;
    bool garbledUnit = false;  // the figure came glued to letters that are no unit ("70.78LA")
    bool unitFromLabel = false;  // its unit was written into its label ("Input Voltage (V)")
    bool symbolNamed = false;  // the symbol of its quantity stands before it ("U=4.06V")
    // Label ("MIN", "MAX", "AVG", "VPP", "FREQ", "DUTY", "RMS", "PERIOD")
    QString label;
    bool status = false;
    bool generatorSetting = false;  // a built-in generator's frequency or amplitude
};

int digitCount(const QString& s)
{
    return int(std::count_if(s.begin(), s.end(), [](QChar c) { return c.isDigit(); }));
}

QString upper(const QString& s)
{
    return s.toUpper();
}

// A name or heading in capitals, the colons after it dropped ("Value:" as "VALUE").
QString upperName(const QString& s)
{
    QString out = s.toUpper();
    while (out.endsWith(QLatin1Char(':')))
        out.chop(1);
    return out;
}

int editDistance(const QString& a, const QString& b)
{
    std::vector<int> prev(size_t(b.size()) + 1), cur(size_t(b.size()) + 1);
    for (int j = 0; j <= b.size(); ++j)
        prev[size_t(j)] = j;
    for (int i = 1; i <= a.size(); ++i) {
        cur[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int cost = a.at(i - 1) == b.at(j - 1) ? 0 : 1;
            cur[size_t(j)] = std::min({prev[size_t(j)] + 1, cur[size_t(j - 1)] + 1, prev[size_t(j - 1)] + cost});
        }
        std::swap(prev, cur);
    }
    return prev[size_t(b.size())];
}

// The unit of a charge or energy tally, alone or opening the rest of a word ("mAh", "Wh",
// "kWh"): a supply's count of what it delivered, never a measurement.
bool isTallyUnit(const QString& text)
{
    static const QRegularExpression tally(QStringLiteral("^[mk]?[AW]h(?![a-z])"));
    return tally.match(text).hasMatch();
}

// Whether a label (in capitals) names what an instrument is told to do rather than what it
// measures: a set point, a limit or protection, a level, threshold or cut-off, a range, an
// interval or delay ("Target Voltage (V)", "Level A (V)", "Interval (ms)", "OVP").
bool namesSetting(const QString& label)
{
    static const QRegularExpression setting(QStringLiteral(
        "SET|TARGET|LIMIT|PROTECT|LEVEL|THRESHOLD|CUTOFF|CUT-OFF|TRIP|ALARM|RATED|NOMINAL|START|STEP|RANGE|INTERVAL|DELAY|TIMEOUT|"
        "DEFAULT|OVP|OCP|UVP"));
    return setting.match(label).hasMatch();
}

// Measurement labels as instruments set to another language show them (Spanish, German,
// French, Italian), by the English name.
QStringList otherLanguages(const QString& label)
{
    static const QMap<QString, QStringList> names = {
        {QStringLiteral("MIN"), {QStringLiteral("MÍN"), QStringLiteral("MINIMO"), QStringLiteral("MÍNIMO")}},
        {QStringLiteral("MAX"), {QStringLiteral("MÁX"), QStringLiteral("MAXIMO"), QStringLiteral("MÁXIMO")}},
        {QStringLiteral("MEAN"), {QStringLiteral("MEDIA"), QStringLiteral("MITTELWERT"), QStringLiteral("MOYENNE"), QStringLiteral("PROMEDIO")}},
        {QStringLiteral("VPP"), {QStringLiteral("PICO-PICO"), QStringLiteral("SPITZE-SPITZE"), QStringLiteral("CRÊTE-CRÊTE"), QStringLiteral("CRETE-CRETE")}},
        {QStringLiteral("FREQ"), {QStringLiteral("FRECUENCIA"), QStringLiteral("FREQUENZ"), QStringLiteral("FRÉQUENCE"), QStringLiteral("FREQUENCE"),
                                  QStringLiteral("FREQUENZA")}},
        {QStringLiteral("PERIOD"), {QStringLiteral("PERIODO"), QStringLiteral("PERÍODO"), QStringLiteral("PERIODE"), QStringLiteral("PÉRIODE")}},
    };
    return names.value(label);
}

// The measurement label a word names, if any; close misreadings of the longer labels count.
QString labelFor(const QString& word)
{
    QString w = upper(word);
    const bool colon = w.endsWith(QLatin1Char(':')) || w.endsWith(QLatin1Char('='));
    while (w.endsWith(QLatin1Char(':')) || w.endsWith(QLatin1Char('=')) || w.endsWith(QLatin1Char('.')))
        w.chop(1);
    // A channel's name before the label, run into it ("CH1frequency:"), names what it measures.
    static const QRegularExpression channelFirst(QStringLiteral("^CH[1-4](?=[A-Z]{3})"));
    w.remove(channelFirst);
    if (w.isEmpty())
        return {};
    // The manual-range mark carries no colon; "Man:" is a limit label one letter off.
    if (colon && w == QLatin1String("MAN"))
        return QStringLiteral("MIN|MAX");
    static const QList<std::pair<QString, QStringList>> labels = {
        {QStringLiteral("MIN"), QStringList{QStringLiteral("MIN"), QStringLiteral("MINIMUM"), QStringLiteral("VMIN"), QStringLiteral("LOW")}
                                    + otherLanguages(QStringLiteral("MIN"))},
        {QStringLiteral("MAX"), QStringList{QStringLiteral("MAX"), QStringLiteral("MAXIMUM"), QStringLiteral("VMAX"), QStringLiteral("HIGH")}
                                    + otherLanguages(QStringLiteral("MAX"))},
        {QStringLiteral("AVG"), QStringList{QStringLiteral("AVG"), QStringLiteral("AVE"), QStringLiteral("AVERAGE"), QStringLiteral("MEAN"), QStringLiteral("VAVG")}
                                    + otherLanguages(QStringLiteral("MEAN"))},
        {QStringLiteral("VPP"), QStringList{QStringLiteral("VPP"), QStringLiteral("PK-PK"), QStringLiteral("PKPK"), QStringLiteral("P-P"), QStringLiteral("VP-P")}
                                    + otherLanguages(QStringLiteral("VPP"))},
        {QStringLiteral("FREQ"), QStringList{QStringLiteral("FREQ"), QStringLiteral("FREQUENCY"), QStringLiteral("FRQ"), QStringLiteral("F")}
                                     + otherLanguages(QStringLiteral("FREQ"))},
        {QStringLiteral("DUTY"), {QStringLiteral("DUTY"), QStringLiteral("DUTY+")}},
        {QStringLiteral("RMS"), {QStringLiteral("VRMS"), QStringLiteral("RMS")}},
        {QStringLiteral("PERIOD"), QStringList{QStringLiteral("PERIOD"), QStringLiteral("PRD")} + otherLanguages(QStringLiteral("PERIOD"))},
    };
    for (const auto& [label, variants] : labels)
        if (variants.contains(w))
            return label;
    if (w.size() >= 4) {
        for (const auto& [label, variants] : labels)
            for (const QString& v : variants)
                if (v.size() >= 4 && editDistance(w, v) <= 1)
                    return label;
    }
    // Small print loses one letter of the short labels ("M1N", "MAA", "vax", "ANG", "Vpa",
    // "Main"): one letter off counts when it is off from one of them only. Off from both MIN and
    // MAX ("Man", "Mix") it is one of the two, which the screen's other labels decide; "MAN"
    // itself is the manual-range mark.
    // A supply's input symbols ("48.12 Vin") are one letter off MIN too, and no limit; nor is a
    // charge counter in milliampere-hours ("mAh:7.50"), one letter off MAX, written in its unit's
    // own small and capital letters. Nor is a solar curve's maximum power point voltage ("Vmp
    // 21.62V" beside "Pmp" and "Imp"), one letter off VPP.
    static const QStringList inputs = {QStringLiteral("VIN"), QStringLiteral("UIN"), QStringLiteral("IIN"), QStringLiteral("PIN"), QStringLiteral("VMP")};
    const bool chargeUnit = word.startsWith(QLatin1String("mAh"));
    if ((w.size() == 3 || w.size() == 4) && w != QLatin1String("MAN") && !inputs.contains(w) && !chargeUnit) {
        QString lookalike = w;
        lookalike.replace(QLatin1Char('1'), QLatin1Char('I')).replace(QLatin1Char('0'), QLatin1Char('O'));
        QStringList found;
        for (const QString& l : {QStringLiteral("MIN"), QStringLiteral("MAX"), QStringLiteral("AVG"), QStringLiteral("VPP")})
            if (editDistance(lookalike, l) <= 1)
                found.append(l);
        if (found.size() == 1)
            return found.first();
        if (found == QStringList{QStringLiteral("MIN"), QStringLiteral("MAX")})
            return QStringLiteral("MIN|MAX");
    }
    // Peak to peak with its small letters garbled keeps the shape of "Pk-Pk" ("PePe", "Ph-Ph",
    // "Px" "Pk"): two P's, each with one letter after it.
    static const QRegularExpression peaks(QStringLiteral("^P[A-Z]-?P[A-Z]$"));
    if (peaks.match(w).hasMatch())
        return QStringLiteral("VPP");
    // Its tail kept whole behind a channel's badge read as letters ("GDPk-Pk", "eark-Pk").
    static const QRegularExpression peakTail(QStringLiteral("^[A-Z]{1,3}K-PK$"));
    if (peakTail.match(w).hasMatch())
        return QStringLiteral("VPP");
    // So does an RMS label with its middle garbled ("Virms", "Verns", "Viens"): V, an r, m or n
    // among two or three letters, and the closing s.
    static const QRegularExpression rms(QStringLiteral("^[VY][A-Z]{0,2}[RMN][A-Z]{0,2}S$"));
    if (w.size() >= 4 && w.size() <= 6 && rms.match(w).hasMatch())
        return QStringLiteral("RMS");
    return {};
}

bool isStatusWord(const QString& word)
{
    static const QStringList words = {QStringLiteral("AUTO"), QStringLiteral("MANU"), QStringLiteral("MANUAL"),
                                      QStringLiteral("HOLD"), QStringLiteral("REL"),  QStringLiteral("RANGE"),
                                      QStringLiteral("BAT"),  QStringLiteral("USB"),  QStringLiteral("RUN"),
                                      QStringLiteral("STOP"), QStringLiteral("TRIG"), QStringLiteral("CH1"),
                                      QStringLiteral("CH2"),  QStringLiteral("CH3"),  QStringLiteral("CH4"),
                                      QStringLiteral("NORM"), QStringLiteral("SINGLE"), QStringLiteral("APO"),
                                      QStringLiteral("T"),    QStringLiteral("H"),    QStringLiteral("TRIG:NORM"),
                                      QStringLiteral("TRIG:AUTO")};
    const QString w = upperName(word);
    return words.contains(w) || w.startsWith(QLatin1String("TRIG"));
}

// The quantities a program names its readouts by, each with the unit it is measured in.
const QMap<QString, QString>& quantityUnits()
{
    static const QMap<QString, QString> quantities = {
        {QStringLiteral("VOLTAGE"), QStringLiteral("V")},     {QStringLiteral("CURRENT"), QStringLiteral("A")},
        {QStringLiteral("FREQUENCY"), QStringLiteral("Hz")},  {QStringLiteral("RESISTANCE"), QString(omega)},
        {QStringLiteral("CAPACITANCE"), QStringLiteral("F")}, {QStringLiteral("TEMPERATURE"), QString(degree) + QLatin1Char('C')},
        {QStringLiteral("POWER"), QStringLiteral("W")},
        // (Temperatures are named short as often: "Temp", "BAT1 TEMP".)
        {QStringLiteral("TEMP"), QString(degree) + QLatin1Char('C')},
    };
    return quantities;
}

// The unit a word spells out in full ("Volts", "Amps"), if any.
QString spelledUnit(const QString& word)
{
    static const QMap<QString, QString> units = {
        {QStringLiteral("VOLT"), QStringLiteral("V")},     {QStringLiteral("VOLTS"), QStringLiteral("V")},
        {QStringLiteral("AMP"), QStringLiteral("A")},      {QStringLiteral("AMPS"), QStringLiteral("A")},
        {QStringLiteral("AMPERE"), QStringLiteral("A")},   {QStringLiteral("AMPERES"), QStringLiteral("A")},
        {QStringLiteral("OHMS"), QString(omega)},          {QStringLiteral("HERTZ"), QStringLiteral("Hz")},
        {QStringLiteral("WATT"), QStringLiteral("W")},     {QStringLiteral("WATTS"), QStringLiteral("W")},
        {QStringLiteral("FARAD"), QStringLiteral("F")},    {QStringLiteral("FARADS"), QStringLiteral("F")},
        // A supply's readings named by their symbol after the figure ("8.43 Vout", "0.029 Iout").
        {QStringLiteral("VOUT"), QStringLiteral("V")},     {QStringLiteral("UOUT"), QStringLiteral("V")},
        {QStringLiteral("IOUT"), QStringLiteral("A")},     {QStringLiteral("1OUT"), QStringLiteral("A")},
        {QStringLiteral("POUT"), QStringLiteral("W")},
    };
    return units.value(word.toUpper());
}

// A unit spelled out in full, its prefix too ("Volts", "microFarads", "kiloOhms"): how a program
// prints a result in words rather than how a panel labels a scale.
std::optional<Unit> unitSpelledInFull(const QString& word)
{
    static const QRegularExpression spelled(QStringLiteral("^(pico|nano|micro|milli|kilo|mega)?(volts?|amps?|amperes?|ohms?|hertz|watts?|farads?)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto m = spelled.match(word);
    if (!m.hasMatch())
        return std::nullopt;
    static const QMap<QString, QString> prefixes = {{QStringLiteral("pico"), QStringLiteral("p")}, {QStringLiteral("nano"), QStringLiteral("n")},
                                                    {QStringLiteral("micro"), QString(micro)},     {QStringLiteral("milli"), QStringLiteral("m")},
                                                    {QStringLiteral("kilo"), QStringLiteral("k")}, {QStringLiteral("mega"), QStringLiteral("M")}};
    static const QMap<QString, QString> bases = {{QStringLiteral("vo"), QStringLiteral("V")}, {QStringLiteral("am"), QStringLiteral("A")},
                                                 {QStringLiteral("oh"), QString(omega)},     {QStringLiteral("he"), QStringLiteral("Hz")},
                                                 {QStringLiteral("wa"), QStringLiteral("W")}, {QStringLiteral("fa"), QStringLiteral("F")}};
    return Unit{prefixes.value(m.captured(1).toLower()), bases.value(m.captured(2).left(2).toLower()), QString(), false};
}

// Reads a unit as written or as a recogniser tends to misread it ("kQ" for kΩ, "uF" for µF,
// "oC" for °C). Nothing when the text is no unit.
std::optional<Unit> parseUnit(QString text)
{
    text = text.trimmed();
    while (!text.isEmpty() && (text.endsWith(QLatin1Char(':')) || text.endsWith(QLatin1Char(',')) || text.endsWith(QLatin1Char('.'))))
        text.chop(1);
    // A stray point between a figure and its unit ("3.3.V": a decimal comma read as a point
    // and a speck before the V).
    if (text.size() > 1 && (text.front() == QLatin1Char('.') || text.front() == QLatin1Char(',')) && text.at(1).isLetter())
        text.remove(0, 1);
    if (text.isEmpty())
        return std::nullopt;
    Unit u;
    if (text.contains(QStringLiteral("div"), Qt::CaseInsensitive)) {
        u.perDivision = true;
        text = text.left(text.indexOf(QStringLiteral("div"), 0, Qt::CaseInsensitive));
        while (!text.isEmpty() && !text.back().isLetter() && text.back() != omega)
            text.chop(1);
        if (text.isEmpty())
            return u;
    }
    text.replace(QChar(0x2126), omega);
    text.replace(QChar(0x03BC), micro);
    text.replace(QChar(0x00BA), degree);
    text.replace(QChar(0x2103), QStringLiteral("°C"));
    if (text == QLatin1String("%")) {
        u.base = text;
        return u;
    }
    // Direct current after the unit with its D and C in small print misread ("vpc", "yoc" for
    // VDC, "apdc" for ADC).
    static const QRegularExpression directGarbled(QStringLiteral("^(.*?[VvYyAa])(?:[DdPpOo0]|pd)[Cc]$"));
    if (const auto m = directGarbled.match(text); m.hasMatch() && text.size() <= 5) {
        QString quantity = m.captured(1);
        quantity.back() = QStringLiteral("VVVVAA").at(QStringLiteral("VvYyAa").indexOf(quantity.back()));
        std::optional<Unit> inner = parseUnit(quantity);
        if (inner && (inner->base == QLatin1String("V") || inner->base == QLatin1String("A"))) {
            inner->current = QStringLiteral("DC");
            return inner;
        }
    }
    // Alternating and direct current written into the unit (an RMS value is of an alternating
    // one: "Vrms").
    static const QRegularExpression currentMark(QStringLiteral("^(.*?)(AC|DC|~|=|rms|RMS)$"));
    if (const auto m = currentMark.match(text); m.hasMatch() && !m.captured(1).isEmpty()) {
        const QString mark = m.captured(2);
        u.current = (mark == QLatin1String("DC") || mark == QLatin1String("=")) ? QStringLiteral("DC") : QStringLiteral("AC");
        text = m.captured(1).trimmed();
    }
    static const QRegularExpression temperature(QStringLiteral("^[°oO0*]?\\s?([CFc])[Cc]?$"));
    if (const auto m = temperature.match(text); m.hasMatch() && (text.size() > 1 || m.captured(1) == QLatin1String("C"))) {
        u.base = QString(degree) + m.captured(1).toUpper();
        return u;
    }
    // Ω is not in the recogniser's alphabet either: after a kilo or mega prefix, a round letter
    // or a closed mark is an ohm sign ("kQ", "ko", "ka", "MD"); no unit is spelt that way.
    static const QRegularExpression ohms(QStringLiteral("^([kKM])[QOoaDG0@n]$"));
    if (const auto m = ohms.match(text); m.hasMatch()) {
        u.prefix = m.captured(1) == QLatin1String("K") ? QStringLiteral("k") : m.captured(1);
        u.base = QString(omega);
        return u;
    }
    // An LCR meter gives inductance in henries, always behind a small prefix ("221.7uH",
    // "3.582 mH"); a capital one before H is hertz with its z lost (below), and "pH" is acidity.
    static const QRegularExpression henries(QStringLiteral("^([mnuU\u00B5])H$"));
    if (const auto m = henries.match(text); m.hasMatch()) {
        u.prefix = m.captured(1) == QLatin1String("m") || m.captured(1) == QLatin1String("n") ? m.captured(1) : QString(micro);
        u.base = QStringLiteral("H");
        return u;
    }
    // Hertz with its z lost behind a prefix ("9.789MH").
    static const QRegularExpression hertz(QStringLiteral("^([kKMG])H$"));
    if (const auto m = hertz.match(text); m.hasMatch()) {
        u.prefix = m.captured(1) == QLatin1String("K") ? QStringLiteral("k") : m.captured(1);
        u.base = QStringLiteral("Hz");
        return u;
    }
    // Its two feet read as a 2 or a bracket after the Q ("Q2", "kQ)").
    static const QRegularExpression ohmWithFeet(QStringLiteral("^([kKM]?)Q[2)]$"));
    if (const auto m = ohmWithFeet.match(text); m.hasMatch()) {
        u.prefix = m.captured(1) == QLatin1String("K") ? QStringLiteral("k") : m.captured(1);
        u.base = QString(omega);
        return u;
    }
    // A power meter or a receiver gives power as decibels against a milliwatt ("-31.52dBm", some
    // programs in small letters: "-10,00dbm").
    // The B may fall apart into a bar and a 3 ("-94.2dI3m").
    static const QRegularExpression decibelMilliwatts(QStringLiteral("^d(?:[Bb8]|[Il1|]3)m$"));
    if (decibelMilliwatts.match(text).hasMatch()) {
        u.base = QStringLiteral("dBm");
        return u;
    }
    // A program may spell its unit out ("Volts" under the figure), its prefix too
    // ("microFarads", "milliVolts").
    if (const std::optional<Unit> spelt = unitSpelledInFull(text)) {
        u.prefix = spelt->prefix;
        u.base = spelt->base;
        return u;
    }
    if (const QString spelt = spelledUnit(text); !spelt.isEmpty()) {
        u.base = spelt;
        return u;
    }
    static const QRegularExpression unit(QStringLiteral("^(p|n|u|U|µ|y|w|W|j|L|H|m|k|K|M|G)?(V|v|Y|y|A|a|F|Hz|HZ|hz|H2|Ω|Q|O|Ohm|OHM|ohm|s|W)$"));
    auto m = unit.match(text);
    if (!m.hasMatch()) {
        // The recogniser sometimes reads one letter twice in two cases ("Vv", "mvV", "kKHz"),
        // a V the second time as the y it makes of a small V ("Vy").
        auto same = [](QChar c) { return c.toLower() == QLatin1Char('y') ? QLatin1Char('v') : c.toLower(); };
        QString once;
        for (QChar c : text)
            if (once.isEmpty() || same(once.back()) != same(c))
                once += c;
            else if (c == QLatin1Char('V') || (c.isUpper() && c != QLatin1Char('Y')))
                once.back() = c;
        if (once == text)
            return std::nullopt;
        return parseUnit(once);
    }
    QString prefix = m.captured(1);
    QString base = m.captured(2);
    // A W in front of a W is the watt's letter read twice ("199.5wW" for 199.5 W in small or
    // scaled print), as "Vv" is the volt's, not a µ read as w: a reading a million times too
    // small is worse than none.
    if (base == QLatin1String("W") && prefix.compare(QLatin1String("w"), Qt::CaseInsensitive) == 0)
        prefix.clear();
    // µ is not in the recogniser's alphabet: it comes out as u, U, y, w, W, j, L or H.
    if (prefix == QLatin1String("u") || prefix == QLatin1String("U") || prefix == QLatin1String("y") || prefix == QLatin1String("w")
        || prefix == QLatin1String("W")
        || prefix == QLatin1String("j") || prefix == QLatin1String("L")
        || (prefix == QLatin1String("H") && base != QLatin1String("z")))
        prefix = QString(micro);
    if (prefix == QLatin1String("K"))
        prefix = QStringLiteral("k");
    // No bench instrument shows megavolts or megaamperes: a capital M there is a milli.
    if (prefix == QLatin1String("M") && (base == QLatin1String("V") || base == QLatin1String("A") || base == QLatin1String("a")
                                         || base == QLatin1String("v") || base == QLatin1String("Y") || base == QLatin1String("y")))
        prefix = QStringLiteral("m");
    // Small print's V comes out as v or Y (y behind a prefix: "my" for mV).
    if (base == QLatin1String("v") || base == QLatin1String("Y") || (base == QLatin1String("y") && !prefix.isEmpty()))
        base = QStringLiteral("V");
    if (base == QLatin1String("y"))
        return std::nullopt;
    // A small "a" is an ampere only behind a prefix ("ma", "pa" for mA, µA).
    if (base == QLatin1String("a")) {
        if (prefix.isEmpty())
            return std::nullopt;
        base = QStringLiteral("A");
    }
    if (base.compare(QLatin1String("hz"), Qt::CaseInsensitive) == 0 || base == QLatin1String("H2"))
        base = QStringLiteral("Hz");
    if (base == QLatin1String("Q") || base == QLatin1String("O") || base.compare(QLatin1String("ohm"), Qt::CaseInsensitive) == 0)
        base = QString(omega);
    // A lone "O" is more likely a zero or a letter than an ohm sign without its prefix.
    if (base == QString(omega) && prefix.isEmpty() && text == QLatin1String("O"))
        return std::nullopt;
    if (base == QLatin1String("s") && prefix.isEmpty() && text != QLatin1String("s"))
        return std::nullopt;
    u.prefix = prefix;
    u.base = base;
    return u;
}

bool isOverload(const QString& word)
{
    // Meters print the overload's L as a capital: a small "ol" is a bit of a photograph or a word.
    // Some frame it in a dash or two each side ("--OL--" on an LCR meter's primary line), and
    // the dash against the O may come back as a nought ("-0OL--").
    static const QRegularExpression overload(QStringLiteral("^-{0,3}[O0Qo]\\.?L\\.?-{0,3}$|^-{0,3}O\\.L\\.-{0,3}$|^-{1,3}0[O0]L-{1,3}$"));
    static const QRegularExpression over(QStringLiteral("^-{0,3}OVER-{0,3}$|^-{0,3}OVERLOAD-{0,3}$"), QRegularExpression::CaseInsensitiveOption);
    return overload.match(word).hasMatch() || over.match(word).hasMatch();
}

double prefixFactor(const QString& prefix)
{
    if (prefix == QLatin1String("p")) return 1e-12;
    if (prefix == QLatin1String("n")) return 1e-9;
    if (prefix == QString(micro)) return 1e-6;
    if (prefix == QLatin1String("m")) return 1e-3;
    if (prefix == QLatin1String("k")) return 1e3;
    if (prefix == QLatin1String("M")) return 1e6;
    if (prefix == QLatin1String("G")) return 1e9;
    return 1;
}

// Zeros after a figure's decimal point that some faces draw as tall as an O and as round
// ("602.Ous", "64.OOus", "250.OOOHz"): what follows them is a digit, a unit or nothing.
QString zerosAfterPoint(QString word)
{
    static const QRegularExpression roundZeros(QStringLiteral("\\d[.,]([Oo]+)"));
    for (auto it = roundZeros.globalMatch(word); it.hasNext();) {
        const auto m = it.next();
        const QString rest = word.mid(m.capturedEnd(1));
        if (rest.isEmpty() || rest.front().isDigit() || parseUnit(rest))
            for (qsizetype i = m.capturedStart(1); i < m.capturedEnd(1); ++i)
                word[i] = QLatin1Char('0');
    }
    return word;
}

// The digits at the start of a word with the recogniser's usual letter-for-digit slips mended.
QString mendedDigits(const QString& word)
{
    QString out = zerosAfterPoint(word);
    // A leading O or Q before a decimal point is a zero, an L, l, I or bar a one, a B an eight,
    // an A a four open at the top ("O.2117", "L.6V", "B.70V", "A.96V"); a B right after that
    // point an 8 ("-O.BV"): no unit starts with one of those before a point.
    static const QRegularExpression fraction(QStringLiteral("^(-?)([OoQLlI|BA])\\.(?=[\\dB])"));
    if (const auto m = fraction.match(out); m.hasMatch()) {
        const QChar lead = m.captured(2).front();
        out[m.capturedStart(2)] = QStringLiteral("OoQ").contains(lead) ? QLatin1Char('0')
                                  : lead == QLatin1Char('B')           ? QLatin1Char('8')
                                  : lead == QLatin1Char('A')           ? QLatin1Char('4')
                                                                       : QLatin1Char('1');
        const qsizetype afterPoint = m.capturedEnd(0);
        if (afterPoint < out.size() && out.at(afterPoint) == QLatin1Char('B'))
            out[afterPoint] = QLatin1Char('8');
    }
    // So is a slash right after a figure's point, before its next digit ("62./090kHz").
    static const QRegularExpression sevenAfterPoint(QStringLiteral("(?<=\\d[.,])/(?=[\\dOo])"));
    out.replace(sevenAfterPoint, QStringLiteral("7"));
    // A reading of nought drawn alone before its unit reads as the letter ("OVDC"); no word is
    // an O before a unit with its current marked.
    if (out.size() > 1 && (out.front() == QLatin1Char('O') || out.front() == QLatin1Char('o'))) {
        const std::optional<Unit> after = parseUnit(out.mid(1));
        if (after && !after->current.isEmpty())
            out[0] = QLatin1Char('0');
    }
    int digits = 0;
    for (QChar c : out)
        digits += c.isDigit() ? 1 : 0;
    if (digits == 0)
        return out;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out.at(i);
        const bool besideDigit = (i > 0 && out.at(i - 1).isDigit()) || (i + 1 < out.size() && out.at(i + 1).isDigit());
        if (!besideDigit)
            continue;
        if (c == QLatin1Char('O') || c == QLatin1Char('o'))
            out[i] = QLatin1Char('0');
        else if ((c == QLatin1Char('l') || c == QLatin1Char('I')) && i + 1 < out.size() && out.at(i + 1).isDigit())
            out[i] = QLatin1Char('1');
        // A one read as l, I or a bar closes the figure, its unit (if any) after it ("15lmV"):
        // no unit begins with one of those. So may a bracket, after the figure's point
        // ("5.698)"); a bracket after a lone digit is more likely a letter garbled ("Vp-p:" read
        // "Vp- 2)").
        else if (i > 0 && out.at(i - 1).isDigit() && (i + 1 == out.size() || parseUnit(out.mid(i + 1)))
                 && (QStringLiteral("lI|").contains(c)
                     || (QStringLiteral(")]").contains(c) && out.left(i).contains(QLatin1Char('.')) && !out.contains(QLatin1Char('('))
                         && !out.contains(QLatin1Char('[')))))
            out[i] = QLatin1Char('1');
        // A 7 whose bar was lost is a slash between digits ("2/.3").
        else if (c == QLatin1Char('/') && i > 0 && out.at(i - 1).isDigit() && i + 1 < out.size()
                 && (out.at(i + 1).isDigit() || out.at(i + 1) == QLatin1Char('.')))
            out[i] = QLatin1Char('7');
    }
    // An 8 of a segment or pixel face read as a B between digits ("4B32mV"), where the figure
    // ends in a unit: no name runs digits, a B, digits and a unit together.
    static const QRegularExpression eightAsB(QStringLiteral("^([-+]?\\d+(?:[.,]\\d+)?)B(\\d+(?:[.,]\\d+)?)(\\D.*)$"));
    if (const auto m = eightAsB.match(out); m.hasMatch() && parseUnit(m.captured(3))
        && (m.captured(1) + m.captured(2)).count(QLatin1Char('.')) + (m.captured(1) + m.captured(2)).count(QLatin1Char(',')) <= 1)
        out = m.captured(1) + QLatin1Char('8') + m.captured(2) + m.captured(3);
    return out;
}

// A word cut in two at `at` characters of `text` (the word as read or mended), each part given
// its share of the word's box.
std::pair<ScreenWord, ScreenWord> cutWord(const ScreenWord& w, const QString& text, qsizetype at)
{
    ScreenWord head = w, tail = w;
    head.text = text.left(at);
    head.box.setWidth(std::max(1, int(w.box.width() * double(at) / std::max<qsizetype>(1, text.size()))));
    tail.text = text.mid(at);
    tail.box.setLeft(w.box.left() + head.box.width());
    return {head, tail};
}

// The channel a scope's measurement names after its label ("[1]", "(C1)"), its brackets as the
// recogniser reads them ("(1J", "1J"); inside brackets its C may read as a nought ("f(01)").
const QString channelIndex = QStringLiteral("(?:[(\\[{]\\s?(?:C|CH|0)?[1-4]\\s?[)\\]}J|]|(?:C|CH)?[1-4][)\\]}J])");

// Splits one recognised word into tokens: an optional label glued to a number ("Vpp:3.28V"),
// the number with any unit written on it, or the word itself.
QList<Token> tokensOf(const ScreenWord& w, int wordIndex, bool afterLabel = false)
{
    QList<Token> out;
    Token base;
    base.box = w.box;
    base.height = w.textHeight;
    base.row = w.row;
    base.word = wordIndex;
    QString text = w.text.trimmed();
    text.replace(QChar(0x2212), QLatin1Char('-'));
    // A quote mark closing a figure's unit, and a letter after it, are a speck or an icon's
    // edge beside the unit ("05.22V\"s"): no unit is written with one.
    // (So is a star before the quote mark: the tip of a measurement's arrow, "13,73ms*\"".)
    static const QRegularExpression quoted(QStringLiteral("^([-+]?\\d+[.,]\\d+)([A-Za-z\u00B5\u03A9]{1,3})\\*?[\"'`][A-Za-z]?$"));
    if (const auto m = quoted.match(text); m.hasMatch() && parseUnit(m.captured(2)))
        text = m.captured(1) + m.captured(2);
    // Small print's s read as a 5 after a unit's prefix that ends a figure ("9,300m5"): no figure
    // goes on in digits after its prefix, and a time is the only unit of the letter s alone.
    static const QRegularExpression fiveForSeconds(QStringLiteral("^([-+]?\\d+[.,]\\d+[mun\u00B5])5$"));
    if (const auto m = fiveForSeconds.match(text); m.hasMatch())
        text = m.captured(1) + QLatin1Char('s');
    if (isOverload(text)) {
        Token t = base;
        t.kind = Kind::Overload;
        t.text = text;
        out.append(t);
        return out;
    }
    static const QRegularExpression overloadWithUnit(QStringLiteral("^(-{0,3}[O0]\\.?L\\.?-{0,3}|-{0,3}OVER-{0,3})(.+)$"));
    if (const auto m = overloadWithUnit.match(text); m.hasMatch() && m.captured(2).size() <= 4) {
        const double share = double(m.capturedLength(1)) / text.size();
        Token t = base;
        t.kind = Kind::Overload;
        t.text = m.captured(1);
        t.unit = parseUnit(m.captured(2));
        // A round mark glued to the overload is the ohm sign ("-OL-O").
        static const QRegularExpression round(QStringLiteral("^[OoQ0]$"));
        if (!t.unit && round.match(m.captured(2)).hasMatch())
            t.unit = Unit{QString(), QString(omega), QString(), false};
        t.box.setWidth(std::max(1, int(w.box.width() * share)));
        out.append(t);
        return out;
    }
    // Two readings with their units written as one, parted by a slash ("9.086V/0.012A" in a USB
    // tester's log) or by a comma after the first one's unit (a logger's line, a scope program's
    // channel result "1.76V,28.4Hz"): each is read on its own.
    static const QRegularExpression slashed(
        QStringLiteral("^([-+]?\\d+(?:[.,]\\d+)?[A-Za-z\u00B5\u03A9\u2126]{1,3})[/,]([-+]?\\d+(?:[.,]\\d+)?[A-Za-z\u00B5\u03A9\u2126]{1,3})$"));
    if (const auto m = slashed.match(text); m.hasMatch()) {
        auto [head, tail] = cutWord(w, text, m.capturedLength(1) + 1);
        head.text.chop(1);
        return tokensOf(head, wordIndex, afterLabel) + tokensOf(tail, wordIndex, false);
    }
    // So are two readouts of a table's row the recogniser ran together without the space between
    // them ("19.922kHz901.09mV"): a figure, its unit, then a figure of its own with a point, or
    // a range of two figures sharing one unit ("12636Hz0.00/4.98V": a trace's span after its
    // frequency), or the clock that ends a scope's status bar ("12.0122MHz14:00:05").
    static const QRegularExpression runTogether(QStringLiteral(
        "^([-+]?\\d+(?:[.,]\\d+)?)([A-Za-z\u00B5\u03A9\u2126]{1,3})"
        "(?=[-+]?\\d+[.,]\\d+(?:[A-Za-z\u00B5\u03A9\u2126]|/[-+]?\\d+[.,]\\d+[A-Za-z\u00B5\u03A9\u2126])|\\d{1,2}:\\d{2}(?::\\d{2})?$)"));
    if (const auto m = runTogether.match(text); m.hasMatch() && parseUnit(m.captured(2))) {
        auto [head, tail] = cutWord(w, text, m.capturedLength(0));
        return tokensOf(head, wordIndex, afterLabel) + tokensOf(tail, wordIndex, false);
    }
    // A digit or two in a box wider than they could be drawn, each as wide as it is tall, are a
    // drawing (a plot, a frame) the recogniser made characters of: no figure.
    if (text.size() <= 2 && digitCount(text) > 0
        && w.box.width() > (text.size() + 0.5) * std::max(w.box.height(), 1)) {
        Token t = base;
        t.text = text;
        out.append(t);
        return out;
    }
    // A switch's state with its O read as a zero ("0FF", "0N") is a word, not a figure with a
    // unit: no reading is a bare zero followed by a doubled F.
    static const QRegularExpression switchState(QStringLiteral("^[0O](?:FF|ff|N|n)[:.]?$"));
    if (switchState.match(text).hasMatch()) {
        Token t = base;
        t.text = text;
        out.append(t);
        return out;
    }
    static const QRegularExpression clock(QStringLiteral("^\\d{1,2}:\\d{2}(:\\d{2})?$"));
    if (clock.match(text).hasMatch()) {
        Token t = base;
        t.kind = Kind::Number;
        t.clock = true;
        t.text = text;
        out.append(t);
        return out;
    }
    // MIN with its I read as a one, glued to its value ("M1N0.082MHz").
    static const QRegularExpression minWithOne(QStringLiteral("^[Mm][1|]([Nn])(?=[:=]?[-+]?[\\d.])"));
    if (const auto m = minWithOne.match(text); m.hasMatch())
        text.replace(0, 3, QStringLiteral("MIN"));
    // (A one or bar between letters is an I the recogniser misread: "M11N325"; the value may
    // begin with an O for its zero: "Min:O.350"; a dash may part a label from a negative value:
    // "MIN--4.638".)
    // A colon read as a point or comma parts them too when the value has its own point after
    // it ("Max.51.14"): a figure holds one point.
    // A scope may name the channel measured after the label ("Min[1]=-760.00mV", "Mean(C1):",
    // its brackets read as "(1J" or lost on one side); its "=" after the index then reads as a
    // dash more often than not, and a minus of the value's own follows it ("Min(1J--760.00mv").
    static const QRegularExpression labelled(
        QStringLiteral("^([A-Za-z](?:[A-Za-z+]|[1|]+(?=[A-IK-Za-z]))*(?:-[A-Za-z]+)*)") + QStringLiteral("(?:(\\s?") + channelIndex
        + QStringLiteral(")(?:[:=]|-(?=[-+]?\\d))?"
                         "|(?:[:=]|-(?=[-+])|[.,](?=[-+]?\\d+[.,]\\d))?)"
                         "(?=[-+]?(?:\\d|[OoQ]\\.\\d|S\\d))(.+)$"));
    if (const auto m = labelled.match(text); m.hasMatch()) {
        // Glued to a value, "MAN" is no manual-range mark but a limit label one letter off.
        QString label = labelFor(m.captured(1));
        if (label.isEmpty() && upper(m.captured(1)) == QLatin1String("MAN"))
            label = QStringLiteral("MIN|MAX");
        // An instrument's model and firmware version run together behind a tree's arrow
        // ("vHP66328A.00.090(libgpib/hp.." for "HP 6632B A.00.09") look like a short label glued
        // to a figure; no readout goes on after its unit with figures parted by points.
        static const QRegularExpression version(QStringLiteral("^[-+]?\\d+[A-Za-z]{1,4}[.,]\\d+[.,]\\d"));
        if (version.match(m.captured(3)).hasMatch())
            label.clear();
        if (!label.isEmpty()) {
            // Give the label and the number each their share of the word's box.
            auto [head, rest] = cutWord(w, text, m.capturedLength(1) + m.capturedLength(2));
            Token l = base;
            l.kind = Kind::Label;
            l.text = m.captured(1);
            l.label = label;
            l.box = head.box;
            out.append(l);
            rest.text = m.captured(3);
            // A frequency's Hz with its z lost (cut off at the screen's edge: "f=999.981H") is
            // hertz all the same: no other unit follows a frequency's label.
            static const QRegularExpression hertzCut(QStringLiteral("\\d[kKM]?H$"));
            if (label == QLatin1String("FREQ") && hertzCut.match(rest.text).hasMatch())
                rest.text += QLatin1Char('z');
            return out + tokensOf(rest, wordIndex, true);
        }
    }
    // Any other name glued to a value by its colon ("Voltage:000.0V", "Input:0.000V"), or a
    // label giving its unit in brackets ("Voltage (V):5.151V" read as "(V):5.151V"), reads as
    // the name and the value written apart: the name is a word of its own, a bracketed unit
    // found like any bracketed label's.
    static const QRegularExpression named(
        QStringLiteral("^([A-Za-z][A-Za-z.\\-]*[:=]|[A-Za-z]*[(\\[][^()\\[\\]]{1,4}[)\\]][:=])(?=[-+]?\\d)(.+)$"));
    if (const auto m = named.match(text); m.hasMatch()) {
        const auto [head, rest] = cutWord(w, text, m.capturedLength(1));
        Token l = base;
        l.text = head.text;
        l.box = head.box;
        out.append(l);
        return out + tokensOf(rest, wordIndex, true);
    }
    static const QRegularExpression number(QStringLiteral("^([-+]?)(\\d+(?:[.,]\\d+)?)(.*)$"));
    // A colon before a figure is its label's, read apart from it ("Vp-p: :0.89V").
    static const QRegularExpression leadingColon(QStringLiteral("^[:;=]+(?=[-+]?\\d)"));
    text.remove(leadingColon);
    // A value glued to its label whose first 5 was read as S ("Min:S90.6").
    static const QRegularExpression leadingS(QStringLiteral("^[-+]?S(?=\\d)"));
    if (const auto s = leadingS.match(text); afterLabel && s.hasMatch())
        text[s.capturedEnd(0) - 1] = QLatin1Char('5');
    // A figure that begins with its point lost its leading zero (".66V", ".369").
    static const QRegularExpression leadingPoint(QStringLiteral("^[-+]?(?=\\.\\d)"));
    if (const auto p = leadingPoint.match(text); p.hasMatch())
        text.insert(p.capturedEnd(0), QLatin1Char('0'));
    // A program may group a large figure's digits by thousands ("1,016.92 W", "1.016,92 W"). Only
    // where both marks stand, the groups before the decimal one, is the grouping sure: a lone
    // comma ("3,500") may as well be a decimal comma.
    static const QRegularExpression grouped(QStringLiteral("^([-+]?\\d{1,3})((?:,\\d{3})+\\.\\d|(?:\\.\\d{3})+,\\d)"));
    if (const auto g = grouped.match(text); g.hasMatch()) {
        QString groups = g.captured(2);
        const QChar groupMark = groups.at(0);
        groups.remove(groupMark).replace(QLatin1Char(','), QLatin1Char('.'));
        text = g.captured(1) + groups + text.mid(g.capturedEnd(0));
    }
    // A program printing what the instrument sends over its bus writes it in scientific notation
    // ("+3.53647037E+01", "-1.271E-03 VDC"): the same figure with its point moved. An exponent
    // beyond what any bench range spans is a misread one ("7.918e-67"), and leaves the figure
    // unknown, except the 9.9E+37 the instruments send for an overload.
    static const QRegularExpression scientific(QStringLiteral("^([-+]?)(\\d+)(?:[.,](\\d+))?[eE]([-+]\\d{1,2})(?!\\d)(.*)$"));
    if (const auto e = scientific.match(text); e.hasMatch()) {
        const int exponent = e.captured(4).toInt();
        if (exponent == 37 && e.captured(2) == QLatin1String("9") && e.captured(3).startsWith(QLatin1String("9"))) {
            Token t = base;
            t.kind = Kind::Overload;
            t.text = text;
            t.unit = parseUnit(e.captured(5));
            out.append(t);
            return out;
        }
        if (std::abs(exponent) <= 15) {
            const QString digits = e.captured(2) + e.captured(3);
            const qsizetype point = e.capturedLength(2) + exponent;
            QString plain = point <= 0                ? QStringLiteral("0.") + QString(-point, QLatin1Char('0')) + digits
                            : point >= digits.size() ? digits + QString(point - digits.size(), QLatin1Char('0'))
                                                     : digits.left(point) + QLatin1Char('.') + digits.mid(point);
            while (plain.size() > 1 && plain.front() == QLatin1Char('0') && plain.at(1).isDigit())
                plain.remove(0, 1);
            text = e.captured(1) + plain + e.captured(5);
        } else {
            Token t = base;
            t.text = text;
            out.append(t);
            return out;
        }
    }
    // In print under nine pixels tall a 9 or a 3 loses its bowls as readily as a 1 gains a
    // serif: an I or l standing between two digits there tells of a figure read wrongly, not of
    // a one, and the word gives no number rather than a wrong one.
    static const QRegularExpression letterAmongDigits(QStringLiteral("\\d[.,]?[Il][.,]?\\d"));
    const bool tinyPrint = w.textHeight > 0 && w.textHeight < 9;
    const QString mended = tinyPrint && letterAmongDigits.match(text).hasMatch() ? QString() : mendedDigits(text);
    if (const auto m = number.match(mended); m.hasMatch()) {
        // A record line read without its spaces glues the next label and its value on
        // ("Min0.795Max0.806", "0.41mVAvg:0.39mV"): the figure ends where that label begins.
        const QString tail = m.captured(3);
        for (qsizetype i = 0; i < tail.size(); ++i) {
            if (!tail.at(i).isLetter())
                continue;
            const auto next = labelled.match(tail.mid(i));
            if (!next.hasMatch() || labelFor(next.captured(1)).isEmpty())
                continue;
            const QString& whole = text.size() == mended.size() ? text : mended;
            const auto [head, rest] = cutWord(w, whole, m.capturedStart(3) + i);
            return tokensOf(head, wordIndex, afterLabel) + tokensOf(rest, wordIndex, false);
        }
        const QString rest = m.captured(3).trimmed();
        // A charge or energy counter ("0.012Ah", "00.08Wh", run together or not) is a
        // supply's tally, never its reading.
        if (isTallyUnit(rest)) {
            Token t = base;
            t.text = text;
            t.status = true;
            out.append(t);
            return out;
        }
        std::optional<Unit> unit;
        if (!rest.isEmpty()) {
            unit = parseUnit(rest);
            // A meter's conductance is in milli- or microsiemens with a capital S glued to a
            // figure of its full resolution ("2.5353mS"); a time in capitals ("500uS", "5nS") is
            // a timebase or an interval, given in no more than three digits.
            static const QRegularExpression siemens(QStringLiteral("^([mnu\u00B5])S$"));
            const QString figure = m.captured(2);
            if (const auto s = siemens.match(rest); !unit && s.hasMatch() && figure.contains(QLatin1Char('.'))
                && digitCount(figure) >= 5)
                unit = Unit{s.captured(1) == QLatin1String("m") || s.captured(1) == QLatin1String("n") ? s.captured(1) : QString(micro),
                            QStringLiteral("S"), QString(), false};
            // Digits glued to letters are a name ("2D15P"), not a figure; after a label they are
            // the label's value with a unit the recogniser garbled ("MAX5.18MH").
            // A figure with a point may still be the reading, drawn large with its unit garbled
            // ("70.78LA"); whether it is depends on the rest of the screen.
            // So is a figure followed by a prefix alone, its unit's letter lost ("249m" for mV).
            static const QRegularExpression prefixAlone(QStringLiteral("^[mkKMuµ]$"));
            if (!unit && !afterLabel && !m.captured(2).contains(QLatin1Char('.')) && !m.captured(2).contains(QLatin1Char(','))
                && !prefixAlone.match(rest).hasMatch()) {
                Token t = base;
                t.text = text;
                out.append(t);
                return out;
            }
        }
        Token t = base;
        t.kind = Kind::Number;
        t.text = text;
        t.shown = m.captured(1) + m.captured(2);
        t.shown.replace(QLatin1Char(','), QLatin1Char('.'));
        if (t.shown.startsWith(QLatin1Char('+')))
            t.shown.remove(0, 1);
        t.value = t.shown.toDouble();
        t.unit = unit;
        t.garbledUnit = !unit && !rest.isEmpty() && !afterLabel;
        out.append(t);
        return out;
    }
    Token t = base;
    t.text = text;
    t.label = labelFor(text);
    t.kind = t.label.isEmpty() ? Kind::Word : Kind::Label;
    out.append(t);
    return out;
}

int verticalOverlap(const QRect& a, const QRect& b)
{
    return std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) + 1;
}

int horizontalOverlap(const QRect& a, const QRect& b)
{
    return std::min(a.right(), b.right()) - std::max(a.left(), b.left()) + 1;
}

// How many digits a figure shows after its decimal point or comma (none without one).
int decimalPlaces(const QString& figure)
{
    const qsizetype point = std::max(figure.lastIndexOf(QLatin1Char('.')), figure.lastIndexOf(QLatin1Char(',')));
    return point < 0 ? 0 : int(figure.size() - point - 1);
}

bool similarSize(int a, int b)
{
    return std::max(a, b) <= std::min(a, b) * 1.6 + 1;
}

struct Reading {
    std::optional<Token> main;
    bool overload = false;
    std::optional<Token> overloadToken;
    std::optional<Unit> unit;
    std::optional<double> minValue, maxValue;
    QString label;  // the main value's own label on an oscilloscope ("VPP", "FREQ", ...)
    bool signalReadout = false;  // a program's statistic of a trace
    bool labelGuessed = false;  // its label was not read but inferred (an unclaimed voltage as the peak to peak)
    bool tile = false;  // a program's statistics tile, captioned with what it measures
};

// A labelled readout on a measurement strip or table ("Freq=191.6kHz", "Pk-Pk(1): 5.6V",
// "Mean(1) +18.56mV", a label over its value): the label, and the value with its unit.
struct Readout {
    QString label;  // as the vocabulary names it: "FREQ", "VPP", "MAX"...
    double value = 0;
    QString shown;
    Unit unit;
    int word = 0;  // the value's word, for reading order
    bool ofTrace = false;  // its label names the trace it measures ("Base1.avg")
    bool ofChannel = false;  // its label names the channel it measures ("Min(1)", "C1 Freq")
    bool underLabel = false;  // its value stands under its label, not beside it
};

// The labels of the measurements a scope or meter puts in its strips and tables, the canonical
// name first. A readout's label is one of these, with a channel mark or not.
QString readoutLabel(QString word)
{
    static const QList<QStringList> names = {
        QStringList{QStringLiteral("VPP"), QStringLiteral("PK-PK"), QStringLiteral("PKPK"), QStringLiteral("P-P"), QStringLiteral("VP-P"),
                    QStringLiteral("PEAKTOPEAK")} + otherLanguages(QStringLiteral("VPP")),
        QStringList{QStringLiteral("FREQ"), QStringLiteral("FREQUENCY"), QStringLiteral("FRQ")} + otherLanguages(QStringLiteral("FREQ")),
        {QStringLiteral("AMPL"), QStringLiteral("AMPLITUDE"), QStringLiteral("VAMP")},
        QStringList{QStringLiteral("MEAN"), QStringLiteral("AVG"), QStringLiteral("AVERAGE"), QStringLiteral("VAVG")} + otherLanguages(QStringLiteral("MEAN")),
        {QStringLiteral("RMS"), QStringLiteral("VRMS"), QStringLiteral("ACRMS"), QStringLiteral("CYCRMS"), QStringLiteral("CRMS")},
        QStringList{QStringLiteral("MAX"), QStringLiteral("VMAX"), QStringLiteral("MAXIMUM")} + otherLanguages(QStringLiteral("MAX")),
        QStringList{QStringLiteral("MIN"), QStringLiteral("VMIN"), QStringLiteral("MINIMUM")} + otherLanguages(QStringLiteral("MIN")),
        {QStringLiteral("TOP"), QStringLiteral("VTOP")},
        {QStringLiteral("BASE"), QStringLiteral("VBASE")},
        QStringList{QStringLiteral("PERIOD"), QStringLiteral("PRD")} + otherLanguages(QStringLiteral("PERIOD")),
        {QStringLiteral("DUTY"), QStringLiteral("+DUTY"), QStringLiteral("-DUTY")},
        {QStringLiteral("RISE"), QStringLiteral("RISETIME"), QStringLiteral("FALL"), QStringLiteral("FALLTIME")},
        {QStringLiteral("WIDTH"), QStringLiteral("+WIDTH"), QStringLiteral("-WIDTH"), QStringLiteral("PULSEWIDTH")},
        {QStringLiteral("COUNTER")},
        {QStringLiteral("OVERSHOOT"), QStringLiteral("PRESHOOT")},
    };
    word = upper(word);
    while (!word.isEmpty() && (word.front() == QLatin1Char('+') || word.front() == QLatin1Char('-')))
        word.remove(0, 1);
    // (A scope's run state, "Stop", is one letter off "VTop" and names no measurement.)
    if (word.isEmpty() || isStatusWord(word))
        return {};
    for (const QStringList& group : names)
        for (const QString& n : group) {
            QString bare = n;
            while (bare.front() == QLatin1Char('+') || bare.front() == QLatin1Char('-'))
                bare.remove(0, 1);
            // Long labels with one letter misread ("Freqg", "Freg") still name themselves; the
            // longest with two ("Frequilency": a stroke read as a letter where it was cut in two).
            const int slips = bare.size() >= 9 && word.size() >= 9 ? 2 : 1;
            if (word == bare || (bare.size() >= 4 && word.size() >= 4 && editDistance(word, bare) <= slips))
                return group.first();
        }
    // A peak to peak's label garbled as the layout's labels know it ("GDPk-Pk": its channel's
    // badge read as letters before it) is one here too.
    if (word.size() >= 6 && labelFor(word) == QLatin1String("VPP"))
        return QStringLiteral("VPP");
    return {};
}

// A figure as a readout shows it, a decimal comma taken as a point ("51,06").
std::optional<double> readoutFigure(QString text, QString* shown)
{
    if (text.count(QLatin1Char(',')) == 1 && !text.contains(QLatin1Char('.')))
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    if (text.startsWith(QLatin1Char('+')))
        text.remove(0, 1);
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    *shown = text;
    return v;
}

// A unit a readout may carry: any the meter's units know but a per-division scale, and percent.
std::optional<Unit> readoutUnit(const QString& text)
{
    if (text.trimmed() == QLatin1String("%"))
        return Unit{QString(), QStringLiteral("%"), QString(), false};
    // A program may print the unit in brackets after the figure ("3.020000 [V]"), the closing
    // one perhaps unread ("(V").
    static const QRegularExpression bracketed(QStringLiteral("^[(\\[]([A-Za-z\u00B5\u03A9\u2126]{1,3})[)\\]]?$"));
    if (const auto b = bracketed.match(text.trimmed()); b.hasMatch())
        return readoutUnit(b.captured(1));
    std::optional<Unit> u = parseUnit(text);
    if (!u || u->perDivision || u->base.isEmpty() || text.contains(QLatin1Char('/')))
        return std::nullopt;
    return u;
}

// A marker's or a cursor's name standing alone ("MKR1", "M2:", "Cursor").
bool namesMarker(const QString& word)
{
    static const QRegularExpression name(QStringLiteral("^(?:MKR|MARKER|MARK|M|CURSOR)\\d*[:=]?$"), QRegularExpression::CaseInsensitiveOption);
    return name.match(word).hasMatch();
}

// The readouts of a screen in reading order. A label and its value stand in one word
// ("Freq=191.6kHz", "Ampl(1)1.04V"; a program's table may name the measured trace before the
// statistic: "Base1.avg"), side by side on one line ("Base=" "4.28V", a stray mark
// between them), or the value stands under its label ("Freq(1):" over "998.0kHz") where the
// label says it is one (a channel mark, a colon, a channel name before it). Values without a
// unit are no readouts.
// A built-in generator's settings on a scope's status bar name its wave's shape ("AWG: Sine
// 1.00000kHz 4.000Vpp", the shape perhaps run into its frequency: "Sine1.00000kHz"): the
// frequency and amplitude after it are what it puts out.
bool isGeneratorMark(const QString& word)
{
    static const QRegularExpression mark(QStringLiteral("^(?:A?WG:?|SINE|SQUARE|RAMP|PULSE|TRIANGLE|NOISE|ARB)(?:$|(?=\\d))|^A?WG:"),
                                         QRegularExpression::CaseInsensitiveOption);
    return mark.match(word).hasMatch();
}

// A measurement is not printed with two leading zeros before a digit that counts ("00.105Hz"
// for 100.105Hz): its first digit was lost.
bool lostLeadingDigit(const QString& figure)
{
    static const QRegularExpression lostLead(QStringLiteral("^[-+]?00\\d*[.,]\\d*[1-9]"));
    return lostLead.match(figure).hasMatch();
}

// A label measures one kind of quantity: a peak to peak is no frequency, nor a time.
bool measures(const QString& label, const Unit& unit)
{
    static const QMap<QString, QStringList> kinds = {
        {QStringLiteral("VPP"), {QStringLiteral("V"), QStringLiteral("A")}},  {QStringLiteral("AMPL"), {QStringLiteral("V"), QStringLiteral("A")}},
        {QStringLiteral("RMS"), {QStringLiteral("V"), QStringLiteral("A")}},  {QStringLiteral("FREQ"), {QStringLiteral("Hz")}},
        {QStringLiteral("PERIOD"), {QStringLiteral("s")}},                    {QStringLiteral("RISE"), {QStringLiteral("s")}},
        {QStringLiteral("WIDTH"), {QStringLiteral("s")}},                     {QStringLiteral("DUTY"), {QStringLiteral("%")}},
        {QStringLiteral("OVERSHOOT"), {QStringLiteral("%")}},
    };
    const auto kind = kinds.constFind(label);
    return kind == kinds.constEnd() || kind->contains(unit.base);
}

// A nought drawn as round as an O between a readout's name and its unit reads as the letter
// ("VppOV", "VavgOV" for Vpp 0V): a readout's name, an O and a unit are a readout of nought.
QString noughtAsLetter(const QString& word)
{
    static const QRegularExpression nought(QStringLiteral("^([A-Za-z][A-Za-z+\\-]*?)O([munpk\u00B5]?(?:V|A|Hz|s))$"));
    const auto m = nought.match(word);
    return m.hasMatch() && !readoutLabel(m.captured(1)).isEmpty() ? m.captured(1) + QLatin1Char('0') + m.captured(2) : word;
}

QList<Readout> labelledReadouts(const QList<ScreenWord>& words)
{
    static const QRegularExpression whole(QStringLiteral(
        "^(?:[A-Za-z][A-Za-z0-9_]*\\.)?([+-]?[A-Za-z][A-Za-z+\\-]*?)([(\\[]?[Cc]?[Hh]?\\d[)J\\]]|[(\\[]\\d)?(?:[:=]|-(?=[-+]?\\d))?\\(?([+-]?\\d+(?:[.,]\\d+)?)(\\S*)$"));
    static const QRegularExpression labelOnly(QStringLiteral("^(?:[A-Za-z][A-Za-z0-9_]*\\.)?([+-]?[A-Za-z][A-Za-z+\\-]*?)([(\\[]?[Cc]?[Hh]?\\d[)J\\]]?)?([:=\\-]?)$"));
    static const QRegularExpression figure(QStringLiteral("^([+-]?\\d+(?:[.,]\\d+)?)(\\S*)$"));
    static const QRegularExpression channel(QStringLiteral("^(C|CH)\\d$"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression traceName(QStringLiteral("^[A-Za-z][A-Za-z0-9_]*\\.[A-Za-z]"));
    QList<Readout> out;
    QSet<int> used;
    // The figure in word `i` with its unit glued on or in the next word of its line.
    static const QRegularExpression channelFirst(QStringLiteral("^[(\\[]?[Cc]?[Hh]?\\d[)J\\]]"));
    // The figure and unit of a readout from their texts; false when either is none.
    auto fill = [](Readout& r, const QString& figureText, const QString& unitText, int word) {
        if (lostLeadingDigit(figureText))
            return false;
        const auto v = readoutFigure(figureText, &r.shown);
        std::optional<Unit> u = unitText.isEmpty() ? std::nullopt : readoutUnit(unitText);
        // A voltage measurement's V misread in small print after its prefix ("392.00m4"): the
        // label says the quantity, the prefix its size.
        static const QRegularExpression garbledVolts(QStringLiteral("^([mun])[4N]$"));
        if (const auto m = garbledVolts.match(unitText);
            !u && m.hasMatch() && (r.label == QLatin1String("VPP") || r.label == QLatin1String("AMPL") || r.label == QLatin1String("RMS")))
            u = Unit{m.captured(1) == QLatin1String("u") ? QString(micro) : m.captured(1), QStringLiteral("V"), QString(), false};
        if (!v || !u)
            return false;
        if (!measures(r.label, *u))
            return false;
        r.value = *v;
        r.unit = *u;
        r.word = word;
        return true;
    };
    // The word after a figure is its unit unless it is the next readout's label ("Vrms" before
    // "1.33" names that figure; after "6.519613" alone it is the unit).
    auto unitWordAfter = [&](int i) {
        if (i + 1 >= words.size() || words.at(i + 1).row != words.at(i).row)
            return QString();
        const bool nextLabels = i + 2 < words.size() && words.at(i + 2).row == words.at(i).row && !labelFor(words.at(i + 1).text).isEmpty()
                                && figure.match(words.at(i + 2).text).hasMatch();
        // A 5 drawn shorter than the figure's digits is no digit but the small s of seconds
        // ("Period=2.730" "5").
        const ScreenWord& next = words.at(i + 1);
        if ((next.text == QLatin1String("5") || next.text == QLatin1String("S")) && next.box.height() < words.at(i).box.height() * 0.8)
            return QStringLiteral("s");
        return nextLabels ? QString() : next.text;
    };
    auto valueAt = [&](int i, Readout& r) {
        if (i >= words.size() || used.contains(i))
            return false;
        QString text = mendedDigits(words.at(i).text);
        text.remove(channelFirst);
        const auto m = figure.match(text);
        if (!m.hasMatch())
            return false;
        QString unitText = m.captured(2);
        if (unitText.isEmpty())
            unitText = unitWordAfter(i);
        return fill(r, m.captured(1), unitText, i);
    };
    // Figures whose unit names the measurement ("658Vpp", "1.17Vrms"), perhaps run together.
    static const QRegularExpression named(QStringLiteral("([+-]?\\d+(?:[.,]\\d+)?)([munpµk]?V)(pp|rms|eff)"), QRegularExpression::CaseInsensitiveOption);
    // (An amplitude on a built-in generator's line is what it puts out, not a measurement.)
    auto generatorLine = [&](int row) {
        return std::any_of(words.begin(), words.end(), [&](const ScreenWord& o) { return o.row == row && isGeneratorMark(o.text); });
    };
    for (int i = 0; i < words.size(); ++i) {
        const ScreenWord& w = words.at(i);
        Readout r;
        if (auto it = named.globalMatch(w.text); it.hasNext()) {
            while (it.hasNext() && !generatorLine(w.row)) {
                const auto m = it.next();
                Readout n;
                n.label = m.captured(3).compare(QLatin1String("pp"), Qt::CaseInsensitive) == 0 ? QStringLiteral("VPP") : QStringLiteral("RMS");
                if (fill(n, m.captured(1), m.captured(2), i))
                    out.append(n);
            }
            used.insert(i);
            continue;
        }
        // A program's readout that follows the pointer names the channel before its label, glued
        // to it ("C1Period:1ms", "DIO4Period:250us"), and gives the same measurement in other
        // forms after slashes ("1ms/999.7971Hz/12.5%": that period's frequency and duty): the
        // first form is the readout. (The channel's C may read as a nought, "01Period:10.4ms":
        // no figure opens on a nought before another digit.)
        static const QRegularExpression channelGlued(QStringLiteral("^(?:CH|C|DIO|0)\\d{1,2}(?=[A-Za-z]{3})"));
        static const QRegularExpression otherForms(QStringLiteral("^([A-Za-z\u00B5]{1,3})(?:/[+-]?\\d+(?:[.,]\\d+)?[A-Za-z\u00B5%]{1,3})+$"));
        QString text = w.text;
        bool channelBefore = false;
        if (const auto g = channelGlued.match(text); g.hasMatch()) {
            const auto plain = whole.match(zerosAfterPoint(noughtAsLetter(text)));
            if (!plain.hasMatch() || readoutLabel(plain.captured(1)).isEmpty()) {
                text = text.mid(g.capturedLength(0));
                channelBefore = true;
            }
        }
        if (const auto m = whole.match(zerosAfterPoint(noughtAsLetter(text))); m.hasMatch()) {
            r.label = readoutLabel(m.captured(1));
            QString unitText = m.captured(4);
            if (const auto f = otherForms.match(unitText); channelBefore && f.hasMatch())
                unitText = f.captured(1);
            if (unitText.isEmpty())
                unitText = unitWordAfter(i);
            r.ofTrace = traceName.match(w.text).hasMatch();
            r.ofChannel = !m.captured(2).isEmpty() || channelBefore;
            if (!r.label.isEmpty() && fill(r, m.captured(3), unitText, i)) {
                used.insert(i);
                out.append(r);
                continue;
            }
            r = Readout();  // perhaps a label with a channel mark ("Freq(1):"), its value elsewhere
        }
        const auto m = labelOnly.match(w.text);
        if (!m.hasMatch())
            continue;
        r.label = readoutLabel(m.captured(1));
        r.ofTrace = traceName.match(w.text).hasMatch();
        if (r.label.isEmpty())
            continue;
        // Beside it on its line, perhaps past one stray mark.
        bool found = false;
        // (The recogniser's line may run down a column of boxes: beside means level with it, or
        // dropped by less than half its height.)
        const auto level = [&](int j) {
            const QRect& b = words.at(j).box;
            return b.top() <= w.box.bottom() + w.box.height() / 2 && b.bottom() >= w.box.top();
        };
        for (int j = i + 1; j <= i + 2 && j < words.size() && words.at(j).row == w.row && level(j) && !found; ++j) {
            found = valueAt(j, r);
            // (A label that names its channel, "period(3)", may have its measurement's icon
            // after it, a pulse read as a few letters: "Tul".)
            static const QRegularExpression iconLetters(QStringLiteral("^[A-Za-z]{2,4}$"));
            const bool icon = !m.captured(2).isEmpty() && iconLetters.match(words.at(j).text).hasMatch() && labelFor(words.at(j).text).isEmpty()
                              && readoutLabel(words.at(j).text).isEmpty() && !parseUnit(words.at(j).text);
            if (!found && !icon
                && (words.at(j).text.size() > 2 || std::any_of(words.at(j).text.begin(), words.at(j).text.end(), [](QChar c) { return c.isLetterOrNumber() && !c.isLower(); })))
                break;
        }
        // Under it, where the label says it labels a value.
        // A label alone in its place in a column of readouts (a side panel) labels the value under it.
        auto near = [&](int j) {
            return j >= 0 && j < words.size() && words.at(j).row == w.row
                   && std::abs(words.at(j).box.center().x() - w.box.center().x()) <= w.box.height() * 6;
        };
        r.ofChannel = !m.captured(2).isEmpty() || (i > 0 && words.at(i - 1).row == w.row && channel.match(words.at(i - 1).text).hasMatch());
        const bool marked = r.ofChannel || m.captured(3) == QLatin1String(":") || (!near(i - 1) && !near(i + 1));
        if (!found && marked && (i + 1 >= words.size() || words.at(i + 1).row != w.row || !figure.match(words.at(i + 1).text).hasMatch())) {
            for (int j = i + 1; j < words.size() && !found; ++j) {
                const ScreenWord& below = words.at(j);
                if (below.row == w.row)
                    continue;
                if (below.row > w.row + 1 || below.box.top() - w.box.bottom() > w.box.height() * 3)
                    break;
                const int apart = std::abs(below.box.center().x() - w.box.center().x());
                if (apart <= std::max(w.box.width(), below.box.width()))
                    found = r.underLabel = valueAt(j, r);
            }
        }
        if (found) {
            used.insert(r.word);
            out.append(r);
        }
    }
    std::stable_sort(out.begin(), out.end(), [](const Readout& a, const Readout& b) { return a.word < b.word; });
    return out;
}

// A heading whose brackets the recogniser lost runs its unit into its name ("ActoalVoltzzeV",
// "ActwalVoltzz2V" for "Actual Voltage (V)"). It is read as one only where its letters still
// say that the figure under it is measured (the heading's first word, one letter off at most),
// of what (a voltage or a current, the quantity's first letters whole), and end in that
// quantity's unit; a garbled name that says less may as well be a setting's.
std::optional<Unit> unitOfGarbledHeading(const QString& word)
{
    QString letters;
    for (const QChar c : word)
        if (c.isLetter())
            letters += c.toUpper();
    static const QStringList measured = {QStringLiteral("ACTUAL"), QStringLiteral("MEASURED")};
    static const QList<std::pair<QString, QString>> quantities = {{QStringLiteral("VOLT"), QStringLiteral("V")},
                                                                  {QStringLiteral("CURR"), QStringLiteral("A")}};
    for (const QString& m : measured)
        for (qsizetype k = m.size() - 1; k <= m.size() + 1; ++k) {
            if (editDistance(letters.left(k), m) > 1)
                continue;
            const QString rest = letters.mid(k);
            for (const auto& [quantity, unit] : quantities)
                if (rest.size() <= quantity.size() + 7 && rest.startsWith(quantity) && rest.endsWith(unit)
                    && rest.size() > quantity.size())
                    return Unit{QString(), unit, QString(), false};
        }
    return std::nullopt;
}

// Marks only an oscilloscope's screen carries: a scale per division ("1.00V/", "500mV/div"), a
// sample rate ("1.00GSa/s"), a record length ("7.00kpts", or "16k" "pts" read apart).
bool hasScopeMarks(const QList<ScreenWord>& words, int atLeast = 2)
{
    static const QRegularExpression mark(QStringLiteral("\\d(?:[munpµ]?[Vs]|[munpµ]?V)/(?:div)?$|Sa/s|GSa|MSa|kpts|Mpts|^pts$|/div"),
                                         QRegularExpression::CaseInsensitiveOption);
    // (Some scopes write their sample rate without the a: "3.00MS/s", "25.0kS/s".)
    static const QRegularExpression samples(QStringLiteral("\\d[kMG]S/s$"));
    int marks = 0;
    for (const ScreenWord& w : words)
        if (mark.match(w.text).hasMatch() || samples.match(w.text).hasMatch())
            ++marks;
    return marks >= atLeast;
}

class Reader {
public:
    explicit Reader(const ScreenText& screen) : m_screen(screen)
    {
        // A label the recogniser split in two ("Pk" "Pk") is one label; a minus sign read at the
        // end of the label before a number ("Vmin:-" "4.54V") is the number's.
        QList<ScreenWord> words;
        for (ScreenWord w : screen.words) {
            // A figure's one decimal mark read twice, a comma and a point side by side
            // ("-7,.20V"): no figure writes two marks together, and either way the mark parts
            // the same digits.
            static const QRegularExpression doubledMark(QStringLiteral("(?<=\\d)(?:,\\.|\\.,)(?=\\d)"));
            w.text.replace(doubledMark, QStringLiteral("."));
            // A few characters in a box far wider than they could be drawn are a drawing the
            // recogniser made letters of (a chart under the reading read as "me"): no text, and
            // no size for the reading to stand out from.
            if (screen.drawn && w.text.size() <= 3 && w.box.width() > (w.text.size() + 2) * std::max({w.box.height(), w.textHeight, 1}))
                continue;
            if (!words.isEmpty()) {
                ScreenWord& last = words.last();
                // An ohm sign is made of a round glyph at a figure's end (the recogniser has no
                // letter for it), and so may a last zero be; a figure has one unit, and with a
                // unit of its own written right after it ("5.00Ω" "V"), that glyph was its zero.
                static const QRegularExpression ohmAfterDecimals(QStringLiteral("^[-+]?\\d*[.,]\\d+\u03A9$"));
                if (last.row == w.row && ohmAfterDecimals.match(last.text).hasMatch() && w.box.left() > last.box.right()
                    && w.box.left() - last.box.right() <= std::max(last.textHeight, 4) * 2 && w.textHeight <= last.textHeight * 1.2)
                    if (const std::optional<Unit> u = parseUnit(w.text); u && !u->perDivision && u->base != QString(omega) && u->base != QLatin1String("%"))
                        last.text.back() = QLatin1Char('0');
                static const QRegularExpression trailingMinus(QStringLiteral("^(.+?)[:=]?-$"));
                const auto minus = trailingMinus.match(last.text);
                if (minus.hasMatch() && last.row == w.row && !mendedDigits(w.text).isEmpty() && mendedDigits(w.text).front().isDigit()
                    && !labelFor(minus.captured(1)).isEmpty()) {
                    last.text.chop(1);
                    w.text.prepend(QLatin1Char('-'));
                }
                const bool near = last.row == w.row && w.box.left() - last.box.right() <= std::max(last.textHeight, 4);
                if (near && labelFor(last.text).isEmpty() && labelFor(w.text).isEmpty()
                    && !labelFor(last.text + QLatin1Char('-') + w.text).isEmpty()) {
                    last.text += QLatin1Char('-') + w.text;
                    last.box |= w.box;
                    continue;
                }
                // So is one cut between two small letters that touch ("freq" "uency:276.54Hz"),
                // where the whole names a label.
                static const QRegularExpression labelPart(QStringLiteral("^([A-Za-z0-9]*[A-Za-z])[:=]"));
                const bool touching = last.row == w.row && w.box.left() - last.box.right() <= std::max(2, last.textHeight / 5);
                if (touching && !last.text.isEmpty() && !w.text.isEmpty() && last.text.back().isLower() && w.text.front().isLower()) {
                    const auto m = labelPart.match(last.text + w.text);
                    // ...or, with no colon, where the whole is a readout's name and neither part
                    // is ("Frequi" "lency" beside "1.202kHz"), or the first part names the same
                    // readout already ("Frequ" "ency").
                    static const QRegularExpression letters(QStringLiteral("^[A-Za-z]+$"));
                    const QString whole = readoutLabel(last.text + w.text);
                    const bool readoutName = letters.match(last.text).hasMatch() && letters.match(w.text).hasMatch()
                                             && (readoutLabel(last.text).isEmpty() || readoutLabel(last.text) == whole)
                                             && readoutLabel(w.text).isEmpty() && !whole.isEmpty();
                    if ((m.hasMatch() && !labelFor(m.captured(1)).isEmpty()) || readoutName) {
                        last.text += w.text;
                        last.box |= w.box;
                        continue;
                    }
                }
            }
            words.append(w);
        }
        // A nought drawn as round as an O before its unit reads as the letter ("OW" beside
        // "347.1W"): where figures with their units stand on its line drawn at its size, the
        // word is one of them, a reading of nought.
        static const QRegularExpression noughtWithUnit(QStringLiteral("^O(?=[munkM]?[VAW]$|[kM]?Wh$)"));
        static const QRegularExpression figureWithUnit(QStringLiteral("^[-+]?\\d+(?:[.,]\\d+)?([A-Za-z\u00B5]{1,3})$"));
        const auto peerFigure = [&](const ScreenWord& w, const ScreenWord& o) {
            const auto m = figureWithUnit.match(o.text);
            return o.row == w.row && &o != &w && m.hasMatch() && parseUnit(m.captured(1))
                   && std::abs(o.textHeight - w.textHeight) <= std::max(o.textHeight, w.textHeight) * 0.15;
        };
        for (ScreenWord& w : words)
            if (screen.drawn && noughtWithUnit.match(w.text).hasMatch()
                && std::any_of(words.begin(), words.end(), [&](const ScreenWord& o) { return peerFigure(w, o); }))
                w.text[0] = QLatin1Char('0');
        // A warning's banner may quote a readout the page shows in its own place ("Warning:
        // Amplitude exceeded!" over "Amplitude: 377.64 mV"): the line under the warning is the
        // message's, and the readout stands where the page puts it, in its order.
        static const QRegularExpression warning(QStringLiteral("^(?:warning|error|alarm|alert|caution)(?![a-z])"), QRegularExpression::CaseInsensitiveOption);
        QList<qsizetype> quoted;
        for (qsizetype i = 0; i < words.size(); ++i) {
            const ScreenWord& w = words.at(i);
            if (!warning.match(w.text).hasMatch() || (i > 0 && words.at(i - 1).row == w.row))
                continue;
            for (qsizetype j = i + 1; j < words.size(); ++j) {
                const ScreenWord& q = words.at(j);
                const int drop = q.box.top() - w.box.bottom();
                if (q.row == w.row || drop < -2 || drop > std::max(w.textHeight, 4) * 2 || q.box.left() > w.box.right() || q.box.right() < w.box.left())
                    continue;
                if (std::any_of(words.begin(), words.end(), [&](const ScreenWord& o) { return o.row != q.row && o.row != w.row && o.text == q.text; }))
                    quoted.append(j);
            }
        }
        std::sort(quoted.begin(), quoted.end());
        quoted.erase(std::unique(quoted.begin(), quoted.end()), quoted.end());
        for (auto it = quoted.crbegin(); it != quoted.crend(); ++it)
            words.removeAt(*it);
        // A status line of readouts in small print may be read as one word, its spaces lost
        // ("AO:Vavg2.609V,Vpp+4.216V:Al:..."): a comma, semicolon or colon after a readout's
        // unit, or before a name and its figure, ends one readout and starts the next. (A decimal
        // comma stands between digits.) A colon stays with the name it closes, a channel's
        // "A1:"; commas and semicolons go. Each part keeps its share of the word's box.
        static const QRegularExpression nextReadout(
            QStringLiteral("(?<=[A-Za-z0-9])[,;:](?=[A-Za-z]{2,}[=:+\\-]?[-+]?\\d)|(?<=\\d[A-Za-z\u00B5\u03A9%]|\\d[A-Za-z\u00B5\u03A9%]{2}|\\d[A-Za-z\u00B5\u03A9%]{3})[,;:](?=[A-Za-z])"));
        for (int i = 0; i < words.size(); ++i) {
            const QString text = words.at(i).text;
            QList<std::pair<int, int>> cuts;  // where a part ends, and where the next begins
            static const QRegularExpression figure(QStringLiteral("\\d[.,]\\d"));  // a readout's, not a name's "A0"
            for (auto it = nextReadout.globalMatch(text); it.hasNext();) {
                const auto m = it.next();
                const int from = cuts.isEmpty() ? 0 : cuts.last().second;
                const bool name = m.captured(0) == QLatin1String(":") && !figure.match(text.mid(from, m.capturedStart(0) - from)).hasMatch();
                cuts.append({int(name ? m.capturedEnd(0) : m.capturedStart(0)), int(m.capturedEnd(0))});
            }
            if (cuts.isEmpty())
                continue;
            cuts.prepend({0, 0});
            cuts.append({int(text.size()), int(text.size())});
            QList<ScreenWord> parts;
            for (int k = 0; k + 1 < cuts.size(); ++k) {
                ScreenWord part = words.at(i);
                part.text = text.mid(cuts.at(k).second, cuts.at(k + 1).first - cuts.at(k).second);
                if (part.text.isEmpty())
                    continue;
                const QRect& b = words.at(i).box;
                const int left = b.left() + int(qint64(b.width()) * cuts.at(k).second / text.size());
                const int right = b.left() + int(qint64(b.width()) * cuts.at(k + 1).first / text.size()) - 1;
                part.box = QRect(QPoint(left, b.top()), QPoint(std::max(left, right), b.bottom()));
                parts.append(part);
            }
            words.remove(i);
            for (int k = 0; k < parts.size(); ++k)
                words.insert(i + k, parts.at(k));
            i += int(parts.size()) - 1;
        }
        // Large digits with a decimal comma come apart around it ("10 , 5002VDC"): one figure.
        for (int i = 0; i + 2 < words.size(); ++i) {
            ScreenWord& a = words[i];
            const ScreenWord& comma = words.at(i + 1);
            const ScreenWord& b = words.at(i + 2);
            static const QRegularExpression whole(QStringLiteral("^-?\\d+$"));
            const int gap = std::max(a.textHeight, 4);
            if (a.row == comma.row && comma.row == b.row && comma.text == QLatin1String(",") && whole.match(a.text).hasMatch()
                && !b.text.isEmpty() && b.text.front().isDigit() && comma.box.left() - a.box.right() <= gap
                && b.box.left() - comma.box.right() <= gap) {
                a.text += QLatin1Char(',') + b.text;
                a.box |= b.box;
                a.textHeight = std::max(a.textHeight, b.textHeight);
                words.remove(i + 1, 2);
            }
        }
        // A scope's label, the channel it measures and the value may come apart where the index
        // is drawn in taller brackets than the letters ("Min" "[1]=" "-7.20V", its "]=" read
        // as a dash): one readout, as if read in one piece ("Min(1)=-7.20V"). Only a label the
        // reader knows, each part close to the next on one line.
        static const QRegularExpression indexAlone(QStringLiteral("^[(\\[{]\\s?(?:C|CH)?([1-4])[)\\]}J|]?[:=\\-]?$"));
        static const QRegularExpression letters(QStringLiteral("^[A-Za-z][A-Za-z+\\-]*$"));
        static const QRegularExpression signedFigure(QStringLiteral("^[-+]?\\d"));
        for (int i = 1; i + 1 < words.size(); ++i) {
            ScreenWord& label = words[i - 1];
            const ScreenWord& index = words.at(i);
            const ScreenWord& value = words.at(i + 1);
            const auto m = indexAlone.match(index.text);
            const int gap = std::max({label.textHeight, index.textHeight, value.textHeight, 4});
            if (m.hasMatch() && label.row == index.row && index.row == value.row && letters.match(label.text).hasMatch()
                && !labelFor(label.text).isEmpty() && signedFigure.match(value.text).hasMatch() && index.box.left() - label.box.right() <= gap
                && index.box.left() > label.box.right() - 2 && value.box.left() - index.box.right() <= gap && value.box.left() > index.box.right() - 2) {
                label.text += QLatin1Char('(') + m.captured(1) + QStringLiteral(")=") + value.text;
                label.box |= value.box;
                label.textHeight = std::max(label.textHeight, value.textHeight);
                words.remove(i, 2);
            }
        }
        // A supply's or a tester's live values stand side by side as volts, amperes and watts,
        // each figure alone before its unit; a nought drawn as round as an O reads as the letter
        // ("6.4V" "0A" "OW"). In a row of three such words drawn alike, one in each of those
        // units, an O standing for the figure is a nought: no word spells a unit's letter after it
        // in that company.
        static const QRegularExpression liveValue(QStringLiteral("^(?:[-+]?\\d+(?:[.,]\\d+)?|[Oo])\\s?[mk\u00B5u]?([VAW])$"));
        for (int i = 0; i < words.size(); ++i) {
            QList<int> row;
            QSet<QString> bases;
            for (int j = 0; j < words.size(); ++j)
                if (const auto m = liveValue.match(words.at(j).text);
                    words.at(j).row == words.at(i).row && m.hasMatch() && similarSize(words.at(j).textHeight, words.at(i).textHeight)) {
                    row.append(j);
                    bases.insert(m.captured(1));
                }
            if (row.size() == 3 && bases.size() == 3)
                for (int j : row)
                    if (words.at(j).text.front() == QLatin1Char('O') || words.at(j).text.front() == QLatin1Char('o'))
                        words[j].text[0] = QLatin1Char('0');
        }
        // The recogniser at times takes a zero closing a figure for an ohm sign ("10.0000Ω KHz",
        // axis marks "1Ω 2Ω 3Ω", a baud rate "1920Ω"). Where several figures carry a bare ohm
        // sign, or a whole number of three digits or more does (a meter shows a resistance with
        // its decimals or a prefix), on a screen that names no resistance, those signs are zeros.
        static const QRegularExpression bareOhm(QStringLiteral("^[-+]?\\d+(?:[.,]\\d+)?\u03A9$"));
        static const QRegularExpression wholeOhm(QStringLiteral("^\\d{3,}\u03A9$"));
        static const QRegularExpression resistance(QStringLiteral("^(RES|OHM|OHMS|RESISTANCE|CONT|CONTINUITY|BEEP|DIODE)[:.]?$"),
                                                   QRegularExpression::CaseInsensitiveOption);
        const auto ohms = std::count_if(words.begin(), words.end(), [](const ScreenWord& w) { return bareOhm.match(w.text).hasMatch(); });
        const bool namesResistance = std::any_of(words.begin(), words.end(), [](const ScreenWord& w) { return resistance.match(w.text).hasMatch(); });
        const bool wholeOhms = std::any_of(words.begin(), words.end(), [](const ScreenWord& w) { return wholeOhm.match(w.text).hasMatch(); });
        if ((ohms >= 2 || wholeOhms) && !namesResistance)
            for (ScreenWord& w : words)
                if (bareOhm.match(w.text).hasMatch())
                    w.text.back() = QLatin1Char('0');
        // So is one that ends a figure in a row of figures drawn alike, to as many decimals,
        // whose units the program leaves out ("0.0Ω" beside "0.0" in a load's panel): a unit
        // drawn on one of the row's figures would be drawn on its neighbours too.
        static const QRegularExpression bareFigure(QStringLiteral("^[-+]?\\d+[.,](\\d+)$"));
        if (!namesResistance)
            for (ScreenWord& w : words)
                if (bareOhm.match(w.text).hasMatch() && std::any_of(words.begin(), words.end(), [&](const ScreenWord& o) {
                        const auto m = bareFigure.match(o.text);
                        return &o != &w && o.row == w.row && similarSize(o.textHeight, w.textHeight) && m.hasMatch()
                               && m.capturedLength(1) == decimalPlaces(w.text.chopped(1));
                    }))
                    w.text.back() = QLatin1Char('0');
        // A strip whose "=" the recogniser reads as a dash shows a negative value after two
        // dashes ("Min--28.0mV"): on such a screen a label's single dash before its figure is
        // its "=" ("Max-88.0mV" is 88.0 mV), and the first of two dashes is one too.
        static const QRegularExpression dashed(QStringLiteral("^([A-Za-z][A-Za-z+]*)-(-?)(?=\\d)"));
        const auto startsWithLabel = [](const ScreenWord& w) {
            const QList<Token> t = tokensOf(w, 0);
            return !t.isEmpty() && t.first().kind == Kind::Label;
        };
        const auto equalsAsDash = [&](const ScreenWord& w) {
            const auto m = dashed.match(w.text);
            return m.hasMatch() && !m.captured(2).isEmpty() && startsWithLabel(w);
        };
        if (std::any_of(words.begin(), words.end(), equalsAsDash))
            for (ScreenWord& w : words)
                if (const auto m = dashed.match(w.text); m.hasMatch() && startsWithLabel(w))
                    w.text[m.capturedLength(1)] = QLatin1Char('=');
        // A status line of quantities, each a name, "=" and a figure with its unit, read with its
        // spaces lost ("L1:I+1.088AU+224.176VP+0.307kVA", its "=" read as a plus): each quantity
        // is a word of its own, cut after each figure's unit (the longest that is one) and before
        // a symbol that follows a mark.
        static const QRegularExpression chained(QStringLiteral("(\\d)([A-Za-z\u00B5\u03A9]{2,7})[=+][-+]?\\d|[^A-Za-z0-9.,]([UVIPf1l|])[=+]\\d+[.,]\\d"));
        // (Only a line of several such quantities: a lone "+" after a unit is a sum or an offset.)
        static const QRegularExpression named(QStringLiteral("[A-Za-z1l|][=+][-+]?\\d+[.,]\\d"));
        for (int i = 0; i < words.size(); ++i) {
            const QString text = words.at(i).text;
            int quantities = 0;
            for (auto it = named.globalMatch(text); it.hasNext(); it.next())
                ++quantities;
            if (quantities < 2)
                continue;
            QList<qsizetype> cuts;
            for (auto it = chained.globalMatch(text); it.hasNext();) {
                const auto m = it.next();
                if (m.capturedLength(3) > 0) {
                    cuts.append(m.capturedStart(3));
                    continue;
                }
                const QString letters = m.captured(2);
                for (qsizetype k = std::min<qsizetype>(3, letters.size() - 1); k >= 1; --k)
                    if (parseUnit(letters.left(k)) && letters.size() - k <= 4) {
                        cuts.append(m.capturedStart(2) + k);
                        break;
                    }
            }
            // (From the last cut back, so that each cut's place in the text still holds.)
            for (qsizetype c = cuts.size() - 1; c >= 0; --c) {
                auto [head, tail] = cutWord(words.at(i), words.at(i).text, cuts.at(c));
                words[i] = head;
                words.insert(i + 1, tail);
            }
        }
        // A quantity's symbol before its figure ("U=4.06V", "I=0.52A"), its "=" perhaps read as a
        // plus, names what the figure is where its unit bears the symbol out: a labelled
        // readout, however it is drawn. (Small print's I may read as a one or an l: before a
        // current's figure it is the current's symbol still.)
        static const QRegularExpression symbol(QStringLiteral("^([UVIPRf1l|])[=+]\\d+[.,]\\d+(\\S+)$"));
        static const QMap<QString, QString> symbolUnit = {{QStringLiteral("U"), QStringLiteral("V")}, {QStringLiteral("V"), QStringLiteral("V")},
                                                          {QStringLiteral("I"), QStringLiteral("A")}, {QStringLiteral("P"), QStringLiteral("W")},
                                                          {QStringLiteral("R"), QString(omega)},      {QStringLiteral("f"), QStringLiteral("Hz")},
                                                          {QStringLiteral("1"), QStringLiteral("A")}, {QStringLiteral("l"), QStringLiteral("A")},
                                                          {QStringLiteral("|"), QStringLiteral("A")}};
        QSet<int> symbolNamed;
        for (int i = 0; i < words.size(); ++i)
            if (const auto m = symbol.match(words.at(i).text); m.hasMatch() && parseUnit(m.captured(2))
                                                                 && parseUnit(m.captured(2))->base == symbolUnit.value(m.captured(1))) {
                words[i].text[1] = QLatin1Char('=');
                if (symbolUnit.value(m.captured(1)) == QLatin1String("A"))
                    words[i].text[0] = QLatin1Char('I');
                symbolNamed.insert(i);
            }
        // A list's bullet before a measurement's label ("*RMS:1.060V", "•Freq=1kHz", a square
        // mark read as a star) marks the item and is no part of the label: the word is the label
        // and its value.
        static const QRegularExpression bullet(QStringLiteral("^[*\u2022\u00B7\u25AA\u25A0\u25CF](?=[A-Za-z])"));
        for (ScreenWord& w : words)
            if (bullet.match(w.text).hasMatch()) {
                const ScreenWord rest = cutWord(w, w.text, 1).second;
                const QList<Token> t = tokensOf(rest, 0);
                if (t.size() >= 2 && t.first().kind == Kind::Label && t.at(1).kind == Kind::Number)
                    w = rest;
            }
        m_words = words;
        for (int i = 0; i < words.size(); ++i)
            for (Token t : tokensOf(words.at(i), i)) {
                t.frame = ScreenSegmenter::innermostFrame(screen.boxes, t.box);
                t.symbolNamed = symbolNamed.contains(i) && t.kind == Kind::Number && t.unit && !t.unit->perDivision;
                m_tokens.append(t);
            }
        // "Over" with a colon and a value after it is a readout's label (a scope's overshoot),
        // not an overload.
        static const QRegularExpression valueAfterColon(QStringLiteral("^[:=]\\s*[-+]?\\d"));
        for (Token& t : m_tokens)
            if (t.kind == Kind::Overload && !t.unit && t.word + 1 < m_words.size() && m_words.at(t.word + 1).row == t.row
                && valueAfterColon.match(m_words.at(t.word + 1).text).hasMatch())
                t.kind = Kind::Word;
        // A built-in generator's frequency and amplitude after its wave's shape are settings.
        for (int k = 0; k < m_tokens.size(); ++k) {
            if (!isGeneratorMark(m_tokens.at(k).text))
                continue;
            QRect last = m_tokens.at(k).box;
            int settings = 0;
            for (int j = k + 1; j < m_tokens.size() && settings < 2 && m_tokens.at(j).row == m_tokens.at(k).row; ++j) {
                Token& t = m_tokens[j];
                if (t.box.left() - last.right() > t.height * 3)
                    break;
                last = t.box;
                if (t.kind == Kind::Number) {
                    t.status = true;
                    t.generatorSetting = true;
                    ++settings;
                }
            }
        }
        // So is every field of a panel headed as a generator ("Waveform generator", "Signal
        // Generator" over "Frequency 10.00MHz", "Offset 0.000V"): a program's settings side
        // panel lists what the generator is told to put out, however its fields are labelled.
        // The fields start under the heading, within five lines of it.
        for (Token& t : m_tokens) {
            if (t.kind != Kind::Number)
                continue;
            const bool headed = std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
                const int pitch = std::max(w.box.height(), t.height);
                return w.row < t.row && t.row - w.row <= 5 && t.box.top() >= w.box.bottom() && t.box.left() >= w.box.left() - pitch * 2
                       && t.box.left() <= w.box.right() && upper(w.text).contains(QLatin1String("GENERATOR"));
            });
            if (headed) {
                t.status = true;
                t.generatorSetting = true;
            }
        }
        // Figures worked into a sum written on the screen ("800 MHz/10 GHz*360=28.8", a note put
        // on a plot) are its terms, not readings: every figure of a phrase in which a figure is
        // multiplied ("*360", "×2") stands for the arithmetic, not for what was measured.
        static const QRegularExpression times(QStringLiteral("[*\u00D7]\\d"));
        for (int k = 0; k < m_words.size(); ++k) {
            if (!times.match(m_words.at(k).text).hasMatch())
                continue;
            // The phrase: the words run up to it and on after it on its line, each close to the next.
            int first = k, last = k;
            const auto close = [&](int a, int b) {
                return m_words.at(a).row == m_words.at(b).row
                       && m_words.at(b).box.left() - m_words.at(a).box.right() <= std::max(m_words.at(a).textHeight, m_words.at(b).textHeight) * 2;
            };
            while (first > 0 && close(first - 1, first))
                --first;
            while (last + 1 < m_words.size() && close(last, last + 1))
                ++last;
            for (Token& t : m_tokens)
                if (t.kind == Kind::Number && t.word >= first && t.word <= last)
                    t.status = true;
        }
        // A figure right after a word naming a setting ("Set 12.00 V", "V-SET 5.00") is what the
        // instrument is told to do; where the screen shows a figure of the same quantity that
        // no such word names, that one is what it measures.
        static const QRegularExpression settingWord(QStringLiteral("^(?:SET|SETTING|[VIUP]-?SET|SET-?[VIUP]|TARGET|LIMIT)[:=]?$"));
        QList<int> set;
        for (int k = 0; k + 1 < m_tokens.size(); ++k) {
            const Token& name = m_tokens.at(k);
            const Token& figure = m_tokens.at(k + 1);
            if (figure.kind == Kind::Number && figure.row == name.row && !figure.status && settingWord.match(upper(name.text)).hasMatch()
                && figure.box.left() - name.box.right() <= std::max(name.height, figure.height) * 2)
                set.append(k + 1);
        }
        auto baseOf = [&](int i) {
            const std::optional<Unit> u = unitAfter(m_tokens.at(i));
            return u ? u->base : QString();
        };
        for (int i : set) {
            const QString base = baseOf(i);
            bool measured = false;
            for (int j = 0; j < m_tokens.size() && !measured && !base.isEmpty(); ++j)
                measured = j != i && !set.contains(j) && m_tokens.at(j).kind == Kind::Number && !m_tokens.at(j).status && baseOf(j) == base;
            if (measured)
                m_tokens[i].status = true;
        }
        // "MAN" is the manual-range mark, but among limit labels it is one of them misread: in
        // a row of them ("MAX Man Avg"), or alone over a value of its own small size where the
        // screen shows other labels stacked over theirs.
        for (Token& t : m_tokens) {
            if (t.kind != Kind::Word || upper(t.text) != QLatin1String("MAN"))
                continue;
            bool limitBeside = false, statusBeside = false, alone = true;
            for (const Token& o : m_tokens) {
                if (&o == &t || o.row != t.row)
                    continue;
                alone = false;
                limitBeside = limitBeside || o.label == QLatin1String("MIN") || o.label == QLatin1String("MAX") || o.label == QLatin1String("AVG");
                statusBeside = statusBeside || isStatusWord(o.text);
            }
            bool stacked = false;
            if (alone)
                for (const Token& o : m_tokens)
                    if (o.kind == Kind::Number && o.row != t.row && o.box.top() > t.box.bottom() && o.box.top() - t.box.bottom() <= t.height
                        && horizontalOverlap(o.box, t.box) > 0 && similarSize(o.height, t.height))
                        stacked = true;
            const bool otherLabels = std::any_of(m_tokens.begin(), m_tokens.end(), [](const Token& o) {
                return o.label == QLatin1String("MIN") || o.label == QLatin1String("MAX");
            });
            if ((limitBeside && !statusBeside) || (stacked && otherLabels)) {
                t.kind = Kind::Label;
                t.label = QStringLiteral("MIN|MAX");
            }
        }
        // A limit label that could be MIN or MAX is the one the screen doesn't show otherwise.
        const bool hasMin = std::any_of(m_tokens.begin(), m_tokens.end(), [](const Token& t) { return t.label == QLatin1String("MIN"); });
        const bool hasMax = std::any_of(m_tokens.begin(), m_tokens.end(), [](const Token& t) { return t.label == QLatin1String("MAX"); });
        for (Token& t : m_tokens) {
            if (t.label != QLatin1String("MIN|MAX"))
                continue;
            if (hasMin != hasMax) {
                t.label = hasMin ? QStringLiteral("MAX") : QStringLiteral("MIN");
            } else {
                t.label.clear();
                t.kind = Kind::Word;
            }
        }
        unitsFromLabels();
        unitsFromColumnHeadings();
        unitsFromVoltageNames();
        markStatus();
        m_scope = looksLikeOscilloscope();
        if (m_scope && scopeVoltagesMended())
            markStatus();
        m_ohmScreen = screenSays({QStringLiteral("RES"), QStringLiteral("OHM"), QStringLiteral("RESISTANCE"), QString(omega),
                                  QStringLiteral("CONT"), QStringLiteral("CONTINUITY"), QStringLiteral("BEEP")});
        for (const Token& t : m_tokens)
            m_ohmScreen = m_ohmScreen || (t.unit && t.unit->base == QString(omega));
    }

    QVariantMap answer()
    {
        Reading r = reading();
        if (!r.overload)
            settle(r);
        if (m_scope)
            passOverRatio(r);
        if (m_scope)
            takeStatisticsRow(r);
        if (!r.main && !r.overload)
            takeReciprocalLine(r);
        const QString mode = modeFor(r);
        if (r.main && untrustworthy(r, mode)) {
            r.main.reset();
            r.minValue.reset();
            r.maxValue.reset();
        }
        QVariantMap out;
        out.insert(QStringLiteral("mode"), mode);
        const QString unit = r.unit ? r.unit->text() : QString();
        out.insert(QStringLiteral("unit"), unit);
        if (r.overload) {
            const QString shown = r.overloadToken ? r.overloadToken->text : QStringLiteral("OL");
            QString summary = QStringLiteral("A %1 reading showing overload (%2)").arg(mode, shown);
            if (!unit.isEmpty())
                summary += QStringLiteral(" on the %1 range").arg(unit);
            out.insert(QStringLiteral("summary"), summary + QStringLiteral(": the input is beyond what the range can show."));
            return out;
        }
        if (!r.main) {
            out.remove(QStringLiteral("unit"));
            return out;  // nothing readable: no value, no guess
        }
        out.insert(QStringLiteral("value"), r.main->value);
        // A maximum below the minimum is a misreading of one of them, which can't be told: neither
        // is given.
        if (r.minValue && r.maxValue && *r.maxValue < *r.minValue) {
            r.minValue.reset();
            r.maxValue.reset();
        }
        // A scope's limits come as a pair, the trace's minimum with its maximum. A maximum the
        // user put in the strip without its minimum, beside a level of another kind ("Top=4.28V
        // Period=16.66ms Max=4.32V"), is a measurement of its own, the trace's highest point, not
        // a bound of the reading; only a peak to peak (the span between the two) or an extreme
        // itself has one of them alone for its limit.
        static const QStringList bounded = {QStringLiteral("VPP"), QStringLiteral("MAX"), QStringLiteral("MIN")};
        if (mode == QLatin1String("Oscilloscope") && !r.label.isEmpty() && !bounded.contains(r.label)
            && r.minValue.has_value() != r.maxValue.has_value()) {
            r.minValue.reset();
            r.maxValue.reset();
        }
        if (r.minValue)
            out.insert(QStringLiteral("minValue"), *r.minValue);
        if (r.maxValue)
            out.insert(QStringLiteral("maxValue"), *r.maxValue);
        const QString withUnit = unit.isEmpty() ? r.main->shown : r.main->shown + QLatin1Char(' ') + unit;
        QString summary;
        if (mode == QLatin1String("Oscilloscope")) {
            static const QMap<QString, QString> what = {{QStringLiteral("VPP"), QStringLiteral(" peak to peak")},
                                                        {QStringLiteral("RMS"), QStringLiteral(" RMS")}};
            summary = QStringLiteral("An oscilloscope capture measuring %1%2").arg(withUnit, what.value(r.label));
        } else {
            summary = QStringLiteral("A %1 reading of %2").arg(mode, withUnit);
        }
        auto withItsUnit = [&](double v) {
            const QString n = QString::number(v, 'g', 12);
            return unit.isEmpty() ? n : n + QLatin1Char(' ') + unit;
        };
        if (r.minValue && r.maxValue)
            summary += QStringLiteral(", ranging from %1 to %2").arg(withItsUnit(*r.minValue), withItsUnit(*r.maxValue));
        else if (r.minValue)
            summary += QStringLiteral(", with a minimum of %1").arg(withItsUnit(*r.minValue));
        else if (r.maxValue)
            summary += QStringLiteral(", with a maximum of %1").arg(withItsUnit(*r.maxValue));
        out.insert(QStringLiteral("summary"), summary + QLatin1Char('.'));
        return out;
    }

private:
    // A program measuring the pulse under its pointer (a logic analyser's, a scope program's)
    // writes its width, its frequency and its period side by side on one line, a tag of a letter
    // or nothing before each ("W 9,300 ms  f 72,82 Hz  T 13,73 ms"): no label names them, but a
    // frequency and a time side by side that are each other's inverse are one signal's
    // measurements. Both are told to four digits, and agree to a part in three hundred without
    // agreeing exactly: a setting is round ("1.000 kHz" beside a "1.000 ms" time base), a
    // measured pair carries the rounding of its last digits. A cursor box's difference and its
    // inverse agree so too, but stacked one over the other or named ("1/ΔX"): only figures that
    // stand on one line with nothing but a mark of a letter or two between them count. Only with
    // a trace drawn, and only where no rule found a reading: the line's first figure, the
    // measurement put first, is the reading.
    void takeReciprocalLine(Reading& r)
    {
        if (!m_screen.waveform)
            return;
        // (A figure with a label glued before it is a named readout, not such a line's.)
        const auto bare = [&](const Token& t) {
            const QString& text = m_words.at(t.word).text;
            return t.kind == Kind::Number && t.unit && !t.unit->perDivision && !t.clock && !t.garbledUnit && !text.isEmpty()
                   && (text.front().isDigit() || text.front() == QLatin1Char('-') || text.front() == QLatin1Char('+'));
        };
        const auto timing = [&](const Token& t, const QString& base) {
            return bare(t) && t.unit->base == base && t.value > 0 && digitCount(t.shown) >= 4;
        };
        const auto tag = [](const Token& t) {
            return t.text.size() <= 2 && digitCount(t.text) == 0;
        };
        for (int f = 0; f < m_tokens.size(); ++f) {
            const Token& frequency = m_tokens.at(f);
            if (!timing(frequency, QStringLiteral("Hz")))
                continue;
            for (int p = 0; p < m_tokens.size(); ++p) {
                const Token& period = m_tokens.at(p);
                if (!timing(period, QStringLiteral("s")))
                    continue;
                const double product = frequency.value * prefixFactor(frequency.unit->prefix) * period.value * prefixFactor(period.unit->prefix);
                if (std::abs(product - 1) > 1.0 / 300 || std::abs(product - 1) < 1e-9)
                    continue;
                const int h = std::max({frequency.height, period.height, 1});
                const QRect line = frequency.box | period.box;
                const auto onLine = [&](const Token& t) {
                    return verticalOverlap(t.box, frequency.box) * 2 >= std::min(t.box.height(), frequency.box.height())
                           && verticalOverlap(t.box, period.box) * 2 >= std::min(t.box.height(), period.box.height());
                };
                if (!onLine(frequency) || line.width() > frequency.box.width() + period.box.width() + h * 6)
                    continue;
                const int from = std::min(f, p), to = std::max(f, p);
                bool between = true;
                for (int k = from + 1; k < to && between; ++k)
                    between = tag(m_tokens.at(k)) || (bare(m_tokens.at(k)) && onLine(m_tokens.at(k)));
                if (!between)
                    continue;
                // The line's first figure: figures before the pair, each close after the one
                // before it, with marks of a letter or two between, back to the first. Anything
                // else there (a name, a garbled figure) may be the first's label or the first
                // itself: no other figure stands for it.
                int first = from;
                for (int k = from - 1; k >= 0; --k) {
                    const Token& o = m_tokens.at(k);
                    if (!onLine(o) || o.box.right() >= m_tokens.at(first).box.left() || m_tokens.at(first).box.left() - o.box.right() > h * 6)
                        break;
                    if (bare(o))
                        first = k;
                    else if (!tag(o))
                        return;
                }
                r.main = m_tokens.at(first);
                r.unit = m_tokens.at(first).unit;
                r.signalReadout = true;
                r.label.clear();
                r.minValue.reset();
                r.maxValue.reset();
                return;
            }
        }
    }

    // Whatever rule took the figure, some figures are no trustworthy measurement.
    bool untrustworthy(const Reading& r, const QString& mode) const
    {
        if (!r.unit)
            return false;
        // No measured time is nothing: a period, a width or an interval shown as zero
        // ("uey0.00000s", a delay with its name garbled) is a delay, a trigger's position or a
        // cursor at its origin, a setting.
        if (r.unit->base == QLatin1String("s") && r.main->value == 0)
            return true;
        // No oscilloscope resolves nanovolts or nanoamperes: a scope's figure in them is its
        // "mV" or "mA" garbled ("Amplitude 14.6nV" for "14.0mV"), and its digits are no safer.
        if (mode == QLatin1String("Oscilloscope") && (r.unit->base == QLatin1String("V") || r.unit->base == QLatin1String("A"))
            && (r.unit->prefix == QLatin1String("n") || r.unit->prefix == QLatin1String("p")))
            return true;
        // A nought in small print or cut by the image's edge is read as an ohm sign ("100" as
        // "10Ω", a "30" as "3" and a sign): a meter shows plain ohms to a tenth or finer, so a
        // whole number of them stands on that one glyph unless the screen shows resistance
        // otherwise too - a second ohm sign, or RES, OHM, CONTINUITY.
        if (r.unit->base == QString(omega) && r.unit->prefix.isEmpty() && decimalPlaces(r.main->shown) == 0 && !resistanceShownElsewhere())
            return true;
        if (amongUnitChoices(*r.main, *r.unit))
            return true;
        // Nor does an ohm sign glued to a figure whose caption under it names another unit ("0.00Ω"
        // over "V" in a row of tiles, each captioned with its unit): the sign is its last nought.
        if (r.unit->base == QString(omega) && r.main->unit && captionedInOtherUnit(*r.main))
            return true;
        // A figure drawn like three or more others in its unit, all within a few percent of it (a
        // battery's cell voltages "4,138V" "4,136V" "4,140V"), is one of a set of peers: none of
        // them is the screen's measurement more than the others. A log's lines, each stamped
        // with its time, are one reading over time, the first line the one shown first.
        static const QRegularExpression time(QStringLiteral("\\d{1,2}:\\d{2}"));
        if (std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) { return w.row == r.main->row && time.match(w.text).hasMatch(); })
            || loggedByCount(*r.main))
            return false;
        if (r.label.isEmpty() && garbledPeerBefore(*r.main))
            return true;
        // (A steady signal's statistics, "Avg:220.0us" "Max:220.0us" "Min:220.0us" under its
        // current value, are the reading's own, however close; so are figures drawn well
        // smaller than it, a program's average, highest and lowest beside its large reading:
        // peers are drawn alike.)
        const double value = r.main->value;
        // (Nor are the figures of its own row of a statistics table, its limits taken from it:
        // "1.12s 1.12s 1.12s 1.12s 160.90us", the current value, mean, minimum and maximum.)
        const bool ownRow = r.minValue && r.maxValue;
        qsizetype peers = 0;
        for (qsizetype i = 0; i < m_tokens.size(); ++i) {
            const Token& t = m_tokens.at(i);
            static const QStringList statistics = {QStringLiteral("AVG"), QStringLiteral("MIN"), QStringLiteral("MAX")};
            const bool statistic = i > 0 && m_tokens.at(i - 1).kind == Kind::Label && m_tokens.at(i - 1).word == t.word
                                   && statistics.contains(m_tokens.at(i - 1).label);
            if (t.kind == Kind::Number && t.unit && !t.unit->perDivision && t.unit->base == r.unit->base && t.unit->prefix == r.unit->prefix
                && t.box != r.main->box && std::max(t.height, r.main->height) * 4 <= std::min(t.height, r.main->height) * 5 && std::abs(t.value - value) <= std::abs(value) * 0.02 && !statistic
                && !(ownRow && t.row == r.main->row))
                ++peers;
        }
        return peers >= 3 && !firstOfListedPeers(r);
    }

    // Whether the reading heads a list of its peers down its column: three or more figures under
    // it in its unit, aligned with it and drawn alike, within a few percent of it and not all
    // equal to it, a battery's cells listed in order (the app's table, a dashboard's card). Its
    // first line is the one a person reads first. Every other figure of the screen in that unit
    // stands after it and is one of its peers or in its list (a misread one, "4125V" for
    // "4,125V"): a figure of its own in the unit elsewhere (the pack's whole voltage) leaves the
    // reading to other rules. Figures that all agree exactly are a scale's marks, no cells.
    bool firstOfListedPeers(const Reading& r) const
    {
        if (!r.main || !r.unit || m_scope || r.unit->perDivision || r.main->value == 0)
            return false;
        const Token& first = *r.main;
        const int reach = std::max(first.height, 4);
        int listed = 0;
        bool differ = false;
        for (const Token& t : m_tokens) {
            if (t.kind != Kind::Number || t.box == first.box || t.status || t.clock)
                continue;
            const std::optional<Unit> u = unitAfter(t);
            if (!u || u->perDivision || u->base != r.unit->base)
                continue;
            if (t.word < first.word || t.row == first.row)
                return false;
            const bool aligned = std::abs(t.box.left() - first.box.left()) <= reach || std::abs(t.box.right() - first.box.right()) <= reach;
            const bool peer = u->prefix == r.unit->prefix && std::max(t.height, first.height) * 4 <= std::min(t.height, first.height) * 5
                              && std::abs(t.value - first.value) <= std::abs(first.value) * 0.02;
            if (!peer && !aligned)
                return false;
            listed += peer && aligned;
            differ = differ || (peer && t.value != first.value);
        }
        return listed >= 3 && differ;
    }

    // Whether a figure stands on a row that offers its quantity's units to choose from, each a
    // bare word of its own ("mHz Hz 10 Hz kHz MHz" under a generator's keypad): a picker's
    // button or the value being typed in, never a measurement. Two other prefixes of its unit
    // on its row, besides the one its figure is in, make such a row.
    bool amongUnitChoices(const Token& figure, const Unit& unit) const
    {
        QSet<QString> prefixes;
        for (const Token& t : m_tokens) {
            if (t.row != figure.row || t.kind == Kind::Number || t.box.intersects(figure.box)
                || digitCount(t.text) > 0)
                continue;
            const std::optional<Unit> u = parseUnit(t.text);
            if (u && !u->perDivision && u->base == unit.base && u->prefix != unit.prefix)
                prefixes.insert(u->prefix);
        }
        return prefixes.size() >= 2;
    }

    // Whether a bare unit stands right under a figure, small and within its width, in another
    // quantity than the unit the figure carries.
    bool captionedInOtherUnit(const Token& figure) const
    {
        return std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
            const int below = t.box.top() - figure.box.bottom();
            if (t.kind == Kind::Number || below < -2 || below > figure.height || t.height > figure.height * 0.7
                || t.box.center().x() < figure.box.left() || t.box.center().x() > figure.box.right()
                || digitCount(t.text) > 0)
                return false;
            const std::optional<Unit> u = readoutUnit(t.text);
            return u && !u->perDivision && u->base != figure.unit->base;
        });
    }

    // Whether the screen shows resistance by more than a reading's own ohm sign: a word naming
    // resistance or continuity, or a second ohm sign (a range, a column's unit).
    bool resistanceShownElsewhere() const
    {
        if (screenSays({QStringLiteral("RES"), QStringLiteral("OHM"), QStringLiteral("OHMS"), QStringLiteral("RESISTANCE"), QStringLiteral("CONT"),
                        QStringLiteral("CONTINUITY"), QStringLiteral("BEEP")}))
            return true;
        return std::count_if(m_tokens.begin(), m_tokens.end(), [](const Token& t) {
                   return (t.unit && t.unit->base == QString(omega)) || t.text.contains(omega);
               }) >= 2;
    }

    // Whether a figure stands on a line of a log numbered by a count ("940845" before "1.7126 DC
    // V"): a whole number of four digits or more opens its line, the line next to it opened by
    // one of as many digits in its column, counting up down the lines. (A list's item numbers
    // count up as well, "1001 10kΩ" over "1002 22kΩ": only a figure shown to four digits or more
    // is a reading's.)
    bool loggedByCount(const Token& figure) const
    {
        if (digitCount(figure.shown) < 4)
            return false;
        const int row = figure.row;
        static const QRegularExpression count(QStringLiteral("^\\d{4,}$"));
        const auto lead = [&](int of) {
            const auto w = std::find_if(m_words.begin(), m_words.end(), [&](const ScreenWord& o) { return o.row == of; });
            return w != m_words.end() && count.match(w->text).hasMatch() ? &*w : nullptr;
        };
        const ScreenWord* own = lead(row);
        if (!own)
            return false;
        for (const int other : {row - 1, row + 1}) {
            const ScreenWord* next = lead(other);
            if (!next || next->text.size() != own->text.size() || std::abs(next->box.left() - own->box.left()) > std::max(own->textHeight, 4))
                continue;
            if ((other > row) == (next->text.toLongLong() > own->text.toLongLong()))
                return true;
        }
        return false;
    }

    // A figure drawn like the reading before it on its line, its digits glued to a few letters
    // that are no unit ("4976mu" before "2155mA" on a tester's line), may be the measurement
    // itself, its unit garbled (a line's readings lead with the voltage): which of the two a
    // person reads can't be told, and an unlabelled reading then stands on nothing.
    bool garbledPeerBefore(const Token& main) const
    {
        // (A whole figure so glued is taken for a name, "2D15P", and kept as a word.)
        static const QRegularExpression letterTail(QStringLiteral("^[-+]?(\\d[\\d.,]*\\d)[A-Za-z]{1,3}$"));
        return std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
            const bool garbled = (t.kind == Kind::Number && t.garbledUnit) || t.kind == Kind::Word;
            return garbled && !t.status && !t.clock && t.row == main.row && t.word != main.word && t.box.right() < main.box.left()
                   && letterTail.match(m_words.at(t.word).text).hasMatch()
                   && std::max(t.height, main.height) * 4 <= std::min(t.height, main.height) * 5;
        });
    }

    // Whether letters stand before the figure: glued to it ("F-610Hz") or as the word just
    // before it on its line.
    bool afterWord(const Token& t) const
    {
        const QString own = m_words.value(t.word).text;
        if (!own.isEmpty() && own.front().isLetter())
            return true;
        if (t.word == 0)
            return false;
        const ScreenWord& before = m_words.at(t.word - 1);
        return before.row == t.row && t.box.left() - before.box.right() <= std::max(t.height, 4) * 3
               && std::any_of(before.text.begin(), before.text.end(), [](QChar c) { return c.isLetter(); });
    }

    // What a person takes for the screen's measurement, and nothing else. On a scope's screen
    // (scale marks per division, a sample rate, or a peak-to-peak readout) that has labelled
    // readouts and no number with a unit drawn larger than its text, the reading is the
    // peak-to-peak readout, else the first one; its limits are the readouts labelled as such.
    // Elsewhere the reading is the number drawn largest, and it stands only with its unit, only
    // when it is drawn larger than the screen's text (or is a scope's labelled measurement) and
    // never on the screen's top edge: numbers in a dialog, a menu or a settings page, drawn like
    // all the words around them, are no reading, and the answer then has no value.
    void settle(Reading& r)
    {
        // A signal generator's settings page (its frequency, amplitude, offset and phase in
        // fields, the wave's shape) shows what the instrument puts out, not what it measures.
        if (generatorSettings() || dialogOnScreen()) {
            r.main.reset();
            r.minValue.reset();
            r.maxValue.reset();
            return;
        }
        // A supply's page that names what it actually puts out says which figure is its
        // reading: one drawn larger is the voltage it is fed from, or its temperature.
        if (!m_scope && !hasScopeMarks(m_words)) {
            if (const std::optional<Token> actual = namedMeasurement(true)) {
                r.main = actual;
                r.unit = actual->unit;
                r.label.clear();
                r.minValue.reset();
                r.maxValue.reset();
                return;
            }
        }
        // A peak to peak whose unit the recogniser lost shares it with the maximum and minimum
        // it is the difference of. Where nothing tells its unit, the screen's measurement could
        // not be read, and no other readout of the screen stands for it.
        if (r.main && !r.unit && r.label == QLatin1String("VPP")) {
            const QList<Readout> readouts = labelledReadouts(m_words);
            r.unit = unitOfPeakToPeak(readouts, r.main->value, r.main->shown);
            const bool readWhole = std::any_of(readouts.begin(), readouts.end(), [](const Readout& o) { return o.label == QLatin1String("VPP"); });
            if (!r.unit && !readWhole) {
                r.main.reset();
                r.minValue.reset();
                r.maxValue.reset();
                return;
            }
            // The limits were taken before the unit was known: in theirs, not the reading's.
            if (r.unit)
                takeLimits(r, readouts, *r.unit);
        }
        if (statisticsBox(r))
            return;
        const bool standsOut = prominent(r) || onlyMeasurement(r);
        // The top edge of a screen is its status bar or title, the bottom edge its channel bar or
        // soft keys: what stands there is a setting.
        // A reading drawn far larger than the screen's text and than anything beside it is no
        // status item, though, even at the top of a program's window (a status bar's badges
        // stand as tall as one another).
        const bool aloneInSize = r.main && r.unit && sizesKnown() && r.main->height >= medianTextHeight() * 2.5
                                 && std::none_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
                                        return w.row == r.main->row && w.box != r.main->box && w.textHeight * 10 >= r.main->height * 6
                                               && !w.box.intersects(r.main->box);
                                    });
        // (Nor is a conductance: no instrument's status bar gives a setting in siemens, and a
        // meter's trend view draws its reading in a bar over the chart.)
        const bool conductance = r.unit && r.unit->base == QLatin1String("S");
        // (Nor is a figure at the top captioned over it in smaller print, "Consumption" over
        // "346.5W": a dashboard's tile, whose caption is the line at the edge.)
        const bool captionedTile = r.main && sizesKnown() && r.main->box.top() < m_screen.size.height() / 2
                                   && std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
                                          const int gap = r.main->box.top() - w.box.bottom();
                                          return w.row < r.main->row && gap >= -2 && gap <= r.main->height && horizontalOverlap(w.box, r.main->box) > 0
                                                 && w.textHeight * 3 <= r.main->height * 2 && w.text.size() >= 3
                                                 && std::all_of(w.text.begin(), w.text.end(), [](QChar c) { return c.isLetter(); });
                                      });
        const bool onEdge = r.main && onScreenEdge(r.main->box) && !aloneInSize && !conductance && !captionedTile;
        // A scope by its scale marks, or by its peak-to-peak readout: a waveform and a frequency
        // alone are a signal generator's settings as much as a scope's measurements.
        const bool peakToPeak = std::any_of(m_tokens.begin(), m_tokens.end(), [](const Token& t) { return t.label == QLatin1String("VPP"); });
        // (So is a measurement named with the channel it measures, "Prd[1]=1.12s": no
        // generator's setting is.)
        static const QRegularExpression ofChannel(QStringLiteral("^[A-Za-z][A-Za-z+\\-]*\\s?") + channelIndex + QStringLiteral("[:=-]*[-+]?\\d"));
        const bool channelReadout = std::any_of(m_words.begin(), m_words.end(), [](const ScreenWord& w) { return ofChannel.match(w.text).hasMatch(); });
        // (So is a strip of two labelled readouts side by side under a waveform, "Rise=2.500ms
        // Fall=2.500ms", where the scale marks were read without their slashes; its first
        // readout opens its line: a figure before it is a readout whose label was lost,
        // "ise-102.0ns Width398.0ns".)
        const QList<Readout> stripReadouts = m_scope ? labelledReadouts(m_words) : QList<Readout>();
        // (Or a list of them down a column, each named after its channel: "CH1 Frequency
        // 1.202kHz" over "CH1 Period 832.0us".)
        // (A table headed by the channel it measures, "CH1" before "Prd=11.11ms Freq=89.99Hz",
        // opens with its first readout all the same: the channel's name is no figure.)
        static const QRegularExpression channelName(QStringLiteral("^CH\\d$"), QRegularExpression::CaseInsensitiveOption);
        const bool strip = !stripReadouts.isEmpty() && std::any_of(stripReadouts.begin() + 1, stripReadouts.end(), [&](const Readout& b) {
            const ScreenWord& first = m_words.at(stripReadouts.first().word);
            const ScreenWord& other = m_words.at(b.word);
            const bool opens = std::none_of(m_words.begin(), m_words.begin() + stripReadouts.first().word, [&](const ScreenWord& w) {
                return w.row == first.row && !channelName.match(w.text).hasMatch()
                       && digitCount(w.text) > 0;
            });
            const bool under = other.row == first.row + 1 && horizontalOverlap(first.box, other.box) > 0;
            return (opens && other.row == first.row) || under;
        });
        // (Or a strip that opens with its one readout and names more measurements after it on
        // its line whose figures the scope could not take yet: "Amplitude 2.00mV High 0.00V
        // Frequency ?", a signal too weak or too slow to count shown as "?".)
        static const QRegularExpression bareName(QStringLiteral("^[A-Za-z][A-Za-z+\\-]{3,}:?$"));
        const bool namedAfter = !strip && stripReadouts.size() == 1 && [&] {
            const int at = stripReadouts.first().word;
            const ScreenWord& value = m_words.at(at);
            const int label = at - 1;
            const bool opens = label >= 0 && m_words.at(label).row == value.row && (label == 0 || m_words.at(label - 1).row != value.row)
                               && !readoutLabel(m_words.at(label).text).isEmpty();
            return opens && std::any_of(m_words.begin() + at + 1, m_words.end(), [&](const ScreenWord& w) {
                       return w.row == value.row && bareName.match(w.text).hasMatch() && !readoutLabel(w.text).isEmpty();
                   });
        }();
        // (Or a readout named after the channel it measures in words of their own, "C1" before
        // "Period 25.000ms" in a program's table of measurements.)
        const bool namesChannel = std::any_of(stripReadouts.begin(), stripReadouts.end(), [](const Readout& o) { return o.ofChannel; });
        if (hasScopeMarks(m_words) || (m_scope && (peakToPeak || channelReadout || strip || namedAfter || namesChannel))) {
            const QList<Readout> readouts = labelledReadouts(m_words);
            // The peak to peak the layout's own pairing found stands, with its limits. One it
            // only guessed (a voltage no label claims) stands behind a garbled label of its own
            // ("Yqq 3.28V"); with none, it is a readout whose label was lost like any other, and
            // a labelled readout before it in the strip is the first.
            const bool guessedBehind = r.main && r.labelGuessed && !readouts.isEmpty() && readouts.first().word < r.main->word
                                       && !garbledLabelBefore(*r.main);
            const bool pairedPeakToPeak = r.main && r.unit && r.label == QLatin1String("VPP")
                                          && (r.unit->base == QLatin1String("V") || r.unit->base == QLatin1String("A")) && !guessedBehind;
            // A number that stands out by its size, with its unit, is the reading over any strip
            // (a scope's built-in meter, drawn far larger than the strip); where sizes are
            // unknown, none stands out. A setting in the side panel (a trigger level) is drawn
            // about as large as the strip; one in a badge on the status bar may be drawn larger,
            // and is a setting all the same.
            int readoutHeight = 0;
            for (const Readout& o : readouts)
                readoutHeight = std::max(readoutHeight, m_words.value(o.word).textHeight);
            const bool outstanding = standsOut && sizesKnown() && r.unit && r.label.isEmpty() && r.main->height >= readoutHeight * 1.8
                                     && !inRowOfScales(r) && !onEdge;
            const auto vpp = std::find_if(readouts.begin(), readouts.end(), [](const Readout& o) { return o.label == QLatin1String("VPP"); });
            // Where both found the same peak to peak, the pairing's limits (mended for lost
            // signs and garbled units) stand.
            const bool samePeakToPeak = pairedPeakToPeak && vpp != readouts.end() && vpp->unit.base == r.unit->base
                                        && std::abs(vpp->value * prefixFactor(vpp->unit.prefix) - r.main->value * prefixFactor(r.unit->prefix))
                                               <= 1e-9 * std::abs(vpp->value * prefixFactor(vpp->unit.prefix));
            // A strip whose readouts each name the channel they measure ("Min(1)=-760.00mV
            // Max(1)=4.44V Pk-Pk(1)=5.20V", "C1 Freq" over "C1 Pk-Pk") lists the measurements
            // the user chose, in the order chosen: its first is the reading.
            // (The peak to peak may be the pairing's, its unit lost: "Pk-Pk(1)=5.20".)
            const bool peakOfChannel = vpp != readouts.end() ? vpp->ofChannel
                                                              : pairedPeakToPeak && ofChannel.match(m_words.at(r.main->word).text).hasMatch();
            // So does a list of readouts down one column, one a line ("Vmax:3.00V" over
            // "Vmin:-0.20V" over "Vpp:3.20V"): its first line is the measurement put first.
            const bool inChosenOrder = (!readouts.isEmpty() && readouts.first().ofChannel && peakOfChannel)
                                       || listedDownColumn(readouts, vpp != readouts.end() ? vpp->word : pairedPeakToPeak ? r.main->word : -1)
                                       || headedRowOfReadouts(readouts) || afterChannelName(readouts);
            if (!readouts.isEmpty() && (!pairedPeakToPeak || (vpp != readouts.end() && !samePeakToPeak) || inChosenOrder) && !outstanding) {
                // The peak to peak when the screen measures it, else the first readout.
                const Readout& first = vpp != readouts.end() && !inChosenOrder ? *vpp : readouts.first();
                // A statistics table names its rows down its first column: a row over the first
                // readout's, its figure in the same column and with its unit, led by a name no
                // label is known by (a channel's bracket misread, "Prdf1" for "Prd[1]"), is a
                // measurement put before it whose name was garbled. The top such row's figure is
                // the reading; no row under it stands for it. (A channel's badge before its scale,
                // "CH1" "2.00V", names no measurement.)
                static const QRegularExpression garbledName(QStringLiteral("^[-+]?[A-Za-z][A-Za-z+\\-]{2,}\\S?\\d$"));
                static const QRegularExpression figureWithUnit(QStringLiteral("^[-+]?\\d+(?:[.,]\\d+)?[A-Za-z\u00B5%]{1,3}$"));
                const auto garbledRowOver = [&](int below) {
                    const ScreenWord& value = m_words.at(below);
                    const int h = std::max(value.textHeight, 1);
                    for (qsizetype k = 0; k < m_words.size(); ++k) {
                        const ScreenWord& w = m_words.at(k);
                        const int above = value.box.top() - w.box.bottom();
                        if (w.row == value.row || above < 0 || above > h * 3 || horizontalOverlap(w.box, value.box) <= 0
                            || !figureWithUnit.match(w.text).hasMatch())
                            continue;
                        const auto lead = std::find_if(m_words.begin(), m_words.end(), [&](const ScreenWord& o) { return o.row == w.row; });
                        if (lead->box.right() < w.box.left() && garbledName.match(lead->text).hasMatch() && readoutLabel(lead->text).isEmpty()
                            && labelFor(lead->text).isEmpty())
                            return int(k);
                    }
                    return -1;
                };
                int top = -1;
                for (int k = garbledRowOver(first.word); k >= 0; k = garbledRowOver(k))
                    top = k;
                if (top >= 0) {
                    const auto token = std::find_if(m_tokens.begin(), m_tokens.end(), [&](const Token& t) { return t.word == top && t.kind == Kind::Number && t.unit; });
                    r.minValue.reset();
                    r.maxValue.reset();
                    r.main.reset();
                    if (token != m_tokens.end())
                        takeScopeFigure(r, *token, {});
                    return;
                }
                // A program's channel row follows the channel's scales per division with what it
                // measures, the first figure the measurement, whether its unit names it or not
                // ("20,0V/div 60,0dB/div 51,06V 2,500V 51,12Veff 7,155kHz", the channel's badge
                // lost): a readout later in the row does not stand for it.
                if (const Token* measured = firstAfterScales(first)) {
                    takeScopeFigure(r, *measured, {});
                    return;
                }
                // A figure with its decimals before the strip's first readout on its line, drawn
                // far larger than the strip, is the scope's built-in meter ("-32.1" "mV" before
                // "Freq(1): 14.2kHz"): the screen's reading. Where its unit went unread, no readout
                // of the strip stands for it.
                const int stripRow = m_words.at(readouts.first().word).row;
                const bool meterBefore = sizesKnown() && std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
                    return t.kind == Kind::Number && !t.status && !t.clock && t.row == stripRow && t.word < readouts.first().word
                           && t.height >= readoutHeight * 1.8 && t.shown.contains(QLatin1Char('.')) && !unitAfter(t);
                });
                if (meterBefore) {
                    r.main.reset();
                    r.minValue.reset();
                    r.maxValue.reset();
                    m_scope = true;
                    return;
                }
                // A figure with its unit that opens the strip's line, in the strip's print, just
                // before its first readout, is the strip's first readout with its label lost
                // ("2.56Y" before "Rise-1.700ns" for "Vpp=2.56V"): the measurement put first.
                // (Not where a name of its own heads it, as each of a table row's figures has
                // one: "VPos" over "0.00V" is a position the program is set to, its name read.)
                const auto namedOver = [&](const Token& t) {
                    return std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
                        const int above = t.box.top() - w.box.bottom();
                        return w.row < t.row && above >= 0 && above <= t.height * 3 && horizontalOverlap(w.box, t.box) > 0
                               && digitCount(w.text) == 0;
                    });
                };
                // (A volt or a second in a knob's 1-2-5 step to three figures, "1.00V", "500us",
                // is a channel's scale or the time base, its badge unread.)
                static const QRegularExpression step(QStringLiteral("^(?:[125]\\.00|[125]0\\.0|[125]00)$"));
                const int firstWord = readouts.first().word;
                const auto opener = std::find_if(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
                    const ScreenWord& own = m_words.at(t.word);
                    const bool scale = (t.unit && (t.unit->base == QLatin1String("V") || t.unit->base == QLatin1String("s")))
                                       && step.match(t.shown).hasMatch();
                    return &first == &readouts.first() && t.kind == Kind::Number && !t.clock && t.unit && !t.unit->perDivision
                           && !t.unit->base.isEmpty() && t.unit->base != QLatin1String("%") && t.word == firstWord - 1 && own.row == stripRow
                           && own.text == t.text && (t.word == 0 || m_words.at(t.word - 1).row != stripRow)
                           && similarSize(own.textHeight, m_words.at(firstWord).textHeight) && !scale && !namedOver(t);
                });
                if (opener != m_tokens.end()) {
                    takeScopeFigure(r, *opener, {});
                    r.minValue.reset();
                    r.maxValue.reset();
                    return;
                }
                // One before it on its line whose label was read and its figure garbled
                // ("Prd-11..dims" before "Freq89.99Hz") is the measurement put first: the readout
                // after it does not stand for it.
                static const QRegularExpression garbled(QStringLiteral("^([+\\-]?[A-Za-z]{2,8})[=:\\-]?\\d"));
                const bool lostFirst = &first == &readouts.first()
                                       && std::any_of(m_words.begin(), m_words.begin() + firstWord, [&](const ScreenWord& w) {
                                              const auto m = garbled.match(w.text);
                                              return w.row == stripRow && m.hasMatch() && !readoutLabel(m.captured(1)).isEmpty();
                                          });
                if (lostFirst || rowLostOver(m_words.at(first.word))) {
                    r = Reading();
                    m_scope = true;
                    return;
                }
                takeReadout(r, first);
                // (A side panel's minimum and maximum are the trace's extremes: limits of its
                // peak to peak, of no other measurement it lists.)
                if (!first.underLabel || first.label == QLatin1String("VPP") || headedRowOfReadouts(readouts))
                    takeLimits(r, readouts, first.unit);
                else {
                    r.minValue.reset();
                    r.maxValue.reset();
                }
                m_scope = true;
                return;
            }
        }
        // A labelled measurement that lost its first digit ("f = 00.105Hz") is no reading.
        if (r.main && !r.label.isEmpty() && lostLeadingDigit(r.main->shown))
            r.main.reset();
        // No frequency or period is negative, nor an RMS value, an amplitude or a peak to peak: a
        // minus before one is its label's "=" misread ("Rms-80.0mV"). With no label before a
        // frequency or period, the minus is no "=" but a sign of a garbled figure.
        const bool timeOrRate = r.main && r.unit && (r.unit->base == QLatin1String("Hz") || r.unit->base == QLatin1String("s"));
        if (timeOrRate && r.main->value < 0 && r.label.isEmpty() && !afterWord(*r.main))
            r.main.reset();
        const bool neverNegative = r.label == QLatin1String("RMS") || r.label == QLatin1String("AMPL") || r.label == QLatin1String("VPP");
        if (r.main && r.unit && (timeOrRate || neverNegative) && r.main->value < 0) {
            r.main->value = -r.main->value;
            r.main->shown.remove(0, 1);
        }
        if (const std::optional<Token> volts = powerBesideVoltage(r)) {
            r.main = volts;
            r.unit = unitAfter(*volts);
            r.minValue.reset();
            r.maxValue.reset();
        }
        if (m_scope && r.main && r.label == QLatin1String("VPP") && rowLostOver(m_words.at(r.main->word))) {
            r = Reading();
            return;
        }
        if (inRowOfScales(r) || strayBefore(r) || unreadVoltageBefore(r))
            r.main.reset();
        // A time alone is a timebase, an interval or a timer; it is a measurement only where the
        // screen names one (a period, a pulse width, a rise time).
        if (r.main && r.unit && r.unit->base == QLatin1String("s") && r.label.isEmpty()
            && !screenSays({QStringLiteral("PERIOD"), QStringLiteral("PER"), QStringLiteral("PRD"), QStringLiteral("WIDTH"),
                            QStringLiteral("RISE"), QStringLiteral("FALL"), QStringLiteral("PULSE")}))
            r.main.reset();
        // On a scope's screen a number without a label is a scale, a cursor or a setting (a
        // trigger level), unless it is drawn far larger than the screen's text (a built-in
        // meter).
        if (r.main && r.label.isEmpty() && sizesKnown() && hasScopeMarks(m_words) && r.main->height < medianTextHeight() * 1.8)
            r.main.reset();
        // A labelled measurement counts as a scope's only on a screen that is a scope's by its
        // scale marks, its peak to peak or its channel badges: a frequency beside a waveform may
        // be a signal generator's setting.
        const bool channelBadge = std::any_of(m_tokens.begin(), m_tokens.end(), [](const Token& t) {
            const QString u = upper(t.text);
            return u.size() == 3 && u.startsWith(QLatin1String("CH")) && u.at(2).isDigit();
        });
        // On a screen that is a scope's by its waveform and its readouts alone, a readout of its
        // strip, its label glued to its figure ("Freq=610 Hz", "F99.98KHz"), is as much its
        // measurement.
        // So is one whose label is a word of its own just before it, opening its line ("F"
        // "150.1Hz").
        const auto labelOpensLine = [&](const Token& t) {
            const ScreenWord& w = m_words.at(t.word);
            return t.word + 1 == r.main->word && w.text == t.text && w.row == r.main->row
                   && r.main->box.left() - w.box.right() <= std::max(r.main->height, 4) * 2
                   && (t.word == 0 || m_words.at(t.word - 1).row != w.row);
        };
        const bool stripReadout = m_scope && r.main && !r.label.isEmpty() && std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
            return t.kind == Kind::Label && t.label == r.label
                   && ((t.word == r.main->word && m_words.at(t.word).text.startsWith(t.text)) || labelOpensLine(t));
        });
        const bool scopeLabelled = !r.label.isEmpty() && (r.label == QLatin1String("VPP") || hasScopeMarks(m_words) || peakToPeak || channelBadge || stripReadout);
        // A value under a label that names its unit is a program's labelled readout.
        // So is a figure with its unit spelled out in full after it ("223 microFarads"), on a
        // line that names no setting.
        // (Or glued to it, "119.9Volts", as a program prints a figure and its unit's name; not
        // on the screen's edges, where a status bar may give a battery's charge so.)
        static const QRegularExpression gluedSpelling(QStringLiteral("^[-+]?\\d+[.,]\\d+([A-Za-z]{4,})$"));
        const auto gluedSpelled = [&](const QString& word) {
            const auto m = gluedSpelling.match(word);
            return m.hasMatch() && unitSpelledInFull(m.captured(1));
        };
        const bool spelledOut = r.main
                                && ((r.main->word + 1 < m_words.size() && m_words.at(r.main->word + 1).row == r.main->row
                                     && m_words.at(r.main->word).text == r.main->text && unitSpelledInFull(m_words.at(r.main->word + 1).text))
                                    || (gluedSpelled(m_words.at(r.main->word).text) && !onEdge))
                                && std::none_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
                                       return w.row == r.main->row && namesSetting(upper(w.text));
                                   });
        // (Neither a symbol nor a spelled unit names a result on a page that names any of a
        // generator's settings: "f=1.000kHz" beside "Sine" is what it puts out.)
        const bool printed = ((r.main && r.main->symbolNamed) || spelledOut) && generatorKinds() == 0;
        // On a scope's screen, so is a frequency with the trace's span run on after it ("12636Hz" then
        // "0.00/4.98V"): the trace's own summary, wherever on the screen it stands.
        static const QRegularExpression withSpan(QStringLiteral("^[-+]?\\d+(?:[.,]\\d+)?[kMG]?Hz[-+]?\\d+[.,]\\d+/[-+]?\\d+[.,]\\d+[munk\u00B5]?V$"));
        const bool spanned = m_scope && r.main && r.label.isEmpty() && withSpan.match(m_words.at(r.main->word).text).hasMatch();
        const bool labelled = scopeLabelled || (r.main && r.main->unitFromLabel) || printed || spanned || r.tile || firstOfListedPeers(r);
        if (r.main && (!r.unit || (!standsOut && !labelled) || (onEdge && !labelled) || (!labelled && underGeneratorFields(*r.main)))) {
            r.main.reset();
            r.minValue.reset();
            r.maxValue.reset();
        }
        if (!r.main)
            takeMeasuredReadout(r);
        if (!r.main)
            takeQuantityReadout(r);
        if (!r.main && !m_scope)
            takeNamedMeasurement(r);
        if (!r.main && !m_scope)
            takeFigureInChosenUnit(r);
        if (!r.main && !m_scope)
            takeMarkerLevel(r);
        if (!r.main && !m_scope)
            takeSpectrumPeak(r);
        if (!r.main && !m_scope)
            takeStrongestOfPeakList(r);
        if (!r.main && (m_scope || hasScopeMarks(m_words))) {
            takeChannelRow(r);
            if (!r.main)
                takeGarbledStripReadout(r);
            if (!r.main)
                takeCounter(r);
            // A waveform with one of a scope's marks (its sample rate) over a strip of labelled
            // readouts is a scope's screen as much, its first readout the measurement
            // ("Rise=12.60ms" where the others show only stars).
            if (!r.main && m_scope && hasScopeMarks(m_words, 1)) {
                const QList<Readout> readouts = labelledReadouts(m_words);
                if (!readouts.isEmpty()) {
                    takeReadout(r, readouts.first());
                    takeLimits(r, readouts, readouts.first().unit);
                }
            }
        }
        // (One scope mark is enough beside such a table: no other instrument lays out its
        // figures so.)
        if (!r.main && (m_scope || hasScopeMarks(m_words, 1)))
            takeStatisticsTable(r);
        if (!r.main)
            takeListedStatistics(r);
        if (!r.main && !m_scope)
            takePowerRow(r);
        if (!r.main && !m_scope)
            takeCharacterDisplayPair(r);
        if (!r.main && !m_scope)
            takeReadingWithItsLimits(r);
        if (!r.main && !m_scope)
            takeCurrentTile(r);
        if (!r.main && !m_scope)
            takeLoggedReading(r);
        if (!r.main && !m_scope)
            takeHeadedTable(r);
        // (Gauges, a supply's input and a profiler's summary are never on a scope's screen.)
        if (r.main || m_scope || hasScopeMarks(m_words, 1))
            return;
        takeGaugeFigure(r);
        if (!r.main)
            takeInputVoltageFirst(r);
        if (!r.main)
            takeProfilerWindow(r);
        if (!r.main)
            takeScopeSummaryLine(r);
        if (!r.main)
            takeStatisticsTable(r, false);
    }

    // A small scope with no scale marks prints what it measured as one line of figures without
    // names over its chart: the trace's average and its peak to peak, both voltages, then the
    // frequency it counted ("0.95V 1.50V 4.425Hz 101µs", the time per division after them).
    // A line that opens with two voltages drawn alike and a frequency right after them is such a
    // line where it is the only place the screen writes a unit (the chart's scale is bare
    // figures): the first voltage, its average, is the reading. (A supply's or a load's line
    // has a current beside its voltage; a generator names its settings.)
    void takeScopeSummaryLine(Reading& r)
    {
        const auto unitOf = [&](const Token& t) -> std::optional<Unit> {
            if (t.kind != Kind::Number || t.clock || t.garbledUnit)
                return std::nullopt;
            const std::optional<Unit> u = unitAfter(t);
            return u && !u->perDivision ? u : std::nullopt;
        };
        const auto isBase = [&](const Token& t, const char* base) {
            const std::optional<Unit> u = unitOf(t);
            return u && u->base == QLatin1String(base);
        };
        for (int i = 0; i + 2 < m_tokens.size(); ++i) {
            const Token& first = m_tokens.at(i);
            if (!isBase(first, "V"))
                continue;
            const bool opensLine = std::none_of(m_words.begin(), m_words.begin() + first.word, [&](const ScreenWord& w) { return w.row == first.row; });
            const Token& second = m_tokens.at(i + 1);
            const Token& third = m_tokens.at(i + 2);
            const bool run = second.row == first.row && third.row == first.row && second.word == first.word + 1 && third.word == second.word + 1
                             && isBase(second, "V") && isBase(third, "Hz") && similarSize(second.height, first.height)
                             && similarSize(third.height, first.height);
            const bool unitsElsewhere = std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) { return t.row != first.row && unitOf(t); });
            if (!opensLine || !run || unitsElsewhere)
                return;
            r.main = first;
            r.unit = unitOf(first);
            r.label.clear();
            r.signalReadout = true;
            r.minValue.reset();
            r.maxValue.reset();
            return;
        }
    }

    // A power profiler sums up the stretch of its chart in one line of figures drawn alike: the
    // average current, the peak current, the stretch's time and the charge drawn over it
    // ("2.21 mA 20.39 mA 9.997 ms 22.14 µC"), each captioned under it in print the recogniser
    // may lose. Two currents followed on their line by a charge (a figure in coulombs) are such
    // a line, and the first current, its average, is the reading. The two are printed with the
    // same decimals; where they are not, one was misread.
    void takeProfilerWindow(Reading& r) const
    {
        if (const std::optional<Reading> window = profilerWindow()) {
            r.main = window->main;
            r.unit = window->unit;
            r.label.clear();
            // Its limit is its own peak, whatever limit the figure taken before had (a later
            // window's maximum further along the line is not this one's).
            r.minValue.reset();
            r.maxValue = window->maxValue;
        }
    }

    // The first stretch's average current as the reading, its peak as its maximum, where the
    // screen shows a profiler's summary line.
    std::optional<Reading> profilerWindow() const
    {
        // (A µ comes out as u or y, as in any unit.)
        static const QRegularExpression charge(QStringLiteral("^[-+]?\\d+[.,]\\d+[mnuy\u00B5]?[cC]$"));
        static const QRegularExpression chargeUnit(QStringLiteral("^[mnuy\u00B5]?[cC]$"));
        // The unit's first stroke, set tight against its figure, may read as a bar before it
        // ("1.00" "lmA"), and its capital A as a small one ("0.89a"): on a line of currents
        // these are amperes all the same.
        static const QRegularExpression stemmed(QStringLiteral("^[-+]?\\d+[.,]\\d+([lI|]?[mnuy\u00B5]?[aA])$"));
        static const QRegularExpression stemmedUnit(QStringLiteral("^[lI|]([mnuy\u00B5]?[aA])$"));
        const auto currentUnit = [&](const Token& t) -> std::optional<Unit> {
            if (std::optional<Unit> u = unitAfter(t))
                return u;
            QString unit;
            if (const auto m = stemmed.match(m_words.value(t.word).text); m.hasMatch())
                unit = m.captured(1);
            else if (t.word + 1 < m_words.size() && m_words.at(t.word + 1).row == t.row
                     && m_words.at(t.word + 1).box.left() - t.box.right() <= t.height / 2)
                if (const auto n = stemmedUnit.match(m_words.at(t.word + 1).text); n.hasMatch())
                    unit = n.captured(1);
            while (!unit.isEmpty() && QStringLiteral("lI|").contains(unit.front()))
                unit.remove(0, 1);
            if (unit.isEmpty())
                return std::nullopt;
            unit.back() = QLatin1Char('A');
            return parseUnit(unit);
        };
        QSet<int> opened;
        for (int i = 0; i < m_tokens.size(); ++i) {
            const Token& first = m_tokens.at(i);
            if (first.kind != Kind::Number || first.status || first.clock)
                continue;
            const std::optional<Unit> u = unitAfter(first);
            if (!u || u->perDivision || u->base != QLatin1String("A"))
                continue;
            // (The first current on a line opens it: one further on is another stretch's, even
            // where the first stretch's figures could not be read.)
            if (opened.contains(first.row))
                continue;
            opened.insert(first.row);
            const Token* second = nullptr;
            bool charged = false;
            for (int j = i + 1; j < m_tokens.size(); ++j) {
                const Token& t = m_tokens.at(j);
                if (t.row != first.row || t.box.left() < first.box.right() || !similarSize(t.height, first.height))
                    continue;
                const std::optional<Unit> tu = t.kind == Kind::Number ? currentUnit(t) : std::nullopt;
                // (The peak is the very next figure: a current further on is another stretch's.)
                if (!second) {
                    if (tu && !tu->perDivision && tu->base == QLatin1String("A"))
                        second = &t;
                    else if (t.kind == Kind::Number)
                        break;
                    continue;
                }
                const bool gluedCharge = charge.match(m_words.value(t.word).text).hasMatch();
                const bool chargeAfter = t.kind == Kind::Number && t.word + 1 < m_words.size() && m_words.at(t.word + 1).row == t.row
                                         && chargeUnit.match(m_words.at(t.word + 1).text).hasMatch();
                // (Or the figure captioned "charge" right under it, its unit garbled.)
                const bool captioned = t.kind == Kind::Number && std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
                    return w.row == t.row + 1 && horizontalOverlap(w.box, t.box) > 0 && w.box.top() - t.box.bottom() <= t.height * 2
                           && w.text.compare(QLatin1String("charge"), Qt::CaseInsensitive) == 0;
                });
                if (gluedCharge || chargeAfter || captioned) {
                    charged = true;
                    break;
                }
            }
            if (!second || !charged)
                continue;
            Token average = first;
            // The stem of the unit's m set tight against the figure may read as a last digit one
            // ("104.271" "mA" for 104.27 mA): that figure then shows a decimal more than the
            // peak, and its unit, a word of its own, stands closer to it than a gap between words
            // (and than the peak's own unit, where that is a word of its own).
            const auto gapToUnit = [&](const Token& t) {
                const bool apart = !t.unit && t.word + 1 < m_words.size() && m_words.at(t.word + 1).row == t.row
                                   && parseUnit(m_words.at(t.word + 1).text);
                return apart ? m_words.at(t.word + 1).box.left() - t.box.right() : -1;
            };
            const int tight = gapToUnit(first), peakGap = gapToUnit(*second);
            if (decimalPlaces(first.shown) == decimalPlaces(second->shown) + 1 && first.shown.endsWith(QLatin1Char('1')) && tight >= 0
                && tight * 5 <= first.height && (peakGap < 0 || peakGap > tight + 1)) {
                average.shown.chop(1);
                average.value = average.shown.toDouble();
            }
            if (decimalPlaces(average.shown) != decimalPlaces(second->shown) || decimalPlaces(average.shown) == 0)
                return std::nullopt;
            Reading window;
            window.main = average;
            window.unit = u;
            const std::optional<Unit> peakUnit = currentUnit(*second);
            window.maxValue = std::round(second->value * prefixFactor(peakUnit->prefix) / prefixFactor(u->prefix) * 1e9) / 1e9;
            return window;
        }
        return std::nullopt;
    }

    // A supply's page may open with the voltage it is fed from, named and glued to its figure
    // ("Input:0.000V", "Vin=24.10V"), in its header over the output's panel: it is the first
    // voltage the page measures, and where no output voltage was read the reading. Only where
    // nothing before it in reading order is a voltage or names one (an output's figure lost
    // under its name, "Vout", is not passed over).
    void takeInputVoltageFirst(Reading& r) const
    {
        static const QRegularExpression input(QStringLiteral("^(?:INPUT|VIN|UIN)[:=]([-+]?\\d+[.,]\\d+)(V)$"), QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression voltageWord(QStringLiteral("VOLT|VOUT|UOUT|OUTPUT|SPANNUNG|\\d\\s?[munk\u00B5]?V(?![a-z])"),
                                                    QRegularExpression::CaseInsensitiveOption);
        // (Or the name a word of its own just before the figure: "Input:" "0.000V".)
        static const QRegularExpression name(QStringLiteral("^(?:INPUT|VIN|UIN)[:=]$"), QRegularExpression::CaseInsensitiveOption);
        for (int i = 0; i < m_words.size(); ++i) {
            const ScreenWord& w = m_words.at(i);
            const bool apart = name.match(w.text).hasMatch() && i + 1 < m_words.size() && m_words.at(i + 1).row == w.row
                               && m_words.at(i + 1).box.left() - w.box.right() >= -2
                               && m_words.at(i + 1).box.left() - w.box.right() <= std::max(w.textHeight, 4) * 3;
            const auto m = input.match(apart ? w.text + m_words.at(i + 1).text : w.text);
            if (!m.hasMatch()) {
                if (voltageWord.match(w.text).hasMatch())
                    return;
                continue;
            }
            ScreenWord figure = m_words.at(apart ? i + 1 : i);
            figure.text = m.captured(1) + m.captured(2);
            const QList<Token> read = tokensOf(figure, apart ? i + 1 : i);
            if (read.size() != 1 || read.first().kind != Kind::Number || !read.first().unit || read.first().unit->base != QLatin1String("V"))
                return;
            r.main = read.first();
            r.unit = read.first().unit;
            r.label.clear();
            return;
        }
    }

    // A dashboard's gauge (a dial or a tile on a web page or in a program) puts its quantity's
    // name centred over it and the figure centred at its foot, the unit small under the figure
    // or left out ("Voltage" over the dial, "230.5" under it): a voltage's name centred over (or
    // just under) a bare figure with its decimals, drawn larger, with nothing between them, gives
    // the figure in volts. A current or a power is as often in milli- or kilo- units: their names
    // give none. A field under its name in the same print is what the instrument is set to as
    // often as what it measures; a name that says the figure is set is no gauge of a
    // measurement; and where two gauges name a voltage, which one is the reading can't be told.
    void takeGaugeFigure(Reading& r) const
    {
        static const QRegularExpression voltage(QStringLiteral("^(?:[A-Z]*VOLTAGE|[A-Z]*SPANNUNG|TENSION|TENSI\u00D3N|VOLTAJE)$"));
        // (Besides the settings every page names, a gauge's name may be a bound or a charger's
        // stage: "MAX VOLTAGE", "FLOAT VOLTAGE".)
        static const QRegularExpression boundOrStage(
            QStringLiteral("MAX|MIN|OVER|UNDER|END|OFFSET|CHARG|FLOAT|BOOST|BULK|ABSORP|EQUALI|RETURN|RECONNECT|DISCONNECT|REF|DESIGN"));
        std::optional<Token> found;
        int gauges = 0;
        for (const Token& name : m_tokens) {
            const QString text = upperName(name.text);
            if (name.kind == Kind::Number || !voltage.match(text).hasMatch() || namesSetting(text) || boundOrStage.match(text).hasMatch())
                continue;
            // (Some gauges name their quantity under the figure instead, close by: "12.00" over
            // "VOLTAGE".)
            const Token* figure = nullptr;
            int nearest = 0;
            for (const Token& t : m_tokens) {
                const int drop = t.box.top() - name.box.bottom(), rise = name.box.top() - t.box.bottom();
                const bool below = drop > 0 && drop <= name.height * 8, above = rise >= -2 && rise <= name.height * 3;
                if (t.kind != Kind::Number || t.status || t.clock || t.unit || t.garbledUnit || !t.shown.contains(QLatin1Char('.'))
                    || t.height * 10 < name.height * 11 || (!below && !above)
                    || std::abs(t.box.center().x() - name.box.center().x()) > std::max(name.height / 2, 2))
                    continue;
                const int gap = below ? drop : rise;
                if (!figure || gap < nearest) {
                    figure = &t;
                    nearest = gap;
                }
            }
            if (!figure)
                continue;
            const int left = std::min(name.box.left(), figure->box.left()), right = std::max(name.box.right(), figure->box.right());
            const int top = std::min(name.box.bottom(), figure->box.bottom()), bottom = std::max(name.box.top(), figure->box.top());
            const bool between = std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
                return w.box.top() > top - 2 && w.box.bottom() < bottom + 2 && w.box.right() >= left && w.box.left() <= right
                       && w.box != name.box && w.box != figure->box;
            });
            if (between)
                continue;
            ++gauges;
            found = *figure;
        }
        if (gauges != 1)
            return;
        r.main = found;
        r.unit = Unit{QString(), QStringLiteral("V"), QString(), false};
        r.label.clear();
    }

    // A character display (up to four lines of text, every character drawn the same size, as a
    // home-made tester's or a load's two- or four-line module shows them) has no large reading to
    // stand out: a voltage with a current beside it on its line, opening the display's figures,
    // is what it measures. Only one such line may show, and nothing on the display may name a
    // setting or a limit (a load's set current beside the measured voltage); a scale per
    // division makes it a scope's strip.
    void takeCharacterDisplayPair(Reading& r) const
    {
        QSet<int> lines;
        for (const ScreenWord& w : m_words)
            lines.insert(w.row);
        if (!sizesKnown() || m_words.size() > 24 || lines.size() > 4 || hasScopeMarks(m_words, 1))
            return;
        const int median = medianTextHeight();
        static const QRegularExpression setting(QStringLiteral("SET|LIM|TARGET|OVP|OCP|OPP|PRESET|MAX|MIN"));
        // (Small letters stand shorter than the cells they are drawn in; figures fill them.)
        for (const ScreenWord& w : m_words) {
            const bool figure = digitCount(w.text) > 0;
            if ((w.text.size() >= 2 && w.textHeight * 4 > median * 5) || (figure && w.textHeight * 5 < median * 4)
                || setting.match(upper(w.text)).hasMatch())
                return;
        }
        std::optional<Token> pair, opening;
        bool figureBefore = false;
        int volts = 0;
        for (int i = 0; i < m_tokens.size(); ++i) {
            const Token& t = m_tokens.at(i);
            const std::optional<Unit> u = t.kind == Kind::Number && !t.status && !t.clock ? unitAfter(t) : std::nullopt;
            if (!u || u->perDivision)
                continue;
            volts += u->base == QLatin1String("V") ? 1 : 0;
            const bool amperesBeside = u->base == QLatin1String("V") && std::any_of(m_tokens.begin() + i + 1, m_tokens.end(), [&](const Token& a) {
                const std::optional<Unit> au = a.kind == Kind::Number && a.row == t.row && !a.status ? unitAfter(a) : std::nullopt;
                return au && au->base == QLatin1String("A");
            });
            if (amperesBeside) {
                if (pair || figureBefore)
                    return;
                pair = t;
                pair->unit = u;
            }
            // (The current beside it may be lost to the recogniser: the display's one voltage,
            // with its decimals, opening its figures and its line, no name before it, is what it
            // measures all the same.)
            const bool opensLine = t.word == 0 || m_words.at(t.word - 1).row != t.row;
            if (!figureBefore && opensLine && u->base == QLatin1String("V") && (t.shown.contains(QLatin1Char('.')) || t.shown.contains(QLatin1Char(',')))) {
                opening = t;
                opening->unit = u;
            }
            figureBefore = true;
        }
        if (!pair && volts == 1)
            pair = opening;
        if (pair) {
            r.main = pair;
            r.unit = pair->unit;
            r.label.clear();
        }
    }

    // A program's log of readings: a column of figures in one unit, one a line, each line
    // stamped with its time or its record number ("17352 2021-06-11 11:31:17 AM -0.59749 VDC",
    // "010000: 1.3145V"). The top line's figure is the reading the log shows first. An axis's
    // marks are no log: their lines carry no stamp.
    void takeLoggedReading(Reading& r) const
    {
        static const QRegularExpression time(QStringLiteral("\\d{1,2}:\\d{2}"));
        static const QRegularExpression record(QStringLiteral("^\\d+:$"));
        auto stamped = [&](int row) {
            bool first = true;
            for (const ScreenWord& w : m_words) {
                if (w.row != row)
                    continue;
                if (time.match(w.text).hasMatch() || (first && record.match(w.text).hasMatch()))
                    return true;
                first = false;
            }
            return false;
        };
        // (The unit may stand in a column of its own, a table's rule between: "-0.5136" "VDC"; or
        // only in the column's heading, spelled out: "Volt" over "5.096".)
        QList<int> logged;
        QList<Unit> units;
        for (int i = 0; i < m_tokens.size(); ++i) {
            const Token& t = m_tokens.at(i);
            if (t.kind != Kind::Number || t.clock || (!stamped(t.row) && !loggedByCount(t)))
                continue;
            std::optional<Unit> u = unitAfter(t);
            if (!u)
                u = unitOfHeading(t);
            if (u && !u->perDivision && u->base != QLatin1String("%")) {
                logged.append(i);
                units.append(*u);
            }
        }
        for (int a = 0; a < logged.size(); ++a) {
            const Token& head = m_tokens.at(logged.at(a));
            int lines = 1;
            QRect column = head.box;
            for (int b = 0; b < logged.size(); ++b) {
                const Token& t = m_tokens.at(logged.at(b));
                if (t.row > head.row && units.at(b).base == units.at(a).base && similarSize(t.height, head.height) && horizontalOverlap(t.box, column) > 0
                    && t.box.top() > column.bottom() && t.box.top() - column.bottom() <= head.height * 2) {
                    column |= t.box;
                    ++lines;
                }
            }
            // A stamped line just over the top one, its words going on past where the column's
            // figures stand but no figure read there, is a line whose figure was lost: the log's
            // first reading is not the top one read, and no other is.
            const bool lostAbove = std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
                if (w.row == head.row || w.box.bottom() >= head.box.top() || head.box.top() - w.box.bottom() > head.height * 2 || !stamped(w.row))
                    return false;
                const bool goesOn = std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& o) { return o.row == w.row && o.box.right() >= head.box.left(); });
                const bool figure = std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
                    return t.row == w.row && t.kind == Kind::Number && !t.clock && horizontalOverlap(t.box, column) > 0;
                });
                // (A line whose words start where the column's figures do is the program's
                // message, stamped as its readings are: "Press <ENTER> to exit", "Ready!".)
                static const QRegularExpression message(QStringLiteral("^[A-Za-z]{4,}[!.:,]?$"));
                const bool says = std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& o) {
                    return o.row == w.row && std::abs(o.box.left() - column.left()) <= head.height && message.match(o.text).hasMatch();
                });
                return goesOn && !figure && !says;
            });
            if (lines >= 3 && lostAbove)
                return;
            if (lines >= 3) {
                r.main = head;
                r.unit = units.at(a);
                r.label.clear();
                return;
            }
        }
    }

    // The unit a table's column heading spells out ("Volt", "Amps") over `number`, the figures
    // between them stacked a row apart down the column; nothing where a figure has its own unit.
    std::optional<Unit> unitOfHeading(const Token& number) const
    {
        for (const Token& h : m_tokens) {
            if (h.kind == Kind::Number || h.unit || spelledUnit(upperName(h.text)).isEmpty() || h.box.bottom() >= number.box.top()
                || horizontalOverlap(h.box, number.box) <= 0)
                continue;
            // (Down from the heading, each figure the next under the one before, the first within
            // a header row's height and a rule, until the figure itself.)
            QRect at = h.box;
            int reach = std::max(h.height, number.height) * 3;
            while (at != number.box) {
                const Token* next = nullptr;
                for (const Token& t : m_tokens) {
                    const int gap = t.box.top() - at.bottom();
                    if (t.kind == Kind::Number && !t.clock && horizontalOverlap(t.box, number.box) > 0 && gap >= 0 && gap <= reach
                        && (!next || t.box.top() < next->box.top()))
                        next = &t;
                }
                if (!next || next->unit || !similarSize(next->height, number.height))
                    break;
                at = next->box;
                reach = number.height * 2;
            }
            if (at == number.box)
                return parseUnit(spelledUnit(upperName(h.text)));
        }
        return std::nullopt;
    }

    // A logging program's table whose columns are headed, the readings under "Value" (or
    // "Measurement", "Reading") and their unit in a column headed "Unit": its top row is the
    // reading it shows first, whether or not its rows are stamped in a way that reads as one
    // (a Unix time, an index). Three figures down the column at least, of one size, make it a
    // table; the unit must come from the Unit column itself.
    void takeHeadedTable(Reading& r) const
    {
        static const QStringList headings = {QStringLiteral("VALUE"), QStringLiteral("VALUES"), QStringLiteral("MEASUREMENT"), QStringLiteral("READING"),
                                             QStringLiteral("MESSWERT"), QStringLiteral("WERT"), QStringLiteral("VALOR"), QStringLiteral("VALEUR")};
        for (const Token& h : m_tokens) {
            const QString heading = upperName(h.text);
            if (h.kind == Kind::Number || !headings.contains(heading))
                continue;
            QList<const Token*> column;
            for (const Token& t : m_tokens) {
                if (t.kind != Kind::Number || t.clock || t.unit || horizontalOverlap(t.box, h.box) <= 0 || t.box.top() <= h.box.bottom())
                    continue;
                column.append(&t);
            }
            std::sort(column.begin(), column.end(), [](const Token* a, const Token* b) { return a->box.top() < b->box.top(); });
            if (column.size() < 3 || column.first()->box.top() - h.box.bottom() > std::max(h.height, column.first()->height) * 3)
                continue;
            const Token& top = *column.first();
            // (Each figure under the one before, a line apart, all of one size.)
            bool table = true;
            for (int k = 1; k < 3 && table; ++k) {
                const Token& above = *column.at(k - 1);
                const Token& t = *column.at(k);
                table = similarSize(t.height, top.height) && t.box.top() > above.box.bottom() && t.box.top() - above.box.bottom() <= top.height * 2;
            }
            // (The top figure stands a row under the heading: one further down is a row whose
            // figure was lost above it, and no reading.)
            const int pitch = column.at(1)->box.top() - top.box.top();
            if (!table || (top.box.top() - h.box.top()) * 2 > pitch * 3)
                continue;
            const std::optional<Unit> u = unitColumn(top);
            if (!u || u->perDivision || u->base == QLatin1String("%"))
                continue;
            r.main = top;
            r.unit = u;
            r.label.clear();
            return;
        }
    }

    // A program's statistics panel of tiles, each captioned over its figure ("CURRENT" over
    // "4.2337 V", "MIN" over "4.1836 V", "MAX" over "4.9177 V", "AVERAGE" beside them): the tile
    // captioned as the present value is the reading, the ones captioned MIN and MAX its limits,
    // all in one unit and the value between them. (A tile captioned CURRENT that shows amperes
    // may as well name the quantity on a supply's page: no reading from it.)
    void takeCurrentTile(Reading& r) const
    {
        const auto figureUnder = [&](const ScreenWord& caption) -> const Token* {
            const Token* found = nullptr;
            for (const Token& t : m_tokens) {
                const int gap = t.box.top() - caption.box.bottom();
                if (t.kind != Kind::Number || t.clock || gap < -2 || gap > std::max(t.height, 4) * 2 || std::abs(t.box.left() - caption.box.left()) > t.height
                    || t.height < caption.textHeight)
                    continue;
                if (found)
                    return nullptr;
                found = &t;
            }
            return found;
        };
        const Token* present = nullptr;
        QList<const Token*> lows, highs;
        for (const ScreenWord& w : m_words) {
            const QString caption = upper(w.text);
            const QString label = labelFor(w.text);
            const bool isPresent = caption == QLatin1String("CURRENT") || caption == QLatin1String("NOW");
            if (!isPresent && label != QLatin1String("MIN") && label != QLatin1String("MAX"))
                continue;
            const Token* t = figureUnder(w);
            if (!t || !unitAfter(*t))
                continue;
            if (isPresent) {
                if (present)
                    return;
                present = t;
            } else {
                (label == QLatin1String("MIN") ? lows : highs).append(t);
            }
        }
        if (!present || lows.size() != 1 || highs.size() != 1)
            return;
        const std::optional<Unit> u = unitAfter(*present);
        if (u->perDivision || u->base.isEmpty() || u->base == QLatin1String("A") || u->base == QLatin1String("%"))
            return;
        const auto inUnit = [&](const Token* t) -> std::optional<double> {
            const std::optional<Unit> o = unitAfter(*t);
            if (o->base != u->base)
                return std::nullopt;
            return std::round(t->value * prefixFactor(o->prefix) / prefixFactor(u->prefix) * 1e9) / 1e9;
        };
        const std::optional<double> low = inUnit(lows.first()), high = inUnit(highs.first());
        if (!low || !high || *low > present->value || present->value > *high)
            return;
        r.main = *present;
        r.unit = u;
        r.label.clear();
        r.minValue = low;
        r.maxValue = high;
    }

    // A program may list a reading in plain print with its statistics under it ("6.519613 Vrms"
    // over "max: 6.918952 Vrms" and "min: 0.005062Vrms"): a figure with a maximum and a minimum
    // of its quantity labelled below it, and lying between them, is the reading they are of.
    void takeReadingWithItsLimits(Reading& r) const
    {
        struct Limit {
            const Token* value;
            Unit unit;
            bool isMax;
        };
        QList<Limit> limits;
        for (int i = 0; i + 1 < m_tokens.size(); ++i) {
            const Token& l = m_tokens.at(i);
            const Token& v = m_tokens.at(i + 1);
            if (l.kind != Kind::Label || (l.label != QLatin1String("MAX") && l.label != QLatin1String("MIN")) || v.kind != Kind::Number
                || v.row != l.row)
                continue;
            if (const std::optional<Unit> u = unitAfter(v); u && !u->perDivision)
                limits.append({&v, *u, l.label == QLatin1String("MAX")});
        }
        for (int i = 0; i < m_tokens.size() && limits.size() >= 2; ++i) {
            const Token& t = m_tokens.at(i);
            const std::optional<Unit> u = t.kind == Kind::Number && !t.status && !t.clock ? unitAfter(t) : std::nullopt;
            // (A statistic of its own, "Avg:87.6mV" over "Max:..." in a scope's statistics box,
            // is labelled; the reading is not.)
            const bool labelled = i > 0 && m_tokens.at(i - 1).kind == Kind::Label && m_tokens.at(i - 1).row == t.row;
            if (!u || u->perDivision || labelled || std::any_of(limits.begin(), limits.end(), [&](const Limit& l) { return l.value == &t; }))
                continue;
            std::optional<double> low, high;
            for (const Limit& l : limits) {
                const int below = l.value->box.top() - t.box.bottom();
                // (Or after it on its line, each behind its label: "V: 3.88V  Min: 3.85V
                // Max: 3.95V".)
                const bool after = l.value->row == t.row && l.value->box.left() > t.box.right();
                if (l.unit.base != u->base || ((below < 0 || below > t.height * 8) && !after))
                    continue;
                const double v = l.value->value * prefixFactor(l.unit.prefix) / prefixFactor(u->prefix);
                std::optional<double>& limit = l.isMax ? high : low;
                if (!limit)
                    limit = std::round(v * 1e9) / 1e9;
            }
            if (low && high && *low <= t.value && t.value <= *high) {
                r.main = t;
                r.unit = u;
                r.label.clear();
                r.minValue = low;
                r.maxValue = high;
                return;
            }
        }
    }

    // Volts, amperes and watts side by side on one line are what a supply, a load or a USB
    // tester measures (a setting shows no power): the voltage is the reading.
    void takePowerRow(Reading& r) const
    {
        QList<std::optional<Unit>> units;
        for (const Token& t : m_tokens)
            units.append(t.kind == Kind::Number && !t.status && !t.clock ? unitAfter(t) : std::nullopt);
        for (int i = 0; i < m_tokens.size(); ++i) {
            const std::optional<Unit>& vu = units.at(i);
            if (!vu || vu->perDivision || vu->base != QLatin1String("V"))
                continue;
            // (Where the row shows other voltages too, the three stand together, the voltage
            // first: a row of several settings, or several panels' lines read as one, mixes them.)
            bool amperes = false, watts = false, otherVolts = false;
            QStringList after;
            for (int j = 0; j < m_tokens.size(); ++j) {
                if (j == i || m_tokens.at(j).row != m_tokens.at(i).row || !units.at(j))
                    continue;
                amperes = amperes || units.at(j)->base == QLatin1String("A");
                watts = watts || units.at(j)->base == QLatin1String("W");
                otherVolts = otherVolts || units.at(j)->base == QLatin1String("V");
                if (j > i)
                    after.append(units.at(j)->base);
            }
            if (otherVolts && after.mid(0, 2) != QStringList{QStringLiteral("A"), QStringLiteral("W")}
                && after.mid(0, 2) != QStringList{QStringLiteral("W"), QStringLiteral("A")})
                amperes = watts = false;
            // ...or stacked in a column under it, a line each ("9.130V" over "1.131A" over
            // "10.325W" on a USB tester's panel). A terminal program prints each after its name
            // ("Voltage: 5.01 V", "Power: 0.546 W"), so the figures only overlap, their names
            // being of unequal length.
            const Token& v = m_tokens.at(i);
            const auto inColumn = [&](const Token& t) {
                const int narrower = std::min(t.box.width(), v.box.width());
                return std::abs(t.box.left() - v.box.left()) <= v.height || horizontalOverlap(t.box, v.box) * 2 >= narrower;
            };
            int line = v.row, lines = 0, bottom = v.box.bottom();
            bool ampsBelow = false, wattsBelow = false;
            for (int j = i + 1; j < m_tokens.size() && lines < 2; ++j) {
                const Token& t = m_tokens.at(j);
                if (t.row == line || !units.at(j) || !inColumn(t) || t.box.top() - bottom > v.height * 3)
                    continue;
                line = t.row;
                bottom = t.box.bottom();
                ++lines;
                ampsBelow = ampsBelow || (lines == 1 && units.at(j)->base == QLatin1String("A"));
                wattsBelow = wattsBelow || (ampsBelow && lines == 2 && units.at(j)->base == QLatin1String("W"));
            }
            // ...or a block of two columns, the power beside the voltage and the current under it
            // ("12.346V 24.7W" over "2.000A" in a load's status box).
            // ...or the current right under the voltage with a tally of charge or energy in
            // their column, over the one or under the other (a charger's slot: "0.00mAh" over
            // "1.403V" over "0.507A"): a tally is kept of what flows, as a power is shown of it.
            // (The current then only vouches for the block: a timer beside it on its line, which
            // marks it a status item, is the slot's own.)
            static const QRegularExpression tally(QStringLiteral("^\\d+[.,]\\d+\\s?[mk]?[AW]h$"));
            const auto under = [&](const QRect& upper, const Token& t) {
                const int gap = t.box.top() - upper.bottom();
                return std::abs(t.box.left() - v.box.left()) <= v.height && gap >= -2 && gap <= v.height * 2;
            };
            bool tallied = false;
            for (const Token& a : m_tokens) {
                if (&a == &v || a.kind != Kind::Number || a.clock || !unitAfter(a) || unitAfter(a)->base != QLatin1String("A") || !under(v.box, a))
                    continue;
                tallied = std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& c) {
                    return c.kind == Kind::Word && tally.match(c.text).hasMatch() && (under(c.box, v) || under(a.box, c));
                });
                break;
            }
            if ((amperes && watts) || (ampsBelow && wattsBelow) || (watts && ampsBelow) || tallied) {
                r.main = m_tokens.at(i);
                r.unit = vu;
                r.label.clear();
                return;
            }
        }
        // A supply's panel may mark its figures with the unit's letter before them, a lamp or
        // print left of the digits: a voltage so marked with the current right under it, marked
        // alike and drawn alike, is its reading as much.
        const auto letterBefore = [&](const Token& t) {
            if (t.kind != Kind::Number || t.status || t.clock || t.unit || t.garbledUnit || t.word <= 0 || !t.shown.contains(QLatin1Char('.')))
                return QString();
            const ScreenWord& mark = m_words.at(t.word - 1);
            const bool own = m_words.at(t.word).text == t.text && mark.row == m_words.at(t.word).row;
            const int gap = t.box.left() - mark.box.right();
            return own && gap >= 0 && gap <= t.height && mark.textHeight < t.height ? mark.text : QString();
        };
        for (const Token& v : m_tokens) {
            if (letterBefore(v) != QLatin1String("V"))
                continue;
            const QRect mark = m_words.at(v.word - 1).box;
            // The current right under it, its letter in the V's column; or next along its row,
            // marked with its symbol or its unit ("V 5.06  I 0.02  W 0.1012"): a program's strip
            // of fields, each named by a letter.
            const bool withItsCurrent = std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& a) {
                const QString letter = letterBefore(a);
                if (!similarSize(a.height, v.height) || (letter != QLatin1String("A") && letter != QLatin1String("I")))
                    return false;
                const QRect itsMark = m_words.at(a.word - 1).box;
                const int under = a.box.top() - v.box.bottom(), along = itsMark.left() - v.box.right();
                return (letter == QLatin1String("A") && a.row > v.row && under >= 0 && under <= v.height
                        && std::abs(itsMark.left() - mark.left()) <= v.height / 2)
                       || (a.row == v.row && along >= 0 && along <= v.height * 2);
            });
            if (withItsCurrent) {
                r.main = v;
                r.unit = Unit{QString(), QStringLiteral("V"), QString(), false};
                r.label.clear();
                return;
            }
        }
    }

    // A duty cycle or an overshoot in percent is a ratio of the signal's times or levels, not a
    // quantity it measures: where a scope's measurements open with one, the next readout in
    // reading order that measures in a unit is the reading ("+Duty(C1) 50.0%" over
    // "Freq(C1) 1.0000Hz"). With none, the ratio stands as it is.
    void passOverRatio(Reading& r) const
    {
        if (!r.main || !r.unit || r.unit->base != QLatin1String("%"))
            return;
        for (const Readout& o : labelledReadouts(m_words)) {
            if (o.unit.perDivision || o.unit.base.isEmpty() || o.unit.base == QLatin1String("%") || o.label == QLatin1String("MIN")
                || o.label == QLatin1String("MAX"))
                continue;
            takeReadout(r, o);
            r.minValue.reset();
            r.maxValue.reset();
            return;
        }
    }

    // A scope's statistics table gives each measurement a row of five figures, in columns headed
    // Value, Mean, Min, Max and Std-Dev ("1.09s 995.62ms 63.02us 1.10s 314.82ms"), its label
    // before them. The value carries its unit; the statistics after it may keep only their
    // prefix ("500.0µ", the µ read as u or y; "392.00m") or, with none, print the bare figure
    // ("3.32V 3.32 3.32 3.32 0.00"): all are in the value's quantity. The five figures from the
    // token at `first` on, in that quantity, or nothing where they are no such row: the value
    // and the mean both between the minimum and the maximum, the deviation no wider than their
    // span (each figure rounded to its last digit, so a steady signal's span may show as none).
    // `headed`: whether a figure without its unit may stand in the row, which only a table
    // that names its columns over it shows.
    // (`known`: the value's unit where the reading's own readout told it, its figure here
    // having kept only the prefix.)
    QList<double> statisticsCells(int first, bool headed, const std::optional<Unit>& known = std::nullopt) const
    {
        const Token& token = m_tokens.at(first);
        const std::optional<Unit> unit = token.unit ? token.unit : known;
        if (token.kind != Kind::Number || token.clock || token.status || !unit || unit->perDivision || unit->base.isEmpty()
            || unit->base == QLatin1String("%"))
            return {};
        static const QRegularExpression specks(QStringLiteral("['`\"]"));
        static const QRegularExpression figureFirst(QStringLiteral("^[-+]?\\d+(?:[.,]\\d+)?(\\S+)$"));
        static const QRegularExpression prefixOnly(QStringLiteral("^[-+]?\\d+(?:[.,]\\d+)?([munpky\u00B5])$"));
        static const QRegularExpression bare(QStringLiteral("^[-+]?\\d+(?:[.,]\\d+)?$"));
        QList<double> cells{token.value * prefixFactor(unit->prefix)};
        double step = std::pow(10.0, -decimalPlaces(token.shown)) * prefixFactor(unit->prefix);
        for (int i = first + 1; i < m_tokens.size() && cells.size() < 5; ++i) {
            const Token& t = m_tokens.at(i);
            // (A cell stands level with the row's first: two lines of figures merged into one
            // row, a channel bar's scales over its offsets, are no table's row.)
            if (t.row != token.row || t.kind != Kind::Number || t.clock || t.status
                || verticalOverlap(t.box, token.box) * 2 < std::min(t.box.height(), token.box.height()))
                return {};
            // (A speck beside a cell's unit read as a quote mark is no part of it: "392.00m'Yv",
            // "0.0p'".)
            const QString text = QString(t.text).remove(specks);
            std::optional<Unit> u = t.unit;
            if (const auto m = figureFirst.match(text); !u && m.hasMatch() && text != t.text)
                u = parseUnit(m.captured(1));
            if (const auto m = prefixOnly.match(text); !u && m.hasMatch()) {
                const QString p = m.captured(1);
                u = Unit{p == QLatin1String("u") || p == QLatin1String("y") ? QString(micro) : p, unit->base, QString(), false};
            }
            if (!u && headed && bare.match(text).hasMatch())
                u = Unit{QString(), unit->base, QString(), false};
            if (!u || u->perDivision || u->base != unit->base)
                return {};
            cells.append(t.value * prefixFactor(u->prefix));
            if (cells.size() == 3 || cells.size() == 4)
                step = std::max(step, std::pow(10.0, -decimalPlaces(t.shown)) * prefixFactor(u->prefix));
        }
        if (cells.size() != 5)
            return {};
        const double low = cells.at(2), high = cells.at(3), slack = step * 0.5 + std::abs(high) * 1e-9;
        const auto within = [&](double v) { return v >= low - slack && v <= high + slack; };
        if (low > high || !within(cells.at(0)) || !within(cells.at(1)) || cells.at(4) < 0 || cells.at(4) > high - low + 2 * step)
            return {};
        return cells;
    }

    // Whether a row's figures stand under a heading that names a statistics table's columns
    // ("Value Mean Min Max Std Dev"), on a line just above.
    bool underStatisticsHeading(const Token& value) const
    {
        static const QStringList columns = {QStringLiteral("VALUE"), QStringLiteral("MEAN"), QStringLiteral("MIN"), QStringLiteral("MAX"),
                                            QStringLiteral("STDDEV"), QStringLiteral("STD")};
        return std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
            const int above = value.box.top() - w.box.bottom();
            return w.row < value.row && above >= -2 && above <= value.height * 3 && columns.contains(upperName(w.text));
        });
    }

    // The row whose first figure is the reading gives its limits, the third and the fourth.
    void takeStatisticsRow(Reading& r) const
    {
        if (!r.main || !r.unit || r.minValue || r.maxValue)
            return;
        for (int i = 0; i < m_tokens.size(); ++i) {
            const Token& t = m_tokens.at(i);
            // (A reading taken from a labelled readout keeps its figure, not where it stood.)
            const bool same = r.main->box.isNull() ? t.shown == r.main->shown : t.word == r.main->word && t.box == r.main->box;
            if (t.kind != Kind::Number || !same || (t.unit && t.unit->base != r.unit->base))
                continue;
            const QList<double> cells = statisticsCells(i, underStatisticsHeading(t), r.unit);
            const double reading = r.main->value * prefixFactor(r.unit->prefix);
            if (cells.isEmpty() || std::abs(cells.at(0) - reading) > std::abs(reading) * 1e-9)
                continue;
            const double scale = prefixFactor(r.unit->prefix);
            r.minValue = std::round(cells.at(2) / scale * 1e9) / 1e9;
            r.maxValue = std::round(cells.at(3) / scale * 1e9) / 1e9;
            return;
        }
    }

    // A scope's statistics table whose names went unread still shows what it is: a line of five
    // figures in one quantity, the measurement's current value, its mean, minimum, maximum and
    // deviation. Its top such line is the first measurement, with its own limits (a ratio's
    // line, a duty cycle in percent, is passed over for the next).
    // A source's or a meter's program may list its readbacks' statistics so too, after a cell
    // or two of its own (the range a channel is set to): there, last of all, each of the five
    // figures must carry its unit written out, as no line of settings or log does by chance.
    void takeStatisticsTable(Reading& r, bool scope = true)
    {
        QList<int> order;
        for (int i = 0; i < m_tokens.size(); ++i)
            if (m_tokens.at(i).kind == Kind::Number)
                order.append(i);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return m_tokens.at(a).row < m_tokens.at(b).row; });
        for (const int i : order) {
            const QList<double> cells = statisticsCells(i, scope && underStatisticsHeading(m_tokens.at(i)));
            if (cells.isEmpty() || (!scope && !std::all_of(m_tokens.begin() + i, m_tokens.begin() + i + 5, [](const Token& t) { return bool(t.unit); })))
                continue;
            r.main = m_tokens.at(i);
            r.unit = r.main->unit;
            r.label.clear();
            const double scale = prefixFactor(r.unit->prefix);
            r.minValue = std::round(cells.at(2) / scale * 1e9) / 1e9;
            r.maxValue = std::round(cells.at(3) / scale * 1e9) / 1e9;
            m_scope = m_scope || scope;
            return;
        }
    }

    // Whether the word just before a figure on its line is letters alone that name no label: a
    // label the recogniser garbled ("Yqq" for "Vpp").
    bool garbledLabelBefore(const Token& t) const
    {
        if (t.word == 0 || m_words.at(t.word - 1).row != t.row)
            return false;
        const QString before = m_words.at(t.word - 1).text;
        static const QRegularExpression letters(QStringLiteral("^[A-Za-z][A-Za-z\\-]*[:=]?$"));
        return letters.match(before).hasMatch() && labelFor(before).isEmpty() && readoutLabel(before).isEmpty();
    }

    // A scope's statistics box stacks a measurement's current value over its running average,
    // minimum and maximum ("Cur:-40.00mV" over "Avg:", "Min:" and "Max:"): the first box's
    // current value is the screen's measurement, its own minimum and maximum its limits, and
    // the other figures statistics. Where that value lost its unit ("Cur:7.840" with the V in
    // too small a print), no other figure of the table stands for it: false when the screen
    // has no such box, true with the reading (or none) when it has. ("Current:" spelt out
    // labels a supply's or a meter's amperes, not a statistic.)
    bool statisticsBox(Reading& r)
    {
        static const QRegularExpression current(QStringLiteral("^Curr?(?:[:=]|(?=[-+]?\\d))(.*)$"), QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression statistic(QStringLiteral("^([A-Za-z]{3,7})([:=]?)(.*)$"));
        static const QRegularExpression figure(QStringLiteral("^([+-]?\\d+(?:[.,]\\d+)?)(\\S*)$"));
        // The statistics labelled under a word, in its column, and the figure each shows.
        auto below = [&](const ScreenWord& w) {
            QList<std::pair<QString, int>> found;
            for (int j = 0; j < m_words.size(); ++j) {
                const ScreenWord& o = m_words.at(j);
                const int drop = o.box.top() - w.box.bottom();
                if (drop < 0 || drop > w.box.height() * 5 || horizontalOverlap(o.box, w.box) <= 0)
                    continue;
                if (const auto m = statistic.match(o.text); m.hasMatch()) {
                    const QString label = labelFor(m.captured(1));
                    if (label == QLatin1String("AVG") || label == QLatin1String("MIN") || label == QLatin1String("MAX"))
                        found.append({label, j});
                }
            }
            return found;
        };
        // Each box's current value with its statistics under it: two kinds of them, or one where
        // other boxes' current values stand on its line (the rest of a box's small print may go
        // unread).
        QList<int> boxes;
        for (int i = 0; i < m_words.size(); ++i) {
            if (!current.match(m_words.at(i).text).hasMatch())
                continue;
            QSet<QString> kinds;
            for (const auto& s : below(m_words.at(i)))
                kinds.insert(s.first);
            const bool inRow = std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& o) {
                return &o != &m_words.at(i) && o.row == m_words.at(i).row && current.match(o.text).hasMatch();
            });
            if (kinds.size() >= 2 || (kinds.size() == 1 && (inRow || m_scope || hasScopeMarks(m_words))))
                boxes.append(i);
        }
        if (boxes.isEmpty())
            return false;
        // A row of boxes may title each with its measurement, the word at the box's left on the
        // line of its current value ("Max Cur:216mV  Min Cur:-104mV ... Vpp Cur:320mV"): as in a
        // strip, the peak to peak is the reading where the screen measures it, else the first
        // box. Where a title stands before the first box read, that box's own value was lost:
        // no other box stands for it.
        static const QRegularExpression letters(QStringLiteral("^[A-Za-z+\\-]{2,8}$"));
        const auto titleOf = [&](int i) {
            const ScreenWord& w = m_words.at(i);
            if (i == 0 || m_words.at(i - 1).row != w.row)
                return -1;
            const ScreenWord& t = m_words.at(i - 1);
            const int gap = w.box.left() - t.box.right();
            return gap >= 0 && gap <= std::max(w.textHeight, 4) * 5 && letters.match(t.text).hasMatch() ? i - 1 : -1;
        };
        int chosen = boxes.first();
        for (const int i : std::as_const(boxes)) {
            const int t = titleOf(i);
            if (t >= 0 && readoutLabel(m_words.at(t).text) == QLatin1String("VPP") && chosen == boxes.first())
                chosen = i;
        }
        // (Boxes stand side by side, each some fourteen characters wide: a word further off is
        // no box's.)
        const int firstTitle = titleOf(boxes.first());
        const ScreenWord& opening = m_words.at(firstTitle >= 0 ? firstTitle : boxes.first());
        const bool lostBefore = std::any_of(m_words.begin(), m_words.begin() + (firstTitle >= 0 ? firstTitle : boxes.first()), [&](const ScreenWord& o) {
            return o.row == opening.row && opening.box.left() - o.box.right() <= std::max(opening.textHeight, 4) * 20;
        });
        // Boxes before it whose statistics all read bare, "Avg:" over "Max:" with no figure anywhere
        // beside them, show stars or dashes for a measurement that found no edge: they measure
        // nothing, and the first box with figures is the reading.
        const auto emptyBoxesBefore = [&] {
            int bare = 0;
            for (const ScreenWord& o : m_words) {
                const int drop = o.box.top() - opening.box.top();
                if (o.box.right() >= opening.box.left() || drop < -opening.box.height() || drop > opening.box.height() * 5)
                    continue;
                if (digitCount(o.text) > 0)
                    return false;
                const auto m = statistic.match(o.text);
                bare += m.hasMatch() && !m.captured(2).isEmpty() && m.captured(3).isEmpty() && !labelFor(m.captured(1)).isEmpty();
            }
            return bare >= 2;
        };
        if (chosen == boxes.first() && lostBefore && !emptyBoxesBefore()) {
            r = Reading();
            m_scope = true;
            return true;
        }
        // A box's current value: the figure glued to "Cur:" or in the next word of its line, its
        // unit glued to it or in the word after; with whether it was read with a minus.
        const auto currentOf = [&](int i) -> std::optional<std::pair<Token, bool>> {
            const ScreenWord& w = m_words.at(i);
            QString text = current.match(w.text).captured(1);
            int next = i + 1;
            if (text.isEmpty() && next < m_words.size() && m_words.at(next).row == w.row)
                text = m_words.at(next++).text;
            const auto f = figure.match(zerosAfterPoint(text));
            QString unitText = f.hasMatch() ? f.captured(2) : QString();
            if (f.hasMatch() && unitText.isEmpty() && next < m_words.size() && m_words.at(next).row == w.row
                && m_words.at(next).box.left() - w.box.right() <= w.box.height() * 4)
                unitText = m_words.at(next).text;
            const std::optional<Unit> unit = unitText.isEmpty() ? std::nullopt : readoutUnit(unitText);
            if (!f.hasMatch() || !unit || lostLeadingDigit(f.captured(1)))
                return std::nullopt;
            ScreenWord value = w;
            value.text = f.captured(1) + unitText;
            const QList<Token> read = tokensOf(value, i);
            if (read.size() != 1 || read.first().kind != Kind::Number || !read.first().unit || read.first().unit->perDivision)
                return std::nullopt;
            return std::pair{read.first(), f.captured(1).startsWith(QLatin1Char('-'))};
        };
        const ScreenWord& w = m_words.at(chosen);
        const QList<std::pair<QString, int>> stats = below(w);
        const auto chosenValue = currentOf(chosen);
        r = Reading();
        m_scope = true;
        if (!chosenValue)
            return true;
        takeScopeFigure(r, chosenValue->first, {});
        QList<double> lows, highs;  // what each limit may be, in the reading's unit
        for (const auto& [label, j] : stats) {
            // (Without its colon a limit's minus can't be told from the colon misread:
            // "Max-131mV"; a figure without a sign is the limit all the same: "Max220.0us".)
            const auto s = statistic.match(m_words.at(j).text);
            const auto m = figure.match(zerosAfterPoint(s.captured(3)));
            const std::optional<Unit> u = m.hasMatch() ? readoutUnit(m.captured(2)) : std::nullopt;
            QString shown;
            const std::optional<double> v = m.hasMatch() ? readoutFigure(m.captured(1), &shown) : std::nullopt;
            if (label == QLatin1String("AVG") || !u || !v || u->base != r.unit->base)
                continue;
            const double inReading = std::round(*v * prefixFactor(u->prefix) / prefixFactor(r.unit->prefix) * 1e9) / 1e9;
            const bool eitherSign = s.captured(2).isEmpty() && m.captured(1).startsWith(QLatin1Char('-'));
            (label == QLatin1String("MIN") ? lows : highs) += eitherSign ? QList<double>{inReading, -inReading} : QList<double>{inReading};
            if (s.captured(2).isEmpty() && (m.captured(1).isEmpty() || !m.captured(1).front().isDigit()))
                continue;
            (label == QLatin1String("MIN") ? r.minValue : r.maxValue) = inReading;
        }
        // So can the current value's ("Cur-245mV" for "Cur:-245mV", "Cur-90.6mV" for
        // "Cur:90.6mV"): its sign is the one that puts it between the box's minimum and
        // maximum (each with either sign where its colon was lost too); where both signs or
        // neither do, the value is not known.
        const auto signLost = [&](int i, bool minus) { return minus && !m_words.at(i).text.contains(QLatin1Char(':')) && !m_words.at(i).text.contains(QLatin1Char('=')); };
        if (signLost(chosen, chosenValue->second)) {
            const auto fits = [&](double v) {
                const double slack = std::abs(v) * 1e-9;
                return (lows.isEmpty() || std::any_of(lows.begin(), lows.end(), [&](double l) { return l <= v + slack; }))
                       && (highs.isEmpty() || std::any_of(highs.begin(), highs.end(), [&](double h) { return h >= v - slack; }));
            };
            const bool asRead = fits(r.main->value), turned = fits(-r.main->value);
            if (asRead == turned) {
                r = Reading();
                return true;
            }
            if (turned) {
                r.main->value = -r.main->value;
                r.main->shown.remove(0, 1);
            }
        }
        // A box's current value lies between its own minimum and maximum: one outside them had a
        // digit misread in small print ("Cur:454.0ns" over "Min:534.0ns" "Max:554.0ns").
        const double slack = std::abs(r.main->value) * 1e-9;
        if ((r.minValue && r.main->value < *r.minValue - slack) || (r.maxValue && r.main->value > *r.maxValue + slack)) {
            r = Reading();
            return true;
        }
        // Where the user put the signal's minimum and its maximum each in a box of its own (boxes
        // titled "Min" and "Max"), those are what the screen shows as the limits, over any box's
        // own statistics, whichever box is the reading (their own statistics may go unread). Each
        // once, in the reading's quantity, its sign read for sure, the minimum not above the maximum.
        std::optional<double> boxMin, boxMax;
        int minBoxes = 0, maxBoxes = 0;
        for (int i = 0; i < m_words.size(); ++i) {
            const int t = current.match(m_words.at(i).text).hasMatch() ? titleOf(i) : -1;
            const QString title = t >= 0 ? labelFor(m_words.at(t).text) : QString();
            // (A box titled High or Low measures a level of the wave's flat tops or bottoms.)
            const bool level = t >= 0 && (upperName(m_words.at(t).text) == QLatin1String("HIGH") || upperName(m_words.at(t).text) == QLatin1String("LOW"));
            if ((title != QLatin1String("MIN") && title != QLatin1String("MAX")) || level)
                continue;
            ++(title == QLatin1String("MIN") ? minBoxes : maxBoxes);
            const auto v = currentOf(i);
            if (!v || signLost(i, v->second) || v->first.unit->base != r.unit->base)
                continue;
            (title == QLatin1String("MIN") ? boxMin : boxMax) =
                std::round(v->first.value * prefixFactor(v->first.unit->prefix) / prefixFactor(r.unit->prefix) * 1e9) / 1e9;
        }
        if (minBoxes == 1 && maxBoxes == 1 && boxMin && boxMax && *boxMin <= *boxMax) {
            r.minValue = boxMin;
            r.maxValue = boxMax;
        }
        return true;
    }

    // A scope program may follow a channel's name and its scales per division with what it
    // measures on that channel ("CH1 1.00V/div 30.0dB/div 2.041V 1.0000kHz"): the first figure
    // with a unit after the row's last scale is the channel's measurement. A channel's box that
    // stacks its name over its scale and its offset is no such row: the row is level with the name.
    void takeChannelRow(Reading& r)
    {
        static const QRegularExpression channel(QStringLiteral("^CH\\d$"), QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression scale(QStringLiteral("div$|/$"), QRegularExpression::CaseInsensitiveOption);
        for (int i = 0; i < m_tokens.size(); ++i) {
            if (!channel.match(m_tokens.at(i).text).hasMatch())
                continue;
            const int row = m_tokens.at(i).row;
            const QRect name = m_tokens.at(i).box;
            const auto level = [&](const Token& t) { return verticalOverlap(t.box, name) > std::min(t.box.height(), name.height()) / 2; };
            int lastScale = -1;
            for (int j = i + 1; j < m_tokens.size() && m_tokens.at(j).row == row && !channel.match(m_tokens.at(j).text).hasMatch(); ++j)
                if ((scale.match(m_tokens.at(j).text).hasMatch() || (m_tokens.at(j).unit && m_tokens.at(j).unit->perDivision)) && level(m_tokens.at(j)))
                    lastScale = j;
            for (int j = lastScale + 1; lastScale >= 0 && j < m_tokens.size() && m_tokens.at(j).row == row; ++j) {
                const Token& t = m_tokens.at(j);
                if (channel.match(t.text).hasMatch())
                    break;
                if (!level(t))
                    continue;
                // (The channel's name makes its row a status line; the figures are still read.)
                if (t.kind != Kind::Number || t.clock || !t.unit || t.unit->perDivision || t.unit->base == QLatin1String("%"))
                    continue;
                takeScopeFigure(r, t, {});
                return;
            }
        }
    }

    // The first figure with its unit after the last scale per division on a readout's row,
    // where it stands before the readout; none when the row shows no scale before it.
    const Token* firstAfterScales(const Readout& o) const
    {
        static const QRegularExpression scale(QStringLiteral("\\d.*div$"), QRegularExpression::CaseInsensitiveOption);
        const int row = m_words.at(o.word).row;
        int lastScale = -1;
        for (int j = 0; j < m_tokens.size(); ++j) {
            const Token& t = m_tokens.at(j);
            if (t.row == row && t.word < o.word && ((t.unit && t.unit->perDivision) || scale.match(t.text).hasMatch()))
                lastScale = j;
        }
        for (int j = lastScale + 1; lastScale >= 0 && j < m_tokens.size() && m_tokens.at(j).word < o.word; ++j) {
            const Token& t = m_tokens.at(j);
            if (t.row == row && t.kind == Kind::Number && !t.clock && t.unit && !t.unit->perDivision && t.unit->base != QLatin1String("%"))
                return &t;
        }
        return nullptr;
    }

    // A figure the scope's screen shows as its measurement, with its unit, under `label`.
    void takeScopeFigure(Reading& r, const Token& t, const QString& label)
    {
        r.main = t;
        r.unit = t.unit;
        r.label = label;
        m_scope = true;
    }

    // A scope's strip of readouts under the grid is small print, often grey: the recogniser may
    // keep only the tail of a label and lose its "=" ("ise2.300ns" for "Rise=2.300ns"). A figure
    // with its point and its unit glued to such a tail, in the strip, is that readout. (A
    // channel's name glued to its scale is no readout: "CHAN11.00V".)
    void takeGarbledStripReadout(Reading& r)
    {
        static const QRegularExpression glued(QStringLiteral("^([A-Za-z]{3,5})[=x]?([-+]?\\d+\\.\\d+)([A-Za-zµ]{1,3})$"));
        for (int i = 0; i < m_words.size(); ++i) {
            const ScreenWord& w = m_words.at(i);
            const auto m = glued.match(w.text);
            if (!m.hasMatch() || w.box.top() < m_screen.size.height() * 0.75 || upper(m.captured(1)).startsWith(QLatin1String("CH")))
                continue;
            // The figure with its unit, read as any word is.
            ScreenWord figure = w;
            figure.text = m.captured(2) + m.captured(3);
            const QList<Token> read = tokensOf(figure, i);
            if (read.size() != 1)
                continue;
            const Token& t = read.first();
            if (t.kind != Kind::Number || !t.unit || t.unit->perDivision || t.unit->base.isEmpty() || t.unit->base == QLatin1String("%"))
                continue;
            // A channel's scale in the channel bar below the strip, glued to a scrap of its badge
            // ("sore1.00V"), is a volt or second step of 1, 2 or 5 shown to three digits.
            QString digits = t.shown;
            digits.remove(QLatin1Char('.')).remove(QLatin1Char('-'));
            while (digits.startsWith(QLatin1Char('0')))
                digits.remove(0, 1);
            static const QRegularExpression step(QStringLiteral("^[125]00$"));
            const QString& base = t.unit->base;
            if ((base == QLatin1String("V") || base == QLatin1String("s")) && step.match(digits).hasMatch())
                continue;
            // A strip's time or frequency is never negative: a minus glued to the label's tail is
            // its "=" misread ("ise-2.500ms").
            Token figureRead = t;
            if ((base == QLatin1String("s") || base == QLatin1String("Hz")) && figureRead.value < 0) {
                figureRead.value = -figureRead.value;
                figureRead.shown.remove(0, 1);
            }
            takeScopeFigure(r, figureRead, {});
            return;
        }
    }

    // A scope with no measurement readout may still show its hardware frequency counter: a
    // frequency to six digits or more, with no label (a setting or a cursor's reading is shown
    // to fewer), wherever it stands on the screen.
    void takeCounter(Reading& r)
    {
        // The counter shows one frequency: a column of frequencies is a table (a spectrum's
        // peaks), however many figures each shows.
        // A strip readout read with its figure but not its unit ("Rise-1" for "Rise=1.700ns") is
        // the screen's measurement, unread: the counter does not stand for it.
        static const QRegularExpression unreadReadout(QStringLiteral("^([A-Za-z][A-Za-z+\\-]*?)[:=\\-]?[-+]?\\d"));
        for (const ScreenWord& w : m_words)
            if (const auto m = unreadReadout.match(w.text); m.hasMatch() && !readoutLabel(m.captured(1)).isEmpty())
                return;
        // Nor for readouts read whole, label and figure, that no rule above took for a strip (a
        // scope's measurement boxes stacked two by two): the trigger's counter over a list of
        // measurements is a setting beside them, and the list's first one is the reading.
        if (!labelledReadouts(m_words).isEmpty())
            return;
        // Nor does it stand for a panel of readouts whose names were read without their figures
        // ("Mean" over "Pk-Pk", nothing beside either): the trigger's counter may count another
        // edge or another channel than what the panel measures.
        QSet<QString> unread;
        for (const ScreenWord& w : m_words) {
            const QString name = readoutLabel(w.text);
            if (name.isEmpty() || name == QLatin1String("COUNTER"))
                continue;
            const bool figured = std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& o) {
                return o.row == w.row && &o != &w && digitCount(o.text) > 0;
            });
            if (!figured)
                unread.insert(name);
        }
        if (unread.size() >= 2)
            return;
        // Nor for a list of measured figures whose names were lost: three or more figures with
        // a unit glued on (read or garbled) other than a frequency, stacked in one column and
        // aligned on an edge, are the screen's measurement panel, and the counter may count
        // what that panel does not show.
        static const QRegularExpression figureWithUnit(QStringLiteral("^[-+]?\\d+[.,]\\d{2,}[A-Za-z\u00B5]{1,3}$"));
        QList<QRect> figures;
        for (const ScreenWord& w : m_words)
            if (figureWithUnit.match(w.text).hasMatch() && !w.text.endsWith(QLatin1String("Hz"), Qt::CaseInsensitive))
                figures.append(w.box);
        for (const QRect& a : figures) {
            const int stacked = std::count_if(figures.begin(), figures.end(), [&](const QRect& b) {
                const bool aligned = std::abs(a.left() - b.left()) <= 3 || std::abs(a.right() - b.right()) <= 3;
                return aligned && std::abs(a.center().y() - b.center().y()) <= 4 * std::max(a.height(), b.height());
            });
            if (stacked >= 3)
                return;
        }
        // Its box's mark, a square wave, may be read as letters glued before the figure
        // ("JUUUL47.8920kHz"): they name no label, and the figure after them is the counter's.
        // (A built-in generator's wave shape glued to its frequency, "Sine1.00000kHz", is a
        // setting.)
        static const QRegularExpression iconBefore(QStringLiteral("^([A-Za-z]{2,6})(\\d+\\.\\d+[A-Za-z]{1,4})$"));
        QList<Token> tokens;
        for (const Token& t : m_tokens) {
            const auto m = t.kind == Kind::Word ? iconBefore.match(t.text) : QRegularExpressionMatch();
            if (!m.hasMatch() || !labelFor(m.captured(1)).isEmpty() || !readoutLabel(m.captured(1)).isEmpty() || isGeneratorMark(m.captured(1))) {
                tokens.append(t);
                continue;
            }
            ScreenWord figure = m_words.at(t.word);
            figure.text = m.captured(2);
            tokens += tokensOf(figure, t.word);
        }
        const Token* counter = nullptr;
        for (const Token& t : tokens) {
            // (Its "f=" glued on with the "=" read as a minus, "f-999.981Hz", is no label but
            // the counter's own mark.)
            const bool marked = &t != &tokens.front() && (&t - 1)->label == QLatin1String("FREQ") && (&t - 1)->word == t.word;
            if (t.kind != Kind::Number || t.clock || t.generatorSetting || !t.unit || t.unit->perDivision
                || t.unit->base != QLatin1String("Hz") || (t.value <= 0 && !(marked && t.value < 0)) || digitCount(t.shown) < 6)
                continue;
            if (counter)
                return;
            counter = &t;
        }
        if (!counter)
            return;
        const bool inColumn = std::any_of(tokens.begin(), tokens.end(), [&](const Token& t) {
            return &t != counter && t.kind == Kind::Number && t.unit && t.unit->base == QLatin1String("Hz") && t.row != counter->row
                   && horizontalOverlap(t.box, counter->box) > 0;
        });
        if (inColumn)
            return;
        Token read = *counter;
        if (read.value < 0) {
            read.value = -read.value;
            read.shown.remove(0, 1);
        }
        takeScopeFigure(r, read, QStringLiteral("FREQ"));
    }

    // A measurement's name with a figure and its unit just after it, right over a scope's readout
    // in its column and print, that the pairing left unread (the figure opens on a stray mark:
    // "Frequency:" ":1.004kHz" over "Peak-peak:5.225V"), is a row of a table of measurements put
    // before that readout, which does not stand for it. A name and its figure read cleanly
    // ("FREQ" "22.93kHz" over "Vpp4.11V") were paired, and the peak to peak stays the reading.
    bool rowLostOver(const ScreenWord& head) const
    {
        return std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
            const ScreenWord& own = m_words.at(t.word);
            const int above = head.box.top() - own.box.bottom();
            // (A cursor's "X:450,8us", a statistics table's cells or a setting are no such row.)
            static const QRegularExpression strayMarkFigure(QStringLiteral("^[:;]+[-+]?\\d"));
            const auto before = std::find_if(m_words.rbegin() + (m_words.size() - t.word), m_words.rend(), [&](const ScreenWord& w) { return w.row == own.row; });
            const bool opens = before != m_words.rend() && !readoutLabel(before->text).isEmpty() && own.box.left() - before->box.right() <= own.textHeight * 2;
            return strayMarkFigure.match(own.text).hasMatch() && opens && t.kind == Kind::Number && !t.clock && !t.status && t.unit && !t.unit->perDivision && !t.unit->base.isEmpty()
                   && t.unit->base != QLatin1String("%") && &own != &head && above >= 0 && above <= head.textHeight * 2
                   && horizontalOverlap(own.box, head.box) > 0 && similarSize(own.textHeight, head.textHeight);
        });
    }

    // A supply's panel stacks its voltage, current and power alike: a current or a power whose
    // unit was read, under or after a figure of its size whose unit was not, is not the reading;
    // the voltage before it is, and it could not be read whole.
    bool unreadVoltageBefore(const Reading& r) const
    {
        // (One whose label names its unit, "Power (W)", is that label's readout: a figure
        // beside it whose unit was not read is another readout's, or an axis's tick.)
        if (!r.main || !r.unit || !r.label.isEmpty() || (r.unit->base != QLatin1String("A") && r.unit->base != QLatin1String("W"))
            || r.main->unitFromLabel)
            return false;
        const QRect& m = r.main->box;
        return std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
            if (t.kind != Kind::Number || t.status || t.clock || t.box == m || std::abs(t.height - r.main->height) > r.main->height * 0.1 || unitAfter(t))
                return false;
            const bool above = t.box.bottom() < m.top() && horizontalOverlap(t.box, m) > 0;
            const bool left = verticalOverlap(t.box, m) > 0 && t.box.right() < m.left();
            return above || left;
        });
    }

    // A power drawn large on a screen that also shows a voltage (a battery's panel: "-16 W" under
    // "POWER", "26.3v" under its charge) is worked out from the voltage, as on a supply, a load or
    // a USB tester: the voltage is the reading, where the screen shows one. Where it shows
    // several (a battery's and the grid's) which one the power is of can't be told: no reading.
    std::optional<Token> powerBesideVoltage(Reading& r) const
    {
        if (!r.main || !r.unit || !r.label.isEmpty() || r.unit->base != QLatin1String("W"))
            return std::nullopt;
        // (A voltage named as a setting or a limit, "Vset 12.00V", "Cutoff: 10.5V", is none.)
        static const QRegularExpression setting(QStringLiteral("SET|LIMIT|TARGET|CUTOFF|PROTECT|OVP|UVP|MAX|MIN"));
        QList<Token> volts;
        for (int i = 0; i < m_tokens.size(); ++i) {
            const Token& t = m_tokens.at(i);
            if (t.kind != Kind::Number || t.status || t.clock || t.box == r.main->box || onScreenEdge(t.box))
                continue;
            const std::optional<Unit> u = unitAfter(t);
            if (!u || u->perDivision || u->base != QLatin1String("V"))
                continue;
            if (i > 0 && m_tokens.at(i - 1).row == t.row && setting.match(upper(m_tokens.at(i - 1).text)).hasMatch())
                continue;
            volts.append(t);
        }
        // An energy monitor's dashboard (an inverter's, a charger's, a meter's) draws the power
        // in a tile beside the energy tallied, alike ("199.5W" beside "266Wh"), and lists
        // voltages only in its tables' smaller print: there the power is the reading. So does a
        // power-flow overview, each branch's power drawn alike (the grid's, the loads', the
        // panels'): a voltage in smaller print is one branch's (the battery's), not the one the
        // reading was worked out from.
        const bool branchPowers = std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
            const std::optional<Unit> u = t.kind == Kind::Number && !t.status && t.box != r.main->box ? unitAfter(t) : std::nullopt;
            return u && !u->perDivision && u->base == QLatin1String("W") && std::abs(t.height - r.main->height) <= r.main->height * 0.15;
        });
        if (!volts.isEmpty() && (besideTallyOfItsSize(*r.main) || branchPowers)
            && std::all_of(volts.begin(), volts.end(), [&](const Token& v) { return v.height * 10 <= r.main->height * 6; }))
            return std::nullopt;
        if (volts.size() > 1)
            r.main.reset();
        return volts.size() == 1 ? std::optional<Token>(volts.first()) : std::nullopt;
    }

    // Whether a figure of a charge or energy tally, its unit glued on ("266Wh"), stands on the
    // reading's line drawn at its size.
    bool besideTallyOfItsSize(const Token& main) const
    {
        static const QRegularExpression figure(QStringLiteral("^[-+]?\\d[\\d.,]*"));
        for (const Token& t : m_tokens) {
            if (t.row != main.row || t.box == main.box || std::abs(t.height - main.height) > main.height * 0.15)
                continue;
            if (const auto m = figure.match(t.text); m.hasMatch() && isTallyUnit(t.text.mid(m.capturedLength())))
                return true;
        }
        return false;
    }

    // A large figure with a scrap of small letters glued to its left ("rm" "52" for "8.52") lost
    // its first digits to the recogniser: what is left of it is not the reading.
    bool strayBefore(const Reading& r) const
    {
        if (!r.main || !r.label.isEmpty() || r.main->box.isEmpty())
            return false;
        static const QRegularExpression scrap(QStringLiteral("^[a-z]{1,2}$"));
        return std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
            const int gap = r.main->box.left() - t.box.right();
            return t.kind == Kind::Word && scrap.match(t.text).hasMatch() && gap >= -1 && gap <= r.main->height * 0.3
                   && t.height >= r.main->height * 0.3 && t.height <= r.main->height * 0.8
                   && verticalOverlap(t.box, r.main->box) >= t.box.height() * 0.8;
        });
    }

    // Numbers drawn alike with units of one kind side by side on the reading's line are a row of
    // scales or an axis (channel scales, time marks), not a reading.
    bool inRowOfScales(const Reading& r) const
    {
        if (!r.main || !r.unit || !r.label.isEmpty())
            return false;
        int alike = 0;
        const bool copied = shownInCopies(*r.main);
        for (const Token& t : m_tokens)
            if (t.kind == Kind::Number && t.box != r.main->box && verticalOverlap(t.box, r.main->box) > 0
                && !(copied && m_words.at(t.word).text == m_words.at(r.main->word).text)
                && std::abs(t.height - r.main->height) <= r.main->height * 0.3) {
                const std::optional<Unit> u = unitAfter(t);
                alike += u && u->base == r.unit->base;
            }
        return alike >= 2;
    }

    // The unit after a figure, where a program may write it outside the figure's field.
    std::optional<Unit> unitOutsideField(const Token& value) const
    {
        std::optional<Unit> u = unitAfter(value);
        for (int k = 0; k < m_tokens.size() && !u; ++k) {
            const Token& t = m_tokens.at(k);
            const int gap = t.box.left() - value.box.right();
            if (t.kind == Kind::Word && gap >= -2 && gap <= value.height * 2.2 && verticalOverlap(t.box, value.box) > value.box.height() / 2)
                u = parseUnit(t.text);
        }
        return u;
    }

    // A program's panel of readouts named by their quantity ("Voltage 3.3 V", "Current 20.000 A"):
    // two or more of them, each a number in the unit its name calls for, and the first is the
    // reading. A line that holds a setting or a limit ("Set", "OVP", "Max") is no readout.
    // One alone will do where the name runs into its figure ("Frequency150.0Hz", "Voltage:4.98V"):
    // a result line printed as one string, where a setting's name and its field stand apart.
    void takeQuantityReadout(Reading& r) const
    {
        static const QMap<QString, QString>& quantities = quantityUnits();
        // A name may be the unit spelt out ("Volts" over its field), or the quantity with what it
        // is of run together ("Outputvoltage", "Inputvoltage", "PowerDemand"), but not a setting's or a limit's
        // ("Voltagesetting", "Currentlimit", "Setvoltage", "Cutoffvoltage", "Voltagelevel", a source's
        // "Compliancecurrent"), nor a charger's
        // stage or threshold ("Chargingreturnvoltage", "Boostchargingvoltage"), nor a scope's axis's
        // ("Horizontalfrequency").
        static const QRegularExpression settingWord(
            QStringLiteral("SET|LIMIT|PROTECT|TARGET|MAX|MIN|CUTOFF|LOW|HIGH|OVER|UNDER|ALARM|TRIP|RATED|NOMINAL|START|END|STEP|OFFSET|HORIZONTAL|VERTICAL|LEVEL|"
                           "RETURN|RECONNECT|DISCONNECT|RECOVER|BOOST|FLOAT|BULK|ABSORP|EQUALI|THRESHOLD|COMPLIANCE"));
        // (Small print may garble the setting's word run on after the quantity, "CURRENTLEVE1"
        // for "Current Level": a rest one letter off such a word names a setting all the same.)
        static const QStringList settingNames = {QStringLiteral("LIMIT"),  QStringLiteral("LEVEL"),   QStringLiteral("TARGET"),
                                                 QStringLiteral("CUTOFF"), QStringLiteral("PROTECT"), QStringLiteral("SETTING"),
                                                 QStringLiteral("SETPOINT"), QStringLiteral("THRESHOLD")};
        auto garbledSetting = [](const QString& rest) {
            return rest.size() >= 4 && std::any_of(settingNames.begin(), settingNames.end(), [&](const QString& w) { return editDistance(rest, w) <= 1; });
        };
        auto unitNamed = [&](const QString& name) {
            QString unit = quantities.value(name, spelledUnit(name));
            for (auto it = quantities.constBegin(); it != quantities.constEnd() && unit.isEmpty(); ++it) {
                const bool opens = name.startsWith(it.key()), closes = name.endsWith(it.key());
                if (name.size() >= it.key().size() + 2 && (opens || closes) && !settingWord.match(name).hasMatch()
                    && !garbledSetting(opens ? name.mid(it.key().size()) : name.left(name.size() - it.key().size())))
                    unit = it.value();
            }
            return unit;
        };
        static const QStringList settings = {QStringLiteral("SET"),   QStringLiteral("SETTING"), QStringLiteral("LIMIT"), QStringLiteral("PROTECTION"),
                                             QStringLiteral("OVP"),   QStringLiteral("OCP"),     QStringLiteral("UVP"),   QStringLiteral("UCP"),
                                             QStringLiteral("MAX"),   QStringLiteral("MIN"),     QStringLiteral("RANGE"), QStringLiteral("TARGET"),
                                             QStringLiteral("OFFSET"), QStringLiteral("STEP"), QStringLiteral("MINIMUM"), QStringLiteral("MAXIMUM"),
                                             QStringLiteral("LOWEST"), QStringLiteral("HIGHEST")};
        // (A zero between two of a name's letters is its O in small print: "V0ltage".)
        auto bare = [](const QString& text) {
            QString u = upper(text);
            while (!u.isEmpty() && !u.back().isLetter())
                u.chop(1);
            for (qsizetype k = 1; k + 1 < u.size(); ++k)
                if (u.at(k) == QLatin1Char('0') && u.at(k - 1).isLetter() && u.at(k + 1).isLetter())
                    u[k] = QLatin1Char('O');
            return u;
        };
        const auto unitOf = [&](const Token& value) { return unitOutsideField(value); };
        QList<int> found;
        QMap<int, Unit> captioned;
        QMap<int, int> nameOf;  // each figure's name
        QList<int> unread;  // names before the first readout read with its unit, their figures not read
        QSet<int> onItsLine;  // figures read after their names on their lines
        for (int i = 0; i < m_tokens.size(); ++i) {
            const QString quantity = unitNamed(bare(m_tokens.at(i).text));
            if (quantity.isEmpty())
                continue;
            const qsizetype before = found.size();
            const int row = m_tokens.at(i).row;
            const bool setting = std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
                return t.row == row && settings.contains(bare(t.text));
            });
            auto take = [&](int j) {
                const std::optional<Unit> u = unitOf(m_tokens.at(j));
                if (u && !u->perDivision && u->base == quantity) {
                    found.append(j);
                    nameOf.insert(j, i);
                }
            };
            bool beside = false;
            for (int j = i + 1; j < m_tokens.size() && m_tokens.at(j).row == row && !setting; ++j) {
                const Token& t = m_tokens.at(j);
                if (!unitNamed(bare(t.text)).isEmpty())
                    break;
                if (t.kind != Kind::Number || t.status || t.clock)
                    continue;
                take(j);
                beside = true;
                if (found.size() > before)
                    onItsLine.insert(j);
                break;
            }
            // Or the name over its field, the value under it (right-aligned in the field).
            const Token& name = m_tokens.at(i);
            int under = -1;
            for (int j = 0; j < m_tokens.size() && !beside && !setting; ++j) {
                const Token& t = m_tokens.at(j);
                const int below = t.box.top() - name.box.bottom();
                if (t.kind != Kind::Number || t.status || t.clock || t.row == row || below < -2 || below > name.height * 3
                    || t.box.left() < name.box.left() - name.height || t.box.left() > name.box.right() + name.height * 6
                    // (A figure whose own caption stands nearer under it is that caption's.)
                    || captionedCloserUnder(t, below))
                    continue;
                if (under < 0 || t.box.top() < m_tokens.at(under).box.top())
                    under = j;
            }
            if (under >= 0)
                take(under);
            // Or the name as a gauge's caption under its figure, which is drawn larger than the
            // name and bare: the name is all that gives its unit ("12.00" over "VOLTAGE"). A
            // field's name stands over it or before it, not under it.
            for (int j = 0; j < m_tokens.size() && !beside && under < 0 && !setting; ++j) {
                const Token& t = m_tokens.at(j);
                const int above = name.box.top() - t.box.bottom();
                // (The caption may name the unit as well, "Voltage (V)", which the figure then
                // took from it.)
                const bool unitCaptioned = t.unitFromLabel && t.unit && t.unit->base == quantity;
                if (t.kind != Kind::Number || t.status || t.clock || (t.unit && !unitCaptioned) || t.garbledUnit || t.row == row || above < -2
                    || above > name.height * 3 || t.height <= name.height || !t.shown.contains(QLatin1Char('.'))
                    || t.box.center().x() < name.box.left() || t.box.center().x() > name.box.right() || (unitOf(t) && !unitCaptioned))
                    continue;
                found.append(j);
                nameOf.insert(j, i);
                if (!unitCaptioned)
                    captioned.insert(j, Unit{QString(), quantity, QString(), false});
                break;
            }
            if (before == 0 && found.isEmpty())
                unread.append(i);
        }
        // Where the first readout is unreadable, the second is not the reading; nor where a
        // figure with its unit stands before the first on its line (a readout whose name was
        // lost: "le: 3.156V  Current: 0.000A").
        // (Not on a page that names any of a generator's settings, nor for a whole number.)
        const bool glued = found.size() == 1 && m_tokens.at(found.first()).word == m_tokens.at(nameOf.value(found.first())).word
                           && decimalPlaces(m_tokens.at(found.first()).shown) > 0 && generatorKinds() == 0;
        // Nor where the page names limits or settings of the same quantity, each with its figure
        // after it on its line as the readout has ("MAX Output Voltage 12.00V" over "Output
        // Voltage 12.00V", "Boost Charging Voltage 14,4V" beside "Battery Voltage 12,0V"): such
        // a page sets what it is set to apart from what it measures, and the one named plainly is
        // measured. (A settings page's choice over a field, "DC Voltage" over "Voltage Level 6V",
        // names no readout.)
        const auto besideItsSettings = [&] {
            if (found.size() != 1 || !onItsLine.contains(found.first()))
                return false;
            const int own = nameOf.value(found.first());
            const QString base = unitOf(m_tokens.at(found.first()))->base;
            const QString quantity = quantities.key(base);
            return std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& o) {
                const int i = int(&o - m_tokens.data());
                const QString b = bare(o.text);
                if (i == own || o.kind == Kind::Number || quantity.isEmpty() || !b.contains(quantity) || !settingWord.match(b).hasMatch())
                    return false;
                for (int j = i + 1; j < m_tokens.size() && m_tokens.at(j).row == o.row; ++j) {
                    const Token& t = m_tokens.at(j);
                    if (t.kind != Kind::Number)
                        continue;
                    const std::optional<Unit> u = t.status || t.clock ? std::nullopt : unitOf(t);
                    return u && !u->perDivision && u->base == base;
                }
                return false;
            });
        };
        if (found.size() < 2 && !glued && !besideItsSettings())
            return;
        // (Only a name in the panel counts, on the first readout's line or over it in its column:
        // a plot's axis title elsewhere, "Frequency (Hz)" under a spectrum, names no readout.)
        const Token& firstName = m_tokens.at(nameOf.value(found.first()));
        if (std::any_of(unread.begin(), unread.end(), [&](int u) {
                const Token& name = m_tokens.at(u);
                return name.row == firstName.row || std::abs(name.box.left() - firstName.box.left()) <= std::max(name.height, firstName.height);
            }))
            return;
        // Names numbered in a set of one quantity ("Cellvoltage1", "Cellvoltage2", ...) are a
        // battery's cells, each one of its peers; a name of its own in that quantity beside
        // them ("Total voltage") is the whole's, and the reading. (A supply's channels number
        // a voltage and a current each: no one figure of another name speaks for them.)
        static const QRegularExpression numbered(QStringLiteral("[A-Za-z]\\s?\\d{1,2}[:=]?$"));
        const auto quantityOf = [&](int j) { return captioned.contains(j) ? captioned.value(j).base : unitOf(m_tokens.at(j))->base; };
        QList<int> single, members;
        QSet<QString> setQuantities;
        for (int j : std::as_const(found)) {
            const bool member = numbered.match(m_tokens.at(nameOf.value(j)).text).hasMatch();
            (member ? members : single).append(j);
            if (member)
                setQuantities.insert(quantityOf(j));
        }
        const auto whole = std::find_if(single.begin(), single.end(), [&](int j) { return setQuantities.contains(quantityOf(j)); });
        if (members.size() >= 2 && setQuantities.size() == 1 && whole != single.end())
            found.prepend(*whole);
        const Token& first = m_tokens.at(found.first());
        const bool unnamedBefore = std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
            return t.kind == Kind::Number && t.row == first.row && t.box.right() < first.box.left() && !t.status && !t.clock
                   && t.unit && !t.unit->perDivision && !found.contains(int(&t - m_tokens.data()));
        });
        if (unnamedBefore)
            return;
        // Nor where one stands over the first in its column, drawn alike (a table whose first
        // row's name was lost: "Voltag le: 231.10V" over "Current: 5.49A"). One named as what
        // the instrument is set to ("Set Voltage 5.00V" over "Voltage 4.98V") is a setting, not
        // a readout whose name was lost; nor one named as a stage's or a limit's ("Boost
        // Charging Voltage 14,4V" over "Battery Voltage 12,0V"). Nor does a current or a power
        // stand over a voltage: a supply's first measured voltage is its reading, whatever is
        // listed before it ("0.001A", its name lost, over "Output Voltage 12.00V").
        static const QRegularExpression setName(QStringLiteral("^(?:SET|TARGET)|(?:SET|SETTING|SETPOINT|TARGET)$"));
        const auto setRow = [&](int row) {
            return std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& o) {
                const QString b = bare(o.text);
                const bool namedSetting = settingWord.match(b).hasMatch()
                                          && std::any_of(quantities.keyBegin(), quantities.keyEnd(), [&](const QString& q) { return b.contains(q); });
                return o.row == row && o.kind != Kind::Number && (setName.match(b).hasMatch() || namedSetting);
            });
        };
        const bool unnamedAbove = std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
            return t.kind == Kind::Number && t.row < first.row && !t.status && !t.clock && t.unit && !t.unit->perDivision
                   && !found.contains(int(&t - m_tokens.data())) && similarSize(t.height, first.height)
                   && std::abs(t.box.left() - first.box.left()) <= first.height && first.box.top() - t.box.bottom() <= first.height * 3
                   && !setRow(t.row) && !(quantityOf(found.first()) == QLatin1String("V") && t.unit->base != QLatin1String("V"));
        });
        if (unnamedAbove)
            return;
        r.main = first;
        r.unit = captioned.contains(found.first()) ? std::optional<Unit>(captioned.value(found.first())) : unitOf(*r.main);
        r.label.clear();
    }

    // A program that writes its reading in small print may name it as the measurement, the name
    // glued to the figure ("Mesure:0.000V", "Reading=1.234V"): one such figure, with its unit and
    // its decimals, is the reading.
    void takeNamedMeasurement(Reading& r) const
    {
        if (const std::optional<Token> found = namedMeasurement(false)) {
            r.main = found;
            r.unit = found->unit;
            r.label.clear();
        }
    }

    // A program may let the user choose the unit its reading is shown in: the figure opens its
    // line under a heading that names the quantity and says it is a reading ("Voltage Reading:"
    // over "5.22"), and the chooser, the unit spelled in full ("Volts"), stands further along
    // the line, however far. The figure is the reading, in the chosen unit where it is the
    // heading's quantity's.
    void takeFigureInChosenUnit(Reading& r) const
    {
        static const QRegularExpression says(QStringLiteral("READING|MEASURED|MEASUREMENT|ACTUAL"));
        std::optional<Token> found;
        for (const Token& t : m_tokens) {
            if (t.kind != Kind::Number || t.status || t.clock || t.unit || !t.shown.contains(QLatin1Char('.')) || t.word + 1 >= m_words.size()
                || m_words.at(t.word).text != t.text || (t.word > 0 && m_words.at(t.word - 1).row == t.row) || m_words.at(t.word + 1).row != t.row)
                continue;
            const std::optional<Unit> u = unitSpelledInFull(m_words.at(t.word + 1).text);
            if (!u)
                continue;
            const bool headed = std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
                const QString name = upperName(w.text);
                const int gap = t.box.top() - w.box.bottom();
                return w.row < t.row && gap >= 0 && gap <= t.height * 2 && std::abs(w.box.left() - t.box.left()) <= t.height
                       && name.contains(quantityUnits().key(u->base, QStringLiteral("-"))) && says.match(name).hasMatch() && !namesSetting(name);
            });
            if (!headed)
                continue;
            if (found)
                return;
            found = t;
        }
        if (!found)
            return;
        r.main = found;
        r.unit = unitSpelledInFull(m_words.at(found->word + 1).text);
        r.label.clear();
    }

    // An audio spectrum's page names the strongest line it finds: its frequency with its level
    // in plain decibels (relative to the input's full scale) right after it, the pair alone on
    // its line, often in the page's title bar ("Spectrum 1100.0Hz -24.3dB"). The frequency is
    // what the page measures. A marker's line names its marker or carries more figures (an
    // index, a second trace's level), and levels against a milliwatt or a volt are an analyser's
    // or a scope's scale: neither is such a peak.
    void takeSpectrumPeak(Reading& r) const
    {
        static const QRegularExpression level(QStringLiteral("^[-+]\\d+[.,]\\d+dB$"));
        std::optional<Token> found;
        int pairs = 0;
        for (const Token& t : m_tokens) {
            if (t.kind != Kind::Number || t.status || t.clock || !t.unit || t.unit->perDivision || t.unit->base != QLatin1String("Hz")
                || t.value <= 0 || t.word + 1 >= m_words.size() || m_words.at(t.word).text != t.text)
                continue;
            const ScreenWord& next = m_words.at(t.word + 1);
            if (next.row != t.row || !level.match(next.text).hasMatch() || next.box.left() - t.box.right() > std::max(t.height, 4) * 3)
                continue;
            // (Icons beside it in the title bar read as a stray digit or letter are neither.)
            static const QRegularExpression index(QStringLiteral("^\\d{1,2}[:.)]?$"));
            const bool alone = std::none_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
                const qsizetype i = &w - m_words.data();
                return w.row == t.row && i != t.word && i != t.word + 1
                       && (namesMarker(w.text) || w.text.contains(QChar(0x25BD))
                           || (w.box.right() < t.box.left() && index.match(w.text).hasMatch()));
            });
            const bool otherFigure = std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& o) {
                return o.row == t.row && o.kind == Kind::Number && o.word != t.word && o.word != t.word + 1
                       && (o.unit || o.shown.contains(QLatin1Char('.')) || o.shown.contains(QLatin1Char(',')));
            });
            if (!alone || otherFigure)
                continue;
            ++pairs;
            found = t;
        }
        if (pairs != 1)
            return;
        r.main = found;
        r.unit = found->unit;
        r.label.clear();
    }

    // A spectrum program may list the lines it found, strongest first: each line's frequency,
    // perhaps its amplitude, then its level in decibels ("19.922 kHz 901.09 mV -0.9 dBV"), the
    // list run down a column and on into the next. Three or more such entries whose levels fall
    // all the way in that order, their frequencies in no order, are such a list, and its first
    // entry's frequency is what the page measures. (Markers are listed in the order they were
    // set, each named; levels against a milliwatt are an analyser's markers, read as levels.)
    void takeStrongestOfPeakList(Reading& r) const
    {
        struct Entry {
            int token;
            Unit unit;
            double level;
            int column = 0;  // the left edge of the first entry in its column
        };
        QList<Entry> entries;
        // A figure's unit, written on it or as the word just after it ("901.09mV", "901.09" "mV");
        // `last` is then the unit's token.
        static const QRegularExpression figure(QStringLiteral("^[-+]?\\d+(?:[.,]\\d+)?(\\S*)$"));
        const auto writtenUnit = [&](int k, int& last) {
            const Token& t = m_tokens.at(k);
            last = k;
            const QString own = figure.match(t.text).captured(1);
            if (!own.isEmpty() || k + 1 >= m_tokens.size())
                return own;
            const Token& next = m_tokens.at(k + 1);
            if (next.kind == Kind::Number || next.row != t.row || next.box.left() - t.box.right() > std::max(t.height, 4))
                return own;
            last = k + 1;
            return next.text;
        };
        // The figure on the same line right after token `k`, and its unit.
        const auto nextFigure = [&](int k, int& at, int& last) {
            at = k + 1;
            const bool near = at < m_tokens.size() && m_tokens.at(at).kind == Kind::Number && m_tokens.at(at).row == m_tokens.at(k).row
                              && m_tokens.at(at).box.left() - m_tokens.at(k).box.right() <= std::max(m_tokens.at(k).height, 4) * 3;
            return near ? writtenUnit(at, last) : QString();
        };
        static const QRegularExpression decibels(QStringLiteral("^dB[Vu]?$"));
        for (int i = 0; i < m_tokens.size(); ++i) {
            const Token& t = m_tokens.at(i);
            int last = i, at = i;
            const std::optional<Unit> u = t.kind == Kind::Number && !t.status && !t.clock && t.value > 0 ? parseUnit(writtenUnit(i, last)) : std::nullopt;
            if (!u || u->perDivision || u->base != QLatin1String("Hz"))
                continue;
            QString unit = nextFigure(last, at, last);
            if (const std::optional<Unit> amplitude = parseUnit(unit); amplitude && amplitude->base == QLatin1String("V"))
                unit = nextFigure(last, at, last);
            if (!decibels.match(unit).hasMatch() || !m_tokens.at(at).shown.contains(QLatin1Char('.')))
                continue;
            if (std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) { return w.row == t.row && namesMarker(w.text); }))
                return;
            entries.append({i, *u, m_tokens.at(at).value});
        }
        if (entries.size() < 3)
            return;
        const auto hertz = [&](const Entry& e) { return m_tokens.at(e.token).value * prefixFactor(e.unit.prefix); };
        // Down each column, the columns from left to right.
        for (Entry& e : entries) {
            const Token& t = m_tokens.at(e.token);
            const auto lead = std::find_if(entries.begin(), entries.end(), [&](const Entry& o) {
                return std::abs(m_tokens.at(o.token).box.left() - t.box.left()) <= std::max(t.height, 4) * 2;
            });
            e.column = m_tokens.at(lead->token).box.left();
        }
        std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
            return a.column != b.column ? a.column < b.column : m_tokens.at(a.token).box.top() < m_tokens.at(b.token).box.top();
        });
        // (A sweep's or a harmonics table lists its lines by frequency, its levels perhaps
        // falling as well: only a list ordered by level alone is one of lines found.)
        bool rising = true, falling = true;
        for (qsizetype k = 1; k < entries.size(); ++k) {
            if (entries.at(k).level >= entries.at(k - 1).level)
                return;
            const double step = hertz(entries.at(k)) - hertz(entries.at(k - 1));
            rising = rising && step > 0;
            falling = falling && step < 0;
        }
        if (rising || falling)
            return;
        r.main = m_tokens.at(entries.first().token);
        r.unit = entries.first().unit;
        r.label.clear();
    }

    // A spectrum analyser measures with its markers: each tells where it stands and the level
    // there, in dBm, the frequency and the level often run together in small print
    // ("788.85MHz-112.3dBm", "136.0000-94.2dBm" after the marker's name), or the level named as
    // the marker's or the peak's ("Peak:-85.1dBm", "MKR1 -40.2dBm"). The first marker's level is
    // the reading. (A generator's level is named as a level, and its page is no reading.)
    void takeMarkerLevel(Reading& r) const
    {
        static const QString marker = QStringLiteral("(?:PEAK|MKR\\d?|MARKER\\d?|M\\d)");
        static const QRegularExpression named(QStringLiteral("^") + marker + QStringLiteral("[:=]?([-+]?\\d+[.,]\\d+)(\\S+)$"),
                                              QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression nameAlone(QStringLiteral("^") + marker + QStringLiteral("[:=]?$"), QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression level(QStringLiteral("^([-+]?\\d+[.,]\\d+)(\\S+)$"));
        static const QRegularExpression whereAndLevel(QStringLiteral("^\\d+(?:[.,]\\d+)?(?:[kKMG]?H[zZ2:]?)?([-+]\\d+[.,]\\d+)(\\S+)$"));
        static const QRegularExpression levelInDecibels(QStringLiteral("^([-+]\\d+[.,]\\d+)(dB)$"));
        static const QRegularExpression markerPlace(QStringLiteral("\\d[.,]?\\d*[kKMG]H[zZ2:]?\\S?$"));
        const bool scaledInDbm = std::any_of(m_words.begin(), m_words.end(), [](const ScreenWord& w) { return w.text == QLatin1String("dBm"); });
        for (int i = 0; i < m_words.size(); ++i) {
            const ScreenWord& w = m_words.at(i);
            QRegularExpressionMatch m = named.match(w.text);
            if (!m.hasMatch())
                m = whereAndLevel.match(w.text);
            if (!m.hasMatch() && i > 0 && nameAlone.match(m_words.at(i - 1).text).hasMatch() && m_words.at(i - 1).row == w.row
                && w.box.left() - m_words.at(i - 1).box.right() <= std::max(w.textHeight, 4) * 2)
                m = level.match(w.text);
            // A level printed bare right under the marker's place ("MKR" "50.0" "MHz" over
            // "-82.91"), on a screen whose scale is in dBm, is in dBm.
            bool underPlace = false;
            static const QRegularExpression bareLevel(QStringLiteral("^([-+]?\\d+[.,]\\d+)()$"));
            if (!m.hasMatch() && scaledInDbm && bareLevel.match(w.text).hasMatch()) {
                QString shown;
                for (int k = 0; k + 2 < m_words.size() && !underPlace; ++k) {
                    const ScreenWord& name = m_words.at(k);
                    const ScreenWord& place = m_words.at(k + 1);
                    const std::optional<Unit> hertz = parseUnit(m_words.at(k + 2).text);
                    const int drop = w.box.top() - place.box.bottom();
                    underPlace = nameAlone.match(name.text).hasMatch() && place.row == name.row && m_words.at(k + 2).row == name.row
                                 && hertz && hertz->base == QLatin1String("Hz") && readoutFigure(place.text, &shown)
                                 && horizontalOverlap(place.box, w.box) > 0 && drop >= -2 && drop <= std::max(w.textHeight, 4) * 2;
                }
                if (underPlace)
                    m = bareLevel.match(w.text);
            }
            // A level in decibels right after the marker's frequency, on a screen whose scale
            // is in dBm, lost the m of its unit ("868.00000MHz -25.4dB", the Hz perhaps read
            // as a scrap of its own).
            bool decibels = false;
            if (!m.hasMatch() && scaledInDbm) {
                const auto before = [&](int k) { return k >= 0 && m_words.at(k).row == w.row ? m_words.at(k).text : QString(); };
                const QString place = before(i - 1).size() <= 2 ? before(i - 2) : before(i - 1);
                m = levelInDecibels.match(w.text);
                decibels = m.hasMatch() && markerPlace.match(place).hasMatch();
                if (!decibels)
                    continue;
            }
            if (!m.hasMatch())
                continue;
            // The level alone, with its unit, read as any figure is.
            ScreenWord figure = w;
            figure.text = m.captured(1) + (decibels || underPlace ? QStringLiteral("dBm") : m.captured(2));
            const QList<Token> read = tokensOf(figure, i);
            if (read.size() != 1 || read.first().kind != Kind::Number || !read.first().unit || read.first().unit->base != QLatin1String("dBm"))
                continue;
            const Token& t = read.first();
            r.main = t;
            r.unit = t.unit;
            r.label.clear();
            return;
        }
    }

    // The figure a program names as the measurement; with `actual`, only as what a supply
    // actually puts out. A supply's page names it beside each setting ("Actual:24.00V" under
    // the setpoint, "Actual:0.20A" under the limit): of those, as of any supply's figures, the
    // voltage is the reading.
    std::optional<Token> namedMeasurement(bool actual) const
    {
        static const QString names = QStringLiteral("^(MEASURE|MEASUREMENT|MESURE|MESSWERT|MEDIDA|MISURA|READING|ACTUAL)[:=]");
        static const QRegularExpression named(names + QStringLiteral("([-+]?\\d+[.,]\\d+)(\\S*)$"), QRegularExpression::CaseInsensitiveOption);
        // Or the name a word of its own before the figure ("Actual:" "24.00V").
        static const QRegularExpression name(names + QLatin1Char('$'), QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression decimals(QStringLiteral("\\d[.,]\\d"));
        QList<Token> found;
        for (int i = 0; i < m_words.size(); ++i) {
            const auto n = name.match(m_words.at(i).text);
            if (n.hasMatch() && (!actual || upper(n.captured(1)) == QLatin1String("ACTUAL"))) {
                const ScreenWord& w = m_words.at(i);
                for (const Token& t : m_tokens) {
                    const int gap = t.box.left() - w.box.right();
                    if (t.word != i + 1 || t.kind != Kind::Number || t.row != w.row || gap < 0 || gap > std::max(w.textHeight, 4) * 3
                        || !decimals.match(t.shown).hasMatch())
                        continue;
                    const std::optional<Unit> u = unitAfter(t);
                    if (!u || u->perDivision)
                        return std::nullopt;
                    found.append(t);
                    found.last().unit = u;
                    break;
                }
                continue;
            }
            const auto m = named.match(m_words.at(i).text);
            if (!m.hasMatch() || (actual && upper(m.captured(1)) != QLatin1String("ACTUAL")))
                continue;
            ScreenWord figure = m_words.at(i);
            figure.text = m.captured(2) + m.captured(3);
            const QList<Token> read = tokensOf(figure, i);
            if (read.size() != 1 || read.first().kind != Kind::Number || !read.first().unit || read.first().unit->perDivision)
                return std::nullopt;
            found.append(read.first());
        }
        if (found.size() > 1) {
            const auto volts = [](const Token& t) { return t.unit->base == QLatin1String("V"); };
            if (std::count_if(found.begin(), found.end(), volts) != 1)
                return std::nullopt;
            return *std::find_if(found.begin(), found.end(), volts);
        }
        return found.isEmpty() ? std::nullopt : std::optional<Token>(found.first());
    }

    // The unit of a peak to peak shown without one: its maximum's and minimum's, where it is
    // their difference (within the rounding of the three figures).
    static std::optional<Unit> unitOfPeakToPeak(const QList<Readout>& readouts, double value, const QString& shown)
    {
        auto labelled = [&](const QString& label) {
            return std::find_if(readouts.begin(), readouts.end(), [&](const Readout& o) { return o.label == label; });
        };
        const auto max = labelled(QStringLiteral("MAX"));
        const auto min = labelled(QStringLiteral("MIN"));
        if (max == readouts.end() || min == readouts.end() || max->unit.base != min->unit.base
            || (max->unit.base != QLatin1String("V") && max->unit.base != QLatin1String("A")))
            return std::nullopt;
        auto step = [](const QString& figure) {
            const qsizetype point = figure.indexOf(QLatin1Char('.'));
            return point < 0 ? 1.0 : std::pow(10.0, -double(figure.size() - point - 1));
        };
        // The limits may be shown in prefixes of their own ("-760.00mV" and "4.44V" for 5.20):
        // the difference is taken in the one prefix or the other.
        for (const Unit& in : {max->unit, min->unit}) {
            const double scale = prefixFactor(in.prefix);
            const double high = max->value * prefixFactor(max->unit.prefix) / scale;
            const double low = min->value * prefixFactor(min->unit.prefix) / scale;
            const double slack = step(max->shown) * prefixFactor(max->unit.prefix) / scale + step(min->shown) * prefixFactor(min->unit.prefix) / scale
                                 + step(shown);
            if (std::abs(value - (high - low)) <= slack) {
                Unit u = in;
                u.current.clear();
                return u;
            }
        }
        return std::nullopt;
    }

    // Whether the strip's first readout heads a column of three or more, one a line, each alone
    // on its line with its label beside it and close under the last, that holds the given word
    // too (in it, or close under it: a readout whose label and value the recogniser read apart
    // is no readout of the list). A side panel of labels each over its value, one pair under
    // the other, is such a list too: the user fills its slots in order, the first slot first.
    // The two kinds are not mixed (a label over its value beside a strip of "Vpp=" readouts).
    bool listedDownColumn(const QList<Readout>& readouts, int member) const
    {
        auto alone = [&](const Readout& o) {
            return o.underLabel == readouts.first().underLabel && std::none_of(readouts.begin(), readouts.end(), [&](const Readout& p) {
                return p.word != o.word && m_words.at(p.word).row == m_words.at(o.word).row;
            });
        };
        if (readouts.isEmpty() || member < 0 || member >= m_words.size() || !alone(readouts.first()))
            return false;
        const bool panel = readouts.first().underLabel;
        const QRect head = m_words.at(readouts.first().word).box;
        // (In a panel a slot is a label and a value, and one slot's value may have gone unread.)
        const int reach = head.height() * (panel ? 5 : 3);
        QRect column = head;
        int lastRow = m_words.at(readouts.first().word).row;
        int count = 1;
        for (qsizetype k = 1; k < readouts.size(); ++k) {
            const ScreenWord& w = m_words.at(readouts.at(k).word);
            if (horizontalOverlap(w.box, head) <= 0)
                continue;
            if (w.row <= lastRow || !alone(readouts.at(k)) || w.box.top() - column.bottom() > reach)
                break;
            column |= w.box;
            lastRow = w.row;
            ++count;
        }
        const QRect& held = m_words.at(member).box;
        if (count < 3 || horizontalOverlap(held, head) <= 0 || held.top() < head.top() || held.top() - column.bottom() > reach)
            return false;
        if (!panel)
            return true;
        // A panel is the scope's measure menu when it is a whole page of slots down the side
        // (seven or more names of measurements, each a line of its own over its value, whether
        // the value was read or not); a short panel of a few beside the trace keeps its peak to
        // peak.
        int entries = 0;
        int lastSlotRow = -1;
        for (const ScreenWord& w : m_words) {
            const bool named = w.text.size() >= 3 && digitCount(w.text) == 0
                               && !readoutLabel(w.text).isEmpty();
            if (named && w.row != lastSlotRow && horizontalOverlap(w.box, column) > 0 && w.box.bottom() >= head.top() - head.height() * 2) {
                ++entries;
                lastSlotRow = w.row;
            }
        }
        return entries >= 7;
    }

    // A status line that names each channel before what it measures ("A0: Vavg=2.609V,
    // Vpp=4.216V; A1: Vavg=..."), the same readouts for each, lists them in the program's own
    // order: the first channel's first is the reading. (The channel's name is an input's, with
    // its colon, the O of a nought or the l of a one as read in small print.)
    bool afterChannelName(const QList<Readout>& readouts) const
    {
        static const QRegularExpression channelName(QStringLiteral("^(?:CH|C|A)[0-9OIl]:$"), QRegularExpression::CaseInsensitiveOption);
        const auto named = [&](const Readout& o) {
            const int before = o.word - 1;
            return before >= 0 && m_words.at(before).row == m_words.at(o.word).row && channelName.match(m_words.at(before).text).hasMatch();
        };
        if (readouts.isEmpty() || !named(readouts.first()))
            return false;
        // (A second channel's list on the line, opening with the same measurement.)
        return std::any_of(readouts.begin() + 1, readouts.end(), [&](const Readout& o) {
            return named(o) && o.label == readouts.first().label && m_words.at(o.word).row == m_words.at(readouts.first().word).row;
        });
    }

    // A program that lays its measurements out as a table's row, each name heading its figure
    // and five or more of them side by side ("Vmax Vmin Vavr Vpp Vrms Freq" over their values),
    // shows them in its own fixed order, as a measure menu's page does: its first is the reading.
    // (A short strip of a few keeps its peak to peak.)
    bool headedRowOfReadouts(const QList<Readout>& readouts) const
    {
        if (readouts.isEmpty() || !readouts.first().underLabel)
            return false;
        const int row = m_words.at(readouts.first().word).row;
        const auto inRow = std::count_if(readouts.begin(), readouts.end(), [&](const Readout& o) {
            return o.underLabel && m_words.at(o.word).row == row;
        });
        return inRow >= 5;
    }

    // A scope's limits are the readouts labelled as such in the reading's quantity, each brought
    // to the reading's prefix.
    static void takeLimits(Reading& r, const QList<Readout>& readouts, const Unit& unit)
    {
        r.minValue.reset();
        r.maxValue.reset();
        for (const Readout& o : readouts) {
            if (o.unit.base != unit.base || (o.label != QLatin1String("MIN") && o.label != QLatin1String("MAX")))
                continue;
            std::optional<double>& limit = o.label == QLatin1String("MIN") ? r.minValue : r.maxValue;
            if (!limit)
                limit = std::round(o.value * prefixFactor(o.unit.prefix) / prefixFactor(unit.prefix) * 1e9) / 1e9;
        }
    }

    static void takeReadout(Reading& r, const Readout& o)
    {
        Token main;
        main.kind = Kind::Number;
        main.value = o.value;
        main.shown = o.shown;
        main.text = o.shown;
        r.main = main;
        r.unit = o.unit;
        r.label = o.label;
    }

    // A program that prints a trace's statistics as a list, one a line, each name beside its
    // figure ("Minimum: -0.020000 [V]" over "Maximum:" over "Peak-Peak:"), gives them in its own
    // order: with nothing drawn as the reading, the list's first line is the measurement and its
    // labelled extremes are the limits. Only a list that holds a peak to peak, a statistic of a
    // trace, and whose first line no figure with a unit stands over in its column (a reading
    // whose name went unread, a meter's live value over its statistics).
    void takeListedStatistics(Reading& r) const
    {
        const QList<Readout> readouts = labelledReadouts(m_words);
        const auto vpp = std::find_if(readouts.begin(), readouts.end(), [](const Readout& o) { return o.label == QLatin1String("VPP"); });
        if (vpp == readouts.end() || readouts.first().underLabel || !listedDownColumn(readouts, vpp->word))
            return;
        const ScreenWord& first = m_words.at(readouts.first().word);
        const auto withUnit = [&](const Token& t) {
            const int next = t.word + 1;
            return unitAfter(t) || (next < m_words.size() && m_words.at(next).row == t.row && readoutUnit(m_words.at(next).text));
        };
        const bool figureOver = std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
            const int above = first.box.top() - t.box.bottom();
            return t.kind == Kind::Number && t.row < first.row && above >= 0 && above <= first.textHeight * 3
                   && horizontalOverlap(t.box, first.box) > 0 && withUnit(t);
        });
        if (figureOver)
            return;
        takeReadout(r, readouts.first());
        takeLimits(r, readouts, readouts.first().unit);
        r.signalReadout = true;
    }

    // With nothing drawn as the reading, a program's table of a trace's statistics (the trace
    // named before the statistic: "Base1.avg -424.4mV") holds the measurements, and the first
    // of them is the reading. A statistic standing alone beside a meter's reading (its AVG) or
    // in a scope's strip is judged with the rest of the screen, not here.
    void takeMeasuredReadout(Reading& r) const
    {
        for (const Readout& o : labelledReadouts(m_words)) {
            if (!o.ofTrace || o.label == QLatin1String("MIN") || o.label == QLatin1String("MAX"))
                continue;
            takeReadout(r, o);
            r.signalReadout = true;
            return;
        }
    }

    // A screen that names what it measures (a mode label) and shows one number with a unit
    // besides its labelled limits: that number is the reading, however it is drawn.
    bool onlyMeasurement(const Reading& r) const
    {
        if (!r.main || !r.unit)
            return false;
        // Not on a menu or a settings page: the number there is one of its entries.
        static const QRegularExpression page(QStringLiteral("MENU|SETTINGS|SETUP|CONFIGURATION"), QRegularExpression::CaseInsensitiveOption);
        if (std::any_of(m_words.begin(), m_words.end(), [](const ScreenWord& w) { return page.match(w.text).hasMatch(); }))
            return false;
        static const QStringList modes = {QStringLiteral("DC"), QStringLiteral("AC"), QStringLiteral("DCV"), QStringLiteral("ACV"),
                                          QStringLiteral("VDC"), QStringLiteral("VAC"), QStringLiteral("DCA"), QStringLiteral("ACA"),
                                          QStringLiteral("RES"), QStringLiteral("OHM"), QStringLiteral("CAP"), QStringLiteral("TEMP"),
                                          QStringLiteral("DIODE"), QStringLiteral("CONT"), QStringLiteral("VOLTAGE"), QStringLiteral("CURRENT"),
                                          QStringLiteral("RESISTANCE"), QStringLiteral("CAPACITANCE"), QStringLiteral("TEMPERATURE")};
        // A figure shown to five digits or more is a measurement's precision, not a setting's,
        // and says what it is as well as a mode label would.
        const bool precise = digitCount(r.main->shown) >= 5;
        if (!screenSays(modes) && !precise)
            return false;
        // A whole number with its unit among the words of a line is a rating or a name ("Lead
        // Acid 6V"); a measurement in small print shows its decimals.
        if (!r.main->shown.contains(QLatin1Char('.')) && !r.main->shown.contains(QLatin1Char(',')))
            return false;
        int unlabelled = 0;
        for (int i = 0; i < m_tokens.size(); ++i) {
            const Token& t = m_tokens.at(i);
            // A lone digit with a mark after it is more likely a crumb of a drawing.
            if (t.kind != Kind::Number || t.status || !unitAfter(t) || (precise && t.text.size() <= 2))
                continue;
            const bool labelled = i > 0 && m_tokens.at(i - 1).kind == Kind::Label && m_tokens.at(i - 1).row == t.row;
            unlabelled += labelled ? 0 : 1;
        }
        return unlabelled == 1;
    }

    // Whether the words come with their sizes and places: a screen laid out from plain text
    // tells nothing by them.
    bool sizesKnown() const { return m_screen.drawn; }

    // On the screen's top edge (its status bar or title) or its bottom edge (its channel bar or
    // soft keys).
    bool onScreenEdge(const QRect& box) const
    {
        return sizesKnown() && (box.bottom() < m_screen.size.height() * 0.1 || box.top() > m_screen.size.height() * 0.88);
    }

    // Whether a word's box is narrower than its characters could be drawn at its height: even a
    // narrow font draws a digit or a letter half as wide as tall, a one or a point narrower.
    static bool tooNarrowForItsHeight(const Token& t)
    {
        if (t.box.isEmpty() || t.height <= 0)
            return false;
        double least = 0;
        for (QChar c : t.text)
            least += QStringLiteral(".,:;'").contains(c) ? 0.15 : QStringLiteral("1Iil|!j").contains(c) ? 0.2 : QStringLiteral("mMwW").contains(c) ? 0.7 : 0.5;
        return t.box.width() < least * t.height * 0.8;
    }

    // Whether the reading is drawn larger than the screen's text (always, on a screen whose
    // sizes are not known).
    bool prominent(const Reading& r) const
    {
        if (!r.main)
            return false;
        if (!sizesKnown())
            return true;
        // A figure in a box far too narrow for its characters at its height was measured with
        // the frame drawn around it (a program's indicator field: "1.8 mA" in a box three times
        // its text's height): how large it is drawn is not known, and it stands out from nothing.
        if (tooNarrowForItsHeight(*r.main))
            return false;
        // Against the screen's other numbers where it shows a few: icons and logos the
        // recogniser takes for letters say nothing of how large text is drawn.
        // A supply shows its voltage, current and power in one block of large digits: those
        // drawn at the reading's size with units of other kinds are its peers, not the text
        // it stands out from.
        // A lone digit is as likely a crumb of an icon (a dial's tick, a bar) as text.
        QList<int> numbers;
        QSet<int> peerRows;
        for (const Token& t : m_tokens) {
            if (t.kind != Kind::Number || verticalOverlap(t.box, r.main->box) > 0 || t.text.size() == 1)
                continue;
            const std::optional<Unit> u = unitAfter(t);
            if (r.unit && u && u->base != r.unit->base && std::abs(t.height - r.main->height) <= r.main->height * 0.1) {
                peerRows.insert(t.row);
                continue;
            }
            numbers.append(t.height);
        }
        if (numbers.size() >= 3) {
            std::sort(numbers.begin(), numbers.end());
            return r.main->height >= numbers.at(numbers.size() / 2) * 1.4;
        }
        // Else against the other lines of text (each as tall as its tallest word: a word in
        // small letters alone is shorter than the line's figures), not the reading's own line
        // nor its peers'.
        // (Where only its peers are left, they are the text: a settings page lists its values
        // all alike.)
        QMap<int, int> rowHeight, withPeers;
        for (const ScreenWord& w : m_words)
            if (std::any_of(w.text.begin(), w.text.end(), [](QChar c) { return c.isLetterOrNumber(); })
                && verticalOverlap(w.box, r.main->box) <= 0) {
                withPeers[w.row] = std::max(withPeers.value(w.row), w.textHeight);
                if (!peerRows.contains(w.row))
                    rowHeight[w.row] = std::max(rowHeight.value(w.row), w.textHeight);
            }
        if (rowHeight.isEmpty())
            rowHeight = withPeers;
        if (rowHeight.isEmpty())
            return true;
        QList<int> heights = rowHeight.values();
        std::sort(heights.begin(), heights.end());
        return r.main->height >= heights.at(heights.size() / 2) * 1.4;
    }

    // A word in a box of its own that hugs it (a channel badge "CH1" on the status bar): the
    // line it stands on is what counts, not the box.
    bool inBadge(const Token& t) const
    {
        if (t.frame < 0 || t.frame >= m_screen.boxes.size())
            return false;
        const QRect& box = m_screen.boxes.at(t.frame);
        return box.height() <= t.box.height() * 2.2 + 4 && box.width() <= t.box.width() + t.box.height() * 4;
    }

    // A program's readout may write its unit into the label over the value or before it
    // ("Input Voltage (V)" over "69.58", "Voltage [V]: 5.00"): a bare figure takes the unit of
    // the nearest such label right above it or to its left on its line.
    void unitsFromLabels()
    {
        // (Small print may read a closing square bracket as a "J" or a bar: "Voltage [V]" as
        // "Voltage(VJ". A web page may spell the unit out: "Battery Voltage (Volts):".)
        static const QRegularExpression bracketed(
            QStringLiteral("[(\\[]([^()\\[\\]]{1,4}|[A-Za-z]{5,6})(?:[)\\]]|(?<=[VAW])[J|])[:=]?$"));
        // A label that names a setting ("Target Voltage (V)", "Vset (V)", "Current Limit (A)",
        // "Level A (V)", "Interval (ms)") stands over what the instrument is told to do, not
        // what it measures.
        struct Label {
            int token;
            Unit unit;
            bool setting;
        };
        QList<Label> labels;
        for (int i = 0; i < m_tokens.size(); ++i) {
            const Token& t = m_tokens.at(i);
            if (t.kind == Kind::Number)
                continue;
            const auto m = bracketed.match(t.text);
            if (!m.hasMatch()) {
                if (const std::optional<Unit> u = unitOfGarbledHeading(t.text))
                    labels.append({i, *u, false});
                continue;
            }
            QString name = upper(t.text);
            if (i > 0 && m_tokens.at(i - 1).row == t.row && t.box.left() - m_tokens.at(i - 1).box.right() <= t.height * 2)
                name += upper(m_tokens.at(i - 1).text);
            if (const std::optional<Unit> u = readoutUnit(m.captured(1)))
                labels.append({i, *u, namesSetting(name)});
        }
        if (labels.isEmpty())
            return;
        for (Token& t : m_tokens) {
            // A figure may write its unit on itself as well ("Voltage (V): 5.151V"): the label
            // then names it a program's readout all the same.
            const bool ownUnit = t.unit.has_value();
            if (t.kind != Kind::Number || t.clock || (!ownUnit && t.garbledUnit && !t.text.isEmpty()))
                continue;
            // A program's readout shows its decimals; a whole number beside a unit label is a
            // setting's index or a crumb of a drawing. Nor is a tick of a plot's axis, its title
            // under it, a readout.
            if (!t.shown.contains(QLatin1Char('.')) || (!ownUnit && onAxis(t)))
                continue;
            double best = -1;
            std::optional<Unit> unit;
            bool ofSetting = false;
            for (const auto& [li, u, isSetting] : labels) {
                const Token& l = m_tokens.at(li);
                // (A figure in a field of its own inside the label's box is the label's: a
                // dashboard's card with its value in a filled field.)
                const bool inField = t.frame >= 0 && l.frame >= 0 && t.frame < m_screen.boxes.size() && l.frame < m_screen.boxes.size()
                                     && t.frame != l.frame && m_screen.boxes.at(l.frame).contains(m_screen.boxes.at(t.frame));
                if (l.frame != t.frame && !inField)
                    continue;
                const double h = std::max({l.height, t.height, 1});
                double cost = -1;
                const int below = t.box.top() - l.box.bottom();
                if (verticalOverlap(l.box, t.box) >= std::min(l.box.height(), t.box.height()) * 0.4) {
                    const int dx = t.box.left() - l.box.right();
                    // (A list's row may set its name at the left and its figure right-aligned at
                    // the far end, nothing between; only a figure that writes the label's unit on
                    // itself as well is so far the label's: "Power Minute Average (W) .... 36.1 W".)
                    const bool farEnd = ownUnit && t.unit->base == u.base && !t.unit->perDivision
                                        && std::none_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
                                               return w.row == t.row && w.box.left() > l.box.right() && w.box != t.box;
                                           });
                    if ((dx >= -2 && dx <= h * 6) || (dx > h * 6 && farEnd))
                        cost = dx / h;
                } else if (below >= -2 && below <= h * 3 && horizontalOverlap(l.box, t.box) > 0 && !captionedCloserUnder(t, below)) {
                    cost = below / h;
                } else if (const int under = l.box.top() - t.box.bottom();
                           under >= -2 && under <= h * 1.5 && horizontalOverlap(l.box, t.box) > 0 && !captionedCloserUnder(t, under)) {
                    // A program that captions its figures from below ("52.58" over "Voltage (V)")
                    // names the unit in the caption right under the figure.
                    cost = under / h;
                }
                if (cost >= 0 && (best < 0 || cost < best)) {
                    best = cost;
                    unit = u;
                    ofSetting = isSetting;
                }
            }
            if (ownUnit) {
                t.unitFromLabel = unit && !ofSetting && !t.unit->perDivision && unit->base == t.unit->base;
            } else if (unit && ofSetting) {
                t.status = true;
            } else if (unit) {
                t.unit = unit;
                t.unitFromLabel = true;
            }
        }
    }

    // A panel may head a column with its quantity's name and the unit standing apart beside it
    // ("Tank  °C" over "Top  55", "Bottom  19"): the unit is that of the bare figures straight
    // under it. Only a unit alone in its own word after a name of letters, on a line with no
    // figure (a heading, not a row of values), and only the figures in its column, drawn about
    // its size, from the next line down with nothing else between; none under a setting's name.
    void unitsFromColumnHeadings()
    {
        static const QRegularExpression name(QStringLiteral("^[A-Za-z]{3,}:?$"));
        for (int i = 1; i < m_tokens.size(); ++i) {
            const Token& head = m_tokens.at(i);
            const std::optional<Unit> u = head.kind == Kind::Word ? readoutUnit(head.text) : std::nullopt;
            if (!u || u->base == QLatin1String("%") || head.height <= 0)
                continue;
            const Token& before = m_tokens.at(i - 1);
            const int h = head.height;
            if (before.row != head.row || !name.match(before.text).hasMatch() || namesSetting(upper(before.text))
                || head.box.left() - before.box.right() > h * 4 || head.box.left() <= before.box.right())
                continue;
            if (std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) { return t.row == head.row && t.kind == Kind::Number; }))
                continue;
            QRect last = head.box;
            QList<int> column;
            bool blocked = false;
            for (int j = i + 1; j < m_tokens.size() && !blocked; ++j) {
                const Token& t = m_tokens.at(j);
                if (t.row == head.row || horizontalOverlap(t.box, head.box) <= 0)
                    continue;
                const int drop = t.box.top() - last.bottom();
                if (drop > h * 2 || drop < -2)
                    break;
                // (The figure stands under the unit, not under the name beside it.)
                const bool underUnit = std::abs(t.box.center().x() - head.box.center().x()) < std::abs(t.box.center().x() - before.box.center().x());
                blocked = t.kind != Kind::Number || t.unit || t.clock || t.garbledUnit || t.status || !underUnit || !similarSize(t.height, h)
                          || unitAfter(t);
                if (!blocked) {
                    column.append(j);
                    last = t.box;
                }
            }
            for (int j : column) {
                if (onAxis(m_tokens.at(j)))
                    continue;
                m_tokens[j].unit = u;
                m_tokens[j].unitFromLabel = true;
            }
        }
    }

    // Whether a bare figure is one of a plot axis's tick labels: three or more bare figures
    // drawn alike on its line, rising (or falling) steadily from left to right, each placed
    // where a straight scale of their values puts it ("0.0 0.1 0.3 0.5 0.6", a tick or two unread).
    bool onAxis(const Token& t) const
    {
        QList<const Token*> ticks;
        for (const Token& o : m_tokens)
            if (o.kind == Kind::Number && !o.unit && o.row == t.row && std::abs(o.height - t.height) <= std::max(2, t.height / 5))
                ticks.append(&o);
        if (ticks.size() < 3)
            return false;
        std::sort(ticks.begin(), ticks.end(), [](const Token* a, const Token* b) { return a->box.center().x() < b->box.center().x(); });
        const Token& first = *ticks.first();
        const Token& last = *ticks.last();
        const double span = last.value - first.value;
        const double width = last.box.center().x() - first.box.center().x();
        if (span == 0 || width <= 0)
            return false;
        for (qsizetype k = 1; k < ticks.size(); ++k) {
            const double expected = first.box.center().x() + (ticks.at(k)->value - first.value) / span * width;
            if ((ticks.at(k)->value - ticks.at(k - 1)->value) * span <= 0 || std::abs(ticks.at(k)->box.center().x() - expected) > width * 0.04)
                return false;
        }
        return true;
    }

    // A program may name a figure by its quantity alone, with a colon, and leave its unit out
    // ("Voltage: 1.350", "BatteryVoltage: 12.25"): a voltage written without a prefix is in
    // volts. Only a figure with its decimals right after the name on its line takes the unit,
    // and none after a setting's or a limit's name ("Set Voltage: 5.00", "MaxVoltage:"). A
    // current, a power or a resistance is as often given in milli- or kilo- units: those names
    // give none.
    void unitsFromVoltageNames()
    {
        // (In other languages too: "Spannung:", "Tension:", "Tensión:", "Voltaje:".)
        static const QRegularExpression named(QStringLiteral("^(?:[A-Z]*(?:VOLTAGE|SPANNUNG|TENSION|TENSIÓN|TENSIONE|VOLTAJE)|V(?:PP|P-P|RMS|AVG|MEAN)):$"));
        // So does a voltage's statistic named with its V ("Vpp: 1.9888", "Vrms:1.6779"), where
        // the program prints no unit on any figure of its line: where others carry theirs, a
        // bare one lost its unit, perhaps read as a digit ("3.92V" as "3.927").
        static const QRegularExpression statistic(QStringLiteral("^V(?:PP|P-P|RMS|AVG|MEAN):$"));
        // (A charger's stages and thresholds are set as well: "Float Voltage: 13.60", "Reconnect
        // Voltage:", "Reference Voltage:".)
        static const QRegularExpression setting(
            QStringLiteral("SET|TARGET|LIMIT|PROTECT|MAX|MIN|CUTOFF|OVER|UNDER|ALARM|TRIP|RATED|NOMINAL|START|END|STEP|OFFSET|LEVEL|RANGE|OVP|UVP|"
                           "CHARG|FLOAT|BOOST|BULK|ABSORP|EQUALI|RETURN|RECONNECT|DISCONNECT|THRESHOLD|REF|DEFAULT|DESIGN"));
        for (int i = 0; i + 1 < m_tokens.size(); ++i) {
            const Token& name = m_tokens.at(i);
            const QString text = upper(name.text);
            if (name.kind == Kind::Number || !named.match(text).hasMatch() || setting.match(text).hasMatch())
                continue;
            if (i > 0 && m_tokens.at(i - 1).row == name.row && name.box.left() - m_tokens.at(i - 1).box.right() <= name.height * 2
                && setting.match(upper(m_tokens.at(i - 1).text)).hasMatch())
                continue;
            const Token& figure = m_tokens.at(i + 1);
            const int gap = figure.box.left() - name.box.right();
            if (figure.kind != Kind::Number || figure.clock || figure.garbledUnit || figure.row != name.row || !figure.shown.contains(QLatin1Char('.'))
                || gap < -2 || gap > std::max(name.height, figure.height) * 3 || unitAfter(figure))
                continue;
            // (A unit set apart in a column of its own further along the line, "Voltage: 350.2
            // ... mV", is the figure's, whatever its prefix; the next readout's label, "Vrms",
            // is none.)
            bool unitFurther = false;
            for (int j = i + 2; j < m_tokens.size() && m_tokens.at(j).row == name.row && m_tokens.at(j).kind != Kind::Number && !unitFurther; ++j)
                unitFurther = m_tokens.at(j).kind != Kind::Label && parseUnit(m_tokens.at(j).text).has_value();
            if (unitFurther)
                continue;
            if (statistic.match(text).hasMatch() && std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
                    return t.kind == Kind::Number && t.row == name.row && t.unit && !t.unitFromLabel;
                }))
                continue;
            m_tokens[i + 1].unit = Unit{QString(), QStringLiteral("V"), QString(), false};
            m_tokens[i + 1].unitFromLabel = true;
        }
    }

    // Whether words stand right under a figure, nearer than `than` pixels: its caption. A
    // program that captions its figures from below ("52.58" over "Voltage (V)", "16.00" over
    // "Temperature (°C)") puts each caption nearer its own figure than the figure above it.
    bool captionedCloserUnder(const Token& t, int than) const
    {
        return std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
            const int drop = w.box.top() - t.box.bottom();
            return drop >= -2 && drop < than && horizontalOverlap(w.box, t.box) > 0
                   && std::count_if(w.text.begin(), w.text.end(), [](QChar c) { return c.isLetter(); }) >= 3;
        });
    }

    // A chart's legend lists its series down a column beside the plot, each entry a short line
    // in the series' colour and its name, which often is the value it was taken at ("2 V",
    // "3.5 V", "Energy_3.5 V"). The recogniser takes the line into the entry's word, read as a
    // stray mark or not at all, so the word's box runs well wider than its characters. Three or
    // more such words one under the other, their left edges aligned, each ending in a figure
    // of one unit, are a legend: its figures name series and none is a measurement. (A log's
    // or a card list's figures are drawn as wide as their characters.)
    void markLegendColumns()
    {
        if (!sizesKnown())
            return;
        static const QRegularExpression entry(QStringLiteral("\\d(?:[.,]\\d+)?\\s?([A-Za-z\\x{00B5}\\x{03A9}]{1,3})$"));
        const auto legendUnit = [&](const ScreenWord& w) -> QString {
            const auto m = entry.match(w.text);
            const std::optional<Unit> u = m.hasMatch() && !w.segmentDigits ? parseUnit(m.captured(1)) : std::nullopt;
            if (!u || u->perDivision || u->base.isEmpty() || w.textHeight <= 0)
                return {};
            double widest = 0;
            for (QChar c : w.text)
                widest += QStringLiteral(".,:;'").contains(c) ? 0.3 : QStringLiteral("1Iil|!j").contains(c) ? 0.45 : QStringLiteral("mMwW").contains(c) ? 1.0 : 0.7;
            return w.box.width() >= widest * w.textHeight * 1.5 ? u->base : QString();
        };
        QList<QString> units;
        for (const ScreenWord& w : m_words)
            units.append(legendUnit(w));
        for (int i = 0; i < m_words.size(); ++i) {
            if (units.at(i).isEmpty())
                continue;
            QList<int> column = {i};
            for (int j = i + 1; j < m_words.size(); ++j) {
                const ScreenWord& last = m_words.at(column.last());
                const ScreenWord& w = m_words.at(j);
                if (units.at(j) == units.at(i) && w.row != last.row && std::abs(w.box.left() - last.box.left()) <= std::max(3, last.textHeight / 3)
                    && similarSize(w.textHeight, last.textHeight) && w.box.top() > last.box.top() && w.box.top() - last.box.bottom() <= last.textHeight * 4)
                    column.append(j);
            }
            if (column.size() < 3)
                continue;
            for (Token& t : m_tokens)
                if (column.contains(t.word))
                    t.status = true;
        }
    }

    // A chart's scale stands in a column beside it: three or more bare figures one over the
    // other, written with the same decimals, their values in even steps as they go down
    // ("0.138 0.134 0.130 0.126", or with their thousands grouped, "3,500 3,000 2,500"). They
    // are no readings, and nor is a figure in their column that falls on their scale with a unit
    // letter glued on (a "1.60" whose 0 was read as Ω).
    void markAxisColumns()
    {
        static const QRegularExpression bare(QStringLiteral("^[-+]?\\d+(?:,\\d{3})*(?:\\.(\\d+))?$"));
        auto inColumn = [](const Token& a, const Token& b) {
            return (std::abs(a.box.left() - b.box.left()) <= 3 || std::abs(a.box.right() - b.box.right()) <= 3) && similarSize(a.height, b.height)
                   && a.row != b.row;
        };
        for (int i = 0; i < m_tokens.size(); ++i) {
            const Token& first = m_tokens.at(i);
            if (first.kind != Kind::Number || !bare.match(first.text).hasMatch())
                continue;
            QList<int> column = {i};
            for (int j = 0; j < m_tokens.size(); ++j) {
                const Token& t = m_tokens.at(j);
                if (j != i && t.kind == Kind::Number && bare.match(t.text).hasMatch() && decimalPlaces(t.shown) == decimalPlaces(first.shown) && inColumn(first, t)
                    && std::none_of(column.begin(), column.end(), [&](int k) { return m_tokens.at(k).row == t.row; }))
                    column.append(j);
            }
            if (column.size() < 3)
                continue;
            std::sort(column.begin(), column.end(), [&](int a, int b) { return m_tokens.at(a).box.center().y() < m_tokens.at(b).box.center().y(); });
            const Token& top = m_tokens.at(column.first());
            const Token& bottom = m_tokens.at(column.last());
            const double span = bottom.box.center().y() - top.box.center().y();
            if (span <= 0 || bottom.value == top.value)
                continue;
            const double slope = (bottom.value - top.value) / span;
            double step = std::abs(bottom.value - top.value);
            for (int k = 1; k < column.size(); ++k)
                step = std::min(step, std::abs(m_tokens.at(column.at(k)).value - m_tokens.at(column.at(k - 1)).value));
            auto onScale = [&](const Token& t) {
                return std::abs(t.value - (top.value + slope * (t.box.center().y() - top.box.center().y()))) <= step / 4;
            };
            if (step <= 0 || !std::all_of(column.begin(), column.end(), [&](int k) { return onScale(m_tokens.at(k)); }))
                continue;
            const double pitch = span / (column.size() - 1);
            const Token model = first;
            for (int j = 0; j < m_tokens.size(); ++j) {
                Token& t = m_tokens[j];
                if (t.kind == Kind::Number && (j == i || inColumn(model, t)) && t.box.center().y() >= top.box.center().y() - pitch * 1.5
                    && t.box.center().y() <= bottom.box.center().y() + pitch * 1.5 && onScale(t))
                    t.status = true;
            }
        }
    }

    // Numbers that share a line with status words (battery, clock, AUTO, HOLD, range, channel,
    // trigger) and are drawn at their size are status items too.
    void markStatus()
    {
        QList<int> anchors;
        for (int i = 0; i < m_tokens.size(); ++i) {
            Token& t = m_tokens[i];
            if (t.kind == Kind::Number && (t.clock || (t.unit && (t.unit->perDivision || t.unit->base == QLatin1String("%")))))
                t.status = true;
            // (So is one whose percent sign stands apart after it, "95" "%": a gauge's charge.)
            else if (t.kind == Kind::Number && !t.unit && !t.status) {
                const std::optional<Unit> u = unitAfter(t);
                t.status = u && u->base == QLatin1String("%");
            }
            // "T" before a time is a period measurement, not the trigger mark.
            const bool period = (upper(t.text) == QLatin1String("T") || upper(t.text) == QLatin1String("T:")) && i + 1 < m_tokens.size() && m_tokens.at(i + 1).row == t.row
                                && m_tokens.at(i + 1).kind == Kind::Number && m_tokens.at(i + 1).unit
                                && m_tokens.at(i + 1).unit->base == QLatin1String("s") && !m_tokens.at(i + 1).unit->perDivision;
            if ((t.kind == Kind::Word && isStatusWord(t.text) && !period) || t.clock)
                anchors.append(i);
        }
        // A row of three or more range steps, each a 1, 2 or 5 with zeros and perhaps a prefix
        // ("20 200 2k 20k"), is a range selector's, not readings.
        static const QRegularExpression rangeStep(QStringLiteral("^[125]0*[kKM]?$"));
        QMap<int, QList<int>> steps;
        for (int i = 0; i < m_tokens.size(); ++i)
            if (m_tokens.at(i).kind == Kind::Number && rangeStep.match(m_tokens.at(i).text).hasMatch())
                steps[m_tokens.at(i).row].append(i);
        for (const QList<int>& row : std::as_const(steps))
            if (row.size() >= 3)
                for (int i : row)
                    m_tokens[i].status = true;
        markAxisColumns();
        markLegendColumns();
        for (Token& t : m_tokens) {
            // (A figure a heading gives its unit, "Voltage(V)" over it, is a cell of a table; a
            // channel's name before it names the table's row, no badge of a status bar.)
            // (Nor is a conductance a status item: no status bar gives a setting in siemens.)
            if (t.kind != Kind::Number || t.status || t.unitFromLabel || (t.unit && t.unit->base == QLatin1String("S")))
                continue;
            for (int a : anchors) {
                const Token& anchor = m_tokens.at(a);
                if (verticalOverlap(anchor.box, t.box) >= std::min(anchor.box.height(), t.box.height()) * 0.5
                    && similarSize(anchor.height, t.height) && (anchor.frame == t.frame || inBadge(anchor))) {
                    t.status = true;
                    break;
                }
            }
        }
    }

    // A scope's voltage whose unit small print turned into letters no scope shows: a V read as
    // N ("7.2N"), an m closed into an a ("450aV"; a scope's range ends long before microvolts).
    // Only a figure standing alone in its word is taken, and it is judged as status like any other.
    bool scopeVoltagesMended()
    {
        static const QRegularExpression garbled(QStringLiteral("^([-+]?\\d+(?:[.,]\\d+)?)(N|aV|av)$"));
        bool mended = false;
        for (Token& t : m_tokens) {
            if (t.kind != Kind::Word && !(t.kind == Kind::Number && !t.unit && t.garbledUnit))
                continue;
            const auto m = garbled.match(t.text);
            if (!m.hasMatch())
                continue;
            t.kind = Kind::Number;
            t.shown = m.captured(1);
            t.shown.replace(QLatin1Char(','), QLatin1Char('.'));
            if (t.shown.startsWith(QLatin1Char('+')))
                t.shown.remove(0, 1);
            t.value = t.shown.toDouble();
            t.unit = Unit{m.captured(2) == QLatin1String("N") ? QString() : QStringLiteral("m"), QStringLiteral("V"), QString(), false};
            t.garbledUnit = false;
            mended = true;
        }
        return mended;
    }

    bool looksLikeOscilloscope() const
    {
        int marks = 0, channels = 0;
        bool peakToPeak = false;
        for (const Token& t : m_tokens) {
            const QString u = upper(t.text);
            if (t.label == QLatin1String("VPP"))
                peakToPeak = true;
            if (u.startsWith(QLatin1String("CH")) && u.size() == 3 && u.at(2).isDigit())
                ++channels;
            if (u.startsWith(QLatin1String("TRIG")))
                ++marks;
            if (t.unit && t.unit->perDivision)
                ++marks;
            // So is a sample rate ("1.00GSa/s"): only a scope or a logic analyser shows one.
            static const QRegularExpression sampleRate(QStringLiteral("\\d[KMG]SA/S$"));
            if (sampleRate.match(u).hasMatch())
                ++marks;
            // So are the record's length in points ("Curr7.00Mpts", a scope's memory depth) and
            // its time base's delay written beside it ("5.00ms/Delay:20.0us").
            static const QRegularExpression recordLength(QStringLiteral("\\d[KM]PTS$|\\d[MUN]?S/DELAY:"));
            if (recordLength.match(u).hasMatch())
                ++marks;
            // So is the main time base written after the M a scope prints before it ("M25.0us"):
            // no other instrument names a time that way.
            static const QRegularExpression mainTimeBase(QStringLiteral("^M\\d+(?:\\.\\d+)?[NUM\u00B5]?S$"));
            if (mainTimeBase.match(u).hasMatch())
                ++marks;
            // So is a channel's scale in the 1-2-5 steps of its knob after the wave sign a scope
            // prints for AC coupling ("~5.00mV", its V often read as a Y in the channel bar).
            static const QRegularExpression coupledScale(QStringLiteral("^[~\u223F](?:[125]\\.00|[125]0\\.0|[125]00)[MU\u00B5]?[VY]$"));
            if (coupledScale.match(u).hasMatch())
                ++marks;
        }
        // A status bar holding a time base written bare in nano- or microseconds ("100ns"), the
        // trigger's position at nought to several places ("0.00000s") and a frequency is a
        // scope's (its time base, its position and its counter): a meter's or a supply's times
        // are longer, and none is told to the microsecond at nought.
        static const QRegularExpression noughtPosition(QStringLiteral("^0\\.0000*S$"));
        QSet<int> shortTimes, noughts, frequencies;
        for (const Token& t : m_tokens) {
            if (t.kind != Kind::Number || !t.unit || t.unit->perDivision)
                continue;
            if (t.unit->base == QLatin1String("s") && (t.unit->prefix == QLatin1String("n") || t.unit->prefix == QString(QChar(0xB5))))
                shortTimes.insert(t.row);
            if (noughtPosition.match(upper(t.text)).hasMatch())
                noughts.insert(t.row);
            if (t.unit->base == QLatin1String("Hz"))
                frequencies.insert(t.row);
        }
        if (shortTimes.intersect(noughts).intersect(frequencies).size() > 0)
            marks += 2;
        // A time told to three figures in the 1-2-5 steps a scope's time base moves by ("2.00ms",
        // "500us"; some scopes step 1-2.5-5, "250ns") beside a frequency told to a counter's six
        // figures or more ("15.0000Hz") is a scope's time base and counter printed without their
        // marks. (No frequency is negative: a minus before the counter's is its "=" misread,
        // "f = 493.150Hz" read "-493.150Hz".)
        static const QRegularExpression stepTime(QStringLiteral("^(?:[125]\\.00|2\\.50|[125]0\\.0|25\\.0|[125]00|250)[NUM\u00B5]?S$"));
        // (So is one written after the M a scope prints before its main time base, "M500us".)
        const bool stepped = std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
            const QString u = upper(t.text);
            return (t.kind == Kind::Number && t.unit && !t.unit->perDivision && stepTime.match(u).hasMatch())
                   || (u.startsWith(QLatin1Char('M')) && stepTime.match(u.mid(1)).hasMatch());
        });
        const bool counted = std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
            return t.kind == Kind::Number && t.unit && t.unit->base == QLatin1String("Hz") && t.value != 0 && digitCount(t.shown) >= 6;
        });
        if (stepped && counted)
            marks += 2;
        // A pair of time cursors, each read with its time ("X1=164.0us" and "X2=-4.5us", or a
        // Rigol's "AX:" and "BX:"), is a scope's cursor box: a time cursor measures along a
        // trace's time axis, which no meter or supply draws.
        static const QRegularExpression timeCursor(QStringLiteral("^(X[12]|[AB]X)[:=\\-]*[-+]?\\d+(?:[.,]\\d+)?[NUM\u00B5]?S$"));
        QSet<QString> cursors;
        for (const ScreenWord& w : m_words)
            if (const auto m = timeCursor.match(upper(w.text)); m.hasMatch())
                cursors.insert(m.captured(1));
        if (cursors.contains(QStringLiteral("X1")) + cursors.contains(QStringLiteral("X2")) == 2
            || cursors.contains(QStringLiteral("AX")) + cursors.contains(QStringLiteral("BX")) == 2)
            marks += 2;
        // Channel names alone are a meter program's inputs as much as a scope's badges: beside
        // one number drawn far larger than the rest they are the meter's.
        int tallest = 0;
        for (int i : candidates())
            tallest = std::max(tallest, m_tokens.at(i).height);
        // So are they where headings name the units of the figures under them ("Voltage(V)"
        // over a row per channel): a supply's or a load's table of its outputs, which no scope
        // draws without a scale mark.
        const int headed = int(std::count_if(m_tokens.begin(), m_tokens.end(), [](const Token& t) { return t.kind == Kind::Number && t.unitFromLabel; }));
        if (marks > 0 || (tallest < medianTextHeight() * 1.8 && headed < 2))
            marks += channels;
        // A waveform across the screen with any scope measurement beside it is a scope's screen
        // even when the recogniser garbled its settings and its peak-to-peak label.
        // (A label counts with a figure of its own, glued to it, after it on its line or under
        // it: a bare "Period" is a menu's entry or a button, on a meter program's page as well.)
        const auto withFigure = [&](const Token& label) {
            return std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& n) {
                if (n.kind != Kind::Number)
                    return false;
                const int below = n.box.top() - label.box.bottom();
                return n.word == label.word || (n.row == label.row && n.box.left() > label.box.left())
                       || (below >= -2 && below <= std::max(label.height, 1) * 3 && horizontalOverlap(n.box, label.box) > 0);
            });
        };
        bool measurement = peakToPeak;
        for (const Token& t : m_tokens)
            measurement = measurement
                          || ((t.label == QLatin1String("FREQ") || t.label == QLatin1String("RMS") || t.label == QLatin1String("DUTY")
                               || t.label == QLatin1String("PERIOD") || t.label == QLatin1String("MEAN"))
                              && withFigure(t))
                          || (t.unit && t.unit->perDivision);
        // (A readout only a scope's strip shows, a rise or fall time or a pulse width, is one too;
        // so is one of the signal's timing that names the channel it measures, as a program's
        // readout following the pointer over a trace does, "DIO4Period:250us/4kHz/50%", its
        // label and the channel's name run into one word the tokens don't part.)
        if (!measurement && m_screen.waveform)
            for (const Readout& o : labelledReadouts(m_words))
                measurement = measurement || o.label == QLatin1String("RISE") || o.label == QLatin1String("WIDTH")
                              || (o.ofChannel && (o.label == QLatin1String("PERIOD") || o.label == QLatin1String("FREQ")));
        return marks >= 2 || (peakToPeak && marks >= 1) || (peakToPeak && !hasDominantNumber()) || (m_screen.waveform && (measurement || marks >= 1));
    }

    QList<int> candidates(bool withGarbledUnits = false) const
    {
        // A figure whose unit came out garbled counts only as the screen's largest text, the
        // reading itself, or beside a label; small ones alone are names and marks ("2D15P").
        int tallest = 0;
        for (const Token& t : m_tokens)
            if (t.kind == Kind::Number && !t.status && !t.clock && !t.garbledUnit)
                tallest = std::max(tallest, t.height);
        QList<int> out;
        for (int i = 0; i < m_tokens.size(); ++i) {
            const Token& t = m_tokens.at(i);
            if (t.kind == Kind::Number && !t.status && !t.clock && (!t.garbledUnit || withGarbledUnits || t.height >= tallest * 1.3))
                out.append(i);
        }
        return out;
    }

    // The tallest number stands out from the other numbers, as a meter's main reading does. A
    // screen that shows one pane several times over (a phone's screenshots set side by side)
    // draws its reading as often, on one line: those copies don't contest it.
    bool hasDominantNumber() const
    {
        const QList<int> c = candidates();
        if (c.isEmpty())
            return false;
        int top = c.first();
        for (int i : c)
            if (m_tokens.at(i).height > m_tokens.at(top).height)
                top = i;
        const Token& tallest = m_tokens.at(top);
        const bool copied = shownInCopies(tallest);
        int second = 0;
        for (int i : c) {
            const Token& t = m_tokens.at(i);
            if (i != top && !(copied && t.row == tallest.row && m_words.at(t.word).text == m_words.at(tallest.word).text))
                second = std::max(second, t.height);
        }
        return second == 0 || tallest.height >= second * 1.3;
    }

    // Whether a figure's word stands several times on its line, drawn alike, on a screen where
    // another line repeats another word as many times: one pane shown over and over, not a row
    // of scales.
    bool shownInCopies(const Token& t) const
    {
        const auto copiesOn = [&](int row, const QString& text, int height) {
            return std::count_if(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
                return w.row == row && w.text == text && std::abs(w.textHeight - height) <= 1;
            });
        };
        const ScreenWord& own = m_words.at(t.word);
        const auto n = copiesOn(own.row, own.text, own.textHeight);
        if (n < 2)
            return false;
        return std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
            return w.row != own.row && w.text.size() >= 2 && copiesOn(w.row, w.text, w.textHeight) == n;
        });
    }

    // The unit written after a number: on the number itself, or the next word on its right
    // (possibly smaller and raised, possibly split in two: "°" "C", "k" "Ω").
    std::optional<Unit> unitAfter(const Token& number) const
    {
        if (number.unit)
            return number.unit;
        QList<const Token*> right;
        for (const Token& t : m_tokens) {
            if (&t == &number || t.frame != number.frame)
                continue;
            const int gap = t.box.left() - number.box.right();
            if (gap < -2 || gap > std::max(number.height * 2.2, 12.0))
                continue;
            if (verticalOverlap(t.box, number.box) <= 0)
                continue;
            if (t.height > number.height * 1.5)
                continue;
            right.append(&t);
        }
        // A thin bar a program draws between a figure's field and its unit's ("1.4982879" "I"
        // "V") is neither.
        static const QRegularExpression bar(QStringLiteral("^[|Il!]$"));
        right.removeIf([](const Token* t) { return bar.match(t->text).hasMatch() && t->box.width() * 3 <= t->box.height(); });
        // A small word set over the figure's top edge beside it that is no unit (its range, a
        // note: "Autorange" over "V DC") is passed over where a word stands on the figure's own
        // line after it.
        const auto raisedNote = [&](const Token* t) {
            return t->box.center().y() < number.box.top() && t->height < number.height * 0.6 && t->kind != Kind::Number && !parseUnit(t->text);
        };
        if (std::any_of(right.begin(), right.end(), [&](const Token* t) { return !raisedNote(t); }))
            right.erase(std::remove_if(right.begin(), right.end(), raisedNote), right.end());
        std::sort(right.begin(), right.end(), [](const Token* a, const Token* b) { return a->box.left() < b->box.left(); });
        if (right.isEmpty()) {
            if (std::optional<Unit> below = unitBelow(number))
                return below;
            if (std::optional<Unit> raised = unitRaised(number))
                return raised;
            if (std::optional<Unit> column = unitInColumn(number))
                return column;
            return number.kind == Kind::Overload ? unitPastOverload(number) : std::nullopt;
        }
        // A small raised ring before C or F is a degree sign, whatever it was read as.
        if (right.size() >= 2 && right.first()->height <= right.at(1)->height * 0.7
            && right.at(1)->box.left() - right.first()->box.right() <= number.height) {
            if (auto u = parseUnit(QString(degree) + right.at(1)->text); u && u->base.startsWith(degree))
                return u;
        }
        const Token& next = *right.first();
        // (The next readout's label, its figure right after it, is no unit of this one.)
        const bool labelsNext = next.kind == Kind::Label && std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
            const int gap = t.box.left() - next.box.right();
            return t.kind == Kind::Number && t.row == next.row && gap >= -2 && gap <= std::max(next.height * 2, 12);
        });
        if (next.kind != Kind::Number && !labelsNext) {
            if (auto u = parseUnit(next.text))
                return u;
            // A mark drawn after the unit may read as a slash ("V/"). Set apart from a figure of
            // five digits or more it is no scale per division: no scale is written so finely.
            if (next.text.size() >= 2 && next.text.endsWith(QLatin1Char('/')) && digitCount(number.shown) >= 5)
                if (auto u = parseUnit(next.text.chopped(1)))
                    return u;
            if (right.size() >= 2 && right.at(1)->box.left() - next.box.right() <= number.height)
                if (auto u = parseUnit(next.text + right.at(1)->text))
                    return u;
            // The kind of current written between the figure and its unit, as a meter's log
            // prints its lines ("1.7126 DC V", "0.233 AC mA"): the unit is the word after it.
            const auto after = std::find_if(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
                const int gap = t.box.left() - next.box.right();
                return t.row == number.row && t.kind != Kind::Number && gap >= 0 && gap <= number.height && verticalOverlap(t.box, number.box) > 0;
            });
            if ((next.text == QLatin1String("DC") || next.text == QLatin1String("AC")) && after != m_tokens.end())
                if (auto u = parseUnit(after->text); u && !u->perDivision && (u->base == QLatin1String("V") || u->base == QLatin1String("A"))) {
                    u->current = next.text;
                    return u;
                }
        }
        // On a resistance screen (its mode label or range says so) a small mark the recogniser
        // garbled right after the reading is the ohm sign it has no letter for ("QO", "0)").
        // A supply's protection lamp beside its digits ("OVP", "OCP") is a word of its own, not
        // a garbled mark, though a key labelled BEEP makes the page look like a continuity one;
        // so is its constant-voltage or constant-current lamp ("CV", "C.C").
        static const QRegularExpression regulationLamp(QStringLiteral("^C\\.?[VC]$"), QRegularExpression::CaseInsensitiveOption);
        if (m_ohmScreen && next.text.size() <= 3 && (next.kind != Kind::Number || next.height < number.height * 0.8)
            && !namesSetting(upper(next.text)) && !regulationLamp.match(next.text).hasMatch()) {
            Unit u;
            u.base = QString(omega);
            if (next.text.size() >= 2 && (next.text.front() == QLatin1Char('k') || next.text.front() == QLatin1Char('K')))
                u.prefix = QStringLiteral("k");
            else if (next.text.size() >= 2 && next.text.front() == QLatin1Char('M'))
                u.prefix = QStringLiteral("M");
            return u;
        }
        return next.kind == Kind::Number ? unitBelow(number) : std::nullopt;
    }

    // An overload mark is shorter than the figures its field is laid out for ("OL" where four or
    // five digits would stand), and a display keeps its unit where those digits end: on a
    // program's LCD face some three heights past the mark, where a figure's unit stands under
    // two heights from its last digit. A word that is only a unit, in smaller print, level with
    // the mark within four of its heights and with nothing between them, is the mark's unit.
    std::optional<Unit> unitPastOverload(const Token& mark) const
    {
        const Token* nearest = nullptr;
        for (const Token& t : m_tokens) {
            if (t.kind == Kind::Number || t.frame != mark.frame || t.height > mark.height * 0.6 || verticalOverlap(t.box, mark.box) <= 0)
                continue;
            const int gap = t.box.left() - mark.box.right();
            if (gap < 0 || gap > mark.height * 4 || (nearest && nearest->box.left() <= t.box.left()))
                continue;
            if (const std::optional<Unit> u = readoutUnit(t.text); u && u->text().size() >= 2)
                nearest = &t;
        }
        if (!nearest)
            return std::nullopt;
        const bool between = std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& o) {
            return verticalOverlap(o.box, mark.box) > 0 && o.box.left() > mark.box.right() && o.box.right() < nearest->box.left();
        });
        return between ? std::nullopt : readoutUnit(nearest->text);
    }

    // A table may give its units a column of their own, far to the right of its figures ("3.425"
    // ... "V" on each line, under a "unit" heading): the next thing on the figure's line is a
    // unit alone, and the same unit stands so in its column on two more lines, each after a
    // figure of its own.
    std::optional<Unit> unitInColumn(const Token& number) const
    {
        const auto unitAfterOnLine = [&](const Token& figure) -> const Token* {
            const Token* next = nullptr;
            for (const Token& t : m_tokens)
                if (&t != &figure && t.row == figure.row && t.box.left() > figure.box.right() && (!next || t.box.left() < next->box.left()))
                    next = &t;
            return next && next->kind == Kind::Word && !next->text.isEmpty() && next->text.at(0).isLetter() && parseUnit(next->text) ? next : nullptr;
        };
        const Token* unit = number.kind == Kind::Number ? unitAfterOnLine(number) : nullptr;
        if (!unit)
            return std::nullopt;
        int alike = 0;
        for (const Token& t : m_tokens) {
            if (t.kind != Kind::Number || t.row == number.row || t.unit)
                continue;
            const Token* other = unitAfterOnLine(t);
            alike += other && other->text == unit->text && std::abs(other->box.left() - unit->box.left()) <= std::max(unit->height, 4);
        }
        return alike >= 2 ? parseUnit(unit->text) : std::nullopt;
    }

    // A meter's display may raise its unit into the corner over the end of its large digits
    // ("mV" over the right end of "75.23"): a word that is only a unit, far smaller, just past
    // the digits' end and just above their top, with nothing beside the digits.
    std::optional<Unit> unitRaised(const Token& number) const
    {
        if (digitCount(number.shown) < 2)
            return std::nullopt;
        for (const Token& t : m_tokens) {
            if (t.kind == Kind::Number || t.frame != number.frame || t.height > number.height * 0.4)
                continue;
            const int above = number.box.top() - t.box.bottom();
            const int past = t.box.left() - number.box.right();
            if (above < 0 || above > number.height * 0.3 || past < -number.height || past > number.height * 0.5)
                continue;
            if (const std::optional<Unit> u = readoutUnit(t.text); u && u->text().size() >= 2)
                return u;
        }
        return std::nullopt;
    }

    // A program's large reading may show its unit as a line of its own right under the digits
    // ("231.5" over "VAC"): a word that is only a unit, smaller, within the reading's width and
    // less than its height below it. A lone digit is as likely a crumb of a drawing or a photo
    // as a reading: a mark under it is no unit of it.
    std::optional<Unit> unitBelow(const Token& number) const
    {
        for (const Token& t : m_tokens) {
            if (t.kind == Kind::Number || t.frame != number.frame || t.height > number.height * 0.6 || digitCount(number.shown) < 2)
                continue;
            const int below = t.box.top() - number.box.bottom();
            if (below < -2 || below > number.height || t.box.center().x() < number.box.left() || t.box.center().x() > number.box.right())
                continue;
            if (const std::optional<Unit> u = readoutUnit(t.text); u && u->text().size() + u->current.size() >= 2)
                return u;
        }
        // Or spelt out, alone on the next line under it ("0.38" over "Volts"), centred in the
        // readout's box rather than under the digits. A page of several readouts side by side
        // captions each so ("25.0" over "Volts", "41.5 %" over "Load" on the same line): there
        // the word must stand under the figure itself.
        for (const Token& t : m_tokens) {
            const int below = t.box.top() - number.box.bottom();
            if (t.kind == Kind::Number || spelledUnit(t.text).isEmpty() || t.height > number.height * 0.7 || below < -2
                || below > number.height * 1.5)
                continue;
            const bool alone = std::none_of(m_tokens.begin(), m_tokens.end(), [&](const Token& o) { return &o != &t && o.row == t.row; });
            const bool underFigure = t.frame == number.frame && digitCount(number.shown) >= 2 && t.box.center().x() >= number.box.left()
                                     && t.box.center().x() <= number.box.right();
            if (alone || underFigure)
                return parseUnit(t.text);
        }
        return unitColumn(number);
    }

    // A logging program's table gives the value and its unit columns of their own, each under
    // its heading ("Value:" over "0", "Unit:" over "A"): the unit is the word on the value's line
    // under a "Unit" heading. The unit's column may stand before the value's ("Unit" "Value"
    // over "VDC" "0.0015"), where the heading says as much.
    std::optional<Unit> unitColumn(const Token& number) const
    {
        static const QStringList headings = {QStringLiteral("UNIT"), QStringLiteral("UNITS"), QStringLiteral("EINHEIT"), QStringLiteral("UNIDAD"),
                                             QStringLiteral("UNITÉ")};
        for (const Token& t : m_tokens) {
            if (t.kind == Kind::Number || verticalOverlap(t.box, number.box) <= 0 || t.box.intersects(number.box))
                continue;
            const std::optional<Unit> u = readoutUnit(t.text);
            if (!u)
                continue;
            for (const Token& h : m_tokens) {
                const QString heading = upperName(h.text);
                const int above = t.box.top() - h.box.bottom();
                if (headings.contains(heading) && above >= -2 && above <= std::max(h.height, t.height) * 3 && horizontalOverlap(h.box, t.box) > 0)
                    return u;
            }
        }
        return std::nullopt;
    }

    // A scopemeter sets a qualifier of a reading's unit ("rms") in small print over or under the
    // unit written after the figure ("415.4" then "rms" over "mV~"): the label is that figure's,
    // however close the next reading's figure stands to it.
    bool qualifiesUnitOf(const Token& label, const Token& number) const
    {
        if (!m_scope || number.unit)
            return false;
        return std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& u) {
            if (u.kind != Kind::Word || u.word == number.word || u.word == label.word || u.frame != number.frame)
                return false;
            const std::optional<Unit> unit = parseUnit(u.text);
            if (!unit || unit->perDivision || unit->base.isEmpty() || unit->base == QLatin1String("%"))
                return false;
            const int after = u.box.left() - number.box.right();
            const int gap = std::max(u.box.top() - label.box.bottom(), label.box.top() - u.box.bottom());
            return verticalOverlap(u.box, number.box) >= u.box.height() * 0.8 && after >= -2 && after <= number.height * 0.6
                   && horizontalOverlap(label.box, u.box) >= std::min(label.box.width(), u.box.width()) / 2 && gap >= -2
                   && gap <= std::max(label.height, u.height) && label.height < number.height * 0.6;
        });
    }

    // Labels and values are paired where each sits nearest the other: beside on one line, then
    // below, then above, never across the edge of a box. Cheapest pairs first.
    QMap<int, QString> pairLabels(const QList<int>& numbers) const
    {
        struct Pair {
            double cost;
            int label, number;
        };
        QList<Pair> pairs;
        for (int li = 0; li < m_tokens.size(); ++li) {
            const Token& l = m_tokens.at(li);
            if (l.kind != Kind::Label)
                continue;
            for (int ni : numbers) {
                const Token& n = m_tokens.at(ni);
                if (l.frame != n.frame || (n.unit && !n.unit->perDivision && !measures(l.label, *n.unit)))
                    continue;
                const double h = std::max({l.height, n.height, 1});
                double cost = -1;
                if (qualifiesUnitOf(l, n)) {
                    pairs.append({0, li, ni});
                    continue;
                }
                if (verticalOverlap(l.box, n.box) >= std::min(l.box.height(), n.box.height()) * 0.4) {
                    const int dx = n.box.left() - l.box.right();
                    if (dx >= -2 && dx <= h * 6)
                        cost = dx / h;
                    else if (dx < -2 && l.box.left() - n.box.right() >= -2 && l.box.left() - n.box.right() <= h * 3)
                        cost = 1.5 + (l.box.left() - n.box.right()) / h;
                } else if (horizontalOverlap(l.box, n.box) > 0 || std::abs(l.box.center().x() - n.box.center().x()) <= h * 1.5) {
                    const int below = n.box.top() - l.box.bottom();
                    const int above = l.box.top() - n.box.bottom();
                    if (below >= -2 && below <= h * 3)
                        cost = 0.3 + below / h;
                    else if (above >= -2 && above <= h * 3)
                        cost = 0.6 + above / h;
                }
                if (cost >= 0)
                    pairs.append({cost, li, ni});
            }
        }
        std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.cost < b.cost; });
        QMap<int, QString> labelOf;
        QSet<int> usedLabels;
        for (const Pair& p : pairs) {
            if (usedLabels.contains(p.label) || labelOf.contains(p.number))
                continue;
            usedLabels.insert(p.label);
            labelOf.insert(p.number, m_tokens.at(p.label).label);
        }
        return labelOf;
    }

    Reading reading() const
    {
        Reading r;
        QList<int> numbers = candidates();
        // The dominant number takes no label: labels belong to the smaller values around it.
        int dominant = -1;
        if (!m_scope && hasDominantNumber()) {
            for (int i : numbers)
                if (dominant < 0 || m_tokens.at(i).height > m_tokens.at(dominant).height)
                    dominant = i;
        }
        // Limits and measurements whose unit came out garbled still pair with their labels.
        QList<int> pairable = candidates(true);
        pairable.removeAll(dominant);
        const QMap<int, QString> labelOf = pairLabels(pairable);

        // An overload mark drawn at least as large as any number is the reading.
        std::optional<Token> overload;
        for (const Token& t : m_tokens)
            if (t.kind == Kind::Overload && (!overload || t.height > overload->height))
                overload = t;

        std::optional<int> main;
        if (m_scope) {
            for (auto it = labelOf.begin(); it != labelOf.end() && !main; ++it)
                if (it.value() == QLatin1String("VPP"))
                    main = it.key();
            if (main) {
                r.label = QStringLiteral("VPP");
            } else {
                // The peak-to-peak label garbled: the one voltage in the strip that no other
                // label claims is the peak-to-peak value. In the strip: on a line or in a column
                // with readouts whose labels were read, each value with its unit (a trigger level
                // in a side panel is no readout, nor a scrap of a window's title a label's
                // lookalike stands before, nor a channel's scale in the bar on the screen's edge
                // under a strip). A voltage shown with a minus is no peak to peak: it is a minimum
                // or a mean whose label was lost ("Min[1]=-159.99mV").
                QList<int> unclaimed;
                for (int i : numbers) {
                    const std::optional<Unit> u = unitAfter(m_tokens.at(i));
                    const bool inStrip = std::any_of(labelOf.keyBegin(), labelOf.keyEnd(),
                                                     [&](int k) {
                                                         const QRect& a = m_tokens.at(k).box;
                                                         const QRect& b = m_tokens.at(i).box;
                                                         return (verticalOverlap(a, b) > 0 || std::min(a.right(), b.right()) >= std::max(a.left(), b.left()))
                                                                && unitAfter(m_tokens.at(k)) && onScreenEdge(a) == onScreenEdge(b);
                                                     });
                    if (u && u->base == QLatin1String("V") && !u->perDivision && !labelOf.contains(i) && inStrip)
                        unclaimed.append(i);
                }
                if (unclaimed.size() == 1 && m_tokens.at(unclaimed.first()).value >= 0) {
                    main = unclaimed.first();
                    r.label = QStringLiteral("VPP");
                    r.labelGuessed = true;
                }
            }
            for (const QString& wanted : {QStringLiteral("FREQ"), QStringLiteral("RMS")}) {
                for (auto it = labelOf.begin(); it != labelOf.end() && !main; ++it)
                    if (it.value() == wanted)
                        main = it.key();
                if (main && r.label.isEmpty())
                    r.label = wanted;
            }
        }
        // Elsewhere (and on a scope that shows no readout at all, whose reading is then judged
        // like a meter's) the number drawn largest.
        if (!main) {
            // A lone digit without a unit is more likely a crumb of a chart or an icon than a
            // reading; it is one only where nothing else is.
            const auto crumb = [&](int i) { return m_tokens.at(i).text.size() == 1 && !unitAfter(m_tokens.at(i)); };
            if (!std::all_of(numbers.begin(), numbers.end(), crumb))
                numbers.erase(std::remove_if(numbers.begin(), numbers.end(), crumb), numbers.end());
            int tallest = 0;
            for (int i : numbers)
                if (!labelOf.contains(i))
                    tallest = std::max(tallest, m_tokens.at(i).height);
            // A figure without a unit drawn hardly larger than one with a unit (an axis label,
            // a counter) does not hide it: only one drawn far larger is a reading whose unit was lost.
            int tallestWithUnit = 0;
            for (int i : numbers)
                if (!labelOf.contains(i) && unitAfter(m_tokens.at(i)))
                    tallestWithUnit = std::max(tallestWithUnit, m_tokens.at(i).height);
            if (tallestWithUnit > 0 && tallest < tallestWithUnit * 1.3)
                tallest = tallestWithUnit;
            std::optional<Unit> bestUnit;
            for (int i : numbers) {
                const Token& t = m_tokens.at(i);
                if (labelOf.contains(i) || t.height < tallest * 0.9)
                    continue;
                if (!main) {
                    main = i;
                    continue;
                }
                // Among numbers drawn alike, one with a unit; of two with units on a screen
                // laid out as drawn the first (a supply's voltage before its current); else the
                // one with more digits.
                const Token& best = m_tokens.at(*main);
                const bool hasUnit = unitAfter(t).has_value(), bestHasUnit = unitAfter(best).has_value();
                const bool firstStands = hasUnit && bestHasUnit && sizesKnown();
                if ((hasUnit && !bestHasUnit) || (hasUnit == bestHasUnit && !firstStands && digitCount(t.shown) > digitCount(best.shown)))
                    main = i;
            }
        }
        // A program's tiles of statistics, each figure captioned under it with what it is
        // ("41.37 mA" over "average", "46.14 mA" over "max") beside a time or a count drawn
        // alike: the figure without a unit is no reading, and the first tile that measures the
        // signal is (its limits are the tiles labelled so). A label before its figure names a
        // setting as often ("Frequency: 968Hz" on a generator's page).
        const auto captionedUnder = [&](const Token& t, const QString& label) {
            return std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& l) {
                const int gap = l.box.top() - t.box.bottom();
                return l.kind == Kind::Label && l.label == label && gap >= -2 && gap <= t.height && horizontalOverlap(l.box, t.box) > 0
                       && l.height < t.height;
            });
        };
        // (The figure passed over may be a time, unlabelled, which alone is no measurement either.)
        const std::optional<Unit> mainUnit = main ? unitAfter(m_tokens.at(*main)) : std::nullopt;
        if (!m_scope && main && (!mainUnit || mainUnit->base == QLatin1String("s"))) {
            for (auto it = labelOf.begin(); it != labelOf.end(); ++it) {
                const Token& t = m_tokens.at(it.key());
                const std::optional<Unit> u = unitAfter(t);
                if (it.value() == QLatin1String("MIN") || it.value() == QLatin1String("MAX") || !u || u->perDivision
                    || t.height < m_tokens.at(*main).height * 0.9 || !captionedUnder(t, it.value()))
                    continue;
                main = it.key();
                r.label = it.value();
                r.tile = true;
                break;
            }
        }
        if (overload && (!main || overload->height >= m_tokens.at(*main).height * 0.9)) {
            r.overload = true;
            r.overloadToken = overload;
            r.unit = unitAfter(*overload);
            return r;
        }
        if (!main)
            return r;
        r.main = m_tokens.at(*main);
        r.unit = unitAfter(*r.main);
        // A scope's voltage measurement whose unit lost its letter after the prefix ("656m"
        // under Vpp): the measurement's own label tells the quantity, the prefix its size.
        static const QRegularExpression prefixOnly(QStringLiteral("^[-+]?\\d+(?:[.,]\\d+)?([mku\u00B5])$"));
        if (const auto m = prefixOnly.match(r.main->text);
            !r.unit && m_scope && m.hasMatch() && (r.label == QLatin1String("VPP") || r.label == QLatin1String("RMS"))) {
            const QChar p = m.captured(1).front();
            r.unit = Unit{p == QLatin1Char('u') ? QString(micro) : QString(p), QStringLiteral("V"), QString(), false};
        }
        // A bare F on a temperature screen is degrees Fahrenheit with the ring lost.
        if (r.unit && r.unit->base == QLatin1String("F") && r.unit->prefix.isEmpty()
            && screenSays({QStringLiteral("TEMP"), QStringLiteral("TEMPERATURE")}) && !screenSays({QStringLiteral("CAP"), QStringLiteral("CAPACITANCE")}))
            r.unit->base = QString(degree) + QLatin1Char('F');
        if (r.unit && (r.unit->perDivision || r.unit->base == QLatin1String("%")))
            r.unit.reset();
        if (!m_scope)
            mendReadingBetweenLimits(r, labelOf, *main);
        int minToken = -1, maxToken = -1;
        for (auto it = labelOf.begin(); it != labelOf.end(); ++it) {
            if (it.key() == *main || (it.value() != QLatin1String("MIN") && it.value() != QLatin1String("MAX")))
                continue;
            // A scope's "High" and "Low" are measurements of the signal's top and base levels
            // ("High 6.00mV" beside "Amplitude 14.0mV"), not limits of the reading; its channel's
            // badge may be read as a letter glued before them ("QHigh").
            static const QRegularExpression level(QStringLiteral("^[A-Z]?(?:HIGH|LOW)[:=]?$"));
            if (const int l = it.key() - 1; m_scope && l >= 0 && m_tokens.at(l).kind == Kind::Label && level.match(upper(m_tokens.at(l).text)).hasMatch())
                continue;
            // Nor is a cursor's readout one: its delta read as an A, glued after the one of
            // "1/" ("1/ΔX=445.45kHz" read as "1iAX445.45kHz", one letter off "MAX").
            if (const int l = it.key() - 1; l >= 1 && m_tokens.at(l).kind == Kind::Label && m_tokens.at(l - 1).kind == Kind::Number
                                             && m_tokens.at(l - 1).word == m_tokens.at(l).word) {
                static const QRegularExpression delta(QStringLiteral("^[A-Z]?A[XY]$"));
                const QString text = upper(m_tokens.at(l).text);
                if (delta.match(text).hasMatch() && text != QLatin1String("MAX"))
                    continue;
            }
            // Nor is a charge or energy tally's limit one ("max" over "48,9088" "mWh"): a tally
            // is never the reading, and neither are its limits.
            if (const int n = it.key() + 1; n < m_tokens.size() && m_tokens.at(n).row == m_tokens.at(it.key()).row
                                             && isTallyUnit(m_tokens.at(n).text))
                continue;
            // A limit is the reading's own: one in another unit, far from the reading, belongs to
            // another readout (a unit close by may be small print's misreading: "3.98Ω" for V).
            if (const std::optional<Unit> own = unitAfter(m_tokens.at(it.key())); own && r.unit && own->base != r.unit->base) {
                const double ratio = std::abs(m_tokens.at(it.key()).value) / std::max(1e-12, std::abs(r.main->value));
                if (ratio > 2 || ratio < 0.5)
                    continue;
                // Nor is it a misreading where a readout of its own in that unit, drawn larger
                // than the limit, stands on the screen: a panel of several readouts, each with
                // its limits under it ("7,400 V" with "13,704 Ω" beside it, "13,700 Ω" under).
                const Token& limit = m_tokens.at(it.key());
                const bool ownReadout = std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
                    const std::optional<Unit> u = t.kind == Kind::Number && t.box != limit.box ? unitAfter(t) : std::nullopt;
                    return u && !u->perDivision && u->base == own->base && t.height >= limit.height * 1.3;
                });
                // (Or the figure taken for a limit is itself such a readout, drawn about as
                // large as the reading, its limit's label under it: "13,704 Ω" over "max".)
                if (ownReadout || limit.height >= r.main->height * 0.8)
                    continue;
            }
            double v = limitValue(m_tokens.at(it.key()), *r.main, r.unit);
            const bool isMin = it.value() == QLatin1String("MIN");
            if (!m_scope && (isMin ? v > r.main->value : v < r.main->value))
                v = orderedLimit(m_tokens.at(it.key()), *r.main, r.unit, isMin).value_or(v);
            if (it.value() == QLatin1String("MIN") && !r.minValue) {
                r.minValue = v;
                minToken = it.key();
            } else if (it.value() == QLatin1String("MAX") && !r.maxValue) {
                r.maxValue = v;
                maxToken = it.key();
            }
        }
        // A scope's limits lie where the signal does, not near its peak to peak: a maximum and a
        // minimum shown in volts beside a peak to peak in millivolts (a small ripple on a rail,
        // "Max=15.3V Min=14.9V Vpp=440mV") are in volts, as their difference says.
        if (m_scope && r.label == QLatin1String("VPP") && r.unit && minToken >= 0 && maxToken >= 0) {
            auto inReadingUnit = [&](int token) {
                const Token& t = m_tokens.at(token);
                const std::optional<Unit> own = unitAfter(t);
                return own && own->base == r.unit->base ? t.value * prefixFactor(own->prefix) / prefixFactor(r.unit->prefix) : t.value;
            };
            const double high = inReadingUnit(maxToken), low = inReadingUnit(minToken), vpp = r.main->value;
            if (std::abs(high - low - vpp) <= std::abs(vpp) * 0.1 && std::abs(*r.maxValue - *r.minValue - vpp) > std::abs(vpp) * 0.1) {
                r.maxValue = std::round(high * 1e9) / 1e9;
                r.minValue = std::round(low * 1e9) / 1e9;
            }
        }
        // A meter's minimum and maximum are of the readings it took, the one shown among them: a
        // limit on the wrong side of the reading, which no mending above put right, is another
        // readout's (a power's maximum beside a voltage) or misread, and is not given.
        if (!m_scope && r.maxValue && *r.maxValue < r.main->value)
            r.maxValue.reset();
        if (!m_scope && r.minValue && *r.minValue > r.main->value)
            r.minValue.reset();
        // A scope's peak to peak is its maximum less its minimum. A minimum read above zero that
        // only fits that as a negative one lost its minus sign in small print ("Min 4.1V" beside
        // "Max 3.9V" and "Vpp 8.1V").
        if (m_scope && r.label == QLatin1String("VPP") && r.minValue && r.maxValue && *r.minValue > 0 && r.main->value > 0) {
            const double vpp = r.main->value, tolerance = vpp * 0.05;
            if (std::abs(*r.maxValue - *r.minValue - vpp) > tolerance && std::abs(*r.maxValue + *r.minValue - vpp) <= tolerance)
                r.minValue = -*r.minValue;
        }
        return r;
    }

    // A meter's reading lies between its minimum and its maximum. When both limits agree and the
    // reading falls outside them, the reading lost its minus sign ("1.338" between -1.401 and
    // -1.302) or its decimal point ("777" between 7.61 and 7.9, the limits showing where the
    // point goes); either is mended only when it puts the reading between them.
    void mendReadingBetweenLimits(Reading& r, const QMap<int, QString>& labelOf, int main) const
    {
        const Token* minToken = nullptr;
        const Token* maxToken = nullptr;
        for (auto it = labelOf.begin(); it != labelOf.end(); ++it) {
            if (it.key() == main)
                continue;
            if (it.value() == QLatin1String("MIN") && !minToken)
                minToken = &m_tokens.at(it.key());
            else if (it.value() == QLatin1String("MAX") && !maxToken)
                maxToken = &m_tokens.at(it.key());
        }
        if (!minToken || !maxToken)
            return;
        const double lo = limitValue(*minToken, *r.main, r.unit), hi = limitValue(*maxToken, *r.main, r.unit);
        const double v = r.main->value;
        if (lo > hi || (lo <= v && v <= hi))
            return;
        if (v > 0 && lo <= -v && -v <= hi) {
            r.main->value = -v;
            r.main->shown.prepend(QLatin1Char('-'));
            return;
        }
        const int d = decimalPlaces(minToken->shown);
        if (r.main->shown.contains(QLatin1Char('.')) || d == 0 || d != decimalPlaces(maxToken->shown))
            return;
        const qsizetype digits = r.main->shown.size() - (r.main->shown.startsWith(QLatin1Char('-')) ? 1 : 0);
        if (digits <= d)
            return;
        const double shifted = v / std::pow(10.0, d);
        if (lo <= shifted && shifted <= hi) {
            r.main->shown.insert(r.main->shown.size() - d, QLatin1Char('.'));
            r.main->value = r.main->shown.toDouble();
        }
    }

    // A meter's minimum is never above its reading nor its maximum below it. A limit on the
    // wrong side had a zero misread: a dotted or slashed zero comes out as a 3, 6 or 8 in small
    // print ("Min 689" beside 654 V). Of the figures one such digit away that fall on the right
    // side, the one nearest the reading is taken; none, and the limit stays as read.
    std::optional<double> orderedLimit(const Token& t, const Token& main, const std::optional<Unit>& unit, bool isMin) const
    {
        std::optional<double> best;
        for (qsizetype i = 0; i < t.shown.size(); ++i) {
            const QChar c = t.shown.at(i);
            if (c != QLatin1Char('3') && c != QLatin1Char('6') && c != QLatin1Char('8'))
                continue;
            Token zeroed = t;
            zeroed.shown[i] = QLatin1Char('0');
            // No figure is drawn with a zero before its other whole digits.
            static const QRegularExpression leadingZero(QStringLiteral("^-?0\\d"));
            if (leadingZero.match(zeroed.shown).hasMatch())
                continue;
            zeroed.value = zeroed.shown.toDouble();
            const double v = limitValue(zeroed, main, unit);
            if ((isMin ? v > main.value : v < main.value) || (best && std::abs(v - main.value) >= std::abs(*best - main.value)))
                continue;
            best = v;
        }
        return best;
    }

    // A MIN or MAX in the reading's unit. Limits sit near the reading and are shown in its
    // format, which mends two recogniser slips: a prefix misread on the limit's unit (the raw
    // figure is far closer to the reading than the converted one), and a decimal point lost in
    // small print (the figure has the reading's digits but no point).
    double limitValue(const Token& t, const Token& main, const std::optional<Unit>& unit) const
    {
        // (A limit on the other side of zero from the reading, a minimum of -1.01149 V beside
        // 918.38 mV, is judged by its size: its sign says nothing of its prefix.)
        auto distance = [&](double v) {
            if (v == 0 || main.value == 0)
                return std::abs(v - main.value) / std::max(1.0, std::abs(main.value)) + 10;
            return std::abs(std::log10(std::abs(v / main.value))) + ((v < 0) != (main.value < 0) ? 10 : 0);
        };
        double v = t.value;
        // A limit of a negative reading shown with a plus is a minus the recogniser misread.
        if (main.value < 0 && t.text.startsWith(QLatin1Char('+')))
            v = -v;
        const std::optional<Unit> own = unitAfter(t);
        if (own && unit && own->base == unit->base && own->prefix != unit->prefix) {
            const double converted = v * prefixFactor(own->prefix) / prefixFactor(unit->prefix);
            if (distance(converted) <= distance(v))
                v = converted;
        }
        const qsizetype point = main.shown.indexOf(QLatin1Char('.'));
        if (!t.shown.contains(QLatin1Char('.')) && point >= 0 && distance(v) > 0.5) {
            const int decimals = int(main.shown.size() - point - 1);
            const double shifted = v / std::pow(10.0, decimals);
            if (distance(shifted) < 0.3)
                v = shifted;
        }
        return std::round(v * 1e9) / 1e9;
    }

    int medianTextHeight() const
    {
        QList<int> heights;
        for (const ScreenWord& w : m_words)
            heights.append(w.textHeight);
        if (heights.isEmpty())
            return 0;
        std::sort(heights.begin(), heights.end());
        return heights.at(heights.size() / 2);
    }

    // A generator's panel stacks its fields: the wave's shape and amplitude on one line, its
    // frequency (and offsets) in the fields under it, each often in an entry box drawn larger
    // than the panel's text. A figure right under a line naming the wave's shape or amplitude,
    // in its columns, is what the generator is set to put out, however large it is drawn.
    bool underGeneratorFields(const Token& figure) const
    {
        static const QRegularExpression named(QStringLiteral("AMPLITUDE|SHAPE|WAVEFORM|WAVETYPE"), QRegularExpression::CaseInsensitiveOption);
        return std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
            const int above = figure.box.top() - w.box.bottom();
            return w.row < figure.row && above >= -2 && above <= figure.height * 2 && horizontalOverlap(w.box, figure.box) > 0
                   && (named.match(w.text).hasMatch() || isGeneratorMark(w.text));
        });
    }

    // A dialog's "Cancel" button: the dialog asks for settings (a connection, a decoder's, a
    // waveform to create), and what it shows is what would be set, drawn as large as it likes
    // and in front of any window that measures.
    bool dialogOnScreen() const
    {
        return std::any_of(m_words.begin(), m_words.end(),
                           [](const ScreenWord& w) { return w.text.compare(QLatin1String("Cancel"), Qt::CaseInsensitive) == 0; });
    }

    // Words of a generator's settings, three kinds of them or more, on a screen without a
    // scope's scale marks.
    bool generatorSettings() const
    {
        if (hasScopeMarks(m_words))
            return false;
        // A power in decibels named as a level ("Level -10.00 dBm", "RF Level: 5 dBm") is what a
        // signal generator puts out (or an analyser's reference): a power meter names its reading
        // as power or not at all.
        static const QRegularExpression levelWord(QStringLiteral("^(?:RF|REF)?-?(?:LEVEL|LEV|LVL)[:=]?$"));
        for (int k = 0; k + 1 < m_tokens.size(); ++k) {
            const Token& name = m_tokens.at(k);
            const Token& figure = m_tokens.at(k + 1);
            if (figure.kind == Kind::Number && figure.unit && figure.unit->base == QLatin1String("dBm") && figure.row == name.row
                && levelWord.match(upper(name.text)).hasMatch() && figure.box.left() - name.box.right() <= std::max(name.height, figure.height) * 3)
                return true;
        }
        // A page titled as a generator that offers wave shapes ("Signal Generator" over "SIN SQU
        // SAW") shows what it puts out, however few of its fields are named.
        static const QStringList shapes = {QStringLiteral("SIN"), QStringLiteral("SINE"), QStringLiteral("SQU"), QStringLiteral("SQUARE"),
                                           QStringLiteral("SAW"), QStringLiteral("SAWTOOTH"), QStringLiteral("TRI"),
                                           QStringLiteral("TRIANGLE"), QStringLiteral("RAMP")};
        const auto named = [&](auto&& test) { return std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) { return test(upper(w.text)); }); };
        if (named([](const QString& u) { return u.endsWith(QLatin1String("GENERATOR")); }) && named([](const QString& u) { return shapes.contains(u); }))
            return true;
        return generatorKinds() >= 3;
    }

    // How many kinds of a generator's settings the screen's words name (its wave's shape, its
    // amplitude, offset, phase, sweep...).
    int generatorKinds() const
    {
        static const QList<QStringList> kinds = {
            {QStringLiteral("PHASE")},
            {QStringLiteral("OFFSET")},
            {QStringLiteral("AMPLITUDE"), QStringLiteral("AMPLIFIER"), QStringLiteral("AMPL")},
            {QStringLiteral("SYMMETRY"), QStringLiteral("SYMM")},
            {QStringLiteral("WAVETYPE"), QStringLiteral("WAVEFORM"), QStringLiteral("WAVE"), QStringLiteral("CARRIER")},
            {QStringLiteral("BURST")},
            {QStringLiteral("SWEEP")},
            {QStringLiteral("MODULATION"), QStringLiteral("MOD")},
            {QStringLiteral("SINE"), QStringLiteral("SQUARE"), QStringLiteral("RAMP"), QStringLiteral("PULSE"), QStringLiteral("ARB"),
             QStringLiteral("TRIANGLE")},
            {QStringLiteral("HIGHZ"), QStringLiteral("HIGH-Z"), QStringLiteral("HI-Z")},
        };
        int found = 0;
        for (const QStringList& kind : kinds)
            found += std::any_of(m_words.begin(), m_words.end(), [&](const ScreenWord& w) {
                QString u = upper(w.text);
                while (u.endsWith(QLatin1Char(':')) || u.endsWith(QLatin1Char('=')))
                    u.chop(1);
                return kind.contains(u);
            });
        return found;
    }

    bool screenSays(const QStringList& words) const
    {
        for (const Token& t : m_tokens) {
            QString u = upper(t.text);
            // Mode words in small print with a zero for an O or a one for an I ("C0NTINUITY").
            if (std::any_of(u.begin(), u.end(), [](QChar c) { return c.isLetter(); }))
                u.replace(QLatin1Char('0'), QLatin1Char('O')).replace(QLatin1Char('1'), QLatin1Char('I'));
            for (const QString& w : words)
                if (u == w || u == w + QLatin1Char(':'))
                    return true;
            // A long mode word with one letter misread ("DIGDE", "CONTINUTY") still names it; no
            // other word on a meter's screen is that close to one.
            if (t.kind == Kind::Word)
                for (const QString& w : words)
                    if (w.size() >= 5 && u.size() >= 5 && editDistance(u, w) <= 1)
                        return true;
        }
        return false;
    }

    // Whether a figure with its unit follows a word on its line: the word is that figure's name.
    bool figureBeside(const Token& name) const
    {
        return std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
            return t.kind == Kind::Number && t.row == name.row && t.box.left() > name.box.right() && unitAfter(t);
        });
    }

    // AC or DC from the screen's own marks: "AC", "ACV", "V~", "TRMS", or the unit's own mark.
    bool alternating(const Reading& r) const
    {
        if (r.unit && !r.unit->current.isEmpty())
            return r.unit->current == QLatin1String("AC");
        for (const Token& t : m_tokens) {
            const QString u = upper(t.text);
            // (A quantity named as alternating on a line of its own with its figure, "ACVoltage
            // 234,7V" in a list under "DC1Voltage 105,5V", names that figure, not the reading.)
            // (Or read apart from its name: "AC" "Voltage" "234,7V".)
            static const QRegularExpression acName(QStringLiteral("^AC(VOLTAGE|CURRENT|VOLTS|AMPS)$"));
            const qsizetype k = &t - m_tokens.data();
            const bool nameAfter = u == QLatin1String("AC") && k + 1 < m_tokens.size() && m_tokens.at(k + 1).row == t.row
                                   && acName.match(u + upper(m_tokens.at(k + 1).text)).hasMatch();
            if ((acName.match(u).hasMatch() || nameAfter) && r.main && t.row != r.main->row && figureBeside(t))
                continue;
            // A wave mark alone says AC only beside the reading: elsewhere it is a knob's, a
            // waveform button's or a menu's drawing.
            if (u == QLatin1String("~") && !(r.main && std::abs(t.box.center().y() - r.main->box.center().y()) <= r.main->box.height() * 2))
                continue;
            if (u == QLatin1String("AC") || u.startsWith(QLatin1String("ACV")) || u.startsWith(QLatin1String("ACA")) || u == QLatin1String("VAC")
                || u == QLatin1String("TRMS") || u == QLatin1String("V~") || u == QLatin1String("AC~")
                || u.startsWith(QLatin1String("AC-")) || u == QLatin1String("AAC") || u == QLatin1String("MAAC"))
                return true;
            // A logging program lists the meter's flags after each reading, in brackets and
            // commas ("127 V [AC, Auto, Max]"): on the reading's own line, its AC flag says so.
            static const QRegularExpression flag(QStringLiteral("^[(\\[]?AC[,;)\\]]?$"));
            if (r.main && t.row == r.main->row && u != QLatin1String("AC") && flag.match(u).hasMatch() && t.box.left() > r.main->box.right())
                return true;
            // Some programs write the kind with a slash, after the quantity or alone ("Current
            // A/C", "VoltageA/C"; "D/C" for direct).
            if (t.kind == Kind::Word && u.endsWith(QLatin1String("A/C")))
                return true;
            // Mode labels the recogniser ran together ("TRMSAC", "VAC~", "ACmV", "ACmA", "AC CURRENT").
            if (t.kind == Kind::Word && u.size() <= 7 && (u.startsWith(QLatin1String("TRMS")) || u.endsWith(QLatin1String("AC"))))
                return true;
            static const QRegularExpression acFirst(QStringLiteral("^AC(M|U|P|µ)?(V|A|Y)$|^AC(VOLTAGE|CURRENT|VOLTS|AMPS)$"));
            if (t.kind == Kind::Word && acFirst.match(u).hasMatch())
                return true;
            // A title run together with a letter misread or doubled ("AcCVoltage", "ACCURENT").
            if (t.kind == Kind::Word && u.startsWith(QLatin1String("AC")) && u.size() >= 8
                && (editDistance(u, QStringLiteral("ACVOLTAGE")) <= 1 || editDistance(u, QStringLiteral("ACCURRENT")) <= 1)
                && !(r.main && t.row != r.main->row && figureBeside(t)))
                return true;
        }
        return false;
    }

    QString modeFor(const Reading& r) const
    {
        const QString base = r.unit ? r.unit->base : QString();
        // (No scope measures a conductance: a meter's trend chart is what looked like a trace.)
        if ((m_scope || r.signalReadout) && base != QLatin1String("S"))
            return QStringLiteral("Oscilloscope");
        const bool ac = alternating(r);
        // A function label that names the quantity alone ("VOLT", "CURR") leaves its kind
        // unsaid, unless the screen marks it direct elsewhere, or shows volts, amperes and watts
        // together as a supply or a load does (whose output is direct).
        static const QStringList direct = {QStringLiteral("DC"), QStringLiteral("DCV"), QStringLiteral("VDC"), QStringLiteral("DCA"),
                                           QStringLiteral("ADC"), QStringLiteral("DCI")};
        auto shows = [&](const QString& unitBase) {
            return std::any_of(m_tokens.begin(), m_tokens.end(), [&](const Token& t) {
                if (t.kind != Kind::Number)
                    return false;
                const std::optional<Unit> u = unitOutsideField(t);
                return u && !u->perDivision && u->base == unitBase;
            });
        };
        const bool supply = shows(QStringLiteral("V")) && shows(QStringLiteral("A")) && shows(QStringLiteral("W"));
        auto kindUnsaid = [&](const QStringList& quantity) { return !ac && !supply && screenSays(quantity) && !screenSays(direct); };
        if (base == QLatin1String("V")) {
            if (screenSays({QStringLiteral("DIODE")}))
                return QStringLiteral("Diode");
            // (Nor does a battery's list of its cells, a voltage of no meter's function; a meter's
            // log leads each of its lines with a count or a time stamp, a cell's line with its
            // name.)
            const auto lead = std::find_if(m_words.begin(), m_words.end(), [&](const ScreenWord& w) { return r.main && w.row == r.main->row; });
            const bool cells = !ac && firstOfListedPeers(r) && lead != m_words.end()
                               && (int(lead - m_words.begin()) == r.main->word || lead->text.isEmpty() || !lead->text.front().isDigit());
            if (kindUnsaid({QStringLiteral("VOLT"), QStringLiteral("VOLTS")}) || cells)
                return QStringLiteral("Measurement");
            return ac ? QStringLiteral("AC Voltage") : QStringLiteral("DC Voltage");
        }
        if (base == QLatin1String("A")) {
            if (kindUnsaid({QStringLiteral("CURR"), QStringLiteral("AMPS")}))
                return QStringLiteral("Measurement");
            // A profiler's summary names no kind of current: it draws whatever the device takes.
            if (const std::optional<Reading> window = !ac && r.main ? profilerWindow() : std::nullopt; window && window->main->word == r.main->word)
                return QStringLiteral("Measurement");
            return ac ? QStringLiteral("AC Current") : QStringLiteral("DC Current");
        }
        if (base == QString(omega)) {
            if (screenSays({QStringLiteral("CONT"), QStringLiteral("CONTINUITY"), QStringLiteral("BEEP")}))
                return QStringLiteral("Continuity");
            return QStringLiteral("Resistance");
        }
        if (base == QLatin1String("F"))
            return QStringLiteral("Capacitance");
        if (base == QLatin1String("H"))
            return QStringLiteral("Inductance");
        if (base == QLatin1String("Hz"))
            return QStringLiteral("Frequency");
        if (base.startsWith(degree))
            return QStringLiteral("Temperature");
        if (base == QLatin1String("s"))
            return QStringLiteral("Period");
        // A level, and a power (a supply's, a load's, an energy meter's), are no meter function:
        // the screen's other labels ("Temperature" further down a card) name other readings.
        if (base == QLatin1String("dBm") || base == QLatin1String("W"))
            return QStringLiteral("Measurement");
        // No unit: the mode labels alone.
        if (screenSays({QStringLiteral("DIODE")}))
            return QStringLiteral("Diode");
        if (screenSays({QStringLiteral("CONT"), QStringLiteral("CONTINUITY"), QStringLiteral("BEEP")}))
            return QStringLiteral("Continuity");
        if (screenSays({QStringLiteral("RES"), QStringLiteral("OHM"), QStringLiteral("RESISTANCE"), QString(omega)}))
            return QStringLiteral("Resistance");
        if (screenSays({QStringLiteral("CAP"), QStringLiteral("CAPACITANCE")}))
            return QStringLiteral("Capacitance");
        if (screenSays({QStringLiteral("TEMP"), QStringLiteral("TEMPERATURE")}))
            return QStringLiteral("Temperature");
        if (screenSays({QStringLiteral("DCV"), QStringLiteral("VDC")}))
            return QStringLiteral("DC Voltage");
        if (screenSays({QStringLiteral("ACV"), QStringLiteral("VAC")}))
            return QStringLiteral("AC Voltage");
        if (screenSays({QStringLiteral("DCA")}))
            return QStringLiteral("DC Current");
        if (screenSays({QStringLiteral("ACA")}))
            return QStringLiteral("AC Current");
        // Spelt out, as a title ("AC CURRENT", "DC Voltage", run together or not).
        if (screenSays({QStringLiteral("CURRENT"), QStringLiteral("DCCURRENT"), QStringLiteral("ACCURRENT")}))
            return ac ? QStringLiteral("AC Current") : QStringLiteral("DC Current");
        if (screenSays({QStringLiteral("VOLTAGE"), QStringLiteral("DCVOLTAGE"), QStringLiteral("ACVOLTAGE")}))
            return ac ? QStringLiteral("AC Voltage") : QStringLiteral("DC Voltage");
        if (screenSays({QStringLiteral("FREQ"), QStringLiteral("FREQUENCY")}))
            return QStringLiteral("Frequency");
        return QStringLiteral("Measurement");
    }

    const ScreenText& m_screen;
    QList<ScreenWord> m_words;  // the screen's words, labels split by the recogniser made whole
    QList<Token> m_tokens;
    bool m_scope = false;
    bool m_ohmScreen = false;  // the screen names resistance or continuity, or shows an ohm range
};

}  // namespace

QVariantMap read(const ScreenText& screen)
{
    return Reader(screen).answer();
}

ScreenText layoutOfText(const QString& text)
{
    ScreenText out;
    constexpr int charWidth = 10, lineHeight = 20, lineStep = 30;
    const QStringList lines = text.split(QLatin1Char('\n'));
    int row = 0;
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        static const QRegularExpression word(QStringLiteral("\\S+"));
        auto it = word.globalMatch(line);
        while (it.hasNext()) {
            const auto m = it.next();
            ScreenWord w;
            w.text = m.captured(0);
            w.box = QRect(int(m.capturedStart(0)) * charWidth, row * lineStep, int(m.capturedLength(0)) * charWidth, lineHeight);
            w.textHeight = lineHeight;
            w.confidence = 100;
            w.row = row;
            out.words.append(w);
        }
        ++row;
    }
    out.size = QSize(800, row * lineStep);
    out.drawn = false;
    return out;
}

}  // namespace BenchScreenReader
