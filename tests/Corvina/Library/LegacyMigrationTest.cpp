#include "Corvina/Library/LegacyMigration.h"

#include "tests/support/TestLibrary.h"
#include "tests/support/Testing.h"

#include <QTimeZone>

using library::LegacyMigrationOutcome;
using testenv::readFile;
using testenv::writeFile;

namespace {

const char* kTwoBookmarks = R"([
  {"id":"11111111-1111-1111-1111-111111111111","url":"https://a.example/","title":"A",
   "description":"first","tags":["x","y"],"createdAt":"2020-01-01T00:00:00Z","updatedAt":"2021-01-01T00:00:00Z"},
  {"id":"22222222-2222-2222-2222-222222222222","url":"https://b.example/","title":"B",
   "description":"","tags":[],"createdAt":"2020-02-01T00:00:00Z","updatedAt":"2020-02-01T00:00:00Z"}
])";

// A legacy folder and an empty library to migrate it into.
struct LegacySetup {
    library::LegacyMigrationReport migrate() {
        return library::migrateLegacyBookmarks(context, folder.path());
    }

    QTemporaryDir folder;
    const QString legacy = folder.filePath(u"bookmarks.json"_s);
    const QString backup = legacy + u".bak"_s;
    TestLibrary lib;
    store::ModelContext& context = lib.context();
};

class LegacyMigrationTest : public testing::Test, protected LegacySetup {};

} // namespace

TEST(LegacyMigrationCases, EachKindOfLegacyFile) {
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
        LegacySetup fresh;
        const QString &legacy = fresh.legacy, &backup = fresh.backup;
        if (c.legacy)
            writeFile(legacy, c.legacy);
        else
            QDir().mkpath(legacy);
        if (c.backupBefore)
            writeFile(backup, c.backupBefore);

        const auto report = fresh.migrate();
        EXPECT_EQ(report.outcome, c.outcome);
        EXPECT_EQ(report.inserted, c.inserted);
        EXPECT_EQ(fresh.context.count(), c.inserted);
        EXPECT_FALSE(fresh.context.hasChanges());
        if (c.outcome == LegacyMigrationOutcome::migrated) {
            EXPECT_FALSE(QFile::exists(legacy));
            EXPECT_EQ(readFile(backup), QByteArray(c.legacy));
        } else {
            EXPECT_TRUE(QFileInfo::exists(legacy));
            if (c.legacy) {
                EXPECT_EQ(readFile(legacy), QByteArray(c.legacy));
            }
            EXPECT_EQ(QFile::exists(backup), c.backupBefore != nullptr);
        }
    }
}

// Ids, notes, tags and dates come across; and a start killed after its save
// but before the move finds the file again: it must move it without
// importing it a second time.
TEST_F(LegacyMigrationTest, CarriesIdsAndDatesAndARerunImportsNothingTwice) {
    EXPECT_EQ(library::migrateLegacyBookmarks(context, std::nullopt).outcome,
              LegacyMigrationOutcome::noFile);
    EXPECT_EQ(migrate().outcome, LegacyMigrationOutcome::noFile);
    writeFile(legacy, kTwoBookmarks);
    migrate();
    const auto objects = context.fetch({Bookmark::kCreatedAt, Qt::AscendingOrder});
    ASSERT_EQ(objects.size(), 2u);
    const Bookmark first(objects[0]);
    EXPECT_EQ(first.id(), QUuid::fromString(u"11111111-1111-1111-1111-111111111111"_s));
    EXPECT_EQ(first.note(), u"first"_s);
    EXPECT_EQ(first.tags(), (QStringList{u"x"_s, u"y"_s}));
    EXPECT_EQ(first.updatedAt(), QDateTime(QDate(2021, 1, 1), QTime(0, 0), QTimeZone::utc()));

    ASSERT_TRUE(QFile::rename(backup, legacy));
    const auto again = migrate();
    EXPECT_EQ(again.outcome, LegacyMigrationOutcome::migrated);
    EXPECT_EQ(again.inserted, 0);
    EXPECT_EQ(again.alreadyPresent, 2);
    EXPECT_EQ(context.count(), 2);
    EXPECT_FALSE(QFile::exists(legacy));
}
