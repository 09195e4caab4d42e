#include "Corvallen/Library/Reading/TextRecognizer.h"

#include "Corvallen/Library/Reading/GlyphClassifier.h"
#include "Corvallen/Library/Reading/ScreenSegmenter.h"
#include "Corvallen/Library/Reading/SevenSegmentDecoder.h"


#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <QHash>
#include <QImageReader>
#include <QRegularExpression>

#include <QSet>

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <numeric>
#include <mutex>
#include <string>
#include <vector>

namespace TextRecognizer {

namespace {

// The recogniser spreads its network over several threads; on a busy machine (or with several
// captures read at once) those threads spin against each other and a screen that takes a few
// milliseconds takes seconds. One thread per recognition, always.
void keepToOneThread()
{
    static std::once_flag once;
    std::call_once(once, [] { omp_set_max_active_levels(0); });
}

}  // namespace

std::optional<QStringList> recognizeLines(const QImage& source, Layout layout, QString* error)
{
    if (source.isNull() || source.width() <= 0 || source.height() <= 0)
        return QStringList();
    QImage image = source;
    const bool screen = layout == Layout::InstrumentScreen;
    // The instrument's screen font is small; the recogniser reads it far better enlarged.
    if (screen && image.width() < 1200)
        image = image.scaledToWidth(qMin(1600, image.width() * 3), Qt::SmoothTransformation);
    image = image.convertToFormat(QImage::Format_Grayscale8);

    keepToOneThread();
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    std::vector<std::string> names;
    std::vector<std::string> values;
    if (screen) {
        // Read what is on the screen, not what a dictionary prefers.
        names = {"load_system_dawg", "load_freq_dawg"};
        values = {"0", "0"};
    }
    if (api->Init(nullptr, "eng", tesseract::OEM_DEFAULT, nullptr, 0, &names, &values, false) != 0) {
        if (error)
            *error = QStringLiteral("Text recognition couldn't start: the English language data for Tesseract is missing.");
        return std::nullopt;
    }
    api->SetVariable("user_defined_dpi", "300");  // screenshots and pasted images carry no resolution of their own
    if (screen)
        api->SetPageSegMode(tesseract::PSM_SPARSE_TEXT);
    api->SetImage(image.constBits(), image.width(), image.height(), 1, int(image.bytesPerLine()));
    if (api->Recognize(nullptr) != 0) {
        api->End();
        if (error)
            *error = QStringLiteral("Text recognition failed on this image.");
        return std::nullopt;
    }
    QStringList lines;
    std::unique_ptr<tesseract::ResultIterator> it(api->GetIterator());
    if (it) {
        do {
            std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
            if (!text)
                continue;
            const QString line = QString::fromUtf8(text.get()).trimmed();
            if (!line.isEmpty())
                lines.append(line);
        } while (it->Next(tesseract::RIL_TEXTLINE));
    }
    api->End();
    return lines;
}

namespace {

// The work of reading one screen is bounded, so that a capture takes a bounded time on one
// core: the recogniser's work grows with the length of the line images it is given once they
// are brought to its own line height (a unit per fifty columns, plus a little for each call),
// the glyph reader's with the glyphs it compares, the segment search's with the areas it
// decodes. The bounds are counts rather than clock times so that a screen always reads the same.
thread_local qint64 t_readWork = 0;
constexpr qint64 readingBudget = 165;
// What a label's value may take past it, once the budget is spent.
constexpr qint64 labelledValueBudget = 12;
// And what the names of a statistics table's rows may take past that.
constexpr qint64 rowNameBudget = 8;
// And what the names of a strip's readouts may take past that.
constexpr qint64 stripNameBudget = 8;
// And what the names heading a row of readouts may take past that.
constexpr qint64 headingRowBudget = 10;
// And what the lines stacked under a readout may take past that.
constexpr qint64 stackBudget = 14;
// Second looks at poorly read runs stop once this much of it is spent.
constexpr qint64 secondLooksBudget = 40;
// A run of this many glyphs or more is no readout, whatever figures it holds.
constexpr qsizetype longestReadoutGlyphs = 40;
// How much the search for seven-segment numbers may decode: one for each area tried, and one
// more for every two thousand pixels of it.
constexpr int segmentBudget = 400;
// Screenshots larger than this many pixels (a high-density display's) are read at half size:
// their text is drawn at twice the size it needs.
constexpr qint64 halvedAbovePixels = 3'000'000;
// Captures so large that half of them would still be above that (a camera's photo) are read at
// about that size: the search for lines grows with the pixels, and the text of such a photo is
// drawn many times larger than it needs. (So a capture at its reading size is read as it is:
// what loadCapture decoded small is not made smaller again.)

// The recogniser for screen text, one per thread, started on first use and kept: starting one
// reads the language data, which costs more than reading a screen.
tesseract::TessBaseAPI* screenEngine(QString* error)
{
    thread_local std::unique_ptr<tesseract::TessBaseAPI> engine;
    thread_local bool failed = false;
    if (!engine && !failed) {
        keepToOneThread();
        auto api = std::make_unique<tesseract::TessBaseAPI>();
        // Readings, units and labels are not words: no dictionaries.
        std::vector<std::string> names = {"load_system_dawg", "load_freq_dawg"};
        std::vector<std::string> values = {"0", "0"};
        if (api->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false) == 0) {
            GlyphClassifier::prepare();
            api->SetPageSegMode(tesseract::PSM_SINGLE_LINE);
            api->SetVariable("user_defined_dpi", "300");
            // Each run is drawn dark on white before it is read: a second, inverted reading of a
            // line read with little confidence only doubles the time.
            api->SetVariable("tessedit_do_invert", "0");
            api->SetVariable("tessedit_char_whitelist",
                             "0123456789.,-+:%/()~'\"°*"
                             "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
            engine = std::move(api);
        } else {
            failed = true;
        }
    }
    if (!engine && error)
        *error = QStringLiteral("Text recognition couldn't start: the English language data for Tesseract is missing.");
    return engine.get();
}

constexpr int sheetTextHeight = 40;  // what the recogniser reads best, in pixels of glyph height

int tallestGlyphIn(const ScreenSegmenter::Run& run, int left, int right)
{
    int tallest = 0;
    for (const QRect& g : run.glyphs)
        if (g.right() >= left && g.left() <= right)
            tallest = std::max(tallest, g.height());
    return tallest ? tallest : run.height;
}

bool isPlainNumber(const QString& s)
{
    static const QRegularExpression number(QStringLiteral("^-?\\d+([.,]\\d+)?$"));
    return number.match(s).hasMatch();
}

std::optional<SevenSegmentDecoder::Reading> decodeArea(const ScreenSegmenter::Scan& scan, const QRect& area)
{
    const QRect box = area.adjusted(-1, -1, 1, 1).intersected(QRect(0, 0, scan.width, scan.height));
    if (box.height() < 14)
        return std::nullopt;
    return SevenSegmentDecoder::decode(ScreenSegmenter::runMask(scan, box), box.width(), box.height());
}

// The share of a glyph's box that is ink.
double solidity(const ScreenSegmenter::Scan& scan, const QRect& glyph)
{
    const std::vector<bool> mask = ScreenSegmenter::runMask(scan, glyph);
    return mask.empty() ? 0 : double(std::count(mask.begin(), mask.end(), true)) / double(mask.size());
}

// A filled disc as tall as the print beside it with a white digit in it: a numbered badge that
// a program's help or a write-up sets beside a figure or its unit. As wide as it is high,
// mostly ink, its corners empty. No character is drawn so: a bold O or 0 is a ring round a
// large hole, narrower than it is high in most faces.
bool isBadge(const ScreenSegmenter::Scan& scan, const QRect& glyph)
{
    const int w = glyph.width(), h = glyph.height();
    if (h < 12 || std::abs(w - h) > std::max(2, h / 6))
        return false;
    const std::vector<bool> mask = ScreenSegmenter::runMask(scan, glyph);
    if (mask.size() != size_t(w) * size_t(h) || double(std::count(mask.begin(), mask.end(), true)) < 0.62 * double(mask.size()))
        return false;
    const int c = std::max(2, h / 7);
    for (const QPoint corner : {QPoint(0, 0), QPoint(w - c, 0), QPoint(0, h - c), QPoint(w - c, h - c)}) {
        int ink = 0;
        for (int y = corner.y(); y < corner.y() + c; ++y)
            for (int x = corner.x(); x < corner.x() + c; ++x)
                ink += mask[size_t(y) * size_t(w) + size_t(x)];
        if (ink * 3 > c * c)
            return false;
    }
    // The white digit inside: background the disc encloses, standing taller than wide (a
    // drop-down's disc holds a flat triangle, a close button's a cross).
    std::vector<bool> outside(mask.size(), false);
    QList<QPoint> todo;
    for (int x = 0; x < w; ++x)
        todo << QPoint(x, 0) << QPoint(x, h - 1);
    for (int y = 0; y < h; ++y)
        todo << QPoint(0, y) << QPoint(w - 1, y);
    while (!todo.isEmpty()) {
        const QPoint p = todo.takeLast();
        if (p.x() < 0 || p.y() < 0 || p.x() >= w || p.y() >= h)
            continue;
        const size_t at = size_t(p.y()) * size_t(w) + size_t(p.x());
        if (mask[at] || outside[at])
            continue;
        outside[at] = true;
        todo << QPoint(p.x() + 1, p.y()) << QPoint(p.x() - 1, p.y()) << QPoint(p.x(), p.y() + 1) << QPoint(p.x(), p.y() - 1);
    }
    QRect hole;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!mask[size_t(y) * size_t(w) + size_t(x)] && !outside[size_t(y) * size_t(w) + size_t(x)])
                hole |= QRect(x, y, 1, 1);
    return hole.height() * 3 >= h && hole.height() * 10 >= hole.width() * 11;
}

// The columns between two glyphs side by side.
int gapBetween(const QRect& a, const QRect& b)
{
    return std::max(b.left() - a.right(), a.left() - b.right()) - 1;
}

// A run without a badge standing apart at either end of it (nothing left of a lone one): read
// with the figure, it comes out as a digit more ("9,3526" read as "?9,3526", "V DC" as "VDC9").
// The rest is read at the run's size all the same.
ScreenSegmenter::Run withoutBadges(const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run)
{
    QList<QRect> glyphs = run.glyphs;
    const auto badge = [&](int i, int neighbour) {
        const bool apart = neighbour < 0 || neighbour >= glyphs.size()
                           || gapBetween(glyphs.at(i), glyphs.at(neighbour)) > std::max(3, run.height / 5);
        return apart && glyphs.at(i).height() * 10 >= run.height * 7 && isBadge(scan, glyphs.at(i));
    };
    if (!glyphs.isEmpty() && badge(0, 1))
        glyphs.removeFirst();
    if (!glyphs.isEmpty() && badge(int(glyphs.size()) - 1, int(glyphs.size()) - 2))
        glyphs.removeLast();
    if (glyphs.size() == run.glyphs.size())
        return run;
    ScreenSegmenter::Run out;
    out.frame = run.frame;
    out.glyphs = glyphs;
    out.height = run.height;
    for (const QRect& g : glyphs)
        out.box |= g;
    return out;
}

// A number drawn in seven segments, with the glyphs it was found in.
struct SegmentNumber {
    QRect box;
    SevenSegmentDecoder::Reading reading;
    QList<std::pair<int, int>> glyphs;  // run, glyph within the run
    bool printed = false;  // one run of joined strokes, which the recogniser may read as well
};

// Seven-segment numbers. Their digits often come apart: the bars of a slanted or thin LCD face
// don't touch, so a digit falls into several glyphs or runs; a lone "1" stands far from its
// neighbours; a minus sign or decimal point is too small to count as a glyph; and a unit drawn
// close by joins the digits' run. So glyphs side by side on the line of a tall glyph are tried
// together, and the widest stretch that decodes as one number is taken.
QList<SegmentNumber> segmentNumbers(const ScreenSegmenter::Scan& scan)
{
    struct Glyph {
        QRect box;
        int run, index;
    };
    QList<Glyph> glyphs;
    for (int r = 0; r < scan.runs.size(); ++r)
        for (int g = 0; g < scan.runs.at(r).glyphs.size(); ++g)
            glyphs.append({scan.runs.at(r).glyphs.at(g), r, g});
    QList<int> seeds;
    // A stroke far thinner than a digit's bar is tall, with nothing of its height beside it, is
    // a window's edge or a rule, not a lone one: tried as a display's digit, it would take the
    // whole line of the screen beside it and spend the search on that.
    const auto loneStroke = [&](const QRect& b) {
        if (b.width() * 8 >= b.height())
            return false;
        return std::none_of(glyphs.begin(), glyphs.end(), [&](const Glyph& o) {
            const int gap = std::max(o.box.left() - b.right(), b.left() - o.box.right());
            return o.box != b && o.box.height() * 5 >= b.height() * 3 && o.box.bottom() >= b.top() && o.box.top() <= b.bottom()
                   && gap <= b.height() * 1.4;
        });
    };
    for (int i = 0; i < glyphs.size(); ++i)
        if (glyphs.at(i).box.height() >= 14 && !loneStroke(glyphs.at(i).box))
            seeds.append(i);
    std::sort(seeds.begin(), seeds.end(), [&](int a, int b) { return glyphs.at(a).box.height() > glyphs.at(b).box.height(); });
    QList<bool> used(glyphs.size(), false), tried(glyphs.size(), false);
    QList<SegmentNumber> out;
    const QRect screen(0, 0, scan.width, scan.height);
    // Tallest first, within a budget: a screen of large print has hundreds of tall glyphs, and
    // a display's digits are among its tallest.
    int decoded = 0;
    for (int seed : seeds) {
        if (decoded > segmentBudget)
            break;
        if (used.at(seed) || tried.at(seed))
            continue;
        // A digit whose upper and lower bars don't touch falls into two glyphs, one above the
        // other: the seed takes in what stands right above or below it.
        QRect s = glyphs.at(seed).box;
        for (bool grew = true; grew;) {
            grew = false;
            for (int j = 0; j < glyphs.size(); ++j) {
                const QRect& b = glyphs.at(j).box;
                if (used.at(j) || s.contains(b))
                    continue;
                const int overlap = std::min(s.right(), b.right()) - std::max(s.left(), b.left()) + 1;
                const int gap = std::max(b.top() - s.bottom(), s.top() - b.bottom()) - 1;
                // (Two whole digits of two lines, one over the other, are no halves of one:
                // together they stand over three times as tall as they are wide, as no digit
                // does but a one.)
                const QRect both = s | b;
                const bool twoLines = both.height() > both.width() * 3 && std::min(s.width(), b.width()) * 10 >= std::min(s.height(), b.height()) * 3;
                // (Nor is a piece wider than the two stand tall: a bar graph's scale right under
                // a meter's digits, which would take the seed for a line of its own height.)
                if (overlap * 2 >= std::min(s.width(), b.width()) && gap >= -1 && gap <= s.height() * 0.35 && b.height() <= s.height() * 1.3
                    && b.height() * 3 >= s.height() && !twoLines && b.width() <= both.height()) {
                    s |= b;
                    grew = true;
                }
            }
        }
        const int H = s.height();
        const int bandTop = s.top() - H / 5, bandBottom = s.bottom() + H / 5;
        QList<int> line;
        for (int j = 0; j < glyphs.size(); ++j) {
            const QRect& b = glyphs.at(j).box;
            if (!used.at(j) && b.top() >= bandTop && b.bottom() <= bandBottom && b.right() >= s.left() - 12 * H && b.left() <= s.right() + 12 * H)
                line.append(j);
        }
        std::sort(line.begin(), line.end(), [&](int a, int b) { return glyphs.at(a).box.left() < glyphs.at(b).box.left(); });
        const int at = int(line.indexOf(seed));
        // The neighbours reachable from the seed with gaps no wider than a digit (a digit wider
        // left of a one, which stands at the right of its cell), up to seven places either side;
        // the halves of a digit whose bars don't touch (one above the other, in the same
        // columns) take one place, and a point or a minus sign none (a display of eight digits
        // and a point is read whole from its first digit).
        // The reach stops at a glyph that can be no part of a segment number: one wholly below
        // or above the seed (a scale's ticks under a meter's digits) but a point hanging a
        // little below the digits' foot, or one small, off the baseline, and neither a bar nor
        // a flat mark (a sign), with nothing else in its columns (a segment of a face whose
        // bars stand apart shares its digit's columns with the other bars): a letter of a label
        // or unit between two displays' readouts. Every stretch across it would fail to
        // decode, and trying them all spends the search on one line.
        const auto noPart = [&](int k) {
            const QRect& b = glyphs.at(line.at(k)).box;
            const bool square = b.width() <= b.height() * 2 && b.height() <= b.width() * 2;
            const bool point = square && b.height() <= H * 0.25 && b.top() <= s.bottom() + H * 0.15;
            if ((b.top() > s.bottom() + 1 && !point) || b.bottom() < s.top() - 1)
                return true;
            const bool bar = b.width() >= b.height() * 1.8 || b.height() >= b.width() * 1.8;
            const bool flatMark = b.height() * 4 <= H && b.width() >= b.height();
            if (b.height() >= H * 0.45 || b.bottom() >= s.bottom() - H * 0.15 || bar || flatMark)
                return false;
            return std::none_of(line.begin(), line.end(), [&](int j) {
                const QRect& o = glyphs.at(j).box;
                return j != line.at(k) && o.right() >= b.left() && o.left() <= b.right();
            });
        };
        int first = at, last = at;
        int reach = s.left();
        bool narrow = s.width() < H * 0.3;
        for (int places = 0; first > 0 && places < 7 && !noPart(first - 1)
                             && reach - glyphs.at(line.at(first - 1)).box.right() <= H * (narrow ? 1.4 : 0.9);) {
            const QRect& b = glyphs.at(line.at(--first)).box;
            if (b.right() < reach && b.height() >= H * 0.4)
                ++places;
            if (b.left() < reach) {
                reach = b.left();
                narrow = b.width() < H * 0.3 && b.height() >= H * 0.6;
            }
        }
        reach = s.right();
        for (int places = 0; last + 1 < line.size() && places < 7 && !noPart(last + 1)
                             && glyphs.at(line.at(last + 1)).box.left() - reach <= H * 0.9;) {
            const QRect& b = glyphs.at(line.at(++last)).box;
            if (b.left() > reach && b.height() >= H * 0.4)
                ++places;
            reach = std::max(reach, b.right());
        }
        // A stretch begins and ends between digits, never between the halves of one.
        auto halves = [&](int a, int b) {
            const QRect& p = glyphs.at(line.at(a)).box;
            const QRect& q = glyphs.at(line.at(b)).box;
            return (std::min(p.right(), q.right()) - std::max(p.left(), q.left()) + 1) * 2 > std::min(p.width(), q.width());
        };
        for (int k = first; k <= last; ++k)
            tried[line.at(k)] = true;
        // A stretch that stops short of a bar or a digit part standing right beside it has read
        // only part of the display ("0.L" is not "0.1"); a unit beside the digits is another
        // matter: it is neither as thin as a bar nor as tall as a digit.
        auto leavesOutAPart = [&](int i, int j, const QRect& area) {
            for (const int k : {i - 1, j + 1}) {
                if (k < first || k > last)
                    continue;
                const QRect& b = glyphs.at(line.at(k)).box;
                const int gap = k < i ? area.left() - b.right() : b.left() - area.right();
                // A bar is solid ink; a unit run together into one glyph ("mV") is not.
                const bool bar = b.height() < H * 0.2 && b.width() >= b.height() * 2 && solidity(scan, b) >= 0.6;
                if (gap <= H * 0.4 && (bar || b.height() >= H * 0.6))
                    return true;
            }
            return false;
        };
        std::optional<SevenSegmentDecoder::Reading> best;
        QRect bestArea;
        int bestFrom = at, bestTo = at;
        auto score = [](const SevenSegmentDecoder::Reading& r) { return r.cells * 10 + int(r.text.size()); };
        for (int i = first; i <= at; ++i)
            for (int j = at; j <= last; ++j) {
                if ((i > first && halves(i - 1, i)) || (j < last && halves(j, j + 1)))
                    continue;
                if (decoded > segmentBudget)
                    break;
                QRect area;
                for (int k = i; k <= j; ++k)
                    area |= glyphs.at(line.at(k)).box;
                // A minus sign too thin to be a glyph of its own stands just left of the digits.
                // (A digit wider away when the stretch begins with a one.)
                const QRect& leftmost = glyphs.at(line.at(i)).box;
                const bool one = leftmost.width() < H * 0.3 && leftmost.height() >= H * 0.6;
                const QRect withSign = QRect(QPoint(area.left() - int(H * (one ? 1.4 : 0.8)), area.top()), area.bottomRight()).intersected(screen);
                // Nothing else may stand there: neither a glyph of this line nor one a number
                // read before has taken.
                // (A minus drawn as a short block, a glyph of its own, is the sign itself: a flat
                // mark about a bar thick, level with the digits' middle.)
                const auto signItself = [&](const QRect& b) {
                    return b.height() * 4 <= H && b.width() >= b.height() && b.width() * 5 <= H * 4
                           && std::abs(b.center().y() - area.center().y()) * 5 <= H;
                };
                const bool signRoom = std::none_of(glyphs.begin(), glyphs.end(), [&](const Glyph& g) {
                    return g.box.right() < area.left() && g.box.right() >= withSign.left() && g.box.bottom() >= withSign.top()
                           && g.box.top() <= withSign.bottom() && !signItself(g.box);
                });
                for (const QRect& tryArea : {area, withSign}) {
                    if (tryArea == withSign && !signRoom)
                        continue;
                    const auto r = decodeArea(scan, tryArea);
                    decoded += 1 + tryArea.width() * tryArea.height() / 2000;
                    const bool better = r && (!best || score(*r) > score(*best) || (score(*r) == score(*best) && tryArea.width() > bestArea.width()));
                    if (better && !leavesOutAPart(i, j, tryArea)) {
                        best = r;
                        bestArea = tryArea;
                        bestFrom = i;
                        bestTo = j;
                    }
                }
            }
        if (!best)
            continue;
        // Digits of one piece each (printed digits, or segments drawn touching) inside one run
        // count only as the whole run: a printed "4.5" inside "334.5" decodes too.
        QSet<int> runs;
        for (int k = bestFrom; k <= bestTo; ++k)
            runs.insert(glyphs.at(line.at(k)).run);
        const bool wholeRun = runs.size() == 1 && bestTo - bestFrom + 1 == scan.runs.at(*runs.begin()).glyphs.size();
        if (!best->separateSegments && runs.size() == 1 && !wholeRun)
            continue;
        SegmentNumber n;
        n.reading = *best;
        n.box = bestArea;
        // Everything inside the decoded area belongs to the number: the stretch's glyphs, and the
        // halves of digits and points standing above or below them.
        for (int k = 0; k < glyphs.size(); ++k) {
            const QRect& b = glyphs.at(k).box;
            const QRect inside = b.intersected(bestArea);
            const bool inStretch = k == line.value(bestFrom) || (line.indexOf(k) >= bestFrom && line.indexOf(k) <= bestTo);
            if (!used.at(k) && (inStretch || qint64(inside.width()) * inside.height() * 5 >= qint64(b.width()) * b.height() * 4)) {
                n.glyphs.append({glyphs.at(k).run, glyphs.at(k).index});
                used[k] = true;
            }
        }
        QSet<int> taken;
        for (const auto& [run, glyph] : n.glyphs)
            taken.insert(run);
        n.printed = !best->separateSegments && taken.size() == 1;
        out.append(n);
    }
    return out;
}

// A counter's or a meter's program may show its unit as a column of lamps beside the digits,
// one per unit ("mHz", "Hz", "kHz", "MHz"), each a small ring with its label after it and only
// the lamp of the unit shown lit, filled with colour; the labels themselves are all drawn
// alike. Read as they are, the labels name every unit at once. Where such a column (three or
// more rings of one size, their left edges in line, a line apart) stands right of a number
// that decodes as segment digits, along its height (half of it over or under at most), with
// exactly one ring filled with colour and the others not, the unlit lines are left out and the
// lit one's ring is taken off its label. Whether the runs changed.
bool keepLitLampOnly(ScreenSegmenter::Scan& scan, const QImage& image, const QList<SegmentNumber>& numbers)
{
    struct Lamp {
        int run;
        QRect box;
        bool lit;
    };
    const auto saturation = [&](const QRect& g) {
        const QRect inner = g.adjusted(g.width() / 3, g.height() / 3, -g.width() / 3, -g.height() / 3);
        if (inner.isEmpty())
            return 0;
        int sum = 0;
        for (int y = inner.top(); y <= inner.bottom(); ++y)
            for (int x = inner.left(); x <= inner.right(); ++x) {
                const QRgb p = image.pixel(x, y);
                sum += std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)});
            }
        return sum / int(inner.width() * inner.height());
    };
    QList<Lamp> lamps;
    for (int r = 0; r < scan.runs.size(); ++r) {
        const ScreenSegmenter::Run& run = scan.runs.at(r);
        if (run.glyphs.isEmpty())
            continue;
        const QRect& g = run.glyphs.first();
        if (g.height() < 8 || g.height() > 30 || std::abs(g.width() - g.height()) * 5 > g.height())
            continue;
        lamps.append({r, g, saturation(g) >= 64});
    }
    for (const SegmentNumber& n : numbers) {
        QList<Lamp> column;
        for (const Lamp& l : lamps) {
            const int gap = l.box.left() - n.box.right();
            if (gap >= 0 && gap <= n.box.height() && l.box.center().y() >= n.box.top() - n.box.height() / 2
                && l.box.center().y() <= n.box.bottom() + n.box.height() / 2)
                column.append(l);
        }
        if (column.size() < 3)
            continue;
        std::sort(column.begin(), column.end(), [](const Lamp& a, const Lamp& b) { return a.box.top() < b.box.top(); });
        const bool inLine = std::all_of(column.begin(), column.end(), [&](const Lamp& l) {
            return std::abs(l.box.left() - column.first().box.left()) <= 2 && std::abs(l.box.height() - column.first().box.height()) <= 2;
        });
        bool spaced = true;
        for (qsizetype k = 1; k < column.size(); ++k)
            spaced = spaced && column.at(k).box.top() - column.at(k - 1).box.bottom() <= column.at(k).box.height();
        if (!inLine || !spaced || std::count_if(column.begin(), column.end(), [](const Lamp& l) { return l.lit; }) != 1)
            continue;
        // Each lamp's line: its own run and the run just after it on its line.
        QList<bool> drop(scan.runs.size(), false);
        int litRun = -1;
        for (const Lamp& l : column) {
            const QRect& ring = l.box;
            QList<int> line{l.run};
            for (int r = 0; r < scan.runs.size(); ++r) {
                const QRect& o = scan.runs.at(r).box;
                const int gap = o.left() - ring.right();
                if (r != l.run && gap >= 0 && gap <= ring.height() && o.center().y() >= ring.top() && o.center().y() <= ring.bottom())
                    line.append(r);
            }
            for (const int r : line)
                drop[r] = !l.lit;
            if (l.lit)
                litRun = l.run;
        }
        QList<ScreenSegmenter::Run> kept;
        for (int r = 0; r < scan.runs.size(); ++r) {
            if (drop.at(r))
                continue;
            ScreenSegmenter::Run run = scan.runs.at(r);
            if (r == litRun) {
                run.glyphs.removeFirst();
                if (run.glyphs.isEmpty())
                    continue;
                run.box = QRect();
                run.height = 0;
                for (const QRect& g : run.glyphs) {
                    run.box |= g;
                    run.height = std::max(run.height, g.height());
                }
                // The lamps name the display's unit: where the display is a box of its own in the
                // window round it, the box takes the lit label in, so the unit is read as standing
                // with the figure it belongs to.
                const int display = n.glyphs.isEmpty() ? -1 : scan.runs.at(n.glyphs.first().first).frame;
                if (display >= 0 && display < scan.frames.size())
                    scan.frames[display] |= run.box;
            }
            kept.append(run);
        }
        scan.runs = kept;
        return true;
    }
    return false;
}

// µ and p both hang a stem below the line, but µ is open at the top (two stems) where p closes
// its bowl. The recogniser has no µ and reads it as p; the shape tells them apart. Works on the
// word's ink, since the two letters of a unit often touch.
bool hangsAnOpenToppedStem(const ScreenSegmenter::Scan& scan, const QRect& word)
{
    const int w = word.width(), h = word.height();
    if (w < 6 || h < 8)
        return false;
    const std::vector<bool> mask = ScreenSegmenter::runMask(scan, word);
    auto ink = [&](int x, int y) { return mask[size_t(y) * size_t(w) + size_t(x)]; };
    QList<int> lowest(w, -1), highest(w, -1);
    QList<int> bottoms;
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y)
            if (ink(x, y)) {
                if (highest[x] < 0)
                    highest[x] = y;
                lowest[x] = y;
            }
        if (lowest[x] >= 0)
            bottoms.append(lowest[x]);
    }
    if (bottoms.size() < 4)
        return false;
    std::sort(bottoms.begin(), bottoms.end());
    const int baseline = bottoms.at(bottoms.size() / 2);
    // The stem hanging below the line.
    int s0 = -1, s1 = -1;
    for (int x = 0; x < w; ++x) {
        const bool hangs = lowest[x] > baseline + std::max(1, h / 10);
        if (hangs && s0 < 0)
            s0 = x;
        if (s0 >= 0 && !hangs) {
            s1 = x - 1;
            break;
        }
    }
    if (s0 < 0 || s1 < 0)
        return false;
    int top = h;
    for (int x = s0; x <= s1; ++x)
        top = std::min(top, highest[x]);
    const int body = baseline - top + 1;
    if (body < 5)
        return false;
    // The letter's right edge: the first empty column after the stem, looked for up to `most`.
    auto letterEnd = [&](int most) {
        for (int x = s1 + 1; x <= most; ++x)
            if (highest[x] < 0)
                return x - 1;
        return most;
    };
    const int end = letterEnd(std::min(w - 1, s0 + int(body * 0.85)));
    // The top of the letter's body: µ's two stems stand well apart there, where p's bowl is
    // closed or leaves only a notch beside its stem.
    const int letterWidth = end - s0 + 1;
    int open = 0, rows = 0;
    for (int y = top + 1; y <= top + std::max(2, body / 4); ++y) {
        int widestGap = 0, gap = 0;
        bool seenInk = false;
        for (int x = s0; x <= end; ++x) {
            if (ink(x, y)) {
                if (seenInk)
                    widestGap = std::max(widestGap, gap);
                seenInk = true;
                gap = 0;
            } else {
                ++gap;
            }
        }
        ++rows;
        open += widestGap * 10 >= letterWidth * 2 && widestGap >= 2 ? 1 : 0;
    }
    if (rows == 0 || open * 10 < rows * 7)
        return false;
    // µ's right stem stands straight down from its top; p's bowl, which some faces leave a
    // notch open above, bulges out to the right below its top. The letter (at least half as wide
    // as it is high) ends at the first column empty over that upper half: the next letter may
    // touch it lower down (a bold "µA" touches at the foot).
    int reach = std::min(w - 1, s0 + int(body * 1.4));
    for (int x = std::max(s1 + 1, s0 + body / 2); x <= reach; ++x) {
        bool inked = false;
        for (int y = top; y <= top + body / 2 && !inked; ++y)
            inked = ink(x, y);
        if (!inked) {
            reach = x - 1;
            break;
        }
    }
    auto rightEdge = [&](int y) {
        int r = -1;
        for (int x = s0; x <= reach; ++x)
            if (ink(x, y))
                r = x;
        return r;
    };
    const int topEdge = rightEdge(top + 1);
    int widest = topEdge;
    for (int y = top + 1; y <= top + body / 2; ++y)
        widest = std::max(widest, rightEdge(y));
    return widest - topEdge < std::max(1, int(std::lround(body * 0.08)));
}

// A "p" read as a unit prefix ("pA", "5.9pF") that is drawn open-topped is a µ; so is an
// open-topped stem hanging before a unit read bare ("A" for a "µA" whose letters touch). A V or
// W read bare is left alone: its own point hangs below its arms' feet, under an open top.
// It reads a µ as a u too, and small print's µs as "US", both letters taken for capitals since
// they stand equally high. A u stands on the line, so one with an open-topped stem hanging below
// it is a µ; and an S after it that stands no taller than the µ's body is the small s of seconds
// (a capital S would rise above it; siemens is written so).
void mendMicro(ScreenWord& w, const ScreenSegmenter::Scan& scan)
{
    static const QRegularExpression prefixP(QStringLiteral("(^|[\\d.])[pUu](A|a|F|V|s|S|Hz|H|W)$"));
    static const QRegularExpression bare(QStringLiteral("^(A|F|s|Hz)$"));
    const auto m = prefixP.match(w.text);
    const bool alone = !m.hasMatch() && bare.match(w.text).hasMatch();
    const QRect area = w.box.adjusted(0, 0, 0, std::max(2, w.box.height() / 3)).intersected(QRect(0, 0, scan.width, scan.height));
    if ((m.hasMatch() || alone) && hangsAnOpenToppedStem(scan, area)) {
        if (alone) {
            w.text.prepend(QChar(0x00B5));
            return;
        }
        const qsizetype at = m.capturedStart(0) + m.capturedLength(1);
        const bool readAsU = w.text.at(at) != QLatin1Char('p');
        // (Only a unit standing alone is measured so; glued to its figure, a "US" is left as read.)
        if (readAsU && m.captured(2) == QLatin1String("S") && at != 0)
            return;
        w.text.replace(at, 1, QChar(0x00B5));
        if (m.captured(2) != QLatin1String("S"))
            return;
        // The tops of the ink in the word's first and last thirds: the µ's and the S's.
        const std::vector<bool> mask = ScreenSegmenter::runMask(scan, area);
        const auto topIn = [&](int from, int to) {
            for (int y = 0; y < area.height(); ++y)
                for (int x = from; x < to; ++x)
                    if (mask[size_t(y) * size_t(area.width()) + size_t(x)])
                        return y;
            return area.height();
        };
        const int third = area.width() / 3;
        if (readAsU && third > 0 && topIn(area.width() - third, area.width()) >= topIn(0, third) - 1)
            w.text.back() = QLatin1Char('s');
    }
}

// Ω stands on two feet with a gap between them where a 0 or O closes its bottom; the
// recogniser has no Ω and reads it as one of those.
bool standsOnTwoFeet(const ScreenSegmenter::Scan& scan, const QRect& glyph)
{
    const int w = glyph.width(), h = glyph.height();
    if (w < 5 || h < 7)
        return false;
    const std::vector<bool> mask = ScreenSegmenter::runMask(scan, glyph);
    auto ink = [&](int x, int y) { return mask[size_t(y) * size_t(w) + size_t(x)]; };
    const int band = std::max(1, int(std::lround(h * 0.12)));
    auto columnInked = [&](int x, int from, int to) {
        for (int y = from; y <= to; ++y)
            if (ink(x, y))
                return true;
        return false;
    };
    // Feet at both sides of the bottom, an open middle between them...
    bool left = false, right = false, gap = false;
    for (int x = 0; x < w; ++x) {
        const bool inked = columnInked(x, h - band, h - 1);
        if (x < w * 0.3)
            left = left || inked;
        else if (x >= w * 0.7)
            right = right || inked;
        else if (x >= w * 0.35 && x <= w * 0.65)
            gap = gap || !inked;
    }
    // ...under a closed, round top.
    bool top = false;
    for (int x = int(w * 0.4); x <= int(w * 0.6); ++x)
        top = top || columnInked(x, 0, band);
    return left && right && gap && top;
}

// A word ending in what the recogniser made of an Ω ("16.40", "0", "Q") whose last glyph stands
// on two feet ends in Ω.
void mendOhm(ScreenWord& w, const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run)
{
    // It reads Ω as 0, O, Q, D or @, and at times as 9 or 2; a real 9 or 2 ends in a hook or a
    // flat bar, never on two feet, but two digits run together ("59") do stand on two: a 9 or 2
    // counts only when its glyph is one character wide.
    static const QRegularExpression ohmLike(QStringLiteral("^(-?\\d[\\d.,]*|[kKM])?[0OoQD@92]$"));
    if (!ohmLike.match(w.text).hasMatch())
        return;
    const bool digitRead = w.text.back() == QLatin1Char('9') || w.text.back() == QLatin1Char('2');
    const QRect* last = nullptr;
    int tallest = 0;
    for (const QRect& g : run.glyphs)
        if (g.right() >= w.box.left() && g.left() <= w.box.right()) {
            tallest = std::max(tallest, g.height());
            if (!last || g.left() > last->left())
                last = &g;
        }
    if (last && last->height() * 10 >= tallest * 6 && (!digitRead || last->width() <= last->height() * 1.1) && standsOnTwoFeet(scan, *last))
        w.text.back() = QChar(0x03A9);
}

// A V: two arms, apart at the top, that meet in one stroke at the middle of the bottom, and
// nowhere a bar across. A 4 (even one open at the top) has its bar across and stands on its
// stem at the right.
bool isVee(const ScreenSegmenter::Scan& scan, const QRect& glyph)
{
    const int w = glyph.width(), h = glyph.height();
    if (w < 4 || h < 6)
        return false;
    const std::vector<bool> mask = ScreenSegmenter::runMask(scan, glyph);
    struct Stretch {
        int from, to;
    };
    auto stretches = [&](int y) {
        QList<Stretch> out;
        for (int x = 0; x < w; ++x)
            if (mask[size_t(y) * size_t(w) + size_t(x)]) {
                if (out.isEmpty() || out.last().to != x - 1)
                    out.append({x, x});
                else
                    out.last().to = x;
            }
        return out;
    };
    // (The glyph's box may take in a blurred rim fainter than its strokes, as a photograph's
    // does: the arms' top and the point are the rows the strokes themselves reach.)
    int firstRow = 0, lastRow = h - 1;
    while (firstRow < lastRow && stretches(firstRow).isEmpty())
        ++firstRow;
    while (lastRow > firstRow && stretches(lastRow).isEmpty())
        --lastRow;
    if ((lastRow - firstRow + 1) * 10 < h * 9)
        return false;
    const QList<Stretch> top = stretches(firstRow), bottom = stretches(lastRow);
    if (top.size() != 2 || top.first().from > w / 4 || top.last().to < w - 1 - w / 4 || bottom.size() != 1)
        return false;
    const double middle = (bottom.first().from + bottom.first().to) / 2.0;
    if (std::abs(middle - (w - 1) / 2.0) > std::max(1.0, w * 0.15))
        return false;
    for (int y = firstRow + 1; y < lastRow; ++y)
        for (const Stretch& s : stretches(y))
            if ((s.to - s.from + 1) * 10 >= w * 8)
                return false;
    return true;
}

// A figure ending in a 4 whose last glyph is a V ends in its unit: small print draws V with
// straight arms the recogniser takes for a 4 ("14.84" for "14.8V").
void mendVolt(ScreenWord& w, const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run)
{
    static const QRegularExpression figureThen4(QStringLiteral("^-?\\d*[.,]\\d*4$"));
    if (!figureThen4.match(w.text).hasMatch())
        return;
    const QRect* last = nullptr;
    for (const QRect& g : run.glyphs)
        if (g.right() >= w.box.left() && g.left() <= w.box.right() && (!last || g.left() > last->left()))
            last = &g;
    if (last && last->height() * 10 >= run.height * 7 && isVee(scan, *last))
        w.text.back() = QLatin1Char('V');
}

// A word as the recogniser read it, with where each of its characters stands.
struct ReadWord {
    ScreenWord word;
    struct Symbol {
        QString text;
        int left = 0, right = 0;  // in the screenshot's pixels
    };
    QList<Symbol> symbols;
};

// The word spelt out from its characters.
QString spelling(const ReadWord& r)
{
    QString spelt;
    for (const ReadWord::Symbol& sym : r.symbols)
        spelt += sym.text;
    return spelt;
}

// An m stands on three stems, an n on two. Small print in an instrument's own face draws m
// narrow, its middle stem thin or reaching only half-way down, and the recogniser reads it as
// n: rows of the letter crossing three strokes (and none crossing more) make it an m.
bool hasThreeStems(const ScreenSegmenter::Scan& scan, const QRect& glyph)
{
    const int w = glyph.width(), h = glyph.height();
    if (w < 5 || h < 4)
        return false;
    const std::vector<bool> mask = ScreenSegmenter::runMask(scan, glyph);
    int three = 0;
    for (int y = 0; y < h; ++y) {
        int strokes = 0;
        for (int x = 0; x < w; ++x)
            if (mask[size_t(y) * size_t(w) + size_t(x)] && (x == 0 || !mask[size_t(y) * size_t(w) + size_t(x - 1)]))
                ++strokes;
        if (strokes > 3)
            return false;
        three += strokes == 3 ? 1 : 0;
    }
    return three >= std::max(2, h / 4);
}

// A figure with a nano prefix before its unit ("14.0nV") whose n stands on three stems is in
// milli ("14.0mV"). The n's glyph is the one under its character alone.
void mendMilli(ReadWord& r, const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run)
{
    static const QRegularExpression nano(QStringLiteral("^[-+]?\\d+(?:[.,]\\d+)?n(?:V|A|W|s|Hz|F|H)$"));
    if (!nano.match(r.word.text).hasMatch() || r.word.text.size() != r.symbols.size())
        return;
    const int at = int(r.word.text.lastIndexOf(QLatin1Char('n')));
    const ReadWord::Symbol& n = r.symbols.at(at);
    const QRect* glyph = nullptr;
    for (const QRect& g : run.glyphs) {
        const int centre = (g.left() + g.right()) / 2;
        if (centre < n.left || centre > n.right)
            continue;
        if (glyph)
            return;
        glyph = &g;
    }
    if (glyph && glyph->left() >= n.left - 2 && glyph->right() <= n.right + 2 && hasThreeStems(scan, *glyph))
        r.word.text[at] = QLatin1Char('m');
}

// A figure with a unit's prefix and then nothing, or marks no unit is made of ("2.4miv",
// "2.7m", "16.0m'"), where the glyph right after the prefix's is the line's last before a space
// and is a V: thin pixel print draws a V of one-pixel arms the recogniser drops or breaks up.
void mendVoltAfterPrefix(ReadWord& r, const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run)
{
    static const QRegularExpression prefixThenMarks(QStringLiteral("^([-+]?\\d+(?:[.,]\\d+)?[mkuM])(?:i|iv|v|'|\"|y|Y|'Y|\\\\)?$"));
    const QRegularExpressionMatch m = prefixThenMarks.match(r.word.text);
    if (!m.hasMatch() || r.symbols.size() != r.word.text.size())
        return;
    // The last digit's glyph (the recogniser places digits well, letters of thin print
    // roughly), the prefix's after it, and the glyph after that.
    const ReadWord::Symbol& digit = r.symbols.at(m.capturedLength(1) - 2);
    const double digitCentre = (digit.left + digit.right) / 2.0;
    qsizetype at = -1;
    for (qsizetype k = 0; k < run.glyphs.size(); ++k)
        if (run.glyphs.at(k).left() <= digitCentre && digitCentre <= run.glyphs.at(k).right())
            at = k + 1;
    if (at < 1 || at + 1 >= run.glyphs.size())
        return;
    const QRect& vee = run.glyphs.at(at + 1);
    const QRect& letter = run.glyphs.at(at);
    if (vee.left() - letter.right() > run.height / 3 || vee.height() * 10 < run.height * 7)
        return;
    if (at + 2 < run.glyphs.size() && run.glyphs.at(at + 2).left() - vee.right() <= run.height / 2)
        return;
    if (isVee(scan, vee))
        r.word.text = m.captured(1) + QLatin1Char('V');
}

// A unit standing alone as two glyphs, a prefix and a mark no unit is made of ("mi" for a
// display's "mV" beside its large digits), whose second glyph is a V of full height: the same
// thin V, read as the prefix's volts.
void mendLoneVoltUnit(ReadWord& r, const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run)
{
    // (A photographed display's thin strokes come out as a mark and a bracket, "l)"; its m on
    // three stems as an n.)
    static const QRegularExpression prefixThenMark(QStringLiteral("^([mkn])(?:i|l|I|'|\\||[lI|]?\\))$"));
    // A V alone, in print too small for its arms to be told from a y's, is the volt all the same
    // where its glyph is a V's: two arms meeting in one point at the middle of its foot.
    static const QRegularExpression veeMisread(QStringLiteral("^[yYv]$"));
    if (run.glyphs.size() == 1 && veeMisread.match(r.word.text).hasMatch() && isVee(scan, run.glyphs.first())) {
        r.word.text = QStringLiteral("V");
        return;
    }
    const QRegularExpressionMatch m = prefixThenMark.match(r.word.text);
    if (!m.hasMatch() || run.glyphs.size() != 2)
        return;
    const QRect& vee = run.glyphs.at(1);
    if (m.captured(1) == QLatin1String("n") && !hasThreeStems(scan, run.glyphs.at(0)))
        return;
    if (vee.height() * 10 >= run.height * 7 && vee.left() - run.glyphs.at(0).right() <= run.height / 3 && isVee(scan, vee))
        r.word.text = (m.captured(1) == QLatin1String("n") ? QStringLiteral("m") : m.captured(1)) + QLatin1Char('V');
}

// A digit the recogniser made up after a digit it read well: squeezed between that digit and
// the next character (its box narrower than theirs and mostly inside them) and centred on the
// gap between two glyphs, where the screen has no ink, while each of the two is centred on a
// glyph of its own ("16.404V" for "16.40V"). Only digits: its boxes for letters in proportional
// print are too rough to tell, and a digit as wide as its neighbours may be a real one whose box
// came out shifted.
void dropGhosts(ReadWord& r, const ScreenSegmenter::Run& run)
{
    if (spelling(r) != r.word.text)
        return;
    auto onGlyph = [&](const ReadWord::Symbol& sym) {
        const double centre = (sym.left + sym.right) / 2.0;
        return std::any_of(run.glyphs.begin(), run.glyphs.end(), [&](const QRect& g) { return centre >= g.left() && centre <= g.right() + 1; });
    };
    bool changed = false;
    for (qsizetype i = 1; i + 1 < r.symbols.size(); ++i) {
        const ReadWord::Symbol& before = r.symbols.at(i - 1);
        const ReadWord::Symbol& sym = r.symbols.at(i);
        const ReadWord::Symbol& after = r.symbols.at(i + 1);
        const int covered = std::max(0, before.right - sym.left + 1) + std::max(0, sym.right - after.left + 1);
        if (sym.text.size() == 1 && sym.text.front().isDigit() && before.text.size() == 1 && before.text.front().isDigit()
            && before.right >= sym.left && after.left <= sym.right && covered * 10 >= (sym.right - sym.left + 1) * 6
            && sym.right - sym.left < std::min(before.right - before.left, after.right - after.left) && !onGlyph(sym)
            && onGlyph(before) && onGlyph(after)) {
            r.symbols.removeAt(i--);
            changed = true;
        }
    }
    if (changed)
        r.word.text = spelling(r);
}

// Many instruments' fonts draw the zero with a dot or a slash inside, and the recogniser reads
// it as 8, or in the smallest print as 6 (the slash taken for a 6's bowl closing). An 8 is pinched
// at its waist, or has a bar across it there, and a 6 is open at the right over its bowl; such a
// zero keeps both its sides whole from top to bottom, with a small mark inside that bars no row
// from side to side.
bool isMarkedZero(const std::vector<bool>& mask, int width, const QRect& g)
{
    const auto ink = [&](int x, int y) { return bool(mask[size_t(y) * size_t(width) + size_t(x)]); };
    // (A face drawn in thick pixels closes the zero over and under with bars two rows deep or
    // more, their corners cut: the sides begin under the top bar and end over the bottom one.)
    const auto bar = [&](int y) {
        int from = 0, to = g.width() - 1;
        while (from < g.width() && !ink(g.left() + from, y))
            ++from;
        while (to >= 0 && !ink(g.left() + to, y))
            --to;
        for (int x = from; x <= to; ++x)
            if (!ink(g.left() + x, y))
                return false;
        return from <= to;
    };
    int top = g.top() + 1, bottom = g.bottom() - 1;
    while (top < bottom && bar(top))
        ++top;
    while (bottom > top && bar(bottom))
        --bottom;
    int wallLeft = g.width(), wallRight = g.width();
    for (int y = top; y <= bottom; ++y) {
        int l = 0, r = 0;
        while (l < g.width() && ink(g.left() + l, y))
            ++l;
        while (r < g.width() && ink(g.right() - r, y))
            ++r;
        if (l == 0 || r == 0 || l == g.width())
            return false;
        wallLeft = std::min(wallLeft, l);
        wallRight = std::min(wallRight, r);
    }
    const int first = g.left() + wallLeft, last = g.right() - wallRight;
    if (last - first < 1)
        return false;
    bool marked = false;
    for (int y = top; y <= bottom; ++y) {
        int inside = 0;
        for (int x = first; x <= last; ++x)
            inside += ink(x, y);
        if (inside > last - first)
            return false;
        marked = marked || inside > 0;
    }
    return marked;
}

void mendMarkedZero(ReadWord& r, const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run)
{
    if (r.word.text.size() != r.symbols.size())
        return;
    for (int i = 0; i < r.symbols.size(); ++i) {
        ReadWord::Symbol& sym = r.symbols[i];
        if (sym.text != QLatin1String("8") && sym.text != QLatin1String("6"))
            continue;
        const QRect box = QRect(QPoint(sym.left - 1, run.box.top()), QPoint(sym.right + 1, run.box.bottom())).intersected(run.box);
        if (box.width() < 4 || box.height() < 7)
            continue;
        std::vector<int> labels;
        const std::vector<bool> mask = ScreenSegmenter::runMask(scan, box);
        const QList<QRect> parts = ScreenSegmenter::pieces(mask, box.width(), box.height(), labels);
        const auto glyph = std::max_element(parts.begin(), parts.end(), [](const QRect& a, const QRect& b) { return a.height() < b.height(); });
        if (glyph == parts.end() || glyph->height() * 10 < run.height * 7 || glyph->width() < 5)
            continue;
        // (A 6 is taken for a zero only where its box holds that one glyph: the recogniser's box
        // for a digit may span its neighbour too, a plain zero in a bold face, whose thick side
        // looks like a mark inside.)
        const bool alone = std::count_if(parts.begin(), parts.end(), [&](const QRect& p) { return p.height() * 10 >= run.height * 7; }) == 1;
        if (sym.text == QLatin1String("6") && !alone)
            continue;
        if (isMarkedZero(mask, box.width(), *glyph)) {
            sym.text = QStringLiteral("0");
            r.word.text[i] = QLatin1Char('0');
        }
    }
}

// What the recogniser made of one line image, in the image's own pixels: its words, each with
// its box, confidence and characters.
struct LineReading {
    struct Character {
        QString text;
        int left = 0, right = 0;
    };
    struct Word {
        QString text;
        int left = 0, right = 0;
        float confidence = 0;
        QList<Character> characters;
    };
    QList<Word> words;
};

// A screen repeats its small print (the same label on every channel, a grid's scale marks, a
// table's units), and second looks may ask for a line already read at that size: the recogniser
// gives the same image the same reading, so each distinct image is read once per capture. The
// image's pixels themselves are the key, so only a truly identical line is taken over.
struct LineImageKey {
    int mode = 0;
    int width = 0, height = 0;
    QByteArray pixels;
    bool operator==(const LineImageKey&) const = default;
};

size_t qHash(const LineImageKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.mode, key.width, key.height, key.pixels);
}

thread_local QHash<LineImageKey, LineReading> t_linesRead;

LineReading recognizeLineImage(tesseract::TessBaseAPI* api, const QImage& line)
{
    // The key holds the line's pixels only: the padding at the end of each scan line is never
    // written, and a key that held it would tell apart (or, worse, hash at random) two images
    // that are the same line.
    const qsizetype rowBytes = (qsizetype(line.width()) * line.depth() + 7) / 8;
    QByteArray pixels;
    pixels.reserve(rowBytes * line.height());
    for (int y = 0; y < line.height(); ++y)
        pixels.append(reinterpret_cast<const char*>(line.constScanLine(y)), rowBytes);
    LineImageKey key{int(api->GetPageSegMode()), line.width(), line.height(), std::move(pixels)};
    if (const auto known = t_linesRead.constFind(key); known != t_linesRead.constEnd())
        return *known;
    LineReading out;
    api->SetImage(line.constBits(), line.width(), line.height(), 1, int(line.bytesPerLine()));
    if (api->Recognize(nullptr) == 0) {
        std::unique_ptr<tesseract::ResultIterator> it(api->GetIterator());
        if (it && !it->Empty(tesseract::RIL_SYMBOL)) {
            do {
                if (it->IsAtBeginningOf(tesseract::RIL_WORD) || out.words.isEmpty()) {
                    std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_WORD));
                    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
                    if (!text || !it->BoundingBox(tesseract::RIL_WORD, &x0, &y0, &x1, &y1))
                        continue;
                    out.words.append({QString::fromUtf8(text.get()), x0, x1, it->Confidence(tesseract::RIL_WORD), {}});
                }
                std::unique_ptr<char[]> symbol(it->GetUTF8Text(tesseract::RIL_SYMBOL));
                int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
                if (symbol && it->BoundingBox(tesseract::RIL_SYMBOL, &x0, &y0, &x1, &y1))
                    out.words.last().characters.append({QString::fromUtf8(symbol.get()), x0, x1});
            } while (it->Next(tesseract::RIL_SYMBOL));
        }
    }
    t_linesRead.insert(std::move(key), out);
    return out;
}

// One run read by the recogniser as one line, its glyphs scaled to `textHeight` pixels and
// drawn dark on white.
QList<ReadWord> readRun(tesseract::TessBaseAPI* api, const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run, int index,
                        int textHeight)
{
    QList<ReadWord> out;
    const double scale = std::clamp(double(textHeight) / run.height, 0.25, 8.0);
    const int pad = 10;
    const QRect box = run.box.adjusted(-2, -2, 2, 2).intersected(QRect(0, 0, scan.width, scan.height));
    const QImage line = ScreenSegmenter::runImage(scan, box, scale, pad);
    // (A line taken over from an earlier reading costs what reading it did: the budget is a
    // count, so that a screen reads the same however much of it repeats.)
    t_readWork += qint64(line.width()) * 36 / std::max(1, line.height()) / 50 + 2;
    const LineReading reading = recognizeLineImage(api, line);
    auto toScreen = [&](int x) { return box.left() + (x - pad) / scale; };
    for (const LineReading::Word& read : reading.words) {
        ReadWord r;
        ScreenWord& w = r.word;
        w.text = read.text.trimmed();
        const int left = int(std::floor(toScreen(read.left)));
        const int right = int(std::ceil(toScreen(read.right)));
        w.box = QRect(QPoint(std::max(left, run.box.left()), run.box.top()), QPoint(std::min(right, run.box.right()), run.box.bottom()));
        w.textHeight = tallestGlyphIn(run, w.box.left(), w.box.right());
        w.confidence = read.confidence;
        w.row = index;  // grouped into rows later
        for (const LineReading::Character& c : read.characters)
            r.symbols.append({c.text, int(std::floor(toScreen(c.left))), int(std::ceil(toScreen(c.right))) - 1});
        out.append(r);
    }
    out.erase(std::remove_if(out.begin(), out.end(), [](const ReadWord& r) { return r.word.text.isEmpty(); }), out.end());
    for (ReadWord& r : out) {
        dropGhosts(r, run);
        mendMarkedZero(r, scan, run);
        mendMicro(r.word, scan);
        mendOhm(r.word, scan, run);
        mendVolt(r.word, scan, run);
        mendMilli(r, scan, run);
        mendVoltAfterPrefix(r, scan, run);
        if (out.size() == 1)
            mendLoneVoltUnit(r, scan, run);
        // The characters follow the word's mended letters (µ, Ω), one for one.
        if (r.word.text.size() == r.symbols.size())
            for (int i = 0; i < r.symbols.size(); ++i)
                r.symbols[i].text = r.word.text.at(i);
    }
    return out;
}

bool looksNumeric(const QString& text)
{
    int digits = 0;
    for (const QChar c : text) {
        if (c.isDigit())
            ++digits;
        else if (!QStringLiteral(".,-~_\u2013\u2014OoIl|SBZg").contains(c))  // a blurred minus reads as ~ or a dash
            return false;
    }
    return digits > 0 || text.size() <= 1;
}

// Figures in small print read again glyph by glyph: where the glyph reader found a whole figure
// and the recogniser read the same place as digits of its own (or left it out, or read it
// poorly), the glyph reader's figure replaces them. It sees points and minus signs that the
// recogniser loses and tells 0 from 6 and 8 by shape.
void mendFigures(QList<ReadWord>& words, const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run, int index)
{
    if (run.height > 18)
        return;
    t_readWork += run.glyphs.size() / 3;  // each glyph is compared with the drawn digits
    for (const GlyphClassifier::Figure& f : GlyphClassifier::figuresIn(scan, run)) {
        const int H = f.box.height();
        // The glyph after the figure reads as a unit's letter where the recogniser read a digit
        // ("8.864" for "8.86V"): the letter stands.
        static const QString unitLetters = QStringLiteral("VvAFHkmMnpsW%\u00B5\u03A9");
        const QChar letter = f.unitLetter == QLatin1Char('v') ? QLatin1Char('V') : f.unitLetter;  // no unit is a small v
        if (!f.unitLetter.isNull() && unitLetters.contains(f.unitLetter))
            for (ReadWord& w : words) {
                bool changed = false;
                for (ReadWord::Symbol& sym : w.symbols) {
                    // The recogniser's boxes are rough: a digit that stands after the figure and
                    // begins before the letter ends is the letter.
                    const double centre = (sym.left + sym.right) / 2.0;
                    if (sym.text.size() == 1 && sym.text.front().isDigit() && centre > f.box.right() && sym.left <= f.unitBox.right()) {
                        sym.text = letter;
                        changed = true;
                    }
                }
                if (changed)
                    w.word.text = spelling(w);
            }
        // A thin or round character the recogniser saw in the gap between the figure and its
        // unit's letter, where the screen has no glyph, while it read that letter too, is a
        // ghost of their edges ("591lmV"). Not beside a lone digit, which may be a letter's
        // own stem (the i of "Min").
        if (!f.unitLetter.isNull() && unitLetters.contains(f.unitLetter) && f.text.size() >= 2) {
            const double letterCentre = (f.unitBox.left() + f.unitBox.right()) / 2.0;
            for (ReadWord& w : words) {
                bool changed = false;
                for (qsizetype si = 0; si + 1 < w.symbols.size(); ++si) {
                    const ReadWord::Symbol& sym = w.symbols.at(si);
                    const ReadWord::Symbol& next = w.symbols.at(si + 1);
                    const double centre = (sym.left + sym.right) / 2.0;
                    if (sym.text.size() == 1 && QStringLiteral("lI|io").contains(sym.text.front()) && centre > f.box.right()
                        && centre < f.unitBox.left() && next.left <= letterCentre && next.right >= letterCentre) {
                        w.symbols.removeAt(si--);
                        changed = true;
                    }
                }
                if (changed)
                    w.word.text = spelling(w);
            }
        }
        // The recogniser's characters over the figure, and the ones just beside it.
        int firstWord = -1, lastWord = -1, firstSymbol = -1, lastSymbol = -1;
        QString inside;
        float confidence = 100;
        const ReadWord::Symbol* before = nullptr;
        const ReadWord::Symbol* after = nullptr;
        for (int wi = 0; wi < words.size(); ++wi)
            for (int si = 0; si < words.at(wi).symbols.size(); ++si) {
                const ReadWord::Symbol& sym = words.at(wi).symbols.at(si);
                const int overlap = std::min(sym.right, f.box.right()) - std::max(sym.left, f.box.left()) + 1;
                const double centre = (sym.left + sym.right) / 2.0;
                if (overlap * 2 >= sym.right - sym.left + 1 || (centre >= f.box.left() - 1 && centre <= f.box.right() + 1)) {
                    if (firstWord < 0) {
                        firstWord = wi;
                        firstSymbol = si;
                    }
                    lastWord = wi;
                    lastSymbol = si;
                    inside += sym.text;
                    confidence = std::min(confidence, words.at(wi).word.confidence);
                } else if (sym.left < f.box.left()) {
                    before = &sym;
                } else if (!after) {
                    after = &sym;
                }
            }
        if (firstWord < 0) {
            // The recogniser left it out altogether (a lone digit beside a label). But where one
            // of its letters spans the figure's middle, it read that place as a letter: a wide
            // one fallen apart into stems in the glyph reader's eyes (the M of "Min:").
            const double middle = (f.box.left() + f.box.right()) / 2.0;
            const bool readAsLetter = std::any_of(words.begin(), words.end(), [&](const ReadWord& w) {
                return std::any_of(w.symbols.begin(), w.symbols.end(), [&](const ReadWord::Symbol& sym) {
                    return sym.left <= middle && sym.right >= middle && !sym.text.isEmpty() && sym.text.front().isLetter();
                });
            });
            if (readAsLetter)
                continue;
            ReadWord r;
            r.word.text = f.text;
            r.word.box = f.box;
            r.word.textHeight = H;
            r.word.confidence = 80;
            r.word.row = index;
            r.symbols.append({f.text, f.box.left(), f.box.right()});
            int at = 0;
            while (at < words.size() && words.at(at).word.box.left() < f.box.left())
                ++at;
            words.insert(at, r);
            continue;
        }
        if (inside == f.text)
            continue;
        const bool hasDigit = std::any_of(inside.begin(), inside.end(), [](QChar c) { return c.isDigit(); });
        if (!(looksNumeric(inside) && (hasDigit || inside.size() <= 1 || confidence < 60)) && confidence >= 40)
            continue;
        // The words it spans become one: what stands before the figure in the first, the
        // figure, what stands after it in the last.
        ReadWord merged = words.at(firstWord);
        QList<ReadWord::Symbol> symbols = words.at(firstWord).symbols.mid(0, firstSymbol);
        QString text;
        for (const auto& sym : symbols)
            text += sym.text;
        text += f.text;
        symbols.append({f.text, f.box.left(), f.box.right()});
        for (const auto& sym : words.at(lastWord).symbols.mid(lastSymbol + 1)) {
            text += sym.text;
            symbols.append(sym);
        }
        merged.word.text = text;
        for (int wi = firstWord; wi <= lastWord; ++wi) {
            merged.word.box |= words.at(wi).word.box;
            merged.word.confidence = std::min(merged.word.confidence, words.at(wi).word.confidence);
        }
        merged.word.box |= QRect(f.box.left(), merged.word.box.top(), f.box.width(), merged.word.box.height());
        merged.symbols = symbols;
        words.erase(words.begin() + firstWord, words.begin() + lastWord + 1);
        words.insert(firstWord, merged);
    }
}

// The symbols of a run's words in reading order, each with the word it came from; and the words
// made again from them, a new word wherever the word index changes.
struct PlacedSymbol {
    ReadWord::Symbol symbol;
    int word = 0;
};

QList<PlacedSymbol> flatten(const QList<ReadWord>& words)
{
    QList<PlacedSymbol> out;
    for (int wi = 0; wi < words.size(); ++wi)
        for (const ReadWord::Symbol& sym : words.at(wi).symbols)
            out.append({sym, wi});
    return out;
}

QList<ReadWord> regroup(const QList<PlacedSymbol>& symbols, const QList<float>& confidence, const ScreenSegmenter::Run& run, int index)
{
    QList<ReadWord> out;
    int current = -1;
    for (const PlacedSymbol& p : symbols) {
        if (p.symbol.text.isEmpty())
            continue;
        if (out.isEmpty() || p.word != current) {
            ReadWord r;
            r.word.confidence = confidence.value(p.word);
            r.word.row = index;
            r.word.box = QRect(QPoint(p.symbol.left, run.box.top()), QPoint(p.symbol.right, run.box.bottom()));
            out.append(r);
            current = p.word;
        }
        ReadWord& r = out.last();
        r.symbols.append(p.symbol);
        r.word.text += p.symbol.text;
        r.word.box |= QRect(QPoint(p.symbol.left, run.box.top()), QPoint(std::max(p.symbol.left, p.symbol.right), run.box.bottom()));
    }
    for (ReadWord& r : out) {
        r.word.box = r.word.box.intersected(run.box.adjusted(-2, 0, 2, 0));
        r.word.textHeight = tallestGlyphIn(run, r.word.box.left(), r.word.box.right());
    }
    return out;
}

// A decimal point in large print (a solid blob on the baseline between two tall glyphs, or a
// comma hanging below it) that the recogniser read as a letter ("77 a 0") or dropped, the
// figure then falling into two words ("6057 1") or running together ("93526"): the figure is
// made whole again.
// The run's glyphs with a decimal point set apart where it only meets a digit at a corner: the
// round point of a blocky face, a hair from the digit before it, touches it diagonally at one
// pixel and comes out as part of it ("5." in "415.4"). Edge to edge, the point is a solid piece
// of its own, about as wide as high, on the baseline or hanging a little below it, with taller
// ink on its left; the glyph is cut into the ink left of it, the point, and the ink right of it.
QList<QRect> pointsApart(const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run)
{
    const int H = run.height;
    QList<QRect> out;
    for (const QRect& glyph : run.glyphs) {
        if (glyph.height() < H * 0.6 || glyph.width() < H * 0.5) {
            out.append(glyph);
            continue;
        }
        const int w = glyph.width(), h = glyph.height();
        const std::vector<bool> mask = ScreenSegmenter::runMask(scan, glyph);
        // Pieces joined edge to edge only.
        std::vector<int> label;
        QList<QRect> parts = ScreenSegmenter::piecesJoinedEdgeToEdge(mask, w, h, label);
        QList<int> area(parts.size(), 0);
        for (int l : label)
            if (l >= 0)
                ++area[l];
        for (QRect& p : parts)
            p.translate(glyph.topLeft());
        int point = -1;
        for (int i = 0; i < parts.size(); ++i) {
            const QRect& p = parts.at(i);
            const bool shape = p.height() <= H * 0.3 && p.width() <= H * 0.3 && p.height() >= std::max(3.0, H * 0.1)
                               && p.width() * 2 <= p.height() * 3 + 2 && p.height() * 2 <= p.width() * 3 + 2
                               && area.at(i) * 10 >= p.width() * p.height() * 6;
            const bool low = p.top() >= glyph.bottom() - H * 0.35 && p.bottom() >= glyph.bottom() - H * 0.15;
            // Taller ink stands left of it, none of it over or under it.
            const bool besideTall = std::any_of(parts.begin(), parts.end(), [&](const QRect& o) {
                return o.height() >= H * 0.6 && o.right() < p.left();
            });
            const bool clear = std::none_of(parts.begin(), parts.end(), [&](const QRect& o) {
                return o != p && std::max(o.left(), p.left()) <= std::min(o.right(), p.right());
            });
            if (shape && low && besideTall && clear) {
                point = i;
                break;
            }
        }
        if (point < 0) {
            out.append(glyph);
            continue;
        }
        const QRect& p = parts.at(point);
        QRect left, right;
        for (int i = 0; i < parts.size(); ++i) {
            if (i == point)
                continue;
            (parts.at(i).center().x() < p.center().x() ? left : right) |= parts.at(i);
        }
        if (!left.isNull())
            out.append(left);
        out.append(p);
        if (!right.isNull())
            out.append(right);
    }
    return out;
}

void mendPoints(QList<ReadWord>& words, const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run, int index)
{
    const int H = run.height;
    if (words.isEmpty() || run.glyphs.size() < 2 || H <= 18)
        return;
    const QList<QRect> g = pointsApart(scan, run);
    if (g.size() < 3)
        return;
    // The words are made again from their characters: only where the two agree.
    for (const ReadWord& r : words)
        if (spelling(r) != r.word.text)
            return;
    QList<PlacedSymbol> symbols = flatten(words);
    // Where the recogniser read a digit for each tall glyph and nothing else, each digit is its
    // glyph: its own boxes may stray over two glyphs ("0" across "0.0").
    QList<QRect> tall;
    for (const QRect& glyph : g)
        if (glyph.height() >= H * 0.6)
            tall.append(glyph);
    if (symbols.size() == tall.size() && std::all_of(symbols.begin(), symbols.end(), [](const PlacedSymbol& p) {
            return p.symbol.text.size() == 1 && p.symbol.text.front().isDigit();
        }))
        for (int i = 0; i < symbols.size(); ++i) {
            symbols[i].symbol.left = tall.at(i).left();
            symbols[i].symbol.right = tall.at(i).right();
        }
    QList<float> confidence;
    for (const ReadWord& r : words)
        confidence.append(r.word.confidence);
    bool changed = false;
    auto centre = [](const ReadWord::Symbol& sym) { return (sym.left + sym.right) / 2.0; };
    for (int k = 1; k + 1 < g.size(); ++k) {
        const QRect& mark = g.at(k);
        // A point sits on the digits' baseline (a comma hangs below it), as wide as high.
        const QRect& left = g.at(k - 1);
        const QRect& right = g.at(k + 1);
        const int baseline = std::max(left.bottom(), right.bottom());
        const bool pointShape = left.height() >= H * 0.6 && right.height() >= H * 0.6 && mark.height() <= H * 0.3 && mark.width() <= H * 0.3
                                && mark.bottom() >= baseline - H * 0.12 && mark.bottom() <= baseline + std::max(1.0, H * 0.06)
                                && mark.width() <= mark.height() * 2 && mark.height() <= mark.width() * 2 && solidity(scan, mark) >= 0.35;
        // A decimal comma stands on the baseline and hangs below it, taller than it is wide.
        const int below = mark.bottom() - baseline;
        const bool commaShape = left.height() >= H * 0.6 && right.height() >= H * 0.6 && mark.height() <= H * 0.5 && mark.width() <= H * 0.35
                                && mark.height() >= mark.width() && mark.top() <= baseline && mark.top() >= baseline - H * 0.45 && below >= 1
                                && below <= H * 0.3 && solidity(scan, mark) >= 0.35;
        if (!pointShape && !commaShape)
            continue;
        // The recogniser's symbols over the mark, and the ones just before and after it.
        const double margin = H * 0.1;
        int firstOn = -1, lastOn = -1, before = -1, next = -1;
        for (int i = 0; i < symbols.size(); ++i) {
            const double c = centre(symbols.at(i).symbol);
            if (c < mark.left() - margin) {
                before = i;
            } else if (c <= mark.right() + margin) {
                if (firstOn < 0)
                    firstOn = i;
                lastOn = i;
            } else if (next < 0) {
                next = i;
            }
        }
        if (before >= 0 && next >= 0) {
            const QString& l = symbols.at(before).symbol.text;
            const QString& r = symbols.at(next).symbol.text;
            bool pointRead = false;
            for (int i = firstOn; i >= 0 && i <= lastOn; ++i)
                pointRead = pointRead || symbols.at(i).symbol.text.contains(QLatin1Char('.')) || symbols.at(i).symbol.text.contains(QLatin1Char(','));
            if (!pointRead && l.size() == 1 && l.front().isDigit() && r.size() == 1 && r.front().isDigit()) {
                // One figure: the words from the one before the point to the one after it.
                const int from = symbols.at(before).word, to = symbols.at(next).word;
                for (int i = 0; i < symbols.size(); ++i)
                    if (symbols.at(i).word >= from && symbols.at(i).word <= to)
                        symbols[i].word = from;
                if (firstOn >= 0)
                    symbols.erase(symbols.begin() + firstOn, symbols.begin() + lastOn + 1);
                symbols.insert(before + 1, {{pointShape ? QStringLiteral(".") : QStringLiteral(","), mark.left(), mark.right()}, from});
                changed = true;
            }
        }
    }
    if (changed)
        words = regroup(symbols, confidence, run, index);
}

// A decimal point in small print smoothed away: a screen drawn smaller than its own pixels (a
// picture scaled down) greys a one-pixel point to under half the digits' contrast, so it is no
// glyph and the recogniser reads the figure without it ("407104kHz" for "4.07104kHz"). Where a
// word of digits read with no point has, between two of its digits, a gap wider than the
// figure's other gaps with a faint mark on the digits' baseline there (darker than the columns
// beside it, nothing over it, nothing hanging below it as a comma would), the point is put back.
void mendFaintPoints(QList<ReadWord>& words, const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run)
{
    const int H = run.height;
    if (H < 5 || H > 10)
        return;
    static const QRegularExpression pointless(QStringLiteral("^\\d{3,}[A-Za-z\u00B5\u03A9]*$"));
    for (ReadWord& r : words) {
        if (!pointless.match(r.word.text).hasMatch() || spelling(r) != r.word.text)
            continue;
        qsizetype digits = 0;
        while (digits < r.symbols.size() && !r.symbols.at(digits).text.isEmpty() && r.symbols.at(digits).text.front().isDigit())
            ++digits;
        if (digits < 2)
            continue;
        int to = std::min(run.box.right(), r.symbols.at(digits - 1).right);
        if (digits < r.symbols.size())
            to = std::min(to, r.symbols.at(digits).left - 1);
        const int from = std::max(run.box.left(), r.symbols.first().left);
        if (to - from < 4)
            continue;
        int high = 0;
        for (int y = run.box.top(); y <= run.box.bottom(); ++y)
            for (int x = from; x <= to; ++x)
                high = std::max(high, int(scan.at(x, y)));
        // The digits' band: the rows where their strokes are half the strongest ink or more (the
        // glyphs' boxes take in the smoothed rows above and below).
        int top = INT_MAX, bottom = -1;
        for (int y = run.box.top(); y <= run.box.bottom(); ++y)
            for (int x = from; x <= to; ++x)
                if (scan.at(x, y) * 2 >= high) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                    break;
                }
        if (bottom < 0 || bottom + 2 >= scan.height || bottom - top + 1 < 5)
            continue;
        QList<int> column;  // each column's strongest ink over the band
        for (int x = from; x <= to; ++x) {
            int strongest = 0;
            for (int y = top; y <= bottom; ++y)
                strongest = std::max(strongest, int(scan.at(x, y)));
            column.append(strongest);
        }
        // The gaps: columns under half the strongest ink, between inked ones.
        struct Gap {
            int left, right;
        };
        QList<Gap> gaps;
        for (int x = 1; x < column.size(); ++x)
            if (column.at(x) * 2 < high && column.at(x - 1) * 2 >= high) {
                int end = x;
                while (end + 1 < column.size() && column.at(end + 1) * 2 < high)
                    ++end;
                if (end + 1 < column.size())
                    gaps.append({from + x, from + end});
                x = end;
            }
        if (gaps.size() < 2)
            continue;
        QList<int> widths;
        for (const Gap& g : gaps)
            widths.append(g.right - g.left + 1);
        std::sort(widths.begin(), widths.end());
        const int usual = widths.at(widths.size() / 2);
        auto foot = [&](int x) { return std::max(int(scan.at(x, bottom)), int(scan.at(x, bottom + 1))); };
        int found = -1;
        for (const Gap& g : gaps) {
            if (g.right - g.left + 1 < std::max(2, usual + 1))
                continue;
            int peak = g.left;
            for (int x = g.left; x <= g.right; ++x)
                if (foot(x) > foot(peak))
                    peak = x;
            // (Over it the column is bare down to the row above the baseline; the smoothed
            // edges of the digits beside it may reach into the gap's other columns.)
            bool clear = scan.at(peak, bottom + 2) * 5 < high;
            for (int y = top; y < bottom; ++y)
                clear = clear && scan.at(peak, y) * 5 < high;
            const int apart = high / 12;
            if (clear && foot(peak) * 10 >= high * 3 && foot(peak) - foot(peak - 1) >= apart && foot(peak) - foot(peak + 1) >= apart) {
                if (found >= 0) {  // two such marks: no one point
                    found = -1;
                    break;
                }
                found = peak;
            }
        }
        if (found < 0)
            continue;
        // Between the digits read on either side of it.
        for (qsizetype k = 0; k + 1 < digits; ++k) {
            const double here = (r.symbols.at(k).left + r.symbols.at(k).right) / 2.0;
            const double next = (r.symbols.at(k + 1).left + r.symbols.at(k + 1).right) / 2.0;
            if (here < found && next > found) {
                r.symbols.insert(k + 1, {QStringLiteral("."), found, found});
                r.word.text = spelling(r);
                break;
            }
        }
    }
}

// A degree sign is a small ring raised to the top of the line before a C or F, drawn smaller
// than anything else on its line, so it stands as a run of its own; the recogniser reads it as
// "O", "o", "a", "D" or "*", and a large C after it as a zero, which the segment decoder may
// take for a seven-segment 0 ("98.5 O 0"). Only C or F follow a degree ring.
void mendDegrees(QList<ScreenWord>& words, const ScreenSegmenter::Scan& scan)
{
    static const QRegularExpression ringRead(QStringLiteral("^[Oo0QDaces*\u00B0\"'.]{1,2}$"));
    for (int i = 0; i < words.size(); ++i) {
        const ScreenWord& ring = words.at(i);
        if (!ringRead.match(ring.text).hasMatch())
            continue;
        // The recogniser's box may cut into a large ring; the glyphs it stands on are whole.
        QRect r;
        for (const ScreenSegmenter::Run& run : scan.runs)
            for (const QRect& g : run.glyphs)
                if (g.intersects(ring.box))
                    r |= g;
        if (r.isEmpty() || r.width() > ring.box.width() * 2 + 2)
            r = ring.box;
        if (r.height() < 3)
            continue;
        const double aspect = double(r.width()) / r.height();
        if (aspect < 0.6 || aspect > 1.6 || solidity(scan, r) > (r.height() < 6 ? 0.9 : 0.8))
            continue;
        int letter = -1;
        for (int j = 0; j < words.size(); ++j) {
            const ScreenWord& w = words.at(j);
            const int h = w.textHeight;
            // The letter read once, or twice over ("Cc").
            const bool oneLetter = w.text.size() == 1 || (w.text.size() == 2 && w.text.at(1).toUpper() == w.text.at(0).toUpper());
            if (j == i || !oneLetter || w.box.left() <= r.right() || w.box.left() - r.right() > h * 0.7 || h < r.height() * 1.8)
                continue;
            const QRect& b = w.box;
            const bool raised = std::abs(r.top() - b.top()) <= std::max(2.0, h * 0.2) && r.bottom() <= b.top() + h * 0.55;
            if (raised && (letter < 0 || b.left() < words.at(letter).box.left()))
                letter = j;
        }
        if (letter < 0)
            continue;
        const ScreenWord& l = words.at(letter);
        const bool fahrenheit = QStringLiteral("FfEPT").contains(l.text.front());
        ScreenWord merged = l;
        merged.text = QString(QChar(0x00B0)) + (fahrenheit ? QLatin1Char('F') : QLatin1Char('C'));
        merged.box = l.box | r;
        merged.segmentDigits = false;
        merged.confidence = std::max(l.confidence, 60.f);
        const int letterLeft = l.box.left();
        words[i] = merged;
        words.removeAt(letter);
        if (letter < i)
            --i;
        // A thin ghost the recogniser saw at the ring's edge goes with it ("0 1 Cc").
        for (int j = int(words.size()) - 1; j >= 0; --j) {
            const QRect& b = words.at(j).box;
            if (j != i && b.left() >= r.left() && b.left() <= r.right() + 1 && b.right() < letterLeft && b.width() <= 2
                && words.at(j).text.size() == 1) {
                words.removeAt(j);
                if (j < i)
                    --i;
            }
        }
    }
}

// A large figure with its unit drawn smaller right after it ("69.425 µA", "287.1 kHz") is one
// run, but scaled for the figure the unit comes out too small for the recogniser, which drops or
// garbles it: the two are read apart, each at its own size. The figure's part may hold its
// point and minus sign; the unit's part is all glyphs well under the figure's height (and at
// least a fifth of it: a program may write "Volts" in small print beside large digits).
//
// Some programs set the unit as a subscript, its letters' tops well under the digits' tops
// ("58.99µA"): there a µ's tail may make the unit nearly as tall as a digit, and it may stand
// at letter spacing; how low it starts tells it from the figure. Such a split is marked
// `lowered`, and kept only where the figure's part reads as a figure that ends in a digit (a
// "kHz" written small has its z start low too, after a capital H).
QList<ScreenSegmenter::Run> splitAtSizeStep(const ScreenSegmenter::Run& run, bool* lowered)
{
    const QList<QRect>& g = run.glyphs;
    const int H = run.height;
    const int top = run.box.top();
    const auto small = [&](const QRect& r) { return r.height() <= H * 0.72 && r.height() >= H * 0.2; };
    const auto low = [&](const QRect& r) { return r.top() - top >= H * 0.3 && r.height() >= H * 0.2 && r.height() < H * 0.85; };
    qsizetype step = g.size();
    while (step > 0 && small(g.at(step - 1)))
        --step;
    qsizetype lowStep = g.size();
    while (lowStep > 0 && low(g.at(lowStep - 1)))
        --lowStep;
    // (The unit's first letter starts lower than a small letter of the figure's own print
    // would: at least two fifths of the digits' height under their tops.)
    const bool subscript = lowStep < g.size() && g.at(lowStep).top() - top >= H * 0.4;
    *lowered = false;
    if (H < 20 && H >= 12 && subscript && lowStep > 0) {
        step = lowStep;
        *lowered = true;
    }
    if (step == g.size() || step == 0 || (H < 20 && !*lowered))
        return {run};
    int tall = 0;
    for (qsizetype k = 0; k < step; ++k) {
        if (g.at(k).height() >= H * 0.85)
            ++tall;
        else if (g.at(k).height() > H * 0.4)
            return {run};  // a mixed line of text, not a figure and its unit
    }
    if (tall < 2)
        return {run};
    // A unit stands a space apart from its figure; a small letter closing a word of tall ones
    // ("kHz") stands at letter spacing. (The spacing is that of the tall glyphs side by side: a
    // decimal point stands wider apart from the digits around it.)
    const int gap = g.at(step).left() - g.at(step - 1).right() - 1;
    int widest = 0;
    for (qsizetype k = 1; k < step; ++k)
        if (g.at(k).height() >= H * 0.85 && g.at(k - 1).height() >= H * 0.85)
            widest = std::max(widest, g.at(k).left() - g.at(k - 1).right() - 1);
    if (!*lowered && (gap < std::max(2.0, H * 0.15) || gap <= widest))
        return {run};
    QList<ScreenSegmenter::Run> parts(2);
    for (qsizetype k = 0; k < g.size(); ++k) {
        ScreenSegmenter::Run& part = parts[k < step ? 0 : 1];
        part.glyphs.append(g.at(k));
        part.box |= g.at(k);
        part.height = std::max(part.height, g.at(k).height());
        part.frame = run.frame;
    }
    return parts;
}

// A minus sign the recogniser passed over in small print: a short flat mark just before a word
// that begins with a digit, about half-way up the digit, under none of the recogniser's
// characters, and standing apart from whatever is before it (a dash between two figures is no
// sign).
void mendMinus(QList<ReadWord>& words, const ScreenSegmenter::Run& run)
{
    const QList<QRect>& g = run.glyphs;
    if (run.height > 18 || g.size() < 2)
        return;
    auto covered = [&](const QRect& mark) {
        return std::any_of(words.begin(), words.end(), [&](const ReadWord& w) {
            return std::any_of(w.symbols.begin(), w.symbols.end(), [&](const ReadWord::Symbol& sym) {
                const double centre = (sym.left + sym.right) / 2.0;
                return centre >= mark.left() - 1 && centre <= mark.right() + 1;
            });
        });
    };
    for (ReadWord& w : words) {
        if (w.symbols.isEmpty() || w.word.text.isEmpty() || !w.word.text.front().isDigit())
            continue;
        const ReadWord::Symbol& first = w.symbols.first();
        qsizetype k = -1;
        for (qsizetype i = 0; i < g.size() && k < 0; ++i)
            if (g.at(i).right() >= first.left && g.at(i).left() <= first.right && g.at(i).height() >= run.height * 0.6)
                k = i;
        if (k <= 0)
            continue;
        const QRect& digit = g.at(k);
        const QRect& mark = g.at(k - 1);
        const int H = digit.height();
        const int gap = digit.left() - mark.right() - 1;
        const double middle = digit.top() + (H - 1) / 2.0;
        const double centre = (mark.top() + mark.bottom()) / 2.0;
        const bool flat = mark.height() <= std::max(2.0, H * 0.3) && mark.width() >= mark.height() * 1.5 && mark.width() <= H * 0.9;
        if (!flat || gap < 0 || gap > std::max(2.0, H * 0.4) || std::abs(centre - middle) > std::max(2.0, H * 0.25))
            continue;
        if (k >= 2 && mark.left() - g.at(k - 2).right() - 1 <= std::max(gap + 1, int(H * 0.3)))
            continue;
        if (covered(mark))
            continue;
        w.word.text.prepend(QLatin1Char('-'));
        w.symbols.prepend({QStringLiteral("-"), mark.left(), mark.right()});
        w.word.box.setLeft(std::min(w.word.box.left(), mark.left()));
    }
}

// A label's colon before a negative figure in small print ("Max:-131mV") is often lost to the
// recogniser, and a figure after a label and a dash then can't be told from one whose colon was
// read as the dash ("Max-131mV" for "Max:131mV"). The glyphs tell: a dot low on the line, the
// colon's, then a flat mark at the figure's middle, the minus, before its first digit. Where
// both stand there and only the dash was read, the colon is put back.
void mendColonBeforeMinus(QList<ReadWord>& words, const ScreenSegmenter::Run& run)
{
    const QList<QRect>& g = run.glyphs;
    if (run.height > 18 || g.size() < 4)
        return;
    static const QRegularExpression labelDash(QStringLiteral("^[A-Za-z]{2,8}-\\d"));
    for (ReadWord& w : words) {
        const qsizetype dash = w.word.text.indexOf(QLatin1Char('-'));
        if (!labelDash.match(w.word.text).hasMatch() || spelling(w) != w.word.text)
            continue;
        // (The dash's own character, where the spelling reaches it.)
        qsizetype at = -1;
        for (qsizetype i = 0, length = 0; i < w.symbols.size() && at < 0; length += w.symbols.at(i++).text.size())
            if (length == dash && w.symbols.at(i).text == QLatin1String("-"))
                at = i;
        if (at < 0 || at + 1 >= w.symbols.size())
            continue;
        const ReadWord::Symbol& digit = w.symbols.at(at + 1);
        qsizetype k = -1;
        for (qsizetype i = 0; i < g.size() && k < 0; ++i)
            if (g.at(i).right() >= digit.left && g.at(i).left() <= digit.right && g.at(i).height() >= run.height * 0.6)
                k = i;
        if (k < 2)
            continue;
        const QRect& first = g.at(k);
        const QRect& mark = g.at(k - 1);
        const QRect& dot = g.at(k - 2);
        const int H = first.height();
        const double middle = first.top() + (H - 1) / 2.0;
        const bool flat = mark.height() <= std::max(2.0, H * 0.3) && mark.width() >= mark.height() * 1.5 && mark.width() <= H * 0.9
                          && std::abs((mark.top() + mark.bottom()) / 2.0 - middle) <= std::max(2.0, H * 0.25);
        const int speck = std::max(2, H / 4);
        const bool low = dot.width() <= speck && dot.height() <= speck && dot.top() > middle && dot.right() < mark.left();
        if (!flat || !low)
            continue;
        w.word.text.insert(dash, QLatin1Char(':'));
        w.symbols.insert(at, {QStringLiteral(":"), dot.left(), dot.right()});
    }
}

// Whether a word with digits in large print spans more tall glyphs than it has characters
// other than points: the recogniser passed over one of them.
bool skipsGlyph(const QList<ReadWord>& words, const ScreenSegmenter::Run& run)
{
    if (run.height <= 18)
        return false;
    for (const ReadWord& r : words) {
        if (r.symbols.isEmpty() || !std::any_of(r.word.text.begin(), r.word.text.end(), [](QChar c) { return c.isDigit(); }))
            continue;
        const int from = r.symbols.first().left, to = r.symbols.last().right;
        const auto tall = std::count_if(run.glyphs.begin(), run.glyphs.end(), [&](const QRect& g) {
            return g.height() >= run.height * 0.7 && g.center().x() >= from && g.center().x() <= to;
        });
        const auto characters = std::count_if(r.symbols.begin(), r.symbols.end(), [](const ReadWord::Symbol& s) {
            return !s.text.isEmpty() && (s.text.front().isLetterOrNumber() || s.text.front() == QLatin1Char('+'));
        });
        if (tall > characters)
            return true;
        // A narrow first digit (a "1") passed over at the start of the figure lies outside its
        // characters: a tall glyph right before them that no character of the line covers.
        const auto covered = [&](const QRect& g) {
            return std::any_of(words.begin(), words.end(), [&](const ReadWord& o) {
                return std::any_of(o.symbols.begin(), o.symbols.end(), [&](const ReadWord::Symbol& s) {
                    return s.left <= g.center().x() && g.center().x() <= s.right;
                });
            });
        };
        if (std::any_of(run.glyphs.begin(), run.glyphs.end(), [&](const QRect& g) {
                return g.height() >= run.height * 0.7 && g.right() < from && from - g.right() <= run.height / 2 && !covered(g);
            }))
            return true;
    }
    return false;
}

// Character displays (the dot-matrix modules of home-made meters and chargers) draw every
// character in a cell of 5 × 7 dots from one standard set of shapes. The recogniser misreads
// them badly (the slashed zero as 8, "40.88V" as "48.35)"); read dot by dot against that set
// they are exact. Each row is five dots, the leftmost the highest bit.
struct DotCharacter {
    char16_t symbol;
    std::array<quint8, 7> rows;
};
constexpr DotCharacter dotCharacters[] = {
    {u'0', {0b01110, 0b10001, 0b10011, 0b10101, 0b11001, 0b10001, 0b01110}},
    {u'1', {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {u'2', {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111}},
    {u'3', {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110}},
    {u'4', {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010}},
    {u'5', {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110}},
    {u'6', {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110}},
    {u'7', {0b11111, 0b10001, 0b00001, 0b00010, 0b00100, 0b00100, 0b00100}},
    {u'7', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000}},  // the two sets' sevens
    {u'8', {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110}},
    {u'9', {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100}},
    {u'.', {0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b01100, 0b01100}},
    {u'-', {0b00000, 0b00000, 0b00000, 0b11111, 0b00000, 0b00000, 0b00000}},
    {u':', {0b00000, 0b01100, 0b01100, 0b00000, 0b01100, 0b01100, 0b00000}},
    {u'=', {0b00000, 0b00000, 0b11111, 0b00000, 0b11111, 0b00000, 0b00000}},
    {u'/', {0b00000, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b00000}},
    {u'%', {0b11000, 0b11001, 0b00010, 0b00100, 0b01000, 0b10011, 0b00011}},
    {u'\u00B0', {0b11100, 0b10100, 0b11100, 0b00000, 0b00000, 0b00000, 0b00000}},
    {u'\u03A9', {0b00000, 0b00000, 0b01110, 0b10001, 0b10001, 0b01010, 0b11011}},
    {u'A', {0b01110, 0b10001, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001}},
    {u'B', {0b11110, 0b10001, 0b10001, 0b11110, 0b10001, 0b10001, 0b11110}},
    {u'C', {0b01110, 0b10001, 0b10000, 0b10000, 0b10000, 0b10001, 0b01110}},
    {u'D', {0b11100, 0b10010, 0b10001, 0b10001, 0b10001, 0b10010, 0b11100}},
    {u'H', {0b10001, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001}},
    {u'E', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b11111}},
    {u'F', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b10000}},
    {u'I', {0b01110, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {u'L', {0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b11111}},
    {u'M', {0b10001, 0b11011, 0b10101, 0b10101, 0b10001, 0b10001, 0b10001}},
    {u'N', {0b10001, 0b10001, 0b11001, 0b10101, 0b10011, 0b10001, 0b10001}},
    {u'P', {0b11110, 0b10001, 0b10001, 0b11110, 0b10000, 0b10000, 0b10000}},
    {u'R', {0b11110, 0b10001, 0b10001, 0b11110, 0b10100, 0b10010, 0b10001}},
    {u'S', {0b01111, 0b10000, 0b10000, 0b01110, 0b00001, 0b00001, 0b11110}},
    {u'T', {0b11111, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100}},
    {u'U', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {u'V', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01010, 0b00100}},
    {u'W', {0b10001, 0b10001, 0b10001, 0b10101, 0b10101, 0b10101, 0b01010}},
    {u'h', {0b10000, 0b10000, 0b10110, 0b11001, 0b10001, 0b10001, 0b10001}},
    {u'k', {0b10000, 0b10000, 0b10010, 0b10100, 0b11000, 0b10100, 0b10010}},
    {u'm', {0b00000, 0b00000, 0b11010, 0b10101, 0b10101, 0b10001, 0b10001}},
    {u'z', {0b00000, 0b00000, 0b11111, 0b00010, 0b00100, 0b01000, 0b11111}},
};

// A run of a character display read dot by dot: its words, or nothing unless every glyph of it
// is clearly one of the display's characters. The dots' pitch is the tallest glyph's height
// over seven rows down, the widest glyph's width over five columns across; each glyph is as
// many columns wide as its ink spans, placed in its cell wherever that matches. (The set's O
// is left out: a zero drawn without a slash, in another small face, is no letter.)
QList<ReadWord> readDotMatrix(const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run, int index)
{
    QList<ReadWord> out;
    if (run.height < 14 || run.glyphs.size() < 3)
        return out;
    // Only a line standing apart: a glyph of another run reaching into its line about a cell
    // from it (a point or characters joined to the line below) may be part of its first or
    // last word.
    for (const ScreenSegmenter::Run& other : scan.runs) {
        if (other.box == run.box
            || (other.box.top() >= run.box.top() - run.height / 4 && other.box.bottom() <= run.box.bottom() + run.height / 4))
            continue;
        for (const QRect& g : other.glyphs) {
            const int gap = std::max(g.left() - run.box.right(), run.box.left() - g.right());
            if (g.bottom() >= run.box.top() && g.top() <= run.box.bottom() && gap <= run.height)
                return out;
        }
    }
    int widest = 0, top = run.box.bottom();
    for (const QRect& g : run.glyphs)
        if (g.height() == run.height) {
            widest = std::max(widest, g.width());
            top = std::min(top, g.top());
        }
    const double rowPitch = (run.height + 1) / 7.0, columnPitch = (widest + 1) / 5.0;
    if (columnPitch < rowPitch * 0.6 || columnPitch > rowPitch * 1.3)
        return out;
    const std::vector<bool> mask = ScreenSegmenter::runMask(scan, run.box);
    const int bw = run.box.width();
    // A dot is lit when most of its middle is ink. Dots fill about three quarters of their
    // pitch; the outermost stand at the glyph's edges.
    const double dotWidth = columnPitch * 0.75, dotHeight = rowPitch * 0.75;
    auto lit = [&](double cx, double cy) {
        const int rx = int(dotWidth / 3), ry = int(dotHeight / 3);
        int ink = 0, all = 0;
        for (int y = int(std::lround(cy)) - ry; y <= int(std::lround(cy)) + ry; ++y)
            for (int x = int(std::lround(cx)) - rx; x <= int(std::lround(cx)) + rx; ++x) {
                ++all;
                if (run.box.contains(x, y))
                    ink += mask[size_t(y - run.box.top()) * size_t(bw) + size_t(x - run.box.left())] ? 1 : 0;
            }
        return ink * 2 > all;
    };
    int lastRight = INT_MIN;
    for (const QRect& g : run.glyphs) {
        const int columns = int(std::lround(g.width() / columnPitch + 0.2));
        const int firstRow = int(std::lround((g.top() - top) / rowPitch));
        if (columns < 1 || columns > 5 || firstRow < 0)
            return {};
        std::array<quint8, 7> rows{};
        for (int r = 0; r < 7; ++r)
            for (int c = 0; c < columns; ++c)
                if (lit(columns == 1 ? g.left() + (g.width() - 1) / 2.0
                                     : g.left() + (dotWidth - 1) / 2 + c * (g.width() - dotWidth) / (columns - 1),
                        top + (dotHeight - 1) / 2 + r * (run.height - dotHeight) / 6))
                    rows[size_t(r)] |= quint8(1 << (columns - 1 - c));
        // The nearest character, in dots that differ (a photograph's blur may lose one), and the
        // nearest of the others: it must be clearly the one.
        std::map<char16_t, int> nearest;
        for (const DotCharacter& d : dotCharacters)
            for (int shift = 0; shift + columns <= 5; ++shift) {
                int differ = 0;
                for (int r = 0; r < 7; ++r)
                    differ += std::popcount(unsigned(d.rows[size_t(r)] ^ quint8(rows[size_t(r)] << (5 - columns - shift))));
                const auto [at, added] = nearest.try_emplace(d.symbol, differ);
                at->second = std::min(at->second, differ);
            }
        QChar found;
        int best = 99, second = 99;
        for (const auto& [symbol, differ] : nearest) {
            if (differ < best) {
                second = best;
                best = differ;
                found = QChar(symbol);
            } else {
                second = std::min(second, differ);
            }
        }
        if (best > 1 || second < best + 2)
            found = QChar();
        if (found.isNull())
            return {};
        // A space is a whole cell of six columns; characters side by side stand two or three
        // columns apart at most.
        if (out.isEmpty() || g.left() - lastRight > columnPitch * 4.5) {
            ReadWord r;
            r.word.box = g;
            r.word.confidence = 90;
            r.word.row = index;
            out.append(r);
        }
        ReadWord& r = out.last();
        r.symbols.append({QString(found), g.left(), g.right()});
        r.word.text += found;
        r.word.box |= g;
        lastRight = g.right();
    }
    for (ReadWord& r : out) {
        r.word.box = QRect(QPoint(r.word.box.left(), run.box.top()), QPoint(r.word.box.right(), run.box.bottom()));
        r.word.textHeight = tallestGlyphIn(run, r.word.box.left(), r.word.box.right());
    }
    return out;
}

// Whether the recogniser read a 9 where the glyph has no closed bowl: a 5 of some faces, whose
// top stroke stands close over its open bowl, reads as "9" at some sizes ("90.00Hz" for
// "50.00Hz"). Not in the smallest print, where a bowl may close up to a pixel or none, and only
// a digit as tall as the run on one glyph of its own.
bool readsOpenNine(const QList<ReadWord>& words, const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run)
{
    if (run.height <= 12)
        return false;
    auto closed = [&](const QRect& g) {
        const std::vector<bool> ink = ScreenSegmenter::runMask(scan, g);
        const int gw = g.width(), gh = g.height();
        // The background reached from the glyph's edges, stepping four ways (ink that joins
        // only corner to corner still closes a bowl, so this is not the segmenter's eight-way
        // pieces); what is left is enclosed by ink.
        std::vector<bool> reached(ink.size(), false);
        std::vector<int> todo;
        for (int y = 0; y < gh; ++y)
            for (int x = 0; x < gw; ++x)
                if ((x == 0 || y == 0 || x == gw - 1 || y == gh - 1) && !ink[size_t(y * gw + x)]) {
                    reached[size_t(y * gw + x)] = true;
                    todo.push_back(y * gw + x);
                }
        while (!todo.empty()) {
            const int i = todo.back();
            todo.pop_back();
            const int x = i % gw, y = i / gw;
            for (const int j : {x > 0 ? i - 1 : -1, x + 1 < gw ? i + 1 : -1, y > 0 ? i - gw : -1, y + 1 < gh ? i + gw : -1})
                if (j >= 0 && !ink[size_t(j)] && !reached[size_t(j)]) {
                    reached[size_t(j)] = true;
                    todo.push_back(j);
                }
        }
        for (size_t i = 0; i < ink.size(); ++i)
            if (!ink[i] && !reached[i])
                return true;
        // A digit drawn as separate bars (a segment face with gaps at its corners) never closes
        // a bowl: its 9 is told from a 5 by the bar down its right side above the middle.
        std::vector<int> labels;
        const QList<QRect> bars = ScreenSegmenter::pieces(ink, gw, gh, labels);
        const int barLength = std::max(3, gh / 5);
        if (std::count_if(bars.begin(), bars.end(), [&](const QRect& b) { return std::max(b.width(), b.height()) >= barLength; }) >= 4) {
            int inked = 0;
            const int top = gh * 15 / 100, bottom = gh * 40 / 100;
            for (int y = top; y < bottom; ++y)
                for (int x = gw * 3 / 4; x < gw; ++x)
                    if (ink[size_t(y * gw + x)]) {
                        ++inked;
                        break;
                    }
            return inked * 10 >= (bottom - top) * 8;
        }
        return false;
    };
    for (const ReadWord& r : words)
        for (const ReadWord::Symbol& sym : r.symbols) {
            if (sym.text != QLatin1String("9"))
                continue;
            const int centre = (sym.left + sym.right) / 2;
            const auto on = std::find_if(run.glyphs.begin(), run.glyphs.end(), [&](const QRect& g) { return g.left() <= centre && centre <= g.right(); });
            if (on != run.glyphs.end() && on->height() * 10 >= run.height * 8 && !closed(*on))
                return true;
        }
    return false;
}

// A digit the recogniser passed over at every size in large print, read on its own: a pixel
// face's "1" (a stem with a block for its flag) standing a wide gap before the "7" of "179.7225"
// is lost from the line but read alone without doubt. The glyph must be one that no character
// covers, in the figure or just before it, standing on the line of its digits as tall as they
// are and no wider (a numbered badge, an icon before a figure read alone as "9" or "8"), and no
// bare stroke (a cursor's bar, a frame's edge, which alone read as "1" too); it must read as the
// same digit, surely, at two sizes.
void readSkippedDigits(tesseract::TessBaseAPI* api, const ScreenSegmenter::Scan& scan, QList<ReadWord>& words,
                       const ScreenSegmenter::Run& run, int index)
{
    // (The recogniser's box for the character after a skipped glyph often spans it too: a glyph
    // is read when a character's middle falls in it.)
    const auto covered = [&](const QRect& g) {
        return std::any_of(words.begin(), words.end(), [&](const ReadWord& o) {
            return std::any_of(o.symbols.begin(), o.symbols.end(), [&](const ReadWord::Symbol& s) {
                return g.left() <= (s.left + s.right) / 2 && (s.left + s.right) / 2 <= g.right();
            });
        });
    };
    for (ReadWord& r : words) {
        if (r.symbols.isEmpty() || !std::any_of(r.word.text.begin(), r.word.text.end(), [](QChar c) { return c.isDigit(); }))
            continue;
        // The digits read: the glyphs under them, their top, foot and width.
        QList<int> tops, bottoms, widths;
        for (const QRect& g : run.glyphs)
            for (const ReadWord::Symbol& sym : r.symbols)
                if (sym.text.size() == 1 && sym.text.front().isDigit() && g.left() <= (sym.left + sym.right) / 2
                    && (sym.left + sym.right) / 2 <= g.right()) {
                    tops.append(g.top());
                    bottoms.append(g.bottom());
                    widths.append(g.width());
                    break;
                }
        if (tops.isEmpty())
            continue;
        std::sort(tops.begin(), tops.end());
        std::sort(bottoms.begin(), bottoms.end());
        std::sort(widths.begin(), widths.end());
        const int top = tops.at(tops.size() / 2), bottom = bottoms.at(bottoms.size() / 2);
        const double widest = widths.at(widths.size() / 2) * 1.3;
        // A digit of the figure stands on its digits' line, as tall as they are and no wider: a
        // numbered badge or an icon beside a figure does not. There must be more such glyphs than
        // digits read (the recogniser's box for a digit may lie off its glyph).
        const int slack = std::max(2, (bottom - top) / 12);
        const int from = r.symbols.first().left, to = r.symbols.last().right;
        auto candidate = [&](const QRect& g) {
            const bool inside = g.center().x() >= from && g.center().x() <= to;
            const bool before = g.right() < from && from - g.right() <= run.height / 2;
            return (inside || before) && std::abs(g.top() - top) <= slack && std::abs(g.bottom() - bottom) <= slack && g.width() <= widest
                   && g.width() * 6 >= g.height();
        };
        auto digits = std::count_if(r.symbols.begin(), r.symbols.end(), [](const ReadWord::Symbol& sym) {
            return sym.text.size() == 1 && sym.text.front().isDigit();
        });
        const auto places = std::count_if(run.glyphs.begin(), run.glyphs.end(), candidate);
        for (const QRect& g : run.glyphs) {
            if (digits >= places || !candidate(g) || covered(g))
                continue;
            ScreenSegmenter::Run alone;
            alone.box = g;
            alone.glyphs = {g};
            alone.height = g.height();
            alone.frame = run.frame;
            QString digit;
            bool sure = true;
            for (const int height : {28, 60}) {
                const QList<ReadWord> read = readRun(api, scan, alone, index, height);
                const bool one = read.size() == 1 && read.first().word.text.size() == 1 && read.first().word.text.front().isDigit()
                                 && read.first().word.confidence >= 80;
                if (!one || (!digit.isEmpty() && digit != read.first().word.text)) {
                    sure = false;
                    break;
                }
                digit = read.first().word.text;
            }
            if (!sure)
                continue;
            qsizetype at = 0;
            while (at < r.symbols.size() && r.symbols.at(at).left + r.symbols.at(at).right < g.left() + g.right())
                ++at;
            r.symbols.insert(at, {digit, g.left(), g.right()});
            ++digits;
            r.word.text = spelling(r);
            r.word.box |= QRect(g.left(), r.word.box.top(), g.width(), r.word.box.height());
        }
    }
}

float lowestConfidence(const QList<ReadWord>& words)
{
    float lowest = words.isEmpty() ? 0 : 100;
    for (const ReadWord& r : words)
        lowest = std::min(lowest, r.word.confidence);
    return lowest;
}

// Confidence per character read, so that dropping a hard word doesn't look like doing better.
float meanConfidence(const QList<ReadWord>& words)
{
    double sum = 0;
    int chars = 0;
    for (const ReadWord& r : words) {
        const ScreenWord& w = r.word;
        sum += double(w.confidence) * w.text.size();
        chars += int(w.text.size());
    }
    return chars ? float(sum / chars) : 0;
}

}  // namespace

// A small square mark on the baseline between two glyphs of full height (or a colon's before a
// signed value).
bool hasDecimalPoint(const ScreenSegmenter::Run& run)
{
    const int h = run.height;
    for (int g = 1; g + 1 < run.glyphs.size(); ++g) {
        const QRect& p = run.glyphs.at(g);
        const bool small = p.width() <= std::max(2, h * 45 / 100) && p.height() <= std::max(2, h * 35 / 100);
        const QRect& before = run.glyphs.at(g - 1);
        const QRect& after = run.glyphs.at(g + 1);
        const bool onBaseline = std::abs(before.bottom() - p.bottom()) <= std::max(1, h / 5) && std::abs(after.bottom() - p.bottom()) <= std::max(1, h / 5);
        if (small && onBaseline && before.height() >= h * 6 / 10 && after.height() >= h * 6 / 10)
            return true;
        // A label's colon with a signed value after it ("Cur:-245mV"): the dot on the baseline,
        // a flat bar at mid height, then a tall glyph.
        if (g + 2 < run.glyphs.size() && small && before.height() >= h * 6 / 10 && std::abs(before.bottom() - p.bottom()) <= std::max(1, h / 5)) {
            const QRect& next = run.glyphs.at(g + 2);
            const bool minus = after.height() <= std::max(2, h / 4) && after.width() >= after.height() * 2 && after.bottom() < p.bottom()
                               && after.top() > next.top();
            if (minus && next.height() >= h * 6 / 10 && next.left() - after.right() <= h / 2)
                return true;
        }
    }
    return false;
}

// An equals sign (two flat bars, one above the other) with a tall glyph (a digit) right after
// it: a labelled readout in small print ("Freq=606 Hz"), its value just after the sign.
bool hasEqualsBeforeValue(const ScreenSegmenter::Run& run)
{
    const int h = run.height;
    const QList<QRect>& g = run.glyphs;
    auto flat = [&](const QRect& r) { return r.height() <= std::max(2, h / 4) && r.width() >= r.height() * 2 && r.width() <= h; };
    for (qsizetype k = 0; k + 2 < g.size(); ++k) {
        const QRect& upper = g.at(k);
        const QRect& lower = g.at(k + 1);
        const QRect& next = g.at(k + 2);
        const int overlap = std::min(upper.right(), lower.right()) - std::max(upper.left(), lower.left()) + 1;
        const int apart = std::max(lower.top() - upper.bottom(), upper.top() - lower.bottom()) - 1;
        if (flat(upper) && flat(lower) && overlap * 10 >= std::max(upper.width(), lower.width()) * 7 && apart >= 1 && apart <= h / 2
            && next.left() - std::max(upper.right(), lower.right()) <= h && next.height() * 10 >= h * 6)
            return true;
    }
    return false;
}

// Whether the run's last two glyphs are an equals sign: two flat bars of one width, one right
// over the other ("[1]=", a channel's tag before its value, is four characters).
bool endsInEqualsSign(const ScreenSegmenter::Run& run)
{
    const QList<QRect>& g = run.glyphs;
    if (g.size() < 3)
        return false;
    const QRect& upper = g.at(g.size() - 2);
    const QRect& lower = g.at(g.size() - 1);
    const int h = run.height;
    auto flat = [&](const QRect& r) { return r.height() <= std::max(2, h / 4) && r.width() >= r.height() * 2 && r.width() <= h; };
    const int apart = std::max(lower.top() - upper.bottom(), upper.top() - lower.bottom()) - 1;
    return flat(upper) && flat(lower) && std::abs(upper.left() - lower.left()) <= 1 && std::abs(upper.right() - lower.right()) <= 1 && apart >= 1
           && apart <= h / 2;
}

// A lone stroke six times as tall as it is wide is a drawing (a cursor line, a tick, a bar of
// a frame broken off; a lone 1 has its flag, and a lone l is no reading): read last, when the
// budget allows.
bool isLoneStroke(const ScreenSegmenter::Run& run)
{
    return run.glyphs.size() == 1 && run.glyphs.first().width() * 6 < run.glyphs.first().height();
}

// A lone glyph three and a half times as wide as it is tall is no character either: a widget
// drawn round its text (a drop-down box, a button), a bar, or a word whose letters ran into one
// blob.
bool isLoneWideShape(const ScreenSegmenter::Run& run)
{
    return run.glyphs.size() == 1 && run.glyphs.first().width() * 2 > run.glyphs.first().height() * 7;
}

// Whether `box` stands within the band of `line`'s run, give or take a quarter of its height.
bool withinLineOf(const QRect& box, const ScreenSegmenter::Run& line)
{
    return box.top() >= line.box.top() - line.height / 4 && box.bottom() <= line.box.bottom() + line.height / 4;
}

// The same for words beside a figure, whose descenders ("p" "q" "g", brackets, the stem of a µ)
// hang below the figure's foot by up to a third of its height: "Freq:", "Voltage (p-p):", "µs".
bool besideFigure(const QRect& box, const ScreenSegmenter::Run& figure)
{
    return box.top() >= figure.box.top() - figure.height / 4 && box.bottom() <= figure.box.bottom() + figure.height / 3;
}

// Whether a run has a glyph of a small letter's height in print of `height`, between a point's
// or a dash's and a digit's: words in lower case have them, figures, their signs and capitals
// don't. (A word of small letters alone may come as a run of its own, shorter than its line's
// figures: its glyphs are measured against the line's print, not its own.)
bool hasSmallLetter(const ScreenSegmenter::Run& run, int height)
{
    return std::any_of(run.glyphs.begin(), run.glyphs.end(), [&](const QRect& g) { return g.height() * 20 >= height * 9 && g.height() * 5 < height * 4; });
}

// Whether a run has a decimal point: a small mark on the baseline with tall glyphs close on
// either side and nothing over it. A colon's lower dot has its upper dot over it: a time
// ("10:21:03") is no figure with a point. With `scan`, faint ink over the mark counts too: in
// small smoothed print a colon's upper dot may be too faint to make a glyph of its own.
bool hasPointNoColon(const ScreenSegmenter::Run& run, const ScreenSegmenter::Scan* scan = nullptr)
{
    constexpr int faintInk = 40;
    const int h = run.height;
    for (const QRect& p : run.glyphs) {
        if (p.width() > std::max(2, h * 45 / 100) || p.height() > std::max(2, h * 35 / 100))
            continue;
        bool left = false, right = false, over = false;
        for (const QRect& g : run.glyphs) {
            const bool tall = g.height() >= h * 6 / 10 && std::abs(g.bottom() - p.bottom()) <= std::max(1, h / 5);
            left = left || (tall && g.right() < p.left() && p.left() - g.right() <= h / 2);
            right = right || (tall && g.left() > p.right() && g.left() - p.right() <= h / 2);
            over = over || (g != p && g.bottom() < p.top() && g.left() <= p.right() && g.right() >= p.left());
        }
        for (int y = run.box.top(); scan && y < p.top() - 1 && !over; ++y)
            for (int x = p.left(); x <= p.right() && !over; ++x)
                over = scan->at(x, y) >= faintInk;
        if (left && right && !over)
            return true;
    }
    return false;
}

// The runs on the top lines of a log's column of stamps, each with the priority it is read at:
// four or more runs of one size and one width (dates, times, record numbers printed in a fixed
// pattern) stacked at a steady pitch (up to three lines of their print apart, as a web page's
// table sets its rows), their left edges in line, none a figure with a point, and
// not mostly words after them (an event log's messages). A column of labels down a form differs
// in width; a column of measured figures (a scope's statistics table) is read by its own rules,
// its rows no log's.
QList<std::pair<int, int>> logHeadLines(const ScreenSegmenter::Scan& scan, const QList<bool>& strokes, const QList<int>& measured)
{
    constexpr int headLines = 3;
    constexpr int fewestLines = 4;
    const qsizetype n = scan.runs.size();
    // (A time's colon, its upper dot too faint for a glyph, leaves its lower dot standing as a
    // point does: "13:55:58" is a stamp all the same.)
    QList<bool> hasPoint(n, false);
    for (const int a : measured)
        hasPoint[a] = hasPointNoColon(scan.runs.at(a), &scan) || hasEqualsBeforeValue(scan.runs.at(a));
    QList<int> next(n, -1);
    QList<bool> follows(n, false);
    for (int a = 0; a < n; ++a) {
        const ScreenSegmenter::Run& upper = scan.runs.at(a);
        // (A stamp is several characters wide: a column of check boxes or bullets is none. And it
        // is figures, their signs and capitals: a glyph of a small letter's height, between a
        // point's or a dash's and a digit's, makes a name ("Channel0" down a table's rows).)
        const bool smallLetter = hasSmallLetter(upper, upper.height);
        // (And it opens its line: nothing before it but an index or a mark, narrower than a
        // stamp. A count closing a table's rows is no stamp. A record number of five digits
        // before a date and time is an index all the same: a third of the stamp's width.)
        const bool opensLine = std::none_of(scan.runs.begin(), scan.runs.end(), [&](const ScreenSegmenter::Run& o) {
            return o.box.right() < upper.box.left() && o.box.center().y() >= upper.box.top() && o.box.center().y() <= upper.box.bottom()
                   && o.box.width() >= std::max(upper.height * 2, upper.box.width() / 3);
        });
        if (strokes.at(a) || upper.height < 5 || upper.box.width() < upper.height * 2 || upper.glyphs.size() < 2 || smallLetter || !opensLine)
            continue;
        for (int b = 0; b < n; ++b) {
            const ScreenSegmenter::Run& lower = scan.runs.at(b);
            const int gap = lower.box.top() - upper.box.bottom();
            if (b == a || strokes.at(b) || std::abs(lower.box.left() - upper.box.left()) > 1 || std::abs(lower.height - upper.height) * 4 > upper.height
                || gap < 1 || gap > upper.height * 3)
                continue;
            if (std::abs(lower.box.width() - upper.box.width()) > 2 || hasPoint.at(a) || hasPoint.at(b))
                continue;
            if (next.at(a) < 0 || lower.box.top() < scan.runs.at(next.at(a)).box.top())
                next[a] = b;
        }
    }
    for (int a = 0; a < n; ++a)
        if (next.at(a) >= 0)
            follows[next.at(a)] = true;
    QList<std::pair<int, int>> boosted;
    for (int head = 0; head < n; ++head) {
        if (follows.at(head) || next.at(head) < 0)
            continue;
        QList<int> column{head};
        while (next.at(column.last()) >= 0 && !column.contains(next.at(column.last())))
            column.append(next.at(column.last()));
        if (column.size() < fewestLines)
            continue;
        // (At a steady pitch: each line as far under the one before as the first is.)
        const int pitch = scan.runs.at(column.at(1)).box.top() - scan.runs.at(column.at(0)).box.top();
        bool steady = pitch > 0;
        for (int k = 1; k < column.size() && steady; ++k) {
            const int step = scan.runs.at(column.at(k)).box.top() - scan.runs.at(column.at(k - 1)).box.top();
            steady = std::abs(step - pitch) * 5 <= pitch;
        }
        if (!steady)
            continue;
        // (A log of readings: its lines carry figures after their stamp, with a point or in a
        // column of numbers and capitals ("-0.5136 VDC"). A program's event log stamps its
        // messages alike ("connected", "output on", a command's echo), but its lines are words
        // in lower case: read first, they would spend the budget before the program's readout
        // panel is read. A column with nothing after its lines, a plot's legend, is no message
        // log either.)
        constexpr int longestRecord = 50;
        int figureLines = 0, wordLines = 0;
        for (const int stamp : column) {
            const ScreenSegmenter::Run& s = scan.runs.at(stamp);
            bool point = false;
            int figures = 0, words = 0;
            for (int r = 0; r < n; ++r) {
                const QRect& box = scan.runs.at(r).box;
                if (r == stamp || strokes.at(r) || scan.runs.at(r).glyphs.size() < 2 || box.left() <= s.box.right()
                    || box.left() - s.box.right() > s.height * longestRecord || box.center().y() < s.box.top() || box.center().y() > s.box.bottom()
                    || std::abs(scan.runs.at(r).height - s.height) * 2 > s.height)
                    continue;
                point = point || hasPointNoColon(scan.runs.at(r));
                ++(hasSmallLetter(scan.runs.at(r), s.height) ? words : figures);
            }
            figureLines += point || (figures > 0 && figures >= words);
            wordLines += !point && words > figures;
        }
        if (wordLines * 2 >= column.size() && wordLines > figureLines)
            continue;
        // (The line a pitch over the column's head too: a log's top line whose stamp came out of
        // another shape, cut short by the heading's rule, is its first line all the same.)
        const ScreenSegmenter::Run& first = scan.runs.at(column.first());
        QList<QRect> lines{first.box.translated(0, -pitch)};
        // (And the row of column headings over the first line, set further off above it than a
        // pitch under a rule of its own: "Time", "Volt", "Curr" name what each column holds,
        // often its unit.)
        int heading = -1;
        for (int r = 0; r < n; ++r) {
            const QRect& box = scan.runs.at(r).box;
            if (!strokes.at(r) && box.bottom() < first.box.top() && first.box.top() - box.bottom() <= pitch * 2 && box.left() >= first.box.left()
                && std::abs(scan.runs.at(r).height - first.height) * 2 <= first.height && (heading < 0 || box.bottom() > scan.runs.at(heading).box.bottom()))
                heading = r;
        }
        if (heading >= 0)
            lines.append(scan.runs.at(heading).box);
        for (int k = 0; k < headLines; ++k)
            lines.append(scan.runs.at(column.at(k)).box);
        // (A record of a reading is short: a stamp, a figure, its unit and a few flags. A line
        // running on far past that is a message log's prose, read in its turn; but where the
        // line's first part holds a figure with a point, in a log whose lines are all figures,
        // it is a table's row of readings running on with further columns (totals, counters):
        // those are read in their turn, the record's own part of the line first.)
        const int reach = first.box.left() + first.height * longestRecord;
        for (const QRect& line : lines) {
            QList<int> onLine;
            int right = first.box.left();
            bool figure = false;
            for (int r = 0; r < n; ++r) {
                const QRect& box = scan.runs.at(r).box;
                if (!strokes.at(r) && box.center().y() >= line.top() && box.center().y() <= line.bottom()
                    && std::abs(scan.runs.at(r).height - first.height) * 2 <= first.height) {
                    onLine.append(r);
                    right = std::max(right, box.right());
                    figure = figure || (box.right() <= reach && hasPointNoColon(scan.runs.at(r), &scan));
                }
            }
            if (right > reach && (wordLines > 0 || !figure))
                continue;
            for (const int r : onLine)
                if (scan.runs.at(r).box.right() <= reach)
                    boosted.append({r, first.height * 2});
        }
    }
    return boosted;
}

// An oscilloscope dims its measurement strip while a menu is open over the screen, to half the
// brightness of its other text or less, with its menus and labels, and the ordinary scan takes
// them for background: what it finds is little (the status bar's values, the channels' scales,
// under two dozen runs where a scope's screen has several dozen). On such a scope's screen (a
// trace across it) with no labelled readout ("Freq=1.00kHz") in its ordinary print, the
// readouts drawn faintly are looked for: runs with a value after an equals sign, with the short
// words on their line right beside them (a unit standing apart), where no ordinary run stands.
// Only readouts: other faint print (an inactive channel's scale, a greyed menu entry) stays
// unread.
constexpr qsizetype fewRunsOfPrint = 24;
void addFaintReadouts(ScreenSegmenter::Scan& scan, const QImage& image)
{
    if (!scan.waveform || scan.runs.size() >= fewRunsOfPrint || std::any_of(scan.runs.begin(), scan.runs.end(), hasEqualsBeforeValue))
        return;
    const ScreenSegmenter::Scan faint = ScreenSegmenter::faintScan(image);
    const auto free = [&](const QRect& box) {
        return std::none_of(scan.runs.begin(), scan.runs.end(), [&](const ScreenSegmenter::Run& r) { return r.box.intersects(box); });
    };
    QList<ScreenSegmenter::Run> found;
    for (const ScreenSegmenter::Run& r : faint.runs)
        if (hasEqualsBeforeValue(r) && free(r.box))
            found.append(r);
    const qsizetype readouts = found.size();
    for (const ScreenSegmenter::Run& r : faint.runs) {
        if (hasEqualsBeforeValue(r) || !free(r.box) || r.glyphs.size() > 3)
            continue;
        if (std::any_of(found.begin(), found.begin() + readouts, [&](const ScreenSegmenter::Run& v) {
                const int gap = r.box.left() - v.box.right();
                return gap >= -2 && gap <= v.height && withinLineOf(r.box, v);
            }))
            found.append(r);
    }
    for (ScreenSegmenter::Run r : found) {
        for (int y = r.box.top(); y <= r.box.bottom(); ++y)
            for (int x = r.box.left(); x <= r.box.right(); ++x)
                scan.contrast[size_t(y) * size_t(scan.width) + size_t(x)] = faint.at(x, y);
        r.frame = ScreenSegmenter::innermostFrame(scan.frames, r.box);
        scan.runs.append(r);
    }
}

QSize readingSize(const QSize& size)
{
    const qint64 pixels = qint64(size.width()) * size.height();
    if (size.isEmpty() || pixels <= halvedAbovePixels)
        return size;
    if (pixels <= 4 * halvedAbovePixels)
        return QSize(size.width() / 2, size.height() / 2);
    const double scale = std::sqrt(double(halvedAbovePixels) / double(pixels));
    return QSize(std::max(1, int(size.width() * scale)), std::max(1, int(size.height() * scale)));
}

QImage loadCapture(const QString& path)
{
    QImageReader reader(path);
    const QSize size = reader.size();
    // A JPEG read at a fraction of its size is decoded at that size: its decoder leaves out the
    // detail the reading would drop, which costs a fraction of decoding the whole frame and
    // halving it, and leaves fewer specks of the camera's noise to be taken for print. A capture
    // of any other format is decoded at its reading size only when that is below half (a
    // camera's full frame costs more to decode than reading the screen); at half size or whole
    // it is decoded whole, and halved smoothly.
    const qint64 pixels = qint64(size.width()) * size.height();
    if (size.isValid() && (pixels > 4 * halvedAbovePixels || (pixels > halvedAbovePixels && reader.format() == "jpeg")))
        reader.setScaledSize(readingSize(size));
    return reader.read();
}

std::optional<ScreenText> recognizeScreen(const QImage& source, QString* error)
{
    ScreenText out;
    if (source.isNull() || source.width() <= 0 || source.height() <= 0)
        return out;
    const QSize read = readingSize(source.size());
    const QImage image = read != source.size() ? source.scaled(read, Qt::IgnoreAspectRatio, Qt::SmoothTransformation) : source;
    tesseract::TessBaseAPI* api = screenEngine(error);
    if (!api)
        return std::nullopt;
    t_linesRead.clear();
    ScreenSegmenter::Scan scan = ScreenSegmenter::scan(image);
    addFaintReadouts(scan, image);
    out.size = image.size();
    out.boxes = scan.frames;
    out.waveform = scan.waveform;

    // Seven-segment numbers first: their glyphs are the decoder's. A number that is exactly one
    // run of joined strokes is read by the recogniser too (it may be printed digits).
    QList<SegmentNumber> numbers = segmentNumbers(scan);
    if (keepLitLampOnly(scan, image, numbers)) {
        numbers = segmentNumbers(scan);
        out.boxes = scan.frames;
    }
    QList<QList<bool>> decoded;  // per run, per glyph: taken by a decoded number
    for (const ScreenSegmenter::Run& run : scan.runs)
        decoded.append(QList<bool>(run.glyphs.size(), false));
    for (const SegmentNumber& n : numbers)
        if (!n.printed)
            for (const auto& [run, glyph] : n.glyphs)
                decoded[run][glyph] = true;

    // Every other run (or what the decoder left of it) is read on its own as one line of text,
    // scaled to the size the recogniser reads best and drawn dark on white: no page layout for
    // the recogniser to guess.
    // A capture is read within a budget of work: a screen dense with text (a settings page, a
    // program's window) has hundreds of runs. The tallest runs are read first, since the
    // reading is drawn large; second looks stop early in the budget, and runs still unread when
    // it is spent are left out (small print the reading doesn't rest on).
    t_readWork = 0;
    QList<int> order(scan.runs.size());
    std::iota(order.begin(), order.end(), 0);
    // A lone glyph is read after runs of half its height: it is far more often an icon, a
    // channel badge or a button's arrow than the reading (a seven-segment display's digits are
    // the decoder's); a lone wide shape after runs of a quarter of its height. A run just right
    // of a taller one on its line (the reading's unit) is read with it; a unit is drawn at
    // least a fifth of its figure's height, so the specks of a grid beside a trace drawn across
    // the screen are not.
    QList<bool> strokes(scan.runs.size());
    for (int a = 0; a < scan.runs.size(); ++a)
        strokes[a] = isLoneStroke(scan.runs.at(a));
    // (A figure is several glyphs of its run's full height; an icon over its caption is not.)
    QList<bool> figureLike(scan.runs.size());
    for (int a = 0; a < scan.runs.size(); ++a) {
        const ScreenSegmenter::Run& run = scan.runs.at(a);
        figureLike[a] = std::count_if(run.glyphs.begin(), run.glyphs.end(), [&](const QRect& g) { return g.height() * 10 >= run.height * 7; }) >= 3;
    }
    // (An icon is a picture or two, its tallest about as wide as it is high: no character is.)
    const auto iconLike = [&](const ScreenSegmenter::Run& run) {
        const auto tallest = std::max_element(run.glyphs.begin(), run.glyphs.end(), [](const QRect& x, const QRect& y) { return x.height() < y.height(); });
        return run.glyphs.size() <= 3 && tallest != run.glyphs.end() && tallest->width() * 10 >= tallest->height() * 8;
    };
    QList<int> priority(scan.runs.size());
    QList<int> unitOf(scan.runs.size(), -1);  // the figure a lone glyph standing apart is the unit of
    for (int a = 0; a < scan.runs.size(); ++a) {
        const ScreenSegmenter::Run& run = scan.runs.at(a);
        priority[a] = strokes.at(a) ? 0 : isLoneWideShape(run) ? run.height / 4 : run.glyphs.size() == 1 ? run.height / 2 : run.height;
        for (int b = 0; b < scan.runs.size() && !strokes.at(a); ++b) {
            const ScreenSegmenter::Run& other = scan.runs.at(b);
            if (strokes.at(b))
                continue;
            // A lone glyph after a figure with a point (a unit standing apart, perhaps outside
            // the figure's box) may stand further off.
            const int gap = run.box.left() - other.box.right();
            // (It may hang a little below the figure's foot, set in the corner of the figure's
            // field: "4.1933" with its "V" low at the field's right.)
            const bool apart = run.glyphs.size() == 1 && hasDecimalPoint(other);
            const int reach = apart ? 2 * other.height : other.height;
            const bool inCorner = apart && run.box.top() >= other.box.top() && run.box.top() < other.box.bottom()
                                  && run.box.bottom() <= other.box.bottom() + other.height / 3;
            // (Beside a figure decoded from its segments, a lit display's own, the unit may be
            // drawn smaller still, down to an eighth of it: a grid's specks are no such figure.
            // A unit is a few letters: a longer line of small print beside a measurement's icon,
            // as statistics boxes draw them, is no unit of the icon's.)
            const int smallest = decoded.at(b).contains(true) ? 8 : 5;
            if (other.height > priority[a] && run.height * smallest >= other.height && (run.glyphs.size() <= 5 || !iconLike(other)) && gap >= -2
                && gap <= reach && (withinLineOf(run.box, other) || inCorner)) {
                priority[a] = other.height;
                if (apart && run.height <= other.height)
                    unitOf[a] = b;
            }
            // A lone letter just before a large figure with a point, in print a third of its
            // height or less (the window's own text beside a display's digits) and level with
            // its middle, is the quantity's symbol a program writes before its field
            // ("V" [5.06] "I" [0.02]): read with the figure, or the letter after it, the next
            // field's, is all it has.
            const int before = other.box.left() - run.box.right();
            if (unitOf.at(a) < 0 && run.glyphs.size() == 1 && run.height * 3 <= other.height && run.height * 5 >= other.height && before >= 0
                && before * 3 <= other.height * 2 && run.box.center().y() > other.box.top() && run.box.center().y() < other.box.bottom()
                && figureLike.at(b) && hasDecimalPoint(other))
                unitOf[a] = b;
            // So is a line of smaller print right under a figure, within its width (a program's
            // unit written under its large reading: "VDC" under "5.02681").
            const int below = run.box.top() - other.box.bottom();
            if (figureLike.at(b) && other.height > priority[a] && run.height * 5 >= other.height && run.height * 3 <= other.height * 2 && below >= -2
                && below <= other.height / 2 && run.box.left() >= other.box.left() - other.height / 2
                && run.box.right() <= other.box.right() + other.height / 2)
                priority[a] = other.height;
        }
    }
    // Small print with a decimal point in it, or a value after an equals sign, is most likely a
    // measurement (a scope's strip, a program's readouts): it is read before words of its size
    // and somewhat larger. (Not a run of forty glyphs or more: a readout with its label is a
    // word or two, and so long a run with a point is a line of prose, an address, a path or a
    // status line with a version number in it, whose looks cost as much as a dozen readouts.)
    QList<int> measured;
    for (int a = 0; a < scan.runs.size(); ++a)
        if (scan.runs.at(a).glyphs.size() < longestReadoutGlyphs && (hasDecimalPoint(scan.runs.at(a)) || hasEqualsBeforeValue(scan.runs.at(a)))) {
            priority[a] = std::max(priority[a], scan.runs.at(a).height * 2);
            measured.append(a);
        }
    // So is the word just before such a value on its line, in print of its size: its label
    // ("Mean" before "[1]=18.56mV"), without which the value names no measurement. (A longer
    // run there is a line of a log or a table, read in its turn.)
    // A value may come apart from a short word right before it ("Cur:" "-40.00mV", a statistics
    // box's current value cut at its minus): a short title before that word ("Min" "Cur:"
    // "-40.00mV") names the box's measurement all the same, and is read with it. So does a
    // label before the channel's tag that comes apart from the value ("Min" "[1]=" "-7.20V"):
    // the tag's equals sign, two bars, is one character of its four.
    const auto raiseLabelsBefore = [&](const QList<int>& values, int mostGlyphs) {
        QList<int> shortWords;
        for (int b = 0; b < scan.runs.size(); ++b) {
            const ScreenSegmenter::Run& label = scan.runs.at(b);
            if (strokes.at(b) || label.glyphs.size() < 2 || label.glyphs.size() > mostGlyphs)
                continue;
            for (const int a : values) {
                const ScreenSegmenter::Run& value = scan.runs.at(a);
                const int gap = value.box.left() - label.box.right();
                // (A short label in print as large as its figure, "Min:" in bold before "3.85V", may
                // stand further off.)
                const int reach = label.glyphs.size() <= 4 && label.height * 10 >= value.height * 9 ? value.height * 5 / 2 : value.height;
                if (a != b && gap >= -2 && gap <= reach && label.height * 10 >= value.height * 6 && label.height * 10 <= value.height * 15
                    && besideFigure(label.box, value)) {
                    if (priority[b] < priority[a] && label.glyphs.size() - (endsInEqualsSign(label) ? 1 : 0) <= 4 && gap <= value.height / 2)
                        shortWords.append(b);
                    priority[b] = std::max(priority[b], priority[a]);
                }
            }
        }
        return shortWords;
    };
    raiseLabelsBefore(raiseLabelsBefore(measured, 10), 4);
    // So is a caption in smaller print right over such a value, starting where it starts: a
    // tile's or a card's name ("MIN" over "4.7713 V" on a program's statistics panel), which is
    // all that tells its limits from its present value. (Not where a trace is drawn: a scope's
    // boxed readouts caption their values alike, and the budget is for its strip.)
    for (int b = 0; b < scan.runs.size() && !scan.waveform; ++b) {
        const ScreenSegmenter::Run& caption = scan.runs.at(b);
        if (strokes.at(b) || isLoneWideShape(caption))
            continue;
        for (const int a : measured) {
            const ScreenSegmenter::Run& value = scan.runs.at(a);
            const int gap = value.box.top() - caption.box.bottom();
            if (a != b && gap >= 1 && gap <= value.height && std::abs(caption.box.left() - value.box.left()) <= std::max(2, value.height / 3)
                && caption.height * 2 >= value.height && caption.height <= value.height)
                priority[b] = std::max(priority[b], priority[a]);
        }
    }
    // And a word in smaller print centred under such a value: a tile's name where a program
    // centres each tile's caption under its figure and unit ("20.39mA" over "max"), the only
    // thing that tells a tile's limit from its neighbours. A word (its letters may run into one
    // glyph in such print), no wider than twice the figure, in print well smaller than it;
    // drawn with a trace or without. (A scope's strip names its readouts before or
    // over them: in a column of such readouts, the word under a value has a value of its own
    // under it, and is the next readout's name.)
    for (int b = 0; b < scan.runs.size(); ++b) {
        const ScreenSegmenter::Run& caption = scan.runs.at(b);
        if (strokes.at(b) || caption.glyphs.size() > 9 || hasDecimalPoint(caption))
            continue;
        for (const int a : measured) {
            const ScreenSegmenter::Run& value = scan.runs.at(a);
            const int gap = caption.box.top() - value.box.bottom();
            const int middle = caption.box.center().x();
            if (a != b && gap >= 1 && gap <= value.height && middle >= value.box.left() && middle <= value.box.right() + value.height
                && caption.height * 5 >= value.height * 2 && caption.height * 4 <= value.height * 3 && caption.box.width() <= value.box.width() * 2
                && std::none_of(measured.begin(), measured.end(), [&](int o) {
                       const QRect& next = scan.runs.at(o).box;
                       const int below = next.top() - caption.box.bottom();
                       return below >= 0 && below <= value.height && next.left() <= caption.box.right() && next.right() >= caption.box.left();
                   }))
                priority[b] = std::max(priority[b], priority[a]);
        }
    }
    // So is a short word a space after such a value in a statistics table's row (three more
    // such values after it on its line), in print no larger: its unit ("18.85" "µs" 4.52 240.98
    // 42.18), without which the row's measurement measures nothing.
    const auto tableRow = [&](int a) {
        const ScreenSegmenter::Run& value = scan.runs.at(a);
        return std::count_if(measured.begin(), measured.end(), [&](int o) {
                   const ScreenSegmenter::Run& other = scan.runs.at(o);
                   return other.box.left() > value.box.right() && std::abs(other.height - value.height) * 5 <= value.height
                          && std::abs(other.box.center().y() - value.box.center().y()) * 3 <= value.height;
               }) >= 3;
    };
    for (int b = 0; b < scan.runs.size(); ++b) {
        const ScreenSegmenter::Run& unit = scan.runs.at(b);
        if (strokes.at(b) || unit.glyphs.size() > 3 || hasDecimalPoint(unit))
            continue;
        for (const int a : measured) {
            const ScreenSegmenter::Run& value = scan.runs.at(a);
            if (!tableRow(a))
                continue;
            const int gap = unit.box.left() - value.box.right();
            if (a != b && gap >= -2 && gap <= value.height && unit.height * 5 >= value.height && unit.height * 10 <= value.height * 11
                && besideFigure(unit.box, value))
                priority[b] = std::max(priority[b], priority[a]);
        }
    }
    // A list of named readings (a home-automation card, a battery system's or a charger's status
    // page) sets each name at the left of its row and its value alone at the row's right end, the
    // values of all rows aligned on their right edges. The names are long and drawn with
    // descenders, the values short: read by size, the names would spend the budget before any
    // value is read. A run that ends its row (a panel beside it may start after a wide gap), far
    // right of a name of about its size on that row, is read with that name before words of
    // their size where at least three more such runs of its size, in rows of their own, end on
    // the same column, their names starting on one column too; rows are taken top to bottom,
    // as a person reads the list. (Not where a trace is drawn: a scope's menus and strips.)
    QList<bool> endsNamedRow(scan.runs.size(), false);
    QList<int> nameOfRow(scan.runs.size(), -1), rowValues;
    for (int a = 0; a < scan.runs.size(); ++a) {
        const ScreenSegmenter::Run& run = scan.runs.at(a);
        if (strokes.at(a) || isLoneWideShape(run))
            continue;
        const auto sameLine = [&](const ScreenSegmenter::Run& o) {
            const int overlap = std::min(o.box.bottom(), run.box.bottom()) - std::max(o.box.top(), run.box.top()) + 1;
            return overlap * 2 >= std::min(o.box.height(), run.box.height());
        };
        // The nearest run on the line left of `x`, or -1.
        const auto nearestLeftOf = [&](int x) {
            int nearest = -1;
            for (int b = 0; b < scan.runs.size(); ++b) {
                const ScreenSegmenter::Run& o = scan.runs.at(b);
                if (b != a && !strokes.at(b) && sameLine(o) && o.box.right() < x && (nearest < 0 || o.box.right() > scan.runs.at(nearest).box.right()))
                    nearest = b;
            }
            return nearest;
        };
        // (The name stands alone in its part of the row, an icon at most before it, in the
        // value's own box: a table's or a log's row has more columns, near one another, or a
        // cell of its own for each.)
        const int h = run.height;
        const int name = nearestLeftOf(run.box.left());
        if (name < 0 || run.glyphs.size() > 10 || scan.waveform)
            continue;
        const ScreenSegmenter::Run& named = scan.runs.at(name);
        bool alone = named.frame == run.frame && named.glyphs.size() >= 3 && run.box.left() - named.box.right() >= h * 2
                     && std::abs(named.height - h) * 10 <= h * 4;
        const int before = alone ? nearestLeftOf(named.box.left()) : -1;
        if (before >= 0 && named.box.left() - scan.runs.at(before).box.right() <= h * 4) {
            const int further = nearestLeftOf(scan.runs.at(before).box.left());
            alone = scan.runs.at(before).glyphs.size() == 1 && (further < 0 || scan.runs.at(before).box.left() - scan.runs.at(further).box.right() > h * 4);
        }
        if (!alone)
            continue;
        const bool last = std::none_of(scan.runs.begin(), scan.runs.end(), [&](const ScreenSegmenter::Run& o) {
            return &o != &run && sameLine(o) && o.box.left() > run.box.right() && o.box.left() - run.box.right() <= h * 4;
        });
        // (Such a list sets its rows well apart, as a page made to be touched does: a table's
        // or a log's rows are packed, a line of print under the next.)
        const bool spaced = std::none_of(scan.runs.begin(), scan.runs.end(), [&](const ScreenSegmenter::Run& o) {
            const int apart = std::max(o.box.top() - run.box.bottom(), run.box.top() - o.box.bottom());
            return &o != &run && o.box.right() >= run.box.left() && o.box.left() <= run.box.right() && apart >= 0 && apart < h * 2;
        });
        endsNamedRow[a] = last && spaced;
        nameOfRow[a] = name;
    }
    for (int a = 0; a < scan.runs.size(); ++a) {
        if (!endsNamedRow.at(a))
            continue;
        const ScreenSegmenter::Run& run = scan.runs.at(a);
        int column = 0;
        for (int b = 0; b < scan.runs.size(); ++b) {
            const ScreenSegmenter::Run& o = scan.runs.at(b);
            if (b != a && endsNamedRow.at(b) && std::abs(o.box.right() - run.box.right()) <= std::max(2, run.height / 4)
                && std::abs(o.height - run.height) * 5 <= run.height && (o.box.top() > run.box.bottom() || o.box.bottom() < run.box.top())
                && std::abs(scan.runs.at(nameOfRow.at(b)).box.left() - scan.runs.at(nameOfRow.at(a)).box.left()) <= 2)
                ++column;
        }
        if (column >= 3)
            rowValues.append(a);
    }
    int listPriority = 0;
    for (const int a : rowValues)
        listPriority = std::max(listPriority, scan.runs.at(a).height * 2);
    for (const int a : rowValues) {
        priority[a] = std::max(priority[a], listPriority);
        priority[nameOfRow.at(a)] = std::max(priority[nameOfRow.at(a)], listPriority);
    }
    // A log of readings is read from its top: a program logging a meter writes one line per
    // reading, each stamped alike (a date, a time, a record number in one fixed width), and the
    // first line is the one shown first. Its lines repeat one another, and reading each line's
    // figure with a point in turn spends the budget on the lines below before the top line's
    // figure, unit or flags (a "127" without a point, a "VDC" in a column of its own) are read
    // at all. So the top lines of the log are read whole, with the figures with a point (and,
    // screen order deciding between them, before those of the lines below).
    for (const auto& [run, raised] : logHeadLines(scan, strokes, measured))
        priority[run] = std::max(priority[run], raised);
    // A value in a field of its own (a box just large enough for one line of print) with a
    // caption right over the field, starting within its width, is read with its caption: a
    // program's readout boxes ("Input Power" over a grey field holding "4.56 W"). Small print
    // that smooths its letters into one another hides the value's decimal point, so nothing
    // else tells the value from the words around it, and the caption, drawn with descenders,
    // stands taller than the value and is read well before it.
    for (int a = 0; a < scan.runs.size(); ++a) {
        const ScreenSegmenter::Run& value = scan.runs.at(a);
        if (value.frame < 0 || value.frame >= scan.frames.size() || strokes.at(a) || value.glyphs.size() > 12)
            continue;
        const QRect& field = scan.frames.at(value.frame);
        if (field.height() > value.height * 3 || field.width() > value.box.width() * 6
            || std::any_of(scan.runs.begin(), scan.runs.end(), [&](const ScreenSegmenter::Run& o) { return &o != &value && o.frame == value.frame; }))
            continue;
        for (int b = 0; b < scan.runs.size(); ++b) {
            const ScreenSegmenter::Run& caption = scan.runs.at(b);
            const int above = field.top() - caption.box.bottom();
            if (b != a && !strokes.at(b) && caption.glyphs.size() >= 2 && above >= 0 && above <= value.height && caption.box.left() >= field.left() - value.height
                && caption.box.left() < field.right() && caption.height * 10 >= value.height * 8 && caption.height * 10 <= value.height * 16)
                priority[a] = std::max(priority[a], priority[b]);
        }
    }
    // A unit standing apart is read with its figure, however its figure came to be read early.
    for (int a = 0; a < scan.runs.size(); ++a)
        if (unitOf.at(a) >= 0)
            priority[a] = std::max(priority[a], priority.at(unitOf.at(a)));
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return priority.at(a) > priority.at(b); });
    QList<ScreenWord> words;
    QList<bool> taken(scan.runs.size(), false);
    const auto readOne = [&](const int i) {
        taken[i] = true;
        const bool secondLooks = t_readWork < secondLooksBudget;
        ScreenSegmenter::Run run = scan.runs.at(i);
        if (decoded.at(i).contains(true)) {
            ScreenSegmenter::Run rest;
            rest.frame = run.frame;
            for (int g = 0; g < run.glyphs.size(); ++g)
                if (!decoded.at(i).at(g)) {
                    rest.glyphs.append(run.glyphs.at(g));
                    rest.box |= run.glyphs.at(g);
                    rest.height = std::max(rest.height, run.glyphs.at(g).height());
                }
            if (rest.glyphs.isEmpty() || rest.height < 5)
                return;
            run = rest;
        }
        run = withoutBadges(scan, run);
        if (run.glyphs.isEmpty())
            return;
        // Small text (status bars, measurement strips on the smaller screens) is where the
        // recogniser slips most: a run it reads with little confidence gets a second and third
        // look at other sizes, and the most confident reading is kept.
        auto readWell = [&](const ScreenSegmenter::Run& part) {
            QList<ReadWord> read = readRun(api, scan, part, i, sheetTextHeight);
            // In large print the recogniser may pass over a whole digit (a slashed zero read as
            // part of the point beside it): a figure with fewer characters than the tall glyphs
            // it spans is read again at the other sizes.
            const bool lookedAgain = secondLooks && skipsGlyph(read, part);
            if (lookedAgain) {
                for (const int height : {28, 60}) {
                    QList<ReadWord> again = readRun(api, scan, part, i, height);
                    if (!skipsGlyph(again, part)) {
                        read = again;
                        break;
                    }
                }
            }
            // A 9 on a glyph with no closed bowl is read again at the other sizes.
            if (secondLooks && readsOpenNine(read, scan, part)) {
                for (const int height : {28, 60}) {
                    QList<ReadWord> again = readRun(api, scan, part, i, height);
                    if (!again.isEmpty() && !readsOpenNine(again, scan, part)) {
                        read = again;
                        break;
                    }
                }
            }
            // (Not for a long line read without a figure in it: a title, a path, a menu's or a
            // dialog's prose. A label is a word or two and a reading has its digits; such a line
            // holds neither, and two more looks at it cost twice its first reading again.)
            const bool prose = part.glyphs.size() >= 8 && std::none_of(read.begin(), read.end(), [](const ReadWord& r) {
                return std::any_of(r.word.text.begin(), r.word.text.end(), [](QChar c) { return c.isDigit(); });
            });
            // (Nor for a lone glyph read as no digit that stands after no figure on its line: an
            // icon, a widget's arrow, a badge's mark. Two more looks at it cost as much as a short
            // line's, and what they might mend is no figure. A unit's letter or a degree ring
            // standing apart after its figure is looked at again.)
            const QRect& mark = scan.runs.at(i).box;
            const bool afterFigure = std::any_of(scan.runs.begin(), scan.runs.end(), [&](const ScreenSegmenter::Run& o) {
                const int gap = mark.left() - o.box.right();
                return o.glyphs.size() >= 2 && gap >= -2 && gap <= 2 * o.height && mark.top() < o.box.bottom() && mark.bottom() > o.box.top();
            });
            const bool loneMark = part.glyphs.size() == 1 && !afterFigure && std::none_of(read.begin(), read.end(), [](const ReadWord& r) {
                return std::any_of(r.word.text.begin(), r.word.text.end(), [](QChar c) { return c.isDigit(); });
            });
            if (secondLooks && !prose && !loneMark && lowestConfidence(read) < 75) {
                for (const int height : {28, 60}) {
                    QList<ReadWord> again = readRun(api, scan, part, i, height);
                    if (meanConfidence(again) > meanConfidence(read) + 5)
                        read = again;
                }
            }
            // A short word in bold capitals ("MIN") can come back empty from the line reader,
            // which looks for a text line's shape first; read as a raw line, it is there.
            if (read.isEmpty()) {
                api->SetPageSegMode(tesseract::PSM_RAW_LINE);
                read = readRun(api, scan, part, i, sheetTextHeight);
                api->SetPageSegMode(tesseract::PSM_SINGLE_LINE);
            }
            mendFigures(read, scan, part, i);
            mendPoints(read, scan, part, i);
            mendFaintPoints(read, scan, part);
            mendMinus(read, part);
            mendColonBeforeMinus(read, part);
            if (lookedAgain && skipsGlyph(read, part))
                readSkippedDigits(api, scan, read, part, i);
            // Some other number than the one shown is kept as a word that no figure can be read
            // from: a figure with a 9 still on a glyph with no closed bowl at every size, or one
            // still short of a digit at every size once mended.
            const auto unreadable = [&](auto holds) {
                for (ReadWord& r : read)
                    if (std::any_of(r.word.text.begin(), r.word.text.end(), holds))
                        r.word.text.prepend(QLatin1Char('?'));
            };
            // (Only in large print: a small 9 blurred open is a 9 still, and read again at every
            // size it stays one.)
            if (part.height > 18 && readsOpenNine(read, scan, part))
                unreadable([](QChar c) { return c == QLatin1Char('9'); });
            if (lookedAgain && skipsGlyph(read, part))
                unreadable([](QChar c) { return c.isDigit(); });
            return read;
        };
        // A character display's line is read dot by dot where it can be; the rest by the
        // recogniser.
        static const QRegularExpression figureEndingInDigit(QStringLiteral("^[-+]?\\d*[.,]?\\d+$"));
        QList<ReadWord> read = readDotMatrix(scan, run, i);
        if (read.isEmpty()) {
            bool lowered = false;
            const QList<ScreenSegmenter::Run> parts = splitAtSizeStep(run, &lowered);
            if (parts.size() == 2) {
                // Only a figure and its unit are read apart; tall letters with small ones after
                // them ("kHz") are one word.
                read = readWell(parts.first());
                const bool figure = std::any_of(read.begin(), read.end(), [&](const ReadWord& r) {
                    if (lowered)
                        return figureEndingInDigit.match(r.word.text).hasMatch();
                    return std::any_of(r.word.text.begin(), r.word.text.end(), [](QChar c) { return c.isDigit(); });
                });
                if (figure)
                    read += readWell(parts.last());
                else
                    read = readWell(run);
            } else {
                read = readWell(run);
            }
        }
        for (const ReadWord& r : read)
            words.append(r.word);
    };
    for (const int i : order) {
        if (t_readWork > readingBudget)
            break;
        readOne(i);
    }
    // A heading's value is read with its heading, though the budget is spent: a heading read
    // last ("Amplitude(C1)", "Freq:") names a measurement whose figure, right under it in print of
    // its size, is the one the heading is for (a measurement's card or a table's column). A little
    // more work is allowed for those. (A figure beside its label is read early already.)
    for (int w = 0; w < words.size() && t_readWork <= readingBudget + labelledValueBudget; ++w) {
        // (Copies: reading a run below appends to the words and may move them.)
        const ScreenWord label = words.at(w);
        static const QRegularExpression heading(QStringLiteral("^[A-Za-z][A-Za-z+\\-]{1,}(?:\\([A-Za-z]{0,2}\\d\\)|\\[\\d\\])?[:=]?$"));
        if (!heading.match(label.text).hasMatch() || (!label.text.endsWith(QLatin1Char(':')) && !label.text.endsWith(QLatin1Char('=')) && !label.text.endsWith(QLatin1Char(')')) && !label.text.endsWith(QLatin1Char(']'))))
            continue;
        const QRect l = label.box;
        // (A heading stands alone on its line; a label with its value beside it, "Level:
        // 2.048V", is no heading of what stands under it.)
        const bool besideIt = std::any_of(scan.runs.begin(), scan.runs.end(), [&](const ScreenSegmenter::Run& o) {
            const int gap = o.box.left() - l.right();
            return gap >= -2 && gap <= label.textHeight * 3 && o.box.top() < l.bottom() && o.box.bottom() > l.top() && !o.box.intersects(l);
        });
        for (int i = 0; i < scan.runs.size() && !besideIt; ++i) {
            const ScreenSegmenter::Run& run = scan.runs.at(i);
            if (taken.at(i) || strokes.at(i) || run.height * 10 < label.textHeight * 6 || run.height * 10 > label.textHeight * 15)
                continue;
            const bool under = run.box.top() - l.bottom() >= -2 && run.box.top() - l.bottom() <= label.textHeight * 3 / 2
                               && run.box.left() < l.right() && run.box.right() > l.left();
            if (under && t_readWork <= readingBudget + labelledValueBudget)
                readOne(i);
        }
    }
    // So is the name that begins a row of a statistics table, read last: a figure with three
    // more figures after it on its line and no word read before it, an icon at most between
    // it and the row's first word ("period(3)", a pulse icon, "18.85 µs 4.52 240.98 42.18"),
    // names nothing without it. Rows are taken top to bottom.
    QList<int> figures;
    static const QRegularExpression figureText(QStringLiteral("^[-+]?\\d+[.,]\\d+"));
    for (int w = 0; w < words.size(); ++w)
        if (figureText.match(words.at(w).text).hasMatch())
            figures.append(w);
    std::sort(figures.begin(), figures.end(), [&](int a, int b) {
        return words.at(a).box.top() != words.at(b).box.top() ? words.at(a).box.top() < words.at(b).box.top()
                                                              : words.at(a).box.left() < words.at(b).box.left();
    });
    // (Where a strip or a table already names a measurement beside its figure, "Prd(2)1.10s",
    // the names of the rows add nothing to it.)
    static const QRegularExpression namedFigure(QStringLiteral("^[-+]?[A-Za-z]{2,}[A-Za-z+\\-]*(?:[(\\[][A-Za-z]{0,2}\\d[)\\]J])?[:=\\-]?[-+]?\\d"));
    const bool named = std::any_of(words.begin(), words.end(), [](const ScreenWord& o) { return namedFigure.match(o.text).hasMatch(); });
    for (const int w : figures) {
        if (named || t_readWork > readingBudget + labelledValueBudget + rowNameBudget)
            break;
        const QRect f = words.at(w).box;
        const int h = std::max(words.at(w).textHeight, 1);
        const auto level = [&](const QRect& o) { return o.center().y() >= f.top() && o.center().y() <= f.bottom(); };
        const auto onLine = [&](const QRect& o) { return level(o) && o.right() < f.left(); };
        const auto after = std::count_if(figures.begin(), figures.end(), [&](int o) {
            return level(words.at(o).box) && words.at(o).box.left() > f.right() && std::abs(words.at(o).textHeight - h) * 5 <= h;
        });
        if (after < 3 || std::any_of(words.begin(), words.end(), [&](const ScreenWord& o) { return onLine(o.box) && f.left() - o.box.right() <= h * 12; }))
            continue;
        int nearest = -1;
        for (int i = 0; i < scan.runs.size(); ++i) {
            const ScreenSegmenter::Run& run = scan.runs.at(i);
            if (taken.at(i) || strokes.at(i) || !onLine(run.box) || run.glyphs.size() < 3 || f.left() - run.box.right() > h * 12
                || run.height * 10 < h * 8 || run.height * 10 > h * 15)
                continue;
            if (nearest < 0 || run.box.right() > scan.runs.at(nearest).box.right())
                nearest = i;
        }
        // (No other word but an icon stands between them.)
        const bool clear = nearest >= 0 && std::none_of(scan.runs.begin(), scan.runs.end(), [&](const ScreenSegmenter::Run& o) {
            return onLine(o.box) && o.box.left() > scan.runs.at(nearest).box.right() && o.glyphs.size() >= 2;
        });
        // (Kept only where it names the channel it measures, as a scope's statistics do,
        // "period(3)", "Prd[2]" with its brackets perhaps lost: a row named "Voltage" may begin
        // with a range or a limit.)
        if (clear) {
            const qsizetype before = words.size();
            readOne(nearest);
            static const QRegularExpression channelName(QStringLiteral("^[-+]?[A-Za-z][A-Za-z+\\-]*(?:[(\\[](?:C|CH)?\\d[)\\]J]|\\d)$"),
                                                        QRegularExpression::CaseInsensitiveOption);
            if (words.size() > before && !channelName.match(words.at(before).text).hasMatch())
                words.remove(before, words.size() - before);
        }
    }
    // So are the names in a strip of readouts, each a name with its colon before its figure
    // ("Vpp: 1.9888  AVG: 1.5241  Min: 0.5098  Max: 2.4986"): where the strip's figures were read
    // and some names before them were not, the run just before such a figure, in its print, is
    // read with a little more work, and kept only as a name with its colon.
    // A run read only for the name it may be: what it gives is kept where it is one word that is
    // such a name, and dropped otherwise.
    const auto readAsName = [&](int run, const QRegularExpression& name) {
        const qsizetype before = words.size();
        readOne(run);
        if (words.size() > before && (words.size() - before != 1 || !name.match(words.at(before).text).hasMatch()))
            words.remove(before, words.size() - before);
    };
    static const QRegularExpression stripName(QStringLiteral("^[A-Za-z][A-Za-z+\\-]{1,9}[:=]$"));
    const qsizetype readBefore = words.size();
    for (qsizetype w = 0; w < readBefore; ++w) {
        if (t_readWork > readingBudget + labelledValueBudget + rowNameBudget + stripNameBudget)
            break;
        const ScreenWord& figure = words.at(w);
        if (!figureText.match(figure.text).hasMatch())
            continue;
        const QRect f = figure.box;
        const int h = std::max(figure.textHeight, 1);
        const auto onLine = [&](const QRect& o) { return o.center().y() >= f.top() && o.center().y() <= f.bottom(); };
        // (The strip shows itself: on the figure's line, a name with its colon read just before
        // a figure of the same print.)
        const bool strip = std::any_of(words.begin(), words.begin() + readBefore, [&](const ScreenWord& name) {
            return stripName.match(name.text).hasMatch() && onLine(name.box) && &name != &figure
                   && std::any_of(words.begin(), words.begin() + readBefore, [&](const ScreenWord& o) {
                          const int gap = o.box.left() - name.box.right();
                          return figureText.match(o.text).hasMatch() && onLine(o.box) && gap >= 0 && gap <= h * 2
                                 && std::abs(o.textHeight - h) * 5 <= h;
                      });
        });
        const bool named = std::any_of(words.begin(), words.end(), [&](const ScreenWord& o) {
            return onLine(o.box) && o.box.right() < f.left() && f.left() - o.box.right() <= h * 2;
        });
        if (!strip || named)
            continue;
        int nearest = -1;
        for (int i = 0; i < scan.runs.size(); ++i) {
            const ScreenSegmenter::Run& run = scan.runs.at(i);
            const int gap = f.left() - run.box.right();
            if (taken.at(i) || strokes.at(i) || !onLine(run.box) || gap < 0 || gap > h * 2 || run.glyphs.size() < 2
                || run.glyphs.size() > 10 || run.height * 10 < h * 7 || run.height * 10 > h * 14)
                continue;
            if (nearest < 0 || run.box.right() > scan.runs.at(nearest).box.right())
                nearest = i;
        }
        if (nearest < 0)
            continue;
        readAsName(nearest, stripName);
    }
    // So is a row of names heading a row of readouts, one name over each figure ("Vmax Vmin Vavr
    // Vpp" over "1.82V -1.37V 0.24V 3.16V 1.000KHz"), where the figures were read and the names
    // were not: a name is a run of the figures' print right over one of four or more figures
    // side by side, and is kept only as a name. Only a row of different quantities (volts beside
    // a frequency, a time or a ratio) lists measurements: a row of one quantity is one
    // measurement's statistics, whose headings (current, mean, least, most) the table's own
    // layout tells without them.
    const qsizetype figuresRead = words.size();
    const auto horizontalOverlapOf = [](const QRect& a, const QRect& b) { return std::min(a.right(), b.right()) - std::max(a.left(), b.left()); };
    const auto quantityOf = [](const QString& text) {
        static const QRegularExpression tail(QStringLiteral("\\d([^\\d]*)$"));
        QString unit = tail.match(text).captured(1);
        // (Specks read as quote marks after a unit are no part of it.)
        unit.removeIf([](QChar c) { return !c.isLetter() && c != QLatin1Char('%'); });
        // (Only a unit's own letter tells the quantity: a prefix left alone, "0.0p", none.)
        const QChar last = unit.isEmpty() ? QChar() : unit.back().toLower();
        return QStringLiteral("vaszw%").contains(last) ? last : QChar();
    };
    for (qsizetype w = 0; w < figuresRead; ++w) {
        if (t_readWork > readingBudget + labelledValueBudget + rowNameBudget + stripNameBudget + headingRowBudget)
            break;
        const QRect f = words.at(w).box;
        const int h = std::max(words.at(w).textHeight, 1);
        if (!figureText.match(words.at(w).text).hasMatch())
            continue;
        // (The figures on its row: those of its print count as the row's, and every one tells a
        // quantity by its unit.)
        qsizetype inRow = 0;
        QSet<QChar> quantities;
        for (qsizetype o = 0; o < figuresRead; ++o) {
            const ScreenWord& other = words.at(o);
            if (!figureText.match(other.text).hasMatch() || std::abs(other.box.center().y() - f.center().y()) * 3 > h)
                continue;
            if (std::abs(other.textHeight - h) * 5 <= h)
                ++inRow;
            if (const QChar q = quantityOf(other.text); !q.isNull())
                quantities.insert(q);
        }
        const bool headed = std::any_of(words.begin(), words.end(), [&](const ScreenWord& o) {
            const int above = f.top() - o.box.bottom();
            return above >= -2 && above <= h * 2 && horizontalOverlapOf(o.box, f) > 0;
        });
        if (inRow < 4 || headed || quantities.size() < 2)
            continue;
        int over = -1;
        for (int i = 0; i < scan.runs.size(); ++i) {
            const ScreenSegmenter::Run& run = scan.runs.at(i);
            const int above = f.top() - run.box.bottom();
            if (taken.at(i) || strokes.at(i) || above < 0 || above > h * 2 || horizontalOverlapOf(run.box, f) <= 0
                || run.height * 10 < h * 7 || run.height * 10 > h * 14 || run.box.width() > f.width() * 2)
                continue;
            if (over < 0 || run.box.bottom() > scan.runs.at(over).box.bottom())
                over = i;
        }
        if (over < 0)
            continue;
        static const QRegularExpression name(QStringLiteral("^[A-Za-z][A-Za-z+\\-]{1,9}:?$"));
        readAsName(over, name);
    }
    // So are the figures stacked under a readout, each line starting where the one over it
    // starts, in its print: a statistics box lists a measurement's current value over its mean,
    // its maximum and its minimum, and boxes side by side are read line by line across all of
    // them, so the budget ends before any box's last lines, the limits of the reading among
    // them. Columns are taken in screen order, the top left one first, each top to bottom.
    QList<int> heads;
    for (int w = 0; w < words.size(); ++w)
        if (std::any_of(words.at(w).text.begin(), words.at(w).text.end(), [](QChar c) { return c.isDigit(); }))
            heads.append(w);
    std::sort(heads.begin(), heads.end(), [&](int a, int b) {
        return words.at(a).box.top() != words.at(b).box.top() ? words.at(a).box.top() < words.at(b).box.top()
                                                              : words.at(a).box.left() < words.at(b).box.left();
    });
    const qint64 stackEnd = readingBudget + labelledValueBudget + rowNameBudget + stripNameBudget + headingRowBudget + stackBudget;
    for (const int w : heads) {
        if (t_readWork > stackEnd)
            break;
        QRect line = words.at(w).box;
        const int h = std::max(words.at(w).textHeight, 1);
        for (;;) {
            int next = -1;
            for (int i = 0; i < scan.runs.size(); ++i) {
                const ScreenSegmenter::Run& run = scan.runs.at(i);
                const int below = run.box.top() - line.bottom();
                if (strokes.at(i) || below < -1 || below > h || std::abs(run.box.left() - line.left()) > std::max(2, h / 3)
                    || std::abs(run.height - h) * 5 > h)
                    continue;
                if (next < 0 || run.box.top() < scan.runs.at(next).box.top())
                    next = i;
            }
            if (next < 0 || t_readWork > stackEnd)
                break;
            if (!taken.at(next) && measured.contains(next))
                readOne(next);
            line = scan.runs.at(next).box;
        }
    }
    api->Clear();
    t_linesRead.clear();
    // A decoded number stands for the glyphs it was read from. Where the recogniser read the
    // same single run, the decoder's reading wins: it sees the decimal point and the minus sign,
    // which the recogniser tends to lose on segment digits.
    // Digits drawn in one piece may be printed, though: there the recogniser's confident plain
    // number stands unless it is the same digits without the point or sign.
    auto digitsOf = [](QString t) { return t.remove(QLatin1Char('.')).remove(QLatin1Char(',')).remove(QLatin1Char('-')); };
    for (const SegmentNumber& n : numbers) {
        const int first = n.glyphs.first().first;
        if (n.printed) {
            QString read;
            float confidence = 100;
            for (const ScreenWord& w : words)
                if (w.row == first) {
                    read += w.text;
                    confidence = std::min(confidence, w.confidence);
                }
            // A confident number (perhaps with its unit glued on) with other digits is the
            // recogniser's: a printed "8.3Ω" decodes as segments "8.30".
            static const QRegularExpression numberFirst(QStringLiteral("^(-?\\d[\\d.,]*)[^\\d]*$"));
            const auto m = numberFirst.match(read);
            // But where the decoder sees a decimal point the recogniser lost, the recogniser
            // has misread the digits around it too ("965" for a blocky "96.6").
            const bool lostPoint = n.reading.text.contains(QLatin1Char('.')) && !m.captured(1).contains(QLatin1Char('.'))
                                   && !m.captured(1).contains(QLatin1Char(','));
            if (m.hasMatch() && confidence >= 50 && digitsOf(m.captured(1)) != digitsOf(n.reading.text) && !lostPoint)
                continue;
            // Nor is a word of letters only, read with confidence, one of whose letters is like no
            // digit in segments (a mode label "DC" in a display's narrow face, its D a closed
            // box, its C hooked at both ends): segment digits the recogniser takes for letters
            // come out as those the digits look like (O, D, S, B, Z, I, L, A...).
            static const QRegularExpression lettersOnly(QStringLiteral("^[A-Za-z]+$"));
            static const QRegularExpression unlikeAnyDigit(QStringLiteral("[CFHKMNPRVWXYcfhkmnprvwxy]"));
            if (confidence >= 85 && lettersOnly.match(read).hasMatch() && unlikeAnyDigit.match(read).hasMatch())
                continue;
            words.erase(std::remove_if(words.begin(), words.end(), [&](const ScreenWord& w) { return w.row == first; }), words.end());
        }
        ScreenWord w;
        w.text = n.reading.text;
        w.box = n.box;
        w.textHeight = n.box.height();
        w.confidence = 90;
        w.row = first;
        w.segmentDigits = true;
        // A large Ω beside an overload mark has a zero's segments lit, but stands on two feet.
        if (n.glyphs.size() == 1 && w.text == QLatin1String("0")) {
            const auto& [run, glyph] = n.glyphs.first();
            if (standsOnTwoFeet(scan, scan.runs.at(run).glyphs.at(glyph))) {
                w.text = QString(QChar(0x03A9));
                w.segmentDigits = false;
            }
        }
        words.append(w);
    }

    mendDegrees(words, scan);

    // Rows: runs whose vertical extents mostly overlap read as one line.
    // A run standing beside four or more lines of text stacked one over another, each of them
    // a quarter of its height or less, is no line itself (a drawing, a column of brackets run
    // together down a log): it takes a row of its own and joins none, or every line of the log
    // would fall into its row.
    QList<bool> spansLines(scan.runs.size(), false);
    for (int i = 0; i < scan.runs.size(); ++i) {
        const QRect& b = scan.runs.at(i).box;
        QList<QRect> inside;
        for (const ScreenSegmenter::Run& other : scan.runs)
            if (other.box.top() >= b.top() && other.box.bottom() <= b.bottom() && other.box.height() * 4 <= b.height())
                inside.append(other.box);
        std::sort(inside.begin(), inside.end(), [](const QRect& x, const QRect& y) { return x.top() < y.top(); });
        int lines = 0, lastBottom = INT_MIN;
        for (const QRect& o : inside)
            if (o.top() > lastBottom) {
                ++lines;
                lastBottom = o.bottom();
            } else {
                lastBottom = std::max(lastBottom, o.bottom());
            }
        spansLines[i] = lines >= 4;
    }
    QList<int> rowOfRun(scan.runs.size(), -1);
    QList<QRect> rowBands;
    QList<bool> closedBand;
    for (int i = 0; i < scan.runs.size(); ++i) {
        const QRect& b = scan.runs.at(i).box;
        if (spansLines.at(i)) {
            rowOfRun[i] = int(rowBands.size());
            rowBands.append(QRect(QPoint(0, b.top()), QPoint(0, b.bottom())));
            closedBand.append(true);
            continue;
        }
        for (int r = 0; r < rowBands.size(); ++r) {
            if (closedBand.at(r))
                continue;
            const QRect& band = rowBands.at(r);
            const int overlap = std::min(band.bottom(), b.bottom()) - std::max(band.top(), b.top()) + 1;
            if (overlap >= std::min(band.height(), b.height()) * 0.5) {
                rowOfRun[i] = r;
                rowBands[r] = QRect(QPoint(0, std::min(band.top(), b.top())), QPoint(0, std::max(band.bottom(), b.bottom())));
                break;
            }
        }
        if (rowOfRun[i] < 0) {
            rowOfRun[i] = int(rowBands.size());
            rowBands.append(QRect(QPoint(0, b.top()), QPoint(0, b.bottom())));
            closedBand.append(false);
        }
    }
    for (ScreenWord& w : words)
        w.row = rowOfRun.value(w.row, 0);
    std::sort(words.begin(), words.end(), [&](const ScreenWord& a, const ScreenWord& b) {
        const int ta = rowBands.at(a.row).top(), tb = rowBands.at(b.row).top();
        // (Two rows may start at one height, a line and a drawing beside it: each stays whole.)
        if (a.row != b.row)
            return ta != tb ? ta < tb : a.row < b.row;
        return a.box.left() < b.box.left();
    });
    // Renumber rows top to bottom.
    int next = -1, last = -1;
    for (ScreenWord& w : words) {
        if (w.row != last) {
            last = w.row;
            ++next;
        }
        w.row = next;
    }
    out.words = words;
    return out;
}

}  // namespace TextRecognizer
