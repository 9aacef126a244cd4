// The work a library window starts: pages queued by the share sheet end up in
// the library, the inbox is emptied, and the share sheet's duplicate index
// learns about them, both when the first window appears and when the
// application comes back to the front.
#include "AppTestSupport.h"
#include "platform/Store/ModelContainer.h"
#include "platform/Widgets/Alert.h"
#include "shared/Duplicates/DuplicateIndex.h"
#include "shared/Inbox/InboxWriter.h"
#include "shared/Inbox/SharedContainer.h"
#include "tests/support/StoreWriteLock.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTimeZone>
#include <QTimer>

namespace {

Url url(const QString& text) {
    return *Url::parse(text);
}

void queue(const QString& address, const QString& title) {
    const PendingBookmark entry(url(address), title, u"queued"_s, {u"later"_s},
                                QDateTime(QDate(2025, 3, 1), QTime(12, 0), QTimeZone::utc()));
    ASSERT_TRUE(enqueue(entry).ok());
}

qsizetype queuedFiles() {
    const std::optional<QString> inbox = sharedcontainer::inboxDirectory();
    return inbox ? QDir(*inbox).entryList({u"*.json"_s}, QDir::Files).size() : -1;
}

} // namespace

TEST(WindowWorkTest, FirstWindowAndActivationDrainTheInboxAndRefreshTheIndex) {
    StartedApp started;
    ASSERT_TRUE(started.app);
    store::ModelContext& context = started.app->container().mainContext();
    queue(u"https://www.example.com/a/"_s, u"First page"_s);
    queue(u"https://example.org/b"_s, u"Second page"_s);
    ASSERT_EQ(queuedFiles(), 2);

    LibraryWindow* window = started.app->openWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(QTest::qWaitFor([&] { return context.count() == 2; }, 5000));
    EXPECT_EQ(queuedFiles(), 0);
    EXPECT_FALSE(context.hasChanges());
    // The index is written in the background; the share sheet's lookup
    // ignores "www." and the final slash.
    EXPECT_TRUE(QTest::qWaitFor(
        [] { return lookUpDuplicate(url(u"https://example.com/a"_s)) == u"First page"_s; }, 5000));

    queue(u"https://example.net/c"_s, u"Third page"_s);
    Q_EMIT window->activationWorkRequested();
    EXPECT_TRUE(QTest::qWaitFor([&] { return context.count() == 3; }, 5000));
    EXPECT_EQ(queuedFiles(), 0);
    EXPECT_TRUE(QTest::qWaitFor(
        [] { return lookUpDuplicate(url(u"https://example.net/c"_s)) == u"Third page"_s; }, 5000));
}

namespace {
// Answers the next modal question with the button labelled `answer`, after
// `before`, and keeps its text.
void answerNextQuestion(const QString& answer, QString* question,
                        std::function<void()> before = {}) {
    QTimer::singleShot(20, [answer, question, before] {
        auto* box = qobject_cast<Alert*>(QApplication::activeModalWidget());
        if (!box) {
            answerNextQuestion(answer, question, before);
            return;
        }
        *question = box->text() + u'\n' + box->informativeText();
        if (before)
            before();
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == answer)
                button->click();
        }
    });
}
} // namespace

// Changes the store would not take are never dropped without the user's
// word: the window says it keeps trying, and closing the last window asks.
TEST(WindowWorkTest, UnsavedChangesAreKeptUntilSavedOrTheUserDropsThem) {
    StartedApp started;
    ASSERT_TRUE(started.app);
    LibraryWindow* window = started.app->openWindow();
    const QPointer<LibraryWindow> alive(window);
    store::ModelContext& context = started.app->container().mainContext();
    auto lock =
        std::make_unique<teststore::StoreWriteLock>(started.folder.filePath(u"Quillan.store"_s));
    context.insert(Bookmark(QUuid::createUuid(), url(u"https://unsaved.example"_s), u"Unsaved"_s,
                            {}, {}, QDateTime::currentDateTimeUtc())
                       .object());
    ASSERT_FALSE(context.save());
    auto* status = window->findChild<QLabel*>(u"saveStatus"_s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(QTest::qWaitFor([&] { return status->isVisible(); }, 10'000));
    EXPECT_TRUE(status->text().contains(u"keeps trying"_s)) << status->text().toStdString();

    QString question;
    answerNextQuestion(u"Cancel"_s, &question);
    window->close();
    EXPECT_TRUE(alive && window->isVisible()) << "kept open";
    EXPECT_TRUE(question.contains(u"1 change to the library could not be saved"_s))
        << question.toStdString();
    EXPECT_TRUE(context.hasChanges());

    answerNextQuestion(u"Try Again"_s, &question, [&] { lock.reset(); });
    window->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !alive || !window->isVisible(); }, 5000));
    EXPECT_FALSE(context.hasChanges());
}
