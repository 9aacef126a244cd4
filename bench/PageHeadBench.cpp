// Parsing cost of a page's head: what the fetcher does on the main thread
// once the download stopped.

#include "shared/Metadata/PageHead.h"

#include <QByteArray>
#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype kPageBytes = 300 * 1024;

// A news-site head: ~40 meta and link tags, a script, the title late.
QByteArray realisticHead() {
    QByteArray head = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    for (int i = 0; i < 12; ++i)
        head += "<link rel=\"preload\" href=\"/static/chunk-" + QByteArray::number(i) +
                ".js\" as=\"script\" crossorigin>\n";
    for (int i = 0; i < 10; ++i)
        head += "<meta property=\"article:tag\" content=\"topic " + QByteArray::number(i) + "\">\n";
    head += "<script>window.__config = {\"lang\":\"en\",\"region\":\"eu\",\"flags\":[1,2,3]};"
            "</script>\n<style>body{margin:0;font:16px/1.5 system-ui}</style>\n";
    for (int i = 0; i < 8; ++i)
        head += "<link rel=\"alternate\" hreflang=\"x" + QByteArray::number(i) +
                "\" href=\"https://news.example/x/story\">\n";
    head += "<meta name=\"twitter:card\" content=\"summary_large_image\">\n"
            "<meta name=\"twitter:site\" content=\"@example\">\n"
            "<meta property=\"og:type\" content=\"article\">\n"
            "<meta property=\"og:url\" content=\"https://news.example/2024/story\">\n"
            "<meta property=\"og:image\" content=\"https://news.example/img/lead.jpg\">\n"
            "<meta name=\"description\" content=\"What happened, and why it matters.\">\n"
            "<meta property=\"og:description\" content=\"What happened &amp; why it "
            "matters&hellip;\">\n"
            "<meta property=\"og:title\" content=\"A Story &mdash; News Example\">\n"
            "<title>A Story | News Example</title>\n";
    return head;
}

QByteArray largeBody(qsizetype bytes) {
    const QByteArray paragraph =
        "<div class=\"para\"><p>Lorem ipsum dolor sit amet, <a href=\"/x\">consectetur</a> "
        "adipiscing elit, sed do eiusmod tempor incididunt ut labore et dolore.</p></div>\n";
    return paragraph.repeated(bytes / paragraph.size() + 1).left(bytes);
}

QByteArray withHead() {
    const QByteArray head = realisticHead() + "</head>\n<body>\n";
    return head + largeBody(kPageBytes - head.size());
}

// The same tags, but the page never closes its head: everything is searched.
QByteArray withoutHeadEnd() {
    const QByteArray head = realisticHead() + "<body>\n";
    return head + largeBody(kPageBytes - head.size());
}

void parse(benchmark::State& state, const QByteArray& page) {
    for (auto _ : state) {
        auto result = extractPageMetadata(page);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(state.iterations() * page.size());
}

void BM_PageWithHead(benchmark::State& state) {
    parse(state, withHead());
}
void BM_PageWithoutHeadEnd(benchmark::State& state) {
    parse(state, withoutHeadEnd());
}
// A hostile page: unclosed meta tags defeat the lazy loops until the search gives up.
void BM_UnclosedMetaTags(benchmark::State& state) {
    parse(state, QByteArray("<meta property=\"og:title\" ").repeated(kPageBytes / 26));
}

} // namespace

BENCHMARK(BM_PageWithHead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageWithoutHeadEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnclosedMetaTags)->Unit(benchmark::kMillisecond);
