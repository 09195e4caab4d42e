#pragma once

#include "Corvallen/Exports/SheetBlock.h"
#include "Corvallen/Exports/SheetProject.h"

#include <QList>

// The project's name, creation date, description and its three counts (parts lines, captures,
// attached files). It opens the project sheet; a description too long for the first page runs
// on over the next ones, each page showing one piece of the overview.
class SheetOverview : public SheetBlock {
public:
    explicit SheetOverview(SheetProjectPtr project);
    // One page's piece: `description` is the part of the description it shows; `opens` puts the
    // name and date above it, `closes` the three counts below it.
    SheetOverview(SheetProjectPtr project, QString description, bool opens, bool closes)
        : m_project(std::move(project)), m_description(std::move(description)), m_opens(opens), m_closes(closes) {}
    SheetLayout layout(double width, QPaintDevice* device) const override;
    QStringList texts() const override;
    const QString& description() const { return m_description; }
    // Where the description's lines end at this width: the places it may be cut between pages.
    QList<qsizetype> descriptionLineEnds(double width, QPaintDevice* device) const;

private:
    SheetProjectPtr m_project;
    QString m_description;
    bool m_opens = true;
    bool m_closes = true;
};

// A slice of the bill of materials: numbered rows of name, manufacturer, line quantity and
// category, under an optional title.
class SheetBOMTable : public SheetBlock {
public:
    SheetBOMTable(QList<SheetPart> rows, int startNumber, bool showTitle)
        : m_rows(std::move(rows)), m_startNumber(startNumber), m_showTitle(showTitle) {}
    SheetLayout layout(double width, QPaintDevice* device) const override;
    QStringList texts() const override;
    const QList<SheetPart>& rows() const { return m_rows; }
    int startNumber() const { return m_startNumber; }
    bool showTitle() const { return m_showTitle; }

private:
    QList<SheetPart> m_rows;
    int m_startNumber;
    bool m_showTitle;
};

// A grid of capture tiles (image, title, reading), two columns 14 points apart.
class SheetCaptures : public SheetBlock {
public:
    SheetCaptures(QList<SheetCapture> captures, bool showTitle, int columns = 2)
        : m_captures(std::move(captures)), m_showTitle(showTitle), m_columns(std::max(1, columns)) {}
    SheetLayout layout(double width, QPaintDevice* device) const override;
    QStringList texts() const override;
    const QList<SheetCapture>& captures() const { return m_captures; }
    bool showTitle() const { return m_showTitle; }

private:
    QList<SheetCapture> m_captures;
    bool m_showTitle;
    int m_columns;
};
