#include "Corvina/Favicons/IconDiscovery.h"

#include "Corvina/Favicons/IconImage.h"
#include "Corvina/Favicons/IconLinkSearch.h"
#include "shared/Metadata/PageHead.h"

using namespace Qt::StringLiterals;

namespace favicon {

IconDiscovery* IconDiscovery::start(QNetworkAccessManager& network, QString domain,
                                    const DownloadLimits& limits, QObject* parent, Callback done) {
    return new IconDiscovery(network, std::move(domain), limits, parent, std::move(done));
}

IconDiscovery::IconDiscovery(QNetworkAccessManager& network, QString domain,
                             const DownloadLimits& limits, QObject* parent, Callback done)
    : QObject(parent)
    , m_network(network)
    , m_domain(std::move(domain))
    , m_limits(limits)
    , m_done(std::move(done)) {
    tryFavicon();
}

void IconDiscovery::tryFavicon() {
    tryImage(u"https://"_s + m_domain + u"/favicon.ico"_s, &IconDiscovery::tryHomePage);
}

void IconDiscovery::tryHomePage() {
    DownloadLimits pageLimits = m_limits;
    pageLimits.stopAtHeadEnd = true;
    IconDownload::start(m_network, u"https://"_s + m_domain + u'/', pageLimits, this,
                        [this, cap = pageLimits.maxBytes](std::optional<QByteArray> body) {
                            std::optional<QString> link;
                            if (body) {
                                const BodyExtent extent =
                                    body->size() >= cap ? BodyExtent::beginning : BodyExtent::whole;
                                if (const std::optional<QString> text =
                                        pagehead::decode(*body, extent))
                                    link = findIconLink(*text, m_domain);
                            }
                            if (link)
                                tryImage(*link, &IconDiscovery::tryTouchIcon);
                            else
                                tryTouchIcon();
                        });
}

void IconDiscovery::tryTouchIcon() {
    tryImage(u"https://"_s + m_domain + u"/apple-touch-icon.png"_s, nullptr);
}

void IconDiscovery::tryImage(const QString& address, void (IconDiscovery::*next)()) {
    IconDownload::start(m_network, address, m_limits, this,
                        [this, next](std::optional<QByteArray> bytes) {
                            if (bytes && isImageData(*bytes))
                                finish(std::move(bytes));
                            else if (next)
                                (this->*next)();
                            else
                                finish(std::nullopt);
                        });
}

void IconDiscovery::finish(std::optional<QByteArray> bytes) {
    deleteLater();
    if (m_done)
        std::exchange(m_done, nullptr)(std::move(bytes));
}

} // namespace favicon
