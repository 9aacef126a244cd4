#include "platform/SingleInstance/SingleInstance.h"

#include "tests/support/TestEnvironment.h"
#include "tests/support/Testing.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// handOff() blocks, so it runs on a pool thread while this thread's event
// loop serves the instance.
bool handOffInBackground(const QString& name, const QStringList& arguments,
                         std::chrono::milliseconds timeout = 1000ms) {
    QFuture<bool> sent = QtConcurrent::run(
        [=] { return SingleInstance::handOff(name, arguments, timeout, timeout); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return sent.isFinished(); }, 5000));
    return sent.result();
}

} // namespace

TEST(SingleInstanceTest, ALaterStartHandsItsArgumentsToTheRunningOneAndMalformedOnesAreDropped) {
    const QString name = QDir(testenv::root()).filePath(u"running.socket"_s);
    EXPECT_FALSE(SingleInstance::handOff(name, {u"corvina://add?url=x"_s}, 200ms))
        << "nobody is running yet";

    SingleInstance running;
    ASSERT_TRUE(running.listen(name));
    QSignalSpy received(&running, &SingleInstance::argumentsReceived);
    const QStringList links{u"corvina://add?url=https%3A%2F%2Fa.test&title=%C3%A9"_s,
                            QString(50'000, u'x')};
    EXPECT_TRUE(handOffInBackground(name, links));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() == 1; }, 5000));
    EXPECT_EQ(received.first().first().toStringList(), links);
    EXPECT_TRUE(handOffInBackground(name, {}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() == 2; }, 5000));
    EXPECT_TRUE(received.last().first().toStringList().isEmpty());

    // Malformed messages are dropped, and the instance goes on listening.
    const std::vector<QByteArray> messages{
        QByteArray("\xff\xff\xff\xff", 4) + "too long", // claims 4 GiB
        QByteArray("\x00\x00\x00\x08", 4) + "\x00\x00\x00\x05"
                                            "ab", // list of 5, cut short
    };
    for (const QByteArray& message : messages) {
        QLocalSocket socket;
        socket.connectToServer(name);
        ASSERT_TRUE(socket.waitForConnected(1000));
        socket.write(message);
        socket.flush();
        QTest::qWait(100);
    }
    EXPECT_EQ(received.size(), 2);
    EXPECT_TRUE(handOffInBackground(name, {u"still works"_s}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() == 3; }, 5000));
    EXPECT_EQ(received.last().first().toStringList(), QStringList{u"still works"_s});
}

TEST(SingleInstanceTest, AnInstanceThatDoesNotAnswerIsReplaced) {
    const QString name = QDir(testenv::root()).filePath(u"hung.socket"_s);
    QLocalServer hung; // accepts connections, never reads or answers
    ASSERT_TRUE(hung.listen(name));
    // Gives up after its time-out rather than waiting on it.
    EXPECT_FALSE(handOffInBackground(name, {u"corvina://add?url=x"_s}, 300ms));

    SingleInstance replacement;
    ASSERT_TRUE(replacement.listen(name));
    QSignalSpy received(&replacement, &SingleInstance::argumentsReceived);
    EXPECT_TRUE(handOffInBackground(name, {u"later"_s}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() == 1; }, 5000));
}
