#pragma once

#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QUrl>

namespace testhttp {

// Sends every request to one local server, whatever host its address names,
// so code that builds "https://site/..." addresses is tested unchanged. The
// original scheme and host become the first two path segments:
// "https://site.test/favicon.ico" arrives as "/https/site.test/favicon.ico".
// Requests already addressed to the server pass as they are.
class LoopbackNetworkManager : public QNetworkAccessManager {
public:
    explicit LoopbackNetworkManager(quint16 port)
        : m_port(port) {}

    // The path a request for `address` arrives at.
    static QString routedPath(const QUrl& address) {
        return u'/' + address.scheme() + u'/' + address.host() + address.path(QUrl::FullyEncoded);
    }

protected:
    QNetworkReply* createRequest(Operation op, const QNetworkRequest& request,
                                 QIODevice* outgoingData) override {
        const QUrl original = request.url();
        if (original.host() == u"127.0.0.1" && original.port() == m_port)
            return QNetworkAccessManager::createRequest(op, request, outgoingData);
        QUrl routed;
        routed.setScheme(QStringLiteral("http"));
        routed.setHost(QStringLiteral("127.0.0.1"));
        routed.setPort(m_port);
        routed.setPath(routedPath(original), QUrl::TolerantMode);
        routed.setQuery(original.query(QUrl::FullyEncoded));
        QNetworkRequest rewritten(request);
        rewritten.setUrl(routed);
        return QNetworkAccessManager::createRequest(op, rewritten, outgoingData);
    }

private:
    quint16 m_port;
};

} // namespace testhttp
