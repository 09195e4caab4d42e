#pragma once

#include "Corvallen/Store/PersistentModel.h"

class Project;
class Tag;

// One imported screenshot of the bench instrument: its image file in the captures folder plus
// the title, notes, reading, project and tags the user gives it.
class Capture : public PersistentModel {
public:
    enum Attribute { FileName, Title, Notes, ImportedAt, Mode, Value, Unit, MinValue, MaxValue, Summary };
    enum ToOne { ProjectLink };
    enum ToMany { Tags };

    static const EntityDescriptor& descriptor();
    const EntityDescriptor& entity() const override { return descriptor(); }

    // A new capture for a file of the captures folder; its title is "unnamed_" plus the file
    // name without its last extension. Not inserted.
    explicit Capture(const QString& fileName);
    // A blank record for the store to fill.
    Capture();

    // The title a new capture takes for a file name.
    static QString defaultTitle(const QString& fileName);

    QString fileName() const { return text(FileName); }
    void setFileName(const QString& v) { setAttributeValue(FileName, v); }
    QString title() const { return text(Title); }
    void setTitle(const QString& v) { setAttributeValue(Title, v); }
    QString notes() const { return text(Notes); }
    void setNotes(const QString& v) { setAttributeValue(Notes, v); }
    QDateTime importedAt() const { return date(ImportedAt); }
    void setImportedAt(const QDateTime& v) { setAttributeValue(ImportedAt, v); }
    std::optional<QString> mode() const { return optText(Mode); }
    void setMode(const std::optional<QString>& v) { setOptText(Mode, v); }
    std::optional<double> value() const { return optReal(Value); }
    void setValue(std::optional<double> v) { setOptReal(Value, v); }
    std::optional<QString> unit() const { return optText(Unit); }
    void setUnit(const std::optional<QString>& v) { setOptText(Unit, v); }
    std::optional<double> minValue() const { return optReal(MinValue); }
    void setMinValue(std::optional<double> v) { setOptReal(MinValue, v); }
    std::optional<double> maxValue() const { return optReal(MaxValue); }
    void setMaxValue(std::optional<double> v) { setOptReal(MaxValue, v); }
    std::optional<QString> summary() const { return optText(Summary); }
    void setSummary(const std::optional<QString>& v) { setOptText(Summary, v); }

    Project* project() const;
    void setProject(Project* p);
    QList<Tag*> tags() const;
    void addTag(Tag* t);
    void removeTag(Tag* t);
    void setTags(const QList<Tag*>& tags);
};
