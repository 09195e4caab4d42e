#include "Corvallen/Settings/HelpTopic.h"

#include <QCoreApplication>
#include <QFile>

namespace {

QString resourceText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

HelpTopic topic(const char* id, const char* title, const char* icon)
{
    const QString key = QString::fromLatin1(id);
    return {key, QCoreApplication::translate("HelpTopic", title), QString::fromLatin1(icon),
            resourceText(QStringLiteral(":/help/") + key + QStringLiteral(".md"))};
}

}  // namespace

const QList<HelpTopic>& HelpTopic::all()
{
    static const QList<HelpTopic> topics{
        topic("getting-started", "Getting Started", "sparkles"),
        topic("devices", "Sync Locations & Devices", "externaldrive"),
        topic("captures", "Captures & Library", "photo.on.rectangle"),
        topic("inventory", "Inventory", "shippingbox"),
        topic("organizing", "Organizing Inventory", "slider.horizontal.3"),
        topic("projects", "Projects", "folder"),
        topic("files", "Files & Markup", "pencil.and.outline"),
        topic("exports", "Branded Exports & Quotes", "doc.richtext"),
        topic("ai", "AI Features", "brain"),
        topic("backup", "Backup & Restore", "arrow.clockwise.circle"),
    };
    return topics;
}

std::optional<HelpTopic> HelpTopic::find(const QString& id)
{
    for (const HelpTopic& t : all()) {
        if (t.id == id)
            return t;
    }
    return std::nullopt;
}
