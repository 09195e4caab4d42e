#pragma once

#include "Corvallen/Inventory/AttachmentController.h"

#include <QPointer>
#include <QWidget>

#include <QDialog>
#include <QImage>
class QFileDialog;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

// One attachment row of the component inspector: the label, "Open" or "None" (a preview for the
// photo), an actions menu (from file, from link, remove), a progress bar while a copy or
// download runs, and the last failure in red. Files and links can be dropped on it.
class AttachmentControl : public QWidget {
    Q_OBJECT
public:
    AttachmentControl(ModelContext& context, Component* component, AttachmentController::Field field, QWidget* parent = nullptr);

    AttachmentController& controller() { return *m_controller; }
    QToolButton* actionsButton() const { return m_actions; }
    QPushButton* openButton() const { return m_open; }
    QLabel* errorLabel() const { return m_error; }
    QProgressBar* progressBar() const { return m_progress; }
    // The photo preview (or placeholder) label; nullptr for documents.
    QLabel* preview() const { return m_preview; }
    bool showsPhoto() const { return m_showsPhoto; }

    // "From link…": the alert starts with the remembered link.
    QDialog* showLinkAlert();
    QLineEdit* linkField() const { return m_linkField; }
    // "From file…".
    QFileDialog* showOpenPanel();
    // Re-reads the component (after a change made elsewhere).
    void refresh();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updatePreview();

    AttachmentController* m_controller;
    QToolButton* m_actions = nullptr;
    QPushButton* m_open = nullptr;
    QLabel* m_none = nullptr;
    QLabel* m_preview = nullptr;
    QLabel* m_error = nullptr;
    QProgressBar* m_progress = nullptr;
    QAction* m_removeSeparator = nullptr;
    QAction* m_remove = nullptr;
    QPointer<QDialog> m_linkAlert;
    QLineEdit* m_linkField = nullptr;
    bool m_showsPhoto = false;
    // The photo as last read, by stored name, so that edits elsewhere in the inspector don't
    // read the file again.
    QString m_imageName;
    QImage m_image;
};
