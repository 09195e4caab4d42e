#include "Corvallen/Devices/DeviceVisibility.h"

#include "Corvallen/Platform/SettingsStore.h"

#include <QStringList>

#include <algorithm>

namespace DeviceVisibility {

QString settingsKey() { return QStringLiteral("hiddenDeviceIDs"); }

QSet<QString> parseHiddenIDs(const QString& raw)
{
    QSet<QString> ids;
    for (const QString& piece : raw.split(QLatin1Char(','), Qt::SkipEmptyParts))
        ids.insert(piece);
    return ids;
}

QString writeHiddenIDs(const QSet<QString>& ids)
{
    QStringList sorted(ids.begin(), ids.end());
    // Plain code-unit order, independent of the locale.
    std::sort(sorted.begin(), sorted.end());
    return sorted.join(QLatin1Char(','));
}

QString withVisibility(const QString& raw, const QString& id, bool hidden)
{
    QSet<QString> ids = parseHiddenIDs(raw);
    if (hidden)
        ids.insert(id);
    else
        ids.remove(id);
    return writeHiddenIDs(ids);
}

QString hiddenRaw(const SettingsStore* store)
{
    const SettingsStore& s = store ? *store : SettingsStore::shared();
    return s.textValue(settingsKey(), QString());
}

QSet<QString> hiddenIDs(const SettingsStore* store) { return parseHiddenIDs(hiddenRaw(store)); }

bool isHidden(const QString& id, const SettingsStore* store) { return hiddenIDs(store).contains(id); }

void setHidden(const QString& id, bool hidden, SettingsStore* store)
{
    SettingsStore& s = store ? *store : SettingsStore::shared();
    s.setText(settingsKey(), withVisibility(hiddenRaw(&s), id, hidden));
}

}  // namespace DeviceVisibility
