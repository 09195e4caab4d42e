#include "Corvallen/Documents/MarkupFile.h"

#include "Corvallen/Documents/MarkupPainter.h"
#include "Corvallen/Documents/NoteAnnotations.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Platform/AppPaths.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>

#include <poppler/qt6/poppler-annotation.h>
#include <poppler/qt6/poppler-qt6.h>

namespace MarkupFile {

namespace {

// Page points (origin lower left, y up) to poppler's page fractions (origin upper left, y down).
QPointF toNormalized(const QPointF& p, const QSizeF& size)
{
    return QPointF(p.x() / size.width(), 1.0 - p.y() / size.height());
}
QPointF fromNormalized(const QPointF& p, const QSizeF& size)
{
    return QPointF(p.x() * size.width(), (1.0 - p.y()) * size.height());
}
QRectF toNormalized(const QRectF& r, const QSizeF& size)
{
    return QRectF(toNormalized(QPointF(r.left(), r.bottom()), size), toNormalized(QPointF(r.right(), r.top()), size))
        .normalized();
}
QRectF fromNormalized(const QRectF& r, const QSizeF& size)
{
    return QRectF(fromNormalized(r.topLeft(), size), fromNormalized(r.bottomRight(), size)).normalized();
}

QSizeF usableSize(QSizeF size)
{
    if (!(size.width() > 0) || !(size.height() > 0))
        return QSizeF(612, 792);
    return size;
}

MarkupLineEnd lineEndFrom(Poppler::LineAnnotation::TermStyle s)
{
    switch (s) {
    case Poppler::LineAnnotation::Square: return MarkupLineEnd::square;
    case Poppler::LineAnnotation::Circle: return MarkupLineEnd::circle;
    case Poppler::LineAnnotation::Diamond: return MarkupLineEnd::diamond;
    case Poppler::LineAnnotation::OpenArrow: return MarkupLineEnd::openArrow;
    case Poppler::LineAnnotation::ClosedArrow: return MarkupLineEnd::closedArrow;
    default: return MarkupLineEnd::none;
    }
}
Poppler::LineAnnotation::TermStyle lineEndTo(MarkupLineEnd e)
{
    switch (e) {
    case MarkupLineEnd::square: return Poppler::LineAnnotation::Square;
    case MarkupLineEnd::circle: return Poppler::LineAnnotation::Circle;
    case MarkupLineEnd::diamond: return Poppler::LineAnnotation::Diamond;
    case MarkupLineEnd::openArrow: return Poppler::LineAnnotation::OpenArrow;
    case MarkupLineEnd::closedArrow: return Poppler::LineAnnotation::ClosedArrow;
    default: return Poppler::LineAnnotation::None;
    }
}

// The face note texts are written with: one of the standard faces every PDF reader has, so the
// file carries no font of its own.
const QString noteFileFace = QStringLiteral("Helvetica");

// A PDF of blank pages, one per shown page and of its size. Its form resources name the standard
// face under the key poppler looks for first, so that writing a note's appearance refers to that
// face instead of embedding a whole font file.
QByteArray blankPages(const MarkupDocument& document)
{
    QByteArray out = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
    QList<qsizetype> offsets;
    auto object = [&](const QByteArray& body) {
        offsets.append(out.size());
        out += QByteArray::number(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    const int pages = document.pageCount();
    // Poppler matches the face by family and style name; depending on its version the name of a
    // face without a style carries a trailing space ("#20"), so both spellings are listed.
    const QByteArray face = noteFileFace.toLatin1();
    auto font = [](const QByteArray& baseFont) {
        return "<< /Type /Font /Subtype /Type1 /BaseFont /" + baseFont + " /Encoding /WinAnsiEncoding >>";
    };
    object("<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [] /DA (/popplerfont0 12 Tf 0 g) /DR << /Font << "
           "/popplerfont0 " + font(face) + " /popplerfont1 " + font(face + "#20") + " >> >> >> >>");
    QByteArray kids;
    for (int i = 0; i < pages; ++i)
        kids += QByteArray::number(3 + i) + " 0 R ";
    object("<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>");
    for (int i = 0; i < pages; ++i) {
        const QSizeF size = usableSize(document.pages[i]->size);
        object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + QByteArray::number(size.width(), 'f', 3) + " "
               + QByteArray::number(size.height(), 'f', 3) + "] /Resources << >> >>");
    }
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n"
           + QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

// A markup file that is there but can't be read was never shown, so the markup about to be
// written lacks whatever it holds: it is moved aside (beside it, under a dated name) instead of
// being replaced. False, with the reason, when it can't be moved.
bool keepUnreadableAside(const QString& filePath, QString* error)
{
    const QFileInfo info(filePath);
    if (!info.isFile() || info.size() == 0)
        return true;
    if (std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(filePath); pdf && !pdf->isLocked())
        return true;
    const QString stem = filePath + QStringLiteral(".unreadable-")
                         + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = stem + QStringLiteral(".pdf");
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = stem + QLatin1Char('-') + QString::number(n) + QStringLiteral(".pdf");
    if (QFile::rename(filePath, aside))
        return true;
    if (error)
        *error = QStringLiteral("The markup saved before couldn't be read, and couldn't be moved aside to keep it.");
    return false;
}

}  // namespace

QString path(const QString& key)
{
    const QString name = key + QStringLiteral(".markup.pdf");
    if (key.isEmpty() || !AppPaths::isPlainFileName(name))
        return {};
    return QDir(DocumentFileStore::documentsFolder()).filePath(name);
}

std::unique_ptr<Poppler::Annotation> toPoppler(const MarkupAnnotation& a, const QSizeF& pageSize)
{
    const QSizeF size = usableSize(pageSize);
    std::unique_ptr<Poppler::Annotation> out;
    Poppler::Annotation::Style style;
    if (a.color)
        style.setColor(*a.color);
    switch (a.kind) {
    case MarkupKind::ink: {
        auto ink = std::make_unique<Poppler::InkAnnotation>();
        QList<QVector<QPointF>> paths;
        for (const QPolygonF& path : a.paths) {
            QVector<QPointF> points;
            for (const QPointF& p : path)
                points.append(toNormalized(p, size));
            paths.append(points);
        }
        ink->setInkPaths(paths);
        style.setWidth(a.borderWidth.value_or(0));
        out = std::move(ink);
        break;
    }
    case MarkupKind::line: {
        auto line = std::make_unique<Poppler::LineAnnotation>(Poppler::LineAnnotation::StraightLine);
        line->setLinePoints({toNormalized(a.startPoint, size), toNormalized(a.endPoint, size)});
        line->setLineStartStyle(lineEndTo(a.startLineEnd));
        line->setLineEndStyle(lineEndTo(a.endLineEnd));
        if (a.interiorColor)
            line->setLineInnerColor(*a.interiorColor);
        style.setWidth(a.borderWidth.value_or(0));
        out = std::move(line);
        break;
    }
    case MarkupKind::highlight: {
        auto hl = std::make_unique<Poppler::HighlightAnnotation>();
        hl->setHighlightType(Poppler::HighlightAnnotation::Highlight);
        QList<QPolygonF> areas = a.quadrilateralPoints;
        if (areas.isEmpty())
            areas.append(QPolygonF(a.bounds));
        QList<Poppler::HighlightAnnotation::Quad> quads;
        for (const QPolygonF& area : areas) {
            const QRectF r = area.boundingRect();
            Poppler::HighlightAnnotation::Quad q{};
            // Upper left, upper right, lower right, lower left, as viewers expect them.
            q.points[0] = toNormalized(QPointF(r.left(), r.bottom()), size);
            q.points[1] = toNormalized(QPointF(r.right(), r.bottom()), size);
            q.points[2] = toNormalized(QPointF(r.right(), r.top()), size);
            q.points[3] = toNormalized(QPointF(r.left(), r.top()), size);
            q.capStart = q.capEnd = false;
            q.feather = 0.1;
            quads.append(q);
        }
        hl->setHighlightQuads(quads);
        out = std::move(hl);
        break;
    }
    case MarkupKind::freeText: {
        auto text = std::make_unique<Poppler::TextAnnotation>(Poppler::TextAnnotation::InPlace);
        if (a.fontColor)
            text->setTextColor(*a.fontColor);
        // The standard face at the note's size; the viewer draws notes in its own face anyway.
        QFont face(noteFileFace);
        face.setPointSizeF(a.font && a.font->pointSizeF() > 0 ? a.font->pointSizeF() : NoteAnnotations::noteFont().pointSizeF());
        text->setTextFont(face);
        out = std::move(text);
        break;
    }
    case MarkupKind::other:
        return nullptr;
    }
    out->setStyle(style);
    out->setBoundary(toNormalized(a.bounds, size));
    if (a.kind == MarkupKind::freeText)
        out->setContents(a.contents);
    return out;
}

MarkupAnnotationRef cloneMarkupAnnotation(const Poppler::Annotation& source, const QSizeF& pageSize)
{
    const QSizeF size = usableSize(pageSize);
    auto a = std::make_shared<MarkupAnnotation>();
    a->bounds = fromNormalized(source.boundary(), size);
    const QColor color = source.style().color();
    if (color.isValid())
        a->color = color;
    switch (source.subType()) {
    case Poppler::Annotation::AInk: {
        const auto& ink = static_cast<const Poppler::InkAnnotation&>(source);
        a->kind = MarkupKind::ink;
        a->borderWidth = source.style().width();
        for (const QVector<QPointF>& path : ink.inkPaths()) {
            QPolygonF poly;
            for (const QPointF& p : path)
                poly.append(fromNormalized(p, size));
            a->paths.append(poly);
        }
        return a;
    }
    case Poppler::Annotation::ALine: {
        const auto& line = static_cast<const Poppler::LineAnnotation&>(source);
        const QVector<QPointF> points = line.linePoints();
        if (line.lineType() != Poppler::LineAnnotation::StraightLine || points.size() < 2)
            return nullptr;
        a->kind = MarkupKind::line;
        a->startPoint = fromNormalized(points.first(), size);
        a->endPoint = fromNormalized(points.last(), size);
        a->startLineEnd = lineEndFrom(line.lineStartStyle());
        a->endLineEnd = lineEndFrom(line.lineEndStyle());
        if (line.lineInnerColor().isValid())
            a->interiorColor = line.lineInnerColor();
        a->borderWidth = source.style().width();
        return a;
    }
    case Poppler::Annotation::AHighlight: {
        const auto& hl = static_cast<const Poppler::HighlightAnnotation&>(source);
        if (hl.highlightType() != Poppler::HighlightAnnotation::Highlight)
            return nullptr;
        a->kind = MarkupKind::highlight;
        for (const auto& q : hl.highlightQuads()) {
            QPolygonF poly;
            for (const QPointF& p : q.points)
                poly.append(fromNormalized(p, size));
            a->quadrilateralPoints.append(poly);
        }
        return a;
    }
    case Poppler::Annotation::AText: {
        const auto& text = static_cast<const Poppler::TextAnnotation&>(source);
        if (text.textType() != Poppler::TextAnnotation::InPlace)
            return nullptr;
        a->kind = MarkupKind::freeText;
        a->contents = source.contents();
        if (text.textColor().isValid())
            a->fontColor = text.textColor();
        // The file names a standard face; the note keeps its size in the viewer's face.
        QFont font = NoteAnnotations::noteFont();
        if (const double size = text.textFont().pointSizeF(); size > 0)
            font.setPointSizeF(size);
        a->font = font;
        return a;
    }
    default:
        return nullptr;
    }
}

MarkupDocument pagesOf(const Poppler::Document& pdf)
{
    MarkupDocument doc;
    for (int i = 0; i < pdf.numPages(); ++i) {
        auto page = std::make_shared<MarkupPage>();
        if (std::unique_ptr<Poppler::Page> p = pdf.page(i)) {
            page->size = p->pageSizeF();
            switch (p->orientation()) {
            case Poppler::Page::Landscape: page->rotation = 90; break;
            case Poppler::Page::UpsideDown: page->rotation = 180; break;
            case Poppler::Page::Seascape: page->rotation = 270; break;
            default: page->rotation = 0; break;
            }
        }
        page->size = usableSize(page->size);
        doc.pages.append(page);
    }
    return doc;
}

namespace {

// The pages of a markup file with their sizes and kept annotations; empty when the file is
// missing or is no readable PDF.
QList<MarkupPageRef> readMarkupPages(const QString& filePath)
{
    QList<MarkupPageRef> out;
    if (filePath.isEmpty() || !QFile::exists(filePath))
        return out;
    std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(filePath);
    if (!pdf || pdf->isLocked())
        return out;
    for (int i = 0; i < pdf->numPages(); ++i) {
        auto page = std::make_shared<MarkupPage>();
        if (std::unique_ptr<Poppler::Page> p = pdf->page(i)) {
            page->size = p->pageSizeF();
            for (const auto& ann : p->annotations()) {
                if (MarkupAnnotationRef copy = cloneMarkupAnnotation(*ann, page->size))
                    page->add(copy);
            }
        }
        out.append(page);
    }
    return out;
}

}  // namespace

bool writeMarkupOverlay(const MarkupDocument& shown, const QString& key, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QString filePath = path(key);
    if (filePath.isEmpty())
        return fail(QStringLiteral("The markup has no valid file name."));
    if (shown.pageCount() == 0)
        return fail(QStringLiteral("The document has no pages."));
    // The file may hold pages the shown document lacks (the document was replaced by a shorter
    // version): their markup can't be shown, but it is the user's, so it is written back as it
    // was, after the shown pages.
    MarkupDocument document = shown;
    const QList<MarkupPageRef> stored = readMarkupPages(filePath);
    for (qsizetype i = shown.pageCount(); i < stored.size(); ++i)
        document.pages.append(stored[i]);
    std::unique_ptr<Poppler::Document> pdf = Poppler::Document::loadFromData(blankPages(document));
    if (!pdf || pdf->numPages() != document.pageCount())
        return fail(QStringLiteral("The markup pages could not be prepared."));
    for (int i = 0; i < document.pageCount(); ++i) {
        std::unique_ptr<Poppler::Page> page = pdf->page(i);
        if (!page)
            return fail(QStringLiteral("The markup pages could not be prepared."));
        for (const MarkupAnnotationRef& a : document.pages[i]->annotations) {
            std::unique_ptr<Poppler::Annotation> converted = toPoppler(*a, document.pages[i]->size);
            if (converted)
                page->addAnnotation(converted.get());
        }
    }
    QByteArray data;
    {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        std::unique_ptr<Poppler::PDFConverter> converter = pdf->pdfConverter();
        converter->setOutputDevice(&buffer);
        converter->setPDFOptions(Poppler::PDFConverter::WithChanges);
        if (!converter->convert())
            return fail(QStringLiteral("The markup could not be written as a PDF."));
    }
    if (!keepUnreadableAside(filePath, error))
        return false;
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        return fail(file.errorString());
    return true;
}

QList<QList<MarkupAnnotationRef>> readMarkupFile(const QString& filePath)
{
    QList<QList<MarkupAnnotationRef>> out;
    for (const MarkupPageRef& page : readMarkupPages(filePath))
        out.append(page->annotations);
    return out;
}

void loadMarkupOverlay(MarkupDocument& document, const QString& key)
{
    const auto pages = readMarkupFile(path(key));
    const int n = std::min(int(pages.size()), document.pageCount());
    for (int i = 0; i < n; ++i) {
        for (const MarkupAnnotationRef& a : pages[i])
            document.pages[i]->add(a);
    }
}

void loadMarkupOverlay(Poppler::Document& pdf, const QString& key)
{
    const auto pages = readMarkupFile(path(key));
    const int n = std::min(int(pages.size()), pdf.numPages());
    for (int i = 0; i < n; ++i) {
        std::unique_ptr<Poppler::Page> page = pdf.page(i);
        if (!page)
            continue;
        const QSizeF size = page->pageSizeF();
        for (const MarkupAnnotationRef& a : pages[i]) {
            if (a->kind == MarkupKind::freeText)
                NoteAnnotations::styleAsNote(*a);
            if (auto converted = toPoppler(*a, size))
                page->addAnnotation(converted.get());
        }
    }
}

void drawFirstPageMarkup(QImage& image, const QSizeF& pageSize, const QString& key)
{
    const auto pages = readMarkupFile(path(key));
    if (pages.isEmpty() || pageSize.isEmpty())
        return;
    MarkupPage page;
    page.size = pageSize;
    page.annotations = pages.first();
    for (const MarkupAnnotationRef& a : page.annotations)
        if (a->kind == MarkupKind::freeText)
            NoteAnnotations::styleAsNote(*a);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double scale = image.width() / image.devicePixelRatio() / pageSize.width();
    MarkupPainter::drawPage(painter, page, {QPointF(0, 0), scale, pageSize.height()});
}

void installThumbnailHooks()
{
    DocumentFileStore::ThumbnailMarkupHooks hooks;
    hooks.loadMarkupOverlay = [](Poppler::Document& pdf, const QString& key) { loadMarkupOverlay(pdf, key); };
    hooks.drawMarkup = drawFirstPageMarkup;
    DocumentFileStore::setThumbnailMarkupHooks(std::move(hooks));
}

}  // namespace MarkupFile
