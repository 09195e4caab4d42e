#pragma once

#include <QLabel>

// A one-line label that, when it is given less width than its text needs, draws the text cut
// with "…" instead of clipping it mid-letter, and then shows the whole text as its tooltip.
// text() stays the whole text; the label asks for its whole width but can be squeezed to a few
// characters.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(const QString& text = QString(), QWidget* parent = nullptr, Qt::TextElideMode mode = Qt::ElideRight);

    Qt::TextElideMode elideMode() const { return m_mode; }
    void setElideMode(Qt::TextElideMode mode);
    // The text as it is drawn at the current width.
    QString shownText() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    Qt::TextElideMode m_mode;
};
