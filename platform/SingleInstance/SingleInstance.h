#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>

// One running instance per user: a later start hands its arguments to the
// running one over a local socket and exits. A running instance that does
// not answer within the time-out is taken for dead, and the new start takes
// its place instead of hanging.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // Connecting fails at once when nobody listens; a running instance that
    // took the connection may be busy (a large import on its main thread),
    // and is given far longer to answer before a second one starts beside it.
    static constexpr std::chrono::milliseconds kDefaultTimeout{1000};
    static constexpr std::chrono::milliseconds kDefaultAnswerTimeout{10'000};
    // Far more than any list of links a desktop hands over.
    static constexpr qint64 kMaxMessageBytes = 1024 * 1024;

    // The socket for `application` of this user: in $XDG_RUNTIME_DIR when
    // there is one, otherwise in the temporary folder with the user id in its
    // name.
    static QString serverName(const QString& application);

    // Sends `arguments` to the running instance and waits for its receipt.
    // True when it took them; false when there is none or it did not answer
    // in time. Blocks for at most about `timeout` to connect and
    // `answerTimeout` more for the answer; used before the event loop runs.
    static bool handOff(const QString& name, const QStringList& arguments,
                        std::chrono::milliseconds timeout = kDefaultTimeout,
                        std::chrono::milliseconds answerTimeout = kDefaultAnswerTimeout);

    explicit SingleInstance(QObject* parent = nullptr);

    // Becomes the running instance, replacing a socket left by one that
    // is gone. False when the socket cannot be made.
    bool listen(const QString& name);

Q_SIGNALS:
    // Another start's arguments (possibly none: it was started again by
    // hand), on the main thread.
    void argumentsReceived(const QStringList& arguments);

private:
    void accept();

    QLocalServer m_server;
};
