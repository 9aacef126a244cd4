// Feeds arbitrary UTF-8 to the natural-language tagger and the tag suggester.
// The input is split at its first two newlines into title, description and
// domain. Besides the sanitizers, it checks what callers rely on: tokens lie
// inside the text in order and never overlap, joined names cover whole words,
// and suggestions obey the limit and the two-character rule.

#include "Corvina/Tags/TagSuggester.h"
#include "fuzz/FuzzCheck.h"
#include "platform/Tagger/NaturalLanguageTagger.h"

#include <QString>
#include <QTextBoundaryFinder>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

int characters(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

void checkTokens(const QString& text, const std::vector<nl::TaggedToken>& tokens) {
    qsizetype end = 0;
    for (const nl::TaggedToken& token : tokens) {
        FUZZ_CHECK(token.start >= end);
        FUZZ_CHECK(token.length > 0);
        end = token.start + token.length;
        FUZZ_CHECK(end <= text.size());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Long inputs only repeat what short ones find, ten times slower.
    if (size > 4096)
        return 0;
    const QString input =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList parts = input.split(u'\n');
    const QString title = parts.value(0);
    const QString description = parts.value(1);
    const std::optional<QString> domain =
        parts.size() > 2 ? std::optional<QString>(parts.value(2)) : std::nullopt;

    static const nl::NaturalLanguageTagger tagger;
    using nl::TagOption;
    const nl::TagOptions words =
        TagOption::omitPunctuation | TagOption::omitWhitespace | TagOption::omitOther;
    for (const auto scheme : {nl::TagScheme::nameType, nl::TagScheme::lexicalClass}) {
        const auto all = tagger.tags(input, scheme, {});
        checkTokens(input, all);
        // With nothing left out the tokens tile the text.
        qsizetype covered = 0;
        for (const auto& token : all)
            covered += token.length;
        FUZZ_CHECK(covered == input.size());
        checkTokens(input, tagger.tags(input, scheme, words));
        checkTokens(input, tagger.tags(input, scheme, words | TagOption::joinNames));
    }

    const int limit = size > 0 ? data[0] % 8 : 6;
    const TagSuggester suggester(tagger);
    const QStringList suggestions = suggester.suggest(title, description, domain, limit);
    const bool noText = title.isEmpty() && description.isEmpty();
    FUZZ_CHECK(noText ? suggestions.size() <= 1 : suggestions.size() <= limit);
    for (const QString& suggestion : suggestions) {
        const bool site = domain && suggestion == TagSuggester::siteTag(*domain);
        FUZZ_CHECK(site || characters(suggestion) >= 2);
        FUZZ_CHECK(suggestions.count(suggestion) == 1);
    }
    return 0;
}
