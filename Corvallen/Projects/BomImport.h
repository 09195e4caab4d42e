#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <exception>
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
    enum class Kind { empty, noRows, tooLarge };
    explicit ImportError(Kind kind) : m_kind(kind), m_what(description().toStdString()) {}
    Kind kind() const noexcept { return m_kind; }
    QString description() const;
    const char* what() const noexcept override { return m_what.c_str(); }
    friend bool operator==(const ImportError& a, const ImportError& b) { return a.m_kind == b.m_kind; }

private:
    Kind m_kind;
    std::string m_what;
};

// Files above this size are refused before they are read: a bill of materials is a few
// kilobytes, and a mistaken pick of a disk image must not fill the memory.
constexpr qint64 maxFileBytes = 32 * 1024 * 1024;

// The text of a file's bytes: UTF-8 (a leading byte-order mark dropped), UTF-16 when a
// byte-order mark says so, and otherwise Windows-1252, which is what spreadsheet programs write
// when they don't write UTF-8.
QString decode(const QByteArray& bytes);

// The canonical key of a header cell ("Qty " -> "qty", "MPN" -> "part_number"); an unknown
// header is its own normalised text.
QString headerKey(const QString& cell);

// The 32 aliases and their canonical keys.
const QHash<QString, QString>& headerAliases();

// Rows of fields: comma separated, double-quoted fields may hold commas, quotes (doubled) and
// line breaks; CR LF reads like LF.
QList<QStringList> tokenize(const QString& text);

// The quantity of a row from its key -> value map: the digits of "qty" when they give a number
// above 0, else the number of references, else 1.
qint64 quantity(const QHash<QString, QString>& fields);

// Throws ImportError when the file is empty or holds no parts.
QList<Row> parse(const QByteArray& bytes);

// One match per part, in the order of each part's first row. Part numbers win over names;
// comparisons ignore letter case.
QList<Match> match(const QList<Row>& rows, const QList<Component*>& inventory);

// Whitespace in the narrow sense (space separators and tab) trimmed at both ends.
QString trimWhitespace(const QString& text);

}  // namespace BomImport
