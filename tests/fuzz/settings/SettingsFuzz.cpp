// The settings file: whatever it holds, the store reads it without crashing; a file it can't
// read is kept aside byte for byte; and a write keeps every entry of a readable file as it was,
// those it could read with their values and those it couldn't unchanged.
#include "Corvallen/Platform/SettingsStore.h"
#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::isolate();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString folder = fuzz::isolate() + QStringLiteral("/settings");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/settings.json");
    const QByteArray input = fuzz::bytes(data, size);
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(input);
    }
    const QJsonObject before = QJsonDocument::fromJson(input).object();

    SettingsStore store(path);
    if (!store.unreadableFileKeptAs().isEmpty()) {
        if (readAll(store.unreadableFileKeptAs()) != input)
            fuzz::fail("an unreadable file is kept aside as it was");
        return 0;
    }
    // Every value read survives a write and a fresh read.
    const QStringList keys = store.keys();
    QList<QVariant> values;
    for (const QString& key : keys)
        values << QVariant::fromValue(store.textValue(key)) << QVariant::fromValue(store.textListValue(key))
               << QVariant::fromValue(store.bytesValue(key)) << QVariant::fromValue(store.integerValue(key));
    store.setText(QStringLiteral("fuzz.marker"), QStringLiteral("x"));
    SettingsStore again(path);
    if (!again.unreadableFileKeptAs().isEmpty())
        fuzz::fail("a written file can be read");
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QString& key = keys[i];
        const QList<QVariant> now{QVariant::fromValue(again.textValue(key)), QVariant::fromValue(again.textListValue(key)),
                                  QVariant::fromValue(again.bytesValue(key)), QVariant::fromValue(again.integerValue(key))};
        if (now != values.mid(i * 4, 4) && key != QStringLiteral("fuzz.marker"))
            fuzz::fail("a value read survives a write", key);
    }
    // What couldn't be read is written back unchanged.
    const QJsonObject after = QJsonDocument::fromJson(readAll(path)).object();
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (!store.contains(it.key()) && it.key() != QStringLiteral("fuzz.marker") && after.value(it.key()) != it.value())
            fuzz::fail("an entry that can't be read is kept", it.key());
    }
    return 0;
}
