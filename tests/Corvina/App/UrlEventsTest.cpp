#include "Corvina/App/UrlEvents.h"

#include "Corvina/App/AppNotifications.h"
#include "platform/Notifications/NotificationCenter.h"
#include "tests/support/Testing.h"

TEST(UrlEventsTest, OnlyWellFormedAddLinksPrefillTheSheet) {
    // A link, and the address and title it prefills, "|" between; null: none.
    const std::pair<QString, QString> cases[] = {
        {u"corvina://add?url=https%3A%2F%2Fa.test%2Fp%3Fq%3D1&title=Caf%C3%A9%20%26%20Bar"_s,
         u"https://a.test/p?q=1|Caf\u00e9 & Bar"_s},
        {u"CORVINA://ADD/ignored/path?x=1&url=https://b.test#frag"_s, u"https://b.test|"_s},
        {u"corvina://add?url=first&url=second&title"_s, u"first|"_s},
        // Passed on unvalidated, percent-decoded: the editor deals with it.
        {u"corvina://add?url=plain%20words&title=T"_s, u"plain words|T"_s},
        {u"corvina://add?url=javascript%3Aalert(1)"_s, u"javascript:alert(1)|"_s},
        {u"corvina://add?url=%E0%A4"_s, u"%E0%A4|"_s},
        {u"corvina://add?URL=https://c.test"_s, {}},
        {u"corvina://add?url=&title=Empty"_s, {}},
        {u"corvina://add?url"_s, {}},
        {u"corvina://add?title=Only"_s, {}},
        {u"corvina://add"_s, {}},
        {u"corvina://remove?url=https://d.test"_s, {}},
        {u"quillan://add?url=https://d.test"_s, {}},
        {u"corvina:add?url=https://d.test"_s, {}},
    };
    QObject context;
    QStringList received;
    NotificationCenter::defaultCenter().observe(
        appnotification::kPrefillBookmarkRequested, &context, [&](const Notification& n) {
            const auto prefill = n.object.value<PrefillBookmark>();
            received << prefill.url + u'|' + prefill.title;
        });
    for (const auto& [link, expected] : cases) {
        received.clear();
        handleCorvinaURL(Url::parse(link).value());
        EXPECT_EQ(received, expected.isNull() ? QStringList() : QStringList{expected})
            << link.toStdString();
    }
}
