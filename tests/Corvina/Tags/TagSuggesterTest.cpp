#include "Corvina/Tags/TagSuggester.h"

#include "platform/Tagger/TextTagger.h"
#include "tests/support/TestTable.h"
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
        static const Tag kinds[] = {
            Tag::organizationName, Tag::personalName, Tag::placeName, Tag::noun, Tag::verb,
            Tag::adjective,        Tag::otherWord};
        std::vector<std::pair<QString, Tag>> tokens;
        for (const QStringView token : told.split(u' ', Qt::SkipEmptyParts))
            tokens.emplace_back(token.chopped(2).toString(),
                                kinds[QStringView(u"OPLNVAW").indexOf(token.back())]);
        return tokens;
    }

    std::vector<std::pair<QString, Tag>> m_names;
    std::vector<std::pair<QString, Tag>> m_lexical;
};

TEST(TagSuggesterTest, Suggests) {
    for (const testenv::TableRow& row : testenv::readTable(u"tag-suggestions.tsv"_s, 7)) {
        SCOPED_TRACE(row.where);
        const FakeTagger tagger(row.text(4), row.text(5));
        EXPECT_EQ(TagSuggester(tagger).suggest(row.text(0), row.text(1), row.optionalText(2),
                                               row.text(3).toInt()),
                  row.text(6).split(u' ', Qt::SkipEmptyParts));
    }
}

TEST(TagSuggesterTest, JoinsNonEmptyFieldsAndTagsTwiceWithTheSchemesOptions) {
    // Title, description, and the text tagged; spaces are text.
    const std::tuple<QString, QString, QString> cases[] = {
        {u"Title"_s, u"Description"_s, u"Title. Description"_s},
        {{}, u"Description"_s, u"Description"_s},
        {u"Title"_s, {}, u"Title"_s},
        {u"  "_s, {}, u"  "_s},
        {u"  "_s, u" "_s, u"  .  "_s},
    };
    using nl::TagOption;
    const nl::TagOptions omit =
        TagOption::omitPunctuation | TagOption::omitWhitespace | TagOption::omitOther;
    for (const auto& [title, description, text] : cases) {
        const FakeTagger tagger;
        TagSuggester(tagger).suggest(title, description, std::nullopt, 6);
        EXPECT_EQ(tagger.texts, QStringList({text, text}));
        EXPECT_EQ(tagger.calls, (std::vector<std::pair<nl::TagScheme, nl::TagOptions>>{
                                    {nl::TagScheme::nameType, omit | TagOption::joinNames},
                                    {nl::TagScheme::lexicalClass, omit}}));
    }
}

TEST(TagSuggesterTest, CleanAndSiteTag) {
    for (const testenv::TableRow& row : testenv::readTable(u"tag-clean.tsv"_s, 2))
        EXPECT_EQ(TagSuggester::clean(row.text(0)), row.text(1)) << row.where;
    for (const testenv::TableRow& row : testenv::readTable(u"site-tags.tsv"_s, 2))
        EXPECT_EQ(TagSuggester::siteTag(row.text(0)), row.text(1)) << row.where;
}

// The site tag is not held to the two-character rule.
TEST(TagSuggesterTest, InstancesAgree) {
    const FakeTagger tagger(u"Ada/P");
    const auto once = TagSuggester(tagger).suggest(u"Ada"_s, QString(), u"a.io"_s, 6);
    EXPECT_EQ(once, TagSuggester(tagger).suggest(u"Ada"_s, QString(), u"a.io"_s, 6));
    EXPECT_EQ(once, QStringList({u"Ada"_s, u"A"_s}));
}

} // namespace
