// Figures in small print read glyph by glyph, as the status bars and measurement strips of
// small screens draw them.
#include "Corvallen/Library/Reading/GlyphClassifier.h"

#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

struct Print {
    QString face;
    int pixelSize;
    bool smooth;
    bool bold = false;
    double spacing = 0;  // extra pixels between letters (negative: they touch)
};

// A sign drawn fainter than the figure after it (a short stroke that smoothing greys out).
struct FaintSign {
    QString sign;
    QColor colour;
};

// The figures found anywhere in one line of `text` drawn in `print`, light on a dark screen.
QStringList figuresOf(const QString& text, const Print& print, const FaintSign& faint = {})
{
    QImage image(320, 40, QImage::Format_RGB32);
    image.fill(QColor(12, 14, 24));
    {
        QPainter p(&image);
        QFont f(print.face);
        f.setPixelSize(print.pixelSize);
        f.setBold(print.bold);
        f.setStyleStrategy(print.smooth ? QFont::PreferAntialias : QFont::NoAntialias);
        f.setLetterSpacing(QFont::AbsoluteSpacing, print.spacing);
        p.setFont(f);
        p.setPen(faint.colour);
        p.drawText(QPointF(12, 26), faint.sign);
        p.setPen(QColor(90, 220, 255));
        p.drawText(QPointF(12 + p.fontMetrics().horizontalAdvance(faint.sign), 26), text);
    }
    const ScreenSegmenter::Scan scan = ScreenSegmenter::scan(image);
    QStringList out;
    for (const ScreenSegmenter::Run& run : scan.runs)
        for (const GlyphClassifier::Figure& f : GlyphClassifier::figuresIn(scan, run))
            out.append(f.text);
    return out;
}

QString describe(const Print& p)
{
    return QStringLiteral("%1 %2px%3%4").arg(p.face).arg(p.pixelSize).arg(p.smooth ? "" : " hard-edged", p.bold ? " bold" : "");
}

}  // namespace

TEST(GlyphClassifier, FiguresKeepTheirPointsSignsAndZeros)
{
    // The slips the recogniser makes in such print: a point or minus lost, 0 read as 6 or 8,
    // a lone digit dropped. Units and labels beside a figure stay out of it.
    const QList<Print> prints = {{QStringLiteral("DejaVu Sans Mono"), 11, true},  {QStringLiteral("DejaVu Sans Mono"), 12, false},
                                 {QStringLiteral("Liberation Sans"), 12, true},   {QStringLiteral("Liberation Sans"), 14, false, true},
                                 {QStringLiteral("DejaVu Sans"), 13, true, true}, {QStringLiteral("Liberation Mono"), 13, true}};
    const QList<std::pair<QString, QString>> lines = {{QStringLiteral("-0.16V"), QStringLiteral("-0.16")},
                                                      {QStringLiteral("Freq: 919.7Hz"), QStringLiteral("919.7")},
                                                      {QStringLiteral("RMS 2.08V"), QStringLiteral("2.08")},
                                                      {QStringLiteral("Min 8"), QStringLiteral("8")},
                                                      {QStringLiteral("60.05kHz"), QStringLiteral("60.05")}};
    for (const Print& print : prints) {
        if (!QFontDatabase::families().contains(print.face))
            continue;
        for (const auto& [text, figure] : lines)
            EXPECT_EQ(figuresOf(text, print), QStringList{figure}) << text.toStdString() << " in " << describe(print).toStdString();
    }
    // A label glued to its value, a unit's m after it: no stem of an n or m, cut off or fallen
    // apart, is a "1" ("Mi164.92", "4961mV"), nor is any other piece of them a digit. Where the
    // glyph reader is unsure, it gives no figure.
    for (const Print& print : {Print{QStringLiteral("DejaVu Sans"), 10, true}, Print{QStringLiteral("DejaVu Sans"), 11, true},
                               Print{QStringLiteral("Liberation Sans"), 10, true}, Print{QStringLiteral("Liberation Sans"), 11, true},
                               Print{QStringLiteral("Liberation Sans"), 15, true}}) {
        if (!QFontDatabase::families().contains(print.face))
            continue;
        for (const auto& [text, figure] : {std::pair{QStringLiteral("Min64.92"), QStringLiteral("64.92")},
                                           std::pair{QStringLiteral("Mean-219mV"), QStringLiteral("-219")},
                                           std::pair{QStringLiteral("Vpp496mV"), QStringLiteral("496")}}) {
            const QStringList found = figuresOf(text, print);
            EXPECT_TRUE(found.isEmpty() || found == QStringList{figure})
                << text.toStdString() << " in " << describe(print).toStdString() << ": " << found.join(' ').toStdString();
        }
    }
    // A label's colon in hard-edged small print is two one-pixel dots, like no drawing of a
    // colon: it still ends the label, and the figure glued to it stands.
    for (const Print& print : {Print{QStringLiteral("DejaVu Sans"), 12, false}, Print{QStringLiteral("Liberation Sans"), 13, false}})
        if (QFontDatabase::families().contains(print.face))
            for (const auto& [text, figure] : {std::pair{QStringLiteral("Cur:1.28V"), QStringLiteral("1.28")},
                                               std::pair{QStringLiteral("Avg:952mV"), QStringLiteral("952")}})
                EXPECT_EQ(figuresOf(text, print), QStringList{figure}) << text.toStdString() << " in " << describe(print).toStdString();
    // A minus sign smoothed fainter than the digits after it is still the figure's.
    for (const Print& print : {Print{QStringLiteral("DejaVu Sans Mono"), 11, true}, Print{QStringLiteral("Liberation Mono"), 13, true}})
        if (QFontDatabase::families().contains(print.face))
            EXPECT_EQ(figuresOf(QStringLiteral("4.11V"), print, {QStringLiteral("-"), QColor(40, 100, 120)}), QStringList{QStringLiteral("-4.11")})
                << "faint minus in " << describe(print).toStdString();
}

TEST(GlyphClassifier, WordsAreNoFiguresAndTouchingDigitsAreCutApart)
{
    // Letters that look like digits (O, l, S, B) stand in words that are no figures; a word with
    // a figure in it keeps the figure alone.
    const Print print{QStringLiteral("DejaVu Sans"), 12, true};
    for (const QString& word : {QStringLiteral("AUTO"), QStringLiteral("HOLD"), QStringLiteral("USB"), QStringLiteral("Vpp"),
                                QStringLiteral("MAX"), QStringLiteral("Duty"), QStringLiteral("SLOW")})
        EXPECT_TRUE(figuresOf(word, print).isEmpty()) << word.toStdString() << ": " << figuresOf(word, print).join(' ').toStdString();
    const QStringList channel = figuresOf(QStringLiteral("CH1 500mV"), print);
    EXPECT_TRUE(channel.contains(QStringLiteral("500")) && !channel.contains(QStringLiteral("1500"))) << channel.join(' ').toStdString();

    // Digits drawn so tight that they touch are one piece of ink; cut where the ink is thinnest,
    // each part reads as its digit.
    const Print tight{QStringLiteral("DejaVu Sans"), 14, true, true, -1.5};
    EXPECT_EQ(figuresOf(QStringLiteral("346.2"), tight), QStringList{QStringLiteral("346.2")});

    // The thin slants of a serif M fall away under the line's contrast cut, leaving stems and a
    // small piece between them: that piece sits lower than a degree sign would, so it ends no
    // figure, and no stem of the label stands alone as a "1" before the value.
    for (const Print& print : {Print{QStringLiteral("FreeMono"), 13, true}, Print{QStringLiteral("FreeMono"), 14, true},
                               Print{QStringLiteral("FreeSans"), 12, true}}) {
        if (!QFontDatabase::families().contains(print.face))
            continue;
        const QStringList found = figuresOf(QStringLiteral("Min: 282.4   Max: 287.3"), print);
        EXPECT_FALSE(found.contains(QStringLiteral("1"))) << describe(print).toStdString() << ": " << found.join(' ').toStdString();
    }
}

TEST(GlyphClassifier, LoopsOfHardEdgedGlyphs)
{
    // A one-pixel face's digits drawn row by row ('#' inked): a loop closed only corner to
    // corner still counts; smoothed ink is not judged.
    struct Row {
        QStringList rows;
        int loops;
    };
    const QList<Row> table = {
        {{".##.", "#..#", "#..#", ".###", "...#", "...#", "#..#", ".##."}, 1},  // 9
        {{".##.", "#..#", "...#", "..#.", "...#", "...#", "#..#", ".##."}, 0},  // 3
        {{".##.", "#..#", "#..#", ".##.", "#..#", "#..#", "#..#", ".##."}, 2},  // 8
        {{".#.", "#.#", ".#."}, 1},                                             // closed corner to corner
        {{"####", "#..#", "#..#", "##.."}, 0},                                  // a gap in the wall
    };
    for (const Row& row : table) {
        const int w = int(row.rows.first().size()), h = int(row.rows.size());
        std::vector<float> ink;
        for (const QString& r : row.rows)
            for (const QChar c : r)
                ink.push_back(c == QLatin1Char('#') ? 1.f : 0.f);
        EXPECT_EQ(GlyphClassifier::closedLoops(ink, w, h), row.loops) << row.rows.join(QLatin1Char('/')).toStdString();
        ink[0] = 0.5f;  // half-inked: smoothed print
        EXPECT_EQ(GlyphClassifier::closedLoops(ink, w, h), -1);
    }
}
