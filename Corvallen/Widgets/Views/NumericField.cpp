#include "Corvallen/Widgets/Views/NumericField.h"

#include "Corvallen/Platform/IcuLocale.h"
#include "Corvallen/Platform/Views/ThemeManager.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

NumericField::NumericField(std::optional<double> value, const std::optional<QString>& symbol, const QString& placeholder,
                           int fractionDigits, bool bordered, QWidget* parent)
    : QWidget(parent), m_logic(fractionDigits, value, QLocale(), symbol.has_value()), m_bordered(bordered)
{
    auto* row = new QHBoxLayout(this);
    row->setSpacing(3);
    if (bordered)
        row->setContentsMargins(8, 6, 8, 6);
    else
        row->setContentsMargins(0, 0, 0, 0);

    if (symbol) {
        m_symbol = new QLabel(*symbol, this);
        m_symbol->setTextFormat(Qt::PlainText);
        updateSymbolColour();
        row->addWidget(m_symbol, 0, Qt::AlignVCenter);
    }

    m_edit = new QLineEdit(this);
    m_edit->setFrame(false);
    // A placeholder such as "0.00" is written with the locale's decimal separator.
    m_edit->setPlaceholderText(QString(placeholder).replace(u'.', IcuLocale::decimalSeparator(m_logic.locale())));
    m_edit->setAlignment((bordered ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    // No field background of its own: the frame (or the surrounding view) is the field.
    m_edit->setAttribute(Qt::WA_TranslucentBackground);
    QPalette editPalette = m_edit->palette();
    editPalette.setColor(QPalette::Base, Qt::transparent);
    m_edit->setPalette(editPalette);
    m_edit->installEventFilter(this);
    setFocusProxy(m_edit);
    row->addWidget(m_edit, 1, Qt::AlignVCenter);

    connect(m_edit, &QLineEdit::textEdited, this, &NumericField::onTextEdited);
}

QString NumericField::text() const { return m_edit->text(); }

void NumericField::setValue(std::optional<double> value)
{
    if (value == m_logic.value())
        return;
    apply(m_logic.valueChanged(value));
}

QSize NumericField::sizeHint() const
{
    QSize s = QWidget::sizeHint();
    s.setWidth(std::max(s.width(), 80));
    return s;
}

void NumericField::apply(const NumericFieldLogic::Update& update)
{
    if (update.text && *update.text != m_edit->text())
        m_edit->setText(*update.text);
    showReadability();
    if (update.valueChanged)
        Q_EMIT valueEdited(m_logic.value());
}

void NumericField::showReadability()
{
    const bool readable = m_logic.readable();
    QPalette pal = m_edit->palette();
    pal.setColor(QPalette::Text, readable ? palette().color(QPalette::Text) : ThemeManager::red(palette(), QPalette::Base));
    m_edit->setPalette(pal);
    m_edit->setToolTip(readable ? QString() : tr("Not a number"));
    update();
}

void NumericField::onTextEdited(const QString& typed)
{
    const int cursor = m_edit->cursorPosition();
    const NumericFieldLogic::Update update = m_logic.textEdited(typed);
    if (update.text) {
        // Keep the caret after the same kept characters it followed before the cleaning.
        const int newCursor = int(NumericFieldLogic::sanitize(typed.left(cursor), m_logic.locale()).size());
        m_edit->setText(*update.text);
        m_edit->setCursorPosition(newCursor);
    }
    showReadability();
    if (update.valueChanged)
        Q_EMIT valueEdited(m_logic.value());
}

bool NumericField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit) {
        if (event->type() == QEvent::FocusIn) {
            apply(m_logic.focusChanged(true));
            update();
        } else if (event->type() == QEvent::FocusOut) {
            apply(m_logic.focusChanged(false));
            update();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void NumericField::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        apply(m_logic.appeared());
}

void NumericField::updateSymbolColour()
{
    if (!m_symbol)
        return;
    QPalette pal = m_symbol->palette();
    pal.setColor(QPalette::WindowText, ThemeManager::foreground(palette(), 2));
    m_symbol->setPalette(pal);
}

void NumericField::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        updateSymbolColour();  // the secondary shade follows a theme change
        showReadability();
    }
    QWidget::changeEvent(event);
}

void NumericField::paintEvent(QPaintEvent*)
{
    if (!m_bordered)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool focused = m_logic.focused();
    const qreal lineWidth = focused ? 2.0 : 1.0;
    const QRectF r = QRectF(rect()).adjusted(lineWidth / 2, lineWidth / 2, -lineWidth / 2, -lineWidth / 2);
    QColor fill = ThemeManager::foreground(palette(), 4);
    fill.setAlphaF(fill.alphaF() * 0.15);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(r, 6, 6);
    const QColor frame = !m_logic.readable() ? ThemeManager::red(palette())
                         : focused           ? ThemeManager::accent(palette())
                                             : ThemeManager::separator(palette());
    QPen pen(frame, lineWidth);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, 6, 6);
}

void NumericField::mousePressEvent(QMouseEvent* event)
{
    // A click anywhere in the frame, also beside the digits, puts the focus into the entry.
    if (m_bordered && event->button() == Qt::LeftButton) {
        m_edit->setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}
