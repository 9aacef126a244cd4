// Bookmark files at 100,000 bookmarks: reading and writing the Netscape file,
// the JSON backup's export plus import, and hostile input that must stay
// linear (compare the per-byte figures across the sizes).
#include "Corvina/ImportExport/HTMLEntities.h"
#include "Corvina/ImportExport/JSONBackup.h"
#include "Corvina/ImportExport/NetscapeHTML.h"
#include "NetscapeGenerator.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kCount = 100'000;

const QByteArray& generatedFile() {
    static const QByteArray file = benchdata::netscapeFile(kCount);
    return file;
}

const std::vector<BookmarkPayload>& generatedPayloads() {
    static const std::vector<BookmarkPayload> payloads =
        NetscapeHTMLImporter::parse(generatedFile()).value();
    return payloads;
}

void netscapeParse(benchmark::State& state) {
    const QByteArray& file = generatedFile();
    size_t count = 0;
    for (auto _ : state) {
        auto parsed = NetscapeHTMLImporter::parse(file);
        count = parsed->size();
        benchmark::DoNotOptimize(parsed);
        // Freeing 100,000 records belongs to whoever holds them afterwards.
        state.PauseTiming();
        parsed = std::vector<BookmarkPayload>();
        state.ResumeTiming();
    }
    state.counters["bookmarks"] = double(count);
    state.counters["MB"] = double(file.size()) / 1e6;
    state.SetBytesProcessed(qint64(state.iterations()) * file.size());
}
BENCHMARK(netscapeParse)->Unit(benchmark::kMillisecond);

void netscapeWrite(benchmark::State& state) {
    const auto& payloads = generatedPayloads();
    for (auto _ : state)
        benchmark::DoNotOptimize(exportNetscapeHTML(payloads));
    state.counters["bookmarks"] = double(payloads.size());
}
BENCHMARK(netscapeWrite)->Unit(benchmark::kMillisecond);

void jsonExportAndImport(benchmark::State& state) {
    const auto& payloads = generatedPayloads();
    for (auto _ : state) {
        const QByteArray bytes = exportJSON(payloads);
        auto back = JSONImporter::parse(bytes);
        if (!back || back->size() != payloads.size())
            state.SkipWithError("backup did not read back");
        benchmark::DoNotOptimize(back);
    }
    state.counters["bookmarks"] = double(payloads.size());
}
BENCHMARK(jsonExportAndImport)->Unit(benchmark::kMillisecond);

// One line of N MB: unclosed attribute values and entity chains in a title.
void hostileLongLine(benchmark::State& state) {
    const qsizetype bytes = state.range(0) << 20;
    QByteArray line = "<DT><A HREF=\"https://x/\" ICON=\"data:";
    while (line.size() < bytes / 2)
        line += "TAGS='HREF=\"ADD_DATE=";
    line += "\">";
    while (line.size() < bytes)
        line += "&amp;amp;amp;&#x41;&#9999999999;";
    line += "</A>\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(NetscapeHTMLImporter::parse(line));
    state.SetBytesProcessed(qint64(state.iterations()) * line.size());
}
BENCHMARK(hostileLongLine)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond);

// N nested folders around N links.
void hostileNesting(benchmark::State& state) {
    const int depth = int(state.range(0));
    QByteArray file;
    for (int i = 0; i < depth; ++i)
        file += "<DT><H3>folder " + QByteArray::number(i) +
                "</H3>\n<DL><p>\n"
                "<DT><A HREF=\"https://n/" +
                QByteArray::number(i) + "\" TAGS=\"t\">n</A>\n";
    for (int i = 0; i < depth; ++i)
        file += "</DL><p>\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(NetscapeHTMLImporter::parse(file));
    state.SetBytesProcessed(qint64(state.iterations()) * file.size());
}
BENCHMARK(hostileNesting)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void entityChain(benchmark::State& state) {
    const QString chain =
        QStringLiteral("&amp;").repeated(qsizetype(state.range(0)) << 20) + QStringLiteral("lt;");
    for (auto _ : state)
        benchmark::DoNotOptimize(netscape::decodeEntities(chain));
    state.SetBytesProcessed(qint64(state.iterations()) * chain.size() * 2);
}
BENCHMARK(entityChain)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

} // namespace
