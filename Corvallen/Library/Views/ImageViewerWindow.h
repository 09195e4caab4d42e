#pragma once

#include "Corvallen/Library/ImageEditSession.h"

#include <QWidget>

class ModelContext;
class QAbstractButton;
class QButtonGroup;
class QLabel;
class QPushButton;
class QScrollArea;
class QSlider;
class QStackedWidget;
class QToolButton;

// The window of one capture image: look at it closely (zoom and scroll), draw pen strokes over
// it, crop it, and "Save Copy" it as a new capture beside its source. The capture and its file
// are never changed; everything else is lost when the window closes.
class ImageViewerWindow : public QWidget {
    Q_OBJECT
public:
    ImageViewerWindow(const QString& fileName, ModelContext& context, QWidget* parent = nullptr);

    ImageEditSession& session() { return m_session; }
    void setTool(ImageEditSession::Tool tool);
    void saveCopy();
    void applyCrop();
    // Re-reads the session into the controls and the canvas.
    void refresh();

    QWidget* canvas() const { return m_canvas; }
    QLabel* zoomLabel() const { return m_zoomLabel; }
    QToolButton* zoomOutButton() const { return m_zoomOut; }
    QToolButton* zoomInButton() const { return m_zoomIn; }
    QPushButton* applyCropButton() const { return m_applyCrop; }
    QLabel* savedNoteLabel() const { return m_savedNote; }
    QPushButton* saveButton() const { return m_save; }
    QButtonGroup* toolControl() const { return m_tools; }
    QList<QAbstractButton*> swatches() const;

protected:
    void showEvent(QShowEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ModelContext& m_context;
    ImageEditSession m_session;
    QButtonGroup* m_tools = nullptr;
    QStackedWidget* m_toolControls = nullptr;
    QToolButton* m_zoomOut = nullptr;
    QToolButton* m_zoomIn = nullptr;
    QLabel* m_zoomLabel = nullptr;
    QWidget* m_swatchRow = nullptr;
    QSlider* m_penWidth = nullptr;
    QPushButton* m_applyCrop = nullptr;
    QLabel* m_savedNote = nullptr;
    QPushButton* m_save = nullptr;
    QStackedWidget* m_area = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_zoomed = nullptr;
    QWidget* m_canvasArea = nullptr;
    QWidget* m_canvas = nullptr;
    double m_pinch = 1;  // magnification since the pinch began
};
