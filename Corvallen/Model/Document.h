#pragma once

#include "Corvallen/Store/PersistentModel.h"

#include <QStringList>

class Project;
class ProjectDocument;

// The kind of a reference document.
enum class DocType { schematic, serviceManual, datasheet, pinout, reference, other };

namespace DocTypes {
QList<DocType> allCases();
QString rawValue(DocType t);
std::optional<DocType> fromRawValue(const QString& raw);  // exact, case-sensitive
QString label(DocType t);
}  // namespace DocTypes

// How a stored document file is shown, thumbnailed and opened.
enum class DocumentFileKind { pdf, image, other };
DocumentFileKind documentKind(const QString& fileName);

// One reference file of the documents library.
class Document : public PersistentModel {
public:
    enum Attribute { FileName, Title, TypeRaw, Notes, Tags, SourceURL, AddedAt, LibraryMarkupFileName };
    enum ToOne { ProjectLink };
    enum ToMany { Attachments };

    static const EntityDescriptor& descriptor();
    const EntityDescriptor& entity() const override { return descriptor(); }

    Document(const QString& fileName, const QString& title);
    Document();

    QString fileName() const { return text(FileName); }
    void setFileName(const QString& v) { setAttributeValue(FileName, v); }
    QString title() const { return text(Title); }
    void setTitle(const QString& v) { setAttributeValue(Title, v); }
    QString typeRaw() const { return text(TypeRaw); }
    void setTypeRaw(const QString& v) { setAttributeValue(TypeRaw, v); }
    QString notes() const { return text(Notes); }
    void setNotes(const QString& v) { setAttributeValue(Notes, v); }
    std::optional<QString> tags() const { return optText(Tags); }
    void setTags(const std::optional<QString>& v) { setOptText(Tags, v); }
    std::optional<QString> sourceURL() const { return optText(SourceURL); }
    void setSourceURL(const std::optional<QString>& v) { setOptText(SourceURL, v); }
    QDateTime addedAt() const { return date(AddedAt); }
    void setAddedAt(const QDateTime& v) { setAttributeValue(AddedAt, v); }
    std::optional<QString> libraryMarkupFileName() const { return optText(LibraryMarkupFileName); }
    void setLibraryMarkupFileName(const std::optional<QString>& v) { setOptText(LibraryMarkupFileName, v); }

    // The older single project link; only the attachment migration reads it.
    Project* project() const;
    void setProject(Project* p);
    QList<ProjectDocument*> attachments() const;

    // Unknown raw values read as other.
    DocType type() const;
    void setType(DocType t);
    QStringList tagList() const;
    // Projects of the attachments in order, duplicates kept, links without a project skipped.
    QList<Project*> linkedProjects() const;
    // The library markup name, made (a fresh UUID plus ".markup.pdf") and stored on first need.
    QString ensureLibraryMarkupFileName();
};
