#include "platform/Folders/AtomicWrite.h"

#include <QSaveFile>

namespace folders {

Result<void, QString> writeAtomically(const QString& path, const QByteArray& bytes) {
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
