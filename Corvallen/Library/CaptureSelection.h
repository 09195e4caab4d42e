#pragma once

#include "Corvallen/Store/PersistentIdentifier.h"

#include <QList>
#include <QSet>
#include <Qt>

#include <optional>

class Capture;

// The selection of a capture browser and the grid's click rules: a plain click selects one
// capture, Ctrl- (or Meta-) click adds or removes one, Shift-click selects the run between the
// anchor and the clicked capture in display order, and a checkbox adds or removes one. Also the
// one card in rename mode. Identifiers of captures that left the list (a search or a scope hides
// them) stay selected, so they come back selected, but count for nothing: everything that acts
// on the selection takes selectedCaptures() of the list shown. Plain value; main thread.
class CaptureSelection {
public:
    QSet<PersistentIdentifier> selectedIDs() const { return m_selected; }
    void setSelectedIDs(const QSet<PersistentIdentifier>& ids) { m_selected = ids; }
    bool isSelected(const PersistentIdentifier& id) const { return m_selected.contains(id); }
    qsizetype count() const { return m_selected.size(); }

    std::optional<PersistentIdentifier> anchorID() const { return m_anchor; }
    std::optional<PersistentIdentifier> editingID() const { return m_editing; }

    // The selected captures of the list, in the list's order.
    QList<Capture*> selectedCaptures(const QList<Capture*>& captures) const;

    // Exactly the captures shown, unless every one of them is selected already: then nothing.
    void toggleSelectAll(const QList<Capture*>& captures);
    // Checkbox and Ctrl-click: adds or removes it; it becomes the anchor; a rename ends.
    void toggleSelection(const PersistentIdentifier& id);
    // A click on a card image with the held modifiers; true when it was a plain click, after
    // which the browser shows its inspector.
    bool handleImageClick(const QList<Capture*>& captures, const PersistentIdentifier& id, Qt::KeyboardModifiers modifiers);
    // Shift-click: the run from the anchor to the clicked capture replaces the selection; the
    // anchor stays. Without a usable anchor the clicked capture alone, and it becomes the anchor.
    void selectRange(const QList<Capture*>& captures, const PersistentIdentifier& id);
    void clear() { m_selected.clear(); }

    void startRename(const PersistentIdentifier& id) { m_editing = id; }
    void endRename() { m_editing.reset(); }
    // The grid was shown anew (after an empty list): no rename, no anchor.
    void resetGridState();

private:
    QSet<PersistentIdentifier> m_selected;
    std::optional<PersistentIdentifier> m_anchor;
    std::optional<PersistentIdentifier> m_editing;
};
