// The share sheet's inbox at 1,000 queued entries: one drain into an empty
// in-memory library, and the cost of queueing one entry.
#include "Corvina/Inbox/InboxDrain.h"
#include "platform/Store/ModelContainer.h"
#include "platform/Store/ModelContext.h"
#include "shared/Inbox/InboxWriter.h"
#include "shared/Inbox/SharedContainer.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimeZone>
#include <benchmark/benchmark.h>

namespace {

constexpr int kEntries = 1'000;

PendingBookmark generated(int index) {
    return PendingBookmark(
        *Url::parse(QStringLiteral("https://www.site%1.example.com/articles/%2/a-readable-slug")
                        .arg(index % 200)
                        .arg(index)),
        QStringLiteral("Page title number %1 of the shared pages").arg(index),
        index % 3 == 0 ? QStringLiteral("A description fetched from the page's head, one "
                                        "or two sentences long.")
                       : QString(),
        {}, QDateTime::fromSecsSinceEpoch(1'740'000'000 + index, QTimeZone::utc()));
}

void clearInbox() {
    QDir(*sharedcontainer::inboxDirectory()).removeRecursively();
}

void drainThousand(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        clearInbox();
        for (int i = 0; i < kEntries; ++i) {
            if (!enqueue(generated(i)).ok())
                state.SkipWithError("enqueue failed");
        }
        auto container = store::ModelContainer::openInMemory(Bookmark::schema());
        qint64 inserted = 0;
        state.ResumeTiming();

        drainInbox(container.value()->mainContext(), inserted);

        state.PauseTiming();
        if (inserted != kEntries)
            state.SkipWithError("not every entry was taken");
        container.value().reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}

void enqueueOne(benchmark::State& state) {
    clearInbox();
    const PendingBookmark entry = generated(3);
    int written = 0;
    for (auto _ : state) {
        if (!enqueue(entry).ok())
            state.SkipWithError("enqueue failed");
        // Keep the folder small so the figure is not about a huge directory.
        if (++written % 1000 == 0) {
            state.PauseTiming();
            clearInbox();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
    clearInbox();
}

} // namespace

BENCHMARK(drainThousand)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(enqueueOne)->Unit(benchmark::kMicrosecond);
