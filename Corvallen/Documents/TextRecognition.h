#pragma once

#include <QImage>
#include <QString>

// Reads the text in an image with Tesseract (English), lines joined by line feeds. Empty when
// nothing was read or the engine is not available. Safe to call off the main thread.
namespace TextRecognition {
QString recognize(const QImage& image);
}
