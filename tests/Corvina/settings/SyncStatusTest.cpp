#include "Corvina/Settings/SyncStatus.h"

#include "FakeAccountStatusProvider.h"
#include "platform/Notifications/NotificationCenter.h"

#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

using Account = SyncStatus::Account;

namespace {
constexpr int kWait = 5000;
}

TEST(SyncStatusTest, LocalOnlyRefreshNeverAsksAndStaysUnknown) {
    FakeAccountStatusProvider provider;
    SyncStatus status(SyncStatus::Mode::localOnly, &provider);
    QSignalSpy changed(&status, &SyncStatus::accountChanged);
    status.refreshAccountStatus();
    NotificationCenter::defaultCenter().post(AccountStatusProvider::kAccountChangedNotification);
    EXPECT_TRUE(provider.requests.empty());
    EXPECT_EQ(status.account(), Account::unknown);
    EXPECT_EQ(changed.count(), 0);
}

TEST(SyncStatusTest, EnabledWithoutProviderCannotDetermine) {
    SyncStatus status(SyncStatus::Mode::enabled);
    status.refreshAccountStatus();
    EXPECT_EQ(status.account(), Account::couldNotDetermine);
}

struct Answer {
    std::optional<CloudAccountStatus> status;
    std::optional<QString> error;
    Account expected;
};

class SyncStatusMapping : public testing::TestWithParam<Answer> {};

TEST_P(SyncStatusMapping, AnswerFromAnotherThreadLandsOnTheMainThread) {
    FakeAccountStatusProvider provider;
    SyncStatus status(SyncStatus::Mode::enabled, &provider);
    QThread* appliedOn = nullptr;
    QObject::connect(&status, &SyncStatus::accountChanged,
                     [&] { appliedOn = QThread::currentThread(); });
    QSignalSpy changed(&status, &SyncStatus::accountChanged);

    status.refreshAccountStatus();
    ASSERT_EQ(provider.requests.size(), 1u);
    provider.answer(0, GetParam().status, GetParam().error);
    ASSERT_TRUE(changed.wait(kWait));
    EXPECT_EQ(status.account(), GetParam().expected);
    EXPECT_EQ(appliedOn, QThread::currentThread());
}

INSTANTIATE_TEST_SUITE_P(
    AllAnswers, SyncStatusMapping,
    testing::Values(
        Answer{CloudAccountStatus::available, std::nullopt, Account::available},
        Answer{CloudAccountStatus::noAccount, std::nullopt, Account::noAccount},
        Answer{CloudAccountStatus::restricted, std::nullopt, Account::restricted},
        Answer{CloudAccountStatus::temporarilyUnavailable, std::nullopt,
               Account::temporarilyUnavailable},
        Answer{CloudAccountStatus::couldNotDetermine, std::nullopt, Account::couldNotDetermine},
        Answer{CloudAccountStatus::unrecognised, std::nullopt, Account::couldNotDetermine},
        // An error outweighs whatever status came with it.
        Answer{CloudAccountStatus::available, QStringLiteral("network down"),
               Account::couldNotDetermine},
        Answer{std::nullopt, QStringLiteral("network down"), Account::couldNotDetermine}));

TEST(SyncStatusTest, TheAnswerThatFinishesLastWins) {
    FakeAccountStatusProvider provider;
    SyncStatus status(SyncStatus::Mode::enabled, &provider);
    QSignalSpy changed(&status, &SyncStatus::accountChanged);
    status.refreshAccountStatus();
    status.refreshAccountStatus();
    ASSERT_EQ(provider.requests.size(), 2u);

    // The later request answers first; the earlier one's late answer decides.
    provider.answer(1, CloudAccountStatus::available);
    provider.answer(0, CloudAccountStatus::noAccount);
    while (changed.count() < 2)
        ASSERT_TRUE(changed.wait(kWait));
    EXPECT_EQ(status.account(), Account::noAccount);
}

TEST(SyncStatusTest, AnswerForADestroyedStatusIsDropped) {
    FakeAccountStatusProvider provider;
    auto doomed = std::make_unique<SyncStatus>(SyncStatus::Mode::enabled, &provider);
    doomed->refreshAccountStatus();
    doomed.reset();
    provider.answer(0, CloudAccountStatus::available);

    // Answers are delivered in order, so once this one lands the other has been handled.
    SyncStatus witness(SyncStatus::Mode::enabled, &provider);
    QSignalSpy changed(&witness, &SyncStatus::accountChanged);
    witness.refreshAccountStatus();
    provider.answer(provider.requests.size() - 1, CloudAccountStatus::restricted);
    ASSERT_TRUE(changed.wait(kWait));
    EXPECT_EQ(witness.account(), Account::restricted);
}

TEST(SyncStatusTest, AccountChangeNotificationAsksAgainWhileAlive) {
    FakeAccountStatusProvider provider;
    auto status = std::make_unique<SyncStatus>(SyncStatus::Mode::enabled, &provider);
    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.post(AccountStatusProvider::kAccountChangedNotification);
    EXPECT_EQ(provider.requests.size(), 1u);
    status.reset();
    center.post(AccountStatusProvider::kAccountChangedNotification);
    EXPECT_EQ(provider.requests.size(), 1u);
}

// Two identical writes: the first notifies, the second does not.
template <typename Signal, typename Write>
void expectOneNotification(SyncStatus& status, Signal signal, Write write) {
    QSignalSpy spy(&status, signal);
    write();
    write();
    EXPECT_EQ(spy.count(), 1);
}

TEST(SyncStatusTest, SettersNotifyOnlyOnChange) {
    SyncStatus status(SyncStatus::Mode::enabled);
    const QDateTime when = QDateTime::fromSecsSinceEpoch(1'700'000'000);
    expectOneNotification(status, &SyncStatus::lastEventDateChanged,
                          [&] { status.setLastEventDate(when); });
    expectOneNotification(status, &SyncStatus::lastEventKindChanged,
                          [&] { status.setLastEventKind(QStringLiteral("Sync")); });
    expectOneNotification(status, &SyncStatus::lastEventSucceededChanged,
                          [&] { status.setLastEventSucceeded(false); });
    // An absent result differs from a present false.
    expectOneNotification(status, &SyncStatus::lastEventSucceededChanged,
                          [&] { status.setLastEventSucceeded(std::nullopt); });
    expectOneNotification(status, &SyncStatus::lastErrorMessageChanged,
                          [&] { status.setLastErrorMessage(QStringLiteral("quota")); });
    expectOneNotification(status, &SyncStatus::isSyncingChanged, [&] { status.setSyncing(true); });
}
