#pragma once

#include <QDialog>

class QPlainTextEdit;

// Asks for a note's text: "Add note" for a new note, "Edit note" for an existing one, starting
// with the note's text and the caret in the editor. Return confirms, Escape cancels.
class NoteEditorDialog : public QDialog {
    Q_OBJECT
public:
    NoteEditorDialog(bool isEdit, const QString& initial, QWidget* parent = nullptr);
    QString text() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* m_editor;
};
