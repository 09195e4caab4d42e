#include "Corvallen/Shell/Views/DashboardView.h"
#include "Corvallen/Platform/Views/LiteralText.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Shell/DashboardSummary.h"
#include "Corvallen/Shell/Views/RecentCapturesCarousel.h"
#include "Corvallen/Widgets/Views/StatTile.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QWidget* sectionHeader(const QString& title, QWidget* parent)
{
    auto* header = ViewStyle::label(title, ViewStyle::TextStyle::headline, QFont::Normal, false, parent);
    header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return header;
}

// One project: folder symbol, name (or "Untitled Project") and its capture count, on a faint
// card that takes clicks over its whole area.
class ProjectRow : public QAbstractButton {
public:
    ProjectRow(Project* project, QWidget* parent) : QAbstractButton(parent)
    {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        m_name = project->name().trimmed().isEmpty() ? DashboardView::tr("Untitled Project") : project->name();
        m_detail = DashboardView::tr("%n captures", nullptr, int(project->captureCount()));
        setText(literalText(m_name));  // painted as written; no mnemonic from the name
        setAccessibleName(m_name);
    }
    QSize sizeHint() const override
    {
        const QFontMetrics name(ViewStyle::font(ViewStyle::TextStyle::body, QFont::Medium));
        const QFontMetrics caption(ViewStyle::font(ViewStyle::TextStyle::caption));
        return {240, 12 * 2 + name.height() + 2 + caption.height()};
    }

protected:
    void enterEvent(QEnterEvent* e) override { m_hover = true; update(); QAbstractButton::enterEvent(e); }
    void leaveEvent(QEvent* e) override { m_hover = false; update(); QAbstractButton::leaveEvent(e); }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QPalette pal = palette();
        QPainterPath card;
        card.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
        p.fillPath(card, m_hover || isDown() ? ViewStyle::withAlpha(ViewStyle::accent(pal), isDown() ? 0.2 : 0.1)
                                             : ViewStyle::cardFill(pal));
        if (hasFocus()) {
            p.setPen(QPen(ViewStyle::accent(pal), 2));
            p.drawPath(card);
        }
        const int icon = 18;
        symbolIcon(QStringLiteral("folder"), ViewStyle::accent(pal)).paint(&p, QRect(12, (height() - icon) / 2, icon, icon));
        const int x = 12 + icon + 10;
        const int chevronW = 12;
        const int textW = width() - x - 12 - chevronW - 8;
        const QFont nameFont = ViewStyle::font(ViewStyle::TextStyle::body, QFont::Medium);
        const QFont captionFont = ViewStyle::font(ViewStyle::TextStyle::caption);
        const QFontMetrics nm(nameFont), cm(captionFont);
        const int top = (height() - (nm.height() + 2 + cm.height())) / 2;
        p.setFont(nameFont);
        p.setPen(pal.color(QPalette::WindowText));
        p.drawText(QRect(x, top, textW, nm.height()), Qt::AlignLeft | Qt::AlignVCenter, nm.elidedText(m_name, Qt::ElideRight, textW));
        p.setFont(captionFont);
        p.setPen(ViewStyle::secondary(pal));
        p.drawText(QRect(x, top + nm.height() + 2, textW, cm.height()), Qt::AlignLeft | Qt::AlignVCenter, m_detail);
        symbolIcon(QStringLiteral("chevron.right"), ViewStyle::tertiary(pal))
            .paint(&p, QRect(width() - 12 - chevronW, (height() - chevronW) / 2, chevronW, chevronW));
    }

private:
    QString m_name;
    QString m_detail;
    bool m_hover = false;
};

}  // namespace

DashboardView::DashboardView(ModelContext& context, Actions actions, QWidget* parent)
    : QScrollArea(parent), m_context(context), m_actions(std::move(actions))
{
    setObjectName(QStringLiteral("DashboardView"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);

    auto* page = new QWidget;
    page->setAutoFillBackground(false);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(22);

    column->addWidget(ViewStyle::label(tr("Dashboard"), ViewStyle::TextStyle::largeTitle, QFont::Bold, false, page));

    auto* tiles = new QHBoxLayout;
    tiles->setSpacing(12);
    struct TileInfo {
        QString label, symbol, help;
    };
    const QList<TileInfo> tileInfos = {
        {tr("Projects"), QStringLiteral("folder"), QString()},
        {tr("Captures"), QStringLiteral("photo.stack"), tr("View captures in the Library")},
        {tr("Low stock"), QStringLiteral("exclamationmark.triangle"), tr("Show low-stock components in the Inventory")},
        {tr("Out of stock"), QStringLiteral("exclamationmark.octagon"), tr("Show out-of-stock components in the Inventory")}};
    for (const TileInfo& info : tileInfos) {
        auto* tile = new StatTile(info.label, QStringLiteral("0"), info.symbol, page);
        tile->setInteractive(!info.help.isEmpty());
        tile->setToolTip(info.help);
        tiles->addWidget(tile);
        m_tiles << tile;
    }
    connect(m_tiles[1], &StatTile::clicked, this, [this] {
        if (m_actions.onOpenLibrary)
            m_actions.onOpenLibrary();
    });
    connect(m_tiles[2], &StatTile::clicked, this, [this] {
        if (m_actions.onOpenInventory)
            m_actions.onOpenInventory(InventoryStatusFilter::low);
    });
    connect(m_tiles[3], &StatTile::clicked, this, [this] {
        if (m_actions.onOpenInventory)
            m_actions.onOpenInventory(InventoryStatusFilter::out);
    });
    column->addLayout(tiles);

    m_recentSection = new QWidget(page);
    auto* recent = new QVBoxLayout(m_recentSection);
    recent->setContentsMargins(0, 0, 0, 0);
    recent->setSpacing(10);
    recent->addWidget(sectionHeader(tr("Recent captures"), m_recentSection));
    column->addWidget(m_recentSection);

    // The invitation of an empty store.
    m_emptyState = new QWidget(page);
    {
        auto* box = new QVBoxLayout(m_emptyState);
        box->setContentsMargins(0, 24, 0, 24);
        box->setSpacing(8);
        auto* icon = new QLabel(m_emptyState);
        icon->setPixmap(symbolIcon(QStringLiteral("folder.badge.plus")).pixmap(40, 40));
        icon->setAlignment(Qt::AlignCenter);
        box->addWidget(icon);
        auto* title = ViewStyle::label(tr("No projects yet"), ViewStyle::TextStyle::title3, QFont::DemiBold, false, m_emptyState);
        title->setAlignment(Qt::AlignCenter);
        box->addWidget(title);
        auto* text = ViewStyle::label(tr("Create your first project to start organising captures and parts."),
                                       ViewStyle::TextStyle::callout, QFont::Normal, true, m_emptyState);
        text->setAlignment(Qt::AlignCenter);
        text->setWordWrap(true);
        box->addWidget(text);
        auto* button = new QPushButton(symbolIcon(QStringLiteral("plus"), Qt::white), tr("New Project"), m_emptyState);
        ViewStyle::makeProminent(button);
        button->setObjectName(QStringLiteral("DashboardNewProject"));
        button->setDefault(true);
        connect(button, &QPushButton::clicked, this, [this] {
            if (m_actions.onNewProject)
                m_actions.onNewProject();
        });
        auto* buttonRow = new QHBoxLayout;
        buttonRow->addStretch(1);
        buttonRow->addWidget(button);
        buttonRow->addStretch(1);
        box->addLayout(buttonRow);
    }
    column->addWidget(m_emptyState);

    m_projectsSection = new QWidget(page);
    {
        auto* box = new QVBoxLayout(m_projectsSection);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(10);
        box->addWidget(sectionHeader(tr("Projects"), m_projectsSection));
        m_projectRows = new QVBoxLayout;
        m_projectRows->setSpacing(8);
        box->addLayout(m_projectRows);
    }
    column->addWidget(m_projectsSection);
    column->addStretch(1);
    setWidget(page);
    page->setAutoFillBackground(false);  // setWidget() turned it on; the window's background shows through

    m_reload.setSingleShot(true);
    m_reload.setInterval(0);
    connect(&m_reload, &QTimer::timeout, this, &DashboardView::reload);
    connect(&m_context, &ModelContext::changed, this, [this](const QString& entity) {
        if (entity == QLatin1String("Project") || entity == QLatin1String("Capture") || entity == QLatin1String("Component"))
            m_reload.start();
    });
    reload();
}

QList<QWidget*> DashboardView::projectRows() const
{
    QList<QWidget*> out;
    if (!m_projectsSection->isVisibleTo(this))
        return out;
    for (int i = 0; i < m_projectRows->count(); ++i)
        if (QWidget* w = m_projectRows->itemAt(i)->widget())
            out << w;
    return out;
}

void DashboardView::reload()
{
    m_reload.stop();
    const DashboardSummary s = DashboardSummary::compute(m_context);
    m_tiles[0]->setValue(QString::number(s.projectCount));
    m_tiles[1]->setValue(QString::number(s.captureCount));
    m_tiles[2]->setValue(QString::number(s.lowCount));
    m_tiles[3]->setValue(QString::number(s.outCount));

    if (s.recentCaptures.isEmpty()) {
        // The strip starts over at the first capture when the section comes back.
        delete m_carousel;
        m_recentSection->hide();
    } else {
        if (!m_carousel) {
            m_carousel = new RecentCapturesCarousel(s.recentCaptures, [this] {
                if (m_actions.onOpenLibrary)
                    m_actions.onOpenLibrary();
            }, 0, 3, m_recentSection);
            m_recentSection->layout()->addWidget(m_carousel);
        } else {
            m_carousel->setCaptures(s.recentCaptures);
        }
        m_recentSection->show();
    }
    buildProjects(s.projects);
}

void DashboardView::buildProjects(const QList<Project*>& projects)
{
    while (QLayoutItem* item = m_projectRows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_emptyState->setVisible(projects.isEmpty());
    m_projectsSection->setVisible(!projects.isEmpty());
    for (Project* project : projects) {
        auto* row = new ProjectRow(project, m_projectsSection);
        connect(row, &QAbstractButton::clicked, this, [this, project] {
            if (m_actions.onOpenProject && !project->isDeleted())
                m_actions.onOpenProject(project);
        });
        m_projectRows->addWidget(row);
    }
}
