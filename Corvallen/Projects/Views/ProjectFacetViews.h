#pragma once

class ModelContext;
class Project;
class QWidget;

// The Captures and Files facets show the capture browser of the library and the documents
// browser in project scope.
QWidget* makeProjectCapturesFacet(Project* project, ModelContext& context, QWidget* parent);
QWidget* makeProjectFilesFacet(Project* project, ModelContext& context, QWidget* parent);
