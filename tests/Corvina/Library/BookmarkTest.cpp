#include "Corvina/Library/Bookmark.h"

#include "Corvina/Library/BookmarkPayload.h"
#include "platform/Core/IsoDate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

Url url(const char* text) {
    return *Url::parse(QString::fromUtf8(text));
}

QDateTime at(const char* iso) {
    return *isodate::parse(QString::fromUtf8(iso));
}

BookmarkPayload samplePayload() {
    BookmarkPayload payload;
    payload.id = QUuid::fromString(QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"));
    payload.url = url("https://www.example.com/docs?a=1");
    payload.title = QStringLiteral("Docs");
    payload.description = QStringLiteral("A note");
    payload.tags = {QStringLiteral("swift"), QStringLiteral("Swift"), QStringLiteral("swift")};
    payload.createdAt = at("2023-02-03T04:05:06Z");
    payload.updatedAt = at("2024-01-01T00:00:00Z");
    return payload;
}

} // namespace

TEST(BookmarkTest, UnassignedRecordReadsDefaults) {
    const Bookmark bookmark;
    EXPECT_EQ(bookmark.urlString(), QStringLiteral("about:blank"));
    EXPECT_TRUE(bookmark.title().isEmpty());
    EXPECT_TRUE(bookmark.note().isEmpty());
    EXPECT_TRUE(bookmark.tags().isEmpty());
    EXPECT_FALSE(bookmark.id().isNull());
    EXPECT_NE(Bookmark().id(), bookmark.id());
}

TEST(BookmarkTest, MissingUpdatedAtTakesCreatedAtNotNow) {
    const QDateTime created = at("2001-01-01T00:00:00Z");
    const Bookmark bookmark(QUuid::createUuid(), url("https://a.example"), {}, {}, {}, created);
    EXPECT_EQ(bookmark.updatedAt(), created);
}

TEST(BookmarkTest, PayloadRoundTripKeepsEveryValueAndNormalisesNothing) {
    BookmarkPayload payload = samplePayload();
    payload.title = QStringLiteral("  padded  ");
    const Bookmark bookmark = Bookmark::fromPayload(payload);
    EXPECT_EQ(bookmark.toPayload(), payload);
    EXPECT_EQ(bookmark.tags().size(), 3);
    EXPECT_EQ(bookmark.title(), QStringLiteral("  padded  "));
}

TEST(BookmarkTest, EqualityIsIdentityNotValue) {
    const BookmarkPayload payload = samplePayload();
    const Bookmark a = Bookmark::fromPayload(payload);
    const Bookmark b = Bookmark::fromPayload(payload);
    const Bookmark alias = a;
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a == alias);
}

TEST(BookmarkTest, Domain) {
    const struct {
        const char* url;
        const char* domain;
    } cases[] = {
        {"https://www.example.com/a", "example.com"},
        {"https://WWW.example.com/a", "WWW.example.com"},
        {"https://www3.example.com/", "www3.example.com"},
        {"https://example.com", "example.com"},
        {"https://www.", ""},
        {"about:blank", "about:blank"},
        {"mailto:someone@example.com", "mailto:someone@example.com"},
        {"file:///tmp/x.html", "file:///tmp/x.html"},
        {"https://caf%C3%A9.example/", "café.example"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(domainOf(url(c.url)), QString::fromUtf8(c.domain)) << c.url;
    }
}

TEST(BookmarkPayloadTest, EqualityIsOrderSensitiveAndCanonical) {
    const BookmarkPayload base = samplePayload();
    BookmarkPayload reordered = base;
    std::swap(reordered.tags[0], reordered.tags[1]);
    EXPECT_FALSE(base == reordered);

    BookmarkPayload composed = base, decomposed = base;
    composed.title = QStringLiteral("Caf\u00e9");
    decomposed.title = QStringLiteral("Cafe\u0301");
    EXPECT_TRUE(composed == decomposed);
    EXPECT_EQ(qHash(composed), qHash(decomposed));
}

TEST(BookmarkPayloadTest, JsonFormHasSevenKeysAndWholeSecondDates) {
    BookmarkPayload payload = samplePayload();
    payload.createdAt = payload.createdAt.addMSecs(987);
    const QJsonObject object = payloadToJson(payload);
    EXPECT_EQ(object.keys(),
              (QStringList{QStringLiteral("createdAt"), QStringLiteral("description"),
                           QStringLiteral("id"), QStringLiteral("tags"), QStringLiteral("title"),
                           QStringLiteral("updatedAt"), QStringLiteral("url")}));
    EXPECT_EQ(object.value(QStringLiteral("createdAt")).toString(),
              QStringLiteral("2023-02-03T04:05:06Z"));
    EXPECT_EQ(object.value(QStringLiteral("id")).toString(),
              QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"));

    const auto decoded = payloadFromJson(object);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded->url.absoluteString(), payload.url.absoluteString());
    EXPECT_EQ(decoded->createdAt, at("2023-02-03T04:05:06Z"));
}

TEST(BookmarkPayloadTest, Decoding) {
    const char* good = R"({"id":"6f9619ff-8b86-d011-b42d-00c04fc964ff","url":"https://a.example/",
        "title":"T","description":"","tags":["x"],"createdAt":"2020-01-01T00:00:00Z",
        "updatedAt":"2020-01-01T01:00:00+01:00"})";
    const struct {
        const char* name;
        const char* replace;    // key to change
        const char* with;       // replacement JSON value, or nullptr to remove the key
        const char* failingKey; // nullptr: decodes
    } cases[] = {
        {"as written", nullptr, nullptr, nullptr},
        {"eighth key ignored", "extra", "1", nullptr},
        {"missing updatedAt", "updatedAt", nullptr, "updatedAt"},
        {"missing tags", "tags", nullptr, "tags"},
        {"bare date", "createdAt", "\"2020-01-01\"", "createdAt"},
        {"fractional seconds", "createdAt", "\"2020-01-01T00:00:00.5Z\"", "createdAt"},
        {"id not a uuid", "id", "\"nope\"", "id"},
        {"id with braces", "id", "\"{6f9619ff-8b86-d011-b42d-00c04fc964ff}\"", "id"},
        {"url with space", "url", "\"https://a b\"", "url"},
        {"empty url", "url", "\"\"", "url"},
        {"title not a string", "title", "3", "title"},
        {"tag not a string", "tags", "[\"a\", 1]", "tags"},
        {"tags not an array", "tags", "\"a,b\"", "tags"},
    };
    for (const auto& c : cases) {
        QJsonObject object = QJsonDocument::fromJson(good).object();
        if (c.replace) {
            const QString key = QString::fromUtf8(c.replace);
            if (c.with)
                object.insert(
                    key, QJsonDocument::fromJson(QByteArray("[") + c.with + "]").array().at(0));
            else
                object.remove(key);
        }
        const auto decoded = payloadFromJson(object);
        if (!c.failingKey) {
            EXPECT_TRUE(decoded.ok()) << c.name;
            if (decoded.ok()) {
                EXPECT_EQ(decoded->updatedAt, at("2020-01-01T00:00:00Z")) << c.name;
            }
        } else {
            ASSERT_FALSE(decoded.ok()) << c.name;
            EXPECT_EQ(decoded.error().key, QString::fromUtf8(c.failingKey)) << c.name;
            EXPECT_TRUE(decoded.error().message.contains(QString::fromUtf8(c.failingKey)))
                << c.name;
        }
    }
}
