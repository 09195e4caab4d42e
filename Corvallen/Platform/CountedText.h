#pragma once

#include <QString>

// A count with its noun: "1 project", "0 projects", "3 projects". Written through Qt's %n, so
// that a translation can give every plural form its language has; untranslated, the English
// form is chosen by the count. `one` and `many` hold %n where the number goes.
QString countedText(const char* context, const char* one, const char* many, qint64 count);
