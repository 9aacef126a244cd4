#include "extension/Controller/ExtractURL.h"

#include "platform/Extension/ItemProvider.h"
#include "platform/Extension/TypeIdentifiers.h"
#include "tests/support/Testing.h"

namespace {

struct Representation {
    QString type;
    std::optional<ItemProvider::Item> item; // nullopt: the load fails
};

// The address found, or "" when there is none.
QString extracted(const std::vector<Representation>& representations) {
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
    return testenv::awaited(result) && *result ? (*result)->absoluteString() : QString();
}

TEST(ExtractURLTest, TakesTheFirstUsableCandidateInTheHostsOrder) {
    const QString web = u"https://a.example/page"_s;
    // URL objects, of any scheme, unchanged.
    EXPECT_EQ(extracted({{uti::url, *Url::parse(web)}}), web);
    EXPECT_EQ(extracted({{uti::fileURL, *Url::parse(u"file:///tmp/x.html"_s)}}),
              u"file:///tmp/x.html"_s);
    EXPECT_EQ(extracted({{uti::url, *Url::parse(u"ftp://f.example/"_s)}}), u"ftp://f.example/"_s);
    // Text: trimmed, any case of the scheme, nothing before the address.
    EXPECT_EQ(extracted({{uti::plainText, u" \t\u2003https://a.example/page\r\n\u2028"_s}}), web);
    EXPECT_EQ(extracted({{uti::plainText, u"HTTPS://A.example/"_s}}), u"HTTPS://A.example/"_s);
    EXPECT_EQ(extracted({{uti::plainText, u"see https://a.example/"_s}}), u""_s);
    EXPECT_EQ(extracted({{uti::plainText, u"javascript:alert(1)"_s}}), u""_s);
    EXPECT_EQ(extracted({{uti::plainText, u"file:///etc/passwd"_s}}), u""_s);
    EXPECT_EQ(extracted({{uti::plainText, u"a.example/page"_s}}), u""_s);
    // Text as bytes must be UTF-8.
    EXPECT_EQ(extracted({{uti::plainText, QByteArray("\nhttps://a.example/page\n")}}), web);
    EXPECT_EQ(extracted({{uti::plainText, QByteArray("https://a.example/\xff")}}), u""_s);
    // A URL text that fails, or a failing URL load, then plain text.
    EXPECT_EQ(extracted({{uti::url, u"not a url"_s}, {uti::plainText, web}}), web);
    EXPECT_EQ(extracted({{uti::url, std::nullopt}, {uti::plainText, web}}), web);
    // An address too long for the field.
    EXPECT_EQ(extracted({{uti::plainText, u"https://a.example/"_s + QString(40'000, u'a')}}),
              u""_s);
    EXPECT_EQ(extracted({{uti::html, QByteArray("<a href=\"https://a.example/\">")}}), u""_s);
    // URL text of another scheme, through the URL-object load.
    EXPECT_EQ(extracted({{uti::url, u"ftp://f.example/"_s}}), u"ftp://f.example/"_s);
    EXPECT_EQ(extracted({}), u""_s);
    // Ten megabytes of text end quickly, with nothing.
    EXPECT_EQ(extracted({{uti::plainText, "https://" + QByteArray(10 * 1024 * 1024, 'h')}}), u""_s);
}

} // namespace
