#pragma once

#include "Corvina/Library/Bookmark.h"
#include "platform/Store/StoreError.h"
#include "shared/Inbox/PendingBookmark.h"

#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

namespace store {
class ModelContext;
}

// An inbox file the drain would not read: not a regular file (a FIFO, a
// device, a folder named like an entry), or far larger than any entry.
struct LeftAloneEntry {
    QString fileName;
    QString reason;
};

struct DrainOutcome {
    // Set when the taken entries could not be saved: none of them was
    // added, and every one is still queued for the next drain.
    std::optional<store::StoreError> saveError;
    std::vector<LeftAloneEntry> leftAlone;
};

// Moves every complete entry the share sheet queued in the shared inbox into
// `context` as a new bookmark; adds one to `insertedCount` per bookmark
// added. An entry leaves the inbox only once its bookmark is saved: the
// bookmarks are committed together with a receipt per entry, and the files
// are removed after the commit. A crash at any point leaves each entry
// either queued or in the library, never both once the next drain has run
// (it recognises the receipt and only removes the file), and never neither.
// An unreadable or undecodable entry is deleted; a file of another kind,
// and one that is not a regular file, is left alone. Main thread only,
// like every use of the context.
DrainOutcome drainInbox(store::ModelContext& context, qint64& insertedCount);

// A queued entry as a new, unattached bookmark: a fresh id, the entry's
// description as the note, and the moment of saving as both dates.
Bookmark bookmarkFromPendingBookmark(const PendingBookmark& entry);
