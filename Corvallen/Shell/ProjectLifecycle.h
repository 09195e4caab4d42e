#pragma once

class ModelContext;
class Project;

// Creating and deleting projects from the main window.
namespace ProjectLifecycle {

// A project named "New Project" with empty details and notes, inserted and saved (a failed save
// keeps it pending). Returns the stored project.
Project* createProject(ModelContext& context);

// Deletes the project (its parts lines and document attachments go with it; captures and
// documents stay, unfiled) and saves. Once that delete is in the store, the markup files of its
// attachments are removed, as detaching a document does; while saving fails they stay, so a
// delete that never reaches the store loses no markup. A project already deleted is left alone.
void deleteProject(Project* project, ModelContext& context);

}  // namespace ProjectLifecycle
