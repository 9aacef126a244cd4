#include "platform/Tagger/NaturalLanguageTagger.h"

#include "platform/Tagger/Lexicon.h"
#include "platform/Tagger/NameFinder.h"

#include <QThreadPool>

namespace nl {
namespace {

using namespace detail;

// Tags one text: its tokens, the names among them, and every word's part of
// speech, for either scheme the caller asks for.
class Analysis {
public:
    Analysis(const Lexicon& lexicon, const QString& text)
        : m_tokens(readTokens(text, WordFacts(lexicon))) {
        if (m_tokens.empty())
            return;
        m_spans = findNames(text, lexicon, m_tokens);
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
