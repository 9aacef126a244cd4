#pragma once

#include "platform/Core/Result.h"
#include "platform/Store/ModelContext.h"
#include "platform/Store/Schema.h"
#include "platform/Store/StoreError.h"

#include <QString>
#include <memory>

namespace store {

enum class CloudDatabase { none, automatic };

struct StoreConfiguration {
    QString filePath; // empty: in memory
    bool allowsSave = true;
    // Carried for fidelity with the design; this platform has no cloud
    // service, so the store is always local.
    CloudDatabase cloudDatabase = CloudDatabase::automatic;
    // How long a save waits for another process's write to finish before it
    // fails. A window keeps this short (it retries later without freezing);
    // a command can afford to wait.
    int busyTimeoutMs = 2000;
};

// Owns the database connection and the main context. Opening creates the file
// and its table when missing, switches to WAL and migrates older schema
// versions; it fails without touching a file that is not a database or that
// holds another entity.
//
// A new file appears whole: it is made and set up under a temporary name,
// then linked into place, so a crash during the first start leaves no half
// made store behind. Opening recovers what a crash left (a hot journal or
// WAL). A store that can be read but not written (a read-only folder, say)
// opens for reading; every save then fails and readOnlyReason() says why.
class ModelContainer {
public:
    // The schema must outlive the container: objects refer to it by address.
    static Result<std::unique_ptr<ModelContainer>, StoreError>
    open(const EntitySchema& schema, const StoreConfiguration& configuration);
    static Result<std::unique_ptr<ModelContainer>, StoreError>
    openInMemory(const EntitySchema& schema);
    ~ModelContainer();

    const EntitySchema& schema() const { return m_schema; }
    ModelContext& mainContext() { return *m_context; }
    // Empty unless the store was opened for reading only.
    const QString& readOnlyReason() const { return m_readOnlyReason; }

private:
    ModelContainer(const EntitySchema& schema, std::unique_ptr<SqliteDatabase> database);

    const EntitySchema& m_schema;
    std::unique_ptr<SqliteDatabase> m_database;
    std::unique_ptr<ModelContext> m_context;
    QString m_readOnlyReason;
};

} // namespace store
