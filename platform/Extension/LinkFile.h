#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

// Readers for the ways a desktop keeps a web address in a file or hands it
// over as data. They return the address as written (trimmed of surrounding
// white space); whether it is a usable URL is the caller's question.
namespace linkfile {

enum class Kind {
    desktopEntry,    // freedesktop .desktop with Type=Link and URL=
    windowsShortcut, // .url: [InternetShortcut] URL=
    webLocation,     // .webloc: an XML property list with a URL string
};

struct Link {
    QString url;
    QString name; // the link's own name when the format has one, else empty
};

// Files larger than this are not taken for link files.
constexpr qsizetype kMaxLinkFileBytes = 1024 * 1024;

// The kind of link file a MIME type names, if any.
std::optional<Kind> kindForMimeType(const QString& mimeType);
// The kind a file name's extension names, if any (letter case ignored).
std::optional<Kind> kindForFileName(const QString& fileName);

// nullopt when the bytes are not such a file or hold no address.
std::optional<Link> parse(Kind kind, QByteArrayView bytes);

// The first address of a text/uri-list: lines ending in CRLF or LF, '#'
// lines are comments.
std::optional<QString> firstUriInList(QByteArrayView bytes);
// The address line of text/x-moz-url ("address\ntitle"), in UTF-16 as the
// browsers write it (with or without a byte order mark) or in UTF-8.
std::optional<Link> parseMozUrl(QByteArrayView bytes);

} // namespace linkfile
