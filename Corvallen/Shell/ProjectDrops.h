#pragma once

#include <QString>

class Component;
class ModelContext;
class Project;

// What a string dropped on a project does to the store. Every failure (wrong prefix, text that
// doesn't decode, a record that no longer exists or is of another kind, a file name of no
// document, a deleted target project) changes nothing and reports nothing.
namespace ProjectDrops {

// The component a "corvallen-part:" string names, or null. Changes nothing: the add-part sheet
// asks for the quantity.
Component* componentForPartDrop(const QString& text, ModelContext& context);

// Files the capture a "corvallen-capture:" string names into the project (moving it out of any
// other project) and saves. True when a capture was filed.
bool fileCaptureDrop(const QString& text, Project* project, ModelContext& context);

// Attaches the first library document whose stored file name equals the text exactly to the
// project, reusing an existing attachment. True when a document matched.
bool attachDocumentDrop(const QString& text, Project* project, ModelContext& context);

}  // namespace ProjectDrops
