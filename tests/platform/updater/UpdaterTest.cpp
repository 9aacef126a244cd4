#include "platform/Updater/UpdateChecker.h"
#include "platform/Updater/UpdateFeed.h"
#include "platform/Updater/UpdaterController.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/TestTable.h"
#include "tests/support/Testing.h"

#include <QNetworkAccessManager>

using testhttp::Delivery;
using testhttp::LocalHttpServer;
using testhttp::Response;
using Status = UpdateCheckResult::Status;
using Error = UpdateCheckResult::Error;

namespace {

const QString feedPath = u"/feed"_s;
const QString running = u"1.2"_s;

TEST(UpdateFeedTest, AcceptsOnlyWellFormedFeeds) {
    for (const testenv::TableRow& row : testenv::readTable(u"update-feeds.tsv"_s, 4)) {
        SCOPED_TRACE(row.where);
        const auto feed = parseUpdateFeed(row.bytes(0));
        ASSERT_EQ(feed.ok(), row.optionalText(1).has_value());
        if (!feed) {
            EXPECT_FALSE(feed.error().message.isEmpty());
            continue;
        }
        EXPECT_EQ(feed->version, row.text(1));
        EXPECT_EQ(feed->url, QUrl(row.text(2)));
        EXPECT_EQ(feed->notes, row.text(3));
    }
    const std::map<QString, std::partial_ordering> orders{
        {u"<"_s, std::partial_ordering::less},
        {u"="_s, std::partial_ordering::equivalent},
        {u">"_s, std::partial_ordering::greater},
        {u"?"_s, std::partial_ordering::unordered}};
    for (const testenv::TableRow& row : testenv::readTable(u"version-order.tsv"_s, 3))
        EXPECT_TRUE(compareVersions(row.text(0), row.text(1)) == orders.at(row.text(2)))
            << row.where;
}

Response feed(const char* version) {
    return Response::json(QByteArray(R"({"version":")") + version +
                          R"(","url":"https://corvina.app/get","notes":"Notes"})");
}

// A feed of exactly `size` bytes, padded in its notes.
Response feedOfSize(qsizetype size) {
    const QByteArray head = R"({"version":"9.0","notes":")";
    return Response::json(head + QByteArray(size - head.size() - 2, 'n') + "\"}");
}

TEST(UpdateCheckerTest, ReportsWhatTheServerDid) {
    int checks = 0;
    const auto check = [&](const std::function<void(LocalHttpServer&)>& serve, Status status,
                           Error error = Error::none, std::chrono::milliseconds timeout = 5s) {
        SCOPED_TRACE(testing::Message() << "check " << ++checks);
        LocalHttpServer server;
        serve(server);
        QNetworkAccessManager network;
        UpdateChecker checker(network, QUrl(server.url(feedPath)), running);
        checker.setTimeout(timeout);
        QSignalSpy spy(&checker, &UpdateChecker::finished);
        EXPECT_TRUE(checker.check());
        EXPECT_TRUE(spy.wait(testenv::kPatience));
        QTest::qWait(20); // room for a second report, which must not come
        EXPECT_EQ(spy.count(), 1);
        EXPECT_FALSE(checker.isChecking());
        const auto result =
            spy.isEmpty() ? UpdateCheckResult{} : spy[0][0].value<UpdateCheckResult>();
        EXPECT_EQ(result.status, status) << qPrintable(result.detail);
        EXPECT_EQ(result.error, error) << qPrintable(result.detail);
        EXPECT_EQ(result.runningVersion, running);
        EXPECT_FALSE(result.title().isEmpty());
        EXPECT_TRUE(result.status != Status::failed || !result.detailedText().isEmpty());
        // Every request carries the identification, each hop of a redirect too.
        for (const testhttp::Request& request : server.requests()) {
            EXPECT_EQ(request.method, "GET");
            EXPECT_EQ(request.userAgent(), "Corvina/1.2");
            EXPECT_EQ(request.header("accept"), "application/json");
        }
        return result;
    };
    const auto serve = [](Response response, testhttp::RouteOptions options = {}) {
        return [=](LocalHttpServer& s) { s.route(feedPath, response, options); };
    };
    // /feed → /hop1 → … → /hopN, which serves version 2.0.
    const auto chain = [](int hops) {
        return [=](LocalHttpServer& s) {
            for (int hop = 1; hop <= hops; ++hop)
                s.redirect(hop == 1 ? feedPath : u"/hop%1"_s.arg(hop - 1), u"/hop%1"_s.arg(hop));
            s.route(u"/hop%1"_s.arg(hops), feed("2.0"));
        };
    };
    check(serve(feed("1.2.1")), Status::updateAvailable);
    check(serve(feed("1.2.0")), Status::upToDate);
    check(serve(feed("1.1.9")), Status::upToDate);
    check([](auto&) {}, Status::failed, Error::httpStatus); // nothing at the address
    check(serve(Response::text(503, "busy")), Status::failed, Error::httpStatus);
    check(serve(Response::json(R"({"version":)")), Status::failed, Error::malformedFeed);
    check(serve(feed("1.2-rc1")), Status::failed, Error::malformedFeed);
    // An available update carries the feed and both versions, the new one first.
    const UpdateCheckResult update = check(chain(5), Status::updateAvailable);
    EXPECT_EQ(update.latest.version, u"2.0");
    EXPECT_EQ(update.latest.url, QUrl(u"https://corvina.app/get"_s));
    EXPECT_EQ(update.latest.notes, u"Notes");
    const QString text = update.informativeText();
    EXPECT_LT(text.indexOf(u"2.0"), text.indexOf(u"1.2")) << qPrintable(text);
    check(chain(6), Status::failed, Error::network);
    check([](auto& s) { s.redirect(feedPath, feedPath); }, Status::failed, Error::network);
    check(serve(feedOfSize(UpdateChecker::maxFeedBytes)), Status::updateAvailable);
    check(serve(feedOfSize(UpdateChecker::maxFeedBytes + 1)), Status::failed, Error::tooLarge);
    check(serve(feed("1.3"), {.delivery = Delivery::endless}), Status::failed, Error::tooLarge);
    check(serve(feed("1.3"), {.delivery = Delivery::shortBody}), Status::failed, Error::network);
    // Bytes that keep coming, just too slowly, meet the whole check's deadline.
    check(serve(feed("1.3"), {.delivery = Delivery::trickle, .interval = 40ms}), Status::failed,
          Error::timeout, 250ms);
    check(serve(feed("1.3"), {.delivery = Delivery::hang}), Status::failed, Error::timeout, 250ms);
}

struct RecordingPresenter : UpdateAlertPresenter {
    QList<UpdateCheckResult> shown;
    void present(const UpdateCheckResult& result) override { shown.append(result); }
};

TEST(UpdaterControllerTest, PresentsOneAlertPerCommandAndIgnoresCommandsWhileChecking) {
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
    ASSERT_TRUE(checking.wait(testenv::kPatience));
    ASSERT_EQ(checking.size(), 2);
    EXPECT_TRUE(checking[0][0].toBool());
    EXPECT_FALSE(checking[1][0].toBool());
    ASSERT_EQ(presenter.shown.size(), 1);
    EXPECT_EQ(presenter.shown[0].status, Status::updateAvailable);
    // Once answered, the next command checks again.
    controller.checkForUpdates();
    ASSERT_TRUE(checking.wait(testenv::kPatience));
    EXPECT_EQ(presenter.shown.size(), 2);
    EXPECT_EQ(server.requests().size(), 2);
    // The built-in feed and version are usable.
    EXPECT_TRUE(parseVersion(UpdaterController::runningVersion()).has_value());
    EXPECT_TRUE(UpdaterController::defaultFeedUrl().isValid());
    EXPECT_FALSE(UpdaterController::defaultFeedUrl().host().isEmpty());
}

} // namespace
