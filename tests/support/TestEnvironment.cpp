#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

namespace testenv {
namespace {
std::unique_ptr<QTemporaryDir> folder;
} // namespace

QString root() {
    return folder ? folder->path() : QString();
}

void isolate() {
    folder =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/corvina-test-XXXXXX"));
    const QString base = folder->path();
    const auto point = [&](const char* variable, const char* leaf) {
        const QString path = base + u'/' + QLatin1String(leaf);
        QDir().mkpath(path);
        qputenv(variable, path.toLocal8Bit());
    };
    point("XDG_DATA_HOME", "data");
    point("XDG_CACHE_HOME", "cache");
    point("XDG_CONFIG_HOME", "config");
    point("XDG_RUNTIME_DIR", "runtime");
    QFile::setPermissions(base + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // HOME too, so nothing that ignores XDG can reach the real one.
    qputenv("HOME", base.toLocal8Bit());
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace testenv
