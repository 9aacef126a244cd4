#include "platform/Extension/StandardInput.h"

#include "platform/Core/SystemError.h"

#include <QSocketNotifier>
#include <cerrno>
#include <unistd.h>

StandardInput::StandardInput(int fd, qsizetype maxBytes, QObject* parent)
    : QObject(parent)
    , m_fd(fd)
    , m_maxBytes(maxBytes) {}

StandardInput::~StandardInput() = default;

void StandardInput::whenRead(QObject* receiver, Completion done) {
    m_waiting.emplace_back(receiver, std::move(done));
    if (m_outcome) {
        QMetaObject::invokeMethod(
            this, [this] { finish(*m_outcome); }, Qt::QueuedConnection);
        return;
    }
    if (m_notifier)
        return;
    // The descriptor stays blocking: it is shared with whoever started us,
    // and a read after the notifier fired returns what is there at once.
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StandardInput::readAvailable);
}

void StandardInput::readAvailable() {
    char buffer[64 * 1024];
    ssize_t count;
    do {
        count = ::read(m_fd, buffer, sizeof buffer);
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return;
        finish(Failure{systemErrorMessage(errno)});
        return;
    }
    if (count == 0) {
        finish(std::move(m_bytes));
        return;
    }
    if (m_bytes.size() + count > m_maxBytes) {
        finish(Failure{tr("The input is larger than %1 MiB.").arg(m_maxBytes / (1024 * 1024))});
        return;
    }
    m_bytes.append(buffer, count);
}

void StandardInput::finish(Outcome outcome) {
    if (m_notifier) {
        // Usually called from the notifier's own signal: not deleted under it.
        m_notifier->setEnabled(false);
        std::exchange(m_notifier, nullptr)->deleteLater();
    }
    m_bytes.clear();
    m_outcome = std::move(outcome);
    for (auto& [receiver, done] : std::exchange(m_waiting, {}))
        if (receiver)
            done(*m_outcome);
}
