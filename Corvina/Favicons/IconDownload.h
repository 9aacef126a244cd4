#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

namespace favicon {

struct DownloadLimits {
    // The whole download, not only the gaps between packets, so a server
    // that trickles a byte at a time cannot hold a fetch open for long.
    std::chrono::milliseconds timeout{8000};
    // No real icon comes near this; a larger body yields nothing.
    qsizetype maxBytes = 1024 * 1024;
    // For home pages: stop reading at "</head>", and keep the first
    // maxBytes of a page without one instead of giving up on it.
    bool stopAtHeadEnd = false;
};

// The one place an icon request is put together.
QNetworkRequest iconRequest(const QUrl& url);

// One GET of an icon or a home page. The callback gets the body as
// received (possibly empty), or nullopt for an address that is not an
// http(s) URL, a transport failure, the time-out, a status of 400 or more,
// or a body over the limit. It is called once, from the event loop, never
// from inside start(). The download belongs to `parent` and deletes itself
// (later) once it has called back; cancel() stops it without a call.
class IconDownload : public QObject {
public:
    using Callback = std::function<void(std::optional<QByteArray>)>;

    static IconDownload* start(QNetworkAccessManager& network, const QString& address,
                               const DownloadLimits& limits, QObject* parent, Callback done);
    ~IconDownload() override;

    void cancel();

private:
    IconDownload(const DownloadLimits& limits, QObject* parent, Callback done);
    void begin(QNetworkReply* reply);
    bool readBody();
    void replyFinished();
    void complete(std::optional<QByteArray> body);
    void release();

    DownloadLimits m_limits;
    Callback m_done;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    QTimer m_deadline;
};

} // namespace favicon
