#include "Corvina/BookmarkEditor/TagCompletion.h"

#include "tests/support/Testing.h"

using namespace tagcompletion;

namespace {

const QStringList kLibrary{u"answer"_s, u"News"_s, u"Swift"_s, u"swim"_s, u"Tswana"_s};

TEST(TagCompletionTest, RailChips) {
    const struct {
        QString tagsField;
        QStringList suggested;
        QStringList expected;
    } cases[] = {
        // Prefix matches first (case-insensitively sorted), then the ones that
        // merely contain the fragment; the new fragment itself leads.
        {u"news, sw"_s, {}, {u"sw"_s, u"Swift"_s, u"swim"_s, u"answer"_s, u"Tswana"_s}},
        // Fragment is library tag in other case.
        {u"SWIFT"_s, {}, {}},
        // Typed tags left out.
        {u"swim, SW"_s, {}, {u"SW"_s, u"Swift"_s, u"answer"_s, u"Tswana"_s}},
        // Fragment already typed.
        {u"Sw, sw"_s, {}, {u"Swift"_s, u"swim"_s, u"answer"_s, u"Tswana"_s}},
        // No fragment shows suggester.
        {u"news, "_s, {u"NEWS"_s, u"Apple"_s, u"Github"_s}, {u"Apple"_s, u"Github"_s}},
        // Empty field.
        {u""_s, {u"Apple"_s}, {u"Apple"_s}},
        // Tabs and spaces are no fragment.
        {u"a,\t "_s, {u"A"_s, u"b"_s}, {u"b"_s}},
        // Single letter.
        {u"e"_s, {}, {u"e"_s, u"answer"_s, u"News"_s}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(railSuggestions(c.suggested, kLibrary, c.tagsField), c.expected)
            << c.tagsField.toStdString();
    }

    // At most eight chips.
    QStringList many;
    for (int i = 0; i < 12; ++i)
        many << u"tag%1"_s.arg(i, 2, 10, QChar(u'0'));
    const QStringList chips = railSuggestions({}, many, u"ta"_s);
    ASSERT_EQ(chips.size(), 8);
    EXPECT_EQ(chips.first(), u"ta"_s);
    EXPECT_EQ(chips.last(), u"tag06"_s);
}

TEST(TagCompletionTest, ApplyTag) {
    const std::pair<QString, QString> cases[] = {
        {u""_s, u"swift, "_s},
        {u"news, sw"_s, u"news, swift, "_s},
        {u"news,  "_s, u"news, swift, "_s},
        {u"Swift, news, s"_s,
         u"Swift, news, "_s}, // a later duplicate goes, the first spelling stays
        {u" a ,, b,sw"_s, u"a, b, swift, "_s},
    };
    for (const auto& [field, expected] : cases)
        EXPECT_EQ(applyTag(field, u"swift"_s), expected) << field.toStdString();
}

TEST(TagCompletionTest, FragmentCommittedTagsAndCompletions) {
    EXPECT_EQ(currentFragment(u"a, b, c "_s), u" c "_s);
    EXPECT_EQ(currentFragment(u"solo"_s), u"solo"_s);
    EXPECT_EQ(committedTags(u"a, , b,c"_s), (QStringList{u"a"_s, u"b"_s}));
    EXPECT_TRUE(committedTags(u"solo"_s).isEmpty());
    // Completions need a fragment.
    EXPECT_TRUE(completions(kLibrary, u"news, "_s).isEmpty());
    EXPECT_EQ(completions(kLibrary, u"WI"_s), (QStringList{u"Swift"_s, u"swim"_s}));
}

} // namespace
