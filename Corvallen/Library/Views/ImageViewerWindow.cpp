#include "Corvallen/Library/Views/ImageViewerWindow.h"

#include "Corvallen/Library/Views/LibraryViewKit.h"
#include "Corvallen/Model/HexColor.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QWheelEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

using Tool = ImageEditSession::Tool;

namespace {

void drawStroke(QPainter& p, const ImageEditSession::Stroke& s, const QSizeF& size)
{
    if (s.pts.size() < 2)
        return;
    QPen pen(colorFromHex(s.colorHex), s.width * size.width(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setMiterLimit(10);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPainterPath path(QPointF(s.pts.first().x() * size.width(), s.pts.first().y() * size.height()));
    for (qsizetype i = 1; i < s.pts.size(); ++i)
        path.lineTo(s.pts.at(i).x() * size.width(), s.pts.at(i).y() * size.height());
    p.drawPath(path);
}

void drawBase(QPainter& p, const ImageEditSession& session, const QRectF& rect, const QWidget* w)
{
    if (session.hasBase()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(rect, session.base());
    } else {
        p.fillRect(rect, ViewStyle::quaternary(w->palette()));
    }
}

// The image at zoom × area width for the view tool.
class ZoomedImage : public QWidget {
public:
    ZoomedImage(ImageEditSession& s, QWidget* parent)
        : QWidget(parent)
        , m_session(s)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QSizeF size = imageSize();
        const QRectF r((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(), size.height());
        drawBase(p, m_session, r, this);
    }

public:
    QSizeF imageSize() const
    {
        const double w = m_areaWidth * m_session.zoom();
        return {w, w / m_session.aspect()};
    }
    void setArea(const QSize& area)
    {
        m_areaWidth = area.width();
        const QSizeF size = imageSize();
        resize(qMax(area.width(), int(std::ceil(size.width()))), qMax(area.height(), int(std::ceil(size.height()))));
        update();
    }

private:
    ImageEditSession& m_session;
    double m_areaWidth = 0;
};

// The pen and crop surface: the image fitted into the area, the overlay on top.
class EditCanvas : public QWidget {
public:
    EditCanvas(ImageEditSession& s, std::function<void()> changed, QWidget* parent)
        : QWidget(parent)
        , m_session(s)
        , m_changed(std::move(changed))
    {
        setObjectName(QStringLiteral("ImageEditCanvas"));
        setCursor(Qt::CrossCursor);
    }
    QRectF fittedRect() const
    {
        const QSizeF size = m_session.fittedSize(QSizeF(parentWidget()->size()));
        return QRectF(QPointF(0, 0), size);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setClipRect(rect());
        const QSizeF size = size_();
        drawBase(p, m_session, QRectF(QPointF(0, 0), size), this);
        p.setRenderHint(QPainter::Antialiasing, true);
        for (const auto& s : m_session.strokes())
            drawStroke(p, s, size);
        if (m_session.live())
            drawStroke(p, *m_session.live(), size);
        if (const auto crop = m_session.cropRect()) {
            const QRectF r(crop->x() * size.width(), crop->y() * size.height(), crop->width() * size.width(),
                           crop->height() * size.height());
            p.fillRect(r, QColor(255, 255, 255, 31));
            p.setPen(QPen(Qt::white, 1));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r);
        }
    }
    void mousePressEvent(QMouseEvent* e) override { drag(e); }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (e->buttons() & Qt::LeftButton)
            drag(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton)
            return;
        m_session.dragEnded();
        m_changed();
    }

private:
    QSizeF size_() const { return QSizeF(size()); }
    void drag(QMouseEvent* e)
    {
        if (!(e->buttons() & Qt::LeftButton))
            return;
        m_session.dragChanged(e->position(), size_());
        m_changed();
    }
    ImageEditSession& m_session;
    std::function<void()> m_changed;
};

// Centres the canvas at its fitted size inside the area below the toolbar.
class CanvasArea : public QWidget {
public:
    CanvasArea(ImageEditSession& s, QWidget* parent)
        : QWidget(parent)
        , m_session(s)
    {
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::black);
        setPalette(pal);
    }
    void place()
    {
        if (!m_canvas)
            return;
        const QSizeF size = m_session.fittedSize(QSizeF(this->size()));
        m_canvas->setGeometry(int((width() - size.width()) / 2), int((height() - size.height()) / 2),
                              int(std::round(size.width())), int(std::round(size.height())));
    }
    QWidget* m_canvas = nullptr;

protected:
    void resizeEvent(QResizeEvent*) override { place(); }

private:
    ImageEditSession& m_session;
};

}  // namespace

ImageViewerWindow::ImageViewerWindow(const QString& fileName, ModelContext& context, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_session(fileName)
{
    setObjectName(QStringLiteral("ImageViewerWindow"));
    setWindowTitle(fileName);
    setMinimumSize(540, 400);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* toolbar = new QWidget(this);
    auto* row = new QHBoxLayout(toolbar);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(10);
    m_tools = new QButtonGroup(this);
    auto* picker = new QWidget(toolbar);
    auto* pickerRow = new QHBoxLayout(picker);
    pickerRow->setContentsMargins(0, 0, 0, 0);
    pickerRow->setSpacing(0);
    const QList<std::tuple<QString, QString, QString>> tools = {
        {QStringLiteral("arrow.up.left.and.arrow.down.right"), tr("View"), tr("Look")},
        {QStringLiteral("pencil.tip"), tr("Pen"), tr("Draw")},
        {QStringLiteral("crop"), tr("Crop"), tr("Crop")}};
    for (int i = 0; i < tools.size(); ++i) {
        auto* b = LibraryViewKit::symbolButton(std::get<0>(tools[i]), std::get<1>(tools[i]), std::get<2>(tools[i]), picker);
        ViewStyle::makeSegment(b);
        m_tools->addButton(b, i);
        pickerRow->addWidget(b);
    }
    m_tools->button(0)->setChecked(true);
    connect(m_tools, &QButtonGroup::idClicked, this, [this](int id) { setTool(Tool(id)); });
    row->addWidget(picker);

    m_toolControls = new QStackedWidget(toolbar);
    // View tool: zoom out, the percentage, zoom in, Fit.
    auto* viewControls = new QWidget(m_toolControls);
    auto* viewRow = new QHBoxLayout(viewControls);
    viewRow->setContentsMargins(0, 0, 0, 0);
    m_zoomOut = LibraryViewKit::symbolButton(QStringLiteral("minus.magnifyingglass"), QStringLiteral("\u2212"), tr("Zoom out"),
                                             viewControls);
    m_zoomLabel = new QLabel(viewControls);
    m_zoomLabel->setFixedWidth(42);
    m_zoomLabel->setAlignment(Qt::AlignCenter);
    QFont mono = m_zoomLabel->font();
    mono.setStyleHint(QFont::Monospace);
    m_zoomLabel->setFont(mono);
    m_zoomIn = LibraryViewKit::symbolButton(QStringLiteral("plus.magnifyingglass"), QStringLiteral("+"), tr("Zoom in"), viewControls);
    auto* fit = new QPushButton(tr("Fit"), viewControls);
    connect(m_zoomOut, &QToolButton::clicked, this, [this] {
        m_session.zoomOut();
        refresh();
    });
    connect(m_zoomIn, &QToolButton::clicked, this, [this] {
        m_session.zoomIn();
        refresh();
    });
    connect(fit, &QPushButton::clicked, this, [this] {
        m_session.zoomToFit();
        refresh();
    });
    for (QWidget* w : {static_cast<QWidget*>(m_zoomOut), static_cast<QWidget*>(m_zoomLabel), static_cast<QWidget*>(m_zoomIn),
                       static_cast<QWidget*>(fit)})
        viewRow->addWidget(w);
    viewRow->addStretch(1);  // the controls keep their size; "Fit" is a button, not a bar
    m_toolControls->addWidget(viewControls);

    // Pen tool: colour swatches, width, undo, clear.
    auto* penControls = new QWidget(m_toolControls);
    auto* penRow = new QHBoxLayout(penControls);
    penRow->setContentsMargins(0, 0, 0, 0);
    m_swatchRow = new QWidget(penControls);
    auto* swatchRow = new QHBoxLayout(m_swatchRow);
    swatchRow->setContentsMargins(0, 0, 0, 0);
    for (const QString& hex : ImageEditSession::palette()) {
        auto* swatch = new QToolButton(m_swatchRow);
        swatch->setObjectName(hex);
        swatch->setFixedSize(20, 20);
        swatch->setToolTip(hex);
        connect(swatch, &QToolButton::clicked, this, [this, hex] {
            m_session.selectPenColor(hex);
            refresh();
        });
        swatchRow->addWidget(swatch);
    }
    penRow->addWidget(m_swatchRow);
    m_penWidth = new QSlider(Qt::Horizontal, penControls);
    m_penWidth->setRange(10, 100);  // tenths of a point, 1 to 10
    m_penWidth->setFixedWidth(80);
    m_penWidth->setValue(int(m_session.penPts() * 10));
    connect(m_penWidth, &QSlider::valueChanged, this, [this](int v) { m_session.setPenPts(v / 10.0); });
    penRow->addWidget(m_penWidth);
    auto* undo = LibraryViewKit::symbolButton(QStringLiteral("arrow.uturn.backward"), tr("Undo"), tr("Undo last stroke"), penControls);
    auto* clear = LibraryViewKit::symbolButton(QStringLiteral("trash"), tr("Clear"), tr("Clear strokes"), penControls);
    connect(undo, &QToolButton::clicked, this, [this] {
        m_session.undoLastStroke();
        refresh();
    });
    connect(clear, &QToolButton::clicked, this, [this] {
        m_session.clearStrokes();
        refresh();
    });
    penRow->addWidget(undo);
    penRow->addWidget(clear);
    m_toolControls->addWidget(penControls);

    // Crop tool: Apply Crop, Reset.
    auto* cropControls = new QWidget(m_toolControls);
    auto* cropRow = new QHBoxLayout(cropControls);
    cropRow->setContentsMargins(0, 0, 0, 0);
    m_applyCrop = new QPushButton(tr("Apply Crop"), cropControls);
    auto* reset = new QPushButton(tr("Reset"), cropControls);
    connect(m_applyCrop, &QPushButton::clicked, this, &ImageViewerWindow::applyCrop);
    connect(reset, &QPushButton::clicked, this, [this] {
        m_session.resetCrop();
        refresh();
    });
    cropRow->addWidget(m_applyCrop);
    cropRow->addWidget(reset);
    m_toolControls->addWidget(cropControls);
    row->addWidget(m_toolControls);
    row->addStretch();

    m_savedNote = ViewStyle::label({}, ViewStyle::TextStyle::caption, QFont::Normal, true, toolbar);
    row->addWidget(m_savedNote);
    m_save = LibraryViewKit::textButton(tr("Save Copy"), QStringLiteral("square.and.arrow.down"), toolbar);
    m_save->setShortcut(QKeySequence::Save);
    m_save->setToolTip(tr("Save Copy (Ctrl+S)"));
    connect(m_save, &QPushButton::clicked, this, &ImageViewerWindow::saveCopy);
    row->addWidget(m_save);
    column->addWidget(toolbar);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    column->addWidget(line);

    m_area = new QStackedWidget(this);
    m_scroll = new QScrollArea(m_area);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setFrameShape(QFrame::NoFrame);
    QPalette black = m_scroll->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_scroll->setPalette(black);
    m_scroll->setBackgroundRole(QPalette::Window);
    auto* zoomed = new ZoomedImage(m_session, m_scroll);
    m_zoomed = zoomed;
    m_scroll->setWidget(zoomed);
    m_scroll->viewport()->installEventFilter(this);
    m_area->addWidget(m_scroll);
    auto* area = new CanvasArea(m_session, m_area);
    m_canvasArea = area;
    m_canvas = new EditCanvas(m_session, [this] { refresh(); }, area);
    area->m_canvas = m_canvas;
    m_area->addWidget(area);
    column->addWidget(m_area, 1);
    // A pinch on the view tool's scroll area zooms (touchpads report it as a native gesture).
    m_scroll->viewport()->setAttribute(Qt::WA_AcceptTouchEvents);
    m_session.loadBaseImage();
    refresh();
}

QList<QAbstractButton*> ImageViewerWindow::swatches() const
{
    QList<QAbstractButton*> out;
    for (QToolButton* b : m_swatchRow->findChildren<QToolButton*>())
        out.append(b);
    return out;
}

void ImageViewerWindow::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    m_session.loadBaseImage();
    refresh();
}

bool ImageViewerWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_scroll->viewport()) {
        if (event->type() == QEvent::Resize) {
            static_cast<ZoomedImage*>(m_zoomed)->setArea(m_scroll->viewport()->size());
        } else if (event->type() == QEvent::Wheel && (static_cast<QWheelEvent*>(event)->modifiers() & Qt::ControlModifier)) {
            // Ctrl+wheel zooms in and out a step per notch, as in other image viewers.
            const int notch = static_cast<QWheelEvent*>(event)->angleDelta().y();
            if (notch > 0)
                m_session.zoomIn();
            else if (notch < 0)
                m_session.zoomOut();
            refresh();
            return true;
        } else if (event->type() == QEvent::NativeGesture) {
            auto* g = static_cast<QNativeGestureEvent*>(event);
            if (g->gestureType() == Qt::BeginNativeGesture) {
                m_pinch = 1;
            } else if (g->gestureType() == Qt::ZoomNativeGesture) {
                m_pinch *= 1 + g->value();
                m_session.magnifyChanged(m_pinch);
                refresh();
            } else if (g->gestureType() == Qt::EndNativeGesture) {
                m_session.magnifyEnded();
                m_pinch = 1;
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ImageViewerWindow::setTool(Tool tool)
{
    m_session.setTool(tool);
    refresh();
}

void ImageViewerWindow::saveCopy()
{
    m_session.saveCopy(m_context);
    refresh();
}

void ImageViewerWindow::applyCrop()
{
    m_session.applyCrop();
    refresh();
}

void ImageViewerWindow::refresh()
{
    const Tool tool = m_session.tool();
    m_tools->button(int(tool))->setChecked(true);
    m_toolControls->setCurrentIndex(int(tool));
    m_zoomLabel->setText(m_session.zoomText());
    m_zoomOut->setEnabled(m_session.canZoomOut());
    m_zoomIn->setEnabled(m_session.canZoomIn());
    m_applyCrop->setEnabled(m_session.cropRect().has_value());
    for (QAbstractButton* b : swatches()) {
        const bool current = b->objectName() == m_session.penHex();
        b->setStyleSheet(QStringLiteral("QToolButton{background:%1;border-radius:8px;border:%2;}")
                             .arg(b->objectName(), current ? QStringLiteral("2px solid palette(window-text)")
                                                           : QStringLiteral("none")));
    }
    m_savedNote->setText(m_session.savedNote());
    m_savedNote->setVisible(!m_session.savedNote().isEmpty());
    m_area->setCurrentIndex(tool == Tool::view ? 0 : 1);
    static_cast<ZoomedImage*>(m_zoomed)->setArea(m_scroll->viewport()->size());
    static_cast<CanvasArea*>(m_canvasArea)->place();
    m_canvas->update();
}
