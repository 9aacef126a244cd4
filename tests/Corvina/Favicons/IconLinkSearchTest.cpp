#include "Corvina/Favicons/IconLinkSearch.h"

#include <gtest/gtest.h>
#include <optional>

using namespace Qt::StringLiterals;

TEST(IconLinkSearchTest, FindsAndResolvesTheLinkedIcon) {
    struct Case {
        const char* page;
        std::optional<QString> expected;
    };
    const std::vector<Case> cases{
        {"<head><title>x</title></head>", std::nullopt},
        {R"(<link rel="icon" href="/a.png">)", u"https://site.test/a.png"_s},
        {R"(<link href='img/b.ico' type='image/x-icon' rel='shortcut icon'>)",
         u"https://site.test/img/b.ico"_s},
        {R"(<LINK REL="ICON" HREF="//cdn.test/c.png">)", u"https://cdn.test/c.png"_s},
        {R"(<link rel="icon" href="http://plain.test/d.png">)", u"http://plain.test/d.png"_s},
        // The touch icon wins wherever it is.
        {R"(<link rel="icon" href="/small.png"><link rel="apple-touch-icon" href="/big.png">)",
         u"https://site.test/big.png"_s},
        // Each token looks at its first tag only; "icon" also finds the
        // touch icon's tag, so an empty href there hides the later icon.
        {R"(<link rel="apple-touch-icon" href=""><link rel="icon" href="/e.png">)", std::nullopt},
        // Unquoted rel values and other rels do not count.
        {R"(<link rel=icon href="/no.png"><link rel="stylesheet" href="/s.css">)", std::nullopt},
        {R"(<link rel="icon" href="/f.png?a=1&amp;b=2">)",
         u"https://site.test/f.png?a=1&amp;b=2"_s},
        {R"(<head></HEAD><link rel="icon" href="/body.png">)", std::nullopt},
        {R"(<link rel="icon"><link rel="shortcut icon" href="/g.ico">)",
         u"https://site.test/g.ico"_s},
        {R"(<link rel="mask-icon" href='/h.svg' color="#000">)", u"https://site.test/h.svg"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        EXPECT_EQ(favicon::findIconLink(QString::fromUtf8(c.page), u"site.test"), c.expected);
    }
}

TEST(IconLinkSearchTest, HostileHeadsEndWithoutAnAnswer) {
    const QString unclosed = u"<link rel=\"icon"_s.repeated(50'000);
    EXPECT_EQ(favicon::findIconLink(unclosed, u"site.test"), std::nullopt);
    const QString longQuote = u"<link rel=\""_s + QString(1'000'000, u'i') + u"\" href=\"/x\">"_s;
    (void)favicon::findIconLink(longQuote, u"site.test"); // bounded; any answer will do
}
