// Dropslip as it starts from the command line, optionally in the dark
// palette, for screenshots (scripts/dropslip-screenshots):
//   dropslip_preview [--dark] DROPSLIP-ARGUMENTS...
// Uses the XDG folders it is given; not a test.
#include "extension/App/Dropslip.h"
#include "tools/previews/PreviewPalette.h"

#include <QApplication>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const bool dark = arguments.removeAll(QStringLiteral("--dark")) > 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dropslip"));
    QApplication::setOrganizationName(QStringLiteral("Corvina"));
    if (dark)
        QApplication::setPalette(preview::darkPalette());
    return runDropslip(arguments);
}
