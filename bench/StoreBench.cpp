// The library store at 100,000 bookmarks: one big save, a sorted fetch from a
// loaded context and from a cold one, and opening the file.
#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/LibraryStore.h"
#include "platform/Store/ModelContainer.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimeZone>
#include <benchmark/benchmark.h>

namespace {

constexpr int kCount = 100'000;
const QStringList kTags = {QStringLiteral("swift"),   QStringLiteral("news"),
                           QStringLiteral("recipes"), QStringLiteral("Rust"),
                           QStringLiteral("to read"), QStringLiteral("design"),
                           QStringLiteral("video"),   QStringLiteral("docs")};

Bookmark generated(QRandomGenerator& random, int index) {
    const QString host = QStringLiteral("www.site%1.example.com").arg(random.bounded(5000));
    const Url url = *Url::parse(QStringLiteral("https://%1/articles/%2/some-readable-slug-%3")
                                    .arg(host)
                                    .arg(index)
                                    .arg(random.bounded(100000)));
    QStringList tags;
    for (int i = random.bounded(6); i > 0; --i)
        tags << kTags[random.bounded(kTags.size())];
    const QString note = index % 3 == 0
                             ? QStringLiteral("A longer note about why this page matters, "
                                              "written by someone who wanted to remember it.")
                             : QString();
    const QDateTime created = QDateTime::fromMSecsSinceEpoch(
        1'500'000'000'000 + qint64(random.bounded(200'000'000)) * 1000, QTimeZone::utc());
    return Bookmark(QUuid::createUuid(), url,
                    QStringLiteral("Page title number %1 of the library").arg(index), note, tags,
                    created);
}

struct Fixture {
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("Quillan.store"));
    Fixture() {
        auto container = library::openStore(path);
        QRandomGenerator random(42);
        for (int i = 0; i < kCount; ++i)
            container.value()->mainContext().insert(generated(random, i).object());
        (void)container.value()->mainContext().save();
    }
};

Fixture& filled() {
    static Fixture fixture;
    return fixture;
}

void insertAndSave(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        auto container = library::openStore(folder.filePath(QStringLiteral("Quillan.store")));
        store::ModelContext& context = container.value()->mainContext();
        QRandomGenerator random(7);
        std::vector<Bookmark> bookmarks;
        bookmarks.reserve(kCount);
        for (int i = 0; i < kCount; ++i)
            bookmarks.push_back(generated(random, i));
        state.ResumeTiming();
        for (const Bookmark& bookmark : bookmarks)
            context.insert(bookmark.object());
        if (!context.save().ok())
            state.SkipWithError("save failed");
        state.PauseTiming();
        bookmarks.clear();
        container.value().reset();
        state.ResumeTiming();
    }
}

void fetchSortedWarm(benchmark::State& state) {
    auto container = library::openStore(filled().path);
    store::ModelContext& context = container.value()->mainContext();
    (void)context.count();
    for (auto _ : state) {
        auto all = context.fetch({Bookmark::kCreatedAt, Qt::DescendingOrder});
        benchmark::DoNotOptimize(all.data());
    }
}

void fetchSortedCold(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto container = library::openStore(filled().path);
        state.ResumeTiming();
        auto all =
            container.value()->mainContext().fetch({Bookmark::kCreatedAt, Qt::DescendingOrder});
        benchmark::DoNotOptimize(all.data());
        state.PauseTiming();
        all.clear();
        container.value().reset();
        state.ResumeTiming();
    }
}

void openStore(benchmark::State& state) {
    const QString path = filled().path;
    for (auto _ : state) {
        auto container = library::openStore(path);
        benchmark::DoNotOptimize(container.ok());
    }
}

} // namespace

BENCHMARK(insertAndSave)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(fetchSortedWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(fetchSortedCold)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(openStore)->Unit(benchmark::kMillisecond);
