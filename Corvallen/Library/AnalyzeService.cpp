#include "Corvallen/Library/AnalyzeService.h"

#include "Corvallen/Library/Reading/GlyphClassifier.h"
#include "Corvallen/Library/Reading/TextRecognizer.h"

#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Sync/DeviceStorage.h"

#include <QDir>
#include <QImage>
#include <QFutureWatcher>
#include <QObject>
#include <QtConcurrent/QtConcurrentRun>

namespace AnalyzeService {

QString AnalyzeError::errorDescription() const
{
    switch (m_kind) {
    case Kind::aiUnavailable:
        return QStringLiteral("On-device model unavailable: ") + m_reason;
    case Kind::loadFailed:
        return QStringLiteral("Couldn't load the image.");
    }
    return {};
}

QString instructions()
{
    return QStringLiteral(
        "You extract a measurement from OCR text scraped off a FNIRSI 2D15P benchtop multimeter / oscilloscope screenshot. "
        "The OCR text may be noisy or out of order. Fill the fields from what you can read; keep the summary to one short "
        "sentence.");
}

QString promptFor(const QString& recognisedText)
{
    return QStringLiteral("OCR text from the capture:\n\n") + recognisedText;
}

namespace {

std::optional<TextRecognizer::ScreenText> recognizeScreen(const QString& imagePath, QString* error)
{
    const QImage image = TextRecognizer::loadCapture(imagePath);
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        if (error)
            *error = AnalyzeError::loadFailed().errorDescription();
        return std::nullopt;
    }
    return TextRecognizer::recognizeScreen(image, error);
}

}  // namespace

std::optional<QString> recognizeText(const QString& imagePath, QString* error)
{
    const auto screen = recognizeScreen(imagePath, error);
    if (!screen)
        return std::nullopt;
    return screen->lines().join(QLatin1Char('\n'));
}

Outcome analyze(const QString& imagePath)
{
    Outcome out;
    QString error;
    std::optional<TextRecognizer::ScreenText> screen = recognizeScreen(imagePath, &error);
    if (!screen) {
        out.errorText = error;
        return out;
    }
    const auto availability = OnDeviceLanguageModel::availability();
    if (!availability.available) {
        out.errorText = AnalyzeError::aiUnavailable(availability.unavailableReason).errorDescription();
        return out;
    }
    const QString text = screen->lines().join(QLatin1Char('\n'));
    OnDeviceLanguageModel::Session session(instructions());
    session.attachScreen(std::move(*screen));
    const auto content = session.respond(promptFor(text), CaptureReading::generationSchema(), true,
                                         OnDeviceLanguageModel::GenerationOptions{}, &error);
    if (!content) {
        out.errorText = error;
        return out;
    }
    out.reading = CaptureReading::fromGeneratedContent(*content, &error);
    if (!out.reading)
        out.errorText = error;
    return out;
}

void analyzeInBackground(const QString& imagePath, QObject* receiver, std::function<void(const Outcome&)> done)
{
    // The watcher belongs to the receiver: when the receiver goes, the answer is simply dropped.
    auto* watcher = new QFutureWatcher<Outcome>(receiver);
    QObject::connect(watcher, &QFutureWatcher<Outcome>::finished, watcher, [watcher, done = std::move(done)]() {
        const Outcome outcome = watcher->result();
        watcher->deleteLater();
        if (done)
            done(outcome);
    });
    watcher->setFuture(QtConcurrent::run([imagePath]() { return analyze(imagePath); }));
}

void prepareInBackground()
{
    (void)QtConcurrent::run([] { GlyphClassifier::prepareEveryHeight(); });
}

QString imagePathFor(const QString& captureFileName)
{
    // Only a plain name points into the captures folder; anything else loads nothing.
    if (!AppPaths::isPlainFileName(captureFileName))
        return {};
    return QDir(DeviceStorage::capturesFolder()).filePath(captureFileName);
}

}  // namespace AnalyzeService
