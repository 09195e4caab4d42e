#pragma once

#include "Corvallen/Documents/PDFMarkupController.h"
#include "Corvallen/Documents/PageRenderer.h"

#include <QHash>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace Poppler {
class Document;
}

// The pages of the shown document one under the other, with the markup drawn over them and the
// tools working on it: drag to pan, drag to select text, draw ink, erase a stroke, highlight or
// arrow, place, move, resize and edit notes and drag their leader arrows.
class MarkupCanvas : public QWidget {
    Q_OBJECT
public:
    MarkupCanvas(PDFMarkupController* controller, QWidget* parent = nullptr);
    ~MarkupCanvas() override;

    // The document to show (its own content, for text selection), and how the page renderer's
    // worker opens its own copy to render the pages; the markup comes from the controller.
    void setPdf(std::shared_ptr<Poppler::Document> pdf, PageRenderer::Opener openForRendering);
    PageRenderer* renderer() const { return m_renderer.get(); }
    // The cache of rendered pages holds at most this many bytes.
    static constexpr qint64 pageCacheBytes = 192ll * 1024 * 1024;
    double scale() const { return m_scale; }
    void setScale(double scale);
    // The closest zoom at which the whole document still fits in one widget.
    double largestScale() const;
    // Fit the widest page into this width.
    void fitWidth(int width);

    // Page geometry on the canvas.
    QRectF pageRect(int index) const;
    QPointF toView(int pageIndex, const QPointF& pagePoint) const;
    QPointF toPage(int pageIndex, const QPointF& viewPoint) const;
    int pageAt(const QPointF& viewPoint) const;

    QSize sizeHint() const override;

    // Turns the selected text lines into highlights.
    void highlightSelection();
    bool hasTextSelection() const { return !m_selectionLines.isEmpty(); }
    // Selects the text under a canvas rectangle (as a drag in the select tool does).
    void selectText(const QRectF& viewRect) { updateSelection(viewRect); update(); }

signals:
    // The user zoomed by hand (automatic fitting stops).
    void zoomedByUser();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

public:
    // Zooms by `factor` keeping the page point under `viewPoint` (canvas coordinates) there.
    void zoomAbout(double factor, const QPointF& viewPoint);

private:
    enum class Drag { none, pan, select, ink, erase, moveNote, resizeNote, leader };

    void relayout();
    QImage pageImage(int index);
    void drawSelection(QPainter& p, int pageIndex, const MarkupAnnotation& note) const;
    void eraseAt(const QPointF& viewPoint);
    // The rectangle kept inside the page's bounds (a note never leaves its page).
    QRectF keptOnPage(int pageIndex, QRectF bounds) const;
    MarkupAnnotationRef annotationAt(int pageIndex, const QPointF& pagePoint, bool notes) const;
    QPointF leaderHandle(int pageIndex, const MarkupAnnotation& note) const;
    void updateSelection(const QRectF& viewRect);

    PDFMarkupController* m_controller;
    std::shared_ptr<Poppler::Document> m_pdf;
    std::unique_ptr<PageRenderer> m_renderer;
    double m_scale = 1.0;
    QList<double> m_pageTops;

    Drag m_drag = Drag::none;
    QPoint m_pressGlobal;
    QPointF m_pressView;
    int m_dragPage = -1;
    QList<QPointF> m_inkPoints;
    QRectF m_noteStartBounds;
    QPointF m_noteGrabOffset;
    int m_resizeCorner = -1;
    QRectF m_selectRect;
    QList<std::pair<int, QRectF>> m_selectionLines;  // page index, page-space rect
};
