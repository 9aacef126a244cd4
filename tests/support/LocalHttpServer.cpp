#include "tests/support/LocalHttpServer.h"

#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace testhttp {
namespace {

// An endless body stays this far ahead of the client, so a client that stops
// reading holds the server back instead of filling its memory.
constexpr qint64 endlessBacklog = 64 * 1024;

bool hasHeader(const HeaderList& headers, QByteArrayView name) {
    return !Request{{}, {}, headers}.header(name).isNull();
}

// Request bytes up to the blank line. Only Qt's own clients connect, so the
// head is well formed.
Request parseHead(const QByteArray& head) {
    QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> requestLine = lines.takeFirst().trimmed().split(' ');
    Request request{
        requestLine.value(0), QString::fromLatin1(requestLine.value(1).split('?')[0]), {}};
    for (const QByteArray& line : std::as_const(lines)) {
        const qsizetype colon = line.indexOf(':');
        request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    return request;
}

} // namespace

// One accepted socket, from the request to the close. It deletes itself once
// the socket is gone, whichever side closed it and whenever. Request bodies
// are never read: every answer closes the connection.
class LocalHttpServer::Connection : public QObject {
public:
    Connection(QTcpSocket* socket, LocalHttpServer& server)
        : QObject(&server.m_connections)
        , m_socket(socket)
        , m_server(server) {
        m_socket->setParent(this);
        // Heads and bodies go out in separate writes; without this, Nagle's
        // algorithm and the client's delayed ACK add 40 ms to each answer.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(m_socket, &QTcpSocket::readyRead, this, &Connection::read);
        connect(m_socket, &QTcpSocket::bytesWritten, this, &Connection::topUp);
        connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
        read();
    }

    ~Connection() override {
        if (m_route)
            --m_server.m_active;
        disconnect(m_socket, nullptr, this, nullptr);
        m_socket->abort();
    }

private:
    void read() {
        m_buffer += m_socket->readAll();
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        if (m_route || end < 0)
            return;
        m_route = m_server.dispatch(parseHead(m_buffer.left(end)));
        QTimer::singleShot(m_route->options.delay, this, &Connection::answer);
    }

    void writeHead(std::optional<qint64> length) {
        const Response& response = m_route->response;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n";
        for (const auto& [name, value] : response.headers)
            head += name + ": " + value + "\r\n";
        if (length && !hasHeader(response.headers, "Content-Length"))
            head += "Content-Length: " + QByteArray::number(*length) + "\r\n";
        if (!hasHeader(response.headers, "Connection"))
            head += "Connection: close\r\n";
        m_socket->write(head + "\r\n");
    }

    void answer() {
        const QByteArray& body = m_route->response.body;
        const Delivery delivery = m_route->options.delivery;
        switch (delivery) {
        case Delivery::hang:
            return;
        case Delivery::endless:
            writeHead(std::nullopt);
            m_filler = body.isEmpty() ? QByteArray("x") : body;
            m_filler = m_filler.repeated(16 * 1024 / m_filler.size() + 1);
            return topUp();
        case Delivery::trickle:
            writeHead(body.size());
            return tick();
        case Delivery::shortBody:
        case Delivery::complete:
            writeHead(body.size() + (delivery == Delivery::shortBody ? 1024 : 0));
        }
        m_socket->write(body);
        // Sends what is still buffered before it closes.
        m_socket->disconnectFromHost();
    }

    void tick() {
        const QByteArray& body = m_route->response.body;
        m_socket->write(body.mid(m_sent, m_route->options.chunkBytes));
        m_sent += m_route->options.chunkBytes;
        if (m_sent < body.size())
            QTimer::singleShot(m_route->options.interval, this, &Connection::tick);
        else
            m_socket->disconnectFromHost();
    }

    void topUp() {
        while (!m_filler.isEmpty() && m_socket->state() == QAbstractSocket::ConnectedState &&
               m_socket->bytesToWrite() < endlessBacklog)
            m_socket->write(m_filler);
    }

    QTcpSocket* m_socket;
    LocalHttpServer& m_server;
    QByteArray m_buffer;
    std::optional<Route> m_route;
    qsizetype m_sent = 0;
    QByteArray m_filler;
};

QByteArray Request::header(QByteArrayView name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

Response Response::text(int status, QByteArray body) {
    return {status, {{"Content-Type", "text/plain; charset=utf-8"}}, std::move(body)};
}

Response Response::json(QByteArray body, int status) {
    return {status, {{"Content-Type", "application/json"}}, std::move(body)};
}

LocalHttpServer::LocalHttpServer(QObject* parent)
    : QObject(parent) {
    connect(&m_listener, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_listener.nextPendingConnection())
            new Connection(socket, *this);
    });
    m_listener.listen(QHostAddress::LocalHost, 0);
}

LocalHttpServer::~LocalHttpServer() {
    m_listener.close();
    // Connections count themselves out of this server; end them while it exists.
    qDeleteAll(m_connections.children());
}

QString LocalHttpServer::url(QStringView path) const {
    return u"http://127.0.0.1:%1"_qs.arg(port()).append(path);
}

void LocalHttpServer::route(const QString& path, Response response, RouteOptions options) {
    m_routes.insert(path, Route{std::move(response), options});
}

void LocalHttpServer::redirect(const QString& from, const QString& to, int status,
                               RouteOptions options) {
    const QString location = to.startsWith(u'/') ? url(to) : to;
    route(from, Response{status, {{"Location", location.toUtf8()}}, {}}, options);
}

QList<Request> LocalHttpServer::requestsFor(const QString& path) const {
    QList<Request> matching;
    std::copy_if(m_requests.cbegin(), m_requests.cend(), std::back_inserter(matching),
                 [&](const Request& request) { return request.path == path; });
    return matching;
}

LocalHttpServer::Route LocalHttpServer::dispatch(const Request& request) {
    m_requests.append(request);
    m_peakActive = std::max(m_peakActive, ++m_active);
    Q_EMIT requestReceived(request);
    return m_routes.value(request.path, Route{Response::text(404, "Not Found"), {}});
}

} // namespace testhttp
