#include "Corvallen/Model/DragString.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"

#include <QByteArray>

namespace DragString {

namespace {

bool isBase64Letter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'+' || c == u'/';
}

// RFC 4648 section 4 with padding, nothing else: length a multiple of four, padding only as the
// last one or two characters.
bool isStrictBase64(QStringView s)
{
    if (s.isEmpty() || s.size() % 4 != 0)
        return false;
    qsizetype padding = 0;
    if (s.endsWith(u'='))
        padding = s.endsWith(u"==") ? 2 : 1;
    for (qsizetype i = 0; i < s.size() - padding; ++i)
        if (!isBase64Letter(s.at(i).unicode()))
            return false;
    return true;
}

}  // namespace

QString partPrefix() { return QStringLiteral("corvallen-part:"); }
QString capturePrefix() { return QStringLiteral("corvallen-capture:"); }

QString encode(const QString& prefix, const PersistentIdentifier& id)
{
    if (!id.isValid())
        return prefix;
    return prefix + QString::fromLatin1(id.toJson().toBase64());
}

QString forComponent(const Component& component) { return encode(partPrefix(), component.persistentModelID()); }
QString forCapture(const Capture& capture) { return encode(capturePrefix(), capture.persistentModelID()); }

std::optional<PersistentIdentifier> decode(const QString& text, const QString& prefix)
{
    if (prefix.isEmpty() || !text.startsWith(prefix, Qt::CaseSensitive))
        return std::nullopt;
    const QStringView payload = QStringView(text).mid(prefix.size());
    if (!isStrictBase64(payload))
        return std::nullopt;
    const auto decoded = QByteArray::fromBase64Encoding(payload.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return PersistentIdentifier::fromJson(*decoded);
}

DropKind route(const QString& text)
{
    if (text.startsWith(partPrefix(), Qt::CaseSensitive))
        return DropKind::part;
    if (text.startsWith(capturePrefix(), Qt::CaseSensitive))
        return DropKind::capture;
    return DropKind::file;
}

}  // namespace DragString
