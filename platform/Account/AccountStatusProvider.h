#pragma once

#include <QString>
#include <functional>
#include <optional>

// What a cloud service says about the signed-in account.
enum class CloudAccountStatus {
    couldNotDetermine,
    available,
    restricted,
    noAccount,
    temporarilyUnavailable,
    // A value this program does not know, such as one added by a newer service.
    unrecognised,
};

// Asks a cloud service for the account status. This desktop has no such
// service, so the app never creates one; the interface is what a sync
// back end would implement.
class AccountStatusProvider {
public:
    // Exactly one of the two is normally set. Called on any thread: a real
    // service answers on its own.
    using Completion =
        std::function<void(std::optional<CloudAccountStatus> status, std::optional<QString> error)>;

    // Posted on NotificationCenter::defaultCenter() by a provider when the
    // signed-in account changes, so holders of a status ask again.
    static inline const QString kAccountChangedNotification =
        QStringLiteral("corvina.account.changed");

    virtual ~AccountStatusProvider();
    virtual void requestAccountStatus(Completion done) = 0;
};
