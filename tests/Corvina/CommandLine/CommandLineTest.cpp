// The `corvina` command line, run as the real binary: what each command adds,
// skips and prints, and that it says so, with a non-zero exit, whenever what
// it reports did not happen.
#include "CommandLineSupport.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/StoreWriteLock.h"
#include "tests/support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QProcess>
#include <sys/stat.h>

using testenv::contents;

TEST(CommandLineTest, AddAndDrain) {
    CorvinaHome home;
    const testcorvina::Run added =
        home.run({u"add"_s, u"https://example.com/a/"_s, u"--title"_s, u"Page A"_s,
                  u"--description"_s, u"About A"_s, u"--tags"_s, u" x , ,y"_s});
    ASSERT_EQ(added.exitCode, 0) << added.err.toStdString();
    EXPECT_TRUE(added.err.isEmpty()) << added.err.toStdString();

    // The same page under another spelling is added again, with a warning.
    const testcorvina::Run again = home.run({u"add"_s, u"https://www.example.com/a"_s, u"--title"_s,
                                             u"Page A again"_s, u"--description"_s, u"Again"_s});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(again.err.contains("already saved as \xE2\x80\x9CPage A\xE2\x80\x9D"))
        << again.err.toStdString();

    // Usage errors, the arguments separated by "|".
    for (const char* bad :
         {"add", "add|not an address", "add|https://b.example|--title",
          "add|https://b.example|https://c.example", "add|https://b.example|--timeout|soon",
          "import", "export|--format|xml", "list|--search", "list|--bogus", "drain|--all"})
        EXPECT_EQ(home.run(QString::fromUtf8(bad).split(u'|')).exitCode, 2) << bad;
    EXPECT_TRUE(home.run({u"--version"_s}).out.startsWith("corvina "));

    home.queue(u"https://queued.example/"_s, 1);
    const testcorvina::Run drained = home.run({u"drain"_s});
    ASSERT_EQ(drained.exitCode, 0) << drained.err.toStdString();
    EXPECT_EQ(drained.out, "Added 1 queued page.\n");
    EXPECT_TRUE(QDir(home.inbox()).isEmpty());

    const testcorvina::Run listed = home.run({u"list"_s});
    ASSERT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, "Page A again\thttps://www.example.com/a\t\n"
                          "Page A\thttps://example.com/a/\tx, y\n"
                          "https://queued.example/\thttps://queued.example/\t\n");
    const QByteArray indexed = contents(home.indexFile());
    EXPECT_TRUE(indexed.contains(R"("https:\/\/example.com\/a?":"Page A again")"))
        << indexed.toStdString();
}

TEST(CommandLineTest, ListShowsBookmarksMigratedFromTheLegacyFile) {
    CorvinaHome home;
    home.write(u"data/Quillan/bookmarks.json"_s, R"([
      {"id":"11111111-1111-1111-1111-111111111111","url":"https://old.example/","title":"Older",
       "description":"","tags":["a"],"createdAt":"2019-01-01T00:00:00Z","updatedAt":"2019-01-01T00:00:00Z"},
      {"id":"22222222-2222-2222-2222-222222222222","url":"https://new.example/","title":"Newer",
       "description":"n","tags":[],"createdAt":"2020-01-01T00:00:00Z","updatedAt":"2020-01-02T00:00:00Z"}])");
    const testcorvina::Run run = home.run({u"list"_s, u"--json"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray listed = QJsonDocument::fromJson(run.out).array();
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed.at(0)[u"title"_s].toString(), u"Newer"_s);
    EXPECT_EQ(listed.at(1)[u"id"_s].toString(), u"11111111-1111-1111-1111-111111111111"_s);
    EXPECT_TRUE(QFile::exists(home.dir.filePath(u"data/Quillan/bookmarks.json.bak"_s)));
    EXPECT_FALSE(QFile::exists(home.dir.filePath(u"data/Quillan/bookmarks.json"_s)));
    // The next start finds the library in the store and nothing to migrate.
    const testcorvina::Run again = home.run({u"list"_s});
    EXPECT_EQ(again.out.count('\n'), 2);
    EXPECT_TRUE(again.out.startsWith("Newer\thttps://new.example/\t"));
}

TEST(CommandLineTest, AStoreThatIsNotADatabaseStopsStartAndStaysAsItWas) {
    CorvinaHome home;
    const QByteArray garbage = "this is not a database, and it must stay exactly like this\n";
    home.write(u"data/Quillan/Quillan.store"_s, garbage);
    for (const QStringList& arguments : {QStringList{}, QStringList{u"list"_s}}) {
        const testcorvina::Run run = home.run(arguments);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_TRUE(run.err.startsWith("Quillan: failed to open SwiftData store — "))
            << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_EQ(contents(home.storeFile()), garbage);
    }
}

TEST(CommandLineTest, ImportExportAndFilteredList) {
    CorvinaHome home;
    const QString html = home.write(
        u"Bookmarks.html"_s,
        "<DT><H3>Dev</H3>\n<DL><p>\n"
        "<DT><A HREF=\"https://www.swift.example/x/\" ADD_DATE=\"1600000000\">Swift</A>\n"
        "<DT><A HREF=\"https://swift.example/x\" ADD_DATE=\"1600000001\">Again</A>\n"
        "</DL><p>\n<DT><A HREF=\"https://other.example/\" ADD_DATE=\"1600000002\">"
        "Other</A>\n");
    // A failing file among good ones adds nothing.
    const testcorvina::Run failed =
        home.run({u"import"_s, html, home.write(u"bad.json"_s, "{\"items\": []}")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.endsWith("bad.json: Malformed file: Expected an array of bookmarks or "
                                    "{\"bookmarks\": [...]}\n"))
        << failed.err.toStdString();
    EXPECT_TRUE(home.run({u"list"_s}).out.isEmpty());

    const testcorvina::Run imported = home.run({u"import"_s, html});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out, "Added 2 bookmarks. Skipped 1 duplicates.\n");
    EXPECT_EQ(home.run({u"import"_s, html}).out, "Added 0 bookmarks. Skipped 3 duplicates.\n");

    // The JSON backup round trip through a file written whole.
    const QString backup = home.dir.filePath(u"backup.json"_s);
    ASSERT_EQ(home.run({u"export"_s, u"--format"_s, u"json"_s, backup}).exitCode, 0);
    EXPECT_EQ(home.run({u"import"_s, u"--all"_s, backup}).out, "Added 2 bookmarks.\n");
    const testcorvina::Run exported = home.run({u"export"_s, u"--format"_s, u"html"_s});
    EXPECT_TRUE(exported.out.startsWith("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"));
    EXPECT_EQ(exported.out.count("TAGS=\"Dev\">Swift</A>"), 2);

    EXPECT_EQ(
        home.run({u"list"_s, u"--search"_s, u" SWIFT "_s, u"--tag"_s, u"Dev"_s}).out,
        "Swift\thttps://www.swift.example/x/\tDev\nSwift\thttps://www.swift.example/x/\tDev\n");
    EXPECT_TRUE(home.run({u"list"_s, u"--tag"_s, u"dev"_s}).out.isEmpty());
}

// Output that did not all arrive is a failure: a full disk (/dev/full, a file
// size limit), a closed descriptor. An export to a file is whole or absent.
TEST(CommandLineTest, OutputThatDoesNotArriveWholeFails) {
    CorvinaHome home;
    ASSERT_EQ(home.run({u"import"_s, home.write(u"Bookmarks.html"_s, netscapeFile(2000))}).exitCode,
              0);
    const QString previous = home.write(u"previous.json"_s, "the last backup");
    const testcorvina::Options toFull{.standardOutputFile = u"/dev/full"_s};
    // The library's export is far larger than this.
    const testcorvina::Options limited{.fileSizeLimit = 64 * 1024};
    const struct {
        QStringList arguments;
        testcorvina::Options options;
        const char* error;
    } cases[] = {
        {{u"list"_s}, toFull, "No space left on device"},
        {{u"list"_s, u"--json"_s}, toFull, "No space left on device"},
        {{u"export"_s, u"--format"_s, u"html"_s}, toFull, "No space left on device"},
        {{u"export"_s, u"--format"_s, u"json"_s, u"/dev/full"_s}, {}, "No space left on device"},
        {{u"export"_s, u"--format"_s, u"json"_s, previous}, limited, "File too large"},
        {{u"export"_s, u"--format"_s, u"html"_s},
         {.standardOutputFile = home.dir.filePath(u"cut.html"_s), .fileSizeLimit = 64 * 1024},
         "File too large"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const testcorvina::Run run = home.run(c.arguments, c.options);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(c.error)) << run.err.toStdString();
    }
    EXPECT_EQ(contents(previous), "the last backup");
    struct stat device {};
    ASSERT_EQ(::stat("/dev/full", &device), 0);
    EXPECT_TRUE(S_ISCHR(device.st_mode)) << "a device is written to, never replaced";

    // A closed standard output: the message says so, nothing lands in the store.
    const QByteArray shell = "exec \"$0\" list >&-";
    QProcess process;
    process.setProcessEnvironment(testcorvina::environment(home.path()));
    process.start(u"/bin/sh"_s, {u"-c"_s, QString::fromLatin1(shell), testcorvina::binary()});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("Bad file descriptor"));
    EXPECT_EQ(teststore::integrityCheck(home.storeFile()), u"ok"_s);
    EXPECT_EQ(home.urls().size(), 2000);
}

// Another program holds the store's write lock past the command's patience:
// nothing is added, queued pages stay queued, and the duplicate index
// Dropslip reads claims nothing that was refused.
TEST(CommandLineTest, AStoreLockedByAnotherProgramFailsAndKeepsEverything) {
    CorvinaHome home;
    home.addKept();
    const QString refused = home.write(u"Bookmarks.html"_s, netscapeFile(3, "refused"));
    for (int i = 0; i < 3; ++i)
        home.queue(u"https://queued%1.example/"_s.arg(i), i);
    {
        teststore::StoreWriteLock lock(home.storeFile());
        // Both wait for the lock at the same time.
        testcorvina::Started importing(home.path(), {u"import"_s, refused});
        const testcorvina::Run drained = home.run({u"drain"_s});
        const testcorvina::Run imported = importing.finish();
        EXPECT_EQ(drained.exitCode, 1);
        EXPECT_TRUE(drained.err.contains("could not be saved, and stay queued: another program "
                                         "is writing to the library"))
            << drained.err.toStdString();
        EXPECT_EQ(imported.exitCode, 1);
        EXPECT_TRUE(imported.err.contains("the bookmarks could not be saved"))
            << imported.err.toStdString();
    }
    EXPECT_EQ(home.urls(), QStringList{u"https://kept.example/"_s});
    EXPECT_EQ(home.queued().size(), 3);
    const QByteArray indexed = contents(home.indexFile());
    EXPECT_TRUE(indexed.contains("kept.example")) << indexed.toStdString();
    EXPECT_FALSE(indexed.contains("refused")) << indexed.toStdString();

    EXPECT_EQ(home.run({u"drain"_s}).out, "Added 3 queued pages.\n");
    EXPECT_TRUE(home.queued().isEmpty());
}

// Only regular files are read: a FIFO or a device named like an entry or a
// bookmark file is left alone and reported, and nothing waits on it.
TEST(CommandLineTest, SpecialFilesAreLeftAloneWithoutWaiting) {
    CorvinaHome home;
    home.queue(u"https://queued.example/"_s, 1);
    const QString fifo = QDir(home.inbox()).filePath(u"fifo.json"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(u"/dev/zero"_s, QDir(home.inbox()).filePath(u"zero.json"_s)));
    ASSERT_TRUE(QDir().mkpath(QDir(home.inbox()).filePath(u"folder.json"_s)));
    const testcorvina::Run drained = home.run({u"drain"_s}, {.timeout = 20s});
    EXPECT_EQ(drained.exitCode, 0) << drained.err.toStdString();
    EXPECT_EQ(drained.out, "Added 1 queued page.\n");
    EXPECT_TRUE(drained.err.contains("left fifo.json in the inbox")) << drained.err.toStdString();
    EXPECT_TRUE(drained.err.contains("left zero.json in the inbox")) << drained.err.toStdString();
    EXPECT_TRUE(QFileInfo(fifo).exists());

    const QString pipe = home.dir.filePath(u"Bookmarks.html"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString zero = home.dir.filePath(u"backup.json"_s);
    ASSERT_TRUE(QFile::link(u"/dev/zero"_s, zero));
    for (const QString& file : {pipe, zero}) {
        const testcorvina::Run imported = home.run({u"import"_s, file});
        EXPECT_EQ(imported.exitCode, 1) << file.toStdString();
        EXPECT_TRUE(imported.err.contains("Not a regular file")) << imported.err.toStdString();
    }
}

// A page that trickles in a byte at a time cannot hold `add`: it gives up
// at its deadline, says so, and saves what the user gave.
TEST(CommandLineTest, AddGivesUpOnASlowPageAtItsDeadline) {
    testhttp::LocalHttpServer server;
    ASSERT_TRUE(server.isListening());
    server.route(u"/slow"_s, testhttp::Response::text(200, QByteArray(4096, 'x')),
                 {.delivery = testhttp::Delivery::trickle, .interval = 500ms});
    CorvinaHome home;
    QElapsedTimer clock;
    clock.start();
    const testcorvina::Run added =
        home.run({u"add"_s, server.url(u"/slow"), u"--timeout"_s, u"1"_s});
    EXPECT_LT(clock.elapsed(), 20'000);
    EXPECT_EQ(added.exitCode, 0) << added.err.toStdString();
    EXPECT_TRUE(added.err.contains("did not answer within 1 s")) << added.err.toStdString();
    EXPECT_EQ(home.urls(), QStringList{server.url(u"/slow")});
}
