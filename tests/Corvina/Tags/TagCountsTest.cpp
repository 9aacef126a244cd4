#include "Corvina/Tags/TagCounts.h"

#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/LibraryStore.h"
#include "Corvina/Tags/TagSelection.h"
#include "platform/Store/ModelContainer.h"
#include "platform/Store/ModelContext.h"

#include <QSet>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

QString u(const char16_t* text) {
    return QString::fromUtf16(text);
}

struct CountCase {
    const char* name;
    QList<QStringList> library;
    std::vector<TagCount> expected;
};

void PrintTo(const CountCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<CountCase> countCases() {
    return {
        {"EmptyLibrary", {}, {}},
        {"UntaggedBookmarks", {{}, {}}, {}},
        {"CountsAcrossBookmarks",
         {{u(u"news"), u(u"rust")}, {u(u"rust")}, {u(u"rust"), u(u"video")}},
         {{u(u"news"), 1}, {u(u"rust"), 3}, {u(u"video"), 1}}},
        {"TwiceInOneBookmarkCountsTwice", {{u(u"a"), u(u"a")}, {u(u"a")}}, {{u(u"a"), 3}}},
        {"CaseSpellingsAreSeparateUpperFirst",
         {{u(u"rust")}, {u(u"Rust"), u(u"rust")}},
         {{u(u"Rust"), 1}, {u(u"rust"), 2}}},
        {"ByteOrderNotAlphabetical",
         {{u(u"b"), u(u"B"), u(u"a"), u(u"A"), u(u"Zed"), u(u"_x"), u(u"10"), u(u"9")}},
         {{u(u"10"), 1},
          {u(u"9"), 1},
          {u(u"A"), 1},
          {u(u"B"), 1},
          {u(u"Zed"), 1},
          {u(u"_x"), 1},
          {u(u"a"), 1},
          {u(u"b"), 1}}},
        {"CountsDoNotAffectOrder",
         {{u(u"zebra"), u(u"zebra"), u(u"zebra"), u(u"apple")}},
         {{u(u"apple"), 1}, {u(u"zebra"), 3}}},
        // Scalar order of composed strings: "é" (U+00E9) after "z", an astral
        // letter after U+FFxx although its UTF-16 units are lower.
        {"UnicodeScalarOrder",
         {{u(u"z"), u(u"e\u0301"), u(u"\U0001D504"), u(u"Ａ")}},
         {{u(u"z"), 1}, {u(u"e\u0301"), 1}, {u(u"Ａ"), 1}, {u(u"\U0001D504"), 1}}},
        // Canonically equal but different strings stay two entries, in the
        // order the library first used them.
        {"CanonicallyEqualSpellingsStayApart",
         {{u(u"caf\u00e9")}, {u(u"cafe\u0301"), u(u"caf\u00e9")}},
         {{u(u"caf\u00e9"), 2}, {u(u"cafe\u0301"), 1}}},
    };
}

class TagCountsTest : public testing::TestWithParam<CountCase> {};

TEST_P(TagCountsTest, CountsAndOrders) {
    const CountCase& c = GetParam();
    EXPECT_EQ(tagCounts(c.library), c.expected);

    QList<Bookmark> bookmarks;
    for (const QStringList& tags : c.library) {
        Bookmark bookmark;
        bookmark.setTags(tags);
        bookmarks.append(bookmark);
    }
    EXPECT_EQ(tagCounts(bookmarks), c.expected);
}

INSTANTIATE_TEST_SUITE_P(TagCounts, TagCountsTest, testing::ValuesIn(countCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// The counter keeps counts between changes of the store; after every kind of
// change it must say what counting the whole library afresh says.
TEST(TagCounterTest, AgreesWithAFreshCountAfterEveryChange) {
    auto container = store::ModelContainer::openInMemory(Bookmark::schema()).value();
    store::ModelContext& context = container->mainContext();
    qint64 clock = 0;
    const auto add = [&](const QStringList& tags) {
        Bookmark bookmark;
        bookmark.setTags(tags);
        bookmark.setCreatedAt(QDateTime::fromSecsSinceEpoch(++clock, Qt::UTC));
        context.insert(bookmark.object());
        return bookmark;
    };
    TagCounter counter;
    const auto agrees = [&](const char* step) {
        const std::vector<Bookmark> library = library::allBookmarks(context);
        EXPECT_EQ(counter.update(library, context),
                  tagCounts(QList<Bookmark>(library.cbegin(), library.cend())))
            << step;
    };
    agrees("empty store");
    add({u(u"rust"), u(u"news")});
    Bookmark second = add({u(u"rust")});
    Bookmark third = add({});
    agrees("first count");
    agrees("nothing changed");
    second.setTags({u(u"video"), u(u"video")});
    agrees("tags edited");
    second.setTitle(u(u"only the title"));
    agrees("other field edited");
    add({u(u"news"), u(u"Rust")});
    agrees("one added");
    ASSERT_TRUE(context.save());
    context.remove(second.object());
    agrees("one gone");
    context.insert(second.object());
    agrees("brought back before saving");
    second.setTags({u(u"again")});
    context.remove(second.object());
    ASSERT_TRUE(context.save());
    agrees("edited, gone and saved between counts");
    Bookmark decomposed = add({u(u"cafe\u0301")});
    add({u(u"caf\u00e9")});
    agrees("canonically equal spellings, composed newest");
    decomposed.setCreatedAt(QDateTime::fromSecsSinceEpoch(++clock, Qt::UTC));
    agrees("and then decomposed newest: only the order changed");
    for (int i = 0; i < 300; ++i)
        add({u(u"bulk"), QString::number(i % 7)});
    agrees("many added");
    // More changes than the store remembers: counted afresh.
    for (int i = 0; i < 5000; ++i)
        third.setTags({QString::number(i % 3)});
    agrees("more changes than the store keeps");
    for (Bookmark bookmark : library::allBookmarks(context))
        bookmark.setTags({});
    agrees("every tag gone");
    for (const Bookmark& bookmark : library::allBookmarks(context))
        context.remove(bookmark.object());
    agrees("library emptied");

    // Another store: its counts, not the first one's changes.
    auto other = store::ModelContainer::openInMemory(Bookmark::schema()).value();
    Bookmark elsewhere;
    elsewhere.setTags({u(u"elsewhere")});
    other->mainContext().insert(elsewhere.object());
    const std::vector<Bookmark> otherLibrary = library::allBookmarks(other->mainContext());
    EXPECT_EQ(counter.update(otherLibrary, other->mainContext()),
              (std::vector<TagCount>{{u(u"elsewhere"), 1}}));
}

TEST(TagSelectionTest, EqualityIsExactAndHashFollowsIt) {
    EXPECT_EQ(TagSelection::all(), TagSelection::all());
    EXPECT_EQ(TagSelection::tag(u(u"Rust")), TagSelection::tag(u(u"Rust")));
    EXPECT_NE(TagSelection::tag(u(u"Rust")), TagSelection::tag(u(u"rust")));
    EXPECT_NE(TagSelection::all(), TagSelection::tag(QString()));
    EXPECT_TRUE(TagSelection::all().isAll());
    EXPECT_FALSE(TagSelection::tag(QString()).isAll());
    EXPECT_EQ(TagSelection::tag(u(u"a")).tagName(), std::optional<QString>(u(u"a")));
    EXPECT_EQ(TagSelection::all().tagName(), std::nullopt);

    EXPECT_EQ(qHash(TagSelection::tag(u(u"Rust")), 7), qHash(TagSelection::tag(u(u"Rust")), 7));
    EXPECT_EQ(qHash(TagSelection::all(), 7), qHashMulti(7, 0));
    EXPECT_EQ(qHash(TagSelection::tag(u(u"Rust")), 7), qHashMulti(7, 1, u(u"Rust")));
    const QSet<TagSelection> set = {TagSelection::all(), TagSelection::tag(QString()),
                                    TagSelection::tag(u(u"a")), TagSelection::tag(u(u"A")),
                                    TagSelection::all()};
    EXPECT_EQ(set.size(), 4);
}

} // namespace
