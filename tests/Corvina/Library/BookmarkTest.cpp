#include "Corvina/Library/Bookmark.h"

#include "Corvina/Library/BookmarkDraft.h"
#include "Corvina/Library/BookmarkPayload.h"
#include "platform/Core/IsoDate.h"
#include "tests/support/TestLibrary.h"
#include "tests/support/TestTable.h"
#include "tests/support/Testing.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

Url url(const char* text) {
    return *Url::parse(QString::fromUtf8(text));
}

QDateTime isoTime(const char* iso) {
    return *isodate::parse(QString::fromUtf8(iso));
}

BookmarkPayload samplePayload() {
    BookmarkPayload payload;
    payload.id = QUuid::fromString(u"6F9619FF-8B86-D011-B42D-00C04FC964FF"_s);
    payload.url = url("https://www.example.com/docs?a=1");
    payload.title = u"Docs"_s;
    payload.description = u"A note"_s;
    payload.tags = {u"swift"_s, u"Swift"_s, u"swift"_s};
    payload.createdAt = isoTime("2023-02-03T04:05:06Z");
    payload.updatedAt = isoTime("2024-01-01T00:00:00Z");
    return payload;
}

} // namespace

TEST(BookmarkTest, DefaultsAndAMissingUpdateTime) {
    const Bookmark bookmark;
    EXPECT_EQ(bookmark.urlString(), u"about:blank"_s);
    EXPECT_TRUE(bookmark.title().isEmpty() && bookmark.note().isEmpty());
    EXPECT_TRUE(bookmark.tags().isEmpty());
    EXPECT_FALSE(bookmark.id().isNull());
    EXPECT_NE(Bookmark().id(), bookmark.id());
    // Without an update time it takes the creation time, not now.
    const QDateTime created = isoTime("2001-01-01T00:00:00Z");
    EXPECT_EQ(
        Bookmark(QUuid::createUuid(), url("https://a.example"), {}, {}, {}, created).updatedAt(),
        created);
}

TEST(BookmarkTest, PayloadRoundTripKeepsEveryValueAndNormalisesNothing) {
    BookmarkPayload payload = samplePayload();
    payload.title = u"  padded  "_s;
    const Bookmark bookmark = Bookmark::fromPayload(payload);
    EXPECT_EQ(bookmark.toPayload(), payload);
    EXPECT_EQ(bookmark.tags().size(), 3);
    EXPECT_EQ(bookmark.title(), u"  padded  "_s);
}

TEST(BookmarkTest, Domain) {
    for (const testenv::TableRow& row : testenv::readTable(u"bookmark-domains.tsv"_s, 2))
        EXPECT_EQ(domainOf(*Url::parse(row.text(0))), row.text(1)) << row.where;
}

// A bookmark is equal to itself alone; a payload by value, tags in order,
// text by canonical equivalence.
TEST(BookmarkPayloadTest, Equality) {
    const Bookmark a = Bookmark::fromPayload(samplePayload());
    const Bookmark alias = a;
    EXPECT_FALSE(a == Bookmark::fromPayload(samplePayload()));
    EXPECT_TRUE(a == alias);

    const BookmarkPayload base = samplePayload();
    BookmarkPayload reordered = base;
    std::swap(reordered.tags[0], reordered.tags[1]);
    EXPECT_FALSE(base == reordered);

    BookmarkPayload composed = base, decomposed = base;
    composed.title = u"Caf\u00e9"_s;
    decomposed.title = u"Cafe\u0301"_s;
    EXPECT_TRUE(composed == decomposed);
    EXPECT_EQ(qHash(composed), qHash(decomposed));
}

TEST(BookmarkPayloadTest, JsonFormHasSevenKeysAndWholeSecondDates) {
    BookmarkPayload payload = samplePayload();
    payload.createdAt = payload.createdAt.addMSecs(987);
    const QJsonObject object = payloadToJson(payload);
    EXPECT_EQ(object.keys(), (QStringList{u"createdAt"_s, u"description"_s, u"id"_s, u"tags"_s,
                                          u"title"_s, u"updatedAt"_s, u"url"_s}));
    EXPECT_EQ(object.value(u"createdAt"_s).toString(), u"2023-02-03T04:05:06Z"_s);
    EXPECT_EQ(object.value(u"id"_s).toString(), u"6F9619FF-8B86-D011-B42D-00C04FC964FF"_s);

    const auto decoded = payloadFromJson(object);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded->url.absoluteString(), payload.url.absoluteString());
    EXPECT_EQ(decoded->createdAt, isoTime("2023-02-03T04:05:06Z"));
}

TEST(BookmarkPayloadTest, Decoding) {
    const char* good = R"({"id":"6f9619ff-8b86-d011-b42d-00c04fc964ff","url":"https://a.example/",
        "title":"T","description":"","tags":["x"],"createdAt":"2020-01-01T00:00:00Z",
        "updatedAt":"2020-01-01T01:00:00+01:00"})";
    const struct {
        const char* replace;    // key to change
        const char* with;       // replacement JSON value, or nullptr to remove the key
        const char* failingKey; // nullptr: decodes
    } cases[] = {
        // As written.
        {nullptr, nullptr, nullptr},
        // Eighth key ignored.
        {"extra", "1", nullptr},
        // Missing updatedAt.
        {"updatedAt", nullptr, "updatedAt"},
        // Missing tags.
        {"tags", nullptr, "tags"},
        // Bare date.
        {"createdAt", "\"2020-01-01\"", "createdAt"},
        // Fractional seconds.
        {"createdAt", "\"2020-01-01T00:00:00.5Z\"", "createdAt"},
        // Id not a uuid.
        {"id", "\"nope\"", "id"},
        // Id with braces.
        {"id", "\"{6f9619ff-8b86-d011-b42d-00c04fc964ff}\"", "id"},
        // Url with space.
        {"url", "\"https://a b\"", "url"},
        // Empty url.
        {"url", "\"\"", "url"},
        // Title not a string.
        {"title", "3", "title"},
        // Tag not a string.
        {"tags", "[\"a\", 1]", "tags"},
        // Tags not an array.
        {"tags", "\"a,b\"", "tags"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        QJsonObject object = QJsonDocument::fromJson(good).object();
        if (c.replace && c.with)
            object.insert(QString::fromUtf8(c.replace),
                          QJsonDocument::fromJson(QByteArray("[") + c.with + "]").array().at(0));
        else if (c.replace)
            object.remove(QString::fromUtf8(c.replace));
        const auto decoded = payloadFromJson(object);
        ASSERT_EQ(decoded.ok(), !c.failingKey);
        if (decoded) {
            EXPECT_EQ(decoded->updatedAt, isoTime("2020-01-01T00:00:00Z"));
            continue;
        }
        EXPECT_EQ(decoded.error().key, QString::fromUtf8(c.failingKey));
        EXPECT_TRUE(decoded.error().message.contains(QString::fromUtf8(c.failingKey)));
    }
}

TEST(BookmarkDraftTest, ParsedTagsAndWhenSaveIsPossible) {
    for (const testenv::TableRow& row : testenv::readTable(u"draft-tags.tsv"_s, 2))
        EXPECT_EQ(draft::parsedTags(row.text(0)), row.text(1).split(u'|', Qt::SkipEmptyParts))
            << row.where;
    for (const testenv::TableRow& row : testenv::readTable(u"draft-can-save.tsv"_s, 3))
        EXPECT_EQ(draft::canSave({row.text(0), row.text(1), {}, {}}), row.text(2) == u"yes")
            << row.where;
}

// Saving a draft as the editor does is tested through the editor; here, an
// address that does not parse writes nothing.
TEST(BookmarkDraftTest, AnAddressThatDoesNotParseWritesNothing) {
    TestLibrary s;
    EXPECT_FALSE(draft::save(s.context(), {u"not a url"_s, u"Title"_s, {}, {}}));
    EXPECT_EQ(s.context().count(), 0);
    EXPECT_FALSE(s.context().hasChanges());
}
