#pragma once

#include "platform/Updater/UpdateChecker.h"

#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;

// Shows the outcome of a check the user asked for; the app implements it with
// an alert that offers the download when there is one.
struct UpdateAlertPresenter {
    virtual ~UpdateAlertPresenter() = default;
    virtual void present(const UpdateCheckResult& result) = 0;
};

// The "Check for Updates…" command. Nothing is checked unless the user asks.
class UpdaterController : public QObject {
    Q_OBJECT
public:
    // The feed chosen at configure time (CORVINA_UPDATE_FEED_URL) and the project version.
    static QUrl defaultFeedUrl();
    static QString runningVersion();

    explicit UpdaterController(QNetworkAccessManager& network, QObject* parent = nullptr);
    UpdaterController(QNetworkAccessManager& network, QUrl feedUrl, QString runningVersion,
                      QObject* parent = nullptr);

    // Not owned; results that arrive while none is set are dropped.
    void setPresenter(UpdateAlertPresenter* presenter) { m_presenter = presenter; }
    UpdateChecker& checker() { return m_checker; }
    bool isChecking() const { return m_checker.isChecking(); }

public Q_SLOTS:
    // Ignored while a check runs, so repeated clicks give one alert.
    void checkForUpdates();

Q_SIGNALS:
    // For the menu item's enabled state.
    void checkingChanged(bool checking);

private:
    void checked(const UpdateCheckResult& result);

    UpdateChecker m_checker;
    UpdateAlertPresenter* m_presenter = nullptr;
};
