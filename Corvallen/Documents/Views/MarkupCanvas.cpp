#include "Corvallen/Documents/Views/MarkupCanvas.h"

#include "Corvallen/Documents/MarkupPainter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>

#include <poppler/qt6/poppler-qt6.h>

#include <cmath>

namespace {
constexpr double pageGap = 12;
constexpr double margin = 16;

double distanceToSegment(const QPointF& p, const QPointF& a, const QPointF& b)
{
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    double t = len2 > 0 ? QPointF::dotProduct(p - a, ab) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF q = a + t * ab;
    return std::hypot(p.x() - q.x(), p.y() - q.y());
}

QScrollArea* scrollAreaOf(QWidget* w)
{
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(p))
            return area;
    return nullptr;
}
}  // namespace

MarkupCanvas::MarkupCanvas(PDFMarkupController* controller, QWidget* parent) : QWidget(parent), m_controller(controller)
{
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    connect(controller, &PDFMarkupController::markupChanged, this, qOverload<>(&QWidget::update));
    connect(controller, &PDFMarkupController::stateChanged, this, [this] {
        switch (m_controller->mode()) {
        case MarkupMode::pan: setCursor(Qt::OpenHandCursor); break;
        case MarkupMode::select: setCursor(Qt::IBeamCursor); break;
        case MarkupMode::pen:
        case MarkupMode::note: setCursor(Qt::CrossCursor); break;
        case MarkupMode::eraser: setCursor(Qt::PointingHandCursor); break;
        }
    });
    connect(controller, &PDFMarkupController::selectionCleared, this, [this] {
        m_selectionLines.clear();
        update();
    });
    setCursor(Qt::OpenHandCursor);
}

MarkupCanvas::~MarkupCanvas() = default;

void MarkupCanvas::setPdf(std::shared_ptr<Poppler::Document> pdf, PageRenderer::Opener openForRendering)
{
    m_pdf = std::move(pdf);
    m_renderer.reset();
    if (m_pdf && openForRendering) {
        m_renderer = std::make_unique<PageRenderer>(std::move(openForRendering), pageCacheBytes);
        connect(m_renderer.get(), &PageRenderer::pageReady, this, [this](int page) {
            const QRectF r = pageRect(page);
            if (!r.isEmpty())
                update(r.toAlignedRect());
        });
    }
    relayout();
}

double MarkupCanvas::largestScale() const
{
    // A widget can't be larger than QWIDGETSIZE_MAX: pages laid out past it could never be
    // scrolled to, so a very long (or very tall) document can't be zoomed in as far.
    double tallest = 0;
    double widest = 0;
    double gaps = 2 * margin + 1;
    if (const auto doc = m_controller->document()) {
        for (const MarkupPageRef& p : doc->pages) {
            tallest += p->size.height();
            widest = std::max(widest, p->size.width());
            gaps += pageGap;
        }
    }
    double largest = 8.0;
    if (tallest > 0)
        largest = std::min(largest, (QWIDGETSIZE_MAX - gaps) / tallest);
    if (widest > 0)
        largest = std::min(largest, (QWIDGETSIZE_MAX - 2 * margin - 1) / widest);
    return std::max(largest, 1e-4);
}

void MarkupCanvas::setScale(double scale)
{
    const double largest = largestScale();
    scale = std::clamp(scale, std::min(0.25, largest), largest);
    if (std::abs(scale - m_scale) < 1e-6)
        return;
    m_scale = scale;
    relayout();
}

void MarkupCanvas::fitWidth(int width)
{
    const auto doc = m_controller->document();
    if (!doc || doc->pages.isEmpty())
        return;
    double widest = 1;
    for (const MarkupPageRef& p : doc->pages)
        widest = std::max(widest, p->size.width());
    setScale((width - 2 * margin) / widest);
}

void MarkupCanvas::relayout()
{
    m_scale = std::min(m_scale, largestScale());
    m_pageTops.clear();
    double y = margin;
    double widest = 0;
    if (const auto doc = m_controller->document()) {
        for (const MarkupPageRef& p : doc->pages) {
            m_pageTops.append(y);
            y += p->size.height() * m_scale + pageGap;
            widest = std::max(widest, p->size.width() * m_scale);
        }
    }
    setMinimumSize(int(widest + 2 * margin), int(y + margin));
    resize(std::max(minimumWidth(), parentWidget() ? parentWidget()->width() : 0), minimumHeight());
    update();
}

QSize MarkupCanvas::sizeHint() const
{
    return minimumSize().expandedTo(QSize(400, 300));
}

QRectF MarkupCanvas::pageRect(int index) const
{
    const auto doc = m_controller->document();
    if (!doc || index < 0 || index >= m_pageTops.size())
        return {};
    const QSizeF size = doc->pages[index]->size * m_scale;
    return QRectF((width() - size.width()) / 2, m_pageTops[index], size.width(), size.height());
}

QPointF MarkupCanvas::toView(int pageIndex, const QPointF& pt) const
{
    const QRectF r = pageRect(pageIndex);
    const double h = m_controller->document()->pages[pageIndex]->size.height();
    return QPointF(r.left() + pt.x() * m_scale, r.top() + (h - pt.y()) * m_scale);
}

QPointF MarkupCanvas::toPage(int pageIndex, const QPointF& v) const
{
    const QRectF r = pageRect(pageIndex);
    const double h = m_controller->document()->pages[pageIndex]->size.height();
    return QPointF((v.x() - r.left()) / m_scale, h - (v.y() - r.top()) / m_scale);
}

int MarkupCanvas::pageAt(const QPointF& v) const
{
    for (int i = 0; i < m_pageTops.size(); ++i)
        if (pageRect(i).adjusted(0, -pageGap / 2, 0, pageGap / 2).contains(v))
            return i;
    return -1;
}

QImage MarkupCanvas::pageImage(int index)
{
    if (!m_renderer)
        return {};
    // Rendered on the worker; until the picture at this zoom is ready, the page shows at the
    // nearest zoom it was rendered at (or blank).
    QImage image = m_renderer->image(index, 72.0 * m_scale * devicePixelRatioF());
    image.setDevicePixelRatio(devicePixelRatioF());
    return image;
}

void MarkupCanvas::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Mid).lighter(130));
    const auto doc = m_controller->document();
    if (!doc)
        return;
    p.setRenderHint(QPainter::Antialiasing);
    QSet<int> shown;
    for (int i = 0; i < doc->pageCount(); ++i) {
        const QRectF r = pageRect(i);
        if (!r.intersects(QRectF(event->rect())))
            continue;
        shown.insert(i);
        p.fillRect(r, Qt::white);
        const QImage img = pageImage(i);
        if (!img.isNull())
            p.drawImage(r, img);
        p.save();
        p.setClipRect(r);
        const MarkupPainter::Placement at{r.topLeft(), m_scale, doc->pages[i]->size.height()};
        for (const MarkupAnnotationRef& a : doc->pages[i]->annotations) {
            MarkupPainter::drawAnnotation(p, *a, at);
            if (a->kind == MarkupKind::freeText && m_controller->selectedNote.get() == a.get())
                drawSelection(p, i, *a);
        }
        for (const auto& [page, line] : m_selectionLines)
            if (page == i)
                p.fillRect(at.map(line), QColor(60, 120, 255, 70));
        p.restore();
    }
    // Pages scrolled away are not rendered any more.
    if (m_renderer && !shown.isEmpty())
        m_renderer->keepOnly(shown);
    if (m_drag == Drag::ink && m_dragPage >= 0 && m_inkPoints.size() > 1) {
        QPen pen(m_controller->color(), m_controller->penWidth() * m_scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        QPolygonF poly;
        for (const QPointF& pt : m_inkPoints)
            poly << toView(m_dragPage, pt);
        p.drawPolyline(poly);
    }
    if (m_drag == Drag::select && !m_selectRect.isNull()) {
        p.setPen(QPen(QColor(60, 120, 255), 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(m_selectRect);
    }
}

void MarkupCanvas::drawSelection(QPainter& p, int i, const MarkupAnnotation& a) const
{
    p.save();
    p.setPen(QPen(QColor(60, 120, 255), 1.5));
    p.setBrush(Qt::white);
    for (const auto& [corner, pt] : NoteAnnotations::corners(a.bounds))
        p.drawEllipse(toView(i, pt), 4, 4);
    // Once the note has an arrow, the arrow's end is the handle.
    if (!m_controller->leaders.hasLeader(&a)) {
        p.setBrush(Qt::white);
        p.setPen(QPen(NoteAnnotations::leaderRed(), 1.5));
        p.drawEllipse(leaderHandle(i, a), 6, 6);
    }
    p.restore();
}

QRectF MarkupCanvas::keptOnPage(int i, QRectF b) const
{
    const auto doc = m_controller->document();
    if (!doc || i < 0 || i >= doc->pageCount())
        return b;
    const QSizeF page = doc->pages[i]->size;
    b.moveLeft(std::clamp(b.left(), 0.0, std::max(0.0, page.width() - b.width())));
    b.moveTop(std::clamp(b.top(), 0.0, std::max(0.0, page.height() - b.height())));
    return b;
}

void MarkupCanvas::eraseAt(const QPointF& viewPoint)
{
    const auto doc = m_controller->document();
    const int i = pageAt(viewPoint);
    if (!doc || i < 0)
        return;
    if (MarkupAnnotationRef hit = annotationAt(i, toPage(i, viewPoint), false))
        m_controller->erase(hit, doc->pages[i]);
}

QPointF MarkupCanvas::leaderHandle(int i, const MarkupAnnotation& note) const
{
    if (m_controller->leaders.leaderEnds.contains(&note))
        return toView(i, m_controller->leaders.leaderEnds.value(&note));
    return toView(i, QPointF(note.bounds.right(), note.bounds.center().y())) + QPointF(22, 0);
}

MarkupAnnotationRef MarkupCanvas::annotationAt(int i, const QPointF& pt, bool notes) const
{
    const auto doc = m_controller->document();
    if (!doc || i < 0)
        return nullptr;
    const double tolerance = 7;
    const auto& list = doc->pages[i]->annotations;
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        const MarkupAnnotation& a = **it;
        switch (a.kind) {
        case MarkupKind::freeText:
            if (notes && a.bounds.contains(pt))
                return *it;
            break;
        case MarkupKind::ink:
            if (notes)
                break;
            for (const QPolygonF& path : a.paths)
                for (qsizetype k = 0; k + 1 < path.size() || (k == 0 && path.size() == 1); ++k)
                    if (distanceToSegment(pt, path[k], path[std::min(k + 1, path.size() - 1)]) <= tolerance)
                        return *it;
            break;
        case MarkupKind::highlight:
        case MarkupKind::line:
            // The eraser takes ink strokes only; highlights and arrows stay.
            break;
        case MarkupKind::other:
            break;
        }
    }
    return nullptr;
}

void MarkupCanvas::updateSelection(const QRectF& viewRect)
{
    m_selectionLines.clear();
    if (!m_pdf)
        return;
    QString text;
    for (int i = 0; i < m_pageTops.size(); ++i) {
        const QRectF pr = pageRect(i);
        if (!pr.intersects(viewRect))
            continue;
        std::unique_ptr<Poppler::Page> page = m_pdf->page(i);
        if (!page)
            continue;
        const QSizeF size = m_controller->document()->pages[i]->size;
        // Text boxes come in points from the top-left corner; lines gather boxes of one baseline.
        QList<QRectF> lines;
        for (const auto& box : page->textList()) {
            const QRectF b = box->boundingBox();
            const QRectF v(pr.left() + b.left() * m_scale, pr.top() + b.top() * m_scale, b.width() * m_scale,
                           b.height() * m_scale);
            if (!v.intersects(viewRect))
                continue;
            text += box->text();
            const QRectF pageSpace(b.left(), size.height() - b.bottom(), b.width(), b.height());
            bool merged = false;
            for (QRectF& line : lines) {
                if (std::abs(line.center().y() - pageSpace.center().y()) < std::max(2.0, b.height() / 2)) {
                    line = line.united(pageSpace);
                    merged = true;
                    break;
                }
            }
            if (!merged)
                lines.append(pageSpace);
        }
        for (const QRectF& line : lines)
            m_selectionLines.append({i, line});
    }
    m_controller->setHasSelection(!text.trimmed().isEmpty());
}

void MarkupCanvas::highlightSelection()
{
    const auto doc = m_controller->document();
    if (!doc)
        return;
    QList<std::pair<MarkupPageRef, QRectF>> lines;
    for (const auto& [index, rect] : m_selectionLines)
        if (MarkupPageRef page = doc->page(index))
            lines.append({page, rect});
    m_selectionLines.clear();
    m_controller->addHighlight(lines);
    update();
}

void MarkupCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const auto doc = m_controller->document();
    m_pressView = event->position();
    m_pressGlobal = event->globalPosition().toPoint();
    m_dragPage = pageAt(m_pressView);
    m_drag = Drag::none;
    if (!doc)
        return;
    const MarkupMode mode = m_controller->mode();
    // Notes are selected, moved, resized and given arrows with the pan, select and note tools.
    if (mode == MarkupMode::pan || mode == MarkupMode::select || mode == MarkupMode::note) {
        if (MarkupAnnotationRef sel = m_controller->selectedNote) {
            const int si = doc->indexOf(m_controller->selectedPage.get());
            if (si >= 0) {
                const auto cs = NoteAnnotations::corners(sel->bounds);
                for (int k = 0; k < cs.size(); ++k) {
                    const QPointF c = toView(si, cs[k].second);
                    if (std::abs(c.x() - m_pressView.x()) <= 9 && std::abs(c.y() - m_pressView.y()) <= 9) {
                        m_drag = Drag::resizeNote;
                        m_resizeCorner = k;
                        m_dragPage = si;
                        m_noteStartBounds = sel->bounds;
                        return;
                    }
                }
                const QPointF h = leaderHandle(si, *sel);
                if (std::hypot(h.x() - m_pressView.x(), h.y() - m_pressView.y()) <= 9) {
                    m_drag = Drag::leader;
                    m_dragPage = si;
                    m_controller->leaders.setLeader(sel, *doc->pages[si], toPage(si, m_pressView));
                    update();
                    return;
                }
            }
        }
        if (m_dragPage >= 0) {
            const QPointF pt = toPage(m_dragPage, m_pressView);
            if (MarkupAnnotationRef note = annotationAt(m_dragPage, pt, true)) {
                m_controller->selectedNote = note;
                m_controller->selectedPage = doc->pages[m_dragPage];
                m_drag = Drag::moveNote;
                m_noteStartBounds = note->bounds;
                m_noteGrabOffset = pt - note->bounds.topLeft();
                update();
                return;
            }
        }
    }
    // A press on empty page area first lets go of a selected note.
    if (m_controller->selectedNote) {
        m_controller->selectedNote.reset();
        m_controller->selectedPage.reset();
        update();
        return;
    }
    switch (mode) {
    case MarkupMode::pan:
        m_drag = Drag::pan;
        setCursor(Qt::ClosedHandCursor);
        break;
    case MarkupMode::select:
        m_drag = Drag::select;
        m_selectRect = QRectF(m_pressView, QSizeF());
        m_selectionLines.clear();
        m_controller->setHasSelection(false);
        update();
        break;
    case MarkupMode::pen:
        if (m_dragPage >= 0) {
            m_drag = Drag::ink;
            m_inkPoints = {toPage(m_dragPage, m_pressView)};
        }
        break;
    case MarkupMode::eraser:
        // The eraser takes every stroke it passes over while the button is down.
        m_drag = Drag::erase;
        eraseAt(m_pressView);
        break;
    case MarkupMode::note:
        if (m_dragPage >= 0)
            m_controller->promptNewNote(doc->pages[m_dragPage], toPage(m_dragPage, m_pressView));
        break;
    }
}

void MarkupCanvas::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF pos = event->position();
    const auto doc = m_controller->document();
    switch (m_drag) {
    case Drag::pan:
        if (QScrollArea* area = scrollAreaOf(this)) {
            const QPoint delta = event->globalPosition().toPoint() - m_pressGlobal;
            m_pressGlobal = event->globalPosition().toPoint();
            area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->value() - delta.x());
            area->verticalScrollBar()->setValue(area->verticalScrollBar()->value() - delta.y());
        }
        break;
    case Drag::select:
        m_selectRect = QRectF(m_pressView, pos).normalized();
        updateSelection(m_selectRect);
        update();
        break;
    case Drag::ink:
        m_inkPoints.append(toPage(m_dragPage, pos));
        update();
        break;
    case Drag::erase: {
        // Every stroke under the path since the last event, not only under its end points.
        const QPointF from = m_pressView;
        const double step = std::max(2.0, 3.0 * m_scale);
        const int n = std::max(1, int(std::ceil(QLineF(from, pos).length() / step)));
        for (int k = 1; k <= n; ++k)
            eraseAt(from + (pos - from) * (double(k) / n));
        m_pressView = pos;
        break;
    }
    case Drag::moveNote:
        if (MarkupAnnotationRef note = m_controller->selectedNote) {
            const QPointF pt = toPage(m_dragPage, pos);
            QRectF moved = note->bounds;
            moved.moveTopLeft(pt - m_noteGrabOffset);
            note->bounds = keptOnPage(m_dragPage, moved);
            m_controller->leaders.refreshLeader(note, *doc->pages[m_dragPage]);
            update();
        }
        break;
    case Drag::resizeNote:
        if (MarkupAnnotationRef note = m_controller->selectedNote) {
            const QPointF q = toPage(m_dragPage, pos);
            // The corner opposite the grabbed one stays where it is.
            const QRectF b = m_noteStartBounds;
            static const int opposite[4] = {3, 2, 1, 0};
            const QPointF f = NoteAnnotations::corners(b)[opposite[m_resizeCorner]].second;
            note->bounds = keptOnPage(m_dragPage, QRectF(std::min(q.x(), f.x()), std::min(q.y(), f.y()),
                                                          std::max(std::abs(q.x() - f.x()), 44.0),
                                                          std::max(std::abs(q.y() - f.y()), 24.0)));
            m_controller->leaders.refreshLeader(note, *doc->pages[m_dragPage]);
            update();
        }
        break;
    case Drag::leader:
        if (MarkupAnnotationRef note = m_controller->selectedNote) {
            m_controller->leaders.setLeader(note, *doc->pages[m_dragPage], toPage(m_dragPage, pos));
            update();
        }
        break;
    case Drag::none:
        break;
    }
}

void MarkupCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const auto doc = m_controller->document();
    const Drag drag = m_drag;
    m_drag = Drag::none;
    switch (drag) {
    case Drag::pan:
        setCursor(Qt::OpenHandCursor);
        break;
    case Drag::erase:
        break;
    case Drag::select:
        m_selectRect = QRectF();
        update();
        break;
    case Drag::ink:
        if (m_inkPoints.size() >= 2)
            m_controller->addInk(doc->pages[m_dragPage], m_inkPoints);
        m_inkPoints.clear();
        update();
        break;
    case Drag::moveNote:
    case Drag::resizeNote:
        if (MarkupAnnotationRef note = m_controller->selectedNote)
            if (note->bounds != m_noteStartBounds)
                m_controller->noteMoved(note, m_noteStartBounds);
        break;
    case Drag::leader:
        if (MarkupAnnotationRef note = m_controller->selectedNote) {
            const QPointF end = m_controller->leaders.leaderEnds.value(note.get());
            // An arrow dropped back onto its note is taken away.
            if (note->bounds.adjusted(-3, -3, 3, 3).contains(end))
                m_controller->leaders.removeLeader(note.get(), *doc);
            m_controller->markDirty();
        }
        break;
    case Drag::none:
        break;
    }
}

void MarkupCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    const auto doc = m_controller->document();
    if (!doc || m_controller->mode() == MarkupMode::pen || m_controller->mode() == MarkupMode::eraser)
        return;
    const int i = pageAt(event->position());
    if (i < 0)
        return;
    if (MarkupAnnotationRef note = annotationAt(i, toPage(i, event->position()), true))
        m_controller->promptEditNote(note);
}

void MarkupCanvas::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        // One wheel notch (120) is a delta of 10: 1.1 times; larger deltas up to 1.25 times.
        const double delta = event->angleDelta().y() / 12.0;
        if (delta != 0) {
            const double s = std::abs(delta) * 0.01;
            const double step = s < 0.25 ? 1 + s : 1.25;
            zoomAbout(delta > 0 ? step : 1 / step, event->position());
            emit zoomedByUser();
        }
        event->accept();
        return;
    }
    QWidget::wheelEvent(event);
}

void MarkupCanvas::zoomAbout(double factor, const QPointF& viewPoint)
{
    const int page = pageAt(viewPoint);
    const QPointF pagePoint = page >= 0 ? toPage(page, viewPoint) : QPointF();
    const QPointF relative(width() > 0 ? viewPoint.x() / width() : 0, height() > 0 ? viewPoint.y() / height() : 0);
    QScrollArea* area = scrollAreaOf(this);
    // Where the pointer is within the visible part of the canvas.
    const QPointF inViewport =
        area ? viewPoint - QPointF(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value()) : viewPoint;
    setScale(m_scale * factor);
    if (!area)
        return;
    const QPointF now = page >= 0 ? toView(page, pagePoint) : QPointF(relative.x() * width(), relative.y() * height());
    // The same page point goes back under the pointer, as far as the scroll range allows.
    area->horizontalScrollBar()->setValue(int(std::lround(now.x() - inViewport.x())));
    area->verticalScrollBar()->setValue(int(std::lround(now.y() - inViewport.y())));
}
