// The analysis service against real image files and the real recogniser.
#include "Corvallen/Library/AnalyzeService.h"
#include "Corvallen/Platform/OnDeviceLanguageModel.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// A bench-screen-like picture: white text on black, large enough to read.
QString renderScreen(const QStringList& lines, const QString& name)
{
    QImage image(640, 120 + 90 * int(lines.size()), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setPen(Qt::white);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(56);
    p.setFont(font);
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(QPoint(40, 100 + 90 * i), lines.at(i));
    p.end();
    const QString path = QDir(corvallen::test::freshFolder()).filePath(name);
    image.save(path, "PNG");
    return path;
}

bool englishDataPresent()
{
    for (const QString& dir : {QStringLiteral("/usr/share/tesseract-ocr/5/tessdata"),
                               QStringLiteral("/usr/share/tesseract-ocr/4.00/tessdata"),
                               QStringLiteral("/usr/share/tessdata"), qEnvironmentVariable("TESSDATA_PREFIX")})
        if (!dir.isEmpty() && QFile::exists(QDir(dir).filePath(QStringLiteral("eng.traineddata"))))
            return true;
    return false;
}

struct ModelSwitch {
    explicit ModelSwitch(const QString& reason) { OnDeviceLanguageModel::setUnavailableForTesting(reason); }
    ~ModelSwitch() { OnDeviceLanguageModel::setUnavailableForTesting(std::nullopt); }
};

}  // namespace

TEST(AnalyzeService, ErrorTextsAndPrompt)
{
    EXPECT_EQ(AnalyzeService::AnalyzeError::loadFailed().errorDescription(), QStringLiteral("Couldn't load the image."));
    EXPECT_EQ(AnalyzeService::AnalyzeError::aiUnavailable(QStringLiteral("model not ready")).errorDescription(),
              QStringLiteral("On-device model unavailable: model not ready"));
    EXPECT_EQ(AnalyzeService::promptFor(QString()), QStringLiteral("OCR text from the capture:\n\n"));
    EXPECT_EQ(AnalyzeService::promptFor(QStringLiteral("a\nb")), QStringLiteral("OCR text from the capture:\n\na\nb"));
}

TEST(AnalyzeService, MissingOrBrokenImagesFailBeforeTheModelIsAsked)
{
    // Even with the model switched off, the image failure is what the user is told.
    ModelSwitch off(QStringLiteral("switched off"));
    const QString folder = corvallen::test::freshFolder();
    auto missing = AnalyzeService::analyze(QDir(folder).filePath(QStringLiteral("gone.png")));
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.errorText, QStringLiteral("Couldn't load the image."));

    const QString junk = QDir(folder).filePath(QStringLiteral("junk.png"));
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a picture");
    f.close();
    EXPECT_EQ(AnalyzeService::analyze(junk).errorText, QStringLiteral("Couldn't load the image."));
    // A capture name that would point out of the captures folder loads nothing.
    EXPECT_TRUE(AnalyzeService::imagePathFor(QStringLiteral("../junk.png")).isEmpty());
    EXPECT_EQ(AnalyzeService::analyze(AnalyzeService::imagePathFor(QStringLiteral("../junk.png"))).errorText,
              QStringLiteral("Couldn't load the image."));
}

TEST(AnalyzeService, RecognisesRenderedDigitsAndReadsThem)
{
    if (!englishDataPresent())
        GTEST_SKIP() << "Tesseract's English data is not installed";
    const QString path = renderScreen({QStringLiteral("DC V"), QStringLiteral("4.552 V"), QStringLiteral("MAX 4.610 V")},
                                      QStringLiteral("screen.png"));
    QString error;
    const auto text = AnalyzeService::recognizeText(path, &error);
    ASSERT_TRUE(text) << error.toStdString();
    const QStringList lines = text->split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 3) << text->toStdString();
    for (const QString& line : lines)
        EXPECT_FALSE(line.trimmed().isEmpty());
    EXPECT_TRUE(lines.at(1).contains(QStringLiteral("4.552"))) << text->toStdString();

    const auto outcome = AnalyzeService::analyze(path);
    ASSERT_TRUE(outcome.ok()) << outcome.errorText.toStdString();
    EXPECT_EQ(outcome.reading->mode, QStringLiteral("DC Voltage"));
    EXPECT_EQ(outcome.reading->value, 4.552);
    EXPECT_EQ(outcome.reading->unit, QStringLiteral("V"));
    EXPECT_EQ(outcome.reading->maxValue, 4.61);
    EXPECT_FALSE(outcome.reading->minValue);
}

TEST(AnalyzeService, BlankImageStillReachesTheModelAndUnavailabilityIsReported)
{
    if (!englishDataPresent())
        GTEST_SKIP() << "Tesseract's English data is not installed";
    const QString blank = renderScreen({}, QStringLiteral("blank.png"));
    QString error;
    const auto text = AnalyzeService::recognizeText(blank, &error);
    ASSERT_TRUE(text) << error.toStdString();
    EXPECT_TRUE(text->isEmpty());
    // No reading on the screen: the model's answer lacks a value, which fails the conversion.
    const auto outcome = AnalyzeService::analyze(blank);
    EXPECT_FALSE(outcome.ok());
    EXPECT_FALSE(outcome.errorText.isEmpty());

    ModelSwitch off(QStringLiteral("the feature is turned off"));
    EXPECT_EQ(AnalyzeService::analyze(blank).errorText,
              QStringLiteral("On-device model unavailable: the feature is turned off"));
}

TEST(AnalyzeService, BackgroundAnalysisAnswersOnTheReceiversThread)
{
    QObject receiver;
    std::optional<AnalyzeService::Outcome> got;
    Qt::HANDLE answeredOn = nullptr;
    AnalyzeService::analyzeInBackground(QDir(corvallen::test::freshFolder()).filePath(QStringLiteral("none.png")), &receiver,
                                        [&](const AnalyzeService::Outcome& o) {
                                            got = o;
                                            answeredOn = QThread::currentThreadId();
                                        });
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return got.has_value(); }));
    EXPECT_EQ(answeredOn, QThread::currentThreadId());
    EXPECT_EQ(got->errorText, QStringLiteral("Couldn't load the image."));
}
