#include "platform/Tagger/Tokens.h"

#include <algorithm>
#include <memory>
#include <unicode/brkiter.h>
#include <unicode/unistr.h>

namespace nl::detail {
namespace {

class TokenReader {
public:
    TokenReader(const QString& text, const WordFacts& words)
        : m_text(text)
        , m_words(words) {}

    std::vector<Token> read() {
        tokenize();
        if (!m_tokens.empty())
            markSegments();
        return std::move(m_tokens);
    }

private:
    QStringView view(const Token& token) const { return textOf(m_text, token); }

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
        token.function = functionOf(token.key);
        if (token.possessive && token.function == Function::none)
            token.function = functionOf(lexiconKey(text)); // "let's", "it's"
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
            token.facts = m_words.of(token.key);
            token.derived = !token.facts.found && m_words.isDerived(token.key);
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

    const QString& m_text;
    const WordFacts& m_words;
    std::vector<Token> m_tokens;
};

} // namespace

std::vector<Token> readTokens(const QString& text, const WordFacts& words) {
    return TokenReader(text, words).read();
}

} // namespace nl::detail
