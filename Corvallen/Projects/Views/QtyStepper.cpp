#include "Corvallen/Projects/Views/QtyStepper.h"

#include "Corvallen/Projects/StockAllocation.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include <algorithm>

QtyStepper::QtyStepper(qint64 quantity, QWidget* parent) : QWidget(parent), m_quantity(quantity)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    m_minus = new QPushButton(QStringLiteral("\u22121"), this);
    m_minus->setObjectName(QStringLiteral("minusOne"));
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("quantityField"));
    m_field->setFixedWidth(48);
    m_field->setAlignment(Qt::AlignCenter);
    m_plus = new QPushButton(QStringLiteral("+1"), this);
    m_plus->setObjectName(QStringLiteral("plusOne"));
    for (QPushButton* b : {m_minus, m_plus})
        b->setAutoDefault(false);
    row->addWidget(m_minus);
    row->addWidget(m_field);
    row->addWidget(m_plus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_field->setText(QLocale().toString(m_quantity));

    connect(m_minus, &QPushButton::clicked, this, [this] { commit(std::max<qint64>(m_quantity - 1, 1)); });
    connect(m_plus, &QPushButton::clicked, this, [this] {
        commit(std::min<qint64>(m_quantity, StockAllocation::maxLineQuantity - 1) + 1);
    });
    connect(m_field, &QLineEdit::returnPressed, this, [this] { commitField(true); });
    connect(m_field, &QLineEdit::editingFinished, this, [this] { commitField(false); });
}

void QtyStepper::setQuantity(qint64 quantity)
{
    m_quantity = quantity;
    // A figure being typed stays; a field that only has the focus shows the new quantity.
    if (!m_field->hasFocus() || !m_field->isModified())
        m_field->setText(QLocale().toString(quantity));
}

void QtyStepper::commit(qint64 quantity)
{
    m_quantity = quantity;
    m_field->setText(QLocale().toString(quantity));
    Q_EMIT quantityEdited(quantity);
}

void QtyStepper::commitField(bool submitted)
{
    // Only a typed figure is a change: the text shown before the quantity moved elsewhere (the
    // add-part sheet updated the line) must not be committed back over that move.
    if (!m_field->isModified()) {
        m_field->setText(QLocale().toString(m_quantity));
        return;
    }
    bool ok = false;
    qint64 value = QLocale().toLongLong(m_field->text().trimmed(), &ok);
    if (!ok)
        value = m_field->text().trimmed().toLongLong(&ok);
    if (!ok) {
        // Not a whole number: show the figure that still holds.
        m_field->setText(QLocale().toString(m_quantity));
        return;
    }
    if (submitted && value < 1)
        value = 1;
    if (value == m_quantity) {
        m_field->setText(QLocale().toString(m_quantity));
        return;
    }
    commit(value);
}
