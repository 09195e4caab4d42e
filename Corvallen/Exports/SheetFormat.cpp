#include "Corvallen/Exports/SheetFormat.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Platform/IcuLocale.h"

#include <QLocale>

namespace SheetFormat {

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
    // A value that rounds to nothing has no sign, whichever minus sign the locale writes.
    if (text == locale.negativeSign() + locale.zeroDigit())
        text = locale.zeroDigit();
    return text;
}

QString countText(qint64 value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(value);
}

QString longDateText(const QDate& date)
{
    return IcuLocale::dateText(date, QLocale(), IcuLocale::DateStyle::longForm);
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
