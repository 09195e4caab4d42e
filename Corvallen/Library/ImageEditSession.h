#pragma once

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

class ModelContext;

// The state and rules of the capture image viewer: the image being edited, the tool, the zoom
// of the view tool, pen strokes and a pending crop, all in normalised image coordinates (0 to 1
// from the left and top edges), and "Save Copy", which renders the image with its strokes into
// a new PNG in the captures folder and records a new capture beside its source. Nothing here
// changes the source file or capture. Main thread.
class ImageEditSession {
public:
    enum class Tool { view, pen, crop };

    struct Stroke {
        QUuid id;
        QList<QPointF> pts;  // normalised
        QString colorHex;
        double width = 0;    // relative to the image width
    };

    explicit ImageEditSession(QString fileName);

    QString fileName() const { return m_fileName; }
    static const QStringList& palette();

    // Loads the capture's image from the captures folder once; a cropped image is never
    // replaced by the file again. A missing or unreadable file leaves no image.
    void loadBaseImage();
    void setBase(const QImage& image) { m_base = image; }
    const QImage& base() const { return m_base; }
    bool hasBase() const { return !m_base.isNull(); }

    Tool tool() const { return m_tool; }
    void setTool(Tool tool) { m_tool = tool; }

    // The view tool's zoom, always within 0.5 to 2.0.
    double zoom() const { return m_zoom; }
    void zoomOut();
    void zoomIn();
    void zoomToFit();
    void magnifyChanged(double magnification);
    void magnifyEnded();
    bool canZoomOut() const { return m_zoom > 0.5; }
    bool canZoomIn() const { return m_zoom < 2.0; }
    // The whole percentage, truncated: "123%".
    QString zoomText() const;

    // The image's width-to-height ratio, 480/272 without an image.
    double aspect() const;
    // The size at which the pen and crop tools show the image in an area.
    QSizeF fittedSize(const QSizeF& area) const;
    static QRectF normalizedCropRect(const QPointF& a, const QPointF& b);

    // A press, move or release in the canvas (its size is the fitted image size), for the pen
    // and crop tools; nothing in the view tool.
    void dragChanged(const QPointF& location, const QSizeF& canvasSize);
    void dragEnded();

    const QList<Stroke>& strokes() const { return m_strokes; }
    const std::optional<Stroke>& live() const { return m_live; }
    QString penHex() const { return m_penHex; }
    double penPts() const { return m_penPts; }
    void setPenPts(double pts) { m_penPts = qBound(1.0, pts, 10.0); }
    void selectPenColor(const QString& hex) { m_penHex = hex; }
    void undoLastStroke();
    void clearStrokes() { m_strokes.clear(); }

    std::optional<QRectF> cropRect() const { return m_cropRect; }
    void resetCrop() { m_cropRect.reset(); }
    // Cuts the pending rectangle (rounded outward to whole pixels) out of the image; strokes are
    // dropped and the view tool comes back. Nothing happens without an image or a rectangle, or
    // for a rectangle under one pixel.
    bool applyCrop();

    // The image with the finished strokes drawn on top, as PNG bytes (8-bit RGBA, the image's
    // pixel size); empty without an image.
    QByteArray renderEditedImage() const;
    // The first free name: stem + "_edit.png", then stem + "_edit2.png", ... A name is free when
    // no file in the folder has it and no record holds it (a record whose image went missing
    // still owns its name; a new capture under it would be merged into that record).
    static QString copyName(const QString& fileName, const QString& folder, const QSet<QString>& heldNames = {});
    // Writes the copy and records its capture; savedNote() then tells the outcome:
    // "Nothing to save", "Save failed" or "Saved as " + the name.
    void saveCopy(ModelContext& context);
    QString savedNote() const { return m_savedNote; }

private:
    QString m_fileName;
    QImage m_base;
    Tool m_tool = Tool::view;
    double m_zoom = 1;
    double m_lastZoom = 1;
    QList<Stroke> m_strokes;
    std::optional<Stroke> m_live;
    QString m_penHex = QStringLiteral("#FF3B30");
    double m_penPts = 3;
    std::optional<QPointF> m_cropStart;
    std::optional<QRectF> m_cropRect;
    QString m_savedNote;
};
