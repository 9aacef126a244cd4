#include "Corvina/Settings/PreferencesView.h"

#include "Corvina/Settings/SettingsWindow.h"
#include "Corvina/Settings/SyncStatus.h"
#include "Corvina/Settings/ToggleSwitch.h"
#include "FakeAccountStatusProvider.h"
#include "platform/Notifications/NotificationCenter.h"
#include "shared/Preferences.h"
#include "tests/support/Testing.h"

#include <QLabel>
#include <QThread>
#include <memory>

namespace {

const QString kAutofillTitle = u"Autofill link from clipboard"_s;
const QString kFetchTitle = u"Auto-populate title and description"_s;

// A suite of its own per test, inside the test process's temporary config folder.
std::unique_ptr<Preferences> freshPreferences() {
    const QString suite =
        u"test."_s +
        QString::fromUtf8(testing::UnitTest::GetInstance()->current_test_info()->name())
            .replace(u'/', u'.');
    auto defaults = UserDefaults::openSuite(suite);
    for (const QString& key :
         {Preferences::kAutofillFromClipboard, Preferences::kAutoFetchMetadata})
        defaults->remove(key);
    return std::make_unique<Preferences>(std::move(defaults));
}

ToggleSwitch* switchNamed(const QWidget& view, const QString& name) {
    for (ToggleSwitch* toggle : view.findChildren<ToggleSwitch*>()) {
        if (toggle->accessibleName() == name)
            return toggle;
    }
    return nullptr;
}

QStringList texts(const QWidget& view) {
    QStringList result;
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&view))
            result << label->text();
    }
    return result;
}

QString accountValue(const QWidget& view) {
    return view.findChild<QLabel*>(u"accountValue"_s)->text();
}

} // namespace

// The settings window of a local-only build: no iCloud section, and two
// switches, on for a fresh install, that write their keys and keep every view
// on the same preferences in step.
TEST(PreferencesViewTest, FreshLocalOnlySwitchesWriteTheirKeysAndStayInStep) {
    auto preferences = freshPreferences();
    FakeAccountStatusProvider provider;
    SyncStatus status(SyncStatus::Mode::localOnly, &provider);
    SettingsWindow window(*preferences, status);
    EXPECT_EQ(window.windowTitle(), u"Settings"_s);
    EXPECT_TRUE(texts(window).contains(u"General"_s));
    EXPECT_FALSE(texts(window).contains(u"iCloud"_s));
    EXPECT_EQ(window.findChild<QWidget*>(u"cloudSection"_s), nullptr);

    PreferencesView view(*preferences, status);
    ToggleSwitch* autofill = switchNamed(view, kAutofillTitle);
    ToggleSwitch* fetch = switchNamed(view, kFetchTitle);
    ASSERT_TRUE(autofill && fetch);
    EXPECT_TRUE(autofill->isChecked());
    EXPECT_TRUE(fetch->isChecked());
    QTest::mouseClick(autofill, Qt::LeftButton);
    EXPECT_TRUE(preferences->defaults().hasValue(Preferences::kAutofillFromClipboard));
    EXPECT_FALSE(preferences->autofillFromClipboard());
    EXPECT_TRUE(preferences->autoFetchMetadata());
    QTest::keyClick(fetch, Qt::Key_Space);
    EXPECT_FALSE(preferences->autoFetchMetadata());

    PreferencesView second(*preferences, status);
    switchNamed(second, kFetchTitle)->click();
    EXPECT_TRUE(fetch->isChecked());
    preferences->setAutofillFromClipboard(true);
    EXPECT_TRUE(autofill->isChecked());
    EXPECT_TRUE(switchNamed(second, kAutofillTitle)->isChecked());

    // Nor does it ever ask for the account.
    status.refreshAccountStatus();
    NotificationCenter::defaultCenter().post(AccountStatusProvider::kAccountChangedNotification);
    EXPECT_TRUE(provider.requests.empty());
    EXPECT_EQ(status.account(), SyncStatus::Account::unknown);
}

TEST(PreferencesViewTest, EnabledShowsEachAccountState) {
    auto preferences = freshPreferences();
    FakeAccountStatusProvider provider;
    SyncStatus status(SyncStatus::Mode::enabled, &provider);
    PreferencesView view(*preferences, status);
    EXPECT_TRUE(texts(view).contains(u"iCloud"_s));
    EXPECT_EQ(accountValue(view), u"Checking…"_s);
    EXPECT_TRUE(texts(view).contains(u"Waiting for first sync…"_s));

    // Answers come from another thread, as a cloud service's do; an error
    // outweighs whatever status came with it.
    const QString down = u"network down"_s;
    const std::tuple<std::optional<CloudAccountStatus>, std::optional<QString>, const char*>
        states[] = {
            {CloudAccountStatus::available, std::nullopt, "Signed in"},
            {CloudAccountStatus::unrecognised, std::nullopt, "Couldn't reach iCloud"},
            {CloudAccountStatus::noAccount, std::nullopt, "Not signed into iCloud"},
            {CloudAccountStatus::available, down, "Couldn't reach iCloud"},
            {CloudAccountStatus::restricted, std::nullopt, "Restricted by parental controls"},
            {std::nullopt, down, "Couldn't reach iCloud"},
            {CloudAccountStatus::temporarilyUnavailable, std::nullopt, "Temporarily unavailable"},
            {CloudAccountStatus::couldNotDetermine, std::nullopt, "Couldn't reach iCloud"},
        };
    QSignalSpy changed(&status, &SyncStatus::accountChanged);
    QThread* appliedOn = nullptr;
    QObject::connect(&status, &SyncStatus::accountChanged,
                     [&] { appliedOn = QThread::currentThread(); });
    for (const auto& [cloud, error, text] : states) {
        SCOPED_TRACE(text);
        status.refreshAccountStatus();
        provider.answer(provider.requests.size() - 1, cloud, error);
        ASSERT_TRUE(changed.wait(testenv::kPatience));
        EXPECT_EQ(accountValue(view), QString::fromUtf8(text));
        EXPECT_EQ(appliedOn, QThread::currentThread());
    }
}

TEST(PreferencesViewTest, SyncingRowHidesAFailedEventUntilSyncingStops) {
    auto preferences = freshPreferences();
    SyncStatus status(SyncStatus::Mode::enabled);
    PreferencesView view(*preferences, status);
    status.refreshAccountStatus(); // with no one to ask
    EXPECT_EQ(accountValue(view), u"Couldn't reach iCloud"_s);
    status.setLastEventKind(u"Sync"_s);
    status.setLastEventDate(QDateTime::currentDateTime().addSecs(-5 * 60));
    status.setLastEventSucceeded(false);
    status.setLastErrorMessage(u"Quota exceeded."_s);
    status.setSyncing(true);

    QStringList shown = texts(view);
    EXPECT_TRUE(shown.contains(u"Status"_s) && shown.contains(u"Sync…"_s))
        << shown.join(u'|').toStdString();
    EXPECT_FALSE(shown.contains(u"Sync issue"_s));
    EXPECT_NE(view.findChild<BusyIndicator*>(), nullptr);

    status.setSyncing(false);
    shown = texts(view);
    EXPECT_EQ(view.findChild<BusyIndicator*>(), nullptr);
    for (const QString& text :
         {u"Last sync"_s, u"5 minutes ago"_s, u"Sync issue"_s, u"Quota exceeded."_s})
        EXPECT_TRUE(shown.contains(text)) << text.toStdString();

    status.setLastErrorMessage(std::nullopt);
    EXPECT_FALSE(texts(view).contains(u"Sync issue"_s));
}
