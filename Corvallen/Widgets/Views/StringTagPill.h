#pragma once

#include <QColor>
#include <QWidget>

#include <functional>

// A small capsule showing one tag name in white on a colour, with an optional remove mark
// ("xmark.circle.fill") that runs `onRemove` when clicked. The pill itself takes no clicks.
// This one shows a bare name, coloured from the tag palette afresh on every paint.
class StringTagPill : public QWidget {
    Q_OBJECT
public:
    explicit StringTagPill(const QString& name, std::function<void()> onRemove = {}, QWidget* parent = nullptr);

    virtual QString name() const { return m_name; }
    void setName(const QString& name);
    bool hasRemove() const { return bool(m_onRemove); }
    // The rectangle of the remove mark (empty without one), in widget coordinates.
    QRect removeRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The pill font: a small caption, semibold.
    static QFont pillFont(const QFont& base);

protected:
    virtual QColor pillColor() const;
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void changeEvent(QEvent*) override;

    // Text changed: the pill's size follows.
    void nameChanged();

private:
    QString m_name;
    std::function<void()> m_onRemove;
    bool m_pressedOnRemove = false;
};
