#include "platform/Updater/UpdateFeed.h"

#include <gtest/gtest.h>

namespace {

struct FeedCase {
    const char* name;
    QByteArray json;
    bool ok;
    const char* version = "";
    const char* url = "";
    const char* notes = "";
};

class UpdateFeedParsing : public testing::TestWithParam<FeedCase> {};

TEST_P(UpdateFeedParsing, AcceptsOnlyWellFormedFeeds) {
    const FeedCase& c = GetParam();
    const auto feed = parseUpdateFeed(c.json);
    ASSERT_EQ(feed.ok(), c.ok) << (feed ? "" : qPrintable(feed.error().message));
    if (!c.ok) {
        EXPECT_FALSE(feed.error().message.isEmpty());
        return;
    }
    EXPECT_EQ(feed->version, QString::fromUtf8(c.version));
    EXPECT_EQ(feed->url, QUrl(QString::fromUtf8(c.url)));
    EXPECT_EQ(feed->notes, QString::fromUtf8(c.notes));
}

INSTANTIATE_TEST_SUITE_P(
    Feeds, UpdateFeedParsing,
    testing::Values(
        FeedCase{"full",
                 R"({"version":"1.2.0","url":"https://corvina.app/download","notes":"Faster."})",
                 true, "1.2.0", "https://corvina.app/download", "Faster."},
        FeedCase{"versionOnly", R"({"version":"2"})", true, "2"},
        FeedCase{"fourComponents", R"({"version":"1.0.0.12"})", true, "1.0.0.12"},
        FeedCase{"extraKeysIgnored", R"({"version":"1.3","channel":"beta","size":12})", true,
                 "1.3"},
        FeedCase{"missingVersion", R"({"url":"https://corvina.app/"})", false},
        FeedCase{"numericVersion", R"({"version":1.2})", false},
        FeedCase{"emptyComponent", R"({"version":"1..2"})", false},
        FeedCase{"trailingDot", R"({"version":"1.2."})", false},
        FeedCase{"fiveComponents", R"({"version":"1.2.3.4.5"})", false},
        FeedCase{"negative", R"({"version":"1.-2"})", false},
        FeedCase{"suffix", R"({"version":"1.2.0-beta"})", false},
        FeedCase{"spaces", R"({"version":" 1.2"})", false},
        FeedCase{"hugeComponent", R"({"version":"1.99999999999999999999"})", false},
        FeedCase{"justOver32Bits", R"({"version":"4294967296"})", false},
        FeedCase{"largest32Bits", R"({"version":"4294967295"})", true, "4294967295"},
        FeedCase{"urlNotText", R"({"version":"1.0","url":42})", false},
        FeedCase{"urlNotAWebPage", R"({"version":"1.0","url":"file:///etc/passwd"})", false},
        FeedCase{"notesNotText", R"({"version":"1.0","notes":["a"]})", false},
        FeedCase{"array", R"(["1.2.0"])", false}, FeedCase{"notJson", "version=1.2", false},
        FeedCase{"empty", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

struct OrderCase {
    const char* a;
    const char* b;
    std::partial_ordering expected;
};

class VersionOrdering : public testing::TestWithParam<OrderCase> {};

TEST_P(VersionOrdering, ComparesNumericallyPaddingWithZeros) {
    const OrderCase& c = GetParam();
    EXPECT_TRUE(compareVersions(QString::fromUtf8(c.a), QString::fromUtf8(c.b)) == c.expected)
        << c.a << " vs " << c.b;
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionOrdering,
    testing::Values(OrderCase{"1.2", "1.2.0", std::partial_ordering::equivalent},
                    OrderCase{"1", "1.0.0.0", std::partial_ordering::equivalent},
                    OrderCase{"1.10", "1.9", std::partial_ordering::greater},
                    OrderCase{"1.2.1", "1.2", std::partial_ordering::greater},
                    OrderCase{"0.9.9.9", "1", std::partial_ordering::less},
                    OrderCase{"2.0", "10.0", std::partial_ordering::less},
                    OrderCase{"01.2", "1.2", std::partial_ordering::equivalent},
                    OrderCase{"1.2", "1.x", std::partial_ordering::unordered},
                    OrderCase{"", "1", std::partial_ordering::unordered}));

} // namespace
