#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>

#include <vector>

// Finds the text on an instrument screenshot without reading it: which pixels stand out from
// the background around them (the screen's own background, or the fill of a box drawn on it),
// which of them form glyphs, and how glyphs of one size sit together on a line ("runs"). Lines,
// graticules, traces and box outlines are set aside; the boxes are kept, because a label and
// its value belong to the same box. Works in the screenshot's own pixels.
namespace ScreenSegmenter {

struct Run {
    QRect box;              // around all its glyphs
    QList<QRect> glyphs;    // left to right
    int height = 0;         // the tallest glyph's height, the run's text size
    int frame = -1;         // the innermost box holding it, or -1
};

struct Scan {
    int width = 0;
    int height = 0;
    // Per pixel, how far it stands out from its local background (0 = background, 255 = full contrast).
    std::vector<quint8> contrast;
    QList<Run> runs;
    QList<QRect> frames;    // outlined or filled boxes on the screen
    bool waveform = false;  // a trace drawn across much of the screen, as an oscilloscope draws it

    quint8 at(int x, int y) const { return contrast[size_t(y) * size_t(width) + size_t(x)]; }
};

Scan scan(const QImage& image);

// The same scan of text drawn at half the brightness or less (a screen's strip dimmed under an
// open menu): every faint pixel's contrast counted twice, strongly inked ones left out. Not on
// its own: its runs are what the ordinary scan missed.
Scan faintScan(const QImage& image);

// The run's pixels as dark text on white, contrast stretched to the run's own brightest pixels
// (so dim text reads as well as bright), scaled by `scale`, with `pad` white pixels around.
QImage runImage(const Scan& scan, const QRect& box, double scale, int pad);

// The run's pixels as a mask (true = ink), thresholded halfway up its own contrast, so that the
// faint unlit segments some screens draw stay out.
std::vector<bool> runMask(const Scan& scan, const QRect& box);

// The 8-connected pieces of `mask` (width × height, row by row, true for ink), as their boxes;
// `labels` gets each pixel's piece, or -1.
QList<QRect> pieces(const std::vector<bool>& mask, int width, int height, std::vector<int>& labels);
// The 4-connected pieces: ink touching only at a corner stays apart.
QList<QRect> piecesJoinedEdgeToEdge(const std::vector<bool>& mask, int width, int height, std::vector<int>& labels);
// The same, the mask as bytes (non-zero = ink): quicker over large empty stretches.
QList<QRect> pieces(const std::vector<quint8>& mask, int width, int height, std::vector<int>& labels);

// The smallest of `frames` holding the centre of `r` (the box a text belongs to), or -1.
int innermostFrame(const QList<QRect>& frames, const QRect& r);

}  // namespace ScreenSegmenter
