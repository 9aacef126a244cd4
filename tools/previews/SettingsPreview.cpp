// Shows the settings window with sample data, for screenshots:
//   settings_preview [--enabled] [--syncing] [--dark] [--off]
// --enabled shows the iCloud section with a failed sync five minutes ago;
// --syncing shows it mid-sync instead; --off turns the first switch off.
// Preferences live in a throwaway folder.
#include "Corvina/Settings/SettingsWindow.h"
#include "Corvina/Settings/SyncStatus.h"
#include "platform/Account/AccountStatusProvider.h"
#include "shared/Preferences.h"
#include "tools/previews/PreviewPalette.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QStyleFactory>

namespace {

class SignedInProvider : public AccountStatusProvider {
public:
    void requestAccountStatus(Completion done) override {
        done(CloudAccountStatus::available, std::nullopt);
    }
};

} // namespace

int main(int argc, char** argv) {
    testenv::isolate();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("settings-preview"));
    const QStringList arguments = QApplication::arguments();
    const bool enabled = arguments.contains(QStringLiteral("--enabled")) ||
                         arguments.contains(QStringLiteral("--syncing"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (arguments.contains(QStringLiteral("--dark")))
        QApplication::setPalette(preview::darkPalette());

    Preferences preferences(UserDefaults::openSuite(QStringLiteral("preview")));
    if (arguments.contains(QStringLiteral("--off")))
        preferences.setAutofillFromClipboard(false);
    SignedInProvider provider;
    SyncStatus status(enabled ? SyncStatus::Mode::enabled : SyncStatus::Mode::localOnly, &provider);
    status.refreshAccountStatus();
    if (enabled) {
        status.setLastEventKind(QStringLiteral("Sync"));
        status.setLastEventDate(QDateTime::currentDateTime().addSecs(-5 * 60));
        status.setLastEventSucceeded(false);
        status.setLastErrorMessage(
            QStringLiteral("The server refused the change because the record was modified on "
                           "another device. It will be tried again."));
        status.setSyncing(arguments.contains(QStringLiteral("--syncing")));
    }

    SettingsWindow window(preferences, status);
    window.move(40, 40);
    window.show();
    return QApplication::exec();
}
