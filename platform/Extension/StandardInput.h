#pragma once

#include "platform/Core/Result.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QSocketNotifier;

// Reads a file descriptor (standard input by default) to its end without
// blocking the event loop: a notifier reports when data is there, and each
// report reads what is available. Reading starts with the first request and
// happens once; every request gets the same bytes. Input beyond `maxBytes`
// is refused as a whole rather than cut, since a cut address or list would
// be a different one.
class StandardInput : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kDefaultMaxBytes = 16 * 1024 * 1024;

    using Outcome = Result<QByteArray, QString>;
    using Completion = std::function<void(const Outcome&)>;

    explicit StandardInput(int fd = 0, qsizetype maxBytes = kDefaultMaxBytes,
                           QObject* parent = nullptr);
    ~StandardInput() override;

    // `done` runs on this object's thread once the input has ended (or
    // failed), never inside this call, and not at all once `receiver` is gone.
    void whenRead(QObject* receiver, Completion done);

private:
    void readAvailable();
    void finish(Outcome outcome);

    int m_fd;
    qsizetype m_maxBytes;
    QByteArray m_bytes;
    QSocketNotifier* m_notifier = nullptr; // child of this object while reading
    std::optional<Outcome> m_outcome;
    std::vector<std::pair<QPointer<QObject>, Completion>> m_waiting;
};
