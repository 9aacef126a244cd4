#include "Corvina/ImportExport/NetscapeHTML.h"

#include "Corvina/ImportExport/HTMLEntities.h"
#include "ImportExportTestSupport.h"
#include "tests/support/TestTable.h"

using testdata::at;
using testdata::payload;

namespace {

std::vector<BookmarkPayload> read(const QByteArray& bytes) {
    auto parsed = NetscapeHTMLImporter::parse(bytes);
    EXPECT_TRUE(parsed.ok());
    return parsed.ok() ? std::move(parsed).value() : std::vector<BookmarkPayload>{};
}

// "url|title|tag,tag" per bookmark, for compact expectations.
QStringList summary(const std::vector<BookmarkPayload>& payloads) {
    QStringList lines;
    for (const BookmarkPayload& p : payloads)
        lines.append(p.url.absoluteString() + u'|' + p.title + u'|' + p.tags.join(u','));
    return lines;
}

} // namespace

TEST(NetscapeHTMLTest, ReaderEdgeCases) {
    for (const testenv::TableRow& row : testenv::readTable(u"netscape-reader.tsv"_s, 2))
        EXPECT_EQ(summary(read(row.bytes(0))).join(u"; "), row.text(1)) << row.where;
    for (const testenv::TableRow& row : testenv::readTable(u"html-entities.tsv"_s, 2))
        EXPECT_EQ(netscape::decodeEntities(row.text(0)), row.text(1)) << row.where;
}

TEST(NetscapeHTMLTest, Dates) {
    const struct {
        const char* attributes;
        std::optional<qint64> created, updated; // msecs; none = import time
    } cases[] = {
        {"ADD_DATE=\"1600000000\" LAST_MODIFIED=\"1600000500\"", 1600000000000, 1600000500000},
        {"ADD_DATE=\"1600000000\"", 1600000000000, 1600000000000},
        {"add_date='1.5e9' last_modified=\"+12.25\"", 1500000000000, 12250},
        {"LAST_MODIFIED=\"5\"", std::nullopt, 5000},
        {"ADD_DATE=\" 1\" LAST_MODIFIED=\"1x\"", std::nullopt, std::nullopt},
        {"ADD_DATE=\"inf\" LAST_MODIFIED=\"0x10\"", std::nullopt, std::nullopt},
        {"ADD_DATE=\"1e300\" LAST_MODIFIED=\"-1e12\"", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
        const auto parsed = read("<A HREF=\"https://d/\" " + QByteArray(c.attributes) + ">d</A>");
        ASSERT_EQ(parsed.size(), 1u) << c.attributes;
        const auto check = [&](const QDateTime& got, std::optional<qint64> expected) {
            EXPECT_TRUE(expected ? got == at(*expected) : got >= before)
                << c.attributes << ": " << got.toString(Qt::ISODateWithMs).toStdString();
        };
        check(parsed[0].createdAt, c.created);
        check(parsed[0].updatedAt, c.updated ? c.updated : c.created);
    }
}

TEST(NetscapeHTMLTest, AttributeLookup) {
    using netscape::attribute;
    const QString line = uR"(<A XHREF="x" href = 'y' HREF="z" TAGS="a">)"_s;
    EXPECT_EQ(attribute(line, "HREF"_L1), u"x"_s); // not anchored at a word boundary
    EXPECT_EQ(attribute(line, "TAGS"_L1), u"a"_s);
    EXPECT_EQ(attribute(uR"(ICON="unclosed HREF='ok')"_s, "HREF"_L1), u"ok"_s);
    EXPECT_FALSE(attribute(uR"(HREF=x HREF="unclosed)"_s, "HREF"_L1));
    EXPECT_EQ(attribute(u"TAGS=\"\""_s, "TAGS"_L1), u""_s);
    EXPECT_EQ(attribute(u"taG\u017F\u2003=\v\u0085\"b\""_s, "TAGS"_L1),
              u"b"_s); // ICU's case folding and \s
}

TEST(NetscapeHTMLTest, WriterMatchesTheExpectedFile) {
    const std::vector<BookmarkPayload> payloads = {
        payload(u"https://example.com/a?x=1&y=2"_s, uR"(Fish & Chips <b>"best"</b>)"_s,
                {u"food"_s, u"a&b"_s, uR"(say "hi")"_s}, 1700000000900, 1700000100000,
                u"Two\nlines & <more>"_s),
        payload(u"about:blank"_s, QString(), {}, -1500, -1500),
        payload(u"https://example.org/"_s, u"Multi\nline title"_s,
                {u"x</DL>y"_s, u"line\nbreak"_s}),
        payload(u"https://e.example/?tags="_s, uR"(a = b TAGS="x")"_s),
    };
    const QByteArray written = exportNetscapeHTML(payloads);
    EXPECT_EQ(QString::fromUtf8(written),
              QString::fromUtf8(testdata::fixture(u"netscape/expected-export.html"_s)));

    // Read back: the stated losses only (fresh ids, no descriptions, the URL
    // for an empty title, whole seconds).
    const auto back = read(written);
    ASSERT_EQ(back.size(), payloads.size());
    for (size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].url, payloads[i].url);
        EXPECT_EQ(back[i].title, i == 1 ? u"about:blank"_s : payloads[i].title);
        EXPECT_EQ(back[i].tags, payloads[i].tags);
        EXPECT_TRUE(back[i].description.isEmpty());
        EXPECT_NE(back[i].id, payloads[i].id);
        EXPECT_EQ(back[i].createdAt.toSecsSinceEpoch(),
                  payloads[i].createdAt.toMSecsSinceEpoch() / 1000);
    }
    EXPECT_EQ(exportNetscapeHTML({}).count('\n'), 9);
}

TEST(NetscapeHTMLTest, BrowserExportsImportAsUsersExpect) {
    const struct {
        const char* file;
        QStringList expected;
    } cases[] = {
        {"chrome-style.html",
         {u"https://news.example.org/|Example News|Bookmarks bar"_s,
          u"https://cook.example.net/soup?id=7&lang=en|Tomato soup \u2013 quick|Bookmarks bar,Recipes & Cooking"_s,
          u"https://cook.example.net/bread|Pain de campagne \u2014 Boulangerie|Bookmarks bar,Recipes & Cooking"_s,
          u"https://docs.example.com/guide|Guide|Bookmarks bar"_s,
          u"javascript:void(0)|Bookmarklet|Other bookmarks"_s}},
        {"firefox-style.html",
         {u"https://www.example.org/start|Start page|home,daily"_s,
          u"https://blog.example.com/feed.xml|Blog feed|Reading"_s,
          u"https://blog.example.com/post?q=%22x%22|\u201CQuoted\u201D post \u2026|Reading,long reads"_s,
          u"place:sort=8&maxResults=10|Most Visited|Bookmarks Toolbar"_s}},
        {"legacy-crlf-latin1.htm",
         {u"http://cafe.example.fr/|Le Caf\u00e9 du coin|Caf\u00e9s"_s,
          u"http://cafe.example.fr/menu|Menu|Caf\u00e9s"_s, u"http://plain.example.com/|Plain|"_s}},
        {"service-bom.html",
         {u"https://xn--r8jz45g.example.jp/|\u6771\u4eac\u306e\u5730\u56f3|\u65e5\u672c\u8a9e,travel"_s,
          u"https://emoji.example.com/|Emoji \U0001F426 &#55357; &#99999999999;|fun,Fun"_s}},
    };
    for (const auto& c : cases) {
        const auto parsed = read(testdata::fixture(u"netscape/"_s + QLatin1String(c.file)));
        EXPECT_EQ(summary(parsed), c.expected) << c.file;
    }
    const auto firefox = read(testdata::fixture(u"netscape/firefox-style.html"_s));
    ASSERT_EQ(firefox.size(), 4u);
    EXPECT_EQ(firefox[2].createdAt, at(1500001200500));
    EXPECT_EQ(firefox[2].updatedAt, firefox[2].createdAt); // "not-a-date"
}

TEST(NetscapeHTMLTest, HostileInputStaysBoundedAndCorrect) {
    // 10,000 nested folders: links deep inside carry only the outer folders.
    QByteArray deep;
    for (int i = 0; i < 10000; ++i)
        deep += "<DT><H3>f" + QByteArray::number(i) + "</H3>\n<DL><p>\n";
    deep += "<DT><A HREF=\"https://deep/\" TAGS=\"own\">deep</A>\n";
    for (int i = 0; i < 10000; ++i)
        deep += "</DL><p>\n";
    deep += "<DT><A HREF=\"https://out/\">out</A>\n";
    const auto nested = read(deep);
    ASSERT_EQ(nested.size(), 2u);
    EXPECT_EQ(nested[0].tags.size(), 1 + netscape::kMaxFolderTags);
    EXPECT_EQ(nested[0].tags.first(), u"own"_s);
    EXPECT_EQ(nested[0].tags.last(), u"f63"_s);
    EXPECT_TRUE(nested[1].tags.isEmpty());

    // One long line of unclosed attribute values and entity chains.
    QByteArray line = "<A ";
    for (int i = 0; i < 200000; ++i)
        line += "HREF=\"x TAGS='y &amp;amp;#38; ";
    line += "HREF=\"https://long/\">t</A>";
    EXPECT_TRUE(read(line).empty()); // every HREF opens a value closed only at the end
}
