#include "tests/support/CorvinaProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
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

struct Started::Private {
    QProcess process;
    Options options;
    QElapsedTimer clock;
};

Started::Started(const QString& home, const QStringList& arguments, const Options& options)
    : d(new Private) {
    d->options = options;
    QProcessEnvironment env = environment(home);
    if (!options.crashAt.isEmpty())
        env.insert(QStringLiteral("CORVINA_CRASH_AT"), QString::fromLatin1(options.crashAt));
    d->process.setProcessEnvironment(env);
    if (!options.standardOutputFile.isEmpty())
        d->process.setStandardOutputFile(options.standardOutputFile, QIODevice::Truncate);
    if (options.fileSizeLimit > 0) {
        const rlim_t limit = rlim_t(options.fileSizeLimit);
        d->process.setChildProcessModifier([limit] {
            // A write past the limit then fails with EFBIG instead of
            // killing the child, as a full disk fails with ENOSPC.
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit size{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &size);
        });
    }
    d->clock.start();
    d->process.start(binary(), arguments);
}

Started::~Started() {
    if (d->process.state() != QProcess::NotRunning) {
        d->process.kill();
        d->process.waitForFinished();
    }
    delete d;
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
    if (d->options.killAfter) {
        const qint64 left = d->options.killAfter->count() - d->clock.elapsed();
        if (!waitServing(d->process, std::max<qint64>(left, 0)))
            d->process.kill();
    }
    if (!waitServing(d->process, d->options.timeout.count())) {
        d->process.kill();
        d->process.waitForFinished();
        result.err = d->process.readAllStandardError();
        return result;
    }
    result.exitCode =
        d->process.exitStatus() == QProcess::NormalExit ? d->process.exitCode() : -2;
    result.out = d->process.readAllStandardOutput();
    result.err = d->process.readAllStandardError();
    return result;
}

Run run(const QString& home, const QStringList& arguments, const Options& options) {
    return Started(home, arguments, options).finish();
}

} // namespace testcorvina
