#include "Corvina/Settings/PreferencesView.h"

#include "Corvina/Settings/SettingsWindow.h"
#include "Corvina/Settings/SyncStatus.h"
#include "Corvina/Settings/ToggleSwitch.h"
#include "FakeAccountStatusProvider.h"
#include "shared/Preferences.h"
#include "tests/support/Testing.h"

#include <QLabel>
#include <memory>

namespace {

constexpr int kWait = 5000;
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

TEST(PreferencesViewTest, FreshInstallHasBothSwitchesOnAndTogglingWritesTheKey) {
    auto preferences = freshPreferences();
    SyncStatus status(SyncStatus::Mode::localOnly);
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
}

TEST(PreferencesViewTest, TwoViewsOnTheSamePreferencesStayInStep) {
    auto preferences = freshPreferences();
    SyncStatus status(SyncStatus::Mode::localOnly);
    PreferencesView first(*preferences, status);
    PreferencesView second(*preferences, status);
    switchNamed(first, kFetchTitle)->click();
    EXPECT_FALSE(switchNamed(second, kFetchTitle)->isChecked());
    preferences->setAutofillFromClipboard(false);
    EXPECT_FALSE(switchNamed(first, kAutofillTitle)->isChecked());
    EXPECT_FALSE(switchNamed(second, kAutofillTitle)->isChecked());
}

TEST(PreferencesViewTest, LocalOnlyHasNoICloudSection) {
    auto preferences = freshPreferences();
    SyncStatus status(SyncStatus::Mode::localOnly);
    SettingsWindow window(*preferences, status);
    EXPECT_EQ(window.windowTitle(), u"Settings"_s);
    EXPECT_TRUE(texts(window).contains(u"General"_s));
    EXPECT_FALSE(texts(window).contains(u"iCloud"_s));
    EXPECT_EQ(window.findChild<QWidget*>(u"cloudSection"_s), nullptr);
}

TEST(PreferencesViewTest, EnabledShowsEachAccountState) {
    auto preferences = freshPreferences();
    FakeAccountStatusProvider provider;
    SyncStatus status(SyncStatus::Mode::enabled, &provider);
    PreferencesView view(*preferences, status);
    EXPECT_TRUE(texts(view).contains(u"iCloud"_s));
    EXPECT_EQ(accountValue(view), u"Checking…"_s);
    EXPECT_TRUE(texts(view).contains(u"Waiting for first sync…"_s));

    const std::pair<CloudAccountStatus, const char*> states[] = {
        {CloudAccountStatus::available, "Signed in"},
        {CloudAccountStatus::noAccount, "Not signed into iCloud"},
        {CloudAccountStatus::restricted, "Restricted by parental controls"},
        {CloudAccountStatus::temporarilyUnavailable, "Temporarily unavailable"},
        {CloudAccountStatus::couldNotDetermine, "Couldn't reach iCloud"},
    };
    QSignalSpy changed(&status, &SyncStatus::accountChanged);
    for (const auto& [cloud, text] : states) {
        status.refreshAccountStatus();
        provider.answer(provider.requests.size() - 1, cloud);
        ASSERT_TRUE(changed.wait(kWait));
        EXPECT_EQ(accountValue(view), QString::fromUtf8(text));
    }
}

TEST(PreferencesViewTest, SyncingRowHidesAFailedEventUntilSyncingStops) {
    auto preferences = freshPreferences();
    SyncStatus status(SyncStatus::Mode::enabled);
    PreferencesView view(*preferences, status);
    status.setLastEventKind(u"Sync"_s);
    status.setLastEventDate(QDateTime::currentDateTime().addSecs(-5 * 60));
    status.setLastEventSucceeded(false);
    status.setLastErrorMessage(u"Quota exceeded."_s);
    status.setSyncing(true);

    QStringList shown = texts(view);
    EXPECT_TRUE(shown.contains(u"Status"_s));
    EXPECT_TRUE(shown.contains(u"Sync…"_s));
    EXPECT_FALSE(shown.contains(u"Sync issue"_s));
    EXPECT_NE(view.findChild<BusyIndicator*>(), nullptr);

    status.setSyncing(false);
    shown = texts(view);
    EXPECT_EQ(view.findChild<BusyIndicator*>(), nullptr);
    EXPECT_TRUE(shown.contains(u"Last sync"_s));
    EXPECT_TRUE(shown.contains(u"5 minutes ago"_s));
    EXPECT_TRUE(shown.contains(u"Sync issue"_s));
    EXPECT_TRUE(shown.contains(u"Quota exceeded."_s));

    status.setLastErrorMessage(std::nullopt);
    EXPECT_FALSE(texts(view).contains(u"Sync issue"_s));
}
