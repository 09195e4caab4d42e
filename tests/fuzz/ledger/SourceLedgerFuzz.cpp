// The file a sync location's syncs keep about its files: whatever the file holds, reading it
// never crashes or converts a number out of range, every entry read is one a sync may trust,
// and what is written back reads back the same.
#include "Corvallen/Sync/SourceLedger.h"
#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::isolate();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString id = QStringLiteral("fuzz-location");
    const QString path = SourceLedger::fileFor(id);
    QDir().mkpath(QFileInfo(path).absolutePath());
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            fuzz::fail("the ledger file can be written", path);
        f.write(fuzz::bytes(data, size));
    }
    const SourceLedger first = SourceLedger::load(id);
    const auto entries = first.entries();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->size < 0 || (!it->unreadable && it->hash.isEmpty()))
            fuzz::fail("only complete entries are read", it.key());
    }
    // Texts that aren't valid UTF-16 (a lone surrogate) can't be written as UTF-8: they come back
    // with a replacement character, and such a file is only looked at again.
    const auto writable = [](const QString& s) { return QString::fromUtf8(s.toUtf8()) == s; };
    for (auto it = entries.begin(); it != entries.end(); ++it)
        if (!writable(it.key()) || !writable(it->hash))
            return 0;
    first.save();
    const auto again = SourceLedger::load(id).entries();
    if (again.size() != entries.size())
        fuzz::fail("a saved ledger reads back whole", QString::number(entries.size()) + QStringLiteral(" then ") + QString::number(again.size()));
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        const SourceLedger::Entry back = again.value(it.key());
        if (back.size != it->size || back.modified != it->modified || back.hash != it->hash || back.unreadable != it->unreadable)
            fuzz::fail("a saved entry reads back the same", it.key());
    }
    return 0;
}
