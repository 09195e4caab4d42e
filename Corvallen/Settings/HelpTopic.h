#pragma once

#include <QList>
#include <QString>

#include <optional>

// One built-in help article. The texts ship inside the application as Markdown resources
// (":/help/<id>.md").
struct HelpTopic {
    QString id;
    QString title;
    QString icon;  // symbol name shown in the list
    QString body;  // Markdown

    // The ten topics, in list order; read once per run.
    static const QList<HelpTopic>& all();
    // The first topic with that id.
    static std::optional<HelpTopic> find(const QString& id);
    // The topic the Help window opens on.
    static QString firstTopicId() { return QStringLiteral("getting-started"); }

    friend bool operator==(const HelpTopic&, const HelpTopic&) = default;
};
