#include "Corvallen/Projects/ShoppingList.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Platform/AppPaths.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <limits>

namespace ShoppingList {

Item item(const Component& component)
{
    return {component.name(), component.partNumber().value_or(QString()), component.manufacturer().value_or(QString()),
            component.qty()};
}

namespace {
const Component* shortComponent(const ProjectComponent* line)
{
    const Component* c = line && !line->isDeleted() ? line->component() : nullptr;
    return c && !c->isDeleted() && c->qty() < 0 ? c : nullptr;
}
}  // namespace

bool hasShortPart(const QList<ProjectComponent*>& lines)
{
    return std::any_of(lines.begin(), lines.end(), [](const ProjectComponent* line) { return shortComponent(line) != nullptr; });
}

QList<Item> shortItems(const QList<ProjectComponent*>& lines)
{
    // Each row buys a component's whole shortfall, so a component that a project holds on two
    // lines (the parts-list operations never make two, but a restored store may hold them) is
    // listed once, not bought twice.
    QList<Item> out;
    QSet<const Component*> listed;
    for (const ProjectComponent* line : lines) {
        const Component* c = shortComponent(line);
        if (c && !listed.contains(c)) {
            listed.insert(c);
            out.append(item(*c));
        }
    }
    return out;
}

QString escapeField(const QString& text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    QString inner = text;
    if (!inner.isEmpty() && formulaStarts.contains(inner.front()))
        inner.prepend(u'\'');
    if (!inner.contains(u',') && !inner.contains(u'"') && !inner.contains(u'\n') && !inner.contains(u'\r'))
        return inner;
    inner.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + inner + u'"';
}

QByteArray csv(const QList<Item>& shortOnes)
{
    QByteArray out(header);
    for (const Item& item : shortOnes) {
        const qint64 inStock = item.inStock;
        // The negation of the most negative 64-bit number does not exist; buy the largest one.
        const qint64 needed = inStock == std::numeric_limits<qint64>::min() ? std::numeric_limits<qint64>::max() : -inStock;
        out += (escapeField(item.name) + u',' + escapeField(item.partNumber) + u',' + escapeField(item.manufacturer) + u','
                + QString::number(needed) + u',' + QString::number(inStock) + u'\n')
                   .toUtf8();
    }
    return out;
}

QString proposedFileName(const Project* project)
{
    return AppPaths::safeFileName(project ? project->name() : QString(), QStringLiteral("Project"))
           + QStringLiteral(" — shopping list.csv");
}

QString write(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString().isEmpty()
                   ? QCoreApplication::translate("ShoppingList", "The file could not be written.")
                   : file.errorString();
    return {};
}

}  // namespace ShoppingList
