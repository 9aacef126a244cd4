// The library window's per-keystroke and per-change work with 100,000
// bookmarks: the list model's recompute for a search, and the sidebar's tag
// counts. Resident memory after the store is loaded is reported too.

#include "Corvina/Library/LibraryStore.h"
#include "Corvina/LibraryList/BookmarkListModel.h"
#include "Corvina/Tags/TagCounts.h"
#include "platform/Store/ModelContainer.h"
#include "platform/Store/ModelContext.h"

#include <QFile>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kLibrarySize = 100'000;

double residentMiB() {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

struct Library {
    std::unique_ptr<store::ModelContainer> container =
        store::ModelContainer::openInMemory(Bookmark::schema()).value();

    Library() {
        const QStringList words{u"rust"_s, u"design"_s, u"recipes"_s, u"travel"_s, u"python"_s,
                                u"music"_s, u"history"_s, u"news"_s, u"science"_s, u"tools"_s};
        QRandomGenerator random(7);
        std::vector<BookmarkPayload> payloads;
        for (int i = 0; i < kLibrarySize; ++i) {
            BookmarkPayload payload;
            const QString word = words[random.bounded(words.size())];
            payload.url = *Url::parse(u"https://site%1.example/%2/article-%3"_s.arg(i % 5000).arg(word).arg(i));
            payload.title = u"A page about %1, number %2"_s.arg(word).arg(i);
            payload.tags = {words[random.bounded(words.size())], words[random.bounded(words.size())]};
            payload.createdAt = payload.updatedAt =
                QDateTime::currentDateTimeUtc().addSecs(-i);
            payloads.push_back(std::move(payload));
        }
        (void)library::insertPayloads(container->mainContext(), payloads);
    }
};

Library& library() {
    static Library shared;
    return shared;
}

void BM_SearchKeystroke(benchmark::State& state) {
    BookmarkListModel model(library().container->mainContext());
    model.setQuery(u"ru"_s);
    bool longer = false;
    for (auto _ : state) {
        model.setQuery(longer ? u"rus"_s : u"rust"_s);
        longer = !longer;
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["visible"] = model.rowCount();
    state.counters["resident_MiB"] = residentMiB();
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMillisecond);

void BM_TagCounts(benchmark::State& state) {
    const std::vector<Bookmark> all = library::allBookmarks(library().container->mainContext());
    const QList<Bookmark> bookmarks(all.cbegin(), all.cend());
    for (auto _ : state)
        benchmark::DoNotOptimize(tagCounts(bookmarks));
}
BENCHMARK(BM_TagCounts)->Unit(benchmark::kMillisecond);

} // namespace
