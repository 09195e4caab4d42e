#include "Corvallen/Backup/BackupController.h"

#include "Corvallen/Backup/BackupBundle.h"
#include "Corvallen/Backup/BackupError.h"
#include "Corvallen/Backup/BackupExport.h"
#include "Corvallen/Backup/Relaunch.h"
#include "Corvallen/Backup/SelectiveRestore.h"
#include "Corvallen/Backup/StagedRestore.h"
#include "Corvallen/Store/ModelContext.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPromise>
#include <QThreadPool>

#include <memory>

namespace {

QString describe(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const BackupError& e) {
        return e.localizedDescription();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QCoreApplication::translate("BackupController", "Unknown error");
    }
}

// The failure a finished future holds, if any.
template <class T>
std::optional<QString> failureOf(QFuture<T> future)
{
    try {
        future.waitForFinished();
    } catch (...) {
        return describe(std::current_exception());
    }
    return std::nullopt;
}

}  // namespace

BackupController& BackupController::shared()
{
    static QPointer<BackupController> instance;
    if (!instance)
        instance = new BackupController(QCoreApplication::instance());
    return *instance;
}

BackupController::BackupController(QObject* parent) : QObject(parent) {}

BackupController::~BackupController() = default;

void BackupController::setQuitForRelaunch(QuitForRelaunch quit) { m_quit = std::move(quit); }

void BackupController::begin(Job job, const QString& status, double progress)
{
    m_job = job;
    m_progress = progress;
    m_status = status;
    m_outcomeShown = false;
    Q_EMIT changed();
}

void BackupController::end(const QString& status)
{
    m_job = Job::none;
    m_status = status;
    m_outcomeShown = false;
    Q_EMIT changed();
}

template <class T>
void BackupController::follow(const QFuture<T>& future, Job job, std::function<void(QFuture<T>)> done)
{
    auto* watcher = new QFutureWatcher<T>(this);
    connect(watcher, &QFutureWatcherBase::progressValueChanged, this, [this, job](int value) {
        if (m_job != job || m_progress < 0)
            return;
        m_progress = value / 1000.0;
        Q_EMIT changed();
    });
    connect(watcher, &QFutureWatcherBase::finished, this, [watcher, done] {
        watcher->deleteLater();
        done(watcher->future());
    });
    watcher->setFuture(future);
}

bool BackupController::exportBackup(ModelContext& context, const BackupSelection& selection, const QString& destination,
                                    const QString& appVersion, const QString& appBuild)
{
    if (isWorking() || selection.isEmpty())
        return false;
    begin(Job::exporting, tr("Exporting\u2026"), 0);
    // The records are read from the store here; copying, zipping and moving the archive into
    // place run in the thread pool.
    const QFuture<BackupExport::Outcome> future = BackupExport::exportArchiveAsync(selection, context, appVersion, appBuild, destination);
    follow<BackupExport::Outcome>(future, Job::exporting, [this](QFuture<BackupExport::Outcome> f) {
        if (const std::optional<QString> failure = failureOf(f))
            return end(tr("Export failed: %1").arg(*failure));
        const BackupExport::Outcome outcome = f.result();
        const QString saved = tr("Saved %1").arg(QFileInfo(outcome.archive).fileName());
        // Links in the data folders are not followed into the archive; the user is told.
        end(outcome.linksLeftOut == 0 ? saved
                                      : tr("%1 (links in the data folders left out: %2)").arg(saved).arg(outcome.linksLeftOut));
    });
    return true;
}

bool BackupController::inspect(const QString& archive)
{
    if (isWorking())
        return false;
    m_choice.reset();
    // Reading the archive's directory can take a while on a slow drive.
    begin(Job::inspecting, QString(), -1);
    auto promise = std::make_shared<QPromise<BackupBundle::Info>>();
    promise->start();
    const QFuture<BackupBundle::Info> future = promise->future();
    QThreadPool::globalInstance()->start([promise, archive] {
        try {
            promise->addResult(BackupBundle::inspect(archive));
        } catch (...) {
            promise->setException(std::current_exception());
        }
        promise->finish();
    });
    follow<BackupBundle::Info>(future, Job::inspecting, [this, archive](QFuture<BackupBundle::Info> f) {
        if (const std::optional<QString> failure = failureOf(f)) {
            end(tr("Couldn't read that backup: %1").arg(*failure));
            return;
        }
        m_choice = Choice{archive, f.result()};
        // Not an outcome: the status stays as it was before the inspection.
        end(QString());
        m_outcomeShown = true;
        Q_EMIT choiceReady();
    });
    return true;
}

std::optional<BackupController::Choice> BackupController::takePendingChoice() { return std::exchange(m_choice, std::nullopt); }

bool BackupController::restore(ModelContext& context, const QString& archive, const BackupSelection& selection)
{
    if (isWorking() || selection.isEmpty())
        return false;
    m_choice.reset();
    begin(Job::restoring, tr("Restoring\u2026"), 0);
    const QFuture<RestoreSummary> future = SelectiveRestore::restoreAsync(archive, selection, context);
    follow<RestoreSummary>(future, Job::restoring, [this, selection](QFuture<RestoreSummary> f) {
        if (const std::optional<QString> failure = failureOf(f)) {
            end(tr("Restore failed: %1").arg(*failure));
            return;
        }
        QString text = f.result().description();
        if (selection.settings)
            text += tr(" Language changes apply on next launch.");
        end(text);
    });
    return true;
}

bool BackupController::stageLegacyRestore(const QString& archive)
{
    if (isWorking())
        return false;
    m_choice.reset();
    begin(Job::staging, tr("Restoring\u2026"), 0);
    follow<void>(StagedRestore::stageLegacyRestoreAsync(archive), Job::staging, [this](QFuture<void> f) {
        if (const std::optional<QString> failure = failureOf(f)) {
            end(tr("Restore failed: %1").arg(*failure));
            return;
        }
        relaunch();
    });
    return true;
}

void BackupController::relaunch()
{
    // "Restoring…" stays while the application ends; the new instance finishes the restore.
    m_job = Job::relaunching;
    m_progress = -1;
    Q_EMIT changed();
    Relaunch::requestAtExit();
    const bool quitting = m_quit ? m_quit() : [] {
        QCoreApplication::quit();
        return true;
    }();
    if (quitting)
        return;
    // Something kept the application open. The restore stays staged for whenever Corvallen
    // next starts; nothing starts a second instance behind the user's back meanwhile.
    Relaunch::cancel();
    end(tr("The restore is ready and finishes the next time Corvallen starts. Corvallen couldn't restart now because a "
           "window stayed open."));
}
