#include "platform/Folders/StandardFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace folders {
namespace {
std::optional<QString> lookUp(QStandardPaths::StandardLocation location, Create create) {
    const QString path = QStandardPaths::writableLocation(location);
    if (path.isEmpty())
        return std::nullopt;
    if (create == Create::yes) {
        if (!QDir().mkpath(path))
            return std::nullopt;
    }
    if (create == Create::yes && !QFileInfo(path).isDir())
        return std::nullopt;
    return path;
}
} // namespace

std::optional<QString> applicationSupport(Create create) {
    return lookUp(QStandardPaths::GenericDataLocation, create);
}

std::optional<QString> caches(Create create) {
    return lookUp(QStandardPaths::GenericCacheLocation, create);
}

QString temporary() {
    return QDir::tempPath();
}

} // namespace folders
