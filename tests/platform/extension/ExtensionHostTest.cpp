#include "platform/Extension/HostCommandLine.h"
#include "platform/Extension/LinkFile.h"
#include "platform/Extension/StandardInput.h"
#include "platform/Extension/TypeIdentifiers.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestTable.h"
#include "tests/support/Testing.h"

#include <thread>

namespace {

// What a provider delivers for a type, waited for.
std::optional<ItemProvider::LoadResult> load(const ItemProvider& provider, const QString& type) {
    QObject receiver;
    std::optional<ItemProvider::LoadResult> result;
    provider.loadItem(type, &receiver, [&](ItemProvider::LoadResult r) { result.emplace(r); });
    EXPECT_FALSE(result) << "delivered inside loadItem";
    return testenv::awaited(result);
}

QString loadedURL(const ItemProvider& provider, const QString& type) {
    const auto result = load(provider, type);
    if (!result || !*result)
        return u"<failed>"_s;
    const Url* url = std::get_if<Url>(&result->value());
    return url ? url->absoluteString() : u"<not a URL>"_s;
}

std::unique_ptr<ExtensionContext> contextFor(const QStringList& arguments, int fd = 0) {
    const auto request = parseHostArguments(QStringList{u"dropslip"_s} + arguments);
    EXPECT_TRUE(request.ok()) << (request ? "" : request.error().toStdString());
    return makeExtensionContext(request.value(), fd);
}

TEST(LinkFileTest, ReadsTheAddressOfEachKindAndNothingElse) {
    using linkfile::Kind;
    const QHash<QString, Kind> kinds{{u"desktopEntry"_s, Kind::desktopEntry},
                                     {u"windowsShortcut"_s, Kind::windowsShortcut},
                                     {u"webLocation"_s, Kind::webLocation}};
    for (const testenv::TableRow& row : testenv::readTable(u"link-files.tsv"_s, 4)) {
        SCOPED_TRACE(row.where);
        const auto link = linkfile::parse(kinds.value(row.text(0)), row.bytes(1));
        ASSERT_EQ(link.has_value(), row.optionalText(2).has_value());
        if (link) {
            EXPECT_EQ(link->url + u'|' + link->name, row.text(2) + u'|' + row.text(3));
        }
    }
    EXPECT_EQ(linkfile::firstUriInList("# comment\r\n\r\nhttps://a.example/\r\nhttps://b/\r\n"),
              u"https://a.example/"_s);
    EXPECT_EQ(linkfile::firstUriInList("# only a comment\n"), std::nullopt);
    const QString moz = u"https://m.example/\nMozilla title"_s;
    const auto link = linkfile::parseMozUrl(
                          QByteArray(reinterpret_cast<const char*>(moz.utf16()), moz.size() * 2))
                          .value();
    EXPECT_EQ(link.url + u'|' + link.name, u"https://m.example/|Mozilla title"_s);
    EXPECT_EQ(linkfile::parseMozUrl("https://u8.example/")->url, u"https://u8.example/"_s);
}

TEST(ItemProviderTest, TypesConformAndLoadsComeLaterAndNotForAGoneReceiver) {
    EXPECT_TRUE(uti::conformsTo(uti::fileURL, uti::url));
    EXPECT_FALSE(uti::conformsTo(uti::url, uti::fileURL));
    EXPECT_TRUE(uti::conformsTo(uti::html, uti::text));
    EXPECT_FALSE(uti::conformsTo(uti::html, uti::plainText));
    EXPECT_EQ(uti::typeIdentifier(u"text/uri-list"_s), uti::url);
    EXPECT_EQ(uti::typeIdentifier(u"application/x-mswinurl"_s), uti::webLocation);
    EXPECT_EQ(uti::typeIdentifier(u"image/png"_s), QString());

    ItemProvider provider;
    provider.registerItem(uti::fileURL, *Url::parse(u"file:///tmp/a"_s));
    EXPECT_EQ(loadedURL(provider, uti::url), u"file:///tmp/a"_s);
    EXPECT_FALSE(load(provider, uti::plainText).value().ok());
    bool called = false;
    {
        QObject receiver;
        provider.loadItem(uti::url, &receiver, [&](ItemProvider::LoadResult) { called = true; });
    }
    QTest::qWait(20);
    EXPECT_FALSE(called);
}

TEST(HostCommandLineTest, EachArgumentBecomesTheItemAShareHostWouldGive) {
    for (const QStringList& arguments : {QStringList{u"--type"_s, u"text/plain"_s},
                                         {u"--stdin"_s, u"https://a/"_s},
                                         {u"--stdin"_s, u"--type"_s, u"image/png"_s},
                                         {u"--bogus"_s}}) {
        EXPECT_FALSE(parseHostArguments(QStringList{u"dropslip"_s} + arguments).ok())
            << arguments.join(u' ').toStdString();
    }
    const QDir root(testenv::root());
    const QString desktop =
        testenv::writeFile(root.filePath(u"Reading.desktop"_s),
                           "[Desktop Entry]\nType=Link\nName=Long read\nURL=https://d.example/\n");
    const QString shortcut = testenv::writeFile(root.filePath(u"Shortcut Page.url"_s),
                                                "[InternetShortcut]\nURL=javascript:alert(1)\n");
    const QString broken =
        testenv::writeFile(root.filePath(u"Nowhere.webloc"_s), "<plist><dict></dict></plist>");
    const QString page = testenv::writeFile(root.filePath(u"page one.html"_s), "<html></html>");
    const auto context =
        contextFor({u"--title"_s, u"Given"_s, u"https://a.example/x"_s, desktop,
                    QUrl::fromLocalFile(shortcut).toString(), broken, page, u"some words"_s});
    const std::vector<ExtensionItem>& items = context->inputItems();
    ASSERT_EQ(items.size(), 6u);
    const auto at = [&](std::size_t i) -> const ItemProvider& { return *items[i].attachments[0]; };
    EXPECT_EQ(items[0].attributedTitle, u"Given"_s);
    EXPECT_EQ(loadedURL(at(0), uti::url), u"https://a.example/x"_s);
    EXPECT_EQ(std::get<QString>(load(at(0), uti::plainText)->value()), u"https://a.example/x"_s);
    EXPECT_EQ(items[1].attributedTitle, u"Long read"_s);
    EXPECT_EQ(loadedURL(at(1), uti::url), u"https://d.example/"_s);
    EXPECT_EQ(loadedURL(at(1), uti::fileURL),
              QUrl::fromLocalFile(desktop).toString(QUrl::FullyEncoded));
    EXPECT_EQ(items[2].attributedTitle, u"Shortcut Page"_s);
    EXPECT_EQ(loadedURL(at(2), uti::url), u"javascript:alert(1)"_s);
    // A link file that points nowhere is still a file.
    EXPECT_EQ(at(3).registeredTypeIdentifiers(), QStringList{uti::fileURL});
    EXPECT_EQ(at(4).registeredTypeIdentifiers(), QStringList{uti::fileURL});
    EXPECT_EQ(loadedURL(at(4), uti::fileURL), u"file://"_s + root.filePath(u"page%20one.html"_s));
    EXPECT_EQ(at(5).registeredTypeIdentifiers(), QStringList{uti::plainText});
}

TEST(HostCommandLineTest, StandardInputIsReadWhenLoadedWhateverItHolds) {
    const auto check = [](const QStringList& arguments, const QByteArray& input,
                          const QString& type, const ItemProvider::Item& expected) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const auto context = contextFor(arguments, fds[0]);
        const ItemProvider& provider = *context->inputItems().at(0).attachments.at(0);
        ASSERT_TRUE(provider.hasItemConformingTo(type));
        // Written after the load began and in two pieces: the sheet is up
        // before the input has ended.
        QObject receiver;
        std::optional<ItemProvider::LoadResult> result;
        provider.loadItem(type, &receiver, [&](ItemProvider::LoadResult r) { result.emplace(r); });
        const qsizetype half = input.size() / 2;
        ASSERT_EQ(write(fds[1], input.constData(), half), half);
        QTest::qWait(10);
        EXPECT_FALSE(result);
        ASSERT_EQ(write(fds[1], input.constData() + half, input.size() - half),
                  input.size() - half);
        close(fds[1]);
        ASSERT_TRUE(testenv::awaited(result) && result->ok());
        EXPECT_TRUE(result->value() == expected);
        close(fds[0]);
    };
    const QByteArray raw = "  https://s.example/\n\xff";
    check({u"--stdin"_s}, raw, uti::plainText, raw);
    check({u"--stdin"_s, u"--type"_s, u"text/uri-list"_s}, "#c\r\nhttps://u.example/\r\n", uti::url,
          *Url::parse(u"https://u.example/"_s));
    check({u"--stdin"_s, u"--type"_s, u"application/x-desktop"_s},
          "[Desktop Entry]\nType=Link\nURL=https://l.example/\n", uti::url,
          *Url::parse(u"https://l.example/"_s));
}

TEST(StandardInputTest, RefusesInputBeyondItsLimitWithoutWaitingForTheEnd) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    StandardInput input(fds[0], 100'000);
    std::optional<StandardInput::Outcome> outcome;
    QObject receiver;
    input.whenRead(&receiver, [&](const StandardInput::Outcome& o) { outcome.emplace(o); });
    // More than a pipe holds, from a writer that never closes the pipe. One
    // byte over the limit: the reader takes it all before refusing, so the
    // writer is never left blocked.
    std::thread writer([fd = fds[1]] {
        const QByteArray chunk(50'001, 'a');
        for (int i = 0; i < 2; ++i)
            if (write(fd, chunk.constData(), chunk.size()) != chunk.size())
                return;
    });
    ASSERT_TRUE(testenv::awaited(outcome));
    EXPECT_FALSE(outcome->ok());
    close(fds[0]);
    writer.join();
    close(fds[1]);
}

} // namespace
