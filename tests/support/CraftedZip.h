#pragma once

#include <QByteArray>
#include <QList>

#include <functional>
#include <optional>

// Writes a ZIP by hand, entry by entry, so that tests, benchmarks and the fuzzer's seeds can
// make archives no honest writer makes: lies in the directory, entries that share their data.
namespace corvallen::test {

struct RawEntry {
    QByteArray name;
    QByteArray data;
    quint32 externalAttributes = 0100644u << 16;
    std::optional<quint64> declaredSize;  // a lie in the central directory (ZIP64 form)
    std::optional<quint32> declaredCrc;   // a CRC other than the data's
    bool deflate = false;                 // deflated (best compression) instead of stored
    // The index of an earlier entry whose local header and data this entry's directory
    // record points at, instead of data of its own (its own content then only gives the CRC and sizes).
    int sameDataAs = -1;
    // More content after `data`, made while it is written so that a test can craft an entry of
    // gigabytes in a few kilobytes of memory: `repeated` `times` times, then `tail`.
    QByteArray repeated;
    qint64 times = 0;
    QByteArray tail;
    // When set, the repeated part is this function's text for 0 .. times-1 instead.
    std::function<QByteArray(qint64)> generated;
};
QByteArray rawZip(const QList<RawEntry>& entries);

// The CRC-32 of ZIP, PNG and gzip (zlib's), for tests that craft such files.
quint32 crc32Of(const QByteArray& bytes);

}  // namespace corvallen::test
