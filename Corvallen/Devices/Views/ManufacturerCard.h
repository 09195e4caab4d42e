#pragma once

#include <QGroupBox>
#include <QUrl>

class QPushButton;

// The "Manufacturer" section at the foot of an instrument page: one flat row that opens the
// instrument maker's web page in the desktop's browser, wherever it is clicked.
class ManufacturerCard : public QGroupBox {
    Q_OBJECT
public:
    explicit ManufacturerCard(const QUrl& url, QWidget* parent = nullptr);

    QUrl url() const { return m_url; }

private:
    const QUrl m_url;
};
