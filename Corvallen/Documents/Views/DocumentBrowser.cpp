#include "Corvallen/Documents/Views/DocumentBrowser.h"
#include "Corvallen/Platform/AppPaths.h"

#include "Corvallen/Platform/Views/ThemeManager.h"

#include "Corvallen/Documents/MarkupFile.h"
#include "Corvallen/Documents/Views/DocumentInspectorView.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ThumbnailCache.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/Views/ShowInFileManager.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Widgets/Views/FlowLayout.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFrame>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {

constexpr int idRole = Qt::UserRole + 1;

// A list whose rows drag the document's stored file name as plain text (a project in the
// sidebar attaches the document it names).
class DocumentList : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override
    {
        auto* data = new QMimeData;
        if (!items.isEmpty())
            data->setText(items.first()->data(Qt::UserRole).toString());
        return data;
    }
    QStringList mimeTypes() const override { return {QStringLiteral("text/plain")}; }
};

// The row's picture: the thumbnail when it is in, else the document type's symbol.
QIcon thumbnailIcon(const QImage& thumb, const Document* d)
{
    QPixmap pm(80, 80);
    pm.setDevicePixelRatio(2);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(0, 0, 40, 40), 6, 6);
    p.setClipPath(clip);
    if (!thumb.isNull()) {
        const QImage scaled = thumb.scaled(80, 80, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
        p.drawImage(QRectF(0, 0, 40, 40), scaled, QRectF((scaled.width() - 80) / 2.0, (scaled.height() - 80) / 2.0, 80, 80));
    } else {
        p.fillRect(QRectF(0, 0, 40, 40), QColor(128, 128, 128, 50));
        symbolIcon(DocumentBrowserModel::typeSymbolName(d->type())).paint(&p, QRect(10, 10, 20, 20));
    }
    // A selected row shows the same picture: the style would otherwise tint it with the
    // selection's colour into a plain square.
    QIcon icon(pm);
    icon.addPixmap(pm, QIcon::Selected);
    return icon;
}

QToolButton* menuButton(QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setPopupMode(QToolButton::InstantPopup);
    b->setMenu(new QMenu(b));
    return b;
}

}  // namespace

DocumentBrowser::DocumentBrowser(ModelContext& context, Project* fileTo, std::function<QList<Document*>()> documents,
                                 QString emptyTitle, QString emptyMessage, QWidget* parent)
    : QWidget(parent), m_model(context, fileTo), m_documents(std::move(documents)), m_emptyTitle(std::move(emptyTitle)),
      m_emptyMessage(std::move(emptyMessage))
{
    setObjectName(QStringLiteral("DocumentBrowser"));
    MarkupFile::installThumbnailHooks();
    setAcceptDrops(true);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    outer->addWidget(splitter);

    auto* main = new QWidget(splitter);
    auto* v = new QVBoxLayout(main);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    // The toolbar's controls keep their whole size and wrap onto a second row when the list
    // column is narrow.
    auto* toolbar = new QWidget(main);
    auto* bar = new FlowLayout(8, toolbar);
    bar->setContentsMargins(8, 8, 8, 8);

    auto* add = new QToolButton(main);
    add->setText(tr("Add…"));
    add->setIcon(symbolIcon(QStringLiteral("plus")));
    add->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    add->setToolTip(fileTo ? tr("Import new files into this project") : tr("Add documents (or drag files in)"));
    connect(add, &QToolButton::clicked, this, [this] {
        const QStringList files = QFileDialog::getOpenFileNames(this, tr("Add Documents"), AppPaths::saveFolder(),
                                                                tr("Documents (*.pdf *.png *.jpg *.jpeg *.gif *.webp *.heic *.heif *.tif *.tiff *.bmp);;All files (*)"));
        if (!files.isEmpty())
            importFiles(files);
    });
    bar->addWidget(add);
    if (fileTo) {
        auto* fromLibrary = new QToolButton(main);
        fromLibrary->setText(tr("Add from Library"));
        fromLibrary->setIcon(symbolIcon(QStringLiteral("books.vertical")));
        fromLibrary->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        fromLibrary->setToolTip(tr("Attach an existing Library file to this project (shared, no copy)"));
        connect(fromLibrary, &QToolButton::clicked, this, &DocumentBrowser::attachFromLibrary);
        bar->addWidget(fromLibrary);
    }
    m_typeMenu = menuButton(main);
    m_typeMenu->menu()->addAction(tr("All"), this, [this] {
        m_model.typeFilter.reset();
        rebuildList();
    });
    m_typeMenu->menu()->addSeparator();
    for (DocType t : DocTypes::allCases())
        m_typeMenu->menu()->addAction(DocTypes::label(t), this, [this, t] {
            m_model.typeFilter = t;
            rebuildList();
        });
    bar->addWidget(m_typeMenu);
    m_sortMenu = menuButton(main);
    for (auto s : DocumentBrowserModel::allSorts())
        m_sortMenu->menu()->addAction(DocumentBrowserModel::sortRawValue(s), this, [this, s] {
            m_model.sort = s;
            rebuildList();
        });
    bar->addWidget(m_sortMenu);
    m_importError = new QLabel(main);
    ThemeManager::makeRed(m_importError);
    m_importError->hide();
    bar->addWidget(m_importError);
    m_count = new QLabel(main);
    m_count->setForegroundRole(QPalette::PlaceholderText);
    // The flowing bar lines its items up at the top: the texts are as tall as the buttons, their
    // words centred, so they sit on the buttons' middle line.
    for (QLabel* text : {m_importError, m_count}) {
        text->setMinimumHeight(m_sortMenu->sizeHint().height());
        text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    bar->addWidget(m_count);
    auto* selectAll = new QToolButton(main);
    selectAll->setIcon(symbolIcon(QStringLiteral("checklist")));
    selectAll->setText(tr("All"));
    selectAll->setToolTip(tr("Select all / none (Ctrl+A)"));
    connect(selectAll, &QToolButton::clicked, this, [this] {
        m_model.toggleSelectAll();
        rebuildList();
    });
    auto* selectAllShortcut = new QShortcut(QKeySequence::SelectAll, this);
    selectAllShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(selectAllShortcut, &QShortcut::activated, selectAll, &QToolButton::click);
    bar->addWidget(selectAll);
    m_delete = new QToolButton(main);
    m_delete->setIcon(symbolIcon(fileTo ? QStringLiteral("minus.circle") : QStringLiteral("trash")));
    m_delete->setText(fileTo ? tr("Remove") : tr("Delete"));
    m_delete->setToolTip(fileTo ? tr("Remove selected from project") : tr("Delete selected"));
    connect(m_delete, &QToolButton::clicked, this, &DocumentBrowser::confirmDelete);
    bar->addWidget(m_delete);
    auto* toggle = new QToolButton(main);
    toggle->setIcon(symbolIcon(QStringLiteral("sidebar.right")));
    toggle->setToolTip(tr("Toggle inspector"));
    bar->addWidget(toggle);
    v->addWidget(toolbar);
    auto* line = new QFrame(main);
    line->setFrameShape(QFrame::HLine);
    v->addWidget(line);

    m_listStack = new QStackedWidget(main);
    m_listStack->setObjectName(QStringLiteral("documentListStack"));
    m_emptyLabel = new QLabel(m_listStack);
    m_emptyLabel->setAlignment(Qt::AlignCenter);
    m_emptyLabel->setWordWrap(true);
    m_emptyLabel->setTextFormat(Qt::RichText);
    m_listStack->addWidget(m_emptyLabel);
    m_list = new DocumentList(m_listStack);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setDragEnabled(true);
    m_list->setDragDropMode(QAbstractItemView::DragOnly);
    m_list->setIconSize(QSize(40, 40));
    m_list->setSpacing(3);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_listStack->addWidget(m_list);
    v->addWidget(m_listStack, 1);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &DocumentBrowser::syncSelectionFromList);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        const auto id = item->data(idRole).value<PersistentIdentifier>();
        if (Document* d = m_model.context().model<Document>(id))
            openDocument(d, m_model.fileTo(), m_model.context());
    });
    connect(m_list, &QListWidget::customContextMenuRequested, this, &DocumentBrowser::showRowMenu);

    m_inspectorStack = new QStackedWidget(splitter);
    m_inspectorStack->setMinimumWidth(300);
    m_inspectorStack->setMaximumWidth(460);
    connect(toggle, &QToolButton::clicked, this, [this] { m_inspectorStack->setVisible(!m_inspectorStack->isVisible()); });
    splitter->addWidget(main);
    splitter->addWidget(m_inspectorStack);
    splitter->setStretchFactor(0, 1);

    connect(&context, &ModelContext::changed, this, [this](const QString&) {
        // Coalesce bursts of changes into one reload once control returns to the event loop.
        if (m_reloadPending)
            return;
        m_reloadPending = true;
        QTimer::singleShot(0, this, [this] {
            m_reloadPending = false;
            reload();
        });
    });
    connect(&ThumbnailCache::shared(), &ThumbnailCache::cleared, this, [this] { rebuildList(); });
    // Thumbnails are drawn off the main thread; each row takes its picture when it is in.
    connect(&ThumbnailCache::shared(), &ThumbnailCache::ready, this, [this](const QString& fileName) {
        const QImage thumb = ThumbnailCache::shared().value(fileName);
        if (thumb.isNull())
            return;
        for (int i = 0; i < m_list->count(); ++i) {
            QListWidgetItem* item = m_list->item(i);
            if (item->data(Qt::UserRole).toString() != fileName)
                continue;
            if (const Document* d = m_model.context().model<Document>(item->data(idRole).value<PersistentIdentifier>()))
                item->setIcon(thumbnailIcon(thumb, d));
        }
    });
    reload();
}

QWidget* DocumentBrowser::inspectorPane() const
{
    return m_inspectorStack->currentWidget();
}

void DocumentBrowser::setEmptyTexts(const QString& title, const QString& message)
{
    m_emptyTitle = title;
    m_emptyMessage = message;
}

void DocumentBrowser::reload()
{
    m_model.documents = m_documents ? m_documents() : QList<Document*>();
    rebuildList();
}

void DocumentBrowser::importFiles(const QStringList& paths)
{
    // The files are read and copied on a worker, so a slow drive never holds up the window; the
    // records are made back here once the copies are in place.
    auto* watcher = new QFutureWatcher<QList<DocumentBrowserModel::CopiedFile>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_model.finishImport(watcher->result());
        reload();
        emit importFinished();
    });
    watcher->setFuture(QtConcurrent::run([paths] { return DocumentBrowserModel::copyIntoStore(paths); }));
}

void DocumentBrowser::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void DocumentBrowser::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    event->acceptProposedAction();
    if (!paths.isEmpty())
        importFiles(paths);
}

void DocumentBrowser::refreshToolbar()
{
    m_typeMenu->setText(m_model.typeMenuTitle());
    m_sortMenu->setText(m_model.sortMenuTitle());
    m_count->setText(m_model.countText());
    m_importError->setText(m_model.importError);
    m_importError->setVisible(!m_model.importError.isEmpty());
    m_delete->setVisible(!m_model.selectedIDs.isEmpty());
}

void DocumentBrowser::rebuildList()
{
    const QList<Document*> visible = m_model.visibleDocuments();
    // The row last clicked is the anchor of the next Shift-click; a rebuild (any store change,
    // an autosave among them) would otherwise forget it.
    PersistentIdentifier anchor;
    if (const QListWidgetItem* current = m_list->currentItem())
        anchor = current->data(idRole).value<PersistentIdentifier>();
    m_syncing = true;
    m_list->clear();
    for (Document* d : visible) {
        QString text = d->title().isEmpty() ? tr("Untitled") : d->title();
        text += QLatin1Char('\n') + DocumentBrowserModel::subtitle(d);
        if (!m_model.fileTo() && !d->attachments().isEmpty())
            text += QStringLiteral("  ·  ") + DocumentBrowserModel::projectBadgeText(d);
        auto* item = new QListWidgetItem(thumbnailIcon(DocumentFileStore::thumbnailIfReady(d), d), text, m_list);
        item->setData(Qt::UserRole, d->fileName());
        item->setData(idRole, QVariant::fromValue(d->persistentModelID()));
        item->setToolTip(!m_model.fileTo() && !d->attachments().isEmpty() ? DocumentBrowserModel::projectBadgeHelp(d)
                                                                            : tr("Drag onto a project to attach"));
        if (m_model.selectedIDs.contains(d->persistentModelID()))
            item->setSelected(true);
        // As wide as the list, whatever the title's length: the text is cut with "…" instead.
        item->setSizeHint(QSize(1, m_list->sizeHintForIndex(m_list->model()->index(m_list->row(item), 0)).height()));
        if (anchor.isValid() && d->persistentModelID() == anchor)
            m_list->setCurrentItem(item, QItemSelectionModel::NoUpdate);
    }
    m_syncing = false;
    if (visible.isEmpty()) {
        const bool filtered = m_model.typeFilter.has_value();
        m_emptyLabel->setText(QStringLiteral("<p style='font-size:large'><b>%1</b></p><p>%2</p>")
                                  .arg((filtered ? tr("Nothing matches") : m_emptyTitle).toHtmlEscaped(),
                                       (filtered ? tr("No documents of that type.") : m_emptyMessage).toHtmlEscaped()));
        m_listStack->setCurrentWidget(m_emptyLabel);
    } else {
        m_listStack->setCurrentWidget(m_list);
    }
    refreshToolbar();
    rebuildInspector();
}

void DocumentBrowser::syncSelectionFromList()
{
    if (m_syncing)
        return;
    // Selections of rows the filter hides are kept; the visible ones follow the list.
    QSet<PersistentIdentifier> visibleIDs;
    for (int i = 0; i < m_list->count(); ++i)
        visibleIDs.insert(m_list->item(i)->data(idRole).value<PersistentIdentifier>());
    QSet<PersistentIdentifier> next;
    for (const PersistentIdentifier& id : std::as_const(m_model.selectedIDs))
        if (!visibleIDs.contains(id))
            next.insert(id);
    for (QListWidgetItem* item : m_list->selectedItems())
        next.insert(item->data(idRole).value<PersistentIdentifier>());
    m_model.selectedIDs = next;
    refreshToolbar();
    rebuildInspector();
}

void DocumentBrowser::rebuildInspector()
{
    // An edit in the inspector changes the store, which reloads the list; the pane stays as it
    // is while it shows the same documents, so typing keeps its focus.
    QStringList key;
    for (const Document* d : m_model.selectedDocuments())
        key << d->persistentModelID().entityName + QLatin1Char(':') + QString::number(d->persistentModelID().primaryKey);
    key << QString::number(m_model.selectedIDs.size());
    if (m_inspectorStack->count() > 0 && key == m_inspectorKey)
        return;
    m_inspectorKey = key;
    while (m_inspectorStack->count() > 0) {
        QWidget* w = m_inspectorStack->widget(0);
        m_inspectorStack->removeWidget(w);
        w->deleteLater();
    }
    const QList<Document*> selected = m_model.selectedDocuments();
    QWidget* pane = nullptr;
    auto clear = [this] {
        QTimer::singleShot(0, this, [this] {
            m_model.clearSelection();
            reload();
        });
    };
    if (m_model.selectedIDs.size() == 1 && !selected.isEmpty()) {
        pane = new DocumentInspectorView(selected.first(), m_model.fileTo(), m_model.context(), clear);
    } else if (m_model.selectedIDs.size() < 2) {
        auto* label = new QLabel(QStringLiteral("<p><b>%1</b></p><p>%2</p>").arg(tr("No selection"), tr("Select a document to view and edit it.")));
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        label->setObjectName(QStringLiteral("noSelection"));
        pane = label;
    } else {
        pane = new DocumentBulkPanelView(selected, m_model.fileTo(), m_model.context(), [this](bool changed) {
            QTimer::singleShot(0, this, [this, changed] {
                m_model.bulkPanelDone(changed);
                reload();
            });
        });
    }
    m_inspectorStack->addWidget(pane);
    m_inspectorStack->setCurrentWidget(pane);
}

void DocumentBrowser::showRowMenu(const QPoint& pos)
{
    QListWidgetItem* item = m_list->itemAt(pos);
    if (!item)
        return;
    Document* d = m_model.context().model<Document>(item->data(idRole).value<PersistentIdentifier>());
    if (!d)
        return;
    QMenu menu(this);
    menu.addAction(tr("Open"), this, [this, d] { openDocument(d, m_model.fileTo(), m_model.context()); });
    menu.addAction(tr("Open in Default App"), this, [d] { openDocumentInDefaultApp(d); });
    menu.addAction(tr("Show in Files"), this, [this, d] { showInFileManager(DocumentBrowserModel::storedFilePath(d), this); });
    menu.addSeparator();
    if (m_model.fileTo()) {
        menu.addAction(tr("Remove from Project"), this, [this, d] {
            m_model.removeFromProject(d);
            reload();
        });
    } else {
        menu.addAction(tr("Delete"), this, [this, d] {
            m_model.requestDelete(d);
            confirmDelete();
        });
    }
    menu.exec(m_list->viewport()->mapToGlobal(pos));
}

void DocumentBrowser::confirmDelete()
{
    if (m_model.selectedIDs.isEmpty())
        return;
    QMessageBox box(QMessageBox::Warning, m_model.deleteConfirmationTitle(), m_model.deleteConfirmationMessage(),
                    QMessageBox::NoButton, this);
    QPushButton* yes = box.addButton(m_model.deleteConfirmationAction(), QMessageBox::DestructiveRole);
    box.addButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() != yes)
        return;
    m_model.performConfirmedDelete();
    reload();
}

void DocumentBrowser::attachFromLibrary()
{
    Project* project = m_model.fileTo();
    if (!project)
        return;
    QSet<QString> shown;
    for (const Document* d : m_model.documents)
        shown.insert(d->fileName());
    LibraryAttachSheet sheet(project, shown, m_model.context(), [this, project](const QList<Document*>& picked) {
        for (Document* d : picked)
            DocumentFileStore::attach(d, project, m_model.context());
    }, this);
    sheet.exec();
    reload();
}

// MARK: attach sheet

LibraryAttachSheet::LibraryAttachSheet(Project* project, QSet<QString> attachedFileNames, ModelContext& context,
                                       std::function<void(const QList<Document*>&)> onAttach, QWidget* parent)
    : QDialog(parent), m_onAttach(std::move(onAttach))
{
    Q_UNUSED(project);
    setObjectName(QStringLiteral("LibraryAttachSheet"));
    setWindowTitle(tr("Add from Library"));
    resize(460, 420);
    m_filter.attachedFileNames = std::move(attachedFileNames);
    m_all = LibraryAttachFilter::allDocumentsNewestFirst(context);

    auto* v = new QVBoxLayout(this);
    auto* header = new QHBoxLayout;
    auto* title = new QLabel(tr("Add from Library"), this);
    QFont f = title->font();
    f.setBold(true);
    title->setFont(f);
    header->addWidget(title);
    header->addStretch(1);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* add = new QPushButton(tr("Add"), this);
    add->setDefault(true);
    m_add = add;
    connect(add, &QPushButton::clicked, this, &LibraryAttachSheet::attachSelected);
    header->addWidget(cancel);
    header->addWidget(add);
    v->addLayout(header);

    auto* searchRow = new QHBoxLayout;
    auto* search = new QLineEdit(this);
    search->setPlaceholderText(tr("Search Library files"));
    search->setClearButtonEnabled(true);
    connect(search, &QLineEdit::textChanged, this, [this](const QString& t) {
        m_filter.search = t;
        refresh();
    });
    searchRow->addWidget(search, 1);
    m_typeMenu = menuButton(this);
    m_typeMenu->menu()->addAction(tr("All"), this, [this] {
        m_filter.typeFilter.reset();
        refresh();
    });
    m_typeMenu->menu()->addSeparator();
    for (DocType t : DocTypes::allCases())
        m_typeMenu->menu()->addAction(DocTypes::label(t), this, [this, t] {
            m_filter.typeFilter = t;
            refresh();
        });
    searchRow->addWidget(m_typeMenu);
    v->addLayout(searchRow);

    m_stack = new QStackedWidget(this);
    m_empty = new QLabel(m_stack);
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setWordWrap(true);
    m_stack->addWidget(m_empty);
    m_list = new QListWidget(m_stack);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_stack->addWidget(m_list);
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        for (int i = 0; i < m_list->count(); ++i) {
            const auto id = m_list->item(i)->data(idRole).value<PersistentIdentifier>();
            if (m_list->item(i)->isSelected())
                m_selected.insert(id);
            else
                m_selected.remove(id);
        }
        m_add->setEnabled(!m_selected.isEmpty());
    });
    v->addWidget(m_stack, 1);
    refresh();
    search->setFocus();
}

void LibraryAttachSheet::refresh()
{
    m_typeMenu->setText(QStringLiteral("Type: ") + (m_filter.typeFilter ? DocTypes::label(*m_filter.typeFilter) : tr("All")));
    const QList<Document*> candidates = m_filter.candidates(m_all);
    const QSignalBlocker block(m_list);
    m_list->clear();
    for (Document* d : candidates) {
        auto* item = new QListWidgetItem(symbolIcon(DocumentInspectorLogic::fileKindSymbol(d->fileName())),
                                         (d->title().isEmpty() ? tr("Untitled") : d->title()) + QLatin1Char('\n') + DocTypes::label(d->type()),
                                         m_list);
        item->setData(idRole, QVariant::fromValue(d->persistentModelID()));
        item->setSelected(m_selected.contains(d->persistentModelID()));
    }
    if (m_filter.nothingToAdd(m_all)) {
        m_empty->setText(QStringLiteral("<p><b>%1</b></p><p>%2</p>")
                             .arg(tr("Nothing to add"), tr("Every Library file is already in this project. Use Add… to import new files.")));
        m_stack->setCurrentWidget(m_empty);
    } else if (candidates.isEmpty()) {
        m_empty->setText(QStringLiteral("<p><b>%1</b></p><p>%2</p>").arg(tr("No matches"), tr("No Library files match your search or filter.")));
        m_stack->setCurrentWidget(m_empty);
    } else {
        m_stack->setCurrentWidget(m_list);
    }
    m_add->setEnabled(!m_selected.isEmpty());
}

void LibraryAttachSheet::attachSelected()
{
    QList<Document*> picked;
    for (Document* d : m_filter.candidates(m_all))
        if (m_selected.contains(d->persistentModelID()))
            picked.append(d);
    if (m_onAttach)
        m_onAttach(picked);
    accept();
}
