#include "shared/Inbox/InboxWriter.h"

#include "shared/Inbox/SharedContainer.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Testing.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QThread>
#include <QTimeZone>

namespace {

PendingBookmark entry(const QString& title) {
    return PendingBookmark(*Url::parse(u"https://example.com/page"_s), title, u"About it"_s, {},
                           QDateTime::fromSecsSinceEpoch(1'740'832'496, QTimeZone::utc()));
}

QStringList everyName(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// Each test starts without the shared folder and ends with the isolated data home.
class InboxWriterTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(*sharedcontainer::supportDirectory()).removeRecursively());
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_dataHome); }

    const QByteArray m_dataHome = qgetenv("XDG_DATA_HOME");
};

} // namespace

// Entries of the same second must never replace each other.
TEST_F(InboxWriterTest, EachEntryIsAWholeFileNamedByAFreshUpperCaseUuid) {
    constexpr int kCount = 50;
    for (int i = 0; i < kCount; ++i)
        ASSERT_TRUE(enqueue(entry(QString::number(i))).ok());

    static const QRegularExpression form(
        u"^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\.json$"_s);
    const QString inbox = *sharedcontainer::inboxDirectory();
    QSet<QString> titles;
    for (const QString& name : everyName(inbox)) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(form.match(name).hasMatch());
        const QByteArray bytes = testenv::readFile(QDir(inbox).filePath(name));
        const QString title = decodePendingBookmark(bytes).value().title();
        EXPECT_EQ(bytes, encodePendingBookmark(entry(title)));
        titles.insert(title);
    }
    EXPECT_EQ(titles.size(), kCount);
}

// Qt reports a relative $XDG_DATA_HOME unchanged; taking it would queue the
// entry under the share sheet's working folder, where the app never looks. A
// data home that cannot exist (below a regular file) is still reported by the
// platform; the entry must fail at the write, not land anywhere else.
TEST_F(InboxWriterTest, AnUnusableDataHomeFailsAndNothingLandsElsewhere) {
    const QString workingFolder = testenv::root() + u"/cwd"_s;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir().mkpath(workingFolder) && QDir::setCurrent(workingFolder));
    qputenv("XDG_DATA_HOME", "relative/data");
    const auto relative = enqueue(entry(u"Lost"_s));
    QDir::setCurrent(previous);
    ASSERT_FALSE(relative.ok());
    EXPECT_EQ(relative.error().kind, InboxError::Kind::containerUnavailable);
    EXPECT_EQ(relative.error().domain(), u"Quillan.SharedInbox"_s);
    EXPECT_EQ(relative.error().code(), 1);
    EXPECT_EQ(relative.error().description,
              u"Shared container is unavailable. Verify the App Group entitlement on both targets "
              "(App Store build) or that Application Support is reachable (direct-download / "
              "Setapp builds)."_s);
    EXPECT_TRUE(everyName(workingFolder).isEmpty());

    const QString plainFile = testenv::writeFile(testenv::root() + u"/plain-file"_s, {});
    qputenv("XDG_DATA_HOME", (plainFile + u"/data"_s).toLocal8Bit());
    const auto unreachable = enqueue(entry(u"Lost"_s));
    ASSERT_FALSE(unreachable.ok());
    EXPECT_EQ(unreachable.error().kind, InboxError::Kind::writeFailed);
    EXPECT_EQ(unreachable.error().domain(), QString());
    EXPECT_EQ(unreachable.error().code(), 0);
    EXPECT_FALSE(unreachable.error().description.isEmpty());
    EXPECT_FALSE(QDir(testenv::root() + u"/.local"_s).exists());

    // The share sheet's one diagnostic: the same line also goes to standard
    // error, which is where it can be caught here.
    EXPECT_EQ(testenv::capturedStderr([] {
                  logEnqueueFailure(InboxError{InboxError::Kind::writeFailed, u"Disk full"_s});
              }),
              "Quillan share: enqueue failed: Disk full\n");
}

// A share sheet killed half-way through a save must leave either a whole
// entry or nothing the app would take. Each kill comes the moment an entry
// name shows up, while the next entry is being written: a writer that wrote
// under the final name would be torn then.
TEST_F(InboxWriterTest, AWriterKilledMidWriteLeavesNoTornEntry) {
    const QDir inbox(*sharedcontainer::inboxDirectory());
    const auto entries = [&] { return inbox.entryList({u"*.json"_s}, QDir::Files | QDir::Hidden); };
    int complete = 0;
    for (int run = 0; run < 20; ++run) {
        QProcess child;
        child.start(QStringLiteral(INBOX_WRITER_CHILD), {});
        ASSERT_TRUE(child.waitForStarted(5000) && child.waitForReadyRead(5000));
        const QDeadlineTimer deadline(testenv::kPatience);
        while (entries().isEmpty() && !deadline.hasExpired())
            QThread::usleep(50);
        child.kill();
        ASSERT_TRUE(child.waitForFinished(5000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << "the writer stopped on its own";

        for (const QString& name : entries()) {
            ASSERT_TRUE(decodePendingBookmark(testenv::readFile(inbox.filePath(name))).has_value())
                << "run " << run << ": " << name.toStdString();
            ++complete;
            QFile::remove(inbox.filePath(name));
        }
    }
    // Guards against a child that never got as far as writing.
    EXPECT_GT(complete, 0);
}
