// The undo history at scale: deleting a selection of 10,000 or 100,000
// bookmarks from a library of 100,000 in a store file, and undoing it. Each
// is what the main thread spends on the step, its store write included.
#include "Corvina/Library/LibraryHistory.h"
#include "Corvina/Library/LibraryStore.h"
#include "LibraryGenerator.h"
#include "platform/Store/ModelContainer.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kLibrarySize = 100'000;

struct Library {
    QTemporaryDir folder;
    std::unique_ptr<store::ModelContainer> container;
    std::unique_ptr<LibraryHistory> history;

    Library() {
        container = library::openStore(folder.filePath(QStringLiteral("Quillan.store"))).value();
        (void)library::insertPayloads(context(), benchdata::libraryPayloads(kLibrarySize));
        history = std::make_unique<LibraryHistory>(context());
    }
    store::ModelContext& context() { return container->mainContext(); }
    // The newest `count`, as a selection from the list gives them.
    std::vector<Bookmark> selection(std::int64_t count) {
        std::vector<Bookmark> all = library::allBookmarks(context());
        all.resize(std::size_t(count));
        return all;
    }
};

Library& library() {
    static Library shared;
    return shared;
}

void check(benchmark::State& state, const HistoryOutcome& outcome) {
    if (outcome.saveError || outcome.leftAlone != 0)
        state.SkipWithError("the step was not written whole");
}

void removeSelection(benchmark::State& state) {
    Library& lib = library();
    for (auto _ : state) {
        state.PauseTiming();
        const std::vector<Bookmark> selection = lib.selection(state.range(0));
        state.ResumeTiming();
        check(state, lib.history->remove(selection));
        state.PauseTiming();
        check(state, lib.history->undo());
        state.ResumeTiming();
    }
}

void undoRemoval(benchmark::State& state) {
    Library& lib = library();
    for (auto _ : state) {
        state.PauseTiming();
        check(state, lib.history->remove(lib.selection(state.range(0))));
        state.ResumeTiming();
        check(state, lib.history->undo());
    }
}

} // namespace

BENCHMARK(removeSelection)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(undoRemoval)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(5);
