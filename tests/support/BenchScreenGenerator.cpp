#include "support/BenchScreenGenerator.h"

#include <QBuffer>
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
        const QStringList wanted = {QStringLiteral("DejaVu Sans"),     QStringLiteral("DejaVu Sans Mono"),
                                    QStringLiteral("DejaVu Serif"),    QStringLiteral("Liberation Sans"),
                                    QStringLiteral("Liberation Mono"), QStringLiteral("Liberation Serif"),
                                    QStringLiteral("FreeSans"),        QStringLiteral("FreeMono"),
                                    QStringLiteral("Nimbus Sans"),     QStringLiteral("Nimbus Sans Narrow"),
                                    QStringLiteral("URW Gothic"),      QStringLiteral("Noto Mono"),
                                    QStringLiteral("Noto Sans Mono")};
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

// The LCD fonts present, if any.
QStringList segmentFamilies()
{
    static const QStringList present = [] {
        QStringList out;
        const QStringList installed = QFontDatabase::families();
        for (const QString& f : {QStringLiteral("DSEG7 Classic"), QStringLiteral("DSEG7 Modern"), QStringLiteral("DSEG7 Classic Mini"),
                                 QStringLiteral("DSEG7 Modern Mini")})
            if (installed.contains(f))
                out.append(f);
        return out;
    }();
    return present;
}

struct Palette {
    QColor background;
    QColor main;     // the reading
    QColor label;    // labels and mode
    QColor dim;      // status items, graticule
    QColor accent;   // boxes, highlights
    bool light = false;  // dark text on a light screen
};

// Most instruments draw light text on black; some on navy, some dark text on a light screen.
Palette paletteFor(Rng& r)
{
    Palette p;
    const int theme = r.range(0, 19);
    if (theme < 4) {
        static const QList<QColor> paper = {QColor(255, 255, 255), QColor(236, 236, 236), QColor(245, 240, 222), QColor(222, 232, 240)};
        static const QList<QColor> ink = {QColor(0, 0, 0), QColor(20, 20, 20), QColor(10, 30, 120), QColor(120, 10, 10), QColor(0, 80, 40)};
        p.light = true;
        p.background = r.pick(paper);
        p.main = r.pick(ink);
        p.label = r.pick(ink);
        const int g = r.range(70, 120);
        p.dim = QColor(g, g, g);
        p.accent = r.pick(QList<QColor>{QColor(40, 90, 200), QColor(200, 120, 0), QColor(0, 140, 90), QColor(150, 40, 150)});
        return p;
    }
    static const QList<QColor> bright = {QColor(255, 255, 255), QColor(255, 220, 40), QColor(80, 255, 120), QColor(60, 220, 255),
                                         QColor(255, 160, 40),  QColor(255, 90, 90),  QColor(230, 230, 255), QColor(200, 200, 200)};
    static const QList<QColor> dark = {QColor(0, 0, 0),    QColor(0, 0, 0),    QColor(0, 0, 0),   QColor(10, 14, 30),
                                       QColor(22, 22, 22), QColor(0, 20, 10),  QColor(8, 24, 70), QColor(30, 30, 40)};
    p.background = r.pick(dark);
    p.main = r.pick(bright);
    p.label = r.pick(bright);
    p.dim = QColor(r.range(130, 200), r.range(130, 200), r.range(130, 200));
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

// A reading as meters show it: one to five digits, the point anywhere among them ("7", "0.045",
// "12.345", "40000"), mostly four or five digits.
std::pair<QString, double> meterDigits(Rng& r, bool negative)
{
    const int digits = r.pick(QList<int>{1, 2, 3, 3, 4, 4, 4, 4, 5, 5, 5});
    const int decimals = r.range(0, std::min(digits, 4));
    const int whole = digits - decimals;  // digits before the point; none means "0.xxx"
    qint64 top = 1;
    for (int i = 0; i < digits; ++i)
        top *= 10;
    qint64 mantissa = whole > 0 ? r.range(int(top / 10), int(top - 1)) : r.range(1, int(top - 1));
    if (whole == 0 && r.chance(0.5))
        mantissa = std::max<qint64>(mantissa / 10, 1);  // "0.045"
    double v = double(mantissa) / std::pow(10.0, decimals);
    if (negative)
        v = -v;
    const QString shown = formatted(v, decimals);
    return {shown, shown.toDouble()};
}

Measure measureFor(Rng& r, const QString& mode)
{
    Measure m;
    m.mode = mode;
    auto [shown, value] = meterDigits(r, (mode == QLatin1String("DC Voltage") || mode == QLatin1String("DC Current")) && r.chance(0.25));
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
        m.prefix = r.pick(QStringList{QString(), QStringLiteral("m"), QString(micro), QString(micro), QStringLiteral("m")});
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
        m.prefix = r.pick(QStringList{QStringLiteral("n"), QString(micro), QString(micro), QStringLiteral("m"), QStringLiteral("p"),
                                      QStringLiteral("p"), QStringLiteral("n")});
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
    // The screen's type face: weights for plain and bold text, width, and whether its glyphs are
    // smoothed (many instruments draw hard-edged bitmap-like text).
    int plainWeight = QFont::Normal;
    int boldWeight = QFont::Bold;
    int stretch = QFont::Unstretched;
    bool antialias = true;
    double scale = 1;  // 1 for 480 wide, 2/3 for 320 wide
    int statusTop = 0, statusBottom = 0;  // the band the status bar takes
    explicit Canvas(QSize size) : image(size, QImage::Format_RGB32) {}
};

QFont fontOf(const Canvas& c, const QString& family, double pixels, bool bold)
{
    QFont f(family);
    f.setPixelSize(qMax(6, int(std::lround(pixels))));
    f.setWeight(QFont::Weight(bold ? c.boldWeight : c.plainWeight));
    if (c.stretch != QFont::Unstretched)
        f.setStretch(c.stretch);
    f.setHintingPreference(c.antialias ? QFont::PreferNoHinting : QFont::PreferFullHinting);
    if (!c.antialias)
        f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

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
    QColor ink = c.pal.dim;
    if (r.chance(0.5)) {
        const QColor fill = r.pick(c.pal.light ? QList<QColor>{QColor(200, 200, 200), QColor(40, 70, 140), QColor(60, 60, 60)}
                                               : QList<QColor>{QColor(40, 40, 40), QColor(20, 30, 70), QColor(60, 60, 60)});
        c.p.fillRect(QRectF(0, y0, w, h), fill);
        if (fill.lightness() < 110)
            ink = QColor(r.range(190, 255), r.range(190, 255), r.range(190, 255));
    } else if (r.chance(0.5)) {
        c.p.setPen(QPen(c.pal.dim, 1));
        c.p.drawLine(QPointF(0, top ? h - 1 : y0), QPointF(w, top ? h - 1 : y0));
    }
    const QFont small = fontOf(c, r.pick(textFamilies()), h * 0.62, r.chance(0.4));
    const double base = y0 + h * 0.78;
    double x = 6;
    QStringList left;
    left << r.pick(QStringList{QStringLiteral("AUTO"), QStringLiteral("AUTO"), QStringLiteral("MANU"), QStringLiteral("Auto"),
                               QStringLiteral("MAN")});
    if (r.chance(0.3))
        left << r.pick(QStringList{QStringLiteral("HOLD"), QStringLiteral("H"), QStringLiteral("Hold")});
    if (m && !m->rangeMark.isEmpty()) {
        statusNumbers << m->rangeMark.left(m->rangeMark.indexOf(QRegularExpression(QStringLiteral("[^0-9]")))).toDouble();
        if (r.chance(0.6))
            left << m->rangeMark;
    }
    if (r.chance(0.2))
        left << QStringLiteral("REL");
    if (r.chance(0.15))
        left << QStringLiteral("APO");
    if (r.chance(0.15))
        left << QStringLiteral("USB");
    for (const QString& t : left) {
        x = drawTextAt(c.p, t, small, QPointF(x, base), ink).right() + 10 * c.scale + 4;
        if (x > w * 0.5)
            break;
    }
    // Right side: clock (sometimes with seconds or a date), then the battery as a percentage, a
    // voltage or an icon alone.
    const int hh = r.range(0, 23), mm = r.range(0, 59), ss = r.range(0, 59);
    QString clock = QStringLiteral("%1:%2").arg(hh, 2, 10, QLatin1Char('0')).arg(mm, 2, 10, QLatin1Char('0'));
    if (r.chance(0.2))
        clock += QStringLiteral(":%1").arg(ss, 2, 10, QLatin1Char('0'));
    const int percent = r.pick(QList<int>{100, 80, 75, 60, 45, 20, 95, 88});
    const int batteryStyle = r.range(0, 9);  // 0-5 percentage, 6-7 volts, 8-9 icon only
    QString battery;
    if (batteryStyle <= 5) {
        battery = QString::number(percent) + QLatin1Char('%');
        statusNumbers << percent;
    } else if (batteryStyle <= 7) {
        const double volts = r.range(34, 42) / 10.0;
        battery = formatted(volts, 1) + QLatin1Char('V');
        statusNumbers << volts;
    }
    statusNumbers << hh << mm << ss;
    double rx = w - 6 - h * 2.0;
    drawBattery(c, QPointF(rx, y0 + h * 0.22), h * 0.56, percent);
    if (!battery.isEmpty()) {
        rx -= widthOf(battery, small) + 5;
        drawTextAt(c.p, battery, small, QPointF(rx, base), ink);
    }
    if (r.chance(0.8) && rx - widthOf(clock, small) - 14 * c.scale > x) {
        rx -= widthOf(clock, small) + 14 * c.scale;
        drawTextAt(c.p, clock, small, QPointF(rx, base), ink);
    }
}

// The mode label near the top left, plain or in a filled box.
void drawModeLabel(Canvas& c, Rng& r, const QString& label, QPointF at)
{
    if (label.isEmpty())
        return;
    const QFont f = fontOf(c, r.pick(textFamilies()), r.range(16, 24) * c.scale, r.chance(0.6));
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
    QFont big = fontOf(c, family, px, c.bold);
    const int unitStyle = r.range(0, 2);  // 0 beside on the baseline, 1 small and raised, 2 same size
    const double unitScale = unitStyle == 0 ? r.real(0.4, 0.6) : unitStyle == 1 ? r.real(0.3, 0.42) : 1.0;
    QFont unitFont = fontOf(c, r.chance(0.7) ? family : r.pick(textFamilies()), px * unitScale, c.bold || r.chance(0.3));
    auto totalWidth = [&] { return widthOf(shown, big) + (unit.isEmpty() ? 0 : widthOf(QStringLiteral(" ") + unit, unitFont)); };
    while (totalWidth() > area.width() * 0.95 && px > 20) {
        px *= 0.92;
        big = fontOf(c, family, px, c.bold);
        unitFont = fontOf(c, unitFont.family(), px * unitScale, unitFont.bold());
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

// A light 3×3 blur, as a scaler that smooths the picture leaves it.
void blur(QImage& image)
{
    const QImage source = image.copy();
    const int w = image.width(), h = image.height();
    for (int y = 1; y < h - 1; ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 1; x < w - 1; ++x) {
            int sr = 0, sg = 0, sb = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y + dy));
                for (int dx = -1; dx <= 1; ++dx) {
                    const int k = (dx == 0 ? 2 : 1) * (dy == 0 ? 2 : 1);
                    sr += k * qRed(in[x + dx]);
                    sg += k * qGreen(in[x + dx]);
                    sb += k * qBlue(in[x + dx]);
                }
            }
            out[x] = qRgb(sr / 16, sg / 16, sb / 16);
        }
    }
}

// The picture as it comes back from a JPEG file of the given quality.
void compressLossily(QImage& image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG", quality))
        return;
    QImage back;
    if (back.loadFromData(bytes, "JPG"))
        image = back.convertToFormat(QImage::Format_RGB32);
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
    const QFont labelFont = fontOf(c, r.pick(textFamilies()), r.range(13, 18) * c.scale, r.chance(0.5));
    const QFont valueFont = fontOf(c, r.chance(0.5) ? c.family : r.pick(textFamilies()), r.range(16, 24) * c.scale, r.chance(0.4));
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
    const QFont subFont = fontOf(c, r.pick(textFamilies()), r.range(16, 24) * c.scale, r.chance(0.5));
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
        if (ghost.isValid())
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
    // Unlit segments, where the screen shows them, are a faint shade between background and ink.
    auto mix = [](const QColor& a, const QColor& b, double f) {
        return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * f, a.greenF() + (b.greenF() - a.greenF()) * f,
                                a.blueF() + (b.blueF() - a.blueF()) * f);
    };
    const QColor ghost = lcd || r.chance(0.5) ? mix(c.pal.background, c.pal.main, r.real(0.07, 0.22)) : QColor();
    QRectF drawn;
    if (!segmentFamilies().isEmpty() && !overload && r.chance(0.4)) {
        // The LCD fonts draw the same segments with their own proportions, upright or slanted,
        // thin or heavy.
        const double px = std::min(content.height() * 0.7, 90 * c.scale);
        QFont f(r.pick(segmentFamilies()));
        f.setPixelSize(int(px));
        f.setWeight(r.pick(QList<QFont::Weight>{QFont::Light, QFont::Normal, QFont::Bold}));
        f.setItalic(r.chance(0.5));
        while (widthOf(shown, f) > content.width() * 0.7)
            f.setPixelSize(int(f.pixelSize() * 0.9));
        const double x = content.left() + (content.width() * 0.75 - widthOf(shown, f)) * r.real(0.3, 0.9);
        const double y = content.top() + (content.height() + capHeight(f)) / 2;
        if (ghost.isValid() && r.chance(0.5)) {
            // The unlit segments show faintly behind the lit ones.
            QString all = shown;
            for (QChar& ch : all)
                if (ch.isDigit() || ch == QLatin1Char('-'))
                    ch = QLatin1Char('8');
            drawTextAt(c.p, all, f, QPointF(x, y), ghost);
        }
        drawn = drawTextAt(c.p, shown, f, QPointF(x, y), c.pal.main);
        drawn = QRectF(x, y - capHeight(f), widthOf(shown, f), capHeight(f));
    } else {
        drawn = drawSegmentText(c, r, shown, QRectF(content.left(), content.top(), content.width() * 0.8, content.height()), c.pal.main,
                                ghost);
    }
    const QFont unitFont = fontOf(c, r.pick(textFamilies()), std::max(14.0, drawn.height() * r.real(0.3, 0.45)), r.chance(0.5));
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

// The dotted or solid grid of an oscilloscope's screen.
void drawGraticule(Canvas& c, const QRectF& grid, int columns, int rows, Qt::PenStyle style)
{
    c.p.setPen(QPen(c.pal.light ? QColor(185, 185, 185) : QColor(70, 70, 70), 1, style));
    for (int i = 0; i <= columns; ++i)
        c.p.drawLine(QPointF(grid.left() + grid.width() * i / columns, grid.top()), QPointF(grid.left() + grid.width() * i / columns, grid.bottom()));
    for (int i = 0; i <= rows; ++i)
        c.p.drawLine(QPointF(grid.left(), grid.top() + grid.height() * i / rows), QPointF(grid.right(), grid.top() + grid.height() * i / rows));
}

// A sine (0), square (1), triangle (2) or sawtooth (3) wave across the grid, `amplitude` of its
// height either side of the middle.
QPainterPath tracePath(const QRectF& grid, int shape, double cycles, double amplitude)
{
    QPainterPath trace;
    for (int px = 0; px <= int(grid.width()); ++px) {
        const double ph = px / grid.width() * cycles * 2 * M_PI;
        const double y = shape == 0   ? std::sin(ph)
                         : shape == 1 ? (std::sin(ph) >= 0 ? 0.9 : -0.9)
                         : shape == 2 ? (2 / M_PI) * std::asin(std::sin(ph))
                                      : std::fmod(ph / (2 * M_PI), 1.0) * 1.8 - 0.9;
        const QPointF pt(grid.left() + px, grid.center().y() - y * grid.height() * amplitude);
        if (px == 0)
            trace.moveTo(pt);
        else
            trace.lineTo(pt);
    }
    return trace;
}

void layoutOscilloscope(Canvas& c, Rng& r, BenchTruth& t)
{
    const int w = c.image.width(), h = c.image.height();
    const QFont small = fontOf(c, r.pick(textFamilies()), r.range(12, 16) * c.scale + 2, r.chance(0.4));
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
    // Measurement strip along the bottom or under the top bar: peak to peak always, then a few
    // of frequency, period, duty, maximum / minimum, RMS and mean, in any order.
    const double vpp = r.range(50, 900) / 100.0 * (r.chance(0.3) ? 1000 : 1) / (r.chance(0.3) ? 10 : 1);
    const bool milli = vpp >= 100;
    const int vDecimals = milli ? r.range(0, 1) : 2;
    const QString vppShown = formatted(vpp, vDecimals);
    const QString vppUnit = milli ? QStringLiteral("mV") : QStringLiteral("V");
    auto volts = [&](double v) { return formatted(v, vDecimals) + vppUnit; };
    QList<std::pair<QString, QString>> items;  // label, value with unit
    items.append({r.pick(QStringList{QStringLiteral("Vpp"), QStringLiteral("Pk-Pk"), QStringLiteral("VPP"), QStringLiteral("Vp-p")}),
                  vppShown + vppUnit});
    const double hz = r.range(100, 9999) / 10.0 * std::pow(10.0, r.range(0, 4));
    const QString freqShown = hz >= 1e6 ? formatted(hz / 1e6, 3) + QStringLiteral("MHz")
                              : hz >= 1e3 ? formatted(hz / 1e3, 2) + QStringLiteral("kHz") : formatted(hz, 1) + QStringLiteral("Hz");
    const double period = 1 / hz;
    const QString periodShown = period >= 1e-3 ? formatted(period * 1e3, 2) + QStringLiteral("ms")
                                : period >= 1e-6 ? formatted(period * 1e6, 2) + QString(micro) + QLatin1Char('s')
                                                 : formatted(period * 1e9, 1) + QStringLiteral("ns");
    QList<std::pair<QString, QString>> extra;
    extra.append({r.pick(QStringList{QStringLiteral("Freq"), QStringLiteral("FREQ"), QStringLiteral("F")}), freqShown});
    extra.append({r.pick(QStringList{QStringLiteral("Period"), QStringLiteral("Prd"), QStringLiteral("T")}), periodShown});
    extra.append({r.pick(QStringList{QStringLiteral("Duty"), QStringLiteral("Duty+")}), formatted(r.range(100, 900) / 10.0, 1) + QLatin1Char('%')});
    extra.append({r.pick(QStringList{QStringLiteral("Vrms"), QStringLiteral("RMS")}), volts(vpp * 0.3536)});
    extra.append({r.pick(QStringList{QStringLiteral("Mean"), QStringLiteral("Vavg")}), volts(vpp * r.real(-0.2, 0.2))});
    for (qsizetype i = extra.size() - 1; i > 0; --i)
        extra.swapItemsAt(i, r.range(0, int(i)));
    const int more = r.range(1, 4);
    for (int i = 0; i < more; ++i)
        items.append(extra.at(i));
    if (r.chance(0.4)) {
        const double scale = std::pow(10.0, vDecimals);
        const double offset = std::round(vpp * r.real(-0.3, 0.3) * scale) / scale;
        const double half = std::round(vpp / 2 * scale) / scale;
        const bool named = r.chance(0.5);
        items.append({named ? QStringLiteral("Vmax") : r.pick(QStringList{QStringLiteral("Max"), QStringLiteral("MAX")}), volts(offset + half)});
        items.append({named ? QStringLiteral("Vmin") : r.pick(QStringList{QStringLiteral("Min"), QStringLiteral("MIN")}), volts(offset - half)});
        t.maxValue = formatted(offset + half, vDecimals).toDouble();
        t.minValue = formatted(offset - half, vDecimals).toDouble();
    }
    // Shuffle, keeping the order reproducible.
    for (qsizetype i = items.size() - 1; i > 0; --i)
        items.swapItemsAt(i, r.range(0, int(i)));
    const bool stacked = r.chance(0.5);  // label above value in each cell
    const bool stripOnTop = r.chance(0.25);
    QFont mf = fontOf(c, r.pick(textFamilies()), r.range(12, 16) * c.scale + 2, r.chance(0.4));
    const int perRow = stacked ? std::min(int(items.size()), 4) : int((items.size() + 1) / 2);
    // A real strip's text fits its cell: the font shrinks until the widest entry does.
    for (;;) {
        double widest = 0;
        for (const auto& [label, value] : items)
            widest = std::max(widest, stacked ? std::max(widthOf(label, mf), widthOf(value, mf)) : widthOf(label + QStringLiteral(": ") + value, mf) + 6);
        if (widest + 10 <= double(w) / perRow || mf.pixelSize() <= 8)
            break;
        mf.setPixelSize(mf.pixelSize() - 1);
    }
    const double rowH = stacked ? capHeight(mf) * 2 + 16 : capHeight(mf) + 12;
    const int rows = int((items.size() + perRow - 1) / perRow);
    const double stripTop = stripOnTop ? bar + 2 : h - rowH * rows - 2;
    const double stripBottom = stripTop + rowH * rows;
    const QColor stripFill = r.chance(0.5) ? (c.pal.light ? QColor(225, 225, 230) : QColor(25, 25, 35)) : c.pal.background;
    c.p.fillRect(QRectF(0, stripTop, w, stripBottom - stripTop), stripFill);
    const bool cellLines = r.chance(0.7);
    const double cellW = double(w) / perRow;
    for (int i = 0; i < items.size(); ++i) {
        const int row = i / perRow, col = i % perRow;
        const QRectF cell(col * cellW + 2, stripTop + row * rowH + 1, cellW - 4, rowH - 2);
        if (cellLines) {
            c.p.setPen(QPen(c.pal.dim.darker(150), 1));
            c.p.setBrush(Qt::NoBrush);
            c.p.drawRect(cell);
        }
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
    const QRectF grid = stripOnTop ? QRectF(4, stripBottom + 4, w - 8, h - stripBottom - 8) : QRectF(4, bar + 2, w - 8, stripTop - bar - 6);
    drawGraticule(c, grid, 10, 8, r.chance(0.6) ? Qt::DotLine : Qt::SolidLine);
    const int shape = r.range(0, 2);
    const QPainterPath trace = tracePath(grid, shape, r.real(1.5, 4), 0.35);
    c.p.setPen(QPen(r.pick(c.pal.light ? QList<QColor>{QColor(0, 60, 200), QColor(200, 0, 0)}
                                       : QList<QColor>{QColor(255, 230, 0), QColor(0, 230, 230), QColor(80, 255, 80)}),
                    r.real(1, 2.5)));
    c.p.setBrush(Qt::NoBrush);
    c.p.drawPath(trace);
    t.mode = QStringLiteral("Oscilloscope");
    t.value = vppShown.toDouble();
    t.shownValue = vppShown;
    t.unit = vppUnit;
    t.description = QStringLiteral("oscilloscope, Vpp %1%2, %3 measurements%4").arg(vppShown, vppUnit).arg(items.size())
                        .arg(stacked ? QStringLiteral(", stacked") : QString());
}

// Held out: the reader is scored on these but was not developed against them.

// A bench meter with a title bar naming the mode, the reading with a secondary reading below
// it, sometimes a one-line Min / Max / Avg record, and a row of soft keys along the bottom.
void layoutDualDisplay(Canvas& c, Rng& r, BenchTruth& t)
{
    const int w = c.image.width(), h = c.image.height();
    const Measure m = measureFor(r, r.pick(meterModes));
    t.mode = m.mode;
    t.unit = m.unit;
    const QFont titleFont = fontOf(c, r.pick(textFamilies()), r.range(14, 19) * c.scale + 2, r.chance(0.6));
    const double bar = capHeight(titleFont) + 12;
    c.p.fillRect(QRectF(0, 0, w, bar), c.pal.accent);
    const QString title = r.chance(0.5) ? m.mode : m.mode.toUpper();
    drawTextAt(c.p, title, titleFont, QPointF(8, bar - 6), Qt::white);
    const int hh = r.range(0, 23), mm = r.range(0, 59);
    const QString clock = QStringLiteral("%1:%2").arg(hh, 2, 10, QLatin1Char('0')).arg(mm, 2, 10, QLatin1Char('0'));
    drawTextAt(c.p, clock, titleFont, QPointF(w - 8 - widthOf(clock, titleFont), bar - 6), Qt::white);
    t.statusNumbers << hh << mm;
    // Soft keys.
    const QFont keyFont = fontOf(c, r.pick(textFamilies()), r.range(12, 15) * c.scale + 2, r.chance(0.4));
    const double keyH = capHeight(keyFont) + 14;
    QStringList keys = {QStringLiteral("Range"), QStringLiteral("Hold"), QStringLiteral("Rel"), QStringLiteral("Menu"),
                        QStringLiteral("Auto"), QStringLiteral("Setup"), QStringLiteral("Math")};
    for (qsizetype i = keys.size() - 1; i > 0; --i)
        keys.swapItemsAt(i, r.range(0, int(i)));
    const int keyCount = r.range(3, 5);
    const double keyW = double(w) / keyCount;
    for (int i = 0; i < keyCount; ++i) {
        const QRectF key(i * keyW + 3, h - keyH - 3, keyW - 6, keyH);
        c.p.setPen(QPen(c.pal.dim, 1));
        c.p.setBrush(Qt::NoBrush);
        c.p.drawRoundedRect(key, 3, 3);
        drawTextAt(c.p, keys.at(i), keyFont, QPointF(key.center().x() - widthOf(keys.at(i), keyFont) / 2, key.bottom() - 7), c.pal.label);
    }
    // Secondary reading and the record line.
    QString secondary;
    if (m.mode.startsWith(QLatin1String("AC")))
        secondary = formatted(r.range(4990, 6010) / 100.0, 2) + QStringLiteral(" Hz");
    else if (m.mode == QLatin1String("Temperature"))
        secondary = m.unit == degreeC ? formatted(m.value * 9 / 5 + 32, 1) + QLatin1Char(' ') + degreeF
                                      : formatted((m.value - 32) * 5 / 9, 1) + QLatin1Char(' ') + degreeC;
    else if (!m.rangeMark.isEmpty())
        secondary = QStringLiteral("Range ") + m.rangeMark;
    if (!m.rangeMark.isEmpty())
        t.statusNumbers << m.rangeMark.left(m.rangeMark.indexOf(QRegularExpression(QStringLiteral("[^0-9]")))).toDouble();
    const QFont secondFont = fontOf(c, r.pick(textFamilies()), r.range(16, 22) * c.scale, r.chance(0.5));
    const bool record = r.chance(0.5);
    const double recordH = record ? capHeight(secondFont) + 14 : 0;
    const double secondH = secondary.isEmpty() ? 0 : capHeight(secondFont) + 12;
    const QRectF valueArea(10, bar + 8, w - 20, h - keyH - 10 - bar - 8 - secondH - recordH);
    const QRectF drawn = drawMainValue(c, r, m.shown, m.unit, valueArea);
    double y = valueArea.bottom() + 4;
    if (!secondary.isEmpty()) {
        y += capHeight(secondFont);
        drawTextAt(c.p, secondary, secondFont, QPointF(std::max(10.0, drawn.right() - widthOf(secondary, secondFont)), y), c.pal.label);
        y += 12;
    }
    if (record) {
        const int decimals = decimalsOf(m.shown);
        const double step = std::pow(10.0, -decimals);
        const double lo = m.value - step * r.range(1, 40), hi = m.value + step * r.range(1, 40);
        const QString lt = formatted(lo, decimals), ht = formatted(hi, decimals), at = formatted((lo + hi) / 2, decimals);
        const QString sep = r.chance(0.5) ? QStringLiteral(": ") : QStringLiteral(" ");
        QString line = QStringLiteral("Min") + sep + lt + QStringLiteral("   Max") + sep + ht;
        if (r.chance(0.5))
            line += QStringLiteral("   Avg") + sep + at;
        const QFont recordFont = fontOf(c, r.pick(textFamilies()), r.range(13, 17) * c.scale + 1, false);
        drawTextAt(c.p, line, recordFont, QPointF(12, y + capHeight(recordFont)), c.pal.main);
        t.minValue = lt.toDouble();
        t.maxValue = ht.toDouble();
    }
    t.value = m.value;
    t.shownValue = m.shown;
    t.description = QStringLiteral("dual display %1 %2, secondary '%3'%4").arg(m.shown, m.unit, secondary)
                        .arg(record ? QStringLiteral(", record line") : QString());
}

// An oscilloscope whose measurements are a column on the right, each label above its value,
// with the channel, time base and trigger settings along the bottom.
void layoutScopeSidePanel(Canvas& c, Rng& r, BenchTruth& t)
{
    const int w = c.image.width(), h = c.image.height();
    const QFont small = fontOf(c, r.pick(textFamilies()), r.range(11, 15) * c.scale + 2, r.chance(0.4));
    const double bar = capHeight(small) + 10;
    // Bottom bar: channel with its scale, time base, trigger level, run state.
    const QString scaleText = r.pick(QStringList{QStringLiteral("500mV"), QStringLiteral("1.00V"), QStringLiteral("2V"), QStringLiteral("200mV")});
    const QString timeText = r.pick(QStringList{QStringLiteral("M 1.00ms"), QStringLiteral("H 500us"), QStringLiteral("200us"), QStringLiteral("M 10ms")});
    const double trigLevel = r.range(-20, 40) / 10.0;
    const QString trigText = QStringLiteral("Trig ") + formatted(trigLevel, 2) + QLatin1Char('V');
    t.statusNumbers << scaleText.left(scaleText.indexOf(QRegularExpression(QStringLiteral("[^0-9.]")))).toDouble() << trigLevel;
    c.p.fillRect(QRectF(0, h - bar, w, bar), c.pal.light ? QColor(215, 215, 220) : QColor(30, 30, 38));
    double x = 4;
    const QRectF chan(x, h - bar + 2, widthOf(QStringLiteral("CH1"), small) + 8, bar - 4);
    c.p.fillRect(chan, QColor(210, 190, 0));
    drawTextAt(c.p, QStringLiteral("CH1"), small, QPointF(x + 4, h - 5), Qt::black);
    x = chan.right() + 6;
    for (const QString& item : {scaleText, timeText, trigText, r.pick(QStringList{QStringLiteral("RUN"), QStringLiteral("STOP"), QStringLiteral("Auto")})})
        x = drawTextAt(c.p, item, small, QPointF(x, h - 5), c.pal.label).right() + 12 * c.scale;
    // Measurement column.
    const double panelW = w * r.real(0.26, 0.32);
    const QRectF panel(w - panelW, 2, panelW - 2, h - bar - 4);
    c.p.setPen(QPen(c.pal.dim, 1));
    c.p.setBrush(Qt::NoBrush);
    c.p.drawRect(panel);
    const double vpp = r.range(30, 990) / 100.0 * (r.chance(0.35) ? 100 : 1);
    const bool milli = vpp >= 100;
    const int decimals = milli ? 0 : r.range(1, 2);
    const QString vppShown = formatted(vpp, decimals);
    const QString unit = milli ? QStringLiteral("mV") : QStringLiteral("V");
    QList<std::pair<QString, QString>> items = {{r.pick(QStringList{QStringLiteral("Vpp"), QStringLiteral("Pk-Pk")}), vppShown + unit}};
    const double hz = r.range(100, 9999) / 10.0 * std::pow(10.0, r.range(0, 3));
    items.append({QStringLiteral("Freq"), hz >= 1e3 ? formatted(hz / 1e3, 3) + QStringLiteral("kHz") : formatted(hz, 1) + QStringLiteral("Hz")});
    if (r.chance(0.5))
        items.append({QStringLiteral("Vrms"), formatted(vpp * 0.35, decimals) + unit});
    if (r.chance(0.5)) {
        const double scale = std::pow(10.0, decimals);
        const double half = std::round(vpp / 2 * scale) / scale;
        const double offset = std::round(vpp * r.real(-0.2, 0.2) * scale) / scale;
        items.append({QStringLiteral("Max"), formatted(offset + half, decimals) + unit});
        items.append({QStringLiteral("Min"), formatted(offset - half, decimals) + unit});
        t.maxValue = formatted(offset + half, decimals).toDouble();
        t.minValue = formatted(offset - half, decimals).toDouble();
    }
    if (r.chance(0.4))
        items.append({QStringLiteral("Duty"), formatted(r.range(100, 900) / 10.0, 1) + QLatin1Char('%')});
    for (qsizetype i = items.size() - 1; i > 0; --i)
        items.swapItemsAt(i, r.range(0, int(i)));
    const QFont labelFont = fontOf(c, r.pick(textFamilies()), r.range(11, 14) * c.scale + 2, false);
    const QFont valueFont = fontOf(c, r.pick(textFamilies()), r.range(13, 17) * c.scale + 2, r.chance(0.5));
    const double entryH = std::min(panel.height() / items.size(), capHeight(labelFont) + capHeight(valueFont) + 18);
    for (int i = 0; i < items.size(); ++i) {
        const double top = panel.top() + 4 + i * entryH;
        drawTextAt(c.p, items.at(i).first, labelFont, QPointF(panel.left() + 6, top + capHeight(labelFont)), c.pal.label);
        drawTextAt(c.p, items.at(i).second, valueFont, QPointF(panel.left() + 6, top + capHeight(labelFont) + 6 + capHeight(valueFont)),
                   c.pal.main);
        if (i + 1 < items.size()) {
            c.p.setPen(QPen(c.pal.dim.darker(140), 1));
            c.p.drawLine(QPointF(panel.left() + 3, top + entryH - 2), QPointF(panel.right() - 3, top + entryH - 2));
        }
    }
    // Graticule, trace, trigger marker and two cursors.
    const QRectF grid(4, 4, panel.left() - 10, h - bar - 10);
    drawGraticule(c, grid, 8, 6, Qt::DotLine);
    const double cycles = r.real(1.5, 5);
    const QPainterPath trace = tracePath(grid, r.pick(QList<int>{0, 1, 3}), cycles, 0.3);
    c.p.setPen(QPen(c.pal.light ? QColor(0, 60, 200) : QColor(255, 230, 0), 1.5));
    c.p.drawPath(trace);
    c.p.setPen(QPen(QColor(255, 120, 0), 1, Qt::DashLine));
    const double ty = grid.center().y() - grid.height() * r.real(-0.2, 0.2);
    c.p.drawLine(QPointF(grid.left(), ty), QPointF(grid.right(), ty));
    if (r.chance(0.5)) {
        c.p.setPen(QPen(QColor(0, 200, 255), 1, Qt::DashLine));
        for (double f : {r.real(0.2, 0.4), r.real(0.6, 0.8)})
            c.p.drawLine(QPointF(grid.left() + grid.width() * f, grid.top()), QPointF(grid.left() + grid.width() * f, grid.bottom()));
    }
    t.mode = QStringLiteral("Oscilloscope");
    t.value = vppShown.toDouble();
    t.shownValue = vppShown;
    t.unit = unit;
    t.description = QStringLiteral("scope side panel, Vpp %1%2, %3 measurements").arg(vppShown, unit).arg(items.size());
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
    c.plainWeight = r.pick(QList<int>{QFont::Light, QFont::Normal, QFont::Normal, QFont::Medium});
    c.boldWeight = r.pick(QList<int>{QFont::DemiBold, QFont::Bold, QFont::Bold, QFont::Black});
    c.stretch = r.chance(0.2) ? QFont::Condensed : QFont::Unstretched;
    c.antialias = r.chance(0.75);
    c.image.fill(c.pal.background);
    c.p.begin(&c.image);
    c.p.setRenderHint(QPainter::Antialiasing, c.antialias);
    c.p.setRenderHint(QPainter::TextAntialiasing, c.antialias);
    s.truth.layout = layout;
    switch (layout) {
    case BenchLayout::BigDigits: layoutBigDigits(c, r, s.truth); break;
    case BenchLayout::MinMaxPanel: layoutMinMax(c, r, s.truth); break;
    case BenchLayout::SubReading: layoutSubReading(c, r, s.truth); break;
    case BenchLayout::SevenSegment: layoutSevenSegment(c, r, s.truth, false); break;
    case BenchLayout::Overload: layoutOverload(c, r, s.truth); break;
    case BenchLayout::Oscilloscope: layoutOscilloscope(c, r, s.truth); break;
    case BenchLayout::DualDisplay: layoutDualDisplay(c, r, s.truth); break;
    case BenchLayout::ScopeSidePanel: layoutScopeSidePanel(c, r, s.truth); break;
    }
    c.p.end();
    // What a capture may have been through: a soft scaler, lossy compression, sensor-like noise.
    const int degrade = r.range(0, 9);
    if (degrade == 0)
        blur(c.image);
    else if (degrade == 1)
        compressLossily(c.image, r.range(55, 90));
    if (r.chance(0.25))
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

QList<BenchScreen> heldOutScreenCorpus(int count, quint32 firstSeed)
{
    QList<BenchScreen> out;
    for (int i = 0; i < count; ++i)
        out.append(drawBenchScreen(firstSeed + quint32(i), BenchLayout(benchLayoutCount + i % heldOutLayoutCount),
                                   (i / heldOutLayoutCount) % 2 == 1));
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
