#pragma once

#include "Corvallen/Exports/SheetBlock.h"

#include <QList>

class Capture;
class Project;
class ProjectComponent;

// The project's name, creation date, description and its three counts (parts lines, captures,
// attached files). First page of a project sheet only.
class SheetOverview : public SheetBlock {
public:
    explicit SheetOverview(const Project* project) : m_project(project) {}
    SheetLayout layout(double width, QPaintDevice* device) const override;
    QStringList texts() const override;

private:
    const Project* m_project;
};

// A slice of the bill of materials: numbered rows of name, manufacturer, line quantity and
// category, under an optional title.
class SheetBOMTable : public SheetBlock {
public:
    SheetBOMTable(QList<ProjectComponent*> rows, int startNumber, bool showTitle)
        : m_rows(std::move(rows)), m_startNumber(startNumber), m_showTitle(showTitle) {}
    SheetLayout layout(double width, QPaintDevice* device) const override;
    QStringList texts() const override;
    const QList<ProjectComponent*>& rows() const { return m_rows; }
    int startNumber() const { return m_startNumber; }
    bool showTitle() const { return m_showTitle; }

private:
    QList<ProjectComponent*> m_rows;
    int m_startNumber;
    bool m_showTitle;
};

// A grid of capture tiles (image, title, reading), two columns 14 points apart.
class SheetCaptures : public SheetBlock {
public:
    SheetCaptures(QList<Capture*> captures, bool showTitle, int columns = 2)
        : m_captures(std::move(captures)), m_showTitle(showTitle), m_columns(std::max(1, columns)) {}
    SheetLayout layout(double width, QPaintDevice* device) const override;
    QStringList texts() const override;
    const QList<Capture*>& captures() const { return m_captures; }
    bool showTitle() const { return m_showTitle; }

private:
    QList<Capture*> m_captures;
    bool m_showTitle;
    int m_columns;
};
