// From nothing to the first painted library window over a 100,000-bookmark
// store on disk: the store opened and loaded, the list and sidebar computed,
// the window laid out and its list painted once. The process's own start
// (loading Qt's libraries) is not in it; `time corvina --version` shows that.

#include "Corvina/App/QuillanApp.h"
#include "Corvina/Library/LibraryStore.h"
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
        std::vector<BookmarkPayload> payloads;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (int i = 0; i < kLibrarySize; ++i) {
            BookmarkPayload payload;
            payload.id = QUuid::createUuid();
            payload.url = *Url::parse(u"https://site%1.example/notes/article-%2"_s.arg(i % 5000).arg(i));
            payload.title = u"A page worth keeping, number %1"_s.arg(i);
            payload.tags = {u"tag%1"_s.arg(i % 300), u"reading"_s};
            payload.createdAt = payload.updatedAt = now.addSecs(-i);
            payloads.push_back(std::move(payload));
        }
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
BENCHMARK(BM_ColdStartToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
