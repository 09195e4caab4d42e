#include "Corvallen/Settings/BackupPaneTexts.h"

#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Platform/CountedText.h"
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
    struct Label {
        const char* key;
        const char* one;
        const char* many;
    };
    static const Label labels[] = {
        {"projects", "%n project", "%n projects"},
        {"inventory", "%n component", "%n components"},
        {"captures", "%n capture", "%n captures"},
        {"files", "%n file", "%n files"},
    };
    QStringList parts;
    for (const Label& label : labels) {
        const auto it = manifest.counts.constFind(QLatin1String(label.key));
        if (it != manifest.counts.constEnd())
            parts << countedText("BackupSettings", label.one, label.many, *it);
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
