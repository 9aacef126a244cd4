#include "extension/App/Dropslip.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Read before QApplication strips the options it knows, --title among them.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dropslip"));
    QApplication::setOrganizationName(QStringLiteral("Corvina"));
    QApplication::setApplicationDisplayName(QStringLiteral("Dropslip"));
    QApplication::setDesktopFileName(QStringLiteral("dropslip"));
    return runDropslip(arguments);
}
