#pragma once

#include <QFuture>
#include <QtGlobal>

namespace store {
class ModelContext;
}

struct InboxWorkResult {
    qint64 inserted = 0;
    QFuture<void> indexWritten; // the background index write; drop it unless exiting
};

// A library window's start and activation work on the inbox, also run by the
// command line's "drain": move queued entries into the store, save (a failed
// save is ignored and retried by the next one), then rewrite the duplicate
// index so the share sheet sees what was just added.
InboxWorkResult runInboxWork(store::ModelContext& context);
