#include "platform/Tagger/NameFinder.h"

#include <algorithm>

namespace nl::detail {
namespace {

// No name is this long; cutting runs keeps the work per word bounded.
constexpr std::size_t kLongestRun = 16;

class NameFinder {
public:
    NameFinder(const QString& text, const Lexicon& lexicon, std::vector<Token>& tokens)
        : m_lexicon(lexicon)
        , m_text(text)
        , m_tokens(tokens) {}

    std::vector<Span> find() {
        describeWords();
        for (const std::vector<int>& run : runs())
            findNamesIn(run);
        return std::move(m_spans);
    }

private:
    QStringView view(const Token& token) const { return textOf(m_text, token); }

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

    const Lexicon& m_lexicon;
    const QString& m_text;
    std::vector<Token>& m_tokens;
    std::vector<Span> m_spans;
};

} // namespace

std::vector<Span> findNames(const QString& text, const Lexicon& lexicon,
                            std::vector<Token>& tokens) {
    return NameFinder(text, lexicon, tokens).find();
}

} // namespace nl::detail
