#pragma once

#include "Corvina/Favicons/IconDownload.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

class QNetworkAccessManager;

namespace favicon {

// Finds a site's icon over the network, trying in turn "/favicon.ico", the
// icon the home page links to, and "/apple-touch-icon.png". Each candidate
// must pass the image test. The callback gets the bytes as received, or
// nullopt when no step found an image; it is called once, from the event
// loop. The discovery belongs to `parent` and deletes itself (later) once it
// has called back.
class IconDiscovery : public QObject {
public:
    using Callback = std::function<void(std::optional<QByteArray>)>;

    static IconDiscovery* start(QNetworkAccessManager& network, QString domain,
                                const DownloadLimits& limits, QObject* parent, Callback done);

private:
    IconDiscovery(QNetworkAccessManager& network, QString domain, const DownloadLimits& limits,
                  QObject* parent, Callback done);
    void tryFavicon();
    void tryHomePage();
    void tryTouchIcon();
    // Downloads `address`; an image ends the discovery, anything else goes on with `next`.
    void tryImage(const QString& address, void (IconDiscovery::*next)());
    void finish(std::optional<QByteArray> bytes);

    QNetworkAccessManager& m_network;
    QString m_domain;
    DownloadLimits m_limits;
    Callback m_done;
};

} // namespace favicon
