#include "Corvallen/Documents/PDFMarkupController.h"

#include "Corvallen/Documents/MarkupFile.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/HexColor.h"
#include "Corvallen/Model/ThumbnailCache.h"
#include "Corvallen/Library/Reading/TextRecognizer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>
#include <QThreadPool>

PDFMarkupController::PDFMarkupController(QObject* parent) : QObject(parent) {}

PDFMarkupController::~PDFMarkupController() = default;

void PDFMarkupController::attach(std::shared_ptr<MarkupDocument> document)
{
    m_document = std::move(document);
    if (m_document)
        leaders.rebuild(*m_document);
    emit markupChanged();
    emit stateChanged();
}

QColor PDFMarkupController::color() const
{
    return colorFromHex(m_colorHex);
}

void PDFMarkupController::clearNotePrompt()
{
    if (!m_notePrompt)
        return;
    m_notePrompt.reset();
    emit notePromptChanged();
}

void PDFMarkupController::setMode(MarkupMode mode)
{
    m_mode = mode;
    clearSelectedNote();
    emit stateChanged();
}

void PDFMarkupController::setColor(const QString& hex)
{
    m_colorHex = hex;
    emit stateChanged();
}

void PDFMarkupController::setPenWidth(double width)
{
    m_penWidth = width;
    emit stateChanged();
}

void PDFMarkupController::setHasSelection(bool has)
{
    if (m_hasSelection == has)
        return;
    m_hasSelection = has;
    emit stateChanged();
}

void PDFMarkupController::push(std::function<void()> entry)
{
    m_undo.push_back(std::move(entry));
}

void PDFMarkupController::setStatus(const QString& status)
{
    m_statusNote = status;
}

void PDFMarkupController::clearSelectedNote()
{
    if (!selectedNote)
        return;
    selectedNote.reset();
    selectedPage.reset();
    emit markupChanged();
}

void PDFMarkupController::addInk(const MarkupPageRef& page, const QList<QPointF>& points)
{
    if (!page || points.isEmpty())
        return;
    auto ink = std::make_shared<MarkupAnnotation>();
    ink->kind = MarkupKind::ink;
    ink->bounds = QRectF(QPointF(0, 0), page->size);
    ink->color = color();
    ink->borderWidth = m_penWidth;
    ink->paths.append(QPolygonF(points));
    page->add(ink);
    recordAdd(ink, page);
}

void PDFMarkupController::addHighlight(const QList<std::pair<MarkupPageRef, QRectF>>& lines)
{
    if (lines.isEmpty())
        return;
    for (const auto& [page, rect] : lines) {
        if (!page || !(rect.width() > 1) || !(rect.height() > 1))
            continue;
        auto hl = std::make_shared<MarkupAnnotation>();
        hl->kind = MarkupKind::highlight;
        hl->bounds = rect;
        hl->color = color();
        page->add(hl);
        recordAdd(hl, page);
    }
    emit selectionCleared();
    setHasSelection(false);
}

void PDFMarkupController::recordAdd(const MarkupAnnotationRef& annotation, const MarkupPageRef& page)
{
    QPointer<PDFMarkupController> self(this);
    push([self, page, annotation] {
        page->remove(annotation.get());
        // A note's arrow goes with it: it was drawn for this note and points from it.
        if (self && self->m_document && annotation->kind == MarkupKind::freeText)
            self->leaders.removeLeader(annotation.get(), *self->m_document);
    });
    m_dirty = true;
    setStatus({});
    emit markupChanged();
    emit stateChanged();
}

void PDFMarkupController::erase(const MarkupAnnotationRef& annotation, const MarkupPageRef& page)
{
    if (!annotation || !page)
        return;
    page->remove(annotation.get());
    push([page, annotation] { page->add(annotation); });
    m_dirty = true;
    setStatus({});
    emit markupChanged();
    emit stateChanged();
}

void PDFMarkupController::noteMoved(const MarkupAnnotationRef& note, const QRectF& previousBounds)
{
    QPointer<PDFMarkupController> self(this);
    push([self, note, previousBounds] {
        note->bounds = previousBounds;
        if (self && self->m_document) {
            // Re-adding at the end draws the note on top again; its arrow starts from the note's
            // corner again, still pointing where it pointed.
            if (MarkupPageRef page = self->m_document->pageOf(note.get())) {
                page->remove(note.get());
                page->add(note);
                self->leaders.refreshLeader(note, *page);
            }
        }
    });
    m_dirty = true;
    setStatus({});
    emit markupChanged();
    emit stateChanged();
}

void PDFMarkupController::markDirty()
{
    m_dirty = true;
    setStatus({});
    emit markupChanged();
    emit stateChanged();
}

void PDFMarkupController::promptNewNote(const MarkupPageRef& page, const QPointF& point)
{
    QPointer<PDFMarkupController> self(this);
    m_notePrompt = NotePrompt{QUuid::createUuid(), false, QString(), [self, page, point](const QString& text) {
                                  if (self)
                                      self->addNote(text, page, point);
                              }};
    emit notePromptChanged();
}

void PDFMarkupController::addNote(const QString& text, const MarkupPageRef& page, const QPointF& point)
{
    if (!page)
        return;
    MarkupAnnotationRef note = NoteAnnotations::makeNoteAnnotation(text, point, *page);
    page->add(note);
    recordAdd(note, page);
}

void PDFMarkupController::promptEditNote(const MarkupAnnotationRef& note)
{
    QPointer<PDFMarkupController> self(this);
    std::weak_ptr<MarkupAnnotation> weak = note;
    m_notePrompt = NotePrompt{QUuid::createUuid(), true, note->contents, [self, weak](const QString& text) {
                                  if (self)
                                      if (MarkupAnnotationRef n = weak.lock())
                                          self->applyNoteEdit(text, n);
                              }};
    emit notePromptChanged();
}

void PDFMarkupController::applyNoteEdit(const QString& text, const MarkupAnnotationRef& note)
{
    if (!note || note->contents == text)
        return;
    const QString previous = note->contents;
    note->contents = text;
    QPointer<PDFMarkupController> self(this);
    std::weak_ptr<MarkupAnnotation> weak = note;
    push([self, weak, previous] {
        MarkupAnnotationRef n = weak.lock();
        if (!n)
            return;
        n->contents = previous;
        if (self && self->m_document) {
            if (MarkupPageRef page = self->m_document->pageOf(n.get())) {
                page->remove(n.get());
                page->add(n);
            }
        }
    });
    m_dirty = true;
    setStatus({});
    emit markupChanged();
    emit stateChanged();
}

void PDFMarkupController::undo()
{
    if (m_undo.empty())
        return;
    std::function<void()> entry = std::move(m_undo.back());
    m_undo.pop_back();
    clearSelectedNote();
    entry();
    m_dirty = true;
    emit markupChanged();
    emit stateChanged();
}

bool PDFMarkupController::hasMarkup() const
{
    return m_document && m_document->hasAnnotations();
}

bool PDFMarkupController::save()
{
    if (!m_document)
        return false;
    QString error = staleReason ? staleReason() : QString();
    const bool saved = error.isEmpty() && MarkupFile::writeMarkupOverlay(*m_document, markupFileName, &error);
    if (saved) {
        DocumentFileStore::thumbnailCache().clear();
        m_dirty = false;
        m_lastSaveError.clear();
        setStatus(QStringLiteral("Saved"));
    } else {
        m_lastSaveError = error.isEmpty() ? QStringLiteral("The markup file could not be written.") : error;
        setStatus(QStringLiteral("Save failed"));
    }
    emit stateChanged();
    return saved;
}

void PDFMarkupController::resetAll()
{
    if (!m_document)
        return;
    clearSelectedNote();
    QList<std::pair<MarkupPageRef, MarkupAnnotationRef>> removed;
    for (const MarkupPageRef& page : m_document->pages)
        for (const MarkupAnnotationRef& a : page->annotations)
            removed.append({page, a});
    if (removed.isEmpty())
        return;
    for (const auto& [page, a] : removed)
        page->remove(a.get());
    leaders.clear();
    QPointer<PDFMarkupController> self(this);
    push([self, removed] {
        for (const auto& [page, a] : removed)
            page->add(a);
        if (self && self->m_document)
            self->leaders.rebuild(*self->m_document);
    });
    m_dirty = true;
    setStatus(QStringLiteral("Cleared"));
    emit markupChanged();
    emit stateChanged();
}

bool PDFMarkupController::confirmClose(const std::function<CloseChoice()>& ask)
{
    if (!m_dirty)
        return true;
    switch (ask ? ask() : CloseChoice::cancel) {
    case CloseChoice::save:
        // A failed save keeps the window, and the markup in it, open.
        return save();
    case CloseChoice::dontSave:
        return true;
    case CloseChoice::cancel:
        break;
    }
    return false;
}

void PDFMarkupController::copyTextFromImage()
{
    if (sourceImage.isNull()) {
        setStatus(QStringLiteral("No image"));
        emit stateChanged();
        return;
    }
    setStatus(QStringLiteral("Reading text…"));
    emit stateChanged();
    QPointer<PDFMarkupController> self(this);
    const QImage image = sourceImage;
    QThreadPool::globalInstance()->start([self, image] {
        const QString text = TextRecognizer::recognizeLines(image, TextRecognizer::Layout::Document).value_or(QStringList()).join(QLatin1Char('\n'));
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, text] {
                if (self)
                    self->finishTextCopy(text);
            },
            Qt::QueuedConnection);
    });
}

void PDFMarkupController::finishTextCopy(const QString& text)
{
    if (text.isEmpty()) {
        setStatus(QStringLiteral("No text found"));
    } else {
        if (QClipboard* clipboard = QGuiApplication::clipboard()) {
            clipboard->clear();
            clipboard->setText(text);
        }
        setStatus(QStringLiteral("Text copied"));
    }
    emit stateChanged();
}
