#pragma once

#include "platform/Tagger/Lexicon.h"

#include <string_view>

namespace nl::detail {

// What the dictionary says about a word, its inflections resolved.
struct Facts {
    bool found = false;
    bool commonNoun = false;
    bool proper = false;
    bool verb = false;
    bool adjective = false;
    bool adverb = false;
    bool personNoun = false;
    bool otherProper = false;
    bool givenName = false;
    NameKind name = NameKind::none;
    int nounUses = 0;
    int verbUses = 0;
    int adjectiveUses = 0;
    int adverbUses = 0;

    bool noun() const { return commonNoun || proper; }
    // Used in lower case as an ordinary word.
    bool common() const {
        return commonNoun || (verb && (verbUses > 0 || !proper)) ||
               (adjective && (adjectiveUses > 0 || !proper)) ||
               (adverb && (adverbUses > 0 || !proper));
    }
    bool anyUses() const { return nounUses + verbUses + adjectiveUses + adverbUses > 0; }
};

// Looks words up in the lexicon the way they are written in running text:
// inflected, compounded or behind a prefix.
class WordFacts {
public:
    explicit WordFacts(const Lexicon& lexicon)
        : m_lexicon(lexicon) {}

    const Lexicon& lexicon() const { return m_lexicon; }
    // What the dictionary says about `key` and the base forms its endings
    // point to ("children", "releases", "biggest").
    Facts of(std::string_view key) const;
    // Unknown, but made of known words: a compound ("heatwave", "weeknight")
    // or a known word behind a common prefix ("reapply").
    bool isDerived(std::string_view key) const;

private:
    bool isCompound(std::string_view key) const;

    const Lexicon& m_lexicon;
};

} // namespace nl::detail
