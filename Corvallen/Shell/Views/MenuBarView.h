#pragma once

#include <QWidget>

class AppModel;
class QLabel;
class QVBoxLayout;

// The menu-bar panel's content: a read-only glance at the sync state (connected locations and
// the last summary), 260 wide. Redrawn whenever the application model changes.
class MenuBarView : public QWidget {
    Q_OBJECT
public:
    explicit MenuBarView(AppModel& model, QWidget* parent = nullptr);

    // The texts shown, top to bottom (tests).
    QStringList lines() const;

private:
    void refresh();

    AppModel& m_model;
    QVBoxLayout* m_rows = nullptr;
};
