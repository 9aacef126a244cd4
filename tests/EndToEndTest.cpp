// One page's whole road, headless, on one temporary XDG tree: Dropslip saves
// a page served on this machine into the inbox; Corvina starts, drains it
// and lists it. (An import that repeats a page in the library is the import
// flow's test.)

#include "Corvina/App/ContentView.h"
#include "Corvina/App/LibraryWindow.h"
#include "extension/Controller/ShareViewController.h"
#include "platform/Extension/ExtensionContext.h"
#include "platform/Extension/TypeIdentifiers.h"
#include "shared/Inbox/SharedContainer.h"
#include "shared/Preferences.h"
#include "tests/Corvina/App/AppTestSupport.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/Testing.h"

#include <QNetworkAccessManager>

TEST(EndToEndTest, ASharedPageIsListed) {
    testhttp::LocalHttpServer server;
    server.route(u"/article"_s,
                 testhttp::Response::text(
                     200, "<html><head><title>Quiet tools</title>"
                          "<meta name=\"description\" content=\"Why they last\"></head>"));
    const Url page = *Url::parse(server.url(u"/article"));

    // Dropslip's side.
    {
        QNetworkAccessManager network;
        const MetadataFetcher fetcher(network, 5s);
        Preferences preferences(UserDefaults::openSuite(u"end-to-end"_s));
        ExtensionItem item;
        auto provider = std::make_unique<ItemProvider>();
        provider->registerItem(uti::url, page);
        item.attachments.push_back(std::move(provider));
        std::vector<ExtensionItem> items;
        items.push_back(std::move(item));
        ExtensionContext context(std::move(items));
        ShareViewController sheet(&context, fetcher, preferences);
        QSignalSpy fetched(&sheet, &ShareViewController::metadataFetchFinished);
        sheet.viewDidAppear();
        ASSERT_TRUE(fetched.wait(testenv::kPatience));
        ASSERT_EQ(sheet.titleText(), u"Quiet tools");
        // The user's note keeps its trailing blank lines.
        sheet.descriptionTextEdited(u"Mine\n\n"_s);
        QSignalSpy completed(&context, &ExtensionContext::requestCompleted);
        sheet.save();
        ASSERT_EQ(completed.size(), 1);
    }
    ASSERT_EQ(QDir(*sharedcontainer::inboxDirectory()).entryList({u"*.json"_s}, QDir::Files).size(),
              1);

    // Corvina's side: the first window drains the inbox and lists the page.
    StartedApp started;
    ASSERT_TRUE(started.app);
    LibraryWindow* window = started.app->openWindow();
    ContentView& content = *window->content();
    ASSERT_TRUE(QTest::qWaitFor([&] { return content.model().rowCount() == 1; }, 5000));
    EXPECT_EQ(content.model().index(0).data().toString(), u"Quiet tools"_s);
    EXPECT_TRUE(
        QDir(*sharedcontainer::inboxDirectory()).entryList({u"*.json"_s}, QDir::Files).isEmpty());
    const Bookmark saved = *content.model().bookmarkAt(0);
    EXPECT_EQ(saved.url(), page);
    EXPECT_EQ(saved.note(), u"Mine\n\n"_s);
    EXPECT_TRUE(saved.tags().isEmpty());
    EXPECT_LE(qAbs(saved.createdAt().secsTo(QDateTime::currentDateTimeUtc())), 5);

    window->close();
}
