#include "Corvina/Tags/TagCounts.h"

#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/LibraryStore.h"
#include "Corvina/Tags/TagSelection.h"
#include "platform/Store/ModelContainer.h"
#include "platform/Store/ModelContext.h"
#include "tests/support/TestTable.h"
#include "tests/support/Testing.h"

#include <QSet>

namespace {

QString u(const char16_t* text) {
    return QString::fromUtf16(text);
}

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
