#pragma once

#include <QList>
#include <QWidget>

#include <functional>

class Capture;
class QHBoxLayout;
class QPropertyAnimation;
class QScrollArea;
class QToolButton;

// A horizontal strip of capture thumbnails with a round chevron over each end. A chevron moves
// the strip by `step` thumbnails (held between the first and the last) and scrolls that
// thumbnail to the middle; clicking any thumbnail calls onOpen. Scrolling by wheel or trackpad
// doesn't change the position the chevrons count from.
class RecentCapturesCarousel : public QWidget {
    Q_OBJECT
public:
    RecentCapturesCarousel(const QList<Capture*>& captures, std::function<void()> onOpen, int index = 0, int step = 3,
                           QWidget* parent = nullptr);

    // New captures keep the position; it is clamped at the next chevron click.
    void setCaptures(const QList<Capture*>& captures);
    QList<Capture*> captures() const { return m_captures; }

    int index() const { return m_index; }
    int step() const { return m_step; }
    // A chevron click: -step (left) or +step (right).
    void move(int delta);

    QToolButton* leftButton() const { return m_left; }
    QToolButton* rightButton() const { return m_right; }
    QList<QWidget*> thumbnails() const;

    static QSize thumbnailSize();  // 150 wide, 480:272

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuild();
    void scrollToIndex(bool animated);

    QList<Capture*> m_captures;
    std::function<void()> m_onOpen;
    int m_index = 0;
    int m_step = 3;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_strip = nullptr;
    QHBoxLayout* m_row = nullptr;
    QToolButton* m_left = nullptr;
    QToolButton* m_right = nullptr;
    QPropertyAnimation* m_animation = nullptr;
};
