#pragma once

#include "Corvallen/Library/Reading/ScreenSegmenter.h"

#include <QList>
#include <QRect>
#include <QString>

#include <vector>

// Reads the figures in small print (status bars, measurement strips and limit boxes of small
// screens, glyphs 5 to 18 pixels high), where the recogniser drops decimal points and minus
// signs, mistakes 0 for 6 or 8 and loses a digit standing alone. Each glyph is compared with
// the digits, letters and signs drawn at its own pixel height in the installed text faces
// (smoothed and hard-edged, regular and bold) once both are scaled to one grid; a glyph is a
// digit only when it is near a digit's drawings and clearly nearer to one digit than to the
// others. Points and minus signs are told by their size and place on the line. Deterministic
// for a given set of faces; the drawings for a size are made once, on first use, and shared
// by all threads.
namespace GlyphClassifier {

// A figure found in a run: digits side by side on one baseline, with at most one point between
// them and perhaps a minus sign in front, standing alone (a gap, a letter or a sign on either
// side, never a glyph that could be an unread digit or point).
struct Figure {
    QString text;  // "-0.16", "919.7", "8"
    QRect box;     // around its glyphs, in the scan
    // The letter right after the figure, when it reads as one (a unit's first letter: "V" of
    // "5.89V"), and its box; null and empty otherwise.
    QChar unitLetter;
    QRect unitBox;
};

// Draws the digits of every face at every height small print comes in, once per process (else
// each height is drawn on its first use, which costs a first screen with many sizes seconds).
void prepare();
// And at every other height characters are compared at, up to 40 pixels: a character is cut
// from its run's whole box, which may stand taller than the run's print, and each such height
// first met in a capture costs that capture a fifth of a second. About twice the work of
// prepare(), for a thread that can spare it.
void prepareEveryHeight();

// The closed loops of a glyph in hard-edged print (`ink` row by row, every pixel 0 or 1): blank
// areas its ink walls in on every side, as a 0, 6, 8 or 9 has; -1 for smoothed print, whose
// half-inked pixels may close or open a loop the face doesn't have.
int closedLoops(const std::vector<float>& ink, int width, int height);

// The figures in `run` whose every digit was read with confidence.
QList<Figure> figuresIn(const ScreenSegmenter::Scan& scan, const ScreenSegmenter::Run& run);

}  // namespace GlyphClassifier
