#include "Corvallen/Library/Views/CaptureGrid.h"

#include "Corvallen/Library/CaptureSelection.h"
#include "Corvallen/Library/Views/CaptureCard.h"
#include "Corvallen/Model/Capture.h"

#include <QMouseEvent>
#include <QScrollBar>

namespace {
constexpr int kMargin = 16;
}

CaptureGrid::CaptureGrid(CaptureSelection* selection, QWidget* parent)
    : QScrollArea(parent)
    , m_selection(selection)
    , m_content(new QWidget)
{
    setObjectName(QStringLiteral("CaptureGrid"));
    setWidgetResizable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setWidget(m_content);
    m_content->installEventFilter(this);
}

int CaptureGrid::columnsFor(int width)
{
    const int usable = width - 2 * kMargin;
    return qMax(1, (usable + kSpacing) / (kMinColumnWidth + kSpacing));
}

void CaptureGrid::setCaptures(const QList<Capture*>& captures)
{
    QHash<const Capture*, CaptureCard*> kept;
    for (Capture* c : captures) {
        if (CaptureCard* card = m_cards.take(c)) {
            kept.insert(c, card);
            card->refresh();
            continue;
        }
        CaptureCard::Callbacks cb;
        cb.toggleSelect = [this, c] { toggleSelection(c); };
        cb.imageClick = [this, c](Qt::KeyboardModifiers m) { handleImageClick(c, m); };
        cb.startRename = [this, c] { startRename(c); };
        cb.endRename = [this] { endRename(); };
        auto* card = new CaptureCard(c, cb, m_content);
        card->show();
        kept.insert(c, card);
    }
    for (CaptureCard* gone : std::as_const(m_cards))
        gone->deleteLater();
    m_cards = kept;
    m_captures = captures;
    syncSelection();
    relayout();
}

void CaptureGrid::syncSelection()
{
    const auto editing = m_selection->editingID();
    for (Capture* c : std::as_const(m_captures)) {
        CaptureCard* card = m_cards.value(c);
        if (!card || c->isDeleted())
            continue;
        const PersistentIdentifier id = c->persistentModelID();
        card->setSelected(m_selection->isSelected(id));
        card->setEditing(editing && *editing == id);
    }
}

void CaptureGrid::refreshCards()
{
    for (CaptureCard* card : std::as_const(m_cards))
        card->refresh();
}

CaptureCard* CaptureGrid::cardFor(const Capture* capture) const
{
    return m_cards.value(capture);
}

QList<CaptureCard*> CaptureGrid::cards() const
{
    QList<CaptureCard*> out;
    for (Capture* c : m_captures)
        if (CaptureCard* card = m_cards.value(c))
            out.append(card);
    return out;
}

void CaptureGrid::handleImageClick(Capture* capture, Qt::KeyboardModifiers modifiers)
{
    const bool plain = m_selection->handleImageClick(m_captures, capture->persistentModelID(), modifiers);
    syncSelection();
    Q_EMIT selectionChanged();
    if (plain)
        Q_EMIT activated();
}

void CaptureGrid::toggleSelection(Capture* capture)
{
    m_selection->toggleSelection(capture->persistentModelID());
    syncSelection();
    Q_EMIT selectionChanged();
}

void CaptureGrid::startRename(Capture* capture)
{
    m_selection->startRename(capture->persistentModelID());
    syncSelection();
}

void CaptureGrid::endRename()
{
    m_selection->endRename();
    syncSelection();
}

void CaptureGrid::resizeEvent(QResizeEvent* e)
{
    QScrollArea::resizeEvent(e);
    relayout();
}

bool CaptureGrid::eventFilter(QObject* watched, QEvent* event)
{
    // A click on the space between and around the cards ends a rename.
    if (watched == m_content && event->type() == QEvent::MouseButtonPress)
        endRename();
    return QScrollArea::eventFilter(watched, event);
}

void CaptureGrid::relayout()
{
    const int width = viewport()->width();
    m_columns = columnsFor(width);
    const int cellWidth = qMax(kMinColumnWidth, (width - 2 * kMargin - (m_columns - 1) * kSpacing) / m_columns);
    int y = kMargin;
    int rowHeight = 0;
    for (int i = 0; i < m_captures.size(); ++i) {
        CaptureCard* card = m_cards.value(m_captures.at(i));
        if (!card)
            continue;
        const int col = i % m_columns;
        if (col == 0 && i > 0) {
            y += rowHeight + kSpacing;
            rowHeight = 0;
        }
        const int h = card->heightForWidth(cellWidth) > 0 ? card->heightForWidth(cellWidth) : card->sizeHint().height();
        card->setGeometry(kMargin + col * (cellWidth + kSpacing), y, cellWidth, h);
        rowHeight = qMax(rowHeight, h);
    }
    const int total = m_captures.isEmpty() ? 0 : y + rowHeight + kMargin;
    m_content->resize(width, qMax(total, viewport()->height()));
}
