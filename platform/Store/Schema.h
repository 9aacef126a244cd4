#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

namespace store {

// The kinds of value an attribute can hold, and the QVariant type each one
// travels as: Uuid → QUuid, String → QString, StringList → QStringList,
// Date → QDateTime (UTC, millisecond precision).
enum class AttributeType { Uuid, String, StringList, Date };

struct AttributeSpec {
    QString name;
    AttributeType type;
    // Evaluated for each new object, so "a fresh UUID" and "now" are per object.
    std::function<QVariant()> makeDefault;
};

// One entity per store file. Attribute order is the object's value order and
// the table's column order; stored files depend on names, not positions.
struct EntitySchema {
    QString entityName;
    QString version; // "1.0.0"
    std::vector<AttributeSpec> attributes;

    int indexOf(const QString& attributeName) const;
};

} // namespace store
