#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QTcpServer;
class QTcpSocket;

namespace corvallen::test {

// A small real HTTP/1.1 server on 127.0.0.1 (random port) for tests that download: each
// request gets the response its route (or the handler) gives, then the connection is closed.
// It runs on the event loop of the thread that made it.
class LoopbackHttpServer : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
        QByteArray target;  // path and query as sent
        QHash<QByteArray, QByteArray> headers;  // names in lower case
    };

    struct Response {
        int status = 200;
        QList<QPair<QByteArray, QByteArray>> headers;  // e.g. {"Content-Type", "application/pdf"}
        QByteArray body;
        // Without a Content-Length the body ends when the connection closes.
        bool sendContentLength = true;
        // Send the head and this many body bytes, then keep the connection open and silent.
        std::optional<qint64> stallAfterBytes;

        static Response redirect(int status, const QByteArray& location);
    };

    explicit LoopbackHttpServer(QObject* parent = nullptr);
    ~LoopbackHttpServer() override;

    quint16 port() const;
    // http://127.0.0.1:<port><path>
    QString url(const QString& path) const;

    // The response to requests whose path (without query) is `path`; unknown paths get 404.
    void route(const QByteArray& path, const Response& response);
    // A handler consulted before the routes; returning nothing falls back to them.
    void setHandler(std::function<std::optional<Response>(const Request&)> handler);

    const QList<Request>& requests() const { return m_requests; }

private:
    void onNewConnection();
    void onReadable(QTcpSocket* socket);
    Response respond(const Request& request) const;

    QTcpServer* m_server;
    QHash<QByteArray, Response> m_routes;
    std::function<std::optional<Response>(const Request&)> m_handler;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<Request> m_requests;
};

}  // namespace corvallen::test
