#include "Corvallen/Inventory/AttachmentController.h"

#include "Corvallen/Inventory/ComponentFileCleanup.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/ComponentFileDownload.h"
#include "Corvallen/Model/ComponentFileStore.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QMutex>
#include <QtConcurrent/QtConcurrentRun>

namespace {

struct ImportResult {
    std::optional<QString> fileName;
    std::optional<DomainError> error;
};

}  // namespace

// One copy on the thread pool. `landed` holds the stored name once the copy is done and the
// controller has not taken it yet; `abandoned` tells the copy that nobody will take it.
struct AttachmentController::ImportJob {
    QMutex mutex;
    std::optional<QString> landed;
    bool abandoned = false;
};

AttachmentController::AttachmentController(ModelContext& context, Component* component, Field field, QObject* parent)
    : QObject(parent), m_context(context), m_component(component), m_field(field)
{
}

AttachmentController::~AttachmentController()
{
    for (const std::shared_ptr<ImportJob>& job : std::as_const(m_imports)) {
        const QMutexLocker lock(&job->mutex);
        job->abandoned = true;
        if (job->landed)
            ComponentFileStore::deleteComponentFile(*std::exchange(job->landed, std::nullopt));
    }
}

QString AttachmentController::label() const
{
    switch (m_field) {
    case Field::datasheet: return QStringLiteral("Datasheet");
    case Field::manual: return QStringLiteral("Manual");
    case Field::photo: return QStringLiteral("Photo");
    }
    return {};
}

QString AttachmentController::linkAlertTitle() const
{
    return QCoreApplication::translate("AttachmentControl", "Add %1 from link").arg(label().toLower());
}

std::optional<QString> AttachmentController::file() const
{
    if (!m_component)
        return std::nullopt;
    switch (m_field) {
    case Field::datasheet: return m_component->datasheetFile();
    case Field::manual: return m_component->manualFile();
    case Field::photo: return m_component->photoFile();
    }
    return std::nullopt;
}

void AttachmentController::setFile(const std::optional<QString>& name)
{
    switch (m_field) {
    case Field::datasheet: m_component->setDatasheetFile(name); break;
    case Field::manual: m_component->setManualFile(name); break;
    case Field::photo: m_component->setPhotoFile(name); break;
    }
}

QString AttachmentController::rememberedURL() const
{
    if (!m_component)
        return {};
    switch (m_field) {
    case Field::datasheet: return m_component->datasheetURL().value_or(QString());
    case Field::manual: return m_component->manualURL().value_or(QString());
    case Field::photo: return m_component->photoURL().value_or(QString());
    }
    return {};
}

QString AttachmentController::storedPath() const
{
    const std::optional<QString> name = file();
    return name ? ComponentFileStore::storedFilePath(*name) : QString();
}

void AttachmentController::begin(bool clearError)
{
    ++m_running;
    if (clearError)
        m_error.reset();
    Q_EMIT changed();
}

void AttachmentController::finish(const std::optional<QString>& fileName, const std::optional<DomainError>& error)
{
    m_running = std::max(0, m_running - 1);
    if (fileName)
        replaceWith(*fileName);
    else if (error)
        m_error = error->localizedDescription();
    Q_EMIT changed();
}

void AttachmentController::replaceWith(const QString& fileName)
{
    if (!m_component || m_component->isDeleted()) {
        // The component went while the file was on its way; nothing will ever name the file.
        ComponentFileStore::deleteComponentFile(fileName);
        return;
    }
    const std::optional<QString> old = file();
    setFile(fileName);
    ComponentFileCleanup& cleanup = ComponentFileCleanup::forContext(m_context);
    if (old && *old != fileName)
        cleanup.scheduleRemoval(*old);
    // Should the change be rolled back before it is saved, nothing names the new file any more;
    // checked at the next save like the old one (kept while the field names it).
    cleanup.scheduleRemoval(fileName);
}

void AttachmentController::importFile(const QString& path)
{
    begin(false);
    startImport(path);
}

bool AttachmentController::drop(const QList<QUrl>& urls)
{
    if (urls.isEmpty())
        return false;
    const QUrl url = urls.first();
    begin(true);
    if (url.isLocalFile())
        startImport(url.toLocalFile());
    else
        startDownload(url.toString(QUrl::FullyEncoded));
    return true;
}

void AttachmentController::download(const QString& link)
{
    begin(true);
    startDownload(link);
}

void AttachmentController::startImport(const QString& path)
{
    // A large file would hold the window while it is copied; the copy is safe off the main thread.
    auto job = std::make_shared<ImportJob>();
    m_imports << job;
    auto* watcher = new QFutureWatcher<ImportResult>(this);
    connect(watcher, &QFutureWatcher<ImportResult>::finished, this, [this, watcher, job] {
        const ImportResult result = watcher->result();
        watcher->deleteLater();
        m_imports.removeAll(job);
        {
            const QMutexLocker lock(&job->mutex);
            job->landed.reset();
        }
        finish(result.fileName, result.error);
    });
    watcher->setFuture(QtConcurrent::run([path, job]() -> ImportResult {
        ImportResult result;
        try {
            result.fileName = ComponentFileStore::importComponentFile(path);
        } catch (const DomainError& e) {
            result.error = e;
        }
        const QMutexLocker lock(&job->mutex);
        if (job->abandoned && result.fileName) {
            ComponentFileStore::deleteComponentFile(*result.fileName);
            result.fileName.reset();
        } else {
            job->landed = result.fileName;
        }
        return result;
    }));
}

void AttachmentController::startDownload(const QString& link)
{
    m_received = 0;
    m_expected = -1;
    ComponentFileDownload* job = ComponentFileStore::downloadComponentFile(link, this);
    m_downloads << job;
    connect(job, &ComponentFileDownload::progress, this, [this](qint64 received, qint64 total) {
        m_received = received;
        m_expected = total;
        Q_EMIT changed();
    });
    connect(job, &ComponentFileDownload::finished, this, [this, job] {
        m_downloads.removeAll(job);
        job->deleteLater();
        if (job->succeeded())
            finish(job->fileName(), std::nullopt);
        else
            finish(std::nullopt, job->error());
    });
}

void AttachmentController::cancelDownload()
{
    for (const QPointer<ComponentFileDownload>& job : std::as_const(m_downloads))
        if (job)
            job->abort();
}

void AttachmentController::remove()
{
    const std::optional<QString> old = file();
    if (!old || !m_component)
        return;
    setFile(std::nullopt);
    ComponentFileCleanup::forContext(m_context).scheduleRemoval(*old);
    Q_EMIT changed();
}

bool AttachmentController::open() const
{
    const QString path = storedPath();
    if (path.isEmpty() || !QFileInfo::exists(path))
        return false;
    // A program or desktop entry would be run, not shown: it stays attached but is never opened.
    if (ComponentFileStore::isProgramFile(path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
