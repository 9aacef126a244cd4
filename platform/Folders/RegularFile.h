#pragma once

#include "platform/Core/Result.h"

#include <QByteArray>
#include <QString>

namespace folders {

struct ReadError {
    enum class Kind {
        unreadable, // missing, no permission, an I/O error
        notRegular, // a FIFO, a device, a socket or a folder
        tooLarge,   // more than the caller's limit
    };
    Kind kind = Kind::unreadable;
    QString message; // a readable description
};

// Reads `path` whole when it is a regular file (or a link to one) of at most
// `maxBytes`. Anything else is refused without reading, and without blocking:
// a FIFO named like a data file would otherwise hang the open, and a link to
// /dev/zero would grow without end.
Result<QByteArray, ReadError> readRegularFile(const QString& path, qint64 maxBytes);

} // namespace folders
