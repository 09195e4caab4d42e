#include "Corvallen/Library/Views/CaptureCard.h"

#include "Corvallen/Library/Views/LibraryViewKit.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/DragString.h"
#include "Corvallen/Platform/Views/ElidedLabel.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Platform/WindowRouter.h"
#include "Corvallen/Sync/CaptureThumbnails.h"
#include "Corvallen/Widgets/Views/GripDots.h"
#include "Corvallen/Widgets/Views/TagRow.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The thumbnail: the capture image at 30:17, drawn from the shared thumbnails on each paint; a
// faint card stands in while the thumbnail is being read.
class CardThumbnail : public QWidget {
public:
    CardThumbnail(CaptureCard* card)
        : QWidget(card)
        , m_card(card)
    {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setCursor(Qt::PointingHandCursor);
        connect(&CaptureThumbnails::shared(), &CaptureThumbnails::ready, this, [this](const QString& fileName) {
            if (fileName == m_card->capture()->fileName())
                update();
        });
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int w) const override { return int(std::round(w / LibraryViewKit::kThumbAspect)); }
    QSize sizeHint() const override { return {210, heightForWidth(210)}; }

protected:
    void resizeEvent(QResizeEvent*) override { setFixedHeight(heightForWidth(width())); }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRectF r = QRectF(rect()).adjusted(1.25, 1.25, -1.25, -1.25);
        LibraryViewKit::drawThumbnail(p, CaptureThumbnails::shared().thumbnail(m_card->capture()->fileName()), r, 8, this);
        if (m_card->isSelected()) {
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(QPen(ViewStyle::accent(palette()), 2.5));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(r, 8, 8);
        }
    }

private:
    CaptureCard* m_card;
};

}  // namespace

CaptureCard::CaptureCard(Capture* capture, Callbacks callbacks, QWidget* parent)
    : QFrame(parent)
    , m_capture(capture)
    , m_callbacks(std::move(callbacks))
{
    setObjectName(QStringLiteral("CaptureCard"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);

    auto* header = new QWidget(this);
    header->setFixedHeight(28);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    // The dots only draw; the 16 x 24 handle around them takes the presses that start a drag.
    m_handle = new QWidget(header);
    m_handle->setObjectName(QStringLiteral("CaptureDragHandle"));
    m_handle->setFixedSize(16, 24);
    m_handle->setToolTip(tr("Drag onto a project to file this capture there"));
    m_handle->setCursor(Qt::OpenHandCursor);
    m_handle->installEventFilter(this);
    auto* dots = new QHBoxLayout(m_handle);
    dots->setContentsMargins(0, 0, 0, 0);
    dots->addWidget(new GripDots(m_handle), 0, Qt::AlignCenter);
    row->addWidget(m_handle);

    m_nameStack = new QStackedWidget(header);
    m_name = new ElidedLabel(QString(), m_nameStack);
    m_name->setFont(ViewStyle::font(ViewStyle::TextStyle::caption, QFont::DemiBold));
    m_name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_name->installEventFilter(this);
    m_field = new QLineEdit(m_nameStack);
    m_field->setPlaceholderText(tr("Name"));
    m_field->setFont(ViewStyle::font(ViewStyle::TextStyle::caption, QFont::DemiBold));
    m_field->installEventFilter(this);
    m_nameStack->addWidget(m_name);
    m_nameStack->addWidget(m_field);
    row->addWidget(m_nameStack, 1);
    // Every keystroke goes straight into the title; Return ends the rename.
    connect(m_field, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_capture->setTitle(text);
        m_name->setText(shownName());
    });
    connect(m_field, &QLineEdit::returnPressed, this, [this] {
        if (m_callbacks.endRename)
            m_callbacks.endRename();
    });

    m_check = new QToolButton(header);
    m_check->setFixedSize(30, 26);
    m_check->setToolTip(tr("Select"));
    m_check->setAutoRaise(true);
    connect(m_check, &QToolButton::clicked, this, [this] {
        if (m_callbacks.toggleSelect)
            m_callbacks.toggleSelect();
    });
    row->addWidget(m_check);
    layout->addWidget(header);

    m_thumb = new CardThumbnail(this);
    m_thumb->installEventFilter(this);
    layout->addWidget(m_thumb);

    m_tags = new TagRow({}, this);
    layout->addWidget(m_tags);
    refresh();
    setSelected(false);
}

void CaptureCard::setCapture(Capture* capture)
{
    if (capture == m_capture)
        return;
    setEditing(false);
    m_pressed = false;
    m_capture = capture;
    m_field->setText(capture->title());
    refresh();
}

QString CaptureCard::shownName() const
{
    const QString title = m_capture->title();
    return title.isEmpty() ? tr("unnamed") : title;
}

QString CaptureCard::dragText() const
{
    return DragString::forCapture(*m_capture);
}

void CaptureCard::refresh()
{
    if (m_capture->isDeleted())
        return;
    m_name->setText(shownName());
    if (!m_editing && m_field->text() != m_capture->title())
        m_field->setText(m_capture->title());
    m_tags->setTags(m_capture->tags());
    m_thumb->update();
}

void CaptureCard::setSelected(bool selected)
{
    // The check's style sheet is set again only when the mark changes: every card is told its
    // mark when the grid builds it, and a style sheet costs a restyle.
    if (m_selectionShown && m_selected == selected)
        return;
    m_selectionShown = true;
    m_selected = selected;
    m_check->setText(selected ? QStringLiteral("\u2611") : QStringLiteral("\u2610"));
    m_check->setStyleSheet(selected ? QStringLiteral("QToolButton{background:%1;color:white;border-radius:7px;font-size:13pt;}")
                                          .arg(ViewStyle::accent(palette()).name())
                                    : QStringLiteral("QToolButton{background:rgba(128,128,128,46);border-radius:7px;font-size:13pt;}"));
    m_check->setAccessibleName(selected ? tr("Selected") : tr("Select"));
    update();
    m_thumb->update();
}

void CaptureCard::changeEvent(QEvent* event)
{
    QFrame::changeEvent(event);
    // The check's colours come from the palette: a new theme restyles it.
    if (event->type() == QEvent::PaletteChange && m_selectionShown) {
        m_selectionShown = false;
        setSelected(m_selected);
    }
}

void CaptureCard::setEditing(bool editing)
{
    if (m_editing == editing)
        return;
    m_editing = editing;
    if (editing) {
        m_field->setText(m_capture->title());
        m_nameStack->setCurrentWidget(m_field);
        m_field->setFocus(Qt::OtherFocusReason);
        m_field->selectAll();
    } else {
        m_nameStack->setCurrentWidget(m_name);
        if (m_field->hasFocus())
            m_field->clearFocus();
        m_name->setText(shownName());
    }
}

void CaptureCard::openInEditor() const
{
    if (WindowRouter* router = WindowRouter::current())
        router->openKeyed(QStringLiteral("capture-viewer"), m_capture->fileName());
}

void CaptureCard::paintEvent(QPaintEvent* e)
{
    if (m_selected) {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(ViewStyle::withAlpha(ViewStyle::accent(palette()), 0.1));
        p.drawRoundedRect(QRectF(rect()), 10, 10);
    }
    QFrame::paintEvent(e);
}

bool CaptureCard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_thumb) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() == Qt::LeftButton && m_callbacks.imageClick) {
                m_callbacks.imageClick(me->modifiers());
                return true;
            }
        } else if (event->type() == QEvent::ContextMenu) {
            auto* ce = static_cast<QContextMenuEvent*>(event);
            QMenu menu(this);
            menu.addAction(tr("Open in Editor Window"), this, &CaptureCard::openInEditor);
            menu.exec(ce->globalPos());
            return true;
        }
    } else if (watched == m_name) {
        if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            if (!m_editing && m_callbacks.startRename)
                m_callbacks.startRename();
            return true;
        }
    } else if (watched == m_field) {
        if (event->type() == QEvent::FocusOut && m_editing && m_callbacks.endRename) {
            // Clicking elsewhere ends the rename, keeping what was typed.
            QMetaObject::invokeMethod(this, [this] {
                if (m_editing && !m_field->hasFocus() && m_callbacks.endRename)
                    m_callbacks.endRename();
            }, Qt::QueuedConnection);
        } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            if (m_callbacks.endRename)
                m_callbacks.endRename();
            return true;
        }
    } else if (watched == m_handle) {
        // Only mouse events are read as such.
        auto mouse = [event] { return static_cast<QMouseEvent*>(event); };
        if (event->type() == QEvent::MouseButtonPress && mouse()->button() == Qt::LeftButton) {
            m_pressAt = mouse()->position().toPoint();
            m_pressed = true;
            return true;
        }
        if (event->type() == QEvent::MouseMove && m_pressed
            && (mouse()->position().toPoint() - m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
            m_pressed = false;
            startDrag();
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease)
            m_pressed = false;
    }
    return QFrame::eventFilter(watched, event);
}

void CaptureCard::startDrag()
{
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setText(dragText());
    drag->setMimeData(mime);
    // The preview: a photo symbol and the title on a small rounded plate, 220 wide.
    QPixmap preview(220, 36);
    preview.fill(Qt::transparent);
    {
        QPainter p(&preview);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(ViewStyle::quaternary(palette()));
        p.setBrush(palette().window());
        p.drawRoundedRect(QRectF(preview.rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
        const QIcon icon = symbolIcon(QStringLiteral("photo"), ViewStyle::accent(palette()));
        icon.paint(&p, QRect(8, 9, 18, 18));
        QFont f = font();
        f.setWeight(QFont::Medium);
        p.setFont(f);
        p.setPen(palette().windowText().color());
        const QString title = m_capture->title().isEmpty() ? tr("Capture") : m_capture->title();
        p.drawText(QRect(34, 0, 178, 36), Qt::AlignVCenter | Qt::AlignLeft,
                   p.fontMetrics().elidedText(title, Qt::ElideRight, 178));
    }
    drag->setPixmap(preview);
    drag->exec(Qt::CopyAction | Qt::LinkAction);
}
