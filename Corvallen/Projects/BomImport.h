#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <exception>
#include <functional>
#include <optional>
#include <string>

class Component;

// Reading a bill of materials from CSV and resolving its lines against the inventory. Nothing
// here touches the store: parse() works on bytes, match() only reads components.
namespace BomImport {

// One data line of the file that survived parsing.
struct Row {
    QString name;  // never empty, trimmed
    std::optional<QString> partNumber;  // absent or non-empty, trimmed
    qint64 quantity = 1;  // at least 1
    std::optional<QString> manufacturer;
    std::optional<QString> category;
    friend bool operator==(const Row&, const Row&) = default;
};

// One line of the import preview: every row that names the same part, merged.
struct Match {
    QUuid id;
    QString name;
    std::optional<QString> partNumber;
    std::optional<QString> manufacturer;
    std::optional<QString> category;
    qint64 quantity = 0;
    Component* existing = nullptr;  // the inventory component, or nullptr for a new part
};

// Why a file gave no parts. The description is the sentence the user reads.
class ImportError : public std::exception {
public:
    // Beyond an empty file and one without parts: files the import doesn't read, each told
    // apart so that the message says what was found.
    enum class Kind { empty, noRows, tooLarge, semicolons, tabs, workbook, linesAboveHeader, noKnownHeader };
    explicit ImportError(Kind kind, int line = 0) : m_kind(kind), m_line(line), m_what(description().toStdString()) {}
    Kind kind() const noexcept { return m_kind; }
    // For linesAboveHeader: the line that holds the header row.
    int line() const noexcept { return m_line; }
    QString description() const;
    const char* what() const noexcept override { return m_what.c_str(); }
    friend bool operator==(const ImportError& a, const ImportError& b) { return a.m_kind == b.m_kind; }

private:
    Kind m_kind;
    int m_line = 0;
    std::string m_what;
};

// Files above this size are refused before they are read: a bill of materials is a few
// kilobytes, and a mistaken pick of a disk image must not fill the memory.
constexpr qint64 maxFileBytes = 32 * 1024 * 1024;

// A cell longer than this is cut to its first maxCellLength - 1 characters and "…": no part
// name or number is that long, and a runaway quote must not become a megabyte-long name.
constexpr qsizetype maxCellLength = 4096;

// The text of a file's bytes: UTF-8 (leading byte-order marks dropped, however many), UTF-16
// when a byte-order mark says so and the rest is sound UTF-16 (an odd trailing byte or a lone
// surrogate is a decoding failure), and otherwise Windows-1252, which is what spreadsheet
// programs write when they don't write UTF-8.
QString decode(const QByteArray& bytes);

// The canonical key of a header cell ("Qty " -> "qty", "MPN" -> "part_number"); an unknown
// header is its own normalised text.
const QHash<QString, QString>& headerAliases();
QString headerKey(const QString& cell);

// Rows of fields: comma separated; a double quote at the start of a field (after blanks) opens
// a quoted part that may hold commas, quotes (doubled) and line breaks, while a quote anywhere
// else is an ordinary character (an inch mark); CR LF reads like LF. Cells are cut at
// maxCellLength.
QList<QStringList> tokenize(const QString& text);

// The quantity of a row from its key -> value map: the first number in "qty" ("10 pcs" 10,
// "1,000" 1000, "-3" 3), rounded up when it has a fraction ("2.5" 3), when that is above 0; else
// the number of references; else 1.
qint64 quantity(const QHash<QString, QString>& fields);

// Reads the rows of a file's bytes, handing each to `sink` in file order as it is read: the
// text is decoded a slice at a time and no table of all rows is ever built, so a long file costs
// little more than its bytes. After each slice it reports how many bytes are done; a report
// answered with false stops the reading (the function then returns false). Throws ImportError
// when the file is too large, empty, or holds no parts.
// The lines a file gave that are no parts to take: marked not to be fitted (a DNP or Fitted
// column, a "DNP" value), or summing the list up ("Total", "Shipping") without naming a part.
struct LeftOut {
    qint64 notFitted = 0;
    qint64 summaries = 0;
    bool any() const { return notFitted > 0 || summaries > 0; }
    friend bool operator==(const LeftOut&, const LeftOut&) = default;
};

using RowSink = std::function<void(Row&&)>;
using ReadProgress = std::function<bool(qsizetype done, qsizetype total)>;
bool readRows(const QByteArray& bytes, const RowSink& sink, const ReadProgress& progress = {}, LeftOut* leftOut = nullptr);

// Throws ImportError when the file is empty or holds no parts.
QList<Row> parse(const QByteArray& bytes, LeftOut* leftOut = nullptr);

// The matches of one import, kept compactly: a file of a million short lines must not cost a
// million full Match values. Every name and part number lies in one shared text, makers and
// categories are kept once each. at() gives a match as a value; ids are fresh for every list.
class MatchList {
public:
    MatchList() = default;
    // The list of the given matches, in their order (their ids are kept).
    MatchList(const QList<Match>& matches);
    MatchList(std::initializer_list<Match> matches) : MatchList(QList<Match>(matches)) {}

    qsizetype size() const { return m_records.size(); }
    bool isEmpty() const { return m_records.isEmpty(); }
    Match at(qsizetype i) const;
    QList<Match> toList() const;

    QString name(qsizetype i) const;
    std::optional<QString> partNumber(qsizetype i) const;
    std::optional<QString> manufacturer(qsizetype i) const;
    qint64 quantity(qsizetype i) const { return m_records.at(i).quantity; }
    Component* existing(qsizetype i) const { return m_records.at(i).existing; }
    // The component has gone from the inventory since matching: the part is new again.
    void forgetExisting(qsizetype i) { m_records[i].existing = nullptr; }

    // The file's lines that were left out, for the preview to say so.
    LeftOut leftOut;

private:
    friend class Matcher;
    // 40 bytes a part. Offsets are 32 bits: one import's text stays far below 4 GB, a file being
    // at most 32 MB. A part number follows its name in the text.
    struct Record {
        qint64 quantity = 0;
        Component* existing = nullptr;
        quint32 nameAt = 0;
        qint32 nameLength = 0;
        qint32 partNumberLength = -1;  // -1: none
        qint32 manufacturer = -1;      // index into m_shared, -1: none
        qint32 category = -1;
        qint32 nextSameKey = -1;       // the next new part whose key has the same hash
    };
    std::optional<QString> sharedText(qint32 index) const;
    qint32 share(const std::optional<QString>& text);
    void append(const QString& name, const std::optional<QString>& partNumber, const std::optional<QString>& manufacturer,
                const std::optional<QString>& category, qint64 quantity, Component* existing, const QUuid& id);

    QByteArray m_text;  // UTF-8: half the room of the names' own form, which are mostly ASCII
    QStringList m_shared;
    QHash<QString, qint32> m_sharedIndex;
    QList<Record> m_records;
    QList<QUuid> m_ids;  // only for lists made from given matches
    QUuid m_idBase = QUuid::createUuid();
};

// Merges rows into matches as they come. The inventory's names and part numbers are read when
// the matcher is made, on the thread that owns the components; add() never touches a component
// again, so rows may be added on a worker thread while the window stays free. Part numbers win
// over names; comparisons ignore letter case.
class Matcher {
public:
    explicit Matcher(const QList<Component*>& inventory);
    void add(const Row& row);
    // One match per part, in the order of each part's first row.
    const MatchList& matches() const { return m_matches; }
    MatchList takeMatches() { return std::move(m_matches); }

private:
    struct Known {
        Component* component;
        QString name;
        std::optional<QString> partNumber, manufacturer, category;
    };

    QList<Known> m_known;
    QHash<QString, qsizetype> m_byPartNumber;
    QHash<QString, qsizetype> m_byName;
    QHash<qsizetype, qsizetype> m_resolvedGroups;
    // New parts by a hash of their lower-cased name and part number (the first of each hash;
    // the records chain the others); a hit is compared in full.
    QHash<size_t, qint32> m_newGroups;
    MatchList m_matches;
};

// The matches of a list of rows against the inventory (a Matcher fed every row).
QList<Match> match(const QList<Row>& rows, const QList<Component*>& inventory);

}  // namespace BomImport

