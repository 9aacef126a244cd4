#include "platform/Notifications/NotificationCenter.h"

NotificationCenter& NotificationCenter::defaultCenter() {
    // Queued delivery to another thread's observers copies the payload.
    static const int registered = qRegisterMetaType<Notification>();
    Q_UNUSED(registered);
    static NotificationCenter center;
    return center;
}

void NotificationCenter::post(const QString& name, const QVariant& object,
                              const QVariantMap& userInfo) {
    Q_EMIT posted(Notification{name, object, userInfo});
}

QMetaObject::Connection NotificationCenter::observe(const QString& name, const QObject* context,
                                                    Handler handler) {
    return connect(this, &NotificationCenter::posted, context,
                   [name, handler = std::move(handler)](const Notification& notification) {
                       if (notification.name == name)
                           handler(notification);
                   });
}

void NotificationCenter::removeObserver(const QMetaObject::Connection& token) {
    QObject::disconnect(token);
}
