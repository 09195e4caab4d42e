#include "Corvallen/Library/CaptureSelection.h"

#include "Corvallen/Model/Capture.h"

namespace {

qsizetype positionOf(const QList<Capture*>& captures, const PersistentIdentifier& id)
{
    for (qsizetype i = 0; i < captures.size(); ++i)
        if (captures.at(i)->persistentModelID() == id)
            return i;
    return -1;
}

}  // namespace

QList<Capture*> CaptureSelection::selectedCaptures(const QList<Capture*>& captures) const
{
    QList<Capture*> out;
    if (m_selected.isEmpty())
        return out;  // the usual case, and a long list need not be walked for it
    for (Capture* c : captures)
        if (m_selected.contains(c->persistentModelID()))
            out.append(c);
    return out;
}

void CaptureSelection::toggleSelectAll(const QList<Capture*>& captures)
{
    if (selectedCaptures(captures).size() != captures.size()) {
        QSet<PersistentIdentifier> all;
        for (Capture* c : captures)
            all.insert(c->persistentModelID());
        m_selected = all;
    } else {
        m_selected.clear();
    }
}

void CaptureSelection::toggleSelection(const PersistentIdentifier& id)
{
    m_editing.reset();
    if (!m_selected.remove(id))
        m_selected.insert(id);
    m_anchor = id;
}

bool CaptureSelection::handleImageClick(const QList<Capture*>& captures, const PersistentIdentifier& id,
                                        Qt::KeyboardModifiers modifiers)
{
    m_editing.reset();
    if (modifiers & Qt::ShiftModifier) {
        selectRange(captures, id);
        return false;
    }
    if (modifiers & (Qt::ControlModifier | Qt::MetaModifier)) {
        toggleSelection(id);
        return false;
    }
    m_selected = {id};
    m_anchor = id;
    return true;
}

void CaptureSelection::selectRange(const QList<Capture*>& captures, const PersistentIdentifier& id)
{
    const qsizetype a = m_anchor ? positionOf(captures, *m_anchor) : -1;
    const qsizetype b = positionOf(captures, id);
    if (a < 0 || b < 0) {
        m_selected = {id};
        m_anchor = id;
        return;
    }
    QSet<PersistentIdentifier> run;
    for (qsizetype i = qMin(a, b); i <= qMax(a, b); ++i)
        run.insert(captures.at(i)->persistentModelID());
    m_selected = run;
}

void CaptureSelection::resetGridState()
{
    m_anchor.reset();
    m_editing.reset();
}
