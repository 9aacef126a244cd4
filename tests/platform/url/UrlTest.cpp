#include "platform/Url/Url.h"

#include "tests/support/TestTable.h"
#include "tests/support/Testing.h"

namespace {

// "scheme|host|port|path|query|fragment" with '^' for an absent component;
// neither character can occur in a valid URL.
QString components(const Url& url) {
    const auto show = [](const std::optional<QString>& part) { return part.value_or(u"^"_s); };
    const auto port = url.port();
    return QStringList{
        show(url.scheme()), show(url.host()),  port ? QString::number(*port) : u"^"_s,
        url.path(),         show(url.query()), show(url.fragment())}
        .join(u'|');
}

} // namespace

TEST(UrlTest, ParseSplitsComponentsAsWritten) {
    const QString longText = u"http://h/"_s + QString(10000, u'a');
    auto rows = testenv::readTable(u"urls.tsv"_s, 2);
    rows.push_back(
        {"a long path", {longText.toUtf8(), "http|h|^|/" + QByteArray(10000, 'a') + "|^|^"}});
    for (const testenv::TableRow& row : rows) {
        SCOPED_TRACE(row.where);
        const auto url = Url::parse(row.text(0));
        if (!row.optionalText(1)) {
            EXPECT_FALSE(url.has_value());
            continue;
        }
        ASSERT_TRUE(url.has_value());
        EXPECT_EQ(components(*url), row.text(1));
        EXPECT_EQ(url->absoluteString(), row.text(0));
        EXPECT_EQ(url->isAbsolute(), url->scheme().has_value());
    }
    EXPECT_NE(Url::parse(u"HTTP://h/"_s), Url::parse(u"http://h/"_s));
}

TEST(UrlTest, QueryItemsSplitOnAmpersandThenFirstEquals) {
    for (const testenv::TableRow& row : testenv::readTable(u"url-query-items.tsv"_s, 2)) {
        SCOPED_TRACE(row.where);
        const auto items = Url::parse(row.text(0)).value().queryItems();
        QStringList shown;
        for (const Url::QueryItem& item : items.value_or(std::vector<Url::QueryItem>{}))
            shown << u'<' + item.name + u'>' +
                         (item.value ? u"=<"_s + *item.value + u'>' : QString());
        EXPECT_EQ(items ? std::optional(shown.join(u' ')) : std::nullopt, row.optionalText(1));
    }
}

TEST(UrlTest, PercentDecodingIsStrictUtf8AndTheDecodedAccessorsFallBackDifferently) {
    for (const testenv::TableRow& row : testenv::readTable(u"percent-decoding.tsv"_s, 2))
        EXPECT_EQ(percentDecoded(row.text(0)), row.optionalText(1)) << row.where;
    // The decoded accessors fall back differently.
    const Url idn = Url::parse(u"http://%C3%A9t%C3%A9.xn--p1ai/caf%C3%A9%20au%2Flait"_s).value();
    EXPECT_EQ(idn.hostDecoded(), u"\u00e9t\u00e9.xn--p1ai"_s);
    EXPECT_EQ(idn.pathDecoded(), u"/caf\u00e9 au/lait"_s);
    const Url broken = Url::parse(u"http://%FF.example/a%E2%82"_s).value();
    EXPECT_EQ(broken.hostDecoded(), std::nullopt);
    EXPECT_EQ(broken.pathDecoded(), u"/a%E2%82"_s);
}
