#pragma once

#include <QFuture>

namespace store {
class ModelContext;
}

// Rewrites "duplicate-index.json" in the shared folder from every bookmark in
// `context`. The addresses and titles are read on the calling (main) thread;
// keys, encoding and the atomic write run on a pool thread. Callers normally drop the future;
// a command-line run that exits right after waits on it so the write is not
// lost. Failures leave the previous file as it was and are not reported.
// When `context` has not changed since its last rebuild and the file is
// there, nothing is read or written (the future is ready at once).
QFuture<void> rebuildDuplicateIndex(store::ModelContext& context);
