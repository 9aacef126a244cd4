#pragma once

#include "Corvina/ImportExport/BookmarkImporter.h"

#include <QByteArray>
#include <QDateTime>
#include <vector>

// The library's own backup: {"bookmarks": [...], "exportedAt": date,
// "version": 1}, pretty-printed UTF-8 with the keys sorted at every level and
// every date in whole UTC seconds with "Z". Lossless but for sub-second parts.
QByteArray exportJSON(const std::vector<BookmarkPayload>& payloads);
// The same with the export moment given, for callers that must know it.
QByteArray exportJSON(const std::vector<BookmarkPayload>& payloads, const QDateTime& exportedAt);

// Reads a backup, or a bare array of bookmark objects. Each record keeps its
// id and dates; one bad element fails the whole file. So does any object that
// names a key twice: which of the two values was meant cannot be known.
class JSONImporter {
public:
    static const QStringList& fileExtensions();
    static ParsedBookmarks parse(QByteArrayView bytes);

    // The one reason every failure gives.
    static QString malformedReason();
};
