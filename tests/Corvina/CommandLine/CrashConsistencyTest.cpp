// The real `corvina`, killed at the worst moments of a drain, an import and
// a first start: afterwards the store opens, SQLite finds it sound, and no
// page or bookmark was lost or doubled once the command is run again.
#include "CommandLineSupport.h"
#include "tests/support/StoreWriteLock.h"

#include <QElapsedTimer>
#include <QSet>
#include <functional>

namespace {

void expectSoundStore(CorvinaHome& home) {
    if (QFileInfo::exists(home.storeFile())) {
        EXPECT_EQ(teststore::integrityCheck(home.storeFile()), u"ok"_s);
    }
}

bool hasDuplicates(const QStringList& urls) {
    return QSet<QString>(urls.cbegin(), urls.cend()).size() != urls.size();
}

constexpr int kEntries = 60;
constexpr int kBookmarks = 2000;

QStringList entryUrls() {
    QStringList urls;
    for (int i = 0; i < kEntries; ++i)
        urls << u"https://queued%1.example/"_s.arg(i);
    return urls;
}

// One command cut short, then run again.
struct Scenario {
    const char* name;
    std::function<void(CorvinaHome&)> prepare;
    std::function<QStringList(CorvinaHome&)> command;
    std::vector<QByteArray> crashPoints;
    // What must hold right after the cut, and after the command ran again.
    std::function<void(CorvinaHome&)> afterCut, afterRerun;
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

const Scenario kScenarios[] = {
    {"drain",
     [](CorvinaHome& home) {
         home.addKept();
         const QStringList urls = entryUrls();
         for (int i = 0; i < urls.size(); ++i)
             home.queue(urls[i], i);
     },
     [](CorvinaHome&) { return QStringList{u"drain"_s}; },
     {"store.save.beforeCommit", "store.save.afterCommit", "drain.afterCommit",
      "drain.afterRemove@7"},
     [](CorvinaHome& home) {
         // Each entry is still queued or already in the library, once.
         const QStringList library = home.urls(), queued = home.queued();
         for (const QString& url : entryUrls())
             EXPECT_TRUE(library.contains(url) || queued.contains(url))
                 << "lost " << url.toStdString();
         EXPECT_FALSE(hasDuplicates(library));
     },
     [](CorvinaHome& home) {
         const QStringList after = home.urls();
         EXPECT_FALSE(hasDuplicates(after)) << after.join(u' ').toStdString();
         EXPECT_EQ(after.size(), kEntries + 1);
         EXPECT_TRUE(home.queued().isEmpty());
     }},
    {"import",
     [](CorvinaHome& home) {
         home.addKept();
         home.write(u"Bookmarks.html"_s, netscapeFile(kBookmarks));
     },
     [](CorvinaHome& home) {
         return QStringList{u"import"_s, home.dir.filePath(u"Bookmarks.html"_s)};
     },
     {"store.save.beforeCommit", "store.save.afterCommit"},
     [](CorvinaHome& home) {
         const qsizetype imported = home.urls().size() - 1;
         EXPECT_TRUE(imported == 0 || imported == kBookmarks) << imported;
     },
     [](CorvinaHome& home) {
         const QStringList after = home.urls();
         EXPECT_EQ(after.size(), kBookmarks + 1);
         EXPECT_FALSE(hasDuplicates(after));
     }},
    {"firstStart",
     [](CorvinaHome&) {},
     [](CorvinaHome&) {
         return QStringList{u"add"_s,   u"https://first.example/"_s, u"--title"_s,
                            u"First"_s, u"--description"_s,          u"-"_s};
     },
     {"store.migrate.beforeCommit", "store.create.beforeLink", "store.save.beforeCommit"},
     [](CorvinaHome& home) { EXPECT_LE(home.urls().size(), 1); },
     [](CorvinaHome& home) {
         EXPECT_GE(home.urls().size(), 1);
         // Nothing a killed creation left behind stays beside the store.
         const QStringList beside = QDir(QFileInfo(home.storeFile()).path())
                                        .entryList(QDir::Files | QDir::Hidden | QDir::System);
         for (const QString& name : beside)
             EXPECT_TRUE(name.startsWith(u"Quillan.store"_s)) << name.toStdString();
     }},
};

// Where in its run each command is killed, besides the named crash points:
// fractions of how long the whole command takes on this machine, measured
// first, so the kills land inside the work on a fast or a sanitizer build.
const double kFractions[] = {0.35, 0.5, 0.6, 0.7, 0.8, 0.88, 0.95};

} // namespace

class CommandKilledAnywhere : public testing::TestWithParam<Scenario> {};

TEST_P(CommandKilledAnywhere, LosesAndDoublesNothing) {
    const Scenario& scenario = GetParam();
    std::chrono::milliseconds whole{0};
    {
        CorvinaHome home;
        scenario.prepare(home);
        QElapsedTimer clock;
        clock.start();
        const testcorvina::Run uncut = home.run(scenario.command(home));
        whole = std::chrono::milliseconds(clock.elapsed());
        ASSERT_EQ(uncut.exitCode, 0) << uncut.err.toStdString();
    }
    std::vector<testcorvina::Options> cuts;
    for (const QByteArray& point : scenario.crashPoints)
        cuts.emplace_back().crashAt = point;
    for (const double fraction : kFractions)
        cuts.emplace_back().killAfter =
            std::chrono::milliseconds(qint64(double(whole.count()) * fraction));
    for (const testcorvina::Options& cut : cuts) {
        SCOPED_TRACE(cut.crashAt.isEmpty()
                         ? "kill after " + std::to_string(cut.killAfter->count()) + " ms"
                         : "crash at " + cut.crashAt.toStdString());
        CorvinaHome home;
        scenario.prepare(home);
        const testcorvina::Run cutShort = home.run(scenario.command(home), cut);
        if (!cut.crashAt.isEmpty()) {
            EXPECT_EQ(cutShort.exitCode, -2) << "the crash point was not reached";
        }
        expectSoundStore(home);
        scenario.afterCut(home);
        const testcorvina::Run again = home.run(scenario.command(home));
        EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
        expectSoundStore(home);
        scenario.afterRerun(home);
    }
}

INSTANTIATE_TEST_SUITE_P(CrashConsistencyTest, CommandKilledAnywhere, testing::ValuesIn(kScenarios),
                         [](const testing::TestParamInfo<Scenario>& info) {
                             return std::string(info.param.name);
                         });

// Two imports of one file at once: the second sees the first's bookmarks,
// whichever commits first, and the index covers the whole library.
TEST(CrashConsistencyTest, ConcurrentImportsSkipEachOthersBookmarks) {
    CorvinaHome home;
    const QString file = home.write(u"Bookmarks.html"_s, netscapeFile(kBookmarks));
    ASSERT_EQ(home.run({u"list"_s}).exitCode, 0); // the store exists before the race
    testcorvina::Started first(home.path(), {u"import"_s, file});
    testcorvina::Started second(home.path(), {u"import"_s, file});
    const testcorvina::Run a = first.finish();
    const testcorvina::Run b = second.finish();
    ASSERT_EQ(a.exitCode, 0) << a.err.toStdString();
    ASSERT_EQ(b.exitCode, 0) << b.err.toStdString();
    QStringList outputs{QString::fromUtf8(a.out), QString::fromUtf8(b.out)};
    outputs.sort();
    EXPECT_EQ(outputs, (QStringList{u"Added 0 bookmarks. Skipped 2000 duplicates.\n"_s,
                                    u"Added 2000 bookmarks. Skipped 0 duplicates.\n"_s}));
    EXPECT_EQ(home.urls().size(), kBookmarks);
    EXPECT_EQ(QJsonDocument::fromJson(testenv::readFile(home.indexFile())).object().size(),
              kBookmarks);
}
