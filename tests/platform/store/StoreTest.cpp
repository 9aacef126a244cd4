#include "platform/Store/ModelContainer.h"
#include "tests/support/StoreWriteLock.h"
#include "tests/support/TestEnvironment.h"

#include <QDateTime>
#include <QFile>
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
