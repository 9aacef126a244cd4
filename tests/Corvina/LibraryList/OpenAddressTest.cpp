#include "Corvina/LibraryList/OpenAddress.h"

#include <gtest/gtest.h>

using openaddress::Decision;

// Addresses from imports and the inbox reach the desktop's handler only when
// they are web or mail; anything that could start a program is shown first.
TEST(OpenAddressTest, OnlyWebAndMailAddressesOpenWithoutAsking) {
    const struct {
        const char* address;
        Decision decision;
    } cases[] = {
        {"https://example.com/a?b=1", Decision::open},
        {"HTTP://EXAMPLE.COM", Decision::open},
        {"ftp://files.example/x", Decision::open},
        {"mailto:someone@example.com", Decision::open},
        {"file:///home/user/launcher.desktop", Decision::ask},
        {"file:///tmp/run.sh", Decision::ask},
        {"relative/path/page.html", Decision::ask},
        {"/usr/bin/xterm", Decision::ask},
        {"smb://server/share", Decision::ask},
        {"javascript:alert(1)", Decision::refuse},
        {"JavaScript:alert(1)", Decision::refuse},
        {"data:text/html,<script>x</script>", Decision::refuse},
        {"vbscript:msgbox", Decision::refuse},
    };
    for (const auto& c : cases)
        EXPECT_EQ(openaddress::decide(QUrl(QString::fromUtf8(c.address), QUrl::TolerantMode)),
                  c.decision)
            << c.address;
}
