#include "platform/Store/ModelContainer.h"
#include "platform/Store/StoreWatcher.h"
#include "tests/support/StoreWriteLock.h"
#include "tests/support/Testing.h"

#include <QDateTime>
#include <QTimeZone>
#include <QUuid>
#include <random>
#include <sys/time.h>

using namespace store;
using WriteLock = teststore::StoreWriteLock;

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

// Throws, failing the test, when the file does not open.
std::unique_ptr<ModelContainer> openFile(const QString& path) {
    auto opened = ModelContainer::open(testSchema(), StoreConfiguration{path});
    EXPECT_TRUE(opened.ok()) << (opened.ok() ? "" : opened.error().message.toStdString());
    return std::move(opened).value();
}

// A folder for store files, and a store in memory for what needs no file.
class StoreTest : public testing::Test {
protected:
    QString file(const QString& name) const { return folder.filePath(name); }
    // Opens the file `name` in the folder as `disk`, closing the one open before.
    ModelContext& open(const QString& name) {
        disk = openFile(file(name));
        return disk->mainContext();
    }

    QTemporaryDir folder;
    std::unique_ptr<ModelContainer> disk;
    std::unique_ptr<ModelContainer> memory = ModelContainer::openInMemory(testSchema()).value();
    ModelContext& context = memory->mainContext();
};

} // namespace

TEST_F(StoreTest, EveryValueKindSurvivesAReopen) {
    const QStringList awkward = {
        u"a,b"_s, u"\"quoted\"\n"_s, QString(), u"nul\u0000inside"_s, u"😀 café"_s, u"[]"_s};
    ModelContext& first = open(u"round.store"_s);
    ModelObject object = make(u"it's \"odd\" — ünïcode"_s, -1234567, awkward);
    first.insert(object);
    first.insert(make(u"plain"_s, 5));
    ASSERT_TRUE(first.save().ok());
    EXPECT_TRUE(object.isPersisted());
    disk.reset();
    const auto objects = open(u"round.store"_s).fetch({kWhen});
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].value(kId).toUuid(), object.value(kId).toUuid());
    EXPECT_EQ(objects[0].value(kName).toString(), u"it's \"odd\" — ünïcode"_s);
    EXPECT_EQ(objects[0].value(kList).toStringList(), awkward);
    EXPECT_EQ(objects[0].value(kWhen).toDateTime().toMSecsSinceEpoch(), -1234567);
    EXPECT_TRUE(objects[1].value(kList).toStringList().isEmpty());
}

TEST_F(StoreTest, FetchSortsStablyInBothDirections) {
    for (const auto& [name, when] : {std::pair{"b1", 2}, {"a", 1}, {"b2", 2}, {"c", 3}, {"b3", 2}})
        context.insert(make(QString::fromUtf8(name), when));
    EXPECT_EQ(names(context.fetch({kWhen, Qt::AscendingOrder})).join(u' '), u"a b1 b2 b3 c"_s);
    EXPECT_EQ(names(context.fetch({kWhen, Qt::DescendingOrder})).join(u' '), u"c b1 b2 b3 a"_s);
    EXPECT_EQ(names(context.fetch({kName, Qt::DescendingOrder})).join(u' '), u"c b3 b2 b1 a"_s);
}

TEST_F(StoreTest, FailedSaveKeepsEveryChangeForTheNextSave) {
    ModelContext& context = open(u"busy.store"_s);
    ModelObject kept = make(u"kept"_s, 1), doomed = make(u"doomed"_s, 2);
    context.insert(kept);
    context.insert(doomed);
    ASSERT_TRUE(context.save().ok());

    // One insert, one update, one delete, all pending while the file is busy.
    context.insert(make(u"new"_s, 3));
    kept.setValue(kName, u"renamed"_s);
    context.remove(doomed);
    WriteLock lock(file(u"busy.store"_s));
    const auto failed = context.save();
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().code, StoreError::Code::writeFailed);
    EXPECT_TRUE(context.hasChanges());
    EXPECT_EQ(names(context.fetch({kWhen})), (QStringList{u"renamed"_s, u"new"_s}));

    lock.release();
    ASSERT_TRUE(context.save().ok());
    EXPECT_FALSE(context.hasChanges());
    ASSERT_TRUE(context.save().ok()); // nothing left: written exactly once
    disk.reset();
    EXPECT_EQ(names(open(u"busy.store"_s).fetch({kWhen})), (QStringList{u"renamed"_s, u"new"_s}));
}

TEST_F(StoreTest, RemovedObjectsBeforeAndAfterSaveAndHandlesOutlivingTheirContainer) {
    ModelContext& context = open(u"remove.store"_s);
    ModelObject never = make(u"never"_s, 1), saved = make(u"saved"_s, 2);
    context.insert(never);
    context.insert(saved);
    context.remove(never); // never reaches the disk
    ASSERT_TRUE(context.save().ok());
    context.remove(saved);
    EXPECT_EQ(context.count(), 0);
    EXPECT_EQ(saved.value(kName).toString(), u"saved"_s); // handle stays readable
    ASSERT_TRUE(context.save().ok());
    ModelObject survivor = make(u"survivor"_s, 4);
    context.insert(survivor); // live, never saved
    disk.reset();
    EXPECT_EQ(saved.context(), nullptr);
    EXPECT_EQ(survivor.context(), nullptr);
    survivor.setValue(kName, u"after"_s);
    EXPECT_EQ(survivor.value(kName).toString(), u"after"_s);
    ModelContext& again = open(u"remove.store"_s);
    EXPECT_EQ(again.count(), 0);

    // Removed before any save and inserted again (an undone deletion): a
    // live object like any other, that a save writes and a removal removes.
    ModelObject back = make(u"back"_s, 3);
    again.insert(back);
    again.remove(back);
    again.insert(back);
    EXPECT_FALSE(back.isDeleted());
    ASSERT_TRUE(again.save().ok());
    EXPECT_TRUE(back.isPersisted());
    again.remove(back);
    EXPECT_EQ(again.count(), 0);
}

TEST_F(StoreTest, OpenRefusesFilesItCannotUseAndLeavesThemUntouched) {
    const QString text = testenv::writeFile(file(u"text.store"_s),
                                            QByteArray("hello, this is text\n").repeated(200));
    teststore::execute(file(u"newer.store"_s), "PRAGMA user_version = 99");
    teststore::execute(file(u"other.store"_s), "CREATE TABLE notes (x)");
    teststore::execute(file(u"locked.store"_s), "CREATE TABLE t(x)");
    WriteLock lock(file(u"locked.store"_s)); // a rollback-journal file another program holds
    const auto refused = [](const QString& path, StoreError::Code code) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray bytes = testenv::readFile(path);
        const QDateTime modified = QFileInfo(path).lastModified();
        const auto opened = ModelContainer::open(testSchema(), StoreConfiguration{path});
        ASSERT_FALSE(opened.ok());
        EXPECT_EQ(opened.error().code, code);
        EXPECT_FALSE(opened.error().message.isEmpty());
        EXPECT_EQ(testenv::readFile(path), bytes);
        EXPECT_EQ(QFileInfo(path).lastModified(), modified);
        EXPECT_FALSE(QFile::exists(path + u"-wal"_s));
    };
    refused(text, StoreError::Code::notADatabase);
    refused(file(u"newer.store"_s), StoreError::Code::schemaMismatch);
    refused(file(u"other.store"_s), StoreError::Code::schemaMismatch);
    refused(file(u"locked.store"_s), StoreError::Code::cannotOpen);
}

// The change signal comes once per turn of the event loop, never from inside
// a change. Views that keep work per object ask what changed since they last
// looked; past what the context remembers they must read everything again.
TEST_F(StoreTest, ChangesAreAnnouncedOncePerTurnAndNamedOnceEach) {
    QSignalSpy spy(&context, &ModelContext::changed);
    ModelObject kept = make(u"kept"_s, 1), edited = make(u"edited"_s, 2), gone = make(u"gone"_s, 3);
    for (const ModelObject& object : {kept, edited, gone})
        context.insert(object);
    for (int i = 0; i < 1000; ++i)
        edited.setValue(kList, QStringList{QString::number(i)});
    EXPECT_EQ(spy.count(), 0);
    ASSERT_TRUE(spy.wait(testenv::kPatience));
    EXPECT_EQ(spy.count(), 1);
    const quint64 seen = context.changeCount();
    std::vector<ModelObject> list = context.fetch({kWhen});
    EXPECT_EQ(context.changedSince(seen), std::vector<ModelObject>());
    // An object never inserted is nobody's change.
    make(u"never inserted"_s, 5).setValue(kName, u"still loose"_s);
    EXPECT_FALSE(spy.wait(50));
    ASSERT_TRUE(context.save());

    edited.setValue(kName, u"once"_s);
    edited.setValue(kName, u"twice"_s);
    context.remove(gone);
    context.insert(make(u"added"_s, 4));
    QStringList changed = names(context.changedSince(seen).value());
    changed.sort();
    EXPECT_EQ(changed, (QStringList{u"added"_s, u"gone"_s, u"twice"_s}));
    // A save changes nothing about the objects.
    ASSERT_TRUE(context.save());
    EXPECT_EQ(context.changedSince(seen)->size(), 3u);
    EXPECT_EQ(context.changedSince(context.changeCount()), std::vector<ModelObject>());
    EXPECT_EQ(context.changedSince(context.changeCount() + 1), std::nullopt);

    for (int i = 0; i < 10'000; ++i)
        kept.setValue(kName, QString::number(i));
    EXPECT_EQ(context.changedSince(seen), std::nullopt);
    EXPECT_FALSE(context.refresh(list, {kWhen}, seen));
    EXPECT_EQ(list.size(), 3u) << "left as it was";
    const quint64 recent = context.changeCount();
    kept.setValue(kName, u"latest"_s);
    EXPECT_EQ(context.changedSince(recent), std::vector<ModelObject>{kept});
}

// A list kept up to date from the changes must always be what a fresh fetch
// gives, ties and all: random inserts, removals, returns and edits of the
// sort key, in batches, for every kind of key and both directions.
TEST(StoreRefreshTest, RefreshedFetchIsAlwaysAFreshFetch) {
    for (const SortDescriptor& sort : {SortDescriptor{kWhen, Qt::DescendingOrder},
                                       {kWhen, Qt::AscendingOrder},
                                       {kName, Qt::DescendingOrder},
                                       {kList, Qt::AscendingOrder},
                                       {kId, Qt::AscendingOrder}}) {
        SCOPED_TRACE(sort.attribute * 10 + int(sort.order));
        auto memory = ModelContainer::openInMemory(testSchema()).value();
        ModelContext& context = memory->mainContext();
        std::mt19937 random(7);
        const auto pick = [&](int below) { return int(random() % unsigned(below)); };
        // Few distinct keys, so that ties (broken by store order) are common.
        const auto fresh = [&] {
            return make(QString::number(pick(5)), pick(6) * 1000, {QString::number(pick(3))});
        };
        for (int i = 0; i < 30; ++i)
            context.insert(fresh());
        ASSERT_TRUE(context.save());
        std::vector<ModelObject> kept = context.fetch(sort), removed;
        quint64 seen = context.changeCount();
        for (int round = 0; round < 200; ++round) {
            for (int step = pick(4); step >= 0; --step) {
                std::vector<ModelObject> live = context.fetch(sort);
                const int action = pick(6);
                if (action == 0) {
                    context.insert(fresh());
                } else if (action == 1 && !live.empty()) {
                    removed.push_back(live[std::size_t(pick(int(live.size())))]);
                    context.remove(removed.back());
                } else if (action == 2 && !removed.empty()) {
                    context.insert(removed.back());
                    removed.pop_back();
                } else if (action == 3) {
                    (void)context.save();
                } else if (action > 3 && !live.empty()) {
                    ModelObject edited = live[std::size_t(pick(int(live.size())))];
                    edited.setValue(
                        kWhen, QDateTime::fromMSecsSinceEpoch(pick(6) * 1000, QTimeZone::utc()));
                    edited.setValue(kName, QString::number(pick(5)));
                    edited.setValue(kList, QStringList{QString::number(pick(3))});
                }
            }
            ASSERT_TRUE(context.refresh(kept, sort, seen));
            seen = context.changeCount();
            ASSERT_EQ(kept, context.fetch(sort)) << "round " << round;
        }
    }
}

// Another process's commits join the context when it next writes, so a check
// made inside the write sees them, or when it is asked to take them in, as a
// watcher of the file asks soon after they land; this context's unsaved
// changes win, and an edit of an object deleted elsewhere comes back as a new
// object. A touch of the files that commits nothing reads nothing.
TEST_F(StoreTest, OtherProcessesCommitsAreTakenIn) {
    enum class Way { write, takeIn, watcher };
    for (const Way way : {Way::write, Way::takeIn, Way::watcher}) {
        SCOPED_TRACE(int(way));
        const QString name = u"shared%1.store"_s.arg(int(way));
        ModelContext& context = open(name);
        auto theirs = openFile(file(name));
        ModelObject renamed = make(u"renamed"_s, 1, {u"a"_s, u"b"_s}),
                    deleted = make(u"deleted"_s, 2), contested = make(u"contested"_s, 3),
                    editedHere = make(u"edited here"_s, 4);
        for (const ModelObject& object : {renamed, deleted, contested, editedHere})
            context.insert(object);
        ASSERT_TRUE(context.save());
        std::optional<StoreWatcher> watcher;
        if (way == Way::watcher)
            watcher.emplace(context, file(name));

        ModelContext& other = theirs->mainContext();
        std::vector<ModelObject> seen = other.fetch({kWhen});
        ASSERT_EQ(seen.size(), 4u);
        seen[0].setValue(kName, u"renamed there"_s);
        seen[0].setValue(kList, QStringList{u"a"_s, u"\"b\""_s});
        other.remove(seen[1]);
        seen[2].setValue(kName, u"contested there"_s);
        other.remove(seen[3]);
        other.insert(make(u"added there"_s, 5));
        ASSERT_TRUE(other.save());

        contested.setValue(kName, u"contested here"_s);
        editedHere.setValue(kName, u"kept, edited here"_s);
        const quint64 before = context.changeCount();
        QSignalSpy changed(&context, &ModelContext::changed);
        const QStringList expected{u"renamed there"_s, u"contested here"_s, u"kept, edited here"_s,
                                   u"added there"_s};
        if (way == Way::write) {
            auto write = context.beginWrite();
            ASSERT_TRUE(write) << write.error().message.toStdString();
            EXPECT_EQ(names(context.fetch({kWhen})), expected);
            ASSERT_TRUE(write->commit());
        } else if (way == Way::takeIn) {
            EXPECT_EQ(context.takeInOutsideChanges().value(), true);
            EXPECT_EQ(context.takeInOutsideChanges().value(), false);
        }
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return names(context.fetch({kWhen})) == expected && !changed.isEmpty(); },
            testenv::kPatience));
        EXPECT_TRUE(deleted.isDeleted());
        EXPECT_EQ(renamed.value(kList).toStringList(), (QStringList{u"a"_s, u"\"b\""_s}));
        EXPECT_EQ(context.changedSince(before)->size(), 4u); // contested stays as edited here
        ASSERT_TRUE(context.save());
        EXPECT_EQ(names(openFile(file(name))->mainContext().fetch({kWhen})), expected);

        if (watcher) { // files touched without a commit
            QCoreApplication::processEvents();
            changed.clear();
            QSignalSpy looked(&*watcher, &StoreWatcher::looked);
            for (const QString& path : {file(name), file(name) + u"-wal"_s})
                ASSERT_EQ(utimes(QFile::encodeName(path).constData(), nullptr), 0);
            ASSERT_TRUE(looked.wait(testenv::kPatience));
            QCoreApplication::processEvents();
            EXPECT_FALSE(looked.contains({true}));
            EXPECT_TRUE(changed.isEmpty());
        }
    }
}

TEST_F(StoreTest, ReceiptsAreWrittenWithTheChangesOrNotAtAll) {
    ModelContext& context = open(u"receipts.store"_s);
    {
        StoreWrite abandoned = context.beginWrite().value();
        context.insert(make(u"pending"_s, 1));
        abandoned.addReceipt(u"inbox:a"_s);
    } // never committed: rolled back, the object stays unsaved in the context
    EXPECT_TRUE(context.hasChanges());
    StoreWrite write = context.beginWrite().value();
    EXPECT_TRUE(write.receipts(u"inbox:"_s)->isEmpty());
    write.addReceipt(u"inbox:b"_s);
    write.addReceipt(u"other:c"_s);
    ASSERT_TRUE(write.commit());
    EXPECT_FALSE(context.hasChanges());

    StoreWrite next = context.beginWrite().value();
    EXPECT_EQ(next.receipts(u"inbox:"_s).value(), QSet<QString>{u"inbox:b"_s});
    next.dropReceipt(u"inbox:b"_s);
    ASSERT_TRUE(next.commit());
    EXPECT_TRUE(context.beginWrite()->receipts(u"inbox:"_s)->isEmpty());
}

// What a crash or an unwritable folder leaves still opens: a hot rollback
// journal is rolled back (a read-only look at it used to fail for good), and
// a store whose journal cannot be made opens for reading, saying why.
TEST_F(StoreTest, StoresLeftByACrashOrInAReadOnlyPlaceOpen) {
    const QString original = file(u"original.store"_s), crashed = file(u"crashed.store"_s);
    open(u"original.store"_s).insert(make(u"committed"_s, 1));
    ASSERT_TRUE(disk->mainContext().save());
    disk.reset();
    // A copy taken halfway through another program's rollback-journal
    // transaction: the file holds uncommitted pages, the journal the old ones.
    {
        WriteLock halfway(original, "PRAGMA journal_mode = DELETE; PRAGMA cache_size = 1; BEGIN;"
                                    "CREATE TABLE filler (x); WITH RECURSIVE n(i) AS (SELECT 1 "
                                    "UNION ALL SELECT i + 1 FROM n WHERE i < 2000) INSERT INTO "
                                    "filler SELECT randomblob(500) FROM n; UPDATE Thing SET "
                                    "name = 'uncommitted';");
        ASSERT_TRUE(QFile::exists(original + u"-journal"_s));
        ASSERT_TRUE(QFile::copy(original, crashed));
        ASSERT_TRUE(QFile::copy(original + u"-journal"_s, crashed + u"-journal"_s));
    }
    EXPECT_EQ(names(open(u"crashed.store"_s).fetch({kWhen})), QStringList{u"committed"_s});
    EXPECT_TRUE(disk->readOnlyReason().isEmpty());
    disk.reset();
    EXPECT_EQ(teststore::integrityCheck(crashed), u"ok"_s);

    // The WAL cannot be made beside the file (here: something else holds its name).
    ASSERT_TRUE(QDir().mkpath(crashed + u"-wal"_s));
    ModelContext& context = open(u"crashed.store"_s);
    EXPECT_FALSE(disk->readOnlyReason().isEmpty());
    EXPECT_EQ(names(context.fetch({kWhen})), QStringList{u"committed"_s});
    context.insert(make(u"refused"_s, 2));
    const auto saved = context.save();
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().code, StoreError::Code::readOnly);
}
