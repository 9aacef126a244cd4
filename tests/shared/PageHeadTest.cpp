#include "shared/Metadata/PageHead.h"

#include "tests/support/Testing.h"

namespace {

QByteArray page(const char* head, const char* body = "<p>text</p>") {
    return QByteArray("<!doctype html><html><head>") + head + "</head><body>" + body +
           "</body></html>";
}

template <qsizetype N> QByteArray withNul(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

const QString none;

TEST(PageHeadTest, FindsTitleAndDescription) {
    const struct {
        QByteArray body;
        QString title;
        QString description;
    } cases[] = {
        // Open graph before title element.
        {page(R"(<title>Plain</title><meta property="og:title" content="Graph">)"), u"Graph"_s,
         none},
        // Empty open graph ends the search.
        {page(R"(<title>Plain</title><meta property="og:title" content="">)"
              R"(<meta name="twitter:title" content="Card">)"),
         none, none},
        // Twitter before title element.
        {page(R"(<title>Plain</title><meta name="twitter:title" content="Card">)"), u"Card"_s,
         none},
        // Title element.
        {page("<title>Plain</title>"), u"Plain"_s, none},
        // Capitals.
        {page(R"(<META PROPERTY="OG:TITLE" CONTENT="Loud"><META NAME="DESCRIPTION" )"
              R"(Content="Shout">)"),
         u"Loud"_s, u"Shout"_s},
        // Content before property.
        {page(R"(<meta content="Reversed" property="og:title">)"), u"Reversed"_s, none},
        // Title after head is not found.
        {page("", "<title>Body title</title><meta name=\"description\" content=\"x\">"), none,
         none},
        // No head end searches everything.
        {"<html><body><p>x</p><title>Late</title><meta name=description content=no>"
         "<meta name='description' content='Late too'>",
         u"Late"_s, u"Late too"_s},
        // Head end in any case.
        {R"(<title>Kept</title></HEAD><meta property="og:title" content="After">)", u"Kept"_s,
         none},
        // Trim then ampersand.
        {page("<title>\n\t  Tom &amp; Jerry \u00a0\r\n</title>"), u"Tom & Jerry"_s, none},
        // Other numeric entity stays.
        {page("<title>a&#8217;b&#39;c&#x27;d</title>"), u"a&#8217;b'c&#x27;d"_s, none},
        // Entity at the end survives trimming.
        {page("<title> x&nbsp;</title>"), u"x "_s, none},
        // Each replacement runs over the result of the ones before it.
        // Entities in order.
        {page("<title>&amp;lt;|&amp;amp;|&amp;#39;|&lt;&gt;&quot;&apos;&mdash;&ndash;"
              "&hellip;|&AMP;&Lt;&#039;</title>"),
         u"<|&amp;|'|<>\"'\u2014\u2013\u2026|&AMP;&Lt;&#039;"_s, none},
        // Latin-1 body.
        {page("<title>Caf\xe9 cr\xe8me</title>"), u"Caf\u00e9 cr\u00e8me"_s, none},
        // UTF-8 body.
        {page("<title>Caf\xc3\xa9</title>"), u"Caf\u00e9"_s, none},
        // One stray byte after the head makes the whole body Latin-1.
        // Invalid UTF-8 anywhere means Latin-1.
        {page("<title>\xc3\xa9</title>", "\xff"), u"\u00c3\u00a9"_s, none},
        // Overlong UTF-8 is Latin-1.
        {page("<title>\xc0\xaf</title>"), u"\u00c0\u00af"_s, none},
        // Encoded surrogate is Latin-1.
        {page("<title>\xed\xa0\x80</title>"), u"\u00ed\u00a0\u0080"_s, none},
        // Key that only begins with the key.
        {page(R"(<meta property="og:title:alt" content="No">)"
              R"(<meta name="descriptions" content="No"><title>Yes</title>)"),
         u"Yes"_s, none},
        // A hyphen is a word boundary, a letter is not.
        // Word boundary before the attribute.
        {page(R"(<meta xproperty="og:title" content="No">)"
              R"(<meta data-name="description" content="Hyphen">)"),
         none, u"Hyphen"_s},
        // Single quotes and spaces around equals.
        {page("<meta property = 'og:title' content = 'Single \"quoted\"'>"), u"Single \"quoted\""_s,
         none},
        // Mixed quotes around the key.
        {page(R"(<meta name='description" content="Mixed">)"), none, u"Mixed"_s},
        // Unquoted content is no value.
        {page(R"(<meta property="og:title" content=bare><title>Fallback</title>)"), u"Fallback"_s,
         none},
        // Description sources in order.
        {page(R"(<meta name="description" content="Plain">)"
              R"(<meta name="twitter:description" content="Card">)"
              R"(<meta property="og:description" content="Graph">)"),
         none, u"Graph"_s},
        // Twitter description before plain.
        {page(R"(<meta name="description" content="Plain">)"
              R"(<meta name="twitter:description" content="Card">)"),
         none, u"Card"_s},
        // Inner line breaks and tags kept.
        {page("<title>A\n<b>B</b></title>"), u"A\n<b>B</b>"_s, none},
        // Title attributes and case.
        {page(R"(<TITLE lang="en">Attr</Title>)"), u"Attr"_s, none},
        // First meta tag wins.
        {page(R"(<meta property="og:title" content="One">)"
              R"(<meta property="og:title" content="Two">)"),
         u"One"_s, none},
        // Meta tag cannot span another tag.
        {page(R"(<meta charset="utf-8"><link rel="x" property="og:title" content="No">)"), none,
         none},
        // Bad input: nothing crashes, nothing is invented.
        // Empty.
        {"", none, none},
        // NUL bytes.
        {withNul("<title>a\0b</title>\0<meta"), u"a"_s + QChar() + u"b"_s, none},
        // Unterminated title.
        {"<head><title>Never closed", none, none},
        // Unterminated title tag.
        {"<head><title", none, none},
        // Unterminated meta.
        {R"(<meta property="og:title" content="x")", none, none},
        // Unterminated comment.
        {"<!-- <title>In a comment</title>", u"In a comment"_s, none},
        // Entity heavy title.
        {"<title>" + QByteArray("&amp;amp;").repeated(2000) + "</title>",
         QString(u"&amp;"_s).repeated(2000), none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.left(200).toStdString());
        const auto result = extractPageMetadata(c.body);
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(result->title, c.title) << qPrintable(result->title);
        EXPECT_EQ(result->description, c.description) << qPrintable(result->description);
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

} // namespace
