// The reading rules over words with their places and sizes, as the recogniser hands them over.
#include "Corvallen/Library/Reading/BenchScreenReader.h"

#include <gtest/gtest.h>

#include <optional>

using TextRecognizer::ScreenText;
using TextRecognizer::ScreenWord;

namespace {

// Words are given by their text, left edge, top edge, text height and row; widths follow from
// the text at 0.6 of the height per character.
struct W {
    const char* text;
    int x, y, h;
    int row = -1;  // as the recogniser grouped it, where that differs from the layout's
    int width = 0;  // where it differs from the width its characters take
};

ScreenText screenOf(const QList<W>& words, QList<QRect> boxes = {})
{
    ScreenText s;
    s.size = QSize(480, 272);
    s.boxes = boxes;
    QList<int> rowTops;
    for (const W& w : words) {
        ScreenWord sw;
        sw.text = QString::fromUtf8(w.text);
        sw.box = QRect(w.x, w.y, w.width > 0 ? w.width : std::max(4, int(sw.text.size() * w.h * 0.6)), w.h);
        sw.textHeight = w.h;
        sw.confidence = 90;
        int row = w.row;
        for (int i = 0; i < rowTops.size() && row < 0; ++i)
            if (std::abs(rowTops.at(i) - w.y) < w.h)
                row = i;
        if (row < 0) {
            row = int(rowTops.size());
            rowTops.append(w.y);
        }
        sw.row = row;
        s.words.append(sw);
    }
    return s;
}

QString field(const QVariantMap& m, const char* key)
{
    return m.value(QLatin1String(key)).toString();
}

}  // namespace

TEST(BenchScreenReader, TheLargestNumberIsTheReadingNotTheStatusBar)
{
    // Battery, clock and range sit in the status bar; the reading is drawn large with a small
    // raised unit beside its top.
    const auto m = BenchScreenReader::read(screenOf({{"AUTO", 6, 4, 10}, {"20V", 60, 4, 10}, {"12:34", 360, 4, 10},
                                                     {"80%", 410, 4, 10}, {"DC", 20, 30, 16}, {"4.552", 100, 110, 64},
                                                     {"mV", 300, 110, 20}}));
    EXPECT_EQ(field(m, "mode"), QStringLiteral("DC Voltage"));
    EXPECT_EQ(m.value(QStringLiteral("value")).toDouble(), 4.552);
    EXPECT_EQ(field(m, "unit"), QStringLiteral("mV"));
    EXPECT_TRUE(field(m, "summary").contains(QStringLiteral("4.552 mV")));

    // A meter card whose selector names channels (CH1, CH2...) but that shows no readout of a
    // scope: its large number with its unit is the reading all the same.
    const auto card = BenchScreenReader::read(screenOf({{"CH1", 40, 200, 10}, {"CH2", 90, 200, 10}, {"CH3", 140, 200, 10},
                                                        {"Voltage", 60, 240, 12}, {"-3.42", 200, 100, 40}, {"V", 330, 100, 30}}));
    EXPECT_EQ(card.value(QStringLiteral("value")).toDouble(), -3.42);
    EXPECT_EQ(field(card, "unit"), QStringLiteral("V"));

    // A program's average, highest and lowest, drawn well smaller beside its large reading and
    // close to it, are its statistics, not peers that leave no reading.
    const auto stats = BenchScreenReader::read(screenOf({{"Power", 6, 4, 10}, {"4.1933", 20, 60, 48}, {"V", 200, 80, 20},
                                                         {"4.1935V", 320, 60, 31}, {"4.2002V", 320, 120, 31}, {"4.1868V", 320, 180, 31},
                                                         {"11.3881", 20, 140, 48}, {"mA", 230, 160, 20}}));
    EXPECT_EQ(stats.value(QStringLiteral("value")).toDouble(), 4.1933);
    EXPECT_EQ(field(stats, "unit"), QStringLiteral("V"));

    // Status items alone are never a reading: no value rather than the battery or the range.
    const auto status = BenchScreenReader::read(screenOf({{"AUTO", 6, 4, 10}, {"20V", 60, 4, 10}, {"80%", 410, 4, 10}}));
    EXPECT_FALSE(status.contains(QStringLiteral("value")));
}

TEST(BenchScreenReader, LabelsPairWithTheValueInTheirBoxOrColumn)
{
    const QList<QRect> boxes = {QRect(10, 190, 150, 60), QRect(165, 190, 150, 60), QRect(320, 190, 150, 60)};
    // Labels above their values, each in its own box, the AVG first.
    const auto above = BenchScreenReader::read(screenOf({{"1.250", 120, 80, 60}, {"V", 300, 100, 30}, {"AVG", 60, 195, 12},
                                                         {"MAX", 215, 195, 12}, {"MIN", 370, 195, 12}, {"1.262", 40, 225, 18},
                                                         {"1.31", 195, 225, 18}, {"980", 345, 225, 18}, {"mV", 385, 225, 18}},
                                                        boxes));
    EXPECT_EQ(above.value(QStringLiteral("value")).toDouble(), 1.25);
    EXPECT_EQ(above.value(QStringLiteral("maxValue")).toDouble(), 1.31);
    EXPECT_NEAR(above.value(QStringLiteral("minValue")).toDouble(), 0.98, 1e-12);  // 980 mV in the reading's volts

    // Labels below their values, no boxes.
    const auto below = BenchScreenReader::read(screenOf({{"23.5", 120, 80, 60}, {"°C", 275, 80, 24}, {"22.1", 60, 200, 18},
                                                         {"24.9", 300, 200, 18}, {"MIN", 62, 225, 12}, {"MAX", 302, 225, 12}}));
    EXPECT_EQ(field(below, "mode"), QStringLiteral("Temperature"));
    EXPECT_EQ(field(below, "unit"), QStringLiteral("°C"));
    EXPECT_EQ(below.value(QStringLiteral("minValue")).toDouble(), 22.1);
    EXPECT_EQ(below.value(QStringLiteral("maxValue")).toDouble(), 24.9);

    // Labels beside their values in a column on the right; a secondary frequency is no limit.
    const auto beside = BenchScreenReader::read(screenOf({{"AC", 10, 30, 16}, {"230.4", 20, 100, 56}, {"V", 200, 110, 40},
                                                          {"MAX", 300, 80, 14}, {"231.0", 340, 80, 18}, {"MIN", 300, 130, 14},
                                                          {"229.8", 340, 130, 18}, {"Freq", 300, 180, 14}, {"50.01Hz", 340, 180, 18}}));
    EXPECT_EQ(field(beside, "mode"), QStringLiteral("AC Voltage"));
    EXPECT_EQ(beside.value(QStringLiteral("value")).toDouble(), 230.4);
    EXPECT_EQ(beside.value(QStringLiteral("minValue")).toDouble(), 229.8);
    EXPECT_EQ(beside.value(QStringLiteral("maxValue")).toDouble(), 231.0);

    // A limit on the other side of zero, in a larger unit, is given in the reading's.
    const auto across = BenchScreenReader::read(screenOf({{"918.38", 20, 100, 56}, {"mV", 220, 110, 40}, {"MIN:", 300, 80, 14},
                                                          {"-1.01149V", 340, 80, 18}, {"MAX:", 300, 130, 14}, {"983.29mV", 340, 130, 18}}));
    EXPECT_NEAR(across.value(QStringLiteral("minValue")).toDouble(), -1011.49, 1e-9);
    EXPECT_EQ(across.value(QStringLiteral("maxValue")).toDouble(), 983.29);

    // A qualifier set over the unit after a figure ("rms" over "mV") is that figure's, not the
    // next figure's whose left edge it stands nearer (two readings side by side over a
    // scopemeter's waveform).
    ScreenText scopemeter = screenOf({{"415,4", 32, 2, 60, 0, 145}, {"rms", 184, 14, 12, 0}, {"mV", 182, 34, 24, 0},
                                      {"0,007", 270, 2, 60, 0, 145}, {"U", 420, 34, 24, 0}, {"rms", 422, 14, 12, 0}});
    scopemeter.waveform = true;
    const auto qualified = BenchScreenReader::read(scopemeter);
    EXPECT_EQ(qualified.value(QStringLiteral("value")).toDouble(), 415.4);
    EXPECT_EQ(field(qualified, "unit"), QStringLiteral("mV"));
}

TEST(BenchScreenReader, OverloadGivesNoValueAndSaysSo)
{
    for (const char* mark : {"OL", "O.L", "0.L", "OVER", "-OL-", "--OL--", "-0OL--"}) {
        const int unitAt = 120 + int(qstrlen(mark) * 64 * 0.6) + 40;
        const auto m = BenchScreenReader::read(screenOf({{"RES", 10, 30, 16}, {mark, 120, 100, 64}, {"MΩ", std::max(300, unitAt), 100, 24},
                                                         {"80%", 410, 4, 10}}));
        EXPECT_FALSE(m.contains(QStringLiteral("value"))) << mark;
        EXPECT_EQ(field(m, "mode"), QStringLiteral("Resistance")) << mark;
        EXPECT_EQ(field(m, "unit"), QStringLiteral("MΩ")) << mark;
        EXPECT_TRUE(field(m, "summary").contains(QStringLiteral("overload"))) << mark;
    }
    // An LCR meter's primary line overloaded: its secondary, drawn as large, is not the reading.
    const auto primary = BenchScreenReader::read(screenOf({{"Rp:", 10, 60, 30}, {"--OL--", 120, 60, 30}, {"X:", 10, 120, 30},
                                                           {"145.17", 120, 120, 30}, {"MΩ", 260, 120, 30}}));
    EXPECT_FALSE(primary.contains(QStringLiteral("value")));
    EXPECT_TRUE(field(primary, "summary").contains(QStringLiteral("overload")));
    // A display face keeps its unit where the field's digits would end, "DC" stacked over it,
    // some three heights past the short mark; four and more off, or behind another word, it is
    // no unit of the mark.
    struct Far {
        int unitAt;
        bool wordBetween;
        const char* unit;
        const char* mode;
    };
    for (const Far& c : {Far{345, false, "mV", "DC Voltage"}, Far{435, false, "", "Measurement"}, Far{345, true, "", "Measurement"}}) {
        QList<W> words = {{"0L", 150, 78, 50}, {"DC", c.unitAt, 80, 14}, {"mV", c.unitAt, 112, 16}};
        if (c.wordBetween)
            words.append({"AUTO", c.unitAt - 23, 100, 10, -1, 20});
        const auto m = BenchScreenReader::read(screenOf(words));
        EXPECT_FALSE(m.contains(QStringLiteral("value"))) << c.unitAt;
        EXPECT_EQ(field(m, "unit"), QString::fromUtf8(c.unit)) << c.unitAt << c.wordBetween;
        EXPECT_EQ(field(m, "mode"), QString::fromUtf8(c.mode)) << c.unitAt << c.wordBetween;
    }
    // A program printing the instrument's answer shows the number it sends for an overload.
    const auto sent = BenchScreenReader::read(screenOf({{"RES", 10, 30, 16}, {"+9.90000000E+37", 20, 100, 24}, {"MΩ", 250, 100, 24}}));
    EXPECT_FALSE(sent.contains(QStringLiteral("value")));
    EXPECT_EQ(field(sent, "unit"), QStringLiteral("MΩ"));
    // The mark with the unit glued on, the ohm sign garbled, is still an overload on that range.
    for (const char* glued : {"OVERkQ", "-OL-ka", "O.Lko"}) {
        const auto m = BenchScreenReader::read(screenOf({{glued, 120, 100, 64}, {"12:00", 360, 4, 10}}));
        EXPECT_FALSE(m.contains(QStringLiteral("value"))) << glued;
        EXPECT_EQ(field(m, "unit"), QStringLiteral("kΩ")) << glued;
        EXPECT_TRUE(field(m, "summary").contains(QStringLiteral("overload"))) << glued;
    }
}

TEST(BenchScreenReader, MisreadUnitsAndModesAreMended)
{
    struct Case {
        const char* modeLabel;
        const char* unit;
        const char* mode;
        const char* wantUnit;
    };
    // What the recogniser makes of symbols it has no letters for (Ω, µ, °) and of doubled letters.
    const Case cases[] = {
        {"RES", "kQ", "Resistance", "kΩ"},       {"CAP", "uF", "Capacitance", "µF"},  {"DCA", "yA", "DC Current", "µA"},
        {"ACV", "Vv", "AC Voltage", "V"},        {"TEMP", "*C", "Temperature", "°C"}, {"", "kKHz", "Frequency", "kHz"},
        {"DIODE", "V", "Diode", "V"},            {"CONT", "Ω", "Continuity", "Ω"},    {"V~", "mV", "AC Voltage", "mV"},
        {"TRMSAC", "V", "AC Voltage", "V"},      {"DCV", "Vy", "DC Voltage", "V"},    {"DICDE", "V", "Diode", "V"},
        {"CONTINUTY", "Ω", "Continuity", "Ω"},   {"", "vpc", "DC Voltage", "V"},      {"", "apdc", "DC Current", "A"},
        {"LCR", "uH", "Inductance", "µH"},       {"FREQ", "dbm", "Measurement", "dBm"}, {"MKR", "dI3m", "Measurement", "dBm"},
        {"CurrentA/C", "mA", "AC Current", "mA"}, {"Temperature", "W", "Measurement", "W"}, {"TotalPower", "wW", "Measurement", "W"},
    };
    for (const Case& c : cases) {
        const auto m = BenchScreenReader::read(screenOf({{c.modeLabel, 10, 30, 16}, {"12.34", 100, 100, 60}, {c.unit, 300, 100, 24}}));
        EXPECT_EQ(field(m, "mode"), QString::fromUtf8(c.mode)) << c.unit;
        EXPECT_EQ(field(m, "unit"), QString::fromUtf8(c.wantUnit)) << c.unit;
    }
    // A lone ohm sign garbled beyond recognition is an ohm sign only where the screen says
    // resistance or continuity (by its label or an ohm range); elsewhere the unit stays unknown.
    for (const char* garbled : {"QO", "0)", "Q"}) {
        const auto ohms = BenchScreenReader::read(screenOf({{"Continuity", 10, 30, 16}, {"12.7", 100, 100, 60}, {garbled, 300, 100, 24}}));
        EXPECT_EQ(field(ohms, "unit"), QStringLiteral("Ω")) << garbled;
        const auto range = BenchScreenReader::read(screenOf({{"AUTO", 6, 4, 10}, {"20kQ", 60, 4, 10}, {"12.7", 100, 100, 60}, {garbled, 300, 100, 24}}));
        EXPECT_EQ(field(range, "mode"), QStringLiteral("Resistance")) << garbled;
        EXPECT_EQ(field(range, "unit"), QStringLiteral("Ω")) << garbled;
        if (QByteArray(garbled) != "Q") {  // a lone Q is the ohm sign's usual misreading anywhere
            const auto unknown = BenchScreenReader::read(screenOf({{"12.7", 100, 100, 60}, {garbled, 300, 100, 24}}));
            EXPECT_TRUE(field(unknown, "unit").isEmpty()) << garbled;
        }
    }
    // A supply's protection or regulation lamp beside its digits is no garbled ohm sign, on a
    // panel whose BEEP key makes it look like a continuity page.
    for (const char* lampName : {"OVP", "C.V"}) {
        const auto lamp = BenchScreenReader::read(screenOf({{"BEEP", 10, 30, 16}, {"30.00", 100, 100, 60}, {lampName, 300, 100, 24}}));
        EXPECT_NE(field(lamp, "unit"), QStringLiteral("Ω")) << lampName;
    }
}

TEST(BenchScreenReader, LimitsKeepTheReadingsFormatAndUnit)
{
    // A limit whose decimal point was lost in small print has the reading's digits; one whose
    // prefix was misread is nearer the reading as drawn; a label glued to its value with a
    // garbled unit still holds the value, and a minus after the label belongs to the value.
    const auto m = BenchScreenReader::read(screenOf({{"RES", 10, 30, 16}, {"2.510", 40, 100, 60}, {"MQ", 220, 100, 24},
                                                     {"MIN2468MD", 300, 80, 12}, {"MAX", 300, 140, 12}, {"2.542", 340, 140, 12},
                                                     {"kQ", 380, 140, 12}}));
    EXPECT_EQ(field(m, "unit"), QStringLiteral("MΩ"));
    EXPECT_EQ(m.value(QStringLiteral("minValue")).toDouble(), 2.468);
    EXPECT_EQ(m.value(QStringLiteral("maxValue")).toDouble(), 2.542);

    const auto negative = BenchScreenReader::read(screenOf({{"DC", 10, 30, 16}, {"-4.80", 40, 100, 60}, {"V", 220, 100, 24},
                                                            {"Vmin-5.31V", 300, 80, 12}, {"Vmax:-4.12V", 300, 140, 12}}));
    EXPECT_EQ(negative.value(QStringLiteral("minValue")).toDouble(), -5.31);
    EXPECT_EQ(negative.value(QStringLiteral("maxValue")).toDouble(), -4.12);

    // Large digits with a decimal comma read apart around it are one figure; a limit in
    // another unit, far from the reading, is another readout's (a resistance beside a voltage).
    const auto comma = BenchScreenReader::read(screenOf({{"10", 40, 100, 60}, {",", 110, 100, 60}, {"5002VDC", 130, 100, 60},
                                                         {"min", 40, 200, 12}, {"max", 240, 200, 12}, {"10,4999V", 40, 220, 12},
                                                         {"68,679", 240, 220, 12}, {"Ω", 300, 220, 12}}));
    EXPECT_EQ(comma.value(QStringLiteral("value")).toDouble(), 10.5002);
    EXPECT_EQ(field(comma, "unit"), QStringLiteral("V"));
    EXPECT_EQ(comma.value(QStringLiteral("minValue")).toDouble(), 10.4999);
    EXPECT_FALSE(comma.contains(QStringLiteral("maxValue")));

    // ...and so is one near it in size whose unit is that of a larger readout beside the
    // reading (a load's panel: "7.400 V", "13.704 Ω", the resistance's "max 13.700 Ω" under it).
    const auto panel = BenchScreenReader::read(screenOf({{"7.400", 40, 100, 30}, {"V", 140, 110, 18}, {"13.704", 240, 100, 30}, {"\u03A9", 360, 110, 18},
                                                         {"max", 200, 150, 8}, {"13.700", 230, 150, 12}, {"\u03A9", 280, 150, 12}}));
    EXPECT_EQ(panel.value(QStringLiteral("value")).toDouble(), 7.4);
    EXPECT_FALSE(panel.contains(QStringLiteral("maxValue")));
    // ...nor that readout itself, its limit's label under it.
    const auto under = BenchScreenReader::read(screenOf({{"7.400", 40, 100, 30}, {"V", 140, 110, 18}, {"13.704", 240, 100, 30}, {"\u03A9", 360, 110, 18},
                                                         {"max", 250, 140, 8}}));
    EXPECT_EQ(under.value(QStringLiteral("value")).toDouble(), 7.4);
    EXPECT_FALSE(under.contains(QStringLiteral("maxValue")));

    // A program's line of a reading and its labelled limits after it, in print alike; the
    // next line's current is not their reading.
    const auto line = BenchScreenReader::read(screenOf({{"PowerMeter", 10, 10, 24}, {"V:", 20, 60, 12}, {"3.88V", 50, 60, 12},
                                                        {"Min:", 150, 60, 12}, {"3.85V", 190, 60, 12}, {"Max:", 290, 60, 12},
                                                        {"3.95V", 330, 60, 12}, {"C:", 20, 100, 12}, {"-0.0001A", 50, 100, 12},
                                                        {"Min:", 150, 100, 12}, {"-0.0001V", 190, 100, 12}, {"Max:", 290, 100, 12},
                                                        {"0.227V", 330, 100, 12}}));
    EXPECT_EQ(line.value(QStringLiteral("value")).toDouble(), 3.88);
    EXPECT_EQ(line.value(QStringLiteral("minValue")).toDouble(), 3.85);
    EXPECT_EQ(line.value(QStringLiteral("maxValue")).toDouble(), 3.95);

    // A supply's input voltage, its symbol one letter off a minimum's label, is no limit.
    const auto input = BenchScreenReader::read(screenOf({{"Vset", 10, 30, 12}, {"5.00", 40, 100, 40}, {"Vout", 200, 120, 12},
                                                         {"CSVrun", 10, 200, 12}, {"48.12", 80, 200, 12}, {"Vin", 130, 200, 12}}));
    EXPECT_EQ(input.value(QStringLiteral("value")).toDouble(), 5.00);
    EXPECT_FALSE(input.contains(QStringLiteral("minValue")));
    // Nor is a charge counter in milliampere-hours one letter off a maximum's label.
    const auto charge = BenchScreenReader::read(screenOf({{"Voltage(V):5.151V", 40, 40, 18}, {"Current(A):0.005A", 400, 40, 18},
                                                          {"mAh:7.50", 300, 400, 10}}));
    EXPECT_EQ(charge.value(QStringLiteral("value")).toDouble(), 5.151);
    EXPECT_FALSE(charge.contains(QStringLiteral("maxValue")));

    // A source program's statistics of its readback, their column names lost, after the range
    // the channel is set to: value, mean, minimum, maximum and deviation, each unit written out.
    const auto readback = BenchScreenReader::read(screenOf({{"SMU", 10, 10, 24}, {"60.0000V", 240, 826, 11}, {"12.0000V", 382, 826, 11},
                                                            {"12.0000V", 498, 826, 11}, {"11.9997V", 615, 826, 11}, {"12.0000V", 731, 826, 11},
                                                            {"348.430µV", 847, 826, 11}, {"13.0271µV", 986, 826, 11}}));
    EXPECT_EQ(readback.value(QStringLiteral("value")).toDouble(), 12.0);
    EXPECT_EQ(field(readback, "unit"), QStringLiteral("V"));
    EXPECT_EQ(readback.value(QStringLiteral("minValue")).toDouble(), 11.9997);
    EXPECT_EQ(readback.value(QStringLiteral("maxValue")).toDouble(), 12.0);

    // A scope's maximum read below its minimum ("Max=88.0m" read "Max-880m"): neither limit.
    const auto crossed = BenchScreenReader::read(screenOf({{"1.00V/", 100, 4, 12}, {"200.0us/", 200, 4, 12}, {"2.00GSa/s", 320, 4, 12},
                                                           {"Vpp", 20, 230, 9}, {"116m", 50, 230, 9}, {"Max-880m", 200, 230, 9},
                                                           {"Min", 300, 230, 9}, {"80m", 340, 230, 9}}));
    EXPECT_EQ(crossed.value(QStringLiteral("value")).toDouble(), 116);
    EXPECT_FALSE(crossed.contains(QStringLiteral("minValue")));
    EXPECT_FALSE(crossed.contains(QStringLiteral("maxValue")));
}

TEST(BenchScreenReader, OscilloscopesReportTheirPeakToPeakMeasurement)
{
    const QList<QRect> boxes = {QRect(0, 240, 120, 30), QRect(120, 240, 120, 30), QRect(240, 240, 120, 30), QRect(360, 240, 120, 30)};
    const auto m = BenchScreenReader::read(screenOf({{"CH1", 4, 4, 12}, {"1V/div", 60, 4, 12}, {"500us", 140, 4, 12},
                                                     {"Trig", 200, 4, 12}, {"Freq", 4, 248, 12}, {"1.002kHz", 40, 248, 12},
                                                     {"Pk", 124, 248, 12}, {"Pk", 145, 248, 12}, {"3.28V", 170, 248, 12},
                                                     {"Max:1.64V", 244, 248, 12}, {"Min", 364, 248, 12}, {"-1.64V", 390, 248, 12}},
                                                    boxes));
    EXPECT_EQ(field(m, "mode"), QStringLiteral("Oscilloscope"));
    EXPECT_EQ(m.value(QStringLiteral("value")).toDouble(), 3.28);
    EXPECT_EQ(field(m, "unit"), QStringLiteral("V"));
    EXPECT_EQ(m.value(QStringLiteral("maxValue")).toDouble(), 1.64);
    EXPECT_EQ(m.value(QStringLiteral("minValue")).toDouble(), -1.64);

    // The channel settings and the peak-to-peak label garbled: the waveform across the screen
    // still makes it a scope's, and the one voltage no other label claims is the peak to peak.
    ScreenText garbled = screenOf({{"sccm", 60, 4, 12}, {"jo)", 300, 4, 12}, {"Freq", 4, 248, 12}, {"1.002kHz", 40, 248, 12},
                                   {"Yqq", 124, 248, 12}, {"3.28V", 170, 248, 12}, {"Vrms", 244, 248, 12}, {"1.16V", 290, 248, 12}},
                                  boxes);
    garbled.waveform = true;
    const auto scope = BenchScreenReader::read(garbled);
    EXPECT_EQ(field(scope, "mode"), QStringLiteral("Oscilloscope"));
    EXPECT_EQ(scope.value(QStringLiteral("value")).toDouble(), 3.28);
    garbled.waveform = false;  // without it, nothing on the screen says oscilloscope
    EXPECT_NE(field(BenchScreenReader::read(garbled), "mode"), QStringLiteral("Oscilloscope"));

    // A meter program's chart under its reading, a bare "Period" among its menu's entries: a
    // measurement's name with no figure of its own makes no scope.
    ScreenText chart = screenOf({{"5.02681", 100, 60, 40}, {"VDC", 330, 80, 16}, {"Period", 10, 200, 12}, {"Samples", 10, 220, 12}});
    chart.waveform = true;
    EXPECT_EQ(field(BenchScreenReader::read(chart), "mode"), QStringLiteral("DC Voltage"));

    // A measurement named with the channel it measures is a scope's, whatever it measures.
    ScreenText indexed = screenOf({{"GLEN", 4, 4, 12}, {"200ms/", 40, 4, 12}, {"Prd1J1.12s", 131, 224, 11}, {"+Duty(1J+97.81%", 210, 224, 11}});
    indexed.waveform = true;
    const auto indexedRead = BenchScreenReader::read(indexed);
    EXPECT_EQ(field(indexedRead, "mode"), QStringLiteral("Oscilloscope"));
    EXPECT_EQ(indexedRead.value(QStringLiteral("value")).toDouble(), 1.12);

    // A column of measurements whose labels came out garbled in small print: "PePe" keeps the
    // shape of Pk-Pk (beside a minimum garbled past reading), and "Viens" that of Vrms, which
    // leaves the unlabelled voltage to the peak to peak; the frequency is never taken for it.
    for (const char* peak : {"PePe", "Ph-Ph"}) {
        ScreenText column = screenOf({{"CH1", 4, 250, 12}, {"200mV", 40, 250, 12}, {"STOP", 200, 250, 12}, {peak, 350, 10, 12},
                                      {"654mV", 350, 30, 12}, {"Mer)", 350, 60, 12}, {"-388mV", 350, 80, 12}, {"Freq", 350, 110, 12},
                                      {"952.9Hz", 350, 130, 12}, {"Max", 350, 160, 12}, {"266mV", 350, 180, 12}});
        column.waveform = true;
        const auto read = BenchScreenReader::read(column);
        EXPECT_EQ(read.value(QStringLiteral("value")).toDouble(), 654) << peak;
        EXPECT_EQ(field(read, "unit"), QStringLiteral("mV")) << peak;
    }
    ScreenText rms = screenOf({{"CH1", 4, 250, 12}, {"1.00V", 40, 250, 12}, {"STOP", 200, 250, 12}, {"Outy", 350, 10, 12},
                               {"59.4%", 350, 30, 12}, {"Viens", 350, 60, 12}, {"238mV", 350, 80, 12}, {"x", 350, 110, 12},
                               {"680mV", 350, 130, 12}, {"Freq", 350, 160, 12}, {"948.5Hz", 350, 180, 12}});
    rms.waveform = true;
    EXPECT_EQ(BenchScreenReader::read(rms).value(QStringLiteral("value")).toDouble(), 680);
    // No RMS value is negative: a minus after its label is the label's "=" misread.
    ScreenText dashed = screenOf({{"CH1", 4, 250, 12}, {"1.00V", 40, 250, 12}, {"STOP", 200, 250, 12}, {"Rms-80.0mV", 350, 30, 12}});
    dashed.waveform = true;
    EXPECT_EQ(BenchScreenReader::read(dashed).value(QStringLiteral("value")).toDouble(), 80);

    // A peak to peak whose unit was lost: the maximum less the minimum tells it; where nothing
    // does, the frequency before it is not the screen's measurement.
    auto lostUnit = [](bool limits) {
        QList<W> words = {{"CH1", 4, 4, 12},          {"1Vidiv", 60, 4, 12},    {"Vrms", 4, 230, 12},   {"0.87V", 40, 230, 12},
                          {"FREQ598.0Hz", 100, 230, 12}, {"T1.67ms", 200, 230, 12}, {"Pk-Pk:", 260, 230, 12}, {"2.47", 310, 230, 12}};
        if (limits)
            words += QList<W>{{"MIN:", 4, 250, 12}, {"-0.68V", 45, 250, 12}, {"Vavg:", 100, 250, 12}, {"-0.06V", 150, 250, 12},
                              {"Max:", 260, 250, 12}, {"1.80V", 300, 250, 12}};
        ScreenText s = screenOf(words);
        s.waveform = true;
        return BenchScreenReader::read(s);
    };
    EXPECT_EQ(field(lostUnit(true), "value"), QStringLiteral("2.47"));
    EXPECT_EQ(field(lostUnit(true), "unit"), QStringLiteral("V"));
    EXPECT_FALSE(lostUnit(false).contains(QStringLiteral("value")));
}

TEST(BenchScreenReader, SmallPrintSlipsInLabelsFiguresAndUnitsAreMended)
{
    // Short limit labels one letter off ("M1N" glued to its value, "vax", "Nin"), a zero read as
    // O or Q before the point, µ read as w, an ampere in lower case behind its prefix.
    const QList<QRect> boxes = {QRect(10, 190, 150, 60), QRect(165, 190, 150, 60)};
    const auto m = BenchScreenReader::read(screenOf({{"DCA", 10, 30, 16}, {"Q.383", 100, 100, 60}, {"ma", 300, 110, 24},
                                                     {"M1N0.371mA", 20, 200, 14}, {"vax", 180, 195, 12}, {"O.402", 180, 225, 14}},
                                                    boxes));
    EXPECT_EQ(m.value(QStringLiteral("value")).toDouble(), 0.383);
    EXPECT_EQ(field(m, "unit"), QStringLiteral("mA"));
    EXPECT_EQ(m.value(QStringLiteral("minValue")).toDouble(), 0.371);
    EXPECT_EQ(m.value(QStringLiteral("maxValue")).toDouble(), 0.402);

    const auto micro = BenchScreenReader::read(screenOf({{"CAP", 10, 30, 16}, {"54.57", 100, 100, 60}, {"wF", 300, 110, 24},
                                                         {"Nin", 20, 195, 12}, {"54.55", 20, 225, 14}}));
    EXPECT_EQ(field(micro, "unit"), QStringLiteral("µF"));
    EXPECT_EQ(micro.value(QStringLiteral("minValue")).toDouble(), 54.55);
    // A reading of nought alone before its unit, read as the letter.
    const auto nought = BenchScreenReader::read(screenOf({{"OVDC", 100, 100, 60}, {"MIN:0VDC", 20, 200, 14}}));
    EXPECT_EQ(field(nought, "value"), QStringLiteral("0"));
    EXPECT_EQ(field(nought, "unit"), QStringLiteral("V"));
    // A 7 that lost its bar, read as a slash right after the point.
    const auto seven = BenchScreenReader::read(screenOf({{"DCV", 10, 30, 16}, {"12./5", 100, 100, 60}, {"V", 300, 110, 24}}));
    EXPECT_EQ(field(seven, "value"), QStringLiteral("12.75"));
    // A 4 open at the top, read as an A before the point, in a panel's slot too.
    const auto four = BenchScreenReader::read(screenOf({{"DCV", 10, 30, 16}, {"A.96", 100, 100, 60}, {"V", 300, 110, 24}}));
    EXPECT_EQ(field(four, "value"), QStringLiteral("4.96"));
    // An 8 read as a B between digits, the figure ending in its unit; without a unit the word
    // is a name and gives no figure.
    const auto eight = BenchScreenReader::read(screenOf({{"4B32my", 100, 100, 60}, {"0.998mA", 100, 200, 24}}));
    EXPECT_EQ(field(eight, "value"), QStringLiteral("4832"));
    EXPECT_EQ(field(eight, "unit"), QStringLiteral("mV"));
    EXPECT_FALSE(BenchScreenReader::read(screenOf({{"4B32", 100, 100, 60}})).contains(QStringLiteral("value")));

    // A speck after the unit read as a quote mark and a letter is no part of it.
    const auto speck = BenchScreenReader::read(screenOf({{"05.22V\"s", 100, 100, 60}, {"0.063A", 100, 200, 24}}));
    EXPECT_EQ(field(speck, "value"), QStringLiteral("5.22"));
    EXPECT_EQ(field(speck, "unit"), QStringLiteral("V"));

    // A word one letter off two labels at once is neither: "MAN" (a manual range) gives no limit.
    const auto manual = BenchScreenReader::read(screenOf({{"MAN", 20, 195, 12}, {"12.7", 100, 100, 60}, {"V", 300, 110, 24},
                                                          {"13.1", 20, 225, 14}}));
    EXPECT_FALSE(manual.contains(QStringLiteral("minValue")));
    EXPECT_FALSE(manual.contains(QStringLiteral("maxValue")));
    // Among limit labels it is one of them: in their row, or stacked over its value beside MAX.
    const auto header = BenchScreenReader::read(screenOf({{"96.420", 100, 60, 60}, {"mA", 330, 70, 24}, {"MAX", 20, 150, 12},
                                                          {"Man", 120, 150, 12}, {"Avg", 220, 150, 12}, {"98.748mA", 20, 170, 12},
                                                          {"94.746mA", 120, 170, 12}, {"96.747mA", 220, 170, 12},
                                                          {"MAN", 20, 240, 12}, {"Hold", 80, 240, 12}}));
    EXPECT_EQ(header.value(QStringLiteral("minValue")).toDouble(), 94.746);
    EXPECT_EQ(header.value(QStringLiteral("maxValue")).toDouble(), 98.748);
    const auto panel = BenchScreenReader::read(screenOf({{"CH1", 4, 250, 12}, {"2V", 60, 250, 12}, {"STOP", 200, 250, 12},
                                                         {"Man", 400, 20, 12}, {"-3.46V", 400, 34, 12}, {"Max", 400, 60, 12},
                                                         {"6.24V", 400, 74, 12}, {"Vpp", 400, 100, 12}, {"9.70V", 400, 114, 12}}));
    EXPECT_EQ(panel.value(QStringLiteral("minValue")).toDouble(), -3.46);
    EXPECT_EQ(panel.value(QStringLiteral("value")).toDouble(), 9.7);

    // Alternating current named by a run-together mode label.
    for (const char* label : {"ACmA", "ACCURRENT", "ACV"}) {
        const auto ac = BenchScreenReader::read(screenOf({{label, 10, 30, 16}, {"12.34", 100, 100, 60}, {"mA", 300, 110, 24}}));
        EXPECT_EQ(field(ac, "mode"), QStringLiteral("AC Current")) << label;
    }
}

TEST(BenchScreenReader, GarbledRecordLinesAndUnitsStillReadRight)
{
    // A limit label off from both MIN and MAX is the one the screen doesn't show otherwise; a
    // minus read onto the end of a label belongs to the value after it; a leading O, L or B
    // around the point are 0, 1 and 8.
    const auto record = BenchScreenReader::read(screenOf({{"ACCURRENT", 10, 10, 14}, {"7642", 100, 100, 60}, {"mA", 300, 110, 24},
                                                          {"Man7627", 20, 220, 12}, {"Max7648", 160, 220, 12}}));
    EXPECT_EQ(record.value(QStringLiteral("minValue")).toDouble(), 7627);
    EXPECT_EQ(record.value(QStringLiteral("maxValue")).toDouble(), 7648);
    // So is "Man:" standing apart from its value: the manual-range mark carries no colon.
    const auto apart = BenchScreenReader::read(screenOf({{"TEMPERATURE", 10, 10, 14}, {"73.6", 100, 100, 60}, {"°C", 300, 100, 24},
                                                         {"Man:", 20, 220, 12}, {"71.9", 60, 220, 12}, {"Max:", 120, 220, 12},
                                                         {"76.3", 160, 220, 12}}));
    EXPECT_EQ(apart.value(QStringLiteral("minValue")).toDouble(), 71.9);
    EXPECT_EQ(apart.value(QStringLiteral("maxValue")).toDouble(), 76.3);
    // A label glued to a value whose zero was read as an O ("Min:O.350", "MunO.0471").
    const auto glued = BenchScreenReader::read(screenOf({{"DCV", 10, 10, 14}, {"0.354", 100, 100, 60}, {"V", 300, 110, 24},
                                                         {"Min:O.350", 20, 220, 12}, {"MaxO.382", 160, 220, 12}}));
    EXPECT_EQ(glued.value(QStringLiteral("minValue")).toDouble(), 0.35);
    EXPECT_EQ(glued.value(QStringLiteral("maxValue")).toDouble(), 0.382);
    // A record line read without its spaces: each label keeps its own value, the unit stays
    // with the figure before the next label.
    const auto runTogether = BenchScreenReader::read(screenOf({{"DIODE", 10, 10, 14}, {"0.799", 100, 100, 60}, {"V", 300, 110, 24},
                                                               {"Min0.795Max0.806", 20, 220, 12}}));
    EXPECT_EQ(runTogether.value(QStringLiteral("minValue")).toDouble(), 0.795);
    EXPECT_EQ(runTogether.value(QStringLiteral("maxValue")).toDouble(), 0.806);
    const auto withUnits = BenchScreenReader::read(screenOf({{"DCCURRENT", 10, 10, 14}, {"800.4", 100, 100, 60}, {"µA", 300, 110, 24},
                                                             {"Min798.0µAMax:803.6µA", 20, 220, 12}}));
    EXPECT_EQ(withUnits.value(QStringLiteral("minValue")).toDouble(), 798);
    EXPECT_EQ(withUnits.value(QStringLiteral("maxValue")).toDouble(), 803.6);
    // A colon read as a point or a comma still parts a label from a value with a point of its
    // own ("Max.51.14", "Mar,222.2"); a one read as l before the unit, or as a bracket closing a
    // figure with a point, is a one.
    const auto pointed = BenchScreenReader::read(screenOf({{"FREQUENCY", 10, 10, 14}, {"50.91", 100, 100, 60}, {"Hz", 300, 110, 24},
                                                           {"Min:50.55", 20, 220, 12}, {"Max.51.14", 160, 220, 12}}));
    EXPECT_EQ(pointed.value(QStringLiteral("minValue")).toDouble(), 50.55);
    EXPECT_EQ(pointed.value(QStringLiteral("maxValue")).toDouble(), 51.14);
    const auto comma = BenchScreenReader::read(screenOf({{"TEMPERATURE", 10, 10, 14}, {"221.4", 100, 100, 60}, {"°F", 300, 100, 24},
                                                         {"Min.219.4", 20, 220, 12}, {"Mar,222.2", 160, 220, 12}}));
    EXPECT_EQ(comma.value(QStringLiteral("minValue")).toDouble(), 219.4);
    EXPECT_EQ(comma.value(QStringLiteral("maxValue")).toDouble(), 222.2);
    const auto ell = BenchScreenReader::read(screenOf({{"CH1", 4, 250, 12}, {"2V", 60, 250, 12}, {"Pk-Pk", 350, 10, 12}, {"402mV", 350, 30, 12},
                                                       {"Max", 350, 60, 12}, {"15lmV", 350, 80, 12}}));
    EXPECT_EQ(ell.value(QStringLiteral("maxValue")).toDouble(), 151);
    const auto bracket = BenchScreenReader::read(screenOf({{"Capacitance", 10, 10, 14}, {"5.7017", 100, 100, 60}, {"pF", 330, 110, 24},
                                                           {"Min:5.698)", 20, 220, 12}, {"Max:5.7037", 160, 220, 12}}));
    EXPECT_EQ(bracket.value(QStringLiteral("minValue")).toDouble(), 5.6981);
    // A 5 read as S at the start of a value glued to its label.
    const auto five = BenchScreenReader::read(screenOf({{"ACCURRENT", 10, 10, 14}, {"592.3", 100, 100, 60}, {"mA", 300, 110, 24},
                                                        {"Min:S90.6", 20, 220, 12}, {"Max:596.0", 160, 220, 12}}));
    EXPECT_EQ(five.value(QStringLiteral("minValue")).toDouble(), 590.6);
    // A value whose leading zero was lost begins with its point (".369").
    const auto fraction = BenchScreenReader::read(screenOf({{"Diode", 10, 10, 14}, {"0.352", 100, 100, 60}, {"V", 300, 110, 24},
                                                            {"Min:", 20, 220, 12}, {"0.316", 60, 220, 12}, {"Max:", 120, 220, 12},
                                                            {".369", 160, 220, 12}}));
    EXPECT_EQ(fraction.value(QStringLiteral("minValue")).toDouble(), 0.316);
    EXPECT_EQ(fraction.value(QStringLiteral("maxValue")).toDouble(), 0.369);
    // A bracket after a lone digit is a garbled letter, no figure ("Vp-p:" read "Vp- 2)").
    const auto garbledLabel = BenchScreenReader::read(screenOf({{"CH1", 4, 4, 12}, {"200mV/div", 60, 4, 12}, {"Vp-", 6, 231, 14},
                                                                {"2)", 39, 233, 12}, {"1.09V", 64, 230, 12}, {"Max:", 246, 231, 10},
                                                                {"0.28V", 294, 230, 12}}));
    EXPECT_EQ(garbledLabel.value(QStringLiteral("value")).toDouble(), 1.09);
    const auto dashed = BenchScreenReader::read(screenOf({{"DCA", 10, 10, 14}, {"-4.399", 100, 100, 60}, {"µA", 330, 110, 24},
                                                          {"MIN--4.638", 20, 60, 12}, {"MAX--4.225", 20, 220, 12}}));
    EXPECT_EQ(dashed.value(QStringLiteral("minValue")).toDouble(), -4.638);
    EXPECT_EQ(dashed.value(QStringLiteral("maxValue")).toDouble(), -4.225);
    const auto scope = BenchScreenReader::read(screenOf({{"CH1", 4, 4, 12}, {"1V/div", 60, 4, 12}, {"Trig", 200, 4, 12},
                                                         {"Vpp", 350, 10, 12}, {"L.6V", 350, 30, 12}, {"Vmin:-", 350, 60, 12},
                                                         {"O.BV", 420, 60, 12}, {"Max", 350, 90, 12}, {"-O.2V", 350, 110, 12}}));
    EXPECT_EQ(scope.value(QStringLiteral("value")).toDouble(), 1.6);
    const auto eight = BenchScreenReader::read(screenOf({{"CH1", 4, 4, 12}, {"2V", 60, 4, 12}, {"Pk-Pk", 350, 10, 12}, {"B.70V", 350, 30, 12}}));
    EXPECT_EQ(eight.value(QStringLiteral("value")).toDouble(), 8.7);
    // A limit whose unit lost its letter after the prefix ("249m") keeps its value.
    const auto prefixOnly = BenchScreenReader::read(screenOf({{"CH1", 4, 250, 12}, {"1.00V", 60, 250, 12}, {"Vpp", 350, 10, 12},
                                                              {"679mV", 350, 30, 12}, {"Max", 350, 60, 12}, {"249m", 350, 80, 12}}));
    EXPECT_EQ(prefixOnly.value(QStringLiteral("value")).toDouble(), 679);
    EXPECT_EQ(prefixOnly.value(QStringLiteral("maxValue")).toDouble(), 249);
    // The measurement itself with its letter lost: its label tells the quantity, never a
    // status item or a label that could be any quantity.
    const auto vppPrefix = BenchScreenReader::read(screenOf({{"CH1", 4, 250, 12}, {"1.00V", 60, 250, 12}, {"Vpp", 350, 10, 12},
                                                             {"656m", 350, 30, 12}, {"Freq", 350, 60, 12}, {"2.899kHz", 350, 80, 12}}));
    EXPECT_EQ(vppPrefix.value(QStringLiteral("value")).toDouble(), 656);
    EXPECT_EQ(vppPrefix.value(QStringLiteral("unit")).toString(), QStringLiteral("mV"));
    EXPECT_EQ(scope.value(QStringLiteral("minValue")).toDouble(), -0.8);
    EXPECT_EQ(scope.value(QStringLiteral("maxValue")).toDouble(), -0.2);

    // Mode words with a digit for a letter, units with a letter for a sign or the wrong case.
    struct Case {
        const char* modeLabel;
        const char* reading;
        const char* mode;
        const char* unit;
    };
    const Case cases[] = {
        {"C0NTINUITY", "28.6Q2", "Continuity", "Ω"}, {"DCV", "9.8Y", "DC Voltage", "V"},    {"DCV", "775my", "DC Voltage", "mV"},
        {"DCA", "635ja", "DC Current", "µA"},        {"ACA", "4324.8MA", "AC Current", "mA"}, {"FREQ", "35.37kH2", "Frequency", "kHz"},
        {"ACY", "19V", "AC Voltage", "V"},           {"DCA", "67.887WA", "DC Current", "µA"},
    };
    for (const Case& c : cases) {
        const auto m = BenchScreenReader::read(screenOf({{c.modeLabel, 10, 30, 16}, {c.reading, 100, 100, 60}}));
        EXPECT_EQ(field(m, "mode"), QString::fromUtf8(c.mode)) << c.reading;
        EXPECT_EQ(field(m, "unit"), QString::fromUtf8(c.unit)) << c.reading;
    }
    // The ohm sign glued to an overload mark as a round letter.
    const auto overload = BenchScreenReader::read(screenOf({{"Resistance", 10, 30, 16}, {"-OL-O", 100, 100, 60}}));
    EXPECT_FALSE(overload.contains(QStringLiteral("value")));
    EXPECT_EQ(field(overload, "unit"), QStringLiteral("Ω"));
}

TEST(BenchScreenReader, AGarbledReadingIsNeverReplacedByASmallerOne)
{
    // The reading's unit came out garbled ("qx"): a value never goes without its unit, so there is
    // no reading, and the secondary frequency below it does not take its place.
    const auto m = BenchScreenReader::read(screenOf({{"ACCURRENT", 10, 10, 14}, {"70.78qx", 60, 90, 64}, {"51.28Hz", 200, 180, 20}}));
    EXPECT_FALSE(m.contains(QStringLiteral("value")));
    EXPECT_FALSE(m.contains(QStringLiteral("summary")));
    // Small figures glued to letters are names and marks, never a reading.
    const auto names = BenchScreenReader::read(screenOf({{"2D15P", 10, 10, 14}, {"RS232", 200, 10, 14}}));
    EXPECT_FALSE(names.contains(QStringLiteral("value")));
    // The degree ring read as a capital O, or lost on a screen that says temperature.
    const auto degrees = BenchScreenReader::read(screenOf({{"TEMP", 10, 30, 16}, {"152.0", 40, 100, 60}, {"OF", 240, 110, 30}}));
    EXPECT_EQ(field(degrees, "unit"), QStringLiteral("°F"));
    const auto ringLost = BenchScreenReader::read(screenOf({{"TEMP", 10, 30, 16}, {"29.7", 40, 100, 60}, {"F", 240, 110, 30}}));
    EXPECT_EQ(field(ringLost, "mode"), QStringLiteral("Temperature"));
    EXPECT_EQ(field(ringLost, "unit"), QStringLiteral("°F"));
    // Limits whose unit came out garbled still pair with their labels.
    const auto limits = BenchScreenReader::read(screenOf({{"FREQ", 10, 30, 16}, {"9.534", 40, 100, 60}, {"MHz", 240, 110, 30},
                                                          {"MAX", 20, 190, 12}, {"MIN", 200, 190, 12}, {"9.789MH", 20, 215, 14},
                                                          {"9.295MH", 200, 215, 14}}));
    EXPECT_EQ(limits.value(QStringLiteral("maxValue")).toDouble(), 9.789);
    EXPECT_EQ(limits.value(QStringLiteral("minValue")).toDouble(), 9.295);
    // An I read as two ones in a label glued to its value; a minus read as a plus on a limit of
    // a negative reading; an ohm sign read as n.
    const auto glued = BenchScreenReader::read(screenOf({{"ACV", 10, 30, 16}, {"-331", 40, 100, 60}, {"V", 240, 110, 30},
                                                         {"M11N-340V", 20, 200, 14}, {"MAX", 200, 180, 12}, {"+325V", 200, 200, 14}}));
    EXPECT_EQ(glued.value(QStringLiteral("minValue")).toDouble(), -340);
    EXPECT_EQ(glued.value(QStringLiteral("maxValue")).toDouble(), -325);
    const auto kilohms = BenchScreenReader::read(screenOf({{"OHM", 10, 30, 16}, {"19815", 40, 100, 60}, {"kn", 240, 110, 30}}));
    EXPECT_EQ(field(kilohms, "unit"), QStringLiteral("kΩ"));
}

TEST(BenchScreenReader, ScopeStripsKeepTheirValuesAndTheSettingsStayStatus)
{
    // The label's colon read onto its figure (": 0.89V"), and the period "T:" before a time,
    // which is a measurement on the strip and no trigger mark making its line a status bar.
    ScreenText strip = screenOf({{"CH1", 4, 4, 12}, {"2.00V", 50, 4, 12}, {"10ms", 110, 4, 12}, {"RMS:", 4, 200, 10},
                                 {"0.56V", 40, 200, 10}, {"Vmax:", 110, 200, 10}, {"1.02V", 150, 200, 10}, {"Vp-p:", 4, 222, 10},
                                 {":1.59V", 40, 222, 10}, {"T:", 110, 222, 10}, {"16.32us", 130, 222, 10}});
    strip.waveform = true;
    const auto m = BenchScreenReader::read(strip);
    EXPECT_EQ(field(m, "mode"), QStringLiteral("Oscilloscope"));
    EXPECT_EQ(m.value(QStringLiteral("value")).toDouble(), 1.59);
    EXPECT_EQ(m.value(QStringLiteral("maxValue")).toDouble(), 1.02);

    // A channel badge (a box hugging "CH1") still makes its line the status bar: with the strip
    // unreadable, the volts per division beside it are never the reading.
    ScreenText unreadable = screenOf({{"CH1", 6, 6, 12}, {"5V", 56, 6, 12}, {"10ms", 100, 6, 12}, {"Dut", 4, 234, 14},
                                      {"ob28", 326, 234, 14}},
                                     {QRect(2, 2, 34, 20)});
    unreadable.waveform = true;
    EXPECT_FALSE(BenchScreenReader::read(unreadable).contains(QStringLiteral("value")));
}

TEST(BenchScreenReader, ScopeColumnsMendALostMinusAndUnitsNoScopeShows)
{
    // A column of measurements beside the waveform, the channel settings along the bottom.
    auto column = [](const char* vpp, const char* min, const char* max, const char* setting = "1.00V") {
        ScreenText s = screenOf({{"CH1", 4, 250, 12}, {setting, 40, 250, 12}, {"STOP", 200, 250, 12}, {"Vpp", 350, 10, 12},
                                 {vpp, 350, 30, 12}, {"Min", 350, 60, 12}, {min, 350, 80, 12}, {"Max", 350, 110, 12},
                                 {max, 350, 130, 12}, {"Freq", 350, 160, 12}, {"952.9Hz", 350, 180, 12}});
        s.waveform = true;
        return BenchScreenReader::read(s);
    };

    // The peak to peak is the maximum less the minimum: a minimum that fits that only as a
    // negative one lost its minus sign; one that fits it as it stands, or fits neither, is kept.
    EXPECT_EQ(column("8.1V", "4.1V", "3.9V").value(QStringLiteral("minValue")).toDouble(), -4.1);
    EXPECT_EQ(column("902mV", "452mV", "450mV").value(QStringLiteral("minValue")).toDouble(), -452);
    EXPECT_EQ(column("2.7V", "1.2V", "3.9V").value(QStringLiteral("minValue")).toDouble(), 1.2);
    EXPECT_EQ(column("8.1V", "1.2V", "3.9V").value(QStringLiteral("minValue")).toDouble(), 1.2);
    EXPECT_EQ(column("8.1V", "-4.1V", "3.9V").value(QStringLiteral("minValue")).toDouble(), -4.1);

    // A V read as N, an m closed into an a: no scope shows newtons or attovolts.
    const auto n = column("7.2N", "-3.0V", "4.2V");
    EXPECT_EQ(n.value(QStringLiteral("value")).toDouble(), 7.2);
    EXPECT_EQ(field(n, "unit"), QStringLiteral("V"));
    const auto a = column("218aV", "-98mV", "120mV");
    EXPECT_EQ(a.value(QStringLiteral("value")).toDouble(), 218);
    EXPECT_EQ(field(a, "unit"), QStringLiteral("mV"));
    EXPECT_EQ(column("902mV", "-452mV", "450aV").value(QStringLiteral("maxValue")).toDouble(), 450);

    // The channel's setting garbled the same way is still status, never the reading.
    ScreenText settings = screenOf({{"CH1", 4, 250, 12}, {"500aV", 40, 250, 12}, {"STOP", 200, 250, 12}, {"Freq", 350, 10, 12},
                                    {"952.9Hz", 350, 30, 12}, {"Duty", 350, 60, 12}, {"50.1%", 350, 80, 12}});
    settings.waveform = true;
    const auto s = BenchScreenReader::read(settings);
    EXPECT_EQ(s.value(QStringLiteral("value")).toDouble(), 952.9);
    EXPECT_EQ(field(s, "unit"), QStringLiteral("Hz"));
}

TEST(BenchScreenReader, ALimitOnTheWrongSideOfTheReadingHadAZeroMisread)
{
    auto limits = [](const char* reading, const char* min, const char* max) {
        return BenchScreenReader::read(screenOf({{"AC", 10, 30, 16}, {reading, 40, 100, 60}, {"V", 260, 100, 24}, {"Min", 20, 200, 12},
                                                 {min, 60, 200, 12}, {"Max", 160, 200, 12}, {max, 200, 200, 12}}));
    };
    // A dotted zero read as 8, 3 or 6 put the limit past the reading; the nearest figure on
    // the right side with that digit a zero is the one drawn.
    const auto high = limits("654", "689", "715");
    EXPECT_EQ(high.value(QStringLiteral("minValue")).toDouble(), 609);
    EXPECT_EQ(high.value(QStringLiteral("maxValue")).toDouble(), 715);
    EXPECT_EQ(limits("3.3", "3.8", "3.5").value(QStringLiteral("minValue")).toDouble(), 3.0);
    EXPECT_EQ(limits("-0.32", "-0.35", "-0.38").value(QStringLiteral("maxValue")).toDouble(), -0.30);
    EXPECT_EQ(limits("12.45", "12.08", "12.83").value(QStringLiteral("maxValue")).toDouble(), 12.83);
    // A limit no such digit can mend is not given (a minimum above the reading is no minimum of
    // it), and one on the right side is never touched.
    EXPECT_FALSE(limits("654", "699", "715").contains(QStringLiteral("minValue")));
    EXPECT_FALSE(limits("12.45", "12.08", "12.03").contains(QStringLiteral("maxValue")));
    EXPECT_EQ(limits("654", "638", "715").value(QStringLiteral("minValue")).toDouble(), 638);
}

TEST(BenchScreenReader, AReadingOutsideItsLimitsLostItsMinusOrItsPoint)
{
    auto panel = [](const char* reading, const char* min, const char* max) {
        return BenchScreenReader::read(screenOf({{"DC", 10, 30, 16}, {reading, 40, 100, 60}, {"V", 260, 100, 24}, {"Min", 20, 200, 12},
                                                 {min, 60, 200, 12}, {"Max", 160, 200, 12}, {max, 200, 200, 12}}));
    };
    const auto negative = panel("1.338", "-1.401", "-1.302");
    EXPECT_EQ(negative.value(QStringLiteral("value")).toDouble(), -1.338);
    EXPECT_TRUE(field(negative, "summary").contains(QStringLiteral("-1.338 V"))) << qPrintable(field(negative, "summary"));
    EXPECT_EQ(panel("777", "7.61", "7.90").value(QStringLiteral("value")).toDouble(), 7.77);
    // Left as read: a reading inside its limits, limits that disagree, and a reading that
    // neither mend puts between them.
    EXPECT_EQ(panel("777", "761", "790").value(QStringLiteral("value")).toDouble(), 777);
    EXPECT_EQ(panel("1.338", "-1.302", "-1.401").value(QStringLiteral("value")).toDouble(), 1.338);
    EXPECT_EQ(panel("912", "7.61", "7.90").value(QStringLiteral("value")).toDouble(), 912);
}

TEST(BenchScreenReader, AnAlternatingTitleRunTogetherWithALetterMisreadStaysAlternating)
{
    auto titled = [](const char* title) {
        return field(BenchScreenReader::read(screenOf({{title, 10, 10, 14}, {"691", 40, 80, 60}, {"V", 200, 100, 24},
                                                       {"53.13Hz", 40, 170, 16}})),
                     "mode");
    };
    EXPECT_EQ(titled("AcCVoltage"), QStringLiteral("AC Voltage"));
    EXPECT_EQ(titled("ACVoItage"), QStringLiteral("AC Voltage"));
    EXPECT_EQ(titled("DCVoItage"), QStringLiteral("DC Voltage"));
    EXPECT_EQ(titled("DcCVoltage"), QStringLiteral("DC Voltage"));
    // A list of readouts each named on its line: an alternating one's name is its own, and the
    // reading on another line is not alternating by it.
    for (const QList<W>& list : {QList<W>{{"001Voltage", 10, 40, 11}, {"105,5V", 300, 40, 12}, {"ACVoltage", 10, 100, 11}, {"234,7V", 300, 100, 12}},
                                 QList<W>{{"001Voltage", 10, 40, 11}, {"105,5V", 300, 40, 12}, {"AC", 10, 100, 11}, {"Voltage", 30, 100, 11},
                                          {"234,7V", 300, 100, 12}}})
        EXPECT_EQ(field(BenchScreenReader::read(screenOf(list)), "mode"), QStringLiteral("DC Voltage")) << list.at(2).text;
}

TEST(BenchScreenReader, AScopeReadsItsLabelledReadouts)
{
    // A scope's screen (scale marks per division, a sample rate) with a strip or table of
    // labelled readouts: the peak to peak when it measures one, else the first readout; limits
    // only from readouts labelled as such; a number beside them wins only when drawn far larger
    // (a built-in meter). However the label stands to its value: glued with a
    // misread "=", over it with a channel mark, or as the unit's own suffix.
    const QList<W> marks = {{"1.00V/", 100, 4, 12}, {"200.0us/", 200, 4, 12}, {"2.00GSa/s", 320, 4, 12}};
    struct Case {
        QList<W> strip;
        double value;
        const char* unit;
        std::optional<double> minValue, maxValue;
    };
    const Case cases[] = {
        {{{"Freqg-191.6kHz", 60, 230, 10}, {"+Duty-49.81", 160, 230, 10}, {"%", 230, 230, 10}}, 191.6, "kHz", {}, {}},
        // A warning's banner quoting a readout the page shows further down: the page's first
        // readout stays the reading.
        {{{"Warning:Amplitudeexceeded", 213, 20, 13}, {"Amplitude:377.64mV", 213, 34, 12}, {"Frequency:1001.07Hz", 22, 100, 12},
          {"Amplitude:377.64mV", 22, 200, 12}},
         1001.07, "Hz", {}, {}},
        // The channel scales under the strip, drawn larger than it, are no built-in meter.
        {{{"Freqg-191.6kHz", 60, 230, 8}, {"-650.0V", 39, 250, 18}, {"350.0V", 250, 250, 18}, {"4200V", 371, 250, 18}}, 191.6, "kHz", {}, {}},
        // Labels in the language the scope is set to, each over its value.
        {{{"Frecuencia", 20, 200, 12}, {"567.5Hz", 20, 218, 12}, {"Pico-pico", 140, 200, 12}, {"14.8V", 140, 218, 12}, {"Máx.", 260, 200, 12},
          {"3.40V", 260, 218, 12}, {"Mín.", 380, 200, 12}, {"-5.40V", 380, 218, 12}},
         14.8, "V", -5.40, 3.40},
        // No readout, only the hardware frequency counter (six digits, no label) beside settings
        // and a record length read apart from its figure.
        {{{"16k", 147, 4, 10}, {"pts", 178, 4, 10}, {"Trig'd", 553, 2, 11}, {"144.437kHz", 681, 200, 10}, {"58us", 469, 230, 10},
          {"37.68us", 531, 230, 10}},
         144.437, "kHz", {}, {}},
        // ...marked "f=" with the "=" read as a minus, its z cut off at the screen's edge, beside
        // the built-in generator's frequency.
        {{{"WG:Sine", 300, 4, 10}, {"1.00000kHz", 340, 4, 10}, {"4.000Vpp", 400, 4, 10}, {"f-999.981H", 420, 4, 12}}, 999.981, "Hz", {}, {}},
        // ...marked with the channel it counts, its C read as a nought ("f(C1)" as "f(01)").
        {{{"f(01)7.798160kHz", 420, 20, 12}, {"40.1ms", 300, 250, 10}, {"09:48:23", 400, 250, 10}}, 7.798160, "kHz", {}, {}},
        // ...its box's square-wave mark read as letters glued before it.
        {{{"JUUUL47.8920kKHz", 548, 47, 10}, {"Period", 14, 101, 9}, {"Zoom:1.000us", 254, 183, 9}}, 47.8920, "kHz", {}, {}},
        // A status line naming each input before its readouts, its spaces lost in small print
        // and its "=" read as "+" or not at all: one readout per part, the first input's first.
        {{{"AO:Vavg2.609V,Vpp+4.216V:Al:Vavg2.589V,Vpp+3.706V:", 100, 250, 9, -1, 300}, {"25.773kHz:", 420, 250, 9}}, 2.609, "V", {}, {}},
        // ...written apart, each input's list opening with the same measurement.
        {{{"CH1:", 20, 250, 10}, {"Vrms=1.20V", 50, 250, 10}, {"Vpp=3.40V", 130, 250, 10}, {"CH2:", 210, 250, 10}, {"Vrms=0.90V", 240, 250, 10},
          {"Vpp=2.50V", 320, 250, 10}},
         1.20, "V", {}, {}},
        // A side panel of labels over values that the recogniser ran into one line, down the
        // column: a label pairs only with a value level with it or under it...
        {{{"857mV", 354, 102, 12, 9}, {"Vpp", 354, 86, 11, 9}, {"1.20V", 355, 22, 12, 9}, {"Max", 355, 6, 11, 9}}, 857, "mV", {}, 1200},
        // ...and of its kind: a peak to peak whose own value was lost is no frequency.
        {{{"Vpp", 20, 230, 10}, {"919.7Hz", 60, 230, 10}, {"Max", 160, 230, 10}, {"1.80V", 200, 230, 10}}, 1.80, "V", {}, 1.80},
        // A peak to peak whose V small print made a 4: its label says volts.
        {{{"Pk-Pk(1J+392.00m4", 20, 230, 10}, {"Prd(1J4.30ms", 200, 230, 10}}, 392.00, "mV", {}, {}},
        {{{"Freq(1):", 150, 220, 12}, {"Counter(1):", 260, 220, 12}, {"998.0kHz", 150, 238, 12}, {"999.99kHz", 260, 238, 12}},
         998.0, "kHz", {}, {}},
        {{{"Max=3.07", 20, 230, 12}, {"V", 80, 230, 12}, {"Min=-3.14", 120, 230, 12}, {"V", 190, 230, 12}, {"Ampl=6.10", 230, 230, 12},
          {"V", 300, 230, 12}},
         3.07, "V", -3.14, 3.07},
        // A maximum put in the strip without its minimum, beside a level of another kind, is the
        // trace's highest point, no limit of the reading.
        {{{"Top-4.28V", 20, 230, 10}, {"Period-16.66ms", 120, 230, 10}, {"Max-4.32V", 240, 230, 10}, {"Freq-60.0Hz", 340, 230, 10}},
         4.28, "V", {}, {}},
        // ...nor a minimum without its maximum; with both, they are the trace's span, the limits.
        {{{"Rms-1.20V", 20, 230, 10}, {"Min--0.40V", 120, 230, 10}, {"Freq-60.0Hz", 240, 230, 10}}, 1.20, "V", {}, {}},
        {{{"Top-4.28V", 20, 230, 10}, {"Max-4.32V", 120, 230, 10}, {"Min--0.20V", 240, 230, 10}}, 4.28, "V", -0.20, 4.32},
        {{{"CH1", 4, 230, 12}, {"658Vpp", 60, 230, 12}, {"774mV", 140, 230, 12}, {"50,00Hz", 220, 230, 12}}, 658, "V", {}, {}},
        {{{"Freq:", 20, 230, 12}, {"919.7Hz", 60, 230, 12}, {"Vp-p:", 160, 230, 12}, {"3.39V", 200, 230, 12}}, 3.39, "V", {}, {}},
        // A program's channel row: the channel's scales per division, then what it measures.
        {{{"CH1", 10, 262, 12}, {"1.00V/div", 60, 262, 12}, {"30.0dB/div", 150, 262, 12}, {"2.041V", 300, 262, 12}, {"1.0000kHz", 380, 262, 12}},
         2.041, "V", {}, {}},
        // ...its channel's name lost: the first figure after the scales, not the RMS value named
        // by its unit after it.
        {{{"20,0Vidiv", 20, 262, 10}, {"60,0dB/div", 80, 262, 10}, {"51,06V", 150, 262, 10}, {"2,500V", 210, 262, 10}, {"51,12Veff", 270, 262, 10},
          {"7,155kHz", 350, 262, 10}},
         51.06, "V", {}, {}},
        // A nought drawn round, glued between its label and its unit: the first channel's peak to
        // peak, not the second's.
        {{{"VMin0V", 360, 100, 10}, {"VppOV", 360, 140, 10}, {"Vpp1.507V", 420, 140, 10}}, 0, "V", 0, {}},
        // A strip readout whose label kept only its tail, its "=" lost or read as an x.
        {{{"Freq=*****", 60, 262, 9}, {"isex2.300ns", 200, 262, 9}, {"1.00V", 20, 268, 9}}, 2.300, "ns", {}, {}},
        // ...or its "=" read as a minus: no rise time is negative.
        {{{"Freq=*****", 60, 262, 9}, {"ise-2.500ms", 200, 262, 9}, {"1.00V", 20, 268, 9}}, 2.500, "ms", {}, {}},
        // A list's bullet before the readout's label, read as a star, is no part of the label.
        {{{"*RMS:1.060V", 20, 262, 10}, {"Idle", 200, 262, 10}}, 1.060, "V", {}, {}},
        // Zeros after the point drawn as round as an O.
        {{{"Period=602.Ous", 60, 230, 10}, {"Freq=1.661kHz", 200, 230, 10}}, 602.0, "\u00B5s", {}, {}},
        // A strip whose "=" reads as a dash: a negative limit shows two dashes, so one dash
        // after a label is its "=".
        {{{"Vpp-116mV", 60, 230, 10}, {"Max-88.0mV", 160, 230, 10}, {"Min--28.0mV", 260, 230, 10}}, 116, "mV", -28.0, 88.0},
        // The channel measured named after each label, its "=" read as a dash: the strip lists
        // the measurements chosen, in the order chosen, and the first is the reading, before
        // the peak to peak (its unit lost); its limits in the reading's prefix.
        {{{"Min(1J--760.00mv", 20, 230, 10}, {"Max(1J4.44V", 160, 230, 10}, {"Pk-Pk1J-5.20", 300, 230, 10}, {"Mean(1)-3.93V", 440, 230, 10}},
         -760.00, "mV", -760.00, 4440},
        // The statistics table's row of the reading (value, mean, min, max, deviation) gives its
        // limits.
        {{{"1.09s", 40, 200, 10}, {"995.62ms", 100, 200, 10}, {"63.02us", 170, 200, 10}, {"1.10s", 240, 200, 10}, {"314.82ms", 300, 200, 10},
          {"Prd(2J1.09s", 40, 230, 10}, {"+Duty(2J+9.89%", 160, 230, 10}},
         1.09, "s", 0.00006302, 1.10},
        // ...its first row's name garbled ("Prd[1]" as "Prdf1"): that row, not the next one
        // named, is the first measurement, a steady signal's whose equal statistics are its own.
        {{{"Prdf1", 20, 200, 10}, {"1.12s", 70, 200, 10}, {"1.12s", 130, 200, 10}, {"1.12s", 190, 200, 10}, {"1.12s", 250, 200, 10},
          {"160.90us", 310, 200, 10}, {"+Duty(1", 20, 214, 10}, {"97.81%", 70, 214, 10}, {"97.81%", 130, 214, 10}, {"97.81%", 190, 214, 10},
          {"97.82%", 250, 214, 10}, {"0.00%", 310, 214, 10}},
         1.12, "s", 1.12, 1.12},
        // (A channel's badge and scale over a strip's readout name no row of such a table.)
        {{{"CH1", 20, 200, 10}, {"2.00V", 70, 200, 10}, {"Freq=", 20, 214, 10}, {"1.000kHz", 70, 214, 10}}, 1.000, "kHz", {}, {}},
        // ...its cells' units garbled by specks beside them read as quote marks.
        {{{"392.00m", 40, 200, 10}, {"392.00mY", 110, 200, 10}, {"392.00mY", 180, 200, 10}, {"392.00m'Yv", 250, 200, 10}, {"0.0p'", 330, 200, 10},
          {"Pk-Pk(1J+392.00mV", 40, 230, 10}},
         392.00, "mV", 392.00, 392.00},
        // A statistics table whose row names the channel it measures, the measurement's icon
        // read as letters between the name and the figure, the unit a word apart.
        {{{"period(3)", 20, 200, 12}, {"Tul", 110, 200, 12}, {"18.85", 150, 200, 12}, {"\u00B5s", 200, 200, 12}, {"4.52", 250, 200, 12},
          {"240.98", 300, 200, 12}, {"width(3)", 20, 224, 12}, {"9.45", 150, 224, 12}, {"\u00B5s", 200, 224, 12}},
         18.85, "\u00B5s", {}, {}},
        // ...or named before each label, over its value.
        {{{"C1", 20, 200, 10}, {"Freq", 40, 200, 10}, {"657.9kHz", 20, 214, 10}, {"C1", 20, 240, 10}, {"Pk-Pk", 40, 240, 10}, {"1.048V", 20, 254, 10}},
         657.9, "kHz", {}, {}},
        // The channel index in square brackets, as drawn: the first readout, its limits only in
        // its own quantity.
        {{{"Freq[1]=18.09kHz", 20, 230, 10}, {"Max[1]=-0.4V", 160, 230, 10}, {"Min[1]=-1.2V", 300, 230, 10}}, 18.09, "kHz", {}, {}},
        // ...its point read as a comma and a point side by side.
        {{{"Freq[1]=18.,09kHz", 20, 230, 10}, {"Max[1]=-0.4V", 160, 230, 10}}, 18.09, "kHz", {}, {}},
        // The channel index standing apart between its label and its value, in its taller brackets,
        // its "=" read as a dash: one readout all the same.
        {{{"Pk-Pk(1J+16.40V", 131, 424, 11}, {"Min", 276, 425, 8}, {"(1-", 295, 424, 11}, {"-7,.20V", 321, 425, 8}, {"Max", 421, 425, 8},
          {"(1J+9.20V", 444, 424, 11}},
         16.40, "V", -7.20, 9.20},
        {{{"Pk-Pk[1]=16.40V", 20, 230, 11}, {"Min", 160, 231, 8}, {"[1]=", 180, 230, 11}, {"-7.20V", 206, 231, 8}, {"Max[1]=9.20V", 300, 230, 11}},
         16.40, "V", -7.20, 9.20},
        // A peak to peak whose channel badge was read as letters glued before its label; the
        // timebase before the next one's label is no peak to peak.
        {{{"GDPk-Pk", 182, 168, 10}, {"2.80V", 245, 168, 8}, {"1.00ms", 140, 181, 8}, {"eark-Pk", 182, 181, 10}, {"2.80V", 245, 181, 8}},
         2.80, "V", {}, {}},
        // A small ripple on a rail: the limits in volts beside a peak to peak in millivolts are
        // in volts, as their difference says.
        {{{"Max=15.3V", 20, 230, 10}, {"Min=14.9V", 140, 230, 10}, {"Vpp=440mV", 260, 230, 10}}, 440, "mV", 14900, 15300},
        // "Over" with a value after its colon is a readout (an overshoot), not an overload.
        {{{"Freq:1.000KHz", 22, 230, 10}, {"Over", 160, 228, 14}, {":5.200v", 205, 230, 10}}, 1.000, "kHz", {}, {}},
        // A trigger level in the side panel, a little larger than the strip, is a setting.
        {{{"L", 400, 120, 17}, {"2.8V", 420, 120, 17}, {"Freq:", 20, 230, 10}, {"919.7Hz", 60, 230, 10}}, 919.7, "Hz", {}, {}},
        // A list of readouts down a column, one a line: its first line is the reading, though a
        // peak to peak (its value read apart from its label) follows...
        {{{"Vmax:3.00V", 20, 120, 12}, {"Vmin:", 20, 137, 12}, {"-0.20V", 70, 137, 12}, {"Vavr:2.02V", 20, 154, 12}, {"Vpp", 20, 171, 12},
          {":3.20V", 52, 171, 12}},
         3.00, "V", -0.20, 3.00},
        // ...but a panel of a few labels each over its value keeps its peak to peak...
        {{{"Freq", 400, 40, 10}, {"2.000kHz", 400, 54, 14}, {"Mean", 400, 80, 10}, {"1.56V", 400, 94, 14}, {"Pk-Pk", 400, 120, 10},
          {"3.32V", 400, 134, 14}},
         3.32, "V", {}, {}},
        // A measurement named as an amplitude over its figure is the scope's, not a generator's
        // field under its amplitude.
        {{{"Amplitude", 20, 200, 12}, {"2.00V", 20, 218, 12}, {"Frequency", 140, 200, 12}, {"1.000kHz", 140, 218, 12}}, 2.00, "V", {}, {}},
        // ...and so is a program's row of names each heading its figure, five or more side by
        // side: the first readout, with its limits; a position it is set to, named over its own
        // figure before them, is no readout whose label was lost.
        {{{"VPos", 4, 190, 11}, {"Vmax", 82, 190, 11}, {"Vmin", 160, 190, 11}, {"Vpp", 238, 190, 11}, {"Vrms", 316, 190, 11},
          {"Freq", 394, 190, 11}, {"0.00V", 4, 220, 11}, {"1.82V", 82, 220, 11}, {"-1.37V", 160, 220, 11}, {"3.16V", 238, 220, 11},
          {"1.54V", 316, 220, 11}, {"1.000KHz", 394, 220, 11}},
         1.82, "V", -1.37, 1.82},
        // ...where a scope's measure menu, a whole page of them, is read from its first slot
        // (the second slot's value unread).
        {{{"Frequency", 400, 20, 10}, {"2.000kHz", 400, 34, 14}, {"Period", 400, 60, 10}, {"Mean", 400, 100, 10}, {"1.56V", 400, 114, 14},
          {"Pk-Pk", 400, 140, 10}, {"3.32V", 400, 154, 14}, {"Minimum", 400, 180, 10}, {"-80.0mV", 400, 194, 14}, {"Maximum", 400, 220, 10},
          {"3.24V", 400, 234, 14}, {"+PulseWidth", 400, 260, 10}, {"250.0ns", 400, 274, 14}, {"RiseTime", 400, 300, 10}, {"150.0ns", 400, 314, 14}},
         2.000, "kHz", {}, {}},
        // Its minimum and maximum are the trace's extremes, no limits of a mean put first.
        {{{"Mean", 400, 20, 10}, {"A.96V", 400, 34, 14}, {"Pk-Pk", 400, 60, 10}, {"720mV", 400, 74, 14}, {"Mean", 400, 100, 10},
          {"5.12V", 400, 114, 14}, {"Pk-Pk", 400, 140, 10}, {"320mV", 400, 154, 14}, {"Minimum", 400, 180, 10}, {"4.88V", 400, 194, 14},
          {"Maximum", 400, 220, 10}, {"5.20V", 400, 234, 14}, {"Unspecified", 400, 260, 10}, {"Overshoot", 400, 300, 10}},
         4.96, "V", {}, {}},
        // A built-in meter's figure before the strip, drawn far larger, its unit unread: no
        // readout of the strip stands for it.
        {{{"32.1", 26, 215, 35, 5, 76}, {"DC", 106, 215, 12, 5, 14}, {"mi", 106, 236, 12, 5, 17}, {"Freq(1):", 151, 215, 15, 5, 45},
          {"14.2kHz", 208, 233, 11, 5, 60}, {"Pk-Pk(1):", 279, 215, 15, 5, 52}, {"3.50V", 353, 233, 11, 5, 43}},
         0, "", {}, {}},
    };
    for (const Case& c : cases) {
        const ScreenText screen = screenOf(marks + c.strip);
        const auto m = BenchScreenReader::read(screen);
        EXPECT_EQ(field(m, "mode"), QStringLiteral("Oscilloscope")) << c.strip.front().text;
        EXPECT_EQ(m.value(QStringLiteral("value")).toDouble(), c.value) << c.strip.front().text;
        EXPECT_EQ(field(m, "unit"), QString::fromUtf8(c.unit)) << c.strip.front().text;
        EXPECT_EQ(m.contains(QStringLiteral("minValue")), c.minValue.has_value()) << c.strip.front().text;
        EXPECT_EQ(m.value(QStringLiteral("minValue")).toDouble(), c.minValue.value_or(0)) << c.strip.front().text;
        EXPECT_EQ(m.value(QStringLiteral("maxValue")).toDouble(), c.maxValue.value_or(0)) << c.strip.front().text;
    }
    // The counter where the sample rate and the record length (read apart from its figure) are
    // all that say it is a scope's screen.
    const auto counter = BenchScreenReader::read(screenOf({{"16k", 147, 4, 10}, {"pts", 178, 4, 10}, {"26NSa/s", 240, 4, 10},
                                                           {"Jul", 640, 4, 10}, {"144.437kHz", 681, 200, 10}, {"58us", 469, 230, 10}}));
    EXPECT_EQ(field(counter, "mode"), QStringLiteral("Oscilloscope"));
    EXPECT_EQ(counter.value(QStringLiteral("value")).toDouble(), 144.437);
    // A strip whose one readout opens its line, the measurements after it still uncounted
    // ("Frequency ?"), on a screen known for a scope's only by its AC-coupled channel scales.
    const auto uncounted = BenchScreenReader::read(screenOf({{"Anplitude", 27, 200, 12}, {"2.00mV", 123, 200, 12}, {"QHigh", 213, 200, 12},
                                                             {"6.60", 269, 200, 12}, {"QFrequency", 300, 200, 12}, {"7", 420, 200, 12},
                                                             {"~5.00mY", 53, 230, 10}, {"~5.00mY", 160, 230, 10}, {"50ms", 300, 230, 10}}));
    EXPECT_EQ(field(uncounted, "mode"), QStringLiteral("Oscilloscope"));
    EXPECT_EQ(uncounted.value(QStringLiteral("value")).toDouble(), 2.00);
    EXPECT_EQ(field(uncounted, "unit"), QStringLiteral("mV"));
    // A solar curve's maximum power point beside its plot: "Vmp" is no peak to peak misread.
    ScreenText curve = screenOf({{"Pmp", 480, 330, 20}, {"103.78W", 530, 330, 19}, {"Vmp", 660, 330, 20}, {"21.62V", 710, 330, 19},
                                 {"Imp", 820, 330, 20}, {"4.80A", 870, 330, 19}});
    curve.size = QSize(1918, 1017);
    curve.waveform = true;
    EXPECT_FALSE(field(BenchScreenReader::read(curve), "summary").contains(QLatin1String("peak to peak")));
}

TEST(BenchScreenReader, NumbersThatAreNoMeasurementGiveNoReading)
{
    // A settings page (numbers at the size of its text), the top edge's title and clock, a
    // large number without a unit, a scope with only its scales, a signal generator's page
    // with its frequency drawn large, a time with nothing naming it a period (a timer), a
    // scope's trigger level beside its scales, a menu's temperature entry, a whole number under
    // a unit label, a channel's scale on the bottom edge, a generator's table whose closing zeros
    // (or a baud rate's) the recogniser took for ohm signs, a figure whose first digits were read as a scrap of
    // letters, a supply's current under a voltage whose unit was lost: no value, and nothing said.
    const QList<QList<W>> screens = {
        {{"Preferences", 10, 40, 18}, {"Polling", 10, 80, 14}, {"timeout", 80, 80, 14}, {"250ms", 200, 80, 14},
         {"Font", 10, 110, 14}, {"size", 60, 110, 14}, {"13.000", 200, 110, 14}, {"Sample", 10, 140, 14}, {"rate", 80, 140, 14}, {"50GS/s", 200, 140, 14}},
        {{"DHO1074", 10, 2, 20}, {"2026/03/22", 200, 2, 20}, {"13:11:15", 330, 2, 20}, {"OK", 20, 120, 12}, {"Back", 20, 150, 12}},
        {{"HOLD", 10, 40, 12}, {"4.19", 100, 100, 60}, {"Output", 10, 220, 12}, {"Enabled", 80, 220, 12}},
        {{"1.00V/", 100, 4, 12}, {"200.0us/", 200, 4, 12}, {"2.00GSa/s", 320, 4, 12}, {"-20.0V", 400, 4, 12}, {"12:26PM", 400, 250, 10}},
        {{"Sine", 10, 40, 14}, {"Frequency", 10, 90, 14}, {"1.000000", 120, 80, 40}, {"kHz", 330, 90, 20}, {"Amplitude:", 10, 150, 14},
         {"2.000V", 120, 150, 14}, {"Offset:", 10, 180, 14}, {"0.000V", 120, 180, 14}, {"Phase:", 10, 210, 14}, {"0.0°", 120, 210, 14}},
        {{"Stand-by", 10, 40, 12}, {"Power", 10, 200, 12}, {"28s", 200, 120, 30}},
        // A whole figure's ohm sign before a unit word: no last decimal read so, no reading in volts.
        {{"100\u03A9", 100, 100, 40}, {"V", 190, 100, 40}},
        // A panel's first caption over its column with its figure unread: the next is no reading.
        {{"Frequency(Hz)", 10, 150, 12}, {"InputPower", 10, 180, 12}, {"TotalOutputPower", 90, 180, 12}, {"4.56W", 35, 201, 9}, {"1.72W", 110, 201, 9}},
        {{"RUN", 10, 4, 15}, {"H500.0uS", 131, 4, 15}, {"CH1", 300, 4, 15}, {"2.00V", 10, 120, 10}, {"Trend", 22, 255, 10}},
        // A unit over a figure under a setting's name, or beside figures on its own line.
        {{"Limit", 28, 118, 26}, {"°C", 159, 119, 26}, {"Top", 28, 186, 26}, {"55", 159, 186, 25}},
        {{"Tank", 28, 118, 26}, {"°C", 159, 119, 26}, {"40", 250, 119, 26}, {"Top", 28, 186, 26}, {"55", 159, 186, 25}},
        {{"SYSTEMMENU", 100, 10, 14}, {"Date:", 10, 40, 12}, {"2024-12-13", 80, 40, 12}, {"Temp", 10, 70, 12}, {"19.0C", 80, 70, 12},
         {"USB:", 10, 100, 12}, {"connected", 80, 100, 12}},
        {{"Output", 10, 20, 12}, {"Current(A)", 60, 40, 12}, {"1", 60, 60, 12}, {"FINE", 200, 60, 12}},
        {{"Control", 14, 44, 12}, {"DefineArbitraryWave", 23, 67, 10}, {"1", 28, 89, 14}, {"i", 50, 89, 14}, {"2", 102, 89, 9},
         {"FromFile", 24, 122, 12}, {"9", 78, 171, 8}, {"1Ω", 79, 186, 8}, {"11", 79, 201, 8}, {"2Ω", 78, 216, 8}, {"21", 78, 231, 8}},
        // (In print under nine pixels, an I among a figure's digits tells of nines read as threes.)
        {{"2.000", 28, 222, 8}, {"2,00.us", 182, 222, 8}, {"0.00000s", 238, 222, 8}, {"243,7I3kH2", 372, 222, 8, -1, 45}, {"T1413", 421, 223, 8, -1, 33}},
        {{"DPS5005", 200, 10, 9}, {"Output", 20, 120, 12}, {"Time(ks)", 250, 120, 10}, {"rm", 290, 150, 20}, {"52", 312, 150, 44},
         {"Vout", 420, 165, 9}, {"0.000", 280, 200, 39}},
        {{"Energy0.01Ah00.08Wh", 202, 22, 16}, {"Keypad", 20, 30, 14}, {"68.07", 330, 40, 36}, {"14.00", 330, 90, 36}, {"00.81", 330, 140, 36},
         {"Amps", 440, 146, 10}, {"11.35", 330, 190, 36}, {"Minimum", 20, 236, 14}, {"0.00", 20, 255, 12}, {"0.01", 80, 255, 12},
         {"61.00", 140, 255, 12}, {"18.10", 200, 255, 12}},
        {{"SERIALDECODE", 10, 10, 12}, {"BIT", 10, 40, 10}, {"RATE", 40, 40, 10}, {"1920Ω", 20, 70, 20}, {"*7E1", 140, 70, 12},
         {"Start", 10, 150, 12}},
        {{"FNIRSI", 3, 0, 14}, {"RUN", 87, 0, 18}, {"a", 283, 172, 6}, {"Fg", 14, 208, 10}, {"DT", 220, 210, 8}, {"0200mvV:", 1, 250, 14}},
        {{"1.00V/", 100, 4, 12}, {"200.0us/", 200, 4, 12}, {"CHAN11.00V", 10, 262, 9}, {"sore50.0mV", 120, 262, 9}},
        {{"Sa", 600, 30, 10}, {"5.00MSa/s", 620, 30, 10}, {"70.0kpts", 620, 50, 10}, {"Edge", 600, 70, 10}, {"L", 600, 100, 18},
         {"2.8V", 640, 100, 18}, {"SAVE", 10, 420, 12}, {"New", 40, 450, 12}},
        {{"LiveMonitor", 10, 20, 15}, {"le:", 10, 50, 11}, {"3.156V", 60, 50, 11}, {"A", 116, 50, 11}, {"Current:", 144, 50, 11},
         {"0.000A", 243, 50, 11}, {"0.000W", 55, 80, 11}, {"Resistance:", 144, 80, 11}, {"330kQ", 246, 80, 11}},
        {{"16k", 147, 4, 10}, {"pts", 178, 4, 10}, {"26NSa/s", 240, 4, 10}, {"19.0010kHz", 300, 100, 10}, {"37.3001kHz", 300, 120, 10},
         {"38.7001kHz", 300, 140, 10}},
        {{"16k", 147, 4, 10}, {"pts", 178, 4, 10}, {"26NSa/s", 240, 4, 10}, {"22011kHz", 306, 80, 10}, {"19.0010kHz", 300, 100, 10}},
        {{"Channel", 10, 80, 11}, {"Profile:", 10, 100, 11}, {"Lead", 70, 100, 11}, {"Acid", 110, 100, 11}, {"6V", 150, 100, 10},
         {"Voltage:", 10, 130, 12}, {"6.400", 90, 130, 10}, {"0.000", 90, 150, 10}},
        // A load's panel of bare figures drawn alike, a closing zero of one read as an ohm sign.
        {{"LIVEREADINGS", 300, 20, 12}, {"0.000", 300, 60, 16}, {"0.000", 400, 60, 16}, {"Voltage", 10, 70, 12}, {"Max:0.00", 330, 80, 6},
         {"0.0Ω", 300, 100, 16}, {"0.0", 400, 100, 16}, {"StartTest", 10, 110, 12}},
        // A log whose top line kept its stamp and its flags but lost its figure: the top line read
        // is the second.
        {{"2023/04/26", 9, 20, 11}, {"17:49:06", 87, 20, 9}, {"(AC,", 193, 20, 11}, {"Auto", 226, 20, 9}, {"2023/04/26", 9, 35, 11},
         {"17:49:07", 87, 35, 9}, {"126.9", 150, 35, 9}, {"V", 191, 35, 9}, {"17:49:07", 87, 50, 9}, {"126.9", 150, 50, 9}, {"V", 191, 50, 9},
         {"17:49:08", 87, 65, 9}, {"126.9", 150, 65, 9}, {"V", 191, 65, 9}},
        // A photo's blob read as one huge digit, another under it read as a unit.
        {{"g", 400, 30, 10}, {"4", 300, 0, 200}, {"°C", 340, 205, 40}},
        // ...or as a small "ol", larger than any figure: no overload.
        {{"TGLV", 280, 88, 18}, {"2.4", 327, 157, 16}, {"ol", 398, 100, 31}, {"JQ)", 458, 377, 18}},
        // A generator's page by its title and wave shapes, its one field drawn with its level.
        {{"SignalGenerator", 10, 10, 14}, {"440.00Hz", 200, 60, 24}, {"-20.00dB", 330, 60, 24}, {"SIN", 20, 300, 12},
         {"SQU", 120, 300, 12}, {"SAW", 220, 300, 12}, {"MUTE", 320, 360, 12}},
        // A strip whose peak to peak lost its unit, a readout's label right after it ("Vrms"
        // before its own figure): no unit of the peak to peak's.
        {{"CH2", 4, 4, 10}, {"2.OOV", 40, 4, 10}, {"T:1ms", 90, 4, 10}, {"Vrnax", 4, 200, 10}, {"1.55", 40, 200, 10}, {"Vp-p:", 80, 200, 10},
         {"3.927", 120, 200, 10}, {"Vrms", 160, 200, 10}, {"1.33", 200, 200, 10}, {"Vrnin", 240, 200, 10}, {"-2.37V", 280, 200, 10}},
        // A scope's built-in generator's settings on its status bar; its counter lost its unit,
        // or its first digit ("f = 00.105Hz" for 100.105Hz).
        {{"1.00V/", 100, 30, 10}, {"500us/", 200, 30, 10}, {"WG:Sine", 200, 4, 10}, {"1.00000kHz", 250, 4, 10}, {"4.000Vpp", 320, 4, 10},
         {"f-999.981", 400, 4, 10}},
        {{"1.00V/", 100, 30, 10}, {"500us/", 200, 30, 10}, {"WG:Square", 200, 4, 10}, {"100.106Hz", 260, 4, 10}, {"4.000Vpp", 330, 4, 10},
         {"f-", 400, 4, 10}, {"00.105Hz", 412, 4, 10}},
        // An RF generator's level in decibels against a milliwatt, drawn larger than its frequency.
        {{"SSG", 10, 10, 10}, {"Freq", 10, 60, 16}, {"1.000GHz", 80, 60, 16}, {"Level", 10, 120, 16}, {"-10.00dBm", 80, 110, 34},
         {"UTILITY", 10, 250, 10}},
        // A built-in generator's frequency glued to its wave's shape is no counter.
        {{"1.00V/", 100, 30, 10}, {"500us/", 200, 30, 10}, {"Sine1.00000kHz", 300, 4, 10}},
        // ...nor is its amplitude after it a peak to peak.
        {{"1.00V/", 100, 30, 10}, {"500us/", 200, 30, 10}, {"Sine1.00000kHz", 300, 4, 10}, {"4.000Vpp", 400, 4, 10}},
        // A strip whose readouts lost their labels or units: the counter does not stand for them.
        {{"1.00V/", 100, 30, 10}, {"500us/", 200, 30, 10}, {"JUUUL2.98562kHz", 548, 47, 10}, {"2.56Y", 82, 442, 9}, {"Rise-1", 189, 442, 9}},
        // Nor for a column of figures with their units whose names were lost: a measurement panel.
        {{"8us/div", 656, 162, 10}, {"512mU/div", 640, 242, 10}, {"2.848U", 672, 338, 10}, {"100.000kHz", 673, 354, 10}, {"2.852VU", 704, 434, 10},
         {"2.844U", 704, 450, 10}, {"3.868V", 704, 466, 10}, {"1.616V", 705, 482, 10}},
        // Channel boxes that stack the name over the scale and the offset, read as one line.
        {{"200kSa/s", 200, 4, 12}, {"50.00V/", 104, 228, 10, 1}, {"154.00V", 104, 242, 10, 1}, {"CH1", 105, 214, 10, 1},
         {"20.00V/", 262, 228, 10, 1}, {"19.20V", 263, 242, 10, 1}, {"CH2", 264, 214, 10, 1}},
        // A scope's readout in nanovolts: its millivolts garbled.
        {{"1.00V/", 100, 4, 10}, {"500us/", 200, 4, 10}, {"Amplitude", 10, 200, 10}, {"14.6nV", 80, 200, 10}, {"Frequency", 150, 200, 10},
         {"587.4Hz", 230, 200, 10}},
        // A battery's cells, each voltage one of its peers, beside a voltage of their own in
        // another column: which of them the screen is about is not told.
        {{"Cells", 200, 10, 14}, {"Cellvoltage1", 10, 40, 11}, {"4.138V", 200, 40, 12}, {"Cellvoltage2", 10, 70, 11}, {"4.136V", 200, 70, 12},
         {"Cellvoltage3", 10, 100, 11}, {"4.135V", 200, 100, 12}, {"Cellvoltage4", 10, 130, 11}, {"4.138V", 200, 130, 12}, {"Pack", 300, 70, 11},
         {"16.55V", 360, 70, 12}},
        // Figures alike down a column that all agree exactly are a scale's marks, no cells.
        {{"Scale", 10, 10, 11}, {"5.00V", 200, 40, 12}, {"5.00V", 200, 70, 12}, {"5.00V", 200, 100, 12}, {"5.00V", 200, 130, 12}},
        // A source meter's dialog: the current it may not exceed is a limit, as its range is.
        {{"Probestation", 10, 10, 14}, {"Abscompliancecurrent", 10, 40, 11}, {"10.0µA", 200, 40, 11}, {"CurrentLimitRange", 10, 70, 11},
         {"1.00mA", 200, 70, 11}},
        // A dialog creating a waveform, its toolbar's icons read as a signed figure in volts.
        {{"CreateStandardWaveform", 20, 4, 8}, {"SampleRate(Hz)", 30, 25, 10}, {"DCValue", 180, 30, 8}, {"WaveformName", 30, 120, 8},
         {"2.05-", 45, 180, 8}, {"+2v", 340, 196, 12}, {"1.9-", 50, 208, 8}, {"Cancel", 320, 250, 8}},
        // One time cursor alone beside a marked frequency: no scope's cursor box, no counter.
        {{"f131.5755kHz", 756, 26, 10}, {"X1-164.0us", 357, 130, 9}, {"Length", 186, 477, 9}},
        // A frequency with a minus and no label before it: a garbled figure.
        {{"Stop", 50, 4, 12}, {"Volt/Div.", 400, 100, 12}, {"-493.150Hz", 300, 200, 12}},
        // A source's settings page: the level it is set to.
        {{"SourceConfig", 300, 10, 12}, {"OUTPUTFUNCTION", 200, 60, 9}, {"DCVoltage", 360, 60, 12}, {"VOLTAGELEVEL", 200, 90, 9}, {"6V", 360, 90, 9},
         {"VOLTAGELEVELRANGE", 200, 120, 9}, {"20V", 360, 120, 9}, {"CURRENTLIMITRANGE", 200, 150, 9}, {"25A", 360, 150, 9}},
        // A program's range field read with the frame around it: a box as tall as the frame,
        // far too narrow for its text at that height.
        {{"Init", 10, 7, 11}, {"Visu", 50, 5, 11}, {"Graph", 100, 85, 11}, {"Time(s)", 250, 314, 11}, {"fc", 510, 280, 11},
         {"2000", 520, 300, 11}, {"1.8mA", 400, 285, 37, -1, 47}, {"Statistiques", 600, 155, 11}},
        // A power drawn large beside two voltages (a battery's and the grid's): of which is not told.
        {{"CHARGE", 10, 30, 10}, {"CELLS", 140, 30, 10}, {"3.296", 150, 47, 10}, {"26.3v", 10, 67, 12}, {"POWER", 10, 88, 10}, {"-16", 20, 107, 23},
         {"W", 70, 118, 11}, {"-0.6a", 60, 139, 11}, {"Grid", 200, 139, 11}, {"235.0V", 250, 139, 11}},
        // ...and so it stays beside an energy tally where a voltage is drawn as large as the power.
        {{"266Wh", 180, 60, 23}, {"199.5W", 340, 60, 23}, {"230.1V", 10, 60, 22}, {"Phase", 10, 140, 11}, {"221.9V", 340, 140, 11},
         {"0.90A", 340, 170, 11}, {"String", 10, 200, 11}, {"36.4V", 340, 200, 11}},
        // A scope program's horizontal and vertical settings, one panel a channel.
        {{"ESP32oscilloscope", 100, 4, 16}, {"Verticalsensitivity", 10, 100, 12}, {"1000", 160, 100, 12}, {"Horizontalfrequency", 10, 150, 12},
         {"500Hz", 160, 150, 12}, {"Horizontalfrequency", 250, 150, 12}, {"20Hz", 400, 150, 12}},
        // Two panels' settings read as one line (levels, a protection's power, zero thresholds):
        // no measured row, whose voltage, current and power stand together.
        {{"Level", 10, 10, 12}, {"5.00V", 10, 40, 12}, {"2.00V", 90, 40, 12}, {"105.0W", 170, 40, 12}, {"0.002V", 250, 40, 12}, {"0.002A", 330, 40, 12}},
        // A generator's page: its frequency named before the figure, an axis drawn larger.
        {{"0", 63, 259, 23}, {"1,000", 223, 259, 23}, {"2,000", 410, 259, 23}, {"3,000", 598, 259, 23}, {"WAVE2", 314, 710, 22},
         {"Frequency", 272, 1358, 28}, {"968Hz", 482, 1358, 27}, {"Sine", 86, 1457, 27}, {"Phase:", 272, 1454, 27}, {"225deg", 414, 1454, 28}},
        // A scope program's generator panel: the shape and amplitude run together on one line,
        // the frequency and levels in entry boxes under them, drawn larger than the page's text.
        {{"Scope17", 10, 2, 11}, {"Frequency", 380, 54, 12}, {"onIN", 441, 54, 9}, {"ReadA1A2,A3", 386, 78, 11},
         {"WGShapesineAmplitude3V", 240, 117, 19}, {"LI", 281, 143, 17}, {"1000.0", 354, 143, 18}, {"Hz", 401, 147, 9},
         {"sq1lf", 241, 164, 17}, {"105.0", 357, 164, 18}, {"Hz", 401, 168, 9}, {"(70.00", 269, 185, 18}, {"V", 403, 189, 9},
         {"/Ly0.0", 269, 206, 18}, {"V", 403, 210, 9}, {"Channels,RangeandAnalysis", 241, 235, 12}, {"3.3deg", 423, 235, 12},
         {"wv", 349, 255, 10}, {"1.76V,28.4Hz", 369, 255, 11}},
        // A log's bare figures far under a word that spells a unit, no heading of theirs: the
        // word names a panel, not their column, and nothing tells their unit.
        {{"Volt", 150, 10, 9}, {"2024030409:29:08", 40, 80, 9}, {"5.096", 150, 80, 9}, {"2024030409:29:10", 40, 100, 9}, {"5.031", 150, 100, 9},
         {"2024030409:29:12", 40, 120, 9}, {"5.021", 150, 120, 9}},
        // A scope program's side panel: its generator's section, headed as such, under the
        // channels' settings; its labelled frequency and levels are what it puts out.
        {{"General", 43, 20, 14}, {"CH1", 43, 50, 12}, {"Both", 90, 50, 12}, {"(perdiv)", 43, 70, 12}, {"Channel1", 43, 100, 14},
         {"Offset(+0.00divs)", 43, 130, 12}, {"0.000V", 50, 150, 12}, {"Trigger", 43, 200, 14}, {"16.00mV", 50, 230, 12}, {"Waveformgenerator", 42, 300, 14},
         {"Enabled", 45, 340, 12}, {"Frequency", 43, 380, 12}, {"10.00MHz", 50, 400, 14}, {"1.000V", 50, 440, 12}, {"Offset", 43, 470, 12},
         {"0.000V", 50, 490, 12}},
        // A note written on a plot works out a sum from figures with units: its terms are no readings.
        {{"Amplitude", 10, 40, 14}, {"800MHz/10GHz", 40, 120, 20}, {"*360", 200, 120, 20}, {"z", 250, 124, 12}, {"28.8", 264, 120, 20}},
        // A plot's axis, its ticks over its title with the unit: no tick is a reading.
        {{"Curves", 10, 10, 14}, {"0.0", 40, 200, 12}, {"0.1", 140, 200, 12}, {"0.3", 340, 200, 12}, {"0.5", 540, 200, 12},
         {"0.6", 640, 200, 12}, {"Voltage(V)", 310, 216, 12}},
        // A battery's list: the lowest and highest cell temperatures are extremes, not what the
        // list measures.
        {{"Minimum", 40, 150, 12}, {"celltemperature", 120, 150, 13}, {"Batteries", 370, 150, 13}, {"25", 462, 150, 13}, {"°C", 482, 150, 13},
         {"Maximum", 40, 190, 12}, {"celltemperature", 120, 190, 13}, {"Cabletobreaker", 310, 190, 14}, {"26°C", 462, 190, 13}},
        // A supply program's loop page: the two levels it switches between and how often.
        {{"LOOPCONFIGURATION", 67, 247, 17}, {"LevelA(V):", 91, 366, 17}, {"5.0", 271, 366, 15}, {"LevelB(V):", 91, 461, 17}, {"12.0", 272, 461, 15},
         {"Interval(ms):", 91, 555, 17}, {"1000", 272, 555, 15}},
        // A parts list's item numbers count up its lines, each part's value in one unit.
        {{"Parts", 10, 10, 14}, {"1001", 10, 40, 12}, {"10.0kΩ", 80, 40, 12}, {"1002", 10, 60, 12}, {"22.0kΩ", 80, 60, 12}, {"1003", 10, 80, 12},
         {"47.0kΩ", 80, 80, 12}},
        // A channel's coupling between its scale and the unit of its scale per division.
        {{"CH1", 10, 250, 12}, {"5.00", 60, 250, 12}, {"DC", 100, 250, 12}, {"V/div", 125, 250, 12}, {"Menu", 10, 20, 12}},
        // A figure's unit spelled and glued on beside a setting's name.
        {{"Ratedvoltage:", 10, 60, 12}, {"230.0Volts", 120, 60, 12}, {"Stove:3Watts", 10, 120, 12}},
        {{"Battery:", 10, 2, 12}, {"3.70Volts", 100, 2, 12}, {"Stove:3Watts", 10, 120, 12}, {"Log", 10, 150, 12}},
        // A row of five figures in the order of a readback's statistics, one of them only its
        // prefix: read as a scope's, not on a program's page without one of its marks.
        {{"SMU", 10, 10, 24}, {"12.0000V", 382, 826, 11}, {"12.0000V", 498, 826, 11}, {"11.9997V", 615, 826, 11}, {"12.0000V", 731, 826, 11},
         {"348.430µ", 847, 826, 11}},
        // A list of statistics without a peak to peak is no trace's.
        {{"CommandWindow", 10, 12, 9}, {"Minimum:", 27, 55, 8}, {"-0.020000", 132, 55, 8}, {"(V", 215, 55, 10}, {"Maximum:", 27, 73, 8},
         {"3.020000", 141, 73, 8}, {"(V", 215, 73, 10}, {"Average:", 27, 91, 8}, {"1.509267", 141, 91, 8}, {"(V", 215, 91, 10}},
        // ...nor one under a figure with its unit whose name is none of a statistic's.
        {{"CommandWindow", 10, 12, 9}, {"Value:", 27, 37, 8}, {"1.509267", 141, 37, 8}, {"(V", 215, 37, 10}, {"Minimum:", 27, 55, 8},
         {"-0.020000", 132, 55, 8}, {"(V", 215, 55, 10}, {"Maximum:", 27, 73, 8}, {"3.020000", 141, 73, 8}, {"(V", 215, 73, 10},
         {"Peak-Peak:", 29, 91, 8}, {"3.040000", 141, 91, 8}, {"(V", 215, 91, 10}},
        // A whole number of plain ohms where nothing else on the screen says resistance: a
        // counter's "100" with its closing nought read as an ohm sign.
        {{"Power", 10, 20, 12}, {"Cloud", 10, 60, 12}, {"10\u03A9", 100, 100, 30}},
        // A generator's keypad with its row of units to pick from: the figure among them is a
        // button or the value being typed in.
        {{"Back", 400, 2, 20}, {"5", 20, 140, 12}, {"10", 60, 140, 12}, {"20", 100, 140, 12}, {"Hz", 20, 180, 30}, {"10Hz", 90, 180, 30},
         {"kHz", 250, 180, 30}, {"MHz", 350, 180, 30}, {"Sine", 20, 230, 12}},
        // A channel bar's scales over its offsets, two lines of figures the recogniser put in one
        // row: no table's row of statistics.
        {{"Menu", 10, 10, 14}, {"2.00V", 82, 238, 11, 9}, {"+4.48V", 96, 253, 10, 9}, {"11.00V", 172, 238, 11, 9}, {"+1.00V", 201, 253, 10, 9},
         {"11.00V", 277, 238, 11, 9}, {"1.00V", 313, 253, 10, 9}},
        // A scope's run state beside a figure: "Stop" is one letter off a readout's name, but
        // names none.
        {{"1.00V/", 20, 3, 12}, {"200.0us/", 120, 3, 12}, {"Stop", 250, 3, 12}, {"2.95V", 330, 3, 12}, {"Normal", 400, 60, 12}, {"Channels", 400, 100, 12}},
        // A source's setting named with its word garbled ("Current Level" as "CURRENTLEVE1").
        {{"SourceConfig", 300, 10, 14}, {"CURRENTLEVE1", 300, 130, 9}, {"25A", 304, 149, 10}, {"VOLTAGE", 300, 180, 9}, {"10V", 304, 200, 10}},
        // A row of tiles each captioned with its unit under it: the first's last nought read as
        // an ohm sign over its "V".
        {{"Real-timeMeasurements", 60, 20, 12}, {"CURRENT", 180, 70, 13}, {"RESISTANCE", 360, 70, 13}, {"0.00\u03A9", 80, 100, 26}, {"0.482", 170, 100, 26},
         {"0.0\u03A9", 270, 100, 26}, {"0.00", 360, 100, 26}, {"V", 95, 136, 13}, {"A", 185, 136, 13}, {"W", 280, 136, 13}, {"Ohm", 370, 136, 13}},
    };
    for (const auto& words : screens) {
        const auto m = BenchScreenReader::read(screenOf(words));
        EXPECT_FALSE(m.contains(QStringLiteral("value"))) << words.front().text << ": " << field(m, "value").toStdString();
        EXPECT_FALSE(m.contains(QStringLiteral("summary"))) << words.front().text;
    }
    // ...but a meter that names its function reads its whole ohms.
    EXPECT_EQ(field(BenchScreenReader::read(screenOf({{"RES", 10, 10, 14}, {"150", 100, 80, 60}, {"\u03A9", 250, 80, 60}})), "value"), QStringLiteral("150"));
    // A scope program's cursor panel beside a window whose title reads like a label: no label
    // read in the panel pairs with a value that has its unit, so none of its voltages is taken for
    // a peak to peak whose label was lost.
    ScreenText panel = screenOf({{"0penWave-1KBV1.01", 255, 298, 13}, {"OFF(YT)", 621, 401, 14}, {"-0.0005", 789, 435, 9},
                                 {"0.0000", 933, 435, 9}, {"6.25us", 487, 465, 9}, {"12.5u:", 551, 465, 9}, {"vom", 317, 492, 45},
                                 {"F449", 426, 499, 9}, {"-BnV", 443, 518, 9}, {"68.8mV", 491, 518, 9}, {"we", 323, 559, 31},
                                 {"18.2°", 492, 575, 9}, {"oye", 320, 614, 37}, {"y", 407, 625, 9}, {"38.2mVV", 426, 623, 9},
                                 {"19.9mVV", 492, 622, 9}});
    panel.size = QSize(1400, 900);
    panel.waveform = true;
    EXPECT_FALSE(BenchScreenReader::read(panel).contains(QStringLiteral("value")));
    // A scope's delay of nothing with its name garbled, over a period misread: no time is
    // measured as zero, so the zero is no reading.
    ScreenText delay = screenOf({{"2.00V", 52, 506, 9, 0, 37}, {"200us", 443, 506, 9, 0, 36}, {"1.00V", 723, 506, 9, 0, 36},
                                 {"Value", 118, 522, 9, 1, 32}, {"uey0.00000s", 442, 518, 10, 1, 87}, {"Period", 46, 535, 10, 2, 36},
                                 {"900.0µs", 119, 536, 9, 2, 48}});
    delay.size = QSize(800, 600);
    delay.waveform = true;
    EXPECT_FALSE(BenchScreenReader::read(delay).contains(QStringLiteral("value")));
    // A plot the recogniser took for one tall digit is no figure, whatever small print lies by it.
    ScreenText plot = screenOf({{"7", 10, 10, 200}, {"Hz", 170, 212, 12}, {"1KHz", 420, 60, 10}, {"Ors:", 10, 240, 20}});
    plot.words[0].box.setWidth(400);
    EXPECT_FALSE(BenchScreenReader::read(plot).contains(QStringLiteral("value")));
}

TEST(BenchScreenReader, ProgramReadoutsNameTheirUnitOrTraceInTheLabel)
{
    struct Case {
        QList<W> words;
        const char* mode;
        double value;
        const char* unit;
        QList<QRect> boxes = {};
    };
    const QList<Case> cases = {
        // A battery's cells listed down a column, their voltages within a few percent: the first
        // line is the one read first, a line whose comma was lost ("4125V") still in the list.
        {{{"Cellvoltage1", 10, 40, 11}, {"4.138V", 200, 40, 12}, {"Cellvoltage2", 10, 70, 11}, {"4.136V", 200, 70, 12}, {"Cellvoltage3", 10, 100, 11},
          {"4125V", 200, 100, 12}, {"Cellvoltage4", 10, 130, 11}, {"4.138V", 200, 130, 12}, {"Cellvoltage5", 10, 160, 11}, {"4.135V", 200, 160, 12}},
         "Measurement", 4.138, "V"},
        // ...numbered by a count down the lines, as a log is: a voltage the screen names no kind of.
        {{{"4003", 10, 40, 12}, {"4.122V", 80, 40, 12}, {"4002", 10, 60, 12}, {"4.121V", 80, 60, 12}, {"4001", 10, 80, 12}, {"4.125V", 80, 80, 12},
          {"4000", 10, 100, 12}, {"4.122V", 80, 100, 12}},
         "DC Voltage", 4.122, "V"},
        // ...in an app's table whose units stand in a column of their own, far right of the figures.
        {{{"Cells", 10, 10, 14}, {"3.425", 120, 40, 16}, {"V", 260, 40, 16}, {"3.413", 120, 80, 16}, {"V", 260, 80, 16}, {"0.012", 120, 120, 16},
          {"V", 260, 120, 16}, {"3.412", 120, 160, 16}, {"V", 260, 160, 16}, {"3.420", 120, 200, 16}, {"V", 260, 200, 16}},
         "Measurement", 3.425, "V"},
        // A statistics table: the trace's name before the statistic, the value in small print.
        {{{"Channel", 10, 40, 12}, {"Value", 200, 40, 12}, {"5ns", 10, 80, 12}, {"10ns", 60, 80, 12}, {"Base1.avg", 120, 80, 12},
          {"-424.36379mV", 200, 80, 12}},
         "Oscilloscope", -424.36379, "mV"},
        // A program's printout of a trace's statistics, units in brackets after the figures, with a
        // figure over its first line: that one is a reading whose name was lost.
        {{{"CommandWindow", 10, 12, 9}, {"1.5093V", 132, 40, 8}, {"Minimum:", 27, 55, 8}, {"-0.020000", 132, 55, 8}, {"(V", 215, 55, 10},
          {"Maximum:", 27, 73, 8}, {"3.020000", 141, 73, 8}, {"(V", 215, 73, 10}, {"Peak-Peak:", 29, 91, 8}, {"3.040000", 141, 91, 8},
          {"(V", 215, 91, 10}},
         "DC Voltage", 1.5093, "V"},
        // A supply program: the unit in the label over the value, all in the same small print,
        // its energy counter drawn a little larger.
        {{{"Input", 10, 40, 12}, {"Voltage(V)", 60, 40, 12}, {"69.58", 60, 60, 12}, {"Unlocked", 300, 60, 12}, {"Output", 10, 100, 12},
          {"Current(A)", 60, 100, 12}, {"0.0", 60, 120, 12}, {"0.0Ah00.0Wh", 10, 200, 16}, {"None", 300, 120, 12}},
         "DC Voltage", 69.58, "V"},
        // ...a web page's channels, each heading's closing bracket read as a "J"; the set
        // points in fields below.
        {{{"Channel1", 10, 10, 20}, {"Channel2", 250, 10, 20}, {"Voltage(VJ", 10, 40, 12}, {"Voltage(VJ", 250, 40, 12}, {"3.6126", 10, 60, 23},
          {"6.0016", 250, 60, 23}, {"Current(A)", 10, 100, 12}, {"0.0082", 10, 120, 23}, {"0.0031", 250, 120, 23}, {"3.60", 15, 200, 10},
          {"6.00", 255, 200, 10}},
         "DC Voltage", 3.6126, "V"},
        // ...a table of a supply's outputs, a row per channel under headings that name the
        // units: the channel's name opens its row, no badge of a scope's status bar.
        {{{"Channel", 10, 40, 12}, {"Voltage(V)", 120, 40, 12}, {"Current(A)", 240, 40, 12}, {"CH1", 10, 60, 12}, {"12.000", 120, 60, 12},
          {"1.000", 240, 60, 12}, {"CH2", 10, 80, 12}, {"5.000", 120, 80, 12}, {"0.500", 240, 80, 12}},
         "DC Voltage", 12.0, "V"},
        // Its target voltage over its measured one, both with the unit in the label: the
        // target is a setting.
        {{{"TargetVoltage", 10, 40, 12}, {"(V)", 120, 40, 12}, {"13.00", 40, 60, 34}, {"ActualVoltage", 10, 120, 12}, {"(V)", 120, 120, 12},
          {"00.00", 40, 140, 34}, {"OFF", 10, 220, 12}},
         "DC Voltage", 0.0, "V"},
        // ...its headings' brackets lost, the measured one still plain by its first word.
        {{{"TargetVoltaceV", 10, 40, 9}, {"ActoalVoltzzeV", 200, 40, 9}, {"13.00", 10, 60, 50}, {"12.00", 200, 60, 50},
          {"Voltage", 10, 200, 7}, {"13.00", 100, 220, 10}},
         "DC Voltage", 12.0, "V"},
        // A supply's page: what it is set to in fields, what it measures named under each, the
        // voltage it is fed from drawn larger.
        {{{"Setpoint(V)", 10, 40, 12}, {"CurrentLimit(A)", 200, 40, 12}, {"24", 20, 60, 10}, {"1", 210, 60, 10}, {"Actual:24.00V", 10, 80, 11},
          {"Actual:0.20A", 200, 80, 11}, {"InputVoltage", 350, 40, 12}, {"27.6V", 350, 60, 24}, {"OutputPower", 200, 120, 12}, {"4.82W", 200, 140, 19}},
         "DC Voltage", 24.0, "V"},
        // A panel that lists what the supply is set to over what it measures, each named: the
        // set value over the measured one is no readout whose name was lost.
        {{{"Supply", 10, 10, 14}, {"SetVoltage", 10, 40, 12}, {"5.00V", 200, 40, 12}, {"Voltage", 10, 70, 12}, {"4.98V", 200, 70, 12},
          {"Current", 10, 100, 12}, {"0.10A", 200, 100, 12}},
         "DC Voltage", 4.98, "V"},
        // A charge controller's card lists its stages' voltages among its readings: those are
        // settings, the battery's voltage is the reading.
        {{{"Status", 10, 10, 14}, {"BoostChargingVoltage", 30, 40, 12}, {"14,4V", 400, 40, 12}, {"BatteryVoltage", 30, 70, 12},
          {"12,0V", 400, 70, 12}, {"ChargingCurrent", 30, 100, 12}, {"0,0A", 400, 100, 12}},
         "DC Voltage", 12.0, "V"},
        // ...its only reading so named among the stages' voltages, the current's name no quantity's.
        {{{"BatteryUndervoltage", 30, 10, 12}, {"10,8V", 400, 10, 12}, {"BoostChargingVoltage", 30, 40, 12}, {"14,4V", 400, 40, 12},
          {"BatteryVoltage", 30, 70, 12}, {"12,0V", 400, 70, 12}, {"ChannelA", 30, 100, 12}, {"0,0A", 400, 100, 12}},
         "DC Voltage", 12.0, "V"},
        // ...a supply's page: its limits, then its current with the name lost over its voltage.
        {{{"MAXOutputCurrent", 30, 10, 12}, {"2.500A", 400, 10, 12}, {"MAXOutputVoltage", 30, 40, 12}, {"12.00V", 400, 40, 12},
          {"0.001A", 400, 70, 12}, {"OutputVoltage", 30, 100, 12}, {"11.98V", 400, 100, 12}},
         "DC Voltage", 11.98, "V"},
        // ...the name read apart from its figure.
        {{{"Setpoint(V)", 10, 40, 12}, {"CurrentLimit(A)", 200, 40, 12}, {"24", 20, 60, 10}, {"1", 210, 60, 10}, {"Actual:", 10, 80, 11},
          {"24.00V", 60, 80, 11}, {"Actual:", 200, 80, 11}, {"0.20A", 250, 80, 11}, {"InputVoltage", 350, 40, 12}, {"27.6V", 350, 60, 24}},
         "DC Voltage", 24.0, "V"},
        // A program's large reading with a note set over its top beside it ("Autorange") and
        // its unit on the figure's own line after that.
        {{{"ChannelP1", 7, 10, 12}, {"Autorange", 257, 78, 10}, {"9,3526", 133, 87, 25, -1, 112}, {"VDC", 274, 100, 19}},
         "DC Voltage", 9.3526, "V"},
        // A battery's panel with its power drawn large and its voltage small: the voltage.
        {{{"CHARGE", 10, 30, 10}, {"CELLS", 140, 30, 10}, {"3.296", 150, 47, 10}, {"26.3v", 10, 67, 12}, {"POWER", 10, 88, 10}, {"-16", 20, 107, 23},
          {"W", 70, 118, 11}, {"-0.6a", 60, 139, 11}},
         "DC Voltage", 26.3, "V"},
        // A power-flow overview: each branch's power drawn alike under its name, the battery's
        // voltage in small print is that branch's alone; its charge in percent, drawn largest
        // with the sign apart, is no reading.
        {{{"Grid", 20, 40, 12}, {"-75W", 20, 60, 20}, {"ACLoads", 200, 40, 12}, {"605W", 200, 60, 20}, {"95", 20, 120, 24},
          {"%", 60, 135, 9}, {"258W", 20, 160, 11}, {"62.7V", 20, 180, 11}, {"4.1A", 90, 180, 11}},
         "Measurement", -75.0, "W"},
        // ...a solar tile beside a battery's charge so drawn.
        {{{"Battery", 20, 10, 12}, {"95", 20, 40, 30}, {"%", 75, 58, 12}, {"Solar", 250, 10, 12}, {"340W", 250, 40, 20},
          {"Today", 20, 150, 11}, {"Yesterday", 250, 150, 11}},
         "Measurement", 340.0, "W"},
        // An inverter's dashboard: its power in a tile beside the energy tallied, drawn alike,
        // the voltages in its table's small print.
        {{{"1,304.83kWh", 10, 60, 23}, {"266Wh", 180, 60, 23}, {"199.5W", 340, 60, 23}, {"Phase", 10, 140, 11},
          {"221.9", 340, 140, 11}, {"V", 390, 140, 11}, {"0.90", 340, 170, 11}, {"A", 390, 170, 11}, {"String", 10, 200, 11},
          {"36.4V", 340, 200, 11}},
         "Measurement", 199.5, "W"},
        // A battery's card: its cells' voltages by their numbers, the whole's by a name of its own.
        {{{"Cellvoltage1", 300, 40, 11}, {"4.138V", 450, 40, 12}, {"Capacityremaining", 10, 70, 11}, {"39.00Ah", 200, 70, 11},
          {"Cellvoltage2", 300, 70, 11}, {"4.136V", 450, 70, 12}, {"Totalvoltage", 10, 100, 11}, {"54.10V", 200, 100, 12},
          {"Cellvoltage3", 300, 100, 11}, {"4.135V", 450, 100, 12}},
         "DC Voltage", 54.1, "V"},
        // ...but a supply's channels, numbered in voltage and current alike, keep their first.
        {{{"Voltage1", 10, 40, 11}, {"5.00V", 120, 40, 12}, {"Current1", 250, 40, 11}, {"0.100A", 360, 40, 12}, {"Voltage2", 10, 70, 11},
          {"12.00V", 120, 70, 12}, {"Current2", 250, 70, 11}, {"0.500A", 360, 70, 12}, {"TotalPower", 10, 100, 11}, {"6.50W", 120, 100, 12}},
         "DC Voltage", 5.0, "V"},
        // A table whose first row's name was lost: its figure, not the next row's.
        {{{"Parameter", 10, 10, 10}, {"Value", 150, 10, 10}, {"Voltag", 10, 40, 14}, {"le:", 60, 43, 8}, {"231.10V", 150, 40, 10},
          {"Current:", 10, 70, 10}, {"5.49A", 150, 70, 10}, {"Power:", 10, 100, 10}, {"1204.00W", 150, 100, 10}},
         "DC Voltage", 231.1, "V"},
        // A USB meter's row: its voltage, current and power, then the data lines' voltages.
        {{{"Temp", 10, 10, 12}, {"5.000V", 10, 40, 12}, {"1.7330A", 90, 40, 12}, {"8.665W", 170, 40, 12}, {"0.208V", 250, 40, 12}, {"0.214V", 330, 40, 12}},
         "DC Voltage", 5.0, "V"},
        // A program's log of readings, each line stamped with its time: the top line's reading.
        {{{"#", 10, 40, 10}, {"Measurement", 180, 40, 10}, {"17352", 10, 60, 9}, {"2021-06-11", 50, 60, 9}, {"11:31:17", 120, 60, 9},
          {"-0.59749VDC", 200, 60, 9}, {"17353", 10, 80, 9}, {"2021-06-11", 50, 80, 9}, {"11:31:17", 120, 80, 9}, {"-0.63326VDC", 200, 80, 9},
          {"17354", 10, 100, 9}, {"2021-06-11", 50, 100, 9}, {"11:31:18", 120, 100, 9}, {"-0.66692VDC", 200, 100, 9}},
         "DC Voltage", -0.59749, "V"},
        // ...its unit in a column of its own, a table's rule between the figure and it.
        {{{"DateTime", 50, 40, 9}, {"Measurement", 176, 40, 9}, {"Unit", 259, 40, 9}, {"2021-05-298:36:36PM", 45, 60, 9, -1, 123},
          {"-0.5136", 212, 60, 9, -1, 39}, {"YDC", 254, 60, 9, -1, 24}, {"2021-05-298:36:37PM", 45, 80, 9, -1, 123},
          {"-0.5176", 212, 80, 9, -1, 39}, {"YDC", 254, 80, 9, -1, 24}, {"2021-05-298:36:38PM", 45, 100, 9, -1, 123},
          {"-0.5208", 212, 100, 9, -1, 39}, {"YDC", 254, 100, 9, -1, 24}},
         "DC Voltage", -0.5136, "V"},
        // ...or each line led by its record number.
        {{{"Logfile:", 10, 20, 12}, {"010000:", 10, 60, 12}, {"1.3145V", 100, 60, 12}, {"1.315V", 200, 60, 12}, {"010001:", 10, 80, 12},
          {"1.4388V", 100, 80, 12}, {"1.438V", 200, 80, 12}, {"010002:", 10, 100, 12}, {"1.4736V", 100, 100, 12}, {"1.473V", 200, 100, 12}},
         "DC Voltage", 1.3145, "V"},
        // ...or each line led by a count of whole numbers going up, the kind of current between
        // the figure and its unit; the lines under them lost their units.
        {{{"115200.8.N.1", 300, 20, 12}, {"940845", 3, 65, 13}, {"1.7126", 73, 65, 13}, {"DC", 143, 65, 13}, {"V", 164, 65, 13},
          {"941345", 3, 85, 13}, {"1.7126", 73, 85, 13}, {"DC", 143, 85, 13}, {"V", 164, 85, 13}, {"941820", 3, 105, 13},
          {"1.7127", 73, 105, 13}, {"DC", 143, 105, 13}, {"V", 164, 105, 13}, {"942020", 3, 125, 13}, {"1.7126", 73, 125, 13}},
         "DC Voltage", 1.7126, "V"},
        // ...or its unit only in the column's heading, spelled out, over the rows' figures.
        {{{"Time", 60, 40, 9}, {"Volt", 150, 40, 9}, {"Curr", 190, 40, 9}, {"2", 10, 60, 9}, {"2024030409:29:08", 40, 60, 9}, {"5.096", 150, 60, 9},
          {"0.403", 190, 60, 9}, {"3", 10, 80, 9}, {"2024030409:29:10", 40, 80, 9}, {"5.031", 150, 80, 9}, {"0.391", 190, 80, 9}, {"4", 10, 100, 9},
          {"2024030409:29:12", 40, 100, 9}, {"5.021", 150, 100, 9}, {"0.393", 190, 100, 9}},
         "Measurement", 5.096, "V"},
        // ...or standing apart after the heading's name, over the figures under it.
        {{{"Tank", 28, 118, 26}, {"°C", 159, 119, 26}, {"Top", 28, 186, 26}, {"55", 159, 186, 25}, {"Bottom", 30, 252, 26},
          {"19", 159, 252, 26}, {"16.15", 30, 438, 25}},
         "Temperature", 55.0, "°C"},
        // ...or a caption under each figure naming it short, the degree sign garbled.
        {{{"17.1", 342, 234, 16}, {"oS", 402, 232, 8}, {"50.5%", 515, 234, 16}, {"BAT1-2TEMP", 339, 259, 8}, {"BAT1-2HUMID", 509, 259, 8},
          {"16.6", 342, 304, 16}, {"oS", 402, 302, 8}, {"BAT2-3TEMP", 338, 329, 8}},
         "Temperature", 17.1, "°C"},
        // A supply's block of large digits: voltage, current and power alike in size.
        {{{"Locked", 10, 20, 13}, {"0.000", 300, 40, 37}, {"V", 450, 66, 10}, {"CV", 10, 60, 12}, {"0.0000", 300, 100, 37},
          {"A", 470, 126, 10}, {"5.000", 10, 240, 15}, {"Set", 80, 240, 15}, {"1.0000", 150, 240, 15}},
         "DC Voltage", 0.0, "V"},
        // A program's reading with its unit as a line of its own under the digits.
        {{{"Theme", 10, 10, 19}, {"About", 100, 10, 19}, {"None", 10, 150, 19}, {"231.5", 200, 100, 113}, {"1.000", 500, 100, 113},
          {"VAC", 280, 260, 33}, {"Auto", 150, 260, 31}},
         "AC Voltage", 231.5, "V"},
        // ...or raised into the corner over the digits' end, a bar graph's scale under them.
        {{{"UT61E", 38, 15, 11}, {"00", 54, 51, 17}, {"mV", 367, 50, 17}, {"75.23", 67, 80, 73, -1, 287}, {"MANU", 207, 161, 17},
          {"0", 24, 208, 10}, {"5", 104, 208, 10}, {"10", 180, 208, 10}},
         "DC Voltage", 75.23, "mV"},
        // A panel of readouts named by their quantity, all alike: the first is the reading (its
        // decimal comma read as a point, a speck before its unit).
        {{{"Voltage", 40, 20, 14}, {"3.3.V", 300, 20, 14}, {"Current", 40, 60, 14}, {"20.000A", 300, 60, 14}, {"Power", 40, 100, 14},
          {"66.0000W", 300, 100, 14}, {"Backlight", 40, 140, 14}, {"60%", 300, 140, 14}},
         "DC Voltage", 3.3, "V"},
        // A charger's table of its channel's state, its name's O read as a zero in small print.
        {{{"Mode", 18, 111, 10}, {"charge", 167, 111, 11}, {"V0ltage", 18, 167, 13}, {"4.2V", 172, 167, 10}, {"Current", 18, 195, 10},
          {"0.184A", 165, 195, 10}, {"Capacity", 18, 223, 13}, {"150mAh", 162, 223, 10}, {"Temperature", 19, 279, 13}, {"23\u00B0C", 171, 279, 10}},
         "DC Voltage", 4.2, "V"},
        // Quantity names over their fields, each value's unit outside its field; volts, amperes
        // and watts together are a supply's, whose output is direct.
        {{{"SETUP", 10, 10, 20}, {"OUTPUT", 300, 10, 20}, {"Port", 10, 40, 13}, {"Volts", 300, 40, 15}, {"2.56", 330, 70, 14},
          {"V", 380, 70, 14}, {"Amps", 300, 110, 15}, {"0.133", 320, 140, 14}, {"A", 380, 140, 14}, {"Power", 300, 180, 15},
          {"0.34", 330, 210, 14}, {"W", 380, 210, 14}},
         "DC Voltage", 2.56, "V", {QRect(305, 65, 65, 24), QRect(305, 135, 65, 24), QRect(305, 205, 65, 24)}},
        // A field's last zero read as an ohm sign, its unit (its letter read twice) right after it;
        // an ohm sign with only a word far off after it stays one.
        {{{"Voltage", 20, 10, 11}, {"5.00\u03A9", 173, 96, 11, -1, 39}, {"Vv", 221, 96, 11, -1, 11}, {"-0.2", 465, 96, 11}, {"mA", 502, 96, 11},
          {"4.988Volts", 306, 204, 12}},
         "DC Voltage", 5.0, "V"},
        {{{"12.5\u03A9", 100, 100, 40}, {"V", 400, 100, 40}}, "Resistance", 12.5, "\u03A9"},
        // A supply's large readings beside its power in watts, settings and a log in small print.
        {{{"11.002V", 20, 60, 26}, {"0.2017A", 190, 60, 26}, {"Set", 20, 170, 12}, {"11", 60, 170, 12}, {"V", 80, 170, 12},
          {"2.219W", 190, 110, 26}, {"2.024W", 360, 110, 26}, {"Output", 20, 200, 12}, {"log", 80, 200, 12}},
         "DC Voltage", 11.002, "V"},
        // A meter app: the unit spelt out under the reading, its inputs named like a scope's
        // channels, its dial's ticks read as ones.
        {{{"Multimeter", 100, 5, 16}, {"13:01", 400, 5, 16}, {"0.38", 300, 60, 60}, {"Volts", 200, 150, 30}, {"Voltage", 200, 200, 20},
          {"CH1", 200, 240, 12}, {"CH2", 100, 250, 12}, {"1", 20, 300, 50}, {"1", 300, 300, 50}, {"Ω", 340, 310, 30}},
         "Measurement", 0.38, "V"},
        // ...or under each of several readouts side by side, one caption line for them all.
        {{{"Relaunchtoupdate", 300, 5, 14}, {"25.0", 60, 80, 40}, {"3.0", 220, 80, 40}, {"41.5", 370, 80, 40}, {"%", 470, 95, 15},
          {"Volts", 75, 130, 11}, {"Amps", 225, 130, 11}, {"Load", 385, 130, 11}, {"CHART", 200, 170, 15}},
         "Measurement", 25.0, "V"},
        // A logger's current value shown to a meter's precision in the text's size, its chart's
        // axis labels (one garbled into an ohm) a little larger.
        {{{"BrymenLogger", 30, 7, 9}, {"Nu:", 99, 89, 13}, {"12.0010", 140, 89, 13}, {"V", 218, 89, 13}, {"1Ω", 63, 123, 10},
          {"8", 70, 162, 10}, {"6", 70, 201, 10}, {"20", 174, 240, 16}, {"ao", 316, 240, 15}, {"Tijd", 374, 260, 14}},
         "DC Voltage", 12.001, "V"},
        // A supply program's readings named by their symbol after the figure; the current's
        // symbol was not read.
        {{{"DPS5005", 200, 10, 9}, {"Output", 20, 120, 12}, {"Time(ks)", 250, 120, 10}, {"8.43", 300, 150, 39}, {"Vout", 420, 165, 9},
          {"0.000", 280, 200, 39}},
         "DC Voltage", 8.43, "V"},
        // A USB tester's log row: volts, amperes and watts side by side in the text's own size.
        {{{"RD-USB", 23, 19, 13}, {"Log", 122, 21, 13}, {"Currentvalue", 23, 60, 17}, {"Temperature", 300, 90, 13},
          {"2019-04-1510:50:25", 30, 110, 10}, {"4.94V", 206, 110, 10}, {"0.457A", 265, 110, 10}, {"2.257W", 334, 110, 10},
          {"Apply", 300, 180, 13}},
         "DC Voltage", 4.94, "V"},
        // Gauges captioned with their quantity under their bare figures: the first is the reading.
        {{{"12.00", 60, 40, 42}, {"2.003", 260, 40, 42}, {"VOLTAGE", 50, 110, 31}, {"CURRENT", 250, 110, 31}, {"COARSE", 80, 180, 11},
          {"COARSE", 280, 180, 11}, {"ON", 200, 220, 34}},
         "DC Voltage", 12.0, "V"},
        // ...or with the spaces between them lost.
        {{{"RD-USB", 23, 19, 13}, {"Log", 122, 21, 13}, {"Currentvalue", 23, 60, 17}, {"Temperature", 300, 90, 13},
          {"2019-04-1510:50:25", 30, 110, 10}, {"4.94V0.457A2.257W", 206, 110, 10}, {"Apply", 300, 180, 13}},
         "DC Voltage", 4.94, "V"},
        // Names glued to their values by a colon, or by a bracketed unit the name's start was
        // lost before.
        {{{"Status", 10, 10, 12}, {"Voltage:12.05V", 40, 60, 14}, {"Current:0.100A", 40, 90, 14}, {"Backlight", 40, 120, 14}},
         "DC Voltage", 12.05, "V"},
        {{{"Dashboard", 10, 10, 12}, {"le", 40, 100, 10}, {"(V):5.151V", 60, 100, 18}, {"Current(A):0.005A", 300, 100, 18}, {"5.16", 10, 200, 9},
          {"0.22", 400, 220, 9}, {"5.15", 10, 300, 9}},
         "DC Voltage", 5.151, "V"},
        // ...at the top of the window, where a label that names the figure's own unit tells a
        // readout from a status bar's item.
        {{{"le", 40, 6, 10}, {"(V):5.151V", 60, 6, 18}, {"Current(A):0.005A", 300, 6, 18}, {"5.16", 10, 100, 9}, {"0.22", 400, 120, 9},
          {"Power(W):0.027W", 60, 150, 18}, {"5.15", 10, 200, 9}},
         "DC Voltage", 5.151, "V"},
        // A supply's volts and amperes in large digits under a title: the current's line is the
        // reading's peer, not the text it stands out from.
        {{{"Status", 10, 10, 12}, {"12.00", 10, 30, 40}, {"V", 154, 30, 20}, {"1.000", 10, 160, 40}, {"A", 154, 160, 20}}, "DC Voltage", 12.00, "V"},
        // A supply's set value before its output of the same size: the output is the reading.
        {{{"Set", 20, 100, 20}, {"12.00", 60, 100, 20}, {"V", 125, 100, 20}, {"Out", 200, 100, 20}, {"11.98", 240, 100, 20}, {"V", 305, 100, 20}},
         "DC Voltage", 11.98, "V"},
        // A tester's volts, amperes and watts stacked a line each, in the text's own size.
        {{{"w+", 6, 5, 18}, {"1.9.9", 92, 114, 9}, {"2025.9.22", 92, 136, 9}, {"9.130V", 66, 351, 10}, {"1.131A", 66, 373, 10},
          {"10.325W", 66, 395, 10}, {"0.000V", 85, 478, 10}},
         "DC Voltage", 9.13, "V"},
        // A supply's panel marking its figures with the unit's letter before them, the voltage
        // over the current (a stray letter after the current is no unit of it).
        {{{"V", 100, 221, 12}, {"30.00", 140, 204, 51}, {"A", 100, 313, 13}, {"3.000", 140, 295, 47}, {"C", 300, 304, 12}},
         "DC Voltage", 30.00, "V"},
        // ...a program's strip of fields, each named by a letter before it, the current's symbol
        // next along the row.
        {{{"BluetoothApp", 200, 2, 14}, {"V", 15, 93, 13}, {"5.06", 51, 76, 52}, {"I", 181, 93, 13}, {"0.02", 216, 76, 52}, {"W", 345, 93, 13},
          {"0.1012", 381, 76, 52}, {"Clear", 40, 200, 14}, {"Reset", 140, 200, 14}},
         "DC Voltage", 5.06, "V"},
        // A charger's slots, each a column of its charge tallies over its voltage over its
        // current, a timer beside the current: the first slot's voltage.
        {{{"Slot1", 60, 30, 9}, {"8.46mAh", 180, 50, 9}, {"0.00mAh", 180, 64, 9}, {"1.403V", 181, 79, 8}, {"0:01", 70, 93, 8},
          {"0.507A", 180, 93, 8}, {"Slot2", 60, 115, 9}, {"0.00mAh", 176, 133, 9}, {"0.00mAh", 176, 147, 9}, {"0.000V", 176, 162, 8},
          {"0:00", 70, 176, 8}, {"0.000A", 176, 176, 8}},
         "DC Voltage", 1.403, "V"},
        // A load's status box of two columns beside its chart: the power beside the voltage,
        // the current under it.
        {{{"16.00V", 5, 34, 11}, {"2.10A", 285, 34, 11}, {"15.50V", 7, 64, 11}, {"12.346V", 330, 50, 11}, {"24.7W", 400, 50, 11},
          {"2.000A", 330, 75, 11}, {"0:03:26:55", 400, 75, 11}, {"15.00V", 5, 94, 11}, {"0.064Ah", 330, 99, 12}},
         "DC Voltage", 12.346, "V"},
        // A logger's reading in plain print over its labelled maximum and minimum; an RMS
        // value is alternating.
        {{{"Logger", 700, 12, 26}, {"6.519613", 151, 196, 17}, {"Vrms", 268, 195, 18}, {"readings:", 153, 236, 17}, {"66", 282, 237, 16},
          {"max:", 152, 280, 12}, {"6.918952", 256, 276, 17}, {"Vrms", 372, 276, 17}, {"min:", 152, 320, 13}, {"0.005062Vrms", 256, 316, 17},
          {"QUIT", 54, 684, 21}},
         "AC Voltage", 6.519613, "V"},
        // A tester's log, each reading's volts and amperes written as one ("9.086V/0.012A").
        {{{"11", 10, 60, 10}, {"PSRDY", 40, 60, 10}, {"0:00:06.589", 120, 60, 10}, {"9.086V/0.012A", 220, 60, 10}, {"12", 10, 80, 10},
          {"GoodCRC", 40, 80, 10}, {"0:00:06.590", 120, 80, 10}, {"9.086V/0.012A", 220, 80, 10}, {"13", 10, 100, 10},
          {"0:00:08.860", 120, 100, 10}, {"5.114V/0.000A", 220, 100, 10}},
         "DC Voltage", 9.086, "V"},
        // ...or parted by a comma after the first one's unit, as a logger prints its lines.
        {{{"11", 10, 60, 10}, {"0:00:06.589", 120, 60, 10}, {"9.086V,0.012A", 220, 60, 10}, {"12", 10, 80, 10},
          {"0:00:06.590", 120, 80, 10}, {"9.086V,0.012A", 220, 80, 10}, {"13", 10, 100, 10}, {"0:00:08.860", 120, 100, 10},
          {"5.114V,0.000A", 220, 100, 10}},
         "DC Voltage", 9.086, "V"},
        // A program's reading drawn far larger than all else at the top of its window: no status
        // bar item.
        {{{"0.453mA", 10, 2, 24}, {"Y:Auto", 300, 6, 8}, {"Accuracy", 10, 100, 8}, {"0.0270", 30, 150, 8}, {"2.4220", 30, 170, 8},
          {"12:02:20.949", 100, 220, 8}, {"0.454", 200, 220, 8}},
         "DC Current", 0.453, "mA"},
        // A home-automation card's list of named values, a name two letters longer than its
        // quantity ("PVpower") among them.
        {{{"Votronicsolarcharger", 25, 5, 18}, {"Batterystatus", 82, 40, 11}, {"Standby", 431, 40, 11}, {"Batteryvoltage", 82, 60, 11},
          {"13.03V", 436, 60, 10}, {"Charging", 82, 80, 11}, {"Unknown", 425, 80, 11}, {"PVpower", 82, 140, 11}, {"60.2W", 441, 140, 10}},
         "DC Voltage", 13.03, "V"},
        // A logging program's table: the value and its unit in columns under their headings.
        {{{"Multimeter", 10, 10, 12}, {"Data", 90, 10, 12}, {"Value:", 10, 40, 12}, {"Unit:", 300, 40, 12}, {"0.25", 10, 70, 32},
          {"A", 300, 70, 32}},
         "DC Current", 0.25, "A"},
        // ...its Unit column before its Value column, the rows stamped in Unix time read garbled:
        // the top row.
        {{{"Index", 21, 237, 13}, {"Timestamp", 128, 238, 12}, {"Unit", 337, 238, 12}, {"Value", 444, 237, 13}, {"0", 20, 261, 9},
          {"174578220Ω", 129, 261, 10}, {"YDC", 336, 261, 9}, {"0.0015", 444, 261, 10}, {"1", 21, 284, 9}, {"174878220Ω", 129, 284, 9},
          {"YDC", 336, 284, 9}, {"0.0015", 444, 284, 9}, {"2", 21, 307, 9}, {"174578220Ω", 129, 307, 10}, {"YDC", 336, 307, 9},
          {"0.0014", 444, 307, 10}},
         "DC Voltage", 0.0015, "V"},
        // A terminal log whose top reading has no point, the meter's flags after it, under the
        // program's own message stamped alike: the top reading, alternating by its flag.
        {{{"2023/04/26", 9, 20, 11}, {"17:49:06", 87, 20, 9}, {"Press", 150, 20, 9}, {"ENTER", 191, 20, 9}, {"to", 247, 20, 9},
          {"exit", 268, 20, 9}, {"2023/04/26", 9, 35, 11}, {"17:49:06", 87, 35, 9}, {"127", 150, 35, 9}, {"V", 177, 35, 9}, {"(AC,", 193, 35, 11},
          {"Auto", 226, 35, 9}, {"Max)", 268, 35, 11}, {"2023/04/26", 9, 50, 11}, {"17:49:07", 87, 50, 9}, {"126.9", 150, 50, 9}, {"V", 191, 50, 9},
          {"AC,", 212, 50, 9}, {"2023/04/26", 9, 65, 11}, {"17:49:07", 87, 65, 9}, {"126.9", 150, 65, 9}, {"V", 191, 65, 9}, {"AC,", 212, 65, 9}},
         "AC Voltage", 127, "V"},
        // Quantities named with what they are of, run together; a setting's name names none.
        {{{"Status", 10, 20, 12}, {"Outputvoltage", 10, 60, 14}, {"35.98V", 300, 60, 14}, {"Outputcurrent", 10, 100, 14},
          {"2.37A", 300, 100, 14}, {"Voltagesetting", 10, 140, 14}, {"36.00V", 300, 140, 14}},
         "DC Voltage", 35.98, "V"},
        // A program's reading in small print named as the measurement, beside its mode and range.
        {{{"MULTIMETRE", 10, 20, 14}, {"Mode:Tensioncontinue", 10, 60, 12}, {"Plage:5V", 10, 90, 12}, {"Mesure:0.000V", 10, 120, 12}},
         "DC Voltage", 0.0, "V"},
        // A range selector's steps, their boxes drawn taller than the reading, are no reading.
        {{{"Keithley179", 100, 20, 10}, {"Quit", 300, 20, 10}, {"+1.0001", 30, 120, 26}, {"kΩ", 150, 121, 24}, {"va", 30, 170, 42},
          {"20", 80, 170, 42}, {"200", 110, 170, 42}, {"20k", 160, 170, 42}, {"Connect", 20, 240, 12}},
         "Resistance", 1.0001, "kΩ"},
        // A chart under the reading that the recogniser made two letters of is no text it must
        // stand out from.
        {{{"ACMV", 31, 49, 11}, {"228.2", 97, 27, 35}, {"mV", 247, 43, 17}, {"me", 33, 86, 42, -1, 250}}, "AC Voltage", 228.2, "mV"},
        // A power meter's program: its power in decibels against a milliwatt, drawn large.
        {{{"Powermeasurement", 140, 10, 11}, {"Relative(dB):", 60, 33, 13}, {"10", 265, 34, 10}, {"-31.52dBm", 130, 130, 31},
          {"-21.52dBm", 186, 208, 16}},
         "Measurement", -31.52, "dBm"},
        // A web page's names with their units spelt out in brackets, each value in a field of
        // its own beside its name.
        {{{"SmartBattery", 47, 152, 37}, {"BatteryVoltage(Volts):", 52, 325, 15}, {"40.74", 258, 324, 14},
          {"ChargeCurrent(Amps):", 51, 396, 15}, {"2.06", 259, 395, 14}, {"Version:1.2", 46, 720, 12}},
         "DC Voltage", 40.74, "V"},
        // A figure grouped by thousands, with both marks, is one figure, not a small one.
        {{{"Output", 10, 10, 12}, {"1,016.92", 100, 80, 40}, {"W", 300, 80, 40}, {"Log", 10, 200, 12}}, "Measurement", 1016.92, "W"},
        {{{"Leistung", 10, 10, 12}, {"1.016,92W", 100, 80, 40}, {"Log", 10, 200, 12}}, "Measurement", 1016.92, "W"},
        // A logging program printing the instrument's own answer, in scientific notation.
        {{{"k2000", 10, 10, 10}, {"Count", 10, 200, 10}, {"1601", 60, 200, 10}, {"+3.53647037E+01", 90, 95, 24}, {"C", 330, 95, 24}},
         "Temperature", 35.3647037, "°C"},
        // A lone digit drawn huge (a crumb of a chart) is no reading, and hides none.
        {{{"HOLD", 10, 10, 12}, {"Auto", 60, 10, 12}, {"Range", 10, 200, 12}, {"12.34", 100, 60, 50}, {"V", 260, 80, 20},
          {"7", 400, 100, 90}},
         "DC Voltage", 12.34, "V"},
        // Figures captioned from below, the unit in the caption: the first figure is the
        // reading, not the one under its caption, which has a caption of its own; a cell's
        // figure whose box was read tall is no reading without its unit.
        {{{"52.58", 40, 100, 16}, {"0.00", 200, 100, 16}, {"Voltage", 30, 122, 10}, {"(V)", 80, 121, 12}, {"Current(A)", 190, 121, 12},
          {"16.00", 40, 150, 16}, {"15.00", 200, 150, 16}, {"MosTemperature", 10, 172, 10}, {"(\u00B0C)", 95, 171, 12},
          {"CellTemperature", 190, 172, 10}, {"(\u00B0C)", 285, 171, 12}, {"3.284", 360, 220, 30}},
         "DC Voltage", 52.58, "V"},
        // A caption that names only the unit under a figure that stands alone is enough.
        {{{"Pack", 10, 20, 12}, {"26.31", 40, 100, 20}, {"Total", 30, 126, 10}, {"(V)", 70, 125, 12}, {"4.2", 200, 100, 20},
          {"Load(A)", 190, 125, 12}},
         "DC Voltage", 26.31, "V"},
        // A terminal program's channels, each figure named by its quantity with a colon and no
        // unit: the first voltage, in volts; the figures under it, their names lost, stay bare.
        {{{"Battery", 10, 6, 12}, {"Simulator", 70, 6, 12}, {"Voltage:", 10, 60, 12}, {"1.350", 80, 60, 10}, {"0.000", 80, 80, 10},
          {"0.00", 88, 100, 10}, {"Voltage:", 10, 160, 12}, {"6.400", 80, 160, 10}, {"0.000", 80, 180, 10}},
         "DC Voltage", 1.35, "V"},
        // A device tree's entry, the instrument's model and firmware run together, beside a
        // panel of readouts: no peak to peak glued to a figure, no scope.
        {{{"PowerPanel", 10, 10, 12}, {"vHP66328A.00.090(libgpib/hp..", 10, 40, 12}, {"10,5002vpc", 200, 80, 25}, {"26,8679", 400, 80, 25}},
         "DC Voltage", 10.5002, "V"},
        // ...in another language.
        {{{"Akku", 10, 6, 12}, {"Log", 70, 6, 12}, {"Spannung:", 10, 60, 12}, {"12.25", 90, 60, 10}, {"Strom:", 10, 80, 12}, {"0.512", 90, 80, 10}},
         "DC Voltage", 12.25, "V"},
        // ...or by a voltage's statistic, its V written in the name, the next readout's name no unit.
        {{{"Trace", 10, 6, 12}, {"Vpp:", 10, 60, 12}, {"1.9888", 60, 60, 12}, {"Vrms:1.6779", 140, 60, 12}, {"AVG:", 260, 60, 12},
          {"1.5241", 310, 60, 12}},
         "Oscilloscope", 1.9888, "V"},
        // A result line printed as one string, its name run into its figure: alone, it is read.
        {{{"Study", 10, 6, 12}, {"5.0", 10, 30, 9}, {"3.0", 10, 60, 9}, {"Frequency150.0Hz", 300, 100, 10}, {"2.99V", 400, 120, 9},
          {"Freq150", 300, 200, 18}},
         "Frequency", 150.0, "Hz"},
        // A quantity's symbol before its figure, the "=" read as a plus: a labelled readout,
        // though drawn no larger than the words over it.
        {{{"Supplysource:", 10, 50, 21}, {"Accumulator", 10, 140, 20}, {"1526", 300, 7, 16}, {"U+4.06V", 10, 180, 20}},
         "DC Voltage", 4.06, "V"},
        // ...in a status line of such quantities read with its spaces lost, the current's I read as a one.
        {{{"sensorsettings", 26, 761, 19}, {"online(L1:1+1.088AU+224.176VP+0.307kVAPvar-'", 11, 821, 14}, {"0.023kVArCos+0.924:f50.022Hz)", 458, 821, 14}},
         "DC Current", 1.088, "A"},
        // A log printing each result with its unit spelled out in full, prefix and all: the first.
        {{{"COM5", 10, 6, 12}, {"testcount:", 10, 60, 12}, {"2230", 10, 110, 12}, {"223", 120, 110, 12}, {"microFarads", 160, 110, 12},
          {"2203", 10, 190, 12}, {"220", 120, 190, 12}, {"microFarads", 160, 190, 12}},
         "Capacitance", 223.0, "\u00B5F"},
        // ...or its unit's name glued to the figure, other figures so printed on the page.
        {{{"Inputs", 160, 35, 15}, {"Voltage:", 93, 60, 12}, {"119.9Volts", 165, 60, 12}, {"amps.", 346, 63, 12}, {"main1:5.72Amps", 397, 60, 12},
          {"Stove:3Watts", 108, 213, 12}},
         "DC Voltage", 119.9, "V"},
        // A profiler's tiles, each figure captioned under it, a time and a charge drawn alike
        // beside them, its chart's scale down the side: the first tile that measures.
        {{{"48mA", 30, 60, 9}, {"46mA", 30, 200, 9}, {"44mA", 30, 340, 9}, {"41.37mA", 113, 900, 15}, {"46.14mA", 252, 900, 15},
          {"10.00", 400, 900, 15}, {"s", 448, 908, 7}, {"413.73", 530, 900, 15}, {"average", 125, 925, 8}, {"max", 270, 925, 6},
          {"time", 410, 925, 8}, {"charge", 545, 925, 8}},
         "DC Current", 41.37, "mA"},
        // ...or with the captions lost: two currents, the stretch's time and its charge in one
        // line, the average first.
        {{{"25mA", 300, 127, 9}, {"20mA", 300, 275, 9}, {"15mA", 300, 423, 9}, {"2.21", 412, 938, 14}, {"mA", 451, 943, 9},
          {"20.39", 597, 938, 14}, {"mA", 647, 943, 9}, {"9.997", 788, 938, 14}, {"ms", 838, 945, 7}, {"22.14uc", 980, 938, 14}},
         "Measurement", 2.21, "mA"},
        // A small scope's unnamed line over its chart, the average and the peak to peak before
        // the frequency (its time per division garbled after them), the scale bare figures: the
        // average.
        {{{"1.1V", 10, 4, 14}, {"1.6V", 60, 4, 14}, {"705HZ", 130, 4, 14}, {"A96US", 200, 4, 14}, {"2.5", 440, 30, 9}, {"2.0", 440, 90, 9},
          {"0.5", 440, 240, 9}},
         "Oscilloscope", 1.1, "V"},
        // ...the charge's µ read as a y, or its unit garbled and the charge known by its caption.
        {{{"25mA", 300, 127, 9}, {"2.21", 412, 938, 14}, {"mA", 451, 943, 9}, {"20.39", 597, 938, 14}, {"mA", 647, 943, 9},
          {"9.997", 788, 938, 14}, {"ms", 838, 945, 7}, {"22.14", 980, 938, 14}, {"yc", 1025, 943, 9}},
         "Measurement", 2.21, "mA"},
        {{{"20mA", 30, 60, 9}, {"684.69", 152, 558, 13}, {"\u00B5A", 200, 562, 9}, {"15.70ma", 349, 558, 13}, {"25.8:", 538, 558, 13},
          {"IS", 583, 564, 7}, {"17.70", 716, 558, 13}, {"Ime", 760, 562, 9}, {"average", 166, 584, 10}, {"time", 551, 582, 9},
          {"charge", 729, 582, 10}},
         "Measurement", 684.69, "\u00B5A"},
        // ...the stem of the unit's first letter, set tight against its figure, read as a bar
        // before the peak's unit, or the peak's A as a small a...
        {{{"25mA", 300, 127, 9}, {"379.03", 412, 938, 14}, {"\u00B5A", 464, 943, 9}, {"1.00", 597, 938, 14}, {"lmA", 631, 943, 9},
          {"10.06", 788, 938, 14}, {"s", 838, 945, 7}, {"3.82", 980, 938, 14}, {"mC", 1015, 943, 9}},
         "Measurement", 379.03, "\u00B5A"},
        {{{"1A", 60, 74, 9}, {"52.12", 137, 593, 13}, {"mA", 181, 597, 9}, {"0.89a", 293, 593, 13}, {"6.720", 430, 593, 13},
          {"s", 475, 599, 7}, {"350.30", 575, 593, 13}, {"mC", 630, 597, 9}},
         "Measurement", 52.12, "mA"},
        // ...or as a last digit one of the average, which then shows a decimal more than the peak
        // and stands closer to its unit.
        {{{"25mA", 300, 127, 9}, {"104.271", 412, 938, 14, -1, 52}, {"mA", 465, 943, 9}, {"140.01", 597, 938, 14, -1, 50},
          {"mA", 652, 943, 9}, {"381.71", 788, 938, 14}, {"ms", 840, 945, 7}, {"39.81", 980, 938, 14}, {"mC", 1025, 943, 9}},
         "Measurement", 104.27, "mA"},
        // A dashboard's gauges, each named centred over its dial, the figure centred at its
        // foot with its unit lost: the voltage's gauge gives volts.
        {{{"Voltage", 40, 21, 16}, {"Current", 364, 21, 13}, {"Power", 689, 21, 13}, {"230.5", 44, 130, 20}, {"7.6", 380, 130, 20},
          {"18:08:00", 51, 449, 11}},
         "DC Voltage", 230.5, "V"},
        // ...or the gauge's name just under its figure, centred.
        {{{"Meter", 10, 10, 12}, {"Mode", 300, 10, 12}, {"Voltage", 71, 85, 14}, {"12.00", 40, 40, 40}, {"Connected", 10, 250, 10}},
         "DC Voltage", 12.0, "V"},
        // A supply's page whose header opens with the voltage it is fed from, its output's
        // figures shown as placeholders: the input voltage is the first it measures.
        {{{"0°C", 300, 20, 12}, {"Input:24.10V", 340, 20, 12}, {"-V", 300, 60, 28}, {"-A", 300, 100, 28}, {"vset", 300, 140, 12},
          {"12.00V", 350, 140, 12}},
         "DC Voltage", 24.1, "V"},
        // ...its name a word of its own before the figure.
        {{{"0°C", 300, 20, 12}, {"Input:", 340, 20, 12}, {"12.30V", 390, 20, 12}, {"-V", 300, 60, 28}, {"-A", 300, 100, 28}},
         "DC Voltage", 12.3, "V"},
        // A terminal program's lines, each figure after its name and so only overlapping the
        // one above it: volts over amperes over watts.
        {{{"Time", 37, 22, 11}, {"18:39:27", 92, 23, 10}, {"Model:", 397, 21, 12}, {"5.01", 119, 41, 10}, {"V", 163, 41, 10},
          {"threshold", 470, 39, 12}, {"0.05", 604, 41, 10}, {"0.109", 118, 59, 10}, {"A", 172, 59, 10}, {"Power", 38, 77, 10},
          {"0.546", 100, 77, 10}, {"W", 154, 77, 10}},
         "DC Voltage", 5.01, "V"},
        // A supply's live values side by side, its nought drawn as round as an O before each unit.
        {{{"LiveValues", 30, 26, 14}, {"OV", 60, 120, 20}, {"0A", 200, 120, 20}, {"OW", 340, 120, 20}, {"SETVALUES", 60, 180, 10},
          {"OUTPUTOFF", 300, 180, 10}},
         "DC Voltage", 0.0, "V"},
        // A reading under a heading that names it, its unit chosen in a drop-down far along its line.
        {{{"Setup", 10, 10, 12}, {"Settings", 100, 10, 12}, {"VoltageReading", 30, 60, 16}, {"5.22", 20, 86, 26}, {"Volts", 380, 90, 16},
          {"OnlyMe", 30, 150, 13}, {"Apply", 380, 150, 16}},
         "Measurement", 5.22, "V"},
        // A statistics panel of tiles, each caption over its figure: the present value's tile
        // is the reading, between the tiles captioned MIN and MAX.
        {{{"STATISTICS", 15, 237, 8}, {"CURRENT", 26, 269, 8}, {"MIN", 195, 269, 8}, {"4.2337", 26, 284, 10}, {"V", 80, 284, 10},
          {"4.1836", 195, 284, 10}, {"V", 249, 284, 10}, {"MAX", 26, 323, 8}, {"AVERAGE", 195, 323, 8}, {"4.9177", 26, 339, 10},
          {"V", 79, 339, 10}, {"4.6276", 195, 339, 10}, {"V", 249, 339, 10}, {"133", 27, 448, 10}, {"0:33", 195, 448, 10}},
         "DC Voltage", 4.2337, "V"},
        // A meter's trend view: its conductance in a bar over the chart, on the screen's top edge.
        {{{"Auto", 19, 6, 10}, {"Trig", 55, 6, 10}, {"2.5353mS", 131, 4, 15}, {"Local", 444, 6, 10}, {"18.9038m", 11, 53, 8},
          {"10.4557m", 11, 113, 8}, {"2.0075m", 17, 173, 8}, {"-60s", 73, 197, 10}, {"-30s", 263, 197, 10}, {"Trend", 22, 255, 10}},
         "Measurement", 2.5353, "mS"},
    };
    for (const Case& c : cases) {
        const auto m = BenchScreenReader::read(screenOf(c.words, c.boxes));
        EXPECT_EQ(field(m, "mode"), QLatin1String(c.mode)) << c.words.at(3).text;
        EXPECT_DOUBLE_EQ(m.value(QStringLiteral("value")).toDouble(), c.value) << c.words.at(3).text;
        EXPECT_EQ(field(m, "unit"), QString::fromUtf8(c.unit)) << c.words.at(3).text;
    }
    // Quantities in lines that hold settings, or a panel whose first readout can't be read,
    // give no reading.
    for (const QList<W>& words : {QList<W>{{"Set", 10, 20, 14}, {"Voltage", 40, 20, 14}, {"5.000V", 300, 20, 14}, {"Set", 10, 60, 14},
                                           {"Current", 40, 60, 14}, {"1.000A", 300, 60, 14}},
                                  QList<W>{{"Voltage", 40, 20, 14}, {"3;3", 300, 20, 14}, {"Current", 40, 60, 14}, {"20.000A", 300, 60, 14},
                                           {"Voltage", 40, 100, 14}, {"5.0V", 300, 100, 14}},
                                  QList<W>{{"Cutoffvoltage", 40, 20, 14}, {"3.000V", 300, 20, 14}, {"Dischargecurrent", 40, 60, 14},
                                           {"1.000A", 300, 60, 14}},
                                  QList<W>{{"Log", 10, 20, 12}, {"Mesure:1.250V", 10, 60, 12}, {"Mesure:1.270V", 10, 90, 12}},
                                  // (A table's Value column with no Unit column: its figures measure nothing said. Nor
                                  // one whose top row lost its figure: the next row's is none.)
                                  QList<W>{{"Index", 21, 237, 13}, {"Value", 444, 237, 13}, {"0", 20, 261, 9}, {"0.0015", 444, 261, 10},
                                           {"1", 21, 284, 9}, {"0.0015", 444, 284, 9}, {"2", 21, 307, 9}, {"0.0014", 444, 307, 10}},
                                  QList<W>{{"Index", 21, 237, 13}, {"Unit", 337, 238, 12}, {"Value", 444, 237, 13}, {"0", 20, 261, 9},
                                           {"YDC", 336, 261, 9}, {"1", 21, 284, 9}, {"YDC", 336, 284, 9}, {"0.0015", 444, 284, 9}, {"2", 21, 307, 9},
                                           {"YDC", 336, 307, 9}, {"0.0014", 444, 307, 10}, {"3", 21, 330, 9}, {"YDC", 336, 330, 9},
                                           {"0.0014", 444, 330, 10}},
                                  QList<W>{{"Log", 10, 20, 12}, {"Set", 10, 60, 12}, {"Voltage:", 40, 60, 12}, {"5.000", 110, 60, 10},
                                           {"Current:", 10, 90, 12}, {"1.000", 110, 90, 10}},
                                  QList<W>{{"Charger", 10, 20, 12}, {"FloatVoltage:", 10, 60, 12}, {"13.60", 110, 60, 10},
                                           {"BulkVoltage:", 10, 90, 12}, {"14.40", 110, 90, 10}},
                                  QList<W>{{"Log", 10, 20, 12}, {"Voltage:", 10, 60, 12}, {"350.2", 80, 60, 10}, {"mV", 300, 60, 10},
                                           {"Voltage:", 10, 90, 12}, {"351.0", 80, 90, 10}, {"mV", 300, 90, 10}},
                                  QList<W>{{"Mode", 40, 20, 14}, {"Auto", 300, 20, 14}, {"PowerDemand", 40, 60, 14}, {"GridFrequency", 40, 100, 14},
                                           {"50.0Hz", 300, 100, 14}, {"GridVoltage", 40, 140, 14}, {"235.0V", 300, 140, 14}},
                                  QList<W>{{"Wave", 10, 20, 12}, {"Sine", 60, 20, 12}, {"Frequency", 10, 60, 12}, {"150.0Hz", 120, 60, 12}},
                                  QList<W>{{"CH1", 10, 10, 12}, {"Sine", 60, 10, 12}, {"Frequency:1.000kHz", 10, 60, 12}, {"Amplitude:2.00Vpp", 10, 90, 12}},
                                  QList<W>{{"Settings", 10, 10, 12}, {"Frequency:50Hz", 10, 60, 12}, {"Baud", 10, 90, 12}, {"9600", 80, 90, 12}},
                                  QList<W>{{"Supplysource:", 10, 50, 21}, {"Accumulator", 10, 140, 20}, {"U+4.06A", 10, 180, 20}},
                                  QList<W>{{"Output", 10, 20, 12}, {"Set", 10, 60, 12}, {"5.00", 60, 60, 12}, {"Volts", 120, 60, 12}},
                                  QList<W>{{"Output", 10, 20, 12}, {"Sine", 10, 60, 12}, {"f=1.000kHz", 10, 90, 12}, {"Offset", 10, 120, 12}},
                                  // (Tiles whose CURRENT shows amperes, the quantity's name as much as the present
                                  // value's; or a present value outside its MIN and MAX.)
                                  QList<W>{{"CURRENT", 26, 269, 8}, {"MIN", 195, 269, 8}, {"1.250", 26, 284, 10}, {"A", 80, 284, 10},
                                           {"1.100", 195, 284, 10}, {"A", 249, 284, 10}, {"MAX", 26, 323, 8}, {"1.300", 26, 339, 10},
                                           {"A", 79, 339, 10}},
                                  QList<W>{{"CURRENT", 26, 269, 8}, {"MIN", 195, 269, 8}, {"5.250", 26, 284, 10}, {"V", 80, 284, 10},
                                           {"1.100", 195, 284, 10}, {"V", 249, 284, 10}, {"MAX", 26, 323, 8}, {"1.300", 26, 339, 10},
                                           {"V", 79, 339, 10}},
                                  // (A gauge named as a setting, or two gauges of a voltage.)
                                  QList<W>{{"Output", 10, 10, 12}, {"SetVoltage", 40, 40, 16}, {"12.00", 58, 120, 20}},
                                  QList<W>{{"Input", 10, 10, 12}, {"Voltage", 40, 40, 16}, {"12.00", 44, 120, 20}, {"Voltage", 340, 40, 16},
                                           {"5.00", 350, 120, 20}},
                                  // (A chart's legend: each entry's line sample run into its word, read as a stray
                                  // mark; nor a figure with a unit chooser under a heading that names no reading.)
                                  QList<W>{{"Mode", 400, 20, 14}, {"Voltage", 380, 40, 12}, {"Current", 430, 40, 12}, {"33.5V", 300, 80, 9, -1, 68},
                                           {"s5.5V", 300, 118, 9, -1, 68}, {"-Energy3.5V", 300, 156, 10, -1, 117}, {"Energy5.5V", 300, 194, 10, -1, 117}},
                                  QList<W>{{"Output", 10, 10, 12}, {"Voltage", 30, 60, 16}, {"5.00", 20, 86, 26}, {"Volts", 380, 90, 16}},
                                  QList<W>{{"Output", 10, 10, 12}, {"CurrentReading", 30, 60, 16}, {"5.00", 20, 86, 26}, {"Volts", 380, 90, 16}},
                                  QList<W>{{"Status", 10, 10, 12}, {"Battery", 30, 40, 12}, {"OV", 60, 120, 20}, {"OA", 200, 120, 20}},
                                  // (Nor one whose peak was misread into no current: a current further on is another
                                  // stretch's.)
                                  QList<W>{{"1A", 60, 74, 9, 0, 17}, {"400mA", 36, 283, 9, 1, 41}, {"200mA", 36, 353, 9, 2, 41},
                                           {"0nA", 52, 423, 9, 3, 25}, {"52.121", 137, 593, 13, 4, 43}, {"mA", 181, 597, 9, 4, 18},
                                           {"0.89:", 293, 593, 13, 4, 43}, {"6.72:", 430, 593, 13, 4, 44}, {"Is", 475, 599, 7, 4, 5},
                                           {"350.30", 575, 593, 13, 4, 54}, {"Imc", 630, 597, 9, 4, 18}, {"2.101", 754, 593, 13, 4, 34},
                                           {"mA,", 789, 597, 9, 4, 18}, {"2.45)", 906, 593, 13, 4, 34}, {"mA", 941, 597, 9, 4, 18},
                                           {"1.000", 1059, 593, 13, 4, 43}, {"Is", 1103, 599, 7, 4, 5}, {"2.10", 1208, 593, 13, 4, 34},
                                           {"Imc", 1243, 597, 9, 4, 18}, {"average", 147, 619, 10, 5, 41}, {"time", 443, 617, 9, 5, 24},
                                           {"charge", 593, 616, 10, 5, 36}, {"average", 760, 619, 10, 5, 41}, {"time", 1071, 617, 9, 5, 24},
                                           {"charge", 1217, 616, 10, 5, 35}},
                                  // (A profiler's line whose two currents differ in decimals: one was misread.)
                                  QList<W>{{"Window", 10, 900, 9}, {"Selection", 100, 900, 9}, {"104.271", 412, 938, 14}, {"mA", 476, 943, 9},
                                           {"140.01", 597, 938, 14}, {"mA", 650, 943, 9}, {"381.71", 788, 938, 14}, {"ms", 840, 945, 7},
                                           {"39.81", 980, 938, 14}, {"mC", 1025, 943, 9}},
                                  // (Nor two voltages and a frequency in one line where the screen writes a
                                  // current elsewhere: a monitor's, its line no scope's.)
                                  QList<W>{{"230.1V", 10, 4, 14}, {"229.8V", 90, 4, 14}, {"50.0Hz", 170, 4, 14}, {"0.52A", 10, 60, 14},
                                           {"Log", 10, 200, 12}},
                                  // (An input voltage after an output's name whose figure was lost.)
                                  QList<W>{{"Supply", 10, 10, 12}, {"Vout", 10, 40, 12}, {"Input:24.10V", 300, 40, 12}, {"Output", 10, 80, 12}},
                                  // (Nor a figure off the name's centre, or with words between, or
                                  // one in the name's own print: a field.)
                                  QList<W>{{"Panel", 10, 10, 12}, {"Voltage", 40, 40, 16}, {"12.00", 54, 80, 16}},
                                  QList<W>{{"Panel", 10, 10, 12}, {"Voltage", 40, 40, 16}, {"12.00", 140, 120, 20}},
                                  QList<W>{{"Panel", 10, 10, 12}, {"Voltage", 40, 40, 16}, {"Sense", 50, 80, 12}, {"12.00", 44, 120, 20}},
                                  // (Nor a figure marked with a V before it and no current marked under it.)
                                  QList<W>{{"Out", 10, 10, 12}, {"V", 100, 221, 12}, {"30.00", 140, 204, 51}, {"Set", 100, 320, 12}, {"3.000", 140, 300, 47}},
                                  // (Nor one whose next figure along the row is marked with no current's letter.)
                                  QList<W>{{"Out", 10, 10, 12}, {"V", 15, 73, 13}, {"5.06", 51, 56, 52}, {"T", 181, 73, 13}, {"27.0", 216, 56, 52}}})
        EXPECT_FALSE(BenchScreenReader::read(screenOf(words)).contains(QStringLiteral("value"))) << words.at(2).text;
    // Nor does a figure whose exponent was misread beyond any range ("e-07" read as "e-67").
    EXPECT_FALSE(BenchScreenReader::read(screenOf({{"LCR", 10, 10, 10}, {"7.918e-67", 60, 100, 40}, {"F", 290, 100, 40}, {"Log", 10, 250, 10}}))
                     .contains(QStringLiteral("value")));
    // A switch's state read with a zero for its O is no capacitance.
    const auto off = BenchScreenReader::read(screenOf({{"output", 10, 100, 30}, {"0FF", 140, 100, 30}, {"Log", 10, 200, 12}}));
    EXPECT_FALSE(off.contains(QStringLiteral("value")));
}

TEST(BenchScreenReader, AScopeTableReadInPartGivesItsFirstMeasurementOrNone)
{
    // Scope screens whose scale marks the recogniser lost: the measurement list or statistics
    // table is all that is left to read, and its first measurement is the reading.
    struct Case {
        QList<W> words;
        std::optional<double> value;
        const char* unit;
        std::optional<double> minValue, maxValue;
        bool waveform = false;
    };
    const QList<W> timeAxis = {{"+10ms", 264, 8, 8}, {"+20ms", 456, 8, 8}, {"+30ms", 648, 8, 8}};
    const auto line = [](const char* width, const char* frequency, const char* period) {
        return QList<W>{{"-", 76, 28, 11}, {width, 122, 33, 6}, {"nn", 169, 28, 11}, {frequency, 190, 28, 11}, {period, 278, 30, 7}};
    };
    const Case cases[] = {
        // A measurement list, each line's channel badge read as letters glued to its label,
        // a decimal point read as a comma, the timebase over it misread as an RMS figure.
        {{{"1.00rms", 182, 193, 8}, {"500.003Hz", 374, 193, 8}, {"GDPk-Pk", 182, 209, 10}, {"4,00V", 245, 209, 8}, {"2.00'V", 28, 222, 8},
          {"eark-Pk", 182, 222, 10}, {"860m", 245, 222, 8}, {"17:48:53", 421, 223, 8}},
         4.00, "V", {}, {}},
        // A statistics box per measurement: the first box's current value, its V read as a Y,
        // with its own minimum and maximum; a limit whose colon was lost is not told from its
        // minus.
        {{{"Cur:", 106, 200, 8}, {"-40.00mY", 130, 200, 8}, {"Cur:1.441", 249, 200, 8}, {"Avg:-50.91mV", 106, 212, 8},
          {"Min:-80.00mV", 106, 225, 8}, {"Max:-40.00mV", 106, 238, 8}, {"Avg:1.683", 249, 212, 8}, {"Min:1.434V", 249, 225, 8}},
         -40.00, "mV", -80.00, -40.00},
        {{{"Cur:", 106, 200, 8}, {"-40.00mY", 130, 200, 8}, {"Avg:-50.91mV", 106, 212, 8}, {"Min:-80.00mV", 106, 225, 8},
          {"Max-40.00mV", 106, 238, 8}},
         -40.00, "mV", -80.00, {}},
        // A steady signal's: every statistic as its current value, no peers of it; a limit
        // without its colon or a sign is read all the same.
        {{{"Cur:220.0us", 106, 200, 8}, {"Avg:220.0us", 106, 212, 8}, {"Max220.0us", 106, 225, 8}, {"Min:220.0us", 106, 238, 8}},
         220.0, "\u00B5s", 220.0, 220.0},
        // A row of boxes titled with their measurements: the peak to peak's box, not the first.
        {{{"Max", 62, 200, 9}, {"Cur:216mV", 114, 200, 9}, {"Vpp", 190, 200, 9}, {"Cur:320mV", 242, 200, 9}, {"Avg:87.6mV", 113, 212, 9},
          {"Avg:155mV", 241, 212, 9}},
         320, "mV", {}, {}},
        // Boxes titled Min and Max measure the signal's limits: those, not the first box's own
        // statistics, are the reading's limits...
        {{{"Min", 73, 202, 8}, {"Cur:7.840", 106, 200, 8}, {"V", 166, 200, 8}, {"Cur:8.507", 249, 200, 8}, {"V", 309, 200, 8}, {"Max", 359, 202, 8},
          {"Cur:9.200", 392, 200, 8}, {"V", 452, 200, 8}, {"Avg:7.840", 106, 212, 8}, {"Min:7.840", 106, 225, 8}},
         7.840, "V", 7.840, 9.200},
        {{{"Max", 62, 200, 9}, {"Cur:216mV", 114, 200, 9}, {"Min", 190, 200, 9}, {"Cur:-104mV", 242, 200, 9}, {"Vpp", 318, 200, 9},
          {"Cur:320mV", 370, 200, 9}, {"Avg:87.6mV", 113, 212, 9}, {"Avg:155mV", 369, 212, 9}},
         320, "mV", -104, 216},
        // ...but not where the minimum's colon was read as its minus: its sign is not known.
        {{{"Max", 62, 200, 9}, {"Cur:216mV", 114, 200, 9}, {"Min", 190, 200, 9}, {"Cur-104mV", 242, 200, 9}, {"Vpp", 318, 200, 9},
          {"Cur:320mV", 370, 200, 9}, {"Avg:87.6mV", 113, 212, 9}, {"Avg:155mV", 369, 212, 9}},
         320, "mV", {}, {}},
        // A title before the first box read: that box's value was lost, and no other stands for it.
        {{{"Base", 62, 200, 9}, {"Freq", 190, 200, 9}, {"Cur:2.00MHz", 242, 200, 9}, {"Avg:2.00MHz", 241, 212, 9}, {"Max:2.00MHz", 242, 225, 9}},
         {}, "", {}, {}},
        // Boxes before the first read whose statistics read bare show stars for a measurement
        // that found no edge: the first box with figures is the reading...
        {{{"Freq", 62, 200, 9}, {"Avg:", 113, 212, 9}, {"Max:", 114, 225, 9}, {"Max:", 242, 225, 9}, {"Min:", 114, 238, 9},
          {"Cur:5.000us", 370, 200, 9}, {"Avg:5.000us", 369, 212, 9}, {"Max5.000\u00B5s", 370, 225, 9}, {"Min:5.000us", 370, 238, 9}},
         5.000, "\u00B5s", 5.000, 5.000},
        // ...unless its current value lies outside its own minimum and maximum, a digit misread.
        {{{"Freq", 62, 200, 9}, {"Avg:", 113, 212, 9}, {"Max:", 114, 225, 9}, {"Min:", 114, 238, 9}, {"Cur:454.0ns", 370, 200, 9},
          {"Min:534.0ns", 370, 238, 9}, {"Max554.0ns", 370, 225, 9}},
         {}, "", {}, {}},
        // A row of boxes whose print was read in part, one statistic under the first.
        {{{"Base", 62, 200, 9}, {"Cur-245mV", 114, 200, 9}, {"Cur:2.00MHz", 242, 200, 9}, {"Max-131mV", 114, 225, 9},
          {"Avg:2.00MHz", 241, 212, 9}},
         -245, "mV", {}, {}},
        // Its colon read as a minus: the sign that keeps it between its box's limits.
        {{{"Cur-90.6mV", 106, 200, 8}, {"Avg:43.9mV", 106, 212, 8}, {"Max:96.2mV", 106, 225, 8}, {"Min:12.0mV", 106, 238, 8}}, 90.6, "mV", 12.0, 96.2},
        // The current value's colon lost.
        {{{"Cur1.98V", 106, 200, 8}, {"Avg:1.42V", 106, 212, 8}, {"Max:1.98V", 106, 225, 8}, {"Min:1.19V", 106, 238, 8}}, 1.98, "V", 1.19, 1.98},
        // Its current value's unit lost: no statistic, and no other box's figure, stands for it.
        {{{"Cur:7.840", 106, 200, 8}, {"Cur:10.00ms", 249, 200, 8}, {"Avg:7.840", 106, 212, 8}, {"Min:7.840", 106, 225, 8},
          {"Max:7.840", 106, 238, 8}, {"Avg:9.740ms", 249, 212, 8}, {"Min:8.400ms", 249, 225, 8}, {"Max:10.20ms", 249, 238, 8}},
         {}, "", {}, {}},
        // A waveform, a sample rate, and a strip whose other readouts show only stars.
        {{{"25.0MSa/s", 300, 4, 10}, {"Rise", 200, 230, 10}, {"12.60ms", 230, 230, 10}, {"Freqeesss", 300, 230, 10}}, 12.60, "ms", {}, {}, true},
        // A program's table of measurements, each named after the channel it measures.
        {{{"Name", 214, 101, 11}, {"Value", 329, 101, 11}, {"C1", 163, 124, 11}, {"Period", 207, 124, 11}, {"25.000ms", 271, 124, 11},
          {"C1", 163, 148, 11}, {"PosDuty", 207, 148, 13}, {"50.006%", 271, 148, 11}},
         25.000, "ms", {}, {}, true},
        // The readout that follows the pointer: the channel glued before its label, the period's
        // frequency and duty after slashes; the trace's value at the pointer is no readout.
        {{{"Stop", 88, 10, 10}, {"C1:3.299V", 279, 118, 9}, {"X:450,8us", 279, 216, 9}, {"C1Period:1ms/999.7971Hz/12.5%", 277, 231, 10},
          {"C1Width:125us", 299, 250, 9}},
         1, "ms", {}, {}, true},
        // A negative voltage whose label was lost is no peak to peak.
        {{{"Freq:2.28kHz", 131, 424, 10}, {"-159.99mV", 466, 425, 8}}, 2.28, "kHz", {}, {}, true},
        // A counter beside a cursor box: its "1/ΔX" read as "1iAX" is no maximum.
        {{{"5.00us/", 102, 2, 8}, {"Delay:7.51m", 133, 2, 8}, {"f-59.9781kHz", 400, 2, 9}, {"Curr35.0kpts", 410, 25, 8}, {"AX22.0us", 342, 130, 9},
          {"1iAX445.45kHz", 342, 140, 9}, {"X27.5165ms", 341, 150, 8}},
         59.9781, "kHz", {}, {}, true},
        // A home-made scope's page: the channel's name run into its label, the label cut in two
        // where two small letters touch.
        {{{"Rate:2ms", 300, 60, 12}, {"Range1:DC1V", 300, 80, 12}, {"CH1freq", 10, 240, 12}, {"uency:276.54Hz", 61, 240, 12}},
         276.54, "Hz", {}, {}, true},
        // A home-made scope's page: its frequency run into the trace's span, one unit after the
        // span's two figures.
        {{{"triggeronposslope", 20, 60, 12}, {"2571kS/s", 20, 120, 12}, {"126963Hz1.13/2.39V", 10, 250, 12}, {"distance0.00ms", 180, 250, 12}},
         126963, "Hz", {}, {}, true},
        // ...even on the page's bottom edge, under a generator's settings drawn alike.
        {{{"triggeronposslope", 20, 60, 12}, {"wavefrequency", 300, 80, 12}, {"238.7", 400, 80, 12}, {"kS/s", 60, 120, 12},
          {"12636Hz0.00/4.98V", 10, 262, 12}, {"distance0.00ms", 180, 262, 12}},
         12636, "Hz", {}, {}, true},
        // A strip under the waveform, the scales read without their slashes: its first readout,
        // not the frequency after it...
        {{{"H200us", 10, 4, 12}, {"1.00GSa/s", 120, 4, 12}, {"Rise-2.500ms", 40, 230, 8}, {"Fall-2.500ms", 130, 230, 8},
          {"Freq-60.2Hz", 220, 230, 8}, {"1.00V", 40, 250, 8}},
         2.500, "ms", {}, {}, true},
        // ...and a table headed by its channel's name opens with its first readout all the
        // same, its "=" read as a dash, its point as a comma, beside the main time base.
        {{{"CH2", 82, 146, 7}, {"Prd-11,05ms", 162, 146, 7}, {"Freq90,51Hz", 242, 146, 7}, {"Rise3,00ps", 242, 158, 7},
          {"M5.00ms", 241, 217, 7}},
         11.05, "ms", {}, {}, true},
        // ...and a figure with its unit opening the strip before the first label, its own label
        // lost, is the first readout.
        {{{"H5.00ns", 10, 4, 12}, {"1.00GSa/s", 120, 4, 12}, {"pts", 180, 4, 8}, {"2.230V", 100, 40, 9}, {"2.56Y", 50, 236, 9}, {"Rise-1.700ns", 110, 236, 10},
          {"500mV", 100, 256, 9}},
         2.56, "V", {}, {}, true},
        // ...but where the first readout's label was read and its figure garbled, none after it
        // stands for it.
        {{{"H5.00ms", 10, 4, 12}, {"1.00GSa/s", 120, 4, 12}, {"pts", 180, 4, 8}, {"CH1", 10, 236, 9}, {"Prd-11..dims", 40, 236, 9},
          {"Freg89,99Hz", 120, 236, 9}, {"+Wid-5.56ms", 40, 250, 9}},
         {}, "", {}, {}, true},
        // ...nor is a channel's scale opening the line, its badge unread.
        {{{"H5.00ns", 10, 4, 12}, {"1.00GSa/s", 120, 4, 12}, {"pts", 180, 4, 8}, {"1.00V", 50, 236, 9}, {"Rise-1.700ns", 110, 236, 10}},
         1.7, "ns", {}, {}, true},
        // ...nor a voltage that no label claims after it, as the peak to peak it might be.
        {{{"H1.00ms", 10, 4, 12}, {"50.0MSa/s", 120, 4, 12}, {"Width120.0us", 40, 230, 8}, {"Avg-1.35Y", 130, 230, 8},
          {"Freq-961", 220, 230, 8}, {"3.52V", 280, 230, 8}, {"2.00V", 40, 250, 8}},
         120.0, "\u00B5s", {}, {}, true},
        // A list down a column, each readout named after its channel, the first label cut in two
        // with a stroke read as a letter; the trigger's counter on the bottom line is no readout.
        {{{"CH1", 34, 200, 10}, {"Frequi", 72, 200, 10}, {"lency", 108, 200, 10}, {"1.202kHz", 211, 200, 10}, {"CH1", 34, 220, 10},
          {"Period", 72, 220, 10}, {"832.0us", 211, 220, 10}, {"CH1", 34, 250, 10}, {"5.00V", 70, 250, 10}, {"2.00ms", 130, 250, 10},
          {"460.000Hz", 300, 250, 10}},
         1.202, "kHz", {}, {}, true},
        // ...or cut where its first part names the readout already.
        {{{"CH1", 34, 200, 10}, {"Frequ", 72, 200, 10}, {"ency", 102, 200, 10}, {"1.202kHz", 211, 200, 10}, {"CH1", 34, 220, 10},
          {"Period", 72, 220, 10}, {"832.0us", 211, 220, 10}, {"CH1", 34, 250, 10}, {"5.00V", 70, 250, 10}, {"2.00ms", 130, 250, 10},
          {"460.000Hz", 300, 250, 10}},
         1.202, "kHz", {}, {}, true},
        // A period's small s read as a 5 apart from its figure, shorter than its digits.
        {{{"H500.0ms", 10, 4, 12}, {"Period-2.730", 69, 230, 8}, {"5", 148, 233, 5}, {"Freg-366.3mHz", 212, 230, 8}}, 2.730, "s", {}, {}, true},
        // A scope's "High" (its channel's badge read as a letter) is the signal's top level, no
        // maximum of the amplitude beside it.
        {{{"Anplitude", 15, 229, 15, -1, 52}, {"14.0mV", 74, 230, 10, -1, 28}, {"QHigh", 128, 229, 15, -1, 28}, {"6.00nY", 161, 230, 10, -1, 28},
          {"QFrequency", 240, 229, 15, -1, 52}, {"587.4Hz", 297, 230, 10, -1, 33}},
         14.0, "mV", {}, {}, true},
        // A sample rate beside the waveform is a scope's mark: its strip of limits is read.
        {{{"H200ns", 10, 4, 12}, {"1.00GSa/s", 110, 6, 8}, {"Max--15.0V", 62, 230, 9}, {"Min--15.0V", 189, 230, 9}, {"500mV", 169, 250, 9}},
         -15.0, "V", -15.0, -15.0, true},
        // The record's length and the time base's delay are a scope's marks where no waveform
        // was seen: its counter is the reading, not the cursors' box under it.
        {{{"5.00ms/Delay:20.0us", 100, 4, 10}, {"f-39.7530kHz", 360, 3, 12}, {"Curr7.00Mpts", 380, 44, 10}, {"AX16.6ms", 340, 229, 11},
          {"-1.54V", 430, 236, 10}},
         39.7530, "kHz", {}, {}},
        // So is the main time base after its M, beside a waveform: the trigger's counter under
        // it is the reading, its z read as a 2.
        {{{"CH21.00'/", 10, 230, 10}, {"M25.0us", 100, 230, 10}, {"CH2J1,954", 200, 230, 10}, {"24-Sep", 10, 250, 10},
          {"-1408:53", 80, 250, 10}, {"14,7063kH2", 300, 250, 10}},
         14.7063, "kHz", {}, {}, true},
        // A status bar of a bare time base, the trigger's position at nought and the counter,
        // run into the clock, is a scope's where no waveform was seen; the counter is read.
        {{{"oe", 2, 222, 10}, {"2.000", 28, 222, 8}, {"100ns", 182, 222, 8}, {"0.00000s", 238, 222, 8}, {"144", 304, 222, 8},
          {"12.0122MHz14:00:05", 368, 222, 8, -1, 86}},
         12.0122, "MHz", {}, {}},
        // So is a time base in a knob's 1-2-5 step with a frequency told to a counter's six
        // figures, the channels' scales bare beside it.
        {{{"2.00ms", 570, 8, 13}, {"Whitestripeispassingby", 41, 397, 27}, {"1.00V", 107, 459, 13}, {"2.00V", 422, 458, 13},
          {"15.0000Hz", 537, 458, 13}},
         15.0, "Hz", {}, {}},
        // ...or in a 1-2.5-5 step after its M, where a measurement shows only its placeholder.
        {{{"Volts/Div", 401, 118, 7}, {"Frequency", 26, 217, 7}, {"?", 121, 218, 7}, {"20.0V", 118, 244, 7}, {"M250ns", 203, 244, 7},
          {"9.93562kHz", 389, 245, 7}},
         9.93562, "kHz", {}, {}},
        // So is the main time base after its M beside the counter whose "=" was read as a minus:
        // the strip's frequency is the reading.
        {{{"Stop", 100, 8, 12}, {"-493.150Hz", 532, 400, 12}, {"Freq-498.2Hz", 27, 438, 13}, {"M500us", 292, 458, 12},
          {"MPos:0.00us", 372, 458, 12}},
         498.2, "Hz", {}, {}},
        // A statistics table whose names went unread, by one scale mark: the top line of five
        // figures (current, mean, minimum, maximum, deviation) with its own limits...
        {{{"100.0us/", 466, 44, 10}, {"2.7mV", 147, 506, 10}, {"2.6435mV", 232, 506, 10}, {"2.4mV", 317, 506, 10}, {"2.9mV", 402, 506, 10},
          {"111.99uV", 488, 506, 10}, {"170.2kHz", 148, 542, 10}, {"170.20kHz", 233, 542, 10}},
         2.7, "mV", 2.4, 2.9},
        // ...its statistics keeping only their prefix (a sample rate without its a for the
        // mark): a steady signal's span shows as none, its deviation below the last digit.
        {{{"25.0kS/s", 748, 675, 11}, {"Value", 158, 696, 12}, {"Min", 330, 696, 12}, {"Period", 26, 713, 16}, {"63.00ms", 159, 715, 11},
          {"63.00m", 247, 715, 11}, {"63.00m", 329, 715, 11}, {"63.00m", 411, 715, 11}, {"492.0n", 493, 715, 11}},
         63.00, "ms", 63.00, 63.00},
        // ...or bare where they have no prefix, under the columns' names; µ read as y.
        {{{"3.00MS/s", 748, 675, 11}, {"Value", 158, 696, 12}, {"Mean", 247, 697, 11}, {"+Duty", 60, 715, 12}, {"25.00%", 159, 715, 11},
          {"24.92", 247, 715, 11}, {"12.49", 330, 715, 11}, {"88.43", 411, 715, 11}, {"1.761", 494, 715, 11}, {"Ampl", 26, 733, 16},
          {"3.32V", 159, 733, 11}, {"3.32", 247, 733, 11}, {"3.32", 329, 733, 11}, {"3.32", 411, 733, 11}, {"0.00", 493, 733, 11},
          {"500.0ys", 159, 751, 11}, {"500.0y", 247, 751, 11}, {"499.9y", 328, 751, 11}, {"500.2y", 411, 751, 11}, {"71.31n", 493, 751, 11}},
         3.32, "V", 3.32, 3.32},
        // ...not bare figures without those names over them.
        {{{"3.00MS/s", 748, 675, 11}, {"3.32V", 159, 733, 11}, {"3.32", 247, 733, 11}, {"3.32", 329, 733, 11}, {"3.32", 411, 733, 11},
          {"0.00", 493, 733, 11}},
         {}, "", {}, {}},
        // A readout's row in such a table, run on into the time base's bar, gives its limits.
        {{{"Tek", 0, 1, 14}, {"2.00V", 69, 639, 11}, {"Period", 26, 677, 16}, {"2.000ms", 159, 679, 11}, {"2.000m", 247, 679, 11},
          {"2.000m", 329, 679, 11}, {"2.001m", 411, 679, 11}, {"217.1n", 493, 679, 11}, {"1.00ms", 592, 675, 11}, {"1.00MS/s", 749, 675, 11},
          {"+Duty", 60, 697, 12}, {"43.75%", 158, 697, 11}, {"43.75", 246, 697, 11}, {"43.72", 328, 697, 11}, {"43.78", 410, 697, 11}},
         2.000, "ms", 2.000, 2.001},
        // A result panel that opens with a duty cycle: a ratio, passed over for the frequency.
        {{{"1.00s/", 239, 12, 12}, {"100.00kSa/s", 359, 17, 12}, {"+Duty(C1)", 877, 142, 14}, {"50.0%", 881, 163, 11},
          {"Freq(C1)", 877, 224, 14}, {"1.0000Hz", 881, 245, 11}, {"Period(C1)", 877, 306, 14}, {"1.0000s", 881, 327, 11}},
         1.0, "Hz", {}, {}},
        // ...not five figures that hold no such order (a row of scales or cursor positions).
        {{{"100.0us/", 466, 44, 10}, {"2.0V", 147, 506, 10}, {"1.0V", 232, 506, 10}, {"500mV", 317, 506, 10}, {"2.0V", 402, 506, 10},
          {"5.0V", 488, 506, 10}},
         {}, "", {}, {}},
        // ...nor a line of five figures that opens with one bare of any unit.
        {{{"100.0us/", 466, 44, 10}, {"2.7", 147, 506, 10}, {"2.6435mV", 232, 506, 10}, {"2.4mV", 317, 506, 10}, {"2.9mV", 402, 506, 10},
          {"111.99uV", 488, 506, 10}},
         {}, "", {}, {}},
        // ...but not where a panel's readout names were read without their figures: the counter
        // may count another edge than the panel measures.
        {{{"2.00ms", 570, 8, 13}, {"Mean", 682, 135, 13}, {"Pk-Pk", 682, 187, 13}, {"1.00V", 107, 459, 13}, {"2.12V", 422, 458, 13},
          {"1.14500KHz", 532, 458, 13}},
         {}, "", {}, {}},
        // A program's measurement of the pulse under its pointer, tags of a letter before its
        // figures: its width, its frequency and its period in small print over the trace, read
        // where the frequency and the period are each other's inverse.
        // The width first, its s read as a 5, an arrow's tip after the period read as marks.
        {timeAxis + line("9,300m5", "72,82Hz\"", "13,73ms*\""), 9.300, "ms", {}, {}, true},
        // The frequency first.
        {{{"f", 600, 28, 11}, {"827,6kHz", 612, 32, 7}, {"T", 660, 28, 11}, {"1,208us", 680, 33, 6}}, 827.6, "kHz", {}, {}, true},
        // No trace: figures over no signal.
        {timeAxis + line("9,300ms", "72,82Hz", "13,73ms"), {}, "", {}, {}, false},
        // Exactly each other's inverse: a time base and a generator's frequency, both set.
        {timeAxis + line("9,300ms", "1.000kHz", "1.000ms"), {}, "", {}, {}, true},
        // No inverse of each other.
        {timeAxis + line("9,300ms", "72,82Hz", "14,73ms"), {}, "", {}, {}, true},
        // Told to three digits: agreeing by chance as readily.
        {timeAxis + line("9,30ms", "72,8Hz", "13,7ms"), {}, "", {}, {}, true},
        // The first figure garbled: the frequency after it does not stand for it.
        {timeAxis + line("9,300", "72,82Hz", "13,73ms"), {}, "", {}, {}, true},
        // A cursor box: the difference over its inverse, a level between, all one row to the
        // recogniser; and the same side by side, each named.
        {{{"720.0ns", 164, 113, 9, 3}, {"-136.0mV", 163, 128, 9, 3}, {"1.389MHz", 164, 143, 9, 3}}, {}, "", {}, {}, true},
        {{{"AX:", 300, 40, 9}, {"720.0ns", 330, 40, 9}, {"1/AX:", 390, 40, 9}, {"1.389MHz", 430, 40, 9}}, {}, "", {}, {}, true},
    };
    for (const Case& c : cases) {
        ScreenText screen = screenOf(c.words);
        screen.waveform = c.waveform;
        const auto m = BenchScreenReader::read(screen);
        EXPECT_EQ(m.contains(QStringLiteral("value")), c.value.has_value()) << c.words.front().text;
        if (!c.value)
            continue;
        EXPECT_EQ(field(m, "mode"), QStringLiteral("Oscilloscope")) << c.words.front().text;
        EXPECT_EQ(m.value(QStringLiteral("value")).toDouble(), *c.value) << c.words.front().text;
        EXPECT_EQ(field(m, "unit"), QString::fromUtf8(c.unit)) << c.words.front().text;
        EXPECT_EQ(m.contains(QStringLiteral("minValue")), c.minValue.has_value()) << c.words.front().text;
        EXPECT_EQ(m.value(QStringLiteral("minValue")).toDouble(), c.minValue.value_or(0)) << c.words.front().text;
        EXPECT_EQ(m.contains(QStringLiteral("maxValue")), c.maxValue.has_value()) << c.words.front().text;
        EXPECT_EQ(m.value(QStringLiteral("maxValue")).toDouble(), c.maxValue.value_or(0)) << c.words.front().text;
    }
}

TEST(BenchScreenReader, AMeasurementRowReadApartOverThePeakToPeakLeavesItUntold)
{
    // A table of measurements per channel beside a program's menu, the peak to peak's row read...
    const QList<W> table = {{"SUOscilloscope", 16, 228, 16, 2, 109}, {"Peak-peak:5.225V", 290, 268, 10, 4, 121}, {"-82.908mV", 365, 290, 10, 4, 72},
                            {"Peak-peak:79.887mV", 467, 268, 10, 4, 139}, {"-54.613mV", 542, 290, 10, 4, 68},
                            {"3.2kSamplesat1Msps", 397, 354, 10, 7, 146}};
    struct Case {
        W name, figure;  // a row read as a name and a figure apart, set in before the peak to peak's
        std::optional<double> value;
    };
    const Case cases[] = {
        // ...with a row right over it, its name read and its figure with its unit read apart from
        // it (a stray colon): a measurement put before the peak to peak, which does not stand for it;
        {{"Frequency:", 290, 245, 10, 3, 64}, {":1.004kHz", 355, 245, 10, 3, 69}, {}},
        // ...which it does where that row stands further up, or beside its column, or was read
        // cleanly and paired.
        {{"Frequency:", 290, 215, 10, 2, 64}, {":1.004kHz", 355, 215, 10, 2, 69}, 5.225},
        {{"Frequency:", 290, 245, 10, 3, 64}, {"1.004kHz", 355, 245, 10, 3, 69}, 5.225},
        {{"Frequency:", 690, 245, 10, 3, 64}, {":1.004kHz", 755, 245, 10, 3, 69}, 5.225},
    };
    for (const Case& c : cases) {
        QList<W> words = table;
        words.insert(1, c.figure);
        words.insert(1, c.name);
        ScreenText screen = screenOf(words);
        screen.size = QSize(1920, 1080);
        screen.waveform = true;
        const auto m = BenchScreenReader::read(screen);
        EXPECT_EQ(m.contains(QStringLiteral("value")), c.value.has_value()) << c.name.x << "," << c.name.y;
        if (c.value)
            EXPECT_DOUBLE_EQ(m.value(QStringLiteral("value")).toDouble(), *c.value) << c.name.x << "," << c.name.y;
    }
}

TEST(BenchScreenReader, ACharacterDisplayReadsTheVoltageBesideItsCurrent)
{
    struct Case {
        QList<W> words;
        std::optional<double> value;
    };
    const QList<Case> cases = {
        // A tester's two-line module: the voltage with the current beside it opens the display.
        {{{"3.832V", 34, 31, 22}, {"13", 149, 31, 22}, {"315mA", 211, 31, 22}, {"0.000Ω", 34, 57, 23}, {"h", 147, 57, 23}, {"0.000V", 195, 57, 23}}, 3.832},
        // A load's module naming the current it is set to: that pair may be the setting.
        {{{"12.00V", 10, 20, 20}, {"1.000A", 150, 20, 20}, {"Iset", 10, 50, 20}, {"1.000A", 150, 50, 20}}, {}},
        // Two lines of pairs (its input and its output): which one is meant can't be told.
        {{{"12.00V", 10, 20, 20}, {"1.000A", 150, 20, 20}, {"5.00V", 10, 50, 20}, {"2.100A", 150, 50, 20}}, {}},
        // Its current lost to the recogniser: the display's one voltage, opening its line.
        {{{"SOC=15%", 300, 10, 27}, {"No", 40, 40, 27}, {"errors", 97, 44, 19}, {"40.88V", 40, 100, 27}, {"AIA", 211, 100, 27}, {"22°C", 306, 100, 27}}, 40.88},
        // ...not one named before it (a generator's amplitude), nor one of many lines (a table).
        {{{"Freq", 10, 20, 20}, {"1.000kHz", 80, 20, 20}, {"Ampl", 10, 50, 20}, {"2.000V", 80, 50, 20}}, {}},
        {{{"1480", 10, 20, 20}, {"-0.466", 80, 20, 20}, {"1481", 10, 50, 20}, {"-0.225", 80, 50, 20}, {"1482", 10, 80, 20}, {"0.01", 80, 80, 20},
          {"1483", 10, 110, 20}, {"1.122V", 80, 110, 20}, {"1484", 10, 140, 20}, {"0.481", 80, 140, 20}}, {}},
    };
    for (const Case& c : cases) {
        const auto m = BenchScreenReader::read(screenOf(c.words));
        EXPECT_EQ(m.contains(QStringLiteral("value")), c.value.has_value()) << c.words.front().text;
        if (c.value)
            EXPECT_EQ(m.value(QStringLiteral("value")).toDouble(), *c.value) << c.words.front().text;
    }
}

TEST(BenchScreenReader, AFigureWithAGarbledUnitBeforeTheReadingLeavesItUntold)
{
    struct Case {
        QList<W> words;
        std::optional<double> value;
    };
    const QList<Case> cases = {
        // A tester's line whose voltage lost its unit: the current after it is no reading.
        {{{"LIMIT:500mA", 20, 10, 20}, {"4976mu", 30, 60, 40}, {"2155mA", 250, 60, 40}}, {}},
        {{{"4976nu", 30, 60, 40}, {"2155mA", 250, 60, 40}, {"PhoneChargeGuard", 20, 150, 16}}, {}},
        // A garbled figure after the reading, or one in far smaller print, leaves it standing.
        {{{"Voltage", 20, 10, 14}, {"12.34V", 30, 60, 40}, {"998ma", 250, 60, 40}}, 12.34},
        {{{"12.34V", 30, 60, 40}, {"25C", 250, 70, 14}, {"Battery", 20, 150, 14}}, 12.34},
    };
    for (const Case& c : cases) {
        const auto m = BenchScreenReader::read(screenOf(c.words));
        EXPECT_EQ(m.contains(QStringLiteral("value")), c.value.has_value()) << c.words.front().text;
        if (c.value)
            EXPECT_EQ(m.value(QStringLiteral("value")).toDouble(), *c.value) << c.words.front().text;
    }
}

TEST(BenchScreenReader, ASpectrumAnalysersFirstMarkerGivesItsLevel)
{
    struct Case {
        QList<W> words;
        std::optional<double> value;
        const char* unit = "dBm";
    };
    const QList<Case> cases = {
        // The marker's frequency and level run together, its Hz misread.
        {{{"File", 10, 10, 11}, {"788.85MH2-112.3dBm", 200, 40, 9}, {"-20", 10, 80, 9}, {"-40", 10, 120, 9}}, -112.3},
        // After the marker's name; the second marker's is not the reading.
        {{{"M1", 200, 40, 9}, {"136.0000-94.2dI3m", 220, 40, 9}, {"M2", 200, 60, 9}, {"7.0000-89.8dBm", 220, 60, 9}}, -94.2},
        // The level named as the peak's.
        {{{"RBW:100000Hz", 10, 40, 20}, {"-80", 10, 160, 16}, {"Peak:-85.1dBm", 200, 160, 21}}, -85.1},
        // A level in dB after the marker's frequency on a screen scaled in dBm lost its m...
        {{{"-IRT868.00000MHz2", 100, 10, 30}, {"-25.4dB", 464, 10, 30}, {"dBm", 15, 54, 24}, {"-20", 947, 83, 23}}, -25.4},
        // ...but in dB on a screen not scaled in dBm, it is a ratio.
        {{{"-IRT868.00000MHz2", 100, 10, 30}, {"-25.4dB", 464, 10, 30}, {"dB", 15, 54, 24}, {"-20", 947, 83, 23}}, {}},
        // A level printed bare under the marker's place, on a screen scaled in dBm...
        {{{"REF", 10, 17, 10}, {"0.0", 34, 17, 10}, {"dBm", 66, 17, 10}, {"MKR", 322, 17, 10}, {"50.0", 362, 17, 10}, {"MHz", 402, 17, 10},
          {"Write", 114, 31, 10}, {"-82.91", 363, 31, 10}},
         -82.91},
        // ...but not under a setting's figure.
        {{{"REF", 10, 17, 10}, {"0.0", 34, 17, 10}, {"dBm", 66, 17, 10}, {"CF", 322, 17, 10}, {"50.0", 362, 17, 10}, {"MHz", 402, 17, 10},
          {"Write", 114, 31, 10}, {"-82.91", 363, 31, 10}},
         {}},
        // A meter's peak in volts, a generator's level: no marker's.
        {{{"Peak:-5.12V", 10, 40, 12}, {"Hold", 200, 40, 12}}, {}},
        {{{"Level", 10, 40, 12}, {"-10.00dBm", 80, 40, 12}, {"Freq", 10, 70, 12}, {"1.000MHz", 80, 70, 12}}, {}},
        // An audio spectrum's strongest line, its level in plain decibels after it, alone on the
        // title bar beside icons read as a stray digit: the frequency, named as the peak or not.
        {{{"Spectrum", 60, 10, 16}, {"1100.0Hz", 250, 10, 16}, {"-24.3dB", 335, 10, 16}, {"2", 440, 10, 16}, {"freq", 4, 250, 12},
          {"20", 60, 250, 12}, {"50", 120, 250, 12}, {"100", 180, 250, 12}},
         1100.0, "Hz"},
        {{{"Peak", 150, 10, 16}, {"1100.0Hz", 250, 10, 16}, {"-24.3dB", 335, 10, 16}, {"freq", 4, 250, 12}}, 1100.0, "Hz"},
        // A marker's line (its index before it, or a second trace's level after it) is no peak.
        {{{"1:", 200, 10, 12}, {"10.200MHz", 220, 10, 12}, {"-16.0dB", 300, 10, 12}, {"freq", 4, 250, 12}, {"20", 60, 250, 12}}, {}},
        {{{"Smith", 10, 10, 12}, {"0", 10, 250, 12}, {"2591.96MHz", 40, 250, 12}, {"-81.2dB", 140, 250, 12}, {"-29.3dB", 220, 250, 12}}, {}},
        // Nor is a level in decibels against a volt (a scope's FFT scale), nor one of two such
        // lines (a held trace's peak beside the live one's), which of them not told.
        {{{"FFT", 60, 10, 16}, {"1.000kHz", 250, 10, 16}, {"-20.5dBV", 335, 10, 16}, {"freq", 4, 250, 12}, {"20", 60, 250, 12}}, {}},
        {{{"Spectrum", 60, 10, 16}, {"1100.0Hz", 250, 10, 16}, {"-24.3dB", 335, 10, 16}, {"Hold", 250, 60, 12}, {"880.0Hz", 250, 80, 16},
          {"-30.1dB", 335, 80, 16}},
         {}},
        // A program's list of the lines it found, strongest first, down one column and on into
        // the next (an amplitude run into the frequency): the first line's frequency.
        {{{"19.922kHz901.09mV", 30, 350, 13}, {"-0.9dBV", 175, 350, 13}, {"16.992kHz", 430, 350, 13}, {"93uV-80.6dBV", 537, 350, 13},
          {"40.039kHz", 30, 368, 13}, {"132uV-77.6dBV", 133, 368, 13}, {"23.047kHz", 30, 386, 13}, {"101uV-79.9dBV", 133, 386, 13}},
         19.922, "kHz"},
        {{{"1", 10, 40, 12}, {"1.000", 30, 40, 12}, {"kHz", 70, 40, 12}, {"-20.1", 110, 40, 12}, {"dB", 150, 40, 12}, {"2", 10, 60, 12},
          {"5.000", 30, 60, 12}, {"kHz", 70, 60, 12}, {"-45.0", 110, 60, 12}, {"dB", 150, 60, 12}, {"3", 10, 80, 12}, {"3.000", 30, 80, 12},
          {"kHz", 70, 80, 12}, {"-60.2", 110, 80, 12}, {"dB", 150, 80, 12}},
         1.0, "kHz"},
        // Lines whose levels rise and fall, or only two of them, or lines listed by frequency (a
        // sweep's), or markers' lines: which is the screen's measurement is not told.
        {{{"1.000kHz", 30, 40, 12}, {"-20.1dB", 110, 40, 12}, {"3.000kHz", 30, 60, 12}, {"-45.0dB", 110, 60, 12}, {"5.000kHz", 30, 80, 12},
          {"-30.2dB", 110, 80, 12}},
         {}},
        {{{"1.000kHz", 30, 40, 12}, {"-20.1dB", 110, 40, 12}, {"3.000kHz", 30, 60, 12}, {"-45.0dB", 110, 60, 12}}, {}},
        {{{"1.000kHz", 30, 40, 12}, {"-3.1dB", 110, 40, 12}, {"2.000kHz", 30, 60, 12}, {"-9.0dB", 110, 60, 12}, {"4.000kHz", 30, 80, 12},
          {"-15.2dB", 110, 80, 12}},
         {}},
        {{{"M1", 10, 40, 12}, {"1.000kHz", 30, 40, 12}, {"-20.1dB", 110, 40, 12}, {"M2", 10, 60, 12}, {"3.000kHz", 30, 60, 12},
          {"-45.0dB", 110, 60, 12}, {"M3", 10, 80, 12}, {"5.000kHz", 30, 80, 12}, {"-60.2dB", 110, 80, 12}},
         {}},
    };
    for (const Case& c : cases) {
        const auto m = BenchScreenReader::read(screenOf(c.words));
        EXPECT_EQ(m.contains(QStringLiteral("value")), c.value.has_value()) << c.words.front().text;
        if (!c.value)
            continue;
        EXPECT_EQ(m.value(QStringLiteral("value")).toDouble(), *c.value) << c.words.front().text;
        EXPECT_EQ(field(m, "unit"), QString::fromUtf8(c.unit)) << c.words.front().text;
    }
}

TEST(BenchScreenReader, AChartsScaleIsNoReading)
{
    // Figures stacked in a column at even steps, the same decimals on each, are a chart's scale:
    // none is a reading, even with a unit letter glued on (a zero read as an ohm sign); a
    // readout by the chart still is. Figures at uneven steps are no scale.
    const QList<std::pair<QList<W>, const char*>> rows = {
        {{{"History", 150, 20, 12}, {"1.64", 47, 60, 8}, {"1.6Ω", 47, 87, 8}, {"1.52", 47, 140, 8}, {"1.48", 47, 167, 8}}, ""},
        {{{"Voltage", 150, 20, 12}, {"0.138", 46, 60, 8}, {"0.134", 46, 90, 8}, {"0.130V", 46, 120, 8}, {"0.126", 46, 150, 8}}, ""},
        {{{"Voltage:", 100, 10, 20}, {"0.13", 200, 10, 20}, {"V", 260, 10, 20}, {"0.138", 46, 90, 8}, {"0.134", 46, 120, 8},
          {"0.130V", 46, 150, 8}, {"0.126", 46, 180, 8}},
         "0.13 V"},
        {{{"Voltage", 150, 20, 12}, {"1.64", 47, 60, 8}, {"1.6Ω", 47, 87, 8}, {"1.21", 47, 140, 8}, {"0.48", 47, 167, 8}}, "1.6 Ω"},
        // A scale's thousands grouped, its unit over it: the readout beside the chart.
        {{{"SolarPower", 61, 99, 11}, {"1,016.92W", 472, 109, 11}, {"W", 52, 188, 9}, {"3,500", 15, 196, 11}, {"3,000", 15, 225, 11},
          {"2,500", 15, 254, 11}, {"2,000", 15, 283, 11}},
         "1016.92 W"},
        // A legend's entries, each with its line sample run into its word, name series: the
        // readout over the chart is the reading.
        {{{"Voltage:", 100, 10, 20}, {"0.13", 200, 10, 20}, {"V", 260, 10, 20}, {"-2V", 380, 80, 9, -1, 60}, {"33.5V", 380, 98, 9, -1, 68},
          {"s5V", 380, 116, 9, -1, 60}},
         "0.13 V"},
    };
    for (const auto& [words, want] : rows) {
        const auto m = BenchScreenReader::read(screenOf(words));
        EXPECT_EQ((field(m, "value") + QLatin1Char(' ') + field(m, "unit")).trimmed().toStdString(), want) << words.at(1).text;
    }
}
