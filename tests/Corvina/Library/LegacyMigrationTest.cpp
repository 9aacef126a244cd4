#include "Corvina/Library/LegacyMigration.h"

#include "Corvina/Library/Bookmark.h"
#include "platform/Store/ModelContainer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using library::LegacyMigrationOutcome;

namespace {

const char* kTwoBookmarks = R"([
  {"id":"11111111-1111-1111-1111-111111111111","url":"https://a.example/","title":"A",
   "description":"first","tags":["x","y"],"createdAt":"2020-01-01T00:00:00Z","updatedAt":"2021-01-01T00:00:00Z"},
  {"id":"22222222-2222-2222-2222-222222222222","url":"https://b.example/","title":"B",
   "description":"","tags":[],"createdAt":"2020-02-01T00:00:00Z","updatedAt":"2020-02-01T00:00:00Z"}
])";

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(LegacyMigrationTest, Cases) {
    const struct {
        const char* name;
        const char* legacy;       // file contents; nullptr: a folder stands in the way (unreadable)
        const char* backupBefore; // existing backup, or nullptr
        LegacyMigrationOutcome outcome;
        int inserted;
    } cases[] = {
        {"two bookmarks", kTwoBookmarks, nullptr, LegacyMigrationOutcome::migrated, 2},
        {"empty array is still moved", "[]", nullptr, LegacyMigrationOutcome::migrated, 0},
        {"existing backup replaced", "[]", "old backup", LegacyMigrationOutcome::migrated, 0},
        {"missing key", R"([{"id":"11111111-1111-1111-1111-111111111111","url":"https://a.example/",
            "title":"A","description":"","tags":[],"createdAt":"2020-01-01T00:00:00Z"}])",
         nullptr, LegacyMigrationOutcome::undecodable, 0},
        {"bad json", "[{", nullptr, LegacyMigrationOutcome::undecodable, 0},
        {"object instead of array", "{}", nullptr, LegacyMigrationOutcome::undecodable, 0},
        {"unreadable", nullptr, nullptr, LegacyMigrationOutcome::unreadable, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        const QString legacy = folder.filePath(QStringLiteral("bookmarks.json"));
        const QString backup = legacy + QStringLiteral(".bak");
        if (c.legacy)
            write(legacy, c.legacy);
        else
            QDir().mkpath(legacy);
        if (c.backupBefore)
            write(backup, c.backupBefore);

        auto container = store::ModelContainer::openInMemory(Bookmark::schema());
        ASSERT_TRUE(container.ok());
        store::ModelContext& context = container.value()->mainContext();
        const auto report = library::migrateLegacyBookmarks(context, folder.path());

        EXPECT_EQ(report.outcome, c.outcome);
        EXPECT_EQ(report.inserted, c.inserted);
        EXPECT_EQ(context.count(), c.inserted);
        EXPECT_FALSE(context.hasChanges());
        if (c.outcome == LegacyMigrationOutcome::migrated) {
            EXPECT_FALSE(QFile::exists(legacy));
            EXPECT_EQ(read(backup), QByteArray(c.legacy));
        } else {
            EXPECT_TRUE(QFileInfo::exists(legacy));
            if (c.legacy) {
                EXPECT_EQ(read(legacy), QByteArray(c.legacy));
            }
            EXPECT_EQ(QFile::exists(backup), c.backupBefore != nullptr);
        }
    }
}

TEST(LegacyMigrationTest, CarriesIdsAndDates) {
    QTemporaryDir folder;
    write(folder.filePath(QStringLiteral("bookmarks.json")), kTwoBookmarks);
    auto container = store::ModelContainer::openInMemory(Bookmark::schema());
    ASSERT_TRUE(container.ok());
    store::ModelContext& context = container.value()->mainContext();
    library::migrateLegacyBookmarks(context, folder.path());

    const auto objects = context.fetch({Bookmark::kCreatedAt, Qt::AscendingOrder});
    ASSERT_EQ(objects.size(), 2u);
    const Bookmark first(objects[0]);
    EXPECT_EQ(first.id(),
              QUuid::fromString(QStringLiteral("11111111-1111-1111-1111-111111111111")));
    EXPECT_EQ(first.note(), QStringLiteral("first"));
    EXPECT_EQ(first.tags(), (QStringList{QStringLiteral("x"), QStringLiteral("y")}));
    EXPECT_EQ(first.updatedAt(), QDateTime(QDate(2021, 1, 1), QTime(0, 0), QTimeZone::utc()));
}

// A start killed after its save but before the move finds the file again:
// it must move it without importing it a second time.
TEST(LegacyMigrationTest, RerunAfterInterruptedMoveImportsNothingTwice) {
    QTemporaryDir folder;
    const QString legacy = folder.filePath(QStringLiteral("bookmarks.json"));
    write(legacy, kTwoBookmarks);
    auto container = store::ModelContainer::openInMemory(Bookmark::schema());
    ASSERT_TRUE(container.ok());
    store::ModelContext& context = container.value()->mainContext();
    library::migrateLegacyBookmarks(context, folder.path());
    ASSERT_TRUE(QFile::rename(legacy + QStringLiteral(".bak"), legacy));

    const auto again = library::migrateLegacyBookmarks(context, folder.path());
    EXPECT_EQ(again.outcome, LegacyMigrationOutcome::migrated);
    EXPECT_EQ(again.inserted, 0);
    EXPECT_EQ(again.alreadyPresent, 2);
    EXPECT_EQ(context.count(), 2);
    EXPECT_FALSE(QFile::exists(legacy));
}

TEST(LegacyMigrationTest, NoFolderOrNoFileDoesNothing) {
    auto container = store::ModelContainer::openInMemory(Bookmark::schema());
    ASSERT_TRUE(container.ok());
    store::ModelContext& context = container.value()->mainContext();
    EXPECT_EQ(library::migrateLegacyBookmarks(context, std::nullopt).outcome,
              LegacyMigrationOutcome::noFile);
    QTemporaryDir empty;
    EXPECT_EQ(library::migrateLegacyBookmarks(context, empty.path()).outcome,
              LegacyMigrationOutcome::noFile);
}
