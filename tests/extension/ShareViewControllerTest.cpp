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

std::vector<ExtensionItem> items(ExtensionItem first, std::optional<ExtensionItem> second = {}) {
    std::vector<ExtensionItem> all;
    all.push_back(std::move(first));
    if (second)
        all.push_back(std::move(*second));
    return all;
}

QStringList inboxFiles() {
    return QDir(*sharedcontainer::inboxDirectory()).entryList(QDir::Files);
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
    ShareViewController& open(std::vector<ExtensionItem> shared) {
        context = std::make_unique<ExtensionContext>(std::move(shared));
        controller = std::make_unique<ShareViewController>(context.get(), fetcher, preferences);
        QSignalSpy loaded(controller.get(), &ShareViewController::sharedItemsLoaded);
        controller->viewDidAppear();
        EXPECT_TRUE(loaded.wait(5000));
        return *controller;
    }

    testhttp::LocalHttpServer server;
    QNetworkAccessManager network;
    const MetadataFetcher fetcher{network, 5s};
    Preferences preferences{UserDefaults::openSuite(u"share-test"_s)};
    std::unique_ptr<ExtensionContext> context;
    std::unique_ptr<ShareViewController> controller;
};

TEST_F(ShareViewControllerTest, ASharedPageIsFilledFetchedAndSavedIntoTheLibrary) {
    ShareViewController& sheet = open(items(item(std::nullopt, {page()})));
    EXPECT_EQ(sheet.urlText(), page().absoluteString());
    EXPECT_EQ(sheet.titleText(), u"127.0.0.1"_s) << "the host until the page answers";
    EXPECT_TRUE(sheet.isSaveEnabled());
    EXPECT_TRUE(sheet.isSpinning());
    QSignalSpy fetched(&sheet, &ShareViewController::metadataFetchFinished);
    ASSERT_TRUE(fetched.wait(5000));
    EXPECT_FALSE(sheet.isSpinning());
    EXPECT_EQ(sheet.titleText(), u"Fetched title"_s);
    EXPECT_EQ(sheet.descriptionText(), u"Fetched description"_s);
    EXPECT_EQ(server.requestsFor(u"/page"_s).size(), 1);

    // The user's note keeps its trailing blank lines; the app's side of the
    // inbox is in the end-to-end test.
    sheet.descriptionTextEdited(u"Mine\n\n"_s);
    QSignalSpy completed(context.get(), &ExtensionContext::requestCompleted);
    sheet.save();
    EXPECT_EQ(completed.size(), 1);
    ASSERT_EQ(inboxFiles().size(), 1);
    const auto saved = decodePendingBookmark(
        testenv::readFile(QDir(*sharedcontainer::inboxDirectory()).filePath(inboxFiles().at(0))));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->url(), page());
    EXPECT_EQ(saved->title(), u"Fetched title"_s);
    EXPECT_EQ(saved->description(), u"Mine\n\n"_s);
    EXPECT_TRUE(saved->tags().isEmpty());
}

TEST_F(ShareViewControllerTest, FetchedMetadataReplacesOnlyThePlaceholderTitleAndAnEmptyNote) {
    // What the user types before the page answers stays.
    server.route(u"/page"_s, Response::text(200, kPage), {.delay = 300ms});
    ShareViewController& sheet = open(items(item(std::nullopt, {page()})));
    sheet.titleTextEdited(u"My own title"_s);
    sheet.descriptionTextEdited(u"My note"_s);
    QSignalSpy fetched(&sheet, &ShareViewController::metadataFetchFinished);
    ASSERT_TRUE(fetched.wait(5000));
    EXPECT_EQ(sheet.titleText(), u"My own title"_s);
    EXPECT_EQ(sheet.descriptionText(), u"My note"_s);

    const PageMetadata found{u"Fetched"_s, u"About"_s};
    const struct {
        QString title, description;
        std::optional<PageMetadata> result;
        QString expectedTitle, expectedDescription;
    } cases[] = {
        {u"127.0.0.1"_s, {}, found, u"Fetched"_s, u"About"_s},
        {u" \t"_s, {}, found, u"Fetched"_s, u"About"_s},
        {u"Typed"_s, u"Kept"_s, found, u"Typed"_s, u"Kept"_s},
        {u"127.0.0.1"_s, {}, PageMetadata{}, u"127.0.0.1"_s, {}},
        {u"127.0.0.1"_s, {}, std::nullopt, u"127.0.0.1"_s, {}},
    };
    ShareViewController plain(nullptr, fetcher, preferences);
    for (const auto& c : cases) {
        plain.urlTextEdited(page().absoluteString());
        plain.titleTextEdited(c.title);
        plain.descriptionTextEdited(c.description);
        plain.applyMetadata(c.result);
        EXPECT_EQ(plain.titleText(), c.expectedTitle) << c.title.toStdString();
        EXPECT_EQ(plain.descriptionText(), c.expectedDescription) << c.title.toStdString();
    }
}

TEST_F(ShareViewControllerTest, TitlesComeFromTheItemsBeforeTheHost) {
    // The first item has a title and no usable URL; the second item's
    // second attachment has the URL.
    ShareViewController& sheet = open(items(item(u"First item"_s, {u"just words"_s}),
                                            item(u"Second item"_s, {u"no url here"_s, page()})));
    EXPECT_EQ(sheet.urlText(), page().absoluteString());
    EXPECT_EQ(sheet.titleText(), u"First item"_s);
    // That sheet's fetch is the only one: with the preference off there is none.
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.requests().size() == 1; }, 5000));
    preferences.setAutoFetchMetadata(false);
    ShareViewController& fromContent = open(items(item(std::nullopt, {page()}, u"Content"_s)));
    EXPECT_EQ(fromContent.titleText(), u"Content"_s);
    EXPECT_FALSE(fromContent.isSpinning());
    QSignalSpy received(&server, &testhttp::LocalHttpServer::requestReceived);
    EXPECT_FALSE(received.wait(100)) << "fetched with the preference off";

    // A file URL is shown but cannot be saved.
    ShareViewController& file =
        open(items(item(std::nullopt, {*Url::parse(u"file:///tmp/page.html"_s)})));
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
    const QString warning = u"Already saved as “Saved page”"_s;
    const struct {
        QString link;
        bool saveEnabled;
        std::optional<QString> warning;
    } cases[] = {
        {u"https://saved.example/a"_s, true, warning},
        {u"ftp://saved.example/a"_s, false, std::nullopt},
        {u"saved.example/a"_s, false, std::nullopt},
        {u"  HTTPS://Saved.example/a\t"_s, true, warning},
        {u"https://saved.example/b"_s, true, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link.toStdString());
        sheet.urlTextEdited(c.link);
        EXPECT_EQ(sheet.isSaveEnabled(), c.saveEnabled);
        EXPECT_EQ(sheet.duplicateWarning(), c.warning);
        EXPECT_EQ(sheet.preferredContentSize(), c.warning ? QSize(480, 332) : QSize(480, 304));
    }
    sheet.titleTextEdited(u"\u3000 "_s);
    EXPECT_FALSE(sheet.isSaveEnabled()) << "a title of spaces is blank";
}

TEST_F(ShareViewControllerTest, ABlankTitleIsSavedAsTheFoundTitleOrTheHost) {
    preferences.setAutoFetchMetadata(false);
    ShareViewController& sheet = open(items(item(u"Found"_s, {page()})));
    sheet.titleTextEdited(u"  "_s);
    sheet.save();
    ShareViewController plain(nullptr, fetcher, preferences);
    plain.urlTextEdited(u"https://Host.example/x"_s);
    plain.save();
    QStringList titles;
    for (const QString& name : inboxFiles())
        titles << decodePendingBookmark(
                      testenv::readFile(QDir(*sharedcontainer::inboxDirectory()).filePath(name)))
                      ->title();
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
    EXPECT_EQ(inboxFiles().size(), 1);
}

TEST_F(ShareViewControllerTest, CancelWritesNothingAndAFetchInFlightIsDropped) {
    server.route(u"/page"_s, Response::text(200, kPage), {.delay = 200ms});
    ShareViewController& sheet = open(items(item(std::nullopt, {page()})));
    QSignalSpy cancelled(context.get(), &ExtensionContext::requestCancelled);
    QSignalSpy fetched(&sheet, &ShareViewController::metadataFetchFinished);
    sheet.cancel();
    sheet.save();
    EXPECT_EQ(cancelled.size(), 1);
    EXPECT_FALSE(fetched.wait(400));
    EXPECT_TRUE(inboxFiles().isEmpty());
}

} // namespace
