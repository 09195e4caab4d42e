#include "Corvallen/Projects/BomImportPlan.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Platform/ModelContext.h"
#include "Corvallen/Projects/StockAllocation.h"

#include <QCoreApplication>
#include <QDebug>

#include <limits>

namespace BomImportPlan {

namespace {

QString counted(qint64 n, const QString& noun)
{
    return QString::number(n) + u' ' + noun + (n == 1 ? QString() : QStringLiteral("s"));
}

}  // namespace

qsizetype newToInventoryCount(const QList<BomImport::Match>& matches)
{
    qsizetype n = 0;
    for (const BomImport::Match& m : matches) {
        if (!m.existing)
            ++n;
    }
    return n;
}

QString summaryText(const QList<BomImport::Match>& matches)
{
    qint64 items = 0;
    for (const BomImport::Match& m : matches) {
        if (__builtin_add_overflow(items, m.quantity, &items))
            items = std::numeric_limits<qint64>::max();
    }
    QString text = counted(matches.size(), QStringLiteral("part")) + QStringLiteral(" · ") + counted(items, QStringLiteral("item"));
    if (const qsizetype k = newToInventoryCount(matches); k > 0)
        text += QStringLiteral(" · ") + QString::number(k) + QStringLiteral(" new to inventory");
    return text + QStringLiteral(". Importing allocates stock — parts you're short on show as Out.");
}

QString importButtonTitle(const QList<BomImport::Match>& matches)
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

void apply(const QList<BomImport::Match>& matches, Project* project, ModelContext& context)
{
    if (!project || project->isDeleted())
        return;
    for (const BomImport::Match& m : matches) {
        Component* component = m.existing;
        // A component deleted while the preview was open is gone from the inventory: the part is
        // new again rather than lost.
        if (!component || component->isDeleted()) {
            auto* fresh = new Component(m.name);
            fresh->setPartNumber(m.partNumber);
            fresh->setManufacturer(m.manufacturer);
            fresh->setCategory(m.category);
            component = context.insert(fresh);
        }
        // One save for the whole import: a long bill of materials would otherwise write the store
        // once per line while the window waits, and a failure half-way would keep half of it.
        StockAllocation::setPartUnsaved(component, project, m.quantity, context);
    }
    TaxonomyTerm::seedFromComponents(context);
    QString error;
    if (!context.save(&error))
        qWarning() << "Imported parts kept pending; saving failed:" << error;
}

}  // namespace BomImportPlan
