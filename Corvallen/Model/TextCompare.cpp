#include "Corvallen/Model/TextCompare.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>

namespace TextCompare {

namespace {
// Collators are costly to make; one per thread, remade when the default locale changes.
QCollator& collator(bool numeric)
{
    thread_local QCollator plain;
    thread_local QCollator standard;
    thread_local QString localeName;
    const QString current = QLocale().name();
    if (localeName != current) {
        localeName = current;
        for (QCollator* c : {&plain, &standard}) {
            *c = QCollator(QLocale());
            c->setCaseSensitivity(Qt::CaseInsensitive);
        }
        standard.setNumericMode(true);
    }
    return numeric ? standard : plain;
}

// One name typed as "é" and pasted as "e" plus a combining accent is the same name. ICU's
// collation for a language sees that, but the C and POSIX collators compare code units, so both
// sides go in composed form (a quick check that copies nothing for text already composed).
QString composed(const QString& text) { return text.normalized(QString::NormalizationForm_C); }
}  // namespace

int localizedCaseInsensitiveCompare(const QString& a, const QString& b) { return collator(false).compare(composed(a), composed(b)); }

bool localizedCaseInsensitiveEqual(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    return collator(false).compare(composed(a), composed(b)) == 0;
}

int localizedStandardCompare(const QString& a, const QString& b) { return collator(true).compare(composed(a), composed(b)); }

std::vector<qsizetype> caseInsensitiveOrder(const QList<QString>& texts, const QLocale& locale)
{
    return caseInsensitiveOrder(texts.size(), [&texts](qsizetype i) -> const QString& { return texts[i]; }, locale);
}

std::vector<qsizetype> caseInsensitiveOrder(qsizetype count, const std::function<const QString&(qsizetype)>& text,
                                            const QLocale& locale, qsizetype keyedRun)
{
    std::vector<qsizetype> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    if (locale.language() == QLocale::C) {
        // The C collator compares code units with case folded, and its keys would not fold case:
        // compare directly, which is quick without a collation table.
        QList<QString> forms;
        forms.reserve(count);
        for (qsizetype i = 0; i < count; ++i)
            forms.append(composed(text(i)));
        std::stable_sort(order.begin(), order.end(),
                         [&](qsizetype a, qsizetype b) { return collator.compare(forms[a], forms[b]) < 0; });
        return order;
    }
    // Keys cost about as much as the texts again, so a long list is sorted a run at a time with
    // the keys of that run only, and the sorted runs are merged by comparing their texts (a key
    // orders texts as a comparison does, and merging keeps equal texts in their order).
    const auto run = size_t(std::max<qsizetype>(keyedRun, 1));
    std::vector<QCollatorSortKey> keys;
    keys.reserve(std::min(order.size(), run));
    for (size_t begin = 0; begin < order.size(); begin += run) {
        const size_t end = std::min(order.size(), begin + run);
        keys.clear();
        for (size_t i = begin; i < end; ++i)
            keys.push_back(collator.sortKey(text(qsizetype(i))));
        std::stable_sort(order.begin() + qsizetype(begin), order.begin() + qsizetype(end), [&](qsizetype a, qsizetype b) {
            return keys[size_t(a) - begin].compare(keys[size_t(b) - begin]) < 0;
        });
    }
    keys = {};
    const auto before = [&](qsizetype a, qsizetype b) { return collator.compare(text(a), text(b)) < 0; };
    for (size_t width = run; width < order.size(); width *= 2) {
        for (size_t begin = 0; begin + width < order.size(); begin += 2 * width) {
            const auto first = order.begin() + qsizetype(begin);
            std::inplace_merge(first, first + qsizetype(width), order.begin() + qsizetype(std::min(order.size(), begin + 2 * width)), before);
        }
    }
    return order;
}

QString searchLowered(const QString& text)
{
    constexpr char16_t dottedCapital = 0x0130, dotless = 0x0131, combiningDot = 0x0307;
    const bool turkish = std::any_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() == dottedCapital || c.unicode() == dotless || c.unicode() == combiningDot;
    });
    if (!turkish)
        return text.toLower();
    QString plain;
    plain.reserve(text.size());
    for (QChar c : text) {
        // The dot an earlier lower-casing of İ left after its i (stored tags were lowered so).
        if (c.unicode() == combiningDot && !plain.isEmpty() && (plain.back() == u'i' || plain.back() == u'I'))
            continue;
        plain += c.unicode() == dottedCapital || c.unicode() == dotless ? QChar(u'i') : c;
    }
    return plain.toLower();
}

}  // namespace TextCompare
