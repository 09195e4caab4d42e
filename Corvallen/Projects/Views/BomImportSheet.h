#pragma once

#include "Corvallen/Projects/BomImport.h"

#include <QDialog>

class ModelContext;
class Project;
class QLabel;
class QPushButton;
class QTreeWidget;

// The preview of an imported bill of materials: what each line matches, how much it takes, and
// one button that imports everything.
class BomImportSheet : public QDialog {
    Q_OBJECT
public:
    BomImportSheet(QList<BomImport::Match> matches, Project* project, ModelContext& context, QWidget* parent = nullptr);

    QPushButton* importButton() const { return m_import; }
    QString summaryText() const;
    QTreeWidget* table() const { return m_table; }

    void importAll();

private:
    QList<BomImport::Match> m_matches;
    Project* m_project;
    ModelContext& m_context;
    QPushButton* m_import;
    QLabel* m_summary;
    QTreeWidget* m_table;
};
