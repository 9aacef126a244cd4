#pragma once

#include "platform/Core/Result.h"

#include <QByteArray>
#include <QString>

namespace folders {

// Writes `bytes` to `path` whole: into a temporary file beside it, then one
// rename onto the final name, so a reader sees the old file or the new one and
// never a mixture. The temporary name is "<name>.XXXXXX", so a writer killed
// half-way leaves nothing that ends in the final name's extension. The folder
// must exist. The error is a readable description.
//
// Durability::synced flushes the file to the disk before the rename, so the
// new content survives a power cut; files the other program relies on need
// that. Durability::cached skips the flush (tens of milliseconds each), for
// caches that can be rebuilt: after a power cut such a file may be empty,
// but it is never torn.
enum class Durability { synced, cached };
Result<void, QString> writeAtomically(const QString& path, const QByteArray& bytes,
                                      Durability durability = Durability::synced);

// Writes all of `bytes` to the descriptor, through short writes and
// interruptions; false, with errno set, when a write fails.
bool writeAll(int fd, QByteArrayView bytes);

// Flushes the folder holding `path` (an encoded file name) to the disk: a
// rename or link into it lives in the folder, and without this a power cut
// can undo it. Best effort; a folder that cannot be opened is left as it is.
void syncFolderOf(const QByteArray& path);

} // namespace folders
