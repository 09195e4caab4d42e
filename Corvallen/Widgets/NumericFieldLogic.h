#pragma once

#include <QLocale>
#include <QString>

#include <optional>

// The rules of the numeric entry field, apart from the widget: the text the user edits and the
// optional number it is bound to move together, written the way the field's locale writes
// numbers (its digits and its decimal separator: "12,5" in German, "12.5" in English). Every
// keystroke is cleaned at once (only digits and the first decimal separator stay) and sets the
// number; the text is rewritten tidily when the field appears, when it loses focus, and when the
// number changes from outside while the user is not editing. A rewrite the field makes by itself
// never writes the number back, so merely showing a field never changes a stored value.
//
// A point or comma is read as people type it (see IcuLocale::plainDecimal): "1,5" is 1.5 in
// English. A text that can't be read as one number ("1.2.3", "1,23,4") is kept as typed, the
// number is none and the field is not readable() until the user mends it: it is never rewritten
// into another number nor emptied when the field loses focus.
class NumericFieldLogic {
public:
    // `fixedFraction`: amounts of money show all `fractionDigits` places ("3.10", not "3.1").
    explicit NumericFieldLogic(int fractionDigits = 2, std::optional<double> value = std::nullopt,
                               const QLocale& locale = QLocale(), bool fixedFraction = false)
        : m_fractionDigits(fractionDigits < 0 ? 0 : fractionDigits), m_value(value), m_locale(locale),
          m_fixedFraction(fixedFraction)
    {
    }

    // Keeps the decimal digits (of any script), the locale's decimal separator, points and
    // commas; drops everything else: signs, blanks, letters, and numeric signs that are no
    // digits, such as superscripts and fractions.
    static QString sanitize(const QString& text, const QLocale& locale);
    // The number in the locale's digits and decimal separator, without grouping, rounded
    // half-to-even to at most `fractionDigits` places, trailing zeros and a bare separator left
    // out (unless `fixedFraction`, which shows every place). None gives "". A value that is not
    // finite shows as "".
    static QString displayText(std::optional<double> value, int fractionDigits, const QLocale& locale,
                               bool fixedFraction = false);
    // The number the text means as IcuLocale::plainDecimal reads it, with at least one digit
    // ("12", "12,5", ",5", "5," and "1.234,5" in German). Anything else, and a number too large
    // for a double, is none.
    static std::optional<double> parse(const QString& text, const QLocale& locale);

    int fractionDigits() const { return m_fractionDigits; }
    const QLocale& locale() const { return m_locale; }
    const QString& text() const { return m_text; }
    std::optional<double> value() const { return m_value; }
    bool focused() const { return m_focused; }
    bool fixedFraction() const { return m_fixedFraction; }
    // False while the text holds something that is no number (the empty text is readable).
    bool readable() const { return m_text.isEmpty() || parse(m_text, m_locale).has_value(); }

    // Outcome of an event: what the widget must write.
    struct Update {
        std::optional<QString> text;    // new text for the field, when it changes
        bool valueChanged = false;      // the bound number changed (read value())
    };

    // The user changed the text.
    Update textEdited(const QString& newText);
    // The field gained or lost the keyboard focus.
    Update focusChanged(bool focused);
    // The bound number changed from outside.
    Update valueChanged(std::optional<double> newValue);
    // The field appears: the text shows the current number.
    Update appeared();

private:
    Update rewrite(std::optional<double> value);

    int m_fractionDigits;
    QString m_text;
    std::optional<double> m_value;
    QLocale m_locale;
    bool m_fixedFraction = false;
    bool m_focused = false;
};
