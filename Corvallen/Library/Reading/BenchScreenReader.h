#pragma once

#include "Corvallen/Library/Reading/TextRecognizer.h"

#include <QString>
#include <QVariantMap>

// Reads the measurement off a bench multimeter / oscilloscope screen the way a person does,
// from the words on it with their places and sizes:
// - the reading is the number drawn largest; its unit is the unit written beside or just after
//   it, however small or raised;
// - MIN, MAX, AVG, Freq, Duty, Vpp and similar labels belong to the value in their own box or
//   column, above, below or beside them, and such values are never the reading;
// - status items (battery percentage, clock, AUTO / HOLD / range marks, scale settings) are
//   never the reading;
// - the mode comes from the screen's mode labels and the reading's unit;
// - "OL", "O.L" or "OVER" is an overload: no value, and the summary says so;
// - on an oscilloscope the reading is its peak-to-peak measurement (else its frequency).
// A screen without a readable value gives no value; nothing is guessed.
namespace BenchScreenReader {

// The answer's properties: "mode", "value", "unit", "minValue", "maxValue", "summary"; "value",
// "minValue" and "maxValue" only when read.
QVariantMap read(const TextRecognizer::ScreenText& screen);

// Plain text (lines of words, as a recogniser gives them) laid out as a screen whose lines are
// all drawn at one size, so that text without positions is read by the same rules.
TextRecognizer::ScreenText layoutOfText(const QString& text);

}  // namespace BenchScreenReader
