#include "Corvina/LibraryList/BookmarkListModel.h"

#include "Corvina/Library/BookmarkFilter.h"
#include "Corvina/LibraryList/DroppedLink.h"
#include "tests/support/TestLibrary.h"
#include "tests/support/Testing.h"

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QRandomGenerator>

namespace {

QStringList titles(const BookmarkListModel& model) {
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row)
        shown << model.index(row).data().toString();
    return shown;
}

TEST(BookmarkFilterTest, TagAndSearchRules) {
    const struct {
        QString title, url;
        QStringList tags;
    } rows[] = {
        {u"Swift Guide"_s, u"https://a.example/"_s, {u"Dev"_s}},
        {u"Other"_s, u"https://swift.example/docs"_s, {}},
        {u"Third"_s, u"https://c.example/"_s, {u"swiftui"_s, u"dev"_s}},
        {u"Caf\u00e9 notes"_s, u"https://d.example/"_s, {}},
        {u"Cafe\u0301 bar"_s, u"https://e.example/"_s, {}},
    };
    const struct {
        std::optional<QString> tag;
        QString search;
        QList<int> visible;
    } cases[] = {
        // Nothing.
        {std::nullopt, u" \n\t"_s, {0, 1, 2, 3, 4}},
        // Upper-case word with spaces.
        {std::nullopt, u"  SWIFT \n"_s, {0, 1, 2}},
        // The tag is exact.
        {u"Dev"_s, QString(), {0}},
        // Tag and search.
        {u"dev"_s, u"swift"_s, {2}},
        // One substring with its space.
        {std::nullopt, u"swift guide"_s, {0}},
        // Words not split.
        {std::nullopt, u"guide swift"_s, {}},
        // Composed and decomposed accents match.
        {std::nullopt, u"CAF\u00c9"_s, {3, 4}},
    };
    for (const auto& c : cases) {
        const BookmarkFilter filter(c.tag, c.search);
        QList<int> visible;
        for (int i = 0; i < int(std::size(rows)); ++i)
            if (filter.matches(rows[i].title, rows[i].url, rows[i].tags))
                visible.append(i);
        EXPECT_EQ(visible, c.visible)
            << c.tag.value_or(u"-"_s).toStdString() << " / " << c.search.toStdString();
    }
}

// The list keeps folded text and narrows from the rows shown while typing on;
// every step must still show exactly what a fresh filter over the library does.
TEST(BookmarkListModelTest, TypingAndEditingAgreeWithAFreshFilter) {
    TestLibrary lib;
    BookmarkListModel model(lib.context());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_TRUE(model.libraryIsEmpty());
    lib.add(u"Rust Book"_s, u"https://doc.rust-lang.org/book/"_s, {u"Rust"_s});
    // The word only in its note, and in its tag only once lower-cased.
    lib.add(u"Notes"_s, u"https://notes.example/"_s, {u"rust"_s}, u"all about RUST"_s);
    lib.add(u"Trusty tools"_s, u"https://tools.example/"_s, {u"misc"_s});
    const Bookmark cafe = lib.add(u"Caf\u00e9 list"_s, u"https://e.example/"_s, {u"rust"_s});
    lib.add(u"Cargo guide"_s, u"https://example.com/cargo"_s, {u"RUST lang"_s});
    QCoreApplication::processEvents(); // the store reports changes once per event-loop turn
    const auto expected = [&](const std::optional<QString>& tag, const QString& query) {
        QStringList shown;
        for (const Bookmark& bookmark : BookmarkFilter(tag, query).apply(model.library()))
            shown << bookmark.title();
        return shown;
    };
    EXPECT_EQ(titles(model), expected(std::nullopt, {})) << "newest first";
    EXPECT_EQ(model.index(0).data(BookmarkListModel::DomainRole).toString(), u"example.com");
    EXPECT_EQ(model.index(0).data(BookmarkListModel::TagsRole).toStringList(),
              QStringList{u"RUST lang"_s});
    EXPECT_EQ(model.index(0).data(Qt::AccessibleTextRole).toString(),
              u"Cargo guide, from example.com, tag: RUST lang");
    QSignalSpy identity(&model, &BookmarkListModel::identityChanged);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    const struct {
        const char* what;
        std::optional<QString> tag;
        QString query;
        int identities; // identity changes so far
    } steps[] = {
        {"a tag alone", u"Rust"_s, {}, 1},
        {"all, searching in capitals with spaces", std::nullopt, u"  RUST "_s, 3},
        {"one substring, space included", std::nullopt, u"rust l"_s, 3},
        {"first letter", std::nullopt, u"r"_s, 3},
        {"typing on", std::nullopt, u"ru"_s, 3},
        {"typing on", std::nullopt, u"rus"_s, 3},
        {"letter taken back", std::nullopt, u"ru"_s, 3},
        {"text replaced", std::nullopt, u"y"_s, 3},
        {"tag chosen while searching", u"rust"_s, u"y"_s, 4},
        {"search widened under a tag", u"rust"_s, u"caf"_s, 4},
        {"separator typed", std::nullopt, QString(u"r"_s + QChar(0)), 5},
        {"tag left", std::nullopt, u"caf\u00c9"_s, 5},
        {"no match", std::nullopt, u"nothing like this"_s, 5},
        {"search ended", std::nullopt, u"   "_s, 6},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        model.setSelection(step.tag ? TagSelection::tag(*step.tag) : TagSelection::all());
        model.setQuery(step.query);
        EXPECT_EQ(titles(model), expected(step.tag, step.query));
        EXPECT_EQ(identity.size(), step.identities) << "typing on keeps the identity";
        EXPECT_EQ(resets.size(), step.identities) << "only a new identity resets the list";
    }
    EXPECT_FALSE(model.libraryIsEmpty());

    model.setQuery(u"rus"_s);
    ASSERT_EQ(titles(model), expected(std::nullopt, u"rus"_s));
    // An edit shows at the next change report, folded anew.
    Bookmark edited = cafe;
    edited.setTitle(u"Coffee"_s);
    edited.setTags({u"drinks"_s});
    (void)lib.context().save();
    QCoreApplication::processEvents();
    EXPECT_EQ(titles(model),
              (QStringList{u"Cargo guide"_s, u"Trusty tools"_s, u"Notes"_s, u"Rust Book"_s}));
    model.setQuery(u"coffee"_s);
    EXPECT_EQ(titles(model), QStringList{u"Coffee"_s});

    // A new bookmark ahead of all the others, and one gone, while searching.
    lib.add(u"Coffee rust"_s, u"https://new.example/"_s);
    lib.context().remove(model.library().back().object());
    (void)lib.context().save();
    QCoreApplication::processEvents();
    EXPECT_EQ(titles(model), (QStringList{u"Coffee rust"_s, u"Coffee"_s}));
    // Brought up to date from the changes alone, the library is what a fresh read gives.
    EXPECT_EQ(model.library(), lib.all());
    model.setQuery(u"rust"_s);
    EXPECT_EQ(titles(model), expected(std::nullopt, u"rust"_s));

    // Edits while no search is shown reach the next search all the same.
    model.setQuery({});
    edited.setTitle(u"Tea"_s);
    QCoreApplication::processEvents();
    Bookmark(model.library().front()).setTitle(u"Tea rust"_s);
    QCoreApplication::processEvents();
    model.setQuery(u"tea"_s);
    EXPECT_EQ(titles(model), (QStringList{u"Tea rust"_s, u"Tea"_s}));

    // Until the model hears of a removal, the stale row is no bookmark at all.
    model.setQuery({});
    const int stale = model.rowCount() - 1;
    lib.context().remove(model.bookmarkAt(stale)->object());
    EXPECT_FALSE(model.bookmarkAt(stale));
    EXPECT_FALSE(model.index(stale).data().isValid());
    (void)lib.context().save();
    QCoreApplication::processEvents();
    EXPECT_EQ(model.rowCount(), stale);
    EXPECT_FALSE(model.bookmarkAt(stale));
    EXPECT_FALSE(model.bookmarkAt(-1));
}

// A change of the store, or of the search within one identity, touches only
// its own rows: the others keep their model indexes (and so a view's
// selection and place), and nothing resets.
TEST(BookmarkListModelTest, ChangesTouchOnlyTheirRows) {
    TestLibrary lib;
    for (int i = 0; i < 40; ++i)
        lib.add(u"Page %1"_s.arg(i), u"https://p%1.example/"_s.arg(i), {i % 2 ? u"odd"_s : u"even"_s});
    BookmarkListModel model(lib.context());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const auto at = [&](int row) { return *model.bookmarkAt(row); };
    const auto newer = [](const Bookmark& b, int seconds) {
        Bookmark(b).setCreatedAt(b.createdAt().addSecs(seconds));
    };
    const struct {
        const char* what;
        QString query;
        std::function<void()> change;
    } cases[] = {
        {"new, newest", {}, [&] { lib.add(u"Fresh"_s, u"https://fresh.example/"_s); }},
        {"edit in place", {}, [&] { Bookmark(at(5)).setTitle(u"Renamed"_s); }},
        {"edit that moves the row up", {}, [&] { newer(at(30), 60 * 20); }},
        {"edit that moves the row down", {}, [&] { newer(at(2), -60 * 25); }},
        {"one deleted", {}, [&] { lib.context().remove(at(10).object()); }},
        {"several, far apart", {},
         [&] {
             for (int row : {33, 21, 3})
                 lib.context().remove(at(row).object());
         }},
        {"edit that leaves the search", u"page 1"_s, [&] { Bookmark(at(1)).setTitle(u"Gone"_s); }},
        {"edit that joins the search", u"page 1"_s,
         [&] { Bookmark(*model.library().begin()).setTitle(u"Page 1 again"_s); }},
        {"tags changed elsewhere in the list", u"odd"_s,
         [&] { Bookmark(model.library()[7]).setTags({u"even"_s}); }},
        {"a letter taken back", u"page 1"_s, [&] { model.setQuery(u"page "_s); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        model.setQuery(c.query);
        std::vector<std::pair<QPersistentModelIndex, Bookmark>> kept;
        for (int row = 0; row < model.rowCount(); ++row)
            kept.emplace_back(model.index(row), at(row));
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        c.change();
        (void)lib.context().save();
        QCoreApplication::processEvents();
        EXPECT_EQ(resets.size(), 0);
        QStringList expected;
        for (const Bookmark& b : BookmarkFilter(std::nullopt, model.query()).apply(lib.all()))
            expected << b.title();
        EXPECT_EQ(titles(model), expected);
        int lost = 0;
        for (const auto& [index, bookmark] : kept) {
            if (index.isValid()) {
                EXPECT_EQ(model.bookmarkFor(index), bookmark) << "an index follows its bookmark";
            }
            lost += !index.isValid();
        }
        EXPECT_LE(lost, 3) << "only the changed rows went";
    }
}

// Any mix of changes, many at once now and then (more than the store
// remembers), with a search or without: the rows signalled one by one end
// as a fresh filter of the library, and the model stays consistent.
TEST(BookmarkListModelTest, RandomChangesEndAsAFreshFilter) {
    TestLibrary lib;
    for (int i = 0; i < 60; ++i)
        lib.add(u"Page %1"_s.arg(i), u"https://p%1.example/"_s.arg(i));
    BookmarkListModel model(lib.context());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QRandomGenerator random(42);
    const QStringList queries{{}, u"page 1"_s, u"2"_s};
    const auto someTime = [&] {
        return QDateTime(QDate(2020, 1, 1), QTime(9, 0), Qt::UTC).addSecs(random.bounded(7200));
    };
    for (int round = 0; round < 400; ++round) {
        if (round % 25 == 0)
            model.setQuery(queries[round / 25 % queries.size()]);
        for (int c = random.bounded(1, round % 50 == 0 ? 5000 : 6); c > 0; --c) {
            const std::vector<Bookmark> all = lib.all();
            const int what = all.empty() ? 0 : random.bounded(4);
            Bookmark any = what ? all[random.bounded(qsizetype(all.size()))] : Bookmark();
            if (what == 0) {
                lib.context().insert(Bookmark(QUuid::createUuid(), *Url::parse(u"https://n.example/"_s),
                                              u"New"_s, {}, {}, someTime()).object());
            } else if (what == 1) {
                lib.context().remove(any.object());
            } else if (what == 2) {
                any.setCreatedAt(someTime());
            } else {
                any.setTitle(u"Page %1"_s.arg(random.bounded(30)));
            }
        }
        (void)lib.context().save();
        QCoreApplication::processEvents();
        QStringList expected;
        for (const Bookmark& b : BookmarkFilter(std::nullopt, model.query()).apply(lib.all()))
            expected << b.title();
        ASSERT_EQ(titles(model), expected) << "round " << round;
    }
}

TEST(DroppedLinkTest, OnlyTheFirstItemsWebAddressCounts) {
    QTemporaryDir dir;
    const auto file = [&](const QString& name, const QByteArray& contents) {
        return QUrl::fromLocalFile(testenv::writeFile(dir.filePath(name), contents));
    };
    const QUrl webloc = file(u"saved.webloc"_s, "<?xml version=\"1.0\"?><plist><dict><key>URL"
                                                "</key><string>https://saved.example/</string>"
                                                "</dict></plist>");
    const QUrl desktop =
        file(u"link.desktop"_s, "[Desktop Entry]\nType=Link\nName=L\nURL=http://desk.example/\n");
    const QUrl ftpLink = file(u"ftp.url"_s, "[InternetShortcut]\nURL=ftp://files.example/\n");
    const QUrl document = file(u"notes.txt"_s, "https://not-a-link-file.example/");
    const QUrl one(u"https://one.example/"_s);
    const struct {
        QList<QUrl> urls;
        QString text;
        QString expected;
    } cases[] = {
        // Web location file.
        {{webloc}, {}, u"https://saved.example/"_s},
        // Desktop link file.
        {{desktop}, {}, u"http://desk.example/"_s},
        // First item only.
        {{one, QUrl(u"https://two.example/"_s)}, {}, one.toString()},
        // A URL beats the text.
        {{one}, u"https://text.example/"_s, one.toString()},
        // Trimmed text.
        {{}, u"  https://text.example/a b\n"_s, {}},
        // Trimmed text address.
        {{}, u"\t https://t.example/p?q=1 \n"_s, u"https://t.example/p?q=1"_s},
        // Ftp address.
        {{QUrl(u"ftp://files.example/"_s)}, {}, {}},
        // Ftp in a link file.
        {{ftpLink}, {}, {}},
        // A plain word.
        {{}, u"bookmark"_s, {}},
        // An ordinary file.
        {{document}, {}, {}},
        // Javascript.
        {{}, u"javascript:alert(1)"_s, {}},
        // Upper-case scheme.
        {{}, u"HTTPS://Upper.example/"_s, u"HTTPS://Upper.example/"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        QMimeData data;
        if (!c.urls.isEmpty())
            data.setUrls(c.urls);
        if (!c.text.isEmpty())
            data.setText(c.text);
        EXPECT_TRUE(droppedlink::offersLink(data));
        EXPECT_EQ(droppedlink::webAddress(data).value_or(QString()), c.expected);
    }
    QMimeData image;
    image.setData(u"image/png"_s, "\x89PNG");
    EXPECT_FALSE(droppedlink::offersLink(image));
    EXPECT_FALSE(droppedlink::webAddress(image));
}

} // namespace
