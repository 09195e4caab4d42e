#include "Corvallen/Devices/Views/LCRP1View.h"
#include "Corvallen/Platform/AppPaths.h"

#include "Corvallen/Devices/FlashController.h"
#include "Corvallen/Devices/LCRP1Flasher.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Devices/Views/ManufacturerCard.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

const QUrl kManufacturerURL(QStringLiteral("https://www.fnirsi.com/"));

// Outcome colours: the same green, orange and red in light and dark themes.
const QColor kGreen(0x2E, 0x9D, 0x4A);
const QColor kOrange(0xE0, 0x80, 0x10);
const QColor kRed(0xD9, 0x36, 0x2B);

// The inline markup of the page's explanatory texts: **bold** and `code`, the rest escaped.
QString inlineMarkup(const QString& text)
{
    QString html;
    bool bold = false;
    bool code = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.mid(i, 2) == QLatin1String("**") && !code) {
            html += bold ? QStringLiteral("</b>") : QStringLiteral("<b>");
            bold = !bold;
            ++i;
        } else if (text[i] == QLatin1Char('`')) {
            html += code ? QStringLiteral("</code>") : QStringLiteral("<code>");
            code = !code;
        } else {
            html += QString(text[i]).toHtmlEscaped();
        }
    }
    return html;
}

QLabel* captionLabel(const QString& text, QWidget* parent, bool markup = false)
{
    auto* label = new QLabel(parent);
    if (markup) {
        label->setTextFormat(Qt::RichText);
        label->setText(inlineMarkup(text));
    } else {
        label->setTextFormat(Qt::PlainText);
        label->setText(text);
    }
    label->setWordWrap(true);
    QFont f = label->font();
    f.setPointSizeF(f.pointSizeF() * 0.85);
    label->setFont(f);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

}  // namespace

LCRP1View::LCRP1View(QWidget* parent)
    : LCRP1View(FlashController::shared(), &LCRP1Flasher::availablePorts, parent)
{
}

LCRP1View::LCRP1View(FlashController& controller, PortLister portLister, QWidget* parent)
    : QWidget(parent), m_controller(controller), m_portLister(std::move(portLister))
{
    build();
    connect(&m_controller, &FlashController::flashingChanged, this, [this](bool flashing) {
        if (flashing) {
            m_status.reset();
            m_statusColor = palette().color(QPalette::PlaceholderText);
        }
        refreshFlash();
    });
    connect(&m_controller, &FlashController::progressChanged, this, [this]() { refreshFlash(); });
    connect(&m_controller, &FlashController::finished, this, [this]() { showOutcome(); });
    rescan();
    refreshFile();
    if (!m_controller.isFlashing() && m_controller.outcome() != FlashController::Outcome::none
        && !m_controller.isOutcomeShown())
        showOutcome();
    refreshFlash();
}

void LCRP1View::build()
{
    setObjectName(QStringLiteral("LCRP1View"));
    m_statusColor = palette().color(QPalette::PlaceholderText);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    outer->addWidget(scroll);
    auto* content = new QWidget(scroll);
    scroll->setWidget(content);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(12);

    // Header.
    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    auto* chip = new QLabel(content);
    chip->setPixmap(symbolIcon(QStringLiteral("cpu.fill")).pixmap(26, 26));
    header->addWidget(chip);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    auto* title = new QLabel(QStringLiteral("FNIRSI LCR-P1"), content);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    titles->addWidget(title);
    titles->addWidget(captionLabel(tr("Component tester · firmware over USB serial"), content));
    header->addLayout(titles, 1);
    column->addLayout(header);

    // 1. Update mode.
    auto* step1 = new QGroupBox(tr("1. Enter update mode"), content);
    auto* step1Layout = new QVBoxLayout(step1);
    step1Layout->addWidget(captionLabel(
        tr("Power the LCR-P1 off by **holding Test** until it shuts down. Then **tap Test + Zener together** "
           "(a quick press, not a hold) to start it in update mode — its screen shows an update message in "
           "Chinese and English. The USB serial port appears below once it's in that mode."),
        step1, true));
    column->addWidget(step1);

    // 2. Serial port.
    auto* step2 = new QGroupBox(tr("2. Serial port"), content);
    auto* step2Layout = new QVBoxLayout(step2);
    m_noPortLabel = captionLabel(tr("No serial device found — connect the LCR-P1 in update mode."), step2);
    m_noPortLabel->setObjectName(QStringLiteral("noPortLabel"));
    step2Layout->addWidget(m_noPortLabel);
    m_portForm = new QFormLayout;
    m_portValue = new QLabel(step2);
    m_portValue->setObjectName(QStringLiteral("portValue"));
    m_portValue->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_portForm->addRow(tr("Port"), m_portValue);
    m_portPicker = new QComboBox(step2);
    m_portPicker->setObjectName(QStringLiteral("portPicker"));
    m_portForm->addRow(tr("Port"), m_portPicker);
    step2Layout->addLayout(m_portForm);
    auto* rescanButton = new QPushButton(symbolIcon(QStringLiteral("arrow.clockwise")), tr("Rescan"), step2);
    rescanButton->setObjectName(QStringLiteral("rescanButton"));
    step2Layout->addWidget(rescanButton, 0, Qt::AlignLeft);
    column->addWidget(step2);
    connect(rescanButton, &QPushButton::clicked, this, &LCRP1View::rescan);
    connect(m_portPicker, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < m_ports.size())
            m_selectedPort = m_ports.at(index);
        refreshFlash();
    });

    // 3. Firmware file.
    auto* step3 = new QGroupBox(tr("3. Firmware file"), content);
    auto* step3Layout = new QVBoxLayout(step3);
    auto* chooseButton = new QPushButton(symbolIcon(QStringLiteral("doc")), tr("Choose .bin…"), step3);
    chooseButton->setObjectName(QStringLiteral("chooseFirmwareButton"));
    step3Layout->addWidget(chooseButton, 0, Qt::AlignLeft);
    m_fileForm = new QFormLayout;
    m_fileName = new QLabel(step3);
    m_fileName->setObjectName(QStringLiteral("fileName"));
    m_fileSize = new QLabel(step3);
    m_fileSize->setObjectName(QStringLiteral("fileSize"));
    m_fileForm->addRow(tr("File"), m_fileName);
    m_fileForm->addRow(tr("Size"), m_fileSize);
    step3Layout->addLayout(m_fileForm);
    step3Layout->addWidget(
        captionLabel(tr("Use the official FNIRSI image (e.g. `APP_LCR_P1_….bin`). It's flashed as-is."), step3, true));
    column->addWidget(step3);
    connect(chooseButton, &QPushButton::clicked, this, &LCRP1View::chooseFirmware);

    // 4. Flash.
    auto* step4 = new QGroupBox(tr("4. Flash"), content);
    auto* step4Layout = new QVBoxLayout(step4);
    m_flashButton = new QPushButton(symbolIcon(QStringLiteral("bolt.fill")), tr("Flash Firmware"), step4);
    m_flashButton->setObjectName(QStringLiteral("flashButton"));
    m_flashButton->setDefault(true);
    step4Layout->addWidget(m_flashButton, 0, Qt::AlignLeft);
    m_progressBox = new QWidget(step4);
    auto* progressLayout = new QVBoxLayout(m_progressBox);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    m_progressBar = new QProgressBar(m_progressBox);
    m_progressBar->setObjectName(QStringLiteral("flashProgress"));
    m_progressBar->setRange(0, 1000);
    m_progressBar->setTextVisible(false);
    m_progressCaption = captionLabel(QString(), m_progressBox);
    m_progressCaption->setObjectName(QStringLiteral("progressCaption"));
    m_progressCaption->setForegroundRole(QPalette::WindowText);
    progressLayout->addWidget(m_progressBar);
    progressLayout->addWidget(m_progressCaption);
    step4Layout->addWidget(m_progressBox);
    m_statusLabel = captionLabel(QString(), step4);
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    step4Layout->addWidget(m_statusLabel);
    step4Layout->addWidget(captionLabel(
        tr("Keep the device powered throughout. If a flash is interrupted, just re-enter update mode and flash "
           "again — the on-device loader is not touched."),
        step4));
    column->addWidget(step4);
    connect(m_flashButton, &QPushButton::clicked, this, &LCRP1View::confirmFlash);

    column->addWidget(new ManufacturerCard(kManufacturerURL, content));
    column->addStretch(1);
}

void LCRP1View::rescan()
{
    m_ports = m_portLister ? m_portLister() : QStringList();
    if (m_selectedPort && !m_ports.contains(*m_selectedPort))
        m_selectedPort.reset();
    if (!m_selectedPort && !m_ports.isEmpty())
        m_selectedPort = m_ports.first();
    refreshPorts();
    refreshFlash();
}

void LCRP1View::setSelectedPort(const QString& path)
{
    if (!m_ports.contains(path))
        return;
    m_selectedPort = path;
    refreshPorts();
    refreshFlash();
}

void LCRP1View::chooseFirmware()
{
    // Any file: images come with several extensions and are flashed as they are.
    const QString path = QFileDialog::getOpenFileName(this, tr("Choose .bin…"), AppPaths::saveFolder());
    if (!path.isEmpty())
        loadFirmware(path);
}

void LCRP1View::loadFirmware(const QString& path)
{
    m_firmwarePath = path;
    const QFileInfo info(path);
    m_firmwareSize = info.exists() ? info.size() : 0;
    refreshFile();
    refreshFlash();
}

bool LCRP1View::canFlash() const
{
    return m_selectedPort && m_firmwarePath && !m_controller.isFlashing() && !FlashController::isAnyFlashRunning();
}

void LCRP1View::confirmFlash()
{
    if (!canFlash())
        return;
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Flash firmware to the LCR-P1?"),
                                tr("Flash firmware to the LCR-P1?"), QMessageBox::NoButton, this);
    box->setObjectName(QStringLiteral("confirmFlashDialog"));
    box->setInformativeText(
        tr("Make sure the device is in update mode and stays powered. Writing the wrong file can require recovery "
           "via the official tool."));
    QPushButton* flash = box->addButton(tr("Flash"), QMessageBox::DestructiveRole);
    flash->setObjectName(QStringLiteral("confirmFlashButton"));
    QPushButton* cancel = box->addButton(tr("Cancel"), QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(flash, &QPushButton::clicked, this, &LCRP1View::startFlash);
    box->open();
}

void LCRP1View::startFlash()
{
    if (!m_selectedPort || !m_firmwarePath)
        return;
    m_controller.start(*m_selectedPort, *m_firmwarePath);
}

QString LCRP1View::status() const { return m_status.value_or(QString()); }

void LCRP1View::refreshPorts()
{
    const bool none = m_ports.isEmpty();
    const bool one = m_ports.size() == 1;
    m_noPortLabel->setVisible(none);
    m_portForm->setRowVisible(m_portValue, one);
    m_portForm->setRowVisible(m_portPicker, m_ports.size() > 1);
    m_portValue->setText(one ? m_ports.first() : QString());
    m_portPicker->clear();
    m_portPicker->addItems(m_ports);
    if (m_selectedPort)
        m_portPicker->setCurrentIndex(int(m_ports.indexOf(*m_selectedPort)));
}

void LCRP1View::refreshFile()
{
    const bool chosen = m_firmwarePath.has_value();
    m_fileForm->setRowVisible(m_fileName, chosen);
    m_fileForm->setRowVisible(m_fileSize, chosen);
    if (chosen) {
        m_fileName->setText(QFileInfo(*m_firmwarePath).fileName());
        m_fileSize->setText(locale().formattedDataSize(m_firmwareSize, 1, QLocale::DataSizeSIFormat));
    }
}

void LCRP1View::refreshFlash()
{
    m_flashButton->setEnabled(canFlash());
    const bool flashing = m_controller.isFlashing();
    m_progressBox->setVisible(flashing);
    const double progress = m_controller.progress();
    m_progressBar->setValue(int(progress * 1000.0 + 0.5));
    m_progressCaption->setText(progress >= 1.0 ? tr("Waiting for device…") : tr("Writing firmware…"));
    m_statusLabel->setVisible(m_status.has_value());
    m_statusLabel->setText(status());
    QPalette pal = m_statusLabel->palette();
    pal.setColor(QPalette::WindowText, m_statusColor);
    m_statusLabel->setPalette(pal);
    m_statusLabel->setForegroundRole(QPalette::WindowText);
}

void LCRP1View::showOutcome()
{
    m_controller.markOutcomeShown();
    m_status = m_controller.status();
    switch (m_controller.outcome()) {
    case FlashController::Outcome::flashed: m_statusColor = kGreen; break;
    case FlashController::Outcome::notAcknowledged: m_statusColor = kOrange; break;
    case FlashController::Outcome::failed:
    case FlashController::Outcome::none: m_statusColor = kRed; break;
    }
    refreshFlash();
}
