#include "Corvina/ImportExport/JSONBackup.h"

#include "Corvina/ImportExport/BookmarksDocument.h"
#include "ImportExportTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using testdata::at;
using testdata::payload;

namespace {

const QByteArray kValid =
    R"({"id":"11111111-1111-1111-1111-111111111111","url":"https://a/",)"
    R"("title":"A","description":"d","tags":["x"],)"
    R"("createdAt":"2024-05-01T12:30:00Z","updatedAt":"2024-05-02T00:00:00Z"})";

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
        {"unknownKeyIgnored", "[" + QByteArray(kValid).replace("{", R"({"extra":1,)") + "]", 1},
        {"noBookmarksMember", R"({"items":[]})", -1},
        {"bookmarksNotAnArray", R"({"bookmarks":{}})", -1},
        {"oneBadElementFailsAll", "[" + kValid + R"(,{"id":"x"}])", -1},
        {"missingUpdatedAt",
         "[" + QByteArray(kValid).replace(R"(,"updatedAt":"2024-05-02T00:00:00Z")", "") + "]", -1},
        {"bareDate", "[" + QByteArray(kValid).replace("2024-05-01T12:30:00Z", "2024-05-01") + "]",
         -1},
        {"invalidUrl", "[" + QByteArray(kValid).replace("https://a/", "not a url") + "]", -1},
        {"duplicateKey",
         "[" + QByteArray(kValid).replace(R"("title":"A")", R"("title":"A","title":"B")") + "]",
         -1},
        {"duplicateKeyViaEscape",
         "[" + QByteArray(kValid).replace(R"("title":"A")", R"("title":"A","t\u0069tle":"B")") +
             "]",
         -1},
        {"duplicateEnvelopeMember", R"({"bookmarks":[],"bookmarks":[)" + kValid + "]}", -1},
        {"loneSurrogate", "[" + QByteArray(kValid).replace(R"("x")", R"("\udd00")") + "]", -1},
        {"hugeNumber", R"({"version":1e999,"bookmarks":[]})", -1},
        {"deepNesting", QByteArray(5000, '[') + QByteArray(5000, ']'), -1},
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
