#include "Corvallen/Model/TextCompare.h"

#include <QCollator>
#include <QLocale>

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
}  // namespace

int localizedCaseInsensitiveCompare(const QString& a, const QString& b) { return collator(false).compare(a, b); }

bool localizedCaseInsensitiveEqual(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    return collator(false).compare(a, b) == 0;
}

int localizedStandardCompare(const QString& a, const QString& b) { return collator(true).compare(a, b); }

}  // namespace TextCompare
