#include "platform/Core/ByteSearch.h"
#include "platform/Core/HugePages.h"
#include "platform/Core/IsoDate.h"
#include "platform/Core/LocaleNumbers.h"
#include "tests/support/TestTable.h"
#include "tests/support/Testing.h"

#include <QTimeZone>
#include <random>
#include <string>
#include <string_view>

namespace {

TEST(IsoDateTest, ParseAcceptsInternetDateTimesOnlyAndFormatWritesWholeSecondsInUtc) {
    for (const testenv::TableRow& row : testenv::readTable(u"iso-dates.tsv"_s, 2)) {
        const auto parsed = isodate::parse(row.text(0));
        EXPECT_EQ(parsed ? std::optional(isodate::format(*parsed)) : std::nullopt,
                  row.optionalText(1))
            << row.where;
    }
    // Formatting drops fractions and converts to UTC.
    const QDateTime local(QDate(2020, 6, 1), QTime(12, 0, 0, 999), QTimeZone(3600));
    EXPECT_EQ(isodate::format(local), u"2020-06-01T11:00:00Z"_s);
    const QDateTime beforeEpoch = QDateTime::fromMSecsSinceEpoch(-1, QTimeZone::utc());
    EXPECT_EQ(isodate::format(beforeEpoch), u"1969-12-31T23:59:59Z"_s);
}

std::ptrdiff_t position(std::string_view haystack, std::string_view needle) {
    const char* hit =
        bytesearch::find(haystack.data(), haystack.size(), needle.data(), needle.size());
    return hit ? hit - haystack.data() : -1;
}

// The block-wise scan has edges at every sixteenth place and at the end of
// the text; over small alphabets matches and near-matches fall on all of them.
TEST(ByteSearchTest, AgreesWithAPlainSearch) {
    std::mt19937 random(11);
    for (int round = 0; round < 20000; ++round) {
        const int alphabet = 1 + int(random() % 3);
        const auto text = [&](std::size_t size) {
            std::string made(size, 'a');
            for (char& c : made)
                c = char('a' + random() % unsigned(alphabet));
            return made;
        };
        const std::string haystack = text(random() % 80);
        const std::string needle = text(random() % 7);
        const std::size_t expected = haystack.find(needle);
        EXPECT_EQ(position(haystack, needle),
                  expected == std::string::npos ? -1 : std::ptrdiff_t(expected))
            << '"' << haystack << "\" / \"" << needle << '"';
    }
    EXPECT_EQ(position(std::string_view("x\0ab\0", 5), std::string_view("b\0", 2)), 3);
    EXPECT_EQ(position(std::string(40, 'a') + "rust", "rust"), 40);
    EXPECT_EQ(position("short", "longer than the text"), -1);
}

// The restart must keep whatever else the user tuned, and never override
// (or loop on) a huge-page setting already there.
TEST(HugePagesTest, TunablesKeepTheUsersAndNeverRepeat) {
    const auto check = [](const char* current, const std::optional<std::string>& expected) {
        const auto value = hugepages::tunablesAskingForHugePages(current);
        EXPECT_EQ(value, expected) << (current ? current : "(unset)");
        // What the restart sets is never changed again by the restarted process.
        EXPECT_EQ(value ? hugepages::tunablesAskingForHugePages(value->c_str()) : std::nullopt,
                  std::nullopt);
    };
    check(nullptr, "glibc.malloc.hugetlb=1");
    check("", "glibc.malloc.hugetlb=1");
    check("glibc.malloc.arena_max=2", "glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1");
    check("glibc.malloc.hugetlb=0", std::nullopt);
    check("glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1", std::nullopt);
}

} // namespace

TEST(LocaleNumbersTest, CountsAreWrittenTheWayTheDefaultLocaleWritesThem) {
    const QLocale saved;
    QLocale::setDefault(QLocale::German);
    // A count beyond the placeholders is left out.
    EXPECT_EQ(localenumbers::withCounts(u"%lld of %lld."_s, {1234, 56789, 3}), u"1.234 of 56.789.");
    QLocale::setDefault(QLocale::c()); // what texts under LANG=C keep
    EXPECT_EQ(localenumbers::withCounts(u"%lld of %lld."_s, {1234, 56789}), u"1234 of 56789.");
    QLocale::setDefault(saved);
}
