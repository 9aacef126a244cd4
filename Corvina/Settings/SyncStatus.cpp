#include "Corvina/Settings/SyncStatus.h"

#include "platform/Account/AccountStatusProvider.h"
#include "platform/Notifications/NotificationCenter.h"

#include <QCoreApplication>
#include <QPointer>

namespace {

SyncStatus::Account accountFor(std::optional<CloudAccountStatus> status,
                               const std::optional<QString>& error) {
    using Account = SyncStatus::Account;
    if (error || !status)
        return Account::couldNotDetermine;
    switch (*status) {
    case CloudAccountStatus::available:
        return Account::available;
    case CloudAccountStatus::restricted:
        return Account::restricted;
    case CloudAccountStatus::noAccount:
        return Account::noAccount;
    case CloudAccountStatus::temporarilyUnavailable:
        return Account::temporarilyUnavailable;
    case CloudAccountStatus::couldNotDetermine:
    case CloudAccountStatus::unrecognised:
        break;
    }
    return Account::couldNotDetermine;
}

// Assigns and reports whether anything changed, so setters stay silent on
// rewrites of the same value.
template <typename T> bool assign(T& field, const T& value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

SyncStatus::SyncStatus(Mode mode, AccountStatusProvider* provider, QObject* parent)
    : QObject(parent)
    , m_mode(mode)
    , m_provider(provider) {
    if (m_mode == Mode::enabled) {
        m_observerToken = NotificationCenter::defaultCenter().observe(
            AccountStatusProvider::kAccountChangedNotification, this,
            [this](const Notification&) { refreshAccountStatus(); });
    }
}

SyncStatus::~SyncStatus() {
    if (m_observerToken)
        NotificationCenter::removeObserver(*m_observerToken);
}

void SyncStatus::refreshAccountStatus() {
    if (m_mode == Mode::localOnly)
        return;
    if (!m_provider) {
        setAccount(Account::couldNotDetermine);
        return;
    }
    QPointer<SyncStatus> guard(this);
    m_provider->requestAccountStatus(
        [guard](std::optional<CloudAccountStatus> status, std::optional<QString> error) {
            // Possibly on the provider's thread: only copy the guard here and
            // look at it once back on the main thread. Queued delivery keeps
            // answers in the order they finished, so the last one wins.
            const Account account = accountFor(status, error);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [guard, account] {
                    if (guard)
                        guard->setAccount(account);
                },
                Qt::QueuedConnection);
        });
}

void SyncStatus::setAccount(Account account) {
    if (assign(m_account, account))
        Q_EMIT accountChanged(m_account);
}

void SyncStatus::setLastEventDate(const std::optional<QDateTime>& date) {
    if (assign(m_lastEventDate, date))
        Q_EMIT lastEventDateChanged();
}

void SyncStatus::setLastEventKind(const QString& kind) {
    if (assign(m_lastEventKind, kind))
        Q_EMIT lastEventKindChanged();
}

void SyncStatus::setLastEventSucceeded(std::optional<bool> succeeded) {
    if (assign(m_lastEventSucceeded, succeeded))
        Q_EMIT lastEventSucceededChanged();
}

void SyncStatus::setLastErrorMessage(const std::optional<QString>& message) {
    if (assign(m_lastErrorMessage, message))
        Q_EMIT lastErrorMessageChanged();
}

void SyncStatus::setSyncing(bool syncing) {
    if (assign(m_isSyncing, syncing))
        Q_EMIT isSyncingChanged(m_isSyncing);
}
