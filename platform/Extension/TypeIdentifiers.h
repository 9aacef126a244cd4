#pragma once

#include <QString>
#include <QStringList>

// Content type identifiers, the names shared items are asked for by, and the
// MIME types they stand for on this desktop. One table serves the host (what
// a started program received) and the desktop file (what it accepts).
namespace uti {

inline const QString url = QStringLiteral("public.url");
inline const QString fileURL = QStringLiteral("public.file-url");
inline const QString text = QStringLiteral("public.text");
inline const QString plainText = QStringLiteral("public.plain-text");
inline const QString html = QStringLiteral("public.html");
inline const QString json = QStringLiteral("public.json");
// A link saved as a file: freedesktop .desktop links, Windows .url shortcuts
// and .webloc property lists.
inline const QString webLocation = QStringLiteral("com.apple.web-internet-location");

// The MIME types of a type identifier, the preferred one first; empty for an
// identifier the table does not know.
QStringList mimeTypes(const QString& typeIdentifier);

// The identifier a MIME type is read as; empty when the table has none.
QString typeIdentifier(const QString& mimeType);

// Whether an item of type `type` can be handed to someone asking for
// `wanted`: the same identifier, or `wanted` is one of its parents (a file
// URL is a URL, plain text is text).
bool conformsTo(const QString& type, const QString& wanted);

} // namespace uti
