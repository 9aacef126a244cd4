#include "extension/Controller/ExtractURL.h"

#include "platform/Extension/ItemProvider.h"
#include "platform/Extension/TypeIdentifiers.h"
#include "tests/support/Testing.h"

namespace {

struct Representation {
    QString type;
    std::optional<ItemProvider::Item> item; // nullopt: the load fails
};
using Representations = std::vector<Representation>;

Representations one(const QString& type, std::optional<ItemProvider::Item> item) {
    return {{type, std::move(item)}};
}

Representations two(const QString& type, std::optional<ItemProvider::Item> item,
                    const QString& thenType, ItemProvider::Item then) {
    return {{type, std::move(item)}, {thenType, std::move(then)}};
}

std::optional<QString> extracted(const Representations& representations) {
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
    if (!testenv::awaited(result) || !*result)
        return std::nullopt;
    return (*result)->absoluteString();
}

Url url(const QString& text) {
    return *Url::parse(text);
}

TEST(ExtractURLTest, TakesTheFirstUsableCandidateInTheHostsOrder) {
    const QString web = u"https://a.example/page"_s;
    const QString none;
    const struct {
        Representations representations;
        QString expected;
    } cases[] = {
        // URL object.
        {one(uti::url, url(web)), web},
        // File URL object, unchanged.
        {one(uti::fileURL, url(u"file:///tmp/x.html"_s)), u"file:///tmp/x.html"_s},
        // URL object of another scheme is not tested.
        {one(uti::url, url(u"ftp://f.example/"_s)), u"ftp://f.example/"_s},
        // Text with spaces and line breaks around.
        {one(uti::plainText, u" \t\u2003https://a.example/page\r\n\u2028"_s), web},
        // HTTP in capitals.
        {one(uti::plainText, u"HTTPS://A.example/"_s), u"HTTPS://A.example/"_s},
        // Text with a word before the address.
        {one(uti::plainText, u"see https://a.example/"_s), none},
        // Javascript text.
        {one(uti::plainText, u"javascript:alert(1)"_s), none},
        // File text.
        {one(uti::plainText, u"file:///etc/passwd"_s), none},
        // No scheme.
        {one(uti::plainText, u"a.example/page"_s), none},
        // UTF-8 bytes.
        {one(uti::plainText, QByteArray("\nhttps://a.example/page\n")), web},
        // Invalid UTF-8 bytes.
        {one(uti::plainText, QByteArray("https://a.example/\xff")), none},
        // A URL text that fails, then plain text.
        {two(uti::url, u"not a url"_s, uti::plainText, web), web},
        // A failing URL load, then plain text.
        {two(uti::url, std::nullopt, uti::plainText, web), web},
        // An address too long for the field.
        {one(uti::plainText, u"https://a.example/"_s + QString(40'000, u'a')), none},
        // HTML only.
        {one(uti::html, QByteArray("<a href=\"https://a.example/\">")), none},
        // URL text of another scheme, through the URL-object load.
        {one(uti::url, u"ftp://f.example/"_s), u"ftp://f.example/"_s},
        // Nothing at all.
        {{}, none},
    };
    for (const auto& c : cases)
        EXPECT_EQ(extracted(c.representations).value_or(QString()), c.expected)
            << "case " << &c - cases;
    // Ten megabytes of text end quickly, with nothing.
    QByteArray text(10 * 1024 * 1024, 'h');
    EXPECT_EQ(extracted(one(uti::plainText, text.prepend("https://"))), std::nullopt);
}

} // namespace
