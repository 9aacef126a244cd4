#pragma once

#include <QString>
#include <optional>

// The folder both programs reach: "Corvina" under the user's application
// support folder. It holds the inbox that the share sheet fills and the app
// drains, and the duplicate index the app writes and the share sheet reads.
// Both programs must compute these paths the same way.
namespace sharedcontainer {

// "<application support>/Corvina"; nullopt when the platform reports no
// application support folder or only a relative path. Creates nothing.
std::optional<QString> supportDirectory();

// supportDirectory() + "/inbox", created with its parents on every lookup.
// A failure to create it is ignored: the read or write that follows fails on
// its own.
std::optional<QString> inboxDirectory();

} // namespace sharedcontainer
