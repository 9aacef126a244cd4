// The library list's rows: the metadata line's plan for a row with a dozen
// tags once their widths are cached, and one frame of 60 visible rows of a
// 100,000-bookmark list painted into an image, as a scroll repaints them.
#include "Corvina/BookmarkRow/BookmarkRowDelegate.h"
#include "Corvina/BookmarkRow/MetadataFlow.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "shared/Preferences.h"
#include "tests/Corvina/BookmarkRow/RowFixtureModel.h"

#include <QApplication>
#include <QImage>
#include <QNetworkAccessManager>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <benchmark/benchmark.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

void BM_MetadataFlowPlan12TagsWarm(benchmark::State& state) {
    MetadataFlow flow;
    flow.domain = u"developer.example.org"_s;
    for (int i = 0; i < 12; ++i)
        flow.tags << u"tag-%1"_s.arg(i * 37);
    (void)flow.plan(420); // measures every text once
    for (auto _ : state)
        benchmark::DoNotOptimize(flow.plan(420));
}
BENCHMARK(BM_MetadataFlowPlan12TagsWarm);

void BM_PaintVisibleRows(benchmark::State& state) {
    constexpr int kRows = 100'000;
    constexpr int kVisible = 60;
    const bool descriptions = state.range(0) != 0;
    Preferences::shared().setShowDescriptions(descriptions);
    rowfixture::RowModel model(rowfixture::sampleRows(kRows));
    QNetworkAccessManager network;
    FaviconStore icons(network);
    BookmarkRowDelegate delegate(icons, Preferences::shared());
    QStyleOptionViewItem option;
    option.palette = QApplication::palette();
    option.rect = QRect(0, 0, 720, 0);
    QImage frame(720, 60 * 90, QImage::Format_ARGB32_Premultiplied);
    int first = 0;
    for (auto _ : state) {
        // Each frame shows the next 60 rows, as scrolling does.
        // The view lays rows out once; a frame only paints them.
        state.PauseTiming();
        std::vector<QRect> rects;
        int y = 0;
        for (int row = first; row < first + kVisible; ++row) {
            option.rect = QRect(0, y, 720, 0);
            const int height = delegate.sizeHint(option, model.index(row % kRows)).height();
            rects.emplace_back(0, y, 720, height);
            y += height;
        }
        state.ResumeTiming();
        frame.fill(Qt::white);
        QPainter painter(&frame);
        for (int i = 0; i < kVisible; ++i) {
            option.rect = rects[std::size_t(i)];
            delegate.paint(&painter, option, model.index((first + i) % kRows));
        }
        first = (first + kVisible) % kRows;
    }
    state.SetItemsProcessed(state.iterations() * kVisible);
}
BENCHMARK(BM_PaintVisibleRows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
