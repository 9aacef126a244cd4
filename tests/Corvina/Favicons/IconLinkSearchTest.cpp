#include "Corvina/Favicons/IconLinkSearch.h"

#include "tests/support/TestTable.h"
#include "tests/support/Testing.h"

TEST(IconLinkSearchTest, FindsAndResolvesTheLinkedIcon) {
    for (const testenv::TableRow& row : testenv::readTable(u"icon-links.tsv"_s, 2))
        EXPECT_EQ(favicon::findIconLink(row.text(0), u"site.test"), row.optionalText(1))
            << row.where;
}

TEST(IconLinkSearchTest, HostileHeadsEndWithoutAnAnswer) {
    const QString unclosed = u"<link rel=\"icon"_s.repeated(50'000);
    EXPECT_EQ(favicon::findIconLink(unclosed, u"site.test"), std::nullopt);
    const QString longQuote = u"<link rel=\""_s + QString(1'000'000, u'i') + u"\" href=\"/x\">"_s;
    (void)favicon::findIconLink(longQuote, u"site.test"); // bounded; any answer will do
}
