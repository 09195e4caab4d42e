#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <QString>

#include <optional>

// The store's identifier of one record: its entity name and its primary key. It is assigned
// when a record is inserted into a context (so it is valid before the first save) and never
// changes. It survives JSON encoding, which is how drag-and-drop strings carry records.
struct PersistentIdentifier {
    QString entityName;
    qint64 primaryKey = 0;

    bool isValid() const { return !entityName.isEmpty() && primaryKey > 0; }

    // {"entityName":"Capture","primaryKey":12}
    QByteArray toJson() const;
    // Strict: both keys with the right types, a known shape; anything else gives nothing.
    static std::optional<PersistentIdentifier> fromJson(const QByteArray& json);

    friend bool operator==(const PersistentIdentifier& a, const PersistentIdentifier& b)
    {
        return a.primaryKey == b.primaryKey && a.entityName == b.entityName;
    }
    friend bool operator!=(const PersistentIdentifier& a, const PersistentIdentifier& b) { return !(a == b); }
};

inline size_t qHash(const PersistentIdentifier& id, size_t seed = 0)
{
    return qHashMulti(seed, id.entityName, id.primaryKey);
}
