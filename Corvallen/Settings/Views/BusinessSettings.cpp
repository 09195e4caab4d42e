#include "Corvallen/Settings/Views/BusinessSettings.h"
#include "Corvallen/Platform/AppPaths.h"

#include "Corvallen/Exports/BusinessProfile.h"
#include "Corvallen/Model/DomainError.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Platform/Views/ThemeManager.h"
#include "Corvallen/Settings/Views/SettingsStyle.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QString pickImageFile(QWidget* parent)
{
    QStringList patterns{QStringLiteral("*.png"), QStringLiteral("*.jpg"), QStringLiteral("*.jpeg")};
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString pattern = QStringLiteral("*.") + QString::fromLatin1(format).toLower();
        if (!patterns.contains(pattern))
            patterns << pattern;
    }
    return QFileDialog::getOpenFileName(parent, QString(), AppPaths::saveFolder(),
                                        BusinessSettings::tr("Images (%1)").arg(patterns.join(u' ')));
}

// The preview's rounded box: the faint card fill of the current palette.
class PreviewBox : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        {
            QPainter p(this);
            p.setRenderHint(QPainter::Antialiasing);
            QColor fill = ThemeManager::foreground(palette(), 4);
            fill.setAlphaF(fill.alphaF() * 0.4f);
            p.setPen(Qt::NoPen);
            p.setBrush(fill);
            p.drawRoundedRect(QRectF(rect()), 8, 8);
        }
        QLabel::paintEvent(event);
    }
};

}  // namespace

BusinessSettings::BusinessSettings(SettingsStore& settings, ImagePicker picker, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_picker(picker ? std::move(picker) : ImagePicker(pickImageFile))
{
    setObjectName(QStringLiteral("BusinessSettings"));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(12);

    auto* logo = SettingsStyle::section(tr("Logo"), this);
    auto* logoLayout = new QVBoxLayout(logo);
    logoLayout->addWidget(SettingsStyle::caption(
        tr("Two marks: a wide wordmark and a square icon. The wide one shows in the expanded sidebar, the square one when "
           "it's collapsed. Pick which appears on exports below."),
        logo));
    logoLayout->addWidget(markRow(wideKey(), tr("Wide"), QStringLiteral("rectangle"), QSize(132, 48)));
    logoLayout->addWidget(markRow(squareKey(), tr("Square"), QStringLiteral("square"), QSize(56, 56)));
    // Why a chosen or stored logo can't be used; exports would leave it out.
    m_logoProblem = SettingsStyle::caption(QString(), logo);
    m_logoProblem->setObjectName(QStringLiteral("logoProblem"));
    m_logoProblem->setWordWrap(true);
    m_logoProblem->setStyleSheet(QStringLiteral("color: #D70015;"));
    m_logoProblem->hide();
    logoLayout->addWidget(m_logoProblem);
    auto* exportRow = new QFormLayout;
    m_documentLogo = new QComboBox(logo);
    m_documentLogo->setObjectName(QStringLiteral("documentLogoPicker"));
    m_documentLogo->addItem(tr("Wide"), QStringLiteral("wide"));
    m_documentLogo->addItem(tr("Square"), QStringLiteral("square"));
    exportRow->addRow(tr("On exports use"), m_documentLogo);
    logoLayout->addLayout(exportRow);
    layout->addWidget(logo);

    auto* details = SettingsStyle::section(tr("Details"), this);
    auto* detailsLayout = new QVBoxLayout(details);
    detailsLayout->addWidget(
        SettingsStyle::caption(tr("Appears as the header on documents you export \u2014 project sheets and quotes."), details));
    auto* form = new QFormLayout;
    auto addLine = [&](const QString& key, const QString& title, const QString& name) {
        auto* edit = new QLineEdit(details);
        edit->setObjectName(name);
        m_lines.insert(key, edit);
        form->addRow(title, edit);
        connect(edit, &QLineEdit::textEdited, this, [this, key](const QString& text) { m_settings.setText(key, text); });
    };
    addLine(BusinessKeys::name, tr("Business name"), QStringLiteral("businessName"));
    addLine(BusinessKeys::tagline, tr("Tagline (optional)"), QStringLiteral("businessTagline"));
    m_address = new QPlainTextEdit(details);
    m_address->setObjectName(QStringLiteral("businessAddress"));
    m_address->setTabChangesFocus(true);
    form->addRow(tr("Address"), m_address);
    connect(m_address, &QPlainTextEdit::textChanged, this, [this] {
        fitAddressHeight();
        const QString text = m_address->toPlainText();
        if (text != m_settings.textValue(BusinessKeys::address))
            m_settings.setText(BusinessKeys::address, text);
    });
    addLine(BusinessKeys::phone, tr("Phone"), QStringLiteral("businessPhone"));
    addLine(BusinessKeys::email, tr("Email"), QStringLiteral("businessEmail"));
    addLine(BusinessKeys::website, tr("Website"), QStringLiteral("businessWebsite"));
    detailsLayout->addLayout(form);
    layout->addWidget(details);

    auto* tax = SettingsStyle::section(tr("Tax & currency"), this);
    auto* taxLayout = new QVBoxLayout(tax);
    auto* taxForm = new QFormLayout;
    m_currency = new QComboBox(tax);
    m_currency->setObjectName(QStringLiteral("currencyPicker"));
    for (const QString& code : currencies())
        m_currency->addItem(code, code);
    taxForm->addRow(tr("Currency"), m_currency);
    auto* vat = new QLineEdit(tax);
    vat->setObjectName(QStringLiteral("businessVatRate"));
    m_lines.insert(BusinessKeys::vatRate, vat);
    // Only a rate from 0 to 100 is stored; while the text is anything else the stored rate stays,
    // the pane says so, and the field shows the stored rate again once the user leaves it.
    auto* vatProblem = SettingsStyle::caption(tr("Enter a VAT rate from 0 to 100, or leave it blank for no VAT."), tax);
    vatProblem->setObjectName(QStringLiteral("vatRateProblem"));
    vatProblem->setStyleSheet(QStringLiteral("color: #D70015;"));
    vatProblem->hide();
    connect(vat, &QLineEdit::textEdited, this, [this, vatProblem](const QString& text) {
        const std::optional<QString> stored = BusinessProfile::storedVatRateText(text);
        vatProblem->setVisible(!stored);
        if (stored)
            m_settings.setText(BusinessKeys::vatRate, *stored);
    });
    connect(vat, &QLineEdit::editingFinished, this, [this, vat, vatProblem] {
        vatProblem->hide();
        const QString shown = BusinessProfile::vatRateInputText(m_settings.textValue(BusinessKeys::vatRate));
        if (vat->text() != shown)
            vat->setText(shown);
    });
    taxForm->addRow(tr("VAT rate (%)"), vat);
    taxLayout->addLayout(taxForm);
    taxLayout->addWidget(vatProblem);
    taxLayout->addWidget(SettingsStyle::caption(tr("VAT is applied to quote totals. Leave blank for no VAT."), tax));
    layout->addWidget(tax);
    layout->addStretch(1);

    connect(m_documentLogo, &QComboBox::activated, this,
            [this](int index) { m_settings.setText(BusinessKeys::documentLogo, m_documentLogo->itemData(index).toString()); });
    connect(m_currency, &QComboBox::activated, this,
            [this](int index) { m_settings.setText(BusinessKeys::currency, m_currency->itemData(index).toString()); });

    for (const QString& key : BusinessProfile::settingKeys())
        showKey(key);
    fitAddressHeight();
    connect(&m_settings, &SettingsStore::changed, this, [this](const QString& key) {
        if (BusinessProfile::settingKeys().contains(key))
            showKey(key);
    });
}

const QStringList& BusinessSettings::currencies()
{
    static const QStringList codes{QStringLiteral("GBP"), QStringLiteral("EUR"), QStringLiteral("USD"), QStringLiteral("AUD"),
                                   QStringLiteral("CAD"), QStringLiteral("CHF"), QStringLiteral("PLN")};
    return codes;
}

QWidget* BusinessSettings::markRow(const QString& key, const QString& label, const QString& placeholder, QSize box)
{
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 2, 0, 2);
    h->setSpacing(14);
    Mark mark;
    mark.placeholder = placeholder;
    mark.box = box;
    const QString base = key == wideKey() ? QStringLiteral("Wide") : QStringLiteral("Square");
    mark.preview = new PreviewBox(row);
    mark.preview->setObjectName(QStringLiteral("logoPreview") + base);
    mark.preview->setFixedSize(box);
    mark.preview->setAlignment(Qt::AlignCenter);
    h->addWidget(mark.preview);
    h->addWidget(SettingsStyle::label(label, SettingsStyle::TextStyle::body, 2, QFont::Normal, row));
    h->addStretch(1);
    auto* choose = new QPushButton(tr("Choose\u2026"), row);
    choose->setObjectName(QStringLiteral("chooseLogo") + base);
    h->addWidget(choose);
    mark.remove = new QPushButton(tr("Remove"), row);
    mark.remove->setObjectName(QStringLiteral("removeLogo") + base);
    h->addWidget(mark.remove);
    m_marks.insert(key, mark);
    connect(choose, &QPushButton::clicked, this, [this, key] { pickLogo(key); });
    connect(mark.remove, &QPushButton::clicked, this, [this, key] { removeLogo(key); });
    return row;
}

QLabel* BusinessSettings::preview(const QString& key) const { return m_marks.value(key).preview; }
QPushButton* BusinessSettings::removeButton(const QString& key) const { return m_marks.value(key).remove; }

void BusinessSettings::pickLogo(const QString& key)
{
    const QString path = m_picker(this);
    if (path.isEmpty())
        return;
    const QString previous = m_settings.textValue(key);
    QString name;
    try {
        name = BusinessProfile::saveLogo(path);
    } catch (const DomainError& e) {
        // The previous mark stays as it was; the pane says why the new one was refused.
        m_logoProblem->setText(e.localizedDescription());
        m_logoProblem->show();
        return;
    }
    m_logoProblem->hide();
    m_settings.setText(key, name);
    // A restored backup can leave both marks naming one file; keep it while the other uses it.
    const QString other = key == wideKey() ? squareKey() : wideKey();
    if (previous != m_settings.textValue(other))
        BusinessProfile::deleteLogo(previous);
}

void BusinessSettings::removeLogo(const QString& key)
{
    m_logoProblem->hide();
    const QString previous = m_settings.textValue(key);
    const QString other = key == wideKey() ? squareKey() : wideKey();
    if (previous != m_settings.textValue(other))
        BusinessProfile::deleteLogo(previous);
    m_settings.setText(key, QString());
}

void BusinessSettings::showKey(const QString& key)
{
    if (key == wideKey() || key == squareKey()) {
        showMark(key);
    } else if (key == BusinessKeys::address) {
        const QString text = m_settings.textValue(BusinessKeys::address);
        if (m_address->toPlainText() != text) {
            const QSignalBlocker block(m_address);
            m_address->setPlainText(text);
            fitAddressHeight();
        }
    } else if (key == BusinessKeys::documentLogo) {
        const QSignalBlocker block(m_documentLogo);
        m_documentLogo->setCurrentIndex(m_documentLogo->findData(m_settings.textValue(BusinessKeys::documentLogo, QStringLiteral("wide"))));
    } else if (key == BusinessKeys::currency) {
        const QSignalBlocker block(m_currency);
        m_currency->setCurrentIndex(m_currency->findData(m_settings.textValue(BusinessKeys::currency, QStringLiteral("GBP"))));
    } else if (key == BusinessKeys::vatRate) {
        // The field is in the locale's form; a rate typed there that reads as the stored one stays
        // as typed.
        QLineEdit* edit = m_lines.value(key);
        const QString stored = m_settings.textValue(key);
        if (BusinessProfile::storedVatRateText(edit->text()) != stored)
            edit->setText(BusinessProfile::vatRateInputText(stored));
    } else if (QLineEdit* edit = m_lines.value(key)) {
        const QString text = m_settings.textValue(key);
        if (edit->text() != text)
            edit->setText(text);
    }
}

void BusinessSettings::showMark(const QString& key)
{
    const Mark mark = m_marks.value(key);
    if (!mark.preview)
        return;
    const QString fileName = m_settings.textValue(key);
    const QImage image = BusinessProfile::loadLogo(fileName);
    if (!fileName.isEmpty() && image.isNull()) {
        // A stored logo that no longer reads would silently be left off every export.
        m_logoProblem->setText(tr("The %1 logo can't be read any more, so exports leave it out. Choose it again or another image.")
                                   .arg(key == wideKey() ? tr("wide") : tr("square")));
        m_logoProblem->show();
    }
    if (!image.isNull()) {
        const QSize inner = mark.box - QSize(8, 8);
        const qreal dpr = devicePixelRatioF();
        QPixmap pixmap = QPixmap::fromImage(image.scaled(inner * dpr, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        pixmap.setDevicePixelRatio(dpr);
        mark.preview->setPixmap(pixmap);
        mark.preview->setProperty("showsImage", true);
    } else {
        const int side = int(SettingsStyle::font(SettingsStyle::TextStyle::title3).pointSizeF() * 1.6);
        QIcon icon = symbolIcon(mark.placeholder, ThemeManager::foreground(palette(), 2));
        mark.preview->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(QSize(side, side)));
        mark.preview->setProperty("showsImage", false);
    }
    mark.remove->setVisible(!fileName.isEmpty());
}

void BusinessSettings::fitAddressHeight()
{
    const int lines = std::clamp(int(m_address->document()->blockCount()), 2, 4);
    const int line = m_address->fontMetrics().lineSpacing();
    const QMargins m = m_address->contentsMargins();
    const int frame = int(m_address->document()->documentMargin() * 2) + m.top() + m.bottom();
    m_address->setFixedHeight(lines * line + frame);
}
