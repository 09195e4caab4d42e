#pragma once

#include "Corvallen/Documents/MarkupAnnotation.h"

#include <QHash>

// Notes (free-text cards) and their leader arrows. A leader is a plain line annotation with a
// closed arrow head whose start sits on a corner of its note; nothing in a file links the two,
// so the link is found again from the geometry after every load.
namespace NoteAnnotations {

enum class Corner { tl, tr, bl, br };

QColor noteYellow();  // the card's fill
QColor leaderRed();   // the arrow's colour
QFont noteFont();     // 12-point system face

// A note for the text, centred on the point and kept inside the page (the lower-left edge wins
// on a page smaller than the note): 180 x 64. Markup geometry is measured on the page as shown,
// turned by its rotation, so the note reads 180 wide on screen on every page.
MarkupAnnotationRef makeNoteAnnotation(const QString& text, const QPointF& point, const MarkupPage& page);

// Fills in the card look where a note lacks it, so other readers draw it alike.
void styleAsNote(MarkupAnnotation& note);

// Corners of a page-space rectangle: tl (min x, max y), tr, bl, br, in that order.
QList<std::pair<Corner, QPointF>> corners(const QRectF& rect);
// The corner nearest to the point; ties go to the earlier corner.
QPointF nearestCorner(const QRectF& rect, const QPointF& point);

// A new leader line from the note's nearest corner to the end point.
MarkupAnnotationRef makeLeader(const MarkupAnnotation& note, const MarkupPage& page, const QPointF& end);

// Which line is the leader of which note, keyed by the note object.
struct NoteLeaders {
    QHash<const MarkupAnnotation*, MarkupAnnotationRef> leaders;
    QHash<const MarkupAnnotation*, QPointF> leaderEnds;
    QHash<const MarkupAnnotation*, MarkupAnnotationRef> leaderNotes;

    void clear();
    bool hasLeader(const MarkupAnnotation* note) const { return leaders.contains(note); }
    // Recovers leaders from the annotations: a line with an end less than 4 points from a corner
    // of a note on the same page (start tested against every note first, then the end). Entries
    // are overwritten, never removed.
    void rebuild(const MarkupDocument& document);
    // Replaces the note's leader on the page with one pointing at `end`.
    void setLeader(const MarkupAnnotationRef& note, MarkupPage& page, const QPointF& end);
    // Removes the note's leader from the document and forgets it.
    void removeLeader(const MarkupAnnotation* note, const MarkupDocument& document);
    // After the note moved: the arrow keeps its end and starts at the nearest corner again.
    void refreshLeader(const MarkupAnnotationRef& note, MarkupPage& page);
};

}  // namespace NoteAnnotations
