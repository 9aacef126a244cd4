#include "Corvina/App/UrlEvents.h"

#include "Corvina/App/AppNotifications.h"
#include "platform/Notifications/NotificationCenter.h"

#include <gtest/gtest.h>
#include <optional>

using namespace Qt::StringLiterals;

TEST(UrlEventsTest, OnlyWellFormedAddLinksPrefillTheSheet) {
    struct Case {
        QString link;
        std::optional<PrefillBookmark> expected;
    };
    const std::vector<Case> cases{
        {u"corvina://add?url=https%3A%2F%2Fa.test%2Fp%3Fq%3D1&title=Caf%C3%A9%20%26%20Bar"_s,
         PrefillBookmark{u"https://a.test/p?q=1"_s, u"Caf\u00e9 & Bar"_s}},
        {u"CORVINA://ADD/ignored/path?x=1&url=https://b.test#frag"_s,
         PrefillBookmark{u"https://b.test"_s, {}}},
        {u"corvina://add?url=first&url=second&title"_s, PrefillBookmark{u"first"_s, {}}},
        // Passed on unvalidated, percent-decoded: the editor deals with it.
        {u"corvina://add?url=plain%20words&title=T"_s, PrefillBookmark{u"plain words"_s, u"T"_s}},
        {u"corvina://add?url=javascript%3Aalert(1)"_s,
         PrefillBookmark{u"javascript:alert(1)"_s, {}}},
        {u"corvina://add?URL=https://c.test"_s, std::nullopt},
        {u"corvina://add?url=&title=Empty"_s, std::nullopt},
        {u"corvina://add?url"_s, std::nullopt},
        {u"corvina://add?title=Only"_s, std::nullopt},
        {u"corvina://add"_s, std::nullopt},
        {u"corvina://remove?url=https://d.test"_s, std::nullopt},
        {u"quillan://add?url=https://d.test"_s, std::nullopt},
        {u"corvina:add?url=https://d.test"_s, std::nullopt},
        {u"corvina://add?url=%E0%A4"_s, PrefillBookmark{u"%E0%A4"_s, {}}},
    };
    QObject context;
    std::vector<PrefillBookmark> received;
    NotificationCenter::defaultCenter().observe(
        appnotification::kPrefillBookmarkRequested, &context,
        [&](const Notification& n) { received.push_back(n.object.value<PrefillBookmark>()); });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link.toStdString());
        received.clear();
        const std::optional<Url> url = Url::parse(c.link);
        ASSERT_TRUE(url);
        handleCorvinaURL(*url);
        ASSERT_EQ(received.size(), c.expected ? 1u : 0u);
        if (c.expected) {
            EXPECT_EQ(received[0].url, c.expected->url);
            EXPECT_EQ(received[0].title, c.expected->title);
        }
    }
}
