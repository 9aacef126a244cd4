#include "Corvina/CommandLine/Output.h"

#include <cerrno>
#include <cstring>
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
        m_error = QString::fromLocal8Bit(std::strerror(error));
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
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
            return;
        }
        data += written;
        left -= written;
    }
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
    const char* data = m_buffer.constData();
    qsizetype left = m_error.isEmpty() ? m_buffer.size() : 0;
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
            break;
        }
        data += written;
        left -= written;
    }
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
