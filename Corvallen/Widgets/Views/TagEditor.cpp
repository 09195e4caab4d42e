#include "Corvallen/Widgets/Views/TagEditor.h"

#include "Corvallen/Widgets/StringTagList.h"
#include "Corvallen/Widgets/Views/FlowLayout.h"
#include "Corvallen/Widgets/Views/StringTagPill.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

StringTagEditor::StringTagEditor(const QString& raw, const QString& input, QWidget* parent)
    : QWidget(parent), m_raw(raw)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);

    m_pillArea = new QWidget(this);
    m_flow = new FlowLayout(6, m_pillArea);
    column->addWidget(m_pillArea);

    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    m_field = new QLineEdit(this);
    m_field->setPlaceholderText(tr("Add tag"));
    m_field->setClearButtonEnabled(false);
    m_field->setText(input);
    m_addButton = new QPushButton(tr("Add"), this);
    m_addButton->setAutoDefault(false);
    row->addWidget(m_field, 1);
    row->addWidget(m_addButton);
    column->addLayout(row);

    connect(m_field, &QLineEdit::returnPressed, this, &StringTagEditor::addInput);
    connect(m_field, &QLineEdit::textChanged, this, &StringTagEditor::updateAddButton);
    connect(m_addButton, &QPushButton::clicked, this, &StringTagEditor::addInput);

    rebuildPills();
    updateAddButton();
}

void StringTagEditor::setRaw(const QString& raw)
{
    if (raw == m_raw)
        return;
    m_raw = raw;
    rebuildPills();
}

QStringList StringTagEditor::tagList() const { return StringTagList::tags(m_raw); }

QString StringTagEditor::input() const { return m_field->text(); }

void StringTagEditor::setInput(const QString& input) { m_field->setText(input); }

void StringTagEditor::addInput()
{
    const QString input = m_field->text();
    m_field->clear();  // cleared whether or not anything is added
    if (const std::optional<QString> next = StringTagList::adding(m_raw, input))
        writeRaw(*next);
}

void StringTagEditor::remove(const QString& tag) { writeRaw(StringTagList::removing(m_raw, tag)); }

void StringTagEditor::writeRaw(const QString& raw)
{
    const bool changed = raw != m_raw;
    m_raw = raw;
    rebuildPills();
    if (changed)
        Q_EMIT rawChanged(m_raw);
}

void StringTagEditor::rebuildPills()
{
    m_flow->clear();
    const QStringList tags = tagList();
    for (const QString& tag : tags) {
        auto* pill = new StringTagPill(tag, [this, tag] { remove(tag); }, m_pillArea);
        m_flow->addWidget(pill);
    }
    m_pillArea->setVisible(!tags.isEmpty());
    m_flow->invalidate();
    updateGeometry();
}

void StringTagEditor::updateAddButton() { m_addButton->setEnabled(StringTagList::canAdd(m_field->text())); }
