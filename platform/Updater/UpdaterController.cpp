#include "platform/Updater/UpdaterController.h"

#include "UpdaterConfig.h"

QUrl UpdaterController::defaultFeedUrl() {
    return QUrl(QString::fromUtf8(updater_config::feedUrl));
}

QString UpdaterController::runningVersion() {
    return QString::fromUtf8(updater_config::version);
}

UpdaterController::UpdaterController(QNetworkAccessManager& network, QObject* parent)
    : UpdaterController(network, defaultFeedUrl(), runningVersion(), parent) {}

UpdaterController::UpdaterController(QNetworkAccessManager& network, QUrl feedUrl,
                                     QString runningVersion, QObject* parent)
    : QObject(parent)
    , m_checker(network, std::move(feedUrl), std::move(runningVersion)) {
    connect(&m_checker, &UpdateChecker::finished, this, &UpdaterController::checked);
}

void UpdaterController::checkForUpdates() {
    if (m_checker.check())
        Q_EMIT checkingChanged(true);
}

void UpdaterController::checked(const UpdateCheckResult& result) {
    Q_EMIT checkingChanged(false);
    if (m_presenter)
        m_presenter->present(result);
}
