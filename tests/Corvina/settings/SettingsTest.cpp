#include "Corvina/Settings/RelativeDate.h"
#include "Corvina/Settings/SyncStatus.h"
#include "FakeAccountStatusProvider.h"
#include "platform/Notifications/NotificationCenter.h"
#include "shared/Preferences.h"
#include "tests/support/TestTable.h"
#include "tests/support/Testing.h"

#include <QStandardPaths>

using Account = SyncStatus::Account;

namespace {

QString suitePath(const QString& suite) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' + suite +
           u".conf"_s;
}

TEST(PreferencesTest, AbsentKeysReadTheirDefaults) {
    const auto preferences = Preferences::openShared(u"test.defaults"_s);
    ASSERT_TRUE(preferences->isShared());
    EXPECT_EQ(preferences->defaults().filePath(), suitePath(u"test.defaults"_s));
    EXPECT_FALSE(preferences->defaults().hasValue(Preferences::kAutofillFromClipboard));
    EXPECT_EQ(preferences->showDescriptions(), Preferences::kShowDescriptionsDefault);
    EXPECT_EQ(preferences->autofillFromClipboard(), Preferences::kAutofillFromClipboardDefault);
    EXPECT_EQ(preferences->autoFetchMetadata(), Preferences::kAutoFetchMetadataDefault);
    preferences->setAutoFetchMetadata(!Preferences::kAutoFetchMetadataDefault);
    const auto reopened = Preferences::openShared(u"test.defaults"_s);
    EXPECT_EQ(reopened->autoFetchMetadata(), !Preferences::kAutoFetchMetadataDefault);
}

TEST(PreferencesTest, UnreadableSuiteFallsBackToStandardDefaults) {
    // Root reads any file whatever its mode, so a folder stands in for an unreadable file.
    const QString suite = u"test.unreadable"_s;
    ASSERT_TRUE(QDir().mkpath(suitePath(suite)));
    const auto preferences = Preferences::openShared(suite);
    EXPECT_FALSE(preferences->isShared());
    EXPECT_NE(preferences->defaults().filePath(), suitePath(suite));
    EXPECT_EQ(preferences->autofillFromClipboard(), Preferences::kAutofillFromClipboardDefault);
    preferences->setAutofillFromClipboard(false);
    EXPECT_FALSE(preferences->autofillFromClipboard());
}

TEST(RelativeDateTest, NamesTheLargestWholeUnit) {
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1'700'000'000);
    for (const testenv::TableRow& row : testenv::readTable(u"relative-dates.tsv"_s, 2))
        EXPECT_EQ(relativeDateText(now.addSecs(-row.text(0).toLongLong()), now), row.text(1))
            << row.where;
}

TEST(SyncStatusTest, NothingReachesADestroyedStatusAndTheLastAnswerWins) {
    FakeAccountStatusProvider provider;
    auto doomed = std::make_unique<SyncStatus>(SyncStatus::Mode::enabled, &provider);
    doomed->refreshAccountStatus();
    NotificationCenter::defaultCenter().post(AccountStatusProvider::kAccountChangedNotification);
    EXPECT_EQ(provider.requests.size(), 2u) << "an account change asks again";
    doomed.reset();
    provider.answer(0, CloudAccountStatus::available);
    NotificationCenter::defaultCenter().post(AccountStatusProvider::kAccountChangedNotification);
    EXPECT_EQ(provider.requests.size(), 2u);
    // Answers are delivered in order, so once these land the other has been
    // handled. Of two answers, the one that finishes last wins, the earlier
    // request's late answer here.
    SyncStatus witness(SyncStatus::Mode::enabled, &provider);
    QSignalSpy changed(&witness, &SyncStatus::accountChanged);
    witness.refreshAccountStatus();
    witness.refreshAccountStatus();
    const std::size_t later = provider.requests.size() - 1;
    provider.answer(later, CloudAccountStatus::available);
    provider.answer(later - 1, CloudAccountStatus::restricted);
    while (changed.count() < 2)
        ASSERT_TRUE(changed.wait(testenv::kPatience));
    EXPECT_EQ(witness.account(), Account::restricted);
}

TEST(SyncStatusTest, SettersNotifyOnlyOnChange) {
    SyncStatus status(SyncStatus::Mode::enabled);
    // Two identical writes: the first notifies, the second does not.
    const auto once = [&](auto signal, const std::function<void()>& write) {
        QSignalSpy spy(&status, signal);
        write();
        write();
        EXPECT_EQ(spy.count(), 1);
    };
    once(&SyncStatus::lastEventDateChanged,
         [&] { status.setLastEventDate(QDateTime::fromSecsSinceEpoch(1'700'000'000)); });
    once(&SyncStatus::lastEventKindChanged, [&] { status.setLastEventKind(u"Sync"_s); });
    once(&SyncStatus::lastEventSucceededChanged, [&] { status.setLastEventSucceeded(false); });
    // An absent result differs from a present false.
    once(&SyncStatus::lastEventSucceededChanged,
         [&] { status.setLastEventSucceeded(std::nullopt); });
    once(&SyncStatus::lastErrorMessageChanged, [&] { status.setLastErrorMessage(u"quota"_s); });
    once(&SyncStatus::isSyncingChanged, [&] { status.setSyncing(true); });
}

} // namespace
