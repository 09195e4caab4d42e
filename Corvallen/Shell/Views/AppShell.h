#pragma once

#include "Corvallen/Shell/ShellNavigation.h"

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

class AppModel;
class ModelContext;
class QStackedLayout;
class ShellSidebar;
class StatusBar;
class VisualEffectView;
class WindowRouter;

// The main window's content: the sidebar, the page of the current destination and the status
// bar, over the window's translucent background. It owns the window's navigation (through
// ShellNavigation), the project edit and add-part sheets, the question before a project is
// deleted, and the first-launch welcome check. The page is built anew, by its factory, whenever
// the destination or the page's identity changes.
class AppShell : public QWidget {
    Q_OBJECT
public:
    // `router` opens the settings and welcome windows; it may be null (then nothing opens).
    AppShell(ModelContext& context, AppModel& model, WindowRouter* router, QWidget* parent = nullptr);
    ~AppShell() override;

    ShellNavigation& navigation() { return m_nav; }
    ShellSidebar* sidebar() const { return m_sidebar; }
    StatusBar* statusBar() const { return m_statusBar; }
    QWidget* page() const { return m_page; }

    // Asks "Delete “name”?" (Delete / Cancel) as a sheet and deletes only on Delete.
    void confirmDeleteProject(Project* project);
    // The open delete question, for keyboard users and tests.
    QMessageBox* deleteQuestion() const { return m_deleteQuestion; }
    QDialog* editSheet() const { return m_editSheet; }
    QDialog* addPartSheet() const { return m_addPartSheet; }

    // Records the running version and opens the welcome window on the first launch.
    void checkWelcome();

Q_SIGNALS:
    void pageChanged(QWidget* page);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void rebuildPage();
    void reloadProjects();
    void showEditSheet();
    void showAddPartSheet();

    ModelContext& m_context;
    AppModel& m_model;
    QPointer<WindowRouter> m_router;
    ShellNavigation m_nav;
    VisualEffectView* m_background = nullptr;
    ShellSidebar* m_sidebar = nullptr;
    QWidget* m_pageHost = nullptr;
    QStackedLayout* m_pageLayout = nullptr;
    QPointer<QWidget> m_page;
    StatusBar* m_statusBar = nullptr;
    QPointer<QMessageBox> m_deleteQuestion;
    QPointer<QDialog> m_editSheet;
    QPointer<QDialog> m_addPartSheet;
    bool m_welcomeChecked = false;
};
