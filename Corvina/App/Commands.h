#pragma once

#include <QKeySequence>
#include <QString>
#include <vector>

class QMenuBar;

// Every command of the menu bar, in menu order, as data: the menus are built
// from this table and the tests check it, so the two cannot drift apart.
enum class CommandId {
    newBookmark,
    newWindow,
    importBookmarks,
    exportJSON,
    exportNetscapeHTML,
    fetchFavicons,
    closeWindow,
    quit,
    undo,
    redo,
    cut,
    copy,
    paste,
    selectAll,
    find,
    settings,
    showDescriptions,
    toggleSidebar,
    help,
    bookmarklet,
    checkForUpdates,
    about,
};

enum class MenuPlacement { file, exportSubmenu, edit, view, help };

struct CommandEntry {
    CommandId id;
    MenuPlacement menu;
    const char* title; // English source text, translated when the menu is built
    QString symbol;    // empty: none
    QKeySequence shortcut;
    bool checkable = false;
    bool dividerBefore = false;
    // A two-state command that says what it will do instead of showing a
    // check mark: `title` while its state is on, this while it is off.
    const char* offTitle = nullptr;
};

const std::vector<CommandEntry>& commandTable();

// Runs a command; the application implements it.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    virtual void runCommand(CommandId id) = 0;
    // The current state of a checkable or two-titled command.
    virtual bool isCommandChecked(CommandId id) const = 0;
    // The title the command's item shows now ("Undo Delete 3 Bookmarks");
    // empty for the table's title.
    virtual QString commandTitle(CommandId) const { return {}; }
    virtual bool isCommandEnabled(CommandId) const { return true; }
};

// Fills a window's menu bar from the table. Items follow `target`'s state
// (checked, enabled, title) each time their menu opens.
void buildMenuBar(QMenuBar& menuBar, CommandTarget& target);
