#include "Corvallen/Projects/Views/ProjectPartsView.h"

#include "Corvallen/Platform/Views/ElidedLabel.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Platform/ModelContext.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Projects/BomFileReader.h"
#include "Corvallen/Projects/ProjectContents.h"
#include "Corvallen/Projects/ProjectTexts.h"
#include "Corvallen/Projects/ShoppingList.h"
#include "Corvallen/Projects/StockAllocation.h"
#include "Corvallen/Projects/Views/AddFromInventorySheet.h"
#include "Corvallen/Projects/Views/BomImportSheet.h"
#include "Corvallen/Projects/Views/PartStatusBadge.h"
#include "Corvallen/Projects/Views/QtyStepper.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

// One row of the parts list. Updated in place when the store changes, so a quantity being typed
// in another row keeps its focus.
class PartRow : public QWidget {
public:
    PartRow(ProjectComponent* line, ModelContext& context, std::function<void(Component*)> reveal, QWidget* parent)
        : QWidget(parent), m_line(line), m_context(context), m_reveal(std::move(reveal))
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
        m_detail->setMinimumHeight(m_detail->fontMetrics().height());
        nameBlock->addWidget(m_name);
        nameBlock->addWidget(m_detail);
        row->addLayout(nameBlock, 1);
        row->addSpacing(8);
        m_stepper = new QtyStepper(line->quantity(), this);
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
            QMenu* menu = contextMenu();
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(mapToGlobal(at));
        });
        refreshRow();
    }

    QMenu* contextMenu()
    {
        auto* menu = new QMenu(this);
        if (Component* c = m_line->component()) {
            menu->addAction(tr("View in Inventory"), this, [this] {
                if (Component* comp = m_line->component(); comp && m_reveal)
                    m_reveal(comp);
            });
            menu->addAction(tr("Copy Name"), this, [this] {
                if (Component* comp = m_line->component()) {
                    QClipboard* clip = QApplication::clipboard();
                    clip->clear();
                    clip->setText(comp->name());
                }
            });
            menu->addSeparator();
            Q_UNUSED(c);
        }
        menu->addAction(tr("Remove from Project"), this, [this] { StockAllocation::removePart(m_line, m_context); });
        return menu;
    }

    void refreshRow()
    {
        if (m_line->isDeleted())
            return;
        Component* c = m_line->component();
        if (!c)
            return;
        m_name->setText(c->name());
        m_detail->setText(ProjectTexts::detailLine(c));
        m_stepper->setQuantity(m_line->quantity());
        setPartStatusBadge(m_badge, c->status());
        m_stock->setText(ProjectTexts::stockText(c));
    }

    QtyStepper* stepper() const { return m_stepper; }

private:
    ProjectComponent* m_line;
    ModelContext& m_context;
    std::function<void(Component*)> m_reveal;
    QLabel* m_name;
    QLabel* m_detail;
    QtyStepper* m_stepper;
    QWidget* m_badge;
    QLabel* m_stock;
    QToolButton* m_remove;
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
    m_list = new QListWidget(m_body);
    m_list->setObjectName(QStringLiteral("partsList"));
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFrameShape(QFrame::NoFrame);
    // Rows are as wide as the list; long names and details are cut instead.
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_body->addWidget(empty);
    m_body->addWidget(m_list);
    outer->addWidget(m_body, 1);

    connect(m_addFromInventory, &QPushButton::clicked, this, &ProjectPartsView::showAddFromInventory);
    connect(m_importBom, &QPushButton::clicked, this, &ProjectPartsView::chooseBomFile);
    connect(m_shoppingList, &QPushButton::clicked, this, &ProjectPartsView::exportShoppingList);
    connect(&m_context, &ModelContext::changed, this, &ProjectPartsView::scheduleRefresh);
    refresh();
}

bool ProjectPartsView::showsEmptyState() const { return m_body->currentIndex() == 0; }

QString ProjectPartsView::summaryText() const { return m_summary->text(); }

void ProjectPartsView::scheduleRefresh()
{
    // A long import saves slice by slice; the list is rebuilt once, when the import is done.
    if (const auto* sheet = qobject_cast<const BomImportSheet*>(m_sheet.data()); sheet && sheet->isImporting())
        return;
    if (m_refreshQueued)
        return;
    m_refreshQueued = true;
    // Rows may be the sender of the change (a stepper or remove button): rebuild after it returns.
    QTimer::singleShot(0, this, [this] {
        m_refreshQueued = false;
        refresh();
    });
}

void ProjectPartsView::refresh()
{
    const QList<ProjectComponent*> lines = m_project && !m_project->isDeleted() ? ProjectContents::partLines(m_project)
                                                                                 : QList<ProjectComponent*>{};
    m_summary->setText(ProjectTexts::partsSummary(lines));
    m_shoppingList->setEnabled(!lines.isEmpty() && !m_busy);
    m_body->setCurrentIndex(lines.isEmpty() ? 0 : 1);
    if (lines == m_lines) {
        for (ProjectComponent* line : lines)
            m_rows.value(line)->refreshRow();
        return;
    }
    m_lines = lines;
    // The list changed (a line added, removed or renamed into another place): rows are rebuilt.
    // This runs after the action that caused it has returned, so no row deletes itself mid-click.
    m_list->clear();
    m_rows.clear();
    for (ProjectComponent* line : lines) {
        auto* row = new PartRow(line, m_context, m_reveal, m_list);
        row->refreshRow();
        auto* item = new QListWidgetItem(m_list);
        item->setSizeHint(QSize(row->minimumSizeHint().width(), row->sizeHint().height()));
        m_list->setItemWidget(item, row);
        m_rows.insert(line, row);
    }
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
    m_shoppingList->setEnabled(!busy && !m_lines.isEmpty());
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
    const QString path = QFileDialog::getOpenFileName(window(), tr("Import BOM"), QDir::homePath(),
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
    auto* progress = new QProgressDialog(tr("Reading the bill of materials…"), tr("Cancel"), 0,
                                         BomFileReader::progressRange, this);
    progress->setObjectName(QStringLiteral("bomProgress"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(400);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    m_progress = progress;
    connect(watcher, &QFutureWatcherBase::progressValueChanged, progress, &QProgressDialog::setValue);
    connect(progress, &QProgressDialog::canceled, watcher, [watcher] { watcher->cancel(); });
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, progress] {
        watcher->deleteLater();
        progress->disconnect(watcher);  // closing the dialog reports a cancel
        progress->close();
        progress->deleteLater();
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
    if (ShoppingList::shortComponents(m_lines).isEmpty()) {
        exportShoppingListTo(QString());
        return;
    }
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
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
    const QList<Component*> shortOnes = ShoppingList::shortComponents(m_lines);
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
    const QByteArray bytes = ShoppingList::csv(shortOnes);
    setBusy(true);
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher] {
        watcher->deleteLater();
        setBusy(false);
        const QString error = watcher->result();
        if (!error.isEmpty())
            showError(tr("Export failed"), error);
    });
    watcher->setFuture(QtConcurrent::run([path, bytes] { return ShoppingList::write(path, bytes); }));
}
