#include "Corvallen/Library/Views/BulkInspector.h"
#include "Corvallen/Platform/Views/LiteralText.h"

#include "Corvallen/Library/CaptureEdits.h"
#include "Corvallen/Library/Views/LibraryViewKit.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Platform/ModelContext.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "Corvallen/Widgets/Views/FlowLayout.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

class BulkThumb : public QWidget {
public:
    BulkThumb(QImage image, QWidget* parent)
        : QWidget(parent)
        , m_image(std::move(image))
    {
        setFixedSize(76, int(76 / LibraryViewKit::kThumbAspect));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        LibraryViewKit::drawThumbnail(p, m_image, r, 5, this);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(ViewStyle::quaternary(palette()), 1));
        p.drawRoundedRect(r, 5, 5);
    }

private:
    QImage m_image;
};

}  // namespace

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
    m_thumbs = new QWidget(content);
    new FlowLayout(8, m_thumbs);
    column->addWidget(m_thumbs);

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
    return int(m_thumbs->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size());
}

void BulkInspector::rebuildThumbnails()
{
    auto* flow = static_cast<FlowLayout*>(m_thumbs->layout());
    flow->clear();
    for (Capture* c : std::as_const(m_captures)) {
        const QImage image = DeviceStorage::captureImage(c->fileName());
        if (image.isNull())
            continue;  // no cell for an image that cannot be loaded
        flow->addWidget(new BulkThumb(image, m_thumbs));
    }
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
