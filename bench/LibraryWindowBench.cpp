// The library window's main-thread work for whole-selection changes with
// 100,000 bookmarks (argument: how many are selected): Delete on a
// selection (the store write, the list's rows, the sidebar) and its undo.
// Each figure is one uninterrupted stretch of the main thread.

#include "Corvina/App/ContentView.h"
#include "Corvina/BookmarkRow/BookmarkListView.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "Corvina/Library/LibraryStore.h"
#include "LibraryGenerator.h"
#include "platform/Defaults/UserDefaults.h"
#include "platform/Store/ModelContainer.h"
#include "shared/Preferences.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kLibrarySize = 100'000;

struct Window {
    QTemporaryDir folder;
    std::unique_ptr<store::ModelContainer> container;
    QNetworkAccessManager network;
    Preferences preferences{UserDefaults::openSuite(u"bench.window"_s)};
    FaviconStore favicons{network, {folder.filePath(u"icons"_s), {}}};
    std::unique_ptr<ContentView> view;

    Window() {
        const QString file = folder.filePath(u"Quillan.store"_s);
        {
            auto filling = library::openStore(file).value();
            if (!library::insertPayloads(filling->mainContext(),
                                         benchdata::libraryPayloads(kLibrarySize)))
                qFatal("cannot fill the store");
        }
        container = library::openStore(file).value();
        view = std::make_unique<ContentView>(
            ContentServices{container->mainContext(), preferences, network, favicons});
        view->resize(900, 600);
        view->show();
        QApplication::processEvents();
    }
};

void settle() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

void BM_DeleteSelectionAndUndo(benchmark::State& state) {
    Window window;
    BookmarkListView& list = *window.view->list();
    double deleting = 0, undoing = 0;
    for (auto _ : state) {
        list.selectionModel()->select(
            QItemSelection(window.view->model().index(0),
                           window.view->model().index(int(state.range(0)) - 1)),
            QItemSelectionModel::ClearAndSelect);
        QElapsedTimer clock;
        clock.start();
        window.view->removeSelected();
        settle();
        deleting += double(clock.nsecsElapsed()) / 1e6;
        clock.restart();
        window.view->undo();
        settle();
        undoing += double(clock.nsecsElapsed()) / 1e6;
    }
    state.counters["delete_ms"] = deleting / double(state.iterations());
    state.counters["undo_ms"] = undoing / double(state.iterations());
}
BENCHMARK(BM_DeleteSelectionAndUndo)->Arg(1)->Arg(10'000)->Arg(100'000)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
