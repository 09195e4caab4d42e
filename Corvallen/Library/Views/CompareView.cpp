#include "Corvallen/Library/Views/CompareView.h"

#include "Corvallen/Library/CompareSeries.h"
#include "Corvallen/Library/Views/CompareChart.h"
#include "Corvallen/Library/Views/LibraryViewKit.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// One capture's column: grip, title, image, reading line. Drags its file name; takes drops.
class CompareColumn : public QWidget {
public:
    CompareColumn(Capture* capture, CompareView* view, bool analyzing, QWidget* parent)
        : QWidget(parent)
        , m_capture(capture)
        , m_view(view)
    {
        setObjectName(QStringLiteral("CompareColumn"));
        setAcceptDrops(true);
        auto* l = new QVBoxLayout(this);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(8);
        auto* grip = ViewStyle::label(QStringLiteral("\u2261"), ViewStyle::TextStyle::caption2, QFont::Normal, true, this);
        l->addWidget(grip);
        auto* title = ViewStyle::label(capture->title(), ViewStyle::TextStyle::headline, QFont::DemiBold, false, this);
        title->setTextFormat(Qt::PlainText);
        l->addWidget(title);
        m_image = DeviceStorage::captureImage(capture->fileName());
        if (!m_image.isNull()) {
            m_imageArea = new QWidget(this);
            m_imageArea->setMinimumHeight(int(300 / LibraryViewKit::kThumbAspect));
            l->addWidget(m_imageArea);
            m_imageArea->installEventFilter(this);
        }
        const QString reading = CompareSeries::readingLine(*capture);
        QLabel* line;
        if (!reading.isEmpty())
            line = ViewStyle::label(reading, ViewStyle::TextStyle::callout, QFont::Bold, false, this);
        else
            line = ViewStyle::label(analyzing ? QStringLiteral("…") : tr("no reading"), ViewStyle::TextStyle::caption,
                                     QFont::Normal, true, this);
        line->setObjectName(QStringLiteral("ReadingLine"));
        l->addWidget(line);
        l->addStretch();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_imageArea && event->type() == QEvent::Paint) {
            QPainter p(m_imageArea);
            const QRectF r = LibraryViewKit::thumbRect(m_imageArea->width());
            LibraryViewKit::drawThumbnail(p, m_image, r, 8, m_imageArea);
            return true;
        }
        if (watched == m_imageArea && event->type() == QEvent::Resize)
            m_imageArea->setFixedHeight(int(m_imageArea->width() / LibraryViewKit::kThumbAspect));
        return QWidget::eventFilter(watched, event);
    }
    void mousePressEvent(QMouseEvent* e) override { m_pressAt = e->position().toPoint(); }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (!(e->buttons() & Qt::LeftButton)
            || (e->position().toPoint() - m_pressAt).manhattanLength() < QApplication::startDragDistance())
            return;
        auto* drag = new QDrag(this);
        auto* mime = new QMimeData;
        mime->setText(m_capture->fileName());
        drag->setMimeData(mime);
        drag->exec(Qt::MoveAction);
    }
    void dragEnterEvent(QDragEnterEvent* e) override
    {
        if (e->mimeData()->hasText())
            e->acceptProposedAction();
    }
    void dropEvent(QDropEvent* e) override
    {
        const QString text = e->mimeData()->text();
        Capture* target = m_capture;
        CompareView* view = m_view;
        if (view->handleDrop({text}, target))
            e->acceptProposedAction();
        else
            e->ignore();
    }

private:
    Capture* m_capture;
    CompareView* m_view;
    QImage m_image;
    QWidget* m_imageArea = nullptr;
    QPoint m_pressAt;
};

}  // namespace

CompareView::CompareView(const QList<Capture*>& captures, ModelContext& context, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_captures(captures)
    // The fill-in belongs to the store's context so that it completes after the sheet closes.
    , m_fill(new ReadingFillIn(context, &context))
{
    setObjectName(QStringLiteral("CompareView"));
    setWindowTitle(tr("Compare"));
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->addWidget(ViewStyle::label(tr("Compare"), ViewStyle::TextStyle::title3, QFont::Bold, false, header));
    m_progress = new QWidget(header);
    auto* progressRow = new QHBoxLayout(m_progress);
    progressRow->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QProgressBar(m_progress);
    bar->setRange(0, 0);
    bar->setFixedWidth(60);
    bar->setMaximumHeight(10);
    bar->setTextVisible(false);
    progressRow->addWidget(bar);
    progressRow->addWidget(ViewStyle::label(tr("Reading values…"), ViewStyle::TextStyle::caption, QFont::Normal, true, m_progress));
    row->addWidget(m_progress);
    row->addStretch();
    auto* done = new QPushButton(tr("Done"), header);
    done->setDefault(true);
    done->setAutoDefault(true);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(done);
    layout->addWidget(header);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    layout->addWidget(line);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* body = new QWidget;
    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->setSpacing(16);
    m_columnsRow = new QWidget(body);
    m_columnsLayout = new QHBoxLayout(m_columnsRow);
    m_columnsLayout->setContentsMargins(0, 0, 0, 0);
    m_columnsLayout->setSpacing(16);
    bodyLayout->addWidget(m_columnsRow);
    auto* divider = new QFrame(body);
    divider->setFrameShape(QFrame::HLine);
    bodyLayout->addWidget(divider);
    m_heading = ViewStyle::label({}, ViewStyle::TextStyle::headline, QFont::DemiBold, false, body);
    bodyLayout->addWidget(m_heading);
    m_chartArea = new QStackedWidget(body);
    m_chart = new CompareChart(m_chartArea);
    m_placeholder = ViewStyle::label({}, ViewStyle::TextStyle::body, QFont::Normal, true, m_chartArea);
    m_placeholder->setAlignment(Qt::AlignCenter);
    m_placeholder->setMinimumHeight(160);
    m_chartArea->addWidget(m_chart);
    m_chartArea->addWidget(m_placeholder);
    bodyLayout->addWidget(m_chartArea);
    bodyLayout->addStretch();
    scroll->setWidget(body);
    layout->addWidget(scroll, 1);

    connect(m_fill, &ReadingFillIn::readingWritten, this, &CompareView::rebuild);
    connect(m_fill, &ReadingFillIn::finished, this, &CompareView::rebuild);
    // Drop the fill-in once it has finished and the sheet is gone.
    connect(m_fill, &ReadingFillIn::finished, m_fill, [fill = m_fill, self = QPointer<CompareView>(this)] {
        if (!self)
            fill->deleteLater();
    });
    connect(this, &QObject::destroyed, m_fill, [fill = m_fill] {
        if (!fill->isRunning())
            fill->deleteLater();
    });
    rebuild();
}

bool CompareView::isAnalyzing() const
{
    return m_fill->isRunning();
}

void CompareView::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (m_order.isEmpty())
        m_order = m_captures;
    setFixedSize(CompareSeries::sheetWidth(m_order.size()), 660);
    m_fill->start(m_order);
    rebuild();
}

bool CompareView::handleDrop(const QStringList& texts, Capture* target)
{
    if (!CompareSeries::handleDrop(m_order, texts, target))
        return false;
    // Rebuilding removes the column that is handling the drop: do it once the drop is over.
    QMetaObject::invokeMethod(this, &CompareView::rebuild, Qt::QueuedConnection);
    return true;
}

void CompareView::rebuild()
{
    QList<Capture*> live;
    for (Capture* c : std::as_const(m_order))
        if (!c->isDeleted())
            live.append(c);
    m_order = live;
    const bool analyzing = isAnalyzing();
    m_progress->setVisible(analyzing);
    for (QWidget* w : std::as_const(m_columns))
        w->deleteLater();
    m_columns.clear();
    while (QLayoutItem* item = m_columnsLayout->takeAt(0))
        delete item;
    for (Capture* c : std::as_const(m_order)) {
        auto* column = new CompareColumn(c, this, analyzing, m_columnsRow);
        m_columnsLayout->addWidget(column, 1, Qt::AlignTop);
        m_columns.append(column);
    }
    m_heading->setText(CompareSeries::heading(m_order));
    if (CompareSeries::hasAnyValue(m_order)) {
        m_chart->setSeries(CompareSeries::points(m_order), CompareSeries::ticks(m_order), CompareSeries::seriesUnit(m_order));
        m_chartArea->setCurrentWidget(m_chart);
    } else {
        m_placeholder->setText(analyzing ? tr("Analyzing…") : tr("No readings to plot."));
        m_chartArea->setCurrentWidget(m_placeholder);
    }
}
