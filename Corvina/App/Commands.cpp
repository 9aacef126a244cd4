#include "Corvina/App/Commands.h"

#include "platform/Symbols/Symbols.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

namespace {
QKeySequence keys(QKeyCombination combination) {
    return QKeySequence(combination);
}
} // namespace

const std::vector<CommandEntry>& commandTable() {
    using M = MenuPlacement;
    // The platform's Command key is Ctrl here, Option is Alt.
    static const std::vector<CommandEntry> table = {
        {CommandId::newBookmark, M::file, QT_TRANSLATE_NOOP("Commands", "New Bookmark"),
         QStringLiteral("plus"), keys(Qt::CTRL | Qt::Key_N)},
        {CommandId::newWindow, M::file, QT_TRANSLATE_NOOP("Commands", "New Window"),
         QStringLiteral("macwindow.badge.plus"), keys(Qt::CTRL | Qt::ALT | Qt::Key_N)},
        {CommandId::importBookmarks, M::file, QT_TRANSLATE_NOOP("Commands", "Import Bookmarks…"),
         QStringLiteral("square.and.arrow.down"), keys(Qt::CTRL | Qt::SHIFT | Qt::Key_O), false,
         true},
        {CommandId::exportJSON, M::exportSubmenu,
         QT_TRANSLATE_NOOP("Commands", "As JSON (Corvina Backup)…"), QString(),
         keys(Qt::CTRL | Qt::SHIFT | Qt::Key_E)},
        {CommandId::exportNetscapeHTML,
         M::exportSubmenu,
         QT_TRANSLATE_NOOP("Commands", "As Netscape HTML (Other Browsers)…"),
         QString(),
         {}},
        {CommandId::fetchFavicons,
         M::file,
         QT_TRANSLATE_NOOP("Commands", "Fetch Favicons"),
         QStringLiteral("globe"),
         {},
         false,
         true},
        {CommandId::closeWindow, M::file, QT_TRANSLATE_NOOP("Commands", "Close Window"), QString(),
         QKeySequence(QKeySequence::Close), false, true},
        {CommandId::quit, M::file, QT_TRANSLATE_NOOP("Commands", "Quit Corvina"), QString(),
         keys(Qt::CTRL | Qt::Key_Q)},
        {CommandId::undo, M::edit, QT_TRANSLATE_NOOP("Commands", "Undo"), QString(),
         QKeySequence(QKeySequence::Undo)},
        {CommandId::redo, M::edit, QT_TRANSLATE_NOOP("Commands", "Redo"), QString(),
         QKeySequence(QKeySequence::Redo)},
        {CommandId::cut, M::edit, QT_TRANSLATE_NOOP("Commands", "Cut"), QString(),
         QKeySequence(QKeySequence::Cut), false, true},
        {CommandId::copy, M::edit, QT_TRANSLATE_NOOP("Commands", "Copy"), QString(),
         QKeySequence(QKeySequence::Copy)},
        {CommandId::paste, M::edit, QT_TRANSLATE_NOOP("Commands", "Paste"), QString(),
         QKeySequence(QKeySequence::Paste)},
        {CommandId::selectAll, M::edit, QT_TRANSLATE_NOOP("Commands", "Select All"), QString(),
         QKeySequence(QKeySequence::SelectAll)},
        {CommandId::find, M::edit, QT_TRANSLATE_NOOP("Commands", "Find"), QString(),
         keys(Qt::CTRL | Qt::Key_F), false, true},
        {CommandId::settings, M::edit, QT_TRANSLATE_NOOP("Commands", "Settings…"), QString(),
         keys(Qt::CTRL | Qt::Key_Comma), false, true},
        {CommandId::showDescriptions,
         M::view,
         QT_TRANSLATE_NOOP("Commands", "Show Descriptions"),
         QStringLiteral("text.alignleft"),
         {},
         true},
        {CommandId::toggleSidebar, M::view, QT_TRANSLATE_NOOP("Commands", "Hide Sidebar"),
         QString(), keys(Qt::CTRL | Qt::ALT | Qt::Key_S), false, false,
         QT_TRANSLATE_NOOP("Commands", "Show Sidebar")},
        {CommandId::help,
         M::help,
         QT_TRANSLATE_NOOP("Commands", "Corvina Help"),
         QStringLiteral("questionmark.circle"),
         {}},
        {CommandId::bookmarklet,
         M::help,
         QT_TRANSLATE_NOOP("Commands", "Get the Bookmarklet"),
         QStringLiteral("bookmark"),
         {}},
        {CommandId::checkForUpdates,
         M::help,
         QT_TRANSLATE_NOOP("Commands", "Check for Updates…"),
         QStringLiteral("arrow.down.circle"),
         {},
         false,
         true},
        {CommandId::about, M::help, QT_TRANSLATE_NOOP("Commands", "About Corvina"), QString(), {}},
    };
    return table;
}

void buildMenuBar(QMenuBar& menuBar, CommandTarget& target) {
    const auto tr = [](const char* text) { return QCoreApplication::translate("Commands", text); };
    QMenu* file = menuBar.addMenu(tr("&File"));
    QMenu* edit = menuBar.addMenu(tr("&Edit"));
    QMenu* view = menuBar.addMenu(tr("&View"));
    QMenu* help = menuBar.addMenu(tr("&Help"));
    QMenu* exportMenu = nullptr;

    for (const CommandEntry& entry : commandTable()) {
        QMenu* menu = nullptr;
        switch (entry.menu) {
        case MenuPlacement::file:
            menu = file;
            break;
        case MenuPlacement::exportSubmenu:
            if (!exportMenu) {
                exportMenu = file->addMenu(symbols::icon(QStringLiteral("square.and.arrow.up")),
                                           tr("Export Bookmarks…"));
            }
            menu = exportMenu;
            break;
        case MenuPlacement::edit:
            menu = edit;
            break;
        case MenuPlacement::view:
            menu = view;
            break;
        case MenuPlacement::help:
            menu = help;
            break;
        }
        if (entry.dividerBefore)
            menu->addSeparator();
        QAction* action = menu->addAction(tr(entry.title));
        if (!entry.symbol.isEmpty())
            action->setIcon(symbols::icon(entry.symbol));
        action->setShortcut(entry.shortcut);
        action->setCheckable(entry.checkable);
        action->setData(static_cast<int>(entry.id));
        if (entry.id == CommandId::quit)
            action->setMenuRole(QAction::QuitRole);
        const CommandId id = entry.id;
        QObject::connect(action, &QAction::triggered, &menuBar,
                         [&target, id] { target.runCommand(id); });
        const QString title = tr(entry.title);
        const QString offTitle = entry.offTitle ? tr(entry.offTitle) : QString();
        const auto follow = [&target, action, id, title, offTitle, checkable = entry.checkable] {
            const bool on = target.isCommandChecked(id);
            if (checkable)
                action->setChecked(on);
            const QString now = target.commandTitle(id);
            action->setText(!now.isEmpty() ? now : !offTitle.isEmpty() && !on ? offTitle : title);
            action->setEnabled(target.isCommandEnabled(id));
        };
        follow();
        QObject::connect(menu, &QMenu::aboutToShow, action, follow);
    }
}
