#pragma once

#include <QString>

#include <optional>
#include <vector>

// Reads digits drawn as seven segments (LCD and LED style screens), which text recognisers
// trained on printed fonts don't know. Works on a thresholded patch holding one line of
// segments: the slant is taken out, the line is cut into digit cells at the empty columns, and
// in each cell the seven segment places are checked for ink. Narrow cells are the digit 1 or a
// decimal point, a lone middle bar is a minus sign; "L" is read too, for the overload "0.L".
namespace SevenSegmentDecoder {

struct Reading {
    QString text;          // e.g. "-40.25" or "0.L"
    int cells = 0;         // digit cells read
    bool separateSegments = false;  // the segments are drawn apart (gaps between them), as an LCD draws them
};

// `mask` is width × height, row by row, true for ink. Nothing when any cell is unclear or the
// cells don't form a number (or an overload mark).
std::optional<Reading> decode(const std::vector<bool>& mask, int width, int height);

}  // namespace SevenSegmentDecoder
