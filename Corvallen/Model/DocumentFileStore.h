#pragma once

#include "Corvallen/Model/DomainError.h"

#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class Document;
class ModelContext;
class Project;
class ProjectDocument;
class SettingsStore;
class ThumbnailCache;
namespace Poppler {
class Document;
}

// The documents folder and the operations that create, link and remove documents' files and
// records together: import, attach, detach, delete from the library, the one-time migration of
// the older single project link, the PDF for display and the thumbnails.
//
// Files in the folder: each document's stored file (Document::fileName), and markup files named
// by a markup name kept in a record followed by ".markup.pdf" (so the name on disk ends in
// ".markup.pdf.markup.pdf"). A name read from a record is used only when it is one plain file
// name; anything else counts as a missing file and is never removed.
//
// Files of a deleted document or a detached link are removed only once that deletion is saved
// (ModelContext::afterDeletionSaved): a failed save leaves record and files in place together.
// Main thread, with the store's main context.
namespace DocumentFileStore {

// $XDG_DATA_HOME/Corvallen/documents, worked out once per process and created then (a failure to
// create it is ignored).
QString documentsFolder();

// Copies a file into the folder under a fresh name (upper-case UUID text plus "." and the
// lower-case extension, the UUID alone without one) and returns that name. Only regular files
// (or links to them) are taken: a folder, pipe, device or socket throws (domain
// "Corvallen.Documents"). Throws the copy's error (domain "QFileDevice"); nothing is created
// then. Touches no record, so it may run on a worker thread.
QString importFileIntoStore(const QString& sourcePath);

// Removes the markup file of a markup name (the name plus ".markup.pdf"); nothing for none.
// Failures are ignored.
void removeMarkupFile(const std::optional<QString>& markupName);
// Removes a stored file, then the markup file named after it. Failures are ignored.
void removeStoredFile(const QString& fileName);

// The document's link to the project: the first existing one (nothing saved then), or a new
// one, inserted and saved (a failed save is ignored).
ProjectDocument* attach(Document* document, Project* project, ModelContext& context);
// Deletes every link of the document to the project and saves; each link's markup file goes
// once the deletion is saved. The document, its file and its other links stay.
void detach(Document* document, Project* project, ModelContext& context);
// Deletes the document with its links and saves; its thumbnail leaves the cache at once, its
// stored file and all its markup files once the deletion is saved.
void deleteFromLibrary(Document* document, ModelContext& context);
// At launch: a deletion from the library that reached the store but not the files (a crash in
// between) left them with no record; they are removed. Files whose document is still in the
// store stay.
void finishInterruptedDeletion(ModelContext& context);
// Files copied in by importFileIntoStore are noted, with their size and modification time once
// whole, until importsSaved() (after the records are saved). At launch, finishInterruptedImport
// removes noted files that no document names and that are still the very copy noted (same
// size and time): an import that stopped between the copy and the save (a crash, a window
// closed mid-copy). Nothing else in the folder is ever removed by it.
void importsSaved();
void finishInterruptedImport(ModelContext& context);

// The settings flag that records a finished migration.
inline const QString migrationFlagKey = QStringLiteral("documentAttachmentsMigrated.v1");
// Once per account: turns each document's older single project link into an attachment (no
// second link when one exists) and clears the older link. The flag is set only after the
// changes were saved, so a failed save is tried again at the next launch.
void migrateDocumentAttachments(ModelContext& context);
void migrateDocumentAttachments(ModelContext& context, SettingsStore& settings);

// The document's stored file as a PDF for display: a PDF as it is, an image as a one-page PDF
// of the image's size; nothing for other files, unreadable or password-locked ones.
std::unique_ptr<Poppler::Document> loadPDFDocument(const Document* document);
std::unique_ptr<Poppler::Document> loadPDFDocument(const QString& storedFileName);
// The most pixels an image document is shown with. Larger pictures (a phone's 50-megapixel
// photo) are read scaled down to this, where the decoder can (JPEG), instead of not at all:
// whole, they would pass the image reader's allocation limit.
inline constexpr qint64 maxImagePixels = qint64(24) * 1000 * 1000;
// An image document's picture, turned as its EXIF data says, at most maxImagePixels (and well
// within the image reader's allocation limit). Null when it can't be read, and at once, without
// decoding, when its header tells it is too large (imageTooLargeToShow).
QImage readImage(const QString& path);
// Whether the file's header alone rules the picture out: more pixels than can be shown and more
// than its decoder goes through in about a second (64 megapixels; JPEG decodes straight to an
// eighth a side, so it may hold 64 times the shown pixels).
bool imageTooLargeToShow(const QString& path);
// A one-page PDF holding the image at its own size, one point per pixel. Empty for a null
// image.
QByteArray pdfFromImage(const QImage& image);

// The document's thumbnail: its first page fitted into 512 by 512, with the library markup
// laid over it; served from the cache after the first time. A null image when the file gives
// no PDF or has no page (nothing is cached then).
QImage thumbnail(const Document* document);
// The same without waiting: the cached thumbnail, or a null image while it is drawn off the main
// thread (the cache's ready() signal follows) or when the document has none
// (thumbnailCache().hasNone()).
QImage thumbnailIfReady(const Document* document);
// The drawing itself, from the stored file's name and its library markup's name. Touches no
// record and no cache, so it runs on any thread. Null, soon after, once `shouldStop` says so.
QImage renderThumbnail(const QString& fileName, const std::optional<QString>& markupName,
                       const std::function<bool()>& shouldStop = {});
ThumbnailCache& thumbnailCache();

// How the markup work joins the thumbnails: the overlay of a markup name's annotations onto a
// loaded PDF. It may be left empty; thumbnails are then drawn without the markup.
struct ThumbnailMarkupHooks {
    std::function<void(Poppler::Document& pdf, const QString& markupName)> loadMarkupOverlay;
    // Draws the first page's markup over the rendered page (of that size in points), as the
    // viewer draws it; used instead of the overlay when set.
    std::function<void(QImage& image, const QSizeF& pageSize, const QString& markupName)> drawMarkup;
};
void setThumbnailMarkupHooks(ThumbnailMarkupHooks hooks);

}  // namespace DocumentFileStore
