#include "shared/Metadata/PageHead.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

namespace {

struct PageCase {
    const char* name;
    QByteArray body;
    QString title;
    QString description;
};

QByteArray page(const char* head, const char* body = "<p>text</p>") {
    return QByteArray("<!doctype html><html><head>") + head + "</head><body>" + body +
           "</body></html>";
}

template <qsizetype N> QByteArray withNul(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

class PageHeadCase : public testing::TestWithParam<PageCase> {};

TEST_P(PageHeadCase, FindsTitleAndDescription) {
    const auto result = extractPageMetadata(GetParam().body);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result->title, GetParam().title) << qPrintable(result->title);
    EXPECT_EQ(result->description, GetParam().description) << qPrintable(result->description);
}

const QString none;

INSTANTIATE_TEST_SUITE_P(
    Pages, PageHeadCase,
    testing::Values(
        PageCase{"openGraphBeforeTitleElement",
                 page(R"(<title>Plain</title><meta property="og:title" content="Graph">)"),
                 u"Graph"_qs, none},
        PageCase{"emptyOpenGraphEndsTheSearch",
                 page(R"(<title>Plain</title><meta property="og:title" content="">)"
                      R"(<meta name="twitter:title" content="Card">)"),
                 none, none},
        PageCase{"twitterBeforeTitleElement",
                 page(R"(<title>Plain</title><meta name="twitter:title" content="Card">)"),
                 u"Card"_qs, none},
        PageCase{"titleElement", page("<title>Plain</title>"), u"Plain"_qs, none},
        PageCase{"capitals",
                 page(R"(<META PROPERTY="OG:TITLE" CONTENT="Loud"><META NAME="DESCRIPTION" )"
                      R"(Content="Shout">)"),
                 u"Loud"_qs, u"Shout"_qs},
        PageCase{"contentBeforeProperty", page(R"(<meta content="Reversed" property="og:title">)"),
                 u"Reversed"_qs, none},
        PageCase{"titleAfterHeadIsNotFound",
                 page("", "<title>Body title</title><meta name=\"description\" content=\"x\">"),
                 none, none},
        PageCase{"noHeadEndSearchesEverything",
                 "<html><body><p>x</p><title>Late</title><meta name=description content=no>"
                 "<meta name='description' content='Late too'>",
                 u"Late"_qs, u"Late too"_qs},
        PageCase{"headEndInAnyCase",
                 R"(<title>Kept</title></HEAD><meta property="og:title" content="After">)",
                 u"Kept"_qs, none},
        PageCase{"trimThenAmpersand", page("<title>\n\t  Tom &amp; Jerry \u00a0\r\n</title>"),
                 u"Tom & Jerry"_qs, none},
        PageCase{"otherNumericEntityStays", page("<title>a&#8217;b&#39;c&#x27;d</title>"),
                 u"a&#8217;b'c&#x27;d"_qs, none},
        PageCase{"entityAtTheEndSurvivesTrimming", page("<title> x&nbsp;</title>"), u"x "_qs, none},
        // Each replacement runs over the result of the ones before it.
        PageCase{"entitiesInOrder",
                 page("<title>&amp;lt;|&amp;amp;|&amp;#39;|&lt;&gt;&quot;&apos;&mdash;&ndash;"
                      "&hellip;|&AMP;&Lt;&#039;</title>"),
                 u"<|&amp;|'|<>\"'\u2014\u2013\u2026|&AMP;&Lt;&#039;"_qs, none},
        PageCase{"latin1Body", page("<title>Caf\xe9 cr\xe8me</title>"), u"Caf\u00e9 cr\u00e8me"_qs,
                 none},
        PageCase{"utf8Body", page("<title>Caf\xc3\xa9</title>"), u"Caf\u00e9"_qs, none},
        // One stray byte after the head makes the whole body Latin-1.
        PageCase{"invalidUtf8AnywhereMeansLatin1", page("<title>\xc3\xa9</title>", "\xff"),
                 u"\u00c3\u00a9"_qs, none},
        PageCase{"overlongUtf8IsLatin1", page("<title>\xc0\xaf</title>"), u"\u00c0\u00af"_qs, none},
        PageCase{"encodedSurrogateIsLatin1", page("<title>\xed\xa0\x80</title>"),
                 u"\u00ed\u00a0\u0080"_qs, none},
        PageCase{"keyThatOnlyBeginsWithTheKey",
                 page(R"(<meta property="og:title:alt" content="No">)"
                      R"(<meta name="descriptions" content="No"><title>Yes</title>)"),
                 u"Yes"_qs, none},
        // A hyphen is a word boundary, a letter is not.
        PageCase{"wordBoundaryBeforeTheAttribute",
                 page(R"(<meta xproperty="og:title" content="No">)"
                      R"(<meta data-name="description" content="Hyphen">)"),
                 none, u"Hyphen"_qs},
        PageCase{"singleQuotesAndSpacesAroundEquals",
                 page("<meta property = 'og:title' content = 'Single \"quoted\"'>"),
                 u"Single \"quoted\""_qs, none},
        PageCase{"mixedQuotesAroundTheKey", page(R"(<meta name='description" content="Mixed">)"),
                 none, u"Mixed"_qs},
        PageCase{"unquotedContentIsNoValue",
                 page(R"(<meta property="og:title" content=bare><title>Fallback</title>)"),
                 u"Fallback"_qs, none},
        PageCase{"descriptionSourcesInOrder",
                 page(R"(<meta name="description" content="Plain">)"
                      R"(<meta name="twitter:description" content="Card">)"
                      R"(<meta property="og:description" content="Graph">)"),
                 none, u"Graph"_qs},
        PageCase{"twitterDescriptionBeforePlain",
                 page(R"(<meta name="description" content="Plain">)"
                      R"(<meta name="twitter:description" content="Card">)"),
                 none, u"Card"_qs},
        PageCase{"innerLineBreaksAndTagsKept", page("<title>A\n<b>B</b></title>"),
                 u"A\n<b>B</b>"_qs, none},
        PageCase{"titleAttributesAndCase", page(R"(<TITLE lang="en">Attr</Title>)"), u"Attr"_qs,
                 none},
        PageCase{"firstMetaTagWins",
                 page(R"(<meta property="og:title" content="One">)"
                      R"(<meta property="og:title" content="Two">)"),
                 u"One"_qs, none},
        PageCase{"metaTagCannotSpanAnotherTag",
                 page(R"(<meta charset="utf-8"><link rel="x" property="og:title" content="No">)"),
                 none, none},
        // Bad input: nothing crashes, nothing is invented.
        PageCase{"empty", "", none, none},
        PageCase{"nulBytes", withNul("<title>a\0b</title>\0<meta"), u"a"_qs + QChar() + u"b"_qs,
                 none},
        PageCase{"unterminatedTitle", "<head><title>Never closed", none, none},
        PageCase{"unterminatedTitleTag", "<head><title", none, none},
        PageCase{"unterminatedMeta", R"(<meta property="og:title" content="x")", none, none},
        PageCase{"unterminatedComment", "<!-- <title>In a comment</title>", u"In a comment"_qs,
                 none},
        PageCase{"entityHeavyTitle",
                 "<title>" + QByteArray("&amp;amp;").repeated(2000) + "</title>",
                 QString(u"&amp;"_qs).repeated(2000), none}),
    [](const auto& info) { return std::string(info.param.name); });

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
    const QString head = uR"(<meta name="a.c" content="dot"><meta name="a(b" content="paren">)"_qs;
    EXPECT_EQ(pagehead::metaContent(head, u"name", u"a.c"), u"dot"_qs);
    EXPECT_EQ(pagehead::metaContent(head, u"name", u"a(b"), u"paren"_qs);
    EXPECT_EQ(pagehead::metaContent(head, u"name", u"abc"), std::nullopt);
    EXPECT_EQ(pagehead::metaContent(u"<meta name=\"a\\Eb\" content=\"q\">", u"name", u"a\\Eb"),
              u"q"_qs);
    // An attribute name that is no valid pattern makes that lookup find nothing.
    EXPECT_EQ(pagehead::metaContent(head, u"(", u"a.c"), std::nullopt);
}

} // namespace
