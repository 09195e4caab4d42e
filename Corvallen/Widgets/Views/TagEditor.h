#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class FlowLayout;
class QLineEdit;
class QPushButton;

// Edits a tag list kept as one comma-separated text (a component's tags): the tags as removable
// pills that wrap into rows, and below them an entry field ("Add tag") with an "Add" button.
// The creator owns the text: it passes it with setRaw() and hears every change through
// rawChanged(); the editor writes the list back normalised.
class StringTagEditor : public QWidget {
    Q_OBJECT
public:
    explicit StringTagEditor(const QString& raw = {}, const QString& input = {}, QWidget* parent = nullptr);

    QString raw() const { return m_raw; }
    // Sets the text from outside (no rawChanged).
    void setRaw(const QString& raw);
    QStringList tagList() const;

    QString input() const;
    void setInput(const QString& input);

    // Adds the entry field's text (the button and Return do this).
    void addInput();
    // Removes every occurrence of a tag (a pill's remove mark does this).
    void remove(const QString& tag);

    QLineEdit* entryField() const { return m_field; }
    QPushButton* addButton() const { return m_addButton; }
    FlowLayout* pillLayout() const { return m_flow; }

Q_SIGNALS:
    void rawChanged(const QString& raw);

private:
    void writeRaw(const QString& raw);
    void rebuildPills();
    void updateAddButton();

    QString m_raw;
    QWidget* m_pillArea = nullptr;
    FlowLayout* m_flow = nullptr;
    QLineEdit* m_field = nullptr;
    QPushButton* m_addButton = nullptr;
};
