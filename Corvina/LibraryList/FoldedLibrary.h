#pragma once

#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/BookmarkFilter.h"

#include <QByteArray>
#include <QLocale>
#include <cstdint>
#include <span>
#include <vector>

namespace store {
class ModelContext;
}

// The library's searchable text, folded once and kept in one block in the
// library's order, so that a search of a large library is one scan of
// contiguous memory rather than a visit to every bookmark.
class FoldedLibrary {
public:
    // Brings the text in line with `library` (every bookmark of `context`, in
    // the order the list shows), folding anew only the bookmarks that are new
    // or changed since the last update, and everything when the filter folds
    // for another locale.
    void update(const std::vector<Bookmark>& library, const BookmarkFilter& folding,
                const store::ModelContext& context);
    void clear();

    // The indices into the library of the bookmarks `filter` matches, in
    // ascending order: of every bookmark, or of those in `among` (ascending).
    // `filter` must be searching, and the library the one last updated to.
    std::vector<std::uint32_t> search(const BookmarkFilter& filter) const;
    std::vector<std::uint32_t> search(const BookmarkFilter& filter,
                                      std::span<const std::uint32_t> among) const;

private:
    struct Row {
        Bookmark bookmark;
        std::uint32_t offset = 0; // into m_text
        std::uint32_t length = 0; // 0 when the bookmark is matched field by field
        quint64 revision = 0;
    };
    bool matchesRow(const BookmarkFilter& filter, const Row& row) const;

    std::vector<Row> m_rows;
    // The store and its change count at the last update.
    const store::ModelContext* m_context = nullptr;
    quint64 m_seen = 0;
    QByteArray m_text;
    std::vector<Row> m_spareRows;
    QByteArray m_spareText;
    QLocale m_locale;
    // Bookmarks whose text UTF-8 cannot carry; their rows hold no text.
    std::vector<std::uint32_t> m_byField;
};
