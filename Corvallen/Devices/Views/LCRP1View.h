#pragma once

#include <QColor>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

class FlashController;
class QComboBox;
class QFormLayout;
class QLabel;
class QMessageBox;
class QProgressBar;
class QPushButton;

// The FNIRSI LCR-P1 firmware page: four numbered steps (update mode, serial port, firmware
// file, flash), a confirmation, progress while the flash runs, and a coloured outcome line.
// The flash itself belongs to the application's FlashController; this page only shows it, so
// a page opened while a flash runs shows that flash, and closing the page doesn't stop it.
// Selection and file are page state: a new page starts with none.
class LCRP1View : public QWidget {
    Q_OBJECT
public:
    using PortLister = std::function<QStringList()>;

    // The page over the application's controller and the system's USB serial nodes.
    explicit LCRP1View(QWidget* parent = nullptr);
    // The page over another controller and port source (tests, a simulated instrument).
    LCRP1View(FlashController& controller, PortLister portLister, QWidget* parent = nullptr);

    // Lists the ports again; keeps the selection if it is still there, else selects the first.
    void rescan();
    // Takes the chosen firmware file (its size is read for display only; 0 when unknown).
    void loadFirmware(const QString& path);
    // Asks "Flash firmware to the LCR-P1?"; "Flash" starts the flash.
    void confirmFlash();
    // Starts the flash with the current port and file (does nothing without both, or while a
    // flash runs).
    void startFlash();

    QStringList ports() const { return m_ports; }
    std::optional<QString> selectedPort() const { return m_selectedPort; }
    void setSelectedPort(const QString& path);
    std::optional<QString> firmwarePath() const { return m_firmwarePath; }
    qint64 firmwareSize() const { return m_firmwareSize; }
    bool canFlash() const;
    // The outcome line as shown, and its colour.
    QString status() const;
    QColor statusColor() const { return m_statusColor; }

private:
    void build();
    void chooseFirmware();
    void refreshPorts();
    void refreshFile();
    void refreshFlash();
    void showOutcome();

    FlashController& m_controller;
    PortLister m_portLister;

    QStringList m_ports;
    std::optional<QString> m_selectedPort;
    std::optional<QString> m_firmwarePath;
    qint64 m_firmwareSize = 0;
    std::optional<QString> m_status;
    QColor m_statusColor;

    QLabel* m_noPortLabel = nullptr;
    QFormLayout* m_portForm = nullptr;
    QLabel* m_portValue = nullptr;
    QComboBox* m_portPicker = nullptr;
    QFormLayout* m_fileForm = nullptr;
    QLabel* m_fileName = nullptr;
    QLabel* m_fileSize = nullptr;
    QPushButton* m_flashButton = nullptr;
    QWidget* m_progressBox = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_progressCaption = nullptr;
    QLabel* m_statusLabel = nullptr;
};
