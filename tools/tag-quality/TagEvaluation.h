#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// Scores the tagger and the suggester against the labelled bookmarks in
// tests/data/tags/: evaluation.jsonl, which the tagger's rules were worked out
// against, and evaluation-heldout.jsonl, written afterwards and never tuned
// for. One JSON object per line with "title",
// "description", "domain", "names" (the people, places and organisations a
// reader would name, as written), "otherNames" (further proper names, such as
// products and works, that are fine to find but not required) and "tags"
// (tags a person would pick, compared without regard to case).
namespace tagevaluation {

struct Sample {
    QString title;
    QString description;
    QString domain;
    QStringList names;
    QStringList otherNames;
    QStringList tags;
};

struct SampleResult {
    QStringList found;  // names the tagger produced
    QStringList missed; // required names it did not produce
    QStringList wrong;  // names it produced that are neither required nor allowed
    QStringList suggestions;
    bool pickable = false; // a suggestion is among the sample's tags
};

struct Report {
    int samples = 0;
    int truePositives = 0;
    int falsePositives = 0;
    int falseNegatives = 0;
    int pickable = 0;
    std::vector<SampleResult> results;

    double precision() const;
    double recall() const;
    double pickableShare() const;
};

QString defaultDataFile();
QString heldOutDataFile();
std::vector<Sample> load(const QString& path);
Report evaluate(const std::vector<Sample>& samples);

} // namespace tagevaluation
