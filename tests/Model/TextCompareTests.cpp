#include "Corvallen/Model/TextCompare.h"

#include <QCollator>

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

// A long list is sorted in runs, each by its own collation keys, and the runs merged by
// comparison: whatever the run length, the order is that of one stable sort by comparison in
// the locale, equal texts (here differing only in case) keeping their places.
TEST(TextCompare, OrderInRunsIsTheOrderOfOneSort)
{
    const QStringList words{"Äpfel", "apple", "APPLE", "Banana", "zebra", "Zander", "øre", "Ørsted", "ab 10", "AB 9", "_spare", "µC", "10k", "ärger", "Ærø"};
    QList<QString> texts;
    for (int i = 0; i < 600; ++i)
        texts.append(words[(i * 7) % words.size()] + (i % 3 == 0 ? QString() : QString::number(i % 11)));
    for (const char* name : {"de_DE", "sv_SE", "ja_JP", "en_GB"}) {
        SCOPED_TRACE(name);
        const QLocale locale{QString::fromLatin1(name)};
        QCollator collator(locale);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::vector<qsizetype> expected(size_t(texts.size()));
        std::iota(expected.begin(), expected.end(), 0);
        std::stable_sort(expected.begin(), expected.end(), [&](qsizetype a, qsizetype b) { return collator.compare(texts[a], texts[b]) < 0; });
        const auto text = [&texts](qsizetype i) -> const QString& { return texts[i]; };
        for (qsizetype run : {qsizetype(1), qsizetype(7), qsizetype(64), qsizetype(599), qsizetype(1) << 17})
            EXPECT_EQ(TextCompare::caseInsensitiveOrder(texts.size(), text, locale, run), expected) << "runs of " << run;
        EXPECT_EQ(TextCompare::caseInsensitiveOrder(texts, locale), expected);
    }
}
