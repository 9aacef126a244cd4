#include "AppTestSupport.h"
#include "Corvina/App/AppNotifications.h"
#include "Corvina/App/LibraryWindow.h"
#include "Corvina/App/SearchField.h"
#include "Corvina/App/WindowCoordinator.h"
#include "Corvina/ImportExport/ExportFormat.h"
#include "platform/Notifications/NotificationCenter.h"
#include "shared/Preferences.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QAction* findAction(QMenuBar* bar, const QStringList& path) {
    QList<QAction*> actions = bar->actions();
    QAction* found = nullptr;
    for (const QString& step : path) {
        found = nullptr;
        for (QAction* action : actions) {
            if (action->text().remove(u'&') == step) {
                found = action;
                break;
            }
        }
        if (!found)
            return nullptr;
        if (found->menu())
            actions = found->menu()->actions();
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

    const struct {
        std::vector<const char*> steps;
        const char* shortcut; // portable text, "" for none
        bool hasIcon;
        const char* notification; // nullptr: posts nothing
        std::optional<ExportFormat> format;
    } expected[] = {
        {{"File", "New Bookmark"}, "Ctrl+N", true, "quillan.add.bookmark.requested", {}},
        {{"File", "Import Bookmarks…"}, "Ctrl+Shift+O", true, "quillan.import.requested", {}},
        {{"File", "Export Bookmarks…", "As JSON (Corvina Backup)…"},
         "Ctrl+Shift+E",
         false,
         "quillan.export.requested",
         ExportFormat::json},
        {{"File", "Export Bookmarks…", "As Netscape HTML (Other Browsers)…"},
         "",
         false,
         "quillan.export.requested",
         ExportFormat::netscapeHTML},
        {{"File", "Fetch Favicons"}, "", true, "quillan.favicons.fetch.requested", {}},
        {{"File", "New Window"}, "Ctrl+Alt+N", true, nullptr, {}},
        {{"Edit", "Find"}, "Ctrl+F", false, nullptr, {}},
        {{"View", "Show Descriptions"}, "", true, nullptr, {}},
        {{"Help", "Corvina Help"}, "", true, nullptr, {}},
        {{"Help", "Get the Bookmarklet"}, "", true, nullptr, {}},
        {{"Help", "Check for Updates…"}, "", true, nullptr, {}},
    };
    for (const auto& row : expected) {
        QStringList path;
        for (const char* step : row.steps)
            path << QString::fromUtf8(step);
        SCOPED_TRACE(path.join(QStringLiteral(" > ")).toStdString());
        QAction* action = findAction(bar, path);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->shortcut().toString(QKeySequence::PortableText),
                  QString::fromUtf8(row.shortcut));
        EXPECT_EQ(!action->icon().isNull(), row.hasIcon);
        if (path.last() == u"New Window" || path.last().startsWith(u"Check") ||
            path.last().contains(u"Help") || path.last().contains(u"Bookmarklet"))
            continue; // these open windows or pages rather than posting
        const auto posts = collectPosts([&] { action->trigger(); });
        if (!row.notification) {
            EXPECT_TRUE(posts.empty());
            continue;
        }
        ASSERT_EQ(posts.size(), 1u);
        EXPECT_EQ(posts[0].name, QString::fromUtf8(row.notification));
        if (row.format) {
            ASSERT_TRUE(posts[0].object.canConvert<ExportFormat>());
            EXPECT_EQ(posts[0].object.value<ExportFormat>(), *row.format);
        } else {
            EXPECT_FALSE(posts[0].object.isValid());
        }
    }

    // The File menu keeps its order: new items, a divider, import/export, a divider, favicons.
    QStringList fileItems;
    for (QAction* action : findAction(bar, {QStringLiteral("File")})->menu()->actions())
        fileItems << (action->isSeparator() ? QStringLiteral("—") : action->text());
    EXPECT_EQ(fileItems.mid(0, 7),
              (QStringList{QStringLiteral("New Bookmark"), QStringLiteral("New Window"),
                           QStringLiteral("—"), QStringLiteral("Import Bookmarks…"),
                           QStringLiteral("Export Bookmarks…"), QStringLiteral("—"),
                           QStringLiteral("Fetch Favicons")}));
    window->close();
}

TEST(CommandsTest, ShowDescriptionsTogglesThePreference) {
    StartedApp started;
    ASSERT_TRUE(started.app);
    Preferences& preferences = started.app->preferences();
    const bool before = preferences.showDescriptions();
    started.app->runCommand(CommandId::showDescriptions);
    EXPECT_EQ(preferences.showDescriptions(), !before);
    started.app->runCommand(CommandId::showDescriptions);
    EXPECT_EQ(preferences.showDescriptions(), before);
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

TEST(CommandsTest, FindFocusesTheToolbarSearchField) {
    StartedApp started;
    ASSERT_TRUE(started.app);
    LibraryWindow* window = started.app->openWindow();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window, 2000));
    window->setFocus();
    started.app->runCommand(CommandId::find);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(window->searchField()));
    window->close();
}
