#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class Tag;
class QFrame;
class QLabel;

// Stored tags on one line 20 points high: as many pills as fit the width (estimated from the
// names), then a "+N" pill for the rest; clicking it opens a popup with all the tags.
class TagRow : public QWidget {
    Q_OBJECT
public:
    explicit TagRow(const QList<Tag*>& tags = {}, QWidget* parent = nullptr);

    QList<Tag*> tags() const { return m_tags; }
    void setTags(const QList<Tag*>& tags);

    int visibleCount() const { return m_visible; }
    int hiddenCount() const { return m_hidden; }
    // The "+N" pill (hidden when all tags fit).
    QWidget* overflowPill() const;

    // Whether the popup with all tags is open; showAll(true) opens it under the overflow pill.
    bool isShowingAll() const;
    void setShowAll(bool show);
    QWidget* popup() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent*) override;

private:
    void relayout();

    QList<Tag*> m_tags;
    QList<QWidget*> m_pills;
    QLabel* m_overflow = nullptr;
    QPointer<QFrame> m_popup;
    int m_visible = 0;
    int m_hidden = 0;
    int m_laidOutWidth = -1;
};
