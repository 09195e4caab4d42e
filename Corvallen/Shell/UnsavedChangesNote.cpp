#include "Corvallen/Shell/UnsavedChangesNote.h"

#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Store/StoreErrorText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSaveFile>

#include <cstdio>

namespace UnsavedChangesNote {

QString filePath() { return AppPaths::dataFolder() + QStringLiteral("/unsaved-changes.json"); }

bool saveOrNote(ModelContext& context, bool discarded)
{
    if (discarded || !context.hasChanges())
        return true;
    QString error;
    if (context.save(&error))
        return true;
    const QString reason = StoreErrorText::plainReason(context.lastSaveErrorCode(), error);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    std::fprintf(stderr, "%s\n", qPrintable(noticeText(now.toLocalTime(), reason)));
    // The data folder may not be there yet (the store can live elsewhere); the note must land.
    QDir().mkpath(AppPaths::dataFolder());
    QSaveFile note(filePath());
    if (note.open(QIODevice::WriteOnly)) {
        const QJsonObject o{{QStringLiteral("endedAt"), now.toString(Qt::ISODate)}, {QStringLiteral("reason"), reason}};
        note.write(QJsonDocument(o).toJson());
        note.commit();
    }
    return false;
}

QString takeNotice()
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject o = QJsonDocument::fromJson(file.read(64 * 1024)).object();
    file.close();
    QDateTime when = QDateTime::fromString(o.value(QStringLiteral("endedAt")).toString(), Qt::ISODate);
    const QString reason = o.value(QStringLiteral("reason")).toString();
    // Said once, however little of the note could be read: that changes were lost is the news.
    QFile::remove(filePath());
    return noticeText(when.isValid() ? when.toLocalTime() : QDateTime(), reason);
}

QString noticeText(const QDateTime& when, const QString& reason)
{
    const QString whenText = when.isValid() ? QLocale().toString(when, QLocale::ShortFormat)
                                            : QCoreApplication::translate("UnsavedChangesNote", "unknown time");
    return QCoreApplication::translate("UnsavedChangesNote",
                                       "Corvallen was closed by the system (%1) while your latest changes couldn\u2019t be "
                                       "saved. %2 Those changes were lost; please check your recent work.")
        .arg(whenText, reason.isEmpty() ? QCoreApplication::translate("UnsavedChangesNote", "The reason is not known.") : reason);
}

}  // namespace UnsavedChangesNote
