#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>

namespace store {

class ModelContext;

// Has a context take in what other processes (a `corvina` command, a second
// Corvina, a sync) commit to its store file, soon after they commit.
//
// File notifications, no timer: every commit writes the "-wal" file (a
// checkpoint then writes the store file). The folder is watched too, because
// the WAL file comes and goes with the last connection to the store, and a
// watched file that goes is watched again once it is back. No slow poll
// stands behind the notifications: WAL needs memory shared by every process
// that uses the file, so each writer runs on this machine and the kernel
// reports its writes; where it has no watches left to give,
// QFileSystemWatcher polls by itself.
class StoreWatcher : public QObject {
    Q_OBJECT
public:
    // One commit writes several times: a burst is gathered for this long
    // before one look.
    static constexpr std::chrono::milliseconds kSettle{30};
    // A look that failed (another process holding the file for a moment) is
    // tried again after a pause that doubles up to a minute.
    static constexpr std::chrono::milliseconds kFirstRetry{1000};
    static constexpr std::chrono::milliseconds kLastRetry{60'000};

    StoreWatcher(ModelContext& context, const QString& storeFile, QObject* parent = nullptr);

    // A look soon, whatever the files say (the application came to the front).
    void lookSoon();

Q_SIGNALS:
    // After each look that could read the store: whether the context took
    // anything in.
    void looked(bool tookIn);

private:
    void watch();
    void look();

    ModelContext& m_context;
    const QString m_file;
    QFileSystemWatcher m_watcher;
    QTimer m_timer;
    std::chrono::milliseconds m_retry = kFirstRetry;
    QString m_reportedFailure;
};

} // namespace store
