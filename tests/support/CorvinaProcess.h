#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

// The real `corvina` binary run as a child process, with its XDG folders in
// a home of the test's own.
namespace testcorvina {

struct Run {
    int exitCode = -1; // -2: ended by a signal; -1: did not finish in time
    QByteArray out;
    QByteArray err;
};

struct Options {
    QByteArray crashAt{};                                 // CORVINA_CRASH_AT
    std::optional<std::chrono::milliseconds> killAfter{}; // SIGKILL once this has passed
    QString standardOutputFile{};                         // instead of a pipe
    qint64 fileSizeLimit = 0;                             // RLIMIT_FSIZE, as a full disk
    std::chrono::milliseconds timeout{60'000};
};

QString binary();
QProcessEnvironment environment(const QString& home);
Run run(const QString& home, const QStringList& arguments, const Options& options = {});

// Starts without waiting; the caller collects the result with finish().
class Started {
public:
    Started(const QString& home, const QStringList& arguments, const Options& options = {});
    ~Started();
    Run finish();

private:
    QProcess m_process;
    Options m_options;
    QElapsedTimer m_clock;
};

} // namespace testcorvina
