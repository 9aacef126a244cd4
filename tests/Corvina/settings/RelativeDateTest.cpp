#include "Corvina/Settings/RelativeDate.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    qint64 secondsAgo;
    const char* expected;
};

constexpr qint64 kMinute = 60;
constexpr qint64 kHour = 60 * kMinute;
constexpr qint64 kDay = 24 * kHour;

class RelativeDateTest : public testing::TestWithParam<Case> {};

TEST_P(RelativeDateTest, NamesTheLargestWholeUnit) {
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1'700'000'000);
    EXPECT_EQ(relativeDateText(now.addSecs(-GetParam().secondsAgo), now),
              QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Units, RelativeDateTest,
    testing::Values(Case{0, "just now"}, Case{59, "just now"}, Case{-30, "just now"},
                    Case{-2 * kMinute, "in the future"}, Case{kMinute, "1 minute ago"},
                    Case{5 * kMinute + 59, "5 minutes ago"}, Case{kHour, "1 hour ago"},
                    Case{3 * kHour - 1, "2 hours ago"}, Case{kDay, "1 day ago"},
                    Case{3 * kDay, "3 days ago"}, Case{7 * kDay, "1 week ago"},
                    Case{29 * kDay, "4 weeks ago"}, Case{45 * kDay, "1 month ago"},
                    Case{364 * kDay, "11 months ago"}, Case{400 * kDay, "1 year ago"},
                    Case{3 * 366 * kDay, "3 years ago"}));

} // namespace
