#pragma once

#include "platform/Tagger/TextTagger.h"
#include "platform/Tagger/WordFacts.h"
#include "platform/Tagger/WordLists.h"

#include <QString>
#include <string>
#include <vector>

namespace nl::detail {

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

inline QStringView textOf(const QString& text, const Token& token) {
    return QStringView(text).mid(token.start, token.length);
}

// Splits `text` at ICU's word boundaries and describes every word: its
// capitals, its lexicon key and what the dictionary says about it, the
// segment and sentence it is in, and whether capitals mean anything there.
// Full stops of initials and abbreviations are part of their word.
std::vector<Token> readTokens(const QString& text, const WordFacts& words);

} // namespace nl::detail
