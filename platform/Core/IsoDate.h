#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// The one date form of every JSON file the programs write or read:
// ISO 8601 internet date-time, UTC, whole seconds, suffix "Z".
namespace isodate {

// "2024-05-01T12:30:00Z"; fractions of a second are dropped, never rounded up.
QString format(const QDateTime& when);

// Accepts "yyyy-MM-ddTHH:mm:ssZ" and the same with a "+hh:mm" / "-hh:mm"
// offset. Bare dates, fractions of a second, lower-case separators and
// out-of-range fields are rejected. The result is in UTC.
std::optional<QDateTime> parse(QStringView text);

// The current time truncated to whole milliseconds, in UTC.
QDateTime now();

} // namespace isodate
