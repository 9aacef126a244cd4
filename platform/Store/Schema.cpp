#include "platform/Store/Schema.h"

namespace store {

int EntitySchema::indexOf(const QString& attributeName) const {
    for (size_t i = 0; i < attributes.size(); ++i) {
        if (attributes[i].name == attributeName)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace store
