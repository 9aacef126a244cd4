#include "platform/Store/ModelObject.h"

#include "platform/Store/ModelContext.h"
#include "platform/Store/ObjectRecord.h"

namespace store {

ModelObject::ModelObject(const EntitySchema& schema)
    : m_record(new ObjectRecord) {
    m_record->schema = &schema;
    m_record->values.reserve(schema.attributes.size());
    for (const AttributeSpec& attribute : schema.attributes)
        m_record->values.push_back(attribute.makeDefault ? attribute.makeDefault() : QVariant());
}

ModelObject::ModelObject(ObjectRecord* record)
    : m_record(record) {}
ModelObject::~ModelObject() = default;
ModelObject::ModelObject(const ModelObject&) = default;
ModelObject& ModelObject::operator=(const ModelObject&) = default;
ModelObject::ModelObject(ModelObject&&) noexcept = default;
ModelObject& ModelObject::operator=(ModelObject&&) noexcept = default;

const EntitySchema& ModelObject::schema() const {
    return *m_record->schema;
}

const QVariant& ModelObject::value(int attribute) const {
    return m_record->values.at(static_cast<size_t>(attribute));
}

void ModelObject::setValue(int attribute, const QVariant& value) {
    m_record->values.at(static_cast<size_t>(attribute)) = value;
    ++m_record->revision;
    if (m_record->context)
        m_record->context->noteChange(m_record.data());
}

quint64 ModelObject::revision() const {
    return m_record ? m_record->revision : 0;
}

ModelContext* ModelObject::context() const {
    return m_record ? m_record->context : nullptr;
}

bool ModelObject::isPersisted() const {
    return m_record && m_record->rowId != 0 && !m_record->deleted;
}

bool ModelObject::isDeleted() const {
    return m_record && m_record->deleted;
}

} // namespace store
