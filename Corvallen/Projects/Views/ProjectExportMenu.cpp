#include "Corvallen/Projects/Views/ProjectExportMenu.h"

#include "Corvallen/Model/DomainError.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Projects/ProjectExport.h"
#include "Corvallen/Projects/ProjectTexts.h"
#include "Corvallen/Platform/Views/ShowInFileManager.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Projects/Views/WorkProgress.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPromise>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace {
std::function<void(const QString&)>& revealHandler()
{
    static std::function<void(const QString&)> handler;
    return handler;
}
}  // namespace

ProjectExportMenu::ProjectExportMenu(Project* project, QWidget* parent) : QToolButton(parent), m_project(project)
{
    setObjectName(QStringLiteral("exportMenu"));
    setText(tr("Export"));
    setIcon(symbolIcon(QStringLiteral("square.and.arrow.up")));
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setPopupMode(QToolButton::InstantPopup);
    setToolTip(tr("Export this project"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* menu = new QMenu(this);
    menu->addAction(tr("Project Sheet (PDF)…"), this, &ProjectExportMenu::exportProjectSheet);
    menu->addAction(tr("Quote (PDF)…"), this, &ProjectExportMenu::exportQuote);
    setMenu(menu);
}

void ProjectExportMenu::setRevealHandler(std::function<void(const QString&)> handler) { revealHandler() = std::move(handler); }

void ProjectExportMenu::exportProjectSheet() { chooseAndExport(Kind::projectSheet); }

void ProjectExportMenu::exportQuote() { chooseAndExport(Kind::quote); }

void ProjectExportMenu::chooseAndExport(Kind kind)
{
    if (m_busy)
        return;
    const QString folder = AppPaths::saveFolder();
    const QString name = ProjectTexts::exportFileName(
        m_project, kind == Kind::projectSheet ? ProjectTexts::projectSheetSuffix : ProjectTexts::quoteSuffix);
    const QString path = AppPaths::withSuffix(
        QFileDialog::getSaveFileName(window(), QString(), folder + u'/' + name, tr("PDF documents (*.pdf)")), QStringLiteral(".pdf"));
    if (path.isEmpty())
        return;
    exportTo(kind, path);
}

QMessageBox* ProjectExportMenu::savedButNotShownNote(const QString& path, QWidget* parent)
{
    auto* box = new QMessageBox(QMessageBox::Information, tr("Export saved"),
                                tr("The export was saved as “%1”, but no file manager could be opened to show it.")
                                    .arg(QDir::toNativeSeparators(path)),
                                QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("exportShowAlert"));
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
    return box;
}

void ProjectExportMenu::confirmSaved(const QString& path, QWidget* parent, const std::function<void(QMessageBox*)>& noted)
{
    if (revealHandler()) {
        revealHandler()(path);
        return;
    }
    showInFileManager(path, parent, [parent, path, noted](const QString&) {
        QMessageBox* box = savedButNotShownNote(path, parent);
        if (noted)
            noted(box);
    });
}

void ProjectExportMenu::reportCannotShow(const QString& path)
{
    if (m_alert)
        m_alert->close();
    m_alert = savedButNotShownNote(path, this);
}

void ProjectExportMenu::fail(const QString& message)
{
    if (m_alert)
        m_alert->close();
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Export failed"), message, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("exportAlert"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    m_alert = box;
    box->open();
}

void ProjectExportMenu::exportTo(Kind kind, const QString& destination)
{
    if (m_busy || !m_project)
        return;
    m_busy = true;
    setEnabled(false);
    // The date of a quote is the moment the user confirmed where to save it. What the export
    // prints is copied here, a slice per turn of the event loop; the pages are then laid out,
    // drawn and saved on a worker, so a project of many parts leaves the window free.
    auto reader = std::make_shared<SheetProjectReader>(m_project);
    copySlice(reader, kind, QDateTime::currentDateTime(), destination);
}

void ProjectExportMenu::copySlice(const std::shared_ptr<SheetProjectReader>& reader, Kind kind, const QDateTime& date,
                                  const QString& destination)
{
    if (!m_project || m_project->isDeleted()) {
        m_busy = false;
        setEnabled(true);
        return;
    }
    if (!reader->read(copySliceMilliseconds)) {
        // A timer, not a queued call: input, painting and other timers run between slices.
        QTimer::singleShot(1, this, [this, reader, kind, date, destination] { copySlice(reader, kind, date, destination); });
        return;
    }
    build(kind == Kind::projectSheet ? ProjectExport::projectSheetBuilder(reader->result())
                                     : ProjectExport::quoteBuilder(reader->result(), date),
          destination);
}

void ProjectExportMenu::build(const ProjectExport::Builder& build, const QString& destination)
{
    auto* watcher = new QFutureWatcher<QString>(this);
    auto* progress = makeWorkProgress(tr("Exporting…"), progressRange, watcher, this);
    progress->setObjectName(QStringLiteral("exportProgress"));
    m_progress = progress;
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher, progress, destination] {
        watcher->deleteLater();
        closeWorkProgress(progress, watcher);
        m_busy = false;
        setEnabled(true);
        // Stopped before the file was in place: nothing was written, nothing to say.
        if (watcher->future().resultCount() == 0)
            return;
        const QString error = watcher->result();
        if (error.isEmpty())
            confirmSaved(destination, this, [this](QMessageBox* note) {
                if (m_alert)
                    m_alert->close();
                m_alert = note;
            });
        else
            fail(error);
        Q_EMIT exportFinished(destination, error);
    });
    watcher->setFuture(QtConcurrent::run([build, destination](QPromise<QString>& promise) {
        promise.setProgressRange(0, progressRange);
        QString built;
        try {
            built = build([&promise](double done) {
                promise.setProgressValue(int(done * progressRange));
                return !promise.isCanceled();
            });
        } catch (const DomainError& e) {
            if (!promise.isCanceled())
                promise.addResult(e.localizedDescription());
            return;
        } catch (const std::exception& e) {
            promise.addResult(QString::fromUtf8(e.what()));
            return;
        }
        if (promise.isCanceled()) {
            QFile::remove(built);
            return;
        }
        promise.addResult(ProjectExport::placeFile(built, destination));
    }));
}
