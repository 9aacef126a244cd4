#pragma once

// Private to the store: the shared data behind every ModelObject handle.

#include "platform/Store/Schema.h"

#include <QSharedData>
#include <QVariant>
#include <vector>

namespace store {

class ModelContext;

struct ObjectRecord : QSharedData {
    const EntitySchema* schema = nullptr;
    std::vector<QVariant> values;
    // Cleared by the context when it goes, so a handle that outlives it is safe.
    ModelContext* context = nullptr;
    qint64 rowId = 0; // 0 until a save has written the object
    quint64 revision = 0;
    // Place in the context's store order, which breaks ties between equal
    // sort keys; only ever grows along that order.
    quint64 sequence = 0;
    bool pendingInsert = false;
    bool pendingUpdate = false;
    bool deleted = false;
};

} // namespace store
