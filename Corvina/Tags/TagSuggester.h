#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace nl {
class TextTagger;
}

// Proposes tags for a bookmark from its title, description and site, on the
// device: names of people, places and organisations score 3, capitalised
// nouns 1, the site's own name 1, and the highest scores win. Candidates keep
// the spelling found in the text and are counted case-sensitively. Knows
// nothing of the library's tags. Holds no state between calls; any instance
// gives the same results.
class TagSuggester {
public:
    // Uses the application's natural-language tagger.
    TagSuggester();
    // Uses `tagger`, which must outlive the suggester.
    explicit TagSuggester(const nl::TextTagger& tagger);

    // At most `limit` tags, best first. `domain` is the bookmark's host
    // without a leading "www.". With neither title nor description the
    // result is the site tag alone, whatever the limit.
    QStringList suggest(const QString& title, const QString& description,
                        const std::optional<QString>& domain, int limit) const;

    // Trims whitespace and the punctuation . , ; : ! ? " ' ( ) [ ] { } < >
    // from both ends, then drops one possessive "'s" or "’s".
    static QString clean(const QString& token);
    // The first label of `domain` with its first character in upper case:
    // "github.com" -> "Github", "docs.python.org" -> "Docs".
    static QString siteTag(const QString& domain);

private:
    const nl::TextTagger* m_tagger;
};
