#pragma once

#include "platform/Tagger/TextTagger.h"

namespace nl {

class Lexicon;

// The application's natural-language tagger: ICU word boundaries for tokens;
// WordNet and the ISO 3166 names for nouns and for names of people, places and
// organisations; and, for names no list knows, capitalised words that sit where
// capitals mean a name (not at the start of a sentence and not in a headline
// that capitalises every word), with multi-word names held together. Offline
// and deterministic.
class NaturalLanguageTagger final : public TextTagger {
public:
    // Uses the system word lists, read the first time any tagger needs them.
    NaturalLanguageTagger();
    // Uses `lexicon`, which must outlive the tagger.
    explicit NaturalLanguageTagger(const Lexicon& lexicon);

    std::vector<TaggedToken> tags(const QString& text, TagScheme scheme,
                                  TagOptions options) const override;

    // Starts reading the system word lists on a pool thread, so that the first
    // tagging (an editor's first keystroke) need not wait for them.
    static void preload();

private:
    const Lexicon& lexicon() const;

    const Lexicon* m_lexicon = nullptr;
};

} // namespace nl
