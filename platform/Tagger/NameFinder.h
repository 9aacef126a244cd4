#pragma once

#include "platform/Tagger/Tokens.h"

#include <vector>

namespace nl::detail {

struct Span {
    int first = 0; // token indices, both ends words
    int last = 0;
    Tag tag = Tag::organizationName;
};

// Finds the names of people, places and organisations among `tokens`, as
// readTokens() left them: names the lexicon knows, and runs of capitalised
// words where capitals mean a name. Marks each word of a name with the index
// of its span, and its name-analysis fields on the way.
std::vector<Span> findNames(const QString& text, const Lexicon& lexicon,
                            std::vector<Token>& tokens);

} // namespace nl::detail
