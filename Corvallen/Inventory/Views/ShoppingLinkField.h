#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

// The shopping link of a component: a text field with "Save" while the link is blank or being
// edited, otherwise the link itself (opens in the browser) with "Edit".
class ShoppingLinkField : public QWidget {
    Q_OBJECT
public:
    explicit ShoppingLinkField(const QString& url, QWidget* parent = nullptr);

    QString url() const { return m_url; }
    void setUrl(const QString& url);
    bool isEditMode() const;
    QLineEdit* field() const { return m_field; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* linkButton() const { return m_link; }
    QPushButton* editButton() const { return m_edit; }

Q_SIGNALS:
    // Every keystroke, as typed.
    void urlEdited(const QString& url);

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    void updateMode();

    QString m_url;
    bool m_editing = false;
    QLineEdit* m_field;
    QPushButton* m_save;
    QPushButton* m_link;
    QPushButton* m_edit;
};
