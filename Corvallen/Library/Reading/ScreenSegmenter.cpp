#include "Corvallen/Library/Reading/ScreenSegmenter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <optional>
#include <type_traits>

namespace ScreenSegmenter {

namespace {

struct Component {
    QRect box;
    int area = 0;
    qint64 r = 0, g = 0, b = 0;  // colour sums
};

// 8-connected components of `mask` (4-connected without `corners`); `labels` gets each pixel's
// component index or -1. They are numbered in the order their first pixels come, row by row.
// Found as stretches of ink along each row, joined to the stretches they touch in the row
// above: a whole screen is gone through several times per capture.
// (The mask is bits or bytes; a byte mask's empty stretches are passed over eight at a time.)
template <class Mask>
std::vector<Component> components(const Mask& mask, int w, int h, std::vector<int>& labels, bool corners = true)
{
    const int reach = corners ? 1 : 0;  // how far past a stretch's end a stretch above still touches it
    labels.assign(size_t(w) * size_t(h), -1);
    struct Stretch {
        int y, from, to;
    };
    std::vector<Stretch> stretches;
    std::vector<int> parent;  // a joined set's first stretch is its root
    auto root = [&](int i) {
        while (parent[size_t(i)] != i)
            i = parent[size_t(i)] = parent[size_t(parent[size_t(i)])];
        return i;
    };
    size_t aboveFrom = 0, aboveTo = 0;
    for (int y = 0; y < h; ++y) {
        const size_t rowFrom = stretches.size();
        const size_t line = size_t(y) * size_t(w);
        size_t k = aboveFrom;
        for (int x = 0; x < w;) {
            if constexpr (std::is_same_v<Mask, std::vector<quint8>>) {
                for (std::uint64_t eight = 0; x + 8 <= w; x += 8) {
                    std::memcpy(&eight, mask.data() + line + size_t(x), sizeof eight);
                    if (eight)
                        break;
                }
                if (x >= w)
                    break;
            }
            if (!mask[line + size_t(x)]) {
                ++x;
                continue;
            }
            int to = x;
            // (A byte mask's long stretches, a panel's holes or a fill, are gone through eight
            // pixels at a time too.)
            if constexpr (std::is_same_v<Mask, std::vector<quint8>>) {
                constexpr std::uint64_t allInk = 0x0101010101010101ull;
                for (std::uint64_t eight = 0; to + 8 < w; to += 8) {
                    std::memcpy(&eight, mask.data() + line + size_t(to + 1), sizeof eight);
                    if (eight != allInk)
                        break;
                }
            }
            while (to + 1 < w && mask[line + size_t(to + 1)])
                ++to;
            const int id = int(stretches.size());
            stretches.push_back({y, x, to});
            parent.push_back(id);
            while (k < aboveTo && stretches[k].to < x - reach)
                ++k;
            for (size_t m = k; m < aboveTo && stretches[m].from <= to + reach; ++m) {
                const int a = root(id), b = root(int(m));
                if (a != b)
                    parent[size_t(std::max(a, b))] = std::min(a, b);
            }
            x = to + 1;
        }
        aboveFrom = rowFrom;
        aboveTo = stretches.size();
    }
    std::vector<Component> out;
    std::vector<int> componentOf(stretches.size(), -1);
    std::vector<QPoint> corner, farCorner;
    for (size_t i = 0; i < stretches.size(); ++i) {
        const int r = root(int(i));
        if (r == int(i)) {
            componentOf[i] = int(out.size());
            out.emplace_back();
            corner.push_back(QPoint(stretches[i].from, stretches[i].y));
            farCorner.push_back(QPoint(stretches[i].to, stretches[i].y));
        } else {
            componentOf[i] = componentOf[size_t(r)];
        }
        const Stretch& st = stretches[i];
        const size_t c = size_t(componentOf[i]);
        out[c].area += st.to - st.from + 1;
        corner[c].setX(std::min(corner[c].x(), st.from));
        farCorner[c] = QPoint(std::max(farCorner[c].x(), st.to), st.y);
        std::fill(labels.begin() + qsizetype(size_t(st.y) * size_t(w) + size_t(st.from)),
                  labels.begin() + qsizetype(size_t(st.y) * size_t(w) + size_t(st.to) + 1), int(c));
    }
    for (size_t c = 0; c < out.size(); ++c)
        out[c].box = QRect(corner[c], farCorner[c]);
    return out;
}

// Pixels above `high`, and those above `low` joined to them: faint edges of real strokes stay,
// faint specks of noise go. Given as the pieces they make, with `labels` set as components()
// sets them for that mask: the pieces kept are whole pieces of the faint mask, so they are
// taken over from its labelling, renumbered in order, rather than found a second time.
std::vector<Component> hysteresisPieces(const std::vector<quint8>& d, int w, int h, int high, int low, std::vector<int>& labels)
{
    std::vector<quint8> weak(d.size());
    for (size_t i = 0; i < d.size(); ++i)
        weak[i] = d[i] >= low ? 1 : 0;
    const std::vector<Component> comps = components(weak, w, h, labels);
    std::vector<quint8> strong(comps.size(), 0);
    for (size_t i = 0; i < d.size(); ++i)
        if (d[i] >= high && labels[i] >= 0)
            strong[size_t(labels[i])] = 1;
    std::vector<int> renumbered(comps.size(), -1);
    std::vector<Component> out;
    for (size_t c = 0; c < comps.size(); ++c)
        if (strong[c]) {
            renumbered[c] = int(out.size());
            out.push_back(comps[c]);
        }
    // (Where every piece holds strong ink, the numbers stand as they are.)
    if (out.size() < comps.size())
        for (int& l : labels)
            if (l >= 0)
                l = renumbered[size_t(l)];
    return out;
}

// The most common colour, quantised coarsely enough that noise and anti-aliasing don't split
// it, then averaged over the pixels of that bin.
QColor dominantColour(const QImage& image, const QRect& area)
{
    // Each bin's count and colour sums, gathered in one pass.
    std::vector<int> counts(4096, 0);
    std::vector<std::array<qint64, 3>> sums(4096, {0, 0, 0});
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = line[x];
            const size_t bin = size_t(((qRed(p) >> 4) << 8) | ((qGreen(p) >> 4) << 4) | (qBlue(p) >> 4));
            ++counts[bin];
            sums[bin][0] += qRed(p);
            sums[bin][1] += qGreen(p);
            sums[bin][2] += qBlue(p);
        }
    }
    // Noise spreads one colour over neighbouring bins: score each bin with its neighbours.
    int best = 0;
    int bestScore = -1;
    for (int bin = 0; bin < 4096; ++bin) {
        if (!counts[size_t(bin)])
            continue;
        const int r = bin >> 8, g = (bin >> 4) & 15, b = bin & 15;
        int score = 0;
        for (int dr = -1; dr <= 1; ++dr)
            for (int dg = -1; dg <= 1; ++dg)
                for (int db = -1; db <= 1; ++db) {
                    const int rr = r + dr, gg = g + dg, bb = b + db;
                    if (rr >= 0 && rr < 16 && gg >= 0 && gg < 16 && bb >= 0 && bb < 16)
                        score += counts[size_t((rr << 8) | (gg << 4) | bb)];
                }
        if (score > bestScore) {
            bestScore = score;
            best = bin;
        }
    }
    // The pixels of the best bin and its neighbours.
    qint64 sr = 0, sg = 0, sb = 0, n = 0;
    const int br = best >> 8, bg = (best >> 4) & 15, bb = best & 15;
    for (int r = std::max(0, br - 1); r <= std::min(15, br + 1); ++r)
        for (int g = std::max(0, bg - 1); g <= std::min(15, bg + 1); ++g)
            for (int b = std::max(0, bb - 1); b <= std::min(15, bb + 1); ++b) {
                const size_t bin = size_t((r << 8) | (g << 4) | b);
                sr += sums[bin][0];
                sg += sums[bin][1];
                sb += sums[bin][2];
                n += counts[bin];
            }
    if (n == 0)
        return QColor(br * 16 + 8, bg * 16 + 8, bb * 16 + 8);
    return QColor(int(sr / n), int(sg / n), int(sb / n));
}

void contrastAgainst(const QImage& image, const QColor& background, const QRect& area, std::vector<quint8>& d, int w)
{
    const int r0 = background.red(), g0 = background.green(), b0 = background.blue();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = line[x];
            const int v = std::max({std::abs(qRed(p) - r0), std::abs(qGreen(p) - g0), std::abs(qBlue(p) - b0)});
            d[size_t(y) * size_t(w) + size_t(x)] = quint8(std::min(255, v));
        }
    }
}

// Long thin strokes (rules, graticule lines) and large sparse shapes (traces, outlines) are not text.
bool isLineArt(const Component& c)
{
    const int w = c.box.width(), h = c.box.height();
    if ((w >= 6 * h && h <= 4 && w >= 40) || (h >= 8 * w && w <= 3 && h > 40))
        return true;
    const double fill = double(c.area) / (double(w) * h);
    if (w * h >= 3000 && fill < 0.12)
        return true;
    return w > 160 && h > 60;
}

// A rectangle outline: ink along all four edges of its box and little inside.
bool isOutline(const Component& c, const std::vector<int>& labels, int id, int width)
{
    const QRect& b = c.box;
    if (b.width() < 24 || b.height() < 14)
        return false;
    auto edgeCover = [&](bool horizontal, int fixed) {
        int hits = 0, total = 0;
        const int from = horizontal ? b.left() : b.top();
        const int to = horizontal ? b.right() : b.bottom();
        for (int v = from; v <= to; ++v) {
            bool hit = false;
            for (int k = 0; k <= 2 && !hit; ++k) {
                const int x = horizontal ? v : (fixed == b.left() ? fixed + k : fixed - k);
                const int y = horizontal ? (fixed == b.top() ? fixed + k : fixed - k) : v;
                hit = labels[size_t(y) * size_t(width) + size_t(x)] == id;
            }
            hits += hit ? 1 : 0;
            ++total;
        }
        return double(hits) / total;
    };
    if (!(edgeCover(true, b.top()) > 0.7 && edgeCover(true, b.bottom()) > 0.7 && edgeCover(false, b.left()) > 0.7
          && edgeCover(false, b.right()) > 0.7))
        return false;
    // An outline holds little of its own inside its edges: across the inside, rows cross at
    // most a rule or a grid line joined to it. Letters run together (blurred bold print, a bold
    // m) reach all four sides of their box too, but their strokes fill the rows between.
    const QRect inside = b.adjusted(4, 4, -4, -4);
    if (inside.width() < 2 || inside.height() < 2)
        return true;
    int fullRows = 0, inkedRows = 0, others = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        int own = 0;
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const int l = labels[size_t(y) * size_t(width) + size_t(x)];
            own += l == id ? 1 : 0;
            others += l >= 0 && l != id ? 1 : 0;
        }
        fullRows += own * 10 > inside.width() * 3 ? 1 : 0;
        inkedRows += own > 0 ? 1 : 0;
    }
    // An empty upright rectangle the shape of a digit is a zero (thin LCD segments drawn
    // touching), not a box: a box is there to hold something.
    if (others == 0 && b.height() >= b.width() * 1.2 && b.height() <= b.width() * 2.6)
        return false;
    // Nor is a shape holding nothing but a stroke of its own down its whole inside: a serif m
    // (its feet and arches make the edges, its middle stem the stroke), letters run together.
    if (others == 0 && inkedRows == inside.height() && b.height() <= 40)
        return false;
    return fullRows * 5 <= inside.height();
}

// A filled rectangle (perhaps with rounded corners and text cut out of it): nearly every row
// reaches both side edges and nearly every column both the top and bottom edge. Bold glyphs and
// LCD segments fail this.
bool isFilledRectangle(const Component& c, const std::vector<int>& labels, int id, int width)
{
    const QRect& b = c.box;
    auto owned = [&](int x, int y) { return labels[size_t(y) * size_t(width) + size_t(x)] == id; };
    auto reaches = [&](bool rows) {
        const int count = rows ? b.height() : b.width();
        int good = 0;
        for (int k = 0; k < count; ++k) {
            bool first = false, last = false;
            for (int m = 0; m <= 1; ++m) {
                if (rows) {
                    first = first || owned(b.left() + m, b.top() + k);
                    last = last || owned(b.right() - m, b.top() + k);
                } else {
                    first = first || owned(b.left() + k, b.top() + m);
                    last = last || owned(b.left() + k, b.bottom() - m);
                }
            }
            good += first && last ? 1 : 0;
        }
        return good >= count * 0.8;
    };
    return reaches(true) && reaches(false);
}

// The thickness of a solid bar (an LCD segment, the stroke of a 1, l or I), or 0 for any other
// shape. Every cross-section along the bar is one stretch of ink of about the same width; a
// word whose letters ran together (blurred small print) is as solid in its box, but its
// cross-sections come and go with the letters.
int barThicknessOf(const Component& c, const std::vector<int>& labels, int id, int width)
{
    const QRect& b = c.box;
    const int thin = std::min(b.width(), b.height());
    const int length = std::max(b.width(), b.height());
    const double fill = double(c.area) / (double(b.width()) * b.height());
    if (thin < 2 || !((length >= 2.2 * thin && fill >= 0.55) || (length >= 1.4 * thin && fill >= 0.8)))
        return 0;
    if (thin <= 4)
        return thin;
    const bool horizontal = b.width() >= b.height();
    auto owned = [&](int along, int across) {
        const int x = horizontal ? b.left() + along : b.left() + across;
        const int y = horizontal ? b.top() + across : b.top() + along;
        return labels[size_t(y) * size_t(width) + size_t(x)] == id;
    };
    std::vector<int> widths;
    const int from = int(length * 0.15), to = length - 1 - int(length * 0.15);
    for (int along = from; along <= to; ++along) {
        int stretches = 0, ink = 0;
        bool inside = false;
        for (int across = 0; across < thin; ++across) {
            const bool o = owned(along, across);
            if (o && !inside)
                ++stretches;
            inside = o;
            ink += o ? 1 : 0;
        }
        if (stretches > 1)
            return 0;
        widths.push_back(ink);
    }
    if (widths.empty())
        return thin;
    std::vector<int> sorted = widths;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    const int median = sorted[sorted.size() / 2];
    const int slack = 1 + median / 4;
    const auto steady = std::count_if(widths.begin(), widths.end(), [&](int v) { return std::abs(v - median) <= slack; });
    return steady * 5 >= qsizetype(widths.size()) * 4 ? thin : 0;
}

// A solid blob: every row and every column of it is one stretch of ink (a point, a dot, a
// short bar); letters have gaps between their strokes. Noise and compression leave faint specks
// beside a round dot and break up its rim, so a blob may also be one in its strongly inked part
// alone, the outermost rows and columns of a larger one left out.
bool isBlob(const Component& c, const std::vector<int>& labels, int id, int width, const std::vector<quint8>& contrast, int strong)
{
    auto oneStretchEach = [&](auto&& owned, const QRect& b, int rim) {
        const int rimX = b.width() >= 6 ? rim : 0, rimY = b.height() >= 6 ? rim : 0;
        for (int y = b.top() + rimY; y <= b.bottom() - rimY; ++y) {
            int stretches = 0;
            for (int x = b.left(); x <= b.right(); ++x)
                stretches += owned(x, y) && (x == b.left() || !owned(x - 1, y)) ? 1 : 0;
            if (stretches > 1)
                return false;
        }
        for (int x = b.left() + rimX; x <= b.right() - rimX; ++x) {
            int stretches = 0;
            for (int y = b.top(); y <= b.bottom(); ++y)
                stretches += owned(x, y) && (y == b.top() || !owned(x, y - 1)) ? 1 : 0;
            if (stretches > 1)
                return false;
        }
        return true;
    };
    auto all = [&](int x, int y) { return labels[size_t(y) * size_t(width) + size_t(x)] == id; };
    if (oneStretchEach(all, c.box, 0))
        return true;
    auto inked = [&](int x, int y) {
        const size_t i = size_t(y) * size_t(width) + size_t(x);
        return labels[i] == id && contrast[i] >= strong;
    };
    QRect core;
    for (int y = c.box.top(); y <= c.box.bottom(); ++y)
        for (int x = c.box.left(); x <= c.box.right(); ++x)
            if (inked(x, y))
                core |= QRect(x, y, 1, 1);
    return !core.isEmpty() && oneStretchEach(inked, core, 1);
}

int gapBetween(const QRect& a, const QRect& b)
{
    if (a.right() < b.left())
        return b.left() - a.right() - 1;
    if (b.right() < a.left())
        return a.left() - b.right() - 1;
    return -std::min(a.right(), b.right()) + std::max(a.left(), b.left()) - 1;  // negative when they overlap
}

int verticalOverlap(const QRect& a, const QRect& b)
{
    return std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) + 1;
}

struct Disjoint {
    std::vector<int> parent;
    explicit Disjoint(size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
    int find(int i) { return parent[size_t(i)] == i ? i : parent[size_t(i)] = find(parent[size_t(i)]); }
    void join(int a, int b) { parent[size_t(find(a))] = find(b); }
};

// Calls `visit(i, j)`, i < j, once for every pair of boxes that stand less than `reach` times
// the taller one's height (and three pixels) apart across and down; pairs farther apart are
// never looked at. A screen full of small print or noise has thousands of pieces, and looking
// at every pair of them took longer than reading the screen.
template <class Visit>
void forNearbyPairs(const std::vector<QRect>& boxes, double reach, Visit&& visit)
{
    if (boxes.empty())
        return;
    QRect all;
    for (const QRect& b : boxes)
        all |= b;
    constexpr int cell = 32;
    const int columns = all.width() / cell + 1, rows = all.height() / cell + 1;
    auto cellsOf = [&](const QRect& r, auto&& each) {
        const int x0 = std::max(0, (r.left() - all.left()) / cell), x1 = std::min(columns - 1, (r.right() - all.left()) / cell);
        const int y0 = std::max(0, (r.top() - all.top()) / cell), y1 = std::min(rows - 1, (r.bottom() - all.top()) / cell);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                each(size_t(y) * size_t(columns) + size_t(x));
    };
    std::vector<std::vector<int>> grid(size_t(columns) * size_t(rows));
    for (size_t i = 0; i < boxes.size(); ++i)
        cellsOf(boxes[i], [&](size_t c) { grid[c].push_back(int(i)); });
    std::vector<int> seen(boxes.size(), -1);
    for (size_t t = 0; t < boxes.size(); ++t) {
        const QRect& tall = boxes[t];
        const int d = int(std::ceil(reach * tall.height())) + 3;
        const QRect around = tall.adjusted(-d, -d, d, d);
        // Each pair is looked at from its taller box (from the first of two of one height).
        cellsOf(around.intersected(all), [&](size_t c) {
            for (const int o : grid[c]) {
                const QRect& other = boxes[size_t(o)];
                if (seen[size_t(o)] == int(t) || size_t(o) == t || other.height() > tall.height() || (other.height() == tall.height() && size_t(o) < t))
                    continue;
                seen[size_t(o)] = int(t);
                if (around.intersects(other))
                    visit(std::min(t, size_t(o)), std::max(t, size_t(o)));
            }
        });
    }
}

// Small marks that belong to the glyphs beside them: a decimal point on the baseline, a minus
// sign at mid height, the two dots of a colon. A point is a solid blob; a small letter set low
// beside large digits (a unit) is not.
bool isPoint(const QRect& small, double fill, bool blob, const QRect& big)
{
    const int H = big.height();
    const bool solid = blob && fill >= 0.45 && small.width() <= small.height() * 2.5 && small.height() <= small.width() * 2.5;
    return small.height() <= H * 0.38 && small.width() <= H * 0.42 && std::abs(small.bottom() - big.bottom()) <= std::max(2.0, H * 0.15)
           && (solid || small.height() <= 3);
}

// A decimal comma: a solid mark standing on the baseline and hanging below it, as a descender
// does but shorter, no wider than a point. Monospaced program faces draw it large, taller than
// a point may be.
bool isComma(const QRect& small, double fill, bool blob, const QRect& big)
{
    const int H = big.height();
    const int below = small.bottom() - big.bottom();
    return blob && fill >= 0.35 && small.height() <= H * 0.5 && small.width() <= H * 0.35 && small.height() >= small.width()
           && small.top() >= big.top() + H * 0.55 && small.top() <= big.bottom() && below >= 1 && below <= H * 0.3;
}

// A minus sign at mid height, lying flat: nearly twice as wide as it is high (in its strongly
// inked part at least). A small letter beside a tall badge (the m of "mV") is squarer.
bool isDash(const QRect& small, const QRect& big)
{
    const int H = big.height();
    const double mid = big.top() + H / 2.0;
    return small.height() <= H * 0.34 && small.width() >= small.height() * 1.8 && std::abs(small.center().y() - mid) <= H * 0.22;
}

// The two bars of an equals sign: flat, of one width, one right over the other.
bool isEqualsPair(const QRect& a, const QRect& b)
{
    const int yGap = std::max(a.top(), b.top()) - std::min(a.bottom(), b.bottom()) - 1;
    return yGap >= 1 && yGap <= std::max(a.height(), b.height()) * 2 && std::max(a.height(), b.height()) * 3 <= std::min(a.width(), b.width())
           && std::abs(a.left() - b.left()) <= 1 && std::abs(a.right() - b.right()) <= 1;
}

// Contrast at which a pixel is surely ink (fainter pixels count only joined to such ones).
constexpr int strongInk = 80;

// Whether a box has something drawn on it, against its own fill (its contrast worked out in
// `inside`, `area` its pixels): a solid bar, a bold minus or a large digit's stroke has not.
bool holdsMarks(const std::vector<quint8>& inside, int width, const QRect& box, int area)
{
    int marked = 0;
    for (int y = box.top() + 2; y <= box.bottom() - 2; ++y)
        for (int x = box.left() + 2; x <= box.right() - 2; ++x)
            marked += inside[size_t(y) * size_t(width) + size_t(x)] >= strongInk ? 1 : 0;
    return marked >= 12 && marked < area / 2;
}

// Faint thin frames drawn inside a box read against its fill (the rim of each value's field on
// a readout panel, a shade off the panel) touch the large print they hold and would join it
// into one piece as wide as the field. A frame is long thin faint lines: a stretch of faint ink
// along a row longer than any glyph, no more than three rows thick, and the faint stretches
// down a column that join two such rows (a field's sides). They are taken out before glyphs
// are cut; a glyph's strokes are strongly inked, and no row through them is mostly faint.
void stripThinFrames(Scan& s, const QRect& box)
{
    constexpr int low = 40;
    const int bw = box.width(), bh = box.height();
    const int longest = std::max(60, bw / 3);
    if (bw < longest)
        return;
    auto at = [&](int x, int y) -> quint8& { return s.contrast[size_t(box.top() + y) * size_t(s.width) + size_t(box.left() + x)]; };
    std::vector<quint8> flat(size_t(bw) * size_t(bh), 0);
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw;) {
            if (at(x, y) < low) {
                ++x;
                continue;
            }
            int to = x, faint = at(x, y) < strongInk ? 1 : 0;
            while (to + 1 < bw && at(to + 1, y) >= low)
                faint += at(++to, y) < strongInk ? 1 : 0;
            if (to - x + 1 >= longest && faint * 10 >= (to - x + 1) * 7)
                std::fill(flat.begin() + qsizetype(size_t(y) * size_t(bw) + size_t(x)), flat.begin() + qsizetype(size_t(y) * size_t(bw) + size_t(to) + 1), 1);
            x = to + 1;
        }
    // (A fill as wide is no line: more than three rows of it together.)
    std::vector<quint8> line(flat.size(), 0);
    for (int x = 0; x < bw; ++x)
        for (int y = 0; y < bh;) {
            if (!flat[size_t(y) * size_t(bw) + size_t(x)]) {
                ++y;
                continue;
            }
            int to = y;
            while (to + 1 < bh && flat[size_t(to + 1) * size_t(bw) + size_t(x)])
                ++to;
            if (to - y + 1 <= 3)
                for (int k = y; k <= to; ++k)
                    line[size_t(k) * size_t(bw) + size_t(x)] = 1;
            y = to + 1;
        }
    auto nearLine = [&](int x, int y) {
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int xx = x + dx, yy = y + dy;
                if (xx >= 0 && yy >= 0 && xx < bw && yy < bh && line[size_t(yy) * size_t(bw) + size_t(xx)])
                    return true;
            }
        return false;
    };
    std::vector<quint8> side(flat.size(), 0);
    for (int x = 0; x < bw; ++x)
        for (int y = 0; y < bh;) {
            if (at(x, y) < low) {
                ++y;
                continue;
            }
            int to = y, faint = at(x, y) < strongInk ? 1 : 0;
            while (to + 1 < bh && at(x, to + 1) >= low)
                faint += at(x, ++to) < strongInk ? 1 : 0;
            if (to - y + 1 >= 10 && faint * 10 >= (to - y + 1) * 7 && nearLine(x, y) && nearLine(x, to)) {
                // Thin: no more than three columns of such a stretch side by side.
                int across = 1;
                for (int dx = -3; dx <= 3; ++dx)
                    if (dx != 0 && x + dx >= 0 && x + dx < bw && at(x + dx, (y + to) / 2) >= low)
                        ++across;
                if (across <= 4)
                    for (int k = y; k <= to; ++k)
                        side[size_t(k) * size_t(bw) + size_t(x)] = 1;
            }
            y = to + 1;
        }
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x)
            if (line[size_t(y) * size_t(bw) + size_t(x)] || side[size_t(y) * size_t(bw) + size_t(x)])
                at(x, y) = 0;
}

// The sides of a box (top, bottom, left, right) that show no edge: the screen just outside them
// is of the box's own fill. (A window's lower strip, a shade off the window's colour, may be
// found as a box of its own where a line of print stands across its top.)
using Sides = std::array<bool, 4>;
Sides edgelessSides(const QImage& image, const QRect& box, const QColor& fill)
{
    const auto sameFill = [&](int x, int y) {
        const QRgb p = image.pixel(x, y);
        return std::max({std::abs(qRed(p) - fill.red()), std::abs(qGreen(p) - fill.green()), std::abs(qBlue(p) - fill.blue())}) <= 12;
    };
    const auto edgeless = [&](bool row, int at) {
        if (at < 0 || at >= (row ? image.height() : image.width()))
            return false;
        const int from = row ? box.left() : box.top(), to = row ? box.right() : box.bottom();
        int same = 0;
        for (int k = from; k <= to; ++k)
            same += (row ? sameFill(k, at) : sameFill(at, k)) ? 1 : 0;
        return same * 2 >= to - from + 1;
    };
    return {edgeless(true, box.top() - 1), edgeless(true, box.bottom() + 1), edgeless(false, box.left() - 1), edgeless(false, box.right() + 1)};
}

// A box whose text is read against its own fill: its contrast (worked out in `inside`) replaces
// the screen's inside it. Pixels of the box's own rim blend box and background: not text. (A
// side that shows no edge has no rim: print there may run across it.)
void takeBox(Scan& s, const std::vector<quint8>& inside, const QRect& box, const Sides& edgeless = {})
{
    s.frames.append(box);
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const size_t i = size_t(y) * size_t(s.width) + size_t(x);
            const bool rim = (x - box.left() < 2 && !edgeless[2]) || (box.right() - x < 2 && !edgeless[3]) || (y - box.top() < 2 && !edgeless[0])
                             || (box.bottom() - y < 2 && !edgeless[1]);
            s.contrast[i] = rim ? 0 : inside[i];
        }
    stripThinFrames(s, box);
}

// The drawing's most common colour (binned as dominantColour() bins it) and where it lies in
// the drawing's box: the same for every look at one drawing, so worked out once for them all.
struct PanelColour {
    int best = 0;
    std::vector<quint8> same;  // one byte a pixel of the box: the drawing's own ink of that colour
};

void findPanelsOf(const QImage& image, const Component& c, const std::vector<int>& labels, int id, Scan& s, std::vector<quint8>& inside,
                  const PanelColour& colour, bool holding, qsizetype firstFound = -1, bool faintRims = false);

// A panel of another colour (a program's dark readout panel in a light window) touches the
// window's frame lines and the outlines around it, so it is part of a large drawing that is set
// aside as line art. The drawing's own most common colour, where it fills a large rectangle,
// is such a panel: its text is read against its fill like a filled box's. Panels stacked in a
// column and joined by a trace drawn through them make a solid shape no line art: there only a
// panel with something drawn on it counts (`holding`), not a solid bar of a large digit.
// A side panel of readouts in large print ("Frequency" over "50.00Hz", each value in a box of
// the panel's colour drawn with a thin rim) leaves only narrow strips of its colour between its
// lines and rims, too narrow to stay when worn away. So the panels are looked for twice: first
// with what their colour encloses counted as their own where that is a glyph or a rim (at least
// a small letter high, at most a line of text high, and no solid block wider than that), then
// (`firstFound`: the frames the first look took, from there on) as their colour stays alone,
// each panel but one the first look took already (most of each lies on the other): a field of
// the panel's colour in its rim, whose rim the first look counted as the panel's, is a box of
// its own all the same.
void findPanels(const QImage& image, const Component& c, const std::vector<int>& labels, int id, Scan& s, std::vector<quint8>& inside,
                bool holding = false)
{
    const QRect& b = c.box;
    const int w = s.width;
    std::vector<int> counts(4096, 0);
    for (int y = b.top(); y <= b.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = b.left(); x <= b.right(); ++x)
            if (labels[size_t(y) * size_t(w) + size_t(x)] == id) {
                const QRgb p = line[x];
                ++counts[size_t(((qRed(p) >> 4) << 8) | ((qGreen(p) >> 4) << 4) | (qBlue(p) >> 4))];
            }
    }
    const auto lookFor = [&](int best, Scan& into) {
        PanelColour colour;
        colour.best = best;
        const int br = best >> 8, bg = (best >> 4) & 15, bb = best & 15;
        const int bw = b.width(), bh = b.height();
        // (One byte a pixel rather than packed bits: it is written and read pixel by pixel.)
        std::vector<quint8>& same = colour.same;
        same.assign(size_t(bw) * size_t(bh), 0);
        for (int y = 0; y < bh; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(b.top() + y));
            for (int x = 0; x < bw; ++x) {
                const QRgb p = line[b.left() + x];
                same[size_t(y) * size_t(bw) + size_t(x)] = labels[size_t(b.top() + y) * size_t(w) + size_t(b.left() + x)] == id
                                                          && std::abs((qRed(p) >> 4) - br) <= 1 && std::abs((qGreen(p) >> 4) - bg) <= 1
                                                          && std::abs((qBlue(p) >> 4) - bb) <= 1;
            }
        }
        // (Too little of the colour for a panel's body is looked at no further: a whole screen is
        // gone through for each large drawing.)
        if (std::count(same.begin(), same.end(), quint8(1)) < 2000)
            return;
        findPanelsOf(image, c, labels, id, into, inside, colour, holding);
    };
    // A drawing joined by its frame lines may hold panels of several colours: a dark side bar, a
    // black button bar, and a coloured readout strip along the plot whose grid lines run into it.
    // Each of its commonest colours, far enough from those looked at before to be no shade of
    // them, is looked at in turn. Of a later colour only a strip counts (a bar at least four
    // times as wide as high, the shape of a line of readouts; a block is a table or a menu open
    // over the plot), of a hue (a grey bar is a window's title bar or toolbar, its icons no
    // text), and standing clear of every box found before: one holding or lying on such a box
    // would read that box's print against the wrong fill.
    const auto near = [](int a, int o) {
        return std::abs((a >> 8) - (o >> 8)) <= 1 && std::abs(((a >> 4) & 15) - ((o >> 4) & 15)) <= 1 && std::abs((a & 15) - (o & 15)) <= 1;
    };
    const auto hued = [](int bin) {
        const int r = bin >> 8, g = (bin >> 4) & 15, bl = bin & 15;
        return std::max({r, g, bl}) - std::min({r, g, bl}) >= 3;
    };
    QList<int> chosen;
    for (int round = 0; round < 3; ++round) {
        int next = -1;
        for (int bin = 0; bin < 4096; ++bin)
            if (counts[size_t(bin)] > 0 && std::none_of(chosen.begin(), chosen.end(), [&](int o) { return near(bin, o); })
                && (next < 0 || counts[size_t(bin)] > counts[size_t(next)]))
                next = bin;
        if (next < 0 || (round > 0 && counts[size_t(next)] < 2000))
            break;
        chosen.append(next);
        if (round == 0) {
            lookFor(next, s);
            continue;
        }
        if (!hued(next))
            continue;
        // (Looked for on a copy: only the strips found are taken over.)
        Scan trial;
        trial.width = s.width;
        trial.height = s.height;
        trial.contrast = s.contrast;
        lookFor(next, trial);
        for (const QRect& f : trial.frames) {
            if (f.width() < f.height() * 4 || std::any_of(s.frames.begin(), s.frames.end(), [&](const QRect& o) { return o.intersects(f); }))
                continue;
            for (int y = f.top(); y <= f.bottom(); ++y)
                std::copy_n(trial.contrast.begin() + qsizetype(y) * s.width + f.left(), f.width(),
                            s.contrast.begin() + qsizetype(y) * s.width + f.left());
            s.frames.append(f);
        }
    }
}

// The contrast around a panel's body `k` (its box `body` in `panelLabels`, bw wide, placed at
// `at` on the screen) left out, row by row and column by column, beyond `grow` pixels off it.
void clipToBody(Scan& s, const std::vector<int>& panelLabels, int k, int bw, const QRect& body, const QPoint& at, int grow)
{
    // Along each line across the body (a row when `rows`, else a column), clear what lies
    // before its first pixel of the body and after its last, each `grow` further off.
    const auto clipLines = [&](bool rows) {
        const int lines = rows ? body.height() : body.width();
        const int from = rows ? body.left() : body.top(), to = rows ? body.right() : body.bottom();
        const auto point = [&](int line, int along) { return rows ? QPoint(along, body.top() + line) : QPoint(body.left() + line, along); };
        const auto own = [&](int line, int along) {
            const QPoint p = point(line, along);
            return panelLabels[size_t(p.y()) * size_t(bw) + size_t(p.x())] == k;
        };
        const auto clear = [&](int line, int along) {
            const QPoint p = point(line, along) + at;
            if (p.x() >= 0 && p.y() >= 0 && p.x() < s.width && p.y() < s.height)
                s.contrast[size_t(p.y()) * size_t(s.width) + size_t(p.x())] = 0;
        };
        for (int line = 0; line < lines; ++line) {
            int first = from;
            while (first <= to && !own(line, first))
                ++first;
            if (first > to)
                continue;
            int last = to;
            while (!own(line, last))
                --last;
            for (int a = from - grow; a < first - grow; ++a)
                clear(line, a);
            for (int a = last + grow + 1; a <= to + grow; ++a)
                clear(line, a);
        }
    };
    clipLines(true);
    clipLines(false);
}

void findPanelsOf(const QImage& image, const Component& c, const std::vector<int>& labels, int id, Scan& s, std::vector<quint8>& inside,
                  const PanelColour& colour, bool holding, qsizetype firstFound, bool faintRims)
{
    const bool enclosing = firstFound < 0;
    const qsizetype before = s.frames.size();
    const QRect& b = c.box;
    const int w = s.width;
    const int best = colour.best;
    const int br = best >> 8, bg = (best >> 4) & 15, bb = best & 15;
    const int bw = b.width(), bh = b.height();
    std::vector<quint8> same = colour.same;
    // (Specks are left as they are: the dots of a dotted grid would make a plot one body.)
    if (enclosing) {
        // A faint rim around a field of the panel's colour (a value's box drawn a shade off the
        // panel) belongs to the panel: counted apart, it joins the large print that touches it
        // to the panel's border, and nothing inside it is enclosed. (Looked at so only where
        // the panel's colour alone found no panel: a panel's own shades are not all rims.)
        for (int y = 0; y < bh && faintRims; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(b.top() + y));
            for (int x = 0; x < bw; ++x) {
                const size_t k = size_t(y) * size_t(bw) + size_t(x);
                if (same[k] || labels[size_t(b.top() + y) * size_t(w) + size_t(b.left() + x)] != id)
                    continue;
                const QRgb p = line[b.left() + x];
                same[k] = std::max({std::abs(qRed(p) - br * 16 - 8), std::abs(qGreen(p) - bg * 16 - 8), std::abs(qBlue(p) - bb * 16 - 8)}) < 64;
            }
        }
        std::vector<quint8> other(same.size());
        for (size_t i = 0; i < same.size(); ++i)
            other[i] = same[i] ? 0 : 1;
        std::vector<int> holeLabels;
        const std::vector<Component> holes = components(other, bw, bh, holeLabels);
        std::vector<bool> enclosed(holes.size(), false);
        for (size_t k = 0; k < holes.size(); ++k) {
            const QRect& hb = holes[k].box;
            enclosed[k] = hb.left() > 0 && hb.top() > 0 && hb.right() < bw - 1 && hb.bottom() < bh - 1 && hb.height() >= 5
                          && hb.height() <= 56 && (hb.width() <= 56 || holes[k].area * 2 <= hb.width() * hb.height());
        }
        if (std::find(enclosed.begin(), enclosed.end(), true) == enclosed.end())
            return findPanelsOf(image, c, labels, id, s, inside, colour, holding, before);
        for (size_t i = 0; i < same.size(); ++i)
            if (holeLabels[i] >= 0 && enclosed[size_t(holeLabels[i])])
                same[i] = true;
        // The rim of a value's field may run the panel's whole width, to the screen's edge or
        // the plot's border, and join the background there, the value's large print with it.
        // Apart from the background, the drawing's own marks there (a rim and what touches it)
        // are a line of text high and sparse as an enclosed mark is: the panel's all the same.
        std::vector<quint8> marks(same.size(), 0);
        for (int y = 0; y < bh; ++y)
            for (int x = 0; x < bw; ++x) {
                const size_t k = size_t(y) * size_t(bw) + size_t(x);
                marks[k] = !same[k] && labels[size_t(b.top() + y) * size_t(w) + size_t(b.left() + x)] == id ? 1 : 0;
            }
        // (The border the rims meet, a line down the screen, joins them all: it is no mark.)
        // (Gone through row by row, each column's stretch counted as it grows: a column at a
        // time strides across the whole box for every pixel.)
        std::vector<int> stretchFrom(size_t(bw), 0);
        const auto clearLong = [&](int x, int end) {
            const int from = stretchFrom[size_t(x)];
            if (end - from > 56)
                for (int yy = from; yy < end; ++yy)
                    marks[size_t(yy) * size_t(bw) + size_t(x)] = 0;
        };
        for (int y = 0; y < bh; ++y) {
            const quint8* row = marks.data() + size_t(y) * size_t(bw);
            for (int x = 0; x < bw; ++x)
                if (!row[x]) {
                    clearLong(x, y);
                    stretchFrom[size_t(x)] = y + 1;
                }
        }
        for (int x = 0; x < bw; ++x)
            clearLong(x, bh);
        std::vector<int> markLabels;
        const std::vector<Component> markPieces = components(marks, bw, bh, markLabels);
        // A field's rim closes above and below it all along, so most of its columns reach from
        // its top to its bottom; a tall box's rounded top or bottom edge, its sides gone with
        // the long lines, is a line with a corner at each end, and the box is no field.
        auto closed = [&](size_t k) {
            const QRect& mb = markPieces[k].box;
            int spanning = 0;
            for (int x = mb.left(); x <= mb.right(); ++x) {
                int top = -1, bottom = -1;
                for (int y = mb.top(); y <= mb.bottom(); ++y)
                    if (markLabels[size_t(y) * size_t(bw) + size_t(x)] == int(k)) {
                        top = top < 0 ? y : top;
                        bottom = y;
                    }
                spanning += top >= 0 && (bottom - top + 1) * 10 >= mb.height() * 7 ? 1 : 0;
            }
            return spanning * 2 >= mb.width();
        };
        std::vector<bool> rimmed(markPieces.size(), false);
        for (size_t k = 0; k < markPieces.size(); ++k) {
            const QRect& mb = markPieces[k].box;
            rimmed[k] = mb.height() >= 5 && mb.height() <= 56 && mb.width() > 56 && markPieces[k].area * 5 <= mb.width() * mb.height() * 3
                        && closed(k);
        }
        for (size_t i = 0; i < same.size(); ++i)
            if (markLabels[i] >= 0 && rimmed[size_t(markLabels[i])])
                same[i] = true;
    }
    // The frame lines and text of that colour elsewhere join the panel to the rest: only what
    // stays when everything thinner than five pixels (three in a solid shape) is worn away is
    // the panel's body.
    // (A panel's own text may stand close to its edges; its trace and text break a body worn
    // away as deep as a drawing's, so a panel found in a solid shape is worn by one pixel only.)
    const int r = holding ? 1 : 2;
    // (Worn away along the rows, then down the columns: a pixel stays where its whole square
    // of side 2r+1 is the colour.)
    const int side = 2 * r + 1;
    std::vector<quint8> acrossRows(same.size(), 0);
    for (int y = 0; y < bh; ++y) {
        const quint8* row = same.data() + size_t(y) * size_t(bw);
        quint8* kept = acrossRows.data() + size_t(y) * size_t(bw);
        for (int x = 0, run = 0; x < bw; ++x) {
            run = row[x] ? run + 1 : 0;
            if (run >= side)
                kept[x - r] = 1;
        }
    }
    std::vector<quint8> body(same.size(), 0);
    std::vector<int> down(size_t(bw), 0);
    for (int y = 0; y < bh; ++y) {
        const quint8* row = acrossRows.data() + size_t(y) * size_t(bw);
        for (int x = 0; x < bw; ++x) {
            int& run = down[size_t(x)];
            run = row[x] ? run + 1 : 0;
            if (run >= side)
                body[size_t(y - r) * size_t(bw) + size_t(x)] = 1;
        }
    }
    std::vector<int> panelLabels;
    std::vector<Component> panels = components(body, bw, bh, panelLabels);
    // A mark drawn from outside onto a panel (an arrow pointing at a value, a trace's marker at
    // its edge) that touches the rim of one of its fields joins that rim to the screen around,
    // so the rim is no enclosed mark and cuts the panel across: bodies stacked one over the
    // other, their sides in line and no more than a rim's width apart, are one panel.
    if (enclosing && panels.size() > 1) {
        Disjoint stacked(panels.size());
        for (size_t i = 0; i < panels.size(); ++i)
            for (size_t j = i + 1; j < panels.size(); ++j) {
                const QRect& a = panels[i].box;
                const QRect& o = panels[j].box;
                const int gap = std::max(a.top(), o.top()) - std::min(a.bottom(), o.bottom()) - 1;
                if (a.width() >= 40 && o.width() >= 40 && std::abs(a.left() - o.left()) <= 3 && std::abs(a.right() - o.right()) <= 3
                    && gap >= 0 && gap <= 2 * r + 3)
                    stacked.join(int(i), int(j));
            }
        std::vector<Component> merged(panels.size());
        for (size_t i = 0; i < panels.size(); ++i) {
            Component& m = merged[size_t(stacked.find(int(i)))];
            m.box = m.box.isNull() ? panels[i].box : (m.box | panels[i].box);
            m.area += panels[i].area;
        }
        std::vector<int> rootOf(panels.size());
        for (size_t i = 0; i < panels.size(); ++i)
            rootOf[i] = stacked.find(int(i));
        for (int& l : panelLabels)
            if (l >= 0)
                l = rootOf[size_t(l)];
        panels = std::move(merged);
    }
    for (size_t k = 0; k < panels.size(); ++k) {
        const Component& p = panels[k];
        const QRect grown = p.box.adjusted(-r, -r, r, r);
        const double fill = double(p.area) / (double(p.box.width()) * p.box.height());
        // A frame round a plot (bars above and below the grid and strips at its sides, in one
        // colour) is one body shaped as a ring, far from filling its box. Its bar across the
        // bottom, rows the body fills from side to side with the text counted in, is where a
        // scope writes its measurements under the grid: a panel of its own. (The bar across the
        // top holds the status and the title, read against the screen as they are.)
        if (enclosing && fill < 0.45 && p.box.width() * 2 >= bw) {
            std::vector<int> across(size_t(bh), 0);
            for (int y = p.box.top(); y <= p.box.bottom(); ++y)
                for (int x = p.box.left(); x <= p.box.right(); ++x)
                    across[size_t(y)] += panelLabels[size_t(y) * size_t(bw) + size_t(x)] == int(k) ? 1 : 0;
            const auto full = [&](int y) { return across[size_t(y)] * 10 >= p.box.width() * 9; };
            int top = p.box.bottom();
            while (top > p.box.top() && full(top - 1))
                --top;
            const QRect bar = QRect(p.box.left(), top, p.box.width(), p.box.bottom() - top + 1).adjusted(-r, -r, r, r);
            if (full(p.box.bottom()) && bar.height() >= 16) {
                const QRect panel = bar.translated(b.topLeft());
                const QColor fill = dominantColour(image, panel);
                contrastAgainst(image, fill, panel, inside, w);
                takeBox(s, inside, panel, edgelessSides(image, panel, fill));
            }
            // Its strip down the right side, between the bars, columns the body fills from the
            // top bar to the bottom one (a tenth left for the print in them), is a panel of its
            // own too: a program's window round a display set on the screen's own colour keeps
            // the display's unit lamps and their labels there, after its digits. (The strip at
            // the left is a control panel beside a plot, read as it is.) It belongs to the window
            // round the display, not to a box of its own, so it is read against its fill but
            // counts as no box: what stands in it stands beside the display.
            int topEnd = p.box.top();
            while (topEnd < p.box.bottom() && full(topEnd))
                ++topEnd;
            const int bandBottom = top - 1;
            const auto fullColumn = [&](int x) {
                int n = 0;
                for (int y = topEnd; y <= bandBottom; ++y)
                    n += panelLabels[size_t(y) * size_t(bw) + size_t(x)] == int(k) ? 1 : 0;
                return n * 10 >= (bandBottom - topEnd + 1) * 9;
            };
            int right = p.box.right();
            while (bandBottom - topEnd >= 40 && right > p.box.left() && fullColumn(right))
                --right;
            if (p.box.right() - right >= 16) {
                const QRect strip = QRect(QPoint(right + 1, topEnd), QPoint(p.box.right(), bandBottom)).adjusted(-r, 0, r, 0).translated(b.topLeft());
                const QColor fill = dominantColour(image, strip);
                contrastAgainst(image, fill, strip, inside, w);
                takeBox(s, inside, strip, edgelessSides(image, strip, fill));
                s.frames.removeLast();
            }
            continue;
        }
        // (The rows of a table, a line of small print in each, are panels however low.)
        if (p.area < 2000 || grown.width() < 40 || grown.height() < 16 || fill < 0.45)
            continue;
        // Its body reaches along most of its four edges (text drawn close to an edge leaves gaps
        // there). A photographed panel may stand a little askew: its edges then run a little way
        // across the box around it (up to a thirtieth of its side), and none lies along its side.
        auto edge = [&](bool horizontal, bool far, int reach) {
            const int count = horizontal ? p.box.width() : p.box.height();
            int hits = 0;
            for (int k2 = 0; k2 < count; ++k2) {
                bool hit = false;
                for (int m = 0; m <= reach && !hit; ++m) {
                    const int x = horizontal ? p.box.left() + k2 : (far ? p.box.right() - m : p.box.left() + m);
                    const int y = horizontal ? (far ? p.box.bottom() - m : p.box.top() + m) : p.box.top() + k2;
                    hit = panelLabels[size_t(y) * size_t(bw) + size_t(x)] == int(k);
                }
                hits += hit ? 1 : 0;
            }
            return double(hits) / count;
        };
        const auto edgesWithin = [&](int reach) {
            return std::array<double, 4>{edge(true, false, reach), edge(true, true, reach), edge(false, false, reach), edge(false, true, reach)};
        };
        const auto alongEdges = [](const std::array<double, 4>& e) {
            return *std::min_element(e.begin(), e.end()) >= 0.3 && std::accumulate(e.begin(), e.end(), 0.0) >= 4 * 0.6;
        };
        std::array<double, 4> edges = edgesWithin(2);
        const int slack = std::min(p.box.width(), p.box.height()) / 30;
        // (A body lying along one side of its box for most of it stands square: what it lacks at
        // the others is no tilt, but a neighbour's print or a gap, and no panel's edge.)
        const bool askew = !alongEdges(edges) && slack > 2 && *std::max_element(edges.begin(), edges.end()) < 0.75;
        if (askew)
            edges = edgesWithin(slack);
        if (!alongEdges(edges))
            continue;
        const QRect panel = grown.translated(b.topLeft());
        // A body with its enclosed marks counted in must be all but a whole rectangle, as a
        // panel's is and a photo's dark patch with printed labels is not, and taller than what it
        // was let enclose: a strip between two rims is a piece of a panel that fell apart, the
        // rest of it lost.
        // (A body on the screen's top or bottom edge is bounded there by the screen, no rim: a
        // status bar's cells, each between two rules, are panels however low. Their badges and
        // signs stand close to the rules, a coupling's bars or a trigger's edge that no enclosed
        // mark counts in, and leave such a cell's body short of a whole rectangle by more.)
        const bool onScreenEdge = panel.top() <= 0 || panel.bottom() >= s.height - 1;
        const double whole = onScreenEdge ? 0.85 : 0.9, rimmedAlong = onScreenEdge ? 0.6 : 0.9;
        if (enclosing ? (fill < whole || *std::min_element(edges.begin(), edges.end()) < rimmedAlong || (grown.height() <= 56 && !onScreenEdge))
                      : std::any_of(s.frames.begin() + firstFound, s.frames.begin() + before, [&](const QRect& f) {
                            const QRect both = f.intersected(panel);
                            return qint64(both.width()) * both.height() * 2
                                   > std::max(qint64(f.width()) * f.height(), qint64(panel.width()) * panel.height());
                        }))
            continue;
        const QColor fillColour = dominantColour(image, panel);
        contrastAgainst(image, fillColour, panel, inside, w);
        if (holding && !holdsMarks(inside, w, panel, p.area))
            continue;
        takeBox(s, inside, panel, edgelessSides(image, panel, fillColour));
        // (What of the box an askew panel leaves, a wedge of the case around it along each side,
        // is no print on the panel: outside the body's reach along each row and column, none.)
        if (askew)
            clipToBody(s, panelLabels, int(k), bw, p.box, b.topLeft(), r);
    }
    if (enclosing && !faintRims && s.frames.size() == before)
        return findPanelsOf(image, c, labels, id, s, inside, colour, holding, -1, true);
    if (enclosing)
        findPanelsOf(image, c, labels, id, s, inside, colour, holding, before);
}

// The pieces of `inked` (a mask over a box bw x bh) that stand in lines of text, marked in `keep`.
// `others` are the glyphs around that are no part of the drawing (in the box's coordinates): a
// line may be theirs, a piece of the drawing only its first letter.
void keepLinesOfGlyphs(const std::vector<quint8>& inked, int bw, int bh, const std::vector<QRect>& others, bool mostlyOthers, std::vector<quint8>& keep,
                       bool ruled = false)
{
    std::vector<int> pieceLabels;
    const std::vector<Component> pieces = components(inked, bw, bh, pieceLabels);
    std::vector<bool> glyph(pieces.size(), false);
    for (size_t k = 0; k < pieces.size(); ++k) {
        const Component& p = pieces[k];
        const int pw = p.box.width(), ph = p.box.height();
        glyph[k] = ph >= 5 && ph <= 40 && pw <= ph * 3 && !(pw <= 2 && ph > 12) && !isLineArt(p) && p.area >= 4;
    }
    // Text stands in lines: a piece is kept beside two others of about its height on its line,
    // no further off than its height (specks and spikes of a noisy trace stand anyhow).
    std::vector<QRect> boxes;  // the drawing's glyph-sized pieces, then the glyphs around
    std::vector<int> pieceOf;  // each box's piece, or -1 for a glyph around
    for (size_t k = 0; k < pieces.size(); ++k)
        if (glyph[k]) {
            boxes.push_back(pieces[k].box);
            pieceOf.push_back(int(k));
        }
    if (boxes.empty())
        return;
    for (const QRect& o : others) {
        boxes.push_back(o);
        pieceOf.push_back(-1);
    }
    std::vector<int> candidates(boxes.size());
    std::iota(candidates.begin(), candidates.end(), 0);
    std::sort(candidates.begin(), candidates.end(), [&](int a, int b) { return boxes[size_t(a)].left() < boxes[size_t(b)].left(); });
    Disjoint lines(boxes.size());
    std::vector<int> beside(boxes.size(), 0);
    for (size_t ci = 0; ci < candidates.size(); ++ci) {
        const QRect& a = boxes[size_t(candidates[ci])];
        // Pieces are at most 40 high, so a neighbour begins at most 41 columns after this one ends.
        for (size_t cj = ci + 1; cj < candidates.size(); ++cj) {
            const QRect& b = boxes[size_t(candidates[cj])];
            if (b.left() > a.right() + 41)
                break;
            if (pieceOf[size_t(candidates[ci])] < 0 && pieceOf[size_t(candidates[cj])] < 0)
                continue;
            const int overlap = std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) + 1;
            const int gap = std::max(b.left() - a.right(), a.left() - b.right()) - 1;
            if (overlap * 10 >= std::min(a.height(), b.height()) * 7 && b.height() * 10 >= a.height() * 7 && a.height() * 10 >= b.height() * 7
                && gap <= std::max(a.height(), b.height())) {
                lines.join(candidates[ci], candidates[cj]);
                ++beside[size_t(candidates[ci])];
                ++beside[size_t(candidates[cj])];
            }
        }
    }
    // Small marks (a decimal point, a minus, the bars of =) are too small to count as glyphs: one
    // within the height of a glyph and close beside it belongs to the glyph's line.
    const auto isMark = [&](size_t k) { return !glyph[k] && pieces[k].box.width() <= 12 && pieces[k].box.height() <= 6; };
    const auto markBeside = [](const QRect& p, const QRect& g) {
        return p.top() >= g.top() - 1 && p.bottom() <= g.bottom() + 1 && p.height() * 2 <= g.height() && p.width() <= g.height()
               && std::max(p.left() - g.right(), g.left() - p.right()) - 1 <= g.height() / 2;
    };
    // Such a mark outside a glyph (the point after the first digit of "2.000", a minus before it)
    // is a neighbour too: the first digit of a figure stands further off the next than a
    // letter's width. (A radio button's dot is inside its ring.)
    {
        std::vector<QRect> marks;
        for (size_t k = 0; k < pieces.size(); ++k)
            if (isMark(k))
                marks.push_back(pieces[k].box);
        for (size_t k = 0; k < boxes.size() && !marks.empty(); ++k) {
            if (pieceOf[k] < 0)
                continue;
            for (const QRect& p : marks)
                if (!p.intersects(boxes[k]) && markBeside(p, boxes[k]))
                    ++beside[k];
        }
    }
    // Where the drawing's pieces are looked at by colour, a line is kept only where most of it
    // stands free: the drawing then gives a line its first or last letter, touching a rim (the
    // F of "Freq=" in a strip cell), and the specks of a trace drawn in one colour make no line of
    // their own.
    std::vector<int> lineSize(boxes.size(), 0), ownInLine(boxes.size(), 0);
    for (size_t k = 0; k < boxes.size(); ++k) {
        ++lineSize[size_t(lines.find(int(k)))];
        ownInLine[size_t(lines.find(int(k)))] += pieceOf[k] >= 0 ? 1 : 0;
    }
    // (A short word touching a table's rule, a cell's "VDC" beside the rule of its column,
    // makes a line of two pieces only where two of its letters run together. In a drawing of
    // rules (`ruled`: a table's grid, a window's outline) two pieces of print, each a stroke
    // wide or more, partly inked as letters are, side by side as wide together as two letters,
    // are such a word; a pair of ticks is thinner, smaller or solid, and the noise a photograph
    // joins into line art is no outline.)
    std::vector<QRect> lineBox(boxes.size());
    std::vector<bool> lettered(boxes.size(), true);
    for (size_t k = 0; k < boxes.size(); ++k) {
        const size_t root = size_t(lines.find(int(k)));
        lineBox[root] |= boxes[k];
        const double fill = pieceOf[k] >= 0 ? double(pieces[size_t(pieceOf[k])].area) / (double(boxes[k].width()) * boxes[k].height()) : 0;
        lettered[root] = lettered[root] && pieceOf[k] >= 0 && boxes[k].width() >= 3 && boxes[k].height() >= 7 && fill >= 0.2 && fill <= 0.7;
    }
    const auto wordOfTwo = [&](size_t k) {
        const size_t root = size_t(lines.find(int(k)));
        return ruled && !mostlyOthers && beside[k] == 1 && lineSize[root] == 2 && lettered[root] && lineBox[root].width() >= lineBox[root].height() * 2;
    };
    std::vector<bool> inLine(pieces.size(), false);
    std::vector<QRect> kept;
    // (A narrow glyph at the end of such a line, a 1 or an I, stands in a cell as wide as the
    // others' and so further off its neighbours: it may have one only, and the line vouches for
    // it: the first digit of "f = 100.105Hz". Pixel faces give the 1 a flag and a foot as wide
    // as the cell, nearly two thirds of its height: "10.0002MHz" in a counter's box.)
    for (size_t k = 0; k < boxes.size(); ++k)
        if ((beside[k] >= 2 || (beside[k] == 1 && boxes[k].width() * 10 <= boxes[k].height() * 7 && lineSize[size_t(lines.find(int(k)))] >= 3) || wordOfTwo(k))
            && (!mostlyOthers || ownInLine[size_t(lines.find(int(k)))] * 2 <= lineSize[size_t(lines.find(int(k)))])) {
            if (pieceOf[k] >= 0)
                inLine[size_t(pieceOf[k])] = true;
            kept.push_back(boxes[k]);
        }
    // The marks beside a kept glyph are kept with it.
    for (size_t k = 0; k < pieces.size(); ++k)
        if (isMark(k))
            inLine[k] = std::any_of(kept.begin(), kept.end(), [&](const QRect& g) { return markBeside(pieces[k].box, g); });
    // (Marked piece by piece, within each kept piece's box: a drawing's box may be the whole
    // screen, its lines of text a small part of it.)
    for (size_t k = 0; k < pieces.size(); ++k) {
        if (!inLine[k])
            continue;
        const QRect& b = pieces[k].box;
        for (int y = b.top(); y <= b.bottom(); ++y)
            for (int x = b.left(); x <= b.right(); ++x) {
                const size_t i = size_t(y) * size_t(bw) + size_t(x);
                if (pieceLabels[i] == int(k))
                    keep[i] = 1;
            }
    }
}

// Text drawn against a frame (a scope's strip cells, their text touching the cell's rim) or on
// a fill that stands out only faintly from the screen (a dark strip on a dark blue screen) is
// joined to the frame by faint pixels only: its own strokes, the strongly inked pixels, stand
// apart from the frame's. Those strongly inked pieces of a line drawing that are the size of
// glyphs are kept when the drawing is set aside (a mask over `box`, true = keep).
// Text in a colour of its own (a channel's label in a grey-rimmed strip cell) may touch the rim
// with strong ink too: apart from the ink of the drawing's own most common colour it stands
// alone all the same. `ruled`: the drawing is an outline (a table's grid, a window's frame).
std::vector<quint8> glyphsJoinedFaintly(const QImage& image, const std::vector<quint8>& contrast, const std::vector<int>& labels, int id,
                                        const QRect& box, int width, int strong, const std::vector<QRect>& glyphsAround, bool ruled)
{
    const int bw = box.width(), bh = box.height();
    std::vector<QRect> around;
    const QRect near = box.adjusted(-41, -41, 41, 41);
    for (const QRect& g : glyphsAround)
        if (g.intersects(near))
            around.push_back(g.translated(-box.topLeft()));
    std::vector<quint8> keep(size_t(bw) * size_t(bh), 0);
    std::vector<quint8> inked(keep.size(), 0);
    std::vector<int> counts(4096, 0);
    int strongCount = 0;
    for (int y = 0; y < bh; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(box.top() + y));
        for (int x = 0; x < bw; ++x) {
            const size_t i = size_t(box.top() + y) * size_t(width) + size_t(box.left() + x);
            const bool on = labels[i] == id && contrast[i] >= strong;
            inked[size_t(y) * size_t(bw) + size_t(x)] = on ? 1 : 0;
            if (on) {
                const QRgb p = line[box.left() + x];
                ++counts[size_t(((qRed(p) >> 4) << 8) | ((qGreen(p) >> 4) << 4) | (qBlue(p) >> 4))];
                ++strongCount;
            }
        }
    }
    if (strongCount == 0)
        return keep;
    keepLinesOfGlyphs(inked, bw, bh, {}, false, keep, ruled);
    // The drawing's ink split by colour: its most common colour and the ink near it, then the
    // most common colour of the rest, and so on (a trace, the rims, the text).
    std::vector<quint8> unsorted = inked;
    int left = strongCount;
    for (int round = 0; round < 5 && left >= 20; ++round) {
        const int best = int(std::max_element(counts.begin(), counts.end()) - counts.begin());
        const int r0 = ((best >> 8) << 4) + 8, g0 = (((best >> 4) & 15) << 4) + 8, b0 = ((best & 15) << 4) + 8;
        std::vector<quint8> ofColour(inked.size(), 0);
        int taken = 0;
        for (int y = 0; y < bh; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(box.top() + y));
            for (int x = 0; x < bw; ++x) {
                const size_t k = size_t(y) * size_t(bw) + size_t(x);
                if (!unsorted[k])
                    continue;
                const QRgb p = line[box.left() + x];
                if (std::max({std::abs(qRed(p) - r0), std::abs(qGreen(p) - g0), std::abs(qBlue(p) - b0)}) < 48) {
                    ofColour[k] = 1;
                    unsorted[k] = 0;
                    --counts[size_t(((qRed(p) >> 4) << 8) | ((qGreen(p) >> 4) << 4) | (qBlue(p) >> 4))];
                    ++taken;
                }
            }
        }
        if (taken == 0)
            break;
        // All the ink of one colour is the drawing itself, already looked at.
        if (taken == strongCount)
            break;
        left -= taken;
        keepLinesOfGlyphs(ofColour, bw, bh, around, true, keep);
    }
    return keep;
}

}  // namespace

namespace {

// Large print drawn with a glow (a program's imitation of a lit LED or VFD display) has a soft
// halo round its strokes: faint as it is, it joins neighbouring digits and a decimal point into
// one piece and fills the bowls of a 6 or an 8. A glow fades steadily away from the strokes and
// ends a few pixels off them; a button's or a panel's fill round its text is as strong far from
// the text as near it, and reaches further. So a piece of large print whose faint ink (under
// half its brightest contrast) stands well off its strokes over a fifth of its area, none of it
// more than nine pixels off, and fades by a fifth from one pixel off to five, has its halo taken
// out, leaving the strokes. Whether any halo was taken out.
bool takeOutGlow(Scan& s, const std::vector<Component>& comps, const std::vector<int>& labels)
{
    bool any = false;
    const int w = s.width;
    for (size_t id = 0; id < comps.size(); ++id) {
        const Component& c = comps[id];
        const QRect& b = c.box;
        if (b.height() < 24 || b.height() > s.height * 0.7 || c.area < 200)
            continue;
        const int bw = b.width(), bh = b.height();
        auto own = [&](int x, int y) { return labels[size_t(b.top() + y) * size_t(w) + size_t(b.left() + x)] == int(id); };
        auto contrastAt = [&](int x, int y) { return int(s.contrast[size_t(b.top() + y) * size_t(w) + size_t(b.left() + x)]); };
        int peak = 0;
        for (int y = 0; y < bh; ++y)
            for (int x = 0; x < bw; ++x)
                if (own(x, y))
                    peak = std::max(peak, contrastAt(x, y));
        if (peak < 120)
            continue;
        // How far each pixel stands from the strokes, in steps to a neighbour (corners too).
        constexpr int far = 1000;
        std::vector<int> dist(size_t(bw) * size_t(bh), far);
        auto d = [&](int x, int y) -> int& { return dist[size_t(y) * size_t(bw) + size_t(x)]; };
        for (int y = 0; y < bh; ++y)
            for (int x = 0; x < bw; ++x)
                if (own(x, y) && contrastAt(x, y) * 2 >= peak)
                    d(x, y) = 0;
        for (int y = 0; y < bh; ++y)
            for (int x = 0; x < bw; ++x)
                for (const auto& [dx, dy] : {std::pair{-1, 0}, {-1, -1}, {0, -1}, {1, -1}})
                    if (x + dx >= 0 && x + dx < bw && y + dy >= 0)
                        d(x, y) = std::min(d(x, y), d(x + dx, y + dy) + 1);
        for (int y = bh - 1; y >= 0; --y)
            for (int x = bw - 1; x >= 0; --x)
                for (const auto& [dx, dy] : {std::pair{1, 0}, {1, 1}, {0, 1}, {-1, 1}})
                    if (x + dx >= 0 && x + dx < bw && y + dy < bh)
                        d(x, y) = std::min(d(x, y), d(x + dx, y + dy) + 1);
        int halo = 0, farthest = 0;
        qint64 nearSum = 0, nearCount = 0, offSum = 0, offCount = 0;
        for (int y = 0; y < bh; ++y)
            for (int x = 0; x < bw; ++x) {
                if (!own(x, y))
                    continue;
                const int k = d(x, y);
                farthest = std::max(farthest, k);
                halo += k >= 3 ? 1 : 0;
                if (k == 1) {
                    nearSum += contrastAt(x, y);
                    ++nearCount;
                } else if (k == 5) {
                    offSum += contrastAt(x, y);
                    ++offCount;
                }
            }
        if (halo * 5 < c.area || farthest > 9 || nearCount == 0 || offCount == 0 || nearSum * offCount * 4 < offSum * nearCount * 5)
            continue;
        for (int y = 0; y < bh; ++y)
            for (int x = 0; x < bw; ++x)
                if (own(x, y) && contrastAt(x, y) * 2 < peak)
                    s.contrast[size_t(b.top() + y) * size_t(w) + size_t(b.left() + x)] = 0;
        any = true;
    }
    return any;
}

// A filled box's most common colour is its own ink, its fill (the text cut out of it is not).
// A ring of thick bars reaches all four edges of its box as a filled box does (the lower bowl
// of an 8 or a 0 drawn in touching segments, on the light field of a program's readout), but
// the colour most common in its box is the background showing through its middle: a glyph,
// whose rim would be worn off as a box's.
bool fillIsOwnInk(const QImage& image, const Component& c, const std::vector<int>& labels, int id, int width, const QColor& fill)
{
    const QRect& b = c.box;
    int own = 0, all = 0;
    for (int y = b.top(); y <= b.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = b.left(); x <= b.right(); ++x) {
            const QRgb p = line[x];
            if (std::max({std::abs(qRed(p) - fill.red()), std::abs(qGreen(p) - fill.green()), std::abs(qBlue(p) - fill.blue())}) > 24)
                continue;
            ++all;
            own += labels[size_t(y) * size_t(width) + size_t(x)] == id ? 1 : 0;
        }
    }
    return own * 2 >= all;
}

// A filled box inside a box whose text was read against its own fill (a value's field in a
// dashboard's coloured card) stands out from that fill as one solid piece, its text with it:
// it is a box of its own, its text read against its own fill in turn. Whether any was found.
bool takeBoxesInBoxes(const QImage& image, Scan& s, const std::vector<Component>& comps, const std::vector<int>& labels,
                      std::vector<quint8>& inside)
{
    bool any = false;
    const qsizetype taken = s.frames.size();
    for (size_t id = 0; id < comps.size(); ++id) {
        const Component& c = comps[id];
        const QRect& b = c.box;
        const double fill = double(c.area) / (double(b.width()) * b.height());
        if (c.area < 250 || b.width() < 14 || b.height() < 9 || fill < 0.55)
            continue;
        const bool nested = std::any_of(s.frames.begin(), s.frames.begin() + taken, [&](const QRect& f) {
            return f != b && f.contains(b.adjusted(-2, -2, 2, 2));
        });
        if (!nested || !isFilledRectangle(c, labels, int(id), s.width))
            continue;
        const QColor fillColour = dominantColour(image, b);
        if (!fillIsOwnInk(image, c, labels, int(id), s.width, fillColour))
            continue;
        contrastAgainst(image, fillColour, b, inside, s.width);
        if (!holdsMarks(inside, s.width, b, c.area))
            continue;
        takeBox(s, inside, b, edgelessSides(image, b, fillColour));
        any = true;
    }
    return any;
}

Scan scanScreen(const QImage& source, bool photographed = false, int gain = 1)
{
    Scan s;
    if (source.isNull())
        return s;
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    s.width = w;
    s.height = h;
    s.contrast.assign(size_t(w) * size_t(h), 0);
    contrastAgainst(image, dominantColour(image, image.rect()), image.rect(), s.contrast, w);
    // (Print already strong is the ordinary scan's: left out, the trace and the bright text with
    // it, the faint scan has only the faint print to go through.)
    if (gain > 1)
        for (quint8& v : s.contrast)
            v = v >= strongInk ? 0 : quint8(std::min(255, int(v) * gain));

    constexpr int high = strongInk, low = 40;
    std::vector<int> labels;
    std::vector<Component> first = hysteresisPieces(s.contrast, w, h, high, low, labels);

    // Filled boxes (a mode badge, a status bar, a highlighted label): their text is read against
    // the box's own fill. Outlines and line art are taken out before the glyphs are found. The
    // contrast against a box's fill is worked out in one scratch image, only inside the box.
    std::vector<quint8> inside(s.contrast.size(), 0);
    // The glyphs standing free, for the lines that a drawing's pieces may begin or end.
    std::vector<QRect> glyphsAround;
    // (A cell's rim, as large as a glyph, is none.)
    for (size_t id = 0; id < first.size(); ++id) {
        const Component& c = first[id];
        const int cw = c.box.width(), ch = c.box.height();
        if (ch >= 5 && ch <= 40 && cw <= ch * 3 && !(cw <= 2 && ch > 12) && !isLineArt(c) && c.area >= 4 && !isOutline(c, labels, int(id), w))
            glyphsAround.push_back(c.box);
    }
    for (size_t id = 0; id < first.size(); ++id) {
        const Component& c = first[id];
        const QRect& b = c.box;
        const double fill = double(c.area) / (double(b.width()) * b.height());
        if (c.area >= 250 && b.width() >= 14 && b.height() >= 9 && fill >= 0.55 && isFilledRectangle(c, labels, int(id), w)) {
            const QColor fillColour = dominantColour(image, b);
            contrastAgainst(image, fillColour, b, inside, w);
            if (fillIsOwnInk(image, c, labels, int(id), w, fillColour) && holdsMarks(inside, w, b, c.area)) {
                takeBox(s, inside, b, edgelessSides(image, b, fillColour));
                continue;
            }
            // A drawing as large as the screen's own frame (its bars, panels and plot joined by
            // their borders) reaches all its edges as a filled box does, but holds far too much
            // to be one: its panels are looked for as any large drawing's.
            if (!isLineArt(c))
                continue;
        }
        const bool outline = isOutline(c, labels, int(id), w);
        if (outline)
            s.frames.append(b);
        // A wide, tall and sparse drawing is a waveform (with or without its grid). Traces of a
        // fast signal drawn at a slow time base are filled bands across the grid, so the drawing
        // is not as sparse as a line's.
        if (!outline && b.width() >= w * 0.4 && b.height() >= h * 0.25 && fill < 0.25)
            s.waveform = true;
        if (isLineArt(c) || outline) {
            const std::vector<quint8> kept = glyphsJoinedFaintly(image, s.contrast, labels, int(id), b, w, high, glyphsAround, outline);
            for (int y = b.top(); y <= b.bottom(); ++y)
                for (int x = b.left(); x <= b.right(); ++x) {
                    const size_t i = size_t(y) * size_t(w) + size_t(x);
                    if (labels[i] == int(id) && !kept[size_t(y - b.top()) * size_t(b.width()) + size_t(x - b.left())])
                        s.contrast[i] = 0;
                }
            if (c.area >= 2000)
                findPanels(image, c, labels, int(id), s, inside);
        } else if (c.area >= 2000 && b.width() >= 40 && b.height() >= 20) {
            findPanels(image, c, labels, int(id), s, inside, true);
        }
    }

    std::vector<Component> comps = hysteresisPieces(s.contrast, w, h, high, low, labels);
    if (takeBoxesInBoxes(image, s, comps, labels, inside))
        comps = hysteresisPieces(s.contrast, w, h, high, low, labels);
    if (takeOutGlow(s, comps, labels))
        comps = hysteresisPieces(s.contrast, w, h, high, low, labels);
    std::vector<QRect> boxes;
    std::vector<int> areas;
    std::vector<bool> blobs;
    std::vector<QRect> cores;  // each piece's strongly inked part (a blurred minus is a bar there)
    std::vector<int> barThickness;  // for solid bars (LCD segments, strokes of 1, l, I), else 0
    for (size_t id = 0; id < comps.size(); ++id) {
        const Component& c = comps[id];
        if (isLineArt(c))
            continue;
        if (c.box.height() > h * 0.7)
            continue;
        boxes.push_back(c.box);
        areas.push_back(c.area);
        barThickness.push_back(barThicknessOf(c, labels, int(id), w));
        blobs.push_back(isBlob(c, labels, int(id), w, s.contrast, high));
        QRect core;
        for (int y = c.box.top(); y <= c.box.bottom(); ++y)
            for (int x = c.box.left(); x <= c.box.right(); ++x)
                if (labels[size_t(y) * size_t(w) + size_t(x)] == int(id) && s.contrast[size_t(y) * size_t(w) + size_t(x)] >= high)
                    core |= QRect(x, y, 1, 1);
        cores.push_back(core.isEmpty() ? c.box : core);
    }
    // A large piece with several others inside its box is the body of a panel whose cells were
    // read against their own fill (a side panel of readout cards), not a glyph: joined to the
    // text inside, it would make the whole panel one glyph.
    {
        std::vector<bool> drop(boxes.size(), false);
        for (size_t i = 0; i < boxes.size(); ++i) {
            const QRect& big = boxes[i];
            if (big.width() <= 40 || big.height() <= 40)
                continue;
            int inner = 0;
            for (size_t j = 0; j < boxes.size() && inner < 3; ++j)
                inner += j != i && big.contains(boxes[j]) ? 1 : 0;
            drop[i] = inner >= 3;
        }
        size_t kept = 0;
        for (size_t i = 0; i < boxes.size(); ++i)
            if (!drop[i]) {
                boxes[kept] = boxes[i];
                areas[kept] = areas[i];
                barThickness[kept] = barThickness[i];
                blobs[kept] = blobs[i];
                cores[kept] = cores[i];
                ++kept;
            }
        boxes.resize(kept);
        areas.resize(kept);
        barThickness.resize(kept);
        blobs.resize(kept);
        cores.resize(kept);
    }

    // Glyphs: pieces that touch once grown by a hair (the segments of one LCD digit, the dot of
    // an i, the parts of % and :) are one glyph.
    // (Each test below needs the two within 1.6 times the taller one's height.)
    // A point on the baseline between two glyphs of its line, their feet level with its own, is
    // that line's; it is no dot over a glyph of the line below, however close that line stands
    // (a character display's point just above the next line's digit).
    std::vector<int> levelNeighbours(boxes.size(), 0);  // bit 1: one on the left, bit 2: on the right
    forNearbyPairs(boxes, 1.0, [&](size_t i, size_t j) {
        const size_t small = boxes[i].height() <= boxes[j].height() ? i : j;
        const size_t big = small == i ? j : i;
        const QRect& p = boxes[small];
        const QRect& g = boxes[big];
        if (g.height() < p.height() * 2 || std::abs(g.bottom() - p.bottom()) > std::max(1, p.height() / 3)
            || gapBetween(p, g) > g.height() || gapBetween(p, g) < 0)
            return;
        levelNeighbours[small] |= g.right() < p.left() ? 1 : 2;
    });
    Disjoint pieces(boxes.size());
    forNearbyPairs(boxes, 1.6, [&](size_t i, size_t j) {
            const QRect& a = boxes[i];
            const QRect& b = boxes[j];
            const int H = std::max(a.height(), b.height());
            const int margin = std::max(1, int(H * 0.06));
            // A small piece just above a larger one is its dot (i, j, ä); one just below is not
            // part of it (the decimal point of a value printed under a label is not the label's).
            const size_t upperIndex = a.height() < b.height() ? i : j;
            const QRect& upper = boxes[upperIndex];
            const QRect& lower = a.height() < b.height() ? b : a;
            // A dot (or the upper half of a broken stroke) is a blob or a bar over one letter,
            // which is never much wider than tall: small print just above a wide shape (a
            // scope's strip over its channel badges) is a line of its own.
            const bool dotAbove = upper.bottom() <= lower.top() + std::max(1, lower.height() / 4) && lower.width() <= lower.height() * 1.5
                                  && (blobs[upperIndex] || barThickness[upperIndex] > 0) && levelNeighbours[upperIndex] != 3;
            const bool stacked = gapBetween(a, b) < -std::min(a.width(), b.width()) / 2
                                 && std::max(a.top(), b.top()) - std::min(a.bottom(), b.bottom()) <= std::max(2, int(H * 0.25))
                                 && std::min(a.height(), b.height()) < H * 0.55 && dotAbove;
            // The segments of an LCD digit are bars separated by narrow gaps, often without a
            // lit middle segment to bridge the upper and lower halves.
            const int thin = std::min(barThickness[i], barThickness[j]);
            const int xGap = gapBetween(a, b);
            const int yGap = std::max(a.top(), b.top()) - std::min(a.bottom(), b.bottom()) - 1;
            // (Two flat bars of one width right over each other, closer than a digit's half
            // height, are an equals sign's: its bars are marks of their own, as a minus is.)
            const bool segments = thin > 0 && std::max(xGap, yGap) <= thin * 1.6 && !isEqualsPair(a, b);
            // Touching pieces side by side, or a small piece (a dot) above or below: one glyph.
            // Two full glyphs one above the other are two lines, however close.
            const bool touching = a.adjusted(-margin, -margin, margin, margin).intersects(b)
                                  && (verticalOverlap(a, b) > 0 || (std::min(a.height(), b.height()) < H * 0.5 && dotAbove));
            if (touching || stacked || segments)
                pieces.join(int(i), int(j));
        });
    // (Photographs of a display only.) The large digits of a small display's segment face are
    // drawn as an upper and a lower half a dot apart, and a photograph keeps them apart: two
    // pieces of one width stacked with that gap between them are one digit where a glyph beside
    // them on its line (the unit's letter, a digit drawn whole) stands as tall as the two
    // together. Two lines of small print stacked as close have no such glyph beside them.
    if (photographed)
        forNearbyPairs(boxes, 0.5, [&](size_t i, size_t j) {
            const QRect& upper = boxes[i].top() <= boxes[j].top() ? boxes[i] : boxes[j];
            const QRect& lower = boxes[i].top() <= boxes[j].top() ? boxes[j] : boxes[i];
            const int half = std::max(upper.height(), lower.height());
            const int width = std::max(upper.width(), lower.width());
            const int yGap = lower.top() - upper.bottom() - 1;
            const int edge = std::max(2, width / 5);
            // (A 7's or a 4's lower half is its right stroke alone: one side lined up, the
            // narrower half within the wider.)
            const QRect& wide = upper.width() >= lower.width() ? upper : lower;
            const QRect& narrow = upper.width() >= lower.width() ? lower : upper;
            const bool lined = std::abs(upper.left() - lower.left()) <= edge || std::abs(upper.right() - lower.right()) <= edge;
            if (std::min(upper.height(), lower.height()) < 8 || std::min(upper.height(), lower.height()) * 10 < half * 6 || yGap < 0
                || yGap > std::max(2, half / 5) || !lined || narrow.left() < wide.left() - edge || narrow.right() > wide.right() + edge)
                return;
            const QRect digit = upper | lower;
            const int slack = std::max(2, digit.height() / 8);
            for (size_t k = 0; k < boxes.size(); ++k) {
                const QRect& whole = boxes[k];
                if (k != i && k != j && std::abs(whole.top() - digit.top()) <= slack && std::abs(whole.bottom() - digit.bottom()) <= slack
                    && gapBetween(whole, digit) >= 0 && gapBetween(whole, digit) <= digit.height()) {
                    pieces.join(int(i), int(j));
                    return;
                }
            }
        });
    std::vector<QRect> glyphs;
    std::vector<double> glyphFill;
    std::vector<bool> glyphBlob;  // one solid blob, as a point is
    std::vector<QRect> glyphCore;
    {
        std::vector<int> index(boxes.size(), -1);
        std::vector<int> ink;
        for (size_t i = 0; i < boxes.size(); ++i) {
            const int root = pieces.find(int(i));
            if (index[size_t(root)] < 0) {
                index[size_t(root)] = int(glyphs.size());
                glyphs.push_back(boxes[i]);
                ink.push_back(areas[i]);
                glyphBlob.push_back(blobs[i]);
                glyphCore.push_back(cores[i]);
            } else {
                glyphs[size_t(index[size_t(root)])] |= boxes[i];
                ink[size_t(index[size_t(root)])] += areas[i];
                glyphBlob[size_t(index[size_t(root)])] = false;
                glyphCore[size_t(index[size_t(root)])] = glyphs[size_t(index[size_t(root)])];
            }
        }
        for (size_t g = 0; g < glyphs.size(); ++g)
            glyphFill.push_back(double(ink[g]) / (double(glyphs[g].width()) * glyphs[g].height()));
    }
    // Each bar of an equals sign, with the height of the whole sign: it joins print up to four
    // and a half times that height (a minus's test alone would let it join a tall shape it sits beside,
    // brackets of two lines run together).
    std::vector<int> equalsHeight(glyphs.size(), 0);
    forNearbyPairs(glyphs, 2.0, [&](size_t i, size_t j) {
        if (isEqualsPair(glyphs[i], glyphs[j]))
            equalsHeight[i] = equalsHeight[j] = (glyphs[i] | glyphs[j]).height();
    });

    // Runs: glyphs of one size side by side on one line, within the same box.
    std::vector<int> frameOf(glyphs.size());
    for (size_t i = 0; i < glyphs.size(); ++i)
        frameOf[i] = innermostFrame(s.frames, glyphs[i]);
    // An upright line drawn between two pieces of print and reaching above and below them
    // divides the line (a status strip's fields: a frequency, a bar, the clock). It is often part
    // of the strip's outline, not ink of its own, so it is looked for in the picture: a column of
    // the gap unlike the background all the way from above the print to below it. The print
    // either side is two runs, however close, and the recogniser never reads one figure running
    // into the next.
    auto grey = [&](int x, int y) { return qGray(reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]); };
    auto dividedBetween = [&](const QRect& a, const QRect& b) {
        const QRect& first = a.left() <= b.left() ? a : b;
        const QRect& second = a.left() <= b.left() ? b : a;
        const int H = std::max(a.height(), b.height());
        const int top = std::min(a.top(), b.top()) - std::max(1, H / 8);
        const int bottom = std::max(a.bottom(), b.bottom()) + std::max(1, H / 8);
        // (Looked for in small print only, where a strip's fields stand that close.)
        if (H > 16 || top < 0 || bottom >= h || second.left() - first.right() < 4)
            return false;
        // The background: the commonest shade over the two glyphs and the gap.
        int counts[8] = {};
        for (int y = std::min(a.top(), b.top()); y <= std::max(a.bottom(), b.bottom()); ++y)
            for (int x = first.left(); x <= second.right(); ++x)
                ++counts[grey(x, y) / 32];
        const int ground = int(std::max_element(std::begin(counts), std::end(counts)) - std::begin(counts)) * 32 + 16;
        // A column of the gap that is all background across the print, and one that is all
        // line from above the print to below it.
        auto column = [&](int x, int from, int to, bool line) {
            for (int y = from; y <= to; ++y)
                if ((std::abs(grey(x, y) - ground) >= 48) != line)
                    return false;
            return true;
        };
        const int printTop = std::min(a.top(), b.top()), printBottom = std::max(a.bottom(), b.bottom());
        bool clearBefore = false;
        for (int x = first.right() + 1; x < second.left(); ++x) {
            if (!clearBefore) {
                clearBefore = column(x, printTop, printBottom, false);
                continue;
            }
            if (!column(x, top, bottom, true))
                continue;
            for (int after = x + 1; after < second.left(); ++after)
                if (column(after, printTop, printBottom, false))
                    return true;
        }
        return false;
    };
    // (Both tests below need the two side by side within 0.75 times the taller one's height.)
    Disjoint lines(glyphs.size());
    auto sameLine = [&](size_t i, size_t j) {
            if (frameOf[i] != frameOf[j])
                return false;
            const QRect& a = glyphs[i];
            const QRect& b = glyphs[j];
            const QRect& big = a.height() >= b.height() ? a : b;
            const QRect& small = a.height() >= b.height() ? b : a;
            const double smallFill = a.height() >= b.height() ? glyphFill[j] : glyphFill[i];
            const bool smallBlob = a.height() >= b.height() ? glyphBlob[j] : glyphBlob[i];
            const QRect& smallCore = a.height() >= b.height() ? glyphCore[j] : glyphCore[i];
            const int gap = gapBetween(a, b);
            const int H = big.height();
            if (gap > 0 && dividedBetween(a, b))
                return false;
            const int sign = a.height() >= b.height() ? equalsHeight[j] : equalsHeight[i];
            if (sign > 0 && H * 2 > sign * 9)
                return false;
            bool join = false;
            if (small.height() >= H / 1.7) {
                const int overlap = verticalOverlap(a, b);
                join = overlap >= small.height() * 0.6 && gap <= H * 0.75;
            } else if (isPoint(small, smallFill, smallBlob, big) || isComma(small, smallFill, smallBlob, big) || isDash(small, big)
                       || isDash(smallCore, big) || isPoint(smallCore, smallFill, smallBlob, big)) {
                // (A point drawn with coloured fringes, as sub-pixel smoothing draws small print,
                // is wider than a point may be; its strongly inked core is a point's size. In a
                // monospaced face it stands in a cell of its own, its digits a word space apart:
                // it is what holds the figure together.)
                join = gap <= H * 0.75 && verticalOverlap(a, b) > 0;
            }
            // (Photographs of a display only.) A display's large face is drawn tall, its small
            // letters (the "m" of "mV" after the figure) under half its digits' height; one
            // standing on the digits' baseline close after them is on their line all the same.
            if (!join && photographed && small.height() * 23 >= H * 10 && small.height() * 10 <= H * 6 && gap >= 0 && gap <= H / 2
                && std::abs(small.bottom() - big.bottom()) <= std::max(2, H / 10))
                join = true;
            return join;
    };
    forNearbyPairs(glyphs, 0.75, [&](size_t i, size_t j) {
        if (sameLine(i, j) || sameLine(j, i))
            lines.join(int(i), int(j));
    });
    QList<Run> runs;
    {
        std::vector<int> index(glyphs.size(), -1);
        for (size_t i = 0; i < glyphs.size(); ++i) {
            const int root = lines.find(int(i));
            if (index[size_t(root)] < 0) {
                index[size_t(root)] = int(runs.size());
                Run r;
                r.frame = frameOf[i];
                runs.append(r);
            }
            Run& r = runs[index[size_t(root)]];
            r.glyphs.append(glyphs[i]);
            r.box = r.box.isNull() ? glyphs[i] : (r.box | glyphs[i]);
        }
    }
    for (Run& r : runs) {
        std::sort(r.glyphs.begin(), r.glyphs.end(), [](const QRect& a, const QRect& b) { return a.left() < b.left(); });
        for (const QRect& g : r.glyphs)
            r.height = std::max(r.height, g.height());
    }
    // Specks on their own (graticule dots, icon crumbs) are not text.
    runs.erase(std::remove_if(runs.begin(), runs.end(), [](const Run& r) { return r.height < 5 || (r.box.width() < 3 && r.height < 8); }),
               runs.end());
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) {
        return a.box.top() != b.box.top() ? a.box.top() < b.box.top() : a.box.left() < b.box.left();
    });
    s.runs = runs;
    return s;
}

// Lines of text on a scan: runs of three glyphs or more.
int linesOfText(const Scan& s)
{
    return int(std::count_if(s.runs.begin(), s.runs.end(), [](const Run& r) { return r.glyphs.size() >= 3; }));
}

// The largest piece of `mask` that is mostly solid across its box, neither a speck nor the
// whole picture.
std::optional<QRect> solidPatch(const std::vector<quint8>& mask, int w, int h)
{
    std::vector<int> labels;
    const std::vector<Component> pieces = components(mask, w, h, labels);
    const Component* best = nullptr;
    for (const Component& c : pieces)
        if (!best || c.area > best->area)
            best = &c;
    if (!best)
        return std::nullopt;
    const qint64 boxArea = qint64(best->box.width()) * best->box.height();
    if (boxArea * 20 < qint64(w) * h || boxArea * 10 > qint64(w) * h * 7 || best->area * 5 < boxArea * 2 || best->box.height() < 30)
        return std::nullopt;
    return best->box;
}

// A photograph of a small display (an OLED or TFT module on its board, a tester in a case)
// shows the screen as a window in a busier picture: against the picture's most common colour
// (a board, a bench, a wall) its text stands out little, and the window's fill, far more, is
// taken for one large drawing. The window is a solid patch of black (an OLED's unlit pixels),
// or of one of the picture's two most common colours (a backlit LCD's blue or green).
QList<QRect> displayWindows(const QImage& image)
{
    const int w = image.width(), h = image.height();
    QList<QRect> out;
    std::vector<quint8> mask(size_t(w) * size_t(h), 0);
    std::vector<int> counts(4096, 0);
    // (A colour's bin: its red, green and blue cut to sixteen levels each.)
    auto binOf = [](QRgb c) { return ((qRed(c) >> 4) << 8) | ((qGreen(c) >> 4) << 4) | (qBlue(c) >> 4); };
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            mask[size_t(y) * size_t(w) + size_t(x)] = std::max({qRed(line[x]), qGreen(line[x]), qBlue(line[x])}) < 56 ? 1 : 0;
            ++counts[size_t(binOf(line[x]))];
        }
    }
    if (const auto dark = solidPatch(mask, w, h))
        out.append(*dark);
    // (Each colour counted with its neighbours, as noise spreads it; the second is one at
    // least two steps off the first.)
    auto near = [](int a, int b, int reach) {
        return std::abs((a >> 8) - (b >> 8)) <= reach && std::abs(((a >> 4) & 15) - ((b >> 4) & 15)) <= reach && std::abs((a & 15) - (b & 15)) <= reach;
    };
    std::vector<int> score(4096, 0);
    for (int bin = 0; bin < 4096; ++bin) {
        if (!counts[size_t(bin)])
            continue;
        const int r = bin >> 8, g = (bin >> 4) & 15, b = bin & 15;
        for (int rr = std::max(0, r - 1); rr <= std::min(15, r + 1); ++rr)
            for (int gg = std::max(0, g - 1); gg <= std::min(15, g + 1); ++gg)
                for (int bb = std::max(0, b - 1); bb <= std::min(15, b + 1); ++bb)
                    score[size_t(bin)] += counts[size_t((rr << 8) | (gg << 4) | bb)];
    }
    QList<int> chosen;
    for (int round = 0; round < 2; ++round) {
        int best = -1;
        for (int bin = 0; bin < 4096; ++bin)
            if (score[size_t(bin)] > 0 && (best < 0 || score[size_t(bin)] > score[size_t(best)])
                && std::none_of(chosen.begin(), chosen.end(), [&](int c) { return near(c, bin, 2); }))
                best = bin;
        if (best < 0)
            break;
        chosen.append(best);
        // (Black is the dark window's already.)
        if ((best >> 8) < 4 && ((best >> 4) & 15) < 4 && (best & 15) < 4)
            continue;
        for (int y = 0; y < h; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < w; ++x)
                mask[size_t(y) * size_t(w) + size_t(x)] =
                    near(best, binOf(line[x]), 1) ? 1 : 0;
        }
        if (const auto patch = solidPatch(mask, w, h); patch && !out.contains(*patch))
            out.append(*patch);
    }
    return out;
}

// Whether a window is a program's, drawn rather than photographed: most of its pixels are the
// exact colour of the one before them along the row, as a toolkit's fills and gradients are
// (a gradient changes down the window, not along it), where a camera's noise makes neighbours
// differ. A program's window shot with the desktop around it (a wallpaper's gradient, other
// windows) is found as such a window where the desktop holds the picture's commonest colour;
// its text is read against its own body as a screen of its own.
bool drawnWindow(const QImage& image, const QRect& window)
{
    qint64 same = 0;
    for (int y = window.top(); y <= window.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = window.left() + 1; x <= window.right(); ++x)
            same += line[x] == line[x - 1] ? 1 : 0;
    }
    return same * 10 >= qint64(window.width() - 1) * window.height() * 7;
}

// The window's brightness, its glow taken out: a photographed display's lit pixels blur into a
// halo that joins neighbouring characters (and lines) into one piece. Everything up to the
// level that best parts the window's dark fill from its lit text (Otsu's) is made black, and
// what is above it stretched to white, so each character stands alone, anti-aliased. (A lit
// display's dark print is turned round to match.)
QImage windowLevels(const QImage& image, const QRect& window)
{
    std::array<int, 256> histogram{};
    QImage grey(window.size(), QImage::Format_RGB32);
    // (Each pixel is the mean of the three by three around it: the dark gaps between a
    // display's own dots, which a close photograph shows, would break its characters apart.)
    const int ww = window.width(), wh = window.height();
    std::vector<int> level(size_t(ww) * size_t(wh));
    for (int y = 0; y < wh; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(window.top() + y)) + window.left();
        for (int x = 0; x < ww; ++x)
            level[size_t(y) * size_t(ww) + size_t(x)] = qGray(line[x]);
    }
    for (int y = 0; y < wh; ++y) {
        auto* out = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < ww; ++x) {
            int sum = 0, n = 0;
            for (int dy = std::max(0, y - 1); dy <= std::min(wh - 1, y + 1); ++dy)
                for (int dx = std::max(0, x - 1); dx <= std::min(ww - 1, x + 1); ++dx, ++n)
                    sum += level[size_t(dy) * size_t(ww) + size_t(dx)];
            const int v = sum / n;
            out[x] = qRgb(v, v, v);
            ++histogram[size_t(v)];
        }
    }
    const double total = double(window.width()) * window.height();
    double sumAll = 0;
    for (int v = 0; v < 256; ++v)
        sumAll += double(v) * histogram[size_t(v)];
    double below = 0, sumBelow = 0, bestSpread = -1;
    int threshold = 0;
    for (int v = 0; v < 256; ++v) {
        below += histogram[size_t(v)];
        sumBelow += double(v) * histogram[size_t(v)];
        if (below == 0 || below == total)
            continue;
        const double m0 = sumBelow / below, m1 = (sumAll - sumBelow) / (total - below);
        const double spread = below * (total - below) * (m0 - m1) * (m0 - m1);
        if (spread > bestSpread) {
            bestSpread = spread;
            threshold = v;
        }
    }
    // (Stretched to the brightest hundredth's level: a glint is no brighter text.)
    double above = 0;
    int top = 255;
    while (top > threshold + 1 && (above += histogram[size_t(top)]) < total * 0.01)
        --top;
    // (Text is the fewer pixels: on a lit display with dark print, the darker side.)
    double fill = 0;
    for (int v = 0; v <= threshold; ++v)
        fill += histogram[size_t(v)];
    const bool darkPrint = fill * 2 < total;
    int bottom = 0;
    for (double under = 0; darkPrint && bottom < threshold - 1 && (under += histogram[size_t(bottom)]) < total * 0.01;)
        ++bottom;
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int v = darkPrint ? std::clamp((threshold - qRed(line[x])) * 255 / std::max(1, threshold - bottom), 0, 255)
                                    : std::clamp((qRed(line[x]) - threshold) * 255 / std::max(1, top - threshold), 0, 255);
            line[x] = qRgb(v, v, v);
        }
    }
    return grey;
}

}  // namespace

Scan scan(const QImage& source)
{
    Scan s = scanScreen(source);
    if (s.width == 0 || linesOfText(s) >= 3)
        return s;
    // Where the picture as a whole gives next to no lines of text, each display window in it is
    // read as a screen of its own, and the one that gives the most lines kept if it gives more.
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    std::optional<QRect> window;
    Scan inner;
    // (A program's window, drawn, is read as it is: its levels are worked out for a photograph.)
    for (const QRect& candidate : displayWindows(image)) {
        Scan read = drawnWindow(image, candidate) ? scanScreen(image.copy(candidate)) : scanScreen(windowLevels(image, candidate), true);
        if (linesOfText(read) > linesOfText(window ? inner : s)) {
            window = candidate;
            inner = std::move(read);
        }
    }
    if (!window)
        return s;
    Scan out;
    out.width = s.width;
    out.height = s.height;
    out.contrast.assign(s.contrast.size(), 0);
    for (int y = 0; y < inner.height; ++y)
        std::copy_n(inner.contrast.begin() + qsizetype(y) * inner.width, inner.width,
                    out.contrast.begin() + qsizetype(window->top() + y) * out.width + window->left());
    const QPoint shift = window->topLeft();
    for (Run r : inner.runs) {
        r.box.translate(shift);
        for (QRect& g : r.glyphs)
            g.translate(shift);
        out.runs.append(r);
    }
    for (const QRect& f : inner.frames)
        out.frames.append(f.translated(shift));
    out.waveform = inner.waveform;
    return out;
}

Scan faintScan(const QImage& source)
{
    return scanScreen(source, false, 2);
}

QImage runImage(const Scan& scan, const QRect& box, double scale, int pad)
{
    const QRect area = box.intersected(QRect(0, 0, scan.width, scan.height));
    int peak = 1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            peak = std::max(peak, int(scan.at(x, y)));
    const double lo = peak * 0.25, hi = peak * 0.75;
    QImage crop(area.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < area.height(); ++y) {
        uchar* line = crop.scanLine(y);
        for (int x = 0; x < area.width(); ++x) {
            const double v = (scan.at(area.left() + x, area.top() + y) - lo) / (hi - lo);
            line[x] = uchar(255 - std::clamp(int(v * 255), 0, 255));
        }
    }
    const QSize scaled(std::max(1, int(std::lround(area.width() * scale))), std::max(1, int(std::lround(area.height() * scale))));
    const QImage sized = crop.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage out(scaled + QSize(2 * pad, 2 * pad), QImage::Format_Grayscale8);
    out.fill(255);
    for (int y = 0; y < sized.height(); ++y)
        std::copy_n(sized.constScanLine(y), sized.width(), out.scanLine(y + pad) + pad);
    return out;
}

std::vector<bool> runMask(const Scan& scan, const QRect& box)
{
    int peak = 1;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            peak = std::max(peak, int(scan.at(x, y)));
    std::vector<bool> mask(size_t(box.width()) * size_t(box.height()));
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x)
            mask[size_t(y) * size_t(box.width()) + size_t(x)] = scan.at(box.left() + x, box.top() + y) * 2 > peak;
    return mask;
}

namespace {

template <class Mask>
QList<QRect> boxesOfPieces(const Mask& mask, int width, int height, std::vector<int>& labels, bool corners = true)
{
    QList<QRect> out;
    for (const Component& c : components(mask, width, height, labels, corners))
        out.append(c.box);
    return out;
}

}  // namespace

QList<QRect> pieces(const std::vector<bool>& mask, int width, int height, std::vector<int>& labels)
{
    return boxesOfPieces(mask, width, height, labels);
}

QList<QRect> piecesJoinedEdgeToEdge(const std::vector<bool>& mask, int width, int height, std::vector<int>& labels)
{
    return boxesOfPieces(mask, width, height, labels, false);
}

QList<QRect> pieces(const std::vector<quint8>& mask, int width, int height, std::vector<int>& labels)
{
    return boxesOfPieces(mask, width, height, labels);
}

int innermostFrame(const QList<QRect>& frames, const QRect& r)
{
    int best = -1;
    qint64 bestArea = 0;
    const QPoint c = r.center();
    for (int i = 0; i < frames.size(); ++i) {
        const QRect& f = frames.at(i);
        if (!f.contains(c))
            continue;
        const qint64 area = qint64(f.width()) * f.height();
        if (best < 0 || area < bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best;
}

}  // namespace ScreenSegmenter
