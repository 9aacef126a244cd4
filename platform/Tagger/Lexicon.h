#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace nl {

// What kind of proper name a dictionary word can be.
enum class NameKind : std::uint8_t { none, person, place, organization, other };

// Everything the tagger knows about one written form.
struct LexiconEntry {
    enum Class : std::uint8_t {
        commonNoun = 1, // written in lower case in some noun sense ("cook")
        properNoun = 2, // written capitalised in some noun sense ("Cook", "Monday")
        verb = 4,
        adjective = 8,
        adverb = 16,
        personNoun = 32,  // a common noun for a kind of person ("governor")
        otherProper = 64, // a capitalised sense that is no name ("Monday", "French")
    };
    // How often each part of speech was seen in the dictionary's sense-tagged
    // corpus: the tagger's only hint for words that can be several.
    std::uint16_t nounUses = 0;
    std::uint16_t verbUses = 0;
    std::uint16_t adjectiveUses = 0;
    std::uint16_t adverbUses = 0;
    std::uint8_t classes = 0;
    NameKind name = NameKind::none;
    // The first word of several people's full names ("Albert", "Tom").
    bool givenName = false;

    bool has(Class c) const { return (classes & c) != 0; }
};

// The word lists behind the natural-language tagger: WordNet 3.0's noun, verb,
// adjective and adverb indexes, its instance nouns for names of people, places
// and organisations, and the ISO 3166 country and region names. Read once;
// immutable afterwards, so one instance serves every thread.
class Lexicon {
public:
    struct Sources {
        QString wordNetDirectory;  // index.noun, data.noun, noun.exc, ...
        QString isoCodesDirectory; // iso_3166-1.json, iso_3166-2.json
    };
    struct LoadStatistics {
        qint64 milliseconds = 0;
        std::size_t entries = 0;
        std::size_t names = 0;
    };

    // The Debian locations of both data sets.
    static Sources systemSources();
    // Reads what is there; a missing or unreadable file leaves its words out.
    static std::unique_ptr<Lexicon> load(const Sources& sources);
    // The system lexicon, read on first use (by whichever thread comes
    // first; the others wait for it).
    static const Lexicon& shared();

    // Looks up a lower-case form, words joined by single spaces ("new york").
    const LexiconEntry* find(std::string_view lowerKey) const;
    // Looks up an all-capitals abbreviation exactly as written ("NASA", "US").
    const LexiconEntry* findAbbreviation(std::string_view key) const;
    // The base forms the dictionary lists for an irregular inflection
    // ("children" -> "child"), for nouns, verbs and adjectives in that order.
    std::string_view irregularNoun(std::string_view lowerKey) const;
    std::string_view irregularVerb(std::string_view lowerKey) const;
    std::string_view irregularAdjective(std::string_view lowerKey) const;

    // The most words any multi-word name has, so callers can bound lookups.
    int longestName() const { return m_longestName; }
    const LoadStatistics& statistics() const { return m_statistics; }

    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const {
            return std::hash<std::string_view>{}(key);
        }
    };
    using Map = std::unordered_map<std::string, LexiconEntry, Hash, std::equal_to<>>;
    using Irregulars = std::unordered_map<std::string, std::string, Hash, std::equal_to<>>;

private:
    Lexicon() = default;
    friend class LexiconReader;

    Map m_words;
    Map m_abbreviations;
    Irregulars m_irregularNouns;
    Irregulars m_irregularVerbs;
    Irregulars m_irregularAdjectives;
    int m_longestName = 1;
    LoadStatistics m_statistics;
};

// The lower-case key the lexicon files words under.
std::string lexiconKey(QStringView text);

} // namespace nl
