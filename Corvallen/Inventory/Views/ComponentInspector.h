#pragma once

#include "Corvallen/Model/TermKind.h"

#include <QHash>
#include <QSet>
#include <QWidget>

#include <functional>
#include <optional>

class AttachmentControl;
class ComboField;
class Component;
class ModelContext;
class NumericField;
class QLabel;
class QLineEdit;
class QPushButton;
class ShoppingLinkField;
class StatusBadge;
class StringTagEditor;
class QCheckBox;

// The editor of one component: nine sections whose controls write the component at once;
// "Done" lower-cases the tags, stamps the modification time, registers the five term values in
// the term lists, saves and runs onDone.
class ComponentInspector : public QWidget {
    Q_OBJECT
public:
    ComponentInspector(ModelContext& context, Component* component, std::function<void()> onDone, QWidget* parent = nullptr);
    ~ComponentInspector() override;

    Component* component() const { return m_component; }
    std::optional<TermKind> activeKind() const { return m_activeKind; }

    // Done: commit, then onDone (also when the save failed). While a field holds a typed figure
    // that is no number, nothing happens but the focus going to that field.
    void done();

    // For tests and the page.
    QLineEdit* textField(const QString& label) const { return m_texts.value(label); }
    ComboField* comboField(TermKind kind) const { return m_combos.value(int(kind)); }
    QCheckBox* onOrderToggle() const { return m_onOrder; }
    StatusBadge* badge() const { return m_badge; }
    QLabel* marginLabel() const { return m_margin; }
    NumericField* priceField(bool resell) const { return resell ? m_resell : m_purchase; }
    AttachmentControl* attachment(int index) const { return m_attachments.value(index); }
    ShoppingLinkField* shoppingLink() const { return m_shopping; }
    StringTagEditor* tagEditor() const { return m_tags; }
    QPushButton* doneButton() const { return m_done; }

private:
    void focusChanged(bool focused, TermKind kind);
    void refresh();
    void setRefused(QLineEdit* field, bool refused);
    QStringList optionsFor(TermKind kind) const;

    ModelContext& m_context;
    Component* m_component;
    std::function<void()> m_onDone;
    std::optional<TermKind> m_activeKind;
    QHash<QString, QLineEdit*> m_texts;
    QHash<int, ComboField*> m_combos;
    QList<AttachmentControl*> m_attachments;
    QList<std::function<void()>> m_refreshers;
    // Whole-number fields holding a typed text that is no whole number: kept as typed, in red,
    // until the user mends it; Done waits for them.
    QSet<QLineEdit*> m_refused;
    QCheckBox* m_onOrder = nullptr;
    StatusBadge* m_badge = nullptr;
    QLabel* m_margin = nullptr;
    QWidget* m_marginRow = nullptr;
    NumericField* m_purchase = nullptr;
    NumericField* m_resell = nullptr;
    ShoppingLinkField* m_shopping = nullptr;
    StringTagEditor* m_tags = nullptr;
    QPushButton* m_done = nullptr;
};
