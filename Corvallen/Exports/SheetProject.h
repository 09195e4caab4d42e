#pragma once

#include "Corvallen/Exports/MoneyFormatter.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class Capture;
class Project;
class ProjectComponent;

// One line of a parts list as the sheets print it.
struct SheetPart {
    bool hasComponent = false;
    QString name;  // empty when the line has no component
    std::optional<QString> manufacturer;
    std::optional<QString> category;
    qint64 quantity = 0;
    double resellPrice = 0;
};

// One capture as the project sheet prints it.
struct SheetCapture {
    QString imagePath;  // empty when the capture names no file
    QString title;
    std::optional<QString> reading;  // the value and its unit
    QDateTime importedAt;
};

// What the project sheet and the quote print of a project, copied from the store and the
// settings on the main thread, so that a long project's pages are laid out and drawn on a worker
// while the window stays free. It holds no record of the store.
struct SheetProject {
    QString name;
    QString details;
    QDateTime createdAt;
    qsizetype captureCount = 0;
    qsizetype fileCount = 0;
    double labourTotal = 0;
    std::optional<double> labourFlat;
    std::optional<double> labourHours;
    double partsResellTotal = 0;
    bool quoteCombined = false;
    QList<SheetPart> parts;        // in the project's order
    QList<SheetCapture> captures;  // in the project's order
    // The business currency in the user's locale, as it was when the copy was made.
    MoneyFormatter money;

    // The name the pages print: the project's, or "Untitled Project" when it has none.
    QString title() const;

    // Main thread only: reads the project, its lines, captures and files, and the settings.
    static std::shared_ptr<const SheetProject> of(const Project* project);
};
using SheetProjectPtr = std::shared_ptr<const SheetProject>;

// Makes the copy a slice at a time, so that a project of hundreds of thousands of lines is
// copied on the main thread without holding the window: call read() on successive turns of the
// event loop until it says the copy is complete. The project must outlive the reader; a line or
// capture deleted between two slices is left out.
class SheetProjectReader {
public:
    explicit SheetProjectReader(const Project* project);
    // Copies for about `milliseconds` (everything when negative); true once the copy is complete.
    bool read(int milliseconds);
    SheetProjectPtr result() const { return m_copy; }

private:
    std::shared_ptr<SheetProject> m_copy;
    QList<ProjectComponent*> m_lines;
    QList<Capture*> m_captures;
    qsizetype m_nextLine = 0;
    qsizetype m_nextCapture = 0;
    QString m_capturesFolder;
};
