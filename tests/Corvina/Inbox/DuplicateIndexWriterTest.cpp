#include "Corvina/Inbox/DuplicateIndexWriter.h"

#include "Corvina/Library/Bookmark.h"
#include "platform/Store/ModelContainer.h"
#include "shared/Duplicates/DuplicateIndex.h"
#include "shared/Inbox/SharedContainer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QTimeZone>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

Bookmark bookmark(const QString& url, const QString& title, int createdSecond) {
    return Bookmark(QUuid::createUuid(), *Url::parse(url), title, {}, {},
                    QDateTime::fromSecsSinceEpoch(1'700'000'000 + createdSecond, QTimeZone::utc()));
}

bool finishes(const QFuture<void>& future) {
    const QDeadlineTimer deadline(10'000);
    while (!future.isFinished() && !deadline.hasExpired())
        QThread::msleep(2);
    return future.isFinished();
}

std::optional<QHash<QString, QString>> readIndex() {
    QFile file(duplicateIndexPath(*sharedcontainer::supportDirectory()));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return decodeDuplicateIndex(file.readAll());
}

} // namespace

TEST(DuplicateIndexWriterTest, MapsEveryKeyToTheNewestTitle) {
    // Throws, failing the test, if the store cannot open.
    const auto container = store::ModelContainer::openInMemory(Bookmark::schema()).value();
    store::ModelContext& context = container->mainContext();
    // Inserted newest first: which title wins must not follow insertion.
    context.insert(bookmark(u"https://example.com/a"_s, u"Second"_s, 20).object());
    context.insert(bookmark(u"HTTPS://www.Example.com/a/"_s, u"First"_s, 10).object());
    context.insert(bookmark(u"https://example.com/b?utm_source=feed"_s, u"Bee"_s, 15).object());
    store::ModelObject broken = bookmark(u"https://x.example"_s, u"Broken"_s, 5).object();
    broken.setValue(Bookmark::kUrl, u"not a url"_s);
    context.insert(broken);

    ASSERT_TRUE(QDir().mkpath(*sharedcontainer::supportDirectory()));
    ASSERT_TRUE(finishes(rebuildDuplicateIndex(context)));
    const QHash<QString, QString> expected{{u"https://example.com/a?"_s, u"Second"_s},
                                           {u"https://example.com/b?"_s, u"Bee"_s},
                                           {u"!not a url"_s, u"Broken"_s}};
    EXPECT_EQ(readIndex(), expected);
}

TEST(DuplicateIndexWriterTest, AReaderNeverSeesATornFile) {
    const auto container = store::ModelContainer::openInMemory(Bookmark::schema()).value();
    store::ModelContext& context = container->mainContext();
    ASSERT_TRUE(QDir().mkpath(*sharedcontainer::supportDirectory()));
    // Large enough that a write in place would be caught half-way.
    constexpr int kBookmarks = 2000;
    std::vector<Bookmark> bookmarks;
    for (int i = 0; i < kBookmarks; ++i) {
        bookmarks.push_back(bookmark(u"https://site%1.example/page"_s.arg(i), u"t"_s, i));
        context.insert(bookmarks.back().object());
    }
    ASSERT_TRUE(finishes(rebuildDuplicateIndex(context)));

    std::atomic<bool> stop = false;
    std::atomic<int> complete = 0;
    std::atomic<int> torn = 0;
    std::thread reader([&] {
        while (!stop) {
            const auto index = readIndex();
            ++(index && index->size() == kBookmarks ? complete : torn);
        }
    });
    QFuture<void> last;
    constexpr int kRewrites = 150;
    for (int round = 1; round <= kRewrites; ++round) {
        bookmarks[round].setTitle(u"round %1"_s.arg(round));
        last = rebuildDuplicateIndex(context);
    }
    const bool finished = finishes(last);
    stop = true;
    reader.join();

    ASSERT_TRUE(finished);
    EXPECT_EQ(torn, 0);
    EXPECT_GT(complete, 0);
    // Overlapping rebuilds end with the newest one.
    EXPECT_EQ(
        readIndex().value_or(QHash<QString, QString>()).value(u"https://site150.example/page?"_s),
        u"round 150"_s);
}

// Every activation asks for a rebuild: an unchanged library is not read and
// written again, but a change or a file gone missing is.
TEST(DuplicateIndexWriterTest, RewritesOnlyAfterAChangeOrWhenTheFileIsGone) {
    const auto container = store::ModelContainer::openInMemory(Bookmark::schema()).value();
    store::ModelContext& context = container->mainContext();
    ASSERT_TRUE(QDir().mkpath(*sharedcontainer::supportDirectory()));
    const QString path = duplicateIndexPath(*sharedcontainer::supportDirectory());
    Bookmark page = bookmark(u"https://example.com/a"_s, u"First"_s, 1);
    context.insert(page.object());
    ASSERT_TRUE(finishes(rebuildDuplicateIndex(context)));

    // Planted by hand: an unchanged library leaves it alone.
    QFile planted(path);
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.write(encodeDuplicateIndex({{u"planted"_s, u"p"_s}}));
    planted.close();
    ASSERT_TRUE(finishes(rebuildDuplicateIndex(context)));
    EXPECT_TRUE(readIndex().value_or(QHash<QString, QString>()).contains(u"planted"_s));

    page.setTitle(u"Renamed"_s);
    ASSERT_TRUE(finishes(rebuildDuplicateIndex(context)));
    EXPECT_EQ(readIndex().value_or(QHash<QString, QString>()).value(u"https://example.com/a?"_s),
              u"Renamed"_s);

    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(finishes(rebuildDuplicateIndex(context)));
    EXPECT_TRUE(readIndex().has_value());
}
