#include "Corvina/LibraryList/BookmarkListModel.h"

#include "Corvina/Library/LibraryStore.h"
#include "Corvina/LibraryList/RowAccessibility.h"
#include "platform/Store/ModelContext.h"

#include <QSet>
#include <algorithm>

BookmarkListModel::BookmarkListModel(store::ModelContext& context, QObject* parent)
    : QAbstractListModel(parent)
    , m_context(context) {
    connect(&m_context, &store::ModelContext::changed, this, [this] { recompute(Source::store); });
    m_library = library::allBookmarks(m_context);
    m_seen = m_context.changeCount();
    recompute(Source::newIdentity);
    Q_EMIT libraryChanged();
}

ListIdentity BookmarkListModel::identity() const {
    return {m_selection, !m_query.trimmed().isEmpty()};
}

void BookmarkListModel::setSelection(const std::optional<TagSelection>& selection) {
    if (selection == m_selection)
        return;
    const ListIdentity before = identity();
    m_selection = selection;
    recompute(identity() != before ? Source::newIdentity : Source::filter);
}

void BookmarkListModel::setQuery(const QString& query) {
    if (query == m_query)
        return;
    const ListIdentity before = identity();
    m_query = query;
    recompute(identity() != before ? Source::newIdentity : Source::filter);
}

void BookmarkListModel::recompute(Source source) {
    std::optional<std::vector<store::ModelObject>> changed;
    // A new tag or search only narrows anew; the store is read when it
    // changed, and then only for what changed.
    if (source == Source::store) {
        if (m_seen == m_context.changeCount())
            return;
        if (m_seen)
            changed = m_context.changedSince(*m_seen);
        if (!m_seen || !library::refreshBookmarks(m_context, m_library, *m_seen)) {
            m_library = library::allBookmarks(m_context);
            changed.reset();
        }
        m_seen = m_context.changeCount();
        m_foldsCurrent = false;
        m_applied.reset();
    }
    std::vector<std::uint32_t> before;
    if (source == Source::filter)
        before = m_visible;
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

    std::vector<Bookmark> next;
    next.reserve(m_visible.size());
    for (const std::uint32_t index : m_visible)
        next.push_back(m_library[index]);
    switch (source) {
    case Source::newIdentity:
        beginResetModel();
        m_rows = std::move(next);
        endResetModel();
        Q_EMIT identityChanged();
        break;
    case Source::filter: {
        // The same library before and after, both lists in its order: one
        // merge of the two index lists tells what went and what came.
        RowEdits edits(before.size(), m_visible.size());
        std::size_t i = 0, j = 0;
        while (i < before.size() || j < m_visible.size()) {
            if (j == m_visible.size() || (i < before.size() && before[i] < m_visible[j]))
                edits.removed[i++] = true;
            else if (i == before.size() || m_visible[j] < before[i])
                edits.inserted[j++] = true;
            else
                ++i, ++j;
        }
        applyRows(std::move(next), edits);
        break;
    }
    case Source::store:
        applyRows(std::move(next), storeEdits(m_rows, next, changed));
        Q_EMIT libraryChanged();
        break;
    }
}

BookmarkListModel::RowEdits
BookmarkListModel::storeEdits(const std::vector<Bookmark>& rows, const std::vector<Bookmark>& next,
                              const std::optional<std::vector<store::ModelObject>>& changed) {
    RowEdits edits(rows.size(), next.size());
    // Only a changed bookmark can have come, gone or moved: the filter is the
    // same, and the unchanged ones keep their order. Unknown changes make
    // every bookmark a suspect.
    const auto isChanged = [&](const Bookmark& bookmark) {
        return !changed || std::binary_search(changed->begin(), changed->end(), bookmark.object());
    };
    QSet<Bookmark> wasShown, isShown;
    for (const Bookmark& bookmark : rows) {
        if (isChanged(bookmark))
            wasShown.insert(bookmark);
    }
    for (const Bookmark& bookmark : next) {
        if (isChanged(bookmark))
            isShown.insert(bookmark);
    }
    const auto shownAfter = [&](const Bookmark& b) { return !isChanged(b) || isShown.contains(b); };
    const auto shownBefore = [&](const Bookmark& b) { return !isChanged(b) || wasShown.contains(b); };
    QSet<Bookmark> moved;
    std::size_t i = 0, j = 0;
    while (i < rows.size() || j < next.size()) {
        if (i < rows.size() && j < next.size() && rows[i] == next[j]) {
            edits.changed[j] = isChanged(next[j]);
            ++i, ++j;
        } else if (i < rows.size() && (!shownAfter(rows[i]) || moved.contains(rows[i]))) {
            edits.removed[i++] = true;
        } else if (j < next.size() &&
                   (i == rows.size() || !shownBefore(next[j]) || moved.contains(next[j]))) {
            edits.inserted[j++] = true;
        } else if (j == next.size()) {
            edits.removed[i++] = true;
        } else {
            // Shown before and after, but elsewhere: out where it was, in
            // where it now belongs. Of the two, the changed one moved.
            if (isChanged(next[j]))
                moved.insert(next[j]);
            else
                moved.insert(rows[i]);
        }
    }
    return edits;
}

namespace {
// The runs of marked entries, each as its first and last index, in order.
std::vector<std::pair<int, int>> runsOf(const std::vector<bool>& marks) {
    std::vector<std::pair<int, int>> runs;
    for (std::size_t k = 0; k < marks.size(); ++k) {
        if (!marks[k])
            continue;
        if (!runs.empty() && runs.back().second == int(k) - 1)
            runs.back().second = int(k);
        else
            runs.emplace_back(int(k), int(k));
    }
    return runs;
}
} // namespace

void BookmarkListModel::applyRows(std::vector<Bookmark> next, const RowEdits& edits) {
    const auto removed = runsOf(edits.removed);
    const auto inserted = runsOf(edits.inserted);
    // Each run costs the views a pass over their rows: past a point one
    // reset is cheaper, and the views find their place again by id.
    if (removed.size() + inserted.size() > kMostRowRanges) {
        beginResetModel();
        m_rows = std::move(next);
        endResetModel();
        return;
    }
    for (auto run = removed.rbegin(); run != removed.rend(); ++run) {
        beginRemoveRows({}, run->first, run->second);
        m_rows.erase(m_rows.begin() + run->first, m_rows.begin() + run->second + 1);
        endRemoveRows();
    }
    for (const auto& [first, last] : inserted) {
        beginInsertRows({}, first, last);
        m_rows.insert(m_rows.begin() + first, next.begin() + first, next.begin() + last + 1);
        endInsertRows();
    }
    Q_ASSERT(m_rows == next);
    for (const auto& [first, last] : runsOf(edits.changed))
        Q_EMIT dataChanged(index(first), index(last));
}

void BookmarkListModel::catchUp() {
    recompute(Source::store);
}

std::optional<Bookmark> BookmarkListModel::bookmarkAt(int row) const {
    if (row < 0 || row >= int(m_rows.size()))
        return std::nullopt;
    const Bookmark& bookmark = m_rows[std::size_t(row)];
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
    return parent.isValid() ? 0 : int(m_rows.size());
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
