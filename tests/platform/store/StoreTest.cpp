#include "platform/Store/ModelContainer.h"
#include "tests/support/StoreWriteLock.h"
#include "tests/support/TestEnvironment.h"

#include <QDateTime>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QUuid>
#include <gtest/gtest.h>
#include <random>
#include <sqlite3.h>

using namespace store;
using namespace Qt::StringLiterals;

namespace {

enum Attribute { kId, kName, kList, kWhen };

const EntitySchema& testSchema() {
    static const EntitySchema schema{
        QStringLiteral("Thing"),
        QStringLiteral("1.0.0"),
        {{QStringLiteral("id"), AttributeType::Uuid, [] { return QVariant(QUuid::createUuid()); }},
         {QStringLiteral("name"), AttributeType::String, [] { return QVariant(QString()); }},
         {QStringLiteral("list"), AttributeType::StringList,
          [] { return QVariant(QStringList()); }},
         {QStringLiteral("when"), AttributeType::Date,
          [] { return QVariant(QDateTime::currentDateTimeUtc()); }}}};
    return schema;
}

ModelObject make(const QString& name, qint64 msecs, const QStringList& list = {}) {
    ModelObject object(testSchema());
    object.setValue(kName, name);
    object.setValue(kList, list);
    object.setValue(kWhen, QDateTime::fromMSecsSinceEpoch(msecs, QTimeZone::utc()));
    return object;
}

QStringList names(const std::vector<ModelObject>& objects) {
    QStringList out;
    for (const ModelObject& object : objects)
        out << object.value(kName).toString();
    return out;
}

std::unique_ptr<ModelContainer> openFile(const QString& path) {
    auto opened = ModelContainer::open(testSchema(), StoreConfiguration{path});
    EXPECT_TRUE(opened.ok()) << (opened.ok() ? "" : opened.error().message.toStdString());
    return opened.ok() ? std::move(opened).value() : nullptr;
}

using WriteLock = teststore::StoreWriteLock;

} // namespace

TEST(StoreTest, EveryValueKindSurvivesAReopen) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("round.store"));
    const QStringList awkward = {QStringLiteral("a,b"),
                                 QStringLiteral("\"quoted\"\n"),
                                 QString(),
                                 QStringLiteral("nul\u0000inside"),
                                 QStringLiteral("😀 café"),
                                 QStringLiteral("[]")};
    const QUuid id = QUuid::createUuid();
    {
        auto container = openFile(path);
        ASSERT_TRUE(container);
        ModelObject object = make(QStringLiteral("it's \"odd\" — ünïcode"), -1234567, awkward);
        object.setValue(kId, id);
        container->mainContext().insert(object);
        container->mainContext().insert(make(QStringLiteral("plain"), 5));
        ASSERT_TRUE(container->mainContext().save().ok());
        EXPECT_TRUE(object.isPersisted());
    }
    auto container = openFile(path);
    ASSERT_TRUE(container);
    const auto objects = container->mainContext().fetch({kWhen});
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].value(kId).toUuid(), id);
    EXPECT_EQ(objects[0].value(kName).toString(), QStringLiteral("it's \"odd\" — ünïcode"));
    EXPECT_EQ(objects[0].value(kList).toStringList(), awkward);
    EXPECT_EQ(objects[0].value(kWhen).toDateTime().toMSecsSinceEpoch(), -1234567);
    EXPECT_TRUE(objects[1].value(kList).toStringList().isEmpty());
}

TEST(StoreTest, FetchSortsStablyInBothDirections) {
    auto opened = ModelContainer::openInMemory(testSchema());
    ASSERT_TRUE(opened.ok());
    ModelContext& context = opened.value()->mainContext();
    for (const auto& [name, when] : {std::pair{"b1", 2}, {"a", 1}, {"b2", 2}, {"c", 3}, {"b3", 2}})
        context.insert(make(QString::fromUtf8(name), when));
    EXPECT_EQ(names(context.fetch({kWhen, Qt::AscendingOrder})),
              (QStringList{u"a"_qs, u"b1"_qs, u"b2"_qs, u"b3"_qs, u"c"_qs}));
    EXPECT_EQ(names(context.fetch({kWhen, Qt::DescendingOrder})),
              (QStringList{u"c"_qs, u"b1"_qs, u"b2"_qs, u"b3"_qs, u"a"_qs}));
    EXPECT_EQ(names(context.fetch({kName, Qt::DescendingOrder})),
              (QStringList{u"c"_qs, u"b3"_qs, u"b2"_qs, u"b1"_qs, u"a"_qs}));
}

TEST(StoreTest, FailedSaveKeepsEveryChangeForTheNextSave) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("busy.store"));
    auto container = openFile(path);
    ASSERT_TRUE(container);
    ModelContext& context = container->mainContext();
    ModelObject kept = make(QStringLiteral("kept"), 1);
    ModelObject doomed = make(QStringLiteral("doomed"), 2);
    context.insert(kept);
    context.insert(doomed);
    ASSERT_TRUE(context.save().ok());

    // One insert, one update, one delete, all pending while the file is busy.
    context.insert(make(QStringLiteral("new"), 3));
    kept.setValue(kName, QStringLiteral("renamed"));
    context.remove(doomed);
    WriteLock lock(path);
    const auto failed = context.save();
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().code, StoreError::Code::writeFailed);
    EXPECT_TRUE(context.hasChanges());
    EXPECT_EQ(names(context.fetch({kWhen})), (QStringList{u"renamed"_qs, u"new"_qs}));

    lock.release();
    ASSERT_TRUE(context.save().ok());
    EXPECT_FALSE(context.hasChanges());
    ASSERT_TRUE(context.save().ok()); // nothing left: written exactly once
    container.reset();

    auto reopened = openFile(path);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(names(reopened->mainContext().fetch({kWhen})),
              (QStringList{u"renamed"_qs, u"new"_qs}));
}

TEST(StoreTest, RemovedObjectsBeforeAndAfterSave) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("remove.store"));
    auto container = openFile(path);
    ASSERT_TRUE(container);
    ModelContext& context = container->mainContext();
    ModelObject never = make(QStringLiteral("never"), 1);
    ModelObject saved = make(QStringLiteral("saved"), 2);
    context.insert(never);
    context.insert(saved);
    context.remove(never); // never reaches the disk
    ASSERT_TRUE(context.save().ok());
    context.remove(saved);
    EXPECT_EQ(context.count(), 0);
    EXPECT_EQ(saved.value(kName).toString(), QStringLiteral("saved")); // handle stays readable
    ASSERT_TRUE(context.save().ok());
    container.reset();
    EXPECT_EQ(saved.context(), nullptr);
    auto reopened = openFile(path);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->mainContext().count(), 0);

    // Removed before any save and inserted again (an undone deletion): a
    // live object like any other, that a save writes and a removal removes.
    ModelContext& again = reopened->mainContext();
    ModelObject back = make(QStringLiteral("back"), 3);
    again.insert(back);
    again.remove(back);
    again.insert(back);
    EXPECT_FALSE(back.isDeleted());
    ASSERT_TRUE(again.save().ok());
    EXPECT_TRUE(back.isPersisted());
    again.remove(back);
    EXPECT_EQ(again.count(), 0);
}

TEST(StoreTest, OpenRefusesFilesItCannotUseAndLeavesThemUntouched) {
    QTemporaryDir folder;
    const auto writeFile = [&](const QString& name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    const auto sqliteFile = [&](const QString& name, const char* sql) {
        const QString path = folder.filePath(name);
        sqlite3* db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return path;
    };
    const struct {
        QString path;
        StoreError::Code code;
    } cases[] = {
        {writeFile(QStringLiteral("text.store"), QByteArray("hello, this is text\n").repeated(200)),
         StoreError::Code::notADatabase},
        {sqliteFile(QStringLiteral("newer.store"), "PRAGMA user_version = 99"),
         StoreError::Code::schemaMismatch},
        {sqliteFile(QStringLiteral("other.store"), "CREATE TABLE notes (x)"),
         StoreError::Code::schemaMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        QFile before(c.path);
        ASSERT_TRUE(before.open(QIODevice::ReadOnly));
        const QByteArray bytes = before.readAll();
        const QDateTime modified = QFileInfo(c.path).lastModified();
        const auto opened = ModelContainer::open(testSchema(), StoreConfiguration{c.path});
        ASSERT_FALSE(opened.ok());
        EXPECT_EQ(opened.error().code, c.code);
        EXPECT_FALSE(opened.error().message.isEmpty());
        QFile after(c.path);
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), bytes);
        EXPECT_EQ(QFileInfo(c.path).lastModified(), modified);
        EXPECT_FALSE(QFile::exists(c.path + QStringLiteral("-wal")));
    }
}

TEST(StoreTest, OpenFailsWhileAnotherProgramLocksTheFile) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("locked.store"));
    {
        sqlite3* db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        sqlite3_exec(db, "CREATE TABLE t(x)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    WriteLock lock(path); // a rollback-journal file exclusively locked
    const auto opened = ModelContainer::open(testSchema(), StoreConfiguration{path});
    EXPECT_FALSE(opened.ok());
}

TEST(StoreTest, ChangeSignalIsCoalescedPerEventLoopTurn) {
    auto opened = ModelContainer::openInMemory(testSchema());
    ASSERT_TRUE(opened.ok());
    ModelContext& context = opened.value()->mainContext();
    QSignalSpy spy(&context, &ModelContext::changed);
    ModelObject first = make(QStringLiteral("x"), 1);
    context.insert(first);
    for (int i = 0; i < 1000; ++i)
        context.insert(make(QString::number(i), i));
    first.setValue(kName, QStringLiteral("y"));
    EXPECT_EQ(spy.count(), 0); // never synchronous
    ASSERT_TRUE(spy.wait(2000));
    EXPECT_EQ(spy.count(), 1);

    // An unattached object's writes announce nothing.
    ModelObject loose = make(QStringLiteral("loose"), 1);
    loose.setValue(kName, QStringLiteral("still loose"));
    EXPECT_FALSE(spy.wait(50));
}

// Views that keep work per object ask what changed since they last looked.
TEST(StoreTest, ChangedSinceNamesEachTouchedObjectOnce) {
    auto opened = ModelContainer::openInMemory(testSchema());
    ASSERT_TRUE(opened.ok());
    ModelContext& context = opened.value()->mainContext();
    ModelObject kept = make(QStringLiteral("kept"), 1);
    ModelObject edited = make(QStringLiteral("edited"), 2);
    ModelObject gone = make(QStringLiteral("gone"), 3);
    for (const ModelObject& object : {kept, edited, gone})
        context.insert(object);
    ASSERT_TRUE(context.save());
    const quint64 seen = context.changeCount();
    EXPECT_EQ(context.changedSince(seen), std::vector<ModelObject>());

    edited.setValue(kName, QStringLiteral("once"));
    edited.setValue(kName, QStringLiteral("twice"));
    context.remove(gone);
    ModelObject added = make(QStringLiteral("added"), 4);
    context.insert(added);
    ModelObject loose = make(QStringLiteral("never inserted"), 5);
    loose.setValue(kName, QStringLiteral("still loose"));
    std::optional<std::vector<ModelObject>> changes = context.changedSince(seen);
    ASSERT_TRUE(changes);
    QStringList changed = names(*changes);
    changed.sort();
    EXPECT_EQ(changed, (QStringList{u"added"_s, u"gone"_s, u"twice"_s}));
    // A save changes nothing about the objects.
    ASSERT_TRUE(context.save());
    EXPECT_EQ(context.changedSince(seen)->size(), 3u);
    EXPECT_EQ(context.changedSince(context.changeCount()), std::vector<ModelObject>());
    EXPECT_EQ(context.changedSince(context.changeCount() + 1), std::nullopt);

    // Past what the context remembers, the caller must read everything again.
    for (int i = 0; i < 10'000; ++i)
        kept.setValue(kName, QString::number(i));
    EXPECT_EQ(context.changedSince(seen), std::nullopt);
    const quint64 recent = context.changeCount();
    kept.setValue(kName, QStringLiteral("latest"));
    EXPECT_EQ(context.changedSince(recent), std::vector<ModelObject>{kept});
}

// A list kept up to date from the changes must always be what a fresh fetch
// gives, ties and all: random inserts, removals, returns and edits of the
// sort key, in batches, for every kind of key and both directions.
TEST(StoreTest, RefreshedFetchIsAlwaysAFreshFetch) {
    const SortDescriptor sorts[] = {{kWhen, Qt::DescendingOrder},
                                    {kWhen, Qt::AscendingOrder},
                                    {kName, Qt::DescendingOrder},
                                    {kList, Qt::AscendingOrder},
                                    {kId, Qt::AscendingOrder}};
    for (const SortDescriptor& sort : sorts) {
        SCOPED_TRACE(sort.attribute * 10 + int(sort.order));
        auto opened = ModelContainer::openInMemory(testSchema());
        ASSERT_TRUE(opened.ok());
        ModelContext& context = opened.value()->mainContext();
        std::mt19937 random(7);
        const auto pick = [&](int below) { return int(random() % unsigned(below)); };
        // Few distinct keys, so that ties (broken by store order) are common.
        const auto fresh = [&] {
            return make(QString::number(pick(5)), pick(6) * 1000, {QString::number(pick(3))});
        };
        for (int i = 0; i < 30; ++i)
            context.insert(fresh());
        ASSERT_TRUE(context.save());
        std::vector<ModelObject> kept = context.fetch(sort);
        quint64 seen = context.changeCount();
        std::vector<ModelObject> removed;
        for (int round = 0; round < 200; ++round) {
            for (int step = pick(4); step >= 0; --step) {
                std::vector<ModelObject> live = context.fetch(sort);
                switch (pick(6)) {
                case 0:
                    context.insert(fresh());
                    break;
                case 1:
                    if (!live.empty()) {
                        removed.push_back(live[std::size_t(pick(int(live.size())))]);
                        context.remove(removed.back());
                    }
                    break;
                case 2:
                    if (!removed.empty()) {
                        context.insert(removed.back());
                        removed.pop_back();
                    }
                    break;
                case 3:
                    (void)context.save();
                    break;
                default:
                    if (!live.empty()) {
                        ModelObject edited = live[std::size_t(pick(int(live.size())))];
                        edited.setValue(kWhen, QDateTime::fromMSecsSinceEpoch(
                                                   pick(6) * 1000, QTimeZone::utc()));
                        edited.setValue(kName, QString::number(pick(5)));
                        edited.setValue(kList, QStringList{QString::number(pick(3))});
                    }
                }
            }
            ASSERT_TRUE(context.refresh(kept, sort, seen));
            seen = context.changeCount();
            ASSERT_EQ(kept, context.fetch(sort)) << "round " << round;
        }
    }
}

TEST(StoreTest, RefreshRefusesWhatTheContextNoLongerKnows) {
    auto opened = ModelContainer::openInMemory(testSchema());
    ASSERT_TRUE(opened.ok());
    ModelContext& context = opened.value()->mainContext();
    ModelObject object = make(u"a"_s, 1);
    context.insert(object);
    const SortDescriptor sort{kWhen};
    std::vector<ModelObject> kept = context.fetch(sort);
    const quint64 seen = context.changeCount();
    for (int i = 0; i < 10'000; ++i)
        object.setValue(kName, QString::number(i));
    context.insert(make(u"b"_s, 2));
    EXPECT_FALSE(context.refresh(kept, sort, seen));
    EXPECT_EQ(kept.size(), 1u) << "left as it was";
}

TEST(StoreTest, HandleOutlivingItsContainerIsSafe) {
    ModelObject survivor = make(QStringLiteral("survivor"), 1);
    {
        auto opened = ModelContainer::openInMemory(testSchema());
        ASSERT_TRUE(opened.ok());
        opened.value()->mainContext().insert(survivor);
    }
    EXPECT_EQ(survivor.context(), nullptr);
    survivor.setValue(kName, QStringLiteral("after"));
    EXPECT_EQ(survivor.value(kName).toString(), QStringLiteral("after"));
}

// Another process's commits join the context when it next writes, so a check
// made inside the write sees them; this context's unsaved changes win, and
// an edit of an object deleted elsewhere comes back as a new object.
TEST(StoreTest, AWriteCatchesUpWithOtherProcessesCommits) {
    QTemporaryDir folder;
    const QString path = folder.filePath(u"shared.store"_s);
    auto mine = openFile(path);
    auto theirs = openFile(path);
    ASSERT_TRUE(mine && theirs);
    ModelObject renamed = make(u"renamed"_s, 1), deleted = make(u"deleted"_s, 2),
                contested = make(u"contested"_s, 3), editedHere = make(u"edited here"_s, 4);
    for (const ModelObject& object : {renamed, deleted, contested, editedHere})
        mine->mainContext().insert(object);
    ASSERT_TRUE(mine->mainContext().save());

    ModelContext& other = theirs->mainContext();
    std::vector<ModelObject> seen = other.fetch({kWhen});
    ASSERT_EQ(seen.size(), 4u);
    seen[0].setValue(kName, u"renamed there"_s);
    other.remove(seen[1]);
    seen[2].setValue(kName, u"contested there"_s);
    other.remove(seen[3]);
    other.insert(make(u"added there"_s, 5));
    ASSERT_TRUE(other.save());

    ModelContext& context = mine->mainContext();
    contested.setValue(kName, u"contested here"_s);
    editedHere.setValue(kName, u"kept, edited here"_s);
    const quint64 before = context.changeCount();
    QSignalSpy changed(&context, &ModelContext::changed);
    {
        auto write = context.beginWrite();
        ASSERT_TRUE(write) << write.error().message.toStdString();
        EXPECT_EQ(names(context.fetch({kWhen})),
                  (QStringList{u"renamed there"_s, u"contested here"_s, u"kept, edited here"_s,
                               u"added there"_s}));
        EXPECT_TRUE(deleted.isDeleted());
        ASSERT_TRUE(write->commit());
    }
    EXPECT_TRUE(changed.wait(2000));
    EXPECT_EQ(context.changedSince(before)->size(), 4u); // contested stays as edited here
    auto reopened = openFile(path);
    EXPECT_EQ(names(reopened->mainContext().fetch({kWhen})),
              (QStringList{u"renamed there"_s, u"contested here"_s, u"kept, edited here"_s,
                           u"added there"_s}));
}

TEST(StoreTest, ReceiptsAreWrittenWithTheChangesOrNotAtAll) {
    QTemporaryDir folder;
    auto container = openFile(folder.filePath(u"receipts.store"_s));
    ASSERT_TRUE(container);
    ModelContext& context = container->mainContext();
    {
        auto abandoned = context.beginWrite();
        ASSERT_TRUE(abandoned);
        context.insert(make(u"pending"_s, 1));
        abandoned->addReceipt(u"inbox:a"_s);
    } // never committed: rolled back, the object stays unsaved in the context
    EXPECT_TRUE(context.hasChanges());
    auto write = context.beginWrite();
    ASSERT_TRUE(write);
    EXPECT_TRUE(write->receipts(u"inbox:"_s)->isEmpty());
    write->addReceipt(u"inbox:b"_s);
    write->addReceipt(u"other:c"_s);
    ASSERT_TRUE(write->commit());
    EXPECT_FALSE(context.hasChanges());

    auto next = context.beginWrite();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->receipts(u"inbox:"_s).value(), QSet<QString>{u"inbox:b"_s});
    next->dropReceipt(u"inbox:b"_s);
    ASSERT_TRUE(next->commit());
    EXPECT_TRUE(context.beginWrite()->receipts(u"inbox:"_s)->isEmpty());
}

// What a crash or an unwritable folder leaves still opens: a hot rollback
// journal is rolled back (a read-only look at it used to fail for good), and
// a store whose journal cannot be made opens for reading, saying why.
TEST(StoreTest, StoresLeftByACrashOrInAReadOnlyPlaceOpen) {
    QTemporaryDir folder;
    const QString original = folder.filePath(u"original.store"_s);
    {
        auto container = openFile(original);
        ASSERT_TRUE(container);
        container->mainContext().insert(make(u"committed"_s, 1));
        ASSERT_TRUE(container->mainContext().save());
    }
    // A copy taken halfway through another program's rollback-journal
    // transaction: the file holds uncommitted pages, the journal the old ones.
    const QString crashed = folder.filePath(u"crashed.store"_s);
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(original.toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_exec(db, "PRAGMA journal_mode = DELETE; PRAGMA cache_size = 1; BEGIN;"
                         "CREATE TABLE filler (x); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                         "SELECT i + 1 FROM n WHERE i < 2000) INSERT INTO filler SELECT "
                         "randomblob(500) FROM n; UPDATE Thing SET name = 'uncommitted';",
                     nullptr, nullptr, nullptr);
        ASSERT_TRUE(QFile::exists(original + u"-journal"_s));
        ASSERT_TRUE(QFile::copy(original, crashed));
        ASSERT_TRUE(QFile::copy(original + u"-journal"_s, crashed + u"-journal"_s));
        sqlite3_close(db);
    }
    {
        auto container = openFile(crashed);
        ASSERT_TRUE(container);
        EXPECT_TRUE(container->readOnlyReason().isEmpty());
        EXPECT_EQ(names(container->mainContext().fetch({kWhen})), QStringList{u"committed"_s});
    }
    EXPECT_EQ(teststore::integrityCheck(crashed), u"ok"_s);

    // The WAL cannot be made beside the file (here: something else holds its name).
    ASSERT_TRUE(QDir().mkpath(crashed + u"-wal"_s));
    auto readOnly = openFile(crashed);
    ASSERT_TRUE(readOnly);
    EXPECT_FALSE(readOnly->readOnlyReason().isEmpty());
    ModelContext& context = readOnly->mainContext();
    EXPECT_EQ(names(context.fetch({kWhen})), QStringList{u"committed"_s});
    context.insert(make(u"refused"_s, 2));
    const auto saved = context.save();
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().code, StoreError::Code::readOnly);
}
