#pragma once

#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/BookmarkPayload.h"
#include "platform/Core/Result.h"
#include "platform/Store/ModelContainer.h"

#include <QString>
#include <memory>
#include <span>
#include <vector>

// Where the library lives and how it is opened. The windows and the command
// line both come through here.
namespace library {

// "<application support>/Quillan", made when missing; the temporary folder
// stands in when the application-support folder cannot be had.
QString storeFolder();
// "<store folder>/Quillan.store".
QString storeFilePath();

// The text written to standard error when the store cannot be opened.
QString openFailureMessage(const store::StoreError& error);
// Said once when the store opened for reading only.
QString readOnlyMessage(const QString& reason);

// How long a save waits for another process's write: a window keeps the
// user waiting no longer than this (its saves are tried again later); a
// command waits long enough for another command's import to finish.
inline constexpr int kWindowBusyTimeoutMs = 500;
inline constexpr int kCommandBusyTimeoutMs = 10'000;

Result<std::unique_ptr<store::ModelContainer>, store::StoreError>
openStore(const QString& filePath, int busyTimeoutMs = kWindowBusyTimeoutMs);

// The whole library in its order: newest `createdAt` first.
std::vector<Bookmark> allBookmarks(const store::ModelContext& context);
// Brings `library`, what allBookmarks() gave when the context's change count
// was `since`, up to date, in time that follows the number of changes; false
// (`library` untouched) when the context cannot tell what changed.
bool refreshBookmarks(const store::ModelContext& context, std::vector<Bookmark>& library,
                      quint64 since);
std::vector<BookmarkPayload> allPayloads(const store::ModelContext& context);

// One new bookmark per payload, in order, each keeping the payload's id and
// dates; not saved.
void addPayloads(store::ModelContext& context, std::span<const BookmarkPayload> payloads);
// An import's commit: addPayloads(), then one save. A failed save leaves them
// in the context for the next save to write.
Result<void, store::StoreError> insertPayloads(store::ModelContext& context,
                                               std::span<const BookmarkPayload> payloads);

} // namespace library
