#pragma once

#include "platform/Store/Schema.h"

#include <QExplicitlySharedDataPointer>
#include <QVariant>
#include <cstddef>

namespace store {

class ModelContext;
struct ObjectRecord;

// A handle to one persistent object. Handles are cheap to copy; all copies
// refer to the same object, and equality is identity: two objects with the
// same values are not equal. A default-constructed handle is null.
class ModelObject {
public:
    ModelObject() = default;
    // A new, unattached object with every attribute at its schema default.
    explicit ModelObject(const EntitySchema& schema);
    ~ModelObject();
    ModelObject(const ModelObject&);
    ModelObject& operator=(const ModelObject&);
    // Moving leaves the object's reference count alone: lists of many
    // thousand handles are rebuilt at every change of the store.
    ModelObject(ModelObject&&) noexcept;
    ModelObject& operator=(ModelObject&&) noexcept;

    bool isNull() const { return !m_record; }
    const EntitySchema& schema() const;

    // The stored value itself: valid until the attribute is next written.
    const QVariant& value(int attribute) const;
    // Stores the value; when the object belongs to a context, marks it
    // changed there and lets the context announce the change.
    void setValue(int attribute, const QVariant& value);
    // Goes up with every attribute write, so that a value worked out from the
    // attributes can be kept while the object's revision stays the same.
    quint64 revision() const;

    // The context the object has been inserted into, or nullptr.
    ModelContext* context() const;
    // True once a save has written the object to the store.
    bool isPersisted() const;
    bool isDeleted() const;

    bool operator==(const ModelObject& other) const { return m_record == other.m_record; }
    // By identity, for sorted lists of handles such as ModelContext::changedSince().
    bool operator<(const ModelObject& other) const {
        return m_record.data() < other.m_record.data();
    }
    friend size_t qHash(const ModelObject& object, size_t seed = 0) {
        return ::qHash(static_cast<const void*>(object.m_record.data()), seed);
    }

private:
    friend class ModelContext;
    explicit ModelObject(ObjectRecord* record);
    QExplicitlySharedDataPointer<ObjectRecord> m_record;
};

} // namespace store
