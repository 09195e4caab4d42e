#include "Corvallen/Inventory/ComboSuggestions.h"

#include "Corvallen/Model/TextTrim.h"

namespace ComboSuggestions {

QStringList suggestions(const QString& text, const QStringList& options, bool focused)
{
    const QString q = trimHorizontalSpace(text).toLower();
    if (!focused || q.isEmpty())
        return {};
    QStringList prefix;
    QStringList inner;
    for (const QString& option : options) {
        const QString lower = option.toLower();
        if (lower.startsWith(q))
            prefix << option;
        else if (lower.contains(q))
            inner << option;
    }
    QStringList candidates = prefix + inner;
    if (candidates.size() == 1 && candidates.first().toLower() == q)
        return {};
    if (candidates.size() > maxSuggestions)
        candidates = candidates.mid(0, maxSuggestions);
    return candidates;
}

}  // namespace ComboSuggestions
