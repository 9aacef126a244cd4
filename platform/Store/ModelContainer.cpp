#include "platform/Store/ModelContainer.h"

#include "platform/Core/FaultPoint.h"
#include "platform/Core/SystemError.h"
#include "platform/Folders/AtomicWrite.h"
#include "platform/Store/Sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace store {
namespace {

// Numbered schema migrations; the file's PRAGMA user_version says how many
// have run. Stored files depend on these staying as they are.
//   1: the entity's table and corvina_metadata
//   2: corvina_receipts; the entity's row ids never used twice
constexpr int kCurrentVersion = 2;

const char* columnType(AttributeType type) {
    return type == AttributeType::Date ? "INTEGER" : "TEXT";
}

Result<int, StoreError> readUserVersion(SqliteDatabase& database) {
    SqliteStatement statement(database, "PRAGMA user_version");
    if (!statement.isValid() || statement.step() != SQLITE_ROW)
        return Failure{database.lastError(StoreError::Code::cannotOpen)};
    return static_cast<int>(statement.columnInt64(0));
}

// Reads the file without writing to it, beyond recovering what a crash left
// (which any reader must do): a file we refuse stays as it was.
Result<void, StoreError> validate(SqliteDatabase& database, const EntitySchema& schema) {
    SqliteStatement tables(database, "SELECT name FROM sqlite_master WHERE type = 'table'");
    if (!tables.isValid())
        return Failure{database.lastError(StoreError::Code::cannotOpen)};
    QStringList names;
    int code;
    while ((code = tables.step()) == SQLITE_ROW)
        names << tables.columnString(0);
    if (code != SQLITE_DONE)
        return Failure{database.lastError(StoreError::Code::cannotOpen)};

    auto version = readUserVersion(database);
    if (!version)
        return Failure{version.error()};
    if (version.value() > kCurrentVersion)
        return Failure{
            StoreError{StoreError::Code::schemaMismatch,
                       QStringLiteral("the store was written by a newer version (schema %1)")
                           .arg(version.value())}};
    if (version.value() == 0) {
        if (!names.isEmpty())
            return Failure{StoreError{StoreError::Code::schemaMismatch,
                                      QStringLiteral("the file holds another program's database")}};
        return {};
    }
    SqliteStatement entity(database, "SELECT value FROM corvina_metadata WHERE key = 'entity'");
    if (!entity.isValid() || entity.step() != SQLITE_ROW ||
        entity.columnString(0) != schema.entityName)
        return Failure{
            StoreError{StoreError::Code::schemaMismatch,
                       QStringLiteral("the file does not hold %1 records").arg(schema.entityName)}};
    return {};
}

Result<void, StoreError> migrate(SqliteDatabase& database, const EntitySchema& schema) {
    if (auto version = readUserVersion(database); !version || version.value() >= kCurrentVersion)
        return version ? Result<void, StoreError>() : Failure{version.error()};

    SqliteTransaction transaction(database);
    if (auto begun = transaction.begin(); !begun)
        return begun;
    // Read again under the write lock: another process may have migrated
    // the file while this one waited for it.
    auto version = readUserVersion(database);
    if (!version)
        return Failure{version.error()};
    if (version.value() >= kCurrentVersion)
        return {};
    if (version.value() < 1) {
        QByteArray columns;
        for (const AttributeSpec& attribute : schema.attributes)
            columns += ", " + quotedIdentifier(attribute.name) + ' ' + columnType(attribute.type);
        const QByteArray createEntity = "CREATE TABLE " + quotedIdentifier(schema.entityName) +
                                        " (rowid INTEGER PRIMARY KEY" + columns + ")";
        if (auto made =
                database.exec("CREATE TABLE corvina_metadata (key TEXT PRIMARY KEY, value TEXT)");
            !made)
            return made;
        if (auto made = database.exec(createEntity.constData()); !made)
            return made;
        SqliteStatement metadata(database,
                                 "INSERT INTO corvina_metadata (key, value) VALUES (?, ?)");
        for (const auto& [key, value] :
             {std::pair{QByteArray("entity"), schema.entityName.toUtf8()},
              std::pair{QByteArray("schemaVersion"), schema.version.toUtf8()}}) {
            metadata.bindText(1, key);
            metadata.bindText(2, value);
            if (metadata.step() != SQLITE_DONE)
                return Failure{database.lastError(StoreError::Code::cannotOpen)};
            metadata.reset();
        }
    }
    if (version.value() < 2) {
        if (auto made = database.exec(
                "CREATE TABLE corvina_receipts (name TEXT PRIMARY KEY) WITHOUT ROWID");
            !made)
            return made;
        // Plain row ids come back once the highest is deleted; another
        // process would then take a new object for an old one it knows.
        QByteArray columns, names;
        for (const AttributeSpec& attribute : schema.attributes) {
            columns += ", " + quotedIdentifier(attribute.name) + ' ' + columnType(attribute.type);
            names += ", " + quotedIdentifier(attribute.name);
        }
        const QByteArray table = quotedIdentifier(schema.entityName);
        const QByteArray rebuilt = quotedIdentifier(schema.entityName + QStringLiteral("_v2"));
        for (const QByteArray& statement :
             {"CREATE TABLE " + rebuilt + " (rowid INTEGER PRIMARY KEY AUTOINCREMENT" + columns +
                  ")",
              "INSERT INTO " + rebuilt + " (rowid" + names + ") SELECT rowid" + names + " FROM " +
                  table,
              "DROP TABLE " + table, "ALTER TABLE " + rebuilt + " RENAME TO " + table}) {
            if (auto done = database.exec(statement.constData()); !done)
                return done;
        }
    }
    const QByteArray setVersion = "PRAGMA user_version = " + QByteArray::number(kCurrentVersion);
    if (auto set = database.exec(setVersion.constData()); !set)
        return set;
    faultpoint::reach("store.migrate.beforeCommit");
    return transaction.commit();
}

Result<void, StoreError> useWriteAheadLog(SqliteDatabase& database) {
    // One writer, many readers; a save is one WAL append.
    SqliteStatement journal(database, "PRAGMA journal_mode = WAL");
    if (!journal.isValid() || journal.step() != SQLITE_ROW)
        return Failure{database.lastError(StoreError::Code::cannotOpen)};
    return database.exec("PRAGMA synchronous = NORMAL");
}

const QString kCreatingMarker = QStringLiteral(".creating-");

// Files a creation killed half-way left behind: ".<name>.creating-<pid>"
// (and its journals) whose process is gone. A living creator's are kept.
void removeAbandonedCreations(const QString& path) {
    const QFileInfo store(path);
    const QDir folder = store.absoluteDir();
    const QString prefix = u'.' + store.fileName() + kCreatingMarker;
    const QStringList leftovers =
        folder.entryList({prefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : leftovers) {
        const QString rest = name.mid(prefix.size());
        bool numeric = false;
        const qint64 pid = rest.section(u'-', 0, 0).toLongLong(&numeric);
        if (!numeric || pid <= 0)
            continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        QFile::remove(folder.filePath(name));
    }
}

// Makes the store under a temporary name, sets it up completely, and links
// it into place, so that no process ever sees a file without its tables.
// A store another process made meanwhile wins; this one is thrown away.
Result<void, StoreError> createAtomically(const QString& path, const EntitySchema& schema) {
    const QFileInfo store(path);
    const QString temporary = store.absoluteDir().filePath(
        u'.' + store.fileName() + kCreatingMarker + QString::number(::getpid()));
    const QByteArray temporaryName = QFile::encodeName(temporary);
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        (void)::unlink((temporaryName + suffix).constData());
    {
        auto opened = SqliteDatabase::open(temporary, SqliteDatabase::Access::readWrite);
        if (!opened)
            return Failure{opened.error()};
        if (auto wal = useWriteAheadLog(*opened.value()); !wal)
            return Failure{StoreError{StoreError::Code::cannotOpen, wal.error().message,
                                      wal.error().sqliteCode}};
        if (auto migrated = migrate(*opened.value(), schema); !migrated) {
            (void)::unlink(temporaryName.constData());
            return Failure{StoreError{StoreError::Code::cannotOpen, migrated.error().message,
                                      migrated.error().sqliteCode}};
        }
        // Closing the last connection folds the WAL into the file and removes it.
    }
    const int fd = ::open(temporaryName.constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
    faultpoint::reach("store.create.beforeLink");
    const QByteArray finalName = QFile::encodeName(path);
    // link(2) never replaces: a store made meanwhile by another process
    // keeps whatever it may already hold.
    int linked = ::link(temporaryName.constData(), finalName.constData());
    int error = linked == 0 ? 0 : errno;
    if (linked != 0 && error != EEXIST) {
        // File systems without hard links.
        linked = ::renameat2(AT_FDCWD, temporaryName.constData(), AT_FDCWD,
                             finalName.constData(), RENAME_NOREPLACE);
        error = linked == 0 ? 0 : errno;
    }
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        (void)::unlink((temporaryName + suffix).constData());
    if (linked != 0 && error != EEXIST)
        return Failure{StoreError{StoreError::Code::cannotOpen, systemErrorMessage(error)}};
    folders::syncFolderOf(finalName);
    return {};
}

struct Opened {
    std::unique_ptr<SqliteDatabase> database;
    QString readOnlyReason;
};

// What is left when the store cannot be written: reading it as it stands.
Result<Opened, StoreError> openForReading(const QString& path, const EntitySchema& schema,
                                          const StoreError& why) {
    for (const auto access :
         {SqliteDatabase::Access::readOnly, SqliteDatabase::Access::immutable}) {
        auto opened = SqliteDatabase::open(path, access);
        if (!opened)
            continue;
        // Reading a WAL file without write access to its folder needs the
        // immutable form; the plain form fails at the first statement.
        auto valid = validate(*opened.value(), schema);
        if (!valid) {
            if (valid.error().code == StoreError::Code::schemaMismatch ||
                valid.error().code == StoreError::Code::notADatabase)
                return Failure{valid.error()};
            continue;
        }
        return Opened{std::move(opened).value(),
                      QStringLiteral("its file or folder cannot be written: ") + why.message};
    }
    return Failure{why};
}

Result<Opened, StoreError> openDatabase(const QString& path, const EntitySchema& schema,
                                        int busyTimeoutMs) {
    if (path.isEmpty()) {
        auto opened = SqliteDatabase::open(path, SqliteDatabase::Access::readWrite);
        if (!opened)
            return Failure{opened.error()};
        if (auto migrated = migrate(*opened.value(), schema); !migrated)
            return Failure{StoreError{StoreError::Code::cannotOpen, migrated.error().message}};
        return Opened{std::move(opened).value(), {}};
    }
    removeAbandonedCreations(path);
    if (!QFileInfo::exists(path)) {
        if (auto created = createAtomically(path, schema); !created && !QFileInfo::exists(path))
            return Failure{created.error()};
    }
    // Never created here: the file exists, made whole above or by an
    // earlier start. Opened for writing even to look at it, so that a hot
    // journal or WAL left by a crash is rolled back or forward now; a
    // read-only connection could not, and would fail on it for good.
    auto opened =
        SqliteDatabase::open(path, SqliteDatabase::Access::readWriteExisting, busyTimeoutMs);
    if (!opened) {
        if (isReadOnlyCondition(opened.error().sqliteCode))
            return openForReading(path, schema, opened.error());
        return Failure{opened.error()};
    }
    SqliteDatabase& database = *opened.value();
    if (auto valid = validate(database, schema); !valid) {
        if (isReadOnlyCondition(valid.error().sqliteCode))
            return openForReading(path, schema, valid.error());
        return Failure{valid.error()};
    }
    if (auto wal = useWriteAheadLog(database); !wal) {
        if (isReadOnlyCondition(wal.error().sqliteCode))
            return openForReading(path, schema, wal.error());
        return Failure{StoreError{StoreError::Code::cannotOpen, wal.error().message,
                                  wal.error().sqliteCode}};
    }
    if (auto migrated = migrate(database, schema); !migrated) {
        if (isReadOnlyCondition(migrated.error().sqliteCode))
            return openForReading(path, schema, migrated.error());
        StoreError error = migrated.error();
        if (error.code == StoreError::Code::writeFailed)
            error.code = StoreError::Code::cannotOpen;
        return Failure{error};
    }
    return Opened{std::move(opened).value(), {}};
}

} // namespace

ModelContainer::ModelContainer(const EntitySchema& schema, std::unique_ptr<SqliteDatabase> database)
    : m_schema(schema)
    , m_database(std::move(database))
    , m_context(new ModelContext(m_schema, *m_database)) {}

ModelContainer::~ModelContainer() = default;

Result<std::unique_ptr<ModelContainer>, StoreError>
ModelContainer::open(const EntitySchema& schema, const StoreConfiguration& configuration) {
    auto opened = openDatabase(configuration.filePath, schema, configuration.busyTimeoutMs);
    if (!opened)
        return Failure{opened.error()};
    std::unique_ptr<ModelContainer> container(
        new ModelContainer(schema, std::move(opened.value().database)));
    container->m_readOnlyReason = opened.value().readOnlyReason;
    if (!container->m_readOnlyReason.isEmpty() || !configuration.allowsSave)
        container->m_context->setReadOnly(container->m_readOnlyReason.isEmpty()
                                              ? QStringLiteral("saving is not allowed")
                                              : container->m_readOnlyReason);
    return container;
}

Result<std::unique_ptr<ModelContainer>, StoreError>
ModelContainer::openInMemory(const EntitySchema& schema) {
    return open(schema, StoreConfiguration{});
}

} // namespace store
