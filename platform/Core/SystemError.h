#pragma once

#include <QString>

#include <cstring>

// The C library's description of an errno value, in the user's language where
// the system has one, for messages that say why a file operation failed.
inline QString systemErrorMessage(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}
