#pragma once

#include "Corvina/ImportExport/BookmarkImporter.h"

#include <QString>
#include <QStringList>
#include <vector>

// Picks the reader for a file from its name's extension alone; the content
// is never sniffed, so a ".json" file holding HTML fails in the JSON reader.
class ImporterRouter {
    Q_DECLARE_TR_FUNCTIONS(ImporterRouter)
public:
    // The readers in their order, which decides ties and the open panel's
    // order of types: Netscape HTML ("html", "htm"), then JSON ("json").
    static const std::vector<BookmarkImporter>& registry();

    // The first reader that lists `extension` (compared in lower case), or null.
    static const BookmarkImporter* importerForExtension(const QString& extension);

    // The MIME type of each registered extension, in registry order, for the
    // open panel; extensions the system has no type for are left out.
    static QStringList allowedContentTypes();

    // The text after the last dot of the file name, as written; empty when
    // the name has no dot.
    static QString fileExtension(const QString& path);

    // Files larger than this are refused before they are read whole.
    static constexpr qint64 kMaxFileBytes = qint64(512) << 20;

    // Routes, reads the whole file and parses it. Nothing is kept from a file
    // that fails anywhere.
    static Result<std::vector<BookmarkPayload>, ImportError> readFile(const QString& path);
};
