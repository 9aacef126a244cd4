#include "platform/Updater/UpdateChecker.h"

#include "platform/Updater/UpdaterController.h"
#include "tests/support/LocalHttpServer.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using testhttp::Delivery;
using testhttp::LocalHttpServer;
using testhttp::Response;
using Status = UpdateCheckResult::Status;
using Error = UpdateCheckResult::Error;

namespace {

const QString feedPath = QStringLiteral("/feed");
const QString running = QStringLiteral("1.2");

Response feed(const char* version) {
    return Response::json(QByteArray(R"({"version":")") + version +
                          R"(","url":"https://corvina.app/get","notes":"Notes"})");
}

// A feed of exactly `size` bytes, padded in its notes.
Response feedOfSize(qsizetype size) {
    const QByteArray head = R"({"version":"9.0","notes":")";
    return Response::json(head + QByteArray(size - head.size() - 2, 'n') + "\"}");
}

// /feed → /hop1 → … → /hopN, which serves version 2.0.
void redirectChain(LocalHttpServer& server, int hops) {
    QString from = feedPath;
    for (int hop = 1; hop <= hops; ++hop) {
        const QString to = QStringLiteral("/hop%1").arg(hop);
        server.redirect(from, to);
        from = to;
    }
    server.route(from, feed("2.0"));
}

struct CheckCase {
    const char* name;
    std::function<void(LocalHttpServer&)> serve;
    Status status;
    Error error = Error::none;
    std::chrono::milliseconds timeout = 5s;
};

UpdateCheckResult checkOnce(LocalHttpServer& server, std::chrono::milliseconds timeout) {
    QNetworkAccessManager network;
    UpdateChecker checker(network, QUrl(server.url(feedPath)), running);
    checker.setTimeout(timeout);
    QSignalSpy spy(&checker, &UpdateChecker::finished);
    EXPECT_TRUE(checker.check());
    EXPECT_TRUE(spy.wait(5000));
    QTest::qWait(20); // room for a second report, which must not come
    EXPECT_EQ(spy.count(), 1);
    EXPECT_FALSE(checker.isChecking());
    return spy.isEmpty() ? UpdateCheckResult{} : spy.first().first().value<UpdateCheckResult>();
}

class UpdateCheckOutcome : public testing::TestWithParam<CheckCase> {};

TEST_P(UpdateCheckOutcome, ReportsWhatTheServerDid) {
    LocalHttpServer server;
    ASSERT_TRUE(server.isListening());
    GetParam().serve(server);
    const UpdateCheckResult result = checkOnce(server, GetParam().timeout);
    EXPECT_EQ(result.status, GetParam().status) << qPrintable(result.detail);
    EXPECT_EQ(result.error, GetParam().error) << qPrintable(result.detail);
    EXPECT_EQ(result.runningVersion, running);
    EXPECT_FALSE(result.title().isEmpty());
    if (result.status == Status::failed) {
        EXPECT_FALSE(result.detailedText().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Servers, UpdateCheckOutcome,
    testing::Values(
        CheckCase{"newer", [](auto& s) { s.route(feedPath, feed("1.2.1")); },
                  Status::updateAvailable},
        CheckCase{"same", [](auto& s) { s.route(feedPath, feed("1.2.0")); }, Status::upToDate},
        CheckCase{"older", [](auto& s) { s.route(feedPath, feed("1.1.9")); }, Status::upToDate},
        CheckCase{"notFound", [](auto&) {}, Status::failed, Error::httpStatus},
        CheckCase{"serverError", [](auto& s) { s.route(feedPath, Response::text(503, "busy")); },
                  Status::failed, Error::httpStatus},
        CheckCase{"malformedJson",
                  [](auto& s) { s.route(feedPath, Response::json(R"({"version":)")); },
                  Status::failed, Error::malformedFeed},
        CheckCase{"badVersion", [](auto& s) { s.route(feedPath, feed("1.2-rc1")); }, Status::failed,
                  Error::malformedFeed},
        CheckCase{"fiveRedirects", [](auto& s) { redirectChain(s, 5); }, Status::updateAvailable},
        CheckCase{"sixRedirects", [](auto& s) { redirectChain(s, 6); }, Status::failed,
                  Error::network},
        CheckCase{"redirectLoop", [](auto& s) { s.redirect(feedPath, feedPath); }, Status::failed,
                  Error::network},
        CheckCase{"atTheCap",
                  [](auto& s) { s.route(feedPath, feedOfSize(UpdateChecker::maxFeedBytes)); },
                  Status::updateAvailable},
        CheckCase{"overTheCap",
                  [](auto& s) { s.route(feedPath, feedOfSize(UpdateChecker::maxFeedBytes + 1)); },
                  Status::failed, Error::tooLarge},
        CheckCase{"endless",
                  [](auto& s) { s.route(feedPath, feed("1.3"), {.delivery = Delivery::endless}); },
                  Status::failed, Error::tooLarge},
        CheckCase{
            "cutShort",
            [](auto& s) { s.route(feedPath, feed("1.3"), {.delivery = Delivery::shortBody}); },
            Status::failed, Error::network},
        // Bytes keep coming, just too slowly: the whole check has a deadline.
        CheckCase{"trickling",
                  [](auto& s) {
                      s.route(feedPath, feed("1.3"),
                              {.delivery = Delivery::trickle, .interval = 40ms});
                  },
                  Status::failed, Error::timeout, 250ms},
        CheckCase{"silent",
                  [](auto& s) { s.route(feedPath, feed("1.3"), {.delivery = Delivery::hang}); },
                  Status::failed, Error::timeout, 250ms}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UpdateCheckerTest, AvailableUpdateCarriesTheFeedAndBothVersions) {
    LocalHttpServer server;
    redirectChain(server, 1);
    const UpdateCheckResult result = checkOnce(server, 5s);
    ASSERT_EQ(result.status, Status::updateAvailable);
    EXPECT_EQ(result.latest.version, u"2.0");
    EXPECT_EQ(result.latest.url, QUrl(QStringLiteral("https://corvina.app/get")));
    EXPECT_EQ(result.latest.notes, u"Notes");
    const QString text = result.informativeText();
    EXPECT_LT(text.indexOf(u"2.0"), text.indexOf(u"1.2")) << qPrintable(text);

    // Every hop carries the identification, not just the first.
    ASSERT_EQ(server.requests().size(), 2);
    for (const testhttp::Request& request : server.requests()) {
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.userAgent(), "Corvina/1.2");
        EXPECT_EQ(request.header("accept"), "application/json");
    }
}

TEST(UpdateCheckerTest, CheckWhileCheckingIsIgnoredAndTheNextOneRuns) {
    LocalHttpServer server;
    server.route(feedPath, feed("1.2"), {.delay = 100ms});
    QNetworkAccessManager network;
    UpdateChecker checker(network, QUrl(server.url(feedPath)), running);
    QSignalSpy spy(&checker, &UpdateChecker::finished);

    ASSERT_TRUE(checker.check());
    EXPECT_FALSE(checker.check());
    EXPECT_EQ(spy.count(), 0); // never reported from inside check()
    ASSERT_TRUE(spy.wait(5000));
    EXPECT_FALSE(spy.wait(200));
    EXPECT_EQ(server.requests().size(), 1);

    ASSERT_TRUE(checker.check());
    ASSERT_TRUE(spy.wait(5000));
    EXPECT_EQ(server.requests().size(), 2);
}

struct RecordingPresenter : UpdateAlertPresenter {
    QList<UpdateCheckResult> shown;
    void present(const UpdateCheckResult& result) override { shown.append(result); }
};

TEST(UpdaterControllerTest, PresentsOneAlertPerCommand) {
    LocalHttpServer server;
    server.route(feedPath, feed("3.0"), {.delay = 50ms});
    QNetworkAccessManager network;
    UpdaterController controller(network, QUrl(server.url(feedPath)), running);
    RecordingPresenter presenter;
    controller.setPresenter(&presenter);
    QSignalSpy checking(&controller, &UpdaterController::checkingChanged);

    controller.checkForUpdates();
    controller.checkForUpdates();
    EXPECT_TRUE(controller.isChecking());
    ASSERT_TRUE(checking.wait(5000));
    ASSERT_EQ(checking.size(), 2);
    EXPECT_TRUE(checking[0][0].toBool());
    EXPECT_FALSE(checking[1][0].toBool());
    ASSERT_EQ(presenter.shown.size(), 1);
    EXPECT_EQ(presenter.shown[0].status, Status::updateAvailable);
}

TEST(UpdaterControllerTest, BuiltInFeedAndVersionAreUsable) {
    EXPECT_TRUE(parseVersion(UpdaterController::runningVersion()).has_value());
    const QUrl feedUrl = UpdaterController::defaultFeedUrl();
    EXPECT_TRUE(feedUrl.isValid());
    EXPECT_FALSE(feedUrl.host().isEmpty());
}

} // namespace
