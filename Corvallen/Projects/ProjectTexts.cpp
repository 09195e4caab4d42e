#include "Corvallen/Projects/ProjectTexts.h"

#include "Corvallen/Exports/MoneyFormatter.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Platform/IcuLocale.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <limits>

namespace ProjectTexts {

namespace {

const QString kDot = QStringLiteral(" · ");

}  // namespace

QString counted(qint64 n, const QString& noun)
{
    return QString::number(n) + u' ' + noun + (n == 1 ? QString() : QStringLiteral("s"));
}

QString displayName(const Project* project)
{
    if (project && !project->name().trimmed().isEmpty())
        return project->name();
    return QCoreApplication::translate("ProjectWorkspaceView", "Untitled Project");
}

bool clearBlankName(Project* project)
{
    if (!project || project->isDeleted() || project->name().isEmpty() || !project->name().trimmed().isEmpty())
        return false;
    project->setName(QString());
    return true;
}

QString partsSummary(const QList<ProjectComponent*>& lines)
{
    qint64 items = 0;
    for (const ProjectComponent* line : lines) {
        if (__builtin_add_overflow(items, line->quantity(), &items))
            items = std::numeric_limits<qint64>::max();
    }
    return partsSummary(lines.size(), items);
}

QString partsSummary(qsizetype parts, qint64 items)
{
    return counted(parts, QStringLiteral("part")) + kDot + counted(items, QStringLiteral("item"));
}

QString detailLine(const Component* component)
{
    if (!component)
        return {};
    QStringList place;
    if (const auto l = component->location())
        place << *l;
    if (const auto b = component->bin())
        place << *b;
    QStringList parts;
    if (const auto c = component->category())
        parts << *c;
    if (const auto m = component->manufacturer())
        parts << *m;
    parts << place.join(kDot);
    parts.removeAll(QString());
    return parts.join(QStringLiteral(" — "));
}

QString stockText(const Component* component)
{
    if (!component)
        return {};
    return QString::number(component->qty()) + u' ' + component->unit() + QStringLiteral(" in stock");
}

QString projectCaption(const Project* project)
{
    const QString label = project && !project->name().trimmed().isEmpty() ? project->name() : QStringLiteral("project");
    return QStringLiteral("to ") + label;
}

QString exportFileName(const Project* project, const QString& suffix)
{
    // The project's name as typed, made safe for a file name.
    return AppPaths::safeFileName(project ? project->name() : QString(), QStringLiteral("Project")) + suffix;
}

QString abbreviatedDate(const QDate& date, const QLocale& locale)
{
    return IcuLocale::dateText(date, locale, IcuLocale::DateStyle::abbreviated);
}

QString marginLine(const Project* project, const QString& currencyCode, const QLocale& locale)
{
    const double cost = project ? project->partsCostTotal() : 0;
    const double resell = project ? project->partsResellTotal() : 0;
    const double labour = project ? project->labourTotal() : 0;
    const MoneyFormatter money(currencyCode, locale);
    return QStringLiteral("Parts cost ") + money.format(cost) + QStringLiteral(" · resell ") + money.format(resell) + kDot
           + QStringLiteral("margin ") + money.format(resell - cost) + QStringLiteral(" · labour ") + money.format(labour);
}

}  // namespace ProjectTexts
