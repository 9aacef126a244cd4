#pragma once

#include <QUrl>

// Which stored addresses may go straight to the desktop's handler. Imports,
// the inbox and "corvina://add" links can carry any address; a "file:" or
// relative one handed to the desktop can start a program (a .desktop file,
// a script), so those are shown to the user first.
namespace openaddress {

enum class Decision {
    open,   // web and mail: the desktop's handler opens it as it is
    ask,    // anything else: only once the user has seen the address
    refuse, // script and data addresses, which only mean something inside a page
};

Decision decide(const QUrl& url);

} // namespace openaddress
