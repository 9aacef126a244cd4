#include "platform/Folders/AtomicWrite.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace folders {
namespace {

Result<void, QString> writeWithoutSync(const QString& path, const QByteArray& bytes) {
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open())
        return Failure{file.errorString()};
    if (file.write(bytes) != bytes.size() || !file.flush())
        return Failure{file.errorString()};
    // rename(2) replaces the old file in one step; QFile::rename would
    // refuse an existing destination.
    if (std::rename(QFile::encodeName(file.fileName()).constData(),
                    QFile::encodeName(path).constData()) != 0)
        return Failure{QString::fromLocal8Bit(std::strerror(errno))};
    file.setAutoRemove(false);
    return {};
}

} // namespace

Result<void, QString> writeAtomically(const QString& path, const QByteArray& bytes,
                                      Durability durability) {
    if (durability == Durability::cached)
        return writeWithoutSync(path, bytes);
    QSaveFile file(path);
    // Qt's default, stated because it matters: writing in place when the
    // temporary file cannot be made would expose a torn file to readers.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return Failure{file.errorString()};
    if (file.write(bytes) != bytes.size()) {
        const QString message = file.errorString();
        file.cancelWriting();
        return Failure{message};
    }
    if (!file.commit())
        return Failure{file.errorString()};
    return {};
}

} // namespace folders
