#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPaintDevice;
class QPainter;

// What a block draws at one width, worked out once: its height and the drawing steps, placed
// relative to the block's top-left corner. The same layout gives the height the builders paginate
// with and the picture the page draws, so the two can never disagree.
class SheetLayout {
public:
    double height = 0;

    using Step = std::function<void(QPainter&, const QPointF& origin)>;
    void text(const QRectF& rect, const QString& text, const QFont& font, const QColor& color, int flags = 0);
    void rule(const QRectF& rect, const QColor& color);
    void step(Step step) { m_steps.push_back(std::move(step)); }
    // Another layout placed at `offset` within this one.
    void place(const SheetLayout& other, const QPointF& offset);
    void paint(QPainter& painter, const QPointF& origin) const;

private:
    std::vector<Step> m_steps;
};

// One piece of an exported page: it lays itself out at a given width and is drawn from that
// layout. Blocks are built fresh for every export and read the entities as they stand.
class SheetBlock {
public:
    virtual ~SheetBlock() = default;
    // The layout at this width, measured with the fonts of `device`.
    virtual SheetLayout layout(double width, QPaintDevice* device) const = 0;
    double height(double width, QPaintDevice* device) const { return layout(width, device).height; }
    // Draws into `rect` (top-left aligned).
    void paint(QPainter& painter, const QRectF& rect) const;
    // The texts the block prints, top to bottom.
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

    SheetLayout layout(double width, QPaintDevice* device) const override;
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
// Height of `text` wrapped at `width` (one line's height for an empty text). Words longer than
// the width break anywhere, so nothing runs out of its column.
double wrappedHeight(const QString& text, const QFont& font, double width, QPaintDevice* device);
double lineHeight(const QFont& font, QPaintDevice* device);
double textWidth(const QString& text, const QFont& font, QPaintDevice* device);
// The text cut to its first `maxLines` lines when wrapped at `width`; the last line kept then
// ends with "…". Cells use it so that no single entry, however long, outgrows a page.
QString capped(const QString& text, const QFont& font, double width, int maxLines, QPaintDevice* device);
// Where each line of the text wrapped at `width` ends, as positions in the text; the last one is
// the text's length. A text that runs on over pages is cut at one of these.
QList<qsizetype> lineEnds(const QString& text, const QFont& font, double width, QPaintDevice* device);
// The part of a text before `position` and the part from it, for a text cut between two pages.
// The line breaks at the cut are dropped: they would only leave an empty line at the bottom of
// one page and the top of the next.
QString before(const QString& text, qsizetype position);
QString from(const QString& text, qsizetype position);
// Draws text with alignment flags (Qt::AlignmentFlag) in a colour; with Qt::TextWordWrap the
// text wraps at word boundaries, and anywhere inside a word too long for the width.
void draw(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font, const QColor& color,
          int flags = 0);
// A filled rule line of the given height.
void rule(QPainter& painter, const QRectF& rect, const QColor& color);
}  // namespace SheetText

// A project's description as the overview and the quote's head print it: 11-point ink, wrapped
// across the full width, and cut between pages only where one of its lines ends.
namespace SheetDescription {
// Lays the text out at `y`; returns its height.
double place(SheetLayout& out, double y, const QString& text, double width, QPaintDevice* device);
QList<qsizetype> lineEnds(const QString& text, double width, QPaintDevice* device);
}  // namespace SheetDescription
