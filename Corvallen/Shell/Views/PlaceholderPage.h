#pragma once

#include <QWidget>

// Stands in for a page or window whose real content is not built yet: a symbol, the page's
// title and one line saying so. Named by the page it stands for (objectName), so that the
// shell's tests and later pages can find it.
class PlaceholderPage : public QWidget {
    Q_OBJECT
public:
    PlaceholderPage(const QString& pageName, const QString& title, const QString& symbol, QWidget* parent = nullptr);

    QString pageName() const { return objectName(); }
    QString title() const { return m_title; }

private:
    QString m_title;
};
