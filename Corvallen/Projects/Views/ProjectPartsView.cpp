#include "Corvallen/Projects/Views/ProjectPartsView.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/Views/ElidedLabel.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Projects/BomFileReader.h"
#include "Corvallen/Projects/PartsListModel.h"
#include "Corvallen/Projects/ProjectTexts.h"
#include "Corvallen/Projects/ShoppingList.h"
#include "Corvallen/Projects/StockAllocation.h"
#include "Corvallen/Projects/Views/AddFromInventorySheet.h"
#include "Corvallen/Projects/Views/BomImportSheet.h"
#include "Corvallen/Projects/Views/PartStatusBadge.h"
#include "Corvallen/Projects/Views/ProjectExportMenu.h"
#include "Corvallen/Projects/Views/QtyStepper.h"
#include "Corvallen/Projects/Views/RowStampDelegate.h"
#include "Corvallen/Projects/Views/WorkProgress.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

// One row of the parts list: name and detail, the quantity stepper, stock badge and count, and
// the remove button. A row shown at rest is painted by a row of this kind lent to it (bind()); the
// live rows act on their line.
class PartRow : public QWidget {
public:
    PartRow(ProjectComponent* line, ModelContext& context, std::function<QMenu*(ProjectComponent*, QWidget*)> menu,
            QWidget* parent)
        : QWidget(parent), m_line(line), m_context(context), m_menu(std::move(menu))
    {
        setObjectName(QStringLiteral("PartRow"));
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(8, 4, 8, 4);
        row->setSpacing(12);
        auto* nameBlock = new QVBoxLayout;
        nameBlock->setSpacing(2);
        m_name = new ElidedLabel(QString(), this);
        QFont f = m_name->font();
        f.setWeight(QFont::Medium);
        m_name->setFont(f);
        m_detail = new ElidedLabel(QString(), this);
        m_detail->setObjectName(QStringLiteral("detail"));
        QFont small = m_detail->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        m_detail->setFont(small);
        m_detail->setForegroundRole(QPalette::PlaceholderText);
        // An empty name keeps its line; without a detail the name sits on the row's middle line.
        // Every row is as tall either way: the stock column beside it holds two lines.
        m_name->setMinimumHeight(m_name->fontMetrics().height());
        m_detail->setMinimumHeight(m_detail->fontMetrics().height());
        nameBlock->addWidget(m_name);
        nameBlock->addWidget(m_detail);
        // A long name or detail ends in "…" at the row's width rather than widening the row.
        row->addLayout(nameBlock, 1);
        row->addSpacing(8);
        m_stepper = new QtyStepper(line ? line->quantity() : 1, this);
        row->addWidget(m_stepper);
        auto* stockHolder = new QWidget(this);
        stockHolder->setFixedWidth(120);
        auto* stock = new QVBoxLayout(stockHolder);
        stock->setContentsMargins(0, 0, 0, 0);
        stock->setSpacing(2);
        m_badge = makePartStatusBadge(StockStatus::inStock, stockHolder);
        m_stock = new QLabel(stockHolder);
        m_stock->setObjectName(QStringLiteral("stock"));
        m_stock->setFont(small);
        m_stock->setForegroundRole(QPalette::PlaceholderText);
        stock->addWidget(m_badge, 0, Qt::AlignRight);
        stock->addWidget(m_stock, 0, Qt::AlignRight);
        row->addWidget(stockHolder);
        m_remove = new QToolButton(this);
        m_remove->setObjectName(QStringLiteral("removePart"));
        m_remove->setIcon(symbolIcon(QStringLiteral("minus.circle")));
        m_remove->setAutoRaise(true);
        m_remove->setToolTip(tr("Remove from this project (keeps it in Inventory)"));
        row->addWidget(m_remove);

        connect(m_stepper, &QtyStepper::quantityEdited, this, [this](qint64 q) {
            StockAllocation::setQuantity(m_line, q, m_context);
            refreshRow();
        });
        connect(m_remove, &QToolButton::clicked, this, [this] { StockAllocation::removePart(m_line, m_context); });
        setContextMenuPolicy(Qt::CustomContextMenu);
        connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
            if (!m_line || !m_menu)
                return;
            QMenu* menu = m_menu(m_line, this);
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(mapToGlobal(at));
        });
        refreshRow();
    }

    ProjectComponent* line() const { return m_line; }

    // Shows another line (for painting a row at rest).
    void bind(ProjectComponent* line)
    {
        m_line = line;
        refreshRow();
    }

    void refreshRow()
    {
        if (!m_line || m_line->isDeleted())
            return;
        Component* c = m_line->component();
        if (!c)
            return;
        m_name->setText(c->name());
        m_detail->setText(ProjectTexts::detailLine(c));
        m_detail->setVisible(!m_detail->text().isEmpty());
        m_stepper->setQuantity(m_line->quantity());
        setPartStatusBadge(m_badge, c->status());
        m_stock->setText(ProjectTexts::stockText(c));
    }

    // Keyboard focus goes from the list into this row's controls, in their order.
    void followInTabOrder(QWidget* before)
    {
        QWidget::setTabOrder(before, m_stepper->minusButton());
        QWidget::setTabOrder(m_stepper->minusButton(), m_stepper->field());
        QWidget::setTabOrder(m_stepper->field(), m_stepper->plusButton());
        QWidget::setTabOrder(m_stepper->plusButton(), m_remove);
    }

private:
    ProjectComponent* m_line;
    ModelContext& m_context;
    std::function<QMenu*(ProjectComponent*, QWidget*)> m_menu;
    QLabel* m_name;
    QLabel* m_detail;
    QtyStepper* m_stepper;
    QWidget* m_badge;
    QLabel* m_stock;
    QToolButton* m_remove;
};

namespace {

// Paints each row with a row widget bound to its line for the moment, exactly as a live row
// looks, and makes the live rows.
class PartRowDelegate : public RowStampDelegate {
public:
    PartRowDelegate(PartsListModel* model, ModelContext& context, std::function<QMenu*(ProjectComponent*, QWidget*)> menu,
                    QAbstractItemView* view)
        : PartRowDelegate(new PartRow(nullptr, context, {}, nullptr), model, context, std::move(menu), view)
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        ProjectComponent* line = m_model->line(index.row());
        if (!line)
            return nullptr;
        return new PartRow(line, m_context, m_menu, parent);
    }

    void setEditorData(QWidget* editor, const QModelIndex&) const override { static_cast<PartRow*>(editor)->refreshRow(); }
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        editor->setGeometry(option.rect);
    }
    // A live row keeps its keys (Return in the quantity field, Tab between its controls).
    bool eventFilter(QObject*, QEvent*) override { return false; }

protected:
    bool bind(const QModelIndex& index) const override
    {
        ProjectComponent* line = m_model->line(index.row());
        if (!line || line->isDeleted() || !line->component() || view()->isPersistentEditorOpen(index))
            return false;
        m_stamp->bind(line);
        return true;
    }

private:
    PartRowDelegate(PartRow* stamp, PartsListModel* model, ModelContext& context,
                    std::function<QMenu*(ProjectComponent*, QWidget*)> menu, QAbstractItemView* view)
        : RowStampDelegate(stamp, view), m_stamp(stamp), m_model(model), m_context(context), m_menu(std::move(menu))
    {
        m_stamp->setObjectName(QStringLiteral("PartRowStamp"));
    }

    PartRow* m_stamp;
    PartsListModel* m_model;
    ModelContext& m_context;
    std::function<QMenu*(ProjectComponent*, QWidget*)> m_menu;
};

}  // namespace

// The list of parts. The row under the pointer and the current row are live; a live row that
// holds the keyboard focus stays live until the focus leaves it.
class PartsListView : public QListView {
public:
    PartsListView(PartsListModel* model, std::function<QMenu*(ProjectComponent*, QWidget*)> menu, QWidget* parent)
        : QListView(parent), m_model(model), m_menu(std::move(menu))
    {
        setObjectName(QStringLiteral("partsList"));
        setModel(model);
        setUniformItemSizes(true);
        setSelectionMode(QAbstractItemView::NoSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setFrameShape(QFrame::NoFrame);
        // Rows are as wide as the list; long names and details are cut instead.
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        viewport()->setMouseTracking(true);
        connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { syncLiveRows(); });
        connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
            m_currentLine = m_model->line(currentIndex().row());
            m_topLine = m_model->line(indexAt(QPoint(1, 1)).row());
            m_live.clear();
        });
        connect(model, &QAbstractItemModel::modelReset, this, [this] {
            // A sorted list keeps the place it showed and its current row.
            if (const int top = m_model->rowOf(m_topLine); top >= 0)
                scrollTo(m_model->index(top), QAbstractItemView::PositionAtTop);
            if (const int current = m_model->rowOf(m_currentLine); current >= 0)
                selectionModel()->setCurrentIndex(m_model->index(current), QItemSelectionModel::NoUpdate);
            m_currentLine = m_topLine = nullptr;
            syncLiveRows();
        });
        connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { syncLiveRows(); });
        connect(model, &QAbstractItemModel::rowsInserted, this, [this] { syncLiveRows(); });
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            // A control of a live row that takes the focus makes its row the current one.
            if (const QModelIndex index = rowHolding(now); index.isValid() && index != currentIndex())
                selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
            else
                syncLiveRows();
        });
    }

    QWidget* liveRow(int row) const { return indexWidget(m_model->index(row)); }

protected:
    bool viewportEvent(QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseMove:
            setHovered(indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()));
            break;
        case QEvent::Leave:
            setHovered({});
            break;
        default:
            break;
        }
        return QListView::viewportEvent(event);
    }

    void scrollContentsBy(int dx, int dy) override
    {
        QListView::scrollContentsBy(dx, dy);
        // The row under a pointer that stayed put is another one now.
        if (viewport()->underMouse())
            setHovered(indexAt(viewport()->mapFromGlobal(QCursor::pos())));
    }

    void contextMenuEvent(QContextMenuEvent* event) override
    {
        // From the keyboard the menu is the current row's, under that row.
        const bool keyboard = event->reason() == QContextMenuEvent::Keyboard;
        const QModelIndex index = keyboard ? currentIndex() : indexAt(viewport()->mapFrom(this, event->pos()));
        ProjectComponent* line = m_model->line(index.row());
        if (!line || !m_menu)
            return;
        QMenu* menu = m_menu(line, this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        const QRect rect = visualRect(index);
        menu->popup(keyboard ? viewport()->mapToGlobal(QPoint(rect.left() + 24, rect.bottom())) : event->globalPos());
    }

private:
    QModelIndex rowHolding(QWidget* widget) const
    {
        for (QWidget* w = widget; w && w != viewport(); w = w->parentWidget()) {
            if (w->parentWidget() == viewport() && w->objectName() == QLatin1String("PartRow"))
                return indexAt(w->geometry().center());
        }
        return {};
    }

    void setHovered(const QModelIndex& index)
    {
        if (QPersistentModelIndex(index) == m_hovered)
            return;
        m_hovered = index;
        syncLiveRows();
    }

    void syncLiveRows()
    {
        const QModelIndex focused = rowHolding(QApplication::focusWidget());
        QList<QPersistentModelIndex> wanted;
        for (const QModelIndex& index : {QModelIndex(currentIndex()), QModelIndex(m_hovered), focused}) {
            if (index.isValid() && !wanted.contains(index))
                wanted.append(index);
        }
        for (const QPersistentModelIndex& index : std::as_const(m_live)) {
            if (index.isValid() && !wanted.contains(index)) {
                closePersistentEditor(index);
                update(index);
            }
        }
        m_live = wanted;
        for (const QPersistentModelIndex& index : wanted) {
            if (!isPersistentEditorOpen(index))
                openPersistentEditor(index);
        }
        if (auto* current = static_cast<PartRow*>(indexWidget(currentIndex())))
            current->followInTabOrder(this);
    }

    PartsListModel* m_model;
    std::function<QMenu*(ProjectComponent*, QWidget*)> m_menu;
    QPersistentModelIndex m_hovered;
    QList<QPersistentModelIndex> m_live;
    ProjectComponent* m_currentLine = nullptr;
    ProjectComponent* m_topLine = nullptr;
};

ProjectPartsView::ProjectPartsView(Project* project, ModelContext& context, std::function<void(Component*)> onRevealInInventory,
                                   QWidget* parent)
    : QWidget(parent), m_project(project), m_context(context), m_reveal(std::move(onRevealInInventory))
{
    setObjectName(QStringLiteral("ProjectPartsView"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(8, 8, 8, 8);
    header->setSpacing(10);
    m_addFromInventory = new QPushButton(symbolIcon(QStringLiteral("shippingbox")), tr("Add from Inventory"), this);
    m_addFromInventory->setObjectName(QStringLiteral("addFromInventory"));
    m_addFromInventory->setToolTip(tr("Add an existing inventory component to this project's parts"));
    m_importBom = new QPushButton(symbolIcon(QStringLiteral("square.and.arrow.down")), tr("Import BOM…"), this);
    m_importBom->setObjectName(QStringLiteral("importBom"));
    m_importBom->setToolTip(tr("Import a bill of materials (CSV) — matches your inventory, adds unknown parts"));
    m_shoppingList = new QPushButton(symbolIcon(QStringLiteral("cart")), tr("Shopping List…"), this);
    m_shoppingList->setObjectName(QStringLiteral("shoppingList"));
    m_shoppingList->setToolTip(tr("Export the parts you're short on"));
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("partsSummary"));
    m_summary->setForegroundRole(QPalette::PlaceholderText);
    header->addWidget(m_addFromInventory);
    header->addWidget(m_importBom);
    header->addWidget(m_shoppingList);
    header->addStretch(1);
    header->addWidget(m_summary);
    outer->addLayout(header);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    outer->addWidget(divider);

    m_body = new QStackedWidget(this);
    auto* empty = new QWidget(m_body);
    empty->setObjectName(QStringLiteral("partsEmptyState"));
    auto* emptyLayout = new QVBoxLayout(empty);
    emptyLayout->addStretch(1);
    auto* emptyIcon = new QLabel(empty);
    emptyIcon->setPixmap(symbolIcon(QStringLiteral("shippingbox")).pixmap(40, 40));
    emptyIcon->setAlignment(Qt::AlignCenter);
    auto* emptyTitle = new QLabel(tr("No parts yet"), empty);
    emptyTitle->setAlignment(Qt::AlignCenter);
    QFont tf = emptyTitle->font();
    tf.setBold(true);
    tf.setPointSizeF(tf.pointSizeF() * 1.3);
    emptyTitle->setFont(tf);
    auto* emptyText = new QLabel(tr("Drag a component's grip from Inventory onto this project in the sidebar, or use Add from "
                                    "Inventory. Each part keeps its own quantity for this project."),
                                 empty);
    emptyText->setAlignment(Qt::AlignCenter);
    emptyText->setWordWrap(true);
    emptyText->setForegroundRole(QPalette::PlaceholderText);
    emptyLayout->addWidget(emptyIcon);
    emptyLayout->addWidget(emptyTitle);
    emptyLayout->addWidget(emptyText);
    emptyLayout->addStretch(1);
    m_model = new PartsListModel(project, this);
    auto menu = [this](ProjectComponent* line, QWidget* parent) { return menuFor(line, parent); };
    m_list = new PartsListView(m_model, menu, m_body);
    m_list->setItemDelegate(new PartRowDelegate(m_model, m_context, menu, m_list));
    m_body->addWidget(empty);
    m_body->addWidget(m_list);
    outer->addWidget(m_body, 1);

    connect(m_addFromInventory, &QPushButton::clicked, this, &ProjectPartsView::showAddFromInventory);
    connect(m_importBom, &QPushButton::clicked, this, &ProjectPartsView::chooseBomFile);
    connect(m_shoppingList, &QPushButton::clicked, this, &ProjectPartsView::exportShoppingList);
    // Lines come, go and change their quantity as parts-list lines, names and stock change as
    // components; a project's own fields are not shown here (deleting it deletes its lines), so a
    // change of some project costs the list nothing.
    connect(&m_context, &ModelContext::changed, this, [this](const QString& entity) {
        if (entity == QLatin1String("ProjectComponent") || entity == QLatin1String("Component"))
            scheduleRefresh();
    });
    connect(m_model, &PartsListModel::contentsChanged, this, &ProjectPartsView::showCounts);
    connect(m_model, &PartsListModel::sortingChanged, this, &ProjectPartsView::showCounts);
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(0);
    connect(&m_refreshTimer, &QTimer::timeout, this, &ProjectPartsView::refresh);
    showCounts();
}

bool ProjectPartsView::showsEmptyState() const { return m_body->currentIndex() == 0; }

QListView* ProjectPartsView::list() const { return m_list; }

QWidget* ProjectPartsView::liveRow(int row) const { return m_list->liveRow(row); }

QList<ProjectComponent*> ProjectPartsView::shownLines() const { return m_model->lines(); }

QMenu* ProjectPartsView::menuFor(ProjectComponent* line, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    QPointer<ProjectPartsView> self(this);
    if (line->component()) {
        menu->addAction(tr("View in Inventory"), menu, [self, line] {
            if (Component* comp = line->component(); self && comp && !line->isDeleted() && self->m_reveal)
                self->m_reveal(comp);
        });
        menu->addAction(tr("Copy Name"), menu, [line] {
            if (Component* comp = line->component()) {
                QClipboard* clip = QApplication::clipboard();
                clip->clear();
                clip->setText(comp->name());
            }
        });
        menu->addSeparator();
    }
    menu->addAction(tr("Remove from Project"), menu, [self, line] {
        if (self)
            StockAllocation::removePart(line, self->m_context);
    });
    return menu;
}

void ProjectPartsView::showCounts()
{
    const qsizetype parts = m_model->partCount();
    m_summary->setText(ProjectTexts::partsSummary(parts, m_model->itemCount()));
    m_shoppingList->setEnabled(parts > 0 && !m_busy && !m_model->isSorting());
    m_body->setCurrentIndex(parts == 0 ? 0 : 1);
    if (m_model->isSorting())
        m_list->setCursor(Qt::BusyCursor);
    else
        m_list->unsetCursor();
}

QString ProjectPartsView::summaryText() const { return m_summary->text(); }

void ProjectPartsView::scheduleRefresh()
{
    // A long import saves slice by slice; the list is rebuilt once, when the import is done.
    if (const auto* sheet = qobject_cast<const BomImportSheet*>(m_sheet.data()); sheet && sheet->isImporting())
        return;
    // Changes come in bursts (a line and its component): the list looks once they are all in. A
    // timer rather than a queued call, so that what caused the change (a sheet closing, say) and
    // the look at a long list are two separate moments for the window.
    m_refreshTimer.start();
}

void ProjectPartsView::refresh()
{
    // Changes the store has yet to announce are looked at now, with the rest, not once more after.
    m_context.flushNotifications();
    m_refreshTimer.stop();
    m_model->refresh();
}

void ProjectPartsView::showSheet(QDialog* sheet)
{
    if (m_sheet)
        m_sheet->close();
    m_sheet = sheet;
    connect(sheet, &QDialog::finished, this, &ProjectPartsView::scheduleRefresh);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->open();
}

void ProjectPartsView::showError(const QString& title, const QString& message)
{
    if (m_alert)
        m_alert->close();
    auto* box = new QMessageBox(QMessageBox::Warning, title, message, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("partsAlert"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    m_alert = box;
    box->open();
}

void ProjectPartsView::setBusy(bool busy)
{
    m_busy = busy;
    m_importBom->setEnabled(!busy);
    showCounts();
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
    Q_EMIT busyChanged(busy);
}

void ProjectPartsView::showAddFromInventory()
{
    if (!m_project || m_project->isDeleted())
        return;
    showSheet(new AddFromInventorySheet(m_project, m_context, window()));
}

void ProjectPartsView::chooseBomFile()
{
    const QString path = QFileDialog::getOpenFileName(window(), tr("Import BOM"), AppPaths::saveFolder(),
                                                      tr("Bills of materials (*.csv *.txt);;All files (*)"));
    if (!path.isEmpty())
        importBomFile(path);
}

void ProjectPartsView::importBomFile(const QString& path)
{
    if (m_busy)
        return;
    setBusy(true);
    // The inventory is read here, where the components live; the worker reads the file and
    // merges its rows into matches, so a long file leaves the window free.
    BomImport::Matcher matcher(m_context.fetch<Component>());
    auto* watcher = new QFutureWatcher<BomFileReader::Result>(this);
    auto* progress = makeWorkProgress(tr("Reading the bill of materials…"), BomFileReader::progressRange, watcher, this);
    progress->setObjectName(QStringLiteral("bomProgress"));
    m_progress = progress;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, progress] {
        watcher->deleteLater();
        closeWorkProgress(progress, watcher);
        setBusy(false);
        if (watcher->isCanceled())
            return;
        BomFileReader::Result result = watcher->result();
        if (result.cancelled)
            return;
        if (!result.error.isEmpty()) {
            showError(tr("Import failed"), result.error);
            return;
        }
        if (!m_project || m_project->isDeleted())
            return;
        // A component deleted while the file was read is no longer in the inventory.
        for (qsizetype i = 0; i < result.matches.size(); ++i) {
            if (result.matches.existing(i) && result.matches.existing(i)->isDeleted())
                result.matches.forgetExisting(i);
        }
        showSheet(new BomImportSheet(std::move(result.matches), m_project, m_context, window()));
    });
    watcher->setFuture(BomFileReader::read(path, std::move(matcher)));
}

void ProjectPartsView::exportShoppingList()
{
    if (m_busy || !m_project)
        return;
    if (!ShoppingList::hasShortPart(m_model->lines())) {
        exportShoppingListTo(QString());
        return;
    }
    const QString folder = AppPaths::saveFolder();
    const QString path = AppPaths::withSuffix(QFileDialog::getSaveFileName(window(), tr("Shopping List"),
                                                                           folder + u'/' + ShoppingList::proposedFileName(m_project),
                                                                           tr("CSV files (*.csv)")),
                                              QStringLiteral(".csv"));
    if (!path.isEmpty())
        exportShoppingListTo(path);
}

void ProjectPartsView::exportShoppingListTo(const QString& path)
{
    if (m_busy)
        return;
    // The rows are copied here, where the components live; the file is made on the worker.
    QList<ShoppingList::Item> shortOnes = ShoppingList::shortItems(m_model->lines());
    if (shortOnes.isEmpty()) {
        if (m_alert)
            m_alert->close();
        auto* box = new QMessageBox(QMessageBox::Information, tr("Nothing to buy"), tr("Nothing to buy"), QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("nothingToBuy"));
        box->setInformativeText(tr("Every part in this project's BOM is covered by stock."));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::WindowModal);
        m_alert = box;
        box->open();
        return;
    }
    if (path.isEmpty())
        return;
    setBusy(true);
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher, path] {
        watcher->deleteLater();
        setBusy(false);
        const QString error = watcher->result();
        if (!error.isEmpty()) {
            showError(tr("Export failed"), error);
            return;
        }
        // Confirmed as the sheet and the quote are: the saved file shown in the file manager.
        ProjectExportMenu::confirmSaved(path, this, [this](QMessageBox* note) {
            if (m_alert)
                m_alert->close();
            m_alert = note;
        });
    });
    watcher->setFuture(QtConcurrent::run(
        [path, shortOnes = std::move(shortOnes)] { return ShoppingList::write(path, ShoppingList::csv(shortOnes)); }));
}
