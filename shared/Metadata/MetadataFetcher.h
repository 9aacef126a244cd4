#pragma once

#include "platform/Core/Result.h"
#include "platform/Url/Url.h"
#include "shared/Metadata/PageHead.h"

#include <QCoreApplication>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>

class QNetworkAccessManager;
class MetadataFetchJob;

// One fetch in flight. Destroying or cancel()ing it aborts the request, and
// its callback is not called from then on. Move-only; a default-constructed
// handle holds nothing, so an owner can keep one as a member and assign each
// new fetch to it (which cancels the previous one).
class [[nodiscard]] MetadataFetch {
public:
    MetadataFetch();
    MetadataFetch(MetadataFetch&&) noexcept;
    MetadataFetch& operator=(MetadataFetch&&) noexcept;
    ~MetadataFetch();

    // True from fetch() until the callback has been called or the fetch was cancelled.
    bool isRunning() const;
    void cancel();

private:
    friend class MetadataFetcher;
    explicit MetadataFetch(std::unique_ptr<MetadataFetchJob> job);

    std::unique_ptr<MetadataFetchJob> m_job;
};

// Turns a page address into its title and description: one GET, only the
// page's head is read and searched. No state of its own beyond the network
// manager, so instances are interchangeable. Used on the thread that owns
// the manager (the main thread); results arrive there.
//
//   m_metadataFetch = fetcher.fetch(url, [this](MetadataFetcher::Outcome outcome) {
//       if (outcome) show(outcome->title, outcome->description);
//       else report(outcome.error().description());
//   });
//
// Since the callback never runs inside fetch(), a command-line caller can
// start the fetch and then run a local QEventLoop that the callback quits.
class MetadataFetcher {
    Q_DECLARE_TR_FUNCTIONS(MetadataFetcher)

public:
    class FetchError {
    public:
        enum class Kind {
            httpError, // the server answered with status 400 or higher
            notHTML,   // the body could not be decoded as text
            transport, // the HTTP client's own failure, passed through
        };

        static FetchError httpError(qint64 status) { return {Kind::httpError, status, {}, {}}; }
        static FetchError notHTML() { return {Kind::notHTML, 0, {}, {}}; }
        static FetchError transport(QNetworkReply::NetworkError error, QString text) {
            return {Kind::transport, 0, error, std::move(text)};
        }

        Kind kind() const { return m_kind; }
        // Set for httpError only.
        qint64 httpStatus() const { return m_httpStatus; }
        // Set for transport only: Qt's code and its text. Qt 6.4 reports the
        // transfer time-out as OperationCanceledError.
        QNetworkReply::NetworkError networkError() const { return m_networkError; }
        // The sentence shown to the user; for transport failures the client's own text.
        QString description() const;

    private:
        FetchError(Kind kind, qint64 status, QNetworkReply::NetworkError error, QString text)
            : m_kind(kind)
            , m_httpStatus(status)
            , m_networkError(error)
            , m_networkErrorText(std::move(text)) {}

        Kind m_kind;
        qint64 m_httpStatus;
        QNetworkReply::NetworkError m_networkError;
        QString m_networkErrorText;
    };

    using Outcome = Result<PageMetadata, FetchError>;
    using Callback = std::function<void(Outcome)>;

    static constexpr std::chrono::milliseconds kDefaultTimeout{10'000};
    // Reading stops at "</head>"; a page that has none is read up to this size.
    static constexpr qsizetype kMaxBodyBytes = 4 * 1024 * 1024;

    // `network` must outlive the fetcher and every fetch it started. The
    // time-out is Qt's transfer time-out: it restarts whenever data arrives.
    explicit MetadataFetcher(QNetworkAccessManager& network,
                             std::chrono::milliseconds timeout = kDefaultTimeout);

    // Starts a GET of `url`, unchanged. `done` is called exactly once, later
    // from the event loop (never from inside fetch()), unless the returned
    // handle is cancelled or destroyed first. It may destroy the handle.
    MetadataFetch fetch(const QUrl& url, Callback done) const;
    // The same for the logic layer's address type, handed over unchanged.
    MetadataFetch fetch(const Url& url, Callback done) const;

    // The one place the request is put together.
    QNetworkRequest request(const QUrl& url) const;

private:
    QNetworkAccessManager& m_network;
    std::chrono::milliseconds m_timeout;
};
