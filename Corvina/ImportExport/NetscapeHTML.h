#pragma once

#include "Corvina/ImportExport/BookmarkImporter.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <QStringView>
#include <optional>
#include <vector>

// The bookmark file browsers exchange: "<!DOCTYPE NETSCAPE-Bookmark-file-1>".

// One flat list, tags in a TAGS attribute, UTF-8 with line feeds. Never fails.
QByteArray exportNetscapeHTML(const std::vector<BookmarkPayload>& payloads);

// A line scanner, not an HTML parser: folder headings ("<H3>") and folder
// ends ("</DL>") keep a stack of folder names that become tags of the links
// ("<A HREF=...>") inside them; every other line is ignored. Lines end at a
// line feed or a carriage return plus line feed. Lines that cannot be read
// are skipped; the only failure is bytes that are not text.
class NetscapeHTMLImporter {
public:
    static const QStringList& fileExtensions();
    static ParsedBookmarks parse(QByteArrayView bytes);
};

namespace netscape {

// The raw value of the first `name = "value"` or `name = 'value'` anywhere in
// `line` (white space allowed around "=", the name matched without case and
// not anchored at a word boundary), or nothing. A view into `line`.
std::optional<QStringView> attribute(QStringView line, QLatin1StringView name);

// The four attributes a link line is read for, each exactly as attribute()
// gives it, found in one pass over the line.
struct LinkAttributes {
    std::optional<QStringView> href, addDate, lastModified, tags;
};
LinkAttributes linkAttributes(QStringView line);

// A date attribute's value as seconds since 1970: the whole value must be one
// decimal number (sign, digits, fraction, exponent), nothing around it.
// Values outside the years 1 to 9999 count as unreadable.
std::optional<QDateTime> dateValue(QStringView value);

// Folders nested deeper than this still open and close, but add no more tags:
// a file of thousands of nested folders would otherwise give every link
// inside thousands of tags.
inline constexpr qsizetype kMaxFolderTags = 64;

} // namespace netscape
