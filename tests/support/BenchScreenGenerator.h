#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace corvallen::test {

// The screens a bench multimeter / oscilloscope saves, drawn with QPainter, each with the reading a
// person reads off it. Used to score the capture reader: the layouts, fonts, sizes, colours,
// positions and noise vary with the seed, so the reader cannot lean on one drawing.
enum class BenchLayout {
    BigDigits,     // a large reading with its unit, mode label and status bar
    MinMaxPanel,   // a large reading with MIN / MAX / AVG values in boxes or columns
    SubReading,    // a large reading with a smaller secondary value (frequency, duty, range)
    SevenSegment,  // LCD digits drawn as segments, with decimal point and minus sign
    Overload,      // "OL", "O.L" or "OVER" instead of a value
    Oscilloscope,  // graticule, trace and a strip of labelled measurements
    // Held out: never used while developing the reader, so their score shows how it copes with
    // layouts it has not seen.
    DualDisplay,     // title bar naming the mode, reading over a secondary reading, soft keys, Min/Max line
    ScopeSidePanel,  // oscilloscope with its measurements in a column on the right
};
inline constexpr int benchLayoutCount = 6;     // the layouts the reader is developed against
inline constexpr int heldOutLayoutCount = 2;  // the ones after them

struct BenchTruth {
    BenchLayout layout = BenchLayout::BigDigits;
    QString mode;
    std::optional<double> value;  // absent on an overload
    QString shownValue;           // the value as drawn ("-12.37"); empty on an overload
    QString unit;                 // as drawn: "mV", "kΩ", "µF", "°C"
    std::optional<double> minValue;  // in the reading's own unit
    std::optional<double> maxValue;
    QList<double> statusNumbers;  // numbers drawn as status items (battery, clock, range): never the reading
    QString description;          // what was drawn, for failure messages
};

struct BenchScreen {
    QImage image;
    BenchTruth truth;
};

// The screen for one seed, 480×272 when `small` is false, else 320×240. The same seed always
// draws the same screen (given the same fonts).
BenchScreen drawBenchScreen(quint32 seed, BenchLayout layout, bool small);

// `count` screens cycling through the development layouts and both sizes.
QList<BenchScreen> benchScreenCorpus(int count, quint32 firstSeed = 1);

// `count` screens cycling through the held-out layouts and both sizes.
QList<BenchScreen> heldOutScreenCorpus(int count, quint32 firstSeed = 1);

// Writes the image as an uncompressed 16-bit BMP (5-6-5 bit fields), the format the instrument
// itself saves; Qt only writes 24- and 32-bit BMP files.
bool writeBmp16(const QImage& image, const QString& path);

// Saves the screen in `folder` as PNG (even `index`) or 16-bit BMP (odd `index`); the path.
QString saveBenchScreen(const BenchScreen& screen, const QString& folder, int index);

// How an answer (the reading fields as generated content) compares with the truth, per field.
struct FieldScore {
    bool mode = false;
    bool value = false;
    bool unit = false;
    bool minValue = false;
    bool maxValue = false;
    bool summary = false;
    bool all() const { return mode && value && unit && minValue && maxValue && summary; }
    QString wrongFields() const;
};
FieldScore scoreReading(const BenchTruth& truth, const QVariantMap& answer);

}  // namespace corvallen::test
