#include "shared/Inbox/InboxWriter.h"

#include "platform/Core/SystemLog.h"
#include "platform/Folders/AtomicWrite.h"
#include "shared/Inbox/SharedContainer.h"

#include <QCoreApplication>
#include <QDir>
#include <QUuid>

QString InboxError::domain() const {
    return kind == Kind::containerUnavailable ? QLatin1String(kDomain) : QString();
}

int InboxError::code() const {
    return kind == Kind::containerUnavailable ? 1 : 0;
}

Result<void, InboxError> enqueue(const PendingBookmark& entry) {
    const std::optional<QString> inbox = sharedcontainer::inboxDirectory();
    if (!inbox)
        return Failure{InboxError{
            InboxError::Kind::containerUnavailable,
            QCoreApplication::translate(
                "InboxWriter",
                "Shared container is unavailable. Verify the App Group entitlement on both "
                "targets (App Store build) or that Application Support is reachable "
                "(direct-download / Setapp builds).")}};

    // The name carries nothing; it only has to be new. The atomic write's
    // temporary name never ends in ".json", so readers cannot catch it.
    const QString name =
        QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".json");
    const Result<void, QString> written =
        folders::writeAtomically(QDir(*inbox).filePath(name), encodePendingBookmark(entry));
    if (!written)
        return Failure{InboxError{InboxError::Kind::writeFailed, written.error()}};
    return {};
}

void logEnqueueFailure(const InboxError& error) {
    systemLog(QStringLiteral("Quillan share: enqueue failed: ") + error.description);
}
