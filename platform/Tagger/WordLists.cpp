#include "platform/Tagger/WordLists.h"

#include <algorithm>
#include <unordered_map>

namespace nl::detail {
namespace {

const std::unordered_map<std::string_view, Function>& functionWords() {
    static const std::unordered_map<std::string_view, Function> words = [] {
        std::unordered_map<std::string_view, Function> map;
        const auto add = [&map](Function function, std::initializer_list<std::string_view> list) {
            for (const std::string_view word : list)
                map.emplace(word, function);
        };
        add(Function::pronoun,
            {"i",       "me",         "my",        "mine",      "myself",   "you",        "your",
             "yours",   "yourself",   "he",        "him",       "his",      "himself",    "she",
             "her",     "hers",       "herself",   "it",        "its",      "itself",     "we",
             "us",      "our",        "ours",      "ourselves", "they",     "them",       "their",
             "theirs",  "themselves", "who",       "whom",      "whose",    "which",      "what",
             "someone", "something",  "anyone",    "anything",  "everyone", "everything", "nobody",
             "nothing", "somebody",   "everybody", "whoever",   "whatever", "i'm",        "you're",
             "we're",   "they're",    "it's",      "he's",      "she's",    "i've",       "you've",
             "we've",   "they've",    "i'll",      "you'll",    "we'll",    "they'll",    "i'd",
             "you'd",   "here's",     "there's",   "that's",    "what's",   "let's"});
        add(Function::determiner,
            {"the",  "a",    "an",  "this",    "that", "these",  "those",   "each",    "every",
             "some", "any",  "no",  "all",     "both", "either", "neither", "another", "such",
             "much", "many", "few", "several", "most", "less",   "least"});
        add(Function::preposition,
            {"of",      "in",        "on",      "at",      "by",     "for",    "with",   "from",
             "to",      "into",      "onto",    "upon",    "about",  "above",  "below",  "over",
             "under",   "between",   "among",   "through", "during", "before", "after",  "against",
             "without", "within",    "behind",  "beyond",  "near",   "across", "along",  "around",
             "toward",  "towards",   "via",     "per",     "than",   "since",  "until",  "till",
             "despite", "inside",    "outside", "off",     "amid",   "vs",     "versus", "beneath",
             "onto",    "throughout"});
        add(Function::conjunction,
            {"and", "or", "but", "nor", "so", "yet", "if", "because", "although", "though", "while",
             "whereas", "unless", "whether", "as"});
        add(Function::auxiliary,
            {"am",       "is",      "are",      "was",       "were",    "be",     "been",
             "being",    "has",     "have",     "had",       "having",  "do",     "does",
             "did",      "will",    "would",    "shall",     "should",  "can",    "could",
             "may",      "might",   "must",     "isn't",     "aren't",  "wasn't", "weren't",
             "hasn't",   "haven't", "hadn't",   "don't",     "doesn't", "didn't", "won't",
             "wouldn't", "can't",   "couldn't", "shouldn't", "mustn't", "cannot"});
        add(Function::adverb,
            {"not",     "very",    "too",   "also",   "just",   "only",  "even", "still",
             "already", "again",   "ever",  "never",  "always", "often", "here", "there",
             "then",    "now",     "soon",  "when",   "where",  "how",   "why",  "once",
             "however", "perhaps", "quite", "rather", "almost", "really"});
        return map;
    }();
    return words;
}

} // namespace

Function functionOf(std::string_view key) {
    const auto& words = functionWords();
    const auto found = words.find(key);
    return found == words.end() ? Function::none : found->second;
}

bool inList(std::string_view word, std::initializer_list<std::string_view> list) {
    return std::find(list.begin(), list.end(), word) != list.end();
}

bool isNameParticle(std::string_view key) {
    return inList(key,
                  {"of",  "de", "da", "di",  "del", "della", "van", "von", "der", "den", "du",
                   "des", "la", "le", "dos", "das", "do",    "y",   "bin", "ibn", "al",  "el"});
}

bool isAbbreviationWithStop(std::string_view key) {
    return inList(key, {"mr",  "mrs", "ms",   "dr", "st",  "jr",  "sr",   "prof",
                        "inc", "ltd", "corp", "co", "vs",  "gen", "gov",  "sen",
                        "rep", "mt",  "ft",   "no", "vol", "fig", "dept", "approx"});
}

bool isOrganizationHead(std::string_view key) {
    return inList(key, {"inc.",         "inc",        "corp",        "corp.",        "corporation",
                        "ltd",          "ltd.",       "llc",         "gmbh",         "ag",
                        "plc",          "co",         "co.",         "company",      "group",
                        "holdings",     "foundation", "university",  "institute",    "labs",
                        "laboratories", "bank",       "association", "party",        "council",
                        "committee",    "agency",     "office",      "ministry",     "department",
                        "museum",       "college",    "school",      "club",         "fc",
                        "united",       "airlines",   "airways",     "motors",       "technologies",
                        "systems",      "software",   "studios",     "studio",       "records",
                        "times",        "news",       "post",        "press",        "media",
                        "federation",   "league",     "union",       "philharmonic", "orchestra",
                        "network",      "brothers",   "academy",     "society",      "board",
                        "court",        "bros",       "church",      "games"});
}

bool isPlaceHead(std::string_view key) {
    return inList(
        key,
        {"city",     "county",  "river",  "lake",   "mountains", "mountain", "mount",     "hills",
         "island",   "islands", "isle",   "beach",  "bay",       "coast",    "province",  "region",
         "district", "desert",  "forest", "canyon", "falls",     "atoll",    "peninsula", "strait",
         "sea",      "ocean",   "gulf",   "cape",   "valley",    "street",   "road",      "avenue",
         "square",   "bridge",  "tower",  "palace", "stadium",   "arena",    "park",      "garden",
         "gardens",  "market",  "bazaar", "dam",    "airport",   "station",  "cathedral", "castle",
         "hall",     "center",  "centre", "path",   "plaza",     "port",     "fort",      "house"});
}

} // namespace nl::detail
