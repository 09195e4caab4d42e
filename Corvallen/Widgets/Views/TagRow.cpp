#include "Corvallen/Widgets/Views/TagRow.h"

#include "Corvallen/Model/Tag.h"
#include "Corvallen/Platform/Views/ThemeManager.h"
#include "Corvallen/Widgets/TagRowFitting.h"
#include "Corvallen/Widgets/Views/FlowLayout.h"
#include "Corvallen/Widgets/Views/StringTagPill.h"
#include "Corvallen/Widgets/Views/TagPill.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int kRowHeight = 20;
constexpr int kGap = 4;
constexpr int kPopupFlowWidth = 200;
constexpr int kPopupPadding = 10;

// The "+N" pill: a caption on a faint capsule.
class OverflowPill : public QLabel {
public:
    explicit OverflowPill(QWidget* parent) : QLabel(parent)
    {
        setFont(StringTagPill::pillFont(font()));
        setContentsMargins(6, 3, 6, 3);
        setAlignment(Qt::AlignCenter);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(ThemeManager::foreground(palette(), 4));
        const qreal r = height() / 2.0;
        p.drawRoundedRect(QRectF(rect()), r, r);
        p.end();
        QLabel::paintEvent(event);
    }
};

QStringList namesOf(const QList<Tag*>& tags)
{
    QStringList names;
    names.reserve(tags.size());
    for (const Tag* t : tags)
        names.append(t ? t->name() : QString());
    return names;
}

}  // namespace

TagRow::TagRow(const QList<Tag*>& tags, QWidget* parent) : QWidget(parent), m_tags(tags)
{
    setFixedHeight(kRowHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_overflow = new OverflowPill(this);
    m_overflow->installEventFilter(this);
    m_overflow->hide();
    relayout();
}

void TagRow::setTags(const QList<Tag*>& tags)
{
    m_tags = tags;
    m_laidOutWidth = -1;
    setShowAll(false);
    relayout();
}

QWidget* TagRow::overflowPill() const { return m_overflow; }

QWidget* TagRow::popup() const { return m_popup; }

bool TagRow::isShowingAll() const { return m_popup && m_popup->isVisible(); }

void TagRow::setShowAll(bool show)
{
    if (!show) {
        if (m_popup)
            m_popup->close();
        return;
    }
    if (isShowingAll())
        return;
    if (!m_popup) {
        m_popup = new QFrame(this, Qt::Popup);
        m_popup->setAttribute(Qt::WA_DeleteOnClose);
        m_popup->setFrameShape(QFrame::StyledPanel);
        m_popup->installEventFilter(this);
        auto* outer = new QVBoxLayout(m_popup);
        outer->setContentsMargins(kPopupPadding, kPopupPadding, kPopupPadding, kPopupPadding);
        auto* flowHost = new QWidget(m_popup);
        auto* flow = new FlowLayout(4, flowHost);
        for (Tag* tag : std::as_const(m_tags))
            flow->addWidget(new TagPill(tag, {}, flowHost));
        flowHost->setFixedWidth(kPopupFlowWidth);
        flowHost->setFixedHeight(flow->heightForWidth(kPopupFlowWidth));
        outer->addWidget(flowHost);
    }
    m_popup->adjustSize();
    // Below the pill, its arrow side at the pill's bottom edge.
    m_popup->move(m_overflow->mapToGlobal(QPoint(0, m_overflow->height())));
    m_popup->show();
}

QSize TagRow::sizeHint() const
{
    qreal w = 0;
    for (const QString& name : namesOf(m_tags))
        w += TagRowFitting::estimatedPillWidth(name) + 4;
    return QSize(int(std::ceil(w)), kRowHeight);
}

QSize TagRow::minimumSizeHint() const { return QSize(0, kRowHeight); }

void TagRow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (width() != m_laidOutWidth)
        relayout();
}

void TagRow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (width() != m_laidOutWidth)
        relayout();
}

void TagRow::relayout()
{
    m_laidOutWidth = width();
    // The old pills go (deleted later: a click may still be on its way to one).
    for (QWidget* pill : std::as_const(m_pills)) {
        pill->hide();
        pill->deleteLater();
    }
    m_pills.clear();

    const TagRowFit fit = TagRowFitting::fit(namesOf(m_tags), width());
    m_visible = fit.visibleCount;
    m_hidden = fit.hiddenCount;
    // Left to right, 4 apart, centred on the row; placed by hand so the row can always shrink.
    // The fitting goes by an estimate of each pill's width; a pill that is wider than the room
    // left (a long name) is narrowed, so its name ends in "…" instead of being cut by the row.
    int x = 0;
    int reserve = 0;
    if (m_hidden > 0) {
        m_overflow->setText(tr("+%1").arg(m_hidden));
        m_overflow->adjustSize();
        reserve = m_overflow->width() + kGap;
    }
    const auto place = [this, &x](QWidget* w, int room) {
        const QSize size = w->sizeHint();
        const int shownWidth = std::max(0, std::min(size.width(), room - x));
        w->setGeometry(x, (height() - size.height()) / 2, shownWidth, size.height());
        w->show();
        x += shownWidth + kGap;
    };
    for (int i = 0; i < m_visible; ++i) {
        auto* pill = new TagPill(m_tags[i], {}, this);
        m_pills.append(pill);
        place(pill, width() - reserve);
    }
    if (m_hidden > 0)
        place(m_overflow, std::max(width(), x + m_overflow->sizeHint().width()));
    else
        m_overflow->hide();
}

bool TagRow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_overflow && event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton && m_overflow->rect().contains(me->position().toPoint())) {
            setShowAll(true);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
