#include "platform/Updater/UpdateChecker.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

QString UpdateCheckResult::title() const {
    switch (status) {
    case Status::upToDate:
        return tr("You're up to date!");
    case Status::updateAvailable:
        return tr("A new version of Corvina is available!");
    case Status::failed:
        break;
    }
    return tr("Update check failed");
}

QString UpdateCheckResult::informativeText() const {
    switch (status) {
    case Status::upToDate:
        return tr("Corvina %1 is currently the newest version available.").arg(runningVersion);
    case Status::updateAvailable:
        return tr("Corvina %1 is now available — you have %2.").arg(latest.version, runningVersion);
    case Status::failed:
        break;
    }
    return tr("Corvina couldn't check for updates. Please try again later.");
}

UpdateChecker::UpdateChecker(QNetworkAccessManager& network, QUrl feedUrl, QString runningVersion,
                             QObject* parent)
    : QObject(parent)
    , m_network(network)
    , m_feedUrl(std::move(feedUrl))
    , m_runningVersion(std::move(runningVersion)) {
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        fail(UpdateCheckResult::Error::timeout,
             UpdateCheckResult::tr("The update server did not answer within %n second(s).", nullptr,
                                   int((m_timeout.count() + 999) / 1000)));
    });
}

UpdateChecker::~UpdateChecker() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

bool UpdateChecker::check() {
    if (m_reply)
        return false;
    QNetworkRequest request(m_feedUrl);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Corvina/") + m_runningVersion);
    request.setRawHeader("Accept", "application/json");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(maxRedirects);
    // A cache the app may install on the shared manager must not answer for the server.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    // Qt's transfer timeout restarts with every byte, so a server that trickles
    // would hold the check open for ever; the deadline covers the whole check.
    m_deadline.start(m_timeout);
    m_body.clear();
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &UpdateChecker::readBody);
    connect(m_reply, &QNetworkReply::finished, this, &UpdateChecker::replyFinished);
    return true;
}

void UpdateChecker::readBody() {
    // One byte past the cap is enough to know the feed is too large.
    m_body += m_reply->read(maxFeedBytes + 1 - m_body.size());
    if (m_body.size() > maxFeedBytes)
        fail(UpdateCheckResult::Error::tooLarge,
             UpdateCheckResult::tr("The update information is larger than %1 KiB.")
                 .arg(maxFeedBytes / 1024));
}

void UpdateChecker::replyFinished() {
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const auto httpFailure = [&] {
        fail(UpdateCheckResult::Error::httpStatus,
             UpdateCheckResult::tr("The update server answered with HTTP status %1.").arg(status));
    };
    if (status >= 400 || (status > 0 && status < 200))
        return httpFailure();
    if (m_reply->error() != QNetworkReply::NoError)
        return fail(UpdateCheckResult::Error::network, m_reply->errorString());
    // A redirect Qt did not follow, such as one without a Location.
    if (status >= 300)
        return httpFailure();

    readBody();
    if (!m_reply)
        return; // the rest of the body passed the cap
    auto feed = parseUpdateFeed(m_body);
    if (!feed)
        return fail(UpdateCheckResult::Error::malformedFeed, feed.error().message);
    const auto order = compareVersions(feed->version, m_runningVersion);
    // A running version that is not a version number cannot be shown to be current.
    const bool newer = order > 0 || order == std::partial_ordering::unordered;
    complete(UpdateCheckResult{newer ? UpdateCheckResult::Status::updateAvailable
                                     : UpdateCheckResult::Status::upToDate,
                               UpdateCheckResult::Error::none,
                               m_runningVersion,
                               std::move(feed).value(),
                               {}});
}

void UpdateChecker::fail(UpdateCheckResult::Error error, QString detail) {
    complete(UpdateCheckResult{
        UpdateCheckResult::Status::failed, error, m_runningVersion, {}, std::move(detail)});
}

void UpdateChecker::complete(UpdateCheckResult result) {
    m_deadline.stop();
    // Disconnected first: abort() would otherwise report the same check again.
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    if (reply) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    m_body.clear();
    // State is cleared before the signal so a receiver may start the next check.
    Q_EMIT finished(result);
}
