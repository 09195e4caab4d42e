#pragma once

#include <QString>
#include <QTextDocument>

// Buttons, menu items, check boxes, group box titles, tab titles and labels with a buddy take a
// single "&" as the mark of a keyboard mnemonic: "Tax & currency" would show as "Tax _currency"
// and "R&D" as "RD" with the D underlined. Texts that must show as written (names the user
// typed, titles that hold "&") go through this first.
inline QString literalText(QString text)
{
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    return text;
}

// Tooltips guess their format: a name such as "<b>Amp</b>" or "<img src=...>" would be drawn as
// markup (and a picture loaded from disk). A text the user typed goes through this first, so it
// shows as written; text that doesn't look like markup is returned as it is.
inline QString plainToolTip(const QString& text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}
