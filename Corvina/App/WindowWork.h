#pragma once

namespace store {
class ModelContext;
}

// The inbox side of a library window's start and activation work: moving
// queued share-sheet entries into the store, and rewriting the index the
// share sheet reads. Supplied by the inbox code; absent pieces are skipped.
class InboxMaintenance {
public:
    virtual ~InboxMaintenance() = default;
    virtual void drainInbox(store::ModelContext& context) = 0;
    virtual void refreshDuplicateIndex(store::ModelContext& context) = 0;
};
