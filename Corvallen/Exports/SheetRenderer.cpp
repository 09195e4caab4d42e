#include "Corvallen/Exports/SheetRenderer.h"

#include "Corvallen/Exports/SheetPalette.h"
#include "Corvallen/Model/DomainError.h"

#include <QBuffer>
#include <QDir>
#include <QFontMetricsF>
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

constexpr int wrapLeft = Qt::AlignLeft | Qt::TextWordWrap;
constexpr int wrapRight = Qt::AlignRight | Qt::TextWordWrap;

// The most lines the branding may take, so that however long the business's name, tagline or
// address, the first page keeps most of its room for the project.
constexpr int maxNameLines = 3;
constexpr int maxTaglineLines = 2;
constexpr int maxContactEntries = 10;
constexpr int maxLinesPerContact = 2;

// The full or compact header, laid out once for its height and its drawing.
SheetLayout headerLayout(const BusinessProfile& profile, bool fullHeader, double width, QPaintDevice* dev)
{
    SheetLayout out;
    if (!fullHeader) {
        const QFont f = SheetPalette::font(10, QFont::DemiBold);
        const double lh = SheetText::lineHeight(f, dev);
        const QString title = QFontMetricsF(f, dev).elidedText(compactTitle(profile), Qt::ElideRight, width);
        out.text(QRectF(0, 0, width, lh), title, f, SheetPalette::secondary(), Qt::AlignLeft | Qt::AlignVCenter);
        out.rule(QRectF(0, lh + 8, width, 1), SheetPalette::rule());
        out.height = lh + 8 + 1;
        return out;
    }
    double y = 0;
    if (profile.hasBranding()) {
        const QImage logo = profile.documentLogo();
        const QSizeF ls = logoSize(logo);
        const QFont nameFont = SheetPalette::font(18, QFont::Bold);
        const QFont tagFont = SheetPalette::font(10);
        const QFont contactFont = SheetPalette::font(9);
        QStringList contacts = profile.contactLines();
        if (contacts.size() > maxContactEntries) {
            // The entries that don't get a line of their own share the last one.
            contacts[maxContactEntries - 1] = contacts.mid(maxContactEntries - 1).join(QStringLiteral(", "));
            contacts.resize(maxContactEntries);
        }

        double x = 0;
        if (!ls.isEmpty()) {
            out.step([logo, ls](QPainter& p, const QPointF& origin) { p.drawImage(QRectF(origin, ls), logo); });
            x += ls.width() + 12;
        }
        // The name column and the contact column share what the logo leaves, at least 8 apart.
        // When both want more than there is, the contact column keeps at most 45 % and both
        // wrap, so a long name beside a long address stays readable on both sides.
        const double available = std::max(0.0, width - x - 8);
        double nameNeed = 0;
        if (!profile.name.isEmpty())
            nameNeed = SheetText::textWidth(profile.name, nameFont, dev);
        if (!profile.tagline.isEmpty())
            nameNeed = std::max(nameNeed, SheetText::textWidth(profile.tagline, tagFont, dev));
        double contactNeed = 0;
        for (const QString& line : contacts)
            contactNeed = std::max(contactNeed, SheetText::textWidth(line, contactFont, dev) + 1);
        double contactWidth = contactNeed;
        if (nameNeed + contactNeed > available)
            contactWidth = std::min(contactNeed, std::max(available * 0.45, available - nameNeed));
        const double nameWidth = std::max(0.0, available - contactWidth);

        double ny = 0;
        if (!profile.name.isEmpty()) {
            const QString name = SheetText::capped(profile.name, nameFont, nameWidth, maxNameLines, dev);
            const double h = SheetText::wrappedHeight(name, nameFont, nameWidth, dev);
            out.text(QRectF(x, ny, nameWidth, h), name, nameFont, SheetPalette::ink(), wrapLeft);
            ny += h + 1;
        }
        if (!profile.tagline.isEmpty()) {
            const QString tagline = SheetText::capped(profile.tagline, tagFont, nameWidth, maxTaglineLines, dev);
            const double h = SheetText::wrappedHeight(tagline, tagFont, nameWidth, dev);
            out.text(QRectF(x, ny, nameWidth, h), tagline, tagFont, SheetPalette::secondary(), wrapLeft);
            ny += h;
        }
        double cy = 0;
        for (int i = 0; i < contacts.size(); ++i) {
            if (i > 0)
                cy += 1;
            const QString contact = SheetText::capped(contacts[i], contactFont, contactWidth, maxLinesPerContact, dev);
            const double h = SheetText::wrappedHeight(contact, contactFont, contactWidth, dev);
            out.text(QRectF(width - contactWidth, cy, contactWidth, h), contact, contactFont, SheetPalette::secondary(),
                     wrapRight);
            cy += h;
        }
        const double rowHeight = std::max({ls.height(), ny, cy});
        y += rowHeight + 10;
    }
    out.rule(QRectF(0, y, width, 1), SheetPalette::rule());
    out.height = y + 1;
    return out;
}

double footerHeight(QPaintDevice* dev)
{
    return 1 + 6 + SheetText::lineHeight(SheetPalette::font(8), dev);
}

// The room kept free between the content and the footer's rule.
constexpr double footerGap = 6;

// Draws the footer at the bottom of `area`.
void drawFooter(QPainter& p, const QRectF& area, int index, int count)
{
    const QFont f = SheetPalette::font(8);
    const double lh = SheetText::lineHeight(f, p.device());
    const double top = area.bottom() - footerHeight(p.device());
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
    const SheetLayout header = headerLayout(profile, entry.fullHeader, area.width(), p.device());
    header.paint(p, area.topLeft());
    if (entry.view) {
        const QRectF content(area.left(), area.top() + header.height + 14, area.width(),
                             std::max(0.0, area.height() - header.height - 14 - footerHeight(p.device()) - footerGap));
        entry.view->paint(p, content);
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

double SheetRenderer::contentHeight(const BusinessProfile& profile, bool fullHeader, QPaintDevice* device)
{
    const double header = headerLayout(profile, fullHeader, contentWidth, device).height;
    return std::max(0.0, pageHeight - 2 * margin - header - 14 - footerHeight(device) - footerGap);
}

double SheetRenderer::footerTop(QPaintDevice* device)
{
    return pageHeight - margin - footerHeight(device);
}

struct SheetRenderer::MeasureDevice::Private {
    QBuffer buffer;
    QPdfWriter writer{&buffer};
    Private()
    {
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(QPageSize(QSizeF(pageWidth, pageHeight), QPageSize::Point), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0)));
    }
};

SheetRenderer::MeasureDevice::MeasureDevice() : d(std::make_unique<Private>()) {}
SheetRenderer::MeasureDevice::~MeasureDevice() = default;
QPaintDevice* SheetRenderer::MeasureDevice::device() const { return &d->writer; }

void SheetRenderer::report(const SheetProgress& progress, double done)
{
    if (progress && !progress(done))
        throw DomainError(QStringLiteral("Corvallen.PDF"), 2, QStringLiteral("The export was stopped."));
}

SheetProgress SheetRenderer::share(const SheetProgress& progress, double from, double to)
{
    if (!progress)
        return {};
    return [progress, from, to](double done) { return progress(from + done * (to - from)); };
}

QString SheetRenderer::renderSheetPDF(const QList<SheetPageEntry>& pages, const BusinessProfile& profile,
                                      const QString& title, const SheetProgress& progress)
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
            report(progress, double(i + 1) / double(pages.size()));
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
