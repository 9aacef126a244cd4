#include "platform/Tagger/NaturalLanguageTagger.h"

#include "platform/Tagger/Lexicon.h"
#include "tests/support/Testing.h"

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

// The names found, joined, in text order: "Tim Cook/P|Mumbai/L" with P(erson),
// L(ocation) or O(rganisation).
QString names(const nl::TextTagger& tagger, const QString& text) {
    QStringList found;
    for (const auto& token :
         tagger.tags(text, nl::TagScheme::nameType, kWordsOnly | TagOption::joinNames)) {
        const char kind = token.tag == Tag::personalName       ? 'P'
                          : token.tag == Tag::placeName        ? 'L'
                          : token.tag == Tag::organizationName ? 'O'
                                                               : '?';
        found << text.mid(token.start, token.length) + u'/' + QChar::fromLatin1(kind);
    }
    return found.join(u'|');
}

TEST(LexiconTest, ReadsWordNetAndIsoNames) {
    const nl::Lexicon& lexicon = fixtureLexicon();
    using E = nl::LexiconEntry;
    using K = nl::NameKind;
    const struct {
        std::string key;
        K name;
        std::uint8_t classes;
        bool givenName = false;
    } cases[] = {
        {"einstein", K::person, E::properNoun},
        {"albert einstein", K::person, E::properNoun},
        {"albert", K::none, 0, true}, // the first word of two people's names
        {"paris", K::place, E::properNoun},
        {"city of light", K::place, E::properNoun},
        // A group of people with an adjective is a nationality, not a name.
        {"french", K::none, E::properNoun | E::otherProper | E::adjective},
        {"north atlantic treaty organization", K::organization, E::properNoun},
        {"governor", K::none, E::commonNoun | E::personNoun},
        {"monday", K::none, E::properNoun | E::otherProper},
        {"hoover dam", K::place, E::properNoun},
        {"google", K::other, E::properNoun},
        {"cook", K::person, E::properNoun | E::commonNoun | E::personNoun | E::verb},
        {"new", K::none, E::adjective},
        {"quickly", K::none, E::adverb},
        // Country names without the part after a comma; regions as written.
        {"korea", K::place, E::properNoun},
        {"bolivia", K::place, E::properNoun},
        {"côte d'ivoire", K::place, E::properNoun},
        {"bayern", K::place, E::properNoun},
        {"île-de-france", K::place, E::properNoun},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        const nl::LexiconEntry* entry = lexicon.find(c.key);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->name, c.name);
        EXPECT_EQ(entry->classes, c.classes);
        EXPECT_EQ(entry->givenName, c.givenName);
    }
    EXPECT_EQ(lexicon.find("cook")->nounUses, 1);
    EXPECT_EQ(lexicon.find("cook")->verbUses, 7);
    EXPECT_EQ(lexicon.find("odd"), nullptr);
    EXPECT_EQ(lexicon.find("odd (name)"), nullptr);
    // Abbreviations are kept apart, exactly as written.
    EXPECT_EQ(lexicon.find("nato"), nullptr);
    ASSERT_NE(lexicon.findAbbreviation("NATO"), nullptr);
    EXPECT_EQ(lexicon.findAbbreviation("NATO")->name, K::organization);
    ASSERT_NE(lexicon.findAbbreviation("AI"), nullptr);
    EXPECT_TRUE(lexicon.findAbbreviation("AI")->has(E::commonNoun));
    EXPECT_EQ(lexicon.irregularNoun("children"), "child");
    EXPECT_GE(lexicon.longestName(), 4);

    // Without its files the lexicon is empty, and capitals mid-sentence still say "name".
    const auto empty = nl::Lexicon::load({u"/nonexistent/wordnet"_s, u"/nonexistent/iso"_s});
    EXPECT_EQ(empty->statistics().entries, 0u);
    EXPECT_EQ(
        names(nl::NaturalLanguageTagger(*empty), u"We met Zelda Quist in Oberwil yesterday."_s),
        u"Zelda Quist/P|Oberwil/O"_s);
}

TEST(NaturalLanguageTaggerTest, FindsNames) {
    const struct {
        bool system; // the system's WordNet and ISO data, as the application uses them
        QString text;
        QString expected;
    } cases[] = {
        // Known place and given name.
        {false, u"We met Albert Frisch in Paris on Monday."_s, u"Albert Frisch/P|Paris/L"_s},
        // Nationalities and non-name abbreviations are no names.
        {false, u"Children asked the French and NATO about AI."_s, u"NATO/O"_s},
        // A title before a person is left out.
        {false, u"We met Governor Zelda Quist."_s, u"Zelda Quist/P"_s},
        // Known multi-word place.
        {false, u"A tour of the Hoover Dam and Île-de-France."_s,
         u"Hoover Dam/L|Île-de-France/L"_s},
        // A sentence-initial dictionary word is no name.
        {false, u"Cook the rice. Then ask Cook."_s, u"Cook/P"_s},
        // A sentence-initial unknown word is a name.
        {false, u"Zyqlo raised money from investors."_s, u"Zyqlo/O"_s},
        // Headline capitals say nothing.
        {false, u"How To Cook A Child's New Governor"_s, {}},
        // Decomposed accents match the lists.
        {false, u"Children love Co\u0302te d'Ivoire and Bayern."_s,
         u"Co\u0302te d'Ivoire/L|Bayern/L"_s},
        // The possessive stays on the token.
        {false, u"A look at Einstein's letters."_s, u"Einstein's/P"_s},
        // People, places, organisations.
        {true, u"Tim Cook visited Mumbai and met engineers from Microsoft."_s,
         u"Tim Cook/P|Mumbai/L|Microsoft/O"_s},
        // Multi-word names with particles.
        {true, u"Why the Bank of England met Vincent van Gogh fans in New York City."_s,
         u"Bank of England/O|Vincent van Gogh/P|New York City/L"_s},
        // Names in other languages.
        {true, u"Rescuers reached Kahramanmaraş, and Tadej Pogačar rode to Zürich."_s,
         u"Kahramanmaraş/L|Tadej Pogačar/P|Zürich/L"_s},
        // Days, nationalities and roles are no names.
        {true, u"On Monday the German chancellor met President Joe Biden."_s, u"Joe Biden/P"_s},
        // A headline of common words.
        {true, u"How To Build A Web Server In Rust"_s, {}},
        // Initials and abbreviations do not end sentences.
        {true, u"Books by J. K. Rowling sell well in St. Louis."_s,
         u"J. K. Rowling/P|St. Louis/L"_s},
        // A site name after a spaced dash.
        {true, u"Floods hit the valley - BBC News"_s, u"BBC News/O"_s},
    };
    const nl::NaturalLanguageTagger fixture(fixtureLexicon());
    const nl::NaturalLanguageTagger system;
    for (const auto& c : cases)
        EXPECT_EQ(names(c.system ? system : fixture, c.text), c.expected) << c.text.toStdString();
}

TEST(NaturalLanguageTaggerTest, NamesUnjoinedComeWordByWord) {
    const QString text = u"We met Tim Cook today."_s;
    QStringList words;
    for (const auto& token :
         nl::NaturalLanguageTagger().tags(text, nl::TagScheme::nameType, kWordsOnly)) {
        EXPECT_EQ(token.tag, Tag::personalName);
        words << text.mid(token.start, token.length);
    }
    EXPECT_EQ(words, (QStringList{u"Tim"_s, u"Cook"_s}));
}

TEST(NaturalLanguageTaggerTest, LexicalClasses) {
    const struct {
        QString text;
        QString word;
        Tag tag;
    } cases[] = {
        {u"Apple releases new phones"_s, u"phones"_s, Tag::noun},
        {u"Apple releases new phones"_s, u"new"_s, Tag::adjective},
        {u"Apple releases new phones"_s, u"Apple"_s, Tag::noun},
        {u"The release was late"_s, u"release"_s, Tag::noun},
        {u"They want to release it"_s, u"release"_s, Tag::verb},
        {u"Closures capture variables"_s, u"Closures"_s, Tag::noun},
        {u"Children play outside"_s, u"Children"_s, Tag::noun},
        {u"Learn Kubernetes"_s, u"Learn"_s, Tag::verb},
        {u"Learn Kubernetes"_s, u"Kubernetes"_s, Tag::noun},
        {u"It may rain in May 2024"_s, u"2024"_s, Tag::number},
        {u"It may rain"_s, u"may"_s, Tag::verb},
        {u"the cat and a dog"_s, u"a"_s, Tag::determiner},
        {u"the cat and a dog"_s, u"and"_s, Tag::conjunction},
    };
    const nl::NaturalLanguageTagger tagger;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString() + " / " + c.word.toStdString());
        const auto tokens = tagger.tags(c.text, nl::TagScheme::lexicalClass, kWordsOnly);
        const auto token = std::find_if(tokens.begin(), tokens.end(), [&](const auto& t) {
            return c.text.mid(t.start, t.length) == c.word;
        });
        ASSERT_NE(token, tokens.end());
        EXPECT_EQ(int(token->tag), int(c.tag));
    }
}

TEST(NaturalLanguageTaggerTest, OptionsOmitWhatTheySay) {
    const nl::NaturalLanguageTagger tagger;
    const QString text = u"Hello, Paris!  Bye."_s;
    // With nothing omitted the tokens tile the text.
    QList<Tag> all;
    qsizetype at = 0;
    for (const auto& token : tagger.tags(text, nl::TagScheme::nameType, {})) {
        EXPECT_EQ(token.start, at);
        at += token.length;
        all << token.tag;
    }
    EXPECT_EQ(at, text.size());
    EXPECT_EQ(all.count(Tag::whitespace), 2);
    EXPECT_EQ(all.count(Tag::punctuation), 3);
    EXPECT_EQ(all.count(Tag::otherWord), 2);
    EXPECT_EQ(all.count(Tag::placeName), 1);
    const auto words = tagger.tags(text, nl::TagScheme::nameType,
                                   TagOption::omitPunctuation | TagOption::omitWhitespace);
    EXPECT_EQ(words.size(), 3u);
    const auto onlyNames = tagger.tags(text, nl::TagScheme::nameType, kWordsOnly);
    ASSERT_EQ(onlyNames.size(), 1u);
    EXPECT_EQ(text.mid(onlyNames[0].start, onlyNames[0].length), u"Paris"_s);
}

TEST(NaturalLanguageTaggerTest, BadInputGivesSaneTokens) {
    const nl::NaturalLanguageTagger tagger;
    QString huge;
    while (huge.size() < 1'000'000)
        huge += u"Zyqlo Ärger (ﷺ) עולם 🙂‍🙂 A. B. C. e\u0301\u0301\u0301 1,5 Ⅻ "_s;
    QString capitals;
    while (capitals.size() < 200'000)
        capitals += u"Tom Of De Amazon-Cook & "_s;
    const QString inputs[] = {
        QString(),
        u"   \n\t "_s,
        u"!!! ... ??? --- |||"_s,
        u"🙂🙂 Paris 🙂 👩‍👩‍👧"_s,
        u"\u0301\u0301 Zu\u0308rich \u0301"_s,
        u"שלום עולם Tel Aviv مرحبا"_s,
        u"'s ’s ' \u2019 s's"_s,
        QString(1, QChar(0xd800)) + u"Lone surrogate"_s + QChar(0xdc00),
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
    EXPECT_TRUE(tagger.tags(u"  !? "_s, nl::TagScheme::lexicalClass, kWordsOnly).empty());
}

} // namespace
