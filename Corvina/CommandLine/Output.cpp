#include "Corvina/CommandLine/Output.h"

#include "platform/Core/SystemError.h"
#include "platform/Folders/AtomicWrite.h"

#include <cerrno>
#include <unistd.h>

namespace {
constexpr qsizetype kPiece = 1 << 16;
}

Output::Output(int fd)
    : m_fd(fd) {}

Output::~Output() {
    (void)flush();
}

void Output::fail(int error) {
    if (m_error.isEmpty())
        m_error = systemErrorMessage(error);
}

void Output::write(QByteArrayView bytes) {
    if (m_closed && !bytes.isEmpty())
        fail(EBADF);
    if (!m_error.isEmpty())
        return;
    if (m_buffer.size() + bytes.size() <= kPiece) {
        m_buffer.append(bytes);
        return;
    }
    if (!flush())
        return;
    if (bytes.size() <= kPiece) {
        m_buffer.append(bytes);
        return;
    }
    // Large blocks (an export) go out as they are, without a copy.
    if (!folders::writeAll(m_fd, bytes))
        fail(errno);
}

Output& Output::operator<<(QStringView text) {
    write(text.toUtf8());
    return *this;
}

Output& Output::operator<<(char c) {
    write(QByteArrayView(&c, 1));
    return *this;
}

bool Output::flush() {
    if (m_error.isEmpty() && !folders::writeAll(m_fd, m_buffer))
        fail(errno);
    m_buffer.clear();
    return m_error.isEmpty();
}

bool Output::finish() {
    if (m_fd < 0)
        return m_error.isEmpty();
    (void)flush();
    if (::close(m_fd) != 0 && errno != EINTR)
        fail(errno);
    m_fd = -1;
    return m_error.isEmpty();
}
