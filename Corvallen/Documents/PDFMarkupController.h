#pragma once

#include "Corvallen/Documents/MarkupAnnotation.h"
#include "Corvallen/Documents/MarkupMode.h"
#include "Corvallen/Documents/NoteAnnotations.h"

#include <QImage>
#include <QObject>
#include <QUuid>

#include <functional>
#include <optional>

// The model of one markup viewer window: the shown document's markup, the tool state the
// toolbar binds to, an unlimited undo stack (no redo), unsaved-change tracking, saving into the
// scope's markup file, clearing, note prompts and text recognition for image documents.
// Main thread.
class PDFMarkupController : public QObject {
    Q_OBJECT
public:
    struct NotePrompt {
        QUuid id;
        bool isEdit = false;
        QString initial;
        std::function<void(const QString&)> apply;
    };
    enum class CloseChoice { save, dontSave, cancel };

    explicit PDFMarkupController(QObject* parent = nullptr);
    ~PDFMarkupController() override;

    // Set up by the viewer before the document is shown.
    QString markupFileName;
    bool isImage = false;
    QImage sourceImage;

    // The document with its markup merged; none when the file could not be read. Rebuilds the
    // note leaders.
    void attach(std::shared_ptr<MarkupDocument> document);
    const std::shared_ptr<MarkupDocument>& document() const { return m_document; }

    MarkupMode mode() const { return m_mode; }
    QString colorHex() const { return m_colorHex; }
    QColor color() const;
    double penWidth() const { return m_penWidth; }
    bool dirty() const { return m_dirty; }
    bool canUndo() const { return !m_undo.empty(); }
    bool hasSelection() const { return m_hasSelection; }
    QString statusNote() const { return m_statusNote; }
    const std::optional<NotePrompt>& notePrompt() const { return m_notePrompt; }
    void clearNotePrompt();

    void setMode(MarkupMode mode);
    void setColor(const QString& hex);
    void setPenWidth(double width);
    void setHasSelection(bool has);

    // Markup operations; pages are those of document().
    void addInk(const MarkupPageRef& page, const QList<QPointF>& points);
    // One highlight per selected line wider and taller than 1 point.
    void addHighlight(const QList<std::pair<MarkupPageRef, QRectF>>& lines);
    void recordAdd(const MarkupAnnotationRef& annotation, const MarkupPageRef& page);
    void erase(const MarkupAnnotationRef& annotation, const MarkupPageRef& page);
    void noteMoved(const MarkupAnnotationRef& note, const QRectF& previousBounds);
    void markDirty();
    void promptNewNote(const MarkupPageRef& page, const QPointF& point);
    void addNote(const QString& text, const MarkupPageRef& page, const QPointF& point);
    void promptEditNote(const MarkupAnnotationRef& note);
    void applyNoteEdit(const QString& text, const MarkupAnnotationRef& note);
    void undo();
    bool hasMarkup() const;

    // Why this viewer's markup may no longer be saved (its document was deleted, or taken out of
    // the project the viewer belongs to), or empty while the scope still exists. Set by the view.
    std::function<QString()> staleReason;

    // Writes the markup file: "Saved" and clean, or "Save failed" and still dirty, with the
    // reason in lastSaveError(). A stale scope writes nothing.
    bool save();
    QString lastSaveError() const { return m_lastSaveError; }
    // Removes every annotation (undoable as one step): "Cleared".
    void resetAll();
    // True when the window may close: at once when clean, otherwise as the user answers
    // (saving first for `save`; a failed save keeps the window open with its markup).
    bool confirmClose(const std::function<CloseChoice()>& ask);

    // Reads the text of an image document off the main thread and puts it on the clipboard.
    void copyTextFromImage();
    // Applies a recognised text (main thread): "Text copied" or "No text found".
    void finishTextCopy(const QString& text);

    NoteAnnotations::NoteLeaders leaders;
    // The note the canvas has selected (cleared by undo and reset).
    MarkupAnnotationRef selectedNote;
    MarkupPageRef selectedPage;

signals:
    void stateChanged();       // any published field
    void markupChanged();      // annotations changed: redraw
    void notePromptChanged();  // a prompt was set or cleared
    void selectionCleared();   // the text selection should be dropped

private:
    void push(std::function<void()> entry);
    void setStatus(const QString& status);
    void clearSelectedNote();

    std::shared_ptr<MarkupDocument> m_document;
    MarkupMode m_mode = MarkupMode::pan;
    QString m_colorHex = QStringLiteral("#FFCC00");
    double m_penWidth = 3;
    bool m_dirty = false;
    bool m_hasSelection = false;
    QString m_statusNote;
    QString m_lastSaveError;
    std::vector<std::function<void()>> m_undo;
    std::optional<NotePrompt> m_notePrompt;
};
