#include "shared/Metadata/MetadataFetcher.h"

#include "tests/support/LocalHttpServer.h"
#include "tests/support/Testing.h"

#include <QNetworkAccessManager>
#include <QTcpServer>

using testhttp::Delivery;
using testhttp::LocalHttpServer;
using testhttp::Response;
using Kind = MetadataFetcher::FetchError::Kind;

namespace {

const QByteArray kHead = "<html><head><meta charset=\"utf-8\">"
                         "<meta property=\"og:title\" content=\"Caf\xc3\xa9 &amp; Bar\">"
                         "<meta name=\"description\" content=\"  Drinks  \">"
                         "<title>Plain</title></head>";

// Body text that would change the result if it were read: another title for
// pages without a head end, and bytes that are not UTF-8.
QByteArray tail(qsizetype size) {
    QByteArray filler = "<p>\xff filler</p>";
    return filler.repeated(size / filler.size() + 1).left(size);
}

struct Fetched {
    std::optional<MetadataFetcher::Outcome> outcome;
    int calls = 0;
};

class MetadataFetcherTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.isListening()); }

    MetadataFetch start(const QUrl& url, Fetched& into, std::chrono::milliseconds timeout = 5s) {
        const MetadataFetcher fetcher(network, timeout);
        return fetcher.fetch(url, [&into](MetadataFetcher::Outcome outcome) {
            ++into.calls;
            into.outcome.emplace(std::move(outcome));
        });
    }

    // Waits for the one callback; fails the test when it does not come.
    MetadataFetcher::Outcome fetch(const QString& pathOrUrl,
                                   std::chrono::milliseconds timeout = 5s) {
        Fetched fetched;
        MetadataFetch pending = start(
            QUrl(pathOrUrl.startsWith(u'/') ? server.url(pathOrUrl) : pathOrUrl), fetched, timeout);
        EXPECT_EQ(fetched.calls, 0) << "called from inside fetch()";
        EXPECT_TRUE(QTest::qWaitFor([&] { return fetched.calls > 0; }, 8000));
        QTest::qWait(20); // room for a second call, which must not come
        EXPECT_EQ(fetched.calls, 1);
        EXPECT_FALSE(pending.isRunning());
        if (!fetched.outcome)
            return Failure{MetadataFetcher::FetchError::transport(
                QNetworkReply::UnknownNetworkError, u"no callback"_s)};
        return std::move(*fetched.outcome);
    }

    LocalHttpServer server;
    QNetworkAccessManager network;
};

TEST_F(MetadataFetcherTest, ReadsTheHeadAndSendsItsHeadersOnEveryRedirect) {
    server.redirect(u"/old"_s, u"/hop"_s, 301);
    server.redirect(u"/hop"_s, u"/page"_s, 302);
    server.route(u"/page"_s, Response::text(200, kHead + "<body>x</body></html>"));
    const auto outcome = fetch(u"/old"_s);
    EXPECT_EQ(outcome ? outcome->title + u'|' + outcome->description
                      : outcome.error().description(),
              u"Caf\u00e9 & Bar|Drinks");
    ASSERT_EQ(server.requests().size(), 3);
    for (const testhttp::Request& request : server.requests()) {
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.userAgent(), "Quillan/0.1 (+https://corvina.app)");
        EXPECT_EQ(request.header("accept"), "text/html,application/xhtml+xml");
    }
}

TEST_F(MetadataFetcherTest, StatusFromFourHundredFailsAndEmptyAnswersBelowGiveEmptyStrings) {
    // An error page's title is never taken for the page's.
    for (const int status : {404, 410, 418, 200, 204, 304, 399}) {
        SCOPED_TRACE(status);
        const QString path = u"/%1"_s.arg(status);
        server.route(path,
                     Response::text(status, status < 400 ? "" : "<title>Error</title></head>"));
        const auto outcome = fetch(path);
        if (status < 400) {
            ASSERT_TRUE(outcome.ok()) << qPrintable(outcome.error().description());
            EXPECT_EQ(*outcome, PageMetadata{});
            continue;
        }
        ASSERT_FALSE(outcome.ok());
        EXPECT_EQ(outcome.error().kind(), Kind::httpError);
        EXPECT_EQ(outcome.error().httpStatus(), status);
        EXPECT_EQ(outcome.error().description(), u"HTTP %1 from the server."_s.arg(status));
    }
    // A transport error's text is Qt's own.
    EXPECT_EQ(MetadataFetcher::FetchError::notHTML().description(), u"Page didn't return HTML.");
}

TEST_F(MetadataFetcherTest, TransportFailuresPassThrough) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    server.route(u"/silent"_s, Response::text(200, kHead), {.delivery = Delivery::hang});
    // The head never completes and the connection drops.
    server.route(u"/short"_s, Response::text(200, "<title>x</title>"),
                 {.delivery = Delivery::shortBody});
    const QString refused = u"http://127.0.0.1:%1/"_s.arg(closed.serverPort());
    closed.close();
    const auto error = [&](const QString& address) {
        const auto outcome = fetch(address, 300ms);
        EXPECT_TRUE(!outcome.ok() && outcome.error().kind() == Kind::transport)
            << qPrintable(address);
        EXPECT_FALSE(outcome.ok() || outcome.error().description().isEmpty());
        return outcome.ok() ? QNetworkReply::NoError : outcome.error().networkError();
    };
    EXPECT_EQ(error(refused), QNetworkReply::ConnectionRefusedError);
    EXPECT_EQ(error(u"/silent"_s), QNetworkReply::OperationCanceledError);
    EXPECT_EQ(error(u"/short"_s), QNetworkReply::RemoteHostClosedError);
    EXPECT_EQ(error(u"127.0.0.1/no-scheme"_s), QNetworkReply::ProtocolUnknownError);
}

TEST_F(MetadataFetcherTest, StopsReadingAtTheHeadEndOrTheSizeCap) {
    const auto title = [&](const QString& path, const QByteArray& body,
                           testhttp::RouteOptions options = {}) {
        server.route(path, Response::text(200, body), options);
        const auto outcome = fetch(path);
        return outcome ? outcome->title : u"<failed>"_s;
    };
    // "</head>" arrives split over reads, then the rest would take minutes;
    // the invalid bytes after it do not make the head Latin-1.
    EXPECT_EQ(title(u"/slow"_s, kHead + tail(64 * 1024),
                    {.delivery = Delivery::trickle, .chunkBytes = 4, .interval = 2ms}),
              u"Caf\u00e9 & Bar");
    EXPECT_EQ(
        title(u"/endless"_s, "<title>Endless</title><p>more</p>", {.delivery = Delivery::endless}),
        u"Endless");
    // A title past the cap is never seen.
    const QByteArray cap(MetadataFetcher::kMaxBodyBytes, ' ');
    EXPECT_EQ(title(u"/late"_s, cap + "<title>Late</title>"), u"");
    // A page of exactly the cap is whole, so its last byte counts as it stands.
    EXPECT_EQ(
        title(u"/full"_s, "<title>\xe2\x80\x94</title>" + cap.first(cap.size() - 19) + "\xe2"),
        u"\u00e2\u0080\u0094");
}

TEST_F(MetadataFetcherTest, CancelledFetchNeverCallsBack) {
    server.route(u"/hang"_s, Response::text(200, kHead), {.delivery = Delivery::hang});
    Fetched cancelled, destroyed;
    const QUrl hang(server.url(u"/hang"));
    MetadataFetch first = start(hang, cancelled);
    std::optional<MetadataFetch> second(start(hang, destroyed));
    EXPECT_TRUE(first.isRunning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requests().size() == 2; }, 5000));
    first.cancel();
    EXPECT_FALSE(first.isRunning());
    second.reset();
    QTest::qWait(400); // longer than the client would take to notice anything
    EXPECT_EQ(cancelled.calls, 0);
    EXPECT_EQ(destroyed.calls, 0);
}

TEST_F(MetadataFetcherTest, CallbackMayDestroyItsHandle) {
    server.route(u"/page"_s, Response::text(200, kHead));
    std::optional<MetadataFetch> pending;
    int calls = 0;
    pending.emplace(MetadataFetcher(network).fetch(*Url::parse(server.url(u"/page")), [&](auto) {
        ++calls;
        pending.reset();
    }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls > 0; }, 5000));
    QTest::qWait(20);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(pending.has_value());
}

} // namespace
