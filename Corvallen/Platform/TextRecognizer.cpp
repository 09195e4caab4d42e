#include "Corvallen/Platform/TextRecognizer.h"

#include <tesseract/baseapi.h>

#include <memory>
#include <string>
#include <vector>

namespace TextRecognizer {

std::optional<QStringList> recognizeLines(const QImage& source, Layout layout, QString* error)
{
    if (source.isNull() || source.width() <= 0 || source.height() <= 0)
        return QStringList();
    QImage image = source;
    const bool screen = layout == Layout::InstrumentScreen;
    // The instrument's screen font is small; the recogniser reads it far better enlarged.
    if (screen && image.width() < 1200)
        image = image.scaledToWidth(qMin(1600, image.width() * 3), Qt::SmoothTransformation);
    image = image.convertToFormat(QImage::Format_Grayscale8);

    auto api = std::make_unique<tesseract::TessBaseAPI>();
    std::vector<std::string> names;
    std::vector<std::string> values;
    if (screen) {
        // Read what is on the screen, not what a dictionary prefers.
        names = {"load_system_dawg", "load_freq_dawg"};
        values = {"0", "0"};
    }
    if (api->Init(nullptr, "eng", tesseract::OEM_DEFAULT, nullptr, 0, &names, &values, false) != 0) {
        if (error)
            *error = QStringLiteral("Text recognition couldn't start: the English language data for Tesseract is missing.");
        return std::nullopt;
    }
    api->SetVariable("user_defined_dpi", "300");  // screenshots and pasted images carry no resolution of their own
    if (screen)
        api->SetPageSegMode(tesseract::PSM_SPARSE_TEXT);
    api->SetImage(image.constBits(), image.width(), image.height(), 1, int(image.bytesPerLine()));
    if (api->Recognize(nullptr) != 0) {
        api->End();
        if (error)
            *error = QStringLiteral("Text recognition failed on this image.");
        return std::nullopt;
    }
    QStringList lines;
    std::unique_ptr<tesseract::ResultIterator> it(api->GetIterator());
    if (it) {
        do {
            std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
            if (!text)
                continue;
            const QString line = QString::fromUtf8(text.get()).trimmed();
            if (!line.isEmpty())
                lines.append(line);
        } while (it->Next(tesseract::RIL_TEXTLINE));
    }
    api->End();
    return lines;
}

}  // namespace TextRecognizer
