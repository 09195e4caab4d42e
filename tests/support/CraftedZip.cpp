#include "support/CraftedZip.h"

#include <QtEndian>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include <zlib.h>

namespace corvallen::test {

namespace {

void le16(QByteArray& out, quint16 v)
{
    const quint16 x = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&x), 2);
}
void le32(QByteArray& out, quint32 v)
{
    const quint32 x = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&x), 4);
}
void le64(QByteArray& out, quint64 v)
{
    const quint64 x = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&x), 8);
}

// Hands an entry's content to `sink` in pieces of about a megabyte.
void forEachPiece(const RawEntry& e, const std::function<void(const QByteArray&)>& sink)
{
    if (!e.data.isEmpty())
        sink(e.data);
    if (e.generated) {
        QByteArray block;
        for (qint64 i = 0; i < e.times; ++i) {
            block += e.generated(i);
            if (block.size() >= (1 << 20)) {
                sink(block);
                block.clear();
            }
        }
        if (!block.isEmpty())
            sink(block);
    } else if (!e.repeated.isEmpty() && e.times > 0) {
        const qint64 perBlock = std::max<qint64>(1, (qint64(1) << 20) / e.repeated.size());
        const QByteArray block = e.repeated.repeated(qsizetype(std::min(perBlock, e.times)));
        qint64 left = e.times;
        while (left >= perBlock) {
            sink(block);
            left -= perBlock;
        }
        if (left > 0)
            sink(e.repeated.repeated(qsizetype(left)));
    }
    if (!e.tail.isEmpty())
        sink(e.tail);
}

struct Content {
    quint32 crc = 0;
    quint64 size = 0;
    QByteArray stored;
};

// The entry's CRC and size, and its data as stored: raw deflate (no zlib header), as ZIP
// keeps it, or the bytes themselves.
Content contentOf(const RawEntry& e)
{
    Content c;
    uLong crc = crc32(0L, Z_NULL, 0);
    z_stream z{};
    if (e.deflate && deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    auto pump = [&](const char* p, qsizetype n, int flush) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(p));
        z.avail_in = uInt(n);
        do {
            z.next_out = reinterpret_cast<Bytef*>(chunk.data());
            z.avail_out = uInt(chunk.size());
            deflate(&z, flush);
            c.stored.append(chunk.constData(), chunk.size() - qsizetype(z.avail_out));
        } while (z.avail_out == 0);
    };
    forEachPiece(e, [&](const QByteArray& piece) {
        crc = crc32(crc, reinterpret_cast<const Bytef*>(piece.constData()), uInt(piece.size()));
        c.size += quint64(piece.size());
        if (e.deflate)
            pump(piece.constData(), piece.size(), Z_NO_FLUSH);
        else
            c.stored.append(piece);
    });
    if (e.deflate) {
        pump(nullptr, 0, Z_FINISH);
        deflateEnd(&z);
    }
    c.crc = quint32(crc);
    return c;
}

}  // namespace

QByteArray rawZip(const QList<RawEntry>& entries)
{
    struct Written {
        quint32 offset;
        Content content;
    };
    QList<Written> written;
    QByteArray out;
    QByteArray central;
    for (const RawEntry& e : entries) {
        const bool shared = e.sameDataAs >= 0 && e.sameDataAs < written.size();
        const Content content = shared ? written[e.sameDataAs].content : contentOf(e);
        const QByteArray& stored = content.stored;
        const quint32 crc = e.declaredCrc.value_or(content.crc);
        const quint32 size = quint32(std::min<quint64>(content.size, 0xFFFFFFFEu));
        const quint32 offset = shared ? written[e.sameDataAs].offset : quint32(out.size());
        const quint16 method = e.deflate ? 8 : 0;
        if (!shared) {
            out.append("PK\x03\x04", 4);
            le16(out, 20);
            le16(out, 0x0800);
            le16(out, method);
            le16(out, 0);
            le16(out, 0x21);
            le32(out, crc);
            le32(out, quint32(stored.size()));
            le32(out, size);
            le16(out, quint16(e.name.size()));
            le16(out, 0);
            out.append(e.name);
            out.append(stored);
        }
        written.append({offset, content});

        QByteArray extra;
        if (e.declaredSize) {
            le16(extra, 0x0001);
            le16(extra, 8);
            le64(extra, *e.declaredSize);
        }
        central.append("PK\x01\x02", 4);
        le16(central, (3 << 8) | 45);
        le16(central, e.declaredSize ? 45 : 20);
        le16(central, 0x0800);
        le16(central, method);
        le16(central, 0);
        le16(central, 0x21);
        le32(central, crc);
        le32(central, quint32(stored.size()));
        le32(central, e.declaredSize ? 0xFFFFFFFFu : size);
        le16(central, quint16(e.name.size()));
        le16(central, quint16(extra.size()));
        le16(central, 0);
        le16(central, 0);
        le16(central, 0);
        le32(central, e.externalAttributes);
        le32(central, offset);
        central.append(e.name);
        central.append(extra);
    }
    const quint32 cdOffset = quint32(out.size());
    out.append(central);
    out.append("PK\x05\x06", 4);
    le16(out, 0);
    le16(out, 0);
    le16(out, quint16(entries.size()));
    le16(out, quint16(entries.size()));
    le32(out, quint32(central.size()));
    le32(out, cdOffset);
    le16(out, 0);
    return out;
}

quint32 crc32Of(const QByteArray& bytes)
{
    return quint32(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
}

}  // namespace corvallen::test
