#include "Corvallen/Exports/ProjectSheetBlocks.h"

#include "Corvallen/Exports/SheetFormat.h"
#include "Corvallen/Exports/SheetPalette.h"
#include <QFontMetricsF>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>

namespace {

const QString emDash = QStringLiteral("—");

struct Figure {
    QString label;
    int count;
};

QList<Figure> figures(const SheetProject& p)
{
    return {{QStringLiteral("Parts"), int(p.parts.size())},
            {QStringLiteral("Captures"), int(p.captureCount)},
            {QStringLiteral("Files"), int(p.fileCount)}};
}

// Column geometry of the parts table: number 18, component (rest), quantity 34, category 130,
// 8 points apart. The number and quantity columns grow when their figures need more room, so a
// long row number or a large quantity is never cut; the component column gives way.
struct BomColumns {
    double number, component, quantity, category;
    double xNumber, xComponent, xQuantity, xCategory;
    BomColumns(double width, double numberNeed, double quantityNeed)
    {
        number = std::max(18.0, numberNeed);
        quantity = std::max(34.0, quantityNeed);
        category = 130;
        component = std::max(40.0, width - number - quantity - category - 3 * 8);
        xNumber = 0;
        xComponent = xNumber + number + 8;
        xQuantity = xComponent + component + 8;
        xCategory = xQuantity + quantity + 8;
    }
};

QString categoryText(const SheetPart& line)
{
    if (!line.hasComponent || !line.category)
        return emDash;
    return *line.category;
}

QString manufacturerText(const SheetPart& line)
{
    if (!line.hasComponent || !line.manufacturer)
        return {};
    return *line.manufacturer;
}

QString nameText(const SheetPart& line)
{
    return line.hasComponent ? line.name : emDash;
}

constexpr int wrapLeft = Qt::AlignLeft | Qt::TextWordWrap;

// The most lines one entry may take. A name thousands of characters long is cut there (ending
// in "…"), so a single row always fits on a page with room to spare; ordinary names never come
// near it.
constexpr int maxTitleLines = 6;
constexpr int maxNameLines = 12;
constexpr int maxManufacturerLines = 3;
constexpr int maxCategoryLines = 6;

}  // namespace

// MARK: overview

SheetOverview::SheetOverview(SheetProjectPtr project) : SheetOverview(project, project->details, true, true) {}

QList<qsizetype> SheetOverview::descriptionLineEnds(double width, QPaintDevice* device) const
{
    return SheetDescription::lineEnds(m_description, width, device);
}

SheetLayout SheetOverview::layout(double width, QPaintDevice* dev) const
{
    SheetLayout out;
    double y = 0;
    bool above = false;  // something above the next element: it then keeps the 10-point gap
    if (m_opens) {
        const QFont nameFont = SheetPalette::font(24, QFont::Bold);
        const QString name = SheetText::capped(m_project->title(), nameFont, width, maxTitleLines, dev);
        double h = SheetText::wrappedHeight(name, nameFont, width, dev);
        out.text(QRectF(0, y, width, h), name, nameFont, SheetPalette::ink(), wrapLeft);
        y += h + 10;
        const QFont dateFont = SheetPalette::font(10);
        h = SheetText::lineHeight(dateFont, dev);
        out.text(QRectF(0, y, width, h), SheetFormat::longDateText(m_project->createdAt.date()), dateFont,
                 SheetPalette::secondary(), Qt::AlignLeft);
        y += h;
        above = true;
    }
    if (!m_description.isEmpty()) {
        if (above)
            y += 10 + 2;
        y += SheetDescription::place(out, y, m_description, width, dev);
        above = true;
    }
    if (m_closes) {
        if (above)
            y += 10 + 4;
        const QFont countFont = SheetPalette::font(16, QFont::DemiBold);
        const QFont labelFont = SheetPalette::font(8, QFont::Medium);
        const double ch = SheetText::lineHeight(countFont, dev);
        const double lh = SheetText::lineHeight(labelFont, dev);
        double x = 0;
        for (const Figure& f : figures(*m_project)) {
            const QString count = SheetFormat::countText(f.count);
            const QString label = f.label.toUpper();
            const double w =
                std::max(SheetText::textWidth(count, countFont, dev), SheetText::textWidth(label, labelFont, dev)) + 2;
            out.text(QRectF(x, y, w, ch), count, countFont, SheetPalette::accent(), Qt::AlignLeft);
            out.text(QRectF(x, y + ch + 1, w, lh), label, labelFont, SheetPalette::secondary(), Qt::AlignLeft);
            x += w + 20;
        }
        y += ch + 1 + lh;
    }
    out.height = y;
    return out;
}

QStringList SheetOverview::texts() const
{
    QStringList out;
    if (m_opens)
        out << m_project->title() << SheetFormat::longDateText(m_project->createdAt.date());
    if (!m_description.isEmpty())
        out << m_description;
    if (m_closes)
        for (const Figure& f : figures(*m_project))
            out << SheetFormat::countText(f.count) << f.label.toUpper();
    return out;
}

// MARK: parts table

SheetLayout SheetBOMTable::layout(double width, QPaintDevice* dev) const
{
    SheetLayout out;
    const QFont hf = SheetPalette::font(8, QFont::DemiBold);
    const QFont nameFont = SheetPalette::font(10, QFont::Medium);
    const QFont makerFont = SheetPalette::font(8);
    const QFont bodyFont = SheetPalette::font(10);
    const QFont catFont = SheetPalette::font(9);
    const QColor sec = SheetPalette::secondary();

    double numberNeed = 0, quantityNeed = 0;
    for (int i = 0; i < m_rows.size(); ++i) {
        numberNeed = std::max(numberNeed, SheetText::textWidth(SheetFormat::countText(m_startNumber + i), bodyFont, dev) + 1);
        quantityNeed = std::max(quantityNeed, SheetText::textWidth(SheetFormat::countText(m_rows[i].quantity), bodyFont, dev) + 1);
    }
    const BomColumns c(width, numberNeed, quantityNeed);

    double y = 0;
    if (m_showTitle) {
        y += 6;
        const QFont f = SheetPalette::font(13, QFont::Bold);
        const double h = SheetText::lineHeight(f, dev);
        out.text(QRectF(0, y, width, h), QStringLiteral("Bill of Materials"), f, SheetPalette::ink());
        y += h + 6;
    }
    const double hh = SheetText::lineHeight(hf, dev);
    out.text(QRectF(c.xNumber, y, c.number, hh), QStringLiteral("#"), hf, sec, Qt::AlignLeft);
    out.text(QRectF(c.xComponent, y, c.component, hh), QStringLiteral("COMPONENT"), hf, sec, Qt::AlignLeft);
    out.text(QRectF(c.xQuantity, y, c.quantity, hh), QStringLiteral("QTY"), hf, sec, Qt::AlignRight);
    out.text(QRectF(c.xCategory, y, c.category, hh), QStringLiteral("CATEGORY"), hf, sec, Qt::AlignLeft);
    y += hh + 6;
    out.rule(QRectF(0, y, width, 1), SheetPalette::rule());
    y += 1;
    const double bodyLine = SheetText::lineHeight(bodyFont, dev);
    for (int i = 0; i < m_rows.size(); ++i) {
        const SheetPart& line = m_rows[i];
        y += 6;
        const QString name = SheetText::capped(nameText(line), nameFont, c.component, maxNameLines, dev);
        const QString maker = SheetText::capped(manufacturerText(line), makerFont, c.component, maxManufacturerLines, dev);
        const QString category = SheetText::capped(categoryText(line), catFont, c.category, maxCategoryLines, dev);
        const double nh = SheetText::wrappedHeight(name, nameFont, c.component, dev);
        const double mh = maker.isEmpty() ? 0 : SheetText::wrappedHeight(maker, makerFont, c.component, dev);
        const double cath = category.isEmpty() ? 0 : SheetText::wrappedHeight(category, catFont, c.category, dev);
        const double rh = std::max({nh + mh, cath, bodyLine});
        out.text(QRectF(c.xNumber, y, c.number, rh), SheetFormat::countText(m_startNumber + i), bodyFont, sec,
                 Qt::AlignLeft | Qt::AlignVCenter);
        const double top = y + (rh - nh - mh) / 2;
        out.text(QRectF(c.xComponent, top, c.component, nh), name, nameFont, SheetPalette::ink(), wrapLeft);
        if (!maker.isEmpty())
            out.text(QRectF(c.xComponent, top + nh, c.component, mh), maker, makerFont, sec, wrapLeft);
        out.text(QRectF(c.xQuantity, y, c.quantity, rh), SheetFormat::countText(line.quantity), bodyFont, SheetPalette::ink(),
                 Qt::AlignRight | Qt::AlignVCenter);
        if (!category.isEmpty())
            out.text(QRectF(c.xCategory, y, c.category, rh), category, catFont, sec, wrapLeft | Qt::AlignVCenter);
        y += rh + 6;
        out.rule(QRectF(0, y, width, 0.5), SheetPalette::rule());
        y += 0.5;
    }
    out.height = y;
    return out;
}

QStringList SheetBOMTable::texts() const
{
    QStringList out;
    if (m_showTitle)
        out << QStringLiteral("Bill of Materials");
    out << QStringLiteral("#") << QStringLiteral("COMPONENT") << QStringLiteral("QTY") << QStringLiteral("CATEGORY");
    for (int i = 0; i < m_rows.size(); ++i) {
        const SheetPart& line = m_rows[i];
        out << SheetFormat::countText(m_startNumber + i) << nameText(line);
        if (!manufacturerText(line).isEmpty())
            out << manufacturerText(line);
        out << SheetFormat::countText(line.quantity) << categoryText(line);
    }
    return out;
}

// MARK: captures grid

namespace {
double tileHeight(double columnWidth)
{
    return columnWidth * 17.0 / 30.0;
}

// One capture's tile: the image fitted into a light grey rounded box with a hairline border.
void drawTile(QPainter& p, const QRectF& tile, const QString& imagePath)
{
    QPainterPath outline;
    outline.addRoundedRect(tile, 6, 6);
    p.save();
    p.setClipPath(outline, Qt::IntersectClip);
    p.fillRect(tile, QColor::fromRgbF(0.95f, 0.95f, 0.95f));
    // Read at no more than the tile's size at 300 dpi: a photo's full resolution would make the
    // sheet tens of megabytes per picture without showing anything more.
    QImage image;
    if (!imagePath.isEmpty()) {
        QImageReader reader(imagePath);
        reader.setAutoTransform(true);
        image = reader.read();
        const QSize most = (tile.size() * (300.0 / 72.0)).toSize();
        if (!image.isNull() && (image.width() > most.width() || image.height() > most.height()))
            image = image.scaled(most, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    if (!image.isNull()) {
        const double scale = std::min(tile.width() / image.width(), tile.height() / image.height());
        const QSizeF size(image.width() * scale, image.height() * scale);
        p.drawImage(QRectF(QPointF(tile.center().x() - size.width() / 2, tile.center().y() - size.height() / 2), size), image);
    }
    p.restore();
    p.save();
    p.setPen(QPen(SheetPalette::rule(), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
    p.restore();
}
}  // namespace

SheetLayout SheetCaptures::layout(double width, QPaintDevice* dev) const
{
    SheetLayout out;
    double y = 0;
    if (m_showTitle) {
        y += 6;
        const QFont f = SheetPalette::font(13, QFont::Bold);
        const double h = SheetText::lineHeight(f, dev);
        out.text(QRectF(0, y, width, h), QStringLiteral("Captures"), f, SheetPalette::ink());
        y += h + 8;
    }
    const double columnWidth = (width - 14 * (m_columns - 1)) / m_columns;
    const QFont titleFont = SheetPalette::font(9, QFont::Medium);
    const QFont readingFont = SheetPalette::font(8);
    const double th = SheetText::lineHeight(titleFont, dev);
    const double rh = SheetText::lineHeight(readingFont, dev);
    for (int row = 0; row * m_columns < m_captures.size(); ++row) {
        if (row > 0)
            y += 14;
        double rowHeight = 0;
        for (int col = 0; col < m_columns && row * m_columns + col < m_captures.size(); ++col) {
            const SheetCapture& capture = m_captures[row * m_columns + col];
            const double x = col * (columnWidth + 14);
            const QRectF tile(x, y, columnWidth, tileHeight(columnWidth));
            const QString imagePath = capture.imagePath;
            out.step([tile, imagePath](QPainter& p, const QPointF& origin) { drawTile(p, tile.translated(origin), imagePath); });
            double cy = tile.bottom() + 4;
            const QString title = QFontMetricsF(titleFont, dev).elidedText(capture.title.simplified(), Qt::ElideRight, columnWidth);
            out.text(QRectF(x, cy, columnWidth, th), title, titleFont, SheetPalette::ink(), Qt::AlignLeft);
            cy += th;
            if (const auto& reading = capture.reading) {
                cy += 4;
                const QString text = QFontMetricsF(readingFont, dev).elidedText(reading->simplified(), Qt::ElideRight, columnWidth);
                out.text(QRectF(x, cy, columnWidth, rh), text, readingFont, SheetPalette::accent(), Qt::AlignLeft);
                cy += rh;
            }
            rowHeight = std::max(rowHeight, cy - y);
        }
        y += rowHeight;
    }
    out.height = y;
    return out;
}

QStringList SheetCaptures::texts() const
{
    QStringList out;
    if (m_showTitle)
        out << QStringLiteral("Captures");
    for (const SheetCapture& c : m_captures) {
        out << c.title;
        if (c.reading)
            out << *c.reading;
    }
    return out;
}
