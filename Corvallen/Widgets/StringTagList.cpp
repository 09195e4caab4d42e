#include "Corvallen/Widgets/StringTagList.h"

#include "Corvallen/Model/TagList.h"

namespace StringTagList {

QStringList tags(const QString& raw) { return tagListFromText(raw); }

std::optional<QString> adding(const QString& raw, const QString& input)
{
    QStringList list = tags(raw);
    bool added = false;
    for (const QString& tag : tags(input)) {
        if (!list.contains(tag)) {
            list.append(tag);
            added = true;
        }
    }
    if (!added)
        return std::nullopt;
    list.removeDuplicates();
    return list.join(QLatin1Char(','));
}

QString removing(const QString& raw, const QString& tag)
{
    QStringList list = tags(raw);
    list.removeAll(tag);
    return list.join(QLatin1Char(','));
}

bool canAdd(const QString& input) { return !tags(input).isEmpty(); }

}  // namespace StringTagList
