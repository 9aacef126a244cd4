#pragma once

#include "Corvina/Library/Bookmark.h"
#include "shared/Inbox/PendingBookmark.h"

#include <QtGlobal>

namespace store {
class ModelContext;
}

// Moves every complete entry the share sheet queued in the shared inbox into
// `context` as a new bookmark and deletes its file; adds one to
// `insertedCount` per bookmark inserted. Reports nothing: an unreadable or
// undecodable entry is deleted, a file of another kind is left alone. Does not
// save. Main thread only, like every use of the context.
void drainInbox(store::ModelContext& context, qint64& insertedCount);

// A queued entry as a new, unattached bookmark: a fresh id, the entry's
// description as the note, and the moment of saving as both dates.
Bookmark bookmarkFromPendingBookmark(const PendingBookmark& entry);
