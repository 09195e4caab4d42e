#include "Corvallen/Library/Views/CaptureGrid.h"

#include "Corvallen/Library/CaptureSelection.h"
#include "Corvallen/Library/Views/CaptureCard.h"
#include "Corvallen/Model/Capture.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>

#include <algorithm>
#include <memory>

namespace {
constexpr int kMargin = 16;
constexpr qsizetype kSpareCards = 48;
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
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &CaptureGrid::materialize);
}

int CaptureGrid::columnsFor(int width)
{
    const int usable = width - 2 * kMargin;
    return qMax(1, (usable + kSpacing) / (kMinColumnWidth + kSpacing));
}

void CaptureGrid::setCaptures(const QList<Capture*>& captures)
{
    m_captures = captures;
    // Cards exist only near the visible rows, so only they are looked for in the new list: the
    // cards of captures that left it go, the others are kept and re-read. (A long list is never
    // indexed as a whole: a search over a large library shows a new list at every keystroke.)
    const auto editing = m_selection->editingID();
    QSet<const Capture*> shown;
    if (!m_cards.isEmpty()) {
        const qsizetype first = std::max<qsizetype>(0, qsizetype(m_firstShown) - 2 * m_columns);
        const qsizetype last = std::min<qsizetype>(captures.size() - 1, qsizetype(m_lastShown) + 2 * m_columns);
        for (qsizetype i = first; i <= last; ++i)
            shown.insert(captures.at(i));
    }
    for (auto it = m_cards.begin(); it != m_cards.end();) {
        const bool kept = shown.contains(it.key())
                          || (editing && it.key()->persistentModelID() == *editing && captures.contains(const_cast<Capture*>(it.key())));
        if (!kept) {
            release(it);
        } else {
            it.value()->refresh();
            ++it;
        }
    }
    relayout();
    syncSelection();
}

CaptureCard* CaptureGrid::makeCard(Capture* c)
{
    CaptureCard* card = nullptr;
    if (!m_spare.isEmpty()) {
        card = m_spare.takeLast();
        card->setCapture(c);
    } else {
        // The card's callbacks act on whichever capture it shows at the time.
        auto self = std::make_shared<CaptureCard*>(nullptr);
        CaptureCard::Callbacks cb;
        cb.toggleSelect = [this, self] { toggleSelection((*self)->capture()); };
        cb.imageClick = [this, self](Qt::KeyboardModifiers m) { handleImageClick((*self)->capture(), m); };
        cb.startRename = [this, self] { startRename((*self)->capture()); };
        cb.endRename = [this] { endRename(); };
        card = new CaptureCard(c, cb, m_content);
        *self = card;
    }
    const auto editing = m_selection->editingID();
    card->setSelected(m_selection->isSelected(c->persistentModelID()));
    card->setEditing(editing && *editing == c->persistentModelID());
    m_cards.insert(c, card);
    return card;
}

void CaptureGrid::release(QHash<const Capture*, CaptureCard*>::iterator& it)
{
    CaptureCard* card = it.value();
    it = m_cards.erase(it);
    card->hide();
    // Enough spares for the rows near the screen to change whole (a new search, a long scroll).
    if (m_spare.size() < kSpareCards)
        m_spare.append(card);
    else
        card->deleteLater();
}

void CaptureGrid::syncSelection()
{
    const auto editing = m_selection->editingID();
    for (auto it = m_cards.cbegin(); it != m_cards.cend(); ++it) {
        Capture* c = const_cast<Capture*>(it.key());
        CaptureCard* card = it.value();
        if (c->isDeleted())
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
    for (Capture* c : std::as_const(m_captures))
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
    m_cellWidth = qMax(kMinColumnWidth, (width - 2 * kMargin - (m_columns - 1) * kSpacing) / m_columns);
    // Every card has the same height at one width: measure one.
    m_cellHeight = 0;
    if (!m_captures.isEmpty()) {
        CaptureCard* probe = m_cards.value(m_captures.first());
        if (!probe)
            probe = makeCard(m_captures.first());
        m_cellHeight = probe->heightForWidth(m_cellWidth) > 0 ? probe->heightForWidth(m_cellWidth) : probe->sizeHint().height();
    }
    const qsizetype rows = (m_captures.size() + m_columns - 1) / m_columns;
    const int total = rows == 0 ? 0 : int(2 * kMargin + rows * m_cellHeight + (rows - 1) * kSpacing);
    m_content->resize(width, qMax(total, viewport()->height()));
    materialize();
}

void CaptureGrid::materialize()
{
    if (m_captures.isEmpty() || m_cellHeight <= 0)
        return;
    // Cards exist only for the rows near the visible part: one screen above and below.
    const int top = verticalScrollBar()->value() - viewport()->height();
    const int bottom = verticalScrollBar()->value() + 2 * viewport()->height();
    const int pitch = m_cellHeight + kSpacing;
    const qsizetype firstRow = qMax(0, (top - kMargin) / pitch);
    const qsizetype lastRow = qMax<qsizetype>(0, (bottom - kMargin) / pitch);
    const qsizetype first = firstRow * m_columns;
    const qsizetype last = qMin<qsizetype>(m_captures.size() - 1, (lastRow + 1) * m_columns - 1);
    m_firstShown = first;
    m_lastShown = last;
    const auto editing = m_selection->editingID();
    QSet<const Capture*> inRange;
    for (qsizetype i = first; i <= last; ++i)
        inRange.insert(m_captures.at(i));
    for (auto it = m_cards.begin(); it != m_cards.end();) {
        const bool keep = inRange.contains(it.key()) || (editing && it.key()->persistentModelID() == *editing);
        if (!keep) {
            release(it);
        } else {
            ++it;
        }
    }
    for (qsizetype i = first; i <= last; ++i) {
        Capture* c = m_captures.at(i);
        CaptureCard* card = m_cards.value(c);
        if (!card)
            card = makeCard(c);
        const int row = int(i / m_columns);
        const int col = int(i % m_columns);
        card->setGeometry(kMargin + col * (m_cellWidth + kSpacing), kMargin + row * pitch, m_cellWidth, m_cellHeight);
        card->show();
    }
}
