#include "Corvina/Favicons/IconDownload.h"

#include "platform/Network/ReplyRelease.h"
#include "shared/Metadata/PageHead.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace favicon {
namespace {

// 0 for a response that is not HTTP, which counts as success.
qint64 httpStatus(const QNetworkReply& reply) {
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toLongLong();
}

} // namespace

QNetworkRequest iconRequest(const QUrl& url) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, u"Quillan/1.1 (+https://corvina.app)"_s);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    // The cache policy stays the manager's default; the time-out is the
    // download's own deadline, which also covers slow trickles.
    return request;
}

IconDownload::IconDownload(const DownloadLimits& limits, QObject* parent, Callback done)
    : QObject(parent)
    , m_limits(limits)
    , m_done(std::move(done)) {
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { complete(std::nullopt); });
}

IconDownload::~IconDownload() {
    release();
}

IconDownload* IconDownload::start(QNetworkAccessManager& network, const QString& address,
                                  const DownloadLimits& limits, QObject* parent, Callback done) {
    auto* download = new IconDownload(limits, parent, std::move(done));
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"https" && scheme != u"http")) {
        // Answered from the event loop like every other outcome.
        QTimer::singleShot(0, download, [download] { download->complete(std::nullopt); });
        return download;
    }
    download->begin(network.get(iconRequest(url)));
    return download;
}

void IconDownload::begin(QNetworkReply* reply) {
    m_reply = reply;
    connect(reply, &QNetworkReply::readyRead, this, [this] { readBody(); });
    connect(reply, &QNetworkReply::finished, this, &IconDownload::replyFinished);
    m_deadline.start(m_limits.timeout);
}

// True when the download has completed.
bool IconDownload::readBody() {
    if (httpStatus(*m_reply) >= 400) {
        complete(std::nullopt);
        return true;
    }
    const qsizetype searched = m_body.size();
    // One byte past the cap tells a body cut at the cap from one that ends there.
    m_body += m_reply->read(m_limits.maxBytes + 1 - m_body.size());
    if (m_limits.stopAtHeadEnd) {
        const qsizetype headEnd = pagehead::findHeadEnd(m_body, searched);
        if (headEnd >= 0) {
            m_body.truncate(headEnd);
            complete(std::move(m_body));
            return true;
        }
    }
    if (m_body.size() <= m_limits.maxBytes)
        return false;
    if (m_limits.stopAtHeadEnd) {
        m_body.truncate(m_limits.maxBytes);
        complete(std::move(m_body));
    } else {
        complete(std::nullopt);
    }
    return true;
}

void IconDownload::replyFinished() {
    if (m_reply->error() != QNetworkReply::NoError || httpStatus(*m_reply) >= 400) {
        complete(std::nullopt);
        return;
    }
    if (!readBody())
        complete(std::move(m_body));
}

void IconDownload::cancel() {
    release();
    m_done = nullptr;
}

void IconDownload::complete(std::optional<QByteArray> body) {
    release();
    m_body.clear();
    deleteLater();
    if (m_done)
        std::exchange(m_done, nullptr)(std::move(body));
}

void IconDownload::release() {
    m_deadline.stop();
    if (!m_reply)
        return;
    QNetworkReply* reply = std::exchange(m_reply, nullptr);
    reply->disconnect(this);
    network::releaseReply(reply);
}

} // namespace favicon
