#pragma once

#include <QPainter>
#include <QPointF>
#include <QString>

namespace corvallen::test {

// How the segments are drawn: with small gaps at the corners (most LCD faces); thin, with the
// horizontal bars standing well apart from the vertical ones, so that empty columns part a
// digit's left-hand bars from the rest; or blocky, the horizontal bars thick and drawn between
// the vertical ones, so that a digit without left-hand bars is narrower than the others.
enum class SegmentStyle { Gapped, Apart, Blocky };

// From one digit's left edge to the next's, for digits `height` high.
double segmentPitch(int height);

// Paints `text` as seven-segment digits `height` high with the painter's brush, the first
// digit's top left at `at`: digits, "-" (the middle bar), "L", "~" (a minus drawn as a short
// block, hardly longer than thick) and "." (a square point, taking no place, hanging `pointDrop`
// of the height below the digits' foot).
void paintSegments(QPainter& p, const QString& text, QPointF at, int height, SegmentStyle style = SegmentStyle::Gapped, double pointDrop = 0);

}  // namespace corvallen::test
