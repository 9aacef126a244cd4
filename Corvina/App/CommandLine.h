#pragma once

#include <QStringList>
#include <QTextStream>

// The command-line face of the program: the same store and code paths as
// the windows, without a display.
namespace cli {

// Whether these arguments ask for the command line rather than a window.
bool wantsCommandLine(const QStringList& arguments);
// Whether the command reads or writes the whole library in one go.
bool handlesWholeLibrary(const QStringList& arguments);

// Runs the command and returns the exit status. `arguments` includes the
// program name first, as QCoreApplication::arguments() gives it.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace cli
