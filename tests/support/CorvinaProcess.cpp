#include "tests/support/CorvinaProcess.h"

#include <QCoreApplication>
#include <csignal>
#include <sys/resource.h>

namespace testcorvina {

QString binary() {
    return QStringLiteral(CORVINA_BINARY);
}

QProcessEnvironment environment(const QString& home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("CORVINA_CRASH_AT"));
    return environment;
}

Started::Started(const QString& home, const QStringList& arguments, const Options& options)
    : m_options(options) {
    QProcessEnvironment env = environment(home);
    if (!options.crashAt.isEmpty())
        env.insert(QStringLiteral("CORVINA_CRASH_AT"), QString::fromLatin1(options.crashAt));
    m_process.setProcessEnvironment(env);
    if (!options.standardOutputFile.isEmpty())
        m_process.setStandardOutputFile(options.standardOutputFile, QIODevice::Truncate);
    if (options.fileSizeLimit > 0) {
        const rlim_t limit = rlim_t(options.fileSizeLimit);
        m_process.setChildProcessModifier([limit] {
            // A write past the limit then fails with EFBIG instead of
            // killing the child, as a full disk fails with ENOSPC.
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit size{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &size);
        });
    }
    m_clock.start();
    m_process.start(binary(), arguments);
}

Started::~Started() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

// Waits while this thread's event loop keeps running, so that servers the
// test runs on it (a local HTTP server, say) answer the child.
static bool waitServing(QProcess& process, qint64 milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning) {
        if (clock.elapsed() >= milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        process.waitForFinished(5);
    }
    return true;
}

Run Started::finish() {
    Run result;
    if (m_options.killAfter) {
        const qint64 left = m_options.killAfter->count() - m_clock.elapsed();
        if (!waitServing(m_process, std::max<qint64>(left, 0)))
            m_process.kill();
    }
    if (!waitServing(m_process, m_options.timeout.count())) {
        m_process.kill();
        m_process.waitForFinished();
        result.err = m_process.readAllStandardError();
        return result;
    }
    result.exitCode = m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -2;
    result.out = m_process.readAllStandardOutput();
    result.err = m_process.readAllStandardError();
    return result;
}

Run run(const QString& home, const QStringList& arguments, const Options& options) {
    return Started(home, arguments, options).finish();
}

} // namespace testcorvina
