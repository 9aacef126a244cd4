#pragma once

#include "platform/Core/Result.h"
#include "platform/Store/ModelObject.h"
#include "platform/Store/StoreError.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace store {

class SqliteDatabase;
class ModelContext;

// One write to the store, from ModelContext::beginWrite() to commit(): it
// holds the store's write lock all along, so what the caller checked inside
// it (no duplicate yet, this inbox entry not taken yet) still holds when its
// changes are written. Rolls back unless committed; the context keeps its
// unsaved changes either way, as after a failed save.
class [[nodiscard]] StoreWrite {
public:
    StoreWrite(StoreWrite&& other) noexcept;
    StoreWrite& operator=(StoreWrite&&) = delete;
    ~StoreWrite();

    // Receipts: short names recorded in the same commit as the changes, so
    // that work taken in from outside the store (an inbox file, say) can be
    // recognised as done after a crash between the commit and its clean-up.
    // The recorded names that begin with `prefix`.
    Result<QSet<QString>, StoreError> receipts(const QString& prefix) const;
    void addReceipt(const QString& name);
    void dropReceipt(const QString& name);

    // Writes every pending change of the context and the receipts in one
    // commit.
    Result<void, StoreError> commit();

private:
    friend class ModelContext;
    explicit StoreWrite(ModelContext& context);
    ModelContext* m_context;
    bool m_open = true; // until committed
    QStringList m_added, m_dropped;
};

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

    // Inserting an object deleted here brings it back: before a save its
    // deletion is dropped (no second row), after one it is written anew.
    void insert(const ModelObject& object);
    void remove(const ModelObject& object);
    // Many at once, in time that follows their number and the store's size
    // once, not their product.
    void insert(std::span<const ModelObject> objects);
    void remove(std::span<const ModelObject> objects);

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
    // How many objects have unsaved changes (inserted, written or deleted).
    qsizetype pendingChangeCount() const;
    // beginWrite() and commit() at once; nothing is done without changes.
    Result<void, StoreError> save();
    // Takes the write lock (waiting up to the store's busy time-out), then
    // brings the context up to date with what other processes committed
    // since it last looked: their new objects join it, their edits and
    // deletions show, each as a change (changed(), changedSince()). Unsaved
    // changes of this context win over theirs; an object edited here and
    // deleted there comes back as new, so the edit is not lost.
    Result<StoreWrite, StoreError> beginWrite();
    // The same catching up without a write: for a window that shows what
    // other processes commit as they do (see StoreWatcher). True when
    // anything changed; reads no row when nobody else has committed since
    // the context last looked, nor before its first fetch.
    Result<bool, StoreError> takeInOutsideChanges();
    // Set when the store was opened for reading only: every write fails
    // with this reason.
    void setReadOnly(const QString& reason);
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
    friend class StoreWrite;
    Result<void, StoreError> catchUp();
    Result<void, StoreError> writePending();
    void journal(ObjectRecord* record);
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
