#pragma once

#include "Corvallen/Platform/OnDeviceLanguageModel.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>
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

// What a screen reading gives: the words with their places and sizes (the on-device model's
// input for a screen).
using ScreenWord = OnDeviceLanguageModel::ScreenWord;
using ScreenText = OnDeviceLanguageModel::ScreenText;

// Reads an instrument screenshot the way the screen is laid out: the glyphs are found and grouped
// by size and line first, each group is enlarged or reduced to a size the recogniser reads well
// and read on its own, and seven-segment digits are decoded from their segments. Each worker
// thread keeps one recogniser for its lifetime. Nothing, with `error` set, when the recogniser
// can't start.
std::optional<ScreenText> recognizeScreen(const QImage& image, QString* error = nullptr);

// The size a capture of `size` is read at: whole, at half size above three million pixels (a
// high-density display's screenshot), and a photo whose half would still be much larger at about
// three million pixels.
QSize readingSize(const QSize& size);

// A capture's image from its file, for recognizeScreen: a JPEG read at a fraction of its size, and
// any capture read at less than half, is decoded at that size. A null image when the file can't
// be read.
QImage loadCapture(const QString& path);

}  // namespace TextRecognizer
