#include "Corvina/Tags/TagSuggester.h"

#include "platform/Tagger/TextTagger.h"
#include "tests/support/Testing.h"

namespace {

using nl::Tag;

// Tags the words it is told to, wherever they first occur (in order) in the
// text it is given, so that the algorithm is tested apart from any tagger's
// judgement. Told as "word/K word/K" with K one of O(rganisation), P(erson),
// L(ocation), N(oun), V(erb), A(djective), W(ord, other).
class FakeTagger : public nl::TextTagger {
public:
    FakeTagger(QStringView names = {}, QStringView lexical = {})
        : m_names(parse(names))
        , m_lexical(parse(lexical)) {}

    mutable QStringList texts;
    mutable std::vector<std::pair<nl::TagScheme, nl::TagOptions>> calls;

    std::vector<nl::TaggedToken> tags(const QString& text, nl::TagScheme scheme,
                                      nl::TagOptions options) const override {
        texts.append(text);
        calls.emplace_back(scheme, options);
        std::vector<nl::TaggedToken> result;
        qsizetype from = 0;
        for (const auto& [word, tag] : scheme == nl::TagScheme::nameType ? m_names : m_lexical) {
            const qsizetype at = text.indexOf(word, from);
            if (at < 0) {
                ADD_FAILURE() << "fake token not in text: " << word.toStdString();
                continue;
            }
            result.push_back({tag, at, word.size()});
            from = at + word.size();
        }
        return result;
    }

private:
    static std::vector<std::pair<QString, Tag>> parse(QStringView told) {
        static const QHash<QChar, Tag> kinds{{u'O', Tag::organizationName},
                                             {u'P', Tag::personalName},
                                             {u'L', Tag::placeName},
                                             {u'N', Tag::noun},
                                             {u'V', Tag::verb},
                                             {u'A', Tag::adjective},
                                             {u'W', Tag::otherWord}};
        std::vector<std::pair<QString, Tag>> tokens;
        for (const QStringView token : told.split(u' ', Qt::SkipEmptyParts))
            tokens.emplace_back(token.chopped(2).toString(), kinds.value(token.back()));
        return tokens;
    }

    std::vector<std::pair<QString, Tag>> m_names;
    std::vector<std::pair<QString, Tag>> m_lexical;
};

QStringList words(const char16_t* text) {
    return QString::fromUtf16(text).split(u' ', Qt::SkipEmptyParts);
}

TEST(TagSuggesterTest, Suggests) {
    const struct {
        const char16_t* title;
        const char16_t* description;
        const char16_t* domain; // nullptr: none
        int limit;
        const char16_t* names;
        const char16_t* lexical;
        const char16_t* expected;
    } cases[] = {
        // Site tag alone when there is no text.
        {u"", u"", u"github.com", 6, u"", u"", u"Github"},
        // Site tag alone whatever the limit.
        {u"", u"", u"github.com", 0, u"", u"", u"Github"},
        // Nothing without text or domain.
        {u"", u"", nullptr, 6, u"", u"", u""},
        // An empty domain makes no empty tag.
        {u"", u"", u"", 6, u"", u"", u""},
        // Limit zero with text.
        {u"Paris", u"", u"example.com", 0, u"Paris/L", u"", u""},
        // Eight organisations give the last six in string order.
        {u"Acme, Bolt, Crest and Delta", u"Ember, Flint, Grove and Harbor", nullptr, 6,
         u"Acme/O Bolt/O Crest/O Delta/O Ember/O Flint/O Grove/O Harbor/O", u"",
         u"Harbor Grove Flint Ember Delta Crest"},
        // A sentence-initial noun counts, its lower-case form never.
        {u"Gardens in spring", u"The gardens open daily", nullptr, 6, u"",
         u"Gardens/N spring/N gardens/N", u"Gardens"},
        // Only nouns count in the lexical pass.
        {u"Build Servers Fast", u"", nullptr, 6, u"", u"Build/V Servers/N Fast/A", u"Servers"},
        // Only names count in the name pass.
        {u"Acme Monday", u"", nullptr, 6, u"Acme/O Monday/W", u"", u"Acme"},
        // Digits and one-letter words are never suggested.
        {u"X 2024 Ⅻ ٣٤ Q7 A", u"", nullptr, 6, u"X/P 2024/O Ⅻ/O ٣٤/O", u"Q7/N A/N", u"Q7"},
        // Parentheses are trimmed.
        {u"Notes (Mozilla) on (Rust)", u"", nullptr, 6, u"(Mozilla)/O", u"Notes/N Rust/N",
         u"Mozilla Rust Notes"},
        // The noun pass looks at the token's first scalar before cleaning it.
        // A noun token starting with a parenthesis is skipped.
        {u"(Rust)", u"", nullptr, 6, u"", u"(Rust)/N", u""},
        // Possessives lose their ending.
        {u"Google's plans and Apple’s answer", u"Ada's Notes", nullptr, 6, u"Google's/O Apple’s/O",
         u"Ada's/N", u"Google Apple Ada"},
        // Spellings that differ in case are different candidates.
        {u"Apple and APPLE", u"", nullptr, 6, u"Apple/O", u"APPLE/N", u"Apple APPLE"},
        // The site tag competes at one.
        {u"Zebra", u"", u"apple.com", 6, u"", u"Zebra/N", u"Zebra Apple"},
        // Text adds to the site tag.
        {u"Apple and Zebra", u"", u"apple.com", 6, u"", u"Apple/N Zebra/N", u"Apple Zebra"},
        // A name that is also a noun scores four.
        {u"London and Paris", u"Paris, Berlin", nullptr, 6, u"London/L Paris/L",
         u"Paris/N Berlin/N", u"Paris London Berlin"},
        // A repeated name outscores others.
        {u"Zed met Ada", u"Ada again", nullptr, 6, u"Zed/P Ada/P Ada/P", u"", u"Ada Zed"},
        // Lower-case initial comes before upper case on ties.
        {u"Zurich iPhone", u"", nullptr, 6, u"Zurich/L iPhone/O", u"", u"iPhone Zurich"},
        // U+1D504 sorts after U+FF21 by scalar, before it in UTF-16.
        // Ties compare scalars, not UTF-16 units.
        {u"\U0001D504lpha Ａbc", u"", nullptr, 6, u"\U0001D504lpha/O Ａbc/O", u"",
         u"\U0001D504lpha Ａbc"},
        // Decomposed "É" sorts as U+00C9, after "Z".
        // Ties compare canonically composed strings.
        {u"Zola E\u0301mile", u"", nullptr, 6, u"Zola/P E\u0301mile/P", u"", u"E\u0301mile Zola"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.title).toStdString());
        const FakeTagger tagger(QStringView(c.names), QStringView(c.lexical));
        const auto domain = c.domain ? std::optional(QString::fromUtf16(c.domain)) : std::nullopt;
        EXPECT_EQ(TagSuggester(tagger).suggest(QString::fromUtf16(c.title),
                                               QString::fromUtf16(c.description), domain, c.limit),
                  words(c.expected));
    }
}

TEST(TagSuggesterTest, JoinsNonEmptyFieldsAndTagsTwiceWithTheSchemesOptions) {
    // Spaces are text.
    const std::pair<QString, QString> fields[] = {{u"Title"_s, u"Description"_s},
                                                  {{}, u"Description"_s},
                                                  {u"Title"_s, {}},
                                                  {u"  "_s, {}},
                                                  {u"  "_s, u" "_s}};
    const QString texts[] = {u"Title. Description"_s, u"Description"_s, u"Title"_s, u"  "_s,
                             u"  .  "_s};
    using nl::TagOption;
    const nl::TagOptions omit =
        TagOption::omitPunctuation | TagOption::omitWhitespace | TagOption::omitOther;
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        const FakeTagger tagger;
        TagSuggester(tagger).suggest(fields[i].first, fields[i].second, std::nullopt, 6);
        EXPECT_EQ(tagger.texts, QStringList({texts[i], texts[i]}));
        EXPECT_EQ(tagger.calls, (std::vector<std::pair<nl::TagScheme, nl::TagOptions>>{
                                    {nl::TagScheme::nameType, omit | TagOption::joinNames},
                                    {nl::TagScheme::lexicalClass, omit}}));
    }
}

TEST(TagSuggesterTest, CleanAndSiteTag) {
    const std::pair<QString, QString> tokens[] = {
        {u"  Rust.\n"_s, u"Rust"_s},
        {u"\"[{<Quoted>}]\";:!?,"_s, u"Quoted"_s},
        {u"James'"_s, u"James"_s},
        // The ending goes once, after trimming, and trimming is not repeated.
        {u"Boss's's"_s, u"Boss's"_s},
        {u"Ends's."_s, u"Ends"_s},
        {u"(Paris's) "_s, u"Paris"_s},
        {u"Node.js"_s, u"Node.js"_s},
        {u"Wait…"_s, u"Wait…"_s},
        {u"\u00a0Nbsp\u2003"_s, u"Nbsp"_s},
        {u"'s"_s, u"s"_s},
        {u"..."_s, QString()},
    };
    for (const auto& [token, expected] : tokens)
        EXPECT_EQ(TagSuggester::clean(token), expected) << token.toStdString();
    const std::pair<QString, QString> domains[] = {
        {u"docs.python.org"_s, u"Docs"_s},
        {u"localhost"_s, u"Localhost"_s},
        {u".example..com"_s, u"Example"_s},
        {u"GitHub.com"_s, u"GitHub"_s},
        {u"123.example"_s, u"123"_s},
        {u"..."_s, u"..."_s},
        {u"straße.de"_s, u"Straße"_s},
        // Upper-casing one character can give two.
        {u"ßtest.de"_s, u"SStest"_s},
        {u"éclair.fr"_s, u"Éclair"_s},
        {u"e\u0301clair.fr"_s, u"E\u0301clair"_s},
    };
    for (const auto& [domain, expected] : domains)
        EXPECT_EQ(TagSuggester::siteTag(domain), expected) << domain.toStdString();
}

// The site tag is not held to the two-character rule.
TEST(TagSuggesterTest, InstancesAgree) {
    const FakeTagger tagger(u"Ada/P");
    const auto once = TagSuggester(tagger).suggest(u"Ada"_s, QString(), u"a.io"_s, 6);
    EXPECT_EQ(once, TagSuggester(tagger).suggest(u"Ada"_s, QString(), u"a.io"_s, 6));
    EXPECT_EQ(once, QStringList({u"Ada"_s, u"A"_s}));
}

} // namespace
