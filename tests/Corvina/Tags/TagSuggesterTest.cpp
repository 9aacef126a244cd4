#include "Corvina/Tags/TagSuggester.h"

#include "platform/Tagger/TextTagger.h"

#include <gtest/gtest.h>

namespace {

using nl::Tag;

// Tags the words it is told to, wherever they first occur (in order) in the
// text it is given, so that the algorithm is tested apart from any tagger's
// judgement.
class FakeTagger : public nl::TextTagger {
public:
    std::vector<std::pair<QString, Tag>> names;
    std::vector<std::pair<QString, Tag>> lexical;
    mutable QStringList texts;
    mutable std::vector<std::pair<nl::TagScheme, nl::TagOptions>> calls;

    std::vector<nl::TaggedToken> tags(const QString& text, nl::TagScheme scheme,
                                      nl::TagOptions options) const override {
        texts.append(text);
        calls.emplace_back(scheme, options);
        std::vector<nl::TaggedToken> result;
        qsizetype from = 0;
        for (const auto& [word, tag] : scheme == nl::TagScheme::nameType ? names : lexical) {
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
};

struct SuggestCase {
    const char* name;
    QString title;
    QString description;
    std::optional<QString> domain;
    int limit;
    std::vector<std::pair<QString, Tag>> names;
    std::vector<std::pair<QString, Tag>> lexical;
    QStringList expected;
};

const QString kNoText;
constexpr Tag kOrg = Tag::organizationName;
constexpr Tag kPerson = Tag::personalName;
constexpr Tag kPlace = Tag::placeName;
constexpr Tag kNoun = Tag::noun;

void PrintTo(const SuggestCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<SuggestCase> suggestCases() {
    const auto s = [](const char16_t* text) { return QString::fromUtf16(text); };
    return {
        {"SiteTagAloneWhenThereIsNoText",
         kNoText,
         kNoText,
         s(u"github.com"),
         6,
         {},
         {},
         {s(u"Github")}},
        {"SiteTagAloneWhateverTheLimit",
         kNoText,
         kNoText,
         s(u"github.com"),
         0,
         {},
         {},
         {s(u"Github")}},
        {"NothingWithoutTextOrDomain", kNoText, kNoText, std::nullopt, 6, {}, {}, {}},
        {"LimitZeroWithText",
         s(u"Paris"),
         kNoText,
         s(u"example.com"),
         0,
         {{s(u"Paris"), kPlace}},
         {},
         {}},
        {"EightOrganisationsGiveTheLastSixInStringOrder",
         s(u"Acme, Bolt, Crest and Delta"),
         s(u"Ember, Flint, Grove and Harbor"),
         std::nullopt,
         6,
         {{s(u"Acme"), kOrg},
          {s(u"Bolt"), kOrg},
          {s(u"Crest"), kOrg},
          {s(u"Delta"), kOrg},
          {s(u"Ember"), kOrg},
          {s(u"Flint"), kOrg},
          {s(u"Grove"), kOrg},
          {s(u"Harbor"), kOrg}},
         {},
         {s(u"Harbor"), s(u"Grove"), s(u"Flint"), s(u"Ember"), s(u"Delta"), s(u"Crest")}},
        {"SentenceInitialNounCountsItsLowerCaseFormNever",
         s(u"Gardens in spring"),
         s(u"The gardens open daily"),
         std::nullopt,
         6,
         {},
         {{s(u"Gardens"), kNoun}, {s(u"spring"), kNoun}, {s(u"gardens"), kNoun}},
         {s(u"Gardens")}},
        {"OnlyNounsCountInTheLexicalPass",
         s(u"Build Servers Fast"),
         kNoText,
         std::nullopt,
         6,
         {},
         {{s(u"Build"), Tag::verb}, {s(u"Servers"), kNoun}, {s(u"Fast"), Tag::adjective}},
         {s(u"Servers")}},
        {"OnlyNamesCountInTheNamePass",
         s(u"Acme Monday"),
         kNoText,
         std::nullopt,
         6,
         {{s(u"Acme"), kOrg}, {s(u"Monday"), Tag::otherWord}},
         {},
         {s(u"Acme")}},
        {"DigitsAndOneLetterWordsAreNeverSuggested",
         s(u"X 2024 Ⅻ ٣٤ Q7 A"),
         kNoText,
         std::nullopt,
         6,
         {{s(u"X"), kPerson}, {s(u"2024"), kOrg}, {s(u"Ⅻ"), kOrg}, {s(u"٣٤"), kOrg}},
         {{s(u"Q7"), kNoun}, {s(u"A"), kNoun}},
         {s(u"Q7")}},
        {"ParenthesesAreTrimmed",
         s(u"Notes (Mozilla) on (Rust)"),
         kNoText,
         std::nullopt,
         6,
         {{s(u"(Mozilla)"), kOrg}},
         {{s(u"Notes"), kNoun}, {s(u"Rust"), kNoun}},
         {s(u"Mozilla"), s(u"Rust"), s(u"Notes")}},
        // The noun pass looks at the token's first scalar before cleaning it.
        {"NounTokenStartingWithAParenthesisIsSkipped",
         s(u"(Rust)"),
         kNoText,
         std::nullopt,
         6,
         {},
         {{s(u"(Rust)"), kNoun}},
         {}},
        {"PossessivesLoseTheirEnding",
         s(u"Google's plans and Apple’s answer"),
         s(u"Ada's Notes"),
         std::nullopt,
         6,
         {{s(u"Google's"), kOrg}, {s(u"Apple’s"), kOrg}},
         {{s(u"Ada's"), kNoun}},
         {s(u"Google"), s(u"Apple"), s(u"Ada")}},
        {"SpellingsThatDifferInCaseAreDifferentCandidates",
         s(u"Apple and APPLE"),
         kNoText,
         std::nullopt,
         6,
         {{s(u"Apple"), kOrg}},
         {{s(u"APPLE"), kNoun}},
         {s(u"Apple"), s(u"APPLE")}},
        {"SiteTagCompetesAtOne",
         s(u"Zebra"),
         kNoText,
         s(u"apple.com"),
         6,
         {},
         {{s(u"Zebra"), kNoun}},
         {s(u"Zebra"), s(u"Apple")}},
        {"TextAddsToTheSiteTag",
         s(u"Apple and Zebra"),
         kNoText,
         s(u"apple.com"),
         6,
         {},
         {{s(u"Apple"), kNoun}, {s(u"Zebra"), kNoun}},
         {s(u"Apple"), s(u"Zebra")}},
        {"NameThatIsAlsoANounScoresFour",
         s(u"London and Paris"),
         s(u"Paris, Berlin"),
         std::nullopt,
         6,
         {{s(u"London"), kPlace}, {s(u"Paris"), kPlace}},
         {{s(u"Paris"), kNoun}, {s(u"Berlin"), kNoun}},
         {s(u"Paris"), s(u"London"), s(u"Berlin")}},
        {"RepeatedNameOutscoresOthers",
         s(u"Zed met Ada"),
         s(u"Ada again"),
         std::nullopt,
         6,
         {{s(u"Zed"), kPerson}, {s(u"Ada"), kPerson}, {s(u"Ada"), kPerson}},
         {},
         {s(u"Ada"), s(u"Zed")}},
        {"LowerCaseInitialComesBeforeUpperCaseOnTies",
         s(u"Zurich iPhone"),
         kNoText,
         std::nullopt,
         6,
         {{s(u"Zurich"), kPlace}, {s(u"iPhone"), kOrg}},
         {},
         {s(u"iPhone"), s(u"Zurich")}},
        // U+1D504 sorts after U+FF21 by scalar, before it in UTF-16.
        {"TiesCompareScalarsNotUtf16Units",
         s(u"\U0001D504lpha Ａbc"),
         kNoText,
         std::nullopt,
         6,
         {{s(u"\U0001D504lpha"), kOrg}, {s(u"Ａbc"), kOrg}},
         {},
         {s(u"\U0001D504lpha"), s(u"Ａbc")}},
        // Decomposed "É" sorts as U+00C9, after "Z".
        {"TiesCompareCanonicallyComposedStrings",
         s(u"Zola E\u0301mile"),
         kNoText,
         std::nullopt,
         6,
         {{s(u"Zola"), kPerson}, {s(u"E\u0301mile"), kPerson}},
         {},
         {s(u"E\u0301mile"), s(u"Zola")}},
        // An empty domain would make an empty tag.
        {"EmptyDomainGivesNoSiteTag", kNoText, kNoText, s(u""), 6, {}, {}, {}},
    };
}

class SuggestTest : public testing::TestWithParam<SuggestCase> {};

TEST_P(SuggestTest, Suggests) {
    const SuggestCase& c = GetParam();
    FakeTagger tagger;
    tagger.names = c.names;
    tagger.lexical = c.lexical;
    const QStringList result =
        TagSuggester(tagger).suggest(c.title, c.description, c.domain, c.limit);
    EXPECT_EQ(result, c.expected) << result.join(u'|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(TagSuggester, SuggestTest, testing::ValuesIn(suggestCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TagSuggesterTest, JoinsNonEmptyFieldsAndTagsTwiceWithTheSchemesOptions) {
    struct Case {
        QString title;
        QString description;
        QString text;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("Title"), QStringLiteral("Description"),
         QStringLiteral("Title. Description")},
        {QString(), QStringLiteral("Description"), QStringLiteral("Description")},
        {QStringLiteral("Title"), QString(), QStringLiteral("Title")},
        // Spaces are text.
        {QStringLiteral("  "), QString(), QStringLiteral("  ")},
        {QStringLiteral("  "), QStringLiteral(" "), QStringLiteral("  .  ")},
    };
    using nl::TagOption;
    const nl::TagOptions omit =
        TagOption::omitPunctuation | TagOption::omitWhitespace | TagOption::omitOther;
    for (const Case& c : cases) {
        FakeTagger tagger;
        TagSuggester(tagger).suggest(c.title, c.description, std::nullopt, 6);
        EXPECT_EQ(tagger.texts, QStringList({c.text, c.text}));
        ASSERT_EQ(tagger.calls.size(), 2u);
        EXPECT_EQ(tagger.calls[0].first, nl::TagScheme::nameType);
        EXPECT_EQ(tagger.calls[0].second, omit | TagOption::joinNames);
        EXPECT_EQ(tagger.calls[1].first, nl::TagScheme::lexicalClass);
        EXPECT_EQ(tagger.calls[1].second, omit);
    }
}

TEST(TagSuggesterTest, Clean) {
    const std::vector<std::pair<QString, QString>> cases = {
        {QStringLiteral("  Rust.\n"), QStringLiteral("Rust")},
        {QStringLiteral("\"[{<Quoted>}]\";:!?,"), QStringLiteral("Quoted")},
        {QStringLiteral("James'"), QStringLiteral("James")},
        // The ending goes once, after trimming, and trimming is not repeated.
        {QStringLiteral("Boss's's"), QStringLiteral("Boss's")},
        {QStringLiteral("Ends's."), QStringLiteral("Ends")},
        {QStringLiteral("(Paris's) "), QStringLiteral("Paris")},
        {QStringLiteral("Node.js"), QStringLiteral("Node.js")},
        {QString::fromUtf16(u"Wait…"), QString::fromUtf16(u"Wait…")},
        {QString::fromUtf16(u"\u00a0Nbsp\u2003"), QStringLiteral("Nbsp")},
        {QStringLiteral("'s"), QStringLiteral("s")},
        {QStringLiteral("..."), QString()},
    };
    for (const auto& [token, expected] : cases)
        EXPECT_EQ(TagSuggester::clean(token), expected) << token.toStdString();
}

TEST(TagSuggesterTest, SiteTag) {
    const std::vector<std::pair<QString, QString>> cases = {
        {QStringLiteral("docs.python.org"), QStringLiteral("Docs")},
        {QStringLiteral("localhost"), QStringLiteral("Localhost")},
        {QStringLiteral(".example..com"), QStringLiteral("Example")},
        {QStringLiteral("GitHub.com"), QStringLiteral("GitHub")},
        {QStringLiteral("123.example"), QStringLiteral("123")},
        {QStringLiteral("..."), QStringLiteral("...")},
        {QString::fromUtf16(u"straße.de"), QString::fromUtf16(u"Straße")},
        // Upper-casing one character can give two.
        {QString::fromUtf16(u"ßtest.de"), QStringLiteral("SStest")},
        {QString::fromUtf16(u"éclair.fr"), QString::fromUtf16(u"Éclair")},
        {QString::fromUtf16(u"e\u0301clair.fr"), QString::fromUtf16(u"E\u0301clair")},
    };
    for (const auto& [domain, expected] : cases)
        EXPECT_EQ(TagSuggester::siteTag(domain), expected) << domain.toStdString();
}

// The site tag is not held to the two-character rule.
TEST(TagSuggesterTest, InstancesAgree) {
    FakeTagger tagger;
    tagger.names = {{QStringLiteral("Ada"), kPerson}};
    const TagSuggester first(tagger);
    const TagSuggester second(tagger);
    const auto once = first.suggest(QStringLiteral("Ada"), QString(), QStringLiteral("a.io"), 6);
    EXPECT_EQ(once, second.suggest(QStringLiteral("Ada"), QString(), QStringLiteral("a.io"), 6));
    EXPECT_EQ(once, QStringList({QStringLiteral("Ada"), QStringLiteral("A")}));
}

} // namespace
