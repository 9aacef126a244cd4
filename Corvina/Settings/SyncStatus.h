#pragma once

#include <QDateTime>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <optional>

class AccountStatusProvider;

// What the settings window shows about cloud sync. Lives on the main thread;
// the provider's answers are brought back to it before they change anything.
class SyncStatus : public QObject {
    Q_OBJECT
    Q_PROPERTY(Account account READ account NOTIFY accountChanged)
    Q_PROPERTY(std::optional<QDateTime> lastEventDate READ lastEventDate WRITE setLastEventDate
                   NOTIFY lastEventDateChanged)
    Q_PROPERTY(
        QString lastEventKind READ lastEventKind WRITE setLastEventKind NOTIFY lastEventKindChanged)
    Q_PROPERTY(std::optional<bool> lastEventSucceeded READ lastEventSucceeded WRITE
                   setLastEventSucceeded NOTIFY lastEventSucceededChanged)
    Q_PROPERTY(std::optional<QString> lastErrorMessage READ lastErrorMessage WRITE
                   setLastErrorMessage NOTIFY lastErrorMessageChanged)
    Q_PROPERTY(bool isSyncing READ isSyncing WRITE setSyncing NOTIFY isSyncingChanged)

public:
    enum class Mode { localOnly, enabled };
    Q_ENUM(Mode)
    enum class Account {
        unknown,
        available,
        noAccount,
        restricted,
        temporarilyUnavailable,
        couldNotDetermine,
    };
    Q_ENUM(Account)

    // The mode is fixed for the object's life. The provider, when given, must
    // outlive it.
    explicit SyncStatus(Mode mode, AccountStatusProvider* provider = nullptr,
                        QObject* parent = nullptr);
    ~SyncStatus() override;

    Mode mode() const { return m_mode; }
    Account account() const { return m_account; }
    std::optional<QDateTime> lastEventDate() const { return m_lastEventDate; }
    // An event kind such as "Sync" or "Import", marked for translation by its
    // producer with QT_TRANSLATE_NOOP("SyncStatus", ...).
    QString lastEventKind() const { return m_lastEventKind; }
    std::optional<bool> lastEventSucceeded() const { return m_lastEventSucceeded; }
    std::optional<QString> lastErrorMessage() const { return m_lastErrorMessage; }
    bool isSyncing() const { return m_isSyncing; }

    void setLastEventDate(const std::optional<QDateTime>& date);
    void setLastEventKind(const QString& kind);
    void setLastEventSucceeded(std::optional<bool> succeeded);
    void setLastErrorMessage(const std::optional<QString>& message);
    void setSyncing(bool syncing);

    // Asks the provider again (enabled mode only). When several answers are
    // outstanding, the one that arrives last decides.
    void refreshAccountStatus();

Q_SIGNALS:
    void accountChanged(SyncStatus::Account account);
    void lastEventDateChanged();
    void lastEventKindChanged();
    void lastEventSucceededChanged();
    void lastErrorMessageChanged();
    void isSyncingChanged(bool syncing);

private:
    void setAccount(Account account);

    const Mode m_mode;
    AccountStatusProvider* const m_provider;
    // Set while this object listens for account changes.
    std::optional<QMetaObject::Connection> m_observerToken;

    Account m_account = Account::unknown;
    std::optional<QDateTime> m_lastEventDate;
    QString m_lastEventKind;
    std::optional<bool> m_lastEventSucceeded;
    std::optional<QString> m_lastErrorMessage;
    bool m_isSyncing = false;
};
