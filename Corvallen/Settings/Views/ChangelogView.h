#pragma once

#include <QWidget>

class MarkdownText;

// The release-notes window's content: the title "Release Notes" over the release notes that ship
// with the application.
class ChangelogView : public QWidget {
    Q_OBJECT
public:
    explicit ChangelogView(QWidget* parent = nullptr);
    // A view over another text (already trimmed).
    explicit ChangelogView(const QString& text, QWidget* parent = nullptr);

    MarkdownText* notes() const { return m_notes; }

private:
    MarkdownText* m_notes;
};
