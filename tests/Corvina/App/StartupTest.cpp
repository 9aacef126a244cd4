#include "AppTestSupport.h"
#include "Corvina/App/CorvinaAppDelegate.h"
#include "Corvina/App/UrlEvents.h"
#include "platform/Notifications/NotificationCenter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ProcessRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The real binary, with its XDG folders inside `home`.
ProcessRun runCorvina(const QString& home, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(CORVINA_BINARY), arguments);
    ProcessRun run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(StartupTest, ListShowsBookmarksMigratedFromTheLegacyFile) {
    QTemporaryDir home;
    const QString folder = home.path() + QStringLiteral("/data/Quillan");
    write(folder + QStringLiteral("/bookmarks.json"), R"([
      {"id":"11111111-1111-1111-1111-111111111111","url":"https://old.example/","title":"Older",
       "description":"","tags":["a"],"createdAt":"2019-01-01T00:00:00Z","updatedAt":"2019-01-01T00:00:00Z"},
      {"id":"22222222-2222-2222-2222-222222222222","url":"https://new.example/","title":"Newer",
       "description":"n","tags":[],"createdAt":"2020-01-01T00:00:00Z","updatedAt":"2020-01-02T00:00:00Z"}])");

    const ProcessRun run =
        runCorvina(home.path(), {QStringLiteral("list"), QStringLiteral("--json")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray listed = QJsonDocument::fromJson(run.out).array();
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed.at(0)[QStringLiteral("title")].toString(), QStringLiteral("Newer"));
    EXPECT_EQ(listed.at(1)[QStringLiteral("id")].toString(),
              QStringLiteral("11111111-1111-1111-1111-111111111111"));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/bookmarks.json.bak")));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/bookmarks.json")));

    // The next start finds the library in the store and nothing to migrate.
    const ProcessRun again = runCorvina(home.path(), {QStringLiteral("list")});
    ASSERT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out.count('\n'), 2);
    EXPECT_TRUE(again.out.startsWith("Newer\thttps://new.example/\t"));
}

TEST(StartupTest, StoreThatIsNotADatabaseStopsStartWithTheMessage) {
    QTemporaryDir home;
    const QString storeFile = home.path() + QStringLiteral("/data/Quillan/Quillan.store");
    const QByteArray garbage = "this is not a database, and it must stay exactly like this\n";
    write(storeFile, garbage);

    for (const QStringList& arguments : {QStringList{}, QStringList{QStringLiteral("list")}}) {
        const ProcessRun run = runCorvina(home.path(), arguments);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_TRUE(run.err.startsWith("Quillan: failed to open SwiftData store — "))
            << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        QFile file(storeFile);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), garbage);
    }
}

TEST(StartupTest, VersionAndUnknownCommand) {
    QTemporaryDir home;
    const ProcessRun version = runCorvina(home.path(), {QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("corvina ")) << version.out.toStdString();
    const ProcessRun unknown =
        runCorvina(home.path(), {QStringLiteral("list"), QStringLiteral("--bogus")});
    EXPECT_EQ(unknown.exitCode, 2);
}

TEST(StartupTest, OpenUrlsCallbackPassesOnlyTheFirstUrl) {
    StartedApp started;
    ASSERT_TRUE(started.app);
    std::vector<PrefillBookmark> prefills;
    QObject context;
    NotificationCenter::defaultCenter().observe(
        QStringLiteral("quillan.prefill.bookmark.requested"), &context,
        [&](const Notification& n) { prefills.push_back(n.object.value<PrefillBookmark>()); });

    CorvinaAppDelegate& delegate = started.app->appDelegate();
    delegate.onOpenURLs({});
    EXPECT_TRUE(prefills.empty());
    delegate.onOpenURLs(
        {*Url::parse(QStringLiteral("corvina://add?url=https%3A%2F%2Ffirst.example&title=One")),
         *Url::parse(QStringLiteral("corvina://add?url=https%3A%2F%2Fsecond.example"))});
    ASSERT_EQ(prefills.size(), 1u);
    EXPECT_EQ(prefills[0],
              (PrefillBookmark{QStringLiteral("https://first.example"), QStringLiteral("One")}));
}
