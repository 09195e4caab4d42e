#include "Corvallen/Documents/Views/DocumentViewerWindow.h"

#include "Corvallen/Documents/DocumentBrowserModel.h"
#include "Corvallen/Documents/MarkupFile.h"
#include "Corvallen/Documents/Views/DocumentInspectorView.h"
#include "Corvallen/Documents/Views/PDFMarkupContainer.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/Views/ShowInFileManager.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

DocumentViewerWindow::DocumentViewerWindow(const DocViewerTarget& target, ModelContext& context, QWidget* parent)
    : QWidget(parent), m_target(target), m_context(context)
{
    setObjectName(QStringLiteral("DocumentViewerWindow"));
    setMinimumSize(600, 460);
    MarkupFile::installThumbnailHooks();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const QString path = QDir(DocumentFileStore::documentsFolder()).filePath(target.fileName);
    const DocumentFileKind kind = AppPaths::isPlainFileName(target.fileName) ? documentKind(target.fileName) : DocumentFileKind::other;
    if (kind == DocumentFileKind::pdf || kind == DocumentFileKind::image) {
        m_markup = new PDFMarkupContainer(kind == DocumentFileKind::pdf ? PDFMarkupContainer::Source::pdf
                                                                        : PDFMarkupContainer::Source::image,
                                          path, target.markupFileName, this);
        // A viewer left open after its document was deleted or taken out of the project writes
        // no orphan markup file.
        m_markup->controller()->staleReason = [this] {
            return DocumentBrowserModel::markupScopeStaleReason(m_target, m_context);
        };
        layout->addWidget(m_markup);
        // A file the viewer can't show says why, and offers the default app (which may, for
        // instance, ask for a PDF's password), instead of an empty page.
        connect(m_markup, &PDFMarkupContainer::loaded, this, [this, path](bool shown) {
            if (shown)
                return;
            QString notice = m_markup->whyNotShown();
            if (notice.isEmpty())
                notice = tr("This document couldn't be shown.");
            this->layout()->removeWidget(m_markup);
            m_markup->hide();
            m_markup->deleteLater();
            m_markup = nullptr;
            showNotice(notice, path);
        });
        return;
    }
    showNotice(tr("No built-in viewer for this file type."), path);
}

void DocumentViewerWindow::showNotice(const QString& notice, const QString& path)
{
    auto* layout = qobject_cast<QVBoxLayout*>(this->layout());
    layout->addStretch(1);
    auto* icon = new QLabel(this);
    icon->setPixmap(symbolIcon(QStringLiteral("doc")).pixmap(56, 56));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    layout->addSpacing(16);
    auto* text = new QLabel(notice, this);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignCenter);
    text->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(text);
    layout->addSpacing(16);
    auto* open = new QPushButton(symbolIcon(QStringLiteral("arrow.up.forward.app")), tr("Open in Default App"), this);
    connect(open, &QPushButton::clicked, this, [path] { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });
    layout->addWidget(open, 0, Qt::AlignHCenter);
    layout->addSpacing(16);
    auto* reveal = new QPushButton(tr("Show in Files"), this);
    reveal->setFlat(true);
    reveal->setCursor(Qt::PointingHandCursor);
    connect(reveal, &QPushButton::clicked, this, [this, path] { showInFileManager(path, this); });
    layout->addWidget(reveal, 0, Qt::AlignHCenter);
    layout->addStretch(1);
}

QString DocumentViewerWindow::displayTitle() const
{
    QString title = m_title.isEmpty() ? m_target.fileName : m_title;
    if (!m_target.scopeLabel.isEmpty())
        title += QStringLiteral(" — ") + m_target.scopeLabel;
    return title;
}

void DocumentViewerWindow::loadTitle()
{
    const QString fileName = m_target.fileName;
    const QList<Document*> found = m_context.fetch<Document>([&](const Document* d) { return d->fileName() == fileName; });
    if (!found.isEmpty() && !found.first()->title().isEmpty())
        m_title = found.first()->title();
    if (window() && window() != this)
        window()->setWindowTitle(displayTitle());
}

void DocumentViewerWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_titleLoaded) {
        m_titleLoaded = true;
        loadTitle();
    }
    // The close guard watches the window that shows this content.
    QWidget* w = window();
    if (m_markup && w && w != this && m_guardedWindow != w) {
        if (m_guardedWindow)
            m_guardedWindow->removeEventFilter(this);
        m_guardedWindow = w;
        w->installEventFilter(this);
    }
}

bool DocumentViewerWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_guardedWindow && event->type() == QEvent::Close && m_markup) {
        if (!m_markup->confirmClose()) {
            event->ignore();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool DocumentViewerWindow::isLoading() const { return m_markup && m_markup->isLoading(); }
