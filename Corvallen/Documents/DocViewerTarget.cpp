#include "Corvallen/Documents/DocViewerTarget.h"

#include <QJsonDocument>
#include <QJsonObject>

QByteArray DocViewerTarget::toJson() const
{
    // QJsonObject writes its keys sorted, which for these three is also their field order.
    QJsonObject o;
    o.insert(QStringLiteral("fileName"), fileName);
    o.insert(QStringLiteral("markupFileName"), markupFileName);
    o.insert(QStringLiteral("scopeLabel"), scopeLabel);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<DocViewerTarget> DocViewerTarget::fromJson(const QByteArray& json)
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    const QJsonValue f = o.value(QStringLiteral("fileName"));
    const QJsonValue m = o.value(QStringLiteral("markupFileName"));
    const QJsonValue s = o.value(QStringLiteral("scopeLabel"));
    if (!f.isString() || !m.isString() || !s.isString())
        return std::nullopt;
    return DocViewerTarget{f.toString(), m.toString(), s.toString()};
}
