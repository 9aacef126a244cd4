#pragma once

#include "platform/Url/Url.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

// "duplicate-index.json" in the shared folder: one JSON object whose member
// names are duplicate keys and whose values are the titles of the bookmarks
// with those keys. The app writes it whole; the share sheet only reads it.

// The compact exchange form of the object, slashes escaped.
QByteArray encodeDuplicateIndex(const QHash<QString, QString>& index);

// Any valid JSON object whose values are all strings; anything else is
// unreadable as a whole.
std::optional<QHash<QString, QString>> decodeDuplicateIndex(const QByteArray& bytes);

// The index file directly in `supportDir`, beside the inbox folder.
QString duplicateIndexPath(const QString& supportDir);

// The share sheet's check: the title saved under the key of `url`, or nullopt
// when there is none or the index is missing, unreadable or malformed. Reads
// the file afresh on every call.
std::optional<QString> lookUpDuplicate(const Url& url);
