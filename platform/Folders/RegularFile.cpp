#include "platform/Folders/RegularFile.h"

#include "platform/Core/SystemError.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace folders {
namespace {

Failure<ReadError> failure(ReadError::Kind kind, const QString& message) {
    return Failure{ReadError{kind, message}};
}

Failure<ReadError> tooLarge(qint64 maxBytes) {
    return failure(ReadError::Kind::tooLarge,
                   QCoreApplication::translate("folders", "The file is larger than %1 MB.")
                       .arg(maxBytes >> 20));
}

class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

Result<QByteArray, ReadError> readRegularFile(const QString& path, qint64 maxBytes) {
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that opening a FIFO returns at once; the fstat below
    // then refuses it. Checked on the open descriptor, not the name, so a
    // file swapped in between cannot slip through.
    const Descriptor file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0)
        return failure(ReadError::Kind::unreadable, systemErrorMessage(errno));
    struct stat status {};
    if (::fstat(file.get(), &status) != 0)
        return failure(ReadError::Kind::unreadable, systemErrorMessage(errno));
    if (S_ISDIR(status.st_mode))
        return failure(ReadError::Kind::notRegular, systemErrorMessage(EISDIR));
    if (!S_ISREG(status.st_mode))
        return failure(ReadError::Kind::notRegular,
                       QCoreApplication::translate(
                           "folders", "Not a regular file (a named pipe, a device or a socket)."));
    if (status.st_size > maxBytes)
        return tooLarge(maxBytes);
    // The size is only a hint: the file may grow while it is read, so the
    // limit is held against what actually arrives.
    QByteArray bytes;
    bytes.resize(qsizetype(status.st_size) + 1);
    qsizetype filled = 0;
    while (true) {
        if (filled == bytes.size()) {
            if (filled > maxBytes)
                return tooLarge(maxBytes);
            bytes.resize(std::min<qint64>(maxBytes + 1, qint64(filled) * 2 + 4096));
        }
        const ssize_t got = ::read(file.get(), bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return failure(ReadError::Kind::unreadable, systemErrorMessage(errno));
        }
        if (got == 0)
            break;
        filled += got;
    }
    if (filled > maxBytes)
        return tooLarge(maxBytes);
    bytes.truncate(filled);
    return bytes;
}

} // namespace folders
