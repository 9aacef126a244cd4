#include "Corvina/ImportExport/JSONBackup.h"

#include "Corvina/ImportExport/BookmarksDocument.h"
#include "ImportExportTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using testdata::at;
using testdata::payload;

namespace {

const QByteArray kValid =
    R"({"id":"11111111-1111-1111-1111-111111111111","url":"https://a/",)"
    R"("title":"A","description":"d","tags":["x"],)"
    R"("createdAt":"2024-05-01T12:30:00Z","updatedAt":"2024-05-02T00:00:00Z"})";

const QByteArray kMark = "\xEF\xBB\xBF"; // U+FEFF, the byte order mark

// kValid as the one element of a bare array, `from` replaced with `to`.
QByteArray edited(const QByteArray& from, const QByteArray& to) {
    return "[" + QByteArray(kValid).replace(from, to) + "]";
}

// kValid as the one element of a bare array, with `json` as its value for
// an unknown key.
QByteArray withExtra(const QByteArray& json) {
    return edited("{", R"({"extra":)" + json + ",");
}

// kValid with `text` between the quotes of its title.
QByteArray withTitle(const QByteArray& text) {
    return edited(R"("title":"A")", R"("title":")" + text + "\"");
}

// {"a":{"a":...{}...}}, `depth` objects deep.
QByteArray nestedObjects(int depth) {
    return QByteArray(R"({"a":)").repeated(depth - 1) + "{}" + QByteArray(depth - 1, '}');
}

} // namespace

TEST(JSONBackupTest, ExportReadsBackExactlyInOrder) {
    std::vector<BookmarkPayload> payloads = {
        payload(u"https://example.com/ü?a=1"_s.replace(u"ü"_s, u"%C3%BC"_s),
                u"Quotes \" \\ / and \u00e9\n"_s, {u"b"_s, u"a"_s, u"b"_s}, 1714566600000,
                1714566601000, u"note\twith tab"_s),
        payload(u"about:blank"_s, QString(), {}, -86400000, 0),
    };
    const QByteArray bytes = exportJSON(payloads, at(1740830400999));
    const auto back = JSONImporter::parse(bytes);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.value(), payloads);

    // Sorted keys, "version" 1, whole seconds with "Z", pretty-printed.
    const QJsonObject top = QJsonDocument::fromJson(bytes).object();
    EXPECT_EQ(top.keys(), (QStringList{u"bookmarks"_s, u"exportedAt"_s, u"version"_s}));
    EXPECT_EQ(top.value(u"version"_s).toInteger(), 1);
    EXPECT_EQ(top.value(u"exportedAt"_s).toString(), u"2025-03-01T12:00:00Z"_s);
    const QByteArray keys =
        "\"createdAt\"\"description\"\"id\"\"tags\"\"title\"\"updatedAt\"\"url\"";
    QByteArray seen;
    for (const QByteArray& line : bytes.split('\n')) {
        if (line.startsWith("      \"") && line.contains(" : "))
            seen += line.trimmed().split(' ').first();
    }
    EXPECT_EQ(seen, keys + keys);
    EXPECT_TRUE(bytes.contains(
        "\n  \"bookmarks\" : [\n    {\n      \"createdAt\" : \"2024-05-01T12:30:00Z\""));

    const QByteArray empty = exportJSON({}, at(0));
    EXPECT_TRUE(QJsonDocument::fromJson(empty).object().value(u"bookmarks"_s).toArray().isEmpty());
    EXPECT_TRUE(JSONImporter::parse(empty)->empty());
}

TEST(JSONBackupTest, ImporterAcceptsAndRejects) {
    struct Case {
        const char* name;
        QByteArray bytes;
        int count; // -1: malformed
    };
    const Case cases[] = {
        {"bareArray", "[" + kValid + "," + kValid + "]", 2},
        {"emptyArray", "[]", 0},
        {"envelopeOtherMembersIgnored", R"({"version":2,"x":{},"bookmarks":[)" + kValid + "]}", 1},
        {"emptyEnvelope", R"({"bookmarks":[]})", 0},
        {"byteOrderMark", "\xEF\xBB\xBF[" + kValid + "]", 1},
        {"unknownKeyIgnored", edited("{", R"({"extra":1,)"), 1},
        {"noBookmarksMember", R"({"items":[]})", -1},
        {"bookmarksNotAnArray", R"({"bookmarks":{}})", -1},
        {"oneBadElementFailsAll", "[" + kValid + R"(,{"id":"x"}])", -1},
        {"missingUpdatedAt", edited(R"(,"updatedAt":"2024-05-02T00:00:00Z")", ""), -1},
        {"bareDate", edited("2024-05-01T12:30:00Z", "2024-05-01"), -1},
        {"invalidUrl", edited("https://a/", "not a url"), -1},
        {"duplicateKey", edited(R"("title":"A")", R"("title":"A","title":"B")"), -1},
        {"duplicateKeyViaEscape", edited(R"("title":"A")", R"("title":"A","t\u0069tle":"B")"), -1},
        {"duplicateEnvelopeMember", R"({"bookmarks":[],"bookmarks":[)" + kValid + "]}", -1},
        {"loneSurrogate", edited(R"("x")", R"("\udd00")"), -1},
        {"hugeNumber", R"({"version":1e999,"bookmarks":[]})", -1},
        {"deepNesting", QByteArray(5000, '[') + QByteArray(5000, ']'), -1},
        // 1,024 levels in all are allowed, the bookmark and its array included.
        {"nestingAtLimit", withExtra(QByteArray(1022, '[') + QByteArray(1022, ']')), 1},
        {"nestingPastLimit", withExtra(QByteArray(1023, '[') + QByteArray(1023, ']')), -1},
        {"nestedObjectsAtLimit", withExtra(nestedObjects(1022)), 1},
        {"nestedObjectsPastLimit", withExtra(nestedObjects(1023)), -1},
        {"duplicateKeyDeepInUnknownMember", withExtra(R"([{"a":[{"k":1,"j":2,"k":3}]}])"), -1},
        {"sameKeyInSiblingObjects", withExtra(R"([{"k":1},{"k":2,"j":{"k":3}}])"), 1},
        {"allFourSpaces", " \t\r\n[ \t\r\n" + kValid + " \t\r\n, \r\n" + kValid + "\t]\n ", 2},
        {"formFeedIsNoSpace", "[\f" + kValid + "]", -1},
        {"verticalTabIsNoSpace", "[" + kValid + "]\v", -1},
        {"byteOrderMarkAfterSpace", " \xEF\xBB\xBF[]", -1},
        {"trailingGarbage", "[]x", -1},
        {"secondDocument", "[][]", -1},
        {"trailingNul", QByteArray("[]\0", 3), -1},
        {"trailingComma", "[" + kValid + ",]", -1},
        {"trailingCommaInObject", edited("}", ",}"), -1},
        {"bareScalar", "1", -1},
        {"unclosedArray", "[" + kValid, -1},
        {"unclosedString", R"([{"id":"1111)", -1},
        {"literals", withExtra("[true,false,null]"), 1},
        {"truncatedLiteral", withExtra("[tru]"), -1},
        {"integers", withExtra("[0,-0,12,99999999999999999999]"), 1},
        {"fractionsAndExponents", withExtra("[0.5,-1.25e+3,1E5,2e-308,0e999]"), 1},
        {"leadingZero", withExtra("[01]"), -1},
        {"plusSign", withExtra("[+1]"), -1},
        {"loneMinus", withExtra("[-]"), -1},
        {"emptyExponent", withExtra("[1e]"), -1},
        {"underflowingNumber", withExtra("[1e-400]"), -1},
        {"infinity", withExtra("[Infinity]"), -1},
        // Forms outside strict JSON that backups have always been read with.
        {"fractionWithoutDigits", withExtra("[1.,.5]"), 1},
        {"unknownEscapeStandsForItself", withExtra(R"(["\x\'"])"), 1},
        {"rawControlCharacter", withExtra("[\"a\tb\x01\"]"), 1},
        {"badHexEscape", withExtra(R"(["\u00zz"])"), -1},
        {"shortHexEscape", withExtra(R"(["\u12"])"), -1},
        {"unpairedSurrogatesInTitle", withTitle(R"(\ude00\ud83d)"), -1},
        {"loneSurrogateInDescription", withTitle("A").replace(R"("d")", R"("\ud800")"), -1},
        {"truncatedUtf8", withTitle("\xC3"), -1},
        {"overlongUtf8", withTitle("\xC0\x80"), -1},
        {"encodedSurrogate", withTitle("\xED\xA0\x80"), -1},
        {"beyondUnicode", withTitle("\xF4\x90\x80\x80"), -1},
        {"strayContinuationByte", withTitle("\x80"), -1},
        // A string's opening byte order mark is dropped; a key that had one
        // still counts among its object's keys but never as a known name.
        {"markedKnownKey", withExtra("1").replace(R"("title")", "\"" + kMark + "title\""), -1},
        {"markedKeyRepeatsAnother", withExtra("1").replace(R"("extra")", "\"" + kMark + "id\""),
         -1},
        {"markedUnknownKey", withExtra("1").replace(R"("extra")", "\"" + kMark + "extra\""), 1},
        {"markedEnvelopeKey", "{\"" + kMark + "bookmarks\":[]}", -1},
        {"escapedEnvelopeKey", R"({"b\u006fokmarks":[)" + kValid + "]}", 1},
        {"bookmarksMemberLast", R"({"version":1,"bookmarks":[]})", 0},
        {"elementNotAnObject", "[" + kValid + ",[]]", -1},
        {"tagNotAString", edited(R"(["x"])", R"(["x",1])"), -1},
        {"titleNotAString", withTitle("A").replace(R"("A")", "1"), -1},
        {"html", "<!DOCTYPE NETSCAPE-Bookmark-file-1>", -1},
        {"empty", "", -1},
    };
    for (const Case& c : cases) {
        const auto parsed = JSONImporter::parse(c.bytes);
        if (c.count < 0) {
            ASSERT_FALSE(parsed.ok()) << c.name;
            EXPECT_EQ(parsed.error().description(),
                      u"Malformed file: Expected an array of bookmarks or {\"bookmarks\": [...]}"_s)
                << c.name;
        } else {
            ASSERT_TRUE(parsed.ok()) << c.name;
            EXPECT_EQ(qsizetype(parsed->size()), c.count) << c.name;
        }
    }
}

TEST(JSONBackupTest, ImporterDecodesStrings) {
    const std::pair<QByteArray, QString> cases[] = {
        {"plain", u"plain"_s},
        {R"(\"\\\/\b\f\n\r\t)", u"\"\\/\b\f\n\r\t"_s},
        {R"(\u00e9\u00C9\u0000!)", QStringView(u"\u00e9\u00c9\0!", 4).toString()},
        {R"(\ud83d\ude00 \uD83D\uDE00)", u"\U0001F600 \U0001F600"_s},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", u"caf\u00e9 \u20ac \U0001F600"_s},
        {"\xEF\xBF\xBE\xF4\x8F\xBF\xBF", u"\uFFFE\U0010FFFF"_s},
        {"mixed \\u00e9 and \xC3\xA9\\n", u"mixed \u00e9 and \u00e9\n"_s},
        {R"(\x)", u"x"_s},
        {"\xEF\xBB\xBFmark dropped", u"mark dropped"_s},
        {"\xEF\xBB\xBF\\n", u"\uFEFF\n"_s},
    };
    for (const auto& [json, title] : cases) {
        const auto parsed = JSONImporter::parse(withTitle(json));
        ASSERT_TRUE(parsed.ok()) << json.toStdString();
        ASSERT_EQ(parsed->size(), 1u);
        // Not ==: payloads compare titles by canonical equivalence.
        EXPECT_EQ(parsed->front().title.toStdU16String(), title.toStdU16String())
            << json.toStdString();
    }
    const auto tags = JSONImporter::parse(edited(R"(["x"])", R"([ "\u0061" , "b" ])"));
    ASSERT_TRUE(tags.ok());
    EXPECT_EQ(tags->front().tags, (QStringList{u"a"_s, u"b"_s}));
}

TEST(JSONBackupTest, DocumentAndDefaultFilename) {
    const QDateTime march = QDateTime(QDate(2025, 3, 1), QTime(12, 0));
    EXPECT_EQ(defaultFilename(ExportFormat::json, march), u"Corvina-2025-03-01.json"_s);
    EXPECT_EQ(defaultFilename(ExportFormat::netscapeHTML, march), u"Corvina-2025-03-01.html"_s);

    EXPECT_EQ(BookmarksDocument::readableContentTypes(),
              (QStringList{u"application/json"_s, u"text/html"_s}));
    EXPECT_FALSE(BookmarksDocument::read("[]").ok());
    QTemporaryDir folder;
    const BookmarksDocument html{{payload(u"https://a/"_s, u"A"_s)}, ExportFormat::netscapeHTML};
    ASSERT_TRUE(html.write(folder.filePath(u"out.html"_s)).ok());
    QFile written(folder.filePath(u"out.html"_s));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"));
    EXPECT_FALSE(html.write(folder.filePath(u"missing/out.html"_s)).ok());
}
