#pragma once

#include <QDialog>

class Component;
class ModelContext;
class Project;
class QtyStepper;
class QPushButton;

// How many of a dropped component the project should hold. Edits the existing line when the
// component is on the project already. Nothing changes until "Add" / "Update".
class AddPartSheet : public QDialog {
    Q_OBJECT
public:
    AddPartSheet(Component* component, Project* project, ModelContext& context, QWidget* parent = nullptr);

    bool existing() const;
    qint64 quantity() const { return m_quantity; }
    QtyStepper* stepper() const { return m_stepper; }
    QPushButton* confirmButton() const { return m_confirm; }

    void confirm();

private:
    Component* m_component;
    Project* m_project;
    ModelContext& m_context;
    qint64 m_quantity;
    QtyStepper* m_stepper;
    QPushButton* m_confirm;
};
