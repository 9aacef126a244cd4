#pragma once

#include "platform/Core/Result.h"
#include "platform/Url/Url.h"

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>
#include <vector>

// The plain value twin of a bookmark: the unit of the JSON backup, of import
// review and of the export document. Carries no reference to the store and
// may be used on any thread.
// Tags a bookmark read from a file keeps at most, in their order: no list
// made by a person comes near, and a file of millions of tags on one
// bookmark would otherwise cost gigabytes.
inline constexpr qsizetype kMaxTagsPerBookmark = 1000;

struct BookmarkPayload {
    QUuid id;
    Url url = *Url::parse(QStringLiteral("about:blank"));
    QString title;
    QString description;
    QStringList tags;
    QDateTime createdAt;
    QDateTime updatedAt;

    // All seven fields in order; tags element by element; strings by Unicode
    // canonical equivalence.
    bool operator==(const BookmarkPayload& other) const;
};
size_t qHash(const BookmarkPayload& payload, size_t seed = 0);

struct PayloadDecodeError {
    QString key;     // the offending key, empty when the value is not an object
    QString message; // English description naming the key
};

// The JSON object with exactly the seven keys. Dates are written as ISO 8601
// UTC whole seconds with "Z"; the id as the canonical upper-case UUID string.
QJsonObject payloadToJson(const BookmarkPayload& payload);

// Every key is required and matched exactly; unknown keys are ignored. The
// url must be a URL string, the id a UUID string, dates ISO 8601.
Result<BookmarkPayload, PayloadDecodeError> payloadFromJson(const QJsonValue& value);

// A JSON array of payload objects; one bad element fails the whole array.
// `index` in the error message names the element.
Result<std::vector<BookmarkPayload>, PayloadDecodeError>
payloadsFromJsonArray(const QJsonValue& value);

QString uuidString(const QUuid& id);
// The inverse of uuidString, upper or lower case: only the 36-character form
// is an id, though QUuid would also take braces.
std::optional<QUuid> uuidFromString(QStringView text);
