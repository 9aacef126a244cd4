#include "Corvina/Inbox/DuplicateIndexWriter.h"

#include "shared/Duplicates/DuplicateIndex.h"
#include "shared/Inbox/SharedContainer.h"
#include "tests/support/TestLibrary.h"
#include "tests/support/Testing.h"

#include <QDeadlineTimer>
#include <QThread>
#include <QTimeZone>
#include <atomic>
#include <thread>

namespace {

Bookmark bookmark(const QString& url, const QString& title, int createdSecond) {
    return Bookmark(QUuid::createUuid(), *Url::parse(url), title, {}, {},
                    QDateTime::fromSecsSinceEpoch(1'700'000'000 + createdSecond, QTimeZone::utc()));
}

bool finishes(const QFuture<void>& future) {
    const QDeadlineTimer deadline(testenv::kPatience);
    while (!future.isFinished() && !deadline.hasExpired())
        QThread::msleep(2);
    return future.isFinished();
}

std::optional<QHash<QString, QString>> readIndex() {
    return decodeDuplicateIndex(
        testenv::readFile(duplicateIndexPath(*sharedcontainer::supportDirectory())));
}

// The index, or an empty one when it cannot be read.
QHash<QString, QString> indexed() {
    return readIndex().value_or(QHash<QString, QString>());
}

class DuplicateIndexWriterTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(*sharedcontainer::supportDirectory())); }

    TestLibrary lib;
    store::ModelContext& context = lib.context();
};

} // namespace

// Every activation asks for a rebuild: an unchanged library is not read and
// written again, but a change or a file gone missing is.
TEST_F(DuplicateIndexWriterTest, MapsEveryKeyToTheNewestTitleAndRewritesOnlyWhenNeeded) {
    // Inserted newest first: which title wins must not follow insertion.
    Bookmark second = bookmark(u"https://example.com/a"_s, u"Second"_s, 20);
    context.insert(second.object());
    context.insert(bookmark(u"HTTPS://www.Example.com/a/"_s, u"First"_s, 10).object());
    context.insert(bookmark(u"https://example.com/b?utm_source=feed"_s, u"Bee"_s, 15).object());
    store::ModelObject broken = bookmark(u"https://x.example"_s, u"Broken"_s, 5).object();
    broken.setValue(Bookmark::kUrl, u"not a url"_s);
    context.insert(broken);
    ASSERT_TRUE(finishes(rebuildDuplicateIndex(context)));
    const QHash<QString, QString> expected{{u"https://example.com/a?"_s, u"Second"_s},
                                           {u"https://example.com/b?"_s, u"Bee"_s},
                                           {u"!not a url"_s, u"Broken"_s}};
    EXPECT_EQ(readIndex(), expected);

    // Planted by hand: an unchanged library leaves it alone.
    const QString path = duplicateIndexPath(*sharedcontainer::supportDirectory());
    testenv::writeFile(path, encodeDuplicateIndex({{u"planted"_s, u"p"_s}}));
    ASSERT_TRUE(finishes(rebuildDuplicateIndex(context)));
    EXPECT_TRUE(indexed().contains(u"planted"_s));

    second.setTitle(u"Renamed"_s);
    ASSERT_TRUE(finishes(rebuildDuplicateIndex(context)));
    EXPECT_EQ(indexed().value(u"https://example.com/a?"_s), u"Renamed"_s);

    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(finishes(rebuildDuplicateIndex(context)));
    EXPECT_TRUE(readIndex().has_value());
}

TEST_F(DuplicateIndexWriterTest, AReaderNeverSeesATornFile) {
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
    constexpr int kRewrites = 40;
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
    EXPECT_EQ(indexed().value(u"https://site%1.example/page?"_s.arg(kRewrites)),
              u"round %1"_s.arg(kRewrites));
}
