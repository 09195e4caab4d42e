#include "Corvallen/Exports/SheetFormat.h"

#include "Corvallen/Exports/BusinessProfile.h"
#include "Corvallen/Model/Capture.h"

#include <QLocale>
#include <QRegularExpression>

namespace SheetFormat {

int currencyDecimals(const QString& code)
{
    static const QStringList none = {QStringLiteral("JPY"), QStringLiteral("KRW"), QStringLiteral("VND"),
                                     QStringLiteral("CLP"), QStringLiteral("ISK"), QStringLiteral("HUF"),
                                     QStringLiteral("TWD"), QStringLiteral("UGX"), QStringLiteral("XAF"),
                                     QStringLiteral("XOF"), QStringLiteral("PYG")};
    static const QStringList three = {QStringLiteral("BHD"), QStringLiteral("KWD"), QStringLiteral("OMR"),
                                      QStringLiteral("JOD"), QStringLiteral("TND"), QStringLiteral("IQD"),
                                      QStringLiteral("LYD")};
    const QString c = code.toUpper();
    if (none.contains(c))
        return 0;
    if (three.contains(c))
        return 3;
    return 2;
}

QString moneyText(double amount, const QString& currencyCode)
{
    const QString code = currencyCode.trimmed().isEmpty() ? QStringLiteral("GBP") : currencyCode.trimmed().toUpper();
    const QLocale locale;
    // The locale's own symbol when the code is the locale's currency, otherwise the known symbol.
    QString symbol = locale.currencySymbol(QLocale::CurrencyIsoCode) == code
                         ? locale.currencySymbol(QLocale::CurrencySymbol)
                         : BusinessProfile::currencySymbol(code);
    if (symbol.isEmpty())
        symbol = code;
    const int decimals = currencyDecimals(code);
    // Rounding first keeps a tiny negative amount from being written as "-£0.00".
    double rounded = std::round(amount * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    if (rounded == 0)
        rounded = 0;
    // Negative amounts carry a leading minus sign rather than accounting brackets.
    if (rounded < 0)
        return locale.negativeSign() + locale.toCurrencyString(-rounded, symbol, decimals);
    return locale.toCurrencyString(rounded, symbol, decimals);
}

QString moneyText(double amount)
{
    return moneyText(amount, BusinessProfile::currentCurrencyCode());
}

QString numberText(double value, int maxDecimals)
{
    const QLocale locale;
    QString text = locale.toString(value, 'f', maxDecimals);
    const QString dot = locale.decimalPoint();
    if (maxDecimals > 0 && text.contains(dot)) {
        while (text.endsWith(locale.zeroDigit()))
            text.chop(1);
        if (text.endsWith(dot))
            text.chop(dot.size());
    }
    if (text == QStringLiteral("-0"))
        text = QStringLiteral("0");
    return text;
}

QString longDateText(const QDate& date)
{
    const QLocale locale;
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("dddd[,.]?\\s*")));
    return locale.toString(date, format.trimmed());
}

std::optional<QString> captureReadingText(const Capture* capture)
{
    if (!capture)
        return std::nullopt;
    const std::optional<double> value = capture->value();
    if (!value)
        return std::nullopt;
    const QString text = numberText(*value, 6) + QLatin1Char(' ') + capture->unit().value_or(QString());
    return text.trimmed();
}

}  // namespace SheetFormat
