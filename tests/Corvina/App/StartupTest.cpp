#include "AppTestSupport.h"
#include "Corvina/App/CorvinaAppDelegate.h"
#include "Corvina/App/UrlEvents.h"
#include "platform/Notifications/NotificationCenter.h"
#include "platform/SingleInstance/SingleInstance.h"
#include "tests/support/StoreWriteLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct ProcessRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The real binary's environment, with its XDG folders inside `home`. The
// runtime folder, where the single-instance socket lives, stays this test's.
QProcessEnvironment corvinaEnvironment(const QString& home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

ProcessRun runCorvina(const QString& home, const QStringList& arguments) {
    QProcess process;
    const QProcessEnvironment environment = corvinaEnvironment(home);
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

TEST(StartupTest, AddAndDrainFromTheCommandLine) {
    QTemporaryDir home;
    auto corvina = [&](const QStringList& arguments) { return runCorvina(home.path(), arguments); };
    const ProcessRun added = corvina(
        {QStringLiteral("add"), QStringLiteral("https://example.com/a/"), QStringLiteral("--title"),
         QStringLiteral("Page A"), QStringLiteral("--description"), QStringLiteral("About A"),
         QStringLiteral("--tags"), QStringLiteral(" x , ,y")});
    ASSERT_EQ(added.exitCode, 0) << added.err.toStdString();
    EXPECT_TRUE(added.err.isEmpty()) << added.err.toStdString();

    // The same page under another spelling is added again, with a warning.
    const ProcessRun again =
        corvina({QStringLiteral("add"), QStringLiteral("https://www.example.com/a"),
                 QStringLiteral("--title"), QStringLiteral("Page A again"),
                 QStringLiteral("--description"), QStringLiteral("Again")});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(again.err.contains("already saved as \xE2\x80\x9CPage A\xE2\x80\x9D"))
        << again.err.toStdString();

    for (const QStringList& bad :
         {QStringList{QStringLiteral("add")},
          QStringList{QStringLiteral("add"), QStringLiteral("not an address")},
          QStringList{QStringLiteral("add"), QStringLiteral("https://b.example"),
                      QStringLiteral("--title")},
          QStringList{QStringLiteral("add"), QStringLiteral("https://b.example"),
                      QStringLiteral("https://c.example")}}) {
        EXPECT_EQ(corvina(bad).exitCode, 2) << bad.join(u' ').toStdString();
    }

    // A page queued by the share sheet, as it writes it.
    write(home.path() +
              QStringLiteral("/data/Corvina/inbox/1B4E28BA-2FA1-11D2-883F-0016D3CCA427.json"),
          R"({"url":"https:\/\/queued.example\/","title":"Queued","description":"",)"
          R"("tags":[],"receivedAt":"2025-03-01T12:00:00Z"})");
    const ProcessRun drained = corvina({QStringLiteral("drain")});
    ASSERT_EQ(drained.exitCode, 0) << drained.err.toStdString();
    EXPECT_EQ(drained.out, "Added 1 queued page.\n");
    EXPECT_TRUE(QDir(home.path() + QStringLiteral("/data/Corvina/inbox")).isEmpty());

    const ProcessRun listed = corvina({QStringLiteral("list")});
    ASSERT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, "Page A again\thttps://www.example.com/a\t\n"
                          "Page A\thttps://example.com/a/\tx, y\n"
                          "Queued\thttps://queued.example/\t\n");
    QFile index(home.path() + QStringLiteral("/data/Corvina/duplicate-index.json"));
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    const QByteArray indexed = index.readAll();
    EXPECT_TRUE(indexed.contains(R"("https:\/\/example.com\/a?":"Page A again")"))
        << indexed.toStdString();
}

TEST(StartupTest, ImportExportAndFilteredListFromTheCommandLine) {
    QTemporaryDir home;
    auto corvina = [&](const QStringList& arguments) { return runCorvina(home.path(), arguments); };
    const QString html = home.filePath(QStringLiteral("Bookmarks.html"));
    write(html,
          "<DT><H3>Dev</H3>\n<DL><p>\n"
          "<DT><A HREF=\"https://www.swift.example/x/\" ADD_DATE=\"1600000000\">Swift</A>\n"
          "<DT><A HREF=\"https://swift.example/x\" ADD_DATE=\"1600000001\">Again</A>\n"
          "</DL><p>\n<DT><A HREF=\"https://other.example/\" ADD_DATE=\"1600000002\">Other</A>\n");
    const QString bad = home.filePath(QStringLiteral("bad.json"));
    write(bad, "{\"items\": []}");

    // A failing file among good ones adds nothing.
    const ProcessRun failed = corvina({QStringLiteral("import"), html, bad});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.endsWith("bad.json: Malformed file: Expected an array of bookmarks or "
                                    "{\"bookmarks\": [...]}\n"))
        << failed.err.toStdString();
    EXPECT_TRUE(corvina({QStringLiteral("list")}).out.isEmpty());

    const ProcessRun imported = corvina({QStringLiteral("import"), html});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out, "Added 2 bookmarks. Skipped 1 duplicates.\n");
    EXPECT_EQ(corvina({QStringLiteral("import"), html}).out,
              "Added 0 bookmarks. Skipped 3 duplicates.\n");

    // The JSON backup round trip through a file written whole.
    const QString backup = home.filePath(QStringLiteral("backup.json"));
    ASSERT_EQ(corvina({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("json"),
                       backup})
                  .exitCode,
              0);
    EXPECT_EQ(corvina({QStringLiteral("import"), QStringLiteral("--all"), backup}).out,
              "Added 2 bookmarks.\n");
    const ProcessRun exported =
        corvina({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("html")});
    EXPECT_TRUE(exported.out.startsWith("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"));
    EXPECT_EQ(exported.out.count("TAGS=\"Dev\">Swift</A>"), 2);

    EXPECT_EQ(
        corvina({QStringLiteral("list"), QStringLiteral("--search"), QStringLiteral(" SWIFT "),
                 QStringLiteral("--tag"), QStringLiteral("Dev")})
            .out,
        "Swift\thttps://www.swift.example/x/\tDev\nSwift\thttps://www.swift.example/x/\tDev\n");
    EXPECT_TRUE(corvina({QStringLiteral("list"), QStringLiteral("--tag"), QStringLiteral("dev")})
                    .out.isEmpty());
    for (const QStringList& wrong :
         {QStringList{QStringLiteral("import")},
          QStringList{QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("xml")},
          QStringList{QStringLiteral("list"), QStringLiteral("--search")}})
        EXPECT_EQ(corvina(wrong).exitCode, 2) << wrong.join(u' ').toStdString();
}

// A second start hands its links to the running Corvina over the local
// socket and exits at once; the running one acts on them.
TEST(StartupTest, ASecondStartHandsItsLinksToTheRunningInstance) {
    QTemporaryDir home;
    QProcess running;
    QProcessEnvironment environment = corvinaEnvironment(home.path());
    environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                       QStringLiteral("corvina.urlevents.debug=true"));
    running.setProcessEnvironment(environment);
    running.start(QStringLiteral(CORVINA_BINARY), {});
    ASSERT_TRUE(running.waitForStarted());
    const auto stop = qScopeGuard([&] {
        running.kill();
        running.waitForFinished();
    });
    // Ready once it answers (an empty hand-off only brings it to the front);
    // a link sent before would start a second instance instead.
    const QString socket = SingleInstance::serverName(QStringLiteral("corvina"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return SingleInstance::handOff(socket, {}); }, 20000));

    QByteArray log;
    const auto logged = [&](const QByteArray& line) {
        return QTest::qWaitFor(
            [&] {
                running.waitForReadyRead(50);
                log += running.readAllStandardError();
                return log.contains(line);
            },
            10000);
    };
    struct Case {
        const char* link;
        QByteArray expected;
    };
    const Case cases[] = {
        {"corvina://add?url=https%3A%2F%2Fexample.org%2Fa%3Fb%3D1&title=Caf%C3%A9",
         "add sheet for https://example.org/a?b=1 titled Caf\xc3\xa9"},
        {"corvina://remove?url=https%3A%2F%2Fexample.org%2F", "ignored: not an add link"},
        {"corvina://add?title=Only%20a%20title", "ignored: no url"},
    };
    for (const Case& c : cases) {
        const ProcessRun second = runCorvina(home.path(), {QString::fromUtf8(c.link)});
        EXPECT_EQ(second.exitCode, 0) << c.link << second.err.constData();
        EXPECT_TRUE(logged(c.expected)) << c.link << "\n" << log.constData();
    }
    EXPECT_EQ(running.state(), QProcess::Running);
}

// Another program holds the store's write lock through the whole import:
// nothing is added, and the duplicate index Dropslip reads does not claim
// the refused bookmarks.
TEST(StartupTest, ImportTheStoreRefusesAddsNothingAndLeavesNoIndexOfIt) {
    QTemporaryDir home;
    auto corvina = [&](const QStringList& arguments) { return runCorvina(home.path(), arguments); };
    ASSERT_EQ(corvina({QStringLiteral("add"), QStringLiteral("https://kept.example/"),
                       QStringLiteral("--title"), QStringLiteral("Kept"),
                       QStringLiteral("--description"), QString()})
                  .exitCode,
              0);
    const QString html = home.filePath(QStringLiteral("Bookmarks.html"));
    write(html, "<DT><A HREF=\"https://refused.example/\" ADD_DATE=\"1600000000\">Refused</A>\n");

    {
        teststore::StoreWriteLock lock(home.path() + QStringLiteral("/data/Quillan/Quillan.store"));
        const ProcessRun refused = corvina({QStringLiteral("import"), html});
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.err.endsWith("the bookmarks could not be saved\n"))
            << refused.err.toStdString();
    }
    EXPECT_EQ(corvina({QStringLiteral("list")}).out, "Kept\thttps://kept.example/\t\n");
    QFile index(home.path() + QStringLiteral("/data/Corvina/duplicate-index.json"));
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    const QByteArray indexed = index.readAll();
    EXPECT_TRUE(indexed.contains("kept.example")) << indexed.toStdString();
    EXPECT_FALSE(indexed.contains("refused.example")) << indexed.toStdString();
}
