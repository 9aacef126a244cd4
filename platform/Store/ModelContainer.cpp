#include "platform/Store/ModelContainer.h"

#include "platform/Store/Sqlite.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace store {
namespace {

// Numbered schema migrations; the file's PRAGMA user_version says how many
// have run. Stored files depend on these staying as they are.
constexpr int kCurrentVersion = 1;

const char* columnType(AttributeType type) {
    return type == AttributeType::Date ? "INTEGER" : "TEXT";
}

Result<int, StoreError> readUserVersion(SqliteDatabase& database) {
    SqliteStatement statement(database, "PRAGMA user_version");
    if (!statement.isValid() || statement.step() != SQLITE_ROW)
        return Failure{database.lastError(StoreError::Code::cannotOpen)};
    return static_cast<int>(statement.columnInt64(0));
}

// Reads the file without writing to it: a file we refuse stays byte for byte
// as it was.
Result<void, StoreError> validateExisting(const QString& path, const EntitySchema& schema) {
    auto opened = SqliteDatabase::open(path, SqliteDatabase::Access::readOnly);
    if (!opened)
        return Failure{opened.error()};
    SqliteDatabase& database = *opened.value();

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
    auto version = readUserVersion(database);
    if (!version)
        return Failure{version.error()};
    if (version.value() >= kCurrentVersion)
        return {};

    SqliteTransaction transaction(database);
    if (auto begun = transaction.begin(); !begun)
        return begun;
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
    const QByteArray setVersion = "PRAGMA user_version = " + QByteArray::number(kCurrentVersion);
    if (auto set = database.exec(setVersion.constData()); !set)
        return set;
    return transaction.commit();
}

Result<std::unique_ptr<SqliteDatabase>, StoreError> openDatabase(const QString& path,
                                                                 const EntitySchema& schema) {
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        if (auto valid = validateExisting(path, schema); !valid)
            return Failure{valid.error()};
    }
    auto opened = SqliteDatabase::open(path, SqliteDatabase::Access::readWrite);
    if (!opened)
        return opened;
    SqliteDatabase& database = *opened.value();
    if (!path.isEmpty()) {
        // One writer, many readers; a save is one WAL append.
        SqliteStatement journal(database, "PRAGMA journal_mode = WAL");
        if (!journal.isValid() || journal.step() != SQLITE_ROW)
            return Failure{database.lastError(StoreError::Code::cannotOpen)};
        if (auto set = database.exec("PRAGMA synchronous = NORMAL"); !set)
            return Failure{StoreError{StoreError::Code::cannotOpen, set.error().message}};
    }
    if (auto migrated = migrate(database, schema); !migrated) {
        StoreError error = migrated.error();
        if (error.code == StoreError::Code::writeFailed)
            error.code = StoreError::Code::cannotOpen;
        return Failure{error};
    }
    return opened;
}

} // namespace

ModelContainer::ModelContainer(const EntitySchema& schema, std::unique_ptr<SqliteDatabase> database)
    : m_schema(schema)
    , m_database(std::move(database))
    , m_context(new ModelContext(m_schema, *m_database)) {}

ModelContainer::~ModelContainer() = default;

Result<std::unique_ptr<ModelContainer>, StoreError>
ModelContainer::open(const EntitySchema& schema, const StoreConfiguration& configuration) {
    auto database = openDatabase(configuration.filePath, schema);
    if (!database)
        return Failure{database.error()};
    return std::unique_ptr<ModelContainer>(new ModelContainer(schema, std::move(database).value()));
}

Result<std::unique_ptr<ModelContainer>, StoreError>
ModelContainer::openInMemory(const EntitySchema& schema) {
    return open(schema, StoreConfiguration{});
}

} // namespace store
