#pragma once

#include <QString>

struct sqlite3;

namespace teststore {

// A second connection to a store file that runs `sql` and holds the
// transaction it began until released, as another program would: with the
// default, saves through the store fail meanwhile.
class StoreWriteLock {
public:
    explicit StoreWriteLock(const QString& path, const char* sql = "BEGIN EXCLUSIVE");
    ~StoreWriteLock() { release(); }
    StoreWriteLock(const StoreWriteLock&) = delete;
    StoreWriteLock& operator=(const StoreWriteLock&) = delete;

    void release();

private:
    sqlite3* m_db = nullptr;
};

// Runs `sql` on the file through a connection of its own, making the file if need be.
inline void execute(const QString& path, const char* sql) {
    StoreWriteLock(path, sql).release();
}

// SQLite's own check of the file: "ok", or what it found wrong.
QString integrityCheck(const QString& path);

} // namespace teststore
