#pragma once

#include "Corvina/ImportExport/ExportFormat.h"
#include "Corvina/Library/BookmarkPayload.h"
#include "platform/Core/Result.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QStringList>
#include <vector>

// What the save panel writes for an export: the whole library in one of the
// two formats. Write-only; nothing in the program reads one back.
struct BookmarksDocument {
    Q_DECLARE_TR_FUNCTIONS(BookmarksDocument)
public:
    std::vector<BookmarkPayload> bookmarks;
    ExportFormat format = ExportFormat::json;

    // JSON, then HTML.
    static QStringList readableContentTypes();
    static QStringList writableContentTypes() { return readableContentTypes(); }

    // Always fails, with the text for a feature the system does not offer.
    static Result<BookmarksDocument, QString> read(QByteArrayView bytes);

    // The JSON backup or the Netscape file.
    QByteArray fileContents() const;
    // Writes the file whole (temporary file, then one rename); the error is a
    // readable description.
    Result<void, QString> write(const QString& path) const;
};
