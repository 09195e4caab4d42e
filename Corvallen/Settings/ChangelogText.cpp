#include "Corvallen/Settings/ChangelogText.h"

#include <QFile>
#include <QStringConverter>
#include <QStringDecoder>
#include <QStringList>

namespace ChangelogText {

QString fallbackText() { return QStringLiteral("# Changelog\n\nRelease notes are unavailable."); }

QString readResource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fallbackText();
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringConverter::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return fallbackText();
    return text;
}

const QString& rawText()
{
    static const QString text = readResource(QStringLiteral(":/CHANGELOG.md"));
    return text;
}

const QString& trimmedText()
{
    static const QString text = trimmed(rawText());
    return text;
}

QString trimmed(const QString& raw)
{
    QStringList lines = raw.split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);  // CR LF line endings
    }
    if (!lines.isEmpty() && lines.first().startsWith(QLatin1String("# "))) {
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines[i].startsWith(QLatin1String("## "))) {
                lines = lines.mid(i);
                break;
            }
        }
    }
    return lines.join(u'\n').trimmed();
}

}  // namespace ChangelogText
