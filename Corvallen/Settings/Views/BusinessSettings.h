#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class SettingsStore;

// The Business pane: the logos, name, contact lines, currency and VAT rate that exports print.
// Every field writes its "business.*" setting as it is edited and follows changes made elsewhere;
// a picked logo is copied into the business folder and only its file name is stored.
class BusinessSettings : public QWidget {
    Q_OBJECT
public:
    // Asks the user for an image file; an empty path means cancelled.
    using ImagePicker = std::function<QString(QWidget* parent)>;

    explicit BusinessSettings(SettingsStore& settings, ImagePicker picker = {}, QWidget* parent = nullptr);

    static const QStringList& currencies();  // "GBP", "EUR", "USD", "AUD", "CAD", "CHF", "PLN"
    static QString squareKey() { return QStringLiteral("business.logoSquare"); }
    static QString wideKey() { return QStringLiteral("business.logoWide"); }

    // Picks an image and installs it as the mark stored under `key`: the new file is copied
    // first, then the key switches to it, then the previous file is removed. A cancelled pick or
    // a failed copy changes nothing.
    void pickLogo(const QString& key);
    // Removes the mark stored under `key`: its file, then the key's value.
    void removeLogo(const QString& key);

    // A text field by its key, for the address the multi-line field.
    QLineEdit* lineEdit(const QString& key) const { return m_lines.value(key); }
    QPlainTextEdit* addressEdit() const { return m_address; }
    QComboBox* documentLogoPicker() const { return m_documentLogo; }
    QComboBox* currencyPicker() const { return m_currency; }
    QLabel* preview(const QString& key) const;
    QPushButton* removeButton(const QString& key) const;

private:
    struct Mark {
        QLabel* preview = nullptr;
        QPushButton* remove = nullptr;
        QString placeholder;
        QSize box;
    };
    QWidget* markRow(const QString& key, const QString& label, const QString& placeholder, QSize box);
    void showKey(const QString& key);
    void showMark(const QString& key);
    void fitAddressHeight();

    SettingsStore& m_settings;
    ImagePicker m_picker;
    QHash<QString, QLineEdit*> m_lines;
    QHash<QString, Mark> m_marks;
    QLabel* m_logoProblem = nullptr;
    QPlainTextEdit* m_address;
    QComboBox* m_documentLogo;
    QComboBox* m_currency;
};
