#pragma once

#include "Corvallen/Projects/BomImport.h"

#include <QDialog>

class BomImportApplier;
class ModelContext;
class Project;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

// The preview of an imported bill of materials: what each line matches, how much it takes, and
// one button that imports everything. The lines are drawn from the match list as they scroll
// into view, so a bill of materials of any length opens at once; a long import runs in slices
// with a progress bar and the sheet closes when it is done.
class BomImportSheet : public QDialog {
    Q_OBJECT
public:
    BomImportSheet(BomImport::MatchList matches, Project* project, ModelContext& context, QWidget* parent = nullptr);

    QPushButton* importButton() const { return m_import; }
    QString summaryText() const;
    // Columns: part (name, and the detail on a second line), quantity, match, in stock.
    QTableView* table() const { return m_table; }
    QProgressBar* progressBar() const { return m_progress; }
    bool isImporting() const;

    void importAll();

public Q_SLOTS:
    void reject() override;

private:
    BomImport::MatchList m_matches;
    Project* m_project;
    ModelContext& m_context;
    QPushButton* m_import;
    QPushButton* m_cancel;
    QLabel* m_summary;
    QTableView* m_table;
    QProgressBar* m_progress;
    BomImportApplier* m_applier = nullptr;
};
