// The reader on screenshots saved by real instruments and instrument programs (the dev split of
// tests/Library/Reading/data/real, or $CORVALLEN_REAL_SCREENS): nothing invented, and a fair
// share read right. The held-out split is judged by bench_analysis alone, once.
#include "Corvallen/Library/Reading/BenchScreenReader.h"
#include "Corvallen/Library/Reading/TextRecognizer.h"
#include "support/RealScreenCorpus.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace corvallen::test;

namespace {

// The reader's answer for a screenshot, as the analysis gets it; empty when it found no
// reading (no value and nothing to say: the analysis then fails for want of a value).
QVariantMap answerFor(const QString& path)
{
    QImage image;
    if (!image.load(path))
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
