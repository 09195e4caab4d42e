#include "Corvallen/Store/StoreSql.h"

#include <QDateTime>
#include <QUuid>

namespace StoreSql {

QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

QString joinTableName(const EntityDescriptor& owner, const ToManyDescriptor& rel)
{
    return owner.name + QLatin1Char('_') + rel.name;
}

QString sqliteError(sqlite3* db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

QStringList columnList(const EntityDescriptor& d)
{
    QStringList cols;
    for (const auto& a : d.attributes)
        cols << quoted(a.name);
    for (const auto& r : d.toOne)
        cols << quoted(r.name + QStringLiteral("_pk"));
    return cols;
}

QString selectSql(const EntityDescriptor& d, const QString& where)
{
    const QStringList cols = columnList(d);
    return QStringLiteral("SELECT pk%1%2 FROM %3 %4 ORDER BY pk")
        .arg(cols.isEmpty() ? QString() : QStringLiteral(", "), cols.join(QStringLiteral(", ")), quoted(d.name), where);
}

WriteSql writeSql(const EntityDescriptor& d)
{
    const QStringList cols = columnList(d);
    QStringList marks(cols.size(), QStringLiteral("?"));
    QStringList sets;
    for (const QString& c : cols)
        sets << c + QStringLiteral(" = ?");
    return {QStringLiteral("INSERT INTO %1 (pk%2%3) VALUES (?%4%5)")
                .arg(quoted(d.name), cols.isEmpty() ? QString() : QStringLiteral(", "), cols.join(QStringLiteral(", ")),
                     cols.isEmpty() ? QString() : QStringLiteral(", "), marks.join(QStringLiteral(", "))),
            QStringLiteral("UPDATE %1 SET %2 WHERE pk = ?").arg(quoted(d.name), sets.join(QStringLiteral(", "))),
            QStringLiteral("DELETE FROM %1 WHERE pk = ?").arg(quoted(d.name))};
}

QString joinSelectSql(const EntityDescriptor& owner, const ToManyDescriptor& rel)
{
    return QStringLiteral("SELECT owner_pk, target_pk FROM %1 ORDER BY rowid").arg(quoted(joinTableName(owner, rel)));
}

void bindValue(sqlite3_stmt* st, int col, AttributeType type, const QVariant& v)
{
    if (!v.isValid()) {
        sqlite3_bind_null(st, col);
        return;
    }
    switch (type) {
    case AttributeType::Text: {
        const QByteArray b = v.toString().toUtf8();
        sqlite3_bind_text(st, col, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    case AttributeType::Integer: sqlite3_bind_int64(st, col, v.toLongLong()); break;
    case AttributeType::Double: sqlite3_bind_double(st, col, v.toDouble()); break;
    case AttributeType::Bool: sqlite3_bind_int(st, col, v.toBool() ? 1 : 0); break;
    case AttributeType::Date: sqlite3_bind_int64(st, col, v.toDateTime().toMSecsSinceEpoch()); break;
    case AttributeType::Uuid: {
        const QByteArray b = v.toUuid().toString(QUuid::WithoutBraces).toUpper().toUtf8();
        sqlite3_bind_text(st, col, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

QVariant columnValue(sqlite3_stmt* st, int col, AttributeType type, TextInterner* interner)
{
    if (sqlite3_column_type(st, col) == SQLITE_NULL)
        return {};
    switch (type) {
    case AttributeType::Text: {
        const char* t = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
        const int n = sqlite3_column_bytes(st, col);
        return interner ? interner->text(t, n) : QString::fromUtf8(t, n);
    }
    case AttributeType::Integer: return QVariant(qint64(sqlite3_column_int64(st, col)));
    case AttributeType::Double: return sqlite3_column_double(st, col);
    case AttributeType::Bool: return sqlite3_column_int(st, col) != 0;
    case AttributeType::Date: return QDateTime::fromMSecsSinceEpoch(sqlite3_column_int64(st, col), Qt::UTC);
    case AttributeType::Uuid: {
        const char* t = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
        return QUuid::fromString(QLatin1String(t, sqlite3_column_bytes(st, col)));
    }
    }
    return {};
}

}  // namespace StoreSql
