#include "Corvina/Library/BookmarkDraft.h"

#include "platform/Store/ModelContainer.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QStringList list(std::initializer_list<const char16_t*> items) {
    QStringList result;
    for (const char16_t* item : items)
        result.append(QString::fromUtf16(item));
    return result;
}

struct Store {
    std::unique_ptr<store::ModelContainer> container =
        std::move(store::ModelContainer::openInMemory(Bookmark::schema())).value();
    store::ModelContext& context() { return container->mainContext(); }
};

} // namespace

TEST(BookmarkDraftTest, ParsedTagsSplitAtCommasAndTrimOnlySpacesAndTabs) {
    const struct {
        const char16_t* field;
        QStringList tags;
    } cases[] = {
        {u"", {}},
        {u" , ,\t,", {}},
        {u"swift, ios ,\tmac\t", list({u"swift", u"ios", u"mac"})},
        {u"a,A,a", list({u"a", u"A", u"a"})},    // duplicates are the user's
        {u" two words ", list({u"two words"})},  // inner spaces stay
        {u"line\n, x", list({u"line\n", u"x"})}, // newlines are not trimmed
        {u"\u00a0nbsp", list({u"\u00a0nbsp"})},  // only spaces and tabs
        {u"semi;colon,x", list({u"semi;colon", u"x"})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(draft::parsedTags(QString::fromUtf16(c.field)), c.tags)
            << QString::fromUtf16(c.field).toStdString();
    }
}

TEST(BookmarkDraftTest, CanSaveNeedsAParsingAddressAndATitle) {
    const struct {
        const char16_t* url;
        const char16_t* title;
        bool canSave;
    } cases[] = {
        {u"https://example.com", u"Example", true},
        {u"  https://example.com\t", u"\tExample ", true},
        {u"example.com/path", u"No scheme", true}, // any scheme, or none
        {u"mailto:someone@example.com", u"Mail", true},
        {u"https://example.com", u" \t ", false},
        {u"https://example.com", u"", false},
        {u"", u"Title", false},
        {u"https://exa mple.com", u"Space inside", false},
    };
    for (const auto& c : cases) {
        const BookmarkDraft d{QString::fromUtf16(c.url), QString::fromUtf16(c.title), {}, {}};
        EXPECT_EQ(draft::canSave(d), c.canSave) << QString::fromUtf16(c.url).toStdString();
    }
}

TEST(BookmarkDraftTest, NewBookmarkIsInsertedTrimmedAndSaved) {
    Store s;
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    const auto saved = draft::save(s.context(), {u" https://example.com/a "_qs, u"  Title  "_qs,
                                                 u"  note kept as typed \n"_qs, u"b, a ,"_qs});
    ASSERT_TRUE(saved);
    EXPECT_FALSE(s.context().hasChanges());
    ASSERT_EQ(s.context().count(), 1);
    EXPECT_EQ(saved->urlString(), u"https://example.com/a"_qs);
    EXPECT_EQ(saved->title(), u"Title"_qs);
    EXPECT_EQ(saved->note(), u"  note kept as typed \n"_qs);
    EXPECT_EQ(saved->tags(), list({u"b", u"a"}));
    EXPECT_EQ(saved->createdAt(), saved->updatedAt());
    EXPECT_GE(saved->createdAt(), before);
}

TEST(BookmarkDraftTest, EditingKeepsIdAndCreationAndMovesUpdateTime) {
    Store s;
    const QDateTime created = QDateTime::fromSecsSinceEpoch(1000000000, Qt::UTC);
    const Bookmark existing(QUuid::createUuid(), *Url::parse(u"https://old.example"_qs), u"Old"_qs,
                            u"old note"_qs, {}, created);
    s.context().insert(existing.object());
    ASSERT_TRUE(s.context().save());

    const auto saved =
        draft::save(s.context(), {u"https://new.example"_qs, u"New"_qs, {}, u"x"_qs}, existing);
    ASSERT_TRUE(saved);
    EXPECT_EQ(*saved, existing);
    EXPECT_EQ(s.context().count(), 1);
    EXPECT_EQ(existing.urlString(), u"https://new.example"_qs);
    EXPECT_EQ(existing.note(), QString());
    EXPECT_EQ(existing.createdAt(), created);
    EXPECT_GT(existing.updatedAt(), created);
    EXPECT_FALSE(s.context().hasChanges());
}

TEST(BookmarkDraftTest, AnAddressThatDoesNotParseWritesNothing) {
    Store s;
    EXPECT_FALSE(draft::save(s.context(), {u"not a url"_qs, u"Title"_qs, {}, {}}));
    EXPECT_EQ(s.context().count(), 0);
    EXPECT_FALSE(s.context().hasChanges());
}
