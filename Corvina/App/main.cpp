#include "Corvina/App/CorvinaAppDelegate.h"
#include "Corvina/App/QuillanApp.h"
#include "Corvina/CommandLine/CommandLine.h"
#include "platform/Core/HugePages.h"
#include "platform/Core/SystemLog.h"
#include "platform/SingleInstance/SingleInstance.h"

#include <QApplication>
#include <cstdio>

namespace {
void describe(QCoreApplication& app) {
    app.setApplicationName(QStringLiteral("corvina"));
    app.setOrganizationName(QStringLiteral("Corvina"));
    app.setApplicationVersion(QStringLiteral(CORVINA_VERSION));
}
} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    if (cli::wantsCommandLine(arguments)) {
        if (cli::handlesWholeLibrary(arguments))
            hugepages::restartAskingForHugePages(argv);
        cli::claimStandardDescriptors();
        QCoreApplication app(argc, argv);
        describe(app);
        return cli::run(app.arguments());
    }

    QApplication app(argc, argv);
    describe(app);
    app.setApplicationDisplayName(QStringLiteral("Corvina"));
    app.setDesktopFileName(QStringLiteral("corvina"));
    // A running Corvina takes this start's links ("corvina://add?…") and
    // comes to the front; this process then has nothing more to do.
    const QString socket = SingleInstance::serverName(QStringLiteral("corvina"));
    const QStringList handed = app.arguments().mid(1);
    if (SingleInstance::handOff(socket, handed))
        return EXIT_SUCCESS;
    SingleInstance instance;
    // Without the socket this instance still runs; later starts run beside it.
    (void)instance.listen(socket);

    auto started = QuillanApp::start();
    if (!started) {
        standardErrorLine(started.error());
        return EXIT_FAILURE;
    }
    QuillanApp& corvina = *started.value();
    corvina.openWindow();
    corvina.appDelegate().handleArguments(handed);
    QObject::connect(&instance, &SingleInstance::argumentsReceived, &corvina,
                     [&corvina](const QStringList& arguments) {
                         corvina.bringToFront();
                         corvina.appDelegate().handleArguments(arguments);
                     });
    return app.exec();
}
