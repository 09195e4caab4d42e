#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class SettingsStore;

// The outcome of one update check.
struct UpdateCheckResult {
    enum class Kind { UpdateAvailable, UpToDate, Failed };
    Kind kind = Kind::Failed;
    bool userInitiated = false;
    QString currentVersion;
    QString latestVersion;  // the feed's version, when the feed was read
    QUrl downloadUrl;       // where the newer version is offered (https), when given
    QString notes;          // the feed's short release notes, when given
    QString message;        // one sentence for the user
};

// Checks our update feed for a newer version of Corvallen and tells the user.
//
// The feed is one small JSON document served over HTTPS:
//
//   {"version": "1.2.0", "url": "https://…/download", "notes": "What is new, in one paragraph."}
//
// "version" is required (dotted numbers; a trailing "-suffix" marks a pre-release that sorts
// before the release of the same numbers); "url" (an https link shown to the user) and "notes"
// are optional. Nothing is downloaded or installed: a newer version is announced with its link.
//
// canCheckForUpdates is true once the controller runs and false while a check is under way; the
// "Check for Updates…" command follows it. The automatic-check preference is the setting
// "automaticallyChecksForUpdates" (default false: no network traffic until the user asks for
// it); while on, a quiet check runs shortly after start and then once a day, and only a newer
// version is reported.
class UpdaterController : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)
public:
    static QString automaticChecksKey();  // "automaticallyChecksForUpdates"
    static QUrl defaultFeedUrl();

    // The application's controller: our feed, our version, the shared settings.
    explicit UpdaterController(QObject* parent = nullptr);
    // A controller for another feed (plain http is accepted only for loopback hosts), version and
    // settings store.
    UpdaterController(const QUrl& feedUrl, const QString& currentVersion, SettingsStore& settings,
                      QObject* parent = nullptr);
    ~UpdaterController() override;

    bool canCheckForUpdates() const { return m_canCheck; }
    QUrl feedUrl() const { return m_feedUrl; }
    QString currentVersion() const { return m_currentVersion; }

    // Starts a user-initiated check; ignored while one runs.
    void checkForUpdates();

    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool on);

    // Compares dotted version texts: negative, zero or positive as a is older, equal or newer.
    static int compareVersions(const QString& a, const QString& b);
    // Reads a feed document; false (with a user-facing reason) when it isn't one.
    static bool parseFeed(const QByteArray& json, QString* version, QUrl* url, QString* notes, QString* error);

Q_SIGNALS:
    void canCheckForUpdatesChanged(bool canCheck);
    void automaticallyChecksForUpdatesChanged(bool on);
    // Every check ends with exactly one result.
    void checkFinished(const UpdateCheckResult& result);

private:
    void start();
    void beginCheck(bool userInitiated);
    void finishCheck(QNetworkReply* reply);
    void setCanCheck(bool can);
    void scheduleAutomaticChecks();

    QUrl m_feedUrl;
    QString m_currentVersion;
    SettingsStore* m_settings;
    QNetworkAccessManager* m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    bool m_userInitiated = false;
    bool m_canCheck = false;
    QTimer m_automaticTimer;
};
