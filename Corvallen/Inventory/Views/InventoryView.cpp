#include "Corvallen/Inventory/Views/InventoryView.h"
#include "Corvallen/Platform/Views/LiteralText.h"

#include "Corvallen/Inventory/InventoryPage.h"
#include "Corvallen/Inventory/Views/ComponentInspector.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Inventory/Views/ManageInventorySheet.h"
#include "Corvallen/Inventory/Views/StatusBadge.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Widgets/Views/FlowLayout.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QButtonGroup>
#include <QDrag>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int gripWidth = 20;
constexpr int rowHeight = 44;
}  // namespace

// The rows of the filtered list.
class InventoryListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    void setComponents(const QList<Component*>& components)
    {
        beginResetModel();
        m_components = components;
        endResetModel();
    }
    Component* component(const QModelIndex& index) const
    {
        return index.isValid() && index.row() < m_components.size() ? m_components[index.row()] : nullptr;
    }
    int rowOf(const PersistentIdentifier& id) const
    {
        for (int i = 0; i < m_components.size(); ++i)
            if (m_components[i]->persistentModelID() == id)
                return i;
        return -1;
    }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_components.size()); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        const Component* c = component(index);
        if (!c)
            return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return c->name();
        if (role == Qt::ToolTipRole)
            return {};
        return {};
    }

private:
    QList<Component*> m_components;
};

namespace {

// Draws a row: grip, name over subtitle, quantity and the status badge.
class RowDelegate : public QStyledItemDelegate {
public:
    RowDelegate(InventoryListModel* model, QObject* parent) : QStyledItemDelegate(parent), m_model(model) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {200, rowHeight}; }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const Component* c = m_model->component(index);
        if (!c)
            return;
        QStyleOptionViewItem bg = option;
        initStyleOption(&bg, index);
        bg.text.clear();
        QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &bg, p, option.widget);
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        // The colours of the row's own state: an unfocused selection has its own (paler) fill,
        // and the text must read on that one.
        const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : (option.state & QStyle::State_Active) ? QPalette::Active
                                                                                    : QPalette::Inactive;
        const QColor text = pal.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
        QColor faint = text;
        faint.setAlphaF(0.55f);
        QRect r = option.rect.adjusted(6, 3, -8, -3);

        // Grip dots.
        p->setPen(Qt::NoPen);
        p->setBrush(faint);
        const int gx = r.left() + 6, gy = r.center().y() - 6;
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 2; ++col)
                p->drawEllipse(QPointF(gx + col * 5, gy + row * 6), 1.3, 1.3);
        r.setLeft(r.left() + gripWidth + 12);

        // Badge at the right.
        const StockStatus status = c->status();
        QFont badgeFont = ViewStyle::font(ViewStyle::TextStyle::caption2, QFont::DemiBold);
        const QString badgeText = StockStatuses::label(status);
        const QFontMetrics bfm(badgeFont);
        const QSize badge(bfm.horizontalAdvance(badgeText) + 14, bfm.height() + 6);
        const QRect badgeRect(r.right() - badge.width(), r.center().y() - badge.height() / 2, badge.width(), badge.height());
        // On a selected row the capsule stands on the list's own colour, as the badges of the
        // other lists do, rather than mixing its tint into the selection's.
        const QColor behind = pal.color(group, QPalette::Base);
        if (selected) {
            p->setBrush(behind);
            p->drawRoundedRect(badgeRect, badge.height() / 2.0, badge.height() / 2.0);
        }
        p->setBrush(StatusBadge::fill(status));
        p->drawRoundedRect(badgeRect, badge.height() / 2.0, badge.height() / 2.0);
        p->setFont(badgeFont);
        p->setPen(StatusBadge::textColor(status, behind));
        p->drawText(badgeRect, Qt::AlignCenter, badgeText);
        r.setRight(badgeRect.left() - 12);

        // Quantity.
        QFont qtyFont = ViewStyle::font(ViewStyle::TextStyle::callout);
        p->setFont(qtyFont);
        p->setPen(faint);
        const QString qty = InventoryPage::quantityText(*c);
        const int qw = QFontMetrics(qtyFont).horizontalAdvance(qty);
        p->drawText(QRect(r.right() - qw, r.top(), qw, r.height()), Qt::AlignVCenter | Qt::AlignRight, qty);
        r.setRight(r.right() - qw - 12);

        // Name and subtitle.
        QFont nameFont = ViewStyle::font(ViewStyle::TextStyle::body, QFont::Medium);
        QFont subFont = ViewStyle::font(ViewStyle::TextStyle::caption);
        const QFontMetrics nfm(nameFont), sfm(subFont);
        // Without a subtitle the name alone sits on the row's middle line, with the quantity.
        const QString subtitle = InventoryPage::subtitle(*c);
        const int total = subtitle.isEmpty() ? nfm.height() : nfm.height() + 2 + sfm.height();
        const int top = r.center().y() - total / 2;
        p->setFont(nameFont);
        p->setPen(text);
        p->drawText(QRect(r.left(), top, r.width(), nfm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                    nfm.elidedText(c->name(), Qt::ElideRight, r.width()));
        p->setFont(subFont);
        p->setPen(faint);
        p->drawText(QRect(r.left(), top + nfm.height() + 2, r.width(), sfm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                    sfm.elidedText(subtitle, Qt::ElideRight, r.width()));
        p->restore();
    }

private:
    InventoryListModel* m_model;
};

QPixmap dragPreview(const Component& component, const QPalette& palette)
{
    const qreal dpr = qApp->devicePixelRatio();
    QPixmap pix(QSize(250, 36) * dpr);
    pix.setDevicePixelRatio(dpr);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, 249, 35);
    p.setBrush(palette.color(QPalette::Window));
    p.setPen(ViewStyle::quaternary(palette));
    p.drawRoundedRect(r, 8, 8);
    symbolIcon(QStringLiteral("shippingbox"), ViewStyle::accent(palette)).paint(&p, QRect(8, 9, 18, 18));
    QFont f = ViewStyle::font(ViewStyle::TextStyle::body, QFont::Medium);
    p.setFont(f);
    p.setPen(palette.color(QPalette::Text));
    p.drawText(QRect(34, 0, 250 - 42, 36), Qt::AlignVCenter | Qt::AlignLeft,
               QFontMetrics(f).elidedText(component.name(), Qt::ElideRight, 250 - 42));
    return pix;
}

}  // namespace

// The list: only the grip handle starts a drag; the rest of the row selects.
class InventoryListView : public QListView {
public:
    InventoryListView(InventoryListModel* model, QWidget* parent) : QListView(parent), m_model(model) {}

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid() && event->button() == Qt::LeftButton
            && event->position().x() - visualRect(index).left() < gripWidth + 8) {
            m_dragIndex = index;
            m_pressPos = event->position().toPoint();
            return;
        }
        m_dragIndex = QModelIndex();
        QListView::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (m_dragIndex.isValid() && (event->buttons() & Qt::LeftButton)) {
            if ((event->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
                Component* c = m_model->component(m_dragIndex);
                m_dragIndex = QModelIndex();
                if (c) {
                    auto* drag = new QDrag(this);
                    drag->setMimeData(InventoryView::dragMimeData(*c));
                    drag->setPixmap(dragPreview(*c, palette()));
                    drag->exec(Qt::CopyAction);
                }
            }
            return;
        }
        QListView::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (m_dragIndex.isValid()) {
            m_dragIndex = QModelIndex();
            return;
        }
        QListView::mouseReleaseEvent(event);
    }
    bool viewportEvent(QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip) {
            auto* he = static_cast<QHelpEvent*>(event);
            const QModelIndex index = indexAt(he->pos());
            if (index.isValid() && he->pos().x() - visualRect(index).left() < gripWidth + 8)
                setToolTip(tr("Drag onto a project to add it to that project's parts"));
            else
                setToolTip(QString());
        }
        return QListView::viewportEvent(event);
    }

private:
    InventoryListModel* m_model;
    QPersistentModelIndex m_dragIndex;
    QPoint m_pressPos;
};

InventoryView::InventoryView(ModelContext& context, StatusFilter filter, std::optional<PersistentIdentifier> selection,
                             QWidget* parent)
    : QWidget(parent), m_context(context), m_selectedID(selection)
{
    setObjectName(QStringLiteral("InventoryView"));
    m_filters.statusFilter = filter;

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* page = new QWidget(this);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    outer->addWidget(page, 1);

    // Header.
    auto* header = new QHBoxLayout;
    header->setContentsMargins(14, 12, 14, 12);
    header->setSpacing(8);
    QFont titleFont = ViewStyle::font(ViewStyle::TextStyle::title3, QFont::Bold);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.15);
    auto* title = new QLabel(tr("Inventory"), page);
    title->setFont(titleFont);
    title->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    header->addWidget(title);
    header->addStretch(1);
    m_search = new QLineEdit(page);
    m_search->setPlaceholderText(tr("Search"));
    // 160 wide where there is room; narrower beside an open inspector in a small window, but
    // never so narrow that its placeholder is cut: the word, the glass and the clear button.
    m_search->setClearButtonEnabled(true);
    m_search->addAction(symbolIcon(QStringLiteral("magnifyingglass")), QLineEdit::LeadingPosition);
    const int sideIcon = m_search->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, m_search) + 6;
    m_search->setMinimumWidth(m_search->fontMetrics().horizontalAdvance(m_search->placeholderText()) + 2 * sideIcon + 12);
    m_search->setMaximumWidth(160);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& t) {
        m_filters.search = t;
        refresh();
    });
    header->addWidget(m_search);
    auto* manage = m_manageButton = new QToolButton(page);
    manage->setObjectName(QStringLiteral("ManageButton"));
    manage->setText(tr("Manage"));
    manage->setIcon(symbolIcon(QStringLiteral("slider.horizontal.3")));
    manage->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    manage->setToolTip(tr("Manage categories, manufacturers, locations and bins"));
    connect(manage, &QToolButton::clicked, this, [this] { openManageSheet(); });
    header->addWidget(manage);
    auto* add = new QToolButton(page);
    add->setObjectName(QStringLiteral("AddButton"));
    add->setIcon(symbolIcon(QStringLiteral("plus")));
    add->setToolTip(tr("Add component"));
    connect(add, &QToolButton::clicked, this, [this] { addComponent(); });
    header->addWidget(add);
    column->addLayout(header);
    auto divider = [page] {
        auto* line = new QFrame(page);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    };
    column->addWidget(divider());

    // Filter bar: its controls keep their whole size and wrap onto a second row when the page
    // is narrow (a small window with the inspector open).
    auto* filterBar = new QWidget(page);
    filterBar->setObjectName(QStringLiteral("FilterBar"));
    auto* bar = new FlowLayout(8, filterBar);
    bar->setContentsMargins(14, 8, 14, 8);
    auto* segmentsBox = new QWidget(page);
    segmentsBox->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* segLayout = new QHBoxLayout(segmentsBox);
    segLayout->setContentsMargins(0, 0, 0, 0);
    segLayout->setSpacing(0);
    m_segments = new QButtonGroup(this);
    m_segments->setExclusive(true);
    for (StatusFilter f : InventoryStatusFilters::allCases()) {
        auto* b = new QToolButton(segmentsBox);
        ViewStyle::makeSegment(b);
        b->setText(InventoryStatusFilters::rawValue(f));
        b->setCheckable(true);
        b->setChecked(f == m_filters.statusFilter);
        m_segments->addButton(b, int(f));
        segLayout->addWidget(b);
    }
    connect(m_segments, &QButtonGroup::idClicked, this, [this](int id) { setStatusFilter(StatusFilter(id)); });
    bar->addWidget(segmentsBox);
    for (int i = 0; i < 4; ++i) {
        auto* b = new QToolButton(page);
        b->setPopupMode(QToolButton::InstantPopup);
        auto* menu = new QMenu(b);
        connect(menu, &QMenu::aboutToShow, this, [this, i] { buildMenu(i); });
        b->setMenu(menu);
        m_menus << b;
        bar->addWidget(b);
    }
    m_clear = new QPushButton(tr("Clear"), page);
    m_clear->setFlat(true);
    m_clear->setCursor(Qt::PointingHandCursor);
    m_clear->setStyleSheet(QStringLiteral("color: palette(link); border: none;"));
    connect(m_clear, &QPushButton::clicked, this, &InventoryView::clearFilters);
    bar->addWidget(m_clear);
    m_count = ViewStyle::label(QString(), ViewStyle::TextStyle::caption, QFont::Normal, true, page);
    // As tall as the menu buttons, its words centred: the flowing bar lines items up at the top.
    m_count->setMinimumHeight(m_menus.first()->sizeHint().height());
    m_count->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    bar->addWidget(m_count);
    column->addWidget(filterBar);
    column->addWidget(divider());

    // Content.
    m_stack = new QStackedWidget(page);
    auto* empty = new QWidget(m_stack);
    auto* emptyLayout = new QVBoxLayout(empty);
    emptyLayout->addStretch(1);
    auto* icon = new QLabel(empty);
    icon->setPixmap(symbolIcon(QStringLiteral("shippingbox")).pixmap(44, 44));
    icon->setAlignment(Qt::AlignCenter);
    emptyLayout->addWidget(icon);
    m_emptyTitle = ViewStyle::label(QString(), ViewStyle::TextStyle::title3, QFont::DemiBold, false, empty);
    m_emptyTitle->setAlignment(Qt::AlignCenter);
    emptyLayout->addWidget(m_emptyTitle);
    m_emptyDescription = ViewStyle::label(QString(), ViewStyle::TextStyle::body, QFont::Normal, true, empty);
    m_emptyDescription->setAlignment(Qt::AlignCenter);
    m_emptyDescription->setWordWrap(true);
    emptyLayout->addWidget(m_emptyDescription);
    emptyLayout->addStretch(1);
    m_stack->addWidget(empty);

    m_model = new InventoryListModel(this);
    m_list = new InventoryListView(m_model, m_stack);
    m_list->setModel(m_model);
    m_list->setItemDelegate(new RowDelegate(m_model, m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    // A row the user chose is both current and selected. The list also makes its first row
    // current, unselected, when it takes the focus with none (as right after Done): that opens
    // nothing, or the next keystrokes would edit a component nobody chose.
    // A click makes the row current first and selects it after, the keyboard the other way
    // round: the inspector follows whichever comes second.
    const auto followList = [this] {
        const QModelIndex current = m_list->selectionModel()->currentIndex();
        if (!m_list->selectionModel()->isSelected(current))
            return;
        if (Component* c = m_model->component(current))
            select(c->persistentModelID());
    };
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, followList);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, followList);
    connect(m_list, &QListView::customContextMenuRequested, this, [this](const QPoint& pos) {
        Component* c = m_model->component(m_list->indexAt(pos));
        if (!c)
            return;
        QMenu menu(this);
        const PersistentIdentifier id = c->persistentModelID();
        connect(menu.addAction(tr("Edit…")), &QAction::triggered, this, [this, id] { select(id); });
        connect(menu.addAction(tr("Delete")), &QAction::triggered, this, [this, c] { requestDelete(c); });
        menu.exec(m_list->viewport()->mapToGlobal(pos));
    });
    m_stack->addWidget(m_list);
    column->addWidget(m_stack, 1);

    // Inspector column.
    m_inspectorColumn = new QWidget(this);
    m_inspectorColumn->setObjectName(QStringLiteral("InspectorColumn"));
    m_inspectorColumn->setMinimumWidth(340);
    m_inspectorColumn->setMaximumWidth(560);
    auto* inspectorLayout = new QHBoxLayout(m_inspectorColumn);
    inspectorLayout->setContentsMargins(0, 0, 0, 0);
    inspectorLayout->setSpacing(0);
    auto* vline = new QFrame(m_inspectorColumn);
    vline->setFrameShape(QFrame::VLine);
    vline->setFrameShadow(QFrame::Sunken);
    inspectorLayout->addWidget(vline);
    outer->addWidget(m_inspectorColumn);

    connect(&m_context, &ModelContext::changed, this, [this](const QString& entity) {
        if (entity == Component::descriptor().name || entity == TaxonomyTerm::descriptor().name)
            scheduleRefresh();
    });
    refresh();
}

InventoryView::~InventoryView() = default;

void InventoryView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitHeader();
}

void InventoryView::fitHeader()
{
    // Beside an open inspector in a small window "Manage" keeps only its symbol (and tooltip).
    const bool inspector = m_inspectorColumn->isVisibleTo(this);
    const int pageWidth = width() - (inspector ? std::max(m_inspectorColumn->minimumWidth(), 400) : 0);
    m_manageButton->setToolButtonStyle(pageWidth < 420 ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
}

QListView* InventoryView::listView() const
{
    return m_list;
}

QToolButton* InventoryView::menuButton(int index) const
{
    return m_menus.value(index);
}

QAbstractButton* InventoryView::segment(StatusFilter filter) const
{
    return m_segments->button(int(filter));
}

bool InventoryView::showsEmptyState() const
{
    return m_stack->currentIndex() == 0;
}

QString InventoryView::emptyTitle() const
{
    return m_emptyTitle->text();
}

void InventoryView::scheduleRefresh()
{
    if (m_refreshQueued)
        return;
    m_refreshQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshQueued = false;
        refresh();
    });
}

void InventoryView::refresh()
{
    m_components = InventoryPage::allComponents(m_context);
    m_terms = m_context.fetch<TaxonomyTerm>();
    m_shown = m_filters.filtered(m_components);

    const int scroll = m_list->verticalScrollBar()->value();
    {
        const QSignalBlocker block(m_list->selectionModel());
        m_model->setComponents(m_shown);
        const int row = m_selectedID ? m_model->rowOf(*m_selectedID) : -1;
        if (row >= 0)
            m_list->selectionModel()->setCurrentIndex(m_model->index(row), QItemSelectionModel::ClearAndSelect);
    }
    m_list->verticalScrollBar()->setValue(scroll);

    const bool listComesBack = m_stack->currentIndex() == 0 && !m_shown.isEmpty();
    m_stack->setCurrentIndex(m_shown.isEmpty() ? 0 : 1);
    // The selected row is brought to the centre each time the list comes on screen.
    if (listComesBack && m_scrolled)
        QTimer::singleShot(0, this, &InventoryView::scrollToSelection);
    if (m_shown.isEmpty()) {
        const InventoryPage::EmptyState state = InventoryPage::emptyState(m_components.size());
        m_emptyTitle->setText(state.title);
        m_emptyDescription->setText(state.description);
    }
    m_count->setText(InventoryPage::countLine(m_shown.size(), m_components.size()));
    refreshFilterBar();
    updateInspector();
}

void InventoryView::refreshFilterBar()
{
    if (QAbstractButton* b = m_segments->button(int(m_filters.statusFilter)))
        b->setChecked(true);
    const QStringList titles{tr("Category"), tr("Maker"), tr("Location"), tr("Tag")};
    const std::optional<QString> values[4] = {m_filters.categoryFilter, m_filters.manufacturerFilter,
                                              m_filters.locationFilter, m_filters.tagFilter};
    for (int i = 0; i < 4; ++i)
        m_menus[i]->setText(literalText(titles[i] + QStringLiteral(": ") + values[i].value_or(tr("All"))));
    m_clear->setVisible(m_filters.hasActiveFilters());
}

void InventoryView::buildMenu(int index)
{
    QMenu* menu = m_menus[index]->menu();
    menu->clear();
    QStringList options;
    if (index == 3)
        options = InventoryFilters::tagOptions(m_components);
    else
        options = InventoryFilters::filterOptions(index == 0   ? TermKind::category
                                                  : index == 1 ? TermKind::manufacturer
                                                               : TermKind::location,
                                                  m_terms, m_components);
    auto set = [this, index](const std::optional<QString>& v) {
        if (index == 0)
            setValueFilter(TermKind::category, v);
        else if (index == 1)
            setValueFilter(TermKind::manufacturer, v);
        else if (index == 2)
            setValueFilter(TermKind::location, v);
        else
            setTagFilter(v);
    };
    connect(menu->addAction(tr("All")), &QAction::triggered, this, [set] { set(std::nullopt); });
    if (!options.isEmpty())
        menu->addSeparator();
    for (const QString& option : options)
        connect(menu->addAction(literalText(option)), &QAction::triggered, this, [set, option] { set(option); });
}

void InventoryView::setSearch(const QString& text)
{
    m_search->setText(text);
}

void InventoryView::setStatusFilter(StatusFilter filter)
{
    m_filters.statusFilter = filter;
    refresh();
}

void InventoryView::setValueFilter(TermKind kind, const std::optional<QString>& value)
{
    if (kind == TermKind::category)
        m_filters.categoryFilter = value;
    else if (kind == TermKind::manufacturer)
        m_filters.manufacturerFilter = value;
    else if (kind == TermKind::location)
        m_filters.locationFilter = value;
    refresh();
}

void InventoryView::setTagFilter(const std::optional<QString>& tag)
{
    m_filters.tagFilter = tag;
    refresh();
}

void InventoryView::clearFilters()
{
    m_filters.clearFilters();
    refresh();
}

void InventoryView::select(const std::optional<PersistentIdentifier>& id)
{
    if (m_selectedID == id)
        return;
    m_selectedID = id;
    // Called from the list's own selection signal too: only the highlight and the inspector
    // follow, the rows stay as they are.
    {
        const QSignalBlocker block(m_list->selectionModel());
        const int row = id ? m_model->rowOf(*id) : -1;
        if (row >= 0)
            m_list->selectionModel()->setCurrentIndex(m_model->index(row), QItemSelectionModel::ClearAndSelect);
        else
            m_list->selectionModel()->clear();
    }
    m_list->viewport()->update();
    updateInspector();
}

Component* InventoryView::addComponent()
{
    Component* c = InventoryPage::addComponent(m_context);
    m_selectedID = c->persistentModelID();
    refresh();
    // The new part's name is the first thing to type.
    if (m_inspector)
        if (QLineEdit* name = m_inspector->textField(QStringLiteral("Name"))) {
            name->setFocus();
            name->selectAll();
        }
    return c;
}

void InventoryView::deleteComponent(Component* component)
{
    if (!component)
        return;
    if (m_selectedID == component->persistentModelID())
        m_selectedID.reset();
    InventoryPage::deleteComponent(component, m_context);
    refresh();
}

QMessageBox* InventoryView::requestDelete(Component* component)
{
    if (!component || component->isDeleted())
        return nullptr;
    const std::optional<InventoryPage::DeleteQuestion> question = InventoryPage::deleteQuestion(*component);
    if (!question) {
        deleteComponent(component);
        return nullptr;
    }
    if (m_deleteQuestion)
        m_deleteQuestion->close();
    auto* box = new QMessageBox(this);
    m_deleteQuestion = box;
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIcon(QMessageBox::Warning);
    box->setTextFormat(Qt::PlainText);
    box->setText(question->title);
    box->setInformativeText(question->message);
    QPushButton* remove = box->addButton(tr("Delete"), QMessageBox::DestructiveRole);
    remove->setObjectName(QStringLiteral("DeleteButton"));
    QPushButton* cancel = box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    // The component is looked up again on the answer: it may have gone meanwhile.
    const PersistentIdentifier id = component->persistentModelID();
    connect(box, &QMessageBox::buttonClicked, this, [this, id, remove](QAbstractButton* clicked) {
        if (clicked != remove)
            return;
        if (Component* c = InventoryPage::selectedComponent(InventoryPage::allComponents(m_context), id))
            deleteComponent(c);
    });
    box->setWindowModality(Qt::WindowModal);
    box->open();
    return box;
}

ManageInventorySheet* InventoryView::openManageSheet()
{
    if (m_manage)
        return m_manage;
    m_manage = new ManageInventorySheet(m_context, this);
    m_manage->open();
    return m_manage;
}

QMimeData* InventoryView::dragMimeData(const Component& component)
{
    auto* data = new QMimeData;
    data->setText(InventoryPage::dragPayload(component));
    return data;
}

void InventoryView::updateInspector()
{
    m_inspectorColumn->setVisible(m_selectedID.has_value());
    fitHeader();
    Component* selected = InventoryPage::selectedComponent(m_components, m_selectedID);
    if (m_inspector && m_inspector->component() == selected)
        return;
    delete m_inspector;
    if (!selected)
        return;
    m_inspector = new ComponentInspector(m_context, selected, [this] {
        // After Done: close the inspector once the click that ran it has finished.
        // The keyboard focus goes back to the list, so arrows and Return go on from there.
        QTimer::singleShot(0, this, [this] {
            select(std::nullopt);
            m_list->setFocus(Qt::OtherFocusReason);
        });
    }, m_inspectorColumn);
    m_inspectorColumn->layout()->addWidget(m_inspector);
    if (m_inspectorColumn->width() < 400)
        m_inspectorColumn->resize(400, m_inspectorColumn->height());
}

void InventoryView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_scrolled) {
        m_scrolled = true;
        QTimer::singleShot(0, this, &InventoryView::scrollToSelection);
    }
}

void InventoryView::scrollToSelection()
{
    if (!m_selectedID)
        return;
    const int row = m_model->rowOf(*m_selectedID);
    if (row >= 0)
        m_list->scrollTo(m_model->index(row), QAbstractItemView::PositionAtCenter);
}
