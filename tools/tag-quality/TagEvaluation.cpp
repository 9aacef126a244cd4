#include "tools/tag-quality/TagEvaluation.h"

#include "Corvina/Tags/TagSuggester.h"
#include "platform/Tagger/NaturalLanguageTagger.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace tagevaluation {
namespace {

constexpr int kSuggestionLimit = 6;

QStringList strings(const QJsonValue& value) {
    QStringList result;
    for (const QJsonValue& item : value.toArray())
        result.append(item.toString());
    return result;
}

// The names the suggester's name pass would score.
QStringList namesIn(const nl::TextTagger& tagger, const QString& text) {
    QStringList names;
    const nl::TagOptions options = nl::TagOption::omitPunctuation | nl::TagOption::omitWhitespace |
                                   nl::TagOption::omitOther | nl::TagOption::joinNames;
    for (const nl::TaggedToken& token : tagger.tags(text, nl::TagScheme::nameType, options)) {
        if (token.tag != nl::Tag::personalName && token.tag != nl::Tag::placeName &&
            token.tag != nl::Tag::organizationName)
            continue;
        const QString name = TagSuggester::clean(text.mid(token.start, token.length));
        if (name.size() >= 2 && !names.contains(name))
            names.append(name);
    }
    return names;
}

double ratio(int part, int whole) {
    return whole == 0 ? 0.0 : static_cast<double>(part) / whole;
}

} // namespace

double Report::precision() const {
    return ratio(truePositives, truePositives + falsePositives);
}
double Report::recall() const {
    return ratio(truePositives, truePositives + falseNegatives);
}
double Report::pickableShare() const {
    return ratio(pickable, samples);
}

QString defaultDataFile() {
    return QStringLiteral(CORVINA_TAGS_DATA_DIR "/evaluation.jsonl");
}

QString heldOutDataFile() {
    return QStringLiteral(CORVINA_TAGS_DATA_DIR "/evaluation-heldout.jsonl");
}

std::vector<Sample> load(const QString& path) {
    std::vector<Sample> samples;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return samples;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty())
            continue;
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        samples.push_back({object.value(QStringLiteral("title")).toString(),
                           object.value(QStringLiteral("description")).toString(),
                           object.value(QStringLiteral("domain")).toString(),
                           strings(object.value(QStringLiteral("names"))),
                           strings(object.value(QStringLiteral("otherNames"))),
                           strings(object.value(QStringLiteral("tags")))});
    }
    return samples;
}

Report evaluate(const std::vector<Sample>& samples) {
    const nl::NaturalLanguageTagger tagger;
    const TagSuggester suggester(tagger);
    Report report;
    for (const Sample& sample : samples) {
        SampleResult result;
        QStringList parts;
        for (const QString& part : {sample.title, sample.description}) {
            if (!part.isEmpty())
                parts.append(part);
        }
        result.found = namesIn(tagger, parts.join(QStringLiteral(". ")));
        for (const QString& name : result.found) {
            if (sample.names.contains(name))
                ++report.truePositives;
            else if (!sample.otherNames.contains(name))
                result.wrong.append(name);
        }
        for (const QString& name : sample.names) {
            if (!result.found.contains(name))
                result.missed.append(name);
        }
        report.falsePositives += static_cast<int>(result.wrong.size());
        report.falseNegatives += static_cast<int>(result.missed.size());

        result.suggestions = suggester.suggest(
            sample.title, sample.description,
            sample.domain.isEmpty() ? std::nullopt : std::optional<QString>(sample.domain),
            kSuggestionLimit);
        for (const QString& suggestion : result.suggestions) {
            for (const QString& tag : sample.tags)
                result.pickable =
                    result.pickable || suggestion.compare(tag, Qt::CaseInsensitive) == 0;
        }
        report.pickable += result.pickable ? 1 : 0;
        ++report.samples;
        report.results.push_back(std::move(result));
    }
    return report;
}

} // namespace tagevaluation
