#pragma once

#include "platform/Core/Result.h"
#include "platform/Store/ModelObject.h"
#include "platform/Store/StoreError.h"

#include <QObject>
#include <memory>
#include <optional>
#include <vector>

namespace store {

class SqliteDatabase;

struct SortDescriptor {
    int attribute;
    Qt::SortOrder order = Qt::AscendingOrder;
};

// The one place where objects are inserted, changed, deleted and saved.
// Main thread only. Changes live in the context until save() commits them in
// one transaction; a failed save keeps every pending change, so the next
// successful save writes it.
class ModelContext : public QObject {
    Q_OBJECT
public:
    ~ModelContext() override;

    const EntitySchema& schema() const { return m_schema; }

    void insert(const ModelObject& object);
    void remove(const ModelObject& object);

    // Every live object (saved or only inserted, not deleted), sorted by the
    // descriptor; ties keep the store's order (insertion order).
    std::vector<ModelObject> fetch(const SortDescriptor& sort) const;
    // Brings `objects`, what fetch(sort) gave when changeCount() was `since`,
    // up to date, so that it is what fetch(sort) gives now, in time that
    // follows the number of changes rather than of objects. False, with
    // `objects` untouched, when the context no longer knows what changed.
    bool refresh(std::vector<ModelObject>& objects, const SortDescriptor& sort,
                 quint64 since) const;
    qsizetype count() const;

    bool hasChanges() const;
    Result<void, StoreError> save();
    // Goes up with every insert, deletion or attribute write, saved or not,
    // so that work derived from the whole store can tell it is still current.
    quint64 changeCount() const;
    // The objects inserted, written or deleted since changeCount() was
    // `since`, each once, in handle order (operator<); nothing when the context
    // no longer remembers that far back (it keeps the last few thousand
    // changes), and the caller must start again from fetch().
    std::optional<std::vector<ModelObject>> changedSince(quint64 since) const;

Q_SIGNALS:
    // Emitted once per event-loop turn after one or more inserts, deletions or
    // attribute writes, so that views recompute.
    void changed();

private:
    friend class ModelContainer;
    friend class ModelObject;
    ModelContext(const EntitySchema& schema, SqliteDatabase& database);
    Result<void, StoreError> loadAll();
    // Each changed record once, sorted by address; see changedSince().
    std::optional<std::vector<ObjectRecord*>> changedRecordsSince(quint64 since) const;
    void noteChange(ObjectRecord* record);

    struct Private;
    const EntitySchema& m_schema;
    std::unique_ptr<Private> d;
};

} // namespace store
