#include "Corvallen/Platform/UpdaterController.h"

#include "Corvallen/Platform/SettingsStore.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>

namespace {

constexpr qint64 kMaxFeedBytes = 256 * 1024;
constexpr int kTransferTimeoutMs = 30000;
constexpr int kFirstAutomaticCheckMs = 15000;
constexpr int kAutomaticIntervalMs = 24 * 60 * 60 * 1000;

bool isLoopbackHost(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

// A feed is fetched over HTTPS; plain HTTP only from this machine (local test servers).
bool isAcceptableFeedUrl(const QUrl& url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("https") || (scheme == QLatin1String("http") && isLoopbackHost(url.host()));
}

const QRegularExpression& versionPattern()
{
    static const QRegularExpression re(QStringLiteral("^v?(\\d+(?:\\.\\d+)*)(?:-([0-9A-Za-z.]+))?$"));
    return re;
}

}  // namespace

QString UpdaterController::automaticChecksKey() { return QStringLiteral("automaticallyChecksForUpdates"); }

QUrl UpdaterController::defaultFeedUrl() { return QUrl(QStringLiteral("https://corvallen.app/updates/linux/feed.json")); }

UpdaterController::UpdaterController(QObject* parent)
    : UpdaterController(defaultFeedUrl(), QStringLiteral(CORVALLEN_VERSION), SettingsStore::shared(), parent)
{
}

UpdaterController::UpdaterController(const QUrl& feedUrl, const QString& currentVersion, SettingsStore& settings,
                                     QObject* parent)
    : QObject(parent), m_feedUrl(feedUrl), m_currentVersion(currentVersion), m_settings(&settings)
{
    m_canCheck = false;
    m_network = new QNetworkAccessManager(this);
    m_network->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    m_automaticTimer.setSingleShot(true);
    connect(&m_automaticTimer, &QTimer::timeout, this, [this] {
        if (automaticallyChecksForUpdates() && m_canCheck)
            beginCheck(false);
        if (automaticallyChecksForUpdates())
            m_automaticTimer.start(kAutomaticIntervalMs);
    });
    connect(m_settings, &SettingsStore::changed, this, [this](const QString& key) {
        if (key == automaticChecksKey()) {
            scheduleAutomaticChecks();
            Q_EMIT automaticallyChecksForUpdatesChanged(automaticallyChecksForUpdates());
        }
    });
    start();
}

UpdaterController::~UpdaterController()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void UpdaterController::start()
{
    // Ready at once: a check may start as soon as the controller exists.
    setCanCheck(true);
    scheduleAutomaticChecks();
}

void UpdaterController::scheduleAutomaticChecks()
{
    if (automaticallyChecksForUpdates()) {
        if (!m_automaticTimer.isActive())
            m_automaticTimer.start(kFirstAutomaticCheckMs);
    } else {
        m_automaticTimer.stop();
    }
}

bool UpdaterController::automaticallyChecksForUpdates() const
{
    return m_settings->boolValue(automaticChecksKey(), false);
}

void UpdaterController::setAutomaticallyChecksForUpdates(bool on)
{
    if (m_settings->contains(automaticChecksKey()) && automaticallyChecksForUpdates() == on)
        return;
    m_settings->setBool(automaticChecksKey(), on);  // announced through SettingsStore::changed
}

void UpdaterController::setCanCheck(bool can)
{
    if (m_canCheck == can)
        return;
    m_canCheck = can;
    Q_EMIT canCheckForUpdatesChanged(can);
}

void UpdaterController::checkForUpdates()
{
    if (!m_canCheck)
        return;
    beginCheck(true);
}

void UpdaterController::beginCheck(bool userInitiated)
{
    m_userInitiated = userInitiated;
    setCanCheck(false);
    if (!isAcceptableFeedUrl(m_feedUrl)) {
        UpdateCheckResult result;
        result.kind = UpdateCheckResult::Kind::Failed;
        result.userInitiated = userInitiated;
        result.currentVersion = m_currentVersion;
        result.message = tr("The update check failed: the update feed address is not a secure (https) link.");
        // Reported from the event loop, like every other outcome, so callers see the flag drop first.
        QTimer::singleShot(0, this, [this, result] {
            setCanCheck(true);
            Q_EMIT checkFinished(result);
        });
        return;
    }
    QNetworkRequest request(m_feedUrl);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Corvallen/%1 (Linux)").arg(m_currentVersion));
    request.setRawHeader("Accept", "application/json");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(kTransferTimeoutMs);
    QNetworkReply* reply = m_network->get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64) {
        if (received > kMaxFeedBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finishCheck(reply); });
}

void UpdaterController::finishCheck(QNetworkReply* reply)
{
    reply->deleteLater();
    m_reply.clear();

    UpdateCheckResult result;
    result.userInitiated = m_userInitiated;
    result.currentVersion = m_currentVersion;
    result.kind = UpdateCheckResult::Kind::Failed;

    const QVariant statusAttr = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = statusAttr.isValid() ? statusAttr.toInt() : 0;
    const QByteArray body = reply->read(kMaxFeedBytes + 1);

    if (status >= 400) {
        result.message = tr("The update check failed: the update server answered with HTTP %1.").arg(status);
    } else if (reply->error() == QNetworkReply::OperationCanceledError && body.size() > kMaxFeedBytes) {
        result.message = tr("The update check failed: the update feed could not be read.");
    } else if (reply->error() != QNetworkReply::NoError) {
        result.message = tr("The update check failed: %1").arg(reply->errorString());
    } else if (body.size() > kMaxFeedBytes) {
        result.message = tr("The update check failed: the update feed could not be read.");
    } else {
        QString version, notes, error;
        QUrl url;
        if (!parseFeed(body, &version, &url, &notes, &error)) {
            result.message = tr("The update check failed: %1").arg(error);
        } else {
            result.latestVersion = version;
            result.downloadUrl = url;
            result.notes = notes;
            if (compareVersions(version, m_currentVersion) > 0) {
                result.kind = UpdateCheckResult::Kind::UpdateAvailable;
                result.message = tr("Corvallen %1 is available. You have version %2.").arg(version, m_currentVersion);
            } else {
                result.kind = UpdateCheckResult::Kind::UpToDate;
                result.message = tr("You’re up to date: Corvallen %1 is the newest version available.").arg(m_currentVersion);
            }
        }
    }
    setCanCheck(true);
    Q_EMIT checkFinished(result);
}

bool UpdaterController::parseFeed(const QByteArray& json, QString* version, QUrl* url, QString* notes, QString* error)
{
    const auto fail = [error] {
        if (error)
            *error = tr("the update feed could not be read.");
        return false;
    };
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject())
        return fail();
    const QJsonObject obj = doc.object();
    const QString v = obj.value(QLatin1String("version")).toString().trimmed();
    if (!versionPattern().match(v).hasMatch())
        return fail();
    if (version)
        *version = v;
    if (url) {
        // Only a secure web link is offered to the user; anything else is left out.
        const QUrl link(obj.value(QLatin1String("url")).toString(), QUrl::StrictMode);
        *url = link.isValid() && link.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0
                && !link.host().isEmpty()
            ? link
            : QUrl();
    }
    if (notes)
        *notes = obj.value(QLatin1String("notes")).toString();
    return true;
}

int UpdaterController::compareVersions(const QString& a, const QString& b)
{
    struct Parsed {
        QList<qint64> numbers;
        QString pre;
    };
    const auto parse = [](const QString& s) {
        Parsed p;
        const QRegularExpressionMatch m = versionPattern().match(s.trimmed());
        if (!m.hasMatch())
            return p;
        for (const QString& part : m.captured(1).split(QLatin1Char('.')))
            p.numbers.append(part.left(15).toLongLong());
        p.pre = m.captured(2);
        return p;
    };
    const Parsed pa = parse(a), pb = parse(b);
    const qsizetype n = std::max(pa.numbers.size(), pb.numbers.size());
    for (qsizetype i = 0; i < n; ++i) {
        const qint64 x = pa.numbers.value(i, 0), y = pb.numbers.value(i, 0);
        if (x != y)
            return x < y ? -1 : 1;
    }
    // A pre-release comes before the release of the same numbers.
    if (pa.pre.isEmpty() != pb.pre.isEmpty())
        return pa.pre.isEmpty() ? 1 : -1;
    const int c = QString::compare(pa.pre, pb.pre);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
