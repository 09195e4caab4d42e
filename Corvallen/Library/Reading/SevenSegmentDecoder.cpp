#include "Corvallen/Library/Reading/SevenSegmentDecoder.h"

#include "Corvallen/Library/Reading/ScreenSegmenter.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace SevenSegmentDecoder {

namespace {

struct Box {
    int left = 0, top = 0, right = -1, bottom = -1;  // inclusive
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

class Grid {
public:
    Grid(int w, int h) : m_w(w), m_h(h), m_ink(size_t(w) * size_t(h), 0) {}
    int width() const { return m_w; }
    int height() const { return m_h; }
    bool at(int x, int y) const { return x >= 0 && y >= 0 && x < m_w && y < m_h && m_ink[size_t(y) * size_t(m_w) + size_t(x)]; }
    void set(int x, int y, bool ink = true) { m_ink[size_t(y) * size_t(m_w) + size_t(x)] = ink; }
    // Row `y`'s ink, one byte (0 or 1) a pixel, for passes over whole rows.
    const uint8_t* row(int y) const { return m_ink.data() + size_t(y) * size_t(m_w); }
    // Share of ink in a rectangle given in fractions of `cell`.
    double fill(const Box& cell, double x0, double y0, double x1, double y1) const
    {
        const int ax = cell.left + int(std::floor(x0 * cell.width())), bx = cell.left + int(std::ceil(x1 * cell.width())) - 1;
        const int ay = cell.top + int(std::floor(y0 * cell.height())), by = cell.top + int(std::ceil(y1 * cell.height())) - 1;
        int ink = 0, all = 0;
        for (int y = ay; y <= std::max(ay, by); ++y)
            for (int x = ax; x <= std::max(ax, bx); ++x) {
                ink += at(x, y) ? 1 : 0;
                ++all;
            }
        return all ? double(ink) / all : 0;
    }

    // Every column between x0 and x1 (shares of the cell's width) has ink between y0 and y1.
    bool inkAcross(const Box& cell, double x0, double x1, double y0, double y1) const
    {
        const int ax = cell.left + int(std::floor(x0 * cell.width())), bx = cell.left + int(std::ceil(x1 * cell.width())) - 1;
        const int ay = cell.top + int(std::floor(y0 * cell.height())), by = cell.top + int(std::ceil(y1 * cell.height())) - 1;
        for (int x = ax; x <= bx; ++x) {
            bool any = false;
            for (int y = ay; y <= by && !any; ++y)
                any = at(x, y);
            if (!any)
                return false;
        }
        return true;
    }

private:
    int m_w, m_h;
    std::vector<uint8_t> m_ink;
};

// The mask with its slant taken out: each row shifted left by `shear` × its height above the bottom.
Grid unslanted(const std::vector<bool>& mask, int w, int h, double shear)
{
    const int extra = int(std::ceil(shear * h));
    Grid g(w + extra, h);
    for (int y = 0; y < h; ++y) {
        const int shift = int(std::lround(shear * (h - 1 - y)));
        for (int x = 0; x < w; ++x)
            if (mask[size_t(y) * size_t(w) + size_t(x)])
                g.set(x - shift + extra, y);
    }
    return g;
}

// The sum of squared ink counts of the columns of the mask sheared as `unslanted` shears it;
// `ink` holds the mask's inked pixels, row by row.
double columnPeakiness(const std::vector<std::pair<int, int>>& ink, int w, int h, double shear)
{
    const int extra = int(std::ceil(shear * h));
    std::vector<int> counts(size_t(w + extra), 0);
    int row = -1, shift = 0;
    for (const auto& [x, y] : ink) {
        if (y != row) {
            row = y;
            shift = int(std::lround(shear * (h - 1 - y)));
        }
        ++counts[size_t(x - shift + extra)];
    }
    double sum = 0;
    for (const int ink : counts)
        sum += double(ink) * ink;
    return sum;
}

Box inkBox(const Grid& g, int x0, int x1)
{
    Box b{x1, g.height(), x0, -1};
    for (int x = x0; x <= x1; ++x)
        for (int y = 0; y < g.height(); ++y)
            if (g.at(x, y)) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

// The 8-connected pieces of ink inside `b`, as boxes.
std::vector<Box> piecesIn(const Grid& g, const Box& b)
{
    // (Copied a row at a time: the line is gone through once for each slant tried. What of `b`
    // lies off the grid has no ink.)
    std::vector<quint8> mask(size_t(b.width()) * size_t(b.height()), 0);
    const int x0 = std::max(b.left, 0), x1 = std::min(b.right, g.width() - 1);
    for (int y = std::max(b.top, 0); y <= std::min(b.bottom, g.height() - 1) && x0 <= x1; ++y)
        std::copy(g.row(y) + x0, g.row(y) + x1 + 1, mask.begin() + std::ptrdiff_t(size_t(y - b.top) * size_t(b.width()) + size_t(x0 - b.left)));
    std::vector<int> labels;
    std::vector<Box> out;
    for (const QRect& r : ScreenSegmenter::pieces(mask, b.width(), b.height(), labels))
        out.push_back(Box{b.left + r.left(), b.top + r.top(), b.left + r.right(), b.top + r.bottom()});
    return out;
}

QChar characterFor(int bits)
{
    switch (bits) {
    case 0x3F: return QLatin1Char('0');
    case 0x06: return QLatin1Char('1');
    case 0x5B: return QLatin1Char('2');
    case 0x4F: return QLatin1Char('3');
    case 0x66: return QLatin1Char('4');
    case 0x6D: return QLatin1Char('5');
    case 0x7D: return QLatin1Char('6');
    case 0x7C: return QLatin1Char('6');  // a six without its top bar
    case 0x07: return QLatin1Char('7');
    case 0x27: return QLatin1Char('7');  // a seven with the upper left bar
    case 0x7F: return QLatin1Char('8');
    case 0x6F: return QLatin1Char('9');
    case 0x67: return QLatin1Char('9');  // a nine without its bottom bar
    case 0x40: return QLatin1Char('-');
    case 0x38: return QLatin1Char('L');
    default: return QChar();
    }
}

// The digit whose segments are lit in `cell`, or null when a segment place is neither lit nor
// dark or the lit ones make no digit.
QChar segmentDigit(const Grid& g, const Box& cell)
{
    static const struct { double x0, y0, x1, y1; } zones[7] = {
        {0.3, 0.0, 0.7, 0.11},   {0.8, 0.18, 1.0, 0.36}, {0.8, 0.64, 1.0, 0.82}, {0.3, 0.89, 0.7, 1.0},
        {0.0, 0.64, 0.2, 0.82},  {0.0, 0.18, 0.2, 0.36}, {0.3, 0.445, 0.7, 0.555},
    };
    int bits = 0;
    for (int s = 0; s < 7; ++s) {
        const double f = g.fill(cell, zones[s].x0, zones[s].y0, zones[s].x1, zones[s].y1);
        if (f >= 0.34)
            bits |= 1 << s;
        else if (f > 0.16)
            return QChar();  // neither lit nor dark: not a segment digit
    }
    // A middle bar runs across the digit; the dot or slash some faces draw inside a printed
    // zero covers only its centre.
    if ((bits & (1 << 6)) && !g.inkAcross(cell, 0.3, 0.7, 0.4, 0.6))
        return QChar();
    // The two counters of a segment digit hold no ink.
    if (g.fill(cell, 0.35, 0.2, 0.65, 0.34) > 0.2 || g.fill(cell, 0.35, 0.66, 0.65, 0.8) > 0.2)
        return QChar();
    return characterFor(bits);
}

// A line set upright, its decimal points taken out and its ink cut into stretches of inked
// columns, ready to be read with or without bridging.
struct Upright {
    Grid g;
    std::vector<double> points;  // x centres
    int inkH = 0;
    std::vector<Box> cells;
};

Upright prepareUpright(Grid g)
{
    // Decimal points: small square marks on the baseline. They often sit in the columns of the
    // digit beside them, so they are taken out before the line is cut into cells.
    int inkTop = g.height(), inkBottom = -1;
    for (int y = 0; y < g.height(); ++y)
        if (std::any_of(g.row(y), g.row(y) + g.width(), [](uint8_t ink) { return ink != 0; })) {
            inkTop = std::min(inkTop, y);
            inkBottom = std::max(inkBottom, y);
        }
    const int inkH = inkBottom - inkTop + 1;
    std::vector<double> points;  // x centres
    for (const Box& p : piecesIn(g, Box{0, 0, g.width() - 1, g.height() - 1})) {
        const bool small = p.height() <= inkH * 0.2 && p.width() <= inkH * 0.22;
        const bool square = p.width() <= p.height() * 2 && p.height() <= p.width() * 2;
        if (small && square && p.bottom >= inkBottom - inkH * 0.08) {
            points.push_back((p.left + p.right) / 2.0);
            for (int y = p.top; y <= p.bottom; ++y)
                for (int x = p.left; x <= p.right; ++x)
                    g.set(x, y, false);
        }
    }

    // Cells: stretches of inked columns.
    std::vector<Box> cells;
    for (int x = 0; x < g.width();) {
        bool any = false;
        for (int y = 0; y < g.height() && !any; ++y)
            any = g.at(x, y);
        if (!any) {
            ++x;
            continue;
        }
        int end = x;
        for (;; ++end) {
            bool next = false;
            for (int y = 0; y < g.height() && end + 1 < g.width() && !next; ++y)
                next = g.at(end + 1, y);
            if (!next)
                break;
        }
        cells.push_back(inkBox(g, x, end));
        x = end + 1;
    }
    return Upright{std::move(g), std::move(points), inkH, std::move(cells)};
}

// The line read upright, its slant already taken out. With `bridging`, stretches of ink
// columns a few pixels apart are one cell: the bars of a thin LCD face stand apart, so a digit's
// left-hand bars can be separated from the rest of it by empty columns.
std::optional<Reading> decodeUpright(const Upright& line, bool bridging)
{
    const Grid& g = line.g;
    const int inkH = line.inkH;
    std::vector<double> points = line.points;
    std::vector<Box> cells = line.cells;
    if (bridging && inkH > 0) {
        // Bars of one digit stand a fourteenth of the height apart or less, digits farther; a
        // stretch never grows wider than a digit.
        std::vector<Box> joined;
        for (const Box& c : cells) {
            if (!joined.empty()) {
                Box& last = joined.back();
                if (c.left - last.right - 1 <= inkH * 0.07 && c.right - last.left + 1 <= inkH * 0.9) {
                    last = Box{last.left, std::min(last.top, c.top), c.right, std::max(last.bottom, c.bottom)};
                    continue;
                }
            }
            joined.push_back(c);
        }
        if (joined.size() == cells.size())
            return std::nullopt;  // nothing to bridge: read as it stands already
        cells = joined;
    }
    if (cells.empty())
        return std::nullopt;
    int top = g.height(), bottom = -1, digitWidth = 0;
    for (const Box& c : cells) {
        top = std::min(top, c.top);
        bottom = std::max(bottom, c.bottom);
    }
    const int lineH = bottom - top + 1;
    for (const Box& c : cells)
        if (c.height() >= lineH * 0.6 && c.width() > lineH * 0.3)
            digitWidth = std::max(digitWidth, c.width());
    if (digitWidth == 0)
        digitWidth = int(lineH * 0.55);  // only ones: a digit is about half as wide as high
    if (lineH < 12 || digitWidth == 0)
        return std::nullopt;
    Reading out;
    int pieces = 0, fullCells = 0;
    size_t nextPoint = 0;
    std::sort(points.begin(), points.end());
    for (const Box& c : cells) {
        while (nextPoint < points.size() && points[nextPoint] < c.left)
            out.text += QLatin1Char('.'), ++nextPoint;
        const double mid = top + lineH / 2.0;
        if (c.height() <= lineH * 0.3) {
            if (c.bottom >= bottom - lineH * 0.12 && c.width() <= lineH * 0.3) {
                out.text += QLatin1Char('.');
                continue;
            }
            // (Some displays draw the sign as a short block, no longer than it is thick: only
            // before the first digit.)
            const bool shortSign = out.text.isEmpty() && c.width() >= c.height() && c.height() <= lineH * 0.15;
            // A sign is one solid bar; small letters run together ("me" of a label) are not.
            const bool solid = g.fill(c, 0, 0, 1, 1) >= 0.65;
            if (std::abs((c.top + c.bottom) / 2.0 - mid) <= lineH * 0.18 && (c.width() >= digitWidth * 0.45 || shortSign) && solid) {
                out.text += QLatin1Char('-');
                continue;
            }
            return std::nullopt;
        }
        if (c.height() < lineH * 0.6)  // a 1, 4 or 7 lacks the top or bottom bar
            return std::nullopt;
        const Box cell{c.left, top, c.right, bottom};
        if (c.width() <= digitWidth * 0.45) {
            // Only the two right-hand bars: a one. Both halves must be inked.
            if (g.fill(cell, 0, 0.15, 1, 0.4) < 0.3 || g.fill(cell, 0, 0.6, 1, 0.85) < 0.3)
                return std::nullopt;
            out.text += QLatin1Char('1');
            ++out.cells;
            pieces += int(piecesIn(g, c).size());
            ++fullCells;
            continue;
        }
        // A digit without its left-hand bars (3, 7) is narrower than the others where the
        // face's horizontal bars stop short of the cell's edges (blocky faces draw them between
        // the verticals): its segment places are found in a cell of the full digit width, laid
        // from its right edge (or, for an L, from its left), never reaching into a neighbour.
        QChar ch = segmentDigit(g, cell);
        if (ch.isNull() && c.width() < digitWidth * 0.92) {
            const int previousRight = &c == cells.data() ? -1 : (&c - 1)->right;
            const int nextLeft = &c == &cells.back() ? g.width() : (&c + 1)->left;
            const Box fromRight{std::max(c.right - digitWidth + 1, previousRight + 1), top, c.right, bottom};
            const Box fromLeft{c.left, top, std::min(c.left + digitWidth - 1, nextLeft - 1), bottom};
            ch = segmentDigit(g, fromRight);
            if (ch.isNull()) {
                ch = segmentDigit(g, fromLeft);
                if (ch != QLatin1Char('L'))
                    ch = QChar();
            }
        }
        if (ch.isNull())
            return std::nullopt;
        out.text += ch;
        ++out.cells;
        ++fullCells;
        pieces += int(piecesIn(g, c).size());
    }
    for (; nextPoint < points.size(); ++nextPoint)
        out.text += QLatin1Char('.');
    static const QRegularExpression number(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
    static const QRegularExpression overload(QStringLiteral("^-?0\\.?L-?$"));
    if (!number.match(out.text).hasMatch() && !overload.match(out.text).hasMatch())
        return std::nullopt;
    out.separateSegments = fullCells > 0 && pieces >= fullCells * 2;
    return out;
}

}  // namespace

std::optional<Reading> decode(const std::vector<bool>& mask, int width, int height)
{
    if (width < 4 || height < 12 || mask.size() != size_t(width) * size_t(height))
        return std::nullopt;
    // Take out the slant: sheared upright, the vertical bars stand in few columns, so the ink
    // per column peaks highest (the sum of squared column counts is largest). Blocky or
    // heavily slanted faces can mislead that measure by a step, so the next best are tried too.
    std::vector<std::pair<int, int>> ink;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (mask[size_t(y) * size_t(width) + size_t(x)])
                ink.push_back({x, y});
    std::vector<std::pair<double, double>> shears;  // peak, shear
    for (int k = 0; k <= 12; ++k) {
        const double shear = k * 0.025;
        shears.push_back({columnPeakiness(ink, width, height, shear), shear});
    }
    std::sort(shears.begin(), shears.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    // Each slant's line is set upright once, for both readings; the later ones only when the
    // earlier ones don't read.
    std::vector<Upright> upright;
    for (const bool bridging : {false, true})
        for (size_t i = 0; i < std::min<size_t>(4, shears.size()); ++i) {
            if (upright.size() <= i)
                upright.push_back(prepareUpright(unslanted(mask, width, height, shears[i].second)));
            if (auto r = decodeUpright(upright[i], bridging))
                return r;
        }
    return std::nullopt;
}

}  // namespace SevenSegmentDecoder
