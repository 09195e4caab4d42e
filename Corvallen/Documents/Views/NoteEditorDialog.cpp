#include "Corvallen/Documents/Views/NoteEditorDialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

NoteEditorDialog::NoteEditorDialog(bool isEdit, const QString& initial, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("NoteEditorSheet"));
    setWindowTitle(isEdit ? tr("Edit note") : tr("Add note"));
    setFixedSize(380, 250);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(14);
    auto* title = new QLabel(isEdit ? tr("Edit note") : tr("Add note"), this);
    QFont f = title->font();
    f.setPointSizeF(f.pointSizeF() * 1.4);
    f.setBold(true);
    title->setFont(f);
    layout->addWidget(title);
    m_editor = new QPlainTextEdit(initial, this);
    m_editor->setFixedHeight(130);
    m_editor->installEventFilter(this);
    layout->addWidget(m_editor);
    auto* row = new QHBoxLayout;
    auto* cancel = new QPushButton(tr("Cancel"), this);
    auto* done = new QPushButton(tr("Done"), this);
    done->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(cancel);
    row->addStretch(1);
    row->addWidget(done);
    layout->addLayout(row);
    m_editor->setFocus();
    m_editor->moveCursor(QTextCursor::End);
}

QString NoteEditorDialog::text() const
{
    return m_editor->toPlainText();
}

bool NoteEditorDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Return confirms; Shift-Return still starts a new line in the note.
    if (watched == m_editor && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !(key->modifiers() & Qt::ShiftModifier)) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
