#include "Corvallen/Documents/MarkupFile.h"

#include "Corvallen/Documents/NoteAnnotations.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Platform/AppPaths.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
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

// A PDF of blank pages, one per shown page and of its size.
QByteArray blankPages(const MarkupDocument& document)
{
    QByteArray data;
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::WriteOnly))
        return {};
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setCreator(QString());
    auto layoutFor = [&](int i) {
        const QSizeF size = usableSize(document.pages[i]->size);
        return QPageLayout(QPageSize(size, QPageSize::Point), QPageLayout::Portrait, QMarginsF());
    };
    writer.setPageLayout(layoutFor(0));
    QPainter painter;
    if (!painter.begin(&writer))
        return {};
    for (int i = 1; i < document.pageCount(); ++i) {
        writer.setPageLayout(layoutFor(i));
        if (!writer.newPage())
            return {};
    }
    painter.end();
    buffer.close();
    return data;
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
        if (a.font)
            text->setTextFont(*a.font);
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
        a->subtypeName = QStringLiteral("Ink");
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
        a->subtypeName = QStringLiteral("Line");
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
        a->subtypeName = QStringLiteral("Highlight");
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
        a->subtypeName = QStringLiteral("FreeText");
        a->contents = source.contents();
        if (text.textColor().isValid())
            a->fontColor = text.textColor();
        a->font = text.textFont();
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

bool writeMarkupOverlay(const MarkupDocument& document, const QString& key)
{
    const QString filePath = path(key);
    if (filePath.isEmpty() || document.pageCount() == 0)
        return false;
    const QByteArray blank = blankPages(document);
    if (blank.isEmpty())
        return false;
    std::unique_ptr<Poppler::Document> pdf = Poppler::Document::loadFromData(blank);
    if (!pdf || pdf->numPages() != document.pageCount())
        return false;
    for (int i = 0; i < document.pageCount(); ++i) {
        std::unique_ptr<Poppler::Page> page = pdf->page(i);
        if (!page)
            return false;
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
            return false;
    }
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return false;
    return file.commit();
}

QList<QList<MarkupAnnotationRef>> readMarkupFile(const QString& filePath)
{
    QList<QList<MarkupAnnotationRef>> out;
    if (filePath.isEmpty() || !QFile::exists(filePath))
        return out;
    std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(filePath);
    if (!pdf || pdf->isLocked())
        return out;
    for (int i = 0; i < pdf->numPages(); ++i) {
        QList<MarkupAnnotationRef> page;
        if (std::unique_ptr<Poppler::Page> p = pdf->page(i)) {
            const QSizeF size = p->pageSizeF();
            for (const auto& ann : p->annotations()) {
                if (MarkupAnnotationRef copy = cloneMarkupAnnotation(*ann, size))
                    page.append(copy);
            }
        }
        out.append(page);
    }
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

void installThumbnailHooks()
{
    DocumentFileStore::ThumbnailMarkupHooks hooks;
    hooks.loadMarkupOverlay = [](Poppler::Document& pdf, const QString& key) { loadMarkupOverlay(pdf, key); };
    DocumentFileStore::setThumbnailMarkupHooks(std::move(hooks));
}

}  // namespace MarkupFile
