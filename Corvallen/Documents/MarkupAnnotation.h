#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>

// The kinds of markup the viewer draws and the markup files keep.
enum class MarkupKind { ink, line, highlight, freeText, other };

// Line ends, numbered as PDF viewers commonly number them.
enum class MarkupLineEnd { none = 0, square = 1, circle = 2, diamond = 3, openArrow = 4, closedArrow = 5 };

// One annotation on a page. All geometry is in page points with the origin at the lower-left
// corner of the page as it is shown (after its /Rotate turn) and y growing upwards.
// Annotations are shared objects: the page list, the undo entries and the note leaders hold the
// very same object, so an undo puts back exactly what was removed.
struct MarkupAnnotation {
    MarkupKind kind = MarkupKind::other;
    QRectF bounds;
    std::optional<QColor> color;
    std::optional<QColor> interiorColor;
    std::optional<double> borderWidth;  // none: no border
    QList<QPolygonF> paths;             // ink strokes
    QPointF startPoint;
    QPointF endPoint;
    MarkupLineEnd startLineEnd = MarkupLineEnd::none;
    MarkupLineEnd endLineEnd = MarkupLineEnd::none;
    QString contents;
    std::optional<QColor> fontColor;
    std::optional<QFont> font;
    QList<QPolygonF> quadrilateralPoints;  // highlight areas
};
using MarkupAnnotationRef = std::shared_ptr<MarkupAnnotation>;

// One page of a shown document: its media box size, rotation and annotations in drawing order.
struct MarkupPage {
    QSizeF size;
    int rotation = 0;  // degrees, as the page states it
    QList<MarkupAnnotationRef> annotations;

    void add(const MarkupAnnotationRef& a) { annotations.append(a); }
    // Removes that very object; false when it is not on the page.
    bool remove(const MarkupAnnotation* a);
    bool contains(const MarkupAnnotation* a) const;
};
using MarkupPageRef = std::shared_ptr<MarkupPage>;

// The pages of the document a viewer shows, with the markup laid over them. The document file
// itself is never written; only these annotations travel to the markup file.
struct MarkupDocument {
    QList<MarkupPageRef> pages;

    int pageCount() const { return int(pages.size()); }
    MarkupPageRef page(int index) const;
    int indexOf(const MarkupPage* page) const;
    // The page that holds the annotation, or none.
    MarkupPageRef pageOf(const MarkupAnnotation* a) const;
    bool hasAnnotations() const;
};

// The page rotation reduced to 0..359.
int normalizedRotation(int rotation);
