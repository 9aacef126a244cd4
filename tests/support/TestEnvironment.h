#pragma once

#include <QByteArray>
#include <QString>

namespace testenv {

// The temporary folder that XDG_DATA_HOME, XDG_CACHE_HOME, XDG_CONFIG_HOME,
// XDG_RUNTIME_DIR and HOME point into for this test process. Removed at exit.
QString root();

// Points the XDG variables at a fresh temporary tree. Called by the shared
// mains before the Qt application object exists.
void isolate();

// A file's bytes, or "<missing>" when it cannot be read.
QByteArray contents(const QString& path);

} // namespace testenv
