// Tag suggestions as the editor asks for them, on every keystroke: a typical
// title with a 300-character description, the same growing to 1 MB (the work
// must stay linear), and reading the tagger's word lists, which happens once
// per process.
#include "Corvina/Tags/TagSuggester.h"
#include "platform/Tagger/Lexicon.h"
#include "platform/Tagger/NaturalLanguageTagger.h"

#include <QCoreApplication>
#include <QFile>
#include <benchmark/benchmark.h>

namespace {

const QString kTitle =
    QStringLiteral("Tim Cook says Apple will open its first store in Mumbai next month");
// 300 characters.
const QString kDescription = QStringLiteral(
    "The Apple chief executive visited India this week and met Prime Minister Narendra Modi in "
    "New Delhi. The store at the Jio World Drive mall in Bandra Kurla Complex is the company's "
    "first in the country, where Samsung and Xiaomi lead sales and iPhones make up a small share "
    "of the market, analysts said.");
const std::optional<QString> kDomain = QStringLiteral("reuters.com");

qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4096 : 0;
}

// First, so that the first load's growth of the resident set is measured in a
// fresh process rather than in memory freed by earlier runs.
void loadLexicon(benchmark::State& state) {
    qint64 added = 0;
    std::size_t entries = 0;
    for (auto _ : state) {
        const qint64 before = residentBytes();
        auto lexicon = nl::Lexicon::load(nl::Lexicon::systemSources());
        added = std::max(added, residentBytes() - before);
        entries = lexicon->statistics().entries;
        benchmark::DoNotOptimize(lexicon);
        state.PauseTiming();
        lexicon.reset();
        state.ResumeTiming();
    }
    state.counters["resident_MB"] = static_cast<double>(added) / (1024 * 1024);
    state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(loadLexicon)->Unit(benchmark::kMillisecond)->Iterations(5);

void suggestTypical(benchmark::State& state) {
    const TagSuggester suggester;
    benchmark::DoNotOptimize(suggester.suggest(kTitle, kDescription, kDomain, 6));
    for (auto _ : state)
        benchmark::DoNotOptimize(suggester.suggest(kTitle, kDescription, kDomain, 6));
    state.counters["description_chars"] = static_cast<double>(kDescription.size());
}
BENCHMARK(suggestTypical)->Unit(benchmark::kMicrosecond);

void suggestLongDescription(benchmark::State& state) {
    const TagSuggester suggester;
    QString description;
    while (description.size() < state.range(0))
        description += kDescription + u' ';
    description.truncate(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(suggester.suggest(kTitle, description, kDomain, 6));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0) * 2);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(suggestLongDescription)
    ->RangeMultiplier(8)
    ->Range(1 << 10, 1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace
