#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace corvallen::test {

// Screenshots saved by real instruments and instrument programs, each with what a person reads
// off it, listed in screens.tsv beside them (tab-separated, a header line, then: file, split,
// kind, maker, mode, value, unit, min, max, origin, licence, notes). A mode of "none" marks a
// screen that shows no measurement (a menu, a dialog, a scope with only its scale labels).
struct RealScreen {
    QString path;
    QString file;
    QString split;  // "dev" to develop the reader against, "heldout" to judge it
    QString kind;   // meter, scope, psu, lcr...
    QString mode;
    QString value;  // as a person writes it ("-32.1"), "OL" for an overload, empty for none
    QString unit;
    QString minValue;
    QString maxValue;
    QString notes;  // what else the screen shows, readouts written "label=value unit"
    bool noMeasurement() const { return mode.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0; }
    bool overload() const;
};

// The folder of the real screens: $CORVALLEN_REAL_SCREENS when set, else the one in the source
// tree (tests/Library/Reading/data/real).
QString realScreensFolder();

// The screens of one split ("dev", "heldout"; empty for all) whose files are there, in the
// manifest's order. Empty when the folder or its manifest is missing.
QList<RealScreen> realScreens(const QString& split);

// How one answer (the reading fields as generated content; empty when the analysis failed)
// compares with what a person reads.
struct RealScore {
    bool right = false;    // the main reading with its unit (or the refusal of a screen without one)
    bool wrong = false;    // a value that is not the screen's measurement
    bool other = false;    // not the main reading but another of the screen's labelled readouts
    bool refused = false;  // no reading although the screen shows one
    bool mode = false;
    bool limits = false;   // min and max as labelled on the screen (both absent when none are)
};
RealScore scoreRealReading(const RealScreen& screen, const QVariantMap& answer);

// One line saying what was expected and what came back, for failure messages.
QString describeRealReading(const RealScreen& screen, const QVariantMap& answer);

}  // namespace corvallen::test
