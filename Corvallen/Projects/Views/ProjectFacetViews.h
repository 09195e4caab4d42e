#pragma once

class ModelContext;
class Project;
class QWidget;

// The Captures facet is the library's capture browser over the project's captures, newest first;
// the Files facet is the documents browser in project scope, newest library date first.
QWidget* makeProjectCapturesFacet(Project* project, ModelContext& context, QWidget* parent);
QWidget* makeProjectFilesFacet(Project* project, ModelContext& context, QWidget* parent);
