#pragma once

#include <QString>

// Names of the in-app notifications. Every open library window observes the
// ".requested" ones; rows observe the favicon one.
namespace appnotification {

inline const QString kAddBookmarkRequested = QStringLiteral("quillan.add.bookmark.requested");
inline const QString kImportRequested = QStringLiteral("quillan.import.requested");
// Object: an ExportFormat.
inline const QString kExportRequested = QStringLiteral("quillan.export.requested");
// Object: a PrefillBookmark.
inline const QString kPrefillBookmarkRequested =
    QStringLiteral("quillan.prefill.bookmark.requested");
inline const QString kFaviconsFetchRequested = QStringLiteral("quillan.favicons.fetch.requested");
// User information: "host" → the host name.
inline const QString kFaviconReady = QStringLiteral("quillan.favicon.ready");

} // namespace appnotification
