#include "extension/Controller/ShareViewController.h"

#include "Corvina/Inbox/InboxDrain.h"
#include "platform/Extension/ExtensionContext.h"
#include "platform/Extension/TypeIdentifiers.h"
#include "platform/Store/ModelContainer.h"
#include "platform/Store/ModelContext.h"
#include "shared/Duplicates/DuplicateIndex.h"
#include "shared/Duplicates/DuplicateKey.h"
#include "shared/Inbox/PendingBookmark.h"
#include "shared/Inbox/SharedContainer.h"
#include "shared/Preferences.h"
#include "tests/support/LocalHttpServer.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
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

    void writeIndex(const Url& url, const QString& title) {
        QDir().mkpath(*sharedcontainer::supportDirectory());
        QFile file(duplicateIndexPath(*sharedcontainer::supportDirectory()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(encodeDuplicateIndex({{duplicateKey(url), title}}));
    }

    testhttp::LocalHttpServer server;
    QNetworkAccessManager network;
    const MetadataFetcher fetcher{network, 5s};
    Preferences preferences{UserDefaults::openSuite(u"share-test"_s)};
    std::unique_ptr<ExtensionContext> context;
    std::unique_ptr<ShareViewController> controller;
};

} // namespace

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

    // The user's note keeps its trailing blank lines.
    sheet.descriptionTextEdited(u"Mine\n\n"_s);
    QSignalSpy completed(context.get(), &ExtensionContext::requestCompleted);
    sheet.save();
    EXPECT_EQ(completed.size(), 1);
    ASSERT_EQ(inboxFiles().size(), 1);

    // The app's side of the inbox, on the same folders.
    const auto container = store::ModelContainer::openInMemory(Bookmark::schema()).value();
    qint64 inserted = 0;
    drainInbox(container->mainContext(), inserted);
    ASSERT_EQ(inserted, 1);
    const Bookmark saved(container->mainContext().fetch({Bookmark::kTitle}).at(0));
    EXPECT_EQ(saved.url(), page());
    EXPECT_EQ(saved.title(), u"Fetched title"_s);
    EXPECT_EQ(saved.note(), u"Mine\n\n"_s);
    EXPECT_TRUE(saved.tags().isEmpty());
    EXPECT_LE(qAbs(saved.createdAt().secsTo(QDateTime::currentDateTimeUtc())), 5);
    EXPECT_TRUE(inboxFiles().isEmpty());
}

TEST_F(ShareViewControllerTest, WhatTheUserTypesBeforeThePageAnswersStays) {
    server.route(u"/page"_s, Response::text(200, kPage), {.delay = 300ms});
    ShareViewController& sheet = open(items(item(std::nullopt, {page()})));
    sheet.titleTextEdited(u"My own title"_s);
    sheet.descriptionTextEdited(u"My note"_s);
    QSignalSpy fetched(&sheet, &ShareViewController::metadataFetchFinished);
    ASSERT_TRUE(fetched.wait(5000));
    EXPECT_EQ(sheet.titleText(), u"My own title"_s);
    EXPECT_EQ(sheet.descriptionText(), u"My note"_s);
}

TEST_F(ShareViewControllerTest, FetchedMetadataReplacesOnlyThePlaceholderTitleAndAnEmptyNote) {
    struct Case {
        QString title;
        QString description;
        std::optional<PageMetadata> result;
        QString expectedTitle;
        QString expectedDescription;
    };
    const PageMetadata fetchedMetadata{u"Fetched"_s, u"About"_s};
    const std::vector<Case> cases{
        {u"127.0.0.1"_s, {}, fetchedMetadata, u"Fetched"_s, u"About"_s},
        {u" \t"_s, {}, fetchedMetadata, u"Fetched"_s, u"About"_s},
        {u"Typed"_s, u"Kept"_s, fetchedMetadata, u"Typed"_s, u"Kept"_s},
        {u"127.0.0.1"_s, {}, PageMetadata{{}, {}}, u"127.0.0.1"_s, {}},
        {u"127.0.0.1"_s, {}, std::nullopt, u"127.0.0.1"_s, {}},
    };
    ShareViewController sheet(nullptr, fetcher, preferences);
    for (const Case& c : cases) {
        sheet.urlTextEdited(page().absoluteString());
        sheet.titleTextEdited(c.title);
        sheet.descriptionTextEdited(c.description);
        sheet.applyMetadata(c.result);
        EXPECT_EQ(sheet.titleText(), c.expectedTitle) << c.title.toStdString();
        EXPECT_EQ(sheet.descriptionText(), c.expectedDescription) << c.title.toStdString();
    }
}

TEST_F(ShareViewControllerTest, TitlesComeFromTheItemsBeforeTheHost) {
    // The first item has a title and no usable URL; the second item's
    // second attachment has the URL.
    ShareViewController& sheet = open(items(item(u"First item"_s, {u"just words"_s}),
                                            item(u"Second item"_s, {u"no url here"_s, page()})));
    EXPECT_EQ(sheet.urlText(), page().absoluteString());
    EXPECT_EQ(sheet.titleText(), u"First item"_s);

    preferences.setAutoFetchMetadata(false);
    ShareViewController& fromContent = open(items(item(std::nullopt, {page()}, u"Content"_s)));
    EXPECT_EQ(fromContent.titleText(), u"Content"_s);
    EXPECT_FALSE(fromContent.isSpinning());
    QTest::qWait(50);
    EXPECT_EQ(server.requestsFor(u"/page"_s).size(), 1) << "fetched with the preference off";
}

TEST_F(ShareViewControllerTest, AFileURLIsShownButCannotBeSaved) {
    ShareViewController& sheet =
        open(items(item(std::nullopt, {*Url::parse(u"file:///tmp/page.html"_s)})));
    EXPECT_EQ(sheet.urlText(), u"file:///tmp/page.html"_s);
    EXPECT_EQ(sheet.currentURL(), std::nullopt);
    EXPECT_TRUE(sheet.titleText().isEmpty());
    EXPECT_FALSE(sheet.isSaveEnabled());
    EXPECT_EQ(sheet.duplicateWarning(), std::nullopt);
}

TEST_F(ShareViewControllerTest, TheDuplicateWarningFollowsTheLinkField) {
    writeIndex(*Url::parse(u"https://www.saved.example/a/"_s), u"Saved page"_s);
    ShareViewController sheet(nullptr, fetcher, preferences);
    sheet.titleTextEdited(u"Title"_s);
    struct Case {
        QString link;
        bool saveEnabled;
        std::optional<QString> warning;
    };
    const std::vector<Case> cases{
        {u"https://saved.example/a"_s, true, u"Already saved as “Saved page”"_s},
        {u"ftp://saved.example/a"_s, false, std::nullopt},
        {u"saved.example/a"_s, false, std::nullopt},
        {u"  HTTPS://Saved.example/a\t"_s, true, u"Already saved as “Saved page”"_s},
        {u"https://saved.example/b"_s, true, std::nullopt},
    };
    for (const Case& c : cases) {
        sheet.urlTextEdited(c.link);
        EXPECT_EQ(sheet.isSaveEnabled(), c.saveEnabled) << c.link.toStdString();
        EXPECT_EQ(sheet.duplicateWarning(), c.warning) << c.link.toStdString();
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
    for (const QString& name : inboxFiles()) {
        QFile entry(QDir(*sharedcontainer::inboxDirectory()).filePath(name));
        ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
        titles << decodePendingBookmark(entry.readAll())->title();
    }
    titles.sort();
    EXPECT_EQ(titles, (QStringList{u"Found"_s, u"Host.example"_s}));
}

TEST_F(ShareViewControllerTest, AnInboxThatCannotBeWrittenKeepsTheSheetOpen) {
    // A file where the inbox folder belongs defeats even root.
    QDir().mkpath(*sharedcontainer::supportDirectory());
    QFile blocker(QDir(*sharedcontainer::supportDirectory()).filePath(u"inbox"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    ExtensionContext request({});
    ShareViewController withContext(&request, fetcher, preferences);
    withContext.urlTextEdited(u"https://a.example/"_s);
    withContext.titleTextEdited(u"A"_s);
    QSignalSpy completed(&request, &ExtensionContext::requestCompleted);

    QTemporaryFile log;
    ASSERT_TRUE(log.open());
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    ASSERT_GE(dup2(log.handle(), STDERR_FILENO), 0);
    withContext.save();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);

    QFile logged(log.fileName());
    ASSERT_TRUE(logged.open(QIODevice::ReadOnly));
    EXPECT_TRUE(logged.readAll().startsWith("Quillan share: enqueue failed: "));
    EXPECT_EQ(completed.size(), 0);
    EXPECT_EQ(withContext.saveFailure(), u"The page could not be saved."_s);
    EXPECT_FALSE(request.isFinished());

    // Once the folder can be made, the same sheet saves.
    ASSERT_TRUE(QFile::remove(blocker.fileName()));
    withContext.save();
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
