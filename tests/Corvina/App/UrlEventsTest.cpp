#include "Corvina/App/UrlEvents.h"

#include "Corvina/App/AppNotifications.h"
#include "platform/Notifications/NotificationCenter.h"
#include "tests/support/TestTable.h"
#include "tests/support/Testing.h"

TEST(UrlEventsTest, OnlyWellFormedAddLinksPrefillTheSheet) {
    QObject context;
    QStringList received;
    NotificationCenter::defaultCenter().observe(
        appnotification::kPrefillBookmarkRequested, &context, [&](const Notification& n) {
            const auto prefill = n.object.value<PrefillBookmark>();
            received << prefill.url + u'|' + prefill.title;
        });
    for (const testenv::TableRow& row : testenv::readTable(u"corvina-links.tsv"_s, 2)) {
        received.clear();
        handleCorvinaURL(Url::parse(row.text(0)).value());
        EXPECT_EQ(received, row.optionalText(1) ? QStringList{row.text(1)} : QStringList())
            << row.where;
    }
}
