#include "platform/Folders/AtomicWrite.h"

#include "platform/Core/SystemError.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace folders {
namespace {

// The process's umask without changing it (umask(2) can only be read by
// setting it, which would race with other threads creating files).
mode_t currentUmask() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith("Umask:"))
                return mode_t(std::strtoul(line.constData() + 6, nullptr, 8));
        }
    }
    return 022;
}

} // namespace

bool writeAll(int fd, QByteArrayView bytes) {
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

Result<void, QString> writeAtomically(const QString& path, const QByteArray& bytes,
                                      Durability durability) {
    QByteArray target = QFile::encodeName(path);
    struct stat link {};
    if (::lstat(target.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        // The link stays; the file it points to is the one replaced.
        if (char* resolved = ::realpath(target.constData(), nullptr)) {
            target = resolved;
            std::free(resolved);
        } else if (const QString pointee = QFileInfo(path).symLinkTarget(); !pointee.isEmpty()) {
            target = QFile::encodeName(pointee); // the file it names is yet to be made
        }
    }
    struct stat existing {};
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return Failure{systemErrorMessage(EISDIR)};
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or a pipe (/dev/stdout, say) is written to, never
        // replaced by a file of the same name.
        const int fd = ::open(target.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            return Failure{systemErrorMessage(errno)};
        // Opened without blocking so that a pipe nobody reads fails at once;
        // written with blocking so that a slow reader is waited for.
        (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        const bool written = writeAll(fd, bytes);
        const int error = errno;
        if (::close(fd) != 0 && written)
            return Failure{systemErrorMessage(errno)};
        if (!written)
            return Failure{systemErrorMessage(error)};
        return {};
    }
    QByteArray temporary = target + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return Failure{systemErrorMessage(errno)};
    // Errors are told by the system's own words ("No space left on device"),
    // and the temporary file never outlives a failure.
    const auto fail = [&](int error) -> Result<void, QString> {
        ::close(fd);
        ::unlink(temporary.constData());
        return Failure{systemErrorMessage(error)};
    };
    // mkostemp makes the file private; the final file gets the permissions
    // the file it replaces had, or those a new file would get.
    const mode_t mode = exists ? existing.st_mode & 07777 : (0666 & ~currentUmask());
    if (::fchmod(fd, mode) != 0)
        return fail(errno);
    if (!writeAll(fd, bytes))
        return fail(errno);
    if (durability == Durability::synced && ::fsync(fd) != 0)
        return fail(errno);
    // Some file systems report a failed write only when the file is closed.
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return Failure{systemErrorMessage(error)};
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return Failure{systemErrorMessage(error)};
    }
    // Without this a power cut can bring the old file back.
    if (durability == Durability::synced)
        syncFolderOf(target);
    return {};
}

void syncFolderOf(const QByteArray& path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

} // namespace folders
