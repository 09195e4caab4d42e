#include "Corvallen/Platform/Views/ElidedLabel.h"

#include <QEvent>
#include <QHelpEvent>
#include <QToolTip>
#include <QPainter>
#include <QStyle>

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent, Qt::TextElideMode mode) : QLabel(parent), m_mode(mode)
{
    setTextFormat(Qt::PlainText);
    setText(text);
    setProperty("elidesText", true);
    QSizePolicy policy = sizePolicy();
    policy.setHorizontalPolicy(QSizePolicy::Preferred);
    setSizePolicy(policy);
}

void ElidedLabel::setElideMode(Qt::TextElideMode mode)
{
    m_mode = mode;
    update();
}

QString ElidedLabel::shownText() const
{
    QString oneLine = text();
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return fontMetrics().elidedText(oneLine, m_mode, contentsRect().width());
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QSize full = QLabel::minimumSizeHint();
    const QMargins m = contentsMargins();
    const int few = fontMetrics().horizontalAdvance(QStringLiteral("Wi\u2026"));
    return {std::min(full.width(), few + m.left() + m.right()), full.height()};
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    style()->drawItemText(&p, contentsRect(), QStyle::visualAlignment(layoutDirection(), alignment()), palette(), isEnabled(),
                          shownText(), foregroundRole());
}

bool ElidedLabel::event(QEvent* event)
{
    // The whole text as tooltip while it is cut, unless the owner set a tooltip of its own.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && shownText() != text()) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}
