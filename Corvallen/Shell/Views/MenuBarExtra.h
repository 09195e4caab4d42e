#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class AppModel;
class MenuBarView;
class QSystemTrayIcon;

// Corvallen's item in the desktop's status area (the system tray): its symbol, and on a click
// a small panel with MenuBarView that closes when it loses focus. On a desktop without a tray
// there is no item and no panel.
class MenuBarExtra : public QObject {
    Q_OBJECT
public:
    explicit MenuBarExtra(AppModel& model, QObject* parent = nullptr);
    ~MenuBarExtra() override;

    bool isAvailable() const { return m_tray != nullptr; }
    // Shows the panel near the item (or the pointer); a second call while it shows hides it.
    void togglePanel();
    QWidget* panel() const { return m_panel; }

private:
    AppModel& m_model;
    QSystemTrayIcon* m_tray = nullptr;
    QPointer<QWidget> m_panel;
};
