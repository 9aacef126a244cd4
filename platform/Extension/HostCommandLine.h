#pragma once

#include "platform/Core/Result.h"
#include "platform/Extension/ExtensionContext.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// How the extension was started, read from its command line:
//   dropslip [--title TITLE] URL|FILE|TEXT...
//   dropslip [--title TITLE] --stdin [--type MIME]
struct HostRequest {
    bool helpRequested = false;
    std::optional<QString> title;
    QStringList inputs;
    bool readStandardInput = false;
    QString standardInputType = QStringLiteral("text/plain");
};

// `arguments` includes the program name. The error is a one-line message
// for standard error.
Result<HostRequest, QString> parseHostArguments(const QStringList& arguments);
QString hostUsage();

// The request as a share host would hand it over, one input item per
// argument (or one for standard input):
// - a web address or other absolute URL: its URL object and its text;
// - a link file (.desktop link, .url, .webloc): the address it holds as a
//   URL, and the file's own URL; its name (or the file's) as the title;
// - any other existing file, HTML pages among them: the file's URL;
// - anything else: the text.
// Standard input is read later, when an item is loaded, from `inputFd`.
// Link files are read here, at start, before anything is shown.
std::unique_ptr<ExtensionContext> makeExtensionContext(const HostRequest& request, int inputFd = 0);
