#pragma once

// Private to the store: string lists are kept in one column as a JSON array
// of strings, so any string (commas, quotes, NULs, astral characters)
// survives and the order is kept.

#include <QByteArray>
#include <QStringList>
#include <optional>

namespace store {

QByteArray encodeStringList(const QStringList& list);
// nullopt when the text is not a JSON array of strings.
std::optional<QStringList> decodeStringList(const QByteArray& json);
// Whether `json` decodes to `list`; without building the list when it holds
// no escapes, as stored lists mostly do.
bool encodesStringList(const QByteArray& json, const QStringList& list);

} // namespace store
