#include "platform/Core/IsoDate.h"

#include <QTimeZone>
#include <gtest/gtest.h>

TEST(IsoDateTest, ParseAcceptsInternetDateTimesOnly) {
    const struct {
        const char* text;
        const char* utc; // nullptr: rejected
    } cases[] = {
        {"2024-02-29T23:59:59Z", "2024-02-29T23:59:59Z"},
        {"2024-03-01T01:30:00+02:30", "2024-02-29T23:00:00Z"},
        {"2023-12-31T23:00:00-01:00", "2024-01-01T00:00:00Z"},
        {"2023-02-29T00:00:00Z", nullptr},
        {"2024-01-01", nullptr},
        {"2024-01-01T00:00:00", nullptr},
        {"2024-01-01T00:00:00.000Z", nullptr},
        {"2024-01-01t00:00:00z", nullptr},
        {"2024-01-01 00:00:00Z", nullptr},
        {"2024-13-01T00:00:00Z", nullptr},
        {"2024-01-01T24:00:00Z", nullptr},
        {"2024-01-01T00:00:60Z", nullptr},
        {"2024-01-01T00:00:00+2400", nullptr},
        {"+2024-01-01T00:00:00Z", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        const auto parsed = isodate::parse(QString::fromUtf8(c.text));
        if (!c.utc) {
            EXPECT_FALSE(parsed.has_value()) << c.text;
            continue;
        }
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_EQ(isodate::format(*parsed), QString::fromUtf8(c.utc)) << c.text;
    }
}

TEST(IsoDateTest, FormatDropsFractionsAndConvertsToUtc) {
    const QDateTime local(QDate(2020, 6, 1), QTime(12, 0, 0, 999), QTimeZone(3600));
    EXPECT_EQ(isodate::format(local), QStringLiteral("2020-06-01T11:00:00Z"));
    const QDateTime beforeEpoch = QDateTime::fromMSecsSinceEpoch(-1, QTimeZone::utc());
    EXPECT_EQ(isodate::format(beforeEpoch), QStringLiteral("1969-12-31T23:59:59Z"));
}
