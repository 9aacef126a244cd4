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
    for (const testenv::TableRow& row : rows) {
        SCOPED_TRACE(row.where);
        const auto result = extractPageMetadata(row.bytes(0));
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(result->title, row.text(1)) << qPrintable(result->title);
        EXPECT_EQ(result->description, row.text(2)) << qPrintable(result->description);
    }
}

TEST(PageHeadTest, CutBeginningDropsOnlyAnIncompleteTrailingSequence) {
    const QByteArray head = "<title>\xe2\x80\x94</title>";
    for (const QByteArray& tail :
         {QByteArray("\xe2"), QByteArray("\xe2\x80"), QByteArray("\xf0\x9f\x98")}) {
        const auto cut = extractPageMetadata(head + tail, BodyExtent::beginning);
        ASSERT_TRUE(cut.ok());
        EXPECT_EQ(cut->title, u"\u2014") << tail.toHex().constData();
        // The same bytes as a whole body are not UTF-8.
        const auto whole = extractPageMetadata(head + tail);
        ASSERT_TRUE(whole.ok());
        EXPECT_EQ(whole->title, u"\u00e2\u0080\u0094");
    }
    // A stray byte that no further byte could complete is no cut-off sequence.
    for (const QByteArray& tail : {QByteArray("\x80"), QByteArray("\xe2\x80\x94\x94"),
                                   QByteArray("\xff"), QByteArray("\xc1"), QByteArray("\xe0\x80"),
                                   QByteArray("\xed\xa0"), QByteArray("\xf4\x90")}) {
        const auto cut = extractPageMetadata(head + tail, BodyExtent::beginning);
        ASSERT_TRUE(cut.ok());
        EXPECT_EQ(cut->title, u"\u00e2\u0080\u0094") << tail.toHex().constData();
    }
}

TEST(PageHeadTest, LongOrdinaryPageIsSearchedToTheEnd) {
    const QByteArray tags = R"(<link rel="preload" href="/a.js"><meta name="x" content="y">)"
                            "<p>text</p>\n";
    const QByteArray body = tags.repeated(4 * 1024 * 1024 / tags.size()) +
                            R"(<meta property="og:title" content="At the end">)";
    const auto result = extractPageMetadata(body);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result->title, u"At the end");
}

TEST(PageHeadTest, UnclosedTagsDoNotHoldTheParser) {
    // Each "<meta" would start a scan to the end of the text.
    const QByteArray body = "<title>Still here</title>" +
                            QByteArray(R"(<meta property="og:title" content="x" )").repeated(20000);
    const auto result = extractPageMetadata(body);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result->title, u"Still here");
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
