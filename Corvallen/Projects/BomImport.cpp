#include "Corvallen/Projects/BomImport.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TextTrim.h"
#include "Corvallen/Projects/StockAllocation.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <algorithm>
#include <limits>
#include <utility>

namespace BomImport {

namespace {

// Windows-1252 code points for the bytes 0x80..0x9F; the rest of the range is Latin-1.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* o = out.data();
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *o++ = QChar(b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return out;
}

// How the bytes of a file are to be read, and where its text begins (after its byte-order marks).
struct Encoding {
    enum Kind { utf8, utf16le, utf16be, windows1252 } kind = utf8;
    qsizetype start = 0;
};

// Sound UTF-16: an even number of bytes and every surrogate with its partner. Anything else is
// a decoding failure: the bytes are read another way instead of importing replacement
// characters.
bool isSoundUtf16(QByteArrayView bytes, bool littleEndian)
{
    if (bytes.size() % 2 != 0)
        return false;
    const auto* in = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype n = bytes.size() / 2;
    auto unit = [&](qsizetype i) {
        return char16_t(littleEndian ? (in[2 * i + 1] << 8 | in[2 * i]) : (in[2 * i] << 8 | in[2 * i + 1]));
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = unit(i);
        if (QChar::isHighSurrogate(u)) {
            if (i + 1 >= n || !QChar::isLowSurrogate(unit(i + 1)))
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(u)) {
            return false;
        }
    }
    return true;
}

// Byte-order marks are skipped in place, however many there are: a file made of thousands of
// them costs neither copies nor recursion.
Encoding detectEncoding(QByteArrayView bytes)
{
    Encoding e;
    while (bytes.size() - e.start >= 3 && bytes.sliced(e.start, 3) == QByteArrayView("\xEF\xBB\xBF"))
        e.start += 3;
    const QByteArrayView rest = bytes.sliced(e.start);
    const bool le = rest.startsWith("\xFF\xFE");
    if (le || rest.startsWith("\xFE\xFF")) {
        const QByteArrayView mark = le ? QByteArrayView("\xFF\xFE") : QByteArrayView("\xFE\xFF");
        qsizetype start = e.start;
        while (bytes.size() - start >= 2 && bytes.sliced(start, 2) == mark)
            start += 2;
        if (isSoundUtf16(bytes.sliced(start), le)) {
            e.kind = le ? Encoding::utf16le : Encoding::utf16be;
            e.start = start;
            return e;
        }
    }
    e.kind = rest.isValidUtf8() ? Encoding::utf8 : Encoding::windows1252;
    return e;
}

// Turns the bytes into text a slice at a time, so that a long file is never held twice.
class ChunkDecoder {
public:
    ChunkDecoder(QByteArrayView bytes, Encoding encoding)
        : m_bytes(bytes.sliced(encoding.start)), m_kind(encoding.kind),
          m_decoder(encoding.kind == Encoding::utf16le   ? QStringConverter::Utf16LE
                    : encoding.kind == Encoding::utf16be ? QStringConverter::Utf16BE
                                                         : QStringConverter::Utf8)
    {
    }

    // The next slice of text; call while position() < size().
    QString next()
    {
        constexpr qsizetype slice = 256 * 1024;
        const QByteArrayView part = m_bytes.sliced(m_pos, std::min(slice, m_bytes.size() - m_pos));
        m_pos += part.size();
        if (m_kind == Encoding::windows1252)
            return fromWindows1252(part);
        // The decoder keeps a character split across two slices for the next one.
        return m_decoder.decode(part);
    }

    qsizetype position() const { return m_pos; }
    qsizetype size() const { return m_bytes.size(); }

private:
    QByteArrayView m_bytes;
    Encoding::Kind m_kind;
    QStringDecoder m_decoder;
    qsizetype m_pos = 0;
};

// Splits CSV text into cells as slices of it arrive, handing each cell to the sink as it ends
// and telling it where each row ends: no row is held whole, so a line of millions of cells costs
// no more than its longest cell. A double quote at the start of a cell (blanks before it allowed)
// opens a quoted part, in which commas, line breaks and doubled quotes are text; a quote anywhere
// else is an ordinary character. A carriage return outside quotes is dropped, so CR LF ends a row
// as LF does. Cells are cut at maxCellLength.
class CsvTokenizer {
public:
    class Sink {
    public:
        // The cell at `column` (0 for a row's first) of the current row; the sink may take it.
        // `pieces` counts its runs of characters between commas, spaces and semicolons, over
        // the whole cell as read, even when it was cut.
        virtual void cell(qsizetype column, QString& text, qint64 pieces) = 0;
        virtual void endRow() = 0;

    protected:
        ~Sink() = default;
    };

    explicit CsvTokenizer(Sink& sink) : m_sink(sink) {}

    void feed(QStringView text)
    {
        for (const QChar c : text) {
            if (!m_nonBlank && !isSpaceOrNewline(c))
                m_nonBlank = true;
            if (m_quoteInQuotes) {
                m_quoteInQuotes = false;
                if (c == u'"') {
                    append(c);  // a doubled quote inside quotes
                    continue;
                }
                m_inQuotes = false;  // that quote closed the quoted part; c is read normally
            }
            if (m_inQuotes) {
                if (c == u'"')
                    m_quoteInQuotes = true;
                else
                    append(c);
                continue;
            }
            if (c == u'"' && m_atStart) {
                m_inQuotes = true;
                m_atStart = false;
            } else if (c == u',') {
                endCell();
            } else if (c == u'\r') {
                // CR LF line ends read like LF ones.
            } else if (c == u'\n') {
                endCell();
                endRow();
            } else {
                if (c != u' ' && c != u'\t')
                    m_atStart = false;
                append(c);
            }
        }
    }

    // The end of the text: a last line without its line feed still counts, an empty one does not.
    void finish()
    {
        m_quoteInQuotes = false;
        m_inQuotes = false;
        if (!(m_cell.isEmpty() && m_column == 0 && !m_cut)) {
            endCell();
            endRow();
        }
    }

    // Whether the text held anything but white space and line breaks.
    bool sawText() const { return m_nonBlank; }

private:
    void append(QChar c)
    {
        const bool separator = c == u',' || c == u' ' || c == u';';
        if (!separator && !m_inPiece)
            ++m_pieces;
        m_inPiece = !separator;
        if (m_cell.size() < maxCellLength)
            m_cell.append(c);
        else
            m_cut = true;
    }

    void endCell()
    {
        if (m_cut) {
            qsizetype keep = maxCellLength - 1;
            if (m_cell.at(keep - 1).isHighSurrogate())
                --keep;  // never half a character
            m_cell.truncate(keep);
            m_cell.append(QChar(0x2026));
        }
        m_sink.cell(m_column++, m_cell, m_pieces);
        m_cell.resize(0);  // keeps its buffer for the next cell unless the sink took it
        m_cut = false;
        m_pieces = 0;
        m_inPiece = false;
        m_atStart = true;
    }

    void endRow()
    {
        m_sink.endRow();
        m_column = 0;
    }

    Sink& m_sink;
    QString m_cell;
    qsizetype m_column = 0;
    qint64 m_pieces = 0;
    bool m_inPiece = false;
    bool m_cut = false;
    bool m_inQuotes = false;
    bool m_quoteInQuotes = false;
    bool m_atStart = true;
    bool m_nonBlank = false;
};

// Merged quantities stop at what a parts-list line can hold, so the preview shows exactly what
// the import will allocate.
qint64 cappedSum(qint64 a, qint64 b)
{
    qint64 out = 0;
    if (__builtin_add_overflow(a, b, &out))
        return StockAllocation::maxLineQuantity;  // quantities are positive
    return std::min(out, StockAllocation::maxLineQuantity);
}

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// The first number in a cell, rounded up when it has a fraction: its digits may be grouped by
// commas in threes ("1,000"), and a point or another comma before further digits starts the
// fraction. Signs and everything around the number are ignored. None without an ASCII digit or
// when the number does not fit 64 bits.
std::optional<qint64> firstNumber(const QString& text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && !isAsciiDigit(text.at(i)))
        ++i;
    if (i == n)
        return std::nullopt;
    qint64 value = 0;
    auto addDigit = [&value](QChar c) { return !__builtin_mul_overflow(value, 10, &value) && !__builtin_add_overflow(value, c.unicode() - u'0', &value); };
    while (i < n) {
        if (isAsciiDigit(text.at(i))) {
            if (!addDigit(text.at(i)))
                return std::nullopt;
            ++i;
        } else if (text.at(i) == u',' && i + 3 < n && isAsciiDigit(text.at(i + 1)) && isAsciiDigit(text.at(i + 2))
                   && isAsciiDigit(text.at(i + 3)) && (i + 4 == n || !isAsciiDigit(text.at(i + 4)))) {
            ++i;  // a thousands separator inside the number
        } else {
            break;
        }
    }
    if (i + 1 < n && (text.at(i) == u'.' || text.at(i) == u',') && isAsciiDigit(text.at(i + 1))) {
        bool fraction = false;
        for (++i; i < n && isAsciiDigit(text.at(i)); ++i)
            fraction = fraction || text.at(i) != u'0';
        if (fraction && __builtin_add_overflow(value, 1, &value))
            return std::nullopt;
    }
    return value;
}

// How many references a text names: its runs of characters between commas, spaces and
// semicolons ("R1, R2;R3" 3, "R1-R4" 1).
qint64 referenceCount(const QString& references)
{
    qint64 count = 0;
    bool inPiece = false;
    for (const QChar c : references) {
        const bool separator = c == u',' || c == u' ' || c == u';';
        if (!separator && !inPiece)
            ++count;
        inPiece = !separator;
    }
    return count;
}

// The quantity of a row from its "qty" text and its number of references (0 when absent).
qint64 quantityOf(const QString& qty, qint64 references)
{
    if (!qty.isEmpty()) {
        if (const std::optional<qint64> n = firstNumber(qty); n && *n > 0)
            return *n;
    }
    return references > 0 ? references : 1;
}

// Turns cells into parts: the first row names the columns, every later one that names a part
// becomes a Row. Only the columns whose names mean something to an import are kept, and of a
// row only their cells: the rest are dropped as they arrive.
class RowAssembler : public CsvTokenizer::Sink {
public:
    explicit RowAssembler(const RowSink& sink) : m_sink(sink) {}

    void cell(qsizetype column, QString& text, qint64 pieces) override
    {
        if (!m_headerRead) {
            const int key = fieldOfKey(headerKey(text));
            if (key >= 0) {
                if (m_fieldOfColumn.size() <= column)
                    m_fieldOfColumn.resize(column + 1, -1);
                m_fieldOfColumn[column] = qint8(key);
            }
            return;
        }
        if (column >= m_fieldOfColumn.size() || m_fieldOfColumn.at(column) < 0)
            return;
        QString value = trimHorizontalSpace(text);
        // Of two columns of the same meaning the later one with a value counts.
        if (value.isEmpty())
            return;
        const qint8 field = m_fieldOfColumn.at(column);
        // References are counted over the whole cell: a list of thousands of them is cut for
        // keeping, but every one of them is a piece to allocate.
        if (field == references)
            m_referenceCount = text.size() >= maxCellLength ? pieces : referenceCount(value);
        m_values[field] = std::move(value);
    }

    void endRow() override
    {
        if (!m_headerRead) {
            m_headerRead = true;
            return;
        }
        m_anyRecord = true;
        Row row;
        row.name = take(name);
        if (row.name.isEmpty())
            row.name = m_values[partNumber];
        auto optional = [this](Field f) { return m_values[f].isEmpty() ? std::nullopt : std::optional<QString>(take(f)); };
        row.partNumber = optional(partNumber);
        row.manufacturer = optional(manufacturer);
        row.category = optional(category);
        take(references);
        row.quantity = quantityOf(take(qty), std::exchange(m_referenceCount, 0));
        if (row.name.isEmpty())
            return;
        m_anyRow = true;
        m_sink(std::move(row));
    }

    // Throws the failure of a text that held no parts.
    void finish(bool sawText) const
    {
        if (!sawText)
            throw ImportError(ImportError::Kind::empty);
        if (!m_anyRecord || !m_anyRow)
            throw ImportError(ImportError::Kind::noRows);
    }

private:
    enum Field { name, partNumber, qty, references, manufacturer, category, fieldCount };

    static int fieldOfKey(const QString& key)
    {
        static const QString keys[fieldCount] = {QStringLiteral("name"),       QStringLiteral("part_number"),
                                                 QStringLiteral("qty"),        QStringLiteral("references"),
                                                 QStringLiteral("manufacturer"), QStringLiteral("category")};
        for (int f = 0; f < fieldCount; ++f) {
            if (key == keys[f])
                return f;
        }
        return -1;
    }

    QString take(Field f) { return std::exchange(m_values[f], QString()); }

    const RowSink& m_sink;
    QList<qint8> m_fieldOfColumn;  // the field each column fills, -1 for none
    QString m_values[fieldCount];
    qint64 m_referenceCount = 0;
    bool m_headerRead = false;
    bool m_anyRecord = false;
    bool m_anyRow = false;
};

}  // namespace

QString ImportError::description() const
{
    switch (m_kind) {
    case Kind::empty:
        return QCoreApplication::translate("BomImport", "That file is empty.");
    case Kind::noRows:
        return QCoreApplication::translate(
            "BomImport",
            "No parts found — the file needs a header row (e.g. Part, Qty) and at least one part below it.");
    case Kind::tooLarge:
        return QCoreApplication::translate("BomImport",
                                           "That file is too large to be a bill of materials (more than 32 MB).");
    }
    return {};
}

QString decode(const QByteArray& bytes)
{
    const Encoding encoding = detectEncoding(bytes);
    const QByteArrayView text = QByteArrayView(bytes).sliced(encoding.start);
    switch (encoding.kind) {
    case Encoding::utf8:
        return QString::fromUtf8(text);
    case Encoding::windows1252:
        return fromWindows1252(text);
    case Encoding::utf16le:
    case Encoding::utf16be:
        return QStringDecoder(encoding.kind == Encoding::utf16le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE)
            .decode(text);
    }
    return {};
}

const QHash<QString, QString>& headerAliases()
{
    static const QHash<QString, QString> table = {
        {QStringLiteral("part_name"), QStringLiteral("name")},
        {QStringLiteral("value"), QStringLiteral("name")},
        {QStringLiteral("component"), QStringLiteral("name")},
        {QStringLiteral("description"), QStringLiteral("name")},
        {QStringLiteral("comment"), QStringLiteral("name")},
        {QStringLiteral("device"), QStringLiteral("name")},
        {QStringLiteral("item"), QStringLiteral("name")},
        {QStringLiteral("part"), QStringLiteral("part_number")},
        {QStringLiteral("part_no"), QStringLiteral("part_number")},
        {QStringLiteral("partno"), QStringLiteral("part_number")},
        {QStringLiteral("part#"), QStringLiteral("part_number")},
        {QStringLiteral("mpn"), QStringLiteral("part_number")},
        {QStringLiteral("manufacturer_part_number"), QStringLiteral("part_number")},
        {QStringLiteral("mfr_part_number"), QStringLiteral("part_number")},
        {QStringLiteral("mfg_part"), QStringLiteral("part_number")},
        {QStringLiteral("mfg_part_number"), QStringLiteral("part_number")},
        {QStringLiteral("quantity"), QStringLiteral("qty")},
        {QStringLiteral("qnty"), QStringLiteral("qty")},
        {QStringLiteral("count"), QStringLiteral("qty")},
        {QStringLiteral("amount"), QStringLiteral("qty")},
        {QStringLiteral("reference"), QStringLiteral("references")},
        {QStringLiteral("refdes"), QStringLiteral("references")},
        {QStringLiteral("designator"), QStringLiteral("references")},
        {QStringLiteral("designators"), QStringLiteral("references")},
        {QStringLiteral("ref"), QStringLiteral("references")},
        {QStringLiteral("refs"), QStringLiteral("references")},
        {QStringLiteral("manufacturer"), QStringLiteral("manufacturer")},
        {QStringLiteral("mfr"), QStringLiteral("manufacturer")},
        {QStringLiteral("mfg"), QStringLiteral("manufacturer")},
        {QStringLiteral("maker"), QStringLiteral("manufacturer")},
        {QStringLiteral("brand"), QStringLiteral("manufacturer")},
        {QStringLiteral("type"), QStringLiteral("category")},
    };
    return table;
}

QString headerKey(const QString& cell)
{
    QString key = trimHorizontalSpace(cell).toLower();
    key.replace(QChar(u' '), QChar(u'_'));
    return headerAliases().value(key, key);
}

QList<QStringList> tokenize(const QString& text)
{
    struct Collect : CsvTokenizer::Sink {
        QList<QStringList> rows;
        QStringList row;
        void cell(qsizetype, QString& text, qint64) override { row.append(text); }
        void endRow() override { rows.append(std::exchange(row, QStringList())); }
    } collect;
    CsvTokenizer tokenizer(collect);
    tokenizer.feed(text);
    tokenizer.finish();
    return collect.rows;
}

qint64 quantity(const QHash<QString, QString>& fields)
{
    return quantityOf(fields.value(QStringLiteral("qty")), referenceCount(fields.value(QStringLiteral("references"))));
}

bool readRows(const QByteArray& bytes, const RowSink& sink, const ReadProgress& progress)
{
    if (bytes.size() > maxFileBytes)
        throw ImportError(ImportError::Kind::tooLarge);
    ChunkDecoder decoder(bytes, detectEncoding(bytes));
    RowAssembler assembler(sink);
    CsvTokenizer tokenizer(assembler);
    while (decoder.position() < decoder.size()) {
        tokenizer.feed(decoder.next());
        if (progress && !progress(decoder.position(), decoder.size()))
            return false;
    }
    tokenizer.finish();
    assembler.finish(tokenizer.sawText());
    return true;
}

QList<Row> parse(const QByteArray& bytes)
{
    QList<Row> rows;
    readRows(bytes, [&rows](Row&& row) { rows.append(std::move(row)); });
    return rows;
}

MatchList::MatchList(const QList<Match>& matches)
{
    for (const Match& m : matches)
        append(m.name, m.partNumber, m.manufacturer, m.category, m.quantity, m.existing, m.id);
}

std::optional<QString> MatchList::sharedText(qint32 index) const
{
    if (index < 0)
        return std::nullopt;
    return m_shared.at(index);
}

qint32 MatchList::share(const std::optional<QString>& text)
{
    if (!text)
        return -1;
    const auto it = m_sharedIndex.constFind(*text);
    if (it != m_sharedIndex.constEnd())
        return *it;
    const auto index = qint32(m_shared.size());
    m_shared.append(*text);
    m_sharedIndex.insert(*text, index);
    return index;
}

void MatchList::append(const QString& name, const std::optional<QString>& partNumber, const std::optional<QString>& manufacturer,
                       const std::optional<QString>& category, qint64 quantity, Component* existing, const QUuid& id)
{
    Record r;
    r.quantity = quantity;
    r.existing = existing;
    r.nameAt = quint32(m_text.size());
    const QByteArray nameText = name.toUtf8();
    r.nameLength = qint32(nameText.size());
    m_text.append(nameText);
    if (partNumber) {
        const QByteArray partNumberText = partNumber->toUtf8();
        r.partNumberLength = qint32(partNumberText.size());
        m_text.append(partNumberText);
    }
    r.manufacturer = share(manufacturer);
    r.category = share(category);
    if (!id.isNull()) {
        m_ids.resize(m_records.size());
        m_ids.append(id);
    }
    m_records.append(r);
}

QString MatchList::name(qsizetype i) const
{
    const Record& r = m_records.at(i);
    return QString::fromUtf8(QByteArrayView(m_text).sliced(r.nameAt, r.nameLength));
}

std::optional<QString> MatchList::partNumber(qsizetype i) const
{
    const Record& r = m_records.at(i);
    if (r.partNumberLength < 0)
        return std::nullopt;
    return QString::fromUtf8(QByteArrayView(m_text).sliced(qsizetype(r.nameAt) + r.nameLength, r.partNumberLength));
}

std::optional<QString> MatchList::manufacturer(qsizetype i) const { return sharedText(m_records.at(i).manufacturer); }

Match MatchList::at(qsizetype i) const
{
    const Record& r = m_records.at(i);
    Match m;
    if (i < m_ids.size() && !m_ids.at(i).isNull()) {
        m.id = m_ids.at(i);
    } else {
        // A fresh base for the list, told apart by the index: unique within the list.
        QUuid id = m_idBase;
        id.data1 ^= quint32(i);
        id.data2 ^= quint16(quint64(i) >> 32);
        m.id = id;
    }
    m.name = name(i);
    m.partNumber = partNumber(i);
    m.manufacturer = sharedText(r.manufacturer);
    m.category = sharedText(r.category);
    m.quantity = r.quantity;
    m.existing = r.existing;
    return m;
}

QList<Match> MatchList::toList() const
{
    QList<Match> out;
    out.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        out.append(at(i));
    return out;
}

Matcher::Matcher(const QList<Component*>& inventory)
{
    m_known.reserve(inventory.size());
    for (Component* c : inventory) {
        if (!c || c->isDeleted())
            continue;
        const qsizetype index = m_known.size();
        m_known.append(Known{c, c->name(), c->partNumber(), c->manufacturer(), c->category()});
        if (const auto pn = c->partNumber()) {
            const QString key = pn->toLower();
            if (!key.isEmpty())
                m_byPartNumber.insert(key, index);
        }
        m_byName.insert(c->name().toLower(), index);
    }
}

void Matcher::add(const Row& row)
{
    std::optional<qsizetype> hit;
    if (row.partNumber && !m_byPartNumber.isEmpty()) {
        const QString key = row.partNumber->toLower();
        if (!key.isEmpty()) {
            if (const auto it = m_byPartNumber.constFind(key); it != m_byPartNumber.constEnd())
                hit = *it;
        }
    }
    if (!hit) {
        if (const auto it = m_byName.constFind(row.name.toLower()); it != m_byName.constEnd())
            hit = *it;
    }

    auto& records = m_matches.m_records;
    if (hit) {
        if (const auto it = m_resolvedGroups.constFind(*hit); it != m_resolvedGroups.constEnd()) {
            records[*it].quantity = cappedSum(records[*it].quantity, row.quantity);
            return;
        }
        const Known& known = m_known.at(*hit);
        m_resolvedGroups.insert(*hit, m_matches.size());
        m_matches.append(known.name, row.partNumber ? row.partNumber : known.partNumber,
                         row.manufacturer ? row.manufacturer : known.manufacturer,
                         row.category ? row.category : known.category,
                         std::min(row.quantity, StockAllocation::maxLineQuantity), known.component, QUuid());
        return;
    }

    // Both texts count: "a|b" without a part number and "a" with "b" are different parts.
    const QString name = row.name.toLower();
    const QString partNumber = row.partNumber.value_or(QString()).toLower();
    const size_t key = qHashMulti(0, name, partNumber);
    const auto first = m_newGroups.constFind(key);
    qint32 last = -1;
    for (qint32 i = first == m_newGroups.constEnd() ? -1 : *first; i >= 0; i = records.at(i).nextSameKey) {
        last = i;
        if (m_matches.name(i).toLower() == name && m_matches.partNumber(i).value_or(QString()).toLower() == partNumber) {
            records[i].quantity = cappedSum(records[i].quantity, row.quantity);
            return;
        }
    }
    const auto index = qint32(m_matches.size());
    if (last >= 0)
        records[last].nextSameKey = index;
    else
        m_newGroups.insert(key, index);
    m_matches.append(row.name, row.partNumber, row.manufacturer, row.category,
                     std::min(row.quantity, StockAllocation::maxLineQuantity), nullptr, QUuid());
}

QList<Match> match(const QList<Row>& rows, const QList<Component*>& inventory)
{
    Matcher matcher(inventory);
    for (const Row& row : rows)
        matcher.add(row);
    return matcher.takeMatches().toList();
}

}  // namespace BomImport
