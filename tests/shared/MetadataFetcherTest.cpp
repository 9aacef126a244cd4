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
    MetadataFetcher::Outcome fetch(const QString& path, std::chrono::milliseconds timeout = 5s) {
        return fetchUrl(QUrl(server.url(path)), timeout);
    }

    MetadataFetcher::Outcome fetchUrl(const QUrl& url, std::chrono::milliseconds timeout = 5s) {
        Fetched fetched;
        MetadataFetch pending = start(url, fetched, timeout);
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
    ASSERT_TRUE(outcome.ok()) << qPrintable(outcome.error().description());
    EXPECT_EQ(outcome->title, u"Caf\u00e9 & Bar");
    EXPECT_EQ(outcome->description, u"Drinks");
    ASSERT_EQ(server.requests().size(), 3);
    for (const testhttp::Request& request : server.requests()) {
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.userAgent(), "Quillan/0.1 (+https://corvina.app)");
        EXPECT_EQ(request.header("accept"), "text/html,application/xhtml+xml");
    }
}

TEST_F(MetadataFetcherTest, StatusFromFourHundredFailsAndEmptyAnswersBelowGiveEmptyStrings) {
    const std::pair<int, QByteArray> cases[] = {
        {404, "Not Found"},
        {410, "<title>Gone</title>"},
        {418, "<title>Tea</title></head>"},
        {200, ""},
        {204, ""},
        {304, ""},
        {399, ""},
    };
    for (const auto& [status, body] : cases) {
        SCOPED_TRACE(status);
        const QString path = u"/%1"_s.arg(status);
        server.route(path, Response::text(status, body));
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
    const QUrl refused(u"http://127.0.0.1:%1/"_s.arg(closed.serverPort()));
    closed.close();
    server.route(u"/silent"_s, Response::text(200, kHead), {.delivery = Delivery::hang});
    // The head never completes and the connection drops.
    server.route(u"/short"_s, Response::text(200, "<title>x</title>"),
                 {.delivery = Delivery::shortBody});

    struct Case {
        QUrl url;
        QNetworkReply::NetworkError error;
    };
    for (const Case& c : {
             Case{refused, QNetworkReply::ConnectionRefusedError},
             Case{QUrl(server.url(u"/silent")), QNetworkReply::OperationCanceledError},
             Case{QUrl(server.url(u"/short")), QNetworkReply::RemoteHostClosedError},
             Case{QUrl(u"127.0.0.1/no-scheme"_s), QNetworkReply::ProtocolUnknownError},
         }) {
        const auto outcome = fetchUrl(c.url, 300ms);
        ASSERT_FALSE(outcome.ok()) << qPrintable(c.url.toString());
        EXPECT_EQ(outcome.error().kind(), Kind::transport);
        EXPECT_EQ(outcome.error().networkError(), c.error) << qPrintable(c.url.toString());
        EXPECT_FALSE(outcome.error().description().isEmpty());
    }
}

TEST_F(MetadataFetcherTest, StopsReadingAtTheHeadEnd) {
    // "</head>" arrives split over reads, then the rest would take minutes;
    // the invalid bytes after it do not make the head Latin-1.
    server.route(u"/slow"_s, Response::text(200, kHead + tail(64 * 1024)),
                 {.delivery = Delivery::trickle, .chunkBytes = 4, .interval = 2ms});
    const auto outcome = fetch(u"/slow"_s);
    ASSERT_TRUE(outcome.ok()) << qPrintable(outcome.error().description());
    EXPECT_EQ(outcome->title, u"Caf\u00e9 & Bar");
}

TEST_F(MetadataFetcherTest, StopsReadingAtTheSizeCap) {
    server.route(u"/endless"_s, Response::text(200, "<title>Endless</title><p>more</p>"),
                 {.delivery = Delivery::endless});
    const auto endless = fetch(u"/endless"_s);
    ASSERT_TRUE(endless.ok()) << qPrintable(endless.error().description());
    EXPECT_EQ(endless->title, u"Endless");

    // A title past the cap is never seen.
    server.route(u"/late"_s, Response::text(200, QByteArray(MetadataFetcher::kMaxBodyBytes, ' ') +
                                                     "<title>Late</title>"));
    const auto late = fetch(u"/late"_s);
    ASSERT_TRUE(late.ok()) << qPrintable(late.error().description());
    EXPECT_EQ(late->title, u"");

    // A page of exactly the cap is whole, so its last byte counts as it stands.
    server.route(u"/full"_s,
                 Response::text(200, "<title>\xe2\x80\x94</title>" +
                                         QByteArray(MetadataFetcher::kMaxBodyBytes - 19, ' ') +
                                         "\xe2"));
    const auto full = fetch(u"/full"_s);
    ASSERT_TRUE(full.ok()) << qPrintable(full.error().description());
    EXPECT_EQ(full->title, u"\u00e2\u0080\u0094");
}

TEST_F(MetadataFetcherTest, CancelledFetchNeverCallsBack) {
    server.route(u"/hang"_s, Response::text(200, kHead), {.delivery = Delivery::hang});
    QSignalSpy received(&server, &LocalHttpServer::requestReceived);
    Fetched cancelled, destroyed;
    MetadataFetch first = start(QUrl(server.url(u"/hang")), cancelled);
    std::optional<MetadataFetch> second(start(QUrl(server.url(u"/hang")), destroyed));
    EXPECT_TRUE(first.isRunning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.count() == 2; }, 5000));
    first.cancel();
    EXPECT_FALSE(first.isRunning());
    second.reset();
    QTest::qWait(400); // longer than the client would take to notice anything
    EXPECT_EQ(cancelled.calls, 0);
    EXPECT_EQ(destroyed.calls, 0);
}

TEST_F(MetadataFetcherTest, CallbackMayDestroyItsHandle) {
    server.route(u"/page"_s, Response::text(200, kHead));
    const MetadataFetcher fetcher(network);
    std::optional<MetadataFetch> pending;
    int calls = 0;
    const auto url = Url::parse(server.url(u"/page"));
    ASSERT_TRUE(url);
    pending.emplace(fetcher.fetch(*url, [&](MetadataFetcher::Outcome) {
        ++calls;
        pending.reset();
    }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls > 0; }, 5000));
    QTest::qWait(20);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(pending.has_value());
}

} // namespace
