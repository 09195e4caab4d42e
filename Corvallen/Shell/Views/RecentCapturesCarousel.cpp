#include "Corvallen/Shell/Views/RecentCapturesCarousel.h"
#include "Corvallen/Platform/Views/LiteralText.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Shell/CarouselIndex.h"
#include "Corvallen/Sync/CaptureThumbnails.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

namespace {

constexpr int kThumbWidth = 150;
constexpr double kAspect = 480.0 / 272.0;

// One capture: its image stretched into the 480:272 frame with hard pixel edges (instrument
// screenshots are small; blurring them hides the digits), or a faint card when it won't load.
class Thumbnail : public QAbstractButton {
public:
    Thumbnail(const Capture* capture, QWidget* parent) : QAbstractButton(parent)
    {
        setFixedSize(RecentCapturesCarousel::thumbnailSize());
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        m_fileName = capture->fileName();
        setToolTip(plainToolTip(capture->title()));
        setAccessibleName(capture->title());
        // The picture comes from the shared thumbnails; until it is read, the faint card shows.
        connect(&CaptureThumbnails::shared(), &CaptureThumbnails::ready, this, [this](const QString& fileName) {
            if (fileName == m_fileName)
                update();
        });
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath clip;
        clip.addRoundedRect(QRectF(rect()), 8, 8);
        p.setClipPath(clip);
        const QImage image = CaptureThumbnails::shared().thumbnail(m_fileName);
        if (image.isNull()) {
            p.fillRect(rect(), ViewStyle::quaternary(palette()));
        } else {
            p.setRenderHint(QPainter::SmoothPixmapTransform, false);
            p.drawImage(QRectF(rect()), image, QRectF(image.rect()));
        }
        if (hasFocus() || isDown()) {
            p.setClipping(false);
            p.setPen(QPen(ViewStyle::accent(palette()), 2));
            p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 8, 8);
        }
    }

private:
    QString m_fileName;
};

// A 26-point round chevron on a translucent disc with a faint outline.
class Chevron : public QToolButton {
public:
    Chevron(const QString& symbol, const QString& tip, QWidget* parent) : QToolButton(parent), m_symbol(symbol)
    {
        setFixedSize(26, 26);
        setCursor(Qt::PointingHandCursor);
        setToolTip(tip);
        setAccessibleName(tip);
        setIcon(symbolIcon(symbol));  // drawn by paintEvent; set for accessibility and checks
        setFocusPolicy(Qt::TabFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QColor disc = palette().color(QPalette::Window);
        disc.setAlphaF(isDown() ? 0.98f : 0.88f);
        p.setBrush(disc);
        p.setPen(QPen(hasFocus() ? ViewStyle::accent(palette()) : ViewStyle::quaternary(palette()), 1));
        p.drawEllipse(r);
        symbolIcon(m_symbol, palette().color(QPalette::WindowText)).paint(&p, rect().adjusted(7, 7, -7, -7));
    }

private:
    QString m_symbol;
};

}  // namespace

QSize RecentCapturesCarousel::thumbnailSize() { return {kThumbWidth, int(kThumbWidth / kAspect + 0.5)}; }

RecentCapturesCarousel::RecentCapturesCarousel(const QList<Capture*>& captures, std::function<void()> onOpen, int index,
                                               int step, QWidget* parent)
    : QWidget(parent), m_captures(captures), m_onOpen(std::move(onOpen)), m_index(index), m_step(step)
{
    setObjectName(QStringLiteral("RecentCapturesCarousel"));
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->setProperty("scrollsSideways", true);  // the strip moves sideways by design
    m_scroll->viewport()->setAutoFillBackground(false);
    m_strip = new QWidget;
    m_strip->setAutoFillBackground(false);
    m_row = new QHBoxLayout(m_strip);
    m_row->setContentsMargins(40, 2, 40, 2);
    m_row->setSpacing(12);
    m_scroll->setWidget(m_strip);
    m_strip->setAutoFillBackground(false);

    m_left = new Chevron(QStringLiteral("chevron.left"), tr("Previous captures"), this);
    m_right = new Chevron(QStringLiteral("chevron.right"), tr("Next captures"), this);
    connect(m_left, &QToolButton::clicked, this, [this] { move(-m_step); });
    connect(m_right, &QToolButton::clicked, this, [this] { move(m_step); });

    m_animation = new QPropertyAnimation(m_scroll->horizontalScrollBar(), "value", this);
    m_animation->setDuration(250);
    m_animation->setEasingCurve(QEasingCurve::InOutCubic);

    setFixedHeight(thumbnailSize().height() + 4);
    rebuild();
}

void RecentCapturesCarousel::setCaptures(const QList<Capture*>& captures)
{
    if (captures == m_captures)
        return;
    m_captures = captures;
    rebuild();
}

QList<QWidget*> RecentCapturesCarousel::thumbnails() const
{
    QList<QWidget*> out;
    for (int i = 0; i < m_row->count(); ++i)
        if (QWidget* w = m_row->itemAt(i)->widget())
            out << w;
    return out;
}

void RecentCapturesCarousel::rebuild()
{
    while (QLayoutItem* item = m_row->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const Capture* capture : std::as_const(m_captures)) {
        auto* thumb = new Thumbnail(capture, m_strip);
        connect(thumb, &QAbstractButton::clicked, this, [this] {
            if (m_onOpen)
                m_onOpen();
        });
        m_row->addWidget(thumb);
    }
    m_row->addStretch(1);
}

void RecentCapturesCarousel::move(int delta)
{
    m_index = CarouselIndex::move(m_index, delta, int(m_captures.size()));
    scrollToIndex(true);
}

void RecentCapturesCarousel::scrollToIndex(bool animated)
{
    const QList<QWidget*> thumbs = thumbnails();
    if (m_index < 0 || m_index >= thumbs.size())
        return;
    m_strip->layout()->activate();
    QScrollBar* bar = m_scroll->horizontalScrollBar();
    const QWidget* target = thumbs.at(m_index);
    const int centre = target->geometry().center().x() - m_scroll->viewport()->width() / 2;
    const int value = std::clamp(centre, bar->minimum(), bar->maximum());
    m_animation->stop();
    if (!animated) {
        bar->setValue(value);
        return;
    }
    m_animation->setStartValue(bar->value());
    m_animation->setEndValue(value);
    m_animation->start();
}

void RecentCapturesCarousel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_scroll->setGeometry(rect());
    const int y = (height() - m_left->height()) / 2;
    m_left->move(4, y);
    m_right->move(width() - 4 - m_right->width(), y);
    m_left->raise();
    m_right->raise();
}
