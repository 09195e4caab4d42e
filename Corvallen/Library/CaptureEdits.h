#pragma once

#include <QList>
#include <QString>

class Capture;
class ModelContext;
class Project;
class Tag;

// The edits the capture inspectors make: tags on one or many captures, filing into a project,
// and deleting captures with their image files. Each edit that changes links saves at once; a
// failing save leaves the changes pending in the context. Main thread.
namespace CaptureEdits {

// A typed tag name as stored: whitespace and line breaks trimmed, lower-cased.
QString normalizedTagName(const QString& text);
// Whether "Add" may be pressed: something left after trimming spaces and tabs.
bool canAddTag(const QString& text);

// Appends the tag unless the capture already holds it; true when appended. Does not save.
bool attach(Capture& capture, Tag* tag);
// The single-capture "attach": attach, then save.
void attachAndSave(Capture& capture, Tag* tag, ModelContext& context);
// Finds or creates the tag named by the text and attaches it; false (nothing done) for a blank text.
bool addTag(Capture& capture, const QString& text, ModelContext& context);
// Takes every link to that tag off the capture and saves; the tag stays in the store.
void removeTag(Capture& capture, Tag* tag, ModelContext& context);
// At most six tags of `allTags` (in their order) whose stored name contains the typed text
// (lower-cased, spaces and tabs trimmed) and that the capture does not hold yet.
QList<Tag*> tagSuggestions(const QString& input, const QList<Tag*>& allTags, const Capture& capture);
// Every stored tag by name.
QList<Tag*> allTagsByName(const ModelContext& context);
QList<Project*> allProjectsByName(const ModelContext& context);

// Files every capture into the project (none: unfiled) and saves.
void moveAll(const QList<Capture*>& captures, Project* project, ModelContext& context);
// One tag, found or created once, attached to every capture that lacks it; saves. False for a
// blank text.
bool addTagToAll(const QList<Capture*>& captures, const QString& text, ModelContext& context);

// Deletes the captures and saves. Each capture's image file in the captures folder is removed
// once its deletion has reached the store, so a failed save never leaves a record without its
// image; a file already gone is no matter.
void deleteCaptures(const QList<Capture*>& captures, ModelContext& context);

}  // namespace CaptureEdits
