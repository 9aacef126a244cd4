#pragma once

#include <QString>

struct sqlite3;

namespace teststore {

// A second connection to a store file that holds its write lock until
// released, as another program would: saves through the store fail meanwhile.
class StoreWriteLock {
public:
    explicit StoreWriteLock(const QString& path);
    ~StoreWriteLock();
    StoreWriteLock(const StoreWriteLock&) = delete;
    StoreWriteLock& operator=(const StoreWriteLock&) = delete;

    void release();

private:
    sqlite3* m_db = nullptr;
};

// SQLite's own check of the file: "ok", or what it found wrong.
QString integrityCheck(const QString& path);

} // namespace teststore
