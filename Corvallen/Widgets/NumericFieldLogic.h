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
class NumericFieldLogic {
public:
    explicit NumericFieldLogic(int fractionDigits = 2, std::optional<double> value = std::nullopt,
                               const QLocale& locale = QLocale())
        : m_fractionDigits(fractionDigits < 0 ? 0 : fractionDigits), m_value(value), m_locale(locale)
    {
    }

    // Keeps the decimal digits (of any script) and the first of the locale's decimal
    // separators; drops everything else: signs, blanks, grouping separators, letters, and
    // numeric signs that are no digits, such as superscripts and fractions.
    static QString sanitize(const QString& text, const QLocale& locale);
    // The number in the locale's digits and decimal separator, without grouping, rounded
    // half-to-even to at most `fractionDigits` places, trailing zeros and a bare separator left
    // out. None gives "". A value that is not finite shows as "".
    static QString displayText(std::optional<double> value, int fractionDigits, const QLocale& locale);
    // Digits with at most one decimal separator of the locale and at least one digit ("12",
    // "12,5", ",5", "5," in German). Anything else, and a number too large for a double, is none.
    static std::optional<double> parse(const QString& text, const QLocale& locale);

    int fractionDigits() const { return m_fractionDigits; }
    const QLocale& locale() const { return m_locale; }
    const QString& text() const { return m_text; }
    std::optional<double> value() const { return m_value; }
    bool focused() const { return m_focused; }

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
    bool m_focused = false;
};
