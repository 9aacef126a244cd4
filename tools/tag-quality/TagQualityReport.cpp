// Prints how well the tagger finds names and how often the suggester offers
// a tag a person would pick, over the labelled evaluation set:
//   tag_quality_report [--details] [evaluation.jsonl...]
// Not a test; TagQualityTest (tests/Corvina/Tags) holds the floors.
#include "tools/tag-quality/TagEvaluation.h"
#include "platform/Tagger/Lexicon.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

namespace {

qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4096 : 0;
}

void print(const QString& path, bool details) {
    const auto samples = tagevaluation::load(path);
    if (samples.empty()) {
        std::fprintf(stderr, "no samples in %s\n", qPrintable(path));
        return;
    }
    const auto report = tagevaluation::evaluate(samples);
    for (std::size_t i = 0; details && i < samples.size(); ++i) {
        const auto& result = report.results[i];
        std::printf("%s\n  found: %s\n", qPrintable(samples[i].title),
                    qPrintable(result.found.join(QStringLiteral(" | "))));
        if (!result.missed.isEmpty())
            std::printf("  MISSED: %s\n", qPrintable(result.missed.join(QStringLiteral(" | "))));
        if (!result.wrong.isEmpty())
            std::printf("  WRONG: %s\n", qPrintable(result.wrong.join(QStringLiteral(" | "))));
        std::printf("  %s suggestions: %s\n", result.pickable ? "ok" : "NONE PICKABLE",
                    qPrintable(result.suggestions.join(QStringLiteral(" | "))));
    }
    std::printf("%s\n", qPrintable(path));
    std::printf("  samples %d, names %d\n", report.samples,
                report.truePositives + report.falseNegatives);
    std::printf("  name precision %.3f (%d right, %d wrong)\n", report.precision(),
                report.truePositives, report.falsePositives);
    std::printf("  name recall    %.3f (%d missed)\n", report.recall(), report.falseNegatives);
    std::printf("  top-6 suggestions with a pickable tag %.3f (%d of %d)\n", report.pickableShare(),
                report.pickable, report.samples);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList paths = QCoreApplication::arguments().mid(1);
    const bool details = paths.removeAll(QStringLiteral("--details")) > 0;
    if (paths.isEmpty())
        paths = {tagevaluation::defaultDataFile(), tagevaluation::heldOutDataFile()};

    const qint64 residentBefore = residentBytes();
    const auto& statistics = nl::Lexicon::shared().statistics();
    const qint64 residentAdded = residentBytes() - residentBefore;
    std::printf("lexicon: %zu entries, %zu names, loaded in %lld ms, %.1f MB resident\n",
                statistics.entries, statistics.names,
                static_cast<long long>(statistics.milliseconds),
                static_cast<double>(residentAdded) / (1024 * 1024));
    for (const QString& path : paths)
        print(path, details);
    return 0;
}
