#include "platform/Core/HugePages.h"

#include <gtest/gtest.h>

namespace {

// The restart must keep whatever else the user tuned, and never override
// (or loop on) a huge-page setting already there.
TEST(HugePagesTest, TunablesKeepTheUsersAndNeverRepeat) {
    struct Case {
        const char* current;
        std::optional<std::string> expected;
    } cases[] = {
        {nullptr, "glibc.malloc.hugetlb=1"},
        {"", "glibc.malloc.hugetlb=1"},
        {"glibc.malloc.arena_max=2", "glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1"},
        {"glibc.malloc.hugetlb=0", std::nullopt},
        {"glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto value = hugepages::tunablesAskingForHugePages(c.current);
        EXPECT_EQ(value, c.expected) << (c.current ? c.current : "(unset)");
        // What the restart sets is never changed again by the restarted process.
        if (value) {
            EXPECT_EQ(hugepages::tunablesAskingForHugePages(value->c_str()), std::nullopt);
        }
    }
}

} // namespace
