#include "platform/Tagger/WordFacts.h"

#include <algorithm>
#include <string>

namespace nl::detail {
namespace {

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() > suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

} // namespace

Facts WordFacts::of(std::string_view key) const {
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
    if (const std::string_view irregular = m_lexicon.irregularAdjective(key); !irregular.empty())
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

bool WordFacts::isCompound(std::string_view key) const {
    if (key.size() < 6 || key.size() > 24)
        return false;
    if (!std::all_of(key.begin(), key.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
        return false;
    for (std::size_t split = 4; split + 3 <= key.size(); ++split) {
        const LexiconEntry* left = m_lexicon.find(key.substr(0, split));
        if (!left || !((left->has(LexiconEntry::commonNoun) && left->nounUses > 0) ||
                       (left->has(LexiconEntry::adjective) && left->adjectiveUses > 0)))
            continue;
        const Facts right = of(key.substr(split));
        if (right.commonNoun && right.nounUses > 0)
            return true;
    }
    return false;
}

bool WordFacts::isDerived(std::string_view key) const {
    if (isCompound(key))
        return true;
    for (const std::string_view prefix : {"re", "un", "pre", "non", "over", "under", "out", "mis",
                                          "dis", "sub", "inter", "multi", "co"}) {
        if (key.size() >= prefix.size() + 4 && key.substr(0, prefix.size()) == prefix &&
            of(key.substr(prefix.size())).common())
            return true;
    }
    return false;
}

} // namespace nl::detail
