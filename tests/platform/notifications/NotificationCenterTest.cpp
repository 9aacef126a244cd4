#include "platform/Notifications/NotificationCenter.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

TEST(NotificationCenterTest, DeliversByNameSynchronouslyOnTheMainThread) {
    NotificationCenter& center = NotificationCenter::defaultCenter();
    std::vector<QVariant> seen;
    auto context = std::make_unique<QObject>();
    const auto token = center.observe(QStringLiteral("quillan.a"), context.get(),
                                      [&](const Notification& n) { seen.push_back(n.object); });
    center.post(QStringLiteral("quillan.b"), 1);
    center.post(QStringLiteral("quillan.a"), 2);
    ASSERT_EQ(seen.size(), 1u); // before post() returned
    EXPECT_EQ(seen[0].toInt(), 2);

    NotificationCenter::removeObserver(token);
    center.post(QStringLiteral("quillan.a"), 3);
    EXPECT_EQ(seen.size(), 1u);

    // An observer whose context is gone hears nothing (and does not crash).
    const auto second = center.observe(QStringLiteral("quillan.a"), context.get(),
                                       [&](const Notification& n) { seen.push_back(n.object); });
    context.reset();
    center.post(QStringLiteral("quillan.a"), 4);
    EXPECT_EQ(seen.size(), 1u);
}

TEST(NotificationCenterTest, PostFromAnotherThreadArrivesOnTheObserversThread) {
    NotificationCenter& center = NotificationCenter::defaultCenter();
    QObject context;
    QThread* observedOn = nullptr;
    QVariantMap info;
    center.observe(QStringLiteral("quillan.favicon.ready"), &context, [&](const Notification& n) {
        observedOn = QThread::currentThread();
        info = n.userInfo;
    });
    QSignalSpy spy(&center, &NotificationCenter::posted);
    std::unique_ptr<QThread> poster(QThread::create([&] {
        center.post(QStringLiteral("quillan.favicon.ready"), {},
                    {{QStringLiteral("host"), QStringLiteral("example.com")}});
    }));
    poster->start();
    ASSERT_TRUE(poster->wait(5000));
    for (int i = 0; i < 50 && !observedOn; ++i)
        QTest::qWait(10);
    EXPECT_EQ(observedOn, QThread::currentThread());
    EXPECT_EQ(info.value(QStringLiteral("host")).toString(), QStringLiteral("example.com"));
}
