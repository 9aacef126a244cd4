// From nothing to the first painted library window over a 100,000-bookmark
// store on disk: the store opened and loaded, the list and sidebar computed,
// the window laid out and its list painted once. The process's own start
// (loading Qt's libraries) is not in it; `time corvina --version` shows that.

#include "Corvina/App/QuillanApp.h"
#include "Corvina/Library/LibraryStore.h"
#include "LibraryGenerator.h"
#include "platform/Store/ModelContainer.h"

#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kLibrarySize = 100'000;

// Ends an event loop at the first paint of a widget.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QEventLoop& loop)
        : m_loop(loop) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, &m_loop, &QEventLoop::quit);
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop& m_loop;
};

void BM_ColdStartToFirstPaint(benchmark::State& state) {
    QTemporaryDir folder;
    const QString storeFile = folder.filePath(u"Quillan.store"_s);
    {
        const std::vector<BookmarkPayload> payloads = benchdata::libraryPayloads(kLibrarySize);
        auto container = library::openStore(storeFile).value();
        if (!library::insertPayloads(container->mainContext(), payloads))
            qFatal("cannot fill the store");
    }
    AppLocations locations;
    locations.storeFile = storeFile;
    locations.useStandardLegacyFolder = false;
    locations.legacyFolder = folder.path();

    for (auto _ : state) {
        QEventLoop loop;
        FirstPaint first(loop);
        auto started = QuillanApp::start(locations);
        if (!started)
            qFatal("%s", qPrintable(started.error()));
        LibraryWindow* window = started.value()->openWindow();
        window->content()->list()->viewport()->installEventFilter(&first);
        loop.exec();
        benchmark::DoNotOptimize(window->content()->model().rowCount());

        state.PauseTiming();
        started.value().reset();
        state.ResumeTiming();
    }
}
// One start per process: a second start in the same process begins with the
// first one's freed heap and says little about a real start. Run the program
// several times for a spread.
BENCHMARK(BM_ColdStartToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
