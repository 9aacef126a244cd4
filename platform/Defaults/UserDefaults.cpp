#include "platform/Defaults/UserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString configHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}
} // namespace

UserDefaults::UserDefaults(std::unique_ptr<QSettings> settings)
    : m_settings(std::move(settings)) {}

std::unique_ptr<UserDefaults> UserDefaults::openSuite(const QString& suiteName) {
    const QString home = configHome();
    if (home.isEmpty() || suiteName.isEmpty() || suiteName.contains(u'/'))
        return nullptr;
    if (!QDir().mkpath(home))
        return nullptr;
    const QString path = home + u'/' + suiteName + QStringLiteral(".conf");
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || !info.isReadable()))
        return nullptr;
    auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (settings->status() != QSettings::NoError)
        return nullptr;
    return std::unique_ptr<UserDefaults>(new UserDefaults(std::move(settings)));
}

std::unique_ptr<UserDefaults> UserDefaults::openStandard() {
    QString application = QCoreApplication::applicationName();
    if (application.isEmpty())
        application = QStringLiteral("Corvina");
    const QString path =
        configHome() + QStringLiteral("/Corvina/") + application + QStringLiteral(".conf");
    return std::unique_ptr<UserDefaults>(
        new UserDefaults(std::make_unique<QSettings>(path, QSettings::IniFormat)));
}

QString UserDefaults::filePath() const {
    return m_settings->fileName();
}

bool UserDefaults::hasValue(const QString& key) const {
    return m_settings->contains(key);
}

bool UserDefaults::boolValue(const QString& key, bool fallback) const {
    const QVariant stored = m_settings->value(key);
    if (!stored.isValid())
        return fallback;
    // INI files store Booleans as text; anything unrecognisable reads as the fallback.
    const QString text = stored.toString().trimmed().toLower();
    if (text == u"true" || text == u"1")
        return true;
    if (text == u"false" || text == u"0")
        return false;
    return fallback;
}

void UserDefaults::setBool(const QString& key, bool value) {
    if (hasValue(key) && boolValue(key, !value) == value)
        return;
    m_settings->setValue(key, value);
    m_settings->sync();
    Q_EMIT valueChanged(key);
}

void UserDefaults::remove(const QString& key) {
    if (!hasValue(key))
        return;
    m_settings->remove(key);
    m_settings->sync();
    Q_EMIT valueChanged(key);
}
