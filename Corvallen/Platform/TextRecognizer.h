#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

// Text recognition in images, done by Tesseract with its English data. Safe to call off the main
// thread (each call runs its own engine).
namespace TextRecognizer {

enum class Layout {
    // Pages and photos of documents: the engine finds the layout and uses its dictionaries.
    Document,
    // A screenshot of an instrument's screen: small text, scattered readings and symbols that
    // no dictionary knows, so the image is enlarged and read as sparse text without dictionaries.
    InstrumentScreen,
};

// The lines read from the image, trimmed, empty ones dropped (an empty list when there is no
// text). Nothing, with `error` set, when the engine can't start or the recognition fails.
std::optional<QStringList> recognizeLines(const QImage& image, Layout layout, QString* error = nullptr);

}  // namespace TextRecognizer
