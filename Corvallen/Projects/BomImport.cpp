#include "Corvallen/Projects/BomImport.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Projects/StockAllocation.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <algorithm>
#include <limits>

namespace BomImport {

namespace {

bool isWhitespace(QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; }

bool isWhitespaceOrNewline(QChar c)
{
    if (isWhitespace(c))
        return true;
    const char16_t u = c.unicode();
    return (u >= 0x0A && u <= 0x0D) || u == 0x85 || c.category() == QChar::Separator_Line
           || c.category() == QChar::Separator_Paragraph;
}

bool isBlank(const QString& text)
{
    for (QChar c : text) {
        if (!isWhitespaceOrNewline(c))
            return false;
    }
    return true;
}

// Windows-1252 code points for the bytes 0x80..0x9F; the rest of the range is Latin-1.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out.append(QChar(b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : char16_t(b)));
    }
    return out;
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

std::optional<QString> field(const QHash<QString, QString>& map, const QString& key)
{
    const auto it = map.constFind(key);
    if (it == map.constEnd())
        return std::nullopt;
    return *it;
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
    }
    return {};
}

QString trimWhitespace(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isWhitespace(text.at(start)))
        ++start;
    while (end > start && isWhitespace(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

QString decode(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decode(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                             QStringConverter::Flag::Stateless);
        QString text = utf16.decode(bytes.mid(2));
        if (!utf16.hasError())
            return text;
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return fromWindows1252(bytes);
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
    QString key = trimWhitespace(cell).toLower();
    key.replace(QChar(u' '), QChar(u'_'));
    return headerAliases().value(key, key);
}

QList<QStringList> tokenize(const QString& text)
{
    QList<QStringList> rows;
    QStringList row;
    QString fieldText;
    bool inQuotes = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c != u'"') {
                fieldText.append(c);
            } else if (i + 1 < n && text.at(i + 1) == u'"') {
                fieldText.append(c);
                ++i;
            } else {
                inQuotes = false;
            }
            continue;
        }
        if (c == u'"') {
            inQuotes = true;
        } else if (c == u',') {
            row.append(fieldText);
            fieldText.clear();
        } else if (c == u'\r') {
            // CR LF line ends read like LF ones.
        } else if (c == u'\n') {
            row.append(fieldText);
            rows.append(row);
            fieldText.clear();
            row.clear();
        } else {
            fieldText.append(c);
        }
    }
    if (!(fieldText.isEmpty() && row.isEmpty())) {
        row.append(fieldText);
        rows.append(row);
    }
    return rows;
}

qint64 quantity(const QHash<QString, QString>& fields)
{
    if (const auto value = field(fields, QStringLiteral("qty"))) {
        QString digits;
        for (QChar c : *value) {
            if (c.isNumber())
                digits.append(c);
        }
        bool ascii = !digits.isEmpty();
        for (QChar c : digits) {
            if (c < u'0' || c > u'9')
                ascii = false;
        }
        if (ascii) {
            bool ok = false;
            const qlonglong n = digits.toLongLong(&ok, 10);
            if (ok && n > 0)
                return n;
        }
    }
    if (const auto refs = field(fields, QStringLiteral("references"))) {
        qint64 count = 0;
        QString piece;
        for (QChar c : *refs + QChar(u',')) {
            if (c == u',' || c == u' ' || c == u';') {
                if (!piece.isEmpty())
                    ++count;
                piece.clear();
            } else {
                piece.append(c);
            }
        }
        if (count > 0)
            return count;
    }
    return 1;
}

QList<Row> parse(const QByteArray& bytes)
{
    if (bytes.size() > maxFileBytes)
        throw ImportError(ImportError::Kind::tooLarge);
    const QString text = decode(bytes);
    if (isBlank(text))
        throw ImportError(ImportError::Kind::empty);
    const QList<QStringList> table = tokenize(text);
    if (table.size() < 2)
        throw ImportError(ImportError::Kind::noRows);

    QStringList keys;
    for (const QString& cell : table.first())
        keys.append(headerKey(cell));

    QList<Row> rows;
    for (qsizetype r = 1; r < table.size(); ++r) {
        const QStringList& cells = table.at(r);
        bool allEmpty = true;
        for (const QString& cell : cells) {
            if (!trimWhitespace(cell).isEmpty()) {
                allEmpty = false;
                break;
            }
        }
        if (allEmpty)
            continue;
        QHash<QString, QString> map;
        for (qsizetype i = 0; i < keys.size() && i < cells.size(); ++i) {
            const QString value = trimWhitespace(cells.at(i));
            if (!keys.at(i).isEmpty() && !value.isEmpty())
                map.insert(keys.at(i), value);
        }
        Row row;
        row.name = map.value(QStringLiteral("name"));
        if (row.name.isEmpty())
            row.name = map.value(QStringLiteral("part_number"));
        if (row.name.isEmpty())
            continue;
        row.partNumber = field(map, QStringLiteral("part_number"));
        row.manufacturer = field(map, QStringLiteral("manufacturer"));
        row.category = field(map, QStringLiteral("category"));
        row.quantity = quantity(map);
        rows.append(row);
    }
    if (rows.isEmpty())
        throw ImportError(ImportError::Kind::noRows);
    return rows;
}

QList<Match> match(const QList<Row>& rows, const QList<Component*>& inventory)
{
    QHash<QString, Component*> byPartNumber;
    QHash<QString, Component*> byName;
    for (Component* c : inventory) {
        if (!c || c->isDeleted())
            continue;
        if (const auto pn = c->partNumber()) {
            const QString key = pn->toLower();
            if (!key.isEmpty())
                byPartNumber.insert(key, c);
        }
        byName.insert(c->name().toLower(), c);
    }

    QList<Match> matches;
    QHash<Component*, qsizetype> resolvedGroups;
    QHash<QString, qsizetype> newGroups;
    for (const Row& row : rows) {
        Component* hit = nullptr;
        if (row.partNumber && !row.partNumber->toLower().isEmpty() && !byPartNumber.isEmpty())
            hit = byPartNumber.value(row.partNumber->toLower(), nullptr);
        if (!hit)
            hit = byName.value(row.name.toLower(), nullptr);

        qsizetype* existingIndex = nullptr;
        QString newKey;
        if (hit) {
            auto it = resolvedGroups.find(hit);
            if (it != resolvedGroups.end())
                existingIndex = &it.value();
        } else {
            // A NUL between the two texts keeps "a|b" + "" apart from "a" + "b".
            newKey = row.name.toLower() + QChar(u'\0') + row.partNumber.value_or(QString()).toLower();
            auto it = newGroups.find(newKey);
            if (it != newGroups.end())
                existingIndex = &it.value();
        }
        if (existingIndex) {
            Match& m = matches[*existingIndex];
            m.quantity = cappedSum(m.quantity, row.quantity);
            continue;
        }
        Match m;
        m.id = QUuid::createUuid();
        m.quantity = std::min(row.quantity, StockAllocation::maxLineQuantity);
        if (hit) {
            m.name = hit->name();
            m.partNumber = row.partNumber ? row.partNumber : hit->partNumber();
            m.manufacturer = row.manufacturer ? row.manufacturer : hit->manufacturer();
            m.category = row.category ? row.category : hit->category();
            m.existing = hit;
            resolvedGroups.insert(hit, matches.size());
        } else {
            m.name = row.name;
            m.partNumber = row.partNumber;
            m.manufacturer = row.manufacturer;
            m.category = row.category;
            newGroups.insert(newKey, matches.size());
        }
        matches.append(m);
    }
    return matches;
}

}  // namespace BomImport
