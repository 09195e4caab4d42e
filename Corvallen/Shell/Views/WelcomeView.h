#pragma once

#include <QWidget>

#include <functional>

class QPushButton;

// The welcome window's content: the icon, name and version, five things Corvallen does, and two
// buttons: "Open Help" (the welcome window stays) and "Get Started" (closes it; also Return).
class WelcomeView : public QWidget {
    Q_OBJECT
public:
    // `openWindow` opens a window by identifier ("help"); `dismiss` closes the welcome window.
    WelcomeView(std::function<void(const QString&)> openWindow, std::function<void()> dismiss, QWidget* parent = nullptr);

    QPushButton* openHelpButton() const { return m_openHelp; }
    QPushButton* getStartedButton() const { return m_getStarted; }
    QString versionLine() const;
    // Always 520 wide; as tall as the wrapped texts need at that width.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    std::function<void(const QString&)> m_openWindow;
    std::function<void()> m_dismiss;
    QPushButton* m_openHelp = nullptr;
    QPushButton* m_getStarted = nullptr;
    class QLabel* m_version = nullptr;
};
