#include "Corvallen/Exports/SheetRenderer.h"

#include "Corvallen/Exports/SheetPalette.h"
#include "Corvallen/Model/DomainError.h"

#include <QBuffer>
#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QUuid>

namespace {

const QString creditText = QStringLiteral("Generated with Corvallen · corvallen.app");

QString pageText(int index, int count)
{
    return QStringLiteral("Page %1 of %2").arg(index + 1).arg(count);
}

QString compactTitle(const BusinessProfile& profile)
{
    return profile.name.isEmpty() ? QStringLiteral("Project sheet") : profile.name;
}

// The logo fitted into 170 x 50 with its shape kept.
QSizeF logoSize(const QImage& logo)
{
    if (logo.isNull() || logo.width() <= 0 || logo.height() <= 0)
        return {};
    const double scale = std::min(170.0 / logo.width(), 50.0 / logo.height());
    return QSizeF(logo.width() * scale, logo.height() * scale);
}

// Draws the full or compact header at the top of `area`; returns its height.
double drawHeader(QPainter& p, const QRectF& area, const BusinessProfile& profile, bool fullHeader)
{
    QPaintDevice* dev = p.device();
    if (!fullHeader) {
        const QFont f = SheetPalette::font(10, QFont::DemiBold);
        const double lh = SheetText::lineHeight(f, dev);
        SheetText::draw(p, QRectF(area.left(), area.top(), area.width(), lh), compactTitle(profile), f,
                        SheetPalette::secondary(), Qt::AlignLeft | Qt::AlignVCenter);
        SheetText::rule(p, QRectF(area.left(), area.top() + lh + 8, area.width(), 1), SheetPalette::rule());
        return lh + 8 + 1;
    }
    double y = area.top();
    if (profile.hasBranding()) {
        const QImage logo = profile.documentLogo();
        const QSizeF ls = logoSize(logo);
        const QFont nameFont = SheetPalette::font(18, QFont::Bold);
        const QFont tagFont = SheetPalette::font(10);
        const QFont contactFont = SheetPalette::font(9);
        const QStringList contacts = profile.contactLines();

        double contactWidth = 0;
        for (const QString& line : contacts)
            contactWidth = std::max(contactWidth, SheetText::textWidth(line, contactFont, dev));
        double x = area.left();
        if (!ls.isEmpty()) {
            p.drawImage(QRectF(QPointF(x, y), ls), logo);
            x += ls.width() + 12;
        }
        // The name column takes what the contact column and the minimum gap leave.
        const double nameWidth = std::max(0.0, area.right() - x - contactWidth - 8);
        double ny = y;
        double nameHeight = 0;
        if (!profile.name.isEmpty()) {
            const double h = SheetText::wrappedHeight(profile.name, nameFont, nameWidth, dev);
            SheetText::draw(p, QRectF(x, ny, nameWidth, h), profile.name, nameFont, SheetPalette::ink(),
                            Qt::AlignLeft | Qt::TextWordWrap);
            ny += h + 1;
            nameHeight = ny - y;
        }
        if (!profile.tagline.isEmpty()) {
            const double h = SheetText::wrappedHeight(profile.tagline, tagFont, nameWidth, dev);
            SheetText::draw(p, QRectF(x, ny, nameWidth, h), profile.tagline, tagFont, SheetPalette::secondary(),
                            Qt::AlignLeft | Qt::TextWordWrap);
            ny += h;
            nameHeight = ny - y;
        }
        double cy = y;
        const double clh = SheetText::lineHeight(contactFont, dev);
        for (const QString& line : contacts) {
            SheetText::draw(p, QRectF(area.right() - contactWidth, cy, contactWidth, clh), line, contactFont,
                            SheetPalette::secondary(), Qt::AlignRight | Qt::AlignVCenter);
            cy += clh + 1;
        }
        const double rowHeight = std::max({ls.height(), nameHeight, cy - y});
        y += rowHeight + 10;
    }
    SheetText::rule(p, QRectF(area.left(), y, area.width(), 1), SheetPalette::rule());
    return y + 1 - area.top();
}

// Draws the footer at the bottom of `area`.
void drawFooter(QPainter& p, const QRectF& area, int index, int count)
{
    const QFont f = SheetPalette::font(8);
    const double lh = SheetText::lineHeight(f, p.device());
    const double top = area.bottom() - lh - 6 - 1;
    SheetText::rule(p, QRectF(area.left(), top, area.width(), 1), SheetPalette::rule());
    const QRectF row(area.left(), top + 1 + 6, area.width(), lh);
    SheetText::draw(p, row, creditText, f, SheetPalette::secondary(), Qt::AlignLeft | Qt::AlignVCenter);
    SheetText::draw(p, row, pageText(index, count), f, SheetPalette::secondary(), Qt::AlignRight | Qt::AlignVCenter);
}

void drawPage(QPainter& p, const BusinessProfile& profile, const SheetPageEntry& entry, int index, int count)
{
    using namespace SheetRenderer;
    p.fillRect(QRectF(0, 0, pageWidth, pageHeight), Qt::white);
    const QRectF area(margin, margin, pageWidth - 2 * margin, pageHeight - 2 * margin);
    p.save();
    p.setClipRect(QRectF(0, 0, pageWidth, pageHeight));
    const double headerHeight = drawHeader(p, area, profile, entry.fullHeader);
    if (entry.view) {
        const QRectF content(area.left(), area.top() + headerHeight + 14, area.width(),
                             std::max(0.0, area.height() - headerHeight - 14));
        p.save();
        p.setClipRect(content.adjusted(-1, 0, 1, 0));
        entry.view->paint(p, content);
        p.restore();
    }
    drawFooter(p, area, index, count);
    p.restore();
}

DomainError pdfExportError()
{
    return DomainError(QStringLiteral("Corvallen.PDF"), 1, QStringLiteral("Couldn't create the PDF."));
}

}  // namespace

QStringList SheetRenderer::frameTexts(const BusinessProfile& profile, bool fullHeader, int pageIndex, int pageCount)
{
    QStringList out;
    if (fullHeader) {
        if (profile.hasBranding()) {
            if (!profile.name.isEmpty())
                out << profile.name;
            if (!profile.tagline.isEmpty())
                out << profile.tagline;
            out += profile.contactLines();
        }
    } else {
        out << compactTitle(profile);
    }
    out << creditText << pageText(pageIndex, pageCount);
    return out;
}

QString SheetRenderer::renderSheetPDF(const QList<SheetPageEntry>& pages, const BusinessProfile& profile,
                                      const QString& title)
{
    QByteArray data;
    {
        QBuffer buffer(&data);
        if (!buffer.open(QIODevice::WriteOnly))
            throw pdfExportError();
        QPdfWriter writer(&buffer);
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(QPageSize(QSizeF(pageWidth, pageHeight), QPageSize::Point),
                                         QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setCreator(QString());
        QPainter painter;
        if (!painter.begin(&writer))
            throw pdfExportError();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        for (int i = 0; i < pages.size(); ++i) {
            if (i > 0 && !writer.newPage())
                throw pdfExportError();
            drawPage(painter, profile, pages[i], i, int(pages.size()));
        }
        if (!painter.end())
            throw pdfExportError();
    }
    if (data.isEmpty())
        throw pdfExportError();

    const QString path = QDir(QDir::tempPath())
                             .filePath(title + QLatin1Char('-') + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()
                                       + QStringLiteral(".pdf"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        const QString message = file.errorString();
        file.cancelWriting();
        throw DomainError(QStringLiteral("QFileDevice"), int(file.error()), message);
    }
    return path;
}
