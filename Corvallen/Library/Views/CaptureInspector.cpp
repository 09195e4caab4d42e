#include "Corvallen/Library/Views/CaptureInspector.h"

#include "Corvallen/Library/Views/BulkInspector.h"
#include "Corvallen/Library/Views/LibraryViewKit.h"
#include "Corvallen/Library/Views/SingleCaptureInspector.h"

CaptureInspector::CaptureInspector(ModelContext& context, std::function<void()> onCompare, std::function<void()> onDelete,
                                   QWidget* parent)
    : QStackedWidget(parent)
    , m_context(context)
    , m_onCompare(std::move(onCompare))
    , m_onDelete(std::move(onDelete))
{
    setObjectName(QStringLiteral("CaptureInspector"));
    m_empty = LibraryViewKit::emptyState(tr("No selection"), QStringLiteral("sidebar.right"),
                                         tr("Click a capture to view it, or tick checkboxes to select several."), this);
    addWidget(m_empty);
    setCurrentWidget(m_empty);
}

void CaptureInspector::setSelected(const QList<Capture*>& selected)
{
    m_selected = selected;
    const State next = selected.isEmpty() ? State::none : selected.size() == 1 ? State::single : State::bulk;
    if (next == State::single) {
        // Coming from the empty or the bulk state, the panel starts afresh.
        if (m_state != State::single || !m_single) {
            if (m_single) {
                removeWidget(m_single);
                m_single->deleteLater();
            }
            m_single = new SingleCaptureInspector(m_context, m_onDelete, this);
            connect(m_single, &SingleCaptureInspector::captureEdited, this, &CaptureInspector::capturesEdited);
            addWidget(m_single);
        }
        m_single->setCapture(selected.first());
        setCurrentWidget(m_single);
    } else if (next == State::bulk) {
        if (m_state != State::bulk || !m_bulk) {
            if (m_bulk) {
                removeWidget(m_bulk);
                m_bulk->deleteLater();
            }
            m_bulk = new BulkInspector(m_context, m_onCompare, m_onDelete, this);
            connect(m_bulk, &BulkInspector::capturesEdited, this, &CaptureInspector::capturesEdited);
            addWidget(m_bulk);
        }
        m_bulk->setCaptures(selected);
        setCurrentWidget(m_bulk);
    } else {
        setCurrentWidget(m_empty);
    }
    m_state = next;
}

void CaptureInspector::refresh()
{
    if (m_state == State::single && m_single)
        m_single->refresh();
    else if (m_state == State::bulk && m_bulk)
        m_bulk->setCaptures(m_selected);
}
