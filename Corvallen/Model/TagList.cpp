#include "Corvallen/Model/TagList.h"

#include "Corvallen/Model/TextTrim.h"

QStringList tagListFromText(const std::optional<QString>& text)
{
    QStringList out;
    if (!text)
        return out;
    for (const QString& piece : text->split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        // QString::toLower applies the locale-independent Unicode lower-case mapping.
        const QString t = trimHorizontalSpace(piece).toLower();
        if (!t.isEmpty())
            out << t;
    }
    return out;
}
