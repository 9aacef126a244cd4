#include "AppTestSupport.h"
#include "Corvina/App/AppNotifications.h"
#include "Corvina/App/LibraryWindow.h"
#include "Corvina/App/SearchField.h"
#include "Corvina/App/WindowCoordinator.h"
#include "Corvina/BookmarkRow/BookmarkListView.h"
#include "Corvina/ImportExport/ExportFormat.h"
#include "Corvina/Library/LibraryStore.h"
#include "platform/Store/ModelContainer.h"
#include "platform/Notifications/NotificationCenter.h"
#include "shared/Preferences.h"
#include "tests/support/Testing.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction* findAction(QMenuBar* bar, const QStringList& path) {
    QList<QAction*> actions = bar->actions();
    QAction* found = nullptr;
    for (const QString& step : path) {
        const auto named = std::find_if(actions.cbegin(), actions.cend(), [&](QAction* action) {
            return action->text().remove(u'&') == step;
        });
        if (named == actions.cend())
            return nullptr;
        found = *named;
        actions = found->menu() ? found->menu()->actions() : QList<QAction*>();
    }
    return found;
}

std::vector<Notification> collectPosts(const std::function<void()>& run) {
    std::vector<Notification> posted;
    QObject context;
    QObject::connect(&NotificationCenter::defaultCenter(), &NotificationCenter::posted, &context,
                     [&](const Notification& n) { posted.push_back(n); });
    run();
    return posted;
}

} // namespace

TEST(CommandsTest, MenuTableTitlesShortcutsAndNotifications) {
    StartedApp started;
    ASSERT_TRUE(started.app);
    LibraryWindow* window = started.app->openWindow();
    QMenuBar* bar = window->menuBar();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    window->setFocus();
    Preferences& preferences = started.app->preferences();
    const bool showingDescriptions = preferences.showDescriptions();

    const struct {
        const char* path;     // menu titles, "|" between
        const char* shortcut; // portable text, "" for none
        bool hasIcon;
        const char* notification; // nullptr: posts nothing; "": opens a window or page instead
        std::optional<ExportFormat> format = {};
    } expected[] = {
        {"File|New Bookmark", "Ctrl+N", true, "quillan.add.bookmark.requested"},
        {"File|Import Bookmarks…", "Ctrl+Shift+O", true, "quillan.import.requested"},
        {"File|Export Bookmarks…|As JSON (Corvina Backup)…", "Ctrl+Shift+E", false,
         "quillan.export.requested", ExportFormat::json},
        {"File|Export Bookmarks…|As Netscape HTML (Other Browsers)…", "", false,
         "quillan.export.requested", ExportFormat::netscapeHTML},
        {"File|Fetch Favicons", "", true, "quillan.favicons.fetch.requested"},
        {"File|New Window", "Ctrl+Alt+N", true, ""},
        {"Edit|Find", "Ctrl+F", false, nullptr},
        {"View|Show Descriptions", "", true, nullptr},
        {"View|Hide Sidebar", "Ctrl+Alt+S", false, nullptr},
        {"Help|Corvina Help", "", true, ""},
        {"Help|Get the Bookmarklet", "", true, ""},
        {"Help|Check for Updates…", "", true, ""},
    };
    for (const auto& row : expected) {
        SCOPED_TRACE(row.path);
        QAction* action = findAction(bar, QString::fromUtf8(row.path).split(u'|'));
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->shortcut().toString(QKeySequence::PortableText),
                  QString::fromUtf8(row.shortcut));
        EXPECT_EQ(!action->icon().isNull(), row.hasIcon);
        if (row.notification && !*row.notification)
            continue;
        const auto posts = collectPosts([&] { action->trigger(); });
        ASSERT_EQ(posts.size(), row.notification ? 1u : 0u);
        if (std::string_view(row.path) == "Edit|Find") {
            EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(window->searchField()));
        }
        if (!row.notification)
            continue;
        EXPECT_EQ(posts[0].name, QString::fromUtf8(row.notification));
        EXPECT_EQ(posts[0].object.isValid(), row.format.has_value());
        if (row.format) {
            EXPECT_EQ(posts[0].object.value<ExportFormat>(), *row.format);
        }
    }

    // Of the commands that post nothing, Show Descriptions flipped the preference
    // and Hide Sidebar hid the sidebar, which the menu then offers to show.
    EXPECT_EQ(preferences.showDescriptions(), !showingDescriptions);
    EXPECT_FALSE(window->content()->isSidebarVisible());
    Q_EMIT findAction(bar, {u"View"_s})->menu()->aboutToShow();
    ASSERT_TRUE(findAction(bar, {u"View"_s, u"Show Sidebar"_s}));
    findAction(bar, {u"View"_s, u"Show Sidebar"_s})->trigger();
    EXPECT_TRUE(window->content()->isSidebarVisible());

    // Edit ▸ Undo names the window's last step while the list has the focus.
    store::ModelContext& context = started.app->container().mainContext();
    const auto library = [&] { return library::allBookmarks(context); };
    for (const QString& host : {u"a.test"_s, u"b.test"_s, u"c.test"_s}) {
        context.insert(Bookmark(QUuid::createUuid(), *Url::parse(u"https://"_s + host), host, {},
                                {}, QDateTime::currentDateTimeUtc())
                           .object());
    }
    ASSERT_TRUE(context.save().ok());
    window->content()->model().catchUp();
    window->content()->list()->selectAll();
    window->content()->list()->setFocus();
    window->content()->removeSelected();
    EXPECT_TRUE(library().empty());
    Q_EMIT findAction(bar, {u"Edit"_s})->menu()->aboutToShow();
    ASSERT_TRUE(findAction(bar, {u"Edit"_s, u"Undo Delete 3 Bookmarks"_s}));
    findAction(bar, {u"Edit"_s, u"Undo Delete 3 Bookmarks"_s})->trigger();
    EXPECT_EQ(library().size(), 3u);

    // The File menu keeps its order: new items, a divider, import/export, a divider, favicons.
    QStringList fileItems;
    for (QAction* action : findAction(bar, {u"File"_s})->menu()->actions())
        fileItems << (action->isSeparator() ? u"—"_s : action->text());
    EXPECT_EQ(fileItems.mid(0, 7).join(u'|'),
              u"New Bookmark|New Window|—|Import Bookmarks…|Export Bookmarks…|—|Fetch Favicons"_s);
    window->close();
}

TEST(CommandsTest, NewBookmarkWithoutWindowOpensOneWindowWithTheAddForm) {
    StartedApp started;
    ASSERT_TRUE(started.app);
    WindowCoordinator& coordinator = started.app->windowCoordinator();
    ASSERT_EQ(coordinator.openWindowCount(), 0);

    int addRequests = 0;
    QObject::connect(started.app.get(), &QuillanApp::windowOpened, started.app.get(),
                     [&](LibraryWindow* window) {
                         QObject::connect(window, &LibraryWindow::addBookmarkRequested, window,
                                          [&] { ++addRequests; });
                     });
    const auto posts = collectPosts([&] { started.app->newBookmark(); });
    EXPECT_TRUE(posts.empty());
    EXPECT_EQ(coordinator.openWindowCount(), 1);
    EXPECT_FALSE(coordinator.pendingNewBookmark());
    EXPECT_EQ(addRequests, 1);

    // With a window open the command posts instead of opening another.
    const auto second = collectPosts([&] { started.app->newBookmark(); });
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].name, appnotification::kAddBookmarkRequested);
    EXPECT_EQ(coordinator.openWindowCount(), 1);

    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<LibraryWindow*>(widget))
            widget->close();
    EXPECT_EQ(coordinator.openWindowCount(), 0);
}
