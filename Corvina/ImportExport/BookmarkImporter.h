#pragma once

#include "Corvina/ImportExport/ImportErrors.h"
#include "Corvina/Library/BookmarkPayload.h"
#include "platform/Core/Result.h"

#include <QByteArrayView>
#include <QStringList>
#include <concepts>
#include <vector>

using ParsedBookmarks = Result<std::vector<BookmarkPayload>, BookmarkImporterError>;

// A reader of one kind of bookmark file: a stateless type with
//   static const QStringList& fileExtensions();  lower case, without the dot
//   static ParsedBookmarks parse(QByteArrayView bytes);  the whole file at once
template <typename Reader>
concept BookmarkImporterType = requires(QByteArrayView bytes) {
    { Reader::fileExtensions() } -> std::convertible_to<const QStringList&>;
    { Reader::parse(bytes) } -> std::same_as<ParsedBookmarks>;
};

// One reader as the router's registry holds it.
struct BookmarkImporter {
    QStringList fileExtensions;
    ParsedBookmarks (*parse)(QByteArrayView bytes);

    template <BookmarkImporterType Reader> static BookmarkImporter of() {
        return {Reader::fileExtensions(), &Reader::parse};
    }
};
