#include "shared/Inbox/SharedContainer.h"

#include "platform/Folders/StandardFolders.h"

#include <QDir>

namespace sharedcontainer {

std::optional<QString> supportDirectory() {
    const std::optional<QString> base = folders::applicationSupport(folders::Create::no);
    // Qt hands back a relative $XDG_DATA_HOME as it stands, which would put the
    // inbox under each process's working folder, so the app and the share
    // sheet would not meet. XDG calls such a value invalid; so do we.
    if (!base || QDir::isRelativePath(*base))
        return std::nullopt;
    return QDir(*base).filePath(QStringLiteral("Corvina"));
}

std::optional<QString> inboxDirectory() {
    const std::optional<QString> support = supportDirectory();
    if (!support)
        return std::nullopt;
    const QString inbox = QDir(*support).filePath(QStringLiteral("inbox"));
    QDir().mkpath(inbox);
    return inbox;
}

} // namespace sharedcontainer
