#pragma once

#include "Corvallen/Documents/MarkupAnnotation.h"

#include <QImage>
#include <QString>

namespace Poppler {
class Annotation;
class Document;
}

// The markup files: one PDF per document and scope in the documents folder, named by the
// scope's markup key followed by ".markup.pdf", with one blank page per page of the document and
// on page i the markup of page i. The document file itself is never touched.
namespace MarkupFile {

// The file of a markup key; empty when the key is not one plain file name (such a key never
// names a file we read or write).
QString path(const QString& key);

// The pages of a loaded document (sizes and rotations), without markup.
MarkupDocument pagesOf(const Poppler::Document& pdf);

// Writes the markup of every page into the key's file, replacing it as a whole only once the new
// file is complete (a failed save keeps the previous markup). A file there that can't be read
// (so its markup was never shown) is moved aside under a dated name, not replaced. Blank pages have the size of the
// shown pages; notes refer to a standard PDF face, so the file embeds no font. False when the
// file could not be written, with the reason in `error`. Pages of the file beyond the document's
// last (a shorter version of it is shown) keep their markup.
bool writeMarkupOverlay(const MarkupDocument& document, const QString& key, QString* error = nullptr);

// The kept annotations of a markup file, page by page; empty when the file is missing or is no
// readable PDF.
QList<QList<MarkupAnnotationRef>> readMarkupFile(const QString& filePath);

// Lays the key's markup over a freshly opened document: annotations of the first min(file pages,
// document pages) pages are added to the same pages. Silent when the file is missing.
void loadMarkupOverlay(MarkupDocument& document, const QString& key);

// The same onto a poppler document (the library thumbnails draw it).
void loadMarkupOverlay(Poppler::Document& pdf, const QString& key);

// A copy of an annotation read from a file, for the four kept kinds (ink, straight line,
// highlight, free text); nothing for any other kind.
MarkupAnnotationRef cloneMarkupAnnotation(const Poppler::Annotation& annotation, const QSizeF& pageSize);

// The poppler form of an annotation on a page of that size.
std::unique_ptr<Poppler::Annotation> toPoppler(const MarkupAnnotation& annotation, const QSizeF& pageSize);

// Draws the first page's markup of the key's file over a rendered page picture, as the viewer
// draws it.
void drawFirstPageMarkup(QImage& image, const QSizeF& pageSize, const QString& key);

// Shows the thumbnails of the documents library with their markup.
void installThumbnailHooks();

}  // namespace MarkupFile
