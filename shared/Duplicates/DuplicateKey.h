#pragma once

#include "platform/Url/Url.h"

#include <QString>
#include <QStringView>

// The normalised form of an address under which the app and the share sheet
// recognise a page that is already saved. Both programs must compute it
// identically: the index file written by one is read by the other.
//
// scheme (lower-cased) + "://" + decoded host (lower-cased, one leading
// "www." removed) + decoded path (one final "/" removed unless the path is
// just "/") + "?" + the query items without tracking parameters, sorted
// stably by name and written "name=value", joined with "&". Port, user info
// and fragment leave no trace; nothing is re-encoded. Never fails.
QString duplicateKey(const Url& url);

// For addresses kept as text. Text that does not parse as a URL gets "!"
// followed by the text unchanged: every key of a parsed URL starts with a
// scheme character or ':', so such keys never meet one, and two different
// unparseable texts keep different keys.
QString duplicateKey(QStringView urlText);
// The same, sparing the copy the parse would otherwise make of stored text.
QString duplicateKey(const QString& urlText);
