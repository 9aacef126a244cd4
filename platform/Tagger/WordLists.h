#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

// The short closed lists the tagger knows by heart, apart from the lexicon:
// function words, the particles and abbreviations that names and sentences
// treat specially, and the words that mark a name as a place or organisation.
// Every word is a lower-case lexicon key.
namespace nl::detail {

enum class Function : std::uint8_t {
    none,
    pronoun,
    determiner,
    preposition,
    conjunction,
    auxiliary,
    adverb,
};

// The closed class of `key`, or none. The dictionary has nouns for many of
// them ("a" the vitamin, "in" the inch, "may" the month), which would
// otherwise win.
Function functionOf(std::string_view key);

bool inList(std::string_view word, std::initializer_list<std::string_view> list);

// Lower-case words that stay inside a name: "Bank of England", "Vincent van
// Gogh", "Plaza de España".
bool isNameParticle(std::string_view key);

// Abbreviations whose full stop does not end a sentence.
bool isAbbreviationWithStop(std::string_view key);

// The words names of organisations commonly end in or start with.
bool isOrganizationHead(std::string_view key);

bool isPlaceHead(std::string_view key);

} // namespace nl::detail
