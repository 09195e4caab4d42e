#include "Corvallen/Documents/NoteAnnotations.h"

#include <cmath>

namespace NoteAnnotations {

QColor noteYellow()
{
    QColor c(255, 204, 0);
    c.setAlphaF(0.92f);
    return c;
}

QColor leaderRed()
{
    return QColor(255, 59, 48);
}

QFont noteFont()
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(12);
    return f;
}

MarkupAnnotationRef makeNoteAnnotation(const QString& text, const QPointF& point, const MarkupPage& page)
{
    // Page space here is the page as it is shown (a turned page is measured turned), so the
    // card is 180 wide and 64 high on every page, turned or not.
    const double w = 180;
    const double h = 64;
    double x = point.x() - w / 2;
    double y = point.y() - h / 2;
    x = std::min(std::max(x, 0.0), page.size.width() - w);
    y = std::min(std::max(y, 0.0), page.size.height() - h);
    auto note = std::make_shared<MarkupAnnotation>();
    note->kind = MarkupKind::freeText;
    note->bounds = QRectF(x, y, w, h);
    note->contents = text;
    note->color = noteYellow();
    note->fontColor = QColor(Qt::black);
    note->font = noteFont();
    return note;
}

void styleAsNote(MarkupAnnotation& note)
{
    if (!note.color)
        note.color = noteYellow();
    if (!note.fontColor)
        note.fontColor = QColor(Qt::black);
    if (!note.font)
        note.font = noteFont();
}

QList<std::pair<Corner, QPointF>> corners(const QRectF& r)
{
    const QRectF n = r.normalized();
    return {{Corner::tl, QPointF(n.left(), n.bottom())},
            {Corner::tr, QPointF(n.right(), n.bottom())},
            {Corner::bl, QPointF(n.left(), n.top())},
            {Corner::br, QPointF(n.right(), n.top())}};
}

QPointF nearestCorner(const QRectF& rect, const QPointF& point)
{
    QPointF best;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const auto& [corner, p] : corners(rect)) {
        const double d = std::hypot(p.x() - point.x(), p.y() - point.y());
        if (d < bestDistance) {
            bestDistance = d;
            best = p;
        }
    }
    return best;
}

MarkupAnnotationRef makeLeader(const MarkupAnnotation& note, const MarkupPage& page, const QPointF& end)
{
    auto line = std::make_shared<MarkupAnnotation>();
    line->kind = MarkupKind::line;
    line->bounds = QRectF(QPointF(0, 0), page.size);
    line->color = leaderRed();
    line->interiorColor = leaderRed();
    line->startPoint = nearestCorner(note.bounds, end);
    line->endPoint = end;
    line->endLineEnd = MarkupLineEnd::closedArrow;
    line->borderWidth = 1.8;
    return line;
}

void NoteLeaders::clear()
{
    leaders.clear();
    leaderEnds.clear();
    leaderNotes.clear();
}

void NoteLeaders::rebuild(const MarkupDocument& document)
{
    auto nearCorner = [](const MarkupAnnotation& note, const QPointF& p) {
        for (const auto& [corner, c] : corners(note.bounds))
            if (std::hypot(c.x() - p.x(), c.y() - p.y()) < 4.0)
                return true;
        return false;
    };
    for (const MarkupPageRef& page : document.pages) {
        QList<MarkupAnnotationRef> notes;
        for (const MarkupAnnotationRef& a : page->annotations)
            if (a->kind == MarkupKind::freeText)
                notes.append(a);
        for (const MarkupAnnotationRef& line : page->annotations) {
            if (line->kind != MarkupKind::line)
                continue;
            MarkupAnnotationRef match;
            QPointF freeEnd;
            for (const MarkupAnnotationRef& n : notes) {
                if (nearCorner(*n, line->startPoint)) {
                    match = n;
                    freeEnd = line->endPoint;
                    break;
                }
            }
            if (!match) {
                for (const MarkupAnnotationRef& n : notes) {
                    if (nearCorner(*n, line->endPoint)) {
                        match = n;
                        freeEnd = line->startPoint;
                        break;
                    }
                }
            }
            if (!match)
                continue;
            leaders.insert(match.get(), line);
            leaderEnds.insert(match.get(), freeEnd);
            leaderNotes.insert(match.get(), match);
        }
    }
}

void NoteLeaders::setLeader(const MarkupAnnotationRef& note, MarkupPage& page, const QPointF& end)
{
    if (MarkupAnnotationRef old = leaders.value(note.get()))
        page.remove(old.get());
    MarkupAnnotationRef line = makeLeader(*note, page, end);
    page.add(line);
    leaders.insert(note.get(), line);
    leaderEnds.insert(note.get(), end);
    leaderNotes.insert(note.get(), note);
}

void NoteLeaders::removeLeader(const MarkupAnnotation* note, const MarkupDocument& document)
{
    if (MarkupAnnotationRef line = leaders.value(note)) {
        if (MarkupPageRef page = document.pageOf(line.get()))
            page->remove(line.get());
    }
    leaders.remove(note);
    leaderEnds.remove(note);
    leaderNotes.remove(note);
}

void NoteLeaders::refreshLeader(const MarkupAnnotationRef& note, MarkupPage& page)
{
    if (leaderEnds.contains(note.get()))
        setLeader(note, page, leaderEnds.value(note.get()));
}

}  // namespace NoteAnnotations
