#pragma once

#include <QString>

namespace store {

struct StoreError {
    enum class Code {
        none,
        cannotOpen,     // the file is missing, unreadable, locked, or the folder is read-only
        notADatabase,   // the file is not an SQLite database
        schemaMismatch, // the file holds a different entity or a newer schema
        writeFailed,    // a save could not be committed
        readOnly,       // the store was opened for reading only; nothing can be saved
    };
    Code code = Code::none;
    QString message; // human-readable description, e.g. SQLite's own text
    int sqliteCode = 0; // SQLite's extended result code, when SQLite gave one
};

} // namespace store
