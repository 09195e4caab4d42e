#pragma once

#include <QPointer>
#include <QWidget>

class AppModel;
class QHBoxLayout;
class QLabel;
class QMenu;
class QProgressBar;
class QToolButton;

// The strip at the foot of the main window: which sync locations are connected (with "Sync New"
// and "Eject" for each in a menu), the running sync's progress with a stop button, or else the
// last sync's summary. Redrawn whenever the application model changes.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    explicit StatusBar(AppModel& model, QWidget* parent = nullptr);

    // Cancels the running sync, if any.
    void stopSyncing();

    // For tests and accessibility: the parts shown right now.
    QString locationText() const;
    QToolButton* locationMenuButton() const { return m_locationButton; }
    QString syncText() const;
    QProgressBar* progressBar() const { return m_bar; }
    QToolButton* stopButton() const { return m_stop; }

private:
    void refresh();

    AppModel& m_model;
    QWidget* m_dot = nullptr;
    QLabel* m_noLocation = nullptr;
    QToolButton* m_locationButton = nullptr;
    QMenu* m_locationMenu = nullptr;
    QProgressBar* m_busy = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_progressText = nullptr;
    QToolButton* m_stop = nullptr;
    QLabel* m_summary = nullptr;
};
