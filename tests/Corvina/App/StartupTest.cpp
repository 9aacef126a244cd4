#include "AppTestSupport.h"
#include "Corvina/App/ContentView.h"
#include "Corvina/App/CorvinaAppDelegate.h"
#include "Corvina/App/UrlEvents.h"
#include "platform/Notifications/NotificationCenter.h"
#include "platform/SingleInstance/SingleInstance.h"
#include "tests/support/CorvinaProcess.h"

#include <QProcess>
#include <QScopeGuard>

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

// A second start hands its links to the running Corvina over the local
// socket and exits at once; the running one acts on them.
TEST(StartupTest, ASecondStartHandsItsLinksToTheRunningInstance) {
    QTemporaryDir home;
    QProcess running;
    QProcessEnvironment environment = testcorvina::environment(home.path());
    environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                       QStringLiteral("corvina.urlevents.debug=true"));
    running.setProcessEnvironment(environment);
    running.start(testcorvina::binary(), {});
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
    const struct {
        const char* link;
        QByteArray expected;
    } cases[] = {
        {"corvina://add?url=https%3A%2F%2Fexample.org%2Fa%3Fb%3D1&title=Caf%C3%A9",
         "add sheet for https://example.org/a?b=1 titled Caf\xc3\xa9"},
        {"corvina://remove?url=https%3A%2F%2Fexample.org%2F", "ignored: not an add link"},
        {"corvina://add?title=Only%20a%20title", "ignored: no url"},
    };
    for (const auto& c : cases) {
        const testcorvina::Run second = testcorvina::run(home.path(), {QString::fromUtf8(c.link)});
        EXPECT_EQ(second.exitCode, 0) << c.link << second.err.constData();
        EXPECT_TRUE(logged(c.expected)) << c.link << "\n" << log.constData();
    }
    EXPECT_EQ(running.state(), QProcess::Running);
}

// An open window shows what another process (a `corvina` command here) adds
// to the library, without anyone asking it to look.
TEST(StartupTest, AnOpenWindowShowsWhatACommandAdds) {
    QTemporaryDir home; // the command's store: data/Quillan/Quillan.store
    const QString store = home.filePath(u"data/Quillan/Quillan.store"_s);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(store).path()));
    auto started = QuillanApp::start(AppLocations{store, home.path(), false});
    ASSERT_TRUE(started.ok());
    const std::unique_ptr<QuillanApp> app = std::move(started).value();
    BookmarkListModel& list = app->openWindow()->content()->model();
    const testcorvina::Run added =
        testcorvina::run(home.path(), {u"add"_s, u"https://added.example/"_s, u"--title"_s,
                                       u"Added"_s, u"--description"_s, u"-"_s});
    ASSERT_EQ(added.exitCode, 0) << added.err.constData();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return list.rowCount() == 1 && list.index(0).data() == u"Added"_s; },
                        testenv::kPatience));
}
