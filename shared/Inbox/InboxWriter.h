#pragma once

#include "platform/Core/Result.h"
#include "shared/Inbox/PendingBookmark.h"

#include <QString>

// Why an entry could not be queued. Never shown to the user: the share sheet
// logs it (logEnqueueFailure) and the entry is lost.
struct InboxError {
    enum class Kind {
        // No application support folder: error domain "Quillan.SharedInbox", code 1.
        containerUnavailable,
        // The file system refused the write; the description is its own.
        writeFailed,
    };
    static constexpr const char* kDomain = "Quillan.SharedInbox";

    Kind kind = Kind::writeFailed;
    QString description;

    // kDomain for containerUnavailable, empty for a write failure.
    QString domain() const;
    // 1 for containerUnavailable, 0 for a write failure.
    int code() const;
};

// The share sheet's side of the inbox: writes `entry` as a new file
// "<UPPER-CASE UUID>.json" in the inbox, whole and atomically, so the app
// either sees the complete file or none. Looks the folder up on every call,
// keeps no state and retries nothing.
Result<void, InboxError> enqueue(const PendingBookmark& entry);

// The one system-log line the share sheet writes when enqueue fails:
// "Quillan share: enqueue failed: <description>".
void logEnqueueFailure(const InboxError& error);
