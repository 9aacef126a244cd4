#pragma once

#include <QStringList>

// The command-line face of the program: the same store and code paths as
// the windows, without a display.
namespace cli {

// Whether these arguments ask for the command line rather than a window.
bool wantsCommandLine(const QStringList& arguments);
// Whether the command reads or writes the whole library in one go.
bool handlesWholeLibrary(const QStringList& arguments);

// Call first, before anything opens a file: a standard descriptor closed by
// the caller would otherwise be handed to the next file opened (the store),
// and output meant for the terminal would land in it.
void claimStandardDescriptors();

// Runs the command, writing to standard output and standard error, and
// returns the exit status: 0 only when everything it reports happened,
// every byte of its output included. `arguments` includes the program name
// first, as QCoreApplication::arguments() gives it.
int run(const QStringList& arguments);

} // namespace cli
