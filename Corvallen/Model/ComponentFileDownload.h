#pragma once

#include "Corvallen/Model/ComponentFileStore.h"
#include "Corvallen/Model/DomainError.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QTemporaryFile;

// One download of a web link into the component files folder. It starts on construction and
// runs on the event loop without blocking it: the body is streamed into a hidden temporary
// file in the folder, which becomes the stored file only when the whole transfer succeeded;
// every failure removes it. Redirects are followed (never from https down to http).
//
// Errors: "Not a valid web link." (link empty, not a URL, or not http/https as written),
// "Download failed (HTTP <status>)." for a final status outside 200 to 299, "Download timed
// out." when nothing arrives for the transfer timeout, "Download failed (the file is larger
// than <n> MB)." above the size cap, "Download cancelled." after abort() - all in the
// "Corvallen" domain with code -1. Transfer failures carry the domain "QNetworkReply" and file
// failures "QFileDevice", with Qt's description. Main thread.
class ComponentFileDownload : public QObject {
    Q_OBJECT
public:
    ComponentFileDownload(const QString& link, const ComponentFileStore::DownloadLimits& limits, QObject* parent = nullptr);
    // A running transfer is cancelled and its partial file removed.
    ~ComponentFileDownload() override;

    QString link() const { return m_link; }
    bool isFinished() const { return m_done; }
    bool succeeded() const { return m_done && !m_error; }
    // The stored file name, once the download succeeded.
    QString fileName() const { return m_fileName; }
    // The failure, once the download failed.
    const std::optional<DomainError>& error() const { return m_error; }

    // Cancels the transfer; the job then finishes with "Download cancelled.".
    void abort();

Q_SIGNALS:
    // Bytes received so far and the expected total (-1 when the server did not say).
    void progress(qint64 received, qint64 total);
    // Emitted once, always from the event loop (never from inside the constructor).
    void finished();

private:
    void start();
    void onMetaData();
    void onReadyRead();
    void onFinished();
    void fail(const DomainError& error);
    void complete(const QString& fileName);
    std::optional<int> httpStatus() const;

    QString m_link;
    ComponentFileStore::DownloadLimits m_limits;
    QUrl m_url;
    QNetworkAccessManager* m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    QTemporaryFile* m_temp = nullptr;
    QTimer m_idleTimer;
    qint64 m_received = 0;
    bool m_done = false;
    QString m_fileName;
    std::optional<DomainError> m_error;
};
