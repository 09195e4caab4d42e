#include "Corvallen/Documents/Views/DocumentInspectorView.h"
#include "Corvallen/Platform/Views/LiteralText.h"

#include "Corvallen/Documents/DocumentBrowserModel.h"
#include "Corvallen/Documents/DocumentPanels.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ThumbnailCache.h"
#include "Corvallen/Platform/Views/ShowInFileManager.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Platform/WindowRouter.h"
#include "Corvallen/Widgets/Views/TagEditor.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

void openDocumentInDefaultApp(const Document* document)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(DocumentBrowserModel::storedFilePath(document)));
}

void openDocument(Document* document, Project* scope, ModelContext& context)
{
    const DocumentFileKind kind = documentKind(document->fileName());
    if (kind == DocumentFileKind::other) {
        openDocumentInDefaultApp(document);
        return;
    }
    const DocViewerTarget target = DocumentBrowserModel::viewerTarget(document, scope, context);
    if (WindowRouter* router = WindowRouter::current())
        router->openKeyed(QStringLiteral("doc-viewer"), QString::fromUtf8(target.toJson()));
}

namespace {

QWidget* section(const QString& caption, QWidget* content, QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(6);
    auto* label = new QLabel(caption, box);
    QFont f = label->font();
    f.setPointSizeF(f.pointSizeF() * 0.85);
    label->setFont(f);
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setContentsMargins(2, 0, 0, 0);
    v->addWidget(label);
    auto* frame = new QFrame(box);
    frame->setObjectName(QStringLiteral("inspectorSectionBox"));
    frame->setStyleSheet(QStringLiteral("#inspectorSectionBox { background: rgba(128,128,128,0.12); border-radius: 10px; }"));
    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(content);
    v->addWidget(frame);
    return box;
}

}  // namespace

DocumentInspectorView::DocumentInspectorView(Document* document, Project* scopeProject, ModelContext& context,
                                             std::function<void()> onDone, QWidget* parent)
    : QWidget(parent), m_document(document), m_scopeProject(scopeProject), m_context(context), m_onDone(std::move(onDone))
{
    setObjectName(QStringLiteral("DocumentInspector"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(12, 8, 12, 8);
    auto* title = new QLabel(tr("Document"), this);
    QFont hf = title->font();
    hf.setBold(true);
    title->setFont(hf);
    header->addWidget(title);
    header->addStretch(1);
    auto* done = new QPushButton(tr("Done"), this);
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, [this] {
        m_context.save();
        if (m_onDone)
            m_onDone();
    });
    header->addWidget(done);
    outer->addLayout(header);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    outer->addWidget(divider);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* body = new QWidget(scroll);
    auto* col = new QVBoxLayout(body);
    col->setContentsMargins(20, 20, 20, 20);
    col->setSpacing(18);

    // Preview: drawn off the main thread the first time, shown when it is in.
    auto* preview = new QPushButton(body);
    preview->setFlat(true);
    const QString fileName = document->fileName();
    auto showPreview = [this, preview, fileName](const QImage& thumb) {
        if (!thumb.isNull()) {
            const QPixmap pm = QPixmap::fromImage(thumb.scaled(220, 220, Qt::KeepAspectRatio, Qt::SmoothTransformation));
            preview->setIcon(pm);
            preview->setIconSize(pm.size());
            preview->setMinimumHeight(0);
            preview->setCursor(Qt::PointingHandCursor);
            preview->setEnabled(true);
        } else {
            preview->setIcon(symbolIcon(DocumentInspectorLogic::fileKindSymbol(fileName)));
            preview->setIconSize(QSize(56, 56));
            preview->setMinimumHeight(120);
            preview->setEnabled(false);
        }
    };
    connect(preview, &QPushButton::clicked, this, [this] { openDocument(m_document, m_scopeProject, m_context); });
    showPreview(DocumentFileStore::thumbnailIfReady(document));
    connect(&DocumentFileStore::thumbnailCache(), &ThumbnailCache::ready, preview, [showPreview, fileName](const QString& key) {
        if (key == fileName)
            showPreview(DocumentFileStore::thumbnailCache().value(key));
    });
    col->addWidget(preview);

    auto* actions = new QHBoxLayout;
    auto* open = new QPushButton(symbolIcon(QStringLiteral("arrow.up.forward.app")), tr("Open"), body);
    connect(open, &QPushButton::clicked, this, [this] { openDocument(m_document, m_scopeProject, m_context); });
    auto* reveal = new QPushButton(symbolIcon(QStringLiteral("folder")), tr("Reveal"), body);
    connect(reveal, &QPushButton::clicked, this,
            [this] { showInFileManager(DocumentBrowserModel::storedFilePath(m_document), this); });
    actions->addWidget(open);
    actions->addWidget(reveal);
    actions->addStretch(1);
    col->addLayout(actions);

    // Details.
    auto* details = new QWidget(body);
    auto* form = new QFormLayout(details);
    auto* titleEdit = new QLineEdit(document->title(), details);
    titleEdit->setAlignment(Qt::AlignRight);
    titleEdit->setObjectName(QStringLiteral("titleField"));
    titleEdit->setCursorPosition(0);  // a long title shows its beginning
    connect(titleEdit, &QLineEdit::textEdited, this, [this](const QString& t) { m_document->setTitle(t); });
    form->addRow(QStringLiteral("Title"), titleEdit);
    auto* file = new QLabel(DocumentInspectorLogic::fileTypeText(document), details);
    file->setForegroundRole(QPalette::PlaceholderText);
    form->addRow(QStringLiteral("File"), file);
    auto* type = new QComboBox(details);
    type->setObjectName(QStringLiteral("typePicker"));
    // 160 wide where the column has room; narrower in a narrow column, never pushing it sideways.
    type->setMinimumWidth(110);
    type->setMaximumWidth(160);
    for (DocType t : DocTypes::allCases())
        type->addItem(symbolIcon(DocumentBrowserModel::typeSymbolName(t)), DocTypes::label(t), DocTypes::rawValue(t));
    type->setCurrentIndex(int(DocTypes::allCases().indexOf(document->type())));
    connect(type, &QComboBox::activated, this, [this, type](int i) {
        if (auto t = DocTypes::fromRawValue(type->itemData(i).toString()))
            m_document->setType(*t);
    });
    form->addRow(QStringLiteral("Type"), type);
    auto* used = new QLabel(DocumentInspectorLogic::usedInText(document), details);
    used->setWordWrap(true);
    used->setAlignment(Qt::AlignRight);
    used->setForegroundRole(QPalette::PlaceholderText);
    form->addRow(QStringLiteral("Used in"), used);
    col->addWidget(section(QStringLiteral("Details"), details, body));

    // Tags.
    auto* tags = new StringTagEditor(document->tags().value_or(QString()), QString(), body);
    connect(tags, &StringTagEditor::rawChanged, this, [this](const QString& raw) {
        m_document->setTags(raw.isEmpty() ? std::nullopt : std::optional<QString>(raw));
    });
    col->addWidget(section(QStringLiteral("Tags"), tags, body));

    // Notes.
    auto* notes = new QPlainTextEdit(document->notes(), body);
    notes->setObjectName(QStringLiteral("notesField"));
    notes->setMaximumHeight(8 * notes->fontMetrics().lineSpacing() + 12);
    connect(notes, &QPlainTextEdit::textChanged, this, [this, notes] { m_document->setNotes(notes->toPlainText()); });
    col->addWidget(section(QStringLiteral("Notes"), notes, body));

    if (const auto source = document->sourceURL(); source && !source->isEmpty()) {
        auto* from = new QLabel(body);
        from->setText(QStringLiteral("From  ") + fontMetrics().elidedText(*source, Qt::ElideMiddle, 240));
        from->setToolTip(*source);
        from->setForegroundRole(QPalette::PlaceholderText);
        col->addWidget(section(QStringLiteral("Source"), from, body));
    }

    if (scopeProject) {
        auto* remove = new QPushButton(symbolIcon(QStringLiteral("minus.circle")), tr("Remove from Project"), body);
        remove->setToolTip(tr("Keeps the file in your Library — removes only this project's notes"));
        connect(remove, &QPushButton::clicked, this, [this] {
            DocumentFileStore::detach(m_document, m_scopeProject, m_context);
            if (m_onDone)
                m_onDone();
        });
        col->addWidget(remove);
    }
    auto* del = new QPushButton(symbolIcon(QStringLiteral("trash")), tr("Delete from Library"), body);
    connect(del, &QPushButton::clicked, this, [this] {
        QMessageBox box(QMessageBox::Warning, tr("Delete this document?"), DocumentInspectorLogic::deleteMessage(m_document),
                        QMessageBox::NoButton, this);
        QPushButton* yes = box.addButton(tr("Delete"), QMessageBox::DestructiveRole);
        box.addButton(QMessageBox::Cancel);
        box.exec();
        if (box.clickedButton() != yes)
            return;
        DocumentFileStore::deleteFromLibrary(m_document, m_context);
        if (m_onDone)
            m_onDone();
    });
    col->addWidget(del);
    col->addStretch(1);
    scroll->setWidget(body);
    outer->addWidget(scroll, 1);
}

DocumentBulkPanelView::DocumentBulkPanelView(QList<Document*> documents, Project* scopeProject, ModelContext& context,
                                             std::function<void(bool)> done, QWidget* parent)
    : QWidget(parent), m_documents(std::move(documents))
{
    setObjectName(QStringLiteral("DocumentBulkPanel"));
    const qsizetype n = m_documents.size();
    auto* v = new QVBoxLayout(this);
    auto* title = new QLabel(tr("%1 documents").arg(n), this);
    QFont hf = title->font();
    hf.setBold(true);
    title->setFont(hf);
    v->addWidget(title);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    v->addWidget(line);
    v->addWidget(new QLabel(tr("Set for all %1").arg(n), this));

    auto* typeButton = new QToolButton(this);
    typeButton->setText(tr("Type…"));
    typeButton->setPopupMode(QToolButton::InstantPopup);
    auto* typeMenu = new QMenu(typeButton);
    for (DocType t : DocTypes::allCases())
        typeMenu->addAction(DocTypes::label(t), this, [this, t, &context] { DocumentBulkLogic::setType(m_documents, t, context); });
    typeButton->setMenu(typeMenu);
    v->addWidget(typeButton);

    if (!scopeProject) {
        auto* projectButton = new QToolButton(this);
        projectButton->setText(tr("Add to project…"));
        projectButton->setPopupMode(QToolButton::InstantPopup);
        auto* menu = new QMenu(projectButton);
        connect(menu, &QMenu::aboutToShow, this, [this, menu, &context] {
            menu->clear();
            for (Project* p : DocumentBulkLogic::projectsNewestFirst(context))
                menu->addAction(p->name().isEmpty() ? tr("Untitled") : literalText(p->name()), this,
                                [this, p, &context] { DocumentBulkLogic::addAll(m_documents, p, context); });
        });
        projectButton->setMenu(menu);
        v->addWidget(projectButton);
    }
    const bool projectScope = scopeProject != nullptr;
    auto* destroy = new QPushButton(symbolIcon(projectScope ? QStringLiteral("minus.circle") : QStringLiteral("trash")),
                                    DocumentBulkLogic::destructiveLabel(n, projectScope), this);
    connect(destroy, &QPushButton::clicked, this, [this, scopeProject, projectScope, &context, done] {
        // Documents deleted meanwhile (in another window) are not counted.
        const qsizetype existing = DocumentBulkLogic::existingCount(m_documents);
        QMessageBox box(QMessageBox::Warning, DocumentBulkLogic::confirmationTitle(existing, projectScope),
                        DocumentBulkLogic::confirmationMessage(m_documents, projectScope), QMessageBox::NoButton, this);
        QPushButton* yes = box.addButton(projectScope ? tr("Remove from Project") : tr("Delete"), QMessageBox::DestructiveRole);
        box.addButton(QMessageBox::Cancel);
        box.exec();
        if (box.clickedButton() != yes)
            return;
        DocumentBulkLogic::deleteOrRemoveAll(m_documents, scopeProject, context);
        if (done)
            done(true);
    });
    v->addWidget(destroy);
    v->addStretch(1);
}
