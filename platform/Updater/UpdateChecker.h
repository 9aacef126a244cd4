#pragma once

#include "platform/Updater/UpdateFeed.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QMetaType>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <chrono>

class QNetworkAccessManager;

struct UpdateCheckResult {
    Q_DECLARE_TR_FUNCTIONS(UpdateCheckResult)

public:
    enum class Status { upToDate, updateAvailable, failed };
    enum class Error {
        none,
        network,       // no connection, refused, TLS, too many or unsafe redirects
        httpStatus,    // the server answered, but not with 2xx
        malformedFeed, // the body is not a feed parseUpdateFeed() accepts
        tooLarge,      // the body passed UpdateChecker::maxFeedBytes
        timeout,       // the whole check took longer than the checker's timeout
    };

    Status status = Status::failed;
    Error error = Error::none;
    QString runningVersion;
    UpdateFeed latest; // what the feed announced; empty when the check failed
    QString detail;    // why a check failed, for the alert's details

    // Alert texts: a title, one sentence under it, and (on failure) the details.
    QString title() const;
    QString informativeText() const;
    QString detailedText() const { return detail; }
};
Q_DECLARE_METATYPE(UpdateCheckResult)

// Fetches the update feed once per check() and compares it with the running
// version. Everything happens on the event loop of the caller's thread.
class UpdateChecker : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultTimeout{10'000};
    static constexpr qint64 maxFeedBytes = 256 * 1024;
    static constexpr int maxRedirects = 5;

    // `network` is the process's manager; it must outlive the checker.
    UpdateChecker(QNetworkAccessManager& network, QUrl feedUrl, QString runningVersion,
                  QObject* parent = nullptr);
    ~UpdateChecker() override;

    // Applies to checks started afterwards.
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

    // Starts a check; false, and nothing happens, while one is running.
    // Each started check emits finished() exactly once, never from inside check().
    bool check();
    bool isChecking() const { return m_reply != nullptr; }

    const QUrl& feedUrl() const { return m_feedUrl; }
    const QString& runningVersion() const { return m_runningVersion; }

Q_SIGNALS:
    void finished(const UpdateCheckResult& result);

private:
    void readBody();
    void replyFinished();
    void fail(UpdateCheckResult::Error error, QString detail);
    void complete(UpdateCheckResult result);

    QNetworkAccessManager& m_network;
    QUrl m_feedUrl;
    QString m_runningVersion;
    std::chrono::milliseconds m_timeout = defaultTimeout;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    QTimer m_deadline;
};
