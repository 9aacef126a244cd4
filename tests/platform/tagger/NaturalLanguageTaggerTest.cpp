#include "platform/Tagger/NaturalLanguageTagger.h"

#include "platform/Tagger/Lexicon.h"

#include <gtest/gtest.h>
#include <map>

namespace nl {
void PrintTo(Tag tag, std::ostream* out) {
    *out << "Tag(" << static_cast<int>(tag) << ")";
}
} // namespace nl

namespace {

using nl::Tag;
using nl::TagOption;

const nl::TagOptions kWordsOnly =
    TagOption::omitPunctuation | TagOption::omitWhitespace | TagOption::omitOther;

const nl::Lexicon& fixtureLexicon() {
    static const auto lexicon =
        nl::Lexicon::load({QStringLiteral(CORVINA_TEST_DATA_DIR "/tagger/wordnet"),
                           QStringLiteral(CORVINA_TEST_DATA_DIR "/tagger/iso-codes")});
    return *lexicon;
}

using Names = std::map<std::string, Tag>;

// Name tokens, joined, as text -> tag.
Names names(const nl::TextTagger& tagger, const QString& text) {
    Names result;
    for (const auto& token :
         tagger.tags(text, nl::TagScheme::nameType, kWordsOnly | TagOption::joinNames))
        result[text.mid(token.start, token.length).toStdString()] = token.tag;
    return result;
}

Tag lexicalTagOf(const nl::TextTagger& tagger, const QString& text, const QString& word) {
    for (const auto& token : tagger.tags(text, nl::TagScheme::lexicalClass, kWordsOnly)) {
        if (text.mid(token.start, token.length) == word)
            return token.tag;
    }
    ADD_FAILURE() << "no token " << word.toStdString();
    return Tag::otherWord;
}

TEST(LexiconTest, ReadsWordNetAndIsoNames) {
    const nl::Lexicon& lexicon = fixtureLexicon();
    struct Expected {
        std::string key;
        nl::NameKind name;
        std::uint8_t classes;
        bool givenName;
    };
    using E = nl::LexiconEntry;
    const std::vector<Expected> cases = {
        {"einstein", nl::NameKind::person, E::properNoun, false},
        {"albert einstein", nl::NameKind::person, E::properNoun, false},
        // The first word of two people's names.
        {"albert", nl::NameKind::none, 0, true},
        {"paris", nl::NameKind::place, E::properNoun, false},
        {"city of light", nl::NameKind::place, E::properNoun, false},
        // A group of people with an adjective is a nationality, not a name.
        {"french", nl::NameKind::none, E::properNoun | E::otherProper | E::adjective, false},
        {"north atlantic treaty organization", nl::NameKind::organization, E::properNoun, false},
        {"governor", nl::NameKind::none, E::commonNoun | E::personNoun, false},
        {"monday", nl::NameKind::none, E::properNoun | E::otherProper, false},
        {"hoover dam", nl::NameKind::place, E::properNoun, false},
        {"google", nl::NameKind::other, E::properNoun, false},
        {"cook", nl::NameKind::person, E::properNoun | E::commonNoun | E::personNoun | E::verb,
         false},
        {"new", nl::NameKind::none, E::adjective, false},
        {"quickly", nl::NameKind::none, E::adverb, false},
        // Country names without the part after a comma; regions as written.
        {"korea", nl::NameKind::place, E::properNoun, false},
        {"bolivia", nl::NameKind::place, E::properNoun, false},
        {"côte d'ivoire", nl::NameKind::place, E::properNoun, false},
        {"bayern", nl::NameKind::place, E::properNoun, false},
        {"île-de-france", nl::NameKind::place, E::properNoun, false},
    };
    for (const Expected& c : cases) {
        const nl::LexiconEntry* entry = lexicon.find(c.key);
        ASSERT_NE(entry, nullptr) << c.key;
        EXPECT_EQ(entry->name, c.name) << c.key;
        EXPECT_EQ(entry->classes, c.classes) << c.key;
        EXPECT_EQ(entry->givenName, c.givenName) << c.key;
    }
    EXPECT_EQ(lexicon.find("cook")->nounUses, 1);
    EXPECT_EQ(lexicon.find("cook")->verbUses, 7);
    EXPECT_EQ(lexicon.find("odd"), nullptr);
    EXPECT_EQ(lexicon.find("odd (name)"), nullptr);
    // Abbreviations are kept apart, exactly as written.
    EXPECT_EQ(lexicon.find("nato"), nullptr);
    ASSERT_NE(lexicon.findAbbreviation("NATO"), nullptr);
    EXPECT_EQ(lexicon.findAbbreviation("NATO")->name, nl::NameKind::organization);
    ASSERT_NE(lexicon.findAbbreviation("AI"), nullptr);
    EXPECT_TRUE(lexicon.findAbbreviation("AI")->has(E::commonNoun));
    EXPECT_EQ(lexicon.irregularNoun("children"), "child");
    EXPECT_GE(lexicon.longestName(), 4);
}

TEST(LexiconTest, MissingFilesGiveAnEmptyLexiconThatStillTags) {
    const auto lexicon = nl::Lexicon::load(
        {QStringLiteral("/nonexistent/wordnet"), QStringLiteral("/nonexistent/iso")});
    EXPECT_EQ(lexicon->statistics().entries, 0u);
    const nl::NaturalLanguageTagger tagger(*lexicon);
    // Capitals mid-sentence still say "name".
    EXPECT_EQ(names(tagger, QStringLiteral("We met Zelda Quist in Oberwil yesterday.")),
              (Names{{"Zelda Quist", Tag::personalName}, {"Oberwil", Tag::organizationName}}));
}

struct NameCase {
    const char* name;
    QString text;
    Names expected;
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<NameCase> fixtureCases() {
    return {
        {"KnownPlaceAndGivenName",
         QStringLiteral("We met Albert Frisch in Paris on Monday."),
         {{"Albert Frisch", Tag::personalName}, {"Paris", Tag::placeName}}},
        {"NationalitiesAndNonNameAbbreviationsAreNoNames",
         QStringLiteral("Children asked the French and NATO about AI."),
         {{"NATO", Tag::organizationName}}},
        {"TitleBeforeAPersonIsLeftOut",
         QStringLiteral("We met Governor Zelda Quist."),
         {{"Zelda Quist", Tag::personalName}}},
        {"KnownMultiWordPlace",
         QStringLiteral("A tour of the Hoover Dam and Île-de-France."),
         {{"Hoover Dam", Tag::placeName}, {"Île-de-France", Tag::placeName}}},
        {"SentenceInitialDictionaryWordIsNoName",
         QStringLiteral("Cook the rice. Then ask Cook."),
         {{"Cook", Tag::personalName}}},
        {"SentenceInitialUnknownWordIsAName",
         QStringLiteral("Zyqlo raised money from investors."),
         {{"Zyqlo", Tag::organizationName}}},
        {"HeadlineCapitalsSayNothing", QStringLiteral("How To Cook A Child's New Governor"), {}},
        {"DecomposedAccentsMatchTheLists",
         QStringLiteral("Children love Co\u0302te d'Ivoire and Bayern."),
         {{"Co\u0302te d'Ivoire", Tag::placeName}, {"Bayern", Tag::placeName}}},
        {"PossessiveStaysOnTheToken",
         QStringLiteral("A look at Einstein's letters."),
         {{"Einstein's", Tag::personalName}}},
    };
}

class FixtureNamesTest : public testing::TestWithParam<NameCase> {};

TEST_P(FixtureNamesTest, FindsNames) {
    const nl::NaturalLanguageTagger tagger(fixtureLexicon());
    EXPECT_EQ(names(tagger, GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Tagger, FixtureNamesTest, testing::ValuesIn(fixtureCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// The system's WordNet and ISO data, as the application uses them.
std::vector<NameCase> systemCases() {
    return {
        {"PeoplePlacesOrganisations",
         QStringLiteral("Tim Cook visited Mumbai and met engineers from Microsoft."),
         {{"Tim Cook", Tag::personalName},
          {"Mumbai", Tag::placeName},
          {"Microsoft", Tag::organizationName}}},
        {"MultiWordNamesWithParticles",
         QStringLiteral("Why the Bank of England met Vincent van Gogh fans in New York City."),
         {{"Bank of England", Tag::organizationName},
          {"Vincent van Gogh", Tag::personalName},
          {"New York City", Tag::placeName}}},
        {"NamesInOtherLanguages",
         QStringLiteral("Rescuers reached Kahramanmaraş, and Tadej Pogačar rode to Zürich."),
         {{"Kahramanmaraş", Tag::placeName},
          {"Tadej Pogačar", Tag::personalName},
          {"Zürich", Tag::placeName}}},
        {"DaysNationalitiesAndRolesAreNoNames",
         QStringLiteral("On Monday the German chancellor met President Joe Biden."),
         {{"Joe Biden", Tag::personalName}}},
        {"HeadlineOfCommonWords", QStringLiteral("How To Build A Web Server In Rust"), {}},
        {"InitialsAndAbbreviationsDoNotEndSentences",
         QStringLiteral("Books by J. K. Rowling sell well in St. Louis."),
         {{"J. K. Rowling", Tag::personalName}, {"St. Louis", Tag::placeName}}},
        {"SiteNameAfterASpacedDash",
         QStringLiteral("Floods hit the valley - BBC News"),
         {{"BBC News", Tag::organizationName}}},
    };
}

class SystemNamesTest : public testing::TestWithParam<NameCase> {};

TEST_P(SystemNamesTest, FindsNames) {
    const nl::NaturalLanguageTagger tagger;
    EXPECT_EQ(names(tagger, GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Tagger, SystemNamesTest, testing::ValuesIn(systemCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NaturalLanguageTaggerTest, NamesUnjoinedComeWordByWord) {
    const nl::NaturalLanguageTagger tagger;
    const QString text = QStringLiteral("We met Tim Cook today.");
    std::vector<QString> words;
    for (const auto& token : tagger.tags(text, nl::TagScheme::nameType, kWordsOnly)) {
        EXPECT_EQ(token.tag, Tag::personalName);
        words.push_back(text.mid(token.start, token.length));
    }
    EXPECT_EQ(words, (std::vector<QString>{QStringLiteral("Tim"), QStringLiteral("Cook")}));
}

TEST(NaturalLanguageTaggerTest, LexicalClasses) {
    const nl::NaturalLanguageTagger tagger;
    struct Case {
        QString text;
        QString word;
        Tag tag;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("Apple releases new phones"), QStringLiteral("phones"), Tag::noun},
        {QStringLiteral("Apple releases new phones"), QStringLiteral("new"), Tag::adjective},
        {QStringLiteral("Apple releases new phones"), QStringLiteral("Apple"), Tag::noun},
        {QStringLiteral("The release was late"), QStringLiteral("release"), Tag::noun},
        {QStringLiteral("They want to release it"), QStringLiteral("release"), Tag::verb},
        {QStringLiteral("Closures capture variables"), QStringLiteral("Closures"), Tag::noun},
        {QStringLiteral("Children play outside"), QStringLiteral("Children"), Tag::noun},
        {QStringLiteral("Learn Kubernetes"), QStringLiteral("Learn"), Tag::verb},
        {QStringLiteral("Learn Kubernetes"), QStringLiteral("Kubernetes"), Tag::noun},
        {QStringLiteral("It may rain in May 2024"), QStringLiteral("2024"), Tag::number},
        {QStringLiteral("It may rain"), QStringLiteral("may"), Tag::verb},
        {QStringLiteral("the cat and a dog"), QStringLiteral("a"), Tag::determiner},
        {QStringLiteral("the cat and a dog"), QStringLiteral("and"), Tag::conjunction},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lexicalTagOf(tagger, c.text, c.word), c.tag)
            << c.text.toStdString() << " / " << c.word.toStdString();
}

TEST(NaturalLanguageTaggerTest, OptionsOmitWhatTheySay) {
    const nl::NaturalLanguageTagger tagger;
    const QString text = QStringLiteral("Hello, Paris!  Bye.");
    const auto all = tagger.tags(text, nl::TagScheme::nameType, {});
    // With nothing omitted the tokens tile the text.
    qsizetype at = 0;
    for (const auto& token : all) {
        EXPECT_EQ(token.start, at);
        at += token.length;
    }
    EXPECT_EQ(at, text.size());
    const auto count = [](const std::vector<nl::TaggedToken>& tokens, Tag tag) {
        return std::count_if(tokens.begin(), tokens.end(),
                             [tag](const nl::TaggedToken& t) { return t.tag == tag; });
    };
    EXPECT_EQ(count(all, Tag::whitespace), 2);
    EXPECT_EQ(count(all, Tag::punctuation), 3);
    EXPECT_EQ(count(all, Tag::otherWord), 2);
    EXPECT_EQ(count(all, Tag::placeName), 1);

    const auto words = tagger.tags(text, nl::TagScheme::nameType,
                                   TagOption::omitPunctuation | TagOption::omitWhitespace);
    EXPECT_EQ(words.size(), 3u);
    const auto onlyNames = tagger.tags(text, nl::TagScheme::nameType, kWordsOnly);
    ASSERT_EQ(onlyNames.size(), 1u);
    EXPECT_EQ(text.mid(onlyNames[0].start, onlyNames[0].length), QStringLiteral("Paris"));
}

TEST(NaturalLanguageTaggerTest, BadInputGivesSaneTokens) {
    const nl::NaturalLanguageTagger tagger;
    QString huge;
    while (huge.size() < 1'000'000)
        huge += QStringLiteral(
            "Zyqlo Ärger (ﷺ) עולם 🙂‍🙂 A. B. C. e\u0301\u0301\u0301 1,5 Ⅻ ");
    QString capitals;
    while (capitals.size() < 200'000)
        capitals += QStringLiteral("Tom Of De Amazon-Cook & ");
    const std::vector<QString> inputs = {
        QString(),
        QStringLiteral("   \n\t "),
        QStringLiteral("!!! ... ??? --- |||"),
        QStringLiteral("🙂🙂 Paris 🙂 👩‍👩‍👧"),
        QStringLiteral("\u0301\u0301 Zu\u0308rich \u0301"),
        QStringLiteral("שלום עולם Tel Aviv مرحبا"),
        QStringLiteral("'s ’s ' \u2019 s's"),
        QString(1, QChar(0xd800)) + QStringLiteral("Lone surrogate") + QChar(0xdc00),
        huge,
        capitals,
    };
    for (const QString& text : inputs) {
        for (const auto scheme : {nl::TagScheme::nameType, nl::TagScheme::lexicalClass}) {
            for (const nl::TagOptions options :
                 {nl::TagOptions(), kWordsOnly | TagOption::joinNames}) {
                // The long inputs once per scheme keep the test quick.
                if (text.size() > 1000 && options == nl::TagOptions())
                    continue;
                qsizetype end = 0;
                for (const auto& token : tagger.tags(text, scheme, options)) {
                    ASSERT_GE(token.start, end);
                    ASSERT_GT(token.length, 0);
                    end = token.start + token.length;
                    ASSERT_LE(end, text.size());
                }
            }
        }
    }
    EXPECT_TRUE(
        tagger.tags(QStringLiteral("  !? "), nl::TagScheme::lexicalClass, kWordsOnly).empty());
}

} // namespace
