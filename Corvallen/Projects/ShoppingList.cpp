#include "Corvallen/Projects/ShoppingList.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Platform/AppPaths.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <limits>

namespace ShoppingList {

QList<Component*> shortComponents(const QList<ProjectComponent*>& lines)
{
    QList<Component*> out;
    for (const ProjectComponent* line : lines) {
        Component* c = line ? line->component() : nullptr;
        if (c && !c->isDeleted() && c->qty() < 0)
            out.append(c);
    }
    return out;
}

QString escapeField(const QString& text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString inner = text;
    inner.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + inner + u'"';
}

QByteArray csv(const QList<Component*>& shortOnes)
{
    QString text = QString::fromLatin1(header);
    for (const Component* c : shortOnes) {
        const qint64 inStock = c->qty();
        // The negation of the most negative 64-bit number does not exist; buy the largest one.
        const qint64 needed = inStock == std::numeric_limits<qint64>::min() ? std::numeric_limits<qint64>::max() : -inStock;
        text += escapeField(c->name()) + u',' + escapeField(c->partNumber().value_or(QString())) + u','
                + escapeField(c->manufacturer().value_or(QString())) + u',' + QString::number(needed) + u','
                + QString::number(inStock) + u'\n';
    }
    return text.toUtf8();
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
