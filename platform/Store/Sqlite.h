#pragma once

#include "platform/Core/Result.h"
#include "platform/Store/StoreError.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// A thin RAII layer over SQLite's C API. The rest of the program reaches
// SQLite only through the model container and context built on this.
namespace store {

class SqliteDatabase {
public:
    enum class Access {
        readOnly,
        readWrite,       // creates the file when missing
        readWriteExisting, // never creates: a missing file is an error
        immutable,       // read only, and nobody else may change the file meanwhile
    };

    // `busyTimeout`: how long a statement waits for another connection's
    // lock before it fails.
    static Result<std::unique_ptr<SqliteDatabase>, StoreError>
    open(const QString& path, Access access, int busyTimeoutMs = 2000);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    sqlite3* handle() const { return m_db; }
    // Runs statements that return no rows.
    Result<void, StoreError> exec(const char* sql);
    StoreError lastError(StoreError::Code code) const;
    // Goes up whenever another connection commits to the file.
    std::optional<qint64> dataVersion();
    qint64 lastInsertRowId() const;

private:
    explicit SqliteDatabase(sqlite3* db)
        : m_db(db) {}
    sqlite3* m_db;
};

class SqliteStatement {
public:
    SqliteStatement(SqliteDatabase& database, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool isValid() const { return m_statement != nullptr; }
    // Positions start at 1, as in SQL.
    void bindInt64(int position, qint64 value);
    void bindText(int position, const QByteArray& utf8);
    void bindNull(int position);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    void reset();

    qint64 columnInt64(int column) const;
    bool columnIsNull(int column) const;
    // The column's text as UTF-8, valid until the next step or reset.
    QByteArray columnTextView(int column) const;
    QString columnString(int column) const;

private:
    sqlite3_stmt* m_statement = nullptr;
};

// Rolls back unless committed.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDatabase& database);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    // `write` takes the write lock at once; `read` only fixes, at its first
    // statement, the snapshot that every later statement reads.
    enum class Lock { write, read };
    Result<void, StoreError> begin(Lock lock = Lock::write);
    Result<void, StoreError> commit();

private:
    SqliteDatabase& m_database;
    bool m_open = false;
};

// Whether an error says the file or its folder cannot be written.
bool isReadOnlyCondition(int sqliteCode);

// An SQL identifier in double quotes, any quote inside doubled.
QByteArray quotedIdentifier(const QString& identifier);

} // namespace store
