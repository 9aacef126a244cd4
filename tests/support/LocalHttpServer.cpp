#include "tests/support/LocalHttpServer.h"

#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace testhttp {
namespace {

constexpr qsizetype maxHeaderBytes = 64 * 1024;
// An endless body stays this far ahead of the client, so a client that stops
// reading holds the server back instead of filling its memory.
constexpr qint64 endlessBacklog = 64 * 1024;
constexpr qsizetype endlessPiece = 16 * 1024;

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

bool hasHeader(const HeaderList& headers, QByteArrayView name) {
    return std::any_of(headers.cbegin(), headers.cend(), [&](const auto& header) {
        return header.first.compare(name, Qt::CaseInsensitive) == 0;
    });
}

using Dispatch = std::function<std::pair<Response, RouteOptions>(const Request&)>;

// One accepted socket, from the request line to the close. It deletes itself
// once the socket is gone, whichever side closed it and whenever.
class Connection : public QObject {
public:
    Connection(QTcpSocket* socket, Dispatch dispatch, std::function<void()> ended, QObject* parent)
        : QObject(parent)
        , m_socket(socket)
        , m_dispatch(std::move(dispatch))
        , m_ended(std::move(ended)) {
        m_socket->setParent(this);
        // Heads and bodies go out in separate writes; without this, Nagle's
        // algorithm and the client's delayed ACK add 40 ms to each answer.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(m_socket, &QTcpSocket::readyRead, this, &Connection::read);
        connect(m_socket, &QTcpSocket::bytesWritten, this, &Connection::written);
        connect(m_socket, &QTcpSocket::disconnected, this, &Connection::closed);
        connect(&m_ticker, &QTimer::timeout, this, &Connection::tick);
        read();
    }

    ~Connection() override {
        if (m_dispatched)
            m_ended();
        m_ticker.stop();
        disconnect(m_socket, nullptr, this, nullptr);
        m_socket->abort();
    }

private:
    enum class Phase { head, body, answering, done };

    bool connected() const { return m_socket->state() == QAbstractSocket::ConnectedState; }

    void read() {
        m_buffer += m_socket->readAll();
        if (m_phase == Phase::head) {
            const qsizetype end = m_buffer.indexOf("\r\n\r\n");
            if (end < 0) {
                if (m_buffer.size() > maxHeaderBytes)
                    reject(431);
                return;
            }
            if (!parseHead(QByteArrayView(m_buffer).first(end))) {
                reject(400);
                return;
            }
            m_buffer.remove(0, end + 4);
            m_phase = Phase::body;
        }
        if (m_phase == Phase::body) {
            const qint64 taken = std::min<qint64>(m_bodyLeft, m_buffer.size());
            m_buffer.remove(0, taken);
            m_bodyLeft -= taken;
            if (m_bodyLeft == 0) {
                m_phase = Phase::answering;
                m_dispatched = true;
                std::tie(m_response, m_options) = m_dispatch(m_request);
                if (m_options.delay.count() > 0)
                    QTimer::singleShot(m_options.delay, this, &Connection::answer);
                else
                    answer();
            }
        }
        // Pipelined requests are not served: every answer closes the connection.
        if (m_phase != Phase::head && m_phase != Phase::body)
            m_buffer.clear();
    }

    bool parseHead(QByteArrayView head) {
        QList<QByteArray> lines = head.toByteArray().split('\n');
        for (QByteArray& line : lines) {
            if (line.endsWith('\r'))
                line.chop(1);
        }
        const QList<QByteArray> requestLine = lines.takeFirst().split(' ');
        if (requestLine.size() != 3 || requestLine[0].isEmpty() ||
            !requestLine[1].startsWith('/') || !requestLine[2].startsWith("HTTP/1."))
            return false;
        m_request.method = requestLine[0];
        const QByteArray& target = requestLine[1];
        const qsizetype question = target.indexOf('?');
        m_request.path = QString::fromLatin1(question < 0 ? target : target.left(question));
        m_request.query = question < 0 ? QByteArray() : target.mid(question + 1);
        for (const QByteArray& line : std::as_const(lines)) {
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0)
                return false;
            m_request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
        }
        if (const QByteArray length = m_request.header("Content-Length"); !length.isEmpty()) {
            bool ok = false;
            m_bodyLeft = length.toLongLong(&ok);
            if (!ok || m_bodyLeft < 0)
                return false;
        }
        return true;
    }

    void writeHead(std::optional<qint64> contentLength) {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(m_response.status) + ' ' +
                          reasonPhrase(m_response.status) + "\r\n";
        for (const auto& [name, value] : std::as_const(m_response.headers))
            head += name + ": " + value + "\r\n";
        if (contentLength && !hasHeader(m_response.headers, "Content-Length"))
            head += "Content-Length: " + QByteArray::number(*contentLength) + "\r\n";
        if (!hasHeader(m_response.headers, "Connection"))
            head += "Connection: close\r\n";
        head += "\r\n";
        m_socket->write(head);
    }

    void answer() {
        if (!connected() || m_options.delivery == Delivery::hang)
            return;
        const QByteArray& body = m_response.body;
        const bool headOnly = m_request.method == "HEAD";
        switch (m_options.delivery) {
        case Delivery::endless:
            writeHead(std::nullopt);
            if (headOnly)
                break;
            m_filler = body.isEmpty() ? QByteArray(endlessPiece, 'x') : body;
            while (m_filler.size() < endlessPiece)
                m_filler += body;
            topUp();
            return;
        case Delivery::trickle:
            writeHead(body.size());
            if (headOnly || body.isEmpty())
                break;
            m_ticker.start(m_options.interval);
            return;
        case Delivery::shortBody:
            writeHead(body.size() + m_options.missingBytes);
            if (!headOnly)
                m_socket->write(body);
            break;
        case Delivery::complete:
        case Delivery::hang:
            writeHead(body.size());
            if (!headOnly)
                m_socket->write(body);
            break;
        }
        finish();
    }

    void tick() {
        if (!connected()) {
            m_ticker.stop();
            return;
        }
        const QByteArray piece =
            m_response.body.mid(m_sent, std::max<qsizetype>(1, m_options.chunkBytes));
        m_socket->write(piece);
        m_sent += piece.size();
        if (m_sent >= m_response.body.size()) {
            m_ticker.stop();
            finish();
        }
    }

    void written() {
        if (m_phase == Phase::answering && !m_filler.isEmpty())
            topUp();
    }

    void topUp() {
        while (connected() && m_socket->bytesToWrite() < endlessBacklog)
            m_socket->write(m_filler);
    }

    void reject(int status) {
        m_phase = Phase::answering;
        m_response = Response::text(status, reasonPhrase(status));
        writeHead(m_response.body.size());
        m_socket->write(m_response.body);
        finish();
    }

    // disconnectFromHost() sends what is still buffered before it closes.
    void finish() {
        m_phase = Phase::done;
        m_socket->disconnectFromHost();
    }

    void closed() {
        m_ticker.stop();
        m_phase = Phase::done;
        m_filler.clear();
        deleteLater();
    }

    QTcpSocket* m_socket;
    Dispatch m_dispatch;
    std::function<void()> m_ended;
    bool m_dispatched = false;
    Phase m_phase = Phase::head;
    QByteArray m_buffer;
    qint64 m_bodyLeft = 0;
    Request m_request;
    Response m_response;
    RouteOptions m_options;
    QTimer m_ticker;
    qsizetype m_sent = 0;
    QByteArray m_filler;
};

} // namespace

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
    connect(&m_listener, &QTcpServer::newConnection, this, &LocalHttpServer::accept);
    m_listener.listen(QHostAddress::LocalHost, 0);
}

LocalHttpServer::~LocalHttpServer() {
    m_listener.close();
    // Connections call back into the routes; end them while those still exist.
    qDeleteAll(m_connections.children());
}

QString LocalHttpServer::url(QStringView path) const {
    QString address = QStringLiteral("http://127.0.0.1:%1").arg(port());
    address += path;
    return address;
}

void LocalHttpServer::route(const QString& path, Response response, RouteOptions options) {
    route(
        path, [response = std::move(response)](const Request&) { return response; }, options);
}

void LocalHttpServer::route(const QString& path, Handler handler, RouteOptions options) {
    m_routes.insert(path, Route{std::move(handler), options});
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

std::pair<Response, RouteOptions> LocalHttpServer::dispatch(const Request& request) {
    m_requests.append(request);
    m_peakActive = std::max(m_peakActive, ++m_active);
    Q_EMIT requestReceived(request);
    const auto found = m_routes.constFind(request.path);
    if (found == m_routes.cend())
        return {Response::text(404, "Not Found"), RouteOptions{}};
    return {found->handler(request), found->options};
}

void LocalHttpServer::accept() {
    while (QTcpSocket* socket = m_listener.nextPendingConnection())
        new Connection(
            socket, [this](const Request& request) { return dispatch(request); },
            [this] { --m_active; }, &m_connections);
}

} // namespace testhttp
