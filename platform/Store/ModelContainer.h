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
};

// Owns the database connection and the main context. Opening creates the file
// and its table when missing, switches to WAL and migrates older schema
// versions; it fails without touching a file that is not a database or that
// holds another entity.
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

private:
    ModelContainer(const EntitySchema& schema, std::unique_ptr<SqliteDatabase> database);

    const EntitySchema& m_schema;
    std::unique_ptr<SqliteDatabase> m_database;
    std::unique_ptr<ModelContext> m_context;
};

} // namespace store
