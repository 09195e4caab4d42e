#include "Corvallen/Documents/TextRecognition.h"

#include <tesseract/baseapi.h>

#include <memory>

QString TextRecognition::recognize(const QImage& image)
{
    if (image.isNull())
        return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    tesseract::TessBaseAPI api;
    if (api.Init(nullptr, "eng") != 0)
        return {};
    api.SetImage(rgb.constBits(), rgb.width(), rgb.height(), 3, int(rgb.bytesPerLine()));
    std::unique_ptr<char[]> raw(api.GetUTF8Text());
    api.End();
    if (!raw)
        return {};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(raw.get()).split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (!t.isEmpty())
            lines << t;
    }
    return lines.join(QLatin1Char('\n'));
}
