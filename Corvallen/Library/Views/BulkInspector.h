#pragma once

#include <QList>
#include <QScrollArea>

#include <functional>

class BulkThumbGrid;
class Capture;
class ModelContext;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

// The inspector for two or more captures: how many, small thumbnails, filing all of them into
// a project (or none), one tag for all, compare (for two or three) and delete (asked by the
// browser).
class BulkInspector : public QScrollArea {
    Q_OBJECT
public:
    BulkInspector(ModelContext& context, std::function<void()> onCompare, std::function<void()> onDelete,
                  QWidget* parent = nullptr);

    // The selected captures in the browser's order; the typed tag stays.
    void setCaptures(const QList<Capture*>& captures);
    QList<Capture*> captures() const { return m_captures; }

    void moveTo(class Project* project);
    void addTagToAll();

    QLabel* header() const { return m_header; }
    QToolButton* projectMenu() const { return m_move; }
    QLineEdit* tagField() const { return m_tagInput; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* compareButton() const { return m_compare; }
    QLabel* compareHint() const { return m_compareHint; }
    QPushButton* deleteButton() const { return m_delete; }
    // How many thumbnails the panel shows; at most kMostThumbnails, the rest are counted in a
    // caption under them.
    static constexpr int kMostThumbnails = 1000;
    int thumbnailCount() const;
    QLabel* moreThumbnails() const { return m_moreThumbs; }

Q_SIGNALS:
    void capturesEdited();

private:
    void rebuildThumbnails();
    void rebuildProjectMenu();

    ModelContext& m_context;
    std::function<void()> m_onCompare;
    std::function<void()> m_onDelete;
    QList<Capture*> m_captures;
    QLabel* m_header = nullptr;
    BulkThumbGrid* m_thumbs = nullptr;
    QLabel* m_moreThumbs = nullptr;
    QToolButton* m_move = nullptr;
    QLineEdit* m_tagInput = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_compare = nullptr;
    QLabel* m_compareHint = nullptr;
    QPushButton* m_delete = nullptr;
};
