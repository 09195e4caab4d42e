#pragma once

#include "Corvallen/Store/PersistentIdentifier.h"

#include <QHash>
#include <QList>
#include <QScrollArea>

#include <functional>

class Capture;
class CaptureCard;
class CaptureSelection;

// The cards of a list of captures (built only near the visible rows) in as many columns of at least 210 points as fit, 14 apart,
// turning clicks into selection changes. The selection belongs to the browser; the grid is
// handed a pointer to it and reports each change. A click on empty space ends a rename.
class CaptureGrid : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int kMinColumnWidth = 210;
    static constexpr int kSpacing = 14;

    CaptureGrid(CaptureSelection* selection, QWidget* parent = nullptr);

    // Shows these captures in this order; cards of captures still shown are kept.
    void setCaptures(const QList<Capture*>& captures);
    QList<Capture*> captures() const { return m_captures; }
    // Re-reads selection marks and rename state from the selection.
    void syncSelection();
    // Re-reads titles and tags.
    void refreshCards();

    // The card of a capture while it is built (cards exist only near the visible rows).
    CaptureCard* cardFor(const Capture* capture) const;
    // The built cards, in list order.
    QList<CaptureCard*> cards() const;
    int columnCount() const { return m_columns; }
    static int columnsFor(int width);

    // Clicks as the cards report them (also for tests).
    void handleImageClick(Capture* capture, Qt::KeyboardModifiers modifiers);
    void toggleSelection(Capture* capture);
    void startRename(Capture* capture);
    void endRename();

Q_SIGNALS:
    void selectionChanged();
    // A plain click on a card image: the browser shows its inspector.
    void activated();

protected:
    void resizeEvent(QResizeEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void relayout();
    void materialize();
    CaptureCard* makeCard(Capture* capture);
    // Takes a card off the grid; it is kept for the next capture that needs one.
    void release(QHash<const Capture*, CaptureCard*>::iterator& it);

    CaptureSelection* m_selection;
    QWidget* m_content;
    QList<Capture*> m_captures;
    QHash<const Capture*, CaptureCard*> m_cards;
    QList<CaptureCard*> m_spare;  // hidden cards waiting to show another capture
    // The positions in the list of the cards built last (near the visible rows).
    qsizetype m_firstShown = 0;
    qsizetype m_lastShown = -1;
    int m_columns = 1;
    int m_cellWidth = kMinColumnWidth;
    int m_cellHeight = 0;
};
