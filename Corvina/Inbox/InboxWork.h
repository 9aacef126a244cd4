#pragma once

#include "Corvina/Inbox/InboxDrain.h"

#include <QFuture>
#include <QtGlobal>

namespace store {
class ModelContext;
}

struct InboxWorkResult {
    qint64 inserted = 0;
    // Why this run's entries, or other unsaved changes, are not in the
    // store yet; queued entries stay in the inbox for the next run.
    std::optional<store::StoreError> saveError;
    std::vector<LeftAloneEntry> leftAlone;
    QFuture<void> indexWritten; // the background index write; drop it unless exiting
};

// A library window's start and activation work on the inbox, also run by the
// command line's "drain": move queued entries into the store (saved with
// them), save what else is pending, then rewrite the duplicate index so the
// share sheet sees what was just added.
InboxWorkResult runInboxWork(store::ModelContext& context);
