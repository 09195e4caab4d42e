#pragma once

#include "Corvallen/Sync/FolderGrants.h"
#include "Corvallen/Sync/SyncLocation.h"

#include <QDialog>

#include <functional>
#include <optional>

class AppModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The sheet that sets up a new sync location or changes a saved one. It edits a copy (the
// draft) and hands it to onSave when confirmed; only choosing a drive or folder writes
// anything at once (the folder grant). Cancelling puts back the grant the location had when the
// sheet opened: none for a new location, the old folder for a saved one.
class AddSyncLocationSheet : public QDialog {
    Q_OBJECT
public:
    static QStringList symbolChoices();

    AddSyncLocationSheet(AppModel& model, const SyncLocation& location, bool isNew,
                         std::function<void(const SyncLocation&)> onSave, QWidget* parent = nullptr);

    SyncLocation draft() const { return m_draft; }
    bool isNew() const { return m_isNew; }
    std::optional<QString> connectedPath() const { return m_connectedPath; }
    // Why the draft can't be saved as it is ("" when it can).
    QString subfolderProblem() const;

    void loadConnectedPath();
    void chooseFolder();
    void save();
    // Closes without saving; also what Escape and the window's close button do.
    void reject() override;
    ~AddSyncLocationSheet() override;

private:
    void refresh();

    AppModel& m_model;
    SyncLocation m_draft;
    bool m_isNew;
    std::function<void(const SyncLocation&)> m_onSave;
    std::optional<QString> m_connectedPath;
    // The grant as it was before the first choice made in this sheet.
    std::optional<FolderGrants::StoredGrant> m_grantBefore;
    bool m_answered = false;  // saved or cancelled

    QLineEdit* m_name = nullptr;
    QComboBox* m_icon = nullptr;
    QPushButton* m_choose = nullptr;
    QWidget* m_sourceRow = nullptr;
    QLabel* m_source = nullptr;
    QCheckBox* m_wholeDrive = nullptr;
    QWidget* m_subfolderRows = nullptr;
    QLineEdit* m_subfolder = nullptr;
    QLabel* m_subfolderProblem = nullptr;
    QCheckBox* m_autoSync = nullptr;
    QCheckBox* m_eject = nullptr;
    QPushButton* m_confirm = nullptr;
};
