#include "Corvallen/Shell/StatusTexts.h"

#include <QCoreApplication>

#include <algorithm>

namespace StatusTexts {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("StatusBar", text); }

}  // namespace

QString noLocationConnected() { return tr("No location connected"); }
QString noSyncLocationConnected() { return tr("No sync location connected."); }

QString sectionTitle(const SyncLocation& location)
{
    return location.name.isEmpty() ? tr("Location") : location.name;
}

QString connectedText(const QList<SyncLocation>& connected)
{
    if (connected.isEmpty())
        return {};
    if (connected.size() == 1)
        return tr("%1 connected").arg(sectionTitle(connected.first()));
    return tr("%1 locations connected").arg(connected.size());
}

QString panelRowText(const SyncLocation& location)
{
    if (location.name.isEmpty())
        return tr("Location connected");
    return tr("%1 connected").arg(location.name);
}

QString scanningText(const SyncProgress& progress)
{
    return tr("Scanning %1\u2026").arg(progress.location);
}

QString importingText(const SyncProgress& progress)
{
    return tr("Importing %1/%2").arg(progress.processed).arg(progress.total);
}

double importFraction(const SyncProgress& progress)
{
    if (progress.total < 1)
        return 0.0;
    const double f = double(progress.processed) / double(progress.total);
    return std::clamp(f, 0.0, 1.0);
}

SyncItem syncItem(const std::optional<SyncProgress>& progress, const QString& summary)
{
    if (progress)
        return SyncItem::progress;
    if (!summary.isEmpty())
        return SyncItem::summary;
    return SyncItem::nothing;
}

}  // namespace StatusTexts
