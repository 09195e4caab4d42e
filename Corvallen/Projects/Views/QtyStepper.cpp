#include "Corvallen/Projects/Views/QtyStepper.h"

#include "Corvallen/Platform/IcuLocale.h"
#include "Corvallen/Platform/Views/ThemeManager.h"
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
    connect(m_field, &QLineEdit::textEdited, this, [this] { setReadable(true); });
}

void QtyStepper::setQuantity(qint64 quantity)
{
    m_quantity = quantity;
    // A figure being typed stays; a field that only has the focus shows the new quantity.
    if (!m_field->hasFocus() || !m_field->isModified())
        showText(QLocale().toString(quantity));
}

void QtyStepper::commit(qint64 quantity)
{
    m_quantity = quantity;
    showText(QLocale().toString(quantity));
    Q_EMIT quantityEdited(quantity);
}

void QtyStepper::showText(const QString& text)
{
    m_field->setText(text);
    setReadable(true);
}

void QtyStepper::setReadable(bool readable)
{
    m_readable = readable;
    QPalette pal = palette();
    if (!readable)
        pal.setColor(QPalette::Text, ThemeManager::red(pal, QPalette::Base));
    m_field->setPalette(pal);
    m_field->setToolTip(readable ? QString() : tr("Not a whole number from 1 to %1").arg(QLocale().toString(StockAllocation::maxLineQuantity)));
}

bool QtyStepper::commitTyped()
{
    commitField(false);
    return m_readable;
}

void QtyStepper::commitField(bool submitted)
{
    // Only a typed figure is a change: the text shown before the quantity moved elsewhere (the
    // add-part sheet updated the line) must not be committed back over that move.
    if (!m_field->isModified()) {
        showText(QLocale().toString(m_quantity));
        return;
    }
    const std::optional<qint64> typed = IcuLocale::typedWholeNumber(m_field->text(), QLocale());
    if (!typed || *typed > StockAllocation::maxLineQuantity) {
        setReadable(false);
        return;
    }
    qint64 value = *typed;
    if (submitted && value < 1)
        value = 1;
    if (value == m_quantity) {
        showText(QLocale().toString(m_quantity));
        return;
    }
    commit(value);
}
