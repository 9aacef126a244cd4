// duplicateKey on a mix of real-looking addresses, with and without the parse,
// and the duplicate index rebuild at 100,000 bookmarks: the part the main
// thread waits for, the encoding alone, and the whole write including the
// background task.
#include "Corvina/Inbox/DuplicateIndexWriter.h"
#include "Corvina/Library/Bookmark.h"
#include "platform/Store/ModelContainer.h"
#include "shared/Duplicates/DuplicateIndex.h"
#include "shared/Duplicates/DuplicateKey.h"
#include "shared/Inbox/SharedContainer.h"

#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimeZone>
#include <benchmark/benchmark.h>

namespace {

using namespace Qt::StringLiterals;

constexpr int kMix = 4096;
constexpr int kBookmarks = 100'000;

// Roughly what a library holds: mostly plain article links, some with
// tracking parameters, search-style queries, encoded paths, ports, fragments.
QString generatedUrl(QRandomGenerator& random, int index) {
    const int site = random.bounded(5000);
    switch (index % 8) {
    case 0:
        return u"https://www.site%1.example.com/articles/%2/some-readable-slug/"_s.arg(site).arg(
            index);
    case 1:
        return u"https://blog.site%1.example.org/%2/%3/post-title-%4?utm_source=newsletter&"
               u"utm_medium=email&utm_campaign=spring"_s.arg(site)
                   .arg(2015 + index % 10)
                   .arg(index % 12 + 1)
                   .arg(index);
    case 2:
        return u"https://search.example.net/results?q=term+%1&page=%2&lang=en&sort=date"_s
            .arg(index)
            .arg(index % 9);
    case 3:
        return u"https://Docs.Site%1.example.com/guide/Getting%20Started.html#section-%2"_s
            .arg(site)
            .arg(index % 20);
    case 4:
        return u"http://site%1.example.com:8080/wiki/Caf%C3%A9_%2?ref=home&fbclid=IwAR%3"_s
            .arg(site)
            .arg(index)
            .arg(random.generate());
    case 5:
        return u"https://www.video.example.com/watch?v=%1&t=%2s&list=PL%3"_s
            .arg(random.generate(), 8, 16, QChar(u'0'))
            .arg(index % 600)
            .arg(site);
    case 6:
        return u"https://shop.example.com/p/%1?color=blue&size=m&gclid=Cj0KCQ%2"_s.arg(index).arg(
            random.generate());
    default:
        return u"https://site%1.example.com/"_s.arg(site);
    }
}

const std::vector<QString>& urlTexts() {
    static const std::vector<QString> texts = [] {
        QRandomGenerator random(42);
        std::vector<QString> out;
        for (int i = 0; i < kMix; ++i)
            out.push_back(generatedUrl(random, i));
        return out;
    }();
    return texts;
}

const std::vector<Url>& parsedUrls() {
    static const std::vector<Url> urls = [] {
        std::vector<Url> out;
        for (const QString& text : urlTexts())
            out.push_back(*Url::parse(text));
        return out;
    }();
    return urls;
}

void keyFromParsedUrl(benchmark::State& state) {
    const auto& urls = parsedUrls();
    for (auto _ : state) {
        for (const Url& url : urls)
            benchmark::DoNotOptimize(duplicateKey(url));
    }
    state.SetItemsProcessed(state.iterations() * kMix);
}

void parseOnly(benchmark::State& state) {
    const auto& texts = urlTexts();
    for (auto _ : state) {
        for (const QString& text : texts)
            benchmark::DoNotOptimize(Url::parse(text));
    }
    state.SetItemsProcessed(state.iterations() * kMix);
}

void parseAndKey(benchmark::State& state) {
    const auto& texts = urlTexts();
    for (auto _ : state) {
        for (const QString& text : texts)
            benchmark::DoNotOptimize(duplicateKey(text));
    }
    state.SetItemsProcessed(state.iterations() * kMix);
}

struct Library {
    std::unique_ptr<store::ModelContainer> container;
    Library() {
        container = std::move(store::ModelContainer::openInMemory(Bookmark::schema())).value();
        QRandomGenerator random(7);
        for (int i = 0; i < kBookmarks; ++i) {
            const QDateTime created = QDateTime::fromMSecsSinceEpoch(
                1'500'000'000'000 + qint64(random.bounded(200'000'000)) * 1000, QTimeZone::utc());
            const Bookmark bookmark(QUuid::createUuid(), *Url::parse(generatedUrl(random, i)),
                                    u"Page title number %1 of the library"_s.arg(i), {}, {},
                                    created);
            container->mainContext().insert(bookmark.object());
        }
        (void)container->mainContext().fetch({Bookmark::kCreatedAt});
    }
};

Library& library() {
    static Library filled;
    return filled;
}

void rebuildMainThreadPart(benchmark::State& state) {
    store::ModelContext& context = library().container->mainContext();
    for (auto _ : state) {
        QFuture<void> written = rebuildDuplicateIndex(context);
        state.PauseTiming();
        written.waitForFinished();
        state.ResumeTiming();
    }
}

// The background task's encoding on its own, for the map of the library.
void encodeIndex(benchmark::State& state) {
    QHash<QString, QString> index;
    for (const store::ModelObject& object : library().container->mainContext().fetch({})) {
        const Bookmark bookmark(object);
        index.insert(duplicateKey(bookmark.urlString()), bookmark.title());
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeDuplicateIndex(index));
    state.counters["members"] = double(index.size());
}

void rebuildWholeWrite(benchmark::State& state) {
    // The shared main points XDG_DATA_HOME at a throw-away tree.
    QDir().mkpath(*sharedcontainer::supportDirectory());
    store::ModelContext& context = library().container->mainContext();
    for (auto _ : state)
        rebuildDuplicateIndex(context).waitForFinished();
}

} // namespace

BENCHMARK(keyFromParsedUrl);
BENCHMARK(parseOnly);
BENCHMARK(parseAndKey);
BENCHMARK(rebuildMainThreadPart)->Unit(benchmark::kMillisecond);
BENCHMARK(encodeIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(rebuildWholeWrite)->Unit(benchmark::kMillisecond);
