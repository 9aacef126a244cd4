#include "Corvina/Inbox/LibraryKeeper.h"

#include "platform/Core/SystemLog.h"
#include "platform/Store/ModelContext.h"

LibraryKeeper::LibraryKeeper(store::ModelContext& context, QObject* parent)
    : QObject(parent)
    , m_context(context) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &LibraryKeeper::retry);
    // Any path that saves and fails leaves its change in the context; the
    // change signal comes after that path is done, so what is unsaved then
    // stays unsaved unless tried again.
    connect(&context, &store::ModelContext::changed, this, &LibraryKeeper::contextChanged);
}

void LibraryKeeper::runInboxWork() {
    InboxWorkResult result = ::runInboxWork(m_context);
    for (const LeftAloneEntry& entry : result.leftAlone) {
        // Once per process: the file stays, and every activation meets it.
        if (m_reportedLeftAlone.contains(entry.fileName))
            continue;
        m_reportedLeftAlone.insert(entry.fileName);
        systemLog(QStringLiteral("Corvina: left %1 in the inbox: %2")
                      .arg(entry.fileName, entry.reason));
    }
    m_inboxPending = result.saveError.has_value();
    settle(result.saveError);
}

qsizetype LibraryKeeper::unsavedChanges() const {
    return m_context.pendingChangeCount();
}

std::optional<store::StoreError> LibraryKeeper::saveNow() {
    const auto saved = m_context.save();
    std::optional<store::StoreError> error;
    if (!saved)
        error = saved.error();
    settle(error);
    return error;
}

void LibraryKeeper::contextChanged() {
    if (m_context.hasChanges() && !m_timer.isActive())
        m_timer.start(m_delay);
}

void LibraryKeeper::retry() {
    if (m_inboxPending) {
        runInboxWork();
        return;
    }
    if (!m_context.hasChanges()) {
        settle(std::nullopt);
        return;
    }
    (void)saveNow();
}

void LibraryKeeper::settle(const std::optional<store::StoreError>& error) {
    const bool waiting = error && (m_inboxPending || m_context.hasChanges());
    if (waiting) {
        m_timer.start(m_delay); // restarts a running timer
        m_delay = std::min(m_delay * 2, kLastRetry);
    } else {
        m_delay = kFirstRetry;
    }
    const std::optional<store::StoreError> failure = waiting ? error : std::nullopt;
    const bool changed = failure.has_value() != m_failure.has_value() ||
                         (failure && failure->message != m_failure->message);
    m_failure = failure;
    if (changed)
        Q_EMIT failureChanged();
}
