#pragma once

#include <QString>

// Buttons, menu items, check boxes, group box titles, tab titles and labels with a buddy take a
// single "&" as the mark of a keyboard mnemonic: "Tax & currency" would show as "Tax _currency"
// and "R&D" as "RD" with the D underlined. Texts that must show as written (names the user
// typed, titles that hold "&") go through this first.
inline QString literalText(QString text)
{
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    return text;
}
