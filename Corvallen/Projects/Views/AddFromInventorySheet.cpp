#include "Corvallen/Projects/Views/AddFromInventorySheet.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TextCompare.h"
#include "Corvallen/Platform/ModelContext.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Projects/AddFromInventory.h"
#include "Corvallen/Projects/ProjectTexts.h"
#include "Corvallen/Projects/Views/PartStatusBadge.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

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

QList<Component*> inventory(ModelContext& context)
{
    return context.fetch<Component>({}, [](const Component* a, const Component* b) { return a->name() < b->name(); });
}

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
    m_list = new QListWidget(m_content);
    m_list->setObjectName(QStringLiteral("candidates"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setFrameShape(QFrame::NoFrame);
    m_content->addWidget(m_list);
    m_content->addWidget(emptyState(QStringLiteral("nothingToAdd"), tr("Nothing to add"), QStringLiteral("shippingbox"),
                                    tr("Every inventory component is already in this project."), m_content));
    m_content->addWidget(emptyState(QStringLiteral("noMatches"), tr("No matches"), QStringLiteral("magnifyingglass"),
                                    tr("No components match your search."), m_content));
    outer->addWidget(m_content, 1);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_add, &QPushButton::clicked, this, &AddFromInventorySheet::addSelected);
    connect(m_search, &QLineEdit::textChanged, this, &AddFromInventorySheet::rebuild);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &AddFromInventorySheet::selectionChanged);
    connect(&m_context, &ModelContext::changed, this, [this] {
        if (m_rebuildQueued)
            return;
        m_rebuildQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_rebuildQueued = false;
            rebuild();
        });
    });
    rebuild();
    m_search->setFocus();
}

QString AddFromInventorySheet::contentState() const
{
    return m_content->currentWidget() == m_list ? QStringLiteral("list") : m_content->currentWidget()->objectName();
}

void AddFromInventorySheet::rebuild()
{
    const QList<Component*> all = inventory(m_context);
    const QList<Component*> shown = AddFromInventory::candidates(all, m_search->text(), m_project);
    m_rebuilding = true;
    m_list->clear();
    for (Component* c : shown) {
        auto* item = new QListWidgetItem(m_list);
        const PersistentIdentifier id = c->persistentModelID();
        item->setData(Qt::UserRole, QVariant::fromValue(id.toJson()));
        item->setData(Qt::AccessibleTextRole, c->name());
        auto* row = new QWidget(m_list);
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(6, 4, 6, 4);
        h->setSpacing(10);
        auto* icon = new QLabel(row);
        icon->setFixedWidth(22);
        icon->setPixmap(symbolIcon(QStringLiteral("shippingbox"), palette().color(QPalette::Highlight)).pixmap(18, 18));
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        auto* name = new QLabel(c->name(), row);
        auto* stock = new QLabel(ProjectTexts::stockText(c), row);
        QFont small = stock->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        stock->setFont(small);
        stock->setForegroundRole(QPalette::PlaceholderText);
        texts->addWidget(name);
        texts->addWidget(stock);
        h->addWidget(icon);
        h->addLayout(texts);
        h->addStretch(1);
        h->addWidget(makePartStatusBadge(c->status(), row));
        row->setAttribute(Qt::WA_TransparentForMouseEvents);
        item->setSizeHint(row->sizeHint());
        m_list->setItemWidget(item, row);
        if (m_selected.contains(id))
            item->setSelected(true);
    }
    m_rebuilding = false;
    if (AddFromInventory::nothingToAdd(all, m_project))
        m_content->setCurrentIndex(1);
    else if (shown.isEmpty())
        m_content->setCurrentIndex(2);
    else
        m_content->setCurrentIndex(0);
    m_add->setEnabled(!m_selected.isEmpty());
}

void AddFromInventorySheet::selectionChanged()
{
    if (m_rebuilding)
        return;
    // Rows hidden by the search keep their selection; the visible rows say what they are now.
    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem* item = m_list->item(i);
        const auto id = PersistentIdentifier::fromJson(item->data(Qt::UserRole).toByteArray());
        if (!id)
            continue;
        if (item->isSelected())
            m_selected.insert(*id);
        else
            m_selected.remove(*id);
    }
    m_add->setEnabled(!m_selected.isEmpty());
}

void AddFromInventorySheet::addSelected()
{
    if (m_selected.isEmpty())
        return;
    AddFromInventory::addSelected(inventory(m_context), m_search->text(), m_selected, m_project, m_context);
    accept();
}
