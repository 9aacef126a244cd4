#pragma once

#include <QHash>
#include <QTcpServer>
#include <chrono>

namespace testhttp {

using HeaderList = QList<std::pair<QByteArray, QByteArray>>;

struct Request {
    QByteArray method;
    QString path; // the target up to '?', as sent (not percent-decoded)
    HeaderList headers;

    // Case-insensitive; empty when absent.
    QByteArray header(QByteArrayView name) const;
    QByteArray userAgent() const { return header("User-Agent"); }
};

struct Response {
    int status = 200;
    HeaderList headers; // Content-Length and Connection are added unless given here
    QByteArray body;

    static Response text(int status, QByteArray body);
    static Response json(QByteArray body, int status = 200);
};

// How the response leaves the server once the route's delay has passed.
enum class Delivery {
    complete,  // status line, headers and body at once
    trickle,   // the body `chunkBytes` at a time, one piece every `interval`
    endless,   // no Content-Length; the body (or filler) repeated until the client closes
    shortBody, // Content-Length claims a kilobyte more than is sent, then close
    hang,      // the request is read and recorded, nothing is ever answered
};

struct RouteOptions {
    std::chrono::milliseconds delay{0};
    Delivery delivery = Delivery::complete;
    qsizetype chunkBytes = 1; // at least 1
    std::chrono::milliseconds interval{10};
};

// An HTTP/1.1 server on 127.0.0.1 for network tests. It runs on the event loop
// of the thread that owns it, answers every request with "Connection: close",
// and never reads request bodies. Paths without a route get 404.
// Its delivery modes are what the updater's and the fetchers' tests rely on to
// fail in each way, so those tests are also its own.
class LocalHttpServer : public QObject {
    Q_OBJECT
public:
    // Listens on an ephemeral port at once; check isListening().
    explicit LocalHttpServer(QObject* parent = nullptr);
    ~LocalHttpServer() override;

    bool isListening() const { return m_listener.isListening(); }
    quint16 port() const { return m_listener.serverPort(); }
    // "http://127.0.0.1:PORT" + path; path starts with '/'.
    QString url(QStringView path) const;

    // Exact match on the path; a later route for the same path replaces the earlier one.
    void route(const QString& path, Response response, RouteOptions options = {});
    // `to` is a path on this server or an absolute URL.
    void redirect(const QString& from, const QString& to, int status = 302,
                  RouteOptions options = {});

    // Every request whose headers arrived, in order, routed or not.
    const QList<Request>& requests() const { return m_requests; }
    QList<Request> requestsFor(const QString& path) const;
    // The most requests whose connections were open at once, each counted from
    // the moment its headers arrived until its connection closed.
    int peakActiveRequests() const { return m_peakActive; }

Q_SIGNALS:
    void requestReceived(const testhttp::Request& request);

private:
    struct Route {
        Response response;
        RouteOptions options;
    };
    class Connection;
    Route dispatch(const Request& request);

    QTcpServer m_listener;
    QHash<QString, Route> m_routes;
    QList<Request> m_requests;
    int m_active = 0;
    int m_peakActive = 0;
    QObject m_connections; // parent of the live connections
};

} // namespace testhttp

Q_DECLARE_METATYPE(testhttp::Request)
