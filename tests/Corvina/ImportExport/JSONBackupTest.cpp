#include "Corvina/ImportExport/JSONBackup.h"

#include "Corvina/ImportExport/BookmarksDocument.h"
#include "ImportExportTestSupport.h"
#include "tests/support/TestTable.h"

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

    // The name offered for a backup, and what a document reads; writing one is
    // tested through the export flow.
    const QDateTime march = QDateTime(QDate(2025, 3, 1), QTime(12, 0));
    EXPECT_EQ(defaultFilename(ExportFormat::json, march), u"Corvina-2025-03-01.json"_s);
    EXPECT_EQ(defaultFilename(ExportFormat::netscapeHTML, march), u"Corvina-2025-03-01.html"_s);
    EXPECT_EQ(BookmarksDocument::readableContentTypes(),
              (QStringList{u"application/json"_s, u"text/html"_s}));
    EXPECT_FALSE(BookmarksDocument::read("[]").ok());
}

TEST(JSONBackupTest, ImporterAcceptsAndRejects) {
    const QByteArray fields = kValid.mid(1, kValid.size() - 2);
    const QByteArray head = fields.left(fields.indexOf(R"(,"title")"));
    const QByteArray tail = fields.mid(fields.indexOf(R"("description")"));
    auto rows = testenv::readTable(u"json-backups.tsv"_s, 2);
    for (testenv::TableRow& row : rows)
        row.fields[0]
            .replace("$V", kValid)
            .replace("$FIELDS", fields)
            .replace("$HEAD", head)
            .replace("$TAIL", tail);
    const std::pair<QByteArray, QByteArray> deep[] = {
        {QByteArray(5000, '[') + QByteArray(5000, ']'), "malformed"},
        {withExtra(QByteArray(1022, '[') + QByteArray(1022, ']')), "1"},
        {withExtra(QByteArray(1023, '[') + QByteArray(1023, ']')), "malformed"},
        {withExtra(nestedObjects(1022)), "1"},
        {withExtra(nestedObjects(1023)), "malformed"},
    };
    for (const auto& [bytes, expected] : deep)
        rows.push_back({"deep nesting", {bytes, expected}});
    for (const testenv::TableRow& row : rows) {
        SCOPED_TRACE(row.where);
        const auto parsed = JSONImporter::parse(row.bytes(0));
        EXPECT_EQ(parsed ? QString::number(parsed->size()) : u"malformed"_s, row.text(1));
        if (!parsed) {
            EXPECT_EQ(
                parsed.error().description(),
                u"Malformed file: Expected an array of bookmarks or {\"bookmarks\": [...]}"_s);
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
