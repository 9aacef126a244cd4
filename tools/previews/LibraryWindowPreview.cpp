// Shows the library window on a temporary library, for screenshots:
//   library_window_preview [--dark] [--bookmarks N] [--tag NAME] [--search TEXT]
//                          [--save-failing | --open-file-address | --duplicates]
//                          [--hide-sidebar] [--font-size PT] [--select]
//                          [--widths W,W...] [--delete]
// N realistic bookmarks (default none: the empty library), then the tag NAME
// chosen in the sidebar as a click would, then TEXT typed into the search field.
// --save-failing: another program holds the store while a bookmark is added,
// then the window is closed (the status line and the question at quit);
// --open-file-address: opening a bookmark of a local file (the question first);
// --duplicates: importing a file that holds three of the library's pages (the
// duplicates question); --hide-sidebar: the sidebar put away; --font-size:
// the desktop's text at PT points instead of its own size.
// --select: the list focused from the search field, three rows selected with
// the keyboard. --widths: the window resized to each width in turn, the way
// a user drags its edge, ending at the last. --delete: the selection
// deleted with the Delete key (the notice that offers Undo).
#include "Corvina/App/ImportExportFlows.h"
#include "Corvina/App/QuillanApp.h"
#include "Corvina/App/SearchField.h"
#include "Corvina/Library/LibraryStore.h"
#include "Corvina/TagSidebar/TagSidebar.h"
#include "platform/Store/ModelContainer.h"
#include "tests/support/StoreWriteLock.h"
#include "tests/support/TestEnvironment.h"
#include "tools/previews/PreviewPalette.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QListView>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <array>

using namespace Qt::StringLiterals;

namespace {

struct Site {
    const char16_t* domain;
    const char16_t* name;
    std::array<const char16_t*, 3> tags;
};

// Sites a reader, a programmer and a traveller keep, each with a few pages.
constexpr Site kSites[] = {
    {u"doc.rust-lang.org", u"The Rust Programming Language", {u"rust", u"programming", u"books"}},
    {u"developer.mozilla.org", u"MDN Web Docs", {u"web", u"reference", u"javascript"}},
    {u"en.wikipedia.org", u"Wikipedia", {u"reference", u"history", nullptr}},
    {u"www.nytimes.com", u"The New York Times", {u"news", nullptr, nullptr}},
    {u"www.seriouseats.com", u"Serious Eats", {u"cooking", u"recipes", nullptr}},
    {u"practicaltypography.com", u"Practical Typography", {u"typography", u"design", u"books"}},
    {u"www.japan-guide.com", u"japan-guide.com", {u"travel", u"Japan", nullptr}},
    {u"news.ycombinator.com", u"Hacker News", {u"news", u"programming", nullptr}},
    {u"lwn.net", u"LWN.net", {u"linux", u"news", nullptr}},
    {u"www.bbc.co.uk", u"BBC", {u"news", u"radio", nullptr}},
    {u"github.com", u"GitHub", {u"programming", u"tools", nullptr}},
    {u"www.gutenberg.org", u"Project Gutenberg", {u"books", u"reading", nullptr}},
    {u"www.openstreetmap.org", u"OpenStreetMap", {u"maps", u"travel", nullptr}},
    {u"www.eff.org", u"Electronic Frontier Foundation", {u"privacy", nullptr, nullptr}},
    {u"arxiv.org", u"arXiv", {u"science", u"papers", nullptr}},
    {u"www.kurzgesagt.org", u"Kurzgesagt", {u"science", u"video", nullptr}},
    {u"cppreference.com", u"cppreference.com", {u"c++", u"reference", u"programming"}},
    {u"www.nature.com", u"Nature", {u"science", u"papers", nullptr}},
    {u"www.bonappetit.com", u"Bon App\u00e9tit", {u"cooking", nullptr, nullptr}},
    {u"www.atlasobscura.com", u"Atlas Obscura", {u"travel", u"history", nullptr}},
};

constexpr const char16_t* kPages[] = {
    u"Getting started",
    u"A field guide to the basics",
    u"Ten things I wish I had known sooner",
    u"The long read: how it all began",
    u"Notes on doing it well, with examples",
    u"Frequently asked questions",
    u"Why the obvious answer is wrong",
    u"A beginner's checklist",
    u"What changed this year",
    u"The one page to keep open",
};

std::vector<BookmarkPayload> realisticLibrary(int count) {
    std::vector<BookmarkPayload> payloads;
    QDateTime when = QDateTime::currentDateTimeUtc().addDays(-count);
    for (int i = 0; i < count; ++i) {
        const Site& site = kSites[i % std::size(kSites)];
        const int page = i / int(std::size(kSites));
        BookmarkPayload payload;
        payload.url = *Url::parse(u"https://%1/%2/article-%3"_s.arg(QStringView(site.domain))
                                      .arg(page)
                                      .arg(i));
        payload.title = u"%1 \u2014 %2"_s.arg(QStringView(kPages[page % std::size(kPages)]),
                                               QStringView(site.name));
        if (i % 3 == 0)
            payload.description = u"Came back to this twice; the second half is the useful part."_s;
        for (const char16_t* tag : site.tags) {
            if (tag)
                payload.tags << QString::fromUtf16(tag);
        }
        when = when.addSecs(3600 * 20 + i * 37);
        payload.createdAt = payload.updatedAt = when;
        payload.id = QUuid::createUuid();
        payloads.push_back(std::move(payload));
    }
    return payloads;
}

void chooseTag(TagSidebar& sidebar, const QString& name) {
    QListView* tags = sidebar.list();
    for (int row = 0; row < tags->model()->rowCount(); ++row) {
        const QModelIndex index = tags->model()->index(row, 0);
        if (index.data().toString() == name) {
            tags->scrollTo(index);
            QTest::mouseClick(tags->viewport(), Qt::LeftButton, {},
                              tags->visualRect(index).center());
            return;
        }
    }
    qWarning("no tag named %s", qPrintable(name));
}

} // namespace

int main(int argc, char** argv) {
    testenv::isolate();
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(u"Corvina"_s);
    QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));

    QCommandLineParser parser;
    const QCommandLineOption dark(u"dark"_s);
    const QCommandLineOption bookmarks(u"bookmarks"_s, u"How many."_s, u"N"_s, u"0"_s);
    const QCommandLineOption tag(u"tag"_s, u"Tag to choose."_s, u"NAME"_s);
    const QCommandLineOption search(u"search"_s, u"Text to search for."_s, u"TEXT"_s);
    const QCommandLineOption saveFailing(u"save-failing"_s);
    const QCommandLineOption openFileAddress(u"open-file-address"_s);
    const QCommandLineOption select(u"select"_s);
    const QCommandLineOption widths(u"widths"_s, u"Widths to resize to."_s, u"W,W"_s);
    const QCommandLineOption deleteSelection(u"delete"_s);
    const QCommandLineOption duplicates(u"duplicates"_s);
    const QCommandLineOption hideSidebar(u"hide-sidebar"_s);
    const QCommandLineOption fontSize(u"font-size"_s, u"Text size in points."_s, u"PT"_s);
    parser.addOptions({dark, bookmarks, tag, search, saveFailing, openFileAddress, select, widths,
                       deleteSelection, duplicates, hideSidebar, fontSize});
    parser.process(app);
    if (parser.isSet(fontSize)) {
        QFont font = QApplication::font();
        font.setPointSizeF(parser.value(fontSize).toDouble());
        QApplication::setFont(font);
    }
    if (parser.isSet(dark))
        QApplication::setPalette(preview::darkPalette());

    auto started = QuillanApp::start();
    if (!started)
        qFatal("%s", qPrintable(started.error()));
    QuillanApp& corvina = *started.value();
    (void)library::insertPayloads(corvina.container().mainContext(),
                                  realisticLibrary(parser.value(bookmarks).toInt()));
    LibraryWindow* window = corvina.openWindow();
    window->resize(900, 620);
    // After the first layout, so the sidebar's rows have their places.
    QTimer::singleShot(200, window, [&] {
        if (parser.isSet(tag))
            chooseTag(*window->content()->sidebar(), parser.value(tag));
        if (parser.isSet(search)) {
            window->searchField()->setFocus();
            QTest::keyClicks(window->searchField(), parser.value(search));
        }
        if (parser.isSet(select)) {
            window->activateWindow();
            window->searchField()->setFocus();
            QTest::keyClick(window->searchField(), Qt::Key_Down);
            auto* list = window->findChild<QAbstractItemView*>(u"bookmarkList"_s);
            QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
            QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
            if (parser.isSet(deleteSelection))
                QTest::keyClick(list, Qt::Key_Delete);
        }
        int delay = 0;
        for (const QString& width : parser.value(widths).split(u',', Qt::SkipEmptyParts)) {
            for (int step = 1; step <= 10; ++step) {
                QTimer::singleShot(delay += 40, window, [window, step, target = width.toInt()] {
                    const int from = window->width();
                    window->resize(from + (target - from) * step / 10, window->height());
                });
            }
        }
    });
    std::unique_ptr<teststore::StoreWriteLock> lock;
    if (parser.isSet(saveFailing)) {
        lock = std::make_unique<teststore::StoreWriteLock>(library::storeFilePath());
        BookmarkPayload added = realisticLibrary(1).front();
        added.url = *Url::parse(u"https://example.org/saved-while-locked"_s);
        (void)library::insertPayloads(corvina.container().mainContext(), std::span(&added, 1));
        QTimer::singleShot(2500, window, &QWidget::close);
    }
    if (parser.isSet(openFileAddress)) {
        QTimer::singleShot(500, window, [window] {
            window->content()->openInBrowser(
                Bookmark(QUuid::createUuid(), *Url::parse(u"file:///home/me/Desktop/start.desktop"_s),
                         u"Start"_s, {}, {}, QDateTime::currentDateTimeUtc()));
        });
    }
    if (parser.isSet(hideSidebar))
        window->content()->setSidebarVisible(false);
    QTemporaryDir files;
    if (parser.isSet(duplicates)) {
        // Three pages the library has (the first three sites' first pages) and nine new ones.
        QByteArray file = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
        for (int i = 0; i < 12; ++i) {
            const QString url =
                i < 3 ? u"https://%1/0/article-%2"_s.arg(QStringView(kSites[i].domain)).arg(i)
                      : u"https://new.example/%1"_s.arg(i);
            file += "<DT><A HREF=\"" + url.toUtf8() + "\" ADD_DATE=\"1700000000\">Page</A>\n";
        }
        const QString path = files.filePath(u"bookmarks.html"_s);
        QFile out(path);
        if (out.open(QIODevice::WriteOnly))
            out.write(file + "</DL><p>\n");
        out.close();
        QTimer::singleShot(500, window,
                           [window, path] { window->flows()->importFile(*window, path); });
    }
    return QApplication::exec();
}
