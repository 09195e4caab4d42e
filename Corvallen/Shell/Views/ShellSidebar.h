#pragma once

#include "Corvallen/Model/Project.h"
#include "Corvallen/Store/PersistentIdentifier.h"
#include "Corvallen/Shell/Destination.h"

#include <QList>
#include <QWidget>

#include <optional>

class QAbstractButton;
class QLabel;
class QScrollArea;
class QStackedLayout;
class QToolButton;
class QVariantAnimation;
class QVBoxLayout;
class VisualEffectView;

// The main window's left column: the brand header with the collapse toggle, the five sections,
// the projects with a New Project button, and Settings at the foot. Collapsed it is a 54-wide
// rail of icons, expanded 212 wide. It keeps no navigation state: the main window hands in the
// page, the collapse flag and the projects, and every action goes back out as a signal. Each
// project row takes drops of plain text and routes each string by its prefix; the row lights up
// under a drag and flashes after a drop.
class ShellSidebar : public QWidget {
    Q_OBJECT
public:
    static constexpr int collapsedWidth = 54;
    static constexpr int expandedWidth = 212;

    explicit ShellSidebar(QWidget* parent = nullptr);

    bool collapsed() const { return m_collapsed; }
    void setCollapsed(bool collapsed);
    // The collapse toggle: flips the flag with a short animation and tells the main window.
    void toggleCollapsed();

    Destination destination() const { return m_destination; }
    void setDestination(const Destination& destination);

    QList<Project*> projects() const { return m_projects; }
    void setProjects(const QList<Project*>& projects);

    // The drop on a project row: each string in order to its handler by prefix, then the flash.
    // False (and nothing happens) for an empty list.
    bool handleDrop(const QStringList& strings, Project* project);
    // A drag entered (true) or left (false) the row of a project.
    void setDropTarget(bool targeted, Project* project);
    // Lights the row up for half a second.
    void flash(Project* project);
    std::optional<PersistentIdentifier> dropTargetID() const { return m_dropTargetID; }
    std::optional<PersistentIdentifier> flashID() const { return m_flashID; }

    // The parts, for keyboard access and tests.
    QAbstractButton* sectionButton(Destination::Kind kind) const;
    QAbstractButton* projectButton(const Project* project) const;
    QAbstractButton* settingsButton() const { return m_settingsRow; }
    QAbstractButton* newProjectButton() const;
    QAbstractButton* collapseButton() const;
    // The context menu of a project's row (the caller owns it).
    class QMenu* projectMenu(Project* project);

    // The fill behind a project's row: flash, then drag target, then selection, else none.
    QColor rowBackground(const Project* project) const;

Q_SIGNALS:
    void collapsedChanged(bool collapsed);
    void newProjectRequested();
    void editProjectRequested(Project* project);
    void deleteProjectRequested(Project* project);
    void attachFileDropped(const QString& text, Project* project);
    void partDropped(const QString& text, Project* project);
    void captureDropped(const QString& text, Project* project);
    void projectSelected(Project* project);
    void sectionSelected(const Destination& destination);
    void settingsRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class SidebarProjectRow;
    void rebuildHeader();
    void rebuildProjects();
    void applyCollapsed();
    void loadLogos();
    bool isFlashing(const Project* project) const;
    bool isFading(const Project* project) const;
    bool isTarget(const Project* project) const;
    qreal flashScale(const Project* project) const;

    bool m_collapsed = false;
    Destination m_destination;
    QList<Project*> m_projects;
    std::optional<PersistentIdentifier> m_dropTargetID;
    std::optional<PersistentIdentifier> m_flashID;
    std::optional<PersistentIdentifier> m_fadingID;  // the row whose flash is fading out
    qreal m_flashProgress = 0;  // 0…1 of the flash's scale

    VisualEffectView* m_background = nullptr;
    QVBoxLayout* m_column = nullptr;
    QWidget* m_header = nullptr;
    QList<QAbstractButton*> m_sections;
    QWidget* m_headingExpanded = nullptr;
    QWidget* m_headingCollapsed = nullptr;
    QToolButton* m_plusButton = nullptr;
    QToolButton* m_folderPlusButton = nullptr;
    QToolButton* m_toggle = nullptr;
    QScrollArea* m_projectScroll = nullptr;
    QVBoxLayout* m_projectRows = nullptr;
    QList<QAbstractButton*> m_projectButtons;
    QAbstractButton* m_settingsRow = nullptr;
    QVariantAnimation* m_widthAnimation = nullptr;
    QVariantAnimation* m_flashAnimation = nullptr;
    QPixmap m_squareLogo;
    QPixmap m_wideLogo;
};
