#include "platform/Core/ByteSearch.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <string_view>

namespace {

std::ptrdiff_t position(std::string_view haystack, std::string_view needle) {
    const char* hit = bytesearch::find(haystack.data(), haystack.size(), needle.data(), needle.size());
    return hit ? hit - haystack.data() : -1;
}

} // namespace

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
