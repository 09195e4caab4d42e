#include "Corvallen/Platform/TextRecognizer.h"

#include "Corvallen/Platform/ScreenSegmenter.h"
#include "Corvallen/Platform/SevenSegmentDecoder.h"


#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <memory>
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

QStringList ScreenText::lines() const
{
    QStringList out;
    int row = -1;
    for (const ScreenWord& w : words) {
        if (w.row != row || out.isEmpty()) {
            out.append(w.text);
            row = w.row;
        } else {
            out.last() += QLatin1Char(' ') + w.text;
        }
    }
    return out;
}

namespace {

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
            api->SetPageSegMode(tesseract::PSM_SINGLE_LINE);
            api->SetVariable("user_defined_dpi", "300");
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

bool hasDigit(const QString& s)
{
    return std::any_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); });
}

}  // namespace

std::optional<ScreenText> recognizeScreen(const QImage& image, QString* error)
{
    ScreenText out;
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return out;
    tesseract::TessBaseAPI* api = screenEngine(error);
    if (!api)
        return std::nullopt;
    const ScreenSegmenter::Scan scan = ScreenSegmenter::scan(image);
    out.size = image.size();
    out.boxes = scan.frames;

    // Seven-segment digits first: a run whose digits are drawn as separate bars is decoded here.
    QList<std::optional<SevenSegmentDecoder::Reading>> segments;
    for (const ScreenSegmenter::Run& run : scan.runs) {
        std::optional<SevenSegmentDecoder::Reading> r;
        if (run.height >= 14) {
            const QRect box = run.box.adjusted(-1, -1, 1, 1).intersected(QRect(0, 0, scan.width, scan.height));
            r = SevenSegmentDecoder::decode(ScreenSegmenter::runMask(scan, box), box.width(), box.height());
        }
        segments.append(r);
    }

    // Every other run is read on its own as one line of text, scaled to the size the recogniser
    // reads best and drawn dark on white: no page layout for the recogniser to guess.
    QList<ScreenWord> words;
    for (int i = 0; i < scan.runs.size(); ++i) {
        if (segments.at(i) && segments.at(i)->separateSegments)
            continue;
        const ScreenSegmenter::Run& run = scan.runs.at(i);
        const double scale = std::clamp(double(sheetTextHeight) / run.height, 0.25, 6.0);
        const int pad = 10;
        const QRect box = run.box.adjusted(-2, -2, 2, 2).intersected(QRect(0, 0, scan.width, scan.height));
        const QImage line = ScreenSegmenter::runImage(scan, box, scale, pad);
        api->SetImage(line.constBits(), line.width(), line.height(), 1, int(line.bytesPerLine()));
        if (api->Recognize(nullptr) != 0)
            continue;
        std::unique_ptr<tesseract::ResultIterator> it(api->GetIterator());
        if (!it || it->Empty(tesseract::RIL_WORD))
            continue;
        do {
            std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_WORD));
            int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            if (!text || !it->BoundingBox(tesseract::RIL_WORD, &x0, &y0, &x1, &y1))
                continue;
            const QString word = QString::fromUtf8(text.get()).trimmed();
            if (word.isEmpty())
                continue;
            const int left = box.left() + int(std::floor((x0 - pad) / scale));
            const int right = box.left() + int(std::ceil((x1 - pad) / scale));
            ScreenWord w;
            w.text = word;
            w.box = QRect(QPoint(std::max(left, run.box.left()), run.box.top()), QPoint(std::min(right, run.box.right()), run.box.bottom()));
            w.textHeight = tallestGlyphIn(run, w.box.left(), w.box.right());
            w.confidence = it->Confidence(tesseract::RIL_WORD);
            w.row = i;  // grouped into rows below
            words.append(w);
        } while (it->Next(tesseract::RIL_WORD));
    }
    api->Clear();
    // Runs the recogniser read poorly but that decode cleanly as segments take the decoded text.
    for (int i = 0; i < scan.runs.size(); ++i) {
        const auto& seg = segments.at(i);
        if (!seg)
            continue;
        bool replace = seg->separateSegments;
        if (!replace) {
            QString read;
            float confidence = 100;
            for (const ScreenWord& w : words)
                if (w.row == i) {
                    read += w.text;
                    confidence = std::min(confidence, w.confidence);
                }
            // Printed digits are the recogniser's to read; the decoder only fills in where it read nothing.
            replace = read.isEmpty() || (!hasDigit(read) && confidence < 40);
        }
        if (!replace)
            continue;
        words.erase(std::remove_if(words.begin(), words.end(), [&](const ScreenWord& w) { return w.row == i; }), words.end());
        ScreenWord w;
        w.text = seg->text;
        w.box = scan.runs.at(i).box;
        w.textHeight = scan.runs.at(i).height;
        w.confidence = 90;
        w.row = i;
        w.segmentDigits = true;
        words.append(w);
    }

    // Rows: runs whose vertical extents mostly overlap read as one line.
    QList<int> rowOfRun(scan.runs.size(), -1);
    QList<QRect> rowBands;
    for (int i = 0; i < scan.runs.size(); ++i) {
        const QRect& b = scan.runs.at(i).box;
        for (int r = 0; r < rowBands.size(); ++r) {
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
        }
    }
    for (ScreenWord& w : words)
        w.row = rowOfRun.value(w.row, 0);
    std::sort(words.begin(), words.end(), [&](const ScreenWord& a, const ScreenWord& b) {
        const int ta = rowBands.at(a.row).top(), tb = rowBands.at(b.row).top();
        if (a.row != b.row)
            return ta < tb;
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
