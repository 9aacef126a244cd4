#include "shared/Inbox/PendingBookmark.h"

#include "tests/support/Testing.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

namespace {

QDateTime utc(const char* text) {
    return QDateTime::fromString(QLatin1String(text), Qt::ISODateWithMs)
        .toTimeZone(QTimeZone::utc());
}

PendingBookmark entry(const QString& url, const QString& title, const QString& description,
                      const QStringList& tags, const char* receivedAt) {
    return PendingBookmark(*Url::parse(url), title, description, tags, utc(receivedAt));
}

} // namespace

TEST(PendingBookmarkTest, EncodesTheFiveKeysCompactlyAndReadsThemBack) {
    const PendingBookmark pending = entry(u"https://example.com/a/b?c=d"_s, u"A/B"_s, QString(), {},
                                          "2025-03-01T12:34:56.789Z");
    // The empty description is written, not left out; the fraction is dropped.
    EXPECT_EQ(encodePendingBookmark(pending),
              R"({"description":"","receivedAt":"2025-03-01T12:34:56Z","tags":[],)"
              R"("title":"A\/B","url":"https:\/\/example.com\/a\/b?c=d"})");
    // What is written is read back field for field.
    const PendingBookmark awkward =
        entry(u"https://example.com/caf%C3%A9?q=1#top"_s, u"Caf\u00e9 \"quoted\" \\ \U0001F600"_s,
              u"line\nbreak\ttab"_s, {u"zeta"_s, u"alpha"_s, u"zeta"_s, QString()},
              "2025-03-01T12:34:56Z");
    EXPECT_EQ(decodePendingBookmark(encodePendingBookmark(awkward)), awkward);
}

// Any valid JSON will do, and a relative reference is kept as written.
TEST(PendingBookmarkTest, ReadsAnyValidJsonKeepsRelativeUrlsAndIgnoresUnknownKeys) {
    const QByteArray text = "\n { \"receivedAt\" : \"2025-03-01T12:34:56Z\", \"extra\": [1, {}],\n"
                            "   \"tags\": [\"b\", \"a\"], \"url\": \"example.com\\/x\",\n"
                            "   \"description\": \"\", \"title\": \"\\u0054itle\", \"id\": 7 }\n";
    EXPECT_EQ(decodePendingBookmark(text), entry(u"example.com/x"_s, u"Title"_s, QString(),
                                                 {u"b"_s, u"a"_s}, "2025-03-01T12:34:56Z"));
}

TEST(PendingBookmarkTest, UndecodableEntries) {
    const QJsonObject valid{{u"url"_s, u"https://example.com/a"_s},
                            {u"title"_s, u"Title"_s},
                            {u"description"_s, u"Text"_s},
                            {u"tags"_s, QJsonArray{u"one"_s, u"two"_s}},
                            {u"receivedAt"_s, u"2025-03-01T12:34:56Z"_s}};
    const QByteArray validBytes = QJsonDocument(valid).toJson();
    ASSERT_TRUE(decodePendingBookmark(validBytes).has_value());

    const auto decodesWith = [&](const QString& key, const QJsonValue& value) {
        QJsonObject object = valid;
        object.insert(key, value); // an undefined value drops the key
        return decodePendingBookmark(QJsonDocument(object).toJson()).has_value();
    };
    for (const QString& key : valid.keys())
        EXPECT_FALSE(decodesWith(key, QJsonValue::Undefined)) << "without " << qPrintable(key);
    EXPECT_FALSE(decodesWith(u"url"_s, u""_s));
    EXPECT_FALSE(decodesWith(u"url"_s, u"not a url"_s));
    EXPECT_FALSE(decodesWith(u"title"_s, 1));
    EXPECT_FALSE(decodesWith(u"description"_s, false));
    EXPECT_FALSE(decodesWith(u"tags"_s, u"one"_s));
    EXPECT_FALSE(decodesWith(u"tags"_s, QJsonArray{u"one"_s, 2}));
    // Dates: the shared reader takes offsets, but entries must be in UTC.
    EXPECT_FALSE(decodesWith(u"receivedAt"_s, u"2025-03-01T12:34:56.789Z"_s));
    EXPECT_FALSE(decodesWith(u"receivedAt"_s, u"2025-03-01T13:34:56+01:00"_s));
    EXPECT_FALSE(decodesWith(u"receivedAt"_s, u"2025-02-30T12:34:56Z"_s));
    for (const QByteArray& text :
         {QByteArray(), validBytes.first(validBytes.size() / 2), "[" + validBytes + "]"})
        EXPECT_FALSE(decodePendingBookmark(text).has_value()) << text.toStdString();
}
