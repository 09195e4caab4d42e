#include "Corvallen/Model/Capture.h"

#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/Tag.h"

const EntityDescriptor& Capture::descriptor()
{
    static const EntityDescriptor d = [] {
        EntityDescriptor e;
        e.name = QStringLiteral("Capture");
        using T = AttributeType;
        e.attributes = {
            {QStringLiteral("fileName"), T::Text, false, true},
            {QStringLiteral("title"), T::Text},
            {QStringLiteral("notes"), T::Text},
            {QStringLiteral("importedAt"), T::Date},
            {QStringLiteral("mode"), T::Text, true},
            {QStringLiteral("value"), T::Double, true},
            {QStringLiteral("unit"), T::Text, true},
            {QStringLiteral("minValue"), T::Double, true},
            {QStringLiteral("maxValue"), T::Double, true},
            {QStringLiteral("summary"), T::Text, true},
        };
        e.toOne = {{QStringLiteral("project"), QStringLiteral("Project"), QStringLiteral("captures")}};
        e.toMany = {{QStringLiteral("tags"), QStringLiteral("Tag"), QStringLiteral("captures"), DeleteRule::Nullify, true, true}};
        // The dashboard's newest captures.
        e.indexes = {{QStringLiteral("importedAt")}};
        e.make = [] { return new Capture; };
        return e;
    }();
    return d;
}

Capture::Capture() : PersistentModel(descriptor()) {}

Capture::Capture(const QString& fileName) : PersistentModel(descriptor())
{
    setAttributeValue(FileName, fileName);
    setAttributeValue(Title, defaultTitle(fileName));
    setAttributeValue(Notes, QString(QLatin1String("")));
    setAttributeValue(ImportedAt, QDateTime::currentDateTimeUtc());
}

QString Capture::defaultTitle(const QString& fileName)
{
    // Path-extension removal: the last "." and what follows go; a leading dot alone (a hidden
    // file's name) is not an extension.
    QString base = fileName;
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        base.truncate(dot);
    return QStringLiteral("unnamed_") + base;
}

Project* Capture::project() const { return toOne<Project>(ProjectLink); }
void Capture::setProject(Project* p) { setToOneValue(ProjectLink, p); }
QList<Tag*> Capture::tags() const { return toMany<Tag>(Tags); }
void Capture::addTag(Tag* t) { addToMany(Tags, t); }
void Capture::removeTag(Tag* t) { removeFromMany(Tags, t); }
void Capture::setTags(const QList<Tag*>& tags) { setToMany(Tags, QList<PersistentModel*>(tags.begin(), tags.end())); }
