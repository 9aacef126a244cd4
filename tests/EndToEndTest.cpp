// One page's whole road, headless, on one temporary XDG tree: Dropslip saves
// a page served on this machine into the inbox; Corvina starts, drains it
// and lists it; a browser's bookmark file that repeats it is imported with
// "Skip Duplicates".

#include "Corvina/App/ContentView.h"
#include "Corvina/App/ImportExportFlows.h"
#include "Corvina/App/LibraryWindow.h"
#include "extension/Controller/ShareViewController.h"
#include "platform/Extension/ExtensionContext.h"
#include "platform/Extension/TypeIdentifiers.h"
#include "shared/Inbox/SharedContainer.h"
#include "shared/Preferences.h"
#include "tests/Corvina/App/AppTestSupport.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/Testing.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QNetworkAccessManager>

namespace {

QStringList visibleTitles(ContentView& content) {
    QStringList titles;
    for (int row = 0; row < content.model().rowCount(); ++row)
        titles << content.model().index(row).data().toString();
    return titles;
}

} // namespace

TEST(EndToEndTest, ASharedPageIsListedAndAnImportSkipsIt) {
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
        ASSERT_TRUE(fetched.wait(5000));
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
    EXPECT_EQ(visibleTitles(content), QStringList{u"Quiet tools"_s});
    EXPECT_TRUE(
        QDir(*sharedcontainer::inboxDirectory()).entryList({u"*.json"_s}, QDir::Files).isEmpty());
    const Bookmark saved = *content.model().bookmarkAt(0);
    EXPECT_EQ(saved.url(), page);
    EXPECT_EQ(saved.note(), u"Mine\n\n"_s);
    EXPECT_TRUE(saved.tags().isEmpty());
    EXPECT_LE(qAbs(saved.createdAt().secsTo(QDateTime::currentDateTimeUtc())), 5);

    // A browser's file that holds the same page (with a final "/") and a new one.
    QTemporaryDir dir;
    const QString same = testenv::writeFile(
        dir.filePath(u"same.html"_s), "<DL><p>\n<DT><A HREF=\"" + page.absoluteString().toUtf8() +
                                          "/\">Again</A>\n<DT><A HREF=\"https://new.example/\">"
                                          "New one</A>\n</DL><p>\n");

    ImportExportFlows& flows = *window->flows();
    QSignalSpy imported(&flows, &ImportExportFlows::importFinished);
    flows.importFile(*window, same);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return flows.openAlert() && flows.openAlert()->isVisible(); }, 5000));
    ASSERT_EQ(flows.openAlert()->text(), u"1 of 2 bookmarks are already in your library");
    for (QAbstractButton* button : flows.openAlert()->buttons()) {
        if (button->text() == u"Skip Duplicates")
            button->click();
    }
    ASSERT_TRUE(!imported.isEmpty() || imported.wait(5000));
    EXPECT_EQ(imported.first().first().value<ImportResult>().count(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return content.model().rowCount() == 2; }, 5000));

    window->close();
}
