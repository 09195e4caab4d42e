#include "Corvallen/Shell/Views/MenuBarExtra.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Platform/Views/ThemeManager.h"
#include "Corvallen/Shell/Views/MenuBarView.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

MenuBarExtra::MenuBarExtra(AppModel& model, QObject* parent)
    : QObject(parent), m_model(model)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_tray = new QSystemTrayIcon(symbolIcon(QStringLiteral("waveform.path.ecg")), this);
    m_tray->setToolTip(QStringLiteral("Corvallen"));
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            togglePanel();
    });
    m_tray->show();
}

MenuBarExtra::~MenuBarExtra() { delete m_panel; }

void MenuBarExtra::togglePanel()
{
    if (!m_tray)
        return;
    if (m_panel && m_panel->isVisible()) {
        m_panel->hide();
        return;
    }
    if (!m_panel) {
        auto* panel = new QWidget(nullptr, Qt::Popup);
        panel->setObjectName(QStringLiteral("MenuBarPanel"));
        panel->setWindowTitle(QStringLiteral("Corvallen"));
        auto* layout = new QVBoxLayout(panel);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(new MenuBarView(m_model, panel));
        // The panel keeps to the desktop's own light or dark look, whatever Corvallen's theme.
        ThemeManager::shared().followDesktopScheme(panel);
        m_panel = panel;
    }
    m_panel->adjustSize();
    // Next to the tray item when the desktop tells where it is, else at the pointer.
    QRect anchor = m_tray->geometry();
    if (!anchor.isValid())
        anchor = QRect(QCursor::pos(), QSize(1, 1));
    QScreen* screen = QGuiApplication::screenAt(anchor.center());
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
    const QSize size = m_panel->sizeHint();
    int x = std::clamp(anchor.center().x() - size.width() / 2, area.left(), area.right() - size.width());
    int y = anchor.bottom() + 4;
    if (y + size.height() > area.bottom())
        y = anchor.top() - 4 - size.height();
    m_panel->move(x, std::max(area.top(), y));
    m_panel->show();
}
