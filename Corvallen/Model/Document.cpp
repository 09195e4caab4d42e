#include "Corvallen/Model/Document.h"

#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/TagList.h"
#include "Corvallen/Model/UuidText.h"

#include <QCoreApplication>

namespace DocTypes {

QList<DocType> allCases()
{
    return {DocType::schematic, DocType::serviceManual, DocType::datasheet, DocType::pinout, DocType::reference, DocType::other};
}

QString rawValue(DocType t)
{
    switch (t) {
    case DocType::schematic: return QStringLiteral("schematic");
    case DocType::serviceManual: return QStringLiteral("serviceManual");
    case DocType::datasheet: return QStringLiteral("datasheet");
    case DocType::pinout: return QStringLiteral("pinout");
    case DocType::reference: return QStringLiteral("reference");
    case DocType::other: return QStringLiteral("other");
    }
    return {};
}

std::optional<DocType> fromRawValue(const QString& raw)
{
    for (DocType t : allCases())
        if (rawValue(t) == raw)
            return t;
    return std::nullopt;
}

QString label(DocType t)
{
    switch (t) {
    case DocType::schematic: return QCoreApplication::translate("DocType", "Schematic");
    case DocType::serviceManual: return QCoreApplication::translate("DocType", "Service manual");
    case DocType::datasheet: return QCoreApplication::translate("DocType", "Datasheet");
    case DocType::pinout: return QCoreApplication::translate("DocType", "Pinout");
    case DocType::reference: return QCoreApplication::translate("DocType", "Reference");
    case DocType::other: return QCoreApplication::translate("DocType", "Other");
    }
    return {};
}

}  // namespace DocTypes

DocumentFileKind documentKind(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString ext = dot < 0 ? QString() : fileName.mid(dot + 1).toLower();
    if (ext == QLatin1String("pdf"))
        return DocumentFileKind::pdf;
    static const QStringList images{QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("gif"),
                                    QStringLiteral("webp"), QStringLiteral("heic"), QStringLiteral("heif"), QStringLiteral("tiff"),
                                    QStringLiteral("tif"), QStringLiteral("bmp")};
    if (images.contains(ext))
        return DocumentFileKind::image;
    return DocumentFileKind::other;
}

const EntityDescriptor& Document::descriptor()
{
    static const EntityDescriptor d = [] {
        EntityDescriptor e;
        e.name = QStringLiteral("Document");
        using T = AttributeType;
        e.attributes = {
            {QStringLiteral("fileName"), T::Text},
            {QStringLiteral("title"), T::Text},
            {QStringLiteral("typeRaw"), T::Text},
            {QStringLiteral("notes"), T::Text},
            {QStringLiteral("tags"), T::Text, true},
            {QStringLiteral("sourceURL"), T::Text, true},
            {QStringLiteral("addedAt"), T::Date},
            {QStringLiteral("libraryMarkupFileName"), T::Text, true},
        };
        e.toOne = {{QStringLiteral("project"), QStringLiteral("Project"), QStringLiteral("documents")}};
        e.toMany = {{QStringLiteral("attachments"), QStringLiteral("ProjectDocument"), QStringLiteral("document"), DeleteRule::Cascade}};
        e.make = [] { return new Document; };
        return e;
    }();
    return d;
}

Document::Document() : PersistentModel(descriptor()) {}

Document::Document(const QString& fileName, const QString& title) : PersistentModel(descriptor())
{
    setAttributeValue(FileName, fileName);
    setAttributeValue(Title, title);
    setAttributeValue(TypeRaw, QStringLiteral("reference"));
    setAttributeValue(Notes, QString(QLatin1String("")));
    setAttributeValue(AddedAt, QDateTime::currentDateTimeUtc());
}

Project* Document::project() const { return toOne<Project>(ProjectLink); }
void Document::setProject(Project* p) { setToOneValue(ProjectLink, p); }
QList<ProjectDocument*> Document::attachments() const { return toMany<ProjectDocument>(Attachments); }

DocType Document::type() const { return DocTypes::fromRawValue(typeRaw()).value_or(DocType::other); }
void Document::setType(DocType t) { setTypeRaw(DocTypes::rawValue(t)); }
QStringList Document::tagList() const { return tagListFromText(tags()); }

QList<Project*> Document::linkedProjects() const
{
    QList<Project*> out;
    for (const ProjectDocument* link : attachments())
        if (Project* p = link->project())
            out << p;
    return out;
}

QString Document::ensureLibraryMarkupFileName()
{
    if (const auto name = libraryMarkupFileName())
        return *name;
    const QString name = newUuidText() + QStringLiteral(".markup.pdf");
    setLibraryMarkupFileName(name);
    return name;
}
