#include "Corvallen/Exports/ProjectSheetBlocks.h"

#include "Corvallen/Exports/SheetFormat.h"
#include "Corvallen/Exports/SheetPalette.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Sync/DeviceStorage.h"

#include <QDir>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>

namespace {

const QString emDash = QStringLiteral("—");

QString projectTitle(const Project* p)
{
    return p->name().isEmpty() ? QStringLiteral("Untitled Project") : p->name();
}

struct Figure {
    QString label;
    int count;
};

QList<Figure> figures(const Project* p)
{
    return {{QStringLiteral("Parts"), int(p->parts().size())},
            {QStringLiteral("Captures"), int(p->captures().size())},
            {QStringLiteral("Files"), int(p->attachments().size())}};
}

// Column geometry of the parts table: number 18, component (rest), quantity 34, category 130,
// 8 points apart.
struct BomColumns {
    double number, component, quantity, category;
    double xNumber, xComponent, xQuantity, xCategory;
    explicit BomColumns(const QRectF& r)
    {
        number = 18;
        quantity = 34;
        category = 130;
        component = std::max(20.0, r.width() - number - quantity - category - 3 * 8);
        xNumber = r.left();
        xComponent = xNumber + number + 8;
        xQuantity = xComponent + component + 8;
        xCategory = xQuantity + quantity + 8;
    }
};

QString categoryText(const ProjectComponent* line)
{
    const Component* c = line->component();
    if (!c || !c->category())
        return emDash;
    return *c->category();
}

QString manufacturerText(const ProjectComponent* line)
{
    const Component* c = line->component();
    if (!c || !c->manufacturer())
        return {};
    return *c->manufacturer();
}

double bomRowHeight(const ProjectComponent* line, double componentWidth, QPaintDevice* dev)
{
    const QString name = line->component() ? line->component()->name() : emDash;
    double h = SheetText::wrappedHeight(name, SheetPalette::font(10, QFont::Medium), componentWidth, dev);
    if (!manufacturerText(line).isEmpty())
        h += SheetText::lineHeight(SheetPalette::font(8), dev);
    return std::max(h, SheetText::lineHeight(SheetPalette::font(10), dev));
}

}  // namespace

// MARK: overview

double SheetOverview::height(double width, QPaintDevice* dev) const
{
    double h = SheetText::wrappedHeight(projectTitle(m_project), SheetPalette::font(24, QFont::Bold), width, dev);
    h += SheetText::lineHeight(SheetPalette::font(10), dev);
    if (!m_project->details().isEmpty())
        h += 10 + 2 + SheetText::wrappedHeight(m_project->details(), SheetPalette::font(11), width, dev);
    h += 10 + 4 + SheetText::lineHeight(SheetPalette::font(16, QFont::DemiBold), dev) + 1
         + SheetText::lineHeight(SheetPalette::font(8, QFont::Medium), dev);
    return h;
}

void SheetOverview::paint(QPainter& p, const QRectF& r) const
{
    QPaintDevice* dev = p.device();
    double y = r.top();
    const QFont nameFont = SheetPalette::font(24, QFont::Bold);
    double h = SheetText::wrappedHeight(projectTitle(m_project), nameFont, r.width(), dev);
    SheetText::draw(p, QRectF(r.left(), y, r.width(), h), projectTitle(m_project), nameFont, SheetPalette::ink(),
                    Qt::AlignLeft | Qt::TextWordWrap);
    y += h + 10;
    const QFont dateFont = SheetPalette::font(10);
    h = SheetText::lineHeight(dateFont, dev);
    SheetText::draw(p, QRectF(r.left(), y, r.width(), h), SheetFormat::longDateText(m_project->createdAt().date()),
                    dateFont, SheetPalette::secondary(), Qt::AlignLeft);
    y += h;
    if (!m_project->details().isEmpty()) {
        y += 10 + 2;
        const QFont f = SheetPalette::font(11);
        h = SheetText::wrappedHeight(m_project->details(), f, r.width(), dev);
        SheetText::draw(p, QRectF(r.left(), y, r.width(), h), m_project->details(), f, SheetPalette::ink(),
                        Qt::AlignLeft | Qt::TextWordWrap);
        y += h;
    }
    y += 10 + 4;
    const QFont countFont = SheetPalette::font(16, QFont::DemiBold);
    QFont labelFont = SheetPalette::font(8, QFont::Medium);
    double x = r.left();
    for (const Figure& f : figures(m_project)) {
        const QString count = QString::number(f.count);
        const QString label = f.label.toUpper();
        const double w = std::max(SheetText::textWidth(count, countFont, dev), SheetText::textWidth(label, labelFont, dev));
        const double ch = SheetText::lineHeight(countFont, dev);
        SheetText::draw(p, QRectF(x, y, w + 2, ch), count, countFont, SheetPalette::accent(), Qt::AlignLeft);
        SheetText::draw(p, QRectF(x, y + ch + 1, w + 2, SheetText::lineHeight(labelFont, dev)), label, labelFont,
                        SheetPalette::secondary(), Qt::AlignLeft);
        x += w + 20;
    }
}

QStringList SheetOverview::texts() const
{
    QStringList out{projectTitle(m_project), SheetFormat::longDateText(m_project->createdAt().date())};
    if (!m_project->details().isEmpty())
        out << m_project->details();
    for (const Figure& f : figures(m_project))
        out << QString::number(f.count) << f.label.toUpper();
    return out;
}

// MARK: parts table

double SheetBOMTable::height(double width, QPaintDevice* dev) const
{
    const BomColumns cols(QRectF(0, 0, width, 0));
    double h = 0;
    if (m_showTitle)
        h += 6 + SheetText::lineHeight(SheetPalette::font(13, QFont::Bold), dev) + 6;
    h += SheetText::lineHeight(SheetPalette::font(8, QFont::DemiBold), dev) + 6 + 1;
    for (const ProjectComponent* line : m_rows)
        h += 6 + bomRowHeight(line, cols.component, dev) + 6 + 0.5;
    return h;
}

void SheetBOMTable::paint(QPainter& p, const QRectF& r) const
{
    QPaintDevice* dev = p.device();
    const BomColumns c(r);
    double y = r.top();
    if (m_showTitle) {
        y += 6;
        const QFont f = SheetPalette::font(13, QFont::Bold);
        const double h = SheetText::lineHeight(f, dev);
        SheetText::draw(p, QRectF(r.left(), y, r.width(), h), QStringLiteral("Bill of Materials"), f, SheetPalette::ink());
        y += h + 6;
    }
    const QFont hf = SheetPalette::font(8, QFont::DemiBold);
    const double hh = SheetText::lineHeight(hf, dev);
    const QColor sec = SheetPalette::secondary();
    SheetText::draw(p, QRectF(c.xNumber, y, c.number, hh), QStringLiteral("#"), hf, sec, Qt::AlignLeft);
    SheetText::draw(p, QRectF(c.xComponent, y, c.component, hh), QStringLiteral("COMPONENT"), hf, sec, Qt::AlignLeft);
    SheetText::draw(p, QRectF(c.xQuantity, y, c.quantity, hh), QStringLiteral("QTY"), hf, sec, Qt::AlignRight);
    SheetText::draw(p, QRectF(c.xCategory, y, c.category, hh), QStringLiteral("CATEGORY"), hf, sec, Qt::AlignLeft);
    y += hh + 6;
    SheetText::rule(p, QRectF(r.left(), y, r.width(), 1), SheetPalette::rule());
    y += 1;
    const QFont nameFont = SheetPalette::font(10, QFont::Medium);
    const QFont makerFont = SheetPalette::font(8);
    const QFont bodyFont = SheetPalette::font(10);
    const QFont catFont = SheetPalette::font(9);
    for (int i = 0; i < m_rows.size(); ++i) {
        const ProjectComponent* line = m_rows[i];
        y += 6;
        const double rh = bomRowHeight(line, c.component, dev);
        const QString name = line->component() ? line->component()->name() : emDash;
        SheetText::draw(p, QRectF(c.xNumber, y, c.number + 8, rh), QString::number(m_startNumber + i), bodyFont, sec,
                        Qt::AlignLeft | Qt::AlignVCenter);
        const double nh = SheetText::wrappedHeight(name, nameFont, c.component, dev);
        const QString maker = manufacturerText(line);
        const double mh = maker.isEmpty() ? 0 : SheetText::lineHeight(makerFont, dev);
        const double top = y + (rh - nh - mh) / 2;
        SheetText::draw(p, QRectF(c.xComponent, top, c.component, nh), name, nameFont, SheetPalette::ink(),
                        Qt::AlignLeft | Qt::TextWordWrap);
        if (!maker.isEmpty())
            SheetText::draw(p, QRectF(c.xComponent, top + nh, c.component, mh), maker, makerFont, sec, Qt::AlignLeft);
        SheetText::draw(p, QRectF(c.xQuantity, y, c.quantity, rh), QString::number(line->quantity()), bodyFont,
                        SheetPalette::ink(), Qt::AlignRight | Qt::AlignVCenter);
        SheetText::draw(p, QRectF(c.xCategory, y, c.category, rh), categoryText(line), catFont, sec,
                        Qt::AlignLeft | Qt::AlignVCenter);
        y += rh + 6;
        SheetText::rule(p, QRectF(r.left(), y, r.width(), 0.5), SheetPalette::rule());
        y += 0.5;
    }
}

QStringList SheetBOMTable::texts() const
{
    QStringList out;
    if (m_showTitle)
        out << QStringLiteral("Bill of Materials");
    out << QStringLiteral("#") << QStringLiteral("COMPONENT") << QStringLiteral("QTY") << QStringLiteral("CATEGORY");
    for (int i = 0; i < m_rows.size(); ++i) {
        const ProjectComponent* line = m_rows[i];
        out << QString::number(m_startNumber + i) << (line->component() ? line->component()->name() : emDash);
        if (!manufacturerText(line).isEmpty())
            out << manufacturerText(line);
        out << QString::number(line->quantity()) << categoryText(line);
    }
    return out;
}

// MARK: captures grid

namespace {
double tileHeight(double columnWidth)
{
    return columnWidth * 17.0 / 30.0;
}
double cellHeight(const Capture* capture, double columnWidth, QPaintDevice* dev)
{
    double h = tileHeight(columnWidth) + 4 + SheetText::lineHeight(SheetPalette::font(9, QFont::Medium), dev);
    if (SheetFormat::captureReadingText(capture))
        h += 4 + SheetText::lineHeight(SheetPalette::font(8), dev);
    return h;
}
}  // namespace

double SheetCaptures::height(double width, QPaintDevice* dev) const
{
    const double columnWidth = (width - 14 * (m_columns - 1)) / m_columns;
    double h = 0;
    if (m_showTitle)
        h += 6 + SheetText::lineHeight(SheetPalette::font(13, QFont::Bold), dev) + 8;
    for (int row = 0; row * m_columns < m_captures.size(); ++row) {
        if (row > 0)
            h += 14;
        double rh = 0;
        for (int c = 0; c < m_columns && row * m_columns + c < m_captures.size(); ++c)
            rh = std::max(rh, cellHeight(m_captures[row * m_columns + c], columnWidth, dev));
        h += rh;
    }
    return h;
}

void SheetCaptures::paint(QPainter& p, const QRectF& r) const
{
    QPaintDevice* dev = p.device();
    double y = r.top();
    if (m_showTitle) {
        y += 6;
        const QFont f = SheetPalette::font(13, QFont::Bold);
        const double h = SheetText::lineHeight(f, dev);
        SheetText::draw(p, QRectF(r.left(), y, r.width(), h), QStringLiteral("Captures"), f, SheetPalette::ink());
        y += h + 8;
    }
    const double columnWidth = (r.width() - 14 * (m_columns - 1)) / m_columns;
    const QString folder = DeviceStorage::capturesFolder();
    const QFont titleFont = SheetPalette::font(9, QFont::Medium);
    const QFont readingFont = SheetPalette::font(8);
    for (int row = 0; row * m_columns < m_captures.size(); ++row) {
        if (row > 0)
            y += 14;
        double rowHeight = 0;
        for (int col = 0; col < m_columns && row * m_columns + col < m_captures.size(); ++col) {
            const Capture* capture = m_captures[row * m_columns + col];
            const double x = r.left() + col * (columnWidth + 14);
            const QRectF tile(x, y, columnWidth, tileHeight(columnWidth));
            QPainterPath outline;
            outline.addRoundedRect(tile, 6, 6);
            p.save();
            p.setClipPath(outline, Qt::IntersectClip);
            p.fillRect(tile, QColor::fromRgbF(0.95f, 0.95f, 0.95f));
            QImageReader reader(QDir(folder).filePath(capture->fileName()));
            const QImage image = capture->fileName().isEmpty() ? QImage() : reader.read();
            if (!image.isNull()) {
                const double scale = std::min(tile.width() / image.width(), tile.height() / image.height());
                QSizeF size(image.width() * scale, image.height() * scale);
                QRectF target(QPointF(tile.center().x() - size.width() / 2, tile.center().y() - size.height() / 2), size);
                p.drawImage(target, image);
            }
            p.restore();
            p.save();
            p.setPen(QPen(SheetPalette::rule(), 1));
            p.setBrush(Qt::NoBrush);
            p.drawPath(outline);
            p.restore();
            double cy = tile.bottom() + 4;
            const double th = SheetText::lineHeight(titleFont, dev);
            const QString title = QFontMetricsF(titleFont, dev).elidedText(capture->title(), Qt::ElideRight, columnWidth);
            SheetText::draw(p, QRectF(x, cy, columnWidth, th), title, titleFont, SheetPalette::ink(), Qt::AlignLeft);
            cy += th;
            if (const auto reading = SheetFormat::captureReadingText(capture)) {
                cy += 4;
                const double rh = SheetText::lineHeight(readingFont, dev);
                SheetText::draw(p, QRectF(x, cy, columnWidth, rh), *reading, readingFont, SheetPalette::accent(),
                                Qt::AlignLeft);
                cy += rh;
            }
            rowHeight = std::max(rowHeight, cy - y);
        }
        y += rowHeight;
    }
}

QStringList SheetCaptures::texts() const
{
    QStringList out;
    if (m_showTitle)
        out << QStringLiteral("Captures");
    for (const Capture* c : m_captures) {
        out << c->title();
        if (const auto reading = SheetFormat::captureReadingText(c))
            out << *reading;
    }
    return out;
}
