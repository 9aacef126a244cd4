#include "Corvina/Inbox/InboxDrain.h"

#include "Corvina/Inbox/LibraryKeeper.h"
#include "shared/Inbox/InboxWriter.h"
#include "shared/Inbox/SharedContainer.h"
#include "tests/support/StoreWriteLock.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestLibrary.h"
#include "tests/support/Testing.h"

#include <QSet>
#include <QTimeZone>

using testenv::contents;

namespace {

PendingBookmark entry(const QString& url, const QString& title, const QString& note = {},
                      const QStringList& tags = {}, int second = 0) {
    return PendingBookmark(*Url::parse(url), title, note, tags,
                           QDateTime::fromSecsSinceEpoch(1'740'000'000 + second, QTimeZone::utc()));
}

class InboxDrainTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(*sharedcontainer::supportDirectory()).removeRecursively());
    }
    qint64 drain() {
        qint64 inserted = 0;
        drainInbox(context, inserted);
        return inserted;
    }

    TestLibrary lib;
    store::ModelContext& context = lib.context();
};

} // namespace

TEST_F(InboxDrainTest, EveryQueuedEntryBecomesABookmarkAndLeavesTheInbox) {
    // In title order. The first two are the same page shared twice: the drain
    // keeps both, since only the user can tell which one to drop.
    const std::vector<PendingBookmark> entries{
        entry(u"https://a.example/1"_s, u"A"_s, {}, {}, 1),
        entry(u"https://a.example/1"_s, u"A"_s, {}, {}, 1),
        entry(u"https://b.example/2"_s, u"B"_s, u"Why it matters"_s, {u"to read"_s, u"News"_s}, 2),
        entry(u"http://www.c.example"_s, u"C  "_s, u" padded "_s, {u"x"_s, u"x"_s}, 3),
    };
    for (const PendingBookmark& e : entries)
        ASSERT_TRUE(enqueue(e).ok());

    qint64 inserted = 40; // the caller's running count
    drainInbox(context, inserted);
    EXPECT_EQ(inserted, 44);

    const std::vector<store::ModelObject> objects = context.fetch({Bookmark::kTitle});
    ASSERT_EQ(objects.size(), entries.size());
    QSet<QUuid> ids;
    for (size_t i = 0; i < objects.size(); ++i) {
        const Bookmark b(objects[i]);
        EXPECT_EQ(PendingBookmark(b.url(), b.title(), b.note(), b.tags(), b.createdAt()),
                  entries[i])
            << i;
        EXPECT_EQ(b.updatedAt(), b.createdAt());
        EXPECT_TRUE(b.object().isPersisted()) << "saved before its file goes";
        ids.insert(b.id());
    }
    EXPECT_EQ(ids.size(), std::ssize(entries));
    EXPECT_TRUE(QDir(*sharedcontainer::inboxDirectory()).isEmpty());
}

TEST_F(InboxDrainTest, WhatHappensToEachKindOfInboxFile) {
    // A first drain finds no inbox and makes it, with the shared folder the
    // duplicate index goes into.
    EXPECT_EQ(drain(), 0);
    const QString inbox = *sharedcontainer::supportDirectory() + u"/inbox"_s;
    ASSERT_TRUE(QFileInfo(inbox).isDir());

    const QByteArray valid = encodePendingBookmark(entry(u"https://example.com"_s, u"Valid"_s));
    enum class Outcome { taken, deleted, leftAlone };
    const struct {
        const char* name;
        QByteArray bytes;
        Outcome outcome;
        bool folder = false;
        bool unreadable = false;
    } cases[] = {
        {"entry.json", valid, Outcome::taken},
        {".hidden.json", valid, Outcome::taken},
        {"torn.json", valid.first(valid.size() / 2), Outcome::deleted},
        {"empty.json", "", Outcome::deleted},
        {"entry.txt", valid, Outcome::leftAlone},
        {"entry.JSON", valid, Outcome::leftAlone},
        {"entry.json.Ab12Cd", valid, Outcome::leftAlone},
        {"json", valid, Outcome::leftAlone},
        {"d.json", {}, Outcome::leftAlone, true},
        {"locked.json", valid, Outcome::deleted, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.unreadable && geteuid() == 0)
            continue; // root reads the file regardless of its mode
        ASSERT_TRUE(QDir(inbox).removeRecursively() && QDir().mkpath(inbox));
        const QString path = QDir(inbox).filePath(QLatin1String(c.name));
        QFile file(path);
        ASSERT_TRUE(c.folder
                        ? QDir().mkpath(path)
                        : file.open(QIODevice::WriteOnly) && file.write(c.bytes) == c.bytes.size());
        file.close();
        ASSERT_TRUE(!c.unreadable || file.setPermissions({}));

        EXPECT_EQ(drain(), c.outcome == Outcome::taken ? 1 : 0);
        EXPECT_EQ(QFileInfo::exists(path), c.outcome == Outcome::leftAlone);
        if (c.outcome == Outcome::leftAlone && !c.folder) {
            EXPECT_EQ(contents(path), c.bytes);
        }
    }
}

TEST_F(InboxDrainTest, WithoutAnApplicationSupportFolderDoesNothing) {
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(testenv::root()));
    qputenv("XDG_DATA_HOME", "relative");
    const qint64 inserted = drain();
    qputenv("XDG_DATA_HOME", dataHome);
    QDir::setCurrent(previous);
    EXPECT_EQ(inserted, 0);
    EXPECT_FALSE(QFileInfo::exists(testenv::root() + u"/relative"_s));
}

// A save that fails (another program holds the store) takes nothing out of
// the inbox and leaves nothing half-added in the context; the keeper tries
// again, with growing pauses, until the store takes the entries.
TEST_F(InboxDrainTest, AFailedSaveKeepsTheEntriesQueuedUntilARetrySucceeds) {
    const QString path = testenv::root() + u"/drain-locked.store"_s;
    auto opened = store::ModelContainer::open(Bookmark::schema(), {path, true, {}, 100});
    ASSERT_TRUE(opened) << opened.error().message.toStdString();
    store::ModelContext& fileContext = opened.value()->mainContext();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(enqueue(entry(u"https://queued.example/%1"_s.arg(i), u"Q"_s)).ok());
    const auto queued = [] {
        return QDir(*sharedcontainer::inboxDirectory()).entryList(QDir::Files).size();
    };

    teststore::StoreWriteLock lock(path);
    qint64 inserted = 0;
    const DrainOutcome outcome = drainInbox(fileContext, inserted);
    ASSERT_TRUE(outcome.saveError);
    EXPECT_EQ(inserted, 0);
    EXPECT_EQ(fileContext.count(), 0);
    EXPECT_FALSE(fileContext.hasChanges());
    EXPECT_EQ(queued(), 3);

    LibraryKeeper keeper(fileContext);
    keeper.runInboxWork();
    ASSERT_TRUE(keeper.failure());
    EXPECT_EQ(keeper.nextRetry(), 2 * LibraryKeeper::kFirstRetry) << "the pause grows";
    lock.release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !keeper.failure(); }, 10'000));
    EXPECT_EQ(fileContext.count(), 3);
    EXPECT_EQ(queued(), 0);

    // An unsaved change that any other path left behind is saved the same way.
    teststore::StoreWriteLock again(path);
    fileContext.insert(bookmarkFromPendingBookmark(entry(u"https://x.example"_s, u"X"_s)).object());
    EXPECT_FALSE(fileContext.save());
    again.release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !fileContext.hasChanges(); }, 10'000));
}
