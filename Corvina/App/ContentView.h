#pragma once

#include "Corvina/App/UrlEvents.h"
#include "Corvina/ImportExport/ExportFormat.h"
#include "Corvina/Library/LibraryHistory.h"
#include "Corvina/LibraryList/BookmarkListModel.h"
#include "Corvina/Tags/TagCounts.h"

#include <QPointer>
#include <QWidget>
#include <optional>

class BookmarkEditor;
class BookmarkListView;
class BookmarkRowDelegate;
class EmptyStateView;
class FaviconPrefetch;
class LibraryHistory;
class PassingNotice;
class FaviconStore;
class Preferences;
class QLabel;
class QNetworkAccessManager;
class TagSidebar;

// The import and export flows the window starts from their menu commands.
class LibraryFlows {
public:
    virtual ~LibraryFlows() = default;
    virtual void startImport(QWidget& window) = 0;
    virtual void startExport(QWidget& window, ExportFormat format) = 0;
};

struct ContentServices {
    store::ModelContext& context;
    Preferences& preferences;
    QNetworkAccessManager& network;
    FaviconStore& favicons;
    LibraryFlows* flows = nullptr; // none: the import and export commands do nothing
};

// The library window's content: the tag sidebar beside the list of
// bookmarks, the placeholder while the library is empty, the add and edit
// sheets, drops of web addresses, and the window's answers to the menu's
// requests.
class ContentView : public QWidget {
    Q_OBJECT
public:
    explicit ContentView(ContentServices services, QWidget* parent = nullptr);
    ~ContentView() override;

    BookmarkListModel& model() { return *m_model; }
    BookmarkListView* list() const { return m_list; }
    TagSidebar* sidebar() const { return m_sidebar; }
    EmptyStateView* emptyState() const { return m_emptyState; }
    BookmarkEditor* addSheet() const;
    BookmarkEditor* editSheet() const;
    bool isDropTargeted() const { return m_dropTargeted; }

    void setQuery(const QString& query);
    // The user may put the tag sidebar away; the list then takes the width.
    void setSidebarVisible(bool visible);
    bool isSidebarVisible() const;
    // The selected tag's name, or "All Bookmarks".
    QString windowTitle() const;

    void showAdd(std::optional<PrefillBookmark> prefill = std::nullopt);
    void edit(const Bookmark& bookmark);
    void openInBrowser(const Bookmark& bookmark);
    void remove(const Bookmark& bookmark);
    void fetchAllFavicons();

    // The selected bookmarks, in list order.
    std::vector<Bookmark> selectedBookmarks() const;
    // Moves the focus into the list, the current row (or else the first)
    // selected.
    void focusList();
    void openSelected();
    void editCurrent();
    void removeSelected();
    // The selected addresses, one per line and as a URI list.
    void copySelected();
    // Asks for a tag and adds it to, or removes it from, every selected
    // bookmark, in one change.
    void addTagToSelected();
    void removeTagFromSelected();

    // The window's undo history: deletions, edits, additions, tag changes.
    LibraryHistory& history() { return *m_history; }
    void undo();
    void redo();
    PassingNotice* notice() const { return m_notice; }

    // Takes a drop's data as the window does; true when it opened the add sheet.
    bool acceptDrop(const QMimeData& data);

Q_SIGNALS:
    void windowTitleChanged(const QString& title);
    // How many bookmarks the list shows.
    void listedCountChanged(int count);
    // Escape in the list: back to the search field.
    void leaveListRequested();
    // A bulk favicon fetch has begun; its progress and end are the job's signals.
    void faviconFetchStarted(FaviconPrefetch* job);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void observeRequests();
    void libraryChanged();
    void listChanged();
    // The selected rows in list order, and the bookmarks they show.
    QModelIndexList selectedRows() const;
    std::vector<Bookmark> bookmarksAt(const QModelIndexList& rows) const;
    // Asks first when there are many.
    void openAll(const std::vector<Bookmark>& bookmarks);
    void removeBookmarks(const std::vector<Bookmark>& bookmarks);
    void tell(const HistoryOutcome& outcome, const QString& done, bool undoable);
    // Undoes (back) or redoes the history's next step.
    void step(bool back);
    void showContextMenu(const QPoint& position);
    void setDropTargeted(bool targeted);
    void placeOverlays();
    BookmarkEditor* openEditor(std::optional<Bookmark> bookmark, const PrefillBookmark& prefill);

    ContentServices m_services;
    BookmarkListModel* m_model;
    std::optional<TagSelection> m_selection = TagSelection::all();
    TagSidebar* m_sidebar = nullptr;
    TagCounter m_tagCounter;
    BookmarkListView* m_list = nullptr;
    QLabel* m_noMatch = nullptr;
    LibraryHistory* m_history = nullptr;
    PassingNotice* m_notice = nullptr;
    BookmarkRowDelegate* m_delegate = nullptr;
    EmptyStateView* m_emptyState = nullptr;
    QWidget* m_dropOutline = nullptr;
    QPointer<BookmarkEditor> m_addSheet;
    QPointer<BookmarkEditor> m_editSheet;
    std::optional<PrefillBookmark> m_pendingPrefill;
    bool m_dropTargeted = false;
};
