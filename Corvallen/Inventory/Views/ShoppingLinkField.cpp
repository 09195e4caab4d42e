#include "Corvallen/Inventory/Views/ShoppingLinkField.h"

#include "Corvallen/Model/ComponentFileStore.h"
#include "Corvallen/Model/TextTrim.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

ShoppingLinkField::ShoppingLinkField(const QString& url, QWidget* parent)
    : QWidget(parent), m_url(url)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    m_field = new QLineEdit(url, this);
    m_field->setPlaceholderText(tr("product page url…"));
    m_save = new QPushButton(tr("Save"), this);
    m_link = new QPushButton(symbolIcon(QStringLiteral("cart")), url, this);
    m_link->setFlat(true);
    m_link->setCursor(Qt::PointingHandCursor);
    m_link->setStyleSheet(QStringLiteral("text-align: left; color: palette(link); border: none;"));
    m_link->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_edit = new QPushButton(tr("Edit"), this);
    row->addWidget(m_field, 1);
    row->addWidget(m_save);
    row->addWidget(m_link, 1);
    row->addWidget(m_edit);

    connect(m_field, &QLineEdit::textEdited, this, [this](const QString& t) {
        // Typing the first characters of a new link keeps the field until Save or Return, so the
        // field doesn't vanish under the user's hands.
        if (trimHorizontalSpace(m_url).isEmpty())
            m_editing = true;
        m_url = t;
        Q_EMIT urlEdited(t);
        updateMode();
    });
    connect(m_field, &QLineEdit::returnPressed, this, [this] {
        m_editing = false;
        updateMode();
    });
    connect(m_save, &QPushButton::clicked, this, [this] {
        m_editing = false;
        updateMode();
    });
    connect(m_edit, &QPushButton::clicked, this, [this] {
        m_editing = true;
        updateMode();
        m_field->setFocus();
    });
    connect(m_link, &QPushButton::clicked, this, [this] { ComponentFileStore::openWebLink(m_url); });
    updateMode();
}

void ShoppingLinkField::setUrl(const QString& url)
{
    if (url == m_url)
        return;
    m_url = url;
    if (m_field->text() != url)
        m_field->setText(url);
    updateMode();
}

bool ShoppingLinkField::isEditMode() const
{
    return m_editing || trimHorizontalSpace(m_url).isEmpty();
}

void ShoppingLinkField::updateMode()
{
    const bool edit = isEditMode();
    m_field->setVisible(edit);
    m_save->setVisible(edit);
    m_link->setVisible(!edit);
    m_edit->setVisible(!edit);
    m_link->setToolTip(m_url);
    m_link->setText(m_link->fontMetrics().elidedText(m_url, Qt::ElideMiddle, std::max(80, m_link->width() - 28)));
}

void ShoppingLinkField::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateMode();
}
