#include "Corvina/LibraryList/BookmarkListModel.h"

#include "Corvina/Library/LibraryStore.h"
#include "Corvina/LibraryList/RowAccessibility.h"
#include "platform/Store/ModelContext.h"

BookmarkListModel::BookmarkListModel(store::ModelContext& context, QObject* parent)
    : QAbstractListModel(parent)
    , m_context(context) {
    connect(&m_context, &store::ModelContext::changed, this, [this] { recompute(Source::store); });
    recompute(Source::store);
}

ListIdentity BookmarkListModel::identity() const {
    return {m_selection, !m_query.trimmed().isEmpty()};
}

void BookmarkListModel::setSelection(const std::optional<TagSelection>& selection) {
    if (selection == m_selection)
        return;
    const ListIdentity before = identity();
    m_selection = selection;
    recompute(Source::filter);
    if (identity() != before)
        Q_EMIT identityChanged();
}

void BookmarkListModel::setQuery(const QString& query) {
    if (query == m_query)
        return;
    const ListIdentity before = identity();
    m_query = query;
    recompute(Source::filter);
    if (identity() != before)
        Q_EMIT identityChanged();
}

void BookmarkListModel::recompute(Source source) {
    beginResetModel();
    // A new tag or search only narrows anew; the store is read when it
    // changed, and then only for what changed.
    if (source == Source::store) {
        if (!m_seen || !library::refreshBookmarks(m_context, m_library, *m_seen))
            m_library = library::allBookmarks(m_context);
        m_seen = m_context.changeCount();
        m_foldsCurrent = false;
        m_applied.reset();
    }
    const std::optional<QString> tag = m_selection ? m_selection->tagName() : std::nullopt;
    BookmarkFilter filter(tag, m_query);
    if (filter.isSearching()) {
        // Bookmarks change only through the store, which reports it: between
        // reports the folded text stays good.
        if (!m_foldsCurrent) {
            m_folded.update(m_library, filter, m_context);
            m_foldsCurrent = true;
        }
        m_visible = m_applied && filter.narrows(*m_applied) ? m_folded.search(filter, m_visible)
                                                            : m_folded.search(filter);
    } else {
        m_visible.clear();
        m_visible.reserve(m_library.size());
        for (std::uint32_t index = 0; index < m_library.size(); ++index) {
            if (filter.passesTag(m_library[index]))
                m_visible.push_back(index);
        }
    }
    m_applied = std::move(filter);
    endResetModel();
    if (source == Source::store)
        Q_EMIT libraryChanged();
}

std::optional<Bookmark> BookmarkListModel::bookmarkAt(int row) const {
    if (row < 0 || row >= int(m_visible.size()))
        return std::nullopt;
    const Bookmark& bookmark = m_library[m_visible[std::size_t(row)]];
    // A row may outlive its bookmark until the next recompute.
    if (bookmark.object().isDeleted())
        return std::nullopt;
    return bookmark;
}

std::optional<Bookmark> BookmarkListModel::bookmarkFor(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this)
        return std::nullopt;
    return bookmarkAt(index.row());
}

int BookmarkListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_visible.size());
}

QVariant BookmarkListModel::data(const QModelIndex& index, int role) const {
    const std::optional<Bookmark> bookmark = bookmarkFor(index);
    if (!bookmark)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return bookmark->title();
    case NoteRole:
        return bookmark->note();
    case DomainRole:
        return bookmark->domain();
    case TagsRole:
        return bookmark->tags();
    case IdRole:
        return bookmark->id();
    case UrlRole:
        return bookmark->urlString();
    case Qt::AccessibleTextRole:
        return bookmarkAccessibilityLabel(bookmark->title(), bookmark->domain(), bookmark->tags());
    case Qt::AccessibleDescriptionRole:
        return tr("Opens this bookmark in your browser");
    default:
        return {};
    }
}

QHash<int, QByteArray> BookmarkListModel::roleNames() const {
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert({{NoteRole, "note"},
                  {DomainRole, "domain"},
                  {TagsRole, "tags"},
                  {IdRole, "id"},
                  {UrlRole, "url"}});
    return names;
}
