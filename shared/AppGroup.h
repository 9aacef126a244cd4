#pragma once

#include <QString>

// The application-group identifier shared by Corvina and Dropslip. It names
// the shared preferences suite; both programs must agree on it byte for byte.
inline QString appGroupIdentifier() {
    return QStringLiteral("group.app.corvina");
}
