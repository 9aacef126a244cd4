// The library window's per-keystroke and per-change work with 100,000
// bookmarks: the list model's recompute for a search, and the sidebar's tag
// counts. Resident memory after the store is loaded is reported too.

#include "Corvina/Library/LibraryStore.h"
#include "Corvina/LibraryList/BookmarkListModel.h"
#include "Corvina/Tags/TagCounts.h"
#include "LibraryGenerator.h"
#include "platform/Store/ModelContainer.h"
#include "platform/Store/ModelContext.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
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

// Filled, then opened again, so the bookmarks are loaded as at a start.
struct Library {
    QTemporaryDir folder;
    const QString file = folder.filePath(u"Quillan.store"_s);
    std::unique_ptr<store::ModelContainer> container;

    Library() {
        {
            auto filling = library::openStore(file).value();
            if (!library::insertPayloads(filling->mainContext(), benchdata::libraryPayloads(kLibrarySize)))
                qFatal("cannot fill the store");
        }
        container = library::openStore(file).value();
    }
};

Library& library() {
    static Library shared;
    return shared;
}

// The first search after the library loaded folds every bookmark once.
void BM_FirstSearch(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        BookmarkListModel model(library().container->mainContext());
        state.ResumeTiming();
        model.setQuery(u"r"_s);
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_FirstSearch)->Unit(benchmark::kMillisecond);

// From one search to the next, timing only the second.
void searchStep(benchmark::State& state, const QString& from, const QString& to) {
    BookmarkListModel model(library().container->mainContext());
    for (auto _ : state) {
        state.PauseTiming();
        model.setQuery(from);
        state.ResumeTiming();
        model.setQuery(to);
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["visible"] = model.rowCount();
    state.counters["resident_MiB"] = residentMiB();
}

// One more letter: only the rows still shown are looked at.
void BM_SearchTypingOn(benchmark::State& state) {
    searchStep(state, u"ru"_s, u"rus"_s);
}
BENCHMARK(BM_SearchTypingOn)->Unit(benchmark::kMillisecond);

// A letter taken back (or any new text): the whole library is looked at.
void BM_SearchBackspace(benchmark::State& state) {
    searchStep(state, u"rust"_s, u"rus"_s);
}
BENCHMARK(BM_SearchBackspace)->Unit(benchmark::kMillisecond);

// One bookmark edited: the store's report, the library read again and
// sorted, the rows chosen again. With a search shown (argument 1) the folded
// text is brought up to date and the search run again too.
void BM_StoreChange(benchmark::State& state) {
    BookmarkListModel model(library().container->mainContext());
    if (state.range(0) == 1)
        model.setQuery(u"rust"_s);
    Bookmark edited = model.library()[model.library().size() / 2];
    int round = 0;
    for (auto _ : state) {
        edited.setTitle(u"Edited %1"_s.arg(++round));
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_StoreChange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Another process's commit taken in by a window: the store read again and
// merged, then the list model's update on the change signal; what a
// StoreWatcher does on the main thread once the files tell it. Argument 0:
// how many bookmarks the other process changed (0: it committed nothing,
// only the version check runs); argument 1: what it did with them (0 added,
// 1 edited, 2 deleted).
void BM_OutsideChange(benchmark::State& state) {
    store::ModelContext& context = library().container->mainContext();
    BookmarkListModel model(context);
    auto other = library::openStore(library().file).value();
    store::ModelContext& theirs = other->mainContext();
    const std::size_t count = std::size_t(state.range(0));
    const int kind = int(state.range(1));
    const std::vector<Bookmark> existing = library::allBookmarks(theirs);
    const std::vector<BookmarkPayload> extra = benchdata::libraryPayloads(int(count), 11);
    const auto save = [&] {
        if (!theirs.save())
            qFatal("the other connection cannot save");
    };
    const auto takeIn = [&] {
        const auto taken = context.takeInOutsideChanges();
        if (!taken || *taken != (count > 0))
            qFatal("the outside change was not taken in: %s",
                   taken ? "nothing changed" : qPrintable(taken.error().message));
        QCoreApplication::processEvents();
    };
    // Across runs too: a title written again unchanged is no change.
    static int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        std::vector<Bookmark> added;
        if (kind == 1) {
            for (std::size_t i = 0; i < count; ++i)
                Bookmark(existing[i * 10]).setTitle(u"Edited %1"_s.arg(round));
        } else {
            for (const BookmarkPayload& payload : extra) {
                added.push_back(Bookmark::fromPayload(payload));
                theirs.insert(added.back().object());
            }
            if (kind == 2) {
                save();
                takeIn();
                for (const Bookmark& bookmark : added)
                    theirs.remove(bookmark.object());
            }
        }
        save();
        state.ResumeTiming();
        takeIn();
        state.PauseTiming();
        if (kind == 0) {
            for (const Bookmark& bookmark : added)
                theirs.remove(bookmark.object());
            save();
            takeIn();
        }
        state.ResumeTiming();
    }
    state.counters["rows"] = model.rowCount();
}
BENCHMARK(BM_OutsideChange)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({1, 2})
    ->Args({10'000, 0})
    ->Args({10'000, 1})
    ->Args({10'000, 2})
    ->Unit(benchmark::kMillisecond);

void BM_TagCounts(benchmark::State& state) {
    const std::vector<Bookmark> all = library::allBookmarks(library().container->mainContext());
    const QList<Bookmark> bookmarks(all.cbegin(), all.cend());
    for (auto _ : state)
        benchmark::DoNotOptimize(tagCounts(bookmarks));
}
BENCHMARK(BM_TagCounts)->Unit(benchmark::kMillisecond);


// What the sidebar does at a change of the store, from the previous counts:
// one bookmark's tags edited (argument 0), or one new bookmark added and taken
// away again (argument 1).
void BM_TagCounterAfterChange(benchmark::State& state) {
    store::ModelContext& context = library().container->mainContext();
    const std::vector<Bookmark> all = library::allBookmarks(context);
    Bookmark added;
    added.setTags({u"new"_s});
    std::vector<Bookmark> grown = all;
    grown.insert(grown.begin(), added);
    TagCounter counter;
    (void)counter.update(all, context);
    Bookmark edited = all[all.size() / 2];
    const QStringList original = edited.tags();
    bool flip = false;
    for (auto _ : state) {
        state.PauseTiming();
        flip = !flip;
        if (state.range(0) == 0)
            edited.setTags(flip ? QStringList{u"edited"_s} : original);
        else if (flip)
            context.insert(added.object());
        else
            context.remove(added.object());
        state.ResumeTiming();
        benchmark::DoNotOptimize(counter.update(state.range(0) == 1 && flip ? grown : all, context));
    }
}
BENCHMARK(BM_TagCounterAfterChange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
