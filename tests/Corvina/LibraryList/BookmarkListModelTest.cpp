#include "Corvina/LibraryList/BookmarkListModel.h"

#include "Corvina/Library/BookmarkFilter.h"
#include "Corvina/Library/LibraryStore.h"
#include "Corvina/LibraryList/DroppedLink.h"
#include "platform/Store/ModelContainer.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class BookmarkListModelTest : public testing::Test {
protected:
    // Each added bookmark is a minute newer than the one before.
    Bookmark add(const QString& title, const QString& url, const QStringList& tags,
                 const QString& note = {}) {
        const QDateTime when =
            QDateTime(QDate(2026, 1, 1), QTime(9, 0), Qt::UTC).addSecs(60 * m_added++);
        Bookmark bookmark(QUuid::createUuid(), *Url::parse(url), title, note, tags, when);
        context().insert(bookmark.object());
        (void)context().save();
        return bookmark;
    }

    store::ModelContext& context() { return container->mainContext(); }

    QStringList titles(const BookmarkListModel& model) const {
        QStringList shown;
        for (int row = 0; row < model.rowCount(); ++row)
            shown << model.index(row).data().toString();
        return shown;
    }

    std::unique_ptr<store::ModelContainer> container =
        store::ModelContainer::openInMemory(Bookmark::schema()).value();
    int m_added = 0;
};

TEST_F(BookmarkListModelTest, FiltersByExactTagAndOneSubstringNewestFirst) {
    add(u"Rust Book"_s, u"https://doc.rust-lang.org/book/"_s, {u"Rust"_s});
    add(u"Notes"_s, u"https://notes.example/"_s, {u"rust"_s}, u"all about RUST"_s);
    add(u"Trusty tools"_s, u"https://tools.example/"_s, {u"misc"_s});
    add(u"Cargo guide"_s, u"https://example.com/cargo"_s, {u"RUST lang"_s});
    BookmarkListModel model(context());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(titles(model),
              (QStringList{u"Cargo guide"_s, u"Trusty tools"_s, u"Notes"_s, u"Rust Book"_s}));

    QSignalSpy identity(&model, &BookmarkListModel::identityChanged);
    model.setSelection(TagSelection::tag(u"Rust"_s));
    EXPECT_EQ(titles(model), QStringList{u"Rust Book"_s}) << "tags compare exactly";
    EXPECT_EQ(identity.size(), 1);

    model.setSelection(TagSelection::all());
    model.setQuery(u"  RUST "_s);
    // Title, address or tag; "Notes" has the word only in its note and its
    // tag "rust" only once trimmed and lower-cased: it matches through the tag.
    EXPECT_EQ(titles(model),
              (QStringList{u"Cargo guide"_s, u"Trusty tools"_s, u"Notes"_s, u"Rust Book"_s}));
    model.setQuery(u"rust l"_s);
    EXPECT_EQ(titles(model), QStringList{u"Cargo guide"_s}) << "one substring, space included";
    EXPECT_EQ(identity.size(), 3) << "typing on in a search keeps the identity";
    model.setQuery(u"nothing like this"_s);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.libraryIsEmpty());
    model.setQuery(u"   "_s);
    EXPECT_EQ(identity.size(), 4);
    EXPECT_EQ(model.rowCount(), 4);
}

// The list keeps folded text and narrows from the rows shown while typing on;
// every step must still show exactly what a fresh filter over the library does.
TEST_F(BookmarkListModelTest, TypingAndEditingAgreeWithAFreshFilter) {
    add(u"Rust Book"_s, u"https://doc.rust-lang.org/book/"_s, {u"Rust"_s});
    add(u"Trusty tools"_s, u"https://tools.example/"_s, {u"misc"_s});
    const Bookmark cafe = add(u"Caf\u00e9 list"_s, u"https://e.example/"_s, {u"rust"_s});
    add(u"Ruby"_s, u"https://ruby.example/"_s, {});
    BookmarkListModel model(context());
    const auto expected = [&](const std::optional<QString>& tag, const QString& query) {
        QStringList shown;
        for (const Bookmark& bookmark : BookmarkFilter(tag, query).apply(model.library()))
            shown << bookmark.title();
        return shown;
    };
    struct Step {
        const char* what;
        std::optional<QString> tag;
        QString query;
    };
    const Step steps[] = {
        {"first letter", std::nullopt, u"r"_s},
        {"typing on", std::nullopt, u"ru"_s},
        {"typing on", std::nullopt, u"rus"_s},
        {"letter taken back", std::nullopt, u"ru"_s},
        {"text replaced", std::nullopt, u"y"_s},
        {"tag chosen while searching", u"rust"_s, u"y"_s},
        {"search widened under a tag", u"rust"_s, u"caf"_s},
        {"separator typed", std::nullopt, QString(u"r"_s + QChar(0))},
        {"tag left", std::nullopt, u"caf\u00c9"_s},
    };
    for (const Step& step : steps) {
        model.setSelection(step.tag ? TagSelection::tag(*step.tag) : TagSelection::all());
        model.setQuery(step.query);
        EXPECT_EQ(titles(model), expected(step.tag, step.query)) << step.what;
    }

    model.setSelection(TagSelection::all());
    model.setQuery(u"rus"_s);
    EXPECT_EQ(titles(model), (QStringList{u"Caf\u00e9 list"_s, u"Trusty tools"_s, u"Rust Book"_s}));
    // An edit shows at the next change report, folded anew.
    Bookmark edited = cafe;
    edited.setTitle(u"Coffee"_s);
    edited.setTags({u"drinks"_s});
    (void)context().save();
    QCoreApplication::processEvents();
    EXPECT_EQ(titles(model), (QStringList{u"Trusty tools"_s, u"Rust Book"_s}));
    model.setQuery(u"coffee"_s);
    EXPECT_EQ(titles(model), QStringList{u"Coffee"_s});

    // A new bookmark ahead of all the others, and one gone, while searching.
    add(u"Coffee rust"_s, u"https://new.example/"_s, {});
    context().remove(model.library().back().object());
    (void)context().save();
    QCoreApplication::processEvents();
    EXPECT_EQ(titles(model), (QStringList{u"Coffee rust"_s, u"Coffee"_s}));
    // Brought up to date from the changes alone, the library is what a fresh read gives.
    EXPECT_EQ(model.library(), library::allBookmarks(context()));
    model.setQuery(u"rust"_s);
    EXPECT_EQ(titles(model), (QStringList{u"Coffee rust"_s, u"Trusty tools"_s}));

    // Edits while no search is shown reach the next search all the same.
    model.setQuery({});
    edited.setTitle(u"Tea"_s);
    QCoreApplication::processEvents();
    Bookmark(model.library().front()).setTitle(u"Tea rust"_s);
    QCoreApplication::processEvents();
    model.setQuery(u"tea"_s);
    EXPECT_EQ(titles(model), (QStringList{u"Tea rust"_s, u"Tea"_s}));
}

TEST_F(BookmarkListModelTest, FollowsTheStoreAndNeverHandsOutADeletedRow) {
    BookmarkListModel model(context());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_TRUE(model.libraryIsEmpty());
    const Bookmark first = add(u"First"_s, u"https://a.example/"_s, {});
    add(u"Second"_s, u"https://b.example/"_s, {u"x"_s});
    QCoreApplication::processEvents(); // the store reports changes once per event-loop turn
    EXPECT_EQ(titles(model), (QStringList{u"Second"_s, u"First"_s}));
    EXPECT_EQ(model.index(1).data(BookmarkListModel::DomainRole).toString(), u"a.example");
    EXPECT_EQ(model.index(0).data(BookmarkListModel::TagsRole).toStringList(), QStringList{u"x"_s});
    EXPECT_EQ(model.index(0).data(Qt::AccessibleTextRole).toString(),
              u"Second, from b.example, tag: x");

    context().remove(first.object());
    // Until the model hears of it, the stale row is no bookmark at all.
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_FALSE(model.bookmarkAt(1));
    EXPECT_FALSE(model.index(1).data().isValid());
    (void)context().save();
    QCoreApplication::processEvents();
    EXPECT_EQ(titles(model), QStringList{u"Second"_s});
    EXPECT_FALSE(model.bookmarkAt(1));
    EXPECT_FALSE(model.bookmarkAt(-1));
}

TEST(DroppedLinkTest, OnlyTheFirstItemsWebAddressCounts) {
    QTemporaryDir dir;
    const auto file = [&](const char* name, const QByteArray& contents) {
        QFile f(dir.filePath(QLatin1StringView(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contents);
        return QUrl::fromLocalFile(f.fileName());
    };
    const QUrl webloc =
        file("saved.webloc", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>URL</key>"
                             "<string>https://saved.example/page</string></dict></plist>");
    const QUrl desktop =
        file("link.desktop", "[Desktop Entry]\nType=Link\nName=L\nURL=http://desk.example/\n");
    const QUrl ftpLink = file("ftp.url", "[InternetShortcut]\nURL=ftp://files.example/\n");
    const QUrl document = file("notes.txt", "https://not-a-link-file.example/");

    struct Case {
        const char* name;
        QList<QUrl> urls;
        QString text;
        std::optional<QString> expected;
    };
    const std::vector<Case> cases{
        {"web location file", {webloc}, {}, u"https://saved.example/page"_s},
        {"desktop link file", {desktop}, {}, u"http://desk.example/"_s},
        {"first item only",
         {QUrl(u"https://one.example/"_s), QUrl(u"https://two.example/"_s)},
         {},
         u"https://one.example/"_s},
        {"a URL beats the text",
         {QUrl(u"https://url.example/"_s)},
         u"https://text.example/"_s,
         u"https://url.example/"_s},
        {"trimmed text", {}, u"  https://text.example/a b\n"_s, std::nullopt},
        {"trimmed text address",
         {},
         u"\t https://text.example/path?q=1 \n"_s,
         u"https://text.example/path?q=1"_s},
        {"ftp address", {QUrl(u"ftp://files.example/"_s)}, {}, std::nullopt},
        {"ftp in a link file", {ftpLink}, {}, std::nullopt},
        {"a plain word", {}, u"bookmark"_s, std::nullopt},
        {"an ordinary file", {document}, {}, std::nullopt},
        {"javascript", {}, u"javascript:alert(1)"_s, std::nullopt},
        {"upper-case scheme", {}, u"HTTPS://Upper.example/"_s, u"HTTPS://Upper.example/"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QMimeData data;
        if (!c.urls.isEmpty())
            data.setUrls(c.urls);
        if (!c.text.isEmpty())
            data.setText(c.text);
        EXPECT_TRUE(droppedlink::offersLink(data));
        EXPECT_EQ(droppedlink::webAddress(data), c.expected);
    }
    QMimeData image;
    image.setData(u"image/png"_s, "\x89PNG");
    EXPECT_FALSE(droppedlink::offersLink(image));
    EXPECT_FALSE(droppedlink::webAddress(image));
}

} // namespace
