#include "platform/Tagger/NaturalLanguageTagger.h"

#include "platform/Tagger/Lexicon.h"

#include <QThreadPool>
#include <algorithm>
#include <array>
#include <memory>
#include <unicode/brkiter.h>
#include <unicode/unistr.h>
#include <unordered_map>

namespace nl {
namespace {

enum class Function : std::uint8_t {
    none,
    pronoun,
    determiner,
    preposition,
    conjunction,
    auxiliary,
    adverb,
};

// Closed-class words. The dictionary has nouns for many of them ("a" the
// vitamin, "in" the inch, "may" the month), which would otherwise win.
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

bool inList(std::string_view word, std::initializer_list<std::string_view> list) {
    return std::find(list.begin(), list.end(), word) != list.end();
}

// Lower-case words that stay inside a name: "Bank of England", "Vincent van
// Gogh", "Plaza de España".
bool isNameParticle(std::string_view key) {
    return inList(key,
                  {"of",  "de", "da", "di",  "del", "della", "van", "von", "der", "den", "du",
                   "des", "la", "le", "dos", "das", "do",    "y",   "bin", "ibn", "al",  "el"});
}

// Abbreviations whose full stop does not end a sentence.
bool isAbbreviationWithStop(std::string_view key) {
    return inList(key, {"mr",  "mrs", "ms",   "dr", "st",  "jr",  "sr",   "prof",
                        "inc", "ltd", "corp", "co", "vs",  "gen", "gov",  "sen",
                        "rep", "mt",  "ft",   "no", "vol", "fig", "dept", "approx"});
}

// The words names of organisations commonly end in or start with.
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

constexpr std::size_t kLongestRun = 16;

enum class Kind : std::uint8_t { word, number, whitespace, punctuation };

struct Token {
    qsizetype start = 0;
    qsizetype length = 0;
    Kind kind = Kind::punctuation;
    bool capitalised = false; // first character upper or title case
    bool allCaps = false;     // two or more letters, none lower case
    bool innerCaps = false;   // "iPhone", "eBay"
    bool letters = false;
    bool possessive = false; // ends in 's or ’s
    bool segmentStart = false;
    bool reliable = false; // capitals here say "name"
    int segment = 0;
    int sentence = 0;
    Function function = Function::none;
    std::string key;      // lower case, without a possessive ending
    Facts facts;          // what the dictionary says about `key`
    bool derived = false; // unknown, but made of known words ("heatwave")

    // Name analysis
    bool capLike = false; // a capitalised word that can be part of a name
    bool blocked = false; // a capitalised word that is not a name ("Monday", "German")
    bool strong = false;  // a name wherever it stands
    bool properCapable = false;
    bool nameLike = false;
    bool particle = false;
    int span = -1;

    Tag lexical = Tag::otherWord;

    qsizetype end() const { return start + length; }
};

struct Span {
    int first = 0; // token indices, both ends words
    int last = 0;
    Tag tag = Tag::organizationName;
};

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() > suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

class Analysis {
public:
    Analysis(const Lexicon& lexicon, const QString& text)
        : m_lexicon(lexicon)
        , m_text(text) {
        tokenize();
        if (m_tokens.empty())
            return;
        markSegments();
        describeWords();
        findNames();
        classifyWords();
    }

    std::vector<TaggedToken> result(TagScheme scheme, TagOptions options) const {
        std::vector<TaggedToken> out;
        out.reserve(m_tokens.size());
        const bool join = options.testFlag(TagOption::joinNames);
        for (std::size_t i = 0; i < m_tokens.size(); ++i) {
            const Token& token = m_tokens[i];
            if (token.kind == Kind::whitespace) {
                if (!options.testFlag(TagOption::omitWhitespace))
                    out.push_back({Tag::whitespace, token.start, token.length});
                continue;
            }
            if (token.kind == Kind::punctuation) {
                if (!options.testFlag(TagOption::omitPunctuation))
                    out.push_back({Tag::punctuation, token.start, token.length});
                continue;
            }
            Tag tag = Tag::otherWord;
            if (scheme == TagScheme::lexicalClass) {
                tag = token.lexical;
            } else if (token.span >= 0) {
                const Span& span = m_spans[static_cast<std::size_t>(token.span)];
                if (join) {
                    const Token& last = m_tokens[static_cast<std::size_t>(span.last)];
                    out.push_back({span.tag, token.start, last.end() - token.start});
                    i = static_cast<std::size_t>(span.last);
                    continue;
                }
                tag = token.particle ? Tag::otherWord : span.tag;
            }
            if (tag == Tag::otherWord && options.testFlag(TagOption::omitOther))
                continue;
            out.push_back({tag, token.start, token.length});
        }
        return out;
    }

private:
    QStringView view(const Token& token) const {
        return QStringView(m_text).mid(token.start, token.length);
    }

    void tokenize() {
        UErrorCode status = U_ZERO_ERROR;
        // Building a word iterator loads ICU's rules; once per thread is plenty.
        thread_local const std::unique_ptr<icu::BreakIterator> iterator(
            icu::BreakIterator::createWordInstance(icu::Locale::getRoot(), status));
        if (!iterator || U_FAILURE(status) || m_text.isEmpty())
            return;
        const auto length = static_cast<int32_t>(std::min<qsizetype>(m_text.size(), INT32_MAX - 1));
        const icu::UnicodeString alias(false, reinterpret_cast<const UChar*>(m_text.utf16()),
                                       length);
        iterator->setText(alias);
        int32_t start = iterator->first();
        for (int32_t end = iterator->next(); end != icu::BreakIterator::DONE;
             start = end, end = iterator->next()) {
            Token token;
            token.start = start;
            token.length = end - start;
            const int32_t rule = iterator->getRuleStatus();
            // "Jet2" and "RAV4" come as numbers; a token that starts with a
            // letter is a word.
            if (rule >= UBRK_WORD_NUMBER && rule < UBRK_WORD_NUMBER_LIMIT)
                token.kind = m_text[start].isLetter() ? Kind::word : Kind::number;
            else if (rule >= UBRK_WORD_NONE_LIMIT)
                token.kind = Kind::word;
            else
                token.kind = std::all_of(m_text.begin() + start, m_text.begin() + end,
                                         [](QChar c) { return c.isSpace(); })
                                 ? Kind::whitespace
                                 : Kind::punctuation;
            m_tokens.push_back(std::move(token));
        }
        iterator->setText(icu::UnicodeString());
    }

    static char32_t scalarAt(QStringView text, qsizetype& at) {
        const QChar c = text[at++];
        if (c.isHighSurrogate() && at < text.size() && text[at].isLowSurrogate())
            return QChar::surrogateToUcs4(c, text[at++]);
        return c.unicode();
    }

    void describeWord(Token& token) const {
        const QStringView text = view(token);
        int upper = 0;
        int lower = 0;
        bool first = true;
        bool firstLower = false;
        for (qsizetype at = 0; at < text.size();) {
            const char32_t scalar = scalarAt(text, at);
            const QChar::Category category = QChar::category(scalar);
            const bool isUpper =
                category == QChar::Letter_Uppercase || category == QChar::Letter_Titlecase;
            const bool isLower = category == QChar::Letter_Lowercase;
            if (first) {
                token.capitalised = isUpper;
                firstLower = isLower;
                first = false;
            } else if (isUpper && firstLower) {
                token.innerCaps = true;
            }
            upper += isUpper ? 1 : 0;
            lower += isLower ? 1 : 0;
        }
        token.letters =
            upper + lower > 0 || QChar::isLetter(text.isEmpty() ? 0 : text[0].unicode());
        token.allCaps = upper >= 2 && lower == 0;
        QStringView base = text;
        if (base.size() > 2 && (base.endsWith(u"'s") || base.endsWith(u"\u2019s"))) {
            token.possessive = true;
            base.chop(2);
        }
        token.key = lexiconKey(base);
        const auto& words = functionWords();
        auto found = words.find(token.key);
        if (token.possessive && found == words.end())
            found = words.find(lexiconKey(text)); // "let's", "it's"
        if (found != words.end())
            token.function = found->second;
    }

    // "U.S", "e.g", "Ph.D": short pieces between full stops. Not "example.com".
    static bool isDottedAbbreviation(QStringView text) {
        if (!text.contains(u'.'))
            return false;
        qsizetype piece = 0;
        for (const QChar c : text) {
            piece = c == u'.' ? 0 : piece + 1;
            if (piece > 2)
                return false;
        }
        return true;
    }

    // Full stops after initials and abbreviations belong to the word ("St.",
    // "J.", "U.S.") and end no sentence.
    void absorbAbbreviationStops() {
        std::vector<Token> merged;
        merged.reserve(m_tokens.size());
        for (std::size_t i = 0; i < m_tokens.size(); ++i) {
            Token token = std::move(m_tokens[i]);
            if (token.kind == Kind::word && i + 1 < m_tokens.size()) {
                const Token& next = m_tokens[i + 1];
                const bool stop = next.kind == Kind::punctuation && next.length == 1 &&
                                  m_text[next.start] == u'.';
                if (stop) {
                    const QStringView text = view(token);
                    const bool initial = text.size() == 1 && token.capitalised;
                    const bool dotted = isDottedAbbreviation(text);
                    if (initial || dotted || isAbbreviationWithStop(token.key)) {
                        token.length += 1;
                        ++i;
                    }
                }
            }
            merged.push_back(std::move(token));
        }
        m_tokens = std::move(merged);
    }

    enum class Boundary { none, segment, sentence };

    // Sentences end at terminal punctuation and line breaks; a segment also
    // ends where a headline is split into parts (":", "|", " - ").
    Boundary boundaryAt(const Token& token, std::size_t index) const {
        const QStringView text = view(token);
        if (token.kind == Kind::whitespace)
            return text.contains(u'\n') || text.contains(u'\r') || text.contains(u'\u2029')
                       ? Boundary::sentence
                       : Boundary::none;
        if (token.kind != Kind::punctuation || text.size() != 1)
            return Boundary::none;
        switch (text[0].unicode()) {
        case u'.':
        case u'!':
        case u'?':
        case u'\u2026': // …
            return Boundary::sentence;
        case u':':
        case u';':
        case u'|':
        case u'\u2022': // •
        case u'\u00b7': // ·
        case u'\u2013': // –
        case u'\u2014': // —
            return Boundary::segment;
        case u'-': {
            // A spaced hyphen separates a headline from its site's name.
            const bool before = index > 0 && m_tokens[index - 1].kind == Kind::whitespace;
            const bool after =
                index + 1 < m_tokens.size() && m_tokens[index + 1].kind == Kind::whitespace;
            return before && after ? Boundary::segment : Boundary::none;
        }
        default:
            return Boundary::none;
        }
    }

    void markSegments() {
        for (Token& token : m_tokens) {
            if (token.kind == Kind::word)
                describeWord(token);
        }
        absorbAbbreviationStops();
        for (Token& token : m_tokens) {
            if (token.kind != Kind::word || !token.letters)
                continue;
            token.facts = facts(token.key);
            token.derived = !token.facts.found && isDerived(token.key);
        }
        Boundary boundary = Boundary::sentence;
        int segment = 0;
        int sentence = 0;
        for (std::size_t i = 0; i < m_tokens.size(); ++i) {
            Token& token = m_tokens[i];
            if (token.kind == Kind::word) {
                token.segmentStart = boundary != Boundary::none;
                segment += boundary != Boundary::none ? 1 : 0;
                sentence += boundary == Boundary::sentence ? 1 : 0;
                boundary = Boundary::none;
            } else {
                boundary = std::max(boundary, boundaryAt(token, i));
            }
            token.segment = segment;
            token.sentence = sentence;
        }
        // A sentence that capitalises nearly every ordinary word is a headline
        // ("Official Trailer"), where capitals say nothing about names. Only
        // dictionary words after the first of each segment are counted: names
        // are capitalised anyway.
        std::vector<std::pair<int, int>> counts(static_cast<std::size_t>(sentence) + 1);
        for (const Token& token : m_tokens) {
            if (token.kind != Kind::word || !token.letters || token.allCaps || token.segmentStart ||
                token.function != Function::none || isNameParticle(token.key))
                continue;
            if (!(token.facts.found ? token.facts.common() : token.derived))
                continue;
            auto& [capitalised, content] = counts[static_cast<std::size_t>(token.sentence)];
            ++content;
            capitalised += token.capitalised || token.innerCaps ? 1 : 0;
        }
        for (Token& token : m_tokens) {
            const auto& [capitalised, content] = counts[static_cast<std::size_t>(token.sentence)];
            const bool headline = content >= 2 && capitalised * 4 >= content * 3;
            token.reliable = !token.segmentStart && !headline;
        }
    }

    Facts facts(std::string_view key) const {
        Facts facts;
        const auto take = [&facts](const LexiconEntry* entry, bool nounFacts, bool verbFacts,
                                   bool adjectiveFacts, bool adverbFacts) {
            if (!entry)
                return;
            if (nounFacts &&
                (entry->has(LexiconEntry::commonNoun) || entry->has(LexiconEntry::properNoun))) {
                facts.found = true;
                facts.commonNoun = facts.commonNoun || entry->has(LexiconEntry::commonNoun);
                facts.proper = facts.proper || entry->has(LexiconEntry::properNoun);
                facts.personNoun = facts.personNoun || entry->has(LexiconEntry::personNoun);
                facts.otherProper = facts.otherProper || entry->has(LexiconEntry::otherProper);
                facts.nounUses = std::max<int>(facts.nounUses, entry->nounUses);
                if (facts.name == NameKind::none)
                    facts.name = entry->name;
            }
            if (verbFacts && entry->has(LexiconEntry::verb)) {
                facts.found = facts.verb = true;
                facts.verbUses = std::max<int>(facts.verbUses, entry->verbUses);
            }
            if (adjectiveFacts && entry->has(LexiconEntry::adjective)) {
                facts.found = facts.adjective = true;
                facts.adjectiveUses = std::max<int>(facts.adjectiveUses, entry->adjectiveUses);
            }
            if (adverbFacts && entry->has(LexiconEntry::adverb)) {
                facts.found = facts.adverb = true;
                facts.adverbUses = std::max<int>(facts.adverbUses, entry->adverbUses);
            }
        };
        const LexiconEntry* direct = m_lexicon.find(key);
        take(direct, true, true, true, true);
        facts.givenName = direct && direct->givenName;
        if (key.size() < 3 || key.size() > 40)
            return facts;
        std::string base;
        const auto tryBase = [&](std::string_view suffix, std::string_view replacement, bool noun,
                                 bool verb, bool adjective) {
            if (!endsWith(key, suffix))
                return;
            base.assign(key.substr(0, key.size() - suffix.size()));
            base += replacement;
            take(m_lexicon.find(base), noun, verb, adjective, false);
        };
        if (const std::string_view irregular = m_lexicon.irregularNoun(key); !irregular.empty())
            take(m_lexicon.find(irregular), true, false, false, false);
        if (const std::string_view irregular = m_lexicon.irregularVerb(key); !irregular.empty())
            take(m_lexicon.find(irregular), false, true, false, false);
        if (const std::string_view irregular = m_lexicon.irregularAdjective(key);
            !irregular.empty())
            take(m_lexicon.find(irregular), false, false, true, false);
        if (!endsWith(key, "ss")) {
            tryBase("s", "", true, true, false);
        }
        tryBase("ses", "s", true, false, false);
        tryBase("xes", "x", true, false, false);
        tryBase("zes", "z", true, false, false);
        tryBase("ches", "ch", true, false, false);
        tryBase("shes", "sh", true, false, false);
        tryBase("men", "man", true, false, false);
        tryBase("ies", "y", true, true, false);
        tryBase("es", "e", false, true, false);
        tryBase("es", "", false, true, false);
        tryBase("ed", "e", false, true, false);
        tryBase("ed", "", false, true, false);
        tryBase("ing", "e", false, true, false);
        tryBase("ing", "", false, true, false);
        tryBase("er", "", false, false, true);
        tryBase("est", "", false, false, true);
        tryBase("er", "e", false, false, true);
        tryBase("est", "e", false, false, true);
        return facts;
    }

    // "heatwave", "weeknight": two dictionary words written as one.
    bool isCompound(std::string_view key) const {
        if (key.size() < 6 || key.size() > 24)
            return false;
        if (!std::all_of(key.begin(), key.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
            return false;
        for (std::size_t split = 4; split + 3 <= key.size(); ++split) {
            const LexiconEntry* left = m_lexicon.find(key.substr(0, split));
            if (!left || !((left->has(LexiconEntry::commonNoun) && left->nounUses > 0) ||
                           (left->has(LexiconEntry::adjective) && left->adjectiveUses > 0)))
                continue;
            const Facts right = facts(key.substr(split));
            if (right.commonNoun && right.nounUses > 0)
                return true;
        }
        return false;
    }

    // A compound, or a known word behind a common prefix ("reapply").
    bool isDerived(std::string_view key) const {
        if (isCompound(key))
            return true;
        for (const std::string_view prefix : {"re", "un", "pre", "non", "over", "under", "out",
                                              "mis", "dis", "sub", "inter", "multi", "co"}) {
            if (key.size() >= prefix.size() + 4 && key.substr(0, prefix.size()) == prefix &&
                facts(key.substr(prefix.size())).common())
                return true;
        }
        return false;
    }

    void describeWords() {
        for (Token& token : m_tokens) {
            if (token.kind != Kind::word || !token.letters)
                continue;
            // Lower-case particles stay inside names; capitalised ones may
            // open one ("Le Creuset", "El Calafate"), except "Of" in headlines.
            if (isNameParticle(token.key)) {
                if (!token.capitalised || token.key == "of") {
                    token.particle = true;
                    continue;
                }
                token.capLike = token.properCapable = true;
                continue;
            }
            if (token.allCaps) {
                std::string exact = view(token).toString().toStdString();
                if (token.possessive)
                    exact.resize(exact.size() - 2);
                if (const LexiconEntry* entry = m_lexicon.findAbbreviation(exact)) {
                    token.capLike = true;
                    token.blocked =
                        entry->name == NameKind::none || entry->has(LexiconEntry::commonNoun);
                    token.strong = !token.blocked;
                    token.properCapable = token.strong;
                    continue;
                }
                // Shouted ordinary words ("HOW TO") are not abbreviations.
                const Facts& shouted = token.facts;
                if (token.function != Function::none || (shouted.found && shouted.anyUses()))
                    continue;
                token.capLike = token.strong = token.properCapable = true;
                continue;
            }
            if (!(token.capitalised || token.innerCaps) || token.function != Function::none)
                continue;
            token.capLike = true;
            const Facts& word = token.facts;
            token.properCapable = word.proper || word.givenName || word.name != NameKind::none;
            // A capitalised word with a sense that is no name is taken in that
            // sense, even when some person had it as a surname ("French",
            // "Sunday"): the day and the language are far more common.
            token.blocked = !token.innerCaps && word.proper &&
                            (word.name == NameKind::none ||
                             (word.name == NameKind::person && word.otherProper));
            if (token.blocked)
                continue;
            if (!word.found)
                token.strong = !token.derived && view(token).size() > 2;
            else
                token.strong = !word.common() || (word.name != NameKind::none && !word.anyUses());
            token.strong = token.strong || token.innerCaps;
        }
    }

    // Runs of capitalised words that may make up names, with the particles,
    // hyphens and ampersands between them.
    std::vector<std::vector<int>> runs() const {
        std::vector<std::vector<int>> result;
        std::vector<int> run;
        const auto close = [&] {
            while (!run.empty() && m_tokens[static_cast<std::size_t>(run.back())].particle)
                run.pop_back();
            if (!run.empty())
                result.push_back(run);
            run.clear();
        };
        std::size_t i = 0;
        while (i < m_tokens.size()) {
            const Token& token = m_tokens[i];
            if (token.kind != Kind::word || !token.capLike) {
                close();
                ++i;
                continue;
            }
            run.push_back(static_cast<int>(i));
            // No name is this long; cutting runs keeps the work per word bounded.
            if (run.size() >= kLongestRun) {
                close();
                ++i;
                continue;
            }
            // "Philosopher's Path" goes on; "Wes Anderson's Asteroid City" stops.
            const bool headFollows =
                token.possessive && i + 2 < m_tokens.size() &&
                m_tokens[i + 1].kind == Kind::whitespace && m_tokens[i + 2].capLike &&
                !m_tokens[i + 2].possessive &&
                (isPlaceHead(m_tokens[i + 2].key) || isOrganizationHead(m_tokens[i + 2].key)) &&
                (i + 3 >= m_tokens.size() || !m_tokens[i + 3].capLike) &&
                !(i + 4 < m_tokens.size() && m_tokens[i + 4].capLike &&
                  m_tokens[i + 3].kind == Kind::whitespace);
            if (headFollows) {
                run.push_back(static_cast<int>(i + 2));
                close();
                i += 3;
                continue;
            }
            if (token.possessive) {
                close();
                ++i;
                continue;
            }
            // Look past what separates this word from the next.
            std::size_t next = i + 1;
            bool joined = false;
            if (next < m_tokens.size()) {
                const Token& between = m_tokens[next];
                const QStringView text = view(between);
                if (between.kind == Kind::whitespace && !text.contains(u'\n')) {
                    ++next;
                    if (next < m_tokens.size() && m_tokens[next].particle &&
                        next + 2 < m_tokens.size() && m_tokens[next + 1].kind == Kind::whitespace &&
                        m_tokens[next + 2].capLike) {
                        run.push_back(static_cast<int>(next));
                        next += 2;
                    } else if (next + 2 < m_tokens.size() && view(m_tokens[next]) == u"&" &&
                               m_tokens[next + 1].kind == Kind::whitespace &&
                               m_tokens[next + 2].capLike) {
                        next += 2;
                    }
                    joined = next < m_tokens.size() && m_tokens[next].capLike;
                } else if (between.kind == Kind::punctuation &&
                           (text == u"-" || text == u"&" || text == u"\u2010")) {
                    if (next + 1 < m_tokens.size() && m_tokens[next + 1].capLike) {
                        ++next;
                        joined = true;
                    } else if (next + 3 < m_tokens.size() && m_tokens[next + 1].particle &&
                               view(m_tokens[next + 2]) == text && m_tokens[next + 3].capLike) {
                        // "Île-de-France", "Stratford-upon-Avon" style names.
                        run.push_back(static_cast<int>(next + 1));
                        next += 3;
                        joined = true;
                    }
                }
            }
            if (!joined) {
                close();
                ++i;
                continue;
            }
            i = next;
        }
        close();
        return result;
    }

    std::string keyOf(int first, int last) const {
        const Token& a = m_tokens[static_cast<std::size_t>(first)];
        const Token& b = m_tokens[static_cast<std::size_t>(last)];
        const qsizetype end = b.end() - (b.possessive ? 2 : 0);
        return lexiconKey(QStringView(m_text).mid(a.start, end - a.start));
    }

    Token& at(int index) { return m_tokens[static_cast<std::size_t>(index)]; }
    const Token& at(int index) const { return m_tokens[static_cast<std::size_t>(index)]; }

    static Tag tagFor(NameKind kind) {
        switch (kind) {
        case NameKind::person:
            return Tag::personalName;
        case NameKind::place:
            return Tag::placeName;
        case NameKind::organization:
        case NameKind::other:
        case NameKind::none:
            break;
        }
        return Tag::organizationName;
    }

    void findNames() {
        for (const std::vector<int>& run : runs())
            findNamesIn(run);
    }

    void findNamesIn(const std::vector<int>& run) {
        const int size = static_cast<int>(run.size());
        std::vector<int> known(run.size(), -1);
        std::vector<char> blockedByKnown(run.size(), 0);
        std::vector<Span> knownSpans;
        // Names the lists know, longest first.
        const int window = std::max(2, m_lexicon.longestName() + 2);
        for (int i = 0; i < size; ++i) {
            if (at(run[static_cast<std::size_t>(i)]).particle)
                continue;
            for (int j = std::min(size - 1, i + window - 1); j > i; --j) {
                if (at(run[static_cast<std::size_t>(j)]).particle)
                    continue;
                const LexiconEntry* entry = m_lexicon.find(
                    keyOf(run[static_cast<std::size_t>(i)], run[static_cast<std::size_t>(j)]));
                if (!entry || !entry->has(LexiconEntry::properNoun))
                    continue;
                if (entry->name == NameKind::none) {
                    // "South Korean", "New Year": capitalised, but no name.
                    for (int k = i; k <= j; ++k)
                        blockedByKnown[static_cast<std::size_t>(k)] = 1;
                    i = j;
                    break;
                }
                knownSpans.push_back({i, j, tagFor(entry->name)});
                for (int k = i; k <= j; ++k)
                    known[static_cast<std::size_t>(k)] = static_cast<int>(knownSpans.size()) - 1;
                i = j;
                break;
            }
        }
        std::vector<char> nameLike(run.size(), 0);
        for (int i = 0; i < size; ++i) {
            const Token& token = at(run[static_cast<std::size_t>(i)]);
            if (known[static_cast<std::size_t>(i)] >= 0)
                nameLike[static_cast<std::size_t>(i)] = 1;
            else if (blockedByKnown[static_cast<std::size_t>(i)])
                continue;
            else if (!token.particle && !token.blocked && (token.reliable || token.strong))
                nameLike[static_cast<std::size_t>(i)] = 1;
        }
        // Grow names over neighbours that can be part of one: "Tom Scott" in a
        // headline, "Norwegian Road Federation", "Storm Ciarán".
        for (bool grew = true; grew;) {
            grew = false;
            for (int i = 0; i < size; ++i) {
                if (nameLike[static_cast<std::size_t>(i)])
                    continue;
                const Token& token = at(run[static_cast<std::size_t>(i)]);
                if (token.particle)
                    continue;
                const bool left = i > 0 && nameLike[static_cast<std::size_t>(i - 1)];
                const bool right = i + 1 < size && nameLike[static_cast<std::size_t>(i + 1)];
                if (!left && !right)
                    continue;
                if (blockedByKnown[static_cast<std::size_t>(i)])
                    continue;
                // A word that is never a name on its own may still lead one
                // ("Norwegian Road Federation", "Tom Scott").
                const bool head = isOrganizationHead(token.key) || isPlaceHead(token.key);
                bool joins =
                    head || (token.blocked ? right && !token.allCaps : token.properCapable);
                // Regnal numbers: "Johann Strauss II".
                joins = joins || (left && !right && token.allCaps && view(token).length() <= 4 &&
                                  std::all_of(view(token).begin(), view(token).end(), [](QChar c) {
                                      return c == u'I' || c == u'V' || c == u'X';
                                  }));
                if (!joins && right && !left && i == 0 && token.segmentStart)
                    joins = opensName(token);
                if (joins) {
                    nameLike[static_cast<std::size_t>(i)] = 1;
                    grew = true;
                }
            }
        }
        // Particles join only between two name words.
        for (int i = 1; i + 1 < size; ++i) {
            if (at(run[static_cast<std::size_t>(i)]).particle &&
                nameLike[static_cast<std::size_t>(i - 1)] &&
                nameLike[static_cast<std::size_t>(i + 1)])
                nameLike[static_cast<std::size_t>(i)] = 1;
        }
        for (int i = 0; i < size;) {
            if (!nameLike[static_cast<std::size_t>(i)] ||
                at(run[static_cast<std::size_t>(i)]).particle) {
                ++i;
                continue;
            }
            int j = i;
            while (j + 1 < size && nameLike[static_cast<std::size_t>(j + 1)])
                ++j;
            while (j > i && at(run[static_cast<std::size_t>(j)]).particle)
                --j;
            addSpan(run, i, j, known, knownSpans);
            i = j + 1;
        }
    }

    // May a capitalised word opening a sentence start the name after it?
    // Nouns and adjectives may ("Storm Ciarán"); verbs ("Watch Taylor
    // Swift") and words for people ("Governor Andrew Bailey") may not.
    bool opensName(const Token& token) const {
        const Facts& word = token.facts;
        if (token.blocked || word.personNoun)
            return false;
        const int nounish = std::max(word.nounUses, word.adjectiveUses);
        return (word.noun() || word.adjective) && nounish >= word.verbUses;
    }

    // Do run[from..last] look like a person's name?
    bool personFollows(const std::vector<int>& run, int from, int last) const {
        for (int i = from; i <= last; ++i) {
            const Token& token = at(run[static_cast<std::size_t>(i)]);
            if (token.particle)
                continue;
            const Facts& word = token.facts;
            if (token.strong || word.givenName || word.name == NameKind::person)
                return true;
        }
        return false;
    }

    // A title before a person's name ("Governor", "Prime Minister", "Sir"):
    // a dictionary word for a kind of person, followed by a name.
    bool isRoleWord(const std::vector<int>& run, int i, int last, int& words) const {
        const Token& token = at(run[static_cast<std::size_t>(i)]);
        if (!token.capitalised || token.allCaps || token.possessive)
            return false;
        if (i + 2 <= last) {
            const LexiconEntry* pair = m_lexicon.find(
                keyOf(run[static_cast<std::size_t>(i)], run[static_cast<std::size_t>(i + 1)]));
            if (pair && pair->has(LexiconEntry::personNoun) && personFollows(run, i + 2, last)) {
                words = 2;
                return true;
            }
        }
        words = 1;
        const Facts& word = token.facts;
        return word.personNoun && !word.givenName && word.name == NameKind::none &&
               personFollows(run, i + 1, last);
    }

    void addSpan(const std::vector<int>& run, int first, int last, const std::vector<int>& known,
                 const std::vector<Span>& knownSpans) {
        // Titles before a person's name are not part of it.
        for (int words = 1; first < last && known[static_cast<std::size_t>(first)] < 0 &&
                            isRoleWord(run, first, last, words) && first + words <= last;) {
            first += words;
            while (first < last && at(run[static_cast<std::size_t>(first)]).particle)
                ++first;
        }
        const Token& firstToken = at(run[static_cast<std::size_t>(first)]);
        if (first == last && view(firstToken).size() < 2)
            return;
        Span span{run[static_cast<std::size_t>(first)], run[static_cast<std::size_t>(last)],
                  Tag::organizationName};
        const int k = known[static_cast<std::size_t>(first)];
        if (k >= 0 && known[static_cast<std::size_t>(last)] == k &&
            knownSpans[static_cast<std::size_t>(k)].first == first &&
            knownSpans[static_cast<std::size_t>(k)].last == last) {
            span.tag = knownSpans[static_cast<std::size_t>(k)].tag;
        } else {
            span.tag = typeOf(run, first, last);
        }
        const int index = static_cast<int>(m_spans.size());
        m_spans.push_back(span);
        for (int t = span.first; t <= span.last; ++t) {
            if (m_tokens[static_cast<std::size_t>(t)].kind == Kind::word)
                m_tokens[static_cast<std::size_t>(t)].span = index;
        }
    }

    // "J." in "J. K. Rowling".
    bool isInitial(const Token& token) const {
        const QStringView text = view(token);
        return token.capitalised && text.size() == 2 && text[1] == u'.';
    }

    Tag typeOf(const std::vector<int>& run, int first, int last) const {
        const Token& head = at(run[static_cast<std::size_t>(first)]);
        const Token& tail = at(run[static_cast<std::size_t>(last)]);
        if (first == last) {
            const Facts word = head.allCaps ? Facts{} : head.facts;
            if (head.allCaps) {
                std::string exact = view(head).toString().toStdString();
                if (head.possessive)
                    exact.resize(exact.size() - 2);
                if (const LexiconEntry* entry = m_lexicon.findAbbreviation(exact))
                    return tagFor(entry->name);
            }
            return word.givenName && word.name == NameKind::none ? Tag::personalName
                                                                 : tagFor(word.name);
        }
        if (isOrganizationHead(tail.key) || isOrganizationHead(head.key))
            return Tag::organizationName;
        if (isPlaceHead(tail.key) || isPlaceHead(head.key))
            return Tag::placeName;
        const Facts& headFacts = head.facts;
        const Facts& tailFacts = tail.facts;
        if (headFacts.givenName || headFacts.name == NameKind::person ||
            tailFacts.name == NameKind::person)
            return Tag::personalName;
        // Two or three words no dictionary knows are most often a person.
        const int words =
            static_cast<int>(std::count_if(run.begin() + first, run.begin() + last + 1,
                                           [this](int t) { return !at(t).particle; }));
        const bool allStrong =
            std::all_of(run.begin() + first, run.begin() + last + 1, [this](int t) {
                return at(t).particle || at(t).strong || isInitial(at(t));
            });
        if (words <= 3 && allStrong)
            return Tag::personalName;
        if (tailFacts.name == NameKind::place && headFacts.name == NameKind::place)
            return Tag::placeName;
        return Tag::organizationName;
    }

    void classifyWords() {
        const Token* previous = nullptr;
        for (Token& token : m_tokens) {
            if (token.kind == Kind::number) {
                token.lexical = Tag::number;
                previous = &token;
                continue;
            }
            if (token.kind != Kind::word)
                continue;
            token.lexical = classify(token, previous);
            previous = &token;
        }
    }

    Tag classify(const Token& token, const Token* previous) const {
        if (token.span >= 0 && !token.particle)
            return Tag::noun;
        switch (token.function) {
        case Function::pronoun:
            return Tag::pronoun;
        case Function::determiner:
            return Tag::determiner;
        case Function::preposition:
            return Tag::preposition;
        case Function::conjunction:
            return Tag::conjunction;
        case Function::auxiliary:
            return Tag::verb;
        case Function::adverb:
            return Tag::adverb;
        case Function::none:
            break;
        }
        if (!token.letters)
            return Tag::otherWord;
        if (token.allCaps && token.capLike)
            return Tag::noun;
        const Facts& word = token.facts;
        if (!word.found)
            return Tag::noun;
        const bool afterNounMarker =
            previous && previous->segment == token.segment &&
            (previous->function == Function::determiner || previous->possessive ||
             previous->lexical == Tag::adjective ||
             inList(previous->key, {"my", "your", "his", "her", "its", "our", "their"}));
        const bool afterVerbMarker =
            previous && previous->segment == token.segment &&
            (previous->key == "to" || previous->function == Function::auxiliary);
        if (afterNounMarker && word.noun())
            return Tag::noun;
        if (afterVerbMarker && word.verb)
            return Tag::verb;
        Tag best = Tag::otherWord;
        int uses = -1;
        const auto consider = [&](bool present, int count, Tag tag) {
            if (present && count > uses) {
                best = tag;
                uses = count;
            }
        };
        consider(word.noun(), word.nounUses, Tag::noun);
        consider(word.verb, word.verbUses, Tag::verb);
        consider(word.adjective, word.adjectiveUses, Tag::adjective);
        consider(word.adverb, word.adverbUses, Tag::adverb);
        // A capitalised word the dictionary writes capitalised is a proper noun.
        if ((token.capitalised || token.innerCaps) && word.proper && best != Tag::adjective)
            return Tag::noun;
        return best;
    }

    const Lexicon& m_lexicon;
    const QString& m_text;
    std::vector<Token> m_tokens;
    std::vector<Span> m_spans;
};

} // namespace

NaturalLanguageTagger::NaturalLanguageTagger() = default;

NaturalLanguageTagger::NaturalLanguageTagger(const Lexicon& lexicon)
    : m_lexicon(&lexicon) {}

const Lexicon& NaturalLanguageTagger::lexicon() const {
    return m_lexicon ? *m_lexicon : Lexicon::shared();
}

std::vector<TaggedToken> NaturalLanguageTagger::tags(const QString& text, TagScheme scheme,
                                                     TagOptions options) const {
    return Analysis(lexicon(), text).result(scheme, options);
}

void NaturalLanguageTagger::preload() {
    QThreadPool::globalInstance()->start([] { Lexicon::shared(); });
}

} // namespace nl
