#include "Corvallen/Inventory/Views/ManageInventorySheet.h"

#include "Corvallen/Inventory/TermManager.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QAbstractItemView>
#include <QSignalBlocker>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QFrame* line(QFrame::Shape shape, QWidget* parent)
{
    auto* l = new QFrame(parent);
    l->setFrameShape(shape);
    l->setFrameShadow(QFrame::Sunken);
    return l;
}

}  // namespace

ManageInventorySheet::ManageInventorySheet(ModelContext& context, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("ManageInventorySheet"));
    setWindowTitle(tr("Manage Inventory"));
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 540);
    // Smaller, the pane has no room for a term row (name, parent, usage, delete).
    setMinimumSize(600, 400);

    // Every value a component carries gets its term before the lists are shown.
    TaxonomyTerm::seedFromComponents(context);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(16, 12, 16, 12);
    header->addWidget(ViewStyle::label(tr("Manage Inventory"), ViewStyle::TextStyle::headline, QFont::DemiBold, false, this));
    header->addStretch(1);
    auto* done = new QPushButton(tr("Done"), this);
    done->setDefault(true);
    done->setAutoDefault(true);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    header->addWidget(done);
    column->addLayout(header);
    column->addWidget(line(QFrame::HLine, this));

    auto* body = new QHBoxLayout;
    body->setSpacing(0);
    auto* kinds = new QWidget(this);
    kinds->setFixedWidth(210);
    auto* kindsLayout = new QVBoxLayout(kinds);
    kindsLayout->setContentsMargins(8, 8, 8, 8);
    kindsLayout->setSpacing(2);
    for (TermKind k : TermKinds::allCases()) {
        auto* b = new QPushButton(kinds);
        b->setCheckable(true);
        b->setAutoExclusive(true);
        b->setFlat(true);
        b->setIcon(symbolIcon(TermManager::symbol(k), ViewStyle::accent(palette())));
        b->setIconSize(QSize(18, 18));
        b->setText(TermKinds::pluralTitle(k));
        b->setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding: 6px 8px; border: none; border-radius: 6px; }"
                                        "QPushButton:checked { background: rgba(0,122,255,46); }"));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        auto* count = ViewStyle::label(QString(), ViewStyle::TextStyle::caption, QFont::Normal, true, b);
        auto* bl = new QHBoxLayout(b);
        bl->setContentsMargins(0, 0, 8, 0);
        bl->addStretch(1);
        bl->addWidget(count);
        connect(b, &QPushButton::clicked, this, [this, k] { setKind(k); });
        m_kindButtons << b;
        m_kindCounts << count;
        kindsLayout->addWidget(b);
    }
    kindsLayout->addStretch(1);
    body->addWidget(kinds);
    body->addWidget(line(QFrame::VLine, this));
    m_pane = new TermListPane(context, this);
    body->addWidget(m_pane, 1);
    column->addLayout(body, 1);

    connect(&m_context, &ModelContext::changed, this, [this](const QString& entity) {
        if (entity == TaxonomyTerm::descriptor().name || entity == Component::descriptor().name)
            scheduleRefresh();
    });
    refresh();
}

ManageInventorySheet::~ManageInventorySheet() = default;

void ManageInventorySheet::keyPressEvent(QKeyEvent* event)
{
    // Return in the add field or a row's name field adds or renames; it must not also close
    // the sheet through "Done".
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && qobject_cast<QLineEdit*>(focusWidget())) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QAbstractButton* ManageInventorySheet::kindButton(TermKind kind) const
{
    return m_kindButtons.value(int(kind));
}

QString ManageInventorySheet::kindCount(TermKind kind) const
{
    return m_kindCounts.value(int(kind))->text();
}

void ManageInventorySheet::setKind(TermKind kind)
{
    m_kind = kind;
    refresh();
}

void ManageInventorySheet::scheduleRefresh()
{
    if (m_refreshQueued)
        return;
    m_refreshQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshQueued = false;
        refresh();
    });
}

void ManageInventorySheet::refresh()
{
    const QList<TaxonomyTerm*> all = TermManager::allTerms(m_context);
    for (TermKind k : TermKinds::allCases()) {
        m_kindCounts[int(k)]->setText(QString::number(TermManager::termsOf(k, all).size()));
        m_kindButtons[int(k)]->setChecked(k == m_kind);
    }
    m_pane->showKind(m_kind, TermManager::termsOf(m_kind, all));
}

TermListPane::TermListPane(ModelContext& context, QWidget* parent)
    : QWidget(parent), m_context(context)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* addRow = new QHBoxLayout;
    addRow->setContentsMargins(10, 10, 10, 10);
    addRow->setSpacing(8);
    m_newName = new QLineEdit(this);
    connect(m_newName, &QLineEdit::textChanged, this, &TermListPane::updateAddButton);
    connect(m_newName, &QLineEdit::returnPressed, this, &TermListPane::add);
    addRow->addWidget(m_newName, 1);
    m_newParent = new QComboBox(this);
    m_newParent->setFixedWidth(180);
    addRow->addWidget(m_newParent);
    m_add = new QPushButton(tr("Add"), this);
    m_add->setAutoDefault(false);
    connect(m_add, &QPushButton::clicked, this, &TermListPane::add);
    addRow->addWidget(m_add);
    column->addLayout(addRow);
    column->addWidget(line(QFrame::HLine, this));

    m_stack = new QStackedWidget(this);
    auto* empty = new QWidget(m_stack);
    auto* el = new QVBoxLayout(empty);
    el->addStretch(1);
    m_emptyIcon = new QLabel(empty);
    m_emptyIcon->setAlignment(Qt::AlignCenter);
    el->addWidget(m_emptyIcon);
    m_emptyTitle = ViewStyle::label(QString(), ViewStyle::TextStyle::title3, QFont::DemiBold, false, empty);
    m_emptyTitle->setAlignment(Qt::AlignCenter);
    el->addWidget(m_emptyTitle);
    auto* description = ViewStyle::label(TermManager::emptyDescription(), ViewStyle::TextStyle::body, QFont::Normal, true, empty);
    description->setAlignment(Qt::AlignCenter);
    description->setWordWrap(true);
    el->addWidget(description);
    el->addStretch(1);
    m_stack->addWidget(empty);
    m_list = new QListWidget(m_stack);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_stack->addWidget(m_list);
    column->addWidget(m_stack, 1);
    updateAddButton();
}

void TermListPane::showKind(TermKind kind, const QList<TaxonomyTerm*>& terms)
{
    const bool kindChanged = kind != m_kind;
    m_kind = kind;
    m_terms = terms;
    m_newName->setPlaceholderText(TermManager::addPlaceholder(kind));
    const bool hasParent = TermKinds::parentKind(kind).has_value();
    {
        const QString chosen = m_newParent->currentData().toString();
        const QSignalBlocker block(m_newParent);
        m_newParent->clear();
        if (hasParent) {
            m_newParent->addItem(TermManager::noParentTitle(kind), QString());
            for (const QString& name : TermManager::parentNames(kind, m_context))
                m_newParent->addItem(name, name);
            // A parent chosen for another kind means nothing here.
            const int keep = kindChanged ? 0 : m_newParent->findData(chosen);
            m_newParent->setCurrentIndex(std::max(0, keep));
        }
    }
    m_newParent->setVisible(hasParent);
    m_emptyIcon->setPixmap(symbolIcon(TermManager::symbol(kind)).pixmap(40, 40));
    m_emptyTitle->setText(TermManager::emptyTitle(kind));
    m_stack->setCurrentIndex(terms.isEmpty() ? 0 : 1);
    rebuildRows();
}

void TermListPane::updateAddButton()
{
    m_add->setEnabled(TermManager::canAdd(m_newName->text()));
}

void TermListPane::add()
{
    const QString parent = m_newParent->isVisible() || TermKinds::parentKind(m_kind) ? m_newParent->currentData().toString() : QString();
    if (!TermManager::add(m_newName->text(), parent, m_kind, m_context))
        return;
    m_newName->clear();
    m_newParent->setCurrentIndex(0);
}

bool TermListPane::showsEmptyState() const
{
    return m_stack->currentIndex() == 0;
}

QString TermListPane::emptyTitle() const
{
    return m_emptyTitle->text();
}

void TermListPane::updateRows(const QHash<const TaxonomyTerm*, qsizetype>& usage)
{
    for (int i = 0; i < m_terms.size(); ++i) {
        TaxonomyTerm* term = m_terms[i];
        if (QLineEdit* field = rowField(i); field && field->text() == field->property("shownName").toString() &&
                                            field->text() != term->name()) {
            field->setText(term->name());  // renamed elsewhere, and not being edited here
            field->setProperty("shownName", term->name());
        }
        if (QComboBox* picker = rowParentPicker(i); picker && !picker->view()->isVisible()) {
            const QSignalBlocker block(picker);
            picker->setCurrentIndex(
                term->parent() ? std::max(0, picker->findData(*term->parent(), Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive))
                               : 0);
        }
        if (QLabel* used = rowUsage(i))
            used->setText(TermManager::usageLabel(usage.value(term)));
    }
}

void TermListPane::rebuildRows()
{
    const QStringList parents = TermManager::parentNames(m_kind, m_context);
    const bool hasParent = TermKinds::parentKind(m_kind).has_value();
    const QHash<const TaxonomyTerm*, qsizetype> usage = TermManager::usageCounts(m_kind, m_terms, m_context);
    // The same terms in the same order: the rows stay, with a half-typed name, the focus and
    // the selection.
    if (m_rowTerms == m_terms && m_rowParents == parents && m_list->count() == m_terms.size()) {
        updateRows(usage);
        return;
    }
    // Otherwise rows are built anew; names being typed are carried over to their term's new row.
    struct Draft {
        QString text;
        bool focused = false;
        int cursor = 0;
    };
    QHash<const TaxonomyTerm*, Draft> drafts;
    for (int i = 0; i < m_rowTerms.size() && i < m_list->count(); ++i)
        if (QLineEdit* field = rowField(i); field && (field->hasFocus() || field->text() != field->property("shownName").toString()))
            drafts.insert(m_rowTerms[i], {field->text(), field->hasFocus(), field->cursorPosition()});
    m_list->clear();
    m_rowTerms = m_terms;
    m_rowParents = parents;
    for (int i = 0; i < m_terms.size(); ++i) {
        TaxonomyTerm* term = m_terms[i];
        auto* item = new QListWidgetItem(m_list);
        auto* row = new QWidget(m_list);
        row->setObjectName(QStringLiteral("TermRow"));
        auto* l = new QHBoxLayout(row);
        l->setContentsMargins(8, 2, 8, 2);
        l->setSpacing(10);
        auto* field = new QLineEdit(term->name(), row);
        field->setObjectName(QStringLiteral("draft"));
        field->setProperty("shownName", term->name());
        field->setFrame(false);
        // A name longer than the field shows its beginning, not its end.
        ViewStyle::showStartAtRest(field);
        field->setMinimumWidth(60);
        connect(field, &QLineEdit::returnPressed, this, [this, i] { commitRename(i); });
        l->addWidget(field, 1);
        if (hasParent) {
            auto* picker = new QComboBox(row);
            picker->setObjectName(QStringLiteral("parent"));
            picker->addItem(QStringLiteral("\u2014"), QString());
            for (const QString& p : parents)
                picker->addItem(p, p);
            // Entries match the stored parent by exact text only.
            const int current = term->parent() ? picker->findData(*term->parent(), Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive) : 0;
            picker->setCurrentIndex(current);
            connect(picker, &QComboBox::activated, this, [this, picker, term](int index) {
                TermManager::setParent(term, picker->itemData(index).toString(), m_context);
            });
            l->addWidget(picker);
        }
        auto* used = ViewStyle::label(TermManager::usageLabel(usage.value(term)), ViewStyle::TextStyle::caption,
                                       QFont::Normal, true, row);
        used->setObjectName(QStringLiteral("usage"));
        used->setMinimumWidth(56);
        used->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->addWidget(used);
        auto* trash = new QToolButton(row);
        trash->setIcon(symbolIcon(QStringLiteral("trash")));
        trash->setAutoRaise(true);
        trash->setToolTip(tr("Delete"));
        connect(trash, &QToolButton::clicked, this, [this, term] { requestDelete(term); });
        l->addWidget(trash);
        row->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(row, &QWidget::customContextMenuRequested, this, [this, row, i, term](const QPoint& pos) {
            QMenu menu(row);
            connect(menu.addAction(tr("Rename")), &QAction::triggered, this, [this, i] { commitRename(i); });
            connect(menu.addAction(tr("Delete")), &QAction::triggered, this, [this, term] { requestDelete(term); });
            menu.exec(row->mapToGlobal(pos));
        });
        // As wide as the list: the name field gives way, so nothing is pushed out sideways.
        item->setSizeHint(QSize(row->minimumSizeHint().width(), row->sizeHint().height()));
        m_list->setItemWidget(item, row);
        if (const auto draft = drafts.constFind(term); draft != drafts.constEnd()) {
            field->setText(draft->text);
            field->setCursorPosition(draft->cursor);
            if (draft->focused)
                field->setFocus(Qt::OtherFocusReason);
        }
    }
}

int TermListPane::rowCount() const
{
    return m_list->count();
}

QLineEdit* TermListPane::rowField(int row) const
{
    QWidget* w = m_list->itemWidget(m_list->item(row));
    return w ? w->findChild<QLineEdit*>(QStringLiteral("draft")) : nullptr;
}

QComboBox* TermListPane::rowParentPicker(int row) const
{
    QWidget* w = m_list->itemWidget(m_list->item(row));
    return w ? w->findChild<QComboBox*>(QStringLiteral("parent")) : nullptr;
}

QLabel* TermListPane::rowUsage(int row) const
{
    QWidget* w = m_list->itemWidget(m_list->item(row));
    return w ? w->findChild<QLabel*>(QStringLiteral("usage")) : nullptr;
}

TaxonomyTerm* TermListPane::rowTerm(int row) const
{
    return m_terms.value(row);
}

void TermListPane::commitRename(int row)
{
    TaxonomyTerm* term = m_terms.value(row);
    QLineEdit* field = rowField(row);
    if (!term || !field || term->isDeleted())
        return;
    field->setText(TermManager::commitRename(term, field->text(), m_context));
    field->setProperty("shownName", field->text());
}

QMessageBox* TermListPane::requestDelete(TaxonomyTerm* term)
{
    if (m_confirm)
        m_confirm->close();
    m_pendingDelete = term;
    auto* box = new QMessageBox(this);
    m_confirm = box;
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIcon(QMessageBox::Warning);
    box->setText(TermManager::deleteTitle(term, m_kind));
    box->setInformativeText(TaxonomyTerm::repeatOf(term, m_context)
                                ? TermManager::deleteRepeatMessage(term->name())
                                : TermManager::deleteMessage(term->name(), term->usageCount(m_context), m_kind));
    QPushButton* del = box->addButton(tr("Delete"), QMessageBox::DestructiveRole);
    box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(QMessageBox::Cancel);
    connect(box, &QMessageBox::finished, this, [this, box, del] {
        TaxonomyTerm* term = m_pendingDelete;
        m_pendingDelete = nullptr;
        if (box->clickedButton() == del && term)
            TermManager::deleteTerm(term, m_context);
    });
    box->setWindowModality(Qt::WindowModal);
    box->open();
    return box;
}
