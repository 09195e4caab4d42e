#include "Corvallen/Shell/StringTagList.h"

#include "Corvallen/Model/TagList.h"

namespace StringTagList {

QStringList tags(const QString& raw) { return tagListFromText(raw); }

std::optional<QString> adding(const QString& raw, const QString& input)
{
    const QString tag = trimHorizontalSpace(input).toLower();
    if (tag.isEmpty())
        return std::nullopt;
    QStringList list = tags(raw);
    if (list.contains(tag))
        return std::nullopt;
    list.append(tag);
    return list.join(QLatin1Char(','));
}

QString removing(const QString& raw, const QString& tag)
{
    QStringList list = tags(raw);
    list.removeAll(tag);
    return list.join(QLatin1Char(','));
}

bool canAdd(const QString& input) { return !trimHorizontalSpace(input).isEmpty(); }

}  // namespace StringTagList
