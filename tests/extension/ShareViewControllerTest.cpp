#include "extension/Controller/ShareViewController.h"

#include "platform/Extension/ExtensionContext.h"
#include "platform/Extension/TypeIdentifiers.h"
#include "shared/Duplicates/DuplicateIndex.h"
#include "shared/Duplicates/DuplicateKey.h"
#include "shared/Inbox/PendingBookmark.h"
#include "shared/Inbox/SharedContainer.h"
#include "shared/Preferences.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/Testing.h"

#include <QNetworkAccessManager>

using testhttp::Response;

namespace {

const QByteArray kPage = "<html><head><meta property=\"og:title\" content=\"Fetched title\">"
                         "<meta name=\"description\" content=\"Fetched description\"></head>";

ExtensionItem item(std::optional<QString> title, std::vector<ItemProvider::Item> attachments,
                   std::optional<QString> content = std::nullopt) {
    ExtensionItem result;
    result.attributedTitle = std::move(title);
    result.attributedContentText = std::move(content);
    for (ItemProvider::Item& attachment : attachments) {
        auto provider = std::make_unique<ItemProvider>();
        const QString type = std::holds_alternative<Url>(attachment) ? uti::url : uti::plainText;
        provider->registerItem(type, std::move(attachment));
        result.attachments.push_back(std::move(provider));
    }
    return result;
}

// What the share sheet queued, in the order of the entries' file names.
std::vector<PendingBookmark> saved() {
    const QDir inbox(*sharedcontainer::inboxDirectory());
    std::vector<PendingBookmark> entries;
    for (const QString& name : inbox.entryList(QDir::Files))
        entries.push_back(decodePendingBookmark(testenv::readFile(inbox.filePath(name))).value());
    return entries;
}

class ShareViewControllerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.isListening());
        ASSERT_TRUE(QDir(*sharedcontainer::supportDirectory()).removeRecursively());
        preferences.defaults().remove(Preferences::kAutoFetchMetadata);
        server.route(u"/page"_s, Response::text(200, kPage));
    }

    Url page() const { return *Url::parse(server.url(u"/page")); }

    // The sheet appears with `shared` as the request and its items are loaded.
    template <typename... Items> ShareViewController& open(Items... shared) {
        std::vector<ExtensionItem> request;
        (request.push_back(std::move(shared)), ...);
        context = std::make_unique<ExtensionContext>(std::move(request));
        controller = std::make_unique<ShareViewController>(context.get(), fetcher, preferences);
        QSignalSpy loaded(controller.get(), &ShareViewController::sharedItemsLoaded);
        controller->viewDidAppear();
        EXPECT_TRUE(loaded.wait(testenv::kPatience));
        return *controller;
    }

    testhttp::LocalHttpServer server;
    QNetworkAccessManager network;
    const MetadataFetcher fetcher{network, 5s};
    Preferences preferences{UserDefaults::openSuite(u"share-test"_s)};
    std::unique_ptr<ExtensionContext> context;
    std::unique_ptr<ShareViewController> controller;
};

TEST_F(ShareViewControllerTest, ASharedPageIsFilledAndThenFetched) {
    ShareViewController& sheet = open(item(std::nullopt, {page()}));
    EXPECT_EQ(sheet.urlText(), page().absoluteString());
    EXPECT_EQ(sheet.titleText(), u"127.0.0.1"_s) << "the host until the page answers";
    EXPECT_TRUE(sheet.isSaveEnabled());
    EXPECT_TRUE(sheet.isSpinning());
    QSignalSpy fetched(&sheet, &ShareViewController::metadataFetchFinished);
    ASSERT_TRUE(fetched.wait(testenv::kPatience));
    EXPECT_FALSE(sheet.isSpinning());
    EXPECT_EQ(sheet.titleText(), u"Fetched title"_s);
    EXPECT_EQ(sheet.descriptionText(), u"Fetched description"_s);
    EXPECT_EQ(server.requestsFor(u"/page"_s).size(), 1);
    // Saving it, with a note of the user's, is the end-to-end test's first half.
}

// What the user typed before the page answered stays; the fetch above hands
// its outcome to the same rule.
TEST_F(ShareViewControllerTest, FetchedMetadataReplacesOnlyThePlaceholderTitleAndAnEmptyNote) {
    // Title and note once `result` arrives over what the fields held.
    ShareViewController plain(nullptr, fetcher, preferences);
    const auto after = [&](const QString& title, const QString& note,
                           const std::optional<PageMetadata>& result) {
        plain.urlTextEdited(page().absoluteString());
        plain.titleTextEdited(title);
        plain.descriptionTextEdited(note);
        plain.applyMetadata(result);
        return plain.titleText() + u'|' + plain.descriptionText();
    };
    const PageMetadata found{u"Fetched"_s, u"About"_s};
    EXPECT_EQ(after(u"127.0.0.1"_s, {}, found), u"Fetched|About"_s);
    EXPECT_EQ(after(u" \t"_s, {}, found), u"Fetched|About"_s);
    EXPECT_EQ(after(u"Typed"_s, u"Kept"_s, found), u"Typed|Kept"_s);
    EXPECT_EQ(after(u"127.0.0.1"_s, {}, PageMetadata{}), u"127.0.0.1|"_s);
    EXPECT_EQ(after(u"127.0.0.1"_s, {}, std::nullopt), u"127.0.0.1|"_s);
}

TEST_F(ShareViewControllerTest, TitlesComeFromTheItemsBeforeTheHost) {
    // The first item has a title and no usable URL; the second item's
    // second attachment has the URL.
    ShareViewController& sheet = open(item(u"First item"_s, {u"just words"_s}),
                                      item(u"Second item"_s, {u"no url here"_s, page()}));
    EXPECT_EQ(sheet.urlText(), page().absoluteString());
    EXPECT_EQ(sheet.titleText(), u"First item"_s);
    // That sheet's fetch is the only one: with the preference off there is none.
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.requests().size() == 1; }, 5000));
    preferences.setAutoFetchMetadata(false);
    ShareViewController& fromContent = open(item(std::nullopt, {page()}, u"Content"_s));
    EXPECT_EQ(fromContent.titleText(), u"Content"_s);
    EXPECT_FALSE(fromContent.isSpinning());
    EXPECT_FALSE(QTest::qWaitFor([&] { return server.requests().size() > 1; }, 100))
        << "fetched with the preference off";

    // A file URL is shown but cannot be saved.
    ShareViewController& file = open(item(std::nullopt, {*Url::parse(u"file:///tmp/page.html"_s)}));
    EXPECT_EQ(file.urlText(), u"file:///tmp/page.html"_s);
    EXPECT_EQ(file.currentURL(), std::nullopt);
    EXPECT_TRUE(file.titleText().isEmpty());
    EXPECT_FALSE(file.isSaveEnabled());
    EXPECT_EQ(file.duplicateWarning(), std::nullopt);
}

TEST_F(ShareViewControllerTest, TheDuplicateWarningFollowsTheLinkField) {
    testenv::writeFile(
        duplicateIndexPath(*sharedcontainer::supportDirectory()),
        encodeDuplicateIndex({{duplicateKey(u"https://www.saved.example/a/"_s), u"Saved page"_s}}));
    ShareViewController sheet(nullptr, fetcher, preferences);
    sheet.titleTextEdited(u"Title"_s);
    const auto check = [&](const QString& link, bool saveEnabled, bool warned) {
        SCOPED_TRACE(link.toStdString());
        sheet.urlTextEdited(link);
        EXPECT_EQ(sheet.isSaveEnabled(), saveEnabled);
        EXPECT_EQ(sheet.duplicateWarning(),
                  warned ? std::optional(u"Already saved as “Saved page”"_s) : std::nullopt);
        EXPECT_EQ(sheet.preferredContentSize(), warned ? QSize(480, 332) : QSize(480, 304));
    };
    check(u"https://saved.example/a"_s, true, true);
    check(u"ftp://saved.example/a"_s, false, false);
    check(u"saved.example/a"_s, false, false);
    check(u"  HTTPS://Saved.example/a\t"_s, true, true);
    check(u"https://saved.example/b"_s, true, false);
    sheet.titleTextEdited(u"\u3000 "_s);
    EXPECT_FALSE(sheet.isSaveEnabled()) << "a title of spaces is blank";
}

TEST_F(ShareViewControllerTest, ABlankTitleIsSavedAsTheFoundTitleOrTheHost) {
    preferences.setAutoFetchMetadata(false);
    ShareViewController& sheet = open(item(u"Found"_s, {page()}));
    sheet.titleTextEdited(u"  "_s);
    sheet.save();
    ShareViewController plain(nullptr, fetcher, preferences);
    plain.urlTextEdited(u"https://Host.example/x"_s);
    plain.save();
    QStringList titles;
    for (const PendingBookmark& entry : saved())
        titles << entry.title();
    titles.sort();
    EXPECT_EQ(titles, (QStringList{u"Found"_s, u"Host.example"_s}));
}

TEST_F(ShareViewControllerTest, AnInboxThatCannotBeWrittenKeepsTheSheetOpen) {
    // A file where the inbox folder belongs defeats even root.
    const QString blocker =
        testenv::writeFile(QDir(*sharedcontainer::supportDirectory()).filePath(u"inbox"_s), {});
    ExtensionContext request({});
    ShareViewController sheet(&request, fetcher, preferences);
    sheet.urlTextEdited(u"https://a.example/"_s);
    sheet.titleTextEdited(u"A"_s);
    QSignalSpy completed(&request, &ExtensionContext::requestCompleted);
    EXPECT_TRUE(testenv::capturedStderr([&] {
                    sheet.save();
                }).startsWith("Quillan share: enqueue failed: "));
    EXPECT_EQ(completed.size(), 0);
    EXPECT_EQ(sheet.saveFailure(), u"The page could not be saved."_s);
    EXPECT_FALSE(request.isFinished());
    // Once the folder can be made, the same sheet saves.
    ASSERT_TRUE(QFile::remove(blocker));
    sheet.save();
    EXPECT_EQ(completed.size(), 1);
    EXPECT_EQ(saved().size(), 1u);
}

TEST_F(ShareViewControllerTest, CancelWritesNothingAndAFetchInFlightIsDropped) {
    server.route(u"/page"_s, Response::text(200, kPage), {.delay = 200ms});
    ShareViewController& sheet = open(item(std::nullopt, {page()}));
    QSignalSpy cancelled(context.get(), &ExtensionContext::requestCancelled);
    QSignalSpy fetched(&sheet, &ShareViewController::metadataFetchFinished);
    sheet.cancel();
    sheet.save();
    EXPECT_EQ(cancelled.size(), 1);
    EXPECT_FALSE(fetched.wait(400));
    EXPECT_TRUE(saved().empty());
}

} // namespace
