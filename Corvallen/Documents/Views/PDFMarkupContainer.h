#pragma once

#include "Corvallen/Documents/PDFMarkupController.h"

#include <QWidget>

class MarkupCanvas;
class QAbstractButton;
class QButtonGroup;
class QLabel;
class QScrollArea;
class QSlider;
class QToolButton;

// The markup viewer of one document: the tool row above the canvas. It owns the window's
// controller, loads the document with the scope's markup, and asks for note texts and before
// clearing everything.
class PDFMarkupContainer : public QWidget {
    Q_OBJECT
public:
    enum class Source { pdf, image };
    PDFMarkupContainer(Source source, const QString& filePath, const QString& markupFileName, QWidget* parent = nullptr);
    ~PDFMarkupContainer() override;

    PDFMarkupController* controller() const { return m_controller; }
    MarkupCanvas* canvas() const { return m_canvas; }

    static const QStringList& palette();

    // Asks the user about unsaved markup; true when the window may close. When the chosen save
    // fails, the window stays and the reason is shown.
    bool confirmClose();

    // Tool-row items, for keyboard users and checks.
    QAbstractButton* highlightButton() const;
    QAbstractButton* ocrButton() const;
    QAbstractButton* undoButton() const;
    QAbstractButton* resetButton() const;
    QAbstractButton* saveButton() const;
    QSlider* penWidthSlider() const { return m_penWidth; }
    QLabel* statusLabel() const { return m_status; }

    // Applies a note prompt's answer as the note sheet does: trimmed, blank answers ignored.
    void finishNotePrompt(const std::optional<QString>& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Home and End (with or without Ctrl) go to the first and the last page, whatever of the
    // viewer has the focus and passes them on.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void load(Source source, const QString& filePath);
    void refresh();
    void showNotePrompt();
    void fit();
    void showSaveError();

    PDFMarkupController* m_controller;
    MarkupCanvas* m_canvas = nullptr;
    QScrollArea* m_scroll = nullptr;
    QButtonGroup* m_tools = nullptr;
    QToolButton* m_highlight = nullptr;
    QToolButton* m_ocr = nullptr;
    QList<QToolButton*> m_swatches;
    QSlider* m_penWidth = nullptr;
    QLabel* m_status = nullptr;
    QToolButton* m_undo = nullptr;
    QToolButton* m_reset = nullptr;
    QToolButton* m_save = nullptr;
    bool m_promptOpen = false;
    bool m_fitPending = true;
};
