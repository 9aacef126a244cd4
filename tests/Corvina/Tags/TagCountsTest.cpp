#include "Corvina/Tags/TagCounts.h"

#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/LibraryStore.h"
#include "Corvina/Tags/TagSelection.h"
#include "platform/Store/ModelContainer.h"
#include "platform/Store/ModelContext.h"
#include "tests/support/Testing.h"

#include <QSet>

namespace {

QString u(const char16_t* text) {
    return QString::fromUtf16(text);
}

// "a b|c": two bookmarks, tagged "a" and "b", then "c"; "" is no bookmark.
QList<QStringList> library(const char16_t* text) {
    QList<QStringList> tagLists;
    if (*text)
        for (const QString& bookmark : u(text).split(u'|'))
            tagLists << bookmark.split(u' ', Qt::SkipEmptyParts);
    return tagLists;
}

// "a:2 b:1"
std::vector<TagCount> counts(const char16_t* text) {
    std::vector<TagCount> result;
    for (const QString& count : u(text).split(u' ', Qt::SkipEmptyParts))
        result.push_back({count.section(u':', 0, 0), count.section(u':', 1).toLongLong()});
    return result;
}

TEST(TagCountsTest, CountsAndOrders) {
    const struct {
        const char16_t* library;
        const char16_t* expected;
    } cases[] = {
        // Empty library.
        {u"", u""},
        // Untagged bookmarks.
        {u"|", u""},
        // Counts across bookmarks.
        {u"news rust|rust|rust video", u"news:1 rust:3 video:1"},
        // Twice in one bookmark counts twice.
        {u"a a|a", u"a:3"},
        // Case spellings are separate, upper first.
        {u"rust|Rust rust", u"Rust:1 rust:2"},
        // Byte order, not alphabetical.
        {u"b B a A Zed _x 10 9", u"10:1 9:1 A:1 B:1 Zed:1 _x:1 a:1 b:1"},
        // Counts do not affect the order.
        {u"zebra zebra zebra apple", u"apple:1 zebra:3"},
        // Scalar order of composed strings: "é" (U+00E9) after "z", an astral
        // letter after U+FFxx although its UTF-16 units are lower.
        // Unicode scalar order.
        {u"z e\u0301 \U0001D504 Ａ", u"z:1 e\u0301:1 Ａ:1 \U0001D504:1"},
        // Canonically equal but different strings stay two entries, in the
        // order the library first used them.
        // Canonically equal spellings stay apart.
        {u"caf\u00e9|cafe\u0301 caf\u00e9", u"caf\u00e9:2 cafe\u0301:1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.library).toStdString());
        const QList<QStringList> tagLists = library(c.library);
        EXPECT_EQ(tagCounts(tagLists), counts(c.expected));
        QList<Bookmark> bookmarks;
        for (const QStringList& tags : tagLists) {
            Bookmark bookmark;
            bookmark.setTags(tags);
            bookmarks.append(bookmark);
        }
        EXPECT_EQ(tagCounts(bookmarks), counts(c.expected));
    }
}

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
    const QSet<TagSelection> set = {TagSelection::all(), TagSelection::tag(QString()),
                                    TagSelection::tag(u(u"a")), TagSelection::tag(u(u"A")),
                                    TagSelection::all()};
    EXPECT_EQ(set.size(), 4);
}

} // namespace
