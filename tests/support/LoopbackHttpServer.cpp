#include "support/LoopbackHttpServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace corvallen::test {

namespace {
QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}
}  // namespace

LoopbackHttpServer::Response LoopbackHttpServer::Response::redirect(int status, const QByteArray& location)
{
    Response r;
    r.status = status;
    r.headers.append(qMakePair(QByteArray("Location"), location));
    return r;
}

LoopbackHttpServer::LoopbackHttpServer(QObject* parent) : QObject(parent), m_server(new QTcpServer(this))
{
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server, &QTcpServer::newConnection, this, &LoopbackHttpServer::onNewConnection);
}

LoopbackHttpServer::~LoopbackHttpServer() = default;

quint16 LoopbackHttpServer::port() const { return m_server->serverPort(); }

QString LoopbackHttpServer::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void LoopbackHttpServer::route(const QByteArray& path, const Response& response) { m_routes.insert(path, response); }

void LoopbackHttpServer::setHandler(std::function<std::optional<Response>(const Request&)> handler)
{
    m_handler = std::move(handler);
}

void LoopbackHttpServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        m_buffers.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void LoopbackHttpServer::onReadable(QTcpSocket* socket)
{
    auto it = m_buffers.find(socket);
    if (it == m_buffers.end())
        return;
    it.value() += socket->readAll();
    const qsizetype end = it.value().indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QList<QByteArray> lines = it.value().left(end).split('\n');
    m_buffers.erase(it);
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);

    Request request;
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            request.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    m_requests.append(request);

    const Response response = respond(request);
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) + "\r\n";
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    if (response.sendContentLength)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    if (response.stallAfterBytes) {
        socket->write(response.body.left(*response.stallAfterBytes));
        socket->flush();
        return;  // stays open and silent until the client gives up
    }
    if (request.method != "HEAD")
        socket->write(response.body);
    socket->disconnectFromHost();
}

LoopbackHttpServer::Response LoopbackHttpServer::respond(const Request& request) const
{
    if (m_handler)
        if (auto r = m_handler(request))
            return *r;
    QByteArray path = request.target;
    const qsizetype q = path.indexOf('?');
    if (q >= 0)
        path.truncate(q);
    auto it = m_routes.find(path);
    if (it != m_routes.end())
        return it.value();
    Response notFound;
    notFound.status = 404;
    notFound.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("text/plain")));
    notFound.body = "not found";
    return notFound;
}

}  // namespace corvallen::test
