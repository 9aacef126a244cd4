// A browser's 100,000-bookmark file through the window's import flow,
// against a 100,000-bookmark library: read and duplicate check on the pool,
// the user's "Import All", the insert and save. Reports the wall time and the
// longest time the main thread's event loop went without a turn.

#include "Corvina/App/ImportExportFlows.h"
#include "Corvina/Library/LibraryStore.h"
#include "NetscapeGenerator.h"
#include "platform/Store/ModelContainer.h"
#include "platform/Store/ModelContext.h"
#include "platform/Widgets/Alert.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

void BM_ImportThroughTheFlow(benchmark::State& state) {
    const int count = int(state.range(0));
    QTemporaryDir dir;
    const QString path = dir.filePath(u"bookmarks.html"_s);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the file");
        file.write(benchdata::netscapeFile(count));
    }
    double worstStallMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto container = library::openStore(dir.filePath(u"Quillan.store"_s)).value();
        store::ModelContext& context = container->mainContext();
        std::vector<BookmarkPayload> library;
        for (int i = 0; i < count; ++i) {
            BookmarkPayload payload;
            payload.url = *Url::parse(u"https://library.example/page/%1"_s.arg(i));
            payload.title = u"Saved %1"_s.arg(i);
            payload.createdAt = payload.updatedAt = QDateTime::currentDateTimeUtc();
            library.push_back(std::move(payload));
        }
        (void)library::insertPayloads(context, library);
        QWidget window;
        ImportExportFlows flows(context);
        state.ResumeTiming();

        // The stall meter: a timer that should fire every 5 ms.
        QElapsedTimer sinceTick;
        sinceTick.start();
        double stall = 0;
        QTimer meter;
        QObject::connect(&meter, &QTimer::timeout, [&] {
            stall = std::max(stall, double(sinceTick.nsecsElapsed()) / 1e6);
            sinceTick.restart();
        });
        meter.start(5);
        QEventLoop loop;
        QObject::connect(&flows, &ImportExportFlows::importFinished, &loop, &QEventLoop::quit);
        // Answer the duplicates question, if one comes, the moment it shows.
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (Alert* question = flows.openAlert()) {
                for (QAbstractButton* button : question->buttons()) {
                    if (button->text() == u"Import All")
                        button->click();
                }
            }
        });
        answer.start(1);
        flows.importFile(window, path);
        loop.exec();
        worstStallMs = std::max(worstStallMs, stall - 5);

        state.PauseTiming();
        state.counters["library_after"] = double(context.count());
        container.reset();
        QFile::remove(dir.filePath(u"Quillan.store"_s));
        state.ResumeTiming();
    }
    state.counters["worst_stall_ms"] = worstStallMs;
}
BENCHMARK(BM_ImportThroughTheFlow)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
