#include "tests/support/StoreWriteLock.h"

#include <sqlite3.h>

namespace teststore {

StoreWriteLock::StoreWriteLock(const QString& path) {
    sqlite3_open(path.toUtf8().constData(), &m_db);
    sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
}

StoreWriteLock::~StoreWriteLock() {
    release();
}

void StoreWriteLock::release() {
    if (m_db) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

} // namespace teststore
