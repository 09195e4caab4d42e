#pragma once

#include <QFrame>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QMenu;
class QToolButton;

// A text field with a menu of known values and, while it has focus, a list of the known values
// that match the typed text hanging just below it. Any text may be typed; the field never
// changes the known values.
class ComboField : public QWidget {
    Q_OBJECT
public:
    ComboField(const QString& text, const QStringList& options, QWidget* parent = nullptr);
    ~ComboField() override;

    QString text() const;
    // A change from outside (no textEdited); the typed text is kept while the field has focus.
    void setText(const QString& text);
    QStringList options() const { return m_options; }
    void setOptions(const QStringList& options);
    void setChevronHidden(bool hidden);
    bool chevronHidden() const { return m_chevronHidden; }

    bool isFocused() const { return m_focused; }
    QStringList suggestions() const;
    // The suggestion list while it is shown.
    QFrame* suggestionList() const { return m_list; }
    QLineEdit* lineEdit() const { return m_edit; }
    QToolButton* chevron() const { return m_chevron; }
    // The chevron menu's entries as they stand now (built when the menu opens).
    QMenu* buildMenu();

    // Picks a value as the chevron menu does (focus unchanged) or as a suggestion row does
    // (focus ends).
    void pickFromMenu(const QString& value);
    void pickSuggestion(const QString& value);

Q_SIGNALS:
    void textEdited(const QString& text);
    void focusChanged(bool focused);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUserText(const QString& text);
    void updateChevron();
    void updateSuggestions();
    void placeList();

    QStringList m_options;
    bool m_chevronHidden = false;
    bool m_focused = false;
    QLineEdit* m_edit;
    QToolButton* m_chevron;
    QMenu* m_menu;
    QPointer<QFrame> m_list;
};
