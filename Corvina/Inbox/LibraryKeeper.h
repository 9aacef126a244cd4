#pragma once

#include "Corvina/Inbox/InboxWork.h"
#include "platform/Store/StoreError.h"

#include <QObject>
#include <QSet>
#include <QTimer>
#include <chrono>
#include <optional>

namespace store {
class ModelContext;
}

// Sees that what the windows take in reaches the store. Runs the windows'
// inbox work, and whenever that or any other save of the context fails
// (another process holds the write lock, the disk is full), tries again
// after a pause that doubles from one second up to a minute, until the
// store has taken the queued entries and every unsaved change. Main thread.
class LibraryKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kFirstRetry{1000};
    static constexpr std::chrono::milliseconds kLastRetry{60'000};

    explicit LibraryKeeper(store::ModelContext& context, QObject* parent = nullptr);

    // The inbox work now (a window's start or activation).
    void runInboxWork();
    // Changes that exist only in memory: lost if the process ends now.
    qsizetype unsavedChanges() const;
    // One more attempt at once, for a quit; the error when it failed.
    std::optional<store::StoreError> saveNow();
    // The last failure while something is still waiting, else nothing.
    const std::optional<store::StoreError>& failure() const { return m_failure; }
    std::chrono::milliseconds nextRetry() const { return m_delay; }

Q_SIGNALS:
    // A save failed; it is tried again later.
    void failureChanged();

private:
    void contextChanged();
    void retry();
    void settle(const std::optional<store::StoreError>& error);

    store::ModelContext& m_context;
    QTimer m_timer;
    std::chrono::milliseconds m_delay = kFirstRetry;
    bool m_inboxPending = false;
    std::optional<store::StoreError> m_failure;
    QSet<QString> m_reportedLeftAlone;
};
