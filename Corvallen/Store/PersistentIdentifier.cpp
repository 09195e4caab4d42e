#include "Corvallen/Store/PersistentIdentifier.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

QByteArray PersistentIdentifier::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("entityName"), entityName);
    o.insert(QStringLiteral("primaryKey"), double(primaryKey));
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<PersistentIdentifier> PersistentIdentifier::fromJson(const QByteArray& json)
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    const QJsonValue name = o.value(QStringLiteral("entityName"));
    const QJsonValue key = o.value(QStringLiteral("primaryKey"));
    if (!name.isString() || !key.isDouble() || o.size() != 2)
        return std::nullopt;
    const double k = key.toDouble();
    if (!std::isfinite(k) || k < 1 || k > 9007199254740992.0 || std::floor(k) != k)
        return std::nullopt;
    PersistentIdentifier id{name.toString(), qint64(k)};
    if (!id.isValid())
        return std::nullopt;
    return id;
}
