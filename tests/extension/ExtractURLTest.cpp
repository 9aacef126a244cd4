#include "extension/Controller/ExtractURL.h"

#include "platform/Extension/ItemProvider.h"
#include "platform/Extension/TypeIdentifiers.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct Representation {
    QString type;
    std::optional<ItemProvider::Item> item; // nullopt: the load fails
};

std::optional<QString> extracted(const std::vector<Representation>& representations) {
    ItemProvider provider;
    for (const Representation& r : representations) {
        if (r.item)
            provider.registerItem(r.type, *r.item);
        else
            provider.registerLoader(r.type, [](QObject*, ItemProvider::Completion done) {
                done(Failure{ItemProvider::LoadError{u"refused"_s}});
            });
    }
    QObject receiver;
    std::optional<std::optional<Url>> result;
    extractURL(provider, &receiver, [&](std::optional<Url> url) { result.emplace(url); });
    EXPECT_FALSE(result) << "answered inside extractURL";
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000));
    if (!result || !*result)
        return std::nullopt;
    return (*result)->absoluteString();
}

Url url(const QString& text) {
    return *Url::parse(text);
}

} // namespace

TEST(ExtractURLTest, TakesTheFirstUsableCandidateInTheHostsOrder) {
    const QString web = u"https://a.example/page"_s;
    struct Case {
        const char* what;
        std::vector<Representation> representations;
        std::optional<QString> expected;
    };
    const std::vector<Case> cases{
        {"URL object", {{uti::url, url(web)}}, web},
        {"file URL object, unchanged",
         {{uti::fileURL, url(u"file:///tmp/x.html"_s)}},
         u"file:///tmp/x.html"_s},
        {"URL object of another scheme is not tested",
         {{uti::url, url(u"ftp://f.example/"_s)}},
         u"ftp://f.example/"_s},
        {"text with spaces and line breaks around",
         {{uti::plainText, u" \t\u2003https://a.example/page\r\n\u2028"_s}},
         web},
        {"HTTP in capitals", {{uti::plainText, u"HTTPS://A.example/"_s}}, u"HTTPS://A.example/"_s},
        {"text with a word before the address",
         {{uti::plainText, u"see https://a.example/"_s}},
         std::nullopt},
        {"javascript text", {{uti::plainText, u"javascript:alert(1)"_s}}, std::nullopt},
        {"file text", {{uti::plainText, u"file:///etc/passwd"_s}}, std::nullopt},
        {"no scheme", {{uti::plainText, u"a.example/page"_s}}, std::nullopt},
        {"UTF-8 bytes", {{uti::plainText, QByteArray("\nhttps://a.example/page\n")}}, web},
        {"invalid UTF-8 bytes",
         {{uti::plainText, QByteArray("https://a.example/\xff")}},
         std::nullopt},
        {"a URL text that fails, then plain text",
         {{uti::url, u"not a url"_s}, {uti::plainText, web}},
         web},
        {"a failing URL load, then plain text",
         {{uti::url, std::nullopt}, {uti::plainText, web}},
         web},
        {"an address too long for the field",
         {{uti::plainText, u"https://a.example/"_s + QString(40'000, u'a')}},
         std::nullopt},
        {"HTML only", {{uti::html, QByteArray("<a href=\"https://a.example/\">")}}, std::nullopt},
        {"URL text of another scheme, through the URL-object load",
         {{uti::url, u"ftp://f.example/"_s}},
         u"ftp://f.example/"_s},
        {"nothing at all", {}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(extracted(c.representations), c.expected) << c.what;
}

TEST(ExtractURLTest, TenMegabytesOfTextEndQuicklyWithNothing) {
    QByteArray text(10 * 1024 * 1024, 'h');
    text.prepend("https://");
    EXPECT_EQ(extracted({{uti::plainText, text}}), std::nullopt);
}
