#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QListWidget;
class QStackedWidget;
class MarkdownText;

// The Help window's content: the built-in topics in a list and the chosen topic's article.
class HelpView : public QWidget {
    Q_OBJECT
public:
    explicit HelpView(const QString& selection = QStringLiteral("getting-started"), QWidget* parent = nullptr);

    // The chosen topic's id; empty when none is chosen.
    QString selection() const { return m_selection; }
    void setSelection(const QString& id);

    // What the detail shows now: the article's title and text, or "Select a topic".
    QString shownTitle() const;
    MarkdownText* article() const { return m_article; }

private:
    void showSelection();

    QString m_selection;
    QListWidget* m_list;
    QStackedWidget* m_detail;
    QLabel* m_title;
    MarkdownText* m_article;
    QLabel* m_empty;
};
