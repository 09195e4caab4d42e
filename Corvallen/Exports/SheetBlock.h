#pragma once

#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>

#include <memory>

class QPaintDevice;
class QPainter;

// One piece of an exported page: it knows how tall it is at a given width and draws itself into
// a rectangle. Blocks are built fresh for every export and read the entities as they stand.
class SheetBlock {
public:
    virtual ~SheetBlock() = default;
    // The height the block takes at this width, measured with the fonts of `device`.
    virtual double height(double width, QPaintDevice* device) const = 0;
    // Draws into `rect` (top-left aligned); content taller than the rect is clipped by the page.
    virtual void paint(QPainter& painter, const QRectF& rect) const = 0;
    // The texts the block prints, top to bottom; lets exports be checked without a PDF reader.
    virtual QStringList texts() const { return {}; }
};
using SheetBlockPtr = std::shared_ptr<SheetBlock>;

// Blocks one above the other, left-aligned, with a fixed gap between them and optional extra
// room above single children.
class SheetStack : public SheetBlock {
public:
    explicit SheetStack(double spacing) : m_spacing(spacing) {}
    void add(SheetBlockPtr block, double extraAbove = 0);
    bool isEmpty() const { return m_children.isEmpty(); }
    int count() const { return m_children.size(); }
    SheetBlockPtr child(int i) const { return m_children.at(i).block; }

    double height(double width, QPaintDevice* device) const override;
    void paint(QPainter& painter, const QRectF& rect) const override;
    QStringList texts() const override;

private:
    struct Child {
        SheetBlockPtr block;
        double extraAbove;
    };
    QList<Child> m_children;
    double m_spacing;
};

// Text helpers shared by the blocks.
namespace SheetText {
// Height of `text` wrapped at `width` (one line's height for an empty text when `keepEmpty`).
double wrappedHeight(const QString& text, const QFont& font, double width, QPaintDevice* device);
double lineHeight(const QFont& font, QPaintDevice* device);
double textWidth(const QString& text, const QFont& font, QPaintDevice* device);
// Draws text with alignment flags (Qt::AlignmentFlag | Qt::TextWordWrap ...) in a colour.
void draw(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font, const QColor& color,
          int flags = 0);
// A filled rule line of the given height.
void rule(QPainter& painter, const QRectF& rect, const QColor& color);
}  // namespace SheetText
