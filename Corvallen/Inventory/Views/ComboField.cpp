#include "Corvallen/Inventory/Views/ComboField.h"
#include "Corvallen/Platform/Views/LiteralText.h"

#include "Corvallen/Inventory/ComboSuggestions.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QEvent>
#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

ComboField::ComboField(const QString& text, const QStringList& options, QWidget* parent)
    : QWidget(parent), m_options(options)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    m_edit = new QLineEdit(text, this);
    // A name longer than the field shows its beginning, also once the typing is done.
    ViewStyle::showStartAtRest(m_edit);
    m_edit->setFrame(false);
    m_edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_edit->installEventFilter(this);
    row->addWidget(m_edit, 1);
    // The chevron sits inside the field's box, at its trailing end, so that a combo field is as
    // wide as the text fields above and below it; the text keeps clear of it.
    m_chevron = new QToolButton(m_edit);
    setSymbolOrText(m_chevron, QStringLiteral("chevron.down"), QStringLiteral("\u25BE"));
    m_chevron->setIconSize(QSize(10, 10));
    m_chevron->setAutoRaise(true);
    m_chevron->setPopupMode(QToolButton::InstantPopup);
    m_chevron->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0; }"));
    m_chevron->setFocusPolicy(Qt::NoFocus);
    m_menu = new QMenu(m_chevron);
    m_chevron->setMenu(m_menu);
    connect(m_menu, &QMenu::aboutToShow, this, &ComboField::buildMenu);

    connect(m_edit, &QLineEdit::textEdited, this, [this](const QString& t) {
        Q_EMIT textEdited(t);
        updateChevron();
        updateSuggestions();
    });
    updateChevron();
}

ComboField::~ComboField()
{
    m_edit->removeEventFilter(this);
    delete m_list;
}

QString ComboField::text() const
{
    return m_edit->text();
}

void ComboField::setText(const QString& text)
{
    if (m_edit->text() != text)
        m_edit->setText(text);
    updateChevron();
    updateSuggestions();
}

void ComboField::setOptions(const QStringList& options)
{
    if (options == m_options)
        return;
    m_options = options;
    updateChevron();
    updateSuggestions();
}

void ComboField::setChevronHidden(bool hidden)
{
    m_chevronHidden = hidden;
    updateChevron();
}

void ComboField::updateChevron()
{
    m_chevron->setVisible(!m_options.isEmpty() && !m_chevronHidden);
    // The text keeps clear of the chevron, and keeps its place while the chevron is only hidden
    // (another field has focus); a field with nothing to offer ends its text where a text field does.
    m_edit->setTextMargins(0, 0, m_options.isEmpty() ? 0 : m_chevron->sizeHint().width() + 2, 0);
}

QStringList ComboField::suggestions() const
{
    return ComboSuggestions::suggestions(m_edit->text(), m_options, m_focused);
}

QMenu* ComboField::buildMenu()
{
    m_menu->clear();
    for (const QString& option : m_options) {
        QAction* a = m_menu->addAction(literalText(option));
        connect(a, &QAction::triggered, this, [this, option] { pickFromMenu(option); });
    }
    if (!m_edit->text().isEmpty()) {
        m_menu->addSeparator();
        QAction* clear = m_menu->addAction(tr("Clear"));
        connect(clear, &QAction::triggered, this, [this] { pickFromMenu(QString()); });
    }
    return m_menu;
}

void ComboField::setUserText(const QString& text)
{
    m_edit->setText(text);
    Q_EMIT textEdited(text);
    updateChevron();
}

void ComboField::pickFromMenu(const QString& value)
{
    setUserText(value);
    updateSuggestions();
}

void ComboField::pickSuggestion(const QString& value)
{
    setUserText(value);
    if (m_edit->hasFocus())
        m_edit->clearFocus();
    if (m_focused) {
        m_focused = false;
        Q_EMIT focusChanged(false);
    }
    updateSuggestions();
}

bool ComboField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && event->type() == QEvent::Resize) {
        const int width = m_chevron->sizeHint().width();
        m_chevron->setGeometry(m_edit->width() - width, 0, width, m_edit->height());
    }

    if (watched == m_edit && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        const bool focused = event->type() == QEvent::FocusIn;
        if (focused != m_focused) {
            m_focused = focused;
            Q_EMIT focusChanged(focused);
            updateSuggestions();
        }
    }
    if (watched == m_edit && event->type() == QEvent::KeyPress && m_list) {
        // Escape closes the hanging list without losing what was typed.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            m_list->hide();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ComboField::updateSuggestions()
{
    const QStringList items = suggestions();
    if (items.isEmpty()) {
        if (m_list)
            m_list->hide();
        return;
    }
    QWidget* host = window();
    if (!m_list || m_list->parentWidget() != host) {
        delete m_list;
        m_list = new QFrame(host);
        m_list->setObjectName(QStringLiteral("ComboSuggestions"));
        m_list->setFrameShape(QFrame::StyledPanel);
        m_list->setAutoFillBackground(true);
        m_list->setBackgroundRole(QPalette::Window);
        auto* shadow = new QGraphicsDropShadowEffect(m_list);
        shadow->setBlurRadius(8);
        shadow->setOffset(0, 4);
        shadow->setColor(QColor(0, 0, 0, 46));
        m_list->setGraphicsEffect(shadow);
        auto* l = new QVBoxLayout(m_list);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(0);
    }
    QLayout* l = m_list->layout();
    while (QLayoutItem* item = l->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (int i = 0; i < items.size(); ++i) {
        if (i > 0) {
            auto* line = new QFrame(m_list);
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Plain);
            l->addWidget(line);
        }
        auto* b = new QPushButton(literalText(items[i]), m_list);
        b->setFlat(true);
        b->setFocusPolicy(Qt::NoFocus);  // a click must not take the focus from the field first
        b->setStyleSheet(QStringLiteral("text-align: left; padding: 5px 9px;"));
        const QString value = items[i];
        connect(b, &QPushButton::clicked, this, [this, value] { pickSuggestion(value); });
        l->addWidget(b);
    }
    placeList();
    m_list->show();
    m_list->raise();
}

void ComboField::placeList()
{
    if (!m_list)
        return;
    m_list->setFixedWidth(220);
    m_list->adjustSize();
    const QPoint topRight = mapTo(window(), QPoint(width(), height() + 2));
    m_list->move(topRight.x() - m_list->width(), topRight.y());
}
