#include "Corvallen/Shell/Views/ShellSidebar.h"
#include "Corvallen/Platform/Views/LiteralText.h"

#include "Corvallen/Exports/BusinessProfile.h"

#include "Corvallen/Model/DragString.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Shell/Views/VisualEffectView.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QVariantAnimation>
#include <QVBoxLayout>

namespace {

constexpr int kIconFrame = 22;
constexpr int kIconSize = 16;
constexpr int kOuterMargin = 8;  // around each row, inside the column

QPixmap loadBusinessLogo(const QString& fileName)
{
    const QImage image = BusinessProfile::loadLogo(fileName);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    QPalette p = line->palette();
    p.setColor(QPalette::WindowText, ViewStyle::quaternary(p));
    line->setPalette(p);
    return line;
}

QToolButton* plainIconButton(const QString& symbol, const QString& tip, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setAutoRaise(true);
    b->setIcon(symbolIcon(symbol));
    b->setIconSize(QSize(kIconSize, kIconSize));
    b->setToolTip(tip);
    b->setAccessibleName(tip.isEmpty() ? symbol : tip);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

}  // namespace

// A section or Settings row: symbol in a 22-wide frame and, expanded, the title; the accent
// fill marks the page shown.
class SidebarRowButton : public QAbstractButton {
public:
    SidebarRowButton(const QString& title, const QString& symbol, std::function<bool()> selected, QWidget* parent)
        : QAbstractButton(parent), m_title(title), m_symbol(symbol), m_selected(std::move(selected))
    {
        setText(literalText(title));  // painted as written; a project's name makes no mnemonic
        setToolTip(title);
        setAccessibleName(title);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    void setCollapsed(bool collapsed)
    {
        m_collapsed = collapsed;
        update();
    }
    QSize sizeHint() const override { return {kOuterMargin * 2 + kIconFrame, std::max(kIconFrame, fontMetrics().height()) + 10}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    virtual QColor fill() const
    {
        return m_selected && m_selected() ? ViewStyle::withAlpha(ViewStyle::accent(palette()), 0.18) : QColor(Qt::transparent);
    }
    virtual qreal scale() const { return 1.0; }
    virtual bool outlined() const { return false; }
    QRectF labelRect() const { return QRectF(rect()).adjusted(kOuterMargin, 0, -kOuterMargin, 0); }

    // The hover fill fades in and out instead of blinking.
    void enterEvent(QEnterEvent* e) override
    {
        m_hover = true;
        animateHover(1.0);
        QAbstractButton::enterEvent(e);
    }
    void leaveEvent(QEvent* e) override
    {
        m_hover = false;
        animateHover(0.0);
        QAbstractButton::leaveEvent(e);
    }
    void animateHover(qreal to)
    {
        if (!m_hoverAnimation) {
            m_hoverAnimation = new QVariantAnimation(this);
            m_hoverAnimation->setDuration(120);
            m_hoverAnimation->setEasingCurve(QEasingCurve::OutCubic);
            connect(m_hoverAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
                m_hoverLevel = v.toReal();
                update();
            });
        }
        m_hoverAnimation->stop();
        m_hoverAnimation->setStartValue(m_hoverLevel);
        m_hoverAnimation->setEndValue(to);
        m_hoverAnimation->start();
    }
    // The focus ring is for keyboard users: focus that merely lands here (a click elsewhere,
    // a rebuilt header) draws none.
    void focusInEvent(QFocusEvent* e) override
    {
        m_focusRing = e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason;
        QAbstractButton::focusInEvent(e);
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        m_focusRing = false;
        QAbstractButton::focusOutEvent(e);
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF label = labelRect();
        const qreal s = scale();
        if (s != 1.0) {
            p.translate(label.center());
            p.scale(s, s);
            p.translate(-label.center());
        }
        QColor background = fill();
        if (background.alpha() == 0 && (m_hoverLevel > 0 || isDown()))
            background = ViewStyle::withAlpha(palette().color(QPalette::WindowText), isDown() ? 0.10 : 0.06 * m_hoverLevel);
        QPainterPath shape;
        shape.addRoundedRect(label, 6, 6);
        p.fillPath(shape, background);
        if (outlined()) {
            p.setPen(QPen(ViewStyle::accent(palette()), 2));
            p.drawRoundedRect(label.adjusted(1, 1, -1, -1), 5, 5);
        } else if (hasFocus() && m_focusRing) {
            p.setPen(QPen(ViewStyle::withAlpha(ViewStyle::accent(palette()), 0.8), 1.5));
            p.drawRoundedRect(label.adjusted(0.75, 0.75, -0.75, -0.75), 6, 6);
        }
        const int pad = m_collapsed ? 0 : 8;
        QRectF iconFrame;
        if (m_collapsed)
            iconFrame = QRectF(label.center().x() - kIconFrame / 2.0, label.top(), kIconFrame, label.height());
        else
            iconFrame = QRectF(label.left() + pad, label.top(), kIconFrame, label.height());
        const QRect iconRect(int(iconFrame.center().x() - kIconSize / 2.0), int(iconFrame.center().y() - kIconSize / 2.0),
                             kIconSize, kIconSize);
        symbolIcon(m_symbol).paint(&p, iconRect);
        if (!m_collapsed) {
            const qreal x = iconFrame.right() + 8;
            const QRectF textRect(x, label.top(), label.right() - pad - x, label.height());
            p.setPen(palette().color(QPalette::WindowText));
            p.setFont(font());
            p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                       fontMetrics().elidedText(displayText(), Qt::ElideRight, int(textRect.width())));
        }
    }
    virtual QString displayText() const { return m_title; }

    QString m_title;
    QString m_symbol;
    std::function<bool()> m_selected;
    bool m_collapsed = false;
    bool m_hover = false;
    qreal m_hoverLevel = 0;  // 0…1 of the hover fill, animated
    QVariantAnimation* m_hoverAnimation = nullptr;
    bool m_focusRing = false;
};

// A project's row: selection, drag-target and flash fills, a drop target for plain text, and
// its context menu.
class SidebarProjectRow : public SidebarRowButton {
public:
    SidebarProjectRow(Project* project, ShellSidebar* sidebar, QWidget* parent)
        : SidebarRowButton(project->name(), QStringLiteral("folder"), {}, parent), m_project(project), m_sidebar(sidebar)
    {
        setToolTip(plainToolTip(project->name()));  // empty for an unnamed project, like the row's own name
        setAccessibleName(project->name().trimmed().isEmpty() ? ShellSidebar::tr("Untitled") : project->name());
        setAcceptDrops(true);
        setContextMenuPolicy(Qt::DefaultContextMenu);
        // A click focuses the row too, so the Delete and F2 keys below reach the project just clicked.
        setFocusPolicy(Qt::StrongFocus);
    }
    Project* project() const { return m_project; }
    // Takes a renamed project's name; the row itself (focus, hover, drag state) stays.
    void refresh()
    {
        setText(literalText(m_project->name()));
        setToolTip(plainToolTip(m_project->name()));
        setAccessibleName(m_project->name().trimmed().isEmpty() ? ShellSidebar::tr("Untitled") : m_project->name());
        update();
    }

protected:
    QString displayText() const override { return m_project->name().trimmed().isEmpty() ? ShellSidebar::tr("Untitled") : m_project->name(); }
    QColor fill() const override { return m_sidebar->rowBackground(m_project); }
    qreal scale() const override { return m_sidebar->flashScale(m_project); }
    bool outlined() const override { return m_sidebar->isTarget(m_project); }

    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (!event->mimeData()->hasText()) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        m_sidebar->setDropTarget(true, m_project);
    }
    void dragMoveEvent(QDragMoveEvent* event) override
    {
        if (event->mimeData()->hasText())
            event->acceptProposedAction();
    }
    void dragLeaveEvent(QDragLeaveEvent*) override { m_sidebar->setDropTarget(false, m_project); }
    void dropEvent(QDropEvent* event) override
    {
        const QMimeData* mime = event->mimeData();
        QStringList strings;
        if (mime->hasText())
            strings << mime->text();
        if (m_sidebar->handleDrop(strings, m_project))
            event->acceptProposedAction();
        else
            event->ignore();
    }
    // The keys a file manager's list answers to: Delete asks to delete the project (the same
    // question as the menu's Delete), F2 renames it.
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->modifiers() == Qt::NoModifier && !m_project->isDeleted()) {
            if (event->key() == Qt::Key_Delete) {
                Q_EMIT m_sidebar->deleteProjectRequested(m_project);
                return;
            }
            if (event->key() == Qt::Key_F2) {
                Q_EMIT m_sidebar->editProjectRequested(m_project);
                return;
            }
        }
        SidebarRowButton::keyPressEvent(event);
    }
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        QMenu* menu = m_sidebar->projectMenu(m_project);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
    }

private:
    Project* m_project;
    ShellSidebar* m_sidebar;
};

ShellSidebar::ShellSidebar(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ShellSidebar"));
    m_background = new VisualEffectView(VisualEffectView::Material::Sidebar, VisualEffectView::BlendingMode::BehindWindow,
                                        VisualEffectView::State::FollowsWindowActiveState, this);
    m_background->lower();

    m_column = new QVBoxLayout(this);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(2);

    m_header = new QWidget(this);
    m_column->addWidget(m_header);

    struct Section {
        QString title, symbol;
        Destination destination;
    };
    const QList<Section> sections = {{tr("Dashboard"), QStringLiteral("square.grid.2x2"), Destination::dashboard()},
                                     {tr("Library"), QStringLiteral("photo.stack"), Destination::library()},
                                     {tr("Inventory"), QStringLiteral("shippingbox"), Destination::inventory()},
                                     {tr("Devices"), QStringLiteral("cpu"), Destination::devices()},
                                     {tr("Sync Locations"), QStringLiteral("externaldrive"), Destination::syncLocations()}};
    for (const Section& section : sections) {
        const Destination d = section.destination;
        auto* row = new SidebarRowButton(section.title, section.symbol, [this, d] { return m_destination == d; }, this);
        row->setProperty("destinationKind", int(d.kind));
        connect(row, &QAbstractButton::clicked, this, [this, d] { Q_EMIT sectionSelected(d); });
        m_column->addWidget(row);
        m_sections << row;
    }

    // The projects heading, expanded: "PROJECTS" and a plus button.
    m_headingExpanded = new QWidget(this);
    {
        auto* row = new QHBoxLayout(m_headingExpanded);
        row->setContentsMargins(14, 10, 14, 2);
        auto* title = ViewStyle::label(tr("PROJECTS"), ViewStyle::TextStyle::caption2, QFont::DemiBold, true, m_headingExpanded);
        row->addWidget(title);
        row->addStretch(1);
        m_plusButton = plainIconButton(QStringLiteral("plus"), tr("New Project"), m_headingExpanded);
        connect(m_plusButton, &QToolButton::clicked, this, &ShellSidebar::newProjectRequested);
        row->addWidget(m_plusButton);
    }
    m_column->addWidget(m_headingExpanded);
    // Collapsed: a divider and the folder-plus button.
    m_headingCollapsed = new QWidget(this);
    {
        auto* box = new QVBoxLayout(m_headingCollapsed);
        box->setContentsMargins(8, 6, 8, 4);
        box->setSpacing(2);
        box->addWidget(divider(m_headingCollapsed));
        m_folderPlusButton = plainIconButton(QStringLiteral("folder.badge.plus"), tr("New Project"), m_headingCollapsed);
        connect(m_folderPlusButton, &QToolButton::clicked, this, &ShellSidebar::newProjectRequested);
        box->addWidget(m_folderPlusButton, 0, Qt::AlignHCenter);
    }
    m_column->addWidget(m_headingCollapsed);

    m_projectScroll = new QScrollArea(this);
    m_projectScroll->setFrameShape(QFrame::NoFrame);
    m_projectScroll->setWidgetResizable(true);
    m_projectScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_projectScroll->viewport()->setAutoFillBackground(false);
    auto* list = new QWidget;
    list->setAutoFillBackground(false);
    m_projectRows = new QVBoxLayout(list);
    m_projectRows->setContentsMargins(0, 0, 0, 0);
    m_projectRows->setSpacing(2);
    m_projectRows->addStretch(1);
    m_projectScroll->setWidget(list);
    list->setAutoFillBackground(false);  // setWidget() turned it on; the sidebar's own background shows through
    m_column->addWidget(m_projectScroll, 1);

    auto* footDivider = new QWidget(this);
    {
        auto* box = new QVBoxLayout(footDivider);
        box->setContentsMargins(8, 4, 8, 0);
        box->addWidget(divider(footDivider));
    }
    m_column->addWidget(footDivider);
    auto* settings = new SidebarRowButton(tr("Settings"), QStringLiteral("gearshape"), [] { return false; }, this);
    connect(settings, &QAbstractButton::clicked, this, &ShellSidebar::settingsRequested);
    m_settingsRow = settings;
    m_column->addWidget(settings);
    m_column->addSpacing(8);

    m_widthAnimation = new QVariantAnimation(this);
    m_widthAnimation->setDuration(180);
    m_widthAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_widthAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) { setFixedWidth(v.toInt()); });

    m_flashAnimation = new QVariantAnimation(this);
    connect(m_flashAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_flashProgress = v.toReal();
        for (QAbstractButton* b : std::as_const(m_projectButtons))
            b->update();
    });

    connect(&SettingsStore::shared(), &SettingsStore::changed, this, [this](const QString& key) {
        if (key == QLatin1String("business.logoSquare") || key == QLatin1String("business.logoWide")) {
            loadLogos();
            rebuildHeader();
        }
    });

    loadLogos();
    rebuildHeader();
    applyCollapsed();
    setFixedWidth(expandedWidth);
}

void ShellSidebar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_background->setGeometry(rect());
}

void ShellSidebar::loadLogos()
{
    m_squareLogo = loadBusinessLogo(SettingsStore::shared().textValue(QStringLiteral("business.logoSquare")));
    m_wideLogo = loadBusinessLogo(SettingsStore::shared().textValue(QStringLiteral("business.logoWide")));
}

void ShellSidebar::rebuildHeader()
{
    // The toggle lives on across rebuilds so that keyboard focus isn't lost.
    if (!m_toggle) {
        m_toggle = plainIconButton(QStringLiteral("sidebar.left"), QString(), this);
        m_toggle->setToolTip(QString());
        m_toggle->setAccessibleName(tr("Collapse or expand the sidebar"));
        connect(m_toggle, &QToolButton::clicked, this, &ShellSidebar::toggleCollapsed);
    }
    m_toggle->setParent(this);
    delete m_header->layout();
    for (QWidget* w : m_header->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        delete w;

    if (!m_collapsed) {
        auto* row = new QHBoxLayout(m_header);
        row->setContentsMargins(12, 10, 12, 6);
        row->setSpacing(8);
        m_toggle->setParent(m_header);
        row->addWidget(m_toggle);
        const QPixmap logo = !m_wideLogo.isNull() ? m_wideLogo : m_squareLogo;
        if (!logo.isNull()) {
            auto* image = new QLabel(m_header);
            const qreal dpr = devicePixelRatioF();
            QPixmap scaled = logo.scaled(QSize(int(150 * dpr), int(24 * dpr)), Qt::KeepAspectRatio, Qt::SmoothTransformation);
            scaled.setDevicePixelRatio(dpr);
            image->setPixmap(scaled);
            image->setObjectName(QStringLiteral("SidebarLogo"));
            row->addWidget(image);
        }
        row->addStretch(1);
    } else {
        auto* box = new QVBoxLayout(m_header);
        box->setContentsMargins(0, 10, 0, 4);
        box->setSpacing(8);
        if (!m_squareLogo.isNull()) {
            auto* image = new QLabel(m_header);
            const qreal dpr = devicePixelRatioF();
            QPixmap scaled = m_squareLogo.scaled(QSize(int(30 * dpr), int(30 * dpr)), Qt::KeepAspectRatio, Qt::SmoothTransformation);
            scaled.setDevicePixelRatio(dpr);
            image->setPixmap(scaled);
            image->setFixedSize(30, 30);
            image->setAlignment(Qt::AlignCenter);
            image->setObjectName(QStringLiteral("SidebarLogo"));
            box->addWidget(image, 0, Qt::AlignHCenter);
        }
        m_toggle->setParent(m_header);
        box->addWidget(m_toggle, 0, Qt::AlignHCenter);
    }
    m_toggle->show();
}

void ShellSidebar::setCollapsed(bool collapsed)
{
    if (collapsed == m_collapsed)
        return;
    m_collapsed = collapsed;
    applyCollapsed();
    m_widthAnimation->stop();
    setFixedWidth(collapsed ? collapsedWidth : expandedWidth);
}

void ShellSidebar::toggleCollapsed()
{
    const int from = width();
    m_collapsed = !m_collapsed;
    applyCollapsed();
    m_widthAnimation->stop();
    m_widthAnimation->setStartValue(from);
    m_widthAnimation->setEndValue(m_collapsed ? collapsedWidth : expandedWidth);
    m_widthAnimation->start();
    Q_EMIT collapsedChanged(m_collapsed);
}

void ShellSidebar::applyCollapsed()
{
    rebuildHeader();
    for (QAbstractButton* b : std::as_const(m_sections))
        static_cast<SidebarRowButton*>(b)->setCollapsed(m_collapsed);
    for (QAbstractButton* b : std::as_const(m_projectButtons))
        static_cast<SidebarRowButton*>(b)->setCollapsed(m_collapsed);
    static_cast<SidebarRowButton*>(m_settingsRow)->setCollapsed(m_collapsed);
    m_headingExpanded->setVisible(!m_collapsed);
    m_headingCollapsed->setVisible(m_collapsed);
}

void ShellSidebar::setDestination(const Destination& destination)
{
    m_destination = destination;
    for (QAbstractButton* b : std::as_const(m_sections))
        b->update();
    for (QAbstractButton* b : std::as_const(m_projectButtons))
        b->update();
}

void ShellSidebar::setProjects(const QList<Project*>& projects)
{
    m_projects = projects;
    rebuildProjects();
}

void ShellSidebar::rebuildProjects()
{
    // Rows are kept for the projects that stay, so the keyboard focus, the hover and a drag in
    // progress over a row survive a change to any project; only new projects get new rows.
    QHash<const Project*, SidebarProjectRow*> kept;
    for (QAbstractButton* b : std::as_const(m_projectButtons))
        kept.insert(static_cast<SidebarProjectRow*>(b)->project(), static_cast<SidebarProjectRow*>(b));
    QWidget* focused = focusWidget();
    const bool hadFocus = focused && m_projectButtons.contains(focused);
    QWidget* list = m_projectScroll->widget();
    QList<QAbstractButton*> rows;
    for (Project* project : std::as_const(m_projects)) {
        SidebarProjectRow* row = kept.take(project);
        if (!row) {
            row = new SidebarProjectRow(project, this, list);
            connect(row, &QAbstractButton::clicked, this, [this, project] {
                if (!project->isDeleted())
                    Q_EMIT projectSelected(project);
            });
        }
        row->setCollapsed(m_collapsed);
        row->refresh();
        rows << row;
    }
    for (SidebarProjectRow* gone : std::as_const(kept)) {
        m_projectRows->removeWidget(gone);
        gone->hide();
        gone->deleteLater();  // it may be handling the event that removed its project
    }
    for (int at = 0; at < rows.size(); ++at) {
        if (m_projectRows->indexOf(rows.at(at)) != at) {
            m_projectRows->removeWidget(rows.at(at));
            m_projectRows->insertWidget(at, rows.at(at));
        }
        rows.at(at)->show();
    }
    m_projectButtons = rows;
    if (hadFocus && !focusWidget() && !m_projectButtons.isEmpty())
        m_projectButtons.first()->setFocus();
}

QAbstractButton* ShellSidebar::sectionButton(Destination::Kind kind) const
{
    for (QAbstractButton* b : m_sections)
        if (b->property("destinationKind").toInt() == int(kind))
            return b;
    return nullptr;
}

QAbstractButton* ShellSidebar::projectButton(const Project* project) const
{
    for (QAbstractButton* b : m_projectButtons)
        if (static_cast<SidebarProjectRow*>(b)->project() == project)
            return b;
    return nullptr;
}

QAbstractButton* ShellSidebar::newProjectButton() const { return m_collapsed ? m_folderPlusButton : m_plusButton; }

QAbstractButton* ShellSidebar::collapseButton() const { return m_toggle; }

QMenu* ShellSidebar::projectMenu(Project* project)
{
    auto* menu = new QMenu(this);
    menu->addAction(tr("Edit\u2026"), this, [this, project] {
        if (!project->isDeleted())
            Q_EMIT editProjectRequested(project);
    });
    menu->addAction(tr("Rename"), this, [this, project] {
        if (!project->isDeleted())
            Q_EMIT editProjectRequested(project);
    });
    menu->addSeparator();
    QAction* remove = menu->addAction(symbolIcon(QStringLiteral("trash")), tr("Delete"), this, [this, project] {
        if (!project->isDeleted())
            Q_EMIT deleteProjectRequested(project);
    });
    remove->setObjectName(QStringLiteral("DeleteProjectAction"));
    return menu;
}

bool ShellSidebar::isFlashing(const Project* project) const
{
    return m_flashID && project && *m_flashID == project->persistentModelID();
}

bool ShellSidebar::isTarget(const Project* project) const
{
    return m_dropTargetID && project && *m_dropTargetID == project->persistentModelID();
}

bool ShellSidebar::isFading(const Project* project) const
{
    return !isFlashing(project) && m_fadingID && project && *m_fadingID == project->persistentModelID() &&
           m_flashAnimation->state() == QAbstractAnimation::Running;
}

qreal ShellSidebar::flashScale(const Project* project) const
{
    return isFlashing(project) || isFading(project) ? 1.0 + 0.07 * m_flashProgress : 1.0;
}

QColor ShellSidebar::rowBackground(const Project* project) const
{
    const QColor accent = ViewStyle::accent(palette());
    if (isFlashing(project))
        return ViewStyle::withAlpha(accent, 0.45);
    qreal alpha = 0;
    if (isTarget(project))
        alpha = 0.28;
    else if (m_destination.isProject(project))
        alpha = 0.18;
    if (isFading(project))
        alpha += (0.45 - alpha) * std::clamp(m_flashProgress, 0.0, 1.0);
    return alpha > 0 ? ViewStyle::withAlpha(accent, alpha) : QColor(Qt::transparent);
}

bool ShellSidebar::handleDrop(const QStringList& strings, Project* project)
{
    if (strings.isEmpty() || !project)
        return false;
    m_dropTargetID.reset();
    for (const QString& text : strings) {
        if (project->isDeleted())
            break;
        switch (DragString::route(text)) {
        case DragString::DropKind::part: Q_EMIT partDropped(text, project); break;
        case DragString::DropKind::capture: Q_EMIT captureDropped(text, project); break;
        case DragString::DropKind::file: Q_EMIT attachFileDropped(text, project); break;
        }
    }
    flash(project);
    return true;
}

void ShellSidebar::setDropTarget(bool targeted, Project* project)
{
    if (targeted && project)
        m_dropTargetID = project->persistentModelID();
    else
        m_dropTargetID.reset();
    for (QAbstractButton* b : std::as_const(m_projectButtons))
        b->update();
}

void ShellSidebar::flash(Project* project)
{
    if (!project)
        return;
    const PersistentIdentifier id = project->persistentModelID();
    m_flashID = id;
    // A springy swell: overshoots a little and settles.
    m_flashAnimation->stop();
    m_flashAnimation->setDuration(280);
    m_flashAnimation->setEasingCurve(QEasingCurve::OutBack);
    m_flashAnimation->setStartValue(0.0);
    m_flashAnimation->setEndValue(1.0);
    m_flashAnimation->start();
    for (QAbstractButton* b : std::as_const(m_projectButtons))
        b->update();
    QTimer::singleShot(500, this, [this, id] {
        if (m_flashID != id)
            return;  // a later drop on another row owns the flash now
        m_flashAnimation->stop();
        m_flashAnimation->setDuration(250);
        m_flashAnimation->setEasingCurve(QEasingCurve::OutCubic);
        m_flashAnimation->setStartValue(m_flashProgress);
        m_flashAnimation->setEndValue(0.0);
        m_flashAnimation->start();
        // The flash is over; its fill and swell fade out with the animation.
        m_fadingID = id;
        m_flashID.reset();
        for (QAbstractButton* b : std::as_const(m_projectButtons))
            b->update();
    });
}
