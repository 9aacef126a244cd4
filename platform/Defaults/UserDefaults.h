#pragma once

#include <QObject>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <memory>

// A user-defaults store: a suite opened by name is an INI file
// $XDG_CONFIG_HOME/<name>.conf that several programs may share; the standard
// defaults are the program's own file. Values are written through at once.
class UserDefaults : public QObject {
    Q_OBJECT
public:
    // nullptr when the suite cannot be used (its folder cannot be made, or
    // the file exists but cannot be read or parsed).
    static std::unique_ptr<UserDefaults> openSuite(const QString& suiteName);
    // The program's own defaults, $XDG_CONFIG_HOME/Corvina/<application name>.conf.
    static std::unique_ptr<UserDefaults> openStandard();

    QString filePath() const;
    bool hasValue(const QString& key) const;
    // The stored Boolean, or `fallback` when the key holds no value.
    bool boolValue(const QString& key, bool fallback) const;
    void setBool(const QString& key, bool value);
    void remove(const QString& key);

Q_SIGNALS:
    // Every holder in this process hears a write; other processes read the
    // new value the next time they ask.
    void valueChanged(const QString& key);

private:
    explicit UserDefaults(std::unique_ptr<QSettings> settings);
    std::unique_ptr<QSettings> m_settings;
};
