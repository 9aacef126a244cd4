// The main every benchmark program shares: an application object for Qt's
// event loop and plugins, and XDG folders in a throw-away tree so that no
// benchmark ever writes into the user's real data, cache or settings.

#include <QByteArray>
#include <QCoreApplication>
#ifdef CORVINA_BENCH_GUI
#include <QApplication>
#endif
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    QTemporaryDir home;
    for (const char* variable : {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"})
        qputenv(variable, (home.path() + u'/' + QLatin1StringView(variable)).toLocal8Bit());
#ifdef CORVINA_BENCH_GUI
    // Painting benchmarks need fonts and a paint device, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
