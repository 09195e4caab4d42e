#pragma once

#include "Corvallen/Store/EntityDescriptor.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <sqlite3.h>

// The SQL the object store reads and writes its tables with, and the conversions between a
// stored column and an attribute value. Shared by the store's reading, saving and queries.
namespace StoreSql {

QString quoted(const QString& name);
QString joinTableName(const EntityDescriptor& owner, const ToManyDescriptor& rel);
QString sqliteError(sqlite3* db);

// The statements the context reads and writes an entity's table with; a store that can't
// prepare every one of them is not one this program can work on.
QStringList columnList(const EntityDescriptor& d);
// Every row, or those a WHERE clause picks, in key order.
QString selectSql(const EntityDescriptor& d, const QString& where = {});

struct WriteSql {
    QString insert;
    QString update;
    QString remove;
};
WriteSql writeSql(const EntityDescriptor& d);

QString joinSelectSql(const EntityDescriptor& owner, const ToManyDescriptor& rel);

void bindValue(sqlite3_stmt* st, int col, AttributeType type, const QVariant& v);

// Shares one QString among the rows of a column that repeat a text (units, modes, categories,
// makers, locations...), which saves an allocation per value when a large store is read. A
// column whose texts rarely repeat (file names, titles) stops being interned after a few rows.
class TextInterner {
public:
    QString text(const char* data, int size)
    {
        if (!m_enabled || size > 96)
            return QString::fromUtf8(data, size);
        const QByteArray probe = QByteArray::fromRawData(data, size);
        const auto it = m_seen.constFind(probe);
        if (it != m_seen.constEnd()) {
            ++m_hits;
            return it.value();
        }
        QString value = QString::fromUtf8(data, size);
        if (++m_misses > 64 && m_misses > 4 * m_hits) {
            m_enabled = false;
            m_seen.clear();
        } else if (m_seen.size() < 4096) {
            m_seen.insert(QByteArray(data, size), value);
        }
        return value;
    }

private:
    QHash<QByteArray, QString> m_seen;
    qsizetype m_hits = 0;
    qsizetype m_misses = 0;
    bool m_enabled = true;
};

QVariant columnValue(sqlite3_stmt* st, int col, AttributeType type, TextInterner* interner = nullptr);

// A prepared statement finalised when it goes.
struct Statement {
    sqlite3_stmt* st = nullptr;
    ~Statement() { sqlite3_finalize(st); }
};

}  // namespace StoreSql
