#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <functional>

struct Notification {
    QString name;
    QVariant object;
    QVariantMap userInfo;
};
Q_DECLARE_METATYPE(Notification)

// The process-wide notification centre: string names, a variant payload.
// Observers run on the thread of their context object; a post from the main
// thread reaches main-thread observers synchronously, before post() returns.
class NotificationCenter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    void post(const QString& name, const QVariant& object = {}, const QVariantMap& userInfo = {});

    // The handler runs for every notification of that name while `context`
    // lives; disconnect the returned connection to stop earlier.
    QMetaObject::Connection observe(const QString& name, const QObject* context, Handler handler);
    static void removeObserver(const QMetaObject::Connection& token);

Q_SIGNALS:
    void posted(const Notification& notification);
};
