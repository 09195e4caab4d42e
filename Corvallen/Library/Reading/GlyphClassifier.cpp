#include "Corvallen/Library/Reading/GlyphClassifier.h"

#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace GlyphClassifier {

namespace {

struct Guess {
    QChar digit;          // '0'..'9', or null when the glyph matches no digit well
    double distance = 1;  // to the nearest drawing of that digit: 0 same, 1 nothing alike
    double margin = 0;    // how much farther the nearest drawing of any other digit is
    bool twin = false;    // a letter looks as much like it (0 and O, 1 and l)
    bool letter = false;  // no digit: a letter or sign matches it well, better than any digit
    QChar nearestLetter;  // the letter or sign that matches it best
};

constexpr int gridWidth = 10;
constexpr int gridHeight = 14;
using Grid = std::array<float, size_t(gridWidth) * gridHeight>;

// What the drawings show: the digits, and the letters, which are there so that a letter is not
// taken for the digit it most resembles.
const QString symbols = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz%:/()+~\u00B5\u00B0\u03A9");
constexpr int digitCount = 10;

// The grid summed over blocks of 2 × 2 cells. Whatever a glyph's cells, the sum of squared
// differences of two grids is at least a quarter of that of their block sums, so a drawing far
// from a glyph is known to be far after a quarter of the work.
constexpr int blockCount = (gridWidth / 2) * (gridHeight / 2);
// (One more, always naught, so that they are compared four at a time.)
using Blocks = std::array<float, size_t(blockCount) + 1>;

Blocks toBlocks(const Grid& g)
{
    Blocks b{};
    for (int y = 0; y < gridHeight; ++y)
        for (int x = 0; x < gridWidth; ++x)
            b[size_t(y / 2) * (gridWidth / 2) + size_t(x / 2)] += g[size_t(y) * gridWidth + size_t(x)];
    return b;
}

struct Drawing {
    Grid grid{};
    float aspect = 1;  // width / height of its ink
};

// The drawings of one size, with their block sums kept apart, side by side: most drawings are
// passed over on their blocks alone, which then stay in the processor's cache.
struct Drawings {
    std::vector<Drawing> all;
    std::vector<Blocks> blocks;  // one for each of `all`
    std::vector<int> symbol;     // one for each of `all`: an index into `symbols`
};

// Intensities (0..1) of a w × h patch averaged into the grid: every grid cell takes the mean of
// the part of the patch it covers, so a glyph of any size lands on the same cells.
Grid toGrid(const std::vector<float>& patch, int w, int h)
{
    Grid g{};
    const double sx = double(w) / gridWidth, sy = double(h) / gridHeight;
    for (int gy = 0; gy < gridHeight; ++gy) {
        const double y0 = gy * sy, y1 = (gy + 1) * sy;
        for (int gx = 0; gx < gridWidth; ++gx) {
            const double x0 = gx * sx, x1 = (gx + 1) * sx;
            double sum = 0, area = 0;
            for (int y = int(y0); y < std::min(h, int(std::ceil(y1))); ++y) {
                const double cy = std::min(y1, y + 1.0) - std::max(y0, double(y));
                if (cy <= 0)
                    continue;
                for (int x = int(x0); x < std::min(w, int(std::ceil(x1))); ++x) {
                    const double cx = std::min(x1, x + 1.0) - std::max(x0, double(x));
                    if (cx <= 0)
                        continue;
                    sum += patch[size_t(y) * size_t(w) + size_t(x)] * cx * cy;
                    area += cx * cy;
                }
            }
            g[size_t(gy) * gridWidth + size_t(gx)] = area > 0 ? float(sum / area) : 0.f;
        }
    }
    return g;
}

// The faces to draw digits in: the installed text faces (each once, whoever made it), the
// common screen faces first; symbol, segment and script faces left out (segment digits have a
// decoder of their own), and the generic names, which stand for faces already in the list.
QStringList faces()
{
    static const QStringList skip = {QStringLiteral("dseg"),    QStringLiteral("symbol"),   QStringLiteral("dingbat"),
                                     QStringLiteral("math"),    QStringLiteral("weather"),  QStringLiteral("emoji"),
                                     QStringLiteral("d050000l"), QStringLiteral("icon"),    QStringLiteral("awesome"),
                                     QStringLiteral("z003"),    QStringLiteral("chancery"), QStringLiteral("script")};
    static const QStringList generic = {QStringLiteral("monospace"), QStringLiteral("sans serif"), QStringLiteral("serif"),
                                        QStringLiteral("sans-serif"), QStringLiteral("sans")};
    static const QStringList common = {QStringLiteral("DejaVu Sans"),     QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Sans"),
                                       QStringLiteral("Liberation Mono"), QStringLiteral("Noto Sans"),        QStringLiteral("Noto Sans Mono"),
                                       QStringLiteral("Noto Mono"),       QStringLiteral("FreeSans"),         QStringLiteral("FreeMono"),
                                       QStringLiteral("Nimbus Sans"),     QStringLiteral("Nimbus Mono PS"),   QStringLiteral("Ubuntu"),
                                       QStringLiteral("Ubuntu Mono"),     QStringLiteral("Cantarell"),        QStringLiteral("Roboto"),
                                       QStringLiteral("Open Sans"),       QStringLiteral("Source Code Pro"),  QStringLiteral("Terminus")};
    QStringList found;
    for (QString f : QFontDatabase::families(QFontDatabase::Latin)) {
        if (const qsizetype foundry = f.indexOf(QLatin1String(" [")); foundry > 0)
            f.truncate(foundry);
        const QString l = f.toLower();
        if (generic.contains(l) || std::any_of(skip.begin(), skip.end(), [&](const QString& s) { return l.contains(s); }))
            continue;
        if (!found.contains(f))
            found.append(f);
    }
    found.sort(Qt::CaseInsensitive);
    QStringList out;
    for (const QString& f : common)
        if (found.contains(f))
            out.append(f);
    for (const QString& f : found)
        if (!out.contains(f))
            out.append(f);
    // Many faces installed: keep the work per size bounded.
    constexpr qsizetype most = 24;
    if (out.size() > most)
        out.resize(most);
    if (out.isEmpty())
        out.append(QFont().defaultFamily());
    return out;
}

// The ink of each of `text`'s characters drawn white on black in `font`, each cut to its box
// (threshold half of full ink, as the line's characters are cut), as 0..1 intensities with
// the box's size; an empty size where the face draws nothing. All are drawn on one image.
// `slashed` draws a stroke across each character's inside (a slashed zero).
QList<std::pair<std::vector<float>, QSize>> inkOf(const QFont& font, const QString& text, QPointF offset, float cut = 0.5f, bool slashed = false)
{
    const int pixel = std::max(4, font.pixelSize());
    const int cell = pixel * 2 + 8;
    QImage image(cell * int(text.size()), cell, QImage::Format_Grayscale8);
    image.fill(0);
    {
        QPainter p(&image);
        p.setFont(font);
        p.setPen(Qt::white);
        for (int i = 0; i < text.size(); ++i)
            p.drawText(QPointF(i * cell + 4 + offset.x(), 4 + pixel * 1.3 + offset.y()), QString(text.at(i)));
    }
    QList<std::pair<std::vector<float>, QSize>> out;
    for (int i = 0; i < text.size(); ++i) {
        int x0 = cell, y0 = cell, x1 = -1, y1 = -1;
        for (int y = 0; y < cell; ++y) {
            const uchar* line = image.constScanLine(y) + i * cell;
            for (int x = 0; x < cell; ++x)
                if (line[x] > cut * 255) {
                    x0 = std::min(x0, x);
                    x1 = std::max(x1, x);
                    y0 = std::min(y0, y);
                    y1 = std::max(y1, y);
                }
        }
        if (x1 < 0) {
            out.append({{}, QSize()});
            continue;
        }
        if (slashed) {
            // The stroke across the inside, from the foot of the left side to the shoulder of
            // the right, as thick as the top is in the middle.
            int stroke = 0;
            while (y0 + stroke <= y1 && image.constScanLine(y0 + stroke)[i * cell + (x0 + x1) / 2] > cut * 255)
                ++stroke;
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing, font.styleStrategy() != QFont::NoAntialias);
            p.setPen(QPen(Qt::white, std::max(1, stroke), Qt::SolidLine, Qt::FlatCap));
            const double h = y1 - y0 + 1;
            p.drawLine(QPointF(i * cell + x0 + stroke, y1 + 1 - h * 0.3), QPointF(i * cell + x1 + 1 - stroke, y0 + h * 0.3));
        }
        const QSize box(x1 - x0 + 1, y1 - y0 + 1);
        std::vector<float> ink(size_t(box.width()) * size_t(box.height()));
        for (int y = 0; y < box.height(); ++y) {
            const uchar* line = image.constScanLine(y0 + y) + i * cell;
            for (int x = 0; x < box.width(); ++x)
                ink[size_t(y) * size_t(box.width()) + size_t(x)] = line[x0 + x] / 255.f;
        }
        out.append({std::move(ink), box});
    }
    return out;
}

// The digits (and the letters and signs) of every face, drawn so that the digits are `height`
// pixels tall.
Drawings drawDigits(int height)
{
    Drawings out;
    const QString digits = symbols.left(digitCount);
    for (const QString& family : faces()) {
        for (const int weight : {int(QFont::Normal), int(QFont::Bold)}) {
            for (const bool smooth : {true, false}) {
                QFont font(family);
                font.setWeight(QFont::Weight(weight));
                font.setHintingPreference(QFont::PreferFullHinting);
                font.setStyleStrategy(smooth ? QFont::PreferAntialias : QFont::NoAntialias);
                // The pixel sizes whose "0" stands `height` pixels tall: hinting draws the same
                // height at neighbouring sizes, with strokes of other widths.
                // (How tall a face draws its "0" at each pixel size is measured once per process:
                // the sizes are probed again for every height the screens need.)
                static std::map<std::tuple<QString, int, bool, int>, int> zeroHeights;
                QList<int> sizes;
                for (int pixel = std::max(4, int(height * 1.1)); pixel <= int(std::ceil(height * 1.8)) && sizes.size() < 2; ++pixel) {
                    auto [known, fresh] = zeroHeights.try_emplace({family, weight, smooth, pixel}, 0);
                    if (fresh) {
                        font.setPixelSize(pixel);
                        known->second = inkOf(font, QStringLiteral("0"), {}).first().second.height();
                    }
                    if (known->second == height)
                        sizes.append(pixel);
                    else if (known->second > height)
                        break;
                }
                // Letters are there to be told from digits; smoothed ones at one size do for that.
                QList<std::pair<int, QString>> drawings;
                for (int k = 0; k < sizes.size(); ++k)
                    drawings.append({sizes.at(k), smooth && k == 0 ? symbols : digits});
                for (const auto& [pixel, text] : drawings) {
                    font.setPixelSize(pixel);
                    auto inks = inkOf(font, text, {});
                    // Instruments' own faces often slash their zero (set apart from the O): a
                    // slashed zero is a zero, not the 8 or 6 it is nearer to unslashed. (Below
                    // eight pixels the slash fills it in: it would be any blob.)
                    if (height >= 8)
                        inks.append(inkOf(font, QStringLiteral("0"), {}, 0.5f, true));
                    for (int d = 0; d < inks.size(); ++d) {
                        const auto& [ink, size] = inks.at(d);
                        if (size.isEmpty())
                            continue;
                        Drawing drawing;
                        drawing.grid = toGrid(ink, size.width(), size.height());
                        drawing.aspect = float(size.width()) / size.height();
                        out.blocks.push_back(toBlocks(drawing.grid));
                        out.symbol.push_back(d >= text.size() ? 0 : d);
                        out.all.push_back(drawing);
                    }
                }
            }
        }
    }
    return out;
}

// The character heights compared with drawings, in pixels.
constexpr int smallestCompared = 5, tallestCompared = 40;

const Drawings& drawingsFor(int height)
{
    static std::mutex lock;
    static std::map<int, std::unique_ptr<Drawings>> bySize;
    std::lock_guard guard(lock);
    auto& entry = bySize[height];
    if (!entry)
        entry = std::make_unique<Drawings>(drawDigits(height));
    return *entry;
}

// One character of small print: its box and its ink (0..1, the line's own contrast stretched),
// the ink of neighbours that reach into its box left out.
struct Character {
    QRect box;
    std::vector<float> ink;
};

// The characters of a stretch of small print: pieces of ink above half the line's contrast,
// pieces one above the other (the dot of an i, the halves of a broken stroke, a colon) taken
// together.
QList<Character> charactersOf(const ScreenSegmenter::Scan& scan, const QRect& area)
{
    QList<Character> line;
    const QRect a = area.adjusted(-1, -1, 1, 1).intersected(QRect(0, 0, scan.width, scan.height));
    if (a.isEmpty())
        return line;
    int low = 255, high = 0;
    for (int y = a.top(); y <= a.bottom(); ++y)
        for (int x = a.left(); x <= a.right(); ++x) {
            low = std::min(low, int(scan.at(x, y)));
            high = std::max(high, int(scan.at(x, y)));
        }
    if (high - low < 20)
        return line;
    const int w = a.width(), h = a.height();
    const int threshold = low + (high - low) / 2;
    std::vector<bool> mask(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            mask[size_t(y) * size_t(w) + size_t(x)] = scan.at(a.left() + x, a.top() + y) > threshold;
    std::vector<int> labels;
    const QList<QRect> boxes = ScreenSegmenter::pieces(mask, w, h, labels);
    // Pieces sharing most of their columns are one character.
    std::vector<int> owner(boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i)
        owner[i] = int(i);
    auto root = [&](int i) {
        while (owner[size_t(i)] != i)
            i = owner[size_t(i)];
        return i;
    };
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            const QRect& p = boxes[i];
            const QRect& q = boxes[j];
            const int overlap = std::min(p.right(), q.right()) - std::max(p.left(), q.left()) + 1;
            if (overlap * 2 >= std::min(p.width(), q.width()))
                owner[size_t(root(int(j)))] = root(int(i));
        }
    std::map<int, int> characterOf;
    QList<QRect> merged;
    for (size_t i = 0; i < boxes.size(); ++i) {
        const int r = root(int(i));
        auto it = characterOf.find(r);
        if (it == characterOf.end()) {
            characterOf[r] = int(merged.size());
            merged.append(boxes[i]);
        } else {
            merged[it->second] |= boxes[i];
        }
    }
    QList<int> order(merged.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int p, int q) { return merged.at(p).left() < merged.at(q).left(); });
    for (int c : order) {
        Character ch;
        const QRect& b = merged.at(c);
        ch.box = b.translated(a.topLeft());
        ch.ink.assign(size_t(b.width()) * size_t(b.height()), 0.f);
        for (int y = 0; y < b.height(); ++y)
            for (int x = 0; x < b.width(); ++x) {
                const int lx = b.left() + x, ly = b.top() + y;
                const int l = labels[size_t(ly) * size_t(w) + size_t(lx)];
                if (l >= 0 && characterOf.at(root(l)) != c)
                    continue;  // a neighbour's ink
                const float v = float(scan.at(a.left() + lx, a.top() + ly) - low) / float(high - low);
                ch.ink[size_t(y) * size_t(b.width()) + size_t(x)] = std::clamp(v, 0.f, 1.f);
            }
        line.append(ch);
    }
    return line;
}

}  // namespace

int closedLoops(const std::vector<float>& ink, int width, int height)
{
    for (const float v : ink)
        if (v > 0.15f && v < 0.85f)
            return -1;
    // Blank pixels reached from outside the glyph, four ways (a one-pixel stroke closing a
    // loop corner to corner still walls it in).
    const int w = width + 2, h = height + 2;
    std::vector<bool> seen(size_t(w) * size_t(h), false);
    auto blank = [&](int x, int y) { return x <= 0 || y <= 0 || x > width || y > height || ink[size_t(y - 1) * size_t(width) + size_t(x - 1)] < 0.5f; };
    int areas = 0;
    for (int sy = 0; sy < h; ++sy)
        for (int sx = 0; sx < w; ++sx) {
            if (seen[size_t(sy) * size_t(w) + size_t(sx)] || !blank(sx, sy))
                continue;
            std::vector<std::pair<int, int>> stack{{sx, sy}};
            seen[size_t(sy) * size_t(w) + size_t(sx)] = true;
            while (!stack.empty()) {
                const auto [x, y] = stack.back();
                stack.pop_back();
                const int around[4][2] = {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}};
                for (const auto& [nx, ny] : around)
                    if (nx >= 0 && ny >= 0 && nx < w && ny < h && !seen[size_t(ny) * size_t(w) + size_t(nx)] && blank(nx, ny)) {
                        seen[size_t(ny) * size_t(w) + size_t(nx)] = true;
                        stack.push_back({nx, ny});
                    }
            }
            ++areas;
        }
    return areas - 1;  // the first area, from the corner, is the outside
}

namespace {

// How far a glyph may be from the nearest drawing of a digit and still be that digit; how much
// nearer it must be than to any other digit; and how much nearer than to any letter, else it is
// a digit that may be a letter (0 and O, 1 and l).
constexpr double farthestMatch = 0.06;
constexpr double leastMargin = 0.007;
constexpr double letterMargin = 0.004;

// Whether a hard-edged glyph has a loop where the digit has none: a 9 drawn in a face of the
// instrument's own may be nearer to some drawn 3 than to any drawn 9, but its upper loop is
// closed.
bool loopsDeny(int digit, const std::vector<float>& ink, int width, int height)
{
    return QStringLiteral("12357").contains(QChar(u'0' + digit)) && closedLoops(ink, width, height) > 0;
}

Guess classifyInk(const std::vector<float>& ink, int width, int height)
{
    Guess out;
    if (height < smallestCompared || height > tallestCompared || width < 1)
        return out;
    const Grid g = toGrid(ink, width, height);
    // The same character is often looked at more than once (alone, split, joined with its
    // neighbour); its answer is kept for the thread's next captures too.
    thread_local std::unordered_map<std::string, Guess> known;
    std::string key(reinterpret_cast<const char*>(g.data()), sizeof(float) * g.size());
    key.append(reinterpret_cast<const char*>(&width), sizeof width).append(reinterpret_cast<const char*>(&height), sizeof height);
    if (const auto it = known.find(key); it != known.end())
        return it->second;
    if (known.size() > 20000)
        known.clear();
    const Blocks blocks = toBlocks(g);
    const float aspect = float(width) / height;
    constexpr double farEnough = 0.1;
    std::vector<double> best(size_t(symbols.size()), farEnough);  // per symbol, its nearest drawing
    const Drawings& drawings = drawingsFor(height);
    for (size_t i = 0; i < drawings.all.size(); ++i) {
        const Blocks& theirs = drawings.blocks[i];
        double& nearest = best[size_t(drawings.symbol[i])];
        // Distances beyond the farthest that still counts as a match only need to be known as
        // "far"; rows are compared a few at a time and a drawing given up once it can't beat
        // the best of its symbol or come within that.
        const double bound = std::min(nearest, farEnough);
        // (Summed in four strands at once: it only has to be right to well within the slack
        // the passing over allows.)
        static_assert(std::tuple_size_v<Blocks> % 4 == 0);
        float strands[4] = {};
        for (size_t k = 0; k < blocks.size(); k += 4)
            for (size_t m = 0; m < 4; ++m) {
                const float diff = blocks[k + m] - theirs[k + m];
                strands[m] += diff * diff;
            }
        const float coarse = (strands[0] + strands[1]) + (strands[2] + strands[3]);
        // Most drawings are far by their blocks alone, whatever the shape adds: passed over
        // before the shape's cost is worked out (the limit below is never above this one).
        if (coarse * 0.25f > float(bound * double(g.size())) * 1.001f + 1e-4f)
            continue;
        const Drawing& d = drawings.all[i];
        const double shape = std::log(aspect / d.aspect);
        const double shapeCost = 0.1 * shape * shape;
        if (shapeCost >= bound)
            continue;
        const float limit = float((bound - shapeCost) * double(g.size()));
        // A little slack for rounding: only drawings surely beyond the limit are passed over.
        if (coarse * 0.25f > limit * 1.001f + 1e-4f)
            continue;
        float sum = 0;
        for (int row = 0; row < gridHeight && sum < limit; ++row) {
            const float* a = g.data() + size_t(row) * gridWidth;
            const float* b = d.grid.data() + size_t(row) * gridWidth;
            for (int x = 0; x < gridWidth; ++x) {
                const float diff = a[x] - b[x];
                sum += diff * diff;
            }
        }
        nearest = std::min(nearest, double(sum) / double(g.size()) + shapeCost);
    }
    int first = 0;
    for (int d = 1; d < digitCount; ++d)
        if (best[size_t(d)] < best[size_t(first)])
            first = d;
    double second = 1e9, letter = 1e9;
    for (int d = 0; d < digitCount; ++d)
        if (d != first)
            second = std::min(second, best[size_t(d)]);
    for (int d = digitCount; d < symbols.size(); ++d)
        if (best[size_t(d)] < letter) {
            letter = best[size_t(d)];
            out.nearestLetter = symbols.at(d);
        }
    out.distance = best[size_t(first)];
    out.margin = second - out.distance;
    if (out.distance <= farthestMatch && out.margin >= leastMargin && !loopsDeny(first, ink, width, height)) {
        out.digit = QChar(u'0' + first);
        out.twin = letter - out.distance < letterMargin;
    } else {
        out.letter = letter <= farthestMatch && letter < out.distance;
    }
    known.emplace(std::move(key), out);
    return out;
}

// The part of a character between columns `from` and `to`, cut to its own ink.
Character slice(const Character& c, int from, int to)
{
    const int w = c.box.width();
    int top = c.box.height(), bottom = -1, left = to + 1, right = from - 1;
    for (int y = 0; y < c.box.height(); ++y)
        for (int x = from; x <= to; ++x)
            if (c.ink[size_t(y) * size_t(w) + size_t(x)] > 0.5f) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                left = std::min(left, x);
                right = std::max(right, x);
            }
    Character out;
    if (bottom < 0)
        return out;
    out.box = QRect(c.box.left() + left, c.box.top() + top, right - left + 1, bottom - top + 1);
    out.ink.resize(size_t(out.box.width()) * size_t(out.box.height()));
    for (int y = 0; y < out.box.height(); ++y)
        for (int x = 0; x < out.box.width(); ++x) {
            const float v = c.ink[size_t(top + y) * size_t(w) + size_t(left + x)];
            out.ink[size_t(y) * size_t(out.box.width()) + size_t(x)] = v;
        }
    return out;
}

// Where to cut a character that holds more than one: the three columns with the least ink,
// none nearer its sides than a third of its height.
QList<int> thinnestColumns(const Character& c)
{
    const int w = c.box.width(), h = c.box.height();
    std::vector<float> column(size_t(w), 0.f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            column[size_t(x)] += c.ink[size_t(y) * size_t(w) + size_t(x)];
    QList<int> cuts;
    for (int x = std::max(2, int(h * 0.3)); x <= w - 1 - std::max(2, int(h * 0.3)); ++x)
        cuts.append(x);
    std::sort(cuts.begin(), cuts.end(), [&](int a, int b) { return column[size_t(a)] < column[size_t(b)]; });
    if (cuts.size() > 3)
        cuts.resize(3);
    return cuts;
}

// Cuts a character that holds several touching digits into them: the cut goes through one of
// the columns with the least ink, and each side must read as a digit (or be cut again).
bool splitDigits(const Character& c, QList<Character>& parts, QList<Guess>& guesses, int depth)
{
    const int w = c.box.width(), h = c.box.height();
    if (depth == 0 || w < 5)
        return false;
    const QList<int> cuts = thinnestColumns(c);
    double bestDistance = 1e9;
    for (int cut : cuts) {
        QList<Character> found;
        QList<Guess> foundGuesses;
        double total = 0;
        bool ok = true;
        for (const auto& [from, to] : {std::pair{0, cut - 1}, std::pair{cut + 1, w - 1}}) {
            const Character part = slice(c, from, to);
            if (part.box.isEmpty() || part.box.height() * 10 < h * 7) {
                ok = false;
                break;
            }
            const Guess g = classifyInk(part.ink, part.box.width(), part.box.height());
            QList<Character> more;
            QList<Guess> moreGuesses;
            if (!g.digit.isNull()) {
                found.append(part);
                foundGuesses.append(g);
                total += g.distance;
            } else if (part.box.width() * 10 >= part.box.height() * 9 && splitDigits(part, more, moreGuesses, depth - 1)) {
                found += more;
                foundGuesses += moreGuesses;
                for (const Guess& m : moreGuesses)
                    total += m.distance;
            } else {
                ok = false;
                break;
            }
        }
        if (ok && total < bestDistance) {
            bestDistance = total;
            parts = found;
            guesses = foundGuesses;
        }
    }
    return bestDistance < 1e9;
}

// Cuts a character that is a digit with a letter run into it ("6V" in tight bold print) into
// the two: the cut goes through one of the columns with the least ink, the left part reads as
// a digit and the right as a letter. The digit part must stand as tall as the line's tallest
// glyphs: a lower-case letter (a narrow "m" in monospaced print) cuts into a stem that reads as
// "1" and a rest that reads as "n", but no digit is only as tall as the small letters.
bool splitDigitFromLetter(const Character& c, int tallest, Character& digit, Guess& digitGuess, Character& letter, Guess& letterGuess)
{
    const int w = c.box.width(), h = c.box.height();
    if (w < 5)
        return false;
    const QList<int> cuts = thinnestColumns(c);
    for (int cut : cuts) {
        const Character left = slice(c, 0, cut - 1), right = slice(c, cut + 1, w - 1);
        if (left.box.isEmpty() || right.box.isEmpty() || left.box.height() * 10 < h * 7 || left.box.height() < tallest * 0.82)
            continue;
        const Guess l = classifyInk(left.ink, left.box.width(), left.box.height());
        const Guess r = classifyInk(right.ink, right.box.width(), right.box.height());
        if (!l.digit.isNull() && !l.twin && r.letter) {
            digit = left;
            digitGuess = l;
            letter = right;
            letterGuess = r;
            return true;
        }
    }
    return false;
}

// Two neighbouring characters as one (a letter whose thin stroke fell apart).
Character joined(const Character& a, const Character& b)
{
    Character out;
    out.box = a.box | b.box;
    out.ink.assign(size_t(out.box.width()) * size_t(out.box.height()), 0.f);
    for (const Character* c : {&a, &b})
        for (int y = 0; y < c->box.height(); ++y)
            for (int x = 0; x < c->box.width(); ++x) {
                float& v = out.ink[size_t(c->box.top() - out.box.top() + y) * size_t(out.box.width()) + size_t(c->box.left() - out.box.left() + x)];
                v = std::max(v, c->ink[size_t(y) * size_t(c->box.width()) + size_t(x)]);
            }
    return out;
}

// Whether a character that reads as nothing is letters run together (a unit glued to the
// figure beside it: "6V", "kH"): cut where the ink is thinnest, its part on the figure's side
// reads as a letter.
bool beginsWithLetter(const Character& c, bool fromLeft)
{
    const int w = c.box.width(), h = c.box.height();
    if (w < 5)
        return false;
    const QList<int> cuts = thinnestColumns(c);
    for (int cut : cuts) {
        const Character part = fromLeft ? slice(c, 0, cut - 1) : slice(c, cut + 1, w - 1);
        if (!part.box.isEmpty() && classifyInk(part.ink, part.box.width(), part.box.height()).letter)
            return true;
    }
    return false;
}

// Whether the strongly inked part of a small mark (at least three quarters of its strongest
// contrast) lies flat: at least three pixels long and half as long again as it is thick.
bool isFlatBar(const ScreenSegmenter::Scan& scan, const QRect& mark)
{
    int strongest = 0;
    for (int y = mark.top(); y <= mark.bottom(); ++y)
        for (int x = mark.left(); x <= mark.right(); ++x)
            strongest = std::max(strongest, int(scan.at(x, y)));
    QRect core;
    for (int y = mark.top(); y <= mark.bottom(); ++y)
        for (int x = mark.left(); x <= mark.right(); ++x)
            if (scan.at(x, y) * 4 >= strongest * 3)
                core |= QRect(x, y, 1, 1);
    return strongest > 0 && core.width() >= 3 && core.width() * 2 >= core.height() * 3;
}

// Whether a character is a colon beside digits of `digit`'s size: no wider than a stroke, its
// ink in two short stretches one above the other, well apart, the lower on the digit's baseline.
bool isColon(const Character& c, const QRect& digit)
{
    const int w = c.box.width(), h = c.box.height(), H = digit.height();
    if (w > std::max(2, H / 4) || h < H / 2 || std::abs(c.box.bottom() - digit.bottom()) > std::max(1, H / 7))
        return false;
    QList<int> stretches;  // the heights of the inked stretches, top to bottom
    bool inked = false;
    for (int y = 0; y < h; ++y) {
        bool any = false;
        for (int x = 0; x < w; ++x)
            any = any || c.ink[size_t(y) * size_t(w) + size_t(x)] > 0.5f;
        if (any && !inked)
            stretches.append(0);
        if (any)
            ++stretches.back();
        inked = any;
    }
    const int dot = std::max(2, H / 4);
    return stretches.size() == 2 && stretches.at(0) <= dot && stretches.at(1) <= dot && h - stretches.at(0) - stretches.at(1) >= H / 4;
}

}  // namespace

void prepare()
{
    for (int height = smallestCompared; height <= 18; ++height)
        drawingsFor(height);
}

void prepareEveryHeight()
{
    // The small sizes first, as most captures need only them.
    prepare();
    for (int height = 19; height <= tallestCompared; ++height)
        drawingsFor(height);
}

QList<Figure> figuresIn(const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run)
{
    enum class Kind { Other, Digit, Point, Minus };  // a digit may be a letter's twin
    QList<Character> characters = charactersOf(scan, run.box);
    int tallest = 0;
    for (const Character& c : characters)
        tallest = std::max(tallest, c.box.height());
    // A minus sign or point drawn fainter than the digits (a short stroke smoothed away in small
    // print) falls under the line's half-contrast cut; the segmenter, which judges each pixel
    // against its own background, still has it. Small marks of the run that no character
    // covers are kept, to be judged as points and minus signs by their size and place.
    for (const QRect& g : run.glyphs) {
        if (g.height() > std::max(2, tallest * 2 / 5) || g.width() > tallest)
            continue;
        if (std::any_of(characters.begin(), characters.end(), [&](const Character& c) { return c.box.intersects(g); }))
            continue;
        Character mark;
        mark.box = g;
        mark.ink.assign(size_t(g.width()) * size_t(g.height()), 1.f);
        qsizetype at = 0;
        while (at < characters.size() && characters.at(at).box.left() < g.left())
            ++at;
        characters.insert(at, mark);
    }
    int capitalsTop = INT_MAX;
    for (const Character& c : characters)
        if (c.box.height() >= tallest * 0.6)
            capitalsTop = std::min(capitalsTop, c.box.top());
    QList<Guess> guesses;
    QList<Kind> kinds;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const Character& c = characters.at(i);
        Guess guess;
        if (c.box.height() >= tallest * 0.55) {
            guess = classifyInk(c.ink, c.box.width(), c.box.height());
            // Digits that touch (small print drawn tight, or smoothed together) are cut apart
            // where the ink is thinnest, when every part then reads as a digit.
            if (guess.digit.isNull() && !guess.letter && c.box.width() * 10 >= c.box.height() * 9) {
                QList<Character> parts;
                QList<Guess> partGuesses;
                if (splitDigits(c, parts, partGuesses, 3)) {
                    characters.removeAt(i);
                    for (qsizetype k = 0; k < parts.size(); ++k) {
                        characters.insert(i + k, parts.at(k));
                        guesses.append(partGuesses.at(k));
                        kinds.append(Kind::Digit);
                    }
                    i += parts.size() - 1;
                    continue;
                }
                Character digit, letter;
                Guess digitGuess, letterGuess;
                if (splitDigitFromLetter(c, tallest, digit, digitGuess, letter, letterGuess)) {
                    characters[i] = digit;
                    characters.insert(i + 1, letter);
                    guesses << digitGuess << letterGuess;
                    kinds << Kind::Digit << Kind::Other;
                    ++i;
                    continue;
                }
            }
        }
        guesses.append(guess);
        // A digit reaches up to the line's capitals; a piece that begins as low as the small
        // letters is part of one (the second stem of an "n" fallen apart reads as "1").
        kinds.append(guess.digit.isNull() || c.box.top() > capitalsTop + std::max(1.0, tallest * 0.2) ? Kind::Other : Kind::Digit);
    }
    QList<QRect> glyphs;
    for (const Character& c : characters)
        glyphs.append(c.box);
    const qsizetype n = glyphs.size();
    auto nearDigit = [&](qsizetype i, int step) -> const QRect* {
        const qsizetype j = i + step;
        if (j < 0 || j >= n || kinds.at(j) != Kind::Digit)
            return nullptr;
        const QRect& d = glyphs.at(j);
        const int gap = step > 0 ? d.left() - glyphs.at(i).right() - 1 : glyphs.at(i).left() - d.right() - 1;
        return gap <= d.height() * 0.8 ? &d : nullptr;
    };
    for (qsizetype i = 0; i < n; ++i) {
        if (kinds.at(i) == Kind::Digit)
            continue;
        const QRect& g = glyphs.at(i);
        const QRect* left = nearDigit(i, -1);
        const QRect* right = nearDigit(i, 1);
        if (left && right) {
            const int H = std::max(left->height(), right->height());
            const int bottom = std::max(left->bottom(), right->bottom());
            const bool small = g.height() <= std::max(2.0, H * 0.4) && g.width() <= std::max(2.0, H * 0.45);
            const bool round = g.width() <= g.height() * 2.5 + 1 && g.height() <= g.width() * 2.5 + 1;
            if (small && round && std::abs(g.bottom() - bottom) <= std::max(1.0, H * 0.15))
                kinds[i] = Kind::Point;
        } else if (right && !left) {
            const int H = right->height();
            const double middle = right->top() + (H - 1) / 2.0;
            // A short minus in small bold print is smoothed into a square at its faint edge; its
            // strongly inked part is still a bar lying flat.
            if (g.height() <= std::max(2.0, H * 0.3) && (g.width() >= g.height() * 1.5 || isFlatBar(scan, g)) && g.width() <= H * 1.2
                && std::abs((g.top() + g.bottom()) / 2.0 - middle) <= H * 0.2)
                kinds[i] = Kind::Minus;
        }
    }
    QList<Figure> out;
    for (qsizetype i = 0; i < n;) {
        if (kinds.at(i) != Kind::Digit && !(kinds.at(i) == Kind::Minus && i + 1 < n && kinds.at(i + 1) == Kind::Digit)) {
            ++i;
            continue;
        }
        const qsizetype firstDigit = kinds.at(i) == Kind::Minus ? i + 1 : i;
        const QRect& reference = glyphs.at(firstDigit);
        // The characters of a figure stand close; a word space ends it ("RMS 2.08"). A point
        // may sit in the middle of a whole character's width (fixed-width faces).
        auto fits = [&](qsizetype a, qsizetype b) {
            const int gap = glyphs.at(b).left() - glyphs.at(a).right() - 1;
            const bool beside = kinds.at(a) == Kind::Point || kinds.at(b) == Kind::Point;
            return gap <= std::max(2.0, reference.height() * (beside ? 0.8 : 0.5));
        };
        bool point = false;
        qsizetype j = i;
        for (; j < n; ++j) {
            const QRect& g = glyphs.at(j);
            const Kind k = kinds.at(j);
            if (j > i && !fits(j - 1, j))
                break;
            if (k == Kind::Digit) {
                // A digit spans the figure's height, top and bottom: the first stem of an "m"
                // fallen apart from the rest reads as a "1" on the same baseline, but stands
                // only as tall as the small letters.
                if (g.height() * 4 < reference.height() * 3 || g.height() * 3 > reference.height() * 4
                    || std::abs(g.bottom() - reference.bottom()) > std::max(1.0, reference.height() * 0.15)
                    || std::abs(g.top() - reference.top()) > std::max(1.0, reference.height() * 0.15))
                    break;
            } else if (k == Kind::Point && !point && j + 1 < n && kinds.at(j + 1) == Kind::Digit && fits(j, j + 1)) {
                point = true;
            } else if (!(k == Kind::Minus && j == i)) {
                break;
            }
        }
        // In proportional print a word space may be narrow, but it is still much wider than the
        // spacing between the figure's digits: the figure ends before it.
        if (j - i >= 3) {
            QList<int> gaps;
            for (qsizetype k = i + 1; k < j; ++k)
                gaps.append(glyphs.at(k).left() - glyphs.at(k - 1).right() - 1);
            QList<int> sorted = gaps;
            std::sort(sorted.begin(), sorted.end());
            const int usual = sorted.at(sorted.size() / 2);
            for (qsizetype k = i + 1; k < j; ++k)
                if (kinds.at(k) != Kind::Point && kinds.at(k - 1) != Kind::Point && gaps.at(k - i - 1) > std::max(2, usual * 2 + 1)) {
                    j = k;
                    break;
                }
        }
        Figure f;
        for (qsizetype k = i; k < j; ++k) {
            f.text += kinds.at(k) == Kind::Digit ? guesses.at(k).digit : kinds.at(k) == Kind::Point ? QLatin1Char('.') : QLatin1Char('-');
            f.box |= glyphs.at(k);
        }
        // A figure ends where something that is no part of a number stands beside it: a word
        // space (wider than the figure's own spacing), a letter or sign, a raised mark (°). A
        // glyph beside it that reads as nothing, or a point with no digit after it, means part
        // of the number went unread.
        int spacing = 0;
        for (qsizetype k = i + 1; k < j; ++k)
            if (kinds.at(k) == Kind::Digit && kinds.at(k - 1) == Kind::Digit)
                spacing = std::max(spacing, glyphs.at(k).left() - glyphs.at(k - 1).right() - 1);
        auto closes = [&](qsizetype k, bool left) {
            if (k < 0 || k >= n)
                return true;
            const QRect& g = glyphs.at(k);
            const QRect& edge = left ? glyphs.at(i) : glyphs.at(j - 1);
            const int gap = left ? edge.left() - g.right() - 1 : g.left() - edge.right() - 1;
            if (gap > std::max({2.0, reference.height() * 0.35, spacing * 1.5 + 1}))
                return true;
            if (guesses.at(k).letter) {
                if (!left) {
                    f.unitLetter = guesses.at(k).nearestLetter;
                    f.unitBox = g;
                }
                return true;
            }
            if (kinds.at(k) == Kind::Other && g.height() >= reference.height() * 0.55 && g.width() * 10 >= g.height() * 9
                && beginsWithLetter(characters.at(k), !left))
                return true;
            // A label's colon before the figure ("Cur:1.28V"): in print of one-pixel dots it
            // matches no drawing, but is two small dots one above the other, the lower one on
            // the digits' baseline.
            if (left && isColon(characters.at(k), reference))
                return true;
            // A letter fallen into two pieces (the thin arm of a V).
            const qsizetype further = left ? k - 1 : k + 1;
            if (kinds.at(k) == Kind::Other && further >= 0 && further < n && kinds.at(further) == Kind::Other) {
                const QRect& next = glyphs.at(further);
                const int apart = left ? g.left() - next.right() - 1 : next.left() - g.right() - 1;
                if (apart <= 1) {
                    const Character both = joined(characters.at(k), characters.at(further));
                    const Guess guess = classifyInk(both.ink, both.box.width(), both.box.height());
                    if (both.box.height() >= reference.height() * 0.55 && guess.letter) {
                        if (!left) {
                            f.unitLetter = guess.nearestLetter;
                            f.unitBox = both.box;
                        }
                        return true;
                    }
                }
            }
            // A small letter after the figure (the m of "14.0mV" in a face of the instrument's
            // own, which no drawing matches) stands on the digits' baseline but reaches only part
            // of their height, where no digit ends. Not after one or two characters: a letter
            // of a word may pass for a digit ("Fi1e").
            const int H = reference.height();
            if (!left && f.text.size() >= 3 && kinds.at(k) == Kind::Other && g.height() >= H * 0.55 && g.height() <= H * 0.8
                && std::abs(g.bottom() - reference.bottom()) <= std::max(1.0, H * 0.1) && g.top() >= reference.top() + H * 0.25)
                return true;
            // A raised mark (a degree sign) hangs from the top of the digits; a faint piece of
            // a thin letter fallen apart (the slant of an M) sits lower.
            const bool small = g.height() < reference.height() * 0.55;
            return small && g.bottom() < reference.bottom() - reference.height() * 0.3
                   && g.top() <= reference.top() + std::max(1.0, reference.height() * 0.2);
        };
        if (!closes(i - 1, true) || !closes(j, false)) {
            i = j;
            continue;
        }
        // Digits that a letter matches as well (0 and O, 1 and l) make a figure only beside a
        // digit that no letter matches.
        bool sure = false;
        for (qsizetype k = i; k < j; ++k)
            sure = sure || (kinds.at(k) == Kind::Digit && !guesses.at(k).twin);
        if (sure)
            out.append(f);
        i = j;
    }
    return out;
}

}  // namespace GlyphClassifier
