#include "Corvallen/Backup/RestoreSummary.h"

#include <QStringList>

QString RestoreSummary::description() const
{
    QStringList phrases;
    // The nouns stay plural for every count: the line is a tally, not a sentence about one item.
    auto add = [&](int count, const char* noun) {
        if (count >= 1)
            phrases << QString::number(count) + QLatin1Char(' ') + QLatin1String(noun);
    };
    add(projects, "projects");
    add(components, "components");
    add(captures, "captures");
    add(files, "files");
    if (settings)
        phrases << QStringLiteral("settings");
    QString text = phrases.isEmpty() ? QStringLiteral("Nothing restored.")
                                     : QStringLiteral("Restored ") + phrases.join(QStringLiteral(", ")) + QLatin1Char('.');
    if (skippedLinks >= 1)
        text += QStringLiteral(" %1 link(s) skipped (target data not included).").arg(skippedLinks);
    return text;
}
