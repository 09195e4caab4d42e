#include "Corvallen/Projects/BomImport.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TextTrim.h"
#include "Corvallen/Projects/StockAllocation.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSet>
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

QChar fromWindows1252(uchar b) { return QChar(b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : char16_t(b)); }

// The length of the UTF-8 sequence a lead byte opens, 0 when it opens none.
int utf8SequenceLength(uchar b)
{
    if (b >= 0xC2 && b <= 0xDF)
        return 2;
    if (b >= 0xE0 && b <= 0xEF)
        return 3;
    if (b >= 0xF0 && b <= 0xF4)
        return 4;
    return 0;
}

// Text that is not all UTF-8: what a spreadsheet program writes (Windows-1252), or a UTF-8 file
// in which one cell was typed in another program ("120°" in UTF-8 beside a Windows-1252 no-break
// space). Every sound UTF-8 sequence reads as UTF-8, every other byte as Windows-1252, so neither
// kind of text turns into mojibake. `carry` holds an unfinished sequence at the end of a slice
// for the next one; the last slice (`last`) reads it byte by byte.
QString fromMixedUtf8(QByteArrayView slice, QByteArray& carry, bool last)
{
    QByteArray joined;
    QByteArrayView bytes = slice;
    if (!carry.isEmpty()) {
        joined = carry + slice.toByteArray();
        carry.clear();
        bytes = joined;
    }
    QString out;
    out.reserve(bytes.size());
    const auto* in = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const uchar b = in[i];
        if (b < 0x80) {
            out.append(QChar(b));
            ++i;
            continue;
        }
        const int length = utf8SequenceLength(b);
        if (length > 0 && i + length > n && !last) {
            carry = bytes.sliced(i).toByteArray();
            break;
        }
        if (length > 0 && i + length <= n && bytes.sliced(i, length).isValidUtf8()) {
            out.append(QString::fromUtf8(bytes.sliced(i, length)));
            i += length;
            continue;
        }
        out.append(fromWindows1252(b));
        ++i;
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
            return fromMixedUtf8(part, m_carry, m_pos == m_bytes.size());
        // The decoder keeps a character split across two slices for the next one.
        return m_decoder.decode(part);
    }

    qsizetype position() const { return m_pos; }
    qsizetype size() const { return m_bytes.size(); }

private:
    QByteArrayView m_bytes;
    Encoding::Kind m_kind;
    QStringDecoder m_decoder;
    QByteArray m_carry;  // an unfinished UTF-8 sequence at the end of the last slice
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
            // A byte-order mark inside the text (a spreadsheet pasted one cell's text with its
            // own mark, files joined end to end) is invisible: it never becomes part of a cell.
            if (c == QChar(0xFEFF))
                continue;
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

// A cell without the blanks and line breaks around it. Most cells have none: they are handed
// back as they are, without looking up any character's category.
QString trimCell(const QString& text)
{
    auto plain = [](QChar c) { return c.unicode() > u' ' && c.unicode() < 0x7F; };
    if (text.isEmpty() || (plain(text.front()) && plain(text.back())))
        return text;
    return trimWhitespaceAndNewlines(text);
}

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

// The meanings a column can have; the order is that of the keys below.
enum Field { name, partNumber, qty, references, manufacturer, category, fieldCount };

int fieldOfKey(const QString& key)
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

// A heading a spreadsheet wrapped onto two lines ("Manufacturer\nPart Number") reads like the
// same words on one line.
QString normalisedHeader(const QString& cell)
{
    QString key = trimWhitespaceAndNewlines(cell).toLower();
    static const QRegularExpression breaks(QStringLiteral("[\\r\\n]+\\s*"));
    if (key.contains(u'\n') || key.contains(u'\r'))
        key.replace(breaks, QStringLiteral(" "));
    key.replace(QChar(u' '), QChar(u'_'));
    return key;
}

// Whose number a heading names, read from its words rather than from a list of spellings: an
// owner (a maker, or a seller whose order numbers the column holds), then "Part" or "Product",
// then a number word ("#", "No.", "Number", "PN", …), a "#" glued to a word counting as one
// ("Mfg Part #", "Manf#", "LCSC Part No.", "Mouser #"). A maker's word alone is the maker
// ("Manufacturer"); of sellers, only an assembly house's name stands alone for its numbers
// ("LCSC", "JLCPCB": the schematic field its assembly reads), as a shop's name alone often heads
// a column of links ("Digikey", "Aliexpress"). A seller may be named by what it is ("Supplier
// Part #", "Vendor ID" beside a "Vendor" column saying which shop), or by two words ("RS
// Components Part No."), and a seller's number may be its ID, which a product has at a shop but
// not by itself ("Part ID" is some database's key). An order code or order number ("Order
// Code", "Order No.") is what a shop sells a part under, whichever shop it is.
// Without an owner, both "Part" and a number word are needed ("Part No."), so that "#" or "No."
// alone, a column counting the lines, is no part number. Any other word ("Customer Part
// Number") leaves the heading unread.
enum class NumberOwner { none, maker, seller, unnamed };

NumberOwner numberOwnerOf(const QString& heading)
{
    static const QSet<QString> makers = {
        QStringLiteral("mfr"),   QStringLiteral("mfr."),  QStringLiteral("mfg"),          QStringLiteral("mfg."),
        QStringLiteral("manf"),  QStringLiteral("manf."), QStringLiteral("manuf"),        QStringLiteral("manuf."),
        QStringLiteral("manufacturer"), QStringLiteral("manufacturer's"), QStringLiteral("mpn")};
    static const QSet<QString> sellers = {
        QStringLiteral("lcsc"),   QStringLiteral("jlc"),    QStringLiteral("jlcpcb"), QStringLiteral("digikey"),
        QStringLiteral("digi-key"), QStringLiteral("mouser"), QStringLiteral("farnell"), QStringLiteral("newark"),
        QStringLiteral("element14"), QStringLiteral("arrow"), QStringLiteral("tme"), QStringLiteral("supplier"),
        QStringLiteral("vendor"), QStringLiteral("distributor"), QStringLiteral("rs"), QStringLiteral("order"),
        QStringLiteral("ordering")};
    // The second word of a seller's name of two ("RS Components", "RS Online").
    static const QSet<QString> sellerSecondWords = {QStringLiteral("components"), QStringLiteral("online")};
    static const QSet<QString> assemblyHouses = {QStringLiteral("lcsc"), QStringLiteral("jlc"), QStringLiteral("jlcpcb")};
    static const QSet<QString> partWords = {QStringLiteral("part"), QStringLiteral("product")};
    static const QSet<QString> numberWords = {
        QStringLiteral("#"),   QStringLiteral("no"),   QStringLiteral("no."),    QStringLiteral("nr"),
        QStringLiteral("nr."), QStringLiteral("num"),  QStringLiteral("num."),   QStringLiteral("number"),
        QStringLiteral("pn"),  QStringLiteral("p/n")};
    QStringList words;
    for (const QString& word : heading.split(u'_', Qt::SkipEmptyParts)) {
        if (word.size() > 1 && word.endsWith(u'#'))
            words << word.chopped(1) << QStringLiteral("#");
        else
            words << word;
    }
    NumberOwner owner = NumberOwner::unnamed;
    qsizetype i = 0;
    if (i < words.size() && makers.contains(words.at(i))) {
        owner = NumberOwner::maker;
        ++i;
    } else if (i < words.size() && sellers.contains(words.at(i))) {
        owner = NumberOwner::seller;
        ++i;
        if (words.first() == QStringLiteral("rs") && i < words.size() && sellerSecondWords.contains(words.at(i)))
            ++i;
    }
    const bool order = owner == NumberOwner::seller && words.first().startsWith(QStringLiteral("order"));
    const bool part = i < words.size() && partWords.contains(words.at(i));
    i += part ? 1 : 0;
    // "Order #" or "Order ID" may as well be the number of the order a line came in: an order's
    // number for a part is its code or a number word spelled out.
    static const QSet<QString> orderNumberWords = {QStringLiteral("code"), QStringLiteral("no"), QStringLiteral("no."),
                                                   QStringLiteral("nr"), QStringLiteral("nr."), QStringLiteral("number")};
    const bool number = i < words.size()
                        && (order ? !part && orderNumberWords.contains(words.at(i))
                                  : numberWords.contains(words.at(i))
                                        || (owner == NumberOwner::seller && words.at(i) == QStringLiteral("id")));
    i += number ? 1 : 0;
    if (i != words.size() || i == 0 || (order && !number))
        return NumberOwner::none;
    const bool enough = owner == NumberOwner::unnamed ? (part && number)
                        : part || number                  ? true
                                                          : owner == NumberOwner::seller && assemblyHouses.contains(words.first());
    return enough ? owner : NumberOwner::none;
}

// The key of a normalised heading: its alias, or for a heading the table doesn't list that ends
// in "name" or "description" ("Plain Name", "Item Description") the name, unless its first words
// say whose name it is (a maker's, a seller's, a footprint's); anything else is its own key.
QString keyOfHeading(const QString& heading)
{
    if (const auto it = headerAliases().constFind(heading); it != headerAliases().constEnd())
        return *it;
    if (numberOwnerOf(heading) != NumberOwner::none)
        return QStringLiteral("part_number");
    static const QRegularExpression nameLike(QStringLiteral("^([a-z]+)_(name|description)$"));
    static const QSet<QString> notThePart = {
        QStringLiteral("manufacturer"), QStringLiteral("mfr"),      QStringLiteral("mfg"),     QStringLiteral("maker"),
        QStringLiteral("brand"),        QStringLiteral("vendor"),   QStringLiteral("supplier"), QStringLiteral("distributor"),
        QStringLiteral("seller"),       QStringLiteral("shop"),     QStringLiteral("store"),   QStringLiteral("company"),
        QStringLiteral("customer"),     QStringLiteral("project"),  QStringLiteral("file"),    QStringLiteral("sheet"),
        QStringLiteral("footprint"),    QStringLiteral("package"),  QStringLiteral("library"), QStringLiteral("symbol"),
        QStringLiteral("net"),          QStringLiteral("pin"),      QStringLiteral("category"), QStringLiteral("user")};
    if (const QRegularExpressionMatch m = nameLike.match(heading); m.hasMatch() && !notThePart.contains(m.captured(1)))
        return QStringLiteral("name");
    // Two headings joined by a slash: of one meaning ("Value/Description", "Ref / Designator"),
    // that meaning; a name or a part number ("Value/Part"), the name, which a part number may be.
    if (heading.contains(u'/')) {
        QSet<QString> meanings;
        for (QString piece : heading.split(u'/')) {
            while (piece.startsWith(u'_'))
                piece.remove(0, 1);
            while (piece.endsWith(u'_'))
                piece.chop(1);
            meanings.insert(keyOfHeading(piece));
        }
        static const QSet<QString> keys = {QStringLiteral("name"), QStringLiteral("part_number"), QStringLiteral("qty"),
                                           QStringLiteral("references"), QStringLiteral("manufacturer"),
                                           QStringLiteral("category")};
        if (meanings.size() == 1 && keys.contains(*meanings.constBegin()))
            return *meanings.constBegin();
        if (meanings == QSet<QString>{QStringLiteral("name"), QStringLiteral("part_number")})
            return QStringLiteral("name");
    }
    return heading;
}

// What a header cell says of its column.
struct ColumnRole {
    int field = -1;  // a Field, or -1 when the column means nothing to an import
    // How surely a part-number column holds the maker's number: 3 it says so, 2 it is a
    // seller's order number, 1 it is the bare word "Part" (which many lists use for the name).
    int strength = 0;
    // A seller's numbers under a heading that names no particular shop ("Supplier Part #",
    // "Vendor ID"): read only where the list has no part-number column of its own.
    bool anyShop = false;
    // A column that marks lines not to be fitted: "DNP" ones hold the mark, "Fitted" ones its
    // opposite, and "Notes" ones hold it among free text, where only a cell that is nothing but
    // the mark says so.
    enum Fit { none, marksNotFitted, marksFitted, notes } fit = none;
};

ColumnRole roleOf(const QString& cell)
{
    static const QSet<QString> bareWords = {QStringLiteral("part"), QStringLiteral("example_part")};
    static const QSet<QString> notFittedMarks = {
        QStringLiteral("dnp"),          QStringLiteral("dnf"),           QStringLiteral("dni"),
        QStringLiteral("do_not_populate"), QStringLiteral("do_not_place"), QStringLiteral("do_not_fit"),
        QStringLiteral("do_not_mount"), QStringLiteral("not_fitted"),    QStringLiteral("no_pop")};
    static const QSet<QString> fittedMarks = {
        QStringLiteral("fitted"),  QStringLiteral("fit"),     QStringLiteral("populate"), QStringLiteral("populated"),
        QStringLiteral("mounted"), QStringLiteral("install"), QStringLiteral("installed")};
    const QString text = normalisedHeader(cell);
    ColumnRole role;
    role.field = fieldOfKey(keyOfHeading(text));
    if (role.field == partNumber)
        role.strength = bareWords.contains(text)                                                        ? 1
                        : text == QStringLiteral("sku") || numberOwnerOf(text) == NumberOwner::seller ? 2
                                                                                                        : 3;
    static const QSet<QString> shopWords = {QStringLiteral("supplier"), QStringLiteral("vendor"), QStringLiteral("distributor"),
                                            QStringLiteral("order"), QStringLiteral("ordering")};
    role.anyShop = role.field == partNumber && shopWords.contains(text.section(u'_', 0, 0));
    static const QSet<QString> notesWords = {QStringLiteral("notes"), QStringLiteral("note"), QStringLiteral("remarks"),
                                             QStringLiteral("remark")};
    if (notFittedMarks.contains(text))
        role.fit = ColumnRole::marksNotFitted;
    else if (fittedMarks.contains(text))
        role.fit = ColumnRole::marksFitted;
    else if (role.field < 0 && notesWords.contains(text))
        role.fit = ColumnRole::notes;
    return role;
}

// "DNP", "DNF", "do not fit", "not fitted" and their kin, alone or set off by blanks, brackets or
// separators ("10k DNP", "(DNF)"); "DNP-5" is not one.
bool hasNotFittedMarker(const QString& text)
{
    static const QRegularExpression marker(
        QStringLiteral("(^|[\\s(\\[,;/])(dnp|dnf|dni|do\\s+not\\s+(fit|populate|place|mount|install)"
                       "|not\\s+(fitted|populated|mounted|placed|installed))($|[\\s)\\],;/.])"),
        QRegularExpression::CaseInsensitiveOption);
    return marker.match(text).hasMatch();
}

// Whether the cell is one of the words, in any letter case. Lengths first: most cells are no
// such word, and no copy of them is made.
bool equalsAnyIgnoringCase(const QString& cell, std::initializer_list<QLatin1StringView> words)
{
    if (cell.isEmpty())
        return false;
    const char16_t first = cell.at(0).toLower().unicode();
    return std::any_of(words.begin(), words.end(), [&cell, first](QLatin1StringView w) {
        return w.size() == cell.size() && char16_t(w.front().unicode()) == first && cell.compare(w, Qt::CaseInsensitive) == 0;
    });
}

// A cell that is nothing but a not-fitted mark: the words above, or the short marks schematic
// tools put in a value or part-number field ("NP", "NF", "N/F", "NC").
bool isNotFittedMark(const QString& cell)
{
    return cell.size() <= 15
           && equalsAnyIgnoringCase(
               cell, {QLatin1StringView("np"), QLatin1StringView("nf"), QLatin1StringView("n/f"), QLatin1StringView("n/p"),
                      QLatin1StringView("nc"), QLatin1StringView("n.c."), QLatin1StringView("nostuff"),
                      QLatin1StringView("no_stuff"), QLatin1StringView("no stuff"), QLatin1StringView("dnp"),
                      QLatin1StringView("dnf"), QLatin1StringView("dni"), QLatin1StringView("no pop"),
                      QLatin1StringView("do not place"), QLatin1StringView("do not populate"),
                      QLatin1StringView("do not fit"), QLatin1StringView("do not mount"),
                      QLatin1StringView("do not install"), QLatin1StringView("not fitted"),
                      QLatin1StringView("not populated"), QLatin1StringView("not placed"),
                      QLatin1StringView("not mounted"), QLatin1StringView("not installed")});
}

// A cell that says "as above": the typographic ditto marks, alone or repeated.
bool isDittoMark(const QString& cell)
{
    static const QString marks = QStringLiteral("\u201E\u201C\u201D\u3003\u2033");
    return !cell.isEmpty() && cell.size() <= 3
           && std::all_of(cell.begin(), cell.end(), [](QChar c) { return marks.contains(c); });
}

// Whether the cell of a fit column says the line is not to be fitted. A DNP column's cell must
// hold a mark (x, yes, DNP, …): a part number that slid into it on a row with one cell too many
// is no mark.
bool saysNotFitted(ColumnRole::Fit fit, const QString& cell)
{
    static const QSet<QString> no = {QStringLiteral("0"),  QStringLiteral("no"),    QStringLiteral("n"),
                                     QStringLiteral("false"), QStringLiteral("f"),  QStringLiteral("-"),
                                     QStringLiteral("none")};
    static const QSet<QString> yes = {QStringLiteral("x"),    QStringLiteral("yes"), QStringLiteral("y"),
                                      QStringLiteral("true"), QStringLiteral("1"),   QStringLiteral("*"),
                                      QStringLiteral("\u2713"), QStringLiteral("\u2714"), QStringLiteral("excluded"),
                                      QStringLiteral("unfitted")};
    if (fit == ColumnRole::notes)
        return isNotFittedMark(cell);
    const QString v = cell.toLower();
    if (fit == ColumnRole::marksNotFitted)
        return yes.contains(v) || isNotFittedMark(v) || hasNotFittedMarker(v);
    if (fit == ColumnRole::marksFitted)
        return (no.contains(v) && v != QStringLiteral("-")) || hasNotFittedMarker(v) || v == QStringLiteral("unfitted")
               || v == QStringLiteral("excluded");
    return false;
}

// A line that sums the list up or adds a cost that is no part: "Total", "Subtotal", "Grand total
// EUR", "TOTAL PRICE", "Shipping", "PCB shipping", "Tax" (one word may stand before the label).
bool isSummaryName(const QString& name)
{
    static const QRegularExpression summary(
        QStringLiteral("^\\s*(\\S+\\s+)?((grand\\s+|sub[\\s-]?)?(total|sum)|shipping|postage|tax|vat|sales\\s+tax)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    // Most names hold none of the words: a plain search spares them the pattern.
    static const QLatin1StringView words[] = {QLatin1StringView("total"),   QLatin1StringView("sum"),
                                              QLatin1StringView("shipping"), QLatin1StringView("postage"),
                                              QLatin1StringView("tax"),     QLatin1StringView("vat")};
    const bool any = std::any_of(std::begin(words), std::end(words),
                                 [&name](QLatin1StringView w) { return name.contains(w, Qt::CaseInsensitive); });
    return any && summary.match(name).hasMatch();
}

// A cell of a line that names nothing which says the line sums the list up, in whatever column
// it stands ("Total:" under "Unit Price", "Cost" beside the sum in a column of quantities).
bool isSummaryLabel(const QString& cell)
{
    if (cell.size() > 40)
        return false;
    const QString label = cell.endsWith(u':') ? cell.chopped(1) : cell;
    return equalsAnyIgnoringCase(label, {QLatin1StringView("cost")}) || isSummaryName(label);
}

// A line of notes below or beside the list ("Component Count:,90", "BoM Date:,8/24/2022"): its
// first cell is a label ending in a colon.
bool isLabelCell(const QString& firstCell) { return firstCell.size() > 1 && firstCell.endsWith(u':'); }

// A part-number cell that only says no particular part is meant ("ANY", "N/A", "TBD"), or that
// names the seller whose numbers the column holds: the second heading row of an export that
// gives each seller's numbers a column ("SKU" over "Digi-Key").
bool isPlaceholderNumber(const QString& cell)
{
    return cell.size() <= 9
           && equalsAnyIgnoringCase(
               cell, {QLatin1StringView("any"), QLatin1StringView("n/a"), QLatin1StringView("na"), QLatin1StringView("tbd"),
                      QLatin1StringView("-"), QLatin1StringView("--"), QLatin1StringView("none"),
                      QLatin1StringView("generic"), QLatin1StringView("~"), QLatin1StringView("?"),
                      QLatin1StringView("digi-key"), QLatin1StringView("digikey"), QLatin1StringView("mouser"),
                      QLatin1StringView("lcsc"), QLatin1StringView("farnell"), QLatin1StringView("newark"),
                      QLatin1StringView("arrow"), QLatin1StringView("tme"), QLatin1StringView("jlcpcb"),
                      QLatin1StringView("element14")});
}

bool isPlainInteger(const QString& text, qint64* value)
{
    if (text.isEmpty() || text.size() > 12)
        return false;
    for (const QChar c : text) {
        if (!isAsciiDigit(c))
            return false;
    }
    *value = text.toLongLong();
    return true;
}

// For every field, the columns to read it from, in order: a row takes the first of them whose
// cell is not blank.
struct ColumnPlan {
    QList<ColumnRole> roles;  // by column
    QList<qsizetype> order[fieldCount];
};

// Reads the header and the first rows of a file to decide, where two or more columns mean the
// same thing, which of them holds it: a column that only counts the lines (1, 2, 3, …) holds
// neither a name nor a part number, a maker's part number outranks a seller's order number and
// the bare heading "Part", and of two name columns the one that gives one line one text (a
// value, "100nF") outranks one that gives many lines the same text (a footprint's device,
// "CAP_CERAMIC_0805MP", or a generic description), unless it gives every line its own text, a
// label of the place ("Input decoupling"). Otherwise the later column wins, as it always did.
// Notes below the list ("Component Count:,90") are no lines to look at.
class ColumnSurvey : public CsvTokenizer::Sink {
public:
    static constexpr qint64 maxRows = 20000;

    void cell(qsizetype column, QString& text, qint64) override
    {
        if (!m_headerRead) {
            if (m_roles.size() <= column) {
                m_roles.resize(column + 1);
                m_firstAlternative.resize(column + 1);
                m_unheaded.resize(column + 1);
            }
            m_roles[column] = roleOf(text);
            m_unheaded[column] = trimCell(text).isEmpty();
            // "Manufacturer Part Number 1": the first of a design tool's numbered alternatives.
            static const QRegularExpression numbered(QStringLiteral("^(.+)_1$"));
            if (const QRegularExpressionMatch m = numbered.match(normalisedHeader(text)); m.hasMatch() && m_roles[column].field < 0)
                m_firstAlternative[column] = roleOf(m.captured(1));
            return;
        }
        if (column == 0)
            m_labelRow = isLabelCell(trimCell(text));
        if (column < m_watched.size() && m_watched.at(column))
            m_row.insert(column, trimCell(text));
    }

    void endRow() override
    {
        if (!m_headerRead) {
            m_headerRead = true;
            // A numbered heading stands for its meaning only where no column says it plainly:
            // beside "PN", "PN_1" is a second choice, not the part number.
            QSet<int> plain;
            for (const ColumnRole& role : std::as_const(m_roles))
                plain.insert(role.field);
            for (qsizetype c = 0; c < m_roles.size(); ++c) {
                const ColumnRole& alternative = m_firstAlternative.at(c);
                if (alternative.field >= 0 && !plain.contains(alternative.field))
                    m_roles[c] = alternative;
            }
            m_watched.resize(m_roles.size());
            m_stats.resize(m_roles.size());
            m_labels.resize(m_roles.size());
            // Columns without a heading are looked at where no column says it holds quantities.
            for (qsizetype c = 0; c < m_roles.size(); ++c)
                m_watched[c] = m_roles.at(c).field == name || m_roles.at(c).field == partNumber
                               || (m_unheaded.at(c) && !plain.contains(qty));
            return;
        }
        if (m_rows++ >= maxRows || std::exchange(m_labelRow, false)) {
            m_row.clear();
            return;
        }
        // The row's part number, from its surest column: name columns that give every line its own
        // text while the part numbers repeat label places, not parts.
        QString number;
        int numberStrength = -1;
        for (auto it = m_row.constBegin(); it != m_row.constEnd(); ++it) {
            const ColumnRole& role = m_roles.at(it.key());
            if (role.field == partNumber && !it->isEmpty() && !isPlaceholderNumber(*it) && role.strength >= numberStrength) {
                number = *it;
                numberStrength = role.strength;
            }
        }
        bool named = false;
        for (auto it = m_row.constBegin(); it != m_row.constEnd(); ++it)
            named = named || (m_roles.at(it.key()).field >= 0 && !it->isEmpty());
        m_namedRows += named ? 1 : 0;
        for (auto it = m_row.constBegin(); it != m_row.constEnd(); ++it) {
            if (it->isEmpty())
                continue;
            if (m_roles.at(it.key()).field < 0) {
                qint64 v = 0;
                Stats& s = m_stats[it.key()];
                s.wholeNumbers += named && isPlainInteger(*it, &v) && v > 0 ? 1 : 0;
            }
            if (m_roles.at(it.key()).field == name) {
                // Hashes stand for the texts: a few thousand lines cost a few kilobytes.
                Labels& labels = m_labels[it.key()];  // sized with the header
                const size_t nameHash = qHash(*it);
                labels.allDistinct = labels.allDistinct && !labels.names.contains(nameHash);
                labels.names.insert(nameHash);
                if (!number.isEmpty()) {
                    const size_t numberHash = qHash(number);
                    labels.numberRepeats += labels.numbers.contains(numberHash) ? 1 : 0;
                    labels.numbers.insert(numberHash);
                }
            }
            Stats& s = m_stats[it.key()];
            qint64 v = 0;
            if (s.counting && isPlainInteger(*it, &v) && (s.cells == 0 ? (v == 0 || v == 1) : v == s.last + 1))
                s.last = v;
            else
                s.counting = false;
            // Eagle names parts it numbered itself with a dollar sign ("U$1").
            static const QRegularExpression designator(QStringLiteral("^([A-Za-z]{1,4}\\$?)[0-9]{1,5}$"));
            if (const QRegularExpressionMatch m = designator.match(*it); m.hasMatch() && s.designators)
                s.prefixes.insert(m.captured(1).toUpper());
            else
                s.designators = false;
            ++s.cells;
            // Pairs of columns of the same meaning: which values of one stand for several of the
            // other. Columns without a heading mean nothing yet, and a line of thousands of them
            // must not be paired cell by cell.
            if (m_roles.at(it.key()).field < 0)
                continue;
            for (auto other = m_row.constBegin(); other != m_row.constEnd(); ++other) {
                if (other.key() == it.key() || other->isEmpty() || m_roles.at(other.key()).field != m_roles.at(it.key()).field)
                    continue;
                Pair& p = m_pairs[{it.key(), other.key()}];
                p.values.insert(qHash(*it));
                p.combinations.insert(qHashMulti(0, *it, *other));
            }
        }
        m_row.clear();
    }

    bool done() const { return m_rows >= maxRows; }
    bool headerRead() const { return m_headerRead; }

    ColumnPlan plan() const
    {
        ColumnPlan plan;
        plan.roles = m_roles;
        for (int f = 0; f < fieldCount; ++f) {
            for (qsizetype c = m_roles.size() - 1; c >= 0; --c) {
                if (m_roles.at(c).field == f && !countsLines(c))
                    plan.order[f].append(c);
            }
        }
        // A bare "Part" column of reference designators (C1, R12, U3: several kinds of them) is
        // what an EDA tool's parts list means by it: the references, one part a line.
        auto& numbers = plan.order[partNumber];
        for (qsizetype i = numbers.size() - 1; i >= 0; --i) {
            const qsizetype c = numbers.at(i);
            const Stats& s = m_stats.value(c);
            if (m_roles.at(c).strength == 1 && s.designators && s.cells >= 2 && s.prefixes.size() >= 2) {
                numbers.removeAt(i);
                plan.order[references].append(c);
            }
        }
        if (std::any_of(numbers.cbegin(), numbers.cend(), [this](qsizetype c) { return !m_roles.at(c).anyShop; }))
            numbers.removeIf([this](qsizetype c) { return m_roles.at(c).anyShop; });
        // The strongest part-number heading first; a bare "Part" beside a maker's number names the part,
        // where no other column names the lines or those that do leave most lines unnamed (a
        // "Description" filled in here and there beside a "Part" on every line).
        std::stable_sort(numbers.begin(), numbers.end(),
                         [&](qsizetype a, qsizetype b) { return m_roles.at(a).strength > m_roles.at(b).strength; });
        if (!numbers.isEmpty() && m_roles.at(numbers.first()).strength > 1) {
            for (qsizetype i = numbers.size() - 1; i > 0; --i) {
                const qsizetype c = numbers.at(i);
                const bool namesMore = std::all_of(plan.order[name].cbegin(), plan.order[name].cend(),
                                                   [&](qsizetype other) { return namesFewerThanHalf(other, c); });
                if (m_roles.at(c).strength == 1 && namesMore)
                    plan.order[name].prepend(numbers.takeAt(i));
            }
        }
        // Within one rank, the column that folds the fewest texts of the others into one line
        // goes first ("Ceramic capacitor" for 10uF, 22uF and 100nF folds more than "Conn_01x04"
        // for an I2C and a UART header). Of columns that fold alike, one that leaves most of the
        // lines blank that another names is a note on some lines (a maker's description where the
        // library had one) and goes after it; otherwise the later one goes first.
        for (const int f : {int(name), int(partNumber)}) {
            auto& order = plan.order[f];
            if (order.size() < 2)
                continue;
            QHash<qsizetype, qint64> merged;
            for (qsizetype c : order)
                merged.insert(c, conflicts(c, order));
            // A column that gives every line a name of its own while many of the lines share a
            // part number (a quarter of them or more) labels the part's place on the board
            // ("Input decoupling", "LDO input capacitor"), not the part: it comes last. A list
            // grouped by value also names each line once, but its part numbers seldom repeat.
            auto labelsPlaces = [this](qsizetype c) {
                const Labels& l = m_labels.at(c);
                return l.allDistinct && l.numberRepeats >= 2 && l.numberRepeats * 4 >= l.names.size();
            };
            qsizetype fullest = order.first();
            for (qsizetype c : order)
                fullest = m_stats.value(c).cells > m_stats.value(fullest).cells ? c : fullest;
            auto sparse = [&](qsizetype c) { return namesFewerThanHalf(c, fullest); };
            std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
                if (m_roles.at(a).strength != m_roles.at(b).strength)
                    return m_roles.at(a).strength > m_roles.at(b).strength;
                if (labelsPlaces(a) != labelsPlaces(b))
                    return labelsPlaces(b);
                if (merged.value(a) != merged.value(b))
                    return merged.value(a) < merged.value(b);
                return sparse(b) && !sparse(a);
            });
        }
        // Where no heading says which column holds the quantities, a column without a heading
        // holding a whole number on nearly every line that names a part holds them (a
        // spreadsheet whose first columns were never titled); one counting the lines does not.
        for (qsizetype c = 0; c < m_unheaded.size() && plan.order[qty].isEmpty(); ++c) {
            const Stats& s = m_stats.value(c);
            if (m_unheaded.at(c) && m_namedRows >= 2 && s.wholeNumbers * 5 >= m_namedRows * 4 && !(s.counting && s.cells >= 2)) {
                plan.roles[c].field = qty;
                plan.order[qty].append(c);
            }
        }
        return plan;
    }

private:
    struct Stats {
        qint64 cells = 0;
        qint64 wholeNumbers = 0;  // of a column without a heading: whole numbers on lines that name a part
        qint64 last = 0;
        bool counting = true;
        bool designators = true;
        QSet<QString> prefixes;
    };
    // Of two columns of one meaning, the texts of the first and the pairs of texts the two give
    // together (hashes stand for the texts). Every pair beyond one a text is another text of the
    // second column that the first one folds into the same line.
    struct Pair {
        QSet<size_t> values;
        QSet<size_t> combinations;
        qint64 folded() const { return combinations.size() - values.size(); }
    };

    // Whether a column fills fewer than half as many lines as another.
    bool namesFewerThanHalf(qsizetype column, qsizetype other) const
    {
        return m_stats.value(column).cells * 2 < m_stats.value(other).cells;
    }

    // A column whose cells run 1, 2, 3, … (or from 0) numbers the lines.
    bool countsLines(qsizetype column) const
    {
        if (m_roles.at(column).field != name && m_roles.at(column).field != partNumber)
            return false;
        const Stats& s = m_stats.value(column);
        return s.counting && s.cells >= 2;
    }

    qint64 conflicts(qsizetype column, const QList<qsizetype>& others) const
    {
        qint64 n = 0;
        for (qsizetype other : others) {
            if (other != column)
                n += m_pairs.value({column, other}).folded();
        }
        return n;
    }

    QList<ColumnRole> m_roles;
    QList<ColumnRole> m_firstAlternative;  // by column: what a heading numbered 1 would mean
    QList<bool> m_unheaded;                // by column: its heading is blank
    qint64 m_namedRows = 0;                // rows that name a part or its number
    struct Labels {
        QSet<size_t> names;
        QSet<size_t> numbers;  // the part numbers of the lines this column names
        bool allDistinct = true;
        qint64 numberRepeats = 0;  // lines whose part number an earlier line had
    };
    QList<Labels> m_labels;  // by column; only name columns fill theirs
    QList<bool> m_watched;
    QList<Stats> m_stats;
    QHash<qsizetype, QString> m_row;
    QHash<std::pair<qsizetype, qsizetype>, Pair> m_pairs;
    qint64 m_rows = 0;
    bool m_headerRead = false;
    bool m_labelRow = false;
};

// Turns cells into parts: the first row names the columns, every later one that names a part
// becomes a Row. Only the columns whose names mean something to an import are kept, and of a
// row only their cells: the rest are dropped as they arrive. Lines marked not to be fitted and
// lines that sum the list up are left out and counted.
class RowAssembler : public CsvTokenizer::Sink {
public:
    RowAssembler(const RowSink& sink, ColumnPlan plan, LeftOut& leftOut)
        : m_sink(sink), m_plan(std::move(plan)), m_leftOut(leftOut)
    {
        m_cells.resize(m_plan.roles.size());
        m_pieces.resize(m_plan.roles.size());
    }

    void cell(qsizetype column, QString& text, qint64 pieces) override
    {
        if (!m_headerRead) {
            m_anyKnownColumn = m_anyKnownColumn || (column < m_plan.roles.size() && m_plan.roles.at(column).field >= 0);
            return;
        }
        // A quoted cell may end in a line break ("0.1uF 25V" and Enter in a spreadsheet): no part
        // of the text either.
        QString trimmed = trimCell(text);
        // Every cell counts towards what the line holds, read by the import or not; a label that
        // sums the list up only matters on a line that names nothing, so name and part-number
        // cells are not searched for one.
        if (!trimmed.isEmpty()) {
            ++m_filledCells;
            const int field = column < m_plan.roles.size() ? m_plan.roles.at(column).field : -1;
            m_summaryLabel = m_summaryLabel || (field != name && field != partNumber && isSummaryLabel(trimmed));
        }
        if (column == 0)
            m_firstCell = trimmed;
        if (column >= m_plan.roles.size())
            return;
        const ColumnRole& role = m_plan.roles.at(column);
        if (role.field < 0 && role.fit == ColumnRole::none)
            return;
        m_cells[column] = std::move(trimmed);
        // References are counted over the whole cell: a list of thousands of them is cut for
        // keeping, but every one of them is a piece to allocate.
        m_pieces[column] = text.size() >= maxCellLength ? pieces : -1;
    }

    void endRow() override
    {
        if (!m_headerRead) {
            m_headerRead = true;
            return;
        }
        m_anyRecord = true;
        QString values[fieldCount];
        qsizetype from[fieldCount];
        for (int f = 0; f < fieldCount; ++f) {
            from[f] = -1;
            for (qsizetype c : m_plan.order[f]) {
                if (!m_cells.at(c).isEmpty() && !(f == partNumber && isPlaceholderNumber(m_cells.at(c)))) {
                    values[f] = m_cells.at(c);
                    from[f] = c;
                    break;
                }
            }
        }
        bool notFitted = false;
        for (qsizetype c = 0; c < m_plan.roles.size(); ++c) {
            if (m_plan.roles.at(c).fit != ColumnRole::none && saysNotFitted(m_plan.roles.at(c).fit, m_cells.at(c)))
                notFitted = true;
        }
        const qint64 referencePieces = from[references] < 0 ? 0
                                       : m_pieces.at(from[references]) >= 0 ? m_pieces.at(from[references])
                                                                            : referenceCount(values[references]);
        for (QString& cell : m_cells)
            cell.clear();
        const qint64 filled = std::exchange(m_filledCells, 0);
        const bool summaryLabel = std::exchange(m_summaryLabel, false);
        const bool afterBreak = std::exchange(m_afterBreak, filled == 0);
        const bool firstRecord = std::exchange(m_firstRecord, false);

        Row row;
        row.name = values[name].isEmpty() ? values[partNumber] : values[name];
        // The label may stand in the name or, in a list whose first column is the references,
        // in that one; a line that names a part number is a part whatever it says.
        // A label or a "Total" may also stand in the first column, whatever that column holds, or
        // alone in the part-number column of a line that names nothing.
        const QString first = std::exchange(m_firstCell, QString());
        const bool totalAsNumber =
            values[name].isEmpty()
            && equalsAnyIgnoringCase(values[partNumber],
                                     {QLatin1StringView("total"), QLatin1StringView("subtotal"), QLatin1StringView("sub-total"),
                                      QLatin1StringView("sub total"), QLatin1StringView("grand total"),
                                      QLatin1StringView("shipping"), QLatin1StringView("tax"), QLatin1StringView("vat")});
        if (totalAsNumber
            || (values[partNumber].isEmpty()
                && (isSummaryName(values[name]) || isSummaryName(values[references]) || isLabelCell(first)
                    || isSummaryName(first) || (values[name].isEmpty() && summaryLabel)))) {
            ++m_leftOut.summaries;
            return;
        }
        // In a list that counts its parts, a line under the header that names nothing and counts
        // nothing, whatever it gives under sellers' numbers, is the header's second row (an export
        // naming each seller over its numbers), and a line that is nothing but a name, under the
        // header or a blank line, heads the lines below it ("Power", "Sensors"): neither is a part.
        // Where a bare "Part" column is all that names the lines, its text is that name.
        const bool counts = !m_plan.order[qty].isEmpty();
        const bool named = !values[name].isEmpty() || (from[partNumber] >= 0 && m_plan.roles.at(from[partNumber]).strength == 1);
        if (counts && firstRecord && values[name].isEmpty() && values[qty].isEmpty() && values[references].isEmpty()
            && (from[partNumber] < 0 || m_plan.roles.at(from[partNumber]).strength == 2))
            return;
        if (counts && afterBreak && filled == 1 && named)
            return;
        // A line that names no part but says what kind of part goes where ("Test Point" under
        // "Type" for TP1) is that kind of part rather than lost.
        if (row.name.isEmpty() && !values[category].isEmpty() && (!values[qty].isEmpty() || referencePieces > 0))
            row.name = values[category];
        if (row.name.isEmpty())
            return;
        // A line whose quantity says 0 and that names no reference is on no board (a fabrication
        // list keeps such lines for parts it may place).
        const std::optional<qint64> stated = values[qty].isEmpty() ? std::nullopt : firstNumber(values[qty]);
        if (stated == 0 && referencePieces == 0)
            notFitted = true;
        // A line whose references are ditto marks goes in the places of the line above: it is
        // that part's alternative (a deep-red LED for the same places), not more parts.
        if (isDittoMark(values[references]))
            notFitted = true;
        // The mark may stand in the name ("10k DNP", "NP") or fill the part-number cell ("DNP").
        if (notFitted || isNotFittedMark(values[name]) || isNotFittedMark(values[partNumber])
            || hasNotFittedMarker(values[name])) {
            ++m_leftOut.notFitted;
            return;
        }
        auto optional = [&values](Field f) { return values[f].isEmpty() ? std::nullopt : std::optional<QString>(values[f]); };
        row.partNumber = optional(partNumber);
        row.manufacturer = optional(manufacturer);
        row.category = optional(category);
        row.quantity = quantityOf(values[qty], referencePieces);
        m_anyRow = true;
        m_sink(std::move(row));
    }

    bool anyRow() const { return m_anyRow; }
    bool anyKnownColumn() const { return m_anyKnownColumn; }
    bool anyRecord() const { return m_anyRecord; }

private:
    const RowSink& m_sink;
    ColumnPlan m_plan;
    LeftOut& m_leftOut;
    QStringList m_cells;     // this row's cells of the columns that matter, by column
    QList<qint64> m_pieces;  // the reference count of a cell that was cut, else -1
    bool m_headerRead = false;
    bool m_anyKnownColumn = false;
    bool m_anyRecord = false;
    bool m_anyRow = false;
    QString m_firstCell;  // this row's, trimmed
    qint64 m_filledCells = 0;    // this row's cells that are not blank, of any column
    bool m_summaryLabel = false;  // one of them says the row sums the list up
    bool m_afterBreak = true;     // the row before this one was the header or blank
    bool m_firstRecord = true;    // this is the first row under the header
};

// Why a file that gave no parts gave none, from its first lines: another separator, a title
// block above the header, or a header of words the import doesn't know.
ImportError diagnose(const QString& head)
{
    const QList<QStringList> rows = tokenize(head);
    auto knows = [](const QStringList& cells, bool namesOnly) {
        for (const QString& cell : cells) {
            const int field = roleOf(cell).field;
            if (namesOnly ? (field == name || field == partNumber) : field >= 0)
                return true;
        }
        return false;
    };
    if (rows.isEmpty() || knows(rows.first(), false))
        return ImportError(ImportError::Kind::noRows);
    // The kind of separator whose cells make a line a header: the first line's any heading, a
    // later line's a name or part-number heading.
    auto separatedHeader = [&knows](const QString& line, bool namesOnly) -> std::optional<ImportError::Kind> {
        for (const auto& [separator, kind] : {std::pair{u';', ImportError::Kind::semicolons}, std::pair{u'\t', ImportError::Kind::tabs}}) {
            QStringList cells = line.split(separator);
            for (QString& cell : cells) {
                cell = trimHorizontalSpace(cell);
                if (cell.size() >= 2 && cell.startsWith(u'"') && cell.endsWith(u'"'))
                    cell = cell.mid(1, cell.size() - 2);
            }
            if (cells.size() >= 2 && knows(cells, namesOnly))
                return kind;
        }
        return std::nullopt;
    };
    const QStringList lines = head.split(u'\n');
    if (const auto kind = separatedHeader(QString(lines.first()).remove(u'\r'), false))
        return ImportError(*kind);
    for (qsizetype r = 1; r < std::min<qsizetype>(rows.size(), 50); ++r) {
        if (knows(rows.at(r), true))
            return ImportError(ImportError::Kind::linesAboveHeader, int(r + 1));
    }
    // A title above a header of tabs or semicolons: the separator is what stops the import first.
    for (qsizetype l = 1; l < std::min<qsizetype>(lines.size(), 50); ++l) {
        if (const auto kind = separatedHeader(QString(lines.at(l)).remove(u'\r'), true))
            return ImportError(*kind);
    }
    return ImportError(ImportError::Kind::noKnownHeader);
}

// A spreadsheet program's own file: a zip archive (xlsx, ods) or an OLE compound file (xls).
bool isWorkbook(const QByteArray& bytes)
{
    return bytes.startsWith(QByteArrayView("PK\x03\x04", 4)) || bytes.startsWith(QByteArrayView("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
}

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
    case Kind::semicolons:
        return QCoreApplication::translate(
            "BomImport",
            "This file separates its cells with semicolons. The import reads comma-separated files: save it again as "
            "CSV with commas as the separator and import that.");
    case Kind::tabs:
        return QCoreApplication::translate(
            "BomImport",
            "This file separates its cells with tabs. The import reads comma-separated files: save it again as CSV "
            "with commas as the separator and import that.");
    case Kind::workbook:
        return QCoreApplication::translate(
            "BomImport",
            "This is a spreadsheet workbook, not a CSV file. Open it in your spreadsheet program, save the sheet as "
            "CSV (comma-separated) and import that.");
    case Kind::linesAboveHeader:
        return QCoreApplication::translate(
                   "BomImport",
                   "The header row (e.g. Part, Qty) is on line %1, not the first line. Remove the lines above it and "
                   "import the file again.")
            .arg(m_line);
    case Kind::noKnownHeader:
        return QCoreApplication::translate(
            "BomImport",
            "No column the import knows (Part, Qty, Value, MPN, Reference, Manufacturer, …) in the first line. The "
            "first line must be the header row that names the columns.");
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
    case Encoding::windows1252: {
        QByteArray carry;
        return fromMixedUtf8(text, carry, true);
    }
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
        // Headings of real exports and shops' lists, onto the same keys. Part-number headings
        // built of an owner, "Part" and a number word are read from their words instead
        // (numberOwnerOf).
        {QStringLiteral("component_name"), QStringLiteral("name")},
        {QStringLiteral("part_description"), QStringLiteral("name")},
        {QStringLiteral("desc."), QStringLiteral("name")},
        {QStringLiteral("bom_qty"), QStringLiteral("qty")},
        {QStringLiteral("qty."), QStringLiteral("qty")},
        {QStringLiteral("qty_per_board"), QStringLiteral("qty")},
        {QStringLiteral("quantity_per_pcb"), QStringLiteral("qty")},
        {QStringLiteral("qty_per_pcb"), QStringLiteral("qty")},
        {QStringLiteral("order_qty."), QStringLiteral("qty")},
        {QStringLiteral("order_qty"), QStringLiteral("qty")},
        {QStringLiteral("quantity_needed"), QStringLiteral("qty")},
        {QStringLiteral("qty_needed"), QStringLiteral("qty")},
        {QStringLiteral("qty_required"), QStringLiteral("qty")},
        {QStringLiteral("quantity_required"), QStringLiteral("qty")},
        {QStringLiteral("partnumber"), QStringLiteral("part_number")},
        {QStringLiteral("manufacturerpartnumber"), QStringLiteral("part_number")},
        {QStringLiteral("p/n"), QStringLiteral("part_number")},
        {QStringLiteral("example_part"), QStringLiteral("part_number")},
        {QStringLiteral("reference(s)"), QStringLiteral("references")},
        {QStringLiteral("ref_des"), QStringLiteral("references")},
        {QStringLiteral("ref."), QStringLiteral("references")},
        {QStringLiteral("parts"), QStringLiteral("references")},
        {QStringLiteral("designation"), QStringLiteral("name")},
        {QStringLiteral("mfr."), QStringLiteral("manufacturer")},
        {QStringLiteral("manufacturer_name"), QStringLiteral("manufacturer")},
        {QStringLiteral("pn"), QStringLiteral("part_number")},
        {QStringLiteral("reference_designator"), QStringLiteral("references")},
        {QStringLiteral("reference_designators"), QStringLiteral("references")},
        {QStringLiteral("ref_designator"), QStringLiteral("references")},
        {QStringLiteral("part_references"), QStringLiteral("references")},
        {QStringLiteral("sku"), QStringLiteral("part_number")},
    };
    return table;
}

QString headerKey(const QString& cell)
{
    return keyOfHeading(normalisedHeader(cell));
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

bool readRows(const QByteArray& bytes, const RowSink& sink, const ReadProgress& progress, LeftOut* leftOut)
{
    if (bytes.size() > maxFileBytes)
        throw ImportError(ImportError::Kind::tooLarge);
    if (isWorkbook(bytes))
        throw ImportError(ImportError::Kind::workbook);
    const Encoding encoding = detectEncoding(bytes);
    // A first look at the header and the first rows decides which columns to read.
    ColumnSurvey survey;
    {
        ChunkDecoder decoder(bytes, encoding);
        CsvTokenizer tokenizer(survey);
        // The first rows are enough to tell the columns apart: the look stops after a few
        // megabytes however long the file, so a huge one is not read twice.
        constexpr qsizetype surveyBytes = 4 * 1024 * 1024;
        while (decoder.position() < decoder.size() && !survey.done()
               && (!survey.headerRead() || decoder.position() < surveyBytes))
            tokenizer.feed(decoder.next());
        tokenizer.finish();
    }
    LeftOut counted;
    ChunkDecoder decoder(bytes, encoding);
    RowAssembler assembler(sink, survey.plan(), counted);
    CsvTokenizer tokenizer(assembler);
    QString head;  // the first slice, to tell why a file gave no parts
    while (decoder.position() < decoder.size()) {
        QString slice = decoder.next();
        if (head.isEmpty())
            head = slice.left(64 * 1024);
        tokenizer.feed(slice);
        if (progress && !progress(decoder.position(), decoder.size()))
            return false;
    }
    tokenizer.finish();
    if (leftOut)
        *leftOut = counted;
    if (!tokenizer.sawText())
        throw ImportError(ImportError::Kind::empty);
    if (!assembler.anyRow()) {
        // Lines all left out are still a file the import read.
        if (assembler.anyRecord() && assembler.anyKnownColumn())
            throw ImportError(ImportError::Kind::noRows);
        throw diagnose(head);
    }
    return true;
}

QList<Row> parse(const QByteArray& bytes, LeftOut* leftOut)
{
    QList<Row> rows;
    readRows(bytes, [&rows](Row&& row) { rows.append(std::move(row)); }, {}, leftOut);
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
    // A list that names its parts by their numbers ("LM317T" in a value column) finds the part
    // whose number that is, rather than making a second one.
    if (!hit && !row.partNumber) {
        if (const auto it = m_byPartNumber.constFind(row.name.toLower()); it != m_byPartNumber.constEnd())
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
