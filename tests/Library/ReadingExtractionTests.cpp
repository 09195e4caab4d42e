// The reading the analysis makes of a bench screen's recognised text, and how a reading is
// converted and written into a capture.
#include "Corvallen/Library/AnalyzeService.h"
#include "Corvallen/Library/CaptureReading.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Platform/OnDeviceLanguageModel.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>

using OnDeviceLanguageModel::readBenchScreen;

namespace {

std::optional<CaptureReading> readingOf(const QString& text, QString* error = nullptr)
{
    const OnDeviceLanguageModel::Session session(AnalyzeService::instructions());
    QString why;
    const auto content = session.respond(AnalyzeService::promptFor(text), CaptureReading::generationSchema(), true, {}, &why);
    if (!content) {
        if (error)
            *error = why;
        return std::nullopt;
    }
    return CaptureReading::fromGeneratedContent(*content, error);
}

}  // namespace

TEST(ReadingExtraction, MultimeterScreensGiveModeValueUnitAndLimits)
{
    auto dc = readingOf(QStringLiteral("DC V AUTO\n4.552 V\nMAX 4.610 V\nMIN 4.501 V"));
    ASSERT_TRUE(dc);
    EXPECT_EQ(dc->mode, QStringLiteral("DC Voltage"));
    EXPECT_EQ(dc->value, 4.552);
    EXPECT_EQ(dc->unit, QStringLiteral("V"));
    EXPECT_EQ(dc->minValue, 4.501);
    EXPECT_EQ(dc->maxValue, 4.610);
    EXPECT_TRUE(dc->summary.endsWith(QLatin1Char('.')));
    EXPECT_FALSE(dc->summary.contains(QLatin1Char('\n')));

    auto ac = readingOf(QStringLiteral("AC\n230.4V"));
    ASSERT_TRUE(ac);
    EXPECT_EQ(ac->mode, QStringLiteral("AC Voltage"));
    EXPECT_EQ(ac->value, 230.4);

    // The prefix stays with the unit and the value is written as shown.
    auto millivolts = readingOf(QStringLiteral("DCV 20V\n-12.37 mV"));
    ASSERT_TRUE(millivolts);
    EXPECT_EQ(millivolts->value, -12.37);
    EXPECT_EQ(millivolts->unit, QStringLiteral("mV"));
    EXPECT_FALSE(millivolts->minValue);
    EXPECT_FALSE(millivolts->maxValue);

    auto ohms = readingOf(QStringLiteral("RES\n10.02 k\u03A9"));
    ASSERT_TRUE(ohms);
    EXPECT_EQ(ohms->mode, QStringLiteral("Resistance"));
    EXPECT_EQ(ohms->unit, QStringLiteral("k\u03A9"));  // the unit as the screen writes it
    EXPECT_EQ(ohms->value, 10.02);

    auto cap = readingOf(QStringLiteral("CAP 47.3uF"));
    ASSERT_TRUE(cap);
    EXPECT_EQ(cap->mode, QStringLiteral("Capacitance"));
    EXPECT_EQ(cap->unit, QStringLiteral("\u00B5F"));

    auto freq = readingOf(QStringLiteral("1.000 kHz"));
    ASSERT_TRUE(freq);
    EXPECT_EQ(freq->mode, QStringLiteral("Frequency"));
    EXPECT_EQ(freq->unit, QStringLiteral("kHz"));

    auto amps = readingOf(QStringLiteral("DC A\n0,125 A"));  // decimal comma
    ASSERT_TRUE(amps);
    EXPECT_EQ(amps->mode, QStringLiteral("DC Current"));
    EXPECT_EQ(amps->value, 0.125);
}

TEST(ReadingExtraction, LimitsInAnotherPrefixAreGivenInTheReadingsUnit)
{
    auto r = readingOf(QStringLiteral("DC V\n1.250 V\nMAX\n1.31 V\nMIN 980 mV"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->value, 1.25);
    ASSERT_TRUE(r->minValue);
    EXPECT_NEAR(*r->minValue, 0.98, 1e-12);
    EXPECT_EQ(r->maxValue, 1.31);  // label on the line above
}

TEST(ReadingExtraction, OscilloscopeScreensPreferPeakToPeakOverScaleSettings)
{
    auto r = readingOf(QStringLiteral("CH1 1V/div 500us/div\nTrig Auto\nFreq 1.002kHz\nVpp 3.28V"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->mode, QStringLiteral("Oscilloscope"));
    EXPECT_EQ(r->value, 3.28);
    EXPECT_EQ(r->unit, QStringLiteral("V"));
}

TEST(ReadingExtraction, TextWithoutANumberFailsTheConversion)
{
    QString error;
    EXPECT_FALSE(readingOf(QString(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(readBenchScreen(QStringLiteral("FNIRSI 2D15P")).contains(QStringLiteral("value")));
}

TEST(ReadingExtraction, GeneratedContentRoundTripsAndChecksTypes)
{
    CaptureReading r{QStringLiteral("DC Voltage"), 4.552, QStringLiteral("V"), std::nullopt, 5.0, QStringLiteral("A reading.")};
    const QVariantMap content = r.toGeneratedContent();
    EXPECT_FALSE(content.contains(QStringLiteral("minValue")));
    EXPECT_TRUE(content.contains(QStringLiteral("maxValue")));
    EXPECT_EQ(CaptureReading::fromGeneratedContent(content, nullptr), r);

    QVariantMap bad = content;
    bad.insert(QStringLiteral("value"), QStringLiteral("4.5"));
    QString error;
    EXPECT_FALSE(CaptureReading::fromGeneratedContent(bad, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("value")));
    bad = content;
    bad.remove(QStringLiteral("summary"));
    EXPECT_FALSE(CaptureReading::fromGeneratedContent(bad, nullptr));

    const auto& schema = CaptureReading::generationSchema();
    ASSERT_EQ(schema.properties.size(), 6);
    EXPECT_EQ(schema.properties.at(3).name, QStringLiteral("minValue"));
    EXPECT_TRUE(schema.properties.at(3).optional);
    EXPECT_FALSE(schema.properties.at(0).optional);
}

TEST(ReadingExtraction, ApplyingAReadingOverwritesAllSixFieldsAndSaves)
{
    QString path;
    auto container = corvallen::test::openTestStore(&path);
    ModelContext& context = container->mainContext();
    Capture* c = context.insert(new Capture(QStringLiteral("a.png")));
    c->setMinValue(1.0);
    c->setMaxValue(9.0);
    ASSERT_TRUE(context.save());

    const CaptureReading r{QStringLiteral("DC Voltage"), 4.552, QStringLiteral("V"), std::nullopt, std::nullopt,
                           QStringLiteral("A DC Voltage reading of 4.552 V.")};
    applyReading(r, *c, &context);
    EXPECT_FALSE(context.hasChanges());
    container.reset();

    auto reopened = corvallen::test::reopenTestStore(path);
    const auto all = reopened->mainContext().fetch<Capture>();
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all.first()->mode(), QStringLiteral("DC Voltage"));
    EXPECT_EQ(all.first()->value(), 4.552);
    EXPECT_EQ(all.first()->unit(), QStringLiteral("V"));
    EXPECT_FALSE(all.first()->minValue());
    EXPECT_FALSE(all.first()->maxValue());
    EXPECT_EQ(all.first()->summary(), r.summary);
}
