#include "Corvallen/Model/DocumentFileStore.h"

#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/StoredFileName.h"
#include "Corvallen/Model/ThumbnailCache.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPdfWriter>
#include <QMutex>
#include <QSaveFile>
#include <QSet>

#include <poppler-qt6.h>

#include <cmath>

#include <sys/stat.h>
#include <unistd.h>

namespace DocumentFileStore {

namespace {

ThumbnailMarkupHooks& hooks()
{
    static ThumbnailMarkupHooks h;
    return h;
}

// The full path of a file named in a record, or empty when the name is not one plain file name.
QString pathInFolder(const QString& name)
{
    if (!AppPaths::isPlainFileName(name))
        return {};
    return documentsFolder() + QLatin1Char('/') + name;
}

void removeFile(const QString& name)
{
    const QString path = pathInFolder(name);
    if (!path.isEmpty())
        QFile::remove(path);
}

// The files that go with a stored file: the file, then the markup named after it.
QStringList storedFileNames(const QString& fileName)
{
    if (!AppPaths::isPlainFileName(fileName))
        return {};
    return {fileName, StoredFileName::markupFileName(fileName)};
}

void removeFilesWhenSaved(ModelContext& context, PersistentModel* record, const QStringList& names)
{
    QStringList paths;
    for (const QString& n : names) {
        const QString p = pathInFolder(n);
        if (!p.isEmpty())
            paths << p;
    }
    if (paths.isEmpty())
        return;
    context.afterDeletionSaved(record, [paths] {
        for (const QString& p : paths)
            QFile::remove(p);
    });
}

// The files of a document being deleted from the library, noted (the document's own file
// first) before the deletion is saved and dropped once it is done.
QString deletionNotePath() { return AppPaths::dataFolder() + QStringLiteral("/.documents-deleting"); }

void noteDeletion(const QStringList& names)
{
    QSaveFile note(deletionNotePath());
    if (note.open(QIODevice::WriteOnly)) {
        note.write(names.join(QLatin1Char('\n')).toUtf8());
        note.commit();
    }
}

// The names a note holds, one a line.
QStringList readNote(const QString& path)
{
    QFile note(path);
    if (!note.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(note.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString importNotePath() { return AppPaths::dataFolder() + QStringLiteral("/.documents-importing"); }
QMutex g_importNoteMutex;  // imports copy on workers

// What identifies a copy this import wrote: its size and modification time, noted beside its
// name once it is whole. A later file under the same name (another import, a restore, a note
// left by an earlier run) differs in one of them and is never taken for it.
QByteArray fileStamp(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return QByteArray::number(qint64(st.st_size)) + '\t' + QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.'
           + QByteArray::number(qint64(st.st_mtim.tv_nsec));
}

// One line appended and flushed to disk: the name before the copy begins (the note has to
// outlive the file), the name with its stamp once the copy is whole.
bool noteImport(const QByteArray& line)
{
    QMutexLocker lock(&g_importNoteMutex);
    QFile note(importNotePath());
    if (!note.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray text = line + '\n';
    return note.write(text) == text.size() && note.flush() && ::fsync(note.handle()) == 0;
}

constexpr double thumbnailSide = 512.0;

QImage renderThumbnail(Poppler::Page& page, const std::function<bool()>& shouldStop)
{
    const QSizeF size = page.pageSizeF();
    const double longest = std::max(size.width(), size.height());
    if (longest <= 0)
        return {};
    const double dpi = 72.0 * thumbnailSide / longest;
    if (!shouldStop)
        return page.renderToImage(dpi, dpi);
    // Poppler asks between drawing operations; a page of a few hundred thousand of them can
    // take a minute, and stops within moments when asked to.
    const auto askStop = [](const QVariant& closure) {
        return (*reinterpret_cast<const std::function<bool()>*>(closure.value<quintptr>()))();
    };
    QImage image = page.renderToImage(dpi, dpi, -1, -1, -1, -1, Poppler::Page::Rotate0, nullptr, nullptr, askStop,
                                      QVariant::fromValue(reinterpret_cast<quintptr>(&shouldStop)));
    return shouldStop() ? QImage() : image;
}

}  // namespace

QString documentsFolder()
{
    static const QString folder = [] {
        const QString path = AppPaths::dataFolder() + QStringLiteral("/documents");
        AppPaths::ensureFolder(path);
        return path;
    }();
    return folder;
}

QString importFileIntoStore(const QString& sourcePath)
{
    // Reading a named pipe, a device or a socket could wait for ever or never end; only plain
    // files (or links to them) are documents.
    const QFileInfo info(sourcePath);
    if (info.exists() && !info.isFile())
        throw DomainError(QStringLiteral("Corvallen.Documents"), 1,
                          info.isDir() ? QStringLiteral("it is a folder, not a file.")
                                       : QStringLiteral("it is not a regular file (pipes, devices and sockets can't be added)."));
    const QString name = StoredFileName::make(StoredFileName::pathExtension(info.fileName()).toLower());
    const QString target = documentsFolder() + QLatin1Char('/') + name;
    noteImport(name.toUtf8());
    StoredFileName::copyWhole(sourcePath, target);
    if (const QByteArray stamp = fileStamp(target); !stamp.isEmpty())
        noteImport(name.toUtf8() + '\t' + stamp);
    return name;
}

void importsSaved()
{
    QMutexLocker lock(&g_importNoteMutex);
    QFile::remove(importNotePath());
}

void finishInterruptedImport(ModelContext& context)
{
    const QStringList lines = readNote(importNotePath());
    if (!lines.isEmpty()) {
        QSet<QString> named;
        for (const Document* d : context.fetch<Document>())
            named.insert(d->fileName());
        // Records that couldn't be read would make every noted copy look unrecorded.
        if (!context.loadError().isEmpty())
            return;
        // Only a whole copy this import wrote goes: a name noted without its stamp was never
        // given to a file (the copy writes nameless until it is whole), and a file whose size or
        // time differs from the stamp is not that copy.
        for (const QString& line : lines) {
            const qsizetype tab = line.indexOf(QLatin1Char('\t'));
            if (tab < 0)
                continue;
            const QString name = line.left(tab);
            const QString path = pathInFolder(name);
            if (!path.isEmpty() && !named.contains(name) && fileStamp(path) == line.mid(tab + 1).toUtf8())
                QFile::remove(path);
        }
    }
    QFile::remove(importNotePath());  // only once done: a crash meanwhile leaves it for the next launch
}

void removeMarkupFile(const std::optional<QString>& markupName)
{
    if (!markupName)
        return;
    const QString file = StoredFileName::markupFileName(*markupName);
    if (!file.isEmpty())
        removeFile(file);
}

void removeStoredFile(const QString& fileName)
{
    for (const QString& n : storedFileNames(fileName))
        removeFile(n);
}

ProjectDocument* attach(Document* document, Project* project, ModelContext& context)
{
    if (!document || !project)
        return nullptr;
    for (ProjectDocument* link : document->attachments())
        if (link->project() == project)
            return link;
    ProjectDocument* link = context.insert(new ProjectDocument(document, project));
    context.save();
    return link;
}

void detach(Document* document, Project* project, ModelContext& context)
{
    if (document && project) {
        const QList<ProjectDocument*> links = document->attachments();
        for (ProjectDocument* link : links) {
            if (link->project() != project)
                continue;
            const QString markup = StoredFileName::markupFileName(link->markupFileName());
            context.deleteObject(link);
            if (!markup.isEmpty())
                removeFilesWhenSaved(context, link, {markup});
        }
    }
    context.save();
}

void deleteFromLibrary(Document* document, ModelContext& context)
{
    if (!document || document->isDeleted())
        return;
    thumbnailCache().remove(document->fileName());
    QStringList files;
    if (const auto key = document->libraryMarkupFileName()) {
        const QString markup = StoredFileName::markupFileName(*key);
        if (!markup.isEmpty())
            files << markup;
    }
    for (const ProjectDocument* link : document->attachments()) {
        const QString markup = StoredFileName::markupFileName(link->markupFileName());
        if (!markup.isEmpty())
            files << markup;
    }
    const QStringList own = storedFileNames(document->fileName());
    files = own + files;
    context.deleteObject(document);
    removeFilesWhenSaved(context, document, files);
    if (!own.isEmpty())
        noteDeletion(files);
    context.save();
    // Saved and removed, or not saved and still in the store: either way nothing is half done.
    QFile::remove(deletionNotePath());
}

void finishInterruptedDeletion(ModelContext& context)
{
    const QStringList names = readNote(deletionNotePath());
    // Unless the deletion was never saved: then the document keeps its files.
    if (!names.isEmpty() && context.fetch<Document>([&](const Document* d) { return d->fileName() == names.first(); }).isEmpty()) {
        if (!context.loadError().isEmpty())
            return;  // unreadable records prove nothing; the note waits
        thumbnailCache().remove(names.first());
        for (const QString& n : names)
            removeFile(n);
    }
    QFile::remove(deletionNotePath());  // only once done: a crash meanwhile leaves it for the next launch
}

void migrateDocumentAttachments(ModelContext& context) { migrateDocumentAttachments(context, SettingsStore::shared()); }

void migrateDocumentAttachments(ModelContext& context, SettingsStore& settings)
{
    if (settings.boolValue(migrationFlagKey, false))
        return;
    for (Document* document : context.fetch<Document>()) {
        Project* project = document->project();
        if (!project)
            continue;
        bool linked = false;
        for (const ProjectDocument* link : document->attachments())
            if (link->project() == project) {
                linked = true;
                break;
            }
        if (!linked)
            context.insert(new ProjectDocument(document, project));
        document->setProject(nullptr);
    }
    // Only a saved migration counts: otherwise the next launch must run it again.
    if (context.save())
        settings.setBool(migrationFlagKey, true);
}

namespace {

// The most pixels a picture may be decoded to: maxImagePixels, with room kept below the
// reader's allocation limit (four bytes a pixel once decoded; a JPEG decoder scales by halves
// and then to the size asked for, so what it holds on the way can be up to four times that).
qint64 imagePixelBudget()
{
    qint64 budget = maxImagePixels;
    if (const int limitMB = QImageReader::allocationLimit(); limitMB > 0)
        budget = std::min(budget, qint64(limitMB) * 1024 * 1024 / 4 / 4 * 9 / 10);
    return budget;
}

// Whether the picture's header rules it out: larger than the budget, and more than a decoder
// can go through in about a second. Only JPEG decodes straight to a smaller size (by up to 1/8
// a side); the others decode every pixel and scale as they go, so a PNG of 16384 x 16384
// pixels, under a megabyte on disk, would take seconds to show.
bool tooLargeToDecode(QImageReader& reader, qint64 budget)
{
    constexpr double wholeDecodeLimit = 64.0 * 1000 * 1000;
    const QSize size = reader.size();
    if (!size.isValid())
        return false;
    const double pixels = double(size.width()) * double(size.height());
    if (pixels <= double(budget))
        return false;
    return reader.format() == "jpeg" ? pixels / 64 > double(budget) : pixels > wholeDecodeLimit;
}

}  // namespace

bool imageTooLargeToShow(const QString& path)
{
    QImageReader reader(path);
    return tooLargeToDecode(reader, imagePixelBudget());
}

QImage readImage(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const qint64 budget = imagePixelBudget();
    if (tooLargeToDecode(reader, budget))
        return {};
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > budget) {
        const double f = std::sqrt(double(budget) / (double(size.width()) * double(size.height())));
        reader.setScaledSize(QSize(std::max(1, int(size.width() * f)), std::max(1, int(size.height() * f))));
    }
    return reader.read();
}

QByteArray pdfFromImage(const QImage& image)
{
    if (image.isNull())
        return {};
    // One point per pixel: the page shows the image at its own pixel size, whatever resolution
    // its file claims (most screenshots and photos claim none, or a meaningless one).
    const QSizeF pageSize(image.width(), image.height());
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Corvallen"));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageSize(QPageSize(pageSize, QPageSize::Point, QString(), QPageSize::ExactMatch));
        QPainter painter;
        if (!painter.begin(&writer))
            return {};
        painter.drawImage(QRectF(0, 0, writer.width(), writer.height()), image);
        painter.end();
    }
    return buffer.data();
}

std::unique_ptr<Poppler::Document> loadPDFDocument(const Document* document)
{
    if (!document)
        return nullptr;
    return loadPDFDocument(document->fileName());
}

std::unique_ptr<Poppler::Document> loadPDFDocument(const QString& storedFileName)
{
    const QString path = pathInFolder(storedFileName);
    if (path.isEmpty())
        return nullptr;
    std::unique_ptr<Poppler::Document> pdf;
    switch (documentKind(storedFileName)) {
    case DocumentFileKind::pdf:
        pdf = Poppler::Document::load(path);
        break;
    case DocumentFileKind::image: {
        const QByteArray bytes = pdfFromImage(readImage(path));
        if (bytes.isEmpty())
            return nullptr;
        pdf = Poppler::Document::loadFromData(bytes);
        break;
    }
    case DocumentFileKind::other:
        return nullptr;
    }
    if (!pdf || pdf->isLocked())
        return nullptr;
    pdf->setRenderHint(Poppler::Document::Antialiasing);
    pdf->setRenderHint(Poppler::Document::TextAntialiasing);
    return pdf;
}

ThumbnailCache& thumbnailCache() { return ThumbnailCache::shared(); }

void setThumbnailMarkupHooks(ThumbnailMarkupHooks h) { hooks() = std::move(h); }

QImage renderThumbnail(const QString& fileName, const std::optional<QString>& markup, const std::function<bool()>& shouldStop)
{
    std::unique_ptr<Poppler::Document> pdf = loadPDFDocument(fileName);
    if (!pdf)
        return {};
    const bool drawn = bool(hooks().drawMarkup);
    if (markup && !drawn && hooks().loadMarkupOverlay)
        hooks().loadMarkupOverlay(*pdf, *markup);
    if (pdf->numPages() < 1)
        return {};
    std::unique_ptr<Poppler::Page> page = pdf->page(0);
    if (!page)
        return {};
    QImage image = renderThumbnail(*page, shouldStop);
    if (image.isNull())
        return {};
    if (markup && drawn)
        hooks().drawMarkup(image, page->pageSizeF(), *markup);
    return image;
}

QImage thumbnail(const Document* document)
{
    if (!document)
        return {};
    const QString key = document->fileName();
    if (const QImage cached = thumbnailCache().value(key); !cached.isNull())
        return cached;
    QImage image = renderThumbnail(key, document->libraryMarkupFileName());
    thumbnailCache().insert(key, image);
    return image;
}

QImage thumbnailIfReady(const Document* document)
{
    if (!document)
        return {};
    const QString key = document->fileName();
    if (const QImage cached = thumbnailCache().value(key); !cached.isNull())
        return cached;
    thumbnailCache().request(key, [key, markup = document->libraryMarkupFileName()](const ThumbnailJob& job) {
        return renderThumbnail(key, markup, [&job] { return job.shouldStop(); });
    });
    return {};
}

}  // namespace DocumentFileStore
