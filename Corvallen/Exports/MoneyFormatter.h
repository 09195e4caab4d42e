#pragma once

#include <QLocale>
#include <QString>

#include <memory>

// Every amount of money Corvallen shows or prints is written here: ICU's currency format for
// the locale and the business currency code decides the symbol and its place, grouping, the
// currency's usual number of decimals and the locale's form of a negative amount ("-£1.00",
// never accounting brackets). Where the locale's data has no symbol for the currency (it would
// write the bare code), the business profile's symbol table stands in. An amount that rounds to
// zero is written without a sign.
class MoneyFormatter {
public:
    // The business currency ("business.currency", read now) in the user's locale.
    MoneyFormatter();
    explicit MoneyFormatter(const QString& currencyCode, const QLocale& locale = QLocale());

    QString format(double amount) const;
    // What price entry fields show in front of their digits: the symbol the formatted amounts use.
    QString symbol() const;
    // The currency's usual number of decimals (0 for yen, 2 for pounds, 3 for dinars).
    int fractionDigits() const;
    // The code in use: upper case, "GBP" for an empty one.
    QString currencyCode() const;

    // An amount in the business currency and the user's locale. Repeated calls reuse one
    // formatter while the code and locale stay the same.
    static QString text(double amount);

private:
    struct Impl;
    std::shared_ptr<const Impl> d;
};
