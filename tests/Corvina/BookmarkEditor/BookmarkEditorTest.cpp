#include "Corvina/BookmarkEditor/BookmarkEditor.h"

#include "Corvina/BookmarkEditor/SuggestedTagsRail.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "platform/Tagger/TextTagger.h"
#include "platform/Widgets/Spinner.h"
#include "shared/Duplicates/DuplicateIndex.h"
#include "shared/Inbox/SharedContainer.h"
#include "shared/Preferences.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/LoopbackNetworkManager.h"
#include "tests/support/StoreWriteLock.h"
#include "tests/support/TestLibrary.h"
#include "tests/support/Testing.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include "platform/Widgets/Alert.h"
#include <QNetworkReply>
#include <QPlainTextEdit>
#include <QPushButton>

using testhttp::Response;

namespace {

// Tags nothing, so the only suggestion is the site's own name.
class SilentTagger : public nl::TextTagger {
public:
    std::vector<nl::TaggedToken> tags(const QString&, nl::TagScheme,
                                      nl::TagOptions) const override {
        return {};
    }
};

QByteArray page(const char* title, const char* description) {
    return QByteArray("<html><head><meta property=\"og:title\" content=\"") + title +
           "\"><meta name=\"description\" content=\"" + description + "\"></head></html>";
}

constexpr auto kDelay = 60ms;

// A form for a new bookmark, or for editing `initial`.
BookmarkEditorInput form(const QString& url, const QStringList& allTags = {},
                         std::optional<Bookmark> initial = {}) {
    BookmarkEditorInput input;
    input.prefillUrl = url;
    input.allTags = allTags;
    input.initial = std::move(initial);
    return input;
}

const QString kPage = u"https://site.test/page"_s;
const QString kPagePath = u"/https/site.test/page"_s;

class BookmarkEditorTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.isListening());
        server.route(kPagePath, Response::text(200, page("Fetched Title", "Fetched text")));
        prefs.setAutoFetchMetadata(true);
        prefs.setAutofillFromClipboard(true);
        QGuiApplication::clipboard()->clear();
    }

    std::unique_ptr<BookmarkEditor> open(BookmarkEditorInput input = {}) {
        if (input.existingBookmarks.empty())
            input.existingBookmarks = lib.all();
        auto editor = std::make_unique<BookmarkEditor>(
            std::move(input),
            BookmarkEditorServices{lib.context(), prefs, network, &favicons, &tagger}, nullptr,
            kDelay);
        editor->show();
        return editor;
    }

    // Waits for `count` requests in all, then a quiet spell with no more.
    void expectRequests(qsizetype count) {
        (void)QTest::qWaitFor([&] { return server.requests().size() >= count; }, 5000);
        QSignalSpy more(&server, &testhttp::LocalHttpServer::requestReceived);
        EXPECT_FALSE(more.wait(int(kDelay.count()) * 3));
        EXPECT_EQ(server.requests().size(), count);
    }

    testhttp::LocalHttpServer server;
    testhttp::LoopbackNetworkManager network{server.port()};
    FaviconStore favicons{network};
    SilentTagger tagger;
    Preferences& prefs = Preferences::shared();
    TestLibrary lib;
};

TEST_F(BookmarkEditorTest, ClipboardAutofillRules) {
    // The clipboard, a prefilled address, the preference, and what the link field shows.
    const std::tuple<QString, QString, bool, QString> cases[] = {
        {u"  https://site.test/page\n"_s, {}, true, kPage},
        {u"hello"_s, {}, true, {}},
        {u"ftp://site.test/x"_s, {}, true, {}},
        {kPage, u"https://other.test/"_s, true, u"https://other.test/"_s},
        {kPage, {}, false, {}},
    };
    std::vector<std::unique_ptr<BookmarkEditor>> editors;
    for (const auto& [clipboard, prefill, allowed, expected] : cases) {
        prefs.setAutofillFromClipboard(allowed);
        QGuiApplication::clipboard()->setText(clipboard);
        editors.push_back(open(form(prefill)));
        EXPECT_EQ(editors.back()->linkField()->text(), expected) << clipboard.toStdString();
    }
    // The autofilled address is fetched like a typed one.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !server.requestsFor(kPagePath).isEmpty(); }, 5000));
    EXPECT_EQ(server.requestsFor(kPagePath).size(), 1);
}

TEST_F(BookmarkEditorTest, ClipboardIsReadOnlyForANewEmptyForm) {
    const Bookmark saved = lib.add(u"Saved"_s, u"https://saved.test/"_s);
    int reads = 0;
    const auto reader = [&reads]() -> std::optional<QString> {
        ++reads;
        return u"https://site.test/page"_s;
    };
    for (BookmarkEditorInput input : {form(u"x"_s), form({}, {}, saved)}) {
        BookmarkEditorController controller(
            std::move(input), {lib.context(), prefs, network, nullptr, &tagger}, kDelay);
        controller.sheetShown(reader);
    }
    EXPECT_EQ(reads, 0);
}

TEST_F(BookmarkEditorTest, FetchWaitsUntilTheAddressStopsChanging) {
    auto editor = open();
    QSignalSpy fetching(&editor->controller(), &BookmarkEditorController::fetchingChanged);
    // No event loop runs between the two: however slow the machine, the
    // address changes again before the pause is over.
    QTest::keyClicks(editor->linkField(), u"https://site.test/pa"_s);
    QTest::keyClicks(editor->linkField(), u"ge"_s);
    EXPECT_TRUE(fetching.isEmpty()) << "the pause shows no spinner";
    QElapsedTimer sinceTyping;
    sinceTyping.start();
    QSignalSpy received(&server, &testhttp::LocalHttpServer::requestReceived);
    ASSERT_TRUE(received.wait(testenv::kPatience));
    EXPECT_GE(sinceTyping.elapsed(), kDelay.count() * 3 / 4); // coarse timers may be early
    EXPECT_EQ(server.requests().first().path, kPagePath);
    expectRequests(1);
    EXPECT_EQ(editor->titleField()->text(), u"Fetched Title"_s);
    EXPECT_EQ(editor->descriptionField()->toPlainText(), u"Fetched text"_s);
    EXPECT_FALSE(editor->spinner()->isSpinning());

    // The same address typed again is not fetched again.
    editor->linkField()->selectAll();
    QTest::keyClicks(editor->linkField(), kPage);
    expectRequests(1);
}

TEST_F(BookmarkEditorTest, LateAnswersTouchNothing) {
    server.route(u"/https/slow.test/a"_s, Response::text(200, page("Slow", "Slow text")),
                 {.delay = 300ms});
    const struct {
        const char* name;
        std::function<void(BookmarkEditor&)> whileInFlight;
        QString expectedTitle;
    } cases[] = {
        {"NewerAddress", [](BookmarkEditor& e) { e.linkField()->setText(kPage); },
         u"Fetched Title"_s},
        {"AddressBroken",
         [](BookmarkEditor& e) { e.linkField()->setText(u"https://slow.test/a b"_s); },
         {}},
        {"SheetClosed", [](BookmarkEditor& e) { e.reject(); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto editor = open();
        QSignalSpy received(&server, &testhttp::LocalHttpServer::requestReceived);
        editor->linkField()->setText(u"https://slow.test/a"_s);
        ASSERT_TRUE(received.wait(testenv::kPatience));
        EXPECT_TRUE(editor->spinner()->isSpinning());
        c.whileInFlight(*editor);
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return editor->controller().title() == c.expectedTitle; }, 5000));
        // A second request for the slow page is answered after the first.
        std::unique_ptr<QNetworkReply> probe(
            network.get(QNetworkRequest(QUrl(u"https://slow.test/a"_s))));
        ASSERT_TRUE(QSignalSpy(probe.get(), &QNetworkReply::finished).wait(testenv::kPatience));
        QCoreApplication::processEvents();
        EXPECT_EQ(editor->controller().title(), c.expectedTitle);
        EXPECT_NE(editor->controller().descriptionText(), u"Slow text"_s);
        EXPECT_FALSE(editor->spinner()->isSpinning());
    }
}

TEST_F(BookmarkEditorTest, TypedTextWinsOverFetchedText) {
    const std::pair<QString, QString> cases[] = {
        {u"Mine"_s, u"Mine"_s}, {u"   "_s, u"Fetched Title"_s}, // only spaces counts as empty
    };
    for (const auto& [typed, expected] : cases) {
        auto editor = open();
        QTest::keyClicks(editor->titleField(), typed);
        QTest::keyClicks(editor->descriptionField(), u"My own note"_s);
        QSignalSpy fetching(&editor->controller(), &BookmarkEditorController::fetchingChanged);
        editor->linkField()->setText(kPage);
        ASSERT_TRUE(fetching.wait(testenv::kPatience));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !editor->controller().isFetching(); }, 5000));
        EXPECT_EQ(editor->titleField()->text(), expected);
        EXPECT_EQ(editor->descriptionField()->toPlainText(), u"My own note"_s);
    }
}

// With auto-fetch off, so typing an address also fetches nothing.
TEST_F(BookmarkEditorTest, DuplicateWarningAndEditing) {
    prefs.setAutoFetchMetadata(false);
    const Bookmark saved =
        lib.add(u"Saved"_s, u"https://www.Site.test/a/"_s, {u"old"_s}, u"old note"_s);
    auto adding = open();
    QSignalSpy fetching(&adding->controller(), &BookmarkEditorController::fetchingChanged);
    QTest::keyClicks(adding->linkField(), u"https://site.test/a"_s);
    EXPECT_TRUE(adding->isWarningShown());
    EXPECT_EQ(adding->duplicateWarning()->text(), u"Already saved as “Saved”"_s);
    QTest::keyClicks(adding->linkField(), u"/b"_s);
    EXPECT_FALSE(adding->isWarningShown());
    expectRequests(0);
    EXPECT_TRUE(fetching.isEmpty());

    // Editing: no warning about itself, and saving keeps identity and creation;
    // a field emptied is saved empty.
    const QDateTime created = saved.createdAt();
    auto editing = open(form({}, {}, saved));
    QString before;
    QObject::connect(editing.get(), &BookmarkEditor::bookmarkEdited,
                     [&](auto& p) { before = p.title; });
    EXPECT_FALSE(editing->isWarningShown());
    EXPECT_EQ(editing->headline()->text(), u"Edit Bookmark"_s);
    EXPECT_EQ(editing->tagsField()->text(), u"old"_s);
    editing->titleField()->setText(u"Renamed"_s);
    editing->linkField()->setText(u"https://new.test/"_s);
    editing->descriptionField()->clear();
    QTest::mouseClick(editing->saveButton(), Qt::LeftButton);
    const std::vector<Bookmark> all = lib.all();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].title(), u"Renamed"_s);
    EXPECT_EQ(all[0].urlString(), u"https://new.test/"_s);
    EXPECT_TRUE(all[0].note().isEmpty());
    EXPECT_FALSE(lib.context().hasChanges());
    EXPECT_EQ(all[0].id(), saved.id());
    EXPECT_EQ(all[0].createdAt(), created);
    EXPECT_GT(all[0].updatedAt(), created);
    EXPECT_EQ(before, u"Saved"_s);
}

// A chip is taken by a click; in the Tags field by Tab or Return, which take
// the highlighted completion (the first at first; Down moves it) instead of
// moving on or saving; or on the rail, one tab stop back from Cancel, where
// Right moves along and Space takes.
TEST_F(BookmarkEditorTest, CompletionChipsAndApplyingOne) {
    prefs.setAutoFetchMetadata(false);
    const std::pair<std::vector<Qt::Key>, QString> ways[] = {
        {{}, u"swim"_s},
        {{Qt::Key_Tab}, u"Swift"_s},
        {{Qt::Key_Down, Qt::Key_Return}, u"swim"_s},
        {{Qt::Key_Backtab, Qt::Key_Right, Qt::Key_Right, Qt::Key_Space}, u"swim"_s}};
    for (const auto& [keys, tag] : ways) {
        auto editor = open(
            form(u"https://www.github.com/x"_s, {u"answer"_s, u"News"_s, u"Swift"_s, u"swim"_s}));
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor.get()));
        editor->tagsField()->setFocus();
        QTest::keyClicks(editor->tagsField(), u"news, sw"_s);
        EXPECT_EQ(editor->rail()->suggestions(),
                  (QStringList{u"sw"_s, u"Swift"_s, u"swim"_s, u"answer"_s}));
        const QList<TagChip*> chips = editor->rail()->chips();
        ASSERT_EQ(chips.size(), 4);
        EXPECT_TRUE(chips[0]->isNew());
        EXPECT_FALSE(chips[2]->isNew());
        EXPECT_TRUE(chips[1]->isHighlighted());
        EXPECT_FALSE(editor->rail()->showsSparkle());

        if (keys.empty())
            QTest::mouseClick(chips[2], Qt::LeftButton);
        else if (keys[0] == Qt::Key_Backtab)
            editor->cancelButton()->setFocus();
        for (const Qt::Key key : keys)
            QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(editor->tagsField()->text(), u"news, "_s + tag + u", "_s);
        EXPECT_TRUE(editor->isVisible());
        // No fragment now: the suggester's tags with the sparkle.
        EXPECT_EQ(editor->rail()->suggestions(), (QStringList{u"Github"_s}));
        EXPECT_TRUE(editor->rail()->showsSparkle());
        EXPECT_TRUE(editor->rail()->chips().first()->isNew());
        QTest::keyClicks(editor->tagsField(), u"GitHub, "_s);
        EXPECT_TRUE(editor->rail()->isHidden());
    }
}

TEST_F(BookmarkEditorTest, ReturnSavesNewBookmarkAndRewritesIndex) {
    prefs.setAutoFetchMetadata(false);
    const QString support = sharedcontainer::supportDirectory().value();
    ASSERT_TRUE(QDir().mkpath(support));
    QFile::remove(duplicateIndexPath(support));
    auto editor = open();
    EXPECT_FALSE(editor->saveButton()->isEnabled());
    QTest::keyClicks(editor->linkField(), u"  https://www.site.test/new\t"_s);
    QTest::keyClicks(editor->titleField(), u"   "_s);
    QTest::keyClick(editor->titleField(), Qt::Key_Return); // blank title: nothing happens
    EXPECT_TRUE(editor->isVisible());
    QTest::keyClicks(editor->titleField(), u"New page "_s);
    QTest::keyClicks(editor->descriptionField(), u" note "_s);
    QTest::keyClick(editor->descriptionField(), Qt::Key_Return); // a new line, not a save
    EXPECT_TRUE(editor->isVisible());
    QTest::keyClicks(editor->tagsField(), u"Swift, swift,, x "_s);
    QTest::keyClick(editor->tagsField(), Qt::Key_Return);

    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(editor->result(), QDialog::Accepted);
    const std::vector<Bookmark> all = lib.all();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].urlString(), u"https://www.site.test/new"_s);
    EXPECT_EQ(all[0].title(), u"New page"_s);
    EXPECT_EQ(all[0].note(), u" note \n"_s);
    EXPECT_EQ(all[0].tags(), (QStringList{u"Swift"_s, u"swift"_s, u"x"_s}));
    EXPECT_EQ(all[0].createdAt(), all[0].updatedAt());
    EXPECT_LE(qAbs(all[0].createdAt().secsTo(QDateTime::currentDateTimeUtc())), 60);
    EXPECT_FALSE(lib.context().hasChanges());
    EXPECT_TRUE(favicons.isInFlight(u"site.test"_s));

    const QString index = duplicateIndexPath(support);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(index); }, 5000));
    const auto decoded = decodeDuplicateIndex(testenv::readFile(index));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->value(u"https://site.test/new?"_s), u"New page"_s);
}

TEST_F(BookmarkEditorTest, EscapeChangesNothing) {
    auto editor = open();
    QTest::keyClicks(editor->linkField(), kPage);
    QTest::keyClicks(editor->titleField(), u"Title"_s);
    QTest::keyClick(editor->titleField(), Qt::Key_Escape);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(editor->result(), QDialog::Rejected);
    EXPECT_EQ(lib.context().count(), 0);
    expectRequests(0); // the pending wait went with the sheet
}

TEST_F(BookmarkEditorTest, AwkwardAddresses) {
    const QString longAddress = u"https://site.test/"_s + QString(10000, u'a');
    const std::pair<QString, bool> cases[] = {
        {u"example.com"_s, true},
        {u"https://exa mple.com"_s, false},
        {u"javascript:alert(1)"_s, true},
        {u"file:///etc/passwd"_s, true},
        {u"  "_s, false},
        {longAddress, true},
    };
    for (const auto& [text, canSave] : cases) {
        auto editor = open();
        editor->titleField()->setText(u"T"_s);
        editor->linkField()->setText(text);
        EXPECT_EQ(editor->saveButton()->isEnabled(), canSave) << text.left(40).toStdString();
    }
    // Only the long web address could be requested; nothing else ever was.
    QSignalSpy received(&server, &testhttp::LocalHttpServer::requestReceived);
    (void)received.wait(int(kDelay.count()) * 4);
    for (const testhttp::Request& request : server.requests())
        EXPECT_TRUE(request.path.startsWith(u"/https/site.test/aaaa"_s));
}

TEST_F(BookmarkEditorTest, FailedStoreWriteKeepsTheBookmarkForTheNextSave) {
    prefs.setAutoFetchMetadata(false);
    QTemporaryDir folder;
    const QString path = folder.filePath(u"Quillan.store"_s);
    lib.open(path);
    auto editor = open();
    editor->linkField()->setText(kPage);
    editor->titleField()->setText(u"Kept"_s);
    {
        teststore::StoreWriteLock lock(path);
        QTest::mouseClick(editor->saveButton(), Qt::LeftButton);
        EXPECT_FALSE(editor->isVisible());
        // Not written, but not lost: the library still holds it, unsaved.
        EXPECT_TRUE(lib.context().hasChanges());
        ASSERT_EQ(lib.all().size(), 1u);
    }
    ASSERT_TRUE(lib.context().save().ok()); // any later save writes it
    lib.open(path);
    const std::vector<Bookmark> reopened = lib.all();
    ASSERT_EQ(reopened.size(), 1u);
    EXPECT_EQ(reopened[0].title(), u"Kept"_s);
}

// Another program's deletion shows only when the save catches up; this
// window's at once. Either way the edit is neither written back unasked nor lost.
TEST_F(BookmarkEditorTest, SavingABookmarkDeletedMeanwhileAsksFirst) {
    QTemporaryDir folder;
    lib.open(folder.filePath(u"Quillan.store"_s));
    for (const bool elsewhere : {true, false}) {
        const Bookmark saved = lib.add(u"Saved"_s, u"https://saved.test/"_s);
        auto editor = open(form({}, {}, saved));
        std::vector<Bookmark> added;
        QObject::connect(editor.get(), &BookmarkEditor::bookmarkAdded,
                         [&](auto& b) { added.push_back(b); });
        editor->titleField()->setText(u"Edited"_s);
        auto other = library::openStore(folder.filePath(u"Quillan.store"_s)).value();
        store::ModelContext& deleter = elsewhere ? other->mainContext() : lib.context();
        deleter.remove(library::allBookmarks(deleter)[0].object());
        ASSERT_TRUE(deleter.save().ok());
        for (const QString& answer : {u"Cancel"_s, u"Save as New Bookmark"_s}) {
            QTest::mouseClick(editor->saveButton(), Qt::LeftButton);
            ASSERT_TRUE(editor->openQuestion());
            EXPECT_TRUE(lib.all().empty());
            for (QPushButton* button : editor->openQuestion()->buttons())
                button->text() == answer ? button->click() : void();
        }
        EXPECT_FALSE(editor->isVisible());
        ASSERT_EQ(added, lib.all());
        EXPECT_EQ(added[0].title(), u"Edited"_s);
        EXPECT_NE(added[0].id(), saved.id());
        lib.context().remove(added[0].object());
    }
}

} // namespace
