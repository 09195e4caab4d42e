#pragma once

#include "Corvallen/Backup/BackupBundle.h"
#include "Corvallen/Backup/BackupController.h"
#include "Corvallen/Backup/BackupSelection.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class ModelContext;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

// The Storage pane: exports a ZIP backup of the chosen data types, and restores one, either
// selectively (an archive with a manifest, through the restore sheet) or, for an older
// whole-store archive, staged for the next launch followed by a relaunch. The pane only asks
// the user and shows: the work itself, its progress and its outcome belong to the application's
// BackupController, so they outlast the pane, and a pane opened during the work shows it.
// The export toggles and the pane's own messages start afresh with every pane.
class BackupSettings : public QWidget {
    Q_OBJECT
public:
    // The questions the pane asks; the defaults use the desktop's file dialogs and a message box.
    struct Hooks {
        // A destination for the archive, given the suggested file name; empty when cancelled.
        std::function<QString(QWidget* parent, const QString& suggestedName)> chooseDestination;
        // An archive to restore from; empty when cancelled.
        std::function<QString(QWidget* parent)> chooseArchive;
        // Whether to restore an older full backup (which relaunches the application).
        std::function<bool(QWidget* parent)> confirmLegacyRestore;
        // The controller that does the work; the application's when null.
        BackupController* controller = nullptr;
    };

    explicit BackupSettings(ModelContext& context, QWidget* parent = nullptr);
    BackupSettings(ModelContext& context, Hooks hooks, QWidget* parent = nullptr);
    ~BackupSettings() override;

    // The actions of the pane's buttons.
    void exportBackup();
    void chooseRestoreArchive();

    BackupSelection selection() const { return m_selection; }
    void setSelection(const BackupSelection& selection);
    QString status() const { return m_status; }
    bool isWorking() const;
    BackupController& controller() const { return *m_controller; }

    QPushButton* exportButton() const { return m_exportButton; }
    QPushButton* restoreButton() const { return m_restoreButton; }
    QProgressBar* progress() const { return m_progress; }
    // The open restore sheet, if any.
    QDialog* restoreSheet() const { return m_sheet; }

    static QString confirmTitle();
    static QString confirmMessage();

private:
    void buildSelectionToggles(QWidget* parent, class QVBoxLayout* layout);
    void showSelection();
    void setStatus(const QString& status);
    void showController();
    void presentChoice();
    void openRestoreSheet();
    void closeRestoreSheet();
    void restoreSelected();

    ModelContext& m_context;
    Hooks m_hooks;
    BackupController* m_controller;
    BackupSelection m_selection = BackupSelection::all();
    QString m_status;
    std::optional<QString> m_restoreArchive;
    std::optional<BackupBundle::Info> m_restoreInfo;
    BackupSelection m_restoreSelection = BackupSelection::all();

    QList<QCheckBox*> m_toggles;
    QPushButton* m_exportButton;
    QPushButton* m_restoreButton;
    QProgressBar* m_progress;
    QLabel* m_statusLabel;
    QPointer<QDialog> m_sheet;
};
