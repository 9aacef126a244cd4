#pragma once

#include <QFlags>
#include <QString>
#include <vector>

namespace nl {

// The two ways of tagging words the application asks for.
enum class TagScheme {
    // Names of people, places and organisations; other words are otherWord.
    nameType,
    // Parts of speech.
    lexicalClass,
};

enum class Tag {
    // Words
    otherWord,
    noun,
    verb,
    adjective,
    adverb,
    pronoun,
    determiner,
    preposition,
    conjunction,
    number,
    personalName,
    placeName,
    organizationName,
    // Everything between words
    whitespace,
    punctuation,
};

enum class TagOption : unsigned {
    omitPunctuation = 0x1,
    omitWhitespace = 0x2,
    // Leaves out words tagged otherWord.
    omitOther = 0x4,
    // A name of several words comes as one token spanning all of them.
    joinNames = 0x8,
};
Q_DECLARE_FLAGS(TagOptions, TagOption)

// One token of the text, as a range of UTF-16 code units.
struct TaggedToken {
    Tag tag = Tag::otherWord;
    qsizetype start = 0;
    qsizetype length = 0;

    friend bool operator==(const TaggedToken&, const TaggedToken&) = default;
};

// Splits a text into word tokens and tags each under a scheme. Implementations
// must be deterministic and safe to call from several threads at once.
class TextTagger {
public:
    virtual ~TextTagger() = default;
    // The tokens of `text` in text order, whole words as the unit.
    virtual std::vector<TaggedToken> tags(const QString& text, TagScheme scheme,
                                          TagOptions options) const = 0;
};

} // namespace nl

Q_DECLARE_OPERATORS_FOR_FLAGS(nl::TagOptions)
