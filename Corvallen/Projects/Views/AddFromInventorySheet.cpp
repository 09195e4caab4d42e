#include "Corvallen/Projects/Views/AddFromInventorySheet.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TextCompare.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Platform/Views/ElidedLabel.h"
#include "Corvallen/Projects/AddFromInventory.h"
#include "Corvallen/Projects/InventorySearch.h"
#include "Corvallen/Projects/ProjectTexts.h"
#include "Corvallen/Projects/Views/PartStatusBadge.h"
#include "Corvallen/Projects/Views/RowStampDelegate.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

// The candidates shown, in their order.
class CandidateListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    void setComponents(const QList<Component*>& components)
    {
        beginResetModel();
        m_components = components;
        endResetModel();
    }
    const QList<Component*>& components() const { return m_components; }
    Component* component(int row) const { return row >= 0 && row < m_components.size() ? m_components[row] : nullptr; }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_components.size()); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        const Component* c = component(index.row());
        if (c && !c->isDeleted() && (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
            return c->name();
        return {};
    }

private:
    QList<Component*> m_components;
};

namespace {

QWidget* emptyState(const QString& name, const QString& title, const QString& symbol, const QString& text, QWidget* parent)
{
    auto* w = new QWidget(parent);
    w->setObjectName(name);
    auto* v = new QVBoxLayout(w);
    v->addStretch(1);
    auto* icon = new QLabel(w);
    icon->setPixmap(symbolIcon(symbol).pixmap(36, 36));
    icon->setAlignment(Qt::AlignCenter);
    auto* t = new QLabel(title, w);
    QFont f = t->font();
    f.setBold(true);
    t->setFont(f);
    t->setAlignment(Qt::AlignCenter);
    auto* d = new QLabel(text, w);
    d->setWordWrap(true);
    d->setAlignment(Qt::AlignCenter);
    d->setForegroundRole(QPalette::PlaceholderText);
    v->addWidget(icon);
    v->addWidget(t);
    v->addWidget(d);
    v->addStretch(1);
    return w;
}

// One candidate: the symbol, name over stock, and the stock badge. Rows are painted by one of
// these bound to each component in turn.
class CandidateRow : public QWidget {
public:
    explicit CandidateRow(QWidget* parent) : QWidget(parent)
    {
        auto* h = new QHBoxLayout(this);
        h->setContentsMargins(6, 4, 6, 4);
        h->setSpacing(10);
        m_icon = new QLabel(this);
        m_icon->setFixedWidth(22);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        m_name = new ElidedLabel(QString(), this);
        m_name->setMinimumHeight(m_name->fontMetrics().height());
        m_stock = new QLabel(this);
        QFont small = m_stock->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        m_stock->setFont(small);
        m_stock->setForegroundRole(QPalette::PlaceholderText);
        m_stock->setMinimumHeight(m_stock->fontMetrics().height());
        texts->addWidget(m_name);
        texts->addWidget(m_stock);
        h->addWidget(m_icon);
        h->addLayout(texts, 1);
        m_badge = makePartStatusBadge(StockStatus::inStock, this);
        h->addWidget(m_badge);
    }

    void bind(const Component* c)
    {
        m_icon->setPixmap(symbolIcon(QStringLiteral("shippingbox"), palette().color(QPalette::Highlight)).pixmap(18, 18));
        m_name->setText(c->name());
        m_stock->setText(ProjectTexts::stockText(c));
        setPartStatusBadge(m_badge, c->status());
    }

private:
    QLabel* m_icon;
    ElidedLabel* m_name;
    QLabel* m_stock;
    QWidget* m_badge;
};

// Paints each candidate over the list's own background and selection.
class CandidateDelegate : public RowStampDelegate {
public:
    CandidateDelegate(CandidateListModel* model, QAbstractItemView* view) : CandidateDelegate(new CandidateRow(nullptr), model, view) {}

protected:
    bool bind(const QModelIndex& index) const override
    {
        const Component* c = m_model->component(index.row());
        if (!c || c->isDeleted())
            return false;
        m_stamp->bind(c);
        return true;
    }

private:
    CandidateDelegate(CandidateRow* stamp, CandidateListModel* model, QAbstractItemView* view)
        : RowStampDelegate(stamp, view), m_stamp(stamp), m_model(model)
    {
    }

    CandidateRow* m_stamp;
    CandidateListModel* m_model;
};

}  // namespace

AddFromInventorySheet::AddFromInventorySheet(Project* project, ModelContext& context, QWidget* parent)
    : QDialog(parent), m_project(project), m_context(context)
{
    setObjectName(QStringLiteral("AddFromInventorySheet"));
    setWindowTitle(tr("Add from Inventory"));
    setFixedSize(460, 420);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(12, 12, 12, 12);
    auto* title = new QLabel(tr("Add from Inventory"), this);
    QFont hf = title->font();
    hf.setBold(true);
    title->setFont(hf);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setAutoDefault(false);
    m_add = new QPushButton(tr("Add"), this);
    m_add->setObjectName(QStringLiteral("addButton"));
    m_add->setDefault(true);
    header->addWidget(title);
    header->addStretch(1);
    header->addWidget(cancel);
    header->addWidget(m_add);
    outer->addLayout(header);

    auto* searchRow = new QHBoxLayout;
    searchRow->setContentsMargins(12, 0, 12, 8);
    searchRow->setSpacing(10);
    auto* glass = new QLabel(this);
    glass->setPixmap(symbolIcon(QStringLiteral("magnifyingglass")).pixmap(16, 16));
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setPlaceholderText(tr("Search components"));
    m_search->setFrame(false);
    searchRow->addWidget(glass);
    searchRow->addWidget(m_search, 1);
    outer->addLayout(searchRow);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    outer->addWidget(divider);

    m_content = new QStackedWidget(this);
    m_model = new CandidateListModel(this);
    m_list = new QListView(m_content);
    m_list->setObjectName(QStringLiteral("candidates"));
    m_list->setModel(m_model);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setItemDelegate(new CandidateDelegate(m_model, m_list));
    m_content->addWidget(m_list);
    m_content->addWidget(emptyState(QStringLiteral("nothingToAdd"), tr("Nothing to add"), QStringLiteral("shippingbox"),
                                    tr("Every inventory component is already in this project."), m_content));
    m_content->addWidget(emptyState(QStringLiteral("noMatches"), tr("No matches"), QStringLiteral("magnifyingglass"),
                                    tr("No components match your search."), m_content));
    outer->addWidget(m_content, 1);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_add, &QPushButton::clicked, this, &AddFromInventorySheet::addSelected);
    m_searchResults = new InventorySearch(m_project, m_context, this);
    connect(m_searchResults, &InventorySearch::shownChanged, this, &AddFromInventorySheet::showCandidates);
    connect(m_search, &QLineEdit::textChanged, m_searchResults, &InventorySearch::setQuery);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &AddFromInventorySheet::selectionChanged);
    connect(&m_context, &ModelContext::changed, this, [this](const QString& entity) {
        if (m_reloadQueued || (entity != QLatin1String("Component") && entity != QLatin1String("ProjectComponent")))
            return;
        m_reloadQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_reloadQueued = false;
            m_searchResults->reload();
        });
    });
    showCandidates();
    m_search->setFocus();
}

QString AddFromInventorySheet::contentState() const
{
    return m_content->currentWidget() == m_list ? QStringLiteral("list") : m_content->currentWidget()->objectName();
}

QSet<PersistentIdentifier> AddFromInventorySheet::selected() const
{
    QSet<PersistentIdentifier> out;
    for (const Component* c : m_selected)
        out.insert(c->persistentModelID());
    return out;
}

void AddFromInventorySheet::showCandidates()
{
    // A long inventory is still being read: the list waits, empty.
    if (!m_searchResults->isReady() && m_model->rowCount() == 0) {
        m_content->setCurrentIndex(0);
        m_list->setCursor(Qt::BusyCursor);
        return;
    }
    m_list->unsetCursor();
    m_rebuilding = true;
    m_model->setComponents(m_searchResults->shown());
    // The rows that were selected before the search hid them are selected again.
    QItemSelection again;
    const QList<Component*>& shown = m_model->components();
    for (qsizetype row = 0; row < shown.size(); ++row) {
        if (!m_selected.contains(shown[row]))
            continue;
        qsizetype last = row;
        while (last + 1 < shown.size() && m_selected.contains(shown[last + 1]))
            ++last;
        again.select(m_model->index(int(row)), m_model->index(int(last)));
        row = last;
    }
    m_list->selectionModel()->select(again, QItemSelectionModel::Select);
    m_rebuilding = false;
    if (m_searchResults->nothingToAdd())
        m_content->setCurrentIndex(1);
    else if (m_model->rowCount() == 0)
        m_content->setCurrentIndex(2);
    else
        m_content->setCurrentIndex(0);
    updateAddButton();
}

void AddFromInventorySheet::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    if (m_rebuilding)
        return;
    // Rows hidden by the search keep their selection; the rows that changed say what they are now.
    for (const QItemSelectionRange& range : selected)
        for (int row = range.top(); row <= range.bottom(); ++row)
            m_selected.insert(m_model->component(row));
    for (const QItemSelectionRange& range : deselected)
        for (int row = range.top(); row <= range.bottom(); ++row)
            m_selected.remove(m_model->component(row));
    updateAddButton();
}

void AddFromInventorySheet::updateAddButton()
{
    // "Add" adds the selected rows the search shows; with every selected row hidden it would
    // add nothing and still close as if it had, so it waits until one shows again.
    const QList<Component*>& shown = m_model->components();
    m_add->setEnabled(std::any_of(shown.begin(), shown.end(), [this](Component* c) { return m_selected.contains(c); }));
}

void AddFromInventorySheet::addSelected()
{
    if (m_selected.isEmpty())
        return;
    // In the order shown, the selected ones the search still shows.
    QList<Component*> chosen;
    for (Component* c : m_model->components()) {
        if (m_selected.contains(c) && !c->isDeleted())
            chosen.append(c);
    }
    AddFromInventory::addAll(chosen, m_project, m_context);
    accept();
}
