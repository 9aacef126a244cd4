#include "shared/Metadata/MetadataFetcher.h"

#include "platform/Network/ReplyRelease.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QThread>

// The per-call state: the reply and what has arrived of the body.
class MetadataFetchJob : public QObject {
public:
    MetadataFetchJob(QNetworkReply* reply, MetadataFetcher::Callback done)
        : m_reply(reply)
        , m_done(std::move(done)) {
        connect(reply, &QNetworkReply::readyRead, this, [this] { readBody(); });
        connect(reply, &QNetworkReply::finished, this, &MetadataFetchJob::replyFinished);
    }

    ~MetadataFetchJob() override { release(); }

    bool isRunning() const { return m_reply != nullptr; }
    void cancel() { release(); }

private:
    // True when the fetch has completed; the job may be gone by then.
    bool readBody() {
        const qsizetype searched = m_body.size();
        // One byte past the cap tells a body cut at the cap from one that ends there.
        m_body += m_reply->read(MetadataFetcher::kMaxBodyBytes + 1 - m_body.size());
        const qsizetype headEnd = pagehead::findHeadEnd(m_body, searched);
        if (headEnd >= 0) {
            m_body.truncate(headEnd);
            complete(BodyExtent::whole);
            return true;
        }
        if (m_body.size() > MetadataFetcher::kMaxBodyBytes) {
            m_body.truncate(MetadataFetcher::kMaxBodyBytes);
            complete(BodyExtent::beginning);
            return true;
        }
        return false;
    }

    void replyFinished() {
        if (m_reply->error() == QNetworkReply::NoError && readBody())
            return;
        complete(BodyExtent::whole);
    }

    void complete(BodyExtent extent) {
        using FetchError = MetadataFetcher::FetchError;
        const qint64 status =
            m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toLongLong();
        const QNetworkReply::NetworkError error = m_reply->error();
        const QString errorText = m_reply->errorString();
        // The body is complete or deliberately cut here; stop the transfer
        // before anything can report again.
        release();
        MetadataFetcher::Outcome outcome = [&]() -> MetadataFetcher::Outcome {
            if (status >= 400)
                return Failure{FetchError::httpError(status)};
            if (error != QNetworkReply::NoError)
                return Failure{FetchError::transport(error, errorText)};
            auto metadata = extractPageMetadata(m_body, extent);
            if (!metadata)
                return Failure{FetchError::notHTML()};
            return std::move(metadata).value();
        }();
        m_body.clear();
        // Last statement: the callback may destroy the handle and with it this job.
        std::exchange(m_done, nullptr)(std::move(outcome));
    }

    void release() {
        if (!m_reply)
            return;
        QNetworkReply* reply = std::exchange(m_reply, nullptr);
        reply->disconnect(this);
        network::releaseReply(reply);
    }

    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    MetadataFetcher::Callback m_done;
};

MetadataFetch::MetadataFetch() = default;
MetadataFetch::MetadataFetch(std::unique_ptr<MetadataFetchJob> job)
    : m_job(std::move(job)) {}
MetadataFetch::MetadataFetch(MetadataFetch&&) noexcept = default;
MetadataFetch& MetadataFetch::operator=(MetadataFetch&&) noexcept = default;
MetadataFetch::~MetadataFetch() = default;

bool MetadataFetch::isRunning() const {
    return m_job && m_job->isRunning();
}

void MetadataFetch::cancel() {
    if (m_job)
        m_job->cancel();
}

QString MetadataFetcher::FetchError::description() const {
    switch (m_kind) {
    case Kind::httpError:
        // The key keeps the "%lld" of the original message; the code goes in here.
        return tr("HTTP %lld from the server.")
            .replace(QLatin1StringView("%lld"), QString::number(m_httpStatus));
    case Kind::notHTML:
        return tr("Page didn't return HTML.");
    case Kind::transport:
        break;
    }
    return m_networkErrorText;
}

MetadataFetcher::MetadataFetcher(QNetworkAccessManager& network, std::chrono::milliseconds timeout)
    : m_network(network)
    , m_timeout(timeout) {}

QNetworkRequest MetadataFetcher::request(const QUrl& url) const {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Quillan/0.1 (+https://corvina.app)"));
    request.setRawHeader("Accept", "text/html,application/xhtml+xml");
    request.setTransferTimeout(int(m_timeout.count()));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    // The cache policy stays the manager's default.
    return request;
}

MetadataFetch MetadataFetcher::fetch(const QUrl& url, Callback done) const {
    Q_ASSERT(QThread::currentThread() == m_network.thread());
    return MetadataFetch(
        std::make_unique<MetadataFetchJob>(m_network.get(request(url)), std::move(done)));
}

MetadataFetch MetadataFetcher::fetch(const Url& url, Callback done) const {
    // Accepted addresses are plain ASCII, which strict parsing keeps as written.
    return fetch(QUrl(url.absoluteString(), QUrl::StrictMode), std::move(done));
}
