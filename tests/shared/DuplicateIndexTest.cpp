#include "shared/Duplicates/DuplicateIndex.h"

#include "shared/Inbox/SharedContainer.h"
#include "tests/support/Testing.h"

namespace {

// Writes the file under the name the share sheet has always read; null bytes
// leave no file at all.
void putIndexFile(const QByteArray& bytes) {
    const QString support = *sharedcontainer::supportDirectory();
    ASSERT_TRUE(QDir(support).removeRecursively() && QDir().mkpath(support));
    if (!bytes.isNull())
        testenv::writeFile(support + u"/duplicate-index.json"_s, bytes);
}

std::optional<QString> lookUp(const QString& url) {
    return lookUpDuplicate(*Url::parse(url));
}

} // namespace

TEST(DuplicateIndexTest, EncodesCompactlyAndReadsBackOnlyWhatItWrites) {
    EXPECT_EQ(encodeDuplicateIndex({{u"https://example.com/a?"_s, u"A/B"_s}}),
              R"({"https:\/\/example.com\/a?":"A\/B"})");
    EXPECT_EQ(encodeDuplicateIndex({}), "{}");
    const QHash<QString, QString> index{
        {u"https://example.com/?"_s, u"Home"_s},
        {u"https://example.com/caf\u00e9?q=\"x\"&b=\\"_s, u"Caf\u00e9 \"quoted\" \\ \U0001F600"_s},
        {u"://?"_s, QString()},
        {u"!not a url"_s, u"line\nbreak\ttab"_s},
        {u"https://b.example?"_s, u"\uFEFFtitle opening with a byte order mark"_s},
    };
    EXPECT_EQ(decodeDuplicateIndex(encodeDuplicateIndex(index)), index);
    // Any other shape is unreadable as a whole.
    for (const char* bytes :
         {"", R"(["https:\/\/a.example\/?"])", R"({"a":"x","b":1})", R"({"a":{"b":"c"}})",
          R"({"a":"x")", R"({"a":"x"} {})", "{\"a\":\"\xff\"}"})
        EXPECT_EQ(decodeDuplicateIndex(QByteArray(bytes)), std::nullopt) << bytes;
}

TEST(DuplicateIndexTest, LookUpFindsTheTitleUnderTheKeyReadingTheFileAfresh) {
    putIndexFile(encodeDuplicateIndex({{u"https://example.com/docs?a=1"_s, u"Docs"_s}}));
    EXPECT_EQ(lookUp(u"https://WWW.example.com:443/docs/?utm_source=x&a=1#s"_s), u"Docs"_s);
    EXPECT_EQ(lookUp(u"https://example.com/Docs?a=1"_s), std::nullopt);
    putIndexFile(encodeDuplicateIndex({{u"https://example.com/docs?a=1"_s, u"New"_s}}));
    EXPECT_EQ(lookUp(u"https://example.com/docs?a=1"_s), u"New"_s);
    // A missing or bad file means not found.
    putIndexFile(QByteArray());
    EXPECT_EQ(lookUp(u"https://example.com/"_s), std::nullopt);
    // The page is named, but one bad member spoils the whole file.
    putIndexFile(R"({"https:\/\/example.com\/?":"Home","x":2})");
    EXPECT_EQ(lookUp(u"https://example.com/"_s), std::nullopt);
    putIndexFile(QByteArray());
    ASSERT_TRUE(QDir().mkpath(duplicateIndexPath(*sharedcontainer::supportDirectory())));
    EXPECT_EQ(lookUp(u"https://example.com/"_s), std::nullopt);
}
