#pragma once

#include <QString>
#include <optional>

class QMimeData;

// What a drop onto the library window offers as a page to add. Only the
// first dragged item counts, and the first of these it offers: a saved web
// location (a .webloc, .desktop link or .url file), a URL, plain text.
namespace droppedlink {

// Whether the drop offers any of the three kinds at all; deciding that
// reads nothing.
bool offersLink(const QMimeData& data);

// The address, when it is an http(s) URL; nothing otherwise. Reads a dropped
// link file (small files only).
std::optional<QString> webAddress(const QMimeData& data);

} // namespace droppedlink
