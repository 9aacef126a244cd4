#include "shared/Metadata/PageHead.h"

#include "tests/support/TestTable.h"
#include "tests/support/Testing.h"

namespace {

TEST(PageHeadTest, FindsTitleAndDescription) {
    auto rows = testenv::readTable(u"page-heads.tsv"_s, 3);
    // Bad input: nothing crashes, nothing is invented.
    rows.push_back(
        {"NUL bytes", {QByteArray("<title>a\0b</title>\0<meta", 24), QByteArray("a\0b", 3), ""}});
    rows.push_back({"entity-heavy title",
                    {"<title>" + QByteArray("&amp;amp;").repeated(2000) + "</title>",
                     QByteArray("&amp;").repeated(2000), ""}});
    // A long ordinary page is searched to the end.
    const QByteArray tags = R"(<link rel="preload" href="/a.js"><meta name="x" content="y">)"
                            "<p>text</p>\n";
    rows.push_back({"long page",
                    {tags.repeated(4 * 1024 * 1024 / tags.size()) +
                         R"(<meta property="og:title" content="At the end">)",
                     "At the end", ""}});
    // Each "<meta" of an unclosed tag would start a scan to the end of the text.
    rows.push_back({"unclosed tags",
                    {"<title>Still here</title>" +
                         QByteArray(R"(<meta property="og:title" content="x" )").repeated(20000),
                     "Still here", ""}});
    for (const testenv::TableRow& row : rows) {
        SCOPED_TRACE(row.where);
        const auto result = extractPageMetadata(row.bytes(0));
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(result->title, row.text(1)) << qPrintable(result->title);
        EXPECT_EQ(result->description, row.text(2)) << qPrintable(result->description);
    }
}

TEST(PageHeadTest, CutBeginningDropsOnlyAnIncompleteTrailingSequence) {
    const auto title = [](const QByteArray& tail, BodyExtent extent) {
        const auto result = extractPageMetadata("<title>\xe2\x80\x94</title>" + tail, extent);
        return result ? result->title : u"<failed>"_s;
    };
    for (const QByteArray& tail :
         {QByteArray("\xe2"), QByteArray("\xe2\x80"), QByteArray("\xf0\x9f\x98")}) {
        EXPECT_EQ(title(tail, BodyExtent::beginning), u"\u2014") << tail.toHex().constData();
        // The same bytes as a whole body are not UTF-8.
        EXPECT_EQ(title(tail, BodyExtent::whole), u"\u00e2\u0080\u0094");
    }
    // A stray byte that no further byte could complete is no cut-off sequence.
    for (const QByteArray& tail : {QByteArray("\x80"), QByteArray("\xe2\x80\x94\x94"),
                                   QByteArray("\xff"), QByteArray("\xc1"), QByteArray("\xe0\x80"),
                                   QByteArray("\xed\xa0"), QByteArray("\xf4\x90")})
        EXPECT_EQ(title(tail, BodyExtent::beginning), u"\u00e2\u0080\u0094")
            << tail.toHex().constData();
}

TEST(PageHeadTest, MetaKeyIsMatchedLiterally) {
    const QString head = uR"(<meta name="a.c" content="dot"><meta name="a(b" content="paren">)"_s;
    EXPECT_EQ(pagehead::metaContent(head, u"name", u"a.c"), u"dot"_s);
    EXPECT_EQ(pagehead::metaContent(head, u"name", u"a(b"), u"paren"_s);
    EXPECT_EQ(pagehead::metaContent(head, u"name", u"abc"), std::nullopt);
    EXPECT_EQ(pagehead::metaContent(u"<meta name=\"a\\Eb\" content=\"q\">", u"name", u"a\\Eb"),
              u"q"_s);
    // An attribute name that is no valid pattern makes that lookup find nothing.
    EXPECT_EQ(pagehead::metaContent(head, u"(", u"a.c"), std::nullopt);
}

} // namespace
