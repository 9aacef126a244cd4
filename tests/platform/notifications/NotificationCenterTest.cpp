#include "platform/Notifications/NotificationCenter.h"

#include "tests/support/Testing.h"

#include <QThread>

namespace {

TEST(NotificationCenterTest, DeliversByNameOnTheObserversThreadAtOnceFromThatThread) {
    NotificationCenter& center = NotificationCenter::defaultCenter();
    std::vector<QVariant> seen;
    auto context = std::make_unique<QObject>();
    const auto token = center.observe(u"quillan.a"_s, context.get(),
                                      [&](const Notification& n) { seen.push_back(n.object); });
    center.post(u"quillan.b"_s, 1);
    center.post(u"quillan.a"_s, 2);
    ASSERT_EQ(seen.size(), 1u); // before post() returned
    EXPECT_EQ(seen[0].toInt(), 2);
    NotificationCenter::removeObserver(token);
    center.post(u"quillan.a"_s, 3);
    EXPECT_EQ(seen.size(), 1u);
    // An observer whose context is gone hears nothing (and does not crash).
    center.observe(u"quillan.a"_s, context.get(),
                   [&](const Notification& n) { seen.push_back(n.object); });
    context.reset();
    center.post(u"quillan.a"_s, 4);
    EXPECT_EQ(seen.size(), 1u);

    // Posted from another thread, it arrives on the observer's.
    QObject observer;
    QThread* observedOn = nullptr;
    QVariantMap info;
    center.observe(u"quillan.favicon.ready"_s, &observer, [&](const Notification& n) {
        observedOn = QThread::currentThread();
        info = n.userInfo;
    });
    std::unique_ptr<QThread> poster(QThread::create([&] {
        center.post(u"quillan.favicon.ready"_s, {}, {{u"host"_s, u"example.com"_s}});
    }));
    poster->start();
    ASSERT_TRUE(poster->wait(testenv::kPatience));
    EXPECT_TRUE(QTest::qWaitFor([&] { return observedOn != nullptr; }, 5000));
    EXPECT_EQ(observedOn, QThread::currentThread());
    EXPECT_EQ(info.value(u"host"_s).toString(), u"example.com"_s);
}

} // namespace
