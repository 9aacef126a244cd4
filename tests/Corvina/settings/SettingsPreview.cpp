// Shows the settings window with sample data, for screenshots:
//   settings_preview [--enabled] [--syncing] [--dark] [--off]
// --enabled shows the iCloud section with a failed sync five minutes ago;
// --syncing shows it mid-sync instead; --off turns the first switch off.
// Preferences live in a throwaway folder.
#include "Corvina/Settings/SettingsWindow.h"
#include "Corvina/Settings/SyncStatus.h"
#include "platform/Account/AccountStatusProvider.h"
#include "shared/Preferences.h"
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

QPalette darkPalette() {
    QPalette palette;
    const QColor window(0x1e, 0x1e, 0x1e);
    const QColor text(0xe8, 0xe8, 0xe8);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    palette.setColor(QPalette::AlternateBase, QColor(0x32, 0x32, 0x32));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x33, 0x33, 0x33));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(0x2f, 0x7c, 0xf6));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x6e, 0x6e, 0x6e));
    return palette;
}

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
        QApplication::setPalette(darkPalette());

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
