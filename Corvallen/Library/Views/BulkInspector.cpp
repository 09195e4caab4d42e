#include "Corvallen/Library/Views/BulkInspector.h"
#include "Corvallen/Platform/Views/LiteralText.h"

#include "Corvallen/Library/CaptureEdits.h"
#include "Corvallen/Library/Views/LibraryViewKit.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Sync/CaptureThumbnails.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QImageReader>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QSet>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kMinCell = 76;
constexpr int kSpacing = 8;

}  // namespace

// The selection's thumbnails as one painted grid: as many columns of at least 76 as fit, cells
// centred. Only the cells that are on screen are drawn, and their pictures come from the shared
// thumbnails, read in the background; so selecting every capture of a large library neither
// decodes every image nor makes a widget per capture.
class BulkThumbGrid : public QWidget {
public:
    explicit BulkThumbGrid(QWidget* parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("bulkThumbnails"));
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
        connect(&CaptureThumbnails::shared(), &CaptureThumbnails::ready, this, [this](const QString& fileName) {
            if (m_shown.contains(fileName))
                update();
        });
    }

    void setFileNames(QStringList names)
    {
        m_names = std::move(names);
        m_shown.clear();
        updateGeometry();
        update();
    }
    int count() const { return int(m_names.size()); }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override
    {
        const Grid g = grid(width);
        const int rows = g.columns > 0 ? int((m_names.size() + g.columns - 1) / g.columns) : 0;
        return rows > 0 ? rows * g.cellHeight + (rows - 1) * kSpacing : 0;
    }
    QSize sizeHint() const override { return {kMinCell, heightForWidth(std::max(width(), kMinCell))}; }
    QSize minimumSizeHint() const override { return {kMinCell, 0}; }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        const Grid g = grid(width());
        if (g.columns <= 0)
            return;
        QPainter p(this);
        const QRect dirty = event->rect();
        const int rowPitch = g.cellHeight + kSpacing;
        const int firstRow = std::max(0, dirty.top() / rowPitch);
        const int lastRow = dirty.bottom() / rowPitch;
        m_shown.clear();
        for (int row = firstRow; row <= lastRow; ++row) {
            for (int column = 0; column < g.columns; ++column) {
                const qsizetype i = qsizetype(row) * g.columns + column;
                if (i >= m_names.size())
                    return;
                const QRectF cell(g.left + column * (g.cellWidth + kSpacing), row * rowPitch, g.cellWidth,
                                  g.cellHeight);
                const QRectF r = cell.adjusted(0.5, 0.5, -0.5, -0.5);
                const QString& name = m_names.at(i);
                m_shown.insert(name);
                LibraryViewKit::drawThumbnail(p, CaptureThumbnails::shared().thumbnail(name), r, 5, this);
                p.save();
                p.setRenderHint(QPainter::Antialiasing, true);
                p.setPen(QPen(ViewStyle::quaternary(palette()), 1));
                p.setBrush(Qt::NoBrush);
                p.drawRoundedRect(r, 5, 5);
                p.restore();
            }
        }
    }

private:
    struct Grid {
        int columns = 0;
        double cellWidth = 0;
        int cellHeight = 0;
        double left = 0;
    };
    // Columns of at least the minimum width share the width; a grid of fewer cells than
    // columns keeps the cell width and sits in the middle.
    Grid grid(int width) const
    {
        Grid g;
        if (m_names.isEmpty() || width <= 0)
            return g;
        const int fit = std::max(1, (width + kSpacing) / (kMinCell + kSpacing));
        g.columns = fit;
        g.cellWidth = double(width - (fit - 1) * kSpacing) / fit;
        g.cellHeight = int(std::ceil(g.cellWidth / LibraryViewKit::kThumbAspect));
        const int used = int(std::min<qsizetype>(fit, m_names.size()));
        g.left = (width - (used * g.cellWidth + (used - 1) * kSpacing)) / 2.0;
        return g;
    }

    QStringList m_names;
    QSet<QString> m_shown;  // names drawn by the last paint: their arrival asks for a repaint
};

BulkInspector::BulkInspector(ModelContext& context, std::function<void()> onCompare, std::function<void()> onDelete,
                             QWidget* parent)
    : QScrollArea(parent)
    , m_context(context)
    , m_onCompare(std::move(onCompare))
    , m_onDelete(std::move(onDelete))
{
    setObjectName(QStringLiteral("BulkInspector"));
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setSpacing(16);
    column->setContentsMargins(16, 16, 16, 16);

    m_header = ViewStyle::label({}, ViewStyle::TextStyle::headline, QFont::DemiBold, false, content);
    column->addWidget(m_header);
    m_thumbs = new BulkThumbGrid(content);
    column->addWidget(m_thumbs);
    m_moreThumbs = ViewStyle::label({}, ViewStyle::TextStyle::caption, QFont::Normal, true, content);
    m_moreThumbs->setObjectName(QStringLiteral("moreThumbnails"));
    m_moreThumbs->hide();
    column->addWidget(m_moreThumbs);

    auto* move = new QWidget(content);
    auto* moveColumn = new QVBoxLayout(move);
    moveColumn->setContentsMargins(0, 0, 0, 0);
    moveColumn->setSpacing(6);
    moveColumn->addWidget(LibraryViewKit::sectionTitle(tr("Move to project"), move));
    m_move = new QToolButton(move);
    m_move->setText(tr("Choose project…"));
    m_move->setPopupMode(QToolButton::InstantPopup);
    m_move->setMenu(new QMenu(m_move));
    connect(m_move->menu(), &QMenu::aboutToShow, this, &BulkInspector::rebuildProjectMenu);
    moveColumn->addWidget(m_move);
    column->addWidget(move);

    auto* tag = new QWidget(content);
    auto* tagColumn = new QVBoxLayout(tag);
    tagColumn->setContentsMargins(0, 0, 0, 0);
    tagColumn->setSpacing(6);
    tagColumn->addWidget(LibraryViewKit::sectionTitle(tr("Add tag to all"), tag));
    auto* row = new QHBoxLayout;
    m_tagInput = new QLineEdit(tag);
    m_tagInput->setPlaceholderText(tr("Tag"));
    m_add = new QPushButton(tr("Add"), tag);
    m_add->setEnabled(false);
    row->addWidget(m_tagInput, 1);
    row->addWidget(m_add);
    tagColumn->addLayout(row);
    connect(m_tagInput, &QLineEdit::textChanged, this, [this] { m_add->setEnabled(CaptureEdits::canAddTag(m_tagInput->text())); });
    connect(m_tagInput, &QLineEdit::returnPressed, this, &BulkInspector::addTagToAll);
    connect(m_add, &QPushButton::clicked, this, &BulkInspector::addTagToAll);
    column->addWidget(tag);

    m_compare = LibraryViewKit::textButton(tr("Compare"), QStringLiteral("rectangle.split.2x1"), content);
    ViewStyle::makeProminent(m_compare);
    connect(m_compare, &QPushButton::clicked, this, [this] {
        if (m_onCompare)
            m_onCompare();
    });
    column->addWidget(m_compare);
    m_compareHint = ViewStyle::label(tr("Select 2–3 captures to compare."), ViewStyle::TextStyle::caption, QFont::Normal,
                                      true, content);
    column->addWidget(m_compareHint);

    auto* line = new QFrame(content);
    line->setFrameShape(QFrame::HLine);
    column->addWidget(line);
    m_delete = LibraryViewKit::textButton({}, QStringLiteral("trash"), content);
    connect(m_delete, &QPushButton::clicked, this, [this] {
        if (m_onDelete)
            m_onDelete();
    });
    column->addWidget(m_delete);
    column->addStretch();
    setWidget(content);
}

void BulkInspector::setCaptures(const QList<Capture*>& captures)
{
    m_captures = captures;
    const qsizetype n = captures.size();
    m_header->setText(QString::number(n) + tr(" selected"));
    m_compare->setVisible(n == 2 || n == 3);
    m_compareHint->setVisible(!(n == 2 || n == 3));
    m_delete->setText(tr("Delete ") + QString::number(n) + tr(" Captures"));
    rebuildThumbnails();
}

int BulkInspector::thumbnailCount() const
{
    return m_thumbs->count();
}

void BulkInspector::rebuildThumbnails()
{
    // No cell for a capture whose file is gone or is no picture (its header names no image
    // format, or no size); the pictures themselves are read only for the cells on screen.
    // The grid stops at a thousand cells: a panel many thousand rows tall is past what a layout
    // can size (it was drawn empty), and nobody scrolls through it; the rest are counted below.
    const QString folder = DeviceStorage::capturesFolder() + QLatin1Char('/');
    QStringList names;
    qsizetype looked = 0;
    for (; looked < m_captures.size() && names.size() < kMostThumbnails; ++looked) {
        const QString name = m_captures.at(looked)->fileName();
        if (!AppPaths::isPlainFileName(name))
            continue;
        QImageReader reader(folder + name);
        if (reader.canRead() && reader.size().isValid())
            names.append(name);
    }
    m_thumbs->setFileNames(std::move(names));
    const qsizetype rest = m_captures.size() - looked;
    m_moreThumbs->setVisible(rest > 0);
    if (rest > 0)
        m_moreThumbs->setText(tr("and %1 more").arg(QLocale().toString(rest)));
}

void BulkInspector::rebuildProjectMenu()
{
    QMenu* menu = m_move->menu();
    menu->clear();
    menu->addAction(tr("Unfiled"), this, [this] { moveTo(nullptr); });
    menu->addSeparator();
    for (Project* p : CaptureEdits::allProjectsByName(m_context))
        menu->addAction(literalText(p->name()), this, [this, p] {
            if (!p->isDeleted())
                moveTo(p);
        });
}

void BulkInspector::moveTo(Project* project)
{
    CaptureEdits::moveAll(m_captures, project, m_context);
    Q_EMIT capturesEdited();
}

void BulkInspector::addTagToAll()
{
    if (!CaptureEdits::addTagToAll(m_captures, m_tagInput->text(), m_context))
        return;
    m_tagInput->clear();
    Q_EMIT capturesEdited();
}
