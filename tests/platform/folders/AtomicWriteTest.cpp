#include "platform/Folders/AtomicWrite.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using folders::Durability;
using namespace Qt::StringLiterals;

using testenv::contents;

TEST(AtomicWriteTest, WritesAndReplacesWholeFilesAndLeavesNothingBehind) {
    for (const Durability durability : {Durability::synced, Durability::cached}) {
        SCOPED_TRACE(durability == Durability::synced ? "synced" : "cached");
        QTemporaryDir dir;
        const QString path = dir.filePath(u"entry.json"_s);
        ASSERT_TRUE(folders::writeAtomically(path, "first", durability).ok());
        EXPECT_EQ(contents(path), "first");
        ASSERT_TRUE(folders::writeAtomically(path, "second, longer", durability).ok());
        EXPECT_EQ(contents(path), "second, longer");
        ASSERT_TRUE(folders::writeAtomically(path, {}, durability).ok());
        EXPECT_EQ(contents(path), "");
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{u"entry.json"_s});

        const QString nowhere = dir.filePath(u"missing/entry.json"_s);
        const auto failed = folders::writeAtomically(nowhere, "x", durability);
        ASSERT_FALSE(failed.ok());
        EXPECT_FALSE(failed.error().isEmpty());
        EXPECT_FALSE(QFile::exists(nowhere));
    }
}
