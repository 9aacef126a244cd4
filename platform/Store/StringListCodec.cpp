#include "platform/Store/StringListCodec.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace store {

QByteArray encodeStringList(const QStringList& list) {
    if (list.isEmpty())
        return QByteArrayLiteral("[]");
    return QJsonDocument(QJsonArray::fromStringList(list)).toJson(QJsonDocument::Compact);
}

std::optional<QStringList> decodeStringList(const QByteArray& json) {
    // Most rows have no tags; skip the JSON parser for them.
    if (json == "[]")
        return QStringList();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QStringList list;
    const QJsonArray array = document.array();
    list.reserve(array.size());
    for (const QJsonValue& value : array) {
        if (!value.isString())
            return std::nullopt;
        list.append(value.toString());
    }
    return list;
}

} // namespace store
