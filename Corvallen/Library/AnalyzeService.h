#pragma once

#include "Corvallen/Library/CaptureReading.h"

#include <QString>

#include <functional>
#include <optional>

class QObject;

// Turns one capture image into its reading: the text on the screenshot is recognised with its
// layout (where each word stands and how large it is drawn; Tesseract, English, no dictionary
// correction, seven-segment digits decoded from their segments), and the text with that layout
// is handed to the on-device model, which answers with the six reading fields. Keeps no state
// between calls; nothing is cached.
namespace AnalyzeService {

// The analysis's own failures, with the text the user sees.
class AnalyzeError {
public:
    enum class Kind { aiUnavailable, loadFailed };
    static AnalyzeError aiUnavailable(const QString& reason) { return AnalyzeError(Kind::aiUnavailable, reason); }
    static AnalyzeError loadFailed() { return AnalyzeError(Kind::loadFailed, {}); }

    Kind kind() const { return m_kind; }
    // "On-device model unavailable: " + reason, or "Couldn't load the image."
    QString errorDescription() const;

private:
    AnalyzeError(Kind kind, QString reason) : m_kind(kind), m_reason(std::move(reason)) {}
    Kind m_kind;
    QString m_reason;
};

// An analysis's result: the reading, or the description of what went wrong (an AnalyzeError's
// text, the recogniser's or the model's own message).
struct Outcome {
    std::optional<CaptureReading> reading;
    QString errorText;
    bool ok() const { return reading.has_value(); }
};

// What the model is told, and the prompt for a recognised text: the header, two line feeds and
// the text ("OCR text from the capture:\n\n" alone for no text).
QString instructions();
QString promptFor(const QString& recognisedText);

// The lines of text on the image, top to bottom and each left to right, joined by single line
// feeds; lines without any text are left out. Nothing with `error` set when the file is not an image
// (the loadFailed text) or the recogniser cannot run. Blocks; safe on any thread.
std::optional<QString> recognizeText(const QString& imagePath, QString* error);

// Recognition, then the model. Recognition failures end it before the model is asked. Blocks;
// safe on any thread.
Outcome analyze(const QString& imagePath);

// The same on a worker thread; `done` then runs on the thread of `receiver` (the main thread
// for a view) unless `receiver` is gone by then.
void analyzeInBackground(const QString& imagePath, QObject* receiver, std::function<void(const Outcome&)> done);

// Readies on a worker thread what reading any capture needs once per process (the digits small
// print is compared with, drawn in the installed faces at every height they are compared at:
// several seconds of work), so that the first capture analysed after the application starts
// takes no longer than the rest. Returns at once.
void prepareInBackground();

// The image of a capture: the captures folder joined with its file name.
QString imagePathFor(const QString& captureFileName);

}  // namespace AnalyzeService
