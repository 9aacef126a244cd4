#include "Corvina/Tags/TagCounts.h"

#include "Corvina/Library/LibraryStore.h"
#include "Corvina/Tags/TagSelection.h"
#include "tests/support/TestLibrary.h"
#include "tests/support/TestTable.h"
#include "tests/support/Testing.h"

#include <QSet>

namespace {

// "a b|c": two bookmarks, tagged "a" and "b", then "c"; "" is no bookmark.
QList<QStringList> library(const QString& text) {
    QList<QStringList> tagLists;
    if (!text.isEmpty())
        for (const QString& bookmark : text.split(u'|'))
            tagLists << bookmark.split(u' ', Qt::SkipEmptyParts);
    return tagLists;
}

// "a:2 b:1"
std::vector<TagCount> counts(const QString& text) {
    std::vector<TagCount> result;
    for (const QString& count : text.split(u' ', Qt::SkipEmptyParts))
        result.push_back({count.section(u':', 0, 0), count.section(u':', 1).toLongLong()});
    return result;
}

TEST(TagCountsTest, CountsAndOrders) {
    for (const testenv::TableRow& row : testenv::readTable(u"tag-counts.tsv"_s, 2)) {
        SCOPED_TRACE(row.where);
        const QList<QStringList> tagLists = library(row.text(0));
        QList<Bookmark> bookmarks;
        for (const QStringList& tags : tagLists) {
            Bookmark bookmark;
            bookmark.setTags(tags);
            bookmarks.append(bookmark);
        }
        EXPECT_EQ(tagCounts(tagLists), counts(row.text(1)));
        EXPECT_EQ(tagCounts(bookmarks), counts(row.text(1)));
    }
}

// The counter keeps counts between changes of the store; after every kind of
// change it must say what counting the whole library afresh says.
TEST(TagCounterTest, AgreesWithAFreshCountAfterEveryChange) {
    TestLibrary lib;
    store::ModelContext& context = lib.context();
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
    add({u"rust"_s, u"news"_s});
    Bookmark second = add({u"rust"_s});
    Bookmark third = add({});
    agrees("first count");
    agrees("nothing changed");
    second.setTags({u"video"_s, u"video"_s});
    agrees("tags edited");
    second.setTitle(u"only the title"_s);
    agrees("other field edited");
    add({u"news"_s, u"Rust"_s});
    agrees("one added");
    ASSERT_TRUE(context.save());
    context.remove(second.object());
    agrees("one gone");
    context.insert(second.object());
    agrees("brought back before saving");
    second.setTags({u"again"_s});
    context.remove(second.object());
    ASSERT_TRUE(context.save());
    agrees("edited, gone and saved between counts");
    Bookmark decomposed = add({u"cafe\u0301"_s});
    add({u"caf\u00e9"_s});
    agrees("canonically equal spellings, composed newest");
    decomposed.setCreatedAt(QDateTime::fromSecsSinceEpoch(++clock, Qt::UTC));
    agrees("and then decomposed newest: only the order changed");
    for (int i = 0; i < 300; ++i)
        add({u"bulk"_s, QString::number(i % 7)});
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
    TestLibrary other;
    other.add(u"Elsewhere"_s, u"https://elsewhere.example/"_s, {u"elsewhere"_s});
    EXPECT_EQ(counter.update(other.all(), other.context()),
              (std::vector<TagCount>{{u"elsewhere"_s, 1}}));
}

TEST(TagSelectionTest, EqualityIsExactAndHashFollowsIt) {
    EXPECT_NE(TagSelection::tag(u"Rust"_s), TagSelection::tag(u"rust"_s));
    EXPECT_NE(TagSelection::all(), TagSelection::tag(QString()));
    EXPECT_TRUE(TagSelection::all().isAll());
    EXPECT_FALSE(TagSelection::tag(QString()).isAll());
    EXPECT_EQ(TagSelection::tag(u"a"_s).tagName(), std::optional<QString>(u"a"_s));
    EXPECT_EQ(TagSelection::all().tagName(), std::nullopt);
    // Equal selections, and their hashes, collapse in a set.
    const QSet<TagSelection> set = {TagSelection::all(),       TagSelection::tag(QString()),
                                    TagSelection::tag(u"a"_s), TagSelection::tag(u"A"_s),
                                    TagSelection::all(),       TagSelection::tag(u"a"_s)};
    EXPECT_EQ(set.size(), 4);
}

} // namespace
