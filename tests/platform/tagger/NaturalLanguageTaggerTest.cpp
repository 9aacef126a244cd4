#include "platform/Tagger/NaturalLanguageTagger.h"

#include "platform/Tagger/Lexicon.h"
#include "tests/support/TestTable.h"
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
QString names(const nl::TextTagger& tagger, const QString& text,
              nl::TagOptions options = kWordsOnly | TagOption::joinNames) {
    QStringList found;
    for (const auto& token : tagger.tags(text, nl::TagScheme::nameType, options)) {
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
    const QHash<QString, K> kinds{{u"none"_s, K::none},
                                  {u"person"_s, K::person},
                                  {u"place"_s, K::place},
                                  {u"organization"_s, K::organization},
                                  {u"other"_s, K::other}};
    const QHash<QString, int> classes{{u"proper"_s, E::properNoun},
                                      {u"common"_s, E::commonNoun},
                                      {u"person"_s, E::personNoun},
                                      {u"otherProper"_s, E::otherProper},
                                      {u"adjective"_s, E::adjective},
                                      {u"adverb"_s, E::adverb},
                                      {u"verb"_s, E::verb}};
    for (const testenv::TableRow& row : testenv::readTable(u"lexicon-entries.tsv"_s, 4)) {
        SCOPED_TRACE(row.where);
        const nl::LexiconEntry* entry = lexicon.find(row.bytes(0).toStdString());
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->name, kinds.value(row.text(1)));
        int expected = 0;
        for (const QString& name : row.text(2).split(u' ', Qt::SkipEmptyParts))
            expected |= classes.value(name);
        EXPECT_EQ(entry->classes, expected);
        EXPECT_EQ(entry->givenName, row.text(3) == u"given");
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
    const nl::NaturalLanguageTagger fixture(fixtureLexicon());
    const nl::NaturalLanguageTagger system;
    for (const testenv::TableRow& row : testenv::readTable(u"tagger-names.tsv"_s, 3))
        EXPECT_EQ(names(row.text(0) == u"system" ? system : fixture, row.text(1)), row.text(2))
            << row.where;
    // Unjoined, a name comes word by word.
    EXPECT_EQ(names(system, u"We met Tim Cook today."_s, kWordsOnly), u"Tim/P|Cook/P"_s);
}

TEST(NaturalLanguageTaggerTest, LexicalClasses) {
    const QHash<QString, Tag> tags{{u"noun"_s, Tag::noun},
                                   {u"verb"_s, Tag::verb},
                                   {u"adjective"_s, Tag::adjective},
                                   {u"number"_s, Tag::number},
                                   {u"determiner"_s, Tag::determiner},
                                   {u"conjunction"_s, Tag::conjunction}};
    const nl::NaturalLanguageTagger tagger;
    for (const testenv::TableRow& row : testenv::readTable(u"tagger-lexical-classes.tsv"_s, 3)) {
        SCOPED_TRACE(row.where);
        const QString text = row.text(0);
        const auto tokens = tagger.tags(text, nl::TagScheme::lexicalClass, kWordsOnly);
        const auto token = std::find_if(tokens.begin(), tokens.end(), [&](const auto& t) {
            return text.mid(t.start, t.length) == row.text(1);
        });
        ASSERT_NE(token, tokens.end());
        EXPECT_EQ(int(token->tag), int(tags.value(row.text(2), Tag::otherWord)));
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
    EXPECT_EQ(names(tagger, text, kWordsOnly), u"Paris/L"_s);
}

TEST(NaturalLanguageTaggerTest, BadInputGivesSaneTokens) {
    const nl::NaturalLanguageTagger tagger;
    const QString huge =
        u"Zyqlo Ärger (ﷺ) עולם 🙂‍🙂 A. B. C. e\u0301\u0301\u0301 1,5 Ⅻ "_s.repeated(
            6400);
    const QString capitals = u"Tom Of De Amazon-Cook & "_s.repeated(2500);
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
