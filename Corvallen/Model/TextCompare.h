#pragma once

#include <QList>
#include <QLocale>
#include <QString>

#include <functional>
#include <vector>

// Text comparisons that follow the user's locale (ICU collation through QCollator).
namespace TextCompare {
// Case-insensitive comparison in the current locale; 0 when the texts are the same.
int localizedCaseInsensitiveCompare(const QString& a, const QString& b);
bool localizedCaseInsensitiveEqual(const QString& a, const QString& b);
// The order a file browser uses for names: case-insensitive, numbers by value.
int localizedStandardCompare(const QString& a, const QString& b);

// The positions of `texts` in the order of localizedCaseInsensitiveCompare under `locale`
// (equal texts keep their order), for long lists: each text is turned into a collation key once
// instead of being compared again and again. Touches nothing shared, so it runs on any thread.
std::vector<qsizetype> caseInsensitiveOrder(const QList<QString>& texts, const QLocale& locale = QLocale());
// The same for `count` texts read through `text` (0 to count - 1), so a long list need not be
// copied into a list of texts first. At most `keyedRun` collation keys are held at once: longer
// lists are sorted in runs of that length, which are then merged.
std::vector<qsizetype> caseInsensitiveOrder(qsizetype count, const std::function<const QString&(qsizetype)>& text,
                                            const QLocale& locale = QLocale(), qsizetype keyedRun = qsizetype(1) << 17);

// A text lower-cased for the case-insensitive substring searches of the lists (inventory,
// library, documents): Unicode's lower case in every locale, except that the Turkish capital
// dotted İ lowers to a plain i (Unicode's mapping gives i and a combining dot, which no typed
// "i" matches) and the dotless ı counts as i. So "diyot" finds "DİYOT" and "ILIK" finds "ılık",
// whatever the locale. Apply it to both the query and the searched text.
QString searchLowered(const QString& text);
}  // namespace TextCompare
