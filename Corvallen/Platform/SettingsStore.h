#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// The user's settings: typed values (bool, integer, double, text, text list, bytes) kept with
// their types in "settings.json" under the XDG config folder. Every change is written at once
// (atomically) and announced by changed(key), so one change reaches every open window.
// Defaults are given by the reader, never stored.
class SettingsStore : public QObject {
    Q_OBJECT
public:
    enum class Type { Bool, Integer, Double, Text, TextList, Bytes };

    // The settings of this user (loads on first use).
    static SettingsStore& shared();
    // A store over another file (tests, the settings of a backup).
    explicit SettingsStore(const QString& filePath, QObject* parent = nullptr);

    QString filePath() const { return m_path; }

    // A settings file that can't be read (cut short by a crash, not JSON) is never written
    // over: it is renamed to "settings-unreadable-<yyyyMMdd-HHmmss>.json" beside it and the
    // store starts from the defaults. This is the full path it was kept under, or empty when
    // the file read fine. When even the rename fails, nothing is written to the file for the
    // rest of the run.
    QString unreadableFileKeptAs() const { return m_keptAs; }

    // Entries of a readable file that this version can't read (a type added by a newer one, a
    // number too large for its type) read as absent but are written back unchanged until their
    // key is set or removed here.
    bool contains(const QString& key) const;
    std::optional<Type> typeOf(const QString& key) const;

    bool boolValue(const QString& key, bool defaultValue = false) const;
    qint64 integerValue(const QString& key, qint64 defaultValue = 0) const;
    double doubleValue(const QString& key, double defaultValue = 0) const;
    QString textValue(const QString& key, const QString& defaultValue = {}) const;
    QStringList textListValue(const QString& key, const QStringList& defaultValue = {}) const;
    QByteArray bytesValue(const QString& key, const QByteArray& defaultValue = {}) const;

    void setBool(const QString& key, bool value);
    void setInteger(const QString& key, qint64 value);
    void setDouble(const QString& key, double value);
    void setText(const QString& key, const QString& value);
    void setTextList(const QString& key, const QStringList& value);
    void setBytes(const QString& key, const QByteArray& value);
    void remove(const QString& key);

    QStringList keys() const;

    // Re-reads the file (another store object may have written it) and announces every key
    // whose value the file changed.
    void reload();

Q_SIGNALS:
    void changed(const QString& key);

private:
    struct Entry {
        Type type;
        QVariant value;
    };
    enum class ReadResult { Read, Missing, Unreadable };
    ReadResult read();
    // A stored entry as this version reads it; none for an unknown type, a value of another
    // kind than its type or a number too large for it.
    static std::optional<Entry> entryFrom(const QJsonValue& stored);
    void keepUnreadableFileAside();
    void set(const QString& key, Type type, const QVariant& value);
    void write() const;

    QString m_path;
    QHash<QString, Entry> m_values;
    QJsonObject m_unreadEntries;  // as stored, by key
    QString m_keptAs;
    bool m_writable = true;
};
