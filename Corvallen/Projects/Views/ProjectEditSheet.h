#pragma once

#include <QDialog>

class ModelContext;
class NumericField;
class Project;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Edits a project's name, description, notes, labour and quote style straight into the project;
// the money line below follows every change. "Done" only closes: the store's automatic saving
// writes the edits.
class ProjectEditSheet : public QDialog {
    Q_OBJECT
public:
    ProjectEditSheet(Project* project, ModelContext& context, QWidget* parent = nullptr);

    QLineEdit* nameField() const { return m_name; }
    QPlainTextEdit* descriptionField() const { return m_description; }
    QPlainTextEdit* notesField() const { return m_notes; }
    NumericField* hoursField() const { return m_hours; }
    NumericField* rateField() const { return m_rate; }
    NumericField* flatField() const { return m_flat; }
    QPushButton* itemisedButton() const { return m_itemised; }
    QPushButton* combinedButton() const { return m_combined; }
    QString marginLine() const;

public Q_SLOTS:
    void refreshMoney();
    // However it is asked to close, the sheet stays open on a labour field holding text that is
    // no number, so a figure the user typed is never lost with the sheet.
    void done(int result) override;

private:
    Project* m_project;
    ModelContext& m_context;
    QLineEdit* m_name;
    QPlainTextEdit* m_description;
    QPlainTextEdit* m_notes;
    NumericField* m_hours;
    NumericField* m_rate;
    NumericField* m_flat;
    QPushButton* m_itemised;
    QPushButton* m_combined;
    QLabel* m_money;
    bool m_refreshQueued = false;
};
