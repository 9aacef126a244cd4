#include "Corvina/Favicons/FaviconStore.h"

#include "Corvina/App/AppNotifications.h"
#include "Corvina/Favicons/IconImage.h"
#include "platform/Notifications/NotificationCenter.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/LoopbackNetworkManager.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Testing.h"

#include <QBuffer>
#include <QImage>

using testhttp::Delivery;
using testhttp::LocalHttpServer;
using testhttp::Response;
using testhttp::RouteOptions;

namespace {

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray pngBytes(int width = 16, int height = 16, QRgb colour = 0xff3366cc) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return encoded(image, "PNG");
}

// A GIF header that claims 65,535 × 65,535 pixels, and nothing after it.
QByteArray hugeImageClaim() {
    return QByteArray("GIF89a\xff\xff\xff\xff\x00\x00\x00", 13);
}

Response image(QByteArray bytes, QByteArray type = "image/png") {
    return {200, {{"Content-Type", type}}, std::move(bytes)};
}

Response html(QByteArray body) {
    return {200, {{"Content-Type", "text/html"}}, std::move(body)};
}

class FaviconStoreTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.isListening());
        ASSERT_TRUE(cache.isValid());
        NotificationCenter::defaultCenter().observe(
            appnotification::kFaviconReady, &observer,
            [this](const Notification& n) { ++ready[n.userInfo.value(u"host"_s).toString()]; });
    }

    std::unique_ptr<FaviconStore> makeStore(std::chrono::milliseconds timeout = 3s) {
        return std::make_unique<FaviconStore>(
            network, FaviconStore::Options{cache.path(), {.timeout = timeout}});
    }

    // "/https/site.test/favicon.ico" for ("site.test", "/favicon.ico").
    static QString at(const QString& domain, const QString& path, const char* scheme = "https") {
        return u'/' + QLatin1StringView(scheme) + u'/' + domain + path;
    }

    // Waits for the fetch's end; fails the test when it does not come.
    void fetch(FaviconStore& store, const QString& domain) {
        bool done = false;
        store.fetchIcon(domain, [&done] { done = true; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 10000)) << qPrintable(domain);
    }

    std::optional<QImage> cached(FaviconStore& store, const QString& domain) {
        std::optional<std::optional<QImage>> result;
        store.cachedIcon(domain, &store, [&](std::optional<QImage> icon) { result = icon; });
        return testenv::awaited(result).value_or(std::nullopt);
    }

    LocalHttpServer server;
    testhttp::LoopbackNetworkManager network{server.port()};
    // Its parent is this process's own folder, so nothing else writes beside it.
    QTemporaryDir cache{testenv::root() + QStringLiteral("/favicons-XXXXXX")};
    QObject observer;
    QHash<QString, int> ready; // announcements by host
};

TEST_F(FaviconStoreTest, DiscoveryTriesEachPlaceInOrder) {
    const QString d = u"site.test"_s;
    const QByteArray touch = "<link rel=\"apple-touch-icon\" href=\"/touch.png\">";
    const struct {
        std::vector<std::pair<QString, Response>> routes;
        QStringList expectedPaths;
        bool expectIcon;
    } cases[] = {
        // Favicon.ico answers.
        {{{at(d, u"/favicon.ico"_s), image(pngBytes())}}, {at(d, u"/favicon.ico"_s)}, true},
        // 404, then the home page's touch icon.
        {{{at(d, u"/"_s), html("<head>" + touch + "</head>")},
          {at(d, u"/touch.png"_s), image(pngBytes())}},
         {at(d, u"/favicon.ico"_s), at(d, u"/"_s), at(d, u"/touch.png"_s)},
         true},
        // An HTML error page as favicon, no link, then apple-touch-icon.png.
        {{{at(d, u"/favicon.ico"_s), html("<html>Not here</html>")},
          {at(d, u"/"_s), html("<head><title>x</title></head>")},
          {at(d, u"/apple-touch-icon.png"_s), image(pngBytes())}},
         {at(d, u"/favicon.ico"_s), at(d, u"/"_s), at(d, u"/apple-touch-icon.png"_s)},
         true},
        // An absolute plain-http href is fetched unchanged.
        {{{at(d, u"/"_s), html("<LINK HREF=\"http://cdn.test/i.png\" REL=\"Shortcut Icon\">")},
          {at(u"cdn.test"_s, u"/i.png"_s, "http"), image(pngBytes())}},
         {at(d, u"/favicon.ico"_s), at(d, u"/"_s), at(u"cdn.test"_s, u"/i.png"_s, "http")},
         true},
        // A linked icon that fails still tries apple-touch-icon.png.
        {{{at(d, u"/"_s), html("<link rel=icon href=x><link rel='icon' href='missing.png'>")}},
         {at(d, u"/favicon.ico"_s), at(d, u"/"_s), at(d, u"/missing.png"_s),
          at(d, u"/apple-touch-icon.png"_s)},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        LocalHttpServer fresh;
        testhttp::LoopbackNetworkManager freshNetwork(fresh.port());
        for (const auto& [path, response] : c.routes)
            fresh.route(path, response);
        QTemporaryDir dir;
        FaviconStore store(freshNetwork, {dir.path(), {}});
        fetch(store, d);
        QStringList paths;
        for (const testhttp::Request& request : fresh.requests()) {
            paths << request.path;
            EXPECT_EQ(request.userAgent(), "Quillan/1.1 (+https://corvina.app)");
        }
        EXPECT_EQ(paths, c.expectedPaths);
        EXPECT_EQ(store.memoryIcon(d).has_value(), c.expectIcon);
        EXPECT_EQ(store.hasFailed(d), !c.expectIcon);
        EXPECT_EQ(QFile::exists(store.cacheFilePath(d)), c.expectIcon);
    }
}

// A domain is fetched once per process: concurrent fetches share one
// download and one announcement, and a known or failed domain is not asked
// for again until a new store starts.
TEST_F(FaviconStoreTest, EachDomainIsFetchedOncePerProcess) {
    const QString d = u"shared.test"_s, broken = u"broken.test"_s;
    server.route(at(d, u"/favicon.ico"_s), image(pngBytes()), RouteOptions{.delay = 150ms});
    auto store = makeStore();
    int done = 0;
    store->fetchIcon(d, [&] { ++done; });
    store->fetchIcon(d, [&] { ++done; });
    EXPECT_TRUE(store->isInFlight(d));
    ASSERT_TRUE(QTest::qWaitFor([&] { return done == 2; }, 5000));
    EXPECT_EQ(server.requestsFor(at(d, u"/favicon.ico"_s)).size(), 1);
    EXPECT_EQ(ready.value(d), 1);
    EXPECT_FALSE(store->isInFlight(d));

    fetch(*store, broken);
    ASSERT_TRUE(store->hasFailed(broken));
    EXPECT_EQ(server.requests().size(), 1 + 3);
    server.route(at(broken, u"/favicon.ico"_s), image(pngBytes())); // the site is repaired
    fetch(*store, d);
    fetch(*store, broken);
    EXPECT_EQ(server.requests().size(), 1 + 3);
    EXPECT_FALSE(store->memoryIcon(broken));
    EXPECT_EQ(ready.value(d), 1);
    EXPECT_EQ(ready.value(broken), 0);
    store = makeStore();
    fetch(*store, broken);
    EXPECT_TRUE(store->memoryIcon(broken));
}

TEST_F(FaviconStoreTest, TheDiskCacheServesANewStoreWithoutTheNetwork) {
    const QString d = u"disk.test"_s;
    const QByteArray bytes = pngBytes(128, 32);
    server.route(at(d, u"/favicon.ico"_s), image(bytes));
    auto store = makeStore();
    // What a crash half-way through a plain write leaves is fetched again.
    testenv::writeFile(store->cacheFilePath(d), bytes.left(20));
    EXPECT_FALSE(cached(*store, d));
    fetch(*store, d);
    EXPECT_EQ(testenv::readFile(store->cacheFilePath(d)), bytes)
        << "the bytes as received, not the scaled image";
    EXPECT_EQ(store->memoryIcon(d)->size(), QSize(64, 16));

    store = makeStore();
    EXPECT_FALSE(store->memoryIcon(d));
    const std::optional<QImage> icon = cached(*store, d);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->size(), QSize(64, 16));
    EXPECT_TRUE(store->memoryIcon(d)) << "a disk hit is kept in memory";
    fetch(*store, d); // found on disk by the load pipeline too
    EXPECT_EQ(server.requests().size(), 1);
}

TEST_F(FaviconStoreTest, DomainsThatAreNotHostNamesNeverReachDiskOrNetwork) {
    auto store = makeStore();
    const QStringList notHosts{u"localhost"_s,           u"a/b.test"_s,  u"a b.test"_s, u""_s,
                               u"https://x.test/page"_s, u"tab\t.test"_s};
    for (const QString& domain : notHosts) {
        SCOPED_TRACE(domain.toStdString());
        EXPECT_FALSE(FaviconStore::passesHostTest(domain));
        fetch(*store, domain);
        EXPECT_FALSE(cached(*store, domain));
        EXPECT_FALSE(store->hasFailed(domain));
    }
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(QDir(cache.path()).entryList(QDir::Files).size(), 0);
    ASSERT_FALSE(store->prefetch(notHosts, 6));
}

TEST_F(FaviconStoreTest, OddDomainsStayInsideTheCacheAndAFailedWriteOnlyLosesTheDiskCopy) {
    auto store = makeStore();
    const QDir parent(cache.path() + u"/.."_s);
    const QStringList besideBefore = parent.entryList(QDir::Files);
    for (const QString& domain : {u"."_s, u".."_s, u"x%2Fy.test"_s, u"%00.test"_s}) {
        SCOPED_TRACE(domain.toStdString());
        EXPECT_EQ(QFileInfo(store->cacheFilePath(domain)).absolutePath(),
                  QFileInfo(cache.path()).absoluteFilePath());
        fetch(*store, domain); // not addresses a request can be made for
        EXPECT_TRUE(store->hasFailed(domain));
    }
    EXPECT_EQ(QDir(cache.path()).entryList(QDir::Files).size(), 0);
    EXPECT_EQ(parent.entryList(QDir::Files), besideBefore);

    // A legal host name whose cache file name is one byte too long to create.
    const QString longName = (QString(61, u'a') + u'.').repeated(4) + u"test"_s;
    server.route(at(longName, u"/favicon.ico"_s), image(pngBytes()));
    fetch(*store, longName);
    EXPECT_TRUE(store->memoryIcon(longName));
    EXPECT_EQ(ready.value(longName), 1);
    EXPECT_FALSE(QFile::exists(store->cacheFilePath(longName)));

    // A cache folder that cannot exist: a plain file is in the way.
    testenv::writeFile(cache.filePath(u"blocker"_s), {});
    FaviconStore unwritable(network, {cache.filePath(u"blocker/icons"_s), {}});
    server.route(at(u"nowhere.test"_s, u"/favicon.ico"_s), image(pngBytes()));
    fetch(unwritable, u"nowhere.test"_s);
    EXPECT_TRUE(unwritable.memoryIcon(u"nowhere.test"_s));
    EXPECT_EQ(ready.value(u"nowhere.test"_s), 1);
}

TEST_F(FaviconStoreTest, HostileServersEndInFailureWithinTheLimits) {
    const QByteArray ico = encoded(QImage(32, 32, QImage::Format_ARGB32), "ICO");
    ASSERT_FALSE(ico.isEmpty());
    const struct {
        Response response;
        RouteOptions options;
    } cases[] = {
        // Endless body.
        {image(pngBytes()), {.delivery = Delivery::endless}},
        // 2 MiB body.
        {image(pngBytes() + QByteArray(2 * 1024 * 1024, 'x')), {}},
        // Slow trickle.
        {image(pngBytes()), {.delivery = Delivery::trickle, .interval = 100ms}},
        // A server that never answers.
        {image(pngBytes()), {.delivery = Delivery::hang}},
        // An image header that claims billions of pixels.
        {image(hugeImageClaim(), "image/gif"), {}},
        // A truncated ICO.
        {image(ico.left(30), "image/x-icon"), {}},
        // An ICO header with garbage after it.
        {image(ico.left(22) + QByteArray(200, '\xee'), "image/x-icon"), {}},
        // Text served as an icon.
        {image("just some text"), {}},
        // An empty body.
        {image({}), {}},
    };
    auto store = makeStore(300ms);
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        const QString d = u"hostile%1.test"_s.arg(index++);
        // Every discovery step meets the same server.
        for (const QString& path : {u"/favicon.ico"_s, u"/apple-touch-icon.png"_s})
            server.route(at(d, path), c.response, c.options);
        server.redirect(at(d, u"/"_s), at(d, u"/"_s)); // a redirect loop for the home page
        fetch(*store, d);
        EXPECT_FALSE(store->memoryIcon(d));
        EXPECT_TRUE(store->hasFailed(d));
    }
    // Large but sane icons are scaled down, not refused; a one-pixel strip keeps its row.
    const std::optional<QImage> strip = favicon::decodeIcon(pngBytes(1000, 1));
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->size(), QSize(64, 1));
}

TEST_F(FaviconStoreTest, PrefetchRunsAtMostLimitAtATimeInChunks) {
    QStringList domains;
    for (int i = 0; i < 7; ++i) {
        const QString d = u"bulk%1.test"_s.arg(i);
        domains << d << d; // duplicates are fetched once
        server.route(at(d, u"/favicon.ico"_s), image(pngBytes()), RouteOptions{.delay = 400ms});
    }
    domains << u"no-dot"_s;
    auto store = makeStore();
    FaviconPrefetch* job = store->prefetch(domains, 3);
    ASSERT_TRUE(job);
    QSignalSpy progress(job, &FaviconPrefetch::progress);
    QSignalSpy finished(job, &FaviconPrefetch::finished);
    EXPECT_EQ(job->total(), 7);
    ASSERT_TRUE(finished.wait(testenv::kPatience));
    EXPECT_EQ(progress.size(), 7);
    EXPECT_EQ(progress.last().at(0).toInt(), 7);
    EXPECT_EQ(server.requests().size(), 7);
    EXPECT_EQ(server.peakActiveRequests(), 3);
    for (int i = 0; i < 7; ++i)
        EXPECT_TRUE(store->memoryIcon(u"bulk%1.test"_s.arg(i)));

    // An icon already at hand counts as fetched; a site without one is said.
    job = store->prefetch({u"bulk0.test"_s, u"bare.test"_s}, 3);
    QString summary;
    QObject::connect(job, &FaviconPrefetch::finished, [&] { summary = job->summary(); });
    ASSERT_TRUE(QSignalSpy(job, &FaviconPrefetch::finished).wait(testenv::kPatience));
    EXPECT_EQ(summary, u"Fetched 1 site icon. 1 site has none.");
}

} // namespace
