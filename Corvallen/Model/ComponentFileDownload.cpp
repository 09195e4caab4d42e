#include "Corvallen/Model/ComponentFileDownload.h"

#include "Corvallen/Model/StoredFileName.h"
#include "Corvallen/Model/TextTrim.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTemporaryFile>

namespace {

// The scheme exactly as written: the link is refused unless it starts with "http:" or
// "https:" in lower case.
bool hasWebScheme(const QString& text)
{
    return text.startsWith(QLatin1String("http:")) || text.startsWith(QLatin1String("https:"));
}

DomainError fileError(const QFileDevice& f)
{
    return DomainError(QStringLiteral("QFileDevice"), int(f.error()), f.errorString());
}

}  // namespace

ComponentFileDownload::ComponentFileDownload(const QString& link, const ComponentFileStore::DownloadLimits& limits, QObject* parent)
    : QObject(parent), m_link(link), m_limits(limits)
{
    m_idleTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] {
        fail(ComponentFileStore::componentFileError(QStringLiteral("Download timed out.")));
    });
    // Started from the event loop so that the caller can connect to finished() first.
    QMetaObject::invokeMethod(this, &ComponentFileDownload::start, Qt::QueuedConnection);
}

ComponentFileDownload::~ComponentFileDownload()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
    if (m_temp)
        m_temp->remove();
}

void ComponentFileDownload::start()
{
    if (m_done)
        return;
    const QString text = trimHorizontalSpace(m_link);
    m_url = QUrl(text, QUrl::StrictMode);
    if (!hasWebScheme(text) || !m_url.isValid() || m_url.host().isEmpty()) {
        fail(ComponentFileStore::componentFileError(QStringLiteral("Not a valid web link.")));
        return;
    }
    m_temp = new QTemporaryFile(ComponentFileStore::componentsFolderURL() + QStringLiteral("/.download-XXXXXX"), this);
    if (!m_temp->open()) {
        fail(fileError(*m_temp));
        return;
    }
    m_network = new QNetworkAccessManager(this);
    QNetworkRequest request(m_url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &ComponentFileDownload::onMetaData);
    connect(m_reply, &QNetworkReply::readyRead, this, &ComponentFileDownload::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &ComponentFileDownload::onFinished);
    m_idleTimer.start(std::max(1, m_limits.transferTimeoutMs));
}

std::optional<int> ComponentFileDownload::httpStatus() const
{
    const QVariant v = m_reply ? m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute) : QVariant();
    if (!v.isValid())
        return std::nullopt;
    return v.toInt();
}

static QString tooLargeMessage(qint64 maxBytes)
{
    const qint64 mb = std::max<qint64>(1, maxBytes / (1024 * 1024));
    return QStringLiteral("Download failed (the file is larger than %1 MB).").arg(mb);
}

void ComponentFileDownload::onMetaData()
{
    if (m_done)
        return;
    m_idleTimer.start();
    const auto status = httpStatus();
    if (!status || *status < 200 || *status > 299)
        return;  // redirects are followed; a final error status is reported at the end
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > m_limits.maxBytes)
        fail(ComponentFileStore::componentFileError(tooLargeMessage(m_limits.maxBytes)));
}

void ComponentFileDownload::onReadyRead()
{
    if (m_done)
        return;
    m_idleTimer.start();
    const QByteArray chunk = m_reply->readAll();
    const auto status = httpStatus();
    if (status && (*status < 200 || *status > 299))
        return;  // the body of a redirect or an error page is not the file
    m_received += chunk.size();
    if (m_received > m_limits.maxBytes) {
        fail(ComponentFileStore::componentFileError(tooLargeMessage(m_limits.maxBytes)));
        return;
    }
    if (m_temp->write(chunk) != chunk.size()) {
        fail(fileError(*m_temp));
        return;
    }
    if (!chunk.isEmpty()) {
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        Q_EMIT progress(m_received, length.isValid() ? length.toLongLong() : -1);
    }
}

void ComponentFileDownload::onFinished()
{
    if (m_done)
        return;
    onReadyRead();
    if (m_done)
        return;
    const auto status = httpStatus();
    if (status && (*status < 200 || *status > 299)) {
        fail(ComponentFileStore::componentFileError(QStringLiteral("Download failed (HTTP %1).").arg(*status)));
        return;
    }
    if (m_reply->error() != QNetworkReply::NoError) {
        fail(DomainError(QStringLiteral("QNetworkReply"), int(m_reply->error()), m_reply->errorString()));
        return;
    }
    QString ext = ComponentFileStore::linkExtension(m_url.path());
    if (ext.isEmpty()) {
        const QByteArray type = m_reply->rawHeader("Content-Type");
        ext = ComponentFileStore::fileExtension(m_reply->hasRawHeader("Content-Type") ? std::optional<QString>(QString::fromLatin1(type))
                                                                                       : std::nullopt);
    }
    const QString name = StoredFileName::make(ext);
    if (!m_temp->flush()) {
        fail(fileError(*m_temp));
        return;
    }
    if (!m_temp->rename(ComponentFileStore::componentsFolderURL() + QLatin1Char('/') + name)) {
        fail(fileError(*m_temp));
        return;
    }
    m_temp->setAutoRemove(false);
    m_temp->setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    m_temp->close();
    m_temp = nullptr;
    complete(name);
}

void ComponentFileDownload::abort()
{
    if (m_done)
        return;
    fail(ComponentFileStore::componentFileError(QStringLiteral("Download cancelled.")));
}

void ComponentFileDownload::fail(const DomainError& error)
{
    if (m_done)
        return;
    m_done = true;
    m_error = error;
    m_idleTimer.stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    if (m_temp) {
        m_temp->remove();
        m_temp = nullptr;
    }
    QMetaObject::invokeMethod(this, &ComponentFileDownload::finished, Qt::QueuedConnection);
}

void ComponentFileDownload::complete(const QString& fileName)
{
    m_done = true;
    m_fileName = fileName;
    m_idleTimer.stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->deleteLater();
    }
    QMetaObject::invokeMethod(this, &ComponentFileDownload::finished, Qt::QueuedConnection);
}
