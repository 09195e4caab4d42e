#pragma once

#include "Corvallen/Store/PersistentModel.h"

class Capture;
class Document;
class ProjectDocument;
class ProjectComponent;

// One job on the bench: name, description, notes, labour settings and quote style, with its
// filed captures, attached documents and parts list.
class Project : public PersistentModel {
public:
    enum Attribute { Name, Details, Notes, CreatedAt, LabourHours, LabourRate, LabourFlat, QuoteCombined };
    enum ToMany { Captures, Documents, Attachments, Parts };

    static const EntityDescriptor& descriptor();
    const EntityDescriptor& entity() const override { return descriptor(); }

    Project(const QString& name, const QString& details, const QString& notes);
    Project();

    QString name() const { return text(Name); }
    void setName(const QString& v) { setAttributeValue(Name, v); }
    QString details() const { return text(Details); }
    void setDetails(const QString& v) { setAttributeValue(Details, v); }
    QString notes() const { return text(Notes); }
    void setNotes(const QString& v) { setAttributeValue(Notes, v); }
    QDateTime createdAt() const { return date(CreatedAt); }
    void setCreatedAt(const QDateTime& v) { setAttributeValue(CreatedAt, v); }
    std::optional<double> labourHours() const { return optReal(LabourHours); }
    void setLabourHours(std::optional<double> v) { setOptReal(LabourHours, v); }
    std::optional<double> labourRate() const { return optReal(LabourRate); }
    void setLabourRate(std::optional<double> v) { setOptReal(LabourRate, v); }
    std::optional<double> labourFlat() const { return optReal(LabourFlat); }
    void setLabourFlat(std::optional<double> v) { setOptReal(LabourFlat, v); }
    bool quoteCombined() const { return boolean(QuoteCombined); }
    void setQuoteCombined(bool v) { setAttributeValue(QuoteCombined, v); }

    QList<Capture*> captures() const;
    // How many captures are filed here, without reading them.
    qsizetype captureCount() const { return toManyCount(Captures); }
    QList<Document*> documents() const;
    QList<ProjectDocument*> attachments() const;
    QList<ProjectComponent*> parts() const;

    // A present flat amount wins; otherwise hours times rate, absent values counting as 0.
    double labourTotal() const;
    // Sum of quantity times the component's resale / purchase price (absent counts as 0).
    double partsResellTotal() const;
    double partsCostTotal() const;
};
