#pragma once

#include <QFrame>

class QLabel;
class QPushButton;
class SaveFailureMonitor;

// The notice across the top of the main window while saving fails: why, in plain words, and
// "Try Again". It shows itself with the first failure and hides after the next good save.
class SaveFailureBanner : public QFrame {
    Q_OBJECT
public:
    explicit SaveFailureBanner(SaveFailureMonitor& monitor, QWidget* parent = nullptr);

    QLabel* messageLabel() const { return m_message; }
    QPushButton* tryAgainButton() const { return m_tryAgain; }

private:
    void refresh();
    void restyle();

    SaveFailureMonitor& m_monitor;
    QLabel* m_icon = nullptr;
    QLabel* m_message = nullptr;
    QPushButton* m_tryAgain = nullptr;
};
