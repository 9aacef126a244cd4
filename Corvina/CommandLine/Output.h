#pragma once

#include <QByteArray>
#include <QString>

// Standard output or standard error as a command writes to it. Bytes go out
// in large pieces, every write is checked, and the first failure is kept:
// a command that says it exported the library has written every byte of
// it (a full disk, a closed descriptor or a broken pipe are caught).
class Output {
public:
    explicit Output(int fd);
    // The descriptor was closed when the program started (and now holds
    // /dev/null, so that no file opened later takes its number): the first
    // write fails as a write to a closed descriptor does.
    void markClosed() { m_closed = true; }
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void write(QByteArrayView bytes);
    Output& operator<<(QStringView text);
    Output& operator<<(const QString& text) { return *this << QStringView(text); }
    Output& operator<<(char c);

    // Writes out what is held back; false when anything written so far failed.
    bool flush();
    // Flushes and closes the descriptor, which is where some file systems
    // report a failed write; false when anything failed.
    bool finish();
    // The system's words for the first failure.
    const QString& error() const { return m_error; }

private:
    void fail(int error);

    int m_fd;
    bool m_closed = false;
    QByteArray m_buffer;
    QString m_error;
};
