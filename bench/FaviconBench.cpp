// The favicon store's two hot paths: the memory lookup every visible row
// makes on every redraw, and the bulk fetch of a whole library's sites.

#include "Corvina/Favicons/FaviconStore.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/LoopbackNetworkManager.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <random>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QByteArray pngBytes() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(0xff3366cc);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QString domainName(int i) {
    return u"site%1.example"_s.arg(i);
}

// A store whose memory holds `count` icons, put there the way the app does:
// read from the disk cache by cachedIcon().
void fillFromDisk(FaviconStore& store, int count) {
    const QByteArray png = pngBytes();
    int pending = count;
    for (int i = 0; i < count; ++i) {
        QFile file(store.cacheFilePath(domainName(i)));
        if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size())
            qFatal("cannot write the cache");
        file.close();
        store.cachedIcon(domainName(i), &store, [&pending](auto) { --pending; });
    }
    if (!QTest::qWaitFor([&] { return pending == 0; }, 60000))
        qFatal("the disk cache was not read");
}

void BM_MemoryLookup(benchmark::State& state) {
    QTemporaryDir cache;
    QNetworkAccessManager network;
    FaviconStore store(network, {cache.path(), {}});
    const int count = int(state.range(0));
    fillFromDisk(store, count);
    // Rows ask for known and unknown sites alike.
    std::vector<QString> asked;
    std::mt19937 random(7);
    for (int i = 0; i < 4096; ++i)
        asked.push_back(domainName(int(random() % unsigned(count * 2))));
    std::size_t next = 0;
    for (auto _ : state) {
        auto icon = store.memoryIcon(asked[next++ & 4095]);
        benchmark::DoNotOptimize(icon);
    }
}
BENCHMARK(BM_MemoryLookup)->Arg(1000)->Arg(20000);

// Each site answers "/favicon.ico" after a delay, like a real server far away.
void BM_Prefetch(benchmark::State& state) {
    const int sites = int(state.range(0));
    const auto latency = std::chrono::milliseconds(state.range(1));
    testhttp::LocalHttpServer server;
    const QByteArray png = pngBytes();
    for (int i = 0; i < sites; ++i)
        server.route(u"/https/"_s + domainName(i) + u"/favicon.ico"_s,
                     testhttp::Response{200, {{"Content-Type", "image/png"}}, png},
                     testhttp::RouteOptions{.delay = latency});
    QStringList domains;
    for (int i = 0; i < sites; ++i)
        domains << domainName(i);
    for (auto _ : state) {
        QTemporaryDir cache;
        testhttp::LoopbackNetworkManager network(server.port());
        FaviconStore store(network, {cache.path(), {}});
        // A real event loop: QTest's waits sleep between rounds and would be measured.
        QEventLoop loop;
        FaviconPrefetch* job = store.prefetch(domains, 6);
        QObject::connect(job, &FaviconPrefetch::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(600000, &loop, [&] {
            state.SkipWithError("the prefetch did not finish");
            loop.quit();
        });
        loop.exec();
    }
    state.counters["peak_concurrent"] = server.peakActiveRequests();
    state.counters["requests"] = double(server.requests().size());
}
BENCHMARK(BM_Prefetch)
    ->Args({600, 0})
    ->Args({600, 50})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

} // namespace
