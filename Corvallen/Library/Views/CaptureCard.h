#pragma once

#include <QFrame>
#include <QPointer>

#include <functional>

class Capture;
class GripDots;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QToolButton;
class TagRow;

// The tile of one capture in the Library grid: a drag handle, the name (click to rename in
// place), a selection checkbox, the thumbnail and the tags. It decides nothing about selection:
// clicks go back to the grid through its callbacks.
class CaptureCard : public QFrame {
    Q_OBJECT
public:
    struct Callbacks {
        std::function<void()> toggleSelect;
        std::function<void(Qt::KeyboardModifiers)> imageClick;
        std::function<void()> startRename;
        std::function<void()> endRename;
    };

    CaptureCard(Capture* capture, Callbacks callbacks, QWidget* parent = nullptr);

    Capture* capture() const { return m_capture; }
    // Shows another capture: the grid hands a card that left the visible rows to one that
    // comes in, rather than build a new one. The card is then not in rename mode.
    void setCapture(Capture* capture);
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    bool isEditing() const { return m_editing; }
    void setEditing(bool editing);
    // Re-reads the title and tags.
    void refresh();

    // The text shown for the name ("unnamed" for an empty title) and the drag payload.
    QString shownName() const;
    QString dragText() const;

    QWidget* thumbnail() const { return m_thumb; }
    QWidget* dragHandle() const { return m_handle; }
    QToolButton* checkbox() const { return m_check; }
    QLabel* nameLabel() const { return m_name; }
    QLineEdit* nameField() const { return m_field; }

    // Opens the capture's editor window.
    void openInEditor() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startDrag();

    Capture* m_capture;
    Callbacks m_callbacks;
    bool m_selected = false;
    bool m_selectionShown = false;
    bool m_editing = false;
    QWidget* m_handle = nullptr;
    QStackedWidget* m_nameStack = nullptr;
    QLabel* m_name = nullptr;
    QLineEdit* m_field = nullptr;
    QToolButton* m_check = nullptr;
    QWidget* m_thumb = nullptr;
    TagRow* m_tags = nullptr;
    QPoint m_pressAt;
    bool m_pressed = false;
};
