#include "support/BenchScreenGenerator.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtEndian>

#include <cmath>

namespace corvallen::test {

namespace {

const QChar omega(0x03A9);
const QChar micro(0x00B5);
const QString degreeC = QStringLiteral("\u00B0C");
const QString degreeF = QStringLiteral("\u00B0F");

class Rng {
public:
    explicit Rng(quint32 seed) : m_gen(seed) {}
    int range(int lo, int hi) { return lo + int(m_gen.bounded(quint32(hi - lo + 1))); }  // inclusive
    double real(double lo, double hi) { return lo + (hi - lo) * m_gen.generateDouble(); }
    bool chance(double p) { return m_gen.generateDouble() < p; }
    template <typename T>
    const T& pick(const QList<T>& list) { return list.at(range(0, int(list.size()) - 1)); }

private:
    QRandomGenerator m_gen;
};

// Families drawn from packages the install script brings; whichever are present take part.
QStringList textFamilies()
{
    static const QStringList present = [] {
        const QStringList wanted = {QStringLiteral("DejaVu Sans"),    QStringLiteral("DejaVu Sans Mono"),
                                    QStringLiteral("DejaVu Serif"),   QStringLiteral("Liberation Sans"),
                                    QStringLiteral("Liberation Mono"), QStringLiteral("FreeSans"),
                                    QStringLiteral("FreeMono")};
        const QStringList installed = QFontDatabase::families();
        QStringList out;
        for (const QString& f : wanted)
            if (installed.contains(f))
                out.append(f);
        if (out.isEmpty())
            out.append(QStringLiteral("DejaVu Sans"));
        return out;
    }();
    return present;
}

QString segmentFamily()
{
    static const QString family = QFontDatabase::families().contains(QStringLiteral("DSEG7 Classic")) ? QStringLiteral("DSEG7 Classic")
                                                                                                     : QString();
    return family;
}

QFont fontOf(const QString& family, double pixels, bool bold)
{
    QFont f(family);
    f.setPixelSize(qMax(6, int(std::lround(pixels))));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

struct Palette {
    QColor background;
    QColor main;     // the reading
    QColor label;    // labels and mode
    QColor dim;      // status items, graticule
    QColor accent;   // boxes, highlights
};

Palette paletteFor(Rng& r)
{
    static const QList<QColor> bright = {QColor(255, 255, 255), QColor(255, 220, 40), QColor(80, 255, 120), QColor(60, 220, 255),
                                         QColor(255, 160, 40),  QColor(255, 90, 90),  QColor(230, 230, 255)};
    static const QList<QColor> dark = {QColor(0, 0, 0), QColor(0, 0, 0), QColor(0, 0, 0), QColor(10, 14, 30), QColor(22, 22, 22),
                                       QColor(0, 20, 10)};
    Palette p;
    p.background = r.pick(dark);
    p.main = r.pick(bright);
    p.label = r.pick(bright);
    p.dim = QColor(r.range(140, 200), r.range(140, 200), r.range(140, 200));
    p.accent = r.pick(QList<QColor>{QColor(40, 90, 200), QColor(200, 120, 0), QColor(0, 140, 90), QColor(120, 120, 120),
                                    QColor(150, 40, 150)});
    return p;
}

struct Measure {
    QString mode;
    QString unit;        // with prefix
    QString prefix;
    QString shown;
    double value = 0;
    QStringList modeLabels;  // ways the screen names the mode
    QString rangeMark;       // a range shown in the status bar
};

QString formatted(double v, int decimals)
{
    return QString::number(v, 'f', decimals);
}

// A four-digit reading as meters show it.
std::pair<QString, double> fourDigits(Rng& r, bool negative)
{
    const int decimals = r.range(0, 3);
    double v = r.range(decimals == 0 ? 10 : 1, 9999) / std::pow(10.0, decimals);
    if (decimals > 0 && v >= 1000 / std::pow(10.0, decimals - 1))
        v /= 10;
    if (negative)
        v = -v;
    const QString shown = formatted(v, decimals);
    return {shown, shown.toDouble()};
}

Measure measureFor(Rng& r, const QString& mode)
{
    Measure m;
    m.mode = mode;
    auto [shown, value] = fourDigits(r, (mode == QLatin1String("DC Voltage") || mode == QLatin1String("DC Current")) && r.chance(0.2));
    m.shown = shown;
    m.value = value;
    QString base;
    if (mode == QLatin1String("DC Voltage")) {
        m.prefix = r.pick(QStringList{QString(), QString(), QStringLiteral("m")});
        base = QStringLiteral("V");
        m.modeLabels = {QStringLiteral("DC V"), QStringLiteral("DCV"), QStringLiteral("V DC"), QStringLiteral("DC"), QString()};
        m.rangeMark = m.prefix.isEmpty() ? QStringLiteral("20V") : QStringLiteral("200mV");
    } else if (mode == QLatin1String("AC Voltage")) {
        m.prefix = r.pick(QStringList{QString(), QString(), QStringLiteral("m")});
        base = QStringLiteral("V");
        m.modeLabels = {QStringLiteral("AC V"), QStringLiteral("ACV"), QStringLiteral("V AC"), QStringLiteral("AC"),
                        QStringLiteral("TRMS AC")};
        m.rangeMark = m.prefix.isEmpty() ? QStringLiteral("750V") : QStringLiteral("2V");
    } else if (mode == QLatin1String("DC Current") || mode == QLatin1String("AC Current")) {
        m.prefix = r.pick(QStringList{QString(), QStringLiteral("m"), QString(micro)});
        base = QStringLiteral("A");
        const bool ac = mode.startsWith(QLatin1String("AC"));
        m.modeLabels = ac ? QStringList{QStringLiteral("AC A"), QStringLiteral("ACA"), QStringLiteral("AC ") + m.prefix + base}
                          : QStringList{QStringLiteral("DC A"), QStringLiteral("DCA"), QStringLiteral("DC ") + m.prefix + base, QString()};
        m.rangeMark = QStringLiteral("10A");
    } else if (mode == QLatin1String("Resistance")) {
        m.prefix = r.pick(QStringList{QString(), QStringLiteral("k"), QStringLiteral("k"), QStringLiteral("M")});
        base = QString(omega);
        m.modeLabels = {QStringLiteral("RES"), QStringLiteral("OHM"), QString(omega), QStringLiteral("Resistance"), QString()};
        m.rangeMark = QStringLiteral("20k") + omega;
    } else if (mode == QLatin1String("Continuity")) {
        m.prefix = QString();
        base = QString(omega);
        m.shown = formatted(r.range(0, 300) / 10.0, 1);
        m.value = m.shown.toDouble();
        m.modeLabels = {QStringLiteral("CONT"), QStringLiteral("Continuity"), QStringLiteral("BEEP")};
        m.rangeMark = QStringLiteral("200") + omega;
    } else if (mode == QLatin1String("Diode")) {
        m.prefix = QString();
        base = QStringLiteral("V");
        m.shown = formatted(r.range(300, 900) / 1000.0, 3);
        m.value = m.shown.toDouble();
        m.modeLabels = {QStringLiteral("DIODE"), QStringLiteral("Diode")};
    } else if (mode == QLatin1String("Capacitance")) {
        m.prefix = r.pick(QStringList{QStringLiteral("n"), QString(micro), QString(micro), QStringLiteral("m"), QStringLiteral("p")});
        base = QStringLiteral("F");
        m.modeLabels = {QStringLiteral("CAP"), QStringLiteral("Capacitance"), QStringLiteral("CAP F"), QString()};
    } else if (mode == QLatin1String("Frequency")) {
        m.prefix = r.pick(QStringList{QString(), QStringLiteral("k"), QStringLiteral("k"), QStringLiteral("M")});
        base = QStringLiteral("Hz");
        m.modeLabels = {QStringLiteral("FREQ"), QStringLiteral("Hz"), QStringLiteral("Frequency"), QString()};
    } else if (mode == QLatin1String("Temperature")) {
        m.prefix = QString();
        base = r.chance(0.7) ? degreeC : degreeF;
        m.shown = formatted(r.range(-150, 3500) / 10.0, 1);
        m.value = m.shown.toDouble();
        m.modeLabels = {QStringLiteral("TEMP"), QStringLiteral("Temp"), QStringLiteral("TEMP K"), QString()};
    }
    m.unit = m.prefix + base;
    return m;
}

const QStringList meterModes = {QStringLiteral("DC Voltage"),  QStringLiteral("AC Voltage"),  QStringLiteral("DC Current"),
                                QStringLiteral("AC Current"),  QStringLiteral("Resistance"),  QStringLiteral("Continuity"),
                                QStringLiteral("Diode"),       QStringLiteral("Capacitance"), QStringLiteral("Frequency"),
                                QStringLiteral("Temperature")};

// Draws `text` with its left baseline at `at`; returns its drawn box.
QRectF drawTextAt(QPainter& p, const QString& text, const QFont& font, QPointF at, const QColor& color)
{
    p.setFont(font);
    p.setPen(color);
    p.drawText(at, text);
    const QFontMetricsF fm(font);
    return QRectF(at.x(), at.y() - fm.ascent(), fm.horizontalAdvance(text), fm.height());
}

double widthOf(const QString& text, const QFont& font)
{
    return QFontMetricsF(font).horizontalAdvance(text);
}

double capHeight(const QFont& font)
{
    return QFontMetricsF(font).capHeight();
}

struct Canvas {
    QImage image;
    QPainter p;
    Palette pal;
    QString family;
    bool bold = false;
    double scale = 1;  // 1 for 480 wide, 2/3 for 320 wide
    int statusTop = 0, statusBottom = 0;  // the band the status bar takes
    explicit Canvas(QSize size) : image(size, QImage::Format_RGB32) {}
};

void drawBattery(Canvas& c, QPointF at, double h, int percent)
{
    const QRectF body(at.x(), at.y(), h * 1.8, h);
    c.p.setPen(QPen(c.pal.dim, 1));
    c.p.setBrush(Qt::NoBrush);
    c.p.drawRect(body);
    c.p.fillRect(QRectF(body.right(), body.top() + h * 0.3, h * 0.2, h * 0.4), c.pal.dim);
    c.p.fillRect(QRectF(body.left() + 2, body.top() + 2, (body.width() - 3) * percent / 100.0, body.height() - 3),
                 percent < 25 ? QColor(220, 60, 60) : QColor(60, 200, 80));
}

// A status bar along the top or bottom: battery with percentage, clock, range and hold flags.
void drawStatusBar(Canvas& c, Rng& r, const Measure* m, bool top, QList<double>& statusNumbers)
{
    const int w = c.image.width();
    const double h = r.range(15, 22) * c.scale + 3;
    const double y0 = top ? 0 : c.image.height() - h;
    if (top)
        c.statusTop = int(h);
    else
        c.statusBottom = int(h);
    if (r.chance(0.5))
        c.p.fillRect(QRectF(0, y0, w, h), r.pick(QList<QColor>{QColor(40, 40, 40), QColor(20, 30, 70), QColor(60, 60, 60)}));
    else if (r.chance(0.5)) {
        c.p.setPen(QPen(c.pal.dim, 1));
        c.p.drawLine(QPointF(0, top ? h - 1 : y0), QPointF(w, top ? h - 1 : y0));
    }
    const QFont small = fontOf(r.pick(textFamilies()), h * 0.62, r.chance(0.4));
    const double base = y0 + h * 0.78;
    double x = 6;
    QStringList left;
    left << (r.chance(0.6) ? QStringLiteral("AUTO") : QStringLiteral("MANU"));
    if (r.chance(0.3))
        left << QStringLiteral("HOLD");
    if (m && !m->rangeMark.isEmpty() && r.chance(0.6))
        left << m->rangeMark;
    if (r.chance(0.2))
        left << QStringLiteral("REL");
    for (const QString& t : left) {
        x = drawTextAt(c.p, t, small, QPointF(x, base), c.pal.dim).right() + 10 * c.scale + 4;
        if (x > w * 0.55)
            break;
    }
    // Right side: clock, then battery percentage and icon.
    const QString clock = QStringLiteral("%1:%2").arg(r.range(0, 23), 2, 10, QLatin1Char('0')).arg(r.range(0, 59), 2, 10, QLatin1Char('0'));
    const int percent = r.pick(QList<int>{100, 80, 75, 60, 45, 20, 95});
    const QString pct = QString::number(percent) + QLatin1Char('%');
    statusNumbers << percent << clock.left(2).toDouble() << clock.mid(3).toDouble();
    if (m && !m->rangeMark.isEmpty())
        statusNumbers << m->rangeMark.left(m->rangeMark.indexOf(QRegularExpression(QStringLiteral("[^0-9]")))).toDouble();
    double rx = w - 6 - h * 2.0;
    drawBattery(c, QPointF(rx, y0 + h * 0.22), h * 0.56, percent);
    rx -= widthOf(pct, small) + 5;
    drawTextAt(c.p, pct, small, QPointF(rx, base), c.pal.dim);
    if (r.chance(0.8)) {
        rx -= widthOf(clock, small) + 14 * c.scale;
        drawTextAt(c.p, clock, small, QPointF(rx, base), c.pal.dim);
    }
}

// The mode label near the top left, plain or in a filled box.
void drawModeLabel(Canvas& c, Rng& r, const QString& label, QPointF at)
{
    if (label.isEmpty())
        return;
    const QFont f = fontOf(r.pick(textFamilies()), r.range(16, 24) * c.scale, r.chance(0.6));
    if (r.chance(0.4)) {
        const double w = widthOf(label, f) + 12;
        const double h = capHeight(f) + 12;
        c.p.setPen(Qt::NoPen);
        c.p.setBrush(c.pal.accent);
        c.p.drawRoundedRect(QRectF(at.x(), at.y(), w, h), 3, 3);
        drawTextAt(c.p, label, f, QPointF(at.x() + 6, at.y() + 6 + capHeight(f)), Qt::white);
    } else {
        drawTextAt(c.p, label, f, QPointF(at.x(), at.y() + capHeight(f)), c.pal.label);
    }
}

// The main value with its unit; returns the box of the drawn group.
QRectF drawMainValue(Canvas& c, Rng& r, const QString& shown, const QString& unit, QRectF area)
{
    const QString family = c.family;
    double px = std::min(area.height() * r.real(0.7, 1.0) * 1.35, r.range(56, 100) * c.scale);
    QFont big = fontOf(family, px, c.bold);
    const int unitStyle = r.range(0, 2);  // 0 beside on the baseline, 1 small and raised, 2 same size
    const double unitScale = unitStyle == 0 ? r.real(0.4, 0.6) : unitStyle == 1 ? r.real(0.3, 0.42) : 1.0;
    QFont unitFont = fontOf(r.chance(0.7) ? family : r.pick(textFamilies()), px * unitScale, c.bold || r.chance(0.3));
    auto totalWidth = [&] { return widthOf(shown, big) + (unit.isEmpty() ? 0 : widthOf(QStringLiteral(" ") + unit, unitFont)); };
    while (totalWidth() > area.width() * 0.95 && px > 20) {
        px *= 0.92;
        big = fontOf(family, px, c.bold);
        unitFont = fontOf(unitFont.family(), px * unitScale, unitFont.bold());
    }
    const double cap = capHeight(big);
    const double x = area.left() + std::max(0.0, (area.width() - totalWidth()) * r.real(0.2, 0.8));
    const double baseline = area.top() + (area.height() + cap) / 2;
    const QRectF box = drawTextAt(c.p, shown, big, QPointF(x, baseline), c.pal.main);
    if (!unit.isEmpty()) {
        const double ux = box.right() + widthOf(QStringLiteral(" "), unitStyle == 2 ? big : unitFont) * r.real(0.6, 1.2);
        const double uy = unitStyle == 1 ? baseline - cap + capHeight(unitFont) : baseline;
        drawTextAt(c.p, unit, unitFont, QPointF(ux, uy), r.chance(0.7) ? c.pal.main : c.pal.label);
    }
    return QRectF(x, baseline - cap, totalWidth(), cap);
}

void drawBarGraph(Canvas& c, Rng& r, QRectF area, double fraction)
{
    const int ticks = r.range(30, 50);
    const double step = area.width() / ticks;
    for (int i = 0; i < ticks; ++i) {
        const QColor col = i < ticks * fraction ? c.pal.main : c.pal.dim.darker(250);
        c.p.fillRect(QRectF(area.left() + i * step, area.top(), step * 0.55, area.height()), col);
    }
}

void addNoise(QImage& image, Rng& r, int amplitude)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = r.range(-amplitude, amplitude);
            const QRgb p = line[x];
            line[x] = qRgb(qBound(0, qRed(p) + n, 255), qBound(0, qGreen(p) + n, 255), qBound(0, qBlue(p) + n, 255));
        }
    }
}

QString labelFor(Rng& r, const QString& what)
{
    if (what == QLatin1String("MIN"))
        return r.pick(QStringList{QStringLiteral("MIN"), QStringLiteral("Min"), QStringLiteral("MIN")});
    if (what == QLatin1String("MAX"))
        return r.pick(QStringList{QStringLiteral("MAX"), QStringLiteral("Max"), QStringLiteral("MAX")});
    return r.pick(QStringList{QStringLiteral("AVG"), QStringLiteral("Avg")});
}

// Shown in the reading's unit, or now and then one prefix lower (MIN 980 mV beside 1.250 V).
std::pair<QString, QString> limitText(Rng& r, double v, const Measure& m, int decimals)
{
    if (m.prefix.isEmpty() && m.unit == QLatin1String("V") && std::abs(v) < 1 && r.chance(0.5))
        return {formatted(v * 1000, 1), QStringLiteral("mV")};
    return {formatted(v, decimals), m.unit};
}

int decimalsOf(const QString& shown)
{
    const qsizetype dot = shown.indexOf(QLatin1Char('.'));
    return dot < 0 ? 0 : int(shown.size() - dot - 1);
}

void meterFrame(Canvas& c, Rng& r, const Measure& m, BenchTruth& t, QRectF* content)
{
    const bool statusTop = r.chance(0.7);
    drawStatusBar(c, r, &m, statusTop, t.statusNumbers);
    const double top = (statusTop ? c.statusTop : 0) + 6;
    drawModeLabel(c, r, r.pick(m.modeLabels), QPointF(8 + r.range(0, 20) * c.scale, top));
    const double bottom = c.image.height() - (statusTop ? 0 : c.statusBottom) - 4;
    *content = QRectF(10, top + 30 * c.scale + 6, c.image.width() - 20, bottom - top - 30 * c.scale - 6);
    t.mode = m.mode;
    t.unit = m.unit;
}

void layoutBigDigits(Canvas& c, Rng& r, BenchTruth& t)
{
    const Measure m = measureFor(r, r.pick(meterModes));
    QRectF content;
    meterFrame(c, r, m, t, &content);
    const bool bar = r.chance(0.4);
    QRectF valueArea = content;
    if (bar)
        valueArea.setBottom(content.bottom() - 24 * c.scale);
    const QRectF drawn = drawMainValue(c, r, m.shown, m.unit, valueArea);
    if (bar)
        drawBarGraph(c, r, QRectF(content.left() + 10, std::max(drawn.bottom() + 12, content.bottom() - 16 * c.scale),
                                  content.width() - 20, 8 * c.scale + 2),
                     r.real(0.1, 0.9));
    t.value = m.value;
    t.shownValue = m.shown;
    t.description = QStringLiteral("big digits %1 %2").arg(m.shown, m.unit);
}

void layoutMinMax(Canvas& c, Rng& r, BenchTruth& t)
{
    const Measure m = measureFor(r, r.pick(QStringList{QStringLiteral("DC Voltage"), QStringLiteral("AC Voltage"),
                                                       QStringLiteral("DC Current"), QStringLiteral("Resistance"),
                                                       QStringLiteral("Temperature"), QStringLiteral("Frequency")}));
    QRectF content;
    meterFrame(c, r, m, t, &content);
    const int decimals = decimalsOf(m.shown);
    const double spread = std::max(std::abs(m.value) * r.real(0.01, 0.08), std::pow(10.0, -decimals) * 3);
    const double lo = std::round((m.value - spread) * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    const double hi = std::round((m.value + spread * r.real(0.5, 1.5)) * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    const double avg = std::round(((lo + hi) / 2) * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    QList<std::pair<QString, double>> items = {{QStringLiteral("MAX"), hi}, {QStringLiteral("MIN"), lo}};
    if (r.chance(0.6))
        items.append({QStringLiteral("AVG"), avg});
    if (r.chance(0.5))
        std::swap(items[0], items[1]);
    const int style = r.range(0, 3);
    const QFont labelFont = fontOf(r.pick(textFamilies()), r.range(13, 18) * c.scale, r.chance(0.5));
    const QFont valueFont = fontOf(r.chance(0.5) ? c.family : r.pick(textFamilies()), r.range(16, 24) * c.scale, r.chance(0.4));
    const bool unitsOnLimits = r.chance(0.6);
    QRectF valueArea = content;
    if (style == 1) {
        valueArea.setRight(content.left() + content.width() * 0.6);
    } else {
        valueArea.setBottom(content.bottom() - 56 * c.scale);
    }
    drawMainValue(c, r, m.shown, m.unit, valueArea);
    for (int i = 0; i < items.size(); ++i) {
        const auto [label, v] = items.at(i);
        const QString shownLabel = labelFor(r, label);
        auto [text, unit] = limitText(r, v, m, decimals);
        if (!unitsOnLimits && unit == m.unit)
            unit.clear();
        const QString valueText = unit.isEmpty() ? text : text + QLatin1Char(' ') + unit;
        if (style == 1) {
            // A column on the right: label beside its value.
            const double rowH = content.height() / items.size();
            const double y = content.top() + rowH * i + rowH / 2 + capHeight(valueFont) / 2;
            const double x = content.left() + content.width() * 0.62;
            drawTextAt(c.p, shownLabel, labelFont, QPointF(x, y), c.pal.label);
            drawTextAt(c.p, valueText, valueFont, QPointF(x + widthOf(shownLabel, labelFont) + 8 * c.scale, y), c.pal.main);
        } else {
            // A row of boxes along the bottom: label above (0), below (2) or without boxes (3).
            const double boxW = content.width() / items.size();
            const QRectF box(content.left() + boxW * i + 2, content.bottom() - 54 * c.scale, boxW - 4, 52 * c.scale);
            if (style != 3) {
                c.p.setPen(QPen(c.pal.dim, 1));
                c.p.setBrush(Qt::NoBrush);
                c.p.drawRoundedRect(box, 4, 4);
            }
            const double lx = box.left() + (box.width() - widthOf(shownLabel, labelFont)) / 2;
            const double vx = box.left() + std::max(2.0, (box.width() - widthOf(valueText, valueFont)) / 2);
            const double upper = box.top() + 4 + capHeight(labelFont);
            const double lower = box.bottom() - 6;
            if (style == 2) {
                drawTextAt(c.p, valueText, valueFont, QPointF(vx, box.top() + 5 + capHeight(valueFont)), c.pal.main);
                drawTextAt(c.p, shownLabel, labelFont, QPointF(lx, lower), c.pal.label);
            } else {
                drawTextAt(c.p, shownLabel, labelFont, QPointF(lx, upper), c.pal.label);
                drawTextAt(c.p, valueText, valueFont, QPointF(vx, lower), c.pal.main);
            }
        }
        if (label == QLatin1String("MIN"))
            t.minValue = v;
        else if (label == QLatin1String("MAX"))
            t.maxValue = v;
    }
    t.value = m.value;
    t.shownValue = m.shown;
    t.description = QStringLiteral("min/max panel style %1, %2 %3").arg(style).arg(m.shown, m.unit);
}

void layoutSubReading(Canvas& c, Rng& r, BenchTruth& t)
{
    const Measure m = measureFor(r, r.pick(QStringList{QStringLiteral("AC Voltage"), QStringLiteral("AC Current"),
                                                       QStringLiteral("Frequency"), QStringLiteral("Temperature"),
                                                       QStringLiteral("DC Voltage"), QStringLiteral("Capacitance")}));
    QRectF content;
    meterFrame(c, r, m, t, &content);
    QString sub;
    if (m.mode.startsWith(QLatin1String("AC")))
        sub = r.pick(QStringList{QStringLiteral("Freq "), QStringLiteral("F: "), QString()}) + formatted(r.range(4990, 6010) / 100.0, 2)
              + QStringLiteral(" Hz");
    else if (m.mode == QLatin1String("Frequency"))
        sub = r.pick(QStringList{QStringLiteral("Duty "), QStringLiteral("Duty: ")}) + formatted(r.range(100, 900) / 10.0, 1)
              + QLatin1Char('%');
    else if (m.mode == QLatin1String("Temperature"))
        sub = m.unit == degreeC ? formatted(m.value * 9 / 5 + 32, 1) + degreeF : formatted((m.value - 32) * 5 / 9, 1) + degreeC;
    else
        sub = r.pick(QStringList{QStringLiteral("Range "), QStringLiteral("RANGE ")}) + (m.rangeMark.isEmpty() ? QStringLiteral("20")
                                                                                                               : m.rangeMark);
    const QFont subFont = fontOf(r.pick(textFamilies()), r.range(16, 24) * c.scale, r.chance(0.5));
    const bool subOnTop = r.chance(0.4);
    QRectF valueArea = content;
    if (subOnTop)
        valueArea.setTop(content.top() + 30 * c.scale);
    else
        valueArea.setBottom(content.bottom() - 30 * c.scale);
    drawMainValue(c, r, m.shown, m.unit, valueArea);
    const double sx = content.right() - widthOf(sub, subFont) - r.range(4, 40);
    const double sy = subOnTop ? content.top() + capHeight(subFont) + 4 : content.bottom() - 6;
    drawTextAt(c.p, sub, subFont, QPointF(sx, sy), c.pal.label);
    t.value = m.value;
    t.shownValue = m.shown;
    t.description = QStringLiteral("sub reading '%1' with %2 %3").arg(sub, m.shown, m.unit);
}

// One digit position of an LCD: segments a..g as bits 0..6.
int segmentsFor(QChar ch)
{
    static const int table[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    if (ch.isDigit())
        return table[ch.digitValue()];
    if (ch == QLatin1Char('-'))
        return 0x40;
    if (ch == QLatin1Char('L'))
        return 0x38;
    if (ch == QLatin1Char('O'))
        return 0x3F;
    return 0;
}

// Draws a seven-segment cell whose top-left is `at`, `w` wide and `h` high, slanted by `slant`.
void drawSegments(QPainter& p, int bits, QPointF at, double w, double h, double thick, double slant, const QColor& on, const QColor& off,
                  bool hexagonal)
{
    const double gap = thick * 0.18;
    auto seg = [&](QPointF a, QPointF b, bool lit) {
        if (!lit && !off.isValid())
            return;
        auto skew = [&](QPointF q) { return QPointF(q.x() + slant * (at.y() + h - q.y()), q.y()); };
        QPolygonF poly;
        const QPointF d = b - a;
        const double len = std::hypot(d.x(), d.y());
        const QPointF u = d / len;
        const QPointF n(-u.y(), u.x());
        const QPointF a1 = a + u * gap, b1 = b - u * gap;
        if (hexagonal) {
            poly << skew(a1) << skew(a1 + u * thick / 2 + n * thick / 2) << skew(b1 - u * thick / 2 + n * thick / 2) << skew(b1)
                 << skew(b1 - u * thick / 2 - n * thick / 2) << skew(a1 + u * thick / 2 - n * thick / 2);
        } else {
            const QPointF a2 = a1 + u * thick / 4, b2 = b1 - u * thick / 4;
            poly << skew(a2 + n * thick / 2) << skew(b2 + n * thick / 2) << skew(b2 - n * thick / 2) << skew(a2 - n * thick / 2);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(lit ? on : off);
        p.drawPolygon(poly);
    };
    const double l = at.x() + thick / 2, rr = at.x() + w - thick / 2;
    const double t = at.y() + thick / 2, m = at.y() + h / 2, b = at.y() + h - thick / 2;
    seg({l, t}, {rr, t}, bits & 0x01);
    seg({rr, t}, {rr, m}, bits & 0x02);
    seg({rr, m}, {rr, b}, bits & 0x04);
    seg({l, b}, {rr, b}, bits & 0x08);
    seg({l, m}, {l, b}, bits & 0x10);
    seg({l, t}, {l, m}, bits & 0x20);
    seg({l, m}, {rr, m}, bits & 0x40);
}

// Draws `text` (digits, '.', '-', 'O', 'L') as LCD segments; returns the drawn box.
QRectF drawSegmentText(Canvas& c, Rng& r, const QString& text, QRectF area, const QColor& on, const QColor& ghost)
{
    int cells = 0;
    for (QChar ch : text)
        cells += ch == QLatin1Char('.') ? 0 : 1;
    double h = std::min(area.height() * r.real(0.6, 0.85), 110 * c.scale);
    double w = h * r.real(0.48, 0.6);
    double pitch = w * r.real(1.25, 1.45);
    while (pitch * cells > area.width() * 0.8) {
        h *= 0.93;
        w *= 0.93;
        pitch *= 0.93;
    }
    const double thick = std::max(3.0, h * r.real(0.1, 0.15));
    const double slant = r.chance(0.5) ? r.real(0.05, 0.12) : 0.0;
    const bool hexagonal = r.chance(0.6);
    double x = area.left() + (area.width() - pitch * cells) * r.real(0.3, 0.7);
    const double y = area.top() + (area.height() - h) / 2;
    const double x0 = x;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch == QLatin1Char('.')) {
            const double dot = std::min(thick * 1.1, (pitch - w) * 0.6);
            c.p.fillRect(QRectF(x - (pitch - w) / 2 - dot / 2, y + h - dot, dot, dot), on);
            continue;
        }
        drawSegments(c.p, 0x7F, QPointF(x, y), w, h, thick, slant, ghost, ghost, hexagonal);
        drawSegments(c.p, segmentsFor(ch), QPointF(x, y), w, h, thick, slant, on, QColor(), hexagonal);
        x += pitch;
    }
    return QRectF(x0, y, x - x0, h);
}

void layoutSevenSegment(Canvas& c, Rng& r, BenchTruth& t, bool overload)
{
    const QStringList modes = {QStringLiteral("DC Voltage"), QStringLiteral("AC Voltage"), QStringLiteral("Resistance"),
                               QStringLiteral("DC Current"), QStringLiteral("Temperature"), QStringLiteral("Frequency")};
    const Measure m = measureFor(r, overload ? QStringLiteral("Resistance") : r.pick(modes));
    const bool lcd = r.chance(0.35);  // dark segments on a grey-green panel
    if (lcd) {
        c.pal.background = QColor(r.range(150, 190), r.range(170, 200), r.range(140, 170));
        c.p.fillRect(c.image.rect(), c.pal.background);
        c.pal.main = QColor(r.range(10, 40), r.range(10, 40), r.range(10, 40));
        c.pal.label = c.pal.main;
        c.pal.dim = QColor(60, 60, 60);
    }
    QRectF content;
    meterFrame(c, r, m, t, &content);
    QString shown = m.shown;
    if (overload)
        shown = r.pick(QStringList{QStringLiteral("0.L"), QStringLiteral("OL"), QStringLiteral("O.L")});
    const QColor ghost = lcd ? c.pal.background.darker(112) : (r.chance(0.5) ? QColor(c.pal.main).darker(600) : QColor());
    QRectF drawn;
    const QString segFamily = segmentFamily();
    if (!segFamily.isEmpty() && !overload && r.chance(0.3)) {
        // The LCD font draws the same segments, with its own proportions.
        const double px = std::min(content.height() * 0.7, 90 * c.scale);
        QFont f = fontOf(segFamily, px, false);
        while (widthOf(shown, f) > content.width() * 0.7)
            f.setPixelSize(int(f.pixelSize() * 0.9));
        const double x = content.left() + (content.width() * 0.75 - widthOf(shown, f)) * r.real(0.3, 0.9);
        const double y = content.top() + (content.height() + capHeight(f)) / 2;
        drawn = drawTextAt(c.p, shown, f, QPointF(x, y), c.pal.main);
        drawn = QRectF(x, y - capHeight(f), widthOf(shown, f), capHeight(f));
    } else {
        drawn = drawSegmentText(c, r, shown, QRectF(content.left(), content.top(), content.width() * 0.8, content.height()), c.pal.main,
                                ghost);
    }
    const QFont unitFont = fontOf(r.pick(textFamilies()), std::max(14.0, drawn.height() * r.real(0.3, 0.45)), r.chance(0.5));
    const double uy = r.chance(0.5) ? drawn.bottom() : drawn.top() + capHeight(unitFont);
    drawTextAt(c.p, m.unit, unitFont, QPointF(drawn.right() + 10 * c.scale, uy), c.pal.main);
    if (overload) {
        t.description = QStringLiteral("seven-segment overload %1 %2").arg(shown, m.unit);
    } else {
        t.value = m.value;
        t.shownValue = m.shown;
        t.description = QStringLiteral("seven segments %1 %2").arg(m.shown, m.unit);
    }
}

void layoutOverload(Canvas& c, Rng& r, BenchTruth& t)
{
    if (r.chance(0.3)) {
        layoutSevenSegment(c, r, t, true);
        return;
    }
    const Measure m = measureFor(r, r.pick(QStringList{QStringLiteral("Resistance"), QStringLiteral("Resistance"),
                                                       QStringLiteral("DC Voltage"), QStringLiteral("Capacitance")}));
    QRectF content;
    meterFrame(c, r, m, t, &content);
    const QString shown = r.pick(QStringList{QStringLiteral("OL"), QStringLiteral("O.L"), QStringLiteral("OVER"), QStringLiteral("-OL-")});
    drawMainValue(c, r, shown, m.unit, content);
    t.description = QStringLiteral("overload %1 %2").arg(shown, m.unit);
}

void layoutOscilloscope(Canvas& c, Rng& r, BenchTruth& t)
{
    const int w = c.image.width(), h = c.image.height();
    const QFont small = fontOf(r.pick(textFamilies()), r.range(12, 16) * c.scale + 2, r.chance(0.4));
    const double bar = capHeight(small) + 10;
    // Top bar: channel, scale, time base, trigger, battery.
    double x = 4;
    const QString chan = r.pick(QStringList{QStringLiteral("CH1"), QStringLiteral("CH2")});
    {
        const double cw = widthOf(chan, small) + 8;
        c.p.fillRect(QRectF(x, 2, cw, bar - 4), QColor(200, 180, 0));
        drawTextAt(c.p, chan, small, QPointF(x + 4, bar - 5), Qt::black);
        x += cw + 8;
    }
    const QString vdiv = r.pick(QStringList{QStringLiteral("1V/div"), QStringLiteral("500mV"), QStringLiteral("2.00V"),
                                            QStringLiteral("200mV/div"), QStringLiteral("5V")});
    const QString tdiv = r.pick(QStringList{QStringLiteral("500us"), QStringLiteral("T:1ms"), QStringLiteral("200us/div"),
                                            QStringLiteral("10ms")});
    const QString trig = r.pick(QStringList{QStringLiteral("Trig Auto"), QStringLiteral("AUTO"), QStringLiteral("Trig:Norm"),
                                            QStringLiteral("T 1.20V")});
    for (const QString& s : {vdiv, tdiv, trig})
        x = drawTextAt(c.p, s, small, QPointF(x, bar - 5), c.pal.label).right() + 12 * c.scale;
    if (r.chance(0.7)) {
        const int pct = r.pick(QList<int>{100, 80, 60, 40});
        drawBattery(c, QPointF(w - 4 - bar * 1.2, 4), bar * 0.55, pct);
        t.statusNumbers << pct;
        drawTextAt(c.p, QString::number(pct) + QLatin1Char('%'), small, QPointF(w - 8 - bar * 1.2 - widthOf(QStringLiteral("100%"), small), bar - 5),
                   c.pal.dim);
    }
    // Measurement strip along the bottom (or the right side).
    const double vpp = r.range(50, 900) / 100.0 * (r.chance(0.3) ? 1000 : 1) / (r.chance(0.3) ? 10 : 1);
    const bool milli = vpp >= 100;
    const QString vppShown = milli ? formatted(vpp, 0) : formatted(vpp, 2);
    const QString vppUnit = milli ? QStringLiteral("mV") : QStringLiteral("V");
    QList<std::pair<QString, QString>> items;  // label, value with unit
    items.append({r.pick(QStringList{QStringLiteral("Vpp"), QStringLiteral("Pk-Pk"), QStringLiteral("VPP")}), vppShown + vppUnit});
    const double freq = r.range(1000, 9999) / 10.0;
    items.append({r.pick(QStringList{QStringLiteral("Freq"), QStringLiteral("FREQ"), QStringLiteral("F")}),
                  formatted(freq, 1) + QStringLiteral("Hz")});
    if (r.chance(0.5))
        items.append({QStringLiteral("Duty"), formatted(r.range(100, 900) / 10.0, 1) + QLatin1Char('%')});
    const bool limits = r.chance(0.4);
    const double half = std::round(vpp / 2 * (milli ? 1 : 100)) / (milli ? 1 : 100);
    if (limits) {
        items.append({QStringLiteral("Max"), (milli ? formatted(half, 0) : formatted(half, 2)) + vppUnit});
        items.append({QStringLiteral("Min"), (milli ? formatted(-half, 0) : formatted(-half, 2)) + vppUnit});
        t.maxValue = half;
        t.minValue = -half;
    } else if (r.chance(0.5)) {
        items.append({QStringLiteral("Vrms"), formatted(vpp * 0.3536, milli ? 0 : 2) + vppUnit});
    }
    // Shuffle, keeping the order reproducible.
    for (qsizetype i = items.size() - 1; i > 0; --i)
        items.swapItemsAt(i, r.range(0, int(i)));
    const bool stacked = r.chance(0.5);  // label above value in each cell
    const QFont mf = fontOf(r.pick(textFamilies()), r.range(12, 16) * c.scale + 2, r.chance(0.4));
    const double rowH = stacked ? capHeight(mf) * 2 + 16 : capHeight(mf) + 12;
    const int perRow = stacked ? int(items.size()) : int((items.size() + 1) / 2);
    const int rows = int((items.size() + perRow - 1) / perRow);
    const double stripTop = h - rowH * rows - 2;
    c.p.fillRect(QRectF(0, stripTop, w, h - stripTop), r.chance(0.5) ? QColor(25, 25, 35) : c.pal.background);
    const double cellW = double(w) / perRow;
    for (int i = 0; i < items.size(); ++i) {
        const int row = i / perRow, col = i % perRow;
        const QRectF cell(col * cellW + 2, stripTop + row * rowH + 1, cellW - 4, rowH - 2);
        c.p.setPen(QPen(c.pal.dim.darker(150), 1));
        c.p.setBrush(Qt::NoBrush);
        c.p.drawRect(cell);
        const auto& [label, value] = items.at(i);
        if (stacked) {
            drawTextAt(c.p, label, mf, QPointF(cell.left() + 4, cell.top() + 4 + capHeight(mf)), c.pal.label);
            drawTextAt(c.p, value, mf, QPointF(cell.left() + 4, cell.bottom() - 5), c.pal.main);
        } else {
            const QString sep = r.chance(0.5) ? QStringLiteral(":") : QString();
            const QRectF lb = drawTextAt(c.p, label + sep, mf, QPointF(cell.left() + 4, cell.bottom() - 6), c.pal.label);
            drawTextAt(c.p, value, mf, QPointF(lb.right() + 6, cell.bottom() - 6), c.pal.main);
        }
    }
    // Graticule and trace between the bars.
    const QRectF grid(4, bar + 2, w - 8, stripTop - bar - 6);
    c.p.setPen(QPen(QColor(70, 70, 70), 1, Qt::DotLine));
    for (int i = 0; i <= 10; ++i)
        c.p.drawLine(QPointF(grid.left() + grid.width() * i / 10, grid.top()), QPointF(grid.left() + grid.width() * i / 10, grid.bottom()));
    for (int i = 0; i <= 8; ++i)
        c.p.drawLine(QPointF(grid.left(), grid.top() + grid.height() * i / 8), QPointF(grid.right(), grid.top() + grid.height() * i / 8));
    QPainterPath trace;
    const int shape = r.range(0, 2);
    const double cycles = r.real(1.5, 4);
    for (int px = 0; px <= int(grid.width()); ++px) {
        const double ph = px / grid.width() * cycles * 2 * M_PI;
        double y = shape == 0 ? std::sin(ph) : shape == 1 ? (std::sin(ph) >= 0 ? 0.9 : -0.9) : (2 / M_PI) * std::asin(std::sin(ph));
        const QPointF pt(grid.left() + px, grid.center().y() - y * grid.height() * 0.35);
        if (px == 0)
            trace.moveTo(pt);
        else
            trace.lineTo(pt);
    }
    c.p.setPen(QPen(QColor(255, 230, 0), 1.5));
    c.p.setBrush(Qt::NoBrush);
    c.p.drawPath(trace);
    t.mode = QStringLiteral("Oscilloscope");
    t.value = vppShown.toDouble();
    t.shownValue = vppShown;
    t.unit = vppUnit;
    t.description = QStringLiteral("oscilloscope, Vpp %1%2, %3 measurements%4").arg(vppShown, vppUnit).arg(items.size())
                        .arg(stacked ? QStringLiteral(", stacked") : QString());
}

}  // namespace

BenchScreen drawBenchScreen(quint32 seed, BenchLayout layout, bool small)
{
    Rng r(seed * 7919u + quint32(layout) * 104729u + (small ? 1u : 0u));
    BenchScreen s;
    const QSize size = small ? QSize(320, 240) : QSize(480, 272);
    Canvas c(size);
    c.scale = small ? 0.7 : 1.0;
    c.pal = paletteFor(r);
    c.family = r.pick(textFamilies());
    c.bold = r.chance(0.5);
    c.image.fill(c.pal.background);
    c.p.begin(&c.image);
    c.p.setRenderHint(QPainter::Antialiasing, true);
    c.p.setRenderHint(QPainter::TextAntialiasing, true);
    s.truth.layout = layout;
    switch (layout) {
    case BenchLayout::BigDigits: layoutBigDigits(c, r, s.truth); break;
    case BenchLayout::MinMaxPanel: layoutMinMax(c, r, s.truth); break;
    case BenchLayout::SubReading: layoutSubReading(c, r, s.truth); break;
    case BenchLayout::SevenSegment: layoutSevenSegment(c, r, s.truth, false); break;
    case BenchLayout::Overload: layoutOverload(c, r, s.truth); break;
    case BenchLayout::Oscilloscope: layoutOscilloscope(c, r, s.truth); break;
    }
    c.p.end();
    if (r.chance(0.3))
        addNoise(c.image, r, r.range(4, 14));
    s.image = c.image;
    s.truth.description += QStringLiteral(" (%1×%2, seed %3)").arg(size.width()).arg(size.height()).arg(seed);
    return s;
}

QList<BenchScreen> benchScreenCorpus(int count, quint32 firstSeed)
{
    QList<BenchScreen> out;
    for (int i = 0; i < count; ++i)
        out.append(drawBenchScreen(firstSeed + quint32(i), BenchLayout(i % benchLayoutCount), (i / benchLayoutCount) % 2 == 1));
    return out;
}

bool writeBmp16(const QImage& source, const QString& path)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    const int rowBytes = (w * 2 + 3) & ~3;
    const quint32 headerSize = 14 + 40 + 12;
    const quint32 fileSize = headerSize + quint32(rowBytes * h);
    QByteArray data(int(fileSize), '\0');
    auto* d = reinterpret_cast<uchar*>(data.data());
    d[0] = 'B';
    d[1] = 'M';
    qToLittleEndian<quint32>(fileSize, d + 2);
    qToLittleEndian<quint32>(headerSize, d + 10);
    qToLittleEndian<quint32>(40, d + 14);
    qToLittleEndian<qint32>(w, d + 18);
    qToLittleEndian<qint32>(h, d + 22);  // bottom-up rows
    qToLittleEndian<quint16>(1, d + 26);
    qToLittleEndian<quint16>(16, d + 28);
    qToLittleEndian<quint32>(3, d + 30);  // BI_BITFIELDS
    qToLittleEndian<quint32>(quint32(rowBytes * h), d + 34);
    qToLittleEndian<qint32>(2835, d + 38);
    qToLittleEndian<qint32>(2835, d + 42);
    qToLittleEndian<quint32>(0xF800, d + 54);
    qToLittleEndian<quint32>(0x07E0, d + 58);
    qToLittleEndian<quint32>(0x001F, d + 62);
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* out = d + headerSize + rowBytes * (h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const QRgb p = line[x];
            const quint16 v = quint16(((qRed(p) >> 3) << 11) | ((qGreen(p) >> 2) << 5) | (qBlue(p) >> 3));
            qToLittleEndian<quint16>(v, out + 2 * x);
        }
    }
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QString saveBenchScreen(const BenchScreen& screen, const QString& folder, int index)
{
    const bool bmp = index % 2 == 1;
    const QString path = QDir(folder).filePath(QStringLiteral("screen-%1.%2").arg(index, 3, 10, QLatin1Char('0')).arg(bmp ? "bmp" : "png"));
    const bool ok = bmp ? writeBmp16(screen.image, path) : screen.image.save(path, "PNG");
    return ok ? path : QString();
}

QString FieldScore::wrongFields() const
{
    QStringList out;
    if (!mode) out << QStringLiteral("mode");
    if (!value) out << QStringLiteral("value");
    if (!unit) out << QStringLiteral("unit");
    if (!minValue) out << QStringLiteral("minValue");
    if (!maxValue) out << QStringLiteral("maxValue");
    if (!summary) out << QStringLiteral("summary");
    return out.join(QStringLiteral(", "));
}

namespace {

bool sameNumber(const std::optional<double>& want, const QVariant& got)
{
    if (!want)
        return !got.isValid();
    if (!got.isValid())
        return false;
    bool ok = false;
    const double v = got.toDouble(&ok);
    return ok && std::abs(v - *want) <= 1e-9 * std::max(1.0, std::abs(*want));
}

}  // namespace

FieldScore scoreReading(const BenchTruth& truth, const QVariantMap& answer)
{
    FieldScore s;
    s.mode = answer.value(QStringLiteral("mode")).toString() == truth.mode;
    s.value = sameNumber(truth.value, answer.value(QStringLiteral("value")));
    s.unit = answer.value(QStringLiteral("unit")).toString() == truth.unit;
    s.minValue = sameNumber(truth.minValue, answer.value(QStringLiteral("minValue")));
    s.maxValue = sameNumber(truth.maxValue, answer.value(QStringLiteral("maxValue")));
    // One sentence that states the reading as shown with its unit, or that says overload.
    const QString summary = answer.value(QStringLiteral("summary")).toString();
    const bool oneSentence = !summary.isEmpty() && !summary.contains(QLatin1Char('\n')) && summary.endsWith(QLatin1Char('.'));
    if (truth.value)
        s.summary = oneSentence && summary.contains(truth.shownValue) && summary.contains(truth.unit);
    else
        s.summary = oneSentence && summary.contains(QStringLiteral("overload"), Qt::CaseInsensitive);
    return s;
}

}  // namespace corvallen::test
