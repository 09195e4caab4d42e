#include "Corvallen/Settings/BackupPaneTexts.h"

#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Platform/IcuLocale.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>

namespace BackupPaneTexts {

QString suggestedFileName(const QDateTime& localTime)
{
    // The stamp is made with ASCII digits whatever the locale, so the name sorts and reads alike
    // everywhere.
    return QStringLiteral("Corvallen-backup-") + StoreLocation::stamp(localTime) + QStringLiteral(".zip");
}

QString manifestSummaryText(const BackupManifest& manifest)
{
    const QLocale locale;
    const QString date = IcuLocale::dateTimeText(manifest.createdAt, locale);
    static const QList<QPair<QString, QString>> labels{
        {QStringLiteral("projects"), QStringLiteral("projects")},
        {QStringLiteral("inventory"), QStringLiteral("components")},
        {QStringLiteral("captures"), QStringLiteral("captures")},
        {QStringLiteral("files"), QStringLiteral("files")},
    };
    QStringList parts;
    for (const auto& [key, label] : labels) {
        const auto it = manifest.counts.constFind(key);
        if (it != manifest.counts.constEnd())
            parts << QString::number(*it) + u' ' + label;
    }
    if (manifest.counts.contains(QStringLiteral("settings")))
        parts << QStringLiteral("settings");
    return QCoreApplication::translate("BackupSettings", "Backup from %1").arg(date) + QStringLiteral(" \u00b7 ") +
           (parts.isEmpty() ? QStringLiteral("empty") : parts.join(QStringLiteral(", ")));
}

QString manifestOriginText(const BackupManifest& manifest)
{
    QString text = QStringLiteral("Exported with ") + manifest.exportedBy.value_or(QStringLiteral("Corvallen")) + u' ' +
                   manifest.appVersion;
    QStringList parts;
    if (manifest.appBuild)
        parts << QStringLiteral("build ") + *manifest.appBuild;
    if (manifest.buildChannel)
        parts << *manifest.buildChannel;
    if (!parts.isEmpty())
        text += QStringLiteral(" (") + parts.join(QStringLiteral(", ")) + u')';
    if (manifest.osVersion)
        text += QStringLiteral(" on ") + *manifest.osVersion;
    return text;
}

}  // namespace BackupPaneTexts
