#include "platform/Store/Sqlite.h"

#include <sqlite3.h>

namespace store {

Result<std::unique_ptr<SqliteDatabase>, StoreError>
SqliteDatabase::open(const QString& path, Access access, int busyTimeoutMs) {
    sqlite3* db = nullptr;
    int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI;
    switch (access) {
    case Access::readOnly:
    case Access::immutable:
        flags |= SQLITE_OPEN_READONLY;
        break;
    case Access::readWrite:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    case Access::readWriteExisting:
        flags |= SQLITE_OPEN_READWRITE;
        break;
    }
    QByteArray name = ":memory:";
    if (!path.isEmpty()) {
        // As a URI, so that the path is never read as options of its own.
        const QByteArray encoded =
            path.toUtf8().toPercentEncoding("/", QByteArray(), '%');
        name = "file:" + encoded;
        if (access == Access::immutable)
            name += "?immutable=1";
    }
    const int code = sqlite3_open_v2(name.constData(), &db, flags, nullptr);
    if (code != SQLITE_OK) {
        StoreError error{StoreError::Code::cannotOpen,
                         db ? QString::fromUtf8(sqlite3_errmsg(db))
                            : QString::fromUtf8(sqlite3_errstr(code)),
                         db ? sqlite3_extended_errcode(db) : code};
        sqlite3_close(db);
        return Failure{error};
    }
    sqlite3_extended_result_codes(db, 1);
    // Another program briefly holding the file should not fail a save at once.
    sqlite3_busy_timeout(db, busyTimeoutMs);
    return std::unique_ptr<SqliteDatabase>(new SqliteDatabase(db));
}

std::optional<qint64> SqliteDatabase::dataVersion() {
    SqliteStatement statement(*this, "PRAGMA data_version");
    if (!statement.isValid() || statement.step() != SQLITE_ROW)
        return std::nullopt;
    return statement.columnInt64(0);
}

bool isReadOnlyCondition(int sqliteCode) {
    switch (sqliteCode & 0xff) {
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return true;
    default:
        return false;
    }
}

SqliteDatabase::~SqliteDatabase() {
    sqlite3_close_v2(m_db);
}

Result<void, StoreError> SqliteDatabase::exec(const char* sql) {
    char* message = nullptr;
    const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
    if (code != SQLITE_OK) {
        StoreError error{(code & 0xff) == SQLITE_NOTADB ? StoreError::Code::notADatabase
                                                        : StoreError::Code::writeFailed,
                         QString::fromUtf8(message ? message : sqlite3_errstr(code)),
                         sqlite3_extended_errcode(m_db)};
        sqlite3_free(message);
        return Failure{error};
    }
    return {};
}

StoreError SqliteDatabase::lastError(StoreError::Code code) const {
    if ((sqlite3_errcode(m_db) & 0xff) == SQLITE_NOTADB)
        code = StoreError::Code::notADatabase;
    return StoreError{code, QString::fromUtf8(sqlite3_errmsg(m_db)), sqlite3_extended_errcode(m_db)};
}

qint64 SqliteDatabase::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(m_db);
}

SqliteStatement::SqliteStatement(SqliteDatabase& database, const char* sql) {
    if (sqlite3_prepare_v3(database.handle(), sql, -1, SQLITE_PREPARE_PERSISTENT, &m_statement,
                           nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_statement);
}

void SqliteStatement::bindInt64(int position, qint64 value) {
    sqlite3_bind_int64(m_statement, position, value);
}

void SqliteStatement::bindText(int position, const QByteArray& utf8) {
    sqlite3_bind_text64(m_statement, position, utf8.constData(),
                        static_cast<sqlite3_uint64>(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void SqliteStatement::bindNull(int position) {
    sqlite3_bind_null(m_statement, position);
}

int SqliteStatement::step() {
    return m_statement ? sqlite3_step(m_statement) : SQLITE_MISUSE;
}

void SqliteStatement::reset() {
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

qint64 SqliteStatement::columnInt64(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

bool SqliteStatement::columnIsNull(int column) const {
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

QByteArray SqliteStatement::columnTextView(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    return text ? QByteArray::fromRawData(text, size) : QByteArray();
}

QString SqliteStatement::columnString(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    return text ? QString::fromUtf8(text, size) : QString();
}

SqliteTransaction::SqliteTransaction(SqliteDatabase& database)
    : m_database(database) {}

SqliteTransaction::~SqliteTransaction() {
    if (m_open)
        (void)m_database.exec("ROLLBACK");
}

Result<void, StoreError> SqliteTransaction::begin(Lock lock) {
    // IMMEDIATE takes the write lock now, so a busy file fails here rather
    // than halfway through the writes.
    auto result = m_database.exec(lock == Lock::write ? "BEGIN IMMEDIATE" : "BEGIN");
    m_open = result.ok();
    return result;
}

Result<void, StoreError> SqliteTransaction::commit() {
    auto result = m_database.exec("COMMIT");
    if (result.ok())
        m_open = false;
    return result;
}

QByteArray quotedIdentifier(const QString& identifier) {
    QByteArray bytes = identifier.toUtf8();
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

} // namespace store
