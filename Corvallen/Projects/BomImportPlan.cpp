#include "Corvallen/Projects/BomImportPlan.h"

#include "Corvallen/Projects/BomImportApplier.h"
#include "Corvallen/Projects/ProjectTexts.h"

#include <QCoreApplication>

#include <limits>

namespace BomImportPlan {

qsizetype newToInventoryCount(const BomImport::MatchList& matches)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < matches.size(); ++i) {
        if (!matches.existing(i))
            ++n;
    }
    return n;
}

QString summaryText(const BomImport::MatchList& matches)
{
    qint64 items = 0;
    for (qsizetype i = 0; i < matches.size(); ++i) {
        if (__builtin_add_overflow(items, matches.quantity(i), &items))
            items = std::numeric_limits<qint64>::max();
    }
    QString text = ProjectTexts::counted(matches.size(), QStringLiteral("part")) + QStringLiteral(" · ")
                   + ProjectTexts::counted(items, QStringLiteral("item"));
    if (const qsizetype k = newToInventoryCount(matches); k > 0)
        text += QStringLiteral(" · ") + QString::number(k) + QStringLiteral(" new to inventory");
    text += QStringLiteral(". Importing allocates stock — parts you're short on show as Out.");
    // Lines of the file that are not taken are said, so that nobody counts them missing.
    const BomImport::LeftOut& left = matches.leftOut;
    if (left.any()) {
        QStringList parts;
        if (left.notFitted > 0)
            parts << ProjectTexts::counted(left.notFitted, QStringLiteral("line")) + QStringLiteral(" marked not fitted");
        if (left.summaries > 0)
            parts << ProjectTexts::counted(left.summaries, QStringLiteral("total line"));
        text += QStringLiteral(" Left out: ") + parts.join(QStringLiteral(", ")) + QStringLiteral(".");
    }
    return text;
}

QString importButtonTitle(const BomImport::MatchList& matches)
{
    const qsizetype p = matches.size();
    return p == 1 ? QCoreApplication::translate("BomImportSheet", "Import %1 part").arg(p)
                  : QCoreApplication::translate("BomImportSheet", "Import %1 parts").arg(p);
}

QString detailText(const BomImport::Match& match)
{
    QStringList parts;
    if (match.partNumber && !match.partNumber->isEmpty())
        parts << *match.partNumber;
    if (match.manufacturer && !match.manufacturer->isEmpty())
        parts << *match.manufacturer;
    return parts.join(QStringLiteral(" · "));
}

void apply(const BomImport::MatchList& matches, Project* project, ModelContext& context)
{
    BomImportApplier(matches, project, context).runToEnd();
}

}  // namespace BomImportPlan
