#include "Corvallen/Backup/RestoreSummary.h"

#include "Corvallen/Platform/CountedText.h"

#include <QStringList>

QString RestoreSummary::description() const
{
    QStringList phrases;
    // "1 project", "2 projects": each count with its noun in the form the count takes.
    auto add = [&](int count, const char* one, const char* many) {
        if (count >= 1)
            phrases << countedText("RestoreSummary", one, many, count);
    };
    add(projects, "%n project", "%n projects");
    add(components, "%n component", "%n components");
    add(captures, "%n capture", "%n captures");
    add(files, "%n file", "%n files");
    if (settings)
        phrases << QStringLiteral("settings");
    QString text = phrases.isEmpty() ? QStringLiteral("Nothing restored.")
                                     : QStringLiteral("Restored ") + phrases.join(QStringLiteral(", ")) + QLatin1Char('.');
    if (skippedLinks >= 1)
        text += QStringLiteral(" %1 link(s) skipped (target data not included).").arg(skippedLinks);
    return text;
}
