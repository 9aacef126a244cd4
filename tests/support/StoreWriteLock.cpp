#include "tests/support/StoreWriteLock.h"

#include <QStringList>
#include <sqlite3.h>

namespace teststore {

StoreWriteLock::StoreWriteLock(const QString& path, const char* sql) {
    sqlite3_open(path.toUtf8().constData(), &m_db);
    sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
}

void StoreWriteLock::release() {
    if (m_db) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

QString integrityCheck(const QString& path) {
    sqlite3* db = nullptr;
    QStringList findings;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK)
        findings << QString::fromUtf8(sqlite3_errmsg(db));
    else
        sqlite3_exec(
            db, "PRAGMA integrity_check",
            [](void* out, int, char** values, char**) {
                static_cast<QStringList*>(out)->append(QString::fromUtf8(values[0]));
                return 0;
            },
            &findings, nullptr);
    sqlite3_close(db);
    return findings.isEmpty() ? QStringLiteral("no answer") : findings.join(u'\n');
}

} // namespace teststore
