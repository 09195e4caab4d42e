#pragma once

#include <QList>

class Capture;
class Document;
class Project;
class ProjectComponent;

// The lists a project's workspace shows, read afresh from the project each time.
namespace ProjectContents {

// The captures filed to the project, newest import first (stable for equal dates).
QList<Capture*> sortedCaptures(const Project* project);

// The library documents attached to the project, by their library date, newest first (stable);
// links without a document are skipped.
QList<Document*> projectDocuments(const Project* project);

// The parts-list lines that have a component, by component name (case-insensitive, in the
// user's locale), ascending.
QList<ProjectComponent*> partLines(const Project* project);

}  // namespace ProjectContents
