#pragma once

#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/BookmarkFilter.h"
#include "Corvina/LibraryList/FoldedLibrary.h"
#include "Corvina/Tags/TagSelection.h"

#include <QAbstractListModel>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace store {
class ModelContext;
}

// What the list shows is rebuilt from scratch, scroll position and all,
// when the selected tag changes or the search switches between empty and
// not; typing on in a search keeps the list's identity.
struct ListIdentity {
    std::optional<TagSelection> selection;
    bool searching = false;

    friend bool operator==(const ListIdentity&, const ListIdentity&) = default;
    friend size_t qHash(const ListIdentity& identity, size_t seed = 0) {
        const size_t selection =
            identity.selection ? qHashMulti(seed, 1, *identity.selection) : qHashMulti(seed, 0);
        return qHashMulti(selection, identity.searching);
    }
};

// The library window's list: the whole library newest first, narrowed by the
// sidebar's tag and the search text. It follows the store: every change
// there, and every change of tag or search, computes the visible rows anew,
// and tells its views only which rows went, came or changed, so that a view
// keeps its place, its selection and the row under the pointer. A new
// identity (see ListIdentity) resets the list instead.
// Searching folds each bookmark once and keeps the folds while the bookmark
// is unchanged; typing on in a search filters only the rows still shown.
class BookmarkListModel : public QAbstractListModel {
    Q_OBJECT
public:
    // The title is Qt::DisplayRole; row painting and actions read these.
    enum Role {
        NoteRole = Qt::UserRole + 1, // QString, the note as stored
        DomainRole,                  // QString
        TagsRole,                    // QStringList, in stored order
        IdRole,                      // QUuid
        UrlRole,                     // QString, the stored address
    };

    explicit BookmarkListModel(store::ModelContext& context, QObject* parent = nullptr);

    // Shows the store's changes now rather than at its next report, for a
    // caller that acts on the rows right after changing the store.
    void catchUp();

    void setSelection(const std::optional<TagSelection>& selection);
    const std::optional<TagSelection>& selection() const { return m_selection; }
    void setQuery(const QString& query);
    const QString& query() const { return m_query; }
    ListIdentity identity() const;

    // The whole library (not the visible rows), newest first.
    const std::vector<Bookmark>& library() const { return m_library; }
    bool libraryIsEmpty() const { return m_library.empty(); }

    // The bookmark shown in `row`, if it is still in the library.
    std::optional<Bookmark> bookmarkAt(int row) const;
    std::optional<Bookmark> bookmarkFor(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    // The list must start over at the top (see ListIdentity).
    void identityChanged();
    void libraryChanged();

private:
    // Where a recompute comes from: the store changed; the tag or search
    // changed within one identity; or the identity changed.
    enum class Source { store, filter, newIdentity };
    // Which of the shown rows go, and which rows of the next list come or
    // show changed bookmarks.
    struct RowEdits {
        RowEdits(std::size_t rows, std::size_t next)
            : removed(rows)
            , inserted(next)
            , changed(next) {}
        std::vector<bool> removed, inserted, changed;
    };
    // Row signals past this many ranges give way to one reset.
    static constexpr std::size_t kMostRowRanges = 512;

    void recompute(Source source);
    // `changed`: the store's changed objects, sorted; nullopt when unknown.
    static RowEdits storeEdits(const std::vector<Bookmark>& rows, const std::vector<Bookmark>& next,
                               const std::optional<std::vector<store::ModelObject>>& changed);
    // Turns the shown rows into `next`, which `edits` describes.
    void applyRows(std::vector<Bookmark> next, const RowEdits& edits);

    store::ModelContext& m_context;
    std::optional<TagSelection> m_selection = TagSelection::all();
    QString m_query;
    std::vector<Bookmark> m_library;
    // The store's change count when m_library was last brought up to date.
    std::optional<quint64> m_seen;
    // Empty until the first search; brought up to date with m_library by
    // the first search after each change of the store.
    FoldedLibrary m_folded;
    bool m_foldsCurrent = false;
    // Indices into m_library, and the filter that chose them.
    std::vector<std::uint32_t> m_visible;
    // What the rows show, m_visible's bookmarks as the views last heard of them.
    std::vector<Bookmark> m_rows;
    std::optional<BookmarkFilter> m_applied;
};
