// The reader on screenshots saved by real instruments and instrument programs (the dev split of
// tests/Library/Reading/data/real, or $CORVALLEN_REAL_SCREENS): nothing invented, and a fair
// share read right. The held-out split is judged by bench_analysis alone, once.
#include "Corvallen/Library/Reading/BenchScreenReader.h"
#include "Corvallen/Library/Reading/TextRecognizer.h"
#include "support/RealScreenCorpus.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

using namespace corvallen::test;

namespace {

// The reader's answer for a screenshot, as the analysis gets it; empty when it found no
// reading (no value and nothing to say: the analysis then fails for want of a value).
QVariantMap answerFor(const QString& path)
{
    const QImage image = TextRecognizer::loadCapture(path);
    if (image.isNull())
        return {};
    const auto screen = TextRecognizer::recognizeScreen(image);
    if (!screen)
        return {};
    const QVariantMap answer = BenchScreenReader::read(*screen);
    if (!answer.contains(QStringLiteral("value")) && !answer.contains(QStringLiteral("summary")))
        return {};
    return answer;
}

}  // namespace

TEST(RealScreens, ScreensWithoutAMeasurementGiveNoReadingAndTheOthersNoInventedOne)
{
    const QList<RealScreen> screens = realScreens(QStringLiteral("dev"));
    if (screens.isEmpty())
        GTEST_SKIP() << "no real screens in " << realScreensFolder().toStdString();
    int right = 0, withMeasurement = 0;
    QStringList wrong;
    for (const RealScreen& screen : screens) {
        const QVariantMap answer = answerFor(screen.path);
        const RealScore score = scoreRealReading(screen, answer);
        if (screen.noMeasurement())
            EXPECT_TRUE(answer.isEmpty()) << describeRealReading(screen, answer).toStdString();
        else
            ++withMeasurement;
        right += score.right && !screen.noMeasurement();
        if (score.wrong)
            wrong << describeRealReading(screen, answer);
    }
    // Recognition is bounded by counted work, not time: the same screen reads the same on any
    // machine. At most one in fifteen wrong, at least half read right; bench_analysis gives the
    // exact figures.
    EXPECT_LE(wrong.size() * 15, int(screens.size())) << wrong.join(QLatin1Char('\n')).toStdString();
    EXPECT_GE(right * 2, withMeasurement) << right << " of " << withMeasurement;
}

TEST(RealScreens, ScreensFromOtherProjectsGiveTheirMeasurement)
{
    // Screens of the sets collected apart, each showing one way a reading was lost or a wrong
    // value or limit given: what a person reads, and no limit (the screens label none).
    struct Row {
        const char* file;
        double value;
        const char* unit;
        const char* why;
    };
    const QList<Row> rows = {
        {"openhantek-6022-04.png", 2.055, "V", "a scope program's channel row: the figure after the scales per division"},
        {"fresh-rigol-ds1000z-05.png", 2.300, "ns", "a strip readout whose label kept only its tail"},
        {"wild-riden-dps5005gui-01.png", 5.00, "V", "a supply's input voltage (Vin) is no minimum"},
        {"wild2-korad-psupwa-01.png", 0.0, "V", "a target voltage over the actual one is a setting"},
        {"blind-brymen-logger-02.png", 1.3145, "V", "a logger's lines, each led by its record number: the top line"},
        {"wild2-hp-3478aprog-02.png", -0.466, "V", "a log table's top row is read whole and first, its figure and unit cells before the rows under it"},
        {"wild2-hp-3457aprog-01.png", -0.394, "V",
         "a log table's record number before its date stamp is an index, so its top row is read first; its VDC touching the column's rule is read"},
        {"wild12-go-multimeter-fs9721-01.png", 127, "V",
         "a terminal log's top reading, a figure without a point, read first; the stamped message line over it lost no figure"},
        {"wild-owon-rustymeter-03.png", 0.0015, "V", "a table's Unit column standing before its Value column, its rows stamped in Unix time"},
        {"wild-owon-rustymeter-02.png", -15.4361, "mV", "a program's unit on a line of its own under its large reading is read with it"},
        {"wild3-riden-esphomedps-01.png", 35.98, "V",
         "quantities named with what they are of, run together (\"Outputvoltage\"); a setting's name (\"Voltagesetting\") names none"},
        {"wild3-rigol-ds1000z-02.png", 602.0, "\u00B5s", "a zero after a decimal point drawn as round as an O (\"602.Ous\")"},
        {"wild3-owon-xdm1041sand-01.png", 0.0, "V", "a program's reading in small print named as the measurement (\"Mesure:0.000V\")"},
        {"fresh-rigol-dho900-01.png", 88.216, "mV",
         "readout boxes stacked in a side panel, joined by the trace drawn through them; a status badge's trigger level is no built-in meter"},
        {"blind-rigol-ds1000z-01.png", 610, "Hz", "a strip readout on a screen that is a scope's by its waveform, its label touching its cell's rim"},
        {"blind-fnirsi-dpox180h-01.png", 99.98, "kHz", "a label glued to its figure; a channel's scale in the bar under the strip is no peak to peak"},
        {"blind-rigol-ds1054z-01.png", 8.0, "µs", "a fall time in the strip, beside a waveform, is a scope's readout"},
        {"wild8-siglent-sds1000xe-04.png", 39.753, "kHz", "traces drawn as filled bands are a waveform all the same: the counter beside them is a scope's"},
        {"wild9-unit-ut61e-program-01.png", 75.23, "mV", "a unit raised into the corner over the end of the large reading"},
        {"blind-smuview-01.png", 9.3526, "V", "numbered badges beside the figure and its unit, a range noted over the unit"},
        {"wild9-hantek-dso-01.png", 15.0, "Hz", "a time base in a 1-2-5 step beside a counter's six figures, both printed bare, are a scope's"},
        {"wild2-hantek-dso5102p-04.png", 50.0, "Hz", "a side panel in the frame's colour, each value in a rimmed box, is read"},
        {"wild2-hantek-dso5102p-02.png", 2.0, "MHz", "a measure menu's page of labels over values down the side: its first slot, not its peak to peak"},
        {"wild9-hantek-dso-03.png", 319.4, "Hz", "a measure menu's first slot, one slot's value unread further down"},
        {"wild3-hantek-dso-01.jpg", 15.15, "kHz", "a side panel's fields, their rims run to the panel's border, are read against the panel"},
        {"wild9-hantek-dso-06.jpg", 6.250, "MHz", "the same on a screen enlarged, its rims blurred into the values"},
        {"wild2-hantek-dso5102p-01.png", 62.7090, "kHz", "a 7 read as a slash right after the counter's point"},
        {"wild2-arduino-simpledso-02.jpg", 0.95, "V", "a small scope's unnamed line over its chart: two voltages and a frequency, the first its average"},
        {"wild9-hantek-dso-04.png", 4.96, "V", "a measure menu's first slot, its 4 read as an A"},
        {"wild9-hantek-dso-05.jpg", 50.0, "Hz", "a counter's 5 read as a 9 in a status bar's small print, its bowl open, is read again"},
        {"wild8-tektronix-tbs1000-01.png", 8.17815, "kHz", "an upright bar parts a strip's fields: the counter is not run into the clock after it"},
        {"wild5-openluat-iotpower-01.png", 4.1933, "V",
         "a unit set low in the corner of its figure's field; smaller statistics close to the reading are no peers of it"},
        {"wild9-incvist-inc-vist-3-01.png", 25.0, "Hz", "one pane shown three times side by side: the copies of its reading don't contest it"},
        {"wild3-arminjo-batterytester-01.png", 3.832, "V", "a character display: the voltage with its current beside it opens it"},
        {"wild8-homemade-jkbmscan-02.png", 40.88, "V", "a character display's one voltage opening its figures, its current garbled"},
        {"wild4-conrad-datalogger-01.png", 207, "\u00B0C", "a program's seven-segment readout, found though a window's edge stands taller than its digits"},
        {"wild10-keysight-pxa-plot-01.png", -85.1, "dBm", "a spectrum's level named as its peak's"},
        {"wild9-tinysa-qttinysa-03.png", -112.3, "dBm", "a marker's frequency and level run together: the level"},
        {"wild9-tinysa-screen-01.png", -25.4, "dBm", "a level in dB after the marker's frequency, the scale in dBm"},
        {"wild9-billthefarmer-scope-android-01.png", 1100.0, "Hz", "an audio spectrum's strongest line on the title bar, its level in plain dB after it"},
        {"wild-rigol-dho-01.jpg", 1.0, "kHz", "readout cards on a panel are read against their own fill: the panel's body around them is no glyph"},
        {"wild10-hantek-dso-02.jpg", 53.33, "MHz", "values in fields with faint rims on a readout panel: the rims are the panel's, not the values'"},
        {"blind-openmodern-01.png", 1.4982879, "V", "a thin bar between the large figure and its unit, the unit followed by a mark read as a slash"},
        {"wild11-expeyes17-rc-01.png", 150.1, "Hz", "a readout beside a waveform whose label is a word of its own opening its line"},
        {"wild7-homemade-unor4webscope-01.png", 12636, "Hz", "a frequency with the trace's span run on after it, on the page's bottom edge"},
        {"wild6-siglent-sds1000-02.png", 498.2, "Hz", "a strip on the bar of the frame round the grid is read against the bar's colour"},
        {"fresh-rigol-ds1000z-06.png", 2.56, "V", "a strip's first figure, its label lost, before a labelled readout"},
        {"keysight-dsox-05.png", -32.1, "mV", "a built-in meter's sign drawn as a short block; its thin V read as a mark after the m"},
        {"wild-riden-opendps-01.jpg", 5.02, "V", "a photographed display: the dark window in the picture is read as a screen of its own"},
        {"wild10-juntek-kg140f-photo-01.png", 20.16, "V", "a photographed display, its glow taken out so its characters stand apart"},
        {"wild9-wagiminator-usb-tester-photo-01.jpg", 5080, "mV", "a photographed display's tall segment face, its small m standing on the digits' line"},
        {"wild10-owon-b41t-01.png", 0.0003, "V", "a meter's segment digits, their halves apart, over a bar graph's scale as wide as the display"},
        {"wild4-bluemeter-app-03.png", 6.25, "V", "a screen giving next to no lines of text is read inside the patch of its most common colour"},
        {"wild8-expeyes-scope17-02.png", 150.0, "Hz", "a quantity's name run into its figure, the panel's only named readout"},
        {"wild9-incvist-inc-vist-3-02.png", 4.06, "V", "a quantity's symbol before its figure, its equals sign read as a plus"},
        {"wild11-capmeter-serial-01.jpg", 223.0, "\u00B5F", "a log's first result with its unit spelled out in full, prefix and all"},
        {"wild9-hanmatek-hm310p-program-01.png", 1.16, "V",
         "a program's glowing LED figures, their glow taken out, and the small unit at the figure's foot read with it"},
        {"fresh-sigrok-lcd-01.png", 1.0001, "kHz",
         "a counter program's unit lamps on the window's strip beside its segment display: the label by the one lit lamp"},
        {"fresh-sigrok-lcd-02.png", 89.3499, "kHz",
         "the same lamps where the display is a box of its own in the window: the lit label belongs to the display's figure"},
        {"wild12-esp-power-web-01.png", 0.0, "V", "a dashboard card's value in a filled field of its own, its unit in the card's label"},
        {"wild12-tenma-psu-photo-01.jpg", 30.00, "V",
         "a supply's display panel photographed askew, its sides slanting across the box round it; the C.V lamp after the current no ohm sign"},
        {"tek-tds784d-03.jpg", 24, "mV",
         "a scope's screen in a program's window, its dark body flush along its top and bottom though not its sides, is no askew panel"},
        {"wild6-fcgdam-powermeter-02.png", 230.5, "V", "a dashboard's voltage gauge, named centred over its dial, its figure centred at the foot"},
        {"wild11-um34c-terminal-01.png", 5.01, "V", "a terminal's lines of volts, amperes and watts, each figure after its name"},
        {"wild3-fnirsi-dps150web-01.png", 0.0, "V", "a supply's page opening with its input voltage, its output's figures placeholders"},
        {"rigol-dp832-01.png", 3.404, "V", "a unit standing apart from its figure is read with the figure, early in the budget"},
        {"wild10-rigol-ds1000z-01.png", 4.28, "V", "a strip's maximum put in without its minimum, beside the trace's top level, is no limit of it"},
        {"wild8-rigol-ds1000z-10.png", 18.50, "ms", "a scope's strip dimmed under an open menu: its first readout, read in its faint print"},
        {"wild11-siglent-sds1000-02.png", 11.05, "ms", "a measurement table headed by its channel's name: its first readout; slashed zeros in tiny print"},
        {"wild13-waveformslive-panel-24.png", 1.060, "V", "a bullet before a readout's label is the list's mark, not part of the label"},
        {"blind-smuview-03.png", 10.5002, "V", "the maximum labelled under an energy tally beside the reading is the tally's, not the reading's"},
        {"wild2-siglent-sds2104xhd-02.png", 855.833, "mV",
         "a measurement's heading alone on its line, read when the budget was all but spent, has its value under it read too"},
        {"blind-openmodern-02.png", 1.9973069, "V", "a segment face's 9 drawn as bars apart, its bowl open at the gaps, is a 9 still"},
        {"wild12-go-multimeter-ow18e-01.png", 126.76, "V", "a log beside a drawing as tall as its lines: each line keeps its own row"},
        {"fluke-123-01.png", 415.4, "mV",
         "a blocky face's point touching the digit before it at a corner is a point; the rms over the unit is its figure's"},
        {"wild-riden-dps5005gui-04.png", 8.52, "V", "segment digits on a program's light field: an 8's lower bowl, a ring of touching bars, is no filled box"},
        {"wild-lecroy-93xx-01.png", 18.85, "\u00B5s",
         "a statistics table's first row: its unit a space after the figure and its name past an icon, both read in the budget"},
        {"wild21-digilent-wflogic-01.png", 250, "\u00B5s", "a program's pointer readout, the channel's name glued to its label, over a logic trace"},
        {"wild21-saleae-logic1-01.png", 9.300, "ms", "a pulse's width, frequency and period side by side, the last two each other's inverse"},
        {"wild27-digilent-waveforms-pwm-01.png", 10.4, "ms", "a program's pointer readout whose channel's C reads as a nought: the period, its first form"},
        {"wild28-ha-ohm-card-01.png", 36.1, "W", "a chart legend's row: the name with its unit in brackets, the figure with that unit at the row's far end"},
        {"wild28-ewatcher-emoncms-02.png", 0, "W", "a dashboard's tiles along the top, captioned over their figures: the first, its nought read as an O"},
        {"wild19-victron-venusflow-01.png", -75, "W",
         "a power-flow overview: the first branch's power, not the battery's charge in percent drawn larger nor its voltage in small print"},
        {"wild4-ni-classd-01.png", 4.56, "W", "captioned readout fields under a spectrum whose axis title names a frequency"},
        {"wild13-lilylogger-table-01.png", 5.096, "V",
         "a log table's column headed by its unit spelled out, the heading row set apart over the rows read with the log's top lines"},
        {"wild7-soyosource-gtncard-01.png", 182, "W",
         "a card's list of named readings: the values at the rows' right ends are read with their names before the budget is spent"},
        {"wild18-labpowerui-mobile-02.png", 6.4, "V", "a supply's live values side by side, the watts' nought read as an O"},
        {"wild18-voltmetergui-setup-01.png", 5.22, "V", "a reading under its heading, its unit chosen in a drop-down far along its line"},
        {"wild20-siglent-sds2000xplus-01.png", 131.5755, "kHz",
         "a pair of time cursors read with their times marks a scope whose scales went unread: its counter, alone, is the reading"},
        {"wild29-gwinstek-gds820c-scopeview-01.png", 90, "Hz",
         "a status bar of cells along the screen's bottom edge, each between two rules, read against its fill: its channel and trigger mark the scope"},
    };
    for (const Row& row : rows) {
        const QVariantMap answer = answerFor(QDir(realScreensFolder()).filePath(QString::fromLatin1(row.file)));
        ASSERT_TRUE(answer.contains(QStringLiteral("value"))) << row.file << " (" << row.why << ")";
        EXPECT_EQ(answer.value(QStringLiteral("value")).toDouble(), row.value) << row.file << " (" << row.why << ")";
        EXPECT_EQ(answer.value(QStringLiteral("unit")).toString(), QString::fromUtf8(row.unit)) << row.file;
        EXPECT_FALSE(answer.contains(QStringLiteral("minValue"))) << row.file;
        EXPECT_FALSE(answer.contains(QStringLiteral("maxValue"))) << row.file;
    }
    // Screens whose reading comes with its limits, each labelled as such (a readout list, a
    // statistics table, limits after the reading on its line).
    struct Limited {
        const char* file;
        double value;
        const char* unit;
        double minValue, maxValue;
        const char* why;
    };
    const QList<Limited> limited = {
        {"wild3-jyetech-dso138viewer-01.png", 3.00, "V", -0.20, 3.00, "a list of readouts down a column: its first line, before the peak to peak"},
        {"wild4-keysight-msox4154a-01.png", 2.7, "mV", 2.4, 2.9, "a statistics table's top line, its names unread: current, mean, minimum, maximum, deviation"},
        {"wild5-rigol-ds1000z-03.png", 15.3, "V", 14.9, 15.3, "a short bold label stands further before its figure, and is read with it"},
        {"wild5-evilgenius-esp32pm-01.png", 3.88, "V", 3.85, 3.95, "a reading in print like all else, its labelled limits after it on its line"},
        {"wild3-jyetech-dso138capture-01.png", 1.82, "V", -1.37, 1.82,
         "a program's row of names over its figures, read after the figures: the first readout, the position before it a setting"},
        {"wild3-rigol-ds1000zstat-01.png", 7.840, "V", 7.840, 9.200,
         "a statistics box's current value, its V standing apart in tiny print, read with the figure; the boxes titled Min and Max its limits"},
        {"wild3-rigol-ds1000zstat-02.png", -40.00, "mV", -40.00, 3160,
         "a box's current value cut from its \"Cur:\" at the minus: the box's title before them is read with them, in the budget"},
        {"wild7-embo-scope-01.png", 1.9888, "V", 0.5098, 2.4986,
         "a peak to peak printed bare after its name \"Vpp:\" is in volts; the strip's names left unread by the budget are read before their figures"},
        {"wild16-blemeter-session-01.png", 4.7713, "V", 4.7713, 4.9185,
         "statistics tiles' small captions over their figures, read with the figures before a chart's axis spends the budget"},
        {"wild5-rigol-ds1000z-02.png", -245, "mV", -277, -131,
         "a statistics box's negative current value after its label's colon is small print to read early; its lines under it read after "
         "the budget, each minus after a colon the recogniser lost a minus for sure"},
        {"wild8-rigol-ds1000z-07.png", 1.28, "V", 1.19, 1.98, "a statistics box's last line, its minimum, read after the budget down the box's column"},
        {"wild10-nordic-ppk-program-01.png", 2.21, "mA", 0, 20.39,
         "a profiler's line of two currents, a time and a charge, its captions lost: the average, the peak after it its maximum"},
        {"wild18-ppk2-neopixelpoweroff-02.png", 691.67, "\u00B5A", 0, 15700,
         "a profiler's first window: its average and the peak beside it, not a later window's maximum further along the line"},
        {"wild15-nordic-ppk-04.png", 123.86, "mA", 0, 133.82,
         "a profiler's tiles, each caption read under its figure: the average, the tile captioned max its maximum, and no minimum"},
        {"wild23-tektronix-tbs-02.jpg", 4.16, "V", -13.6, 52.8,
         "measurement boxes two by two beside a time base in a 1-2.5-5 step: the first box, not the peak to peak nor the trigger's counter"},
        {"wild14-siglent-matlabmeas-01.png", -0.02, "V", -0.02, 3.02,
         "a program's printed list of a trace's statistics, units in brackets: its first line, its minimum and maximum the limits"},
    };
    for (const Limited& row : limited) {
        const QVariantMap answer = answerFor(QDir(realScreensFolder()).filePath(QString::fromLatin1(row.file)));
        ASSERT_TRUE(answer.contains(QStringLiteral("value"))) << row.file << " (" << row.why << ")";
        EXPECT_EQ(answer.value(QStringLiteral("value")).toDouble(), row.value) << row.file << " (" << row.why << ")";
        EXPECT_EQ(answer.value(QStringLiteral("unit")).toString(), QString::fromUtf8(row.unit)) << row.file;
        EXPECT_EQ(answer.value(QStringLiteral("minValue")).toDouble(), row.minValue) << row.file;
        EXPECT_EQ(answer.value(QStringLiteral("maxValue")).toDouble(), row.maxValue) << row.file;
    }
    // And screens from them whose figures are no measurement: no answer at all.
    for (const char* file : {"wild9-billthefarmer-siggen-android-01.png", "wild18-keithleydash-notconnected-01.png"}) {
        const QVariantMap answer = answerFor(QDir(realScreensFolder()).filePath(QString::fromLatin1(file)));
        EXPECT_TRUE(answer.isEmpty()) << file << ": a generator's page shows what it puts out; a chart's legend names its series";
    }
}
