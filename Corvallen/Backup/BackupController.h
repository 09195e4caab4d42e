#pragma once

#include "Corvallen/Backup/BackupBundle.h"
#include "Corvallen/Backup/BackupSelection.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class ModelContext;

// Owns the application's backup work: the export, the inspection of a chosen archive, the
// selective restore and the staging of an older whole-store restore with the relaunch that
// follows it. The work and its outcome live here, not in the Storage pane that starts it, so
// switching panes or closing the Settings window changes nothing about them, and a pane opened
// later shows the running work, or the outcome that no pane has shown yet. One job runs at a
// time in the whole application. Main thread.
class BackupController : public QObject {
    Q_OBJECT
public:
    enum class Job { none, exporting, inspecting, restoring, staging, relaunching };
    Q_ENUM(Job)

    // An inspected archive that waits for the user's decision: the restore sheet for a current
    // archive, the confirmation for an older whole-store one.
    struct Choice {
        QString archive;
        BackupBundle::Info info;
    };

    // The application's controller; made on first use as a child of the application object.
    static BackupController& shared();

    explicit BackupController(QObject* parent = nullptr);
    ~BackupController() override;

    // Ends this instance so that a new one starts and puts a staged restore in place. Returns
    // false when the application could not end (a window asked to stay open); the new instance
    // is then not started. The default asks the application to quit.
    using QuitForRelaunch = std::function<bool()>;
    void setQuitForRelaunch(QuitForRelaunch quit);

    // Each starts its job and returns true, or returns false and does nothing while another job
    // runs. The export reads the records on the calling (main) thread first.
    bool exportBackup(ModelContext& context, const BackupSelection& selection, const QString& destination,
                      const QString& appVersion, const QString& appBuild);
    bool inspect(const QString& archive);
    bool restore(ModelContext& context, const QString& archive, const BackupSelection& selection);
    bool stageLegacyRestore(const QString& archive);

    Job job() const { return m_job; }
    bool isWorking() const { return m_job != Job::none; }
    // Of the running job, 0 to 1; below 0 when the job can't tell how far it is.
    double progress() const { return m_progress; }
    // "Exporting…", "Restoring…" while a job runs; then its outcome ("Saved …", "Export
    // failed: …", the restore summary…) until the next job starts.
    QString status() const { return m_status; }

    // Whether a pane has shown the last outcome. An outcome reached while no pane was open is
    // shown once, by the next pane that opens.
    bool isOutcomeShown() const { return m_outcomeShown; }
    void markOutcomeShown() { m_outcomeShown = true; }

    // The inspected archive waiting for a decision, if any; the pane that asks takes it.
    const std::optional<Choice>& pendingChoice() const { return m_choice; }
    std::optional<Choice> takePendingChoice();

Q_SIGNALS:
    // The job, its progress or the status changed.
    void changed();
    // An inspection has left a choice to make.
    void choiceReady();

private:
    template <class T>
    void follow(const QFuture<T>& future, Job job, std::function<void(QFuture<T>)> done);
    void begin(Job job, const QString& status, double progress);
    void end(const QString& status);
    void relaunch();

    Job m_job = Job::none;
    double m_progress = 0;
    QString m_status;
    bool m_outcomeShown = true;
    std::optional<Choice> m_choice;
    QuitForRelaunch m_quit;
};
