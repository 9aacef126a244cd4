#include "tests/support/LocalHttpServer.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>

using namespace std::chrono_literals;
using testhttp::Delivery;
using testhttp::LocalHttpServer;
using testhttp::Response;

namespace {

struct Fetched {
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int status = 0;
    QByteArray body;
};

// The client gives up after `patience` of silence, so a broken route cannot stall the test.
Fetched fetch(QNetworkAccessManager& network, const QString& url,
              std::chrono::milliseconds patience = 3s) {
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("probe/1"));
    request.setTransferTimeout(int(patience.count()));
    std::unique_ptr<QNetworkReply> reply(network.get(request));
    QSignalSpy done(reply.get(), &QNetworkReply::finished);
    EXPECT_TRUE(done.wait(5000));
    return {reply->error(), reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
            reply->isOpen() ? reply->readAll() : QByteArray()};
}

} // namespace

TEST(LocalHttpServerTest, RoutesFollowsRedirectsAndRecordsRequests) {
    LocalHttpServer server;
    ASSERT_TRUE(server.isListening());
    server.route(QStringLiteral("/hello"), Response::json(R"({"hi":1})"));
    server.redirect(QStringLiteral("/old"), QStringLiteral("/hello"), 301);
    QNetworkAccessManager network;

    const Fetched moved = fetch(network, server.url(u"/old?x=1"));
    EXPECT_EQ(moved.error, QNetworkReply::NoError);
    EXPECT_EQ(moved.status, 200);
    EXPECT_EQ(moved.body, R"({"hi":1})");
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_EQ(server.requests()[0].path, u"/old");
    EXPECT_EQ(server.requests()[0].query, "x=1");
    EXPECT_EQ(server.requests()[1].path, u"/hello");
    EXPECT_EQ(server.requests()[1].method, "GET");
    EXPECT_EQ(server.requests()[1].userAgent(), "probe/1");

    const Fetched missing = fetch(network, server.url(u"/nowhere"));
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.error, QNetworkReply::ContentNotFoundError);
    EXPECT_EQ(server.requestsFor(QStringLiteral("/nowhere")).size(), 1);
}

TEST(LocalHttpServerTest, DelayedRouteLeavesTheServerAnswering) {
    LocalHttpServer server;
    server.route(QStringLiteral("/slow"), Response::text(200, "slow"), {.delay = 300ms});
    server.route(QStringLiteral("/fast"), Response::text(200, "fast"));
    QNetworkAccessManager network;

    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QNetworkReply> slow(network.get(QNetworkRequest(QUrl(server.url(u"/slow")))));
    QSignalSpy slowDone(slow.get(), &QNetworkReply::finished);
    EXPECT_EQ(fetch(network, server.url(u"/fast")).body, "fast");
    EXPECT_EQ(slowDone.count(), 0);
    ASSERT_TRUE(slowDone.wait(5000));
    EXPECT_GE(clock.elapsed(), 300);
    EXPECT_EQ(slow->readAll(), "slow");
}

TEST(LocalHttpServerTest, BrokenDeliveriesFailTheClientNotTheServer) {
    LocalHttpServer server;
    const QByteArray text(40, 'a');
    server.route(QStringLiteral("/trickle"), Response::text(200, text),
                 {.delivery = Delivery::trickle, .chunkBytes = 7, .interval = 5ms});
    server.route(QStringLiteral("/short"), Response::text(200, text),
                 {.delivery = Delivery::shortBody});
    server.route(QStringLiteral("/hang"), Response::text(200, text), {.delivery = Delivery::hang});
    server.route(QStringLiteral("/endless"), Response::text(200, "0123456789"),
                 {.delivery = Delivery::endless});
    QNetworkAccessManager network;

    EXPECT_EQ(fetch(network, server.url(u"/trickle")).body, text);
    EXPECT_NE(fetch(network, server.url(u"/short")).error, QNetworkReply::NoError);
    EXPECT_NE(fetch(network, server.url(u"/hang"), 100ms).error, QNetworkReply::NoError);

    // Hang up in the middle of an endless body.
    std::unique_ptr<QNetworkReply> endless(
        network.get(QNetworkRequest(QUrl(server.url(u"/endless")))));
    QByteArray received;
    QObject::connect(endless.get(), &QNetworkReply::readyRead, endless.get(), [&] {
        received += endless->readAll();
        if (received.size() > 300'000)
            endless->abort();
    });
    QSignalSpy endlessDone(endless.get(), &QNetworkReply::finished);
    ASSERT_TRUE(endlessDone.wait(5000));
    EXPECT_GT(received.size(), 300'000);
    EXPECT_TRUE(received.startsWith("01234567890123456789"));

    EXPECT_EQ(fetch(network, server.url(u"/trickle")).body, text);
}
